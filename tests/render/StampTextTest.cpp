#include <gtest/gtest.h>

#include <QFile>
#include <QFontDatabase>
#include <QPainter>

#include "render/PictureBox.h"
#include "render/RenderTestSupport.h"
#include "render/StampFont.h"
#include "render/StampText.h"

namespace qm::render {
namespace {

using test::Fields;
using test::InkBounds;
using test::Line;

const QRgb kWhite = 0xFFFFFFFF;

QImage Draw(const QString& line, const QString& sample = {}, QSize size = {200, 100},
            bool* drawn = nullptr) {
  PictureBox box(size.width(), size.height(), Qt::white);
  const bool ok = test::DrawLine(box, line, sample);
  if (drawn) *drawn = ok;
  return box.image;
}

// Black, fill only: the plain glyph shapes.
QString Plain(std::initializer_list<std::pair<int, QString>> more = {}) {
  QStringList f = Fields({{4, "&H0"}});
  for (const auto& [i, v] : more) f[i] = v;
  return f.join('|');
}

TEST(StampTextTest, ALineRefusedByTheParserDrawsNothing) {
  for (const QString& line : {QString(), Fields().mid(0, 17).join('|'), Line({{10, "256"}}),
                              Line({{3, "big"}}), Line({{13, "yes"}})}) {
    bool drawn = true;
    const QImage img = Draw(line, {}, {200, 100}, &drawn);
    EXPECT_FALSE(drawn) << line.toStdString();
    EXPECT_TRUE(InkBounds(img, kWhite, 0).isNull()) << "something was drawn";
  }
}

// A size typed as "12.5" is 12 pixels in the thumbnail, as everywhere else.
TEST(StampTextTest, AFractionalSizeDrawsAtTheSizeTheEditorReads) {
  EXPECT_EQ(Draw(Plain({{3, "12.5"}})), Draw(Plain({{3, "12"}})));
  EXPECT_EQ(Draw(Plain({{3, "13.5"}})), Draw(Plain({{3, "14"}})));
}

TEST(StampTextTest, EmptySampleTextDrawsTheDefault) {
  EXPECT_EQ(Draw(Plain(), {}), Draw(Plain(), QStringLiteral("+38\u00B0")));
  EXPECT_NE(Draw(Plain(), {}), Draw(Plain(), QStringLiteral("+39\u00B0")));
}

TEST(StampTextTest, PenWidthFormulas) {
  EXPECT_NEAR(BorderPenWidth(0, true), 0.8832, 1e-5);
  EXPECT_NEAR(BorderPenWidth(0, false), 1.0, 1e-6);
  EXPECT_NEAR(BorderPenWidth(3, true), (1.1414 - 0.0356 * 3) * 3 + 0.8832, 1e-5);
  EXPECT_NEAR(BorderPenWidth(3, false), 2.0, 1e-6);
  EXPECT_NEAR(BorderPenWidth(15, true), (1.1414 - 0.0356 * 15) * 15 + 0.8832, 1e-4);
}

// An "H" sits on the baseline and its ink is symmetric, so its ink tells where
// the line box was put: centred horizontally, and the baseline at the top of
// the centred line box plus the Windows ascent. The font numbers come from the
// font files (units per em, usWinAscent, line spacing).
struct CentringCase {
  const char* family;
  double ascent;
  double lineSpacing;
};

class StampTextCentringTest : public ::testing::TestWithParam<CentringCase> {};

TEST_P(StampTextCentringTest, MeasuredBoxIsCentred) {
  const CentringCase& c = GetParam();
  const QSize box(240, 120);
  const double size = 40;
  const QImage img = Draw(Plain({{1, c.family}, {3, "40"}}), "H", box);
  const QRect ink = InkBounds(img, kWhite, 128);
  ASSERT_FALSE(ink.isNull());
  const double s = size / 2048.0;
  const double baseline = (box.height() - s * c.lineSpacing) / 2 + s * c.ascent;
  EXPECT_NEAR(ink.bottom() + 1, baseline, 1.0);
  EXPECT_NEAR((ink.left() + ink.right() + 1) / 2.0, box.width() / 2.0, 1.0);
}

INSTANTIATE_TEST_SUITE_P(Fonts, StampTextCentringTest,
                         ::testing::Values(CentringCase{"DejaVu Sans", 1901, 2384},
                                           // hhea spacing (with its line gap) is the larger here
                                           CentringCase{"Liberation Sans", 1854, 2355}));

// Integer offsets move the drawing by exactly that many pixels: X to the
// right, Y up; the shadow lands at (X + shadowX, Y + shadowY).
struct OffsetCase {
  const char* name;
  int x, y, sx, sy;
  bool shadowOnly;
};

class StampTextOffsetTest : public ::testing::TestWithParam<OffsetCase> {};

TEST_P(StampTextOffsetTest, MovesByExactlyTheOffset) {
  const OffsetCase& c = GetParam();
  const QImage reference = Draw(Plain());
  QString line = Plain({{5, QString::number(c.x)},
                        {6, QString::number(c.y)},
                        {8, QString::number(c.sx)},
                        {9, QString::number(c.sy)}});
  if (c.shadowOnly) {
    // The text itself not filled, its shadow black and opaque.
    QStringList f = line.split('|');
    f[13] = "0";
    f[14] = "1";
    f[7] = "&H0";
    f[10] = "255";
    line = f.join('|');
  }
  const int dx = c.x + (c.shadowOnly ? c.sx : 0);
  const int dy = -(c.y + (c.shadowOnly ? c.sy : 0));
  const QImage moved = Draw(line);
  EXPECT_LE(test::MaxChannelDifference(moved, test::Shifted(reference, dx, dy, kWhite)), 2);
  EXPECT_EQ(InkBounds(moved, kWhite), InkBounds(reference, kWhite).translated(dx, dy));
}

INSTANTIATE_TEST_SUITE_P(Offsets, StampTextOffsetTest,
                         ::testing::Values(OffsetCase{"Y_up", 0, 10, 0, 0, false},
                                           OffsetCase{"Y_down", 0, -10, 0, 0, false},
                                           OffsetCase{"X_right", 7, 0, 0, 0, false},
                                           OffsetCase{"X_left", -12, 5, 0, 0, false},
                                           OffsetCase{"shadow", 0, 0, 4, 3, true},
                                           OffsetCase{"shadow_and_text", -6, 8, -3, -5, true}),
                         [](const auto& info) { return std::string(info.param.name); });

// Shadow opacity: over white, a black shadow shows 255 - opacity where it
// covers a pixel fully.
class StampTextShadowAlphaTest : public ::testing::TestWithParam<int> {};

TEST_P(StampTextShadowAlphaTest, ShadowOpacity) {
  const int alpha = GetParam();
  const QImage solid = Draw(Plain({{3, "60"}, {13, "0"}, {14, "1"}, {10, "255"}}));
  const QImage img = Draw(Plain({{3, "60"}, {13, "0"}, {14, "1"}, {10, QString::number(alpha)}}));
  int covered = 0;
  for (int y = 0; y < solid.height(); ++y)
    for (int x = 0; x < solid.width(); ++x)
      if (solid.pixel(x, y) == 0xFF000000u) {
        ++covered;
        ASSERT_NEAR(qRed(img.pixel(x, y)), 255 - alpha, 1) << x << "," << y;
      }
  EXPECT_GT(covered, 50);
  if (alpha == 0) {
    EXPECT_TRUE(InkBounds(img, kWhite, 0).isNull());
  }
}

INSTANTIATE_TEST_SUITE_P(Opacities, StampTextShadowAlphaTest, ::testing::Values(0, 47, 128, 255));

// The centre of a large "+" is inside the glyph: filled when the text fill is
// on, background when only the border is drawn; the border colour shows at the
// glyph's edge when it is drawn over the text, the fill colour when under.
TEST(StampTextTest, FillAndBorderOrder) {
  const auto line = [](const char* fill, const char* under) {
    return Line({{3, "90"}, {13, fill}, {15, "1"}, {16, under}, {12, "9"}});
  };
  const QImage plus = Draw(Plain({{3, "90"}}), "+");
  const QRect ink = InkBounds(plus, kWhite, 128);
  ASSERT_FALSE(ink.isNull());
  const QPoint centre = ink.center();
  const QRgb red = 0xFFFF0000, blue = 0xFF0000FF;

  EXPECT_EQ(Draw(line("1", "0"), "+").pixel(centre), red);
  EXPECT_EQ(Draw(line("0", "0"), "+").pixel(centre), kWhite) << "outline only";

  // Around the left end of the horizontal bar. Border width 9: the pen is 4
  // pixels wide over the text and 8.27 under it (half of it hidden by the fill).
  const int end = ink.left();
  const int y = centre.y();
  EXPECT_EQ(Draw(line("1", "0"), "+").pixel(end, y), blue) << "border over the text";
  EXPECT_EQ(Draw(line("1", "1"), "+").pixel(end + 2, y), red) << "border under the text";
  EXPECT_EQ(Draw(line("1", "0"), "+").pixel(end - 1, y), blue);
  EXPECT_EQ(Draw(line("1", "1"), "+").pixel(end - 3, y), blue) << "the wider pen under the text";
  EXPECT_EQ(Draw(line("1", "0"), "+").pixel(end - 4, y), kWhite);
}

TEST(StampTextTest, HighBitsOfAColourDoNotChangeTheShadowOpacity) {
  const QImage plain = Draw(Plain({{13, "0"}, {14, "1"}, {10, "0"}, {7, "&H0"}}));
  const QImage high = Draw(Plain({{13, "0"}, {14, "1"}, {10, "0"}, {7, "&HFF000000"}}));
  EXPECT_TRUE(InkBounds(high, kWhite, 0).isNull());
  EXPECT_EQ(plain, high);
}

struct FontCase {
  const char* name;
  const char* family;
  bool drawn;
};

class StampTextFontTest : public ::testing::TestWithParam<FontCase> {};

TEST_P(StampTextFontTest, OnlyInstalledFamiliesDraw) {
  bool drawn = !GetParam().drawn;
  const QImage img = Draw(Plain({{1, GetParam().family}}), {}, {200, 100}, &drawn);
  EXPECT_EQ(drawn, GetParam().drawn);
  EXPECT_EQ(InkBounds(img, kWhite).isNull(), !GetParam().drawn);
}

INSTANTIATE_TEST_SUITE_P(Families, StampTextFontTest,
                         ::testing::Values(FontCase{"exact", "DejaVu Sans", true},
                                           FontCase{"other_case", "dejavu SANS", true},
                                           FontCase{"unknown", "No Such Family 42", false},
                                           FontCase{"prefix_only", "DejaVu", false},
                                           FontCase{"pseudo_family", "Sans Serif", false},
                                           FontCase{"empty", "", false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(StampFontTest, InstalledFamiliesAreCleanedUp) {
  QStringList families = InstalledFontFamilies();
  EXPECT_TRUE(families.contains("DejaVu Sans"));
  EXPECT_TRUE(families.contains("Liberation Sans"));
  EXPECT_FALSE(families.contains("Sans Serif", Qt::CaseInsensitive));
  for (const QString& f : families) EXPECT_FALSE(f.contains('[')) << f.toStdString();
  EXPECT_EQ(families.removeDuplicates(), 0);
}

// A stored name may carry the database's foundry suffix; only the last
// bracketed part at the very end is one.
TEST(StampFontTest, AFoundrySuffixIsLookedPast) {
  const struct {
    const char* name;
    bool found;
  } cases[] = {
      {"DejaVu Sans [Foundry]", true}, {"DejaVu Sans\t[a[b] \n", true},
      {"DejaVu Sans []", true},        {"DejaVu Sans [x] [y]", false},
      {"DejaVu Sans [x", false},       {"DejaVu Sans [x] y", false},
      {"DejaVu Sans ]", false},        {"[DejaVu Sans]", false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(FindInstalledFamily(QString::fromUtf8(c.name)).has_value(), c.found) << c.name;
}

TEST(StampFontTest, MeasuredPartDropsTrailingBlanks) {
  EXPECT_EQ(MeasuredPart("+38  "), "+38");
  EXPECT_EQ(MeasuredPart("  a b "), "  a b");
  EXPECT_EQ(MeasuredPart("   "), " ");
  EXPECT_EQ(MeasuredPart(""), "");
}

TEST(StampTextTest, TrailingBlanksDoNotMoveTheText) {
  EXPECT_EQ(InkBounds(Draw(Plain(), "H"), kWhite), InkBounds(Draw(Plain(), "H   "), kWhite));
}

// Sizes, texts and offsets no template should hold: nothing crashes and
// nothing lands outside the box, which sits inside a larger image here.
struct AbuseCase {
  const char* name;
  QString line;
  QString sample;
  bool drawn;
};

class StampTextAbuseTest : public ::testing::TestWithParam<AbuseCase> {};

TEST_P(StampTextAbuseTest, StaysInsideTheBox) {
  QImage canvas(300, 200, QImage::Format_ARGB32_Premultiplied);
  canvas.fill(Qt::white);
  const QRect box(0, 0, 110, 60);
  {
    QPainter painter(&canvas);
    EXPECT_EQ(test::DrawLine(painter, box.size(), GetParam().line, GetParam().sample),
              GetParam().drawn);
  }
  const QRect ink = InkBounds(canvas, kWhite, 0);
  if (!ink.isNull()) {
    EXPECT_TRUE(box.contains(ink)) << ink.x() << "," << ink.y();
  }
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, StampTextAbuseTest,
    ::testing::Values(
        AbuseCase{"size_0", Line({{3, "0"}}), {}, false},
        AbuseCase{"size_negative", Line({{3, "-12"}}), {}, false},
        AbuseCase{"size_999", Line({{3, "999"}, {14, "1"}, {15, "1"}}), {}, true},
        AbuseCase{"size_absurd", Line({{3, "1E30"}}), {}, false},
        AbuseCase{"size_rounds_to_0", Line({{3, "0.01"}}), {}, false},
        AbuseCase{"size_largest", Line({{3, "32767"}, {15, "1"}}), {}, false},
        AbuseCase{"long_text", Line({{14, "1"}, {15, "1"}}), QString(5000, 'W'), true},
        AbuseCase{"far_offsets", Line({{5, "1E30"}, {6, "-1E30"}, {14, "1"}}), {}, true},
        AbuseCase{"huge_border", Line({{12, "32767"}, {15, "1"}}), {}, true},
        AbuseCase{"huge_border_under", Line({{12, "32767"}, {15, "1"}, {16, "1"}}), {}, true},
        AbuseCase{"negative_border_under", Line({{12, "-32768"}, {15, "1"}, {16, "1"}}), {}, true},
        AbuseCase{"control_characters", Line(), QStringLiteral("\n\t\u0000x\u202E"), true},
        AbuseCase{"all_styles", Line({{2, "15"}, {3, "80"}, {15, "1"}}), {}, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(StampTextTest, SharpAtTwiceTheDevicePixelRatio) {
  PictureBox one(200, 100, Qt::white, 1.0);
  PictureBox two(200, 100, Qt::white, 2.0);
  ASSERT_TRUE(test::DrawLine(one, Plain(), {}));
  ASSERT_TRUE(test::DrawLine(two, Plain(), {}));
  ASSERT_EQ(two.image.size(), QSize(400, 200));
  const QRect a = InkBounds(one.image, kWhite, 128);
  const QRect b = InkBounds(two.image, kWhite, 128);
  EXPECT_NEAR(b.left(), 2 * a.left(), 2);
  EXPECT_NEAR(b.right(), 2 * a.right() + 1, 2);
  EXPECT_NEAR(b.top(), 2 * a.top(), 2);
}

}  // namespace
}  // namespace qm::render

namespace qm::render {
namespace {

int InkedPixels(const QImage& img) {
  int n = 0;
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x) n += qRed(img.pixel(x, y)) < 128;
  return n;
}

TEST(StampTextTest, FontStyleBitsReachTheGlyphs) {
  for (const char* family : {"DejaVu Sans", "Liberation Sans"}) {
    SCOPED_TRACE(family);
    const auto draw = [family](int style) {
      return Draw(Plain({{1, family}, {2, QString::number(style)}, {3, "40"}}), "HIH");
    };
    const QImage regular = draw(0);
    EXPECT_GT(InkedPixels(draw(kFontBold)), InkedPixels(regular) * 1.15);
    // Slanted: other pixels, about as much ink, the same height.
    const QImage italic = draw(kFontItalic);
    const QRect r = InkBounds(regular, kWhite, 128), i = InkBounds(italic, kWhite, 128);
    EXPECT_NE(italic, regular);
    EXPECT_NEAR(InkedPixels(italic), InkedPixels(regular), InkedPixels(regular) * 0.1);
    EXPECT_EQ(i.top(), r.top());
    EXPECT_GT(InkBounds(draw(kFontUnderline), kWhite, 128).bottom(), r.bottom() + 1);
  }
}

}  // namespace
}  // namespace qm::render

namespace qm::render {
namespace {

// A painter that scales or turns cannot take the pixel route; the vector
// route must give the same picture.
TEST(StampTextTest, TransformedPaintersDrawTheSameStamp) {
  const QString line = Line({{14, "1"}, {15, "1"}, {8, "2"}, {9, "-2"}, {10, "160"}});
  PictureBox box(110, 60, Qt::white, 2.0);
  ASSERT_TRUE(test::DrawLine(box, line, {}));

  QImage scaled(220, 120, QImage::Format_ARGB32_Premultiplied);
  scaled.fill(Qt::white);
  {
    QPainter painter(&scaled);
    painter.scale(2, 2);
    ASSERT_TRUE(test::DrawLine(painter, QSize(110, 60), line, {}));
  }
  QImage raster = box.image;
  raster.setDevicePixelRatio(1);
  int off = 0;
  for (int y = 0; y < 120; ++y)
    for (int x = 0; x < 220; ++x)
      off += test::MaxChannelDifference(raster.copy(x, y, 1, 1), scaled.copy(x, y, 1, 1)) > 48;
  EXPECT_LT(off, 220 * 120 / 100) << "pixels that differ clearly";

  // Whole-pixel moves keep the pixel route and land exactly.
  QImage moved(130, 70, QImage::Format_ARGB32_Premultiplied);
  moved.fill(Qt::white);
  {
    QPainter painter(&moved);
    painter.translate(7, 5);
    ASSERT_TRUE(test::DrawLine(painter, QSize(110, 60), line, {}));
  }
  PictureBox plain(110, 60, Qt::white);
  ASSERT_TRUE(test::DrawLine(plain, line, {}));
  // (The painter route blends the layers among themselves first: rounding
  // may differ by a level or two.)
  EXPECT_LE(test::MaxChannelDifference(moved.copy(7, 5, 110, 60), plain.image), 3);
  EXPECT_EQ(moved.pixel(3, 3), 0xFFFFFFFFu);

  QImage turned(200, 200, QImage::Format_ARGB32_Premultiplied);
  turned.fill(Qt::white);
  {
    QPainter painter(&turned);
    painter.translate(100, 20);
    painter.rotate(30);
    ASSERT_TRUE(test::DrawLine(painter, QSize(110, 60), line, {}));
  }
  EXPECT_FALSE(InkBounds(turned, kWhite).isNull());
}

}  // namespace
}  // namespace qm::render

namespace qm::render {
namespace {

// A family that has only a bold face: DejaVu Sans Bold under another name.
TEST(StampFontTest, FamilyWithoutRegularStyleDrawsNothing) {
  QFile file("/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf");
  if (!file.open(QIODevice::ReadOnly)) GTEST_SKIP() << "DejaVu Sans Bold is not installed";
  QByteArray font = file.readAll();
  const QString from = "DejaVu Sans", to = "QmBoldOnly1";  // same length: offsets stay
  font.replace(from.toLatin1(), to.toLatin1());
  QByteArray from16, to16;
  for (int i = 0; i < from.size(); ++i) {
    from16 += '\0';
    from16 += from[i].toLatin1();
    to16 += '\0';
    to16 += to[i].toLatin1();
  }
  font.replace(from16, to16);
  ASSERT_GE(QFontDatabase::addApplicationFontFromData(font), 0);
  ClearStampFontCache();
  ASSERT_TRUE(QFontDatabase::families().contains(to)) << "the renamed font did not load";

  EXPECT_FALSE(InstalledFontFamilies().contains(to));
  EXPECT_FALSE(FindInstalledFamily(to));
  bool drawn = true;
  const QImage img = Draw(Plain({{1, to}}), {}, {200, 100}, &drawn);
  EXPECT_FALSE(drawn);
  EXPECT_TRUE(InkBounds(img, kWhite).isNull());
  EXPECT_TRUE(FindInstalledFamily("DejaVu Sans"));
}

}  // namespace
}  // namespace qm::render

namespace qm::render {
namespace {

// A shadow a fraction of a pixel away gets its own coverage. Area coverage
// keeps the amount of ink and moves its centre by exactly the offset.
TEST(StampTextTest, FractionalShadowOffset) {
  const auto centre = [](const char* x, double* ink) {
    const QImage img = Draw(Plain({{13, "0"}, {14, "1"}, {8, x}, {10, "255"}}))
                           .convertToFormat(QImage::Format_ARGB32);
    double sum = 0, moment = 0;
    for (int y = 0; y < img.height(); ++y)
      for (int x = 0; x < img.width(); ++x) {
        const double v = 255 - qRed(img.pixel(x, y));
        sum += v;
        moment += v * (x + 0.5);
      }
    *ink = sum;
    return moment / sum;
  };
  double inkTwo = 0, inkHalf = 0;
  const double two = centre("2", &inkTwo);
  const double half = centre("2.5", &inkHalf);
  EXPECT_NEAR(half - two, 0.5, 0.05);
  EXPECT_NEAR(inkHalf, inkTwo, inkTwo * 0.01);
}

}  // namespace
}  // namespace qm::render

namespace qm::render {
namespace {

// A shadow (or text) moved beyond every pixel, by amounts past the range of
// an integer, leaves exactly what is drawn without it, whichever way the text
// is drawn and at any pixel ratio.
TEST(StampTextTest, OffsetsBeyondEverySurfaceDrawNothingThere) {
  const char* far[] = {"2147483648", "-2147483648", "4294967296", "1E30", "-3.4E38"};
  for (const char* offset : far) {
    for (const qreal dpr : {1.0, 2.0, 1.5}) {
      for (const int field : {8, 9}) {
        const QString with = Line({{14, "1"}, {15, "1"}, {10, "255"}, {field, offset}});
        const QString without = Line({{14, "0"}, {15, "1"}});
        PictureBox a(120, 60, Qt::white, dpr), b(120, 60, Qt::white, dpr);
        ASSERT_TRUE(test::DrawLine(a, with, {}));
        ASSERT_TRUE(test::DrawLine(b, without, {}));
        EXPECT_TRUE(a.image == b.image) << offset << " " << dpr << " " << field;

        const auto params = stamp::ParseLine(with);
        ASSERT_TRUE(params);
        QImage layer;
        QPoint origin;
        ASSERT_TRUE(StampTextLayer(QSize(120, 60), dpr, *params, {}, layer, origin));
        QImage laid(a.image.size(), QImage::Format_ARGB32_Premultiplied);
        laid.fill(Qt::white);
        layer.setDevicePixelRatio(1);
        QPainter(&laid).drawImage(origin, layer);
        EXPECT_LE(test::MaxChannelDifference(laid, b.image), 2) << offset << " " << dpr;
      }
    }
    // The text itself that far away leaves the box untouched.
    PictureBox gone(120, 60, Qt::white, 2.0);
    ASSERT_TRUE(test::DrawLine(gone, Line({{14, "1"}, {15, "1"}, {5, offset}, {6, offset}}), {}));
    EXPECT_TRUE(InkBounds(gone.image, kWhite, 0).isNull()) << offset;
  }
}

}  // namespace
}  // namespace qm::render

namespace qm::render {
namespace {

// A thumbnail's text stays inside the border, whichever way its shadow falls
// (a shadow a few whole pixels away shares the text's coverage).
TEST(StampTextTest, NoLayerCoversTheThumbnailsBorder) {
  const char* shadows[][2] = {{"-3", "3"}, {"3", "-3"}, {"-40", "40"}, {"0", "0"}};
  for (const qreal dpr : {1.0, 2.0}) {
    for (const auto& s : shadows) {
      PictureBox drawn(60, 30, Qt::white, dpr), plain(60, 30, Qt::white, dpr);
      drawn.border = plain.border = true;
      drawn.clear();
      plain.clear();
      // Large enough to fill the inner area to its edges.
      ASSERT_TRUE(test::DrawLine(
          drawn, Line({{3, "60"}, {14, "1"}, {15, "1"}, {16, "1"}, {8, s[0]}, {9, s[1]}}), "WW"));
      const int ring = DeviceLength(PictureBox::kBorderWidth, dpr);
      const QImage a = drawn.image, b = plain.image;
      int changed = 0;
      for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
          if (x < ring || y < ring || x >= a.width() - ring || y >= a.height() - ring)
            changed += a.pixel(x, y) != b.pixel(x, y);
      EXPECT_EQ(changed, 0) << "shadow " << s[0] << "," << s[1] << " at " << dpr;
    }
  }
}

}  // namespace
}  // namespace qm::render

namespace qm::render {
namespace {

// The measure the stamp takes before it grows is where the layer lands,
// whatever of text, outline and shadow is on and however far it reaches.
TEST(StampTextTest, TheExtentIsWhereTheLayerLands) {
  const std::initializer_list<std::pair<int, QString>> looks[] = {
      {{13, "1"}, {14, "0"}, {15, "0"}},
      {{13, "1"}, {14, "1"}, {15, "1"}, {8, "3"}, {9, "-3"}},
      {{13, "0"}, {14, "1"}, {15, "1"}, {8, "2.5"}, {9, "40"}},
      {{13, "1"}, {14, "1"}, {15, "0"}, {8, "900"}, {9, "-700"}},
      {{13, "1"}, {3, "120"}, {5, "250"}, {6, "-90"}},
      {{13, "0"}, {14, "0"}, {15, "0"}},
  };
  for (const auto& look : looks) {
    const auto params = stamp::ParseLine(Line(look));
    ASSERT_TRUE(params);
    for (const qreal dpr : {1.0, 2.0, 1.25})
      for (const QSize size : {QSize(90, 40), QSize(4000, 3000)}) {
        SCOPED_TRACE(testing::Message() << Line(look).toStdString() << " at " << dpr);
        QImage layer;
        QPoint origin;
        QRect extent;
        ASSERT_TRUE(StampTextLayer(size, dpr, *params, {}, layer, origin));
        ASSERT_TRUE(StampTextExtent(size, dpr, *params, {}, extent));
        EXPECT_EQ(extent, layer.isNull() ? QRect() : QRect(origin, layer.size()));
        // The quick bound holds the extent: a text it puts inside a picture
        // is inside it.
        QRect bound;
        ASSERT_TRUE(StampTextBound(size, dpr, *params, {}, bound));
        EXPECT_TRUE(extent.isEmpty() || bound.contains(extent));
      }
  }
}

}  // namespace
}  // namespace qm::render
