#include "app/EmbeddedLink.h"

#include <cstdio>
#include <cstring>
#include <random>

namespace {

struct tagBotSeat {
  uint16_t chair;
  const char* name;
  uint8_t gender;
  uint16_t face;
};
constexpr tagBotSeat kBots[2] = {{0, "小兰", 2, 1}, {2, "阿凯", 1, 2}};

}  // namespace

void MakeLobbyUsers(const tagAppOptions& options, tagLobbyUser (&users)[SEAT_COUNT]) {
  std::memset(users, 0, sizeof(users));
  tagLobbyUser& me = users[PLAYER_CHAIR];
  std::snprintf(me.name, sizeof(me.name), "%s", options.name.c_str());
  me.gender = options.gender;
  me.faceId = options.face;
  for (tagLobbyUser& user : users) user.gold = START_GOLD;
  for (const tagBotSeat& bot : kBots) {
    tagLobbyUser& user = users[bot.chair];
    std::snprintf(user.name, sizeof(user.name), "%s", bot.name);
    user.gender = bot.gender;
    // Never the player's own portrait.
    user.faceId = bot.gender == me.gender && bot.face == me.faceId
                      ? static_cast<uint16_t>((bot.face + 1) % PORTRAIT_COUNT)
                      : bot.face;
  }
}

uint64_t TableSeed(const tagAppOptions& options) {
  if (options.seedGiven) return options.seed;
  std::random_device device;
  return (uint64_t{device()} << 32) ^ device();
}

std::unique_ptr<CInProcessLink> MakeEmbeddedLink(const tagAppOptions& options,
                                                 std::shared_ptr<CThinkPool> thinkPool) {
  tagHostConfig config;
  config.thinkPool = std::move(thinkPool);
  config.table.seed = TableSeed(options);
  config.botDelayMinMs = BOT_DELAY_MIN_MS;
  config.botDelayMaxMs = BOT_DELAY_MAX_MS;
  auto host = std::make_unique<CTableHost>(config);
  for (const tagBotSeat& bot : kBots) {
    if (!host->SeatBot(bot.chair, options.bots[&bot == kBots ? 0 : 1])) return nullptr;
  }
  tagLobbyUser users[SEAT_COUNT];
  MakeLobbyUsers(options, users);
  return std::make_unique<CInProcessLink>(std::move(host), PLAYER_CHAIR, users);
}
