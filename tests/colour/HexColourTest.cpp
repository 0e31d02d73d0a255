// The colour page's hex text: what it reads, what it refuses, what it shows.
#include <gtest/gtest.h>

#include <optional>

#include "colour/HexColour.h"

namespace qm::colour {
namespace {

struct HexCase {
  const char* text;
  std::optional<stamp::Rgb> colour;
};

class HexText : public ::testing::TestWithParam<HexCase> {};

TEST_P(HexText, ReadsTheThreeFormsInAnyCaseAndNothingElse) {
  EXPECT_EQ(ParseHexColour(QString::fromLatin1(GetParam().text)), GetParam().colour)
      << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Texts, HexText,
    ::testing::Values(HexCase{"#1a2B3c", stamp::Rgb{0x1A, 0x2B, 0x3C}},
                      HexCase{"FF8000", stamp::Rgb{255, 128, 0}},
                      HexCase{" #0f8 ", stamp::Rgb{0x00, 0xFF, 0x88}},
                      HexCase{"#ABC", stamp::Rgb{0xAA, 0xBB, 0xCC}}, HexCase{"0f8", std::nullopt},
                      HexCase{"#12345", std::nullopt}, HexCase{"#1234567", std::nullopt},
                      HexCase{"#12345g", std::nullopt}, HexCase{"##123456", std::nullopt},
                      HexCase{"", std::nullopt}, HexCase{"#", std::nullopt},
                      HexCase{"0x1234", std::nullopt}, HexCase{"#+12345", std::nullopt}));

TEST(HexColourTest, ShowsWhatItReadsBack) {
  for (const stamp::Rgb c :
       {stamp::Rgb{0, 0, 0}, stamp::Rgb{255, 255, 255}, stamp::Rgb{1, 171, 16}}) {
    const QString text = HexColourText(c);
    EXPECT_EQ(text.size(), 7);
    EXPECT_EQ(text, text.toUpper());
    EXPECT_EQ(ParseHexColour(text), c);
  }
}

}  // namespace
}  // namespace qm::colour
