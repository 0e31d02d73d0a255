#pragma once

#include <QString>
#include <memory>

namespace qm::link {

class LinkEndpoint;

// How long a sender waits for the 0x06 answer before it gives the delivery up.
inline constexpr int kDefaultReplyTimeoutMs = 5000;

// Process-wide bound used by senders that were not given their own (tests
// shorten it); 0 or less restores the default.
void SetDefaultReplyTimeout(int ms);
int DefaultReplyTimeout();

// Delivers messages to the endpoint "<dir>/<handle>" over one connection that
// stays open between messages. send() writes the frame and waits for the
// answer; during the wait it serves the endpoint `own` (if any), so that a
// peer which answers by sending to us from inside its handler does not
// deadlock. The wait watches these sockets only: no event loop runs, and no
// user input is handled in the middle of the caller's work.
//
// Every failure (refused folder, no such endpoint, refused connection, peer
// that closes or never answers within the bound) is a silent false.
class LinkSender {
 public:
  explicit LinkSender(qint32 handle, LinkEndpoint* own = nullptr, const QString& dir = {});
  ~LinkSender();
  LinkSender(const LinkSender&) = delete;
  LinkSender& operator=(const LinkSender&) = delete;

  bool send(const QString& text);

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
