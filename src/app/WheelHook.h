#pragma once
// The window's own wheel handling, in front of Qt's: every wheel notch over
// the watched window goes to a handler with the pointer's global position,
// before any control sees it; notches the handler takes are consumed, so no
// control steps a second time, and the others go on to Qt's normal handling.
//
// It watches events at the application level but acts only on those that
// reach the window itself, which the window system delivers once per wheel
// event (a control's copy of the event is seen again for every parent it is
// passed on to, and would count one notch several times).

#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QWidget>
#include <functional>

#include "platform/WheelNotches.h"

namespace qm {

class WheelHook : public QObject {
  Q_OBJECT
 public:
  // `over(global)` says whether the handler takes notches at that place;
  // `scroll(direction, global)` handles one notch (+1 away from the user).
  WheelHook(QWidget* window, std::function<bool(const QPoint&)> over,
            std::function<void(int, const QPoint&)> scroll);
  ~WheelHook() override;

  // Installs (true) or removes (false) the handling.
  void HookWheel(bool bOn);
  bool Hooked() const { return hooked_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QPointer<QWidget> window_;
  std::function<bool(const QPoint&)> over_;
  std::function<void(int, const QPoint&)> scroll_;
  platform::WheelNotches notches_;
  bool hooked_ = false;
};

}  // namespace qm
