#include "app/WheelHook.h"

#include <QApplication>
#include <QWheelEvent>
#include <QWindow>

namespace qm {

WheelHook::WheelHook(QWidget* window, std::function<bool(const QPoint&)> over,
                     std::function<void(int, const QPoint&)> scroll)
    : window_(window), over_(std::move(over)), scroll_(std::move(scroll)) {}

WheelHook::~WheelHook() { HookWheel(false); }

void WheelHook::HookWheel(bool bOn) {
  if (bOn == hooked_ || !qApp) return;
  hooked_ = bOn;
  if (bOn)
    qApp->installEventFilter(this);
  else
    qApp->removeEventFilter(this);
}

bool WheelHook::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::Wheel || !window_ || watched != window_->windowHandle())
    return false;
  auto* wheel = static_cast<QWheelEvent*>(event);
  const int delta = wheel->angleDelta().y();
  if (delta == 0) return false;  // a sideways tilt is left to the controls
  const QPoint global = wheel->globalPosition().toPoint();
  if (!over_(global)) return false;
  // Parts of a notch are kept until they make a whole one.
  const int notches = notches_.Add(delta);
  const int direction = notches > 0 ? 1 : -1;
  for (int i = 0; i < std::abs(notches); ++i) scroll_(direction, global);
  wheel->accept();
  return true;
}

}  // namespace qm
