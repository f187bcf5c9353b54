#include "server/TrusteePlay.h"

tagTableMove ChooseTrusteeMove(CGameLogic& logic, const uint8_t hand[], uint8_t handCount,
                               const tagTurn& turn) {
  tagPlayCandidate scratch;
  if (logic.ListAnswers(hand, handCount, HintReference(logic, turn), turn.count, scratch)) {
    for (size_t i = 0; i < logic.GetAnswerCount(); ++i) {
      const tagPlayCandidate& c = logic.GetAnswer(i);
      if (IsLegalPlay(logic, c.cards, c.count, turn)) return PlayMove(c.cards, c.count);
    }
  }
  tagPlayCandidate found{};
  if (logic.FindAnswer(hand, handCount, turn.cards, turn.count, found) && found.count > 0 &&
      IsLegalPlay(logic, found.cards, found.count, turn)) {
    return PlayMove(found.cards, found.count);
  }
  if (turn.count == 0) {
    // Leading must play: the lowest card that is a play on its own.
    for (int i = handCount - 1; i >= 0; --i) {
      if (IsLegalPlay(logic, hand + i, 1, turn)) return PlayMove(hand + i, 1);
    }
    if (handCount > 0 && IsLegalPlay(logic, hand, handCount, turn)) {
      return PlayMove(hand, handCount);
    }
  }
  return PassMove();
}
