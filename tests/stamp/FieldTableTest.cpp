// Every field of the table, at the edges of what it holds, through the three
// ways a value travels: the line written and read back, the field's own
// message applied to a line, and a text one step beyond its range refused.
#include <gtest/gtest.h>

#include <utility>

#include "stamp/FieldTable.h"
#include "stamp/HostMessage.h"
#include "stamp/ParamLine.h"

using namespace qm::stamp;

namespace {

template <int I, typename T>
void CheckValue(T value) {
  const auto member = kFieldEntry<I>.member;
  StampParams p = DefaultParams(QStringLiteral("Serif"));
  p.*member = value;
  const QString line = LineText(p);
  const auto read = ParseLine(line);
  ASSERT_TRUE(read) << I << ": " << line.toStdString();
  EXPECT_EQ((*read).*member, value) << I << ": " << line.toStdString();
  EXPECT_EQ(*read, p) << I << ": only field " << I << " changed";
  if constexpr (I > 0) {
    const auto applied =
        ApplyMessage(DefaultLine(QStringLiteral("Serif")), FieldMessage(p, I), QString());
    ASSERT_TRUE(applied) << I;
    EXPECT_EQ(applied->params, p) << I << ": the message " << FieldKey(I).toStdString();
  }
}

template <int I>
void CheckField() {
  using T = typename std::remove_cvref_t<decltype(kFieldEntry<I>)>::Value;
  EXPECT_EQ(FieldTypeOf(I), kFieldType<I>);
  if constexpr (kFieldType<I> == FieldType::Text) {
    CheckValue<I>(QStringLiteral("Ä\\b c.png"));
    CheckValue<I>(QString());
    EXPECT_FALSE(FieldConverts(I, u"a|b")) << I;
  } else {
    CheckValue<I>(kFieldLowest<T>);
    CheckValue<I>(kFieldHighest<T>);
    if constexpr (sizeof(T) < sizeof(qint32)) {
      // One beyond either end does not fit the member, so it is refused.
      EXPECT_FALSE(FieldConverts(I, QString::number(qint32{kFieldLowest<T>} - 1))) << I;
      EXPECT_FALSE(FieldConverts(I, QString::number(qint32{kFieldHighest<T>} + 1))) << I;
    }
  }
}

}  // namespace

TEST(FieldTable, EveryFieldTravelsAtItsLimitsAndNoFurther) {
  [&]<std::size_t... I>(std::index_sequence<I...>) { (CheckField<static_cast<int>(I)>(), ...); }
  (std::make_index_sequence<kFieldCount>{});
}
