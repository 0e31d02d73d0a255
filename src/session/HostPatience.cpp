#include "session/HostPatience.h"

#include <algorithm>

namespace qm {

int HostPatience::NextWait(int boundMs) const {
  const int left = boundMs - spentMs_;
  if (left <= 0) return 0;
  const int want = hung_ ? std::max(1, std::min(kGlanceMs, boundMs / 4)) : boundMs;
  return std::min(want, left);
}

void HostPatience::Record(link::Delivery outcome, int spentMs) {
  spentMs_ += std::max(0, spentMs);
  switch (outcome) {
    case link::Delivery::Answered:
      hung_ = false;
      if (missed_) catchUp_ = true;
      missed_ = false;
      break;
    case link::Delivery::NoAnswer:
      hung_ = true;
      missed_ = true;
      break;
    case link::Delivery::Failed:
      // No endpoint or a closed one: nothing waited, but the message is lost
      // to a host that may come back.
      missed_ = true;
      break;
  }
}

bool HostPatience::TakeCatchUp() {
  const bool due = catchUp_;
  catchUp_ = false;
  return due;
}

}  // namespace qm
