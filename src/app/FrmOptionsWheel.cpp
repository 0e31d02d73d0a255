// The window's wheel routing: which control a notch at a screen place steps.
// The gallery comes first on every page; then the rows of the page that is
// open. A slider steps through its own classic adapter, so its change handler
// runs and sends as for a click on its arrow.

#include "app/FrmOptions.h"
#include "app/WheelHook.h"
#include "colour/ui/ColourPage.h"
#include "colour/ui/HueStrip.h"
#include "colour/ui/TonePage.h"
#include "gallery/ui/GalleryArea.h"
#include "pages/ui/TextPage.h"
#include "platform/WheelNotches.h"

namespace qm {

namespace {

// Small steps of a classic scroll bar: toward the Min end, toward the Max end.
constexpr int kLineUp = 0;
constexpr int kLineDown = 1;

}  // namespace

struct FrmOptions::WheelRoute {
  enum class Kind { None, Gallery, Slider, Hue } kind = Kind::None;
  ui::ClassicScrollBar* slider = nullptr;
  bool vertical = false;
};

bool FrmOptions::IsOver(const QWidget* w, int lX, int lY) {
  return platform::IsOverRect(QRect(w->mapToGlobal(QPoint(0, 0)), w->size()), QPoint(lX, lY));
}

void FrmOptions::ScrollStep(int code, ui::ClassicScrollBar* slider) {
  slider->LineStep(code == kLineDown);
}

FrmOptions::WheelRoute FrmOptions::WheelRouteAt(int lX, int lY) const {
  using Kind = WheelRoute::Kind;
  const auto over = [&](const QWidget* w) { return IsOver(w, lX, lY); };
  if (over(gallery_->framPic[0])) return {Kind::Gallery, gallery_->scrlPic, true};

  // One row of a page's table: the pointer over `w` steps `slider`.
  struct Row {
    const QWidget* w;
    ui::ClassicScrollBar* slider;
    bool vertical;
  };
  const auto first = [&](std::initializer_list<Row> rows) -> WheelRoute {
    for (const Row& r : rows)
      if (over(r.w)) return {Kind::Slider, r.slider, r.vertical};
    return {};
  };
  if (framMenu_[1]->isVisible()) {
    const TextPage& t = *textPage_;
    return first({{t.framBorder, t.scrlBorder, true},
                  {t.scrlFontSize, t.scrlFontSize, true},
                  {t.txtFontSize, t.scrlFontSize, true},
                  {t.framTrans, t.scrlShTrans, false},
                  {t.scrlTempX, t.scrlTempX, false},
                  {t.scrlTempY, t.scrlTempY, true},
                  {t.scrlShadowX, t.scrlShadowX, false},
                  {t.scrlShadowY, t.scrlShadowY, true}});
  }
  if (framMenu_[2]->isVisible()) {
    const ColourPage& c = *colourPage_;
    WheelRoute r = first({{c.scrlColor[0], c.scrlColor[0], false},
                          {c.scrlColor[1], c.scrlColor[1], false},
                          {c.scrlColor[2], c.scrlColor[2], false},
                          {c.scrlLuma, c.scrlLuma, false},
                          {c.txtColor[0], c.scrlColor[0], false},
                          {c.txtColor[1], c.scrlColor[1], false},
                          {c.txtColor[2], c.scrlColor[2], false},
                          {c.txtLuma, c.scrlLuma, false}});
    if (r.kind == Kind::None && over(c.picHue)) r.kind = Kind::Hue;
    return r;
  }
  if (framMenu_[4]->isVisible()) {
    const TonePage& tone = *tonePage_;
    for (int i = 0; i < 5; ++i)
      if (over(tone.scrlHue[i])) return {Kind::Slider, tone.scrlHue[i], false};
    for (int i = 0; i < 5; ++i)
      if (over(tone.txtHue[i])) return {Kind::Slider, tone.scrlHue[i], false};
  }
  return {};
}

bool FrmOptions::WheelTakes(int lX, int lY) const {
  return WheelRouteAt(lX, lY).kind != WheelRoute::Kind::None;
}

bool FrmOptions::MouseScroll(int ScrlDirect, int lX, int lY) {
  // Away from the user: a vertical thumb goes up (toward Min), a horizontal
  // one right (toward Max).
  const int vertical = ScrlDirect > 0 ? kLineUp : kLineDown;
  const int horizontal = ScrlDirect > 0 ? kLineDown : kLineUp;
  const WheelRoute r = WheelRouteAt(lX, lY);
  switch (r.kind) {
    case WheelRoute::Kind::None:
      return false;
    case WheelRoute::Kind::Gallery:
      // A gallery that fits shows no scroll bar and does not move.
      if (r.slider->isVisible()) ScrollStep(vertical, r.slider);
      return true;
    case WheelRoute::Kind::Slider:
      ScrollStep(r.vertical ? vertical : horizontal, r.slider);
      return true;
    case WheelRoute::Kind::Hue: {
      // One pixel per notch; the marker stays on the strip.
      const QWidget* marker = colourPage_->shpColor;
      colourPage_->SetShpColor(marker->x() + marker->width() / 2 + (ScrlDirect > 0 ? 1 : -1));
      return true;
    }
  }
  return false;
}

}  // namespace qm
