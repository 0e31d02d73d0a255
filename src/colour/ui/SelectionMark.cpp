#include "colour/ui/SelectionMark.h"

#include <QPainter>

namespace qm {

BlinkLook BlinkStep(std::int16_t& phase) {
  static constexpr BlinkLook kLooks[4] = {{6, 1}, {12, 1}, {6, 3}, {12, 3}};
  phase = static_cast<std::int16_t>(phase + 1);
  if (phase > 3 || phase < 0) phase = 0;
  return kLooks[phase];
}

SelectionMark::SelectionMark(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_TransparentForMouseEvents);
  setAttribute(Qt::WA_NoSystemBackground);
  setProperty("DrawMode", drawMode_);
  setProperty("BorderStyle", borderStyle_);
}

void SelectionMark::SetLook(int drawMode, int borderStyle) {
  if (drawMode == drawMode_ && borderStyle == borderStyle_) return;
  drawMode_ = drawMode;
  borderStyle_ = borderStyle;
  // Kept as properties too, so that a look can be read without painting.
  setProperty("DrawMode", drawMode);
  setProperty("BorderStyle", borderStyle);
  update();
}

void SelectionMark::paintEvent(QPaintEvent*) {
  QPainter p(this);
  const QColor outer = drawMode_ == 6 ? Qt::black : Qt::white;
  const QColor inner = drawMode_ == 6 ? Qt::white : Qt::black;
  // Outlines one logical pixel wide, on whole pixels at any ratio.
  const QRectF ring(0.5, 0.5, width() - 1.0, height() - 1.0);
  const QRectF innerRing = ring.adjusted(1, 1, -1, -1);
  if (borderStyle_ == 3) {
    // Dotted: each ring alternates its two tones, offset against the other,
    // so the dots chase round the cell as the looks change.
    QPen a(outer, 1, Qt::CustomDashLine);
    a.setDashPattern({1, 1});
    QPen b(inner, 1, Qt::CustomDashLine);
    b.setDashPattern({1, 1});
    b.setDashOffset(1);
    p.setPen(QPen(inner, 1));
    p.drawRect(ring);
    p.setPen(a);
    p.drawRect(ring);
    p.setPen(QPen(outer, 1));
    p.drawRect(innerRing);
    p.setPen(b);
    p.drawRect(innerRing);
    return;
  }
  p.setPen(QPen(outer, 1));
  p.drawRect(ring);
  p.setPen(QPen(inner, 1));
  p.drawRect(innerRing);
}

}  // namespace qm
