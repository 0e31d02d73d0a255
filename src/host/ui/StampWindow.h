#pragma once
// The stamp on the desktop: a small frameless, translucent window that
// behaves as a desktop widget (on every desktop, in no taskbar, never taking
// the keyboard focus) and shows the drawn stamp at its size, above or below
// the other windows. The left button drags it unless it is locked (its place
// is kept in the per-user store); a double click, or "Настроить…" in its menu,
// opens the editor; "Шрифт" has the editor switch the font; "Выход" closes an
// open editor and ends the stamp.

#include <QPoint>
#include <QRect>
#include <QWidget>
#include <functional>
#include <optional>

#include "host/StampPlace.h"

class QMenu;
class QTimer;

namespace qm {
namespace settings {
class UserSettings;
}
namespace host {
class StampHost;
}

class StampWindow : public QWidget {
  Q_OBJECT
 public:
  // The stamp's choices are kept in `store` under keys that start with
  // `keyPrefix` (empty for the unnamed stamp).
  StampWindow(host::StampHost& host, settings::UserSettings& store, const QString& keyPrefix = {},
              QWidget* parent = nullptr);

  // The size the stamp had when it last stood on the desktop, when one is
  // kept: the window can be shown at it before the stamp is drawn, which then
  // only changes it if the stamp's size did. False leaves the size alone.
  bool TakeKeptSize();
  // At the stored place, or the default one.
  void PlaceOnScreen();
  // Above the other windows, or below them; the choice made in the menu is
  // kept, one given here is not.
  void SetAbove(bool above);
  bool Above() const { return above_; }
  // A locked stamp does not move when dragged.
  void SetLocked(bool locked) { locked_ = locked; }
  bool Locked() const { return locked_; }
  // "Выход": an open editor is told to close, then the program ends.
  void Quit();

  // The stored choices, when there are any.
  std::optional<bool> StoredAbove() const;
  std::optional<bool> StoredLocked() const;

  // Extra entries for the menu, below the stamp's own (start at login).
  void SetMenuExtender(std::function<void(QMenu&)> extend) { extendMenu_ = std::move(extend); }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  void ShowStamp();
  void FollowScreen();
  // Puts the window where place_ says for its size, on the screens there are.
  void StandAtPlace();
  void StandAt(const QRect& at);
  // Keeps where the stamp stands and how big it is, if that changed.
  void KeepArea();

  host::StampHost& host_;
  settings::UserSettings& store_;
  QString keyPrefix_;
  // Where the stamp stands, as we put it there. The window system reports a
  // window's position late and, until the window manager has placed the
  // window, wrongly, so neither a drag nor a new size starts from the
  // window's own idea of it.
  host::StampPlace place_;
  QRect at_;
  bool placed_ = false;
  QPoint pressedAt_;  // the pointer, on the desktop, when the drag began
  QPoint startedAt_;  // the stamp's top left corner then
  bool dragging_ = false;
  bool moved_ = false;
  bool quitting_ = false;
  QString saveProblem_;  // the last one said
  bool above_ = true;
  bool locked_ = false;
  bool marked_ = false;  // the desktop-widget states are set
  std::function<void(QMenu&)> extendMenu_;
  // A stamp whose size changes (a template, a text that grows) keeps its new
  // area once the changes have settled, not at every step of a slider.
  QTimer* keepArea_ = nullptr;
};

}  // namespace qm
