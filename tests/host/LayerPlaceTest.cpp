#include <gtest/gtest.h>

#include "host/LayerPlace.h"

namespace qm::host {
namespace {

TEST(LayerPlace, ClingsToTheNearestCornerAndStaysWhollyOnTheOutput) {
  const QSize output(1600, 1000);
  const QSize stamp(200, 100);
  struct Case {
    const char* what;
    QPoint at;
    LayerAnchor anchor;
    QPoint kept;  // where it then stands
  };
  const Case cases[] = {
      {"top left", {30, 40}, {false, false, 30, 40}, {30, 40}},
      {"top right", {1350, 40}, {true, false, 50, 40}, {1350, 40}},
      {"bottom left", {10, 880}, {false, true, 10, 20}, {10, 880}},
      {"bottom right", {1400, 900}, {true, true, 0, 0}, {1400, 900}},
      {"dead centre goes left and up", {700, 450}, {false, false, 700, 450}, {700, 450}},
      {"off the right edge", {1500, 40}, {true, false, 0, 40}, {1400, 40}},
      {"above and left of it", {-80, -5}, {false, false, 0, 0}, {0, 0}},
      {"far below", {600, 5000}, {false, true, 600, 0}, {600, 900}},
  };
  for (const Case& c : cases) {
    const LayerAnchor a = AnchorOnOutput(QRect(c.at, stamp), output);
    EXPECT_EQ(a, c.anchor) << c.what;
    EXPECT_EQ(TopLeftOnOutput(a, stamp, output), c.kept) << c.what;
  }
}

TEST(LayerPlace, AStampThatGrowsOrAnOutputThatShrinksKeepsItsCorner) {
  const LayerAnchor right = AnchorOnOutput(QRect(1350, 40, 200, 100), QSize(1600, 1000));
  // Grown by 100 pixels: it grows to the left, its right edge stays.
  EXPECT_EQ(TopLeftOnOutput(right, QSize(300, 100), QSize(1600, 1000)), QPoint(1250, 40));
  // A smaller output: the same distance from its right edge.
  EXPECT_EQ(TopLeftOnOutput(right, QSize(200, 100), QSize(1024, 768)), QPoint(774, 40));
  // Wider than the output: from its left edge.
  EXPECT_EQ(TopLeftOnOutput(right, QSize(2000, 100), QSize(1600, 1000)), QPoint(0, 40));
  // The output's size not known yet: the place is kept as it is, never
  // negative.
  const LayerAnchor unknown = AnchorOnOutput(QRect(-20, 70, 200, 100), QSize());
  EXPECT_EQ(TopLeftOnOutput(unknown, QSize(200, 100), QSize()), QPoint(0, 70));
}

}  // namespace
}  // namespace qm::host
