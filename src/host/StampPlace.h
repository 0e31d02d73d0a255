#pragma once
// Where the stamp stands on the desktop, worked out without any window.
//
// A place is held relative to the corner or edge of its screen that the stamp
// is nearest to, so that a stamp near the top right grows to the left and
// down when its size changes, and one in the middle of an edge grows evenly.
// It is stored in the per-user store (group "Host"), never in Quillmark.ini,
// together with the screen's name and geometry: it comes back on the same
// monitor, and on the primary one when that monitor is gone. A stored
// "left|top" (logical pixels on the desktop) is still read.

#include <QList>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <optional>

namespace qm::host {

// One monitor: its name, its whole area and the part of it that panels leave.
struct ScreenArea {
  QString name;
  QRect geometry;
  QRect available;
};

struct StampPlace {
  // Which edge of the screen an axis keeps: the near one (left, top), the
  // middle or the far one (right, bottom).
  enum class Anchor { Start, Middle, End };
  Anchor horizontal = Anchor::End;
  Anchor vertical = Anchor::Start;
  // Inward distance from the anchored screen edge to the same edge of the
  // stamp; for Middle, from the screen's centre line to the stamp's.
  int dx = 0;
  int dy = 0;
  QString screenName;
  QRect screenGeometry;

  bool operator==(const StampPlace&) const = default;
};

// The edge distance within which a dragged stamp jumps onto a screen edge.
inline constexpr int kSnapDistance = 8;

// The screen (index into `screens`, the primary first) that holds the larger
// part of `stamp`; the primary when it is on none; -1 without screens.
int ScreenOf(const QRect& stamp, const QList<ScreenArea>& screens);

// The place of a stamp standing at `stamp`, anchored to what it is nearest to
// on the screen it stands on.
StampPlace PlaceOf(const QRect& stamp, const QList<ScreenArea>& screens);

// Where a stamp of `size` stands for `place`: on the screen of that name, or
// else of that geometry, or else the primary one, and wholly within that
// screen's available area (its top left corner when it is larger).
QRect PlaceRect(const StampPlace& place, QSize size, const QList<ScreenArea>& screens);

// The default place: near the top right corner of the primary screen.
StampPlace DefaultPlace(const QList<ScreenArea>& screens);

// The stored place, for a stamp of `size`. A store edited by hand, or an old
// place that no screen shows any more, gives the default place.
StampPlace ReadPlace(const QString& stored, QSize size, const QList<ScreenArea>& screens);
QString PlaceText(const StampPlace& place);

// Where a stamp stood last ("x y width height"), so that the next new stamp
// can stand beside it.
QString AreaText(const QRect& area);
std::optional<QRect> ParseArea(const QString& text);

// Where a new stamp with no place of its own stands: at `wanted`, or else
// beside the `others` it would cover, to their left on the same screen.
QRect BesideOthers(QRect wanted, const QList<QRect>& others, const QList<ScreenArea>& screens);

// Where a stamp dragged to `stamp` is let stand: its edges within
// kSnapDistance of an edge of `screen` (an available area) lie on that edge,
// and it stays wholly within it.
QPoint SnapInto(const QRect& stamp, const QRect& screen);

}  // namespace qm::host
