#pragma once
// The editor window's parts, found by object name as any tool would find them.

#include <gtest/gtest.h>

#include <QString>
#include <QTimer>
#include <QWidget>

#include "gallery/ui/GalleryArea.h"
#include "pages/ui/CategoryPage.h"
#include "pages/ui/ColourPage.h"
#include "pages/ui/TextPage.h"
#include "pages/ui/TonePage.h"

namespace qm::test {

template <typename T>
T* Part(const QWidget& window, const QString& name) {
  T* p = window.findChild<T*>(name);
  EXPECT_NE(p, nullptr) << "no " << name.toStdString();
  return p;
}

inline QWidget* PageWidget(const QWidget& w, int page) {
  return Part<QWidget>(w, QStringLiteral("framMenu_%1").arg(page));
}
inline CategoryPage* CategoryPageOf(const QWidget& w) {
  return Part<CategoryPage>(w, QStringLiteral("framMenu_0"));
}
inline TextPage* TextPageOf(const QWidget& w) {
  return Part<TextPage>(w, QStringLiteral("framMenu_1"));
}
inline ColourPage* ColourPageOf(const QWidget& w) {
  return Part<ColourPage>(w, QStringLiteral("framMenu_2"));
}
inline TonePage* TonePageOf(const QWidget& w) {
  return Part<TonePage>(w, QStringLiteral("framMenu_4"));
}
inline GalleryArea* GalleryAreaOf(const QWidget& w) {
  return Part<GalleryArea>(w, QStringLiteral("picFrame"));
}
inline QWidget* MenuEntry(const QWidget& w, int i) {
  return Part<QWidget>(w, QStringLiteral("lblMenu_%1").arg(i));
}
inline QTimer* TimerOf(const QWidget& w, int i) {
  return Part<QTimer>(w, QStringLiteral("tmr_%1").arg(i));
}

}  // namespace qm::test
