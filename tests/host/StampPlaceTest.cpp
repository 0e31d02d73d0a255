#include <gtest/gtest.h>

#include "host/StampPlace.h"

namespace qm::host {
namespace {

// Two monitors side by side; the primary (first) has a panel along its top.
const QList<ScreenArea> kScreens = {
    {"DP-1", QRect(0, 0, 1920, 1080), QRect(0, 30, 1920, 1050)},
    {"HDMI-1", QRect(1920, 0, 1280, 1024), QRect(1920, 0, 1280, 1024)},
};

std::string Str(const QRect& r) {
  return QStringLiteral("%1,%2 %3x%4")
      .arg(r.x())
      .arg(r.y())
      .arg(r.width())
      .arg(r.height())
      .toStdString();
}

TEST(StampPlace, ANewSizeKeepsTheNearestCornerOrEdgeAndStaysOnTheScreen) {
  struct Case {
    QRect before;
    QSize after;
    QRect want;
  };
  const Case cases[] = {
      // Near the top right: grows to the left and down.
      {{1700, 60, 160, 80}, {300, 120}, {1560, 60, 300, 120}},
      // Near the bottom left: grows to the right and up.
      {{20, 950, 160, 80}, {300, 120}, {20, 910, 300, 120}},
      // In the middle of the top edge: grows evenly to both sides.
      {{880, 40, 160, 80}, {200, 80}, {860, 40, 200, 80}},
      // On the second monitor, near its bottom right.
      {{3000, 900, 100, 50}, {180, 90}, {2920, 860, 180, 90}},
      // Near the right edge: keeps its distance from it.
      {{1800, 100, 100, 50}, {400, 50}, {1500, 100, 400, 50}},
      // Bigger than the screen: from its top left corner.
      {{10, 40, 100, 50}, {2500, 60}, {0, 40, 2500, 60}},
  };
  for (const Case& c : cases) {
    const StampPlace place = PlaceOf(c.before, kScreens);
    EXPECT_EQ(PlaceRect(place, c.before.size(), kScreens), c.before) << Str(c.before);
    const QRect got = PlaceRect(place, c.after, kScreens);
    EXPECT_EQ(got, c.want) << Str(c.before) << " -> " << Str(got);
    // And back again.
    EXPECT_EQ(PlaceRect(place, c.before.size(), kScreens), c.before) << Str(c.before);
  }
}

TEST(StampPlace, AStoredPlaceComesBackOnItsScreenOrOnThePrimaryOne) {
  const QSize stamp(200, 100);
  const QRect onSecond(3000, 900, 200, 100);
  const QString stored = PlaceText(PlaceOf(onSecond, kScreens));
  // The second monitor under another name but the same geometry, then gone.
  QList<ScreenArea> renamed = kScreens;
  renamed[1].name = QStringLiteral("DP-2");
  const QList<ScreenArea> primaryOnly = {kScreens[0]};
  const QRect defaultRect = PlaceRect(DefaultPlace(kScreens), stamp, kScreens);
  struct Case {
    QString stored;
    QList<ScreenArea> screens;
    QRect want;
  };
  const Case cases[] = {
      {stored, kScreens, onSecond},
      {stored, renamed, onSecond},
      // The same corner of the primary screen.
      {stored, primaryOnly, QRect(1720, 956, 200, 100)},
      // Places kept as "left|top": still read, pulled whole onto the screen.
      {"100|200", kScreens, {100, 200, 200, 100}},
      {"2500|900", kScreens, {2500, 900, 200, 100}},
      {"-184|-54", kScreens, {0, 30, 200, 100}},
      // Too little of it left to see, or hand-edited nonsense: the default.
      {"-185|300", kScreens, defaultRect},
      {"100|1200", kScreens, defaultRect},
      {"", kScreens, defaultRect},
      {"a|b", kScreens, defaultRect},
      {"2147483647|2147483647", kScreens, defaultRect},
      {"1|2|3", kScreens, defaultRect},
      {"R10|T10|0 0 0 0|DP-1", kScreens, defaultRect},
      {"X10|T10|0 0 1920 1080|DP-1", kScreens, defaultRect},
      {"R99999999999|T10|0 0 1920 1080|DP-1", kScreens, defaultRect},
      {"R10|T10|-2147483648 0 1920 1080|DP-1", kScreens, defaultRect},
      // Distances no screen has room for still leave it whole on the screen.
      {"R-5000|B-5000|0 0 1920 1080|DP-1", kScreens, {1720, 980, 200, 100}},
  };
  for (const Case& c : cases) {
    const QRect got = PlaceRect(ReadPlace(c.stored, stamp, c.screens), stamp, c.screens);
    EXPECT_EQ(got, c.want) << c.stored.toStdString() << " -> " << Str(got);
  }
  // The default is near the top right of the primary screen's free area.
  EXPECT_EQ(defaultRect.top() - kScreens[0].available.top(),
            kScreens[0].available.right() - defaultRect.right());
}

TEST(StampPlace, ANewStampStandsBesideTheOthersItWouldCover) {
  const QRect wanted(1700, 60, 160, 80);
  struct Case {
    QList<QRect> others;
    bool sideways;  // beside the last one to its left, or else below it
  };
  const Case cases[] = {
      {{}, true},
      {{wanted}, true},
      {{wanted, wanted.translated(-170, 0)}, true},
      {{QRect(0, 60, 1900, 80)}, false},
      // Hand-edited areas far off the desktop change nothing.
      {{QRect(-1000000, -1000000, 10, 10)}, true},
  };
  for (const Case& c : cases) {
    const QRect got = BesideOthers(wanted, c.others, kScreens);
    EXPECT_EQ(got.size(), wanted.size());
    for (const QRect& o : c.others) EXPECT_FALSE(got.intersects(o)) << Str(got);
    if (c.sideways) {
      EXPECT_EQ(got.top(), wanted.top()) << Str(got);
    }
    EXPECT_TRUE(kScreens[0].available.contains(got)) << Str(got);
  }
  EXPECT_FALSE(ParseArea(QStringLiteral("0 0 2147483647 10")).has_value());
}

TEST(StampPlace, ADraggedStampSnapsToEdgesCloseByAndStaysWithinTheScreen) {
  const QRect screen(0, 30, 1920, 1050);
  const QSize s(100, 50);
  struct Case {
    QPoint dropped;
    QPoint want;
  };
  const Case cases[] = {
      {{500, 500}, {500, 500}},
      {{kSnapDistance, 30 + kSnapDistance}, {0, 30}},
      {{kSnapDistance + 1, 30 + kSnapDistance + 1}, {kSnapDistance + 1, 30 + kSnapDistance + 1}},
      {{1920 - 100 - kSnapDistance, 1080 - 50 - kSnapDistance}, {1820, 1030}},
      {{-300, 2000}, {0, 1030}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(SnapInto(QRect(c.dropped, s), screen), c.want)
        << c.dropped.x() << "," << c.dropped.y();
}

}  // namespace
}  // namespace qm::host
