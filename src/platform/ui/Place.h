#pragma once
#include <QWidget>

namespace qm::ui {

// Pages are designed on a fixed pixel grid, like the forms they replace.
template <typename W>
W* Place(W* w, int x, int y, int width, int height) {
  w->setGeometry(x, y, width, height);
  return w;
}

}  // namespace qm::ui

namespace qm::ui {

// Moves every direct child down by dy pixels: the page frames sit a few pixels
// above their container, and the designed contents start below that edge.
inline void ShiftChildren(QWidget* parent, int dy) {
  for (QObject* o : parent->children())
    if (auto* w = qobject_cast<QWidget*>(o)) w->move(w->x(), w->y() + dy);
}

}  // namespace qm::ui
