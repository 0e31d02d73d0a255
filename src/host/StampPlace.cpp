#include "host/StampPlace.h"

#include <QStringList>

#include "platform/Classic.h"

namespace qm::host {
namespace {

// So much of the stamp must show to count as on screen.
constexpr int kVisible = 16;
constexpr int kCornerGap = 48;

}  // namespace

QPoint StampPlace(const QString& stored, const QSize& size, const QList<QRect>& screens) {
  const QStringList parts = stored.split(u'|');
  if (parts.size() == 2) {
    const auto x = classic::ToInt32(parts[0]);
    const auto y = classic::ToInt32(parts[1]);
    if (x && y) {
      const QRect stamp(QPoint(*x, *y), size.expandedTo(QSize(1, 1)));
      for (const QRect& s : screens) {
        const QRect seen = stamp & s;
        if (seen.width() >= qMin(kVisible, stamp.width()) &&
            seen.height() >= qMin(kVisible, stamp.height()))
          return stamp.topLeft();
      }
    }
  }
  if (screens.isEmpty()) return QPoint(kCornerGap, kCornerGap);
  const QRect primary = screens.first();
  return QPoint(qMax(primary.left(), primary.right() + 1 - kCornerGap - size.width()),
                primary.top() + kCornerGap);
}

QString StampPlaceText(const QPoint& topLeft) {
  return QString::number(topLeft.x()) + u'|' + QString::number(topLeft.y());
}

}  // namespace qm::host
