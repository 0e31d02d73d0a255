#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include "render/RenderTestSupport.h"

namespace qm::render {
namespace {

// quillmark-render end to end, as a script would run it.
class ToolTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(QFileInfo::exists(tool_))
        << "build quillmark-render first: " << tool_.toStdString();
    ASSERT_TRUE(QDir(dir_.path()).mkpath("Tavrel/Cat"));
    root_ = dir_.filePath("Tavrel");
    test::MakePicture(40, 30).save(root_ + "/Cat/pic.png");
    test::MakeTexture().save(root_ + "/Chm1.png");
    out_ = dir_.filePath("out.png");
  }

  int run(const QStringList& extra, const QString& line = test::Line()) {
    QStringList args = {"--root", root_, "--line", line, "--out", out_};
    args += extra;
    QProcess p;
    p.start(tool_, args);
    EXPECT_TRUE(p.waitForFinished(60000));
    stderr_ = QString::fromLocal8Bit(p.readAllStandardError()).trimmed();
    messages_ = stderr_.isEmpty() ? QStringList() : stderr_.split('\n');
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
  }

  const QString tool_ = QStringLiteral(QM_BIN_DIR "/quillmark-render");
  QTemporaryDir dir_;
  QString root_, out_, stderr_;
  QStringList messages_;
};

// What the gallery shows: the picture in the inner area of a box with the
// sunken border, the text over it.
TEST_F(ToolTest, DrawsTheThumbnail) {
  ASSERT_EQ(run({"--text", "+12"}), 0) << stderr_.toStdString();
  const QImage img(out_);
  ASSERT_EQ(img.size(), QSize(44, 34));
  EXPECT_EQ(img.pixel(2, 2), test::MakePicture(40, 30).pixel(0, 0));
  EXPECT_EQ(img.pixel(0, 0), 0xFF808080u);
  EXPECT_EQ(img.pixel(43, 33), 0xFFFFFFFFu);
  EXPECT_TRUE(messages_.isEmpty());
  // The text is there: the same line without text, shadow and border draws
  // only the picture.
  ASSERT_EQ(run({"--text", "+12"}, test::Line({{13, "0"}, {14, "0"}, {15, "0"}})), 0);
  const QImage plain(out_);
  EXPECT_GT(test::MaxChannelDifference(img, plain), 100);
  EXPECT_EQ(plain.pixel(2, 2), img.pixel(2, 2));
}

// With the picture fully transparent and no text, the inner area shows the
// background or the texture tiled from its corner.
TEST_F(ToolTest, BackgroundTextureAndScale) {
  const QString bare = test::Line({{13, "0"}, {14, "0"}, {15, "0"}, {21, "100"}});
  ASSERT_EQ(run({"--background", "7"}, bare), 0) << stderr_.toStdString();
  EXPECT_EQ(QImage(out_).pixel(40, 30), 0xFF0000FFu);  // number 7 is blue

  ASSERT_EQ(run({"--texture", root_ + "/Chm1.png"}, bare), 0) << stderr_.toStdString();
  const QImage tile = test::MakeTexture();
  EXPECT_EQ(QImage(out_).pixel(40, 30), tile.pixel(38 % 16, 28 % 16));

  ASSERT_EQ(run({"--scale", "2"}), 0) << stderr_.toStdString();
  EXPECT_EQ(QImage(out_).size(), QSize(88, 68));
}

TEST_F(ToolTest, PictureNameIsMatchedWithoutRegardToCase) {
  EXPECT_EQ(run({}, test::Line({{0, "CAT\\Pic.PNG"}})), 0) << stderr_.toStdString();
}

TEST_F(ToolTest, UnknownFontDrawsThePictureAndExitsOne) {
  EXPECT_EQ(run({}, test::Line({{1, "No Such Family"}})), 1);
  ASSERT_EQ(messages_.size(), 1) << stderr_.toStdString();
  EXPECT_TRUE(messages_[0].contains("No Such Family"));
  EXPECT_EQ(QImage(out_).size(), QSize(44, 34));
}

struct Refusal {
  const char* name;
  QStringList extra;
  QString line;
};

class ToolRefusalTest : public ToolTest, public ::testing::WithParamInterface<Refusal> {};

TEST_P(ToolRefusalTest, ExitsTwoWithOneLine) {
  EXPECT_EQ(run(GetParam().extra, GetParam().line), 2);
  ASSERT_EQ(messages_.size(), 1) << stderr_.toStdString();
  EXPECT_TRUE(messages_[0].startsWith("quillmark-render: "));
  EXPECT_FALSE(QFileInfo::exists(out_));
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, ToolRefusalTest,
    ::testing::Values(Refusal{"missing_picture", {}, test::Line({{0, "Cat\\none.png"}})},
                      Refusal{"short_line", {}, test::Fields().mid(0, 16).join('|')},
                      Refusal{"bad_opacity", {}, test::Line({{10, "300"}})},
                      Refusal{"background_10", {"--background", "10"}, test::Line()},
                      Refusal{"background_and_texture",
                              {"--background", "2", "--texture", "x.png"},
                              test::Line()},
                      Refusal{"missing_texture", {"--texture", "/nonexistent/t.png"}, test::Line()},
                      Refusal{"bad_scale", {"--scale", "0"}, test::Line()},
                      Refusal{"unknown_option", {"--colour", "red"}, test::Line()}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace qm::render
