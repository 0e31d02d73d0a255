#pragma once
// Where the session keeps the current line between runs. The program writes
// it into the INI file; tests hand a store of their own.

#include <QString>

namespace qm {

class LookStore {
 public:
  // Stores the line. False when it could not be stored for a reason that
  // may pass (a full disk): the session tries again later. A line the store
  // chooses not to keep counts as stored.
  virtual bool SaveLine(const QString& line) = 0;
  virtual ~LookStore() = default;
};

}  // namespace qm
