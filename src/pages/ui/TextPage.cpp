#include "pages/ui/TextPage.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <optional>
#include <tuple>

#include "platform/Classic.h"
#include "platform/ui/HoverFocus.h"
#include "platform/ui/Place.h"
#include "platform/ui/TabOrder.h"
#include "session/EditorState.h"
#include "stamp/HostMessage.h"

namespace qm {
namespace {

ui::ClassicScrollBar* Slider(QWidget* parent, const char* name, Qt::Orientation o, int min, int max,
                             int large, int value) {
  auto* s = new ui::ClassicScrollBar(o, parent);
  s->setObjectName(QString::fromLatin1(name));
  s->SetRange(min, max);
  s->SetSmallChange(1);
  s->SetLargeChange(large);
  s->SetValue(value);  // before the page wires it: nothing is sent
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

// An X and a Y offset in their frame, made in the order Tab meets them: the X
// slider, its box, the Y slider, its box. Each slider runs from `reach` at
// the left (or top) to -reach; `places` holds the four places, x, y, width
// and height each.
using OffsetPair = std::tuple<ui::ClassicScrollBar*, QLineEdit*, ui::ClassicScrollBar*, QLineEdit*>;
OffsetPair MakeOffsets(QGroupBox* frame, const char* name, int reach, int large,
                       const std::array<std::array<int, 4>, 4>& places) {
  const QByteArray n(name);
  const auto at = [&](auto* w, int i) {
    const std::array<int, 4>& r = places[static_cast<std::size_t>(i)];
    return ui::Place(w, r[0], r[1], r[2], r[3]);
  };
  const auto slider = [&](char axis, Qt::Orientation o, int i) {
    return at(Slider(frame, ("scrl" + n + axis).constData(), o, reach, -reach, large, 0), i);
  };
  const auto box = [&](char axis, int i) {
    return at(Display(frame, ("txt" + n + axis).constData(), QStringLiteral("0")), i);
  };
  // One statement each, so that they are made in this order.
  ui::ClassicScrollBar* sliderX = slider('X', Qt::Horizontal, 0);
  QLineEdit* boxX = box('X', 1);
  ui::ClassicScrollBar* sliderY = slider('Y', Qt::Vertical, 2);
  return {sliderX, boxX, sliderY, box('Y', 3)};
}

}  // namespace

using ui::Place;

TextPage::TextPage(EditorState& state, LookSender& sender, QWidget* parent)
    : EditorPage(parent), state_(state), sender_(sender) {
  setObjectName(QStringLiteral("framMenu_1"));

  // Font.
  fraFont = Place(Frame(this, "fraFont", tr("Шрифт")), 2, 0, 160, 162);
  lstFont = Place(new ui::ClassicListBox(fraFont), 6, 16, 148, 84);
  lstFont->setObjectName(QStringLiteral("lstFont"));
  lstFont->setToolTip(tr("Выбор шрифта надписи"));
  for (const char* f : {"Arial", "Courier New", "Garamond", "Tahoma", "Times New Roman"})
    lstFont->AddItem(QString::fromLatin1(f));
  lblFntNum = Place(new QLabel(QStringLiteral("?"), fraFont), 6, 101, 100, 16);
  lblFntNum->setObjectName(QStringLiteral("lblFntNum"));
  chkFontAttr[0] = Place(Check(fraFont, "chkFontAttr_0", tr("Жирн.")), 6, 118, 62, 18);
  chkFontAttr[1] = Place(Check(fraFont, "chkFontAttr_1", tr("Курсив")), 70, 118, 80, 18);
  chkFontAttr[2] = Place(Check(fraFont, "chkFontAttr_2", tr("Подчёрк.")), 6, 138, 80, 18);
  chkText = Place(Check(fraFont, "chkText", tr("Текст")), 86, 138, 70, 18);

  // Size: the vertical slider holds the negated size so that larger sizes
  // are towards the top.
  fraSize = Place(Frame(this, "fraSize", tr("Размер")), 164, 0, 76, 128);
  txtFontSize = Place(Display(fraSize, "txtFontSize", QStringLiteral("50")), 5, 18, 44, 20);
  txtFontSize->setToolTip(tr("Размер шрифта надписи"));
  scrlFontSize =
      Place(Slider(fraSize, "scrlFontSize", Qt::Vertical, -999, -8, 4, -8), 55, 16, 17, 80);
  cmdSendFontSize = Place(new QPushButton(tr("Установить"), fraSize), 3, 100, 72, 24);
  cmdSendFontSize->setObjectName(QStringLiteral("cmdSendFontSize"));
  cmdSendFontSize->setToolTip(
      tr("Установить выбранный размер шрифта, если цифра  размеры была введена вручную"));
  picDefSize = Place(new DefSizeLink(this), 164, 132, 178, 28);
  picDefSize->setObjectName(QStringLiteral("picDefSize"));

  // Text offset: the X slider runs from 200 at the left to -200 at the right
  // and shows the negated value, so right means a positive offset.
  fraTextOffset = Place(Frame(this, "fraTextOffset", tr("Смещение текста")), 242, 0, 100, 128);
  std::tie(scrlTempX, txtTempX, scrlTempY, txtTempY) =
      MakeOffsets(fraTextOffset, "Temp", 200, 3,
                  {{{5, 18, 90, 17}, {5, 40, 44, 20}, {78, 40, 17, 82}, {5, 70, 44, 20}}});

  // Shadow.
  chkShadow = Place(Check(this, "chkShadow", tr("Тень")), 348, 0, 76, 18);
  fraShadowOffset = Place(Frame(this, "fraShadowOffset", tr("Смещение")), 344, 16, 82, 86);
  std::tie(scrlShadowX, txtShadowX, scrlShadowY, txtShadowY) =
      MakeOffsets(fraShadowOffset, "Shadow", 10, 2,
                  {{{4, 18, 74, 17}, {4, 38, 32, 20}, {61, 38, 17, 44}, {4, 60, 32, 20}}});
  framTrans = Place(Frame(this, "framTrans", tr("Прозрачность")), 344, 104, 82, 58);
  scrlShTrans =
      Place(Slider(framTrans, "scrlShTrans", Qt::Horizontal, 0, 208, 10, 0), 4, 18, 74, 17);
  lblShTrans = Place(new QLabel(QStringLiteral("0"), framTrans), 4, 37, 60, 16);
  lblShTrans->setObjectName(QStringLiteral("lblShTrans"));

  // Border.
  fraBorder = Place(Frame(this, "fraBorder", tr("Кайма")), 428, 0, 86, 162);
  chkBorder = Place(Check(fraBorder, "chkBorder", tr("Кайма")), 4, 16, 80, 18);
  chkBrdDown = Place(Check(fraBorder, "chkBrdDown", tr("Под Текст")), 4, 36, 80, 18);
  chkBrdDown->setToolTip(tr("Определяет отрисовку каймы под/поверх текста"));
  framBorder = Place(Frame(fraBorder, "framBorder", tr("Толщина")), 3, 56, 80, 102);
  scrlBorder = Place(Slider(framBorder, "scrlBorder", Qt::Vertical, -15, -1, 4, -1), 6, 18, 17, 78);
  lblBorder = Place(new QLabel(QStringLiteral("1"), framBorder), 30, 48, 30, 16);
  lblBorder->setObjectName(QStringLiteral("lblBorder"));

  Wire();
}

}  // namespace qm

namespace qm {

// --- the default-size link ----------------------------------------------------

DefSizeLink::DefSizeLink(QWidget* parent) : QWidget(parent) { setMouseTracking(true); }

void DefSizeLink::TxtLink(int X, int Y) {
  if (X < 0 || Y < 0 || X > width() || Y > height()) {
    if (HasCapture()) releaseMouse();
    PicText(false);
    return;
  }
  if (HasCapture()) return;
  grabMouse();
  PicText(true);
}

void DefSizeLink::hideEvent(QHideEvent* event) {
  QWidget::hideEvent(event);
  if (HasCapture()) releaseMouse();
  if (shown_) PicText(false);
}

void DefSizeLink::PicText(bool show) {
  if (show) ++showCount_;
  shown_ = show;
  update();
}

void DefSizeLink::paintEvent(QPaintEvent*) {
  if (!shown_) return;
  QPainter p(this);
  p.setFont(font());
  const QFontMetrics fm(font());
  const int tw = fm.horizontalAdvance(Caption());
  const int th = fm.height();
  const int x = (width() - tw) / 2;
  const int y = (height() - th) / 2 + fm.ascent();
  // &HC00000 and &HFFFF00 in the control colour order: a dark blue shadow,
  // then the cyan caption one pixel left and two up.
  p.setPen(QColor(0, 0, 0xC0));
  p.drawText(x, y, Caption());
  p.setPen(QColor(0, 0xFF, 0xFF));
  p.drawText(x - 1, y - 2, Caption());
}

void DefSizeLink::mouseMoveEvent(QMouseEvent* event) {
  const QPoint pos = event->position().toPoint();
  TxtLink(pos.x(), pos.y());
}

void DefSizeLink::mousePressEvent(QMouseEvent* event) {
  event->accept();
  // A press outside (we hold the mouse) only means the pointer left.
  const QPoint pos = event->position().toPoint();
  if (!rect().contains(pos)) {
    TxtLink(-1, 0);
    return;
  }
  Q_EMIT MouseDown();
}

// --- the page's handlers -------------------------------------------------------

void TextPage::Wire() {
  connect(lstFont, &ui::ClassicListBox::Click, this, &TextPage::lstFont_Click);
  for (int i = 0; i < 3; ++i)
    connect(chkFontAttr[i], &ui::ClassicCheckBox::Click, this, [this, i] { chkFontAttr_Click(i); });
  txtFontSize->installEventFilter(this);
  connect(scrlFontSize, &ui::ClassicScrollBar::Change, this, &TextPage::scrlFontSize_Change);
  connect(cmdSendFontSize, &QPushButton::clicked, this, &TextPage::cmdSendFontSize_Click);
  connect(chkText, &ui::ClassicCheckBox::Click, this, &TextPage::chkText_Click);
  const std::array<OffsetControl, 4> offsets = Offsets();
  for (int i = 0; i < 4; ++i) {
    connect(offsets[static_cast<std::size_t>(i)].slider, &ui::ClassicScrollBar::Change, this,
            [this, i] { scrlOffset_Change(i); });
  }
  // The change handler only runs the scroll handler: both do the same.
  connect(scrlShTrans, &ui::ClassicScrollBar::Change, this, &TextPage::scrlShTrans_Scroll);
  connect(scrlShTrans, &ui::ClassicScrollBar::Scroll, this, &TextPage::scrlShTrans_Scroll);
  connect(scrlBorder, &ui::ClassicScrollBar::Change, this, &TextPage::scrlBorder_Change);
  connect(chkShadow, &ui::ClassicCheckBox::Click, this, &TextPage::chkShadow_Click);
  connect(chkBorder, &ui::ClassicCheckBox::Click, this, &TextPage::chkBorder_Click);
  connect(chkBrdDown, &ui::ClassicCheckBox::Click, this, &TextPage::chkBrdDown_Click);
  connect(picDefSize, &DefSizeLink::MouseDown, this, &TextPage::picDefSize_MouseDown);

  hoverFocus_ = new ui::HoverFocus(this);
  hoverFocus_->SetActiveCheck([this] { return state_.AppActive; });
  hoverFocus_->Add(framTrans, scrlShTrans);
  hoverFocus_->Add(lblBorder, scrlBorder);
  hoverFocus_->Add(lstFont, lstFont);
  hoverFocus_->Add(txtTempX, scrlTempX);
  hoverFocus_->Add(txtTempY, scrlTempY);
  hoverFocus_->Add(txtShadowX, scrlShadowX);
  hoverFocus_->Add(txtShadowY, scrlShadowY);

  // Tab runs through the groups as they stand, left to right and top to
  // bottom in each; the offset boxes are passed by, as their sliders, which
  // Tab reaches, step the same value.
  for (const OffsetControl& o : Offsets()) {
    ui::NoTabStop(o.box);
    o.box->installEventFilter(this);
  }
  SetTabOrder();
}

QList<QWidget*> TextPage::TabOrder() const {
  return {lstFont,      chkFontAttr[0],  chkFontAttr[1], chkFontAttr[2], chkText,   txtFontSize,
          scrlFontSize, cmdSendFontSize, scrlTempX,      scrlTempY,      chkShadow, scrlShadowX,
          scrlShadowY,  scrlShTrans,     chkBorder,      chkBrdDown,     scrlBorder};
}

std::vector<EditorPage::WheelRow> TextPage::WheelRows() {
  return {SliderRow(framBorder, scrlBorder),    SliderRow(scrlFontSize, scrlFontSize),
          SliderRow(txtFontSize, scrlFontSize), SliderRow(framTrans, scrlShTrans),
          SliderRow(scrlTempX, scrlTempX),      SliderRow(scrlTempY, scrlTempY),
          SliderRow(scrlShadowX, scrlShadowX),  SliderRow(scrlShadowY, scrlShadowY)};
}

bool TextPage::eventFilter(QObject* watched, QEvent* event) {
  const auto isEnter = [event] {
    const int key = static_cast<QKeyEvent*>(event)->key();
    return key == Qt::Key_Return || key == Qt::Key_Enter;
  };
  if (watched == txtFontSize && event->type() == QEvent::KeyPress) {
    if (isEnter() && txtFontSize_KeyPress(13)) return true;
  }
  for (const OffsetControl& o : Offsets()) {
    if (watched != o.box) continue;
    if (event->type() == QEvent::KeyPress && isEnter()) {
      ApplyTypedOffset(o.box, true);
      return true;
    }
    // A context menu of the box takes the focus only for a moment.
    if (event->type() == QEvent::FocusOut &&
        static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason)
      ApplyTypedOffset(o.box, false);
  }
  return QWidget::eventFilter(watched, event);
}

std::array<TextPage::OffsetControl, 4> TextPage::Offsets() const {
  return {{{txtTempX, scrlTempX, -1, stamp::kTextX, &stamp::StampParams::TextX},
           {txtTempY, scrlTempY, 1, stamp::kTextY, &stamp::StampParams::TextY},
           {txtShadowX, scrlShadowX, -1, stamp::kShadowX, &stamp::StampParams::ShadowX},
           {txtShadowY, scrlShadowY, 1, stamp::kShadowY, &stamp::StampParams::ShadowY}}};
}

void TextPage::ApplyTypedOffset(QLineEdit* box, bool confirmed) {
  const std::array<OffsetControl, 4> offsets = Offsets();
  for (int i = 0; i < 4; ++i) {
    const OffsetControl& o = offsets[static_cast<std::size_t>(i)];
    if (o.box != box) continue;
    // Leaving a box the user never typed into changes nothing: it may show
    // the slider's end for a line that holds more (see ShowOffset).
    if (!confirmed && !box->isModified()) return;
    const QString shown = QString::number(o.sign * o.slider->Value());
    const std::optional<double> typed = classic::ToNumber(box->text());
    if (!typed || !std::isfinite(*typed)) {
      box->setText(shown);
      return;
    }
    const double lo = std::min(o.slider->Min(), o.slider->Max());
    const double hi = std::max(o.slider->Min(), o.slider->Max());
    const int value = classic::CInt(std::clamp(o.sign * *typed, lo, hi)).value_or(0);
    if (value != o.slider->Value()) {
      // The slider's handler shows the value and sends it.
      o.slider->SetValue(value);
      return;
    }
    box->setText(shown);
    // The slider stands there already, yet the line may hold an offset it
    // could not show: what the box shows must be what is used.
    if (confirmed && state_.CurrentParams.*o.field != static_cast<float>(o.sign * value))
      scrlOffset_Change(i);
    return;
  }
}

void TextPage::lstFont_Click() {
  // Without a selection there is no font to name; an empty name would only
  // put a blank field into the line.
  if (lstFont->ListIndex() < 0) return;
  Q_EMIT FontChosen(lstFont->Text());
  sender_.SendText(stamp::FieldMessage(stamp::kFontName, lstFont->Text()));
  lblFntNum->setText(
      QStringLiteral("[%1/%2]").arg(lstFont->ListIndex() + 1).arg(lstFont->ListCount()));
}

void TextPage::SelectFontSilently(const QString& name) {
  const FillingControls muted(state_, FillingControls::Muted);
  lstFont->SetText(name);
}

int TextPage::FntAttr(int Index) const { return chkFontAttr[Index]->Value() != 0 ? 1 : 0; }

void TextPage::chkFontAttr_Click(int) {
  if (!state_.FormReady()) return;
  const int f = FntAttr(0) + 2 * FntAttr(1) + 4 * FntAttr(2);
  sender_.SendText(stamp::FieldMessage(stamp::kFontStyle, QString::number(f)));
}

namespace {
// A size as typed: the whole text a number that fits the field, else nothing.
std::optional<std::int16_t> TypedSize(const QString& text) { return classic::ToInt16(text); }
}  // namespace

void TextPage::ShowLineSize() {
  // The slider need not hold it: a size sent with the button may lie outside
  // its range, and the slider stays where it was.
  txtFontSize->setText(QString::number(state_.CurrentParams.FontSize));
}

bool TextPage::txtFontSize_KeyPress(int KeyAscii) {
  if (KeyAscii != 13) return false;
  const auto size = TypedSize(txtFontSize->text());
  // Only a size the slider can show is taken; anything else is refused and
  // the box shows the size in use again.
  if (!size || *size < 8 || *size > 999) {
    ShowLineSize();
    return true;
  }
  scrlFontSize->SetValue(-*size);
  // "12.0" for a slider already at 12 raises no change; the box still shows
  // the size as the slider has it.
  txtFontSize->setText(QString::number(-scrlFontSize->Value()));
  // A slider already at this size raised no change, yet the line may hold
  // another size (sent with the button): the size shown must be the one used.
  if (state_.FormReady() && state_.CurrentParams.FontSize != *size) cmdSendFontSize_Click();
  return true;
}

void TextPage::scrlFontSize_Change() {
  txtFontSize->setText(QString::number(std::abs(scrlFontSize->Value())));
  if (state_.FormReady()) cmdSendFontSize_Click();
}

void TextPage::cmdSendFontSize_Click() {
  // Any size typed by hand may be sent, even outside the slider's range, but
  // only a positive whole-text number: "12a" or "-5" is no font size.
  const QString typed = txtFontSize->text().trimmed();
  const auto size = TypedSize(typed);
  if (!size || *size <= 0) {
    ShowLineSize();
    return;
  }
  sender_.SendText(stamp::FieldMessage(stamp::kFontSize, typed));
}

void TextPage::chkText_Click() {
  if (state_.FormReady())
    sender_.SendText(stamp::FieldMessage(stamp::kTextOn, QString::number(chkText->Value())));
}

// The four offset sliders send on every change, also while the window sets
// its own controls: that is how a template's offsets reach the host again.
void TextPage::scrlOffset_Change(int Index) {
  const OffsetControl o = Offsets()[static_cast<std::size_t>(Index)];
  o.box->setText(QString::number(o.sign * o.slider->Value()));
  sender_.SendText(stamp::FieldMessage(o.index, o.box->text()));
}

void TextPage::scrlShTrans_Scroll() {
  const int v = scrlShTrans->Value();
  lblShTrans->setText(QString::number(v * 100 / 255));
  if (state_.FormReady())
    sender_.SendText(stamp::FieldMessage(stamp::kShadowAlpha, QString::number(255 - v)));
}

void TextPage::scrlBorder_Change() {
  const int v = scrlBorder->Value();
  lblBorder->setText(QString::number(std::abs(v)));
  if (state_.FormReady())
    sender_.SendText(stamp::FieldMessage(stamp::kBorderWidth, QString::number(-v)));
}

void TextPage::chkShadow_Click() {
  if (state_.FormReady())
    sender_.SendText(stamp::FieldMessage(stamp::kShadowOn, QString::number(chkShadow->Value())));
}

void TextPage::chkBorder_Click() {
  if (state_.FormReady())
    sender_.SendText(stamp::FieldMessage(stamp::kBorderOn, QString::number(chkBorder->Value())));
}

void TextPage::chkBrdDown_Click() {
  if (state_.FormReady())
    sender_.SendText(
        stamp::FieldMessage(stamp::kBorderUnder, QString::number(chkBrdDown->Value())));
}

QString TextPage::ListedFont() const {
  return lstFont->ListIndex() >= 0 ? lstFont->Text() : lstFont->List(0);
}

bool TextPage::SelectListedFont(const QString& name) {
  for (int i = 0; i < lstFont->ListCount(); ++i) {
    if (lstFont->List(i) == name) {
      lstFont->SetListIndex(i);
      return true;
    }
  }
  return false;
}

void TextPage::ShowParams(const stamp::StampParams& p) {
  for (int b = 0; b < 3; ++b) chkFontAttr[b]->SetValue((p.FontStyle >> b) & 1);
  scrlFontSize->SetValue(-p.FontSize);
  scrlShTrans->SetValue(255 - p.ShadowAlpha);
  scrlBorder->SetValue(-p.BorderWidth);
  chkText->SetValue(p.TextOn);
  chkShadow->SetValue(p.ShadowOn);
  chkBorder->SetValue(p.BorderOn);
  chkBrdDown->SetValue(p.BorderUnder);
}

namespace {

// A line's number as a slider value: nearest 16-bit integer, halves to even;
// a float beyond 16 bits goes to the nearer end (the slider clamps).
int To16(double v) {
  if (const auto c = classic::CInt(v)) return *c;
  return v < 0 ? -32768 : 32767;
}

// An offset the slider cannot hold (a hand-edited line) is shown at the
// slider's end but neither sent nor written back: the stored line keeps it
// until the user moves that slider.
void ShowOffset(EditorState& state, ui::ClassicScrollBar* slider, QLineEdit* display, double v,
                int sign) {
  const int lo = std::min(slider->Min(), slider->Max());
  const int hi = std::max(slider->Min(), slider->Max());
  if (v >= lo && v <= hi) {
    slider->SetValue(To16(v));
    return;
  }
  const FillingControls muted(state, FillingControls::Muted);
  slider->SetValue(v < lo ? lo : hi);
  display->setText(QString::number(sign * slider->Value()));
}

}  // namespace

void TextPage::ShowOffsets(const stamp::StampParams& p) {
  for (const OffsetControl& o : Offsets())
    ShowOffset(state_, o.slider, o.box, o.sign * static_cast<double>(p.*o.field), o.sign);
}

void TextPage::ShowSentParams(const stamp::StampParams& p) {
  SelectListedFont(p.FontName);
  ShowOffsets(p);
}

void TextPage::picDefSize_MouseDown() {
  Q_EMIT DefaultSizeRequested();
  picDefSize->TxtLink(-1, 0);
}

}  // namespace qm
