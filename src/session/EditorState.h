#pragma once
// The editor state every page reads: who the host is, what the sample text is,
// whether the program is setting controls or the line itself (see
// FillingControls), the current line and the slot the host writes its
// messages into.
//
// It is plain state, not widgets, so that the host link and the save can run
// and be tested without a window.

#include <QString>
#include <cstdint>
#include <functional>
#include <utility>

#include "stamp/StampParams.h"

namespace qm {

// A text with the change rule of a text box: setting the text it already
// holds raises nothing; any other text runs the change handler once.
class TextSlot {
 public:
  const QString& text() const { return text_; }
  void setText(const QString& text) {
    if (text == text_) return;
    text_ = text;
    if (onChange_) onChange_();
  }
  void clear() { setText(QString()); }
  // One handler; an empty function removes it.
  void setOnChange(std::function<void()> handler) { onChange_ = std::move(handler); }

 private:
  QString text_;
  std::function<void()> onChange_;
};

struct EditorState {
  std::int32_t HostHwnd = 0;  // > 0: a host is attached
  QString sampleText;         // the host's stamp text; empty draws the default
  std::int16_t CurrentPage = 0;
  // This application is the active one: the mouse-over handlers move the
  // keyboard focus only then, never taking it from another program.
  bool AppActive = false;

  TextSlot Text1;   // the current parameter line
  TextSlot txtMsg;  // what the host last wrote to us
  // The typed copy of the current line, refreshed whenever the line changes
  // (colours as in the line, 0x00RRGGBB).
  stamp::StampParams CurrentParams;

  // No one is filling the controls: their handlers send what they show.
  bool FormReady() const { return filling_ == 0; }
  // What is sent only says again what the line holds: no save starts.
  bool Replaying() const { return replaying_ > 0; }
  // Nothing reaches the host or the line.
  bool Muted() const { return muted_ > 0; }

 private:
  friend class FillingControls;
  friend class HostSession;  // a host's message is a change even in a replay
  int filling_ = 0;
  int replaying_ = 0;
  int muted_ = 0;
};

// The one road a look change takes: the pages hand every host message to it.
class LookSender {
 public:
  // False when nothing was applied (a refused value, a malformed "A=" line,
  // a message that does not touch the line).
  virtual bool SendText(const QString& sMsg) = 0;

 protected:
  ~LookSender() = default;
};

// The one way the program says "this is set from code, not by the user",
// for as long as the guard lives; guards nest. What a change set from code
// may still reach is what tells the three kinds apart, and they differ for
// real, so each keeps its own count:
// - Filling: the window puts values into its controls (start-up, a look
//   shown on the pages, another colour target shown). The handlers show the
//   values and send nothing (FormReady() is false). A few controls send
//   regardless, on purpose: the font list and the offset sliders, which is
//   how a look's font and offsets reach the host again.
// - Replay: start-up shows the stored look. What the controls send reaches
//   the host and the line as ever, but only says again what the line holds:
//   no save starts. What the host asks for meanwhile is a change, and saved.
// - Muted: the controls show a look that is not the user's (the default for
//   a line that cannot be read; a value the slider cannot hold shown at its
//   end; the host's font shown before it is named back). Nothing sent
//   meanwhile reaches the host or the line, whoever sends it.
class FillingControls {
 public:
  enum Kind { Filling, Replay, Muted };
  explicit FillingControls(EditorState& s, Kind kind = Filling) : count_(CountOf(s, kind)) {
    ++count_;
  }
  ~FillingControls() { --count_; }
  FillingControls(const FillingControls&) = delete;
  FillingControls& operator=(const FillingControls&) = delete;

 private:
  static int& CountOf(EditorState& s, Kind kind) {
    return kind == Replay ? s.replaying_ : kind == Muted ? s.muted_ : s.filling_;
  }
  int& count_;
};

}  // namespace qm
