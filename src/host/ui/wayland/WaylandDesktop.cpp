#include "host/ui/wayland/WaylandDesktop.h"

#include <wayland-client.h>
#include <wlr-layer-shell-unstable-v1-client.h>
#include <xdg-shell-client.h>

#include <QtGlobal>
#include <cstring>

namespace qm {
namespace {

void Ignore() {}

const wl_output_listener kOutputListener = {
    .geometry = [](void* data, wl_output*, int32_t x, int32_t y, int32_t, int32_t, int32_t,
                   const char*, const char*,
                   int32_t) { static_cast<WaylandOutput*>(data)->position = QPoint(x, y); },
    .mode =
        [](void* data, wl_output*, uint32_t flags, int32_t width, int32_t height, int32_t) {
          if (flags & WL_OUTPUT_MODE_CURRENT)
            static_cast<WaylandOutput*>(data)->modeSize = QSize(width, height);
        },
    .done =
        [](void* data, wl_output*) {
          auto* o = static_cast<WaylandOutput*>(data);
          o->done = true;
          if (o->owner->outputsChanged) o->owner->outputsChanged();
        },
    .scale =
        [](void* data, wl_output*, int32_t factor) {
          static_cast<WaylandOutput*>(data)->scale = qBound(1, factor, 16);
        },
    .name =
        [](void* data, wl_output*, const char* name) {
          static_cast<WaylandOutput*>(data)->name = QString::fromUtf8(name);
        },
    .description = [](void*, wl_output*, const char*) { Ignore(); },
};

const xdg_wm_base_listener kWmBaseListener = {
    .ping = [](void*, xdg_wm_base* base, uint32_t serial) { xdg_wm_base_pong(base, serial); },
};

}  // namespace

QSize WaylandOutput::LogicalSize() const {
  if (modeSize.isEmpty()) return {};
  return QSize(modeSize.width() / scale, modeSize.height() / scale);
}

std::unique_ptr<WaylandDesktop> WaylandDesktop::Connect() {
  wl_display* display = wl_display_connect(nullptr);
  if (!display) return nullptr;
  std::unique_ptr<WaylandDesktop> d(new WaylandDesktop);
  d->display_ = display;
  d->registry_ = wl_display_get_registry(display);
  static const wl_registry_listener kRegistryListener = {&WaylandDesktop::Global,
                                                         &WaylandDesktop::GlobalRemove};
  wl_registry_add_listener(d->registry_, &kRegistryListener, d.get());
  // The globals, then what the outputs and the seat say about themselves.
  if (wl_display_roundtrip(display) < 0 || wl_display_roundtrip(display) < 0) return nullptr;
  return d;
}

WaylandDesktop::~WaylandDesktop() {
  for (WaylandOutput* o : outputs_) {
    if (o->version >= WL_OUTPUT_RELEASE_SINCE_VERSION)
      wl_output_release(o->output);
    else
      wl_output_destroy(o->output);
    delete o;
  }
  if (layerShell_) zwlr_layer_shell_v1_destroy(layerShell_);
  if (wmBase_) xdg_wm_base_destroy(wmBase_);
  if (seat_) wl_seat_destroy(seat_);
  if (shm_) wl_shm_destroy(shm_);
  if (compositor_) wl_compositor_destroy(compositor_);
  if (registry_) wl_registry_destroy(registry_);
  if (display_) wl_display_disconnect(display_);
}

WaylandOutput* WaylandDesktop::OutputOf(const wl_output* output) const {
  for (WaylandOutput* o : outputs_)
    if (o->output == output) return o;
  return nullptr;
}

void WaylandDesktop::Global(void* data, wl_registry* registry, uint32_t name, const char* interface,
                            uint32_t version) {
  auto* d = static_cast<WaylandDesktop*>(data);
  const auto is = [interface](const wl_interface& i) {
    return std::strcmp(interface, i.name) == 0;
  };
  const auto bind = [&](const wl_interface& i, uint32_t highest) {
    return wl_registry_bind(registry, name, &i, qMin(version, highest));
  };
  if (is(wl_compositor_interface) && !d->compositor_) {
    // Version 4 damages in buffer pixels.
    d->compositor_ = static_cast<wl_compositor*>(bind(wl_compositor_interface, 4));
  } else if (is(wl_shm_interface) && !d->shm_) {
    d->shm_ = static_cast<wl_shm*>(bind(wl_shm_interface, 1));
  } else if (is(wl_seat_interface) && !d->seat_) {
    d->seat_ = static_cast<wl_seat*>(bind(wl_seat_interface, 5));
    static const wl_seat_listener kSeatListener = {
        .capabilities =
            [](void* data, wl_seat*, uint32_t caps) {
              auto* d = static_cast<WaylandDesktop*>(data);
              d->seatHasPointer_ = caps & WL_SEAT_CAPABILITY_POINTER;
              if (d->seatChanged) d->seatChanged(d->seatHasPointer_);
            },
        .name = [](void*, wl_seat*, const char*) { Ignore(); },
    };
    wl_seat_add_listener(d->seat_, &kSeatListener, d);
  } else if (is(xdg_wm_base_interface) && !d->wmBase_) {
    d->wmBase_ = static_cast<xdg_wm_base*>(bind(xdg_wm_base_interface, 2));
    xdg_wm_base_add_listener(d->wmBase_, &kWmBaseListener, d);
  } else if (is(zwlr_layer_shell_v1_interface) && !d->layerShell_) {
    // Version 3 has the destructor; the rest is in version 1 already.
    d->layerShell_ = static_cast<zwlr_layer_shell_v1*>(bind(zwlr_layer_shell_v1_interface, 4));
  } else if (is(wl_output_interface)) {
    d->AddOutput(name, qMin(version, 4u));
  }
}

void WaylandDesktop::AddOutput(uint32_t name, uint32_t version) {
  auto* o = new WaylandOutput;
  o->owner = this;
  o->global = name;
  o->version = version;
  o->output =
      static_cast<wl_output*>(wl_registry_bind(registry_, name, &wl_output_interface, version));
  wl_output_add_listener(o->output, &kOutputListener, o);
  // The stamp hears of it once it has described itself.
  outputs_ << o;
}

void WaylandDesktop::GlobalRemove(void* data, wl_registry*, uint32_t name) {
  auto* d = static_cast<WaylandDesktop*>(data);
  for (qsizetype i = 0; i < d->outputs_.size(); ++i) {
    WaylandOutput* o = d->outputs_[i];
    if (o->global != name) continue;
    d->outputs_.removeAt(i);
    if (o->version >= WL_OUTPUT_RELEASE_SINCE_VERSION)
      wl_output_release(o->output);
    else
      wl_output_destroy(o->output);
    delete o;
    if (d->outputsChanged) d->outputsChanged();
    return;
  }
}

}  // namespace qm
