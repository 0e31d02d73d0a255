#pragma once
// Page "Категория": the template categories and the preview background.

#include <QLabel>

#include "platform/ui/ClassicControls.h"
#include "platform/ui/Swatch.h"

namespace qm {

class CategoryPage : public QWidget {
  Q_OBJECT
 public:
  explicit CategoryPage(QWidget* parent = nullptr);

  QLabel* lblHeading;
  ui::ClassicListBox* lstDir;
  Swatch* picFonColor;
  ui::ClassicCheckBox* chkTexura;
};

}  // namespace qm
