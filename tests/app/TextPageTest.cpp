// The Text page's handlers, event by event: which control change sends what,
// and what stays silent while the window sets its own controls.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>
#include <QTest>
#include <utility>

#include "app/DesignGeometry.h"
#include "app/FrmOptions.h"
#include "pages/ui/CategoryPage.h"
#include "pages/ui/TextPage.h"
#include "platform/Classic.h"
#include "platform/Twips.h"
#include "session/EditorState.h"
#include "support/PageEvents.h"
#include "support/TempProgram.h"
#include "support/WindowParts.h"

using namespace qm;

namespace {

using TextPageEvents = test::PageEvents<TextPage>;

struct SliderCase {
  const char* name;
  int value;
  const char* display;
  const char* message;  // while FormReady is true
  bool sendsWhenNotReady;
};

class SliderMessage : public TextPageEvents, public ::testing::WithParamInterface<SliderCase> {};

TEST_P(SliderMessage, ShowsItsValueAndSendsOneMessage) {
  const SliderCase& c = GetParam();
  auto* slider = page.findChild<ui::ClassicScrollBar*>(QString::fromLatin1(c.name));
  ASSERT_NE(slider, nullptr);
  auto displayText = [&] {
    const QString name = QString::fromLatin1(c.name);
    for (QWidget* d : page.findChildren<QWidget*>()) {
      const QString n = d->objectName();
      const bool mine = n == QStringLiteral("txt") + name.mid(4) ||
                        (name == u"scrlShTrans" && n == u"lblShTrans") ||
                        (name == u"scrlBorder" && n == u"lblBorder");
      if (!mine) continue;
      if (auto* e = qobject_cast<QLineEdit*>(d)) return e->text();
      if (auto* l = qobject_cast<QLabel*>(d)) return l->text();
    }
    return QString();
  };
  slider->SetValue(c.value);
  EXPECT_EQ(displayText(), QString::fromLatin1(c.display));
  EXPECT_EQ(Take(), QStringList{QString::fromLatin1(c.message)});

  // Moved back while the window sets its own controls: the display follows,
  // and only the offset sliders still send.
  const int start = slider->Value() == slider->Min() ? slider->Max() : slider->Min();
  const FillingControls filling(state);
  slider->SetValue(start);
  EXPECT_EQ(Take().size(), c.sendsWhenNotReady ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(TextPage, SliderMessage,
                         ::testing::Values(SliderCase{"scrlTempX", 200, "-200", "X=-200", true},
                                           SliderCase{"scrlTempX", -200, "200", "X=200", true},
                                           SliderCase{"scrlTempY", 200, "200", "Y=200", true},
                                           SliderCase{"scrlTempY", -200, "-200", "Y=-200", true},
                                           SliderCase{"scrlShadowX", 10, "-10", "x=-10", true},
                                           SliderCase{"scrlShadowY", -10, "-10", "y=-10", true},
                                           SliderCase{"scrlShTrans", 208, "81", "t=47", false},
                                           SliderCase{"scrlShTrans", 128, "50", "t=127", false},
                                           SliderCase{"scrlBorder", -15, "15", "w=15", false}),
                         [](const auto& info) {
                           return std::string(info.param.name) + "_" + std::to_string(info.index);
                         });

TEST_F(TextPageEvents, CheckBoxesSendTheirStateOnlyWhenReady) {
  page.chkBrdDown->SetValue(1);
  page.chkBrdDown->SetValue(0);
  page.chkShadow->SetValue(1);
  page.chkBorder->SetValue(1);
  page.chkText->SetValue(1);
  EXPECT_EQ(Take(), QStringList({"d=1", "d=0", "o=1", "O=1", "T=1"}));
  page.chkFontAttr[0]->SetValue(1);
  page.chkFontAttr[2]->SetValue(1);
  EXPECT_EQ(Take(), QStringList({"f=1", "f=5"}));
  const FillingControls filling(state);
  page.chkFontAttr[1]->SetValue(1);
  page.chkShadow->SetValue(0);
  page.chkText->SetValue(0);
  EXPECT_TRUE(Take().isEmpty());
}

TEST_F(TextPageEvents, FontListAlwaysSendsAndCountsItsEntries) {
  const FillingControls filling(state);
  page.lstFont->SetListIndex(2);
  EXPECT_EQ(Take(), QStringList{QStringLiteral("F=") + page.lstFont->List(2)});
  EXPECT_EQ(page.lblFntNum->text(), QStringLiteral("[3/5]"));
  // The host's "F=": selected silently, named back once by the click handler.
  page.SelectFontSilently(QStringLiteral("tahoma"));
  EXPECT_TRUE(Take().isEmpty());
  page.lstFont_Click();
  EXPECT_EQ(Take(), QStringList{"F=Tahoma"});
}

TEST_F(TextPageEvents, SizeFromSliderEnterAndButton) {
  page.scrlFontSize->SetValue(-36);
  EXPECT_EQ(page.txtFontSize->text(), QStringLiteral("36"));
  EXPECT_EQ(Take(), QStringList{"S=36"});

  // Typed without Enter: nothing; with Enter: the slider moves and sends.
  page.txtFontSize->setText(QStringLiteral("12"));
  EXPECT_TRUE(Take().isEmpty());
  QTest::keyClick(page.txtFontSize, Qt::Key_Return);
  EXPECT_EQ(page.scrlFontSize->Value(), -12);
  EXPECT_EQ(Take(), QStringList{"S=12"});

  // The button sends a typed size even outside the slider's range.
  page.txtFontSize->setText(QStringLiteral("5"));
  page.cmdSendFontSize->click();
  EXPECT_EQ(Take(), QStringList{"S=5"});

  // Enter refuses what the slider cannot show; the button refuses what is
  // no size at all. The box goes back to the size in use, the 5 just sent,
  // not to the slider's 12.
  for (const char* typed : {"abc", "1000", "7", "12abc", ""}) {
    page.txtFontSize->setText(QString::fromLatin1(typed));
    EXPECT_TRUE(page.txtFontSize_KeyPress(13));
    EXPECT_EQ(page.txtFontSize->text(), QStringLiteral("5")) << typed;
    EXPECT_EQ(page.scrlFontSize->Value(), -12);
  }
  for (const char* typed : {"abc", "-5", "0", "12abc", "99999"}) {
    page.txtFontSize->setText(QString::fromLatin1(typed));
    page.cmdSendFontSize_Click();
    EXPECT_EQ(page.txtFontSize->text(), QStringLiteral("5")) << typed;
  }
  EXPECT_TRUE(Take().isEmpty());
  // Other keys are the text box's own.
  EXPECT_FALSE(page.txtFontSize_KeyPress('a'));
}

TEST_F(TextPageEvents, DefaultSizeLinkDrawsOnceWhileThePointerIsOver) {
  page.show();
  DefSizeLink* link = page.picDefSize;
  link->TxtLink(10, 5);
  EXPECT_TRUE(link->Shown());
  EXPECT_TRUE(link->HasCapture());
  link->TxtLink(20, 6);
  EXPECT_EQ(link->ShowCount(), 1);
  link->TxtLink(-1, 0);
  EXPECT_FALSE(link->Shown());
  EXPECT_FALSE(link->HasCapture());
  link->TxtLink(link->width() + 1, 0);
  EXPECT_EQ(link->ShowCount(), 1);
}

TEST(TextPageWindow, DefaultSizeLinkRestoresTheDefaultSizeInPlace) {
  test::TempProgram program;
  FrmOptions w(program.Environment());
  ASSERT_TRUE(w.Form_Load());
  w.show();
  w.Move(1500, 1200, 12000, 6990);
  test::TextPageOf(w)->picDefSize->TxtLink(3, 3);
  test::TextPageOf(w)->picDefSize_MouseDown();
  EXPECT_EQ(w.geometry(), QRect(100, 80, TwipsToPixels(design::DefWidth()),
                                TwipsToPixels(design::DesignHeight())));
  EXPECT_FALSE(test::TextPageOf(w)->picDefSize->Shown());
  w.close();
}

TEST(TextPageWindow, PointerOverADisplayFocusesItsSliderWhenActive) {
  test::TempProgram program;
  FrmOptions w(program.Environment());
  ASSERT_TRUE(w.Form_Load());
  w.MenuSet(1);
  w.show();
  w.activateWindow();
  if (!QTest::qWaitForWindowActive(&w, 2000) ||
      QGuiApplication::applicationState() != Qt::ApplicationActive)
    GTEST_SKIP() << "the platform never makes us the active application";
  TextPage& t = *test::TextPageOf(w);
  const std::pair<QWidget*, QWidget*> pairs[] = {
      {t.txtTempX, t.scrlTempX},     {t.txtTempY, t.scrlTempY},   {t.txtShadowX, t.scrlShadowX},
      {t.txtShadowY, t.scrlShadowY}, {t.lblBorder, t.scrlBorder}, {t.framTrans, t.scrlShTrans}};
  for (const auto& [over, target] : pairs) {
    QMouseEvent move(QEvent::MouseMove, QPointF(2, 2), over->mapToGlobal(QPointF(2, 2)),
                     Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(over, &move);
    EXPECT_TRUE(target->hasFocus()) << over->objectName().toStdString();
  }
  // Lists report the pointer on their viewport.
  const auto overList = [](ui::ClassicListBox* list) {
    QWidget* port = list->viewport();
    QMouseEvent move(QEvent::MouseMove, QPointF(2, 2), port->mapToGlobal(QPointF(2, 2)),
                     Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(port, &move);
    return list->hasFocus();
  };
  EXPECT_TRUE(overList(t.lstFont));
  w.MenuSet(0);
  EXPECT_TRUE(overList(test::CategoryPageOf(w)->lstDir));
  w.close();
}

// The size box shows the size in use: after a size the slider cannot hold was
// sent with the button, a refused entry does not bring back the slider's.
TEST(TextPageWindow, TheSizeBoxShowsTheSizeTheLineHolds) {
  test::TempProgram program;
  program.WriteIni(
      "[General]\r\nSelected=|DejaVu Sans|0|48|&HFFFFFF|0|0|&H0|0|0|255|&H0|1|1|0|1|0|0|100|100|"
      "0|0\r\n");
  FrmOptions w(program.Environment());
  ASSERT_TRUE(w.Form_Load());
  w.show();
  TextPage& t = *test::TextPageOf(w);
  const auto type = [&](const char* text) {
    QTest::keyClick(t.txtFontSize, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(t.txtFontSize, QString::fromLatin1(text));
  };
  const auto lineSize = [&] { return classic::Split(w.State().Text1.text(), u'|')[3]; };

  type("7");
  QTest::mouseClick(t.cmdSendFontSize, Qt::LeftButton);
  EXPECT_EQ(lineSize(), QStringLiteral("7"));
  EXPECT_EQ(t.scrlFontSize->Value(), -48);
  for (const char* refused : {"abc", "1000", "0"}) {
    type(refused);
    QTest::keyClick(t.txtFontSize, Qt::Key_Return);
    EXPECT_EQ(t.txtFontSize->text(), QStringLiteral("7")) << refused;
    EXPECT_EQ(lineSize(), QStringLiteral("7"));
  }
  type("x");
  QTest::mouseClick(t.cmdSendFontSize, Qt::LeftButton);
  EXPECT_EQ(t.txtFontSize->text(), QStringLiteral("7"));
  // The slider's own size typed back: it does not move, yet that size is
  // the one used from now on.
  type("48");
  QTest::keyClick(t.txtFontSize, Qt::Key_Return);
  EXPECT_EQ(t.txtFontSize->text(), QStringLiteral("48"));
  EXPECT_EQ(lineSize(), QStringLiteral("48"));
  w.close();
}

}  // namespace
