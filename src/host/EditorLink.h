#pragma once
// The stamp's side of the host link: our own endpoint, which the editor writes
// its messages to, and the editor's, which it announces with "W=" + handle.
//
// The editor is started as a program of its own ("handle|text" on its command
// line), not as our child: it keeps running, and saving, if we end first, and
// it is told to close with "W=0" rather than killed. A start that ends without
// ever announcing itself (another editor already runs, and one is all a user
// may have) is noticed and told.

#include <QObject>
#include <QRect>
#include <QString>
#include <QTimer>
#include <functional>
#include <memory>

#include "host/HostNote.h"
#include "platform/link/LinkEndpoint.h"

namespace qm::link {
class LinkSender;
}

namespace qm::host {

class EditorLink : public QObject {
  Q_OBJECT
 public:
  explicit EditorLink(QObject* parent = nullptr);
  ~EditorLink() override;

  // Where endpoints live; empty means the usual folder. The editor is told
  // the same folder when it is not the usual one.
  void SetLinkDirectory(const QString& dir);
  void SetEditorProgram(const QString& path) { program_ = path; }
  // The language code ("ru", "en") the editor is started in, so that it
  // speaks as the stamp does; empty: the editor chooses as it would alone.
  void SetEditorLanguage(const QString& code) { language_ = code; }
  // Where the stamp's window stands when an editor is started (null while it
  // is not shown), so that the editor can open beside it.
  void SetStampFrame(std::function<QRect()> frame) { stampFrame_ = std::move(frame); }
  // The look of a stamp that keeps one of its own, handed to the editor it
  // starts so that the editor edits it and not the shared selection.
  void SetOwnLook(std::function<QString()> look) { ownLook_ = std::move(look); }
  // How long a started editor may take to announce itself before we stop
  // waiting for it (it may still announce itself later).
  void SetAnnounceTimeout(int ms) { announceTimeoutMs_ = ms; }

  // Listens on our endpoint (at our process id, or a number derived from it).
  bool Listen();
  qint32 Handle() const { return endpoint_.isListening() ? endpoint_.handle() : 0; }
  QString ErrorString() const { return endpoint_.errorString(); }

  qint32 EditorHandle() const { return editor_; }
  bool EditorStarting() const { return launchPid_ > 0; }

  enum class Open { Shown, Started, AlreadyStarting, Failed };
  // An announced editor is asked to show itself ("W=1"); one that no longer
  // answers is forgotten and a new one started with "handle|sampleText".
  Open OpenEditor(const QString& sampleText);
  // Sends a message to the announced editor; false without one, or when it no
  // longer answers (it is then forgotten).
  bool Send(const QString& message);
  // "W=0" to an announced editor, which then closes.
  void CloseEditor();

 Q_SIGNALS:
  // Every message that is not about the editor itself ("W=").
  void messageReceived(const QString& text);
  // An editor announced itself or was forgotten.
  void editorChanged();
  // A start went wrong.
  void problem(const Note& note);

 private:
  void OnMessage(const QString& text);
  void Forget();
  void WatchLaunch();

  link::LinkEndpoint endpoint_;
  std::unique_ptr<link::LinkSender> sender_;
  QString linkDir_;
  QString program_;
  QString language_;
  std::function<QRect()> stampFrame_;
  std::function<QString()> ownLook_;
  qint32 editor_ = 0;
  qint64 launchPid_ = 0;
  int announceTimeoutMs_ = 20000;
  QTimer launchWatch_;
  int launchWaitedMs_ = 0;
};

}  // namespace qm::host
