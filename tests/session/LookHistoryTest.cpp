// The undo history on its own: what makes one step, what undo and redo hand
// back, and its bound.
#include <gtest/gtest.h>

#include <QStringList>
#include <vector>

#include "session/LookHistory.h"

namespace qm {
namespace {

struct Change {
  const char* before;
  const char* after;
  std::uint64_t gesture;
};

struct GroupingCase {
  const char* name;
  std::vector<Change> changes;
  // The steps left, oldest first, as "before>after".
  std::vector<const char*> steps;
};

class Grouping : public ::testing::TestWithParam<GroupingCase> {};

TEST_P(Grouping, OneStepPerGesture) {
  LookHistory h;
  for (const Change& c : GetParam().changes)
    h.RecordLine(QString::fromLatin1(c.before), QString::fromLatin1(c.after), c.gesture);
  std::vector<QString> got;
  while (const auto step = h.Undo())
    got.insert(got.begin(), step->lineBefore + u'>' + step->lineAfter);
  std::vector<QString> want;
  for (const char* s : GetParam().steps) want.push_back(QString::fromLatin1(s));
  EXPECT_EQ(got, want);
}

INSTANTIATE_TEST_SUITE_P(
    Changes, Grouping,
    ::testing::Values(
        GroupingCase{"drag", {{"a", "b", 7}, {"b", "c", 7}, {"c", "d", 7}}, {"a>d"}},
        GroupingCase{"noGesture", {{"a", "b", 0}, {"b", "c", 0}}, {"a>b", "b>c"}},
        GroupingCase{"twoGestures", {{"a", "b", 1}, {"b", "c", 2}, {"c", "d", 2}}, {"a>b", "b>d"}},
        GroupingCase{"backToStart", {{"a", "b", 1}, {"b", "c", 2}, {"c", "b", 2}}, {"a>b"}},
        GroupingCase{"sameLine", {{"a", "a", 1}, {"a", "b", 2}}, {"a>b"}},
        GroupingCase{
            "hostBetween", {{"a", "b", 3}, {"b", "c", 0}, {"c", "d", 3}}, {"a>b", "b>c", "c>d"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(LookHistoryTest, UndoAndRedoWalkTheStepsAndANewChangeDropsWhatCouldBeRedone) {
  LookHistory h;
  h.RecordLine(QStringLiteral("a"), QStringLiteral("b"), 1);
  const RecordChange overwrite{QStringLiteral("Dir0"), QStringLiteral("Pic2"),
                               QStringLiteral("old"), QStringLiteral("new")};
  h.RecordTemplate(QStringLiteral("b"), overwrite);
  h.RecordLine(QStringLiteral("b"), QStringLiteral("c"), 2);

  EXPECT_EQ(h.Undo()->lineBefore, QStringLiteral("b"));
  const auto tmpl = h.Undo();
  ASSERT_TRUE(tmpl && tmpl->record);
  EXPECT_EQ(*tmpl->record, overwrite);
  EXPECT_EQ(h.Redo(), tmpl);
  EXPECT_EQ(h.Redo()->lineAfter, QStringLiteral("c"));
  EXPECT_FALSE(h.Redo());

  // Back twice, then the gesture that made the undone step goes on: it may
  // not reach into the step before, and what could be redone is gone.
  h.Undo();
  h.Undo();
  EXPECT_TRUE(h.CanRedo());
  h.RecordLine(QStringLiteral("b"), QStringLiteral("x"), 1);
  EXPECT_FALSE(h.CanRedo());
  EXPECT_EQ(h.Undo()->lineBefore, QStringLiteral("b"));
  EXPECT_EQ(h.Undo()->lineAfter, QStringLiteral("b"));
}

TEST(LookHistoryTest, KeepsTheNewestStepsUpToItsBound) {
  LookHistory h(3);
  for (int i = 0; i < 5; ++i) h.RecordLine(QString::number(i), QString::number(i + 1), 0);
  EXPECT_EQ(h.Size(), 3);
  QStringList undone;
  while (const auto step = h.Undo()) undone << step->lineBefore;
  EXPECT_EQ(undone, QStringList({"4", "3", "2"}));
}

}  // namespace
}  // namespace qm
