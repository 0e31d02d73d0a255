#include "platform/ui/ClassicControls.h"

#include <QEvent>

namespace qm::ui {

ClassicCheckBox::ClassicCheckBox(const QString& caption, QWidget* parent)
    : QCheckBox(caption, parent) {
  setTristate(false);
  connect(this, &QCheckBox::toggled, this, [this] { Q_EMIT Click(); });
}

ClassicListBox::ClassicListBox(QWidget* parent) : QListWidget(parent) {
  setSelectionMode(QAbstractItemView::SingleSelection);
  connect(this, &QListWidget::currentRowChanged, this, [this](int row) {
    if (row >= 0) Q_EMIT Click();
  });
  KeepSelectionColours();
}

void ClassicListBox::KeepSelectionColours() {
  QPalette p = palette();
  bool same = true;
  for (const QPalette::ColorRole role : {QPalette::Highlight, QPalette::HighlightedText}) {
    const QBrush active = p.brush(QPalette::Active, role);
    if (p.brush(QPalette::Inactive, role) == active) continue;
    p.setBrush(QPalette::Inactive, role, active);
    same = false;
  }
  // Only a change sets the palette: setting it raises the palette change
  // that brings us here again.
  if (!same) setPalette(p);
}

void ClassicListBox::changeEvent(QEvent* event) {
  QListWidget::changeEvent(event);
  // A new desktop theme, or the parent's palette, reaches us here.
  if (event->type() == QEvent::PaletteChange) KeepSelectionColours();
}

void ClassicListBox::SetListIndex(int index) {
  if (index < -1 || index >= count()) return;
  setCurrentRow(index);
}

QString ClassicListBox::List(int index) const {
  const QListWidgetItem* it = item(index);
  return it ? it->text() : QString();
}

QString ClassicListBox::Text() const { return List(currentRow()); }

bool ClassicListBox::SetText(const QString& text) {
  for (Qt::CaseSensitivity cs : {Qt::CaseSensitive, Qt::CaseInsensitive}) {
    for (int i = 0; i < count(); ++i) {
      if (item(i)->text().compare(text, cs) == 0) {
        setCurrentRow(i);
        return true;
      }
    }
  }
  return false;
}

void ClassicListBox::Clear() {
  const QSignalBlocker block(this);
  clear();
}

void ClassicListBox::focusInEvent(QFocusEvent* event) {
  // Qt makes row 0 current when a list without a current row gains the focus;
  // that would look like a selection the user never made.
  if (currentRow() < 0) {
    {
      const QSignalBlocker block(this);
      QListWidget::focusInEvent(event);
      if (currentRow() >= 0) setCurrentRow(-1);
    }
    if (selectionModel()) selectionModel()->clearCurrentIndex();
    return;
  }
  QListWidget::focusInEvent(event);
}

}  // namespace qm::ui
