#include "platform/ui/WindowSystem.h"

#include <QtGui/qguiapplication_platform.h>
#include <xcb/xcb.h>

#include <QGuiApplication>

namespace qm::ui {

void SendToWindowSystem() {
  auto* x11 = qApp ? qApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
  if (xcb_connection_t* c = x11 ? x11->connection() : nullptr) xcb_flush(c);
}

}  // namespace qm::ui
