#include "host/ui/wayland/PopupMenu.h"

#include <wayland-client.h>
#include <wlr-layer-shell-unstable-v1-client.h>
#include <xdg-shell-client.h>

#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>
#include <QPalette>

#include "host/ui/wayland/WaylandDesktop.h"

namespace qm {
namespace {

constexpr int kPad = 4;
constexpr int kSeparator = 9;

QFont MenuFont() {
  QFont f = QGuiApplication::font();
  if (f.pointSizeF() < 9) f.setPointSizeF(10);
  return f;
}

}  // namespace

PopupMenu::PopupMenu(WaylandDesktop& desktop, zwlr_layer_surface_v1* parent, const QPointF& at,
                     uint32_t serial, int scale, QList<MenuEntry> entries)
    : desktop_(desktop), entries_(std::move(entries)), scale_(scale) {
  const QFontMetrics fm(MenuFont());
  const int row = fm.height() + 2 * kPad + 2;
  int y = kPad;
  int widest = 0;
  for (const MenuEntry& e : entries_) {
    tops_ << y;
    y += e.text.isEmpty() ? kSeparator : row;
    widest = qMax(widest, fm.horizontalAdvance(e.text));
  }
  tops_ << y;
  // Room for the check mark on the left and the arrow on the right.
  width_ = widest + 2 * row + 2 * kPad;
  const int height = y + kPad;

  surface_ = wl_compositor_create_surface(desktop_.Compositor());
  wl_surface_set_user_data(surface_, this);
  xdgSurface_ = xdg_wm_base_get_xdg_surface(desktop_.WmBase(), surface_);
  static const xdg_surface_listener kSurfaceListener = {
      .configure =
          [](void* data, xdg_surface* s, uint32_t serial) {
            auto* m = static_cast<PopupMenu*>(data);
            xdg_surface_ack_configure(s, serial);
            m->configured_ = true;
            m->Draw();
          },
  };
  xdg_surface_add_listener(xdgSurface_, &kSurfaceListener, this);
  xdg_positioner* positioner = xdg_wm_base_create_positioner(desktop_.WmBase());
  xdg_positioner_set_size(positioner, width_, height);
  xdg_positioner_set_anchor_rect(positioner, int(at.x()), int(at.y()), 1, 1);
  xdg_positioner_set_anchor(positioner, XDG_POSITIONER_ANCHOR_TOP_LEFT);
  xdg_positioner_set_gravity(positioner, XDG_POSITIONER_GRAVITY_BOTTOM_RIGHT);
  // Near an edge it opens the other way, or slides along it.
  xdg_positioner_set_constraint_adjustment(positioner,
                                           XDG_POSITIONER_CONSTRAINT_ADJUSTMENT_FLIP_X |
                                               XDG_POSITIONER_CONSTRAINT_ADJUSTMENT_FLIP_Y |
                                               XDG_POSITIONER_CONSTRAINT_ADJUSTMENT_SLIDE_X |
                                               XDG_POSITIONER_CONSTRAINT_ADJUSTMENT_SLIDE_Y);
  popup_ = xdg_surface_get_popup(xdgSurface_, nullptr, positioner);
  xdg_positioner_destroy(positioner);
  static const xdg_popup_listener kPopupListener = {
      .configure = [](void*, xdg_popup*, int32_t, int32_t, int32_t, int32_t) {},
      .popup_done = [](void* data, xdg_popup*) { static_cast<PopupMenu*>(data)->Close(); },
      .repositioned = [](void*, xdg_popup*, uint32_t) {},
  };
  xdg_popup_add_listener(popup_, &kPopupListener, this);
  zwlr_layer_surface_v1_get_popup(parent, popup_);
  // The grab sends every pointer event to the menu and closes it on a click
  // outside.
  if (desktop_.Seat()) xdg_popup_grab(popup_, desktop_.Seat(), serial);
  wl_surface_commit(surface_);
}

PopupMenu::~PopupMenu() {
  if (popup_) xdg_popup_destroy(popup_);
  if (xdgSurface_) xdg_surface_destroy(xdgSurface_);
  if (surface_) wl_surface_destroy(surface_);
}

void PopupMenu::Close() {
  if (closed_) return;
  closed_ = true;
  if (closed) closed();
}

int PopupMenu::EntryAt(const QPointF& at) const {
  if (at.x() < 0 || at.x() >= width_) return -1;
  for (qsizetype i = 0; i + 1 < tops_.size(); ++i)
    if (at.y() >= tops_[i] && at.y() < tops_[i + 1]) return int(i);
  return -1;
}

void PopupMenu::PointerAt(const QPointF& at) {
  int i = EntryAt(at);
  if (i >= 0 && (entries_[i].text.isEmpty() || !entries_[i].enabled)) i = -1;
  if (i == hovered_) return;
  hovered_ = i;
  Draw();
}

void PopupMenu::PointerLeft() {
  pressed_ = false;
  if (hovered_ < 0) return;
  hovered_ = -1;
  Draw();
}

std::function<void()> PopupMenu::Button(bool pressed) {
  // The release of the button that opened the menu chooses nothing.
  if (pressed) {
    pressed_ = true;
    return {};
  }
  if (!pressed_ || hovered_ < 0) return {};
  std::function<void()> chosen = entries_[hovered_].chosen;
  Close();
  return chosen;
}

void PopupMenu::Draw() {
  if (!configured_ || closed_) return;
  const QSize logical(width_, tops_.last() + kPad);
  ShmBuffer* buffer = nullptr;
  for (auto& b : buffers_) {
    if (b && b->Size() != logical * scale_) b.reset();
    if (!b) b = std::make_unique<ShmBuffer>(desktop_.Shm(), logical * scale_);
    if (b->Valid() && !b->Busy()) {
      buffer = b.get();
      break;
    }
  }
  if (!buffer) return;
  QImage& image = buffer->Image();
  image.setDevicePixelRatio(scale_);
  const QPalette pal = QGuiApplication::palette();
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.fillRect(QRect(QPoint(0, 0), logical), pal.color(QPalette::Window));
  p.setPen(pal.color(QPalette::Mid));
  p.drawRect(QRectF(0.5, 0.5, logical.width() - 1, logical.height() - 1));
  p.setFont(MenuFont());
  const QFontMetrics fm(p.font());
  const int row = fm.height() + 2 * kPad + 2;
  for (qsizetype i = 0; i < entries_.size(); ++i) {
    const MenuEntry& e = entries_[i];
    const QRect r(1, tops_[i], width_ - 2, tops_[i + 1] - tops_[i]);
    if (e.text.isEmpty()) {
      p.setPen(pal.color(QPalette::Mid));
      p.drawLine(r.left() + kPad, r.center().y(), r.right() - kPad, r.center().y());
      continue;
    }
    if (i == hovered_) p.fillRect(r, pal.color(QPalette::Highlight));
    p.setPen(!e.enabled      ? pal.color(QPalette::Disabled, QPalette::WindowText)
             : i == hovered_ ? pal.color(QPalette::HighlightedText)
                             : pal.color(QPalette::WindowText));
    const QRect text = r.adjusted(row, 0, -row, 0);
    p.drawText(text, Qt::AlignVCenter | Qt::AlignLeft, e.text);
    if (e.checked)
      p.drawText(QRect(r.left(), r.top(), row, r.height()), Qt::AlignCenter,
                 QStringLiteral("\u2713"));
    if (e.more)
      p.drawText(QRect(r.right() - row, r.top(), row, r.height()), Qt::AlignCenter,
                 QStringLiteral("\u25B8"));
  }
  p.end();
  wl_surface_set_buffer_scale(surface_, scale_);
  wl_surface_attach(surface_, buffer->Buffer(), 0, 0);
  wl_surface_damage(surface_, 0, 0, logical.width(), logical.height());
  buffer->SetBusy();
  wl_surface_commit(surface_);
}

}  // namespace qm
