// quillmark-host --autostart: the login entry as a desktop reads it. The Exec
// line is read back here the way a desktop splits it into arguments.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

namespace qm::host {
namespace {

// A desktop entry's Exec value split into arguments: the value's own
// escapes first, then quoted arguments with their escapes, "%%" for "%".
QStringList ExecArguments(const QByteArray& entry) {
  QString value;
  for (const QByteArray& line : entry.split('\n'))
    if (line.startsWith("Exec=")) value = QString::fromUtf8(line.mid(5));
  QString unescaped;
  for (qsizetype i = 0; i < value.size(); ++i) {
    if (value[i] == u'\\' && i + 1 < value.size()) ++i;
    unescaped += value[i];
  }
  QStringList args;
  QString arg;
  bool quoted = false, any = false;
  for (qsizetype i = 0; i < unescaped.size(); ++i) {
    const QChar c = unescaped[i];
    if (quoted && c == u'\\' && i + 1 < unescaped.size()) {
      arg += unescaped[++i];
    } else if (c == u'"') {
      quoted = !quoted;
      any = true;
    } else if (c == u'%' && i + 1 < unescaped.size() && unescaped[i + 1] == u'%') {
      arg += u'%';
      ++i;
    } else if (c == u' ' && !quoted) {
      if (any || !arg.isEmpty()) args << arg;
      arg.clear();
      any = false;
    } else {
      arg += c;
    }
  }
  if (any || !arg.isEmpty()) args << arg;
  return args;
}

class AutostartTest : public ::testing::Test {
 protected:
  int Run(const QStringList& args) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), config.path());
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(QM_BIN_DIR "/quillmark-host"), args);
    EXPECT_TRUE(p.waitForFinished(60000));
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
  }
  QStringList Entries() const {
    return QDir(config.filePath(QStringLiteral("autostart"))).entryList(QDir::Files);
  }
  QByteArray Entry(const QString& file) const {
    QFile f(config.filePath(QStringLiteral("autostart/")) + file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
  }
  QTemporaryDir config;
};

TEST_F(AutostartTest, TheLoginEntryStartsTheStampWithItsOptionsAndIsValid) {
  struct Case {
    QStringList options;  // the stamp's options, which the entry must repeat
  };
  const Case cases[] = {
      {{"--text", "+21\u00B0"}},
      {{"--command", "date +%H:%M \"x\" $HOME `id` \\ 'q' ; a|b", "--every", "5", "--timeout", "3",
        "--name", "work", "--layer", "below"}},
      {{"--text", "", "--name", "spare.2", "--layer", "above", "--lang", "en"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.options.join(u' ').toStdString());
    const QStringList before = Entries();
    ASSERT_EQ(Run(QStringList{"--autostart", "on"} + c.options), 0);
    QStringList added = Entries();
    for (const QString& e : before) added.removeAll(e);
    ASSERT_EQ(added.size(), 1) << Entries().join(u' ').toStdString();
    const QString file = config.filePath(QStringLiteral("autostart/")) + added.first();
    EXPECT_EQ(QProcess::execute(QStringLiteral("desktop-file-validate"), {file}), 0);

    QStringList args = ExecArguments(Entry(added.first()));
    ASSERT_FALSE(args.isEmpty());
    EXPECT_EQ(args.takeFirst(), QStringLiteral(QM_BIN_DIR "/quillmark-host"));
    // The defaults the stamp runs with are written out; what was given is
    // there as given.
    for (qsizetype i = 0; i + 1 < c.options.size(); i += 2) {
      const qsizetype at = args.indexOf(c.options[i]);
      ASSERT_GE(at, 0) << c.options[i].toStdString();
      EXPECT_EQ(args.value(at + 1), c.options[i + 1]);
    }
    // Written again, it is still one entry.
    ASSERT_EQ(Run(QStringList{"--autostart", "on"} + c.options), 0);
    EXPECT_EQ(Entries().size(), before.size() + 1);
  }
  // Off removes the entry of that stamp only, and again does no harm.
  const int all = int(Entries().size());
  for (int i = 0; i < 2; ++i) {
    ASSERT_EQ(Run({"--autostart", "off", "--name", "work"}), 0);
    EXPECT_EQ(Entries().size(), all - 1);
  }
}

}  // namespace
}  // namespace qm::host
