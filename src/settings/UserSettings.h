#pragma once
// The per-user store: what belongs to one user's programs alone (the editor's
// window place, open page and preview background in group "Options", the
// desktop stamp's place in group "Host"), as opposed to the INI file that the
// editor shares with the host.

#include <QSettings>
#include <QString>
#include <QStringList>

namespace qm::settings {

class UserSettings {
 public:
  explicit UserSettings(const QString& filePath = DefaultFilePath(),
                        const QString& group = QStringLiteral("Options"));

  // Stores the string at once (synced to disk, so a crash loses nothing).
  // False when the store could not be written.
  bool SetS(const QString& sKey, const QString& Sval);
  // The stored string, or sDef when the key was never stored.
  QString GetS(const QString& sKey, const QString& sDef) const;
  // Every key stored in the group, those of its subgroups as "sub/key".
  QStringList Keys() const;

  // <user configuration dir>/Quillmark/Quillmark.conf. The store is addressed
  // by application, section and key; the application is "Quillmark" (not the
  // editor's own name), so the file is named after it and each section is an
  // INI group.
  static QString DefaultFilePath();

 private:
  QString Key(const QString& sKey) const { return group_ + u'/' + sKey; }

  QSettings settings_;
  QString group_;
};

}  // namespace qm::settings
