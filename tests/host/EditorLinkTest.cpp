// The stamp's side of the link with a real editor process on real sockets:
// the stand-in editor without a window (it announces itself, reports its
// command line as "L=", echoes what it receives as "E=" from inside its
// handler, and closes on "W=0", saying so).

#include <gtest/gtest.h>
#include <signal.h>

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <atomic>
#include <thread>

#include "host/EditorLink.h"
#include "platform/ChildProcess.h"
#include "platform/link/LinkSender.h"

namespace qm::host {
namespace {

constexpr int kWaitMs = 10000;

class EditorLinkTest : public ::testing::Test {
 protected:
  void SetUp() override {
    link.SetLinkDirectory(dir.path());
    link.SetEditorProgram(QStringLiteral(QM_BIN_DIR "/quillmark-stub-editor"));
    ASSERT_TRUE(link.Listen()) << link.ErrorString().toStdString();
    QObject::connect(&link, &EditorLink::messageReceived, &link,
                     [this](const QString& m) { received << m; });
    QObject::connect(&link, &EditorLink::problem, &link,
                     [this](const Note& n) { problems << n.log; });
  }
  void TearDown() override {
    const qint32 editor = link.EditorHandle();
    link.CloseEditor();
    if (editor > 0) {
      EXPECT_TRUE(QTest::qWaitFor([&] { return !platform::ProcessAlive(editor); }, kWaitMs));
    }
  }
  bool WaitForAnnouncement() {
    return QTest::qWaitFor([&] { return link.EditorHandle() > 0; }, kWaitMs);
  }

  QTemporaryDir dir;
  EditorLink link;
  QStringList received;
  QStringList problems;
};

TEST_F(EditorLinkTest, StartsTheEditorOnceAndTalksToWhatItAnnounced) {
  EXPECT_EQ(link.OpenEditor(QStringLiteral("+12\u00B0")), EditorLink::Open::Started);
  EXPECT_EQ(link.OpenEditor(QStringLiteral("+12\u00B0")), EditorLink::Open::AlreadyStarting);
  ASSERT_TRUE(WaitForAnnouncement());
  const qint32 editor = link.EditorHandle();
  // The stand-in's handle is its process id.
  EXPECT_TRUE(platform::ProcessAlive(editor));
  ASSERT_TRUE(QTest::qWaitFor([&] { return !received.isEmpty(); }, kWaitMs));
  EXPECT_EQ(received.first(), QStringLiteral("L=%1|+12\u00B0").arg(link.Handle()));

  // Open again: the editor is asked to show itself, no second one starts.
  received.clear();
  EXPECT_EQ(link.OpenEditor(QStringLiteral("+12\u00B0")), EditorLink::Open::Shown);
  // What the editor sends back from inside its handler arrives before the
  // send returns.
  EXPECT_TRUE(link.Send(QStringLiteral("F=DejaVu Serif")));
  EXPECT_EQ(received, QStringList({"E=W=1", "E=F=DejaVu Serif"}));
  EXPECT_EQ(link.EditorHandle(), editor);

  link.CloseEditor();
  EXPECT_EQ(link.EditorHandle(), 0);
  EXPECT_TRUE(QTest::qWaitFor([&] { return !platform::ProcessAlive(editor); }, kWaitMs));
  EXPECT_TRUE(problems.isEmpty()) << problems.join(u'\n').toStdString();
}

TEST_F(EditorLinkTest, AnEditorThatVanishedIsReplacedByANewOne) {
  ASSERT_EQ(link.OpenEditor(QString()), EditorLink::Open::Started);
  ASSERT_TRUE(WaitForAnnouncement());
  const qint32 first = link.EditorHandle();
  ::kill(first, SIGKILL);
  ASSERT_TRUE(QTest::qWaitFor([&] { return !platform::ProcessAlive(first); }, kWaitMs));
  EXPECT_EQ(link.OpenEditor(QString()), EditorLink::Open::Started);
  ASSERT_TRUE(QTest::qWaitFor([&] { return link.EditorHandle() > 0; }, kWaitMs));
  EXPECT_NE(link.EditorHandle(), first);
}

TEST_F(EditorLinkTest, OnlyAnnouncementsNameTheEditorAndEveryOtherMessageIsPassedOn) {
  // A peer writing to our endpoint from a thread of its own, as the editor
  // would from its process, while our loop serves the endpoint.
  const auto sendAll = [&](const QStringList& messages) {
    std::atomic<int> sent{-1};
    std::thread peer([&, handle = link.Handle(), path = dir.path()] {
      link::LinkSender toUs(handle, nullptr, path);
      int ok = 0;
      for (const QString& m : messages) ok += toUs.send(m) ? 1 : 0;
      sent = ok;
    });
    const bool done = QTest::qWaitFor([&] { return sent >= 0; }, kWaitMs);
    peer.join();
    return done && sent == messages.size();
  };
  ASSERT_TRUE(sendAll({"W=777", "W=abc", "W=-3", "X=5", "w=2", "A=a|b"}));
  EXPECT_EQ(link.EditorHandle(), 777);
  EXPECT_EQ(received, QStringList({"X=5", "w=2", "A=a|b"}));
  ASSERT_TRUE(sendAll({"W=0"}));
  EXPECT_EQ(link.EditorHandle(), 0);
  EXPECT_FALSE(link.Send(QStringLiteral("F=x")));
}

TEST_F(EditorLinkTest, AStartThatGoesWrongIsTold) {
  link.SetEditorProgram(dir.path() + QStringLiteral("/QuillmarkOpt"));
  EXPECT_EQ(link.OpenEditor(QString()), EditorLink::Open::Failed);
  ASSERT_EQ(problems.size(), 1);
  EXPECT_TRUE(problems[0].startsWith(u"cannot start")) << problems[0].toStdString();

  // Ends at once without a word, as a second editor does while one runs.
  link.SetEditorProgram(QStringLiteral("/bin/true"));
  EXPECT_EQ(link.OpenEditor(QString()), EditorLink::Open::Started);
  ASSERT_TRUE(QTest::qWaitFor([&] { return problems.size() == 2; }, kWaitMs));
  EXPECT_TRUE(problems[1].contains(u"without announcing")) << problems[1].toStdString();
  EXPECT_FALSE(link.EditorStarting());
}

}  // namespace
}  // namespace qm::host
