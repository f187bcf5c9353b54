// The legal-play check that the table applies to every play, the same check a client uses to
// enable its play button: the play must form a valid play once jokers are resolved against the
// play on the table and, when following, beat it (joker bombs on the table compared raw).
#pragma once

#include <cstdint>

#include "rules/GameLogic.h"

// The play to beat: raw cards as played and the display form with jokers replaced, both
// sorted by rank. count 0 = leading.
struct tagTurn {
  uint8_t count;
  uint8_t cards[MAX_CARDS];
  uint8_t resolved[MAX_CARDS];
};

// True when `play` (count cards, any order) may be played on `turn`. On true, `sorted` holds the
// play sorted by rank, `resolved` its display form (sorted) and `type` the type of the display
// form. Does not check that the cards are in a hand.
bool CheckPlay(const CGameLogic& logic, const uint8_t play[], uint8_t count, const tagTurn& turn,
               uint8_t sorted[], uint8_t resolved[], uint8_t& type);
// The same check when only the verdict matters.
bool IsLegalPlay(const CGameLogic& logic, const uint8_t play[], uint8_t count, const tagTurn& turn);
