#include "host/StampPlace.h"

#include <QStringList>
#include <cstdlib>
#include <optional>
#include <tuple>
#include <utility>

#include "platform/Classic.h"

namespace qm::host {
namespace {

// So much of a stamp at an old "left|top" place must show for the place to
// count as on screen.
constexpr int kVisible = 16;
constexpr int kCornerGap = 48;
// No desktop reaches that far; beyond it, sums of stored numbers could
// overflow.
constexpr qint64 kFar = 1 << 20;

using Anchor = StampPlace::Anchor;

// One axis of a rectangle: its start and its length.
struct Span {
  int start;
  int length;
  int end() const { return start + length; }
  int twiceCentre() const { return 2 * start + length; }
};

Span Horizontal(const QRect& r) { return {r.x(), r.width()}; }
Span Vertical(const QRect& r) { return {r.y(), r.height()}; }

// The anchor of a stamp's span on a screen's span and the distance that goes
// with it. The middle is measured in half pixels so that a stamp of odd size
// grows evenly; a tie goes to an edge rather than the middle.
std::pair<Anchor, int> AnchorOn(Span stamp, Span screen) {
  const int fromStart = stamp.start - screen.start;
  const int fromEnd = screen.end() - stamp.end();
  const int fromMiddle2 = stamp.twiceCentre() - screen.twiceCentre();
  const int toMiddle = std::abs(fromMiddle2) / 2;
  if (fromStart <= fromEnd && fromStart <= toMiddle) return {Anchor::Start, fromStart};
  if (fromEnd <= toMiddle) return {Anchor::End, fromEnd};
  return {Anchor::Middle, fromMiddle2};
}

// Where a span of `length` starts for an anchor on `screen`, kept within it.
int StartOn(Anchor anchor, int distance, int length, Span screen) {
  qint64 start = screen.start;
  switch (anchor) {
    case Anchor::Start:
      start = qint64(screen.start) + distance;
      break;
    case Anchor::End:
      start = qint64(screen.end()) - distance - length;
      break;
    case Anchor::Middle:
      start = (qint64(screen.twiceCentre()) + distance - length) / 2;
      break;
  }
  const qint64 last = qint64(screen.end()) - length;
  return int(qMax<qint64>(screen.start, qMin(start, last)));
}

QChar AnchorLetter(Anchor a, bool horizontal) {
  switch (a) {
    case Anchor::Start:
      return horizontal ? u'L' : u'T';
    case Anchor::End:
      return horizontal ? u'R' : u'B';
    case Anchor::Middle:
      break;
  }
  return u'M';
}

std::optional<std::pair<Anchor, int>> ParseAnchor(const QString& text, bool horizontal) {
  if (text.size() < 2) return std::nullopt;
  const auto distance = classic::ToInt32(text.mid(1));
  if (!distance) return std::nullopt;
  for (const Anchor a : {Anchor::Start, Anchor::Middle, Anchor::End})
    if (text[0] == AnchorLetter(a, horizontal)) return std::pair{a, *distance};
  return std::nullopt;
}

std::optional<QRect> ParseRect(const QString& text) {
  const QStringList n = text.split(u' ');
  if (n.size() != 4) return std::nullopt;
  int v[4];
  for (int i = 0; i < 4; ++i) {
    const auto x = classic::ToInt32(n[i]);
    if (!x) return std::nullopt;
    v[i] = *x;
  }
  for (const int x : v)
    if (std::abs(qint64(x)) > kFar) return std::nullopt;
  if (v[2] <= 0 || v[3] <= 0) return std::nullopt;
  return QRect(v[0], v[1], v[2], v[3]);
}

// The screen a place belongs on: by name, else by geometry, else the primary.
int ScreenFor(const StampPlace& place, const QList<ScreenArea>& screens) {
  if (!place.screenName.isEmpty())
    for (int i = 0; i < screens.size(); ++i)
      if (screens[i].name == place.screenName) return i;
  if (place.screenGeometry.isValid())
    for (int i = 0; i < screens.size(); ++i)
      if (screens[i].geometry == place.screenGeometry) return i;
  return screens.isEmpty() ? -1 : 0;
}

// Before places were stored by screen: "left|top", kept while enough of the
// stamp shows on a screen to be seen and dragged back.
std::optional<StampPlace> ReadOldPlace(const QStringList& parts, QSize size,
                                       const QList<ScreenArea>& screens) {
  const auto x = classic::ToInt32(parts[0]);
  const auto y = classic::ToInt32(parts[1]);
  if (!x || !y || std::abs(qint64(*x)) > kFar || std::abs(qint64(*y)) > kFar) return std::nullopt;
  const QRect stamp(QPoint(*x, *y), size.expandedTo(QSize(1, 1)));
  for (const ScreenArea& s : screens) {
    const QRect seen = stamp & s.available;
    if (seen.width() >= qMin(kVisible, stamp.width()) &&
        seen.height() >= qMin(kVisible, stamp.height()))
      return PlaceOf(stamp, screens);
  }
  return std::nullopt;
}

}  // namespace

int ScreenOf(const QRect& stamp, const QList<ScreenArea>& screens) {
  int best = screens.isEmpty() ? -1 : 0;
  qint64 most = 0;
  for (int i = 0; i < screens.size(); ++i) {
    const QRect seen = stamp & screens[i].geometry;
    const qint64 area = seen.isEmpty() ? 0 : qint64(seen.width()) * seen.height();
    if (area > most) {
      most = area;
      best = i;
    }
  }
  return best;
}

StampPlace PlaceOf(const QRect& stamp, const QList<ScreenArea>& screens) {
  StampPlace place;
  const int i = ScreenOf(stamp, screens);
  if (i < 0) return place;
  const ScreenArea& s = screens[i];
  std::tie(place.horizontal, place.dx) = AnchorOn(Horizontal(stamp), Horizontal(s.available));
  std::tie(place.vertical, place.dy) = AnchorOn(Vertical(stamp), Vertical(s.available));
  place.screenName = s.name;
  place.screenGeometry = s.geometry;
  return place;
}

QRect PlaceRect(const StampPlace& place, QSize size, const QList<ScreenArea>& screens) {
  size = size.expandedTo(QSize(1, 1));
  const int i = ScreenFor(place, screens);
  if (i < 0) return QRect(QPoint(0, 0), size);
  const QRect area = screens[i].available;
  return QRect(StartOn(place.horizontal, place.dx, size.width(), Horizontal(area)),
               StartOn(place.vertical, place.dy, size.height(), Vertical(area)), size.width(),
               size.height());
}

StampPlace DefaultPlace(const QList<ScreenArea>& screens) {
  StampPlace place;
  place.horizontal = Anchor::End;
  place.vertical = Anchor::Start;
  place.dx = place.dy = kCornerGap;
  if (!screens.isEmpty()) {
    place.screenName = screens.first().name;
    place.screenGeometry = screens.first().geometry;
  }
  return place;
}

StampPlace ReadPlace(const QString& stored, QSize size, const QList<ScreenArea>& screens) {
  const QStringList parts = stored.split(u'|');
  if (parts.size() == 2) return ReadOldPlace(parts, size, screens).value_or(DefaultPlace(screens));
  if (parts.size() < 4) return DefaultPlace(screens);
  const auto h = ParseAnchor(parts[0], true);
  const auto v = ParseAnchor(parts[1], false);
  const auto geometry = ParseRect(parts[2]);
  if (!h || !v || !geometry) return DefaultPlace(screens);
  StampPlace place;
  std::tie(place.horizontal, place.dx) = *h;
  std::tie(place.vertical, place.dy) = *v;
  place.screenGeometry = *geometry;
  // The name is last and whole, whatever it holds.
  place.screenName = QStringList(parts.mid(3)).join(u'|');
  return place;
}

QString PlaceText(const StampPlace& place) {
  const QRect& g = place.screenGeometry;
  return AnchorLetter(place.horizontal, true) + QString::number(place.dx) + u'|' +
         AnchorLetter(place.vertical, false) + QString::number(place.dy) + u'|' +
         QStringLiteral("%1 %2 %3 %4").arg(g.x()).arg(g.y()).arg(g.width()).arg(g.height()) + u'|' +
         place.screenName;
}

QString AreaText(const QRect& r) {
  return QStringLiteral("%1 %2 %3 %4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
}

std::optional<QRect> ParseArea(const QString& text) { return ParseRect(text); }

QRect BesideOthers(QRect wanted, const QList<QRect>& others, const QList<ScreenArea>& screens) {
  constexpr int kGap = 8;
  const int i = ScreenOf(wanted, screens);
  const QRect area = i < 0 ? QRect() : screens[i].available;
  // Each step leaves one stamp behind, so as many steps as there are stamps.
  for (qsizetype step = 0; step <= others.size(); ++step) {
    const QRect* covered = nullptr;
    for (const QRect& o : others)
      if (o.intersects(wanted)) covered = &o;
    if (!covered) return wanted;
    QRect next = wanted;
    next.moveRight(covered->left() - kGap - 1);
    // No room left on that side: below it instead.
    if (area.isValid() && next.left() < area.left()) {
      next = wanted;
      next.moveTop(covered->bottom() + kGap + 1);
    }
    wanted = next;
  }
  return wanted;
}

QPoint SnapInto(const QRect& stamp, const QRect& screen) {
  const auto snap = [](Span s, Span area) {
    int start = s.start;
    if (std::abs(start - area.start) <= kSnapDistance)
      start = area.start;
    else if (std::abs(area.end() - s.end()) <= kSnapDistance)
      start = area.end() - s.length;
    return qMax(area.start, qMin(start, area.end() - s.length));
  };
  return QPoint(snap(Horizontal(stamp), Horizontal(screen)),
                snap(Vertical(stamp), Vertical(screen)));
}

}  // namespace qm::host
