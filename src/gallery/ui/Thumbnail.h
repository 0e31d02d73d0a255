#pragma once
// One thumbnail of the gallery: a box that keeps its drawing, the template
// line it shows (its tag) and a tooltip, and reports presses and mouse moves
// in the classic button and shift codes the gallery's handlers take.

#include <QImage>
#include <QWidget>

namespace qm {

class Thumbnail : public QWidget {
  Q_OBJECT
 public:
  Thumbnail(int index, QWidget* parent = nullptr);

  // Classic codes: buttons 1 left, 2 right, 4 middle; shift bits 1 Shift,
  // 2 Ctrl, 4 Alt.
  static int ButtonCode(Qt::MouseButton button);
  static int ShiftCode(Qt::KeyboardModifiers modifiers);

  int Index() const { return index_; }
  QString Tag;

  // The drawing, in device pixels with the screen's pixel ratio.
  const QImage& Image() const { return image_; }
  void SetImage(const QImage& image);
  QColor BackColor() const { return back_; }
  void SetBackColor(const QColor& c);
  void Clear();

 Q_SIGNALS:
  void MouseDown(int index, int button, int shift);
  void MouseMove(int index);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;

 private:
  int index_;
  QColor back_ = Qt::white;
  QImage image_;
};

}  // namespace qm
