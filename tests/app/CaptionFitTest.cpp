// Every caption of the window fits its control: the page geometry is a fixed
// pixel grid, and a caption wider than its control is cut off on screen.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionGroupBox>

#include "app/FrmOptions.h"
#include "platform/Language.h"
#include "support/TempProgram.h"
#include "support/WindowParts.h"

using namespace qm;

namespace {

// The width the caption needs and the width it has, both as the style lays
// the control out.
struct Fit {
  int needed;
  int available;
};

Fit FitOf(QWidget* w) {
  if (auto* g = qobject_cast<QGroupBox*>(w)) {
    QStyleOptionGroupBox opt;
    opt.initFrom(g);
    opt.text = g->title();
    opt.subControls = QStyle::SC_GroupBoxLabel | QStyle::SC_GroupBoxFrame;
    opt.textAlignment = g->alignment();
    const QRect label =
        g->style()->subControlRect(QStyle::CC_GroupBox, &opt, QStyle::SC_GroupBoxLabel, g);
    return {label.x() + g->fontMetrics().horizontalAdvance(g->title()), g->width()};
  }
  if (auto* b = qobject_cast<QPushButton*>(w)) {
    // A push button's own size hint asks for a minimum width beyond its
    // text; the text itself needs its width and the style's margins.
    const int margin = b->style()->pixelMetric(QStyle::PM_ButtonMargin, nullptr, b);
    return {b->fontMetrics().horizontalAdvance(b->text()) + 2 * margin, b->width()};
  }
  return {w->sizeHint().width(), w->width()};
}

QString CaptionOf(QWidget* w) {
  if (auto* g = qobject_cast<QGroupBox*>(w)) return g->title();
  if (auto* b = qobject_cast<QAbstractButton*>(w)) return b->text();
  if (auto* l = qobject_cast<QLabel*>(w)) return l->text();
  return {};
}

}  // namespace

// In every language the window speaks: translated captions must fit the
// same grid.
class CaptionFit : public ::testing::TestWithParam<platform::Language> {};

TEST_P(CaptionFit, EveryCaptionFitsItsControl) {
  const platform::ScopedTranslation language(GetParam());
  ASSERT_TRUE(language.ok());
  test::TempProgram program;
  FrmOptions w(program.Environment());
  ASSERT_TRUE(w.Form_Load());
  w.show();
  int measured = 0;
  // Every page in turn, so that the open menu entry (bold) is measured too.
  for (int page = 0; page < 5; ++page) {
    w.MenuSet(static_cast<std::int16_t>(page));
    for (QWidget* c : w.findChildren<QWidget*>()) {
      const QString caption = CaptionOf(c);
      if (caption.isEmpty()) continue;
      const Fit fit = FitOf(c);
      ++measured;
      EXPECT_LE(fit.needed, fit.available) << c->objectName().toStdString() << " \""
                                           << caption.toStdString() << "\" on page " << page;
    }
  }
  EXPECT_GT(measured, 100);
}

INSTANTIATE_TEST_SUITE_P(Languages, CaptionFit,
                         ::testing::Values(platform::Language::Russian,
                                           platform::Language::English),
                         [](const auto& info) {
                           return platform::LanguageCode(info.param).toStdString();
                         });
