#pragma once
// Page "Текст": font, attributes, size, text offset, shadow and border.

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <array>

#include "platform/ui/ClassicControls.h"
#include "platform/ui/ClassicScrollBar.h"

namespace qm {

class EditorState;

class TextPage : public QWidget {
  Q_OBJECT
 public:
  TextPage(EditorState& state, QWidget* parent = nullptr);

  // Font and text (the font list starts with the window's own entries until
  // the installed fonts are listed).
  QGroupBox* fraFont;
  ui::ClassicListBox* lstFont;
  QLabel* lblFntNum;
  std::array<ui::ClassicCheckBox*, 3> chkFontAttr{};
  ui::ClassicCheckBox* chkText;

  QGroupBox* fraSize;
  QLineEdit* txtFontSize;
  ui::ClassicScrollBar* scrlFontSize;
  QPushButton* cmdSendFontSize;
  QWidget* picDefSize;

  // Text offset.
  QGroupBox* fraTextOffset;
  ui::ClassicScrollBar* scrlTempX;
  ui::ClassicScrollBar* scrlTempY;
  QLineEdit* txtTempX;
  QLineEdit* txtTempY;

  // Shadow.
  ui::ClassicCheckBox* chkShadow;
  QGroupBox* fraShadowOffset;
  ui::ClassicScrollBar* scrlShadowX;
  ui::ClassicScrollBar* scrlShadowY;
  QLineEdit* txtShadowX;
  QLineEdit* txtShadowY;
  QGroupBox* framTrans;
  ui::ClassicScrollBar* scrlShTrans;
  QLabel* lblShTrans;

  // Border.
  QGroupBox* fraBorder;
  ui::ClassicCheckBox* chkBorder;
  ui::ClassicCheckBox* chkBrdDown;
  QGroupBox* framBorder;
  ui::ClassicScrollBar* scrlBorder;
  QLabel* lblBorder;

 protected:
  EditorState& state_;
};

}  // namespace qm
