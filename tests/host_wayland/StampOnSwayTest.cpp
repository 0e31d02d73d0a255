// The desktop stamp on a Wayland compositor that offers the layer shell (sway,
// headless, of the test's own): what the compositor shows, read back with
// grim; the pointer moved by the compositor's own cursor commands; windows
// listed by its tree.

#include <gtest/gtest.h>

#include <QFile>
#include <QGuiApplication>
#include <QPainter>
#include <QProcess>
#include <QRasterWindow>
#include <QTest>

#include "Sway.h"
#include "support/Processes.h"
#include "support/QtPrint.h"

inline void PrintTo(const QRect& r, std::ostream* os) {
  *os << r.width() << 'x' << r.height() << '+' << r.x() << '+' << r.y();
}

namespace qm {
namespace {

constexpr int kWaitMs = 20000;
const QSize kOutput(1600, 1000);
const QColor kCover(200, 30, 160);

class StampOnSway : public ::testing::Test {
 protected:
  void SetUp() override {
    QString skip, error;
    if (!sway.Start(kOutput, &skip, &error)) {
      if (!skip.isEmpty()) GTEST_SKIP() << skip.toStdString();
      FAIL() << error.toStdString();
    }
    desktop = sway.Screen();
    ASSERT_EQ(desktop.size(), kOutput);
  }
  void TearDown() override {
    for (QProcess* p : {&host, &cover}) {
      if (p->state() == QProcess::NotRunning) continue;
      p->kill();
      p->waitForFinished(5000);
    }
    KillEditors();
  }
  void KillEditors() {
    for (const qint64 pid : test::ProcessesOf(QStringLiteral(QM_BIN_DIR "/QuillmarkOpt")))
      if (Started(pid)) ::kill(pid_t(pid), SIGKILL);
  }
  // An editor of ours, started by the stamp of this test.
  bool Started(qint64 pid) const {
    QFile env(QStringLiteral("/proc/%1/environ").arg(pid));
    return env.open(QIODevice::ReadOnly) && env.readAll().contains(sway.Dir().toLocal8Bit());
  }

  QString StoreFile() const {
    return sway.Dir() + QStringLiteral("/config/Quillmark/Quillmark.conf");
  }

  // Starts the stamp and waits for it to be drawn and to stand still.
  QRect StartStamp(const QStringList& args = {}) {
    host.setProcessEnvironment(sway.Environment());
    host.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    sway.RunAsUser(host);
    host.start(QStringLiteral(QM_BIN_DIR "/quillmark-host"),
               args + QStringList{QStringLiteral("--text"), QStringLiteral("+21\u00B0")});
    EXPECT_TRUE(host.waitForStarted(5000));
    return StampArea();
  }
  // Where the screen differs from the empty desktop, once it stays so.
  QRect StampArea(const QRect& expected = {}) {
    QRect last, now;
    (void)QTest::qWaitFor(
        [&] {
          last = now;
          now = test::ChangedArea(desktop, sway.Screen(), sway.ParkedPointer());
          return !now.isEmpty() && now == last && (expected.isNull() || now == expected);
        },
        kWaitMs);
    return now;
  }
  bool EndStamp() {
    host.terminate();
    return host.waitForFinished(kWaitMs) && host.exitStatus() == QProcess::NormalExit;
  }

  test::SwayDesktop sway;
  QImage desktop;
  QProcess host;
  QProcess cover;
};

TEST_F(StampOnSway, IsALayerSurfaceThatADragMovesAndThatComesBackThere) {
  const QRect shown = StartStamp();
  ASSERT_FALSE(shown.isEmpty());
  // No ordinary window: not in the compositor's tree, so in no task switcher
  // and on every workspace.
  EXPECT_FALSE(sway.WindowProcesses().contains(host.processId()));

  struct Drag {
    QPoint by;
  };
  QRect at = shown;
  for (const Drag& d : {Drag{{-300, 200}}, Drag{{-500, 7}}, Drag{{123, -100}}}) {
    ASSERT_TRUE(sway.Drag(at.center(), d.by));
    const QRect moved = StampArea(at.translated(d.by));
    EXPECT_EQ(moved, at.translated(d.by)) << "dragged by " << d.by.x() << "," << d.by.y();
    at = moved;
  }
  // Kept in the store, and found there by the next start; a locked stamp
  // stays there when dragged.
  ASSERT_TRUE(EndStamp());
  EXPECT_EQ(StartStamp({QStringLiteral("--locked")}), at);
  ASSERT_TRUE(sway.Drag(at.center(), QPoint(-200, 100)));
  EXPECT_EQ(StampArea(), at);
}

TEST_F(StampOnSway, ADoubleClickOpensTheEditorAndTheMenuEndsTheStamp) {
  const QRect shown = StartStamp();
  ASSERT_FALSE(shown.isEmpty());
  const QImage alone = sway.Screen();
  // The editor comes up as a window of the desktop, not on the stamp's own
  // display-less platform.
  ASSERT_TRUE(sway.PointerAt(shown.center()));
  for (int i = 0; i < 2; ++i)
    ASSERT_TRUE(sway.Pointer({QStringLiteral("press"), QStringLiteral("button1")}) &&
                sway.Pointer({QStringLiteral("release"), QStringLiteral("button1")}));
  ASSERT_TRUE(sway.Park());
  EXPECT_TRUE(QTest::qWaitFor(
      [&] {
        for (const qint64 pid : sway.WindowProcesses())
          if (test::ProcessesOf(QStringLiteral(QM_BIN_DIR "/QuillmarkOpt")).contains(pid))
            return true;
        return false;
      },
      kWaitMs));

  // The menu opens beside the pointer, over the stamp alone; its last entry
  // ends the stamp.
  KillEditors();
  ASSERT_TRUE(QTest::qWaitFor([&] { return sway.Screen() == alone; }, kWaitMs));
  ASSERT_TRUE(sway.Click(shown.center(), 3));
  QRect menu;
  ASSERT_TRUE(QTest::qWaitFor(
      [&] {
        menu = test::ChangedArea(alone, sway.Screen(), sway.ParkedPointer());
        return menu.width() > 40 && menu.height() > 40;
      },
      kWaitMs));
  ASSERT_TRUE(sway.Click(QPoint(menu.center().x(), menu.bottom() - 10)));
  EXPECT_TRUE(host.waitForFinished(kWaitMs));
  EXPECT_EQ(host.exitCode(), 0);
}

TEST_F(StampOnSway, EndsAsByItsMenuWhenTheCompositorGoes) {
  // As "Выход" does (an open editor is told to close), neither crashing nor
  // hanging on a connection that is gone.
  ASSERT_FALSE(StartStamp().isEmpty());
  sway.Stop();
  ASSERT_TRUE(host.waitForFinished(kWaitMs));
  EXPECT_EQ(host.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(host.exitCode(), 0);
}

TEST_F(StampOnSway, AsAnOrdinaryWindowItIsMovedByTheCompositor) {
  // Asked to be a window of Qt's own: the compositor places it, and a client
  // cannot move its own window there, so the drag is the compositor's.
  StartStamp({QStringLiteral("--platform"), QStringLiteral("wayland")});
  QRect window;
  ASSERT_TRUE(QTest::qWaitFor([&] { return !(window = sway.WindowOf(host.processId())).isEmpty(); },
                              kWaitMs));
  // The compositor takes the drag over once the stamp has asked it to, a
  // moment after the press: the pointer waits near the press, stepping to
  // and fro, until the window follows it, and then goes.
  const QPoint from = window.center();
  const QPoint by(-250, 180);
  const QPoint step(2, 0);
  ASSERT_TRUE(sway.PointerAt(from) &&
              sway.Pointer({QStringLiteral("press"), QStringLiteral("button1")}));
  bool away = false;
  ASSERT_TRUE(QTest::qWaitFor(
      [&] {
        away = !away;
        return sway.MoveTo(away ? from + step : from) && sway.WindowOf(host.processId()) != window;
      },
      kWaitMs));
  ASSERT_TRUE(sway.MoveTo(from + by) &&
              sway.Pointer({QStringLiteral("release"), QStringLiteral("button1")}));
  const QPoint moved = sway.WindowOf(host.processId()).topLeft() - window.topLeft();
  EXPECT_LE((moved - by).manhattanLength(), step.manhattanLength())
      << moved.x() << "," << moved.y();
}

// A plain window, painted all over in one colour, on the compositor the test
// names (QT_QPA_PLATFORM=wayland): the window the stamp must stay above, or
// below. The test program shows it when run for this case alone.
TEST(CoveringWindow, DISABLED_Shows) {
  class Cover : public QRasterWindow {
    void paintEvent(QPaintEvent*) override {
      QPainter(this).fillRect(QRect(QPoint(0, 0), size()), kCover);
    }
  } window;
  window.setTitle(QStringLiteral("cover"));
  window.resize(400, 300);
  window.show();
  QGuiApplication::exec();
}

TEST_F(StampOnSway, StaysAboveWindowsOrBelowThemAsAsked) {
  struct Case {
    QStringList args;
    bool seenOverWindow;
  };
  const Case cases[] = {{{}, true}, {{QStringLiteral("--layer"), QStringLiteral("below")}, false}};
  for (const Case& c : cases) {
    const QRect shown = StartStamp(c.args);
    ASSERT_FALSE(shown.isEmpty());
    const QImage alone = sway.Screen();

    QProcessEnvironment env = sway.Environment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("wayland"));
    cover.setProcessEnvironment(env);
    sway.RunAsUser(cover);
    cover.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--gtest_filter=CoveringWindow.DISABLED_Shows"),
                 QStringLiteral("--gtest_also_run_disabled_tests")});
    // The window fills the output (the compositor tiles it).
    QImage screen;
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
          screen = sway.Screen();
          return screen.pixelColor(5, kOutput.height() - 5) == kCover;
        },
        kWaitMs));
    // What the stamp drew is still there, or nothing of it is.
    int drawn = 0, seen = 0;
    for (int y = shown.top(); y <= shown.bottom(); ++y)
      for (int x = shown.left(); x <= shown.right(); ++x) {
        if (alone.pixel(x, y) == desktop.pixel(x, y)) continue;
        ++drawn;
        if (screen.pixelColor(x, y) != kCover) ++seen;
      }
    ASSERT_GT(drawn, 0);
    if (c.seenOverWindow)
      EXPECT_GT(seen, drawn / 2) << "hidden by the window";
    else
      EXPECT_EQ(seen, 0) << "shown over the window";
    cover.kill();
    cover.waitForFinished(5000);
    ASSERT_TRUE(EndStamp());
    // The next case starts on the empty desktop again.
    ASSERT_TRUE(QTest::qWaitFor([&] { return sway.Screen() == desktop; }, kWaitMs));
  }
}

}  // namespace
}  // namespace qm
