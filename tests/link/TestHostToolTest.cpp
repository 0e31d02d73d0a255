// quillmark-testhost end to end: real processes, real sockets, a private link
// folder handed to the editor through the environment.
#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTest>

#include "link/LinkTestSupport.h"
#include "platform/link/LinkSender.h"

namespace qm::link {
namespace {

const QString kBin = QStringLiteral(QM_BIN_DIR);

class HostProcess {
 public:
  HostProcess(const QString& linkDir, QStringList args) {
    const QString tool = kBin + QStringLiteral("/quillmark-testhost");
    if (!QFileInfo::exists(tool)) return;
    proc.setProcessChannelMode(QProcess::SeparateChannels);
    proc.start(tool, QStringList{QStringLiteral("--link-dir"), linkDir} + args);
    started = proc.waitForStarted(5000);
  }
  ~HostProcess() {
    if (proc.state() != QProcess::NotRunning) {
      proc.kill();
      proc.waitForFinished(5000);
    }
  }
  // The next stdout line, decoded; a null string when none came in time.
  QString line(int ms = 5000) {
    (void)QTest::qWaitFor(
        [&] {
          proc.waitForReadyRead(20);
          return proc.canReadLine() || proc.state() == QProcess::NotRunning;
        },
        ms);
    if (!proc.canReadLine()) return {};
    QByteArray l = proc.readLine();
    l.chop(1);
    return QString::fromUtf8(l);
  }
  void type(const QString& text) { proc.write((text + u'\n').toUtf8()); }
  bool ended(int ms = 8000) {
    return proc.state() == QProcess::NotRunning || proc.waitForFinished(ms);
  }

  QProcess proc;
  bool started = false;
};

struct StubCase {
  const char* name;
  QStringList args;
  QString commandLine;
};

class TestHostWithStubEditor : public ::testing::TestWithParam<StubCase> {};

TEST_P(TestHostWithStubEditor, Conversation) {
  test::LinkDir dir;
  HostProcess host(dir.path(), QStringList{QStringLiteral("--handle"), QStringLiteral("777"),
                                           QStringLiteral("--editor"),
                                           kBin + QStringLiteral("/quillmark-stub-editor")} +
                                   GetParam().args);
  ASSERT_TRUE(host.started) << "quillmark-testhost not built in " << QM_BIN_DIR;

  const QString announce = host.line();
  ASSERT_TRUE(announce.startsWith(QStringLiteral("W="))) << announce.toStdString();
  EXPECT_GT(announce.mid(2).toInt(), 0);
  EXPECT_EQ(host.line(), GetParam().commandLine);

  // Each stdin line goes to the editor; its echo comes back from inside its
  // handler while the host waits for the answer.
  host.type(QStringLiteral("hello"));
  host.type(QStringLiteral("F=Шрифт"));
  EXPECT_EQ(host.line(), QStringLiteral("E=hello"));
  EXPECT_EQ(host.line(), QStringLiteral("E=F=Шрифт"));
  host.type(QStringLiteral("W=2"));
  EXPECT_EQ(host.line(), announce);

  host.type(QStringLiteral("W=0"));
  EXPECT_EQ(host.line(), QStringLiteral("W=0"));
  ASSERT_TRUE(host.ended());
  EXPECT_EQ(host.proc.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(host.proc.exitCode(), 0);
  EXPECT_FALSE(QFileInfo::exists(dir.socket(777)));
}

INSTANTIATE_TEST_SUITE_P(
    CommandLines, TestHostWithStubEditor,
    ::testing::Values(StubCase{"default_text", {}, QStringLiteral("L=777|+38°")},
                      StubCase{"no_text", {QStringLiteral("--no-text")}, QStringLiteral("L=777")},
                      StubCase{"own_text",
                               {QStringLiteral("--text"), QStringLiteral("-5°|x")},
                               QStringLiteral("L=777|-5°|x")}),
    [](const auto& info) { return std::string(info.param.name); });

// Here the test plays the editor itself; the started "editor" only idles.
TEST(TestHostTool, HangingAnswersAndStdinRouting) {
  test::LinkDir dir;
  QTemporaryDir scripts;
  const QString idle = scripts.path() + QStringLiteral("/idle.sh");
  {
    QFile f(idle);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("#!/bin/sh\nexec sleep 30\n");
  }
  QFile::setPermissions(idle, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

  HostProcess host(dir.path(),
                   {QStringLiteral("--handle"), QStringLiteral("778"), QStringLiteral("--hang-ms"),
                    QStringLiteral("600"), QStringLiteral("--editor"), idle});
  ASSERT_TRUE(host.started);
  ASSERT_TRUE(QTest::qWaitFor([&] { return QFileInfo::exists(dir.socket(778)); }, 5000));

  LinkEndpoint mine;
  mine.setDirectory(dir.path());
  ASSERT_TRUE(mine.listen(4242));
  QStringList got;
  QObject::connect(&mine, &LinkEndpoint::messageReceived, &mine,
                   [&](const QString& t) { got.append(t); });

  LinkSender impatient(778, &mine, dir.path());
  impatient.setReplyTimeout(200);
  EXPECT_FALSE(impatient.send(QStringLiteral("X=1")));  // the host sits on its answer

  LinkSender patient(778, &mine, dir.path());
  patient.setReplyTimeout(4000);
  EXPECT_TRUE(patient.send(QStringLiteral("W=4242")));
  EXPECT_EQ(host.line(), QStringLiteral("X=1"));
  EXPECT_EQ(host.line(), QStringLiteral("W=4242"));

  host.type(QStringLiteral("C=255"));
  EXPECT_TRUE(QTest::qWaitFor([&] { return !got.isEmpty(); }, 5000));
  EXPECT_EQ(got, QStringList{QStringLiteral("C=255")});

  // "W=0" ends the host although its editor is still running.
  EXPECT_TRUE(patient.send(QStringLiteral("W=0")));
  EXPECT_TRUE(host.ended());
}

TEST(TestHostTool, MissingEditorIsAnError) {
  test::LinkDir dir;
  HostProcess host(dir.path(), {QStringLiteral("--editor"), dir.path() + QStringLiteral("/none")});
  ASSERT_TRUE(host.started);
  ASSERT_TRUE(host.ended());
  EXPECT_NE(host.proc.exitCode(), 0);
}

}  // namespace
}  // namespace qm::link
