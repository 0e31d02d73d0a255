#include "platform/ui/Swatch.h"

namespace qm {

QColor ColourFromBgr(std::int32_t bgr) {
  return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF);
}

Swatch::Swatch(QWidget* parent) : QFrame(parent) {
  setFrameShape(QFrame::Box);
  setAutoFillBackground(true);
  SetBackColor(bgr_);
}

void Swatch::SetBackColor(std::int32_t bgr) {
  bgr_ = bgr & 0xFFFFFF;
  QPalette p = palette();
  p.setColor(QPalette::Window, ColourFromBgr(bgr_));
  setPalette(p);
}

}  // namespace qm
