#pragma once
// Stored data names pictures as "Category\file.png", relative to the template
// root, with the "\" separator of the system the catalogue was made on. This
// turns such a name into a real file path.

#include <QString>

namespace qm::platform {

// `relative` ("\" or "/" separated) joined to `rootDir`. When that exact path
// does not exist, each directory and the file name are matched without regard
// to case, because catalogues made on a case-insensitive system spell names
// loosely; the exact join is returned when no such match exists either.
// A name that would leave the root (an absolute path, a ".." or "." component,
// an empty component) gives an empty string, which callers treat as missing.
QString ResolveRelativePath(const QString& rootDir, const QString& relative);

}  // namespace qm::platform
