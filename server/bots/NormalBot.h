// The "normal" bot level (see Bot.h), and its policy on a bare table for bots that play games
// out in their heads: the same choice from the hand, the play to beat and the counts.
#pragma once

#include <cstdint>
#include <memory>

#include "server/ChairView.h"
#include "server/bots/Bot.h"

std::unique_ptr<CBot> MakeNormalBot();

// What the normal level decides from.
struct tagBotTable {
  const uint8_t* hand;  // sorted by rank
  uint8_t handCount;
  const tagTurn* turn;  // count 0: leading
  uint8_t singleJokerRule;
  uint8_t pile;
  uint8_t fewestOpponent;  // fewest cards an opponent in the game holds (99: none)
};

// The fewest cards an opponent of `me` holds (a chair holding nothing is out of the game: no
// threat); 99 when none holds any.
uint8_t FewestOpponent(const uint8_t counts[SEAT_COUNT], uint16_t me);
// The table as `view` sees it (a hand count above MAX_CARDS, which cannot be, reads as none).
tagBotTable BotTableOf(const CChairView& view);

// A legal play with the normal level's opinion of it.
struct tagRankedPlay {
  tagTableMove move;
  int score;      // higher is better
  bool rejected;  // the normal level would rather pass (following) than make it
};

class CNormalPolicy {
 public:
  virtual ~CNormalPolicy() = default;
  // The normal level's move.
  virtual tagTableMove Choose(const tagBotTable& table) = 0;
  // Every distinct legal play, best first by the normal level's score (rejected ones last),
  // at most `capacity`; returns how many were written. Passing is not among them.
  virtual uint8_t Rank(const tagBotTable& table, tagRankedPlay out[], uint8_t capacity) = 0;
};

std::unique_ptr<CNormalPolicy> MakeNormalPolicy();
