#include <gtest/gtest.h>

#include "stamp/ColourOrder.h"
#include "stamp/HostMessage.h"
#include "stamp/ParamLine.h"

using namespace qm::stamp;

namespace {

const QString kLine = QStringLiteral(
    "Sea\\w.png|Arial|1|12|&HFF|1.5|-5|&H0|2|2|200|&HFF00|3|1|1|0|1|-7|150|80|-3|25");

TEST(HostMessage, GroupMessagesCarryThePictureAndToneAndApplyBackToTheSameLook) {
  const auto look = ParseLine(kLine);
  ASSERT_TRUE(look);
  EXPECT_EQ(PictureMessage(*look), u"P=Sea\\w.png|-7|150|80|-3|25");
  EXPECT_EQ(ToneMessage(*look), u"p=-7|150|80|-3|25");
  EXPECT_EQ(NeutralToneMessage(), u"p=0|100|100|0|0");
  EXPECT_EQ(WholeLineMessage(kLine), QStringLiteral("A=") + kLine);

  // A default look takes the picture group and then has the same picture and
  // tone; the neutral tone puts the tone back and leaves the picture.
  const QString start = DefaultLine(QStringLiteral("Arial"));
  const auto taken = ApplyMessage(start, PictureMessage(*look), start);
  ASSERT_TRUE(taken);
  EXPECT_EQ(taken->params.Picture, look->Picture);
  EXPECT_EQ(ToneMessage(taken->params), ToneMessage(*look));
  const auto reset = ApplyMessage(taken->line, NeutralToneMessage(), start);
  ASSERT_TRUE(reset);
  EXPECT_EQ(reset->params.Picture, look->Picture);
  EXPECT_EQ(ToneMessage(reset->params), NeutralToneMessage());
}

TEST(HostMessage, EveryFieldMessageAppliesToItsOwnField) {
  const auto look = ParseLine(kLine);
  ASSERT_TRUE(look);
  StampParams other = DefaultParams(QStringLiteral("Other"));
  QString line = LineText(other);
  for (int i = 1; i < kFieldCount; ++i) {
    const auto r = ApplyMessage(line, FieldMessage(*look, i), line);
    ASSERT_TRUE(r) << i;
    line = r->line;
  }
  other = *ParseLine(line);
  other.Picture = look->Picture;
  EXPECT_EQ(other, *look);
  EXPECT_EQ(FieldMessage(kTextX, QStringLiteral("-3")), u"X=-3");
}

TEST(ColourOrder, ExchangesRedAndBlueAndSplitsEitherOrder) {
  EXPECT_EQ(Color2RGB(0xFF), 0xFF0000);
  EXPECT_EQ(Color2RGB(0x804020), 0x204080);
  EXPECT_EQ(Color2RGB(Color2RGB(0x12804020)), 0x804020);
  EXPECT_EQ(Color2RGB(-1), 0xFFFFFF);
  EXPECT_EQ(SplitColour(0x804020), (Rgb{0x20, 0x40, 0x80}));
  EXPECT_EQ(JoinColour(0x20, 0x40, 0x80), 0x804020);
  EXPECT_EQ(SplitRgb(0x804020), (Rgb{0x80, 0x40, 0x20}));
  for (const qint32 c : {0x0, 0x4080FF, 0xFFFFFF, 0x010203}) {
    EXPECT_EQ(JoinColour(SplitColour(c)), c);
    EXPECT_EQ(JoinRgb(SplitRgb(c)), c);
    EXPECT_EQ(JoinRgb(SplitColour(c)), Color2RGB(c));
  }
}

TEST(StampParse, SaysWhichFieldWasRefused) {
  QString error;
  EXPECT_FALSE(ParseLine(QStringLiteral("a|b|c"), &error));
  EXPECT_TRUE(error.contains(u"3 fields")) << error.toStdString();
  QStringList f = kLine.split(u'|');
  f[kShadowAlpha] = QStringLiteral("300");
  EXPECT_FALSE(ParseLine(f.join(u'|'), &error));
  EXPECT_TRUE(error.contains(u"field 10") && error.contains(u"300")) << error.toStdString();
}

}  // namespace
