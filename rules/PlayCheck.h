// The one legal-play check: the table applies it to every play of people and bots, the trustee
// and the bots choose with it, and the client's play button lights up by it. A play must form
// a valid play once its jokers are resolved against the play on the table and, when following,
// beat that play (a joker bomb on the table is compared raw). Also here: the form of the play
// on the table that the hint search works against.
#pragma once

#include <cstdint>
#include <cstring>

#include "rules/GameLogic.h"

// The play to beat: the cards as played and their display form (jokers replaced), in whatever
// order the holder keeps them; count 0 = leading.
struct tagTurn {
  uint8_t count;
  uint8_t cards[MAX_CARDS];
  uint8_t resolved[MAX_CARDS];
};

// A play to beat from two card lists of `count` cards. A count above MAX_CARDS is kept (the
// check refuses such a turn) but only MAX_CARDS cards are copied.
inline tagTurn MakeTurn(const uint8_t cards[], const uint8_t resolved[], uint8_t count) {
  tagTurn turn{};
  turn.count = count;
  const uint8_t n = count <= MAX_CARDS ? count : MAX_CARDS;
  if (n > 0) {
    std::memcpy(turn.cards, cards, n);
    std::memcpy(turn.resolved, resolved, n);
  }
  return turn;
}

// True when `play` (count cards, any order) may be played on `turn`. On true, `sorted` holds the
// play sorted by rank, `resolved` its display form (sorted) and `type` the type of the display
// form; on false nothing is written. Does not check that the cards are in a hand.
bool CheckPlay(const CGameLogic& logic, const uint8_t play[], uint8_t count, const tagTurn& turn,
               uint8_t sorted[], uint8_t resolved[], uint8_t& type);
// The same check when only the verdict matters.
bool IsLegalPlay(const CGameLogic& logic, const uint8_t play[], uint8_t count, const tagTurn& turn);

// The form of the play on the table that the hint searches against: the display form for a run
// made with jokers, the cards as played otherwise. Points into `turn`.
const uint8_t* HintReference(const CGameLogic& logic, const tagTurn& turn);
