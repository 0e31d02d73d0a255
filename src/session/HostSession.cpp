#include "session/HostSession.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QScopeGuard>
#include <QScopedValueRollback>

#include "platform/link/LinkLeftovers.h"
#include "platform/link/LinkSender.h"
#include "stamp/HostMessage.h"
#include "stamp/ParamLine.h"

namespace qm {

HostSession::HostSession(EditorState& state, QObject* parent) : QObject(parent), state_(state) {
  // The host "sets the text of txtMsg": the change handler does the rest. The
  // connection is direct, so the message has been acted upon before the
  // endpoint answers the host.
  connect(&endpoint_, &link::LinkEndpoint::messageReceived, this,
          [this](const QString& text) { state_.txtMsg.setText(text); });
  state_.txtMsg.setOnChange([this] { txtMsg_Change(); });
  saveTimer_.setObjectName(QStringLiteral("tmr_1"));
  saveTimer_.setSingleShot(true);
  saveTimer_.setTimerType(Qt::PreciseTimer);
  saveTimer_.setInterval(1000);
  connect(&saveTimer_, &QTimer::timeout, this, &HostSession::Save);
}

HostSession::~HostSession() {
  // The state outlives the session; nothing may call back into a session
  // that is gone.
  state_.txtMsg.setOnChange({});
}

bool HostSession::Listen() {
  if (state_.HostHwnd <= 0) return false;
  if (!linkDir_.isEmpty()) endpoint_.setDirectory(linkDir_);
  link::RemoveDeadEndpoints(linkDir_);
  return endpoint_.listenAtProcessHandle();
}

std::int32_t HostSession::TxtMsgHandle() const {
  return endpoint_.isListening() ? endpoint_.handle() : 0;
}

void HostSession::Deliver(const QString& sMsg) {
  if (!sender_ || sender_->handle() != state_.HostHwnd)
    sender_ = std::make_unique<link::LinkSender>(state_.HostHwnd, &endpoint_, linkDir_);
  // A host that is gone or does not answer within the bound is a failed
  // delivery and nothing more: the line still changes and is still saved.
  const int wait = patience_.NextWait(link::DefaultReplyTimeout());
  if (wait <= 0) {
    patience_.Skipped();
    return;
  }
  EndActionOnNextLoop();
  sender_->setReplyTimeout(wait);
  const QPointer<HostSession> self(this);
  QElapsedTimer clock;
  clock.start();
  ++delivering_;
  const link::Delivery outcome = sender_->deliver(sMsg);
  if (!self) return;
  --delivering_;
  patience_.Record(outcome, static_cast<int>(clock.elapsed()));
}

void HostSession::CatchUpHost(const QString& sMsg) {
  // Only when the outermost message is through (a nested one would send the
  // line before the message in flight is in it), and never after farewell.
  if (delivering_ > 0 || closed_ || state_.Muted() || state_.HostHwnd <= 0) return;
  static const QString farewell = stamp::AnnounceMessage(0);
  if (sMsg == farewell || !patience_.TakeCatchUp()) return;
  const QString line =
      stamp::IsValidLine(state_.Text1.text()) ? state_.Text1.text() : FallbackLine();
  if (stamp::IsValidLine(line)) Deliver(QStringLiteral("A=") + line);
}

void HostSession::EndActionOnNextLoop() {
  // Waits serve the link only and never run the event loop: once it runs
  // again, the user's action is over.
  if (actionEndPosted_) return;
  actionEndPosted_ = true;
  QTimer::singleShot(0, this, [this] {
    actionEndPosted_ = false;
    patience_.ActionEnded();
  });
}

QString HostSession::FallbackLine() const {
  // Built once per font: every SendText needs it at hand, and building a line
  // costs more than applying a change to one.
  if (fallbackFont_ != fallbackLineFont_ || fallbackLine_.isEmpty()) {
    fallbackLineFont_ = fallbackFont_;
    fallbackLine_ = stamp::DefaultLine(fallbackFont_);
  }
  return fallbackLine_;
}

bool HostSession::SendText(const QString& sMsg) {
  if (closed_ || state_.Muted()) return false;
  const auto catchUp = qScopeGuard([&] { CatchUpHost(sMsg); });
  // A value the line could not hold is refused before it goes anywhere: the
  // host and the editor must not part ways over a message only one applied.
  // The change is worked out now, and used as it is unless the host made us
  // change the line while we waited for its answer. "W=" messages change
  // nothing of ours but still go to the host.
  const QString before = state_.Text1.text();
  std::optional<stamp::ParamLineResult> change = stamp::ApplyMessage(before, sMsg, FallbackLine());
  const bool touchesLine = change.has_value();
  if (!touchesLine && stamp::IsLookMessage(sMsg)) return false;

  // The host first, whatever the key; then our own line. A change made to
  // the fallback look (no usable line yet) reaches the host after that whole
  // look, so that it draws what the INI file is about to hold, not its own.
  if (state_.HostHwnd > 0) {
    if (change && change->fromFallback) Deliver(stamp::WholeLineMessage(FallbackLine()));
    Deliver(sMsg);
  }
  if (!touchesLine) return false;
  if (state_.Text1.text() != before) {
    change = stamp::ApplyMessage(state_.Text1.text(), sMsg, FallbackLine());
    if (!change) return false;
  }
  const QString base = change->fromFallback ? FallbackLine() : state_.Text1.text();
  state_.Text1.setText(change->line);
  state_.CurrentParams = change->params;
  if (hooks.lineChanged && !state_.Replaying()) hooks.lineChanged(base, change->line);
  RestartSaveTimer();
  return true;
}

void HostSession::RestartSaveTimer() {
  if (!store_ || state_.Replaying()) return;
  saveTimer_.start();
}

void HostSession::SendHwnd() {
  if (state_.HostHwnd < 1) return;
  const std::int32_t own = TxtMsgHandle();
  // Without an endpoint of our own there is nothing to announce; "W=0" would
  // tell the host that we have closed.
  if (own <= 0) return;
  SendText(stamp::AnnounceMessage(own));
}

bool HostSession::AdoptHost(std::int32_t host, const QString& sampleText) {
  // The host we serve started another editor: we stay as we are, as one
  // editor per user has always meant.
  if (host <= 0 || host == state_.HostHwnd || state_.HostHwnd <= 0 || closed_ || state_.Muted() ||
      TxtMsgHandle() <= 0)
    return false;
  {
    // Asking ours to take our announcement again is harmless to a live host
    // and tells a dead one from a slow one.
    link::LinkSender probe(state_.HostHwnd, &endpoint_, linkDir_);
    if (probe.deliver(stamp::AnnounceMessage(TxtMsgHandle())) != link::Delivery::Failed)
      return false;
  }
  state_.HostHwnd = host;
  state_.sampleText = sampleText;
  sender_.reset();
  patience_ = HostPatience();
  SendHwnd();
  const QString line =
      stamp::IsValidLine(state_.Text1.text()) ? state_.Text1.text() : FallbackLine();
  if (stamp::IsValidLine(line)) Deliver(stamp::WholeLineMessage(line));
  return true;
}

void HostSession::Close() {
  closed_ = true;
  endpoint_.close();
  saveTimer_.stop();
}

void HostSession::txtMsg_Change() {
  // What the host asks for is a change, even in the middle of a replay.
  const QScopedValueRollback<int> hostSpeaks(state_.replaying_, 0);
  const QString text = state_.txtMsg.text();
  if (text.isEmpty()) return;
  if (text == u"W=2") {
    state_.txtMsg.clear();
    SendHwnd();
  } else if (text == u"W=0") {
    if (hooks.closeWindow) hooks.closeWindow();
  } else if (text == u"W=1") {
    if (hooks.restoreWindow) hooks.restoreWindow();
    state_.txtMsg.clear();
  } else if (text.startsWith(u"F=")) {
    // A name we do not list leaves the selection as it is; the font named
    // back is then the one in use, so the host learns what we show.
    if (hooks.selectFont) hooks.selectFont(text.mid(2));
    state_.txtMsg.clear();
    if (hooks.fontClick) hooks.fontClick();
  }
  // Anything else stays in the box, untouched.
}

void HostSession::Save() {
  saveTimer_.stop();
  ++saveCount_;
  const bool saved = !store_ || store_->SaveLine(state_.Text1.text());
  // A line the store could not keep for a reason that may pass (a full
  // disk) is not lost while the window is open: the save waits its turn
  // again. A closed session saves nothing more.
  if (!saved && !closed_ && !state_.Muted()) saveTimer_.start();
}

void HostSession::FlushPendingSave() {
  if (SavePending()) Save();
}

}  // namespace qm
