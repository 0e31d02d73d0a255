// The picture tone sliders: what each slider, key and the reset box send.
#include <gtest/gtest.h>

#include <QTest>
#include <utility>

#include "pages/ui/TonePage.h"
#include "session/EditorState.h"
#include "support/PageEvents.h"

using namespace qm;

namespace {

using TonePageEvents = test::PageEvents<TonePage>;

TEST_F(TonePageEvents, TransparencyShowsAndSendsTheSliderPlusAHundred) {
  page.scrlHue[4]->SetValue(0);
  EXPECT_EQ(page.txtHue[4]->text(), QStringLiteral("100"));
  page.scrlHue[4]->SetValue(-100);
  EXPECT_EQ(page.txtHue[4]->text(), QStringLiteral("0"));
  page.scrlHue[0]->SetValue(-35);
  page.scrlHue[1]->SetValue(150);
  EXPECT_EQ(Take(), QStringList({"a=100", "a=0", "h=-35", "s=150"}));
  // While the window loads a look, the boxes follow and nothing is sent.
  const FillingControls filling(state);
  page.scrlHue[2]->SetValue(90);
  EXPECT_EQ(page.txtHue[2]->text(), QStringLiteral("90"));
  EXPECT_TRUE(Take().isEmpty());
}

TEST_F(TonePageEvents, DigitSpaceAndKeypadKeysResetOneSlider) {
  page.scrlHue[1]->SetValue(150);
  Take();
  QTest::keyClick(page.scrlHue[1], Qt::Key_5);
  EXPECT_EQ(page.scrlHue[1]->Value(), 100);
  EXPECT_EQ(Take(), QStringList{"s=100"});
  // Already neutral: no change, nothing sent.
  QTest::keyClick(page.scrlHue[1], Qt::Key_Space);
  EXPECT_TRUE(Take().isEmpty());

  page.scrlHue[4]->SetValue(-20);
  Take();
  QTest::keyClick(page.scrlHue[4], Qt::Key_5, Qt::KeypadModifier);
  EXPECT_EQ(Take(), QStringList{"a=0"});
  page.scrlHue[3]->SetValue(40);
  Take();
  QTest::keyClick(page.scrlHue[3], Qt::Key_Slash, Qt::KeypadModifier);
  EXPECT_EQ(Take(), QStringList{"b=0"});

  // A letter is not a reset key.
  page.scrlHue[0]->SetValue(20);
  Take();
  QTest::keyClick(page.scrlHue[0], Qt::Key_A);
  EXPECT_EQ(page.scrlHue[0]->Value(), 20);
  EXPECT_FALSE(page.scrlHue_KeyDown(0, 65));
}

TEST_F(TonePageEvents, ResetSendsOnlyTheGroupMessage) {
  // All neutral already: still the one message.
  page.chkResetHSV->SetValue(1);
  EXPECT_EQ(Take(), QStringList{"p=0|100|100|0|0"});
  EXPECT_EQ(page.chkResetHSV->Value(), 0);
  EXPECT_TRUE(state.FormReady());

  page.scrlHue[0]->SetValue(45);
  page.scrlHue[4]->SetValue(-50);
  Take();
  page.chkResetHSV->SetValue(1);
  EXPECT_EQ(Take(), QStringList{"p=0|100|100|0|0"});
  EXPECT_EQ(page.scrlHue[0]->Value(), 0);
  EXPECT_EQ(page.txtHue[0]->text(), QStringLiteral("0"));
  EXPECT_EQ(page.scrlHue[4]->Value(), -100);
  EXPECT_EQ(page.txtHue[4]->text(), QStringLiteral("0"));
}

}  // namespace
