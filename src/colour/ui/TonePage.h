#pragma once
// Page "Цвет фигуры": the picture's hue, saturation, value, brightness and
// transparency.

#include <QLabel>
#include <QLineEdit>
#include <QKeyEvent>
#include <array>

#include "platform/ui/ClassicControls.h"
#include "platform/ui/ClassicScrollBar.h"

namespace qm {

class EditorState;

class TonePage : public QWidget {
  Q_OBJECT
 public:
  TonePage(EditorState& state, QWidget* parent = nullptr);

  void scrlHue_Change(int Index);
  void scrlHue_Scroll(int Index);
  // Space, a digit or a keypad key puts slider Index back to its neutral
  // value; returns true when the key was one of those.
  bool scrlHue_KeyDown(int Index, int KeyCode);
  void chkResetHSV_Click();
  // The classic key code of a key event (48..57 digits, 96..111 keypad).
  static int KeyCodeOf(const QKeyEvent& event);

  struct Tone {
    const char* label;
    char key;
    int min;
    int max;
    int neutral;
  };
  // Index 4 (transparency) holds value - 100 on its slider: 0 is opaque.
  static const std::array<Tone, 5> kTones;

  QLabel* lblTitle;
  std::array<QLabel*, 5> lblHue{};
  std::array<ui::ClassicScrollBar*, 5> scrlHue{};
  std::array<QLineEdit*, 5> txtHue{};
  ui::ClassicCheckBox* chkResetHSV;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  EditorState& state_;
};

}  // namespace qm
