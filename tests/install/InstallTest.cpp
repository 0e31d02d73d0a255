// The installed tree, as `cmake --install` lays it out in a prefix of the
// test's own: the programs, their desktop entries, icons and metadata, and
// the installed editor and stamp at work, keeping their catalogue in the
// per-user program folder because bin/ holds none.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QSettings>
#include <QTemporaryDir>

#include "support/QtPrint.h"

namespace {

constexpr int kWaitMs = 60000;
// What a user runs; the test host and the stub editor stay in the build tree.
const QStringList kPrograms = {QStringLiteral("QuillmarkOpt"), QStringLiteral("quillmark-democat"),
                               QStringLiteral("quillmark-host"),
                               QStringLiteral("quillmark-render")};

class Installed : public ::testing::Test {
 protected:
  // Installs the build as a user does (--prefix), or staged for a package
  // (DESTDIR, with the prefix the package will have).
  void Install(bool staged) {
    QProcess install;
    install.setProcessChannelMode(QProcess::MergedChannels);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    if (staged) env.insert(QStringLiteral("DESTDIR"), prefix.path());
    install.setProcessEnvironment(env);
    root = staged ? prefix.path() + QStringLiteral("/usr") : prefix.path();
    install.start(QStringLiteral(QM_CMAKE_COMMAND),
                  {QStringLiteral("--install"), QStringLiteral(QM_BUILD_DIR),
                   QStringLiteral("--prefix"), staged ? QStringLiteral("/usr") : prefix.path()});
    ASSERT_TRUE(install.waitForFinished(kWaitMs));
    ASSERT_EQ(install.exitCode(), 0) << install.readAll().toStdString();
  }

  QString Path(const QString& rel) const { return root + u'/' + rel; }
  QString Bin(const QString& program) const { return Path(QStringLiteral("bin/") + program); }
  static QByteArray Read(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
  }

  QTemporaryDir prefix;
  QString root;  // where the prefix's tree lies
};

TEST_F(Installed, ProgramsEntriesIconsAndMetadataLieWhereTheDesktopLooks) {
  ASSERT_NO_FATAL_FAILURE(Install(true));
  // bin/ holds the programs and nothing else: no catalogue among them.
  QStringList bin =
      QDir(Path(QStringLiteral("bin"))).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
  bin.sort();
  EXPECT_EQ(bin, kPrograms);
  for (const QString& p : kPrograms)
    EXPECT_TRUE(QFileInfo(Bin(p)).isExecutable()) << p.toStdString();

  // Each desktop entry starts an installed program and names an installed
  // icon, in every size the theme offers drawn at that size.
  const QString apps = Path(QStringLiteral("share/applications"));
  const QStringList entries = QDir(apps).entryList({QStringLiteral("*.desktop")});
  EXPECT_EQ(entries.size(), 2);
  const QString hicolor = Path(QStringLiteral("share/icons/hicolor"));
  for (const QString& entry : entries) {
    QSettings desktop(apps + u'/' + entry, QSettings::IniFormat);
    desktop.beginGroup(QStringLiteral("Desktop Entry"));
    const QString exec = desktop.value(QStringLiteral("Exec")).toString().section(u' ', 0, 0);
    EXPECT_TRUE(kPrograms.contains(exec)) << entry.toStdString() << ": " << exec.toStdString();
    const QString icon = desktop.value(QStringLiteral("Icon")).toString();
    const QByteArray svg =
        Read(hicolor + QStringLiteral("/scalable/apps/") + icon + QStringLiteral(".svg"));
    EXPECT_TRUE(svg.startsWith("<?xml") && svg.contains("<svg")) << icon.toStdString();
    int sizes = 0;
    for (const QString& dir : QDir(hicolor).entryList({QStringLiteral("*x*")}, QDir::Dirs)) {
      const int side = dir.section(u'x', 0, 0).toInt();
      const QImage png(hicolor + u'/' + dir + QStringLiteral("/apps/") + icon +
                       QStringLiteral(".png"));
      EXPECT_EQ(png.size(), QSize(side, side)) << dir.toStdString();
      ++sizes;
    }
    EXPECT_GE(sizes, 6);
  }

  // The metadata launches an installed entry and names installed programs.
  const QStringList metainfo =
      QDir(Path(QStringLiteral("share/metainfo"))).entryList({QStringLiteral("*.metainfo.xml")});
  ASSERT_EQ(metainfo.size(), 1);
  const QString xml =
      QString::fromUtf8(Read(Path(QStringLiteral("share/metainfo/")) + metainfo.first()));
  const QRegularExpression launchable(QStringLiteral("<launchable[^>]*>([^<]+)</launchable>"));
  EXPECT_TRUE(entries.contains(launchable.match(xml).captured(1))) << xml.toStdString();
  const QRegularExpression binary(QStringLiteral("<binary>([^<]+)</binary>"));
  for (auto it = binary.globalMatch(xml); it.hasNext();)
    EXPECT_TRUE(kPrograms.contains(it.next().captured(1)));
}

TEST_F(Installed, EditorAndStampShareTheCatalogueOfThePerUserFolder) {
  ASSERT_NO_FATAL_FAILURE(Install(false));
  QTemporaryDir home;
  QDir(home.path()).mkpath(QStringLiteral("run"));
  QFile::setPermissions(home.filePath(QStringLiteral("run")),
                        QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
  env.insert(QStringLiteral("HOME"), home.path());
  env.insert(QStringLiteral("XDG_RUNTIME_DIR"), home.filePath(QStringLiteral("run")));
  env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("config")));
  env.remove(QStringLiteral("XDG_DATA_HOME"));
  env.remove(QStringLiteral("QUILLMARK_LINK_DIR"));
  const QString folder = home.filePath(QStringLiteral(".local/share/quillmark"));

  // The installed editor, started as a host starts it, comes up on the demo
  // catalogue it had drawn for itself, then closes when the host says so.
  QProcess host;
  host.setProcessEnvironment(env);
  host.setProcessChannelMode(QProcess::SeparateChannels);
  host.start(QStringLiteral(QM_BUILD_DIR "/bin/quillmark-testhost"),
             {QStringLiteral("--text"), "+12°", QStringLiteral("--editor"),
              Bin(QStringLiteral("QuillmarkOpt"))});
  ASSERT_TRUE(host.waitForStarted(5000));
  const auto nextLine = [&] {
    while (!host.canReadLine())
      if (!host.waitForReadyRead(kWaitMs)) return QString();
    return QString::fromUtf8(host.readLine()).trimmed();
  };
  const QString announced = nextLine();
  EXPECT_TRUE(announced.startsWith(QStringLiteral("W=")))
      << announced.toStdString() << host.readAllStandardError().toStdString();
  // The demo selection reached the host: the editor read the catalogue.
  EXPECT_TRUE(nextLine().startsWith(QStringLiteral("F=")));
  host.write("W=0\n");
  QString last;
  for (QString line = nextLine(); !line.isEmpty(); line = nextLine()) last = line;
  // The lines end when the host does.
  ASSERT_TRUE(host.state() == QProcess::NotRunning || host.waitForFinished(kWaitMs));
  EXPECT_EQ(last, QStringLiteral("W=0"));
  EXPECT_EQ(host.exitCode(), 0) << host.readAllStandardError().toStdString();
  EXPECT_TRUE(QFileInfo(folder + QStringLiteral("/Quillmark.ini")).isFile());
  EXPECT_TRUE(QFileInfo(folder + QStringLiteral("/Tavrel/Chm1.png")).isFile());
  EXPECT_FALSE(QFileInfo::exists(Bin(QStringLiteral("Quillmark.ini"))));

  // The installed stamp reads the same file: a selection naming a picture
  // that is not there is what it complains about.
  QFile f(folder + QStringLiteral("/Quillmark.ini"));
  ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
  f.write(
      "[General]\r\nSelected=Nowhere\\gone.png|DejaVu Sans|1|36|&HFF0000|0|0|&H0|2|-2|128|"
      "&HFF|3|1|1|1|0|0|100|100|0|0\r\n");
  f.close();
  QProcess stamp;
  stamp.setProcessEnvironment(env);
  stamp.start(Bin(QStringLiteral("quillmark-host")),
              {QStringLiteral("--render"), home.filePath(QStringLiteral("out.png"))});
  ASSERT_TRUE(stamp.waitForFinished(kWaitMs));
  EXPECT_TRUE(stamp.readAllStandardError().contains("Nowhere"));
}

TEST_F(Installed, TheProgramsRefuseALanguageTheyDoNotSpeak) {
  ASSERT_NO_FATAL_FAILURE(Install(false));
  QTemporaryDir home;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
  env.insert(QStringLiteral("HOME"), home.path());
  env.insert(QStringLiteral("XDG_RUNTIME_DIR"), home.path());
  env.insert(QStringLiteral("XDG_DATA_HOME"), home.filePath(QStringLiteral("data")));
  for (const QString& program :
       {QStringLiteral("QuillmarkOpt"), QStringLiteral("quillmark-host")}) {
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(Bin(program), {QStringLiteral("--lang"), QStringLiteral("de")});
    ASSERT_TRUE(p.waitForFinished(kWaitMs));
    EXPECT_EQ(p.exitCode(), 2) << program.toStdString();
    EXPECT_TRUE(p.readAllStandardError().contains("ru or en")) << program.toStdString();
  }
}

}  // namespace
