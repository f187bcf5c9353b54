// The harness's Reset gives back the client a fresh Start gives, whatever the game left: the
// client fuzz target resets one running client between inputs instead of starting a new one.
#include <gtest/gtest.h>

#include "tools/scenario/ClientActions.h"
#include "tools/scenario/ClientHarness.h"

namespace {

using scenario::WithoutRunningValues;

TEST(HarnessReset, GivesTheFreshClientBackAfterWholeGamesAndAClose) {
  scenario::CClientHarness fresh;
  ASSERT_TRUE(fresh.Start());
  const scenario::tagSnapshot expected = WithoutRunningValues(fresh.Snapshot());
  fresh.Stop();
  // Games played by a person who leaves and comes back, stopped at some moment of the next
  // game (cards on the table, clocks and timers running, animations made); and a closed client.
  for (uint64_t seed : {3u, 4u, 5u, 0u}) {
    scenario::CClientHarness h;
    ASSERT_TRUE(h.Start());
    scenario::CClientActions game(h, seed, static_cast<uint16_t>(seed % SEAT_COUNT), 2);
    if (seed != 0) game.Play(10, 90000 + 37000 * seed);
    EXPECT_TRUE(seed == 0 || game.Tally().messages > 50);
    if (seed == 0) h.Link().DeliverClosed();
    h.Pump();
    ASSERT_EQ(h.Closed(), seed == 0);
    ASSERT_TRUE(h.Reset());
    EXPECT_FALSE(h.Closed());
    const scenario::tagSnapshot after = WithoutRunningValues(h.Snapshot());
    EXPECT_EQ(expected, after) << "seed " << seed << ":\n"
                               << scenario::DescribeDifference(expected, after);
  }
}

}  // namespace
