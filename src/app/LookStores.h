#pragma once
// The stores the program keeps the current line in.

#include <QString>
#include <functional>

#include "session/LookStore.h"

namespace qm {

namespace settings {
class INI_Class;
}

// The shared selection: "General"/"Selected" of the INI file.
class IniLookStore final : public LookStore {
 public:
  // `outcome(written)` hears of every write and says whether a failed one is
  // worth trying again.
  IniLookStore(settings::INI_Class& ini, std::function<bool(bool written)> outcome)
      : ini_(ini), outcome_(std::move(outcome)) {}
  bool SaveLine(const QString& line) override;

 private:
  settings::INI_Class& ini_;
  std::function<bool(bool written)> outcome_;
};

// A stamp with a look of its own keeps every change it is sent itself; the
// shared selection belongs to the other stamps and is left alone.
class StampKeptLook final : public LookStore {
 public:
  bool SaveLine(const QString&) override { return true; }
};

}  // namespace qm
