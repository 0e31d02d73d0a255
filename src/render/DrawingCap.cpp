#include "render/DrawingCap.h"

#include <QGuiApplication>
#include <QScreen>
#include <QThread>
#include <QtMath>
#include <atomic>

namespace qm::render {
namespace {

// Width in the high half, height in the low; 0 until first worked out.
std::atomic<quint64> g_cap{0};

QSize ScreensCap() {
  const QString platform = QGuiApplication::platformName();
  if (platform == u"offscreen" || platform == u"minimal") return kScreenlessDrawingCap;
  QSize cap;
  for (const QScreen* s : QGuiApplication::screens()) {
    const qreal dpr = s->devicePixelRatio();
    const QSize device(qCeil(s->geometry().width() * dpr), qCeil(s->geometry().height() * dpr));
    cap = cap.expandedTo(device);
  }
  return cap.isEmpty() ? kScreenlessDrawingCap : cap;
}

}  // namespace

QSize DrawingCap() {
  const auto* app = qobject_cast<const QGuiApplication*>(QCoreApplication::instance());
  if (app && QThread::currentThread() == app->thread()) {
    const QSize cap = ScreensCap();
    g_cap.store(quint64(quint32(cap.width())) << 32 | quint32(cap.height()),
                std::memory_order_relaxed);
    return cap;
  }
  const quint64 known = g_cap.load(std::memory_order_relaxed);
  if (known == 0) return kScreenlessDrawingCap;
  return QSize(static_cast<int>(known >> 32), static_cast<int>(known & 0xFFFFFFFFu));
}

QRect DrawableArea(const QRect& box) {
  const QSize cap = DrawingCap();
  if (box.width() <= cap.width() && box.height() <= cap.height()) return box;
  const int w = qMin(box.width(), cap.width());
  const int h = qMin(box.height(), cap.height());
  return QRect(box.x() + (box.width() - w) / 2, box.y() + (box.height() - h) / 2, w, h);
}

}  // namespace qm::render
