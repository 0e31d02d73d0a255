#pragma once
// Makes a file look old: leftovers are judged by their age.

#include <fcntl.h>
#include <sys/stat.h>

#include <QFile>
#include <ctime>

namespace qm::test {

// Sets the times of `path` (a symbolic link itself, not its target) to
// `seconds` ago.
inline void Age(const QString& path, int seconds) {
  timespec times[2];
  ::clock_gettime(CLOCK_REALTIME, &times[0]);
  times[0].tv_sec -= seconds;
  times[1] = times[0];
  ::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, AT_SYMLINK_NOFOLLOW);
}

}  // namespace qm::test
