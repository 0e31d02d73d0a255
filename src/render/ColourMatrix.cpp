#include "render/ColourMatrix.h"

#include <cmath>

#if defined(__SSE2__)
#include <immintrin.h>
#endif

namespace qm::render {
namespace {

// Rounds to the nearest integer (halves to even, the processor's default) after
// clamping to 0..255; NaN becomes 0. The vector kernels do exactly this.
inline std::uint32_t Channel(float v) {
  if (!(v > 0.0f)) return 0;
  if (v > 255.0f) v = 255.0f;
  return static_cast<std::uint32_t>(std::nearbyint(v));
}

// The matrix in the form the kernels use: the rows scaled for inputs and
// outputs in 0..255 and the offsets multiplied by full scale.
struct Prepared {
  float k[4][4];  // k[input][output], input/output order R, G, B, A
  float off[4];
};

Prepared Prepare(const ColourMatrix& matrix) {
  Prepared p{};
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) p.k[i][j] = matrix.m[i][j];
  for (int j = 0; j < 4; ++j) p.off[j] = matrix.m[4][j] * 255.0f;
  return p;
}

inline QRgb Transform(const Prepared& p, QRgb px) {
  const float in[4] = {static_cast<float>(qRed(px)), static_cast<float>(qGreen(px)),
                       static_cast<float>(qBlue(px)), static_cast<float>(qAlpha(px))};
  std::uint32_t out[4];
  for (int j = 0; j < 4; ++j) {
    float v = in[0] * p.k[0][j];
    v = v + in[1] * p.k[1][j];
    v = v + in[2] * p.k[2][j];
    v = v + in[3] * p.k[3][j];
    v = v + p.off[j];
    out[j] = Channel(v);
  }
  return (out[3] << 24) | (out[0] << 16) | (out[1] << 8) | out[2];
}

#if defined(__SSE2__)
// Four pixels at a time, one vector per channel, with the same order of
// operations as Transform() so that both give identical results.
std::size_t TransformSse2(const Prepared& p, const QRgb* src, QRgb* dst, std::size_t count) {
  const __m128i mask = _mm_set1_epi32(0xFF);
  const __m128 zero = _mm_setzero_ps();
  const __m128 full = _mm_set1_ps(255.0f);
  __m128 k[4][4];
  __m128 off[4];
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) k[i][j] = _mm_set1_ps(p.k[i][j]);
  for (int j = 0; j < 4; ++j) off[j] = _mm_set1_ps(p.off[j]);
  std::size_t n = 0;
  for (; n + 4 <= count; n += 4) {
    const __m128i px = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + n));
    const __m128 in[4] = {
        _mm_cvtepi32_ps(_mm_and_si128(_mm_srli_epi32(px, 16), mask)),
        _mm_cvtepi32_ps(_mm_and_si128(_mm_srli_epi32(px, 8), mask)),
        _mm_cvtepi32_ps(_mm_and_si128(px, mask)),
        _mm_cvtepi32_ps(_mm_srli_epi32(px, 24)),
    };
    __m128i out[4];
    for (int j = 0; j < 4; ++j) {
      __m128 v = _mm_mul_ps(in[0], k[0][j]);
      v = _mm_add_ps(v, _mm_mul_ps(in[1], k[1][j]));
      v = _mm_add_ps(v, _mm_mul_ps(in[2], k[2][j]));
      v = _mm_add_ps(v, _mm_mul_ps(in[3], k[3][j]));
      v = _mm_add_ps(v, off[j]);
      v = _mm_min_ps(_mm_max_ps(v, zero), full);  // NaN -> 0 as in Channel()
      out[j] = _mm_cvtps_epi32(v);
    }
    const __m128i argb =
        _mm_or_si128(_mm_or_si128(_mm_slli_epi32(out[3], 24), _mm_slli_epi32(out[0], 16)),
                     _mm_or_si128(_mm_slli_epi32(out[1], 8), out[2]));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + n), argb);
  }
  return n;
}
#endif

}  // namespace

ColourMatrix ColourMatrix::Identity() {
  ColourMatrix c;
  for (int i = 0; i < 5; ++i) c.m[i][i] = 1.0f;
  return c;
}

ColourMatrix ColourMatrix::Tone(float hue, float saturation, float value, float brightness,
                                float opacity) {
  // The grey part (luminance weights 0.299, 0.587, 0.114) is scaled by value;
  // the colour part is rotated by the hue and scaled by saturation x value.
  // The blue column's 0.300 and 0.588 are deliberate: stored templates were
  // tuned against exactly these coefficients.
  const double sv = static_cast<double>(saturation) * static_cast<double>(value);
  const double U = sv * std::cos(static_cast<double>(hue));
  const double W = sv * std::sin(static_cast<double>(hue));
  const double v = value;
  ColourMatrix c;
  auto set = [&c](int i, int j, double x) { c.m[i][j] = static_cast<float>(x); };
  set(0, 0, 0.299 * v + 0.701 * U + 0.168 * W);
  set(0, 1, 0.299 * v - 0.299 * U - 0.328 * W);
  set(0, 2, 0.299 * v - 0.300 * U + 1.250 * W);
  set(1, 0, 0.587 * v - 0.587 * U + 0.330 * W);
  set(1, 1, 0.587 * v + 0.413 * U + 0.035 * W);
  set(1, 2, 0.587 * v - 0.588 * U - 1.050 * W);
  set(2, 0, 0.114 * v - 0.114 * U - 0.497 * W);
  set(2, 1, 0.114 * v - 0.114 * U + 0.292 * W);
  set(2, 2, 0.114 * v + 0.886 * U - 0.203 * W);
  c.m[3][3] = opacity;
  c.m[4][0] = brightness;
  c.m[4][1] = brightness;
  c.m[4][2] = brightness;
  c.m[4][4] = 1.0f;
  return c;
}

QRgb ApplyColourMatrixReference(const ColourMatrix& matrix, QRgb pixel) {
  return Transform(Prepare(matrix), pixel);
}

void ApplyColourMatrix(const ColourMatrix& matrix, const QRgb* src, QRgb* dst, std::size_t count) {
  const Prepared p = Prepare(matrix);
  std::size_t n = 0;
#if defined(__SSE2__)
  n = TransformSse2(p, src, dst, count);
#endif
  for (; n < count; ++n) dst[n] = Transform(p, src[n]);
}

QImage ApplyColourMatrix(const ColourMatrix& matrix, const QImage& image) {
  if (image.isNull()) return {};
  // Straight alpha on purpose: on premultiplied data a pixel of low alpha has
  // lost most of its colour before the matrix could see it.
  QImage out = image.convertToFormat(QImage::Format_ARGB32);
  if (out.isNull()) return {};
  const int w = out.width();
  for (int y = 0; y < out.height(); ++y) {
    auto* row = reinterpret_cast<QRgb*>(out.scanLine(y));
    ApplyColourMatrix(matrix, row, row, static_cast<std::size_t>(w));
  }
  return out;
}

}  // namespace qm::render
