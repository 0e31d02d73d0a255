#pragma once
// One editor per user: the first instance holds a lock file for its whole run.

#include <QLockFile>
#include <QString>

namespace qm::platform {

class SingleInstance {
 public:
  explicit SingleInstance(const QString& lockFilePath);
  ~SingleInstance() = default;  // QLockFile releases the lock
  SingleInstance(const SingleInstance&) = delete;
  SingleInstance& operator=(const SingleInstance&) = delete;

  // True when no other instance holds the lock (this one now does). A lock
  // left by an instance that crashed is taken over. When the lock cannot be
  // created at all (no writable directory), the answer is also true: an
  // editor that runs twice is better than one that never starts.
  bool tryAcquire();

  // The folder the lock belongs in: $XDG_RUNTIME_DIR/quillmark, or
  // /tmp/quillmark-<uid> without that variable (or with a relative one).
  // Touches nothing on disk: the caller creates and checks it, as a folder
  // that another user could have made first must not be trusted.
  static QString DefaultLockDirectory();
  static QString LockFileName() { return QStringLiteral("QuillmarkOpt.lock"); }

 private:
  QLockFile lock_;
};

}  // namespace qm::platform
