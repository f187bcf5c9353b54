// The hint search: the candidate list in its exact order, the single-answer fallback, input
// that must be refused, and properties over many random hands and turns.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "rules/GameLogic.h"
#include "tests/rules/card_list_util.h"

namespace {

using cardtest::Cards;
using cardtest::Count;
using cardtest::FromHex;
using cardtest::Hex;

// The whole list as "A | B | C", each candidate in hex.
std::string ListText(const CGameLogic& logic) {
  std::string text;
  for (size_t i = 0; i < logic.GetAnswerCount(); ++i) {
    const tagPlayCandidate& c = logic.GetAnswer(i);
    text += (i ? " | " : "") + Hex(c.cards, c.count);
  }
  return text;
}

struct ListCase {
  const char *name, *hand, *turn, *list;  // cards in hex
};

// The whole list in its exact order, the order repeated hint presses walk.
TEST(AnswerList, ExactOrder) {
  const ListCase cases[] = {
      {"lead: a hand that is a play, lowest first", "25 05 15", "", "05 15 25"},
      {"lead: else its lowest card", "2D 03 19", "", "03"},
      {"lead: jokers do not make the hand a play", "4E 06 4F 05", "", "05"},
      {"a turn that is no play counts as leading", "13 09", "03 05", "13"},
      {"single: one step up, then the 2s; no joker", "4E 2A 12 05", "09", "2A | 12"},
      {"single: then the joker three", "4E 3A 2A 05", "09", "3A | 2A | 2A 3A 4E"},
      {"after a 2 only bombs", "23 13 03 12 01", "22", "03 13 23"},
      {"after an A the 2s come twice", "32 02 05", "01", "32 | 02 | 32 | 02"},
      {"As before the 3s and above the K", "01 11 21 07", "05", "01 11 21 | 01 11 21"},
      {"both jokers alone: the rocket", "4F 4E", "09", "4F 4E"},
      {"joker pair of 8s: the natural 8s", "38 18 05", "08 4E", "18 38"},
      {"pair of 8s: a 9 with the joker", "4E 29 05", "18 08", "29 4E"},
      {"2-2: bombs, rocket", "4F 4E 03 13", "02 12", "03 13 4F | 03 13 4E | 03 4F 4E | 4F 4E"},
      {"joker+K: As, 2s, Ks, 2s", "01 11 1D 2D 12 22", "4F 0D", "01 11 | 12 22 | 1D 2D | 12 22"},
      {"jokers, a lone 8, a 2", "4F 4E 28 32", "07 17",
       "28 4F | 28 4E | 32 4F | 32 4E | 28 4F 4E | 32 4F 4E | 4F 4E"},
      {"3-4-5: the run, the joker run", "04 15 26 4E", "25 03 14", "04 15 26 | 04 15 4E"},
      {"topped by an A: no run", "3C 3D 31 32 4E", "01 1D 2C", ""},
      {"jokers, a gap: small joker", "4F 4E 14 16", "03 04 05",
       "14 16 4E | 14 4F 4E | 16 4F 4E | 4F 4E"},
      {"pairs: big joker in the gap", "4F 4E 24 34 15", "03 13 04 14",
       "24 34 15 4F | 24 34 4F | 24 34 4E | 24 4F 4E | 15 4F 4E | 4F 4E"},
      {"joker three of 5s: higher joker threes, those of 2s, then the stronger families",
       "4F 4E 03 06 01 32 17 27 37", "15 4E 05",
       "06 4F 4E | 17 27 4F | 17 27 4E | 17 4F 4E | 01 4F 4E | 32 4F 4E | 17 27 37 | "
       "17 27 37 4F | 17 27 37 4E | 17 27 4F 4E | 4F 4E"},
      {"three As: three 2s", "02 12 22 03 13 23 31", "01 11 21", "02 12 22"},
      {"three 7s: As above the K", "01 11 21 05 15 25 0C 1C 2C", "07 17 27", "0C 1C 2C | 01 11 21"},
      {"joker four of 2s: fours", "4F 03 13 23 33", "02 4E 12 22", "03 13 23 33"},
      {"the rocket held small joker first: nothing", "03 13 23 33", "4E 4F", ""},
  };
  CGameLogic logic;
  tagPlayCandidate scratch;
  for (const ListCase& c : cases) {
    SCOPED_TRACE(c.name);
    const Cards hand = FromHex(c.hand), turn = FromHex(c.turn);
    const bool found =
        logic.ListAnswers(hand.data(), Count(hand), turn.data(), Count(turn), scratch);
    EXPECT_EQ(found, *c.list != '\0');
    EXPECT_EQ(ListText(logic), c.list);
  }
}

TEST(AnswerFind, FirstAnswer) {
  const struct {
    const char *name, *hand, *turn;
    bool found;
    const char* answer;
  } cases[] = {
      {"lead, a play: all of it", "25 05 15", "", true, "05 15 25"},
      {"single: one step up, highest colour", "3A 2A 12", "09", true, "3A"},
      {"single: else the highest 2", "32 12 05", "09", true, "32"},
      {"pair of 8s: the 9s", "19 29 12 22", "08 18", true, "19 29"},
      {"pair of 8s: the only 2 with the big joker", "4F 12 05", "08 18", true, "12 4F"},
      {"pair of 8s: a 2 goes with the big joker only", "4E 12 05", "08 18", false, ""},
      {"pair of 2s: the rocket", "4F 4E 03", "02 12", true, "4F 4E"},
      // The straight search takes the lowest higher run, even several steps up.
      {"straight: the lowest higher run", "09 28 17 06", "03 04 05", true, "28 17 06"},
      {"straight: a run never reaches the 2", "32 01 1D 09", "03 04 05", false, ""},
      {"pairs two steps higher are not taken", "05 15 06 26", "03 13 04 14", false, ""},
      {"three 5s: three Ks", "0D 1D 2D 03 13 23", "05 15 25", true, "0D 1D 2D"},
      // Against a joker three every row lies at or below its joker: the joker four is next.
      {"joker three: rows below its joker are skipped", "06 16 26 4F", "4E 05 15", true,
       "06 16 26 4F"},
      // Rows are skipped by index, and the 2s (row 1) lie below the K's row.
      {"four Ks: four 2s are not reached", "02 12 22 32", "0D 1D 2D 3D", false, ""},
      {"four Ks: four As above the K", "01 11 21 31", "0D 1D 2D 3D", true, "01 11 21 31"},
      {"the rocket: nothing", "4F 4E 03 13 23 33", "4F 4E", false, ""},
  };
  CGameLogic logic;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const Cards hand = FromHex(c.hand), turn = FromHex(c.turn);
    tagPlayCandidate out;
    std::memset(&out, 0xAA, sizeof(out));
    EXPECT_EQ(logic.FindAnswer(hand.data(), Count(hand), turn.data(), Count(turn), out), c.found);
    ASSERT_LE(out.count, MAX_CARDS);
    EXPECT_EQ(Hex(out.cards, out.count), c.answer);
  }
}

// Input the search must refuse without reading or writing past an array.
TEST(AnswerInput, RefusedInput) {
  const Cards five = {0x03, 0x14, 0x25, 0x36, 0x07};
  const Cards twentyEight(CARD_DECK, CARD_DECK + 28), fives(255, 0x05), nines(255, 0x09);
  const struct {
    const char* name;
    Cards hand, turn;
  } cases[] = {
      {"hand of 28 cards, leading", twentyEight, {}},
      {"turn of 28 cards", five, twentyEight},
      {"hand of 255 cards", fives, {0x09}},
      {"turn of 255 cards", five, nines},
      {"hand with a zero byte", {0x03, 0x00, 0x09}, {}},
      {"hand with a byte that is no card", {0x03, 0x4D, 0x09}, {0x05}},
      {"hand holding a joker twice", {0x4E, 0x4E, 0x09, 0x19}, {0x08, 0x18}},
  };
  CGameLogic logic;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    // A full list from an earlier search must not survive a refused one.
    tagPlayCandidate scratch;
    ASSERT_TRUE(logic.ListAnswers(five.data(), Count(five), nullptr, 0, scratch));
    // Exact-size vectors: reading past them shows up under the address sanitizer.
    EXPECT_FALSE(
        logic.ListAnswers(c.hand.data(), Count(c.hand), c.turn.data(), Count(c.turn), scratch));
    EXPECT_EQ(logic.GetAnswerCount(), 0u);
    EXPECT_EQ(scratch.count, 0);
    tagPlayCandidate out;
    std::memset(&out, 0xAA, sizeof(out));
    EXPECT_FALSE(logic.FindAnswer(c.hand.data(), Count(c.hand), c.turn.data(), Count(c.turn), out));
    EXPECT_EQ(out.count, 0);
  }
}

// ---- Properties over random hands and turns ------------------------------------------------

// A turn of a random type (none: leading) and a hand from the rest of the deck, both shuffled.
struct Deal {
  Cards hand, turn;
  uint8_t turnType, rule;
};

Deal RandomDeal(CPlayMaker& maker) {
  Deal d;
  d.rule = static_cast<uint8_t>(maker.Between(0, 1));
  d.turnType = static_cast<uint8_t>(maker.Between(0, PT_ROCKET));
  if (d.turnType == PT_SINGLE && d.rule == 1 && maker.Between(0, 4) == 0) {
    d.turn = {maker.AnyJoker()};
  } else {
    d.turn = maker.Make(d.turnType);
  }
  for (uint8_t card : CARD_DECK) {
    if (std::find(d.turn.begin(), d.turn.end(), card) == d.turn.end()) d.hand.push_back(card);
  }
  std::shuffle(d.hand.begin(), d.hand.end(), maker.Rng());
  d.hand.resize(maker.Between(0, MAX_CARDS));
  return d;
}

Cards Sorted(const CGameLogic& logic, Cards cards) {
  logic.SortCards(cards.data(), Count(cards), SORT_BY_RANK);
  return cards;
}

TEST(AnswerProperties, RandomHandsAndTurns) {
  CPlayMaker maker(20261206);
  CGameLogic logic;
  tagPlayCandidate scratch;
  for (int round = 0; round < 20000; ++round) {
    const Deal d = RandomDeal(maker);
    logic.SetSingleJokerRule(d.rule);
    SCOPED_TRACE("hand " + Hex(d.hand) + " turn " + Hex(d.turn) + " rule " +
                 std::to_string(d.rule));
    const Cards turn = Sorted(logic, d.turn);
    ASSERT_EQ(logic.ClassifyPlay(turn.data(), Count(turn)), d.turnType) << "test deal";

    // A proposal is cards of the hand, each once, of a valid type and of the size that type
    // has (an answer that is no bomb has the turn's size), and beats the turn.
    auto checkProposal = [&](const Cards& c, bool fromList) {
      SCOPED_TRACE("proposal " + Hex(c));
      ASSERT_FALSE(c.empty());
      for (uint8_t card : c) {
        EXPECT_NE(std::find(d.hand.begin(), d.hand.end(), card), d.hand.end()) << "not in hand";
        EXPECT_EQ(std::count(c.begin(), c.end(), card), 1) << "card twice";
      }
      if (d.turn.empty()) return;
      const Cards sorted = Sorted(logic, c);
      const uint8_t type = logic.ClassifyPlay(sorted.data(), Count(sorted));
      if (fromList && type == PT_INVALID && (d.turnType == PT_SHUNZI || d.turnType == PT_LIANDUI)) {
        // A run completed by jokers: the jokers stand for the cards it misses.
        uint8_t display[MAX_CARDS];
        EXPECT_EQ(c.size(), d.turn.size());
        EXPECT_TRUE(logic.ResolveJokers(c.data(), Count(c), display, turn.data(), Count(turn)));
        EXPECT_EQ(logic.ClassifyPlay(display, Count(c)), d.turnType);
        return;
      }
      ASSERT_NE(type, PT_INVALID);
      const size_t size = type == PT_ROCKET        ? 2
                          : type >= PT_BOMB4_JOKER ? 4
                          : type >= PT_BOMB3_JOKER ? 3
                                                   : d.turn.size();
      EXPECT_EQ(c.size(), size);
      // FindAnswer's straight may stand several steps higher.
      if (fromList || type != PT_SHUNZI) {
        EXPECT_TRUE(logic.CanBeat(turn.data(), sorted.data(), Count(turn), Count(sorted)));
      }
    };

    const bool listed =
        logic.ListAnswers(d.hand.data(), Count(d.hand), d.turn.data(), Count(d.turn), scratch);
    EXPECT_EQ(listed, logic.GetAnswerCount() > 0);
    // Leading always offers exactly one play for a hand that has cards.
    EXPECT_TRUE(!d.turn.empty() || logic.GetAnswerCount() == (d.hand.empty() ? 0u : 1u));
    const std::string list = ListText(logic);
    std::vector<Cards> candidates;
    for (size_t i = 0; i < logic.GetAnswerCount(); ++i) {
      const tagPlayCandidate& c = logic.GetAnswer(i);
      ASSERT_LE(c.count, MAX_CARDS);
      candidates.emplace_back(c.cards, c.cards + c.count);
    }
    for (const Cards& c : candidates) checkProposal(c, true);

    tagPlayCandidate out;
    const bool found =
        logic.FindAnswer(d.hand.data(), Count(d.hand), d.turn.data(), Count(d.turn), out);
    ASSERT_LE(out.count, MAX_CARDS);
    const Cards answer(out.cards, out.cards + out.count);
    if (d.turn.empty()) {
      EXPECT_TRUE(found);
      EXPECT_EQ(Hex(answer), d.hand.empty() ? "" : Hex(candidates.front()));
    } else if (found) {
      checkProposal(answer, false);
    } else {
      EXPECT_EQ(out.count, 0);
    }

    // Neither search depends on the order in which the cards come in.
    Cards hand2 = d.hand, turn2 = d.turn;
    std::shuffle(hand2.begin(), hand2.end(), maker.Rng());
    std::shuffle(turn2.begin(), turn2.end(), maker.Rng());
    logic.ListAnswers(hand2.data(), Count(hand2), turn2.data(), Count(turn2), scratch);
    EXPECT_EQ(ListText(logic), list);
    tagPlayCandidate again;
    EXPECT_EQ(logic.FindAnswer(hand2.data(), Count(hand2), turn2.data(), Count(turn2), again),
              found);
    EXPECT_EQ(Hex(again.cards, again.count), Hex(answer));
  }
}

}  // namespace
