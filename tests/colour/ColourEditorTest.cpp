// The colour editor's pure rules: how the mouse buttons move the target, the
// numbers typed into its boxes, and the hue strip's search and marker.
#include <gtest/gtest.h>

#include "colour/ColourEditor.h"

using namespace qm::colour;
using qm::stamp::Rgb;

TEST(ColourTarget, EachButtonFromEachTarget) {
  struct Case {
    int button;
    std::int16_t from, to;
    bool left;
  };
  const Case cases[] = {
      {kLeftButton, kTargetText, kTargetText, true},
      {kLeftButton, kTargetShadow, kTargetShadow, true},
      {kLeftButton, kTargetBorder, kTargetBorder, true},
      {kRightButton, kTargetText, kTargetShadow, false},
      {kRightButton, kTargetShadow, kTargetText, false},
      {kRightButton, kTargetBorder, kTargetShadow, false},
      {kMiddleButton, kTargetText, kTargetBorder, false},
      {kMiddleButton, kTargetShadow, kTargetBorder, false},
      {kMiddleButton, kTargetBorder, kTargetText, false},
      {0, kTargetShadow, kTargetShadow, false},
      {8, kTargetBorder, kTargetBorder, false},
  };
  for (const Case& c : cases) {
    std::int16_t target = c.from;
    EXPECT_EQ(IsLeftButton(c.button, target), c.left) << c.button << " from " << c.from;
    EXPECT_EQ(target, c.to) << c.button << " from " << c.from;
  }
}

TEST(ColourTarget, ColourOfTheTargetInControlOrder) {
  qm::stamp::StampParams p;
  p.TextColor = 0xFF0000;    // red, as the line holds it
  p.ShadowColor = 0x0000FF;  // blue
  p.BorderColor = -1;        // hand-edited, wider than a colour
  EXPECT_EQ(TargetColour(p, kTargetText), 0x0000FF);
  EXPECT_EQ(TargetColour(p, kTargetShadow), 0xFF0000);
  EXPECT_EQ(TargetColour(p, kTargetBorder), 0xFFFFFF);
  p.TextColor = 0x7F123456;
  EXPECT_EQ(TargetColour(p, kTargetText), 0x563412);
}

TEST(ColourBoxes, TypedTextsGiveAComponent) {
  const std::pair<const char*, int> cases[] = {
      {"0", 0},  {"255", 255}, {"300", 255}, {"", 0},      {"abc", 0},    {"12abc", 12},
      {"-7", 0}, {"  42", 42}, {"42.5", 42}, {"43.5", 44}, {"1e99", 255}, {"&HFF", 255},
  };
  for (const auto& [text, want] : cases)
    EXPECT_EQ(ComponentOfText(QString::fromLatin1(text)), want) << text;
}

namespace {

HueTableRows Strip(int columns) {
  HueTableRows rows;
  for (int x = 0; x < columns; ++x) {
    const Rgb c = HueStripColour(x, columns);
    rows.push_back({static_cast<std::int16_t>(c.r), static_cast<std::int16_t>(c.g),
                    static_cast<std::int16_t>(c.b)});
  }
  return rows;
}

}  // namespace

TEST(HueStrip, RunsRoundTheCircleWithEqualEnds) {
  const HueTableRows rows = Strip(168);
  // Every column fully saturated at full value: one component 255, one 0.
  for (const HueRow& r : rows) {
    EXPECT_EQ(std::max({r[0], r[1], r[2]}), 255);
    EXPECT_EQ(std::min({r[0], r[1], r[2]}), 0);
  }
  EXPECT_EQ(rows.front(), (HueRow{255, 5, 0}));
  EXPECT_EQ(rows.back(), (HueRow{255, 0, 5}));
  // Green a third along, blue two thirds.
  EXPECT_EQ(rows[56][1], 255);
  EXPECT_EQ(rows[112][2], 255);
}

TEST(HueStrip, NearestColumn) {
  const HueTableRows rows = Strip(168);
  // Black is as far from both ends: the leftmost wins.
  EXPECT_EQ(FindColumn(rows, {0, 0, 0}), 0);
  EXPECT_EQ(FindColumn(rows, {255, 0, 5}), 167);
  EXPECT_EQ(FindColumn(rows, {0, 0, 255}), 111);
  // An exact match is taken even where a later column is as near.
  HueTableRows twice = {{1, 1, 1}, {9, 9, 9}, {9, 9, 9}};
  EXPECT_EQ(FindColumn(twice, {9, 9, 9}), 1);
  EXPECT_EQ(FindColumn({}, {9, 9, 9}), 0);
}

TEST(HueStrip, MarkerCentreStaysOnTheStrip) {
  // Marker 8 wide on a 168-pixel strip: the centre is the left edge + 4.
  const std::pair<int, int> cases[] = {{-50, 0},   {0, 0},     {1, 1},    {100, 100},
                                       {167, 167}, {168, 167}, {400, 167}};
  for (const auto& [x, centre] : cases) EXPECT_EQ(MarkerLeft(x, 168, 8) + 4, centre) << x;
}
