// The template picture decoder on any rows, filters and sizes in a well-formed
// file, and on the raw bytes as a file: it never reads out of bounds, and
// whatever it decodes is what Qt's reader gives for the same file.
#include <QBuffer>
#include <QImageReader>

#include "FuzzSupport.h"
#include "render/PngBuilder.h"
#include "render/PngDecoder.h"

using namespace qm;

namespace {

void Compare(const QByteArray& png) {
  const std::optional<QImage> decoded = render::DecodeCommonPng(png);
  if (!decoded) return;
  QByteArray copy = png;
  QBuffer buffer(&copy);
  buffer.open(QIODevice::ReadOnly);
  QImageReader reader(&buffer, "png");
  fuzz::Check(*decoded == reader.read(), "decoded as Qt's reader decodes it");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 3) return 0;
  Compare(fuzz::Bytes(data, size));
  // The first bytes choose the size and the pixel kind, the rest are the
  // filtered rows (filter bytes beyond the defined ones included).
  const int width = 1 + data[0] % 40;
  const int height = 1 + data[1] % 12;
  const int bpp = (data[2] & 1) ? 4 : 3;
  QByteArray rows = fuzz::Bytes(data + 3, size - 3);
  rows.resize(height * (1 + width * bpp), '\0');
  for (int y = 0; y < height; ++y)
    rows[y * (1 + width * bpp)] = char(uchar(rows[y * (1 + width * bpp)]) % 6);
  Compare(test::PngFile(width, height, bpp, rows, 1 + data[2] % 3));
  return 0;
}
