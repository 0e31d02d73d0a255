#include <gtest/gtest.h>

#include "platform/WindowPlacement.h"

using qm::platform::FitToScreen;

namespace {

struct PlaceCase {
  const char* name;
  QRect wanted;
  QRect available;
  QSize minimum;
  QMargins frame;
  QRect expected;
};

class FitToScreenCase : public ::testing::TestWithParam<PlaceCase> {};

TEST_P(FitToScreenCase, GivesTheStartPlace) {
  const PlaceCase& c = GetParam();
  EXPECT_EQ(FitToScreen(c.wanted, c.available, c.minimum, c.frame), c.expected);
}

// The editor's default inner size is 634 x 537 at (80, 60); at most it can
// shrink to 634 x 264. A title bar of 20 and borders of 1 frame it.
const QSize kMin(634, 264);
const QMargins kFrame(1, 20, 1, 1);

INSTANTIATE_TEST_SUITE_P(
    Places, FitToScreenCase,
    ::testing::Values(
        PlaceCase{"fits", {80, 60, 634, 537}, {0, 0, 1600, 1000}, kMin, kFrame, {80, 60, 634, 537}},
        // Kept to the pixel even where only its frame would stick out.
        PlaceCase{"fitsAtTheEdges",
                  {0, 0, 1600, 1000},
                  {0, 0, 1600, 1000},
                  kMin,
                  kFrame,
                  {0, 0, 1600, 1000}},
        // Twice the scale on a 1600 x 1000 screen: 800 x 500 logical pixels.
        PlaceCase{"tooTallAtTwiceTheScale",
                  {80, 60, 634, 537},
                  {0, 0, 800, 500},
                  kMin,
                  kFrame,
                  {80, 20, 634, 479}},
        PlaceCase{"offTheRightAndBottom",
                  {1200, 900, 634, 537},
                  {0, 0, 1600, 1000},
                  kMin,
                  kFrame,
                  {965, 462, 634, 537}},
        PlaceCase{"offTheLeftAndTop",
                  {-300, -40, 634, 537},
                  {0, 0, 1600, 1000},
                  kMin,
                  kFrame,
                  {1, 20, 634, 537}},
        PlaceCase{"aPanelAtTheTop",
                  {80, 10, 634, 537},
                  {0, 30, 1600, 970},
                  kMin,
                  kFrame,
                  {80, 50, 634, 537}},
        PlaceCase{"aSecondScreenToTheRight",
                  {1500, 60, 900, 700},
                  {1600, 0, 1280, 1024},
                  kMin,
                  kFrame,
                  {1601, 60, 900, 700}},
        PlaceCase{"tooWideIsNarrowed",
                  {0, 0, 2000, 400},
                  {0, 0, 1600, 1000},
                  kMin,
                  kFrame,
                  {1, 20, 1598, 400}},
        // Never below the minimum: the top-left corner stays on the screen.
        PlaceCase{"screenSmallerThanTheMinimum",
                  {50, 50, 634, 537},
                  {0, 0, 600, 250},
                  kMin,
                  kFrame,
                  {1, 20, 634, 264}},
        PlaceCase{"noFrameKnown",
                  {80, 60, 634, 537},
                  {0, 0, 800, 500},
                  kMin,
                  QMargins(),
                  {80, 0, 634, 500}},
        PlaceCase{"noScreenKnown", {80, 60, 634, 537}, QRect(), kMin, kFrame, {80, 60, 634, 537}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
