#include "settings/UserSettings.h"

#include <QStandardPaths>

namespace qm::settings {

UserSettings::UserSettings(const QString& filePath, const QString& group)
    : settings_(filePath, QSettings::IniFormat), group_(group) {}

bool UserSettings::SetS(const QString& sKey, const QString& Sval) {
  settings_.setValue(Key(sKey), Sval);
  settings_.sync();
  return settings_.status() == QSettings::NoError;
}

QString UserSettings::GetS(const QString& sKey, const QString& sDef) const {
  const QVariant v = settings_.value(Key(sKey));
  if (!v.isValid()) return sDef;
  // A hand-edited file may hold an unquoted "a, b", which the INI format reads
  // as a list; the values are plain strings, so give it back as one.
  if (v.typeId() == QMetaType::QStringList) return v.toStringList().join(u',');
  return v.toString();
}

QStringList UserSettings::Keys() const {
  QStringList out;
  const QString prefix = group_ + u'/';
  for (const QString& k : settings_.allKeys())
    if (k.startsWith(prefix)) out << k.mid(prefix.size());
  return out;
}

QString UserSettings::DefaultFilePath() {
  return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
         QStringLiteral("/Quillmark/Quillmark.conf");
}

}  // namespace qm::settings
