#include "platform/ui/ClassicScrollBar.h"

#include <QWheelEvent>
#include <algorithm>

namespace qm::ui {

ClassicScrollBar::ClassicScrollBar(Qt::Orientation orientation, QWidget* parent)
    : QScrollBar(orientation, parent) {
  setTracking(true);
  QScrollBar::setRange(0, 32767);
  connect(this, &QAbstractSlider::valueChanged, this, [this] {
    if (isSliderDown()) {
      movedWhileHeld_ = true;
      return;
    }
    Q_EMIT Change();
  });
  connect(this, &QAbstractSlider::sliderMoved, this, [this] { Q_EMIT Scroll(); });
  connect(this, &QAbstractSlider::sliderPressed, this, [this] { movedWhileHeld_ = false; });
  connect(this, &QAbstractSlider::sliderReleased, this, [this] {
    if (movedWhileHeld_) {
      movedWhileHeld_ = false;
      Q_EMIT Change();
    }
  });
}

void ClassicScrollBar::SetRange(int min, int max) {
  const int v = Value();
  min_ = min;
  max_ = max;
  // Setting the range is part of building a control: the value it may move is
  // not a user's change and raises no Change.
  const QSignalBlocker block(this);
  QScrollBar::setRange(std::min(min, max), std::max(min, max));
  setValue(ToQt(std::clamp(v, std::min(min, max), std::max(min, max))));
}

int ClassicScrollBar::Value() const { return FromQt(value()); }

void ClassicScrollBar::SetValue(int v) {
  v = std::clamp(v, std::min(min_, max_), std::max(min_, max_));
  setValue(ToQt(v));
}

void ClassicScrollBar::LineStep(bool towardMax) {
  const int dir = (max_ >= min_) == towardMax ? 1 : -1;
  SetValue(Value() + dir * SmallChange());
}

void ClassicScrollBar::wheelEvent(QWheelEvent* event) {
  // One notch (120 units) is one small step. Away from the user moves a vertical
  // thumb up (toward Min) and a horizontal thumb right (toward Max).
  int delta = event->angleDelta().y();
  if (delta == 0) delta = event->angleDelta().x();
  wheelRemainder_ += delta;
  while (wheelRemainder_ >= 120) {
    wheelRemainder_ -= 120;
    LineStep(orientation() == Qt::Horizontal);
  }
  while (wheelRemainder_ <= -120) {
    wheelRemainder_ += 120;
    LineStep(orientation() != Qt::Horizontal);
  }
  event->accept();
}

}  // namespace qm::ui
