#include "render/ColourMatrix.h"

#include <QColorSpace>
#include <algorithm>
#include <cmath>
#include <cstdint>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

namespace qm::render {
namespace {

// Rounds to the nearest integer (halves to even, the processor's default) and
// clamps to 0..255. NaN and values beyond the 32-bit range become 0, as the
// vector conversion does; no matrix built from a stored line comes near them.
inline std::uint32_t Channel(float v) {
  if (!(v > -2147483648.0f && v < 2147483648.0f)) return 0;
  const float r = std::nearbyint(v);
  return r <= 0.0f ? 0u : (r >= 255.0f ? 255u : static_cast<std::uint32_t>(r));
}

// From this size on a run is taken to be larger than the share of the
// last-level cache one core can count on, so it goes to memory whatever we
// do; a smaller picture is better left in the cache for the painter that
// reads it next.
constexpr std::size_t kStreamBytes = 16u << 20;
constexpr std::size_t kPrefetchAhead = 512;

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
    // Fused multiply-adds from the offset up, the order the vector kernels use.
    float v = std::fma(in[3], p.k[3][j], p.off[j]);
    v = std::fma(in[2], p.k[2][j], v);
    v = std::fma(in[1], p.k[1][j], v);
    v = std::fma(in[0], p.k[0][j], v);
    out[j] = Channel(v);
  }
  return (out[3] << 24) | (out[0] << 16) | (out[1] << 8) | out[2];
}

#if defined(__x86_64__) || defined(__i386__)
// The vector kernel: one register per channel of 8 or 16 pixels, fused
// multiply-adds, and the processor's saturating packs for the clamp to 0..255.
// It is written once; V gives the registers of an instruction set and the few
// operations that differ between sets. Each operation is compiled for its set
// and takes its registers by reference (passed by value they would change the
// calling convention of code built without that set), and the entry point of
// each set is flattened, so the whole kernel ends up as code of that set.

#define QM_AVX2 [[gnu::target("avx2,fma")]]
#define QM_AVX512 [[gnu::target("avx512f,avx512bw,fma")]]

struct Avx2 {
  static constexpr std::size_t kLanes = 8;
  using F = __m256;
  using I = __m256i;
  using Mask = __m256i;
  QM_AVX2 static void Broadcast(F& out, float v) { out = _mm256_set1_ps(v); }
  QM_AVX2 static void Fma(F& out, const F& a, const F& b, const F& c) {
    out = _mm256_fmadd_ps(a, b, c);
  }
  QM_AVX2 static void Round(I& out, const F& v) { out = _mm256_cvtps_epi32(v); }
  // The last few pixels of a row go through the same arithmetic under a mask
  // rather than the scalar form: without FMA in the base build that form
  // calls the library for every multiply-add, and picture rows rarely come
  // in multiples of the lanes.
  QM_AVX2 static void Tail(Mask& out, std::size_t left) {
    out = _mm256_cmpgt_epi32(_mm256_set1_epi32(static_cast<int>(left)),
                             _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7));
  }
  QM_AVX2 static void Load(I& out, const QRgb* src, const Mask& tail, bool whole) {
    out = whole ? _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src))
                : _mm256_maskload_epi32(reinterpret_cast<const int*>(src), tail);
  }
  // Byte `Shift / 8` of every pixel, as a float.
  template <int Shift>
  QM_AVX2 static void Channel(F& out, const I& px) {
    const __m256i shifted = _mm256_srli_epi32(px, Shift);
    out = _mm256_cvtepi32_ps(Shift == 24 ? shifted
                                         : _mm256_and_si256(shifted, _mm256_set1_epi32(0xFF)));
  }
  // The packs work inside 128-bit lanes, so each lane ends up holding its own
  // four pixels as B B B B G G G G R R R R A A A A bytes; one byte shuffle
  // puts them back in pixel order.
  QM_AVX2 static void PackStore(QRgb* dst, const Mask& tail, bool whole, bool stream, const I& r,
                                const I& g, const I& b, const I& a) {
    const __m256i order = _mm256_setr_epi8(0, 4, 8, 12, 1, 5, 9, 13, 2, 6, 10, 14, 3, 7, 11, 15, 0,
                                           4, 8, 12, 1, 5, 9, 13, 2, 6, 10, 14, 3, 7, 11, 15);
    const __m256i bytes = _mm256_shuffle_epi8(
        _mm256_packus_epi16(_mm256_packs_epi32(b, g), _mm256_packs_epi32(r, a)), order);
    if (stream)
      _mm256_stream_si256(reinterpret_cast<__m256i*>(dst), bytes);
    else if (whole)
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst), bytes);
    else
      _mm256_maskstore_epi32(reinterpret_cast<int*>(dst), tail, bytes);
  }
};

// GCC 12 reports its own AVX-512 intrinsics' deliberately undefined
// pass-through operands as uninitialised.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wuninitialized"
#ifndef __clang__
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
struct Avx512 {
  static constexpr std::size_t kLanes = 16;
  using F = __m512;
  using I = __m512i;
  using Mask = __mmask16;
  QM_AVX512 static void Broadcast(F& out, float v) { out = _mm512_set1_ps(v); }
  QM_AVX512 static void Fma(F& out, const F& a, const F& b, const F& c) {
    out = _mm512_fmadd_ps(a, b, c);
  }
  QM_AVX512 static void Round(I& out, const F& v) { out = _mm512_cvtps_epi32(v); }
  QM_AVX512 static void Tail(Mask& out, std::size_t left) {
    out = left >= kLanes ? __mmask16(0xFFFF) : static_cast<__mmask16>((1u << left) - 1);
  }
  // Only the last few pixels take the masked load: on whole registers it
  // keeps the processor from reading ahead, and a run from memory takes
  // four times as long.
  QM_AVX512 static void Load(I& out, const QRgb* src, const Mask& tail, bool whole) {
    out = whole ? _mm512_loadu_si512(src) : _mm512_maskz_loadu_epi32(tail, src);
  }
  template <int Shift>
  QM_AVX512 static void Channel(F& out, const I& px) {
    const __m512i shifted = _mm512_srli_epi32(px, Shift);
    out = _mm512_cvtepi32_ps(Shift == 24 ? shifted
                                         : _mm512_and_si512(shifted, _mm512_set1_epi32(0xFF)));
  }
  QM_AVX512 static void PackStore(QRgb* dst, const Mask& tail, bool, bool stream, const I& r,
                                  const I& g, const I& b, const I& a) {
    const __m512i order =
        _mm512_broadcast_i32x4(_mm_setr_epi8(0, 4, 8, 12, 1, 5, 9, 13, 2, 6, 10, 14, 3, 7, 11, 15));
    const __m512i bytes = _mm512_shuffle_epi8(
        _mm512_packus_epi16(_mm512_packs_epi32(b, g), _mm512_packs_epi32(r, a)), order);
    if (stream)
      _mm512_stream_si512(reinterpret_cast<__m512i*>(dst), bytes);
    else
      _mm512_mask_storeu_epi32(dst, tail, bytes);
  }
};

// Output channel J: fused multiply-adds from the offset up, the order of the
// scalar form. A tone matrix keeps alpha apart from the colours: the
// multiplications by its zeros are left out, which changes no result.
template <class V, bool Tone, int J>
[[gnu::always_inline]] inline void Mix(typename V::I& out, const typename V::F (&in)[4],
                                       const typename V::F (&k)[4][4],
                                       const typename V::F (&off)[4]) {
  typename V::F v = off[J];
  if (!Tone || J == 3) V::Fma(v, in[3], k[3][J], v);
  if (!Tone || J != 3) {
    V::Fma(v, in[2], k[2][J], v);
    V::Fma(v, in[1], k[1][J], v);
    V::Fma(v, in[0], k[0][J], v);
  }
  V::Round(out, v);
}

// Pixels of one register (fewer at the start or end of the run, under a
// mask).
template <class V, bool Tone>
[[gnu::always_inline]] inline void Step(const typename V::F (&k)[4][4],
                                        const typename V::F (&off)[4], const QRgb* src, QRgb* dst,
                                        std::size_t left, bool stream) {
  const bool whole = left >= V::kLanes;
  typename V::Mask tail;
  V::Tail(tail, left);
  typename V::I px;
  V::Load(px, src, tail, whole);
  typename V::F in[4];  // R, G, B, A
  V::template Channel<16>(in[0], px);
  V::template Channel<8>(in[1], px);
  V::template Channel<0>(in[2], px);
  V::template Channel<24>(in[3], px);
  typename V::I out[4];
  Mix<V, Tone, 0>(out[0], in, k, off);
  Mix<V, Tone, 1>(out[1], in, k, off);
  Mix<V, Tone, 2>(out[2], in, k, off);
  Mix<V, Tone, 3>(out[3], in, k, off);
  V::PackStore(dst, tail, whole, stream && whole, out[0], out[1], out[2], out[3]);
}

// A run larger than the caches goes to memory anyway: written with
// streaming stores it skips reading every destination line first, a third
// of the traffic, and its source is asked for a few lines ahead. Those stores
// want whole aligned registers, so the pixels up to the first aligned one go
// the ordinary way.
template <class V, bool Tone>
[[gnu::always_inline]] inline std::size_t Kernel(const Prepared& p, const QRgb* src, QRgb* dst,
                                                 std::size_t count, bool stream) {
  typename V::F k[4][4];
  typename V::F off[4];
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) V::Broadcast(k[i][j], p.k[i][j]);
  for (int j = 0; j < 4; ++j) V::Broadcast(off[j], p.off[j]);
  constexpr std::size_t kAlign = V::kLanes * sizeof(QRgb);
  const auto address = reinterpret_cast<std::uintptr_t>(dst);
  std::size_t n = 0;
  if (stream && address % sizeof(QRgb) == 0) {
    n = std::min(count, (kAlign - address % kAlign) % kAlign / sizeof(QRgb));
    if (n > 0) Step<V, Tone>(k, off, src, dst, n, false);
  } else {
    stream = false;
  }
  for (; n < count; n += V::kLanes) {
    if (stream) _mm_prefetch(reinterpret_cast<const char*>(src + n) + kPrefetchAhead, _MM_HINT_T0);
    Step<V, Tone>(k, off, src + n, dst + n, count - n, stream);
  }
  if (stream) _mm_sfence();
  return count;
}

template <bool Tone>
QM_AVX2 [[gnu::flatten]] std::size_t TransformAvx2(const Prepared& p, const QRgb* src, QRgb* dst,
                                                   std::size_t count, bool stream) {
  return Kernel<Avx2, Tone>(p, src, dst, count, stream);
}

template <bool Tone>
QM_AVX512 [[gnu::flatten]] std::size_t TransformAvx512(const Prepared& p, const QRgb* src,
                                                       QRgb* dst, std::size_t count, bool stream) {
  return Kernel<Avx512, Tone>(p, src, dst, count, stream);
}
#pragma GCC diagnostic pop

#undef QM_AVX512
#undef QM_AVX2

// Alpha neither feeds nor takes the colours.
bool IsToneShaped(const ColourMatrix& m) {
  return m.m[3][0] == 0 && m.m[3][1] == 0 && m.m[3][2] == 0 && m.m[0][3] == 0 && m.m[1][3] == 0 &&
         m.m[2][3] == 0;
}

bool Supported(ColourKernel k) {
  __builtin_cpu_init();
  switch (k) {
    case ColourKernel::Avx512:
      return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
             __builtin_cpu_supports("fma");
    case ColourKernel::Avx2:
      return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
    default:
      return true;
  }
}

ColourKernel BestKernel() {
  static const ColourKernel best = Supported(ColourKernel::Avx512) ? ColourKernel::Avx512
                                   : Supported(ColourKernel::Avx2) ? ColourKernel::Avx2
                                                                   : ColourKernel::Scalar;
  return best;
}
#else
bool Supported(ColourKernel k) { return k == ColourKernel::Best || k == ColourKernel::Scalar; }
ColourKernel BestKernel() { return ColourKernel::Scalar; }
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

bool ApplyColourMatrixWith(ColourKernel kernel, const ColourMatrix& matrix, const QRgb* src,
                           QRgb* dst, std::size_t count) {
  if (!Supported(kernel)) return false;
  if (kernel == ColourKernel::Best) kernel = BestKernel();
  const Prepared p = Prepare(matrix);
  std::size_t n = 0;
#if defined(__x86_64__) || defined(__i386__)
  const bool tone = IsToneShaped(matrix);
  const bool stream = count * sizeof(QRgb) >= kStreamBytes;
  if (kernel == ColourKernel::Avx512)
    n = tone ? TransformAvx512<true>(p, src, dst, count, stream)
             : TransformAvx512<false>(p, src, dst, count, stream);
  else if (kernel == ColourKernel::Avx2)
    n = tone ? TransformAvx2<true>(p, src, dst, count, stream)
             : TransformAvx2<false>(p, src, dst, count, stream);
#endif
  for (; n < count; ++n) dst[n] = Transform(p, src[n]);
  return true;
}

void ApplyColourMatrix(const ColourMatrix& matrix, const QRgb* src, QRgb* dst, std::size_t count) {
  ApplyColourMatrixWith(ColourKernel::Best, matrix, src, dst, count);
}

QImage ApplyColourMatrix(const ColourMatrix& matrix, const QImage& image) {
  if (image.isNull()) return {};
  // Straight alpha on purpose: on premultiplied data a pixel of low alpha has
  // lost most of its colour before the matrix could see it.
  const QImage in = image.convertToFormat(QImage::Format_ARGB32);
  if (in.isNull()) return {};
  // Written into a new image from the source rows: a copy of the source that
  // is then overwritten would only double the memory traffic.
  QImage out(in.size(), QImage::Format_ARGB32);
  if (out.isNull()) return {};
  out.setDevicePixelRatio(in.devicePixelRatio());
  out.setDotsPerMeterX(in.dotsPerMeterX());
  out.setDotsPerMeterY(in.dotsPerMeterY());
  out.setColorSpace(in.colorSpace());
  for (const QString& key : in.textKeys()) out.setText(key, in.text(key));
  const int w = out.width();
  const qsizetype rowBytes = qsizetype(w) * qsizetype(sizeof(QRgb));
  if (in.bytesPerLine() == rowBytes && out.bytesPerLine() == rowBytes) {
    // Rows without padding: the whole picture in one run, so that the
    // kernel is chosen and set up once, not for every row.
    ApplyColourMatrix(matrix, reinterpret_cast<const QRgb*>(in.constBits()),
                      reinterpret_cast<QRgb*>(out.bits()),
                      static_cast<std::size_t>(w) * static_cast<std::size_t>(out.height()));
    return out;
  }
  for (int y = 0; y < out.height(); ++y)
    ApplyColourMatrix(matrix, reinterpret_cast<const QRgb*>(in.constScanLine(y)),
                      reinterpret_cast<QRgb*>(out.scanLine(y)), static_cast<std::size_t>(w));
  return out;
}

}  // namespace qm::render
