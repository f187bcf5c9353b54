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

bool HasJoker(const uint8_t* cards, size_t count) {
  return std::any_of(cards, cards + count, [](uint8_t c) { return (c & 0xF0) == 0x40; });
}

Cards SortedBytes(Cards cards) {
  std::sort(cards.begin(), cards.end());
  return cards;
}

// True when every card of `part` is in `whole` (as many times).
bool Contains(const Cards& whole, const Cards& part) {
  std::map<uint8_t, int> left;
  for (uint8_t c : whole) ++left[c];
  for (uint8_t c : part) {
    if (--left[c] < 0) return false;
  }
  return true;
}

TEST(RandomHands, SortByRankIsAPermutationInRankOrder) {
  CPlayMaker maker(1001);
  const CGameLogic logic;
  for (int round = 0; round < kRounds; ++round) {
    Cards hand = maker.Hand(maker.Between(1, MAX_CARDS));
    const Cards dealt = hand;
    logic.SortCards(hand.data(), Count(hand), SORT_BY_RANK);
    ASSERT_EQ(SortedBytes(hand), SortedBytes(dealt)) << Hex(dealt);
    for (size_t i = 1; i < hand.size(); ++i) {
      const auto before = std::make_tuple(Logic(hand[i - 1]), hand[i - 1]);
      const auto after = std::make_tuple(Logic(hand[i]), hand[i]);
      ASSERT_GT(before, after) << Hex(dealt) << " -> " << Hex(hand);
    }
  }
}

TEST(RandomHands, SortByBlocksGroupsFoursThreesPairsSingles) {
  CPlayMaker maker(1002);
  const CGameLogic logic;
  for (int round = 0; round < kRounds; ++round) {
    Cards hand = maker.Hand(maker.Between(1, MAX_CARDS));
    std::map<int, int> perValue;
    for (uint8_t c : hand) ++perValue[Logic(c)];
    // Larger blocks first, then higher values, then larger bytes.
    Cards expected = hand;
    std::sort(expected.begin(), expected.end(), [&](uint8_t a, uint8_t b) {
      return std::make_tuple(perValue[Logic(a)], Logic(a), a) >
             std::make_tuple(perValue[Logic(b)], Logic(b), b);
    });
    const Cards dealt = hand;
    logic.SortCards(hand.data(), Count(hand), SORT_BY_BLOCKS);
    ASSERT_EQ(Hex(hand), Hex(expected)) << "dealt " << Hex(dealt);
  }
}

TEST(RandomHands, RemoveConservesCards) {
  CPlayMaker maker(1004);
  const CGameLogic logic;
  for (int round = 0; round < kRounds; ++round) {
    const Cards dealt = maker.Hand(maker.Between(1, MAX_CARDS));
    Cards remove = dealt;
    std::shuffle(remove.begin(), remove.end(), maker.Rng());
    remove.resize(maker.Between(0, Count(dealt)));
    Cards rest;
    for (uint8_t c : dealt) {
      if (std::find(remove.begin(), remove.end(), c) == remove.end()) rest.push_back(c);
    }

    Cards hand = dealt;
    ASSERT_TRUE(logic.RemoveCard(remove.data(), Count(remove), hand.data(), Count(hand)));
    ASSERT_EQ(Hex(hand.data(), rest.size()), Hex(rest)) << "removing " << Hex(remove);

    // One card the hand does not hold spoils the whole removal.
    const Cards others = maker.Hand(DECK_SIZE);
    const uint8_t stranger = *std::find_if(others.begin(), others.end(), [&](uint8_t c) {
      return std::find(dealt.begin(), dealt.end(), c) == dealt.end();
    });
    remove.insert(remove.begin() + maker.Between(0, Count(remove)), stranger);
    hand = dealt;
    ASSERT_FALSE(logic.RemoveCard(remove.data(), Count(remove), hand.data(), Count(hand)));
    ASSERT_EQ(Hex(hand), Hex(dealt));
  }
}

TEST(RandomPlays, ClassificationIsIndependentOfInputOrderOnceSorted) {
  CPlayMaker maker(1005);
  const CGameLogic logic;
  for (uint8_t type = PT_SINGLE; type <= PT_ROCKET; ++type) {
    for (int round = 0; round < kRounds / 4; ++round) {
      Cards first = maker.Make(type);
      Cards second = first;
      std::shuffle(second.begin(), second.end(), maker.Rng());
      logic.SortCards(first.data(), Count(first), SORT_BY_RANK);
      logic.SortCards(second.data(), Count(second), SORT_BY_RANK);
      ASSERT_EQ(Hex(first), Hex(second));
      ASSERT_EQ(logic.ClassifyPlay(first.data(), Count(first)), type) << Hex(first);
    }
  }
  // Any few cards, dealt in two orders: one type once sorted, and one that fits the size.
  for (int round = 0; round < kRounds * 5; ++round) {
    Cards play = maker.Hand(maker.Between(1, 8));
    Cards again = play;
    std::shuffle(again.begin(), again.end(), maker.Rng());
    logic.SortCards(play.data(), Count(play), SORT_BY_RANK);
    logic.SortCards(again.data(), Count(again), SORT_BY_RANK);
    const uint8_t type = logic.ClassifyPlay(play.data(), Count(play));
    ASSERT_EQ(logic.ClassifyPlay(again.data(), Count(again)), type) << Hex(play);
    const size_t n = play.size();
    const bool natural = !HasJoker(play.data(), n);
    const bool fits = type == PT_INVALID || (type == PT_SINGLE && n == 1) ||
                      ((type == PT_PAIR || type == PT_ROCKET) && n == 2) ||
                      ((type == PT_BOMB3 || type == PT_BOMB3_JOKER) && n == 3) ||
                      ((type == PT_BOMB4 || type == PT_BOMB4_JOKER) && n == 4) ||
                      (type == PT_SHUNZI && n >= 3 && natural) ||
                      (type == PT_LIANDUI && n >= 4 && n % 2 == 0 && natural);
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
                   [&, n = 0](uint8_t c) mutable { return (c & 0xF0) != 0x40 && n++ < naturals; });
    }
    logic.SortCards(play.data(), Count(play), SORT_BY_RANK);

    uint8_t out[64];
    std::memset(out, 0xEE, sizeof out);
    const bool replaced =
        logic.ResolveJokers(play.data(), Count(play), out, turn.data(), Count(turn));
    const Cards resolved(out, out + play.size());
    ASSERT_TRUE(
        std::all_of(out + play.size(), out + sizeof out, [](uint8_t b) { return b == 0xEE; }))
        << "written past the play " << Hex(play);
    if (!replaced) {
      ASSERT_EQ(Hex(resolved), Hex(play));
      continue;
    }
    ASSERT_FALSE(HasJoker(out, play.size())) << Hex(play) << " on " << Hex(turn);
    Cards naturals;
    std::copy_if(play.begin(), play.end(), std::back_inserter(naturals),
                 [](uint8_t c) { return (c & 0xF0) != 0x40; });
    ASSERT_TRUE(Contains(resolved, naturals)) << Hex(play) << " -> " << Hex(resolved);
    ASSERT_TRUE(turnType == PT_INVALID || run) << "jokers replaced against " << Hex(turn);
    if (turnType == PT_INVALID) {
      ASSERT_NE(logic.ClassifyPlay(out, Count(play)), PT_INVALID)
          << Hex(play) << " -> " << Hex(resolved);
    }
    if (turnType == PT_LIANDUI) {
      ASSERT_TRUE(logic.CanBeat(turn.data(), out, Count(turn), Count(play)))
          << Hex(resolved) << " on " << Hex(turn);
    }
  }
}

TEST(RandomPlays, OneJokerCompletesTheRunOneStepHigher) {
  CPlayMaker maker(1008);
  const CGameLogic logic;
  for (int round = 0; round < kRounds; ++round) {
    Cards turn = maker.Make(maker.Between(0, 1) ? PT_SHUNZI : PT_LIANDUI);
    logic.SortCards(turn.data(), Count(turn), SORT_BY_RANK);
    if (Logic(turn[0]) > 13) continue;
    Cards target = Shifted(turn, 1);
    Cards play = target;
    play[maker.Between(0, Count(play) - 1)] = maker.AnyJoker();
    logic.SortCards(play.data(), Count(play), SORT_BY_RANK);

    Cards out(play.size());
    ASSERT_TRUE(logic.ResolveJokers(play.data(), Count(play), out.data(), turn.data(), Count(turn)))
        << Hex(play) << " on " << Hex(turn);
    ASSERT_TRUE(logic.CanBeat(turn.data(), out.data(), Count(turn), Count(out)))
        << Hex(play) << " -> " << Hex(out) << " on " << Hex(turn);
    Cards ranks, targetRanks;
    for (uint8_t c : out) ranks.push_back(static_cast<uint8_t>(Logic(c)));
    for (uint8_t c : target) targetRanks.push_back(static_cast<uint8_t>(Logic(c)));
    ASSERT_EQ(SortedBytes(ranks), SortedBytes(targetRanks)) << Hex(out);
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

    tagCardTally tally;
    std::memset(&tally, 0xAA, sizeof tally);
    logic.TallyCards(cards, n, tally);
    EXPECT_EQ(tally.cardCount, 0);
    for (const auto& row : tally.rows) EXPECT_EQ(*std::max_element(row, row + 6), 0);

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
