#include "render/PictureBox.h"

#include <QPainter>
#include <QtMath>
#include <algorithm>
#include <cmath>
#include <utility>

namespace qm::render {

int DeviceLength(int logical, qreal dpr) {
  if (logical <= 0) return 0;
  if (!(dpr > 0) || !std::isfinite(dpr)) dpr = 1.0;
  const qreal d = std::ceil(logical * dpr - 1e-9);
  return d > 1 << 20 ? 1 << 20 : static_cast<int>(d);
}

PictureBox::PictureBox(int logicalWidth, int logicalHeight, const QColor& back, qreal dpr)
    : backColor(back), devicePixelRatio(dpr) {
  resizeLogical(logicalWidth, logicalHeight);
}

QSize PictureBox::logicalSize() const { return logical_; }

bool PictureBox::resizeLogical(int width, int height) {
  if (!(devicePixelRatio > 0) || !std::isfinite(devicePixelRatio)) devicePixelRatio = 1.0;
  const int w = qMax(0, width);
  const int h = qMax(0, height);
  const int dw = DeviceLength(w, devicePixelRatio);
  const int dh = DeviceLength(h, devicePixelRatio);
  if (dw == 0 || dh == 0) {
    image = QImage();
    logical_ = QSize(w, h);
    return true;
  }
  QImage next(dw, dh, QImage::Format_ARGB32_Premultiplied);
  if (next.isNull()) {
    image = QImage();
    logical_ = QSize();
    return false;
  }
  next.setDevicePixelRatio(devicePixelRatio);
  // Moved, not copied: a second reference would make the fill below copy
  // the whole image before painting over it.
  image = std::move(next);
  logical_ = QSize(w, h);
  clear();
  return true;
}

QRect PictureBox::client() const {
  const QRect all(QPoint(0, 0), logical_);
  if (!border) return all;
  const QRect inner = all.adjusted(kBorderWidth, kBorderWidth, -kBorderWidth, -kBorderWidth);
  return inner.isValid() ? inner : QRect(kBorderWidth, kBorderWidth, 0, 0);
}

void PictureBox::clear() {
  if (image.isNull()) return;
  image.fill(backColor);
  if (!border || borderless) return;
  // The classic sunken edge in fixed colours, so that every box, on screen
  // or drawn by a tool, looks the same whatever the style: the outer line
  // shadow above and left, light below and right; the inner line dark
  // shadow above and left, the face colour below and right.
  const int w = logical_.width();
  const int h = logical_.height();
  if (devicePixelRatio == 1.0 && w >= 4 && h >= 4 && image.width() == w && image.height() == h) {
    // One device pixel per logical one: the lines are written straight into
    // the rows, which costs less than setting up a painter for eight lines
    // (every thumbnail of every paint has them).
    const auto line = [this](int x, int y, int lw, int lh, QRgb c) {
      for (int row = y; row < y + lh; ++row) {
        auto* px = reinterpret_cast<QRgb*>(image.scanLine(row)) + x;
        std::fill(px, px + lw, c);
      }
    };
    DrawEdge(w, h, line);
    return;
  }
  QPainter p(&image);
  const auto line = [&p](int x, int y, int lw, int lh, QRgb c) {
    p.fillRect(x, y, lw, lh, QColor(c));
  };
  DrawEdge(w, h, line);
}

template <typename Line>
void PictureBox::DrawEdge(int w, int h, const Line& line) {
  line(0, 0, w - 1, 1, 0xFF808080);
  line(0, 0, 1, h - 1, 0xFF808080);
  line(0, h - 1, w, 1, 0xFFFFFFFF);
  line(w - 1, 0, 1, h, 0xFFFFFFFF);
  line(1, 1, w - 3, 1, 0xFF404040);
  line(1, 1, 1, h - 3, 0xFF404040);
  line(1, h - 2, w - 2, 1, 0xFFD4D0C8);
  line(w - 2, 1, 1, h - 2, 0xFFD4D0C8);
}

}  // namespace qm::render
