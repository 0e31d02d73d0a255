// The category caption's count in English follows English plural rules; the
// Russian one keeps the program's own ending rule (see CatalogueTest).
#include <gtest/gtest.h>

#include <QRegularExpression>

#include "gallery/Catalogue.h"
#include "platform/Language.h"

namespace qm::gallery {
namespace {

const QRegularExpression kCyrillic(QStringLiteral("[\\x{0400}-\\x{04FF}]"));

// The caption's word after the count, the number itself taken out.
QString Word(int n) {
  QString c = TemplateCaption(QStringLiteral("Look"), QStringLiteral("Облака"), n);
  c.remove(QStringLiteral("Облака"));
  return c.remove(QString::number(n));
}

TEST(CategoryCaption, EnglishCountsWithEnglishPlurals) {
  const platform::ScopedTranslation english(platform::Language::English);
  ASSERT_TRUE(english.ok());
  // The category's name is data and stays; nothing else is Russian.
  const QString caption = TemplateCaption(QStringLiteral("Look"), QStringLiteral("Облака"), 3);
  EXPECT_TRUE(caption.contains(QStringLiteral("Облака")));
  EXPECT_FALSE(Word(3).contains(kCyrillic)) << caption.toStdString();
  EXPECT_TRUE(caption.contains(QStringLiteral("[3 "))) << caption.toStdString();
  // One is singular; every other count, 0, 11 and 21 among them, plural.
  for (const int n : {0, 2, 4, 5, 11, 12, 21, 101, 1000}) EXPECT_EQ(Word(n), Word(2)) << n;
  EXPECT_NE(Word(1), Word(2));
  EXPECT_NE(Word(21), Word(1));
}

TEST(CategoryCaption, RussianKeepsTheProgramsOwnEnding) {
  // 21 ends like 1 and 11 like 1 in the program's rule; 5 differs.
  EXPECT_EQ(Word(21), Word(1));
  EXPECT_EQ(Word(11), Word(1));
  EXPECT_NE(Word(5), Word(1));
  EXPECT_TRUE(Word(5).contains(kCyrillic));
}

}  // namespace
}  // namespace qm::gallery
