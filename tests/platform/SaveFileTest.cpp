// Saving the INI file when the disk says no: the old file keeps every byte
// and nothing of the attempt is left beside it.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cerrno>
#include <cstring>

#include "platform/ProfileFile.h"
#include "platform/SaveFile.h"
#include "support/QtPrint.h"
#include "support/SmallDisk.h"

using namespace qm::platform;

namespace {

QByteArray FileBytes(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

// An INI file of a user who has saved a look and a few templates.
QByteArray UsersIni() {
  QByteArray ini = "[General]\r\nSelected=Sea\\wave1.png|DejaVu Sans|1|36\r\n";
  for (int n = 0; ini.size() < 2600; ++n)
    ini += "[Dir" + QByteArray::number(n) + "]\r\nName=Category\r\nPath=Cat" +
           QByteArray::number(n) + "\r\nPic1=a.png|DejaVu Serif|0|24|&HFFFFFF|0|0\r\n";
  return ini;
}

QStringList Entries(const QString& dir) {
  QStringList names =
      QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
  names.sort();
  return names;
}

TEST(SaveOnAFullDisk, TheIniKeepsEveryByteAndTheSaveGoesThroughOnceThereIsRoom) {
  qm::test::SmallDisk disk;
  QM_SKIP_WITHOUT(disk);
  const QString ini = disk.Path() + QStringLiteral("/Quillmark.ini");
  const QByteArray before = UsersIni();
  {
    QFile f(ini);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    ASSERT_EQ(f.write(before), before.size());
  }
  disk.Fill();
  QString why;
  EXPECT_FALSE(
      WriteProfileString(ini, u"General", u"Selected", QStringLiteral("Clouds\\c.png"), &why));
  EXPECT_EQ(why, QString::fromLocal8Bit(std::strerror(ENOSPC)));
  EXPECT_EQ(FileBytes(ini), before);
  EXPECT_EQ(Entries(disk.Path()), QStringList({"Quillmark.ini", "filler"}));

  disk.Free();
  EXPECT_TRUE(WriteProfileString(ini, u"General", u"Selected", QStringLiteral("Clouds\\c.png")));
  EXPECT_EQ(ReadProfileString(ini, u"General", u"Selected", {}), u"Clouds\\c.png");

  ASSERT_TRUE(disk.MakeReadOnly());
  const QByteArray saved = FileBytes(ini);
  EXPECT_FALSE(WriteProfileString(ini, u"General", u"Selected", QStringLiteral("x"), &why));
  EXPECT_EQ(why, QString::fromLocal8Bit(std::strerror(EROFS)));
  EXPECT_EQ(FileBytes(ini), saved);
}

// The failures a real disk gives only now and then (an I/O error at the
// flush, a quota met at the close, a rename refused), each at its step.
TEST(SaveFailingAtEachStep, KeepsTheOldFileAndLeavesNoTemporary) {
  QTemporaryDir dir;
  const QString ini = dir.filePath(QStringLiteral("Quillmark.ini"));
  const QByteArray before = UsersIni();
  {
    QFile f(ini);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(before);
  }
  const SaveStep steps[] = {SaveStep::Open, SaveStep::Write, SaveStep::Sync, SaveStep::Close,
                            SaveStep::Rename};
  for (const SaveStep step : steps) {
    for (const int error : {ENOSPC, EIO, EDQUOT, EROFS}) {
      const std::string label =
          "step " + std::to_string(static_cast<int>(step)) + ", " + std::strerror(error);
      const SaveFault fault(step, error);
      const SaveResult direct = SaveFileAtomically(ini, "whatever");
      EXPECT_FALSE(direct.ok) << label;
      EXPECT_EQ(direct.step, step) << label;
      EXPECT_EQ(direct.error, error) << label;
      QString why;
      EXPECT_FALSE(WriteProfileString(ini, u"General", u"Selected", QStringLiteral("x"), &why))
          << label;
      EXPECT_EQ(why, QString::fromLocal8Bit(std::strerror(error))) << label;
      EXPECT_EQ(FileBytes(ini), before) << label;
      EXPECT_EQ(Entries(dir.path()), QStringList{"Quillmark.ini"}) << label;
    }
  }
  EXPECT_TRUE(WriteProfileString(ini, u"General", u"Selected", QStringLiteral("x")));
  EXPECT_EQ(ReadProfileString(ini, u"General", u"Selected", {}), u"x");
}

}  // namespace
