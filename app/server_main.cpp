// torvaly-server: the table server.
//   torvaly-server --selfplay N --seed S [--bots normal,normal,easy] [--check]
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>
#include <string_view>

#include "server/SelfPlay.h"

namespace {

int Usage() {
  std::cerr << "usage: torvaly-server --selfplay N [--seed S] [--bots L0,L1,L2] [--check]\n"
               "  bot levels: easy, normal\n";
  return 2;
}

bool ParseNumber(const char* text, uint64_t& out) {
  char* end = nullptr;
  const unsigned long long v = std::strtoull(text, &end, 10);
  if (end == text || *end != '\0') return false;
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

}  // namespace

int main(int argc, char** argv) {
  tagSelfPlayOptions options;
  bool selfPlay = false;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    const bool hasValue = i + 1 < argc;
    uint64_t n = 0;
    if (arg == "--selfplay" && hasValue && ParseNumber(argv[++i], n) && n <= UINT32_MAX) {
      selfPlay = true;
      options.games = static_cast<uint32_t>(n);
    } else if (arg == "--seed" && hasValue && ParseNumber(argv[++i], n)) {
      options.seed = n;
    } else if (arg == "--bots" && hasValue && ParseBots(argv[++i], options.bots)) {
    } else if (arg == "--check") {
      options.check = true;
    } else {
      return Usage();
    }
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
