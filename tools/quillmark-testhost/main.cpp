// quillmark-testhost: a console stand-in for the stamp program on the host
// link. See TestHost.h for what it does; --help lists the options.
#include <signal.h>

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <cstdio>

#include "TestHost.h"
#include "platform/link/LinkDirectory.h"

int main(int argc, char** argv) {
  // A reader of our stdout that goes away must not kill the host.
  ::signal(SIGPIPE, SIG_IGN);
  QCoreApplication app(argc, argv);
  QCoreApplication::setApplicationName(QStringLiteral("quillmark-testhost"));

  QCommandLineParser parser;
  parser.setApplicationDescription(QStringLiteral(
      "Listens on a link endpoint, starts the editor with \"handle|text\", prints every "
      "message it receives on stdout and sends each stdin line to the editor."));
  parser.addHelpOption();
  const QCommandLineOption handleOpt(QStringLiteral("handle"),
                                     QStringLiteral("Own handle (default: the process id)."),
                                     QStringLiteral("N"));
  const QCommandLineOption editorOpt(
      QStringLiteral("editor"),
      QStringLiteral("Editor to start (default: QuillmarkOpt beside us)."), QStringLiteral("PATH"));
  const QCommandLineOption textOpt(QStringLiteral("text"),
                                   QStringLiteral("Sample text for the editor (default: +38°)."),
                                   QStringLiteral("T"));
  const QCommandLineOption noTextOpt(QStringLiteral("no-text"),
                                     QStringLiteral("Pass only the handle to the editor."));
  const QCommandLineOption hangOpt(
      QStringLiteral("hang-ms"), QStringLiteral("Delay each answer by N ms."), QStringLiteral("N"));
  const QCommandLineOption exitOpt(QStringLiteral("exit-after-w0"),
                                   QStringLiteral("Exit when \"W=0\" arrives (the default)."));
  const QCommandLineOption stayOpt(QStringLiteral("no-exit-after-w0"),
                                   QStringLiteral("Keep running after \"W=0\"."));
  const QCommandLineOption dirOpt(QStringLiteral("link-dir"),
                                  QStringLiteral("Link directory (also passed to the editor)."),
                                  QStringLiteral("DIR"));
  parser.addOptions({handleOpt, editorOpt, textOpt, noTextOpt, hangOpt, exitOpt, stayOpt, dirOpt});
  parser.process(app);

  qm::testhost::TestHostOptions options;
  options.handle = static_cast<qint32>(QCoreApplication::applicationPid());
  if (parser.isSet(handleOpt)) {
    bool ok = false;
    options.handle = parser.value(handleOpt).toInt(&ok);
    if (!ok || options.handle <= 0) {
      std::fprintf(stderr, "quillmark-testhost: --handle needs a positive 32-bit number\n");
      return 2;
    }
  }
  options.editor = parser.isSet(editorOpt)
                       ? parser.value(editorOpt)
                       : QCoreApplication::applicationDirPath() + QStringLiteral("/QuillmarkOpt");
  if (parser.isSet(textOpt)) options.text = parser.value(textOpt);
  options.passText = !parser.isSet(noTextOpt);
  if (parser.isSet(hangOpt)) options.hangMs = qMax(0, parser.value(hangOpt).toInt());
  options.exitAfterW0 = !parser.isSet(stayOpt);
  if (parser.isSet(dirOpt)) {
    options.linkDir = QDir(parser.value(dirOpt)).absolutePath();
    qm::link::SetLinkDirectoryOverride(options.linkDir);
  }

  // Before the host: its end, which may still report a finished editor, comes
  // first.
  int exitCode = 0;
  qm::testhost::TestHost host(options);
  QObject::connect(&host, &qm::testhost::TestHost::finished, &app, [&](int code) {
    exitCode = code;
    app.quit();
  });
  if (!host.start()) return 2;
  app.exec();
  host.waitForEditor(3000);
  return exitCode;
}
