#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QFile>
#include <QStringList>
#include <QTemporaryDir>

#include "platform/CodePage.h"
#include "platform/ProfileFile.h"

using namespace qm::platform;
using namespace Qt::StringLiterals;

namespace {

// Values a host on another code page (or a hand edit) left in the shared file.
// "Категория\Шаблон.png" as CP1251 bytes: none of them is valid here.
const QByteArray kCp1251Selected =
    "\xCA\xE0\xF2\xE5\xE3\xEE\xF0\xE8\xFF\\\xD8\xE0\xE1\xEB\xEE\xED.png";
// Valid Russian around stray bytes, in one value.
const QByteArray kMixed =
    "\xD0\xA2\xD0\xB5\xD1\x81\xD1\x82\xFF\xC0 \xD0\xBC\xD0\xB8\xD1\x80\xE2\x82";

struct ForeignCase {
  const char* name;
  QByteArray file;     // the [General] section holds the value under test
  QString oldField;    // one '|' field of the value the editor changes...
  QString newField;    // ...into this
  QByteArray changed;  // the whole file after that change
  QString visible;     // valid text in the value that must read as itself
};
void PrintTo(const ForeignCase& c, std::ostream* os) { *os << c.name; }

class ProfileForeignBytes : public ::testing::TestWithParam<ForeignCase> {
 protected:
  QTemporaryDir dir_;
  QString path_ = dir_.filePath("Quillmark.ini");

  void SetUp() override {
    QFile f(path_);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(GetParam().file);
  }
  QByteArray Slurp() const {
    QFile f(path_);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
  }
  ino_t Inode() const {
    struct stat st {};
    return ::stat(QFile::encodeName(path_).constData(), &st) == 0 ? st.st_ino : 0;
  }
  QString Selected() const { return ReadProfileString(path_, u"General", u"Selected", {}); }
};

// Both readers give the same text, and storing it again unchanged leaves the
// file alone: not rewritten at all.
TEST_P(ProfileForeignBytes, ReadAndStoredAgainLeavesTheFileAlone) {
  const QString value = Selected();
  EXPECT_EQ(ProfileSnapshot::Load(path_).Read(u"general", u"selected", {}), value);
  EXPECT_TRUE(value.contains(GetParam().visible)) << value.toStdString();
  EXPECT_FALSE(value.contains(QChar(QChar::ReplacementCharacter)));

  const ino_t before = Inode();
  ASSERT_TRUE(WriteProfileString(path_, u"General", u"Selected", value));
  EXPECT_EQ(Slurp(), GetParam().file);
  EXPECT_EQ(Inode(), before);
}

// The editor changes one field of the value (the border width, say) and
// writes the whole value: every other byte, foreign ones included, stays.
TEST_P(ProfileForeignBytes, ChangingAnotherFieldKeepsTheForeignBytes) {
  QStringList fields = Selected().split(u'|');
  const qsizetype at = fields.indexOf(GetParam().oldField);
  ASSERT_GE(at, 0);
  fields[at] = GetParam().newField;
  ASSERT_TRUE(WriteProfileString(path_, u"General", u"Selected", fields.join(u'|')));
  EXPECT_EQ(Slurp(), GetParam().changed);
  EXPECT_EQ(Selected(), fields.join(u'|'));
  EXPECT_EQ(ProfileSnapshot::Load(path_).Read(u"General", u"Selected", {}), Selected());
}

INSTANTIATE_TEST_SUITE_P(
    Profile, ProfileForeignBytes,
    ::testing::Values(
        ForeignCase{
            "Cp1251Path", "[General]\r\nSelected=" + kCp1251Selected + "|Arial|1|24|&HFF|0|0\r\n",
            u"24"_s, u"30"_s,
            "[General]\r\nSelected=" + kCp1251Selected + "|Arial|1|30|&HFF|0|0\r\n", u".png"_s},
        ForeignCase{"MixedRussianAndStrayBytes",
                    "; \xCA\xEE\xEC\n[General]\nSelected=" + kMixed +
                        "|\xD0\x90rial\xFF|1|2|0\n[Dir0]\nName=" + kMixed + "\n",
                    u"2"_s, u"Ш"_s,
                    "; \xCA\xEE\xEC\n[General]\nSelected=" + kMixed +
                        "|\xD0\x90rial\xFF|1|\xD0\xA8|0\n[Dir0]\nName=" + kMixed + "\n",
                    u"Тест"_s},
        // Quotes are not part of the value: stored unchanged they stay, and a
        // changed value is written as it is given.
        ForeignCase{"QuotedNoFinalNewline", "[General]\nSelected = \"" + kCp1251Selected + "|x|7\"",
                    u"x"_s, u"y"_s, "[General]\nSelected = " + kCp1251Selected + "|y|7",
                    u".png"_s}),
    [](const auto& info) { return std::string(info.param.name); });

// A name holding foreign bytes, addressed by the text it reads as, is the
// same name: the write lands in the existing section and key.
TEST(ProfileForeignNames, NamesInAnotherCodePageAreFoundAgain) {
  QTemporaryDir dir;
  const QString path = dir.filePath("q.ini");
  {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("[\xCA\xE0\xF2]\n\xC8\xEC\xFF=1\n");
  }
  const QString section = DecodeCodePage("\xCA\xE0\xF2");
  const QString key = DecodeCodePage("\xC8\xEC\xFF");
  EXPECT_EQ(ReadProfileString(path, section, key, {}), "1");
  ASSERT_TRUE(WriteProfileString(path, section, key, "2"));
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  EXPECT_EQ(f.readAll(), "[\xCA\xE0\xF2]\n\xC8\xEC\xFF=2\n");
}

}  // namespace
