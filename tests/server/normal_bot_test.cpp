// The "normal" bot: what it plays in the situations its level promises (going out, leading
// low and long, keeping bombs and 2s, watching players about to go out), and that every
// action it takes is legal over many random tables. Views are built the way a client builds
// them: from encoded server messages.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "protocol/Protocol.h"
#include "rules/GameLogic.h"
#include "server/ChairView.h"
#include "rules/PlayCheck.h"
#include "server/bots/Bot.h"
#include "server/bots/NormalBot.h"

namespace {

using Cards = std::vector<uint8_t>;

// "3 4 10 J Q K A 2 sj bj": repeated values take the next colour.
Cards Parse(std::string_view text) {
  Cards cards;
  int used[16] = {};
  size_t at = 0;
  while (at < text.size()) {
    while (at < text.size() && text[at] == ' ') ++at;
    size_t end = at;
    while (end < text.size() && text[end] != ' ') ++end;
    const std::string_view word = text.substr(at, end - at);
    at = end;
    if (word.empty()) continue;
    if (word == "sj") {
      cards.push_back(CARD_SMALL_JOKER);
      continue;
    }
    if (word == "bj") {
      cards.push_back(CARD_BIG_JOKER);
      continue;
    }
    int face = 0;
    if (word == "A") face = 1;
    else if (word == "J") face = 11;
    else if (word == "Q") face = 12;
    else if (word == "K") face = 13;
    else face = std::stoi(std::string(word));
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
  static const char* const kNames[] = {"",  "",  "",  "3", "4", "5", "6",  "7", "8",
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
  uint8_t counts[SEAT_COUNT];  // after the play to beat; my own entry is the hand's size
  uint8_t pile;
  Cards turn;                  // empty: leading
  uint16_t turnChair;
  uint8_t singleJokerRule;
};

// Feeds the view the messages a client would get: play begins, a new turn with its rule, the
// play to beat. Fails the test when a message is refused.
CChairView BuildView(const tagTable& t) {
  CGameLogic logic;
  logic.SetSingleJokerRule(t.singleJokerRule);
  CChairView view(t.me);
  uint8_t buffer[256];

  uint8_t counts[SEAT_COUNT];
  std::memcpy(counts, t.counts, SEAT_COUNT);
  counts[t.me] = static_cast<uint8_t>(t.hand.size());
  uint8_t before[SEAT_COUNT];
  std::memcpy(before, counts, SEAT_COUNT);
  if (!t.turn.empty()) before[t.turnChair] = static_cast<uint8_t>(before[t.turnChair] + t.turn.size());

  tagSrvPlayBegin begin{};
  begin.bankerChair = 0;
  begin.currentChair = t.me;
  std::copy(t.hand.begin(), t.hand.end(), begin.hand);
  begin.handCount = static_cast<uint8_t>(t.hand.size());
  begin.pileCount = t.pile;
  std::memcpy(begin.cardCount, before, SEAT_COUNT);
  size_t size = EncodeSrvPlayBegin(begin, buffer, sizeof buffer);
  EXPECT_GT(size, 0u);
  EXPECT_TRUE(view.ApplyMessage(SRV_PLAY_BEGIN, buffer, size));

  // A new turn carries the single-joker rule.
  tagSrvPass pass{};
  pass.newTurn = 1;
  pass.singleJokerRule = t.singleJokerRule;
  pass.passChair = static_cast<uint16_t>((t.me + 2) % SEAT_COUNT);
  pass.currentChair = t.turn.empty() ? t.me : t.turnChair;
  std::memcpy(pass.cardCount, before, SEAT_COUNT);
  std::copy(t.hand.begin(), t.hand.end(), pass.hand);
  pass.pileCount = t.pile;
  size = EncodeSrvPass(pass, t.me, buffer, sizeof buffer);
  EXPECT_GT(size, 0u);
  EXPECT_TRUE(view.ApplyMessage(SRV_PASS, buffer, size));

  if (!t.turn.empty()) {
    tagSrvPlay play{};
    play.count = static_cast<uint8_t>(t.turn.size());
    play.outChair = t.turnChair;
    play.currentChair = t.me;
    std::copy(t.turn.begin(), t.turn.end(), play.cards);
    logic.SortCards(play.cards, play.count, SORT_BY_RANK);
    logic.ResolveJokers(play.cards, play.count, play.resolved, nullptr, 0);
    logic.SortCards(play.resolved, play.count, SORT_BY_RANK);
    std::memcpy(play.cardCount, counts, SEAT_COUNT);
    size = EncodeSrvPlay(play, buffer, sizeof buffer);
    EXPECT_GT(size, 0u);
    EXPECT_TRUE(view.ApplyMessage(SRV_PLAY, buffer, size));
  }
  EXPECT_TRUE(view.MyTurn());
  EXPECT_EQ(view.Turn().count, t.turn.size());
  return view;
}

// The action is a pass (allowed only when following) or cards of the hand that the legal-play
// check accepts against the view's play to beat.
::testing::AssertionResult IsLegal(const CChairView& view, const tagBotAction& action) {
  if (action.pass) {
    if (view.Turn().count == 0) return ::testing::AssertionFailure() << "passed while leading";
    return ::testing::AssertionSuccess();
  }
  if (action.count == 0 || action.count > view.HandCount()) {
    return ::testing::AssertionFailure() << "played " << int{action.count} << " cards";
  }
  CGameLogic logic;
  uint8_t hand[MAX_CARDS];
  std::memcpy(hand, view.Hand(), view.HandCount());
  if (!logic.RemoveCard(action.cards, action.count, hand, view.HandCount())) {
    return ::testing::AssertionFailure() << Describe(action) << " is not in the hand";
  }
  logic.SetSingleJokerRule(view.SingleJokerRule());
  uint8_t sorted[MAX_CARDS];
  uint8_t resolved[MAX_CARDS];
  uint8_t type = PT_INVALID;
  if (!CheckPlay(logic, action.cards, action.count, view.Turn(), sorted, resolved, type)) {
    return ::testing::AssertionFailure() << Describe(action) << " is not a legal play";
  }
  return ::testing::AssertionSuccess();
}

struct tagCase {
  const char* name;
  const char* hand;
  uint8_t counts[SEAT_COUNT];  // me = chair 0; chair 1 plays after me, chair 2 before me
  uint8_t pile;
  const char* turn;            // "" = leading
  uint16_t turnChair;
  uint8_t rule;
  const char* expected;        // values from the lowest up, or "pass"
};

void RunCases(const tagCase* cases, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    const tagCase& c = cases[i];
    SCOPED_TRACE(c.name);
    const tagTable table{0, Parse(c.hand), {0, c.counts[1], c.counts[2]}, c.pile,
                         Parse(c.turn), c.turnChair, c.rule};
    const CChairView view = BuildView(table);
    auto bot = MakeBot("normal");
    ASSERT_NE(bot, nullptr);
    const tagBotAction action = bot->Decide(view);
    EXPECT_TRUE(IsLegal(view, action));
    EXPECT_EQ(Describe(action), c.expected);
  }
}

TEST(NormalBotTest, LevelName) {
  auto bot = MakeBot("normal");
  ASSERT_NE(bot, nullptr);
  EXPECT_STREQ(bot->Level(), "normal");
}

TEST(NormalBotTest, GoesOutWhenItCan) {
  const tagCase cases[] = {
      {"leads its whole straight", "5 6 7", {0, 10, 10}, 20, "", 0, 0, "5 6 7"},
      {"a joker completes the straight", "9 10 sj", {0, 10, 10}, 20, "", 0, 0, "9 10 sj"},
      {"leads its bomb", "8 8 8 8", {0, 10, 10}, 20, "", 0, 0, "8 8 8 8"},
      {"last card answers one step higher", "5", {0, 10, 10}, 20, "4", 1, 0, "5"},
      {"last pair", "9 9", {0, 10, 10}, 20, "8 8", 1, 0, "9 9"},
      {"joker fills the straight that follows", "4 6 sj", {0, 10, 10}, 20, "3 4 5", 1, 0,
       "4 6 sj"},
      {"a bomb that empties the hand", "7 7 7", {0, 10, 10}, 20, "K", 1, 0, "7 7 7"},
      {"a last 2 is spent to go out", "2", {0, 10, 10}, 20, "9", 1, 0, "2"},
      {"a lone joker once the pile is empty", "sj", {0, 10, 10}, 0, "2", 1, 1, "sj"},
      {"two cards: keeps the 2 for last", "7 2", {0, 10, 10}, 20, "", 0, 0, "7"},
  };
  RunCases(cases, std::size(cases));
}

TEST(NormalBotTest, LeadsLowAndLong) {
  const tagCase cases[] = {
      {"longest straight", "3 4 5 6 7 9 K", {0, 10, 10}, 20, "", 0, 0, "3 4 5 6 7"},
      {"consecutive pairs", "4 4 5 5 6 6 9 Q", {0, 10, 10}, 20, "", 0, 0, "4 4 5 5 6 6"},
      {"long before low", "3 6 7 8 9 10", {0, 10, 10}, 20, "", 0, 0, "6 7 8 9 10"},
      {"a pair before a single", "3 8 8 K", {0, 10, 10}, 20, "", 0, 0, "8 8"},
      {"lowest single", "3 9 K", {0, 10, 10}, 20, "", 0, 0, "3"},
      {"not a 2", "2 9 J", {0, 10, 10}, 20, "", 0, 0, "9"},
      {"not a pair of 2s", "2 2 9 J", {0, 10, 10}, 20, "", 0, 0, "9"},
      {"not its bomb", "5 5 5 9 J", {0, 10, 10}, 20, "", 0, 0, "9"},
      {"a joker bridges a gap", "3 4 6 7 sj K", {0, 10, 10}, 20, "", 0, 0, "3 4 6 7 sj"},
  };
  RunCases(cases, std::size(cases));
}

TEST(NormalBotTest, KeepsBombsForWhenTheyMatter) {
  const tagCase cases[] = {
      {"harmless single: pass", "7 7 7 3 10 Q K", {0, 10, 10}, 20, "5", 1, 0, "pass"},
      {"an empty seat is no threat", "7 7 7 3 10 Q K", {0, 10, 0}, 20, "5", 1, 0, "pass"},
      {"harmless single: answers without the bomb", "7 7 7 6 10 Q K", {0, 10, 10}, 20, "5", 1,
       0, "6"},
      {"next player holds 1 card", "7 7 7 3 10 Q K", {0, 1, 10}, 20, "5", 1, 0, "7 7 7"},
      {"other opponent holds 2 cards", "7 7 7 3 10 Q K", {0, 10, 2}, 20, "5", 1, 0, "7 7 7"},
      {"the bomb leaves one play", "7 7 7 9 10 J", {0, 10, 10}, 20, "5", 1, 0, "7 7 7"},
      {"pile gone, hand small", "7 7 7 3 9", {0, 10, 10}, 0, "5", 1, 0, "7 7 7"},
      {"pile left, same hand", "7 7 7 3 9", {0, 10, 10}, 20, "5", 1, 0, "pass"},
      {"opponent at 3 cards: not yet", "7 7 7 3 10 Q K", {0, 3, 10}, 20, "5", 1, 0, "pass"},
      {"cheapest bomb, rocket kept", "7 7 7 9 9 9 sj bj 3 5 Q", {0, 1, 10}, 20, "5", 1, 0,
       "7 7 7"},
      {"rocket kept against a harmless pair", "sj bj 3 5 9 Q", {0, 10, 10}, 20, "8 8", 1, 0,
       "pass"},
      {"a joker pair before the rocket", "sj bj 3 5 9 Q", {0, 10, 2}, 20, "8 8", 1, 0, "9 sj"},
  };
  RunCases(cases, std::size(cases));
}

TEST(NormalBotTest, SavesTwos) {
  const tagCase cases[] = {
      {"harmless single: pass", "2 3 6 J K", {0, 10, 10}, 20, "9", 1, 0, "pass"},
      {"opponent at 3 cards: not yet", "2 3 6 J K", {0, 10, 3}, 20, "9", 1, 0, "pass"},
      {"opponent at 2 cards: the 2", "2 3 6 J K", {0, 10, 2}, 20, "9", 1, 0, "2"},
      {"one step higher before the 2", "K 2 5 8", {0, 10, 10}, 20, "Q", 1, 0, "K"},
      {"the 2 brings it to its last card", "2 8", {0, 10, 10}, 20, "9", 1, 0, "2"},
      {"no joker on a harmless 2", "sj 3 6 J Q", {0, 10, 10}, 0, "2", 1, 1, "pass"},
  };
  RunCases(cases, std::size(cases));
}

TEST(NormalBotTest, KeepsStructureUnlessSomeoneIsClose) {
  const tagCase cases[] = {
      {"does not break its straight", "3 6 7 8 J K", {0, 10, 10}, 20, "5", 1, 0, "pass"},
      {"breaks it for an opponent at 2", "3 6 7 8 J K", {0, 2, 10}, 20, "5", 1, 0, "6"},
      {"splits a pair for a single", "3 6 6 9 J K", {0, 10, 10}, 20, "5", 1, 0, "6"},
  };
  RunCases(cases, std::size(cases));
}

TEST(NormalBotTest, WatchesPlayersAboutToGoOut) {
  const tagCase cases[] = {
      {"next at 1: its highest single", "3 9 K", {0, 1, 10}, 20, "", 0, 0, "K"},
      {"other opponent at 1: the same", "3 9 K", {0, 10, 1}, 20, "", 0, 0, "K"},
      {"next at 1: a pair instead of a single", "3 9 5 5", {0, 1, 10}, 20, "", 0, 0, "5 5"},
      {"next at 2: its highest pair", "3 3 9 9 K", {0, 2, 10}, 20, "", 0, 0, "9 9"},
      {"nobody close: the low pair", "3 3 9 9 K", {0, 10, 10}, 20, "", 0, 0, "3 3"},
  };
  RunCases(cases, std::size(cases));
}

// ----- Random tables ------------------------------------------------------------------------

class CRandomTables {
 public:
  explicit CRandomTables(uint32_t seed) : m_rng(seed) {}

  int Between(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(m_rng); }

  // A random table for chair `me`; the play to beat is made from cards nobody else holds.
  tagTable Make() {
    Cards deck(CARD_DECK, CARD_DECK + DECK_SIZE);
    std::shuffle(deck.begin(), deck.end(), m_rng);
    tagTable t{};
    t.me = static_cast<uint16_t>(Between(0, 2));
    t.singleJokerRule = static_cast<uint8_t>(Between(0, 1));
    const int handSize = Between(1, 27);
    t.hand.assign(deck.begin(), deck.begin() + handSize);
    deck.erase(deck.begin(), deck.begin() + handSize);
    if (Between(0, 3) > 0) t.turn = MakePlay(deck);
    t.turnChair = static_cast<uint16_t>((t.me + Between(1, 2)) % SEAT_COUNT);
    const int room = DECK_SIZE - handSize - static_cast<int>(t.turn.size());
    const int a = Between(0, std::min(room, 12));
    const int b = Between(1, std::min(room - a, 12) < 1 ? 1 : std::min(room - a, 12));
    t.counts[(t.me + 1) % SEAT_COUNT] = static_cast<uint8_t>(a);
    t.counts[(t.me + 2) % SEAT_COUNT] = static_cast<uint8_t>(b);
    if (t.counts[t.turnChair] == 0) t.counts[t.turnChair] = 1;
    const int used = handSize + static_cast<int>(t.turn.size()) + t.counts[(t.me + 1) % 3] +
                     t.counts[(t.me + 2) % 3];
    // The table admits a lone joker exactly when the pile is empty. A lone joker to lead with
    // while the pile lasts never happens: the leader has just drawn.
    if (t.turn.empty() && t.hand.size() == 1 && IsJokerCard(t.hand[0])) t.singleJokerRule = 1;
    if (used >= DECK_SIZE) t.singleJokerRule = 1;  // no card left for a pile
    t.pile = static_cast<uint8_t>(t.singleJokerRule == 1 ? 0 : Between(1, std::max(1, 54 - used)));
    return t;
  }

 private:
  // A valid lead of a random kind, taken from `deck`.
  Cards MakePlay(const Cards& deck) {
    CGameLogic logic;
    logic.SetSingleJokerRule(1);
    for (int attempt = 0; attempt < 200; ++attempt) {
      Cards play;
      const int kind = Between(0, 5);
      const int size = kind == 0 ? 1 : kind == 1 ? 2 : kind == 2 ? Between(3, 8)
                     : kind == 3 ? 2 * Between(2, 4) : kind == 4 ? Between(3, 4) : 2;
      // Candidates: cards of consecutive values (runs), or of one value (pairs and bombs).
      const int top = Between(3, 17);
      for (uint8_t card : deck) {
        const int v = CGameLogic::GetCardRank(card);
        const bool fits = (kind == 2 || kind == 3) ? (v <= top && v > top - size)
                                                   : (v == top || (IsJokerCard(card) && Between(0, 2) == 0));
        if (fits && static_cast<int>(play.size()) < size) play.push_back(card);
      }
      if (static_cast<int>(play.size()) != size) continue;
      tagTurn lead{};
      uint8_t sorted[MAX_CARDS];
      uint8_t resolved[MAX_CARDS];
      uint8_t type = PT_INVALID;
      if (CheckPlay(logic, play.data(), static_cast<uint8_t>(play.size()), lead, sorted, resolved,
                    type)) {
        return play;
      }
    }
    return Cards{deck[0]};
  }

  std::mt19937 m_rng;
};

TEST(NormalBotTest, EveryActionIsLegalOverRandomTables) {
  auto bot = MakeBot("normal");
  ASSERT_NE(bot, nullptr);
  int leads = 0;
  int plays = 0;
  for (uint32_t seed = 1; seed <= 4000; ++seed) {
    CRandomTables tables(seed);
    const tagTable t = tables.Make();
    SCOPED_TRACE("seed " + std::to_string(seed) + " hand " + Values(t.hand.data(), t.hand.size()) +
                 " turn " + Values(t.turn.data(), t.turn.size()));
    const CChairView view = BuildView(t);
    const tagBotAction action = bot->Decide(view);
    ASSERT_TRUE(IsLegal(view, action));
    if (t.turn.empty()) ++leads;
    if (!action.pass) ++plays;

    // A hand that is itself a legal play always goes out.
    CGameLogic logic;
    logic.SetSingleJokerRule(view.SingleJokerRule());
    uint8_t sorted[MAX_CARDS];
    uint8_t resolved[MAX_CARDS];
    uint8_t type = PT_INVALID;
    if (CheckPlay(logic, view.Hand(), view.HandCount(), view.Turn(), sorted, resolved, type)) {
      EXPECT_FALSE(action.pass);
      EXPECT_EQ(action.count, view.HandCount());
    }
  }
  // The tables cover both leading and following, and the bot does not only pass.
  EXPECT_GT(leads, 500);
  EXPECT_GT(plays - leads, 300);
}

}  // namespace
