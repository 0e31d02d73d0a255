#pragma once
// The order in which Tab visits a page's controls.

#include <QWidget>
#include <initializer_list>

namespace qm::ui {

// Tab visits `widgets` one after another, first to last. Widgets that are
// not named keep their places behind the last one named; hidden or disabled
// ones are passed over by Tab as usual.
inline void SetTabOrder(std::initializer_list<QWidget*> widgets) {
  QWidget* previous = nullptr;
  for (QWidget* w : widgets) {
    if (previous) QWidget::setTabOrder(previous, w);
    previous = w;
  }
}

// A box that only shows a number: the mouse may still select its text, but
// Tab passes it by.
inline void NoTabStop(QWidget* w) { w->setFocusPolicy(Qt::ClickFocus); }

}  // namespace qm::ui
