// The programs' icon is drawn when asked for: every size a window hands to
// the window system, and every painter it is drawn with, get the drawing
// itself, not a kept picture scaled.
#include <gtest/gtest.h>

#include <QIcon>
#include <QPainter>
#include <QPixmap>

#include "render/AppIcon.h"

using namespace qm::render;

TEST(AppIcon, EverySizeAskedForIsTheDrawingAtThatSize) {
  const QIcon icon = AppIcon();
  QList<QSize> asked = icon.availableSizes();
  ASSERT_FALSE(asked.isEmpty());
  // Sizes in between, and an oblong one, as a task bar or a menu may ask.
  asked << QSize(20, 20) << QSize(40, 30);
  for (const QSize& size : asked) {
    SCOPED_TRACE(size.width());
    const int side = std::min(size.width(), size.height());
    const QImage got =
        icon.pixmap(size).toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
    EXPECT_EQ(got, AppIconImage(side));
  }
}

TEST(AppIcon, APainterOnAScaledDeviceGetsTheDrawingAtItsPixels) {
  struct Case {
    qreal dpr;
    QRect rect;  // where it is drawn, in the device's logical pixels
  };
  const Case cases[] = {
      {1, QRect(0, 0, 32, 32)}, {2, QRect(0, 0, 32, 32)}, {2, QRect(4, 0, 40, 32)}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.dpr);
    QImage device(QSize(48, 32) * c.dpr, QImage::Format_ARGB32_Premultiplied);
    device.setDevicePixelRatio(c.dpr);
    device.fill(Qt::transparent);
    {
      QPainter p(&device);
      AppIcon().paint(&p, c.rect);
    }
    const int side = std::min(c.rect.width(), c.rect.height());
    const QPoint at =
        (QPointF(c.rect.x() + (c.rect.width() - side) / 2.0, c.rect.y()) * c.dpr).toPoint();
    const QImage want = AppIconImage(qRound(side * c.dpr));
    EXPECT_EQ(device.copy(QRect(at, want.size())), want);
  }
}
