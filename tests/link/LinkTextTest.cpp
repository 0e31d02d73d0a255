#include <gtest/gtest.h>

#include "platform/link/LinkText.h"

namespace qm::link {
namespace {

// A host on another code page sends its text; the editor shows it, changes
// another part of the line and sends it back: the host gets its own bytes.
TEST(LinkText, ForeignBytesComeBackAsSent) {
  const QByteArray category = "\xCA\xE0\xF2\xE5\xE3\xEE\xF0\xE8\xFF";  // CP1251
  for (const QByteArray& bytes :
       {QByteArray("P=" + category + "\\a.png|24"),
        QByteArray("T=\xD0\xA2\xD0\xB5\xD1\x81\xD1\x82\xFF\xC0 \xD0\xBC\xE2\x82|24")}) {
    const QString text = DecodeLinkText(bytes);
    EXPECT_FALSE(text.contains(QChar(QChar::ReplacementCharacter)));
    EXPECT_EQ(EncodeLinkText(text), bytes) << bytes.toHex().constData();
    QString changed = text;
    changed.replace(QStringLiteral("|24"), QStringLiteral("|30"));
    QByteArray expected = bytes;
    expected.replace("|24", "|30");
    EXPECT_EQ(EncodeLinkText(changed), expected);
  }
}

}  // namespace
}  // namespace qm::link
