#include "render/StampText.h"

#include <QPainter>
#include <QPainterPathStroker>
#include <algorithm>
#include <array>
#include <cmath>
#include <optional>
#include <utility>

#include "render/DrawingCap.h"
#include "render/PictureBox.h"
#include "render/StampFont.h"
#include "render/StampRaster.h"

namespace qm::render {
namespace {

// Sizes beyond this are not a font size anyone typed on purpose; the outlines
// would only be clipped away, at a high price.
constexpr int kMaxFontSize = 20000;

// A sample text longer than this is cut: a thumbnail cannot show more, and a
// runaway text must not stall the gallery.
constexpr qsizetype kMaxSampleLength = 1024;

// Offsets (logical pixels) are held within this: a text moved farther lies
// outside every surface anyway (surfaces are at most 2^20 device pixels a
// side), and held so, a position times any sane pixel ratio still converts
// to an integer. Values that are not numbers count as 0.
constexpr qreal kMaxOffset = qreal(1 << 24);

qreal SaneOffset(float v) {
  return std::isfinite(v) ? std::clamp<qreal>(v, -kMaxOffset, kMaxOffset) : 0.0;
}

// The nearest whole number to `v` when it lies within `limit` of 0 and within
// a rounding error of a whole number; nothing otherwise. Decided in floating
// point, so a huge or non-finite value never reaches an integer conversion.
std::optional<int> WholeWithin(double v, double limit) {
  const double r = std::round(v);
  if (!(std::abs(r) <= limit) || !(std::abs(v - r) < 1e-6)) return std::nullopt;
  return static_cast<int>(r);
}

// The device pixel nearest to `v`, held on the surfaces' scale.
int DevicePixel(double v) {
  constexpr double kLimit = 1 << 20;
  return std::isfinite(v) ? static_cast<int>(std::round(std::clamp(v, -kLimit, kLimit))) : 0;
}

// A colour as drawn: the stored number supplies red, green and blue only.
// Bits above them (from a hand-edited line) must not leak into the alpha.
QColor Argb(std::uint32_t alphaMask, std::int32_t colour) {
  return QColor::fromRgba(alphaMask | (static_cast<std::uint32_t>(colour) & 0xFFFFFFu));
}

// The flags of a look: 0 is off, any other number on.
bool On(qint16 flag) { return flag != 0; }

}  // namespace

float BorderPenWidth(float borderWidth, bool borderUnder) {
  const double w = borderWidth;
  // Under the text half of the outline is hidden by the fill, so the pen grows
  // faster; the curve was fitted so that widths 1..15 look alike either way.
  const double pen = borderUnder ? (1.1414 - 0.0356 * w) * w + 0.8832 : (w + 3) / 3;
  return static_cast<float>(pen);
}

QString EffectiveSampleText(const QString& sampleText) {
  return sampleText.isEmpty() ? QStringLiteral("+38\u00B0") : sampleText;
}

namespace {

// Everything the two passes need, worked out before anything is drawn.
struct Geometry {
  QPainterPath emPath;         // font units, baseline at y = 0
  qreal scale = 1;             // font units to logical pixels
  qreal baseline = 0;          // from the top of the line box, logical pixels
  QPainterPath path() const {  // logical pixels, top of the line box at (0, 0)
    QPainterPath p = QTransform(scale, 0, 0, scale, 0, baseline).map(emPath);
    p.setFillRule(Qt::WindingFill);
    return p;
  }
  QPointF text;  // where the line box goes
  QPointF shadow;
  qreal penWidth = 0;
  bool stroke = false;  // an outline is drawn
  QRgb shadowColour = 0, fillColour = 0, borderColour = 0;
};

StampTextResult Prepare(const QSize& clientSize, const stamp::StampParams& p, const QString& sample,
                        Geometry& g) {
  QString text = EffectiveSampleText(sample);
  if (text.size() > kMaxSampleLength) text.truncate(kMaxSampleLength);

  const auto face = StampFace::Load(p.FontName, p.FontStyle);
  if (!face) return StampTextResult::FontNotFound;
  if (p.FontSize <= 0 || p.FontSize > kMaxFontSize) return StampTextResult::FontSizeInvalid;

  const qreal s = static_cast<qreal>(p.FontSize) / face->unitsPerEm();
  const StampFace::Shape shape = face->shape(text);

  // Centred by the typographic box (advances and line spacing), not by the
  // ink: templates were positioned against this box.
  const qreal bw = s * shape.advance;
  const qreal bh = s * face->lineSpacing();
  const qreal cx = (clientSize.width() - bw) / 2;
  const qreal cy = (clientSize.height() - bh) / 2;

  g.emPath = shape.path;
  g.scale = s;
  g.baseline = s * face->ascent();
  g.text = QPointF(cx + SaneOffset(p.TextX), cy - SaneOffset(p.TextY));
  g.shadow = g.text + QPointF(SaneOffset(p.ShadowX), -SaneOffset(p.ShadowY));

  // A pen narrower than nothing (border widths far outside the slider's range)
  // draws no outline rather than whatever the backend makes of it.
  g.penWidth = BorderPenWidth(static_cast<float>(p.BorderWidth), On(p.BorderUnder));
  g.stroke = On(p.BorderOn) && g.penWidth > 0 && std::isfinite(g.penWidth);
  g.shadowColour = Argb(static_cast<std::uint32_t>(p.ShadowAlpha) << 24, p.ShadowColor).rgba();
  g.fillColour = Argb(0xFF000000u, p.TextColor).rgba();
  g.borderColour = Argb(0xFF000000u, p.BorderColor).rgba();
  return StampTextResult::Drawn;
}

// The order of the layers. The shadow stands for the whole stamp, outline
// included, so it is filled even when the text itself is not.
template <typename Fill, typename Stroke>
void Passes(const stamp::StampParams& p, const Geometry& g, Fill fill, Stroke stroke) {
  if (On(p.ShadowOn)) {
    if (!On(p.BorderUnder)) fill(true, g.shadowColour);
    if (g.stroke) stroke(true, g.shadowColour);
    if (On(p.BorderUnder)) fill(true, g.shadowColour);
  }
  if (On(p.TextOn) && !On(p.BorderUnder)) fill(false, g.fillColour);
  if (g.stroke) stroke(false, g.borderColour);
  if (On(p.TextOn) && On(p.BorderUnder)) fill(false, g.fillColour);
}

// Vector drawing through the painter, for painters with a rotation, a scale of
// their own or a fractional device offset.
void DrawVector(QPainter& painter, const QSize& clientSize, const stamp::StampParams& p,
                const Geometry& g) {
  const QPainterPath path = g.path();
  QPainterPath outline;
  if (g.stroke) {
    QPainterPathStroker stroker;
    stroker.setWidth(g.penWidth);
    stroker.setJoinStyle(Qt::RoundJoin);
    stroker.setCapStyle(Qt::FlatCap);
    outline = stroker.createStroke(path);
  }
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing, true);
  painter.setPen(Qt::NoPen);
  painter.setClipRect(QRectF(QPointF(0, 0), QSizeF(clientSize)), Qt::IntersectClip);
  const QTransform base = painter.transform();
  const auto place = [&](bool shadow) {
    const QPointF at = shadow ? g.shadow : g.text;
    painter.setTransform(QTransform::fromTranslate(at.x(), at.y()) * base);
  };
  Passes(
      p, g,
      [&](bool shadow, QRgb c) {
        place(shadow);
        painter.fillPath(path, QColor::fromRgba(c));
      },
      [&](bool shadow, QRgb c) {
        place(shadow);
        painter.fillPath(outline, QColor::fromRgba(c));
      });
  painter.restore();
}

// Coverage of the glyphs and of their outline band in device pixels, for the
// text and for the shadow. When the shadow lies a whole number of device pixels
// away, it reuses the text's coverage moved by that much.
struct Masks {
  Coverage textFill, textStroke, shadowFill, shadowStroke;
  bool shadowShared = false;  // the shadow uses the text's coverage, moved
  int dx = 0, dy = 0;         // shadow displacement when shared
  QRect touched;              // device pixels that any layer may change
};

// With `measureOnly` the coverages are left empty and only their areas (and
// so `touched`) are worked out: the outline's bounds need no rasterising.
Masks BuildMasks(const stamp::StampParams& p, const Geometry& g, qreal dpr, const QRect& clip,
                 bool measureOnly = false) {
  Masks m;
  const bool needText = On(p.TextOn) || g.stroke;
  const bool needShadow = On(p.ShadowOn);
  const qreal pen = g.penWidth * dpr;
  const double margin = (g.stroke ? pen / 2 : 0) + 2;

  const QPointF shift = (g.shadow - g.text) * dpr;
  const std::optional<int> wholeX = WholeWithin(shift.x(), 256);
  const std::optional<int> wholeY = WholeWithin(shift.y(), 256);
  m.shadowShared = needShadow && wholeX && wholeY;
  if (m.shadowShared) {
    m.dx = *wholeX;
    m.dy = *wholeY;
  }

  const auto build = [&](const QPointF& at, const QRect& needed, Coverage& fill, Coverage& stroke) {
    const qreal k = g.scale * dpr;
    const std::vector<Segment> segs =
        FlattenPath(g.emPath, QTransform(k, 0, 0, k, at.x() * dpr, (at.y() + g.baseline) * dpr));
    const QRect area = SegmentBounds(segs, margin) & needed;
    if (area.isEmpty()) return;
    if (measureOnly) {
      fill.area = area;
      return;
    }
    fill = FillCoverage(segs, area);
    if (g.stroke) stroke = StrokeCoverage(segs, pen, area);
  };
  if (needText || m.shadowShared) {
    QRect needed = needText ? clip : QRect();
    if (m.shadowShared) needed |= clip.translated(-m.dx, -m.dy);
    build(g.text, needed, m.textFill, m.textStroke);
    if (needText) m.touched |= m.textFill.area & clip;
    if (m.shadowShared) m.touched |= m.textFill.area.translated(m.dx, m.dy) & clip;
  }
  if (needShadow && !m.shadowShared) {
    build(g.shadow, clip, m.shadowFill, m.shadowStroke);
    m.touched |= m.shadowFill.area & clip;
  }
  return m;
}

void BlendMasks(QImage& image, const QPoint& origin, const stamp::StampParams& p, const Geometry& g,
                const Masks& m) {
  Passes(
      p, g,
      [&](bool shadow, QRgb c) {
        const bool own = shadow && !m.shadowShared;
        BlendCoverage(image, origin, own ? m.shadowFill : m.textFill, shadow ? m.dx : 0,
                      shadow ? m.dy : 0, c);
      },
      [&](bool shadow, QRgb c) {
        const bool own = shadow && !m.shadowShared;
        BlendCoverage(image, origin, own ? m.shadowStroke : m.textStroke, shadow ? m.dx : 0,
                      shadow ? m.dy : 0, c);
      });
}

// The device pixels of a box that the text may be drawn on (see DrawingCap.h).
QRect DeviceBox(const QSize& clientSize, qreal dpr) {
  return DrawableArea(
      QRect(0, 0, DeviceLength(clientSize.width(), dpr), DeviceLength(clientSize.height(), dpr)));
}

}  // namespace

StampTextResult DrawStampText(QPainter& painter, const QSize& clientSize,
                              const stamp::StampParams& params, const QString& sampleText) {
  if (!painter.isActive()) return StampTextResult::NoSurface;
  const stamp::StampParams& p = params;
  Geometry g;
  const StampTextResult prepared = Prepare(clientSize, p, sampleText, g);
  if (prepared != StampTextResult::Drawn) return prepared;

  // The coverage route needs device pixels that line up with logical ones:
  // a painter that only moves by whole device pixels.
  const qreal dpr = painter.device() ? painter.device()->devicePixelRatio() : 1.0;
  const QTransform world = painter.worldTransform();
  const bool aligned = world.type() <= QTransform::TxTranslate &&
                       WholeWithin(world.dx() * dpr, 1 << 20) &&
                       WholeWithin(world.dy() * dpr, 1 << 20);
  if (!aligned) {
    DrawVector(painter, clientSize, p, g);
    return StampTextResult::Drawn;
  }
  const Masks m = BuildMasks(p, g, dpr, DeviceBox(clientSize, dpr));
  if (m.touched.isEmpty()) return StampTextResult::Drawn;
  QImage layer(m.touched.size(), QImage::Format_ARGB32_Premultiplied);
  if (layer.isNull()) return StampTextResult::NoSurface;
  layer.fill(Qt::transparent);
  BlendMasks(layer, m.touched.topLeft(), p, g, m);
  layer.setDevicePixelRatio(dpr);
  painter.drawImage(QPointF(m.touched.x() / dpr, m.touched.y() / dpr), layer);
  return StampTextResult::Drawn;
}

StampTextResult DrawStampText(PictureBox& box, const stamp::StampParams& params,
                              const QString& sampleText) {
  if (box.image.isNull()) return StampTextResult::NoSurface;
  const stamp::StampParams& p = params;
  const QRect client = box.client();
  Geometry g;
  const StampTextResult prepared = Prepare(client.size(), p, sampleText, g);
  if (prepared != StampTextResult::Drawn) return prepared;
  if (box.image.format() != QImage::Format_ARGB32_Premultiplied)
    box.image.convertTo(QImage::Format_ARGB32_Premultiplied);
  const qreal dpr = box.image.devicePixelRatio();
  // The text is laid out in the inner area; in the image that area starts
  // after the border (a few pixels, within the image).
  const QPoint at(DevicePixel(client.x() * dpr), DevicePixel(client.y() * dpr));
  const QRect clip = DeviceBox(client.size(), dpr) & box.image.rect().translated(-at);
  if (clip.isEmpty()) return StampTextResult::Drawn;
  // Blended through a view of the inner area alone: a shadow that shares the
  // text's coverage has it worked out beyond the area, and none of that may
  // land on the border.
  const QRect inner = clip.translated(at);
  QImage view(box.image.bits() + inner.y() * box.image.bytesPerLine() + inner.x() * 4,
              inner.width(), inner.height(), box.image.bytesPerLine(),
              QImage::Format_ARGB32_Premultiplied);
  BlendMasks(view, clip.topLeft(), p, g, BuildMasks(p, g, dpr, clip));
  return StampTextResult::Drawn;
}

bool StampTextLayer(const QSize& clientSize, qreal dpr, const stamp::StampParams& params,
                    const QString& sampleText, QImage& layer, QPoint& origin,
                    StampTextResult* why) {
  layer = QImage();
  origin = QPoint();
  const auto result = [why](StampTextResult r) {
    if (why) *why = r;
    return r == StampTextResult::Drawn;
  };
  if (!(dpr > 0) || !std::isfinite(dpr)) dpr = 1.0;  // as a picture box takes it
  const QRect clip = DeviceBox(clientSize, dpr);
  // A box without pixels cannot be drawn on.
  if (clip.isEmpty()) return result(StampTextResult::NoSurface);
  const stamp::StampParams& look = params;
  Geometry g;
  if (const StampTextResult r = Prepare(clientSize, look, sampleText, g);
      r != StampTextResult::Drawn)
    return result(r);
  const Masks m = BuildMasks(look, g, dpr, clip);
  if (m.touched.isEmpty()) return result(StampTextResult::Drawn);
  QImage out(m.touched.size(), QImage::Format_ARGB32_Premultiplied);
  if (out.isNull()) return result(StampTextResult::NoSurface);
  out.fill(Qt::transparent);
  BlendMasks(out, m.touched.topLeft(), look, g, m);
  out.setDevicePixelRatio(dpr);
  layer = std::move(out);
  origin = m.touched.topLeft();
  return result(StampTextResult::Drawn);
}

namespace {

// The text laid out for a box of `clientSize` at `dpr` (made usable), and the
// device pixels it may be drawn on; false when it cannot be drawn there.
bool LaidOut(const QSize& clientSize, qreal& dpr, const stamp::StampParams& params,
             const QString& sampleText, Geometry& g, QRect& clip) {
  if (!(dpr > 0) || !std::isfinite(dpr)) dpr = 1.0;
  clip = DeviceBox(clientSize, dpr);
  return !clip.isEmpty() && Prepare(clientSize, params, sampleText, g) == StampTextResult::Drawn;
}

}  // namespace

bool StampTextExtent(const QSize& clientSize, qreal dpr, const stamp::StampParams& params,
                     const QString& sampleText, QRect& extent) {
  extent = QRect();
  Geometry g;
  QRect clip;
  if (!LaidOut(clientSize, dpr, params, sampleText, g, clip)) return false;
  extent = BuildMasks(params, g, dpr, clip, true).touched;
  return true;
}

bool StampTextBound(const QSize& clientSize, qreal dpr, const stamp::StampParams& params,
                    const QString& sampleText, QRect& bound) {
  bound = QRect();
  Geometry g;
  QRect clip;
  if (!LaidOut(clientSize, dpr, params, sampleText, g, clip)) return false;
  // The curves lie within their control points' hull; the margin is the
  // drawing's and a pixel more for its rounding. The hull's diagonal, as a
  // segment, is rounded out as the drawing's segments are.
  const double margin = (g.stroke ? g.penWidth * dpr / 2 : 0) + 3;
  const QRectF em = g.emPath.controlPointRect();
  const auto at = [&](const QPointF& p) {
    const qreal k = g.scale * dpr;
    const QRectF r = QTransform(k, 0, 0, k, p.x() * dpr, (p.y() + g.baseline) * dpr).mapRect(em);
    return SegmentBounds({{r.left(), r.top(), r.right(), r.bottom()}}, margin);
  };
  if (On(params.TextOn) || g.stroke) bound |= at(g.text);
  if (On(params.ShadowOn)) bound |= at(g.shadow);
  bound &= clip;
  return true;
}

}  // namespace qm::render
