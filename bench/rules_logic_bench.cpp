// Play classification, comparison and joker substitution over random sorted plays of every
// type. One iteration is one call; the report's time column is ns per call.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "rules/GameLogic.h"
#include "rules/PlayMaker.h"

namespace {

using Cards = std::vector<uint8_t>;

constexpr size_t kPlays = 4096;  // plays per benchmark, walked round robin

struct Play {
  uint8_t count = 0;
  uint8_t cards[MAX_CARDS] = {};
};

Play Sorted(const CGameLogic& logic, const Cards& cards) {
  Play play;
  play.count = static_cast<uint8_t>(cards.size());
  std::copy(cards.begin(), cards.end(), play.cards);
  logic.SortCards(play.cards, play.count, SORT_BY_RANK);
  return play;
}

uint8_t AnyType(CPlayMaker& maker) {
  return static_cast<uint8_t>(maker.Between(PT_SINGLE, PT_ROCKET));
}

void BM_ClassifyPlay(benchmark::State& state) {
  CGameLogic logic;
  CPlayMaker maker(2001);
  std::vector<Play> plays;
  for (size_t i = 0; i < kPlays; ++i) plays.push_back(Sorted(logic, maker.Make(AnyType(maker))));
  size_t i = 0;
  for (auto _ : state) {
    const Play& p = plays[i++ % kPlays];
    benchmark::DoNotOptimize(logic.ClassifyPlay(p.cards, p.count));
  }
  state.SetItemsProcessed(state.iterations());
}

// Half the pairs are of one type (the step rules), half of any two types (bomb order).
void BM_CanBeat(benchmark::State& state) {
  CGameLogic logic;
  CPlayMaker maker(2002);
  std::vector<std::pair<Play, Play>> pairs;
  for (size_t i = 0; i < kPlays; ++i) {
    const uint8_t first = AnyType(maker);
    const uint8_t next = maker.Between(0, 1) ? first : AnyType(maker);
    pairs.emplace_back(Sorted(logic, maker.Make(first)), Sorted(logic, maker.Make(next)));
  }
  size_t i = 0;
  for (auto _ : state) {
    const auto& [first, next] = pairs[i++ % kPlays];
    benchmark::DoNotOptimize(logic.CanBeat(first.cards, next.cards, first.count, next.count));
  }
  state.SetItemsProcessed(state.iterations());
}

// Arg 0: leading with one or two jokers among up to five naturals. Arg 1: following a
// straight or consecutive pairs with the run one step higher, one or two cards made jokers.
void BM_ResolveJokers(benchmark::State& state) {
  CGameLogic logic;
  CPlayMaker maker(2003);
  const bool following = state.range(0) != 0;
  std::vector<std::pair<Play, Play>> deals;  // play, turn
  while (deals.size() < kPlays) {
    Cards turn, play;
    if (following) {
      turn = maker.Make(maker.Between(0, 1) ? PT_SHUNZI : PT_LIANDUI);
      if (CGameLogic::GetCardRank(Sorted(logic, turn).cards[0]) > 13) continue;  // A on top
      for (uint8_t c : turn) play.push_back(NaturalCard(CGameLogic::GetCardRank(c) + 1, c >> 4));
    } else {
      play = maker.Hand(DECK_SIZE);
      play.erase(std::remove_if(play.begin(), play.end(), IsJokerCard), play.end());
      play.resize(maker.Between(2, 6));
    }
    std::shuffle(play.begin(), play.end(), maker.Rng());
    play[0] = CARD_BIG_JOKER;
    if (maker.Between(0, 1)) play[1] = CARD_SMALL_JOKER;
    deals.emplace_back(Sorted(logic, play), Sorted(logic, turn));
  }
  uint8_t out[MAX_CARDS];
  size_t i = 0;
  for (auto _ : state) {
    const auto& [play, turn] = deals[i++ % kPlays];
    benchmark::DoNotOptimize(
        logic.ResolveJokers(play.cards, play.count, out, turn.cards, turn.count));
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations());
}

BENCHMARK(BM_ClassifyPlay);
BENCHMARK(BM_CanBeat);
BENCHMARK(BM_ResolveJokers)->Arg(0)->Arg(1);

}  // namespace
