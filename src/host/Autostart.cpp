#include "host/Autostart.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

namespace qm::host {
namespace {

// One argument of an Exec key: quoted when it holds anything but plain
// characters, with the characters that stay special inside quotes escaped.
QString ExecArgument(const QString& arg) {
  static const QString plain =
      QStringLiteral("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789-_./=+:,@");
  bool quote = arg.isEmpty();
  for (const QChar c : arg) quote = quote || !plain.contains(c);
  QString out;
  for (const QChar c : arg) {
    if (c == u'"' || c == u'`' || c == u'$' || c == u'\\') out += u'\\';
    // A field code starts with "%"; a literal one is doubled.
    if (c == u'%') out += u'%';
    // An Exec line is one line.
    out += (c == u'\n' || c == u'\r') ? QChar(u' ') : c;
  }
  return quote ? u'"' + out + u'"' : out;
}

}  // namespace

QString AutostartFile(const QString& name) {
  const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
  const QString base = QStringLiteral("quillmark-stamp");
  return config + QStringLiteral("/autostart/") + base +
         (name.isEmpty() ? QString() : u'-' + name) + QStringLiteral(".desktop");
}

QStringList AutostartArguments(const HostOptions& o, std::optional<bool> above) {
  QStringList args;
  switch (o.source) {
    case HostOptions::Source::Text:
      args << QStringLiteral("--text") << o.text;
      break;
    case HostOptions::Source::Command:
      args << QStringLiteral("--command") << o.command << QStringLiteral("--every")
           << QString::number(o.everySeconds) << QStringLiteral("--timeout")
           << QString::number(o.timeoutSeconds);
      break;
    case HostOptions::Source::File:
      args << QStringLiteral("--file") << QFileInfo(o.file).absoluteFilePath();
      break;
  }
  if (!o.name.isEmpty()) args << QStringLiteral("--name") << o.name;
  if (above)
    args << QStringLiteral("--layer")
         << (*above ? QStringLiteral("above") : QStringLiteral("below"));
  if (o.language) args << QStringLiteral("--lang") << platform::LanguageCode(*o.language);
  return args;
}

QString AutostartEntry(const QString& program, const QStringList& arguments) {
  QStringList exec{ExecArgument(program)};
  for (const QString& a : arguments) exec << ExecArgument(a);
  // The value itself is a string of the desktop entry, where a backslash is
  // written twice.
  QString value = exec.join(u' ');
  value.replace(u'\\', QStringLiteral("\\\\"));
  return QStringLiteral(
             "[Desktop Entry]\n"
             "Type=Application\n"
             "Name=Quillmark stamp\n"
             "Comment=The Quillmark stamp on the desktop\n"
             "Icon=org.quillmark.Quillmark\n"
             "Exec=%1\n"
             "Terminal=false\n"
             "X-GNOME-Autostart-enabled=true\n")
      .arg(value);
}

bool SetAutostart(const QString& file, bool on, const QString& program,
                  const QStringList& arguments, QString* error) {
  const auto fail = [&](const QString& why) {
    if (error) *error = why;
    return false;
  };
  if (!on) {
    if (!QFileInfo::exists(file) && !QFileInfo(file).isSymLink()) return true;
    return QFile::remove(file) ? true : fail(QStringLiteral("cannot remove %1").arg(file));
  }
  if (!QDir().mkpath(QFileInfo(file).absolutePath()))
    return fail(QStringLiteral("cannot create the folder of %1").arg(file));
  QSaveFile out(file);
  if (!out.open(QIODevice::WriteOnly))
    return fail(QStringLiteral("cannot write %1: %2").arg(file, out.errorString()));
  out.write(AutostartEntry(program, arguments).toUtf8());
  if (!out.commit())
    return fail(QStringLiteral("cannot write %1: %2").arg(file, out.errorString()));
  return true;
}

}  // namespace qm::host
