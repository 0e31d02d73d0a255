#pragma once
// Commands that end whole, and a look at whether a process still lives.
//
// A command run through a shell may start programs of its own, in the
// background or in a session of their own; ending only the shell would leave
// them running, one more at every run. A guarded command therefore runs
// under a small guard process of ours, forked (not started from a file) so
// that nothing is installed beside the program. The guard adopts everything
// the command leaves behind (it is a child subreaper), and once the command
// ends, once it is asked to end it, or once the program that started it dies
// in any way (SIGKILL included), it ends the command and all it started, then
// itself.
//
// The output is handed on in chunks as it comes and never gathered here, so
// a command that prints without end costs no memory of ours.

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QtGlobal>

class QSocketNotifier;
class QTimer;

namespace qm::platform {

class GuardedCommand : public QObject {
  Q_OBJECT
 public:
  enum Channel { StandardOutput = 1, StandardError = 2 };

  explicit GuardedCommand(QObject* parent = nullptr);
  // A command still running is ended with everything it started, and waited
  // for (a few seconds at most); finished() is not emitted then.
  ~GuardedCommand() override;

  // Runs `program` with `arguments`, its input from /dev/null. False, with
  // the reason in ErrorString(), when no process could be made; a program
  // that cannot be run ends with exit status 127.
  bool Start(const QString& program, const QStringList& arguments);
  bool IsRunning() const { return pid_ > 0; }
  // Asks the guard to end the command and everything it started;
  // finished() follows once all are gone.
  void End();
  // Kills the guard and the command outright: for a guard that does not end
  // when asked.
  void Kill();
  // The guard's process id (0 when not running).
  qint64 ProcessId() const { return pid_; }
  QString ErrorString() const { return error_; }

 Q_SIGNALS:
  // A chunk of what the command printed (at most 64 KiB).
  void output(qm::platform::GuardedCommand::Channel channel, const QByteArray& chunk);
  // The command ended: with `exitCode` when it exited, or `crashed` when a
  // signal ended it (also when it was ended on request).
  void finished(int exitCode, bool crashed);

 private:
  void ReadFrom(int index);
  void StopReading(int index);
  void CheckEnded();
  void Reap(int status);
  void CloseAll();

  qint64 pid_ = 0;
  int pidFd_ = -1;
  int pipes_[2] = {-1, -1};  // read ends: output, errors
  QSocketNotifier* readers_[2] = {nullptr, nullptr};
  QSocketNotifier* exitWatch_ = nullptr;
  QTimer* exitPoll_ = nullptr;  // where the kernel has no process descriptors
  QString error_;
};

// Whether a process with this id exists (a process that has ended and been
// reaped does not).
bool ProcessAlive(qint64 pid);

}  // namespace qm::platform
