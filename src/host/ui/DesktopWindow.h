#pragma once
// What the stamp asks of an X11 desktop that Qt has no words for: to be on
// every virtual desktop and out of the taskbar and the pager, as a desktop
// widget is, and where the X server has its window. Elsewhere (Wayland, the
// offscreen platform) these do nothing and know nothing.

#include <QPoint>
#include <optional>

class QWindow;

namespace qm::desktop {

// Before the window is first shown: on all desktops, sticky, and in no
// taskbar or pager. Qt keeps these states when it adds its own on showing.
void MarkAsDesktopWidget(QWindow* window);

// The window's top left corner on the desktop as the X server has it now, in
// Qt's logical pixels; nullopt when there is no X11 window to ask about.
std::optional<QPoint> WindowOrigin(const QWindow* window);

}  // namespace qm::desktop
