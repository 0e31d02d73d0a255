#include <gtest/gtest.h>

#include "stamp/ColourOrder.h"
#include "stamp/HostMessage.h"
#include "stamp/ParamLine.h"

using namespace qm::stamp;

namespace {

const QString kLine =
    QStringLiteral("Cat\\a.png|Arial|1|12|&HFF|30|-5|&H0|2|2|200|&H808080|3|1|1|0|1|7|100|100|0|0");
const QString kFallback = DefaultLine(QStringLiteral("Arial"));

QString WithField(QString line, int index, const QString& text) {
  QStringList f = line.split(u'|');
  f[index] = text;
  return f.join(u'|');
}

}  // namespace

struct ChangeCase {
  const char* name;
  QString current;
  QString value;
  int index;
  QString expected;
};

class Param2TextChange : public ::testing::TestWithParam<ChangeCase> {};
TEST_P(Param2TextChange, RewritesTheLine) {
  const auto& c = GetParam();
  const auto r = Param2Text(c.current, c.value, c.index, kFallback);
  ASSERT_TRUE(r) << c.name;
  EXPECT_EQ(r->line, c.expected) << c.name;
  EXPECT_EQ(ParseLine(r->line), r->params);
  EXPECT_TRUE(ValueFits(c.index, c.value));
}
INSTANTIATE_TEST_SUITE_P(
    ParamLine, Param2TextChange,
    ::testing::Values(
        ChangeCase{"decimal colour becomes hex", kLine, "16711680", kTextColor,
                   WithField(kLine, kTextColor, "&HFF0000")},
        ChangeCase{"lower-case hex is normalised", kLine, "&hff", kShadowColor,
                   WithField(kLine, kShadowColor, "&HFF")},
        ChangeCase{"colour 0 keeps its digit", kLine, "0", kBorderColor,
                   WithField(kLine, kBorderColor, "&H0")},
        ChangeCase{"single offset", kLine, "5", kTextX, WithField(kLine, kTextX, "5")},
        ChangeCase{"picture group", kLine, "Sea\\b.png|-20|90|110|-5|15", kPictureGroup,
                   "Sea\\b.png|Arial|1|12|&HFF|30|-5|&H0|2|2|200|&H808080|3|1|1|0|1|"
                   "-20|90|110|-5|15"},
        ChangeCase{"tone group", kLine, "0|100|100|0|0", kToneGroup,
                   WithField(kLine, kPicHue, "0")},
        // Only the colours change form; every other field keeps its text.
        ChangeCase{
            "font name", "a.png|Arial|1|12|255|1.5|-5|0|2|2|200|65280|3|1|1|0|1|7|100|100|0|0",
            "Times New Roman", kFontName,
            "a.png|Times New Roman|1|12|&HFF|1.5|-5|&H0|2|2|200|&HFF00|3|1|1|0|1|7|100|100|0|0"}),
    [](const auto& info) {
      QString n = QString::fromUtf8(info.param.name);
      n.replace(u' ', u'_').replace(u'-', u'_');
      return n.toStdString();
    });

TEST(ParamLine, TheTypedLineHoldsTheColoursInTheLinesByteOrder) {
  const auto r = Param2Text(kLine, QStringLiteral("16711680"), kTextColor, kFallback);
  ASSERT_TRUE(r);
  EXPECT_EQ(r->params.TextColor, 0xFF0000);
  EXPECT_EQ(Color2RGB(r->params.TextColor), 0xFF);
  EXPECT_EQ(r->params.BorderColor, 0x808080);
  EXPECT_EQ(ParseLine(r->line), r->params);
}

struct RefusedCase {
  const char* value;
  int index;
};
class Param2TextRefused : public ::testing::TestWithParam<RefusedCase> {};
TEST_P(Param2TextRefused, ChangesNothing) {
  const auto& c = GetParam();
  EXPECT_FALSE(ValueFits(c.index, QString::fromUtf8(c.value)));
  EXPECT_FALSE(Param2Text(kLine, QString::fromUtf8(c.value), c.index, kFallback))
      << c.value << " @" << c.index;
  // An unusable current line is not replaced by the fallback for a refused value either.
  EXPECT_FALSE(Param2Text(QString(), QString::fromUtf8(c.value), c.index, kFallback));
}
INSTANTIATE_TEST_SUITE_P(
    ParamLine, Param2TextRefused,
    ::testing::Values(
        RefusedCase{"abc", kFontSize}, RefusedCase{"", kFontSize}, RefusedCase{"12|13", kFontSize},
        RefusedCase{"Arial|x", kFontName}, RefusedCase{"256", kShadowAlpha},
        RefusedCase{"-1", kShadowAlpha}, RefusedCase{"40000", kFontStyle},
        RefusedCase{"1e40", kTextX}, RefusedCase{"red", kTextColor},
        RefusedCase{"&H100000000", kTextColor}, RefusedCase{"a.png|0|100|100|0", kPictureGroup},
        RefusedCase{"a.png|0|100|100|0|0|0", kPictureGroup},
        RefusedCase{"a.png|x|100|100|0|0", kPictureGroup}, RefusedCase{"0|100|100|0", kToneGroup},
        RefusedCase{"0|100|100|0|0|0", kToneGroup}, RefusedCase{"0|100|100|0|abc", kToneGroup},
        RefusedCase{"1", 22}, RefusedCase{"1", -2}));

TEST(ParamLine, UnusableCurrentLineStartsFromTheFallback) {
  for (const QString& bad :
       {QString(), QStringLiteral("a.png|Arial|1"), WithField(kLine, kFontSize, "big"),
        WithField(kLine, kPicAlpha, "x") + QStringLiteral("|1")}) {
    const auto r = Param2Text(bad, QStringLiteral("5"), kTextX, kFallback);
    ASSERT_TRUE(r) << bad.toStdString();
    EXPECT_EQ(r->line, WithField(kFallback, kTextX, "5"));
    EXPECT_TRUE(r->fromFallback);
    EXPECT_TRUE(IsValidLine(r->line));
  }
  EXPECT_FALSE(Param2Text(QString(), QStringLiteral("5"), kTextX, QString()));
  // A valid current line never looks at the fallback.
  const auto r = Param2Text(kLine, QStringLiteral("5"), kTextX, QString());
  ASSERT_TRUE(r);
  EXPECT_FALSE(r->fromFallback);
}

// A template's row-break flag (or more) pasted after the 22 fields: the look
// is the first 22, and the change writes those back alone.
TEST(ParamLine, ALongerCurrentLineKeepsItsFirst22Fields) {
  for (const QString& surplus :
       {QStringLiteral("|1"), QStringLiteral("|1|x"), QStringLiteral("|")}) {
    const QString longer = kLine + surplus;
    EXPECT_EQ(ParseCurrentLine(longer), ParseLine(kLine)) << surplus.toStdString();
    EXPECT_FALSE(ParseLine(longer)) << "a whole line sent as a message stays strict";
    const auto r = Param2Text(longer, QStringLiteral("5"), kTextX, kFallback);
    ASSERT_TRUE(r);
    EXPECT_FALSE(r->fromFallback);
    EXPECT_EQ(r->line, WithField(kLine, kTextX, "5"));
  }
}

TEST(ParamLine, DefaultLineIsACompleteReadableLook) {
  const QString line = DefaultLine(QStringLiteral("DejaVu Sans"));
  EXPECT_EQ(line, u"|DejaVu Sans|0|50|&HFFFFFF|0|0|&H0|0|0|255|&H0|1|1|0|1|0|0|100|100|0|0");
  EXPECT_TRUE(IsValidLine(line));
}

TEST(ParamLine, ApplyMessageTakesWholeLinesAsTheyStandAndLeavesOtherKeysAlone) {
  const QString odd = WithField(kLine, kTextColor, "16711680");
  const auto whole = ApplyMessage(kLine, WholeLineMessage(odd), kFallback);
  ASSERT_TRUE(whole);
  EXPECT_EQ(whole->line, odd);  // colours not rewritten
  EXPECT_EQ(whole->params.TextColor, 0xFF0000);
  EXPECT_FALSE(
      ApplyMessage(kLine, WholeLineMessage(WithField(kLine, kShadowAlpha, "300")), kFallback));
  EXPECT_FALSE(ApplyMessage(kLine, QStringLiteral("W=2"), kFallback));
  EXPECT_FALSE(ApplyMessage(kLine, QStringLiteral("x"), kFallback));
  const auto field = ApplyMessage(kLine, QStringLiteral("w=7"), kFallback);
  ASSERT_TRUE(field);
  EXPECT_EQ(field->params.BorderWidth, 7);
}
