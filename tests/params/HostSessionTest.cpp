// The host session on plain editor state, without any window: the line, the
// save and the messages the host writes.

#include <gtest/gtest.h>

#include <QTest>
#include <QTimer>
#include <memory>

#include "params/EditorState.h"
#include "params/HostSession.h"
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
    save.setSingleShot(true);
    save.setInterval(20);
    session->SetSaveTimer(&save);
    QObject::connect(&save, &QTimer::timeout, &save, [this] { session->tmr_Timer(1); });
    HostSession::Hooks& h = session->hooks;
    h.saveLine = [this](const QString& line) {
      saved << line;
      return true;
    };
    h.fallbackFont = [] { return QStringLiteral("Arial"); };
    h.closeWindow = [this] { calls << QStringLiteral("close"); };
    h.restoreWindow = [this] { calls << QStringLiteral("restore"); };
    h.selectFont = [this](const QString& name) { calls << QStringLiteral("select ") + name; };
    h.fontClick = [this] { calls << QStringLiteral("font click"); };
  }

  EditorState state;
  QTimer save;
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

}  // namespace
}  // namespace qm
