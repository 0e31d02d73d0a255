#pragma once
// Child processes that can be ended whole, and a look at whether a process
// still lives.
//
// A command run through a shell may start programs of its own; ending only the
// shell would leave them running with our pipe open. Started in a process
// group of its own, the command and everything it started end together.

#include <QProcess>
#include <QtGlobal>

namespace qm::platform {

// Call before start(): the child becomes the leader of a new process group.
void RunInOwnProcessGroup(QProcess& process);
// Kills the group led by a child started that way (and the child itself).
void KillProcessGroup(const QProcess& process);

// Whether a process with this id exists (a process that has ended and been
// reaped does not).
bool ProcessAlive(qint64 pid);

}  // namespace qm::platform
