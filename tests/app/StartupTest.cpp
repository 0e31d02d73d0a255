#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QApplication>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QTest>
#include <QWindow>
#include <functional>
#include <optional>

#include "app/CommandLine.h"
#include "app/FrmOptions.h"
#include "app/FrmProgress.h"
#include "gallery/ui/Gallery.h"
#include "gallery/ui/GalleryArea.h"
#include "pages/ui/CategoryPage.h"
#include "pages/ui/ColourPage.h"
#include "pages/ui/TextPage.h"
#include "pages/ui/TonePage.h"
#include "platform/Twips.h"
#include "support/TempProgram.h"
#include "support/WindowParts.h"

using namespace qm;

namespace {

const QByteArray kTwoCategories =
    "[General]\r\n"
    "Colors=&H123456|&HFF|bad\r\n"
    "[Dir0]\r\nName=Облака\r\nPath=Clouds\r\n"
    "Pic1=a.png|DejaVu Sans|0|36|&HFFFFFF|0|0|&H0|2|-2|128|&HFF|3|1|1|1|0|0|100|100|0|0\r\n"
    "[Dir1]\r\nName=Море\r\nPath=Sea\r\n";

class Startup : public ::testing::Test {
 protected:
  std::unique_ptr<FrmOptions> Open(const QString& commandLine = QString()) {
    auto w = std::make_unique<FrmOptions>(program.Environment(commandLine));
    EXPECT_TRUE(w->Form_Load());
    w->show();
    return w;
  }
  QString Stored(const QString& key) {
    QSettings s(program.StoreFile(), QSettings::IniFormat);
    return s.value(QStringLiteral("Options/") + key).toString();
  }
  test::TempProgram program;
};

}  // namespace

TEST_F(Startup, FillsTheWindowFromTheIniFile) {
  program.WriteIni(kTwoCategories);
  auto w = Open();
  EXPECT_EQ(w->windowTitle(), QStringLiteral("Выбор интерфейса"));
  ASSERT_EQ(test::CategoryPageOf(*w)->lstDir->ListCount(), 2);
  EXPECT_EQ(test::CategoryPageOf(*w)->lstDir->List(0), QStringLiteral("Облака"));
  EXPECT_EQ(test::CategoryPageOf(*w)->lstDir->List(1), QStringLiteral("Море"));
  // Palette: three items, the third not a number keeps its default.
  EXPECT_EQ(test::ColourPageOf(*w)->picColor[0]->BackColor(), 0x123456);
  EXPECT_EQ(test::ColourPageOf(*w)->picColor[1]->BackColor(), 0xFF);
  EXPECT_EQ(test::ColourPageOf(*w)->picColor[2]->BackColor(), 0xFFFF);
  EXPECT_EQ(test::ColourPageOf(*w)->picColor[27]->BackColor(), 0xC0C0);
  // The font list holds the installed families (the tests install DejaVu).
  EXPECT_GE(test::TextPageOf(*w)->lstFont->ListCount(), 1);
  bool dejavu = false;
  for (int i = 0; i < test::TextPageOf(*w)->lstFont->ListCount(); ++i)
    dejavu |= test::TextPageOf(*w)->lstFont->List(i) == QStringLiteral("DejaVu Sans");
  EXPECT_TRUE(dejavu);
  // Thumbnails 2..80 exist, hidden.
  ASSERT_NE(test::GalleryAreaOf(*w)->pic(80), nullptr);
  EXPECT_FALSE(test::GalleryAreaOf(*w)->pic(80)->isVisible());
  // Defaults: page 0, white background, texture on, no texture file.
  EXPECT_TRUE(test::PageWidget(*w, 0)->isVisible());
  EXPECT_EQ(w->Templates().Background.FonNum, 1);
  EXPECT_EQ(w->Templates().Background.FonColor, 0xFFFFFF);
  EXPECT_TRUE(w->Templates().Background.TextureEnabled);
  EXPECT_FALSE(w->Templates().Background.TextureLoaded);
  EXPECT_TRUE(w->State().FormReady());
  EXPECT_EQ(w->MinimumTrackSize(), QSize(634, 264));
  // Pictures of every page for a person to look at, when asked for.
  const QString shots = qEnvironmentVariable("QM_SCREENSHOT_DIR");
  for (int page = 0; page < 5 && !shots.isEmpty(); ++page) {
    w->MenuSet(static_cast<std::int16_t>(page));
    w->grab().save(shots + QStringLiteral("/page%1.png").arg(page));
  }
}

TEST_F(Startup, PlaceSizeAndPageSurviveARestart) {
  program.WriteIni(kTwoCategories);
  {
    auto w = Open();
    w->Move(1500, 1200, 9600, 6990);
    QTest::mouseClick(test::MenuEntry(*w, 2), Qt::LeftButton);
    EXPECT_TRUE(test::PageWidget(*w, 2)->isVisible());
    EXPECT_FALSE(test::PageWidget(*w, 0)->isVisible());
    EXPECT_EQ(test::MenuEntry(*w, 2)->palette().color(QPalette::WindowText), QColor(Qt::white));
    EXPECT_EQ(test::MenuEntry(*w, 2)->palette().color(QPalette::Window), QColor(0, 0, 128));
    EXPECT_TRUE(test::MenuEntry(*w, 2)->font().bold());
    EXPECT_FALSE(test::MenuEntry(*w, 0)->font().bold());
    EXPECT_EQ(test::MenuEntry(*w, 0)->palette().color(QPalette::WindowText), QColor(Qt::black));
    w->close();
  }
  EXPECT_EQ(Stored(QStringLiteral("FrmOptPos")), QStringLiteral("1500|1200|9600|6990"));
  EXPECT_EQ(Stored(QStringLiteral("OptMenu")), QStringLiteral("2"));
  auto w = Open();
  EXPECT_EQ(w->geometry(), QRect(100, 80, 640, 466));
  EXPECT_TRUE(test::PageWidget(*w, 2)->isVisible());
  EXPECT_EQ(w->State().CurrentPage, 2);
}

TEST_F(Startup, BadStoredValuesFallBackToDefaults) {
  {
    QSettings s(program.StoreFile(), QSettings::IniFormat);
    s.setValue(QStringLiteral("Options/FrmOptPos"), QStringLiteral("1|2|x|4"));
    s.setValue(QStringLiteral("Options/OptMenu"), QStringLiteral("7"));
    s.setValue(QStringLiteral("Options/FonNum"), QStringLiteral("12"));
    s.setValue(QStringLiteral("Options/TxturEn"), QStringLiteral("0"));
  }
  auto w = Open();
  // No category, no INI file: an empty list, the editor works.
  EXPECT_EQ(test::CategoryPageOf(*w)->lstDir->ListCount(), 0);
  const QRect avail = QGuiApplication::primaryScreen()->availableGeometry();
  EXPECT_EQ(w->geometry(), QRect(avail.x() + 80, avail.y() + 60, 634, 537));
  // A page outside 0..4 hides every page.
  for (int page = 0; page < 5; ++page) EXPECT_FALSE(test::PageWidget(*w, page)->isVisible());
  EXPECT_EQ(w->Templates().Background.FonNum, 1);
  EXPECT_FALSE(w->Templates().Background.TextureEnabled);
}

TEST_F(Startup, APlaceNoScreenShowsGivesTheDefault) {
  {
    QSettings s(program.StoreFile(), QSettings::IniFormat);
    s.setValue(QStringLiteral("Options/FrmOptPos"), QStringLiteral("-900000|-900000|9510|8055"));
  }
  auto w = Open();
  const QRect avail = QGuiApplication::primaryScreen()->availableGeometry();
  EXPECT_EQ(w->geometry().topLeft(), avail.topLeft() + QPoint(80, 60));
}

// A place stored on a larger screen, or at a smaller scale, that this screen
// does not show whole: the window comes up inside the screen's available
// area, as tall as fits and never smaller than its minimum.
TEST_F(Startup, APlaceThatRunsOffTheScreenIsMovedAndShrunkOntoIt) {
  const QRect avail = QGuiApplication::primaryScreen()->availableGeometry();
  const QString place = QStringLiteral("%1|%2|9510|%3")
                            .arg(PixelsToTwips(avail.right() - 300))
                            .arg(PixelsToTwips(avail.bottom() - 200))
                            .arg(PixelsToTwips(avail.height() + 100));
  {
    QSettings s(program.StoreFile(), QSettings::IniFormat);
    s.setValue(QStringLiteral("Options/FrmOptPos"), place);
  }
  auto w = Open();
  EXPECT_TRUE(avail.contains(w->geometry()));
  EXPECT_EQ(w->width(), 634);
  EXPECT_GE(w->height(), w->minimumHeight());
  EXPECT_LT(w->height(), avail.height());
}

// The load runs without returning to the event loop: the bar must be painted
// after each category all the same.
// Every step is painted when the interval allows it; with an interval longer
// than the load, the bar is painted as the load starts and as it ends.
TEST_F(Startup, TheProgressBarIsPaintedAfterEachCategoryTheIntervalAllows) {
  program.WriteIni(kTwoCategories);
  struct PaintedCaptions : QObject {
    QStringList seen;
    bool eventFilter(QObject* o, QEvent* e) override {
      if (e->type() == QEvent::Paint && o->objectName() == u"cmdProgress") {
        const QString caption = static_cast<QPushButton*>(o)->text();
        if (seen.isEmpty() || seen.constLast() != caption) seen << caption;
      }
      return false;
    }
  };
  const int interval = FrmProgress::PaintInterval();
  const auto restore = qScopeGuard([&] { FrmProgress::SetPaintInterval(interval); });
  for (const int ms : {0, 3600 * 1000}) {
    PaintedCaptions painted;
    qApp->installEventFilter(&painted);
    FrmProgress::SetPaintInterval(ms);
    auto w = Open();
    qApp->removeEventFilter(&painted);
    const QString seen = painted.seen.join(u' ');
    EXPECT_EQ(painted.seen.contains(QStringLiteral("51%")), ms == 0) << seen.toStdString();
    EXPECT_EQ(painted.seen.contains(QStringLiteral("95%")), ms == 0) << seen.toStdString();
    EXPECT_EQ(painted.seen.value(0), QStringLiteral("0%")) << seen.toStdString();
    EXPECT_EQ(painted.seen.constLast(), QStringLiteral("100%")) << seen.toStdString();
  }
}

TEST_F(Startup, TextureFileIsReadWhole) {
  QByteArray bytes(5000, 'x');
  test::TempProgram::WriteFile(program.TemplateRoot() + QStringLiteral("Chm1.png"), bytes);
  auto w = Open();
  EXPECT_TRUE(w->Templates().Background.TextureLoaded);
  EXPECT_EQ(w->Templates().Background.TextureBytes, bytes);
}

TEST_F(Startup, TextureNameIsMatchedWithoutRegardToCase) {
  test::TempProgram::WriteFile(program.TemplateRoot() + QStringLiteral("chm1.PNG"), "png bytes");
  auto w = Open();
  EXPECT_TRUE(w->Templates().Background.TextureLoaded);
  EXPECT_EQ(w->Templates().Background.TextureBytes, QByteArray("png bytes"));
}

TEST_F(Startup, HueTableHoldsEveryColumnOfTheStrip) {
  auto w = Open();
  const auto& table = test::ColourPageOf(*w)->HueTable;
  ASSERT_EQ(table.size(), 168u);
  EXPECT_EQ(table.front()[0], 255);  // red at the left
  EXPECT_LT(table.front()[2], 20);
  EXPECT_GT(table[112][2], 200);  // blue two thirds along
  EXPECT_LT(table[112][0], 60);
}

// The program's own start-up shows its window first: Form_Load leaves the
// thumbnails of the look's category undrawn (and a quick load shows no
// progress window), and FinishStartUp draws them into the window on the
// screen, returning once they are drawn.
TEST_F(Startup, ShowingFirstDrawsTheGalleryIntoTheShownWindow) {
  program.WriteIni(test::kCloudsIni +
                   "Pic1=a.png|DejaVu Sans|0|36|&HFFFFFF|0|0|&H0|2|-2|128|&HFF|3|1|1|1|0|0|100|"
                   "100|0|0\r\n");
  struct Watch : QObject {
    bool eventFilter(QObject* watched, QEvent* event) override {
      if (event->type() != QEvent::Show) return false;
      if (watched->objectName() == QStringLiteral("frmProgress")) progressShown = true;
      if (window && watched == thumbnail)
        windowOnScreen = window->windowHandle() && window->windowHandle()->isExposed();
      return false;
    }
    bool progressShown = false;
    std::optional<bool> windowOnScreen;
    QWidget* window = nullptr;
    QObject* thumbnail = nullptr;
  } watch;
  qApp->installEventFilter(&watch);
  FrmOptions w(program.Environment());
  watch.window = &w;
  watch.thumbnail = test::GalleryAreaOf(w)->pic(1);
  ASSERT_TRUE(w.Form_Load(FrmOptions::StartUp::ShowFirst));
  EXPECT_EQ(test::CategoryPageOf(w)->lstDir->ListIndex(), 0) << "the category is chosen";
  EXPECT_EQ(w.Templates().DrawCount(), 0) << "drawn before the window shows";
  w.show();
  w.FinishStartUp();
  qApp->removeEventFilter(&watch);
  EXPECT_EQ(w.Templates().DrawCount(), 1);
  EXPECT_EQ(watch.windowOnScreen, std::optional<bool>(true));
  EXPECT_TRUE(w.windowTitle().contains(QStringLiteral("Облака"))) << qPrintable(w.windowTitle());
  EXPECT_FALSE(watch.progressShown) << "a quick load flashed the progress window";
  EXPECT_FALSE(w.windowIcon().isNull());
  // The help box is made, and its text laid out, only once its page opens.
  EXPECT_EQ(w.findChild<QPlainTextEdit*>(QStringLiteral("txtHelp")), nullptr);
  QTest::mouseClick(test::MenuEntry(w, 3), Qt::LeftButton);
  const auto* help = w.findChild<QPlainTextEdit*>(QStringLiteral("txtHelp"));
  ASSERT_NE(help, nullptr);
  EXPECT_TRUE(help->isVisible());
  EXPECT_FALSE(help->toPlainText().isEmpty());
}

// Every widget of the window, by its place in the tree: where it is, how
// big, and whether it shows.
QStringList Layout(const QWidget& window) {
  QStringList out;
  const std::function<void(const QWidget&, const QString&)> walk = [&](const QWidget& w,
                                                                       const QString& path) {
    const QRect g = w.geometry();
    out << QStringLiteral("%1 %2,%3 %4x%5 %6")
               .arg(path)
               .arg(g.x())
               .arg(g.y())
               .arg(g.width())
               .arg(g.height())
               .arg(w.isVisibleTo(&window));
    // Named by name where they have one; the order they were made in may
    // differ, so unnamed ones by their kind and place among their kind.
    QHash<QString, int> seen;
    for (const QWidget* child : w.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
      const QString name = child->objectName().isEmpty()
                               ? QString::fromLatin1(child->metaObject()->className())
                               : child->objectName();
      walk(*child, path + u'/' + name + u'#' + QString::number(seen[name]++));
    }
  };
  walk(window, QStringLiteral("window"));
  out.sort();
  return out;
}

// A window shown before its pages are built (the editor's own start) is on
// its way to the screen while they are made, and ends laid out exactly as
// one built whole before it shows: at the kept place and size, on the kept
// page.
TEST_F(Startup, AWindowShownBeforeItsPagesAreBuiltEndsAsOneBuiltWhole) {
  program.WriteIni(kTwoCategories);
  const QByteArray kept[] = {{}, "[Options]\nFrmOptPos=\"1500|1200|9600|6990\"\nOptMenu=1\n"};
  for (const QByteArray& store : kept) {
    SCOPED_TRACE(store.toStdString());
    test::TempProgram::WriteFile(program.StoreFile(), store);
    QStringList whole;
    {
      FrmOptions w(program.Environment());
      ASSERT_TRUE(w.Form_Load(FrmOptions::StartUp::ShowFirst));
      w.show();
      w.FinishStartUp();
      whole = Layout(w);
    }
    struct Watch : QObject {
      bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show && watched == window)
          pagesWhenShown = window->findChildren<TextPage*>().size();
        return false;
      }
      QWidget* window = nullptr;
      qsizetype pagesWhenShown = -1;
    } watch;
    FrmOptions w(program.Environment(), nullptr, FrmOptions::StartUp::ShowFirst);
    watch.window = &w;
    w.installEventFilter(&watch);
    ASSERT_TRUE(w.Form_Load(FrmOptions::StartUp::ShowFirst));
    EXPECT_EQ(watch.pagesWhenShown, 0);
    w.show();
    w.FinishStartUp();
    EXPECT_EQ(Layout(w).join(u'\n').toStdString(), whole.join(u'\n').toStdString());
  }
}

TEST_F(Startup, StartupNeverWritesTheIniFile) {
  const QByteArray odd = kTwoCategories + "[Dir2]\r\nName=\xFF\xC0 broken\r\nPath=x\r\n";
  program.WriteIni(odd);
  {
    auto w = Open(QStringLiteral("0|+12°"));
    w->close();
  }
  EXPECT_EQ(program.ReadIni(), odd);
}

TEST(CommandLineParse, HandleAndSampleText) {
  struct Case {
    const char* line;
    int hwnd;
    const char* text;
  } cases[] = {{"5046|+12°", 5046, "+12°"}, {"5046", 5046, ""},       {"", 0, ""},
               {"0|+12°", 0, ""},           {"-5|x", -5, ""},         {"  77|a|b", 77, "a"},
               {"12.5|t", 12, "t"},         {"99999999999|t", 0, ""}, {"abc|t", 0, ""},
               {"13.5|t", 14, "t"}};
  for (const Case& c : cases) {
    const CommandLine cl = ParseCommandLine(QString::fromUtf8(c.line));
    EXPECT_EQ(cl.HostHwnd, c.hwnd) << c.line;
    EXPECT_EQ(cl.sampleText, QString::fromUtf8(c.text)) << c.line;
  }
}

// Only leading options are the editor's: the host's line is free text that
// may hold "--lang" itself, and it must reach the editor untouched.
TEST(CommandLineParse, LeadingLanguageOptionIsTheEditorsOwn) {
  struct Case {
    QStringList args;
    bool hasLanguage;
    const char* language;
    QStringList hostLine;
    bool missingValue;
  } cases[] = {
      {{"5046|+12°"}, false, "", {"5046|+12°"}, false},
      {{"--lang", "en", "5046|+12°"}, true, "en", {"5046|+12°"}, false},
      {{"--lang=ru", "5046|a", "b"}, true, "ru", {"5046|a", "b"}, false},
      {{"--lang", "en", "--lang", "ru"}, true, "ru", {}, false},
      {{"5046|a", "--lang", "en"}, false, "", {"5046|a", "--lang", "en"}, false},
      {{"--lang"}, false, "", {}, true},
      {{"--lang=", "1|x"}, true, "", {"1|x"}, false},
      {{}, false, "", {}, false},
  };
  for (const Case& c : cases) {
    const EditorArguments a = SplitEditorArguments(c.args);
    const std::string at = c.args.join(u' ').toStdString();
    EXPECT_EQ(a.hasLanguage, c.hasLanguage) << at;
    EXPECT_EQ(a.language, QString::fromUtf8(c.language)) << at;
    EXPECT_EQ(a.hostLine, c.hostLine) << at;
    EXPECT_EQ(a.missingValue, c.missingValue) << at;
  }
}

TEST(ProgressWindow, BarWidthAndCaption) {
  FrmProgress p;
  p.Init(FrmProgress::kNotGiven, 1500, QStringLiteral("Загрузка..."));
  EXPECT_EQ(p.lblMsg->text(), QStringLiteral("Загрузка..."));
  EXPECT_EQ(p.cmdProgress->text(), QStringLiteral("0%"));
  EXPECT_DOUBLE_EQ(p.BarWidthTwips(), 75);
  EXPECT_EQ(p.y(), 100);
  EXPECT_TRUE(p.windowFlags() & Qt::WindowStaysOnTopHint);
  struct {
    float value;
    double twips;
    const char* caption;
  } cases[] = {{1, 75, "1%"},   {50, 1942.5, "50%"},      {100, 3885, "100%"},     {0, 75, "0%"},
               {-3, 75, "-3%"}, {50.5f, 1961.925, "50%"}, {51.5f, 2000.775, "52%"}};
  for (const auto& c : cases) {
    p.Progress(c.value);
    EXPECT_NEAR(p.BarWidthTwips(), c.twips, 1e-3) << c.value;
    EXPECT_EQ(p.cmdProgress->text(), QString::fromLatin1(c.caption));
  }
  p.ProgressStop();
  EXPECT_FALSE(p.isVisible());
}

TEST_F(Startup, AFifoOrDeviceInPlaceOfTheIniOrTextureBlocksNothing) {
  // Both would make a plain open wait for a writer forever.
  ASSERT_EQ(::mkfifo(QFile::encodeName(program.IniFile()).constData(), 0600), 0);
  ASSERT_EQ(::mkfifo(QFile::encodeName(program.TemplateRoot() + "Chm1.png").constData(), 0600), 0);
  auto w = Open();
  EXPECT_FALSE(w->Templates().Background.TextureLoaded);
  EXPECT_TRUE(w->State().FormReady());
  w->close();
  struct stat st {};
  ASSERT_EQ(::stat(QFile::encodeName(program.IniFile()).constData(), &st), 0);
  EXPECT_TRUE(S_ISFIFO(st.st_mode));
}
