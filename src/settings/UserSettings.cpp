#include "settings/UserSettings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSettings>
#include <QStandardPaths>
#include <QStringList>
#include <QTemporaryFile>

#include "platform/Leftovers.h"
#include "platform/RegularFile.h"
#include "platform/SaveFile.h"

namespace qm::settings {
namespace {

// Group and key names as the settings format spells them: letters, digits and
// "_-." as they are, "/" inside a key as "\", anything else %-escaped.
QByteArray EscapedName(QStringView name) {
  QByteArray out;
  for (const QChar qc : name) {
    const char16_t c = qc.unicode();
    if ((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') ||
        c == u'_' || c == u'-' || c == u'.') {
      out += char(c);
    } else if (c == u'/') {
      out += '\\';
    } else if (c <= 0xFF) {
      out += '%' + QByteArray::number(c, 16).toUpper().rightJustified(2, '0');
    } else {
      out += "%U" + QByteArray::number(c, 16).toUpper().rightJustified(4, '0');
    }
  }
  return out;
}

bool IsHexDigit(char16_t c) {
  return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

// A string value as the settings format reads it back unchanged: control
// characters, quotes and backslashes escaped, the whole in quotes when it
// holds a separator the format would split at or blanks it would drop.
QByteArray EscapedValue(const QString& value) {
  // A leading "@" marks a typed value in this format; "@@" is a plain "@".
  const QString text = value.startsWith(u'@') ? u'@' + value : value;
  QByteArray out;
  bool quote = false;
  bool afterHexEscape = false;  // "\x41" followed by "1" would read as one escape
  for (qsizetype i = 0; i < text.size(); ++i) {
    const char16_t c = text[i].unicode();
    if (afterHexEscape && IsHexDigit(c)) {
      out += "\\x" + QByteArray::number(c, 16);
      continue;
    }
    afterHexEscape = false;
    switch (c) {
      case u'"':
        out += "\\\"";
        break;
      case u'\\':
        out += "\\\\";
        break;
      case u'\a':
        out += "\\a";
        break;
      case u'\b':
        out += "\\b";
        break;
      case u'\f':
        out += "\\f";
        break;
      case u'\n':
        out += "\\n";
        break;
      case u'\r':
        out += "\\r";
        break;
      case u'\t':
        out += "\\t";
        break;
      case u'\v':
        out += "\\v";
        break;
      case u';':
      case u',':
      case u'=':
        quote = true;
        out += char(c);
        break;
      default:
        if (c < 0x20 || c == 0x7F) {
          out += "\\x" + QByteArray::number(c, 16);
          afterHexEscape = true;
        } else if (QChar::isHighSurrogate(c) && i + 1 < text.size()) {
          out += text.mid(i, 2).toUtf8();
          ++i;
        } else {
          out += QString(QChar(c)).toUtf8();
        }
    }
  }
  if (out.startsWith(' ') || out.endsWith(' ')) quote = true;
  return quote ? '"' + out + '"' : out;
}

}  // namespace

UserSettings::UserSettings(const QString& filePath, const QString& group)
    : path_(filePath), group_(group) {
  // A save cut short by a kill leaves its temporary beside the store.
  platform::RemoveStaleSaveTemporaries(path_);
  if (!Load(values_)) refused_ = true;
}

bool UserSettings::Load(Values& values) {
  values.clear();
  QFile probe;
  QString why;
  // Opened without waiting, and looked at before the settings reader opens
  // it (which would wait on a FIFO for a writer that never comes).
  if (!platform::OpenRegularFile(path_, kMaxBytes, probe, &why)) {
    if (!QFileInfo(path_).exists()) return true;  // nothing stored yet
    problem_ = QStringLiteral("%1: it is not read, and nothing is saved there").arg(why);
    return false;
  }
  // The settings reader keeps one copy of a file per process and per path,
  // and takes it as current while the size and the modification time (to
  // the millisecond) stay the same. Our saves bypass it, so two of the same
  // size within one millisecond would read back the older one, and the next
  // save would put its values back. Each read therefore parses the bytes
  // just read, under a name of their own.
  const QByteArray bytes = probe.read(kMaxBytes + 1);
  probe.close();
  // Where no such copy can be made (a full temporary folder), the file is
  // read by its own name as before.
  QTemporaryFile copy(QDir::temp().filePath(QStringLiteral("quillmark-store-XXXXXX.conf")));
  const bool copied = copy.open() && copy.write(bytes) == bytes.size() && copy.flush();
  copy.close();
  const QSettings reader(copied ? copy.fileName() : path_, QSettings::IniFormat);
  for (const QString& key : reader.allKeys()) {
    const QVariant v = reader.value(key);
    // A hand-edited file may hold an unquoted "a, b", which the format reads
    // as a list; the values are plain strings, so it is kept as one.
    values.insert(
        key, v.typeId() == QMetaType::QStringList ? v.toStringList().join(u',') : v.toString());
  }
  return true;
}

bool UserSettings::SetS(const QString& sKey, const QString& Sval) { return Store(Key(sKey), Sval); }

bool UserSettings::Store(const QString& path, const QString& value) {
  values_.insert(path, value);
  unsaved_.insert(path, value);
  if (refused_) return false;
  const QFileInfo info(path_);
  if (!QDir().mkpath(info.absolutePath())) {
    problem_ = QStringLiteral("cannot create its folder");
    return false;
  }
  // The editor and the stamp share the file, each with a group of its own:
  // read it again under the lock so that what the other stored survives.
  QLockFile lock(path_ + QStringLiteral(".lock"));
  lock.setStaleLockTime(10'000);
  const bool locked = lock.tryLock(2'000);
  Values current;
  if (!Load(current)) {
    refused_ = true;
    return false;
  }
  // Values an earlier save failed to keep go along with this one.
  for (auto it = unsaved_.cbegin(); it != unsaved_.cend(); ++it) current.insert(it.key(), *it);
  const platform::SaveResult saved = platform::SaveFileAtomically(path_, Serialize(current));
  if (locked) lock.unlock();
  if (!saved.ok) {
    problem_ = saved.Reason();
    return false;
  }
  values_ = current;
  unsaved_.clear();
  problem_.clear();
  return true;
}

QString UserSettings::GetS(const QString& sKey, const QString& sDef) const {
  const auto it = values_.constFind(Key(sKey));
  return it == values_.cend() ? sDef : *it;
}

QStringList UserSettings::Keys() const {
  QStringList out;
  const QString prefix = group_ + u'/';
  for (auto it = values_.cbegin(); it != values_.cend(); ++it)
    if (it.key().startsWith(prefix)) out << it.key().mid(prefix.size());
  return out;
}

QString UserSettings::DefaultFilePath() {
  return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
         QStringLiteral("/Quillmark/Quillmark.conf");
}

QByteArray UserSettings::Serialize(const QMap<QString, QString>& values) {
  // Keys outside any group belong to the format's "General" section; a group
  // really named so is spelled "%General" to keep the two apart.
  QMap<QByteArray, QByteArray> sections;
  for (auto it = values.cbegin(); it != values.cend(); ++it) {
    const qsizetype slash = it.key().indexOf(u'/');
    QByteArray section = QByteArrayLiteral("General");
    QStringView key = it.key();
    if (slash >= 0) {
      const QStringView group = key.left(slash);
      section = group == u"General" ? QByteArrayLiteral("%General") : EscapedName(group);
      key = key.mid(slash + 1);
    }
    sections[section] += EscapedName(key) + '=' + EscapedValue(it.value()) + '\n';
  }
  QByteArray out;
  for (auto it = sections.cbegin(); it != sections.cend(); ++it) {
    if (!out.isEmpty()) out += '\n';
    out += '[' + it.key() + "]\n" + it.value();
  }
  return out;
}

}  // namespace qm::settings
