#pragma once
// What marks a change to a file, read with as little work as the platform
// allows: whether it is a regular file, its size and its modification time.
// Caches compare two stamps to know whether a file must be read again.

#include <QString>
#include <QtGlobal>

namespace qm::platform {

struct FileStamp {
  bool isFile = false;
  qint64 size = -1;
  qint64 modifiedNs = 0;
  bool operator==(const FileStamp&) const = default;
};

// The stamp of the file at `path`; isFile false when there is no regular file.
FileStamp FileStampOf(const QString& path);

}  // namespace qm::platform
