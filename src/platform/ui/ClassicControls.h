#pragma once
// Check box and list box with the classic event semantics the handlers rely on:
// Click is raised when the value or the selection changes, whether the user or
// the program changed it, and only when it actually changes. The list box also
// looks like a classic one: its selection keeps the highlight colour when the
// focus goes elsewhere.

#include <QCheckBox>
#include <QListWidget>

namespace qm::ui {

// Two-state check box; Value() is 0 or 1.
class ClassicCheckBox : public QCheckBox {
  Q_OBJECT
 public:
  explicit ClassicCheckBox(const QString& caption, QWidget* parent = nullptr);
  int Value() const { return isChecked() ? 1 : 0; }
  // Any non-zero value ticks the box.
  void SetValue(int v) { setChecked(v != 0); }

 Q_SIGNALS:
  void Click();
};

class ClassicListBox : public QListWidget {
  Q_OBJECT
 public:
  explicit ClassicListBox(QWidget* parent = nullptr);

  int ListIndex() const { return currentRow(); }
  void SetListIndex(int index);
  int ListCount() const { return count(); }
  QString List(int index) const;
  // The text of the selected entry, empty without a selection.
  QString Text() const;
  // Selects the first entry equal to text (case-sensitive first, then without
  // regard to case); returns false and leaves the selection when none matches.
  bool SetText(const QString& text);
  void AddItem(const QString& text) { addItem(text); }
  void Clear();

 Q_SIGNALS:
  void Click();

 protected:
  void focusInEvent(QFocusEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  // Qt draws a list without the focus in the inactive colours, which many
  // desktop themes make faint or plain: the chosen category or font would
  // seem unchosen. The inactive selection colours follow the active ones.
  void KeepSelectionColours();
};

}  // namespace qm::ui
