// The score history at its edges (the client's games run it in full): a total stops at the ends
// of the 64-bit range, and chairs of 3 or more are ignored.
#include <gtest/gtest.h>

#include <cstdint>

#include "widgets/HistoryScore.h"

namespace {

TEST(HistoryScore, TotalsStopAtTheEndsOfTheRangeAndOtherChairsAreIgnored) {
  CHistoryScore history;
  history.OnEventScoreChange(0, INT64_MAX);
  history.OnEventScoreChange(0, 5);
  history.OnEventScoreChange(2, INT64_MIN);
  history.OnEventScoreChange(2, -1);
  history.OnEventScoreChange(3, 9);
  history.OnEventUserLeave(3);
  EXPECT_EQ(history.GetHistoryScore(0)->lLastScore, 5);
  EXPECT_EQ(history.GetHistoryScore(0)->lTotalScore, INT64_MAX);
  EXPECT_EQ(history.GetHistoryScore(2)->lLastScore, -1);
  EXPECT_EQ(history.GetHistoryScore(2)->lTotalScore, INT64_MIN);
  EXPECT_EQ(history.GetHistoryScore(3), nullptr);
  history.OnEventUserEnter(0);  // a new player in the chair starts afresh
  EXPECT_EQ(history.GetHistoryScore(0)->lTotalScore, 0);
}

}  // namespace
