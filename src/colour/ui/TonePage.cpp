#include "colour/ui/TonePage.h"

#include "params/ui/EditorState.h"
#include "platform/ui/Place.h"

namespace qm {

using ui::Place;

const std::array<TonePage::Tone, 5> TonePage::kTones = {{
    {"Оттенок", 'h', -180, 180, 0},
    {"Насыщенность", 's', 0, 200, 100},
    {"Величина", 'v', 0, 200, 100},
    {"Яркость", 'b', -100, 100, 0},
    {"Прозрачность", 'a', -100, 0, -100},
}};

TonePage::TonePage(EditorState& state, QWidget* parent) : QWidget(parent), state_(state) {
  setObjectName(QStringLiteral("framMenu_4"));
  lblTitle = Place(new QLabel(QStringLiteral("Подбор цветового тона картинки"), this), 4, 0, 300, 16);
  QFont bold = lblTitle->font();
  bold.setBold(true);
  lblTitle->setFont(bold);

  for (int i = 0; i < 5; ++i) {
    const Tone& t = kTones[i];
    const int y = 20 + i * 23;
    lblHue[i] = Place(new QLabel(QString::fromUtf8(t.label), this), 4, y, 104, 18);
    auto* s = Place(new ui::ClassicScrollBar(Qt::Horizontal, this), 110, y, 300, 17);
    s->setObjectName(QStringLiteral("scrlHue_%1").arg(i));
    s->SetRange(t.min, t.max);
    s->SetSmallChange(1);
    s->SetLargeChange(10);
    {
      const QSignalBlocker block(s);
      s->SetValue(t.neutral);
    }
    scrlHue[i] = s;
    auto* box = Place(new QLineEdit(QString::number(i == 4 ? t.neutral + 100 : t.neutral), this),
                      416, y - 1, 44, 20);
    box->setObjectName(QStringLiteral("txtHue_%1").arg(i));
    box->setReadOnly(true);
    txtHue[i] = box;
  }
  chkResetHSV = Place(
      new ui::ClassicCheckBox(QStringLiteral("Установить неизменённые параметры"), this), 4, 140,
      300, 20);
  chkResetHSV->setObjectName(QStringLiteral("chkResetHSV"));
  chkResetHSV->setToolTip(QStringLiteral("Устанавливает все неизменённые параметры цвета картинки"));
}

}  // namespace qm
