#include <gtest/gtest.h>

#include "platform/link/FrameParser.h"
#include "platform/link/LinkText.h"

namespace qm::link {
namespace {

struct ParserCase {
  const char* name;
  QList<QByteArray> chunks;
  QList<QByteArray> expected;
  bool failed;
  qsizetype pending;
};

class FrameParserTest : public ::testing::TestWithParam<ParserCase> {};

TEST_P(FrameParserTest, Messages) {
  const ParserCase& c = GetParam();
  FrameParser parser;
  QList<QByteArray> got;
  for (const QByteArray& chunk : c.chunks) parser.feed(chunk, got);
  EXPECT_EQ(got, c.expected);
  EXPECT_EQ(parser.failed(), c.failed);
  EXPECT_EQ(parser.pending(), c.pending);
}

QByteArray Z(const char* text) { return QByteArray(text) + '\0'; }

QList<QByteArray> Bytewise(const QByteArray& stream) {
  QList<QByteArray> out;
  for (char ch : stream) out.append(QByteArray(1, ch));
  return out;
}

const QByteArray kLongest(FrameParser::kMaxText, 'x');
const QByteArray kTooLong(FrameParser::kMaxText + 1, 'x');

INSTANTIATE_TEST_SUITE_P(
    Table, FrameParserTest,
    ::testing::Values(
        ParserCase{"one", {Z("X=5")}, {"X=5"}, false, 0},
        ParserCase{"split_in_two", {"X=", Z("12")}, {"X=12"}, false, 0},
        ParserCase{"byte_by_byte", Bytewise(Z("A=a|b") + Z("W=2")), {"A=a|b", "W=2"}, false, 0},
        ParserCase{"several_in_one_read", {Z("a") + Z("b") + Z("c")}, {"a", "b", "c"}, false, 0},
        ParserCase{"zero_starts_next_read", {"ab", QByteArray(1, '\0') + "cd"}, {"ab"}, false, 2},
        ParserCase{"empty_messages", {QByteArray(2, '\0') + Z("x")}, {"", "", "x"}, false, 0},
        ParserCase{"no_zero_at_close", {Z("done") + "half"}, {"done"}, false, 4},
        ParserCase{"garbage_is_text",
                   {QByteArray("\xff\x01\x7f\x06\x80", 5) + '\0'},
                   {QByteArray("\xff\x01\x7f\x06\x80", 5)},
                   false,
                   0},
        ParserCase{"longest_allowed", {kLongest + '\0'}, {kLongest}, false, 0},
        ParserCase{"longest_allowed_in_pieces",
                   {kLongest.left(40000), kLongest.mid(40000), QByteArray(1, '\0')},
                   {kLongest},
                   false,
                   0},
        ParserCase{"oversized", {kTooLong}, {}, true, 0},
        ParserCase{"oversized_in_pieces", {kLongest, "y"}, {}, true, 0},
        ParserCase{"messages_before_oversize_survive", {Z("ok") + kTooLong}, {"ok"}, true, 0},
        ParserCase{"nothing_after_failure", {kTooLong, Z("late")}, {}, true, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(LinkText, ZeroCharacterEndsTheText) {
  EXPECT_EQ(EncodeLinkText(QStringLiteral("ab") + QChar(0) + QStringLiteral("cd")), "ab");
}

TEST(LinkText, RoundTripsNonAscii) {
  const QString text = QStringLiteral("F=Шрифт +38°");
  EXPECT_EQ(DecodeLinkText(EncodeLinkText(text)), text);
}

}  // namespace
}  // namespace qm::link
