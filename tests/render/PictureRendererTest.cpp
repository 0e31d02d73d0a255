#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QBuffer>
#include <QColorSpace>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QTemporaryDir>

#include "render/Gdip.h"
#include "render/PictureBox.h"
#include "render/PictureRenderer.h"
#include "render/RenderTestSupport.h"

namespace qm::render {
namespace {

const PictureTone kNeutral{};
const QColor kBack(0x40, 0xCC, 0xFF);

QByteArray Png(const QImage& image) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, "PNG");
  return bytes;
}

quint32 Crc32(const QByteArray& data) {
  quint32 crc = 0xFFFFFFFFu;
  for (const char c : data) {
    crc ^= static_cast<quint8>(c);
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return ~crc;
}

// A valid PNG whose header claims another size (with a correct checksum), so
// that a decoder believes it.
QByteArray PngClaiming(int width, int height) {
  QByteArray png = Png(test::MakePicture(4, 4));
  const int ihdr = png.indexOf("IHDR");
  auto put32 = [&png](int at, quint32 v) {
    for (int i = 0; i < 4; ++i) png[at + i] = static_cast<char>((v >> (24 - 8 * i)) & 0xFF);
  };
  put32(ihdr + 4, static_cast<quint32>(width));
  put32(ihdr + 8, static_cast<quint32>(height));
  put32(ihdr + 4 + 13, Crc32(png.mid(ihdr, 4 + 13)));
  return png;
}

class PictureRendererTest : public ::testing::Test {
 protected:
  QString write(const QString& name, const QByteArray& bytes) {
    const QString path = dir_.filePath(name);
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
    return path;
  }
  QString picture(int w, int h, const QString& name = "pic.png") {
    return write(name, Png(test::MakePicture(w, h)));
  }
  QTemporaryDir dir_;
  PictureBox box_{10, 10, kBack};
};

TEST_F(PictureRendererTest, BoxIsThePicturePlusFourPixels) {
  ASSERT_TRUE(DrawTemplatePicture(picture(40, 30), box_, kNeutral, {}));
  EXPECT_EQ(box_.logicalSize(), QSize(44, 34));
  EXPECT_EQ(box_.image.size(), QSize(44, 34));
  EXPECT_EQ(box_.client(), QRect(2, 2, 40, 30));

  PictureBox hidpi(10, 10, kBack, 2.0);
  ASSERT_TRUE(DrawTemplatePicture(picture(40, 30), hidpi, kNeutral, {}));
  EXPECT_EQ(hidpi.logicalSize(), QSize(44, 34));
  EXPECT_EQ(hidpi.image.size(), QSize(88, 68));
  EXPECT_EQ(hidpi.client(), QRect(2, 2, 40, 30));
}

// The box's 2-pixel sunken border leaves an inner area of exactly the
// picture: no band of background beside or below it.
TEST_F(PictureRendererTest, PictureFillsTheInnerAreaWithinTheSunkenBorder) {
  const QImage source = test::MakePicture(40, 30);
  ASSERT_TRUE(DrawTemplatePicture(picture(40, 30), box_, kNeutral, {}));
  const QImage& box = box_.image;
  EXPECT_EQ(box.pixel(2, 2), source.pixel(0, 0));
  EXPECT_EQ(box.pixel(22, 31), source.pixel(20, 29));
  // The half-transparent third blends with the background, up to the border.
  const QRgb blended = box.pixel(41, 12);
  EXPECT_NEAR(qRed(blended), (255 + kBack.red()) / 2, 2);
  // The border: shadow then dark above and left, light then face below and
  // right, whatever the background.
  for (const int x : {0, 20, 42}) EXPECT_EQ(box.pixel(x, 0), 0xFF808080u) << x;
  for (const int y : {0, 17, 32}) EXPECT_EQ(box.pixel(0, y), 0xFF808080u) << y;
  EXPECT_EQ(box.pixel(1, 1), 0xFF404040u);
  EXPECT_EQ(box.pixel(20, 1), 0xFF404040u);
  EXPECT_EQ(box.pixel(43, 33), 0xFFFFFFFFu);
  EXPECT_EQ(box.pixel(20, 33), 0xFFFFFFFFu);
  EXPECT_EQ(box.pixel(42, 20), 0xFFD4D0C8u);
  EXPECT_EQ(box.pixel(20, 32), 0xFFD4D0C8u);
}

TEST_F(PictureRendererTest, OpacityZeroLeavesOnlyTheBackground) {
  PictureTone clear;
  clear.opacity = 0;
  ASSERT_TRUE(DrawTemplatePicture(picture(40, 30), box_, clear, {}));
  EXPECT_TRUE(test::InkBounds(box_.image.copy(box_.client()), kBack.rgba(), 0).isNull());
}

struct BadPicture {
  const char* name;
  QByteArray bytes;  // empty name: no file at all
};

class PictureRendererBadFileTest : public PictureRendererTest,
                                   public ::testing::WithParamInterface<BadPicture> {};

TEST_P(PictureRendererBadFileTest, NothingDrawnBoxUnchanged) {
  box_.image.setPixel(3, 3, 0xFF123456);
  const QImage before = box_.image;
  const QString path =
      GetParam().bytes.isNull() ? dir_.filePath("missing.png") : write("bad.png", GetParam().bytes);
  PictureCache cache;
  EXPECT_FALSE(DrawTemplatePicture(path, box_, kNeutral, {}));
  EXPECT_FALSE(DrawTemplatePicture(path, box_, kNeutral, {}, &cache));
  EXPECT_EQ(box_.logicalSize(), QSize(10, 10));
  EXPECT_EQ(box_.image, before);
}

INSTANTIATE_TEST_SUITE_P(
    Files, PictureRendererBadFileTest,
    ::testing::Values(BadPicture{"missing", QByteArray()}, BadPicture{"empty", QByteArray("")},
                      BadPicture{"text", QByteArray("this is not a picture\n")},
                      BadPicture{"huge_header", PngClaiming(20000, 20000)},
                      BadPicture{"wide_header", PngClaiming(100000, 2)},
                      BadPicture{"half_a_header", Png(test::MakePicture(40, 30)).left(20)}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(PictureRendererTest, TruncatedPictureNeverCrashes) {
  const QByteArray png = Png(test::MakePicture(200, 100));
  for (const int keep : {60, 200, int(png.size()) / 2, int(png.size()) - 5}) {
    PictureBox box(10, 10, kBack);
    const bool drawn =
        DrawTemplatePicture(write(QString("t%1.png").arg(keep), png.left(keep)), box, kNeutral, {});
    EXPECT_EQ(box.logicalSize(), drawn ? QSize(204, 104) : QSize(10, 10));
  }
}

class PictureRendererTextureTest : public PictureRendererTest {
 protected:
  TextureSource texture(bool loaded, bool enabled, const QByteArray& bytes) {
    TextureSource t;
    t.bytes = bytes;
    t.TextureLoaded = loaded;
    t.TextureEnabled = enabled;
    return t;
  }
  const QImage tile_ = test::MakeTexture();
  const QByteArray tileBytes_ = Png(tile_);
};

// The texture fills the inner area, tiled from its top-left corner, and shows
// where the picture is transparent; the border stays as it is.
TEST_F(PictureRendererTextureTest, TiledFromTheInnerCornerUnderThePicture) {
  PictureTone clear;
  clear.opacity = 0;
  ASSERT_TRUE(DrawTemplatePicture(picture(40, 30), box_, clear, texture(true, true, tileBytes_)));
  for (const QPoint p : {QPoint(0, 0), QPoint(39, 0), QPoint(5, 29), QPoint(17, 20)})
    EXPECT_EQ(box_.image.pixel(p + QPoint(2, 2)), tile_.pixel(p.x() % 16, p.y() % 16))
        << p.x() << "," << p.y();
  EXPECT_EQ(box_.image.pixel(0, 0), 0xFF808080u);
  EXPECT_EQ(box_.image.pixel(43, 33), 0xFFFFFFFFu);
}

TEST_F(PictureRendererTextureTest, TextureNeedsBothSwitchesAndGoodBytes) {
  const QString pic = picture(40, 30);
  PictureTone clear;
  clear.opacity = 0;
  for (const TextureSource& t :
       {texture(false, true, tileBytes_), texture(true, false, tileBytes_),
        texture(true, true, QByteArray("garbage")), texture(true, true, QByteArray())}) {
    PictureBox box(10, 10, kBack);
    ASSERT_TRUE(DrawTemplatePicture(pic, box, clear, t));
    EXPECT_EQ(box.image.pixel(40, 20), kBack.rgba());
  }
}

TEST_F(PictureRendererTest, CacheDecodesOnceAndNoticesAChangedFile) {
  PictureCache cache;
  const QString path = picture(40, 30);
  for (int i = 0; i < 3; ++i) {
    PictureBox box(10, 10, kBack);
    ASSERT_TRUE(DrawTemplatePicture(path, box, kNeutral, {}, &cache));
  }
  EXPECT_EQ(cache.decodeCount(), 1);

  // Another tone reuses the decoded picture.
  PictureTone grey;
  grey.saturation = 0;
  PictureBox box(10, 10, kBack);
  ASSERT_TRUE(DrawTemplatePicture(path, box, grey, {}, &cache));
  EXPECT_EQ(cache.decodeCount(), 1);
  EXPECT_EQ(qRed(box.image.pixel(3, 3)), qGreen(box.image.pixel(3, 3)));

  // The file is replaced by a picture of another size and colour.
  QImage other(20, 10, QImage::Format_ARGB32);
  other.fill(0xFF00FF00);
  const QDateTime before = QFileInfo(path).lastModified();
  write("pic.png", Png(other));
  {
    // A file system with coarse times could give the new file the old one's.
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    ASSERT_TRUE(f.setFileTime(before.addSecs(1), QFileDevice::FileModificationTime));
  }
  ASSERT_TRUE(DrawTemplatePicture(path, box, kNeutral, {}, &cache));
  EXPECT_EQ(cache.decodeCount(), 2);
  EXPECT_EQ(box.logicalSize(), QSize(24, 14));
  EXPECT_EQ(box.image.pixel(3, 3), 0xFF00FF00);

  // A file that disappears is not drawn from memory.
  QFile::remove(path);
  EXPECT_FALSE(DrawTemplatePicture(path, box, kNeutral, {}, &cache));
}

// The bounded reader reads the file whole and takes a PNG's size from its
// header: every kind of picture must come out as Qt's own reader gives it,
// whatever the file is called, and what is no regular file gives nothing.
TEST_F(PictureRendererTest, ReadsEveryKindOfPictureAsQtsReaderDoes) {
  const QImage ramp = test::MakePicture(37, 21);
  QImage palette = ramp.convertToFormat(QImage::Format_Indexed8);
  palette.setColor(0, qRgba(0, 0, 0, 0));
  QImage described = ramp;
  described.setText(QStringLiteral("Description"), QStringLiteral("clouds"));
  QImage fine = ramp.convertToFormat(QImage::Format_RGB32);
  fine.setDotsPerMeterX(11811);
  fine.setDotsPerMeterY(5905);
  QImage managed = ramp;
  managed.setColorSpace(QColorSpace::DisplayP3);
  QImage placed = ramp;
  placed.setOffset(QPoint(5, 9));
  const struct {
    const char* name;
    QImage image;
    const char* format;
  } cases[] = {
      {"alpha.png", ramp, "PNG"},
      {"opaque.png", ramp.convertToFormat(QImage::Format_RGB32), "PNG"},
      {"grey.png", ramp.convertToFormat(QImage::Format_Grayscale8), "PNG"},
      {"palette.png", palette, "PNG"},
      {"mono.png", ramp.convertToFormat(QImage::Format_Mono), "PNG"},
      {"deep.png", ramp.convertToFormat(QImage::Format_RGBA64), "PNG"},
      {"described.png", described, "PNG"},
      {"fine.png", fine, "PNG"},
      {"managed.png", managed, "PNG"},
      {"placed.png", placed, "PNG"},
      {"png_named.bmp", ramp, "PNG"},
      {"bitmap.bmp", ramp.convertToFormat(QImage::Format_RGB32), "BMP"},
      {"photo.jpg", ramp.convertToFormat(QImage::Format_RGB32), "JPG"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    ASSERT_TRUE(c.image.save(&buffer, c.format));
    const QString path = write(QString::fromLatin1(c.name), bytes);
    QImageReader qt(path);
    qt.setAutoTransform(false);
    const QImage expected = qt.read();
    ASSERT_FALSE(expected.isNull());
    const QImage read = ReadPictureBounded(path);
    EXPECT_EQ(read.format(), expected.format());
    EXPECT_EQ(read, expected);
    EXPECT_EQ(read.text(), expected.text());
    EXPECT_EQ(read.colorSpace(), expected.colorSpace());
    EXPECT_EQ(read.offset(), expected.offset());
    EXPECT_EQ(read.dotsPerMeterX(), expected.dotsPerMeterX());
    EXPECT_EQ(read.dotsPerMeterY(), expected.dotsPerMeterY());
  }
  // A picture cut short or damaged gives what Qt's reader makes of it.
  QByteArray whole;
  QBuffer out(&whole);
  out.open(QIODevice::WriteOnly);
  ASSERT_TRUE(ramp.save(&out, "PNG"));
  QByteArray damaged = whole;
  damaged[damaged.size() / 2] = char(damaged[damaged.size() / 2] ^ 0x5A);
  for (const QByteArray& bytes : {whole.left(whole.size() * 2 / 3), damaged}) {
    const QString path = write(QStringLiteral("broken.png"), bytes);
    QImageReader qt(path);
    EXPECT_EQ(ReadPictureBounded(path), qt.read());
  }
  const QString fifo = dir_.filePath("fifo.png");
  ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
  EXPECT_TRUE(ReadPictureBounded(fifo).isNull());
  EXPECT_TRUE(ReadPictureBounded(dir_.path()).isNull());
}

TEST_F(PictureRendererTest, CacheStaysWithinItsBudget) {
  PictureCache cache(3 * 40 * 30 * 4 * 2);  // room for about three pictures
  for (int i = 0; i < 8; ++i) {
    PictureBox box(10, 10, kBack);
    ASSERT_TRUE(
        DrawTemplatePicture(picture(40, 30, QString("p%1.png").arg(i)), box, kNeutral, {}, &cache));
  }
  EXPECT_LE(cache.size(), 3);
  EXPECT_GE(cache.size(), 1);
}

TEST(PictureBoxTest, ResizeAndClearShowTheBackground) {
  PictureBox box(3, 2, Qt::red);
  box.image.fill(Qt::black);
  ASSERT_TRUE(box.resizeLogical(5, 4));
  EXPECT_EQ(box.image.size(), QSize(5, 4));
  EXPECT_EQ(box.image.pixel(4, 3), QColor(Qt::red).rgba());
  box.backColor = Qt::blue;
  box.clear();
  EXPECT_EQ(box.image.pixel(0, 0), QColor(Qt::blue).rgba());
  ASSERT_TRUE(box.resizeLogical(-3, 4));
  EXPECT_EQ(box.logicalSize(), QSize(0, 4));
  EXPECT_TRUE(box.image.isNull());

  // With its border the box keeps two pixels of edge on each side.
  box.border = true;
  box.backColor = Qt::red;
  ASSERT_TRUE(box.resizeLogical(8, 6));
  EXPECT_EQ(box.client(), QRect(2, 2, 4, 2));
  EXPECT_EQ(box.image.pixel(2, 2), QColor(Qt::red).rgba());
  EXPECT_EQ(box.image.pixel(5, 3), QColor(Qt::red).rgba());
  EXPECT_EQ(box.image.pixel(1, 1), 0xFF404040u);
  EXPECT_EQ(box.image.pixel(6, 4), 0xFFD4D0C8u);

  PictureBox odd(3, 3, Qt::white, 1.5);
  EXPECT_EQ(odd.image.size(), QSize(5, 5));  // the last logical pixel is covered
  EXPECT_DOUBLE_EQ(odd.image.devicePixelRatio(), 1.5);
}

TEST(GdipTest, StartsNestAndCanBeMadeToFail) {
  const int before = GdipStartCount();
  ASSERT_TRUE(GdipStart());
  ASSERT_TRUE(GdipStart());
  EXPECT_EQ(GdipStartCount(), before + 2);
  GdipStop();
  GdipStop();
  EXPECT_EQ(GdipStartCount(), before);
  SetGdipStartFailsForTesting(true);
  EXPECT_FALSE(GdipStart());
  EXPECT_EQ(GdipStartCount(), before);
  SetGdipStartFailsForTesting(false);
  EXPECT_TRUE(GdipStart());
  GdipStop();
}

}  // namespace
}  // namespace qm::render
