// The hint search: the candidate list in its exact order, the single-answer fallback, input
// that must be refused, and properties over many random hands and turns.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "rules/GameLogic.h"
#include "tests/rules/card_list_util.h"

namespace {

using cardtest::Cards;
using cardtest::Count;
using cardtest::Hex;

// The whole list as "A | B | C", each candidate in hex.
std::string ListText(const CGameLogic& logic) {
  std::string text;
  for (size_t i = 0; i < logic.GetAnswerCount(); ++i) {
    const tagPlayCandidate& c = logic.GetAnswer(i);
    if (i) text += " | ";
    text += Hex(c.cards, c.count);
  }
  return text;
}

std::string ListText(const std::vector<Cards>& list) {
  std::string text;
  for (size_t i = 0; i < list.size(); ++i) {
    if (i) text += " | ";
    text += Hex(list[i]);
  }
  return text;
}

struct ListCase {
  const char* name;
  Cards hand;
  Cards turn;
  uint8_t singleJokerRule;
  std::vector<Cards> list;
};

void CheckList(const ListCase& c) {
  SCOPED_TRACE(c.name);
  CGameLogic logic;
  logic.SetSingleJokerRule(c.singleJokerRule);
  tagPlayCandidate scratch;
  const bool found =
      logic.ListAnswers(c.hand.data(), Count(c.hand), c.turn.data(), Count(c.turn), scratch);
  EXPECT_EQ(found, !c.list.empty());
  EXPECT_EQ(ListText(logic), ListText(c.list));
}

TEST(AnswerList, Leading) {
  const ListCase cases[] = {
      {"a hand that is a play: all of it, lowest first", {0x25, 0x05, 0x15}, {}, 0,
       {{0x05, 0x15, 0x25}}},
      {"a hand that is no play: its lowest card", {0x2D, 0x03, 0x19}, {}, 0, {{0x03}}},
      {"straight with the Ace on top, lowest first", {0x01, 0x1C, 0x2D}, {}, 0,
       {{0x1C, 0x2D, 0x01}}},
      {"the rocket, small joker first", {0x4F, 0x4E}, {}, 0, {{0x4E, 0x4F}}},
      // Raw, two jokers with 5 and 6 are no play; the lowest card is offered.
      {"jokers do not make the whole hand a play", {0x4E, 0x06, 0x4F, 0x05}, {}, 0, {{0x05}}},
      {"a lone joker while jokers are no singles", {0x4E}, {}, 0, {{0x4E}}},
      {"empty hand", {}, {}, 0, {}},
      {"a turn that is no play counts as leading", {0x13, 0x09}, {0x03, 0x05}, 0, {{0x13}}},
  };
  for (const auto& c : cases) CheckList(c);
}

TEST(AnswerList, FollowingSingles) {
  const ListCase cases[] = {
      {"one step higher, then the 2s; a joker is no single", {0x4E, 0x2A, 0x12, 0x05}, {0x09}, 0,
       {{0x2A}, {0x12}}},
      {"singles highest colour first, then the joker three", {0x4E, 0x3A, 0x2A, 0x05}, {0x09}, 0,
       {{0x3A}, {0x2A}, {0x2A, 0x3A, 0x4E}}},
      {"two steps higher is not offered", {0x0B, 0x1B}, {0x09}, 0, {}},
      {"after a 2 only bombs", {0x23, 0x13, 0x03, 0x12, 0x01}, {0x22}, 0, {{0x03, 0x13, 0x23}}},
      // The one-step cards after an Ace are the 2s, and the 2s follow once more.
      {"after an Ace the 2s come twice", {0x32, 0x02, 0x05}, {0x01}, 0,
       {{0x32}, {0x02}, {0x32}, {0x02}}},
      {"after a small joker single no 2 is offered", {0x4F, 0x12, 0x05}, {0x4E}, 1, {}},
      {"Aces counted before the 3s and again above the K", {0x01, 0x11, 0x21, 0x07}, {0x05}, 0,
       {{0x01, 0x11, 0x21}, {0x01, 0x11, 0x21}}},
      {"both jokers and nothing else: the rocket", {0x4F, 0x4E}, {0x09}, 0, {{0x4F, 0x4E}}},
  };
  for (const auto& c : cases) CheckList(c);
}

TEST(AnswerList, FollowingPairs) {
  const ListCase cases[] = {
      {"joker pair of 8s: the natural 8s", {0x38, 0x18, 0x05}, {0x08, 0x4E}, 0, {{0x18, 0x38}}},
      {"pair of 8s: a 9 with the joker", {0x4E, 0x29, 0x05}, {0x18, 0x08}, 0, {{0x29, 0x4E}}},
      {"pair of 2s: bombs and the rocket only", {0x4F, 0x4E, 0x03, 0x13}, {0x02, 0x12}, 0,
       {{0x03, 0x13, 0x4F}, {0x03, 0x13, 0x4E}, {0x03, 0x4F, 0x4E}, {0x4F, 0x4E}}},
      {"joker pair of Ks: Aces above the K, 2s, natural Ks, 2s again",
       {0x01, 0x11, 0x1D, 0x2D, 0x12, 0x22}, {0x4F, 0x0D}, 0,
       {{0x01, 0x11}, {0x12, 0x22}, {0x1D, 0x2D}, {0x12, 0x22}}},
      {"pair of Aces: 2s, a 2 with the joker, then the bombs of 2s",
       {0x02, 0x12, 0x32, 0x4E}, {0x01, 0x11}, 0,
       {{0x02, 0x12}, {0x02, 0x4E}, {0x02, 0x12, 0x4E}, {0x02, 0x12, 0x32},
        {0x02, 0x12, 0x32, 0x4E}}},
      {"both jokers with a lone next card and a 2", {0x4F, 0x4E, 0x28, 0x32}, {0x07, 0x17}, 0,
       {{0x28, 0x4F}, {0x28, 0x4E}, {0x32, 0x4F}, {0x32, 0x4E}, {0x28, 0x4F, 0x4E},
        {0x32, 0x4F, 0x4E}, {0x4F, 0x4E}}},
      // With both jokers a next value held twice is offered as a natural pair only.
      {"both jokers: a next value held twice gets no joker", {0x4F, 0x4E, 0x28, 0x38},
       {0x07, 0x17}, 0,
       {{0x28, 0x38}, {0x28, 0x38, 0x4F}, {0x28, 0x38, 0x4E}, {0x28, 0x4F, 0x4E}, {0x4F, 0x4E}}},
      {"a one-card hand cannot answer a pair", {0x29}, {0x08, 0x18}, 0, {}},
      {"a joker pair handed in natural card first", {0x16, 0x26}, {0x05, 0x4E}, 0,
       {{0x16, 0x26}}},
  };
  for (const auto& c : cases) CheckList(c);
}

TEST(AnswerList, FollowingRuns) {
  const ListCase cases[] = {
      {"3-4-5 with 4, 5, 6 and a joker: the run, then the joker run",
       {0x04, 0x15, 0x26, 0x4E}, {0x25, 0x03, 0x14}, 0, {{0x04, 0x15, 0x26}, {0x04, 0x15, 0x4E}}},
      {"J-Q-K: Q-K-A, the Ace written as an Ace", {0x0C, 0x1D, 0x21}, {0x0B, 0x1C, 0x2D}, 0,
       {{0x0C, 0x1D, 0x21}}},
      {"topped by an Ace: no run", {0x3C, 0x3D, 0x31, 0x32, 0x4E}, {0x01, 0x1D, 0x2C}, 0, {}},
      {"both jokers, one gap: the small joker fills it", {0x4F, 0x4E, 0x14, 0x16},
       {0x03, 0x04, 0x05}, 0,
       {{0x14, 0x16, 0x4E}, {0x14, 0x4F, 0x4E}, {0x16, 0x4F, 0x4E}, {0x4F, 0x4E}}},
      {"both jokers, two gaps: both jokers fill them", {0x4F, 0x4E, 0x15, 0x17},
       {0x06, 0x05, 0x04, 0x03}, 0,
       {{0x15, 0x17, 0x4F, 0x4E}, {0x15, 0x4F, 0x4E}, {0x17, 0x4F, 0x4E}, {0x4F, 0x4E}}},
      {"a run of three gaps is not filled", {0x4F, 0x4E, 0x18}, {0x06, 0x05, 0x04, 0x03}, 0,
       {{0x18, 0x4F, 0x4E}, {0x4F, 0x4E}}},
      {"consecutive pairs, complete", {0x04, 0x14, 0x05, 0x25, 0x09}, {0x03, 0x13, 0x04, 0x14}, 0,
       {{0x04, 0x14, 0x05, 0x25}}},
      {"consecutive pairs, both jokers: the big joker fills one gap",
       {0x4F, 0x4E, 0x24, 0x34, 0x15}, {0x03, 0x13, 0x04, 0x14}, 0,
       {{0x24, 0x34, 0x15, 0x4F}, {0x24, 0x34, 0x4F}, {0x24, 0x34, 0x4E}, {0x24, 0x4F, 0x4E},
        {0x15, 0x4F, 0x4E}, {0x4F, 0x4E}}},
  };
  for (const auto& c : cases) CheckList(c);
}

TEST(AnswerList, FollowingBombs) {
  const ListCase cases[] = {
      {"joker three of 5s: higher joker threes, those of 2s, then the stronger families",
       {0x4F, 0x4E, 0x03, 0x06, 0x01, 0x32, 0x17, 0x27, 0x37}, {0x15, 0x4E, 0x05}, 0,
       {{0x06, 0x4F, 0x4E},
        {0x17, 0x27, 0x4F},
        {0x17, 0x27, 0x4E},
        {0x17, 0x4F, 0x4E},
        {0x01, 0x4F, 0x4E},
        {0x32, 0x4F, 0x4E},
        {0x17, 0x27, 0x37},
        {0x17, 0x27, 0x37, 0x4F},
        {0x17, 0x27, 0x37, 0x4E},
        {0x17, 0x27, 0x4F, 0x4E},
        {0x4F, 0x4E}}},
      {"three Aces: only three 2s", {0x02, 0x12, 0x22, 0x03, 0x13, 0x23, 0x31},
       {0x01, 0x11, 0x21}, 0, {{0x02, 0x12, 0x22}}},
      {"three 7s: higher threes with the Aces above the K, not the lower ones",
       {0x01, 0x11, 0x21, 0x05, 0x15, 0x25, 0x0C, 0x1C, 0x2C}, {0x07, 0x17, 0x27}, 0,
       {{0x0C, 0x1C, 0x2C}, {0x01, 0x11, 0x21}}},
      {"joker three of 7s: only values above the 7s", {0x27, 0x37, 0x4F, 0x08, 0x18},
       {0x4E, 0x07, 0x17}, 0, {{0x08, 0x18, 0x4F}}},
      {"three 2s: no threes, joker fours and fours", {0x32, 0x03, 0x13, 0x23, 0x33, 0x4E},
       {0x02, 0x12, 0x22}, 0, {{0x03, 0x13, 0x23, 0x4E}, {0x03, 0x13, 0x23, 0x33}}},
      {"four 9s: only higher fours and the rocket",
       {0x4F, 0x4E, 0x05, 0x15, 0x25, 0x35, 0x0B, 0x1B, 0x2B, 0x3B}, {0x09, 0x19, 0x29, 0x39}, 0,
       {{0x0B, 0x1B, 0x2B, 0x3B}, {0x4F, 0x4E}}},
      {"joker four of 2s: only natural fours", {0x4F, 0x03, 0x13, 0x23, 0x33},
       {0x02, 0x4E, 0x12, 0x22}, 0, {{0x03, 0x13, 0x23, 0x33}}},
      {"the rocket: nothing", {0x4F, 0x03, 0x13, 0x23, 0x33}, {0x4F, 0x4E}, 0, {}},
      {"the rocket given small joker first: still nothing", {0x03, 0x13, 0x23, 0x33},
       {0x4E, 0x4F}, 0, {}},
  };
  for (const auto& c : cases) CheckList(c);
}

struct FindCase {
  const char* name;
  Cards hand;
  Cards turn;
  bool found;
  Cards answer;
};

TEST(AnswerFind, FirstAnswer) {
  const FindCase cases[] = {
      {"leading, empty hand: found, nothing to raise", {}, {}, true, {}},
      {"leading, a play: all of it", {0x25, 0x05, 0x15}, {}, true, {0x05, 0x15, 0x25}},
      {"leading, no play: the lowest card", {0x2D, 0x03, 0x19}, {}, true, {0x03}},
      {"single: one step higher, highest colour", {0x3A, 0x2A, 0x12}, {0x09}, true, {0x3A}},
      {"single: else the highest 2", {0x32, 0x12, 0x05}, {0x09}, true, {0x32}},
      {"single 2: a three", {0x03, 0x13, 0x23, 0x4E}, {0x02}, true, {0x03, 0x13, 0x23}},
      {"joker pair of 8s: the natural 8s first", {0x38, 0x18, 0x19, 0x29}, {0x4E, 0x08}, true,
       {0x18, 0x38}},
      {"pair of 8s: the 9s", {0x19, 0x29, 0x12, 0x22}, {0x08, 0x18}, true, {0x19, 0x29}},
      {"pair of 8s: a 9 with the joker", {0x4E, 0x29, 0x05}, {0x08, 0x18}, true, {0x29, 0x4E}},
      {"pair of 8s: the only 2 with the big joker", {0x4F, 0x12, 0x05}, {0x08, 0x18}, true,
       {0x12, 0x4F}},
      {"pair of 8s: a 2 goes with the big joker only", {0x4E, 0x12, 0x05}, {0x08, 0x18}, false,
       {}},
      {"pair of 2s: the rocket", {0x4F, 0x4E, 0x03}, {0x02, 0x12}, true, {0x4F, 0x4E}},
      // The straight search takes the lowest higher run, even several steps up.
      {"straight: the lowest higher run", {0x09, 0x28, 0x17, 0x06}, {0x03, 0x04, 0x05}, true,
       {0x28, 0x17, 0x06}},
      {"straight: a run never reaches the 2", {0x32, 0x01, 0x1D, 0x09}, {0x03, 0x04, 0x05}, false,
       {}},
      {"consecutive pairs: one step higher", {0x04, 0x14, 0x05, 0x25}, {0x03, 0x13, 0x04, 0x14},
       true, {0x04, 0x14, 0x05, 0x25}},
      {"consecutive pairs two steps higher are not taken", {0x05, 0x15, 0x06, 0x26},
       {0x03, 0x13, 0x04, 0x14}, false, {}},
      {"three 5s: three Ks", {0x0D, 0x1D, 0x2D, 0x03, 0x13, 0x23}, {0x05, 0x15, 0x25}, true,
       {0x0D, 0x1D, 0x2D}},
      // Against a joker three every row lies at or below its joker: the joker four is next.
      {"joker three: rows below the turn's joker are skipped", {0x06, 0x16, 0x26, 0x4F},
       {0x4E, 0x05, 0x15}, true, {0x06, 0x16, 0x26, 0x4F}},
      // Rows are skipped by index, and the 2s (row 1) lie below the K's row.
      {"four Ks: four 2s are not reached", {0x02, 0x12, 0x22, 0x32}, {0x0D, 0x1D, 0x2D, 0x3D},
       false, {}},
      {"four Ks: four Aces above the K", {0x01, 0x11, 0x21, 0x31}, {0x0D, 0x1D, 0x2D, 0x3D}, true,
       {0x01, 0x11, 0x21, 0x31}},
      {"a turn that is no play: any bomb", {0x03, 0x13, 0x23, 0x09}, {0x14, 0x06}, true,
       {0x03, 0x13, 0x23}},
      {"the rocket: nothing", {0x4F, 0x4E, 0x03, 0x13, 0x23, 0x33}, {0x4F, 0x4E}, false, {}},
  };
  CGameLogic logic;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    tagPlayCandidate out;
    std::memset(&out, 0xAA, sizeof(out));
    EXPECT_EQ(logic.FindAnswer(c.hand.data(), Count(c.hand), c.turn.data(), Count(c.turn), out),
              c.found);
    ASSERT_LE(out.count, MAX_CARDS);
    EXPECT_EQ(Hex(out.cards, out.count), Hex(c.answer));
  }
}

// Input the search must refuse without reading or writing past an array.
TEST(AnswerInput, RefusedInput) {
  const Cards five = {0x03, 0x14, 0x25, 0x36, 0x07};
  Cards twentyEight(CARD_DECK, CARD_DECK + 28);
  const struct {
    const char* name;
    Cards hand;
    Cards turn;
  } cases[] = {
      {"hand of 28 cards, leading", twentyEight, {}},
      {"hand of 28 cards, following", twentyEight, {0x09}},
      {"turn of 28 cards", five, twentyEight},
      {"hand with a zero byte", {0x03, 0x00, 0x09}, {}},
      {"hand with a byte that is no card", {0x03, 0x4D, 0x09}, {0x05}},
      {"hand with a face value above K", {0x1E, 0x09}, {}},
      {"hand holding a card twice", {0x05, 0x15, 0x05}, {}},
      {"hand holding a joker twice", {0x4E, 0x4E, 0x09, 0x19}, {0x08, 0x18}},
  };
  CGameLogic logic;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    // A full list from an earlier search must not survive a refused one.
    tagPlayCandidate scratch;
    ASSERT_TRUE(logic.ListAnswers(five.data(), Count(five), nullptr, 0, scratch));
    ASSERT_EQ(logic.GetAnswerCount(), 1u);

    // Exact-size copies: reading past them shows up under the address sanitizer.
    const std::vector<uint8_t> hand(c.hand);
    const std::vector<uint8_t> turn(c.turn);
    EXPECT_FALSE(logic.ListAnswers(hand.data(), Count(hand), turn.data(), Count(turn), scratch));
    EXPECT_EQ(logic.GetAnswerCount(), 0u);
    EXPECT_EQ(scratch.count, 0);

    tagPlayCandidate out;
    std::memset(&out, 0xAA, sizeof(out));
    EXPECT_FALSE(logic.FindAnswer(hand.data(), Count(hand), turn.data(), Count(turn), out));
    EXPECT_EQ(out.count, 0);
  }
}

TEST(AnswerInput, CountsWrappingPastTheArrays) {
  // The largest counts a byte can carry, with buffers of exactly that size.
  std::vector<uint8_t> hand(255, 0x05);
  std::vector<uint8_t> turn(255, 0x09);
  CGameLogic logic;
  tagPlayCandidate scratch;
  EXPECT_FALSE(logic.ListAnswers(hand.data(), 255, turn.data(), 1, scratch));
  EXPECT_FALSE(logic.ListAnswers(CARD_DECK, 27, turn.data(), 255, scratch));
  EXPECT_EQ(logic.GetAnswerCount(), 0u);
  tagPlayCandidate out;
  EXPECT_FALSE(logic.FindAnswer(hand.data(), 255, nullptr, 0, out));
  EXPECT_FALSE(logic.FindAnswer(CARD_DECK, 27, turn.data(), 255, out));
}

// ---- Properties over random hands and turns ------------------------------------------------

struct Deal {
  Cards hand;
  Cards turn;  // empty when leading
  uint8_t turnType;
  uint8_t singleJokerRule;
};

// A turn of the given type (PT_INVALID: leading) and a hand from the rest of the deck, both
// shuffled.
Deal RandomDeal(CPlayMaker& maker) {
  Deal d;
  d.singleJokerRule = static_cast<uint8_t>(maker.Between(0, 1));
  d.turnType = static_cast<uint8_t>(maker.Between(0, PT_ROCKET));
  if (d.turnType == PT_SINGLE && d.singleJokerRule == 1 && maker.Between(0, 4) == 0) {
    d.turn = {maker.AnyJoker()};
  } else if (d.turnType != PT_INVALID) {
    d.turn = maker.Make(d.turnType);
  }
  Cards rest;
  for (uint8_t card : CARD_DECK) {
    if (std::find(d.turn.begin(), d.turn.end(), card) == d.turn.end()) rest.push_back(card);
  }
  std::shuffle(rest.begin(), rest.end(), maker.Rng());
  rest.resize(maker.Between(0, MAX_CARDS));
  d.hand = rest;
  return d;
}

Cards Sorted(const CGameLogic& logic, const uint8_t* cards, uint8_t count) {
  Cards sorted(cards, cards + count);
  logic.SortCards(sorted.data(), count, SORT_BY_RANK);
  return sorted;
}

// The size a candidate of this type must have: bombs and the rocket their own, any other
// answer the size of the play it follows.
size_t ExpectedSize(uint8_t type, size_t turnCount) {
  switch (type) {
    case PT_BOMB3_JOKER:
    case PT_BOMB3:
      return 3;
    case PT_BOMB4_JOKER:
    case PT_BOMB4:
      return 4;
    case PT_ROCKET:
      return 2;
    default:
      return turnCount;
  }
}

TEST(AnswerProperties, RandomHandsAndTurns) {
  CPlayMaker maker(20261206);
  CGameLogic logic;
  tagPlayCandidate scratch;
  for (int round = 0; round < 20000; ++round) {
    const Deal d = RandomDeal(maker);
    logic.SetSingleJokerRule(d.singleJokerRule);
    const std::string where = "hand " + Hex(d.hand) + " turn " + Hex(d.turn) + " rule " +
                              std::to_string(d.singleJokerRule);
    SCOPED_TRACE(where);
    const Cards turn = Sorted(logic, d.turn.data(), Count(d.turn));
    ASSERT_EQ(logic.ClassifyPlay(turn.data(), Count(turn)), d.turnType) << "test deal";

    const bool listed =
        logic.ListAnswers(d.hand.data(), Count(d.hand), d.turn.data(), Count(d.turn), scratch);
    EXPECT_EQ(listed, logic.GetAnswerCount() > 0);
    std::vector<Cards> list;
    for (size_t i = 0; i < logic.GetAnswerCount(); ++i) {
      const tagPlayCandidate& c = logic.GetAnswer(i);
      ASSERT_LE(c.count, MAX_CARDS);
      list.emplace_back(c.cards, c.cards + c.count);
    }

    if (d.turn.empty()) {
      // Leading always offers exactly one play for a hand that has cards.
      EXPECT_EQ(list.size(), d.hand.empty() ? 0u : 1u);
    }
    for (const Cards& c : list) {
      SCOPED_TRACE("candidate " + Hex(c));
      ASSERT_FALSE(c.empty());
      for (size_t i = 0; i < c.size(); ++i) {
        EXPECT_NE(std::find(d.hand.begin(), d.hand.end(), c[i]), d.hand.end()) << "not in hand";
        EXPECT_EQ(std::count(c.begin(), c.end(), c[i]), 1) << "card twice";
      }
      if (d.turn.empty()) continue;
      const Cards sorted = Sorted(logic, c.data(), Count(c));
      const uint8_t type = logic.ClassifyPlay(sorted.data(), Count(sorted));
      const bool jokerRun = (d.turnType == PT_SHUNZI || d.turnType == PT_LIANDUI) &&
                            type == PT_INVALID &&
                            std::any_of(c.begin(), c.end(), IsJokerCard);
      if (jokerRun) {
        // A run completed by jokers: as large as the turn, and the jokers stand for the
        // cards it misses.
        EXPECT_EQ(c.size(), d.turn.size());
        uint8_t display[MAX_CARDS];
        EXPECT_TRUE(logic.ResolveJokers(c.data(), Count(c), display, turn.data(), Count(turn)));
        EXPECT_EQ(logic.ClassifyPlay(display, Count(c)), d.turnType);
        continue;
      }
      ASSERT_NE(type, PT_INVALID);
      EXPECT_EQ(c.size(), ExpectedSize(type, d.turn.size()));
      EXPECT_TRUE(logic.CanBeat(turn.data(), sorted.data(), Count(turn), Count(sorted)))
          << "does not beat the turn";
    }

    // Neither search depends on the order in which the cards come in.
    Cards hand2 = d.hand;
    Cards turn2 = d.turn;
    std::shuffle(hand2.begin(), hand2.end(), maker.Rng());
    std::shuffle(turn2.begin(), turn2.end(), maker.Rng());
    logic.ListAnswers(hand2.data(), Count(hand2), turn2.data(), Count(turn2), scratch);
    EXPECT_EQ(ListText(logic), ListText(list));

    tagPlayCandidate out;
    const bool found =
        logic.FindAnswer(d.hand.data(), Count(d.hand), d.turn.data(), Count(d.turn), out);
    ASSERT_LE(out.count, MAX_CARDS);
    const Cards answer(out.cards, out.cards + out.count);
    SCOPED_TRACE("answer " + Hex(answer));
    if (d.turn.empty()) {
      EXPECT_TRUE(found);
      EXPECT_EQ(answer.empty(), d.hand.empty());
      if (!d.hand.empty()) {
        EXPECT_EQ(Hex(answer), Hex(list.front()));
      }
    } else if (found) {
      ASSERT_FALSE(answer.empty());
      for (uint8_t card : answer) {
        EXPECT_NE(std::find(d.hand.begin(), d.hand.end(), card), d.hand.end()) << "not in hand";
        EXPECT_EQ(std::count(answer.begin(), answer.end(), card), 1) << "card twice";
      }
      const Cards sorted = Sorted(logic, answer.data(), Count(answer));
      const uint8_t type = logic.ClassifyPlay(sorted.data(), Count(sorted));
      ASSERT_NE(type, PT_INVALID);
      EXPECT_EQ(answer.size(), ExpectedSize(type, d.turn.size()));
      // A straight may stand several steps higher; anything else beats the turn.
      if (type != PT_SHUNZI) {
        EXPECT_TRUE(logic.CanBeat(turn.data(), sorted.data(), Count(turn), Count(sorted)));
      }
    } else {
      EXPECT_EQ(out.count, 0);
    }
    tagPlayCandidate again;
    EXPECT_EQ(logic.FindAnswer(hand2.data(), Count(hand2), turn2.data(), Count(turn2), again),
              found);
    EXPECT_EQ(Hex(again.cards, again.count), Hex(answer));
  }
}

// Repeated searches reuse the list's storage instead of allocating anew.
TEST(AnswerProperties, ListStorageIsReused) {
  CPlayMaker maker(7);
  CGameLogic logic;
  tagPlayCandidate scratch;
  const Cards hand(CARD_DECK + 27, CARD_DECK + 54);  // 2..K of two colours, both jokers
  const Cards turn = {0x05};
  ASSERT_TRUE(logic.ListAnswers(hand.data(), Count(hand), turn.data(), Count(turn), scratch));
  const tagPlayCandidate* storage = &logic.GetAnswer(0);
  for (int round = 0; round < 2000; ++round) {
    const Deal d = RandomDeal(maker);
    if (!logic.ListAnswers(d.hand.data(), Count(d.hand), d.turn.data(), Count(d.turn), scratch)) {
      continue;
    }
    ASSERT_EQ(&logic.GetAnswer(0), storage);
  }
}

}  // namespace
