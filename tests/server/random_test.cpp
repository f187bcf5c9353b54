// The server's random numbers: the sequence a seed gives is fixed (a seed replays a game), the
// bounded draws stay in range, and a table host's bot delays stay within their limits, however
// wide.
#include <gtest/gtest.h>

#include <cstdint>

#include "server/Random.h"
#include "server/TableHost.h"

namespace {

TEST(ServerRandom, TheSequenceOfASeedIsFixed) {
  CRandom r(0);
  EXPECT_EQ(r.Next(), 0xE220A8397B1DCDAFull);
  EXPECT_EQ(r.Next(), 0x6E789E6AA1B965F4ull);
  EXPECT_EQ(r.Next(), 0x06C45D188009454Full);
}

TEST(ServerRandom, DrawsStayBelowTheirBound) {
  const struct {
    uint64_t bound;
    uint64_t below;  // every draw is below this
  } cases[] = {{0, 1},          {1, 1},           {2, 2},
               {3, 3},          {54, 54},         {uint64_t{1} << 32, uint64_t{1} << 32},
               {~uint64_t{0}, uint64_t{1} << 32}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.bound);
    CRandom r(7);
    uint64_t seenMax = 0;
    for (int i = 0; i < 2000; ++i) {
      const uint64_t v = r.Below(c.bound);
      ASSERT_LT(v, c.below);
      if (v > seenMax) seenMax = v;
    }
    if (c.bound >= 2 && c.bound <= 54) {
      EXPECT_EQ(seenMax, c.bound - 1) << "every value is reached";
    }
  }
}

TEST(ServerRandom, BotDelaysStayWithinTheirLimits) {
  const struct {
    uint32_t min, max;
  } cases[] = {{0, 0}, {800, 800}, {500, 1500}, {0, UINT32_MAX}, {1500, 500}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.min) + ".." + std::to_string(c.max));
    tagHostConfig config;
    config.botDelayMinMs = c.min;
    config.botDelayMaxMs = c.max;
    CTableHost host(config);
    ASSERT_TRUE(host.SeatBot(0, "easy"));
    const uint64_t readyAt = host.NextEvent();  // the bot readies after its delay
    EXPECT_GE(readyAt, c.min);
    EXPECT_LE(readyAt, c.max > c.min ? c.max : c.min);
  }
}

}  // namespace
