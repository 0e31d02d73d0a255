#pragma once
// What the window asks of each page of the editor: to show a look, which of
// its controls the mouse wheel steps, and the order Tab visits them in. The
// window keeps a list of pages and asks each in turn, so a page is added
// without the window naming its controls.

#include <QList>
#include <QWidget>
#include <functional>
#include <vector>

#include "stamp/StampParams.h"

namespace qm {

namespace ui {
class ClassicScrollBar;
}

class EditorPage : public QWidget {
  Q_OBJECT
 public:
  using QWidget::QWidget;

  // Shows a look on the page's controls while the window fills them: their
  // handlers show the values and send nothing.
  virtual void ShowParams(const stamp::StampParams& p) { Q_UNUSED(p); }
  // Then, once the window is done filling, the controls whose values reach
  // the host again whenever a look is shown (their handlers send them).
  virtual void ShowSentParams(const stamp::StampParams& p) { Q_UNUSED(p); }

  // A place on the page where a wheel notch acts: the pointer over `over`
  // runs `step` with +1 for a notch away from the user, -1 toward.
  struct WheelRow {
    const QWidget* over;
    std::function<void(int notch)> step;
  };
  // The rows in the order they are tried; the first the pointer is over wins.
  virtual std::vector<WheelRow> WheelRows() { return {}; }
  // A row that steps `slider` by its small change: away from the user a
  // vertical thumb goes up (toward Min), a horizontal one right (toward Max).
  static WheelRow SliderRow(const QWidget* over, ui::ClassicScrollBar* slider);

  // The controls Tab visits, first to last; the others keep their places
  // behind the last one named.
  virtual QList<QWidget*> TabOrder() const { return {}; }
  // Puts TabOrder() into effect.
  void SetTabOrder() const;
};

}  // namespace qm
