// Whole seeded games of the client against our table server over the in-process link: after
// every message the client shows what the table held when it sent it.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "tools/scenario/ClientActions.h"
#include "tools/scenario/ClientHarness.h"

namespace {

// The sanitizer build plays fewer seeds: it is there for memory faults, not for coverage.
#if defined(__SANITIZE_ADDRESS__)
constexpr uint64_t kSeedShare = 5;
#else
constexpr uint64_t kSeedShare = 1;
#endif

TEST(WholeGame, TheClientFollowsTheTableMessageByMessage) {
  const struct {
    const char* mode;
    bool actions;  // a person's ways, else the client's own hint then play
    uint64_t firstSeed, seeds;
    uint32_t games, leaveEvery;
  } cases[] = {
      {"hint then play", false, 1, 12, 4, 0},
      {"a person's actions, leaves and returns", true, 101, 24, 3, 2},
  };
  for (const auto& c : cases) {
    headless::tagSelfPlayTally total;
    for (uint64_t seed = c.firstSeed; seed < c.firstSeed + c.seeds / kSeedShare; ++seed) {
      SCOPED_TRACE(std::string(c.mode) + ", seed " + std::to_string(seed));
      scenario::CClientHarness client;
      ASSERT_TRUE(client.Start());
      const uint16_t chair = static_cast<uint16_t>(seed % SEAT_COUNT);
      std::unique_ptr<headless::CSelfPlay> game =
          c.actions ? std::make_unique<scenario::CClientActions>(client, seed, chair, c.leaveEvery)
                    : std::make_unique<headless::CSelfPlay>(
                          client, scenario::MakeTestTable(seed, chair), seed);
      game->Play(c.games, 3'600'000ull * c.games);
      const headless::tagSelfPlayTally& t = game->Tally();
      EXPECT_FALSE(t.failed);
      EXPECT_EQ(t.games, c.games);
      EXPECT_EQ(t.divergences, 0u);
      EXPECT_EQ(t.refusedMoves, 0u);
      for (const std::string& f : t.firstFailures) ADD_FAILURE() << f;
      total.games += t.games;
      total.messages += t.messages;
      total.clientMoves += t.clientMoves;
      total.serverMoves += t.serverMoves;
      total.autoPlayOn += t.autoPlayOn;
      total.returns += t.returns;
      total.returnedGames += t.returnedGames;
    }
    std::printf(
        "%s: %u games, %u messages, %u moves by the client, %u by the server for it, auto-play "
        "on %u times, %u returns through the playing scene, %u games finished after one\n",
        c.mode, total.games, total.messages, total.clientMoves, total.serverMoves, total.autoPlayOn,
        total.returns, total.returnedGames);
    EXPECT_GT(total.clientMoves, 0u) << c.mode;
    if (!c.actions) continue;
    // Every kind of game happened.
    EXPECT_GT(total.autoPlayOn, 0u);
    EXPECT_GT(total.returns, 0u);
    EXPECT_GT(total.returnedGames, 0u);
  }
}

}  // namespace
