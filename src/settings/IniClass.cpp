#include "settings/IniClass.h"

#include <QDir>
#include <QFileInfo>

namespace qm::settings {
namespace {

// The same file may be named "Quillmark.ini", "./Quillmark.ini" or by its full path.
QString Canonical(const QString& file) {
  return QDir::cleanPath(QFileInfo(file).absoluteFilePath());
}

}  // namespace

QString INI_Class::ReadINIKey(const QString& Section, const QString& KeyName,
                              const QString& FileName, const QString& sDefValue) {
  if (snapshot_ && IsBulkFile(FileName)) return snapshot_->Read(Section, KeyName, sDefValue);
  return platform::ReadProfileString(FileName, Section, KeyName, sDefValue);
}

bool INI_Class::WriteInIKey(const QString& Section, const QString& KeyName, const QString& KeyValue,
                            const QString& FileName) {
  lastWriteError_.clear();
  const bool ok =
      platform::WriteProfileString(FileName, Section, KeyName, KeyValue, &lastWriteError_);
  if (snapshot_ && IsBulkFile(FileName)) snapshot_ = platform::ProfileSnapshot::Load(FileName);
  return ok;
}

void INI_Class::BeginBulkRead(const QString& FileName) {
  bulkRaw_ = FileName;
  bulkFile_ = Canonical(FileName);
  snapshot_ = platform::ProfileSnapshot::Load(FileName);
}

void INI_Class::EndBulkRead() {
  bulkFile_.clear();
  bulkRaw_.clear();
  snapshot_.reset();
}

bool INI_Class::IsBulkFile(const QString& FileName) const {
  // Start-up passes the very same name thousands of times: compare that
  // before building the canonical path.
  if (bulkFile_.isEmpty()) return false;
  return FileName == bulkRaw_ || Canonical(FileName) == bulkFile_;
}

}  // namespace qm::settings
