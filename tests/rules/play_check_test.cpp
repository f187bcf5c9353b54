// The one legal-play check that the table, the trustee, the bots and the client's play button
// share: hand-picked plays, the play to beat held in any order, the form the hint searches
// against, and random positions where the raw and the display form of the play on the table
// differ (joker bombs, runs made with jokers).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "rules/PlayCheck.h"
#include "tests/rules/card_list_util.h"

namespace {

using cardtest::Cards;
using cardtest::Count;
using cardtest::Hex;

tagTurn TurnOf(const Cards& raw, const Cards& display) {
  return MakeTurn(raw.data(), display.data(), Count(raw));
}

TEST(PlayCheck, HandPickedPlays) {
  const Cards s3456 = {6, 5, 4, 3}, s345 = {5, 4, 3}, s456 = {0x16, 0x15, 0x14};
  const Cards jokerRun = {0x4E, 5, 4}, jokerRunShown = {6, 5, 4}, s567 = {0x17, 0x16, 0x15};
  const Cards joker44 = {0x4E, 0x14, 4}, joker44Shown = {0x14, 4, 4}, joker55 = {0x4F, 0x15, 5};
  const Cards rocket = {0x4E, 0x4F};  // as held: small joker first
  const struct {
    const char* name;
    Cards play, turnRaw, turnDisplay;
    Cards display;  // the display form handed back (sorted); empty: refused
    uint8_t type;   // of the display form: 1 single, 3 straight, 5 joker three, 6 three
    uint8_t jokerRule = 0;
  } cases[] = {
      {"lead: two jokers, 5, 6", {5, 0x4E, 6, 0x4F}, {}, {}, {8, 7, 6, 5}, 3},
      {"lead: a lone joker, rule 0", {0x4E}, {}, {}, {}, 0},
      {"lead: a lone joker, rule 1", {0x4E}, {}, {}, {0x4E}, 1, 1},
      {"lead: no play", {9, 5}, {}, {}, {}, 0},
      {"3456: jokers, 5, 6 end two steps up", {0x4F, 0x4E, 0x16, 0x15}, s3456, s3456, {}, 0},
      {"3456: jokers, 4, 5", {0x4F, 0x4E, 0x15, 0x14}, s3456, s3456, {7, 6, 0x15, 0x14}, 3},
      {"345: jokers and a 5 are a bomb", {0x4F, 0x4E, 0x25}, s345, s345, {0x25, 5, 5}, 6},
      {"345: joker, 4, 5", {0x4E, 0x15, 0x14}, s345, s345, {6, 0x15, 0x14}, 3},
      {"345: 4567 is longer", {7, 6, 5, 4}, s345, s345, {}, 0},
      {"345 held unsorted: 456", {0x14, 0x16, 0x15}, {3, 5, 4}, {4, 3, 5}, s456, 3},
      // A run made with a joker is followed by its display form.
      {"joker run shown as 456: 567", s567, jokerRun, jokerRunShown, s567, 3},
      {"joker run shown as 456: 456", s456, jokerRun, jokerRunShown, {}, 0},
      // A joker bomb shows as a natural bomb; it is compared raw.
      {"joker+4+4 shown as 444: joker+5+5", joker55, joker44, joker44Shown, joker55, 5},
      {"the same held unsorted", {0x15, 0x4F, 5}, {0x14, 0x4E, 4}, {4, 0x14, 4}, joker55, 5},
      {"333: joker+5+5", {0x4E, 0x15, 5}, {0x33, 0x23, 0x13}, {0x33, 0x23, 0x13}, {}, 0},
      {"the rocket held small joker first: 2222", {0x32, 0x22, 0x12, 2}, rocket, rocket, {}, 0},
      {"a single 7 on a single 6", {0x17}, {0x26}, {0x26}, {0x17}, 1},
      {"a single 8 on a single 6", {0x18}, {0x26}, {0x26}, {}, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    CGameLogic logic;
    logic.SetSingleJokerRule(c.jokerRule);
    const tagTurn turn = TurnOf(c.turnRaw, c.turnDisplay);
    uint8_t sorted[MAX_CARDS + 1], display[MAX_CARDS + 1];
    std::memset(sorted, 0xEE, sizeof sorted);
    std::memset(display, 0xEE, sizeof display);
    uint8_t type = 0xEE;
    const uint8_t n = Count(c.play);
    const bool playable = !c.display.empty();
    EXPECT_EQ(CheckPlay(logic, c.play.data(), n, turn, sorted, display, type), playable);
    EXPECT_EQ(IsLegalPlay(logic, c.play.data(), n, turn), playable);
    if (!playable) {
      EXPECT_EQ(type, 0xEE) << "nothing is written for a refused play";
      EXPECT_EQ(sorted[0], 0xEE);
      continue;
    }
    Cards raw = c.play;
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
    const char* name;
    Cards raw, resolved;
    bool display;
  } cases[] = {
      {"leading", {}, {}, false},
      {"a run made with a joker", {0x4E, 0x05, 0x04}, {0x06, 0x05, 0x04}, true},
      {"the same held unsorted", {0x05, 0x4E, 0x04}, {0x04, 0x06, 0x05}, true},
      {"pairs made with a joker", {0x4F, 0x15, 0x05, 0x04}, {0x05, 0x05, 0x04, 0x04}, true},
      {"a natural run", {0x06, 0x05, 0x04}, {0x06, 0x05, 0x04}, false},
      {"a joker pair", {0x4E, 0x08}, {0x4E, 0x08}, false},
      {"a joker bomb", {0x4E, 0x15, 0x05}, {0x15, 0x05, 0x05}, false},
  };
  const CGameLogic logic;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const tagTurn turn = TurnOf(c.raw, c.resolved);
    EXPECT_EQ(HintReference(logic, turn), c.display ? turn.resolved : turn.cards);
  }
}

struct Verdict {
  bool legal;
  Cards sorted, display;
  uint8_t type;
  bool operator==(const Verdict&) const = default;
};

Verdict Check(const CGameLogic& logic, const Cards& play, const tagTurn& turn) {
  uint8_t sorted[MAX_CARDS] = {}, display[MAX_CARDS] = {}, type = 0;
  const bool legal = CheckPlay(logic, play.data(), Count(play), turn, sorted, display, type);
  if (!legal) return {false, {}, {}, 0};
  return {true, Cards(sorted, sorted + play.size()), Cards(display, display + play.size()), type};
}

// A joker bomb on the table, or a run with one or two of its cards made jokers, led and kept
// as the table keeps it; false when the jokers make no play or both forms are the same.
bool MakeTurnWithJokers(CPlayMaker& maker, const CGameLogic& logic, tagTurn& turn) {
  const uint8_t kinds[] = {PT_BOMB3_JOKER, PT_BOMB4_JOKER, PT_SHUNZI, PT_LIANDUI};
  const uint8_t kind = kinds[maker.Between(0, 3)];
  Cards lead = maker.Make(kind);
  if (kind == PT_SHUNZI || kind == PT_LIANDUI) {
    lead[0] = CARD_BIG_JOKER;
    if (maker.Between(0, 1)) lead[1] = CARD_SMALL_JOKER;
  }
  const tagTurn leading{};
  uint8_t type = 0;
  turn = tagTurn{};
  turn.count = Count(lead);
  return CheckPlay(logic, lead.data(), turn.count, leading, turn.cards, turn.resolved, type) &&
         std::memcmp(turn.cards, turn.resolved, turn.count) != 0;
}

TEST(PlayCheck, RandomPositionsWhereTheTwoFormsDiffer) {
  CPlayMaker maker(4242);
  CGameLogic logic;
  int jokerBombs = 0, runs = 0, accepted = 0, displayWouldDiffer = 0, rawWouldDiffer = 0;
  for (int round = 0; round < 20000; ++round) {
    tagTurn turn;
    if (!MakeTurnWithJokers(maker, logic, turn)) continue;
    const uint8_t rawType = logic.ClassifyPlay(turn.cards, turn.count);
    const bool jokerBomb = rawType == PT_BOMB3_JOKER || rawType == PT_BOMB4_JOKER;
    const Cards display(turn.resolved, turn.resolved + turn.count);
    const uint8_t displayType = logic.ClassifyPlay(display.data(), Count(display));
    const bool run = displayType == PT_SHUNZI || displayType == PT_LIANDUI;
    jokerBombs += jokerBomb;
    runs += run;

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

    const Verdict verdict = Check(logic, play, turn);
    accepted += verdict.legal;
    EXPECT_TRUE(verdict.legal || !stepUp) << "one step up with a joker";

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
      displayWouldDiffer += Check(logic, play, displayOnly).legal != verdict.legal;
    } else {
      ASSERT_EQ(Check(logic, play, displayOnly), verdict);
      rawWouldDiffer += Check(logic, play, rawOnly).legal != verdict.legal;
    }
  }
  // Enough positions of each kind, and enough where the other form would give another verdict.
  EXPECT_GT(jokerBombs, 3000);
  EXPECT_GT(runs, 3000);
  EXPECT_GT(accepted, 3000);
  EXPECT_GT(displayWouldDiffer, 500);
  EXPECT_GT(rawWouldDiffer, 1000);
}

}  // namespace
