// Card analysis, play types, comparison and joker substitution.
#include "rules/GameLogic.h"

#include <bit>
#include <cstring>

#include "rules/RankOrder.h"

namespace {

// Jokers are tried as these face values, in this order: A, K, Q, ..., 3, 2 (and A again, which
// can only repeat what the first A gave).
constexpr uint8_t kSubstitutes[] = {1, 13, 12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2};

// A search may ask for the answer list before any search ran.
const tagPlayCandidate kNoCandidate{};

bool AllCards(const uint8_t cards[], uint8_t count) {
  for (uint8_t i = 0; i < count; ++i) {
    if (!IsValidCard(cards[i])) return false;
  }
  return true;
}

// Rank order of any bytes: descending logic value, equal values by the larger byte first.
void InsertionSortByRank(uint8_t cards[], uint8_t count) {
  auto key = [](uint8_t card) { return CardRank(card) << 8 | card; };
  for (uint8_t i = 1; i < count; ++i) {
    const uint8_t card = cards[i];
    const int k = key(card);
    uint8_t j = i;
    for (; j > 0 && key(cards[j - 1]) < k; --j) cards[j] = cards[j - 1];
    cards[j] = card;
  }
}

// Distinct cards are read back from their rank-order slots, highest first; a list holding a
// byte twice or a byte that is no card is sorted by insertion in the same order.
void SortByRank(uint8_t cards[], uint8_t count) {
  uint64_t slots = 0;
  for (uint8_t i = 0; i < count; ++i) {
    const uint8_t slot = CardSlot(cards[i]);
    if (slot == NO_SLOT || (slots & SlotBit(slot)) != 0) {
      InsertionSortByRank(cards, count);
      return;
    }
    slots |= SlotBit(slot);
  }
  for (uint8_t i = 0; slots != 0; ++i) {
    const uint8_t slot = TopSlot(slots);
    cards[i] = SlotCard(slot);
    slots ^= SlotBit(slot);
  }
}

// The natural cards of a play as the logic values they hold at least once, twice, three times.
struct tagValues {
  uint16_t once = 0;
  uint16_t twice = 0;
  uint16_t thrice = 0;
  uint8_t count = 0;

  void Add(uint8_t rank) {
    const uint16_t bit = static_cast<uint16_t>(1u << rank);
    thrice |= twice & bit;
    twice |= once & bit;
    once |= bit;
    ++count;
  }
  uint8_t Low() const { return static_cast<uint8_t>(std::countr_zero(once)); }
  uint8_t Top() const { return static_cast<uint8_t>(15 - std::countl_zero(once)); }
  // Values between the lowest and the highest that are not held.
  int Gaps() const { return Top() - Low() + 1 - BitCount(once); }
};

// The type ClassifyPlay gives a play of natural cards (no joker, no byte that is no card).
uint8_t NaturalType(const tagValues& v) {
  if (v.count == 1) return PT_SINGLE;
  if ((v.once & (v.once - 1)) == 0) {  // one value
    if (v.count == 2) return PT_PAIR;
    if (v.count == 3) return PT_BOMB3;
    return v.count == 4 ? PT_BOMB4 : PT_INVALID;
  }
  // Two values or more: a straight or consecutive pairs, one value after the other up to the A.
  if (v.count == 2 || v.Gaps() != 0 || v.Top() >= RANK_TWO) return PT_INVALID;
  if (v.twice == 0) return PT_SHUNZI;
  return v.twice == v.once && v.thrice == 0 ? PT_LIANDUI : PT_INVALID;
}

}  // namespace

CGameLogic::CGameLogic() = default;

CGameLogic::~CGameLogic() = default;

uint8_t CGameLogic::GetCardRank(uint8_t card) { return CardRank(card); }

uint8_t CGameLogic::ComposeCard(uint8_t valueIndex, uint8_t colourIndex) {
  return static_cast<uint8_t>((colourIndex << 4) | (valueIndex + 1));
}

void CGameLogic::SortCards(uint8_t cards[], uint8_t count, uint8_t mode) const {
  if (count == 0 || count > MAX_CARDS) return;
  SortByRank(cards, count);
  if (mode != SORT_BY_BLOCKS) return;

  tagCardBlocks blocks;
  SplitIntoBlocks(cards, count, blocks);
  const uint8_t groupCounts[4] = {static_cast<uint8_t>(blocks.fourCount * 4),
                                  static_cast<uint8_t>(blocks.threeCount * 3),
                                  static_cast<uint8_t>(blocks.doubleCount * 2), blocks.singleCount};
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

  // Three cards or more: a straight (runs of one card of a value) or consecutive pairs (runs of
  // two), in the list's order each run one value below the one before, topped below the 2.
  if (count > MAX_PLAY_CARDS) return PT_INVALID;
  const uint8_t top = rank(0);
  if (top >= RANK_TWO) return PT_INVALID;
  const uint8_t run = rank(1) == top ? 2 : 1;
  if (count % run != 0) return PT_INVALID;
  for (uint8_t i = 0; i < count; ++i) {
    if (rank(i) != top - i / run) return PT_INVALID;
  }
  return run == 1 ? PT_SHUNZI : PT_LIANDUI;
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
  bool allCards = true;  // a byte that is no card makes every substitution no play
  tagValues values;
  for (uint8_t i = 0; i < count; ++i) {
    const uint8_t card = cards[i];
    if (IsJokerCard(card)) {
      ++jokers;
      continue;
    }
    naturals[naturalCount++] = card;
    if (IsValidCard(card)) {
      values.Add(CardRank(card));
    } else {
      allCards = false;
    }
  }
  // The deck has two jokers; more can only come from a list with repeated bytes.
  if (jokers == 0 || jokers > 2 || naturalCount == 0) return unchanged();

  // The jokers are tried as each face value in turn (kSubstitutes, the first joker outermost).
  // With them replaced the play holds natural cards only, so its type follows from the values it
  // holds, without building and sorting it. `out` gets the play that was chosen, sorted.
  auto accept = [&](uint8_t a, uint8_t b) {
    uint8_t at = 0;
    out[at++] = a;
    if (jokers == 2) out[at++] = b;
    std::memcpy(out + at, naturals, naturalCount);
    SortCards(out, count, SORT_BY_RANK);
    return true;
  };
  auto plus = [](tagValues v, uint8_t face) {
    v.Add(CardRank(face));
    return v;
  };
  // Two jokers never turn a natural pair into consecutive pairs, nor one card into a
  // straight of three: they make it a bomb.
  auto pairAsLiandui = [&](uint8_t type) {
    return count == 4 && type == PT_LIANDUI && GetCardFace(naturals[0]) == GetCardFace(naturals[1]);
  };
  auto anyPlay = [](uint8_t type, const tagValues&) { return type != PT_INVALID; };
  auto anyPlayOfTwo = [&](uint8_t type, const tagValues&) {
    return type != PT_INVALID && !((count == 3 && type == PT_SHUNZI) || pairAsLiandui(type));
  };
  // The first faces (a, b) for two jokers whose play `fits`. A play longer than any play, or
  // values with gaps that two cards (then one) cannot fill, fit nothing.
  uint8_t a = 0, b = 0;
  auto firstPair = [&](auto fits) {
    if (!allCards || count > MAX_PLAY_CARDS || values.Gaps() > 2) return false;
    for (uint8_t fa : kSubstitutes) {
      const tagValues withA = plus(values, fa);
      if (withA.Gaps() > 1) continue;
      for (uint8_t fb : kSubstitutes) {
        const tagValues v = plus(withA, fb);
        if (fits(NaturalType(v), v)) {
          a = fa;
          b = fb;
          return true;
        }
      }
    }
    return false;
  };
  auto firstSingle = [&](auto fits) {
    if (!allCards || count > MAX_PLAY_CARDS) return false;
    for (uint8_t fa : kSubstitutes) {
      const tagValues v = plus(values, fa);
      if (fits(NaturalType(v), v)) {
        a = fa;
        return true;
      }
    }
    return false;
  };

  if (turnCount == 0) {
    const bool found = jokers == 1 ? firstSingle(anyPlay) : firstPair(anyPlayOfTwo);
    return found ? accept(a, b) : unchanged();
  }

  const uint8_t top = GetCardRank(table[0]);
  if (top == RANK_ACE) return unchanged();  // nothing continues above an Ace

  if (tableType == PT_SHUNZI) {
    // The target is the straight one step higher: values top+1 down to top+2-turnCount.
    // A turn that classifies as a straight starts at 3 or above, so no value drops below 2.
    uint8_t missing[MAX_CARDS];
    uint8_t missingCount = 0;
    for (int value = top + 1; value >= top + 2 - turnCount; --value) {
      if ((values.once >> value & 1) == 0) {
        missing[missingCount++] = value == RANK_ACE ? 1 : value;  // the Ace's face value is 1
      }
    }
    if (missingCount != jokers) return unchanged();
    if (jokers == 2 && firstPair(anyPlayOfTwo)) return accept(a, b);
    std::memcpy(out, naturals, naturalCount);
    std::memcpy(out + naturalCount, missing, missingCount);
    SortCards(out, count < turnCount ? count : turnCount, SORT_BY_RANK);
    return true;
  }

  // Consecutive pairs: the first substitution that beats the table, a bomb or the pairs of its
  // length one value higher.
  const uint8_t tableLow = GetCardRank(table[turnCount - 1]);
  auto beats = [&](uint8_t type, const tagValues& v) {
    if (type == PT_BOMB3 || type == PT_BOMB4) return true;
    return type == PT_LIANDUI && count == turnCount && v.Low() == tableLow + 1;
  };
  auto beatsWithTwo = [&](uint8_t type, const tagValues& v) {
    return beats(type, v) && !pairAsLiandui(type);
  };
  const bool found = jokers == 1 ? firstSingle(beats) : firstPair(beatsWithTwo);
  return found ? accept(a, b) : unchanged();
}

const tagPlayCandidate& CGameLogic::GetAnswer(size_t index) const {
  return index < m_answerCount ? m_answers[index] : kNoCandidate;
}
