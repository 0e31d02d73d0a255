#include "render/StampRaster.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// The hot functions come in two builds: one for processors with AVX2, whose
// instructions carry the VEX encoding, and the plain one. Legacy SSE code run
// while another library has left the upper halves of the vector registers in
// use is slowed down severalfold; VEX-encoded code is not.
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__)
#define QM_HOT __attribute__((target_clones("avx2", "default")))
#else
#define QM_HOT
#endif
// Helpers are built into each of those builds rather than called.
#define QM_INLINE inline __attribute__((always_inline))

namespace qm::render {
namespace {

QM_INLINE bool Finite(const QPointF& p) { return std::isfinite(p.x()) && std::isfinite(p.y()); }

QM_INLINE void AddSegment(std::vector<Segment>& out, const QPointF& a, const QPointF& b) {
  if (!Finite(a) || !Finite(b) || a == b) return;
  out.push_back({a.x(), a.y(), b.x(), b.y()});
}

// Curves are cut into enough pieces that the chords stay within about a
// quarter of a pixel of the curve.
QM_INLINE int CurvePieces(const QPointF& p0, const QPointF& c1, const QPointF& c2,
                          const QPointF& p3) {
  const QPointF a = p0 - 2 * c1 + c2;
  const QPointF b = c1 - 2 * c2 + p3;
  const double dd =
      std::sqrt(std::max(a.x() * a.x() + a.y() * a.y(), b.x() * b.x() + b.y() * b.y()));
  if (!std::isfinite(dd)) return 1;
  const double n = std::ceil(std::sqrt(3.0 * dd));
  return static_cast<int>(std::clamp(n, 1.0, 256.0));
}

// Adds the area coverage of one edge to the accumulation rows (the signed
// area method: each pixel receives the part of the edge's trapezoid that falls
// into it; a running sum along a row then gives the winding coverage).
// x is already within [0, w]; rows outside [0, h) are skipped.
QM_INLINE void AccumulateEdge(float* acc, int w, int h, std::size_t stride, double x0, double y0,
                              double x1, double y1) {
  if (y0 == y1) return;
  double dir = 1.0;
  if (y0 > y1) {
    std::swap(x0, x1);
    std::swap(y0, y1);
    dir = -1.0;
  }
  if (y1 <= 0 || y0 >= h) return;
  const double dxdy = (x1 - x0) / (y1 - y0);
  double x = x0;
  if (y0 < 0) {
    x -= y0 * dxdy;
    y0 = 0;
  }
  const int yEnd = static_cast<int>(std::ceil(std::min(y1, double(h))));
  for (int y = static_cast<int>(y0); y < yEnd; ++y) {
    float* row = acc + static_cast<std::size_t>(y) * stride;
    const double dy = std::min<double>(y + 1, y1) - std::max<double>(y, y0);
    const double xnext = std::clamp(x + dxdy * dy, 0.0, double(w));
    const double d = dy * dir;
    const double xa = std::min(x, xnext), xb = std::max(x, xnext);
    const double xaFloor = std::floor(xa);
    const int xai = static_cast<int>(xaFloor);
    const double xbCeil = std::ceil(xb);
    const int xbi = static_cast<int>(xbCeil);
    if (xbi <= xai + 1) {
      const double xmf = 0.5 * (x + xnext) - xaFloor;
      row[xai] += static_cast<float>(d - d * xmf);
      row[xai + 1] += static_cast<float>(d * xmf);
    } else {
      const double s = 1.0 / (xb - xa);
      const double xaf = xa - xaFloor;
      const double a0 = 0.5 * s * (1.0 - xaf) * (1.0 - xaf);
      const double xbf = xb - xbCeil + 1.0;
      const double am = 0.5 * s * xbf * xbf;
      row[xai] += static_cast<float>(d * a0);
      if (xbi == xai + 2) {
        row[xai + 1] += static_cast<float>(d * (1.0 - a0 - am));
      } else {
        const double a1 = s * (1.5 - xaf);
        row[xai + 1] += static_cast<float>(d * (a1 - a0));
        for (int xi = xai + 2; xi < xbi - 1; ++xi) row[xi] += static_cast<float>(d * s);
        const double a2 = a1 + (xbi - xai - 3) * s;
        row[xbi - 1] += static_cast<float>(d * (1.0 - a2 - am));
      }
      row[xbi] += static_cast<float>(d * am);
    }
    x = xnext;
  }
}

// Parts of an edge left of the area still count (they cover everything to
// their right), so they are moved onto x = 0; parts right of it cannot reach
// any pixel and are moved onto x = w, which is never summed.
QM_INLINE void AddEdge(float* acc, int w, int h, std::size_t stride, double x0, double y0,
                       double x1, double y1) {
  // Cut points: the ends and where the edge crosses x = 0 and x = w, in order.
  double ts[4] = {0.0, 1.0, 1.0, 1.0};
  int nt = 1;
  const double dx = x1 - x0;
  for (const double edge : {0.0, double(w)}) {
    if (dx != 0) {
      const double t = (edge - x0) / dx;
      if (t > 0 && t < 1) ts[nt++] = t;
    }
  }
  if (nt == 3 && ts[1] > ts[2]) std::swap(ts[1], ts[2]);
  ts[nt++] = 1.0;
  for (int i = 0; i + 1 < nt; ++i) {
    const double ta = ts[i], tb = ts[i + 1];
    if (tb <= ta) continue;
    const double ya = y0 + (y1 - y0) * ta, yb = y0 + (y1 - y0) * tb;
    const double xm = x0 + dx * (0.5 * (ta + tb));
    double xa = x0 + dx * ta, xb = x0 + dx * tb;
    if (xm <= 0) {
      xa = xb = 0;
    } else if (xm >= w) {
      xa = xb = w;
    } else {
      xa = std::clamp(xa, 0.0, double(w));
      xb = std::clamp(xb, 0.0, double(w));
    }
    AccumulateEdge(acc, w, h, stride, xa, ya, xb, yb);
  }
}

}  // namespace

QM_HOT std::vector<Segment> FlattenPath(const QPainterPath& path, const QTransform& transform) {
  // The usual transform only scales and moves: map points without the general
  // machinery, which costs more than the rest of the flattening.
  const bool simple = transform.type() <= QTransform::TxScale;
  const qreal m11 = transform.m11(), m22 = transform.m22(), tx = transform.dx(),
              ty = transform.dy();
  const auto map = [&](const QPainterPath::Element& e) {
    return simple ? QPointF(e.x * m11 + tx, e.y * m22 + ty) : transform.map(QPointF(e.x, e.y));
  };
  std::vector<Segment> out;
  out.reserve(static_cast<std::size_t>(path.elementCount()) * 3);
  QPointF start, current;
  bool open = false;
  const int n = path.elementCount();
  for (int i = 0; i < n; ++i) {
    const QPainterPath::Element e = path.elementAt(i);
    const QPointF p = map(e);
    switch (e.type) {
      case QPainterPath::MoveToElement:
        if (open) AddSegment(out, current, start);
        start = current = p;
        open = true;
        break;
      case QPainterPath::LineToElement:
        AddSegment(out, current, p);
        current = p;
        break;
      case QPainterPath::CurveToElement: {
        if (i + 2 >= n) {
          i = n;
          break;
        }
        const QPointF c1 = p;
        const QPointF c2 = map(path.elementAt(i + 1));
        const QPointF p3 = map(path.elementAt(i + 2));
        i += 2;
        const int pieces = CurvePieces(current, c1, c2, p3);
        QPointF prev = current;
        for (int k = 1; k <= pieces; ++k) {
          const double t = double(k) / pieces, u = 1 - t;
          const QPointF q = (k == pieces) ? p3
                                          : u * u * u * current + 3 * u * u * t * c1 +
                                                3 * u * t * t * c2 + t * t * t * p3;
          AddSegment(out, prev, q);
          prev = q;
        }
        current = p3;
        break;
      }
      case QPainterPath::CurveToDataElement:
        break;  // consumed with its curve
    }
  }
  if (open) AddSegment(out, current, start);
  return out;
}

QRect SegmentBounds(const std::vector<Segment>& segments, double margin) {
  if (segments.empty()) return {};
  double x0 = segments[0].x0, x1 = x0, y0 = segments[0].y0, y1 = y0;
  for (const Segment& s : segments) {
    x0 = std::min({x0, s.x0, s.x1});
    x1 = std::max({x1, s.x0, s.x1});
    y0 = std::min({y0, s.y0, s.y1});
    y1 = std::max({y1, s.y0, s.y1});
  }
  // Far beyond any surface: clamp so that the integer rectangle stays valid;
  // intersecting with the surface then gives the right (possibly empty) area.
  static constexpr double kLimit = 1 << 28;
  auto clampi = [](double v) { return static_cast<int>(std::clamp(v, -kLimit, kLimit)); };
  return QRect(QPoint(clampi(std::floor(x0 - margin)), clampi(std::floor(y0 - margin))),
               QPoint(clampi(std::ceil(x1 + margin)), clampi(std::ceil(y1 + margin))));
}

QM_HOT Coverage FillCoverage(const std::vector<Segment>& segments, const QRect& area) {
  Coverage c;
  c.area = area;
  if (area.isEmpty()) return c;
  const int w = area.width(), h = area.height();
  const std::size_t stride = static_cast<std::size_t>(w) + 2;
  // The accumulation rows are scratch space, kept between calls: a gallery
  // repaint fills many small areas one after the other.
  thread_local std::vector<float> acc;
  acc.assign(stride * static_cast<std::size_t>(h), 0.0f);
  const double ox = area.left(), oy = area.top();
  for (const Segment& s : segments)
    AddEdge(acc.data(), w, h, stride, s.x0 - ox, s.y0 - oy, s.x1 - ox, s.y1 - oy);
  c.value.resize(static_cast<std::size_t>(w) * h);
  for (int y = 0; y < h; ++y) {
    float* row = acc.data() + static_cast<std::size_t>(y) * stride;
    std::uint8_t* out = c.value.data() + static_cast<std::size_t>(y) * w;
    // The running sum alone first: it is a chain of dependent additions, and
    // the conversion to bytes no longer waits on it pixel by pixel.
    float sum = 0;
    for (int x = 0; x < w; ++x) {
      sum += row[x];
      row[x] = sum;
    }
    int x = 0;
#if defined(__SSE2__)
    const __m128 sign = _mm_set1_ps(-0.0f), one = _mm_set1_ps(1.0f);
    const __m128 full = _mm_set1_ps(255.0f), half = _mm_set1_ps(0.5f);
    for (; x + 4 <= w; x += 4) {
      // min(1, |sum|) x 255 + 0.5, truncated: the scalar expression below.
      const __m128 v = _mm_add_ps(
          _mm_mul_ps(_mm_min_ps(_mm_andnot_ps(sign, _mm_loadu_ps(row + x)), one), full), half);
      __m128i b = _mm_cvttps_epi32(v);
      b = _mm_packs_epi32(b, b);
      b = _mm_packus_epi16(b, b);
      const auto four = static_cast<std::uint32_t>(_mm_cvtsi128_si32(b));
      std::memcpy(out + x, &four, 4);
    }
#endif
    for (; x < w; ++x)
      out[x] = static_cast<std::uint8_t>(std::min(1.0f, std::fabs(row[x])) * 255.0f + 0.5f);
  }
  return c;
}

namespace {

// Raises the coverage of the pixels of one row, from x = xa to xb, by their
// nearness to one segment (start at the origin, direction (dx, dy)); px is the
// first pixel centre's x and py the row's centre y, both relative to the
// segment's start.
QM_INLINE void StrokeRow(std::uint8_t* row, int xa, int xb, float px, float py, float dx, float dy,
                         float inv, float reach) {
  const float reach2 = reach * reach;
  int x = xa;
#if defined(__SSE2__)
  const __m128 vdx = _mm_set1_ps(dx), vdy = _mm_set1_ps(dy), vinv = _mm_set1_ps(inv);
  const __m128 vpy = _mm_set1_ps(py), vreach = _mm_set1_ps(reach);
  const __m128 zero = _mm_setzero_ps(), one = _mm_set1_ps(1.0f), full = _mm_set1_ps(255.0f);
  const __m128 pyDy = _mm_mul_ps(vpy, vdy);
  const __m128 lanes = _mm_setr_ps(0, 1, 2, 3);
  // Whole groups of four; the last group is moved back so that it ends at xb.
  // Pixels done twice get the same value again, which the max leaves alone.
  if (xb - 3 >= 0 && xb - xa >= 3) {
    for (int g = xa;; g += 4) {
      const int at = std::min(g, xb - 3);
      const __m128 vpx = _mm_add_ps(_mm_set1_ps(px + static_cast<float>(at - xa)), lanes);
      __m128 t = _mm_mul_ps(_mm_add_ps(_mm_mul_ps(vpx, vdx), pyDy), vinv);
      t = _mm_min_ps(_mm_max_ps(t, zero), one);
      const __m128 ex = _mm_sub_ps(vpx, _mm_mul_ps(t, vdx));
      const __m128 ey = _mm_sub_ps(vpy, _mm_mul_ps(t, vdy));
      const __m128 d = _mm_sqrt_ps(_mm_add_ps(_mm_mul_ps(ex, ex), _mm_mul_ps(ey, ey)));
      const __m128 v = _mm_mul_ps(_mm_min_ps(_mm_max_ps(_mm_sub_ps(vreach, d), zero), one), full);
      // Four coverages as bytes, merged with what the row holds.
      __m128i b = _mm_cvtps_epi32(v);
      b = _mm_packs_epi32(b, b);
      b = _mm_packus_epi16(b, b);
      std::uint32_t old;
      std::memcpy(&old, row + at, 4);
      const auto merged = static_cast<std::uint32_t>(
          _mm_cvtsi128_si32(_mm_max_epu8(_mm_cvtsi32_si128(static_cast<int>(old)), b)));
      std::memcpy(row + at, &merged, 4);
      if (at == xb - 3) return;
    }
  }
#endif
  for (; x <= xb; ++x, px += 1.0f) {
    const float t = std::clamp((px * dx + py * dy) * inv, 0.0f, 1.0f);
    const float ex = px - t * dx, ey = py - t * dy;
    const float d2 = ex * ex + ey * ey;
    if (d2 >= reach2) continue;
    const auto v =
        static_cast<std::uint8_t>(std::nearbyint(std::min(1.0f, reach - std::sqrt(d2)) * 255.0f));
    row[x] = std::max(row[x], v);
  }
}

QM_INLINE double DistanceToSegment(double px, double py, double ax, double ay, double bx,
                                   double by) {
  const double dx = bx - ax, dy = by - ay;
  const double len2 = dx * dx + dy * dy;
  const double t = len2 > 0 && std::isfinite(len2)
                       ? std::clamp(((px - ax) * dx + (py - ay) * dy) / len2, 0.0, 1.0)
                       : 0.0;
  return std::hypot(px - (ax + t * dx), py - (ay + t * dy));
}

QM_INLINE double FarthestCorner(double ax, double ay, double bx, double by, int w, int h) {
  return std::max({DistanceToSegment(0, 0, ax, ay, bx, by), DistanceToSegment(w, 0, ax, ay, bx, by),
                   DistanceToSegment(0, h, ax, ay, bx, by),
                   DistanceToSegment(w, h, ax, ay, bx, by)});
}

}  // namespace

QM_HOT Coverage StrokeCoverage(const std::vector<Segment>& segments, double width,
                               const QRect& area) {
  Coverage c;
  c.area = area;
  if (area.isEmpty()) return c;
  const int w = area.width(), h = area.height();
  c.value.assign(static_cast<std::size_t>(w) * h, 0);
  if (!(width > 0) || !std::isfinite(width)) return c;
  // A pixel is covered by how far its centre lies inside the band, with a
  // one-pixel ramp at the band's edge for antialiasing.
  const double reach = width / 2 + 0.5;
  const double ox = area.left(), oy = area.top();
  for (const Segment& s : segments) {
    const double ax = s.x0 - ox, ay = s.y0 - oy, bx = s.x1 - ox, by = s.y1 - oy;
    // Pixels whose centre (x + 0.5, y + 0.5) can lie within reach.
    const double minx = std::min(ax, bx) - reach - 0.5, maxx = std::max(ax, bx) + reach - 0.5;
    const double miny = std::min(ay, by) - reach - 0.5, maxy = std::max(ay, by) + reach - 0.5;
    if (maxx < 0 || maxy < 0 || minx > w - 1 || miny > h - 1) continue;
    const int xa = static_cast<int>(std::ceil(std::max(0.0, minx)));
    const int xb = static_cast<int>(std::floor(std::min(double(w - 1), maxx)));
    const int ya = static_cast<int>(std::ceil(std::max(0.0, miny)));
    const int yb = static_cast<int>(std::floor(std::min(double(h - 1), maxy)));
    if (reach > w + h && FarthestCorner(ax, ay, bx, by, w, h) <= reach - 1.0) {
      // A band wider than the area that takes in all of it (the distance to a
      // segment is convex, so the corners are the farthest points).
      std::fill(c.value.begin(), c.value.end(), 255);
      return c;
    }
    // Relative to the segment's start, in single precision: the distances
    // involved are within the area's size.
    const float dx = static_cast<float>(bx - ax), dy = static_cast<float>(by - ay);
    const float len2 = dx * dx + dy * dy;
    const float inv = len2 > 0 ? 1.0f / len2 : 0.0f;
    const float px = static_cast<float>(xa + 0.5 - ax);
    for (int y = ya; y <= yb; ++y)
      StrokeRow(c.value.data() + static_cast<std::size_t>(y) * w, xa, xb, px,
                static_cast<float>(y + 0.5 - ay), dx, dy, inv, static_cast<float>(reach));
  }
  return c;
}

QM_HOT void BlendCoverage(QImage& layer, const QPoint& layerOrigin, const Coverage& coverage,
                          int dx, int dy, QRgb colour) {
  if (coverage.area.isEmpty() || coverage.value.empty() || qAlpha(colour) == 0) return;
  const QRect target = coverage.area.translated(dx, dy) & QRect(layerOrigin, layer.size());
  if (target.isEmpty()) return;
  // Source over in premultiplied ARGB: the colour at alpha = coverage x its
  // own alpha, then what was there times the rest. Every product is divided
  // by 255 with rounding, so coverage 255 of an opaque colour gives exactly
  // the colour and coverage 0 leaves the pixel exactly as it was.
  const unsigned colourAlpha = qAlpha(colour);
  const QRgb opaque = colour | 0xFF000000u;
  const auto div255 = [](unsigned x) { return (x + 128 + ((x + 128) >> 8)) >> 8; };
  const auto blendOne = [&](QRgb d, unsigned c) {
    const unsigned a = div255(c * colourAlpha);
    QRgb out = 0;
    for (int shift = 0; shift < 32; shift += 8) {
      const unsigned v =
          div255(((opaque >> shift) & 0xFF) * a) + div255(((d >> shift) & 0xFF) * (255 - a));
      out |= v << shift;
    }
    return out;
  };
#if defined(__SSE2__)
  const __m128i zero = _mm_setzero_si128();
  const __m128i c128 = _mm_set1_epi16(128);
  const __m128i c255 = _mm_set1_epi16(255);
  const __m128i alpha16 = _mm_set1_epi16(static_cast<short>(colourAlpha));
  const __m128i src16 = _mm_unpacklo_epi8(_mm_set1_epi32(static_cast<int>(opaque)), zero);
  const auto div255v = [&](__m128i x) {
    x = _mm_add_epi16(x, c128);
    return _mm_srli_epi16(_mm_add_epi16(x, _mm_srli_epi16(x, 8)), 8);
  };
#endif
  const int w = coverage.area.width();
  const qsizetype bpl = layer.bytesPerLine();
  uchar* bits = layer.bits();
  for (int y = target.top(); y <= target.bottom(); ++y) {
    auto* dst = reinterpret_cast<QRgb*>(bits + (y - layerOrigin.y()) * bpl) - layerOrigin.x();
    const std::uint8_t* cov = coverage.value.data() +
                              static_cast<std::size_t>(y - dy - coverage.area.top()) * w -
                              coverage.area.left() - dx;
    int x = target.left();
    const int end = target.right() + 1;
#if defined(__SSE2__)
    for (; x + 4 <= end; x += 4) {
      std::uint32_t four;
      std::memcpy(&four, cov + x, 4);
      if (four == 0) continue;  // most of a text's box is empty
      // Alpha of each pixel, repeated over its four channels.
      __m128i a = _mm_unpacklo_epi8(_mm_cvtsi32_si128(static_cast<int>(four)), zero);
      a = div255v(_mm_mullo_epi16(a, alpha16));
      a = _mm_unpacklo_epi16(a, a);
      const __m128i aLo = _mm_unpacklo_epi32(a, a), aHi = _mm_unpackhi_epi32(a, a);
      const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(dst + x));
      const __m128i dLo = _mm_unpacklo_epi8(d, zero), dHi = _mm_unpackhi_epi8(d, zero);
      const __m128i outLo = _mm_add_epi16(div255v(_mm_mullo_epi16(src16, aLo)),
                                          div255v(_mm_mullo_epi16(dLo, _mm_sub_epi16(c255, aLo))));
      const __m128i outHi = _mm_add_epi16(div255v(_mm_mullo_epi16(src16, aHi)),
                                          div255v(_mm_mullo_epi16(dHi, _mm_sub_epi16(c255, aHi))));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + x), _mm_packus_epi16(outLo, outHi));
    }
#endif
    for (; x < end; ++x)
      if (cov[x] != 0) dst[x] = blendOne(dst[x], cov[x]);
  }
}

}  // namespace qm::render
