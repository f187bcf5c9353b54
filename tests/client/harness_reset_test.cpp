// The harness's Reset gives back the client a fresh Start gives, whatever the game left: the
// client fuzz target resets one running client between inputs instead of starting a new one.
#include <gtest/gtest.h>

#include <string>

#include "tools/scenario/WholeGame.h"

namespace {

using scenario::CClientHarness;
using scenario::CWholeGame;
using scenario::LocalPlay;
using scenario::tagSnapshot;

TEST(HarnessReset, GivesTheFreshClientBackAfterWholeGames) {
  CClientHarness fresh;
  ASSERT_TRUE(fresh.Start());
  const tagSnapshot expected = scenario::WithoutRunningValues(fresh.Snapshot());
  fresh.Stop();

  for (uint64_t seed : {3u, 4u, 5u}) {
    CClientHarness h;
    ASSERT_TRUE(h.Start());
    // Games played by clicks, with the client leaving and coming back, stopped at some moment
    // of the next game: cards on the table, clocks and timers running, animations made.
    CWholeGame game(h, seed, static_cast<WORD>(seed % SEAT_COUNT), LocalPlay::ClientActions);
    game.SetLeaveEvery(2);
    game.Play(10, 90000 + 37000 * seed);
    ASSERT_TRUE(h.Reset());
    const tagSnapshot after = scenario::WithoutRunningValues(h.Snapshot());
    EXPECT_EQ(expected, after) << "seed " << seed << ":\n"
                               << scenario::DescribeDifference(expected, after);
  }
}

TEST(HarnessReset, StartsAClosedClientAgain) {
  CClientHarness h;
  ASSERT_TRUE(h.Start());
  const tagSnapshot expected = scenario::WithoutRunningValues(h.Snapshot());
  h.Link().DeliverClosed();
  h.Pump();
  ASSERT_TRUE(h.Closed());
  ASSERT_TRUE(h.Reset());
  EXPECT_FALSE(h.Closed());
  EXPECT_EQ(expected, scenario::WithoutRunningValues(h.Snapshot()));
}

}  // namespace
