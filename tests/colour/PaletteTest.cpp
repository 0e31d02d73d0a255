#include <gtest/gtest.h>

#include <QStringList>

#include "colour/Palette.h"

using namespace qm::colour;

TEST(Palette, StoredFormOfTheDefaultsReadsBackUnchanged) {
  const QString text = ColorsKeyText(DefColors);
  EXPECT_TRUE(text.startsWith(u"&HFFFFFF|&HFF|&HFFFF|&HFF00|"));
  EXPECT_TRUE(text.endsWith(u"|&H400000|&HC0C0"));
  EXPECT_EQ(text.count(u'|'), 27);
  EXPECT_TRUE(text.contains(u"|&H0|"));  // cell 9, black, has its digit
  ColourCells cells{};
  ApplyColorsKey(text, cells);
  EXPECT_EQ(cells, DefColors);
}

TEST(Palette, ThreeItemsChangeThreeCells) {
  ColourCells cells = DefColors;
  ApplyColorsKey(QStringLiteral("&H10|&H20|30"), cells);
  EXPECT_EQ(cells[0], 0x10);
  EXPECT_EQ(cells[1], 0x20);
  EXPECT_EQ(cells[2], 30);
  for (std::size_t i = 3; i < cells.size(); ++i) EXPECT_EQ(cells[i], DefColors[i]) << i;
}

TEST(Palette, EmptyTextChangesNothing) {
  ColourCells cells = DefColors;
  cells[0] = 0x123456;
  ApplyColorsKey(QString(), cells);
  EXPECT_EQ(cells[0], 0x123456);
  EXPECT_EQ(cells[1], DefColors[1]);
}

TEST(Palette, HandEditedItemsThatAreNotColoursKeepTheirCells) {
  ColourCells cells = DefColors;
  cells[1] = 0x111111;
  ApplyColorsKey(QStringLiteral("&H1|blue||&H1000000|-5|&H6"), cells);
  EXPECT_EQ(cells[0], 0x1);
  EXPECT_EQ(cells[1], 0x111111);  // not a number: as it was, not reset
  EXPECT_EQ(cells[2], DefColors[2]);
  EXPECT_EQ(cells[3], DefColors[3]);
  EXPECT_EQ(cells[4], DefColors[4]);
  EXPECT_EQ(cells[5], 0x6);
}

TEST(Palette, ItemsPastTheLastCellAreIgnored) {
  QStringList items;
  for (int i = 0; i < 40; ++i) items << QString::number(i);
  ColourCells cells = DefColors;
  ApplyColorsKey(items.join(u'|'), cells);
  for (int i = 0; i < kColourCellCount; ++i) EXPECT_EQ(cells[static_cast<std::size_t>(i)], i);
}

TEST(Palette, BackgroundNumbersOutsideTheTableShowWhite) {
  EXPECT_EQ(BackgroundColour(1), 0xFFFFFF);
  EXPECT_EQ(BackgroundColour(6), 0x0000FF);  // red as a colour reference
  EXPECT_EQ(BackgroundColour(9), 0x000000);
  for (const int bad : {0, 10, -3, 32767}) EXPECT_EQ(BackgroundColour(bad), 0xFFFFFF) << bad;
}
