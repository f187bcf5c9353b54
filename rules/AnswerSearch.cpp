// The hint search: the list of plays that follow the play on the table, in a fixed order that
// repeated hint presses walk, and the single-answer fallback used when that list is empty.
//
// Both searches work on a copy of the hand sorted by rank (jokers first, big before small)
// and on its tally with the Ace row copied over row 13, so that row 13 stands for the Ace
// above the K. A card taken from row 13 is always written back as an Ace (face value 1).
// The play on the table is sorted too before it is classified or read by position: the
// turn a caller hands in may come in any order.
#include <cstring>
#include <vector>

#include "rules/GameLogic.h"

namespace {

// Rows of the bomb loops of the list: A, 3 .. K, A again; the 2s come after the loop.
constexpr uint8_t kListBombRows[] = {0, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13};
// Rows of the bomb loop of the single answer: A, 2, 3 .. K, A again.
constexpr uint8_t kFindBombRows[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13};

// One hand, ready for the search.
struct SearchHand {
  uint8_t cards[MAX_CARDS];  // sorted by rank; bytes past count are 0
  uint8_t count;
  uint8_t jokers;  // 0, 1 or 2, read from the first two cards
  tagCardTally tally;
};

// The play on the table, sorted by rank.
struct SearchTurn {
  uint8_t cards[MAX_CARDS];
  uint8_t count;
  uint8_t type;
};

// A hand that could not come from one deck (a byte that is no card, a card held twice)
// would make the search propose cards the player does not hold.
bool IsDeckHand(const uint8_t hand[], uint8_t count) {
  uint64_t seen = 0;
  for (uint8_t i = 0; i < count; ++i) {
    const int index = CardDeckIndex(hand[i]);
    if (index < 0 || (seen & (uint64_t{1} << index))) return false;
    seen |= uint64_t{1} << index;
  }
  return true;
}

// False (and nothing prepared) when the counts or the hand's bytes cannot be searched.
bool Prepare(const CGameLogic& logic, const uint8_t hand[], uint8_t handCount,
             const uint8_t turn[], uint8_t turnCount, SearchHand& h, SearchTurn& t) {
  // A count above 27 would overrun every card list.
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

// Row of a turn card: face value - 1 (13 and 14 for the jokers).
uint8_t RowOf(uint8_t card) {
  const uint8_t face = card & CARD_FACE_MASK;
  return face == 0 ? 0 : static_cast<uint8_t>(face - 1);
}

void Clear(tagPlayCandidate& c) { std::memset(&c, 0, sizeof(c)); }

// Appends one card; a full candidate stays as it is.
void Push(tagPlayCandidate& c, uint8_t card) {
  if (c.count < MAX_CARDS) c.cards[c.count++] = card;
}

// Takes up to k cards of a row, one per colour it holds, colours 0x00, 0x10, 0x20, 0x30 in
// this order. Row 13 is written as Aces. Returns the number taken.
uint8_t TakeFromRow(const SearchHand& h, uint8_t row, uint8_t k, tagPlayCandidate& c) {
  const uint8_t valueIndex = row == TALLY_ACE_HIGH_ROW ? TALLY_ACE_ROW : row;
  uint8_t taken = 0;
  for (uint8_t colour = 0; colour < 4 && taken < k && c.count < MAX_CARDS; ++colour) {
    if (h.tally.rows[row][colour] == 0) continue;
    Push(c, CGameLogic::ComposeCard(valueIndex, colour));
    ++taken;
  }
  return taken;
}

// The list takes a candidate only when it has exactly the card count its step names.
void Offer(std::vector<tagPlayCandidate>& list, const tagPlayCandidate& c, uint8_t wanted) {
  if (c.count == wanted) list.push_back(c);
}

// Everything the steps of the list read and write.
struct ListContext {
  const SearchHand& hand;
  const SearchTurn& turn;
  tagPlayCandidate& work;
  std::vector<tagPlayCandidate>& list;

  // Builds "k cards of a row, then the given jokers" and offers it with k + jokers cards.
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

// Leading: the whole hand when it is a play, else its lowest card.
void FillLead(const CGameLogic& logic, const SearchHand& h, tagPlayCandidate& c) {
  Clear(c);
  if (logic.ClassifyPlay(h.cards, h.count) != PT_INVALID) {
    for (uint8_t i = h.count; i > 0; --i) Push(c, h.cards[i - 1]);  // lowest first
  } else {
    Push(c, h.cards[h.count - 1]);
  }
}

// Following a single: every natural card one step higher (highest first), then every 2.
void ListSingles(ListContext& x) {
  const uint8_t beat = CGameLogic::GetCardRank(x.turn.cards[0]);
  for (uint8_t i = 0; i < x.hand.count; ++i) {
    const uint8_t card = x.hand.cards[i];
    if (!IsJokerCard(card) && CGameLogic::GetCardRank(card) == beat + 1) {
      Clear(x.work);
      Push(x.work, card);
      Offer(x.list, x.work, 1);
    }
  }
  // A 2 beats any lower single; it never beats a 2 or a joker played as a single.
  if (beat >= RANK_TWO) return;
  for (uint8_t i = 0; i < x.hand.count; ++i) {
    const uint8_t card = x.hand.cards[i];
    if (!IsJokerCard(card) && CGameLogic::GetCardRank(card) == RANK_TWO) {
      Clear(x.work);
      Push(x.work, card);
      Offer(x.list, x.work, 1);
    }
  }
}

// Following a pair. The pair's value is read from its second card: the natural card of a
// joker pair.
void ListPairs(ListContext& x) {
  const uint8_t tr = RowOf(x.turn.cards[1]);
  if (tr == TALLY_TWO_ROW) return;  // nothing but a bomb beats a pair of 2s
  if (tr >= TALLY_ACE_HIGH_ROW) return;
  const uint8_t next = tr + 1;
  const SearchHand& h = x.hand;

  // a. The next pair up.
  if (RowTotal(h, next) >= 2 && tr != TALLY_ACE_ROW) x.RowWithJokers(next, 2);
  // b. A pair of 2s.
  if (RowTotal(h, TALLY_TWO_ROW) >= 2) x.RowWithJokers(TALLY_TWO_ROW, 2);
  // c. Against a joker pair, the natural pair of the same value, then the 2s again.
  if (IsJokerCard(x.turn.cards[0]) || IsJokerCard(x.turn.cards[1])) {
    if (tr != TALLY_ACE_ROW && RowTotal(h, tr) >= 2) x.RowWithJokers(tr, 2);
    if (RowTotal(h, TALLY_TWO_ROW) >= 2) x.RowWithJokers(TALLY_TWO_ROW, 2);
  }
  // d. Both jokers: a lone card of the next value with either joker, then a 2 with either.
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
  // e. One joker: the next value with it, then a 2 with it.
  if (h.jokers == 1) {
    const uint8_t joker = h.cards[0];
    if (tr != TALLY_ACE_ROW && RowTotal(h, next) >= 1 && tr != TALLY_ACE_HIGH_ROW) {
      x.RowWithJokers(next, 1, joker);
    }
    if (RowTotal(h, TALLY_TWO_ROW) >= 1) x.RowWithJokers(TALLY_TWO_ROW, 1, joker);
  }
}

// The rows one step above a straight or a run of pairs: s .. s + length - 1.
struct RunTarget {
  bool valid;
  uint8_t per;     // cards per row: 1 straight, 2 pairs
  uint8_t length;  // rows
  uint8_t first;   // s
};

RunTarget TargetOf(const SearchTurn& t) {
  RunTarget r{false, 0, 0, 0};
  r.per = t.type == PT_SHUNZI ? 1 : 2;
  r.length = static_cast<uint8_t>(t.count / r.per);
  const int tr = RowOf(t.cards[0]);
  if (tr == TALLY_ACE_ROW) return r;  // nothing continues above an Ace
  const int s = tr - r.length + 2;
  if (s < 3) return r;
  // The target's top row is tr + 1, at most the Ace above the K.
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

// Takes per cards from each target row, lowest row first.
void TakeRun(const SearchHand& h, const RunTarget& r, tagPlayCandidate& c) {
  Clear(c);
  for (uint8_t k = 0; k < r.length; ++k) TakeFromRow(h, r.first + k, r.per, c);
}

// Walks the target rows from the lowest, up to per cards a row, until `limit` are taken.
uint8_t TakeRunUpTo(const SearchHand& h, const RunTarget& r, uint8_t limit, tagPlayCandidate& c) {
  Clear(c);
  for (uint8_t k = 0; k < r.length && c.count < limit; ++k) {
    const uint8_t room = static_cast<uint8_t>(limit - c.count);
    TakeFromRow(h, r.first + k, room < r.per ? room : r.per, c);
  }
  return c.count;
}

// Following a straight or consecutive pairs: the run one step higher, then the runs that
// jokers complete.
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
  // Both jokers: one of them fills a single gap; failing that, both fill two.
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

// How a bomb family of the list treats the turn: whether it runs at all, whether its row
// loop runs, and which rows qualify.
struct FamilyGate {
  bool family;  // false: the family is skipped entirely
  bool loop;    // false: only the 2s after the loop are tried
  int above;    // rows r > above qualify (-1: every row)
};

// `code` is the family's type; `turnCard` the position of the turn's natural card.
FamilyGate GateOf(const SearchTurn& t, uint8_t code, uint8_t turnCard) {
  if (t.type > code) return {false, false, -1};
  if (t.type < code) return {true, true, -1};
  const uint8_t tr = RowOf(t.cards[turnCard]);
  if (tr == TALLY_TWO_ROW) return {false, false, -1};  // nothing of this family beats the 2s
  // Against Aces the rows above row 0 are the lower values 3 .. K and the Ace again:
  // the loop has nothing to offer, only the 2s can beat them.
  if (tr == TALLY_ACE_ROW) return {true, false, -1};
  return {true, true, tr};
}

// A family of bombs made up with jokers, `size` cards each: in the loop, rows holding at least
// `minRowCards` cards give size - 1 of their cards with one joker (each joker in turn when the
// hand holds both) and size - 2 with both; then the 2s the same way.
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

// A family of natural bombs of `size` cards: each qualifying row holding that many, then the 2s.
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
  // a. Three cards made up with jokers, from rows holding any card.
  ListJokerBombs(x, GateOf(t, PT_BOMB3_JOKER, 2), 3, 1);
  // b. Three natural cards.
  ListNaturalBombs(x, GateOf(t, PT_BOMB3, 0), 3);
  // c. Four cards made up with jokers, from rows holding three or more.
  ListJokerBombs(x, GateOf(t, PT_BOMB4_JOKER, 2), 4, 3);
  // d. Four natural cards.
  ListNaturalBombs(x, GateOf(t, PT_BOMB4, 0), 4);

  // e. The rocket.
  if (h.jokers == 2 && t.type != PT_ROCKET) {
    Clear(x.work);
    Push(x.work, CARD_BIG_JOKER);
    Push(x.work, CARD_SMALL_JOKER);
    Offer(x.list, x.work, 2);
  }
}

// ---- Single answer ---------------------------------------------------------------------------

// True when the candidate, sorted, beats the turn.
bool Beats(const CGameLogic& logic, const SearchTurn& t, const tagPlayCandidate& c) {
  if (c.count == 0) return false;
  uint8_t sorted[MAX_CARDS];
  std::memcpy(sorted, c.cards, c.count);
  logic.SortCards(sorted, c.count, SORT_BY_RANK);
  return logic.CanBeat(t.cards, sorted, t.count, c.count);
}

// k cards of a row (Aces for row 13) and an optional joker, exactly k + joker cards.
bool BuildRow(const SearchHand& h, uint8_t row, uint8_t k, uint8_t joker, tagPlayCandidate& c) {
  Clear(c);
  if (TakeFromRow(h, row, k, c) != k) return false;
  if (joker != 0) Push(c, joker);
  return true;
}

bool FindSingle(const SearchHand& h, const SearchTurn& t, tagPlayCandidate& out) {
  const uint8_t beat = CGameLogic::GetCardRank(t.cards[0]);
  for (uint8_t i = 0; i < h.count; ++i) {
    const uint8_t card = h.cards[i];
    if (!IsJokerCard(card) && CGameLogic::GetCardRank(card) == beat + 1) {
      Clear(out);
      Push(out, card);
      return true;
    }
  }
  if (beat >= RANK_TWO) return false;
  for (uint8_t i = 0; i < h.count; ++i) {
    const uint8_t card = h.cards[i];
    if (!IsJokerCard(card) && CGameLogic::GetCardRank(card) == RANK_TWO) {
      Clear(out);
      Push(out, card);
      return true;
    }
  }
  return false;
}

bool FindPair(const CGameLogic& logic, const SearchHand& h, const SearchTurn& t,
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

// Following a straight: tops from low to high, the first complete run above the turn.
bool FindStraight(const SearchHand& h, const SearchTurn& t, tagPlayCandidate& out) {
  if (h.count < t.count) return false;
  const uint8_t beat = CGameLogic::GetCardRank(t.cards[0]);
  for (int p = h.count - t.count; p >= 0; --p) {
    const uint8_t top = CGameLogic::GetCardRank(h.cards[p]);
    if (top >= RANK_TWO) break;
    if (top <= beat) continue;
    Clear(out);
    uint8_t want = top;
    for (int i = p; i < h.count && out.count < t.count; ++i) {
      const uint8_t rank = CGameLogic::GetCardRank(h.cards[i]);
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

bool FindBomb(const CGameLogic& logic, const SearchHand& h, const SearchTurn& t,
              tagPlayCandidate& out) {
  const int turnRow = t.count > 0 ? RowOf(t.cards[0]) : -1;
  // Rows at or below the turn's first card are skipped once the turn is a bomb of the
  // family's size or more.
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

bool CGameLogic::ListAnswers(const uint8_t hand[], uint8_t handCount, const uint8_t turn[],
                             uint8_t turnCount, tagPlayCandidate& scratch) {
  m_answers.clear();
  Clear(scratch);

  SearchHand h;
  SearchTurn t;
  if (!Prepare(*this, hand, handCount, turn, turnCount, h, t)) return false;

  const uint8_t tt = t.type;
  if ((tt >= PT_PAIR && h.count < 2) || tt == PT_ROCKET) return false;

  if (t.count == 0 || tt == PT_INVALID) {
    if (h.count == 0) return false;
    FillLead(*this, h, scratch);
    m_answers.push_back(scratch);
    return true;
  }

  ListContext x{h, t, scratch, m_answers};
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
  return !m_answers.empty();
}

bool CGameLogic::FindAnswer(const uint8_t hand[], uint8_t handCount, const uint8_t turn[],
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
