// The stamp's copy of the look against the editor's: after every kind of
// message the two lines are the same text, whatever the message did.

#include <gtest/gtest.h>

#include "host/HostLine.h"
#include "session/EditorState.h"
#include "session/HostSession.h"
#include "stamp/HostMessage.h"
#include "stamp/ParamLine.h"

namespace qm::host {
namespace {

const QString kFont = QStringLiteral("DejaVu Sans");
const QString kStart =
    QStringLiteral("Sea\\w.png|Arial|1|12|&HFF|1|-5|&H0|2|2|200|&HFF00|3|1|1|0|1|0|100|100|0|0");
// Every field differs from kStart, so each field message really changes it.
const QString kOther = QStringLiteral(
    "Clouds\\c.png|DejaVu Serif|3|40|&HFFFFFF|-7|9|&H102030|-3|4|90|&H405060|5|0|0|1|0|-30|120|"
    "80|10|25");

// The editor without a window or a host: SendText applies to its line only.
struct Editor {
  Editor() : session(state) {
    session.SetFallbackFont(kFont);
    state.Text1.setText(kStart);
  }
  EditorState state;
  HostSession session;
};

QStringList EveryKindOfMessage() {
  const stamp::StampParams other = *stamp::ParseLine(kOther);
  QStringList m;
  for (int f = 1; f < stamp::kFieldCount; ++f) m << stamp::FieldMessage(other, f);
  m << stamp::PictureMessage(*stamp::ParseLine(kStart)) << stamp::NeutralToneMessage()
    << stamp::ToneMessage(other)
    << stamp::WholeLineMessage(kStart)
    // Values the line cannot hold, a short group, a broken whole line.
    << QStringLiteral("S=abc") << QStringLiteral("t=300") << QStringLiteral("F=a|b")
    << QStringLiteral("p=0|100")
    << QStringLiteral("A=x|y")
    // Not about the look at all.
    << QStringLiteral("W=0") << QStringLiteral("W=123") << QStringLiteral("Z=1") << QString()
    << QStringLiteral("s") << QStringLiteral("C=16711680");
  return m;
}

TEST(HostLine, FollowsTheEditorsLineThroughEveryKindOfMessage) {
  Editor editor;
  HostLine host(kFont);
  ASSERT_TRUE(host.Start(kStart));
  for (const QString& message : EveryKindOfMessage()) {
    const QString before = host.Line();
    const bool editorApplied = editor.session.SendText(message);
    const HostLine::Outcome outcome = host.Apply(message);
    EXPECT_EQ(outcome == HostLine::Outcome::Applied, editorApplied) << message.toStdString();
    EXPECT_EQ(host.Line(), editor.state.Text1.text()) << message.toStdString();
    EXPECT_EQ(host.Params(), *stamp::ParseLine(host.Line())) << message.toStdString();
    if (outcome != HostLine::Outcome::Applied) {
      EXPECT_EQ(host.Line(), before);
    }
    EXPECT_EQ(outcome == HostLine::Outcome::NotALookChange, !stamp::IsLookMessage(message))
        << message.toStdString();
  }
}

TEST(HostLine, AnUnusableStartShowsTheEditorsDefaultLookAndTheFirstChangeBuildsOnIt) {
  for (const QString& bad : {QString(), QStringLiteral("a.png|Arial|1"), QStringLiteral("junk")}) {
    HostLine host(kFont);
    EXPECT_FALSE(host.Start(bad));
    EXPECT_EQ(host.Line(), stamp::DefaultLine(kFont));
    EXPECT_EQ(host.Params(), stamp::DefaultParams(kFont));
    // The editor shows the same default for such a line and applies its
    // first change to it; both then hold the same complete line.
    Editor editor;
    editor.state.Text1.setText(bad);
    ASSERT_EQ(host.Apply(QStringLiteral("X=5")), HostLine::Outcome::Applied);
    ASSERT_TRUE(editor.session.SendText(QStringLiteral("X=5")));
    EXPECT_EQ(host.Line(), editor.state.Text1.text());
  }
}

TEST(HostLine, ALongerStoredLineIsReadAsTheEditorReadsIt) {
  // A row-break flag pasted after the 22 fields: both show the look and
  // apply the first change to its 22 fields.
  const QString longer = kStart + QStringLiteral("|1");
  HostLine host(kFont);
  EXPECT_TRUE(host.Start(longer));
  EXPECT_EQ(host.Params(), *stamp::ParseLine(kStart));
  Editor editor;
  editor.state.Text1.setText(longer);
  ASSERT_EQ(host.Apply(QStringLiteral("X=5")), HostLine::Outcome::Applied);
  ASSERT_TRUE(editor.session.SendText(QStringLiteral("X=5")));
  EXPECT_EQ(host.Line(), editor.state.Text1.text());
}

TEST(HostLine, AStoredLineIsKeptAsItStands) {
  // Decimal colours, as a hand-edited file may hold them, are not rewritten
  // until a change rewrites the line.
  const QString decimal = QString(kStart).replace(QStringLiteral("&HFF|"), QStringLiteral("255|"));
  HostLine host(kFont);
  ASSERT_TRUE(host.Start(decimal));
  EXPECT_EQ(host.Line(), decimal);
}

}  // namespace
}  // namespace qm::host
