#pragma once
// A small coverage rasteriser for the stamp text. The text, its border and its
// shadow are four layers of two shapes (the glyphs and the band round their
// outlines); rasterising each shape once and blending the layers is several
// times cheaper than filling four vector paths, and it keeps a gallery of
// thumbnails quick to paint.

#include <QImage>
#include <QPainterPath>
#include <QRect>
#include <QTransform>
#include <cstdint>
#include <vector>

namespace qm::render {

struct Segment {
  double x0, y0, x1, y1;
};

// The path mapped by `transform` as straight segments, curves split finely
// enough that no point strays more than about a quarter of a pixel. Every
// subpath is closed. Points that are not finite are dropped with their segment.
std::vector<Segment> FlattenPath(const QPainterPath& path, const QTransform& transform);

// Bounds of the segments, grown by `margin`, in whole pixels.
QRect SegmentBounds(const std::vector<Segment>& segments, double margin);

// Coverage of a shape over the pixels of `area`, 0 (none) to 255 (full), one
// byte per pixel, row by row. Segments may lie partly or wholly outside the
// area.
struct Coverage {
  QRect area;
  std::vector<std::uint8_t> value;
  int at(int x, int y) const {  // device pixel, 0 outside the area
    if (!area.contains(x, y) || value.empty()) return 0;
    return value[static_cast<std::size_t>(y - area.top()) * area.width() + (x - area.left())];
  }
};

// Inside of the closed contours under the non-zero winding rule.
Coverage FillCoverage(const std::vector<Segment>& segments, const QRect& area);

// The band of the given width centred on the contours, with round joins: every
// point within half the width of an edge.
Coverage StrokeCoverage(const std::vector<Segment>& segments, double width, const QRect& area);

// Blends `colour` (straight ARGB) over `layer` (premultiplied ARGB32, whose
// pixel (0, 0) is device pixel `layerOrigin`) through the coverage, moved by
// (dx, dy) device pixels.
void BlendCoverage(QImage& layer, const QPoint& layerOrigin, const Coverage& coverage, int dx,
                   int dy, QRgb colour);

}  // namespace qm::render
