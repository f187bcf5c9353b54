// The in-process link: a table host with two bots at one end, a scripted player at the other,
// and only packets between them. Whole seeded games arrive decoded and in order; the player
// enters, leaves and sits again, comes back into a running game; a malformed packet either way
// closes the link; a table that always has something due cannot hold the loop.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "link/InProcessLink.h"
#include "platform/win/WinTime.h"
#include "headless/ScriptedPlayer.h"

namespace {

using headless::CScriptedPlayer;
using Kind = CScriptedPlayer::Kind;
using Bytes = std::vector<uint8_t>;
constexpr uint16_t ME = 1;
// Who sits where, with each chair's purse at the lobby.
const tagLobbyUser kUsers[SEAT_COUNT] = {
    {"左边", 2, 3, 500}, {"me", 1, 4, 10000}, {"right", 1, 5, 0}};

// Every message the table sends the player's chair, as the table sent it.
struct CSentToMe : ITableObserver {
  void OnDelivered(uint16_t chair, uint16_t id, const uint8_t* data, size_t size) override {
    if (chair == ME) sent.push_back({id, Bytes(data, data + size)});
  }
  std::vector<std::pair<uint16_t, Bytes>> sent;
};

struct Table {
  explicit Table(uint64_t seed) {
    tagHostConfig config;
    config.table.seed = seed;
    config.botDelayMinMs = 800;
    config.botDelayMaxMs = 1400;
    auto host = std::make_unique<CTableHost>(config);
    EXPECT_TRUE(host->SeatBot(0, "normal") && host->SeatBot(2, "normal"));
    host->SetObserver(&observer);
    link = std::make_unique<CInProcessLink>(std::move(host), ME, kUsers);
  }

  const CTable& Truth() { return link->Host().Table(); }

  // Polls, lets the player act, and moves the clock to the next thing due, until `done`.
  template <class Done>
  bool RunUntil(Done done) {
    for (int turn = 0; turn < 200000; ++turn) {
      link->Poll(player);
      if (done()) return true;
      player.Act(*link, GetTickCount64());
      const uint64_t now = GetTickCount64();
      uint64_t next = link->NextEventMs();
      if (player.PauseEnds() != 0) next = std::min(next, player.PauseEnds());
      if (next == LINK_NEVER) return done();
      if (next > now) clock.Advance(next - now);
    }
    return false;
  }

  // The kinds of at most `n` events from `first` on.
  std::vector<Kind> Kinds(size_t first, size_t n) const {
    std::vector<Kind> kinds;
    for (size_t i = first; i < player.Events().size() && kinds.size() < n; ++i)
      kinds.push_back(player.Events()[i].kind);
    return kinds;
  }

  CScopedManualClock clock{5'000'000};
  CSentToMe observer;
  std::unique_ptr<CInProcessLink> link;
  CScriptedPlayer player{"easy"};
};

const std::vector<Kind> kEntry = {Kind::Self,  Kind::Attribute, Kind::Enter,
                                  Kind::Enter, Kind::Enter,     Kind::Scene};

TEST(InProcessLink, CarriesWholeSeededGamesDecodedAndInOrder) {
  Table t(11);
  ASSERT_TRUE(t.RunUntil([&] { return t.player.Results() == 3; }));
  EXPECT_EQ(t.player.Undecodable(), 0u);
  EXPECT_EQ(t.link->Client().Refused(), 0u);
  EXPECT_EQ(t.link->TableEnd().Refused(), 0u);
  std::vector<std::pair<uint16_t, Bytes>> received;
  // The gold at every chair is its purse and the table's score, told after each game.
  int64_t told[SEAT_COUNT] = {};
  for (const auto& e : t.player.Events()) {
    if (e.kind == Kind::Message) received.push_back({e.chairOrId, e.data});
    if (e.kind == Kind::Enter || e.kind == Kind::Score) told[e.chairOrId] = e.user.lScore;
  }
  ASSERT_GT(received.size(), 60u);
  EXPECT_EQ(received, t.observer.sent);
  for (uint16_t c = 0; c < SEAT_COUNT; ++c)
    EXPECT_EQ(told[c], kUsers[c].gold + t.Truth().Gold(c)) << "chair " << c;
  EXPECT_EQ(told[0] + told[1] + told[2], kUsers[0].gold + kUsers[1].gold + kUsers[2].gold);
  EXPECT_NE(told[ME], kUsers[ME].gold) << "three games move some gold";
}

TEST(InProcessLink, EntryThenStatusesBeforeTheDeal) {
  Table t(5);
  t.player.AutoReady(false);
  t.link->Poll(t.player);
  const auto& events = t.player.Events();
  ASSERT_EQ(t.Kinds(0, 6), kEntry);
  EXPECT_EQ(events[0].chairOrId, ME);
  EXPECT_EQ(events[2 + ME].user.lScore, kUsers[ME].gold) << "the purse before any game";
  EXPECT_EQ(events[2 + ME].user.cbUserStatus, US_SIT);
  EXPECT_STREQ(events[2].user.szName, "左边");
  tagScene scene;  // no two-player notice
  ASSERT_TRUE(DecodeScene(STATUS_FREE, events[5].data.data(), events[5].data.size(), ME, scene));
  EXPECT_EQ(scene.freeTable.tableKind, SEAT_COUNT);

  // The bots were ready first; the player's ready starts the game: everybody plays, then deal.
  ASSERT_TRUE(t.RunUntil([&] { return t.Truth().Ready(0) && t.Truth().Ready(2); }));
  EXPECT_EQ(t.link->NextEventMs(), LINK_NEVER) << "the bots wait for the player";
  const size_t before = events.size();
  EXPECT_TRUE(t.link->SendUserReady(nullptr, 0));
  EXPECT_EQ(t.link->NextEventMs(), GetTickCount64()) << "a packet waits";
  t.link->Poll(t.player);
  ASSERT_EQ(t.Kinds(before, 4),
            (std::vector<Kind>{Kind::Status, Kind::Status, Kind::Status, Kind::Message}));
  for (size_t i = before; i < before + 3; ++i) EXPECT_EQ(events[i].user.cbUserStatus, US_PLAY);
  EXPECT_EQ(events[before + 3].chairOrId, SRV_DEAL);
  EXPECT_EQ(t.link->NextEventMs(), t.link->Host().NextEvent()) << "the deal waits for the player";
}

// Leaving and coming back: between games the player sits down afresh with the gold won so far;
// during a game it comes back to the playing scene, at once (rejoin) or as a new client.
TEST(InProcessLink, ThePlayerLeavesAndComesBack) {
  const struct {
    const char* name;
    bool inGame;
    void (*leave)(Table&);
  } cases[] = {
      {"rejoin between games", false, [](Table& t) { EXPECT_TRUE(t.link->RejoinTable()); }},
      {"change table", false, [](Table& t) { EXPECT_TRUE(t.link->SendChangeTable(0)); }},
      {"rejoin during a game", true, [](Table& t) { EXPECT_TRUE(t.link->RejoinTable()); }},
      {"a new client during a game", true,
       [](Table& t) {
         t.link->Leave(GetTickCount64());
         EXPECT_TRUE(t.Truth().Trustee(ME)) << "the table plays for the chair";
         t.link->Poll(t.player);
         EXPECT_TRUE(t.player.Closed()) << "the old client hears that its link is gone";
         t.link->RunTable(GetTickCount64());
         t.link->Return();
       }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Table t(c.inGame ? 8 : 21);
    if (c.inGame) {
      ASSERT_TRUE(t.RunUntil(
          [&] { return t.Truth().Phase() == TablePhase::Playing && t.Truth().Current() != ME; }));
    } else {
      ASSERT_TRUE(t.RunUntil([&] { return t.player.Results() == 1; }));
      t.player.AutoReady(false);
      t.link->Poll(t.player);
    }
    const int64_t gold = kUsers[ME].gold + t.Truth().Gold(ME);
    c.leave(t);
    const size_t before = t.player.Events().size();
    t.link->Poll(t.player);
    ASSERT_EQ(t.Kinds(before, 6), kEntry);
    const auto& events = t.player.Events();
    EXPECT_EQ(events[before + 2 + ME].user.lScore, gold) << "the gold goes on";
    EXPECT_EQ(events[before + 5].chairOrId, c.inGame ? STATUS_PLAYING : STATUS_FREE);
    EXPECT_TRUE(t.Truth().Seated(ME) && t.Truth().Connected(ME));
    if (!c.inGame) {
      EXPECT_EQ(t.Truth().Gold(ME), 0) << "the table counts afresh";
      continue;
    }
    // The game goes on to its end with the player back.
    ASSERT_TRUE(t.RunUntil([&] { return t.player.Results() == 1; }));
    EXPECT_EQ(t.player.Undecodable(), 0u);
  }
}

// A table that always has something due (bots alone at it, a clock far ahead) cannot hold the
// frame's loop: each Advance runs a bounded share of it, the next goes on.
TEST(TableEnd, AdvanceRunsABoundedShareOfWhatIsDue) {
  CTableHost host(tagHostConfig{});
  for (uint16_t c = 0; c < SEAT_COUNT; ++c) ASSERT_TRUE(host.SeatBot(c, "easy"));
  CPacketQueue out;
  CTableEnd end(host, ME, kUsers, out);
  const uint64_t far = UINT64_MAX / 2;
  end.Advance(far);
  const uint32_t games = host.Table().GamesPlayed();
  EXPECT_GT(games, 10u);
  EXPECT_LE(end.NextEvent(), far) << "more is due";
  end.Advance(far);
  EXPECT_GT(host.Table().GamesPlayed(), games);
}

// A packet either end refuses closes the link: the frame hears of it once, nothing is sent
// any more, the table plays on without the player (between games the chair is freed).
TEST(InProcessLink, AMalformedPacketEitherWayClosesTheLink) {
  const struct {
    const char* name;
    bool toTable;
    Bytes bytes;
  } cases[] = {
      {"a header that lies about the size", true, {7, 0, 2, 0, 3}},
      {"a table command from the client", true, {6, 0, 1, 0, 1, 0}},
      {"a card 0", true, {8, 0, 2, 0, CLI_PLAY, 0, 1, 0x00}},
      {"a client message to the client", false, {6, 0, 2, 0, CLI_PASS, 0}},
      {"a deal of 10 bytes", false, {16, 0, 2, 0, 100, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    CScopedManualClock clock;
    CTableHost host(tagHostConfig{});
    ASSERT_TRUE(host.SeatBot(0, "easy") && host.SeatBot(2, "easy"));
    CPacketQueue toClient;
    CTableEnd table(host, ME, kUsers, toClient);
    CInProcessTransport transport(table, toClient);
    CLinkClient client(transport);
    CScriptedPlayer player;
    player.AutoReady(false);
    client.Poll(player);
    ASSERT_TRUE(table.Connected());
    if (c.toTable) {
      ASSERT_TRUE(transport.Send(c.bytes.data(), c.bytes.size()));
    } else {
      toClient.SendPacket(c.bytes.data(), c.bytes.size());
    }
    client.Poll(player);
    client.Poll(player);
    EXPECT_EQ(player.Events().back().kind, Kind::Closed);
    EXPECT_EQ(std::count_if(player.Events().begin(), player.Events().end(),
                            [](const auto& e) { return e.kind == Kind::Closed; }),
              1);
    EXPECT_EQ(client.Refused(), c.toTable ? 0u : 1u);
    EXPECT_FALSE(table.Connected() || host.Table().Seated(ME));
    EXPECT_FALSE(client.IsOpen() || client.SendUserReady(nullptr, 0) || client.RejoinTable());
    EXPECT_EQ(client.NextEventMs(), LINK_NEVER);
  }
}

// The client end sends nothing the table would refuse as malformed; a move the table refuses
// (out of turn) changes nothing and keeps the link.
TEST(LinkClient, SendsOnlyWhatTheTableWouldAccept) {
  Table t(3);
  t.link->Poll(t.player);
  const uint8_t cardZero[] = {1, 0};
  const uint8_t play[] = {2, 0x03, 0x13};
  EXPECT_FALSE(t.link->SendGameData(999, nullptr, 0));
  EXPECT_FALSE(t.link->SendGameData(SRV_PLAY, play, sizeof(play))) << "a server message";
  EXPECT_FALSE(t.link->SendGameData(CLI_PLAY, cardZero, sizeof(cardZero)));
  EXPECT_FALSE(t.link->SendGameData(CLI_PASS, play, 1));
  EXPECT_TRUE(t.link->SendGameData(CLI_PLAY, play, sizeof(play)));
  t.link->Poll(t.player);
  EXPECT_EQ(t.link->TableEnd().Received(), 1u);
  EXPECT_EQ(t.link->TableEnd().Refused(), 1u);
  EXPECT_TRUE(t.link->Client().IsOpen());
}

}  // namespace
