#include <gtest/gtest.h>

#include <QStringDecoder>
#include <QStringEncoder>

#include "platform/CodePage.h"

using namespace qm::platform;
using namespace Qt::StringLiterals;

namespace {

QString Raw(unsigned char b) { return QString(QChar(char16_t(kRawByteBase + b))); }

struct DecodeCase {
  const char* name;
  QByteArray bytes;
  QString text;
};
void PrintTo(const DecodeCase& c, std::ostream* os) { *os << c.name; }

class CodePageDecode : public ::testing::TestWithParam<DecodeCase> {};

// Each case decodes as expected and encodes back to the identical bytes.
TEST_P(CodePageDecode, DecodesAndGivesTheSameBytesBack) {
  const QString text = DecodeCodePage(GetParam().bytes);
  EXPECT_EQ(text, GetParam().text);
  bool ok = false;
  EXPECT_EQ(EncodeCodePage(text, &ok), GetParam().bytes);
  EXPECT_TRUE(ok);
}

INSTANTIATE_TEST_SUITE_P(
    CodePage, CodePageDecode,
    ::testing::Values(
        DecodeCase{"Ascii", "Big\\a.png|Arial|1", "Big\\a.png|Arial|1"},
        DecodeCase{"Russian", "\xD0\xA2\xD0\xB5\xD1\x81\xD1\x82", u"Тест"_s},
        DecodeCase{"FourBytes", "a\xF0\x9F\x98\x80", u"a\U0001F600"_s},
        // "Кат" in CP1251: no byte of it starts a valid sequence here.
        DecodeCase{"Cp1251", "\xCA\xE0\xF2", Raw(0xCA) + Raw(0xE0) + Raw(0xF2)},
        DecodeCase{"StrayByteBetweenRussian", "\xD0\xA2\xFF\xD1\x82", u"Т"_s + Raw(0xFF) + u"т"_s},
        // A lead byte without its continuation: the next byte starts afresh.
        DecodeCase{"BrokenLeadThenValid", "\xD0\xD0\x96", Raw(0xD0) + u"Ж"_s},
        DecodeCase{"TruncatedAtEnd", "x\xE2\x82", u"x"_s + Raw(0xE2) + Raw(0x82)},
        DecodeCase{"LoneContinuation", "\x80z", Raw(0x80) + u"z"_s},
        DecodeCase{"Overlong", "\xC0\xAF\xE0\x80\xAF",
                   Raw(0xC0) + Raw(0xAF) + Raw(0xE0) + Raw(0x80) + Raw(0xAF)},
        DecodeCase{"Surrogate", "\xED\xA0\x80", Raw(0xED) + Raw(0xA0) + Raw(0x80)},
        DecodeCase{"AboveUnicode", "\xF4\x90\x80\x80",
                   Raw(0xF4) + Raw(0x90) + Raw(0x80) + Raw(0x80)},
        DecodeCase{"ValidReplacementCharacterStaysOne", "\xEF\xBF\xBD", u"\uFFFD"_s},
        // The stand-ins' own encodings are taken byte by byte, so that the
        // encoder, which turns a stand-in into one byte, still gives them back.
        DecodeCase{"StandInRangeFirst", "\xEF\x9E\x80", Raw(0xEF) + Raw(0x9E) + Raw(0x80)},
        DecodeCase{"StandInRangeLast", "\xEF\x9F\xBF", Raw(0xEF) + Raw(0x9F) + Raw(0xBF)},
        DecodeCase{"JustBelowStandIns", "\xEF\x9D\xBF", u"\uF77F"_s},
        DecodeCase{"JustAboveStandIns", "\xEF\xA0\x80", u"\uF800"_s}),
    [](const auto& info) { return std::string(info.param.name); });

bool HasStandIn(const QString& s) {
  for (QChar c : s)
    if (c.unicode() >= kRawByteFirst && c.unicode() <= kRawByteLast) return true;
  return false;
}

// Every sequence of up to three bytes (and every four-byte one with the first
// two bytes varying): the bytes come back identical, and wherever either side
// read valid text, this decoder reads what Qt's system converter reads.
TEST(CodePage, AllShortSequencesRoundTripAndValidTextMatchesSystemCodePage) {
  const QByteArray kRun = "abcdefghijklmnopqrstuvw";
  const auto check = [](const QByteArray& bytes) {
    const QString ours = DecodeCodePage(bytes);
    bool ok = false;
    const QByteArray back = EncodeCodePage(ours, &ok);
    if (back != bytes || !ok) {
      ADD_FAILURE() << "round trip of " << bytes.toHex().constData();
      return false;
    }
    QStringDecoder system(QStringConverter::System, QStringConverter::Flag::Stateless |
                                                        QStringConverter::Flag::ConvertInitialBom);
    const QString qt = system.decode(bytes);
    const bool qtValid = !system.hasError() && !HasStandIn(qt);
    if ((qtValid || !HasStandIn(ours)) && ours != qt) {
      ADD_FAILURE() << "valid text read differently: " << bytes.toHex().constData();
      return false;
    }
    return true;
  };
  for (int a = 0; a < 256; ++a) {
    if (!check(QByteArray(1, char(a)))) return;
    for (int b = 0; b < 256; ++b) {
      const QByteArray two = QByteArray(1, char(a)) + char(b);
      if (!check(two) || !check(two + "\x80\x80") || !check(two + "\xBF")) return;
      // Behind and before runs of ASCII, which are decoded many bytes at a time.
      if (!check(kRun + two + kRun.left(b % 19))) return;
      if (a >= 0xE0)
        for (int c = 0; c < 256; c += 0x11)
          if (!check(two + char(c))) return;
    }
  }
}

TEST(CodePage, EncodesValidTextAsTheSystemCodePage) {
  for (const QString& text :
       {u"Категория 1/Шаблон №2.png"_s, u"°±×€\U0001F600"_s, u"\uF77F\uF800\uFFFD"_s, QString()}) {
    QStringEncoder system(QStringConverter::System, QStringConverter::Flag::Stateless);
    bool ok = false;
    EXPECT_EQ(EncodeCodePage(text, &ok), QByteArray(system.encode(text))) << text.toStdString();
    EXPECT_TRUE(ok);
  }
}

TEST(CodePage, UnpairedSurrogateIsReported) {
  bool ok = true;
  EXPECT_EQ(EncodeCodePage(u"a"_s + QChar(0xDC00) + u"b"_s + QChar(0xD800), &ok), "a?b?");
  EXPECT_FALSE(ok);
  EXPECT_EQ(EncodeCodePage(u"\U0001F600"_s, &ok), "\xF0\x9F\x98\x80");
  EXPECT_TRUE(ok);
}

}  // namespace
