// The table's rules that a game played out in a bot's head follows too: whether anybody can
// answer a play, the draws at the end of a trick, and what a loser pays. CTable plays by them,
// and so do the strong bot's play-outs.
#pragma once

#include <cstdint>

#include "protocol/Protocol.h"
#include "rules/GameLogic.h"
#include "server/TrusteePlay.h"

// Some chair after `outChair` can answer `turn` (by the trustee move, which finds any answer).
// With the pile empty, a play nobody can answer hands its player the lead again.
bool CanAnyoneAnswer(CGameLogic& logic, const uint8_t hands[SEAT_COUNT][MAX_CARDS],
                     const uint8_t counts[SEAT_COUNT], const tagTurn& turn, uint16_t outChair);

// The end of a trick: each chair from `leader` on draws the pile's first card while the pile
// lasts (a full hand draws none); the hands stay sorted by rank. `pile` holds `pileCount` cards.
void DrawAfterTrick(CGameLogic& logic, uint8_t hands[SEAT_COUNT][MAX_CARDS],
                    uint8_t counts[SEAT_COUNT], uint8_t pile[], uint8_t& pileCount,
                    uint16_t leader);

// What a loser pays at a base score of 1: the game's multiple for each card left, double for a
// loser that never played.
inline int64_t LoserPays(int64_t multiple, uint8_t cardsLeft, bool played) {
  return multiple * cardsLeft * (played ? 1 : 2);
}
