#pragma once
// Everything the editor takes from its surroundings, so that tests can build a
// real window from a temporary program directory and per-user store.

#include <QRect>
#include <QString>

namespace qm {

struct AppEnvironment {
  QString programDir;     // where Quillmark.ini and Tavrel/ live
  QString userStoreFile;  // the per-user settings file
  QString commandLine;    // "<host handle>|<sample text>"
  QString linkDir;        // host link endpoint directory; empty: the default
  QRect stampFrame;       // where the stamp that started us stands; null: unknown
  QString ownLook;        // the look of a stamp that keeps its own; empty: the
                          // shared selection in Quillmark.ini
};

}  // namespace qm
