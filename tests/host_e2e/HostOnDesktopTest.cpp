// The desktop stamp and the editor, the real programs, on an X server of the
// test's own, driven with real pointer and key events. What the stamp shows
// is read from the screen and compared with what "quillmark-host --render"
// draws for the look the editor should have sent.
//
// Where to click in the editor is learnt from a copy of the editor window
// built here from the same files and never put on the screen; the same
// gesture made on that copy also says which line the real editor must end
// up with.

#include <gtest/gtest.h>

#include <QClipboard>
#include <QDirIterator>
#include <QFile>
#include <QLineEdit>
#include <QPainter>
#include <QProcess>
#include <QSettings>
#include <QStyleOptionSlider>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <memory>

#include "Desktop.h"
#include "app/FrmOptions.h"
#include "gallery/ui/GalleryArea.h"
#include "gallery/ui/Thumbnail.h"
#include "host/StampPlace.h"
#include "pages/ui/TextPage.h"
#include "platform/link/LinkSender.h"
#include "render/RenderTestSupport.h"
#include "stamp/HostMessage.h"
#include "stamp/ParamLine.h"
#include "support/QtPrint.h"
#include "support/TempProgram.h"
#include "support/WindowParts.h"

inline std::ostream& operator<<(std::ostream& os, const QRect& r) {
  return os << r.x() << ',' << r.y() << ' ' << r.width() << 'x' << r.height();
}

namespace qm {
namespace {

constexpr int kWaitMs = 20000;
const QString kText = QStringLiteral("+21\u00B0");

class HostOnDesktop : public ::testing::Test {
 protected:
  void SetUp() override {
    // The demo catalogue and both programs in a program folder of our own.
    QProcess democat;
    democat.setProcessEnvironment(OffscreenEnvironment());
    democat.start(QStringLiteral(QM_BIN_DIR "/quillmark-democat"), {program.path()});
    ASSERT_TRUE(democat.waitForFinished(60000) && democat.exitCode() == 0);
    for (const char* exe : {"QuillmarkOpt", "quillmark-host"})
      ASSERT_TRUE(
          QFile::copy(QStringLiteral(QM_BIN_DIR "/") + QString::fromLatin1(exe), ProgramFile(exe)));
    // The editor opens on its Text page; the stamp stands away from it.
    test::TempProgram::WriteFile(StoreFile(), "[Options]\nOptMenu=1\n[Host]\nPlace=1200|60\n");
    iniBefore = test::TempProgram::ReadFile(ProgramFile("Quillmark.ini"));
  }
  void TearDown() override {
    if (host.state() != QProcess::NotRunning) {
      host.kill();
      host.waitForFinished(5000);
    }
    for (const qint64 pid : test::ProcessesOf(ProgramFile("QuillmarkOpt")))
      QProcess::execute(QStringLiteral("kill"), {QStringLiteral("-9"), QString::number(pid)});
  }

  QString ProgramFile(const char* name) const {
    return program.filePath(QString::fromLatin1(name));
  }
  QString StoreFile() const {
    return runtime.path() + QStringLiteral("/config/Quillmark/Quillmark.conf");
  }
  QProcessEnvironment Environment() const {
    QProcessEnvironment env = test::TempProgram::ProcessEnvironment(runtime.path());
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    return env;
  }
  QProcessEnvironment OffscreenEnvironment() const {
    return test::TempProgram::ProcessEnvironment(runtime.path());
  }

  void StartHost(const QStringList& args, const QProcessEnvironment& env = {}) {
    host.setProcessEnvironment(env.isEmpty() ? Environment() : env);
    host.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    host.start(ProgramFile("quillmark-host"), args + QStringList{"--text", kText});
    ASSERT_TRUE(host.waitForStarted(5000));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !StampWindow().isEmpty(); }, kWaitMs))
        << "running: " << (host.state() == QProcess::Running) << ", exit code " << host.exitCode()
        << ", windows " << test::WindowsOf(host.processId(), QStringLiteral("^Quillmark$")).size();
  }
  // Ends the stamp and waits until the window manager has let its window go:
  // a window of the next stamp may get the same id, and a window manager that
  // still knew the old one would not take it.
  void StopHost() { Stop(host); }
  void Stop(QProcess& stamp) {
    const auto ids = test::WindowsOf(stamp.processId());
    stamp.kill();
    ASSERT_TRUE(stamp.waitForFinished(kWaitMs));
    if (!wm) return;
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
          const QString managed = test::Property(0, "_NET_CLIENT_LIST");
          for (const quint32 id : ids)
            if (managed.contains(QStringLiteral("0x%1").arg(id, 0, 16))) return false;
          return true;
        },
        kWaitMs));
  }
  // The stamp's window on the screen; null when it is not shown.
  QRect StampWindow() const {
    const auto w = test::WindowsOf(host.processId(), QStringLiteral("^Quillmark$"));
    return w.size() == 1 ? test::Geometry(w.first()) : QRect();
  }
  // The editor's main window, once exactly one editor shows it (its small
  // progress window comes and goes before).
  std::optional<quint32> EditorWindow() const {
    const auto editors = test::ProcessesOf(ProgramFile("QuillmarkOpt"));
    if (editors.size() != 1) return std::nullopt;
    for (const quint32 w : test::WindowsOf(editors.first())) {
      const QRect g = test::Geometry(w);
      if (g.width() >= 400 && g.height() >= 300) return w;
    }
    return std::nullopt;
  }
  quint32 WaitForEditor() {
    std::optional<quint32> w;
    EXPECT_TRUE(QTest::qWaitFor([&] { return (w = EditorWindow()).has_value(); }, kWaitMs));
    return w.value_or(0);
  }
  bool NoEditorRuns() const { return test::ProcessesOf(ProgramFile("QuillmarkOpt")).isEmpty(); }

  // What the stamp must show for `line`: the host's own drawing into a file,
  // as an X server without a compositor shows a translucent window (its
  // premultiplied colour, over nothing).
  QImage Expected(const QString& line) {
    const QString out = runtime.filePath(QStringLiteral("expected.png"));
    QProcess render;
    render.setProcessEnvironment(OffscreenEnvironment());
    render.start(ProgramFile("quillmark-host"), {"--line", line, "--text", kText, "--render", out});
    EXPECT_TRUE(render.waitForFinished(60000) && render.exitCode() == 0) << line.toStdString();
    const QImage drawn = QImage(out).convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QImage shown(drawn.size(), QImage::Format_RGB32);
    for (int y = 0; y < drawn.height(); ++y) {
      const auto* from = reinterpret_cast<const QRgb*>(drawn.constScanLine(y));
      auto* to = reinterpret_cast<QRgb*>(shown.scanLine(y));
      for (int x = 0; x < drawn.width(); ++x) to[x] = from[x] | 0xFF000000u;
    }
    return shown;
  }
  // Waits until the screen shows `want` where the stamp stands.
  ::testing::AssertionResult StampShows(const QImage& want) {
    QImage seen;
    const bool same = QTest::qWaitFor(
        [&] {
          // A stamp that grew reaches under the editor opened beside it; the
          // window manager keeps it above, and with none here the test does.
          for (const quint32 w : test::WindowsOf(host.processId(), QStringLiteral("^Quillmark$")))
            test::XDoTool({QStringLiteral("windowraise"), QString::number(w)});
          seen = test::Grab(StampWindow());
          return seen.size() == want.size() && render::test::MaxChannelDifference(seen, want) <= 2;
        },
        kWaitMs);
    if (same) return ::testing::AssertionSuccess();
    const QString saved = runtime.filePath(QStringLiteral("seen.png"));
    seen.save(saved);
    want.save(runtime.filePath(QStringLiteral("wanted.png")));
    runtime.setAutoRemove(false);
    return ::testing::AssertionFailure()
           << "the stamp shows " << seen.width() << "x" << seen.height() << " (kept in "
           << saved.toStdString() << "), wanted " << want.width() << "x" << want.height();
  }

  // Says a whole look to the stamp, as the editor does when a template is
  // applied.
  bool SendLook(const QString& line) {
    link::LinkSender sender(qint32(host.processId()), nullptr,
                            runtime.filePath(QStringLiteral("quillmark")));
    return sender.send(stamp::WholeLineMessage(line));
  }
  // The selected look of the catalogue with the biggest of its pictures that
  // has another size than `line`'s.
  QString WithOtherPicture(const QString& line) const {
    const QString root = program.filePath(QStringLiteral("Tavrel/"));
    const QSize now = QImage(root + line.section(u'|', 0, 0).replace(u'\\', u'/')).size();
    QString best;
    int most = 0;
    QDirIterator it(root, {QStringLiteral("*.png")}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
      const QString path = it.next();
      const QSize size = QImage(path).size();
      if (size != now && size.width() * size.height() > most) {
        most = size.width() * size.height();
        best = path.mid(root.size()).replace(u'/', u'\\');
      }
    }
    return best + u'|' + line.section(u'|', 1);
  }

  // The desktop's window manager, for the tests of how the stamp behaves
  // among other windows.
  void StartWindowManager() {
    wm = std::make_unique<test::WindowManager>();
    ASSERT_TRUE(wm->Ready()) << "openbox did not start (is it installed?)";
  }

  std::unique_ptr<test::WindowManager> wm;
  QTemporaryDir program;
  QTemporaryDir runtime;
  QProcess host;
  QByteArray iniBefore;
};

// A copy of the editor window from the same files, laid out but never shown,
// whose controls say where the real window's are and what a gesture does.
class EditorCopy {
 public:
  EditorCopy(const QString& programDir, const QString& storeFile) {
    // Its own folder and store, so that nothing it saves reaches the real
    // editor's files.
    QFile::copy(programDir + QStringLiteral("/Quillmark.ini"),
                dir.filePath(QStringLiteral("Quillmark.ini")));
    QFile::link(programDir + QStringLiteral("/Tavrel"), dir.filePath(QStringLiteral("Tavrel")));
    QFile::copy(storeFile, dir.filePath(QStringLiteral("store.conf")));
    AppEnvironment env;
    env.programDir = dir.path();
    env.userStoreFile = dir.filePath(QStringLiteral("store.conf"));
    window = std::make_unique<FrmOptions>(env);
    loaded = window->Form_Load();
    window->setAttribute(Qt::WA_DontShowOnScreen);
    window->show();
  }
  QString Line() const { return window->State().Text1.text(); }
  // Where a point of a control lies on the screen, for a real window at `at`.
  QPoint OnScreen(const QWidget* control, const QPoint& inControl, const QRect& at) const {
    return at.topLeft() + control->mapTo(window.get(), inControl);
  }

  QTemporaryDir dir;
  std::unique_ptr<FrmOptions> window;
  bool loaded = false;
};

std::string Str(const QRect& r) {
  return QStringLiteral("%1,%2 %3x%4")
      .arg(r.x())
      .arg(r.y())
      .arg(r.width())
      .arg(r.height())
      .toStdString();
}

// The arrow at the end of a scroll bar that steps toward its Max.
QRect AddLineArrow(const QScrollBar* bar) {
  QStyleOptionSlider opt;
  opt.initFrom(bar);
  opt.orientation = bar->orientation();
  if (bar->orientation() == Qt::Horizontal) opt.state |= QStyle::State_Horizontal;
  opt.minimum = bar->minimum();
  opt.maximum = bar->maximum();
  opt.sliderPosition = bar->sliderPosition();
  opt.sliderValue = bar->value();
  opt.singleStep = bar->singleStep();
  opt.pageStep = bar->pageStep();
  opt.upsideDown = bar->invertedAppearance();
  return bar->style()->subControlRect(QStyle::CC_ScrollBar, &opt, QStyle::SC_ScrollBarAddLine, bar);
}

TEST_F(HostOnDesktop, EveryChangeMadeInTheEditorItStartedReachesTheStamp) {
  StartHost({"--open-editor"});
  const quint32 editor = WaitForEditor();
  ASSERT_NE(editor, 0u);
  // It starts from the selection in Quillmark.ini.
  EditorCopy copy(program.path(), StoreFile());
  ASSERT_TRUE(copy.loaded);
  const QString selected = copy.Line();
  QImage before = Expected(selected);
  ASSERT_TRUE(StampShows(before));
  const QRect at = test::Geometry(editor);
  ASSERT_EQ(at.size(), copy.window->size()) << "the copy does not match the real editor";
  const TextPage* text = test::TextPageOf(*copy.window);
  ASSERT_TRUE(text && text->isVisible());

  // One click on a font size slider arrow: one size step.
  const QRect arrow = AddLineArrow(text->scrlFontSize);
  ASSERT_TRUE(test::Click(copy.OnScreen(text->scrlFontSize, arrow.center(), at)));
  QTest::mouseClick(text->scrlFontSize, Qt::LeftButton, {}, arrow.center());
  const QString stepped = copy.Line();
  EXPECT_EQ(std::abs(stamp::ParseLine(stepped)->FontSize - stamp::ParseLine(selected)->FontSize),
            1);
  QImage now = Expected(stepped);
  ASSERT_NE(now, before);
  EXPECT_TRUE(StampShows(now));

  // A thumbnail: its whole template, picture and all.
  const Thumbnail* thumb = test::GalleryAreaOf(*copy.window)->pic(3);
  ASSERT_TRUE(thumb && thumb->isVisible() && !thumb->Tag.isEmpty());
  const QPoint middle = thumb->rect().center();
  ASSERT_TRUE(test::Click(copy.OnScreen(thumb, middle, at)));
  QTest::mouseClick(const_cast<Thumbnail*>(thumb), Qt::LeftButton, {}, middle);
  const QString applied = copy.Line();
  EXPECT_EQ(applied, thumb->Tag);
  before = now;
  now = Expected(applied);
  ASSERT_NE(now, before);
  EXPECT_TRUE(StampShows(now));

  // A size typed into the box and confirmed with Enter.
  QLineEdit* box = text->txtFontSize;
  ASSERT_TRUE(test::Click(copy.OnScreen(box, box->rect().center(), at)));
  ASSERT_TRUE(test::Keys({"ctrl+a"}));
  ASSERT_TRUE(test::Type(QStringLiteral("57")));
  ASSERT_TRUE(test::Keys({"Return"}));
  box->selectAll();
  QTest::keyClicks(box, QStringLiteral("57"));
  QTest::keyClick(box, Qt::Key_Return);
  const QString typed = copy.Line();
  EXPECT_EQ(stamp::ParseLine(typed)->FontSize, 57);
  before = now;
  now = Expected(typed);
  ASSERT_NE(now, before);
  EXPECT_TRUE(StampShows(now));
}

TEST_F(HostOnDesktop, LeavingTheStampClosesTheEditorAndTouchesNoSharedFile) {
  StartHost({"--open-editor"});
  ASSERT_NE(WaitForEditor(), 0u);
  // "Выход" is the last entry of the stamp's menu.
  const QRect stamp = StampWindow();
  ASSERT_TRUE(test::Click(stamp.center(), 3));
  ASSERT_TRUE(
      QTest::qWaitFor([&] { return test::WindowsOf(host.processId()).size() > 1; }, kWaitMs));
  ASSERT_TRUE(test::Keys({"Up", "Return"}));
  ASSERT_TRUE(host.waitForFinished(kWaitMs));
  EXPECT_EQ(host.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(host.exitCode(), 0);
  EXPECT_TRUE(QTest::qWaitFor([&] { return NoEditorRuns(); }, kWaitMs));
  EXPECT_EQ(test::TempProgram::ReadFile(ProgramFile("Quillmark.ini")), iniBefore);
}

TEST_F(HostOnDesktop, TheStampOutlivesItsEditorMovesAndRemembersWhere) {
  StartHost({});
  const QRect stamp = StampWindow();
  EXPECT_EQ(stamp.topLeft(), QPoint(1200, 60));
  EXPECT_TRUE(NoEditorRuns());
  // A double click opens the editor; closing the editor leaves the stamp.
  ASSERT_TRUE(test::Click(stamp.center(), 1, 2));
  const quint32 first = WaitForEditor();
  ASSERT_NE(first, 0u);
  ASSERT_TRUE(test::RequestClose(first));
  ASSERT_TRUE(QTest::qWaitFor([&] { return NoEditorRuns(); }, kWaitMs));
  EXPECT_EQ(host.state(), QProcess::Running);
  // It knows that editor is gone: the next double click starts a new one.
  ASSERT_TRUE(test::Click(stamp.center(), 1, 2));
  ASSERT_NE(WaitForEditor(), 0u);

  // Dragged with the left button, it stays where it was let go, also for the
  // next start.
  const QByteArray before = test::TempProgram::ReadFile(StoreFile());
  ASSERT_TRUE(test::Drag(stamp.center(), stamp.center() + QPoint(-300, 200)));
  const QPoint moved = stamp.topLeft() + QPoint(-300, 200);
  EXPECT_TRUE(QTest::qWaitFor([&] { return StampWindow().topLeft() == moved; }, kWaitMs));
  EXPECT_TRUE(
      QTest::qWaitFor([&] { return test::TempProgram::ReadFile(StoreFile()) != before; }, kWaitMs));
  host.kill();
  ASSERT_TRUE(host.waitForFinished(kWaitMs));
  StartHost({});
  EXPECT_EQ(StampWindow().topLeft(), moved);
  EXPECT_EQ(test::TempProgram::ReadFile(ProgramFile("Quillmark.ini")), iniBefore);
}

// Where a stamp stands on the screen it stands on: the screen's corner it is
// nearest to and its distances from those edges.
struct Corner {
  bool right, bottom;
  int dx, dy;
  bool operator==(const Corner&) const = default;
};
Corner CornerOf(const QRect& stamp, const QRect& screen) {
  const int left = stamp.left() - screen.left(), right = screen.right() - stamp.right();
  const int top = stamp.top() - screen.top(), bottom = screen.bottom() - stamp.bottom();
  return {right < left, bottom < top, qMin(left, right), qMin(top, bottom)};
}

TEST_F(HostOnDesktop, TheStampHoldsItsCornerWhenItGrowsAndFollowsTheDragExactly) {
  struct Case {
    const char* stored;  // the place in the store when it starts
    const char* scale;   // QT_SCALE_FACTOR
  };
  const Case cases[] = {{nullptr, "1"}, {"1200|60", "1"}, {nullptr, "2"}};
  StartWindowManager();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.scale + std::string(" ") + (c.stored ? c.stored : "no place"));
    test::TempProgram::WriteFile(StoreFile(),
                                 c.stored ? QByteArray("[Host]\nPlace=") + c.stored : QByteArray());
    QProcessEnvironment env = Environment();
    env.insert(QStringLiteral("QT_SCALE_FACTOR"), QString::fromLatin1(c.scale));
    StartHost({}, env);
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    const QRect first = StampWindow();
    ASSERT_TRUE(screen.contains(first)) << Str(first);

    // A template with a bigger picture: it grows away from its corner.
    EditorCopy copy(program.path(), StoreFile());
    const QString other = WithOtherPicture(copy.Line());
    ASSERT_TRUE(SendLook(other));
    QRect grown;
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return (grown = StampWindow()).size() != first.size(); }, kWaitMs));
    EXPECT_EQ(CornerOf(grown, screen), CornerOf(first, screen)) << Str(first) << " " << Str(grown);
    EXPECT_TRUE(screen.contains(grown)) << Str(grown);

    // Dragged: exactly as far as the pointer went, from the first drag on.
    const QPoint by(grown.center().x() > screen.center().x() ? -300 : 300, 200);
    ASSERT_TRUE(test::Drag(grown.center(), grown.center() + by));
    QRect dropped;
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return (dropped = StampWindow()).topLeft() == grown.topLeft() + by; }, kWaitMs))
        << Str(grown) << " " << Str(dropped);

    // The next start finds it there, in that look.
    StopHost();
    StartHost({}, env);
    ASSERT_TRUE(SendLook(other));
    EXPECT_TRUE(QTest::qWaitFor([&] { return StampWindow() == dropped; }, kWaitMs))
        << Str(StampWindow()) << " " << Str(dropped);
    StopHost();
  }
}

// A stamp shows at the size it had last time, before it is drawn; whatever
// that kept size says, it ends where and as big as a stamp that kept no size,
// and keeps that area for the next start and the next new stamp.
TEST_F(HostOnDesktop, AStampFromAnyKeptSizeEndsWhereItsDrawingPutsItAndKeepsThat) {
  const auto keptArea = [&] {
    const QSettings store(StoreFile(), QSettings::IniFormat);
    return host::ParseArea(store.value(QStringLiteral("Host/Area")).toString());
  };
  test::TempProgram::WriteFile(StoreFile(), QByteArray());
  StartHost({});
  const QRect drawn = StampWindow();
  ASSERT_TRUE(QTest::qWaitFor([&] { return keptArea() == drawn; }, kWaitMs)) << Str(drawn);
  const QByteArray place = QSettings(StoreFile(), QSettings::IniFormat)
                               .value(QStringLiteral("Host/Place"))
                               .toString()
                               .toUtf8();
  StopHost();

  const char* const kept[] = {"40 30", "99999 99999", "0 -4", "wide"};
  for (const char* size : kept) {
    SCOPED_TRACE(size);
    test::TempProgram::WriteFile(
        StoreFile(), "[Host]\nPlace=\"" + place + "\"\nArea=" + QByteArray::number(drawn.x()) +
                         ' ' + QByteArray::number(drawn.y()) + ' ' + size + '\n');
    StartHost({});
    EXPECT_TRUE(QTest::qWaitFor([&] { return StampWindow() == drawn; }, kWaitMs))
        << Str(StampWindow()) << " " << Str(drawn);
    EXPECT_TRUE(QTest::qWaitFor([&] { return keptArea() == drawn; }, kWaitMs));
    StopHost();
  }
}

TEST_F(HostOnDesktop, NamedStampsStandSideBySideAndKeepTheirOwnLooks) {
  StartWindowManager();
  test::TempProgram::WriteFile(StoreFile(), QByteArray());
  // Two new stamps: neither covers the other.
  StartHost({"--name", "one"});
  const QRect one = StampWindow();
  QProcess second;
  second.setProcessEnvironment(Environment());
  second.start(ProgramFile("quillmark-host"), {"--name", "two", "--text", kText});
  ASSERT_TRUE(second.waitForStarted(5000));
  QRect two;
  ASSERT_TRUE(QTest::qWaitFor(
      [&] {
        const auto w = test::WindowsOf(second.processId(), QStringLiteral("^Quillmark$"));
        return w.size() == 1 && !(two = test::Geometry(w.first())).isEmpty();
      },
      kWaitMs));
  EXPECT_FALSE(one.intersects(two)) << Str(one) << " " << Str(two);
  Stop(second);

  // The look the first one is sent is its own across a restart; the shared
  // selection is untouched and the second stamp still starts from it.
  EditorCopy copy(program.path(), StoreFile());
  const QString other = WithOtherPicture(copy.Line());
  ASSERT_TRUE(SendLook(other));
  QRect changed;
  ASSERT_TRUE(
      QTest::qWaitFor([&] { return (changed = StampWindow()).size() != one.size(); }, kWaitMs));
  StopHost();
  StartHost({"--name", "one"});
  EXPECT_EQ(StampWindow(), changed);
  EXPECT_EQ(test::TempProgram::ReadFile(ProgramFile("Quillmark.ini")), iniBefore);
  StopHost();
  StartHost({"--name", "two"});
  EXPECT_EQ(StampWindow(), two);
}

// The window id xprop shows ("window id # 0x…"), or 0.
quint32 WindowId(const QString& shown) {
  return shown.section(u'#', 1).trimmed().toUInt(nullptr, 16);
}

TEST_F(HostOnDesktop, TheStampIsADesktopWidgetThatNeverTakesTheFocus) {
  StartWindowManager();
  // Without an editor to start, a double click leaves the desktop as it was.
  ASSERT_TRUE(QFile::remove(ProgramFile("QuillmarkOpt")));
  QWidget other;
  other.setWindowTitle(QStringLiteral("other"));
  other.setGeometry(100, 100, 300, 200);
  other.show();
  const quint32 otherId = quint32(other.winId());
  // Made active as a user does, with a click.
  ASSERT_TRUE(QTest::qWaitFor([&] { return !test::Geometry(otherId).isEmpty(); }, kWaitMs));
  ASSERT_TRUE(QTest::qWaitFor(
      [&] {
        return test::Click(test::Geometry(otherId).center()) &&
               WindowId(test::ActiveWindow()) == otherId;
      },
      kWaitMs))
      << test::ActiveWindow().toStdString() << " " << otherId;

  struct Case {
    QStringList args;
    bool above;
    bool locked;
  };
  const Case cases[] = {{{}, true, false}, {{"--layer", "below", "--locked"}, false, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args.join(u' ').toStdString());
    StartHost(c.args);
    const auto ids = test::WindowsOf(host.processId(), QStringLiteral("^Quillmark$"));
    ASSERT_EQ(ids.size(), 1);
    const QString states = test::Property(ids.first(), "_NET_WM_STATE");
    // (On every desktop shows as the desktop number below; openbox keeps no
    // sticky state.)
    for (const char* state : {"_NET_WM_STATE_SKIP_TASKBAR", "_NET_WM_STATE_SKIP_PAGER"})
      EXPECT_TRUE(states.contains(QLatin1String(state))) << state << " " << states.toStdString();
    EXPECT_EQ(states.contains(u"_NET_WM_STATE_ABOVE"), c.above) << states.toStdString();
    EXPECT_EQ(states.contains(u"_NET_WM_STATE_BELOW"), !c.above) << states.toStdString();
    EXPECT_EQ(test::Property(ids.first(), "_NET_WM_DESKTOP"), QStringLiteral("4294967295"));

    // A drag, a click and a double click leave the other window active.
    const QRect stamp = StampWindow();
    const QPoint by(-200, 100);
    ASSERT_TRUE(test::Drag(stamp.center(), stamp.center() + by));
    const QPoint moved = c.locked ? stamp.topLeft() : stamp.topLeft() + by;
    EXPECT_TRUE(QTest::qWaitFor([&] { return StampWindow().topLeft() == moved; }, kWaitMs));
    ASSERT_TRUE(test::Click(StampWindow().center(), 1, 3));
    EXPECT_EQ(WindowId(test::ActiveWindow()), otherId);
    EXPECT_EQ(StampWindow().topLeft(), moved);
    StopHost();
  }

  // "Под окнами" chosen in the menu holds at once and for the next start.
  StartHost({});
  ASSERT_TRUE(test::Click(StampWindow().center(), 3));
  ASSERT_TRUE(
      QTest::qWaitFor([&] { return test::WindowsOf(host.processId()).size() > 1; }, kWaitMs));
  ASSERT_TRUE(test::Keys({"Down", "Down", "Down", "Return"}));
  const auto below = [&] {
    const auto ids = test::WindowsOf(host.processId(), QStringLiteral("^Quillmark$"));
    return ids.size() == 1 &&
           test::Property(ids.first(), "_NET_WM_STATE").contains(u"_NET_WM_STATE_BELOW");
  };
  EXPECT_TRUE(QTest::qWaitFor(below, kWaitMs));
  StopHost();
  StartHost({});
  EXPECT_TRUE(QTest::qWaitFor(below, kWaitMs));
}

// How far apart two rectangles lie; 0 when they touch or overlap.
int Apart(const QRect& a, const QRect& b) {
  const int dx = std::max({0, a.left() - b.right(), b.left() - a.right()});
  const int dy = std::max({0, a.top() - b.bottom(), b.top() - a.bottom()});
  return std::max(dx, dy);
}

TEST_F(HostOnDesktop, TheFirstEditorOpensBesideTheStampAndLaterOnesWhereItWasLeft) {
  StartHost({});
  const QRect stamp = StampWindow();
  ASSERT_TRUE(test::Click(stamp.center(), 1, 2));
  const quint32 first = WaitForEditor();
  ASSERT_NE(first, 0u);
  const QRect at = test::Geometry(first);
  EXPECT_FALSE(at.intersects(stamp)) << at << " and " << stamp;
  EXPECT_TRUE(QGuiApplication::primaryScreen()->geometry().contains(at)) << at;
  // Within a title bar's height or so: beside it, where the user looks.
  EXPECT_LE(Apart(at, stamp), 40) << at << " and " << stamp;

  // Closed, it keeps its place; the stamp moves off, and the next editor
  // still opens where the user left the last one.
  ASSERT_TRUE(test::RequestClose(first));
  ASSERT_TRUE(QTest::qWaitFor([&] { return NoEditorRuns(); }, kWaitMs));
  const QPoint away(-1000, 600);
  ASSERT_TRUE(test::Drag(stamp.center(), stamp.center() + away));
  ASSERT_TRUE(
      QTest::qWaitFor([&] { return StampWindow().topLeft() == stamp.topLeft() + away; }, kWaitMs));
  ASSERT_TRUE(test::Click(StampWindow().center(), 1, 2));
  const quint32 second = WaitForEditor();
  ASSERT_NE(second, 0u);
  EXPECT_EQ(test::Geometry(second), at);
}

TEST_F(HostOnDesktop, AnEditorWhoseStampWasKilledServesTheNextStampWithNothingLost) {
  StartHost({});
  ASSERT_TRUE(test::Click(StampWindow().center(), 1, 2));
  const quint32 editor = WaitForEditor();
  ASSERT_NE(editor, 0u);
  const QList<qint64> editors = test::ProcessesOf(ProgramFile("QuillmarkOpt"));
  EditorCopy copy(program.path(), StoreFile());
  ASSERT_TRUE(copy.loaded);
  const QRect at = test::Geometry(editor);
  const TextPage* text = test::TextPageOf(*copy.window);
  ASSERT_TRUE(text && text->isVisible());
  const QRect arrow = AddLineArrow(text->scrlFontSize);
  const auto step = [&] {
    // One size step in the real editor and in the copy.
    EXPECT_TRUE(test::Click(copy.OnScreen(text->scrlFontSize, arrow.center(), at)));
    QTest::mouseClick(text->scrlFontSize, Qt::LeftButton, {}, arrow.center());
    return copy.Line();
  };

  // The stamp dies without a word; a new one starts from the INI file.
  host.kill();
  ASSERT_TRUE(host.waitForFinished(kWaitMs));
  StartHost({});
  // A change made now reaches no stamp.
  const QString changed = step();
  // The new stamp starts an editor: the one that runs takes the stamp over,
  // with the look it has, and no second one stays.
  ASSERT_TRUE(test::Click(StampWindow().center(), 1, 2));
  EXPECT_TRUE(StampShows(Expected(changed)));
  EXPECT_TRUE(QTest::qWaitFor(
      [&] { return test::ProcessesOf(ProgramFile("QuillmarkOpt")) == editors; }, kWaitMs));
  EXPECT_EQ(EditorWindow(), editor);
  // From now on it drives the new stamp.
  EXPECT_TRUE(StampShows(Expected(step())));
}

// Docks and task bars match a window to its desktop entry by the class.
TEST_F(HostOnDesktop, EachDesktopEntryNamesItsWindowsClass) {
  StartHost({"--open-editor"});
  const quint32 editor = WaitForEditor();
  ASSERT_NE(editor, 0u);
  const auto stamps = test::WindowsOf(host.processId(), QStringLiteral("^Quillmark$"));
  ASSERT_EQ(stamps.size(), 1);
  const auto windowClass = [](quint32 window) {
    QProcess xprop;
    xprop.start(QStringLiteral("xprop"),
                {QStringLiteral("-id"), QString::number(window), QStringLiteral("WM_CLASS")});
    xprop.waitForFinished(10000);
    // WM_CLASS(STRING) = "instance", "class"
    return QString::fromLocal8Bit(xprop.readAllStandardOutput()).section(u'"', -2, -2);
  };
  const auto entryClass = [](const char* entry) {
    QSettings desktop(QStringLiteral(QM_DATA_DIR "/") + QString::fromLatin1(entry),
                      QSettings::IniFormat);
    return desktop.value(QStringLiteral("Desktop Entry/StartupWMClass")).toString();
  };
  const QString stampClass = windowClass(stamps.first());
  ASSERT_FALSE(stampClass.isEmpty());
  EXPECT_EQ(entryClass("org.quillmark.Quillmark.desktop"), stampClass);
  EXPECT_EQ(entryClass("org.quillmark.QuillmarkOpt.desktop"), windowClass(editor));
}

// The look as text through the desktop's clipboard, between the editor and
// another program (this one), with the keys a user presses; the stamp shows
// each look, and Ctrl+Z takes the pasted one back.
TEST_F(HostOnDesktop, TheLookCrossesTheDesktopClipboardBothWaysAndCtrlZTakesItBack) {
  StartWindowManager();
  StartHost({"--open-editor"});
  const quint32 editor = WaitForEditor();
  ASSERT_NE(editor, 0u);
  EditorCopy copy(program.path(), StoreFile());
  ASSERT_TRUE(copy.loaded);
  const QString selected = copy.Line();
  const QRect at = test::Geometry(editor);
  // A click on a slider's thumb: the editor is active, its focus on no text box.
  const TextPage* text = test::TextPageOf(*copy.window);
  ASSERT_TRUE(text && text->isVisible());
  ASSERT_TRUE(
      test::Click(copy.OnScreen(text->scrlTempX, text->scrlTempX->ThumbRect().center(), at)));
  ASSERT_TRUE(QTest::qWaitFor(
      [&] { return test::ActiveWindow().endsWith(QStringLiteral("0x%1").arg(editor, 0, 16)); },
      kWaitMs));

  QGuiApplication::clipboard()->clear();
  ASSERT_TRUE(test::Keys({QStringLiteral("ctrl+c")}));
  EXPECT_TRUE(
      QTest::qWaitFor([&] { return QGuiApplication::clipboard()->text() == selected; }, kWaitMs))
      << QGuiApplication::clipboard()->text().toStdString();

  const QString other = WithOtherPicture(selected);
  QGuiApplication::clipboard()->setText(other);
  ASSERT_TRUE(test::Keys({QStringLiteral("ctrl+v")}));
  EXPECT_TRUE(StampShows(Expected(other)));
  ASSERT_TRUE(test::Keys({QStringLiteral("ctrl+z")}));
  EXPECT_TRUE(StampShows(Expected(selected)));
}

}  // namespace
}  // namespace qm
