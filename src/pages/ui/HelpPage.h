#pragma once
// Page "Подсказка": how the gestures on the gallery's thumbnails work.

#include <QPlainTextEdit>
#include <QSize>

#include "pages/ui/EditorPage.h"

namespace qm {

class HelpPage : public EditorPage {
  Q_OBJECT
 public:
  // `size` is the page's: the text fills it but for its margins.
  explicit HelpPage(const QSize& size, QWidget* parent = nullptr);

  static QString HelpText();
  // Puts the text into the box, left to the window's start-up (see
  // FrmOptions): laying it out is work a window that shows another page can
  // do once it is on the screen. Again, it changes nothing.
  void FillText();

  QPlainTextEdit* txtHelp;
};

}  // namespace qm
