#pragma once

#include <QString>

namespace qm::link {

// The folder that holds every link endpoint of this user. It is created with
// mode 0700 and refused when it belongs to somebody else or is open to group or
// others: anyone who can write there could pose as the host or the editor.
struct LinkDirResult {
  QString path;   // without a trailing "/"
  QString error;  // empty when the folder may be used
  bool ok() const { return error.isEmpty(); }
};

// Names a folder that replaces the default one for a whole process tree.
inline constexpr char kLinkDirEnvironmentVariable[] = "QUILLMARK_LINK_DIR";

// $QUILLMARK_LINK_DIR when set to an absolute path; else
// "$XDG_RUNTIME_DIR/quillmark", or "/tmp/quillmark-<uid>" when the variable is
// unset, empty or not absolute. Touches nothing on disk.
QString DefaultLinkDirectoryPath();

// A process-wide replacement for the default folder (tests, the test host's
// --link-dir); an empty text goes back to the default.
void SetLinkDirectoryOverride(const QString& path);
QString LinkDirectoryOverride();

// The folder of our own that stands in for "/tmp/quillmark-<uid>" when that
// one is refused (somebody else made it first):
// "$XDG_CACHE_HOME/quillmark-link", or "~/.cache/quillmark-link".
QString PrivateLinkDirectoryPath();

// The folder in force (override or default), created and checked; the
// private folder when the default is the one in /tmp and it is refused.
LinkDirResult LinkDirectory();

// `path` created if missing (its parent must exist) and checked.
LinkDirResult PrepareLinkDirectory(const QString& path);

}  // namespace qm::link
