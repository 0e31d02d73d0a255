#include "pages/ui/TonePage.h"

#include "platform/ui/Place.h"
#include "platform/ui/TabOrder.h"
#include "session/EditorState.h"
#include "stamp/HostMessage.h"

namespace qm {

using ui::Place;

const std::array<TonePage::Tone, 5> TonePage::kTones = {{
    {QT_TRANSLATE_NOOP("qm::TonePage", "Оттенок"), -180, 180},
    {QT_TRANSLATE_NOOP("qm::TonePage", "Насыщенность"), 0, 200},
    {QT_TRANSLATE_NOOP("qm::TonePage", "Величина"), 0, 200},
    {QT_TRANSLATE_NOOP("qm::TonePage", "Яркость"), -100, 100},
    {QT_TRANSLATE_NOOP("qm::TonePage", "Прозрачность"), -100, 0},
}};

int TonePage::SliderValue(int Index, const stamp::StampParams& p) {
  const qint16 v[5] = {p.PicHue, p.PicSaturation, p.PicValue, p.PicBrightness, p.PicAlpha};
  return Index == 4 ? v[4] - 100 : v[Index];
}

int TonePage::NeutralValue(int Index) {
  stamp::StampParams neutral;
  stamp::SetNeutralTone(neutral);
  return SliderValue(Index, neutral);
}

TonePage::TonePage(EditorState& state, LookSender& sender, QWidget* parent)
    : EditorPage(parent), state_(state), sender_(sender) {
  setObjectName(QStringLiteral("framMenu_4"));
  lblTitle = Place(new QLabel(tr("Подбор цветового тона картинки"), this), 4, 0, 300, 16);
  QFont bold = lblTitle->font();
  bold.setBold(true);
  lblTitle->setFont(bold);

  for (int i = 0; i < 5; ++i) {
    const Tone& t = kTones[i];
    const int y = 20 + i * 23;
    lblHue[i] = Place(new QLabel(tr(t.label), this), 4, y, 104, 18);
    auto* s = Place(new ui::ClassicScrollBar(Qt::Horizontal, this), 110, y, 300, 17);
    s->setObjectName(QStringLiteral("scrlHue_%1").arg(i));
    s->SetRange(t.min, t.max);
    s->SetSmallChange(1);
    s->SetLargeChange(10);
    // Not wired yet: setting it sends nothing.
    const int neutral = NeutralValue(i);
    s->SetValue(neutral);
    scrlHue[i] = s;
    auto* box = Place(new QLineEdit(QString::number(i == 4 ? neutral + 100 : neutral), this), 416,
                      y - 1, 44, 20);
    box->setObjectName(QStringLiteral("txtHue_%1").arg(i));
    box->setReadOnly(true);
    ui::NoTabStop(box);
    txtHue[i] = box;
  }
  chkResetHSV = Place(new ui::ClassicCheckBox(tr("Установить неизменённые параметры"), this), 4,
                      140, 300, 20);
  chkResetHSV->setObjectName(QStringLiteral("chkResetHSV"));
  chkResetHSV->setToolTip(tr("Устанавливает все неизменённые параметры цвета картинки"));

  for (int i = 0; i < 5; ++i) {
    connect(scrlHue[i], &ui::ClassicScrollBar::Change, this, [this, i] { scrlHue_Change(i); });
    connect(scrlHue[i], &ui::ClassicScrollBar::Scroll, this, [this, i] { scrlHue_Scroll(i); });
    scrlHue[i]->installEventFilter(this);
  }
  connect(chkResetHSV, &ui::ClassicCheckBox::Click, this, &TonePage::chkResetHSV_Click);
  // The five sliders top to bottom, then the reset.
  SetTabOrder();
}

QList<QWidget*> TonePage::TabOrder() const {
  return {scrlHue[0], scrlHue[1], scrlHue[2], scrlHue[3], scrlHue[4], chkResetHSV};
}

std::vector<EditorPage::WheelRow> TonePage::WheelRows() {
  std::vector<WheelRow> rows;
  for (int i = 0; i < 5; ++i) rows.push_back(SliderRow(scrlHue[i], scrlHue[i]));
  for (int i = 0; i < 5; ++i) rows.push_back(SliderRow(txtHue[i], scrlHue[i]));
  return rows;
}

void TonePage::scrlHue_Change(int Index) { scrlHue_Scroll(Index); }

void TonePage::scrlHue_Scroll(int Index) {
  int n = scrlHue[Index]->Value();
  // The transparency slider runs -100..0 so that opaque sits at the left.
  if (Index == 4) n += 100;
  txtHue[Index]->setText(QString::number(n));
  if (state_.FormReady())
    sender_.SendText(stamp::FieldMessage(stamp::kPicHue + Index, QString::number(n)));
}

int TonePage::KeyCodeOf(const QKeyEvent& event) {
  const int key = event.key();
  if (event.modifiers() & Qt::KeypadModifier) {
    if (key >= Qt::Key_0 && key <= Qt::Key_9) return 96 + (key - Qt::Key_0);
    switch (key) {
      case Qt::Key_Asterisk:
        return 106;
      case Qt::Key_Plus:
        return 107;
      case Qt::Key_Comma:
        return 108;
      case Qt::Key_Minus:
        return 109;
      case Qt::Key_Period:
        return 110;
      case Qt::Key_Slash:
        return 111;
      default:
        return 0;
    }
  }
  if (key == Qt::Key_Space) return 32;
  if (key >= Qt::Key_0 && key <= Qt::Key_9) return key;  // 48..57, as the classic codes
  return 0;
}

bool TonePage::scrlHue_KeyDown(int Index, int KeyCode) {
  const bool reset =
      KeyCode == 32 || (KeyCode >= 48 && KeyCode <= 57) || (KeyCode >= 96 && KeyCode <= 111);
  if (!reset) return false;
  // The slider's change handler shows and sends the neutral number, and only
  // when the value actually changes.
  scrlHue[Index]->SetValue(NeutralValue(Index));
  return true;
}

bool TonePage::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress) {
    for (int i = 0; i < 5; ++i) {
      if (watched == scrlHue[i] && scrlHue_KeyDown(i, KeyCodeOf(*static_cast<QKeyEvent*>(event))))
        return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

void TonePage::chkResetHSV_Click() {
  // The box works as a button: act on the tick, take it back at once (which
  // runs this handler again with nothing to do).
  if (chkResetHSV->Value() != 1) return;
  chkResetHSV->SetValue(0);
  // The sliders move silently; the host gets the five values as one message.
  {
    const FillingControls filling(state_);
    for (int i = 0; i < 5; ++i) scrlHue[i]->SetValue(NeutralValue(i));
  }
  sender_.SendText(stamp::NeutralToneMessage());
}

void TonePage::ShowParams(const stamp::StampParams& p) {
  for (int i = 0; i < 5; ++i) scrlHue[i]->SetValue(SliderValue(i, p));
}

}  // namespace qm
