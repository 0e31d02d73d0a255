// The colour page's screen picker on a real X display: the root window is
// painted a known colour, the editor's button is clicked, then the desktop;
// the colour under the pointer is taken and reaches the host. Esc cancels.
#include <QtGui/qguiapplication_platform.h>
#include <gtest/gtest.h>
#include <xcb/xcb.h>

#include <QApplication>
#include <QTest>
#include <QToolButton>

#include "Desktop.h"
#include "app/FrmOptions.h"
#include "link/LinkTestSupport.h"
#include "pages/ui/ColourPage.h"
#include "session/HostSession.h"
#include "support/TempProgram.h"
#include "support/WindowParts.h"

using namespace qm;

namespace {

constexpr qint32 kHost = 1000005;

// Paints the root window (the desktop behind every window) one colour.
bool PaintDesktop(QRgb rgb) {
  auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
  xcb_connection_t* c = x11 ? x11->connection() : nullptr;
  if (!c) return false;
  const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
  const uint32_t pixel = rgb & 0xFFFFFF;  // 24-bit TrueColor: 0xRRGGBB
  xcb_change_window_attributes(c, screen->root, XCB_CW_BACK_PIXEL, &pixel);
  xcb_clear_area(c, 0, screen->root, 0, 0, 0, 0);
  return xcb_flush(c) > 0;
}

TEST(ScreenPicker, TakesThePixelClickedOnTheDesktopAndEscCancels) {
  const QColor desktop(0x33, 0x66, 0xCC);
  ASSERT_TRUE(PaintDesktop(desktop.rgb()));
  const QPoint onDesktop(1400, 900);
  ASSERT_TRUE(QTest::qWaitFor(
      [&] { return test::Grab(QRect(onDesktop, QSize(1, 1))).pixelColor(0, 0) == desktop; }, 5000));

  link::test::LinkDir dir;
  link::test::EndpointThread host(dir.path(), kHost);
  ASSERT_TRUE(host.listening());
  test::TempProgram program;
  program.WriteIni(
      "[General]\r\nSelected=|DejaVu Sans|0|40|&HFF0000|0|0|&H0|1|1|255|&H0|1|1|1|0|0|0|100|100|"
      "0|0\r\n");
  FrmOptions window(
      program.Environment(QString::number(kHost) + QStringLiteral("|+1°"), dir.path()));
  ASSERT_TRUE(window.Form_Load());
  window.move(0, 0);
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window, 5000));
  window.activateWindow();
  QWidget* entry = test::MenuEntry(window, 2);
  QTest::mouseClick(entry, Qt::LeftButton, {}, entry->rect().center());
  ColourPage& page = *test::ColourPageOf(window);
  QToolButton* button = page.cmdPick;
  ASSERT_TRUE(button->isEnabled()) << "X11 can always deliver a colour";
  const QString shown = page.txtHex->text();
  const qsizetype before = host.messages().size();

  // A real click on the button, then one on the desktop.
  ASSERT_TRUE(test::Click(button->mapToGlobal(button->rect().center())));
  ASSERT_TRUE(QTest::qWaitFor([&] { return QWidget::mouseGrabber() == button; }, 5000));
  ASSERT_TRUE(test::Click(onDesktop));
  ASSERT_TRUE(QTest::qWaitFor([&] { return page.txtHex->text() != shown; }, 5000));
  EXPECT_EQ(page.txtHex->text(), desktop.name(QColor::HexRgb).toUpper());
  EXPECT_EQ(page.scrlColor[2]->Value(), desktop.blue());
  EXPECT_EQ(QWidget::mouseGrabber(), nullptr);
  const QStringList sent = host.messages().mid(before);
  EXPECT_EQ(sent, QStringList{QStringLiteral("C=") + QString::number(desktop.rgb() & 0xFFFFFF)});
  EXPECT_EQ(window.State().CurrentParams.TextColor, qint32(desktop.rgb() & 0xFFFFFF));

  // The key starts a pick too; Esc ends it with nothing taken.
  ASSERT_TRUE(PaintDesktop(qRgb(0, 0, 0)));
  QTest::keyClick(&window, Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
  ASSERT_TRUE(QTest::qWaitFor([&] { return QWidget::mouseGrabber() == button; }, 5000));
  ASSERT_TRUE(test::Keys({QStringLiteral("Escape")}));
  ASSERT_TRUE(QTest::qWaitFor([&] { return QWidget::mouseGrabber() == nullptr; }, 5000));
  EXPECT_EQ(page.txtHex->text(), desktop.name(QColor::HexRgb).toUpper());
  EXPECT_EQ(host.messages().size(), before + 1);
  window.close();
}

}  // namespace
