#include "host/TextSource.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

#include "platform/ChildProcess.h"
#include "platform/CodePage.h"

namespace qm::host {
namespace {

// Output beyond this is read and thrown away: only the first line counts, and
// a command that prints without end must not fill the memory.
constexpr qsizetype kMaxOutput = 64 * 1024;
constexpr qsizetype kMaxErrorOutput = 4 * 1024;

// Every refused read keeps the text the stamp shows.
Note Keeping(const QString& tooltip, const QString& log) {
  return {tooltip + QCoreApplication::translate("qm::host", "; показан прежний текст."),
          log + QStringLiteral("; keeping the last text")};
}

void AppendCapped(QByteArray& to, const QByteArray& more, qsizetype cap) {
  if (to.size() < cap) to.append(more.left(cap - to.size()));
}

QString FirstLineOf(const QByteArray& bytes) {
  const qsizetype eol = bytes.indexOf('\n');
  return platform::DecodeCodePage(bytes.left(eol < 0 ? bytes.size() : eol)).trimmed();
}

}  // namespace

std::optional<QString> StampTextFrom(const QByteArray& bytes, TextRefusal* why) {
  const auto refuse = [&](TextRefusal r) -> std::optional<QString> {
    if (why) *why = r;
    return std::nullopt;
  };
  if (bytes.isEmpty()) return refuse(TextRefusal::Empty);
  const qsizetype eol = bytes.indexOf('\n');
  QByteArray first = bytes.left(eol < 0 ? bytes.size() : eol);
  if (first.endsWith('\r')) first.chop(1);
  const QString text = platform::DecodeCodePage(first);
  for (const QChar c : text) {
    const char16_t u = c.unicode();
    const bool rawByte = u >= platform::kRawByteFirst && u <= platform::kRawByteLast;
    const bool control = (u < 0x20 && u != u'\t') || u == 0x7F;
    if (rawByte || control) return refuse(TextRefusal::NotText);
  }
  QString trimmed = text.trimmed();
  if (trimmed.isEmpty()) return refuse(TextRefusal::BlankLine);
  if (trimmed.size() > kMaxStampText) {
    trimmed.truncate(kMaxStampText);
    // A cut must not leave half of a surrogate pair.
    if (trimmed.back().isHighSurrogate()) trimmed.chop(1);
  }
  return trimmed;
}

// --- TextSource ---------------------------------------------------------------

TextSource::TextSource(const QString& initial, QObject* parent) : QObject(parent), text_(initial) {}

void TextSource::Accept(const QString& text) {
  const bool changed = text != text_ || !problem_.isEmpty();
  text_ = text;
  problem_ = {};
  Finish(changed);
}

void TextSource::Refuse(const Note& why) {
  const bool changed = !(why == problem_);
  problem_ = why;
  Finish(changed);
}

void TextSource::Finish(bool changed) {
  const bool first = !hasRead_;
  hasRead_ = true;
  if (changed || first) Q_EMIT this->changed();
}

// --- CommandText --------------------------------------------------------------

CommandText::CommandText(const QString& initial, const QString& command, int intervalMs,
                         int timeoutMs, QObject* parent)
    : TextSource(initial, parent), command_(command), timeoutMs_(timeoutMs) {
  interval_.setInterval(intervalMs);
  connect(&interval_, &QTimer::timeout, this, &CommandText::Run);
  deadline_.setSingleShot(true);
  connect(&deadline_, &QTimer::timeout, this, &CommandText::TimedOut);
}

CommandText::~CommandText() {
  // A run still going ends with us, and with everything it started.
  if (process_ && process_->state() != QProcess::NotRunning) {
    process_->disconnect(this);
    platform::KillProcessGroup(*process_);
    process_->waitForFinished(1000);
  }
}

std::unique_ptr<QProcess> CommandText::NewProcess() {
  auto p = std::make_unique<QProcess>();
  p->setProgram(QStringLiteral("/bin/sh"));
  p->setArguments({QStringLiteral("-c"), command_});
  p->setStandardInputFile(QProcess::nullDevice());
  platform::RunInOwnProcessGroup(*p);
  out_.clear();
  err_.clear();
  timedOut_ = false;
  ++runs_;
  return p;
}

void CommandText::Start() {
  Run();
  interval_.start();
}

void CommandText::Run() {
  if (process_) return;  // the last run is still going
  process_ = NewProcess();
  connect(process_.get(), &QProcess::readyReadStandardOutput, this, &CommandText::Collect);
  connect(process_.get(), &QProcess::readyReadStandardError, this, &CommandText::Collect);
  connect(process_.get(), &QProcess::finished, this, &CommandText::Finished);
  connect(process_.get(), &QProcess::errorOccurred, this, [this](QProcess::ProcessError e) {
    if (e == QProcess::FailedToStart) Finished();
  });
  deadline_.start(timeoutMs_);
  process_->start();
}

void CommandText::ReadNow() {
  if (process_) return;
  process_ = NewProcess();
  process_->start();
  if (process_->waitForStarted(timeoutMs_) && !process_->waitForFinished(timeoutMs_)) {
    timedOut_ = true;
    platform::KillProcessGroup(*process_);
    process_->waitForFinished(1000);
  }
  Collect();
  const std::unique_ptr<QProcess> done = std::move(process_);
  Conclude(*done);
}

void CommandText::Collect() {
  if (!process_) return;
  AppendCapped(out_, process_->readAllStandardOutput(), kMaxOutput);
  AppendCapped(err_, process_->readAllStandardError(), kMaxErrorOutput);
}

void CommandText::TimedOut() {
  if (!process_) return;
  timedOut_ = true;
  // Finished() follows once the process is gone.
  platform::KillProcessGroup(*process_);
}

void CommandText::Finished() {
  if (!process_) return;
  deadline_.stop();
  Collect();
  // Deleted later: we are inside one of its signals.
  QProcess* done = process_.release();
  done->deleteLater();
  Conclude(*done);
}

void CommandText::Conclude(const QProcess& done) {
  if (timedOut_) {
    const QString s = QString::number((timeoutMs_ + 999) / 1000);
    Refuse(Keeping(QCoreApplication::translate("qm::host", "Команда не завершилась за %1 с").arg(s),
                   QStringLiteral("the command did not finish within %1 s").arg(s)));
  } else if (done.error() == QProcess::FailedToStart) {
    Refuse(Keeping(QCoreApplication::translate("qm::host", "Не удалось запустить /bin/sh: %1")
                       .arg(done.errorString()),
                   QStringLiteral("cannot start /bin/sh: %1").arg(done.errorString())));
  } else if (done.exitStatus() != QProcess::NormalExit) {
    Refuse(Keeping(QCoreApplication::translate("qm::host", "Команда завершилась аварийно"),
                   QStringLiteral("the command crashed")));
  } else if (done.exitCode() != 0) {
    // What the command said about it, when it said anything.
    const QString said = FirstLineOf(err_);
    const QString tail = said.isEmpty() ? QString() : QStringLiteral(": ") + said;
    const QString code = QString::number(done.exitCode());
    Refuse(Keeping(
        QCoreApplication::translate("qm::host", "Команда завершилась с кодом %1").arg(code) + tail,
        QStringLiteral("the command failed with exit status %1").arg(code) + tail));
  } else {
    TextRefusal why{};
    if (const auto text = StampTextFrom(out_, &why)) {
      Accept(*text);
    } else if (why == TextRefusal::NotText) {
      Refuse(Keeping(QCoreApplication::translate("qm::host", "Команда вывела не текст"),
                     QStringLiteral("the command printed something that is not text")));
    } else {
      Refuse(Keeping(QCoreApplication::translate("qm::host", "Команда ничего не вывела"),
                     QStringLiteral("the command printed no text")));
    }
  }
}

// --- FileText -----------------------------------------------------------------

FileText::FileText(const QString& initial, const QString& path, int settleMs, QObject* parent)
    : TextSource(initial, parent), path_(QFileInfo(path).absoluteFilePath()) {
  settle_.setSingleShot(true);
  settle_.setInterval(settleMs);
  connect(&settle_, &QTimer::timeout, this, &FileText::Changed);
  // The folder is watched too: a file replaced by another of the same name
  // (the way most editors save) is a new file the old watch does not see.
  connect(&watcher_, &QFileSystemWatcher::fileChanged, this, [this] { settle_.start(); });
  connect(&watcher_, &QFileSystemWatcher::directoryChanged, this, [this] { settle_.start(); });
}

void FileText::Start() {
  Watch();
  ReadNow();
}

void FileText::Watch() {
  const QString dir = QFileInfo(path_).absolutePath();
  if (!watcher_.directories().contains(dir)) watcher_.addPath(dir);
  if (!watcher_.files().contains(path_) && QFileInfo::exists(path_)) watcher_.addPath(path_);
}

void FileText::Changed() {
  Watch();
  // The folder's notices also come for every other file in it.
  if (readOnce_ && platform::FileStampOf(path_) == lastStamp_) return;
  ReadNow();
}

void FileText::ReadNow() {
  readOnce_ = true;
  lastStamp_ = platform::FileStampOf(path_);
  const QString name = QFileInfo(path_).fileName();
  QFile f(path_);
  if (!f.open(QIODevice::ReadOnly)) {
    Refuse(Keeping(QCoreApplication::translate("qm::host", "Не удаётся прочитать файл %1: %2")
                       .arg(name, f.errorString()),
                   QStringLiteral("cannot read %1: %2").arg(path_, f.errorString())));
    return;
  }
  TextRefusal why{};
  if (const auto text = StampTextFrom(f.read(kMaxOutput), &why)) {
    Accept(*text);
  } else if (why == TextRefusal::NotText) {
    Refuse(Keeping(QCoreApplication::translate("qm::host", "В файле %1 не текст").arg(name),
                   QStringLiteral("%1 does not hold text").arg(path_)));
  } else {
    Refuse(Keeping(
        QCoreApplication::translate("qm::host", "В первой строке файла %1 нет текста").arg(name),
        QStringLiteral("the first line of %1 holds no text").arg(path_)));
  }
}

std::unique_ptr<TextSource> MakeTextSource(const HostOptions& o, QObject* parent) {
  switch (o.source) {
    case HostOptions::Source::Command:
      return std::make_unique<CommandText>(o.text, o.command, o.everySeconds * 1000,
                                           o.timeoutSeconds * 1000, parent);
    case HostOptions::Source::File:
      return std::make_unique<FileText>(o.text, o.file, 50, parent);
    case HostOptions::Source::Text:
      break;
  }
  return std::make_unique<FixedText>(o.text, parent);
}

}  // namespace qm::host
