#pragma once
// Page "Цвет текста": the colour target, the user colour set and the colour
// editor (red, green, blue, luma and the hue strip). Every way of setting the
// colour ends in Text2Color, which shows it on every control and sends it
// under the target's key.

#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QToolButton>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>

class QTimer;

#include "colour/ColourEditor.h"
#include "colour/Palette.h"
#include "pages/ui/EditorPage.h"
#include "platform/ui/ClassicControls.h"
#include "platform/ui/ClassicScrollBar.h"
#include "platform/ui/ScreenColourPicker.h"
#include "platform/ui/Swatch.h"
#include "stamp/StampParams.h"

namespace qm {

struct EditorState;
class LookSender;
class HueStrip;
class SelectionMark;

class ColourPage : public EditorPage {
  Q_OBJECT
 public:
  ColourPage(EditorState& state, LookSender& sender, QWidget* parent = nullptr);
  // The screen picker's picture, drawn when the page first shows: looking
  // it up reads the icon theme's index, which a window showing another page
  // need not hold.
  void LoadIcons();

  // Grid places of the palette cells, row by row.
  static const std::array<int, colour::kColourCellCount> kCellAtPlace;

  // The user colour set: the defaults, then the stored "Colors" text over
  // them; SaveColors hands the whole set, in its stored form, to `writeColors`.
  void LoadColors(const QString& stored);
  void SaveColors();
  colour::ColourCells CellColours() const;
  std::function<bool(const QString& text)> writeColors;

  // Target and palette.
  std::int16_t ClrTarget = colour::kTargetText;
  std::int16_t ActiveCell = 0;
  bool IsLeftButton(int Button);
  QString Button2Cmd() const { return colour::Button2Cmd(ClrTarget); }
  // The edited colour (BGR) of the selected option in the editor's copy of
  // the line.
  std::int32_t SelectedColor() const;
  void OptClr_Click(int Index);
  void picColor_MouseDown(int Index, int Button, int Shift, int X, int Y);
  void chkAddColor_Click();

  // The colour editor.
  void RGB2Text(std::int32_t Clr);
  void Text2Color();
  void FindColor();
  // X in logical pixels inside the strip.
  void SetShpColor(int X);
  void scrlColor_Change(int Index);
  void scrlColor_Scroll(int Index);
  void txtColor_Change(int Index);
  void scrlLuma_Change();
  void scrlLuma_Scroll();
  void txtLuma_Change();
  void picHue_MouseDown(int Button, int Shift, int X, int Y);
  void picHue_MouseMove(int Button, int Shift, int X, int Y);
  void picHue_MouseUp(int Button, int Shift, int X, int Y);
  // A colour from outside the palette (the hex box, the screen), taken as
  // a palette click takes a cell's: every control follows, one message.
  void TakeColour(const stamp::Rgb& c);
  // Enter in the hex box: its colour is taken, or the box shows the edited
  // colour again.
  void txtHex_Enter();
  // Picks a colour from the screen (disabled where the desktop offers no way).
  void cmdPick_Click();

  // Shows the target's colour of a look on every control, sending nothing
  // while the window's FormReady is clear.
  void ShowParams(const stamp::StampParams& p) override;
  // The sliders and their boxes; over the hue strip a notch moves the
  // marker one pixel.
  std::vector<WheelRow> WheelRows() override;
  QList<QWidget*> TabOrder() const override;
  // One blink look of the selection mark.
  void ShowBlink(int drawMode, int borderStyle);
  // The mark blinks (every 300 ms) while the window is in use.
  void Blink(bool on);
  // One blink tick: the mark takes the next of its four looks.
  void tmr_Timer();
  std::int16_t BlinkPhase = 0;

  // The strip's colours as drawn, sampled once at start-up.
  void FillHueTable();
  colour::HueTableRows HueTable;

  std::int32_t CurHue = 0;
  std::int32_t CurSat = 0;
  std::int32_t CurLuma = 0;
  bool LumaSync = true;
  bool HueDrag = false;
  std::int32_t LastHueColor = 0;

  QLabel* lblTitle;
  std::array<QRadioButton*, 5> OptClr{};  // indexes 1, 2 and 4 exist
  std::array<Swatch*, colour::kColourCellCount> picColor{};
  SelectionMark* shpBox;
  QTimer* tmrBlink;  // "tmr_0"
  ui::ClassicCheckBox* chkAddColor;
  std::array<ui::ClassicScrollBar*, 3> scrlColor{};
  std::array<QLineEdit*, 3> txtColor{};
  ui::ClassicScrollBar* scrlLuma;
  QLineEdit* txtLuma;
  Swatch* picClrSet;
  HueStrip* picHue;
  QWidget* shpColor;
  QLineEdit* txtHex;
  QToolButton* cmdPick;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  void Wire();
  EditorState& state_;
  LookSender& sender_;
  std::unique_ptr<ui::ScreenColourPicker> picker_;
};

}  // namespace qm
