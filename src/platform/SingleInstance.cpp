#include "platform/SingleInstance.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QByteArray>
#include <QFile>

namespace qm::platform {

SingleInstance::SingleInstance(const QString& lockFilePath) : lock_(lockFilePath) {
  // The editor runs for hours: a lock must never count as stale because of its
  // age, only because the process that wrote it is gone (QLockFile checks the
  // process id it stores; its flock() alone is not honoured on every file system).
  lock_.setStaleLockTime(0);
}

bool SingleInstance::tryAcquire() {
  if (lock_.isLocked()) return true;
  if (lock_.tryLock(0)) return true;
  return lock_.error() != QLockFile::LockFailedError;
}

QString SingleInstance::DefaultLockPath() {
  const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
  const QString dir = runtime.isEmpty() ? QStringLiteral("/tmp/quillmark-%1").arg(::getuid())
                                        : QFile::decodeName(runtime) + QStringLiteral("/quillmark");
  // mkdir applies the mode at creation, so the directory is never open to
  // others even for a moment; an existing one is left as it is.
  ::mkdir(QFile::encodeName(dir).constData(), 0700);
  return dir + QStringLiteral("/QuillmarkOpt.lock");
}

}  // namespace qm::platform
