#pragma once
// The hue strip of the colour page: a generated rainbow, one colour per
// logical pixel column, drawn sharp at the screen's pixel ratio (each column
// fills whole device pixels), and its mouse presses, moves and releases in
// the classic codes.

#include <QImage>
#include <QWidget>

namespace qm {

class HueStrip : public QWidget {
  Q_OBJECT
 public:
  explicit HueStrip(QWidget* parent = nullptr);

  // The colour drawn at logical pixel (x, y), as a colour reference (BGR);
  // outside the strip, the nearest column and row.
  std::int32_t Point(int x, int y);

 Q_SIGNALS:
  // x and y in logical pixels inside the strip.
  void MouseDown(int button, int shift, int x, int y);
  void MouseMove(int button, int shift, int x, int y);
  void MouseUp(int button, int shift, int x, int y);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;

 private:
  // The picture for the current size and pixel ratio, made when either changed.
  const QImage& Picture();
  QImage picture_;
};

}  // namespace qm
