// Every control of the window that the design fixes, by name, kind and page,
// and what the user sees of them: every slider's figure following the slider
// over its whole range, every control of a page reachable with Tab, the menu
// opening the pages it names, the help text, the palette cells and the
// background colours. Nothing here restates a caption or a range: they come
// from the window itself (CaptionFitTest checks that each caption fits).
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTest>
#include <QTextDocument>
#include <QTextEdit>
#include <algorithm>
#include <map>
#include <memory>
#include <set>
#include <vector>

#include "app/FrmOptions.h"
#include "gallery/ui/Gallery.h"
#include "pages/ui/CategoryPage.h"
#include "pages/ui/ColourPage.h"
#include "pages/ui/HelpPage.h"
#include "platform/Language.h"
#include "platform/ui/ClassicControls.h"
#include "platform/ui/ClassicScrollBar.h"
#include "support/TempProgram.h"
#include "support/WindowParts.h"

using namespace qm;

namespace {

// One window built by the start-up, shared by every case (building it lists
// the fonts and reads the catalogue), and one as designed, before the start-up
// has set anything from the stored look.
struct Windows {
  test::TempProgram program;
  std::unique_ptr<FrmOptions> loaded;
  std::unique_ptr<FrmOptions> designed;

  Windows() {
    program.WriteIni(
        "[Dir0]\r\nName=Облака\r\nPath=Clouds\r\n"
        "Pic1=a.png|DejaVu Sans|0|36|&HFFFFFF|0|0|&H0|2|-2|128|&HFF|3|1|1|1|0|0|100|100|0|0\r\n");
    loaded = std::make_unique<FrmOptions>(Env());
    loaded_ok = loaded->Form_Load();
    designed = std::make_unique<FrmOptions>(Env());
  }
  AppEnvironment Env() const {
    return program.Environment({}, program.ProgramDir() + QStringLiteral("/link"));
  }
  bool loaded_ok = false;
};

std::unique_ptr<Windows>& Shared() {
  static std::unique_ptr<Windows> w;
  return w;
}

Windows& W() {
  if (!Shared()) Shared() = std::make_unique<Windows>();
  return *Shared();
}

// The windows go before the application does.
class DropWindows : public ::testing::Environment {
 public:
  void TearDown() override { Shared().reset(); }
};
[[maybe_unused]] ::testing::Environment* const kDropWindows =
    ::testing::AddGlobalTestEnvironment(new DropWindows);

QWidget* Find(FrmOptions* w, const char* name) {
  const QString n = QString::fromLatin1(name);
  if (w->objectName() == n) return w;
  const QList<QWidget*> all = w->findChildren<QWidget*>(n);
  return all.size() == 1 ? all.front() : nullptr;
}

QString TextOf(const QWidget* w) {
  if (w->isWindow()) return w->windowTitle();
  if (auto* b = qobject_cast<const QAbstractButton*>(w)) return b->text();
  if (auto* l = qobject_cast<const QLabel*>(w)) return l->text();
  if (auto* e = qobject_cast<const QLineEdit*>(w)) return e->text();
  if (auto* g = qobject_cast<const QGroupBox*>(w)) return g->title();
  if (auto* p = qobject_cast<const QPlainTextEdit*>(w)) return p->toPlainText();
  return {};
}

// The page (0..4) a control lies on, -1 when it belongs to the window itself.
int PageOf(const QWidget* w) {
  for (const QWidget* p = w; p; p = p->parentWidget()) {
    const QString n = p->objectName();
    if (n.startsWith(QStringLiteral("framMenu_"))) return n.mid(9).toInt();
  }
  return -1;
}

enum class Kind {
  Window,
  Label,
  TextBox,
  ListBox,
  CheckBox,
  Option,
  Button,
  HSlider,
  VSlider,
  Any
};

bool IsKind(const QWidget* w, Kind k) {
  const auto* bar = qobject_cast<const ui::ClassicScrollBar*>(w);
  switch (k) {
    case Kind::Window:
      return w->isWindow();
    case Kind::Label:
      return qobject_cast<const QLabel*>(w) != nullptr;
    case Kind::TextBox:
      return qobject_cast<const QLineEdit*>(w) || qobject_cast<const QPlainTextEdit*>(w) ||
             qobject_cast<const QTextEdit*>(w);
    case Kind::ListBox:
      return qobject_cast<const ui::ClassicListBox*>(w) != nullptr;
    case Kind::CheckBox:
      return qobject_cast<const ui::ClassicCheckBox*>(w) != nullptr;
    case Kind::Option:
      return qobject_cast<const QRadioButton*>(w) != nullptr;
    case Kind::Button:
      return qobject_cast<const QAbstractButton*>(w) && !qobject_cast<const QRadioButton*>(w) &&
             !qobject_cast<const ui::ClassicCheckBox*>(w);
    case Kind::HSlider:
      return bar && bar->orientation() == Qt::Horizontal;
    case Kind::VSlider:
      return bar && bar->orientation() == Qt::Vertical;
    case Kind::Any:
      return true;
  }
  return false;
}

struct Control {
  const char* name;
  Kind kind;
  int page;  // -1: on the window, outside the pages
};

std::ostream& operator<<(std::ostream& os, const Control& c) { return os << c.name; }

const Control kControls[] = {
    // The window, the menu strip and the gallery area.
    {"frmOptions", Kind::Window, -1},
    {"picMenu", Kind::Any, -1},
    {"lbl_3", Kind::Label, -1},
    {"lblMenu_0", Kind::Label, -1},
    {"lblMenu_1", Kind::Label, -1},
    {"lblMenu_2", Kind::Label, -1},
    {"lblMenu_3", Kind::Label, -1},
    {"lblMenu_4", Kind::Label, -1},
    {"Line1_0", Kind::Any, -1},
    {"Line1_5", Kind::Any, -1},
    {"picFrame", Kind::Any, -1},
    {"scrlPic", Kind::VSlider, -1},
    {"framPic_0", Kind::Any, -1},
    {"framPic_1", Kind::Any, -1},
    {"lblWaitPic", Kind::Label, -1},
    // Page 0.
    {"lstDir", Kind::ListBox, 0},
    {"picFonColor", Kind::Any, 0},
    {"chkTexura", Kind::CheckBox, 0},
    // Page 1.
    {"lstFont", Kind::ListBox, 1},
    {"lblFntNum", Kind::Label, 1},
    {"chkFontAttr_0", Kind::CheckBox, 1},
    {"chkFontAttr_1", Kind::CheckBox, 1},
    {"chkFontAttr_2", Kind::CheckBox, 1},
    {"txtFontSize", Kind::TextBox, 1},
    {"scrlFontSize", Kind::VSlider, 1},
    {"cmdSendFontSize", Kind::Button, 1},
    {"chkText", Kind::CheckBox, 1},
    {"picDefSize", Kind::Any, 1},
    {"scrlTempX", Kind::HSlider, 1},
    {"scrlTempY", Kind::VSlider, 1},
    {"txtTempX", Kind::TextBox, 1},
    {"txtTempY", Kind::TextBox, 1},
    {"scrlShadowX", Kind::HSlider, 1},
    {"scrlShadowY", Kind::VSlider, 1},
    {"txtShadowX", Kind::TextBox, 1},
    {"txtShadowY", Kind::TextBox, 1},
    {"framTrans", Kind::Any, 1},
    {"scrlShTrans", Kind::HSlider, 1},
    {"lblShTrans", Kind::Label, 1},
    {"scrlBorder", Kind::VSlider, 1},
    {"lblBorder", Kind::Label, 1},
    {"chkShadow", Kind::CheckBox, 1},
    {"chkBorder", Kind::CheckBox, 1},
    {"chkBrdDown", Kind::CheckBox, 1},
    // Page 2.
    {"OptClr_1", Kind::Option, 2},
    {"OptClr_2", Kind::Option, 2},
    {"OptClr_4", Kind::Option, 2},
    {"picColor_0", Kind::Any, 2},
    {"picColor_27", Kind::Any, 2},
    {"shpBox", Kind::Any, 2},
    {"chkAddColor", Kind::CheckBox, 2},
    {"scrlColor_0", Kind::HSlider, 2},
    {"scrlColor_1", Kind::HSlider, 2},
    {"scrlColor_2", Kind::HSlider, 2},
    {"txtColor_0", Kind::TextBox, 2},
    {"txtColor_1", Kind::TextBox, 2},
    {"txtColor_2", Kind::TextBox, 2},
    {"scrlLuma", Kind::HSlider, 2},
    {"txtLuma", Kind::TextBox, 2},
    {"picClrSet", Kind::Any, 2},
    {"picHue", Kind::Any, 2},
    {"shpColor", Kind::Any, 2},
    // Page 3.
    {"txtHelp", Kind::TextBox, 3},
    // Page 4.
    {"scrlHue_0", Kind::HSlider, 4},
    {"scrlHue_1", Kind::HSlider, 4},
    {"scrlHue_2", Kind::HSlider, 4},
    {"scrlHue_3", Kind::HSlider, 4},
    {"scrlHue_4", Kind::HSlider, 4},
    {"txtHue_0", Kind::TextBox, 4},
    {"txtHue_4", Kind::TextBox, 4},
    {"chkResetHSV", Kind::CheckBox, 4},
};

class PageControl : public ::testing::TestWithParam<Control> {
 protected:
  static void SetUpTestSuite() { ASSERT_TRUE(W().loaded_ok); }
};

}  // namespace

TEST_P(PageControl, NameKindAndPage) {
  const Control& c = GetParam();
  for (FrmOptions* w : {W().loaded.get(), W().designed.get()}) {
    const bool loaded = w == W().loaded.get();
    // The help box is made when its page first shows; these windows never
    // show, so it is asked for.
    for (HelpPage* help : w->findChildren<HelpPage*>()) help->TextBox();
    QWidget* ctl = Find(w, c.name);
    ASSERT_NE(ctl, nullptr) << "exactly one control named " << c.name
                            << (loaded ? "" : " (designed)");
    EXPECT_TRUE(IsKind(ctl, c.kind)) << ctl->metaObject()->className();
    EXPECT_EQ(PageOf(ctl), c.page);
  }
}

INSTANTIATE_TEST_SUITE_P(Window, PageControl, ::testing::ValuesIn(kControls),
                         [](const auto& info) { return std::string(info.param.name); });

// --- sliders and their figures ---------------------------------------------------------

namespace {

// A slider and the box or label beside it that shows its value.
struct SliderFigure {
  const char* slider;
  const char* figure;
};

std::ostream& operator<<(std::ostream& os, const SliderFigure& s) { return os << s.slider; }

const SliderFigure kFigures[] = {
    {"scrlFontSize", "txtFontSize"}, {"scrlTempX", "txtTempX"},     {"scrlTempY", "txtTempY"},
    {"scrlShadowX", "txtShadowX"},   {"scrlShadowY", "txtShadowY"}, {"scrlShTrans", "lblShTrans"},
    {"scrlBorder", "lblBorder"},     {"scrlColor_0", "txtColor_0"}, {"scrlColor_1", "txtColor_1"},
    {"scrlColor_2", "txtColor_2"},   {"scrlLuma", "txtLuma"},       {"scrlHue_0", "txtHue_0"},
    {"scrlHue_1", "txtHue_1"},       {"scrlHue_2", "txtHue_2"},     {"scrlHue_3", "txtHue_3"},
    {"scrlHue_4", "txtHue_4"},
};

class SliderFigureTest : public ::testing::TestWithParam<SliderFigure> {
 protected:
  static void SetUpTestSuite() { ASSERT_TRUE(W().loaded_ok); }
};

}  // namespace

// The keys take the slider to both ends and back in small and large steps; at
// every stop the figure beside it shows the value (as the value itself, its
// negative, a share of the range: whatever the figure means, it follows the
// slider), and a box is long enough for it.
TEST_P(SliderFigureTest, TheFigureFollowsTheValueOverTheWholeRange) {
  const SliderFigure& f = GetParam();
  // A window of its own: the steps change the look.
  FrmOptions w(W().Env());
  ASSERT_TRUE(w.Form_Load());
  auto* bar = qobject_cast<ui::ClassicScrollBar*>(Find(&w, f.slider));
  QWidget* figure = Find(&w, f.figure);
  ASSERT_TRUE(bar && figure);
  auto* box = qobject_cast<QLineEdit*>(figure);

  struct Stop {
    int value;
    int shown;
  };
  std::vector<Stop> stops;
  const auto record = [&](const char* after) {
    bool ok = false;
    const int shown = TextOf(figure).trimmed().toInt(&ok);
    ASSERT_TRUE(ok) << after << ": \"" << TextOf(figure).toStdString() << "\"";
    if (box && box->maxLength() > 0) {
      EXPECT_LE(TextOf(figure).size(), box->maxLength()) << after;
    }
    stops.push_back({bar->Value(), shown});
  };
  record("start-up");
  const struct {
    Qt::Key key;
    int times;
    const char* name;
  } moves[] = {{Qt::Key_End, 1, "End"},       {Qt::Key_Left, 3, "Left"},
               {Qt::Key_PageUp, 2, "PageUp"}, {Qt::Key_Home, 1, "Home"},
               {Qt::Key_End, 1, "End"},       {Qt::Key_Home, 1, "Home"},
               {Qt::Key_Right, 3, "Right"},   {Qt::Key_Home, 1, "Home"}};
  for (const auto& m : moves) {
    for (int i = 0; i < m.times; ++i) {
      QTest::keyClick(bar, m.key);
      record(m.name);
      if (m.key == Qt::Key_End) {
        EXPECT_EQ(bar->Value(), bar->Max());
      }
      if (m.key == Qt::Key_Home) {
        EXPECT_EQ(bar->Value(), bar->Min());
      }
    }
  }
  // Then from the Min end across the whole range in large steps.
  const int span = std::abs(bar->Max() - bar->Min());
  for (int i = 0; i <= span / bar->LargeChange() && bar->Value() != bar->Max(); ++i) {
    QTest::keyClick(bar, Qt::Key_PageDown);
    record("PageDown");
  }
  EXPECT_EQ(bar->Value(), bar->Max());
  // The figure is a function of the value (the same value always shows the
  // same figure, whichever way the slider came), rises or falls with it
  // throughout, and tells the two ends apart.
  std::map<int, int> shownAt;
  for (const Stop& s : stops) {
    const auto [it, fresh] = shownAt.emplace(s.value, s.shown);
    EXPECT_EQ(it->second, s.shown)
        << "value " << s.value << " shows " << s.shown << " and " << it->second;
  }
  ASSERT_GE(shownAt.size(), 3u) << "the slider hardly moved";
  const int rise = shownAt.rbegin()->second > shownAt.begin()->second ? 1 : -1;
  EXPECT_NE(shownAt.rbegin()->second, shownAt.begin()->second) << "both ends show the same";
  for (auto it = std::next(shownAt.begin()); it != shownAt.end(); ++it) {
    EXPECT_GE(rise * (it->second - std::prev(it)->second), 0)
        << "value " << std::prev(it)->first << " shows " << std::prev(it)->second << ", value "
        << it->first << " shows " << it->second;
  }
  // A large step always shows: the figure neither stops short of an end nor
  // stands still over a stretch of the range.
  for (auto a = shownAt.begin(); a != shownAt.end(); ++a)
    for (auto b = std::next(a); b != shownAt.end(); ++b)
      if (b->first - a->first >= bar->LargeChange()) {
        EXPECT_NE(a->second, b->second) << "values " << a->first << " and " << b->first;
      }
}

INSTANTIATE_TEST_SUITE_P(Window, SliderFigureTest, ::testing::ValuesIn(kFigures),
                         [](const auto& info) { return std::string(info.param.slider); });

// --- texts without a control name of their own ----------------------------------------

// Each tone slider has a label of its own on its row, to its left.
TEST(PageTexts, ToneLabelsBesideTheirSliders) {
  ASSERT_TRUE(W().loaded_ok);
  FrmOptions* w = W().designed.get();
  QWidget* page = test::PageWidget(*w, 4);
  const QList<QLabel*> all = page->findChildren<QLabel*>();
  std::set<const QLabel*> labels;
  std::set<QString> texts;
  for (int i = 0; i < 5; ++i) {
    QWidget* bar = Find(w, QStringLiteral("scrlHue_%1").arg(i).toLatin1().constData());
    ASSERT_NE(bar, nullptr);
    const QRect barRect(bar->mapTo(page, QPoint()), bar->size());
    const QLabel* nearest = nullptr;
    int best = 1 << 30;
    for (QLabel* l : all) {
      const QRect r(l->mapTo(page, QPoint()), l->size());
      const int d = std::abs(r.center().y() - barRect.center().y());
      if (d < best && r.right() < barRect.left() && !l->text().isEmpty()) {
        best = d;
        nearest = l;
      }
    }
    ASSERT_NE(nearest, nullptr) << i;
    // On the slider's row: its middle lies within the slider's height.
    EXPECT_LE(best, bar->height() / 2 + 1) << i;
    labels.insert(nearest);
    texts.insert(nearest->text());
  }
  EXPECT_EQ(labels.size(), 5u) << "two sliders share a label";
  EXPECT_EQ(texts.size(), 5u) << "two sliders carry the same name";
}

TEST(PageTexts, TheFontListBeforeStartUpHoldsTheDesignedEntries) {
  auto* lst = qobject_cast<ui::ClassicListBox*>(Find(W().designed.get(), "lstFont"));
  ASSERT_NE(lst, nullptr);
  QStringList entries;
  for (int i = 0; i < lst->ListCount(); ++i) entries << lst->List(i);
  EXPECT_EQ(entries,
            (QStringList{"Arial", "Courier New", "Garamond", "Tahoma", "Times New Roman"}));
  EXPECT_EQ(lst->ListIndex(), -1);
}

TEST(PageTexts, TheTextColourIsTheTargetWhenTheWindowOpens) {
  ASSERT_TRUE(W().loaded_ok);
  for (FrmOptions* w : {W().loaded.get(), W().designed.get()}) {
    EXPECT_TRUE(qobject_cast<QRadioButton*>(Find(w, "OptClr_1"))->isChecked());
    EXPECT_FALSE(qobject_cast<QRadioButton*>(Find(w, "OptClr_2"))->isChecked());
    EXPECT_FALSE(qobject_cast<QRadioButton*>(Find(w, "OptClr_4"))->isChecked());
  }
}

// --- the menu ---------------------------------------------------------------------

// Each entry opens its own page, and only that one; the entries do not
// overlap, each reads differently, and the heading is above them all.
TEST(PageMenu, EachEntryOpensItsPageUnderTheHeading) {
  ASSERT_TRUE(W().loaded_ok);
  FrmOptions w(W().Env());
  ASSERT_TRUE(w.Form_Load());
  w.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
  QList<QWidget*> entries;
  std::set<QString> captions;
  for (int i = 0; i < 5; ++i) {
    QWidget* e = Find(&w, QStringLiteral("lblMenu_%1").arg(i).toLatin1().constData());
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->parentWidget(), Find(&w, "picMenu"));
    QTest::mouseClick(e, Qt::LeftButton, {}, e->rect().center());
    for (int p = 0; p < 5; ++p)
      EXPECT_EQ(test::PageWidget(w, p)->isVisible(), p == i) << "entry " << i << ", page " << p;
    entries << e;
    captions.insert(TextOf(e));
  }
  EXPECT_EQ(captions.size(), 5u);
  std::sort(entries.begin(), entries.end(), [](QWidget* a, QWidget* b) { return a->y() < b->y(); });
  for (int i = 1; i < entries.size(); ++i)
    EXPECT_GE(entries[i]->y(), entries[i - 1]->geometry().bottom()) << i;
  QWidget* heading = Find(&w, "lbl_3");
  ASSERT_NE(heading, nullptr);
  EXPECT_EQ(heading->parentWidget(), Find(&w, "picMenu"));
  EXPECT_LE(heading->geometry().bottom(), entries.front()->y());
}

// Tab from a page's menu entry comes round to every control of that page
// that takes the keyboard: none is left out of the chain or hidden behind
// another page.
TEST(PageMenu, TabReachesEveryControlOfEachPage) {
  ASSERT_TRUE(W().loaded_ok);
  FrmOptions w(W().Env());
  ASSERT_TRUE(w.Form_Load());
  w.show();
  w.activateWindow();
  if (!QTest::qWaitForWindowActive(&w, 2000) ||
      QGuiApplication::applicationState() != Qt::ApplicationActive)
    GTEST_SKIP() << "the platform never makes us the active application";
  for (int p = 0; p < 5; ++p) {
    QWidget* entry = Find(&w, QStringLiteral("lblMenu_%1").arg(p).toLatin1().constData());
    ASSERT_NE(entry, nullptr);
    QTest::mouseClick(entry, Qt::LeftButton, {}, entry->rect().center());
    entry->setFocus(Qt::TabFocusReason);
    std::set<QWidget*> reached;
    for (int i = 0; i < 100; ++i) {
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
      reached.insert(QApplication::focusWidget());
    }
    int controls = 0;
    for (QWidget* c : test::PageWidget(w, p)->findChildren<QWidget*>()) {
      if (!c->isVisible() || !c->isEnabled() || !(c->focusPolicy() & Qt::TabFocus) ||
          c->focusProxy())
        continue;
      ++controls;
      EXPECT_TRUE(reached.count(c)) << "page " << p << ": " << c->objectName().toStdString() << " ("
                                    << c->metaObject()->className() << ")";
    }
    if (p != 3) {
      EXPECT_GT(controls, 0) << "page " << p;
    }
  }
}

// --- the help text ------------------------------------------------------------------

TEST(HelpPage, TextFlowsAsOneParagraphWithItsKeysSetApart) {
  QStringList texts{HelpPage::HelpText()};
  {
    const platform::ScopedTranslation english(platform::Language::English);
    ASSERT_TRUE(english.ok());
    texts << HelpPage::HelpText();
  }
  ASSERT_NE(texts[0], texts[1]);
  for (const QString& text : texts) {
    // The box wraps the text to its width: a line break of its own inside
    // it would end a line half way across. Only the end ends a line.
    EXPECT_TRUE(text.endsWith(QStringLiteral("\r\n")));
    EXPECT_EQ(text.count(u'\n'), 1) << text.toStdString();
    // "[кнопка мыши]", "[Ctrl]": each key name is a word of its own.
    for (qsizetype at = text.indexOf(u'['); at >= 0; at = text.indexOf(u'[', at + 1))
      EXPECT_TRUE(at == 0 || text[at - 1] == u' ') << text.mid(at - 10, 20).toStdString();
  }
  ASSERT_TRUE(W().loaded_ok);
  for (HelpPage* help : W().loaded->findChildren<HelpPage*>()) help->TextBox();
  auto* box = qobject_cast<QPlainTextEdit*>(Find(W().loaded.get(), "txtHelp"));
  ASSERT_NE(box, nullptr);
  // Filled when its page first shows.
  HelpPage shown(box->parentWidget()->size());
  shown.show();
  EXPECT_EQ(shown.TextBox()->toPlainText(), texts[0].chopped(2) + u'\n');
  EXPECT_TRUE(box->isReadOnly());
  // Its frame is whole: inside its page, and above the gallery.
  const QWidget* page = box->parentWidget();
  EXPECT_TRUE(page->rect().contains(box->geometry())) << box->geometry().bottom();
  const QWidget* gallery = Find(W().loaded.get(), "picFrame");
  ASSERT_NE(gallery, nullptr);
  EXPECT_LT(box->mapTo(W().loaded.get(), box->rect().bottomLeft()).y(), gallery->y());
}

// --- the palette ----------------------------------------------------------------------

namespace {

struct Cell {
  int index;
  int row;  // 0..3, top to bottom
  int col;  // 0..6, left to right
  std::int32_t bgr;
};

std::ostream& operator<<(std::ostream& os, const Cell& c) { return os << "picColor_" << c.index; }

const Cell kCells[] = {
    {0, 0, 0, 0xFFFFFF},  {1, 0, 1, 0xFF},      {6, 0, 2, 0xFF00FF},  {19, 0, 3, 0x80FF00},
    {7, 0, 4, 0xFFFF80},  {25, 0, 5, 0xFFC0C0}, {2, 0, 6, 0xFFFF},    {23, 1, 0, 0xC0C0C0},
    {8, 1, 1, 0x4080FF},  {21, 1, 2, 0xFF40CC}, {3, 1, 3, 0xFF00},    {4, 1, 4, 0xFFFF00},
    {5, 1, 5, 0xFF0000},  {27, 1, 6, 0xC0C0},   {22, 2, 0, 0x808080}, {20, 2, 1, 0xC0},
    {15, 2, 2, 0x800080}, {12, 2, 3, 0x8000},   {24, 2, 4, 0xFFCC40}, {14, 2, 5, 0x800000},
    {11, 2, 6, 0x8080},   {9, 3, 0, 0x0},       {10, 3, 1, 0x80},     {17, 3, 2, 0x4080},
    {13, 3, 3, 0x808000}, {16, 3, 4, 0xFF8000}, {26, 3, 5, 0x400000}, {18, 3, 6, 0x404000},
};

class PaletteCell : public ::testing::TestWithParam<Cell> {
 protected:
  static void SetUpTestSuite() { ASSERT_TRUE(W().loaded_ok); }
};

// Rank of v among the distinct values of all cells (0 = smallest).
int Rank(const std::set<int>& values, int v) {
  return static_cast<int>(std::distance(values.begin(), values.find(v)));
}

}  // namespace

TEST_P(PaletteCell, GridPlaceSizeAndDefaultColour) {
  const Cell& c = GetParam();
  FrmOptions* w = W().loaded.get();
  std::set<int> xs, ys;
  for (int i = 0; i < 28; ++i) {
    QWidget* cell = Find(w, QStringLiteral("picColor_%1").arg(i).toLatin1().constData());
    ASSERT_NE(cell, nullptr) << i;
    xs.insert(cell->x());
    ys.insert(cell->y());
  }
  ASSERT_EQ(xs.size(), 7u);
  ASSERT_EQ(ys.size(), 4u);
  auto* cell = qobject_cast<Swatch*>(
      Find(w, QStringLiteral("picColor_%1").arg(c.index).toLatin1().constData()));
  ASSERT_NE(cell, nullptr);
  EXPECT_EQ(Rank(ys, cell->y()), c.row);
  EXPECT_EQ(Rank(xs, cell->x()), c.col);
  // 240 x 240 twips.
  EXPECT_EQ(cell->size(), QSize(16, 16));
  // No "Colors" key: every cell shows its default colour.
  EXPECT_EQ(cell->BackColor(), c.bgr);
  EXPECT_EQ(cell->palette().color(QPalette::Window),
            QColor(c.bgr & 0xFF, (c.bgr >> 8) & 0xFF, (c.bgr >> 16) & 0xFF));
}

INSTANTIATE_TEST_SUITE_P(Grid, PaletteCell, ::testing::ValuesIn(kCells), [](const auto& info) {
  return "picColor_" + std::to_string(info.param.index);
});

TEST(Palette, SelectionMarkStartsInsideCellZero) {
  ASSERT_TRUE(W().loaded_ok);
  FrmOptions* w = W().loaded.get();
  QWidget* mark = Find(w, "shpBox");
  QWidget* cell0 = Find(w, "picColor_0");
  ASSERT_TRUE(mark && cell0);
  // 195 x 195 twips at the top-left corner inside the cell.
  EXPECT_EQ(mark->size(), QSize(13, 13));
  EXPECT_EQ(mark->mapToGlobal(QPoint()), cell0->mapToGlobal(QPoint()));
}

// --- the preview background -------------------------------------------------------------

namespace {

struct Background {
  int FonNum;
  std::int32_t bgr;
  QColor rgb;
};

class BackgroundColour : public ::testing::TestWithParam<Background> {
 protected:
  static void SetUpTestSuite() { ASSERT_TRUE(W().loaded_ok); }
};

}  // namespace

TEST_P(BackgroundColour, NumberToColour) {
  const Background& b = GetParam();
  FrmOptions* w = W().loaded.get();
  const std::int16_t before = w->Templates().Background.FonNum;
  w->Templates().Background.FonNum = static_cast<std::int16_t>(b.FonNum);
  w->Templates().ApplyBackgroundColour();
  EXPECT_EQ(w->Templates().Background.FonColor, b.bgr);
  EXPECT_EQ(test::CategoryPageOf(*w)->picFonColor->BackColor(), b.bgr);
  EXPECT_EQ(test::CategoryPageOf(*w)->picFonColor->palette().color(QPalette::Window), b.rgb);
  w->Templates().Background.FonNum = before;
  w->Templates().ApplyBackgroundColour();
}

INSTANTIATE_TEST_SUITE_P(Nine, BackgroundColour,
                         ::testing::Values(Background{1, 0xFFFFFF, QColor(255, 255, 255)},
                                           Background{2, 0xC0C0C0, QColor(192, 192, 192)},
                                           Background{3, 0xFFFF80, QColor(128, 255, 255)},
                                           Background{4, 0xFFC0C0, QColor(192, 192, 255)},
                                           Background{5, 0xFFCC40, QColor(64, 204, 255)},
                                           Background{6, 0x0000FF, QColor(255, 0, 0)},
                                           Background{7, 0xFF0000, QColor(0, 0, 255)},
                                           Background{8, 0x404040, QColor(64, 64, 64)},
                                           Background{9, 0x000000, QColor(0, 0, 0)}),
                         [](const auto& info) {
                           return "FonNum" + std::to_string(info.param.FonNum);
                         });
