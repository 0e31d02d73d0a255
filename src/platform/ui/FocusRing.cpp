#include "platform/ui/FocusRing.h"

#include <QApplication>
#include <QEvent>
#include <QPainter>

namespace qm::ui {

FocusRing::FocusRing(QWidget* window) : QWidget(window) {
  setObjectName(QStringLiteral("focusRing"));
  setAttribute(Qt::WA_TransparentForMouseEvents);
  setFocusPolicy(Qt::NoFocus);
  hide();
  connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) { Follow(now); });
}

void FocusRing::Follow(QWidget* now) {
  QWidget* window = parentWidget();
  const bool ours = now && now != window && window->isAncestorOf(now);
  if (target_ != now) {
    Track(false);
    target_ = ours ? now : nullptr;
    Track(true);
  }
  Reposition();
}

// The ring must move when the control or anything that holds it moves (the
// gallery scrolls its strip, not the thumbnails in it), and go when it hides.
void FocusRing::Track(bool on) {
  for (QWidget* w = target_; w && w != parentWidget(); w = w->parentWidget()) {
    if (on)
      w->installEventFilter(this);
    else
      w->removeEventFilter(this);
  }
}

bool FocusRing::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::Move:
    case QEvent::Resize:
    case QEvent::Show:
    case QEvent::Hide:
      Reposition();
      break;
    default:
      break;
  }
  return QWidget::eventFilter(watched, event);
}

void FocusRing::Reposition() {
  if (!target_ || !target_->isVisible()) {
    hide();
    return;
  }
  // One pixel of the ground between the control and the band keeps the band
  // apart from a control edge of the same colour.
  const int m = kBand + 1;
  const QRect at(target_->mapTo(parentWidget(), QPoint(0, 0)), target_->size());
  setGeometry(at.adjusted(-m, -m, m, m));
  raise();
  show();
  update();
}

void FocusRing::paintEvent(QPaintEvent*) {
  QPainter p(this);
  const QColor band = palette().color(QPalette::Active, QPalette::Highlight);
  const QRect r = rect();
  p.fillRect(QRect(r.left(), r.top(), r.width(), kBand), band);
  p.fillRect(QRect(r.left(), r.bottom() - kBand + 1, r.width(), kBand), band);
  p.fillRect(QRect(r.left(), r.top(), kBand, r.height()), band);
  p.fillRect(QRect(r.right() - kBand + 1, r.top(), kBand, r.height()), band);
}

}  // namespace qm::ui
