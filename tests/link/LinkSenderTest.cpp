// The sending side against real endpoints in other threads: the answer, the
// bound on the wait, nested replies and failures that must stay quiet.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFileInfo>
#include <QSemaphore>
#include <QTest>
#include <algorithm>
#include <chrono>
#include <memory>
#include <optional>
#include <thread>

#include "link/LinkTestSupport.h"
#include "platform/link/FrameParser.h"
#include "platform/link/LinkDirectory.h"
#include "platform/link/LinkSender.h"
#include "platform/link/LinkText.h"

namespace qm::link {
namespace {

using test::EndpointThread;

class LinkSenderTest : public ::testing::Test {
 protected:
  void SetUp() override { SetLinkDirectoryOverride(dir.path()); }
  void TearDown() override {
    SetLinkDirectoryOverride({});
    SetDefaultReplyTimeout(0);
  }
  test::LinkDir dir;
};

TEST_F(LinkSenderTest, DeliversAndReturnsAfterTheAnswer) {
  std::atomic<bool> handled{false};
  EndpointThread peer(dir.path(), 2, [&](LinkEndpoint&, const QString&) {
    QThread::msleep(50);  // a slow handler: send() must still wait for it
    handled = true;
  });
  ASSERT_TRUE(peer.listening());
  EXPECT_TRUE(SendLinkText(2, QStringLiteral("X=+38°")));
  EXPECT_TRUE(handled);
  EXPECT_EQ(peer.messages(), QStringList{QStringLiteral("X=+38°")});
}

TEST_F(LinkSenderTest, ManyMessagesOverOneConnectionInOrder) {
  EndpointThread peer(dir.path(), 3);
  ASSERT_TRUE(peer.listening());
  LinkSender sender(3);
  QStringList sent;
  for (int i = 0; i < 300; ++i) {
    sent.append(QStringLiteral("x=%1").arg(i));
    ASSERT_TRUE(sender.send(sent.last())) << i;
  }
  EXPECT_EQ(peer.messages(), sent);
}

TEST_F(LinkSenderTest, LongestTextPassesLongerIsRefused) {
  EndpointThread peer(dir.path(), 4);
  ASSERT_TRUE(peer.listening());
  LinkSender sender(4);
  EXPECT_TRUE(sender.send(QString(FrameParser::kMaxText, u'a')));
  EXPECT_FALSE(sender.send(QString(FrameParser::kMaxText + 1, u'b')));
  EXPECT_TRUE(sender.send(QStringLiteral("still fine")));
  const QStringList got = peer.messages();
  ASSERT_EQ(got.size(), 2);
  EXPECT_EQ(got[0].size(), FrameParser::kMaxText);
}

// The peer answers from inside its handler by sending back to us; we serve
// that while we wait. Our handler of the reply sends once more through the
// sender that is still waiting, which nests a level deeper on both sides.
TEST_F(LinkSenderTest, RepliesFromInsideHandlersDoNotDeadlock) {
  std::atomic<bool> peerSendsOk{true};
  EndpointThread peer(dir.path(), 2, [&](LinkEndpoint& own, const QString& text) {
    if (!SendLinkText(1, QStringLiteral("pong:") + text, &own)) peerSendsOk = false;
  });
  ASSERT_TRUE(peer.listening());

  LinkEndpoint mine;
  ASSERT_TRUE(mine.listen(1));
  LinkSender sender(2, &mine);
  sender.setReplyTimeout(3000);
  QStringList got;
  bool nestedOk = false;
  QObject::connect(&mine, &LinkEndpoint::messageReceived, &mine, [&](const QString& text) {
    got.append(text);
    if (text == QLatin1String("pong:ping")) nestedOk = sender.send(QStringLiteral("again"));
  });

  QElapsedTimer t;
  t.start();
  EXPECT_TRUE(sender.send(QStringLiteral("ping")));
  EXPECT_LT(t.elapsed(), 2500);  // not rescued by a timeout
  EXPECT_TRUE(nestedOk);
  EXPECT_TRUE(peerSendsOk);
  EXPECT_EQ(got, (QStringList{QStringLiteral("pong:ping"), QStringLiteral("pong:again")}));
  EXPECT_EQ(peer.messages(), (QStringList{QStringLiteral("ping"), QStringLiteral("again")}));
}

// The peer's reply makes us drop our endpoint and the very sender that is
// waiting (as a window closing on "W=0" would). The wait must end normally.
TEST_F(LinkSenderTest, HandlerMayDestroyEndpointAndSenderDuringTheWait) {
  EndpointThread peer(dir.path(), 2, [](LinkEndpoint& own, const QString&) {
    SendLinkText(1, QStringLiteral("W=0"), &own);
  });
  auto mine = std::make_unique<LinkEndpoint>();
  ASSERT_TRUE(mine->listen(1));
  auto sender = std::make_unique<LinkSender>(2, mine.get());
  sender->setReplyTimeout(3000);
  QObject::connect(mine.get(), &LinkEndpoint::messageReceived, mine.get(), [&] {
    sender.reset();
    mine.reset();
  });
  LinkSender* raw = sender.get();
  EXPECT_TRUE(raw->send(QStringLiteral("X=1")));
  EXPECT_FALSE(mine);
  EXPECT_FALSE(QFileInfo::exists(dir.socket(1)));
}

TEST_F(LinkSenderTest, SilentPeerEndsTheWaitAtTheBound) {
  const int listener = test::RawListen(dir.socket(5));  // accepts, never answers
  ASSERT_GE(listener, 0);
  LinkSender sender(5);
  sender.setReplyTimeout(300);
  QElapsedTimer t;
  t.start();
  EXPECT_FALSE(sender.send(QStringLiteral("X=1")));
  EXPECT_GE(t.elapsed(), 280);
  EXPECT_LT(t.elapsed(), 3000);

  SetDefaultReplyTimeout(300);
  t.restart();
  EXPECT_FALSE(SendLinkText(5, QStringLiteral("X=2")));
  EXPECT_LT(t.elapsed(), 3000);
  ::close(listener);
}

TEST_F(LinkSenderTest, MissingOrDeadEndpointFailsAtOnce) {
  auto peer = std::make_unique<EndpointThread>(dir.path(), 6);
  ASSERT_TRUE(peer->listening());
  LinkSender sender(6);
  EXPECT_TRUE(sender.send(QStringLiteral("first")));
  peer.reset();
  EXPECT_FALSE(QFileInfo::exists(dir.socket(6)));

  const int stale = test::RawListen(dir.socket(9));  // left behind by a "crash"
  ::close(stale);

  QElapsedTimer t;
  t.start();
  EXPECT_FALSE(sender.send(QStringLiteral("second")));
  EXPECT_FALSE(SendLinkText(6, QStringLiteral("x")));
  EXPECT_FALSE(SendLinkText(9, QStringLiteral("x")));
  EXPECT_FALSE(SendLinkText(0, QStringLiteral("x")));
  EXPECT_FALSE(SendLinkText(-3, QStringLiteral("x")));
  EXPECT_LT(t.elapsed(), 1000);  // the default bound is 5 s: nobody waited for it
}

TEST_F(LinkSenderTest, PeerClosingWithoutAnswerFailsQuietly) {
  const int listener = test::RawListen(dir.socket(10));
  std::thread rude([&] {
    for (int i = 0; i < 2; ++i) {
      const int c = ::accept(listener, nullptr, nullptr);
      if (i == 0) {  // reads the message, then hangs up
        char buf[64];
        (void)::recv(c, buf, sizeof buf, 0);
      }
      ::close(c);  // the second one hangs up before reading anything
    }
  });
  LinkSender sender(10);
  EXPECT_FALSE(sender.send(QStringLiteral("X=1")));
  // Large enough that the write itself meets the closed socket (no SIGPIPE).
  EXPECT_FALSE(sender.send(QString(60000, u'y')));
  rude.join();
  ::close(listener);
}

TEST_F(LinkSenderTest, KeptConnectionSurvivesPeerRestart) {
  auto peer = std::make_unique<EndpointThread>(dir.path(), 11);
  LinkSender sender(11);
  ASSERT_TRUE(sender.send(QStringLiteral("one")));
  peer.reset();
  peer = std::make_unique<EndpointThread>(dir.path(), 11);
  ASSERT_TRUE(peer->listening());
  EXPECT_TRUE(sender.send(QStringLiteral("two")));
  EXPECT_EQ(peer->messages(), QStringList{QStringLiteral("two")});
}

// A peer that hangs up after each answer while it keeps listening: the kept
// connection is found closed when the next frame goes out, before any byte
// of it went anywhere, and the frame is delivered on a new one. Every frame
// arrives whole, once.
TEST_F(LinkSenderTest, AConnectionThePeerClosedAfterAnsweringIsReplacedForTheNextFrame) {
  const int listener = test::RawListen(dir.socket(12));
  ASSERT_GE(listener, 0);
  QStringList received;
  QSemaphore hungUp;
  std::thread peer([&] {
    for (;;) {
      const int c = ::accept(listener, nullptr, nullptr);
      if (c < 0) return;  // the test is over
      QByteArray frame;
      char ch = 0;
      while (::recv(c, &ch, 1, 0) == 1 && ch != 0) frame += ch;
      received << DecodeLinkText(frame);
      const char ack = 0x06;
      (void)::send(c, &ack, 1, MSG_NOSIGNAL);
      ::close(c);
      hungUp.release();
    }
  });
  LinkSender sender(12);
  for (const char* text : {"X=1", "X=2", "X=3"}) {
    const bool sent = sender.send(QString::fromUtf8(text));
    EXPECT_TRUE(sent) << text;
    if (!sent) break;
    hungUp.acquire();  // the next frame meets a connection closed for sure
  }
  ::shutdown(listener, SHUT_RDWR);  // ends the peer's accept
  peer.join();
  ::close(listener);
  EXPECT_EQ(received, (QStringList{"X=1", "X=2", "X=3"}));
}

// Many messages reach us while we wait for a peer that never answers, and the
// handler of each first one sends to that peer again. The waits nest only so
// deep; what arrives beyond that is handled after they unwind, every message
// once and in the order of its connection.
TEST_F(LinkSenderTest, NestedWaitsStayBoundedAndLaterMessagesWaitTheirTurn) {
  const int silent = test::RawListen(dir.socket(5), SOMAXCONN);
  ASSERT_GE(silent, 0);
  LinkEndpoint mine;
  ASSERT_TRUE(mine.listen(1));
  LinkSender toSilent(5, &mine);
  toSilent.setReplyTimeout(300);
  int depth = 0;
  int deepest = 0;
  QStringList got;
  QObject::connect(&mine, &LinkEndpoint::messageReceived, &mine, [&](const QString& text) {
    got.append(text);
    deepest = std::max(deepest, ++depth);
    if (text.endsWith(u":0")) (void)toSilent.send(QStringLiteral("re ") + text);
    --depth;
  });

  constexpr int kPeers = 12;
  std::vector<int> peers;
  const auto text = [](int peer, int k) { return QStringLiteral("c%1:%2").arg(peer).arg(k); };
  for (int i = 0; i < kPeers; ++i) {
    peers.push_back(test::RawConnect(dir.socket(1)));
    ASSERT_TRUE(
        test::WriteAll(peers.back(), text(i, 0).toUtf8() + '\0' + text(i, 1).toUtf8() + '\0'));
  }

  EXPECT_FALSE(toSilent.send(QStringLiteral("outer")));
  ASSERT_TRUE(QTest::qWaitFor([&] { return got.size() >= 2 * kPeers; }, 30000)) << got.size();
  EXPECT_LE(deepest, kMaxNestedWaits);
  EXPECT_EQ(got.size(), 2 * kPeers);
  for (int i = 0; i < kPeers; ++i) {
    EXPECT_GE(got.indexOf(text(i, 0)), 0) << i;
    EXPECT_LT(got.indexOf(text(i, 0)), got.indexOf(text(i, 1))) << i;
  }
  for (int fd : peers) ::close(fd);
  ::close(silent);
}

// A message handled during our wait keeps its handler busy past the end of
// that wait (a long repaint, say), then sends elsewhere. No time is left for
// it: the nested send fails at once instead of starting a wait of its own.
TEST_F(LinkSenderTest, ANestedWaitNeverOutlivesTheWaitItIsNestedIn) {
  using Clock = std::chrono::steady_clock;
  const int silent = test::RawListen(dir.socket(5));
  ASSERT_GE(silent, 0);
  EndpointThread other(dir.path(), 6);
  ASSERT_TRUE(other.listening());
  LinkEndpoint mine;
  ASSERT_TRUE(mine.listen(1));
  LinkSender toSilent(5, &mine);
  toSilent.setReplyTimeout(200);
  LinkSender toOther(6, &mine);
  toOther.setReplyTimeout(5000);
  Clock::time_point outerStart;
  std::optional<bool> nested;
  QObject::connect(&mine, &LinkEndpoint::messageReceived, &mine, [&] {
    while (Clock::now() < outerStart + std::chrono::milliseconds(200 + 30))
      std::this_thread::yield();
    nested = toOther.send(QStringLiteral("late"));
  });
  const int peer = test::RawConnect(dir.socket(1));
  ASSERT_TRUE(test::WriteAll(peer, QByteArray("go\0", 3)));

  outerStart = Clock::now();
  EXPECT_FALSE(toSilent.send(QStringLiteral("outer")));
  ASSERT_TRUE(nested.has_value());
  EXPECT_FALSE(*nested);
  EXPECT_TRUE(other.messages().isEmpty());
  ::close(peer);
  ::close(silent);
}

// A peer that hangs in its handler misses the bound; it is not given up: the
// messages that follow go after the first on the same connection, and an
// answer means that every one of them, in order, has been handled.
TEST_F(LinkSenderTest, AfterATimeoutLaterMessagesFollowInOrderAndLateAnswersCount) {
  QSemaphore letGo;
  EndpointThread peer(dir.path(), 12, [&](LinkEndpoint&, const QString& text) {
    if (text == u"1") letGo.acquire();
  });
  ASSERT_TRUE(peer.listening());
  LinkSender sender(12);
  sender.setReplyTimeout(100);
  EXPECT_FALSE(sender.send(QStringLiteral("1")));
  EXPECT_FALSE(sender.send(QStringLiteral("2")));
  letGo.release();
  sender.setReplyTimeout(5000);
  EXPECT_TRUE(sender.send(QStringLiteral("3")));
  EXPECT_EQ(peer.messages(), QStringList({"1", "2", "3"}));
}

}  // namespace
}  // namespace qm::link
