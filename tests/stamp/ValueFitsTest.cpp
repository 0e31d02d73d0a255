// Whether a message value may go into the line at all, checked before the
// message is sent anywhere.
#include <gtest/gtest.h>

#include "stamp/HostMessage.h"
#include "stamp/ParamLine.h"

using namespace qm::stamp;

namespace {

struct FitCase {
  int index;
  const char* value;
  bool fits;
};

class ValueFitsTable : public ::testing::TestWithParam<FitCase> {};

TEST_P(ValueFitsTable, AcceptsWhatTheFieldCanHold) {
  const FitCase& c = GetParam();
  EXPECT_EQ(ValueFits(c.index, QString::fromUtf8(c.value)), c.fits) << c.index << " " << c.value;
}

INSTANTIATE_TEST_SUITE_P(
    ParamLine, ValueFitsTable,
    ::testing::Values(FitCase{kFontName, "DejaVu Sans", true}, FitCase{kFontName, "a|b", false},
                      FitCase{kFontSize, "36", true}, FitCase{kFontSize, "abc", false},
                      FitCase{kFontSize, "40000", false}, FitCase{kTextColor, "16711680", true},
                      FitCase{kTextColor, "&hff", true}, FitCase{kTextX, "-2.5", true},
                      FitCase{kTextX, "", false}, FitCase{kShadowAlpha, "255", true},
                      FitCase{kShadowAlpha, "256", false}, FitCase{kShadowAlpha, "-1", false},
                      FitCase{kPictureGroup, "Sea\\c.png|10|110|120|5|20", true},
                      FitCase{kPictureGroup, "Sea\\c.png|10|110|120|5", false},
                      FitCase{kPictureGroup, "Sea\\c.png|10|110|120|5|20|7", false},
                      FitCase{kToneGroup, "0|100|100|0|0", true},
                      FitCase{kToneGroup, "0|100|x|0|0", false},
                      FitCase{kToneGroup, "0|100|100|0", false}, FitCase{22, "1", false},
                      FitCase{-2, "1", false}));

}  // namespace
