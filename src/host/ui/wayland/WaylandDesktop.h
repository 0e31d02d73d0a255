#pragma once
// Our own connection to the Wayland compositor, for the stamp drawn on a
// layer surface: the compositor's globals the stamp uses, and the outputs
// with what they say about themselves.

#include <QList>
#include <QPoint>
#include <QSize>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>

struct wl_display;
struct wl_registry;
struct wl_compositor;
struct wl_shm;
struct wl_seat;
struct wl_output;
struct xdg_wm_base;
struct zwlr_layer_shell_v1;

namespace qm {

class WaylandDesktop;

struct WaylandOutput {
  WaylandDesktop* owner = nullptr;
  wl_output* output = nullptr;
  uint32_t global = 0;
  uint32_t version = 0;
  QString name;       // the connector's name, from outputs that say it
  QPoint position;    // in the compositor's space
  QSize modeSize;     // in device pixels, as the output is turned
  int scale = 1;      // device pixels per logical pixel
  bool done = false;  // its first description is complete
  // The logical size the compositor lays layer surfaces out in.
  QSize LogicalSize() const;
};

class WaylandDesktop {
 public:
  // Connects to the compositor WAYLAND_DISPLAY names and learns its globals;
  // nullptr when it cannot be reached.
  static std::unique_ptr<WaylandDesktop> Connect();
  ~WaylandDesktop();
  WaylandDesktop(const WaylandDesktop&) = delete;
  WaylandDesktop& operator=(const WaylandDesktop&) = delete;

  bool OffersLayerShell() const { return layerShell_ != nullptr; }
  // Everything the stamp needs besides the layer shell.
  bool Usable() const { return compositor_ && shm_ && layerShell_; }

  wl_display* Display() const { return display_; }
  wl_compositor* Compositor() const { return compositor_; }
  wl_shm* Shm() const { return shm_; }
  wl_seat* Seat() const { return seat_; }
  bool SeatHasPointer() const { return seatHasPointer_; }
  xdg_wm_base* WmBase() const { return wmBase_; }
  zwlr_layer_shell_v1* LayerShell() const { return layerShell_; }
  const QList<WaylandOutput*>& Outputs() const { return outputs_; }
  WaylandOutput* OutputOf(const wl_output* output) const;

  // Told when an output has described itself anew, or went (already
  // removed then).
  std::function<void()> outputsChanged;
  // Told when the seat has a new set of devices (whether it has a pointer).
  std::function<void(bool pointer)> seatChanged;

 private:
  WaylandDesktop() = default;
  static void Global(void* data, wl_registry* registry, uint32_t name, const char* interface,
                     uint32_t version);
  static void GlobalRemove(void* data, wl_registry* registry, uint32_t name);
  void AddOutput(uint32_t name, uint32_t version);

  wl_display* display_ = nullptr;
  wl_registry* registry_ = nullptr;
  wl_compositor* compositor_ = nullptr;
  wl_shm* shm_ = nullptr;
  wl_seat* seat_ = nullptr;
  bool seatHasPointer_ = false;
  xdg_wm_base* wmBase_ = nullptr;
  zwlr_layer_shell_v1* layerShell_ = nullptr;
  QList<WaylandOutput*> outputs_;
};

}  // namespace qm
