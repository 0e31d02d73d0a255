#include "platform/ui/ClassicScrollBar.h"

#include <QKeyEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QWheelEvent>
#include <algorithm>

namespace qm::ui {

ClassicScrollBar::ClassicScrollBar(Qt::Orientation orientation, QWidget* parent)
    : QScrollBar(orientation, parent) {
  setTracking(true);
  // Qt's scroll bars take no focus at all; a slider the keyboard cannot reach
  // cannot be stepped with the arrow keys, nor reset with the tone page's keys.
  setFocusPolicy(Qt::StrongFocus);
  QScrollBar::setRange(0, 32767);
  // Scroll is raised from the value change, not from Qt's sliderMoved: that
  // comes before the value follows the thumb, and a handler would read the
  // position the thumb has just left.
  connect(this, &QAbstractSlider::valueChanged, this, [this] {
    if (isSliderDown()) {
      movedWhileHeld_ = true;
      Q_EMIT Scroll();
      return;
    }
    Q_EMIT Change();
  });
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

void ClassicScrollBar::keyPressEvent(QKeyEvent* event) {
  // Whatever the orientation and the order of the ends: Left and Up step
  // toward Min, Right and Down toward Max; the page keys take a large step,
  // Home and End go to the ends.
  const auto toward = [this](bool max, int step) {
    const int dir = (max_ >= min_) == max ? 1 : -1;
    SetValue(Value() + dir * step);
  };
  switch (event->key()) {
    case Qt::Key_Left:
    case Qt::Key_Up:
      toward(false, SmallChange());
      break;
    case Qt::Key_Right:
    case Qt::Key_Down:
      toward(true, SmallChange());
      break;
    case Qt::Key_PageUp:
      toward(false, LargeChange());
      break;
    case Qt::Key_PageDown:
      toward(true, LargeChange());
      break;
    case Qt::Key_Home:
      SetValue(min_);
      break;
    case Qt::Key_End:
      SetValue(max_);
      break;
    default:
      QScrollBar::keyPressEvent(event);
      return;
  }
  event->accept();
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

QRect ClassicScrollBar::ThumbRect() const {
  QStyleOptionSlider opt;
  initStyleOption(&opt);
  return style()->subControlRect(QStyle::CC_ScrollBar, &opt, QStyle::SC_ScrollBarSlider, this);
}

void ClassicScrollBar::paintEvent(QPaintEvent* event) {
  QScrollBar::paintEvent(event);
  if (!hasFocus()) return;
  // Styles differ in whether they mark a focused scroll bar at all (Fusion
  // does not), so the mark is our own: a dotted frame inside the thumb, in
  // the text colour, which shows on any thumb colour the style chooses.
  QRect thumb = ThumbRect();
  if (thumb.width() < 6 || thumb.height() < 6) thumb = rect();
  QPainter p(this);
  p.setPen(QPen(palette().color(QPalette::WindowText), 1, Qt::DotLine));
  p.setBrush(Qt::NoBrush);
  p.drawRect(thumb.adjusted(2, 2, -3, -3));
}

}  // namespace qm::ui
