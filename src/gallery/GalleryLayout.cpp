#include "gallery/GalleryLayout.h"

#include <limits>

#include "platform/Classic.h"

namespace qm::gallery {
namespace {

// The nearest integer (halves to even) as a 16-bit scroll bar value; a strip
// too tall for 16 bits scrolls as far as 16 bits go instead of failing.
int ScrollUnits(double v) {
  const double r = qm::classic::RoundHalfEven(v);
  if (r > std::numeric_limits<qint16>::max()) return std::numeric_limits<qint16>::max();
  if (r < std::numeric_limits<qint16>::min()) return std::numeric_limits<qint16>::min();
  return static_cast<int>(r);
}

}  // namespace

GalleryLayoutResult LayoutGallery(const GalleryLayoutInput& in) {
  GalleryLayoutResult out;
  const qsizetype count = in.sizes.size();
  const auto breaks = [&](qsizetype i) { return i < in.rowBreaks.size() && in.rowBreaks[i]; };
  out.positions.resize(count);
  out.tooltipMarker.fill(false, count);

  float rowHeight = count > 0 ? static_cast<float>(in.sizes[0].height()) : 0.0f;
  // Rows are measured from thumbnail 1's top, so a lone thumbnail placed below
  // the strip's top edge still fits inside the strip.
  float y = static_cast<float>(in.first.y());
  if (count > 0) out.positions[0] = in.first;
  for (qsizetype i = 1; i < count; ++i) {
    const QPointF prev = out.positions[i - 1];
    const float prevWidth = static_cast<float>(in.sizes[i - 1].width());
    float x = static_cast<float>(prev.x()) + prevWidth + kThumbGap;
    y = static_cast<float>(prev.y());
    const bool forced = breaks(i - 1);
    out.tooltipMarker[i - 1] = forced;
    const float width = static_cast<float>(in.sizes[i].width());
    if (x + width > in.stripWidth || forced) {
      x = static_cast<float>(in.first.x());
      y = y + rowHeight + kThumbGap;
      rowHeight = 0;
    }
    out.positions[i] = QPointF(x, y);
    const float height = static_cast<float>(in.sizes[i].height());
    if (height > rowHeight) rowHeight = height;
  }

  out.stripHeight = y + rowHeight + kThumbGap;
  const int n =
      ScrollUnits((static_cast<double>(out.stripHeight) - in.viewportHeight) / kScrollUnit);
  out.scrollMax = n;
  if (n > 0) {
    out.largeChange = n >= 2 ? ScrollUnits(n / 2.0) : 1;
    out.smallChange = n >= 8 ? ScrollUnits(n / 8.0) : 1;
    out.scrollVisible = true;
  }
  return out;
}

QString WithRowBreakMarker(const QString& tooltip) {
  return tooltip.endsWith(kRowBreakMarker) ? tooltip : tooltip + kRowBreakMarker;
}

}  // namespace qm::gallery
