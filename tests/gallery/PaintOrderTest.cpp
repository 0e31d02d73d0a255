#include <gtest/gtest.h>

#include <QSemaphore>
#include <QThread>
#include <cstring>
#include <memory>
#include <vector>

#include "gallery/PaintOrder.h"
#include "gallery/ThumbnailBudget.h"

using namespace qm::gallery;

// Drawings put from many threads in any order reach the taker in thumbnail
// order, each the one put for it, and a taker that waits is always woken:
// a wake-up lost between "not there yet" and the put would hang a paint.
TEST(DrawingHandOver, EveryWaitIsWokenAndEachDrawingArrivesInOrder) {
  constexpr int kCount = 400;
  constexpr int kThreads = 4;
  for (int round = 0; round < 20; ++round) {
    DrawingHandOver<int> handOver(kCount);
    QSemaphore wake;
    std::vector<std::unique_ptr<QThread>> threads;
    for (int k = 0; k < kThreads; ++k) {
      // Each thread puts every fourth drawing, in order, as the taker
      // takes them: it keeps waiting for one that is just being put.
      threads.emplace_back(QThread::create([&, k] {
        for (int i = k + 1; i <= kCount; i += kThreads)
          if (handOver.Put(i, i * 7)) wake.release();
      }));
      threads.back()->start();
    }
    int waits = 0;
    for (int i = 1; i <= kCount;) {
      if (const std::optional<int> d = handOver.Take(i)) {
        ASSERT_EQ(*d, i * 7);
        ++i;
      } else {
        ++waits;
        ASSERT_TRUE(wake.tryAcquire(1, 10000)) << "round " << round << ": nobody woke " << i;
      }
    }
    for (auto& t : threads) t->wait();
    // One wake-up per wait, none to spare.
    EXPECT_EQ(wake.available(), 0) << waits << " waits";
  }
}

TEST(DrawingHandOver, OnlyThePutOfTheAwaitedDrawingWakes) {
  DrawingHandOver<int> h(3);
  EXPECT_FALSE(h.Put(2, 20));  // nobody waits yet
  EXPECT_FALSE(h.Take(1));     // 1 is awaited now
  EXPECT_FALSE(h.Put(3, 30));
  EXPECT_TRUE(h.Put(1, 10));
  EXPECT_FALSE(h.Put(1, 11)) << "woken once only";
  EXPECT_EQ(h.Take(1), 11);
  EXPECT_EQ(h.Take(2), 20);
  EXPECT_FALSE(h.Take(2)) << "a drawing is taken once";
  EXPECT_FALSE(h.Dropped());
  h.Drop();
  EXPECT_TRUE(h.Dropped());
}

// A step of a paint: thumbnail `placed` put in place (or, when `waiting`,
// the paint waiting after it) at `ms`, and the last thumbnail then on screen.
struct PaceStep {
  int placed;
  bool waiting;
  qint64 ms;
  int onScreen;
};

TEST(ShowPace, ShowsWhenWaitingAndOnceAFrameWhileDrawingsKeepComing) {
  const qint64 f = ShowPace::kFrameMs;
  const std::vector<PaceStep> steps = {
      {1, false, 0, 0},         {2, false, f - 1, 0},  // within the first frame
      {3, false, f, 3},         {4, false, f + 1, 3},  // a frame since the start
      {4, true, f + 2, 4},                             // waiting: all that is placed
      {5, false, 2 * f + 1, 4}, {6, false, 2 * f + 2, 6},
      {6, true, 2 * f + 3, 6},  {7, false, 3 * f + 2, 6},  // the wait started a frame
  };
  ShowPace pace(0);
  for (const PaceStep& s : steps) {
    const int upTo = s.waiting ? pace.Waiting(s.placed, s.ms) : pace.Placed(s.placed, s.ms);
    EXPECT_EQ(upTo, s.onScreen) << s.placed << (s.waiting ? " waiting" : "") << " at " << s.ms;
    EXPECT_EQ(pace.OnScreen(), s.onScreen);
  }
}

TEST(PaintSchedule, APaintAskedForMeanwhileStartsOverUnlessTheWindowClosed) {
  using Next = PaintSchedule::Next;
  struct Case {
    // One text per round: "a" for each paint asked for during it, then how
    // it ends: "." as usual, "x" with the window closed.
    std::vector<const char*> rounds;
    std::vector<Next> next;
  };
  const Case cases[] = {
      {{"."}, {Next::Finish}},
      {{"a.", "."}, {Next::StartOver, Next::Finish}},
      {{"aa.", "."}, {Next::StartOver, Next::Finish}},
      {{"a.", "a.", "."}, {Next::StartOver, Next::StartOver, Next::Finish}},
      {{"x"}, {Next::Stop}},
      {{"ax"}, {Next::Stop}},
      {{"a.", "ax"}, {Next::StartOver, Next::Stop}},
  };
  for (const Case& c : cases) {
    PaintSchedule s;
    ASSERT_TRUE(s.Ask());
    s.Begin();
    std::vector<Next> next;
    for (const char* round : c.rounds) {
      s.RoundBegun();
      for (const char* e = round; *e == 'a'; ++e) {
        EXPECT_FALSE(s.Ask()) << round;
        EXPECT_FALSE(s.GoOn()) << round;
      }
      next.push_back(s.RoundEnded(round[std::strlen(round) - 1] == 'x'));
      EXPECT_EQ(s.Painting(), next.back() == Next::StartOver) << round;
    }
    EXPECT_EQ(next, c.next) << c.rounds.front();
    // The next paint starts afresh, whatever this one left.
    EXPECT_TRUE(s.Ask());
    s.Begin();
    s.RoundBegun();
    EXPECT_TRUE(s.GoOn());
  }
}

// --- the budget --------------------------------------------------------------

namespace {

// A column of thumbnails 100 pixels tall, 10 apart, each holding `bytes`
// (0: not drawn); `letGo` marks those let go of.
QList<HeldDrawing> Column(const QList<qint64>& bytes, const QList<int>& letGo = {}) {
  QList<HeldDrawing> out;
  for (qsizetype k = 0; k < bytes.size(); ++k)
    out << HeldDrawing{QRect(0, static_cast<int>(k) * 110, 80, 100), bytes[k],
                       letGo.contains(static_cast<int>(k + 1))};
  return out;
}

}  // namespace

TEST(ThumbnailBudget, APaintKeepsTheFirstDrawingsAndLetsGoOfTheRestPastTheBudget) {
  struct Case {
    QList<qint64> bytes;  // in thumbnail order
    QList<bool> kept;
  };
  const Case cases[] = {
      // The first is kept whatever its size.
      {{300, 100, 40}, {true, false, false}},
      // One let go of leaves room for a smaller one after it; the budget
      // itself is not past it.
      {{100, 100, 60, 50, 40, 300}, {true, true, false, true, false, false}},
  };
  for (const Case& c : cases) {
    BudgetInOrder budget(250);
    QList<bool> kept;
    for (qsizetype k = 0; k < c.bytes.size(); ++k)
      kept << budget.Keep(static_cast<int>(k + 1), c.bytes[k]);
    EXPECT_EQ(kept, c.kept) << c.bytes.size();
  }
}

TEST(ThumbnailBudget, ScrollingDrawsWhatCameNearAndLetsGoOfTheFarthestFirst) {
  // Seven thumbnails; the view shows the strip from 330 to 550: 4, 5 and
  // the top row of 6.
  const QRect seen(0, 330, 80, 221);
  struct Case {
    const char* what;
    QList<qint64> bytes;
    QList<int> letGo;
    qint64 budget;
    QList<int> drawAgain;
    QList<int> toLetGo;
  };
  const Case cases[] = {
      {"within the budget", {10, 10, 10, 10, 10, 10, 10}, {}, 70, {}, {}},
      {"farthest first, above or below", {10, 10, 10, 10, 10, 10, 10}, {}, 40, {}, {1, 2, 7}},
      {"what is in view stays, even over the budget and by a row",
       {0, 0, 10, 50, 50, 10, 0},
       {},
       20,
       {},
       {3}},
      {"let go of near the view: drawn again; far: not",
       {0, 10, 0, 0, 10, 10, 10},
       {1, 3, 4},
       100,
       {3, 4},
       {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const QList<HeldDrawing> held = Column(c.bytes, c.letGo);
    qint64 total = 0;
    for (const qint64 b : c.bytes) total += b;
    EXPECT_EQ(ToDrawAgain(held, seen), c.drawAgain);
    EXPECT_EQ(ToLetGo(held, seen, total, c.budget), c.toLetGo);
  }
}
