#include "gallery/ui/Thumbnail.h"

#include <QMouseEvent>
#include <QPainter>

#include "platform/ui/MouseCodes.h"

namespace qm {

Thumbnail::Thumbnail(int index, QWidget* parent) : QWidget(parent), index_(index) {
  setObjectName(QStringLiteral("pic_%1").arg(index));
  setFocusPolicy(Qt::StrongFocus);
  // Mouse-over focus needs moves without a button held.
  setMouseTracking(true);
}

int Thumbnail::ButtonCode(Qt::MouseButton button) { return ui::ButtonCode(button); }

int Thumbnail::ShiftCode(Qt::KeyboardModifiers modifiers) { return ui::ShiftCode(modifiers); }

void Thumbnail::SetImage(const QImage& image) {
  image_ = image;
  update();
}

void Thumbnail::SetBackColor(const QColor& c) {
  back_ = c;
  update();
}

void Thumbnail::Clear() {
  image_ = QImage();
  update();
}

void Thumbnail::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), back_);
  if (!image_.isNull()) p.drawImage(QPointF(0, 0), image_);
  if (hasFocus()) {
    p.setPen(QPen(palette().highlight().color(), 1, Qt::DotLine));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
  }
}

void Thumbnail::mousePressEvent(QMouseEvent* event) {
  event->accept();
  Q_EMIT MouseDown(index_, ButtonCode(event->button()), ShiftCode(event->modifiers()));
}

void Thumbnail::mouseDoubleClickEvent(QMouseEvent* event) {
  // The second press of a double click is no new MouseDown: a template is
  // applied (or overwritten) once.
  event->accept();
}

void Thumbnail::mouseMoveEvent(QMouseEvent* event) {
  event->accept();
  Q_EMIT MouseMove(index_);
}

void Thumbnail::focusInEvent(QFocusEvent* event) {
  QWidget::focusInEvent(event);
  update();  // the focus mark
}

void Thumbnail::focusOutEvent(QFocusEvent* event) {
  QWidget::focusOutEvent(event);
  update();
}

}  // namespace qm
