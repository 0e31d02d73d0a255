#pragma once
// One wheel event delivered to a window as the window system delivers it:
// to the window itself, which hands it to the control under the pointer.
#include <QCoreApplication>
#include <QWheelEvent>
#include <QWidget>
#include <QWindow>

namespace qm::test {

// `delta` units (+120: one notch away from the user) with the pointer at `at`
// on `over` (its centre by default); `angle` replaces the vertical delta when
// given. True when something took the event.
inline bool TurnWheel(QWidget* window, QWidget* over, int delta, QPoint at = {-1, -1},
                      QPoint angle = {}) {
  if (at == QPoint(-1, -1)) at = over->rect().center();
  const QPointF global = over->mapToGlobal(QPointF(at));
  QWindow* win = window->windowHandle();
  QWheelEvent e(win->mapFromGlobal(global), global, QPoint(),
                angle.isNull() ? QPoint(0, delta) : angle, Qt::NoButton, Qt::NoModifier,
                Qt::NoScrollPhase, false);
  e.setAccepted(false);
  QCoreApplication::sendEvent(win, &e);
  return e.isAccepted();
}

}  // namespace qm::test
