#include <gtest/gtest.h>

#include <array>

#include "platform/Classic.h"
#include "stamp/HostMessage.h"
#include "stamp/StampParams.h"

using namespace qm::stamp;

struct KeyCase {
  const char16_t* key;
  std::optional<int> index;
};
class KeyTable : public ::testing::TestWithParam<KeyCase> {};
TEST_P(KeyTable, MapsMessageKeysToFields) {
  EXPECT_EQ(KeyFieldIndex(GetParam().key), GetParam().index)
      << QString::fromUtf16(GetParam().key).toStdString();
}
INSTANTIATE_TEST_SUITE_P(
    StampParams, KeyTable,
    ::testing::Values(KeyCase{u"F=", 1}, KeyCase{u"f=", 2}, KeyCase{u"S=", 3}, KeyCase{u"C=", 4},
                      KeyCase{u"X=", 5}, KeyCase{u"Y=", 6}, KeyCase{u"c=", 7}, KeyCase{u"x=", 8},
                      KeyCase{u"y=", 9}, KeyCase{u"t=", 10}, KeyCase{u"q=", 11}, KeyCase{u"w=", 12},
                      KeyCase{u"T=", 13}, KeyCase{u"o=", 14}, KeyCase{u"O=", 15},
                      KeyCase{u"d=", 16}, KeyCase{u"h=", 17}, KeyCase{u"s=", 18},
                      KeyCase{u"v=", 19}, KeyCase{u"b=", 20}, KeyCase{u"a=", 21},
                      KeyCase{u"P=", kPictureGroup}, KeyCase{u"p=", kToneGroup},
                      KeyCase{u"A=", std::nullopt}, KeyCase{u"W=", std::nullopt},
                      KeyCase{u"F", std::nullopt}, KeyCase{u"", std::nullopt},
                      KeyCase{u"F:", std::nullopt}, KeyCase{u"==", std::nullopt},
                      KeyCase{u"FF=", std::nullopt}));

TEST(StampParams, FieldKeyIsTheInverseOfTheTableForSingleFields) {
  for (int i = 1; i < kFieldCount; ++i) EXPECT_EQ(KeyFieldIndex(FieldKey(i)), i);
  EXPECT_TRUE(FieldKey(0).isEmpty());
  EXPECT_TRUE(FieldKey(22).isEmpty());
}

TEST(StampParams, ParsesEveryFieldIntoItsType) {
  const auto p = ParseParamFields(
      QStringLiteral("C\\p.png|Arial|3|12.5|&HFF0000|1,5|-2|255|3|-3|47|&H0|15|1|0|1|0|-180|200|"
                     "0|-100|100")
          .split(u'|'));
  ASSERT_TRUE(p);
  EXPECT_EQ(p->Picture, u"C\\p.png");
  EXPECT_EQ(p->FontStyle, 3);
  EXPECT_EQ(p->FontSize, 12);  // halves to even
  EXPECT_EQ(p->TextColor, 0xFF0000);
  EXPECT_EQ(p->TextX, 1.5f);
  EXPECT_EQ(p->ShadowColor, 255);
  EXPECT_EQ(p->ShadowY, -3.0f);
  EXPECT_EQ(p->ShadowAlpha, 47);
  EXPECT_EQ(p->BorderWidth, 15);
  EXPECT_EQ(p->PicHue, -180);
  EXPECT_EQ(p->PicAlpha, 100);
}

TEST(StampParams, StrictParseRefusesCorruptFields) {
  const QStringList good =
      QStringLiteral("a.png|Arial|0|50|&HFFFFFF|0|0|&H0|0|0|255|&H0|1|1|0|1|0|0|100|100|0|0")
          .split(u'|');
  ASSERT_TRUE(ParseParamFields(good));
  EXPECT_FALSE(ParseParamFields(good.mid(0, 21)));
  EXPECT_FALSE(ParseParamFields(QStringList(good) << QStringLiteral("1")));
  const struct {
    int index;
    const char* text;
  } bad[] = {{kShadowAlpha, "256"}, {kFontSize, "abc"}, {kFontStyle, "32768"},
             {kTextX, ""},          {kTextColor, "&H"}, {kFontName, "a|b"}};
  for (const auto& b : bad) {
    QStringList f = good;
    f[b.index] = QString::fromUtf8(b.text);
    EXPECT_FALSE(ParseParamFields(f)) << b.index << " " << b.text;
  }
}

TEST(StampParams, WrittenTextReadsBackToTheSameRecord) {
  StampParams p;
  p.Picture = QStringLiteral("Cat\\x.png");
  p.FontName = QStringLiteral("Arial");
  p.FontSize = 999;
  p.TextColor = 0;
  p.TextX = 0.1f;
  p.ShadowY = -7.25f;
  p.ShadowColor = -1;  // a negative colour must still read back
  p.ShadowAlpha = 255;
  p.BorderColor = 0xABCDEF;
  p.PicHue = -180;
  const QString line = LineText(p);
  const QChar sep = qm::classic::UserDecimalSeparator();
  EXPECT_EQ(FieldText(p, kTextX), QStringLiteral("0") + sep + QStringLiteral("1"));
  EXPECT_EQ(FieldText(p, kTextColor), u"&H0");
  EXPECT_EQ(FieldText(p, kShadowColor), u"&HFFFFFFFF");
  EXPECT_EQ(FieldText(p, kBorderColor), u"&HABCDEF");
  EXPECT_EQ(ParseParamFields(line.split(u'|')), p);
}

// Numeric fields must read exactly as the classic conversions read them,
// whatever shortcut the parser takes for common texts.
class FieldReadsLikeClassic : public ::testing::TestWithParam<const char*> {};
TEST_P(FieldReadsLikeClassic, ForEveryNumericType) {
  using namespace qm::classic;
  const QString text = QString::fromUtf8(GetParam());
  QStringList f =
      QStringLiteral("a.png|Arial|0|50|&HFFFFFF|0|0|&H0|0|0|255|&H0|1|1|0|1|0|0|100|100|0|0")
          .split(u'|');
  const auto with = [&](int index) {
    QStringList g = f;
    g[index] = text;
    return ParseParamFields(g);
  };
  const auto size = with(kFontSize);
  ASSERT_EQ(size.has_value(), ToInt16(text).has_value());
  if (size) {
    EXPECT_EQ(size->FontSize, *ToInt16(text));
  }
  const auto alpha = with(kShadowAlpha);
  ASSERT_EQ(alpha.has_value(), ToByte(text).has_value());
  if (alpha) {
    EXPECT_EQ(alpha->ShadowAlpha, *ToByte(text));
  }
  const auto colour = with(kTextColor);
  ASSERT_EQ(colour.has_value(), ToInt32(text).has_value());
  if (colour) {
    EXPECT_EQ(colour->TextColor, *ToInt32(text));
  }
  const auto x = with(kTextX);
  ASSERT_EQ(x.has_value(), ToSingle(text).has_value());
  if (x) {
    EXPECT_EQ(x->TextX, *ToSingle(text));
  }
}
INSTANTIATE_TEST_SUITE_P(StampParams, FieldReadsLikeClassic,
                         ::testing::Values("0", "-0", "007", "255", "256", "-1", "32767", "32768",
                                           "-32768", "-32769", "999999999", "-999999999",
                                           "2147483647", "2147483648", "12.5", "13.5", "+5", " 5",
                                           "5 ", "", "-", "1e3", "&HFF", "5x", "٣", "&hfF",
                                           "&HFFFFFFFF", "&H80000000", "&H7FFF", "&H8000", "&HFFFF",
                                           "&H100000000", "&H000000001", "&H", "&HG", "&H-1",
                                           "&H 1", "-&H1"));

// The stack splitter gives the list splitter's fields, wherever the bars fall
// (the search looks at several units at once, so every position counts).
TEST(StampParams, SplittingIntoAnArrayMatchesTheList) {
  for (int length = 0; length <= 40; ++length) {
    for (int first = 0; first < length; ++first) {
      for (int step : {1, 3, 8, 9, 17}) {
        QString line(length, u'x');
        for (int i = first; i < length; i += step) line[i] = u'|';
        const QList<QStringView> whole = SplitFields(line);
        std::array<QStringView, kFieldCount + 1> some;
        const qsizetype count = SplitFieldsInto(line, some);
        ASSERT_EQ(count, whole.size()) << line.toStdString();
        for (qsizetype i = 0; i < std::min<qsizetype>(count, some.size()); ++i)
          ASSERT_EQ(some[static_cast<std::size_t>(i)], whole[i]) << line.toStdString();
      }
    }
  }
}
