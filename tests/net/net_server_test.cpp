// The network table server on an ephemeral port of 127.0.0.1: logins and seats, whole games
// between remote players, watchers, a drop and a return, hostile and stalled peers, TLS.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "net_support.h"

namespace {

using namespace nettest;

tagNetConfig FastNet() {
  tagNetConfig net;
  net.bind = "127.0.0.1";
  net.clockSpeed = 20;  // the tables' pauses and clocks pass twenty times faster
  return net;
}

tagLobbyConfig Lobby(uint16_t tables, uint64_t botsAfterMs = 0) {
  tagLobbyConfig lobby;
  lobby.tables = tables;
  lobby.botsAfterMs = botsAfterMs;
  lobby.seed = 11;
  return lobby;
}

tagLoadConfig Players(const char* prefix, uint16_t table, bool allowWatchers = false) {
  tagLoadConfig load;
  load.clients = 3;
  load.namePrefix = prefix;
  load.table = table;
  load.serverClockSpeed = 20;
  load.allowWatchers = allowWatchers;
  return load;
}

std::string Faults(const tagLoadStats& stats) {
  std::string all;
  for (const std::string& f : stats.faults) all += f + "\n";
  return all;
}

TEST(NetServer, LoginSitListAndLeave) {
  CServerThread server(FastNet(), Lobby(2));
  ASSERT_TRUE(server.Started());
  CRawClient ana(server.Port()), bob(server.Port());
  const tagLobbyLoginAnswer a = ana.Login("ana");
  ASSERT_EQ(a.result, 0);
  EXPECT_NE(a.userId, 0u);
  const uint8_t zero[LOBBY_TOKEN_SIZE] = {};
  EXPECT_NE(std::memcmp(a.token, zero, LOBBY_TOKEN_SIZE), 0) << "a random token";
  EXPECT_EQ(bob.Login("ana").result, uint8_t(LobbyResult::NameTaken));
  EXPECT_EQ(bob.Login("Bot-0.1").result, uint8_t(LobbyResult::BadName)) << "the bots' names";
  ASSERT_EQ(bob.Login("bob").result, 0);

  // Sitting: the answer, the place, then the table's entry as the embedded lobby has it.
  ana.SendSeat(LOBBY_SIT, 0, 1);
  EXPECT_EQ(ana.Answer(LOBBY_SIT), 0);
  Bytes storage;
  tagPacket p;
  ASSERT_TRUE(ana.UntilLobby(LOBBY_PLACE, storage, p));
  tagLobbyPlace place{};
  ASSERT_TRUE(DecodeLobbyPlace(p.record, p.recordSize, place));
  EXPECT_EQ(place, (tagLobbyPlace{0, 1, 0}));
  ASSERT_TRUE(ana.Next(storage));
  ASSERT_TRUE(DecodePacket(storage.data(), storage.size(), PacketDirection::ToClient, p));
  EXPECT_EQ(p.sub, SUB_SELF);
  EXPECT_EQ(p.self, (tagLinkSelf{1, 0, 0}));
  ASSERT_TRUE(ana.Until([](const tagPacket& q) { return q.sub == SUB_SCENE; }, storage, p));
  EXPECT_EQ(p.sceneStatus, STATUS_FREE);

  // Rejoin between games: up and down again at the same chair (found by lobby_fuzz).
  ana.Send(FramePacket(SUB_REJOIN));
  ASSERT_TRUE(ana.Until(
      [](const tagPacket& q) { return q.sub == SUB_SELF && q.main == MAIN_FRAME; }, storage, p));
  EXPECT_EQ(p.self, (tagLinkSelf{1, 0, 0}));
  bob.SendSeat(LOBBY_SIT, 0, 1);
  EXPECT_EQ(bob.Answer(LOBBY_SIT), uint8_t(LobbyResult::ChairTaken));
  bob.SendSeat(LOBBY_SIT, 5, 0);
  EXPECT_EQ(bob.Answer(LOBBY_SIT), uint8_t(LobbyResult::NoSuchTable));
  bob.SendSeat(LOBBY_SIT, LOBBY_ANY, LOBBY_ANY);  // joins the table where somebody waits
  EXPECT_EQ(bob.Answer(LOBBY_SIT), 0);
  ASSERT_TRUE(bob.UntilLobby(LOBBY_PLACE, storage, p));
  ASSERT_TRUE(DecodeLobbyPlace(p.record, p.recordSize, place));
  EXPECT_EQ(place.table, 0);

  const uint8_t first[2] = {0, 0};
  bob.SendLobby(LOBBY_LIST, first, sizeof(first));
  ASSERT_TRUE(bob.UntilLobby(LOBBY_TABLES, storage, p));
  tagLobbyTables tables{};
  ASSERT_TRUE(DecodeLobbyTables(p.record, p.recordSize, tables));
  EXPECT_EQ(tables.total, 2);
  EXPECT_EQ(tables.tables[0].chairs[1].kind, uint8_t(LobbyChair::Person));
  EXPECT_STREQ(tables.tables[0].chairs[1].name, "ana");
  EXPECT_EQ(tables.tables[1].chairs[0].kind, uint8_t(LobbyChair::Empty));

  // The game's change-table message between games: to the next table with a free chair.
  uint8_t change[2];
  bob.Send(GamePacket(CLI_CHANGE_TABLE, change,
                      EncodeCliChangeTable({place.chair}, change, sizeof(change))));
  EXPECT_EQ(bob.Answer(0), 0);
  ASSERT_TRUE(bob.UntilLobby(LOBBY_PLACE, storage, p));
  ASSERT_TRUE(DecodeLobbyPlace(p.record, p.recordSize, place));
  EXPECT_EQ(place.table, 1);

  ana.SendLobby(LOBBY_LEAVE, nullptr, 0);
  EXPECT_EQ(ana.Answer(LOBBY_LEAVE), 0);
  ana.SendLobby(LOBBY_LEAVE, nullptr, 0);
  EXPECT_EQ(ana.Answer(LOBBY_LEAVE), uint8_t(LobbyResult::NotAtTable));
  EXPECT_TRUE(server.WaitFor([&] { return !server.Lobby().TableAt(0).Seated(1); }));
}

// Light clients keep a person's pace. The bucket here fits that pace closely: a game's packets
// from one chair at once (a ready, the deal's report, at most one move per play, and the 54
// cards make at most 54 plays), then 20 a second, since a person's client starts a game at most
// every 3.1 s (2.5 s until its start button shows, 0.6 s of deal). Clients that readied and
// reported at once played games nobody holds up back to back at the machine's speed, and whole
// tables of them were dropped within a hundred games.
TEST(NetServer, RemotePlayersPlayWholeGamesAtAPersonsPace) {
  tagNetConfig net = FastNet();
  net.packetBurst = 60;
  net.packetsPerSecond = 20;
  CServerThread server(net, Lobby(10));
  ASSERT_TRUE(server.Started());
  tagLoadConfig players = Players("whole", LOBBY_ANY);
  players.clients = 30;
  const size_t run = server.StartLoad(players);
  EXPECT_TRUE(server.WaitFor([&] { return server.Lobby().GamesPlayed() >= 100; }));
  const tagLoadStats stats = server.LoadStats(run);
  EXPECT_EQ(Faults(stats), "");
  EXPECT_GE(stats.games, 270u) << "each player saw the results of its table";
  EXPECT_GT(stats.moves, 1000u);
  EXPECT_TRUE(server.Run([&] { return server.Lobby().TableAt(0).HoldsEveryCardOnce(); }));
}

// A watcher gets the watched chair's records only, its hand hidden unless its player allows
// watchers; it never acts, and a record for another chair drops it.
TEST(NetServer, WatcherSeesOnlyWhatItMay) {
  for (const bool allow : {false, true}) {
    SCOPED_TRACE(allow ? "watchers allowed" : "watchers not allowed");
    CServerThread server(FastNet(), Lobby(1));
    ASSERT_TRUE(server.Started());
    const size_t run = server.StartLoad(Players(allow ? "open" : "shut", 0, allow));
    ASSERT_TRUE(
        server.WaitFor([&] { return server.Lobby().TableAt(0).Phase() != TablePhase::Free; }));
    CRawClient watcher(server.Port());
    ASSERT_EQ(watcher.Login("eve").result, 0);
    watcher.SendSeat(LOBBY_WATCH, 0, 0);
    EXPECT_EQ(watcher.Answer(LOBBY_WATCH), 0);

    Bytes storage;
    tagPacket p;
    ASSERT_TRUE(watcher.Until(
        [](const tagPacket& q) { return q.sub == SUB_SELF && q.main == MAIN_FRAME; }, storage, p));
    EXPECT_EQ(p.self, (tagLinkSelf{0, 1, uint8_t(allow)}));
    // Hands seen: each must be the placeholder (the deck's first cards) when hidden, and
    // every record must be one for chair 0.
    int hands = 0;
    while (hands < 3 && watcher.Next(storage)) {
      ASSERT_TRUE(DecodePacket(storage.data(), storage.size(), PacketDirection::ToClient, p));
      const uint8_t* hand = nullptr;
      uint8_t count = 0;
      tagScene scene{};
      tagServerMessage m{};
      if (p.main == MAIN_FRAME && p.sub == SUB_SCENE && p.sceneStatus == STATUS_PLAYING) {
        EXPECT_EQ(p.sceneLookon, 1);
        ASSERT_TRUE(DecodeScene(p.sceneStatus, p.record, p.recordSize, 0, scene));
        hand = scene.playing.hand, count = scene.playing.cardCount[0];
      } else if (p.main == MAIN_GAME) {
        ASSERT_TRUE(DecodeServerMessage(p.sub, p.record, p.recordSize, 0, m)) << p.sub;
        if (p.sub == SRV_DEAL) hand = m.deal.cardArea, count = m.deal.handCount;
        if (p.sub == SRV_PLAY_BEGIN) hand = m.playBegin.hand, count = m.playBegin.handCount;
        if (p.sub == SRV_PASS && m.pass.newTurn == 1)
          hand = m.pass.hand, count = m.pass.cardCount[0];
      }
      if (hand == nullptr || count < 3) continue;
      ++hands;
      const bool placeholder = std::memcmp(hand, CARD_DECK, count) == 0;
      EXPECT_EQ(placeholder, !allow);
    }
    EXPECT_EQ(hands, 3);

    // A watcher's move is refused and answered; a record for another chair drops it.
    watcher.Send(GamePacket(CLI_PASS, nullptr, 0));
    EXPECT_EQ(watcher.Answer(0), uint8_t(LobbyResult::Refused));
    const tagCliAutoPlay other{1, 1, 0};
    uint8_t record[4];
    watcher.Send(
        GamePacket(CLI_AUTO_PLAY, record, EncodeCliAutoPlay(other, record, sizeof(record))));
    EXPECT_TRUE(watcher.ClosedByServer());
    EXPECT_EQ(Faults(server.LoadStats(run)), "");
  }
}

// A player gone mid-game is played by the table; the same name with its token puts it back
// in its chair with the playing scene, and the game goes on. Gone again, its chair is freed
// when the game ends.
TEST(NetServer, DropMidGameAndReturnWithTheToken) {
  tagNetConfig net = FastNet();
  net.clockSpeed = 40;
  CServerThread server(net, Lobby(1, 1));  // bots join at once
  ASSERT_TRUE(server.Started());
  auto ana = std::make_unique<CRawClient>(server.Port());
  const tagLobbyLoginAnswer first = ana->Login("ana");
  ASSERT_EQ(first.result, 0);
  ana->SendSeat(LOBBY_SIT, 0, LOBBY_ANY);
  ASSERT_EQ(ana->Answer(LOBBY_SIT), 0);
  Bytes storage;
  tagPacket p;
  ASSERT_TRUE(ana->Until(
      [](const tagPacket& q) { return q.sub == SUB_SELF && q.main == MAIN_FRAME; }, storage, p));
  const uint16_t chair = p.self.chair;
  ana->Send(FramePacket(SUB_USER_READY));
  ASSERT_TRUE(ana->Until(
      [](const tagPacket& q) { return q.main == MAIN_GAME && q.sub == SRV_DEAL; }, storage, p));
  ana.reset();  // gone during the deal

  CRawClient again(server.Port());
  EXPECT_EQ(again.Login("ana").result, uint8_t(LobbyResult::NameTaken)) << "no token";
  uint8_t wrong[LOBBY_TOKEN_SIZE];
  std::memcpy(wrong, first.token, sizeof(wrong));
  wrong[15] ^= 1;
  EXPECT_EQ(again.Login("ana", wrong).result, uint8_t(LobbyResult::NameTaken));
  const tagLobbyLoginAnswer back = again.Login("ana", first.token);
  ASSERT_EQ(back.result, 0);
  EXPECT_EQ(back.returned, 1);
  EXPECT_EQ(back.userId, first.userId);
  ASSERT_TRUE(again.Until(
      [](const tagPacket& q) { return q.main == MAIN_FRAME && q.sub == SUB_SCENE; }, storage, p));
  ASSERT_EQ(p.sceneStatus, STATUS_PLAYING);
  tagScene scene{};
  ASSERT_TRUE(DecodeScene(p.sceneStatus, p.record, p.recordSize, chair, scene));
  EXPECT_GT(scene.playing.cardCount[chair], 0);
  EXPECT_EQ(scene.playing.autoPlay[chair], 1) << "the table played for the chair";
  // Play goes on: the bots' moves reach the returned player.
  ASSERT_TRUE(again.Until(
      [](const tagPacket& q) {
        return q.main == MAIN_GAME && (q.sub == SRV_PLAY || q.sub == SRV_PASS ||
                                       q.sub == SRV_PASS_NOTICE || q.sub == SRV_RESULT);
      },
      storage, p));
  tagServerMessage m{};
  EXPECT_TRUE(DecodeServerMessage(p.sub, p.record, p.recordSize, chair, m));

  again.Close();
  EXPECT_TRUE(server.WaitFor([&] {
    return !server.Lobby().TableAt(0).Seated(chair) && server.Lobby().UserCount() == 0;
  })) << "the chair is freed at the end of the game and the user forgotten";
}

// Each hostile peer is dropped alone while a table plays on.
TEST(NetServer, HostilePeersAreDroppedAlone) {
  CServerThread server(FastNet(), Lobby(3));
  ASSERT_TRUE(server.Started());
  const size_t run = server.StartLoad(Players("calm", 0));
  ASSERT_TRUE(
      server.WaitFor([&] { return server.Lobby().TableAt(0).Phase() != TablePhase::Free; }));

  struct Hostile {
    const char* name;
    bool login;
    bool sit;
    std::function<void(CRawClient&)> act;
  };
  const Bytes bad = {8, 0, 9, 0, 1, 0, 0, 0};          // main command 9
  const Bytes oversized = {0x88, 0x13, 1, 0, 101, 0};  // announces 5000 bytes
  const Hostile hostile[] = {
      {"unknown main command", false, false, [&](CRawClient& c) { c.SendRaw(bad); }},
      {"oversized length", true, false, [&](CRawClient& c) { c.SendRaw(oversized); }},
      {"a seat before the login", false, false, [](CRawClient& c) { c.SendSeat(LOBBY_SIT, 1, 0); }},
      {"a second login", true, false, [](CRawClient& c) { c.SendLogin("again"); }},
      {"a game packet away from a table", true, false,
       [](CRawClient& c) { c.Send(GamePacket(CLI_PASS, nullptr, 0)); }},
      {"a record for another chair", true, true,
       [](CRawClient& c) {
         uint8_t record[4];
         const size_t n = EncodeCliAutoPlay({2, 1, 0}, record, sizeof(record));
         c.Send(GamePacket(CLI_AUTO_PLAY, record, n));
       }},
      {"a flood", true, false,
       [](CRawClient& c) {
         Bytes many;
         uint8_t packet[PACKET_MAX_SIZE];
         const uint8_t first[2] = {0, 0};
         const size_t n = EncodeLobbyPacket(LOBBY_LIST, first, 2, PacketDirection::ToTable, packet,
                                            sizeof(packet));
         for (int i = 0; i < 400; ++i) many.insert(many.end(), packet, packet + n);
         c.SendRaw(many);
       }},
      {"a login of another version", false, false,
       [](CRawClient& c) {
         Bytes login(PACKET_HEADER_SIZE + LOBBY_LOGIN_SIZE, 0);
         login[0] = uint8_t(login.size()), login[2] = MAIN_LOBBY, login[4] = LOBBY_LOGIN;
         login[PACKET_HEADER_SIZE] = LOBBY_VERSION + 1;
         c.SendRaw(login);
       }},
  };
  int n = 0;
  for (const Hostile& h : hostile) {
    SCOPED_TRACE(h.name);
    CRawClient c(server.Port());
    if (h.login) {
      ASSERT_EQ(c.Login(("h" + std::to_string(n++)).c_str()).result, 0);
    }
    if (h.sit) {
      c.SendSeat(LOBBY_SIT, 1, 0);
      ASSERT_EQ(c.Answer(LOBBY_SIT), 0);
    }
    h.act(c);
    EXPECT_TRUE(c.ClosedByServer());
  }
  // The table played on meanwhile, and goes on.
  const uint32_t games = server.Run([&] { return server.Lobby().TableAt(0).GamesPlayed(); });
  EXPECT_TRUE(server.WaitFor([&] { return server.Lobby().TableAt(0).GamesPlayed() > games; }));
  EXPECT_EQ(Faults(server.LoadStats(run)), "");
  for (const std::string& line : server.LogLines()) {
    EXPECT_EQ(line.find('\n'), std::string::npos) << "one line each";
  }
}

// A peer that stops in the middle of a packet, or never logs in, is dropped after the stall
// time (shortened here); one that asks for more than its send queue holds, at once.
TEST(NetServer, StalledPeersAreDropped) {
  tagNetConfig net = FastNet();
  net.stallMs = 150;
  net.maxSendBytes = 16 * 1024;
  CServerThread server(net, Lobby(16));  // a page of the list is 1.8 KiB
  ASSERT_TRUE(server.Started());
  const Bytes half = {54 + 6, 0, MAIN_LOBBY};
  {
    CRawClient c(server.Port());
    ASSERT_EQ(c.Login("slow").result, 0);
    c.SendRaw(half);
    EXPECT_TRUE(c.ClosedByServer());
  }
  {
    CRawClient c(server.Port());  // says nothing at all
    EXPECT_TRUE(c.ClosedByServer());
  }
  CRawClient greedy(server.Port());
  ASSERT_EQ(greedy.Login("greedy").result, 0);
  Bytes lists;
  const Bytes list = {8, 0, MAIN_LOBBY, 0, LOBBY_LIST, 0, 0, 0};
  for (int i = 0; i < 100; ++i) lists.insert(lists.end(), list.begin(), list.end());
  greedy.SendRaw(lists);  // a hundred pages asked for in one go, never read
  EXPECT_TRUE(greedy.ClosedByServer());
  // Why each went, once the server has closed all three.
  std::string reasons;
  server.WaitFor([&] {
    reasons.clear();
    for (const std::string& line : server.LogLines()) {
      const size_t at = line.find(" closed: ");
      if (at != std::string::npos) reasons += line.substr(at + 9) + ";";
    }
    return std::count(reasons.begin(), reasons.end(), ';') == 3;
  });
  EXPECT_EQ(reasons, "stalled in the middle of a packet;no login;send queue full;");
  EXPECT_EQ(server.Run([&] { return server.Lobby().ConnectionCount(); }), 0u);
}

// TLS: players log in and play over TLS, with a throwaway self-signed certificate.
TEST(NetServer, TlsLoginAndPlay) {
  const std::filesystem::path dir =
      std::filesystem::temp_directory_path() / ("torvaly-tls-" + std::to_string(getpid()));
  std::filesystem::create_directories(dir);
  const std::string cert = (dir / "cert.pem").string(), key = (dir / "key.pem").string();
  const std::string make =
      "openssl req -x509 -newkey rsa:2048 -nodes -days 1 -subj /CN=localhost"
      " -addext subjectAltName=IP:127.0.0.1,DNS:localhost -keyout " +
      key + " -out " + cert + " >/dev/null 2>&1";
  ASSERT_EQ(std::system(make.c_str()), 0) << "openssl";
  tagNetConfig net = FastNet();
  net.tlsCert = cert;
  net.tlsKey = key;
  {
    CServerThread server(net, Lobby(1));
    ASSERT_TRUE(server.Started());
    tagLoadConfig players = Players("tls", 0);
    players.tls = true;
    players.caFile = cert;
    const size_t run = server.StartLoad(players);
    EXPECT_TRUE(server.WaitFor([&] { return server.Lobby().TableAt(0).GamesPlayed() >= 1; }));
    const tagLoadStats stats = server.LoadStats(run);
    EXPECT_EQ(stats.logins, 3u);
    EXPECT_EQ(Faults(stats), "");
    // A plain peer at a TLS server gets no further than the handshake.
    CRawClient plain(server.Port());
    plain.SendLogin("plain");
    EXPECT_TRUE(plain.ClosedByServer());
  }
  std::filesystem::remove_all(dir);
}

}  // namespace
