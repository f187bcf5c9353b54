// Whole seeded games of the client against our table server over the in-process link: after
// every message the client shows what the table held when it sent it, and a difference planted
// in what it shows is named. Every seed plays on one client, reset in between: the harness's
// Reset gives back the client a fresh Start gives, whatever the games left (the client fuzz
// target resets one running client between inputs instead of starting a new one).
#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "platform/win/Profile.h"
#include "tools/scenario/ClientActions.h"
#include "tools/scenario/ClientHarness.h"

namespace {

using scenario::WithoutRunningValues;

// The music off, so that a thousand games cost the table's and the client's logic only.
class WholeGame : public ::testing::Test {
 protected:
  void SetUp() override {
    WritePrivateProfileStringA("GameOption", "GameMusic", "0", CProfile::DefaultPath().c_str());
    ASSERT_TRUE(client.Start());
    fresh = WithoutRunningValues(client.Snapshot());
  }
  // Back to the fresh client, whatever the last run left: a game stopped at any moment (cards on
  // the table, clocks and timers running, animations made), or a closed client.
  void Reset() {
    ASSERT_TRUE(client.Reset()) << "closed";
    const scenario::tagSnapshot after = WithoutRunningValues(client.Snapshot());
    EXPECT_EQ(fresh, after) << scenario::DescribeDifference(fresh, after);
  }
  headless::CTemporaryProfile profile;
  scenario::CClientHarness client;
  scenario::tagSnapshot fresh;
};

TEST_F(WholeGame, TheClientFollowsTheTableMessageByMessage) {
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
  } cases[] = {{"hint then play", false, 1, 20, 50}, {"a person, who leaves", true, 101, 10, 12}};
  for (const auto& c : cases) {
    headless::tagSelfPlayTally total;
    for (uint64_t seed = c.firstSeed; seed < c.firstSeed + c.seeds / kShare; ++seed) {
      SCOPED_TRACE(std::string(c.mode) + ", seed " + std::to_string(seed));
      Reset();
      const uint16_t chair = static_cast<uint16_t>(seed % SEAT_COUNT);
      std::unique_ptr<headless::CSelfPlay> game =
          c.actions ? std::make_unique<scenario::CClientActions>(client, seed, chair, 4)
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
      game->Play(c.games + 1, 7000 * (seed % 7));  // stopped during the next game, for Reset
    }
    // The client moved; with a person at the table every kind of game happened.
    EXPECT_TRUE(
        total.clientMoves > 0 &&
        (!c.actions || (total.autoPlayOn > 0 && total.returns > 0 && total.returnedGames > 0)))
        << c.mode;
  }
  client.Link().DeliverClosed();
  client.Pump();
  ASSERT_TRUE(client.Closed());
  Reset();
}

// Differences planted at the player's first move (a clock, an auto-play mark) are named at the
// next message, and the run stops there.
TEST_F(WholeGame, TheCheckNamesADifferencePlantedInTheClient) {
  using Plant = void (*)(CGameClientDlg&);
  struct CPlanting final : headless::CSelfPlay {
    CPlanting(headless::CHeadlessClient& c, Plant p)
        : CSelfPlay(c, scenario::MakeTestTable(5, 1), 5), plant(p) {}
    void Move() override {
      if (plant != nullptr) std::exchange(plant, nullptr)(Client().Dialog());
      PlayHint();
    }
    Plant plant;
  };
  const std::pair<const char*, Plant> cases[] = {
      {"a clock runs on chair",
       [](CGameClientDlg& d) { d.SetGameTimer(d.GetMeChairID(), TIMER_READY_CLOCK, 9); }},
      {"auto-play mark of chair",
       [](CGameClientDlg& d) { d.GetClientView().m_cbAutoPlayFlag[2] ^= 1; }}};
  for (const auto& [named, plant] : cases) {
    Reset();
    CPlanting game(client, plant);
    game.SetStopAtDivergence(true);
    game.Play(2, 7'200'000);
    const headless::tagSelfPlayTally& t = game.Tally();
    ASSERT_TRUE(t.divergences > 0 && t.games == 0 && !t.firstFailures.empty()) << named;
    EXPECT_NE(t.firstFailures[0].find(named), std::string::npos) << t.firstFailures[0];
  }
}

}  // namespace
