#pragma once
// The signals that ask a program to end (Ctrl+C in a terminal, a session that
// logs out, kill) heard as an ordinary event of the program's loop, for a
// program that must say goodbye before it goes: the desktop stamp tells an
// open editor to close. Their default handling comes back when the object
// goes.

#include <QObject>

class QSocketNotifier;

namespace qm::platform {

class QuitSignals : public QObject {
  Q_OBJECT
 public:
  // SIGINT, SIGTERM and SIGHUP. One object per program.
  explicit QuitSignals(QObject* parent = nullptr);
  ~QuitSignals() override;

 Q_SIGNALS:
  void quitRequested();

 private:
  QSocketNotifier* notifier_ = nullptr;
};

}  // namespace qm::platform
