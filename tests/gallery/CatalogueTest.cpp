#include <gtest/gtest.h>

#include <QHash>
#include <QSet>

#include "gallery/Catalogue.h"
#include "platform/Classic.h"

using namespace qm::gallery;
namespace stamp = qm::stamp;

namespace {

const QString kRecord =
    QStringLiteral("a.png|Arial|1|40|&HFF0000|10|-10|&H0|2|3|200|&HFFFFFF|2|1|1|1|0|0|100|100|0|0");

// An INI file in memory that remembers every key it was asked for.
struct FakeIni {
  QHash<QString, QString> values;  // "section/key" -> value
  QSet<QString> asked;

  void Set(const QString& section, const QString& key, const QString& value) {
    values.insert(section + u'/' + key, value);
  }
  IniReader Reader() {
    return [this](const QString& section, const QString& key) {
      asked.insert(section + u'/' + key);
      return values.value(section + u'/' + key);
    };
  }
};

}  // namespace

TEST(Catalogue, ListsEndAtTheFirstGap) {
  FakeIni ini;
  for (int n = 0; n < 3; ++n) {
    ini.Set(CategorySection(n), "Name", QStringLiteral("Cat %1").arg(n));
    ini.Set(CategorySection(n), "Path", QStringLiteral("P%1").arg(n));
  }
  ini.Set("Dir4", "Name", "after the gap");  // Dir3 missing: never listed
  for (int m : {1, 2, 3, 4, 6}) ini.Set("Dir0", TemplateKey(m), kRecord);  // Pic5 missing
  QList<std::pair<int, int>> progress;
  const Catalogue cat = LoadCatalogue(ini.Reader(), [&](int done, int total) {
    progress.append({done, total});
  });
  EXPECT_EQ(cat.captions, (QStringList{"Cat 0", "Cat 1", "Cat 2"}));
  ASSERT_EQ(cat.categories.size(), 3);
  EXPECT_EQ(cat.categories[0].path, u"P0\\");
  EXPECT_EQ(cat.categories[0].templates.size(), 4);
  EXPECT_TRUE(cat.categories[1].templates.isEmpty());
  EXPECT_FALSE(ini.asked.contains("Dir4/Name"));
  EXPECT_FALSE(ini.asked.contains("Dir0/Pic6"));
  EXPECT_EQ(progress, (QList<std::pair<int, int>>{{1, 3}, {2, 3}, {3, 3}}));
}

TEST(Catalogue, NeverReadsPastCategory40OrTemplate80) {
  FakeIni ini;
  for (int n = 0; n <= 41; ++n) {
    ini.Set(CategorySection(n), "Name", "c");
    for (int m = 1; m <= 81; ++m) ini.Set(CategorySection(n), TemplateKey(m), kRecord);
  }
  const Catalogue cat = LoadCatalogue(ini.Reader());
  EXPECT_EQ(cat.categories.size(), kMaxCategories);
  EXPECT_EQ(cat.categories[40].templates.size(), kMaxTemplates);
  for (const QString& key : ini.asked) {
    EXPECT_FALSE(key.startsWith(u"Dir41/")) << key.toStdString();
    EXPECT_FALSE(key.endsWith(u"/Pic81")) << key.toStdString();
  }
}

TEST(Catalogue, RecordKeepsItsTypesPathAndRowBreak) {
  FakeIni ini;
  ini.Set("Dir0", "Name", "Big");
  ini.Set("Dir0", "Path", "Big");
  ini.Set("Dir0", "Pic1", kRecord);
  ini.Set("Dir0", "Pic2", kRecord + "|1");
  ini.Set("Dir0", "Pic3", kRecord + "|0|ignored");
  const Catalogue cat = LoadCatalogue(ini.Reader());
  const auto& t = cat.categories[0].templates;
  ASSERT_EQ(t.size(), 3);
  EXPECT_EQ(t[0].params.Picture, u"Big\\a.png");
  EXPECT_EQ(t[0].params.FontSize, 40);
  EXPECT_EQ(t[0].params.TextColor, 0xFF0000);
  EXPECT_EQ(t[0].params.ShadowY, 3.0f);
  EXPECT_EQ(t[0].RowBreak, 0);
  EXPECT_EQ(t[1].RowBreak, -1);
  EXPECT_EQ(t[2].RowBreak, 0);
}

TEST(Catalogue, CorruptRecordsAreLeftOutAndTheRestKeepTheirKeys) {
  FakeIni ini;
  ini.Set("Dir0", "Name", "n");
  ini.Set("Dir0", "Pic1", "short|line");
  ini.Set("Dir0", "Pic2", QString(kRecord).replace("|200|", "|300|"));  // opacity > 255
  ini.Set("Dir0", "Pic3", QString(kRecord).replace("|40|", "|big|"));
  ini.Set("Dir0", "Pic4", kRecord + "|yes");
  ini.Set("Dir0", "Pic5", QString(kRecord).replace("a.png", "e.png"));
  const Catalogue cat = LoadCatalogue(ini.Reader());
  const auto& t = cat.categories[0].templates;
  ASSERT_EQ(t.size(), 1);
  EXPECT_EQ(t[0].params.Picture, u"\\e.png");
  EXPECT_EQ(t[0].picKey, 5);
}

TEST(Catalogue, RecordTextIsTheTagAndAnOverwriteReadsBack) {
  auto rec = ParseRecordLine("Big\\", kRecord + "|1", 7);
  ASSERT_TRUE(rec);
  EXPECT_EQ(RecordText(*rec), "Big\\" + kRecord);

  const QString current = QStringLiteral(
      "Other\\z.png|Times|0|20|&HFF|1.5|2|&H80|0|0|47|&H0|1|1|0|0|1|-30|50|150|10|20");
  const auto ow = OverwriteTemplate(2, *rec, current);
  ASSERT_TRUE(ow);
  EXPECT_EQ(ow->section, u"Dir2");
  EXPECT_EQ(ow->key, u"Pic7");
  // The template keeps its own picture and its row break.
  EXPECT_EQ(ow->line, "a.png" + current.mid(current.indexOf(u'|')) + "|1");
  EXPECT_EQ(ow->tag, "Big\\a.png" + current.mid(current.indexOf(u'|')));
  EXPECT_EQ(ow->record.RowBreak, -1);
  EXPECT_EQ(ow->record.params.FontName, u"Times");
  EXPECT_EQ(ow->record.params.TextX, 1.5f);

  // What is written loads again as the updated record, and its tag matches.
  const auto back = ParseRecordLine("Big\\", ow->line, 7);
  ASSERT_TRUE(back);
  EXPECT_EQ(*back, ow->record);
  EXPECT_TRUE(stamp::ParseParamFields(RecordText(*back).split(u'|')));
}

TEST(Catalogue, OverwriteKeepsTheStoredNameWhereverThePictureLies) {
  const auto line = CatalogueLine(u"a.png", "x|" + kRecord.mid(6), 0);
  ASSERT_TRUE(line);
  EXPECT_EQ(*line, "a.png|" + kRecord.mid(6));
  // A category in a nested folder, and a picture in a folder below its
  // category's: each template's key keeps its own name.
  const QString current = "Other\\z.png" + kRecord.mid(kRecord.indexOf(u'|'));
  for (const auto& [path, stored] : {std::pair{"Big\\sub\\", "a.png"}, {"Big\\", "sub\\a.png"}}) {
    const auto rec = ParseRecordLine(QString::fromUtf8(path), stored + kRecord.mid(5), 3);
    ASSERT_TRUE(rec) << stored;
    const auto ow = OverwriteTemplate(0, *rec, current);
    ASSERT_TRUE(ow) << stored;
    EXPECT_TRUE(ow->line.startsWith(QString::fromUtf8(stored) + u'|')) << ow->line.toStdString();
    EXPECT_EQ(*ParseRecordLine(QString::fromUtf8(path), ow->line, 3), ow->record);
  }
}

TEST(Catalogue, OverwriteRefusesALookThatWouldNotReadBack) {
  const QString rest = kRecord.mid(kRecord.indexOf(u'|'));  // "|Arial|...", 21 fields
  for (const QString& bad :
       {QString(), QStringLiteral("no separators"), "x" + QString(rest).replace("|200|", "|999|"),
        "x" + rest.left(rest.lastIndexOf(u'|'))})
    EXPECT_FALSE(CatalogueLine(u"a.png", bad, 0)) << bad.toStdString();
  EXPECT_TRUE(CatalogueLine(u"a.png", "x" + rest, 0));
  // A current line with a surplus after its 22 fields is read as the editor
  // reads it: the look is written without the surplus.
  EXPECT_EQ(CatalogueLine(u"a.png", "x" + rest + "|1", 0), "a.png" + rest);
}

struct EndingCase {
  int n;
  const char* ending;
};
class CaptionEnding : public ::testing::TestWithParam<EndingCase> {};
TEST_P(CaptionEnding, FollowsTheLastDigit) {
  EXPECT_EQ(TemplateCaptionEnding(GetParam().n), QString::fromUtf8(GetParam().ending))
      << GetParam().n;
}
INSTANTIATE_TEST_SUITE_P(Catalogue, CaptionEnding,
                         ::testing::Values(EndingCase{0, "ок"}, EndingCase{1, "ки"},
                                           EndingCase{3, "ки"}, EndingCase{5, "ок"},
                                           EndingCase{10, "ок"}, EndingCase{11, "ки"},
                                           EndingCase{12, "ки"}, EndingCase{21, "ки"},
                                           EndingCase{80, "ок"}));

TEST(Catalogue, CaptionNamesCategoryAndCount) {
  EXPECT_EQ(TemplateCaption("Выбор интерфейса", "Зима", 3),
            u"Выбор интерфейса - Зима [3 заготовки]");
  EXPECT_EQ(TemplateCaption("B", "N", 0), u"B - N [0 заготовок]");
}
