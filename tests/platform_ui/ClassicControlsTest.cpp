#include <gtest/gtest.h>

#include <QApplication>
#include <QFocusEvent>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <algorithm>
#include <cstdlib>

#include "platform/ui/ClassicControls.h"

using qm::ui::ClassicCheckBox;
using qm::ui::ClassicListBox;

// --- check box ------------------------------------------------------------------

TEST(ClassicCheckBox, ClickOnlyWhenTheValueChanges) {
  ClassicCheckBox box(QStringLiteral("Тень"));
  QSignalSpy click(&box, &ClassicCheckBox::Click);
  EXPECT_EQ(box.Value(), 0);

  box.SetValue(0);
  EXPECT_EQ(click.count(), 0);
  box.SetValue(1);
  EXPECT_EQ(box.Value(), 1);
  EXPECT_EQ(click.count(), 1);
  box.SetValue(1);
  EXPECT_EQ(click.count(), 1);
  // Any non-zero value ticks, and a ticked box stays ticked.
  box.SetValue(-1);
  box.SetValue(5);
  EXPECT_EQ(box.Value(), 1);
  EXPECT_EQ(click.count(), 1);
  box.SetValue(0);
  EXPECT_EQ(box.Value(), 0);
  EXPECT_EQ(click.count(), 2);
}

TEST(ClassicCheckBox, AUserClickTogglesAndRaisesOneClick) {
  QWidget top;
  auto* box = new ClassicCheckBox(QStringLiteral("Кайма"), &top);
  box->setGeometry(0, 0, 120, 20);
  top.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&top));
  QSignalSpy click(box, &ClassicCheckBox::Click);
  // The handlers read the box's value when Click arrives.
  QList<int> seen;
  QObject::connect(box, &ClassicCheckBox::Click, box, [&] { seen << box->Value(); });

  QTest::mouseClick(box, Qt::LeftButton, Qt::NoModifier, QPoint(8, 10));
  EXPECT_EQ(box->Value(), 1);
  QTest::mouseClick(box, Qt::LeftButton, Qt::NoModifier, QPoint(8, 10));
  EXPECT_EQ(box->Value(), 0);
  box->setFocus();
  QTest::keyClick(box, Qt::Key_Space);
  EXPECT_EQ(box->Value(), 1);
  EXPECT_EQ(click.count(), 3);
  EXPECT_EQ(seen, (QList<int>{1, 0, 1}));
  EXPECT_FALSE(box->isTristate());
}

// --- list box -------------------------------------------------------------------

namespace {

class ListBox : public ::testing::Test {
 protected:
  ListBox() {
    for (const char* s : {"Arial", "arial", "Tahoma", "Times New Roman"})
      list.AddItem(QString::fromLatin1(s));
  }
  void FocusIn(Qt::FocusReason reason) {
    QFocusEvent ev(QEvent::FocusIn, reason);
    QApplication::sendEvent(&list, &ev);
  }
  ClassicListBox list;
};

}  // namespace

// Qt makes the first row current when a list without one gains the focus; the
// handlers would take that for a choice the user never made.
TEST_F(ListBox, GainingFocusMakesNoRowCurrentAndRaisesNoClick) {
  {
    // What the list box guards against: a plain list takes row 0.
    QListWidget plain;
    plain.addItems({QStringLiteral("Arial"), QStringLiteral("Tahoma")});
    QFocusEvent ev(QEvent::FocusIn, Qt::TabFocusReason);
    QApplication::sendEvent(&plain, &ev);
    ASSERT_EQ(plain.currentRow(), 0);
  }
  QSignalSpy click(&list, &ClassicListBox::Click);
  for (Qt::FocusReason reason :
       {Qt::TabFocusReason, Qt::OtherFocusReason, Qt::ActiveWindowFocusReason,
        Qt::BacktabFocusReason, Qt::MouseFocusReason}) {
    FocusIn(reason);
    EXPECT_EQ(list.ListIndex(), -1) << reason;
    EXPECT_FALSE(list.currentIndex().isValid()) << reason;
    EXPECT_TRUE(list.selectedItems().isEmpty()) << reason;
    EXPECT_EQ(list.Text(), QString());
  }
  EXPECT_EQ(click.count(), 0);

  // With a current row the focus leaves it alone.
  list.SetListIndex(2);
  click.clear();
  FocusIn(Qt::TabFocusReason);
  EXPECT_EQ(list.ListIndex(), 2);
  EXPECT_EQ(click.count(), 0);
}

TEST_F(ListBox, RealFocusOnAShownList) {
  QWidget top;
  list.setParent(&top);
  list.setGeometry(0, 0, 150, 100);
  list.show();
  top.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&top));
  top.activateWindow();
  QSignalSpy click(&list, &ClassicListBox::Click);
  list.setFocus(Qt::TabFocusReason);
  QApplication::processEvents();
  ASSERT_TRUE(list.hasFocus());
  EXPECT_EQ(list.ListIndex(), -1);
  EXPECT_EQ(click.count(), 0);
  // A click on a row is a choice.
  const QRect row = list.visualItemRect(list.item(2));
  QTest::mouseClick(list.viewport(), Qt::LeftButton, Qt::NoModifier, row.center());
  EXPECT_EQ(list.ListIndex(), 2);
  EXPECT_EQ(click.count(), 1);
  list.setParent(nullptr);
}

TEST_F(ListBox, SetListIndexRaisesClickOnlyWhenItChanges) {
  QSignalSpy click(&list, &ClassicListBox::Click);
  list.SetListIndex(1);
  EXPECT_EQ(list.ListIndex(), 1);
  EXPECT_EQ(list.Text(), QStringLiteral("arial"));
  EXPECT_EQ(click.count(), 1);
  list.SetListIndex(1);
  EXPECT_EQ(click.count(), 1);
  list.SetListIndex(3);
  EXPECT_EQ(click.count(), 2);
  // Outside the list: ignored.
  list.SetListIndex(4);
  list.SetListIndex(-2);
  EXPECT_EQ(list.ListIndex(), 3);
  EXPECT_EQ(click.count(), 2);
  // The handler reads the new selection when Click arrives.
  QString seen;
  QObject::connect(&list, &ClassicListBox::Click, &list, [&] { seen = list.Text(); });
  list.SetListIndex(0);
  EXPECT_EQ(seen, QStringLiteral("Arial"));
  // No selection.
  list.SetListIndex(-1);
  EXPECT_EQ(list.ListIndex(), -1);
  EXPECT_EQ(list.Text(), QString());
}

TEST_F(ListBox, SetTextTakesTheExactEntryFirstThenIgnoresCase) {
  struct Case {
    const char* text;
    bool found;
    int index;
  } cases[] = {
      {"arial", true, 1},           {"Arial", true, 0},  {"ARIAL", true, 0}, {"tahoma", true, 2},
      {"times new roman", true, 3}, {"Times", false, 3}, {"", false, 3},     {"Arial ", false, 3},
  };
  for (const Case& c : cases) {
    const int before = list.ListIndex();
    EXPECT_EQ(list.SetText(QString::fromLatin1(c.text)), c.found) << c.text;
    EXPECT_EQ(list.ListIndex(), c.found ? c.index : before) << c.text;
    if (!c.found) {
      EXPECT_EQ(before, c.index) << "a miss leaves the selection: " << c.text;
    }
  }
}

TEST_F(ListBox, SetTextRaisesClickOnlyOnAChange) {
  QSignalSpy click(&list, &ClassicListBox::Click);
  EXPECT_TRUE(list.SetText(QStringLiteral("Tahoma")));
  EXPECT_EQ(click.count(), 1);
  EXPECT_TRUE(list.SetText(QStringLiteral("TAHOMA")));
  EXPECT_EQ(click.count(), 1);
  EXPECT_FALSE(list.SetText(QStringLiteral("Verdana")));
  EXPECT_EQ(click.count(), 1);
  EXPECT_EQ(list.ListIndex(), 2);
}

TEST_F(ListBox, ClearIsSilent) {
  list.SetListIndex(2);
  QSignalSpy click(&list, &ClassicListBox::Click);
  list.Clear();
  EXPECT_EQ(list.ListCount(), 0);
  EXPECT_EQ(list.ListIndex(), -1);
  EXPECT_EQ(list.Text(), QString());
  EXPECT_EQ(list.List(0), QString());
  // Refilled, the list again has no current row, also after gaining focus.
  list.AddItem(QStringLiteral("Arial"));
  FocusIn(Qt::TabFocusReason);
  EXPECT_EQ(list.ListIndex(), -1);
  EXPECT_EQ(click.count(), 0);
}

// A classic list box shows its choice in the highlight colour whether or not
// it has the focus. Qt draws a list without the focus in the inactive colours,
// which a desktop theme may make as plain as the list's background; here the
// window gets such a theme.
TEST(ClassicListBoxLook, TheChoiceStaysMarkedWhenTheFocusGoesElsewhere) {
  QWidget top;
  QPalette themed = top.palette();
  themed.setColor(QPalette::Inactive, QPalette::Highlight, themed.color(QPalette::Base));
  themed.setColor(QPalette::Inactive, QPalette::HighlightedText, themed.color(QPalette::Text));
  const QColor highlight = themed.color(QPalette::Active, QPalette::Highlight);
  ASSERT_NE(highlight, themed.color(QPalette::Base));
  top.setPalette(themed);
  top.resize(200, 160);
  auto* list = new ClassicListBox(&top);
  for (const char* s : {"Облака", "Море", "Значки"}) list->AddItem(QString::fromUtf8(s));
  list->setGeometry(0, 0, 150, 100);
  auto* other = new QPushButton(QStringLiteral("other"), &top);
  other->setGeometry(0, 110, 80, 24);
  top.show();
  top.activateWindow();
  if (!QTest::qWaitForWindowActive(&top, 2000)) GTEST_SKIP() << "the window never gets active";

  const QRect row = list->visualItemRect(list->item(1));
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, row.center());
  ASSERT_EQ(list->ListIndex(), 1);
  // The style may shade the mark a little.
  const auto markIs = [&](const QColor& want) {
    const QColor got =
        list->viewport()->grab().toImage().pixelColor(row.left() + 2, row.center().y());
    return std::max({std::abs(got.red() - want.red()), std::abs(got.green() - want.green()),
                     std::abs(got.blue() - want.blue())}) <= 12;
  };
  EXPECT_TRUE(markIs(highlight)) << "focused";
  QTest::keyClick(list, Qt::Key_Tab);
  ASSERT_TRUE(other->hasFocus());
  EXPECT_TRUE(markIs(highlight)) << "focus elsewhere";

  // A theme that changes while the editor runs is followed too.
  themed.setColor(QPalette::Active, QPalette::Highlight, QColor(0, 0, 0x80));
  top.setPalette(themed);
  EXPECT_TRUE(markIs(QColor(0, 0, 0x80)));
}
