#include "DemoPictures.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QRadialGradient>
#include <cmath>

namespace qm::democat {
namespace {

constexpr double kPi = 3.14159265358979323846;
// 96 dots per inch. Set explicitly: a new QImage takes the screen's density,
// and the same pictures must come out byte for byte on every machine.
constexpr int kDotsPerMeter = 3780;

QColor Rgba(QRgb rgb, int alpha) {
  QColor c = QColor::fromRgb(rgb);
  c.setAlpha(alpha);
  return c;
}

// The pictures are small; a hairline in a colour of the shape keeps the
// edge readable on both a white and a black preview background.
QPen Edge(QRgb rgb, int alpha, double width) {
  QPen pen(Rgba(rgb, alpha), width);
  pen.setJoinStyle(Qt::RoundJoin);
  return pen;
}

void DrawCloud(QPainter& p, double w, double h, int variant) {
  struct Palette {
    QRgb top, bottom, edge;
  };
  static const Palette kPalettes[] = {
      {0xFFFFFF, 0xC8DCF5, 0x7FA5D0},  // day
      {0x9AA3AE, 0x5A6470, 0x3A424C},  // storm
      {0xFFE4C8, 0xF59A7A, 0xC0604A},  // sunset
      {0xFFFFFF, 0xE6F0FF, 0xA0B8D8},  // small and puffy
  };
  const Palette& pal = kPalettes[variant % 4];

  if (variant == 2) {  // the sun sinks behind the cloud
    QRadialGradient sun(QPointF(0.74 * w, 0.36 * h), 0.34 * h);
    sun.setColorAt(0.0, Rgba(0xFFE060, 255));
    sun.setColorAt(0.6, Rgba(0xFFA020, 220));
    sun.setColorAt(1.0, Rgba(0xFF6000, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(sun);
    p.drawEllipse(QPointF(0.74 * w, 0.36 * h), 0.34 * h, 0.34 * h);
  }

  QPainterPath cloud;
  cloud.setFillRule(Qt::WindingFill);
  cloud.addRoundedRect(QRectF(0.10 * w, 0.52 * h, 0.80 * w, 0.36 * h), 0.18 * h, 0.18 * h);
  const double puffs[][3] = {
      {0.28, 0.58, 0.22}, {0.45, 0.42, 0.30}, {0.66, 0.47, 0.26}, {0.80, 0.64, 0.18}};
  for (const auto& puff : puffs) {
    const double r = puff[2] * h * (variant == 3 ? 1.1 : 1.0);
    cloud.addEllipse(QPointF(puff[0] * w, puff[1] * h), r, r);
  }
  cloud = cloud.simplified();

  p.setPen(Qt::NoPen);
  p.setBrush(Rgba(0x000000, 40));  // a soft drop shadow under the cloud
  p.drawPath(cloud.translated(2, 3));

  QLinearGradient fill(0, 0.1 * h, 0, 0.9 * h);
  fill.setColorAt(0, Rgba(pal.top, 240));
  fill.setColorAt(1, Rgba(pal.bottom, 170));
  p.setBrush(fill);
  p.setPen(Edge(pal.edge, 180, 1.2));
  p.drawPath(cloud);

  if (variant == 1) {  // lightning under the storm cloud
    const QPolygonF bolt({{0.58 * w, 0.72 * h},
                          {0.49 * w, 0.86 * h},
                          {0.55 * w, 0.86 * h},
                          {0.47 * w, h - 1},
                          {0.64 * w, 0.80 * h},
                          {0.57 * w, 0.80 * h},
                          {0.64 * w, 0.72 * h}});
    p.setBrush(Rgba(0xFFE14D, 230));
    p.setPen(Edge(0xB08000, 200, 0.8));
    p.drawPolygon(bolt);
  }
}

void DrawWave(QPainter& p, double w, double h, int variant) {
  struct Palette {
    QRgb sky, layers[3];
    double amplitude;
  };
  static const Palette kPalettes[] = {
      {0x8FD3F5, {0x1E6FB8, 0x2E8FD8, 0x7CC8F0}, 1.0},  // blue sea
      {0x203A60, {0x0A2A5A, 0x143C78, 0x2C5A9A}, 0.8},  // deep water
      {0xB0F0E8, {0x008C8C, 0x20B8A8, 0x80E0D0}, 0.6},  // lagoon
      {0x8A9A98, {0x2A4A40, 0x46685A, 0x7A988A}, 1.4},  // rough sea
      {0xFFB070, {0x5A3A7A, 0x8A4A8A, 0xD07A7A}, 0.9},  // sea at sunset
  };
  const Palette& pal = kPalettes[variant % 5];

  QPainterPath tile;
  tile.addRoundedRect(QRectF(0.5, 0.5, w - 1, h - 1), 8, 8);
  p.setClipPath(tile);

  QLinearGradient sky(0, 0, 0, h);
  sky.setColorAt(0.0, Rgba(pal.sky, 110));
  sky.setColorAt(0.6, Rgba(pal.sky, 20));
  p.fillRect(QRectF(0, 0, w, h), sky);

  for (int k = 0; k < 3; ++k) {
    const double base = h * (0.42 + 0.18 * k);
    const double amp = h * (0.08 - 0.015 * k) * pal.amplitude;
    const double length = w * (0.45 + 0.12 * k);
    const double phase = 1.3 * k + 0.7 * variant;
    QPainterPath crest;
    crest.moveTo(0, base + amp * std::sin(phase));
    for (int x = 1; x <= static_cast<int>(w); ++x)
      crest.lineTo(x, base + amp * std::sin(2 * kPi * x / length + phase));
    QPainterPath water = crest;
    water.lineTo(w, h);
    water.lineTo(0, h);
    water.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(Rgba(pal.layers[2 - k], 140 + 35 * k));
    p.drawPath(water);
    p.setBrush(Qt::NoBrush);
    p.setPen(Edge(0xFFFFFF, 200 - 50 * k, 1.5));  // foam on the crest
    p.drawPath(crest);
  }
  p.setClipping(false);
}

void DrawDrop(QPainter& p, double w, double h) {
  const double cx = w / 2, r = 0.28 * h, cy = 0.6 * h;
  p.setBrush(Qt::NoBrush);
  for (int i = 0; i < 2; ++i) {  // ripples round the drop
    p.setPen(Edge(0x1060C0, 130 - 50 * i, 1.2));
    p.drawEllipse(QPointF(cx, 0.86 * h), 0.28 * w + 0.14 * w * i, 0.07 * h + 0.04 * h * i);
  }
  QPainterPath drop;
  drop.moveTo(cx, 2);
  drop.cubicTo(cx + 0.3 * r, cy - 1.2 * r, cx + r, cy - 0.6 * r, cx + r, cy);
  drop.arcTo(QRectF(cx - r, cy - r, 2 * r, 2 * r), 0, -180);
  drop.cubicTo(cx - r, cy - 0.6 * r, cx - 0.3 * r, cy - 1.2 * r, cx, 2);
  QRadialGradient fill(QPointF(cx - 0.3 * r, cy - 0.3 * r), 1.6 * r);
  fill.setColorAt(0, Rgba(0xC8ECFF, 230));
  fill.setColorAt(1, Rgba(0x1060C0, 200));
  p.setBrush(fill);
  p.setPen(Edge(0x0A3C80, 200, 1));
  p.drawPath(drop);
  p.setPen(Qt::NoPen);
  p.setBrush(Rgba(0xFFFFFF, 180));
  p.drawEllipse(QPointF(cx - 0.4 * r, cy - 0.35 * r), 0.18 * r, 0.3 * r);
}

QPolygonF StarPolygon(QPointF centre, double outer, double inner, int points) {
  QPolygonF star;
  for (int i = 0; i < 2 * points; ++i) {
    const double r = (i % 2 == 0) ? outer : inner;
    const double a = -kPi / 2 + i * kPi / points;  // the first point straight up
    star << centre + QPointF(r * std::cos(a), r * std::sin(a));
  }
  return star;
}

void DrawBadge(QPainter& p, double w, double h) {
  const QPointF c(w / 2, h / 2);
  const double r = std::min(w, h) / 2 - 2;
  QRadialGradient gold(c, r);
  gold.setColorAt(0.0, Rgba(0xFFF3B0, 255));
  gold.setColorAt(0.8, Rgba(0xD4A017, 255));
  gold.setColorAt(1.0, Rgba(0x8A6A10, 255));
  p.setBrush(gold);
  p.setPen(Edge(0x6A4A00, 220, 1));
  p.drawPolygon(StarPolygon(c, r, 0.9 * r, 24));  // the rosette's serrated rim

  QRadialGradient disc(c, 0.78 * r);
  disc.setColorAt(0.0, Rgba(0xFFF8D0, 110));  // see-through middle under the text
  disc.setColorAt(1.0, Rgba(0xC89010, 230));
  p.setBrush(disc);
  p.drawEllipse(c, 0.76 * r, 0.76 * r);

  QPen dashes = Edge(0x7A5A08, 200, 1.2);
  dashes.setDashPattern({2, 2});
  p.setPen(dashes);
  p.setBrush(Qt::NoBrush);
  p.drawEllipse(c, 0.66 * r, 0.66 * r);
}

void DrawStar(QPainter& p, double w, double h) {
  const QPointF c(w / 2, h / 2 + 2);
  const double r = std::min(w, h) / 2 - 1;
  QRadialGradient fill(c, r);
  fill.setColorAt(0.0, Rgba(0xFF7A7A, 235));
  fill.setColorAt(1.0, Rgba(0xB00000, 220));
  p.setBrush(fill);
  p.setPen(Edge(0x700000, 230, 1.5));
  p.drawPolygon(StarPolygon(c, r, 0.45 * r, 5));
  p.setPen(Qt::NoPen);
  p.setBrush(Rgba(0xFFFFFF, 70));
  p.drawPolygon(StarPolygon(c, 0.6 * r, 0.27 * r, 5));
}

void DrawShield(QPainter& p, double w, double h) {
  QPainterPath shield;
  shield.moveTo(4, 4);
  shield.quadTo(w / 2, 10, w - 4, 4);
  shield.lineTo(w - 4, 0.5 * h);
  shield.cubicTo(w - 4, 0.75 * h, 0.7 * w, 0.88 * h, w / 2, h - 2);
  shield.cubicTo(0.3 * w, 0.88 * h, 4, 0.75 * h, 4, 0.5 * h);
  shield.closeSubpath();

  p.setPen(Qt::NoPen);
  p.save();
  p.setClipPath(shield);
  p.fillRect(QRectF(0, 0, w / 2, h), Rgba(0xC03030, 230));
  p.fillRect(QRectF(w / 2, 0, w / 2, h), Rgba(0xE04848, 200));
  QPainterPath chevron;  // a pale band across the middle
  chevron.moveTo(0, 0.38 * h);
  chevron.lineTo(w / 2, 0.62 * h);
  chevron.lineTo(w, 0.38 * h);
  chevron.lineTo(w, 0.52 * h);
  chevron.lineTo(w / 2, 0.76 * h);
  chevron.lineTo(0, 0.52 * h);
  chevron.closeSubpath();
  p.setBrush(Rgba(0xFFFFFF, 130));
  p.drawPath(chevron);
  p.restore();

  p.setBrush(Qt::NoBrush);
  p.setPen(Edge(0xDAA520, 240, 2.5));
  p.drawPath(shield);
}

void DrawLeaf(QPainter& p, double w, double h, int variant) {
  const QRgb from = variant == 0 ? 0x2E7A22 : 0xB83A14;
  const QRgb to = variant == 0 ? 0x9AD164 : 0xF2B63A;
  const QRgb vein = variant == 0 ? 0x1E4A12 : 0x6A2408;
  const QPointF base(10, 0.72 * h), tip(w - 4, 0.22 * h);

  p.setPen(Edge(vein, 220, 2));
  p.drawLine(base, QPointF(2, 0.9 * h));  // stem

  QPainterPath leaf;
  leaf.moveTo(base);
  leaf.cubicTo(QPointF(0.2 * w, 0.05 * h), QPointF(0.65 * w, -0.05 * h), tip);
  leaf.cubicTo(QPointF(0.8 * w, 0.75 * h), QPointF(0.35 * w, 1.05 * h), base);
  QLinearGradient fill(base, tip);
  fill.setColorAt(0, Rgba(from, 225));
  fill.setColorAt(1, Rgba(to, 190));
  p.setBrush(fill);
  p.setPen(Edge(vein, 180, 1));
  p.drawPath(leaf);

  p.setPen(Edge(vein, 170, 1.4));
  p.drawLine(base, tip);  // midrib
  p.setPen(Edge(vein, 110, 1));
  for (int i = 1; i <= 4; ++i) {
    const double t = i / 5.0;
    const QPointF on = base + t * (tip - base);
    p.drawLine(on, on + QPointF(0.1 * w, -0.2 * h));
    p.drawLine(on, on + QPointF(0.12 * w, 0.16 * h));
  }
}

void DrawRibbon(QPainter& p, double w, double h, int variant) {
  const QRgb band = variant == 0 ? 0xC8283C : 0x2858C8;
  const QRgb dark = variant == 0 ? 0x7A0A1E : 0x102A70;
  p.setPen(Edge(dark, 200, 1));
  p.setBrush(Rgba(dark, 200));
  const QPolygonF leftTail(
      {{1, 0.32 * h}, {0.2 * w, 0.32 * h}, {0.2 * w, h - 2}, {1, h - 2}, {0.08 * w, 0.65 * h}});
  p.drawPolygon(leftTail);
  QPolygonF rightTail;
  for (const QPointF& pt : leftTail) rightTail << QPointF(w - pt.x(), pt.y());
  p.drawPolygon(rightTail);

  QPainterPath main;
  main.moveTo(0.12 * w, 0.1 * h);
  main.quadTo(w / 2, 0.0, 0.88 * w, 0.1 * h);
  main.lineTo(0.88 * w, 0.78 * h);
  main.quadTo(w / 2, 0.68 * h, 0.12 * w, 0.78 * h);
  main.closeSubpath();
  QLinearGradient fill(0, 0, 0, h);
  fill.setColorAt(0.0, Rgba(band, 170));
  fill.setColorAt(0.5, Rgba(band, 240));
  fill.setColorAt(1.0, Rgba(band, 170));
  p.setBrush(fill);
  p.drawPath(main);
  p.setPen(Edge(0xFFFFFF, 120, 1));  // stitching along the edges
  p.setBrush(Qt::NoBrush);
  p.drawLine(QPointF(0.14 * w, 0.2 * h), QPointF(0.86 * w, 0.2 * h));
  p.drawLine(QPointF(0.14 * w, 0.68 * h), QPointF(0.86 * w, 0.68 * h));
}

void DrawFrame(QPainter& p, double w, double h, int variant) {
  struct Style {
    double thickness, radius;
    QRgb light, dark, inner;
    int innerAlpha;
  };
  static const Style kStyles[] = {
      {9, 12, 0xFFE680, 0x8B6508, 0xFFFFFF, 50},  // gold
      {4, 8, 0xF0F4F8, 0x70787F, 0xD8DCE0, 70},   // silver, double line
      {8, 0, 0xB07840, 0x5A3010, 0xFFF8E0, 90},   // wood with corner studs
      {5, 4, 0x6FA0FF, 0x2040A0, 0x6FA0FF, 40},   // small blue
      {10, 14, 0xD8F2FF, 0x4AA8E0, 0xFFFFFF, 0},  // glass
  };
  const Style& s = kStyles[variant % 5];
  const QRectF outer(1, 1, w - 2, h - 2);
  const QRectF inner = outer.adjusted(s.thickness, s.thickness, -s.thickness, -s.thickness);
  const double innerRadius = std::max(0.0, s.radius - s.thickness / 2);

  p.setPen(Qt::NoPen);
  p.setBrush(Rgba(s.inner, s.innerAlpha));
  p.drawRoundedRect(inner, innerRadius, innerRadius);

  QPainterPath ring;
  ring.setFillRule(Qt::OddEvenFill);
  ring.addRoundedRect(outer, s.radius, s.radius);
  ring.addRoundedRect(inner, innerRadius, innerRadius);
  QLinearGradient metal(0, 0, w, h);
  metal.setColorAt(0.0, Rgba(s.light, 255));
  metal.setColorAt(0.35, Rgba(s.dark, 255));
  metal.setColorAt(0.65, Rgba(s.light, 255));
  metal.setColorAt(1.0, Rgba(s.dark, 255));
  if (variant == 4) {  // glass lets the background through everywhere
    metal.setColorAt(0.0, Rgba(s.light, 150));
    metal.setColorAt(0.35, Rgba(s.dark, 90));
    metal.setColorAt(0.65, Rgba(s.light, 150));
    metal.setColorAt(1.0, Rgba(s.dark, 90));
  }
  p.setBrush(metal);
  p.setPen(Edge(s.dark, 200, 1));
  p.drawPath(ring);

  switch (variant % 5) {
    case 1: {  // a second, thinner line inside
      p.setBrush(Qt::NoBrush);
      p.setPen(Edge(s.dark, 220, 1.5));
      const QRectF second = inner.adjusted(3, 3, -3, -3);
      p.drawRoundedRect(second, 4, 4);
      break;
    }
    case 2: {  // grain and brass studs in the corners
      p.setPen(Edge(0x3A1A00, 60, 1));
      for (double y = 3; y < h - 2; y += 3) p.drawLine(QPointF(2, y), QPointF(1 + s.thickness, y));
      for (double y = 3; y < h - 2; y += 3)
        p.drawLine(QPointF(w - 1 - s.thickness, y), QPointF(w - 2, y));
      QRadialGradient brass(QPointF(0, 0), 6);
      p.setPen(Edge(0x6A4A00, 220, 1));
      for (const QPointF corner :
           {QPointF(5, 5), QPointF(w - 5, 5), QPointF(5, h - 5), QPointF(w - 5, h - 5)}) {
        brass.setCenter(corner);
        brass.setFocalPoint(corner - QPointF(1.5, 1.5));
        brass.setColorAt(0, Rgba(0xFFF0A0, 255));
        brass.setColorAt(1, Rgba(0xB08010, 255));
        p.setBrush(brass);
        p.drawEllipse(corner, 5, 5);
      }
      break;
    }
    case 4: {  // a highlight along the top of the glass
      p.setBrush(Qt::NoBrush);
      p.setPen(Edge(0xFFFFFF, 170, 1.5));
      p.drawLine(QPointF(s.radius, 3), QPointF(w - s.radius, 3));
      break;
    }
    default:
      break;
  }
}

}  // namespace

QImage DrawPicture(Shape shape, int variant, QSize size) {
  QImage image(size, QImage::Format_ARGB32_Premultiplied);
  image.setDotsPerMeterX(kDotsPerMeter);
  image.setDotsPerMeterY(kDotsPerMeter);
  image.fill(Qt::transparent);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  const double w = size.width(), h = size.height();
  switch (shape) {
    case Shape::Cloud:
      DrawCloud(p, w, h, variant);
      break;
    case Shape::Wave:
      DrawWave(p, w, h, variant);
      break;
    case Shape::Drop:
      DrawDrop(p, w, h);
      break;
    case Shape::Badge:
      DrawBadge(p, w, h);
      break;
    case Shape::Star:
      DrawStar(p, w, h);
      break;
    case Shape::Shield:
      DrawShield(p, w, h);
      break;
    case Shape::Leaf:
      DrawLeaf(p, w, h, variant);
      break;
    case Shape::Ribbon:
      DrawRibbon(p, w, h, variant);
      break;
    case Shape::Frame:
      DrawFrame(p, w, h, variant);
      break;
  }
  p.end();
  // PNG stores straight alpha; converting here keeps the writer from doing it
  // behind our back with a rounding of its own.
  return image.convertToFormat(QImage::Format_ARGB32);
}

QImage DrawCheckerTexture(int square) {
  QImage image(2 * square, 2 * square, QImage::Format_ARGB32);
  image.setDotsPerMeterX(kDotsPerMeter);
  image.setDotsPerMeterY(kDotsPerMeter);
  const QRgb light = qRgb(0xE6, 0xE6, 0xE6), dark = qRgb(0xB3, 0xB3, 0xB3);
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      image.setPixel(x, y, ((x / square + y / square) % 2 == 0) ? light : dark);
  return image;
}

}  // namespace qm::democat
