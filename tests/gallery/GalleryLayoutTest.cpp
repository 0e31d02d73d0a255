#include <gtest/gtest.h>

#include "gallery/GalleryLayout.h"

using namespace qm::gallery;

namespace {

GalleryLayoutInput Strip(float width, QList<QSizeF> sizes, QList<bool> breaks = {}) {
  GalleryLayoutInput in;
  in.first = QPointF(0, 120);
  in.sizes = std::move(sizes);
  in.rowBreaks = std::move(breaks);
  in.stripWidth = width;
  in.viewportHeight = 5000;
  return in;
}

}  // namespace

TEST(GalleryLayout, WrapsWhenTheNextThumbnailDoesNotFit) {
  const auto r = LayoutGallery(Strip(2100, {{1000, 800}, {1000, 900}, {1000, 700}}));
  ASSERT_EQ(r.positions.size(), 3);
  EXPECT_EQ(r.positions[0], QPointF(0, 120));
  EXPECT_EQ(r.positions[1], QPointF(1030, 120));
  EXPECT_EQ(r.positions[2], QPointF(0, 120 + 900 + 30));
  EXPECT_FLOAT_EQ(r.stripHeight, 1050 + 700 + 30);
  EXPECT_EQ(r.tooltipMarker, (QList<bool>{false, false, false}));
}

TEST(GalleryLayout, ExactFitStaysOnTheRow) {
  const auto r = LayoutGallery(Strip(2030, {{1000, 800}, {1000, 800}}));
  EXPECT_EQ(r.positions[1], QPointF(1030, 120));
}

TEST(GalleryLayout, RowBreakEndsTheRowAndMarksTheTooltip) {
  const auto r = LayoutGallery(
      Strip(9000, {{500, 600}, {500, 600}, {500, 600}, {500, 600}}, {false, true, false, true}));
  EXPECT_EQ(r.positions[1], QPointF(530, 120));
  EXPECT_EQ(r.positions[2], QPointF(0, 750));
  EXPECT_EQ(r.positions[3], QPointF(530, 750));
  // The last template's flag has no thumbnail after it to break before.
  EXPECT_EQ(r.tooltipMarker, (QList<bool>{false, true, false, false}));
}

TEST(GalleryLayout, LoneThumbnailFitsInsideTheStrip) {
  const auto r = LayoutGallery(Strip(9000, {{1635, 885}}));
  EXPECT_FLOAT_EQ(r.stripHeight, 120 + 885 + 30);
}

struct ScrollCase {
  float extra;  // strip height minus viewport height
  bool visible;
  int max, large, small;
};
class GalleryScroll : public ::testing::TestWithParam<ScrollCase> {};
TEST_P(GalleryScroll, SetsUpTheBar) {
  const auto& c = GetParam();
  GalleryLayoutInput in = Strip(9000, {{1000, 1000}});
  in.viewportHeight = 120 + 1000 + 30 - c.extra;
  const auto r = LayoutGallery(in);
  EXPECT_EQ(r.scrollVisible, c.visible) << c.extra;
  EXPECT_EQ(r.scrollMax, c.max) << c.extra;
  EXPECT_EQ(r.value, 0);
  if (c.visible) {
    EXPECT_EQ(r.largeChange, c.large) << c.extra;
    EXPECT_EQ(r.smallChange, c.small) << c.extra;
  }
}
INSTANTIATE_TEST_SUITE_P(GalleryLayout, GalleryScroll,
                         ::testing::Values(ScrollCase{400, true, 40, 20, 5},
                                           ScrollCase{0, false, 0, 0, 0},
                                           ScrollCase{-300, false, -30, 0, 0},
                                           ScrollCase{4, false, 0, 0, 0},  // 0.4 unit rounds to 0
                                           ScrollCase{10, true, 1, 1, 1},
                                           ScrollCase{410, true, 41, 20, 5},  // 20.5 -> 20
                                           ScrollCase{120, true, 12, 6, 2},   // 1.5 -> 2
                                           ScrollCase{200, true, 20, 10, 2},  // 2.5 -> 2
                                           ScrollCase{25, true, 2, 1, 1}));   // 2.5 -> 2

TEST(GalleryLayout, RowBreakMarkerIsAddedOnce) {
  const QString t = QStringLiteral("Выбор шаблона отображения (A\\b.png)");
  const QString once = WithRowBreakMarker(t);
  EXPECT_EQ(once, t + QStringLiteral(" -\u00AC"));
  EXPECT_EQ(WithRowBreakMarker(once), once);
}

TEST(GalleryLayout, NewRowsStartAtThumbnailOnesLeftAndMeasureOnlyTheirOwnHeights) {
  GalleryLayoutInput in = Strip(1500, {{600, 900}, {600, 300}, {600, 200}, {600, 400}});
  in.first = QPointF(45, 120);
  const auto r = LayoutGallery(in);
  EXPECT_EQ(r.positions[1], QPointF(675, 120));
  EXPECT_EQ(r.positions[2], QPointF(45, 120 + 900 + 30));
  EXPECT_EQ(r.positions[3], QPointF(675, 1050));
  // The second row is 400 high (its tallest), not 900.
  EXPECT_FLOAT_EQ(r.stripHeight, 1050 + 400 + 30);
}

TEST(GalleryLayout, AThumbnailWiderThanTheStripGetsARowOfItsOwn) {
  const auto r = LayoutGallery(Strip(1000, {{500, 100}, {1200, 100}, {300, 100}}));
  EXPECT_EQ(r.positions[1], QPointF(0, 250));
  EXPECT_EQ(r.positions[2], QPointF(0, 380));
}

TEST(GalleryLayout, NoThumbnailsGiveAnEmptyStrip) {
  const auto r = LayoutGallery(Strip(1000, {}));
  EXPECT_TRUE(r.positions.isEmpty());
  EXPECT_FALSE(r.scrollVisible);
}
