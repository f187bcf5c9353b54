// Self-play speed: whole games of three normal bots, with and without the per-message checks.
#include <benchmark/benchmark.h>

#include "server/SelfPlay.h"

namespace {

void SelfPlay(benchmark::State& state, bool check) {
  tagSelfPlayOptions options;
  options.games = static_cast<uint32_t>(state.range(0));
  options.check = check;
  uint64_t seed = 1;
  uint64_t games = 0;
  for (auto _ : state) {
    options.seed = seed++;
    tagSelfPlaySummary summary;
    if (!RunSelfPlay(options, summary)) state.SkipWithError("self-play stalled");
    games += summary.games;
  }
  state.counters["games/s"] =
      benchmark::Counter(static_cast<double>(games), benchmark::Counter::kIsRate);
}

void BM_SelfPlayNormal(benchmark::State& state) { SelfPlay(state, false); }
void BM_SelfPlayNormalChecked(benchmark::State& state) { SelfPlay(state, true); }

BENCHMARK(BM_SelfPlayNormal)->Arg(200)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SelfPlayNormalChecked)->Arg(200)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
