// CHistoryScore: for each of the three chairs, the score of the last game and the total since
// the record was last cleared (a player taking the seat, a player leaving it, a reset). It draws
// nothing. Chairs of 3 or more are ignored and have no record.
#pragma once

#include <cstdint>

#include "platform/win/WinTypes.h"

struct tagHistoryScore {
  int64_t lLastScore = 0;   // score of the last finished game
  int64_t lTotalScore = 0;  // sum of the scores added since the record was cleared
};

class CHistoryScore {
 public:
  static constexpr WORD kChairCount = 3;

  CHistoryScore() = default;
  virtual ~CHistoryScore() = default;

  void ResetData();
  // The chair's record, or null for a chair of 3 or more.
  const tagHistoryScore* GetHistoryScore(WORD chair) const;
  void OnEventUserEnter(WORD chair);
  void OnEventUserLeave(WORD chair);
  // The last score becomes the score and the total grows by it. A total that would pass the
  // range of 64 bits stays at the end of the range instead of wrapping to the other sign.
  void OnEventScoreChange(WORD chair, int64_t score);

 private:
  tagHistoryScore m_records[kChairCount];
};
