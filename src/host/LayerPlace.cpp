#include "host/LayerPlace.h"

#include <QtGlobal>

namespace qm::host {
namespace {

// The start of a span of `length` on an output of `room`, kept on it; a span
// longer than the output starts at its start.
int KeptOn(qint64 start, int length, int room) {
  return int(qMax<qint64>(0, qMin<qint64>(start, qint64(room) - length)));
}

}  // namespace

LayerAnchor AnchorOnOutput(const QRect& stamp, const QSize& output) {
  LayerAnchor a;
  if (output.isEmpty()) {
    a.marginX = qMax(0, stamp.x());
    a.marginY = qMax(0, stamp.y());
    return a;
  }
  const int x = KeptOn(stamp.x(), stamp.width(), output.width());
  const int y = KeptOn(stamp.y(), stamp.height(), output.height());
  const int fromRight = qMax(0, output.width() - x - stamp.width());
  const int fromBottom = qMax(0, output.height() - y - stamp.height());
  a.right = fromRight < x;
  a.bottom = fromBottom < y;
  a.marginX = a.right ? fromRight : x;
  a.marginY = a.bottom ? fromBottom : y;
  return a;
}

QPoint TopLeftOnOutput(const LayerAnchor& anchor, const QSize& size, const QSize& output) {
  const qint64 x = anchor.right ? qint64(output.width()) - anchor.marginX - size.width()
                                : qint64(anchor.marginX);
  const qint64 y = anchor.bottom ? qint64(output.height()) - anchor.marginY - size.height()
                                 : qint64(anchor.marginY);
  if (output.isEmpty()) return QPoint(int(qMax<qint64>(0, x)), int(qMax<qint64>(0, y)));
  return QPoint(KeptOn(x, size.width(), output.width()), KeptOn(y, size.height(), output.height()));
}

}  // namespace qm::host
