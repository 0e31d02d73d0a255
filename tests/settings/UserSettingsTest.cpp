#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryDir>
#include <chrono>
#include <future>

#include "settings/AppPaths.h"
#include "settings/UserSettings.h"
#include "support/SmallDisk.h"

using namespace qm::settings;

namespace {

TEST(UserSettings, RoundTripIsWrittenAtOnce) {
  QTemporaryDir dir;
  const QString file = dir.filePath("cfg/Quillmark/Quillmark.conf");
  {
    UserSettings store(file);
    EXPECT_EQ(store.GetS("FonNum", "1"), "1");
    for (const char* v : {"120,5|300|9000|6000", "@x", "", "Текст; \"q\" = 1"})
      EXPECT_TRUE(store.SetS("FrmOptPos", QString::fromUtf8(v)));
    EXPECT_TRUE(store.SetS("OptMenu", "3"));
    ASSERT_TRUE(QFile::exists(file));  // synced without waiting for the destructor
    EXPECT_EQ(UserSettings(file).GetS("FrmOptPos", "d"), QString::fromUtf8("Текст; \"q\" = 1"));
  }
  // Stores written before, and read by earlier versions, follow the settings
  // format: every value reads back the same through it, and what another
  // group holds survives a write to this one.
  {
    QSettings other(file, QSettings::IniFormat);
    other.setValue("Host/Place", "10|20");
  }
  const QString tricky[] = {"@@a",       " lead",     "trail ",         "a,b",
                            "x=1;y",     "tab\there", "line\nbreak\r",  QString(QChar(1)) + "1f",
                            "\\x41\"\\", "𝄞 ё",       "#not a comment", "[not a section]"};
  for (const QString& v : tricky) {
    EXPECT_TRUE(UserSettings(file).SetS("FonNum", v));
    EXPECT_EQ(QSettings(file, QSettings::IniFormat).value("Options/FonNum").toString(), v);
    EXPECT_EQ(UserSettings(file).GetS("FonNum", "d"), v);
  }
  EXPECT_EQ(UserSettings(file, "Host").GetS("Place", "d"), "10|20");
  UserSettings reopened(file);
  EXPECT_EQ(reopened.GetS("OptMenu", "0"), "3");
  EXPECT_EQ(reopened.GetS("TxturEn", "1"), "1");
}

// Two programs share the file, so every save reads it again first. Saves
// that follow each other within a millisecond, and leave the file the same
// size, must still read back what the last one wrote, or the next save puts
// an older value back.
TEST(UserSettings, QuickSavesOfOneSizeNeverPutAnOlderValueBack) {
  QTemporaryDir dir;
  const QString file = dir.filePath("Quillmark.conf");
  UserSettings store(file);
  UserSettings other(file, QStringLiteral("Host"));
  for (int i = 0; i < 300; ++i) {
    const QString value = QString::number(i % 10);
    ASSERT_TRUE(store.SetS("FonNum", value));
    ASSERT_TRUE(other.SetS("Layer", value));
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    ASSERT_TRUE(bytes.contains("FonNum=" + value.toUtf8())) << i << "\n" << bytes.constData();
    ASSERT_TRUE(bytes.contains("Layer=" + value.toUtf8())) << i << "\n" << bytes.constData();
  }
}

TEST(UserSettings, EmptyValueIsStoredNotDefaulted) {
  QTemporaryDir dir;
  UserSettings store(dir.filePath("q.conf"));
  store.SetS("OptMenu", "");
  EXPECT_EQ(store.GetS("OptMenu", "0"), "");
}

TEST(UserSettings, HandEditedListReadsAsOneString) {
  QTemporaryDir dir;
  QFile f(dir.filePath("q.conf"));
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write("[Options]\nFrmOptPos=120, 5|300\n");
  f.close();
  EXPECT_EQ(UserSettings(f.fileName()).GetS("FrmOptPos", "d"), "120,5|300");
}

// What is found where the store should be and is not a file of ours: the
// start-up neither waits on it nor reads it without end, the values are the
// defaults, and nothing is written over it.
TEST(UserSettings, OnlyARegularFileOfASaneSizeIsReadOrReplaced) {
  QTemporaryDir dir;
  const QString fifo = dir.filePath("fifo.conf");
  ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
  const QString zero = dir.filePath("zero.conf");
  ASSERT_TRUE(QFile::link("/dev/zero", zero));
  const QString huge = dir.filePath("huge.conf");
  {
    QFile f(huge);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("[Options]\nOptMenu=3\n");
    ASSERT_TRUE(f.resize(UserSettings::kMaxBytes + 1));
  }
  for (const QString& path : {fifo, zero, huge}) {
    auto opened = std::async(std::launch::async, [&] {
      UserSettings store(path);
      const bool saved = store.SetS("OptMenu", "4");
      return std::make_tuple(store.GetS("FonNum", "d"), store.GetS("OptMenu", "d"), saved,
                             store.Problem());
    });
    if (opened.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
      // Let the reader that waits on the FIFO go, so the test can end.
      const int fd = ::open(QFile::encodeName(fifo).constData(), O_WRONLY | O_NONBLOCK);
      if (fd >= 0) ::close(fd);
      ADD_FAILURE() << "waited on " << path.toStdString();
      opened.wait();
      continue;
    }
    const auto [fonNum, optMenu, saved, problem] = opened.get();
    EXPECT_EQ(fonNum, "d") << path.toStdString();
    EXPECT_EQ(optMenu, "4") << path.toStdString();  // this run still sees its own change
    EXPECT_FALSE(saved) << path.toStdString();
    EXPECT_FALSE(problem.isEmpty()) << path.toStdString();
  }
  struct stat st {};
  EXPECT_TRUE(::lstat(QFile::encodeName(fifo).constData(), &st) == 0 && S_ISFIFO(st.st_mode));
  EXPECT_TRUE(QFileInfo(zero).isSymLink());
  EXPECT_EQ(QFileInfo(huge).size(), UserSettings::kMaxBytes + 1);
}

TEST(UserSettings, AFullDiskKeepsTheStoreAndTheValueIsSavedWithTheNext) {
  qm::test::SmallDisk disk;
  QM_SKIP_WITHOUT(disk);
  const QString file = disk.Path() + "/Quillmark/Quillmark.conf";
  {
    UserSettings store(file);
    ASSERT_TRUE(store.SetS("FrmOptPos", "120|300|9000|6000"));
  }
  QFile f(file);
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  const QByteArray before = f.readAll();
  f.close();
  UserSettings store(file);
  disk.Fill();
  EXPECT_FALSE(store.SetS("OptMenu", "4"));
  EXPECT_FALSE(store.Problem().isEmpty());
  EXPECT_EQ(store.GetS("OptMenu", "d"), "4");
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  EXPECT_EQ(f.readAll(), before);
  f.close();
  disk.Free();
  EXPECT_TRUE(store.SetS("FonNum", "2"));
  EXPECT_TRUE(store.Problem().isEmpty());
  const UserSettings reread(file);
  EXPECT_EQ(reread.GetS("OptMenu", "d"), "4");
  EXPECT_EQ(reread.GetS("FrmOptPos", "d"), "120|300|9000|6000");
}

TEST(AppPaths, AppendsOneSeparator) {
  const struct {
    const char *dir, *app;
  } cases[] = {{"/opt/q", "/opt/q/"}, {"/opt/q/", "/opt/q/"}, {"/", "/"}};
  for (const auto& c : cases) {
    SetAppPaths(c.dir);
    EXPECT_EQ(sAppPath(), c.app);
    EXPECT_EQ(sIniFile(), QString(c.app) + "Quillmark.ini");
    EXPECT_EQ(sTemplateRoot(), QString(c.app) + "Tavrel/");
  }
}

}  // namespace
