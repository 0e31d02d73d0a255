#include "host/HostNote.h"

#include <cstdio>

namespace qm::host {

void PrintNote(const Note& note) {
  if (note.isEmpty()) return;
  std::fprintf(stderr, "quillmark-host: %s\n", note.log.toLocal8Bit().constData());
  std::fflush(stderr);
}

}  // namespace qm::host
