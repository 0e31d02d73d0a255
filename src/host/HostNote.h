#pragma once
// Something the user should know about the stamp: why the text or the picture
// is not what was asked for, or why the editor did not open. It is told twice:
// in the window's tooltip, in the window's own language, and on stderr, in
// the language of every other message our programs print there.

#include <QString>

namespace qm::host {

struct Note {
  QString tooltip;
  QString log;
  bool isEmpty() const { return log.isEmpty(); }
  friend bool operator==(const Note&, const Note&) = default;
};

// Prints "quillmark-host: <log>" on stderr.
void PrintNote(const Note& note);

}  // namespace qm::host
