#include "gallery/ui/GalleryBackground.h"

#include <QMouseEvent>
#include <utility>

#include "colour/Palette.h"
#include "pages/ui/CategoryPage.h"
#include "platform/ui/Swatch.h"
#include "session/EditorState.h"
#include "settings/UserKeys.h"

namespace qm {

using namespace Qt::StringLiterals;

GalleryBackground::GalleryBackground(EditorState& state, CategoryPage* page, QObject* parent)
    : QObject(parent), state_(state), page_(page), swatch_(page->picFonColor) {
  connect(page_->chkTexura, &ui::ClassicCheckBox::Click, this, &GalleryBackground::chkTexura_Click);
  // The swatch is a plain frame: its click is read from its mouse events.
  swatch_->installEventFilter(this);
}

QColor GalleryBackground::Colour() const { return ColourFromBgr(Background.FonColor); }

void GalleryBackground::SetTexture(const QByteArray& bytes) {
  Background.TextureBytes = bytes;
  // An empty file is no texture at all.
  Background.TextureLoaded = !bytes.isEmpty();
}

void GalleryBackground::ApplyBackgroundColour() {
  if (Background.FonNum < 1 || Background.FonNum > 9) Background.FonNum = 1;
  Background.FonColor = colour::BackgroundColour(Background.FonNum);
  page_->picFonColor->SetBackColor(Background.FonColor);
}

void GalleryBackground::picFonColor_Click() {
  Background.FonNum = static_cast<std::int16_t>(Background.FonNum + 1);
  if (Background.FonNum > 9) Background.FonNum = 1;
  ApplyBackgroundColour();
  if (store)
    store(settings::kPreviewBackground.name.toString(), QString::number(Background.FonNum));
  if (page_->chkTexura->Value() != 0) {
    page_->chkTexura->SetValue(0);  // its handler repaints and stores
  } else if (repaint) {
    repaint();
  }
}

void GalleryBackground::chkTexura_Click() {
  Background.TextureEnabled = page_->chkTexura->Value() != 0;
  if (!state_.FormReady()) return;
  if (repaint) repaint();
  if (store)
    store(settings::kPreviewTexture.name.toString(), QString::number(page_->chkTexura->Value()));
}

bool GalleryBackground::eventFilter(QObject* watched, QEvent* event) {
  // Only the swatch is watched, and it is told apart by the pointer kept at
  // the start: while the page is being torn down its swatch still sends
  // events here, and the page must not be looked at then.
  if (watched != swatch_) return QObject::eventFilter(watched, event);
  // A double click is one click: the release after its second press does
  // not step the colour again.
  if (event->type() == QEvent::MouseButtonDblClick) {
    swatchDoubleClick_ = true;
    return true;
  }
  if (event->type() == QEvent::MouseButtonRelease) {
    if (std::exchange(swatchDoubleClick_, false)) return true;
    const auto* me = static_cast<QMouseEvent*>(event);
    if (me->button() == Qt::LeftButton && swatch_->rect().contains(me->position().toPoint())) {
      picFonColor_Click();
      return true;
    }
  }
  return QObject::eventFilter(watched, event);
}

}  // namespace qm
