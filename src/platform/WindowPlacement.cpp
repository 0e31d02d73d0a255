#include "platform/WindowPlacement.h"

#include <QStringList>
#include <algorithm>

namespace qm::platform {
namespace {

// One axis: a span of `length` wanted at `start`, inside [lo, lo + room).
void FitSpan(int& start, int& length, int lo, int room, int minimum) {
  length = std::max(std::min(length, room), minimum);
  start = length > room ? lo : std::clamp(start, lo, lo + room - length);
}

}  // namespace

QRect FitToScreen(const QRect& wanted, const QRect& available, const QSize& minimum,
                  const QMargins& frame) {
  if (available.isEmpty() || available.contains(wanted)) return wanted;
  // Where the inner rectangle may lie so that the frame stays on the screen.
  const QRect inner = available.marginsRemoved(frame);
  int x = wanted.x(), w = wanted.width();
  int y = wanted.y(), h = wanted.height();
  FitSpan(x, w, inner.left(), std::max(0, inner.width()), minimum.width());
  FitSpan(y, h, inner.top(), std::max(0, inner.height()), minimum.height());
  return QRect(x, y, w, h);
}

}  // namespace qm::platform

namespace qm::platform {

QRect BesideAnchor(const QSize& size, const QRect& anchor, const QRect& available,
                   const QMargins& frame, int gap) {
  const QSize outer = size.grownBy(frame);
  const auto clampTo = [](int v, int lo, int hi) { return std::max(lo, std::min(v, hi)); };
  // Outer top-left corners, one per side, lined up with the anchor and moved
  // along that side onto the area; and how much room each side has.
  const int alongY =
      clampTo(anchor.top(), available.top(), available.bottom() + 1 - outer.height());
  const int alongX =
      clampTo(anchor.left(), available.left(), available.right() + 1 - outer.width());
  struct Side {
    QPoint corner;
    int room;
    int need;
  };
  const Side sides[] = {
      {{anchor.right() + 1 + gap, alongY}, available.right() - anchor.right() - gap, outer.width()},
      {{anchor.left() - gap - outer.width(), alongY},
       anchor.left() - gap - available.left(),
       outer.width()},
      {{alongX, anchor.bottom() + 1 + gap},
       available.bottom() - anchor.bottom() - gap,
       outer.height()},
      {{alongX, anchor.top() - gap - outer.height()},
       anchor.top() - gap - available.top(),
       outer.height()},
  };
  const Side* chosen = &sides[0];
  for (const Side& s : sides) {
    if (s.room >= s.need) {
      chosen = &s;
      break;
    }
    if (s.room - s.need > chosen->room - chosen->need) chosen = &s;
  }
  return QRect(chosen->corner + QPoint(frame.left(), frame.top()), size);
}

QString StampFrameText(const QRect& frame) {
  return QStringLiteral("%1,%2,%3,%4")
      .arg(frame.x())
      .arg(frame.y())
      .arg(frame.width())
      .arg(frame.height());
}

QRect ParseStampFrame(const QString& text) {
  const QStringList parts = text.split(u',');
  if (parts.size() != 4) return {};
  int v[4];
  for (int i = 0; i < 4; ++i) {
    bool ok = false;
    v[i] = parts[i].trimmed().toInt(&ok);
    // Far beyond any screen: not a place we could use.
    if (!ok || v[i] < -1000000 || v[i] > 1000000) return {};
  }
  if (v[2] <= 0 || v[3] <= 0) return {};
  return QRect(v[0], v[1], v[2], v[3]);
}

}  // namespace qm::platform
