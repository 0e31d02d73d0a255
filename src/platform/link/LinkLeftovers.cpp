#include "platform/link/LinkLeftovers.h"

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <cerrno>
#include <cstring>
#include <ctime>

#include "platform/Leftovers.h"
#include "platform/link/LinkDirectory.h"

namespace qm::link {

namespace {

bool IsHandleName(const QString& name) {
  bool ok = false;
  const qint32 handle = name.toInt(&ok);
  return ok && handle > 0 && name == QString::number(handle);
}

// Nobody listens on the socket file any more. A full queue (EAGAIN) is a
// live endpoint that is merely busy.
bool NobodyListens(const QByteArray& path) {
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  if (path.size() >= static_cast<qsizetype>(sizeof addr.sun_path)) return false;
  std::memcpy(addr.sun_path, path.constData(), static_cast<size_t>(path.size()));
  const int probe = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  if (probe < 0) return false;
  const bool refused = ::connect(probe, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 &&
                       errno == ECONNREFUSED;
  ::close(probe);
  return refused;
}

}  // namespace

int RemoveDeadEndpoints(const QString& dir) {
  const LinkDirResult folder = dir.isEmpty() ? LinkDirectory() : PrepareLinkDirectory(dir);
  if (!folder.ok()) return 0;
  const std::time_t staleBefore = std::time(nullptr) - platform::kLeftoverAge.count();
  int removed = 0;
  const QStringList names = QDir(folder.path).entryList(QDir::System | QDir::NoDotAndDotDot);
  for (const QString& name : names) {
    if (!IsHandleName(name)) continue;
    const QByteArray path = QFile::encodeName(folder.path + u'/' + name);
    // A fresh file may be an endpoint between naming its socket and listening
    // on it; an old one that refuses connections is what a kill left.
    struct stat before {};
    if (::lstat(path.constData(), &before) != 0 || !S_ISSOCK(before.st_mode) ||
        before.st_mtime >= staleBefore || !NobodyListens(path))
      continue;
    // Still the file that was probed, not one a new endpoint put in its place.
    struct stat after {};
    if (::lstat(path.constData(), &after) == 0 && after.st_dev == before.st_dev &&
        after.st_ino == before.st_ino && ::unlink(path.constData()) == 0)
      ++removed;
  }
  return removed;
}

}  // namespace qm::link
