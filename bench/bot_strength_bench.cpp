// The bot levels against each other on the server's self-play: one bot under measurement at
// chair 0 against two others, seeded games in virtual time. Prints, for each match, the
// measured bot's win rate and mean gold per game with 95 % confidence intervals, and the time
// its moves took (mean, 99th percentile, slowest): the thread's CPU time, which is what one core
// spends whatever else the machine runs, and the wall-clock time beside it.
//
//   bot_strength [--games N] [--seed S] [--moves M] [--rollouts R] [--candidates C]
//                [--match NAME]...
//
// Matches: strong-normal (strong against two normal), strong-strong, normal-strong (normal
// against two strong), normal-normal; all four by default. --moves and --rollouts set the strong
// level's budget per move (moves and games played out), --candidates the plays it weighs.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "server/SelfPlay.h"
#include "server/bots/StrongBot.h"

namespace {

double ThreadCpuMs() { return static_cast<double>(ThreadCpuUs()) / 1e3; }

struct tagMoveTimes {
  std::vector<double> cpu;  // every move of the measured bot, CPU time
  std::vector<double> ms;   // and wall-clock time
  uint64_t rollouts = 0;
  uint64_t moves = 0;
  uint64_t weighed = 0;  // moves that played candidates out
  uint64_t capped = 0;   // moves the time cap stopped
};

// Times the decisions of the bot it wraps.
class CTimedBot final : public CBot {
 public:
  CTimedBot(std::unique_ptr<CBot> bot, CStrongBot* strong, tagMoveTimes& times)
      : m_bot(std::move(bot)), m_strong(strong), m_times(times) {}

  tagBotAction Decide(const CChairView& view) override {
    const double cpu = ThreadCpuMs();
    const auto start = std::chrono::steady_clock::now();
    const tagBotAction action = m_bot->Decide(view);
    const auto end = std::chrono::steady_clock::now();
    m_times.cpu.push_back(ThreadCpuMs() - cpu);
    m_times.ms.push_back(std::chrono::duration<double, std::milli>(end - start).count());
    if (m_strong) {
      const tagStrongStats& s = m_strong->LastDecision();
      m_times.rollouts += s.rollouts;
      m_times.moves += s.moves;
      m_times.weighed += s.candidates > 0 ? 1 : 0;
      m_times.capped += s.capped ? 1 : 0;
    }
    return action;
  }
  const char* Level() const override { return m_bot->Level(); }

 private:
  std::unique_ptr<CBot> m_bot;
  CStrongBot* m_strong;
  tagMoveTimes& m_times;
};

struct tagMatch {
  const char* name;
  const char* subject;   // at chair 0
  const char* opponent;  // at chairs 1 and 2
};
constexpr tagMatch kMatches[] = {
    {"strong-normal", "strong", "normal"},
    {"strong-strong", "strong", "strong"},
    {"normal-strong", "normal", "strong"},
    {"normal-normal", "normal", "normal"},
};

std::unique_ptr<CBot> Make(const char* level, const tagStrongConfig& config, CStrongBot** strong) {
  if (std::strcmp(level, "strong") != 0) return MakeBot(level);
  std::unique_ptr<CStrongBot> bot = MakeStrongBot(config);
  if (strong) *strong = bot.get();
  return bot;
}

bool RunMatch(const tagMatch& match, uint32_t games, uint64_t seed, const tagStrongConfig& config) {
  tagMoveTimes times;
  std::vector<int64_t> gold;
  uint32_t wins = 0;
  gold.reserve(games);
  tagSelfPlayOptions options;
  options.games = games;
  options.seed = seed;
  options.bots[0] = match.subject;
  options.bots[1] = options.bots[2] = match.opponent;
  options.makeBot = [&](uint16_t chair) -> std::unique_ptr<CBot> {
    if (chair != 0) return Make(match.opponent, config, nullptr);
    CStrongBot* strong = nullptr;
    std::unique_ptr<CBot> bot = Make(match.subject, config, &strong);
    return std::make_unique<CTimedBot>(std::move(bot), strong, times);
  };
  options.onGame = [&](const tagGameStats& game) {
    gold.push_back(game.score[0]);
    if (game.winner == 0) ++wins;
  };
  tagSelfPlaySummary summary;
  if (!RunSelfPlay(options, summary) || summary.botRefusals != 0 || gold.empty()) {
    std::printf("%s: self-play failed (%u bot moves refused)\n", match.name, summary.botRefusals);
    return false;
  }

  const double n = static_cast<double>(gold.size());
  const double p = wins / n;
  double mean = 0;
  for (int64_t g : gold) mean += static_cast<double>(g);
  mean /= n;
  double var = 0;
  for (int64_t g : gold) var += (static_cast<double>(g) - mean) * (static_cast<double>(g) - mean);
  var /= n > 1 ? n - 1 : 1;
  const double winHalf = 1.96 * std::sqrt(p * (1 - p) / n);
  const double goldHalf = 1.96 * std::sqrt(var / n);

  // Mean, 99th percentile and slowest of a list of times (sorted in place).
  struct tagSpread {
    double mean, p99, slowest;
  };
  const auto spread = [](std::vector<double>& t) {
    std::sort(t.begin(), t.end());
    tagSpread s{0, 0, 0};
    if (t.empty()) return s;
    for (double x : t) s.mean += x;
    s.mean /= static_cast<double>(t.size());
    s.p99 = t[static_cast<size_t>(0.99 * static_cast<double>(t.size() - 1))];
    s.slowest = t.back();
    return s;
  };
  const tagSpread cpu = spread(times.cpu);
  const tagSpread wall = spread(times.ms);

  std::printf("%s: %u games, seed %llu, %s at chair 0 against two %s\n", match.name,
              static_cast<unsigned>(gold.size()), static_cast<unsigned long long>(seed),
              match.subject, match.opponent);
  std::printf("  wins %.1f %% (95 %% CI %.1f .. %.1f; par 33.3)\n", 100 * p, 100 * (p - winHalf),
              100 * (p + winHalf));
  std::printf("  gold per game %+.2f (95 %% CI %+.2f .. %+.2f)\n", mean, mean - goldHalf,
              mean + goldHalf);
  std::printf(
      "  moves %zu, CPU time: mean %.2f ms, 99th percentile %.2f ms, slowest %.2f ms (wall clock "
      "%.2f, %.2f, %.2f)\n",
      times.cpu.size(), cpu.mean, cpu.p99, cpu.slowest, wall.mean, wall.p99, wall.slowest);
  if (std::strcmp(match.subject, "strong") == 0) {
    const double weighed = times.weighed ? static_cast<double>(times.weighed) : 1.0;
    std::printf(
        "  moves weighed %llu; per weighed move %.0f games and %.0f moves played out; capped "
        "%llu\n",
        static_cast<unsigned long long>(times.weighed), times.rollouts / weighed,
        times.moves / weighed, static_cast<unsigned long long>(times.capped));
  }
  std::printf("  %.1f s\n", summary.seconds);
  std::fflush(stdout);
  return true;
}

int Usage() {
  std::fprintf(stderr,
               "usage: bot_strength [--games N] [--seed S] [--rollouts R] [--match NAME]...\n"
               "  matches: strong-normal strong-strong normal-strong normal-normal\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  uint32_t games = 200;
  uint64_t seed = 1;
  tagStrongConfig config;
  std::vector<const tagMatch*> chosen;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (i + 1 >= argc) return Usage();
    const char* value = argv[++i];
    char* end = nullptr;
    const unsigned long long n = std::strtoull(value, &end, 10);
    const bool number = end != value && *end == '\0' && value[0] != '-';
    if (arg == "--games" && number && n >= 1 && n <= 10000000) {
      games = static_cast<uint32_t>(n);
    } else if (arg == "--seed" && number) {
      seed = n;
    } else if (arg == "--rollouts" && number && n >= 1 && n <= 10000000) {
      config.rollouts = static_cast<uint32_t>(n);
    } else if (arg == "--moves" && number && n >= 1 && n <= 100000000) {
      config.moves = static_cast<uint32_t>(n);
    } else if (arg == "--candidates" && number && n >= 1 && n <= 16) {
      config.candidates = static_cast<uint8_t>(n);
    } else if (arg == "--match") {
      const tagMatch* found = nullptr;
      for (const tagMatch& m : kMatches) {
        if (std::strcmp(m.name, value) == 0) found = &m;
      }
      if (!found) return Usage();
      chosen.push_back(found);
    } else {
      return Usage();
    }
  }
  if (chosen.empty()) {
    for (const tagMatch& m : kMatches) chosen.push_back(&m);
  }
  std::printf(
      "strong level: per move at most %u moves or %u games played out, %u candidates besides "
      "passing\n",
      config.moves, config.rollouts, config.candidates);
  for (const tagMatch* m : chosen) {
    if (!RunMatch(*m, games, seed, config)) return 1;
  }
  return 0;
}
