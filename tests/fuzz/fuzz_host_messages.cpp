// The editor's handling of messages without a window: what the pages send and
// what the host writes into the message box, in any order. Whatever arrives,
// the current line stays a valid 22-field line and the typed copy matches it.
#include <QCoreApplication>
#include <QList>

#include "FuzzSupport.h"
#include "session/EditorState.h"
#include "session/HostSession.h"
#include "stamp/ParamLine.h"
#include "stamp/StampParams.h"

using namespace qm;

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  // The session's timers and endpoint want an application object.
  static QCoreApplication app(*argc, *argv);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // One session for the run, as one window keeps one; each input starts
  // from the default look.
  static EditorState state;
  static HostSession session(state);
  static const QString start = [] {
    session.SetFallbackFont(QStringLiteral("DejaVu Sans"));
    session.hooks.selectFont = [](const QString&) {};
    return stamp::DefaultLine(QStringLiteral("DejaVu Sans"));
  }();
  state.Text1.setText(start);
  state.CurrentParams = *stamp::ParseLine(start);

  // Messages separated by zero bytes; a first byte of 1 makes it the host's.
  for (const QByteArray& raw : fuzz::Bytes(data, size).split('\0')) {
    if (!raw.isEmpty() && raw[0] == '\x01')
      state.txtMsg.setText(QString::fromLocal8Bit(raw.mid(1)));
    else
      session.SendText(QString::fromLocal8Bit(raw));
    const QString line = state.Text1.text();
    const auto parsed = stamp::ParseLine(line);
    fuzz::Check(parsed.has_value(), "the current line stays valid", line);
    fuzz::Check(*parsed == state.CurrentParams, "the typed copy matches the line", line);
  }
  return 0;
}
