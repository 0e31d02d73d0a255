#pragma once
// The mark of the selected palette cell: a square outline that blinks
// through four looks (two draw modes, solid or dotted). Each look is drawn
// as two rings of opposite tones, so that the mark stays visible on a black,
// a white or a mid-grey cell alike.

#include <QWidget>
#include <cstdint>

namespace qm {

// The four looks of the mark, one per blink tick: the raster operation (6
// inverts, 12 merges the inverted pen) and the outline style (1 solid, 3
// dotted).
struct BlinkLook {
  int drawMode;
  int borderStyle;
  friend bool operator==(const BlinkLook&, const BlinkLook&) = default;
};
// Advances the phase (0..3, wrapping) and gives the look of the new phase.
BlinkLook BlinkStep(std::int16_t& phase);

class SelectionMark : public QWidget {
  Q_OBJECT
 public:
  explicit SelectionMark(QWidget* parent = nullptr);

  // drawMode 6 inverts (a dark outer ring), 12 merges the inverted pen (a
  // light outer ring); borderStyle 1 is solid, 3 dotted.
  void SetLook(int drawMode, int borderStyle);
  int DrawMode() const { return drawMode_; }
  int BorderStyle() const { return borderStyle_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  int drawMode_ = 6;
  int borderStyle_ = 1;
};

}  // namespace qm
