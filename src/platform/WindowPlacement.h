#pragma once
// Where a window starts: a stored or default place is taken as it is when
// the screen shows it whole, and otherwise moved (and shrunk if it must be)
// onto the screen's available area, so that a place saved on a larger or
// less scaled screen never leaves part of the window out of reach.

#include <QMargins>
#include <QRect>
#include <QSize>

namespace qm::platform {

// `wanted` is the window's inner (client) rectangle and `frame` what the
// window manager's frame adds around it; all in logical pixels. A `wanted`
// inside `available` is returned exactly. Otherwise the window keeps its size
// where that fits and is moved the least distance that brings it, frame
// included, inside `available`; a side too long for the area is shortened to
// fit, but never below `minimum`. A window larger than the area even at its
// minimum keeps its top-left corner, and with it the title bar, on the
// screen. An empty `available` (no screen known) leaves `wanted` as it is.
QRect FitToScreen(const QRect& wanted, const QRect& available, const QSize& minimum,
                  const QMargins& frame = {});

}  // namespace qm::platform
