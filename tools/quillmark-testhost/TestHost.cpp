#include "TestHost.h"

#include <unistd.h>

#include <QCoreApplication>
#include <QSocketNotifier>
#include <QThread>
#include <QTimer>
#include <cstdio>

#include "platform/link/LinkDirectory.h"

namespace qm::testhost {

namespace {

void Diagnose(const QString& text) {
  std::fprintf(stderr, "quillmark-testhost: %s\n", text.toLocal8Bit().constData());
  std::fflush(stderr);
}

}  // namespace

TestHost::TestHost(TestHostOptions options, QObject* parent)
    : QObject(parent), options_(std::move(options)) {
  if (!options_.linkDir.isEmpty()) endpoint_.setDirectory(options_.linkDir);
  connect(&endpoint_, &link::LinkEndpoint::messageReceived, this, &TestHost::onMessage);
  connect(&editor_, &QProcess::finished, this, &TestHost::onEditorFinished);
  connect(&editor_, &QProcess::readyReadStandardOutput, this, [this] {
    // The editor's own output must not mix with the message lines that tests
    // read from our stdout.
    const QByteArray out = editor_.readAllStandardOutput();
    std::fwrite(out.constData(), 1, static_cast<size_t>(out.size()), stderr);
    std::fflush(stderr);
  });
}

bool TestHost::start() {
  if (!endpoint_.listen(options_.handle)) {
    Diagnose(QStringLiteral("cannot listen: %1").arg(endpoint_.errorString()));
    return false;
  }
  Diagnose(QStringLiteral("listening on %1").arg(endpoint_.socketPath()));

  stdin_ = new QSocketNotifier(STDIN_FILENO, QSocketNotifier::Read, this);
  connect(stdin_, &QSocketNotifier::activated, this, &TestHost::onStdinReadable);

  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  if (!options_.linkDir.isEmpty())
    env.insert(QString::fromLatin1(link::kLinkDirEnvironmentVariable), options_.linkDir);
  editor_.setProcessEnvironment(env);
  editor_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  editor_.setStandardInputFile(QProcess::nullDevice());
  QString argument = QString::number(options_.handle);
  if (options_.passText) argument += u'|' + options_.text;
  editor_.start(options_.editor, {argument});
  if (!editor_.waitForStarted(10000)) {
    Diagnose(QStringLiteral("cannot start %1: %2").arg(options_.editor, editor_.errorString()));
    return false;
  }
  return true;
}

void TestHost::waitForEditor(int ms) {
  if (editor_.state() != QProcess::NotRunning) editor_.waitForFinished(ms);
}

void TestHost::onMessage(const QString& text) {
  const QByteArray line = text.toLocal8Bit() + '\n';
  std::fwrite(line.constData(), 1, static_cast<size_t>(line.size()), stdout);
  std::fflush(stdout);

  if (text.startsWith(QLatin1String("W="))) {
    bool ok = false;
    const qint32 n = text.mid(2).toInt(&ok);
    if (ok && n > 0) {
      editorHandle_ = n;
      // The old sender may be waiting further up the stack; it keeps itself
      // alive until its send returns.
      sender_ = std::make_unique<link::LinkSender>(n, &endpoint_, options_.linkDir);
      QTimer::singleShot(0, this, &TestHost::flushQueue);
    } else if (ok && n == 0) {
      editorHandle_ = 0;
      sender_.reset();
      if (options_.exitAfterW0) QTimer::singleShot(0, this, [this] { Q_EMIT finished(0); });
    }
  }
  // Holding the answer back makes this host look hung to the editor.
  if (options_.hangMs > 0) QThread::msleep(static_cast<unsigned long>(options_.hangMs));
}

void TestHost::onStdinReadable() {
  char chunk[4096];
  const ssize_t n = ::read(STDIN_FILENO, chunk, sizeof chunk);
  if (n <= 0) {
    // End of input: nothing more to send, but the editor keeps running.
    stdin_->setEnabled(false);
    return;
  }
  stdinBuffer_.append(chunk, n);
  qsizetype eol;
  while ((eol = stdinBuffer_.indexOf('\n')) >= 0) {
    QByteArray line = stdinBuffer_.left(eol);
    stdinBuffer_.remove(0, eol + 1);
    if (line.endsWith('\r')) line.chop(1);
    queue_.append(QString::fromLocal8Bit(line));
  }
  flushQueue();
}

void TestHost::flushQueue() {
  // Lines typed before the editor announced itself wait for its handle. A
  // flush never nests: messages served during a send only schedule one.
  if (flushing_) return;
  flushing_ = true;
  while (!queue_.isEmpty() && sender_) {
    const QString text = queue_.takeFirst();
    if (!sender_->send(text))
      Diagnose(QStringLiteral("delivery to %1 failed: %2").arg(editorHandle_).arg(text));
  }
  flushing_ = false;
}

void TestHost::onEditorFinished(int exitCode, QProcess::ExitStatus status) {
  if (status != QProcess::NormalExit) {
    Diagnose(QStringLiteral("the editor crashed"));
    Q_EMIT finished(1);
    return;
  }
  Q_EMIT finished(exitCode);
}

}  // namespace qm::testhost
