// The hint search on random hands of 5, 10 and 27 cards against random turns of one type
// (0 = leading), the search where nothing answers, and the joker resolution and legal-play check
// of 27 raised cards against every turn type. One iteration is one call; the report's time
// column is ns per call.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <random>
#include <vector>

#include "rules/GameLogic.h"
#include "rules/PlayCheck.h"
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

// Nothing answers four natural 2s but the rocket, and the 27-card hand holds one joker: the
// whole search runs and finds nothing (the floor of a call on a 27-card hand).
void BM_ListAnswersNone(benchmark::State& state) {
  CPlayMaker maker(900);
  std::vector<Deal> deals(kDeals);
  for (Deal& d : deals) {
    std::vector<uint8_t> rest = maker.Hand(DECK_SIZE);
    const uint8_t missingJoker = maker.AnyJoker();
    rest.erase(
        std::remove_if(rest.begin(), rest.end(),
                       [&](uint8_t c) { return (c & CARD_FACE_MASK) == 2 || c == missingJoker; }),
        rest.end());
    const uint8_t twos[] = {0x02, 0x12, 0x22, 0x32};
    std::copy(twos, twos + 4, d.turn);
    d.turnCount = 4;
    std::copy(rest.begin(), rest.begin() + MAX_CARDS, d.hand);
    d.handCount = MAX_CARDS;
  }
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

// 27 raised cards (one or two of them jokers) against a turn of the chosen type in display form.
std::vector<Deal> RaisedDeals(uint8_t type) {
  std::vector<Deal> deals = MakeDeals(MAX_CARDS, type);
  CPlayMaker maker(type + 700u);
  for (Deal& d : deals) {
    if (std::none_of(d.hand, d.hand + d.handCount, IsJokerCard)) {
      d.hand[maker.Between(0, MAX_CARDS - 1)] = maker.AnyJoker();
    }
  }
  return deals;
}

void BM_ResolveJokers27(benchmark::State& state) {
  const std::vector<Deal> deals = RaisedDeals(static_cast<uint8_t>(state.range(0)));
  CGameLogic logic;
  uint8_t out[MAX_CARDS];
  size_t i = 0;
  for (auto _ : state) {
    const Deal& d = deals[i];
    i = (i + 1) % kDeals;
    benchmark::DoNotOptimize(logic.ResolveJokers(d.hand, d.handCount, out, d.turn, d.turnCount));
    benchmark::ClobberMemory();
  }
}

void BM_CheckPlay27(benchmark::State& state) {
  const std::vector<Deal> deals = RaisedDeals(static_cast<uint8_t>(state.range(0)));
  CGameLogic logic;
  size_t i = 0;
  for (auto _ : state) {
    const Deal& d = deals[i];
    i = (i + 1) % kDeals;
    const tagTurn turn = MakeTurn(d.turn, d.turn, d.turnCount);
    benchmark::DoNotOptimize(IsLegalPlay(logic, d.hand, d.handCount, turn));
  }
}

void Turns(benchmark::internal::Benchmark* b) {
  b->ArgNames({"turn"});
  for (int type = PT_INVALID; type <= PT_ROCKET; ++type) b->Args({type});
}

BENCHMARK(BM_ListAnswers)->Apply(HandsAndTurns);
BENCHMARK(BM_FindAnswer)->Apply(HandsAndTurns);
BENCHMARK(BM_ListAnswersNone);
BENCHMARK(BM_ResolveJokers27)->Apply(Turns);
BENCHMARK(BM_CheckPlay27)->Apply(Turns);

}  // namespace
