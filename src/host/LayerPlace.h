#pragma once
// A layer surface is placed by the compositor, never by its client: the
// client names the edges of the output it clings to and its distance from
// each. The stamp clings to the corner of its output it is nearest to, so
// that a stamp near the right grows to the left, and a smaller or larger
// output keeps it at the same distance from that corner.

#include <QPoint>
#include <QRect>
#include <QSize>

namespace qm::host {

struct LayerAnchor {
  bool right = false;   // clings to the right edge, else the left
  bool bottom = false;  // clings to the bottom edge, else the top
  int marginX = 0;      // from that left or right edge
  int marginY = 0;      // from that top or bottom edge
  bool operator==(const LayerAnchor&) const = default;
};

// `stamp` in the output's own logical coordinates (its top left at 0,0),
// moved wholly onto an output of `output` size first; an empty output size
// (not known yet) leaves it where it is, at the top left corner's distance.
LayerAnchor AnchorOnOutput(const QRect& stamp, const QSize& output);

// Where a stamp of `size` stands, in the output's coordinates, for an anchor.
QPoint TopLeftOnOutput(const LayerAnchor& anchor, const QSize& size, const QSize& output);

}  // namespace qm::host
