#pragma once
// The channel between the one editor that runs and a second start. The
// running editor listens beside its instance lock; a second start hands it
// the command line it was given and ends, as it always has, and the running
// editor decides whether to serve the stamp that started the second one.

#include <QObject>
#include <QString>

#include "platform/link/LinkEndpoint.h"

namespace qm {

class InstanceHandOver : public QObject {
  Q_OBJECT
 public:
  // `lockFolder`: the checked private folder that holds the instance lock.
  explicit InstanceHandOver(const QString& lockFolder, QObject* parent = nullptr);

  // The running editor starts listening; false when it cannot (a second
  // start then ends without being heard, as before).
  bool Listen();
  // A second start hands over the folder its link would use and its command
  // line; true once the running editor has acted on them.
  static bool HandOver(const QString& lockFolder, const QString& linkDir,
                       const QString& commandLine);

 Q_SIGNALS:
  void handedOver(const QString& linkDir, const QString& commandLine);

 private:
  static QString Folder(const QString& lockFolder);

  QString lockFolder_;
  link::LinkEndpoint endpoint_;
};

}  // namespace qm
