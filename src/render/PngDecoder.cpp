#include "render/PngDecoder.h"

#include <png.h>

#include <QtEndian>
#include <csetjmp>
#include <cstring>

namespace qm::render {
namespace {

// The decoder reads from memory: the file was read whole before.
struct Source {
  const png_byte* data;
  png_size_t size;
  png_size_t at;
};

void ReadFromSource(png_structp png, png_bytep out, png_size_t count) {
  auto* s = static_cast<Source*>(png_get_io_ptr(png));
  if (count > s->size - s->at) png_error(png, "picture ends early");
  std::memcpy(out, s->data + s->at, count);
  s->at += count;
}

void Fail(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void Quiet(png_structp, png_const_charp) {}

// libpng reports errors by a long jump: the two functions that set it up
// hold nothing that has a destructor to skip.
bool ReadHeader(png_structp png, png_infop info) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_read_info(png, info);
  return true;
}

bool ReadRows(png_structp png, png_infop info, uchar* first, qsizetype stride, int height) {
  if (setjmp(png_jmpbuf(png))) return false;
  for (int y = 0; y < height; ++y) png_read_row(png, first + y * stride, nullptr);
  png_read_end(png, info);
  return true;
}

// What Qt's reader would turn into something beyond pixels and resolution.
bool HasImageProperties(png_structp png, png_infop info) {
  png_textp text = nullptr;
  int texts = 0;
  return png_get_valid(png, info,
                       PNG_INFO_gAMA | PNG_INFO_cHRM | PNG_INFO_iCCP | PNG_INFO_sRGB |
                           PNG_INFO_tRNS | PNG_INFO_oFFs) != 0 ||
         (png_get_text(png, info, &text, &texts) > 0 && texts > 0);
}

struct Decoder {
  png_structp png = nullptr;
  png_infop info = nullptr;
  Decoder() {
    png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, Fail, Quiet);
    if (png) info = png_create_info_struct(png);
  }
  ~Decoder() { png_destroy_read_struct(&png, info ? &info : nullptr, nullptr); }
  Decoder(const Decoder&) = delete;
  Decoder& operator=(const Decoder&) = delete;
};

}  // namespace

std::optional<QImage> DecodeCommonPng(const QByteArray& bytes) {
  // The 32-bit formats are words 0xAARRGGBB; the byte order below is that of
  // a little-endian word.
  if constexpr (Q_BYTE_ORDER != Q_LITTLE_ENDIAN) return std::nullopt;
  Decoder d;
  if (!d.info) return std::nullopt;
  Source source{reinterpret_cast<const png_byte*>(bytes.constData()),
                static_cast<png_size_t>(bytes.size()), 0};
  png_set_read_fn(d.png, &source, ReadFromSource);
#ifdef PNG_IGNORE_ADLER32
  // Every chunk carries a CRC of its own, which is still checked: the
  // compressed stream's second checksum only costs time.
  png_set_option(d.png, PNG_IGNORE_ADLER32, PNG_OPTION_ON);
#endif
  if (!ReadHeader(d.png, d.info)) return std::nullopt;
  png_uint_32 width = 0;
  png_uint_32 height = 0;
  int depth = 0;
  int type = 0;
  int interlace = 0;
  png_get_IHDR(d.png, d.info, &width, &height, &depth, &type, &interlace, nullptr, nullptr);
  const bool alpha = type == PNG_COLOR_TYPE_RGB_ALPHA;
  if (depth != 8 || (type != PNG_COLOR_TYPE_RGB && !alpha) || interlace != PNG_INTERLACE_NONE ||
      HasImageProperties(d.png, d.info))
    return std::nullopt;
  QImage image(static_cast<int>(width), static_cast<int>(height),
               alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
  if (image.isNull()) return std::nullopt;
  png_set_bgr(d.png);
  if (!alpha) png_set_filler(d.png, 0xFF, PNG_FILLER_AFTER);
  if (!ReadRows(d.png, d.info, image.bits(), image.bytesPerLine(), image.height()))
    return std::nullopt;
  // Text after the pixels is seen only now.
  if (HasImageProperties(d.png, d.info)) return std::nullopt;
  png_uint_32 x = 0;
  png_uint_32 y = 0;
  int unit = 0;
  if (png_get_pHYs(d.png, d.info, &x, &y, &unit) && unit == PNG_RESOLUTION_METER) {
    image.setDotsPerMeterX(static_cast<int>(x));
    image.setDotsPerMeterY(static_cast<int>(y));
  }
  return image;
}

}  // namespace qm::render
