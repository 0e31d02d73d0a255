#pragma once
// Wheel arithmetic of the window's wheel handling: whole notches out of the
// angle deltas a wheel, a high-resolution wheel or a touchpad reports, and
// the "is the pointer over this control" test with every edge included.

#include <QPoint>
#include <QRect>

namespace qm::platform {

// A standard notch is 120 units. Finer devices report parts of it: they are
// added up, and each full 120 is one notch, the rest kept for the next event.
class WheelNotches {
 public:
  // Adds a delta (positive: turned away from the user) and returns the whole
  // notches it completes, signed.
  int Add(int angleDelta);
  int Remainder() const { return remainder_; }

 private:
  int remainder_ = 0;
};

// True when the point lies in the rectangle with its right and bottom edges
// included one pixel beyond the last column and row, as a window rectangle
// (left, top, left + width, top + height) is tested. Screen coordinates may
// be negative (a screen left of or above the primary one).
bool IsOverRect(const QRect& rect, const QPoint& p);

}  // namespace qm::platform
