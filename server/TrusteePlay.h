// The move the table makes for a chair it plays for (a chair on trustee whose client is gone,
// or whose clock ran out): the first hint candidate the legal-play check accepts, else the
// single answer, else, when leading, the lowest card that is a play on its own; otherwise a
// pass. The table also asks it whether anybody can answer a play. The "easy" bot plays the same
// move, and the "normal" bot falls back on it when it leads.
#pragma once

#include <cstdint>
#include <cstring>

#include "rules/GameLogic.h"
#include "rules/PlayCheck.h"

// A chair's move: a pass, or a play of cards from its hand.
struct tagTableMove {
  bool pass;  // true: CLI_PASS; false: CLI_PLAY with the cards below
  uint8_t count;
  uint8_t cards[MAX_CARDS];  // cards of the chair's hand
};

inline tagTableMove PassMove() {
  tagTableMove m{};
  m.pass = true;
  return m;
}

// count must be at most MAX_CARDS.
inline tagTableMove PlayMove(const uint8_t cards[], uint8_t count) {
  tagTableMove m{};
  m.pass = false;
  m.count = count;
  std::memcpy(m.cards, cards, count);
  return m;
}

// The move for `hand` (sorted by rank) against `turn`; `logic` carries the single-joker rule.
tagTableMove ChooseTrusteeMove(CGameLogic& logic, const uint8_t hand[], uint8_t handCount,
                               const tagTurn& turn);
