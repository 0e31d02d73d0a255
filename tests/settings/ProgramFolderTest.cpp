// Where the programs keep Quillmark.ini and Tavrel/: beside themselves in a
// program folder of their own, else in the per-user program folder, which the
// first start fills with the demo catalogue.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <future>

#include "settings/ProgramFolder.h"
#include "support/QtPrint.h"

namespace qm::settings {
namespace {

void WriteFile(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
  f.write(bytes);
}
QByteArray ReadFile(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QProcessEnvironment Env(std::initializer_list<std::pair<const char*, QString>> vars) {
  QProcessEnvironment env;
  for (const auto& [name, value] : vars) env.insert(QString::fromLatin1(name), value);
  return env;
}

TEST(ProgramFolder, PerUserFolderFollowsTheDataHome) {
  const struct Case {
    QProcessEnvironment env;
    const char* want;
  } cases[] = {
      {Env({{"XDG_DATA_HOME", "/d/data"}, {"HOME", "/home/u"}}), "/d/data/quillmark"},
      {Env({{"XDG_DATA_HOME", "/d/data/"}, {"HOME", "/home/u"}}), "/d/data/quillmark"},
      // A relative data home is ignored, as the base directory rules say.
      {Env({{"XDG_DATA_HOME", "data"}, {"HOME", "/home/u"}}), "/home/u/.local/share/quillmark"},
      {Env({{"XDG_DATA_HOME", ""}, {"HOME", "/home/u"}}), "/home/u/.local/share/quillmark"},
      {Env({{"HOME", "/home/u"}}), "/home/u/.local/share/quillmark"},
      {Env({{"HOME", "u"}}), ""},
      {Env({}), ""},
  };
  for (const Case& c : cases)
    EXPECT_EQ(PerUserProgramFolder(c.env), QString::fromLatin1(c.want))
        << c.env.toStringList().join(u' ').toStdString();
}

TEST(ProgramFolder, AProgramFolderOfItsOwnHoldsTheCatalogue) {
  QTemporaryDir exe, data;
  const QProcessEnvironment env = Env({{"XDG_DATA_HOME", data.path()}});
  const QString perUser = data.path() + QStringLiteral("/quillmark");
  // A bin/ with no catalogue (an installed program, or ~/.local/bin) is not
  // taken even though it can be written.
  EXPECT_EQ(ChooseProgramFolder(exe.path(), env).dir, perUser);
  EXPECT_TRUE(ChooseProgramFolder(exe.path(), env).perUser);
  QDir(exe.path()).mkpath(QStringLiteral("Tavrel"));
  EXPECT_TRUE(ChooseProgramFolder(exe.path(), env).perUser);
  WriteFile(exe.filePath(QStringLiteral("Quillmark.ini")), "[General]\r\n");
  EXPECT_EQ(ChooseProgramFolder(exe.path(), env).dir, exe.path());
  EXPECT_FALSE(ChooseProgramFolder(exe.path(), env).perUser);
  // A catalogue that cannot be saved would lose every change.
  if (::geteuid() != 0) {
    QFile::setPermissions(exe.filePath(QStringLiteral("Quillmark.ini")), QFile::ReadOwner);
    EXPECT_TRUE(ChooseProgramFolder(exe.path(), env).perUser);
  }
}

class PrepareFolder : public ::testing::Test {
 protected:
  QString Dir() const { return data.path() + QStringLiteral("/share/quillmark"); }
  QString Ini() const { return Dir() + QStringLiteral("/Quillmark.ini"); }
  static QString Democat() { return QStringLiteral(QM_BIN_DIR "/quillmark-democat"); }
  QTemporaryDir data;
};

TEST_F(PrepareFolder, FirstStartDrawsTheDemoCatalogueAndLaterOnesKeepTheUsersFile) {
  ASSERT_EQ(PrepareProgramFolder({Dir(), true}, Democat()), QString());
  EXPECT_TRUE(QFileInfo(Ini()).isFile());
  EXPECT_TRUE(QFileInfo(Dir() + QStringLiteral("/Tavrel/Chm1.png")).isFile());
  // The user's own catalogue: every byte stays.
  const QByteArray mine = "[General]\r\nSelected=mine\r\n";
  WriteFile(Ini(), mine);
  ASSERT_EQ(PrepareProgramFolder({Dir(), true}, Democat()), QString());
  EXPECT_EQ(ReadFile(Ini()), mine);
}

TEST_F(PrepareFolder, TwoProgramsStartingAtOnceMakeOneCatalogue) {
  auto other = std::async(std::launch::async, [&] {
    return PrepareProgramFolder({Dir(), true}, Democat());
  });
  EXPECT_EQ(PrepareProgramFolder({Dir(), true}, Democat()), QString());
  EXPECT_EQ(other.get(), QString());
  EXPECT_TRUE(QFileInfo(Ini()).isFile());
  EXPECT_FALSE(QFileInfo::exists(Dir() + QStringLiteral("/.prepare.lock")));
}

TEST_F(PrepareFolder, SaysWhyAndTouchesNothingWhenItCannot) {
  const struct Case {
    ProgramFolder folder;
    QString democat;
    bool fails;
  } cases[] = {
      // The program's own folder is never touched.
      {{data.path() + QStringLiteral("/own"), false}, Democat(), false},
      {{data.path() + QStringLiteral("/a"), true}, data.path() + QStringLiteral("/no-tool"), true},
      {{QString(), true}, Democat(), true},
      // A tool that fails is told, not taken for a catalogue drawn.
      {{data.path() + QStringLiteral("/b"), true}, QStringLiteral("/bin/false"), true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(!PrepareProgramFolder(c.folder, c.democat).isEmpty(), c.fails)
        << c.folder.dir.toStdString();
    EXPECT_FALSE(QFileInfo::exists(c.folder.dir + QStringLiteral("/Quillmark.ini")));
  }
  EXPECT_FALSE(QFileInfo::exists(data.path() + QStringLiteral("/own")));
}

}  // namespace
}  // namespace qm::settings
