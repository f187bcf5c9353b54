// Self-play speed of the real client: whole games of the client (headless, in virtual time, the
// application, its dialog and the table view; its own moves by the hint) against two normal
// bots over the window's own in-process link, as `torvaly --headless --selfplay` plays them,
// with and without the check of the client against the table after every message. One game an
// iteration on one client and one table; the client starts once per run, outside the timing.
#include <benchmark/benchmark.h>

#include "app/EmbeddedLink.h"
#include "headless/SelfPlay.h"

namespace {

// Virtual time a game may take at most before the run is given up as stuck.
constexpr uint64_t kVirtualMsPerGame = 3'600'000;

void ClientSelfPlay(benchmark::State& state, bool check) {
  headless::CTemporaryProfile profile;  // the options of a first start
  headless::CHeadlessClient client;
  tagAppOptions options;
  options.name = "bench";
  options.seedGiven = true;
  options.seed = 1;
  if (!profile.Ok() || !client.Start()) {
    state.SkipWithError("the client did not start");
    return;
  }
  headless::CSelfPlay game(client, MakeEmbeddedLink(options), options.seed);
  game.SetCheck(check);
  game.SetStopAtDivergence(true);
  uint32_t games = 0;
  for (auto _ : state) {
    game.Play(++games, kVirtualMsPerGame);
    const headless::tagSelfPlayTally& t = game.Tally();
    if (t.games != games || t.failed || t.divergences != 0) {
      state.SkipWithError(t.firstFailures.empty() ? "a game did not end"
                                                  : t.firstFailures.front().c_str());
      break;
    }
  }
  const headless::tagSelfPlayTally& t = game.Tally();
  state.counters["games/s"] = benchmark::Counter(t.games, benchmark::Counter::kIsRate);
  state.counters["messages/game"] = t.games != 0 ? static_cast<double>(t.messages) / t.games : 0;
}

void BM_ClientSelfPlay(benchmark::State& state) { ClientSelfPlay(state, false); }
void BM_ClientSelfPlayChecked(benchmark::State& state) { ClientSelfPlay(state, true); }

BENCHMARK(BM_ClientSelfPlay)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ClientSelfPlayChecked)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
