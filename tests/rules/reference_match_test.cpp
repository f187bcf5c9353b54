// The rules of rules/ answer exactly as the plain reference (reference_logic.h) on many random
// positions: hands of every size, clumped so that bombs, runs and jokers are common, now and
// then holding a byte no deck has, or one play; turns of every type held as played and in
// display form, unsorted; plays near an answer, plays with jokers, and bytes that are no cards
// or come twice.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "tests/rules/card_list_util.h"
#include "tests/rules/reference_logic.h"

namespace {

using cardtest::Cards;
using cardtest::Hex;

// Cards of a few values only (and the jokers), so that a hand holds many bombs and runs.
Cards Clumped(CPlayMaker& maker) {
  Cards cards = {CARD_SMALL_JOKER, CARD_BIG_JOKER};
  const int values = maker.Between(2, 9);
  const int low = maker.Between(RANK_THREE, RANK_TWO);
  for (int v = 0; v < values; ++v) {
    const int rank = maker.Between(0, 2) ? std::min(low + v, int{RANK_TWO}) : maker.Between(3, 15);
    for (int colour = 0; colour < 4; ++colour) cards.push_back(NaturalCard(rank, colour));
  }
  std::sort(cards.begin(), cards.end());
  cards.erase(std::unique(cards.begin(), cards.end()), cards.end());
  std::shuffle(cards.begin(), cards.end(), maker.Rng());
  return cards;
}

void Put(const Cards& cards, uint8_t* to, uint8_t& count) {
  count = static_cast<uint8_t>(std::min(cards.size(), reference::POSITION_ROOM));
  std::copy(cards.begin(), cards.begin() + count, to);
}

// Up to two of the cards made jokers, as a play that the jokers complete.
Cards WithJokers(CPlayMaker& maker, Cards cards) {
  if (cards.empty()) return cards;
  std::shuffle(cards.begin(), cards.end(), maker.Rng());
  cards[0] = maker.AnyJoker();
  if (cards.size() > 1 && maker.Between(0, 1)) {
    cards[0] = CARD_BIG_JOKER;
    cards[1] = CARD_SMALL_JOKER;
  }
  return cards;
}

reference::Position RandomPosition(CPlayMaker& maker) {
  reference::Position p{};
  p.rule = static_cast<uint8_t>(maker.Between(0, 1));

  // The turn in display form, and as played: a run or a bomb partly made of jokers.
  const uint8_t type = static_cast<uint8_t>(maker.Between(PT_INVALID, PT_ROCKET));
  Cards shown = maker.Make(type);
  if (type == PT_SINGLE && maker.Between(0, 5) == 0) shown = {maker.AnyJoker()};
  if (maker.Between(0, 12) == 0) shown = maker.Hand(maker.Between(1, 6));  // mostly no play
  Cards played = shown;
  if (shown.size() >= 3 && maker.Between(0, 2) == 0) played = WithJokers(maker, shown);
  Put(played, p.turn, p.turnCount);
  std::copy(shown.begin(), shown.begin() + p.turnCount, p.turnResolved);

  // The hand: from the rest of the deck, or clumped; now and then with a byte it cannot hold.
  Cards rest;
  const Cards pool = maker.Between(0, 2) ? maker.Hand(DECK_SIZE) : Clumped(maker);
  for (uint8_t card : pool) {
    if (std::find(played.begin(), played.end(), card) == played.end()) rest.push_back(card);
  }
  const int size = maker.Between(0, 1) ? MAX_CARDS : maker.Between(0, MAX_CARDS);
  rest.resize(std::min<size_t>(rest.size(), size));
  if (maker.Between(0, 9) == 0) {  // a hand that is one play, up to 12 pairs, to lead at once
    rest = maker.Make(static_cast<uint8_t>(maker.Between(PT_SINGLE, PT_ROCKET)));
    if (maker.Between(0, 1)) rest = WithJokers(maker, rest);
  }
  if (maker.Between(0, 30) == 0) rest.push_back(maker.Between(0, 1) ? 0x4D : CARD_BIG_JOKER);
  Put(rest, p.hand, p.handCount);

  // The play: part of the hand, the turn's display form one step up with jokers, a play of any
  // type with jokers, or any bytes.
  Cards play;
  switch (maker.Between(0, 5)) {
    case 0:
    case 1: {
      play = rest;
      std::shuffle(play.begin(), play.end(), maker.Rng());
      // Mostly a few cards: the reference tries every joker value on every card.
      play.resize(std::min<size_t>(
          play.size(), maker.Between(0, 3) ? maker.Between(1, 7) : maker.Between(1, 27)));
      break;
    }
    case 2:
      for (uint8_t c : shown) {
        const int rank = CardRank(c) + maker.Between(0, 1);
        play.push_back(rank <= RANK_TWO ? NaturalCard(rank, c >> 4) : c);
      }
      play = WithJokers(maker, play);
      break;
    case 3:
    case 4:
      play = WithJokers(maker, maker.Make(static_cast<uint8_t>(maker.Between(1, 9))));
      break;
    default:
      for (int n = maker.Between(1, 8); n > 0; --n) {
        const uint8_t odd[] = {0x00, 0x40, 0x4D, 0x3E, CARD_BIG_JOKER, CARD_SMALL_JOKER, 0x05};
        play.push_back(maker.Between(0, 2) ? maker.Hand(1)[0] : odd[maker.Between(0, 6)]);
      }
      break;
  }
  Put(play, p.play, p.playCount);
  return p;
}

TEST(ReferenceMatch, RandomPositions) {
  CPlayMaker maker(20261208);
  CGameLogic logic;
  for (int round = 0; round < 6000; ++round) {
    const reference::Position p = RandomPosition(maker);
    ASSERT_EQ(reference::Differences(logic, p), "")
        << "hand " << Hex(p.hand, p.handCount) << ", turn " << Hex(p.turn, p.turnCount) << " shown "
        << Hex(p.turnResolved, p.turnCount) << ", play " << Hex(p.play, p.playCount) << ", rule "
        << int{p.rule};
  }
}

}  // namespace
