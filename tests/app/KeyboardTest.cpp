// The editor from the keyboard: which control a click or Tab gives the focus
// to, and that keys then reach the focused slider, on the real window.
#include <gtest/gtest.h>

#include <QApplication>
#include <QSet>
#include <QTest>
#include <algorithm>
#include <vector>

#include "app/FrmOptions.h"
#include "platform/Classic.h"
#include "support/TempProgram.h"
#include "support/WindowParts.h"

using namespace qm;

namespace {

const QByteArray kIni =
    "[General]\r\n"
    "Selected=Clouds\\a.png|DejaVu Sans|1|36|&HFF0000|5|-3|&H0|2|-2|128|&HFF|3|1|1|1|0|"
    "30|120|90|-10|40\r\n"
    "[Dir0]\r\nName=Облака\r\nPath=Clouds\r\n"
    "Pic1=a.png|DejaVu Sans|0|36|&HFFFFFF|0|0|&H0|2|-2|128|&HFF|3|1|1|1|0|0|100|100|0|0\r\n"
    "Pic2=b.png|DejaVu Sans|0|36|&HFFFFFF|0|0|&H0|2|-2|128|&HFF|3|1|1|1|0|0|100|100|0|0\r\n";

class Keyboard : public ::testing::Test {
 protected:
  void SetUp() override {
    program.WriteIni(kIni);
    window = std::make_unique<FrmOptions>(program.Environment());
    ASSERT_TRUE(window->Form_Load());
    window->show();
    window->activateWindow();
    if (!QTest::qWaitForWindowActive(window.get(), 2000) ||
        QGuiApplication::applicationState() != Qt::ApplicationActive)
      GTEST_SKIP() << "the platform never makes us the active application";
  }
  void TearDown() override { window.reset(); }

  void OpenPage(int page) {
    QWidget* entry = test::MenuEntry(*window, page);
    QTest::mouseClick(entry, Qt::LeftButton, {}, entry->rect().center());
  }
  // Clicks a control the way a user does: a slider on its thumb (which takes
  // the focus without moving the value), anything else in its middle.
  void ClickOn(const QString& name) {
    auto* w = test::Part<QWidget>(*window, name);
    ASSERT_NE(w, nullptr);
    const auto* bar = qobject_cast<ui::ClassicScrollBar*>(w);
    QTest::mouseClick(w, Qt::LeftButton, {}, bar ? bar->ThumbRect().center() : w->rect().center());
  }
  QString Focused() const {
    const QWidget* f = QApplication::focusWidget();
    return f ? f->objectName() : QStringLiteral("(none)");
  }
  QString Field(int index) const {
    return classic::Split(window->State().Text1.text(), u'|')[index];
  }

  test::TempProgram program;
  std::unique_ptr<FrmOptions> window;
};

struct TabCase {
  int page;
  const char* first;      // clicked to start
  const char* following;  // what each Tab then focuses, round to `first`
};

class TabOrder : public Keyboard, public ::testing::WithParamInterface<TabCase> {};

TEST_P(TabOrder, TabRunsThroughThePageThenTheGalleryAndBack) {
  const TabCase& c = GetParam();
  OpenPage(c.page);
  ClickOn(QString::fromLatin1(c.first));
  ASSERT_EQ(Focused(), QString::fromLatin1(c.first)) << "a click gives the focus";
  QStringList seen;
  const QStringList want = QString::fromLatin1(c.following).split(u' ');
  for (qsizetype i = 0; i < want.size(); ++i) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    seen << Focused();
  }
  EXPECT_EQ(seen, want);
}

INSTANTIATE_TEST_SUITE_P(
    Pages, TabOrder,
    ::testing::Values(
        TabCase{1, "scrlTempX",
                "scrlTempY chkShadow scrlShadowX scrlShadowY scrlShTrans chkBorder chkBrdDown "
                "scrlBorder pic_1 pic_2 lblMenu_1 lstFont chkFontAttr_0 chkFontAttr_1 "
                "chkFontAttr_2 chkText "
                "txtFontSize scrlFontSize cmdSendFontSize scrlTempX"},
        TabCase{4, "scrlHue_0",
                "scrlHue_1 scrlHue_2 scrlHue_3 scrlHue_4 chkResetHSV pic_1 pic_2 "
                "lblMenu_4 scrlHue_0"},
        TabCase{0, "lstDir", "chkTexura pic_1 pic_2 lblMenu_0 lstDir"},
        TabCase{2, "scrlColor_0",
                "txtColor_0 scrlColor_1 txtColor_1 scrlColor_2 txtColor_2 scrlLuma txtLuma txtHex "
                "pic_1 pic_2 lblMenu_2 OptClr_1 chkAddColor scrlColor_0"}),
    [](const auto& info) { return "page" + std::to_string(info.param.page); });

struct KeyCase {
  int page;
  const char* slider;
  Qt::Key key;
  Qt::KeyboardModifiers modifiers;
  int field;  // of the line, which the slider's message changes
  const char* expected;
};

class KeyOnAClickedSlider : public Keyboard, public ::testing::WithParamInterface<KeyCase> {};

// The line starts with X 5, opacity 128, border 3, saturation 120 and
// transparency 40.
TEST_P(KeyOnAClickedSlider, ReachesThatSliderAndChangesItsField) {
  const KeyCase& c = GetParam();
  OpenPage(c.page);
  ClickOn(QString::fromLatin1(c.slider));
  ASSERT_EQ(Focused(), QString::fromLatin1(c.slider));
  QTest::keyClick(QApplication::focusWidget(), c.key, c.modifiers);
  EXPECT_EQ(Field(c.field), QString::fromLatin1(c.expected));
}

INSTANTIATE_TEST_SUITE_P(
    Sliders, KeyOnAClickedSlider,
    ::testing::Values(KeyCase{1, "scrlTempX", Qt::Key_Right, {}, 5, "6"},
                      KeyCase{1, "scrlShTrans", Qt::Key_Right, {}, 10, "127"},
                      KeyCase{1, "scrlBorder", Qt::Key_Up, {}, 12, "4"},
                      // Green one up: red stays the largest, one message.
                      KeyCase{2, "scrlColor_1", Qt::Key_Right, {}, 4, "&HFF0100"},
                      // The tone page's reset keys.
                      KeyCase{4, "scrlHue_1", Qt::Key_5, {}, 18, "100"},
                      KeyCase{4, "scrlHue_4", Qt::Key_7, Qt::KeypadModifier, 21, "0"}),
    [](const auto& info) { return std::string(info.param.slider); });

// The pages as the menu lists them, top to bottom.
std::vector<int> MenuOrder(const QWidget& window) {
  std::vector<int> order{0, 1, 2, 3, 4};
  std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
    return test::MenuEntry(window, a)->y() < test::MenuEntry(window, b)->y();
  });
  return order;
}

struct PageKeyCase {
  const char* name;
  Qt::Key key;
  Qt::KeyboardModifiers modifiers;
  int direction;  // down the menu (1) or up it (-1)
};

class PageKeys : public Keyboard, public ::testing::WithParamInterface<PageKeyCase> {};

// From a slider, whose own keys include the page keys, round all the pages.
TEST_P(PageKeys, StepThroughThePagesInTheMenusOrderAndWrap) {
  const PageKeyCase& c = GetParam();
  OpenPage(1);
  ClickOn(QStringLiteral("scrlTempX"));
  const QString line = window->State().Text1.text();
  const std::vector<int> order = MenuOrder(*window);
  const int start = static_cast<int>(std::find(order.begin(), order.end(), 1) - order.begin());
  for (int i = 1; i <= 6; ++i) {
    QTest::keyClick(QApplication::focusWidget(), c.key, c.modifiers);
    const int want = order[static_cast<size_t>(((start + c.direction * i) % 5 + 5) % 5)];
    ASSERT_EQ(window->State().CurrentPage, want) << "after " << i;
    EXPECT_TRUE(test::PageWidget(*window, want)->isVisible());
    // The keyboard stays on the menu, from where Tab leads into the page.
    EXPECT_EQ(Focused(), QStringLiteral("lblMenu_%1").arg(want));
  }
  EXPECT_EQ(window->State().Text1.text(), line) << "a page key moved the slider";
}

INSTANTIATE_TEST_SUITE_P(
    Keys, PageKeys,
    ::testing::Values(PageKeyCase{"ctrlTab", Qt::Key_Tab, Qt::ControlModifier, 1},
                      PageKeyCase{"ctrlShiftTab", Qt::Key_Backtab,
                                  Qt::ControlModifier | Qt::ShiftModifier, -1},
                      PageKeyCase{"ctrlPageDown", Qt::Key_PageDown, Qt::ControlModifier, 1},
                      PageKeyCase{"ctrlPageUp", Qt::Key_PageUp, Qt::ControlModifier, -1}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Keyboard, TheMenuIsReachedWithTabAndAnswersTheArrows) {
  OpenPage(0);
  ClickOn(QStringLiteral("lstDir"));
  for (int i = 0; i < 10 && !Focused().startsWith(u"lblMenu"); ++i)
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  ASSERT_EQ(Focused(), QStringLiteral("lblMenu_0"));
  const std::vector<int> order = MenuOrder(*window);
  std::vector<int> seen;
  for (int i = 0; i < 5; ++i) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
    seen.push_back(window->State().CurrentPage);
  }
  // Down the list, stopping at its end; Home and End go to the ends.
  EXPECT_EQ(seen, std::vector<int>({order[1], order[2], order[3], order[4], order[4]}));
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Up);
  EXPECT_EQ(window->State().CurrentPage, order[3]);
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Home);
  EXPECT_EQ(window->State().CurrentPage, order[0]);
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_End);
  EXPECT_EQ(window->State().CurrentPage, order[4]);
  EXPECT_EQ(Focused(), QStringLiteral("lblMenu_%1").arg(order[4]));
  // Tab leads into the page shown.
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  EXPECT_TRUE(test::PageWidget(*window, order[4])->isAncestorOf(QApplication::focusWidget()))
      << Focused().toStdString();
}

// How many pixels of the window differ between two pictures of it, within
// `area`.
int Changed(const QImage& a, const QImage& b, const QRect& area) {
  int n = 0;
  const QRect r = area.intersected(a.rect());
  for (int y = r.top(); y <= r.bottom(); ++y)
    for (int x = r.left(); x <= r.right(); ++x) n += a.pixel(x, y) != b.pixel(x, y);
  return n;
}

// Whatever control has the focus, the window shows it plainly: at least a
// band of two pixels round the control changes when it takes the focus (a
// thin dotted frame, or a frame that only changes colour, is too little to
// find at a glance).
TEST_F(Keyboard, EveryControlTabReachesShowsItsFocusPlainly) {
  for (int page = 0; page < 5; ++page) {
    OpenPage(page);
    test::MenuEntry(*window, page)->setFocus(Qt::TabFocusReason);
    QSet<QWidget*> visited;
    for (QWidget* w = QApplication::focusWidget(); w && !visited.contains(w);
         w = QApplication::focusWidget()) {
      visited.insert(w);
      const QImage focused = window->grab().toImage();
      w->clearFocus();
      const QImage plain = window->grab().toImage();
      w->setFocus(Qt::TabFocusReason);
      const QRect at(w->mapTo(window.get(), QPoint(0, 0)), w->size());
      const int band = 3 * (at.width() + at.height());
      EXPECT_GE(Changed(focused, plain, at.adjusted(-4, -4, 4, 4)), band)
          << "page " << page << ": " << w->objectName().toStdString();
      QTest::keyClick(w, Qt::Key_Tab);
    }
    EXPECT_GE(visited.size(), 4) << "page " << page;
  }
}

}  // namespace
