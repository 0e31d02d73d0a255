#include "render/PictureBox.h"

#include <QtMath>
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

void PictureBox::clear() {
  if (!image.isNull()) image.fill(backColor);
}

}  // namespace qm::render
