// The typed keys address the same stored values the stamp and earlier
// versions read and write by name: a key's group, a named stamp's prefix and
// a number's reading all have to land where the file has them.
#include <gtest/gtest.h>

#include <QSettings>
#include <QTemporaryDir>

#include "settings/IniClass.h"
#include "settings/UserKeys.h"
#include "settings/UserSettings.h"

using namespace qm::settings;
using qm::platform::SettingKey;

TEST(SettingKey, TypedKeysReadAndWriteWhereTheFileHasThem) {
  QTemporaryDir dir;
  const QString file = dir.filePath(QStringLiteral("Quillmark.conf"));
  {
    QSettings written(file, QSettings::IniFormat);
    written.setValue(QStringLiteral("Options/OptMenu"), QStringLiteral("3.6"));
    written.setValue(QStringLiteral("Options/FonNum"), QStringLiteral("abc"));
    written.setValue(QStringLiteral("Host/Place"), QStringLiteral("1|2"));
    written.setValue(QStringLiteral("Host/Blue/Place"), QStringLiteral("3|4"));
  }
  UserSettings editor(file);
  const UserSettings stamp(file, kStampGroup.toString());
  const struct {
    QString got, want;
  } reads[] = {
      {QString::number(editor.Get(kOpenPage)), QStringLiteral("4")},  // rounded, as Val reads it
      {QString::number(editor.Get(kPreviewBackground)), QStringLiteral("0")},  // not a number
      {QString::number(editor.Get(kPreviewTexture)), QStringLiteral("1")},     // nothing stored
      {stamp.Get(kStampPlace), QStringLiteral("1|2")},
      {stamp.Get(kStampPlace, u"Blue/"), QStringLiteral("3|4")},
      {stamp.Get(kStampPlace, u"Red/"), QString()},
  };
  for (const auto& r : reads) EXPECT_EQ(r.got, r.want);

  // Written through the editor's store, a stamp key still goes to its group.
  ASSERT_TRUE(editor.Set(kStampLayer, QStringLiteral("below"), u"Blue/"));
  ASSERT_TRUE(editor.Set(kOpenPage, 2));
  const QSettings back(file, QSettings::IniFormat);
  EXPECT_EQ(back.value(QStringLiteral("Host/Blue/Layer")).toString(), u"below");
  EXPECT_EQ(back.value(QStringLiteral("Options/OptMenu")).toString(), u"2");

  INI_Class ini;
  const QString iniFile = dir.filePath(QStringLiteral("Quillmark.ini"));
  constexpr SettingKey<qint16> kNumber{u"General", u"Number", 7};
  EXPECT_EQ(ini.Read(kNumber, iniFile), 7);
  ASSERT_TRUE(ini.Write(kNumber, -3, iniFile));
  EXPECT_EQ(ini.ReadINIKey(QStringLiteral("General"), QStringLiteral("Number"), iniFile, {}),
            u"-3");
}
