#include "platform/WindowPlacement.h"

#include <algorithm>

namespace qm::platform {
namespace {

// One axis: a span of `length` wanted at `start`, inside [lo, lo + room).
void FitSpan(int& start, int& length, int lo, int room, int minimum) {
  length = std::max(std::min(length, room), minimum);
  start = length > room ? lo : std::clamp(start, lo, lo + room - length);
}

}  // namespace

QRect FitToScreen(const QRect& wanted, const QRect& available, const QSize& minimum,
                  const QMargins& frame) {
  if (available.isEmpty() || available.contains(wanted)) return wanted;
  // Where the inner rectangle may lie so that the frame stays on the screen.
  const QRect inner = available.marginsRemoved(frame);
  int x = wanted.x(), w = wanted.width();
  int y = wanted.y(), h = wanted.height();
  FitSpan(x, w, inner.left(), std::max(0, inner.width()), minimum.width());
  FitSpan(y, h, inner.top(), std::max(0, inner.height()), minimum.height());
  return QRect(x, y, w, h);
}

}  // namespace qm::platform
