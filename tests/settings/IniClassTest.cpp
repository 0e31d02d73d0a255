#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "settings/IniClass.h"

using namespace qm::settings;

namespace {

class IniClassTest : public ::testing::Test {
 protected:
  void Spill(const QByteArray& bytes) {
    QFile f(ini_);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
  }
  QByteArray Slurp() {
    QFile f(ini_);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
  }
  QTemporaryDir dir_;
  QString ini_ = dir_.filePath("Quillmark.ini");
  INI_Class ini;
};

TEST_F(IniClassTest, BulkReadsComeFromOneParseUntilEnded) {
  Spill("[Dir0]\nName=Old\n");
  ini.BeginBulkRead(ini_);
  Spill("[Dir0]\nName=New\n");  // changed behind the snapshot's back
  EXPECT_EQ(ini.ReadINIKey("dir0", "name", ini_, ""), "Old");
  EXPECT_EQ(ini.ReadINIKey("Dir0", "Name", dir_.path() + "/./Quillmark.ini", ""), "Old");
  EXPECT_EQ(ini.ReadINIKey("Dir0", "Path", ini_, "none"), "none");
  ini.EndBulkRead();
  EXPECT_EQ(ini.ReadINIKey("Dir0", "Name", ini_, ""), "New");
}

TEST_F(IniClassTest, WriteDuringBulkReadRefreshesAndKeepsHostChanges) {
  Spill("[General]\nSelected=a\n");
  ini.BeginBulkRead(ini_);
  Spill("[General]\nSelected=a\nHost=1\n");
  EXPECT_TRUE(ini.WriteInIKey("General", "Colors", "&HFF|&H0", ini_));
  EXPECT_EQ(Slurp(), "[General]\nSelected=a\nHost=1\nColors=&HFF|&H0\n");
  EXPECT_EQ(ini.ReadINIKey("General", "Colors", ini_, ""), "&HFF|&H0");
  EXPECT_EQ(ini.ReadINIKey("General", "Host", ini_, ""), "1");
}

TEST_F(IniClassTest, OtherFilesAreReadDirectlyDuringBulkRead) {
  Spill("[A]\nk=1\n");
  const QString other = dir_.filePath("other.ini");
  ini.BeginBulkRead(ini_);
  ASSERT_TRUE(ini.WriteInIKey("A", "k", "2", other));
  EXPECT_EQ(ini.ReadINIKey("A", "k", other, ""), "2");
  EXPECT_EQ(ini.ReadINIKey("A", "k", ini_, ""), "1");
}

}  // namespace
