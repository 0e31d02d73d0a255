// A second start of the real editor while one runs: it ends at once and
// reads, writes, shows and sends nothing.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>

#include "platform/link/LinkEndpoint.h"
#include "support/QtPrint.h"
#include "support/TempProgram.h"

using namespace qm;

namespace {

class SecondStart : public ::testing::Test {
 protected:
  void SetUp() override {
    program.WriteIni(kIni);
    editor = program.InstallEditor();
    ASSERT_FALSE(editor.isEmpty());
    env = test::TempProgram::ProcessEnvironment(runtime.path());
    env.insert(QStringLiteral("QUILLMARK_LINK_DIR"), LinkDir());
    QDir().mkpath(LinkDir());
    QFile::setPermissions(LinkDir(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  }
  void TearDown() override {
    for (QProcess* p : {&first, &second}) {
      if (p->state() != QProcess::NotRunning) {
        p->kill();
        p->waitForFinished(3000);
      }
    }
  }
  QString LinkDir() const { return runtime.path() + QStringLiteral("/link"); }
  QString LockFile() const {
    return runtime.path() + QStringLiteral("/quillmark/QuillmarkOpt.lock");
  }
  QString StoreFile() const {
    return runtime.path() + QStringLiteral("/config/Quillmark/Quillmark.conf");
  }
  void Start(QProcess& p, const QString& commandLine) {
    p.setProcessEnvironment(env);
    p.setStandardErrorFile(QProcess::nullDevice());
    p.start(editor, {commandLine});
    ASSERT_TRUE(p.waitForStarted(5000));
  }

  static constexpr const char* kIni =
      "[General]\r\nSelected=Clouds\\a.png|DejaVu Sans|1|36|&HFF0000|5|-3|&H0|2|-2|128|&HFF|3|1|1|"
      "1|0|0|100|100|0|0\r\n[Dir0]\r\nName=Облака\r\nPath=Clouds\r\n";
  test::TempProgram program;
  QTemporaryDir runtime;
  QProcessEnvironment env;
  QString editor;
  QProcess first;
  QProcess second;
};

TEST_F(SecondStart, EndsAtOnceTouchingNothing) {
  // A host that records whatever reaches it.
  link::LinkEndpoint host;
  host.setDirectory(LinkDir());
  ASSERT_TRUE(host.listen(424242));
  QStringList received;
  QObject::connect(&host, &link::LinkEndpoint::messageReceived, &host,
                   [&](const QString& t) { received << t; });

  Start(first, QStringLiteral("424242|+12°"));
  // The first editor is up once it has announced itself.
  ASSERT_TRUE(QTest::qWaitFor([&] { return !received.isEmpty(); }, 5000));
  ASSERT_TRUE(received.first().startsWith(QStringLiteral("W=")));
  // The first editor goes on sending its look for a while; any start of an
  // editor that reaches a host begins by announcing itself, so a second
  // announcement is what would give the second start away.
  const auto announcements = [&] {
    return std::count_if(received.begin(), received.end(),
                         [](const QString& t) { return t.startsWith(QStringLiteral("W=")); });
  };
  const QByteArray ini = program.ReadIni();
  ASSERT_FALSE(QFile::exists(StoreFile()));

  Start(second, QStringLiteral("424242|+12°"));
  ASSERT_TRUE(second.waitForFinished(5000));
  EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(second.exitCode(), 0);
  // Whatever it sent was on its way before it ended: the wait ends as soon as
  // it arrives.
  EXPECT_FALSE(QTest::qWaitFor([&] { return announcements() > 1; }, 200))
      << received.join(u',').toStdString();
  EXPECT_EQ(program.ReadIni(), ini);
  EXPECT_FALSE(QFile::exists(StoreFile()));
  EXPECT_EQ(first.state(), QProcess::Running);
}

TEST_F(SecondStart, AFolderOthersCanWriteIsRefusedAloud) {
  // The lock's folder made by somebody else first, open to everyone.
  const QString folder = runtime.path() + QStringLiteral("/quillmark");
  ASSERT_TRUE(QDir().mkpath(folder));
  ASSERT_TRUE(QFile::setPermissions(folder, QFileDevice::Permissions(0x7777)));
  const QByteArray ini = program.ReadIni();
  first.setProcessEnvironment(env);
  first.start(editor, {QStringLiteral("0|+1°")});
  ASSERT_TRUE(first.waitForFinished(5000));
  EXPECT_EQ(first.exitStatus(), QProcess::NormalExit);
  EXPECT_NE(first.exitCode(), 0);
  EXPECT_TRUE(first.readAllStandardError().contains(folder.toUtf8()));
  EXPECT_FALSE(QFile::exists(LockFile()));
  EXPECT_EQ(program.ReadIni(), ini);
}

}  // namespace
