// The editor window against a host on a real socket: the host is an endpoint
// served by a thread of its own (as the host process would be), and what it
// writes into the editor's box travels over the editor's own endpoint.
#include <gtest/gtest.h>

#include <QFileInfo>
#include <QSemaphore>
#include <QTest>
#include <QTimer>
#include <future>
#include <mutex>

#include "app/FrmOptions.h"
#include "colour/ColourModel.h"
#include "colour/Palette.h"
#include "colour/ui/SelectionMark.h"
#include "link/LinkTestSupport.h"
#include "pages/ui/CategoryPage.h"
#include "pages/ui/ColourPage.h"
#include "pages/ui/TextPage.h"
#include "pages/ui/TonePage.h"
#include "platform/Classic.h"
#include "platform/link/LinkSender.h"
#include "session/HostSession.h"
#include "stamp/ColourOrder.h"
#include "stamp/HostMessage.h"
#include "stamp/ParamLine.h"
#include "support/FileAge.h"
#include "support/QtPrint.h"
#include "support/TempProgram.h"
#include "support/WindowParts.h"

using namespace qm;

namespace {

constexpr qint32 kHost = 1000001;

const QString kLine = QStringLiteral(
    "Clouds\\a.png|DejaVu Sans|1|36|&HFF0000|5|-3|&H0|2|-2|128|&HFF|3|1|1|1|0|30|120|90|-10|40");

QByteArray Ini(const QString& selected) {
  QByteArray ini = "[General]\r\n";
  if (!selected.isNull()) ini += "Selected=" + selected.toUtf8() + "\r\n";
  ini +=
      "[Dir0]\r\nName=Облака\r\nPath=Clouds\r\n"
      "[Dir1]\r\nName=Море\r\nPath=Sea\r\n";
  return ini;
}

QStringList Fields(const QString& line) { return classic::Split(line, u'|'); }

class HostLink : public ::testing::Test {
 protected:
  void SetUp() override { link::SetDefaultReplyTimeout(3000); }
  void TearDown() override {
    window.reset();
    host.reset();
    link::SetDefaultReplyTimeout(0);
  }

  void StartHost(link::test::EndpointThread::Handler handler = {}) {
    host = std::make_unique<link::test::EndpointThread>(dir.path(), kHost, std::move(handler));
    ASSERT_TRUE(host->listening());
  }

  FrmOptions& Open(const QString& commandLine = QString::number(kHost) + QStringLiteral("|+12°")) {
    window = std::make_unique<FrmOptions>(program.Environment(commandLine, dir.path()));
    EXPECT_TRUE(window->Form_Load());
    window->show();
    return *window;
  }

  // What the host received since the last call.
  QStringList Received() {
    const QStringList all = host->messages();
    const QStringList fresh = all.mid(seen_);
    seen_ = all.size();
    return fresh;
  }

  // The host writes `text` into the editor's box, over the editor's endpoint,
  // while this thread keeps the editor's event loop running.
  bool HostWrites(const QString& text) {
    const qint32 editor = window->Host().TxtMsgHandle();
    const QString path = dir.path();
    auto done = std::async(std::launch::async, [=] {
      link::LinkSender sender(editor, nullptr, path);
      return sender.send(text);
    });
    const bool finished = QTest::qWaitFor(
        [&] { return done.wait_for(std::chrono::seconds(0)) == std::future_status::ready; }, 8000);
    return finished && done.get();
  }

  void ClickMenuEntry(int page) {
    QWidget* entry = test::MenuEntry(*window, page);
    QTest::mouseClick(entry, Qt::LeftButton, {}, entry->rect().center());
  }

  QString Announcement() const {
    return QStringLiteral("W=") + QString::number(window->Host().TxtMsgHandle());
  }

  link::test::LinkDir dir;
  test::TempProgram program;
  std::unique_ptr<link::test::EndpointThread> host;
  std::unique_ptr<FrmOptions> window;
  qsizetype seen_ = 0;
};

TEST_F(HostLink, AnnouncesItselfAndSetsEveryControlFromTheSelectedLine) {
  program.WriteIni(Ini(kLine));
  StartHost();
  FrmOptions& w = Open();
  ASSERT_GT(w.Host().TxtMsgHandle(), 0);
  // The announcement first; then the font, which the list always sends, and
  // the offsets, which their sliders always send; nothing else.
  EXPECT_EQ(Received(),
            QStringList({Announcement(), "F=DejaVu Sans", "X=5", "Y=-3", "x=2", "y=-2"}));
  EXPECT_EQ(w.State().Text1.text(), kLine);
  EXPECT_TRUE(w.State().FormReady());
  EXPECT_EQ(w.State().sampleText, QStringLiteral("+12°"));

  TextPage& t = *test::TextPageOf(w);
  EXPECT_EQ(t.lstFont->Text(), QStringLiteral("DejaVu Sans"));
  EXPECT_EQ(t.lblFntNum->text(),
            QStringLiteral("[%1/%2]").arg(t.lstFont->ListIndex() + 1).arg(t.lstFont->ListCount()));
  EXPECT_EQ(t.chkFontAttr[0]->Value(), 1);
  EXPECT_EQ(t.chkFontAttr[1]->Value(), 0);
  EXPECT_EQ(t.scrlFontSize->Value(), -36);
  EXPECT_EQ(t.txtFontSize->text(), QStringLiteral("36"));
  EXPECT_EQ(t.scrlShTrans->Value(), 127);
  EXPECT_EQ(t.lblShTrans->text(), QStringLiteral("49"));
  EXPECT_EQ(t.scrlBorder->Value(), -3);
  EXPECT_EQ(t.lblBorder->text(), QStringLiteral("3"));
  EXPECT_EQ(t.chkText->Value(), 1);
  EXPECT_EQ(t.chkShadow->Value(), 1);
  EXPECT_EQ(t.chkBorder->Value(), 1);
  EXPECT_EQ(t.chkBrdDown->Value(), 0);
  EXPECT_EQ(t.scrlTempX->Value(), -5);
  EXPECT_EQ(t.txtTempX->text(), QStringLiteral("5"));
  EXPECT_EQ(t.scrlTempY->Value(), -3);
  EXPECT_EQ(t.scrlShadowX->Value(), -2);
  EXPECT_EQ(t.txtShadowY->text(), QStringLiteral("-2"));
  TonePage& tone = *test::TonePageOf(w);
  const int sliders[5] = {30, 120, 90, -10, -60};
  const char* shown[5] = {"30", "120", "90", "-10", "40"};
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(tone.scrlHue[i]->Value(), sliders[i]) << i;
    EXPECT_EQ(tone.txtHue[i]->text(), QString::fromLatin1(shown[i])) << i;
  }
  // Text colour red in the line is red in the colour editor (0x00BBGGRR).
  EXPECT_EQ(test::ColourPageOf(w)->ClrTarget, 1);
  EXPECT_EQ(w.State().CurrentParams.TextColor, 0xFF0000);
  EXPECT_EQ(test::ColourPageOf(w)->SelectedColor(), 0xFF);
  EXPECT_EQ(test::ColourPageOf(w)->picClrSet->BackColor(), 0xFF);
  EXPECT_EQ(test::ColourPageOf(w)->scrlColor[0]->Value(), 255);
  // The category of the picture is chosen.
  EXPECT_EQ(test::CategoryPageOf(w)->lstDir->ListIndex(), 0);
}

TEST_F(HostLink, AnswersTheFourHostTextsAndLeavesOthersInTheBox) {
  program.WriteIni(Ini(kLine));
  StartHost();
  FrmOptions& w = Open();
  Received();

  ASSERT_TRUE(HostWrites(QStringLiteral("W=2")));
  EXPECT_EQ(Received(), QStringList{Announcement()});
  EXPECT_TRUE(w.State().txtMsg.text().isEmpty());

  // Keys are case-sensitive; an unknown text stays in the box.
  ASSERT_TRUE(HostWrites(QStringLiteral("w=2")));
  EXPECT_TRUE(Received().isEmpty());
  EXPECT_EQ(w.State().txtMsg.text(), QStringLiteral("w=2"));

  // A listed font is selected and named back once.
  ASSERT_TRUE(HostWrites(QStringLiteral("F=DejaVu Serif")));
  EXPECT_EQ(Received(), QStringList{"F=DejaVu Serif"});
  EXPECT_EQ(test::TextPageOf(w)->lstFont->Text(), QStringLiteral("DejaVu Serif"));
  EXPECT_EQ(Fields(w.State().Text1.text())[1], QStringLiteral("DejaVu Serif"));
  EXPECT_TRUE(w.State().txtMsg.text().isEmpty());

  // A font we do not list: the selection stays and the host hears which
  // font is in use.
  ASSERT_TRUE(HostWrites(QStringLiteral("F=No Such Family")));
  EXPECT_EQ(Received(), QStringList{"F=DejaVu Serif"});

  w.showMinimized();
  ASSERT_TRUE(HostWrites(QStringLiteral("W=1")));
  EXPECT_FALSE(w.windowState() & Qt::WindowMinimized);
  EXPECT_TRUE(w.State().txtMsg.text().isEmpty());
  EXPECT_TRUE(Received().isEmpty());

  ASSERT_TRUE(HostWrites(QStringLiteral("W=0")));
  EXPECT_TRUE(QTest::qWaitFor([&] { return !w.isVisible(); }, 2000));
  EXPECT_EQ(Received(), QStringList{"W=0"});
}

TEST_F(HostLink, RefusedMessagesReachNeitherTheHostNorTheLine) {
  program.WriteIni(Ini(kLine));
  StartHost();
  FrmOptions& w = Open();
  Received();
  w.Host().Save();  // settle the start-up save
  const QString before = w.State().Text1.text();
  const stamp::StampParams current = w.State().CurrentParams;
  for (const char* bad : {"A=only|three|fields", "A=", "S=abc", "X=1|2", "P=a.png|1|2|3|4",
                          "p=0|100|100|0", "p=0|100|x|0|0", "t=300"}) {
    EXPECT_FALSE(w.SendText(QString::fromUtf8(bad))) << bad;
  }
  EXPECT_TRUE(Received().isEmpty());
  EXPECT_EQ(w.State().Text1.text(), before);
  EXPECT_EQ(w.State().CurrentParams, current);
  EXPECT_FALSE(w.Host().SavePending());
}

TEST_F(HostLink, TemplateLineIsTakenOverAndAppliedWithTheOffsetsSentAgain) {
  program.WriteIni(Ini(kLine));
  StartHost();
  FrmOptions& w = Open();
  Received();
  // Colours in decimal stay as they are: "A=" takes the line over unchanged.
  const QString line = QStringLiteral(
      "Sea\\b.png|DejaVu Serif|6|20|65280|-7|4|255|-1|3|200|0|5|0|1|0|1|0|100|100|0|0");
  ASSERT_TRUE(w.SendText(QStringLiteral("A=") + line));
  EXPECT_EQ(w.State().Text1.text(), line);
  EXPECT_TRUE(w.Host().SavePending());
  w.SetParamFromText();
  EXPECT_EQ(Received(), QStringList({QStringLiteral("A=") + line, "F=DejaVu Serif", "X=-7", "Y=4",
                                     "x=-1", "y=3"}));
  TextPage& t = *test::TextPageOf(w);
  EXPECT_EQ(t.lstFont->Text(), QStringLiteral("DejaVu Serif"));
  EXPECT_EQ(t.chkFontAttr[0]->Value(), 0);
  EXPECT_EQ(t.chkFontAttr[1]->Value(), 1);
  EXPECT_EQ(t.chkFontAttr[2]->Value(), 1);
  EXPECT_EQ(t.txtFontSize->text(), QStringLiteral("20"));
  EXPECT_EQ(t.scrlShTrans->Value(), 55);
  EXPECT_EQ(t.lblBorder->text(), QStringLiteral("5"));
  EXPECT_EQ(t.chkText->Value(), 0);
  EXPECT_EQ(t.chkShadow->Value(), 1);
  EXPECT_EQ(t.chkBorder->Value(), 0);
  EXPECT_EQ(t.chkBrdDown->Value(), 1);
  EXPECT_EQ(t.txtTempX->text(), QStringLiteral("-7"));
  EXPECT_EQ(test::TonePageOf(w)->scrlHue[4]->Value(), -100);
  EXPECT_EQ(test::ColourPageOf(w)->picClrSet->BackColor(), stamp::Color2RGB(65280));
  EXPECT_EQ(test::CategoryPageOf(w)->lstDir->ListIndex(), 1);
  // The messages sent again put the template's values back into the line,
  // with its colours rewritten in the line's own form.
  EXPECT_EQ(w.State().Text1.text(),
            QStringLiteral("Sea\\b.png|DejaVu Serif|6|20|&HFF00|-7|4|&HFF|-1|3|200|&H0|5|0|1|0|1|0|"
                           "100|100|0|0"));
}

TEST_F(HostLink, PictureAndToneGroupsChangeOnlyTheirFields) {
  program.WriteIni(Ini(kLine));
  StartHost();
  FrmOptions& w = Open();
  Received();
  const QStringList before = Fields(w.State().Text1.text());
  ASSERT_TRUE(w.SendText(QStringLiteral("P=Sea\\c.png|10|110|120|5|20")));
  QStringList want = before;
  want[0] = QStringLiteral("Sea\\c.png");
  want[17] = "10", want[18] = "110", want[19] = "120", want[20] = "5", want[21] = "20";
  EXPECT_EQ(Fields(w.State().Text1.text()), want);
  ASSERT_TRUE(w.SendText(QStringLiteral("p=0|100|100|0|0")));
  want[17] = "0", want[18] = "100", want[19] = "100", want[20] = "0", want[21] = "0";
  EXPECT_EQ(Fields(w.State().Text1.text()), want);
  EXPECT_EQ(Received(), QStringList({"P=Sea\\c.png|10|110|120|5|20", "p=0|100|100|0|0"}));
  EXPECT_EQ(w.State().CurrentParams.PicSaturation, 100);
}

TEST_F(HostLink, AnnouncementsTouchNeitherTheLineNorTheSaveTimer) {
  program.WriteIni(Ini(kLine));
  StartHost();
  FrmOptions& w = Open();
  w.Host().Save();
  Received();
  const QString before = w.State().Text1.text();
  EXPECT_FALSE(w.SendText(QStringLiteral("W=5")));
  EXPECT_EQ(Received(), QStringList{"W=5"});
  EXPECT_EQ(w.State().Text1.text(), before);
  EXPECT_FALSE(w.Host().SavePending());
}

TEST_F(HostLink, ABurstOfChangesIsSavedOnceASecondAfterTheLast) {
  program.WriteIni(Ini(kLine));
  StartHost();
  FrmOptions& w = Open();
  w.Host().Save();
  const int saves = w.Host().SaveCount();
  Received();
  ui::ClassicScrollBar* s = test::TextPageOf(w)->scrlTempX;
  // A second after the last change; here the test sets how long that is.
  QTimer* save = &w.Host().SaveTimer();
  EXPECT_EQ(save->interval(), 1000);
  EXPECT_TRUE(save->isSingleShot());
  save->setInterval(50);
  for (int i = 0; i < 1000; ++i) s->SetValue(i % 2 ? -40 : -41);
  EXPECT_EQ(Received().size(), 1000);
  // Nothing written while the burst lasts, then once: the timer is not
  // running any more, so no second write can follow.
  EXPECT_EQ(w.Host().SaveCount(), saves);
  EXPECT_TRUE(w.Host().SavePending());
  EXPECT_TRUE(QTest::qWaitFor([&] { return w.Host().SaveCount() == saves + 1; }, 5000));
  EXPECT_FALSE(w.Host().SavePending());
  EXPECT_TRUE(program.ReadIni().contains("|DejaVu Sans|1|36|&HFF0000|40|-3|"));
}

TEST_F(HostLink, ASaveStillPendingIsWrittenBeforeTheHostHearsW0) {
  program.WriteIni(Ini(kLine));
  std::mutex m;
  QByteArray iniAtW0;
  StartHost([&](link::LinkEndpoint&, const QString& text) {
    if (text != u"W=0") return;
    std::lock_guard lock(m);
    iniAtW0 = program.ReadIni();
  });
  FrmOptions& w = Open();
  test::TextPageOf(w)->chkBrdDown->SetValue(1);
  ASSERT_TRUE(w.Host().SavePending());
  w.close();
  std::lock_guard lock(m);
  EXPECT_TRUE(iniAtW0.contains("|3|1|1|1|1|30|120|90|-10|40")) << iniAtW0.constData();
  EXPECT_EQ(host->messages().last(), QStringLiteral("W=0"));
}

TEST_F(HostLink, WithoutASelectionTheDefaultLookIsShownAndTheFirstChangeWritesALine) {
  for (const QString& stored :
       {QString(), QStringLiteral("Clouds\\a.png|DejaVu Sans|x|36"),
        QString(kLine).replace(QStringLiteral("|128|"), QStringLiteral("|12a|"))}) {
    program.WriteIni(Ini(stored));
    StartHost();
    seen_ = 0;
    FrmOptions& w = Open();
    // Nothing of a look that is not the user's goes out.
    EXPECT_EQ(Received(), QStringList{Announcement()}) << stored.toStdString();
    EXPECT_EQ(w.State().Text1.text(), stored);
    EXPECT_FALSE(w.Host().SavePending());
    TextPage& t = *test::TextPageOf(w);
    EXPECT_EQ(t.lstFont->ListIndex(), 0);
    EXPECT_EQ(t.txtFontSize->text(), QStringLiteral("50"));
    EXPECT_EQ(t.chkText->Value(), 1);
    EXPECT_EQ(test::TonePageOf(w)->scrlHue[1]->Value(), 100);

    // The first change: the host hears the whole default look first, so
    // that what it draws and what the INI file gets agree.
    ClickMenuEntry(1);
    QTest::mouseClick(t.chkShadow, Qt::LeftButton, {}, QPoint(6, t.chkShadow->height() / 2));
    EXPECT_EQ(
        Received(),
        QStringList({stamp::WholeLineMessage(stamp::DefaultLine(t.lstFont->List(0))), "o=1"}));
    const QString line = w.State().Text1.text();
    ASSERT_TRUE(stamp::IsValidLine(line)) << line.toStdString();
    QStringList want = Fields(stamp::DefaultLine(t.lstFont->List(0)));
    want[14] = QStringLiteral("1");
    EXPECT_EQ(Fields(line), want);
    // Only once: the line is the user's now.
    QTest::mouseClick(t.chkShadow, Qt::LeftButton, {}, QPoint(6, t.chkShadow->height() / 2));
    EXPECT_EQ(Received(), QStringList{"o=0"});
    want[14] = QStringLiteral("0");
    EXPECT_EQ(Fields(w.State().Text1.text()), want);
    w.close();
    EXPECT_TRUE(program.ReadIni().contains(("Selected=" + want.join(u'|')).toUtf8()));
    window.reset();
    host.reset();
  }
}

// A template's row-break field pasted after the 22 of the look: the look is
// the user's all the same, shown as such, and the first change writes it back
// with 22 fields.
TEST_F(HostLink, ASelectedLineWithASurplusFieldKeepsTheUsersLook) {
  program.WriteIni(Ini(kLine + QStringLiteral("|1")));
  StartHost();
  FrmOptions& w = Open();
  EXPECT_EQ(Received(),
            QStringList({Announcement(), "F=DejaVu Sans", "X=5", "Y=-3", "x=2", "y=-2"}));
  TextPage& t = *test::TextPageOf(w);
  EXPECT_EQ(t.txtFontSize->text(), QStringLiteral("36"));
  EXPECT_EQ(t.chkShadow->Value(), 1);
  EXPECT_EQ(test::TonePageOf(w)->txtHue[4]->text(), QStringLiteral("40"));
  EXPECT_EQ(test::CategoryPageOf(w)->lstDir->ListIndex(), 0);

  ClickMenuEntry(1);
  QTest::mouseClick(t.chkShadow, Qt::LeftButton, {}, QPoint(6, t.chkShadow->height() / 2));
  EXPECT_EQ(Received(), QStringList{"o=0"});
  QStringList want = Fields(kLine);
  want[14] = QStringLiteral("0");
  EXPECT_EQ(Fields(w.State().Text1.text()), want);
  w.close();
  EXPECT_TRUE(program.ReadIni().contains(("Selected=" + want.join(u'|') + "\r\n").toUtf8()));
}

TEST_F(HostLink, AHostThatHangsOrVanishesCostsDeliveriesNotChanges) {
  program.WriteIni(Ini(kLine));
  // The host holds its answer until the test lets it go.
  std::atomic<bool> hang{false};
  QSemaphore letGo;
  StartHost([&](link::LinkEndpoint&, const QString&) {
    if (hang) letGo.acquire();
  });
  FrmOptions& w = Open();
  Received();
  link::SetDefaultReplyTimeout(150);
  hang = true;
  test::TextPageOf(w)->scrlTempX->SetValue(-10);
  EXPECT_EQ(Fields(w.State().Text1.text())[5], QStringLiteral("10"));
  hang = false;
  letGo.release();

  host.reset();  // the host is gone
  test::TextPageOf(w)->chkShadow->SetValue(0);
  EXPECT_EQ(Fields(w.State().Text1.text())[14], QStringLiteral("0"));
  w.close();
  EXPECT_TRUE(program.ReadIni().contains("|128|&HFF|3|1|0|1|0|"));
}

TEST_F(HostLink, WithoutAHostNothingIsSentButEverythingIsSaved) {
  program.WriteIni(Ini(kLine));
  StartHost();
  FrmOptions& w = Open(QStringLiteral("0|+12°"));
  EXPECT_EQ(w.Host().TxtMsgHandle(), 0);
  test::TextPageOf(w)->scrlBorder->SetValue(-7);
  w.close();
  EXPECT_TRUE(host->messages().isEmpty());
  EXPECT_TRUE(program.ReadIni().contains("|&HFF|7|1|1|1|0|"));
}

TEST_F(HostLink, PaletteMarkBlinksAndNothingIsSentAfterClosing) {
  program.WriteIni(Ini(kLine));
  StartHost();
  FrmOptions& w = Open();
  EXPECT_TRUE(test::TimerOf(w, 0)->isActive());
  EXPECT_EQ(test::TimerOf(w, 0)->interval(), 300);
  test::ColourPageOf(w)->tmr_Timer();
  EXPECT_EQ(test::ColourPageOf(w)->shpBox->DrawMode(), 12);
  EXPECT_EQ(test::ColourPageOf(w)->shpBox->BorderStyle(), 1);
  test::ColourPageOf(w)->tmr_Timer();
  EXPECT_EQ(test::ColourPageOf(w)->shpBox->DrawMode(), 6);
  EXPECT_EQ(test::ColourPageOf(w)->shpBox->BorderStyle(), 3);

  w.close();
  Received();
  EXPECT_EQ(w.Host().TxtMsgHandle(), 0);
  test::TextPageOf(w)->scrlTempX->SetValue(-100);
  EXPECT_TRUE(Received().isEmpty());
}

TEST(BlinkTimer, RunsThroughTheFourLooksOfThePaletteMark) {
  std::int16_t phase = 0;
  const BlinkLook want[5] = {{12, 1}, {6, 3}, {12, 3}, {6, 1}, {12, 1}};
  for (const BlinkLook& look : want) EXPECT_EQ(BlinkStep(phase), look);
}

}  // namespace

TEST_F(HostLink, OffsetsTheSlidersCannotHoldAreShownButNeitherSentNorRewritten) {
  const QString odd = QStringLiteral(
      "Clouds\\a.png|DejaVu Sans|1|36|&HFF0000|300|-3|&H0|2|-25|128|&HFF|3|1|1|1|0|0|100|100|0|0");
  program.WriteIni(Ini(odd));
  StartHost();
  FrmOptions& w = Open();
  EXPECT_EQ(Received(), QStringList({Announcement(), "F=DejaVu Sans", "Y=-3", "x=2"}));
  EXPECT_EQ(test::TextPageOf(w)->txtTempX->text(), QStringLiteral("200"));
  EXPECT_EQ(test::TextPageOf(w)->txtShadowY->text(), QStringLiteral("-10"));
  // Y and x were sent again as the sliders moved; the line keeps what the
  // sliders could not show, and showing it is no change to be saved.
  EXPECT_FALSE(w.Host().SavePending());
  EXPECT_EQ(w.State().Text1.text(), odd);
  EXPECT_TRUE(program.ReadIni().contains(("Selected=" + odd).toUtf8()));
  // Moving the slider takes its own value over.
  test::TextPageOf(w)->scrlTempX->LineStep(false);
  EXPECT_EQ(Received(), QStringList({"X=199"}));
}

struct TypedOffsetCase {
  const char* box;
  const char* typed;
  bool enter;         // else the focus leaves the box with Tab
  const char* sent;   // nothing when empty
  const char* shown;  // in the box afterwards
};

class TypedOffset : public HostLink, public ::testing::WithParamInterface<TypedOffsetCase> {};

// The line starts with X 5, Y -3, x 2 and y -2.
TEST_P(TypedOffset, ReachesTheHostAsTheSliderWouldSendIt) {
  const TypedOffsetCase& c = GetParam();
  program.WriteIni(Ini(kLine));
  StartHost();
  FrmOptions& w = Open();
  w.activateWindow();
  if (!QTest::qWaitForWindowActive(&w, 2000))
    GTEST_SKIP() << "the platform never makes the window active";
  Received();
  auto* box = test::Part<QLineEdit>(w, QString::fromLatin1(c.box));
  ASSERT_NE(box, nullptr);
  QTest::mouseClick(test::MenuEntry(w, 1), Qt::LeftButton);
  QTest::mouseClick(box, Qt::LeftButton, {}, box->rect().center());
  ASSERT_TRUE(box->hasFocus());
  QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
  QTest::keyClicks(box, QString::fromLatin1(c.typed));
  QTest::keyClick(box, c.enter ? Qt::Key_Return : Qt::Key_Tab);
  EXPECT_EQ(box->hasFocus(), c.enter);

  const QString shown = QString::fromLatin1(c.shown);
  const QStringList none;
  EXPECT_EQ(Received(), *c.sent ? QStringList{QString::fromLatin1(c.sent)} : none);
  EXPECT_EQ(box->text(), shown);
  // Text offsets go with upper-case keys, shadow offsets with lower-case.
  const QString name = QString::fromLatin1(c.box);
  const QString key = name.contains(u"Temp") ? name.right(1) : name.right(1).toLower();
  // The slider stands where the box says: a step away and back ends there.
  auto* slider = test::Part<ui::ClassicScrollBar>(w, QStringLiteral("scrl") + name.mid(3));
  ASSERT_NE(slider, nullptr);
  const bool away = slider->Value() != slider->Max();
  slider->LineStep(away);
  slider->LineStep(!away);
  const QStringList steps = Received();
  ASSERT_EQ(steps.size(), 2);
  EXPECT_EQ(steps.last(), key + u'=' + shown);
}

INSTANTIATE_TEST_SUITE_P(
    Boxes, TypedOffset,
    ::testing::Values(TypedOffsetCase{"txtTempX", "20", true, "X=20", "20"},
                      TypedOffsetCase{"txtTempY", "-250", true, "Y=-200", "-200"},
                      TypedOffsetCase{"txtShadowX", "7", false, "x=7", "7"},
                      TypedOffsetCase{"txtShadowY", "12", false, "y=10", "10"},
                      TypedOffsetCase{"txtTempY", "4a", true, "", "-3"},
                      TypedOffsetCase{"txtShadowX", "", false, "", "2"}),
    [](const auto& info) { return std::string(info.param.box) + std::to_string(info.index); });

TEST_F(HostLink, LongLinesAndMessagesAreKeptWhole) {
  program.WriteIni(Ini(kLine));
  StartHost();
  FrmOptions& w = Open();
  const QString longName = QString(40000, u'a') + QStringLiteral(".png");
  const QString line = QStringLiteral("Clouds\\") + longName + kLine.mid(kLine.indexOf(u'|'));
  ASSERT_TRUE(w.SendText(QStringLiteral("A=") + line));
  EXPECT_EQ(w.State().Text1.text(), line);
}

TEST_F(HostLink, AnUnlistedFontOrCategoryLeavesTheSelectionAndNamesNoFont) {
  program.WriteIni(Ini(kLine));
  StartHost();
  FrmOptions& w = Open();
  Received();
  const int font = test::TextPageOf(w)->lstFont->ListIndex();
  const int category = test::CategoryPageOf(w)->lstDir->ListIndex();
  const QString line = QStringLiteral(
      "Nowhere\\b.png|No Such Family|0|20|&HFF|1|2|&H0|0|0|255|&H0|1|1|0|1|0|0|100|100|0|0");
  ASSERT_TRUE(w.SendText(QStringLiteral("A=") + line));
  w.SetParamFromText();
  EXPECT_EQ(Received(), QStringList({QStringLiteral("A=") + line, "X=1", "Y=2", "x=0", "y=0"}));
  EXPECT_EQ(test::TextPageOf(w)->lstFont->ListIndex(), font);
  EXPECT_EQ(test::CategoryPageOf(w)->lstDir->ListIndex(), category);
}

namespace {

TEST_F(HostLink, ColourPageSendsTheTargetsColourAndSavesTheSetInPlace) {
  // Colours as stored by hand: cell 1 dark red, the rest left to defaults.
  QByteArray ini = Ini(kLine);
  ini.replace("[General]\r\n", "[General]\r\nColors=&H10|&H20|bad\r\n; kept\r\n");
  program.WriteIni(ini);
  StartHost();
  FrmOptions& w = Open();
  ColourPage& page = *test::ColourPageOf(w);
  w.lblMenu_MouseDown(2);
  Received();
  const auto click = [](QWidget* cell, Qt::MouseButton b, Qt::KeyboardModifiers m = {}) {
    QTest::mouseClick(cell, b, m, QPoint(4, 4));
  };

  // Right, then middle: the border's blue is shown, nothing goes to the host.
  click(page.picColor[3], Qt::RightButton);
  click(page.picColor[3], Qt::MiddleButton);
  EXPECT_EQ(page.ClrTarget, 4);
  EXPECT_EQ(page.picClrSet->BackColor(), 0xFF0000);
  EXPECT_TRUE(Received().isEmpty());

  // A left click on the stored cell: the host and the line get its colour
  // (the luma slider moves from 255 to 32, so it is sent twice).
  click(page.picColor[1], Qt::LeftButton);
  EXPECT_EQ(page.picColor[1]->BackColor(), 0x20);
  EXPECT_EQ(Received(), QStringList(2, QStringLiteral("q=2097152")));
  EXPECT_EQ(Fields(w.State().Text1.text())[11], QStringLiteral("&H200000"));

  // Shift-click restores a default: only the "Colors" value changes on disk.
  click(page.picColor[0], Qt::LeftButton, Qt::ShiftModifier);
  w.Host().FlushPendingSave();
  colour::ColourCells cells = colour::DefColors;
  cells[1] = 0x20;
  QByteArray want = ini;
  want.replace("&H10|&H20|bad", colour::ColorsKeyText(cells).toLatin1());
  want.replace(kLine.toUtf8(), w.State().Text1.text().toUtf8());
  EXPECT_EQ(program.ReadIni(), want);
  EXPECT_TRUE(Received().isEmpty());
}

}  // namespace

namespace {

// Start-up shows the stored line and sends the font and the offsets to the
// host again. The user has changed nothing, so a line edited by hand stays on
// disk byte for byte; a change the host asks for meanwhile is saved.
TEST_F(HostLink, StartUpResendsTheLookButLeavesAHandEditedLineOnDisk) {
  const QString handEdited =
      QString(kLine).replace(QStringLiteral("|5|-3|"), QStringLiteral("|1,5|-3|"));
  const QByteArray ini = Ini(handEdited);
  program.WriteIni(ini);
  StartHost();
  FrmOptions& w = Open();
  EXPECT_EQ(Received(),
            QStringList({Announcement(), "F=DejaVu Sans", "X=2", "Y=-3", "x=2", "y=-2"}));
  EXPECT_FALSE(w.Host().SavePending());
  w.close();
  EXPECT_EQ(program.ReadIni(), ini);
  window.reset();
  host.reset();

  // The host answers the first offset by choosing another font.
  StartHost([editor = qint32(0)](link::LinkEndpoint& own, const QString& text) mutable {
    if (text.startsWith(u"W=")) editor = text.mid(2).toInt();
    if (text == u"X=2")
      link::LinkSender(editor, &own, own.directory()).send(QStringLiteral("F=DejaVu Serif"));
  });
  seen_ = 0;
  FrmOptions& again = Open();
  EXPECT_TRUE(again.Host().SavePending());
  again.close();
  EXPECT_TRUE(program.ReadIni().contains("|DejaVu Serif|")) << program.ReadIni().toStdString();
}

// A kill during a save leaves a temporary file beside the INI file, and every
// kill leaves the endpoint's socket file: start-up removes both when stale.
TEST_F(HostLink, StartUpRemovesStaleLeftoversOfKilledRuns) {
  program.WriteIni(Ini(kLine));
  const QString temporary = program.IniFile() + QStringLiteral(".qWeRtY");
  test::TempProgram::WriteFile(temporary, "[General]\r\n");
  test::Age(temporary, 120);
  const int dead = link::test::RawListen(dir.socket(4242));
  ASSERT_GE(dead, 0);
  ::close(dead);
  test::Age(dir.socket(4242), 120);
  StartHost();
  Open();
  EXPECT_FALSE(QFileInfo::exists(temporary));
  EXPECT_FALSE(QFileInfo::exists(dir.socket(4242)));
  EXPECT_TRUE(QFileInfo::exists(dir.socket(kHost)));
  EXPECT_TRUE(QFileInfo::exists(program.IniFile()));
}

}  // namespace
