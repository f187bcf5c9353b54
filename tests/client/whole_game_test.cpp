// Whole seeded games of the client against our table server over the in-process link: after
// every message the client shows what the table held when it sent it, and a difference planted
// in what it shows is named.
#include <gtest/gtest.h>

#include <string>

#include "platform/win/Profile.h"
#include "tools/scenario/ClientActions.h"
#include "tools/scenario/ClientHarness.h"

namespace {

// One client for every seed, reset in between (as the client fuzz target does); the music off,
// so that a thousand games cost the table's and the client's logic only.
struct tagClient {
  tagClient() {
    WritePrivateProfileStringA("GameOption", "GameMusic", "0", CProfile::DefaultPath().c_str());
    started = client.Start();
  }
  headless::CTemporaryProfile profile;
  scenario::CClientHarness client;
  bool started = false;
};

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
  } cases[] = {{"hint then play", false, 1, 20, 50}, {"a person, who leaves", true, 101, 10, 12}};
  tagClient c1;
  ASSERT_TRUE(c1.started);
  scenario::CClientHarness& client = c1.client;
  for (const auto& c : cases) {
    headless::tagSelfPlayTally total;
    for (uint64_t seed = c.firstSeed; seed < c.firstSeed + (c.seeds + kShare - 1) / kShare;
         ++seed) {
      SCOPED_TRACE(std::string(c.mode) + ", seed " + std::to_string(seed));
      ASSERT_TRUE(client.Reset());
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
    }
    EXPECT_GT(total.clientMoves, 0u) << c.mode;
    // With a person at the table every kind of game happened.
    EXPECT_TRUE(!c.actions ||
                (total.autoPlayOn > 0 && total.returns > 0 && total.returnedGames > 0));
  }
}

// A player that changes what the client shows at its first move: the check names it at the
// next message and the run stops there.
class CPlantingPlayer final : public headless::CSelfPlay {
 public:
  CPlantingPlayer(headless::CHeadlessClient& client, uint64_t seed, void (*plant)(CGameClientDlg&))
      : CSelfPlay(client, scenario::MakeTestTable(seed, 1), seed), m_plant(plant) {}

 private:
  void Move() override {
    if (m_plant != nullptr) m_plant(Client().Dialog());
    m_plant = nullptr;
    PlayHint();
  }
  void (*m_plant)(CGameClientDlg&);
};

TEST(WholeGame, TheCheckNamesADifferencePlantedInTheClient) {
  const struct {
    const char* named;
    void (*plant)(CGameClientDlg&);
  } cases[] = {{"a clock runs on chair",
                [](CGameClientDlg& d) { d.SetGameTimer(d.GetMeChairID(), TIMER_READY_CLOCK, 9); }},
               {"auto-play mark of chair",
                [](CGameClientDlg& d) { d.GetClientView().m_cbAutoPlayFlag[2] ^= 1; }},
               {"", nullptr}};
  tagClient c1;
  ASSERT_TRUE(c1.started);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.named);
    ASSERT_TRUE(c1.client.Reset());
    CPlantingPlayer game(c1.client, 5, c.plant);
    game.SetStopAtDivergence(true);
    game.Play(2, 7'200'000);
    const headless::tagSelfPlayTally& t = game.Tally();
    EXPECT_EQ(t.divergences > 0, c.plant != nullptr);
    EXPECT_EQ(t.games, c.plant ? 0u : 2u);
    const std::string first = t.firstFailures.empty() ? "" : t.firstFailures[0];
    EXPECT_NE(first.find(c.named), std::string::npos) << first;
  }
}

}  // namespace
