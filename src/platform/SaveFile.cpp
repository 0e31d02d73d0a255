#include "platform/SaveFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <atomic>
#include <cerrno>
#include <cstring>

namespace qm::platform {
namespace {

struct Fault {
  std::atomic<int> step{-1};
  std::atomic<int> error{0};
};
Fault& InjectedFault() {
  static Fault fault;
  return fault;
}

// True (errno set) when a test made this step fail.
bool Injected(SaveStep step) {
  const Fault& f = InjectedFault();
  if (f.step.load() != static_cast<int>(step)) return false;
  errno = f.error.load();
  return true;
}

// "<target>.xxxxxx": six ASCII letters, the first lower case and at least one
// upper case among them, which is the shape start-up recognises as a save
// temporary left behind by a kill.
QByteArray TemporaryName(const QByteArray& target) {
  QRandomGenerator* random = QRandomGenerator::global();
  QByteArray suffix(6, 'a');
  for (char& c : suffix) c = char('a' + random->bounded(26));
  suffix[1 + random->bounded(5)] = char('A' + random->bounded(26));
  return target + '.' + suffix;
}

bool WriteAll(int fd, const char* data, qsizetype size) {
  while (size > 0) {
    if (Injected(SaveStep::Write)) return false;
    const ssize_t n = ::write(fd, data, static_cast<size_t>(size));
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (n == 0) {  // no progress and no reason given: take it as a full disk
      errno = ENOSPC;
      return false;
    }
    data += n;
    size -= n;
  }
  return true;
}

}  // namespace

QString SaveResult::Reason() const { return QString::fromLocal8Bit(std::strerror(error)); }

QString SaveResult::Text(const QString& file) const {
  if (ok) return {};
  return QStringLiteral("cannot save %1: %2").arg(file, Reason());
}

SaveResult SaveFileAtomically(const QString& file, QByteArrayView bytes) {
  SaveResult result;
  const auto fail = [&](SaveStep step) {
    result.ok = false;
    result.step = step;
    result.error = errno != 0 ? errno : EIO;
    return result;
  };
  // A link stays a link: its target is what gets replaced.
  const QFileInfo info(file);
  const QString target = info.isSymLink() && info.exists() ? info.canonicalFilePath() : file;
  const QByteArray native = QFile::encodeName(target);
  struct stat old {};
  const bool existed = ::stat(native.constData(), &old) == 0;

  QByteArray temporary;
  int fd = -1;
  for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
    if (Injected(SaveStep::Open)) return fail(SaveStep::Open);
    temporary = TemporaryName(native);
    fd = ::open(temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST) return fail(SaveStep::Open);
  }
  if (fd < 0) return fail(SaveStep::Open);
  // From here on a failure takes the temporary with it; the target is untouched.
  const auto abandon = [&](SaveStep step) {
    const int error = errno;
    if (fd >= 0) ::close(fd);
    ::unlink(temporary.constData());
    errno = error;
    return fail(step);
  };
  if (existed) ::fchmod(fd, old.st_mode & 07777);
  if (!WriteAll(fd, bytes.data(), bytes.size())) return abandon(SaveStep::Write);
  // The data must be on the disk before the name points at it: a crash after
  // the rename must not leave an empty file under the old name.
  if (Injected(SaveStep::Sync) || ::fsync(fd) != 0) return abandon(SaveStep::Sync);
  // Some filesystems (network ones) report a failed write only at the close.
  const bool closeFailed = Injected(SaveStep::Close) || ::close(fd) != 0;
  fd = -1;
  if (closeFailed) return abandon(SaveStep::Close);
  if (Injected(SaveStep::Rename) || ::rename(temporary.constData(), native.constData()) != 0) {
    return abandon(SaveStep::Rename);
  }
  // The rename itself lasts once the folder is on the disk too; a folder that
  // cannot be synced still holds the whole new file.
  const QByteArray folder = QFile::encodeName(QFileInfo(target).absolutePath());
  const int dirFd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dirFd >= 0) {
    ::fsync(dirFd);
    ::close(dirFd);
  }
  return result;
}

SaveFault::SaveFault(SaveStep step, int error) {
  InjectedFault().error = error;
  InjectedFault().step = static_cast<int>(step);
}

SaveFault::~SaveFault() { InjectedFault().step = -1; }

}  // namespace qm::platform
