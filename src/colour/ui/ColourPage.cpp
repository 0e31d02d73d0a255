#include "colour/ui/ColourPage.h"

#include <QImage>
#include <QPixmap>
#include <cmath>

#include "colour/ColourModel.h"
#include "params/EditorState.h"
#include "platform/ui/Place.h"
#include "stamp/ColourOrder.h"

namespace qm {

using ui::Place;

const std::array<int, 28> ColourPage::kCellAtPlace = {0,  1, 6,  19, 7,  25, 2,  23, 8,  21,
                                                      3,  4, 5,  27, 22, 20, 15, 12, 24, 14,
                                                      11, 9, 10, 17, 13, 16, 26, 18};

namespace {

// The hue strip: 168 columns of fully saturated colours, column x holding the
// hue (x + 1/2) * 360 / 168 degrees, all rows alike.
QPixmap HueStrip(int width, int height) {
  QImage img(width, height, QImage::Format_RGB32);
  for (int x = 0; x < width; ++x) {
    const double h = (x + 0.5) * 360.0 / width;
    const QColor c = QColor::fromHsvF(static_cast<float>(std::fmod(h, 360.0) / 360.0), 1.f, 1.f);
    for (int y = 0; y < height; ++y) img.setPixel(x, y, c.rgb());
  }
  return QPixmap::fromImage(img);
}

}  // namespace

ColourPage::ColourPage(EditorState& state, LookSender& sender, QWidget* parent)
    : QWidget(parent), state_(state), sender_(sender) {
  setObjectName(QStringLiteral("framMenu_2"));
  const QString hint = QStringLiteral(
      "Цвет: Выбор-левая, Переключение на Тень-правая, на Кайму-средняя кнопки мыши");

  lblTitle =
      Place(new QLabel(QStringLiteral("Подбор цвета атрибутов надписи"), this), 4, 0, 300, 16);
  QFont bold = lblTitle->font();
  bold.setBold(true);
  lblTitle->setFont(bold);

  const std::array<std::pair<int, const char*>, 3> opts = {
      {{1, "Текст"}, {2, "Тень"}, {4, "Кайма"}}};
  int ox = 4;
  for (const auto& [index, caption] : opts) {
    OptClr[index] = Place(new QRadioButton(QString::fromUtf8(caption), this), ox, 18, 64, 18);
    OptClr[index]->setObjectName(QStringLiteral("OptClr_%1").arg(index));
    ox += 64;
  }
  OptClr[1]->setChecked(true);

  for (int place = 0; place < 28; ++place) {
    const int i = kCellAtPlace[place];
    auto* cell = Place(new Swatch(this), 4 + (place % 7) * 18, 40 + (place / 7) * 18, 16, 16);
    cell->setObjectName(QStringLiteral("picColor_%1").arg(i));
    cell->setToolTip(hint);
    picColor[i] = cell;
  }
  // The selection mark: a 13 x 13 pixel outline at the top-left inside cell 0.
  shpBox = new QFrame(this);
  shpBox->setObjectName(QStringLiteral("shpBox"));
  shpBox->setFrameShape(QFrame::Box);
  shpBox->setAttribute(Qt::WA_TransparentForMouseEvents);
  shpBox->setGeometry(picColor[0]->x(), picColor[0]->y(), 13, 13);
  shpBox->raise();

  chkAddColor = Place(new ui::ClassicCheckBox(QStringLiteral("В набор"), this), 4, 116, 120, 18);
  chkAddColor->setObjectName(QStringLiteral("chkAddColor"));
  chkAddColor->setToolTip(
      QStringLiteral("Устанавливает цвет в пользовательский набор, в отмеченную (активую) ячейку"));

  for (int i = 0; i < 3; ++i) {
    auto* s = Place(new ui::ClassicScrollBar(Qt::Horizontal, this), 140, 40 + i * 20, 228, 17);
    s->setObjectName(QStringLiteral("scrlColor_%1").arg(i));
    s->SetRange(0, 255);
    s->SetSmallChange(1);
    s->SetLargeChange(15);
    scrlColor[i] = s;
    auto* t = Place(new QLineEdit(QStringLiteral("255"), this), 372, 38 + i * 20, 38, 19);
    t->setObjectName(QStringLiteral("txtColor_%1").arg(i));
    t->setMaxLength(3);
    txtColor[i] = t;
  }
  scrlLuma = Place(new ui::ClassicScrollBar(Qt::Horizontal, this), 140, 100, 228, 17);
  scrlLuma->setObjectName(QStringLiteral("scrlLuma"));
  scrlLuma->SetRange(0, 255);
  scrlLuma->SetSmallChange(1);
  scrlLuma->SetLargeChange(15);
  txtLuma = Place(new QLineEdit(QStringLiteral("255"), this), 372, 98, 38, 19);
  txtLuma->setObjectName(QStringLiteral("txtLuma"));
  txtLuma->setMaxLength(3);

  picClrSet = Place(new Swatch(this), 416, 38, 94, 80);
  picClrSet->setObjectName(QStringLiteral("picClrSet"));

  picHue = Place(new QLabel(this), 140, 124, 168, 19);
  picHue->setObjectName(QStringLiteral("picHue"));
  picHue->setPixmap(HueStrip(168, 19));
  picHue->setToolTip(hint);
  shpColor = new QFrame(picHue);
  shpColor->setObjectName(QStringLiteral("shpColor"));
  shpColor->setFrameShape(QFrame::Box);
  shpColor->setAttribute(Qt::WA_TransparentForMouseEvents);
  shpColor->setGeometry(-4, 6, 8, 8);
}

void ColourPage::SetCellColours(const std::array<std::int32_t, 28>& bgr) {
  for (int i = 0; i < 28; ++i) picColor[i]->SetBackColor(bgr[i]);
}

namespace {

// The colour of target 1 (text), 2 (shadow) or 4 (border) in a look, as the
// controls show it (BGR).
std::int32_t TargetColour(const stamp::StampParams& p, int target) {
  switch (target) {
    case 2:
      return stamp::Color2RGB(p.ShadowColor);
    case 4:
      return stamp::Color2RGB(p.BorderColor);
    default:
      return stamp::Color2RGB(p.TextColor);
  }
}

}  // namespace

std::int32_t ColourPage::SelectedColor() const {
  return TargetColour(state_.CurrentParams, ClrTarget);
}

void ColourPage::ShowParams(const stamp::StampParams& p) {
  const std::int32_t bgr = TargetColour(p, ClrTarget);
  picClrSet->SetBackColor(bgr);
  const int parts[3] = {bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF};
  for (int i = 0; i < 3; ++i) {
    const QSignalBlocker block(scrlColor[i]);
    scrlColor[i]->SetValue(parts[i]);
    txtColor[i]->setText(QString::number(parts[i]));
  }
  // The brightness slider shows the colour's value component.
  const colour::Hsv hsv = colour::RGB2HSV(colour::Rgb{parts[0], parts[1], parts[2]});
  const QSignalBlocker block(scrlLuma);
  scrlLuma->SetValue(hsv.v);
  txtLuma->setText(QString::number(hsv.v));
}

void ColourPage::FillHueTable() {
  // One row per pixel column of the strip, read across its middle.
  const QImage strip = picHue->pixmap().toImage();
  HueTable.clear();
  for (int x = 0; x < strip.width(); ++x) {
    const QRgb c = strip.pixel(x, strip.height() / 2);
    HueTable.push_back({static_cast<std::int16_t>(qRed(c)), static_cast<std::int16_t>(qGreen(c)),
                        static_cast<std::int16_t>(qBlue(c))});
  }
}

}  // namespace qm
