#include <gtest/gtest.h>

#include <clocale>
#include <limits>
#include <string>

#include "platform/Classic.h"

using namespace qm::classic;

struct ValCase {
  const char* text;
  double expected;
};
class ValTable : public ::testing::TestWithParam<ValCase> {};
TEST_P(ValTable, ReadsTheLeadingNumber) {
  EXPECT_DOUBLE_EQ(Val(QString::fromUtf8(GetParam().text)), GetParam().expected) << GetParam().text;
}
INSTANTIATE_TEST_SUITE_P(
    Classic, ValTable,
    ::testing::Values(ValCase{"5046|+12°", 5046}, ValCase{"  77abc", 77}, ValCase{"12abc", 12},
                      ValCase{"", 0}, ValCase{"abc", 0}, ValCase{"-15", -15}, ValCase{"+8", 8},
                      ValCase{"2.5x", 2.5}, ValCase{"2,5", 2.5}, ValCase{"&HFF", 255},
                      ValCase{"&hff|", 255}, ValCase{"1E3", 1000}, ValCase{"1e", 1},
                      ValCase{".5", 0.5}, ValCase{"-", 0},
                      ValCase{"4294967296123", 4294967296123.0}, ValCase{"|5", 0}));

struct RoundCase {
  double in;
  double out;
};
class RoundTable : public ::testing::TestWithParam<RoundCase> {};
TEST_P(RoundTable, HalvesGoToEven) { EXPECT_EQ(RoundHalfEven(GetParam().in), GetParam().out); }
INSTANTIATE_TEST_SUITE_P(Classic, RoundTable,
                         ::testing::Values(RoundCase{42.5, 42}, RoundCase{43.5, 44},
                                           RoundCase{-2.5, -2}, RoundCase{-3.5, -4},
                                           RoundCase{0.49, 0}, RoundCase{1.51, 2},
                                           RoundCase{-0.5, -0.0}));

TEST(ClassicFields, StrictConversionsRefuseWhatIsNotWhollyANumber) {
  EXPECT_EQ(ToInt16(u"12"), 12);
  EXPECT_EQ(ToInt16(u" -15 "), -15);
  EXPECT_EQ(ToInt16(u"12.5"), 12);
  EXPECT_EQ(ToInt16(u"13.5"), 14);
  EXPECT_FALSE(ToInt16(u"12abc"));
  EXPECT_FALSE(ToInt16(u""));
  EXPECT_FALSE(ToInt16(u"32768"));
  EXPECT_EQ(ToInt16(u"-32768"), -32768);
  EXPECT_EQ(ToInt16(u"&H7FFF"), 32767);
  EXPECT_EQ(ToByte(u"255"), 255);
  EXPECT_FALSE(ToByte(u"256"));
  EXPECT_FALSE(ToByte(u"-1"));
  EXPECT_EQ(ToInt32(u"&HFFFF"), 65535);
  EXPECT_EQ(ToInt32(u"&hff"), 255);
  EXPECT_EQ(ToInt32(u"&HFFFFFFFF"), -1);
  EXPECT_FALSE(ToInt32(u"&H100000000"));
  EXPECT_FALSE(ToInt32(u"&H"));
  EXPECT_EQ(ToInt32(u"16711680"), 16711680);
  EXPECT_FALSE(ToInt32(u"2147483648"));
  EXPECT_FLOAT_EQ(*ToSingle(u"1.5"), 1.5f);
  EXPECT_FLOAT_EQ(*ToSingle(u"1,5"), 1.5f);
  EXPECT_FLOAT_EQ(*ToSingle(u"-0.25"), -0.25f);
  EXPECT_FALSE(ToSingle(u"1e40"));
  EXPECT_EQ(ToBool(u"0"), false);
  EXPECT_EQ(ToBool(u"-1"), true);
  EXPECT_EQ(ToBool(u"1"), true);
  EXPECT_EQ(ToBool(u"2"), true);
  EXPECT_FALSE(ToBool(u"yes"));
}

TEST(ClassicHex, UpperCaseWithoutLeadingZeros) {
  EXPECT_EQ(HexText(0), "&H0");
  EXPECT_EQ(HexText(255), "&HFF");
  EXPECT_EQ(HexText(8454080), "&H80FFC0");
  EXPECT_EQ(HexText(0xFF0000), "&HFF0000");
  EXPECT_EQ(HexText(-1), "&HFFFFFFFF");
  EXPECT_EQ(HexText(-16777216), "&HFF000000");
  EXPECT_EQ(HexText(std::numeric_limits<std::int32_t>::min()), "&H80000000");
  EXPECT_EQ(HexDigits(0xABC), "ABC");
  EXPECT_EQ(HexDigits(0x10), "10");
}

struct SingleCase {
  float v;
  const char* dot;
};
class SingleTable : public ::testing::TestWithParam<SingleCase> {};
TEST_P(SingleTable, ShortestTextReadsBackExactly) {
  const QString t = SingleText(GetParam().v, u'.');
  EXPECT_EQ(t, QString::fromUtf8(GetParam().dot));
  EXPECT_EQ(*ToSingle(t), GetParam().v);
  const QString c = SingleText(GetParam().v, u',');
  EXPECT_EQ(*ToSingle(c), GetParam().v) << c.toStdString();
}
INSTANTIATE_TEST_SUITE_P(
    Classic, SingleTable,
    ::testing::Values(SingleCase{0.f, "0"}, SingleCase{15.f, "15"}, SingleCase{-15.f, "-15"},
                      SingleCase{1.5f, "1.5"}, SingleCase{0.1f, "0.1"}, SingleCase{-0.25f, "-0.25"},
                      SingleCase{9510.f, "9510"}, SingleCase{1942.5f, "1942.5"},
                      SingleCase{1e20f, "1E+20"}, SingleCase{1.5e-20f, "1.5E-20"},
                      SingleCase{123456.7f, "123456.7"}, SingleCase{3e38f, "3E+38"}));

TEST(ClassicSplit, KeepsEmptyPiecesAndTheRestInTheLast) {
  EXPECT_EQ(Split("", u'|'), QStringList{""});
  EXPECT_EQ(Split("a||b", u'|'), (QStringList{"a", "", "b"}));
  EXPECT_EQ(Split("a|b|c|d", u'|', 2), (QStringList{"a", "b|c|d"}));
  EXPECT_EQ(Split("a|b", u'|', 5), (QStringList{"a", "b"}));
}

// Under a comma-decimal C locale (as a Russian desktop has) numbers must still
// read their fractions and halves must still go to even.
TEST(ClassicLocale, FractionsSurviveACommaDecimalLocale) {
  const std::string saved = std::setlocale(LC_NUMERIC, nullptr);
  if (!std::setlocale(LC_NUMERIC, "ru_RU.UTF-8") && !std::setlocale(LC_NUMERIC, "de_DE.UTF-8"))
    GTEST_SKIP() << "no comma-decimal locale installed";
  EXPECT_FLOAT_EQ(*ToSingle(u"12.5"), 12.5f);
  EXPECT_FLOAT_EQ(*ToSingle(u"12,5"), 12.5f);
  EXPECT_EQ(ToInt16(u"13.5"), 14);
  EXPECT_EQ(ToInt16(u"12.5"), 12);
  EXPECT_DOUBLE_EQ(Val(u"2.5x"), 2.5);
  EXPECT_EQ(*ToSingle(SingleText(1942.5f, u',')), 1942.5f);
  std::setlocale(LC_NUMERIC, saved.c_str());
}
