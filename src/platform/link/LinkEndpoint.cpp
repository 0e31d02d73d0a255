#include "platform/link/LinkEndpoint.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#ifdef __GLIBC__
#include <malloc.h>
#endif

#include <QCoreApplication>
#include <QFile>
#include <QPointer>
#include <QSocketNotifier>
#include <QTimer>
#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/link/FrameParser.h"
#include "platform/link/LinkDirectory.h"
#include "platform/link/LinkSender.h"
#include "platform/link/LinkText.h"

namespace qm::link {

namespace {

constexpr char kAck = 0x06;
// How long taking connections pauses when descriptors run short: the first
// pause, and the longest one it grows to while the shortage lasts.
constexpr int kFirstAcceptPauseMs = 50;
constexpr int kLongestAcceptPauseMs = 1000;
// Half-received messages of dropped connections, in bytes, after which the
// freed memory is handed back to the system (see dropConnection).
constexpr qint64 kReleaseAfterBytes = 8 << 20;

QString ErrnoText() { return QString::fromLocal8Bit(std::strerror(errno)); }

// Notifiers are never deleted on the spot: the one being dropped may be the
// very notifier whose activation we are running inside.
void Retire(QSocketNotifier* n) {
  if (!n) return;
  n->setEnabled(false);
  n->deleteLater();
}
void Retire(QTimer* t) {
  if (!t) return;
  t->stop();
  t->deleteLater();
}

}  // namespace

struct LinkEndpoint::Connection {
  int fd = -1;
  FrameParser parser;
  QSocketNotifier* notifier = nullptr;
  // Answers to messages already handled that the socket could not take yet;
  // while there are any, `writable` waits for room and `stall` for the
  // sender to make some.
  qint64 owed = 0;
  QSocketNotifier* writable = nullptr;
  QTimer* stall = nullptr;
  // True while this connection's messages are being handled. A handler that
  // sends and waits serves the endpoint meanwhile, but never this connection:
  // its later messages must not overtake the one still being handled.
  bool busy = false;
  bool dead = false;

  ~Connection() {
    Retire(notifier);
    Retire(writable);
    Retire(stall);
    if (fd >= 0) ::close(fd);
  }
};

LinkEndpoint::LinkEndpoint(QObject* parent) : QObject(parent) {}

LinkEndpoint::~LinkEndpoint() { close(); }

bool LinkEndpoint::listen(qint32 handle) {
  close();
  error_.clear();
  if (handle <= 0) {
    error_ = QStringLiteral("a link handle must be a positive number, not %1").arg(handle);
    return false;
  }
  const LinkDirResult dir = dir_.isEmpty() ? LinkDirectory() : PrepareLinkDirectory(dir_);
  if (!dir.ok()) {
    error_ = dir.error;
    return false;
  }
  const QString path = dir.path + u'/' + QString::number(handle);
  const QByteArray native = QFile::encodeName(path);
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  if (native.size() >= static_cast<qsizetype>(sizeof addr.sun_path)) {
    error_ = QStringLiteral("socket path too long: %1").arg(path);
    return false;
  }
  std::memcpy(addr.sun_path, native.constData(), static_cast<size_t>(native.size()));

  struct stat st {};
  if (::lstat(native.constData(), &st) == 0) {
    if (!S_ISSOCK(st.st_mode)) {
      error_ = QStringLiteral("%1 exists and is not a socket").arg(path);
      return false;
    }
    // A socket file nobody listens on is what a crashed program leaves
    // behind; one that still accepts belongs to a running endpoint.
    const int probe = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (probe >= 0) {
      const bool live =
          ::connect(probe, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0 || errno == EAGAIN;
      ::close(probe);
      if (live) {
        error_ = QStringLiteral("another endpoint is listening on %1").arg(path);
        return false;
      }
    }
    ::unlink(native.constData());
  }

  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  if (fd < 0) {
    error_ = QStringLiteral("socket: %1").arg(ErrnoText());
    return false;
  }
  if (::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
      ::listen(fd, SOMAXCONN) != 0) {
    error_ = QStringLiteral("cannot listen on %1: %2").arg(path, ErrnoText());
    ::close(fd);
    return false;
  }
  if (::lstat(native.constData(), &st) == 0) {
    socketDev_ = st.st_dev;
    socketIno_ = st.st_ino;
  }
  listenFd_ = fd;
  handle_ = handle;
  path_ = path;
  listenNotifier_ = new QSocketNotifier(fd, QSocketNotifier::Read, this);
  connect(listenNotifier_, &QSocketNotifier::activated, this, &LinkEndpoint::acceptPending);
  return true;
}

bool LinkEndpoint::listenAtProcessHandle() {
  // Process ids stay below 2^22.
  const auto pid = static_cast<qint32>(QCoreApplication::applicationPid());
  for (qint32 k = 0; k < 8; ++k) {
    const qint32 handle = pid + k * (1 << 22);
    if (handle > 0 && listen(handle)) return true;
  }
  return false;
}

void LinkEndpoint::close() {
  const auto conns = connections_;
  for (const auto& c : conns) dropConnection(c);
  Retire(listenNotifier_);
  listenNotifier_ = nullptr;
  if (acceptRetry_) acceptRetry_->stop();
  acceptPauseMs_ = 0;
  if (listenFd_ >= 0) {
    ::close(listenFd_);
    listenFd_ = -1;
    // Remove the file only if it is still ours: a later endpoint may have
    // taken the name over.
    const QByteArray native = QFile::encodeName(path_);
    struct stat st {};
    if (::lstat(native.constData(), &st) == 0 && st.st_dev == socketDev_ && st.st_ino == socketIno_)
      ::unlink(native.constData());
  }
  handle_ = 0;
  path_.clear();
}

void LinkEndpoint::acceptPending() {
  while (listenFd_ >= 0) {
    const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd < 0) {
      if (errno == EINTR || errno == ECONNABORTED) continue;
      if (errno == EAGAIN || errno == EWOULDBLOCK) return;  // all taken
      // Out of descriptors or memory: the connection stays queued, and asking
      // again at once would only spin until something else frees them.
      ++failedAccepts_;
      pauseAccepting();
      return;
    }
    acceptPauseMs_ = 0;
    auto c = std::make_shared<Connection>();
    c->fd = fd;
    c->notifier = new QSocketNotifier(fd, QSocketNotifier::Read);
    std::weak_ptr<Connection> weak = c;
    connect(c->notifier, &QSocketNotifier::activated, this, [this, weak] {
      if (auto conn = weak.lock()) serveConnection(conn);
    });
    connections_.push_back(std::move(c));
  }
}

void LinkEndpoint::pauseAccepting() {
  if (listenNotifier_) listenNotifier_->setEnabled(false);
  acceptPauseMs_ = std::clamp(acceptPauseMs_ * 2, kFirstAcceptPauseMs, kLongestAcceptPauseMs);
  if (!acceptRetry_) {
    acceptRetry_ = new QTimer(this);
    acceptRetry_->setSingleShot(true);
    connect(acceptRetry_, &QTimer::timeout, this, &LinkEndpoint::resumeAccepting);
  }
  acceptRetry_->start(acceptPauseMs_);
}

void LinkEndpoint::resumeAccepting() {
  if (listenFd_ < 0) return;
  if (listenNotifier_) listenNotifier_->setEnabled(true);
  acceptPending();
}

void LinkEndpoint::serveConnection(const std::shared_ptr<Connection>& conn) {
  // Our own reference: a handler may drop the connection from the list.
  const std::shared_ptr<Connection> c = conn;
  if (c->dead || c->busy) return;

  // Parsed completely before any handler runs, so nested serving may reuse it.
  static thread_local char buffer[64 * 1024];
  const ssize_t n = ::recv(c->fd, buffer, sizeof buffer, MSG_DONTWAIT);
  if (n < 0) {
    if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) dropConnection(c);
    return;
  }
  if (n == 0) {  // closed; an unfinished message is dropped with it
    dropConnection(c);
    return;
  }
  QList<QByteArray> messages;
  const bool intact = c->parser.feed(buffer, n, messages);

  if (!messages.isEmpty()) {
    QPointer<LinkEndpoint> self(this);
    c->busy = true;
    if (c->notifier) c->notifier->setEnabled(false);
    bool answering = true;
    for (const QByteArray& m : messages) {
      Q_EMIT messageReceived(DecodeLinkText(m));
      if (!self || c->dead) return;  // the handler closed us; `c` closes its socket
      if (answering) {
        // A sender that has gone away no longer wants the answer, but the
        // messages it completed before leaving are still handled.
        ++c->owed;
        answering = writeAnswers(c);
      }
    }
    c->busy = false;
    if (!answering) {
      dropConnection(c);
      return;
    }
    if (c->notifier) c->notifier->setEnabled(true);
  }
  if (!intact) dropConnection(c);
}

bool LinkEndpoint::writeAnswers(const std::shared_ptr<Connection>& c) {
  // Answers that piled up go out together: a byte per send costs the
  // sender's socket buffer far more than the byte itself.
  static const QByteArray kAnswers(256, kAck);
  bool progress = false;
  while (c->owed > 0) {
    const qint64 chunk = std::min<qint64>(c->owed, kAnswers.size());
    const ssize_t n = ::send(c->fd, kAnswers.constData(), static_cast<size_t>(chunk),
                             MSG_NOSIGNAL | MSG_DONTWAIT);
    if (n > 0) {
      c->owed -= n;
      progress = true;
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n == 0 || errno == EAGAIN || errno == EWOULDBLOCK) break;  // no room yet
    return false;
  }
  if (c->owed == 0) {
    if (c->writable) c->writable->setEnabled(false);
    if (c->stall) c->stall->stop();
    return true;
  }
  // A sender that writes ahead reads its answers later; it has as long as a
  // sender waits for an answer to start taking them.
  std::weak_ptr<Connection> weak = c;
  if (!c->writable) {
    c->writable = new QSocketNotifier(c->fd, QSocketNotifier::Write);
    connect(c->writable, &QSocketNotifier::activated, this, [this, weak] {
      if (auto conn = weak.lock(); conn && !writeAnswers(conn)) dropConnection(conn);
    });
  }
  c->writable->setEnabled(true);
  if (!c->stall) {
    c->stall = new QTimer;
    c->stall->setSingleShot(true);
    connect(c->stall, &QTimer::timeout, this, [this, weak] {
      if (auto conn = weak.lock()) dropConnection(conn);
    });
  }
  if (progress || !c->stall->isActive()) c->stall->start(DefaultReplyTimeout());
  return true;
}

void LinkEndpoint::dropConnection(const std::shared_ptr<Connection>& conn) {
  const std::shared_ptr<Connection> c = conn;
  if (c->dead) return;
  c->dead = true;
  Retire(c->notifier);
  c->notifier = nullptr;
  Retire(c->writable);
  c->writable = nullptr;
  Retire(c->stall);
  c->stall = nullptr;
  ::close(c->fd);
  c->fd = -1;
  std::erase(connections_, c);
  // A crowd of peers that each sent most of a long message and left leaves
  // the allocator holding all those buffers, freed but scattered through the
  // heap: once enough of that has come together (or the last connection is
  // gone after some of it), it is given back.
  released_ += c->parser.pending();
  c->parser = FrameParser();
  if (released_ >= kReleaseAfterBytes || (connections_.empty() && released_ > 0)) {
    released_ = 0;
#ifdef __GLIBC__
    ::malloc_trim(0);
#endif
  }
}

void LinkEndpoint::collectWatches(std::vector<Watch>& out) const {
  const bool accepting = !(acceptRetry_ && acceptRetry_->isActive());
  if (listenFd_ >= 0 && accepting) out.push_back({listenFd_, POLLIN, nullptr});
  for (const auto& c : connections_) {
    if (c->dead) continue;
    // A connection whose message is being handled is not read meanwhile: its
    // later messages must not overtake that one. Its owed answers still go.
    const short events = static_cast<short>((c->busy ? 0 : POLLIN) | (c->owed > 0 ? POLLOUT : 0));
    if (events) out.push_back({c->fd, events, c});
  }
}

void LinkEndpoint::serve(const Watch& w, short revents) {
  if (!w.conn) {
    if (listenFd_ >= 0 && listenFd_ == w.fd) acceptPending();
    return;
  }
  if (w.conn->dead) return;
  if ((w.events & POLLOUT) && (revents & (POLLOUT | POLLHUP | POLLERR)) && !writeAnswers(w.conn)) {
    dropConnection(w.conn);
    return;
  }
  if ((w.events & POLLIN) && (revents & (POLLIN | POLLHUP | POLLERR))) serveConnection(w.conn);
}

}  // namespace qm::link
