// The harness's Reset gives back the client a fresh Start gives, whatever the game left: the
// client fuzz target resets one running client between inputs instead of starting a new one.
#include <gtest/gtest.h>

#include <string>

#include "tools/scenario/ClientActions.h"
#include "tools/scenario/ClientHarness.h"

namespace {

using scenario::CClientHarness;
using scenario::tagSnapshot;
using scenario::WithoutRunningValues;

TEST(HarnessReset, GivesTheFreshClientBackAfterWholeGamesAndAClose) {
  CClientHarness fresh;
  ASSERT_TRUE(fresh.Start());
  const tagSnapshot expected = WithoutRunningValues(fresh.Snapshot());
  fresh.Stop();

  for (uint64_t seed : {3u, 4u, 5u}) {
    CClientHarness h;
    ASSERT_TRUE(h.Start());
    // Games played by a person, who leaves and comes back, stopped at some moment of the next
    // game: cards on the table, clocks and timers running, animations made.
    scenario::CClientActions game(h, seed, static_cast<uint16_t>(seed % SEAT_COUNT), 2);
    game.Play(10, 90000 + 37000 * seed);
    ASSERT_TRUE(h.Reset());
    const tagSnapshot after = WithoutRunningValues(h.Snapshot());
    EXPECT_EQ(expected, after) << "seed " << seed << ":\n"
                               << scenario::DescribeDifference(expected, after);
  }
  CClientHarness h;
  ASSERT_TRUE(h.Start());
  h.Link().DeliverClosed();
  h.Pump();
  ASSERT_TRUE(h.Closed());
  ASSERT_TRUE(h.Reset());
  EXPECT_FALSE(h.Closed());
  EXPECT_EQ(expected, WithoutRunningValues(h.Snapshot()));
}

}  // namespace
