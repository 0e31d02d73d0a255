#pragma once
// Shared pieces of the link tests: a private link folder per test, an
// endpoint served by a thread of its own, and raw socket helpers that play a
// peer which the library's own classes would never be.

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QFile>
#include <QMutex>
#include <QMutexLocker>
#include <QStringList>
#include <QTemporaryDir>
#include <QThread>
#include <QWaitCondition>
#include <cstring>
#include <functional>

#include "platform/link/LinkEndpoint.h"

namespace qm::link::test {

// A 0700 folder of its own for each test (QTemporaryDir creates it so).
struct LinkDir {
  QTemporaryDir tmp;
  QString path() const { return tmp.path(); }
  QString socket(qint32 handle) const { return tmp.path() + u'/' + QString::number(handle); }
};

inline sockaddr_un Address(const QString& path) {
  sockaddr_un a{};
  a.sun_family = AF_UNIX;
  const QByteArray n = QFile::encodeName(path);
  std::memcpy(a.sun_path, n.constData(), static_cast<size_t>(n.size()));
  return a;
}

inline int RawConnect(const QString& path) {
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_un a = Address(path);
  if (::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

inline int RawListen(const QString& path, int backlog = 8) {
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_un a = Address(path);
  if (::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || ::listen(fd, backlog) != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

inline bool WriteAll(int fd, const QByteArray& bytes) {
  qsizetype done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::send(fd, bytes.constData() + done, static_cast<size_t>(bytes.size() - done),
                             MSG_NOSIGNAL);
    if (n <= 0) return false;
    done += n;
  }
  return true;
}

inline bool Readable(int fd, int timeoutMs = 0) {
  pollfd p{fd, POLLIN, 0};
  return ::poll(&p, 1, timeoutMs) > 0;
}

// The next byte, -1 at end of stream, -2 when nothing is there yet.
inline int ReadByte(int fd) {
  if (!Readable(fd)) return -2;
  unsigned char b = 0;
  const ssize_t n = ::recv(fd, &b, 1, 0);
  return n == 1 ? b : -1;
}

// An endpoint living in a thread with its own event loop, as the peer process
// would be. Every message is recorded, then handed to the optional handler.
class EndpointThread : public QThread {
 public:
  using Handler = std::function<void(LinkEndpoint&, const QString&)>;

  EndpointThread(QString dir, qint32 handle, Handler handler = {})
      : dir_(std::move(dir)), handle_(handle), handler_(std::move(handler)) {
    start();
    QMutexLocker lock(&mutex_);
    while (!ready_) cond_.wait(&mutex_);
  }
  ~EndpointThread() override {
    quit();
    wait();
  }

  bool listening() const { return listening_; }
  QStringList messages() {
    QMutexLocker lock(&mutex_);
    return messages_;
  }

 protected:
  void run() override {
    LinkEndpoint endpoint;
    endpoint.setDirectory(dir_);
    QObject::connect(&endpoint, &LinkEndpoint::messageReceived, &endpoint,
                     [&](const QString& text) {
                       {
                         QMutexLocker lock(&mutex_);
                         messages_.append(text);
                       }
                       if (handler_) handler_(endpoint, text);
                     });
    const bool ok = endpoint.listen(handle_);
    {
      QMutexLocker lock(&mutex_);
      listening_ = ok;
      ready_ = true;
      cond_.wakeAll();
    }
    if (ok) exec();
  }

 private:
  QString dir_;
  qint32 handle_;
  Handler handler_;
  QMutex mutex_;
  QWaitCondition cond_;
  bool ready_ = false;
  bool listening_ = false;
  QStringList messages_;
};

}  // namespace qm::link::test
