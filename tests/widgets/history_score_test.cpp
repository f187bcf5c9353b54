// The score history: the last score and the total per chair, cleared by entering, leaving and
// reset; chairs of 3 or more are ignored.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "widgets/HistoryScore.h"

namespace {

struct Event {
  enum Kind { Score, Enter, Leave, Reset } kind;
  WORD chair;
  int64_t score;
};

struct HistoryCase {
  const char* name;
  std::vector<Event> events;
  WORD chair;
  int64_t last, total;
};

TEST(HistoryScore, KeepsTheLastScoreAndTheTotalPerChair) {
  const HistoryCase cases[] = {
      {"a win then a loss", {{Event::Score, 2, 100}, {Event::Score, 2, -30}}, 2, -30, 70},
      {"other chairs untouched", {{Event::Score, 0, 100}, {Event::Score, 1, 5}}, 0, 100, 100},
      {"a player leaves, another enters",
       {{Event::Score, 1, 400}, {Event::Leave, 1, 0}, {Event::Enter, 1, 0}, {Event::Score, 1, 7}},
       1,
       7,
       7},
      {"entering clears", {{Event::Score, 0, 9}, {Event::Enter, 0, 0}}, 0, 0, 0},
      {"reset clears every chair", {{Event::Score, 2, 9}, {Event::Reset, 0, 0}}, 2, 0, 0},
      {"chair 3 is ignored", {{Event::Score, 3, 9}, {Event::Leave, 3, 0}}, 0, 0, 0},
      {"the total stops at the top of the range",
       {{Event::Score, 0, INT64_MAX}, {Event::Score, 0, 5}},
       0,
       5,
       INT64_MAX},
      {"and at the bottom",
       {{Event::Score, 0, INT64_MIN}, {Event::Score, 0, -1}},
       0,
       -1,
       INT64_MIN},
  };
  for (const HistoryCase& c : cases) {
    SCOPED_TRACE(c.name);
    CHistoryScore history;
    for (const Event& e : c.events) {
      switch (e.kind) {
        case Event::Score:
          history.OnEventScoreChange(e.chair, e.score);
          break;
        case Event::Enter:
          history.OnEventUserEnter(e.chair);
          break;
        case Event::Leave:
          history.OnEventUserLeave(e.chair);
          break;
        case Event::Reset:
          history.ResetData();
          break;
      }
    }
    const tagHistoryScore* record = history.GetHistoryScore(c.chair);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->lLastScore, c.last);
    EXPECT_EQ(record->lTotalScore, c.total);
    EXPECT_EQ(history.GetHistoryScore(3), nullptr);
    EXPECT_EQ(history.GetHistoryScore(0xFFFF), nullptr);
  }
}

}  // namespace
