// The hint search on random hands of 5, 10 and 27 cards against random turns of one type
// (0 = leading). One iteration is one call; the report's time column is ns per call.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <random>
#include <vector>

#include "rules/GameLogic.h"

namespace {

constexpr size_t kDeals = 1024;  // deals per benchmark, walked round robin

struct Deal {
  uint8_t hand[MAX_CARDS];
  uint8_t handCount;
  uint8_t turn[MAX_CARDS];
  uint8_t turnCount;
};

class DealMaker {
 public:
  explicit DealMaker(uint32_t seed) : rng_(seed) {}

  Deal Make(int handCount, uint8_t type) {
    Deal d{};
    std::vector<uint8_t> turn = Turn(type);
    d.turnCount = static_cast<uint8_t>(turn.size());
    std::shuffle(turn.begin(), turn.end(), rng_);
    std::copy(turn.begin(), turn.end(), d.turn);

    std::vector<uint8_t> rest;
    for (uint8_t card : CARD_DECK) {
      if (std::find(turn.begin(), turn.end(), card) == turn.end()) rest.push_back(card);
    }
    std::shuffle(rest.begin(), rest.end(), rng_);
    d.handCount = static_cast<uint8_t>(handCount);
    std::copy(rest.begin(), rest.begin() + handCount, d.hand);
    return d;
  }

 private:
  int Between(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }

  // Natural card of a logic value 3..15 and a colour index.
  static uint8_t Natural(int logic, int colour) {
    return static_cast<uint8_t>(colour * 16 + (logic >= 14 ? logic - 13 : logic));
  }

  std::vector<uint8_t> SameValue(int logic, int count) {
    std::array<int, 4> colours = {0, 1, 2, 3};
    std::shuffle(colours.begin(), colours.end(), rng_);
    std::vector<uint8_t> cards;
    for (int i = 0; i < count; ++i) cards.push_back(Natural(logic, colours[i]));
    return cards;
  }

  uint8_t AnyJoker() { return Between(0, 1) ? CARD_BIG_JOKER : CARD_SMALL_JOKER; }

  std::vector<uint8_t> Turn(uint8_t type) {
    std::vector<uint8_t> play;
    switch (type) {
      case PT_SINGLE:
        play = {Natural(Between(3, 15), Between(0, 3))};
        break;
      case PT_PAIR:
        play = Between(0, 3) == 0 ? std::vector<uint8_t>{AnyJoker(),
                                                         Natural(Between(3, 15), Between(0, 3))}
                                  : SameValue(Between(3, 15), 2);
        break;
      case PT_SHUNZI: {
        const int length = Between(3, 8);
        const int top = Between(2 + length, 14);
        for (int k = 0; k < length; ++k) play.push_back(Natural(top - k, Between(0, 3)));
        break;
      }
      case PT_LIANDUI: {
        const int pairs = Between(2, 5);
        const int top = Between(2 + pairs, 14);
        for (int k = 0; k < pairs; ++k) {
          for (uint8_t card : SameValue(top - k, 2)) play.push_back(card);
        }
        break;
      }
      case PT_BOMB3_JOKER:
      case PT_BOMB4_JOKER: {
        const int size = type == PT_BOMB3_JOKER ? 3 : 4;
        const int jokers = Between(1, 2);
        play = SameValue(Between(3, 15), size - jokers);
        if (jokers == 2) {
          play.push_back(CARD_BIG_JOKER);
          play.push_back(CARD_SMALL_JOKER);
        } else {
          play.push_back(AnyJoker());
        }
        break;
      }
      case PT_BOMB3:
        play = SameValue(Between(3, 15), 3);
        break;
      case PT_BOMB4:
        play = SameValue(Between(3, 15), 4);
        break;
      case PT_ROCKET:
        play = {CARD_SMALL_JOKER, CARD_BIG_JOKER};
        break;
      default:  // leading
        break;
    }
    return play;
  }

  std::mt19937 rng_;
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
