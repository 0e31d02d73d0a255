#include "gallery/ui/GalleryArea.h"

#include "platform/Twips.h"
#include "platform/ui/TabOrder.h"

namespace qm {

GalleryArea::GalleryArea(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("picFrame"));
  // Design geometry in twips: the area is 9510 x 5655, the viewport sits at
  // (-15, -120) and is 9240 x 5730, the strip at (30, 45) inside it.
  framPic[0] = new QFrame(this);
  framPic[0]->setObjectName(QStringLiteral("framPic_0"));
  framPic[0]->setGeometry(TwipsToPixels(-15), TwipsToPixels(-120), TwipsToPixels(9240),
                          TwipsToPixels(5730));
  framPic[1] = new QFrame(framPic[0]);
  framPic[1]->setObjectName(QStringLiteral("framPic_1"));
  framPic[1]->setGeometry(TwipsToPixels(30), TwipsToPixels(45), TwipsToPixels(9210),
                          TwipsToPixels(1500));
  scrlPic = new ui::ClassicScrollBar(Qt::Vertical, this);
  scrlPic->setObjectName(QStringLiteral("scrlPic"));
  scrlPic->setGeometry(TwipsToPixels(9240), 0, TwipsToPixels(270), TwipsToPixels(5655));
  scrlPic->SetRange(0, 0);
  scrlPic->hide();

  pics_[1] = new Thumbnail(1, framPic[1]);
  pics_[1]->setGeometry(0, TwipsToPixels(120), TwipsToPixels(1635), TwipsToPixels(885));
  // Shown once a category is painted.
  pics_[1]->hide();

  lblWaitPic = new QLabel(tr("Подгружаю..."), this);
  lblWaitPic->setObjectName(QStringLiteral("lblWaitPic"));
  lblWaitPic->setGeometry(TwipsToPixels(120), TwipsToPixels(120), TwipsToPixels(2400),
                          TwipsToPixels(300));
  lblWaitPic->hide();
}

void GalleryArea::CreateThumbnails() {
  const QRect g = pics_[1]->geometry();
  for (int i = 2; i <= kMaxThumbnails; ++i) {
    if (pics_[i]) continue;
    auto* t = new Thumbnail(i, framPic[1]);
    t->setGeometry(g);
    t->hide();
    pics_[i] = t;
  }
  // Tab visits the thumbnails in reading order, then the scroll bar; the
  // boxes made now would otherwise come after everything else.
  for (int i = 1; i < kMaxThumbnails; ++i) ui::SetTabOrder({pics_[i], pics_[i + 1]});
  ui::SetTabOrder({pics_[kMaxThumbnails], scrlPic});
}

}  // namespace qm
