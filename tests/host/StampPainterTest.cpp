// The stamp as the desktop shows it, drawn from real pictures and fonts.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "host/StampPainter.h"
#include "platform/Language.h"
#include "render/DrawingCap.h"
#include "render/RenderTestSupport.h"
#include "stamp/StampParams.h"

namespace qm::host {
namespace {

using render::test::Line;

stamp::StampParams Look(const render::test::FieldChanges& changes = {}) {
  return *stamp::ParseLine(Line(changes));
}

class StampPainterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("Tavrel/Cat")));
    ASSERT_TRUE(render::test::MakePicture(40, 30).save(Root() + QStringLiteral("Cat/pic.png")));
    QFile corrupt(Root() + QStringLiteral("Cat/corrupt.png"));
    ASSERT_TRUE(corrupt.open(QIODevice::WriteOnly));
    corrupt.write(QByteArray("\x89PNG\r\n\x1a\n", 8) + QByteArray(300, '\x7f'));
  }
  QString Root() const { return dir.path() + QStringLiteral("/Tavrel/"); }
  QTemporaryDir dir;
};

TEST_F(StampPainterTest, DrawsThePictureBoxOnATransparentGround) {
  StampPainter painter(Root());
  // A text that fits in the picture.
  const auto r = painter.Paint(Look({{3, "12"}}), QStringLiteral("+5"), 1.0);
  EXPECT_EQ(r.status(), render::kRenderDrawn);
  EXPECT_TRUE(r.problem.isEmpty());
  EXPECT_EQ(painter.LogicalSize(), QSize(44, 34));
  // The 2-pixel rim where a thumbnail has its border is the desktop's, not
  // a colour; the picture lies inside it.
  EXPECT_EQ(qAlpha(painter.Image().pixel(43, 33)), 0);
  EXPECT_EQ(qAlpha(painter.Image().pixel(0, 0)), 0);
  EXPECT_EQ(painter.Image().pixel(2, 2), render::test::MakePicture(40, 30)
                                             .convertToFormat(QImage::Format_ARGB32_Premultiplied)
                                             .pixel(0, 0));

  // Sharp on a screen of twice the density: twice the pixels, same size.
  StampPainter hidpi(Root());
  hidpi.Paint(Look({{3, "12"}}), QStringLiteral("+5"), 2.0);
  EXPECT_EQ(hidpi.LogicalSize(), QSize(44, 34));
  EXPECT_EQ(hidpi.Image().size(), QSize(88, 68));
}

TEST_F(StampPainterTest, ALookThatCannotBeDrawnLeavesTheLastWholeStampAndSaysWhy) {
  StampPainter painter(Root());
  painter.Paint(Look(), QString(), 1.0);
  const QImage whole = painter.Image();
  struct Case {
    render::test::FieldChanges change;
    int status;
    const char* says;
  };
  const Case cases[] = {
      {{{0, "Cat\\gone.png"}}, render::kRenderBadInput, "cannot read picture"},
      {{{0, "..\\..\\etc\\passwd"}}, render::kRenderBadInput, "cannot read picture"},
      {{{0, "Cat\\corrupt.png"}}, render::kRenderBadInput, "cannot read picture"},
      {{{1, "No Such Family"}}, render::kRenderTextNotDrawn, "is not installed"},
      {{{3, "0"}}, render::kRenderTextNotDrawn, "font size"},
  };
  for (const Case& c : cases) {
    const auto r = painter.Paint(Look(c.change), QString(), 1.0);
    EXPECT_EQ(r.status(), c.status) << c.says;
    EXPECT_TRUE(r.keptLast) << c.says;
    EXPECT_TRUE(r.problem.log.contains(QString::fromUtf8(c.says))) << r.problem.log.toStdString();
    EXPECT_FALSE(r.problem.tooltip.isEmpty());
    EXPECT_EQ(painter.Image(), whole) << c.says;
  }
  // A look that draws again is shown, and nothing is wrong any more.
  const auto r = painter.Paint(Look({{4, "&HFF"}}), QString(), 1.0);
  EXPECT_TRUE(r.problem.isEmpty());
  EXPECT_FALSE(r.keptLast);
  EXPECT_NE(painter.Image(), whole);
}

// The tooltip speaks the interface's language; stderr stays English.
TEST_F(StampPainterTest, TheTooltipSpeaksTheInterfaceLanguage) {
  const render::test::FieldChanges broken[] = {
      {{0, "Cat\\gone.png"}}, {{1, "No Such Family"}}, {{3, "0"}}};
  static const QRegularExpression cyrillic(QStringLiteral("[\\x{0400}-\\x{04FF}]"));
  const auto problems = [&] {
    StampPainter painter(Root());
    painter.Paint(Look(), QString(), 1.0);
    QList<Note> notes;
    for (const auto& change : broken) notes << painter.Paint(Look(change), QString(), 1.0).problem;
    return notes;
  };
  const QList<Note> russian = problems();
  const platform::ScopedTranslation english(platform::Language::English);
  ASSERT_TRUE(english.ok());
  const QList<Note> translated = problems();
  ASSERT_EQ(translated.size(), russian.size());
  for (qsizetype i = 0; i < translated.size(); ++i) {
    EXPECT_TRUE(russian[i].tooltip.contains(cyrillic)) << russian[i].tooltip.toStdString();
    EXPECT_FALSE(translated[i].tooltip.contains(cyrillic)) << translated[i].tooltip.toStdString();
    EXPECT_EQ(translated[i].log, russian[i].log);
  }
}

TEST_F(StampPainterTest, BeforeAnyWholeStampWhatCanBeDrawnIsShown) {
  // The picture is missing: its text alone.
  StampPainter noPicture(Root());
  auto r = noPicture.Paint(Look({{0, "Cat\\gone.png"}}), QString(), 1.0);
  EXPECT_TRUE(r.textOnly);
  EXPECT_FALSE(r.keptLast);
  EXPECT_FALSE(r.problem.isEmpty());
  EXPECT_FALSE(render::test::InkBounds(noPicture.Image(), 0).isNull());
  // The font is missing: the picture alone.
  StampPainter noFont(Root());
  r = noFont.Paint(Look({{1, "No Such Family"}}), QString(), 1.0);
  EXPECT_EQ(noFont.LogicalSize(), QSize(44, 34));
  EXPECT_EQ(r.status(), render::kRenderTextNotDrawn);
  // Neither: a small mark that can still be grabbed and right-clicked; so
  // does a look that draws nothing visible.
  StampPainter nothing(Root());
  r = nothing.Paint(Look({{0, "Cat\\gone.png"}, {1, "No Such Family"}}), QString(), 1.0);
  EXPECT_EQ(r.status(), render::kRenderBadInput);
  EXPECT_FALSE(nothing.Image().isNull());
  EXPECT_FALSE(nothing.LogicalSize().isEmpty());
  StampPainter invisible(Root());
  r = invisible.Paint(Look({{0, ""}, {13, "0"}}), QString(), 1.0);
  EXPECT_TRUE(r.problem.isEmpty());
  EXPECT_EQ(invisible.LogicalSize(), nothing.LogicalSize());
}

TEST_F(StampPainterTest, ALookWithoutAPictureIsItsTextInABoxThatFitsIt) {
  StampPainter painter(Root());
  const auto r = painter.Paint(Look({{0, ""}, {15, "1"}, {14, "1"}, {8, "3"}, {9, "-3"}}),
                               QStringLiteral("+38\u00B0"), 1.0);
  EXPECT_EQ(r.status(), render::kRenderDrawn);
  EXPECT_TRUE(r.textOnly);
  const QSize fit = painter.LogicalSize();
  // "+38°" at 30 pixels with border and shadow: a box of about that size.
  EXPECT_GT(fit.width(), 40);
  EXPECT_LT(fit.width(), 120);
  EXPECT_GT(fit.height(), 20);
  EXPECT_LT(fit.height(), 60);
  // The ink comes near every edge.
  const QRect ink = render::test::InkBounds(painter.Image(), 0);
  EXPECT_LE(ink.left(), 5);
  EXPECT_LE(ink.top(), 5);
  EXPECT_GE(ink.right(), fit.width() - 6);
  EXPECT_GE(ink.bottom(), fit.height() - 6);
  // Offsets have no picture to move the text in: the same stamp.
  const QImage still = painter.Image();
  painter.Paint(Look({{0, ""}, {15, "1"}, {14, "1"}, {8, "3"}, {9, "-3"}, {5, "50"}}),
                QStringLiteral("+38\u00B0"), 1.0);
  EXPECT_EQ(painter.Image(), still);
  // Twice the density, the same box, every edge pixel aligned.
  StampPainter hidpi(Root());
  hidpi.Paint(Look({{0, ""}, {15, "1"}, {14, "1"}, {8, "3"}, {9, "-3"}}),
              QStringLiteral("+38\u00B0"), 2.0);
  EXPECT_LE(std::abs(hidpi.LogicalSize().width() - fit.width()), 4);
  EXPECT_EQ(hidpi.Image().size(), hidpi.LogicalSize() * 2);
}

TEST_F(StampPainterTest, ATextWiderThanThePictureIsDrawnWholeAroundThePictureInTheMiddle) {
  const QImage picture =
      render::test::MakePicture(40, 30).convertToFormat(QImage::Format_ARGB32_Premultiplied);
  const QString text = QStringLiteral("18:07:15 18:07:15");
  for (const qreal dpr : {1.0, 2.0}) {
    SCOPED_TRACE(dpr);
    StampPainter painter(Root());
    // A small font: the text is wider than the picture, not taller.
    const auto r = painter.Paint(Look({{3, "12"}}), text, dpr);
    EXPECT_EQ(r.status(), render::kRenderDrawn);
    const QSize size = painter.LogicalSize();
    EXPECT_GT(size.width(), 44);
    EXPECT_EQ(size.height(), 34);
    EXPECT_EQ(painter.Image().size(), size * dpr);
    // All of the text: its ink reaches both sides, beyond the picture.
    const QImage shown = painter.Image();
    const QRect ink = render::test::InkBounds(shown, 0);
    const int left = (size.width() - 44) / 2 + 2;
    EXPECT_LT(ink.left(), left * dpr);
    EXPECT_GT(ink.right(), (left + 40) * dpr);
    EXPECT_LE(ink.left(), 4 * dpr);
    EXPECT_GE(ink.right(), shown.width() - 1 - 4 * dpr);
    // The picture in the middle, untouched at its corners; the margin is the
    // desktop's.
    EXPECT_EQ(shown.pixel(QPoint(left, 2) * dpr), picture.pixel(0, 0));
    EXPECT_EQ(shown.pixel(QPoint(left + 39, 31) * dpr + QPoint(dpr - 1, dpr - 1)),
              picture.pixel(39, 29));
    EXPECT_EQ(qAlpha(shown.pixel(0, 0)), 0);
  }
}

TEST_F(StampPainterTest, AFailureOnAnotherScreenDoesNotShowTheOldScreensPixels) {
  StampPainter painter(Root());
  painter.Paint(Look(), QString(), 1.0);
  const auto r = painter.Paint(Look({{1, "No Such Family"}}), QString(), 2.0);
  EXPECT_FALSE(r.keptLast);
  EXPECT_EQ(painter.Image().devicePixelRatio(), 2.0);
}

}  // namespace
}  // namespace qm::host

namespace qm::host {
namespace {

// A text far larger than any screen, at any density: the stamp is no larger
// than the screens allow (a margin aside), and what fits of it is drawn.
TEST_F(StampPainterTest, ATextLargerThanTheScreenIsDrawnClippedToIt) {
  const QSize cap = render::DrawingCap();
  struct Case {
    const char* size;
    qreal dpr;
    QString sample;
  };
  const Case cases[] = {
      {"20000", 1.0, {}},
      {"20000", 3.0, {}},
      {"900", 2.0, QString(200, u'W')},
  };
  for (const Case& c : cases) {
    StampPainter painter(Root());
    const auto r = painter.Paint(Look({{0, ""}, {3, c.size}, {15, "1"}, {14, "1"}, {8, "9"}}),
                                 c.sample, c.dpr);
    EXPECT_EQ(r.status(), render::kRenderDrawn) << c.size << " at " << c.dpr;
    const QSize device = painter.Image().size();
    const int margin = static_cast<int>(8 * c.dpr);
    EXPECT_LE(device.width(), cap.width() + margin) << c.size << " at " << c.dpr;
    EXPECT_LE(device.height(), cap.height() + margin) << c.size << " at " << c.dpr;
    EXPECT_FALSE(render::test::InkBounds(painter.Image(), 0).isNull());
  }
}

}  // namespace
}  // namespace qm::host
