#include "widgets/HistoryScore.h"

void CHistoryScore::ResetData() {
  for (tagHistoryScore& record : m_records) record = tagHistoryScore{};
}

const tagHistoryScore* CHistoryScore::GetHistoryScore(WORD chair) const {
  return chair < kChairCount ? &m_records[chair] : nullptr;
}

void CHistoryScore::OnEventUserEnter(WORD chair) {
  if (chair < kChairCount) m_records[chair] = tagHistoryScore{};
}

void CHistoryScore::OnEventUserLeave(WORD chair) {
  if (chair < kChairCount) m_records[chair] = tagHistoryScore{};
}

void CHistoryScore::OnEventScoreChange(WORD chair, int64_t score) {
  if (chair >= kChairCount) return;
  tagHistoryScore& record = m_records[chair];
  record.lLastScore = score;
  int64_t total = 0;
  if (__builtin_add_overflow(record.lTotalScore, score, &total))
    total = score > 0 ? INT64_MAX : INT64_MIN;
  record.lTotalScore = total;
}
