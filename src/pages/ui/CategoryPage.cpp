#include "pages/ui/CategoryPage.h"

#include "platform/ui/HoverFocus.h"
#include "platform/ui/Place.h"
#include "platform/ui/TabOrder.h"

namespace qm {

using ui::Place;

CategoryPage::CategoryPage(QWidget* parent) : EditorPage(parent) {
  setObjectName(QStringLiteral("framMenu_0"));
  lblHeading = Place(new QLabel(tr("Выбор категории шаблонов"), this), 6, 4, 300, 16);
  lstDir = Place(new ui::ClassicListBox(this), 6, 22, 340, 136);
  lstDir->setObjectName(QStringLiteral("lstDir"));
  lstDir->setToolTip(tr("Выбор группы шаблонов для оформления интерфейса"));
  picFonColor = Place(new Swatch(this), 360, 22, 40, 40);
  picFonColor->setObjectName(QStringLiteral("picFonColor"));
  picFonColor->setCursor(Qt::PointingHandCursor);
  picFonColor->setToolTip(
      tr("Для выбора цвета фона нужно отключить использование текстуры (снять галочку)"));
  chkTexura = Place(new ui::ClassicCheckBox(tr("фон/текстура"), this), 360, 68, 140, 20);
  chkTexura->setObjectName(QStringLiteral("chkTexura"));
  chkTexura->setToolTip(tr("Выбор фона: цвет или текстура прозрачности"));
  (new ui::HoverFocus(this))->Add(lstDir, lstDir);
  SetTabOrder();
}

QList<QWidget*> CategoryPage::TabOrder() const { return {lstDir, chkTexura}; }

}  // namespace qm
