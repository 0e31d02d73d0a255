#include "gallery/ThumbnailBudget.h"

#include <utility>

namespace qm::gallery {

bool BudgetInOrder::Keep(int i, qint64 bytes) {
  if (held_ + bytes > budget_ && i > 1) return false;
  held_ += bytes;
  return true;
}

QList<int> ToDrawAgain(const QList<HeldDrawing>& thumbnails, const QRect& seen) {
  const QRect near = seen.adjusted(0, -seen.height(), 0, seen.height());
  QList<int> out;
  for (qsizetype k = 0; k < thumbnails.size(); ++k)
    if (thumbnails[k].letGo && thumbnails[k].geometry.intersects(near))
      out << static_cast<int>(k + 1);
  return out;
}

QList<int> ToLetGo(QList<HeldDrawing> thumbnails, const QRect& seen, qint64 held, qint64 budget) {
  QList<int> out;
  while (held > budget) {
    qsizetype farthest = -1;
    int distance = -1;
    for (qsizetype k = 0; k < thumbnails.size(); ++k) {
      const HeldDrawing& t = thumbnails[k];
      if (t.bytes == 0 || t.geometry.intersects(seen)) continue;
      const QRect& g = t.geometry;
      const int d = g.bottom() < seen.top() ? seen.top() - g.bottom() : g.top() - seen.bottom();
      if (d > distance) {
        distance = d;
        farthest = k;
      }
    }
    if (farthest < 0) break;
    held -= std::exchange(thumbnails[farthest].bytes, 0);
    out << static_cast<int>(farthest + 1);
  }
  return out;
}

}  // namespace qm::gallery
