#pragma once
// Where the stamp stands on the desktop. Its place is kept as "left|top" in
// logical pixels in the per-user store (group "Host"), never in Quillmark.ini.

#include <QList>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

namespace qm::host {

// The stored place when enough of a stamp of `size` would still be on one of
// the `screens` (available areas, the primary first) to be seen and dragged
// back; otherwise near the top right corner of the primary screen. A screen
// that was unplugged, or a store edited by hand, thus never hides the stamp.
QPoint StampPlace(const QString& stored, const QSize& size, const QList<QRect>& screens);

QString StampPlaceText(const QPoint& topLeft);

}  // namespace qm::host
