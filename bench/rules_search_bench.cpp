// The hint search on random hands of 5, 10 and 27 cards against random turns of one type
// (0 = leading). One iteration is one call; the report's time column is ns per call.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <random>
#include <vector>

#include "rules/GameLogic.h"
#include "rules/PlayMaker.h"

namespace {

constexpr size_t kDeals = 1024;  // deals per benchmark, walked round robin

struct Deal {
  uint8_t hand[MAX_CARDS];
  uint8_t handCount;
  uint8_t turn[MAX_CARDS];
  uint8_t turnCount;
};

// A turn of the chosen type (none for leading) and a hand from the rest of the deck.
class DealMaker {
 public:
  explicit DealMaker(uint32_t seed) : plays_(seed) {}

  Deal Make(int handCount, uint8_t type) {
    Deal d{};
    const std::vector<uint8_t> turn = plays_.Make(type);
    d.turnCount = static_cast<uint8_t>(turn.size());
    std::copy(turn.begin(), turn.end(), d.turn);

    std::vector<uint8_t> rest;
    for (uint8_t card : CARD_DECK) {
      if (std::find(turn.begin(), turn.end(), card) == turn.end()) rest.push_back(card);
    }
    std::shuffle(rest.begin(), rest.end(), plays_.Rng());
    d.handCount = static_cast<uint8_t>(handCount);
    std::copy(rest.begin(), rest.begin() + handCount, d.hand);
    return d;
  }

 private:
  CPlayMaker plays_;
};

std::vector<Deal> MakeDeals(int handCount, uint8_t type) {
  DealMaker maker(static_cast<uint32_t>(handCount * 100 + type));
  std::vector<Deal> deals;
  deals.reserve(kDeals);
  for (size_t i = 0; i < kDeals; ++i) deals.push_back(maker.Make(handCount, type));
  return deals;
}

// Arguments: hand size, turn type.
void BM_ListAnswers(benchmark::State& state) {
  const std::vector<Deal> deals =
      MakeDeals(static_cast<int>(state.range(0)), static_cast<uint8_t>(state.range(1)));
  CGameLogic logic;
  tagPlayCandidate scratch;
  size_t i = 0;
  size_t candidates = 0;
  for (auto _ : state) {
    const Deal& d = deals[i];
    i = (i + 1) % kDeals;
    benchmark::DoNotOptimize(logic.ListAnswers(d.hand, d.handCount, d.turn, d.turnCount, scratch));
    candidates += logic.GetAnswerCount();
  }
  state.counters["candidates"] =
      benchmark::Counter(static_cast<double>(candidates), benchmark::Counter::kAvgIterations);
}

void BM_FindAnswer(benchmark::State& state) {
  const std::vector<Deal> deals =
      MakeDeals(static_cast<int>(state.range(0)), static_cast<uint8_t>(state.range(1)));
  CGameLogic logic;
  tagPlayCandidate out;
  size_t i = 0;
  size_t found = 0;
  for (auto _ : state) {
    const Deal& d = deals[i];
    i = (i + 1) % kDeals;
    const bool ok = logic.FindAnswer(d.hand, d.handCount, d.turn, d.turnCount, out);
    benchmark::DoNotOptimize(out);
    found += ok ? 1 : 0;
  }
  state.counters["found"] =
      benchmark::Counter(static_cast<double>(found), benchmark::Counter::kAvgIterations);
}

void HandsAndTurns(benchmark::internal::Benchmark* b) {
  b->ArgNames({"hand", "turn"});
  for (int hand : {5, 10, 27}) {
    for (int type = PT_INVALID; type <= PT_ROCKET; ++type) b->Args({hand, type});
  }
}

BENCHMARK(BM_ListAnswers)->Apply(HandsAndTurns);
BENCHMARK(BM_FindAnswer)->Apply(HandsAndTurns);

}  // namespace
