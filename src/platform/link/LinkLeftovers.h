#pragma once

#include <QString>

namespace qm::link {

// Every program that is killed leaves its endpoint's socket file behind.
// Removes, in the link folder `dir` (empty: the folder in force), the socket
// files named after a handle that nobody listens on any more and that are
// older than platform::kLeftoverAge; gives their number. A refused folder is
// left alone.
int RemoveDeadEndpoints(const QString& dir = {});

}  // namespace qm::link
