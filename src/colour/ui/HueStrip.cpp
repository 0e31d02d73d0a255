#include "colour/ui/HueStrip.h"

#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "colour/ColourEditor.h"
#include "platform/ui/MouseCodes.h"
#include "stamp/ColourOrder.h"

namespace qm {

HueStrip::HueStrip(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  setCursor(Qt::CrossCursor);
}

const QImage& HueStrip::Picture() {
  const qreal dpr = devicePixelRatioF();
  const QSize device(std::max(1, static_cast<int>(std::lround(width() * dpr))),
                     std::max(1, static_cast<int>(std::lround(height() * dpr))));
  if (picture_.size() == device && picture_.devicePixelRatio() == dpr) return picture_;
  // Every device column takes the colour of the logical column it lies in, so
  // the strip shows the same colours at any ratio and no column is blurred.
  QImage img(device, QImage::Format_RGB32);
  QRgb* row = reinterpret_cast<QRgb*>(img.scanLine(0));
  for (int d = 0; d < device.width(); ++d) {
    const int x = std::clamp(static_cast<int>((d + 0.5) / dpr), 0, width() - 1);
    const stamp::Rgb c = colour::HueStripColour(x, std::max(1, width()));
    row[d] = qRgb(c.r, c.g, c.b);
  }
  for (int y = 1; y < device.height(); ++y)
    std::copy(row, row + device.width(), reinterpret_cast<QRgb*>(img.scanLine(y)));
  img.setDevicePixelRatio(dpr);
  picture_ = img;
  return picture_;
}

std::int32_t HueStrip::Point(int x, int y) {
  const QImage& img = Picture();
  const qreal dpr = img.devicePixelRatio();
  // The device pixel at the middle of the logical pixel.
  const int dx = std::clamp(static_cast<int>((x + 0.5) * dpr), 0, img.width() - 1);
  const int dy = std::clamp(static_cast<int>((y + 0.5) * dpr), 0, img.height() - 1);
  const QRgb c = img.pixel(dx, dy);
  return stamp::JoinColour(qRed(c), qGreen(c), qBlue(c));
}

void HueStrip::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.drawImage(QPointF(0, 0), Picture());
}

namespace {

QPoint Logical(const QMouseEvent* e) {
  return QPoint(static_cast<int>(std::floor(e->position().x())),
                static_cast<int>(std::floor(e->position().y())));
}

}  // namespace

void HueStrip::mousePressEvent(QMouseEvent* event) {
  event->accept();
  const QPoint at = Logical(event);
  Q_EMIT MouseDown(ui::ButtonCode(event->button()), ui::ShiftCode(event->modifiers()), at.x(),
                   at.y());
}

void HueStrip::mouseMoveEvent(QMouseEvent* event) {
  event->accept();
  const QPoint at = Logical(event);
  // The buttons held, as the classic move event reports them.
  int buttons = 0;
  for (Qt::MouseButton b : {Qt::LeftButton, Qt::RightButton, Qt::MiddleButton})
    if (event->buttons() & b) buttons |= ui::ButtonCode(b);
  Q_EMIT MouseMove(buttons, ui::ShiftCode(event->modifiers()), at.x(), at.y());
}

void HueStrip::mouseReleaseEvent(QMouseEvent* event) {
  event->accept();
  const QPoint at = Logical(event);
  Q_EMIT MouseUp(ui::ButtonCode(event->button()), ui::ShiftCode(event->modifiers()), at.x(),
                 at.y());
}

void HueStrip::mouseDoubleClickEvent(QMouseEvent* event) {
  // The second press of a double click is no new press, as with a classic
  // picture box; its release still ends a drag.
  event->accept();
}

}  // namespace qm
