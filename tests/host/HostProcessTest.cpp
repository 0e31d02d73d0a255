// quillmark-host as a process, with the stand-in editor (no window) in the
// editor's place beside it: asked to end from outside, the stamp first tells
// its editor that it is going.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <cstring>
#include <functional>
#include <utility>

#include "platform/ChildProcess.h"
#include "platform/link/LinkSender.h"
#include "support/FileAge.h"
#include "support/Processes.h"

namespace qm::host {
namespace {

constexpr int kWaitMs = 15000;

// A stamp of the test's own: offscreen, with its per-user folders and link
// folder below `root`.
QProcessEnvironment StampEnvironment(const QTemporaryDir& root, const QString& linkDir) {
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
  env.insert(QStringLiteral("XDG_CONFIG_HOME"), root.filePath(QStringLiteral("config")));
  env.insert(QStringLiteral("XDG_DATA_HOME"), root.filePath(QStringLiteral("data")));
  env.insert(QStringLiteral("QUILLMARK_LINK_DIR"), linkDir);
  return env;
}

TEST(HostProcess, EndingFromOutsideClosesTheEditorFirst) {
  QTemporaryDir program, runtime;
  const QString editor = program.filePath(QStringLiteral("QuillmarkOpt"));
  ASSERT_TRUE(QFile::copy(QStringLiteral(QM_BIN_DIR "/quillmark-host"),
                          program.filePath(QStringLiteral("quillmark-host"))));
  ASSERT_TRUE(QFile::copy(QStringLiteral(QM_BIN_DIR "/quillmark-stub-editor"), editor));
  const QString linkDir = runtime.path();  // 0700, as QTemporaryDir makes it

  QProcess host;
  QProcessEnvironment env = StampEnvironment(runtime, linkDir);
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

// Socket files of killed stamps and editors are cleared away when a stamp
// starts; a stamp that ends takes its own with it.
TEST(HostProcess, TheStampLeavesNoSocketFilesBehind) {
  QTemporaryDir dir;
  const QString dead = dir.filePath(QStringLiteral("1999999"));
  {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un a{};
    a.sun_family = AF_UNIX;
    const QByteArray path = QFile::encodeName(dead);
    std::memcpy(a.sun_path, path.constData(), static_cast<size_t>(path.size()));
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
    ::close(fd);  // the file stays, as after a kill
  }
  test::Age(dead, 3600);
  QProcess host;
  QProcessEnvironment env = StampEnvironment(dir, dir.path());
  host.setProcessEnvironment(env);
  host.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  host.start(QStringLiteral(QM_BIN_DIR "/quillmark-host"), {"--text", "+1"});
  ASSERT_TRUE(host.waitForStarted(kWaitMs));
  const QString own = dir.filePath(QString::number(host.processId()));
  ASSERT_TRUE(QTest::qWaitFor([&] { return QFileInfo::exists(own); }, kWaitMs));
  EXPECT_FALSE(QFileInfo::exists(dead));
  ::kill(static_cast<pid_t>(host.processId()), SIGTERM);
  ASSERT_TRUE(host.waitForFinished(kWaitMs));
  EXPECT_FALSE(QFileInfo::exists(own));
}

// A stamp that starts where it stood last time has nothing new to keep: the
// store it shares with the editor is not written again (each write takes the
// file's lock and waits for the disk). The first start keeps its place.
TEST(HostProcess, AStartAtTheKeptPlaceLeavesTheStoreAlone) {
  QTemporaryDir dir;
  const QString store = dir.filePath(QStringLiteral("config/Quillmark/Quillmark.conf"));
  const auto run = [&](const std::function<bool()>& ready) {
    QProcess host;
    host.setProcessEnvironment(StampEnvironment(dir, dir.path()));
    host.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    host.start(QStringLiteral(QM_BIN_DIR "/quillmark-host"), {"--text", "+1"});
    ASSERT_TRUE(host.waitForStarted(kWaitMs));
    const QString own = dir.filePath(QString::number(host.processId()));
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFileInfo::exists(own) && ready(); }, kWaitMs));
    // A stamp ends on SIGTERM from its event loop, so the start-up, which
    // places the window before the loop runs, is over when it has ended.
    ::kill(static_cast<pid_t>(host.processId()), SIGTERM);
    ASSERT_TRUE(host.waitForFinished(kWaitMs));
    ASSERT_EQ(host.exitStatus(), QProcess::NormalExit);
  };
  const auto identity = [&] {
    struct stat st {};
    return ::stat(QFile::encodeName(store).constData(), &st) == 0
               ? std::pair(st.st_ino, st.st_mtim.tv_sec * 1'000'000'000LL + st.st_mtim.tv_nsec)
               : std::pair(ino_t(0), 0LL);
  };
  const auto bytes = [&] {
    QFile f(store);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
  };
  run([&] { return bytes().contains("Area="); });
  const QByteArray kept = bytes();
  ASSERT_TRUE(kept.contains("Place=")) << kept.constData();
  const auto before = identity();
  run([] { return true; });
  EXPECT_EQ(identity(), before) << "the store was written again";
  EXPECT_EQ(bytes(), kept);
}

// The stamp ended from outside while its text is being read: nothing it
// started stays behind, even when it is killed outright, and a file it cannot
// read (a FIFO nobody writes) does not keep it from ending when asked.
TEST(HostProcess, EndingTheStampEndsWhatItStarted) {
  struct Case {
    const char* name;
    QStringList args;
    int signal;
    int leftBehind;  // processes the command reports in $P
  };
  QTemporaryDir dir;
  const QString pids = dir.filePath(QStringLiteral("pids"));
  const QString fifo = dir.filePath(QStringLiteral("fifo"));
  ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
  const QString command = QStringLiteral(
      "echo $$ >> \"$P\"; sleep 300 & echo $! >> \"$P\"; "
      "setsid sleep 300 & echo $! >> \"$P\"; wait");
  const Case cases[] = {
      {"killed while drawing into a file",
       {"--render", dir.filePath("out.png"), "--command", command, "--timeout", "300"},
       SIGKILL,
       3},
      {"killed on the desktop", {"--command", command, "--timeout", "300"}, SIGKILL, 3},
      {"asked to end while its file is a FIFO", {"--file", fifo}, SIGTERM, 0},
  };
  for (const Case& c : cases) {
    QFile::remove(pids);
    QProcess host;
    QProcessEnvironment env = StampEnvironment(dir, dir.path());
    env.insert(QStringLiteral("P"), pids);
    host.setProcessEnvironment(env);
    host.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    host.start(QStringLiteral(QM_BIN_DIR "/quillmark-host"), c.args);
    ASSERT_TRUE(host.waitForStarted(kWaitMs)) << c.name;
    QList<qint64> started;
    const auto readPids = [&] {
      started.clear();
      QFile f(pids);
      if (f.open(QIODevice::ReadOnly))
        for (const QByteArray& l : f.readAll().split('\n'))
          if (l.toLongLong() > 0) started << l.toLongLong();
      return started.size() >= c.leftBehind;
    };
    ASSERT_TRUE(QTest::qWaitFor(readPids, kWaitMs)) << c.name;
    // On the desktop, the stamp has started once it listens for the editor.
    if (!c.args.contains(u"--render")) {
      ASSERT_TRUE(QTest::qWaitFor(
          [&] { return QFile::exists(dir.filePath(QString::number(host.processId()))); }, kWaitMs))
          << c.name;
    }

    ::kill(static_cast<pid_t>(host.processId()), c.signal);
    EXPECT_TRUE(host.waitForFinished(kWaitMs)) << c.name;
    if (c.signal == SIGTERM) {
      EXPECT_EQ(host.exitStatus(), QProcess::NormalExit) << c.name;
    }
    for (const qint64 pid : started) {
      EXPECT_TRUE(QTest::qWaitFor([&] { return !platform::ProcessAlive(pid); }, kWaitMs))
          << c.name << " left " << pid;
      if (platform::ProcessAlive(pid)) ::kill(static_cast<pid_t>(pid), SIGKILL);
    }
    if (host.state() != QProcess::NotRunning) {
      host.kill();
      host.waitForFinished(kWaitMs);
    }
  }
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
  QProcessEnvironment env = StampEnvironment(runtime, runtime.path());
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
