#include "platform/ui/Swatch.h"

namespace qm {

Swatch::Swatch(QWidget* parent) : QFrame(parent) {
  setFrameShape(QFrame::Box);
  setAutoFillBackground(true);
  SetBackColor(bgr_);
}

void Swatch::SetBackColor(std::int32_t bgr) {
  bgr_ = bgr & 0xFFFFFF;
  QPalette p = palette();
  p.setColor(QPalette::Window, QColor(bgr_ & 0xFF, (bgr_ >> 8) & 0xFF, (bgr_ >> 16) & 0xFF));
  setPalette(p);
}

}  // namespace qm
