#include "pages/ui/EditorPage.h"

#include "platform/ui/ClassicScrollBar.h"

namespace qm {

EditorPage::WheelRow EditorPage::SliderRow(const QWidget* over, ui::ClassicScrollBar* slider) {
  return {over, [slider](int notch) {
            const bool away = notch > 0;
            slider->LineStep(slider->orientation() == Qt::Vertical ? !away : away);
          }};
}

void EditorPage::SetTabOrder() const {
  QWidget* previous = nullptr;
  for (QWidget* w : TabOrder()) {
    if (previous) QWidget::setTabOrder(previous, w);
    previous = w;
  }
}

}  // namespace qm
