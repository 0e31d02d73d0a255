#include "platform/link/LinkSender.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QFile>
#include <QPointer>
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <vector>

#include "platform/link/FrameParser.h"
#include "platform/link/LinkDirectory.h"
#include "platform/link/LinkEndpoint.h"
#include "platform/link/LinkText.h"

namespace qm::link {

namespace {

using Clock = std::chrono::steady_clock;
constexpr char kAck = 0x06;

std::atomic<int> g_defaultTimeoutMs{kDefaultReplyTimeoutMs};

QString EffectiveDirectory(const QString& dir) {
  // The folder in force, the private one included where /tmp's was taken.
  return dir.isEmpty() ? LinkDirectory().path : dir;
}

int Connect(const QString& dir, qint32 handle) {
  if (handle <= 0) return -1;
  const LinkDirResult checked = PrepareLinkDirectory(dir);
  if (!checked.ok()) return -1;
  const QByteArray native = QFile::encodeName(checked.path + u'/' + QString::number(handle));
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  if (native.size() >= static_cast<qsizetype>(sizeof addr.sun_path)) return -1;
  std::memcpy(addr.sun_path, native.constData(), static_cast<size_t>(native.size()));
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  if (fd < 0) return -1;
  // Non-blocking: a local connect either succeeds at once or fails at once
  // (EAGAIN when the listener's queue is full, which a healthy peer never
  // lets happen); it can never hold us up.
  if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

// The waits in progress on this thread: how many are nested in one another,
// and when the innermost one has to end.
struct WaitNesting {
  int depth = 0;
  Clock::time_point deadline;
};
thread_local WaitNesting t_nesting;

// Enters one more wait for a scope and leaves it again.
class NestedWait {
 public:
  explicit NestedWait(Clock::time_point deadline) : saved_(t_nesting) {
    ++t_nesting.depth;
    t_nesting.deadline = deadline;
  }
  ~NestedWait() { t_nesting = saved_; }
  NestedWait(const NestedWait&) = delete;
  NestedWait& operator=(const NestedWait&) = delete;

 private:
  WaitNesting saved_;
};

}  // namespace

void SetDefaultReplyTimeout(int ms) {
  g_defaultTimeoutMs.store(ms > 0 ? ms : kDefaultReplyTimeoutMs);
}

int DefaultReplyTimeout() { return g_defaultTimeoutMs.load(); }

struct LinkSender::State {
  qint32 handle = 0;
  QPointer<LinkEndpoint> own;
  QString dir;
  int timeoutMs = 0;
  int fd = -1;
  // Messages on this connection still waiting for their answer: they missed
  // the bound, and the peer may answer them yet.
  qint64 unanswered = 0;
  bool waiting = false;

  // Kept between messages: every look change goes through here, and the
  // lists hardly ever change size.
  std::vector<pollfd> fds;
  std::vector<LinkEndpoint::Watch> watches;

  ~State() { closeSocket(); }
  void closeSocket() {
    if (fd >= 0) ::close(fd);
    fd = -1;
    unanswered = 0;
  }
  bool takeLateAnswers();
  // Writes what it can of the frame at once; false when the connection is
  // broken (the peer closed it).
  bool sendSome(const QByteArray& frame, qsizetype& written);
  Delivery transfer(const QByteArray& frame, Clock::time_point deadline, qsizetype written);
};

// Between messages a kept connection carries nothing but the late answers to
// messages that missed their bound. Takes those; false when the connection
// can no longer be used (the peer closed it, or sent something else).
bool LinkSender::State::takeLateAnswers() {
  char answers[256];
  for (;;) {
    const ssize_t n = ::recv(fd, answers, sizeof answers, MSG_DONTWAIT);
    if (n == 0) return false;
    if (n < 0) {
      if (errno == EINTR) continue;
      return errno == EAGAIN || errno == EWOULDBLOCK;
    }
    for (ssize_t i = 0; i < n; ++i) {
      if (answers[i] != kAck || unanswered == 0) return false;
      --unanswered;
    }
  }
}

bool LinkSender::State::sendSome(const QByteArray& frame, qsizetype& written) {
  const ssize_t n =
      ::send(fd, frame.constData() + written, static_cast<size_t>(frame.size() - written),
             MSG_NOSIGNAL | MSG_DONTWAIT);
  if (n > 0) {
    written += n;
    return true;
  }
  return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR;
}

Delivery LinkSender::State::transfer(const QByteArray& frame, Clock::time_point deadline,
                                     qsizetype written) {
  // Answers still to come: those of earlier messages first, ours last.
  qint64 awaited = unanswered + 1;
  // Deeper waits serve nothing: what arrives waits for the stack to unwind.
  const bool serveOwn = t_nesting.depth < kMaxNestedWaits;
  for (;;) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0) {
      // A whole frame stays on the connection and may still be answered; half
      // of one would garble whatever followed it.
      if (written < frame.size()) {
        closeSocket();
      } else {
        unanswered = awaited;
      }
      return Delivery::NoAnswer;
    }

    fds.clear();
    watches.clear();
    const short want = POLLIN | (written < frame.size() ? POLLOUT : 0);
    fds.push_back({fd, want, 0});
    if (own && serveOwn) own->collectWatches(watches);
    for (const auto& w : watches) fds.push_back({w.fd, w.events, 0});

    const int ready = ::poll(fds.data(), fds.size(), static_cast<int>(left));
    if (ready < 0) {
      if (errno == EINTR) continue;
      closeSocket();
      return Delivery::Failed;
    }
    if (ready == 0) continue;

    const short ev = fds[0].revents;
    if (ev & POLLNVAL) {
      fd = -1;  // not ours any more; nothing to close
      closeSocket();
      return Delivery::Failed;
    }
    if ((ev & POLLOUT) && written < frame.size() && !sendSome(frame, written)) {
      closeSocket();  // EPIPE and the like: the peer has gone
      return Delivery::Failed;
    }
    if (ev & (POLLIN | POLLHUP | POLLERR)) {
      char answers[256];
      const ssize_t n = ::recv(fd, answers, sizeof answers, MSG_DONTWAIT);
      if (n == 0 || (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)) {
        closeSocket();
        return Delivery::Failed;
      }
      for (ssize_t i = 0; i < n; ++i) {
        // Nothing but answers may come, and never one for a message that has
        // not been written whole.
        if (answers[i] != kAck || (--awaited == 0 && written < frame.size()) || awaited < 0) {
          closeSocket();
          return Delivery::Failed;
        }
      }
      if (awaited == 0) {
        unanswered = 0;
        return Delivery::Answered;
      }
    }
    // Messages sent to us meanwhile, possibly by the very peer we wait for.
    // A handler run here may send again; that nests like a window procedure
    // handling a sent message during SendMessage.
    for (size_t i = 0; i < watches.size(); ++i) {
      if (!own) break;  // a handler destroyed our endpoint
      if (fds[i + 1].revents) own->serve(watches[i], fds[i + 1].revents);
    }
  }
}

LinkSender::LinkSender(qint32 handle, LinkEndpoint* own, const QString& dir)
    : d_(std::make_shared<State>()) {
  d_->handle = handle;
  d_->own = own;
  d_->dir = dir;
}

LinkSender::~LinkSender() = default;

void LinkSender::setReplyTimeout(int ms) { d_->timeoutMs = ms; }
void LinkSender::setOwnEndpoint(LinkEndpoint* own) { d_->own = own; }
qint32 LinkSender::handle() const { return d_->handle; }
bool LinkSender::isConnected() const { return d_->fd >= 0; }
bool LinkSender::isWaiting() const { return d_->waiting; }
void LinkSender::disconnect() {
  if (!d_->waiting) d_->closeSocket();
}

Delivery LinkSender::deliver(const QString& text) {
  // Our own reference: a handler served during the wait may destroy the
  // LinkSender itself (a window closing on "W=0", say).
  const std::shared_ptr<State> s = d_;
  QByteArray frame = EncodeLinkText(text);
  // The receiver would refuse it and drop the connection; refuse it here.
  if (frame.size() > FrameParser::kMaxText) return Delivery::Failed;
  frame.append('\0');

  if (s->waiting) {
    // A handler served during our wait sends to the same target. Our
    // connection is mid-exchange and its peer will not read it again before
    // answering, so this message takes a connection of its own.
    LinkSender extra(s->handle, s->own, s->dir);
    extra.setReplyTimeout(s->timeoutMs);
    return extra.deliver(text);
  }

  const int timeout = s->timeoutMs > 0 ? s->timeoutMs : DefaultReplyTimeout();
  auto deadline = Clock::now() + std::chrono::milliseconds(timeout);
  // Served during another wait: ours ends with it, and once it is over there
  // is no time left at all.
  if (t_nesting.depth > 0) deadline = std::min(deadline, t_nesting.deadline);
  if (deadline <= Clock::now()) return Delivery::NoAnswer;

  // Late answers owed on a kept connection are taken first. Otherwise the
  // frame goes out at once, without a look at the connection first: a peer
  // that has closed it since shows as a broken pipe before any byte of ours
  // went anywhere, and the frame then takes a new connection.
  if (s->fd >= 0 && s->unanswered > 0 && !s->takeLateAnswers()) s->closeSocket();
  qsizetype written = 0;
  if (s->fd >= 0 && !s->sendSome(frame, written)) s->closeSocket();
  if (s->fd < 0) {
    s->fd = Connect(EffectiveDirectory(s->dir), s->handle);
    if (s->fd < 0) return Delivery::Failed;
    if (!s->sendSome(frame, written)) {
      s->closeSocket();
      return Delivery::Failed;
    }
  }

  const NestedWait nesting(deadline);
  s->waiting = true;
  const Delivery result = s->transfer(frame, deadline, written);
  s->waiting = false;
  return result;
}

namespace {

struct CachedSender {
  QString dir;
  qint32 handle;
  std::shared_ptr<LinkSender> sender;
};

constexpr size_t kMaxCachedSenders = 8;

}  // namespace

bool SendLinkText(qint32 handle, const QString& text, LinkEndpoint* own) {
  if (handle <= 0) return false;
  static thread_local std::vector<CachedSender> cache;
  const QString dir = EffectiveDirectory({});
  std::shared_ptr<LinkSender> sender;
  for (const auto& e : cache)
    if (e.handle == handle && e.dir == dir) sender = e.sender;
  if (sender && sender->isWaiting()) {
    // Nested send to a target we are already waiting for: see LinkSender::send.
    LinkSender extra(handle, own, dir);
    return extra.send(text);
  }
  if (!sender) {
    if (cache.size() >= kMaxCachedSenders) {
      for (auto it = cache.begin(); it != cache.end(); ++it) {
        if (!it->sender->isWaiting()) {
          cache.erase(it);
          break;
        }
      }
    }
    sender = std::make_shared<LinkSender>(handle, own, dir);
    cache.push_back({dir, handle, sender});
  }
  sender->setOwnEndpoint(own);
  return sender->send(text);
}

}  // namespace qm::link
