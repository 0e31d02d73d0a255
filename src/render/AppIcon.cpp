#include "render/AppIcon.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPen>
#include <QPixmap>
#include <algorithm>

namespace qm::render {

AppIconShapes MakeAppIconShapes() {
  AppIconShapes s;
  const qreal side = AppIconShapes::kSide;
  s.ground.addRoundedRect(QRectF(8, 8, side - 16, side - 16), 44, 44);
  s.skyTop = QPointF(0, 8);
  s.skyBottom = QPointF(0, side - 8);
  s.skyTopColour = QColor(0x5a, 0xa9, 0xe6);
  s.skyBottomColour = QColor(0x1d, 0x4f, 0x91);
  s.sun.addEllipse(QPointF(192, 68), 28, 28);
  s.sunColour = QColor(0xff, 0xd7, 0x5e);

  QPainterPath hill;
  hill.moveTo(0, 186);
  hill.cubicTo(70, 150, 150, 222, side, 174);
  hill.lineTo(side, side);
  hill.lineTo(0, side);
  hill.closeSubpath();
  s.hills = hill.intersected(s.ground);
  s.hillColour = QColor(0x2e, 0x7d, 0x4f);

  // A bold sans that every desktop of ours has; the path is scaled to a
  // fixed box, so another family still fills the same place.
  QFont font(QStringLiteral("DejaVu Sans"));
  font.setBold(true);
  font.setPixelSize(200);
  font.setHintingPreference(QFont::PreferNoHinting);
  font.setKerning(false);
  QPainterPath text;
  text.setFillRule(Qt::WindingFill);
  text.addText(0, 0, font, QStringLiteral("+38\u00B0"));
  const QRectF box = text.boundingRect();
  const QRectF target(26, 78, side - 52, 100);
  const qreal scale = std::min(target.width() / box.width(), target.height() / box.height());
  QTransform t;
  t.translate(target.center().x(), target.center().y());
  t.scale(scale, scale);
  t.translate(-box.center().x(), -box.center().y());
  s.text = t.map(text);
  s.borderColour = QColor(0x0b, 0x21, 0x46);
  s.borderWidth = 16;
  s.textColour = Qt::white;
  return s;
}

QImage AppIconImage(int side, const AppIconShapes& s) {
  QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  if (side <= 0) return image;
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.scale(side / AppIconShapes::kSide, side / AppIconShapes::kSide);
  QLinearGradient sky(s.skyTop, s.skyBottom);
  sky.setColorAt(0, s.skyTopColour);
  sky.setColorAt(1, s.skyBottomColour);
  p.fillPath(s.ground, sky);
  p.fillPath(s.sun, s.sunColour);
  p.fillPath(s.hills, s.hillColour);
  QPen border(s.borderColour, s.borderWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
  p.strokePath(s.text, border);
  p.fillPath(s.text, s.textColour);
  return image;
}

QIcon AppIcon() {
  const AppIconShapes shapes = MakeAppIconShapes();
  QIcon icon;
  for (const int side : {16, 24, 32, 48, 64, 128, 256})
    icon.addPixmap(QPixmap::fromImage(AppIconImage(side, shapes)));
  return icon;
}

}  // namespace qm::render
