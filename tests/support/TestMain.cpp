// Test entry point: GoogleTest inside a Qt application on the offscreen platform,
// or, for the tests of the real programs on a real display, on an X server of
// their own.
#include <gtest/gtest.h>

#include <QLocale>
#include <cstdio>
#include <cstring>

#if defined(QM_TEST_APP_X11)
#include "support/XServer.h"
#endif

#if defined(QM_TEST_APP_WIDGETS) || defined(QM_TEST_APP_X11)
#include <QApplication>
using TestApp = QApplication;
#elif defined(QM_TEST_APP_GUI)
#include <QGuiApplication>
using TestApp = QGuiApplication;
#else
#include <QCoreApplication>
using TestApp = QCoreApplication;
#endif

int main(int argc, char** argv) {
  // CTest sets these too; a test run by hand behaves the same way.
  qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen")
                                                                  : qgetenv("QT_QPA_PLATFORM"));
#if defined(QM_TEST_APP_X11)
  // Listing the cases needs no display.
  bool listing = false;
  for (int i = 1; i < argc; ++i)
    listing = listing || std::strcmp(argv[i], "--gtest_list_tests") == 0;
  qm::test::XServer x;
  if (!listing) {
    QString error;
    if (!x.Start(QSize(1600, 1000), &error)) {
      std::fprintf(stderr, "cannot start an X server: %s\n", error.toLocal8Bit().constData());
      return 1;
    }
    qputenv("DISPLAY", x.Display().toLatin1());
    qputenv("QT_QPA_PLATFORM", "xcb");
  }
#endif
  TestApp app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
