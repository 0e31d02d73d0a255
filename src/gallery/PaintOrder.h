#pragma once
// The rules of a gallery paint that need no widget: how the drawings made on
// a pool of threads reach the window's thread in thumbnail order, when the
// drawn thumbnails go on screen, and when a paint starts over or stops.

#include <QMutex>
#include <QtGlobal>
#include <atomic>
#include <optional>
#include <utility>
#include <vector>

namespace qm::gallery {

// One paint's drawings, handed from the pool's threads to the window's thread.
// The jobs put them in any order; the window's thread takes them in thumbnail
// order (1, 2, ...). When the window's thread has to wait for a drawing it
// says which one, and only the job that puts that one is told to wake it: a
// paint costs one wake-up per wait rather than one per thumbnail.
template <typename Drawing>
class DrawingHandOver {
 public:
  explicit DrawingHandOver(int count) : drawings_(static_cast<std::size_t>(qMax(count, 0))) {}

  int Count() const { return static_cast<int>(drawings_.size()); }

  // Any thread. Puts the drawing of thumbnail i (1-based); true when the
  // window's thread waits for this very one, so the caller has to wake it.
  bool Put(int i, Drawing drawing) {
    const QMutexLocker lock(&mutex_);
    drawings_[static_cast<std::size_t>(i - 1)] = std::move(drawing);
    if (awaited_ != i) return false;
    awaited_ = 0;
    return true;
  }

  // The window's thread. Takes the drawing of thumbnail i; without it yet,
  // marks i as the one awaited and returns nothing.
  std::optional<Drawing> Take(int i) {
    std::optional<Drawing> out;
    const QMutexLocker lock(&mutex_);
    out.swap(drawings_[static_cast<std::size_t>(i - 1)]);
    awaited_ = out ? 0 : i;
    return out;
  }

  // A dropped paint's jobs that have not begun do nothing; whatever those
  // under way put is never looked at.
  void Drop() { dropped_.store(true, std::memory_order_relaxed); }
  bool Dropped() const { return dropped_.load(std::memory_order_relaxed); }

 private:
  std::atomic<bool> dropped_{false};
  QMutex mutex_;                                  // guards the two below
  std::vector<std::optional<Drawing>> drawings_;  // thumbnail i at i - 1
  int awaited_ = 0;                               // 0: none
};

// When thumbnails put in place go on screen, all that are ready at once:
// whenever the paint has to wait for the next drawing, and at least once a
// frame while drawings keep coming. Showing each by itself would draw the
// window once per thumbnail.
class ShowPace {
 public:
  static constexpr qint64 kFrameMs = 16;

  explicit ShowPace(qint64 startMs) : lastShownMs_(startMs) {}
  // Thumbnail `placed` is in place at `nowMs`: the last thumbnail that is
  // to be on screen now.
  int Placed(int placed, qint64 nowMs) {
    return nowMs - lastShownMs_ >= kFrameMs ? ShowUpTo(placed, nowMs) : onScreen_;
  }
  // The paint waits for the drawing after `placed`: everything up to it is
  // to be on screen now.
  int Waiting(int placed, qint64 nowMs) { return ShowUpTo(placed, nowMs); }
  // The last thumbnail on screen (0: none yet).
  int OnScreen() const { return onScreen_; }

 private:
  int ShowUpTo(int placed, qint64 nowMs) {
    lastShownMs_ = nowMs;
    return onScreen_ = placed;
  }
  int onScreen_ = 0;
  qint64 lastShownMs_;
};

// Whether a paint is under way, and what becomes of it. A paint lets timers
// and host messages run between thumbnails; when one of them asks for a
// paint, the one under way drops what it has not shown yet and starts over
// with the new state once that handler has returned. A window closed in the
// middle of a paint ends it: nobody would see the rest.
class PaintSchedule {
 public:
  enum class Next { Finish, StartOver, Stop };

  // A paint is asked for: true when none is under way (the caller starts
  // one, and calls Begin() once it has); false when one is, which then
  // starts over.
  bool Ask();
  void Begin() { painting_ = true; }
  bool Painting() const { return painting_; }
  // Whether the round under way goes on with its next thumbnail.
  bool GoOn() const { return !startOver_; }
  // A round has begun: what was asked before it is in it.
  void RoundBegun() { startOver_ = false; }
  // The round has ended (with the window closed meanwhile or not): what
  // comes next. Finish and Stop end the paint.
  Next RoundEnded(bool closed);

 private:
  bool painting_ = false;
  bool startOver_ = false;
};

}  // namespace qm::gallery
