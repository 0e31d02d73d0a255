#include <gtest/gtest.h>

#include "platform/WindowPlacement.h"

using qm::platform::BesideAnchor;
using qm::platform::FitToScreen;
using qm::platform::ParseStampFrame;

namespace {

// The editor's default inner size is 634 x 537 at (80, 60); at most it can
// shrink to 634 x 264. A title bar of 20 and borders of 1 frame it.
const QSize kMin(634, 264);
const QMargins kFrame(1, 20, 1, 1);

struct PlaceCase {
  const char* name;
  QRect wanted;
  QRect available;
  QRect expected;
};

class FitToScreenCase : public ::testing::TestWithParam<PlaceCase> {};

TEST_P(FitToScreenCase, GivesTheStartPlace) {
  const PlaceCase& c = GetParam();
  EXPECT_EQ(FitToScreen(c.wanted, c.available, kMin, kFrame), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Places, FitToScreenCase,
    ::testing::Values(
        PlaceCase{"fits", {80, 60, 634, 537}, {0, 0, 1600, 1000}, {80, 60, 634, 537}},
        // Kept to the pixel even where only its frame would stick out.
        PlaceCase{"fitsAtTheEdges", {0, 0, 1600, 1000}, {0, 0, 1600, 1000}, {0, 0, 1600, 1000}},
        // Twice the scale on a 1600 x 1000 screen: 800 x 500 logical pixels.
        PlaceCase{
            "tooTallAtTwiceTheScale", {80, 60, 634, 537}, {0, 0, 800, 500}, {80, 20, 634, 479}},
        PlaceCase{"offTheRightAndBottom",
                  {1200, 900, 634, 537},
                  {0, 0, 1600, 1000},
                  {965, 462, 634, 537}},
        PlaceCase{"aPanelAtTheTop", {80, 10, 634, 537}, {0, 30, 1600, 970}, {80, 50, 634, 537}},
        PlaceCase{"tooWideIsNarrowed", {0, 0, 2000, 400}, {0, 0, 1600, 1000}, {1, 20, 1598, 400}},
        // Never below the minimum: the top-left corner stays on the screen.
        PlaceCase{
            "screenSmallerThanTheMinimum", {50, 50, 634, 537}, {0, 0, 600, 250}, {1, 20, 634, 264}},
        PlaceCase{"noScreenKnown", {80, 60, 634, 537}, QRect(), {80, 60, 634, 537}}),
    [](const auto& info) { return std::string(info.param.name); });

struct BesideCase {
  const char* name;
  QRect anchor;
  QRect available;
  const char* side;  // where the window must lie: "right", "left", "below", "above"
};

class BesideAnchorCase : public ::testing::TestWithParam<BesideCase> {};

// The window, frame and all, clears the anchor on the side named, stands
// close to it and lies inside the area.
TEST_P(BesideAnchorCase, ClearsTheAnchorOnTheFirstSideWithRoom) {
  const BesideCase& c = GetParam();
  const QSize size(634, 537);
  const QRect inner = BesideAnchor(size, c.anchor, c.available, kFrame, 8);
  const QRect outer = inner.marginsAdded(kFrame);
  EXPECT_EQ(inner.size(), size);
  EXPECT_TRUE(c.available.contains(outer)) << c.name;
  EXPECT_FALSE(outer.intersects(c.anchor)) << c.name;
  const std::string side = c.side;
  const int gap = side == "right"   ? outer.left() - c.anchor.right() - 1
                  : side == "left"  ? c.anchor.left() - outer.right() - 1
                  : side == "below" ? outer.top() - c.anchor.bottom() - 1
                                    : c.anchor.top() - outer.bottom() - 1;
  EXPECT_EQ(gap, 8) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Sides, BesideAnchorCase,
    ::testing::Values(
        BesideCase{"roomOnTheRight", {100, 100, 120, 60}, {0, 0, 1600, 1000}, "right"},
        BesideCase{"atTheRightEdge", {1400, 60, 120, 60}, {0, 0, 1600, 1000}, "left"},
        // Lined up with the stamp's top as far as the screen lets it.
        BesideCase{"lowOnTheScreen", {1400, 900, 120, 60}, {0, 0, 1600, 1000}, "left"},
        BesideCase{"aNarrowScreen", {300, 40, 200, 60}, {0, 0, 800, 1000}, "below"},
        BesideCase{"aNarrowScreenBottom", {300, 900, 200, 60}, {0, 0, 800, 1000}, "above"},
        BesideCase{"aSecondScreen", {1700, 100, 120, 60}, {1600, 0, 1600, 1000}, "right"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(StampFrame, OnlyAWholeRectangleIsAPlace) {
  const QRect frame(-1600, 20, 120, 64);
  EXPECT_EQ(ParseStampFrame(qm::platform::StampFrameText(frame)), frame);
  for (const char* bad : {"", "1,2,3", "1,2,3,4,5", "a,b,c,d", "10,10,0,5", "10,10,5,-5",
                          "1,2,99999999999,4", "1.5,2,3,4", ",,,"})
    EXPECT_TRUE(ParseStampFrame(QString::fromLatin1(bad)).isNull()) << bad;
}

}  // namespace
