// Card analysis, play types, comparison and joker substitution.
#include "rules/GameLogic.h"

#include <cstring>
#include <utility>

namespace {

// Jokers are tried as these face values, in this order: A, K, Q, ..., 3, 2, A again.
constexpr uint8_t kSubstitutes[] = {1, 13, 12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1};

// A search may ask for the answer list before any search ran.
const tagPlayCandidate kNoCandidate{};

// Room for the result list of a 27-card hand, so searches do not allocate as they append.
constexpr size_t kAnswerReserve = 256;

bool AllCards(const uint8_t cards[], uint8_t count) {
  for (uint8_t i = 0; i < count; ++i) {
    if (!IsValidCard(cards[i])) return false;
  }
  return true;
}

}  // namespace

CGameLogic::CGameLogic() { m_answers.reserve(kAnswerReserve); }

CGameLogic::~CGameLogic() = default;

uint8_t CGameLogic::GetCardRank(uint8_t card) { return CardRank(card); }

uint8_t CGameLogic::ComposeCard(uint8_t valueIndex, uint8_t colourIndex) {
  return static_cast<uint8_t>((colourIndex << 4) | (valueIndex + 1));
}

void CGameLogic::SortCards(uint8_t cards[], uint8_t count, uint8_t mode) const {
  if (count == 0 || count > MAX_CARDS) return;

  uint8_t rank[MAX_CARDS];
  for (uint8_t i = 0; i < count; ++i) rank[i] = GetCardRank(cards[i]);

  // Bubble sort, descending by logic value, then by byte.
  bool exchanged = true;
  for (uint8_t last = count - 1; exchanged && last > 0; --last) {
    exchanged = false;
    for (uint8_t i = 0; i < last; ++i) {
      const bool before = rank[i] < rank[i + 1] ||
                          (rank[i] == rank[i + 1] && cards[i] < cards[i + 1]);
      if (before) {
        std::swap(cards[i], cards[i + 1]);
        std::swap(rank[i], rank[i + 1]);
        exchanged = true;
      }
    }
  }

  if (mode != SORT_BY_BLOCKS) return;

  tagCardBlocks blocks;
  SplitIntoBlocks(cards, count, blocks);
  const uint8_t groupCounts[4] = {static_cast<uint8_t>(blocks.fourCount * 4),
                                  static_cast<uint8_t>(blocks.threeCount * 3),
                                  static_cast<uint8_t>(blocks.doubleCount * 2),
                                  blocks.singleCount};
  const uint8_t* groups[4] = {blocks.fourCards, blocks.threeCards, blocks.doubleCards,
                              blocks.singleCards};
  // A run longer than four (only possible with repeated bytes) is in no group; rewriting
  // the list from the groups would then lose cards, so it keeps the rank order.
  if (groupCounts[0] + groupCounts[1] + groupCounts[2] + groupCounts[3] != count) return;
  uint8_t at = 0;
  for (int g = 0; g < 4; ++g) {
    std::memcpy(cards + at, groups[g], groupCounts[g]);
    at += groupCounts[g];
  }
}

void CGameLogic::SplitIntoBlocks(const uint8_t cards[], uint8_t count,
                                 tagCardBlocks& blocks) const {
  std::memset(&blocks, 0, sizeof(blocks));
  if (count > MAX_CARDS) return;

  for (uint8_t i = 0; i < count;) {
    const uint8_t rank = GetCardRank(cards[i]);
    uint8_t run = 1;
    while (i + run < count && GetCardRank(cards[i + run]) == rank) ++run;
    // Every group holds at most count <= 27 cards, so no array can overflow.
    switch (run) {
      case 1:
        blocks.singleCards[blocks.singleCount++] = cards[i];
        break;
      case 2:
        std::memcpy(blocks.doubleCards + blocks.doubleCount * 2, cards + i, 2);
        ++blocks.doubleCount;
        break;
      case 3:
        std::memcpy(blocks.threeCards + blocks.threeCount * 3, cards + i, 3);
        ++blocks.threeCount;
        break;
      case 4:
        std::memcpy(blocks.fourCards + blocks.fourCount * 4, cards + i, 4);
        ++blocks.fourCount;
        break;
      default:  // longer runs are not recorded
        break;
    }
    i += run;
  }
}

void CGameLogic::TallyCards(const uint8_t cards[], uint8_t count, tagCardTally& tally) const {
  std::memset(&tally, 0, sizeof(tally));
  if (count > MAX_CARDS) return;
  for (uint8_t i = 0; i < count; ++i) {
    const uint8_t card = cards[i];
    // A byte that is no card would index outside the table.
    if (!IsValidCard(card)) continue;
    uint8_t* row = tally.rows[GetCardFace(card) - 1];
    ++tally.cardCount;
    ++row[GetCardSuit(card) >> 4];
    ++row[TALLY_TOTAL];
  }
}

bool CGameLogic::RemoveCard(const uint8_t remove[], uint8_t removeCount, uint8_t hand[],
                            uint8_t handCount) const {
  if (handCount < removeCount || handCount > MAX_CARDS) return false;

  uint8_t copy[MAX_CARDS];
  std::memcpy(copy, hand, handCount);
  uint8_t hits = 0;
  for (uint8_t r = 0; r < removeCount; ++r) {
    for (uint8_t h = 0; h < handCount; ++h) {
      if (copy[h] != 0 && copy[h] == remove[r]) {
        copy[h] = 0;
        ++hits;
        break;
      }
    }
  }
  if (hits != removeCount) return false;

  uint8_t at = 0;
  for (uint8_t h = 0; h < handCount; ++h) {
    if (copy[h] != 0) hand[at++] = copy[h];
  }
  return true;
}

uint8_t CGameLogic::ClassifyPlay(const uint8_t cards[], uint8_t count) const {
  if (count == 0 || count > MAX_CARDS || !AllCards(cards, count)) return PT_INVALID;

  auto face = [&](int i) { return GetCardFace(cards[i]); };
  auto rank = [&](int i) { return GetCardRank(cards[i]); };
  auto joker = [&](int i) { return IsJokerCard(cards[i]); };

  switch (count) {
    case 1:
      if (!joker(0)) return PT_SINGLE;
      return m_singleJokerRule == 1 ? PT_SINGLE : PT_INVALID;
    case 2:
      if (face(0) == 15 && face(1) == 14) return PT_ROCKET;
      if (rank(0) == rank(1)) return PT_PAIR;
      if (joker(0)) return PT_PAIR;  // a joker pairs with any card
      return PT_INVALID;
    case 3:
      if (rank(0) == rank(2)) return PT_BOMB3;
      if (joker(0) && (joker(1) || face(1) == face(2))) return PT_BOMB3_JOKER;
      break;
    case 4:
      if (rank(0) == rank(3)) return PT_BOMB4;
      if (joker(0)) {
        if (joker(1) ? face(2) == face(3) : face(1) == face(3)) return PT_BOMB4_JOKER;
      }
      break;
    default:
      break;
  }

  tagCardBlocks blocks;
  SplitIntoBlocks(cards, count, blocks);
  if (blocks.doubleCount < 2) {
    if (blocks.singleCount != count || count < 3) return PT_INVALID;
    const uint8_t top = GetCardRank(blocks.singleCards[0]);
    if (top >= RANK_TWO) return PT_INVALID;
    for (uint8_t k = 1; k < blocks.singleCount; ++k) {
      if (GetCardRank(blocks.singleCards[k]) != top - k) return PT_INVALID;
    }
    return PT_SHUNZI;
  }
  if (blocks.doubleCount * 2 != count) return PT_INVALID;
  const uint8_t top = GetCardRank(blocks.doubleCards[0]);
  if (top >= RANK_TWO) return PT_INVALID;
  for (uint8_t k = 1; k < blocks.doubleCount; ++k) {
    if (GetCardRank(blocks.doubleCards[k * 2]) != top - k) return PT_INVALID;
  }
  return PT_LIANDUI;
}

bool CGameLogic::CanBeat(const uint8_t first[], const uint8_t next[], uint8_t firstCount,
                         uint8_t nextCount) const {
  if (firstCount > MAX_CARDS || nextCount == 0 || nextCount > MAX_CARDS) return false;
  const uint8_t t1 = ClassifyPlay(first, firstCount);
  const uint8_t t2 = ClassifyPlay(next, nextCount);
  if (t2 == PT_INVALID) return false;

  const bool bomb1 = t1 > PT_LIANDUI;
  const bool bomb2 = t2 > PT_LIANDUI;
  if (!bomb1 && bomb2) return true;
  if (bomb1 && !bomb2) return false;
  if (bomb1 && bomb2) {
    if (t2 != t1) return t2 > t1;
    if (nextCount != firstCount) return nextCount > firstCount;
    return GetCardRank(next[nextCount - 1]) > GetCardRank(first[firstCount - 1]);
  }

  // Neither is a bomb: same size, same type, one step higher (a 2 beats any lower card).
  // firstCount equals nextCount > 0 from here on.
  if (firstCount != nextCount) return false;
  if ((t1 == PT_SHUNZI && t2 == PT_LIANDUI) || (t1 == PT_LIANDUI && t2 == PT_SHUNZI)) return false;

  switch (t2) {
    case PT_SINGLE: {
      const uint8_t l1 = GetCardRank(first[0]);
      const uint8_t l2 = GetCardRank(next[0]);
      return l2 == l1 + 1 || (l2 == RANK_TWO && l1 < RANK_TWO);
    }
    case PT_PAIR: {
      const uint8_t l1 = GetCardRank(first[1]);
      const uint8_t l2 = GetCardRank(next[1]);
      if (l1 == l2) return IsJokerCard(first[0]) && !IsJokerCard(next[0]);
      return l2 == l1 + 1 || (l2 == RANK_TWO && l1 < RANK_TWO);
    }
    case PT_SHUNZI:
    case PT_LIANDUI:
      return GetCardRank(next[nextCount - 1]) == GetCardRank(first[firstCount - 1]) + 1;
    default:
      return false;
  }
}

bool CGameLogic::ResolveJokers(const uint8_t cards[], uint8_t count, uint8_t out[],
                               const uint8_t turn[], uint8_t turnCount) const {
  if (count > MAX_CARDS) return false;
  auto unchanged = [&]() {
    std::memcpy(out, cards, count);
    return false;
  };

  // The play on the table, sorted so that its type and top card can be read.
  uint8_t table[MAX_CARDS];
  uint8_t tableType = PT_INVALID;
  if (turnCount > 0) {
    if (turnCount > MAX_CARDS) return unchanged();
    std::memcpy(table, turn, turnCount);
    SortCards(table, turnCount, SORT_BY_RANK);
    tableType = ClassifyPlay(table, turnCount);
    // Following a single, a pair or a bomb, jokers keep their own identity.
    if (tableType != PT_SHUNZI && tableType != PT_LIANDUI) return unchanged();
  }

  uint8_t naturals[MAX_CARDS];
  uint8_t naturalCount = 0;
  uint8_t jokers = 0;
  for (uint8_t i = 0; i < count; ++i) {
    if (IsJokerCard(cards[i])) {
      ++jokers;
    } else {
      naturals[naturalCount++] = cards[i];
    }
  }
  // The deck has two jokers; more can only come from a list with repeated bytes.
  if (jokers == 0 || jokers > 2 || naturalCount == 0) return unchanged();

  uint8_t candidate[MAX_CARDS];
  auto build = [&](uint8_t a, uint8_t b, uint8_t subs) {
    candidate[0] = a;
    if (subs == 2) candidate[1] = b;
    std::memcpy(candidate + subs, naturals, naturalCount);
    SortCards(candidate, count, SORT_BY_RANK);
  };
  auto accept = [&]() {
    std::memcpy(out, candidate, count);
    return true;
  };
  // Two jokers never turn a natural pair into consecutive pairs, nor one card into a
  // straight of three: they make it a bomb.
  auto pairAsLiandui = [&](uint8_t type) {
    return count == 4 && type == PT_LIANDUI &&
           GetCardFace(naturals[0]) == GetCardFace(naturals[1]);
  };
  auto skipDouble = [&](uint8_t type) {
    return (count == 3 && type == PT_SHUNZI) || pairAsLiandui(type);
  };
  // The first pair (a, b), in substitute order, whose play is valid.
  auto doubleLoop = [&]() {
    for (uint8_t a : kSubstitutes) {
      for (uint8_t b : kSubstitutes) {
        build(a, b, 2);
        const uint8_t type = ClassifyPlay(candidate, count);
        if (type != PT_INVALID && !skipDouble(type)) return true;
      }
    }
    return false;
  };

  if (turnCount == 0) {
    if (jokers == 1) {
      for (uint8_t s : kSubstitutes) {
        build(s, 0, 1);
        if (ClassifyPlay(candidate, count) != PT_INVALID) return accept();
      }
      return unchanged();
    }
    return doubleLoop() ? accept() : unchanged();
  }

  const uint8_t top = GetCardRank(table[0]);
  if (top == RANK_ACE) return unchanged();  // nothing continues above an Ace

  if (tableType == PT_SHUNZI) {
    tagCardTally tally;
    TallyCards(naturals, naturalCount, tally);
    std::memcpy(tally.rows[TALLY_ACE_HIGH_ROW], tally.rows[TALLY_ACE_ROW],
                sizeof(tally.rows[0]));
    // The target is the straight one step higher: values top+1 down to top+2-turnCount.
    // A turn that classifies as a straight starts at 3 or above, so no value drops below 2.
    uint8_t missing[MAX_CARDS];
    uint8_t missingCount = 0;
    for (int value = top + 1; value >= top + 2 - turnCount; --value) {
      const int row = value == RANK_ACE ? TALLY_ACE_HIGH_ROW : value - 1;
      if (tally.rows[row][TALLY_TOTAL] == 0) {
        missing[missingCount++] = value == RANK_ACE ? 1 : value;  // the Ace's face value is 1
      }
    }
    if (missingCount != jokers) return unchanged();
    const uint8_t sorted = count < turnCount ? count : turnCount;
    if (jokers == 2 && doubleLoop()) {
      std::memcpy(out, candidate, count);
      SortCards(out, sorted, SORT_BY_RANK);
      return true;
    }
    std::memcpy(out, naturals, naturalCount);
    std::memcpy(out + naturalCount, missing, missingCount);
    SortCards(out, sorted, SORT_BY_RANK);
    return true;
  }

  // Consecutive pairs: the first substitution that beats the table.
  if (jokers == 1) {
    for (uint8_t s : kSubstitutes) {
      build(s, 0, 1);
      if (CanBeat(table, candidate, turnCount, count)) return accept();
    }
    return unchanged();
  }
  for (uint8_t a : kSubstitutes) {
    for (uint8_t b : kSubstitutes) {
      build(a, b, 2);
      if (!CanBeat(table, candidate, turnCount, count)) continue;
      if (pairAsLiandui(ClassifyPlay(candidate, count))) continue;
      return accept();
    }
  }
  return unchanged();
}

const tagPlayCandidate& CGameLogic::GetAnswer(size_t index) const {
  return index < m_answers.size() ? m_answers[index] : kNoCandidate;
}
