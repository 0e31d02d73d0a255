// The start-up and shutdown as the user sees them: the progress the loading
// window shows, where the progress window goes, what is stored when a
// maximised window closes, and a start-up whose drawing backend fails.
#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QTest>
#include <QTimer>

#include "app/FrmOptions.h"
#include "app/FrmProgress.h"
#include "render/Gdip.h"
#include "support/TempProgram.h"

using namespace qm;

namespace {

const QByteArray kTwoCategories =
    "[Dir0]\r\nName=Облака\r\nPath=Clouds\r\n"
    "Pic1=a.png|DejaVu Sans|0|36|&HFFFFFF|0|0|&H0|2|-2|128|&HFF|3|1|1|1|0|0|100|100|0|0\r\n"
    "[Dir1]\r\nName=Море\r\nPath=Sea\r\n";

class StartupSequence : public ::testing::Test {
 protected:
  AppEnvironment Env() const {
    return program.Environment({}, program.ProgramDir() + QStringLiteral("/link"));
  }
  QString Stored(const QString& key) const {
    QSettings s(program.StoreFile(), QSettings::IniFormat);
    return s.value(QStringLiteral("Options/") + key).toString();
  }
  test::TempProgram program;
};

// Watches the progress window of the start-up from outside: the bar's caption
// as it stands whenever the bar is resized (Progress sizes the bar, then sets
// the caption) and when the window is hidden at the end.
class ProgressWatcher : public QObject {
 public:
  ProgressWatcher() { qApp->installEventFilter(this); }
  ~ProgressWatcher() override { qApp->removeEventFilter(this); }

  QStringList Captions() const {
    QStringList out;
    for (const QString& c : seen_)
      if (out.isEmpty() || out.back() != c) out << c;
    return out;
  }
  QList<int> BarWidths() const { return widths_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    auto* bar = qobject_cast<QPushButton*>(watched);
    if (bar && bar->objectName() == QStringLiteral("cmdProgress") &&
        event->type() == QEvent::Resize) {
      seen_ << bar->text();
      widths_ << bar->width();
    }
    if (watched->objectName() == QStringLiteral("frmProgress") && event->type() == QEvent::Hide) {
      if (auto* b = watched->findChild<QPushButton*>(QStringLiteral("cmdProgress")))
        seen_ << b->text();
    }
    return false;
  }

 private:
  QStringList seen_;
  QList<int> widths_;
};

}  // namespace

// 7 at the start, 88 / 2 = 44 per category: 51, 95, then 100.
TEST_F(StartupSequence, ProgressAfterEachCategoryThenHundred) {
  program.WriteIni(kTwoCategories);
  ProgressWatcher watch;
  FrmOptions w(Env());
  ASSERT_TRUE(w.Form_Load());
  EXPECT_EQ(watch.Captions(), (QStringList{"0%", "51%", "95%", "100%"}));
  // 75 twips at first, then 38.85 twips per percent; 15 twips per pixel.
  EXPECT_EQ(watch.BarWidths(), (QList<int>{5, 132, 246, 259}));
}

namespace {

struct Place {
  float left;  // twips, or FrmProgress::kNotGiven
  float top;
  QPoint expected;  // pixels, from a window first at (123, 45)
};

class ProgressInit : public ::testing::TestWithParam<Place> {};

}  // namespace

// 3E+38 stands for a coordinate not given: the window keeps that one.
TEST_P(ProgressInit, ACoordinateNotGivenKeepsTheCurrentOne) {
  const Place& p = GetParam();
  FrmProgress f;
  f.move(123, 45);
  const QSize size = f.size();
  f.Init(p.left, p.top, QStringLiteral("Загрузка..."));
  EXPECT_EQ(f.pos(), p.expected);
  EXPECT_EQ(f.size(), size) << "the size stays as designed";
  EXPECT_TRUE(f.isVisible());
  f.ProgressStop();
}

INSTANTIATE_TEST_SUITE_P(LeftTop, ProgressInit,
                         ::testing::Values(Place{FrmProgress::kNotGiven, 1500, QPoint(123, 100)},
                                           Place{3e38f, 0, QPoint(123, 0)},
                                           Place{1500, FrmProgress::kNotGiven, QPoint(100, 45)},
                                           Place{FrmProgress::kNotGiven, FrmProgress::kNotGiven,
                                                 QPoint(123, 45)},
                                           Place{750, 300, QPoint(50, 20)}));

// Asked to wait, the progress window shows for the first step after the wait
// and not before; the last step (100 %) does not bring it up: a load over by
// then needs no window that flashes up and goes.
TEST(ProgressWait, ShowsForAStepAfterTheWaitButNotForTheLast) {
  for (const float value : {50.0f, 100.0f}) {
    FrmProgress f;
    f.Init(FrmProgress::kNotGiven, FrmProgress::kNotGiven, QStringLiteral("Загрузка..."), 20);
    f.Progress(10);
    EXPECT_FALSE(f.isVisible()) << "shown before the wait was over";
    QElapsedTimer waited;
    waited.start();
    ASSERT_TRUE(QTest::qWaitFor([&] { return waited.elapsed() > 20; }, 5000));
    f.Progress(value);
    EXPECT_EQ(f.isVisible(), value < 100) << value;
    f.ProgressStop();
  }
}

// The place stored at shutdown is the normal window's, so that the next start
// opens a normal window where this one was before it was maximised.
TEST_F(StartupSequence, ClosingAMaximisedWindowStoresItsNormalPlace) {
  program.WriteIni(kTwoCategories);
  {
    FrmOptions w(Env());
    ASSERT_TRUE(w.Form_Load());
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    w.Move(1500, 1200, 12000, 6990);
    QApplication::processEvents();
    w.showMaximized();
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.isMaximized(); }, 5000));
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.geometry() != QRect(100, 80, 800, 466); }, 5000))
        << "the window did not grow";
    w.close();
  }
  EXPECT_EQ(Stored(QStringLiteral("FrmOptPos")), QStringLiteral("1500|1200|12000|6990"));
}

// Without a drawing backend the editor cannot show anything: the start-up
// tells the user once and ends, leaving the stores as they were.
TEST_F(StartupSequence, AFailingGraphicsStartEndsTheStartUp) {
  program.WriteIni(kTwoCategories);
  {
    QSettings s(program.StoreFile(), QSettings::IniFormat);
    s.setValue(QStringLiteral("Options/OptMenu"), QStringLiteral("2"));
  }
  const QByteArray storeBefore = test::TempProgram::ReadFile(program.StoreFile());

  const render::GdipStartFailsForTesting failing;

  // The message box is modal: answer it as a user would.
  QStringList boxes;
  QTimer answer;
  answer.setInterval(20);
  QObject::connect(&answer, &QTimer::timeout, &answer, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box) return;
    boxes << box->text() + (box->icon() == QMessageBox::Critical ? " (critical)" : " (other)");
    if (QAbstractButton* ok = box->button(QMessageBox::Ok))
      ok->click();
    else
      box->done(0);
  });
  answer.start();

  ProgressWatcher watch;
  bool loaded = true;
  {
    FrmOptions w(Env());
    loaded = w.Form_Load();
    answer.stop();
    EXPECT_FALSE(w.isVisible());
  }
  EXPECT_FALSE(loaded);
  EXPECT_EQ(boxes, QStringList{"Error loading GDI+! (critical)"});
  EXPECT_EQ(test::TempProgram::ReadFile(program.StoreFile()), storeBefore);
  EXPECT_EQ(program.ReadIni(), kTwoCategories);
}

// The font list (the first drawing batch) comes before the templates are
// read; when it cannot draw, the start-up ends there: no template is read and
// the bar does not move.
TEST_F(StartupSequence, AFailingFontListEndsBeforeTheTemplates) {
  program.WriteIni(kTwoCategories);
  const render::GdipStartFailsForTesting failing;
  QTimer answer;
  answer.setInterval(20);
  QObject::connect(&answer, &QTimer::timeout, &answer, [] {
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) box->done(0);
  });
  answer.start();
  ProgressWatcher watch;
  FrmOptions w(Env());
  EXPECT_FALSE(w.Form_Load());
  EXPECT_EQ(watch.BarWidths(), QList<int>{5}) << "only the 75-twip bar of the start";
}
