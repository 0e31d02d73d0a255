#include "platform/RegularFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace qm::platform {

bool OpenRegularFile(const QString& path, qint64 maxBytes, QFile& file, QString* why) {
  const auto fail = [&](const QString& reason) {
    if (why) *why = reason;
    return false;
  };
  if (file.isOpen()) file.close();
  // O_NONBLOCK: opening a FIFO for reading would otherwise wait for a writer.
  const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return fail(QString::fromLocal8Bit(std::strerror(errno)));
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return fail(QStringLiteral("not a regular file"));
  }
  if (st.st_size > maxBytes) {
    ::close(fd);
    return fail(QStringLiteral("larger than %1 bytes").arg(maxBytes));
  }
  // Reads of a regular file never wait, so the flag may stay; clear it all
  // the same for anything that reads the descriptor later.
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
    ::close(fd);
    return fail(file.errorString());
  }
  return true;
}

std::optional<QByteArray> ReadRegularFile(const QString& path, qint64 maxBytes, QString* why) {
  QFile file;
  if (!OpenRegularFile(path, maxBytes, file, why)) return std::nullopt;
  // Read as far as the file goes, never past the limit even if it grew since
  // it was measured (reading `maxBytes` at once would allocate all of it).
  QByteArray data;
  data.reserve(static_cast<qsizetype>(file.size()));
  char buffer[64 * 1024];
  for (;;) {
    const qint64 n = file.read(buffer, sizeof buffer);
    if (n < 0) {
      if (why) *why = file.errorString();
      return std::nullopt;
    }
    if (n == 0) break;
    if (data.size() + n > maxBytes) {
      if (why) *why = QStringLiteral("grew past the limit");
      return std::nullopt;
    }
    data.append(buffer, static_cast<qsizetype>(n));
  }
  return data;
}

}  // namespace qm::platform
