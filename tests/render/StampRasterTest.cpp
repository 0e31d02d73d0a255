#include <gtest/gtest.h>

#include <QPainterPath>
#include <cmath>

#include "render/StampRaster.h"

namespace qm::render {
namespace {

std::vector<Segment> Square(double x0, double y0, double x1, double y1, bool clockwise = true) {
  QPainterPath p;
  p.moveTo(x0, y0);
  if (clockwise) {
    p.lineTo(x1, y0);
    p.lineTo(x1, y1);
    p.lineTo(x0, y1);
  } else {
    p.lineTo(x0, y1);
    p.lineTo(x1, y1);
    p.lineTo(x1, y0);
  }
  p.closeSubpath();
  return FlattenPath(p, QTransform());
}

std::vector<Segment> operator+(std::vector<Segment> a, const std::vector<Segment>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

const QRect kArea(0, 0, 10, 10);

TEST(StampRasterTest, PixelAlignedSquareIsExact) {
  const Coverage c = FillCoverage(Square(2, 3, 6, 8), kArea);
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 10; ++x)
      EXPECT_EQ(c.at(x, y), (x >= 2 && x < 6 && y >= 3 && y < 8) ? 255 : 0) << x << "," << y;
}

TEST(StampRasterTest, EdgesThroughPixelsGiveTheirArea) {
  const Coverage c = FillCoverage(Square(2.5, 2.5, 6.5, 6.25), kArea);
  EXPECT_EQ(c.at(4, 4), 255);
  EXPECT_NEAR(c.at(2, 4), 128, 1);  // half of the pixel
  EXPECT_NEAR(c.at(6, 4), 128, 1);
  EXPECT_NEAR(c.at(4, 6), 64, 1);  // a quarter
  EXPECT_NEAR(c.at(2, 2), 64, 1);  // corner: half by half
  EXPECT_EQ(c.at(7, 4), 0);
}

TEST(StampRasterTest, NonZeroWinding) {
  // Same direction: the overlap stays covered once.
  const Coverage same = FillCoverage(Square(1, 1, 6, 6) + Square(3, 3, 8, 8), kArea);
  EXPECT_EQ(same.at(4, 4), 255);
  EXPECT_EQ(same.at(7, 7), 255);
  // Opposite direction inside: a hole, as in the glyph "o".
  const Coverage ring = FillCoverage(Square(1, 1, 9, 9) + Square(3, 3, 7, 7, false), kArea);
  EXPECT_EQ(ring.at(2, 2), 255);
  EXPECT_EQ(ring.at(5, 5), 0);
}

TEST(StampRasterTest, ShapesBeyondTheAreaEdges) {
  // Wider than the area on both sides: everything between covered.
  const Coverage wide = FillCoverage(Square(-100, 2, 100, 4), kArea);
  for (int x = 0; x < 10; ++x) EXPECT_EQ(wide.at(x, 3), 255) << x;
  // Wholly left, right, above or below: nothing.
  for (const auto& segs :
       {Square(-20, 2, -5, 8), Square(12, 2, 30, 8), Square(2, -9, 8, -1), Square(2, 11, 8, 30)}) {
    const Coverage c = FillCoverage(segs, kArea);
    for (int y = 0; y < 10; ++y)
      for (int x = 0; x < 10; ++x) ASSERT_EQ(c.at(x, y), 0) << x << "," << y;
  }
  // Half in from the left.
  const Coverage half = FillCoverage(Square(-5, 0, 4.5, 10), kArea);
  EXPECT_EQ(half.at(0, 5), 255);
  EXPECT_NEAR(half.at(4, 5), 128, 1);
  EXPECT_EQ(half.at(5, 5), 0);
}

TEST(StampRasterTest, AbsurdCoordinatesAreHarmless) {
  EXPECT_EQ(FillCoverage(Square(-1e30, -1e30, 1e30, 1e30), kArea).at(5, 5), 255);
  const Coverage far = StrokeCoverage(Square(1e20, 1e20, 2e20, 2e20), 3.0, kArea);
  EXPECT_EQ(far.at(5, 5), 0);
  EXPECT_EQ(StrokeCoverage(Square(2, 2, 3, 3), 1e30, kArea).at(9, 9), 255);
  QPainterPath bad;
  bad.moveTo(0, 0);
  bad.lineTo(qQNaN(), 5);
  bad.lineTo(5, 5);
  EXPECT_NO_FATAL_FAILURE(FillCoverage(FlattenPath(bad, QTransform()), kArea));
}

TEST(StampRasterTest, StrokeIsABandAlongTheOutline) {
  const Coverage c = StrokeCoverage(Square(2, 2, 8, 8), 2.0, kArea);
  // Pixel centres on the outline or within half a pixel of it: covered.
  EXPECT_EQ(c.at(1, 5), 255);  // centre 0.5 outside the left edge
  EXPECT_EQ(c.at(2, 5), 255);  // 0.5 inside
  EXPECT_EQ(c.at(5, 2), 255);
  EXPECT_EQ(c.at(5, 5), 0);  // the inside stays free
  EXPECT_EQ(c.at(0, 5), 0);  // centre 1.5 away: at the band's antialiased rim
  EXPECT_NEAR(c.at(3, 5), 0, 1);
  // Round joins: a corner pixel just outside diagonally is partly covered.
  EXPECT_GT(c.at(1, 1), 0);
  EXPECT_LT(c.at(1, 1), 255);
}

TEST(StampRasterTest, CurvesAreFlattenedCloselyAndClosed) {
  QPainterPath circle;
  circle.addEllipse(QPointF(50, 50), 40, 40);
  const std::vector<Segment> segs = FlattenPath(circle, QTransform());
  ASSERT_GT(segs.size(), 16u);
  for (const Segment& s : segs) {
    ASSERT_NEAR(std::hypot(s.x0 - 50, s.y0 - 50), 40, 0.02);  // the curves stand for a circle
    // The chord's middle sags inside by at most about a quarter pixel.
    ASSERT_GT(std::hypot((s.x0 + s.x1) / 2 - 50, (s.y0 + s.y1) / 2 - 50), 40 - 0.3);
  }
  EXPECT_NEAR(segs.back().x1, segs.front().x0, 1e-9);
  EXPECT_NEAR(segs.back().y1, segs.front().y0, 1e-9);
  // The same under a scale and a move.
  const std::vector<Segment> scaled = FlattenPath(circle, QTransform(0.5, 0, 0, 0.5, 3, 4));
  EXPECT_NEAR(scaled.front().x0, segs.front().x0 * 0.5 + 3, 1e-9);
}

TEST(StampRasterTest, BlendIsExactAtFullAndNoCoverage) {
  QImage layer(10, 10, QImage::Format_ARGB32_Premultiplied);
  layer.fill(0xFF102030);
  const Coverage c = FillCoverage(Square(2, 2, 6.5, 6), kArea);
  BlendCoverage(layer, QPoint(0, 0), c, 0, 0, 0xFFFF8000);
  EXPECT_EQ(layer.pixel(3, 3), 0xFFFF8000u);
  EXPECT_EQ(layer.pixel(8, 8), 0xFF102030u);
  const QRgb half = layer.pixel(6, 3);
  EXPECT_NEAR(qRed(half), (0xFF + 0x10) / 2, 1);
  EXPECT_NEAR(qGreen(half), (0x80 + 0x20) / 2, 1);
  // Moved and translucent, into a layer that starts elsewhere on the device.
  QImage clear(10, 10, QImage::Format_ARGB32_Premultiplied);
  clear.fill(0);
  BlendCoverage(clear, QPoint(5, 5), c, 4, 4, 0x80FFFFFF);
  EXPECT_EQ(qAlpha(clear.pixel(1, 1)), 0x80);  // device (6, 6) = coverage (2, 2)
  EXPECT_EQ(qAlpha(clear.pixel(0, 0)), 0);
}

}  // namespace
}  // namespace qm::render
