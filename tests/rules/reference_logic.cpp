// The card rules as first written (see reference_logic.h).
#include "tests/rules/reference_logic.h"

#include <cstdio>
#include <cstring>
#include <utility>

#include "rules/PlayCheck.h"

namespace reference {

namespace {

constexpr uint8_t kSubstitutes[] = {1, 13, 12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1};

uint8_t Face(uint8_t card) { return card & CARD_FACE_MASK; }
uint8_t Suit(uint8_t card) { return card & CARD_COLOUR_MASK; }
uint8_t Compose(uint8_t valueIndex, uint8_t colourIndex) {
  return static_cast<uint8_t>((colourIndex << 4) | (valueIndex + 1));
}

bool AllCards(const uint8_t cards[], uint8_t count) {
  for (uint8_t i = 0; i < count; ++i) {
    if (!IsValidCard(cards[i])) return false;
  }
  return true;
}

}  // namespace

void CLogic::SortCards(uint8_t cards[], uint8_t count, uint8_t) const {
  if (count == 0 || count > MAX_CARDS) return;

  uint8_t rank[MAX_CARDS];
  for (uint8_t i = 0; i < count; ++i) rank[i] = CardRank(cards[i]);

  bool exchanged = true;
  for (uint8_t last = count - 1; exchanged && last > 0; --last) {
    exchanged = false;
    for (uint8_t i = 0; i < last; ++i) {
      const bool before =
          rank[i] < rank[i + 1] || (rank[i] == rank[i + 1] && cards[i] < cards[i + 1]);
      if (before) {
        std::swap(cards[i], cards[i + 1]);
        std::swap(rank[i], rank[i + 1]);
        exchanged = true;
      }
    }
  }
}

void CLogic::SplitIntoBlocks(const uint8_t cards[], uint8_t count, tagCardBlocks& blocks) const {
  std::memset(&blocks, 0, sizeof(blocks));
  if (count > MAX_CARDS) return;

  for (uint8_t i = 0; i < count;) {
    const uint8_t rank = CardRank(cards[i]);
    uint8_t run = 1;
    while (i + run < count && CardRank(cards[i + run]) == rank) ++run;
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
      default:
        break;
    }
    i += run;
  }
}

void CLogic::TallyCards(const uint8_t cards[], uint8_t count, tagCardTally& tally) const {
  std::memset(&tally, 0, sizeof(tally));
  if (count > MAX_CARDS) return;
  for (uint8_t i = 0; i < count; ++i) {
    const uint8_t card = cards[i];
    if (!IsValidCard(card)) continue;
    uint8_t* row = tally.rows[Face(card) - 1];
    ++tally.cardCount;
    ++row[Suit(card) >> 4];
    ++row[TALLY_TOTAL];
  }
}

uint8_t CLogic::ClassifyPlay(const uint8_t cards[], uint8_t count) const {
  if (count == 0 || count > MAX_CARDS || !AllCards(cards, count)) return PT_INVALID;

  auto face = [&](int i) { return Face(cards[i]); };
  auto rank = [&](int i) { return CardRank(cards[i]); };
  auto joker = [&](int i) { return IsJokerCard(cards[i]); };

  switch (count) {
    case 1:
      if (!joker(0)) return PT_SINGLE;
      return singleJokerRule == 1 ? PT_SINGLE : PT_INVALID;
    case 2:
      if (face(0) == 15 && face(1) == 14) return PT_ROCKET;
      if (rank(0) == rank(1)) return PT_PAIR;
      if (joker(0)) return PT_PAIR;
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
    const uint8_t top = CardRank(blocks.singleCards[0]);
    if (top >= RANK_TWO) return PT_INVALID;
    for (uint8_t k = 1; k < blocks.singleCount; ++k) {
      if (CardRank(blocks.singleCards[k]) != top - k) return PT_INVALID;
    }
    return PT_SHUNZI;
  }
  if (blocks.doubleCount * 2 != count) return PT_INVALID;
  const uint8_t top = CardRank(blocks.doubleCards[0]);
  if (top >= RANK_TWO) return PT_INVALID;
  for (uint8_t k = 1; k < blocks.doubleCount; ++k) {
    if (CardRank(blocks.doubleCards[k * 2]) != top - k) return PT_INVALID;
  }
  return PT_LIANDUI;
}

bool CLogic::CanBeat(const uint8_t first[], const uint8_t next[], uint8_t firstCount,
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
    return CardRank(next[nextCount - 1]) > CardRank(first[firstCount - 1]);
  }

  if (firstCount != nextCount) return false;
  if ((t1 == PT_SHUNZI && t2 == PT_LIANDUI) || (t1 == PT_LIANDUI && t2 == PT_SHUNZI)) return false;

  switch (t2) {
    case PT_SINGLE: {
      const uint8_t l1 = CardRank(first[0]);
      const uint8_t l2 = CardRank(next[0]);
      return l2 == l1 + 1 || (l2 == RANK_TWO && l1 < RANK_TWO);
    }
    case PT_PAIR: {
      const uint8_t l1 = CardRank(first[1]);
      const uint8_t l2 = CardRank(next[1]);
      if (l1 == l2) return IsJokerCard(first[0]) && !IsJokerCard(next[0]);
      return l2 == l1 + 1 || (l2 == RANK_TWO && l1 < RANK_TWO);
    }
    case PT_SHUNZI:
    case PT_LIANDUI:
      return CardRank(next[nextCount - 1]) == CardRank(first[firstCount - 1]) + 1;
    default:
      return false;
  }
}

bool CLogic::ResolveJokers(const uint8_t cards[], uint8_t count, uint8_t out[],
                           const uint8_t turn[], uint8_t turnCount) const {
  if (count > MAX_CARDS) return false;
  auto unchanged = [&]() {
    std::memcpy(out, cards, count);
    return false;
  };

  uint8_t table[MAX_CARDS];
  uint8_t tableType = PT_INVALID;
  if (turnCount > 0) {
    if (turnCount > MAX_CARDS) return unchanged();
    std::memcpy(table, turn, turnCount);
    SortCards(table, turnCount, SORT_BY_RANK);
    tableType = ClassifyPlay(table, turnCount);
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
  auto pairAsLiandui = [&](uint8_t type) {
    return count == 4 && type == PT_LIANDUI && Face(naturals[0]) == Face(naturals[1]);
  };
  auto skipDouble = [&](uint8_t type) {
    return (count == 3 && type == PT_SHUNZI) || pairAsLiandui(type);
  };
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

  const uint8_t top = CardRank(table[0]);
  if (top == RANK_ACE) return unchanged();

  if (tableType == PT_SHUNZI) {
    tagCardTally tally;
    TallyCards(naturals, naturalCount, tally);
    std::memcpy(tally.rows[TALLY_ACE_HIGH_ROW], tally.rows[TALLY_ACE_ROW], sizeof(tally.rows[0]));
    uint8_t missing[MAX_CARDS];
    uint8_t missingCount = 0;
    for (int value = top + 1; value >= top + 2 - turnCount; --value) {
      const int row = value == RANK_ACE ? TALLY_ACE_HIGH_ROW : value - 1;
      if (tally.rows[row][TALLY_TOTAL] == 0) {
        missing[missingCount++] = value == RANK_ACE ? 1 : value;
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

namespace {

constexpr uint8_t kListBombRows[] = {0, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13};
constexpr uint8_t kFindBombRows[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13};

struct SearchHand {
  uint8_t cards[MAX_CARDS];
  uint8_t count;
  uint8_t jokers;
  tagCardTally tally;
};

struct SearchTurn {
  uint8_t cards[MAX_CARDS];
  uint8_t count;
  uint8_t type;
};

bool IsDeckHand(const uint8_t hand[], uint8_t count) {
  uint64_t seen = 0;
  for (uint8_t i = 0; i < count; ++i) {
    const int index = CardDeckIndex(hand[i]);
    if (index < 0 || (seen & (uint64_t{1} << index))) return false;
    seen |= uint64_t{1} << index;
  }
  return true;
}

bool Prepare(const CLogic& logic, const uint8_t hand[], uint8_t handCount, const uint8_t turn[],
             uint8_t turnCount, SearchHand& h, SearchTurn& t) {
  if (handCount > MAX_CARDS || turnCount > MAX_CARDS) return false;
  if (handCount > 0 && hand == nullptr) return false;
  if (turnCount > 0 && turn == nullptr) return false;
  if (!IsDeckHand(hand, handCount)) return false;

  std::memset(h.cards, 0, sizeof(h.cards));
  if (handCount > 0) std::memcpy(h.cards, hand, handCount);
  h.count = handCount;
  logic.SortCards(h.cards, h.count, SORT_BY_RANK);
  h.jokers = static_cast<uint8_t>((IsJokerCard(h.cards[0]) ? 1 : 0) +
                                  (handCount > 1 && IsJokerCard(h.cards[1]) ? 1 : 0));
  logic.TallyCards(h.cards, h.count, h.tally);
  std::memcpy(h.tally.rows[TALLY_ACE_HIGH_ROW], h.tally.rows[TALLY_ACE_ROW],
              sizeof(h.tally.rows[0]));

  std::memset(t.cards, 0, sizeof(t.cards));
  if (turnCount > 0) std::memcpy(t.cards, turn, turnCount);
  t.count = turnCount;
  logic.SortCards(t.cards, t.count, SORT_BY_RANK);
  t.type = logic.ClassifyPlay(t.cards, t.count);
  return true;
}

uint8_t RowTotal(const SearchHand& h, uint8_t row) { return h.tally.rows[row][TALLY_TOTAL]; }

uint8_t RowOf(uint8_t card) {
  const uint8_t face = card & CARD_FACE_MASK;
  return face == 0 ? 0 : static_cast<uint8_t>(face - 1);
}

void Clear(tagPlayCandidate& c) { std::memset(&c, 0, sizeof(c)); }

void Push(tagPlayCandidate& c, uint8_t card) {
  if (c.count < MAX_CARDS) c.cards[c.count++] = card;
}

uint8_t TakeFromRow(const SearchHand& h, uint8_t row, uint8_t k, tagPlayCandidate& c) {
  const uint8_t valueIndex = row == TALLY_ACE_HIGH_ROW ? TALLY_ACE_ROW : row;
  uint8_t taken = 0;
  for (uint8_t colour = 0; colour < 4 && taken < k && c.count < MAX_CARDS; ++colour) {
    if (h.tally.rows[row][colour] == 0) continue;
    Push(c, Compose(valueIndex, colour));
    ++taken;
  }
  return taken;
}

void Offer(std::vector<tagPlayCandidate>& list, const tagPlayCandidate& c, uint8_t wanted) {
  if (c.count == wanted) list.push_back(c);
}

struct ListContext {
  const SearchHand& hand;
  const SearchTurn& turn;
  tagPlayCandidate& work;
  std::vector<tagPlayCandidate>& list;

  void RowWithJokers(uint8_t row, uint8_t k, uint8_t joker1 = 0, uint8_t joker2 = 0) {
    Clear(work);
    TakeFromRow(hand, row, k, work);
    uint8_t wanted = k;
    if (joker1 != 0) {
      Push(work, joker1);
      ++wanted;
    }
    if (joker2 != 0) {
      Push(work, joker2);
      ++wanted;
    }
    Offer(list, work, wanted);
  }
};

void FillLead(const CLogic& logic, const SearchHand& h, tagPlayCandidate& c) {
  Clear(c);
  if (logic.ClassifyPlay(h.cards, h.count) != PT_INVALID) {
    for (uint8_t i = h.count; i > 0; --i) Push(c, h.cards[i - 1]);
  } else {
    Push(c, h.cards[h.count - 1]);
  }
}

void ListSingles(ListContext& x) {
  const uint8_t beat = CardRank(x.turn.cards[0]);
  for (uint8_t i = 0; i < x.hand.count; ++i) {
    const uint8_t card = x.hand.cards[i];
    if (!IsJokerCard(card) && CardRank(card) == beat + 1) {
      Clear(x.work);
      Push(x.work, card);
      Offer(x.list, x.work, 1);
    }
  }
  if (beat >= RANK_TWO) return;
  for (uint8_t i = 0; i < x.hand.count; ++i) {
    const uint8_t card = x.hand.cards[i];
    if (!IsJokerCard(card) && CardRank(card) == RANK_TWO) {
      Clear(x.work);
      Push(x.work, card);
      Offer(x.list, x.work, 1);
    }
  }
}

void ListPairs(ListContext& x) {
  const uint8_t tr = RowOf(x.turn.cards[1]);
  if (tr == TALLY_TWO_ROW) return;
  if (tr >= TALLY_ACE_HIGH_ROW) return;
  const uint8_t next = tr + 1;
  const SearchHand& h = x.hand;

  if (RowTotal(h, next) >= 2 && tr != TALLY_ACE_ROW) x.RowWithJokers(next, 2);
  if (RowTotal(h, TALLY_TWO_ROW) >= 2) x.RowWithJokers(TALLY_TWO_ROW, 2);
  if (IsJokerCard(x.turn.cards[0]) || IsJokerCard(x.turn.cards[1])) {
    if (tr != TALLY_ACE_ROW && RowTotal(h, tr) >= 2) x.RowWithJokers(tr, 2);
    if (RowTotal(h, TALLY_TWO_ROW) >= 2) x.RowWithJokers(TALLY_TWO_ROW, 2);
  }
  if (h.jokers == 2) {
    if (tr != TALLY_ACE_ROW && RowTotal(h, next) == 1 && tr != TALLY_ACE_HIGH_ROW) {
      x.RowWithJokers(next, 1, CARD_BIG_JOKER);
      x.RowWithJokers(next, 1, CARD_SMALL_JOKER);
    }
    if (RowTotal(h, TALLY_TWO_ROW) >= 1) {
      x.RowWithJokers(TALLY_TWO_ROW, 1, CARD_BIG_JOKER);
      x.RowWithJokers(TALLY_TWO_ROW, 1, CARD_SMALL_JOKER);
    }
  }
  if (h.jokers == 1) {
    const uint8_t joker = h.cards[0];
    if (tr != TALLY_ACE_ROW && RowTotal(h, next) >= 1 && tr != TALLY_ACE_HIGH_ROW) {
      x.RowWithJokers(next, 1, joker);
    }
    if (RowTotal(h, TALLY_TWO_ROW) >= 1) x.RowWithJokers(TALLY_TWO_ROW, 1, joker);
  }
}

struct RunTarget {
  bool valid;
  uint8_t per;
  uint8_t length;
  uint8_t first;
};

RunTarget TargetOf(const SearchTurn& t) {
  RunTarget r{false, 0, 0, 0};
  r.per = t.type == PT_SHUNZI ? 1 : 2;
  r.length = static_cast<uint8_t>(t.count / r.per);
  const int tr = RowOf(t.cards[0]);
  if (tr == TALLY_ACE_ROW) return r;
  const int s = tr - r.length + 2;
  if (s < 3) return r;
  if (s + r.length - 1 > TALLY_ACE_HIGH_ROW) return r;
  r.first = static_cast<uint8_t>(s);
  r.valid = true;
  return r;
}

bool RunComplete(const SearchHand& h, const RunTarget& r) {
  for (uint8_t k = 0; k < r.length; ++k) {
    if (RowTotal(h, r.first + k) < r.per) return false;
  }
  return true;
}

void TakeRun(const SearchHand& h, const RunTarget& r, tagPlayCandidate& c) {
  Clear(c);
  for (uint8_t k = 0; k < r.length; ++k) TakeFromRow(h, r.first + k, r.per, c);
}

uint8_t TakeRunUpTo(const SearchHand& h, const RunTarget& r, uint8_t limit, tagPlayCandidate& c) {
  Clear(c);
  for (uint8_t k = 0; k < r.length && c.count < limit; ++k) {
    const uint8_t room = static_cast<uint8_t>(limit - c.count);
    TakeFromRow(h, r.first + k, room < r.per ? room : r.per, c);
  }
  return c.count;
}

void ListRuns(ListContext& x) {
  const RunTarget r = TargetOf(x.turn);
  if (!r.valid) return;
  const SearchHand& h = x.hand;

  if (RunComplete(h, r)) {
    TakeRun(h, r, x.work);
    Offer(x.list, x.work, x.turn.count);
  }
  if (h.jokers == 0) return;

  const uint8_t n = static_cast<uint8_t>(r.length * r.per);
  if (h.jokers == 1) {
    if (TakeRunUpTo(h, r, n - 1, x.work) == n - 1) {
      Push(x.work, h.cards[0]);
      Offer(x.list, x.work, n);
    }
    return;
  }
  if (TakeRunUpTo(h, r, n - 1, x.work) == n - 1) {
    Push(x.work, r.per == 1 ? CARD_SMALL_JOKER : CARD_BIG_JOKER);
    Offer(x.list, x.work, n);
    return;
  }
  if (TakeRunUpTo(h, r, n - 2, x.work) == n - 2) {
    Push(x.work, CARD_BIG_JOKER);
    Push(x.work, CARD_SMALL_JOKER);
    Offer(x.list, x.work, n);
  }
}

struct FamilyGate {
  bool family;
  bool loop;
  int above;
};

FamilyGate GateOf(const SearchTurn& t, uint8_t code, uint8_t turnCard) {
  if (t.type > code) return {false, false, -1};
  if (t.type < code) return {true, true, -1};
  const uint8_t tr = RowOf(t.cards[turnCard]);
  if (tr == TALLY_TWO_ROW) return {false, false, -1};
  if (tr == TALLY_ACE_ROW) return {true, false, -1};
  return {true, true, tr};
}

void ListJokerBombs(ListContext& x, const FamilyGate& g, uint8_t size, uint8_t minRowCards) {
  const SearchHand& h = x.hand;
  if (!g.family || h.jokers == 0) return;
  const uint8_t withOne = static_cast<uint8_t>(size - 1);
  const uint8_t withBoth = static_cast<uint8_t>(size - 2);
  if (g.loop) {
    for (uint8_t r : kListBombRows) {
      if (static_cast<int>(r) <= g.above || RowTotal(h, r) < minRowCards) continue;
      if (h.jokers == 1) {
        x.RowWithJokers(r, withOne, h.cards[0]);
      } else {
        x.RowWithJokers(r, withOne, CARD_BIG_JOKER);
        x.RowWithJokers(r, withOne, CARD_SMALL_JOKER);
        x.RowWithJokers(r, withBoth, CARD_BIG_JOKER, CARD_SMALL_JOKER);
      }
    }
  }
  const uint8_t twos = RowTotal(h, TALLY_TWO_ROW);
  if (h.jokers == 1) {
    if (twos >= withOne) x.RowWithJokers(TALLY_TWO_ROW, withOne, h.cards[0]);
  } else {
    if (twos >= withOne) x.RowWithJokers(TALLY_TWO_ROW, withOne, CARD_BIG_JOKER);
    if (twos >= withOne) x.RowWithJokers(TALLY_TWO_ROW, withOne, CARD_SMALL_JOKER);
    if (twos >= withBoth) {
      x.RowWithJokers(TALLY_TWO_ROW, withBoth, CARD_BIG_JOKER, CARD_SMALL_JOKER);
    }
  }
}

void ListNaturalBombs(ListContext& x, const FamilyGate& g, uint8_t size) {
  if (!g.family) return;
  if (g.loop) {
    for (uint8_t r : kListBombRows) {
      if (static_cast<int>(r) > g.above && RowTotal(x.hand, r) >= size) x.RowWithJokers(r, size);
    }
  }
  if (RowTotal(x.hand, TALLY_TWO_ROW) >= size) x.RowWithJokers(TALLY_TWO_ROW, size);
}

void ListBombs(ListContext& x) {
  const SearchHand& h = x.hand;
  const SearchTurn& t = x.turn;
  ListJokerBombs(x, GateOf(t, PT_BOMB3_JOKER, 2), 3, 1);
  ListNaturalBombs(x, GateOf(t, PT_BOMB3, 0), 3);
  ListJokerBombs(x, GateOf(t, PT_BOMB4_JOKER, 2), 4, 3);
  ListNaturalBombs(x, GateOf(t, PT_BOMB4, 0), 4);

  if (h.jokers == 2 && t.type != PT_ROCKET) {
    Clear(x.work);
    Push(x.work, CARD_BIG_JOKER);
    Push(x.work, CARD_SMALL_JOKER);
    Offer(x.list, x.work, 2);
  }
}

bool Beats(const CLogic& logic, const SearchTurn& t, const tagPlayCandidate& c) {
  if (c.count == 0) return false;
  uint8_t sorted[MAX_CARDS];
  std::memcpy(sorted, c.cards, c.count);
  logic.SortCards(sorted, c.count, SORT_BY_RANK);
  return logic.CanBeat(t.cards, sorted, t.count, c.count);
}

bool BuildRow(const SearchHand& h, uint8_t row, uint8_t k, uint8_t joker, tagPlayCandidate& c) {
  Clear(c);
  if (TakeFromRow(h, row, k, c) != k) return false;
  if (joker != 0) Push(c, joker);
  return true;
}

bool FindSingle(const SearchHand& h, const SearchTurn& t, tagPlayCandidate& out) {
  const uint8_t beat = CardRank(t.cards[0]);
  for (uint8_t i = 0; i < h.count; ++i) {
    const uint8_t card = h.cards[i];
    if (!IsJokerCard(card) && CardRank(card) == beat + 1) {
      Clear(out);
      Push(out, card);
      return true;
    }
  }
  if (beat >= RANK_TWO) return false;
  for (uint8_t i = 0; i < h.count; ++i) {
    const uint8_t card = h.cards[i];
    if (!IsJokerCard(card) && CardRank(card) == RANK_TWO) {
      Clear(out);
      Push(out, card);
      return true;
    }
  }
  return false;
}

bool FindPair(const CLogic& logic, const SearchHand& h, const SearchTurn& t,
              tagPlayCandidate& out) {
  const uint8_t tr = RowOf(t.cards[1]);
  if (tr == TALLY_TWO_ROW || tr >= TALLY_ACE_HIGH_ROW) return false;
  const uint8_t next = tr + 1;
  if (IsJokerCard(t.cards[0])) {
    if (RowTotal(h, tr) >= 2 && BuildRow(h, tr, 2, 0, out)) return true;
    if (RowTotal(h, TALLY_TWO_ROW) >= 2 && BuildRow(h, TALLY_TWO_ROW, 2, 0, out)) return true;
  }
  if (RowTotal(h, next) >= 2 && BuildRow(h, next, 2, 0, out)) return true;
  if (RowTotal(h, TALLY_TWO_ROW) >= 2 && BuildRow(h, TALLY_TWO_ROW, 2, 0, out)) return true;
  if (IsJokerCard(h.cards[0])) {
    const uint8_t joker = h.cards[0];
    if (RowTotal(h, next) == 1 && tr != TALLY_ACE_HIGH_ROW && BuildRow(h, next, 1, joker, out) &&
        Beats(logic, t, out)) {
      return true;
    }
    const bool bigJoker = h.cards[0] == CARD_BIG_JOKER;
    if (RowTotal(h, TALLY_TWO_ROW) == 1 && bigJoker && BuildRow(h, TALLY_TWO_ROW, 1, joker, out) &&
        Beats(logic, t, out)) {
      return true;
    }
  }
  Clear(out);
  return false;
}

bool FindStraight(const SearchHand& h, const SearchTurn& t, tagPlayCandidate& out) {
  if (h.count < t.count) return false;
  const uint8_t beat = CardRank(t.cards[0]);
  for (int p = h.count - t.count; p >= 0; --p) {
    const uint8_t top = CardRank(h.cards[p]);
    if (top >= RANK_TWO) break;
    if (top <= beat) continue;
    Clear(out);
    uint8_t want = top;
    for (int i = p; i < h.count && out.count < t.count; ++i) {
      const uint8_t rank = CardRank(h.cards[i]);
      if (rank == want) {
        Push(out, h.cards[i]);
        --want;
      } else if (rank < want) {
        break;
      }
    }
    if (out.count == t.count) return true;
  }
  Clear(out);
  return false;
}

bool FindPairRun(const SearchHand& h, const SearchTurn& t, tagPlayCandidate& out) {
  const RunTarget r = TargetOf(t);
  if (r.valid && RunComplete(h, r)) {
    TakeRun(h, r, out);
    if (out.count == t.count) return true;
  }
  Clear(out);
  return false;
}

bool FindBomb(const CLogic& logic, const SearchHand& h, const SearchTurn& t,
              tagPlayCandidate& out) {
  const int turnRow = t.count > 0 ? RowOf(t.cards[0]) : -1;
  auto skipped = [&](uint8_t row, uint8_t fromType) {
    return t.type >= fromType && static_cast<int>(row) <= turnRow;
  };
  auto tryRows = [&](uint8_t holding, uint8_t take, uint8_t joker, uint8_t fromType) {
    for (uint8_t r : kFindBombRows) {
      if (skipped(r, fromType) || RowTotal(h, r) != holding) continue;
      if (BuildRow(h, r, take, joker, out) && Beats(logic, t, out)) return true;
    }
    return false;
  };

  if (t.type < PT_BOMB3 && h.jokers >= 1 && tryRows(2, 2, h.cards[0], PT_BOMB3_JOKER)) {
    return true;
  }
  if (t.type < PT_BOMB4_JOKER && tryRows(3, 3, 0, PT_BOMB3_JOKER)) return true;
  if (t.type < PT_BOMB4 && h.jokers == 1 && tryRows(3, 3, h.cards[0], PT_BOMB4_JOKER)) {
    return true;
  }
  if (t.type < PT_ROCKET && tryRows(4, 4, 0, PT_BOMB4_JOKER)) return true;
  if (h.jokers == 2 && t.type < PT_ROCKET) {
    Clear(out);
    Push(out, CARD_BIG_JOKER);
    Push(out, CARD_SMALL_JOKER);
    if (Beats(logic, t, out)) return true;
  }
  Clear(out);
  return false;
}

}  // namespace

bool CLogic::ListAnswers(const uint8_t hand[], uint8_t handCount, const uint8_t turn[],
                         uint8_t turnCount, std::vector<tagPlayCandidate>& list) const {
  list.clear();
  tagPlayCandidate scratch;
  Clear(scratch);

  SearchHand h;
  SearchTurn t;
  if (!Prepare(*this, hand, handCount, turn, turnCount, h, t)) return false;

  const uint8_t tt = t.type;
  if ((tt >= PT_PAIR && h.count < 2) || tt == PT_ROCKET) return false;

  if (t.count == 0 || tt == PT_INVALID) {
    if (h.count == 0) return false;
    FillLead(*this, h, scratch);
    list.push_back(scratch);
    return true;
  }

  ListContext x{h, t, scratch, list};
  switch (tt) {
    case PT_SINGLE:
      ListSingles(x);
      break;
    case PT_PAIR:
      ListPairs(x);
      break;
    case PT_SHUNZI:
    case PT_LIANDUI:
      ListRuns(x);
      break;
    default:
      break;
  }
  ListBombs(x);
  return !list.empty();
}

bool CLogic::FindAnswer(const uint8_t hand[], uint8_t handCount, const uint8_t turn[],
                        uint8_t turnCount, tagPlayCandidate& out) const {
  Clear(out);

  SearchHand h;
  SearchTurn t;
  if (!Prepare(*this, hand, handCount, turn, turnCount, h, t)) return false;

  if (t.count == 0) {
    if (h.count > 0) FillLead(*this, h, out);
    return true;
  }

  const uint8_t tt = t.type;
  if ((tt >= PT_PAIR && h.count < 2) || tt == PT_ROCKET) return false;

  bool found = false;
  switch (tt) {
    case PT_SINGLE:
      found = FindSingle(h, t, out);
      break;
    case PT_PAIR:
      found = FindPair(*this, h, t, out);
      break;
    case PT_SHUNZI:
      found = FindStraight(h, t, out);
      break;
    case PT_LIANDUI:
      found = FindPairRun(h, t, out);
      break;
    default:
      break;
  }
  return found || FindBomb(*this, h, t, out);
}

namespace {

void SortedCopy(const CLogic& logic, const uint8_t cards[], uint8_t count, uint8_t out[]) {
  std::memcpy(out, cards, count);
  logic.SortCards(out, count, SORT_BY_RANK);
}

}  // namespace

bool CheckPlay(const CLogic& logic, const uint8_t play[], uint8_t count, const Turn& turn,
               uint8_t sorted[], uint8_t resolved[], uint8_t& type) {
  if (count == 0 || count > MAX_CARDS || turn.count > MAX_CARDS) return false;
  uint8_t raw[MAX_CARDS];
  SortedCopy(logic, play, count, raw);

  uint8_t display[MAX_CARDS];
  logic.ResolveJokers(raw, count, display, turn.resolved, turn.count);
  logic.SortCards(display, count, SORT_BY_RANK);
  const uint8_t displayType = logic.ClassifyPlay(display, count);
  if (displayType == PT_INVALID) return false;

  if (turn.count > 0) {
    uint8_t turnRaw[MAX_CARDS];
    SortedCopy(logic, turn.cards, turn.count, turnRaw);
    const uint8_t turnType = logic.ClassifyPlay(turnRaw, turn.count);
    bool beats = false;
    if (turnType == PT_BOMB3_JOKER || turnType == PT_BOMB4_JOKER) {
      beats = logic.CanBeat(turnRaw, raw, turn.count, count);
    } else {
      uint8_t turnDisplay[MAX_CARDS];
      SortedCopy(logic, turn.resolved, turn.count, turnDisplay);
      beats = logic.CanBeat(turnDisplay, display, turn.count, count);
    }
    if (!beats) return false;
  }
  std::memcpy(sorted, raw, count);
  std::memcpy(resolved, display, count);
  type = displayType;
  return true;
}

const uint8_t* HintReference(const CLogic& logic, const Turn& turn) {
  if (turn.count == 0 || turn.count > MAX_CARDS) return turn.cards;
  uint8_t display[MAX_CARDS];
  SortedCopy(logic, turn.resolved, turn.count, display);
  const uint8_t type = logic.ClassifyPlay(display, turn.count);
  if (type != PT_SHUNZI && type != PT_LIANDUI) return turn.cards;
  uint8_t raw[MAX_CARDS];
  SortedCopy(logic, turn.cards, turn.count, raw);
  return IsJokerCard(raw[0]) ? turn.resolved : turn.cards;
}

// ---- The comparison -------------------------------------------------------------------------

namespace {

std::string Bytes(const uint8_t* cards, size_t count) {
  std::string text;
  char byte[4];
  for (size_t i = 0; i < count; ++i) {
    std::snprintf(byte, sizeof byte, i ? " %02X" : "%02X", cards[i]);
    text += byte;
  }
  return text;
}

std::string Record(const tagPlayCandidate& c) {
  return Bytes(reinterpret_cast<const uint8_t*>(&c), sizeof c);
}

class Comparison {
 public:
  void Note(const std::string& what, const std::string& fast, const std::string& ref) {
    if (fast != ref) m_text += what + ": fast " + fast + ", reference " + ref + "\n";
  }
  void Note(const std::string& what, int fast, int ref) {
    Note(what, std::to_string(fast), std::to_string(ref));
  }
  std::string Text() const { return m_text; }

 private:
  std::string m_text;
};

struct Buffer {
  uint8_t bytes[POSITION_ROOM];
  Buffer() { std::memset(bytes, 0xEE, sizeof bytes); }
  explicit Buffer(const uint8_t* cards, uint8_t count) : Buffer() {
    std::memcpy(bytes, cards, count < POSITION_ROOM ? count : POSITION_ROOM);
  }
  std::string Text() const { return Bytes(bytes, sizeof bytes); }
};

}  // namespace

std::string Differences(CGameLogic& fast, const Position& p) {
  CLogic ref;
  ref.singleJokerRule = p.rule;
  fast.SetSingleJokerRule(p.rule);
  Comparison diff;

  struct List {
    const char* name;
    const uint8_t* cards;
    uint8_t count;
    Buffer sorted;
  } lists[] = {{"hand", p.hand, p.handCount, {}},
               {"turn", p.turn, p.turnCount, {}},
               {"turn shown", p.turnResolved, p.turnCount, {}},
               {"play", p.play, p.playCount, {}}};
  for (List& l : lists) {
    const std::string name = l.name;
    Buffer a(l.cards, l.count), b(l.cards, l.count);
    fast.SortCards(a.bytes, l.count, SORT_BY_RANK);
    ref.SortCards(b.bytes, l.count, SORT_BY_RANK);
    diff.Note("sorted " + name, a.Text(), b.Text());
    l.sorted = b;
    diff.Note("type of " + name, fast.ClassifyPlay(l.cards, l.count),
              ref.ClassifyPlay(l.cards, l.count));
    diff.Note("type of sorted " + name, fast.ClassifyPlay(b.bytes, l.count),
              ref.ClassifyPlay(b.bytes, l.count));
  }
  const List &turn = lists[1], &play = lists[3];

  diff.Note("beats", fast.CanBeat(p.turn, p.play, p.turnCount, p.playCount),
            ref.CanBeat(p.turn, p.play, p.turnCount, p.playCount));
  diff.Note("sorted beats",
            fast.CanBeat(turn.sorted.bytes, play.sorted.bytes, p.turnCount, p.playCount),
            ref.CanBeat(turn.sorted.bytes, play.sorted.bytes, p.turnCount, p.playCount));

  const struct {
    const char* name;
    const uint8_t *cards, *turn;
    uint8_t turnCount;
  } resolves[] = {{"jokers leading", play.sorted.bytes, nullptr, 0},
                  {"jokers on the turn shown", play.sorted.bytes, p.turnResolved, p.turnCount},
                  {"jokers unsorted on the turn", p.play, p.turn, p.turnCount}};
  for (const auto& r : resolves) {
    Buffer a, b;
    const bool fastDone = fast.ResolveJokers(r.cards, p.playCount, a.bytes, r.turn, r.turnCount);
    const bool refDone = ref.ResolveJokers(r.cards, p.playCount, b.bytes, r.turn, r.turnCount);
    diff.Note(r.name, std::to_string(fastDone) + " " + a.Text(),
              std::to_string(refDone) + " " + b.Text());
  }

  std::vector<tagPlayCandidate> refList;
  for (const uint8_t* against : {p.turn, p.turnResolved}) {
    tagPlayCandidate scratch;
    const bool fastFound = fast.ListAnswers(p.hand, p.handCount, against, p.turnCount, scratch);
    const bool refFound = ref.ListAnswers(p.hand, p.handCount, against, p.turnCount, refList);
    std::string fastText = std::to_string(fastFound), refText = std::to_string(refFound);
    for (size_t i = 0; i < fast.GetAnswerCount(); ++i)
      fastText += " | " + Record(fast.GetAnswer(i));
    for (const tagPlayCandidate& c : refList) refText += " | " + Record(c);
    diff.Note(against == p.turn ? "list" : "list on the turn shown", fastText, refText);
  }

  tagPlayCandidate a, b;
  std::memset(&a, 0xAA, sizeof a);
  std::memset(&b, 0xAA, sizeof b);
  const bool fastFound = fast.FindAnswer(p.hand, p.handCount, p.turn, p.turnCount, a);
  const bool refFound = ref.FindAnswer(p.hand, p.handCount, p.turn, p.turnCount, b);
  diff.Note("find", std::to_string(fastFound) + " " + Record(a),
            std::to_string(refFound) + " " + Record(b));

  const tagTurn fastTurn = MakeTurn(p.turn, p.turnResolved, p.turnCount);
  Turn refTurn{};
  refTurn.count = fastTurn.count;
  std::memcpy(refTurn.cards, fastTurn.cards, MAX_CARDS);
  std::memcpy(refTurn.resolved, fastTurn.resolved, MAX_CARDS);
  Buffer sortedA, sortedB, resolvedA, resolvedB;
  uint8_t typeA = 0xEE, typeB = 0xEE;
  const bool legalA =
      CheckPlay(fast, p.play, p.playCount, fastTurn, sortedA.bytes, resolvedA.bytes, typeA);
  const bool legalB =
      CheckPlay(ref, p.play, p.playCount, refTurn, sortedB.bytes, resolvedB.bytes, typeB);
  diff.Note("check",
            std::to_string(legalA) + " " + sortedA.Text() + " / " + resolvedA.Text() + " / " +
                std::to_string(typeA),
            std::to_string(legalB) + " " + sortedB.Text() + " / " + resolvedB.Text() + " / " +
                std::to_string(typeB));
  diff.Note("hint reference is the display form",
            HintReference(fast, fastTurn) == fastTurn.resolved,
            HintReference(ref, refTurn) == refTurn.resolved);
  return diff.Text();
}

}  // namespace reference
