#pragma once
// The three paths the whole program works from, set once at start-up.

#include <QString>

namespace qm::settings {

// The program directory, ending in "/".
const QString& sAppPath();
// sAppPath() + "Quillmark.ini": the one INI file, shared with the host.
const QString& sIniFile();
// sAppPath() + "Tavrel/": the root of the template category directories.
const QString& sTemplateRoot();

struct AppPaths {
  QString app;
  QString ini;
  QString templateRoot;
};
// The three paths of a program directory; touches no file. "/" is appended
// unless the directory already ends in one (the root "/" stays "/"). An empty
// directory stays empty, so the paths are relative to the working directory
// rather than to the file system root.
AppPaths AppPathsOf(const QString& programDir);
// Sets the three paths from the program directory, as AppPathsOf() makes them.
void SetAppPaths(const QString& programDir);

// The directory of the running executable (needs a QCoreApplication).
QString ExecutableDirectory();

}  // namespace qm::settings
