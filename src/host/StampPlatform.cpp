#include "host/StampPlatform.h"

namespace qm::host {

PlatformChoice ChoosePlatform(const PlatformFacts& facts) {
  PlatformChoice c;
  if (!facts.explicitPlatform.isEmpty() || !facts.waylandSession) return c;
  if (facts.waylandReached && facts.layerShell) {
    // Nothing of Qt's is shown: the stamp, its menu and its pointer are ours,
    // and Qt only draws into images and runs the editor.
    c.layerSurface = true;
    c.qtPlatform = "offscreen";
    return c;
  }
  const QString why = facts.waylandReached
                          ? QStringLiteral("the Wayland compositor offers no layer shell")
                          : QStringLiteral("the Wayland display cannot be reached");
  if (facts.xDisplay) {
    // XWayland keeps the place and the hints; should it refuse us, Qt's own
    // Wayland window is still better than no stamp.
    c.qtPlatform = "xcb;wayland";
    c.quietOn = QStringLiteral("xcb");
    c.warning = why + QStringLiteral(
                          " and the X server does not answer: the stamp is a plain window that "
                          "the compositor places, and it cannot be kept above or below windows");
    return c;
  }
  if (!facts.waylandReached) {
    c.nowhere = true;
    c.warning = why + QStringLiteral(" and there is no X server: the stamp cannot be shown");
    return c;
  }
  c.warning = why + QStringLiteral(
                        " and there is no X server: the stamp is a plain window that the "
                        "compositor places, and it cannot be kept above or below windows");
  return c;
}

}  // namespace qm::host
