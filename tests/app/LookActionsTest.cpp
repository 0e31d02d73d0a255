// Undo and redo, the look on the clipboard and the hex colour box, on the
// real window against a host on a real socket, driven by keys and clicks.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QImage>
#include <QKeyEvent>
#include <QTest>
#include <QToolButton>
#include <QToolTip>

#include "app/FrmOptions.h"
#include "app/LookActions.h"
#include "gallery/ui/GalleryArea.h"
#include "gallery/ui/Thumbnail.h"
#include "link/LinkTestSupport.h"
#include "pages/ui/ColourPage.h"
#include "pages/ui/TextPage.h"
#include "platform/Classic.h"
#include "session/HostSession.h"
#include "stamp/ParamLine.h"
#include "support/TempProgram.h"
#include "support/WindowParts.h"

using namespace qm;

namespace {

constexpr qint32 kLookHost = 1000003;

const QString kLookLine = QStringLiteral(
    "Clouds\\a.png|DejaVu Sans|1|36|&H804020|5|-3|&H0|2|-2|128|&HFF|3|1|1|1|0|30|120|90|-10|40");

class LookActionsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    link::SetDefaultReplyTimeout(3000);
    for (const char* name : {"Clouds/a.png", "Clouds/b.png"}) {
      QImage img(40, 20, QImage::Format_ARGB32);
      img.fill(QColor(200, 60, 60));
      QDir().mkpath(program.TemplateRoot() + QStringLiteral("Clouds"));
      ASSERT_TRUE(img.save(program.TemplateRoot() + QString::fromLatin1(name)));
    }
    iniBytes =
        "[General]\r\nSelected=" + kLookLine.toUtf8() +
        "\r\n[Dir0]\r\nName=Облака\r\nPath=Clouds\r\n"
        "Pic1=a.png|DejaVu Sans|0|30|&HFFFFFF|0|0|&H0|2|-2|128|&HFF|3|1|1|1|0|0|100|100|0|0\r\n"
        "Pic2=b.png|DejaVu Serif|0|24|&H00FF00|0|0|&H0|2|-2|128|&HFF|3|1|1|1|0|0|100|100|0|0|1\r\n";
    program.WriteIni(iniBytes);
    host = std::make_unique<link::test::EndpointThread>(dir.path(), kLookHost);
    ASSERT_TRUE(host->listening());
    window = std::make_unique<FrmOptions>(
        program.Environment(QString::number(kLookHost) + QStringLiteral("|+1°"), dir.path()));
    ASSERT_TRUE(window->Form_Load());
    window->show();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get(), 3000));
    window->Host().FlushPendingSave();
    iniBytes = program.ReadIni();
    Received();
  }
  void TearDown() override {
    window.reset();
    host.reset();
    link::SetDefaultReplyTimeout(0);
  }

  QStringList Received() {
    const QStringList all = host->messages();
    const QStringList fresh = all.mid(seen_);
    seen_ = all.size();
    return fresh;
  }
  QString Line() const { return window->State().Text1.text(); }
  // The key goes where the user's keys go: to the control with the focus.
  void Key(Qt::Key key, Qt::KeyboardModifiers mods = Qt::ControlModifier) {
    QWidget* to = QApplication::focusWidget() ? QApplication::focusWidget() : window.get();
    QTest::keyClick(to, key, mods);
  }
  void OpenPage(int page) {
    QWidget* entry = test::MenuEntry(*window, page);
    QTest::mouseClick(entry, Qt::LeftButton, {}, entry->rect().center());
  }
  // What the INI file holds once the pending save is written.
  QString SavedLine() {
    window->Host().FlushPendingSave();
    return classic::Split(QString::fromUtf8(program.ReadIni()), u'\n')
        .filter(QStringLiteral("Selected="))
        .value(0)
        .trimmed()
        .mid(9);
  }

  link::test::LinkDir dir;
  test::TempProgram program;
  std::unique_ptr<link::test::EndpointThread> host;
  std::unique_ptr<FrmOptions> window;
  QByteArray iniBytes;
  qsizetype seen_ = 0;
};

using Gesture = void (*)(ui::ClassicScrollBar* slider);

struct GestureCase {
  const char* name;
  Gesture gesture;
};

class OneGestureOneStep : public LookActionsTest,
                          public ::testing::WithParamInterface<GestureCase> {};

// The red slider, which sends every value it passes, dragged or stepped with
// a held key: many messages, one step back.
TEST_P(OneGestureOneStep, CtrlZTakesTheWholeGestureBackAndRedoKeysDoItAgain) {
  OpenPage(2);
  ui::ClassicScrollBar* slider = test::ColourPageOf(*window)->scrlColor[0];
  const int start = slider->Value();
  GetParam().gesture(slider);
  const QString changed = Line();
  ASSERT_GT(Received().size(), 1) << "the gesture sends several messages";
  ASSERT_NE(changed, kLookLine);

  Key(Qt::Key_Z);
  EXPECT_EQ(Line(), kLookLine);
  EXPECT_EQ(Received().value(0), QStringLiteral("A=") + kLookLine);
  EXPECT_EQ(slider->Value(), start);
  EXPECT_EQ(SavedLine(), kLookLine);
  EXPECT_FALSE(window->Look().cmdUndo->isEnabled());

  Key(Qt::Key_Y);
  EXPECT_EQ(Line(), changed);
  EXPECT_EQ(Received().value(0), QStringLiteral("A=") + changed);
  EXPECT_NE(slider->Value(), start);
  QTest::mouseClick(window->Look().cmdUndo, Qt::LeftButton);
  EXPECT_EQ(Line(), kLookLine);
  Key(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(Line(), changed);
  EXPECT_EQ(SavedLine(), changed);
}

INSTANTIATE_TEST_SUITE_P(
    Gestures, OneGestureOneStep,
    ::testing::Values(GestureCase{"drag",
                                  [](ui::ClassicScrollBar* s) {
                                    const QPoint thumb = s->ThumbRect().center();
                                    QTest::mousePress(s, Qt::LeftButton, {}, thumb);
                                    for (int dx = 8; dx <= 40; dx += 8)
                                      QTest::mouseMove(s, thumb + QPoint(dx, 0));
                                    QTest::mouseRelease(s, Qt::LeftButton, {},
                                                        thumb + QPoint(40, 0));
                                  }},
                      GestureCase{
                          "heldKey",
                          [](ui::ClassicScrollBar* s) {
                            QTest::mouseClick(s, Qt::LeftButton, {}, s->ThumbRect().center());
                            for (int i = 0; i < 5; ++i) {
                              QKeyEvent press(QEvent::KeyPress, Qt::Key_Right, Qt::NoModifier,
                                              QString(), i > 0);
                              QApplication::sendEvent(s, &press);
                            }
                            QKeyEvent release(QEvent::KeyRelease, Qt::Key_Left, Qt::NoModifier);
                            QApplication::sendEvent(s, &release);
                          }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(LookActionsTest, InsideATextBoxTheKeysEditTheTextAndLeaveTheLookAlone) {
  OpenPage(2);
  QLineEdit* box = test::ColourPageOf(*window)->txtHex;
  const QString shown = box->text();
  QTest::mouseClick(box, Qt::LeftButton);
  box->selectAll();
  QTest::keyClicks(box, QStringLiteral("zz"));
  Key(Qt::Key_Z);
  EXPECT_NE(box->text(), QStringLiteral("zz")) << "Ctrl+Z undoes the typing";
  QApplication::clipboard()->setText(QStringLiteral("#123456"));
  box->selectAll();
  Key(Qt::Key_V);
  EXPECT_EQ(box->text(), QStringLiteral("#123456"));
  EXPECT_EQ(Line(), kLookLine);
  EXPECT_TRUE(Received().isEmpty());
  // Ctrl+C copies the box's selection, not the look.
  box->setText(shown);
  box->selectAll();
  Key(Qt::Key_C);
  EXPECT_EQ(QApplication::clipboard()->text(), shown);
}

TEST_F(LookActionsTest, CtrlCCopiesTheLineAndCtrlVAppliesItAsATemplateClickUndoably) {
  OpenPage(1);
  TextPage& text = *test::TextPageOf(*window);
  QTest::mouseClick(text.scrlTempX, Qt::LeftButton, {}, text.scrlTempX->ThumbRect().center());
  Key(Qt::Key_C);
  EXPECT_EQ(QApplication::clipboard()->text(), kLookLine);

  // Another look, then the copied one back from the clipboard.
  Thumbnail* pic = test::GalleryAreaOf(*window)->pic(2);
  ASSERT_FALSE(pic->Tag.isEmpty());
  QTest::mouseClick(pic, Qt::LeftButton, {}, QPoint(5, 5));
  ASSERT_EQ(Line(), pic->Tag);
  EXPECT_EQ(text.lstFont->Text(), QStringLiteral("DejaVu Serif"));
  Received();
  QTest::mouseClick(text.scrlTempX, Qt::LeftButton, {}, text.scrlTempX->ThumbRect().center());
  Key(Qt::Key_V);
  EXPECT_EQ(Line(), kLookLine);
  EXPECT_EQ(Received().value(0), QStringLiteral("A=") + kLookLine);
  EXPECT_EQ(text.lstFont->Text(), QStringLiteral("DejaVu Sans"));
  EXPECT_EQ(SavedLine(), kLookLine);
  Key(Qt::Key_Z);
  EXPECT_EQ(Line(), pic->Tag);
  EXPECT_EQ(text.lstFont->Text(), QStringLiteral("DejaVu Serif"));
}

TEST_F(LookActionsTest, ALinePastedThatTheParserRefusesChangesNothingAndSaysWhy) {
  OpenPage(1);
  TextPage& text = *test::TextPageOf(*window);
  QTest::mouseClick(text.scrlTempX, Qt::LeftButton, {}, text.scrlTempX->ThumbRect().center());
  QString badField = kLookLine;
  badField.replace(QStringLiteral("|36|"), QStringLiteral("|huge|"));
  QStringList said;
  for (const QString& pasted :
       {QString(), QStringLiteral("hello"), kLookLine + QStringLiteral("\n") + kLookLine, badField,
        kLookLine + QStringLiteral("|1|2")}) {
    QApplication::clipboard()->setText(pasted);
    QToolTip::hideText();
    Key(Qt::Key_V);
    EXPECT_EQ(Line(), kLookLine) << pasted.toStdString();
    EXPECT_TRUE(Received().isEmpty()) << pasted.toStdString();
    EXPECT_FALSE(window->Host().SavePending()) << pasted.toStdString();
    EXPECT_TRUE(QToolTip::isVisible()) << pasted.toStdString();
    said << QToolTip::text();
  }
  EXPECT_FALSE(window->Look().History().CanUndo());
  EXPECT_TRUE(said[3].contains(QStringLiteral("huge"))) << said[3].toStdString();
  said.removeDuplicates();
  EXPECT_EQ(said.size(), 5) << "each refusal says its own reason";
  EXPECT_EQ(program.ReadIni(), iniBytes);
}

TEST_F(LookActionsTest, AnOverwrittenTemplateComesBackByteForByte) {
  GalleryArea* g = test::GalleryAreaOf(*window);
  const QString tag = g->pic(2)->Tag;
  QTest::mouseClick(g->pic(2), Qt::LeftButton, Qt::ControlModifier, QPoint(5, 5));
  const QByteArray overwritten = program.ReadIni();
  ASSERT_NE(overwritten, iniBytes);
  ASSERT_NE(g->pic(2)->Tag, tag);

  QTest::mouseClick(test::TextPageOf(*window)->lstFont, Qt::LeftButton);
  Key(Qt::Key_Z);
  EXPECT_EQ(program.ReadIni(), iniBytes);
  EXPECT_EQ(g->pic(2)->Tag, tag);
  EXPECT_EQ(Line(), kLookLine);
  Key(Qt::Key_Y);
  EXPECT_EQ(program.ReadIni(), overwritten);
  // A click on the template applies what it holds now.
  QTest::mouseClick(g->pic(2), Qt::LeftButton, {}, QPoint(5, 5));
  EXPECT_EQ(stamp::ParseLine(Line())->FontName, QStringLiteral("DejaVu Sans"));
}

TEST_F(LookActionsTest, TheHexBoxTakesAColourOnEnterAsAPaletteClickDoes) {
  OpenPage(2);
  ColourPage& page = *test::ColourPageOf(*window);
  QLineEdit* box = page.txtHex;
  const auto typeAndEnter = [&](const QString& text) {
    QTest::mouseClick(box, Qt::LeftButton);
    box->selectAll();
    QTest::keyClicks(box, text);
    QTest::keyClick(box, Qt::Key_Return);
  };
  const QString shownBefore = box->text();
  typeAndEnter(QStringLiteral("#0f8"));
  EXPECT_EQ(page.scrlColor[0]->Value(), 0);
  EXPECT_EQ(page.scrlColor[1]->Value(), 255);
  EXPECT_EQ(page.scrlColor[2]->Value(), 136);
  EXPECT_EQ(page.picClrSet->BackColor(), 0x88FF00);
  EXPECT_EQ(box->text(), QStringLiteral("#00FF88"));
  EXPECT_NE(box->text(), shownBefore);
  EXPECT_EQ(Received(), QStringList{QStringLiteral("C=") + QString::number(0x00FF88)});
  EXPECT_EQ(window->State().CurrentParams.TextColor, 0x00FF88);

  for (const char* refused : {"#12", "green", "#00FF8"}) {
    typeAndEnter(QString::fromLatin1(refused));
    EXPECT_EQ(box->text(), QStringLiteral("#00FF88")) << refused;
  }
  EXPECT_TRUE(Received().isEmpty());
  // One step: Ctrl+Z, from outside the box, brings the red back.
  QTest::mouseClick(page.scrlColor[0], Qt::LeftButton, {}, page.scrlColor[0]->ThumbRect().center());
  Key(Qt::Key_Z);
  EXPECT_EQ(Line(), kLookLine);
  EXPECT_EQ(box->text(), shownBefore);
}

}  // namespace
