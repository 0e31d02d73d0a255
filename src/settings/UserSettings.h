#pragma once
// The per-user store: what belongs to the editor alone (window place, open
// page, preview background), as opposed to the INI file shared with the host.

#include <QSettings>
#include <QString>

namespace qm::settings {

class UserSettings {
 public:
  explicit UserSettings(const QString& filePath = DefaultFilePath());

  // Stores the string at once (synced to disk, so a crash loses nothing).
  // False when the store could not be written.
  bool SetS(const QString& sKey, const QString& Sval);
  // The stored string, or sDef when the key was never stored.
  QString GetS(const QString& sKey, const QString& sDef) const;

  // <user configuration dir>/Quillmark/Quillmark.conf. The store is addressed
  // by application, section and key; the application is "Quillmark" (not the
  // editor's own name), so the file is named after it and the section is the
  // INI group "Options".
  static QString DefaultFilePath();

 private:
  QSettings settings_;
};

}  // namespace qm::settings
