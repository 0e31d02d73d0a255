#pragma once
// Page "Текст": font, attributes, size, text offset, shadow and border.

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <array>
#include <utility>
#include <vector>

#include "pages/ui/EditorPage.h"
#include "platform/ui/ClassicControls.h"
#include "platform/ui/ClassicScrollBar.h"
#include "stamp/StampParams.h"

namespace qm {
namespace ui {
class HoverFocus;
}

struct EditorState;
class LookSender;

// The default-size link: blank until the pointer is over it, then the caption
// "Размер по умолчанию" in cyan over a dark blue shadow. It holds the mouse
// while the pointer is inside, so that leaving it is noticed.
class DefSizeLink : public QWidget {
  Q_OBJECT
 public:
  explicit DefSizeLink(QWidget* parent = nullptr);

  // Pointer at (X, Y) in the box's own pixels: shows the caption and takes
  // the mouse on entering, clears and lets go on leaving.
  void TxtLink(int X, int Y);
  void PicText(bool show);
  bool Shown() const { return shown_; }
  bool HasCapture() const { return QWidget::mouseGrabber() == this; }
  // How often the caption was drawn afresh (it must not flicker on every move).
  int ShowCount() const { return showCount_; }

  static QString Caption() { return tr("Размер по умолчанию"); }

 Q_SIGNALS:
  void MouseDown();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  // A hidden link can see no pointer leave it: let go of the mouse.
  void hideEvent(QHideEvent* event) override;

 private:
  bool shown_ = false;
  int showCount_ = 0;
};

class TextPage : public EditorPage {
  Q_OBJECT
 public:
  TextPage(EditorState& state, LookSender& sender, QWidget* parent = nullptr);

  // Handlers.
  void lstFont_Click();
  void chkFontAttr_Click(int Index);
  int FntAttr(int Index) const;
  // Only Enter (13) acts; returns true when the key was taken.
  bool txtFontSize_KeyPress(int KeyAscii);
  void scrlFontSize_Change();
  void cmdSendFontSize_Click();
  void chkText_Click();
  // The text and shadow offsets, X and Y (Index 0..3, as Offsets() lists
  // them): the box shows the slider's offset, which is sent on every change.
  void scrlOffset_Change(int Index);
  // A number typed into an offset box, confirmed with Enter (`confirmed`) or
  // by leaving the box after editing it, moves the slider as far as its range
  // lets it, and the slider's own handler sends it. Anything else puts the
  // slider's value back into the box.
  void ApplyTypedOffset(QLineEdit* box, bool confirmed);
  void scrlShTrans_Scroll();
  void scrlBorder_Change();
  void chkShadow_Click();
  void chkBorder_Click();
  void chkBrdDown_Click();
  void picDefSize_MouseDown();

  // "F=" from the host: selects the listed font of that name without running
  // the list's handler (the caller runs lstFont_Click once afterwards).
  void SelectFontSilently(const QString& name);
  // Selects the first entry equal to `name` (exact), which runs the list's
  // own handling; false, and the selection left alone, when none is.
  bool SelectListedFont(const QString& name);
  // The font of a default look: the chosen one, else the first listed.
  QString ListedFont() const;
  // Shows a look's attributes, size, shadow opacity, border width and
  // switches (the handlers send only while FormReady is set).
  void ShowParams(const stamp::StampParams& p) override;
  // Shows a look's offsets; their sliders send whatever FormReady says, so
  // every offset that moved reaches the host again.
  void ShowOffsets(const stamp::StampParams& p);
  // The font, when listed (its list's own handling sends it), then the
  // offsets.
  void ShowSentParams(const stamp::StampParams& p) override;
  std::vector<WheelRow> WheelRows() override;
  QList<QWidget*> TabOrder() const override;

 Q_SIGNALS:
  // The default-size link was clicked: the window goes back to its default
  // size at its current place.
  void DefaultSizeRequested();
  // A font was chosen in the list (raised before it is sent).
  void FontChosen(const QString& font);

 public:
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
  DefSizeLink* picDefSize;

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
  bool eventFilter(QObject* watched, QEvent* event) override;
  EditorState& state_;
  LookSender& sender_;

 private:
  void Wire();
  // An offset box with its slider, the sign from slider value to shown
  // offset, and the line's field (its number and its member).
  struct OffsetControl {
    QLineEdit* box;
    ui::ClassicScrollBar* slider;
    int sign;
    int index;
    float stamp::StampParams::*field;
  };
  std::array<OffsetControl, 4> Offsets() const;
  // Shows the size the current line holds in the size box.
  void ShowLineSize();
  // Mouse-over: the control under the pointer takes the keyboard focus, but
  // only while we are the active application (never steal it from another).
  ui::HoverFocus* hoverFocus_ = nullptr;
};

}  // namespace qm
