// Every control of the window that the design fixes: its name, kind, page,
// caption, tooltip, range, steps and initial state, the menu, the help text,
// the palette cells and the background colours. The texts are compared byte
// for byte: they are what the user reads.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTextDocument>
#include <QTextEdit>
#include <algorithm>
#include <map>
#include <memory>
#include <set>

#include "app/FrmOptions.h"
#include "gallery/ui/Gallery.h"
#include "pages/ui/CategoryPage.h"
#include "pages/ui/ColourPage.h"
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

const char* const kHint =
    "Цвет: Выбор-левая, Переключение на Тень-правая, на Кайму-средняя кнопки мыши";

struct Control {
  const char* name;
  Kind kind;
  int page;             // -1: on the window, outside the pages
  const char* text;     // caption or text; nullptr: not fixed
  const char* tooltip;  // nullptr: not fixed
};

std::ostream& operator<<(std::ostream& os, const Control& c) { return os << c.name; }

const Control kControls[] = {
    // The window, the menu strip and the gallery area.
    {"frmOptions", Kind::Window, -1, "Выбор интерфейса", nullptr},
    {"picMenu", Kind::Any, -1, nullptr, nullptr},
    {"lbl_3", Kind::Label, -1, "Настройки", nullptr},
    {"lblMenu_0", Kind::Label, -1, "Категория", nullptr},
    {"lblMenu_1", Kind::Label, -1, "Текст", nullptr},
    {"lblMenu_2", Kind::Label, -1, "Цвет текста", nullptr},
    {"lblMenu_3", Kind::Label, -1, "Подсказка", nullptr},
    {"lblMenu_4", Kind::Label, -1, "Цвет фигуры", nullptr},
    {"Line1_0", Kind::Any, -1, nullptr, nullptr},
    {"Line1_5", Kind::Any, -1, nullptr, nullptr},
    {"picFrame", Kind::Any, -1, nullptr, nullptr},
    {"scrlPic", Kind::VSlider, -1, nullptr, nullptr},
    {"framPic_0", Kind::Any, -1, nullptr, nullptr},
    {"framPic_1", Kind::Any, -1, nullptr, nullptr},
    {"lblWaitPic", Kind::Label, -1, "Подгружаю...", nullptr},
    // Page 0.
    {"lstDir", Kind::ListBox, 0, nullptr, "Выбор группы шаблонов для оформления интерфейса"},
    {"picFonColor", Kind::Any, 0, nullptr,
     "Для выбора цвета фона нужно отключить использование текстуры (снять галочку)"},
    {"chkTexura", Kind::CheckBox, 0, "фон/текстура", "Выбор фона: цвет или текстура прозрачности"},
    // Page 1.
    {"lstFont", Kind::ListBox, 1, nullptr, "Выбор шрифта надписи"},
    {"lblFntNum", Kind::Label, 1, nullptr, nullptr},
    {"chkFontAttr_0", Kind::CheckBox, 1, "Жирн.", nullptr},
    {"chkFontAttr_1", Kind::CheckBox, 1, "Курсив", nullptr},
    {"chkFontAttr_2", Kind::CheckBox, 1, "Подчёрк.", nullptr},
    {"txtFontSize", Kind::TextBox, 1, nullptr, "Размер шрифта надписи"},
    {"scrlFontSize", Kind::VSlider, 1, nullptr, nullptr},
    {"cmdSendFontSize", Kind::Button, 1, "Установить",
     "Установить выбранный размер шрифта, если цифра  размеры была введена вручную"},
    {"chkText", Kind::CheckBox, 1, "Текст", nullptr},
    {"picDefSize", Kind::Any, 1, nullptr, nullptr},
    {"scrlTempX", Kind::HSlider, 1, nullptr, nullptr},
    {"scrlTempY", Kind::VSlider, 1, nullptr, nullptr},
    {"txtTempX", Kind::TextBox, 1, nullptr, nullptr},
    {"txtTempY", Kind::TextBox, 1, nullptr, nullptr},
    {"scrlShadowX", Kind::HSlider, 1, nullptr, nullptr},
    {"scrlShadowY", Kind::VSlider, 1, nullptr, nullptr},
    {"txtShadowX", Kind::TextBox, 1, nullptr, nullptr},
    {"txtShadowY", Kind::TextBox, 1, nullptr, nullptr},
    {"framTrans", Kind::Any, 1, "Прозрачность", nullptr},
    {"scrlShTrans", Kind::HSlider, 1, nullptr, nullptr},
    {"lblShTrans", Kind::Label, 1, nullptr, nullptr},
    {"scrlBorder", Kind::VSlider, 1, nullptr, nullptr},
    {"lblBorder", Kind::Label, 1, nullptr, nullptr},
    {"chkShadow", Kind::CheckBox, 1, "Тень", nullptr},
    {"chkBorder", Kind::CheckBox, 1, "Кайма", nullptr},
    {"chkBrdDown", Kind::CheckBox, 1, "Под Текст", "Определяет отрисовку каймы под/поверх текста"},
    // Page 2.
    {"OptClr_1", Kind::Option, 2, "Текст", nullptr},
    {"OptClr_2", Kind::Option, 2, "Тень", nullptr},
    {"OptClr_4", Kind::Option, 2, "Кайма", nullptr},
    {"picColor_0", Kind::Any, 2, nullptr, kHint},
    {"picColor_27", Kind::Any, 2, nullptr, kHint},
    {"shpBox", Kind::Any, 2, nullptr, nullptr},
    {"chkAddColor", Kind::CheckBox, 2, "В набор",
     "Устанавливает цвет в пользовательский набор, в отмеченную (активую) ячейку"},
    {"scrlColor_0", Kind::HSlider, 2, nullptr, nullptr},
    {"scrlColor_1", Kind::HSlider, 2, nullptr, nullptr},
    {"scrlColor_2", Kind::HSlider, 2, nullptr, nullptr},
    {"txtColor_0", Kind::TextBox, 2, nullptr, nullptr},
    {"txtColor_1", Kind::TextBox, 2, nullptr, nullptr},
    {"txtColor_2", Kind::TextBox, 2, nullptr, nullptr},
    {"scrlLuma", Kind::HSlider, 2, nullptr, nullptr},
    {"txtLuma", Kind::TextBox, 2, nullptr, nullptr},
    {"picClrSet", Kind::Any, 2, nullptr, nullptr},
    {"picHue", Kind::Any, 2, nullptr, kHint},
    {"shpColor", Kind::Any, 2, nullptr, nullptr},
    // Page 3.
    {"txtHelp", Kind::TextBox, 3, nullptr, nullptr},
    // Page 4.
    {"scrlHue_0", Kind::HSlider, 4, nullptr, nullptr},
    {"scrlHue_1", Kind::HSlider, 4, nullptr, nullptr},
    {"scrlHue_2", Kind::HSlider, 4, nullptr, nullptr},
    {"scrlHue_3", Kind::HSlider, 4, nullptr, nullptr},
    {"scrlHue_4", Kind::HSlider, 4, nullptr, nullptr},
    {"txtHue_0", Kind::TextBox, 4, nullptr, nullptr},
    {"txtHue_4", Kind::TextBox, 4, nullptr, nullptr},
    {"chkResetHSV", Kind::CheckBox, 4, "Установить неизменённые параметры",
     "Устанавливает все неизменённые параметры цвета картинки"},
};

class PageControl : public ::testing::TestWithParam<Control> {
 protected:
  static void SetUpTestSuite() { ASSERT_TRUE(W().loaded_ok); }
};

}  // namespace

TEST_P(PageControl, NameKindPageCaptionAndTooltip) {
  const Control& c = GetParam();
  for (FrmOptions* w : {W().loaded.get(), W().designed.get()}) {
    const bool loaded = w == W().loaded.get();
    QWidget* ctl = Find(w, c.name);
    ASSERT_NE(ctl, nullptr) << "exactly one control named " << c.name
                            << (loaded ? "" : " (designed)");
    EXPECT_TRUE(IsKind(ctl, c.kind)) << ctl->metaObject()->className();
    EXPECT_EQ(PageOf(ctl), c.page);
    if (c.text) {
      EXPECT_EQ(TextOf(ctl), QString::fromUtf8(c.text));
    }
    if (c.tooltip) {
      EXPECT_EQ(ctl->toolTip(), QString::fromUtf8(c.tooltip));
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Window, PageControl, ::testing::ValuesIn(kControls),
                         [](const auto& info) { return std::string(info.param.name); });

// --- sliders ----------------------------------------------------------------------

namespace {

constexpr int kAny = 1 << 30;  // initial value not fixed by the design

struct Slider {
  const char* name;
  int min;
  int max;
  int small;
  int large;
  int initial;
};

std::ostream& operator<<(std::ostream& os, const Slider& s) { return os << s.name; }

const Slider kSliders[] = {
    {"scrlFontSize", -999, -8, 1, 4, -8}, {"scrlTempX", 200, -200, 1, 3, 0},
    {"scrlTempY", 200, -200, 1, 3, 0},    {"scrlShadowX", 10, -10, 1, 2, 0},
    {"scrlShadowY", 10, -10, 1, 2, 0},    {"scrlShTrans", 0, 208, 1, 10, 0},
    {"scrlBorder", -15, -1, 1, 4, -1},    {"scrlColor_0", 0, 255, 1, 15, kAny},
    {"scrlColor_1", 0, 255, 1, 15, kAny}, {"scrlColor_2", 0, 255, 1, 15, kAny},
    {"scrlLuma", 0, 255, 1, 15, kAny},    {"scrlHue_0", -180, 180, 1, 10, 0},
    {"scrlHue_1", 0, 200, 1, 10, 100},    {"scrlHue_2", 0, 200, 1, 10, 100},
    {"scrlHue_3", -100, 100, 1, 10, 0},   {"scrlHue_4", -100, 0, 1, 10, -100},
};

class PageSlider : public ::testing::TestWithParam<Slider> {
 protected:
  static void SetUpTestSuite() { ASSERT_TRUE(W().loaded_ok); }
};

}  // namespace

TEST_P(PageSlider, RangeStepsAndInitialValue) {
  const Slider& s = GetParam();
  for (FrmOptions* w : {W().loaded.get(), W().designed.get()}) {
    auto* bar = qobject_cast<ui::ClassicScrollBar*>(Find(w, s.name));
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->Min(), s.min);
    EXPECT_EQ(bar->Max(), s.max);
    EXPECT_EQ(bar->SmallChange(), s.small);
    EXPECT_EQ(bar->LargeChange(), s.large);
  }
  // Before the start-up sets the controls from the stored look.
  auto* bar = qobject_cast<ui::ClassicScrollBar*>(Find(W().designed.get(), s.name));
  if (s.initial != kAny) {
    EXPECT_EQ(bar->Value(), s.initial);
  }
}

INSTANTIATE_TEST_SUITE_P(Window, PageSlider, ::testing::ValuesIn(kSliders),
                         [](const auto& info) { return std::string(info.param.name); });

// --- initial texts and lengths ------------------------------------------------------

namespace {

struct InitialText {
  const char* name;
  const char* text;
  int maxLength;  // 0: not fixed
};

std::ostream& operator<<(std::ostream& os, const InitialText& t) { return os << t.name; }

const InitialText kTexts[] = {
    {"txtFontSize", "50", 0}, {"lblFntNum", "?", 0},    {"txtTempX", "0", 0},
    {"txtTempY", "0", 0},     {"txtShadowX", "0", 0},   {"txtShadowY", "0", 0},
    {"lblShTrans", "0", 0},   {"lblBorder", "1", 0},    {"txtColor_0", "255", 3},
    {"txtColor_1", "255", 3}, {"txtColor_2", "255", 3}, {"txtLuma", "255", 3},
    {"txtHue_0", "0", 0},     {"txtHue_1", "100", 0},   {"txtHue_2", "100", 0},
    {"txtHue_3", "0", 0},     {"txtHue_4", "0", 0},
};

class PageText : public ::testing::TestWithParam<InitialText> {
 protected:
  static void SetUpTestSuite() { ASSERT_TRUE(W().loaded_ok); }
};

}  // namespace

TEST_P(PageText, InitialTextAndMaximumLength) {
  const InitialText& t = GetParam();
  QWidget* ctl = Find(W().designed.get(), t.name);
  ASSERT_NE(ctl, nullptr);
  EXPECT_EQ(TextOf(ctl), QString::fromUtf8(t.text));
  if (t.maxLength > 0) {
    for (FrmOptions* w : {W().loaded.get(), W().designed.get()}) {
      auto* e = qobject_cast<QLineEdit*>(Find(w, t.name));
      ASSERT_NE(e, nullptr);
      EXPECT_EQ(e->maxLength(), t.maxLength);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Window, PageText, ::testing::ValuesIn(kTexts),
                         [](const auto& info) { return std::string(info.param.name); });

// --- texts without a control name of their own ----------------------------------------

namespace {

// The captions of a page's frames and its free-standing labels.
std::multiset<QString> PageTexts(QWidget* page) {
  std::multiset<QString> out;
  for (QGroupBox* g : page->findChildren<QGroupBox*>()) out.insert(g->title());
  for (QLabel* l : page->findChildren<QLabel*>()) out.insert(l->text());
  return out;
}

}  // namespace

TEST(PageTexts, FrameCaptionsHeadingsAndLabels) {
  ASSERT_TRUE(W().loaded_ok);
  FrmOptions* w = W().loaded.get();
  const struct {
    int page;
    const char* text;
  } expected[] = {
      {0, "Выбор категории шаблонов"},
      {1, "Шрифт"},
      {1, "Размер"},
      {1, "Смещение текста"},
      {1, "Смещение"},
      {1, "Прозрачность"},
      {1, "Кайма"},
      {1, "Толщина"},
      {2, "Подбор цвета атрибутов надписи"},
      {4, "Подбор цветового тона картинки"},
  };
  for (const auto& e : expected) {
    const auto texts = PageTexts(test::PageWidget(*w, e.page));
    EXPECT_EQ(texts.count(QString::fromUtf8(e.text)), 1u) << e.page << " " << e.text;
  }
}

// Each tone slider has its label on its own row.
TEST(PageTexts, ToneLabelsBesideTheirSliders) {
  ASSERT_TRUE(W().loaded_ok);
  FrmOptions* w = W().designed.get();
  const char* const labels[5] = {"Оттенок", "Насыщенность", "Величина", "Яркость", "Прозрачность"};
  const QList<QLabel*> all = test::PageWidget(*w, 4)->findChildren<QLabel*>();
  for (int i = 0; i < 5; ++i) {
    QWidget* bar = Find(w, QStringLiteral("scrlHue_%1").arg(i).toLatin1().constData());
    ASSERT_NE(bar, nullptr);
    const int cy = bar->mapTo(test::PageWidget(*w, 4), bar->rect().center()).y();
    const QLabel* nearest = nullptr;
    int best = 1 << 30;
    for (QLabel* l : all) {
      const int d = std::abs(l->mapTo(test::PageWidget(*w, 4), l->rect().center()).y() - cy);
      if (d < best && l->mapTo(test::PageWidget(*w, 4), QPoint()).x() <
                          bar->mapTo(test::PageWidget(*w, 4), QPoint()).x()) {
        best = d;
        nearest = l;
      }
    }
    ASSERT_NE(nearest, nullptr) << i;
    EXPECT_EQ(nearest->text(), QString::fromUtf8(labels[i])) << i;
  }
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

TEST(PageMenu, EntriesTopToBottomUnderTheHeading) {
  ASSERT_TRUE(W().loaded_ok);
  FrmOptions* w = W().loaded.get();
  QList<QWidget*> entries;
  for (int i = 0; i < 5; ++i) {
    QWidget* e = Find(w, QStringLiteral("lblMenu_%1").arg(i).toLatin1().constData());
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->parentWidget(), Find(w, "picMenu"));
    entries << e;
  }
  std::sort(entries.begin(), entries.end(), [](QWidget* a, QWidget* b) { return a->y() < b->y(); });
  QStringList order;
  for (QWidget* e : entries) order << TextOf(e);
  EXPECT_EQ(order, (QStringList{"Категория", "Текст", "Цвет текста", "Цвет фигуры", "Подсказка"}));
  // No two entries overlap, and the heading is above them all.
  for (int i = 1; i < entries.size(); ++i)
    EXPECT_GE(entries[i]->y(), entries[i - 1]->geometry().bottom()) << i;
  QWidget* heading = Find(w, "lbl_3");
  ASSERT_NE(heading, nullptr);
  EXPECT_EQ(heading->parentWidget(), Find(w, "picMenu"));
  EXPECT_LE(heading->geometry().bottom(), entries.front()->y());
}

// --- the help text ------------------------------------------------------------------

TEST(HelpPage, TextFlowsAsOneParagraphWithItsKeysSetApart) {
  QStringList texts{FrmOptions::HelpText()};
  {
    const platform::ScopedTranslation english(platform::Language::English);
    ASSERT_TRUE(english.ok());
    texts << FrmOptions::HelpText();
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
  auto* box = qobject_cast<QPlainTextEdit*>(Find(W().loaded.get(), "txtHelp"));
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(box->toPlainText(), texts[0].chopped(2) + u'\n');
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
