#pragma once
// Page "Цвет фигуры": the picture's hue, saturation, value, brightness and
// transparency.

#include <QLabel>
#include <QLineEdit>
#include <array>

#include "platform/ui/ClassicControls.h"
#include "platform/ui/ClassicScrollBar.h"

namespace qm {

class EditorState;

class TonePage : public QWidget {
  Q_OBJECT
 public:
  TonePage(EditorState& state, QWidget* parent = nullptr);

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
  EditorState& state_;
};

}  // namespace qm
