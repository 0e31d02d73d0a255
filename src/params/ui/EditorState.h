#pragma once
// The editor state every page reads: who the host is, what the sample text is,
// and whether the window is filling its own controls (FormReady false), in
// which case handlers update their displays but stay silent.

#include <QObject>
#include <QString>
#include <cstdint>
#include <functional>

#include "params/StampParams.h"

namespace qm {

class EditorState : public QObject {
  Q_OBJECT
 public:
  using QObject::QObject;

  std::int32_t HostHwnd = 0;
  QString sampleText;
  bool FormReady = false;
  std::int16_t CurrentPage = 0;

  // The typed copy of the current line (colours 0x00BBGGRR), refreshed only
  // when the line changes.
  params::CurrentParams CurrentParams;

  // Every page sends its host messages through here; the host session
  // installs the one implementation (delivery, the line, the save timer).
  // False when the message was refused (a value the line cannot hold).
  std::function<bool(const QString&)> sendText;
  bool SendText(const QString& sMsg) const { return sendText ? sendText(sMsg) : false; }
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
