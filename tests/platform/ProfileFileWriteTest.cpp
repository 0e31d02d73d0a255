#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "platform/Leftovers.h"
#include "platform/ProfileFile.h"
#include "support/FileAge.h"

using namespace qm::platform;

namespace {

QByteArray Slurp(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

void Spill(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(bytes);
}

class ProfileWriteBase : public ::testing::Test {
 protected:
  QTemporaryDir dir_;
  QString path_ = dir_.filePath("Quillmark.ini");
};

struct WriteCase {
  const char* name;
  QByteArray before;
  const char* section;
  const char* key;
  const char* value;
  QByteArray after;
};

class ProfileWrite : public ::testing::TestWithParam<WriteCase> {};

// Whole files are compared: a write may change the one value or add the one
// line it needs, and not a single other byte.
TEST_P(ProfileWrite, ChangesOnlyWhatItMust) {
  QTemporaryDir dir;
  const QString path = dir.filePath("q.ini");
  Spill(path, GetParam().before);
  const QString value = QString::fromUtf8(GetParam().value);
  ASSERT_TRUE(WriteProfileString(path, QString::fromUtf8(GetParam().section),
                                 QString::fromUtf8(GetParam().key), value));
  EXPECT_EQ(Slurp(path), GetParam().after);
  EXPECT_EQ(ReadProfileString(path, QString::fromUtf8(GetParam().section),
                              QString::fromUtf8(GetParam().key), "<def>"),
            value);
}

INSTANTIATE_TEST_SUITE_P(
    Profile, ProfileWrite,
    ::testing::Values(
        WriteCase{"ReplaceLf", "; head\n\n[A]\nx=1\n[B]\nk=old\ny=2\n", "B", "k", "new",
                  "; head\n\n[A]\nx=1\n[B]\nk=new\ny=2\n"},
        WriteCase{"ReplaceCrlf", "[A]\r\nk=old\r\n\r\n[B]\r\nk=1\r\n", "a", "K", "n",
                  "[A]\r\nk=n\r\n\r\n[B]\r\nk=1\r\n"},
        WriteCase{"ReplaceNoFinalNewline", "[A]\nk=old", "A", "k", "new", "[A]\nk=new"},
        WriteCase{"ReplaceKeepsSpellingAndBlanks", "[general]\n  SELECTED =  \"old\"  \r\n",
                  "General", "Selected", "2", "[general]\n  SELECTED =  2\r\n"},
        WriteCase{"ForeignBytesAndBomKept", "\xEF\xBB\xBF[A]\nz=\xFF\xC0\nk=1\n;\xFF\n", "A", "k",
                  "Тест",
                  "\xEF\xBB\xBF[A]\nz=\xFF\xC0\nk=\xD0\xA2\xD0\xB5\xD1\x81\xD1\x82\n;\xFF\n"},
        WriteCase{"FirstOfRepeatedSections", "[A]\nk=1\n[A]\nk=2\n", "A", "k", "9",
                  "[A]\nk=9\n[A]\nk=2\n"},
        WriteCase{"NewKeyAfterLastKeyLine", "[A]\nx=1\n\n; note\n[B]\ny=2\n", "A", "k", "v",
                  "[A]\nx=1\nk=v\n\n; note\n[B]\ny=2\n"},
        WriteCase{"NewKeyInEmptySection", "[A]\n[B]\n", "A", "k", "v", "[A]\nk=v\n[B]\n"},
        WriteCase{"NewKeyCrlf", "[A]\r\nx=1\r\n", "A", "k", "v", "[A]\r\nx=1\r\nk=v\r\n"},
        WriteCase{"NewKeyNoFinalNewline", "[A]\nx=1", "A", "k", "v", "[A]\nx=1\nk=v"},
        WriteCase{"NewKeyAfterALoneCr", "[A]\r\nx=1\r", "A", "k", "v", "[A]\r\nx=1\r\nk=v"},
        WriteCase{"NewSectionAtEnd", "[A]\nx=1\n", "B", "k", "v", "[A]\nx=1\n[B]\nk=v\n"},
        WriteCase{"NewSectionCrlf", "[A]\r\nx=1\r\n", "B", "k", "v",
                  "[A]\r\nx=1\r\n[B]\r\nk=v\r\n"},
        WriteCase{"NewSectionNoFinalNewline", "[A]\nx=1", "B", "k", "v", "[A]\nx=1\n[B]\nk=v"},
        WriteCase{"EmptyFileWithBom", "\xEF\xBB\xBF", "B", "k", "v", "\xEF\xBB\xBF[B]\nk=v\n"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ProfileWriteBase, CreatesFileAndKeepsLongValuesWhole) {
  const QString value = QString(300, u'я') + "|end";
  ASSERT_TRUE(WriteProfileString(path_, u"Dir0", u"Pic1", value));
  EXPECT_EQ(Slurp(path_), "[Dir0]\nPic1=" + value.toUtf8() + "\n");
  EXPECT_EQ(ReadProfileString(path_, u"dir0", u"pic1", {}), value);
}

TEST_F(ProfileWriteBase, RefusedWritesLeaveTheFileAlone) {
  const QByteArray before = "[A]\nk=1\n";
  Spill(path_, before);
  const QString loneSurrogate(QChar(0xD800));
  const struct {
    QString section, key, value;
  } refused[] = {{"A", "k", "a\nb"},
                 {"A", "k", "a\rb"},
                 {"A", "k", QString(QChar(0))},
                 {"A", "a=b", "v"},
                 {"A", "[k", "v"},
                 {"A", " ;k", "v"},
                 {"A", "", "v"},
                 {"A", "k\n", "v"},
                 {"A]", "k", "v"},
                 {"A\nB", "k", "v"},
                 {" ", "k", "v"},
                 {"A", "k", loneSurrogate},
                 // Names with blanks around them could not be read back.
                 {"\tA", "k", "v"},
                 {"A ", "k", "v"},
                 {"A", " k", "v"}};
  for (const auto& r : refused) {
    EXPECT_FALSE(WriteProfileString(path_, r.section, r.key, r.value))
        << r.section.toStdString() << "/" << r.key.toStdString();
  }
  EXPECT_EQ(Slurp(path_), before);
}

TEST_F(ProfileWriteBase, RenamesOverAndKeepsPermissions) {
  Spill(path_, "[A]\nk=1\n");
  ASSERT_TRUE(
      QFile::setPermissions(path_, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
  struct stat before {};
  ASSERT_EQ(::stat(QFile::encodeName(path_).constData(), &before), 0);
  ASSERT_TRUE(WriteProfileString(path_, u"A", u"k", "2"));
  struct stat after {};
  ASSERT_EQ(::stat(QFile::encodeName(path_).constData(), &after), 0);
  EXPECT_NE(before.st_ino, after.st_ino);
  EXPECT_EQ(after.st_mode & 0777, 0640u);
  EXPECT_EQ(QDir(dir_.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"Quillmark.ini"});
}

TEST_F(ProfileWriteBase, OtherWritersChangesSurvive) {
  Spill(path_, "[A]\nk=1\n");
  EXPECT_EQ(ReadProfileString(path_, u"A", u"k", {}), "1");
  Spill(path_, "[A]\nk=1\nhost=7\n");  // the host writes meanwhile
  ASSERT_TRUE(WriteProfileString(path_, u"A", u"k", "2"));
  EXPECT_EQ(Slurp(path_), "[A]\nk=2\nhost=7\n");
}

TEST_F(ProfileWriteBase, IoFailureIsReported) {
  EXPECT_FALSE(WriteProfileString(dir_.filePath("no/such/dir.ini"), u"A", u"k", "v"));
  EXPECT_FALSE(WriteProfileString(dir_.path(), u"A", u"k", "v"));  // a directory
}

// A save cut short by a kill leaves its temporary beside the INI file;
// start-up clears those away: only ours, only stale ones, never anything a
// person put there.
TEST(Leftovers, StaleSaveTemporariesOfOursGoEverythingElseStays) {
  enum Kind { File, Folder, Link };
  const qm::test::Leftover cases[] = {
      {"Quillmark.ini.qWeRtY", 120, File, true},
      {"Quillmark.ini.zXcVbN", 5, File, false},  // a save that may still run
      {"Quillmark.ini.qWeRt", 120, File, false},
      {"Quillmark.ini.qW3RtY", 120, File, false},
      {"Other.ini.qWeRtY", 120, File, false},
      // Copies people make: a word in one case is a name, not our dice.
      {"Quillmark.ini.backup", 120, File, false},
      {"Quillmark.ini.Backup", 120, File, false},
      {"Quillmark.ini.BACKUP", 120, File, false},
      {"Quillmark.ini.FoLdEr", 120, Folder, false},
      {"Quillmark.ini.LiNkEd", 120, Link, false},
  };
  QTemporaryDir dir;
  const QString ini = dir.filePath(QStringLiteral("Quillmark.ini"));
  QFile(ini).open(QIODevice::WriteOnly);
  int expected = 0;
  for (const auto& c : cases) {
    const QString path = dir.filePath(QString::fromUtf8(c.name));
    if (c.kind == File) QFile(path).open(QIODevice::WriteOnly);
    if (c.kind == Folder) QDir().mkdir(path);
    if (c.kind == Link) QFile::link(ini, path);
    qm::test::Age(path, c.age);
    expected += c.removed;
  }
  qm::test::Age(ini, 120);

  EXPECT_EQ(RemoveStaleSaveTemporaries(ini), expected);
  for (const auto& c : cases) {
    const QFileInfo info(dir.filePath(QString::fromUtf8(c.name)));
    EXPECT_EQ(!info.exists(), c.removed) << c.name;
  }
  EXPECT_TRUE(QFileInfo::exists(ini));
}

}  // namespace
