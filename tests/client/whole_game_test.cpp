// Whole seeded games: the client follows our table server exactly, message after message.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "tools/scenario/WholeGame.h"

namespace {

using scenario::CWholeGame;
using scenario::LocalPlay;
using scenario::tagGameTally;

// The sanitizer build plays fewer games: it is there for memory faults, not for coverage.
#if defined(__SANITIZE_ADDRESS__)
constexpr uint64_t kSeeds = 6;
#else
constexpr uint64_t kSeeds = 30;
#endif
constexpr uint32_t kGamesPerSeed = 3;

// Plays kGamesPerSeed games for each of kSeeds seeds (the local chair changes with the seed)
// and expects no divergence and no refused move; gives the sums.
tagGameTally PlaySeeds(uint64_t firstSeed, LocalPlay mode, uint32_t leaveEvery) {
  tagGameTally total;
  for (uint64_t seed = firstSeed; seed < firstSeed + kSeeds; ++seed) {
    scenario::CClientHarness harness;
    EXPECT_TRUE(harness.Start());
    if (!harness.Running()) return total;
    CWholeGame game(harness, seed, static_cast<WORD>(seed % SEAT_COUNT), mode);
    game.SetLeaveEvery(leaveEvery);
    game.Play(kGamesPerSeed);
    const tagGameTally& t = game.Tally();
    EXPECT_FALSE(t.failed) << "seed " << seed;
    EXPECT_EQ(t.games, kGamesPerSeed) << "seed " << seed;
    EXPECT_EQ(t.divergences, 0u) << "seed " << seed;
    EXPECT_EQ(t.refusedMoves, 0u) << "seed " << seed;
    for (const std::string& f : t.firstFailures) ADD_FAILURE() << "seed " << seed << ": " << f;
    total.games += t.games;
    total.messages += t.messages;
    total.serverMoves += t.serverMoves;
    total.clientMoves += t.clientMoves;
    total.autoPlayOn += t.autoPlayOn;
    total.returns += t.returns;
    total.returnedGames += t.returnedGames;
  }
  return total;
}

TEST(WholeGame, TheClientFollowsTheTableWhenTheTestPlaysItsChair) {
  const tagGameTally total = PlaySeeds(1, LocalPlay::TableDirect, 0);
  std::printf("whole games: %u games, %u messages, %u moves made by the server for the client\n",
              total.games, total.messages, total.serverMoves);
}

TEST(WholeGame, TheClientPlaysItsChairAndFollowsTheTable) {
  const tagGameTally total = PlaySeeds(101, LocalPlay::ClientActions, 2);
  // Every kind of game happened.
  EXPECT_GT(total.autoPlayOn, 0u);
  EXPECT_GT(total.returns, 0u);
  EXPECT_GT(total.returnedGames, 0u);
  std::printf(
      "whole games played by the client: %u games, %u messages, %u moves sent by the client, "
      "%u by the server for it, auto-play switched on %u times, %u returns through the playing "
      "scene, %u games finished after a return\n",
      total.games, total.messages, total.clientMoves, total.serverMoves, total.autoPlayOn,
      total.returns, total.returnedGames);
}

}  // namespace
