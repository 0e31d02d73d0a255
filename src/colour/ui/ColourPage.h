#pragma once
// Page "Цвет текста": the colour target, the user colour set and the colour
// editor (red, green, blue, luma and the hue strip).

#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <array>
#include <cstdint>
#include <vector>

#include "platform/ui/ClassicControls.h"
#include "platform/ui/ClassicScrollBar.h"
#include "platform/ui/Swatch.h"
#include "stamp/StampParams.h"

namespace qm {

struct EditorState;
class LookSender;

class ColourPage : public QWidget {
  Q_OBJECT
 public:
  ColourPage(EditorState& state, LookSender& sender, QWidget* parent = nullptr);

  // Grid places of the palette cells, row by row.
  static const std::array<int, 28> kCellAtPlace;

  // Sets the cells' colours (BGR) in index order.
  void SetCellColours(const std::array<std::int32_t, 28>& bgr);

  // Which stamp colour the page edits: 1 text, 2 shadow, 4 border.
  std::int16_t ClrTarget = 1;
  // The edited colour (BGR), taken from the editor's typed copy of the line.
  std::int32_t SelectedColor() const;
  // Shows the look's colour of the current target in the swatch and the red,
  // green, blue and luma controls without sending anything (the line already
  // holds it).
  void ShowParams(const stamp::StampParams& p);

  // The colours of the hue strip, sampled once at start-up: red, green, blue
  // per pixel column.
  void FillHueTable();
  std::vector<std::array<std::int16_t, 3>> HueTable;

  QLabel* lblTitle;
  std::array<QRadioButton*, 5> OptClr{};  // indexes 1, 2 and 4 exist
  std::array<Swatch*, 28> picColor{};
  QFrame* shpBox;
  ui::ClassicCheckBox* chkAddColor;
  std::array<ui::ClassicScrollBar*, 3> scrlColor{};
  std::array<QLineEdit*, 3> txtColor{};
  ui::ClassicScrollBar* scrlLuma;
  QLineEdit* txtLuma;
  Swatch* picClrSet;
  QLabel* picHue;
  QFrame* shpColor;

 protected:
  EditorState& state_;
  LookSender& sender_;
};

}  // namespace qm
