#include <gtest/gtest.h>

#include <QBuffer>
#include <QImageReader>
#include <QRandomGenerator>
#include <QtEndian>
#include <cstdlib>

#include "render/PngBuilder.h"
#include "render/PngDecoder.h"

namespace {

using qm::render::DecodeCommonPng;

uchar PaethOf(int a, int b, int c) {
  const int p = a + b - c;
  const int pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
  return uchar(pa <= pb && pa <= pc ? a : (pb <= pc ? b : c));
}

// A PNG of random pixels whose rows take every filter in turn; `split` puts
// the compressed stream in several chunks.
QByteArray FilteredPng(int width, int height, int bpp, bool split, quint32 seed) {
  QRandomGenerator rng(seed);
  const int rowBytes = width * bpp;
  QByteArray raw(height * rowBytes, Qt::Uninitialized);
  for (char& b : raw) b = char(rng.bounded(256));
  QByteArray filtered;
  for (int y = 0; y < height; ++y) {
    const int filter = y % 5;
    filtered += char(filter);
    for (int i = 0; i < rowBytes; ++i) {
      const int x = uchar(raw[y * rowBytes + i]);
      const int a = i >= bpp ? uchar(raw[y * rowBytes + i - bpp]) : 0;
      const int b = y > 0 ? uchar(raw[(y - 1) * rowBytes + i]) : 0;
      const int c = y > 0 && i >= bpp ? uchar(raw[(y - 1) * rowBytes + i - bpp]) : 0;
      const int predicted = filter == 1   ? a
                            : filter == 2 ? b
                            : filter == 3 ? (a + b) / 2
                            : filter == 4 ? PaethOf(a, b, c)
                                          : 0;
      filtered += char(uchar(x - predicted));
    }
  }
  return qm::test::PngFile(width, height, bpp, filtered, split ? 3 : 1);
}

QImage QtRead(const QByteArray& png) {
  QByteArray copy = png;
  QBuffer buffer(&copy);
  buffer.open(QIODevice::ReadOnly);
  QImageReader reader(&buffer, "png");
  return reader.read();
}

// Every filter, both pixel sizes, widths that do and do not fill a register,
// the stream whole or split: the pixels and format are Qt's reader's.
TEST(PngDecoderTest, GivesWhatQtsReaderGivesForEveryFilterAndRowWidth) {
  for (const int bpp : {3, 4})
    for (const int width : {1, 2, 3, 5, 8, 17, 64, 131})
      for (const bool split : {false, true}) {
        SCOPED_TRACE(testing::Message() << bpp << " bytes, " << width << " wide, split " << split);
        const QByteArray png = FilteredPng(width, 11, bpp, split, quint32(width * 7 + bpp));
        const QImage expected = QtRead(png);
        ASSERT_FALSE(expected.isNull());
        const std::optional<QImage> decoded = DecodeCommonPng(png);
        ASSERT_TRUE(decoded.has_value());
        EXPECT_EQ(decoded->format(), expected.format());
        EXPECT_EQ(*decoded, expected);
      }
}

// A file cut anywhere, or with any byte changed, is left to Qt's reader
// (and never read out of bounds: the sanitizer build runs this too).
TEST(PngDecoderTest, LeavesEveryCutOrDamagedFileToQtsReader) {
  const QByteArray png = FilteredPng(9, 6, 4, true, 5);
  for (qsizetype n = 0; n < png.size(); ++n) {
    EXPECT_FALSE(DecodeCommonPng(png.left(n)).has_value()) << "cut at " << n;
    QByteArray damaged = png;
    damaged[n] = char(damaged[n] ^ 0x21);
    const std::optional<QImage> decoded = DecodeCommonPng(damaged);
    if (decoded) {
      EXPECT_EQ(*decoded, QtRead(damaged)) << "byte " << n;
    }
  }
}

}  // namespace
