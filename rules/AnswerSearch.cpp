// The hint search: the list of plays that follow the play on the table, in a fixed order that
// repeated hint presses walk, and the single-answer fallback used when that list is empty.
//
// Both searches read the hand through one pass over its cards: per tally row (face value - 1)
// the colours it holds as four bits, with row 13 repeating the Aces as the Ace above the K (a
// card taken from row 13 is written as an Ace), the logic values it holds, and its cards as
// rank-order slots (RankOrder.h), whose bits read from the top are the hand sorted by rank. The
// play on the table is sorted before it is classified or read by position: the turn a caller
// hands in may come in any order. Candidates are written straight into the caller's array;
// nothing is allocated.
#include <array>
#include <bit>
#include <cstring>

#include "rules/GameLogic.h"
#include "rules/RankOrder.h"

namespace {

// Rows of the bomb loops of the list: A, 3 .. K, A again; the 2s come after the loop.
constexpr uint8_t kListBombRows[] = {0, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13};
// Rows of the bomb loop of the single answer: A, 2, 3 .. K, A again.
constexpr uint8_t kFindBombRows[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13};
constexpr size_t kSearchRows = TALLY_ACE_HIGH_ROW + 1;

// One hand, ready for the search.
struct SearchHand {
  uint64_t slots;             // the cards as rank-order slots
  uint16_t values;            // bit v: a natural card of logic value v is held
  uint8_t rows[kSearchRows];  // bit c: the card of colour index c is held
  uint8_t count;
  uint8_t jokers;      // 0, 1 or 2
  uint8_t firstJoker;  // the first card of the hand sorted by rank if it is a joker, else 0
};

// The play on the table, sorted by rank.
struct SearchTurn {
  uint8_t cards[MAX_CARDS];
  uint8_t count;
  uint8_t type;
};

// False (and nothing prepared) when the counts or the hand's bytes cannot be searched. A hand
// that could not come from one deck (a byte that is no card, a card held twice) would make the
// search propose cards the player does not hold.
bool Prepare(const CGameLogic& logic, const uint8_t hand[], uint8_t handCount, const uint8_t turn[],
             uint8_t turnCount, SearchHand& h, SearchTurn& t) {
  // A count above 27 would overrun every card list.
  if (handCount > MAX_CARDS || turnCount > MAX_CARDS) return false;
  if (handCount > 0 && hand == nullptr) return false;
  if (turnCount > 0 && turn == nullptr) return false;

  h = SearchHand{};
  for (uint8_t i = 0; i < handCount; ++i) {
    const uint8_t card = hand[i];
    const uint8_t slot = CardSlot(card);
    if (slot == NO_SLOT || (h.slots & SlotBit(slot)) != 0) return false;
    h.slots |= SlotBit(slot);
    if (IsJokerCard(card)) continue;
    h.rows[(card & CARD_FACE_MASK) - 1] |= static_cast<uint8_t>(1u << (card >> 4));
    h.values |= static_cast<uint16_t>(1u << CardRank(card));
  }
  h.rows[TALLY_ACE_HIGH_ROW] = h.rows[TALLY_ACE_ROW];
  h.count = handCount;
  h.jokers =
      static_cast<uint8_t>((h.slots >> SLOT_SMALL_JOKER & 1) + (h.slots >> SLOT_BIG_JOKER & 1));
  if (h.jokers > 0) h.firstJoker = SlotCard(TopSlot(h.slots));

  std::memset(t.cards, 0, sizeof(t.cards));
  if (turnCount > 0) std::memcpy(t.cards, turn, turnCount);
  t.count = turnCount;
  logic.SortCards(t.cards, t.count, SORT_BY_RANK);
  t.type = logic.ClassifyPlay(t.cards, t.count);
  return true;
}

uint8_t RowTotal(const SearchHand& h, uint8_t row) {
  constexpr uint8_t kColours[16] = {0, 1, 1, 2, 1, 2, 2, 3, 1, 2, 2, 3, 2, 3, 3, 4};
  return kColours[h.rows[row]];
}

// Row of a turn card: face value - 1 (13 and 14 for the jokers).
uint8_t RowOf(uint8_t card) {
  const uint8_t face = card & CARD_FACE_MASK;
  return face == 0 ? 0 : static_cast<uint8_t>(face - 1);
}

// Row of a natural logic value 3 .. 15.
uint8_t RowOfRank(uint8_t rank) {
  if (rank == RANK_ACE) return TALLY_ACE_ROW;
  return rank == RANK_TWO ? TALLY_TWO_ROW : static_cast<uint8_t>(rank - 1);
}

uint8_t RowCard(uint8_t row, uint8_t colour) {
  const uint8_t valueIndex = row == TALLY_ACE_HIGH_ROW ? TALLY_ACE_ROW : row;
  return CGameLogic::ComposeCard(valueIndex, colour);
}

// The cards of a row in colour order, one per byte from the lowest: the cards TakeFromRow takes.
uint32_t RowCards(const SearchHand& h, uint8_t row) {
  // Per colour mask, the colours held (colour index * 16) from the lowest byte up.
  constexpr auto kColourBytes = [] {
    std::array<uint32_t, 16> bytes{};
    for (unsigned mask = 0; mask < 16; ++mask) {
      int at = 0;
      for (uint32_t colour = 0; colour < 4; ++colour) {
        if (mask >> colour & 1) bytes[mask] |= colour << 4 << 8 * at++;
      }
    }
    return bytes;
  }();
  // Bytes past the colours held read as the face alone; the caller takes no more than are held.
  const uint32_t face = row == TALLY_ACE_HIGH_ROW ? 1u : row + 1u;
  return kColourBytes[h.rows[row]] + face * 0x01010101u;
}

void Clear(tagPlayCandidate& c) { std::memset(&c, 0, sizeof(c)); }

// Appends one card; a full candidate stays as it is.
void Push(tagPlayCandidate& c, uint8_t card) {
  if (c.count < MAX_CARDS) c.cards[c.count++] = card;
}

// Takes up to k cards of a row, one per colour it holds, colours 0x00, 0x10, 0x20, 0x30 in
// this order. Row 13 is written as Aces. Returns the number taken.
uint8_t TakeFromRow(const SearchHand& h, uint8_t row, uint8_t k, tagPlayCandidate& c) {
  uint8_t taken = 0;
  for (unsigned colours = h.rows[row]; colours != 0 && taken < k && c.count < MAX_CARDS;
       colours &= colours - 1) {
    Push(c, RowCard(row, static_cast<uint8_t>(std::countr_zero(colours))));
    ++taken;
  }
  return taken;
}

// The list being written: a candidate is built in the next free record and kept only when it
// has exactly the card count its step names.
class AnswerList {
 public:
  AnswerList(const SearchHand& hand, tagPlayCandidate answers[]) : m_hand(hand), m_items(answers) {}
  size_t Count() const { return m_count; }

  // A fresh record for the next candidate. MAX_ANSWERS bounds every list; were it reached, the
  // rest would be built aside and dropped.
  tagPlayCandidate& Next() {
    tagPlayCandidate& c = m_count < MAX_ANSWERS ? m_items[m_count] : m_spare;
    Clear(c);
    return c;
  }
  void Keep(uint8_t wanted) {
    if (m_count < MAX_ANSWERS && m_items[m_count].count == wanted) ++m_count;
  }
  // "k cards of a row, then the given jokers", kept with k + jokers cards (at most four: a bomb).
  void RowWithJokers(uint8_t row, uint8_t k, uint8_t joker1 = 0, uint8_t joker2 = 0) {
    if (RowTotal(m_hand, row) < k) return;  // it would come up short
    uint64_t cards = RowCards(m_hand, row) & ((uint64_t{1} << 8 * k) - 1);
    uint8_t count = k;
    if (joker1 != 0) cards |= uint64_t{joker1} << 8 * count++;
    if (joker2 != 0) cards |= uint64_t{joker2} << 8 * count++;
    tagPlayCandidate& c = Next();
    c.count = count;
    for (int i = 0; i < 4; ++i) c.cards[i] = static_cast<uint8_t>(cards >> 8 * i);  // 0 past count
    Keep(count);
  }
  // Each card of a row as a single, highest colour first.
  void Singles(uint8_t row) {
    for (int colour = 3; colour >= 0; --colour) {
      if ((m_hand.rows[row] >> colour & 1) == 0) continue;
      Push(Next(), RowCard(row, static_cast<uint8_t>(colour)));
      Keep(1);
    }
  }

 private:
  const SearchHand& m_hand;
  tagPlayCandidate* m_items;
  size_t m_count = 0;
  tagPlayCandidate m_spare;
};

// Everything the steps of the list read and write.
struct ListContext {
  const SearchHand& hand;
  const SearchTurn& turn;
  AnswerList& list;
};

// The hand sorted by rank, from its slots.
void SortedHand(const SearchHand& h, uint8_t cards[]) {
  uint8_t i = 0;
  for (uint64_t slots = h.slots; slots != 0; slots ^= SlotBit(TopSlot(slots))) {
    cards[i++] = SlotCard(TopSlot(slots));
  }
}

// Leading: the whole hand when it is a play, else its lowest card. A hand longer than any play
// is none.
void FillLead(const CGameLogic& logic, const SearchHand& h, tagPlayCandidate& c) {
  Clear(c);
  if (h.count <= MAX_PLAY_CARDS) {
    uint8_t sorted[MAX_CARDS] = {};
    SortedHand(h, sorted);
    if (logic.ClassifyPlay(sorted, h.count) != PT_INVALID) {
      for (uint8_t i = h.count; i > 0; --i) Push(c, sorted[i - 1]);  // lowest first
      return;
    }
  }
  Push(c, SlotCard(static_cast<uint8_t>(std::countr_zero(h.slots))));
}

// Following a single: every natural card one step higher (highest colour first), then every 2.
void ListSingles(ListContext& x) {
  const uint8_t beat = CardRank(x.turn.cards[0]);
  if (beat + 1 <= RANK_TWO) x.list.Singles(RowOfRank(static_cast<uint8_t>(beat + 1)));
  // A 2 beats any lower single; it never beats a 2 or a joker played as a single.
  if (beat >= RANK_TWO) return;
  x.list.Singles(TALLY_TWO_ROW);
}

// Following a pair. The pair's value is read from its second card: the natural card of a
// joker pair.
void ListPairs(ListContext& x) {
  const uint8_t tr = RowOf(x.turn.cards[1]);
  if (tr == TALLY_TWO_ROW) return;  // nothing but a bomb beats a pair of 2s
  if (tr >= TALLY_ACE_HIGH_ROW) return;
  const uint8_t next = tr + 1;
  const SearchHand& h = x.hand;
  AnswerList& list = x.list;

  // a. The next pair up.
  if (tr != TALLY_ACE_ROW) list.RowWithJokers(next, 2);
  // b. A pair of 2s.
  list.RowWithJokers(TALLY_TWO_ROW, 2);
  // c. Against a joker pair, the natural pair of the same value, then the 2s again.
  if (IsJokerCard(x.turn.cards[0]) || IsJokerCard(x.turn.cards[1])) {
    if (tr != TALLY_ACE_ROW) list.RowWithJokers(tr, 2);
    list.RowWithJokers(TALLY_TWO_ROW, 2);
  }
  // d. Both jokers: a lone card of the next value with either joker, then a 2 with either.
  if (h.jokers == 2) {
    if (tr != TALLY_ACE_ROW && RowTotal(h, next) == 1) {
      list.RowWithJokers(next, 1, CARD_BIG_JOKER);
      list.RowWithJokers(next, 1, CARD_SMALL_JOKER);
    }
    list.RowWithJokers(TALLY_TWO_ROW, 1, CARD_BIG_JOKER);
    list.RowWithJokers(TALLY_TWO_ROW, 1, CARD_SMALL_JOKER);
  }
  // e. One joker: the next value with it, then a 2 with it.
  if (h.jokers == 1) {
    if (tr != TALLY_ACE_ROW) list.RowWithJokers(next, 1, h.firstJoker);
    list.RowWithJokers(TALLY_TWO_ROW, 1, h.firstJoker);
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
    TakeRun(h, r, x.list.Next());
    x.list.Keep(x.turn.count);
  }
  if (h.jokers == 0) return;

  const uint8_t n = static_cast<uint8_t>(r.length * r.per);
  if (h.jokers == 1) {
    tagPlayCandidate& c = x.list.Next();
    if (TakeRunUpTo(h, r, n - 1, c) == n - 1) {
      Push(c, h.firstJoker);
      x.list.Keep(n);
    }
    return;
  }
  // Both jokers: one of them fills a single gap; failing that, both fill two.
  tagPlayCandidate& c = x.list.Next();
  if (TakeRunUpTo(h, r, n - 1, c) == n - 1) {
    Push(c, r.per == 1 ? CARD_SMALL_JOKER : CARD_BIG_JOKER);
    x.list.Keep(n);
    return;
  }
  if (TakeRunUpTo(h, r, n - 2, c) == n - 2) {
    Push(c, CARD_BIG_JOKER);
    Push(c, CARD_SMALL_JOKER);
    x.list.Keep(n);
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
  AnswerList& list = x.list;
  const uint8_t withOne = static_cast<uint8_t>(size - 1);
  const uint8_t withBoth = static_cast<uint8_t>(size - 2);
  if (g.loop) {
    for (uint8_t r : kListBombRows) {
      if (static_cast<int>(r) <= g.above || RowTotal(h, r) < minRowCards) continue;
      if (h.jokers == 1) {
        list.RowWithJokers(r, withOne, h.firstJoker);
      } else {
        list.RowWithJokers(r, withOne, CARD_BIG_JOKER);
        list.RowWithJokers(r, withOne, CARD_SMALL_JOKER);
        list.RowWithJokers(r, withBoth, CARD_BIG_JOKER, CARD_SMALL_JOKER);
      }
    }
  }
  if (h.jokers == 1) {
    list.RowWithJokers(TALLY_TWO_ROW, withOne, h.firstJoker);
  } else {
    list.RowWithJokers(TALLY_TWO_ROW, withOne, CARD_BIG_JOKER);
    list.RowWithJokers(TALLY_TWO_ROW, withOne, CARD_SMALL_JOKER);
    list.RowWithJokers(TALLY_TWO_ROW, withBoth, CARD_BIG_JOKER, CARD_SMALL_JOKER);
  }
}

// A family of natural bombs of `size` cards: each qualifying row holding that many, then the 2s.
void ListNaturalBombs(ListContext& x, const FamilyGate& g, uint8_t size) {
  if (!g.family) return;
  if (g.loop) {
    for (uint8_t r : kListBombRows) {
      if (static_cast<int>(r) > g.above) x.list.RowWithJokers(r, size);
    }
  }
  x.list.RowWithJokers(TALLY_TWO_ROW, size);
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
    tagPlayCandidate& c = x.list.Next();
    Push(c, CARD_BIG_JOKER);
    Push(c, CARD_SMALL_JOKER);
    x.list.Keep(2);
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

// The first card of the hand sorted by rank among a row's: its highest colour.
bool FirstOfRow(const SearchHand& h, uint8_t row, tagPlayCandidate& out) {
  if (h.rows[row] == 0) return false;
  Clear(out);
  Push(out, RowCard(row, static_cast<uint8_t>(31 - std::countl_zero(unsigned{h.rows[row]}))));
  return true;
}

bool FindSingle(const SearchHand& h, const SearchTurn& t, tagPlayCandidate& out) {
  const uint8_t beat = CardRank(t.cards[0]);
  if (beat + 1 <= RANK_TWO && FirstOfRow(h, RowOfRank(static_cast<uint8_t>(beat + 1)), out)) {
    return true;
  }
  if (beat >= RANK_TWO) return false;
  return FirstOfRow(h, TALLY_TWO_ROW, out);
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
  if (h.firstJoker != 0) {
    const uint8_t joker = h.firstJoker;
    if (RowTotal(h, next) == 1 && BuildRow(h, next, 1, joker, out) && Beats(logic, t, out)) {
      return true;
    }
    const bool bigJoker = joker == CARD_BIG_JOKER;
    if (RowTotal(h, TALLY_TWO_ROW) == 1 && bigJoker && BuildRow(h, TALLY_TWO_ROW, 1, joker, out) &&
        Beats(logic, t, out)) {
      return true;
    }
  }
  Clear(out);
  return false;
}

// Following a straight: the first run above the turn, its top tried from low to high. Its top
// card is the lowest colour of the top value (the first such card met walking the sorted hand
// upwards), each card below it the highest colour of its value. A top that is a 2 or a joker
// ends the search.
bool FindStraight(const SearchHand& h, const SearchTurn& t, tagPlayCandidate& out) {
  Clear(out);
  if (h.count < t.count) return false;
  const int length = t.count;
  const uint16_t run = static_cast<uint16_t>((1u << length) - 1);
  for (int top = CardRank(t.cards[0]) + 1; top <= RANK_ACE; ++top) {
    const int low = top - length + 1;
    if (low < RANK_THREE || (h.values >> low & run) != run) continue;
    const uint8_t topRow = RowOfRank(static_cast<uint8_t>(top));
    Push(out, RowCard(topRow, static_cast<uint8_t>(std::countr_zero(unsigned{h.rows[topRow]}))));
    for (int value = top - 1; value >= low; --value) {
      const uint8_t row = RowOfRank(static_cast<uint8_t>(value));
      Push(out, RowCard(row, static_cast<uint8_t>(31 - std::countl_zero(unsigned{h.rows[row]}))));
    }
    return true;
  }
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

  if (t.type < PT_BOMB3 && h.jokers >= 1 && tryRows(2, 2, h.firstJoker, PT_BOMB3_JOKER)) {
    return true;
  }
  if (t.type < PT_BOMB4_JOKER && tryRows(3, 3, 0, PT_BOMB3_JOKER)) return true;
  if (t.type < PT_BOMB4 && h.jokers == 1 && tryRows(3, 3, h.firstJoker, PT_BOMB4_JOKER)) {
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

size_t CGameLogic::ListAnswersTo(const uint8_t hand[], uint8_t handCount, const uint8_t turn[],
                                 uint8_t turnCount, tagPlayCandidate answers[]) const {
  SearchHand h;
  SearchTurn t;
  if (!Prepare(*this, hand, handCount, turn, turnCount, h, t)) return 0;

  const uint8_t tt = t.type;
  if ((tt >= PT_PAIR && h.count < 2) || tt == PT_ROCKET) return 0;

  if (t.count == 0 || tt == PT_INVALID) {
    if (h.count == 0) return 0;
    FillLead(*this, h, answers[0]);
    return 1;
  }

  AnswerList list(h, answers);
  ListContext x{h, t, list};
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
  return list.Count();
}

bool CGameLogic::ListAnswers(const uint8_t hand[], uint8_t handCount, const uint8_t turn[],
                             uint8_t turnCount, tagPlayCandidate& scratch) {
  Clear(scratch);
  m_answerCount = ListAnswersTo(hand, handCount, turn, turnCount, m_answers);
  return m_answerCount > 0;
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
