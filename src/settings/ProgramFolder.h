#pragma once
// The program folder: where Quillmark.ini and Tavrel/ live. The rule of the
// system is "beside the program", and a program folder of its own (the build
// folder, a copy unpacked anywhere) keeps that rule. An installed program
// lives in a shared bin/ that holds no catalogue and is often not ours to
// write; it keeps its catalogue in a per-user program folder instead. The
// editor and the stamp decide alike, so both read the one Quillmark.ini.

#include <QProcessEnvironment>
#include <QString>
#include <utility>

namespace qm::settings {

struct ProgramFolder {
  ProgramFolder(QString d = {}, bool u = false, QString n = {})
      : dir(std::move(d)), perUser(u), notice(std::move(n)) {}
  QString dir;
  bool perUser = false;  // the per-user folder, not the executable's own
  QString notice;        // why the usual per-user folder was passed over, and for which
};

// $XDG_DATA_HOME/quillmark, or ~/.local/share/quillmark when that variable is
// unset or not an absolute path; empty when not even a home is known.
QString PerUserProgramFolder(const QProcessEnvironment& env);

// The executable's folder when it is a program folder we may write: it holds
// Quillmark.ini, and both the folder and the file are writable (an INI file
// that cannot be saved would lose every change). Otherwise the per-user
// folder. A writable bin/ without a catalogue (such as ~/.local/bin) is not
// taken: the catalogue does not belong among other programs.
//
// A per-user folder that fails CheckProgramFolder is not used: the programs
// take a private folder in the user's cache folder instead (or, failing
// that, a fresh one among the temporary files) and say so in `notice`.
ProgramFolder ChooseProgramFolder(const QString& executableDir, const QProcessEnvironment& env);

// Empty when `dir` may hold our catalogue: a folder (or a link to one) that
// belongs to this user and that no other user may write to; otherwise why not.
QString CheckProgramFolder(const QString& dir);

// Makes a per-user folder ready on first use: creates it and, while it holds
// no whole catalogue (no Quillmark.ini, an empty one, or pictures the tool
// did not finish), has `democat` (the demo catalogue tool) draw the demo
// catalogue into it; a Quillmark.ini with something in it is kept. Two programs starting at once
// take turns. A folder of the executable's own is left as it is. Returns why the folder could not
// be made ready, or an empty string.
QString PrepareProgramFolder(const ProgramFolder& folder, const QString& democat);

// The folder the running program works from, made ready; problems go to
// stderr prefixed with `program` and the folder is used as far as it goes.
QString ProgramFolderForThisProgram(const char* program);

}  // namespace qm::settings
