#include <gtest/gtest.h>

#include <QRandomGenerator>
#include <algorithm>
#include <cmath>
#include <vector>

#include "render/ColourMatrix.h"
#include "render/PictureRenderer.h"
#include "render/RenderTestSupport.h"

namespace qm::render {
namespace {

QRgb Apply(const ColourMatrix& m, QRgb p) {
  QRgb out = 0;
  ApplyColourMatrix(m, &p, &out, 1);
  return out;
}

TEST(ColourMatrixTest, NeutralToneIsIdentityWithinRounding) {
  const ColourMatrix m = ColourMatrix::Tone(0, 1, 1, 0, 1);
  const ColourMatrix id = ColourMatrix::Identity();
  for (int i = 0; i < 5; ++i)
    for (int j = 0; j < 5; ++j) EXPECT_NEAR(m.m[i][j], id.m[i][j], 0.001 + 1e-6) << i << "," << j;
  // The 0.300 / 0.588 of the blue column are what keeps it from being exact.
  EXPECT_NE(m.m[0][2], 0.0f);
}

// One pixel through one tone: the expected result is written out from the
// meaning of each factor, not from the matrix.
struct ToneCase {
  const char* name;
  float hue, saturation, value, brightness, opacity;
  QRgb in;
  QRgb expected;
  int tolerance;
};

int Grey(QRgb p, double value) {
  return int(std::lround((0.299 * qRed(p) + 0.587 * qGreen(p) + 0.114 * qBlue(p)) * value));
}

class ToneTest : public ::testing::TestWithParam<ToneCase> {};

TEST_P(ToneTest, Pixel) {
  const ToneCase& c = GetParam();
  const QRgb out =
      Apply(ColourMatrix::Tone(c.hue, c.saturation, c.value, c.brightness, c.opacity), c.in);
  EXPECT_NEAR(qRed(out), qRed(c.expected), c.tolerance) << c.name;
  EXPECT_NEAR(qGreen(out), qGreen(c.expected), c.tolerance) << c.name;
  EXPECT_NEAR(qBlue(out), qBlue(c.expected), c.tolerance) << c.name;
  EXPECT_EQ(qAlpha(out), qAlpha(c.expected)) << c.name;
}

const QRgb kOrange = qRgba(230, 120, 40, 255);
const QRgb kTeal = qRgba(20, 160, 150, 200);

INSTANTIATE_TEST_SUITE_P(
    Tones, ToneTest,
    ::testing::Values(
        ToneCase{"neutral", 0, 1, 1, 0, 1, kOrange, kOrange, 0},
        ToneCase{"neutral keeps alpha", 0, 1, 1, 0, 1, kTeal, kTeal, 0},
        ToneCase{"grey", 0, 0, 1, 0, 1, kOrange,
                 qRgba(Grey(kOrange, 1), Grey(kOrange, 1), Grey(kOrange, 1), 255), 1},
        ToneCase{"grey times value", 0, 0, 0.5f, 0, 1, kTeal,
                 qRgba(Grey(kTeal, 0.5), Grey(kTeal, 0.5), Grey(kTeal, 0.5), 200), 1},
        ToneCase{"half brightness", 0, 1, 1, 0.5f, 1, qRgba(10, 60, 100, 255),
                 qRgba(138, 188, 228, 255), 1},
        ToneCase{"brightness clamps high", 0, 1, 1, 1, 1, kOrange, qRgba(255, 255, 255, 255), 0},
        ToneCase{"brightness clamps low", 0, 1, 1, -1, 1, kOrange, qRgba(0, 0, 0, 255), 0},
        ToneCase{"opacity 0", 0, 1, 1, 0, 0, kOrange, qRgba(230, 120, 40, 0), 0},
        ToneCase{"half opacity", 0, 1, 1, 0, 0.5f, qRgba(1, 2, 3, 200), qRgba(1, 2, 3, 100), 0},
        ToneCase{"value 0 is black", 0, 1, 0, 0, 1, kOrange, qRgba(0, 0, 0, 255), 0},
        ToneCase{"alpha 3 keeps its colour", 0, 1, 1, 0, 1, qRgba(200, 100, 50, 3),
                 qRgba(200, 100, 50, 3), 0},
        // Half a turn of hue mirrors the colour part through the grey axis.
        ToneCase{"hue 180 grey stays", 3.1415927f, 1, 1, 0, 1, qRgba(90, 90, 90, 255),
                 qRgba(90, 90, 90, 255), 1}),
    [](const auto& info) {
      std::string n = info.param.name;
      for (char& ch : n)
        if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
      return n;
    });

TEST(ColourMatrixTest, FullTurnOfHueEqualsNone) {
  const ColourMatrix none = ColourMatrix::Tone(0, 1.3f, 0.8f, 0.1f, 1);
  const ColourMatrix turn =
      ColourMatrix::Tone(static_cast<float>(360 / 180.0 * 3.1415927), 1.3f, 0.8f, 0.1f, 1);
  QRandomGenerator rng(7);
  for (int i = 0; i < 2000; ++i) {
    const QRgb p = rng.generate();
    const QRgb a = Apply(none, p), b = Apply(turn, p);
    ASSERT_LE(std::abs(qRed(a) - qRed(b)), 1);
    ASSERT_LE(std::abs(qGreen(a) - qGreen(b)), 1);
    ASSERT_LE(std::abs(qBlue(a) - qBlue(b)), 1);
  }
}

TEST(ColourMatrixTest, HalfTurnOfHueMovesTheColour) {
  const QRgb out = Apply(ColourMatrix::Tone(3.1415927f, 1, 1, 0, 1), qRgb(220, 40, 40));
  // Red turned by half a turn leans to cyan: red falls, green and blue rise.
  EXPECT_LT(qRed(out), 100);
  EXPECT_GT(qGreen(out), 80);
  EXPECT_GT(qBlue(out), 80);
}

// Every kernel this processor runs must agree with the one-pixel form
// exactly, for general and tone-shaped matrices, any count (tails included)
// and in place.
class ColourKernelTest : public ::testing::TestWithParam<ColourKernel> {};

TEST_P(ColourKernelTest, AgreesWithReference) {
  std::vector<QRgb> probe(1);
  if (!ApplyColourMatrixWith(GetParam(), ColourMatrix::Identity(), probe.data(), probe.data(), 1))
    GTEST_SKIP() << "this processor lacks the instructions";
  QRandomGenerator rng(42);
  for (int round = 0; round < 60; ++round) {
    ColourMatrix m;
    for (auto& row : m.m)
      for (float& v : row) v = static_cast<float>(rng.bounded(4.0) - 2.0);
    if (round % 2) {
      m = ColourMatrix::Tone(static_cast<float>(rng.bounded(7.0)), float(rng.bounded(2.0)),
                             float(rng.bounded(2.0)), float(rng.bounded(2.0) - 1),
                             float(rng.bounded(1.0)));
    }
    const std::size_t count = 1 + rng.bounded(70);
    std::vector<QRgb> src(count), dst(count);
    for (QRgb& p : src) p = rng.generate();
    ASSERT_TRUE(ApplyColourMatrixWith(GetParam(), m, src.data(), dst.data(), count));
    for (std::size_t i = 0; i < count; ++i)
      ASSERT_EQ(dst[i], ApplyColourMatrixReference(m, src[i])) << "round " << round << " i " << i;
    std::vector<QRgb> inPlace = src;
    ApplyColourMatrixWith(GetParam(), m, inPlace.data(), inPlace.data(), count);
    ASSERT_EQ(inPlace, dst);
  }
}

// A picture larger than the caches takes another way to memory; its pixels
// must come out as any other's, wherever the destination starts.
TEST_P(ColourKernelTest, AgreesWithReferenceOnAPictureLargerThanTheCaches) {
  if (GetParam() == ColourKernel::Scalar) GTEST_SKIP() << "a pixel at a time at any size";
  std::vector<QRgb> probe(1);
  if (!ApplyColourMatrixWith(GetParam(), ColourMatrix::Identity(), probe.data(), probe.data(), 1))
    GTEST_SKIP() << "this processor lacks the instructions";
  const std::size_t count = (std::size_t{24} << 20) / sizeof(QRgb) + 13;
  std::vector<QRgb> src(count);
  QRandomGenerator rng(7);
  rng.fillRange(src.data(), src.size());
  const ColourMatrix m = ColourMatrix::Tone(2.0f, 1.3f, 0.8f, 0.2f, 0.7f);
  std::vector<QRgb> expected(count);
  for (std::size_t i = 0; i < count; ++i) expected[i] = ApplyColourMatrixReference(m, src[i]);
  std::vector<QRgb> dst(count + 16);
  for (const std::size_t shift : {0, 1, 7, 15}) {
    std::fill(dst.begin(), dst.end(), 0xDEADBEEF);
    ApplyColourMatrixWith(GetParam(), m, src.data(), dst.data() + shift, count);
    ASSERT_TRUE(std::equal(expected.begin(), expected.end(), dst.begin() + shift))
        << "destination " << shift << " pixels in";
    ASSERT_TRUE(
        std::all_of(dst.begin(), dst.begin() + shift, [](QRgb p) { return p == 0xDEADBEEF; }));
    ASSERT_TRUE(std::all_of(dst.begin() + shift + count, dst.end(),
                            [](QRgb p) { return p == 0xDEADBEEF; }));
  }
}

INSTANTIATE_TEST_SUITE_P(Kernels, ColourKernelTest,
                         ::testing::Values(ColourKernel::Scalar, ColourKernel::Avx2,
                                           ColourKernel::Avx512, ColourKernel::Best));

TEST(ColourMatrixTest, ImageIsTransformedInStraightAlpha) {
  // A premultiplied pixel of alpha 3 holds almost no colour; the matrix must
  // see the straight colour or the pixel turns black.
  QImage img(2, 1, QImage::Format_ARGB32);
  img.setPixel(0, 0, qRgba(200, 100, 50, 3));
  img.setPixel(1, 0, qRgba(10, 20, 30, 255));
  const QImage out = ApplyColourMatrix(ColourMatrix::Tone(0, 0, 1, 0, 1), img);
  ASSERT_EQ(out.format(), QImage::Format_ARGB32);
  const int g = Grey(qRgb(200, 100, 50), 1);
  EXPECT_NEAR(qRed(out.pixel(0, 0)), g, 1);
  EXPECT_EQ(qAlpha(out.pixel(0, 0)), 3);
  EXPECT_TRUE(ApplyColourMatrix(ColourMatrix::Identity(), QImage()).isNull());
}

struct ToneLineCase {
  const char* fields;  // fields 17..21
  bool valid;
  PictureTone expected;
};

class ToneLineTest : public ::testing::TestWithParam<ToneLineCase> {};

TEST_P(ToneLineTest, Converts) {
  const QString line = QStringLiteral("a\\b.png|F|0|12|0|0|0|0|0|0|255|0|1|1|0|0|0|") +
                       QString::fromUtf8(GetParam().fields);
  const auto tone = test::ToneOfLine(line);
  ASSERT_EQ(tone.has_value(), GetParam().valid);
  if (!tone) return;
  const PictureTone& e = GetParam().expected;
  EXPECT_FLOAT_EQ(tone->hue, e.hue);
  EXPECT_FLOAT_EQ(tone->saturation, e.saturation);
  EXPECT_FLOAT_EQ(tone->value, e.value);
  EXPECT_FLOAT_EQ(tone->brightness, e.brightness);
  EXPECT_FLOAT_EQ(tone->opacity, e.opacity);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, ToneLineTest,
    ::testing::Values(ToneLineCase{"0|100|100|0|0", true, {0, 1, 1, 0, 1}},
                      ToneLineCase{"180|0|200|-100|100", true, {3.1415927f, 0, 2, -1, 0}},
                      ToneLineCase{"-90|50|100|50|25", true, {-1.5707964f, 0.5f, 1, 0.5f, 0.75f}},
                      ToneLineCase{"0|100|100|0", false, {}},
                      ToneLineCase{"0|100|abc|0|0", false, {}},
                      ToneLineCase{"0|100|100|0|40000", false, {}}));

}  // namespace
}  // namespace qm::render
