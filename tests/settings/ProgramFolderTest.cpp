// Where the programs keep Quillmark.ini and Tavrel/: beside themselves in a
// program folder of their own, else in the per-user program folder, which the
// first start fills with the demo catalogue.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <future>

#include "settings/ProgramFolder.h"
#include "support/QtPrint.h"
#include "support/SmallDisk.h"

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

// A folder somebody else controls may hold a catalogue of theirs (it would
// show in the editor, and its pictures would be read): it is passed over for
// one of the user's own, and the programs say where.
TEST(ProgramFolder, AFolderOthersControlIsPassedOverForAPrivateOne) {
  enum Plant { OthersFolder, LinkToOthers, OpenToAll, LinkToOwn };
  const struct Case {
    Plant plant;
    bool needsRoot;
    bool used;
  } cases[] = {
      {OthersFolder, true, false},
      {LinkToOthers, true, false},
      {OpenToAll, false, false},
      {LinkToOwn, false, true},  // a data folder moved to another disk, say
  };
  for (const Case& c : cases) {
    if (c.needsRoot && ::geteuid() != 0) continue;
    QTemporaryDir exe, home;
    const QString data = home.filePath(QStringLiteral("data"));
    const QString usual = data + QStringLiteral("/quillmark");
    const QString elsewhere = home.filePath(QStringLiteral("elsewhere"));
    ASSERT_TRUE(QDir().mkpath(data));
    ASSERT_TRUE(QDir().mkpath(elsewhere));
    const bool viaLink = c.plant == LinkToOthers || c.plant == LinkToOwn;
    if (viaLink) {
      ASSERT_TRUE(QFile::link(elsewhere, usual));
    }
    const QString planted = viaLink ? elsewhere : usual;
    ASSERT_TRUE(QDir().mkpath(planted));
    WriteFile(planted + QStringLiteral("/Quillmark.ini"), "[General]\r\nSelected=planted\r\n");
    const QByteArray native = QFile::encodeName(planted);
    if (c.plant == OthersFolder || c.plant == LinkToOthers) {
      ASSERT_EQ(::chown(native.constData(), 65534, 65534), 0);
    }
    if (c.plant == OpenToAll) {
      ASSERT_EQ(::chmod(native.constData(), 0777), 0);
    }

    const ProgramFolder chosen = ChooseProgramFolder(
        exe.path(), Env({{"XDG_DATA_HOME", data}, {"XDG_CACHE_HOME", home.filePath("cache")}}));
    EXPECT_EQ(chosen.dir == usual, c.used) << c.plant;
    EXPECT_EQ(chosen.notice.isEmpty(), c.used) << c.plant;
    if (c.used) continue;
    EXPECT_TRUE(chosen.notice.contains(chosen.dir)) << c.plant;
    struct stat st {};
    ASSERT_EQ(::lstat(QFile::encodeName(chosen.dir).constData(), &st), 0) << c.plant;
    EXPECT_TRUE(S_ISDIR(st.st_mode) && st.st_uid == ::geteuid() && (st.st_mode & 077) == 0)
        << c.plant;
    EXPECT_FALSE(QFileInfo::exists(chosen.dir + QStringLiteral("/Quillmark.ini"))) << c.plant;
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

// What a run cut short (or a full disk, before saves were checked) left: an
// empty INI file, empty pictures. It is drawn again; an INI file with
// something in it is the user's and stays.
TEST_F(PrepareFolder, ACatalogueCutShortIsDrawnAgain) {
  const struct Case {
    QByteArray ini;
    bool iniKept;
  } cases[] = {{"", false}, {"[General]\r\nSelected=mine\r\n", true}};
  for (const Case& c : cases) {
    QDir(Dir()).removeRecursively();
    ASSERT_TRUE(QDir().mkpath(Dir() + QStringLiteral("/Tavrel/Sea")));
    WriteFile(Ini(), c.ini);
    WriteFile(Dir() + QStringLiteral("/Tavrel/Chm1.png"), "");
    WriteFile(Dir() + QStringLiteral("/Tavrel/Sea/wave1.png"), "");
    ASSERT_EQ(PrepareProgramFolder({Dir(), true}, Democat()), QString());
    EXPECT_EQ(ReadFile(Ini()) == c.ini, c.iniKept);
    EXPECT_GT(ReadFile(Ini()).size(), 0);
    for (const char* picture : {"/Tavrel/Chm1.png", "/Tavrel/Sea/wave1.png"})
      EXPECT_TRUE(ReadFile(Dir() + QString::fromLatin1(picture)).startsWith("\x89PNG")) << picture;
  }
}

// A folder that cannot be written is said to be so, at once: nothing holds
// it locked.
TEST(ProgramFolderReadOnly, IsSaidToBeReadOnlyNotLocked) {
  qm::test::SmallDisk disk;
  QM_SKIP_WITHOUT(disk);
  ASSERT_TRUE(disk.MakeReadOnly());
  const QString problem =
      PrepareProgramFolder({disk.Path(), true}, QStringLiteral(QM_BIN_DIR "/quillmark-democat"));
  EXPECT_FALSE(problem.isEmpty());
  EXPECT_FALSE(problem.contains(QStringLiteral("locked"))) << problem.toStdString();
  EXPECT_TRUE(problem.contains(disk.Path())) << problem.toStdString();
}

}  // namespace
}  // namespace qm::settings
