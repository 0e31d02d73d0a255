#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <functional>

#include "link/LinkTestSupport.h"
#include "platform/link/LinkDirectory.h"
#include "platform/link/LinkLeftovers.h"
#include "platform/link/LinkSender.h"
#include "support/FileAge.h"

namespace qm::link {
namespace {

// Sets or clears an environment variable for one test and restores it.
class EnvGuard {
 public:
  explicit EnvGuard(const char* name) : name_(name), had_(qEnvironmentVariableIsSet(name)) {
    old_ = qgetenv(name);
  }
  ~EnvGuard() {
    if (had_)
      qputenv(name_, old_);
    else
      qunsetenv(name_);
  }
  void set(const QByteArray& value) { qputenv(name_, value); }
  void unset() { qunsetenv(name_); }

 private:
  const char* name_;
  bool had_;
  QByteArray old_;
};

struct DefaultCase {
  const char* name;
  const char* chosen;   // QUILLMARK_LINK_DIR, nullptr: unset
  const char* runtime;  // XDG_RUNTIME_DIR, nullptr: unset
  QString expected;     // "%uid" stands for the user id
};

class DefaultLinkDirectoryTest : public ::testing::TestWithParam<DefaultCase> {};

TEST_P(DefaultLinkDirectoryTest, Path) {
  const DefaultCase& c = GetParam();
  EnvGuard chosen(kLinkDirEnvironmentVariable);
  EnvGuard runtime("XDG_RUNTIME_DIR");
  c.chosen ? chosen.set(c.chosen) : chosen.unset();
  c.runtime ? runtime.set(c.runtime) : runtime.unset();
  QString expected = c.expected;
  expected.replace(QStringLiteral("%uid"), QString::number(::geteuid()));
  EXPECT_EQ(DefaultLinkDirectoryPath(), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, DefaultLinkDirectoryTest,
    ::testing::Values(
        DefaultCase{"runtime", nullptr, "/run/user/1000", "/run/user/1000/quillmark"},
        DefaultCase{"runtime_slash", nullptr, "/run/user/1000/", "/run/user/1000/quillmark"},
        DefaultCase{"unset", nullptr, nullptr, "/tmp/quillmark-%uid"},
        DefaultCase{"empty", nullptr, "", "/tmp/quillmark-%uid"},
        DefaultCase{"relative", nullptr, "run/user", "/tmp/quillmark-%uid"},
        DefaultCase{"chosen_wins", "/srv/links/", "/run/user/1000", "/srv/links"},
        DefaultCase{"chosen_relative_ignored", "links", "/run/user/7", "/run/user/7/quillmark"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(LinkDirectory, CreatesMissingFolderPrivate) {
  QTemporaryDir parent;
  const QString dir = parent.path() + QStringLiteral("/quillmark");
  const ::mode_t old = ::umask(0);  // a lax umask must not leak into the folder
  const LinkDirResult r = PrepareLinkDirectory(dir);
  ::umask(old);
  ASSERT_TRUE(r.ok()) << r.error.toStdString();
  struct stat st {};
  ASSERT_EQ(::stat(QFile::encodeName(dir).constData(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);
}

TEST(LinkDirectory, OverrideIsUsedAndCreated) {
  QTemporaryDir parent;
  const QString dir = parent.path() + QStringLiteral("/links");
  SetLinkDirectoryOverride(dir + u'/');
  const LinkDirResult r = LinkDirectory();
  SetLinkDirectoryOverride({});
  EXPECT_TRUE(r.ok()) << r.error.toStdString();
  EXPECT_EQ(r.path, dir);
}

// A folder others may enter is refused on every side: nobody listens there
// and nothing is sent there, even to an endpoint already listening.
TEST(LinkDirectory, OpenFolderRefusedEverywhere) {
  test::LinkDir dir;
  test::EndpointThread peer(dir.path(), 12);
  ASSERT_TRUE(peer.listening());
  ASSERT_EQ(::chmod(QFile::encodeName(dir.path()).constData(), 0755), 0);

  EXPECT_FALSE(PrepareLinkDirectory(dir.path()).ok());
  LinkEndpoint endpoint;
  endpoint.setDirectory(dir.path());
  EXPECT_FALSE(endpoint.listen(13));
  EXPECT_FALSE(endpoint.errorString().isEmpty());
  LinkSender sender(12, nullptr, dir.path());
  EXPECT_FALSE(sender.send(QStringLiteral("X=1")));
  EXPECT_TRUE(peer.messages().isEmpty());

  ::chmod(QFile::encodeName(dir.path()).constData(), 0700);
  EXPECT_TRUE(sender.send(QStringLiteral("X=2")));
  EXPECT_EQ(peer.messages(), QStringList{QStringLiteral("X=2")});
}

TEST(LinkDirectory, GroupAccessRefused) {
  test::LinkDir dir;
  ::chmod(QFile::encodeName(dir.path()).constData(), 0710);
  EXPECT_FALSE(PrepareLinkDirectory(dir.path()).ok());
}

TEST(LinkDirectory, SymlinkRefused) {
  test::LinkDir dir;
  const QString link = dir.path() + QStringLiteral("/alias");
  ASSERT_TRUE(QFile::link(dir.path(), link));
  EXPECT_FALSE(PrepareLinkDirectory(link).ok());
}

TEST(LinkDirectory, FileInsteadOfFolderRefused) {
  test::LinkDir dir;
  const QString file = dir.path() + QStringLiteral("/plain");
  QFile f(file);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.close();
  EXPECT_FALSE(PrepareLinkDirectory(file).ok());
}

TEST(LinkDirectory, ForeignOwnerRefused) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to hand a folder to another user";
  test::LinkDir dir;
  ASSERT_EQ(::chown(QFile::encodeName(dir.path()).constData(), 65534, 65534), 0);
  const LinkDirResult r = PrepareLinkDirectory(dir.path());
  EXPECT_FALSE(r.ok());
  ::chown(QFile::encodeName(dir.path()).constData(), 0, 0);
}

// Without a runtime folder, "/tmp/quillmark-<uid>" made first by somebody
// else does not keep the programs from meeting: each of them turns to a
// private folder of the user's own, the same one.
TEST(LinkDirectory, AFolderInTmpTakenFirstGivesWayToAPrivateOne) {
  EnvGuard chosen(kLinkDirEnvironmentVariable);
  EnvGuard runtime("XDG_RUNTIME_DIR");
  EnvGuard cacheHome("XDG_CACHE_HOME");
  chosen.unset();
  runtime.unset();
  QTemporaryDir cache;
  cacheHome.set(QFile::encodeName(cache.path()));
  const QByteArray tmp = QFile::encodeName(DefaultLinkDirectoryPath());
  struct stat st {};
  if (::lstat(tmp.constData(), &st) == 0) GTEST_SKIP() << tmp.constData() << " is in use";
  struct Planting {
    const char* name;
    std::function<bool()> plant;
  };
  QTemporaryDir elsewhere;
  const Planting plantings[] = {
      {"a file", [&] { return QFile(QString::fromLocal8Bit(tmp)).open(QIODevice::WriteOnly); }},
      {"a folder open to all",
       [&] { return ::mkdir(tmp.constData(), 0700) == 0 && ::chmod(tmp.constData(), 0777) == 0; }},
      {"a link to another folder",
       [&] { return ::symlink(QFile::encodeName(elsewhere.path()).constData(), tmp) == 0; }},
  };
  for (const Planting& p : plantings) {
    ASSERT_TRUE(p.plant()) << p.name;
    const LinkDirResult r = LinkDirectory();
    EXPECT_TRUE(r.ok()) << p.name << ": " << r.error.toStdString();
    EXPECT_TRUE(r.path.startsWith(cache.path() + u'/')) << p.name << ": " << r.path.toStdString();
    test::EndpointThread peer({}, 21);
    EXPECT_TRUE(peer.listening()) << p.name;
    LinkSender sender(21);
    EXPECT_TRUE(sender.send(QStringLiteral("X=1"))) << p.name;
    ::unlink(tmp.constData());
    ::rmdir(tmp.constData());
  }
}

// Every kill leaves the endpoint's socket file; start-up clears away the dead
// ones named after a handle, once stale.
TEST(LinkLeftovers, DeadEndpointsGoLiveOnesAndForeignFilesStay) {
  enum Kind { Dead, Live, Plain };
  const qm::test::Leftover cases[] = {
      {"1234", 120, Dead, true},
      {"1235", 5, Dead, false},  // perhaps between naming its socket and listening
      {"1236", 120, Live, false},
      {"0", 120, Dead, false},  // not named after a handle
      {"lock", 120, Dead, false},
      {"1237", 120, Plain, false},
  };
  test::LinkDir dir;
  std::vector<int> live;
  int expected = 0;
  for (const auto& c : cases) {
    const QString path = dir.path() + u'/' + QString::fromUtf8(c.name);
    if (c.kind == Plain) {
      QFile(path).open(QIODevice::WriteOnly);
    } else {
      const int fd = test::RawListen(path);
      ASSERT_GE(fd, 0) << c.name;
      if (c.kind == Live) live.push_back(fd);
      if (c.kind == Dead) ::close(fd);
    }
    qm::test::Age(path, c.age);
    expected += c.removed;
  }

  EXPECT_EQ(RemoveDeadEndpoints(dir.path()), expected);
  for (const auto& c : cases)
    EXPECT_EQ(!QFileInfo::exists(dir.path() + u'/' + QString::fromUtf8(c.name)), c.removed)
        << c.name;
  for (int fd : live) ::close(fd);
}

}  // namespace
}  // namespace qm::link
