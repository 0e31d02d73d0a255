#pragma once
// The stamp on a Wayland compositor that offers the layer shell: a layer
// surface of our own above the windows (or below them), on every workspace
// and in no task switcher, drawn from the same picture as the stamp's Qt
// window. The left button drags it and keeps its place; a double click opens
// the editor; the right button opens its menu.
//
// The connection is ours, not Qt's: Qt runs without a display here, and our
// connection's events are read in Qt's event loop.

#include <QObject>
#include <QPoint>
#include <QPointF>
#include <QSize>
#include <functional>
#include <memory>
#include <optional>

#include "host/LayerPlace.h"
#include "host/StampPlace.h"
#include "host/ui/wayland/PopupMenu.h"
#include "host/ui/wayland/ShmBuffer.h"
#include "host/ui/wayland/WaylandDesktop.h"

class QSocketNotifier;
struct wl_pointer;
struct wl_surface;
struct zwlr_layer_surface_v1;

namespace qm {
namespace settings {
class UserSettings;
}
namespace host {
class StampHost;
}

class LayerSurfaceStamp : public QObject {
  Q_OBJECT
 public:
  // The stamp's choices are kept in `store` under keys that start with
  // `keyPrefix` (empty for the unnamed stamp), as the stamp's window keeps
  // them.
  LayerSurfaceStamp(std::unique_ptr<WaylandDesktop> desktop, host::StampHost& host,
                    settings::UserSettings& store, const QString& keyPrefix = {},
                    QObject* parent = nullptr);
  ~LayerSurfaceStamp() override;

  // Above the windows (the compositor's "top" layer) or below them
  // ("bottom"); the choice made in the menu is kept, one given here is not.
  void SetAbove(bool above);
  bool Above() const { return !below_; }
  // A locked stamp does not move when dragged.
  void SetLocked(bool locked) { locked_ = locked; }
  // The stored choices, when there are any.
  std::optional<bool> StoredAbove() const;
  std::optional<bool> StoredLocked() const;
  // One more entry for the menu, made each time it opens (start at login).
  void SetMenuExtender(std::function<MenuEntry()> extend) { extendMenu_ = std::move(extend); }
  // Puts the stamp on its output at the stored place.
  void Show();
  // "Выход": an open editor is told to close, then the program ends.
  void Quit();

 private:
  struct PointerEvents;
  void ReadEvents();
  void Flush();
  bool CheckConnection();
  void CreateSurface();
  void DestroySurface();
  void OnConfigure(uint32_t serial);
  void OnStampChanged();
  void OnOutputsChanged();
  void OnSeat(bool hasPointer);
  void ApplyPlace();
  void Draw();
  void OnMotion();
  void OnButton(uint32_t serial, uint32_t time, uint32_t button, bool pressed);
  void OpenMenu(uint32_t serial);
  void OpenFontMenu(uint32_t serial);
  void DropMenu();
  QList<host::ScreenArea> Screens() const;
  // Puts the stamp where place_ says for its size, on the output there.
  void StandAtPlace();
  void StandAt(const QRect& onDesktop);
  QSize OutputSize() const;

  std::unique_ptr<WaylandDesktop> desktop_;
  host::StampHost& host_;
  settings::UserSettings& store_;
  QString keyPrefix_;
  QSocketNotifier* notifier_ = nullptr;
  std::function<MenuEntry()> extendMenu_;

  WaylandOutput* output_ = nullptr;
  wl_surface* surface_ = nullptr;
  zwlr_layer_surface_v1* layer_ = nullptr;
  bool configured_ = false;
  bool below_ = false;
  bool locked_ = false;
  bool quitting_ = false;
  int scale_ = 1;
  QSize size_;  // logical
  std::unique_ptr<ShmBuffer> buffers_[2];
  bool redrawWanted_ = false;

  // Where the stamp stands: on the desktop, as stored, and on its output.
  host::StampPlace place_;
  bool placeRead_ = false;
  host::LayerAnchor anchor_;
  QPoint topLeft_;

  wl_pointer* pointer_ = nullptr;
  wl_surface* pointerOn_ = nullptr;
  QPointF pointerAt_;  // on the surface it is on
  bool dragging_ = false;
  bool dragMoved_ = false;
  QPointF grab_;  // where on the stamp the pointer holds it
  uint32_t lastPressTime_ = 0;
  bool lastPressMoved_ = true;
  uint32_t lastSerial_ = 0;

  std::unique_ptr<PopupMenu> menu_;
  QPointF menuAt_;
};

}  // namespace qm
