// Card rules, case by case: the card byte, ordering and analysis of lists, play types,
// comparison of two plays and jokers standing in for natural cards.
#include <gtest/gtest.h>

#include <cstring>

#include "rules/GameLogic.h"
#include "tests/rules/card_list_util.h"

namespace {

using cardtest::Cards;
using cardtest::Count;
using cardtest::Hex;

TEST(CardByte, LogicValueFaceColourAndComposition) {
  const struct {
    uint8_t card, rank;
  } ranks[] = {
      {0x01, 14}, {0x02, 15}, {0x03, 3},  {0x0D, 13}, {0x4E, 16}, {0x4F, 17},
      {0x00, 0},  {0x31, 14}, {0x22, 15}, {0x1A, 10}, {0x3B, 11},
  };
  for (const auto& c : ranks) EXPECT_EQ(CGameLogic::GetCardRank(c.card), c.rank) << Hex(&c.card, 1);

  EXPECT_EQ(CGameLogic::GetCardSuit(0x4E), 0x40);
  EXPECT_EQ(CGameLogic::GetCardFace(0x4E), 14);
  EXPECT_EQ(CGameLogic::GetCardSuit(0x3D), 0x30);
  EXPECT_EQ(CGameLogic::GetCardFace(0x3D), 13);

  EXPECT_EQ(CGameLogic::ComposeCard(12, 3), 0x3D);
  EXPECT_EQ(CGameLogic::ComposeCard(0, 2), 0x21);
  // Every card of the deck is its face and colour index put back together.
  for (uint8_t card : CARD_DECK) {
    EXPECT_EQ(CGameLogic::ComposeCard((card & 0x0F) - 1, card >> 4), card) << Hex(&card, 1);
  }
}

// Every byte: a deck index exactly for the 54 cards, each its place in the deck, and a rank
// that is 0 only for the bytes without a face value.
TEST(CardByte, DeckIndexOfEveryByte) {
  const struct {
    uint8_t card;
    int index;
  } named[] = {{0x01, 0},  {0x0D, 12}, {0x11, 13}, {0x3D, 51}, {0x4E, 52}, {0x4F, 53},
               {0x00, -1}, {0x0E, -1}, {0x10, -1}, {0x40, -1}, {0x41, -1}, {0x4D, -1},
               {0x50, -1}, {0x5E, -1}, {0xCE, -1}, {0xFF, -1}};
  for (const auto& c : named) EXPECT_EQ(CardDeckIndex(c.card), c.index) << Hex(&c.card, 1);
  int seen[DECK_SIZE] = {};
  for (int b = 0; b < 256; ++b) {
    const uint8_t card = static_cast<uint8_t>(b);
    const int index = CardDeckIndex(card);
    EXPECT_EQ(index >= 0, IsValidCard(card)) << Hex(&card, 1);
    if (index >= 0) {
      ASSERT_LT(index, DECK_SIZE);
      EXPECT_EQ(CARD_DECK[index], card);
      ++seen[index];
    }
    EXPECT_EQ(CardRank(card), CGameLogic::GetCardRank(card));
  }
  for (int count : seen) EXPECT_EQ(count, 1);
}

TEST(CardLists, SortCards) {
  const struct {
    const char* name;
    Cards in;
    uint8_t mode;
    Cards out;
  } cases[] = {
      {"jokers, 2s, As, then K..3",
       {0x03, 0x4E, 0x21, 0x01, 0x4F, 0x32},
       SORT_BY_RANK,
       {0x4F, 0x4E, 0x32, 0x21, 0x01, 0x03}},
      {"equal values: larger byte first",
       {0x07, 0x27, 0x0D, 0x17, 0x37},
       SORT_BY_RANK,
       {0x0D, 0x37, 0x27, 0x17, 0x07}},
      {"blocks: three 5s, two 9s, K, 3",
       {0x13, 0x05, 0x09, 0x0D, 0x35, 0x29, 0x15},
       SORT_BY_BLOCKS,
       {0x35, 0x15, 0x05, 0x29, 0x09, 0x0D, 0x13}},
      {"blocks: four before three, jokers are singles",
       {0x03, 0x4E, 0x13, 0x2A, 0x23, 0x33, 0x4F, 0x0A, 0x1A, 0x02},
       SORT_BY_BLOCKS,
       {0x33, 0x23, 0x13, 0x03, 0x2A, 0x1A, 0x0A, 0x4F, 0x4E, 0x02}},
      {"any mode but 1 sorts by rank", {0x05, 0x15, 0x09}, 7, {0x09, 0x15, 0x05}},
      // Five equal values need duplicate bytes; the blocks then miss cards, so the rank
      // order stays rather than a shortened or padded list.
      {"run of five keeps rank order",
       {0x05, 0x09, 0x15, 0x05, 0x25, 0x35, 0x17, 0x07},
       SORT_BY_BLOCKS,
       {0x09, 0x17, 0x07, 0x35, 0x25, 0x15, 0x05, 0x05}},
  };
  CGameLogic logic;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Cards cards = c.in;
    logic.SortCards(cards.data(), Count(cards), c.mode);
    EXPECT_EQ(Hex(cards), Hex(c.out));
  }
}

TEST(CardLists, SplitIntoBlocks) {
  const struct {
    const char* name;
    Cards in;
    Cards fours, threes, pairs, singles;
  } cases[] = {
      {"both jokers are singles",
       {0x4F, 0x4E, 0x32, 0x22, 0x01},
       {},
       {},
       {0x32, 0x22},
       {0x4F, 0x4E, 0x01}},
      {"groups in input order",
       {0x32, 0x22, 0x12, 0x02, 0x1D, 0x0D, 0x2B, 0x1B, 0x0B, 0x09, 0x36, 0x26},
       {0x32, 0x22, 0x12, 0x02},
       {0x2B, 0x1B, 0x0B},
       {0x1D, 0x0D, 0x36, 0x26},
       {0x09}},
      {"run of five is dropped",
       {0x09, 0x17, 0x07, 0x35, 0x25, 0x15, 0x05, 0x05},
       {},
       {},
       {0x17, 0x07},
       {0x09}},
      {"only adjacent values form runs", {0x05, 0x09, 0x15}, {}, {}, {}, {0x05, 0x09, 0x15}},
  };
  CGameLogic logic;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    tagCardBlocks blocks;
    std::memset(&blocks, 0xAA, sizeof blocks);  // stale contents must not survive
    logic.SplitIntoBlocks(c.in.data(), Count(c.in), blocks);
    EXPECT_EQ(blocks.fourCount * 4u, c.fours.size());
    EXPECT_EQ(blocks.threeCount * 3u, c.threes.size());
    EXPECT_EQ(blocks.doubleCount * 2u, c.pairs.size());
    EXPECT_EQ(blocks.singleCount * 1u, c.singles.size());
    EXPECT_EQ(Hex(blocks.fourCards, c.fours.size()), Hex(c.fours));
    EXPECT_EQ(Hex(blocks.threeCards, c.threes.size()), Hex(c.threes));
    EXPECT_EQ(Hex(blocks.doubleCards, c.pairs.size()), Hex(c.pairs));
    EXPECT_EQ(Hex(blocks.singleCards, c.singles.size()), Hex(c.singles));
  }
}

TEST(CardLists, TallyCountsCardsAndSkipsOtherBytes) {
  // 0x3E, 0x4D, 0x10 look like cards by one nibble; 0x5F and 0xFF would index past a row.
  const Cards cards = {0x4F, 0x00, 0x4E, 0x3E, 0x01, 0x5F, 0x21, 0xFF, 0x02, 0x4D, 0x0D, 0x10};
  tagCardTally expected{};
  expected.cardCount = 6;
  expected.rows[0][0] = expected.rows[0][2] = 1;  // two As
  expected.rows[0][TALLY_TOTAL] = 2;
  expected.rows[1][0] = expected.rows[1][TALLY_TOTAL] = 1;    // 2
  expected.rows[12][0] = expected.rows[12][TALLY_TOTAL] = 1;  // K
  expected.rows[13][4] = expected.rows[13][TALLY_TOTAL] = 1;  // small joker
  expected.rows[14][4] = expected.rows[14][TALLY_TOTAL] = 1;  // big joker

  tagCardTally tally;
  std::memset(&tally, 0xAA, sizeof tally);
  CGameLogic().TallyCards(cards.data(), Count(cards), tally);
  EXPECT_EQ(Hex(reinterpret_cast<const uint8_t*>(&tally), sizeof tally),
            Hex(reinterpret_cast<const uint8_t*>(&expected), sizeof expected));
}

TEST(CardLists, RemoveCard) {
  const struct {
    const char* name;
    Cards remove, hand;
    bool ok;
    Cards after;  // the first handCount - removeCount cards when ok
  } cases[] = {
      {"rest keeps its order",
       {0x09, 0x4F},
       {0x4F, 0x32, 0x09, 0x07, 0x03},
       true,
       {0x32, 0x07, 0x03}},
      {"one copy per requested card", {0x05}, {0x05, 0x07, 0x05}, true, {0x07, 0x05}},
      {"two requests take two copies", {0x05, 0x05}, {0x05, 0x07, 0x05}, true, {0x07}},
      {"requested twice, held once", {0x07, 0x07}, {0x05, 0x07, 0x05}, false, {}},
      {"absent card", {0x08}, {0x05, 0x07}, false, {}},
      {"same face, other colour", {0x17}, {0x07, 0x27}, false, {}},
      {"more to remove than held", {0x05, 0x07, 0x09}, {0x05, 0x07}, false, {}},
      {"nothing to remove", {}, {0x05}, true, {0x05}},
      {"byte 0 is never held", {0x05, 0x00}, {0x05, 0x07}, false, {}},
      {"whole hand", {0x03, 0x4F}, {0x4F, 0x03}, true, {}},
  };
  CGameLogic logic;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Cards hand = c.hand;
    EXPECT_EQ(logic.RemoveCard(c.remove.data(), Count(c.remove), hand.data(), Count(hand)), c.ok);
    if (c.ok) {
      EXPECT_EQ(Hex(hand.data(), c.hand.size() - c.remove.size()), Hex(c.after));
    } else {
      EXPECT_EQ(Hex(hand), Hex(c.hand));
    }
  }
}

TEST(Plays, ClassifyPlay) {
  const struct {
    const char* name;
    Cards cards;  // as passed: sorted by rank unless the case says otherwise
    uint8_t type;
    uint8_t jokerRule = 0;
  } cases[] = {
      {"nothing", {}, PT_INVALID},
      {"natural single", {0x22}, PT_SINGLE},
      {"lone joker, rule 0", {0x4E}, PT_INVALID},
      {"lone joker, rule 1", {0x4F}, PT_SINGLE, 1},
      {"lone joker, rule 2 is not 1", {0x4E}, PT_INVALID, 2},
      {"rocket", {0x4F, 0x4E}, PT_ROCKET},
      {"jokers unsorted are a joker pair", {0x4E, 0x4F}, PT_PAIR},
      {"natural pair", {0x32, 0x02}, PT_PAIR},
      {"joker pairs with any card", {0x4E, 0x05}, PT_PAIR},
      {"two values", {0x06, 0x05}, PT_INVALID},
      {"three of a value", {0x35, 0x25, 0x05}, PT_BOMB3},
      {"two jokers and a card", {0x4F, 0x4E, 0x05}, PT_BOMB3_JOKER},
      {"joker and a pair", {0x4E, 0x25, 0x15}, PT_BOMB3_JOKER},
      {"joker and two values", {0x4E, 0x36, 0x05}, PT_INVALID},
      {"four of a value", {0x3A, 0x2A, 0x1A, 0x0A}, PT_BOMB4},
      {"joker and three of a value", {0x4E, 0x33, 0x23, 0x13}, PT_BOMB4_JOKER},
      {"two jokers and a pair", {0x4F, 0x4E, 0x16, 0x06}, PT_BOMB4_JOKER},
      {"two jokers and two values", {0x4F, 0x4E, 0x06, 0x05}, PT_INVALID},
      {"joker, pair and another value", {0x4E, 0x26, 0x16, 0x05}, PT_INVALID},
      {"3-4-5", {0x05, 0x14, 0x33}, PT_SHUNZI},
      {"Q-K-A", {0x01, 0x0D, 0x0C}, PT_SHUNZI},
      {"3 to A",
       {0x01, 0x0D, 0x0C, 0x0B, 0x0A, 0x09, 0x08, 0x07, 0x06, 0x05, 0x04, 0x03},
       PT_SHUNZI},
      {"K-A-2", {0x02, 0x01, 0x0D}, PT_INVALID},
      {"A-2-3", {0x02, 0x01, 0x03}, PT_INVALID},
      {"gap", {0x06, 0x04, 0x03}, PT_INVALID},
      {"joker inside a straight", {0x4E, 0x07, 0x06, 0x05, 0x04}, PT_INVALID},
      {"3-3-4-4", {0x14, 0x04, 0x13, 0x03}, PT_LIANDUI},
      {"K-K-A-A", {0x21, 0x01, 0x1D, 0x0D}, PT_LIANDUI},
      {"3-3-4-4-5-5", {0x15, 0x05, 0x14, 0x04, 0x13, 0x03}, PT_LIANDUI},
      {"A-A-2-2", {0x12, 0x02, 0x11, 0x01}, PT_INVALID},
      {"3-3-5-5", {0x15, 0x05, 0x13, 0x03}, PT_INVALID},
      {"3-3-4-4-5", {0x05, 0x14, 0x04, 0x13, 0x03}, PT_INVALID},
      {"5-5-5-6-6", {0x16, 0x06, 0x25, 0x15, 0x05}, PT_INVALID},
      {"4-4-4-4-3", {0x34, 0x24, 0x14, 0x04, 0x03}, PT_INVALID},
      // Bytes that are not cards never form a play, however their nibbles read.
      {"byte 0 alone", {0x00}, PT_INVALID},
      {"colour 3, face 14 alone", {0x3E}, PT_INVALID},
      {"face 14 pairing like a joker", {0x3E, 0x05}, PT_INVALID},
      {"face 15 and 14 like a rocket", {0x0F, 0x0E}, PT_INVALID},
      {"colour 4 face 13 like a joker", {0x4D, 0x05}, PT_INVALID},
      {"face 14 topping a straight", {0x0E, 0x0D, 0x0C}, PT_INVALID},
      {"face 0 read as K", {0x10, 0x0C, 0x0B}, PT_INVALID},
      {"colour 5", {0x55}, PT_INVALID},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    CGameLogic logic;
    logic.SetSingleJokerRule(c.jokerRule);
    EXPECT_EQ(logic.ClassifyPlay(c.cards.data(), Count(c.cards)), c.type);
  }
}

TEST(Plays, CanBeat) {
  const struct {
    const char* name;
    Cards first, next;  // both sorted by rank
    bool beats;
    uint8_t jokerRule = 0;
  } cases[] = {
      {"7 on 6", {0x06}, {0x17}, true},
      {"7 on 5: two steps", {0x05}, {0x07}, false},
      {"6 on 7", {0x07}, {0x06}, false},
      {"A on K", {0x0D}, {0x01}, true},
      {"A on Q", {0x0C}, {0x01}, false},
      {"2 on 3", {0x03}, {0x02}, true},
      {"2 on 2", {0x12}, {0x02}, false},
      {"joker on 2, rule 0", {0x02}, {0x4E}, false},
      {"small joker on 2", {0x02}, {0x4E}, true, 1},
      {"big joker on small joker", {0x4E}, {0x4F}, true, 1},
      {"big joker on 2", {0x02}, {0x4F}, false, 1},
      {"small joker on A", {0x01}, {0x4E}, false, 1},
      {"9-9 on joker+8", {0x4E, 0x08}, {0x19, 0x09}, true},
      {"9-9 on 8-8", {0x18, 0x08}, {0x19, 0x09}, true},
      {"joker+9 on 8-8", {0x18, 0x08}, {0x4F, 0x09}, true},
      {"8-8 on joker+8", {0x4E, 0x08}, {0x28, 0x18}, true},
      {"joker+8 on 8-8", {0x28, 0x18}, {0x4E, 0x08}, false},
      {"joker+8 on joker+8", {0x4E, 0x08}, {0x4F, 0x18}, false},
      {"8-8 on 8-8", {0x28, 0x18}, {0x38, 0x08}, false},
      {"2-2 on 5-5", {0x15, 0x05}, {0x12, 0x02}, true},
      {"2-2 on joker+A", {0x4E, 0x01}, {0x12, 0x02}, true},
      {"10-10 on 8-8", {0x18, 0x08}, {0x1A, 0x0A}, false},
      {"pair on single", {0x05}, {0x16, 0x06}, false},
      {"two values on a pair", {0x15, 0x05}, {0x07, 0x06}, false},
      {"10-J-Q-K-A on 8-9-10-J-Q",
       {0x0C, 0x0B, 0x0A, 0x09, 0x08},
       {0x01, 0x1D, 0x1C, 0x1B, 0x1A},
       false},
      {"4-5-6 on 3-4-5", {0x05, 0x04, 0x03}, {0x16, 0x05, 0x14}, true},
      {"5-6-7 on 3-4-5", {0x05, 0x04, 0x03}, {0x07, 0x06, 0x05}, false},
      {"4-5-6-7 on 3-4-5", {0x05, 0x04, 0x03}, {0x07, 0x06, 0x05, 0x04}, false},
      {"10-J-Q-K-A on 9-10-J-Q-K",
       {0x0D, 0x0C, 0x0B, 0x0A, 0x09},
       {0x01, 0x1D, 0x1C, 0x1B, 0x1A},
       true},
      {"4-4-5-5 on 3-3-4-4", {0x14, 0x04, 0x13, 0x03}, {0x25, 0x15, 0x34, 0x24}, true},
      {"5-5-6-6 on 3-3-4-4", {0x14, 0x04, 0x13, 0x03}, {0x16, 0x06, 0x15, 0x05}, false},
      {"4-4-5-5 on 3-4-5-6", {0x06, 0x05, 0x04, 0x03}, {0x15, 0x05, 0x14, 0x04}, false},
      {"4-5-6-7 on 3-3-4-4", {0x14, 0x04, 0x13, 0x03}, {0x07, 0x06, 0x05, 0x04}, false},
      {"3-3-3 on 10-J-Q-K-A", {0x01, 0x0D, 0x0C, 0x0B, 0x0A}, {0x33, 0x23, 0x13}, true},
      {"joker+3+3 on a single 2", {0x02}, {0x4E, 0x13, 0x03}, true},
      {"single 2 on joker+3+3", {0x4E, 0x13, 0x03}, {0x02}, false},
      {"3-3-3 on joker+3+3", {0x4E, 0x13, 0x03}, {0x33, 0x23, 0x03}, true},
      {"joker+3+3 on 3-3-3", {0x33, 0x23, 0x03}, {0x4E, 0x13, 0x03}, false},
      {"joker+5+5 on joker+4+4", {0x4E, 0x14, 0x04}, {0x4F, 0x15, 0x05}, true},
      {"joker+4+4 on joker+4+4", {0x4E, 0x14, 0x04}, {0x4F, 0x34, 0x24}, false},
      {"joker+4+4 on joker+5+5", {0x4E, 0x15, 0x05}, {0x4F, 0x14, 0x04}, false},
      {"two jokers+5 on joker+4+4", {0x4E, 0x14, 0x04}, {0x4F, 0x4E, 0x05}, true},
      {"2-2-2 on A-A-A: no step needed", {0x21, 0x11, 0x01}, {0x22, 0x12, 0x02}, true},
      {"A-A-A on 2-2-2", {0x22, 0x12, 0x02}, {0x21, 0x11, 0x01}, false},
      {"joker+3-3-3 on 2-2-2", {0x22, 0x12, 0x02}, {0x4E, 0x33, 0x23, 0x13}, true},
      {"3-3-3-3 on joker+2-2-2", {0x4F, 0x32, 0x22, 0x12}, {0x33, 0x23, 0x13, 0x03}, true},
      {"5-5-5-5 on 4-4-4-4", {0x34, 0x24, 0x14, 0x04}, {0x35, 0x25, 0x15, 0x05}, true},
      {"rocket on 2-2-2-2", {0x32, 0x22, 0x12, 0x02}, {0x4F, 0x4E}, true},
      {"2-2-2-2 on rocket", {0x4F, 0x4E}, {0x32, 0x22, 0x12, 0x02}, false},
      {"pair on rocket", {0x4F, 0x4E}, {0x12, 0x02}, false},
      {"invalid next", {0x05}, {0x07, 0x06}, false},
      {"bytes that are not cards", {0x0E}, {0x0F}, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    CGameLogic logic;
    logic.SetSingleJokerRule(c.jokerRule);
    EXPECT_EQ(logic.CanBeat(c.first.data(), c.next.data(), Count(c.first), Count(c.next)), c.beats);
  }
}

TEST(Plays, ResolveJokers) {
  const struct {
    const char* name;
    Cards play, turn;  // play sorted by rank; turn in display form, empty when leading
    Cards out;         // empty: not replaced, out is a copy of the play
  } cases[] = {
      {"leading: two jokers complete 8-7-6-5",
       {0x4F, 0x4E, 0x06, 0x05},
       {},
       {0x08, 0x07, 0x06, 0x05}},
      {"leading: joker tops 5-6-7", {0x4E, 0x07, 0x16, 0x05}, {}, {0x08, 0x07, 0x16, 0x05}},
      {"leading: joker makes an A above K-Q", {0x4F, 0x0D, 0x0C}, {}, {0x01, 0x0D, 0x0C}},
      {"leading: joker fills Q under A-K", {0x4E, 0x01, 0x3D}, {}, {0x01, 0x3D, 0x0C}},
      {"leading: joker pair becomes natural", {0x4E, 0x25}, {}, {0x25, 0x05}},
      {"leading: two jokers and a card: bomb, not straight",
       {0x4F, 0x4E, 0x29},
       {},
       {0x29, 0x09, 0x09}},
      {"leading: two jokers and a pair: bomb, not pairs",
       {0x4F, 0x4E, 0x17, 0x07},
       {},
       {0x17, 0x07, 0x07, 0x07}},
      {"leading: jokers complete three pairs",
       {0x4F, 0x4E, 0x17, 0x07, 0x16, 0x15},
       {},
       {0x17, 0x07, 0x16, 0x06, 0x15, 0x05}},
      {"leading: nothing fits A-2", {0x4E, 0x02, 0x01}, {}, {}},
      {"leading: no jokers", {0x07, 0x06, 0x05}, {}, {}},
      {"leading: no natural card", {0x4F, 0x4E}, {}, {}},
      {"following a single", {0x4E}, {0x05}, {}},
      {"following a pair", {0x4E, 0x06}, {0x15, 0x05}, {}},
      {"following a bomb", {0x4F, 0x4E, 0x07}, {0x36, 0x26, 0x16}, {}},
      {"following 3-4-5: joker is 6", {0x4E, 0x15, 0x14}, {0x05, 0x04, 0x03}, {0x06, 0x15, 0x14}},
      {"following 3-4-5 unsorted", {0x4E, 0x15, 0x14}, {0x03, 0x05, 0x04}, {0x06, 0x15, 0x14}},
      {"following 3-4-5: 6, 7 leave two gaps", {0x4E, 0x17, 0x16}, {0x05, 0x04, 0x03}, {}},
      {"following 10-J-Q-K: joker is the A",
       {0x4E, 0x01, 0x0C, 0x0B},
       {0x0D, 0x0C, 0x0B, 0x0A},
       {0x01, 0x0D, 0x0C, 0x0B}},
      {"following 10-J-Q-K: A from the joker",
       {0x4F, 0x1D, 0x1C, 0x1B},
       {0x0D, 0x0C, 0x0B, 0x0A},
       {0x01, 0x1D, 0x1C, 0x1B}},
      {"following a straight topped by A",
       {0x4F, 0x4E, 0x1D, 0x1C, 0x1B},
       {0x01, 0x0D, 0x0C, 0x0B, 0x0A},
       {}},
      {"following 3-4-5-6: jokers with 5, 6 are 8, 7",
       {0x4F, 0x4E, 0x16, 0x15},
       {0x06, 0x05, 0x04, 0x03},
       {0x08, 0x07, 0x16, 0x15}},
      {"following 3-4-5-6: jokers with 4, 5 are 7, 6",
       {0x4F, 0x4E, 0x15, 0x14},
       {0x06, 0x05, 0x04, 0x03},
       {0x07, 0x06, 0x15, 0x14}},
      {"following 3-4-5: jokers with a 5 are two 5s",
       {0x4F, 0x4E, 0x25},
       {0x05, 0x04, 0x03},
       {0x25, 0x05, 0x05}},
      {"following 3-3-4-4: joker completes 5-5-4-4",
       {0x4E, 0x15, 0x05, 0x14},
       {0x14, 0x04, 0x13, 0x03},
       {0x15, 0x05, 0x14, 0x04}},
      {"following 3-3-4-4: no joker makes 7-7-6-6 beat",
       {0x4E, 0x17, 0x07, 0x16},
       {0x14, 0x04, 0x13, 0x03},
       {}},
      {"following 3-3-4-4: jokers with 5, 4 are 5, 4",
       {0x4F, 0x4E, 0x15, 0x14},
       {0x14, 0x04, 0x13, 0x03},
       {0x15, 0x05, 0x14, 0x04}},
      {"following 4-4-5-5: jokers with 5-5 make a bomb, not 6-6-5-5",
       {0x4F, 0x4E, 0x15, 0x05},
       {0x35, 0x25, 0x34, 0x24},
       {0x15, 0x05, 0x05, 0x05}},
      // Three jokers need duplicate bytes; they are left alone even where they would fit.
      {"three jokers", {0x4F, 0x4E, 0x4E, 0x07}, {0x06, 0x05, 0x04, 0x03}, {}},
  };
  const CGameLogic logic;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    uint8_t out[MAX_CARDS + 1];
    std::memset(out, 0xEE, sizeof out);
    const bool replaced =
        logic.ResolveJokers(c.play.data(), Count(c.play), out, c.turn.data(), Count(c.turn));
    EXPECT_EQ(replaced, !c.out.empty());
    EXPECT_EQ(Hex(out, c.play.size()), Hex(c.out.empty() ? c.play : c.out));
    EXPECT_EQ(out[c.play.size()], 0xEE) << "written past the play";
  }
}

}  // namespace
