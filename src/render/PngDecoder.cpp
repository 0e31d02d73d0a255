#include "render/PngDecoder.h"

#include <libdeflate.h>

#include <QtEndian>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace qm::render {
namespace {

// A chunk of the file, as the bytes in memory give it.
struct Chunk {
  std::uint32_t type;
  const uchar* data;
  std::uint32_t length;
};

constexpr std::uint32_t Tag(const char (&name)[5]) {
  return std::uint32_t(uchar(name[0])) << 24 | std::uint32_t(uchar(name[1])) << 16 |
         std::uint32_t(uchar(name[2])) << 8 | std::uint32_t(uchar(name[3]));
}

// Reads the chunks one after another, each checked against its CRC; a chunk
// that runs past the end or fails its CRC ends the walk as a failure.
class ChunkWalk {
 public:
  explicit ChunkWalk(const QByteArray& bytes)
      : at_(reinterpret_cast<const uchar*>(bytes.constData()) + 8),
        end_(reinterpret_cast<const uchar*>(bytes.constData()) + bytes.size()) {}
  // False at a damaged chunk or at the end of the bytes.
  bool Next(Chunk& out) {
    if (end_ - at_ < 12) return false;
    const std::uint32_t length = qFromBigEndian<std::uint32_t>(at_);
    if (length > 0x7FFFFFFFu || std::uint64_t(end_ - at_ - 12) < length) return false;
    const uchar* typeAndData = at_ + 4;
    const std::uint32_t crc = qFromBigEndian<std::uint32_t>(typeAndData + 4 + length);
    if (libdeflate_crc32(0, typeAndData, 4 + std::size_t(length)) != crc) return false;
    out = {qFromBigEndian<std::uint32_t>(typeAndData), typeAndData + 4, length};
    at_ += 12 + std::size_t(length);
    return true;
  }

 private:
  const uchar* at_;
  const uchar* end_;
};

// One decompressor per thread, kept: setting one up costs more than a small
// picture's inflation.
libdeflate_decompressor* Decompressor() {
  struct Kept {
    libdeflate_decompressor* d = libdeflate_alloc_decompressor();
    ~Kept() { libdeflate_free_decompressor(d); }
  };
  thread_local Kept kept;
  return kept.d;
}

inline uchar Paeth(uchar a, uchar b, uchar c) {
  const int p = int(a) + int(b) - int(c);
  const int pa = std::abs(p - int(a));
  const int pb = std::abs(p - int(b));
  const int pc = std::abs(p - int(c));
  return (pa <= pb && pa <= pc) ? a : (pb <= pc ? b : c);
}

#if defined(__SSE2__)
// Four-byte pixels one at a time in 16-bit lanes: the filters that take the
// pixel to the left cannot run across pixels, but the four channels of one
// can go together.
inline __m128i LoadPixel(const uchar* p) {
  std::int32_t v;
  std::memcpy(&v, p, 4);
  return _mm_unpacklo_epi8(_mm_cvtsi32_si128(v), _mm_setzero_si128());
}
inline void StorePixel(uchar* p, __m128i v) {
  const std::int32_t out = _mm_cvtsi128_si32(_mm_packus_epi16(v, v));
  std::memcpy(p, &out, 4);
}
inline __m128i Abs16(__m128i v) { return _mm_max_epi16(v, _mm_sub_epi16(_mm_setzero_si128(), v)); }
inline __m128i Select(__m128i mask, __m128i yes, __m128i no) {
  return _mm_or_si128(_mm_and_si128(mask, yes), _mm_andnot_si128(mask, no));
}
#endif

// Undoes a row's filter in place; `prior` is the row above, already undone
// (zeros above the first). False for a filter the format does not define.
template <int Bpp>
bool Unfilter(uchar filter, uchar* row, const uchar* prior, std::size_t length) {
  switch (filter) {
    case 0:
      return true;
    case 1:
#if defined(__SSE2__)
      if constexpr (Bpp == 4) {
        __m128i a = _mm_setzero_si128();
        for (std::size_t i = 0; i < length; i += 4) {
          std::int32_t v;
          std::memcpy(&v, row + i, 4);
          a = _mm_add_epi8(_mm_cvtsi32_si128(v), a);
          v = _mm_cvtsi128_si32(a);
          std::memcpy(row + i, &v, 4);
        }
        return true;
      }
#endif
      for (std::size_t i = Bpp; i < length; ++i) row[i] = uchar(row[i] + row[i - Bpp]);
      return true;
    case 2:
      for (std::size_t i = 0; i < length; ++i) row[i] = uchar(row[i] + prior[i]);
      return true;
    case 3:
#if defined(__SSE2__)
      if constexpr (Bpp == 4) {
        const __m128i low = _mm_set1_epi16(0xFF);
        __m128i a = _mm_setzero_si128();
        for (std::size_t i = 0; i < length; i += 4) {
          const __m128i b = LoadPixel(prior + i);
          a = _mm_and_si128(
              _mm_add_epi16(LoadPixel(row + i), _mm_srli_epi16(_mm_add_epi16(a, b), 1)), low);
          StorePixel(row + i, a);
        }
        return true;
      }
#endif
      for (std::size_t i = 0; i < Bpp; ++i) row[i] = uchar(row[i] + (prior[i] >> 1));
      for (std::size_t i = Bpp; i < length; ++i)
        row[i] = uchar(row[i] + ((unsigned(row[i - Bpp]) + prior[i]) >> 1));
      return true;
    case 4:
#if defined(__SSE2__)
      if constexpr (Bpp == 4) {
        // The predictor nearest to a + b - c, ties going to a, then b.
        const __m128i low = _mm_set1_epi16(0xFF);
        __m128i a = _mm_setzero_si128();
        __m128i c = _mm_setzero_si128();
        for (std::size_t i = 0; i < length; i += 4) {
          const __m128i b = LoadPixel(prior + i);
          const __m128i pa = _mm_sub_epi16(b, c);  // p - a
          const __m128i pb = _mm_sub_epi16(a, c);  // p - b
          const __m128i pc = _mm_add_epi16(pa, pb);
          const __m128i da = Abs16(pa);
          const __m128i db = Abs16(pb);
          const __m128i dc = Abs16(pc);
          const __m128i least = _mm_min_epi16(dc, _mm_min_epi16(da, db));
          __m128i nearest = Select(_mm_cmpeq_epi16(least, dc), c, b);
          nearest = Select(_mm_cmpeq_epi16(least, db), b, nearest);
          nearest = Select(_mm_cmpeq_epi16(least, da), a, nearest);
          a = _mm_and_si128(_mm_add_epi16(LoadPixel(row + i), nearest), low);
          StorePixel(row + i, a);
          c = b;
        }
        return true;
      }
#endif
      for (std::size_t i = 0; i < Bpp; ++i) row[i] = uchar(row[i] + prior[i]);
      for (std::size_t i = Bpp; i < length; ++i)
        row[i] = uchar(row[i] + Paeth(row[i - Bpp], prior[i], prior[i - Bpp]));
      return true;
    default:
      return false;
  }
}

template <int Bpp>
bool Unpack(uchar* raw, std::size_t rowBytes, QImage& image) {
  const std::size_t stride = rowBytes + 1;
  const int width = image.width();
  const int height = image.height();
  // The row above the first is taken as zeros.
  const std::unique_ptr<const uchar[]> zeros(new (std::nothrow) uchar[rowBytes]());
  if (!zeros) return false;
  for (int y = 0; y < height; ++y) {
    uchar* row = raw + std::size_t(y) * stride;
    const uchar* prior = y > 0 ? row - stride + 1 : zeros.get();
    if (!Unfilter<Bpp>(row[0], row + 1, prior, rowBytes)) return false;
    const uchar* px = row + 1;
    auto* out = reinterpret_cast<QRgb*>(image.scanLine(y));
    if constexpr (Bpp == 4) {
      // R G B A in memory is the word 0xAABBGGRR: red and blue change places.
      int x = 0;
#if defined(__SSE2__)
      const __m128i keep = _mm_set1_epi32(int(0xFF00FF00u));
      const __m128i byte = _mm_set1_epi32(0xFF);
      for (; x + 4 <= width; x += 4) {
        const __m128i w = _mm_loadu_si128(reinterpret_cast<const __m128i*>(px + 4 * x));
        const __m128i swapped = _mm_or_si128(
            _mm_and_si128(w, keep), _mm_or_si128(_mm_slli_epi32(_mm_and_si128(w, byte), 16),
                                                 _mm_and_si128(_mm_srli_epi32(w, 16), byte)));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x), swapped);
      }
#endif
      for (; x < width; ++x) {
        std::uint32_t w;
        std::memcpy(&w, px + 4 * x, 4);
        out[x] = (w & 0xFF00FF00u) | ((w & 0xFFu) << 16) | ((w >> 16) & 0xFFu);
      }
    } else {
      for (int x = 0; x < width; ++x, px += 3) out[x] = qRgb(px[0], px[1], px[2]);
    }
  }
  return true;
}

}  // namespace

std::optional<QImage> DecodeCommonPng(const QByteArray& bytes) {
  static constexpr uchar kSignature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  if (bytes.size() < 8 || std::memcmp(bytes.constData(), kSignature, 8) != 0) return std::nullopt;
  ChunkWalk walk(bytes);
  Chunk c{};
  if (!walk.Next(c) || c.type != Tag("IHDR") || c.length != 13) return std::nullopt;
  const std::uint32_t width = qFromBigEndian<std::uint32_t>(c.data);
  const std::uint32_t height = qFromBigEndian<std::uint32_t>(c.data + 4);
  const uchar depth = c.data[8];
  const uchar type = c.data[9];
  // 8 bits per channel, RGB (2) or RGBA (6), the one compression and filter
  // method, not interlaced.
  if (width == 0 || height == 0 || width > 0x7FFFFFFFu || height > 0x7FFFFFFFu || depth != 8 ||
      (type != 2 && type != 6) || c.data[10] != 0 || c.data[11] != 0 || c.data[12] != 0)
    return std::nullopt;
  const int bpp = type == 6 ? 4 : 3;

  // The compressed pixels may come in several chunks; in one, as is usual,
  // they are used where they lie.
  const uchar* stream = nullptr;
  std::size_t streamBytes = 0;
  QByteArray joined;
  bool pixelsSeen = false;
  bool pixelsEnded = false;
  bool ended = false;
  int dpmX = 0;
  int dpmY = 0;
  while (!ended && walk.Next(c)) {
    switch (c.type) {
      case Tag("IDAT"):
        if (pixelsEnded) return std::nullopt;
        if (!pixelsSeen) {
          stream = c.data;
          streamBytes = c.length;
        } else {
          if (joined.isEmpty()) joined.append(reinterpret_cast<const char*>(stream), streamBytes);
          joined.append(reinterpret_cast<const char*>(c.data), c.length);
        }
        pixelsSeen = true;
        continue;
      case Tag("IEND"):
        ended = true;
        break;
      case Tag("pHYs"):
        // Qt takes a resolution in dots per metre given before the pixels.
        if (pixelsSeen || c.length != 9) return std::nullopt;
        if (c.data[8] == 1) {
          const std::uint32_t x = qFromBigEndian<std::uint32_t>(c.data);
          const std::uint32_t y = qFromBigEndian<std::uint32_t>(c.data + 4);
          if (x > 0x7FFFFFFFu || y > 0x7FFFFFFFu) return std::nullopt;
          dpmX = int(x);
          dpmY = int(y);
        }
        break;
      case Tag("tIME"):
      case Tag("bKGD"):
        break;  // nothing of the picture Qt's reader gives
      default:
        // Colour space, transparency, text, offset, a palette or anything
        // unknown: Qt's reader decides what becomes of it.
        return std::nullopt;
    }
    if (pixelsSeen) pixelsEnded = true;
  }
  if (!ended || !pixelsSeen) return std::nullopt;
  if (!joined.isEmpty()) {
    stream = reinterpret_cast<const uchar*>(joined.constData());
    streamBytes = std::size_t(joined.size());
  }

  const std::uint64_t rowBytes = std::uint64_t(width) * std::uint64_t(bpp);
  const std::uint64_t rawBytes = (rowBytes + 1) * height;
  if (rawBytes > (std::uint64_t{1} << 31)) return std::nullopt;
  QImage image(int(width), int(height), type == 6 ? QImage::Format_ARGB32 : QImage::Format_RGB32);
  if (image.isNull()) return std::nullopt;
  std::unique_ptr<uchar[]> raw(new (std::nothrow) uchar[std::size_t(rawBytes)]);
  if (!raw) return std::nullopt;
  libdeflate_decompressor* d = Decompressor();
  std::size_t got = 0;
  if (!d ||
      libdeflate_zlib_decompress(d, stream, streamBytes, raw.get(), std::size_t(rawBytes), &got) !=
          LIBDEFLATE_SUCCESS ||
      got != rawBytes)
    return std::nullopt;
  const bool unpacked = bpp == 4 ? Unpack<4>(raw.get(), std::size_t(rowBytes), image)
                                 : Unpack<3>(raw.get(), std::size_t(rowBytes), image);
  if (!unpacked) return std::nullopt;
  // As Qt's reader gives it: a zero leaves the default.
  if (dpmX > 0) image.setDotsPerMeterX(dpmX);
  if (dpmY > 0) image.setDotsPerMeterY(dpmY);
  return image;
}

}  // namespace qm::render
