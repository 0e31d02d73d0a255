#pragma once
// Gives the keyboard focus to a control when the mouse moves over another
// (or the same) control, while this application is the active one, so that
// the keyboard and wheel act on what the user points at.

#include <QObject>
#include <QWidget>
#include <functional>
#include <utility>
#include <vector>

namespace qm::ui {

class HoverFocus : public QObject {
  Q_OBJECT
 public:
  using QObject::QObject;

  // Mouse moves over `over` give `target` the focus.
  void Add(QWidget* over, QWidget* target);
  // Tells whether this application is the active one (by default, what the
  // platform says at the moment of the move).
  void SetActiveCheck(std::function<bool()> isActive) { isActive_ = std::move(isActive); }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  std::vector<std::pair<QObject*, QWidget*>> pairs_;
  std::function<bool()> isActive_;
};

}  // namespace qm::ui
