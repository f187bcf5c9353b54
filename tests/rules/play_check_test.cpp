// The one legal-play check that the table, the trustee, the bots and the client's play button
// share: hand-picked plays, the play to beat held in any order, the form the hint searches
// against, and random positions where the raw and the display form of the play on the table
// differ (joker bombs, runs made with jokers).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "rules/PlayCheck.h"
#include "tests/rules/card_list_util.h"

namespace {

using cardtest::Cards;
using cardtest::Count;
using cardtest::FromHex;
using cardtest::Hex;

tagTurn TurnOf(const Cards& raw, const Cards& display) {
  return MakeTurn(raw.data(), display.data(), Count(raw));
}

// The check's answer: "refused", or the play sorted / its display form / its type. Nothing is
// written for a refused play, nor past the play.
std::string Check(const CGameLogic& logic, const Cards& play, const tagTurn& turn) {
  uint8_t sorted[MAX_CARDS + 1], display[MAX_CARDS + 1], type = 0xEE;
  std::memset(sorted, 0xEE, sizeof sorted);
  std::memset(display, 0xEE, sizeof display);
  const uint8_t n = Count(play);
  const bool legal = CheckPlay(logic, play.data(), n, turn, sorted, display, type);
  EXPECT_EQ(IsLegalPlay(logic, play.data(), n, turn), legal);
  const size_t written = legal ? n : 0;
  EXPECT_TRUE(sorted[written] == 0xEE && display[written] == 0xEE && (legal || type == 0xEE));
  if (!legal) return "refused";
  return Hex(sorted, n) + " / " + Hex(display, n) + " / " + std::to_string(type);
}

TEST(PlayCheck, HandPickedPlays) {
  const struct {
    const char *name, *play, *turnRaw, *turnDisplay;  // in hex, any order; "" display: as raw
    const char* answer;  // "refused", or the play sorted / its display form / its type
    uint8_t jokerRule = 0;
  } cases[] = {
      {"lead: two jokers, 5, 6", "05 4E 06 4F", "", "", "4F 4E 06 05 / 08 07 06 05 / 3"},
      {"lead: a lone joker, rule 0", "4E", "", "", "refused"},
      {"lead: a lone joker, rule 1", "4E", "", "", "4E / 4E / 1", 1},
      {"3456: jokers, 5, 6 end two up", "4F 4E 16 15", "06 05 04 03", "", "refused"},
      {"3456: jokers, 4, 5", "4F 4E 15 14", "06 05 04 03", "", "4F 4E 15 14 / 07 06 15 14 / 3"},
      {"345: jokers, 5 are a bomb", "4F 4E 25", "05 04 03", "", "4F 4E 25 / 25 05 05 / 6"},
      {"345 held unsorted: 456", "14 16 15", "03 05 04", "04 03 05", "16 15 14 / 16 15 14 / 3"},
      // A run made with a joker is followed by its display form.
      {"joker run shown as 456: 567", "17 16 15", "4E 05 04", "06 05 04",
       "17 16 15 / 17 16 15 / 3"},
      {"joker run shown as 456: 456", "16 15 14", "4E 05 04", "06 05 04", "refused"},
      // A joker bomb shows as a natural bomb; it is compared raw.
      {"joker+44 shown as 444: joker+55", "4F 15 05", "4E 14 04", "14 04 04",
       "4F 15 05 / 4F 15 05 / 5"},
      {"the same held unsorted", "15 4F 05", "14 4E 04", "04 14 04", "4F 15 05 / 4F 15 05 / 5"},
      {"333: joker+55", "4E 15 05", "33 23 13", "", "refused"},
      {"the rocket held small joker first: 2222", "32 22 12 02", "4E 4F", "", "refused"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    CGameLogic logic;
    logic.SetSingleJokerRule(c.jokerRule);
    const Cards raw = FromHex(c.turnRaw), display = *c.turnDisplay ? FromHex(c.turnDisplay) : raw;
    EXPECT_EQ(Check(logic, FromHex(c.play), TurnOf(raw, display)), c.answer);
  }
}

TEST(PlayCheck, CountsOutsideACardListAreRefused) {
  const CGameLogic logic;
  const Cards cards(CARD_DECK, CARD_DECK + MAX_CARDS);  // exactly 27: a 28th byte is never read
  uint8_t sorted[MAX_CARDS], display[MAX_CARDS], type = 0;
  const tagTurn lead{};
  EXPECT_FALSE(CheckPlay(logic, cards.data(), 0, lead, sorted, display, type)) << "no cards";
  EXPECT_FALSE(CheckPlay(logic, cards.data(), MAX_CARDS + 1, lead, sorted, display, type));
  const tagTurn tooLong = MakeTurn(cards.data(), cards.data(), MAX_CARDS + 1);
  EXPECT_FALSE(CheckPlay(logic, cards.data(), 1, tooLong, sorted, display, type));
  EXPECT_EQ(HintReference(logic, tooLong), tooLong.cards);
}

TEST(PlayCheck, HintsSearchAgainstTheDisplayFormOfAJokerRunOnly) {
  const struct {
    const char *name, *raw, *resolved;
    bool display;
  } cases[] = {
      {"a run made with a joker", "4E 05 04", "06 05 04", true},
      {"the same held unsorted", "05 4E 04", "04 06 05", true},
      {"pairs made with a joker", "4F 15 05 04", "05 05 04 04", true},
      {"a natural run", "06 05 04", "06 05 04", false},
      {"a joker bomb", "4E 15 05", "15 05 05", false},
  };
  const CGameLogic logic;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const tagTurn turn = TurnOf(FromHex(c.raw), FromHex(c.resolved));
    EXPECT_EQ(HintReference(logic, turn), c.display ? turn.resolved : turn.cards);
  }
}

TEST(PlayCheck, RandomPositionsWhereTheTwoFormsDiffer) {
  CPlayMaker maker(4242);
  CGameLogic logic;
  int accepted = 0, displayWouldDiffer = 0, rawWouldDiffer = 0;
  for (int round = 0; round < 20000; ++round) {
    // On the table: a joker bomb, or a run with one or two of its cards made jokers, led and kept
    // as the table keeps it; skipped when the jokers make no play or both forms are the same.
    const uint8_t kinds[] = {PT_BOMB3_JOKER, PT_BOMB4_JOKER, PT_SHUNZI, PT_LIANDUI};
    const uint8_t kind = kinds[maker.Between(0, 3)];
    Cards lead = maker.Make(kind);
    if (kind == PT_SHUNZI || kind == PT_LIANDUI) {
      lead[0] = CARD_BIG_JOKER;
      if (maker.Between(0, 1)) lead[1] = CARD_SMALL_JOKER;
    }
    tagTurn turn{};
    turn.count = Count(lead);
    uint8_t type = 0;
    if (!CheckPlay(logic, lead.data(), turn.count, tagTurn{}, turn.cards, turn.resolved, type) ||
        std::memcmp(turn.cards, turn.resolved, turn.count) == 0) {
      continue;
    }
    const uint8_t rawType = logic.ClassifyPlay(turn.cards, turn.count);
    const bool jokerBomb = rawType == PT_BOMB3_JOKER || rawType == PT_BOMB4_JOKER;
    const Cards display(turn.resolved, turn.resolved + turn.count);
    const bool run = type == PT_SHUNZI || type == PT_LIANDUI;

    // The play: any play, sometimes with a card made a joker; or, on a run, the display form
    // moved one step up with one card made a joker, which always answers it.
    Cards play;
    const bool stepUp =
        run && CGameLogic::GetCardRank(display[0]) < RANK_ACE && maker.Between(0, 1);
    if (stepUp) {
      for (uint8_t c : display) play.push_back(NaturalCard(CGameLogic::GetCardRank(c) + 1, c >> 4));
    } else {
      play = maker.Make(static_cast<uint8_t>(maker.Between(PT_SINGLE, PT_ROCKET)));
    }
    std::shuffle(play.begin(), play.end(), maker.Rng());
    if (stepUp || (play.size() > 1 && maker.Between(0, 2) == 0)) play[0] = maker.AnyJoker();
    SCOPED_TRACE("turn " + Hex(turn.cards, turn.count) + " / " + Hex(display) + " play " +
                 Hex(play));

    const std::string verdict = Check(logic, play, turn);
    const bool legal = verdict != "refused";
    accepted += legal;
    EXPECT_TRUE(legal || !stepUp) << "one step up with a joker";

    // The order of the play and of either form of the turn changes nothing: the client holds
    // the turn as received and raises cards in the order of its hand.
    tagTurn shuffled = turn;
    std::shuffle(shuffled.cards, shuffled.cards + turn.count, maker.Rng());
    std::shuffle(shuffled.resolved, shuffled.resolved + turn.count, maker.Rng());
    Cards reordered = play;
    std::shuffle(reordered.begin(), reordered.end(), maker.Rng());
    ASSERT_EQ(Check(logic, reordered, shuffled), verdict);

    // A joker bomb is beaten as its own cards: its display form plays no part. Anything else
    // is followed by its display form: the raw cards only tell that it is no joker bomb.
    tagTurn rawOnly = turn;
    std::memcpy(rawOnly.resolved, turn.cards, turn.count);
    tagTurn displayOnly = turn;
    std::memcpy(displayOnly.cards, turn.resolved, turn.count);
    if (jokerBomb) {
      ASSERT_EQ(Check(logic, play, rawOnly), verdict);
      displayWouldDiffer += (Check(logic, play, displayOnly) == "refused") == legal;
    } else {
      ASSERT_EQ(Check(logic, play, displayOnly), verdict);
      rawWouldDiffer += (Check(logic, play, rawOnly) == "refused") == legal;
    }
  }
  // Enough plays accepted, and enough positions where the other form would give another verdict.
  EXPECT_GT(accepted, 3000);
  EXPECT_GT(displayWouldDiffer, 500);
  EXPECT_GT(rawWouldDiffer, 1000);
}

}  // namespace
