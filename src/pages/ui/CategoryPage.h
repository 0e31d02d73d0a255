#pragma once
// Page "Категория": the template categories and the preview background.

#include <QLabel>

#include "pages/ui/EditorPage.h"
#include "platform/ui/ClassicControls.h"
#include "platform/ui/Swatch.h"

namespace qm {

// The gallery drives it: it shows no field of a look.
class CategoryPage : public EditorPage {
  Q_OBJECT
 public:
  explicit CategoryPage(QWidget* parent = nullptr);
  QList<QWidget*> TabOrder() const override;

  QLabel* lblHeading;
  ui::ClassicListBox* lstDir;
  Swatch* picFonColor;
  ui::ClassicCheckBox* chkTexura;
};

}  // namespace qm
