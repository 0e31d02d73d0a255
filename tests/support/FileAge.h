#pragma once
// Leftovers of killed runs are judged by their age: making files look old,
// and one row of a table of them.

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

// A file made `age` seconds old, of a kind the test names, and whether
// start-up must remove it.
struct Leftover {
  const char* name;
  int age;
  int kind;
  bool removed;
};

}  // namespace qm::test
