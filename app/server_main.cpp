// torvaly-server: the table server.
//   torvaly-server --selfplay N --seed S [--bots normal,normal,easy] [--check]
//   torvaly-server --port P [--bind ADDR] [--tables N] [--bots-after S] [--bots LEVEL]
//                  [--turn-seconds T] [--tls-cert F --tls-key F] [--clock-speed N]
//                  [--max-connections N] [--max-per-address N] [--think-threads N]
#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>
#include <string_view>
#include <thread>

#include "server/SelfPlay.h"
#include "server/bots/Bot.h"
#include "server/net/NetServer.h"

namespace {

const char* const kUsage =
    "Usage: torvaly-server --port P [options]\n"
    "  or:  torvaly-server --selfplay N [--seed S] [--bots L0,L1,L2] [--check]\n"
    "Serves a lobby of card tables over TCP (or TLS) to torvaly --connect, or plays\n"
    "games between bots at one table in virtual time. Logs to standard error.\n"
    "\n"
    "  --port P              serve on port P (0: any free port, logged)\n"
    "  --bind ADDR           listen on this address only (default: every address)\n"
    "  --tables N            tables in the lobby (default 8)\n"
    "  --bots-after S        a waiting player's empty chairs get bots after S seconds\n"
    "                        (0 never, default 10)\n"
    "  --bots LEVEL          the bots' level: easy, normal or strong (self-play: all three\n"
    "                        chairs; the lobby: the bots of empty chairs)\n"
    "  --turn-seconds T      the clock of a turn (1 to 600, default 15)\n"
    "  --think-threads N     threads on which strong bots think (default: one per core;\n"
    "                        0: on the event loop, which then waits for each decision)\n"
    "  --tls-cert FILE       with --tls-key FILE: serve TLS with this certificate\n"
    "  --max-connections N   connections in all (default 2048)\n"
    "  --max-per-address N   connections from one address (default 64)\n"
    "  --clock-speed N       the tables' clocks run N times real time (1 to 100; tests)\n"
    "  --selfplay N          play N games between bots in virtual time and print the results\n"
    "  --seed S              the first deal's seed (self-play and the lobby's tables)\n"
    "  --bots L0,L1,L2       with --selfplay: the level of chairs 0, 1 and 2\n"
    "  --check               with --selfplay: verify the table after every message\n"
    "  --help                this text\n"
    "  --version             the program's version\n";

int Usage() {
  std::cerr << kUsage;
  return 2;
}

bool ParseNumber(const char* text, uint64_t& out) {
  char* end = nullptr;
  const unsigned long long v = std::strtoull(text, &end, 10);
  if (end == text || *end != '\0' || text[0] == '-') return false;
  out = v;
  return true;
}

bool ParseBots(std::string_view text, std::string (&bots)[3]) {
  for (int c = 0; c < 3; ++c) {
    const size_t comma = text.find(',');
    if ((c < 2) != (comma != std::string_view::npos)) return false;
    bots[c] = std::string(text.substr(0, comma));
    if (c < 2) text.remove_prefix(comma + 1);
  }
  return true;
}

int RunNetwork(const tagNetConfig& net, const tagLobbyConfig& lobby) {
  asio::io_context io;
  CNetServer server(io, net, lobby, [](std::string_view line) { std::cerr << line << '\n'; });
  std::string error;
  if (!server.Start(error)) {
    std::cerr << "torvaly-server: " << error << '\n';
    return 1;
  }
  asio::signal_set signals(io, SIGINT, SIGTERM);
  signals.async_wait([&](const std::error_code& ec, int) {
    if (ec) return;
    std::cerr << "stopping\n";
    server.Stop();
  });
  io.run();
  std::cerr << "games played: " << server.Lobby().GamesPlayed() << '\n';
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  tagSelfPlayOptions options;
  bool selfPlay = false;
  bool network = false;
  tagNetConfig net;
  tagLobbyConfig lobby;
  // The strong level thinks on every core while the event loop serves the connections.
  lobby.thinkThreads = std::max(1u, std::thread::hardware_concurrency());
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      std::cout << kUsage;
      return 0;
    }
    if (arg == "--version") {
      std::cout << "torvaly-server " TORVALY_VERSION "\n";
      return 0;
    }
    const bool hasValue = i + 1 < argc;
    uint64_t n = 0;
    if (arg == "--selfplay" && hasValue && ParseNumber(argv[++i], n) && n <= UINT32_MAX) {
      selfPlay = true;
      options.games = static_cast<uint32_t>(n);
    } else if (arg == "--seed" && hasValue && ParseNumber(argv[++i], n)) {
      options.seed = n;
      lobby.seed = n;
    } else if (arg == "--bots" && hasValue && std::strchr(argv[i + 1], ',') == nullptr) {
      // One level: the network server's bots, and all three chairs of self-play.
      lobby.botLevel = argv[++i];
      if (!MakeBot(lobby.botLevel)) return Usage();
      for (std::string& bot : options.bots) bot = lobby.botLevel;
    } else if (arg == "--bots" && hasValue && ParseBots(argv[++i], options.bots)) {
    } else if (arg == "--check") {
      options.check = true;
    } else if (arg == "--port" && hasValue && ParseNumber(argv[++i], n) && n <= 65535) {
      network = true;
      net.port = static_cast<uint16_t>(n);
    } else if (arg == "--bind" && hasValue) {
      net.bind = argv[++i];
    } else if (arg == "--tables" && hasValue && ParseNumber(argv[++i], n) && n >= 1 &&
               n <= LOBBY_MAX_TABLES) {
      lobby.tables = static_cast<uint16_t>(n);
    } else if (arg == "--bots-after" && hasValue && ParseNumber(argv[++i], n) && n <= 86400) {
      lobby.botsAfterMs = n * 1000;
    } else if (arg == "--turn-seconds" && hasValue && ParseNumber(argv[++i], n) && n >= 1 &&
               n <= 600) {
      lobby.turnSeconds = static_cast<uint32_t>(n);
    } else if (arg == "--think-threads" && hasValue && ParseNumber(argv[++i], n) && n <= 256) {
      lobby.thinkThreads = static_cast<uint32_t>(n);
    } else if (arg == "--max-connections" && hasValue && ParseNumber(argv[++i], n) && n >= 1 &&
               n <= 100000) {
      net.maxConnections = static_cast<uint32_t>(n);
    } else if (arg == "--max-per-address" && hasValue && ParseNumber(argv[++i], n) && n >= 1 &&
               n <= 100000) {
      net.maxPerAddress = static_cast<uint32_t>(n);
    } else if (arg == "--clock-speed" && hasValue && ParseNumber(argv[++i], n) && n >= 1 &&
               n <= 100) {
      net.clockSpeed = static_cast<uint32_t>(n);
    } else if (arg == "--tls-cert" && hasValue) {
      net.tlsCert = argv[++i];
    } else if (arg == "--tls-key" && hasValue) {
      net.tlsKey = argv[++i];
    } else {
      return Usage();
    }
  }
  if (network && !selfPlay) {
    if (net.tlsCert.empty() != net.tlsKey.empty()) return Usage();
    return RunNetwork(net, lobby);
  }
  if (!selfPlay) return Usage();

  tagSelfPlaySummary summary;
  const bool ok = RunSelfPlay(options, summary);
  if (!ok && summary.games == 0 && summary.violations == 0) {
    std::cerr << "unknown bot level\n";
    return 2;
  }
  PrintSelfPlaySummary(options, summary, std::cout);
  return ok && summary.violations == 0 ? 0 : 1;
}
