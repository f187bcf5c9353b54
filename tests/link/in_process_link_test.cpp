// The in-process link: a table host with two bots at one end, a scripted player at the other,
// and only packets between them. Whole seeded games arrive decoded and in order; the player
// enters, leaves and sits again, returns into a running game; a malformed packet either way
// closes the link.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "link/InProcessLink.h"
#include "platform/win/WinTime.h"
#include "tests/support/scripted_player.h"

namespace {

using testsupport::CScriptedPlayer;
using Kind = CScriptedPlayer::Kind;
using Bytes = std::vector<uint8_t>;
constexpr uint16_t ME = 1;

// Every message the table sends the player's chair, as the table sent it.
class CSentToMe : public ITableObserver {
 public:
  void OnDelivered(uint16_t chair, uint16_t id, const uint8_t* data, size_t size) override {
    if (chair == ME) sent.push_back({id, Bytes(data, data + size)});
  }
  std::vector<std::pair<uint16_t, Bytes>> sent;
};

// Each chair's purse at the lobby.
constexpr int64_t kPurse[SEAT_COUNT] = {500, 10000, 0};

void MakeUsers(tagLobbyUser (&users)[SEAT_COUNT]) {
  std::memset(users, 0, sizeof(users));
  const char* names[SEAT_COUNT] = {"左边", "me", "right"};
  for (uint16_t c = 0; c < SEAT_COUNT; ++c) {
    std::strcpy(users[c].name, names[c]);
    users[c].gender = c == 0 ? 2 : 1;
    users[c].faceId = c + 3;
    users[c].gold = kPurse[c];
  }
}

struct Table {
  explicit Table(uint64_t seed, const char* botLevel = "normal") {
    tagHostConfig config;
    config.table.seed = seed;
    config.botDelayMinMs = 800;
    config.botDelayMaxMs = 1400;
    auto host = std::make_unique<CTableHost>(config);
    EXPECT_TRUE(host->SeatBot(0, botLevel));
    EXPECT_TRUE(host->SeatBot(2, botLevel));
    host->SetObserver(&observer);
    tagLobbyUser users[SEAT_COUNT];
    MakeUsers(users);
    link = std::make_unique<CInProcessLink>(std::move(host), ME, users);
  }

  const CTable& Truth() { return link->Host().Table(); }

  // Polls, lets the player act, and moves the clock to the next thing due, until `done` or
  // until nothing more can happen.
  template <class Done>
  bool RunUntil(Done done, int maxTurns = 200000) {
    for (int turn = 0; turn < maxTurns; ++turn) {
      link->Poll(player);
      CheckHandAgainstTruth();
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

  // While a game runs, the player's view holds the table's hand for its chair.
  void CheckHandAgainstTruth() {
    const CTable& truth = Truth();
    if (truth.Phase() != TablePhase::Playing || player.View().Phase() != ViewPhase::Playing) return;
    ++handChecks;
    ASSERT_EQ(player.View().HandCount(), truth.HandCount(ME));
    ASSERT_EQ(std::memcmp(player.View().Hand(), truth.Hand(ME), truth.HandCount(ME)), 0);
  }

  std::vector<Kind> KindsFrom(size_t first) const {
    std::vector<Kind> kinds;
    for (size_t i = first; i < player.Events().size(); ++i)
      kinds.push_back(player.Events()[i].kind);
    return kinds;
  }

  CScopedManualClock clock{5'000'000};
  CSentToMe observer;
  std::unique_ptr<CInProcessLink> link;
  CScriptedPlayer player{"easy"};
  int handChecks = 0;
};

const std::vector<Kind> kEntry = {Kind::Self,  Kind::Attribute, Kind::Enter,
                                  Kind::Enter, Kind::Enter,     Kind::Scene};

TEST(InProcessLink, CarriesWholeSeededGamesDecodedAndInOrder) {
  Table t(11);
  ASSERT_TRUE(t.RunUntil([&] { return t.player.Results() == 3; }));

  EXPECT_EQ(t.player.Undecodable(), 0u);
  EXPECT_EQ(t.link->Client().Refused(), 0u);
  EXPECT_GT(t.handChecks, 30);
  std::vector<std::pair<uint16_t, Bytes>> received;
  for (const auto& e : t.player.Events()) {
    if (e.kind == Kind::Message) received.push_back({e.chairOrId, e.data});
  }
  ASSERT_GT(received.size(), 60u);
  ASSERT_EQ(received.size(), t.observer.sent.size());
  for (size_t i = 0; i < received.size(); ++i) {
    ASSERT_EQ(received[i], t.observer.sent[i]) << "message " << i;
  }

  // The gold at every chair is its purse and the table's score, told after each game.
  int64_t told[SEAT_COUNT] = {};
  int scoreChanges = 0;
  for (const auto& e : t.player.Events()) {
    if (e.kind == Kind::Enter) told[e.chairOrId] = e.user.lScore;
    if (e.kind == Kind::Score) {
      told[e.chairOrId] = e.user.lScore;
      ++scoreChanges;
    }
  }
  int64_t sum = 0;
  for (uint16_t c = 0; c < SEAT_COUNT; ++c) {
    EXPECT_EQ(told[c], kPurse[c] + t.Truth().Gold(c)) << "chair " << c;
    sum += told[c];
  }
  EXPECT_EQ(sum, kPurse[0] + kPurse[1] + kPurse[2]) << "gold moves between the chairs only";
  EXPECT_NE(told[ME], kPurse[ME]) << "three games move some gold";
  EXPECT_GE(scoreChanges, 3);
}

TEST(InProcessLink, TheSameSeedDealsTheSameGames) {
  auto deals = [](uint64_t seed) {
    Table t(seed);
    EXPECT_TRUE(t.RunUntil([&] { return t.player.Results() == 2; }));
    std::vector<Bytes> out;
    for (const auto& e : t.player.Events()) {
      if (e.kind == Kind::Message && e.chairOrId == SRV_DEAL) out.push_back(e.data);
    }
    return out;
  };
  const std::vector<Bytes> first = deals(42);
  ASSERT_EQ(first.size(), 2u);
  EXPECT_EQ(deals(42), first);
  EXPECT_NE(deals(43), first);
}

TEST(InProcessLink, EntryThenStatusesBeforeTheDeal) {
  Table t(5);
  t.link->Poll(t.player);
  const auto& events = t.player.Events();
  ASSERT_GE(events.size(), kEntry.size());
  const std::vector<Kind> kinds0 = t.KindsFrom(0);
  EXPECT_EQ(std::vector<Kind>(kinds0.begin(), kinds0.begin() + 6), kEntry);
  EXPECT_EQ(events[0].chairOrId, ME);

  const tagUserData& me = events[3].user;
  EXPECT_EQ(events[3].chairOrId, ME);
  EXPECT_STREQ(me.szName, "me");
  EXPECT_EQ(me.lScore, kPurse[ME]) << "the purse before any game";
  EXPECT_EQ(events[2].user.lScore, kPurse[0]);
  EXPECT_EQ(me.cbGender, 1);
  EXPECT_EQ(me.wFaceID, 4);
  EXPECT_EQ(me.wChairID, ME);
  EXPECT_EQ(me.cbUserStatus, US_SIT);
  EXPECT_STREQ(events[2].user.szName, "左边");
  EXPECT_EQ(events[2].user.cbGender, 2);

  const auto& scene = events[5];
  ASSERT_EQ(scene.chairOrId, STATUS_FREE);
  tagScene decoded;
  ASSERT_TRUE(DecodeScene(STATUS_FREE, scene.data.data(), scene.data.size(), ME, decoded));
  EXPECT_EQ(decoded.freeTable.tableKind, SEAT_COUNT) << "no two-player notice";
  EXPECT_EQ(decoded.freeTable.score, 0);

  // The bots were ready first; the player's ready starts the game: everybody plays, then deal.
  t.player.AutoReady(false);
  ASSERT_TRUE(t.RunUntil([&] {
    int ready = 0;
    for (uint16_t c : {0, 2}) ready += t.Truth().Ready(c) ? 1 : 0;
    return ready == 2;
  }));
  const size_t before = events.size();
  t.link->SendUserReady(nullptr, 0);
  t.link->Poll(t.player);
  std::vector<Kind> kinds = t.KindsFrom(before);
  ASSERT_GE(kinds.size(), 4u);
  EXPECT_EQ(std::vector<Kind>(kinds.begin(), kinds.begin() + 4),
            (std::vector<Kind>{Kind::Status, Kind::Status, Kind::Status, Kind::Message}));
  for (size_t i = before; i < before + 3; ++i) EXPECT_EQ(events[i].user.cbUserStatus, US_PLAY);
  EXPECT_EQ(events[before + 3].chairOrId, SRV_DEAL);
}

TEST(InProcessLink, RejoinAndChangeTableBetweenGamesSitDownAfresh) {
  Table t(3);
  t.player.AutoReady(false);
  t.link->Poll(t.player);
  const struct {
    const char* name;
    bool (*leave)(ITableLink&);
  } cases[] = {
      {"rejoin", [](ITableLink& l) { return l.RejoinTable(); }},
      {"change table", [](ITableLink& l) { return l.SendChangeTable(0); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const size_t before = t.player.Events().size();
    ASSERT_TRUE(c.leave(*t.link));
    t.link->Poll(t.player);
    EXPECT_EQ(t.KindsFrom(before), kEntry);
    EXPECT_EQ(t.player.Events().back().chairOrId, STATUS_FREE);
    EXPECT_TRUE(t.Truth().Seated(ME));
  }
}

TEST(InProcessLink, APlayerSittingDownAgainKeepsTheGoldWon) {
  Table t(21);
  ASSERT_TRUE(t.RunUntil([&] { return t.player.Results() == 1; }));
  t.player.AutoReady(false);
  t.link->Poll(t.player);
  ASSERT_EQ(t.Truth().Phase(), TablePhase::Free);
  const int64_t after = kPurse[ME] + t.Truth().Gold(ME);
  ASSERT_NE(after, kPurse[ME]) << "the game moved the player's gold";
  for (int leave = 0; leave < 2; ++leave) {
    const size_t before = t.player.Events().size();
    ASSERT_TRUE(t.link->RejoinTable());
    t.link->Poll(t.player);
    EXPECT_EQ(t.Truth().Gold(ME), 0) << "the table counts afresh";
    bool entered = false;
    for (size_t i = before; i < t.player.Events().size(); ++i) {
      const auto& e = t.player.Events()[i];
      if (e.kind != Kind::Enter || e.chairOrId != ME) continue;
      EXPECT_EQ(e.user.lScore, after) << "sat down again " << leave + 1 << " time(s)";
      entered = true;
    }
    EXPECT_TRUE(entered);
  }
}

TEST(InProcessLink, AReturningPlayerGetsThePlayingScene) {
  Table t(8);
  ASSERT_TRUE(t.RunUntil([&] { return t.Truth().Phase() == TablePhase::Playing; }));
  const size_t before = t.player.Events().size();
  ASSERT_TRUE(t.link->RejoinTable());
  t.link->Poll(t.player);
  const std::vector<Kind> kinds = t.KindsFrom(before);
  ASSERT_GE(kinds.size(), kEntry.size());
  EXPECT_EQ(std::vector<Kind>(kinds.begin(), kinds.begin() + 6), kEntry);
  const auto& scene = t.player.Events()[before + 5];
  ASSERT_EQ(scene.chairOrId, STATUS_PLAYING);
  EXPECT_EQ(scene.data.size(), sizeof(tagScenePlaying));
  for (size_t i = before + 2; i < before + 5; ++i)
    EXPECT_EQ(t.player.Events()[i].user.cbUserStatus, US_PLAY);
  t.CheckHandAgainstTruth();
  EXPECT_TRUE(t.Truth().Connected(ME));
  // The game goes on to its end with the player back.
  ASSERT_TRUE(t.RunUntil([&] { return t.player.Results() == 1; }));
  EXPECT_EQ(t.player.Undecodable(), 0u);
}

TEST(InProcessLink, NextEventIsTheTablesOrNowWhenPacketsWait) {
  Table t(4);
  t.player.AutoReady(false);
  EXPECT_EQ(t.link->NextEventMs(), GetTickCount64()) << "the entry waits";
  ASSERT_TRUE(t.RunUntil([&] { return t.Truth().Ready(0) && t.Truth().Ready(2); }));
  t.link->Poll(t.player);
  EXPECT_EQ(t.link->NextEventMs(), LINK_NEVER) << "the bots wait for the player";
  EXPECT_TRUE(t.link->SendUserReady(nullptr, 0));
  EXPECT_EQ(t.link->NextEventMs(), GetTickCount64());
  t.link->Poll(t.player);
  EXPECT_EQ(t.link->NextEventMs(), t.link->Host().NextEvent()) << "the deal waits for the player";
}

// Both ends and the transport by hand, to feed the table end what CLinkClient never sends.
struct ByHand {
  ByHand() {
    tagHostConfig config;
    host = std::make_unique<CTableHost>(config);
    host->SeatBot(0, "easy");
    host->SeatBot(2, "easy");
    tagLobbyUser users[SEAT_COUNT];
    MakeUsers(users);
    table = std::make_unique<CTableEnd>(*host, ME, users, toClient);
    transport = std::make_unique<CInProcessTransport>(*table, toClient);
    client = std::make_unique<CLinkClient>(*transport);
  }
  CScopedManualClock clock{1000};
  std::unique_ptr<CTableHost> host;
  CPacketQueue toClient;
  std::unique_ptr<CTableEnd> table;
  std::unique_ptr<CInProcessTransport> transport;
  std::unique_ptr<CLinkClient> client;
  CScriptedPlayer player;
};

// A table that always has something due (bots alone at it, a clock far ahead) cannot hold the
// frame's loop: each Advance runs a bounded share of it, the next goes on.
TEST(TableEnd, AdvanceRunsABoundedShareOfWhatIsDue) {
  CTableHost host(tagHostConfig{});
  for (uint16_t c = 0; c < SEAT_COUNT; ++c) ASSERT_TRUE(host.SeatBot(c, "easy"));
  tagLobbyUser users[SEAT_COUNT];
  MakeUsers(users);
  CPacketQueue out;
  CTableEnd end(host, ME, users, out);
  const uint64_t far = UINT64_MAX / 2;
  end.Advance(far);
  const uint32_t games = host.Table().GamesPlayed();
  EXPECT_GT(games, 10u);
  EXPECT_LE(end.NextEvent(), far) << "more is due";
  end.Advance(far);
  EXPECT_GT(host.Table().GamesPlayed(), games);
}

TEST(InProcessLink, AMalformedPacketFromTheClientClosesTheLink) {
  const Bytes cases[] = {
      {7, 0, 2, 0, 3},                              // a header that lies about the size
      {6, 0, 1, 0, 1, 0},                           // a table command sent by the client
      {10, 0, 2, 0, CLI_AUTO_PLAY, 0, 0, 0, 1, 0},  // auto play for another chair
      {8, 0, 2, 0, CLI_PLAY, 0, 1, 0x00},           // a card 0
  };
  for (const Bytes& garbage : cases) {
    ByHand h;
    h.player.AutoReady(false);
    h.client->Poll(h.player);
    ASSERT_TRUE(h.table->Connected());
    ASSERT_TRUE(h.transport->Send(garbage.data(), garbage.size()));
    h.client->Poll(h.player);
    EXPECT_TRUE(h.player.Closed());
    EXPECT_FALSE(h.table->Connected());
    EXPECT_FALSE(h.host->Table().Seated(ME)) << "between games the chair is freed";
    EXPECT_FALSE(h.client->IsOpen());
    EXPECT_FALSE(h.client->SendUserReady(nullptr, 0));
    EXPECT_FALSE(h.client->RejoinTable());
    EXPECT_EQ(h.client->NextEventMs(), LINK_NEVER);
  }
}

// A transport that hands the client end given bytes and keeps what it sends.
class FakeTransport : public IClientTransport {
 public:
  bool Send(const uint8_t* data, size_t size) override {
    if (!connected) return false;
    sent.emplace_back(data, data + size);
    return true;
  }
  void Service(uint64_t) override {}
  bool Receive(std::vector<uint8_t>& out) override {
    if (incoming.empty()) return false;
    out = incoming.front();
    incoming.erase(incoming.begin());
    return true;
  }
  uint64_t NextArrival(uint64_t now) override { return incoming.empty() ? LINK_NEVER : now; }
  bool Connected() const override { return connected; }
  void Disconnect(uint64_t) override {
    connected = false;
    ++disconnects;
  }
  std::vector<Bytes> incoming, sent;
  bool connected = true;
  int disconnects = 0;
};

Bytes Encoded(const tagPacket& p, PacketDirection d = PacketDirection::ToClient) {
  Bytes b(PACKET_MAX_SIZE);
  b.resize(EncodePacket(p, d, b.data(), b.size()));
  return b;
}

TEST(LinkClient, AMalformedPacketFromTheTableClosesTheLinkOnce) {
  const struct {
    const char* name;
    Bytes bad;
    bool refused;
  } cases[] = {
      {"a client message", Encoded(GamePacket(CLI_PASS, nullptr, 0), PacketDirection::ToTable),
       true},
      {"cut short", {60, 0, 1, 0, 3, 0, 1}, true},
      {"a deal of 10 bytes", {16, 0, 2, 0, 100, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, true},
      {"the table closes", Encoded(FramePacket(SUB_CLOSED)), false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    CScopedManualClock clock;
    FakeTransport transport;
    CLinkClient client(transport);
    CScriptedPlayer player;
    transport.incoming = {Encoded(SelfPacket({1, 0, 0})), c.bad,
                          Encoded(UserLeavePacket(0, false))};
    client.Poll(player);
    ASSERT_EQ(player.Events().size(), 2u);
    EXPECT_EQ(player.Events()[0].kind, Kind::Self);
    EXPECT_EQ(player.Events()[1].kind, Kind::Closed);
    EXPECT_EQ(client.Refused(), c.refused ? 1u : 0u);
    EXPECT_EQ(transport.disconnects, 1);
    client.Poll(player);
    EXPECT_EQ(player.Events().size(), 2u) << "nothing after the close";
    EXPECT_FALSE(client.SendGameData(CLI_PASS, nullptr, 0));
  }
}

TEST(LinkClient, ATransportThatGoesDownClosesTheLink) {
  CScopedManualClock clock;
  FakeTransport transport;
  CLinkClient client(transport);
  CScriptedPlayer player;
  transport.incoming = {Encoded(SelfPacket({1, 0, 0}))};
  transport.connected = false;
  client.Poll(player);
  ASSERT_EQ(player.Events().size(), 2u) << "what arrived, then the close";
  EXPECT_EQ(player.Events()[1].kind, Kind::Closed);
}

TEST(LinkClient, SendsOnlyWhatTheTableWouldAccept) {
  CScopedManualClock clock;
  FakeTransport transport;
  CLinkClient client(transport);
  const uint8_t cardZero[] = {1, 0};
  const uint8_t play[] = {2, 0x03, 0x13};
  const uint8_t big[MAX_GAME_DATA_SIZE] = {};
  EXPECT_FALSE(client.SendGameData(999, nullptr, 0));
  EXPECT_FALSE(client.SendGameData(SRV_PLAY, play, sizeof(play))) << "a server message";
  EXPECT_FALSE(client.SendGameData(CLI_PLAY, cardZero, sizeof(cardZero)));
  EXPECT_FALSE(client.SendGameData(CLI_PASS, play, 1));
  EXPECT_FALSE(client.RejoinTable()) << "only where the lobby offers it";
  EXPECT_TRUE(transport.sent.empty());

  EXPECT_TRUE(client.SendGameData(CLI_PLAY, play, sizeof(play)));
  EXPECT_TRUE(client.SendUserReady(big, sizeof(big)));
  EXPECT_TRUE(client.SendChangeTable(7));
  client.AllowRejoin(true);
  EXPECT_TRUE(client.RejoinTable());
  ASSERT_EQ(transport.sent.size(), 4u);
  EXPECT_EQ(transport.sent[0], (Bytes{9, 0, MAIN_GAME, 0, CLI_PLAY, 0, 2, 0x03, 0x13}));
  EXPECT_EQ(transport.sent[1].size(), PACKET_MAX_SIZE);
  EXPECT_EQ(transport.sent[2], (Bytes{8, 0, MAIN_FRAME, 0, 102, 0, 7, 0}));
  EXPECT_EQ(transport.sent[3], (Bytes{6, 0, MAIN_FRAME, 0, 103, 0}));
}

}  // namespace
