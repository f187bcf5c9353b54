// The move the table makes for a chair it plays for: the first legal hint, the single answer,
// a lead that is always a play when one exists, or a pass.
#include <gtest/gtest.h>

#include <algorithm>

#include "server/TrusteePlay.h"
#include "tests/rules/card_list_util.h"

namespace {

using cardtest::Cards;
using cardtest::Count;
using cardtest::FromHex;
using cardtest::Hex;

std::string SortedHex(Cards cards) {
  std::sort(cards.begin(), cards.end());
  return Hex(cards);
}

TEST(TrusteePlay, ChoosesTheFirstLegalHintElsePasses) {
  const struct {
    const char *name, *hand, *turnRaw, *turnResolved;  // hex; the hand sorted by rank
    const char* move;                                  // "pass", or the cards in any order
    uint8_t jokerRule = 0;
  } cases[] = {
      {"leading with a hand that is one play", "35 25 05", "", "", "05 25 35"},
      {"leading low", "0D 09 03", "", "", "03"},
      {"leading a lone joker without the rule: nothing to play", "4E", "", "", "pass"},
      {"leading a lone joker under the rule", "4E", "", "", "4E", 1},
      {"a single one step higher before a 2", "4E 2A 12 05", "09", "09", "2A"},
      {"nothing beats a single 2 but a bomb", "3A 05", "12", "12", "pass"},
      {"a joker pair one step higher", "4E 29 05", "18 08", "18 08", "4E 29"},
      {"a joker run, answered against its display form", "37 26 15 08", "4E 05 04", "06 05 04",
       "15 26 37"},
      {"the rocket beats a four-card bomb", "4F 4E 05", "33 23 13 03", "33 23 13 03", "4E 4F"},
      {"an empty hand passes", "", "05", "05", "pass"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    CGameLogic logic;
    logic.SetSingleJokerRule(c.jokerRule);
    const Cards hand = FromHex(c.hand), raw = FromHex(c.turnRaw),
                resolved = FromHex(c.turnResolved);
    const tagTurn turn = MakeTurn(raw.data(), resolved.data(), Count(raw));
    const tagTableMove move = ChooseTrusteeMove(logic, hand.data(), Count(hand), turn);
    const Cards cards(move.cards, move.cards + move.count);
    EXPECT_EQ(move.pass ? "pass" : SortedHex(cards),
              c.move[0] == 'p' ? "pass" : SortedHex(FromHex(c.move)));
    EXPECT_TRUE(move.pass || IsLegalPlay(logic, move.cards, move.count, turn));
  }
}

}  // namespace
