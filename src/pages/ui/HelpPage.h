#pragma once
// Page "Подсказка": how the gestures on the gallery's thumbnails work.

#include <QPlainTextEdit>
#include <QPointer>
#include <QSize>

#include "pages/ui/EditorPage.h"

namespace qm {

class HelpPage : public EditorPage {
  Q_OBJECT
 public:
  // `size` is the page's: the text fills it but for its margins.
  explicit HelpPage(const QSize& size, QWidget* parent = nullptr);

  static QString HelpText();
  // The box that shows the text ("txtHelp"), made when the page first shows
  // or when asked for here: a text box is a document, its layout and two
  // scroll bars, which a window showing another page need not hold.
  QPlainTextEdit* TextBox();
  // Puts the text into the box; done when the page first shows. Again, it
  // changes nothing.
  void FillText();

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  // Where the box will stand: it moves with the page's contents until then.
  QPointer<QWidget> boxPlace_;
  QPlainTextEdit* box_ = nullptr;
};

}  // namespace qm
