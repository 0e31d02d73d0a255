#include "platform/ui/HoverFocus.h"

#include <QAbstractScrollArea>
#include <QEvent>
#include <QGuiApplication>

namespace qm::ui {

void HoverFocus::Add(QWidget* over, QWidget* target) {
  over->setMouseTracking(true);
  over->installEventFilter(this);
  pairs_.emplace_back(over, target);
  // A list reports moves on its viewport, not on itself.
  if (auto* area = qobject_cast<QAbstractScrollArea*>(over)) {
    area->viewport()->setMouseTracking(true);
    area->viewport()->installEventFilter(this);
    pairs_.emplace_back(area->viewport(), target);
  }
}

bool HoverFocus::eventFilter(QObject* watched, QEvent* event) {
  const auto active = [this] {
    return isActive_ ? isActive_() : QGuiApplication::applicationState() == Qt::ApplicationActive;
  };
  if (event->type() == QEvent::MouseMove && active()) {
    for (const auto& [over, target] : pairs_) {
      // A box the user clicked into to type keeps the focus while the
      // pointer moves over it.
      const bool typingHere =
          over != target && over->isWidgetType() && static_cast<QWidget*>(over)->hasFocus();
      if (watched == over && !typingHere && target->isEnabled() && target->isVisible())
        target->setFocus();
    }
  }
  return QObject::eventFilter(watched, event);
}

}  // namespace qm::ui
