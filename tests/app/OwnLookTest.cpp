// The editor started by a stamp that keeps a look of its own (a named stamp):
// it edits that look, and the shared selection of the catalogue, which the
// other stamps start from, stays as it was however much is changed and saved.
#include <gtest/gtest.h>

#include <QTest>

#include "app/FrmOptions.h"
#include "pages/ui/TextPage.h"
#include "session/HostSession.h"
#include "stamp/ParamLine.h"
#include "support/TempProgram.h"
#include "support/WindowParts.h"

using namespace qm;

namespace {

TEST(OwnLook, TheEditorEditsTheStampsOwnLookAndLeavesTheSharedSelection) {
  struct Case {
    const char* name;
    QString own;
    bool sharedShown;  // whether the editor starts from the shared selection
  };
  const QString own = QStringLiteral(
      "Clouds\\a.png|DejaVu Sans|1|48|&H00FF00|7|4|&H0|1|1|128|&HFF|3|1|1|1|0|"
      "30|120|90|-10|40");
  const Case cases[] = {
      {"a stamp with its own look", own, false},
      {"the unnamed stamp", QString(), true},
  };
  for (const Case& c : cases) {
    test::TempProgram program;
    program.WriteIni(test::kCloudsIni);
    AppEnvironment env = program.Environment();
    env.ownLook = c.own;
    FrmOptions w(env);
    ASSERT_TRUE(w.Form_Load()) << c.name;
    w.show();
    const auto shown = stamp::ParseLine(w.State().Text1.text());
    ASSERT_TRUE(shown) << c.name;
    EXPECT_EQ(shown->FontSize, c.sharedShown ? 36 : 48) << c.name;

    w.Host().SaveTimer().setInterval(20);
    const int saves = w.Host().SaveCount();
    test::TextPageOf(w)->chkBrdDown->SetValue(1);
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.Host().SaveCount() > saves; }, 5000)) << c.name;
    EXPECT_FALSE(w.Host().SavePending()) << c.name;
    EXPECT_EQ(program.ReadIni() == test::kCloudsIni, !c.sharedShown) << c.name;
  }
}

}  // namespace
