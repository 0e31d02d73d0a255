#include <gtest/gtest.h>

#include <QApplication>
#include <QPushButton>
#include <QSignalSpy>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTest>
#include <QWheelEvent>

#include "platform/ui/ClassicScrollBar.h"

using qm::ui::ClassicScrollBar;

namespace {

// Gives the tests the thumb rectangle the style draws, so that "Min sits at
// the left or top end" is checked where the user sees it.
class Bar : public ClassicScrollBar {
 public:
  explicit Bar(Qt::Orientation o, QWidget* parent = nullptr) : ClassicScrollBar(o, parent) {
    resize(o == Qt::Horizontal ? QSize(200, 17) : QSize(17, 200));
  }
  QRect Thumb() const {
    QStyleOptionSlider opt;
    initStyleOption(&opt);
    return style()->subControlRect(QStyle::CC_ScrollBar, &opt, QStyle::SC_ScrollBarSlider, this);
  }
  // Position of the thumb along the bar.
  int ThumbAt() const {
    const QRect r = Thumb();
    return orientation() == Qt::Horizontal ? r.left() : r.top();
  }
};

struct Range {
  Qt::Orientation orientation;
  int min;
  int max;
};

std::ostream& operator<<(std::ostream& os, const Range& r) {
  return os << (r.orientation == Qt::Horizontal ? "horizontal " : "vertical ") << r.min << ".."
            << r.max;
}

class ScrollBarRange : public ::testing::TestWithParam<Range> {};

}  // namespace

// The sliders of the Text page run from 200 down to -200 and from 10 down to
// -10; the tone sliders and the colour sliders run upwards. Either way Min is
// at the left or top end and Max at the other.
TEST_P(ScrollBarRange, MinSitsAtTheLeftOrTopEnd) {
  const Range r = GetParam();
  Bar bar(r.orientation);
  bar.SetRange(r.min, r.max);
  EXPECT_EQ(bar.Min(), r.min);
  EXPECT_EQ(bar.Max(), r.max);
  EXPECT_FALSE(bar.invertedAppearance());

  bar.SetValue(r.min);
  EXPECT_EQ(bar.Value(), r.min);
  EXPECT_EQ(bar.value(), bar.minimum()) << "Qt's low end is the left or top end";
  const int atMin = bar.ThumbAt();
  bar.SetValue(r.max);
  EXPECT_EQ(bar.Value(), r.max);
  EXPECT_EQ(bar.value(), bar.maximum());
  const int atMax = bar.ThumbAt();
  EXPECT_LT(atMin, atMax);

  // A value between the ends sits proportionally along the bar.
  const int quarter = r.min + (r.max - r.min) / 4;
  bar.SetValue(quarter);
  EXPECT_EQ(bar.Value(), quarter);
  EXPECT_GT(bar.ThumbAt(), atMin);
  EXPECT_LT(bar.ThumbAt(), atMax);
}

TEST_P(ScrollBarRange, SetValueClampsAndRaisesChangeOnlyOnAChange) {
  const Range r = GetParam();
  ClassicScrollBar bar(r.orientation);
  bar.SetRange(r.min, r.max);
  bar.SetValue(r.min);
  QSignalSpy change(&bar, &ClassicScrollBar::Change);
  QSignalSpy scroll(&bar, &ClassicScrollBar::Scroll);
  const int lo = std::min(r.min, r.max);
  const int hi = std::max(r.min, r.max);

  bar.SetValue(r.min);
  EXPECT_EQ(change.count(), 0) << "same value";
  bar.SetValue(hi + 1000);
  EXPECT_EQ(bar.Value(), hi);
  bar.SetValue(hi + 1);
  EXPECT_EQ(bar.Value(), hi);
  bar.SetValue(lo - 1000);
  EXPECT_EQ(bar.Value(), lo);
  bar.SetValue(lo - 1);
  EXPECT_EQ(bar.Value(), lo);
  // min -> hi is a change only when min is not already hi.
  const int expected = (r.min == hi ? 0 : 1) + 1;
  EXPECT_EQ(change.count(), expected);
  EXPECT_EQ(scroll.count(), 0) << "Scroll belongs to a drag";
}

TEST_P(ScrollBarRange, ChangingTheRangeKeepsTheValueWhereItFits) {
  const Range r = GetParam();
  ClassicScrollBar bar(r.orientation);
  bar.SetRange(r.max, r.min);  // the other way round first
  const int mid = (r.min + r.max) / 2 + 1;
  bar.SetValue(mid);
  QSignalSpy change(&bar, &ClassicScrollBar::Change);
  // The Qt value moves (the mapping flips) but the value the handlers read
  // stays: no Change.
  bar.SetRange(r.min, r.max);
  EXPECT_EQ(bar.Value(), mid);
  EXPECT_EQ(change.count(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Ranges, ScrollBarRange,
    ::testing::Values(Range{Qt::Horizontal, 200, -200}, Range{Qt::Vertical, 200, -200},
                      Range{Qt::Horizontal, 10, -10}, Range{Qt::Vertical, -999, -8},
                      Range{Qt::Vertical, -15, -1}, Range{Qt::Horizontal, 0, 208},
                      Range{Qt::Horizontal, -100, 0}));

// Setting the range is part of building a control: a value it moves into the
// new range is no user's change and raises nothing (the gallery's scroll bar,
// the one range set at run time, runs its handler itself afterwards).
TEST(ClassicScrollBar, ARangeThatMovesTheValueClampsItSilently) {
  ClassicScrollBar bar(Qt::Vertical);
  bar.SetRange(0, 100);
  bar.SetValue(80);
  QSignalSpy change(&bar, &ClassicScrollBar::Change);
  bar.SetRange(0, 40);
  EXPECT_EQ(bar.Value(), 40);
  bar.SetRange(200, -200);
  EXPECT_EQ(bar.Value(), 40);
  bar.SetRange(-5, -30);
  EXPECT_EQ(bar.Value(), -5);
  EXPECT_EQ(bar.value(), bar.minimum()) << "at the Min end";
  EXPECT_EQ(change.count(), 0);
}

namespace {

struct Step {
  Qt::Orientation orientation;
  int min;
  int max;
  int small;
  int start;
  bool towardMax;
  int expected;  // value after the step
};

std::ostream& operator<<(std::ostream& os, const Step& s) {
  return os << (s.orientation == Qt::Horizontal ? "H " : "V ") << s.min << ".." << s.max << " step "
            << s.small << " from " << s.start << (s.towardMax ? " toward Max" : " toward Min");
}

class LineStep : public ::testing::TestWithParam<Step> {};

}  // namespace

TEST_P(LineStep, MovesOneSmallStepAndStopsAtTheEnds) {
  const Step s = GetParam();
  ClassicScrollBar bar(s.orientation);
  bar.SetRange(s.min, s.max);
  bar.SetSmallChange(s.small);
  bar.SetLargeChange(s.small * 4);
  bar.SetValue(s.start);
  ASSERT_EQ(bar.Value(), s.start);
  QSignalSpy change(&bar, &ClassicScrollBar::Change);
  bar.LineStep(s.towardMax);
  EXPECT_EQ(bar.Value(), s.expected);
  EXPECT_EQ(change.count(), s.expected == s.start ? 0 : 1);
}

INSTANTIATE_TEST_SUITE_P(BothDirections, LineStep,
                         ::testing::Values(
                             // Min > Max: toward Max is downwards in value.
                             Step{Qt::Horizontal, 200, -200, 1, 0, true, -1},
                             Step{Qt::Horizontal, 200, -200, 1, 0, false, 1},
                             Step{Qt::Vertical, 200, -200, 1, 0, true, -1},
                             Step{Qt::Vertical, 200, -200, 1, 0, false, 1},
                             Step{Qt::Vertical, -15, -1, 1, -8, true, -7},
                             Step{Qt::Vertical, -15, -1, 1, -8, false, -9},
                             // Min < Max.
                             Step{Qt::Horizontal, 0, 208, 1, 100, true, 101},
                             Step{Qt::Horizontal, 0, 208, 1, 100, false, 99},
                             Step{Qt::Vertical, -999, -8, 1, -50, true, -49},
                             Step{Qt::Vertical, -999, -8, 1, -50, false, -51},
                             // A larger small step.
                             Step{Qt::Horizontal, 10, -10, 3, 0, true, -3},
                             Step{Qt::Vertical, 0, 255, 3, 10, false, 7},
                             // At an end: nothing moves, nothing is raised.
                             Step{Qt::Horizontal, 200, -200, 1, -200, true, -200},
                             Step{Qt::Horizontal, 200, -200, 1, 200, false, 200},
                             Step{Qt::Vertical, 200, -200, 1, -200, true, -200},
                             Step{Qt::Vertical, 200, -200, 1, 200, false, 200},
                             Step{Qt::Horizontal, 0, 208, 1, 208, true, 208},
                             Step{Qt::Vertical, -15, -1, 1, -15, false, -15},
                             // A step beyond an end stops at it.
                             Step{Qt::Horizontal, 10, -10, 3, -9, true, -10},
                             Step{Qt::Vertical, 0, 255, 3, 1, false, 0}));

namespace {

struct Wheel {
  Qt::Orientation orientation;
  int min;
  int max;
  int delta;     // angle delta of one event, 120 = one notch away from the user
  int events;    // how many such events
  int expected;  // value after them, starting from 0
};

std::ostream& operator<<(std::ostream& os, const Wheel& w) {
  return os << (w.orientation == Qt::Horizontal ? "H " : "V ") << w.min << ".." << w.max << " "
            << w.events << " x " << w.delta;
}

class WheelNotch : public ::testing::TestWithParam<Wheel> {};

void SendWheel(QWidget* w, int delta) {
  const QPointF at(w->width() / 2.0, w->height() / 2.0);
  QWheelEvent ev(at, w->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                 Qt::NoScrollPhase, false);
  QApplication::sendEvent(w, &ev);
}

}  // namespace

// One notch is one small step: away from the user a vertical thumb moves up
// (toward Min), a horizontal one right (toward Max), whichever way the range
// runs. Qt alone would move several steps per notch.
TEST_P(WheelNotch, OneNotchIsOneSmallStep) {
  const Wheel w = GetParam();
  ClassicScrollBar bar(w.orientation);
  bar.resize(w.orientation == Qt::Horizontal ? QSize(200, 17) : QSize(17, 200));
  bar.SetRange(w.min, w.max);
  bar.SetSmallChange(2);
  bar.SetLargeChange(10);
  bar.SetValue(0);
  QSignalSpy change(&bar, &ClassicScrollBar::Change);
  for (int i = 0; i < w.events; ++i) SendWheel(&bar, w.delta);
  EXPECT_EQ(bar.Value(), w.expected);
  EXPECT_EQ(change.count(), std::abs(w.expected) / 2) << "one Change per step";
}

INSTANTIATE_TEST_SUITE_P(
    AwayAndToward, WheelNotch,
    ::testing::Values(
        // scrlTempY-like: away moves toward Min (200), that is up in value.
        Wheel{Qt::Vertical, 200, -200, 120, 1, 2}, Wheel{Qt::Vertical, 200, -200, -120, 1, -2},
        // scrlTempX-like: away moves toward Max (-200).
        Wheel{Qt::Horizontal, 200, -200, 120, 1, -2}, Wheel{Qt::Horizontal, 200, -200, -120, 1, 2},
        // Upward ranges.
        Wheel{Qt::Vertical, -100, 100, 120, 1, -2}, Wheel{Qt::Horizontal, -100, 100, 120, 1, 2},
        Wheel{Qt::Horizontal, -100, 100, -120, 3, -6},
        // A fine wheel: half notches add up to one step.
        Wheel{Qt::Vertical, 200, -200, 60, 1, 0}, Wheel{Qt::Vertical, 200, -200, 60, 2, 2},
        Wheel{Qt::Horizontal, 200, -200, 40, 3, -2}));

// --- the thumb ----------------------------------------------------------------

TEST(ClassicScrollBar, ADragRaisesScrollAndOneChangeOnRelease) {
  ClassicScrollBar bar(Qt::Horizontal);
  bar.SetRange(200, -200);
  bar.SetValue(0);
  QSignalSpy change(&bar, &ClassicScrollBar::Change);
  QSignalSpy scroll(&bar, &ClassicScrollBar::Scroll);

  bar.setSliderDown(true);
  bar.setSliderPosition(bar.sliderPosition() + 10);
  bar.setSliderPosition(bar.sliderPosition() + 10);
  EXPECT_EQ(bar.Value(), -20) << "the value follows the thumb while it is held";
  EXPECT_EQ(scroll.count(), 2);
  EXPECT_EQ(change.count(), 0) << "no Change while the thumb is held";
  bar.setSliderDown(false);
  EXPECT_EQ(change.count(), 1);
  EXPECT_EQ(bar.Value(), -20);

  // Holding and letting go without moving changes nothing.
  bar.setSliderDown(true);
  bar.setSliderDown(false);
  EXPECT_EQ(change.count(), 1);
  EXPECT_EQ(scroll.count(), 2);

  // After a drag, values set from code raise Change again at once.
  bar.SetValue(5);
  EXPECT_EQ(change.count(), 2);
}

TEST(ClassicScrollBar, DraggingTheThumbWithTheMouse) {
  QWidget top;
  top.resize(260, 40);
  auto* bar = new Bar(Qt::Horizontal, &top);
  bar->setGeometry(0, 0, 260, 20);
  bar->SetRange(0, 100);
  bar->SetLargeChange(10);
  bar->SetValue(50);
  top.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&top));
  QSignalSpy change(bar, &ClassicScrollBar::Change);
  QSignalSpy scroll(bar, &ClassicScrollBar::Scroll);

  const QRect thumb = bar->Thumb();
  ASSERT_TRUE(thumb.isValid());
  const QPoint start = thumb.center();

  QTest::mousePress(bar, Qt::LeftButton, Qt::NoModifier, start);
  ASSERT_TRUE(bar->isSliderDown());
  QTest::mouseMove(bar, start + QPoint(20, 0));
  QTest::mouseMove(bar, start + QPoint(40, 0));
  const int dragged = bar->Value();
  EXPECT_GT(dragged, 50);
  EXPECT_GE(scroll.count(), 1);
  EXPECT_EQ(change.count(), 0);
  QTest::mouseRelease(bar, Qt::LeftButton, Qt::NoModifier, start + QPoint(40, 0));
  EXPECT_FALSE(bar->isSliderDown());
  EXPECT_EQ(change.count(), 1);
  EXPECT_EQ(bar->Value(), dragged);
}

// What a Scroll handler reads while the thumb is dragged: the value the thumb
// shows, never the one it has just left.
TEST(ClassicScrollBar, AScrollHandlerReadsTheValueTheThumbShows) {
  QWidget top;
  top.resize(260, 40);
  auto* bar = new Bar(Qt::Horizontal, &top);
  bar->setGeometry(0, 0, 260, 20);
  bar->SetRange(255, 0);  // Min at the left above Max, as the shadow opacity
  bar->SetLargeChange(10);
  bar->SetValue(0);
  top.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&top));
  QList<int> seen;
  QObject::connect(bar, &ClassicScrollBar::Scroll, bar, [&] { seen << bar->Value(); });

  const QPoint start = bar->Thumb().center();
  QTest::mousePress(bar, Qt::LeftButton, Qt::NoModifier, start);
  for (int dx : {-30, -60, -90}) {
    QTest::mouseMove(bar, start + QPoint(dx, 0));
    ASSERT_FALSE(seen.isEmpty());
    EXPECT_EQ(seen.constLast(), bar->Value()) << dx;
  }
  QTest::mouseRelease(bar, Qt::LeftButton, Qt::NoModifier, start + QPoint(-90, 0));
  EXPECT_GT(bar->Value(), 0);
}

struct ArrowCase {
  Qt::Orientation orientation;
  int min, max;
  Qt::Key key;
  int expected;  // from 0, small step 1, large step 10
};
class ArrowKeys : public ::testing::TestWithParam<ArrowCase> {};

// Keys reach the bar as a user's keys do: the bar has the focus.
TEST_P(ArrowKeys, StepTowardTheMinOrMaxEndWhateverTheOrientation) {
  const ArrowCase& c = GetParam();
  QWidget top;
  top.resize(260, 260);
  auto* bar = new Bar(c.orientation, &top);
  bar->setGeometry(0, 0, c.orientation == Qt::Horizontal ? 200 : 20,
                   c.orientation == Qt::Horizontal ? 20 : 200);
  bar->SetRange(c.min, c.max);
  bar->SetSmallChange(1);
  bar->SetLargeChange(10);
  bar->SetValue(0);
  top.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&top));
  bar->setFocus();
  QSignalSpy change(bar, &ClassicScrollBar::Change);
  QTest::keyClick(bar, c.key);
  EXPECT_EQ(bar->Value(), c.expected);
  EXPECT_EQ(change.count(), 1);
}

INSTANTIATE_TEST_SUITE_P(Keys, ArrowKeys,
                         ::testing::Values(ArrowCase{Qt::Horizontal, 200, -200, Qt::Key_Left, 1},
                                           ArrowCase{Qt::Horizontal, 200, -200, Qt::Key_Right, -1},
                                           ArrowCase{Qt::Horizontal, -200, 200, Qt::Key_Left, -1},
                                           ArrowCase{Qt::Horizontal, -200, 200, Qt::Key_Right, 1},
                                           ArrowCase{Qt::Horizontal, -200, 200, Qt::Key_Up, -1},
                                           ArrowCase{Qt::Horizontal, -200, 200, Qt::Key_Down, 1},
                                           ArrowCase{Qt::Vertical, -10, 10, Qt::Key_Up, -1},
                                           ArrowCase{Qt::Vertical, -10, 10, Qt::Key_Down, 1},
                                           ArrowCase{Qt::Vertical, 10, -10, Qt::Key_Up, 1},
                                           ArrowCase{Qt::Vertical, 10, -10, Qt::Key_Right, -1},
                                           ArrowCase{Qt::Horizontal, 200, -200, Qt::Key_PageDown,
                                                     -10},
                                           ArrowCase{Qt::Horizontal, 200, -200, Qt::Key_Home, 200},
                                           ArrowCase{Qt::Vertical, -10, 10, Qt::Key_End, 10}));

// A classic slider is a tab stop and takes the focus when clicked; whatever
// the style, the user sees which one has it.
TEST(ClassicScrollBar, TakesTheFocusByClickAndTabAndShowsIt) {
  QWidget top;
  top.resize(260, 80);
  auto* before = new QPushButton(QStringLiteral("before"), &top);
  before->setGeometry(0, 40, 80, 24);
  auto* bar = new ClassicScrollBar(Qt::Horizontal, &top);
  bar->setGeometry(0, 0, 200, 20);
  bar->SetRange(200, -200);
  bar->SetLargeChange(10);
  QWidget::setTabOrder(before, bar);
  top.show();
  top.activateWindow();
  if (!QTest::qWaitForWindowActive(&top, 2000)) GTEST_SKIP() << "the window never gets active";
  before->setFocus();
  const QImage unfocused = bar->grab().toImage();

  QTest::mouseClick(bar, Qt::LeftButton, {}, bar->ThumbRect().center());
  EXPECT_TRUE(bar->hasFocus()) << "a click focuses the bar";
  EXPECT_EQ(bar->Value(), 0) << "a click on the thumb moves nothing";
  const QImage focused = bar->grab().toImage();
  EXPECT_NE(focused, unfocused) << "the focus shows";

  before->setFocus();
  EXPECT_EQ(bar->grab().toImage(), unfocused) << "and goes with it";
  QTest::keyClick(before, Qt::Key_Tab);
  EXPECT_TRUE(bar->hasFocus()) << "Tab reaches the bar";
  EXPECT_EQ(bar->grab().toImage(), focused);
}
