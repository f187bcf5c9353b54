// The server's random numbers: a seed replays its sequence and another seed gives another,
// bounded draws stay in range and reach every value, and a table host's bot delays stay within
// their limits, however wide.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "server/Random.h"
#include "server/TableHost.h"

namespace {

TEST(ServerRandom, SeedsReplayAndDrawsStayBelowTheirBound) {
  CRandom a(5), b(5), c(6);
  for (int i = 0; i < 100; ++i) ASSERT_EQ(a.Next(), b.Next());
  EXPECT_NE(a.Next(), c.Next());
  const uint64_t bounds[][2] = {
      {0, 1}, {1, 1}, {2, 2}, {3, 3}, {54, 54}, {~0ull, uint64_t{1} << 32}};  // bound, draws below
  for (const auto& [bound, below] : bounds) {
    uint64_t seenMax = 0;
    for (int i = 0; i < 2000; ++i) {
      const uint64_t v = a.Below(bound);
      ASSERT_LT(v, below) << bound;
      seenMax = v > seenMax ? v : seenMax;
    }
    EXPECT_TRUE(bound < 2 || bound > 54 || seenMax == bound - 1) << "not every value of " << bound;
  }
}

TEST(ServerRandom, BotDelaysStayWithinTheirLimits) {
  const uint32_t limits[][2] = {{0, 0}, {800, 800}, {500, 1500}, {0, UINT32_MAX}, {1500, 500}};
  for (const auto& [min, max] : limits) {
    SCOPED_TRACE(std::to_string(min) + ".." + std::to_string(max));
    tagHostConfig config;
    config.botDelayMinMs = min;
    config.botDelayMaxMs = max;
    CTableHost host(config);
    ASSERT_TRUE(host.SeatBot(0, "easy"));
    const uint64_t readyAt = host.NextEvent();  // the bot readies after its delay
    EXPECT_GE(readyAt, min);
    EXPECT_LE(readyAt, max > min ? max : min);
  }
}

}  // namespace
