#include "server/TableRules.h"

#include <cstring>

bool CanAnyoneAnswer(CGameLogic& logic, const uint8_t hands[SEAT_COUNT][MAX_CARDS],
                     const uint8_t counts[SEAT_COUNT], const tagTurn& turn, uint16_t outChair) {
  for (uint16_t i = 1; i < SEAT_COUNT; ++i) {
    const uint16_t c = static_cast<uint16_t>((outChair + i) % SEAT_COUNT);
    if (!ChooseTrusteeMove(logic, hands[c], counts[c], turn).pass) return true;
  }
  return false;
}

void DrawAfterTrick(CGameLogic& logic, uint8_t hands[SEAT_COUNT][MAX_CARDS],
                    uint8_t counts[SEAT_COUNT], uint8_t pile[], uint8_t& pileCount,
                    uint16_t leader) {
  for (uint16_t i = 0; i < SEAT_COUNT && pileCount > 0; ++i) {
    const uint16_t c = static_cast<uint16_t>((leader + i) % SEAT_COUNT);
    // 54 cards among three hands and the pile: a hand never reaches 27 before the pile is out,
    // but a full hand would simply not draw.
    if (counts[c] >= MAX_CARDS) continue;
    hands[c][counts[c]++] = pile[0];
    --pileCount;
    std::memmove(pile, pile + 1, pileCount);
    pile[pileCount] = 0;
    logic.SortCards(hands[c], counts[c], SORT_BY_RANK);
  }
}
