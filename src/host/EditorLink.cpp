#include "host/EditorLink.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QProcess>

#include "platform/ChildProcess.h"
#include "platform/Language.h"
#include "platform/WindowPlacement.h"
#include "platform/link/LinkDirectory.h"
#include "platform/link/LinkLeftovers.h"
#include "platform/link/LinkSender.h"
#include "stamp/HostMessage.h"

namespace qm::host {
namespace {

constexpr int kLaunchPollMs = 100;

}  // namespace

EditorLink::EditorLink(QObject* parent) : QObject(parent) {
  // Direct: the message has been acted upon before the endpoint answers.
  connect(&endpoint_, &link::LinkEndpoint::messageReceived, this, &EditorLink::OnMessage);
  launchWatch_.setInterval(kLaunchPollMs);
  connect(&launchWatch_, &QTimer::timeout, this, &EditorLink::WatchLaunch);
}

EditorLink::~EditorLink() = default;

void EditorLink::SetLinkDirectory(const QString& dir) {
  linkDir_ = dir;
  endpoint_.setDirectory(dir);
}

bool EditorLink::Listen() {
  // Endpoints of stamps (and editors) that were killed stay behind as socket
  // files nobody listens on; clear them away first, as the editor does.
  link::RemoveDeadEndpoints(linkDir_);
  return endpoint_.listenAtProcessHandle();
}

void EditorLink::OnMessage(const QString& text) {
  if (!text.startsWith(u"W=")) {
    Q_EMIT messageReceived(text);
    return;
  }
  bool ok = false;
  const qint32 n = text.mid(2).toInt(&ok);
  if (!ok || n < 0) return;
  if (n == 0) {
    Forget();
  } else {
    editor_ = n;
    // An old sender may be waiting further up the stack; it keeps itself
    // alive until its send returns.
    sender_ = std::make_unique<link::LinkSender>(n, &endpoint_, linkDir_);
    launchPid_ = 0;
    launchWatch_.stop();
  }
  Q_EMIT editorChanged();
}

void EditorLink::Forget() {
  editor_ = 0;
  sender_.reset();
}

bool EditorLink::Send(const QString& message) {
  if (!sender_) return false;
  if (sender_->send(message)) return true;
  // Gone without a word (it crashed, or was killed): the next open starts a
  // new one.
  Forget();
  Q_EMIT editorChanged();
  return false;
}

void EditorLink::CloseEditor() {
  if (Send(stamp::AnnounceMessage(0))) Forget();
}

EditorLink::Open EditorLink::OpenEditor(const QString& sampleText) {
  if (editor_ > 0 && Send(QStringLiteral("W=1"))) return Open::Shown;
  if (launchPid_ > 0) return Open::AlreadyStarting;
  if (!endpoint_.isListening()) {
    const QString why = endpoint_.errorString();
    Q_EMIT problem(
        {QCoreApplication::translate("qm::host", "Не удаётся открыть редактор: нет связи (%1).")
             .arg(why),
         QStringLiteral("cannot open the editor without a link endpoint: %1").arg(why)});
    return Open::Failed;
  }
  QProcess p;
  p.setProgram(program_);
  p.setArguments({QString::number(Handle()) + u'|' + sampleText});
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  if (!linkDir_.isEmpty())
    env.insert(QString::fromLatin1(link::kLinkDirEnvironmentVariable), linkDir_);
  if (!language_.isEmpty())
    env.insert(QString::fromLatin1(platform::kLanguageEnvironmentVariable), language_);
  // Only we know where we stand; one inherited from elsewhere is no use.
  const QRect frame = stampFrame_ ? stampFrame_() : QRect();
  const QString frameKey = QString::fromLatin1(platform::kStampFrameEnvironmentVariable);
  if (frame.isValid())
    env.insert(frameKey, platform::StampFrameText(frame));
  else
    env.remove(frameKey);
  // Likewise a look of our own: an inherited one belongs to another stamp.
  const QString look = ownLook_ ? ownLook_() : QString();
  const QString lookKey = QString::fromLatin1(stamp::kOwnLookEnvironmentVariable);
  if (!look.isEmpty())
    env.insert(lookKey, look);
  else
    env.remove(lookKey);
  p.setProcessEnvironment(env);
  p.setStandardInputFile(QProcess::nullDevice());
  qint64 pid = 0;
  if (!p.startDetached(&pid)) {
    const QString name = QFileInfo(program_).fileName();
    Q_EMIT problem({QCoreApplication::translate("qm::host", "Не удалось запустить %1: %2")
                        .arg(name, p.errorString()),
                    QStringLiteral("cannot start %1: %2").arg(program_, p.errorString())});
    return Open::Failed;
  }
  launchPid_ = pid;
  launchWaitedMs_ = 0;
  launchWatch_.start();
  return Open::Started;
}

void EditorLink::WatchLaunch() {
  launchWaitedMs_ += kLaunchPollMs;
  if (platform::ProcessAlive(launchPid_)) {
    if (launchWaitedMs_ >= announceTimeoutMs_) {
      // Slow, or hung: a later announcement is still taken, but a new open
      // may start another.
      launchPid_ = 0;
      launchWatch_.stop();
    }
    return;
  }
  launchPid_ = 0;
  launchWatch_.stop();
  Q_EMIT problem(
      {QCoreApplication::translate("qm::host",
                                   "Редактор закрылся, не отозвавшись: возможно, он уже открыт "
                                   "для другой программы."),
       QStringLiteral("the editor ended without announcing itself; another editor "
                      "may already be running")});
}

}  // namespace qm::host
