#include "platform/link/LinkDirectory.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QMutexLocker>
#include <cerrno>
#include <cstring>

namespace qm::link {

namespace {

QMutex& OverrideMutex() {
  static QMutex m;
  return m;
}

QString& OverridePath() {
  static QString p;
  return p;
}

QString Trimmed(QString path) {
  while (path.size() > 1 && path.endsWith(u'/')) path.chop(1);
  return path;
}

}  // namespace

QString DefaultLinkDirectoryPath() {
  // Set by the test host for the editor it starts, so that both meet in the
  // folder the test chose without the editor knowing about tests.
  const QString chosen = qEnvironmentVariable(kLinkDirEnvironmentVariable);
  if (!chosen.isEmpty() && QDir::isAbsolutePath(chosen)) return Trimmed(chosen);
  const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
  // A relative runtime folder would depend on the working directory, so the
  // two programs could miss each other; treat it like an unset variable.
  if (!runtime.isEmpty() && QDir::isAbsolutePath(runtime))
    return Trimmed(runtime) + QStringLiteral("/quillmark");
  return QStringLiteral("/tmp/quillmark-%1").arg(static_cast<qulonglong>(::geteuid()));
}

void SetLinkDirectoryOverride(const QString& path) {
  QMutexLocker lock(&OverrideMutex());
  OverridePath() = path.isEmpty() ? QString() : Trimmed(path);
}

QString LinkDirectoryOverride() {
  QMutexLocker lock(&OverrideMutex());
  return OverridePath();
}

QString PrivateLinkDirectoryPath() {
  QString cache = qEnvironmentVariable("XDG_CACHE_HOME");
  if (cache.isEmpty() || !QDir::isAbsolutePath(cache))
    cache = QDir::homePath() + QStringLiteral("/.cache");
  return Trimmed(cache) + QStringLiteral("/quillmark-link");
}

LinkDirResult LinkDirectory() {
  const QString over = LinkDirectoryOverride();
  if (!over.isEmpty()) return PrepareLinkDirectory(over);
  const QString usual = DefaultLinkDirectoryPath();
  const LinkDirResult r = PrepareLinkDirectory(usual);
  // Only the folder in /tmp can be taken by somebody else first; then a
  // folder of our own, where every program of ours looks next.
  if (r.ok() || !usual.startsWith(QStringLiteral("/tmp/"))) return r;
  const QString own = PrivateLinkDirectoryPath();
  QDir().mkpath(QFileInfo(own).absolutePath());
  const LinkDirResult fallback = PrepareLinkDirectory(own);
  return fallback.ok() ? fallback : r;
}

LinkDirResult PrepareLinkDirectory(const QString& path) {
  LinkDirResult r;
  r.path = Trimmed(path);
  if (r.path.isEmpty()) {
    r.error = QStringLiteral("no link directory given");
    return r;
  }
  const QByteArray native = QFile::encodeName(r.path);
  if (::mkdir(native.constData(), 0700) != 0 && errno != EEXIST) {
    r.error = QStringLiteral("cannot create %1: %2")
                  .arg(r.path, QString::fromLocal8Bit(std::strerror(errno)));
    return r;
  }
  // lstat, not stat: a symbolic link planted in /tmp must not lead us into a
  // folder that somebody else chose.
  struct stat st {};
  if (::lstat(native.constData(), &st) != 0) {
    r.error = QStringLiteral("cannot examine %1: %2")
                  .arg(r.path, QString::fromLocal8Bit(std::strerror(errno)));
    return r;
  }
  if (!S_ISDIR(st.st_mode)) {
    r.error = QStringLiteral("%1 is not a directory").arg(r.path);
  } else if (st.st_uid != ::geteuid()) {
    r.error = QStringLiteral("%1 belongs to another user").arg(r.path);
  } else if ((st.st_mode & 077) != 0) {
    r.error = QStringLiteral("%1 is open to other users (mode %2)")
                  .arg(r.path)
                  .arg(st.st_mode & 0777, 3, 8, QLatin1Char('0'));
  }
  return r;
}

}  // namespace qm::link
