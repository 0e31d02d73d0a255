// Test entry point: GoogleTest inside a Qt application on the offscreen platform.
#include <gtest/gtest.h>

#include <QLocale>

#if defined(QM_TEST_APP_WIDGETS)
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
  TestApp app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
