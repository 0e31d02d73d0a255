#pragma once
// A private X server for tests that need a real display: Xvfb on a display
// number it picks itself among the free ones (-displayfd), so tests never
// meet another session's windows, and gone again when the object goes.

#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QByteArray>
#include <QSize>
#include <QString>
#include <string>

namespace qm::test {

class XServer {
 public:
  XServer() = default;
  ~XServer() { Stop(); }
  XServer(const XServer&) = delete;
  XServer& operator=(const XServer&) = delete;

  // Starts Xvfb with one screen of `size` at 96 dots per inch and waits until
  // it accepts clients. False, with the reason in `error`, when it cannot.
  bool Start(const QSize& size, QString* error) {
    int ready[2];
    if (::pipe(ready) != 0) return Fail(error, QStringLiteral("no pipe"));
    const std::string fd = std::to_string(ready[1]);
    const std::string screen =
        std::to_string(size.width()) + "x" + std::to_string(size.height()) + "x24";
    pid_ = ::fork();
    if (pid_ == 0) {
      // A test that crashes must not leave its server running.
      ::prctl(PR_SET_PDEATHSIG, SIGTERM);
      ::close(ready[0]);
      ::execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", screen.c_str(), "-dpi",
               "96", "-nolisten", "tcp", "-noreset", static_cast<char*>(nullptr));
      ::_exit(127);
    }
    ::close(ready[1]);
    if (pid_ < 0) {
      ::close(ready[0]);
      return Fail(error, QStringLiteral("cannot fork"));
    }
    // Xvfb writes the display number once it listens.
    QByteArray number;
    pollfd p{ready[0], POLLIN, 0};
    while (!number.endsWith('\n') && ::poll(&p, 1, 20000) > 0) {
      char c;
      if (::read(ready[0], &c, 1) != 1) break;
      number.append(c);
    }
    ::close(ready[0]);
    if (!number.endsWith('\n')) {
      Stop();
      return Fail(error, QStringLiteral("Xvfb did not start (is the xvfb package installed?)"));
    }
    display_ = u':' + QString::fromLatin1(number.trimmed());
    return true;
  }

  QString Display() const { return display_; }

  void Stop() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGTERM);
    ::waitpid(pid_, nullptr, 0);
    pid_ = -1;
  }

 private:
  static bool Fail(QString* error, const QString& why) {
    if (error) *error = why;
    return false;
  }

  pid_t pid_ = -1;
  QString display_;
};

}  // namespace qm::test
