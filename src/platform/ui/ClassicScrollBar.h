#pragma once
// A scroll bar with the classic slider semantics the editor's handlers are
// written against:
//  - Min may be greater than Max; Min always sits at the left or top end
//    (Qt cannot express that, so values are mapped into a normal Qt range);
//  - Change is raised when the value changes while the thumb is not held, and
//    once on release when a drag moved it; Scroll is raised while dragging;
//  - one wheel notch is one small step (Qt would add several);
//  - Left and Up step toward Min, Right and Down toward Max;
//  - it is a tab stop, takes the focus when clicked and shows that it has it.

#include <QScrollBar>

namespace qm::ui {

class ClassicScrollBar : public QScrollBar {
  Q_OBJECT
 public:
  explicit ClassicScrollBar(Qt::Orientation orientation, QWidget* parent = nullptr);

  void SetRange(int min, int max);
  int Min() const { return min_; }
  int Max() const { return max_; }

  int Value() const;
  // Clamped into the range; raises Change when the value actually changes.
  void SetValue(int v);

  int SmallChange() const { return singleStep(); }
  int LargeChange() const { return pageStep(); }
  void SetSmallChange(int v) { setSingleStep(v); }
  void SetLargeChange(int v) { setPageStep(v); }

  // One small step toward the Max end (true) or the Min end (false), as a click
  // on an arrow does; stops at the ends.
  void LineStep(bool towardMax);

  // Where the style draws the thumb, in the bar's own pixels.
  QRect ThumbRect() const;

 Q_SIGNALS:
  void Change();
  void Scroll();

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  int ToQt(int v) const { return min_ > max_ ? min_ + max_ - v : v; }
  int FromQt(int q) const { return min_ > max_ ? min_ + max_ - q : q; }

  int min_ = 0;
  int max_ = 32767;
  bool movedWhileHeld_ = false;
  int wheelRemainder_ = 0;
};

}  // namespace qm::ui
