#include "render/Gdip.h"

namespace qm::render {
namespace {
int g_starts = 0;
bool g_startFails = false;
}  // namespace

bool GdipStart() {
  if (g_startFails) return false;
  ++g_starts;
  return true;
}

void GdipStop() {
  // An unpaired stop must not drive the count negative and hide a later leak.
  if (g_starts > 0) --g_starts;
}

int GdipStartCount() { return g_starts; }

void SetGdipStartFailsForTesting(bool fails) { g_startFails = fails; }

}  // namespace qm::render
