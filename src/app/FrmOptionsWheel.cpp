// The window's wheel routing: which control a notch at a screen place steps.
// The gallery comes first on every page; then the rows of the page that is
// open, as the page lists them. A slider steps through its own classic
// adapter, so its change handler runs and sends as for a click on its arrow.

#include "app/FrmOptions.h"
#include "app/WheelHook.h"
#include "gallery/ui/GalleryArea.h"
#include "pages/ui/EditorPage.h"
#include "platform/WheelNotches.h"

namespace qm {

bool FrmOptions::IsOver(const QWidget* w, int lX, int lY) {
  return platform::IsOverRect(QRect(w->mapToGlobal(QPoint(0, 0)), w->size()), QPoint(lX, lY));
}

std::function<void(int notch)> FrmOptions::WheelRouteAt(int lX, int lY) const {
  if (IsOver(gallery_->framPic[0], lX, lY)) {
    // A gallery that fits shows no scroll bar and does not move.
    ui::ClassicScrollBar* bar = gallery_->scrlPic;
    return [bar, step = EditorPage::SliderRow(nullptr, bar).step](int notch) {
      if (bar->isVisible()) step(notch);
    };
  }
  for (EditorPage* page : framMenu_) {
    if (!page->isVisible()) continue;
    for (EditorPage::WheelRow& row : page->WheelRows())
      if (IsOver(row.over, lX, lY)) return std::move(row.step);
    return {};
  }
  return {};
}

bool FrmOptions::WheelTakes(int lX, int lY) const { return bool(WheelRouteAt(lX, lY)); }

bool FrmOptions::MouseScroll(int ScrlDirect, int lX, int lY) {
  const std::function<void(int)> step = WheelRouteAt(lX, lY);
  if (!step) return false;
  step(ScrlDirect > 0 ? 1 : -1);
  return true;
}

}  // namespace qm
