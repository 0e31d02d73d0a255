#pragma once
// Where a window starts: a stored or default place is taken as it is when
// the screen shows it whole, and otherwise moved (and shrunk if it must be)
// onto the screen's available area, so that a place saved on a larger or
// less scaled screen never leaves part of the window out of reach.

#include <QMargins>
#include <QRect>
#include <QSize>
#include <QString>

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

// Where a window whose inner area is `size` stands beside `anchor` (another
// window's outer frame) without covering it: right of it, else left of it,
// else below, else above, whichever first takes the whole window, frame
// included, inside `available`, `gap` pixels away and lined up with the
// anchor's top (or left) edge as far as the area allows. When no side has
// the room, the side with the most room is taken and the result left for
// FitToScreen. The inner rectangle is returned.
QRect BesideAnchor(const QSize& size, const QRect& anchor, const QRect& available,
                   const QMargins& frame = {}, int gap = 8);

// The stamp tells the editor it starts where the stamp's window stands, so
// that the editor can open beside it: "x,y,width,height" in logical pixels.
inline constexpr char kStampFrameEnvironmentVariable[] = "QUILLMARK_STAMP_FRAME";
QString StampFrameText(const QRect& frame);
// An empty or malformed text, or an empty rectangle, gives a null QRect.
QRect ParseStampFrame(const QString& text);

}  // namespace qm::platform
