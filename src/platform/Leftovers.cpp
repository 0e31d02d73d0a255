#include "platform/Leftovers.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <ctime>

namespace qm::platform {

namespace {

// Our saves name their temporary "<target>.XXXXXX", the X six random ASCII
// letters. A suffix that reads as a word in one case ("backup", "Backup",
// "BACKUP") is more likely a copy somebody made than our dice, so it is left
// alone; the one in twenty of our names that looks like that stays behind.
bool IsOurTemporarySuffix(QStringView suffix) {
  if (suffix.size() != 6) return false;
  int upper = 0;
  int lower = 0;
  for (const QChar c : suffix) {
    if (c >= u'A' && c <= u'Z') {
      ++upper;
    } else if (c >= u'a' && c <= u'z') {
      ++lower;
    } else {
      return false;
    }
  }
  const bool capitalised = upper == 1 && suffix.front() >= u'A' && suffix.front() <= u'Z';
  return upper > 0 && lower > 0 && !capitalised;
}

}  // namespace

int RemoveStaleSaveTemporaries(const QString& file) {
  const QFileInfo target(file);
  const QString prefix = target.fileName() + u'.';
  const QDir dir = target.absoluteDir();
  const std::time_t staleBefore = std::time(nullptr) - kLeftoverAge.count();
  int removed = 0;
  const QStringList names =
      dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
  for (const QString& name : names) {
    if (!name.startsWith(prefix) || !IsOurTemporarySuffix(QStringView(name).mid(prefix.size())))
      continue;
    const QByteArray path = QFile::encodeName(dir.filePath(name));
    // Only a plain file of ours, not touched for a while: a save in progress
    // is milliseconds old, and a link or a folder of that name is not ours.
    struct stat st {};
    if (::lstat(path.constData(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::geteuid() ||
        st.st_mtime >= staleBefore)
      continue;
    if (::unlink(path.constData()) == 0) ++removed;
  }
  return removed;
}

}  // namespace qm::platform
