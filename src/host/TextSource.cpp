#include "host/TextSource.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>

#include "platform/ChildProcess.h"
#include "platform/CodePage.h"
#include "platform/RegularFile.h"

namespace qm::host {
namespace {

// Only the first line of the output counts, and only this much of it is
// kept; of the errors, the start (for the message).
constexpr qsizetype kMaxOutput = 64 * 1024;
constexpr qsizetype kMaxErrorOutput = 4 * 1024;
// A command that prints more than this after what is kept is not going to
// say anything else that counts: it is ended (and its first line taken),
// rather than read and thrown away until its timeout.
constexpr qint64 kMaxOutputBeyond = 64 * 1024;
// How long a command asked to end may take before it is killed outright.
constexpr int kEndGraceMs = 2000;

// Every refused read keeps the text the stamp shows.
Note Keeping(const QString& tooltip, const QString& log) {
  return {tooltip + QCoreApplication::translate("qm::host", "; показан прежний текст."),
          log + QStringLiteral("; keeping the last text")};
}

// Appends what fits under `cap`; returns how many bytes did not fit.
qsizetype AppendCapped(QByteArray& to, const QByteArray& more, qsizetype cap) {
  const qsizetype room = qMax<qsizetype>(0, cap - to.size());
  to.append(more.constData(), qMin(room, more.size()));
  return more.size() - qMin(room, more.size());
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
  // A run still going ends with us, and with everything it started (the
  // runner's own end sees to that).
  if (process_) process_->disconnect(this);
}

void CommandText::Start() {
  Run();
  interval_.start();
}

void CommandText::Run() {
  if (process_) return;  // the last run is still going
  out_.clear();
  err_.clear();
  lineDone_ = false;
  beyond_ = 0;
  flooded_ = false;
  timedOut_ = false;
  ending_ = false;
  startError_.clear();
  ++runs_;
  process_ = std::make_unique<platform::GuardedCommand>();
  connect(process_.get(), &platform::GuardedCommand::output, this, &CommandText::Take);
  connect(process_.get(), &platform::GuardedCommand::finished, this, &CommandText::Finished);
  if (!process_->Start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), command_})) {
    startError_ = process_->ErrorString();
    process_.reset();
    Conclude(-1, false);
    return;
  }
  deadline_.start(timeoutMs_);
}

void CommandText::ReadNow() {
  if (process_) return;
  // The run as the timer starts it, its output taken as it comes, until it
  // is over.
  Run();
  while (process_) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

void CommandText::Take(platform::GuardedCommand::Channel channel, const QByteArray& chunk) {
  if (channel == platform::GuardedCommand::StandardError) {
    beyond_ += AppendCapped(err_, chunk, kMaxErrorOutput);
  } else if (!lineDone_) {
    const qsizetype eol = chunk.indexOf('\n');
    const qsizetype line = eol < 0 ? chunk.size() : eol;
    const qsizetype over = AppendCapped(out_, chunk.first(line), kMaxOutput);
    lineDone_ = eol >= 0 || over > 0;
    beyond_ += over + (chunk.size() - line);
  } else {
    beyond_ += chunk.size();
  }
  if (beyond_ > kMaxOutputBeyond && process_ && process_->IsRunning() && !ending_) {
    flooded_ = true;
    End();
  }
}

void CommandText::End() {
  if (ending_ || !process_) return;
  ending_ = true;
  // finished() follows once everything is gone; should the guard not manage
  // it in time, the deadline kills it outright.
  process_->End();
  deadline_.start(kEndGraceMs);
}

void CommandText::TimedOut() {
  if (!process_) return;
  if (ending_) {
    process_->Kill();
    return;
  }
  timedOut_ = true;
  End();
}

void CommandText::Finished(int exitCode, bool crashed) {
  if (!process_) return;
  deadline_.stop();
  // Deleted later: we are inside one of its signals.
  process_.release()->deleteLater();
  Conclude(exitCode, crashed);
}

void CommandText::Conclude(int exitCode, bool crashed) {
  if (timedOut_ && !flooded_) {
    const QString s = QString::number((timeoutMs_ + 999) / 1000);
    Refuse(Keeping(QCoreApplication::translate("qm::host", "Команда не завершилась за %1 с").arg(s),
                   QStringLiteral("the command did not finish within %1 s").arg(s)));
  } else if (!startError_.isEmpty()) {
    Refuse(Keeping(QCoreApplication::translate("qm::host", "Не удалось запустить /bin/sh: %1")
                       .arg(startError_),
                   QStringLiteral("cannot start /bin/sh: %1").arg(startError_)));
  } else if (!flooded_ && crashed) {
    Refuse(Keeping(QCoreApplication::translate("qm::host", "Команда завершилась аварийно"),
                   QStringLiteral("the command crashed")));
  } else if (!flooded_ && exitCode != 0) {
    // What the command said about it, when it said anything.
    const QString said = FirstLineOf(err_);
    const QString tail = said.isEmpty() ? QString() : QStringLiteral(": ") + said;
    const QString code = QString::number(exitCode);
    Refuse(Keeping(
        QCoreApplication::translate("qm::host", "Команда завершилась с кодом %1").arg(code) + tail,
        QStringLiteral("the command failed with exit status %1").arg(code) + tail));
  } else {
    // (A command ended for printing on: its first line is its answer.)
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
  // Anything but a regular file is refused before it is opened (opening a
  // device may do things of its own); the descriptor is checked again, as
  // the path may have changed in between.
  const QFileInfo info(path_);
  QFile f;
  QString unread;
  if (info.exists() && !info.isFile()) {
    unread = QStringLiteral("not a regular file");
  } else if (platform::OpenRegularFile(path_, kMaxTextFileBytes, f, &unread)) {
    unread.clear();
  } else if (unread.isEmpty()) {
    unread = QStringLiteral("cannot open");
  }
  if (!unread.isEmpty()) {
    const QFileInfo now(path_);
    QString tooltip;
    if (now.exists() && !now.isFile())
      tooltip = QCoreApplication::translate("qm::host", "%1 не обычный файл").arg(name);
    else if (now.isFile() && now.size() > kMaxTextFileBytes)
      tooltip = QCoreApplication::translate("qm::host", "Файл %1 слишком велик").arg(name);
    else
      tooltip = QCoreApplication::translate("qm::host", "Не удаётся прочитать файл %1: %2")
                    .arg(name, unread);
    Refuse(Keeping(tooltip, QStringLiteral("cannot read %1: %2").arg(path_, unread)));
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
