#pragma once
// The small top-most window that shows the start-up's progress.

#include <QElapsedTimer>
#include <QFrame>
#include <QLabel>
#include <QPushButton>

namespace qm {

class FrmProgress : public QWidget {
  Q_OBJECT
 public:
  explicit FrmProgress(QWidget* parent = nullptr);

  // Stands for a coordinate that is not given.
  static constexpr float kNotGiven = 3e38f;

  // left/top in twips; kNotGiven keeps the window's current coordinate.
  // Shows the window at once, or, given `showAfterMs`, only once a step of
  // the load comes that long after the start: a load over sooner needs no
  // window that flashes up and goes.
  void Init(float left, float top, const QString& sMsg, int showAfterMs = 0);
  void Progress(float value);
  void ProgressStop();

  // How often at most the bar is painted while a load goes on: a frame of a
  // 60 Hz screen by default, since nobody sees more, and painting after each
  // of forty quick steps cost the start-up more than the steps themselves.
  // The last step (100 %) is always painted. Tests set 0 to see every step.
  static void SetPaintInterval(int ms);
  static int PaintInterval() { return paintInterval_; }

  // The bar width in twips, before it is turned into pixels.
  double BarWidthTwips() const { return barTwips_; }
  static constexpr double kUnitWidth = 3885.0 / 100.0;

  QFrame* picFrame;
  QFrame* fram;
  QLabel* lblMsg;
  QFrame* picProgress;
  QPushButton* cmdProgress;

 private:
  void SetBarWidth(double twips);
  void ShowNow();
  double barTwips_ = 0;
  QElapsedTimer lastPaint_;
  QElapsedTimer started_;
  int showAfterMs_ = 0;
  static inline int paintInterval_ = 16;
};

// Makes a window top-most or not, leaving its place and size alone.
void SetOnTop(bool onTop, QWidget* window);

}  // namespace qm
