#pragma once
// The small top-most window that shows the start-up's progress.

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
  void Init(float left, float top, const QString& sMsg);
  void Progress(float value);
  void ProgressStop();

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
  double barTwips_ = 0;
};

// Makes a window top-most or not, leaving its place and size alone.
void SetOnTop(bool onTop, QWidget* window);

}  // namespace qm
