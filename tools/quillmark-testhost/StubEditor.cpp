// quillmark-stub-editor: the editor's side of the host link without a window.
// Started as "handle|text", it announces "W=" + its process id, reports its
// command line as "L=" + argument, answers "W=2" with a new announcement,
// echoes any other message as "E=" + message (from inside its handler, as the
// editor does when the host asks for something), and closes on "W=0" after
// sending "W=0" back.
#include <QCoreApplication>
#include <QTimer>
#include <cstdio>

#include "platform/Classic.h"
#include "platform/link/LinkEndpoint.h"
#include "platform/link/LinkSender.h"

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const QStringList args = QCoreApplication::arguments();
  const QString argument = args.size() > 1 ? args.at(1) : QString();
  const qint32 host = qm::classic::CLng(qm::classic::Val(argument)).value_or(0);
  const qint32 own = static_cast<qint32>(QCoreApplication::applicationPid());
  const QString announcement = QStringLiteral("W=%1").arg(own);

  qm::link::LinkEndpoint endpoint;
  if (!endpoint.listen(own)) {
    std::fprintf(stderr, "stub editor: %s\n", endpoint.errorString().toLocal8Bit().constData());
    return 2;
  }
  qm::link::LinkSender toHost(host, &endpoint);
  QObject::connect(&endpoint, &qm::link::LinkEndpoint::messageReceived, &app,
                   [&](const QString& text) {
                     if (text == QLatin1String("W=0")) {
                       toHost.send(text);
                       QTimer::singleShot(0, &app, &QCoreApplication::quit);
                     } else if (text == QLatin1String("W=2")) {
                       toHost.send(announcement);
                     } else {
                       toHost.send(QStringLiteral("E=") + text);
                     }
                   });
  if (host > 0) {
    toHost.send(announcement);
    toHost.send(QStringLiteral("L=") + argument);
  }
  // Never outlive a test that lost track of us.
  QTimer::singleShot(120000, &app, &QCoreApplication::quit);
  return app.exec();
}
