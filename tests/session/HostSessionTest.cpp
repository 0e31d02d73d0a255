// The host session on plain editor state, without any window: the line, the
// save and the messages the host writes.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QScopeGuard>
#include <QSemaphore>
#include <QTest>
#include <QTimer>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "link/LinkTestSupport.h"
#include "platform/link/LinkSender.h"
#include "session/EditorState.h"
#include "session/HostPatience.h"
#include "session/HostSession.h"
#include "stamp/ParamLine.h"

namespace qm {
namespace {

const QString kLine =
    QStringLiteral("Sea\\w.png|Arial|1|12|&HFF|1|-5|&H0|2|2|200|&HFF00|3|1|1|0|1|0|100|100|0|0");

class HostSessionTest : public ::testing::Test {
 protected:
  HostSessionTest() {
    state.Text1.setText(kLine);
    session = std::make_unique<HostSession>(state);
    session->SaveTimer().setInterval(20);
    session->SetStore(&store);
    store.save = [this](const QString& line) {
      saved << line;
      return true;
    };
    session->SetFallbackFont(QStringLiteral("Arial"));
    HostSession::Hooks& h = session->hooks;
    h.closeWindow = [this] { calls << QStringLiteral("close"); };
    h.restoreWindow = [this] { calls << QStringLiteral("restore"); };
    h.selectFont = [this](const QString& name) { calls << QStringLiteral("select ") + name; };
    h.fontClick = [this] { calls << QStringLiteral("font click"); };
  }

  // The store the session writes into, as the INI file would be.
  struct FakeStore final : LookStore {
    bool SaveLine(const QString& line) override { return save(line); }
    std::function<bool(const QString&)> save;
  };

  EditorState state;
  FakeStore store;
  std::unique_ptr<HostSession> session;
  QStringList saved;
  QStringList calls;
};

TEST_F(HostSessionTest, AppliedMessagesChangeTheLineAndAreSavedOnceAfterTheLast) {
  EXPECT_TRUE(session->SendText(QStringLiteral("w=7")));
  EXPECT_TRUE(session->SendText(QStringLiteral("C=16711680")));
  EXPECT_EQ(state.Text1.text(),
            u"Sea\\w.png|Arial|1|12|&HFF0000|1|-5|&H0|2|2|200|&HFF00|7|1|1|0|1|0|100|100|0|0");
  EXPECT_EQ(state.CurrentParams, *stamp::ParseLine(state.Text1.text()));
  EXPECT_TRUE(saved.isEmpty());
  ASSERT_TRUE(QTest::qWaitFor([&] { return !saved.isEmpty(); }, 5000));
  EXPECT_EQ(saved, QStringList{state.Text1.text()});
  EXPECT_FALSE(session->SavePending());
}

// A disk that is full for a while: the line waits and is stored once it can
// be, not dropped after the first try.
TEST_F(HostSessionTest, ALineThatCouldNotBeStoredIsTriedAgainUntilItIs) {
  int refusals = 3;
  store.save = [&](const QString& line) {
    if (refusals > 0) {
      --refusals;
      return false;
    }
    saved << line;
    return true;
  };
  ASSERT_TRUE(session->SendText(QStringLiteral("w=7")));
  ASSERT_TRUE(QTest::qWaitFor([&] { return !saved.isEmpty(); }, 5000));
  EXPECT_EQ(saved, QStringList{state.Text1.text()});
  EXPECT_EQ(session->SaveCount(), 4);
  EXPECT_FALSE(session->SavePending());
  // A closed session tries no more.
  refusals = 1;
  ASSERT_TRUE(session->SendText(QStringLiteral("w=8")));
  session->FlushPendingSave();
  session->Close();
  EXPECT_FALSE(session->SavePending());
}

TEST_F(HostSessionTest, RefusedAndForeignMessagesTouchNeitherTheLineNorTheSave) {
  for (const char* m : {"S=abc", "A=a|b", "p=0|100", "W=2", "Z=1", ""}) {
    EXPECT_FALSE(session->SendText(QString::fromUtf8(m))) << m;
    EXPECT_EQ(state.Text1.text(), kLine) << m;
    EXPECT_FALSE(session->SavePending()) << m;
  }
}

TEST_F(HostSessionTest, TheHostsFourTextsAreActedUponAndOthersLeftInTheSlot) {
  state.txtMsg.setText(QStringLiteral("F=DejaVu Serif"));
  EXPECT_EQ(calls, QStringList({"select DejaVu Serif", "font click"}));
  EXPECT_TRUE(state.txtMsg.text().isEmpty());
  calls.clear();
  state.txtMsg.setText(QStringLiteral("W=1"));
  EXPECT_EQ(calls, QStringList{"restore"});
  EXPECT_TRUE(state.txtMsg.text().isEmpty());
  calls.clear();
  state.txtMsg.setText(QStringLiteral("w=2"));
  EXPECT_TRUE(calls.isEmpty());
  EXPECT_EQ(state.txtMsg.text(), u"w=2");
  state.txtMsg.setText(QStringLiteral("W=0"));
  EXPECT_EQ(calls, QStringList{"close"});
}

// The state outlives the session (the window keeps it longer): a message
// arriving after the session has gone reaches nothing.
TEST_F(HostSessionTest, AStateLeftBehindNoLongerCallsTheSession) {
  session.reset();
  state.txtMsg.setText(QStringLiteral("W=0"));
  EXPECT_TRUE(calls.isEmpty());
  EXPECT_EQ(state.txtMsg.text(), u"W=0");
}

// A host that stops answering costs one full wait; the rest of that action
// sends it nothing more, and later actions only glance at it. The changes
// still apply here, and when the host answers again it is sent the whole line,
// so that it catches up with what it missed. Nothing reaches it twice.
TEST_F(HostSessionTest, AHostThatStopsAnsweringIsCaughtUpWhenItAnswersAgain) {
  link::test::LinkDir dir;
  QSemaphore letGo;
  std::atomic<bool> hang{true};
  std::atomic<int> handled{0};
  link::test::EndpointThread host(dir.path(), 77, [&](link::LinkEndpoint&, const QString&) {
    if (hang.exchange(false)) letGo.acquire();
    ++handled;
  });
  ASSERT_TRUE(host.listening());
  link::SetDefaultReplyTimeout(1000);
  const auto restore = qScopeGuard([] { link::SetDefaultReplyTimeout(0); });
  state.HostHwnd = 77;
  session->SetLinkDirectory(dir.path());

  // One action: the first message hangs, the second is not sent.
  EXPECT_TRUE(session->SendText(QStringLiteral("X=1")));
  EXPECT_TRUE(session->SendText(QStringLiteral("Y=2")));
  letGo.release();
  ASSERT_TRUE(QTest::qWaitFor([&] { return handled == 1; }, 5000));
  // The event loop runs between two actions; the next one finds the host
  // answering again.
  QCoreApplication::processEvents();
  EXPECT_TRUE(session->SendText(QStringLiteral("x=3")));
  const std::optional<stamp::StampParams> line = stamp::ParseLine(state.Text1.text());
  ASSERT_TRUE(line);
  EXPECT_EQ(line->TextY, 2);
  EXPECT_EQ(host.messages(),
            QStringList({"X=1", "x=3", QStringLiteral("A=") + state.Text1.text()}));
}

TEST(TextSlot, RaisesItsChangeOnlyWhenTheTextChanges) {
  TextSlot slot;
  int changes = 0;
  slot.setOnChange([&] { ++changes; });
  slot.setText(QStringLiteral("a"));
  slot.setText(QStringLiteral("a"));
  slot.clear();
  slot.clear();
  EXPECT_EQ(changes, 2);
}

// How long the editor waits for its host, message after message: scripted
// runs of outcomes against the waits and the catch-ups they must lead to.

using link::Delivery;

// A delivery that must be given `wait` ms and comes to `outcome` after
// `spent` ms; wait 0 is a message not sent for want of time; a step without
// an outcome is the event loop running between two user actions.
struct Step {
  int wait;
  std::optional<Delivery> outcome;
  int spent = 0;
  bool catchUp = false;  // what TakeCatchUp must give afterwards
};
const Step kLoop{-1, std::nullopt};
const Step kSkip{0, std::nullopt};
constexpr auto kOk = Delivery::Answered;
constexpr auto kSilent = Delivery::NoAnswer;
constexpr auto kGone = Delivery::Failed;

struct PatienceRun {
  const char* name;
  std::vector<Step> steps;
};

class HostPatienceRun : public ::testing::TestWithParam<PatienceRun> {};

TEST_P(HostPatienceRun, WaitsAndCatchUps) {
  constexpr int kBound = 1000;
  HostPatience p;
  const std::vector<Step>& steps = GetParam().steps;
  for (size_t i = 0; i < steps.size(); ++i) {
    const Step& s = steps[i];
    if (s.wait < 0) {
      p.ActionEnded();
      continue;
    }
    EXPECT_EQ(p.NextWait(kBound), s.wait) << "step " << i;
    if (s.outcome)
      p.Record(*s.outcome, s.spent);
    else
      p.Skipped();
    EXPECT_EQ(p.TakeCatchUp(), s.catchUp) << "step " << i;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Runs, HostPatienceRun,
    ::testing::Values(
        // An answering host gets the whole bound, less what this action used.
        PatienceRun{"answering", {{1000, kOk, 3}, {997, kOk, 7}, kLoop, {1000, kOk, 1}}},
        // A template click against a hung host: one full wait; the rest of the
        // action sends nothing.
        PatienceRun{"hung_click", {{1000, kSilent, 1000}, kSkip, kSkip, kSkip}},
        // Later actions glance, their glances adding up to the bound at most;
        // an answer brings the catch-up once and the whole bound back.
        PatienceRun{"recovers",
                    {{1000, kSilent, 1000},
                     kLoop,
                     {250, kSilent, 250},
                     {250, kSilent, 250},
                     {250, kSilent, 250},
                     {250, kSilent, 250},
                     kSkip,
                     kLoop,
                     {250, kOk, 2, true},
                     {998, kOk, 2}}},
        // A host that was not there costs no wait; it is caught up when it is.
        PatienceRun{"gone_then_back", {{1000, kGone, 0}, {1000, kOk, 1, true}}},
        // A slow host that answers still misses what found no time left.
        PatienceRun{"slow",
                    {{1000, kOk, 600}, {400, kOk, 400}, kSkip, kLoop, {1000, kOk, 1, true}}}),
    [](const ::testing::TestParamInfo<PatienceRun>& info) { return std::string(info.param.name); });

enum class OldHost { Gone, LeftItsEndpoint, Answering, Hung, IsTheNewOne };

struct AdoptCase {
  const char* name;
  OldHost old;
  bool adopts;
};

class AdoptHost : public HostSessionTest, public ::testing::WithParamInterface<AdoptCase> {};

// Another start of the editor, for a new host, reached the running one.
TEST_P(AdoptHost, OnlyAnEditorWhoseHostIsGoneForGoodServesTheNewOne) {
  const AdoptCase& c = GetParam();
  constexpr qint32 kOld = 2000001, kNew = 2000002;
  link::test::LinkDir dir;
  link::SetDefaultReplyTimeout(300);
  const auto restore = qScopeGuard([] { link::SetDefaultReplyTimeout(0); });
  QSemaphore letGo;
  std::unique_ptr<link::test::EndpointThread> old;
  if (c.old == OldHost::LeftItsEndpoint) {
    const int dead = link::test::RawListen(dir.socket(kOld));
    ASSERT_GE(dead, 0);
    ::close(dead);
  } else if (c.old == OldHost::Answering || c.old == OldHost::Hung) {
    const bool hung = c.old == OldHost::Hung;
    old = std::make_unique<link::test::EndpointThread>(
        dir.path(), kOld, [&, hung](link::LinkEndpoint&, const QString&) {
          if (hung) letGo.tryAcquire(1, 5000);
        });
  }
  link::test::EndpointThread next(dir.path(), kNew);
  ASSERT_TRUE(next.listening());
  state.HostHwnd = kOld;
  session->SetLinkDirectory(dir.path());
  ASSERT_TRUE(session->Listen());

  const qint32 asking = c.old == OldHost::IsTheNewOne ? kOld : kNew;
  EXPECT_EQ(session->AdoptHost(asking, QStringLiteral("+5°")), c.adopts);
  letGo.release();
  const QString own = QStringLiteral("W=%1").arg(session->TxtMsgHandle());
  if (c.adopts) {
    EXPECT_EQ(state.HostHwnd, kNew);
    EXPECT_EQ(state.sampleText, QStringLiteral("+5°"));
    // Announced, then the whole look, changes the old host never got included.
    EXPECT_EQ(next.messages(), QStringList({own, QStringLiteral("A=") + kLine}));
    // And every change from now on goes there.
    EXPECT_TRUE(session->SendText(QStringLiteral("w=5")));
    EXPECT_EQ(next.messages().value(2), QStringLiteral("w=5"));
  } else {
    EXPECT_EQ(state.HostHwnd, kOld);
    EXPECT_TRUE(next.messages().isEmpty());
  }
}

INSTANTIATE_TEST_SUITE_P(OldHosts, AdoptHost,
                         ::testing::Values(AdoptCase{"gone", OldHost::Gone, true},
                                           AdoptCase{"leftItsEndpoint", OldHost::LeftItsEndpoint,
                                                     true},
                                           AdoptCase{"answering", OldHost::Answering, false},
                                           AdoptCase{"hung", OldHost::Hung, false},
                                           AdoptCase{"itself", OldHost::IsTheNewOne, false}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace qm
