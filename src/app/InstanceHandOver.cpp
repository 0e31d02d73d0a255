#include "app/InstanceHandOver.h"

#include "platform/link/LinkDirectory.h"
#include "platform/link/LinkSender.h"

namespace qm {
namespace {

// The channel has a folder of its own, so its one endpoint never meets the
// numbered endpoints of the host link.
constexpr qint32 kEndpoint = 1;

}  // namespace

InstanceHandOver::InstanceHandOver(const QString& lockFolder, QObject* parent)
    : QObject(parent), lockFolder_(lockFolder) {
  // Direct: the running editor has acted before the second start hears back.
  connect(&endpoint_, &link::LinkEndpoint::messageReceived, this, [this](const QString& text) {
    const qsizetype split = text.indexOf(u'\n');
    if (split < 0) return;
    Q_EMIT handedOver(text.left(split), text.mid(split + 1));
  });
}

QString InstanceHandOver::Folder(const QString& lockFolder) {
  return lockFolder + QStringLiteral("/instance");
}

bool InstanceHandOver::Listen() {
  const link::LinkDirResult folder = link::PrepareLinkDirectory(Folder(lockFolder_));
  if (!folder.ok()) return false;
  endpoint_.setDirectory(folder.path);
  return endpoint_.listen(kEndpoint);
}

bool InstanceHandOver::HandOver(const QString& lockFolder, const QString& linkDir,
                                const QString& commandLine) {
  link::LinkSender sender(kEndpoint, nullptr, Folder(lockFolder));
  return sender.send(linkDir + u'\n' + commandLine);
}

}  // namespace qm
