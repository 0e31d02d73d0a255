#pragma once
// The editor's side of the host link and the life of the current line.
//
// SendText is the one road a look change takes: the message goes to the host
// first, then into the line (Text1) and the typed copy, then the one-shot save
// timer starts anew, so a burst of changes is written once, a second after the
// last. Messages from the host arrive on our own link endpoint and are written
// into txtMsg, whose change handler acts on the four texts the host may send.
//
// What the session needs from the window (closing it, showing it, the font
// list, the INI file, the palette mark) comes in as hooks, so it runs without
// a window.

#include <QObject>
#include <QString>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <memory>

#include "params/EditorState.h"
#include "params/HostPatience.h"
#include "platform/link/LinkEndpoint.h"

namespace qm {

namespace link {
class LinkSender;
}

// The four looks of the palette mark, one per blink tick: the raster
// operation (6 inverts, 12 merges the inverted pen) and the outline style
// (1 solid, 3 dotted).
struct BlinkLook {
  int drawMode;
  int borderStyle;
  friend bool operator==(const BlinkLook&, const BlinkLook&) = default;
};
// Advances the phase (0..3, wrapping) and gives the look of the new phase.
BlinkLook BlinkStep(std::int16_t& phase);

class HostSession : public QObject, public LookSender {
  Q_OBJECT
 public:
  explicit HostSession(EditorState& state, QObject* parent = nullptr);
  ~HostSession() override;

  struct Hooks {
    std::function<void()> closeWindow;                // host wrote "W=0"
    std::function<void()> restoreWindow;              // host wrote "W=1"
    std::function<void(const QString&)> selectFont;   // "F=": select, silently
    std::function<void()> fontClick;                  // then the list's own handling
    std::function<QString()> fallbackFont;            // a listed font for a default line
    std::function<bool(const QString&)> saveLine;     // INI "General"/"Selected"; false: retry
    std::function<void(const BlinkLook&)> showBlink;  // the palette mark
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

  // The save timer arrives during start-up, after the announcement.
  void SetSaveTimer(QTimer* t) { saveTimer_ = t; }
  // Index 0: blink tick; index 1: the save.
  void tmr_Timer(int Index);
  bool SavePending() const { return saveTimer_ && saveTimer_->isActive(); }
  // Writes a save still waiting in the timer (the window is closing).
  void FlushPendingSave();
  int SaveCount() const { return saveCount_; }
  std::int16_t BlinkPhase = 0;

  // A complete line for a look that has none (a listed font, neutral tone).
  QString FallbackLine() const;

  // While a Mute lives, SendText drops every message: the window shows a
  // look that is not the user's yet, and nothing of it may reach the host or
  // the INI file.
  class Mute {
   public:
    explicit Mute(HostSession& s) : s_(s) { ++s_.muted_; }
    ~Mute() { --s_.muted_; }
    Mute(const Mute&) = delete;
    Mute& operator=(const Mute&) = delete;

   private:
    HostSession& s_;
  };

  // While a Replay lives, messages only say again what the line already
  // holds (start-up showing the stored look): they reach the host and the
  // line as ever, but they are no change of the user's, so they do not start
  // the save. Whatever the host asks for meanwhile is a change and is saved.
  class Replay {
   public:
    explicit Replay(HostSession& s) : s_(s) { ++s_.replaying_; }
    ~Replay() { --s_.replaying_; }
    Replay(const Replay&) = delete;
    Replay& operator=(const Replay&) = delete;

   private:
    HostSession& s_;
  };

 private:
  void Deliver(const QString& sMsg);
  void CatchUpHost(const QString& sMsg);
  void EndActionOnNextLoop();
  void RestartSaveTimer();

  EditorState& state_;
  QTimer* saveTimer_ = nullptr;
  link::LinkEndpoint endpoint_;
  std::unique_ptr<link::LinkSender> sender_;
  QString linkDir_;
  mutable QString fallbackFont_;
  mutable QString fallbackLine_;
  int saveCount_ = 0;
  int muted_ = 0;
  int replaying_ = 0;
  HostPatience patience_;
  int delivering_ = 0;
  bool actionEndPosted_ = false;
};

}  // namespace qm
