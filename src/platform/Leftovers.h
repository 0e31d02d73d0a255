#pragma once
// What a run that was killed leaves behind, and how start-up clears it away.

#include <QString>
#include <chrono>

namespace qm::platform {

// Leftovers younger than this may still belong to a run in progress (a save
// takes milliseconds, a program starting up a moment): they are left alone.
inline constexpr std::chrono::seconds kLeftoverAge{60};

// A save writes a temporary file "<file>.XXXXXX" beside `file` and renames it
// over the file; a kill in between leaves the temporary behind. Removes such
// files of ours that are older than kLeftoverAge and gives their number.
int RemoveStaleSaveTemporaries(const QString& file);

}  // namespace qm::platform
