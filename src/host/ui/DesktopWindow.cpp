#include "host/ui/DesktopWindow.h"

#include <QtGui/qguiapplication_platform.h>
#include <xcb/xcb.h>

#include <QGuiApplication>
#include <QScreen>
#include <QVector>
#include <QWindow>
#include <array>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace qm::desktop {
namespace {

xcb_connection_t* Connection() {
  auto* x11 = qApp ? qApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
  return x11 ? x11->connection() : nullptr;
}

struct FreeReply {
  void operator()(void* p) const { std::free(p); }
};
template <class T>
using Reply = std::unique_ptr<T, FreeReply>;

}  // namespace

void MarkAsDesktopWidget(QWindow* window) {
  xcb_connection_t* c = Connection();
  if (!c || !window) return;
  const auto id = static_cast<xcb_window_t>(window->winId());
  // The stamp shows once this is done: every name is asked for before any
  // answer is waited for, one round trip to the server rather than one each.
  const std::array names{"_NET_WM_STATE", "_NET_WM_DESKTOP", "_NET_WM_STATE_STICKY",
                         "_NET_WM_STATE_SKIP_TASKBAR", "_NET_WM_STATE_SKIP_PAGER"};
  std::array<xcb_intern_atom_cookie_t, names.size()> asked{};
  for (size_t i = 0; i < names.size(); ++i)
    asked[i] = xcb_intern_atom(c, 0, static_cast<uint16_t>(std::strlen(names[i])), names[i]);
  std::array<xcb_atom_t, names.size()> atoms{};
  for (size_t i = 0; i < names.size(); ++i) {
    const Reply<xcb_intern_atom_reply_t> r(xcb_intern_atom_reply(c, asked[i], nullptr));
    atoms[i] = r ? r->atom : xcb_atom_t(XCB_ATOM_NONE);
  }
  const xcb_atom_t state = atoms[0];
  // Whatever states are set already stay.
  QVector<xcb_atom_t> states;
  const Reply<xcb_get_property_reply_t> old(
      xcb_get_property_reply(c, xcb_get_property(c, 0, id, state, XCB_ATOM_ATOM, 0, 64), nullptr));
  if (old && old->format == 32 && old->type == XCB_ATOM_ATOM) {
    const auto* a = static_cast<const xcb_atom_t*>(xcb_get_property_value(old.get()));
    const int n = xcb_get_property_value_length(old.get()) / 4;
    for (int i = 0; i < n; ++i) states << a[i];
  }
  for (size_t i = 2; i < atoms.size(); ++i)
    if (atoms[i] != XCB_ATOM_NONE && !states.contains(atoms[i])) states << atoms[i];
  xcb_change_property(c, XCB_PROP_MODE_REPLACE, id, state, XCB_ATOM_ATOM, 32,
                      static_cast<uint32_t>(states.size()), states.constData());
  // All desktops at once.
  const uint32_t everyDesktop = 0xFFFFFFFFu;
  xcb_change_property(c, XCB_PROP_MODE_REPLACE, id, atoms[1], XCB_ATOM_CARDINAL, 32, 1,
                      &everyDesktop);
  xcb_flush(c);
}

std::optional<QPoint> WindowOrigin(const QWindow* window) {
  xcb_connection_t* c = Connection();
  if (!c || !window || !window->handle()) return std::nullopt;
  const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
  if (!screen) return std::nullopt;
  const Reply<xcb_translate_coordinates_reply_t> r(xcb_translate_coordinates_reply(
      c,
      xcb_translate_coordinates(c, static_cast<xcb_window_t>(window->winId()), screen->root, 0, 0),
      nullptr));
  if (!r) return std::nullopt;
  // Device pixels to logical ones; the screen's corner is the same in both.
  const QPoint device(r->dst_x, r->dst_y);
  const QScreen* on = window->screen();
  const QPoint origin = on ? on->geometry().topLeft() : QPoint();
  const qreal dpr = window->devicePixelRatio() > 0 ? window->devicePixelRatio() : 1.0;
  return origin + ((device - origin).toPointF() / dpr).toPoint();
}

}  // namespace qm::desktop
