#pragma once
// The drawing target of a thumbnail: an image in device pixels that knows its
// logical size, so that thumbnails stay sharp on a screen with a device pixel
// ratio above 1. Resizing or clearing it shows its background colour, as a
// classic picture box does.
//
// A thumbnail's box also has the classic picture box's border, two pixels
// sunken, drawn into the image: everything else is drawn in the inner
// (client) area, which is the box less the border on each side.

#include <QColor>
#include <QImage>
#include <QRect>
#include <QSize>

namespace qm::render {

struct PictureBox {
  QImage image;  // device pixels, premultiplied ARGB, devicePixelRatio set
  QColor backColor = Qt::white;
  qreal devicePixelRatio = 1.0;
  bool border = false;  // the sunken border; takes effect with the next clear
  // A box drawn for the desktop rather than as a thumbnail: the border's
  // place stays (the picture sits in the same inner area) but its lines are
  // not drawn, so the desktop shows there.
  bool borderless = false;
  static constexpr int kBorderWidth = 2;

  PictureBox() = default;
  PictureBox(int logicalWidth, int logicalHeight, const QColor& back, qreal dpr = 1.0);

  // Size in logical pixels; the drawing code works in these units.
  QSize logicalSize() const;
  // New logical size, the whole box filled with backColor. Negative sizes count
  // as 0. False when the image cannot be allocated (the box is then empty).
  bool resizeLogical(int width, int height);
  // The inner area in logical pixels: the whole box, or the box less its
  // border.
  QRect client() const;
  // Fills the inner area with backColor and draws the border, if any.
  void clear();

 private:
  // The sunken edge of a box w x h logical pixels, as lines of one colour
  // each: line(x, y, width, height, colour).
  template <typename Line>
  static void DrawEdge(int w, int h, const Line& line);
  QSize logical_;
};

// Device pixels for a logical length at a device pixel ratio (rounded up, so
// that the last logical pixel is always covered).
int DeviceLength(int logical, qreal dpr);

}  // namespace qm::render
