#include "platform/ChildProcess.h"

#include <signal.h>
#include <unistd.h>

#include <cerrno>

namespace qm::platform {

void RunInOwnProcessGroup(QProcess& process) {
  process.setChildProcessModifier([] { ::setpgid(0, 0); });
}

void KillProcessGroup(const QProcess& process) {
  const qint64 pid = process.processId();
  if (pid <= 0) return;
  // The group first, so that nothing the command started outlives it; the
  // child itself too, in case it never became a group leader.
  ::kill(-static_cast<pid_t>(pid), SIGKILL);
  ::kill(static_cast<pid_t>(pid), SIGKILL);
}

bool ProcessAlive(qint64 pid) {
  if (pid <= 0) return false;
  // EPERM: it exists but belongs to somebody else.
  return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

}  // namespace qm::platform
