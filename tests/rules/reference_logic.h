// The card rules written the plain way: bubble sorts, a tally re-counted per call, every joker
// value tried by building, sorting and classifying the play. Slow and obviously faithful to the
// rules' documented order; the differential test and rules_fuzz hold the fast rules of rules/
// to exactly its answers, byte for byte.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "rules/Cards.h"
#include "rules/GameLogic.h"

namespace reference {

struct Turn {
  uint8_t count;
  uint8_t cards[MAX_CARDS];
  uint8_t resolved[MAX_CARDS];
};

class CLogic {
 public:
  uint8_t singleJokerRule = 0;

  void SortCards(uint8_t cards[], uint8_t count, uint8_t mode) const;  // by rank, any mode
  void SplitIntoBlocks(const uint8_t cards[], uint8_t count, tagCardBlocks& blocks) const;
  void TallyCards(const uint8_t cards[], uint8_t count, tagCardTally& tally) const;
  uint8_t ClassifyPlay(const uint8_t cards[], uint8_t count) const;
  bool CanBeat(const uint8_t first[], const uint8_t next[], uint8_t firstCount,
               uint8_t nextCount) const;
  bool ResolveJokers(const uint8_t cards[], uint8_t count, uint8_t out[], const uint8_t turn[],
                     uint8_t turnCount) const;
  // The list is cleared first; true when it holds a candidate.
  bool ListAnswers(const uint8_t hand[], uint8_t handCount, const uint8_t turn[], uint8_t turnCount,
                   std::vector<tagPlayCandidate>& list) const;
  bool FindAnswer(const uint8_t hand[], uint8_t handCount, const uint8_t turn[], uint8_t turnCount,
                  tagPlayCandidate& out) const;
};

bool CheckPlay(const CLogic& logic, const uint8_t play[], uint8_t count, const Turn& turn,
               uint8_t sorted[], uint8_t resolved[], uint8_t& type);
const uint8_t* HintReference(const CLogic& logic, const Turn& turn);

// Room of a position's lists: counts above MAX_CARDS must be refused without a read past 27.
inline constexpr size_t POSITION_ROOM = 40;

// A hand, the play on the table as played and its display form, and a play, in any order and
// of any bytes; counts up to POSITION_ROOM.
struct Position {
  uint8_t rule;  // the single-joker rule
  uint8_t handCount, turnCount, playCount;
  uint8_t hand[POSITION_ROOM], turn[POSITION_ROOM], turnResolved[POSITION_ROOM],
      play[POSITION_ROOM];
};

// Every operation of the rules on the position, by `fast` and by the reference: sorting and
// classifying each list, comparing the play with the turn, resolving the play's jokers, both
// searches, the legal-play check and the hint's reference. Returns one line per answer that
// differs in any byte (returned values, whole output arrays, candidate records); empty when
// all agree.
std::string Differences(CGameLogic& fast, const Position& p);

}  // namespace reference
