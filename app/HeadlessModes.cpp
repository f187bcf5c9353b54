#include "app/HeadlessModes.h"

#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <ostream>

#include "app/EmbeddedLink.h"
#include "app/NetworkLink.h"
#include "headless/NetPlay.h"
#include "headless/ScenarioScript.h"
#include "headless/SelfPlay.h"

namespace {

// Virtual time a game may take at most before the run is given up as stuck.
constexpr uint64_t kVirtualMsPerGame = 3'600'000;

}  // namespace

int RunSelfPlay(const tagAppOptions& options, CGameClientApp& app, std::ostream& out) {
  headless::CTemporaryProfile profile;
  if (!profile.Ok()) {
    out << "torvaly: no temporary folder for the profile\n";
    return 1;
  }
  // The window's own table: the same link, bots and lobby, with the seed named.
  tagAppOptions table = options;
  table.seed = TableSeed(options);
  table.seedGiven = true;
  std::unique_ptr<CInProcessLink> link = MakeEmbeddedLink(table);
  headless::CHeadlessClient client(&app);
  if (!link || !client.Start(options.dataDir)) {
    out << "torvaly: the client did not start\n";
    return 1;
  }
  headless::tagSelfPlayTally t;
  const auto started = std::chrono::steady_clock::now();
  {
    headless::CSelfPlay game(client, std::move(link), table.seed);
    game.SetCheck(options.check);
    game.SetStopAtDivergence(options.check);
    game.Play(options.selfplay, kVirtualMsPerGame * options.selfplay);
    t = game.Tally();
  }
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  client.Stop();

  char line[256];
  std::snprintf(line, sizeof(line),
                "self-play: %u of %u games, seed %" PRIu64 ", the client against bots %s,%s%s\n",
                t.games, options.selfplay, table.seed, options.bots[0].c_str(),
                options.bots[1].c_str(),
                options.check ? ", checked against the table after every message" : "");
  out << line;
  for (WORD chair = 0; chair < SEAT_COUNT; ++chair) {
    std::snprintf(line, sizeof(line), "  chair %u %-5s won %4u, gold %+" PRId64 "\n", chair,
                  chair == PLAYER_CHAIR ? "(you)" : "(bot)", t.wins[chair], t.score[chair]);
    out << line;
  }
  std::snprintf(line, sizeof(line),
                "  %u messages; the client made %u moves, the server %u for it; %u refused, "
                "%u divergences\n",
                t.messages, t.clientMoves, t.serverMoves, t.refusedMoves, t.divergences);
  out << line;
  std::snprintf(line, sizeof(line), "  %.2f s: %.1f games per second\n", seconds,
                seconds > 0 ? t.games / seconds : 0.0);
  out << line;
  for (const std::string& failure : t.firstFailures) out << "  " << failure << "\n";
  const bool ok =
      !t.failed && t.games == options.selfplay && t.refusedMoves == 0 && t.divergences == 0;
  return ok ? 0 : 1;
}

int RunNetPlay(const tagAppOptions& options, CGameClientApp& app, std::ostream& out) {
  headless::CTemporaryProfile profile;
  if (!profile.Ok()) {
    out << "torvaly: no temporary folder for the profile\n";
    return 1;
  }
  std::string error;
  std::unique_ptr<CNetLink> link = MakeNetLink(options, error);
  headless::CHeadlessClient client(&app);
  if (!link) {
    out << "torvaly: " << error << "\n";
    return 1;
  }
  if (!client.Start(options.dataDir)) {
    out << "torvaly: the client did not start\n";
    return 1;
  }
  link->SetNotice([&client](const std::string& text) { client.Dialog().Notice(text); });
  headless::tagSelfPlayTally t;
  bool watching = false;
  const auto started = std::chrono::steady_clock::now();
  {
    headless::CNetPlay game(client, *link, options.seedGiven ? options.seed : 1);
    game.SetCheck(options.check);
    game.SetSpeed(options.clockSpeed);
    game.SetStopAtDivergence(options.check);
    // A game may take its time: three players at 15 seconds a turn, and a return after a drop.
    game.Play(options.games, kVirtualMsPerGame * options.games);
    t = game.Tally();
    watching = game.Watching();
  }
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  client.Stop();

  char line[256];
  std::snprintf(line, sizeof(line), "network play: %u of %u games at %s as '%s'%s%s\n", t.games,
                options.games, options.connect.c_str(), options.name.c_str(),
                watching ? ", watching" : "",
                options.check ? ", checked against what the chair was told" : "");
  out << line;
  for (WORD chair = 0; chair < SEAT_COUNT; ++chair) {
    const bool mine = !watching && chair == link->Place().chair;
    std::snprintf(line, sizeof(line), "  chair %u %-5s won %4u, gold %+" PRId64 "\n", chair,
                  mine ? "(you)" : "", t.wins[chair], t.score[chair]);
    out << line;
  }
  std::snprintf(line, sizeof(line),
                "  %u messages; the client made %u moves, the server %u for it; %u divergences; "
                "%u drops, %u returns to a running game\n",
                t.messages, t.clientMoves, t.serverMoves, t.divergences, link->Drops(),
                link->Returns());
  out << line;
  std::snprintf(line, sizeof(line), "  %.2f s\n", seconds);
  out << line;
  for (const std::string& failure : t.firstFailures) out << "  " << failure << "\n";
  const bool ok = !t.failed && t.games == options.games && t.divergences == 0;
  return ok ? 0 : 1;
}

int RunScript(const tagAppOptions& options, CGameClientApp& app) {
  return headless::RunScriptFiles({options.script}, options.dataDir, &app);
}
