#pragma once
// The editor's side of the host link and the life of the current line.
//
// SendText is the one road a look change takes: the message goes to the host
// first, then into the line (Text1) and the typed copy, then the one-shot save
// timer starts anew, so a burst of changes is written once, a second after the
// last, into the look store. Messages from the host arrive on our own link
// endpoint and are written into txtMsg, whose change handler acts on the four
// texts the host may send.
//
// What the host asks of the window (closing it, showing it, selecting a font)
// comes in as hooks, so the session runs without a window.

#include <QObject>
#include <QString>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <memory>

#include "platform/link/LinkEndpoint.h"
#include "session/EditorState.h"
#include "session/HostPatience.h"
#include "session/LookStore.h"

namespace qm {

namespace link {
class LinkSender;
}

class HostSession : public QObject, public LookSender {
  Q_OBJECT
 public:
  explicit HostSession(EditorState& state, QObject* parent = nullptr);
  ~HostSession() override;

  struct Hooks {
    std::function<void()> closeWindow;               // host wrote "W=0"
    std::function<void()> restoreWindow;             // host wrote "W=1"
    std::function<void(const QString&)> selectFont;  // "F=": select, silently
    std::function<void()> fontClick;                 // then the list's own handling
    // The line changed from `before` (the fallback line when the line had
    // none) to `after` by a change of the user's or the host's, not by the
    // start-up replay: what the undo history records.
    std::function<void(const QString& before, const QString& after)> lineChanged;
  };
  Hooks hooks;

  // Where endpoints live; empty means the usual folder.
  void SetLinkDirectory(const QString& dir) { linkDir_ = dir; }
  // Starts listening for the host when one is attached, so that the host can
  // answer as soon as we announce ourselves. The handle is the process id (or,
  // if that endpoint is taken, a number derived from it). Dead endpoints that
  // killed programs left in the folder are cleared away first.
  bool Listen();
  // Our address for the host ("txtMsg's window handle"); 0 before Listen.
  std::int32_t TxtMsgHandle() const;
  link::LinkEndpoint& Endpoint() { return endpoint_; }

  // Sends one host message and applies it. False when nothing was applied:
  // the message was refused (a value the line cannot hold, a malformed "A="
  // line; then it is not sent either) or it does not touch the line ("W=").
  // A host that stopped answering and answers again is sent "A=" + the line
  // afterwards, so that it catches up with what it missed.
  bool SendText(const QString& sMsg) override;
  // "W=" + our handle, when a host is attached.
  void SendHwnd();
  // Another start of the editor, for the host `host`, reached us instead of
  // running beside us. We serve that host from now on (announced, and sent
  // the whole look, which may hold changes ours never received) only when
  // ours is gone for good: its endpoint is missing or refuses us. A host that
  // is merely slow may come back, and keeps us. True when we serve `host`.
  bool AdoptHost(std::int32_t host, const QString& sampleText);
  // The window has closed: stop listening, and send or apply nothing more
  // (controls torn down afterwards must not reach the host or the line).
  void Close();
  // Acts on the text the host wrote into txtMsg.
  void txtMsg_Change();

  // The store arrives during start-up, after the announcement: until then
  // nothing starts the save. Null stops saving (the store is going away).
  void SetStore(LookStore* store) { store_ = store; }
  // The one-shot save timer: a second after the last change by default.
  QTimer& SaveTimer() { return saveTimer_; }
  bool SavePending() const { return saveTimer_.isActive(); }
  // Writes the line into the store now, as the save timer does when it runs
  // out; a store that refused it for now has the save wait its turn again.
  void Save();
  // Writes a save still waiting in the timer (the window is closing).
  void FlushPendingSave();
  int SaveCount() const { return saveCount_; }

  // The font of the default look: a listed one, handed over whenever the
  // font list is filled or its choice changes.
  void SetFallbackFont(const QString& font) { fallbackFont_ = font; }
  // A complete line for a look that has none (the fallback font, neutral
  // tone).
  QString FallbackLine() const;

 private:
  void Deliver(const QString& sMsg);
  void CatchUpHost(const QString& sMsg);
  void EndActionOnNextLoop();
  void RestartSaveTimer();

  EditorState& state_;
  LookStore* store_ = nullptr;
  QTimer saveTimer_;
  link::LinkEndpoint endpoint_;
  std::unique_ptr<link::LinkSender> sender_;
  QString linkDir_;
  QString fallbackFont_;
  mutable QString fallbackLineFont_;  // the font fallbackLine_ was built for
  mutable QString fallbackLine_;
  int saveCount_ = 0;
  bool closed_ = false;
  HostPatience patience_;
  int delivering_ = 0;
  bool actionEndPosted_ = false;
};

}  // namespace qm
