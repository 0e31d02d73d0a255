#pragma once
// How large a drawing may get. Nothing the programs draw is meant to be
// larger than the screen it is shown on, so no drawing of a look takes more
// device pixels than the largest screen has (its size times its pixel ratio);
// a look that reaches beyond is drawn clipped to that much round the middle
// of its box, and the rest is never allocated. Without a real screen
// (drawing into a file) the size of a large monitor stands in.

#include <QRect>
#include <QSize>

namespace qm::render {

inline constexpr QSize kScreenlessDrawingCap(3840, 2160);

// The cap in device pixels. Worked out from the screens on the application's
// own thread; other threads (the gallery's renderers) get the value last
// worked out there.
QSize DrawingCap();

// The part of a box of device pixels that may be drawn: the whole box when it
// fits the cap, else a part of the cap's size round the box's centre.
QRect DrawableArea(const QRect& box);

}  // namespace qm::render
