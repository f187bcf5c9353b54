// Card rules over random hands and plays (fixed seeds), and lists longer than MAX_CARDS.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <tuple>

#include "rules/GameLogic.h"
#include "tests/rules/card_list_util.h"

namespace {

using cardtest::Cards;
using cardtest::Count;
using cardtest::Hex;

constexpr int kRounds = 2000;

// The logic value, written out here so the ordering checks do not lean on GetCardRank.
int Logic(uint8_t card) {
  const int face = card & 0x0F;
  if ((card & 0xF0) == 0x40) return face + 2;
  return face > 2 ? face : face + 13;
}

bool HasJoker(const Cards& cards) { return std::any_of(cards.begin(), cards.end(), IsJokerCard); }

// Rank order: higher values first, then larger bytes; block order puts larger blocks first.
TEST(RandomHands, SortOrders) {
  CPlayMaker maker(1001);
  const CGameLogic logic;
  for (int round = 0; round < kRounds; ++round) {
    const Cards dealt = maker.Hand(maker.Between(1, MAX_CARDS));
    std::map<int, int> perValue;
    for (uint8_t c : dealt) ++perValue[Logic(c)];
    for (const uint8_t mode : {SORT_BY_RANK, SORT_BY_BLOCKS}) {
      Cards expected = dealt;
      std::sort(expected.begin(), expected.end(), [&](uint8_t a, uint8_t b) {
        const int blockA = mode == SORT_BY_BLOCKS ? perValue[Logic(a)] : 0;
        const int blockB = mode == SORT_BY_BLOCKS ? perValue[Logic(b)] : 0;
        return std::make_tuple(blockA, Logic(a), a) > std::make_tuple(blockB, Logic(b), b);
      });
      Cards hand = dealt;
      logic.SortCards(hand.data(), Count(hand), mode);
      ASSERT_EQ(Hex(hand), Hex(expected)) << "dealt " << Hex(dealt) << ", mode " << int{mode};
    }
  }
}

// Plays made to be of a type are of that type once sorted; any few cards are of a type that
// fits their size.
TEST(RandomPlays, ClassificationFitsThePlay) {
  CPlayMaker maker(1005);
  const CGameLogic logic;
  for (uint8_t type = PT_SINGLE; type <= PT_ROCKET; ++type) {
    for (int round = 0; round < kRounds / 4; ++round) {
      Cards play = maker.Make(type);
      logic.SortCards(play.data(), Count(play), SORT_BY_RANK);
      ASSERT_EQ(logic.ClassifyPlay(play.data(), Count(play)), type) << Hex(play);
    }
  }
  for (int round = 0; round < kRounds * 5; ++round) {
    Cards play = maker.Hand(maker.Between(1, 8));
    logic.SortCards(play.data(), Count(play), SORT_BY_RANK);
    const uint8_t type = logic.ClassifyPlay(play.data(), Count(play));
    const size_t n = play.size();
    const bool fits = type == PT_INVALID || (type == PT_SINGLE && n == 1) ||
                      ((type == PT_PAIR || type == PT_ROCKET) && n == 2) ||
                      ((type == PT_BOMB3 || type == PT_BOMB3_JOKER) && n == 3) ||
                      ((type == PT_BOMB4 || type == PT_BOMB4_JOKER) && n == 4) ||
                      (type == PT_SHUNZI && n >= 3 && !HasJoker(play)) ||
                      (type == PT_LIANDUI && n >= 4 && n % 2 == 0 && !HasJoker(play));
    ASSERT_TRUE(fits) << Hex(play) << " classified " << int{type};
  }
}

// Every card of a straight or of consecutive pairs moved `steps` values up, colours kept.
Cards Shifted(const Cards& play, int steps) {
  Cards moved;
  for (uint8_t c : play) moved.push_back(NaturalCard(Logic(c) + steps, c >> 4));
  return moved;
}

TEST(RandomPlays, AResolvedPlayNeverHoldsAJoker) {
  CPlayMaker maker(1007);
  const CGameLogic logic;
  const uint8_t turnTypes[] = {PT_INVALID, PT_SINGLE, PT_PAIR, PT_SHUNZI,
                               PT_LIANDUI, PT_BOMB3,  PT_BOMB4};
  for (int round = 0; round < kRounds * 5; ++round) {
    const uint8_t turnType = turnTypes[maker.Between(0, 6)];
    Cards turn = turnType == PT_INVALID ? Cards{} : maker.Make(turnType);
    logic.SortCards(turn.data(), Count(turn), SORT_BY_RANK);
    const bool run = turnType == PT_SHUNZI || turnType == PT_LIANDUI;
    Cards play;
    if (run && maker.Between(0, 1)) {
      // Near the answer: the run moved 0..2 steps up with one or two cards made jokers.
      play = Shifted(turn, maker.Between(0, std::min(2, 14 - Logic(turn[0]))));
      std::shuffle(play.begin(), play.end(), maker.Rng());
      play[0] = CARD_BIG_JOKER;
      if (maker.Between(0, 1)) play[1] = CARD_SMALL_JOKER;
    } else {
      play = {CARD_BIG_JOKER, CARD_SMALL_JOKER};
      if (maker.Between(0, 1)) play.erase(play.begin() + maker.Between(0, 1));
      const Cards deck = maker.Hand(DECK_SIZE);
      const int naturals = maker.Between(1, 5);
      std::copy_if(deck.begin(), deck.end(), std::back_inserter(play),
                   [&, n = 0](uint8_t c) mutable { return !IsJokerCard(c) && n++ < naturals; });
    }
    logic.SortCards(play.data(), Count(play), SORT_BY_RANK);
    SCOPED_TRACE(Hex(play) + " on " + Hex(turn));

    uint8_t out[64];
    std::memset(out, 0xEE, sizeof out);
    const bool replaced =
        logic.ResolveJokers(play.data(), Count(play), out, turn.data(), Count(turn));
    const Cards resolved(out, out + play.size());
    ASSERT_TRUE(
        std::all_of(out + play.size(), out + sizeof out, [](uint8_t b) { return b == 0xEE; }));
    if (!replaced) {
      ASSERT_EQ(Hex(resolved), Hex(play));
      continue;
    }
    ASSERT_FALSE(HasJoker(resolved)) << Hex(resolved);
    // The natural cards stay: taking them from the resolved play leaves the jokers' stand-ins.
    Cards naturals, rest = resolved;
    std::copy_if(play.begin(), play.end(), std::back_inserter(naturals),
                 [](uint8_t c) { return !IsJokerCard(c); });
    ASSERT_TRUE(logic.RemoveCard(naturals.data(), Count(naturals), rest.data(), Count(rest)));
    ASSERT_TRUE(turnType == PT_INVALID || run) << "jokers replaced, not following a run";
    // Leading, the jokers make a play; following pairs, one that beats them.
    ASSERT_TRUE(turnType != PT_INVALID || logic.ClassifyPlay(out, Count(play)) != PT_INVALID);
    ASSERT_TRUE(turnType != PT_LIANDUI ||
                logic.CanBeat(turn.data(), out, Count(turn), Count(play)));
  }
}

// A count above 27 would overrun every fixed list: such a list is refused whole.
TEST(OverlongLists, AreInvalidAndLeaveEverythingUnchanged) {
  uint8_t cards[256];
  for (size_t i = 0; i < sizeof cards; ++i)
    cards[i] = CARD_DECK[(i + 52) % DECK_SIZE];  // jokers first
  const uint8_t bomb[] = {0x33, 0x23, 0x13, 0x03};
  const uint8_t jokerRun[] = {0x4E, 0x06, 0x05};
  for (int count : {MAX_CARDS + 1, 54, 255}) {
    SCOPED_TRACE(count);
    const uint8_t n = static_cast<uint8_t>(count);
    CGameLogic logic;
    logic.SetSingleJokerRule(1);
    EXPECT_EQ(logic.ClassifyPlay(cards, n), PT_INVALID);
    EXPECT_FALSE(logic.CanBeat(bomb, cards, 4, n));
    EXPECT_FALSE(logic.CanBeat(cards, bomb, n, 4));

    uint8_t copy[256];
    std::memcpy(copy, cards, sizeof copy);
    logic.SortCards(copy, n, SORT_BY_RANK);
    logic.SortCards(copy, n, SORT_BY_BLOCKS);
    EXPECT_EQ(std::memcmp(copy, cards, sizeof copy), 0);
    EXPECT_FALSE(logic.RemoveCard(cards, 1, copy, n));
    EXPECT_FALSE(logic.RemoveCard(cards, n, copy, n));
    EXPECT_EQ(std::memcmp(copy, cards, sizeof copy), 0);

    tagCardTally tally, none{};
    std::memset(&tally, 0xAA, sizeof tally);
    logic.TallyCards(cards, n, tally);
    EXPECT_EQ(std::memcmp(&tally, &none, sizeof tally), 0);

    tagCardBlocks blocks{};
    logic.SplitIntoBlocks(cards, n, blocks);
    EXPECT_LE(
        blocks.fourCount * 4 + blocks.threeCount * 3 + blocks.doubleCount * 2 + blocks.singleCount,
        MAX_CARDS);

    uint8_t out[256];
    std::memset(out, 0xEE, sizeof out);
    EXPECT_FALSE(logic.ResolveJokers(cards, n, out, nullptr, 0));
    EXPECT_FALSE(logic.ResolveJokers(cards, n, out, jokerRun, 3));
    EXPECT_TRUE(std::all_of(out, out + sizeof out, [](uint8_t b) { return b == 0xEE; }))
        << "out written";
    // An over-long play on the table is no straight to follow.
    EXPECT_FALSE(logic.ResolveJokers(jokerRun, 3, out, cards, n));
    EXPECT_EQ(Hex(out, 3), Hex(jokerRun, 3));
  }
}

}  // namespace
