// The real programs: QuillmarkOpt started by quillmark-testhost, talking over
// real sockets, with a program directory, link folder, lock and per-user store
// of the test's own (XDG_RUNTIME_DIR and XDG_CONFIG_HOME point into it).
#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include "link/LinkTestSupport.h"
#include "platform/link/LinkDirectory.h"
#include "platform/link/LinkSender.h"
#include "support/QtPrint.h"
#include "support/TempProgram.h"

using namespace qm;

namespace {

const QByteArray kIni =
    "[General]\r\n"
    "Selected=Clouds\\a.png|DejaVu Sans|1|36|&HFF0000|5|-3|&H0|2|-2|128|&HFF|3|1|1|1|0|0|100|100|"
    "0|0\r\n"
    "[Dir0]\r\nName=Облака\r\nPath=Clouds\r\n";

class HostProcess : public ::testing::Test {
 protected:
  void SetUp() override {
    program.WriteIni(kIni);
    editor = program.InstallEditor();
    ASSERT_FALSE(editor.isEmpty());
    const QProcessEnvironment env = test::TempProgram::ProcessEnvironment(runtime.path());
    host.setProcessEnvironment(env);
    host.setProcessChannelMode(QProcess::SeparateChannels);
    host.setStandardErrorFile(QProcess::nullDevice());
    host.start(
        QStringLiteral(QM_BIN_DIR "/quillmark-testhost"),
        {QStringLiteral("--editor"), editor, QStringLiteral("--text"), QStringLiteral("+12°"),
         QStringLiteral("--link-dir"), runtime.path() + QStringLiteral("/link")});
    ASSERT_TRUE(host.waitForStarted(5000));
  }
  void TearDown() override {
    if (host.state() != QProcess::NotRunning) {
      host.kill();
      host.waitForFinished(3000);
    }
  }

  // The next line the host printed, or an empty text after a timeout.
  QString NextLine(int ms = 8000) {
    while (!host.canReadLine()) {
      if (!host.waitForReadyRead(ms)) return {};
    }
    return QString::fromUtf8(host.readLine()).chopped(1);
  }
  void Write(const char* line) { host.write(QByteArray(line) + '\n'); }

  test::TempProgram program;
  QTemporaryDir runtime;
  QString editor;
  QProcess host;
};

TEST_F(HostProcess, AnnouncesAnswersClosesAndKeepsTheLastChange) {
  const QString announcement = NextLine();
  ASSERT_TRUE(announcement.startsWith(QStringLiteral("W="))) << announcement.toStdString();
  EXPECT_GT(announcement.mid(2).toInt(), 0);
  // The selected line applied: the font, then the offsets sent again.
  for (const char* want : {"F=DejaVu Sans", "X=5", "Y=-3", "x=2", "y=-2"})
    EXPECT_EQ(NextLine(), QString::fromUtf8(want));

  Write("W=2");
  EXPECT_EQ(NextLine(), announcement);
  Write("F=DejaVu Serif");
  EXPECT_EQ(NextLine(), QStringLiteral("F=DejaVu Serif"));
  // "W=1" is answered by nothing; "W=0" closes the editor, which says so.
  Write("W=1");
  Write("W=0");
  EXPECT_EQ(NextLine(), QStringLiteral("W=0"));
  ASSERT_TRUE(host.waitForFinished(8000));
  EXPECT_EQ(host.exitCode(), 0);
  // The font change came less than a second before closing; it is saved.
  EXPECT_TRUE(program.ReadIni().contains(
      "Selected=Clouds\\a.png|DejaVu Serif|1|36|&HFF0000|5|-3|&H0|2|-2|128|&HFF|3|1|1|1|0|0|100|"
      "100|0|0"))
      << program.ReadIni().toStdString();
}

// A host that says "W=0" as soon as the editor announces itself, while the
// editor is still starting: the editor ends with status 0 instead of showing
// a window the host can no longer close, stores nothing of a run the user
// never saw, and tells the host that it has gone.
TEST(HostProcessStartUp, ACloseDuringStartUpEndsTheEditor) {
  test::TempProgram program;
  program.WriteIni(kIni);
  const QString editor = program.InstallEditor();
  ASSERT_FALSE(editor.isEmpty());
  QTemporaryDir runtime;
  link::test::LinkDir dir;
  constexpr qint32 kHost = 1000002;
  link::test::EndpointThread host(
      dir.path(), kHost, [](link::LinkEndpoint& own, const QString& text) {
        if (text.startsWith(u"W=") && text != u"W=0")
          link::LinkSender(text.mid(2).toInt(), &own, own.directory()).send(QStringLiteral("W=0"));
      });
  ASSERT_TRUE(host.listening());
  QProcessEnvironment env = test::TempProgram::ProcessEnvironment(runtime.path());
  env.insert(QString::fromLatin1(link::kLinkDirEnvironmentVariable), dir.path());
  QProcess proc;
  proc.setProcessEnvironment(env);
  proc.setStandardErrorFile(QProcess::nullDevice());
  proc.start(editor, {QString::number(kHost) + QStringLiteral("|+12°")});
  ASSERT_TRUE(proc.waitForStarted(5000));
  const bool ended = proc.waitForFinished(20000);
  if (!ended) {
    proc.kill();
    proc.waitForFinished(5000);
  }
  ASSERT_TRUE(ended);
  EXPECT_EQ(proc.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(proc.exitCode(), 0);
  EXPECT_EQ(host.messages().last(), QStringLiteral("W=0"));
  EXPECT_FALSE(QFileInfo::exists(runtime.path() + QStringLiteral("/config")));
}

}  // namespace
