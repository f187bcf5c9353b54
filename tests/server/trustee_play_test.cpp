// The move the table makes for a chair it plays for: the first legal hint, the single answer,
// a lead that is always a play when one exists, or a pass.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "server/TrusteePlay.h"

namespace {

using Cards = std::vector<uint8_t>;

Cards Sorted(Cards cards) {
  std::sort(cards.begin(), cards.end());
  return cards;
}

TEST(TrusteePlay, ChoosesTheFirstLegalHintElsePasses) {
  const struct {
    const char* name;
    Cards hand;  // sorted by rank
    Cards turnRaw, turnResolved;
    uint8_t jokerRule;
    bool pass;
    Cards play;  // in any order
  } cases[] = {
      {"leading with a hand that is one play",
       {0x35, 0x25, 0x05},
       {},
       {},
       0,
       false,
       {0x05, 0x25, 0x35}},
      {"leading low", {0x0D, 0x09, 0x03}, {}, {}, 0, false, {0x03}},
      {"leading a lone joker without the rule: nothing to play", {0x4E}, {}, {}, 0, true, {}},
      {"leading a lone joker under the rule", {0x4E}, {}, {}, 1, false, {0x4E}},
      {"a single one step higher before a 2",
       {0x4E, 0x2A, 0x12, 0x05},
       {0x09},
       {0x09},
       0,
       false,
       {0x2A}},
      {"nothing beats a single 2 but a bomb", {0x3A, 0x05}, {0x12}, {0x12}, 0, true, {}},
      {"a joker pair one step higher",
       {0x4E, 0x29, 0x05},
       {0x18, 0x08},
       {0x18, 0x08},
       0,
       false,
       {0x4E, 0x29}},
      {"a run made with a joker is answered against its display form",
       {0x37, 0x26, 0x15, 0x08},
       {0x4E, 0x05, 0x04},
       {0x06, 0x05, 0x04},
       0,
       false,
       {0x15, 0x26, 0x37}},
      {"the rocket beats a four-card bomb",
       {0x4F, 0x4E, 0x05},
       {0x33, 0x23, 0x13, 0x03},
       {0x33, 0x23, 0x13, 0x03},
       0,
       false,
       {0x4E, 0x4F}},
      {"an empty hand passes", {}, {0x05}, {0x05}, 0, true, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    CGameLogic logic;
    logic.SetSingleJokerRule(c.jokerRule);
    const tagTurn turn =
        MakeTurn(c.turnRaw.data(), c.turnResolved.data(), static_cast<uint8_t>(c.turnRaw.size()));
    const tagTableMove move =
        ChooseTrusteeMove(logic, c.hand.data(), static_cast<uint8_t>(c.hand.size()), turn);
    EXPECT_EQ(move.pass, c.pass);
    if (c.pass) continue;
    EXPECT_EQ(Sorted(Cards(move.cards, move.cards + move.count)), Sorted(c.play));
    EXPECT_TRUE(IsLegalPlay(logic, move.cards, move.count, turn));
  }
}

}  // namespace
