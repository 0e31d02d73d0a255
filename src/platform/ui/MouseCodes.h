#pragma once
// The classic mouse codes the handlers take: buttons 1 left, 2 right,
// 4 middle (0 for any other); shift bits 1 Shift, 2 Ctrl, 4 Alt.

#include <Qt>

namespace qm::ui {

inline int ButtonCode(Qt::MouseButton button) {
  switch (button) {
    case Qt::LeftButton:
      return 1;
    case Qt::RightButton:
      return 2;
    case Qt::MiddleButton:
      return 4;
    default:
      return 0;
  }
}

inline int ShiftCode(Qt::KeyboardModifiers modifiers) {
  int shift = 0;
  if (modifiers & Qt::ShiftModifier) shift |= 1;
  if (modifiers & Qt::ControlModifier) shift |= 2;
  if (modifiers & Qt::AltModifier) shift |= 4;
  return shift;
}

}  // namespace qm::ui
