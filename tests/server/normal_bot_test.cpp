// The "normal" bot: what it plays in the situations its level promises (going out, leading
// low and long, keeping bombs and 2s, watching players about to go out), and that every
// action it takes is legal over many random tables. Views are built the way a returning client
// builds them: from an encoded scene.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "protocol/Protocol.h"
#include "rules/GameLogic.h"
#include "rules/PlayCheck.h"
#include "rules/PlayMaker.h"
#include "server/ChairView.h"
#include "server/bots/Bot.h"
#include "server/bots/NormalBot.h"

namespace {

using Cards = std::vector<uint8_t>;

// "3 4 10 J Q K A 2 sj bj": repeated values take the next colour.
Cards Parse(const std::string& text) {
  Cards cards;
  int used[16] = {};
  std::istringstream words(text);
  for (std::string w; words >> w;) {
    if (w == "sj" || w == "bj") {
      cards.push_back(w == "sj" ? CARD_SMALL_JOKER : CARD_BIG_JOKER);
      continue;
    }
    const int face = w == "A" ? 1 : w == "J" ? 11 : w == "Q" ? 12 : w == "K" ? 13 : std::stoi(w);
    cards.push_back(static_cast<uint8_t>(used[face]++ * 16 + face));
  }
  return cards;
}

// Cards as values from the lowest up, colours dropped: "3 4 5", "9 sj".
std::string Values(const uint8_t* cards, size_t count) {
  std::vector<uint8_t> sorted(cards, cards + count);
  std::sort(sorted.begin(), sorted.end(), [](uint8_t a, uint8_t b) {
    return CGameLogic::GetCardRank(a) < CGameLogic::GetCardRank(b);
  });
  static const char* const kNames[] = {"",  "",   "",  "3", "4", "5", "6", "7",  "8",
                                       "9", "10", "J", "Q", "K", "A", "2", "sj", "bj"};
  std::string text;
  for (uint8_t card : sorted) {
    if (!text.empty()) text += ' ';
    text += kNames[CGameLogic::GetCardRank(card)];
  }
  return text;
}

std::string Describe(const tagBotAction& action) {
  return action.pass ? "pass" : Values(action.cards, action.count);
}

// A table as one chair sees it when its turn comes.
struct tagTable {
  uint16_t me;
  Cards hand;
  uint8_t counts[SEAT_COUNT];  // my own entry is the hand's size
  uint8_t pile;                // lone jokers are singles once it is empty
  Cards turn;                  // empty: leading
  uint16_t turnChair;
};

// The view a returning client of the chair rebuilds from the table's scene, which holds the play
// to beat as the table keeps it (sorted, with its display form). Fails the test when refused.
CChairView BuildView(const tagTable& t) {
  tagScenePlaying s{};
  s.multiple = 1;
  s.lastPlayChair = t.turn.empty() ? NO_CHAIR : t.turnChair;
  s.currentChair = t.me;
  std::copy(t.hand.begin(), t.hand.end(), s.hand);
  std::memcpy(s.cardCount, t.counts, SEAT_COUNT);
  s.cardCount[t.me] = static_cast<uint8_t>(t.hand.size());
  s.pileCount = t.pile;
  CGameLogic logic;
  logic.SetSingleJokerRule(1);
  uint8_t type = 0;
  s.turnCount = static_cast<uint8_t>(t.turn.size());
  EXPECT_TRUE(t.turn.empty() || CheckPlay(logic, t.turn.data(), s.turnCount, tagTurn{}, s.turnCards,
                                          s.turnResolved, type));
  uint8_t buffer[sizeof(s)];
  const size_t size = EncodeScenePlaying(s, t.me, buffer, sizeof buffer);
  CChairView view(t.me);
  EXPECT_TRUE(size > 0 && view.ApplyScene(STATUS_PLAYING, buffer, size));
  EXPECT_TRUE(view.MyTurn());
  return view;
}

// Why the action is not legal ("" when it is): a pass while leading, cards not in the hand, or
// a play the legal-play check refuses against the view's play to beat.
std::string Fault(const CChairView& view, const tagBotAction& action) {
  if (action.pass) return view.Turn().count == 0 ? "passed while leading" : "";
  CGameLogic logic;
  logic.SetSingleJokerRule(view.SingleJokerRule());
  uint8_t hand[MAX_CARDS];
  std::memcpy(hand, view.Hand(), view.HandCount());
  if (action.count > MAX_CARDS ||
      !logic.RemoveCard(action.cards, action.count, hand, view.HandCount())) {
    return Describe(action) + " is not in the hand";
  }
  const bool legal = IsLegalPlay(logic, action.cards, action.count, view.Turn());
  return legal ? "" : Describe(action) + " is not a legal play";
}

// What the bot plays, as its level promises: me = chair 0; chair 1 plays after me, chair 2
// before me; a play to beat was made by chair 1.
TEST(NormalBot, PlaysAsItsLevelPromises) {
  const struct {
    const char *name, *hand, *turn;  // turn "": leading
    const char* expected;            // values from the lowest up, or "pass"
    uint8_t next = 10, before = 10, pile = 20;
  } cases[] = {
      // Goes out when it can.
      {"leads its whole straight", "5 6 7", "", "5 6 7"},
      {"a joker completes the straight", "9 10 sj", "", "9 10 sj"},
      {"leads its bomb", "8 8 8 8", "", "8 8 8 8"},
      {"last card answers one step higher", "5", "4", "5"},
      {"last pair", "9 9", "8 8", "9 9"},
      {"joker fills the straight that follows", "4 6 sj", "3 4 5", "4 6 sj"},
      {"a bomb that empties the hand", "7 7 7", "K", "7 7 7"},
      {"a last 2 is spent to go out", "2", "9", "2"},
      {"a lone joker once the pile is empty", "sj", "2", "sj", 10, 10, 0},
      {"two cards: keeps the 2 for last", "7 2", "", "7"},
      // Leads low and long.
      {"longest straight", "3 4 5 6 7 9 K", "", "3 4 5 6 7"},
      {"consecutive pairs", "4 4 5 5 6 6 9 Q", "", "4 4 5 5 6 6"},
      {"long before low", "3 6 7 8 9 10", "", "6 7 8 9 10"},
      {"a pair before a single", "3 8 8 K", "", "8 8"},
      {"lowest single", "3 9 K", "", "3"},
      {"not a 2", "2 9 J", "", "9"},
      {"not a pair of 2s", "2 2 9 J", "", "9"},
      {"not its bomb", "5 5 5 9 J", "", "9"},
      {"a joker bridges a gap", "3 4 6 7 sj K", "", "3 4 6 7 sj"},
      // Keeps bombs for when they matter.
      {"harmless single: pass", "7 7 7 3 10 Q K", "5", "pass"},
      {"an empty seat is no threat", "7 7 7 3 10 Q K", "5", "pass", 10, 0},
      {"harmless single: answers without the bomb", "7 7 7 6 10 Q K", "5", "6"},
      {"next player holds 1 card", "7 7 7 3 10 Q K", "5", "7 7 7", 1},
      {"other opponent holds 2 cards", "7 7 7 3 10 Q K", "5", "7 7 7", 10, 2},
      {"the bomb leaves one play", "7 7 7 9 10 J", "5", "7 7 7"},
      {"pile gone, hand small", "7 7 7 3 9", "5", "7 7 7", 10, 10, 0},
      {"pile left, same hand", "7 7 7 3 9", "5", "pass"},
      {"opponent at 3 cards: not yet", "7 7 7 3 10 Q K", "5", "pass", 3},
      {"cheapest bomb, rocket kept", "7 7 7 9 9 9 sj bj 3 5 Q", "5", "7 7 7", 1},
      {"rocket kept against a harmless pair", "sj bj 3 5 9 Q", "8 8", "pass"},
      {"a joker pair before the rocket", "sj bj 3 5 9 Q", "8 8", "9 sj", 10, 2},
      // Saves 2s.
      {"harmless single: pass", "2 3 6 J K", "9", "pass"},
      {"opponent at 3 cards: not yet", "2 3 6 J K", "9", "pass", 10, 3},
      {"opponent at 2 cards: the 2", "2 3 6 J K", "9", "2", 10, 2},
      {"one step higher before the 2", "K 2 5 8", "Q", "K"},
      {"the 2 brings it to its last card", "2 8", "9", "2"},
      {"no joker on a harmless 2", "sj 3 6 J Q", "2", "pass", 10, 10, 0},
      // Keeps its runs unless someone is close.
      {"does not break its straight", "3 6 7 8 J K", "5", "pass"},
      {"breaks it for an opponent at 2", "3 6 7 8 J K", "5", "6", 2},
      {"splits a pair for a single", "3 6 6 9 J K", "5", "6"},
      // Watches players about to go out.
      {"next at 1: its highest single", "3 9 K", "", "K", 1},
      {"other opponent at 1: the same", "3 9 K", "", "K", 10, 1},
      {"next at 1: a pair instead of a single", "3 9 5 5", "", "5 5", 1},
      {"next at 2: its highest pair", "3 3 9 9 K", "", "9 9", 2},
      {"nobody close: the low pair", "3 3 9 9 K", "", "3 3"},
  };
  auto bot = MakeBot("normal");
  ASSERT_NE(bot, nullptr);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const tagTable table{0, Parse(c.hand), {0, c.next, c.before}, c.pile, Parse(c.turn), 1};
    const CChairView view = BuildView(table);
    const tagBotAction action = bot->Decide(view);
    EXPECT_EQ(Fault(view, action), "");
    EXPECT_EQ(Describe(action), c.expected);
  }
}

// ----- Random tables ------------------------------------------------------------------------

// A random table for a random chair; the play to beat is a lead of cards nobody else holds,
// legal under the single-joker rule of the pile.
tagTable RandomTable(CPlayMaker& maker) {
  Cards deck = maker.Hand(DECK_SIZE);
  tagTable t{};
  t.me = static_cast<uint16_t>(maker.Between(0, 2));
  const int handSize = maker.Between(1, 20);
  t.hand.assign(deck.begin(), deck.begin() + handSize);
  deck.erase(deck.begin(), deck.begin() + handSize);
  // A leader holding a lone joker has just drawn the pile's last card.
  const bool pileOut = maker.Between(0, 1) == 0 || (handSize == 1 && IsJokerCard(t.hand[0]));
  CGameLogic logic;
  logic.SetSingleJokerRule(pileOut ? 1 : 0);
  for (int attempt = 0; attempt < 200 && maker.Between(0, 3) > 0 && t.turn.empty(); ++attempt) {
    const Cards play = maker.Make(static_cast<uint8_t>(maker.Between(PT_SINGLE, PT_ROCKET)));
    const bool free = std::all_of(play.begin(), play.end(), [&](uint8_t c) {
      return std::find(deck.begin(), deck.end(), c) != deck.end();
    });
    // At most 8 cards, so that the chair that made it could have held them.
    if (free && play.size() <= 8 &&
        IsLegalPlay(logic, play.data(), static_cast<uint8_t>(play.size()), tagTurn{})) {
      t.turn = play;
    }
  }
  if (handSize == 1 && IsJokerCard(t.hand[0]) && !pileOut) t.turn.clear();
  t.turnChair = static_cast<uint16_t>((t.me + maker.Between(1, 2)) % SEAT_COUNT);
  t.counts[(t.me + 1) % SEAT_COUNT] = static_cast<uint8_t>(maker.Between(0, 12));
  t.counts[(t.me + 2) % SEAT_COUNT] = static_cast<uint8_t>(maker.Between(0, 12));
  if (t.counts[t.turnChair] == 0) t.counts[t.turnChair] = 1;  // an empty seat is no player
  const int used = handSize + static_cast<int>(t.turn.size()) + t.counts[0] + t.counts[1] +
                   t.counts[2];  // my own entry is 0 here: at most 20 + 8 + 24 cards
  t.pile = static_cast<uint8_t>(pileOut ? 0 : maker.Between(1, DECK_SIZE - used));
  return t;
}

TEST(NormalBot, EveryActionIsLegalOverRandomTables) {
  auto bot = MakeBot("normal");
  ASSERT_NE(bot, nullptr);
  CPlayMaker maker(2024);
  int leads = 0;
  int plays = 0;
  for (int round = 0; round < 4000; ++round) {
    const tagTable t = RandomTable(maker);
    SCOPED_TRACE("hand " + Values(t.hand.data(), t.hand.size()) + " turn " +
                 Values(t.turn.data(), t.turn.size()));
    const CChairView view = BuildView(t);
    const tagBotAction action = bot->Decide(view);
    ASSERT_EQ(Fault(view, action), "");
    if (t.turn.empty()) ++leads;
    if (!action.pass) ++plays;

    // A hand that is itself a legal play always goes out.
    CGameLogic logic;
    logic.SetSingleJokerRule(view.SingleJokerRule());
    if (IsLegalPlay(logic, view.Hand(), view.HandCount(), view.Turn())) {
      EXPECT_FALSE(action.pass);
      EXPECT_EQ(action.count, view.HandCount());
    }
  }
  // The tables cover both leading and following, and the bot does not only pass.
  EXPECT_GT(leads, 500);
  EXPECT_GT(plays - leads, 300);
}

}  // namespace
