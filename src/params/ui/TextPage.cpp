#include "params/ui/TextPage.h"

#include "params/ui/EditorState.h"
#include "platform/ui/Place.h"

namespace qm {
namespace {

ui::ClassicScrollBar* Slider(QWidget* parent, const char* name, Qt::Orientation o, int min,
                             int max, int large, int value) {
  auto* s = new ui::ClassicScrollBar(o, parent);
  s->setObjectName(QString::fromLatin1(name));
  s->SetRange(min, max);
  s->SetSmallChange(1);
  s->SetLargeChange(large);
  {
    const QSignalBlocker block(s);
    s->SetValue(value);
  }
  return s;
}

QLineEdit* Display(QWidget* parent, const char* name, const QString& text) {
  auto* e = new QLineEdit(text, parent);
  e->setObjectName(QString::fromLatin1(name));
  return e;
}

ui::ClassicCheckBox* Check(QWidget* parent, const char* name, const QString& caption) {
  auto* c = new ui::ClassicCheckBox(caption, parent);
  c->setObjectName(QString::fromLatin1(name));
  return c;
}

QGroupBox* Frame(QWidget* parent, const char* name, const QString& caption) {
  auto* g = new QGroupBox(caption, parent);
  g->setObjectName(QString::fromLatin1(name));
  return g;
}

}  // namespace

using ui::Place;

TextPage::TextPage(EditorState& state, QWidget* parent) : QWidget(parent), state_(state) {
  setObjectName(QStringLiteral("framMenu_1"));

  // Font.
  fraFont = Place(Frame(this, "fraFont", QStringLiteral("Шрифт")), 2, 0, 176, 162);
  lstFont = Place(new ui::ClassicListBox(fraFont), 6, 16, 164, 84);
  lstFont->setObjectName(QStringLiteral("lstFont"));
  lstFont->setToolTip(QStringLiteral("Выбор шрифта надписи"));
  for (const char* f : {"Arial", "Courier New", "Garamond", "Tahoma", "Times New Roman"})
    lstFont->AddItem(QString::fromLatin1(f));
  lblFntNum = Place(new QLabel(QStringLiteral("?"), fraFont), 6, 101, 100, 16);
  lblFntNum->setObjectName(QStringLiteral("lblFntNum"));
  chkFontAttr[0] = Place(Check(fraFont, "chkFontAttr_0", QStringLiteral("Жирн.")), 6, 118, 62, 18);
  chkFontAttr[1] =
      Place(Check(fraFont, "chkFontAttr_1", QStringLiteral("Курсив")), 72, 118, 70, 18);
  chkFontAttr[2] =
      Place(Check(fraFont, "chkFontAttr_2", QStringLiteral("Подчёрк.")), 6, 138, 80, 18);
  chkText = Place(Check(fraFont, "chkText", QStringLiteral("Текст")), 96, 138, 72, 18);

  // Size: the vertical slider holds the negated size so that larger sizes
  // are towards the top.
  fraSize = Place(Frame(this, "fraSize", QStringLiteral("Размер")), 180, 0, 78, 128);
  txtFontSize = Place(Display(fraSize, "txtFontSize", QStringLiteral("50")), 5, 18, 44, 20);
  txtFontSize->setToolTip(QStringLiteral("Размер шрифта надписи"));
  scrlFontSize = Place(Slider(fraSize, "scrlFontSize", Qt::Vertical, -999, -8, 4, -8), 55, 16,
                       17, 80);
  cmdSendFontSize = Place(new QPushButton(QStringLiteral("Установить"), fraSize), 3, 100, 72, 24);
  cmdSendFontSize->setObjectName(QStringLiteral("cmdSendFontSize"));
  cmdSendFontSize->setToolTip(QStringLiteral(
      "Установить выбранный размер шрифта, если цифра  размеры была введена вручную"));
  picDefSize = Place(new QWidget(this), 180, 132, 190, 28);
  picDefSize->setObjectName(QStringLiteral("picDefSize"));

  // Text offset: the X slider runs from 200 at the left to -200 at the right
  // and shows the negated value, so right means a positive offset.
  fraTextOffset =
      Place(Frame(this, "fraTextOffset", QStringLiteral("Смещение текста")), 260, 0, 110, 128);
  scrlTempX = Place(Slider(fraTextOffset, "scrlTempX", Qt::Horizontal, 200, -200, 3, 0), 5, 18,
                    100, 17);
  txtTempX = Place(Display(fraTextOffset, "txtTempX", QStringLiteral("0")), 5, 40, 44, 20);
  scrlTempY = Place(Slider(fraTextOffset, "scrlTempY", Qt::Vertical, 200, -200, 3, 0), 88, 40,
                    17, 82);
  txtTempY = Place(Display(fraTextOffset, "txtTempY", QStringLiteral("0")), 5, 70, 44, 20);

  // Shadow.
  chkShadow = Place(Check(this, "chkShadow", QStringLiteral("Тень")), 376, 0, 66, 18);
  fraShadowOffset =
      Place(Frame(this, "fraShadowOffset", QStringLiteral("Смещение")), 372, 16, 70, 86);
  scrlShadowX = Place(Slider(fraShadowOffset, "scrlShadowX", Qt::Horizontal, 10, -10, 2, 0), 4,
                      18, 62, 17);
  txtShadowX = Place(Display(fraShadowOffset, "txtShadowX", QStringLiteral("0")), 4, 38, 32, 20);
  scrlShadowY = Place(Slider(fraShadowOffset, "scrlShadowY", Qt::Vertical, 10, -10, 2, 0), 49,
                      38, 17, 44);
  txtShadowY = Place(Display(fraShadowOffset, "txtShadowY", QStringLiteral("0")), 4, 60, 32, 20);
  framTrans = Place(Frame(this, "framTrans", QStringLiteral("Прозрачность")), 372, 104, 70, 58);
  scrlShTrans =
      Place(Slider(framTrans, "scrlShTrans", Qt::Horizontal, 0, 208, 10, 0), 4, 18, 62, 17);
  lblShTrans = Place(new QLabel(QStringLiteral("0"), framTrans), 4, 37, 60, 16);
  lblShTrans->setObjectName(QStringLiteral("lblShTrans"));

  // Border.
  fraBorder = Place(Frame(this, "fraBorder", QStringLiteral("Кайма")), 444, 0, 70, 162);
  chkBorder = Place(Check(fraBorder, "chkBorder", QStringLiteral("Кайма")), 4, 16, 64, 18);
  chkBrdDown = Place(Check(fraBorder, "chkBrdDown", QStringLiteral("Под Текст")), 4, 36, 64, 18);
  chkBrdDown->setToolTip(QStringLiteral("Определяет отрисовку каймы под/поверх текста"));
  framBorder = Place(Frame(fraBorder, "framBorder", QStringLiteral("Толщина")), 3, 56, 64, 102);
  scrlBorder =
      Place(Slider(framBorder, "scrlBorder", Qt::Vertical, -15, -1, 4, -1), 6, 18, 17, 78);
  lblBorder = Place(new QLabel(QStringLiteral("1"), framBorder), 30, 48, 30, 16);
  lblBorder->setObjectName(QStringLiteral("lblBorder"));
}

}  // namespace qm
