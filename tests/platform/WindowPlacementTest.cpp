#include <gtest/gtest.h>

#include "platform/WindowPlacement.h"

using qm::platform::FitToScreen;

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

}  // namespace
