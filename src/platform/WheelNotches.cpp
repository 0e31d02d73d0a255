#include "platform/WheelNotches.h"

namespace qm::platform {

int WheelNotches::Add(int angleDelta) {
  constexpr int kNotch = 120;
  // Widened so that a device reporting huge deltas cannot overflow the sum.
  const long long sum = static_cast<long long>(remainder_) + angleDelta;
  const long long notches = sum / kNotch;  // toward zero: the rest keeps its sign
  remainder_ = static_cast<int>(sum - notches * kNotch);
  return static_cast<int>(notches);
}

bool IsOverRect(const QRect& rect, const QPoint& p) {
  const long long right = static_cast<long long>(rect.x()) + rect.width();
  const long long bottom = static_cast<long long>(rect.y()) + rect.height();
  return rect.x() <= p.x() && p.x() <= right && rect.y() <= p.y() && p.y() <= bottom;
}

}  // namespace qm::platform
