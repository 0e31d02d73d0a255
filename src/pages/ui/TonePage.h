#pragma once
// Page "Цвет фигуры": the picture's hue, saturation, value, brightness and
// transparency.

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <array>

#include "pages/ui/EditorPage.h"
#include "platform/ui/ClassicControls.h"
#include "platform/ui/ClassicScrollBar.h"
#include "stamp/StampParams.h"

namespace qm {

struct EditorState;
class LookSender;

class TonePage : public EditorPage {
  Q_OBJECT
 public:
  TonePage(EditorState& state, LookSender& sender, QWidget* parent = nullptr);

  void scrlHue_Change(int Index);
  void scrlHue_Scroll(int Index);
  // Space, a digit or a keypad key puts slider Index back to its neutral
  // value; returns true when the key was one of those.
  bool scrlHue_KeyDown(int Index, int KeyCode);
  void chkResetHSV_Click();
  // Shows the look's tone on the sliders (through their change handlers,
  // which send only while FormReady is set).
  void ShowParams(const stamp::StampParams& p) override;
  // The sliders, then their boxes.
  std::vector<WheelRow> WheelRows() override;
  QList<QWidget*> TabOrder() const override;
  // The classic key code of a key event (48..57 digits, 96..111 keypad).
  static int KeyCodeOf(const QKeyEvent& event);

  struct Tone {
    const char* label;
    int min;
    int max;
  };
  // Slider Index shows field 17 + Index of the line; index 4 (transparency)
  // holds value - 100 on its slider, so that opaque sits at the left.
  static const std::array<Tone, 5> kTones;
  static int SliderValue(int Index, const stamp::StampParams& p);
  // Where slider Index stands for the neutral tone.
  static int NeutralValue(int Index);

  QLabel* lblTitle;
  std::array<QLabel*, 5> lblHue{};
  std::array<ui::ClassicScrollBar*, 5> scrlHue{};
  std::array<QLineEdit*, 5> txtHue{};
  ui::ClassicCheckBox* chkResetHSV;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  EditorState& state_;
  LookSender& sender_;
};

}  // namespace qm
