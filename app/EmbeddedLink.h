// The default mode's link: a table host in this process with two bots of the chosen level that
// take about a second to move, and the player, named by the command line, at chair 1 (so the
// chairs are the view's seats: bots right and left). The link carries encoded packets only
// (link/InProcessLink.h). The final main() hands it to the application before Run.
#pragma once

#include <memory>

#include "app/Options.h"
#include "link/InProcessLink.h"

inline constexpr uint16_t PLAYER_CHAIR = 1;
inline constexpr uint32_t BOT_DELAY_MIN_MS = 800;
inline constexpr uint32_t BOT_DELAY_MAX_MS = 1400;
// Everybody sits down with this much gold; each game's score is won from it or paid out of it.
inline constexpr int64_t START_GOLD = 10000;

// Who sits where: the player and two bots whose portraits differ from the player's, each with
// a purse of START_GOLD.
void MakeLobbyUsers(const tagAppOptions& options, tagLobbyUser (&users)[SEAT_COUNT]);

// The table's seed: the one asked for, else a fresh one.
uint64_t TableSeed(const tagAppOptions& options);

// Null only when the options name a bot level the server does not have. A window's table (a real
// clock) passes a think pool, so that a strong bot never holds up a frame; headless tables run on
// virtual time and decide inline.
std::unique_ptr<CInProcessLink> MakeEmbeddedLink(const tagAppOptions& options,
                                                 std::shared_ptr<CThinkPool> thinkPool = nullptr);
