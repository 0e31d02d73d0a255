#include "pages/ui/HelpPage.h"

using namespace Qt::StringLiterals;

namespace qm {

HelpPage::HelpPage(const QSize& size, QWidget* parent) : EditorPage(parent) {
  setObjectName(u"framMenu_3"_s);
  boxPlace_ = new QWidget(this);
  // The window moves every page's contents down a few pixels; the box still
  // ends clear of the page's bottom edge, where the gallery begins.
  boxPlace_->setGeometry(4, 8, size.width() - 8, size.height() - 16);
}

QPlainTextEdit* HelpPage::TextBox() {
  if (box_) return box_;
  box_ = new QPlainTextEdit(this);
  box_->setObjectName(u"txtHelp"_s);
  box_->setReadOnly(true);
  box_->setLineWrapMode(QPlainTextEdit::WidgetWidth);
  box_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  // Nothing can be typed into it: Tab must lead on, not stay inside.
  box_->setTabChangesFocus(true);
  box_->setGeometry(boxPlace_->geometry());
  // Tab reaches it where the page's place for it stands, not after
  // everything made before it.
  QWidget* before = boxPlace_->previousInFocusChain();
  while (before != boxPlace_ && before->focusPolicy() == Qt::NoFocus)
    before = before->previousInFocusChain();
  if (before != boxPlace_) QWidget::setTabOrder(before, box_);
  delete boxPlace_;
  // Made on a page already on the screen, it shows only when told to.
  if (isVisible()) box_->show();
  return box_;
}

void HelpPage::showEvent(QShowEvent* event) {
  EditorPage::showEvent(event);
  FillText();
}

void HelpPage::FillText() {
  if (TextBox()->document()->isEmpty()) box_->setPlainText(HelpText());
}

QString HelpPage::HelpText() {
  return tr("Левая [кнопка мыши] устанавливает новый шаблон отображения (картинку, "
            "шрифт, параметры текста, тени и каймы). Правая [кнопка мыши] устанавливает ТОЛЬКО "
            "картинку из шаблона (остальные параметры подбираются отдельно).  Подбирая "
            "параметры отображения текста, меняется только отображение на экране, НЕ меняя сам "
            "шаблон. Чтобы сохранить выбранные параметры текста в любом из шаблонов, нужно "
            "кликнуть на соответствующем шаблоне с нажатой клавишей [Ctrl]. ВНИМАНИЕ: параметры "
            "шаблона будут переписаны без возможности восстановления первоначального "
            "состояния!\r\n")
             .chopped(2) +
         u' ' +
         tr("Клавиши (вне полей ввода): Ctrl+Z отменяет последнее изменение надписи (и "
            "перезапись шаблона, пока окно открыто), Ctrl+Y или Ctrl+Shift+Z возвращает его; "
            "Ctrl+C копирует строку параметров в буфер обмена, Ctrl+V применяет строку из "
            "буфера, как щелчок по шаблону. На странице цвета: поле #RRGGBB принимает цвет по "
            "Enter, Ctrl+Shift+C или кнопка «С экрана» берёт цвет любой точки экрана (Esc — "
            "отмена). Ctrl+Tab и Ctrl+Shift+Tab листают страницы.") +
         u"\r\n"_s;
}

}  // namespace qm
