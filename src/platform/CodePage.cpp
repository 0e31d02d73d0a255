#include "platform/CodePage.h"

#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace qm::platform {
namespace {

bool IsContinuation(unsigned char b) { return (b & 0xC0) == 0x80; }

// The length of the well-formed UTF-8 sequence at p[0..n), or 0 when p[0]
// does not start one. Overlong forms, surrogates and code points above
// U+10FFFF are not well-formed.
int SequenceLength(const unsigned char* p, qsizetype n) {
  const unsigned char b = p[0];
  if (b < 0xC2) return 0;  // continuation byte or overlong lead
  if (b < 0xE0) return (n >= 2 && IsContinuation(p[1])) ? 2 : 0;
  if (b < 0xF0) {
    if (n < 3 || !IsContinuation(p[1]) || !IsContinuation(p[2])) return 0;
    if (b == 0xE0 && p[1] < 0xA0) return 0;   // overlong
    if (b == 0xED && p[1] >= 0xA0) return 0;  // surrogate
    // EF 9E 80 .. EF 9F BF is U+F780..U+F7FF: the escapes themselves. Taken
    // as three raw bytes they come back as these three bytes.
    if (b == 0xEF && (p[1] == 0x9E || p[1] == 0x9F)) return 0;
    return 3;
  }
  if (b < 0xF5) {
    if (n < 4 || !IsContinuation(p[1]) || !IsContinuation(p[2]) || !IsContinuation(p[3])) return 0;
    if (b == 0xF0 && p[1] < 0x90) return 0;   // overlong
    if (b == 0xF4 && p[1] >= 0x90) return 0;  // above U+10FFFF
    return 4;
  }
  return 0;
}

}  // namespace

QString DecodeCodePage(QByteArrayView bytes) {
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  const qsizetype n = bytes.size();
  // No sequence gives more UTF-16 units than it has bytes.
  QString out(n, Qt::Uninitialized);
  char16_t* o = reinterpret_cast<char16_t*>(out.data());
  qsizetype i = 0;
  while (i < n) {
    // Stored files are mostly ASCII: widen it sixteen bytes at a time.
#if defined(__SSE2__)
    while (n - i >= 16) {
      const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
      if (_mm_movemask_epi8(chunk) != 0) break;
      const __m128i zero = _mm_setzero_si128();
      _mm_storeu_si128(reinterpret_cast<__m128i*>(o), _mm_unpacklo_epi8(chunk, zero));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(o + 8), _mm_unpackhi_epi8(chunk, zero));
      o += 16;
      i += 16;
    }
#else
    while (n - i >= 8) {
      std::uint64_t w;
      std::memcpy(&w, p + i, sizeof w);
      if (w & 0x8080808080808080ull) break;
      for (int k = 0; k < 8; ++k) o[k] = p[i + k];
      o += 8;
      i += 8;
    }
#endif
    if (i >= n) break;
    const unsigned char b = p[i];
    if (b < 0x80) {
      *o++ = b;
      ++i;
      continue;
    }
    switch (SequenceLength(p + i, n - i)) {
      case 2:
        *o++ = char16_t(((b & 0x1F) << 6) | (p[i + 1] & 0x3F));
        i += 2;
        break;
      case 3:
        *o++ = char16_t(((b & 0x0F) << 12) | ((p[i + 1] & 0x3F) << 6) | (p[i + 2] & 0x3F));
        i += 3;
        break;
      case 4: {
        const char32_t c = (char32_t(b & 0x07) << 18) | (char32_t(p[i + 1] & 0x3F) << 12) |
                           (char32_t(p[i + 2] & 0x3F) << 6) | char32_t(p[i + 3] & 0x3F);
        *o++ = char16_t(0xD800 + ((c - 0x10000) >> 10));
        *o++ = char16_t(0xDC00 + ((c - 0x10000) & 0x3FF));
        i += 4;
        break;
      }
      default:
        // One byte only: what follows it may well start a valid sequence.
        *o++ = char16_t(kRawByteBase + b);
        ++i;
        break;
    }
  }
  out.truncate(o - reinterpret_cast<const char16_t*>(out.constData()));
  return out;
}

QByteArray EncodeCodePage(QStringView text, bool* ok) {
  if (ok) *ok = true;
  const char16_t* s = text.utf16();
  const qsizetype n = text.size();
  // Three bytes at most for each UTF-16 unit (a pair gives four for two).
  QByteArray out(3 * n, Qt::Uninitialized);
  char* o = out.data();
  for (qsizetype i = 0; i < n; ++i) {
    const char16_t c = s[i];
    if (c < 0x80) {
      *o++ = char(c);
    } else if (c >= kRawByteFirst && c <= kRawByteLast) {
      *o++ = char(c - kRawByteBase);
    } else if (c < 0x800) {
      *o++ = char(0xC0 | (c >> 6));
      *o++ = char(0x80 | (c & 0x3F));
    } else if (c < 0xD800 || c > 0xDFFF) {
      *o++ = char(0xE0 | (c >> 12));
      *o++ = char(0x80 | ((c >> 6) & 0x3F));
      *o++ = char(0x80 | (c & 0x3F));
    } else if (c <= 0xDBFF && i + 1 < n && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF) {
      const char32_t u = 0x10000 + ((char32_t(c) - 0xD800) << 10) + (s[i + 1] - 0xDC00);
      ++i;
      *o++ = char(0xF0 | (u >> 18));
      *o++ = char(0x80 | ((u >> 12) & 0x3F));
      *o++ = char(0x80 | ((u >> 6) & 0x3F));
      *o++ = char(0x80 | (u & 0x3F));
    } else {
      *o++ = '?';
      if (ok) *ok = false;
    }
  }
  out.truncate(o - out.constData());
  return out;
}

}  // namespace qm::platform
