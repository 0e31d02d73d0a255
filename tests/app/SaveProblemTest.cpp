// The editor when its saves fail: the user hears of it once (the title, and
// stderr for whoever started it), the change stays waiting and is saved as
// soon as the disk takes it, and the title then says nothing more.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QTemporaryFile>
#include <QTest>
#include <QTimer>
#include <cerrno>
#include <cstdio>
#include <optional>

#include "app/FrmOptions.h"
#include "pages/ui/TextPage.h"
#include "platform/SaveFile.h"
#include "session/HostSession.h"
#include "support/TempProgram.h"
#include "support/WindowParts.h"

using namespace qm;

namespace {

// What the program writes to stderr while it lives.
class StderrCapture {
 public:
  StderrCapture() {
    file_.open();
    std::fflush(stderr);
    saved_ = ::dup(2);
    ::dup2(file_.handle(), 2);
  }
  ~StderrCapture() { Restore(); }
  QByteArray Text() {
    Restore();
    file_.seek(0);
    return file_.readAll();
  }

 private:
  void Restore() {
    if (saved_ < 0) return;
    std::fflush(stderr);
    ::dup2(saved_, 2);
    ::close(saved_);
    saved_ = -1;
  }
  QTemporaryFile file_;
  int saved_ = -1;
};

TEST(SaveProblem, IsSaidOnceAndTheChangeIsSavedWhenTheDiskTakesIt) {
  test::TempProgram program;
  program.WriteIni(test::kCloudsIni);
  FrmOptions w(program.Environment());
  ASSERT_TRUE(w.Form_Load());
  w.show();
  const QString plainTitle = w.windowTitle();
  w.Host().SaveTimer().setInterval(20);
  StderrCapture err;
  std::optional<platform::SaveFault> full(std::in_place, platform::SaveStep::Write, ENOSPC);
  const int saves = w.Host().SaveCount();
  test::TextPageOf(w)->chkBrdDown->SetValue(1);
  ASSERT_TRUE(QTest::qWaitFor([&] { return w.Host().SaveCount() >= saves + 3; }, 5000));
  EXPECT_TRUE(w.Host().SavePending());
  EXPECT_TRUE(w.windowTitle().startsWith(plainTitle));
  EXPECT_TRUE(w.windowTitle().contains(QStringLiteral("Quillmark.ini")));
  EXPECT_EQ(program.ReadIni(), test::kCloudsIni);

  full.reset();
  ASSERT_TRUE(QTest::qWaitFor([&] { return !w.Host().SavePending(); }, 5000));
  EXPECT_EQ(w.windowTitle(), plainTitle);
  EXPECT_TRUE(program.ReadIni().contains("|3|1|1|1|1|30|120|90|-10|40"));
  const QByteArray said = err.Text();
  EXPECT_EQ(said.count("cannot save"), 1) << said.constData();
  EXPECT_TRUE(said.contains(program.IniFile().toUtf8())) << said.constData();
}

}  // namespace
