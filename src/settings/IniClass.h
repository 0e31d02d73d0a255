#pragma once
// Access to the INI file shared with the host. Every read and write of
// "Quillmark.ini" goes through this class.

#include <QString>
#include <optional>

#include "platform/ProfileFile.h"
#include "platform/SettingKey.h"

namespace qm::settings {

class INI_Class {
 public:
  // The value of KeyName in Section of FileName, or sDefValue when the file,
  // section or key is missing. Long values are read whole.
  QString ReadINIKey(const QString& Section, const QString& KeyName, const QString& FileName,
                     const QString& sDefValue);

  // Creates the file, section and key as needed and replaces the value in
  // place. Callers may ignore the result, as the classic program did; it is
  // false when nothing was written (I/O failure, or names or a value that
  // would break the file's layout).
  bool WriteInIKey(const QString& Section, const QString& KeyName, const QString& KeyValue,
                   const QString& FileName);
  // The same through a key of stamp/IniKeys.h: its value, or its default.
  template <class T>
  T Read(const platform::SettingKey<T>& key, const QString& FileName) {
    return key.FromText(
        ReadINIKey(key.group.toString(), key.name.toString(), FileName, key.ToText(key.Default())));
  }
  template <class T>
  bool Write(const platform::SettingKey<T>& key, const std::type_identity_t<T>& value,
             const QString& FileName) {
    return WriteInIKey(key.group.toString(), key.name.toString(), key.ToText(value), FileName);
  }
  // Why the last WriteInIKey failed to read or replace its file (the reason
  // in English); empty after a success or after a refused name or value,
  // which trying again would not mend.
  const QString& LastWriteError() const { return lastWriteError_; }

  // Start-up reads thousands of keys: between these two calls, reads of
  // FileName come from one parse of the file instead of one parse per key.
  // A write to that file meanwhile refreshes the parse (so it also picks up
  // what the host wrote); otherwise changes made by others are not seen until
  // EndBulkRead.
  void BeginBulkRead(const QString& FileName);
  void EndBulkRead();

 private:
  bool IsBulkFile(const QString& FileName) const;

  QString bulkRaw_;   // the name as BeginBulkRead was given it
  QString bulkFile_;  // absolute, cleaned; empty when no bulk read is active
  std::optional<platform::ProfileSnapshot> snapshot_;
  QString lastWriteError_;
};

}  // namespace qm::settings
