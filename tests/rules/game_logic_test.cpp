// Card rules, case by case: the card byte, lists, play types, comparison of two plays and
// jokers standing in for natural cards.
#include <gtest/gtest.h>

#include <cstring>

#include "rules/GameLogic.h"
#include "tests/rules/card_list_util.h"

namespace {

using cardtest::Cards;
using cardtest::Count;
using cardtest::FromHex;
using cardtest::Hex;

// Exactly the 54 cards of the deck are valid bytes, each at its place in the deck and its face
// and colour put back together; the logic values that order them.
TEST(CardByte, ValidBytesRanksAndComposition) {
  int valid = 0;
  for (int b = 0; b < 256; ++b) {
    const uint8_t card = static_cast<uint8_t>(b);
    const int index = CardDeckIndex(card);
    ASSERT_EQ(index >= 0, IsValidCard(card)) << Hex(&card, 1);
    if (index < 0) continue;
    ++valid;
    EXPECT_EQ(CARD_DECK[index], card);
    EXPECT_EQ(CGameLogic::ComposeCard((card & 0x0F) - 1, card >> 4), card) << Hex(&card, 1);
  }
  EXPECT_EQ(valid, DECK_SIZE);
  const uint8_t ranks[][2] = {{0x03, 3},  {0x3D, 13}, {0x21, 14}, {0x12, 15},
                              {0x4E, 16}, {0x4F, 17}, {0, 0}};
  for (const auto& r : ranks) EXPECT_EQ(CGameLogic::GetCardRank(r[0]), r[1]) << Hex(r, 1);
}

// Any mode but 1 sorts by rank; five equal values (repeated bytes) are in no block, so the block
// order keeps the rank order rather than a shortened or padded list.
TEST(CardLists, SortCardsOddInput) {
  CGameLogic logic;
  Cards three = {5, 0x15, 9};
  logic.SortCards(three.data(), Count(three), 7);
  EXPECT_EQ(Hex(three), "09 15 05");
  Cards five = {5, 9, 0x15, 5, 0x25, 0x35, 0x17, 7};
  logic.SortCards(five.data(), Count(five), SORT_BY_BLOCKS);
  EXPECT_EQ(Hex(five), "09 17 07 35 25 15 05 05");
}

// Bytes that are not cards are skipped: 0x3E, 0x4D, 0x10 look like cards by one nibble; 0x5F and
// 0xFF would index past a row.
TEST(CardLists, TallySkipsBytesThatAreNoCards) {
  const Cards mixed = FromHex("4F 00 4E 3E 01 5F 21 FF 02 4D 0D 10");
  const Cards cards = FromHex("4F 4E 01 21 02 0D");
  tagCardTally tally, expected;
  std::memset(&tally, 0xAA, sizeof tally);
  CGameLogic().TallyCards(mixed.data(), Count(mixed), tally);
  CGameLogic().TallyCards(cards.data(), Count(cards), expected);
  EXPECT_EQ(std::memcmp(&tally, &expected, sizeof tally), 0);
  EXPECT_EQ(tally.cardCount, 6);
  EXPECT_EQ(tally.rows[0][TALLY_TOTAL], 2);  // the As: 01 and 21
}

TEST(CardLists, RemoveCard) {
  const struct {
    const char *name, *remove, *hand;
    bool ok;
    const char* after;  // the first handCount - removeCount cards when ok
  } cases[] = {
      {"rest keeps its order", "09 4F", "4F 32 09 07 03", true, "32 07 03"},
      {"two requests take two copies", "05 05", "05 07 05", true, "07"},
      {"requested twice, held once", "07 07", "05 07 05", false, ""},
      {"same face, other colour", "17", "07 27", false, ""},
      {"more to remove than held", "05 07 09", "05 07", false, ""},
      {"nothing to remove", "", "05", true, "05"},
      {"byte 0 is never held", "05 00", "05 07", false, ""},
  };
  CGameLogic logic;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const Cards remove = FromHex(c.remove), held = FromHex(c.hand);
    Cards hand = held;
    EXPECT_EQ(logic.RemoveCard(remove.data(), Count(remove), hand.data(), Count(hand)), c.ok);
    EXPECT_EQ(Hex(hand.data(), c.ok ? held.size() - remove.size() : held.size()),
              c.ok ? c.after : c.hand);
  }
}

TEST(Plays, ClassifyPlay) {
  const struct {
    const char* cards;  // as passed: sorted by rank unless the case says otherwise
    uint8_t type;
    uint8_t jokerRule = 0;
  } cases[] = {
      {"", PT_INVALID},
      {"22", PT_SINGLE},
      {"4E", PT_INVALID},     // a lone joker, rule 0
      {"4E", PT_INVALID, 2},  // only rule 1 admits it
      {"32 02", PT_PAIR},
      {"4E 05", PT_PAIR},  // a joker pairs with any card
      {"35 25 05", PT_BOMB3},
      {"4F 4E 05", PT_BOMB3_JOKER},
      {"4E 25 15", PT_BOMB3_JOKER},
      {"4E 36 05", PT_INVALID},
      {"3A 2A 1A 0A", PT_BOMB4},
      {"4E 33 23 13", PT_BOMB4_JOKER},
      {"4F 4E 16 06", PT_BOMB4_JOKER},
      {"4F 4E 06 05", PT_INVALID},
      {"4E 26 16 05", PT_INVALID},
      {"05 14 33", PT_SHUNZI},
      {"01 0D 0C 0B 0A 09 08 07 06 05 04 03", PT_SHUNZI},
      {"02 01 03", PT_INVALID},  // A-2-3
      {"06 04 03", PT_INVALID},
      {"4E 07 06 05 04", PT_INVALID},  // a joker inside a straight
      {"14 04 13 03", PT_LIANDUI},
      {"21 01 1D 0D", PT_LIANDUI},
      {"12 02 11 01", PT_INVALID},  // A-A-2-2
      {"15 05 13 03", PT_INVALID},
      {"05 14 04 13 03", PT_INVALID},
      {"16 06 25 15 05", PT_INVALID},
      {"34 24 14 04 03", PT_INVALID},
      // Bytes that are not cards never form a play, however their nibbles read.
      {"3E 05", PT_INVALID},     // face 14 pairing like a joker
      {"0F 0E", PT_INVALID},     // faces 15 and 14 like a rocket
      {"4D 05", PT_INVALID},     // colour 4, face 13 like a joker
      {"0E 0D 0C", PT_INVALID},  // face 14 topping a straight
      {"10 0C 0B", PT_INVALID},  // face 0 read as K
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.cards);
    CGameLogic logic;
    logic.SetSingleJokerRule(c.jokerRule);
    const Cards cards = FromHex(c.cards);
    EXPECT_EQ(logic.ClassifyPlay(cards.data(), Count(cards)), c.type);
  }
}

TEST(Plays, CanBeat) {
  const struct {
    const char* name;
    const char *first, *next;  // both sorted by rank
    bool beats;
    uint8_t jokerRule = 0;
  } cases[] = {
      {"7 on 6", "06", "17", true},
      {"A on K", "0D", "01", true},
      {"2 on 2", "12", "02", false},
      {"joker on 2, rule 0", "02", "4E", false},
      {"small joker on 2", "02", "4E", true, 1},
      {"big joker on small joker", "4E", "4F", true, 1},
      {"big joker on 2", "02", "4F", false, 1},
      {"9-9 on joker+8", "4E 08", "19 09", true},
      {"joker+9 on 8-8", "18 08", "4F 09", true},
      {"joker+8 on 8-8", "28 18", "4E 08", false},
      {"joker+8 on joker+8", "4E 08", "4F 18", false},
      {"8-8 on 8-8", "28 18", "38 08", false},
      {"2-2 on joker+A", "4E 01", "12 02", true},
      {"10-10 on 8-8", "18 08", "1A 0A", false},
      {"4-5-6 on 3-4-5", "05 04 03", "16 05 14", true},
      {"5-6-7 on 3-4-5", "05 04 03", "07 06 05", false},
      {"4-5-6-7 on 3-4-5", "05 04 03", "07 06 05 04", false},
      {"10-J-Q-K-A on 9-10-J-Q-K", "0D 0C 0B 0A 09", "01 1D 1C 1B 1A", true},
      {"4-4-5-5 on 3-3-4-4", "14 04 13 03", "25 15 34 24", true},
      {"4-4-5-5 on 3-4-5-6", "06 05 04 03", "15 05 14 04", false},
      {"3-3-3 on 10-J-Q-K-A", "01 0D 0C 0B 0A", "33 23 13", true},
      {"single 2 on joker+3+3", "4E 13 03", "02", false},
      {"3-3-3 on joker+3+3", "4E 13 03", "33 23 03", true},
      {"joker+5+5 on joker+4+4", "4E 14 04", "4F 15 05", true},
      {"joker+4+4 on joker+4+4", "4E 14 04", "4F 34 24", false},
      {"two jokers+5 on joker+4+4", "4E 14 04", "4F 4E 05", true},
      {"2-2-2 on A-A-A: no step needed", "21 11 01", "22 12 02", true},
      {"joker+3-3-3 on 2-2-2", "22 12 02", "4E 33 23 13", true},
      {"3-3-3-3 on joker+2-2-2", "4F 32 22 12", "33 23 13 03", true},
      {"rocket on 2-2-2-2", "32 22 12 02", "4F 4E", true},
      {"2-2-2-2 on rocket", "4F 4E", "32 22 12 02", false},
      {"invalid next", "05", "07 06", false},
      {"bytes that are not cards", "0E", "0F", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    CGameLogic logic;
    logic.SetSingleJokerRule(c.jokerRule);
    const Cards first = FromHex(c.first), next = FromHex(c.next);
    EXPECT_EQ(logic.CanBeat(first.data(), next.data(), Count(first), Count(next)), c.beats);
  }
}

TEST(Plays, ResolveJokers) {
  const struct {
    const char* name;
    const char *play, *turn;  // play sorted by rank; turn in display form, "" when leading
    const char* out;          // "": not replaced, out is a copy of the play
  } cases[] = {
      {"lead: a joker tops 5-6-7", "4E 07 16 05", "", "08 07 16 05"},
      {"lead: a joker fills Q under A-K", "4E 01 3D", "", "01 3D 0C"},
      {"lead: a joker pair becomes natural", "4E 25", "", "25 05"},
      {"lead: two jokers and a card: a bomb", "4F 4E 29", "", "29 09 09"},
      {"lead: two jokers and a pair: a bomb", "4F 4E 17 07", "", "17 07 07 07"},
      {"lead: three pairs", "4F 4E 17 07 16 15", "", "17 07 16 06 15 05"},
      {"lead: nothing fits A-2", "4E 02 01", "", ""},
      {"lead: no jokers", "07 06 05", "", ""},
      {"lead: no natural card", "4F 4E", "", ""},
      {"on a bomb", "4F 4E 07", "36 26 16", ""},
      {"on 3-4-5 unsorted", "4E 15 14", "03 05 04", "06 15 14"},
      {"on 3-4-5: 6, 7 leave two gaps", "4E 17 16", "05 04 03", ""},
      {"on 10-J-Q-K: the A", "4E 01 0C 0B", "0D 0C 0B 0A", "01 0D 0C 0B"},
      {"on a straight topped by A", "4F 4E 1D 1C 1B", "01 0D 0C 0B 0A", ""},
      {"on 3-4-5-6: jokers, 5, 6 are 8, 7", "4F 4E 16 15", "06 05 04 03", "08 07 16 15"},
      {"on 3-3-4-4: 5-5-4-4", "4E 15 05 14", "14 04 13 03", "15 05 14 04"},
      {"on 3-3-4-4: nothing makes 7-7-6-6 beat", "4E 17 07 16", "14 04 13 03", ""},
      {"on 3-3-4-4: jokers, 5, 4 are 5, 4", "4F 4E 15 14", "14 04 13 03", "15 05 14 04"},
      {"on 4-4-5-5: jokers and 5-5 are a bomb", "4F 4E 15 05", "35 25 34 24", "15 05 05 05"},
      // Three jokers need repeated bytes; they are left alone even where they would fit.
      {"three jokers", "4F 4E 4E 07", "06 05 04 03", ""},
  };
  const CGameLogic logic;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const Cards play = FromHex(c.play), turn = FromHex(c.turn);
    uint8_t out[MAX_CARDS + 1];
    std::memset(out, 0xEE, sizeof out);
    const bool replaced =
        logic.ResolveJokers(play.data(), Count(play), out, turn.data(), Count(turn));
    EXPECT_EQ(replaced, *c.out != '\0');
    EXPECT_EQ(Hex(out, play.size()), replaced ? c.out : c.play);
    EXPECT_EQ(out[play.size()], 0xEE) << "written past the play";
  }
}

}  // namespace
