// torvaly-load: many light clients of a table server in one process, on one loop.
//   torvaly-load --connect [tls://]HOST:PORT --clients N [--seconds S] [--ca FILE]
//                [--bots easy|normal] [--alone]
// Each client logs in, sits, plays as a bot and checks every record it receives. Prints the
// moves per second, the latency of a move (median, 99th percentile) and every fault; the exit
// status is 1 on any fault.
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>
#include <string_view>

#include "tools/load/LoadClient.h"

namespace {

const char* const kUsage =
    "Usage: torvaly-load --connect [tls://]HOST:PORT --clients N [--seconds S]\n"
    "                    [--ca FILE] [--bots easy|normal] [--alone]\n"
    "Plays many light clients against a table server (torvaly-server --port) for S\n"
    "seconds (default 10), each checking every record it receives; prints moves per\n"
    "second, the latency of a move and every fault (exit status 1 on any fault).\n"
    "  --alone   client i sits at table i, the server's bots at the other chairs\n";

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

bool ParseTarget(std::string_view text, tagLoadConfig& config) {
  constexpr std::string_view kTls = "tls://";
  if (text.substr(0, kTls.size()) == kTls) {
    config.tls = true;
    text.remove_prefix(kTls.size());
  }
  const size_t colon = text.rfind(':');
  if (colon == std::string_view::npos || colon == 0) return false;
  uint64_t port = 0;
  const std::string portText(text.substr(colon + 1));
  if (!ParseNumber(portText.c_str(), port) || port == 0 || port > 65535) return false;
  config.host = std::string(text.substr(0, colon));
  if (config.host.size() > 2 && config.host.front() == '[' && config.host.back() == ']')
    config.host = config.host.substr(1, config.host.size() - 2);
  config.port = static_cast<uint16_t>(port);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  tagLoadConfig config;
  uint64_t seconds = 10;
  bool target = false;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--help" || arg == "--version") {
      std::cout << (arg == "--help" ? kUsage : "torvaly-load " TORVALY_VERSION "\n");
      return 0;
    }
    const bool hasValue = i + 1 < argc;
    uint64_t n = 0;
    if (arg == "--connect" && hasValue && ParseTarget(argv[++i], config)) {
      target = true;
    } else if (arg == "--clients" && hasValue && ParseNumber(argv[++i], n) && n >= 1 &&
               n <= 10000) {
      config.clients = static_cast<uint32_t>(n);
    } else if (arg == "--seconds" && hasValue && ParseNumber(argv[++i], n) && n >= 1 &&
               n <= 86400) {
      seconds = n;
    } else if (arg == "--ca" && hasValue) {
      config.caFile = argv[++i];
    } else if (arg == "--alone") {
      config.alone = true;
    } else if (arg == "--bots" && hasValue) {
      config.botLevel = argv[++i];
      if (config.botLevel != "easy" && config.botLevel != "normal") return Usage();
    } else {
      return Usage();
    }
  }
  if (!target) return Usage();

  asio::io_context io;
  CLoadRun run(io, config);
  std::string error;
  if (!run.Start(error)) {
    std::cerr << "torvaly-load: " << error << '\n';
    return 2;
  }
  asio::steady_timer end(io, std::chrono::seconds(seconds));
  end.async_wait([&](const std::error_code&) { run.Stop(); });
  io.run();

  const tagLoadStats& stats = run.Stats();
  double median = 0, p99 = 0;
  LatencyFigures(stats.latencyUs, median, p99);
  std::printf("clients %u, seconds %llu: logins %llu, tables entered %llu, results received %llu\n",
              config.clients, static_cast<unsigned long long>(seconds),
              static_cast<unsigned long long>(stats.logins),
              static_cast<unsigned long long>(stats.entries),
              static_cast<unsigned long long>(stats.games));
  std::printf(
      "moves %llu (%.1f a second), packets %llu; move latency median %.2f ms, p99 %.2f ms\n",
      static_cast<unsigned long long>(stats.moves),
      static_cast<double>(stats.moves) / static_cast<double>(seconds),
      static_cast<unsigned long long>(stats.packets), median, p99);
  std::printf("faults %zu\n", stats.faults.size());
  for (const std::string& fault : stats.faults) std::printf("  %s\n", fault.c_str());
  return stats.faults.empty() && stats.logins == config.clients ? 0 : 1;
}
