// The editor from the keyboard: which control a click or Tab gives the focus
// to, and that keys then reach the focused slider, on the real window.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>

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
                "scrlBorder pic_1 pic_2 lstFont chkFontAttr_0 chkFontAttr_1 chkFontAttr_2 chkText "
                "txtFontSize scrlFontSize cmdSendFontSize scrlTempX"},
        TabCase{4, "scrlHue_0",
                "scrlHue_1 scrlHue_2 scrlHue_3 scrlHue_4 chkResetHSV pic_1 pic_2 "
                "scrlHue_0"},
        TabCase{0, "lstDir", "chkTexura pic_1 pic_2 lstDir"},
        TabCase{2, "scrlColor_0",
                "txtColor_0 scrlColor_1 txtColor_1 scrlColor_2 txtColor_2 scrlLuma txtLuma pic_1 "
                "pic_2 OptClr_1 chkAddColor scrlColor_0"}),
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

}  // namespace
