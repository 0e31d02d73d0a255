#pragma once
// Page "Категория": the template categories and the preview background.

#include <QLabel>

#include "colour/ui/ColourPage.h"
#include "platform/ui/ClassicControls.h"

namespace qm {

class EditorState;

class CategoryPage : public QWidget {
  Q_OBJECT
 public:
  CategoryPage(EditorState& state, QWidget* parent = nullptr);

  QLabel* lblHeading;
  ui::ClassicListBox* lstDir;
  Swatch* picFonColor;
  ui::ClassicCheckBox* chkTexura;

 protected:
  EditorState& state_;
};

}  // namespace qm
