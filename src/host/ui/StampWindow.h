#pragma once
// The stamp on the desktop: a small frameless, translucent window that stays
// above the others and shows the drawn stamp at its size. The left button
// drags it (its place is kept in the per-user store); a double click, or
// "Настроить…" in its menu, opens the editor; "Шрифт" has the editor switch
// the font; "Выход" closes an open editor and ends the stamp.

#include <QPoint>
#include <QWidget>

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
  StampWindow(host::StampHost& host, settings::UserSettings& store, QWidget* parent = nullptr);

  // At the stored place, or the default one.
  void PlaceOnScreen();
  // "Выход": an open editor is told to close, then the program ends.
  void Quit();

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

  host::StampHost& host_;
  settings::UserSettings& store_;
  QPoint grab_;  // where the pointer holds the window, while dragging
  bool dragging_ = false;
  bool moved_ = false;
  bool quitting_ = false;
  QString saveProblem_;  // the last one said
};

}  // namespace qm
