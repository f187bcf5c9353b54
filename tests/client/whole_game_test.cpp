// Whole seeded games of the client against our table server over the in-process link: after
// every message the client shows what the table held when it sent it.
#include <gtest/gtest.h>

#include <string>

#include "tools/scenario/ClientActions.h"
#include "tools/scenario/ClientHarness.h"

namespace {

TEST(WholeGame, TheClientFollowsTheTableMessageByMessage) {
  // The sanitizer build plays a fifth of the seeds: it is there for memory faults.
#if defined(__SANITIZE_ADDRESS__)
  constexpr uint64_t kShare = 5;
#else
  constexpr uint64_t kShare = 1;
#endif
  const struct {
    const char* mode;
    bool actions;  // a person's ways, else the client's own hint then play
    uint64_t firstSeed, seeds;
    uint32_t games;
  } cases[] = {{"hint then play", false, 1, 12, 4}, {"a person, who leaves", true, 101, 24, 3}};
  for (const auto& c : cases) {
    headless::tagSelfPlayTally total;
    for (uint64_t seed = c.firstSeed; seed < c.firstSeed + c.seeds / kShare; ++seed) {
      SCOPED_TRACE(std::string(c.mode) + ", seed " + std::to_string(seed));
      scenario::CClientHarness client;
      ASSERT_TRUE(client.Start());
      const uint16_t chair = static_cast<uint16_t>(seed % SEAT_COUNT);
      std::unique_ptr<headless::CSelfPlay> game =
          c.actions ? std::make_unique<scenario::CClientActions>(client, seed, chair, 2)
                    : std::make_unique<headless::CSelfPlay>(
                          client, scenario::MakeTestTable(seed, chair), seed);
      game->Play(c.games, 3'600'000ull * c.games);
      const headless::tagSelfPlayTally& t = game->Tally();
      EXPECT_TRUE(!t.failed && t.games == c.games && t.divergences == 0 && t.refusedMoves == 0)
          << t.games << " games, " << t.divergences << " divergences, " << t.refusedMoves
          << " refused";
      for (const std::string& f : t.firstFailures) ADD_FAILURE() << f;
      total.clientMoves += t.clientMoves;
      total.autoPlayOn += t.autoPlayOn;
      total.returns += t.returns;
      total.returnedGames += t.returnedGames;
    }
    EXPECT_GT(total.clientMoves, 0u) << c.mode;
    // With a person at the table every kind of game happened.
    EXPECT_TRUE(!c.actions ||
                (total.autoPlayOn > 0 && total.returns > 0 && total.returnedGames > 0));
  }
}

}  // namespace
