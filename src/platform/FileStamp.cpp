#include "platform/FileStamp.h"

#include <QFile>
#include <QFileInfo>

#if defined(Q_OS_UNIX)
#include <sys/stat.h>
#endif

namespace qm::platform {

FileStamp FileStampOf(const QString& path) {
  FileStamp f;
#if defined(Q_OS_UNIX)
  // One stat, and no time zone: the modification time as local time (what
  // QFileInfo hands out) makes the C library read the zone file again for
  // every picture of every paint.
  struct stat st;
  const QByteArray name = QFile::encodeName(path);
  if (name.isEmpty() || ::stat(name.constData(), &st) != 0 || !S_ISREG(st.st_mode)) return f;
  f.isFile = true;
  f.size = static_cast<qint64>(st.st_size);
  f.modifiedNs = static_cast<qint64>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
#else
  const QFileInfo info(path);
  if (!info.isFile()) return f;
  f.isFile = true;
  f.size = info.size();
  f.modifiedNs = info.lastModified().toMSecsSinceEpoch() * 1000000;
#endif
  return f;
}

}  // namespace qm::platform
