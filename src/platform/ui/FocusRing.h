#pragma once
// A ring round whichever control of a window has the keyboard focus, drawn the
// same way for every kind of control. The style's own focus marks are a thin
// dotted or faint line that is hard to find on a grey face at 1x; this one is
// a solid band in the highlight colour, outside the control, above its
// neighbours.

#include <QPointer>
#include <QWidget>

namespace qm::ui {

class FocusRing : public QWidget {
  Q_OBJECT
 public:
  // Follows the focus inside `window` (a top-level widget) for its lifetime.
  explicit FocusRing(QWidget* window);

  // The control the ring is drawn round; null while none of ours has the focus.
  QWidget* Target() const { return target_; }
  // Width of the band in logical pixels.
  static constexpr int kBand = 2;

 protected:
  void paintEvent(QPaintEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Follow(QWidget* now);
  void Track(bool on);
  void Reposition();

  QPointer<QWidget> target_;
};

}  // namespace qm::ui
