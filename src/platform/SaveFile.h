#pragma once
// Replacing a file whole or not at all.
//
// The new contents go to a temporary file beside the target; every write, the
// flush to disk and the close are checked, and only a temporary that holds
// every byte is renamed over the target. On any failure (a full disk, a quota,
// an I/O error, a read-only folder) the temporary is removed and the target
// keeps every byte it had. Readers see the old file or the new one, never half
// of one, and a crash between the steps leaves at most a temporary behind
// (see Leftovers.h, which clears such files away).

#include <QByteArrayView>
#include <QString>

namespace qm::platform {

// The steps of a save, in the order they run.
enum class SaveStep { Open, Write, Sync, Close, Rename };

struct SaveResult {
  bool ok = true;
  SaveStep step = SaveStep::Open;  // where it failed
  int error = 0;                   // errno of the failure
  // "cannot save <file>: <reason>" in English, for stderr; empty when ok.
  QString Text(const QString& file) const;
  // The system's reason alone ("No space left on device").
  QString Reason() const;
};

// Writes `bytes` to `file` as described above. A file that exists keeps its
// permission bits; a symbolic link is followed and its target replaced. The
// folder must exist.
SaveResult SaveFileAtomically(const QString& file, QByteArrayView bytes);

// Makes the given step of every save in this process fail with `error` while
// it lives, as a disk would. Tests use it to reach the failures a real
// filesystem gives only sometimes (EIO at the flush, a failing rename).
class SaveFault {
 public:
  SaveFault(SaveStep step, int error);
  ~SaveFault();
  SaveFault(const SaveFault&) = delete;
  SaveFault& operator=(const SaveFault&) = delete;
};

}  // namespace qm::platform
