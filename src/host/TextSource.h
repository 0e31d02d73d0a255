#pragma once
// Where the stamp's text comes from: a fixed text, the first line that a
// command prints, run again at an interval, or the first line of a file, read
// again whenever it changes. A read that gives no usable text keeps the last
// good one and says why.

#include <QByteArray>
#include <QFileSystemWatcher>
#include <QObject>
#include <QString>
#include <QTimer>
#include <memory>
#include <optional>

#include "host/HostNote.h"
#include "host/HostOptions.h"
#include "platform/ChildProcess.h"
#include "platform/FileStamp.h"

namespace qm::host {

// The longest stamp text taken; the rest of a longer line is cut off.
inline constexpr qsizetype kMaxStampText = 200;

// A text file larger than this is not a stamp's text (a log, a disk image)
// and is not read.
inline constexpr qint64 kMaxTextFileBytes = qint64(1) << 20;

enum class TextRefusal {
  Empty,      // no bytes at all
  BlankLine,  // the first line holds only blanks
  NotText,    // bytes that are not text in the system code page, or control characters
};

// The first line of `bytes` as a stamp text: blanks around it dropped, cut to
// kMaxStampText characters; nullopt, with the reason in `why`, when there is
// no such text.
std::optional<QString> StampTextFrom(const QByteArray& bytes, TextRefusal* why = nullptr);

class TextSource : public QObject {
  Q_OBJECT
 public:
  // `initial` is shown until the first read gives a text.
  explicit TextSource(const QString& initial, QObject* parent = nullptr);

  // The last good text, and why the latest read gave none (empty when it did).
  const QString& Text() const { return text_; }
  const Note& Problem() const { return problem_; }

  // Starts reading; later reads follow on their own. A result arrives through
  // changed() (at once for a fixed text).
  virtual void Start() {}
  // One read, waited for (bounded): for drawing into a file, without a loop.
  virtual void ReadNow() {}
  // Whether a first read has finished (with or without a text).
  bool HasRead() const { return hasRead_; }

 Q_SIGNALS:
  // The text or the problem changed, or the first read finished.
  void changed();

 protected:
  void Accept(const QString& text);
  void Refuse(const Note& why);

 private:
  void Finish(bool changed);

  QString text_;
  Note problem_;
  bool hasRead_ = false;
};

// The text of --text.
class FixedText : public TextSource {
  Q_OBJECT
 public:
  using TextSource::TextSource;
  void Start() override { ReadNow(); }
  void ReadNow() override { Accept(Text()); }
};

// The first line a command prints on standard output, run through /bin/sh
// every `intervalMs`, one run at a time (a run still going when the next is
// due lets that one pass). A run is ended, with everything it started, when it
// runs longer than `timeoutMs`, when it goes on printing well past its first
// line, and when the source goes; whatever it left running when it ended on
// its own is ended too. Output is read in bounded chunks and only the start
// of it is kept.
class CommandText : public TextSource {
  Q_OBJECT
 public:
  CommandText(const QString& initial, const QString& command, int intervalMs, int timeoutMs,
              QObject* parent = nullptr);
  ~CommandText() override;
  void Start() override;
  void ReadNow() override;
  int RunCount() const { return runs_; }

 private:
  void Run();
  void Take(platform::GuardedCommand::Channel channel, const QByteArray& chunk);
  void Finished(int exitCode, bool crashed);
  void Conclude(int exitCode, bool crashed);
  void TimedOut();
  void End();

  // How a run ended, besides its exit status.
  QString startError_;  // no process could be made

  QString command_;
  int timeoutMs_;
  QTimer interval_;
  QTimer deadline_;
  std::unique_ptr<platform::GuardedCommand> process_;
  QByteArray out_, err_;   // the first line (capped); the start of the errors
  bool lineDone_ = false;  // out_ holds all of the first line that is kept
  qint64 beyond_ = 0;      // bytes thrown away after it, errors included
  bool flooded_ = false;   // ended for printing on and on
  bool timedOut_ = false;
  bool ending_ = false;  // asked to end, by us
  int runs_ = 0;
};

// The first line of a file, read again when the file changes (also when it is
// replaced by another file of the same name, as editors save). A burst of
// change notices is read once, `settleMs` after the last. Only a regular file
// of at most kMaxTextFileBytes is read, checked at every read: a FIFO, a
// device or a huge file put in its place is refused without waiting on it.
class FileText : public TextSource {
  Q_OBJECT
 public:
  FileText(const QString& initial, const QString& path, int settleMs = 50,
           QObject* parent = nullptr);
  void Start() override;
  void ReadNow() override;

 private:
  void Watch();
  void Changed();

  QString path_;
  QFileSystemWatcher watcher_;
  QTimer settle_;
  platform::FileStamp lastStamp_;
  bool readOnce_ = false;
};

// The source the options ask for.
std::unique_ptr<TextSource> MakeTextSource(const HostOptions& options, QObject* parent = nullptr);

}  // namespace qm::host
