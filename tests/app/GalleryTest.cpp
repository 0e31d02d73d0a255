// The template gallery driven through the real editor window: choosing a
// category, the thumbnails, their layout and scrolling, the gestures (with a
// real host peer on the link), and the preview background.
#include <gtest/gtest.h>

#include <QImage>
#include <QProcess>
#include <QSettings>
#include <QTest>
#include <functional>
#include <utility>
#include <vector>

#include "app/FrmOptions.h"
#include "gallery/GalleryLayout.h"
#include "gallery/ui/Gallery.h"
#include "gallery/ui/GalleryArea.h"
#include "link/LinkTestSupport.h"
#include "pages/ui/CategoryPage.h"
#include "platform/Twips.h"
#include "render/Gdip.h"
#include "render/PictureBox.h"
#include "render/PictureRenderer.h"
#include "render/StampText.h"
#include "settings/IniClass.h"
#include "stamp/StampParams.h"
#include "support/TempProgram.h"
#include "support/WheelTurn.h"
#include "support/WindowParts.h"

using namespace qm;

namespace {

constexpr qint32 kHostHandle = 914001;

// The look fields 1..21 shared by the test templates; the tone differs.
QByteArray Look(const char* tone) {
  return QByteArray("|DejaVu Sans|1|22|&HFFFF00|0|0|&H0|2|-2|160|&HFF|2|1|1|1|0|") + tone;
}

class GalleryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WritePicture("Clouds/a.png", 60, 30, QColor(200, 40, 40, 160));
    WritePicture("Clouds/b.png", 50, 36, QColor(40, 200, 40, 220));
    WritePicture("Clouds/c.png", 70, 24, QColor(40, 40, 200, 90));
    WritePicture("Clouds/m.png", 120, 80, QColor(250, 250, 40, 200));
    WritePicture("Sea/s.png", 40, 40, QColor(10, 100, 200, 255));
    test::TempProgram::WriteFile(program.TemplateRoot() + "Sea/junk.png", "not a picture");
    WritePicture("Chm1.png", 8, 8, QColor(128, 128, 128, 255), true);
    QByteArray ini =
        "[General]\r\n"
        "[Dir0]\r\nName=Облака\r\nPath=Clouds\r\n"
        "Pic1=a.png" +
        Look("10|100|90|0|0") +
        "\r\n"
        "Pic2=b.png" +
        Look("0|100|100|0|0") +
        "|1\r\n"
        "Pic3=c.png" +
        Look("0|50|100|20|30") +
        "\r\n"
        "[Dir1]\r\nName=Море\r\nPath=Sea\r\n"
        "Pic1=gone.png" +
        Look("0|100|100|0|0") +
        "\r\n"
        "Pic2=junk.png" +
        Look("0|100|100|0|0") +
        "\r\n"
        "Pic3=s.png" +
        Look("0|100|100|0|0") +
        "\r\n"
        "[Dir2]\r\nName=Много\r\nPath=Clouds\r\n";
    for (int m = 1; m <= 40; ++m)
      ini += "Pic" + QByteArray::number(m) + "=m.png" + Look("0|100|100|0|0") + "\r\n";
    ini += "[Dir3]\r\nName=Пусто\r\nPath=Empty\r\n";
    program.WriteIni(ini);
  }

  void WritePicture(const QString& rel, int w, int h, const QColor& c, bool checker = false) {
    QImage img(w, h, QImage::Format_ARGB32);
    img.fill(c);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x)
        if (checker ? ((x / 4 + y / 4) % 2) : (x < 4)) img.setPixelColor(x, y, Qt::transparent);
    const QString path = program.TemplateRoot() + rel;
    QDir().mkpath(QFileInfo(path).absolutePath());
    ASSERT_TRUE(img.save(path));
  }

  std::unique_ptr<FrmOptions> Open(bool withHost = false) {
    AppEnvironment env = program.Environment({}, linkDir.path());
    if (withHost) {
      host = std::make_unique<link::test::EndpointThread>(linkDir.path(), kHostHandle);
      EXPECT_TRUE(host->listening());
      env.commandLine = QString::number(kHostHandle) + QStringLiteral("|+5°");
    }
    auto w = std::make_unique<FrmOptions>(env);
    EXPECT_TRUE(w->Form_Load());
    w->show();
    return w;
  }

  // Host messages other than the editor's own announcements.
  QStringList HostMessages() const {
    QStringList out;
    if (!host) return out;
    for (const QString& m : host->messages())
      if (!m.startsWith(QStringLiteral("W="))) out << m;
    return out;
  }

  // Read from the file itself each time: Qt's settings reader keeps a copy per
  // process that two saves within one millisecond, of one size, leave stale.
  QString Stored(const QString& key) {
    QFile f(program.StoreFile());
    if (!f.open(QIODevice::ReadOnly)) return {};
    bool inOptions = false;
    const QByteArray wanted = key.toUtf8() + '=';
    for (const QByteArray& raw : f.readAll().split('\n')) {
      const QByteArray line = raw.trimmed();
      if (line.startsWith('['))
        inOptions = line == "[Options]";
      else if (inOptions && line.startsWith(wanted))
        return QString::fromUtf8(line.mid(wanted.size()));
    }
    return {};
  }
  QString IniKey(const QString& section, const QString& key) {
    settings::INI_Class ini;
    return ini.ReadINIKey(section, key, program.IniFile(), QString());
  }

  static void Select(FrmOptions& w, int category) {
    test::CategoryPageOf(w)->lstDir->SetListIndex(category);
  }
  static void Click(Thumbnail* t, Qt::MouseButton b, Qt::KeyboardModifiers m = {}) {
    QTest::mouseClick(t, b, m, QPoint(5, 5));
  }

  test::TempProgram program;
  link::test::LinkDir linkDir;
  std::unique_ptr<link::test::EndpointThread> host;
};

// Whether any pixel in the rows [top, bottom) differs from `back`.
bool InkInRows(const QImage& img, int top, int bottom, const QColor& back) {
  const QImage im = img.convertToFormat(QImage::Format_ARGB32);
  for (int y = qMax(0, top); y < qMin(im.height(), bottom); ++y)
    for (int x = 0; x < im.width(); ++x)
      if (im.pixelColor(x, y) != back) return true;
  return false;
}

// The largest difference of any channel between two drawings of one size.
int MaxChannelDiff(const QImage& a, const QImage& b) {
  if (a.size() != b.size()) return 256;
  const QImage x = a.convertToFormat(QImage::Format_ARGB32);
  const QImage y = b.convertToFormat(QImage::Format_ARGB32);
  int worst = 0;
  for (int r = 0; r < x.height(); ++r)
    for (int c = 0; c < x.width(); ++c) {
      const QRgb p = x.pixel(c, r), q = y.pixel(c, r);
      worst = std::max({worst, std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                        std::abs(qBlue(p) - qBlue(q)), std::abs(qAlpha(p) - qAlpha(q))});
    }
  return worst;
}

}  // namespace

// Records what a label showed each time it was painted.
class PaintedTexts : public QObject {
 public:
  explicit PaintedTexts(QLabel* label) : label_(label) { label->installEventFilter(this); }
  QStringList texts;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == label_ && event->type() == QEvent::Paint) texts << label_->text();
    return false;
  }

 private:
  QLabel* label_;
};

TEST_F(GalleryTest, ChoosingACategoryPaintsItsThumbnailsAndSetsTheCaption) {
  auto w = Open();
  // "Подгружаю..." is on the screen while the thumbnails are painted (and
  // drawn again as they appear under it).
  PaintedTexts wait(test::GalleryAreaOf(*w)->lblWaitPic);
  Select(*w, 0);
  ASSERT_FALSE(wait.texts.isEmpty());
  wait.texts.removeDuplicates();
  EXPECT_EQ(wait.texts, QStringList{QStringLiteral("Подгружаю...")});
  EXPECT_EQ(w->windowTitle(), QStringLiteral("Выбор интерфейса - Облака [3 заготовки]"));
  GalleryArea* g = test::GalleryAreaOf(*w);
  for (int i = 1; i <= 3; ++i) EXPECT_TRUE(g->pic(i)->isVisible()) << i;
  EXPECT_FALSE(g->pic(4)->isVisible());
  EXPECT_FALSE(g->lblWaitPic->isVisible());
  // Each box is its picture plus 4 pixels each way.
  EXPECT_EQ(g->pic(1)->size(), QSize(64, 34));
  EXPECT_EQ(g->pic(2)->size(), QSize(54, 40));
  EXPECT_EQ(g->pic(1)->toolTip(), QStringLiteral("Выбор шаблона отображения (Clouds\\a.png)"));
  EXPECT_TRUE(
      g->pic(1)->Tag.startsWith(QStringLiteral("Clouds\\a.png|DejaVu Sans|1|22|&HFFFF00|")));
  // By default the texture shows through the picture's transparent edge,
  // inside the box's sunken border; the picture fills the inner area to the
  // border, with no band of background beside or below it.
  const QImage img = g->pic(1)->Image().convertToFormat(QImage::Format_ARGB32);
  EXPECT_EQ(img.pixelColor(3, 3), QColor(128, 128, 128));
  EXPECT_EQ(img.pixelColor(0, 0), QColor(128, 128, 128)) << "the border's shadow";
  EXPECT_EQ(img.pixelColor(1, 1), QColor(64, 64, 64));
  EXPECT_EQ(img.pixelColor(63, 33), QColor(255, 255, 255));
  for (const QPoint inner : {QPoint(61, 16), QPoint(30, 31), QPoint(61, 31)})
    EXPECT_EQ(img.pixelColor(inner).alpha(), 255) << inner.x() << "," << inner.y();
  EXPECT_NE(img.pixelColor(61, 16), QColor(128, 128, 128)) << "the picture, not the texture";
  // The row break after template 2 puts template 3 on a row of its own, at
  // thumbnail 1's Left, 30 twips (2 pixels) below the taller of the row.
  EXPECT_EQ(g->pic(2)->y(), g->pic(1)->y());
  EXPECT_EQ(g->pic(2)->x(), g->pic(1)->x() + 64 + 2);
  EXPECT_EQ(g->pic(3)->x(), g->pic(1)->x());
  EXPECT_EQ(g->pic(3)->y(), g->pic(1)->y() + 40 + 2);
  EXPECT_FALSE(g->scrlPic->isVisible());

  Select(*w, 2);
  EXPECT_EQ(w->windowTitle(), QStringLiteral("Выбор интерфейса - Много [40 заготовок]"));
  EXPECT_FALSE(g->pic(3)->toolTip().endsWith(gallery::kRowBreakMarker));
}

TEST_F(GalleryTest, EachWindowDrawsFromItsOwnProgramFolder) {
  auto w = Open();
  // Another editor, started from another program folder after this one.
  test::TempProgram other;
  other.WriteIni("[General]\r\n[Dir0]\r\nName=Облака\r\nPath=Clouds\r\n");
  link::test::LinkDir otherLink;
  FrmOptions second(other.Environment({}, otherLink.path()));
  ASSERT_TRUE(second.Form_Load());
  Select(*w, 0);
  for (int i = 1; i <= 3; ++i) EXPECT_FALSE(test::GalleryAreaOf(*w)->pic(i)->Tag.isEmpty()) << i;
}

TEST_F(GalleryTest, RowBreakMarkerIsAddedOnceHoweverOftenTheWindowIsResized) {
  auto w = Open();
  Select(*w, 0);
  for (int k = 0; k < 3; ++k) {
    w->Move(w->Left(), w->Top(), w->Width() + 300 * (k + 1), w->Height());
    QCoreApplication::processEvents();
  }
  EXPECT_EQ(test::GalleryAreaOf(*w)->pic(2)->toolTip(),
            QStringLiteral("Выбор шаблона отображения (Clouds\\b.png) -¬"));
  EXPECT_FALSE(test::GalleryAreaOf(*w)->pic(1)->toolTip().endsWith(gallery::kRowBreakMarker));
}

TEST_F(GalleryTest, MissingAndBrokenPicturesLeaveTheRestPainted) {
  auto w = Open(true);
  GalleryArea* g = test::GalleryAreaOf(*w);
  Select(*w, 0);
  ASSERT_FALSE(g->pic(1)->Tag.isEmpty());
  Select(*w, 1);
  // Thumbnail 1's picture is missing: no tag is left over from "Облака",
  // and "Нет файла!" stands on the second text line.
  EXPECT_TRUE(g->pic(1)->Tag.isEmpty());
  const QImage noFile = g->pic(1)->Image().copy(QRect(2, 2, g->pic(1)->width() - 4,
                                                      g->pic(1)->height() - 4));  // inner area
  const int line = QFontMetrics(g->pic(1)->font()).lineSpacing();
  EXPECT_FALSE(InkInRows(noFile, 0, line, Qt::white));
  EXPECT_TRUE(InkInRows(noFile, line, 2 * line, Qt::white));
  // A file that is not a picture keeps its template (no picture drawn) and
  // the thumbnail after it is painted as usual.
  EXPECT_TRUE(g->pic(2)->Tag.startsWith(QStringLiteral("Sea\\junk.png|")));
  EXPECT_EQ(g->pic(3)->size(), QSize(44, 44));

  // A click on the thumbnail without a picture does nothing at all.
  const QString before = w->State().Text1.text();
  Click(g->pic(1), Qt::LeftButton);
  Click(g->pic(1), Qt::RightButton);
  Click(g->pic(1), Qt::LeftButton, Qt::ControlModifier);
  EXPECT_EQ(w->State().Text1.text(), before);
  EXPECT_TRUE(HostMessages().isEmpty());
  EXPECT_EQ(IniKey("Dir1", "Pic1"), QString::fromUtf8("gone.png" + Look("0|100|100|0|0")));
}

TEST_F(GalleryTest, LeftClickAppliesTheTemplateAndRightClickTakesItsPicture) {
  auto w = Open(true);
  GalleryArea* g = test::GalleryAreaOf(*w);
  Select(*w, 0);
  const QString tag = g->pic(3)->Tag;
  Click(g->pic(3), Qt::LeftButton);
  // The template goes first; applying it to the controls may send more.
  ASSERT_FALSE(HostMessages().isEmpty());
  EXPECT_EQ(HostMessages().first(), QStringLiteral("A=") + tag);
  EXPECT_EQ(w->State().Text1.text(), tag);
  EXPECT_EQ(test::CategoryPageOf(*w)->lstDir->ListIndex(), 0);

  const qsizetype sent = HostMessages().size();
  Click(g->pic(1), Qt::RightButton);
  ASSERT_EQ(HostMessages().size(), sent + 1);
  EXPECT_EQ(HostMessages().last(), QStringLiteral("P=Clouds\\a.png|10|100|90|0|0"));
  // Only the picture and its tone changed in the current look.
  const QStringList look = w->State().Text1.text().split(u'|');
  ASSERT_EQ(look.size(), 22);
  EXPECT_EQ(look[0], QStringLiteral("Clouds\\a.png"));
  EXPECT_EQ(look.mid(17), (QStringList{"10", "100", "90", "0", "0"}));
  EXPECT_EQ(look.mid(1, 16), tag.split(u'|').mid(1, 16));

  // Ctrl with the right button and the middle button do nothing.
  Click(g->pic(2), Qt::RightButton, Qt::ControlModifier);
  Click(g->pic(2), Qt::MiddleButton);
  EXPECT_EQ(HostMessages().size(), sent + 1);

  // A double click is one gesture: its second press sends nothing more.
  Click(g->pic(1), Qt::RightButton);
  QTest::mouseDClick(g->pic(1), Qt::RightButton, {}, QPoint(5, 5));
  EXPECT_EQ(HostMessages().size(), sent + 2);
}

TEST_F(GalleryTest, OverwriteKeepsThePictureAndTheRowBreakAndRedrawsAtOnce) {
  auto w = Open(true);
  GalleryArea* g = test::GalleryAreaOf(*w);
  Select(*w, 0);
  const QString look = QStringLiteral(
      "Sea\\s.png|DejaVu Sans|0|30|&HFF|3|-4|&HFFFFFF|1|-1|200|&HFF00|3|1|1|1|1|45|80|100|10|0");
  w->State().Text1.setText(look);
  const QImage old = g->pic(2)->Image();
  const QPoint at = g->pic(2)->pos();
  const int layouts = w->Templates().LayoutCount();

  Click(g->pic(2), Qt::LeftButton, Qt::ShiftModifier);
  const QString rest = look.mid(look.indexOf(u'|'));
  EXPECT_EQ(IniKey("Dir0", "Pic2"), QStringLiteral("b.png") + rest + QStringLiteral("|1"));
  EXPECT_EQ(g->pic(2)->Tag, QStringLiteral("Clouds\\b.png") + rest);
  EXPECT_EQ(g->pic(2)->pos(), at);
  EXPECT_EQ(w->Templates().LayoutCount(), layouts);
  EXPECT_TRUE(g->pic(2)->toolTip().endsWith(gallery::kRowBreakMarker))
      << g->pic(2)->toolTip().toStdString();
  EXPECT_TRUE(HostMessages().isEmpty());
  const QImage redrawn = g->pic(2)->Image();
  EXPECT_NE(redrawn, old);

  // Alt and Ctrl overwrite as well; a template without a row break gets no
  // 23rd field.
  Click(g->pic(1), Qt::LeftButton, Qt::AltModifier);
  EXPECT_EQ(IniKey("Dir0", "Pic1"), QStringLiteral("a.png") + rest);
  Click(g->pic(3), Qt::LeftButton, Qt::ControlModifier);
  EXPECT_EQ(IniKey("Dir0", "Pic3"), QStringLiteral("c.png") + rest);

  // A full repaint of the category draws the same thumbnail.
  Select(*w, 1);
  Select(*w, 0);
  EXPECT_EQ(g->pic(2)->Image(), redrawn);
  EXPECT_EQ(g->pic(2)->Tag, QStringLiteral("Clouds\\b.png") + rest);
  // And the overwritten line reads back after a restart.
  w->close();
  host.reset();
  auto again = Open(true);
  Select(*again, 0);
  EXPECT_EQ(test::GalleryAreaOf(*again)->pic(2)->Tag, QStringLiteral("Clouds\\b.png") + rest);
  EXPECT_EQ(test::GalleryAreaOf(*again)->pic(2)->Image(), redrawn);
}

TEST_F(GalleryTest, OverwriteRefusesALookThatDoesNotConvert) {
  auto w = Open();
  GalleryArea* g = test::GalleryAreaOf(*w);
  Select(*w, 0);
  const QByteArray ini = program.ReadIni();
  const QString tag = g->pic(1)->Tag;
  for (const QString& bad :
       {QStringLiteral("x.png|DejaVu Sans|0|30"), QStringLiteral(""),
        QStringLiteral("x.png|DejaVu Sans|zero|30|&HFF|3|-4|&H0|1|-1|200|&HFF00|3|1|1|1|1|0|80|"
                       "100|10|0"),
        QStringLiteral("x.png|DejaVu Sans|0|30|&HFF|3|-4|&H0|1|-1|300|&HFF00|3|1|1|1|1|0|80|100|"
                       "10|0")}) {
    w->State().Text1.setText(bad);
    Click(g->pic(1), Qt::LeftButton, Qt::ControlModifier);
    EXPECT_EQ(program.ReadIni(), ini) << bad.toStdString();
    EXPECT_EQ(g->pic(1)->Tag, tag);
  }
}

TEST_F(GalleryTest, NoDrawingBackendLeavesTheOverwrittenThumbnailBlank) {
  auto w = Open();
  GalleryArea* g = test::GalleryAreaOf(*w);
  Select(*w, 0);
  w->State().Text1.setText(g->pic(3)->Tag);
  {
    const render::GdipStartFailsForTesting failing;
    // The user is told by a message box; here nobody can close it.
    w->Templates().hooks.gdipStart = [] { return render::GdipStart(); };
    Click(g->pic(1), Qt::LeftButton, Qt::ControlModifier);
  }
  EXPECT_TRUE(g->pic(1)->Image().isNull());
  EXPECT_TRUE(IniKey("Dir0", "Pic1").startsWith(QStringLiteral("a.png|DejaVu Sans|1|22")));
  EXPECT_EQ(render::GdipStartCount(), 0);
}

TEST_F(GalleryTest, ScrollingMovesTheStripTenTwipsAUnit) {
  auto w = Open();
  GalleryArea* g = test::GalleryAreaOf(*w);
  Select(*w, 2);
  ASSERT_TRUE(g->scrlPic->isVisible());
  EXPECT_EQ(g->scrlPic->Value(), 0);
  EXPECT_GT(g->scrlPic->Max(), 7);
  g->scrlPic->SetValue(7);
  EXPECT_EQ(g->framPic[1]->y(), TwipsToPixels(-70));
  // A new category starts at the top again.
  Select(*w, 0);
  EXPECT_FALSE(g->scrlPic->isVisible());
  EXPECT_EQ(g->framPic[1]->y(), 0);
  // So does an empty one.
  Select(*w, 2);
  g->scrlPic->SetValue(7);
  Select(*w, 3);
  EXPECT_EQ(w->windowTitle(), QStringLiteral("Выбор интерфейса - Пусто [0 заготовок]"));
  EXPECT_FALSE(g->scrlPic->isVisible());
  EXPECT_EQ(g->framPic[1]->y(), 0);
  EXPECT_FALSE(g->pic(1)->isVisible());
}

TEST_F(GalleryTest, WheelOverTheGalleryScrollsOneLineOnlyWhenItCanScroll) {
  auto w = Open();
  w->show();
  GalleryArea* g = test::GalleryAreaOf(*w);
  // A category that fits: nothing moves, on any page.
  Select(*w, 0);
  for (int page : {0, 1, 2, 4}) {
    w->lblMenu_MouseDown(page);
    EXPECT_TRUE(test::TurnWheel(w.get(), g->framPic[0], -120)) << page;
    EXPECT_EQ(g->framPic[1]->y(), 0) << page;
  }
  // One that does not: one line (the bar's small step) a notch, over any
  // place of the gallery.
  Select(*w, 2);
  ASSERT_TRUE(g->scrlPic->isVisible());
  const int line = g->scrlPic->SmallChange();
  ASSERT_GE(g->scrlPic->Max(), 2 * line);
  test::TurnWheel(w.get(), g->framPic[0], -120, QPoint(1, 1));
  EXPECT_EQ(g->scrlPic->Value(), line);
  QWidget* view = g->framPic[0];
  test::TurnWheel(w.get(), view, -120, QPoint(view->width() - 1, view->height() - 1));
  EXPECT_EQ(g->scrlPic->Value(), 2 * line);
  test::TurnWheel(w.get(), g->framPic[0], 120);
  EXPECT_EQ(g->scrlPic->Value(), line);
  EXPECT_EQ(g->framPic[1]->y(), TwipsToPixels(-10 * line));
}

TEST_F(GalleryTest, PastItsBudgetTheGalleryKeepsOnlyWhatIsNearTheViewDrawn) {
  auto w = Open();
  GalleryArea* g = test::GalleryAreaOf(*w);
  Select(*w, 2);  // forty thumbnails of one picture, more than the view shows
  const int count = w->Templates().ThumbnailCount();
  const QImage last = g->pic(count)->Image();
  const qint64 each = last.sizeInBytes();
  ASSERT_GT(each, 0);
  EXPECT_EQ(w->Templates().HeldThumbnailBytes(), each * count);

  // Room for 25 drawings (the view shows about 20): the category again.
  const qint64 budget = 25 * each;
  w->Templates().SetThumbnailBudget(budget);
  Select(*w, 0);
  Select(*w, 2);
  const auto inView = [&](int i) {
    const QRect view(QPoint(0, -g->framPic[1]->y()), g->framPic[0]->size());
    return g->pic(i)->geometry().intersects(view);
  };
  const auto check = [&](const char* where) {
    for (int i = 1; i <= count; ++i) {
      if (inView(i)) {
        EXPECT_FALSE(g->pic(i)->Image().isNull()) << where << " " << i;
      }
      // Undrawn or drawn, a thumbnail keeps its place, size and tag.
      EXPECT_FALSE(g->pic(i)->Tag.isEmpty()) << where << " " << i;
      EXPECT_EQ(g->pic(i)->size(), last.deviceIndependentSize().toSize()) << where << " " << i;
    }
    // Within the budget, unless all that is drawn is in view.
    int drawnOutside = 0;
    for (int i = 1; i <= count; ++i) drawnOutside += !inView(i) && !g->pic(i)->Image().isNull();
    EXPECT_TRUE(w->Templates().HeldThumbnailBytes() <= budget || drawnOutside == 0) << where;
  };
  check("top");
  EXPECT_TRUE(w->Templates().Undrawn(count));
  // Scrolled to the end: the last ones are drawn, as they were before.
  g->scrlPic->SetValue(g->scrlPic->Max());
  check("end");
  EXPECT_FALSE(w->Templates().Undrawn(count));
  EXPECT_EQ(g->pic(count)->Image(), last);
  EXPECT_TRUE(w->Templates().Undrawn(1));
  g->scrlPic->SetValue(0);
  check("back at the top");
  EXPECT_FALSE(w->Templates().Undrawn(1));
}

TEST_F(GalleryTest, ResizingReflowsWithoutRepainting) {
  auto w = Open();
  GalleryArea* g = test::GalleryAreaOf(*w);
  Select(*w, 2);
  const int draws = w->Templates().DrawCount();
  const int perRow = [&] {
    int n = 1;
    while (g->pic(n + 1)->y() == g->pic(1)->y()) ++n;
    return n;
  }();
  w->Move(w->Left(), w->Top(), w->Width() + 3000, w->Height() + 1500);
  QCoreApplication::processEvents();
  EXPECT_GT(g->framPic[1]->width(), 600);
  int wider = 1;
  while (g->pic(wider + 1)->y() == g->pic(1)->y()) ++wider;
  EXPECT_GT(wider, perRow);
  EXPECT_EQ(w->Templates().DrawCount(), draws);
}

TEST_F(GalleryTest, RestoringFromMinimisedDoesNotLayOutAgain) {
  auto w = Open();
  Select(*w, 0);
  const int layouts = w->Templates().LayoutCount();
  w->showMinimized();
  QCoreApplication::processEvents();
  w->showNormal();
  QCoreApplication::processEvents();
  EXPECT_EQ(w->Templates().LayoutCount(), layouts);
  w->showMaximized();
  QCoreApplication::processEvents();
  EXPECT_GT(w->Templates().LayoutCount(), layouts);
}

TEST_F(GalleryTest, ResizeWithoutACategoryIsHarmless) {
  auto w = Open();
  w->Move(w->Left(), w->Top(), w->Width() + 1500, w->Height() + 1500);
  QCoreApplication::processEvents();
  EXPECT_EQ(w->Templates().LayoutCount(), 0);
  EXPECT_EQ(w->Templates().DrawCount(), 0);
}

TEST_F(GalleryTest, SwatchCyclesNineColoursAndSwitchesTheTextureOff) {
  auto w = Open();
  Select(*w, 0);
  ASSERT_TRUE(w->Templates().Background.TextureLoaded);
  ASSERT_TRUE(w->Templates().Background.TextureEnabled);
  GalleryArea* g = test::GalleryAreaOf(*w);
  // The texture shows through the picture's transparent edge.
  EXPECT_NE(g->pic(1)->Image().pixelColor(3, 3), QColor(Qt::white));

  QTest::mouseClick(test::CategoryPageOf(*w)->picFonColor, Qt::LeftButton);
  EXPECT_EQ(w->Templates().Background.FonNum, 2);
  EXPECT_EQ(w->Templates().Background.FonColor, 0xC0C0C0);
  EXPECT_EQ(test::CategoryPageOf(*w)->picFonColor->BackColor(), 0xC0C0C0);
  EXPECT_FALSE(w->Templates().Background.TextureEnabled);
  EXPECT_EQ(test::CategoryPageOf(*w)->chkTexura->Value(), 0);
  EXPECT_EQ(Stored("FonNum"), QStringLiteral("2"));
  EXPECT_EQ(Stored("TxturEn"), QStringLiteral("0"));
  EXPECT_EQ(g->pic(1)->Image().pixelColor(3, 3), QColor(192, 192, 192));

  const qint32 expected[9] = {0xFFFFFF, 0xC0C0C0, 0xFFFF80, 0xFFC0C0, 0xFFCC40,
                              0x0000FF, 0xFF0000, 0x404040, 0x000000};
  for (int k = 0; k < 9; ++k) {
    const int n = (k + 2) % 9 + 1;  // from 2: 3, 4, ..., 9, 1, 2
    QTest::mouseClick(test::CategoryPageOf(*w)->picFonColor, Qt::LeftButton);
    EXPECT_EQ(w->Templates().Background.FonNum, n);
    EXPECT_EQ(w->Templates().Background.FonColor, expected[n - 1]);
    EXPECT_EQ(Stored("FonNum"), QString::number(n));
  }
  // COLORREF 0x0000FF is red on the screen.
  for (int k = 0; k < 4; ++k)
    QTest::mouseClick(test::CategoryPageOf(*w)->picFonColor, Qt::LeftButton);
  // A double click steps once.
  {
    const std::int32_t before = w->Templates().Background.FonNum;
    QTest::mouseClick(test::CategoryPageOf(*w)->picFonColor, Qt::LeftButton);
    QTest::mouseDClick(test::CategoryPageOf(*w)->picFonColor, Qt::LeftButton);
    QTest::mouseRelease(test::CategoryPageOf(*w)->picFonColor, Qt::LeftButton);
    EXPECT_EQ(w->Templates().Background.FonNum, before % 9 + 1);
    for (int k = 0; k < 8; ++k)
      QTest::mouseClick(test::CategoryPageOf(*w)->picFonColor, Qt::LeftButton);
  }
  EXPECT_EQ(w->Templates().Background.FonNum, 6);
  EXPECT_EQ(g->pic(1)->Image().pixelColor(3, 3), QColor(255, 0, 0));

  // Ticking the box brings the texture back under every picture.
  test::CategoryPageOf(*w)->chkTexura->click();
  EXPECT_TRUE(w->Templates().Background.TextureEnabled);
  EXPECT_EQ(Stored("TxturEn"), QStringLiteral("1"));
  EXPECT_NE(g->pic(1)->Image().pixelColor(3, 3), QColor(255, 0, 0));

  w->close();
  auto again = Open();
  EXPECT_EQ(again->Templates().Background.FonNum, 6);
  EXPECT_TRUE(again->Templates().Background.TextureEnabled);
}

TEST_F(GalleryTest, ThumbnailsAreThePictureAndTextRenderersOverTheBackground) {
  auto w = Open(true);
  GalleryArea* g = test::GalleryAreaOf(*w);
  Select(*w, 0);
  // What the two renderers draw for template 3 straight into one box.
  const auto expected = [&](const QColor& back, bool texture) {
    render::PictureBox box(1, 1, back, g->pic(3)->devicePixelRatioF());
    const render::TextureSource tex{w->Templates().Background.TextureBytes,
                                    w->Templates().Background.TextureLoaded, texture};
    EXPECT_TRUE(render::DrawTemplatePicture(program.TemplateRoot() + "Clouds/c.png", box, 0, 0.5f,
                                            1.0f, 0.2f, 0.7f, tex));
    const auto look = stamp::ParseLine(g->pic(3)->Tag);
    EXPECT_TRUE(look && render::DrawStampText(box, *look, QStringLiteral("+5°")) ==
                            render::StampTextResult::Drawn);
    return box.image;
  };
  EXPECT_LE(MaxChannelDiff(g->pic(3)->Image(), expected(Qt::white, true)), 2);
  // After a background change the text is laid over the new background.
  QTest::mouseClick(test::CategoryPageOf(*w)->picFonColor, Qt::LeftButton);
  EXPECT_LE(MaxChannelDiff(g->pic(3)->Image(), expected(QColor(192, 192, 192), false)), 2);
}

// The demo catalogue that ships beside the program, drawn by our own tool:
// every template paints, except the one whose picture is missing on purpose.
TEST(GalleryDemo, EveryDemoTemplatePaints) {
  const QString tool = QStringLiteral(QM_BIN_DIR "/quillmark-democat");
  if (!QFileInfo::exists(tool)) GTEST_SKIP() << "quillmark-democat is not built";
  test::TempProgram program;
  QProcess run;
  run.setProcessEnvironment([] {
    auto e = QProcessEnvironment::systemEnvironment();
    e.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    return e;
  }());
  run.start(tool, {program.ProgramDir()});
  ASSERT_TRUE(run.waitForFinished(60000));
  ASSERT_EQ(run.exitCode(), 0);

  FrmOptions w(program.Environment());
  ASSERT_TRUE(w.Form_Load());
  w.show();
  ASSERT_GE(test::CategoryPageOf(w)->lstDir->ListCount(), 3);
  const QString shots = qEnvironmentVariable("QM_SCREENSHOT_DIR");
  int missing = 0, painted = 0, breaks = 0;
  for (int c = 0; c < test::CategoryPageOf(w)->lstDir->ListCount(); ++c) {
    test::CategoryPageOf(w)->lstDir->SetListIndex(c);
    for (int i = 1; i <= w.Templates().ThumbnailCount(); ++i) {
      const Thumbnail* t = test::GalleryAreaOf(w)->pic(i);
      ASSERT_TRUE(t->isVisible());
      if (t->Tag.isEmpty()) {
        ++missing;
      } else {
        ++painted;
        EXPECT_TRUE(InkInRows(t->Image(), 0, t->height(), Qt::white)) << c << " " << i;
      }
      breaks += t->toolTip().endsWith(gallery::kRowBreakMarker);
    }
    if (!shots.isEmpty()) w.grab().save(shots + QStringLiteral("/gallery%1.png").arg(c));
  }
  EXPECT_EQ(missing, 1);
  EXPECT_GE(painted, 10);
  EXPECT_GE(breaks, 1);
}

TEST_F(GalleryTest, MouseOverFocusesAThumbnailOnlyWhileTheApplicationIsActive) {
  auto w = Open();
  Select(*w, 0);
  bool& active = w->State().AppActive;
  active = false;
  Thumbnail* t = test::GalleryAreaOf(*w)->pic(2);
  QTest::mouseMove(t, QPoint(3, 3));
  EXPECT_FALSE(t->hasFocus());
  active = true;
  QTest::mouseMove(t, QPoint(6, 6));
  EXPECT_TRUE(t->hasFocus());
}

// --- painting on the pool ----------------------------------------------------

namespace {

// Runs `act` once, in the event round after `thumbnail` got its template
// (and with it the tooltip that names it): where a host message or a timer
// runs in the middle of a paint.
class WhenDrawn : public QObject {
 public:
  WhenDrawn(QWidget* thumbnail, std::function<void()> act) : act_(std::move(act)) {
    thumbnail->installEventFilter(this);
  }

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::ToolTipChange && act_)
      QMetaObject::invokeMethod(this, std::exchange(act_, nullptr), Qt::QueuedConnection);
    return false;
  }

 private:
  std::function<void()> act_;
};

// The order in which the thumbnails appear, and what each had then.
class ShowOrder : public QObject {
 public:
  explicit ShowOrder(GalleryArea* g) : g_(g) {
    for (int i = 1; i <= GalleryArea::kMaxThumbnails; ++i) g->pic(i)->installEventFilter(this);
  }
  QList<int> order;
  QList<int> withoutDrawing;  // appeared before they were drawn
  QList<int> afterLater;      // appeared when a later one was already there

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::Show) return false;
    const auto* t = static_cast<Thumbnail*>(watched);
    order << t->Index();
    if (t->Image().isNull()) withoutDrawing << t->Index();
    for (int i = t->Index() + 1; i <= GalleryArea::kMaxThumbnails; ++i)
      if (g_->pic(i)->isVisible()) afterLater << t->Index();
    return false;
  }

 private:
  GalleryArea* g_;
};

}  // namespace

TEST_F(GalleryTest, AHandlerInTheMiddleOfAPaintDropsTheRestAndPaintsTheNewState) {
  const QStringList fortyOfM(40, QStringLiteral("Clouds\\m.png"));
  struct Case {
    const char* what;
    std::function<void(FrmOptions&)> act;
    int category;          // shown at the end
    QStringList pictures;  // of its thumbnails
    QColor back;           // where the pictures are transparent; invalid: the texture
  };
  const std::vector<Case> cases = {
      {"another category",
       [](FrmOptions& w) { Select(w, 0); },
       0,
       {"Clouds\\a.png", "Clouds\\b.png", "Clouds\\c.png"},
       QColor()},
      {"an empty category", [](FrmOptions& w) { Select(w, 3); }, 3, {}, QColor()},
      {"the same category again", [](FrmOptions& w) { w.Templates().lstDir_Click(); }, 2, fortyOfM,
       QColor()},
      {"the next background colour", [](FrmOptions& w) { w.Templates().picFonColor_Click(); }, 2,
       fortyOfM, QColor(192, 192, 192)},
  };
  constexpr int kAt = 5;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    auto w = Open();
    GalleryArea* g = test::GalleryAreaOf(*w);
    Gallery& gallery = w->Templates();
    const int draws = gallery.DrawCount();
    WhenDrawn midway(g->pic(kAt), [&] { c.act(*w); });
    Select(*w, 2);  // forty thumbnails

    EXPECT_FALSE(gallery.Painting());
    EXPECT_EQ(gallery.SelectedCategory(), c.category);
    const int count = gallery.ThumbnailCount();
    ASSERT_EQ(count, c.pictures.size());
    // What the first paint showed before the handler, then the new paint
    // from the start; nothing of the first one after the handler.
    EXPECT_EQ(gallery.DrawCount() - draws, kAt + count);
    for (int i = 1; i <= GalleryArea::kMaxThumbnails; ++i)
      EXPECT_EQ(g->pic(i)->isVisible(), i <= count) << i;
    for (int i = 1; i <= count; ++i) {
      EXPECT_TRUE(g->pic(i)->Tag.startsWith(c.pictures[i - 1] + u'|')) << i;
      if (c.back.isValid()) {
        EXPECT_EQ(g->pic(i)->Image().pixelColor(3, 3), c.back) << i;
      }
    }
    EXPECT_FALSE(g->lblWaitPic->isVisible());
    EXPECT_EQ(render::GdipStartCount(), 0);
    // The jobs of the dropped paint that were under way change nothing later.
    const QImage first = count > 0 ? g->pic(1)->Image() : QImage();
    w->Templates().ClearCaches();
    QCoreApplication::processEvents();
    EXPECT_EQ(gallery.DrawCount() - draws, kAt + count);
    if (count > 0) {
      EXPECT_EQ(g->pic(1)->Image(), first);
    }
  }
}

TEST_F(GalleryTest, TheWindowGoingInTheMiddleOfAPaintEndsItSafely) {
  {
    SCOPED_TRACE("closed: the rest is not drawn, and the next paint is whole");
    auto w = Open();
    Gallery& gallery = w->Templates();
    GalleryArea* g = test::GalleryAreaOf(*w);
    const int draws = gallery.DrawCount();
    WhenDrawn midway(g->pic(5), [&] { w->close(); });
    Select(*w, 2);
    EXPECT_FALSE(w->isVisible());
    EXPECT_FALSE(gallery.Painting());
    EXPECT_EQ(gallery.DrawCount() - draws, 5);
    EXPECT_FALSE(g->lblWaitPic->isVisible());
    EXPECT_EQ(render::GdipStartCount(), 0);
    w->show();
    Select(*w, 0);
    Select(*w, 2);
    EXPECT_EQ(gallery.DrawCount() - draws, 5 + 3 + 40);
    EXPECT_TRUE(g->pic(40)->isVisible());
  }
  {
    SCOPED_TRACE("destroyed with its gallery: the paint leaves without touching either");
    auto w = Open();
    {
      const QSignalBlocker quiet(test::CategoryPageOf(*w)->lstDir);
      Select(*w, 2);
    }
    Gallery* gallery = &w->Templates();
    WhenDrawn midway(test::GalleryAreaOf(*w)->pic(5), [&] { w.reset(); });
    gallery->PaintAllPic();
    EXPECT_EQ(w, nullptr);
    EXPECT_EQ(render::GdipStartCount(), 0);
  }
}

TEST_F(GalleryTest, ThumbnailsAppearInOrderEachWithItsOwnTemplate) {
  // Three pictures in several tones among missing and broken files: every
  // thumbnail shows its own template, whichever thread drew it and whenever.
  WritePicture("Mix/p0.png", 70, 34, QColor(200, 40, 40, 160));
  WritePicture("Mix/p1.png", 80, 36, QColor(40, 200, 40, 220));
  WritePicture("Mix/p2.png", 90, 40, QColor(40, 40, 200, 90));
  test::TempProgram::WriteFile(program.TemplateRoot() + "Mix/junk.png", "not a picture");
  const std::pair<const char*, const char*> templates[] = {
      {"p0.png", "0|100|100|0|0"},    {"gone.png", "0|100|100|0|0"},
      {"p1.png", "90|100|100|0|0"},   {"p0.png", "120|80|100|0|10"},
      {"junk.png", "0|100|100|0|0"},  {"p2.png", "0|60|90|0|0"},
      {"p0.png", "240|100|100|10|0"}, {"p1.png", "90|100|100|0|0"},
      {"gone2.png", "0|100|100|0|0"}, {"p2.png", "60|100|100|0|50"},
      {"p0.png", "0|100|100|0|0"},    {"p1.png", "300|100|100|20|0"}};
  QByteArray ini = program.ReadIni() + "[Dir4]\r\nName=Mix\r\nPath=Mix\r\n";
  for (int k = 0; k < 12; ++k)
    ini += "Pic" + QByteArray::number(k + 1) + "=" + templates[k].first +
           Look(templates[k].second) + "\r\n";
  program.WriteIni(ini);
  auto w = Open();
  GalleryArea* g = test::GalleryAreaOf(*w);
  Gallery& gallery = w->Templates();
  ShowOrder shown(g);
  const int decodes = gallery.DecodeCount();
  Select(*w, 4);
  ASSERT_EQ(gallery.ThumbnailCount(), 12);

  EXPECT_EQ(shown.order, (QList<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}));
  EXPECT_TRUE(shown.withoutDrawing.isEmpty()) << shown.withoutDrawing.size();
  EXPECT_TRUE(shown.afterLater.isEmpty()) << shown.afterLater.size();
  // Each file read once (the broken one tried once), however many thumbnails
  // asked for it at the same time.
  EXPECT_EQ(gallery.DecodeCount() - decodes, 4);

  const QColor back = Qt::white;
  const render::TextureSource texture{gallery.Background.TextureBytes,
                                      gallery.Background.TextureLoaded,
                                      gallery.Background.TextureEnabled};
  for (int k = 0; k < 12; ++k) {
    SCOPED_TRACE(k + 1);
    const Thumbnail* t = g->pic(k + 1);
    const QString picture = QStringLiteral("Mix\\") + templates[k].first;
    EXPECT_EQ(t->toolTip(), Gallery::TooltipOf(picture));
    if (picture.contains(u"gone")) {
      EXPECT_TRUE(t->Tag.isEmpty());
      continue;
    }
    EXPECT_EQ(t->Tag, picture + QString::fromUtf8(Look(templates[k].second)));
    if (picture.contains(u"junk")) continue;
    // The picture drawn with this template's tone, and its text, straight
    // into one box without any cache.
    const auto look = stamp::ParseLine(t->Tag);
    ASSERT_TRUE(look);
    render::PictureBox box(1, 1, back, t->devicePixelRatioF());
    ASSERT_TRUE(render::DrawTemplatePicture(program.TemplateRoot() + "Mix/" + templates[k].first,
                                            box, render::ToneOf(*look), texture));
    render::DrawStampText(box, *look, w->State().sampleText);
    EXPECT_LE(MaxChannelDiff(t->Image(), box.image), 2);
  }
}

TEST_F(GalleryTest, DecodedPicturesAreSharedAndKeptUntilTheFileChanges) {
  auto w = Open();
  Gallery& gallery = w->Templates();
  GalleryArea* g = test::GalleryAreaOf(*w);
  const int decodes = gallery.DecodeCount();
  Select(*w, 2);  // forty thumbnails of one picture
  EXPECT_EQ(gallery.DecodeCount() - decodes, 1);
  const QSize size = g->pic(1)->size();

  // A background change draws every thumbnail again from the kept picture.
  QTest::mouseClick(test::CategoryPageOf(*w)->picFonColor, Qt::LeftButton);
  EXPECT_EQ(gallery.DecodeCount() - decodes, 1);
  for (int i = 1; i <= 40; ++i)
    EXPECT_EQ(g->pic(i)->Image().pixelColor(3, 3), QColor(192, 192, 192)) << i;

  // A picture changed on disk is read anew by the next paint.
  WritePicture("Clouds/m.png", 90, 44, QColor(10, 10, 10, 255));
  Select(*w, 0);
  const int afterOthers = gallery.DecodeCount();
  Select(*w, 2);
  EXPECT_EQ(gallery.DecodeCount() - afterOthers, 1);
  ASSERT_NE(size, QSize(94, 48));
  for (int i = 1; i <= 40; ++i) EXPECT_EQ(g->pic(i)->size(), QSize(94, 48)) << i;
}
