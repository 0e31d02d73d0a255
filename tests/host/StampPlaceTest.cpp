#include <gtest/gtest.h>

#include "host/StampPlace.h"

namespace qm::host {
namespace {

TEST(StampPlace, AStoredPlaceIsKeptWhileTheStampCanBeSeenThere) {
  const QList<QRect> screens = {QRect(0, 0, 1920, 1050), QRect(1920, 0, 1280, 1024)};
  const QSize stamp(200, 100);
  const QPoint corner(1920 - 48 - 200, 48);
  struct Case {
    const char* stored;
    QPoint place;
  };
  const Case cases[] = {
      {"100|200", {100, 200}},
      {"2500|900", {2500, 900}},  // on the second screen
      {"-184|-84", {-184, -84}},  // 16 pixels still show
      {"-185|300", corner},       // too little of it left to grab
      {"3185|10", corner},        // beyond the right screen's edge
      {"100|1200", corner},       // below the primary screen, beside the second
      {"", corner},
      {"100", corner},
      {"a|b", corner},
      {"1|2|3", corner},
  };
  for (const Case& c : cases)
    EXPECT_EQ(StampPlace(QString::fromUtf8(c.stored), stamp, screens), c.place) << c.stored;
  EXPECT_EQ(StampPlace(StampPlaceText({12, -3}), stamp, screens), QPoint(12, -3));
  // A stamp wider than the screen starts at its left edge.
  EXPECT_EQ(StampPlace(QString(), QSize(4000, 50), screens).x(), 0);
}

}  // namespace
}  // namespace qm::host
