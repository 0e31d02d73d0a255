#pragma once
// Whether this application is the active one, kept in the editor state for
// the mouse-over handlers, which move the keyboard focus only then and never
// take it from another program. This is the one place that keeps it.

#include <QObject>

namespace qm {

class AppActivity : public QObject {
  Q_OBJECT
 public:
  explicit AppActivity(bool& appActive) : appActive_(appActive) {}
  ~AppActivity() override;

  // Starts (true) or stops (false) following: the state is taken when
  // following starts, then kept through every activation change.
  void Follow(bool on);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  bool& appActive_;
  bool following_ = false;
};

}  // namespace qm
