// The legal-play check the table applies to every play: jokers resolved against the display form
// of the play on the table, joker bombs on the table compared raw, and the sorted play, its
// display form and its type handed back.
#include <gtest/gtest.h>

#include <cstring>

#include "server/PlayCheck.h"
#include "tests/rules/card_list_util.h"
#include "tests/server/turn_util.h"

namespace {

using cardtest::Cards;
using cardtest::Hex;
using servertest::MakeTurn;

TEST(PlayCheck, JokersResolvedAgainstTheDisplayFormJokerBombsRaw) {
  const Cards straight3456 = {0x06, 0x05, 0x04, 0x03};
  const Cards straight345 = {0x05, 0x04, 0x03};
  const struct {
    const char* name;
    Cards raised, turnRaw, turnDisplay;
    bool playable;
    Cards display;  // the display form handed back (sorted)
    uint8_t type;
  } cases[] = {
      {"leading two jokers and 5, 6",
       {0x05, 0x4E, 0x06, 0x4F},
       {},
       {},
       true,
       {0x08, 0x07, 0x06, 0x05},
       PT_SHUNZI},
      {"leading a lone joker, rule 0", {0x4E}, {}, {}, false, {}, PT_INVALID},
      {"leading an invalid play", {0x09, 0x05}, {}, {}, false, {}, PT_INVALID},
      {"3-4-5-6 followed by jokers and 5, 6",
       {0x4F, 0x4E, 0x16, 0x15},
       straight3456,
       straight3456,
       false,
       {},
       PT_INVALID},
      {"3-4-5-6 followed by jokers and 4, 5",
       {0x4F, 0x4E, 0x15, 0x14},
       straight3456,
       straight3456,
       true,
       {0x07, 0x06, 0x15, 0x14},
       PT_SHUNZI},
      {"3-4-5 followed by jokers and a 5",
       {0x4F, 0x4E, 0x25},
       straight345,
       straight345,
       true,
       {0x25, 0x05, 0x05},
       PT_BOMB3},
      {"3-4-5 followed by joker, 4, 5",
       {0x4E, 0x15, 0x14},
       straight345,
       straight345,
       true,
       {0x06, 0x15, 0x14},
       PT_SHUNZI},
      {"3-4-5 followed by 4-5-6-7",
       {0x07, 0x06, 0x05, 0x04},
       straight345,
       straight345,
       false,
       {},
       PT_INVALID},
      // A joker bomb on the table shows as a natural bomb; it is compared raw.
      {"joker+4+4 followed by joker+5+5",
       {0x4F, 0x15, 0x05},
       {0x4E, 0x14, 0x04},
       {0x14, 0x04, 0x04},
       true,
       {0x4F, 0x15, 0x05},
       PT_BOMB3_JOKER},
      {"3-3-3 followed by joker+5+5",
       {0x4E, 0x15, 0x05},
       {0x33, 0x23, 0x13},
       {0x33, 0x23, 0x13},
       false,
       {},
       PT_INVALID},
      {"a single 7 on a single 6", {0x17}, {0x26}, {0x26}, true, {0x17}, PT_SINGLE},
      {"a single 8 on a single 6", {0x18}, {0x26}, {0x26}, false, {}, PT_INVALID},
  };
  const CGameLogic logic;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const tagTurn turn = MakeTurn(c.turnRaw, c.turnDisplay);
    uint8_t sorted[MAX_CARDS + 1], display[MAX_CARDS + 1];
    std::memset(sorted, 0xEE, sizeof sorted);
    std::memset(display, 0xEE, sizeof display);
    uint8_t type = 0xEE;
    const uint8_t n = static_cast<uint8_t>(c.raised.size());
    EXPECT_EQ(CheckPlay(logic, c.raised.data(), n, turn, sorted, display, type), c.playable);
    EXPECT_EQ(IsLegalPlay(logic, c.raised.data(), n, turn), c.playable);
    if (!c.playable) {
      EXPECT_EQ(type, 0xEE) << "nothing is written for a refused play";
      EXPECT_EQ(sorted[0], 0xEE);
      continue;
    }
    Cards raw = c.raised;
    logic.SortCards(raw.data(), n, SORT_BY_RANK);
    EXPECT_EQ(Hex(sorted, n), Hex(raw));
    EXPECT_EQ(Hex(display, n), Hex(c.display));
    EXPECT_EQ(type, c.type);
    EXPECT_EQ(sorted[n], 0xEE) << "written past the play";
    EXPECT_EQ(display[n], 0xEE) << "written past the play";
  }
}

TEST(PlayCheck, CountsOutsideACardListAreRefused) {
  const CGameLogic logic;
  uint8_t cards[MAX_CARDS + 1];
  for (int i = 0; i <= MAX_CARDS; ++i) cards[i] = CARD_DECK[i];
  uint8_t sorted[MAX_CARDS], display[MAX_CARDS], type = 0;
  const tagTurn lead{};
  EXPECT_FALSE(CheckPlay(logic, cards, 0, lead, sorted, display, type)) << "no cards";
  EXPECT_FALSE(CheckPlay(logic, cards, MAX_CARDS + 1, lead, sorted, display, type));
  tagTurn tooLong{};
  tooLong.count = MAX_CARDS + 1;
  EXPECT_FALSE(CheckPlay(logic, cards, 1, tooLong, sorted, display, type));
}

}  // namespace
