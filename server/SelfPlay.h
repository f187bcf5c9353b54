// Self-play: N games of three bots at one table in virtual time, with an optional check after
// every message that the table's truth, the records and each chair's view agree.
#pragma once

#include <cstdint>
#include <functional>
#include <iosfwd>
#include <memory>
#include <string>

#include "server/Table.h"
#include "server/bots/Bot.h"

struct tagSelfPlayOptions {
  uint32_t games = 1;
  uint64_t seed = 1;
  std::string bots[3] = {"normal", "normal", "normal"};
  bool check = false;
  // When set, makes the bot of each chair instead of the levels above (which then only name
  // them in the summary); a null bot makes the run unusable.
  std::function<std::unique_ptr<CBot>(uint16_t chair)> makeBot;
  // When set, hears the figures of every game as it ends.
  std::function<void(const tagGameStats& game)> onGame;
};

struct tagSelfPlaySummary {
  uint32_t games = 0;
  uint64_t tricks = 0;
  uint64_t turns = 0;
  uint32_t wins[3] = {};
  int64_t gold[3] = {};
  uint64_t multipleSum = 0;
  uint32_t multipleMax = 0;
  uint32_t multipliedGames = 0;  // games with a bomb or the rocket
  uint32_t springs = 0;
  uint64_t messages = 0;
  uint64_t violations = 0;
  uint32_t botRefusals = 0;
  std::string firstViolation;
  double seconds = 0;
};

// Runs the games; false when the options are unusable (unknown bot level) or a game stalled.
bool RunSelfPlay(const tagSelfPlayOptions& options, tagSelfPlaySummary& summary);
void PrintSelfPlaySummary(const tagSelfPlayOptions& options, const tagSelfPlaySummary& summary,
                          std::ostream& out);
