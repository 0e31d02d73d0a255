#pragma once

#include <QObject>
#include <QProcess>
#include <QStringList>
#include <memory>

#include "platform/link/LinkEndpoint.h"
#include "platform/link/LinkSender.h"

class QSocketNotifier;

namespace qm::testhost {

struct TestHostOptions {
  qint32 handle = 0;
  QString editor;
  QString text = QStringLiteral("+38°");
  bool passText = true;
  int hangMs = 0;
  bool exitAfterW0 = true;
  QString linkDir;  // empty: the usual folder
};

// Plays the host's side of the link: listens on its own endpoint, starts the
// editor with "handle|text", prints every message on stdout (one per line,
// nothing added, flushed at once) and sends each stdin line to the handle the
// editor announced last.
class TestHost : public QObject {
  Q_OBJECT

 public:
  explicit TestHost(TestHostOptions options, QObject* parent = nullptr);

  // False (with a diagnostic on stderr) when the endpoint or the editor
  // cannot be started.
  bool start();
  // Gives a still running editor a moment to finish after "W=0".
  void waitForEditor(int ms);

 Q_SIGNALS:
  void finished(int exitCode);

 private:
  void onMessage(const QString& text);
  void onStdinReadable();
  void flushQueue();
  void onEditorFinished(int exitCode, QProcess::ExitStatus status);

  TestHostOptions options_;
  link::LinkEndpoint endpoint_;
  std::unique_ptr<link::LinkSender> sender_;
  qint32 editorHandle_ = 0;
  QProcess editor_;
  QSocketNotifier* stdin_ = nullptr;
  QByteArray stdinBuffer_;
  QStringList queue_;
  bool flushing_ = false;
};

}  // namespace qm::testhost
