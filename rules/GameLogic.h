// The card rules: ordering and analysis of card lists, play types, comparison of two plays,
// jokers standing in for natural cards, and the search for plays that beat the table.
// Plain class without a window; every operation works on fixed arrays of at most MAX_CARDS
// cards. A list longer than MAX_CARDS is invalid: it is never read past 27 cards, classifies
// as PT_INVALID, makes boolean operations return false and leaves in/out arrays unchanged.
#pragma once

#include <cstddef>
#include <cstdint>

#include "rules/Cards.h"

// The longest play: consecutive pairs from 3 to A (a straight has at most 12 cards).
inline constexpr uint8_t MAX_PLAY_CARDS = 24;

// The longest list ListAnswers can build: at most 8 answers to a single or a pair (or 2 runs),
// then 113 bombs (per family the rows A, 3 .. K, A again and the 2s: 42 joker threes, 14 threes,
// 42 joker fours, 14 fours, the rocket).
inline constexpr size_t MAX_ANSWERS = 128;

class CGameLogic {
 public:
  CGameLogic();
  virtual ~CGameLogic();

  // --- Card byte ---------------------------------------------------------------------------
  static uint8_t GetCardSuit(uint8_t card) { return card & CARD_COLOUR_MASK; }
  static uint8_t GetCardFace(uint8_t card) { return card & CARD_FACE_MASK; }
  // Logic value: 3..K as they are, A 14, 2 15, small joker 16, big joker 17, no card 0.
  static uint8_t GetCardRank(uint8_t card);
  // colourIndex * 16 | (valueIndex + 1).
  static uint8_t ComposeCard(uint8_t valueIndex, uint8_t colourIndex);

  // --- Lists ---------------------------------------------------------------------------------
  // Descending logic value, equal values by the larger byte first; SORT_BY_BLOCKS then
  // regroups as fours, threes, pairs, singles.
  void SortCards(uint8_t cards[], uint8_t count, uint8_t mode) const;
  // Groups runs of equal logic value (input sorted by rank) by their length.
  void SplitIntoBlocks(const uint8_t cards[], uint8_t count, tagCardBlocks& blocks) const;
  // Counts the cards per face row and colour; bytes that are not cards are skipped.
  void TallyCards(const uint8_t cards[], uint8_t count, tagCardTally& tally) const;
  // Removes one copy of each card of `remove` from the hand, keeping the order of the rest.
  // All or nothing: on false the hand is unchanged. The caller lowers its count.
  bool RemoveCard(const uint8_t remove[], uint8_t removeCount, uint8_t hand[],
                  uint8_t handCount) const;

  // --- Plays ---------------------------------------------------------------------------------
  // 1 lets a lone joker be a single; any other value does not.
  void SetSingleJokerRule(uint8_t rule) { m_singleJokerRule = rule; }
  uint8_t GetSingleJokerRule() const { return m_singleJokerRule; }
  // Type of a play sorted by rank (PT_*). A list holding a byte that is no card is invalid.
  uint8_t ClassifyPlay(const uint8_t cards[], uint8_t count) const;
  // True when `next` beats `first` (both sorted by rank).
  bool CanBeat(const uint8_t first[], const uint8_t next[], uint8_t firstCount,
               uint8_t nextCount) const;
  // Replaces the jokers of a play by the natural cards they stand for against `turn` (the
  // display form of the play on the table; turnCount 0 = leading). True when replaced: `out`
  // holds the substituted play, sorted. False: `out` holds an unchanged copy of the play
  // (nothing is written when count exceeds MAX_CARDS). `out` needs room for `count` cards.
  bool ResolveJokers(const uint8_t cards[], uint8_t count, uint8_t out[], const uint8_t turn[],
                     uint8_t turnCount) const;

  // --- Search --------------------------------------------------------------------------------
  // The searches refuse a hand that could not come from one deck and allocate nothing; a call on
  // a 27-card hand takes well under a microsecond (bench/rules_search_bench.cpp).
  //
  // Builds the hint candidates that follow `turn` (turnCount 0 = leading) in their fixed order
  // and keeps them in this object; true when there is at least one. `scratch` is only cleared
  // (kept for the callers that lend one).
  bool ListAnswers(const uint8_t hand[], uint8_t handCount, const uint8_t turn[], uint8_t turnCount,
                   tagPlayCandidate& scratch);
  // The same list written into the caller's array (room for MAX_ANSWERS candidates) and kept
  // nowhere else: for callers that search often or from several places with one rules object,
  // such as a bot's rollouts. Returns the number of candidates, 0 where ListAnswers is false.
  size_t ListAnswersTo(const uint8_t hand[], uint8_t handCount, const uint8_t turn[],
                       uint8_t turnCount, tagPlayCandidate answers[]) const;
  // The first single answer found; leading always succeeds.
  bool FindAnswer(const uint8_t hand[], uint8_t handCount, const uint8_t turn[], uint8_t turnCount,
                  tagPlayCandidate& out) const;
  size_t GetAnswerCount() const { return m_answerCount; }
  // Candidate `index` of the last ListAnswers; an empty candidate when out of range.
  const tagPlayCandidate& GetAnswer(size_t index) const;

 private:
  uint8_t m_singleJokerRule = 0;
  size_t m_answerCount = 0;
  tagPlayCandidate m_answers[MAX_ANSWERS];  // result list of ListAnswers
};
