#include "platform/SingleInstance.h"

#include <unistd.h>

#include <QDir>

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

QString SingleInstance::DefaultLockDirectory() {
  const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
  if (!runtime.isEmpty() && QDir::isAbsolutePath(runtime))
    return runtime + QStringLiteral("/quillmark");
  return QStringLiteral("/tmp/quillmark-%1").arg(static_cast<qulonglong>(::geteuid()));
}

}  // namespace qm::platform
