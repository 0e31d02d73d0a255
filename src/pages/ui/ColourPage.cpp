#include "pages/ui/ColourPage.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QShortcut>
#include <QSignalBlocker>
#include <QTimer>
#include <algorithm>

#include "colour/ColourModel.h"
#include "colour/HexColour.h"
#include "colour/ui/HueStrip.h"
#include "colour/ui/SelectionMark.h"
#include "platform/ui/MouseCodes.h"
#include "platform/ui/Place.h"
#include "platform/ui/ScreenColourPicker.h"
#include "platform/ui/TabOrder.h"
#include "session/EditorState.h"
#include "stamp/ColourOrder.h"

namespace qm {

using ui::Place;

const std::array<int, colour::kColourCellCount> ColourPage::kCellAtPlace = {
    0,  1,  6,  19, 7,  25, 2,  23, 8,  21, 3,  4,  5,  27,
    22, 20, 15, 12, 24, 14, 11, 9,  10, 17, 13, 16, 26, 18};

namespace {

constexpr int kCellSize = 16;
constexpr int kCellPitch = 18;
constexpr int kMarkSize = 13;   // the selection mark inside a cell
constexpr int kMarkerSize = 8;  // the hue marker
constexpr int kMarkerTop = 6;   // from the strip's top
constexpr int kStripWidth = 168;
constexpr int kStripHeight = 19;

}  // namespace

void ColourPage::LoadIcons() {
  // The style has no picture for picking; where the theme has none either,
  // a cross hair says "a point of the screen". Left to the window's start-up:
  // looking it up reads the theme's index.
  QIcon pickIcon = QIcon::fromTheme(QStringLiteral("color-picker"));
  if (pickIcon.isNull()) {
    QPixmap cross(32, 32);
    cross.fill(Qt::transparent);
    QPainter p(&cross);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(palette().color(QPalette::ButtonText), 2.5));
    p.drawEllipse(QPointF(16, 16), 9, 9);
    p.drawLine(16, 2, 16, 11);
    p.drawLine(16, 21, 16, 30);
    p.drawLine(2, 16, 11, 16);
    p.drawLine(21, 16, 30, 16);
    p.end();
    pickIcon = QIcon(cross);
  }
  cmdPick->setIcon(pickIcon);
}

void ColourPage::showEvent(QShowEvent* event) {
  EditorPage::showEvent(event);
  if (cmdPick->icon().isNull()) LoadIcons();
}

ColourPage::ColourPage(EditorState& state, LookSender& sender, QWidget* parent)
    : EditorPage(parent), state_(state), sender_(sender) {
  setObjectName(QStringLiteral("framMenu_2"));
  const QString hint =
      tr("Цвет: Выбор-левая, Переключение на Тень-правая, на Кайму-средняя кнопки мыши");

  lblTitle = Place(new QLabel(tr("Подбор цвета атрибутов надписи"), this), 4, 0, 300, 16);
  QFont bold = lblTitle->font();
  bold.setBold(true);
  lblTitle->setFont(bold);

  const std::array<std::pair<int, const char*>, 3> opts = {
      {{colour::kTargetText, QT_TR_NOOP("Текст")},
       {colour::kTargetShadow, QT_TR_NOOP("Тень")},
       {colour::kTargetBorder, QT_TR_NOOP("Кайма")}}};
  // Each option has a 64-pixel slot; a caption that needs more (a
  // translation's) widens its own and moves the next ones along, rather than
  // being cut off.
  int ox = 4;
  for (const auto& [index, caption] : opts) {
    auto* option = new QRadioButton(tr(caption), this);
    const int width = std::max(64, option->sizeHint().width());
    OptClr[index] = Place(option, ox, 18, width, 18);
    OptClr[index]->setObjectName(QStringLiteral("OptClr_%1").arg(index));
    ox += width;
  }
  OptClr[colour::kTargetText]->setChecked(true);

  for (int place = 0; place < colour::kColourCellCount; ++place) {
    const int i = kCellAtPlace[place];
    auto* cell = Place(new Swatch(this), 4 + (place % 7) * kCellPitch,
                       40 + (place / 7) * kCellPitch, kCellSize, kCellSize);
    cell->setObjectName(QStringLiteral("picColor_%1").arg(i));
    cell->setToolTip(hint);
    cell->SetBackColor(colour::DefColors[static_cast<std::size_t>(i)]);
    cell->installEventFilter(this);
    picColor[i] = cell;
  }
  shpBox = new SelectionMark(this);
  shpBox->setObjectName(QStringLiteral("shpBox"));
  shpBox->setGeometry(picColor[0]->x(), picColor[0]->y(), kMarkSize, kMarkSize);
  shpBox->raise();
  tmrBlink = new QTimer(this);
  tmrBlink->setObjectName(QStringLiteral("tmr_0"));
  tmrBlink->setInterval(300);

  chkAddColor = Place(new ui::ClassicCheckBox(tr("В набор"), this), 4, 116, 120, 18);
  chkAddColor->setObjectName(QStringLiteral("chkAddColor"));
  chkAddColor->setToolTip(
      tr("Устанавливает цвет в пользовательский набор, в отмеченную (активую) ячейку"));

  const auto makeSlider = [this](const QString& name, int y) {
    auto* s = Place(new ui::ClassicScrollBar(Qt::Horizontal, this), 140, y, 228, 17);
    s->setObjectName(name);
    s->SetRange(0, 255);
    s->SetSmallChange(1);
    s->SetLargeChange(15);
    s->SetValue(255);
    return s;
  };
  const auto makeBox = [this](const QString& name, int y) {
    auto* t = Place(new QLineEdit(QStringLiteral("255"), this), 372, y, 38, 19);
    t->setObjectName(name);
    t->setMaxLength(3);
    return t;
  };
  for (int i = 0; i < 3; ++i) {
    scrlColor[i] = makeSlider(QStringLiteral("scrlColor_%1").arg(i), 40 + i * 20);
    txtColor[i] = makeBox(QStringLiteral("txtColor_%1").arg(i), 38 + i * 20);
  }
  scrlLuma = makeSlider(QStringLiteral("scrlLuma"), 100);
  txtLuma = makeBox(QStringLiteral("txtLuma"), 98);
  // A small key before each slider says what it moves without a caption:
  // red, green, blue, and dark to light for the luma.
  const std::array<const char*, 4> keys = {"#ff0000", "#00c000", "#0000ff",
                                           "qlineargradient(x1:0, y1:1, x2:0, y2:0, "
                                           "stop:0 #000000, stop:1 #ffffff)"};
  for (int i = 0; i < 4; ++i) {
    auto* key = Place(new QLabel(this), 133, 42 + i * 20, 4, 13);
    key->setStyleSheet(QStringLiteral("background: %1;").arg(QString::fromLatin1(keys[i])));
  }

  picClrSet = Place(new Swatch(this), 416, 38, 94, 80);
  picClrSet->setObjectName(QStringLiteral("picClrSet"));

  picHue = Place(new HueStrip(this), 140, 124, kStripWidth, kStripHeight);
  picHue->setObjectName(QStringLiteral("picHue"));
  picHue->setToolTip(hint);
  shpColor = new SelectionMark(picHue);
  shpColor->setObjectName(QStringLiteral("shpColor"));
  shpColor->setGeometry(-kMarkerSize / 2, kMarkerTop, kMarkerSize, kMarkerSize);
  // Beside the strip: the colour from the screen, then the colour as hex.
  cmdPick = Place(new QToolButton(this), 314, 122, 98, 22);
  cmdPick->setObjectName(QStringLiteral("cmdPick"));
  cmdPick->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
  cmdPick->setText(tr("С экрана"));
  txtHex = Place(new QLineEdit(this), 416, 123, 94, 20);
  txtHex->setObjectName(QStringLiteral("txtHex"));
  txtHex->setMaxLength(16);
  txtHex->setToolTip(tr("Цвет в виде #RRGGBB (или RRGGBB, #RGB); Enter применяет"));
  const auto showPicker = [this](bool offered) {
    cmdPick->setEnabled(offered);
    cmdPick->setToolTip(offered ? tr("Взять цвет с экрана (Ctrl+Shift+C): щелчок по любой точке, "
                                     "Esc — отмена")
                                : tr("На этом рабочем столе цвет с экрана взять нельзя"));
  };
  showPicker(false);
  picker_ = ui::ScreenColourPicker::ForThisDesktop();
  if (picker_) picker_->WhenKnown(this, showPicker);
  // The target, the set's push box, then each slider with its box, top to
  // bottom, then the screen picker and the hex box; the cells and the strip are
  // mouse controls.
  SetTabOrder();
  Wire();
}

QList<QWidget*> ColourPage::TabOrder() const {
  return {OptClr[colour::kTargetText],
          OptClr[colour::kTargetShadow],
          OptClr[colour::kTargetBorder],
          chkAddColor,
          scrlColor[0],
          txtColor[0],
          scrlColor[1],
          txtColor[1],
          scrlColor[2],
          txtColor[2],
          scrlLuma,
          txtLuma,
          cmdPick,
          txtHex};
}

std::vector<EditorPage::WheelRow> ColourPage::WheelRows() {
  std::vector<WheelRow> rows;
  for (int i = 0; i < 3; ++i) rows.push_back(SliderRow(scrlColor[i], scrlColor[i]));
  rows.push_back(SliderRow(scrlLuma, scrlLuma));
  for (int i = 0; i < 3; ++i) rows.push_back(SliderRow(txtColor[i], scrlColor[i]));
  rows.push_back(SliderRow(txtLuma, scrlLuma));
  rows.push_back({picHue, [this](int notch) {
                    // One pixel per notch; the marker stays on the strip.
                    SetShpColor(shpColor->x() + shpColor->width() / 2 + (notch > 0 ? 1 : -1));
                  }});
  return rows;
}

void ColourPage::Wire() {
  for (const int i : {colour::kTargetText, colour::kTargetShadow, colour::kTargetBorder}) {
    connect(OptClr[i], &QRadioButton::toggled, this, [this, i](bool on) {
      if (on) OptClr_Click(i);
    });
  }
  connect(chkAddColor, &ui::ClassicCheckBox::Click, this, &ColourPage::chkAddColor_Click);
  connect(tmrBlink, &QTimer::timeout, this, &ColourPage::tmr_Timer);
  for (int i = 0; i < 3; ++i) {
    connect(scrlColor[i], &ui::ClassicScrollBar::Change, this, [this, i] { scrlColor_Change(i); });
    connect(scrlColor[i], &ui::ClassicScrollBar::Scroll, this, [this, i] { scrlColor_Scroll(i); });
    connect(txtColor[i], &QLineEdit::textChanged, this, [this, i] { txtColor_Change(i); });
  }
  connect(scrlLuma, &ui::ClassicScrollBar::Change, this, &ColourPage::scrlLuma_Change);
  connect(scrlLuma, &ui::ClassicScrollBar::Scroll, this, &ColourPage::scrlLuma_Scroll);
  connect(txtLuma, &QLineEdit::textChanged, this, &ColourPage::txtLuma_Change);
  connect(picHue, &HueStrip::MouseDown, this, &ColourPage::picHue_MouseDown);
  connect(picHue, &HueStrip::MouseMove, this, &ColourPage::picHue_MouseMove);
  connect(picHue, &HueStrip::MouseUp, this, &ColourPage::picHue_MouseUp);
  connect(txtHex, &QLineEdit::returnPressed, this, &ColourPage::txtHex_Enter);
  // Left without Enter: the box shows the colour again.
  connect(txtHex, &QLineEdit::editingFinished, this, [this] {
    txtHex->setText(colour::HexColourText(stamp::SplitColour(picClrSet->BackColor())));
  });
  connect(cmdPick, &QToolButton::clicked, this, &ColourPage::cmdPick_Click);
  auto* pickKey = new QShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C), this);
  connect(pickKey, &QShortcut::activated, this, &ColourPage::cmdPick_Click);
  if (picker_) {
    connect(picker_.get(), &ui::ScreenColourPicker::Picked, this, [this](const QColor& c) {
      TakeColour({c.red(), c.green(), c.blue()});
    });
  }
}

bool ColourPage::eventFilter(QObject* watched, QEvent* event) {
  // A press on a palette cell; the second press of a double click is no new
  // press, as with a classic picture box.
  if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick) {
    for (int i = 0; i < colour::kColourCellCount; ++i) {
      if (watched != picColor[i]) continue;
      if (event->type() == QEvent::MouseButtonPress) {
        const auto* e = static_cast<QMouseEvent*>(event);
        const QPoint at = e->position().toPoint();
        picColor_MouseDown(i, ui::ButtonCode(e->button()), ui::ShiftCode(e->modifiers()), at.x(),
                           at.y());
      }
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

// --- The user colour set --------------------------------------------------

void ColourPage::LoadColors(const QString& stored) {
  colour::ColourCells cells = colour::DefColors;
  colour::ApplyColorsKey(stored, cells);
  for (int i = 0; i < colour::kColourCellCount; ++i)
    picColor[i]->SetBackColor(cells[static_cast<std::size_t>(i)]);
}

colour::ColourCells ColourPage::CellColours() const {
  colour::ColourCells cells{};
  for (int i = 0; i < colour::kColourCellCount; ++i)
    cells[static_cast<std::size_t>(i)] = picColor[i]->BackColor();
  return cells;
}

void ColourPage::SaveColors() {
  if (writeColors) writeColors(colour::ColorsKeyText(CellColours()));
}

// --- Target and palette ---------------------------------------------------

bool ColourPage::IsLeftButton(int Button) {
  const bool left = colour::IsLeftButton(Button, ClrTarget);
  // Selecting the target's option runs OptClr_Click when it changes.
  if (ClrTarget < static_cast<int>(OptClr.size()) && OptClr[ClrTarget])
    OptClr[ClrTarget]->setChecked(true);
  return left;
}

std::int32_t ColourPage::SelectedColor() const {
  std::int16_t target = colour::kTargetBorder;
  if (OptClr[colour::kTargetText]->isChecked())
    target = colour::kTargetText;
  else if (OptClr[colour::kTargetShadow]->isChecked())
    target = colour::kTargetShadow;
  return colour::TargetColour(state_.CurrentParams, target);
}

void ColourPage::OptClr_Click(int Index) {
  ClrTarget = static_cast<std::int16_t>(Index);
  // Showing another target's colour is no change of the look.
  const FillingControls filling(state_);
  RGB2Text(SelectedColor());
}

void ColourPage::picColor_MouseDown(int Index, int Button, int Shift, int, int) {
  if (Index < 0 || Index >= colour::kColourCellCount) return;
  if (Shift != 0) {
    // Back to the cell's default: nothing else changes and nothing is sent.
    picColor[Index]->SetBackColor(colour::DefColors[static_cast<std::size_t>(Index)]);
    SaveColors();
    return;
  }
  if (IsLeftButton(Button)) RGB2Text(picColor[Index]->BackColor());
  shpBox->move(picColor[Index]->pos());
  ActiveCell = static_cast<std::int16_t>(Index);
}

void ColourPage::chkAddColor_Click() {
  // A push button in a check box's clothes: unticking it runs this again,
  // which then does nothing.
  if (chkAddColor->Value() != 1) return;
  chkAddColor->SetValue(0);
  picColor[ActiveCell]->SetBackColor(picClrSet->BackColor());
  SaveColors();
}

void ColourPage::ShowBlink(int drawMode, int borderStyle) {
  shpBox->SetLook(drawMode, borderStyle);
}

void ColourPage::Blink(bool on) {
  if (on)
    tmrBlink->start();
  else
    tmrBlink->stop();
}

void ColourPage::tmr_Timer() {
  const BlinkLook look = BlinkStep(BlinkPhase);
  ShowBlink(look.drawMode, look.borderStyle);
}

// --- The colour editor ----------------------------------------------------

void ColourPage::RGB2Text(std::int32_t Clr) {
  const stamp::Rgb c = stamp::SplitColour(Clr);
  const int parts[3] = {c.r, c.g, c.b};
  {
    const FillingControls filling(state_);
    for (int i = 0; i < 3; ++i) scrlColor[i]->SetValue(parts[i]);
    for (int i = 0; i < 3; ++i) txtColor[i]->setText(QString::number(parts[i]));
  }
  Text2Color();
}

void ColourPage::Text2Color() {
  const stamp::Rgb c{scrlColor[0]->Value(), scrlColor[1]->Value(), scrlColor[2]->Value()};
  picClrSet->SetBackColor(stamp::JoinColour(c));
  txtHex->setText(colour::HexColourText(c));
  FindColor();
  if (LumaSync) {
    colour::RGB2HSV(c.r, c.g, c.b, CurHue, CurSat, CurLuma);
    // When the slider moves, its handler recolours (and sends) right here.
    scrlLuma->SetValue(CurLuma);
    txtLuma->setText(QString::number(CurLuma));
  }
  if (state_.FormReady()) {
    sender_.SendText(Button2Cmd() + u'=' +
                     QString::number(stamp::Color2RGB(picClrSet->BackColor())));
  }
}

void ColourPage::FindColor() {
  const stamp::Rgb c{scrlColor[0]->Value(), scrlColor[1]->Value(), scrlColor[2]->Value()};
  const int column = colour::FindColumn(HueTable, c);
  shpColor->move(column - shpColor->width() / 2, shpColor->y());
}

void ColourPage::SetShpColor(int X) {
  const int left = colour::MarkerLeft(X, picHue->width(), shpColor->width());
  shpColor->move(left, shpColor->y());
  const std::int32_t picked = picHue->Point(left + shpColor->width() / 2, picHue->height() / 2);
  if (picked != LastHueColor) {
    LastHueColor = picked;
    RGB2Text(picked);
  }
}

void ColourPage::scrlColor_Change(int Index) {
  if (state_.FormReady()) scrlColor_Scroll(Index);
}

void ColourPage::scrlColor_Scroll(int Index) {
  txtColor[Index]->setText(QString::number(scrlColor[Index]->Value()));
  Text2Color();
}

void ColourPage::txtColor_Change(int Index) {
  const int n = colour::ComponentOfText(txtColor[Index]->text());
  // The box never stays empty or above 255.
  txtColor[Index]->setText(QString::number(n));
  if (state_.FormReady()) scrlColor[Index]->SetValue(n);
}

void ColourPage::scrlLuma_Change() { scrlLuma_Scroll(); }

void ColourPage::scrlLuma_Scroll() {
  // The colour follows the value alone: hue and saturation are kept, even
  // through black, until the colour is set some other way.
  LumaSync = false;
  CurLuma = scrlLuma->Value();
  txtLuma->setText(QString::number(CurLuma));
  stamp::Rgb c;
  colour::HSV2RGB(CurHue, CurSat, CurLuma, c.r, c.g, c.b);
  RGB2Text(stamp::JoinColour(c));
  LumaSync = true;
}

void ColourPage::txtLuma_Change() {
  const int n = colour::ComponentOfText(txtLuma->text());
  if (!LumaSync) return;
  txtLuma->setText(QString::number(n));
  if (state_.FormReady()) scrlLuma->SetValue(n);
}

void ColourPage::picHue_MouseDown(int Button, int Shift, int X, int Y) {
  if (!IsLeftButton(Button)) return;
  HueDrag = true;
  picHue_MouseMove(Button, Shift, X, Y);
}

void ColourPage::picHue_MouseMove(int, int, int X, int) {
  if (HueDrag) SetShpColor(X);
}

void ColourPage::picHue_MouseUp(int Button, int, int, int) {
  if (Button == colour::kLeftButton) HueDrag = false;
}

void ColourPage::TakeColour(const stamp::Rgb& c) {
  // Shown silently and sent once: the luma slider, moved while it follows,
  // would otherwise send a colour of its own first (through its 255 hue
  // steps, not exactly this one).
  {
    const FillingControls filling(state_);
    // The luma slider's handler runs even while the controls are filled
    // (that is how a palette cell's colour reaches it); here it must not
    // run at all, or it would put its own approximation in place of `c`.
    const QSignalBlocker quiet(scrlLuma);
    RGB2Text(stamp::JoinColour(c));
  }
  if (state_.FormReady())
    sender_.SendText(Button2Cmd() + u'=' +
                     QString::number(stamp::Color2RGB(picClrSet->BackColor())));
}

void ColourPage::txtHex_Enter() {
  const std::optional<stamp::Rgb> c = colour::ParseHexColour(txtHex->text());
  if (c) TakeColour(*c);
  txtHex->setText(colour::HexColourText(stamp::SplitColour(picClrSet->BackColor())));
}

void ColourPage::cmdPick_Click() {
  if (picker_ && cmdPick->isEnabled()) picker_->Start(cmdPick);
}

void ColourPage::ShowParams(const stamp::StampParams& p) {
  RGB2Text(colour::TargetColour(p, ClrTarget));
}

void ColourPage::FillHueTable() {
  // One row per pixel column of the strip, read across its middle.
  HueTable.clear();
  for (int x = 0; x < picHue->width(); ++x) {
    const stamp::Rgb c = stamp::SplitColour(picHue->Point(x, picHue->height() / 2));
    HueTable.push_back({static_cast<std::int16_t>(c.r), static_cast<std::int16_t>(c.g),
                        static_cast<std::int16_t>(c.b)});
  }
}

}  // namespace qm
