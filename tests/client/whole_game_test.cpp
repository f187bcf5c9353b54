// Whole seeded games: the client follows our table server exactly, message after message.
#include "tests/client/whole_game.h"

namespace client_test {
namespace {

constexpr uint64_t kSeeds = 20;
constexpr uint32_t kGamesPerSeed = 3;

TEST(WholeGame, TheClientFollowsTheTableWhenTheTestPlaysItsChair) {
  tagGameTally total;
  for (uint64_t seed = 1; seed <= kSeeds; ++seed) {
    scenario::CClientHarness harness;
    ASSERT_TRUE(harness.Start());
    CWholeGame game(harness, seed, static_cast<WORD>(seed % SEAT_COUNT), LocalPlay::TableDirect);
    game.Play(kGamesPerSeed);
    const tagGameTally& t = game.Tally();
    EXPECT_EQ(t.games, kGamesPerSeed) << "seed " << seed;
    EXPECT_EQ(t.divergences, 0u) << "seed " << seed;
    EXPECT_EQ(t.refusedMoves, 0u) << "seed " << seed;
    for (const std::string& f : t.firstFailures) ADD_FAILURE() << "seed " << seed << ": " << f;
    total.games += t.games;
    total.messages += t.messages;
    total.serverMoves += t.serverMoves;
  }
  std::printf("whole games: %u games, %u messages, %u moves made by the server for the client\n",
              total.games, total.messages, total.serverMoves);
}

}  // namespace
}  // namespace client_test
