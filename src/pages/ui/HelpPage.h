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
  // Puts the text into the box; done when the page first shows, so that a
  // window showing another page never lays it out. Again, it changes
  // nothing.
  void FillText();

  QPlainTextEdit* txtHelp;

 protected:
  void showEvent(QShowEvent* event) override;
};

}  // namespace qm
