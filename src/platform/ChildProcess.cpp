#include "platform/ChildProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>
#ifdef __linux__
#include <sys/prctl.h>
#endif

#include <QFile>
#include <QList>
#include <QSocketNotifier>
#include <QTimer>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <vector>

namespace qm::platform {
namespace {

// How much is still read from the pipes once the command has ended: what the
// pipes held, unless something outside the command kept writing into them.
constexpr qint64 kMaxDrainBytes = 1 << 20;

// --- In the forked child --------------------------------------------------
// Everything from here to RunChild runs between fork and exec, where only
// async-signal-safe calls are allowed: no allocation, no locks, no stdio.

// The parent's id from the contents of /proc/<pid>/stat ("pid (name) S ppid
// ..."): the name may hold anything, so the fields are read after its last
// closing parenthesis.
pid_t ParentIn(const char* stat, long length) {
  long close = -1;
  for (long i = 0; i < length; ++i)
    if (stat[i] == ')') close = i;
  if (close < 0) return -1;
  long i = close + 1;
  while (i < length && stat[i] == ' ') ++i;  // then the state, then the parent
  while (i < length && stat[i] != ' ') ++i;
  while (i < length && stat[i] == ' ') ++i;
  pid_t parent = 0;
  bool any = false;
  for (; i < length && stat[i] >= '0' && stat[i] <= '9'; ++i) {
    parent = parent * 10 + (stat[i] - '0');
    any = true;
  }
  return any ? parent : -1;
}

struct DirEntry64 {
  std::uint64_t ino;
  std::int64_t off;
  unsigned short reclen;
  unsigned char type;
  char name[1];
};

// Sends SIGKILL to every child of this process. The command's orphans are
// re-parented to us, so after enough rounds everything it started has been
// among them; /proc is read since nothing else lists a process's children on
// every kernel.
void KillChildren() {
  const int proc = ::open("/proc", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (proc < 0) return;
  const pid_t self = ::getpid();
  alignas(8) char entries[8192];
  for (;;) {
    const long n = ::syscall(SYS_getdents64, proc, entries, sizeof entries);
    if (n <= 0) break;
    for (long at = 0; at < n;) {
      const auto* e = reinterpret_cast<const DirEntry64*>(entries + at);
      at += e->reclen;
      pid_t pid = 0;
      int digits = 0;
      char path[32];
      for (const char* c = e->name; *c; ++c) {
        if (*c < '0' || *c > '9' || digits > 9) {
          digits = -1;
          break;
        }
        pid = pid * 10 + (*c - '0');
        path[digits++] = *c;
      }
      if (digits <= 0 || pid == self) continue;
      for (const char* c = "/stat"; *c; ++c) path[digits++] = *c;
      path[digits] = '\0';
      const int fd = ::openat(proc, path, O_RDONLY | O_CLOEXEC);
      if (fd < 0) continue;
      char stat[256];
      const long got = ::read(fd, stat, sizeof stat);
      ::close(fd);
      if (got > 0 && ParentIn(stat, got) == self) ::kill(pid, SIGKILL);
    }
  }
  ::close(proc);
}

void CloseAllDescriptors() {
#ifdef SYS_close_range
  if (::syscall(SYS_close_range, 0u, ~0u, 0u) == 0) return;
#endif
  rlimit limit{};
  const rlim_t last = ::getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY
                          ? limit.rlim_cur
                          : 65536;
  for (rlim_t fd = 0; fd < last; ++fd) ::close(static_cast<int>(fd));
}

// The guard: waits for the command (or for the word to end it), then ends all
// it left behind and ends as the command did.
[[noreturn]] void Guard(pid_t command, pid_t starter, const sigset_t& waited) {
  CloseAllDescriptors();  // the pipes are the command's alone
  // A crashing command is reported by crashing the same way: not worth a core.
  const rlimit noCore{0, 0};
  ::setrlimit(RLIMIT_CORE, &noCore);
  int status = 0;
  bool reaped = false;
  bool asked = false;
  while (!reaped && !asked) {
    int st = 0;
    pid_t r;
    while ((r = ::waitpid(-1, &st, WNOHANG)) > 0)
      if (r == command) {
        status = st;
        reaped = true;
      }
    if (reaped) break;
    // A starter gone before its death signal was set up counts as asking.
    if (::getppid() != starter) break;
    siginfo_t info;
    const int sig = ::sigwaitinfo(&waited, &info);
    asked = sig > 0 && sig != SIGCHLD;
  }
  // Until no child is left: the command's group while its leader is not yet
  // reaped (so that its id cannot be anyone else's), and every child of ours.
  for (;;) {
    if (!reaped) ::kill(-command, SIGKILL);
    KillChildren();
    int st = 0;
    const pid_t r = ::waitpid(-1, &st, 0);
    if (r < 0) {
      if (errno == EINTR) continue;
      break;  // ECHILD: none left
    }
    if (r == command && !reaped) {
      reaped = true;
      status = st;
    }
  }
  if (!asked && WIFEXITED(status)) ::_exit(WEXITSTATUS(status));
  const int sig = !asked && WIFSIGNALED(status) ? WTERMSIG(status) : SIGKILL;
  struct sigaction dfl {};
  dfl.sa_handler = SIG_DFL;
  ::sigaction(sig, &dfl, nullptr);
  sigset_t one;
  sigemptyset(&one);
  sigaddset(&one, sig);
  ::sigprocmask(SIG_UNBLOCK, &one, nullptr);
  ::kill(::getpid(), sig);
  ::_exit(128 + sig);
}

[[noreturn]] void Exec(const char* path, char* const* argv, int in, int out, int err) {
  ::dup2(in, 0);
  ::dup2(out, 1);
  ::dup2(err, 2);
  ::execv(path, argv);
  ::_exit(127);
}

[[noreturn]] void RunChild(pid_t starter, const char* path, char* const* argv, int in, int out,
                           int err) {
  // Signals as a new program expects them: none handled, none blocked.
  struct sigaction dfl {};
  dfl.sa_handler = SIG_DFL;
  for (int s = 1; s < NSIG; ++s)
    if (s != SIGKILL && s != SIGSTOP) ::sigaction(s, &dfl, nullptr);
  sigset_t none;
  sigemptyset(&none);
  // A session of its own: signals from the starter's terminal do not reach it.
  ::setsid();
#ifdef __linux__
  sigset_t waited;
  sigemptyset(&waited);
  for (const int s : {SIGCHLD, SIGTERM, SIGINT, SIGHUP}) sigaddset(&waited, s);
  ::sigprocmask(SIG_SETMASK, &waited, nullptr);
  if (::prctl(PR_SET_CHILD_SUBREAPER, 1) == 0 && ::prctl(PR_SET_PDEATHSIG, SIGTERM) == 0) {
    if (::getppid() != starter) ::_exit(127);  // the starter died meanwhile
    const pid_t guard = ::getpid();
    const pid_t command = ::fork();
    if (command < 0) ::_exit(127);
    if (command == 0) {
      // The command: a process group of its own, gone with its guard.
      ::setpgid(0, 0);
      ::prctl(PR_SET_PDEATHSIG, SIGKILL);
      if (::getppid() != guard) ::_exit(127);
      ::sigprocmask(SIG_SETMASK, &none, nullptr);
      Exec(path, argv, in, out, err);
    }
    Guard(command, starter, waited);
  }
#endif
  // No guard to be had: the command runs here, in a session of its own.
  ::sigprocmask(SIG_SETMASK, &none, nullptr);
  Exec(path, argv, in, out, err);
}

// --- In the starting process ------------------------------------------------

QString ErrnoText() { return QString::fromLocal8Bit(std::strerror(errno)); }

void CloseFd(int& fd) {
  if (fd >= 0) ::close(fd);
  fd = -1;
}

}  // namespace

GuardedCommand::GuardedCommand(QObject* parent) : QObject(parent) {}

GuardedCommand::~GuardedCommand() {
  if (pid_ <= 0) return;
  // Ended with everything it started; waited for, a few seconds at most.
  const auto ended = [this](int ms) {
    int status = 0;
    if (pidFd_ >= 0) {
      pollfd p{pidFd_, POLLIN, 0};
      ::poll(&p, 1, ms);
      return ::waitpid(static_cast<pid_t>(pid_), &status, WNOHANG) != 0;
    }
    for (int waited = 0; waited <= ms; waited += 10) {
      if (::waitpid(static_cast<pid_t>(pid_), &status, WNOHANG) != 0) return true;
      const timespec tick{0, 10 * 1000 * 1000};
      ::nanosleep(&tick, nullptr);
    }
    return false;
  };
  End();
  if (!ended(2000)) {
    Kill();
    ended(1000);
  }
  pid_ = 0;
  CloseAll();
}

bool GuardedCommand::Start(const QString& program, const QStringList& arguments) {
  error_.clear();
  if (pid_ > 0) {
    error_ = QStringLiteral("already running");
    return false;
  }
  // Everything the child needs is made before the fork: it may not allocate.
  QList<QByteArray> words{QFile::encodeName(program)};
  for (const QString& a : arguments) words << a.toLocal8Bit();
  std::vector<char*> argv;
  for (QByteArray& w : words) argv.push_back(w.data());
  argv.push_back(nullptr);
  int out[2] = {-1, -1}, err[2] = {-1, -1};
  int in = -1;
  const auto fail = [&] {
    error_ = ErrnoText();
    for (int* fd : {&out[0], &out[1], &err[0], &err[1], &in}) CloseFd(*fd);
    return false;
  };
  if (::pipe2(out, O_CLOEXEC) != 0 || ::pipe2(err, O_CLOEXEC) != 0) return fail();
  in = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
  if (in < 0) return fail();
  const pid_t starter = ::getpid();
  const pid_t pid = ::fork();
  if (pid < 0) return fail();
  if (pid == 0) RunChild(starter, argv[0], argv.data(), in, out[1], err[1]);
  CloseFd(out[1]);
  CloseFd(err[1]);
  CloseFd(in);
  pid_ = pid;
  pipes_[0] = out[0];
  pipes_[1] = err[0];
  for (int i = 0; i < 2; ++i) {
    ::fcntl(pipes_[i], F_SETFL, ::fcntl(pipes_[i], F_GETFL) | O_NONBLOCK);
    readers_[i] = new QSocketNotifier(pipes_[i], QSocketNotifier::Read, this);
    connect(readers_[i], &QSocketNotifier::activated, this, [this, i] { ReadFrom(i); });
  }
#ifdef SYS_pidfd_open
  pidFd_ = static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
#endif
  if (pidFd_ >= 0) {
    ::fcntl(pidFd_, F_SETFD, FD_CLOEXEC);
    exitWatch_ = new QSocketNotifier(pidFd_, QSocketNotifier::Read, this);
    connect(exitWatch_, &QSocketNotifier::activated, this, &GuardedCommand::CheckEnded);
  } else {
    exitPoll_ = new QTimer(this);
    exitPoll_->setInterval(20);
    connect(exitPoll_, &QTimer::timeout, this, &GuardedCommand::CheckEnded);
    exitPoll_->start();
  }
  return true;
}

void GuardedCommand::End() {
  if (pid_ > 0) ::kill(static_cast<pid_t>(pid_), SIGTERM);
}

void GuardedCommand::Kill() {
  if (pid_ <= 0) return;
  ::kill(-static_cast<pid_t>(pid_), SIGKILL);
  ::kill(static_cast<pid_t>(pid_), SIGKILL);
}

void GuardedCommand::ReadFrom(int index) {
  if (pipes_[index] < 0) return;
  // One chunk per notice: a command that prints without end is read at the
  // pace of the event loop, and nothing piles up here.
  char chunk[64 * 1024];
  const ssize_t n = ::read(pipes_[index], chunk, sizeof chunk);
  if (n > 0) {
    Q_EMIT output(index == 0 ? StandardOutput : StandardError,
                  QByteArray(chunk, static_cast<qsizetype>(n)));
    return;
  }
  if (n < 0 && (errno == EAGAIN || errno == EINTR)) return;
  StopReading(index);
}

void GuardedCommand::StopReading(int index) {
  // Later: this may run inside the notifier's own signal.
  if (readers_[index]) {
    readers_[index]->setEnabled(false);
    readers_[index]->deleteLater();
    readers_[index] = nullptr;
  }
  CloseFd(pipes_[index]);
}

void GuardedCommand::CheckEnded() {
  if (pid_ <= 0) return;
  int status = 0;
  const pid_t r = ::waitpid(static_cast<pid_t>(pid_), &status, WNOHANG);
  if (r == 0 || (r < 0 && errno == EINTR)) return;
  Reap(r < 0 ? 0 : status);
}

void GuardedCommand::Reap(int status) {
  pid_ = 0;
  // What the pipes still hold.
  qint64 drained = 0;
  for (int i = 0; i < 2; ++i) {
    while (pipes_[i] >= 0 && drained < kMaxDrainBytes) {
      char chunk[64 * 1024];
      const ssize_t n = ::read(pipes_[i], chunk, sizeof chunk);
      if (n <= 0) break;
      drained += n;
      Q_EMIT output(i == 0 ? StandardOutput : StandardError,
                    QByteArray(chunk, static_cast<qsizetype>(n)));
    }
  }
  CloseAll();
  if (WIFEXITED(status))
    Q_EMIT finished(WEXITSTATUS(status), false);
  else
    Q_EMIT finished(-1, true);
}

void GuardedCommand::CloseAll() {
  for (int i = 0; i < 2; ++i) StopReading(i);
  if (exitWatch_) exitWatch_->setEnabled(false);
  if (exitWatch_) exitWatch_->deleteLater();
  exitWatch_ = nullptr;
  if (exitPoll_) exitPoll_->deleteLater();
  exitPoll_ = nullptr;
  CloseFd(pidFd_);
}

bool ProcessAlive(qint64 pid) {
  if (pid <= 0) return false;
  // EPERM: it exists but belongs to somebody else.
  return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

}  // namespace qm::platform
