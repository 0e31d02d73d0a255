#include "render/AppIcon.h"

#include <QFont>
#include <QIconEngine>
#include <QLinearGradient>
#include <QPainter>
#include <QPen>
#include <QPixmap>
#include <QThread>
#include <algorithm>
#include <memory>
#include <utility>

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

namespace {

// Draws the icon when it is asked for and keeps nothing: a window hands its
// icon's sizes to the window system once, and pictures kept for that would
// stay with the program for as long as it runs (a third of a megabyte).
class AppIconEngine final : public QIconEngine {
 public:
  explicit AppIconEngine(AppIconShapes shapes) : shapes_(std::move(shapes)) {}
  QIconEngine* clone() const override { return new AppIconEngine(shapes_); }
  QString key() const override { return QStringLiteral("qm-app-icon"); }
  QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override {
    QList<QSize> sizes;
    for (const int side : {16, 24, 32, 48, 64, 128, 256}) sizes << QSize(side, side);
    return sizes;
  }
  QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override {
    const int side = std::min(size.width(), size.height());
    return QSize(side, side);
  }
  QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
    return QPixmap::fromImage(AppIconImage(actualSize(size, mode, state).width(), shapes_));
  }
  void paint(QPainter* painter, const QRect& rect, QIcon::Mode, QIcon::State) override {
    const int side = std::min(rect.width(), rect.height());
    const qreal dpr = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
    QImage image = AppIconImage(qRound(side * dpr), shapes_);
    image.setDevicePixelRatio(dpr);
    painter->drawImage(
        QPointF(rect.x() + (rect.width() - side) / 2.0, rect.y() + (rect.height() - side) / 2.0),
        image);
  }

 private:
  AppIconShapes shapes_;
};

}  // namespace

QIcon AppIcon() {
  // The text's outline is taken in a thread of its own: the face it comes
  // from, its tables and the font file's pages stay with the thread that
  // loaded them, and this one ends here. In the window's thread they would
  // stay for the program's life (half a megabyte) for one drawing.
  AppIconShapes shapes;
  std::unique_ptr<QThread> outline(QThread::create([&shapes] { shapes = MakeAppIconShapes(); }));
  outline->start();
  outline->wait();
  return QIcon(new AppIconEngine(std::move(shapes)));
}

}  // namespace qm::render
