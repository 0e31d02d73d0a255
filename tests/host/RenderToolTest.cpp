// quillmark-host --render, as a script would run it: the stamp of the program
// folder's selection, drawn by the same code as the gallery's thumbnails.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QPainter>
#include <QProcess>
#include <QTemporaryDir>

#include "render/RenderTestSupport.h"
#include "support/SmallDisk.h"

namespace qm::host {
namespace {

using render::test::Line;

class RenderToolTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("Tavrel/Cat")));
    ASSERT_TRUE(render::test::MakePicture(40, 30).save(dir.filePath("Tavrel/Cat/pic.png")));
    // The host reads Quillmark.ini and Tavrel/ beside its own executable.
    ASSERT_TRUE(QFile::copy(QStringLiteral(QM_BIN_DIR "/quillmark-host"), Host()));
    out = dir.filePath(QStringLiteral("out.png"));
  }
  QString Host() const { return dir.filePath(QStringLiteral("quillmark-host")); }
  void WriteSelection(const QString& line) {
    QFile f(dir.filePath(QStringLiteral("Quillmark.ini")));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("[General]\r\nSelected=" + line.toUtf8() + "\r\n");
  }
  int Run(const QString& program, const QStringList& args) {
    QProcess p;
    p.start(program, args);
    EXPECT_TRUE(p.waitForFinished(60000));
    err = QString::fromLocal8Bit(p.readAllStandardError()).trimmed();
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
  }

  QTemporaryDir dir;
  QString out, err;
};

TEST_F(RenderToolTest, DrawsWhatTheGalleryDrawsOnATransparentGround) {
  // A text that fits in the picture: the stamp is the thumbnail.
  const QString line = Line({{3, "12"}, {14, "1"}, {15, "1"}, {7, "&H2040"}, {10, "128"}});
  WriteSelection(line);
  ASSERT_EQ(Run(Host(), {"--render", out, "--text", "+7"}), 0) << err.toStdString();
  const QImage stamp(out);
  ASSERT_EQ(stamp.size(), QSize(44, 34));
  EXPECT_EQ(qAlpha(stamp.pixel(43, 33)), 0);

  // quillmark-render draws the same thumbnail over white; so does the stamp
  // laid over white.
  const QString thumb = dir.filePath(QStringLiteral("thumb.png"));
  ASSERT_EQ(Run(QStringLiteral(QM_BIN_DIR "/quillmark-render"),
                {"--root", dir.filePath("Tavrel"), "--line", line, "--out", thumb, "--text", "+7"}),
            0)
      << err.toStdString();
  QImage overWhite(stamp.size(), QImage::Format_ARGB32);
  overWhite.fill(Qt::white);
  QPainter(&overWhite).drawImage(0, 0, stamp);
  // Inside the thumbnail's border the two are the same.
  const QRect inner(2, 2, 40, 30);
  EXPECT_LE(render::test::MaxChannelDifference(overWhite.copy(inner), QImage(thumb).copy(inner)),
            2);
}

TEST_F(RenderToolTest, ExitStatusSaysHowMuchWasDrawn) {
  struct Case {
    QString selection;
    QStringList args;
    int status;
    const char* says;
  };
  const Case cases[] = {
      {Line({{1, "No Such Family"}}), {}, 1, "No Such Family"},
      {Line({{0, "Cat\\gone.png"}}), {}, 2, "cannot read picture"},
      // No usable selection: the default look, text alone.
      {QStringLiteral("broken|line"), {}, 0, "not a valid line"},
      {Line(), {"--line", "a|b"}, 2, "malformed line"},
      {Line(), {"--command", "exit 4"}, 1, "exit status 4"},
      {Line(), {"--scale", "2"}, 0, ""},
      {Line(), {"--text"}, 2, "Missing value"},
  };
  for (const Case& c : cases) {
    WriteSelection(c.selection);
    QFile::remove(out);
    const int status = Run(Host(), QStringList{"--render", out} + c.args);
    EXPECT_EQ(status, c.status) << c.says << ": " << err.toStdString();
    EXPECT_TRUE(err.contains(QString::fromUtf8(c.says))) << err.toStdString();
    EXPECT_EQ(QFile::exists(out), status < 2) << c.says;
  }
}

// A disk that is full: the tools say so and leave no picture, or half of
// one, under the name asked for; a picture already there stays whole.
TEST_F(RenderToolTest, AFullDiskIsAFailureAndLeavesNoHalfPicture) {
  test::SmallDisk disk;
  QM_SKIP_WITHOUT(disk);
  const QString line = Line({{14, "1"}});
  WriteSelection(line);
  const QString fresh = disk.Path() + QStringLiteral("/fresh.png");
  const QString kept = disk.Path() + QStringLiteral("/kept.png");
  ASSERT_EQ(Run(Host(), {"--render", kept, "--text", "+7"}), 0) << err.toStdString();
  const QImage before(kept);
  ASSERT_FALSE(before.isNull());
  disk.Fill();
  const QString render = QStringLiteral(QM_BIN_DIR "/quillmark-render");
  const QStringList root = {"--root", dir.filePath("Tavrel"), "--line", line, "--out"};
  for (const QString& target : {fresh, kept}) {
    EXPECT_NE(Run(Host(), {"--render", target, "--text", "+7"}), 0) << target.toStdString();
    EXPECT_NE(Run(render, root + QStringList{target, "--text", "+7"}), 0) << target.toStdString();
  }
  EXPECT_FALSE(QFile::exists(fresh));
  EXPECT_EQ(QImage(kept), before);
}

}  // namespace
}  // namespace qm::host
