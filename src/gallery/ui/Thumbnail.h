#pragma once
// One thumbnail of the gallery: a box that keeps its drawing, the template
// line it shows (its tag) and a tooltip.

#include <QImage>
#include <QWidget>

namespace qm {

class Thumbnail : public QWidget {
  Q_OBJECT
 public:
  Thumbnail(int index, QWidget* parent = nullptr);

  int Index() const { return index_; }
  QString Tag;

  // The drawing, in device pixels with the screen's pixel ratio.
  const QImage& Image() const { return image_; }
  void SetImage(const QImage& image);
  void SetBackColor(const QColor& c);
  void Clear();

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  int index_;
  QColor back_ = Qt::white;
  QImage image_;
};

}  // namespace qm
