#include <gtest/gtest.h>

#include "colour/ColourModel.h"

using namespace qm::colour;

struct HsvCase {
  Rgb rgb;
  Hsv hsv;
};

class RgbToHsv : public ::testing::TestWithParam<HsvCase> {};
TEST_P(RgbToHsv, MatchesTable) {
  const auto& c = GetParam();
  EXPECT_EQ(RGB2HSV(c.rgb), c.hsv) << c.rgb.r << "," << c.rgb.g << "," << c.rgb.b;
}
INSTANTIATE_TEST_SUITE_P(
    ColourModel, RgbToHsv,
    ::testing::Values(HsvCase{{255, 0, 0}, {0, 255, 255}}, HsvCase{{0, 255, 0}, {85, 255, 255}},
                      HsvCase{{0, 0, 255}, {170, 255, 255}}, HsvCase{{0, 0, 0}, {0, 0, 0}},
                      HsvCase{{255, 255, 255}, {0, 0, 255}}, HsvCase{{128, 128, 128}, {0, 0, 128}},
                      HsvCase{{200, 100, 50}, {14, 191, 200}},
                      // just short of the full circle: the hue must not wrap to 0
                      HsvCase{{255, 0, 1}, {255, 255, 255}}));

class HsvToRgb : public ::testing::TestWithParam<HsvCase> {};
TEST_P(HsvToRgb, MatchesTable) {
  const auto& c = GetParam();
  EXPECT_EQ(HSV2RGB(c.hsv), c.rgb) << c.hsv.h << "," << c.hsv.s << "," << c.hsv.v;
}
INSTANTIATE_TEST_SUITE_P(
    ColourModel, HsvToRgb,
    ::testing::Values(HsvCase{{255, 0, 0}, {0, 255, 255}}, HsvCase{{0, 255, 0}, {85, 255, 255}},
                      HsvCase{{0, 0, 255}, {170, 255, 255}}, HsvCase{{128, 0, 0}, {0, 255, 128}},
                      HsvCase{{77, 77, 77}, {0, 0, 77}}, HsvCase{{77, 77, 77}, {200, 0, 77}},
                      // hue 255 wraps to sector 0 like hue 0
                      HsvCase{{200, 100, 100}, {255, 127, 200}},
                      HsvCase{{200, 100, 100}, {0, 127, 200}}));

TEST(ColourModel, RoundTripKeepsGreysAndPrimariesAndMovesOrangeSlightly) {
  for (const Rgb c : {Rgb{0, 0, 0}, Rgb{255, 255, 255}, Rgb{128, 128, 128}, Rgb{255, 0, 0},
                      Rgb{0, 255, 0}, Rgb{0, 0, 255}})
    EXPECT_EQ(HSV2RGB(RGB2HSV(c)), c) << c.r << "," << c.g << "," << c.b;
  EXPECT_EQ(HSV2RGB(RGB2HSV(Rgb{255, 128, 0})), (Rgb{255, 126, 0}));
}

TEST(ColourModel, HexTextHasNoLeadingZeros) {
  EXPECT_EQ(ColourHexText(0), u"&H0");
  EXPECT_EQ(ColourHexText(255), u"&HFF");
  EXPECT_EQ(ColourHexText(8454080), u"&H80FFC0");
  EXPECT_EQ(ColourHexText(0xFFFFFF), u"&HFFFFFF");
}

TEST(ColourModel, ReadColourTextTakesHexUnsignedOrDecimalAndRefusesNonColours) {
  EXPECT_EQ(ReadColourText(u"&HFFFF"), 65535);
  EXPECT_EQ(ReadColourText(u"&hff"), 255);
  EXPECT_EQ(ReadColourText(u"&H0"), 0);
  EXPECT_EQ(ReadColourText(u"16711680"), 16711680);
  EXPECT_EQ(ReadColourText(u"&HFFFFFF"), 0xFFFFFF);
  EXPECT_FALSE(ReadColourText(u""));
  EXPECT_FALSE(ReadColourText(u"red"));
  EXPECT_FALSE(ReadColourText(u"&H"));
  EXPECT_FALSE(ReadColourText(u"12abc"));
  EXPECT_FALSE(ReadColourText(u"-1"));
  EXPECT_FALSE(ReadColourText(u"&H1000000"));
}
