#pragma once

#include <QString>
#include <memory>

namespace qm::link {

class LinkEndpoint;

// How long a sender waits for the 0x06 answer before it gives the delivery up.
inline constexpr int kDefaultReplyTimeoutMs = 5000;
// How many waits may be nested in one another on a thread. A wait serves our
// own endpoint, and a handler run there may send and so wait again; beyond
// this depth a wait serves nothing, and whatever arrives meanwhile stays
// queued on its connection, in order, until the waits have unwound.
inline constexpr int kMaxNestedWaits = 4;

// Process-wide bound used by senders that were not given their own (tests
// shorten it); 0 or less restores the default.
void SetDefaultReplyTimeout(int ms);
int DefaultReplyTimeout();

// What became of one message.
enum class Delivery {
  Answered,  // the peer has handled it, and everything sent to it before
  Failed,    // no endpoint, a refused connection, a peer that closed or broke the protocol
  NoAnswer,  // no answer in the time there was; the peer may still act on it later
};

// Delivers messages to the endpoint "<dir>/<handle>" over one connection that
// stays open between messages. send() writes the frame and waits for the
// answer; during the wait it serves the endpoint `own` (if any), so that a
// peer which answers by sending to us from inside its handler does not
// deadlock. The wait watches these sockets only: no event loop runs, and no
// user input is handled in the middle of the caller's work.
//
// A wait nested in another (a handler served during the first one sends
// again) ends no later than the one it is nested in, so no chain of messages
// stretches a wait beyond its bound.
//
// A message whose answer does not come in time is not taken back: the
// connection is kept, later messages follow it in order, and the answer to a
// later one counts only once every earlier message has been answered too.
//
// Every failure (refused folder, no such endpoint, refused connection, peer
// that closes or never answers within the bound) is a silent false.
class LinkSender {
 public:
  explicit LinkSender(qint32 handle, LinkEndpoint* own = nullptr, const QString& dir = {});
  ~LinkSender();
  LinkSender(const LinkSender&) = delete;
  LinkSender& operator=(const LinkSender&) = delete;

  bool send(const QString& text) { return deliver(text) == Delivery::Answered; }
  Delivery deliver(const QString& text);

  // Bound of the wait in milliseconds; 0 or less follows DefaultReplyTimeout().
  void setReplyTimeout(int ms);
  void setOwnEndpoint(LinkEndpoint* own);
  qint32 handle() const;
  bool isConnected() const;
  // True while send() waits for its answer (a nested call is in progress).
  bool isWaiting() const;
  void disconnect();

 private:
  struct State;
  std::shared_ptr<State> d_;
};

// One message to `handle`, in the folder in force (LinkDirectory()). Keeps a
// connection per target open for the thread, so a stream of messages costs no
// new connection each.
bool SendLinkText(qint32 handle, const QString& text, LinkEndpoint* own = nullptr);

}  // namespace qm::link
