#pragma once
// Window geometry is kept in twips (1/1440 inch) as the layout rules state it;
// Qt's logical pixels are 1/96 inch, so a logical pixel is always 15 twips and
// Qt takes care of the screen's real density.

#include <cmath>

namespace qm {

inline constexpr double kTwipsPerPixel = 15.0;

inline int TwipsToPixels(double twips) {
  return static_cast<int>(std::nearbyint(twips / kTwipsPerPixel));
}
inline double PixelsToTwips(double px) { return px * kTwipsPerPixel; }

}  // namespace qm
