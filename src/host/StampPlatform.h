#pragma once
// Which surface the stamp shows itself on, decided before Qt starts.
//
// Qt on a Wayland compositor makes the stamp an ordinary toplevel, which the
// compositor places, tiles and covers as it likes: the stamp could neither
// keep its place nor stay above or below the windows. Where the compositor
// offers the layer shell the stamp is a layer surface of our own instead;
// where it does not, an X server (XWayland) still honours a window's place
// and hints. A platform the user names explicitly is always taken as it is.

#include <QByteArray>
#include <QString>

namespace qm::host {

struct PlatformFacts {
  QString explicitPlatform;     // QT_QPA_PLATFORM or --platform; empty: none
  bool waylandSession = false;  // WAYLAND_DISPLAY is set
  bool waylandReached = false;  // and a connection to it was made
  bool layerShell = false;      // its compositor offers the layer shell
  bool xDisplay = false;        // DISPLAY is set
};

struct PlatformChoice {
  bool layerSurface = false;  // the stamp draws on a layer surface of its own
  // Put in QT_QPA_PLATFORM before the application starts; empty: leave it.
  QByteArray qtPlatform;
  // Said once on stderr, unless Qt comes up on `quietOn` (empty: always).
  QString warning;
  QString quietOn;
  // Nothing could show the stamp: the program says why and ends.
  bool nowhere = false;
};

PlatformChoice ChoosePlatform(const PlatformFacts& facts);

}  // namespace qm::host
