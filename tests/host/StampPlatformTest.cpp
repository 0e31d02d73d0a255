#include <gtest/gtest.h>

#include "host/StampPlatform.h"

namespace qm::host {
namespace {

// What Qt is told: nothing, Qt's own choice; a list tries each in turn.
QString FirstPlatform(const PlatformChoice& c) {
  return QString::fromLatin1(c.qtPlatform).section(u';', 0, 0);
}

TEST(StampPlatform, TheLayerSurfaceWhereOfferedElseXWaylandElseAPlainWindowThatSaysSo) {
  enum class Warns { Never, UnlessOnX, Always, AndEnds };
  struct Case {
    const char* what;
    PlatformFacts facts;
    bool layerSurface;
    const char* firstPlatform;  // "" leaves Qt's own choice
    Warns warns;
  };
  const Case cases[] = {
      {"an X11 session", {{}, false, false, false, true}, false, "", Warns::Never},
      {"no display at all", {}, false, "", Warns::Never},
      {"a layer-shell compositor", {{}, true, true, true, true}, true, "offscreen", Warns::Never},
      {"...without XWayland", {{}, true, true, true, false}, true, "offscreen", Warns::Never},
      {"no layer shell, XWayland", {{}, true, true, false, true}, false, "xcb", Warns::UnlessOnX},
      {"no layer shell, no X", {{}, true, true, false, false}, false, "", Warns::Always},
      {"compositor unreachable, X", {{}, true, false, false, true}, false, "xcb", Warns::UnlessOnX},
      {"compositor unreachable", {{}, true, false, false, false}, false, "", Warns::AndEnds},
      {"the user's platform wins", {"wayland", true, true, true, true}, false, "", Warns::Never},
      {"...also over XWayland", {"wayland", true, true, false, true}, false, "", Warns::Never},
      {"...and on X11", {"offscreen", false, false, false, true}, false, "", Warns::Never},
  };
  for (const Case& c : cases) {
    const PlatformChoice r = ChoosePlatform(c.facts);
    EXPECT_EQ(r.layerSurface, c.layerSurface) << c.what;
    EXPECT_EQ(FirstPlatform(r), QString::fromLatin1(c.firstPlatform)) << c.what;
    const Warns warns = r.warning.isEmpty()   ? Warns::Never
                        : r.nowhere           ? Warns::AndEnds
                        : r.quietOn.isEmpty() ? Warns::Always
                                              : Warns::UnlessOnX;
    EXPECT_EQ(warns, c.warns) << c.what << ": " << r.warning.toStdString();
    if (warns == Warns::UnlessOnX) {
      EXPECT_EQ(r.quietOn, FirstPlatform(r)) << c.what;
    }
  }
}

}  // namespace
}  // namespace qm::host
