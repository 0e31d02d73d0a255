#pragma once
// A real filesystem of a few dozen kilobytes, mounted for one test, so that a
// full disk or a read-only folder is the kernel's own and not a stand-in.
// Mounting needs the right to mount (root, as in CI); elsewhere the test is
// skipped and says why.

#include <fcntl.h>
#include <sys/mount.h>
#include <unistd.h>

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <cerrno>
#include <cstring>

namespace qm::test {

class SmallDisk {
 public:
  explicit SmallDisk(int kib = 64) {
    const QByteArray options = "size=" + QByteArray::number(kib) + "k,mode=0755";
    if (::mount("tmpfs", Native().constData(), "tmpfs", 0, options.constData()) == 0) {
      mounted_ = true;
    } else {
      skipReason_ = QStringLiteral(
                        "cannot mount a small filesystem here (%1); run as root to "
                        "test a full disk")
                        .arg(QString::fromLocal8Bit(std::strerror(errno)));
    }
  }
  ~SmallDisk() {
    if (mounted_) ::umount2(Native().constData(), MNT_DETACH);
  }
  SmallDisk(const SmallDisk&) = delete;
  SmallDisk& operator=(const SmallDisk&) = delete;

  bool Mounted() const { return mounted_; }
  const QString& SkipReason() const { return skipReason_; }
  QString Path() const { return dir_.path(); }
  QString FillerPath() const { return dir_.path() + QStringLiteral("/filler"); }

  // Writes a filler file until the disk is full, then gives back `spareBytes`
  // of it (rounded to whole pages by the filesystem).
  void Fill(qint64 spareBytes = 0) {
    const QByteArray path = QFile::encodeName(FillerPath());
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_APPEND, 0600);
    if (fd < 0) return;
    const QByteArray chunk(512, 'f');
    while (::write(fd, chunk.constData(), static_cast<size_t>(chunk.size())) > 0) {
    }
    if (spareBytes > 0) {
      const off_t size = ::lseek(fd, 0, SEEK_END);
      if (::ftruncate(fd, size > spareBytes ? size - spareBytes : 0) != 0) {
      }
    }
    ::close(fd);
  }
  void Free() { QFile::remove(FillerPath()); }

  bool MakeReadOnly() {
    return ::mount(nullptr, Native().constData(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) == 0;
  }

 private:
  QByteArray Native() const { return QFile::encodeName(dir_.path()); }

  QTemporaryDir dir_;
  bool mounted_ = false;
  QString skipReason_;
};

}  // namespace qm::test

#define QM_SKIP_WITHOUT(disk) \
  if (!(disk).Mounted()) GTEST_SKIP() << (disk).SkipReason().toStdString()
