#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "settings/AppPaths.h"
#include "settings/UserSettings.h"

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
  UserSettings reopened(file);
  EXPECT_EQ(reopened.GetS("OptMenu", "0"), "3");
  EXPECT_EQ(reopened.GetS("TxturEn", "1"), "1");
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
