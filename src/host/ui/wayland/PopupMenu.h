#pragma once
// A menu shown as a popup of a layer surface, drawn by us: Qt's menus cannot
// be put beside a surface that is not Qt's. The compositor places it beside
// the pointer, keeps it on the output and closes it on a click elsewhere.

#include <QList>
#include <QPointF>
#include <QString>
#include <functional>
#include <memory>

#include "host/ui/wayland/ShmBuffer.h"

struct wl_surface;
struct xdg_surface;
struct xdg_popup;
struct zwlr_layer_surface_v1;

namespace qm {

class WaylandDesktop;

struct MenuEntry {
  QString text;  // empty: a separator
  bool enabled = true;
  bool checked = false;
  bool more = false;  // opens another menu
  std::function<void()> chosen;
};

class PopupMenu {
 public:
  // Opens at `at` (in the parent's logical coordinates) for the button press
  // `serial` of the seat.
  PopupMenu(WaylandDesktop& desktop, zwlr_layer_surface_v1* parent, const QPointF& at,
            uint32_t serial, int scale, QList<MenuEntry> entries);
  ~PopupMenu();
  PopupMenu(const PopupMenu&) = delete;
  PopupMenu& operator=(const PopupMenu&) = delete;

  wl_surface* Surface() const { return surface_; }
  // The compositor closed it, or an entry was chosen: the owner drops it.
  bool Closed() const { return closed_; }
  std::function<void()> closed;

  void PointerAt(const QPointF& at);
  void PointerLeft();
  // Returns the entry's action once a press and a release were on it.
  std::function<void()> Button(bool pressed);

 private:
  int EntryAt(const QPointF& at) const;
  void Draw();
  void Close();

  WaylandDesktop& desktop_;
  QList<MenuEntry> entries_;
  QList<int> tops_;  // each entry's top, the bottom of the last one last
  int width_ = 0;
  int scale_ = 1;
  int hovered_ = -1;
  bool pressed_ = false;
  bool configured_ = false;
  bool closed_ = false;
  wl_surface* surface_ = nullptr;
  xdg_surface* xdgSurface_ = nullptr;
  xdg_popup* popup_ = nullptr;
  std::unique_ptr<ShmBuffer> buffers_[2];
};

}  // namespace qm
