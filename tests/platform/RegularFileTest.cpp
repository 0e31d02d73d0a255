#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "platform/ProfileFile.h"
#include "platform/RegularFile.h"

using namespace qm::platform;

TEST(RegularFile, OnlyRegularFilesWithinTheLimitAreRead) {
  QTemporaryDir dir;
  const QString small = dir.filePath("small.ini");
  const QString big = dir.filePath("big.ini");
  const QString fifo = dir.filePath("fifo.ini");
  {
    QFile f(small);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("[General]\nA=1\n");
    QFile b(big);
    ASSERT_TRUE(b.open(QIODevice::WriteOnly));
    ASSERT_TRUE(b.resize(kMaxIniBytes + 1));  // sparse: costs no disk
  }
  ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);

  const std::pair<QString, bool> cases[] = {
      {small, true},       {big, false},
      {fifo, false},       {QStringLiteral("/dev/zero"), false},
      {dir.path(), false}, {dir.filePath("missing"), false}};
  for (const auto& [path, readable] : cases) {
    QString why;
    EXPECT_EQ(ReadRegularFile(path, kMaxIniBytes, &why).has_value(), readable)
        << path.toStdString();
    EXPECT_EQ(why.isEmpty(), readable) << path.toStdString();
  }
  EXPECT_EQ(*ReadRegularFile(small, 14), QByteArray("[General]\nA=1\n"));
  EXPECT_FALSE(ReadRegularFile(small, 13));

  // The INI reader and writer treat such a file as unreadable, and a write
  // never replaces it.
  EXPECT_EQ(ReadProfileString(fifo, u"General", u"A", QStringLiteral("def")),
            QStringLiteral("def"));
  EXPECT_FALSE(WriteProfileString(fifo, u"General", u"A", QStringLiteral("2")));
  EXPECT_FALSE(WriteProfileString(big, u"General", u"A", QStringLiteral("2")));
  struct stat st {};
  ASSERT_EQ(::stat(QFile::encodeName(fifo).constData(), &st), 0);
  EXPECT_TRUE(S_ISFIFO(st.st_mode));
  EXPECT_EQ(QFileInfo(big).size(), kMaxIniBytes + 1);
}
