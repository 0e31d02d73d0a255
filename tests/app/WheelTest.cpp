// The mouse wheel over the real window: each notch reaches the window as the
// window system delivers it, and steps the slider of the control under the
// pointer once, whatever has the focus; the host hears what the slider sends.
#include <gtest/gtest.h>

#include <QTest>

#include "app/FrmOptions.h"
#include "colour/ColourEditor.h"
#include "colour/ui/HueStrip.h"
#include "link/LinkTestSupport.h"
#include "pages/ui/ColourPage.h"
#include "platform/link/LinkSender.h"
#include "platform/ui/ClassicScrollBar.h"
#include "session/HostSession.h"
#include "stamp/ColourOrder.h"
#include "support/TempProgram.h"
#include "support/WheelTurn.h"
#include "support/WindowParts.h"

using namespace qm;

namespace {

constexpr qint32 kHost = 1000003;
const QByteArray kIni =
    "[General]\r\nSelected=Clouds\\a.png|DejaVu Sans|1|36|&HFF0000|5|-3|&H0|2|-2|128|&HFF|3|1|1|1|"
    "0|30|120|90|-10|40\r\n";

class Wheel : public ::testing::Test {
 protected:
  void SetUp() override {
    link::SetDefaultReplyTimeout(3000);
    program.WriteIni(kIni);
    host = std::make_unique<link::test::EndpointThread>(dir.path(), kHost);
    window = std::make_unique<FrmOptions>(
        program.Environment(QString::number(kHost) + QStringLiteral("|+1°"), dir.path()));
    ASSERT_TRUE(window->Form_Load());
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    Received();
  }
  void TearDown() override {
    window.reset();
    host.reset();
    link::SetDefaultReplyTimeout(0);
  }

  QStringList Received() {
    const QStringList all = host->messages();
    const QStringList fresh = all.mid(seen_);
    seen_ = all.size();
    return fresh;
  }
  QWidget* Control(const char* name) const {
    return window->findChild<QWidget*>(QString::fromLatin1(name));
  }
  bool Turn(QWidget* over, int delta, QPoint at = {-1, -1}, QPoint angle = {}) {
    return test::TurnWheel(window.get(), over, delta, at, angle);
  }

  link::test::LinkDir dir;
  test::TempProgram program;
  std::unique_ptr<link::test::EndpointThread> host;
  std::unique_ptr<FrmOptions> window;
  qsizetype seen_ = 0;
};

struct Route {
  int page;
  const char* over;
  int delta;  // +120: one notch away from the user
  const char* slider;
  int value;            // the slider's value after the notch
  const char* message;  // what the host hears, nullptr for nothing
};

std::ostream& operator<<(std::ostream& os, const Route& r) {
  return os << "page " << r.page << " over " << r.over << " " << r.delta;
}

class WheelRoute : public Wheel, public ::testing::WithParamInterface<Route> {};

TEST_P(WheelRoute, OneNotchStepsTheSliderOfTheControlUnderThePointerOnce) {
  const Route& r = GetParam();
  window->lblMenu_MouseDown(r.page);
  auto* slider = qobject_cast<ui::ClassicScrollBar*>(Control(r.slider));
  ASSERT_NE(slider, nullptr);
  EXPECT_TRUE(Turn(Control(r.over), r.delta));
  EXPECT_EQ(slider->Value(), r.value);
  EXPECT_EQ(Received(), r.message ? QStringList{QString::fromUtf8(r.message)} : QStringList());
}

INSTANTIATE_TEST_SUITE_P(Window, WheelRoute,
                         ::testing::Values(
                             // Text page: size, border thickness, transparency, offsets.
                             Route{1, "txtFontSize", 120, "scrlFontSize", -37, "S=37"},
                             Route{1, "scrlFontSize", -120, "scrlFontSize", -35, "S=35"},
                             Route{1, "framBorder", 120, "scrlBorder", -4, "w=4"},
                             Route{1, "framTrans", -120, "scrlShTrans", 126, "t=129"},
                             Route{1, "scrlTempX", 120, "scrlTempX", -6, "X=6"},
                             Route{1, "scrlTempY", 120, "scrlTempY", -2, "Y=-2"},
                             Route{1, "scrlShadowX", -120, "scrlShadowX", -1, "x=1"},
                             Route{1, "scrlShadowY", -120, "scrlShadowY", -3, "y=-3"},
                             // Colour page: green (0) up and down, red already at its end.
                             Route{2, "txtColor_1", 120, "scrlColor_1", 1, "C=16711936"},
                             Route{2, "scrlColor_1", -120, "scrlColor_1", 0, nullptr},
                             Route{2, "scrlColor_0", 120, "scrlColor_0", 255, nullptr},
                             // Tone page: the transparency box steps its slider.
                             Route{4, "txtHue_4", 120, "scrlHue_4", -59, "a=41"},
                             Route{4, "scrlHue_0", -120, "scrlHue_0", 29, "h=29"}),
                         [](const auto& info) {
                           return std::string(info.param.over) + "_" + std::to_string(info.index);
                         });

TEST_F(Wheel, EdgesFinePartsOfANotchAndPlacesOutsideEveryControl) {
  window->lblMenu_MouseDown(1);
  auto* x = qobject_cast<ui::ClassicScrollBar*>(Control("scrlTempX"));
  // The pixel one beyond the last column and row still counts.
  EXPECT_TRUE(Turn(x, 120, QPoint(x->width(), x->height())));
  EXPECT_EQ(x->Value(), -6);
  // A touchpad's 40-unit deltas: three make one notch.
  EXPECT_TRUE(Turn(x, 40));
  EXPECT_TRUE(Turn(x, 40));
  EXPECT_EQ(x->Value(), -6);
  EXPECT_TRUE(Turn(x, 40));
  EXPECT_EQ(x->Value(), -7);
  // A sideways tilt is not routed: it is left to the control under the
  // pointer (a text box does nothing with it).
  auto* size = qobject_cast<ui::ClassicScrollBar*>(Control("scrlFontSize"));
  Turn(Control("txtFontSize"), 0, {-1, -1}, QPoint(120, 0));
  EXPECT_EQ(size->Value(), -36);
  Received();
  // Over the page's title nothing is listed: no slider moves, and the event
  // goes on to the controls.
  EXPECT_FALSE(Turn(Control("lbl_3"), 120));
  window->lblMenu_MouseDown(0);
  EXPECT_FALSE(Turn(Control("lstDir"), -120));
  EXPECT_EQ(x->Value(), -7);
  EXPECT_TRUE(Received().isEmpty());
}

TEST_F(Wheel, HueStripMovesItsMarkerOnePixelAndTakesTheColour) {
  window->lblMenu_MouseDown(2);
  ColourPage& page = *test::ColourPageOf(*window);
  const auto centre = [&] { return page.shpColor->x() + page.shpColor->width() / 2; };
  const int start = centre();
  Turn(page.picHue, 120);
  EXPECT_EQ(centre(), start + 1);
  const stamp::Rgb want = colour::HueStripColour(start + 1, page.picHue->width());
  EXPECT_EQ(stamp::SplitColour(page.picClrSet->BackColor()), want);
  EXPECT_FALSE(Received().isEmpty());
  for (int i = 0; i < start + 3; ++i) Turn(page.picHue, -120);
  EXPECT_EQ(centre(), 0);
  for (int i = 0; i < page.picHue->width() + 3; ++i) Turn(page.picHue, 120);
  EXPECT_EQ(centre(), page.picHue->width() - 1);
}

TEST_F(Wheel, TheHandlingEndsWithTheWindow) {
  window->lblMenu_MouseDown(1);
  auto* size = qobject_cast<ui::ClassicScrollBar*>(Control("scrlFontSize"));
  window->close();
  // The box under the pointer has no wheel handling of its own.
  Turn(Control("txtFontSize"), 120);
  EXPECT_EQ(size->Value(), -36);
}

}  // namespace
