#include "params/ui/HostSession.h"

#include <QCoreApplication>

#include "params/ParamLine.h"
#include "platform/Classic.h"
#include "platform/link/LinkSender.h"

namespace qm {

BlinkLook BlinkStep(std::int16_t& phase) {
  static constexpr BlinkLook kLooks[4] = {{6, 1}, {12, 1}, {6, 3}, {12, 3}};
  phase = static_cast<std::int16_t>(phase + 1);
  if (phase > 3 || phase < 0) phase = 0;
  return kLooks[phase];
}

HostSession::HostSession(EditorState& state, QLineEdit* Text1, QLineEdit* txtMsg, QObject* parent)
    : QObject(parent), state_(state), Text1_(Text1), txtMsg_(txtMsg) {
  // Text1 is never shown: without echo it holds the line without laying the
  // text out on every change, which would cost more than the delivery.
  Text1_->setEchoMode(QLineEdit::NoEcho);
  state_.sendText = [this](const QString& sMsg) { return SendText(sMsg); };
  // The host "sets the text of txtMsg": the change handler does the rest. The
  // connection is direct, so the message has been acted upon before the
  // endpoint answers the host.
  connect(&endpoint_, &link::LinkEndpoint::messageReceived, txtMsg_,
          [this](const QString& text) { txtMsg_->setText(text); });
  connect(txtMsg_, &QLineEdit::textChanged, this, &HostSession::txtMsg_Change);
}

HostSession::~HostSession() { state_.sendText = nullptr; }

bool HostSession::Listen() {
  if (state_.HostHwnd <= 0) return false;
  if (!linkDir_.isEmpty()) endpoint_.setDirectory(linkDir_);
  // Process ids stay below 2^22; should our id's endpoint be held by a live
  // peer (another editor in the same process tree, a test), numbers above
  // that range cannot collide with any process id.
  const auto pid = static_cast<std::int32_t>(QCoreApplication::applicationPid());
  for (std::int32_t k = 0; k < 8; ++k) {
    const std::int32_t handle = pid + k * (1 << 22);
    if (handle > 0 && endpoint_.listen(handle)) return true;
  }
  return false;
}

std::int32_t HostSession::TxtMsgHandle() const {
  return endpoint_.isListening() ? endpoint_.handle() : 0;
}

void HostSession::Deliver(const QString& sMsg) {
  if (!sender_ || sender_->handle() != state_.HostHwnd)
    sender_ = std::make_unique<link::LinkSender>(state_.HostHwnd, &endpoint_, linkDir_);
  // A host that is gone or does not answer within the bound is a failed
  // delivery and nothing more: the line still changes and is still saved.
  sender_->send(sMsg);
}

QString HostSession::FallbackLine() const {
  // Built once per font: every SendText needs it at hand, and building a line
  // costs more than applying a change to one.
  const QString font = hooks.fallbackFont ? hooks.fallbackFont() : QString();
  if (font != fallbackFont_ || fallbackLine_.isEmpty()) {
    fallbackFont_ = font;
    fallbackLine_ = params::DefaultLine(font);
  }
  return fallbackLine_;
}

void HostSession::RefreshCurrentParams() {
  const QStringList fields = classic::Split(Text1_->text(), u'|', params::kFieldCount);
  if (const auto c = params::Param2Param(fields)) state_.CurrentParams = *c;
}

bool HostSession::SendText(const QString& sMsg) {
  if (muted_ > 0) return false;
  const QStringView key = QStringView(sMsg).left(2);
  const QString value = sMsg.mid(2);
  const bool wholeLine = key == u"A=";
  const std::optional<int> keyIndex = wholeLine ? std::nullopt : params::KeyFieldIndex(key);
  const bool fieldKey = keyIndex.has_value();
  const int index = keyIndex.value_or(0);

  // A value the line could not hold is refused before it goes anywhere: the
  // host and the editor must not part ways over a message only one applied.
  // The change is worked out now, and used as it is unless the host made us
  // change the line while we waited for its answer.
  const QString before = Text1_->text();
  std::optional<params::ParamLineResult> change;
  if (wholeLine && !params::IsValidLine(value)) return false;
  if (fieldKey) {
    change = params::Param2Text(before, value, index, FallbackLine());
    if (!change) return false;
  }

  // 1. The host first, whatever the key.
  if (state_.HostHwnd > 0) Deliver(sMsg);

  // 2, 3. Then our own line.
  if (wholeLine) {
    Text1_->setText(value);
    RefreshCurrentParams();
  } else if (fieldKey) {
    if (Text1_->text() != before) {
      change = params::Param2Text(Text1_->text(), value, index, FallbackLine());
      if (!change) return false;
    }
    Text1_->setText(change->line);
    state_.CurrentParams = change->current;
  } else {
    return false;  // "W=" and the like: neither the line nor the timer
  }
  // 4.
  RestartSaveTimer();
  return true;
}

void HostSession::RestartSaveTimer() {
  if (!saveTimer_) return;
  saveTimer_->stop();
  saveTimer_->start();
}

void HostSession::SendHwnd() {
  if (state_.HostHwnd < 1) return;
  const std::int32_t own = TxtMsgHandle();
  // Without an endpoint of our own there is nothing to announce; "W=0" would
  // tell the host that we have closed.
  if (own <= 0) return;
  SendText(QStringLiteral("W=") + QString::number(own));
}

void HostSession::Close() {
  ++muted_;
  endpoint_.close();
  if (saveTimer_) saveTimer_->stop();
}

void HostSession::txtMsg_Change() {
  const QString text = txtMsg_->text();
  if (text.isEmpty()) return;
  if (text == u"W=2") {
    txtMsg_->clear();
    SendHwnd();
  } else if (text == u"W=0") {
    if (hooks.closeWindow) hooks.closeWindow();
  } else if (text == u"W=1") {
    if (hooks.restoreWindow) hooks.restoreWindow();
    txtMsg_->clear();
  } else if (text.startsWith(u"F=")) {
    // A name we do not list leaves the selection as it is; the font named
    // back is then the one in use, so the host learns what we show.
    if (hooks.selectFont) hooks.selectFont(text.mid(2));
    txtMsg_->clear();
    if (hooks.fontClick) hooks.fontClick();
  }
  // Anything else stays in the box, untouched.
}

void HostSession::tmr_Timer(int Index) {
  if (Index == 1) {
    if (saveTimer_) saveTimer_->stop();
    ++saveCount_;
    if (hooks.saveLine) hooks.saveLine(Text1_->text());
  } else if (Index == 0) {
    const BlinkLook look = BlinkStep(BlinkPhase);
    if (hooks.showBlink) hooks.showBlink(look);
  }
}

void HostSession::FlushPendingSave() {
  if (SavePending()) tmr_Timer(1);
}

}  // namespace qm
