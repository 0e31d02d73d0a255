#pragma once
// The mark of the selected palette cell: a square outline that blinks
// through four looks (two draw modes, solid or dotted). Each look is drawn
// as two rings of opposite tones, so that the mark stays visible on a black,
// a white or a mid-grey cell alike.

#include <QWidget>

namespace qm {

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
