#include "host/ui/wayland/LayerSurfaceStamp.h"

#include <linux/input-event-codes.h>
#include <wayland-client.h>
#include <wlr-layer-shell-unstable-v1-client.h>
#include <xdg-shell-client.h>

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QPainter>
#include <QSocketNotifier>
#include <QStyleHints>
#include <QTimer>
#include <cstdio>

#include "host/StampChoices.h"
#include "host/StampHost.h"
#include "host/StampPlace.h"
#include "render/StampFont.h"
#include "settings/UserKeys.h"
#include "settings/UserSettings.h"

namespace qm {
namespace {

const char kNamespace[] = "quillmark";
// A press that moves the pointer less than this is a click, not a drag.
constexpr int kClickSlop = 4;

// The menu speaks as the stamp's window does, in the same words.
QString MenuText(const char* text) { return QCoreApplication::translate("qm::StampWindow", text); }

}  // namespace

// The pointer's events, handed to the stamp.
struct LayerSurfaceStamp::PointerEvents {
  static LayerSurfaceStamp* Of(void* data) { return static_cast<LayerSurfaceStamp*>(data); }
  static void Enter(void* data, wl_pointer*, uint32_t serial, wl_surface* surface, wl_fixed_t x,
                    wl_fixed_t y) {
    LayerSurfaceStamp* s = Of(data);
    s->lastSerial_ = serial;
    s->pointerOn_ = surface;
    s->pointerAt_ = QPointF(wl_fixed_to_double(x), wl_fixed_to_double(y));
    s->OnMotion();
  }
  static void Leave(void* data, wl_pointer*, uint32_t, wl_surface* surface) {
    LayerSurfaceStamp* s = Of(data);
    if (s->menu_ && surface == s->menu_->Surface()) s->menu_->PointerLeft();
    if (s->pointerOn_ == surface) s->pointerOn_ = nullptr;
  }
  static void Motion(void* data, wl_pointer*, uint32_t, wl_fixed_t x, wl_fixed_t y) {
    LayerSurfaceStamp* s = Of(data);
    s->pointerAt_ = QPointF(wl_fixed_to_double(x), wl_fixed_to_double(y));
    s->OnMotion();
  }
  static void Button(void* data, wl_pointer*, uint32_t serial, uint32_t time, uint32_t button,
                     uint32_t state) {
    Of(data)->OnButton(serial, time, button, state == WL_POINTER_BUTTON_STATE_PRESSED);
  }
  static void Axis(void*, wl_pointer*, uint32_t, uint32_t, wl_fixed_t) {}
  static void Frame(void*, wl_pointer*) {}
  static void AxisSource(void*, wl_pointer*, uint32_t) {}
  static void AxisStop(void*, wl_pointer*, uint32_t, uint32_t) {}
  static void AxisDiscrete(void*, wl_pointer*, uint32_t, int32_t) {}
  static void AxisValue120(void*, wl_pointer*, uint32_t, int32_t) {}
};

LayerSurfaceStamp::LayerSurfaceStamp(std::unique_ptr<WaylandDesktop> desktop, host::StampHost& host,
                                     settings::UserSettings& store, const QString& keyPrefix,
                                     QObject* parent)
    : QObject(parent),
      desktop_(std::move(desktop)),
      host_(host),
      store_(store),
      keyPrefix_(keyPrefix) {
  desktop_->outputsChanged = [this] { OnOutputsChanged(); };
  desktop_->seatChanged = [this](bool pointer) { OnSeat(pointer); };
  notifier_ =
      new QSocketNotifier(wl_display_get_fd(desktop_->Display()), QSocketNotifier::Read, this);
  connect(notifier_, &QSocketNotifier::activated, this, &LayerSurfaceStamp::ReadEvents);
  // What we asked for goes out before Qt waits for anything.
  if (QAbstractEventDispatcher* d = QAbstractEventDispatcher::instance())
    connect(d, &QAbstractEventDispatcher::aboutToBlock, this, &LayerSurfaceStamp::Flush);
  connect(&host_, &host::StampHost::stampChanged, this, &LayerSurfaceStamp::OnStampChanged);
  OnSeat(desktop_->SeatHasPointer());
}

LayerSurfaceStamp::~LayerSurfaceStamp() {
  menu_.reset();
  DestroySurface();
  if (pointer_) wl_pointer_destroy(pointer_);
  if (desktop_) wl_display_flush(desktop_->Display());
}

void LayerSurfaceStamp::OnSeat(bool hasPointer) {
  if (!desktop_->Seat()) return;
  if (hasPointer && !pointer_) pointer_ = wl_seat_get_pointer(desktop_->Seat());
  if (!hasPointer && pointer_) {
    wl_pointer_destroy(pointer_);
    pointer_ = nullptr;
    dragging_ = false;
    return;
  }
  if (!pointer_ || wl_proxy_get_listener(reinterpret_cast<wl_proxy*>(pointer_))) return;
  static const wl_pointer_listener kListener = {
      .enter = &PointerEvents::Enter,
      .leave = &PointerEvents::Leave,
      .motion = &PointerEvents::Motion,
      .button = &PointerEvents::Button,
      .axis = &PointerEvents::Axis,
      .frame = &PointerEvents::Frame,
      .axis_source = &PointerEvents::AxisSource,
      .axis_stop = &PointerEvents::AxisStop,
      .axis_discrete = &PointerEvents::AxisDiscrete,
      .axis_value120 = &PointerEvents::AxisValue120,
  };
  wl_pointer_add_listener(pointer_, &kListener, this);
}

void LayerSurfaceStamp::SetAbove(bool above) {
  if (below_ == !above) return;
  below_ = !above;
  if (layer_) {
    zwlr_layer_surface_v1_set_layer(
        layer_, below_ ? ZWLR_LAYER_SHELL_V1_LAYER_BOTTOM : ZWLR_LAYER_SHELL_V1_LAYER_TOP);
    wl_surface_commit(surface_);
  }
}

std::optional<bool> LayerSurfaceStamp::StoredAbove() const {
  return host::StoredAbove(store_, keyPrefix_);
}

std::optional<bool> LayerSurfaceStamp::StoredLocked() const {
  return host::StoredLocked(store_, keyPrefix_);
}

void LayerSurfaceStamp::Show() {
  OnStampChanged();
  CreateSurface();
  Flush();
}

void LayerSurfaceStamp::Quit() {
  if (quitting_) return;
  quitting_ = true;
  host_.CloseEditor();
  QCoreApplication::quit();
}

// ---- the connection in Qt's event loop

void LayerSurfaceStamp::Flush() {
  if (!desktop_) return;
  wl_display_dispatch_pending(desktop_->Display());
  wl_display_flush(desktop_->Display());
  CheckConnection();
}

void LayerSurfaceStamp::ReadEvents() {
  wl_display* d = desktop_->Display();
  while (wl_display_prepare_read(d) != 0) wl_display_dispatch_pending(d);
  if (wl_display_read_events(d) == 0) wl_display_dispatch_pending(d);
  if (CheckConnection()) wl_display_flush(d);
}

bool LayerSurfaceStamp::CheckConnection() {
  const int error = wl_display_get_error(desktop_->Display());
  if (error == 0) return true;
  // The compositor went away, or refused something of ours: nothing can be
  // shown any more.
  notifier_->setEnabled(false);
  if (!quitting_)
    std::fprintf(stderr, "quillmark-host: the connection to the Wayland compositor ended (%s)\n",
                 qPrintable(qt_error_string(error)));
  Quit();
  return false;
}

// ---- the surface

QList<host::ScreenArea> LayerSurfaceStamp::Screens() const {
  // The first output stands for the primary screen. A layer surface is laid
  // out on the whole output (see CreateSurface), so that is its free area.
  QList<host::ScreenArea> out;
  for (const WaylandOutput* o : desktop_->Outputs()) {
    if (o->LogicalSize().isEmpty()) continue;
    const QRect area(o->position, o->LogicalSize());
    out << host::ScreenArea{o->name, area, area};
  }
  return out;
}

void LayerSurfaceStamp::StandAtPlace() {
  const QList<host::ScreenArea> screens = Screens();
  if (!placeRead_ && !screens.isEmpty()) {
    place_ = host::ReadPlace(store_.Get(settings::kStampPlace, keyPrefix_), size_, screens);
    placeRead_ = true;
  }
  StandAt(host::PlaceRect(place_, size_, screens));
}

void LayerSurfaceStamp::StandAt(const QRect& onDesktop) {
  if (!output_) return;
  anchor_ = host::AnchorOnOutput(onDesktop.translated(-output_->position), OutputSize());
  ApplyPlace();
}

QSize LayerSurfaceStamp::OutputSize() const { return output_ ? output_->LogicalSize() : QSize(); }

void LayerSurfaceStamp::CreateSurface() {
  if (layer_ || quitting_) return;
  // The output the place is on.
  const QList<host::ScreenArea> screens = Screens();
  if (screens.isEmpty()) return;  // none yet: one that comes brings the stamp
  if (!placeRead_) {
    place_ = host::ReadPlace(store_.Get(settings::kStampPlace, keyPrefix_), size_, screens);
    placeRead_ = true;
  }
  const int screen = host::ScreenOf(host::PlaceRect(place_, size_, screens), screens);
  output_ = nullptr;
  for (WaylandOutput* o : desktop_->Outputs())
    if (!output_ && QRect(o->position, o->LogicalSize()) == screens[qMax(0, screen)].geometry)
      output_ = o;
  if (!output_) return;
  scale_ = output_->scale;
  host_.SetDevicePixelRatio(scale_);

  surface_ = wl_compositor_create_surface(desktop_->Compositor());
  layer_ = zwlr_layer_shell_v1_get_layer_surface(
      desktop_->LayerShell(), surface_, output_->output,
      below_ ? ZWLR_LAYER_SHELL_V1_LAYER_BOTTOM : ZWLR_LAYER_SHELL_V1_LAYER_TOP, kNamespace);
  static const zwlr_layer_surface_v1_listener kListener = {
      .configure = [](void* data, zwlr_layer_surface_v1*, uint32_t serial, uint32_t,
                      uint32_t) { static_cast<LayerSurfaceStamp*>(data)->OnConfigure(serial); },
      .closed =
          [](void* data, zwlr_layer_surface_v1*) {
            // Its output went away: the stamp moves to another one.
            auto* s = static_cast<LayerSurfaceStamp*>(data);
            QTimer::singleShot(0, s, [s] {
              s->DestroySurface();
              s->CreateSurface();
            });
          },
  };
  zwlr_layer_surface_v1_add_listener(layer_, &kListener, this);
  zwlr_layer_surface_v1_set_keyboard_interactivity(
      layer_, ZWLR_LAYER_SURFACE_V1_KEYBOARD_INTERACTIVITY_NONE);
  // Placed on the whole output, panels or not, so that its margins are its
  // place on the output and nothing pushes it aside.
  zwlr_layer_surface_v1_set_exclusive_zone(layer_, -1);
  zwlr_layer_surface_v1_set_size(layer_, qMax(1, size_.width()), qMax(1, size_.height()));
  StandAtPlace();
  // The first commit carries no picture: the compositor answers it with the
  // configure that allows one.
  wl_surface_commit(surface_);
}

void LayerSurfaceStamp::DestroySurface() {
  menu_.reset();
  for (auto& b : buffers_) b.reset();
  if (layer_) zwlr_layer_surface_v1_destroy(layer_);
  if (surface_) wl_surface_destroy(surface_);
  layer_ = nullptr;
  surface_ = nullptr;
  pointerOn_ = nullptr;
  dragging_ = false;
  configured_ = false;
}

void LayerSurfaceStamp::OnConfigure(uint32_t serial) {
  zwlr_layer_surface_v1_ack_configure(layer_, serial);
  configured_ = true;
  Draw();
}

void LayerSurfaceStamp::ApplyPlace() {
  if (!layer_) return;
  uint32_t edges = 0;
  edges |= anchor_.right ? ZWLR_LAYER_SURFACE_V1_ANCHOR_RIGHT : ZWLR_LAYER_SURFACE_V1_ANCHOR_LEFT;
  edges |= anchor_.bottom ? ZWLR_LAYER_SURFACE_V1_ANCHOR_BOTTOM : ZWLR_LAYER_SURFACE_V1_ANCHOR_TOP;
  zwlr_layer_surface_v1_set_anchor(layer_, edges);
  zwlr_layer_surface_v1_set_margin(
      layer_, anchor_.bottom ? 0 : anchor_.marginY, anchor_.right ? anchor_.marginX : 0,
      anchor_.bottom ? anchor_.marginY : 0, anchor_.right ? 0 : anchor_.marginX);
  topLeft_ = host::TopLeftOnOutput(anchor_, size_, OutputSize());
}

void LayerSurfaceStamp::OnStampChanged() {
  const QSize size = host_.StampSize().expandedTo(QSize(1, 1));
  if (size != size_) {
    size_ = size;
    if (layer_) {
      zwlr_layer_surface_v1_set_size(layer_, size_.width(), size_.height());
      // It grows away from the corner or edge it is anchored to.
      StandAtPlace();
    }
  }
  Draw();
}

void LayerSurfaceStamp::OnOutputsChanged() {
  if (!layer_) {
    CreateSurface();
    return;
  }
  if (!output_ || !desktop_->Outputs().contains(output_)) return;  // "closed" follows
  if (output_->scale != scale_) {
    scale_ = output_->scale;
    host_.SetDevicePixelRatio(scale_);
    Draw();
  }
  // A smaller output must not leave it off the edge.
  const host::LayerAnchor before = anchor_;
  StandAtPlace();
  if (anchor_ != before) wl_surface_commit(surface_);
}

void LayerSurfaceStamp::Draw() {
  if (!configured_ || !surface_) return;
  const QSize pixels = size_ * scale_;
  ShmBuffer* buffer = nullptr;
  for (auto& b : buffers_) {
    if (b && b->Size() != pixels && !b->Busy()) b.reset();
    if (!b) b = std::make_unique<ShmBuffer>(desktop_->Shm(), pixels);
    if (b->Valid() && !b->Busy() && b->Size() == pixels) {
      buffer = b.get();
      break;
    }
  }
  if (!buffer) {
    for (const auto& b : buffers_)
      if (!b->Valid()) return;  // no memory to share: nothing to show
    // Both are still read by the compositor: drawn again once one is free.
    if (!redrawWanted_) {
      redrawWanted_ = true;
      QTimer::singleShot(16, this, [this] {
        redrawWanted_ = false;
        Draw();
      });
    }
    return;
  }
  QImage& image = buffer->Image();
  image.setDevicePixelRatio(scale_);
  image.fill(Qt::transparent);
  {
    QPainter p(&image);
    p.drawImage(QPointF(0, 0), host_.Image());
  }
  wl_surface_set_buffer_scale(surface_, scale_);
  wl_surface_attach(surface_, buffer->Buffer(), 0, 0);
  wl_surface_damage_buffer(surface_, 0, 0, pixels.width(), pixels.height());
  buffer->SetBusy();
  wl_surface_commit(surface_);
}

// ---- the pointer

void LayerSurfaceStamp::OnMotion() {
  if (menu_ && pointerOn_ == menu_->Surface()) {
    menu_->PointerAt(pointerAt_);
    return;
  }
  if (!dragging_ || pointerOn_ != surface_) return;
  if ((pointerAt_ - grab_).manhattanLength() >= kClickSlop) dragMoved_ = lastPressMoved_ = true;
}

void LayerSurfaceStamp::OnButton(uint32_t serial, uint32_t time, uint32_t button, bool pressed) {
  if (pressed) lastSerial_ = serial;
  if (menu_ && !menu_->Closed() && pointerOn_ == menu_->Surface()) {
    const std::function<void()> chosen = menu_->Button(pressed);
    if (menu_->Closed()) menu_.reset();
    if (chosen) chosen();
    return;
  }
  if (pointerOn_ != surface_ || !surface_) return;
  if (button == BTN_LEFT && pressed) {
    const int interval = QGuiApplication::styleHints()->mouseDoubleClickInterval();
    const bool twice = !lastPressMoved_ && time - lastPressTime_ <= uint32_t(interval);
    lastPressTime_ = time;
    lastPressMoved_ = false;
    if (twice) {
      lastPressMoved_ = true;  // a third click starts anew
      host_.OpenEditor();
      return;
    }
    if (locked_) return;
    dragging_ = true;
    dragMoved_ = false;
    grab_ = pointerAt_;
  } else if (button == BTN_LEFT && dragging_) {
    dragging_ = false;
    if (!dragMoved_) return;
    // Moved once, by the whole drag, when the button is let go: while it is
    // held, some compositors give the pointer's place relative to where the
    // stamp stood at the press, others to where it stands now, so a stamp
    // that moved under the pointer would be moved twice by the one or not
    // at all by the other.
    if (!output_) return;
    const QRect outputArea(output_->position, OutputSize());
    QRect to(output_->position + topLeft_ + (pointerAt_ - grab_).toPoint(), size_);
    // Near an edge it lands on it, as the stamp's window does.
    to.moveTopLeft(host::SnapInto(to, outputArea));
    place_ = host::PlaceOf(to, Screens());
    StandAt(to);
    wl_surface_commit(surface_);
    // Kept where the drag ended.
    store_.Set(settings::kStampPlace, host::PlaceText(place_), keyPrefix_);
  } else if (button == BTN_RIGHT && pressed) {
    dragging_ = false;
    OpenMenu(serial);
  }
}

void LayerSurfaceStamp::DropMenu() {
  // Dropped later: the compositor's word that closed it is still being read.
  if (menu_)
    QTimer::singleShot(0, this, [this] {
      if (menu_ && menu_->Closed()) menu_.reset();
    });
}

void LayerSurfaceStamp::OpenMenu(uint32_t serial) {
  if (!desktop_->WmBase()) return;
  menu_.reset();
  menuAt_ = pointerAt_;
  QList<MenuEntry> entries;
  entries << MenuEntry{MenuText("Настроить…"), true, false, false, [this] { host_.OpenEditor(); }};
  // The editor picks the font, so the list is there only while one is open.
  const bool editorOpen = host_.Link().EditorHandle() > 0;
  entries << MenuEntry{MenuText("Шрифт"), editorOpen, false, true,
                       [this] { OpenFontMenu(lastSerial_); }};
  entries << MenuEntry{};
  for (const bool above : {true, false})
    entries << MenuEntry{above ? MenuText("Поверх окон") : MenuText("Под окнами"), true,
                         above == Above(), false, [this, above] {
                           SetAbove(above);
                           host::StoreAbove(store_, keyPrefix_, above);
                         }};
  entries << MenuEntry{MenuText("Закрепить"), true, locked_, false, [this] {
                         locked_ = !locked_;
                         host::StoreLocked(store_, keyPrefix_, locked_);
                       }};
  if (extendMenu_) entries << extendMenu_();
  entries << MenuEntry{};
  entries << MenuEntry{MenuText("Выход"), true, false, false, [this] { Quit(); }};
  menu_ = std::make_unique<PopupMenu>(*desktop_, layer_, menuAt_, serial, scale_, entries);
  menu_->closed = [this] { DropMenu(); };
}

void LayerSurfaceStamp::OpenFontMenu(uint32_t serial) {
  if (!desktop_->WmBase() || !layer_) return;
  menu_.reset();
  QList<MenuEntry> entries;
  const QString current = host_.Line().Params().FontName;
  for (const QString& family : render::InstalledFontFamilies())
    entries << MenuEntry{family, true, family == current, false,
                         [this, family] { host_.ChooseFont(family); }};
  menu_ = std::make_unique<PopupMenu>(*desktop_, layer_, menuAt_, serial, scale_, entries);
  menu_->closed = [this] { DropMenu(); };
}

}  // namespace qm
