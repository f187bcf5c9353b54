// The table's game flow on stacked decks: deal, lead, tricks with draws, the single-joker rule,
// an unanswerable play, the end and its scores, refusals, clocks, trustee and scenes.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#include "server/Table.h"
#include "server/TableHost.h"

namespace {

using Cards = std::vector<uint8_t>;

struct Sent {
  uint16_t chair;
  uint16_t id;
  std::vector<uint8_t> bytes;
};

class Recorder final : public ITableSink {
 public:
  void OnTableMessage(uint16_t chair, uint16_t id, const uint8_t* data, size_t size) override {
    sent.push_back({chair, id, std::vector<uint8_t>(data, data + size)});
  }
  size_t Count(uint16_t id) const {
    return std::count_if(sent.begin(), sent.end(), [&](const Sent& s) { return s.id == id; });
  }
  // The last message of this id sent to this chair, decoded.
  tagServerMessage Last(uint16_t id, uint16_t chair) const {
    tagServerMessage m{};
    for (auto it = sent.rbegin(); it != sent.rend(); ++it) {
      if (it->id == id && it->chair == chair) {
        EXPECT_TRUE(DecodeServerMessage(id, it->bytes.data(), it->bytes.size(), chair, m));
        return m;
      }
    }
    ADD_FAILURE() << "no message " << id << " to chair " << chair;
    return m;
  }
  std::vector<Sent> sent;
};

// A deck order that deals these hands (banker 6 cards, the others 5); the rest of the deck
// follows in deck order.
std::array<uint8_t, DECK_SIZE> DeckFor(uint16_t banker, const Cards (&hands)[SEAT_COUNT]) {
  std::array<uint8_t, DECK_SIZE> deck{};
  std::vector<uint8_t> used;
  for (uint16_t c = 0; c < SEAT_COUNT; ++c) {
    const int offset = (c - banker + SEAT_COUNT) % SEAT_COUNT;
    for (size_t k = 0; k < hands[c].size(); ++k) deck[offset + 3 * k] = hands[c][k];
    used.insert(used.end(), hands[c].begin(), hands[c].end());
  }
  size_t at = 16;
  for (uint8_t card : CARD_DECK) {
    if (std::find(used.begin(), used.end(), card) == used.end()) deck[at++] = card;
  }
  return deck;
}

std::vector<uint8_t> PlayBytes(const Cards& cards) {
  std::vector<uint8_t> bytes{static_cast<uint8_t>(cards.size())};
  bytes.insert(bytes.end(), cards.begin(), cards.end());
  return bytes;
}

// Banker 0 holds both jokers and low cards; nobody else can beat a low single, pair or bomb.
const Cards kHands[SEAT_COUNT] = {
    {0x4F, 0x4E, 0x03, 0x13, 0x05, 0x07},
    {0x09, 0x19, 0x0B, 0x1B, 0x0D},
    {0x2B, 0x2D, 0x3D, 0x39, 0x3B},
};

class TableFlow : public testing::Test {
 protected:
  void SetUp() override {
    for (uint16_t c = 0; c < SEAT_COUNT; ++c) ASSERT_TRUE(table.Sit(c, true));
    const auto deck = DeckFor(0, kHands);
    ASSERT_TRUE(table.StackNextDeal(deck.data(), 0));
    for (uint16_t c = 0; c < SEAT_COUNT; ++c) ASSERT_EQ(table.SetReady(c, 0), TableCode::Ok);
  }
  void DealDone(uint64_t now) {
    for (uint16_t c = 0; c < SEAT_COUNT; ++c) {
      ASSERT_EQ(table.OnClientMessage(c, CLI_DEAL_DONE, nullptr, 0, now), TableCode::Ok);
    }
  }
  TableCode Play(uint16_t chair, const Cards& cards, uint64_t now) {
    const auto bytes = PlayBytes(cards);
    return table.OnClientMessage(chair, CLI_PLAY, bytes.data(), bytes.size(), now);
  }
  // The scene a returning client of this chair would get.
  tagScenePlaying Scene(uint16_t chair) {
    uint8_t status = 0, buffer[sizeof(tagScenePlaying)];
    size_t size = 0;
    tagScenePlaying scene{};
    EXPECT_TRUE(table.BuildScene(chair, status, buffer, sizeof(buffer), size));
    EXPECT_EQ(status, STATUS_PLAYING);
    EXPECT_TRUE(DecodeScenePlaying(buffer, size, chair, scene));
    return scene;
  }
  TableCode Pass(uint16_t chair, uint64_t now) {
    return table.OnClientMessage(chair, CLI_PASS, nullptr, 0, now);
  }

  Recorder sink;
  CTable table{sink, tagTableConfig{}};
};

TEST_F(TableFlow, DealsEachChairItsOwnHandAndWaitsForDealDone) {
  ASSERT_EQ(sink.Count(SRV_DEAL), 3u);
  for (uint16_t c = 0; c < SEAT_COUNT; ++c) {
    const tagSrvDeal deal = sink.Last(SRV_DEAL, c).deal;
    EXPECT_EQ(deal.bankerChair, 0);
    EXPECT_EQ(Cards(deal.cardArea, deal.cardArea + deal.handCount), kHands[c]);
    EXPECT_EQ(deal.cardCount[0], 6);
    EXPECT_EQ(deal.cardCount[1], 5);
    EXPECT_EQ(deal.cardCount[2], 5);
  }
  EXPECT_EQ(table.PileCount(), 38);
  EXPECT_EQ(table.Phase(), TablePhase::Dealing);

  // Repeated reports of one chair do not count for the others.
  for (int i = 0; i < 3; ++i) table.OnClientMessage(1, CLI_DEAL_DONE, nullptr, 0, 100);
  EXPECT_EQ(sink.Count(SRV_PLAY_BEGIN), 0u);
  table.Tick(DEAL_WAIT_MS - 1);
  EXPECT_EQ(sink.Count(SRV_PLAY_BEGIN), 0u);
  table.Tick(DEAL_WAIT_MS);  // the wait is over without chairs 0 and 2
  ASSERT_EQ(sink.Count(SRV_PLAY_BEGIN), 3u);

  const tagSrvPlayBegin begin = sink.Last(SRV_PLAY_BEGIN, 2).playBegin;
  EXPECT_EQ(begin.currentChair, 0);  // the banker leads
  EXPECT_EQ(begin.pileCount, 38);
  EXPECT_EQ(Cards(begin.hand, begin.hand + begin.handCount),
            (Cards{0x3D, 0x2D, 0x3B, 0x2B, 0x39}));  // sorted by rank
}

TEST_F(TableFlow, TricksDrawUntilThePileIsOutThenTheGameRunsToItsScores) {
  DealDone(0);
  uint64_t now = 1000;
  // The banker leads its lowest card; the others pass; everybody draws after each trick.
  int tricks = 0;
  while (table.PileCount() > 0) {
    ASSERT_EQ(table.Current(), 0);
    const uint8_t lowest = table.Hand(0)[table.HandCount(0) - 1];
    ASSERT_EQ(Play(0, {lowest}, now), TableCode::Ok);
    ASSERT_EQ(Pass(1, now), TableCode::Ok);
    const uint8_t pileBefore = table.PileCount();
    ASSERT_EQ(Pass(2, now), TableCode::Ok);
    ++tricks;
    const tagSrvPass pass = sink.Last(SRV_PASS, 1).pass;
    EXPECT_EQ(pass.newTurn, 1);
    EXPECT_EQ(pass.currentChair, 0);
    EXPECT_EQ(pass.pileCount, pileBefore > 3 ? pileBefore - 3 : 0);
    EXPECT_EQ(pass.singleJokerRule, pass.pileCount == 0 ? 1 : 0);
    EXPECT_EQ(Cards(pass.hand, pass.hand + pass.cardCount[1]),
              Cards(table.Hand(1), table.Hand(1) + table.HandCount(1)));
    now += 100;
  }
  EXPECT_EQ(tricks, 13);  // 38 cards, three a trick
  EXPECT_EQ(table.SingleJokerRule(), 1);
  EXPECT_EQ(table.HandCount(0), 6);

  // The rocket with the pile out: nobody can answer, the banker leads again after a pause.
  ASSERT_EQ(Play(0, {0x4E, 0x4F}, now), TableCode::Ok);
  const tagSrvPlay rocket = sink.Last(SRV_PLAY, 2).play;
  EXPECT_EQ(rocket.currentChair, 0);
  EXPECT_EQ(rocket.outChair, 0);
  EXPECT_EQ(table.Turn().count, 0);
  const uint8_t lowest = table.Hand(0)[table.HandCount(0) - 1];
  EXPECT_EQ(Play(0, {lowest}, now + NEW_TURN_PAUSE_MS - 1), TableCode::Paused);
  EXPECT_EQ(Pass(1, now + NEW_TURN_PAUSE_MS), TableCode::NotYourTurn);
  now += NEW_TURN_PAUSE_MS;

  // The banker plays out its low singles; whoever is asked passes.
  while (table.Phase() == TablePhase::Playing) {
    if (table.Current() == 0) {
      ASSERT_EQ(Play(0, {table.Hand(0)[table.HandCount(0) - 1]}, now), TableCode::Ok);
    } else {
      ASSERT_EQ(Pass(table.Current(), now), TableCode::Ok);
    }
    now += NEW_TURN_PAUSE_MS;
  }
  EXPECT_EQ(sink.Last(SRV_PLAY, 0).play.currentChair, NO_CHAIR);
  const tagSrvResult result = sink.Last(SRV_RESULT, 1).result;
  EXPECT_EQ(result.multiple, 8);
  EXPECT_EQ(result.rocketCount, 1);
  EXPECT_EQ(result.spring, 1);  // neither loser played a card
  const int64_t pay1 = 8 * int64_t{result.leftCount[1]} * 2;
  const int64_t pay2 = 8 * int64_t{result.leftCount[2]} * 2;
  EXPECT_EQ(result.leftCount[0], 0);
  EXPECT_EQ(result.leftCount[1] + result.leftCount[2], table.HandCount(1) + table.HandCount(2));
  EXPECT_EQ(result.personalMultiple[1], 2);
  EXPECT_EQ(result.score[1], -pay1);
  EXPECT_EQ(result.score[2], -pay2);
  EXPECT_EQ(result.score[0], pay1 + pay2);
  EXPECT_EQ(table.Gold(0), pay1 + pay2);
  EXPECT_EQ(table.Phase(), TablePhase::Free);
}

TEST_F(TableFlow, RefusesIllegalInputAndChangesNothing) {
  DealDone(0);
  const Cards badSize = {3, 0x03, 0x13};  // says three cards, carries two
  const uint8_t autoOther[4] = {1, 0, 1, 0};
  struct Case {
    const char* what;
    uint16_t chair;
    uint16_t id;
    Cards bytes;
    TableCode code;
  };
  const Case cases[] = {
      {"out of turn", 1, CLI_PLAY, PlayBytes({0x09}), TableCode::NotYourTurn},
      {"cards not in hand", 0, CLI_PLAY, PlayBytes({0x0A}), TableCode::NotInHand},
      {"a card twice", 0, CLI_PLAY, PlayBytes({0x03, 0x03}), TableCode::NotInHand},
      {"no valid play", 0, CLI_PLAY, PlayBytes({0x03, 0x07}), TableCode::Illegal},
      {"a pass while leading", 0, CLI_PASS, {}, TableCode::MustPlay},
      {"count and size disagree", 0, CLI_PLAY, badSize, TableCode::Malformed},
      {"a pass with a record", 0, CLI_PASS, {0}, TableCode::Malformed},
      {"auto-play for another chair", 0, CLI_AUTO_PLAY, Cards(autoOther, autoOther + 4),
       TableCode::Malformed},
      {"an id without a handler", 0, 9, {}, TableCode::Unknown},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const size_t before = sink.sent.size();
    EXPECT_EQ(table.OnClientMessage(c.chair, c.id, c.bytes.data(), c.bytes.size(), 10), c.code);
    EXPECT_EQ(sink.sent.size(), before);
    EXPECT_EQ(table.HandCount(0), 6);
    EXPECT_EQ(table.Current(), 0);
    EXPECT_EQ(table.Turn().count, 0);
  }

  // Following: a single must be exactly one step higher.
  ASSERT_EQ(Play(0, {0x03}, 10), TableCode::Ok);
  EXPECT_EQ(Play(1, {0x0B}, 10), TableCode::Illegal);
  EXPECT_EQ(Play(1, {0x09, 0x19}, 10), TableCode::Illegal);
  EXPECT_EQ(table.Current(), 1);
  EXPECT_EQ(table.HandCount(1), 5);
}

TEST_F(TableFlow, ClocksRunOutIntoTrusteeAndTheServerPlays) {
  DealDone(0);
  const uint64_t first = FIRST_TURN_CLOCK_MS + CLOCK_GRACE_MS;
  table.Tick(first - 1);
  EXPECT_EQ(sink.Count(SRV_AUTO_PLAY), 0u);
  table.Tick(first);
  const tagSrvAutoPlay autoPlay = sink.Last(SRV_AUTO_PLAY, 1).autoPlay;
  EXPECT_EQ(autoPlay.chair, 0);
  EXPECT_EQ(autoPlay.autoPlay, 1);
  EXPECT_EQ(autoPlay.quiet, 0);
  // The server led for the banker with the hint's choice: the lowest card.
  const tagSrvPlay lead = sink.Last(SRV_PLAY, 1).play;
  EXPECT_EQ(lead.outChair, 0);
  EXPECT_EQ(Cards(lead.cards, lead.cards + lead.count), Cards{0x03});
  EXPECT_EQ(table.Current(), 1);

  // Chair 1 cannot answer: its pass is a notice, since chair 2 is still to act.
  const uint64_t second = first + TURN_CLOCK_MS + CLOCK_GRACE_MS;
  table.Tick(second);
  EXPECT_EQ(sink.Count(SRV_PASS_NOTICE), 3u);
  EXPECT_EQ(table.Current(), 2);
  // Chair 2's pass ends the trick: a new-turn pass with the draws, not a notice.
  table.Tick(second + TURN_CLOCK_MS + CLOCK_GRACE_MS);
  EXPECT_EQ(sink.Count(SRV_PASS_NOTICE), 3u);
  EXPECT_EQ(sink.Last(SRV_PASS, 0).pass.newTurn, 1);
  EXPECT_TRUE(table.Trustee(0) && table.Trustee(1) && table.Trustee(2));

  // The scene remembers the expiries, for the returning client's shorter clock.
  const tagScenePlaying scene = Scene(1);
  EXPECT_EQ(scene.clockExpiries[0], 1);
  EXPECT_EQ(scene.clockExpiries[1], 1);
  EXPECT_EQ(scene.autoPlay[2], 1);
}

TEST_F(TableFlow, AGoneTrusteeChairIsPlayedAtOnceAndItsSceneHoldsOnlyItsHand) {
  DealDone(0);
  ASSERT_EQ(Play(0, {0x03}, 10), TableCode::Ok);
  table.Leave(2, 20);
  ASSERT_TRUE(table.Trustee(2));
  const size_t before = sink.Count(SRV_PASS_NOTICE) + sink.Count(SRV_PASS);
  ASSERT_EQ(Pass(1, 30), TableCode::Ok);
  table.Tick(30);  // chair 2 is played by the server without waiting for its clock
  EXPECT_GT(sink.Count(SRV_PASS_NOTICE) + sink.Count(SRV_PASS), before + 3);
  EXPECT_EQ(table.Current(), 0);
  EXPECT_EQ(table.Turn().count, 0);

  ASSERT_TRUE(table.Return(2, 40));
  const tagScenePlaying scene = Scene(2);
  EXPECT_EQ(Cards(scene.hand, scene.hand + scene.cardCount[2]),
            Cards(table.Hand(2), table.Hand(2) + table.HandCount(2)));
  EXPECT_TRUE(std::all_of(scene.hand + scene.cardCount[2], scene.hand + MAX_CARDS,
                          [](uint8_t b) { return b == 0; }));
  EXPECT_EQ(scene.currentChair, 0);
}

TEST_F(TableFlow, AutoPlayIsEchoedWithItsQuietFlag) {
  const uint8_t on[4] = {1, 0, 1, 1};
  ASSERT_EQ(table.OnClientMessage(1, CLI_AUTO_PLAY, on, sizeof(on), 0), TableCode::Ok);
  ASSERT_EQ(sink.Count(SRV_AUTO_PLAY), 3u);
  const tagSrvAutoPlay echo = sink.Last(SRV_AUTO_PLAY, 0).autoPlay;
  EXPECT_EQ(echo.chair, 1);
  EXPECT_EQ(echo.autoPlay, 1);
  EXPECT_EQ(echo.quiet, 1);
}

TEST(TableDeck, StackingRefusesAnythingButAPermutationOfTheDeck) {
  Recorder sink;
  CTable table(sink, tagTableConfig{});
  uint8_t deck[DECK_SIZE];
  std::memcpy(deck, CARD_DECK, DECK_SIZE);
  EXPECT_TRUE(table.StackNextDeal(deck, 2));
  EXPECT_FALSE(table.StackNextDeal(deck, 3));
  deck[5] = deck[6];
  EXPECT_FALSE(table.StackNextDeal(deck, 0));
  deck[5] = 0x0E;
  EXPECT_FALSE(table.StackNextDeal(deck, 0));
}

TEST(TableSeed, TheSameSeedDealsTheSameGame) {
  auto firstDeal = [](uint64_t seed) {
    Recorder sink;
    CTable table(sink, tagTableConfig{seed, 1});
    for (uint16_t c = 0; c < SEAT_COUNT; ++c) {
      table.Sit(c, false);
      table.SetReady(c, 0);
    }
    std::vector<uint8_t> all;
    for (const Sent& s : sink.sent) all.insert(all.end(), s.bytes.begin(), s.bytes.end());
    return all;
  };
  EXPECT_EQ(firstDeal(42), firstDeal(42));
  EXPECT_NE(firstDeal(42), firstDeal(43));
}

// A chair whose player left is played by the server as soon as its turn comes; the bots around
// it still take their thinking time from the moment their turn came, never from an earlier
// moment, so a game never plays itself out in one instant.
TEST(TableHost, AGoneChairDoesNotTurnTheHostsClockBack) {
  struct : IChairLink, ITableObserver {
    void DeliverMessage(uint16_t, const uint8_t*, size_t) override {}
    void DeliverScene(uint8_t, const uint8_t*, size_t) override {}
    void OnDelivered(uint16_t chair, uint16_t id, const uint8_t*, size_t) override {
      moves += chair == 0 && (id == SRV_PLAY || id == SRV_PASS);
    }
    unsigned moves = 0;
  } link;
  tagHostConfig config;
  config.table.seed = 5;
  config.botDelayMinMs = 800;
  config.botDelayMaxMs = 1400;
  CTableHost host(config);
  ASSERT_TRUE(host.SeatBot(0, "normal") && host.SeatBot(2, "normal") && host.SeatHuman(1, &link));
  host.SetObserver(&link);
  uint64_t now = 100000;
  ASSERT_EQ(host.Ready(1, now), TableCode::Ok);
  host.Advance(now += 5000);
  ASSERT_EQ(host.Table().Phase(), TablePhase::Playing);
  host.Leave(1, now);
  // Each bot waits at least 800 ms, so a 100 ms step sees at most a bot's move and the gone
  // chair's answer to it.
  for (int step = 0; step < 600 && host.Table().Phase() == TablePhase::Playing; ++step) {
    const unsigned before = link.moves;
    host.Advance(now += 100);
    ASSERT_LE(link.moves - before, 2u) << "at step " << step;
  }
  EXPECT_NE(host.Table().Phase(), TablePhase::Playing) << "the game ended";
}

}  // namespace
