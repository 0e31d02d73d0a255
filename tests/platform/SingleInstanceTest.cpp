#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDateTime>
#include <QFile>
#include <QProcess>
#include <QSysInfo>
#include <QTemporaryDir>
#include <memory>

#include "platform/SingleInstance.h"

using namespace qm::platform;

namespace {

TEST(SingleInstance, SecondFailsUntilFirstEnds) {
  QTemporaryDir dir;
  const QString lock = dir.filePath("QuillmarkOpt.lock");
  auto first = std::make_unique<SingleInstance>(lock);
  ASSERT_TRUE(first->tryAcquire());
  EXPECT_FALSE(SingleInstance(lock).tryAcquire());
  // An editor left open for a day still counts as running.
  QFile held(lock);
  ASSERT_TRUE(held.open(QIODevice::ReadWrite));
  ASSERT_TRUE(held.setFileTime(QDateTime::currentDateTime().addDays(-1),
                               QFileDevice::FileModificationTime));
  held.close();
  EXPECT_FALSE(SingleInstance(lock).tryAcquire());
  first.reset();
  EXPECT_TRUE(SingleInstance(lock).tryAcquire());
}

TEST(SingleInstance, LockOfACrashedInstanceIsTakenOver) {
  QTemporaryDir dir;
  const QString lock = dir.filePath("QuillmarkOpt.lock");
  // A process id that was alive a moment ago and is gone now.
  QProcess gone;
  gone.start("sleep", {"0.1"});
  ASSERT_TRUE(gone.waitForStarted());
  const qint64 deadPid = gone.processId();
  ASSERT_TRUE(gone.waitForFinished());
  QFile f(lock);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(QByteArray::number(deadPid) + "\nQuillmarkOpt\n" + QSysInfo::machineHostName().toUtf8() +
          "\n");
  f.close();
  EXPECT_TRUE(SingleInstance(lock).tryAcquire());
}

TEST(SingleInstance, UnusableLockDirectoryDoesNotStopTheEditor) {
  QTemporaryDir dir;
  EXPECT_TRUE(SingleInstance(dir.filePath("missing/QuillmarkOpt.lock")).tryAcquire());
}

TEST(SingleInstance, DefaultFolderIsPerUserAndLeftUntouched) {
  QTemporaryDir runtime;
  const QByteArray saved = qgetenv("XDG_RUNTIME_DIR");
  const auto folderWith = [](const QByteArray& value) {
    qputenv("XDG_RUNTIME_DIR", value);
    return SingleInstance::DefaultLockDirectory();
  };
  const QString inRuntime = folderWith(runtime.path().toUtf8());
  const QString relative = folderWith("relative/run");
  saved.isNull() ? qunsetenv("XDG_RUNTIME_DIR") : qputenv("XDG_RUNTIME_DIR", saved);
  EXPECT_EQ(inRuntime, runtime.path() + "/quillmark");
  EXPECT_FALSE(QFile::exists(inRuntime));
  EXPECT_EQ(relative, QStringLiteral("/tmp/quillmark-%1").arg(::geteuid()));
}

}  // namespace
