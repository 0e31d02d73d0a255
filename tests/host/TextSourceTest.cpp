// The stamp's text sources with real commands run through /bin/sh and real
// files in a temporary folder.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <functional>

#include "host/TextSource.h"
#include "platform/ChildProcess.h"

namespace qm::host {
namespace {

constexpr int kWaitMs = 10000;

struct FirstLineCase {
  QByteArray bytes;
  std::optional<QString> text;
  TextRefusal why;
};

TEST(StampTextFrom, TakesTheFirstLineAsTextOrSaysWhyNot) {
  const QString longLine(kMaxStampText + 50, u'x');
  const QString emojiAtCut = QString(kMaxStampText - 1, u'x') + QStringLiteral("\U0001F600");
  const FirstLineCase cases[] = {
      {"14:05\n", QStringLiteral("14:05"), {}},
      {"  +5\xC2\xB0  \r\nsecond line", QStringLiteral("+5\u00B0"), {}},
      {"tab\there", QStringLiteral("tab\there"), {}},
      {longLine.toUtf8(), longLine.left(kMaxStampText), {}},
      // A cut never leaves half of a character behind.
      {emojiAtCut.toUtf8(), emojiAtCut.left(kMaxStampText - 1), {}},
      {"", std::nullopt, TextRefusal::Empty},
      {"\n\nthird", std::nullopt, TextRefusal::BlankLine},
      {"   \t\r\n", std::nullopt, TextRefusal::BlankLine},
      {QByteArray("a\0b", 3), std::nullopt, TextRefusal::NotText},
      {"\xFF\xFE\x01", std::nullopt, TextRefusal::NotText},
      {"red \x1B[31mtext", std::nullopt, TextRefusal::NotText},
  };
  for (const FirstLineCase& c : cases) {
    TextRefusal why = TextRefusal::Empty;
    const auto text = StampTextFrom(c.bytes, &why);
    EXPECT_EQ(text, c.text) << c.bytes.left(40).toStdString();
    if (!c.text) {
      EXPECT_EQ(why, c.why) << c.bytes.left(40).toStdString();
    }
  }
}

class CommandTextTest : public ::testing::Test {
 protected:
  QString Path(const char* name) const { return dir.filePath(QString::fromUtf8(name)); }
  void Write(const char* name, const QByteArray& bytes) {
    QFile f(Path(name));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
  }
  // Runs `command` once through the source's own timer and waits for it.
  std::unique_ptr<CommandText> RunOnce(const QString& command, int timeoutMs = 5000) {
    auto s =
        std::make_unique<CommandText>(QStringLiteral("+38\u00B0"), command, 3600 * 1000, timeoutMs);
    s->Start();
    EXPECT_TRUE(QTest::qWaitFor([&] { return s->HasRead(); }, kWaitMs)) << command.toStdString();
    return s;
  }
  QTemporaryDir dir;
};

TEST_F(CommandTextTest, ShowsTheFirstLineAndFollowsItAtTheInterval) {
  Write("value", "+5\xC2\xB0\nnot this\n");
  CommandText source(QStringLiteral("+38\u00B0"), QStringLiteral("cat '%1'").arg(Path("value")), 30,
                     5000);
  int changes = 0;
  QObject::connect(&source, &TextSource::changed, &source, [&] { ++changes; });
  source.Start();
  ASSERT_TRUE(QTest::qWaitFor([&] { return source.Text() == u"+5\u00B0"; }, kWaitMs));
  EXPECT_TRUE(source.Problem().isEmpty());

  // A run that fails keeps the text on show and says why; the next good run
  // clears the complaint.
  QFile::remove(Path("value"));
  ASSERT_TRUE(QTest::qWaitFor([&] { return !source.Problem().isEmpty(); }, kWaitMs));
  EXPECT_EQ(source.Text(), u"+5\u00B0");
  EXPECT_TRUE(source.Problem().log.contains(u"exit status 1: cat:"))
      << source.Problem().log.toStdString();
  EXPECT_TRUE(source.Problem().tooltip.contains(u"показан прежний текст"));

  Write("value", "-3\xC2\xB0");
  ASSERT_TRUE(QTest::qWaitFor([&] { return source.Text() == u"-3\u00B0"; }, kWaitMs));
  EXPECT_TRUE(source.Problem().isEmpty());
  // Runs that give the same text again are not news.
  const int seen = changes;
  const int runs = source.RunCount();
  ASSERT_TRUE(QTest::qWaitFor([&] { return source.RunCount() >= runs + 3; }, kWaitMs));
  EXPECT_EQ(changes, seen);
}

TEST_F(CommandTextTest, ACommandThatGivesNoTextKeepsTheLastAndSaysWhy) {
  struct Case {
    const char* command;
    const char* says;
  };
  const Case cases[] = {
      {"echo 'no such sensor' >&2; exit 3", "failed with exit status 3: no such sensor"},
      {"true", "printed no text"},
      {"printf '\\n\\nlate'", "printed no text"},
      {"printf 'a\\001\\002'", "not text"},
      {"kill -SEGV $$", "crashed"},
  };
  for (const Case& c : cases) {
    const auto s = RunOnce(QString::fromUtf8(c.command));
    EXPECT_EQ(s->Text(), u"+38\u00B0") << c.command;
    EXPECT_TRUE(s->Problem().log.contains(QString::fromUtf8(c.says)))
        << c.command << ": " << s->Problem().log.toStdString();
  }
}

TEST_F(CommandTextTest, EndlessOutputIsCutAndTheFirstLineStillTaken) {
  const auto s = RunOnce(QStringLiteral("yes | head -c 3000000"));
  EXPECT_EQ(s->Text(), u"y");
  EXPECT_TRUE(s->Problem().isEmpty()) << s->Problem().log.toStdString();
}

TEST_F(CommandTextTest, AHangingCommandIsEndedWithEverythingItStarted) {
  // The shell waits for a child that would sleep far longer than the test.
  const QString command = QStringLiteral("sleep 300 & echo $! > '%1'; wait").arg(Path("child.pid"));
  const auto s = RunOnce(command, 300);
  EXPECT_EQ(s->Text(), u"+38\u00B0");
  EXPECT_TRUE(s->Problem().log.contains(u"did not finish within 1 s"))
      << s->Problem().log.toStdString();
  QFile pidFile(Path("child.pid"));
  ASSERT_TRUE(pidFile.open(QIODevice::ReadOnly));
  const qint64 child = pidFile.readAll().trimmed().toLongLong();
  ASSERT_GT(child, 0);
  EXPECT_TRUE(QTest::qWaitFor([&] { return !platform::ProcessAlive(child); }, kWaitMs));
}

// The process ids a command wrote into a file, one a line, once it has
// written `count` of them.
QList<qint64> PidsIn(const QString& path, int count) {
  QList<qint64> pids;
  (void)QTest::qWaitFor(
      [&] {
        QFile f(path);
        pids.clear();
        if (f.open(QIODevice::ReadOnly))
          for (const QByteArray& l : f.readAll().split('\n'))
            if (l.trimmed().toLongLong() > 0) pids << l.trimmed().toLongLong();
        return pids.size() >= count;
      },
      kWaitMs);
  return pids;
}

TEST_F(CommandTextTest, NothingACommandStartedOutlivesItsRun) {
  struct Case {
    const char* name;
    const char* command;  // writes the ids of what it leaves running to $P
    int timeoutMs;
    const char* text;  // what the run shows
  };
  const Case cases[] = {
      {"background child", "sleep 300 & echo $! > \"$P\"; echo done", 5000, "done"},
      {"own session, parent gone", "(setsid sleep 300 & echo $! > \"$P\"); echo done", 5000,
       "done"},
      {"own session, past the timeout", "setsid sleep 300 & echo $! > \"$P\"; wait", 300,
       "+38\u00B0"},
      {"grandchild of a child in its own session",
       "setsid sh -c 'sleep 300 & echo $! > \"$P\"; wait' & wait", 300, "+38\u00B0"},
  };
  for (const Case& c : cases) {
    const QString pidFile = Path(c.name);
    qputenv("P", pidFile.toLocal8Bit());
    const auto s = RunOnce(QString::fromUtf8(c.command), c.timeoutMs);
    EXPECT_EQ(s->Text(), QString::fromUtf8(c.text)) << c.name;
    const QList<qint64> left = PidsIn(pidFile, 1);
    ASSERT_EQ(left.size(), 1) << c.name;
    EXPECT_TRUE(QTest::qWaitFor([&] { return !platform::ProcessAlive(left[0]); }, kWaitMs))
        << c.name;
    if (platform::ProcessAlive(left[0])) ::kill(static_cast<pid_t>(left[0]), SIGKILL);
  }
  qunsetenv("P");
}

TEST_F(CommandTextTest, ACommandPrintingOnPastItsFirstLineIsEndedAndThatLineTaken) {
  struct Case {
    const char* command;
    bool waited;  // read the way a drawing into a file reads
  };
  // Each would run far past the wait without being ended.
  const Case cases[] = {
      {"yes | head -c 3000000; exec sleep 300", false},
      {"yes | head -c 3000000; exec sleep 300", true},
      {"echo first; exec yes second >&2", false},
      {"echo first; exec yes second >&2", true},
  };
  for (const Case& c : cases) {
    CommandText s(QStringLiteral("+38\u00B0"), QString::fromUtf8(c.command), 3600 * 1000,
                  3 * kWaitMs);
    QElapsedTimer clock;
    clock.start();
    if (c.waited)
      s.ReadNow();
    else
      s.Start();
    EXPECT_TRUE(QTest::qWaitFor([&] { return s.HasRead(); }, kWaitMs)) << c.command;
    EXPECT_LT(clock.elapsed(), kWaitMs) << c.command;
    EXPECT_NE(s.Text(), u"+38\u00B0") << c.command;
    EXPECT_TRUE(s.Problem().isEmpty()) << c.command << ": " << s.Problem().log.toStdString();
  }
}

TEST_F(CommandTextTest, AReadForAFileIsWaitedFor) {
  CommandText s(QStringLiteral("+38\u00B0"), QStringLiteral("echo now"), 1000, 5000);
  s.ReadNow();
  EXPECT_EQ(s.Text(), u"now");
  CommandText hang(QStringLiteral("+38\u00B0"), QStringLiteral("sleep 300"), 1000, 200);
  hang.ReadNow();
  EXPECT_TRUE(hang.HasRead());
  EXPECT_EQ(hang.Text(), u"+38\u00B0");
  EXPECT_FALSE(hang.Problem().isEmpty());
}

TEST(FileText, FollowsTheFileThroughWritesReplacementsAndAbsence) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("temperature"));
  const auto write = [](const QString& p, const QByteArray& bytes) {
    QFile f(p);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
  };
  write(path, "+21\xC2\xB0\n");
  FileText source(QStringLiteral("+38\u00B0"), path, 20);
  source.Start();
  EXPECT_EQ(source.Text(), u"+21\u00B0");

  write(path, "+22\xC2\xB0\n");
  ASSERT_TRUE(QTest::qWaitFor([&] { return source.Text() == u"+22\u00B0"; }, kWaitMs));
  // Saved the way editors save: a new file renamed over the old one.
  write(path + QStringLiteral(".new"), "+23\xC2\xB0\n");
  ASSERT_TRUE(QFile::remove(path));
  ASSERT_TRUE(QFile::rename(path + QStringLiteral(".new"), path));
  ASSERT_TRUE(QTest::qWaitFor([&] { return source.Text() == u"+23\u00B0"; }, kWaitMs));

  ASSERT_TRUE(QFile::remove(path));
  ASSERT_TRUE(QTest::qWaitFor([&] { return !source.Problem().isEmpty(); }, kWaitMs));
  EXPECT_EQ(source.Text(), u"+23\u00B0");
  EXPECT_TRUE(source.Problem().log.contains(u"cannot read"));
  write(path, "\x01\x02");
  ASSERT_TRUE(QTest::qWaitFor([&] { return source.Problem().log.contains(u"does not hold text"); },
                              kWaitMs));
  write(path, "+24\xC2\xB0");
  ASSERT_TRUE(QTest::qWaitFor([&] { return source.Text() == u"+24\u00B0"; }, kWaitMs));
  EXPECT_TRUE(source.Problem().isEmpty());
}

// What a local user may put where the stamp's file is: each is refused
// without waiting on it, whether there at the start or moved over the file
// once it is watched, and the last text stays.
TEST(FileText, OnlyARegularFileOfATextsSizeIsRead) {
  struct Case {
    const char* name;
    std::function<bool(const QString&)> make;
  };
  const Case cases[] = {
      {"fifo", [](const QString& p) { return ::mkfifo(QFile::encodeName(p), 0600) == 0; }},
      {"device", [](const QString& p) { return QFile::link(QStringLiteral("/dev/zero"), p); }},
      {"huge",
       [](const QString& p) {
         QFile f(p);
         return f.open(QIODevice::WriteOnly) && f.write("+99\n") == 4 &&
                f.resize(kMaxTextFileBytes + 1);
       }},
  };
  for (const Case& c : cases) {
    for (const bool atStart : {true, false}) {
      QTemporaryDir dir;
      const QString path = dir.filePath(QStringLiteral("value"));
      const QString hostile = dir.filePath(QStringLiteral("hostile"));
      ASSERT_TRUE(c.make(hostile)) << c.name;
      if (atStart) {
        ASSERT_TRUE(QFile::rename(hostile, path));
      } else {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("+21\n");
      }
      FileText source(QStringLiteral("+38"), path, 20);
      source.Start();
      if (!atStart) {
        ASSERT_EQ(source.Text(), u"+21");
        ASSERT_TRUE(::rename(QFile::encodeName(hostile), QFile::encodeName(path)) == 0);
      }
      EXPECT_TRUE(QTest::qWaitFor([&] { return !source.Problem().isEmpty(); }, kWaitMs))
          << c.name << atStart;
      EXPECT_EQ(source.Text(), atStart ? u"+38" : u"+21") << c.name << atStart;
    }
  }
}

}  // namespace
}  // namespace qm::host
