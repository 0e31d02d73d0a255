#include <gtest/gtest.h>

#include <climits>

#include "platform/WheelNotches.h"

using qm::platform::IsOverRect;
using qm::platform::WheelNotches;

TEST(WheelNotches, WholeNotchesFromAnyDeltas) {
  struct Step {
    int delta, notches, remainder;
  };
  // A standard wheel, a double notch, a touchpad's small deltas, a turn back.
  const Step steps[] = {{120, 1, 0},   {-120, -1, 0},
                        {240, 2, 0},   {40, 0, 40},
                        {40, 0, 80},   {40, 1, 0},
                        {90, 0, 90},   {-100, 0, -10},
                        {-110, -1, 0}, {INT_MAX, INT_MAX / 120, INT_MAX % 120}};
  WheelNotches n;
  for (const Step& s : steps) {
    EXPECT_EQ(n.Add(s.delta), s.notches) << s.delta;
    EXPECT_EQ(n.Remainder(), s.remainder) << s.delta;
  }
}

TEST(WheelNotches, EveryEdgeOfAControlCounts) {
  // A control of 10 x 5 at (-30, -20), on a screen left of and above the primary.
  const QRect r(-30, -20, 10, 5);
  const std::pair<QPoint, bool> cases[] = {
      {{-30, -20}, true},  {{-20, -15}, true},  {{-25, -17}, true},  {{-31, -17}, false},
      {{-19, -17}, false}, {{-25, -21}, false}, {{-25, -14}, false}, {{0, 0}, false}};
  for (const auto& [p, over] : cases) EXPECT_EQ(IsOverRect(r, p), over) << p.x() << "," << p.y();
}
