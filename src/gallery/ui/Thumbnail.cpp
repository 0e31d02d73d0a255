#include "gallery/ui/Thumbnail.h"

#include <QPainter>

namespace qm {

Thumbnail::Thumbnail(int index, QWidget* parent) : QWidget(parent), index_(index) {
  setObjectName(QStringLiteral("pic_%1").arg(index));
  setFocusPolicy(Qt::StrongFocus);
}

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

}  // namespace qm
