// The "strong" bot: its moves pass the table over whole seeded games (the self-play check
// after every message), it decides from its own chair's view alone (two tables whose hidden
// cards differ get the same moves from it), a seed replays the same games, a table host hands a
// chair to another level between games when asked, and thinking on the think pool changes no
// move.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "server/SelfPlay.h"
#include "server/TableHost.h"
#include "server/bots/StrongBot.h"

namespace {

// A small budget: the tests look at what it does, not how well.
tagStrongConfig SmallBudget() {
  tagStrongConfig config;
  config.moves = 300;
  return config;
}

std::unique_ptr<CBot> MakeLevel(const std::string& level) {
  if (level == "strong") return MakeStrongBot(SmallBudget());
  return MakeBot(level);
}

TEST(StrongBot, TheTableRefusesNoneOfItsMovesOverWholeGames) {
  const struct {
    const char* bots[3];
    uint32_t games;
    uint64_t seed;
  } cases[] = {
      {{"strong", "normal", "normal"}, 30, 11},
      {{"normal", "strong", "easy"}, 20, 12},
      {{"strong", "strong", "strong"}, 10, 13},
  };
  for (const auto& c : cases) {
    tagSelfPlayOptions options;
    options.games = c.games;
    options.seed = c.seed;
    options.check = true;
    for (int i = 0; i < 3; ++i) options.bots[i] = c.bots[i];
    options.makeBot = [&](uint16_t chair) { return MakeLevel(options.bots[chair]); };
    tagSelfPlaySummary summary;
    SCOPED_TRACE(options.bots[0] + "," + options.bots[1] + "," + options.bots[2]);
    EXPECT_TRUE(RunSelfPlay(options, summary));
    EXPECT_EQ(summary.games, c.games);
    EXPECT_EQ(summary.botRefusals, 0u);
    EXPECT_EQ(summary.violations, 0u) << summary.firstViolation;
  }
}

// Same seeds, same games; another seed of the bot's own plays them otherwise somewhere.
TEST(StrongBot, ASeedReplaysTheSameGames) {
  const auto play = [](uint64_t botSeed) {
    tagSelfPlayOptions options;
    options.games = 8;
    options.seed = 5;
    options.makeBot = [botSeed](uint16_t chair) -> std::unique_ptr<CBot> {
      if (chair == 1) return MakeBot("normal");
      tagStrongConfig config = SmallBudget();
      config.seed = botSeed;
      return MakeStrongBot(config);
    };
    std::string games;
    options.onGame = [&games](const tagGameStats& g) {
      games += std::to_string(g.winner) + ":" + std::to_string(g.turns) + ":" +
               std::to_string(g.score[0]) + " ";
    };
    tagSelfPlaySummary summary;
    EXPECT_TRUE(RunSelfPlay(options, summary));
    return games;
  };
  const std::string first = play(1);
  EXPECT_EQ(play(1), first);
  EXPECT_NE(play(2), first);
}

// ----- Only its own chair's view -----------------------------------------------------------

// Plays the bot it wraps and keeps every move.
class CRecordingBot final : public CBot {
 public:
  CRecordingBot(std::unique_ptr<CBot> bot, std::vector<tagBotAction>& moves)
      : m_bot(std::move(bot)), m_moves(moves) {}
  tagBotAction Decide(const CChairView& view) override {
    m_moves.push_back(m_bot->Decide(view));
    return m_moves.back();
  }
  const char* Level() const override { return m_bot->Level(); }

 private:
  std::unique_ptr<CBot> m_bot;
  std::vector<tagBotAction>& m_moves;
};

// Makes the moves another game's bot made, in order.
class CReplayBot final : public CBot {
 public:
  explicit CReplayBot(const std::vector<tagBotAction>& moves) : m_moves(moves) {}
  tagBotAction Decide(const CChairView&) override {
    return m_next < m_moves.size() ? m_moves[m_next++] : PassMove();
  }
  const char* Level() const override { return "replay"; }

 private:
  const std::vector<tagBotAction>& m_moves;
  size_t m_next = 0;
};

// What chair 0 is told and, after each record, every card it has seen so far (held or played).
class CChairZeroLog final : public ITableObserver {
 public:
  void OnDelivered(uint16_t chair, uint16_t id, const uint8_t* data, size_t size) override {
    if (chair != 0) return;
    std::string record = std::to_string(id) + ":";
    record.append(reinterpret_cast<const char*>(data), size);
    records.push_back(record);
    view.ApplyMessage(id, data, size);
    for (uint8_t i = 0; i < view.HandCount(); ++i) {
      held |= uint64_t{1} << CardDeckIndex(view.Hand()[i]);
    }
    seen.push_back(held | view.PlayedMask());
  }
  std::vector<std::string> records;
  std::vector<uint64_t> seen;  // after each record
  CChairView view{0};
  uint64_t held = 0;
};

struct tagOneGame {
  std::vector<tagBotAction> moves[SEAT_COUNT];
  std::vector<size_t> decidedAt;  // chair 0's records before each of its decisions
  CChairZeroLog log;
};

// One game from `deck`: chair 0 the strong bot, the others normal bots (`replay` null) or the
// moves of another game's.
void PlayOne(const uint8_t deck[DECK_SIZE], const tagOneGame* replay, tagOneGame& out) {
  CTableHost host(tagHostConfig{});
  host.SetObserver(&out.log);
  struct CMarkingBot final : public CBot {
    CMarkingBot(std::unique_ptr<CBot> bot, tagOneGame& game)
        : m_bot(std::move(bot)), m_game(game) {}
    tagBotAction Decide(const CChairView& view) override {
      m_game.decidedAt.push_back(m_game.log.records.size());
      return m_bot->Decide(view);
    }
    const char* Level() const override { return m_bot->Level(); }
    std::unique_ptr<CBot> m_bot;
    tagOneGame& m_game;
  };
  ASSERT_TRUE(host.SeatBot(
      0, std::make_unique<CMarkingBot>(
             std::make_unique<CRecordingBot>(MakeLevel("strong"), out.moves[0]), out)));
  for (uint16_t c = 1; c < SEAT_COUNT; ++c) {
    std::unique_ptr<CBot> other =
        replay ? std::unique_ptr<CBot>(new CReplayBot(replay->moves[c])) : MakeBot("normal");
    ASSERT_TRUE(host.SeatBot(c, std::make_unique<CRecordingBot>(std::move(other), out.moves[c])));
  }
  ASSERT_TRUE(host.StackNextDeal(deck, 0));
  while (host.Table().GamesPlayed() == 0 || host.Table().Phase() != TablePhase::Free) {
    ASSERT_TRUE(host.Step());
  }
  // Replayed moves may not fit once the games part; the table plays for such a chair.
  if (!replay) {
    EXPECT_EQ(host.BotRefusals(), 0u);
  }
}

// Two deals that chair 0 cannot tell apart until the middle of the game: every card it has not
// seen by then (neither held nor seen played) is dealt elsewhere among the other hands and the
// pile, and the other chairs make the same moves. Its moves are the same up to the first
// message it is told otherwise.
TEST(StrongBot, DecidesFromItsOwnViewAlone) {
  size_t compared = 0;
  int otherHandsDiffer = 0;
  for (const uint32_t seed : {3u, 4u, 5u, 6u, 7u, 8u, 9u, 10u}) {
    SCOPED_TRACE(seed);
    std::mt19937 rng(seed);
    uint8_t deck[DECK_SIZE];
    std::memcpy(deck, CARD_DECK, DECK_SIZE);
    std::shuffle(deck, deck + DECK_SIZE, rng);
    tagOneGame a;
    PlayOne(deck, nullptr, a);

    if (a.decidedAt.size() < 4) continue;  // a game too short to part in the middle
    const uint64_t seen = a.log.seen[a.decidedAt[a.decidedAt.size() / 2] - 1];
    std::vector<int> hidden;  // deck positions chair 0 knows nothing of by then
    for (int p = 0; p < DECK_SIZE; ++p) {
      if ((seen >> CardDeckIndex(deck[p]) & 1) == 0) hidden.push_back(p);
    }
    ASSERT_GE(hidden.size(), 10u);
    uint8_t other[DECK_SIZE];
    std::memcpy(other, deck, DECK_SIZE);
    for (size_t i = 0; i < hidden.size(); ++i) {  // a rotation: every hidden card moves
      other[hidden[i]] = deck[hidden[(i + 1) % hidden.size()]];
    }
    // The first 16 cards are the hands (chair 0 the banker takes every third).
    if (std::memcmp(deck, other, 16) != 0) ++otherHandsDiffer;

    tagOneGame b;
    PlayOne(other, &a, b);
    size_t same = 0;
    while (same < a.log.records.size() && same < b.log.records.size() &&
           a.log.records[same] == b.log.records[same]) {
      ++same;
    }
    for (size_t i = 0; i < a.decidedAt.size() && i < b.decidedAt.size(); ++i) {
      if (a.decidedAt[i] > same || b.decidedAt[i] > same) break;
      const tagBotAction& x = a.moves[0][i];
      const tagBotAction& y = b.moves[0][i];
      EXPECT_TRUE(x.pass == y.pass && x.count == y.count &&
                  std::memcmp(x.cards, y.cards, x.count) == 0)
          << "decision " << i;
      ++compared;
    }
  }
  EXPECT_GT(compared, 40u) << "decisions compared";
  EXPECT_GE(otherHandsDiffer, 3);
}

// ----- Levels between games ------------------------------------------------------------------

TEST(TableHost, HandsABotsChairToTheLevelAskedForFromTheNextGame) {
  CTableHost host(tagHostConfig{});
  for (uint16_t c = 0; c < SEAT_COUNT; ++c) ASSERT_TRUE(host.SeatBot(c, "easy"));
  const struct {
    std::string level;     // what the source answers
    const char* expected;  // chair 0's level once the next game runs
  } cases[] = {{"", "easy"}, {"normal", "normal"}, {"grandmaster", "normal"}, {"strong", "strong"}};
  std::string asked;
  host.SetBotLevelSource([&asked](uint16_t chair) { return chair == 0 ? asked : std::string(); });
  uint32_t games = 0;
  const char* before = "easy";
  for (const auto& c : cases) {
    asked = c.level;
    EXPECT_STREQ(host.BotLevel(0), before) << "not during a game";
    while (host.Table().GamesPlayed() == games || host.Table().Phase() == TablePhase::Free) {
      ASSERT_TRUE(host.Step());
    }
    games = host.Table().GamesPlayed();
    EXPECT_STREQ(host.BotLevel(0), c.expected) << c.level;
    EXPECT_STREQ(host.BotLevel(1), "easy");
    before = c.expected;
  }
}

// A level chosen after the bots readied, while the table waits for the person, takes the game
// that the person's ready starts.
TEST(TableHost, ALevelChosenBeforeTheDealTakesThatGame) {
  struct : IChairLink {
    void DeliverMessage(uint16_t, const uint8_t*, size_t) override {}
    void DeliverScene(uint8_t, const uint8_t*, size_t) override {}
  } person;
  tagHostConfig config;
  config.botDelayMinMs = 800;
  config.botDelayMaxMs = 1400;
  CTableHost host(config);
  ASSERT_TRUE(host.SeatBot(0, "normal") && host.SeatBot(2, "normal") && host.SeatHuman(1, &person));
  std::string asked;
  host.SetBotLevelSource([&asked](uint16_t) { return asked; });
  host.Advance(5000);  // both bots ready
  ASSERT_EQ(host.Table().Phase(), TablePhase::Free);
  asked = "strong";
  ASSERT_EQ(host.Ready(1, 6000), TableCode::Ok);
  EXPECT_NE(host.Table().Phase(), TablePhase::Free);
  EXPECT_STREQ(host.BotLevel(0), "strong");
  EXPECT_STREQ(host.BotLevel(2), "strong");
}

// ----- Thinking aside ------------------------------------------------------------------------

// Three strong bots with a person's delays on a real clock: deciding on the think pool (one
// worker, or as many as the bots) or on the table's thread, the table sees the same games. The
// clock here jumps to each event, so a bot is mostly still thinking when its move is due and
// looks again. A host that goes while its bots think waits for them (the sanitizers watch).
TEST(TableHost, ThinkingOnThePoolChangesNoMove) {
  const auto play = [](unsigned threads, uint32_t games) {
    tagHostConfig config;
    config.table.seed = 21;
    config.table.turnSeconds = 3600;  // the polls of a slow machine never reach the clock
    config.botDelayMinMs = 800;
    config.botDelayMaxMs = 1400;
    if (threads > 0) config.thinkPool = std::make_shared<CThinkPool>(threads);
    CChairZeroLog log;
    auto host = std::make_unique<CTableHost>(config);
    host->SetObserver(&log);
    for (uint16_t c = 0; c < SEAT_COUNT; ++c) EXPECT_TRUE(host->SeatBot(c, MakeLevel("strong")));
    while (host->Table().GamesPlayed() < games) {
      if (!host->Step()) break;
      if (threads > 0) std::this_thread::sleep_for(std::chrono::microseconds(20));
    }
    EXPECT_EQ(host->BotRefusals(), 0u);
    // Into the next game, and gone while a bot may be thinking.
    for (int i = 0; i < 10000 && host->Table().Phase() != TablePhase::Playing; ++i) host->Step();
    EXPECT_EQ(host->Table().Phase(), TablePhase::Playing);
    for (int i = 0; i < 3; ++i) host->Step();
    host.reset();
    return log.records;
  };
  const std::vector<std::string> inline_ = play(0, 3);
  ASSERT_FALSE(inline_.empty());
  for (unsigned threads : {1u, 3u}) {
    SCOPED_TRACE(threads);
    const std::vector<std::string> aside = play(threads, 3);
    // The host goes at its own moment: compare the games up to the shorter record.
    const size_t n = std::min(aside.size(), inline_.size());
    EXPECT_GT(n, inline_.size() / 2);
    EXPECT_TRUE(std::equal(aside.begin(), aside.begin() + n, inline_.begin()));
  }
}

}  // namespace
