// The colour page driven as a user drives it: clicks on the palette cells and
// the hue strip with each button, typing into the boxes, the "В набор" box;
// what the host is sent, what the controls show and what is saved.
#include <gtest/gtest.h>

#include <QTest>

#include "colour/ColourModel.h"
#include "colour/ui/HueStrip.h"
#include "colour/ui/SelectionMark.h"
#include "pages/ui/ColourPage.h"
#include "session/EditorState.h"
#include "stamp/ColourOrder.h"
#include "support/PageEvents.h"

using namespace qm;

namespace {

constexpr int kBlack = 9;
constexpr int kYellow = 2;
constexpr int kRed = 1;

class ColourPageEvents : public test::PageEvents<ColourPage> {
 protected:
  ColourPageEvents() {
    page.writeColors = [this](const QString& text) {
      saved << text;
      return true;
    };
    page.FillHueTable();
    page.show();
  }

  void Click(QWidget* w, Qt::MouseButton b = Qt::LeftButton, Qt::KeyboardModifiers m = {}) {
    QTest::mouseClick(w, b, m, QPoint(3, 3));
  }
  void Type(QLineEdit* box, const QString& text) {
    Click(box);
    box->selectAll();
    QTest::keyClicks(box, text);
  }
  stamp::Rgb Shown() const {
    return {page.scrlColor[0]->Value(), page.scrlColor[1]->Value(), page.scrlColor[2]->Value()};
  }
  static QString Message(const char* key, stamp::Rgb c) {
    return QString::fromLatin1(key) + u'=' + QString::number(stamp::JoinRgb(c));
  }
  int MarkerCentre() const { return page.shpColor->x() + page.shpColor->width() / 2; }

  QStringList saved;
};

TEST_F(ColourPageEvents, YellowIsSentTwiceWhenTheLumaSliderMustMove) {
  Click(page.picColor[kBlack]);
  EXPECT_EQ(page.scrlLuma->Value(), 0);
  Take();
  // Luma below 255: the slider's own handler recolours from the 255-step hue
  // and sends, then the cell's colour is sent once more.
  Click(page.picColor[kYellow]);
  EXPECT_EQ(Shown(), (stamp::Rgb{255, 252, 0}));
  EXPECT_EQ(Take(), QStringList(2, Message("C", {255, 252, 0})));
  // Luma already at 255: the exact colour, once.
  Click(page.picColor[kYellow]);
  EXPECT_EQ(Shown(), (stamp::Rgb{255, 255, 0}));
  EXPECT_EQ(Take(), QStringList{Message("C", {255, 255, 0})});
  EXPECT_EQ(page.picClrSet->BackColor(), 0x00FFFF);
  EXPECT_EQ(page.txtColor[1]->text(), QStringLiteral("255"));
}

TEST_F(ColourPageEvents, LumaKeepsHueAndSaturationDownToBlackAndBack) {
  Type(page.txtColor[0], QStringLiteral("255"));
  Type(page.txtColor[1], QStringLiteral("128"));
  Type(page.txtColor[2], QStringLiteral("0"));
  EXPECT_EQ(Shown(), (stamp::Rgb{255, 128, 0}));
  Take();

  Type(page.txtLuma, QStringLiteral("128"));
  EXPECT_EQ(page.scrlLuma->Value(), 128);
  EXPECT_EQ(Shown().r, 128);
  Type(page.txtLuma, QStringLiteral("255"));
  // Orange again, not grey: the hue kept 255 steps only.
  EXPECT_EQ(Shown(), (stamp::Rgb{255, 126, 0}));
  EXPECT_EQ(Take().last(), Message("C", {255, 126, 0}));

  Type(page.txtLuma, QStringLiteral("0"));
  EXPECT_EQ(Shown(), (stamp::Rgb{0, 0, 0}));
  EXPECT_EQ(Take().last(), Message("C", {0, 0, 0}));
  Type(page.txtLuma, QStringLiteral("255"));
  EXPECT_EQ(Shown(), (stamp::Rgb{255, 126, 0}));
}

TEST_F(ColourPageEvents, ColourBoxesKeepToANumberInRange) {
  Type(page.txtColor[0], QStringLiteral("300"));
  EXPECT_EQ(page.txtColor[0]->text(), QStringLiteral("255"));
  EXPECT_EQ(page.scrlColor[0]->Value(), 255);
  Type(page.txtColor[2], QStringLiteral("abc"));
  EXPECT_EQ(page.txtColor[2]->text(), QStringLiteral("0"));
  EXPECT_EQ(page.scrlColor[2]->Value(), 0);
  // Green moved while red stays the largest: the exact colour, sent once.
  Take();
  Type(page.txtColor[1], QStringLiteral("7"));
  EXPECT_EQ(Take(), QStringList{Message("C", {255, 7, 0})});
}

TEST_F(ColourPageEvents, HueStripPicksUnderTheMarkerAndStaysOnIt) {
  Click(page.picColor[kBlack]);
  // Black is as near to both ends: the marker is on the first column.
  EXPECT_EQ(MarkerCentre(), 0);
  page.OptClr[colour::kTargetBorder]->click();
  Take();

  QTest::mousePress(page.picHue, Qt::LeftButton, {}, QPoint(0, 9));
  EXPECT_EQ(MarkerCentre(), 0);
  // The first column's colour, through the luma slider moving up from black.
  const stamp::Rgb first =
      colour::HSV2RGB(colour::RGB2HSV(colour::HueStripColour(0, page.picHue->width())));
  EXPECT_EQ(Shown(), first);
  EXPECT_EQ(Take(), QStringList(2, Message("q", first)));
  // The same column again picks nothing new.
  QTest::mouseMove(page.picHue, QPoint(0, 12));
  EXPECT_TRUE(Take().isEmpty());
  // Dragged far past the right end: the centre stays on the last column.
  QTest::mouseMove(page.picHue, QPoint(page.picHue->width() + 200, 9));
  EXPECT_EQ(MarkerCentre(), page.picHue->width() - 1);
  const QStringList sent = Take();
  ASSERT_FALSE(sent.isEmpty());
  EXPECT_TRUE(sent.last().startsWith(u"q="));
  QTest::mouseRelease(page.picHue, Qt::LeftButton, {}, QPoint(page.picHue->width() + 200, 9));
  // Released: moving no longer picks.
  QTest::mouseMove(page.picHue, QPoint(60, 9));
  EXPECT_TRUE(Take().isEmpty());
  EXPECT_FALSE(page.HueDrag);
}

TEST_F(ColourPageEvents, RightAndMiddleButtonsSwitchTheTargetWithoutTakingAColour) {
  state.CurrentParams.TextColor = 0xFF0000;
  state.CurrentParams.ShadowColor = 0x00FF00;
  state.CurrentParams.BorderColor = 0x0000FF;
  page.ShowParams(state.CurrentParams);
  Take();

  Click(page.picColor[kYellow], Qt::RightButton);
  EXPECT_EQ(page.ClrTarget, colour::kTargetShadow);
  EXPECT_TRUE(page.OptClr[colour::kTargetShadow]->isChecked());
  EXPECT_EQ(Shown(), (stamp::Rgb{0, 255, 0}));  // the shadow's colour, not the cell's
  EXPECT_EQ(page.shpBox->pos(), page.picColor[kYellow]->pos());
  EXPECT_EQ(page.ActiveCell, kYellow);
  Click(page.picColor[kYellow], Qt::MiddleButton);
  EXPECT_EQ(page.ClrTarget, colour::kTargetBorder);
  EXPECT_EQ(Shown(), (stamp::Rgb{0, 0, 255}));
  Click(page.picColor[kRed], Qt::RightButton);
  EXPECT_EQ(page.ClrTarget, colour::kTargetShadow);
  Click(page.picColor[kRed], Qt::RightButton);
  EXPECT_EQ(page.ClrTarget, colour::kTargetText);
  // The hue strip switches the same way and picks nothing.
  QTest::mouseClick(page.picHue, Qt::RightButton, {}, QPoint(80, 9));
  EXPECT_EQ(page.ClrTarget, colour::kTargetShadow);
  EXPECT_EQ(Shown(), (stamp::Rgb{0, 255, 0}));
  EXPECT_FALSE(page.HueDrag);
  EXPECT_TRUE(Take().isEmpty());
  EXPECT_TRUE(state.FormReady());

  // A left click takes the cell's colour under the current target's key.
  Click(page.picColor[kRed]);
  EXPECT_EQ(Take(), QStringList{Message("c", {255, 0, 0})});
}

TEST_F(ColourPageEvents, TheSetChangesOnlyByAddingOrRestoringACell) {
  Type(page.txtColor[0], QStringLiteral("12"));
  Type(page.txtColor[1], QStringLiteral("34"));
  Type(page.txtColor[2], QStringLiteral("56"));
  Take();
  // No cell clicked yet: "В набор" fills cell 0.
  Click(page.chkAddColor);
  EXPECT_EQ(page.chkAddColor->Value(), 0);
  EXPECT_EQ(page.picColor[0]->BackColor(), stamp::JoinColour(12, 34, 56));
  ASSERT_EQ(saved.size(), 1);
  EXPECT_EQ(saved[0].split(u'|').size(), colour::kColourCellCount);
  EXPECT_TRUE(saved[0].startsWith(u"&H38220C|&HFF|"));

  // Shift, Ctrl or Alt restore the default and touch nothing else.
  const int target = page.ClrTarget;
  for (const Qt::KeyboardModifier m : {Qt::ShiftModifier, Qt::ControlModifier, Qt::AltModifier}) {
    page.picColor[0]->SetBackColor(0x123456);
    Click(page.picColor[0], Qt::RightButton, m);
    EXPECT_EQ(page.picColor[0]->BackColor(), colour::DefColors[0]);
    EXPECT_EQ(page.ClrTarget, target);
  }
  EXPECT_EQ(Shown(), (stamp::Rgb{12, 34, 56}));
  EXPECT_EQ(saved.size(), 4);
  EXPECT_EQ(saved.last(), colour::ColorsKeyText(colour::DefColors));
  EXPECT_TRUE(Take().isEmpty());

  // After a click on cell 5, "В набор" fills cell 5.
  Click(page.picColor[5]);
  Click(page.chkAddColor);
  EXPECT_EQ(page.picColor[5]->BackColor(), colour::DefColors[5]);
  EXPECT_EQ(page.picColor[0]->BackColor(), colour::DefColors[0]);
}

TEST_F(ColourPageEvents, WhileTheWindowSetsItsControlsEverythingFollowsAndNothingIsSent) {
  const FillingControls filling(state);
  state.CurrentParams.TextColor = 0xC86432;  // 200, 100, 50
  page.ShowParams(state.CurrentParams);
  EXPECT_EQ(Shown(), (stamp::Rgb{200, 100, 50}));
  EXPECT_EQ(page.txtColor[0]->text(), QStringLiteral("200"));
  EXPECT_EQ(page.picClrSet->BackColor(), stamp::JoinColour(200, 100, 50));
  EXPECT_EQ(page.scrlLuma->Value(), 200);
  EXPECT_EQ(page.txtLuma->text(), QStringLiteral("200"));
  EXPECT_GT(MarkerCentre(), 0);
  EXPECT_TRUE(Take().isEmpty());
  EXPECT_FALSE(state.FormReady());
}

}  // namespace

namespace {

// Showing another target's colour is a fill of its own, nested in the
// window's: when it ends, the window's fill goes on, and what the window sets
// after it is still not sent.
TEST_F(ColourPageEvents, ATargetChosenWhileTheWindowFillsItsControlsLeavesThemSilent) {
  const FillingControls filling(state);
  page.OptClr[colour::kTargetShadow]->setChecked(true);
  EXPECT_FALSE(state.FormReady());
  page.scrlColor[0]->SetValue(12);
  EXPECT_TRUE(Take().isEmpty());
}

}  // namespace
