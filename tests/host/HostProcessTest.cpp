// quillmark-host as a process, with the stand-in editor (no window) in the
// editor's place beside it: asked to end from outside, the stamp first tells
// its editor that it is going.

#include <gtest/gtest.h>
#include <signal.h>

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include "platform/ChildProcess.h"
#include "platform/link/LinkSender.h"
#include "support/Processes.h"

namespace qm::host {
namespace {

constexpr int kWaitMs = 15000;

TEST(HostProcess, EndingFromOutsideClosesTheEditorFirst) {
  QTemporaryDir program, runtime;
  const QString editor = program.filePath(QStringLiteral("QuillmarkOpt"));
  ASSERT_TRUE(QFile::copy(QStringLiteral(QM_BIN_DIR "/quillmark-host"),
                          program.filePath(QStringLiteral("quillmark-host"))));
  ASSERT_TRUE(QFile::copy(QStringLiteral(QM_BIN_DIR "/quillmark-stub-editor"), editor));
  const QString linkDir = runtime.path();  // 0700, as QTemporaryDir makes it

  QProcess host;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
  env.insert(QStringLiteral("XDG_CONFIG_HOME"), runtime.filePath(QStringLiteral("config")));
  env.insert(QStringLiteral("XDG_DATA_HOME"), runtime.filePath(QStringLiteral("data")));
  env.insert(QStringLiteral("QUILLMARK_LINK_DIR"), linkDir);
  host.setProcessEnvironment(env);
  host.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  host.start(program.filePath(QStringLiteral("quillmark-host")), {"--open-editor"});
  ASSERT_TRUE(host.waitForStarted(5000));

  // The editor started and listens; once it has answered a message of ours
  // it is done announcing itself to the stamp.
  qint64 pid = 0;
  ASSERT_TRUE(QTest::qWaitFor(
      [&] {
        const auto running = test::ProcessesOf(editor);
        pid = running.size() == 1 ? running.first() : 0;
        return pid > 0 && QFile::exists(linkDir + u'/' + QString::number(pid));
      },
      kWaitMs));
  link::LinkSender toEditor(static_cast<qint32>(pid), nullptr, linkDir);
  ASSERT_TRUE(toEditor.send(QStringLiteral("W=2")));

  ::kill(static_cast<pid_t>(host.processId()), SIGTERM);
  ASSERT_TRUE(host.waitForFinished(kWaitMs));
  EXPECT_EQ(host.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(host.exitCode(), 0);
  // The stand-in ends only on "W=0".
  EXPECT_TRUE(QTest::qWaitFor([&] { return !platform::ProcessAlive(pid); }, kWaitMs));
  if (platform::ProcessAlive(pid)) ::kill(static_cast<pid_t>(pid), SIGKILL);
}

struct LocaleCase {
  const char* name;
  const char* lang;
  const char* language;  // LANGUAGE, the C library's list of message languages
};

class DiagnosticsLanguage : public ::testing::TestWithParam<LocaleCase> {};

// The stamp speaks Russian; what it prints on stderr, system error texts
// included, is English all the same.
TEST_P(DiagnosticsLanguage, StderrIsEnglishWhateverTheDesktopSpeaks) {
  const LocaleCase& c = GetParam();
  QTemporaryDir runtime;
  QProcess host;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
  env.insert(QStringLiteral("XDG_CONFIG_HOME"), runtime.filePath(QStringLiteral("config")));
  env.insert(QStringLiteral("XDG_DATA_HOME"), runtime.filePath(QStringLiteral("data")));
  env.insert(QStringLiteral("QUILLMARK_LINK_DIR"), runtime.path());
  env.remove(QStringLiteral("LC_ALL"));
  env.remove(QStringLiteral("LC_MESSAGES"));
  env.insert(QStringLiteral("LANG"), QString::fromLatin1(c.lang));
  env.insert(QStringLiteral("LANGUAGE"), QString::fromLatin1(c.language));
  host.setProcessEnvironment(env);
  host.start(QStringLiteral(QM_BIN_DIR "/quillmark-host"),
             {QStringLiteral("--lang"), QStringLiteral("ru"), QStringLiteral("--file"),
              runtime.filePath(QStringLiteral("missing/text"))});
  ASSERT_TRUE(host.waitForStarted(5000));
  QByteArray err;
  const bool told = QTest::qWaitFor(
      [&] {
        err += host.readAllStandardError();
        return err.contains("missing/text:");
      },
      kWaitMs);
  host.kill();
  host.waitForFinished(kWaitMs);
  ASSERT_TRUE(told) << err.toStdString();
  const QString text = QString::fromUtf8(err);
  for (const QChar ch : text)
    ASSERT_FALSE(ch.script() == QChar::Script_Cyrillic) << text.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Locales, DiagnosticsLanguage,
                         ::testing::Values(LocaleCase{"cUtf8", "C.UTF-8", "ru"},
                                           LocaleCase{"russian", "ru_RU.UTF-8", "ru_RU:ru"}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace qm::host
