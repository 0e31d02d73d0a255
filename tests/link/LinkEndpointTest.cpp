// The receiving side against a raw peer: what arrives, when the answer is
// written, and how a misbehaving sender is cut off.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QTest>
#include <vector>

#include "link/LinkTestSupport.h"
#include "platform/link/FrameParser.h"
#include "platform/link/LinkSender.h"

namespace qm::link {
namespace {

using test::ReadByte;

class LinkEndpointTest : public ::testing::Test {
 protected:
  void SetUp() override {
    endpoint.setDirectory(dir.path());
    QObject::connect(&endpoint, &LinkEndpoint::messageReceived, &endpoint,
                     [this](const QString& t) {
                       received.append(t);
                       // The answer must not be out before the handler ran.
                       if (client >= 0 && test::Readable(client)) answeredEarly = true;
                     });
    ASSERT_TRUE(endpoint.listen(41)) << endpoint.errorString().toStdString();
    client = test::RawConnect(dir.socket(41));
    ASSERT_GE(client, 0);
  }
  void TearDown() override {
    if (client >= 0) ::close(client);
  }
  // Serves the endpoint until `n` answers (0x06) came back or the peer saw
  // the connection close; returns the answers.
  int collectAnswers(int n) {
    int answers = 0;
    (void)QTest::qWaitFor(
        [&] {
          for (int b; (b = ReadByte(client)) != -2;) {
            if (b == -1) {
              closed = true;
              return true;
            }
            if (b == 0x06) ++answers;
          }
          return answers >= n;
        },
        3000);
    return answers;
  }

  test::LinkDir dir;
  LinkEndpoint endpoint;
  int client = -1;
  QStringList received;
  bool answeredEarly = false;
  bool closed = false;
};

TEST_F(LinkEndpointTest, AnswersEachMessageAfterHandlingIt) {
  ASSERT_TRUE(test::WriteAll(client, QByteArray("X=5\0", 4)));
  EXPECT_EQ(collectAnswers(1), 1);
  EXPECT_EQ(received, QStringList{QStringLiteral("X=5")});
  EXPECT_FALSE(answeredEarly);
}

TEST_F(LinkEndpointTest, FramesSplitAndJoinedAcrossWrites) {
  const QByteArray stream = QByteArray("W=2\0F=Arial\0\0+38", 16) + "\xc2\xb0" + QByteArray(1, 0);
  ASSERT_TRUE(test::WriteAll(client, stream.left(6)));
  EXPECT_EQ(collectAnswers(1), 1);
  ASSERT_TRUE(test::WriteAll(client, stream.mid(6)));
  EXPECT_EQ(collectAnswers(3), 3);
  EXPECT_EQ(received, (QStringList{QStringLiteral("W=2"), QStringLiteral("F=Arial"), QString(),
                                   QStringLiteral("+38°")}));
}

TEST_F(LinkEndpointTest, UndecodableBytesStillArrive) {
  ASSERT_TRUE(test::WriteAll(client, QByteArray("S=\xff\xfe\0", 5)));
  EXPECT_EQ(collectAnswers(1), 1);
  ASSERT_EQ(received.size(), 1);
  EXPECT_TRUE(received[0].startsWith(QStringLiteral("S=")));
}

TEST_F(LinkEndpointTest, OversizedMessageClosesConnectionAppliesNothing) {
  const QByteArray big(FrameParser::kMaxFrame, 'x');
  ASSERT_TRUE(test::WriteAll(client, QByteArray("ok\0", 3) + big));
  collectAnswers(2);
  EXPECT_TRUE(closed);
  EXPECT_EQ(received, QStringList{QStringLiteral("ok")});

  // The endpoint itself goes on serving others.
  const int other = test::RawConnect(dir.socket(41));
  ASSERT_TRUE(test::WriteAll(other, QByteArray("after\0", 6)));
  EXPECT_TRUE(QTest::qWaitFor([&] { return received.size() == 2; }, 3000));
  ::close(other);
}

TEST_F(LinkEndpointTest, UnfinishedMessageAtCloseIsDropped) {
  ASSERT_TRUE(test::WriteAll(client, QByteArray("whole\0half", 10)));
  EXPECT_EQ(collectAnswers(1), 1);
  ::close(client);
  client = -1;
  EXPECT_TRUE(QTest::qWaitFor([&] { return endpoint.connectionCount() == 0; }, 3000));
  EXPECT_EQ(received, QStringList{QStringLiteral("whole")});
}

TEST_F(LinkEndpointTest, SenderGoneBeforeAnswersStillHandled) {
  ASSERT_TRUE(test::WriteAll(client, QByteArray("a\0b\0", 4)));
  ::close(client);
  client = -1;
  EXPECT_TRUE(QTest::qWaitFor([&] { return received.size() == 2; }, 3000));
  EXPECT_TRUE(QTest::qWaitFor([&] { return endpoint.connectionCount() == 0; }, 3000));
}

TEST_F(LinkEndpointTest, SocketFileLifetime) {
  const QString path = dir.socket(41);
  EXPECT_TRUE(QFileInfo::exists(path));
  // Another endpoint may not steal a name that is in use.
  LinkEndpoint second;
  second.setDirectory(dir.path());
  EXPECT_FALSE(second.listen(41));
  endpoint.close();
  EXPECT_FALSE(QFileInfo::exists(path));
  EXPECT_TRUE(second.listen(41));
}

TEST(LinkEndpoint, ReplacesStaleSocketFile) {
  test::LinkDir dir;
  const int dead = test::RawListen(dir.socket(7));
  ASSERT_GE(dead, 0);
  ::close(dead);  // the file stays, as after a crash
  LinkEndpoint endpoint;
  endpoint.setDirectory(dir.path());
  EXPECT_TRUE(endpoint.listen(7)) << endpoint.errorString().toStdString();
}

TEST(LinkEndpoint, RefusesBadHandleAndForeignFile) {
  test::LinkDir dir;
  LinkEndpoint endpoint;
  endpoint.setDirectory(dir.path());
  EXPECT_FALSE(endpoint.listen(0));
  EXPECT_FALSE(endpoint.listen(-5));
  QFile plain(dir.socket(8));
  ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
  plain.close();
  EXPECT_FALSE(endpoint.listen(8));
  EXPECT_TRUE(QFileInfo::exists(dir.socket(8)));  // not ours to delete
}

// A sender may write many messages before it reads any answer. Each one is
// handled and answered; the answers wait for the sender to read them, and the
// sender is not cut off for being slow.
TEST_F(LinkEndpointTest, ASenderThatReadsItsAnswersLateGetsEveryOne) {
  constexpr int kMessages = 10000;
  QByteArray frames;
  for (int i = 0; i < kMessages; ++i) frames += "x=" + QByteArray::number(i) + '\0';
  ASSERT_TRUE(test::WriteAll(client, frames));
  ASSERT_TRUE(QTest::qWaitFor([&] { return received.size() == kMessages; }, 20000))
      << received.size();
  EXPECT_EQ(collectAnswers(kMessages), kMessages);
  EXPECT_FALSE(closed);
  EXPECT_EQ(endpoint.connectionCount(), 1);
  EXPECT_EQ(received.last(), QStringLiteral("x=9999"));
}

// One that never reads them is given up once the link's bound has passed
// without it taking any.
TEST_F(LinkEndpointTest, ASenderThatNeverReadsItsAnswersIsGivenUpAfterTheBound) {
  SetDefaultReplyTimeout(100);
  const auto restore = qScopeGuard([] { SetDefaultReplyTimeout(0); });
  QByteArray frames;
  for (int i = 0; i < 10000; ++i) frames += "x=" + QByteArray::number(i) + '\0';
  ASSERT_TRUE(test::WriteAll(client, frames));
  ASSERT_TRUE(QTest::qWaitFor([&] { return !received.isEmpty(); }, 20000));
  EXPECT_TRUE(QTest::qWaitFor([&] { return endpoint.connectionCount() == 0; }, 20000));
}

// Uses up every descriptor the process may open, for a scope: the soft limit
// is lowered, and what is free below it is filled with copies.
class NoDescriptorsLeft {
 public:
  NoDescriptorsLeft() {
    fds_.push_back(::open("/dev/null", O_RDONLY | O_CLOEXEC));
    ::getrlimit(RLIMIT_NOFILE, &saved_);
    rlimit low = saved_;
    low.rlim_cur = std::min<rlim_t>(saved_.rlim_cur, 64);
    ::setrlimit(RLIMIT_NOFILE, &low);
    for (int fd; (fd = ::fcntl(fds_[0], F_DUPFD_CLOEXEC, 0)) >= 0;) fds_.push_back(fd);
    full_ = errno == EMFILE;
  }
  ~NoDescriptorsLeft() {
    for (int fd : fds_) ::close(fd);
    ::setrlimit(RLIMIT_NOFILE, &saved_);
  }
  bool full() const { return full_; }

 private:
  rlimit saved_{};
  std::vector<int> fds_;
  bool full_ = false;
};

// With every descriptor in use a waiting connection cannot be taken. Neither
// the event loop nor a sender's wait keeps trying in a tight loop; once
// descriptors are free again the connection is taken and served.
TEST_F(LinkEndpointTest, OutOfDescriptorsItBacksOffAndRecovers) {
#if defined(__SANITIZE_ADDRESS__)
  // The sanitizers check an object's type through a pipe: with no descriptor
  // left they take every object for a broken one.
  GTEST_SKIP() << "the sanitizers need descriptors of their own";
#endif
  // A silent peer whose connection is kept, so that a wait can be made while
  // descriptors are short.
  const int silent = test::RawListen(dir.socket(42));
  LinkSender sender(42, &endpoint, dir.path());
  sender.setReplyTimeout(100);
  ASSERT_FALSE(sender.send(QStringLiteral("first")));
  const int late = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);  // made while we can
  {
    NoDescriptorsLeft none;
    ASSERT_TRUE(none.full());
    sockaddr_un a = test::Address(dir.socket(41));
    ASSERT_EQ(::connect(late, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
    ASSERT_TRUE(test::WriteAll(late, QByteArray("late\0", 5)));

    for (int i = 0; i < 1000; ++i) QCoreApplication::processEvents();
    EXPECT_GE(endpoint.failedAccepts(), 1u);
    EXPECT_LT(endpoint.failedAccepts(), 10u);
    const quint64 before = endpoint.failedAccepts();
    sender.setReplyTimeout(300);
    EXPECT_FALSE(sender.send(QStringLiteral("second")));
    EXPECT_LT(endpoint.failedAccepts() - before, 10u);
  }
  EXPECT_TRUE(QTest::qWaitFor([&] { return received.contains(QStringLiteral("late")); }, 5000));
  EXPECT_TRUE(QTest::qWaitFor([&] { return test::ReadByte(late) == 0x06; }, 5000));
  ::close(late);
  ::close(silent);
}

}  // namespace
}  // namespace qm::link

namespace qm::link {
namespace {

qint64 ResidentBytes() {
  QFile statm(QStringLiteral("/proc/self/statm"));
  if (!statm.open(QIODevice::ReadOnly)) return 0;
  return statm.readAll().split(' ').value(1).toLongLong() * ::sysconf(_SC_PAGESIZE);
}

// Many peers that each send most of a longest message and leave: the memory
// their unfinished messages took is given back, not kept for good.
TEST_F(LinkEndpointTest, HalfMessagesOfPeersThatLeftDoNotKeepTheirMemory) {
#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define QM_LINK_TEST_ASAN
#endif
#endif
#if defined(__SANITIZE_ADDRESS__) || defined(QM_LINK_TEST_ASAN)
  // The sanitizer's allocator keeps freed memory in quarantine and hands
  // nothing back to the system, so the resident size says nothing here.
  GTEST_SKIP() << "resident memory is the sanitizer's to keep";
#endif
  constexpr int kPeers = 600;
  rlimit limit{};
  ::getrlimit(RLIMIT_NOFILE, &limit);
  if (limit.rlim_cur < 2 * kPeers + 100) {
    limit.rlim_cur = std::min<rlim_t>(limit.rlim_max, 2 * kPeers + 100);
    ::setrlimit(RLIMIT_NOFILE, &limit);
  }
  const QByteArray half(FrameParser::kMaxText - 500, 'x');
  const qint64 taken = qint64(kPeers) * half.size();
  for (int i = 0; i < 5; ++i) QCoreApplication::processEvents();
  const qint64 before = ResidentBytes();
  std::vector<int> peers;
  for (int i = 0; i < kPeers; ++i) {
    const int fd = test::RawConnect(dir.socket(41));
    if (fd < 0) break;
    peers.push_back(fd);
    ASSERT_TRUE(test::WriteAll(fd, half));
    QCoreApplication::processEvents();
  }
  ASSERT_EQ(static_cast<int>(peers.size()), kPeers) << "descriptors ran out";
  // Held while the peers stay.
  EXPECT_TRUE(QTest::qWaitFor([&] { return ResidentBytes() - before > taken * 3 / 4; }, 10000))
      << (ResidentBytes() - before);
  for (const int fd : peers) ::close(fd);
  ASSERT_TRUE(QTest::qWaitFor([&] { return endpoint.connectionCount() == 1; }, 10000));
  EXPECT_TRUE(QTest::qWaitFor([&] { return ResidentBytes() - before < taken / 4; }, 5000))
      << (ResidentBytes() - before) / 1024 << " KiB still held";
  EXPECT_TRUE(received.isEmpty());
}

}  // namespace
}  // namespace qm::link
