#pragma once
// The editor state every page reads: who the host is, what the sample text is,
// whether the window is filling its own controls (FormReady false, in which
// case handlers update their displays but stay silent), the current line and
// the slot the host writes its messages into.
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
  bool FormReady = false;
  std::int16_t CurrentPage = 0;
  // This application is the active one: the mouse-over handlers move the
  // keyboard focus only then, never taking it from another program.
  bool AppActive = false;

  TextSlot Text1;   // the current parameter line
  TextSlot txtMsg;  // what the host last wrote to us
  // The typed copy of the current line, refreshed whenever the line changes
  // (colours as in the line, 0x00RRGGBB).
  stamp::StampParams CurrentParams;
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

// Clears FormReady for a scope and puts back what it was, so nested loads made
// by the program itself do not turn sending back on too early.
class FormReadyOff {
 public:
  explicit FormReadyOff(EditorState& s) : s_(s), saved_(s.FormReady) { s_.FormReady = false; }
  ~FormReadyOff() { s_.FormReady = saved_; }
  FormReadyOff(const FormReadyOff&) = delete;
  FormReadyOff& operator=(const FormReadyOff&) = delete;

 private:
  EditorState& s_;
  bool saved_;
};

}  // namespace qm
