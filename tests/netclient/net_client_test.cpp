// The client at a network table server on 127.0.0.1:0: the transport's framing against a peer
// of the test's own, and the real client (headless, its clock kept twenty times faster than
// real time, as the server's tables run) playing whole games with its check after every
// message: beside two light players, over TLS, cut mid-game and back with its token, given up
// when the server is gone, and watching a chair whose hand it may or may not see.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "headless/NetPlay.h"
#include "platform/win/WinTime.h"
#include "tests/net/net_support.h"
#include "widgets/MyCButtonEx.h"

namespace {

using namespace nettest;

constexpr uint32_t kSpeed = 20;

tagNetConfig FastServer() {
  tagNetConfig net;
  net.bind = "127.0.0.1";
  net.clockSpeed = kSpeed;
  return net;
}

tagLobbyConfig Tables(uint16_t tables) {
  tagLobbyConfig lobby;
  lobby.tables = tables;
  lobby.botsAfterMs = 0;
  lobby.seed = 5;
  return lobby;
}

tagLoadConfig LightPlayers(const char* prefix, uint32_t count, bool allowWatchers = false) {
  tagLoadConfig load;
  load.clients = count;
  load.namePrefix = prefix;
  load.table = 0;
  load.serverClockSpeed = kSpeed;
  load.allowWatchers = allowWatchers;
  return load;
}

// A listening socket of the test's own on 127.0.0.1: the peer a transport connects to.
class CRawServer {
 public:
  CRawServer() {
    m_listen = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(m_listen, reinterpret_cast<sockaddr*>(&addr), sizeof(addr));
    listen(m_listen, 4);
    socklen_t size = sizeof(addr);
    getsockname(m_listen, reinterpret_cast<sockaddr*>(&addr), &size);
    m_port = ntohs(addr.sin_port);
  }
  ~CRawServer() {
    if (m_peer >= 0) close(m_peer);
    close(m_listen);
  }
  uint16_t Port() const { return m_port; }
  void Accept() { m_peer = accept(m_listen, nullptr, nullptr); }
  void Write(const Bytes& bytes) { send(m_peer, bytes.data(), bytes.size(), MSG_NOSIGNAL); }
  void Close() {
    close(m_peer);
    m_peer = -1;
  }
  // Reads n bytes, servicing the transport meanwhile (it moves only when serviced).
  Bytes Read(size_t n, CNetTransport& t) {
    Bytes in(n);
    size_t got = 0;
    const uint64_t guard = GetTickCount64() + kGuardSeconds * 1000;
    while (got < n && GetTickCount64() < guard) {
      t.Wait(5);
      t.Service(GetTickCount64());
      const ssize_t r = recv(m_peer, in.data() + got, n - got, MSG_DONTWAIT);
      if (r == 0) break;
      if (r > 0) got += static_cast<size_t>(r);
    }
    in.resize(got);
    return in;
  }

 private:
  int m_listen = -1;
  int m_peer = -1;
  uint16_t m_port = 0;
};

Bytes Encoded(const tagPacket& packet, PacketDirection direction) {
  uint8_t buffer[PACKET_MAX_SIZE];
  const size_t n = EncodePacket(packet, direction, buffer, sizeof(buffer));
  return Bytes(buffer, buffer + n);
}

// Services the transport until it has `count` packets or is down (a hang fails by the guard).
std::vector<Bytes> ReceiveUntil(CNetTransport& t, size_t count) {
  std::vector<Bytes> packets;
  const uint64_t guard = GetTickCount64() + kGuardSeconds * 1000;
  Bytes p;
  while (packets.size() < count && GetTickCount64() < guard) {
    t.Wait(20);
    t.Service(GetTickCount64());
    while (t.Receive(p)) packets.push_back(p);
    if (!t.Connected()) break;
  }
  return packets;
}

// What the peer writes, cut anywhere, becomes whole packets; a size out of bounds or the end
// of the stream takes the transport down after the packets before it.
TEST(NetTransport, CutsTheStreamIntoPacketsAndGoesDownOnFaults) {
  const Bytes a = Encoded(FramePacket(SUB_CLOSED), PacketDirection::ToClient);
  const uint8_t self[4] = {1, 0, 0, 0};
  const Bytes b = Encoded(FramePacket(SUB_SELF, self, sizeof(self)), PacketDirection::ToClient);
  Bytes both = a;
  both.insert(both.end(), b.begin(), b.end());
  const Bytes tooLarge = {0xFF, 0xFF, 1, 0, 1, 0};
  const Bytes tooSmall = {5, 0, 1, 0, 1, 0};
  const struct {
    const char* what;
    std::vector<Bytes> writes;
    bool closeAfter;
    std::vector<Bytes> packets;
    bool down;
  } cases[] = {
      {"two packets in one write", {both}, false, {a, b}, false},
      {"a packet cut in its header and record",
       {Bytes(b.begin(), b.begin() + 3), Bytes(b.begin() + 3, b.begin() + 7),
        Bytes(b.begin() + 7, b.end())},
       false,
       {b},
       false},
      {"the end after a packet", {a}, true, {a}, true},
      {"a size above the bound", {a, tooLarge}, false, {a}, true},
      {"a size below the header", {tooSmall}, false, {}, true},
      {"the end inside a packet", {Bytes(b.begin(), b.begin() + 8)}, true, {}, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    CRawServer peer;
    CNetTransport t("127.0.0.1", peer.Port(), nullptr, GetTickCount64());
    // Sent while connecting: it goes once the connection is up.
    ASSERT_TRUE(t.Send(a.data(), a.size()));
    const uint64_t guard = GetTickCount64() + kGuardSeconds * 1000;
    while (!t.Up() && t.Connected() && GetTickCount64() < guard) {
      t.Wait(5);
      t.Service(GetTickCount64());
    }
    ASSERT_TRUE(t.Up()) << t.Error();
    peer.Accept();
    EXPECT_EQ(peer.Read(a.size(), t), a);
    for (const Bytes& w : c.writes) peer.Write(w);
    if (c.closeAfter) peer.Close();
    EXPECT_EQ(ReceiveUntil(t, c.down ? SIZE_MAX : c.packets.size()), c.packets);
    EXPECT_EQ(!t.Connected(), c.down) << t.Error();
    EXPECT_FALSE(t.Up() && c.down);
  }
}

// A port nobody listens on (a listener's, closed): an error, not a hang.
TEST(NetTransport, NoServerIsAnErrorNotAHang) {
  uint16_t port = 0;
  {
    CRawServer gone;
    port = gone.Port();
  }
  CNetTransport t("127.0.0.1", port, nullptr, GetTickCount64());
  ReceiveUntil(t, 1);
  EXPECT_FALSE(t.Connected());
  EXPECT_NE(t.Error(), "");
}

// ---- the real client at the server ---------------------------------------------------------

struct tagRun {
  headless::tagSelfPlayTally tally;
  uint32_t drops = 0, returns = 0;
  uint16_t table = LOBBY_ANY;
  NetLinkState state = NetLinkState::Connecting;
  std::vector<std::string> notices;  // the link's, in order
  bool watching = false;
  bool lateReset = false;  // a late auto-play reset reached the client after it pressed start
};

enum class Event {
  None,
  CutMidGame,
  CutBetweenGames,
  ServerGoneMidGame,
  ChangeTable,
  LateReset,
  OtherGoesMidGame,  // the second light player (a run of its own) goes for good
};

// One headless client at the server: it logs in as `name` and sits (or watches), then plays
// `games` games with the check on.
tagRun PlayClient(std::unique_ptr<CServerThread>& server, tagNetLinkConfig config, uint32_t games,
                  Event event = Event::None) {
  tagRun run;
  headless::CHeadlessClient client;
  if (!client.Start()) {
    ADD_FAILURE() << "the client did not start";
    return run;
  }
  config.address.host = config.address.tls ? "localhost" : "127.0.0.1";
  config.address.port = server->Port();
  CNetLink link(config);
  std::string error;
  if (!link.Start(error)) {
    ADD_FAILURE() << error;
    return run;
  }
  link.SetNotice([&](const std::string& text) {
    client.Dialog().Notice(text);
    if (run.notices.empty() || run.notices.back() != text) run.notices.push_back(text);
  });
  {
    headless::CNetPlay play(client, link, 3);
    play.SetSpeed(kSpeed);
    play.SetStopAtDivergence(true);
    bool done = false;
    play.SetStepHook([&] {
      if (done || event == Event::None) return;
      if (event == Event::ChangeTable) {
        // Between the first game and the second: the change-table button.
        if (play.Tally().games == 1 && client.Button("changetable") != nullptr &&
            client.Button("changetable")->isVisible()) {
          done = client.Click("changetable");
        }
        return;
      }
      if (event == Event::LateReset) {
        // After a game the client lost: an auto-play reset goes to the table just before the
        // start button is pressed, so its echo reaches the client once the start has cleared
        // its hand while its chair still holds cards of the last game (as a slow client's
        // reset, sent when it handles the result, reaches the others).
        gcn::MyCButtonEx* start = client.Button("start");
        if (play.Tally().games == 0 || play.View().HandCount() == 0 || start == nullptr ||
            !start->isVisible())
          return;
        const tagCliAutoPlay reset{play.View().Me(), 0, 1};
        uint8_t record[sizeof(tagCliAutoPlay)];
        const size_t n = EncodeCliAutoPlay(reset, record, sizeof(record));
        done = run.lateReset =
            link.SendGameData(CLI_AUTO_PLAY, record, static_cast<WORD>(n)) && client.Click("start");
        return;
      }
      if (event == Event::CutBetweenGames) {
        // After the first result: the chair is freed at once, the client sits down afresh.
        if (play.Tally().games == 1) {
          done = true;
          link.Cut();
        }
        return;
      }
      if (play.View().Phase() != ViewPhase::Playing || play.MessagesSinceScene() < 12) return;
      done = true;
      if (event == Event::CutMidGame) {
        link.Cut();
      } else if (event == Event::OtherGoesMidGame) {
        server->StopLoad(1);
      } else {
        server.reset();
      }
    });
    play.Play(games, kGuardSeconds * 1000);
    run.tally = play.Tally();
    run.watching = play.Watching();
  }
  run.table = link.Place().table;
  run.drops = link.Drops();
  run.returns = link.Returns();
  run.state = link.State();
  client.Stop();
  return run;
}

std::string Failures(const headless::tagSelfPlayTally& t) {
  std::string all;
  for (const std::string& f : t.firstFailures) all += f + "\n";
  return all;
}

// A throwaway certificate for localhost and 127.0.0.1 (made once for the run).
const std::string& Certificate(std::string& key) {
  static std::string cert, keyFile;
  if (cert.empty()) {
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("torvaly-ctls-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    cert = (dir / "cert.pem").string();
    keyFile = (dir / "key.pem").string();
    const std::string make =
        "openssl req -x509 -newkey rsa:2048 -nodes -days 1 -subj /CN=localhost"
        " -addext subjectAltName=IP:127.0.0.1,DNS:localhost -keyout " +
        keyFile + " -out " + cert + " >/dev/null 2>&1";
    if (std::system(make.c_str()) != 0) cert.clear();
  }
  key = keyFile;
  return cert;
}

// The client beside two light players at table 0: whole games checked message by message,
// plainly, over TLS, and cut mid-game (back in its chair with its token, the game goes on).
// Each case is a test of its own (a few seconds of real time each).
struct tagGamesCase {
  const char* what;
  bool tls;
  Event event;
  uint32_t games;
};

class NetClientGames : public testing::TestWithParam<tagGamesCase> {};

INSTANTIATE_TEST_SUITE_P(
    NetClient, NetClientGames,
    testing::Values(
        tagGamesCase{"plain", false, Event::None, 1}, tagGamesCase{"TLS", true, Event::None, 1},
        tagGamesCase{"cut mid-game, back with the token", false, Event::CutMidGame, 1},
        tagGamesCase{"cut between games, seated afresh", false, Event::CutBetweenGames, 2},
        tagGamesCase{"to another table after a game", false, Event::ChangeTable, 2},
        tagGamesCase{"a late auto-play reset after the start", false, Event::LateReset, 3},
        tagGamesCase{"another player gone mid-game, in the result", false, Event::OtherGoesMidGame,
                     1}));

TEST_P(NetClientGames, PlaysWholeGamesChecked) {
  const tagGamesCase& c = GetParam();
  SCOPED_TRACE(c.what);
  tagNetConfig net = FastServer();
  tagNetLinkConfig config;
  config.name = "阿明";
  config.table = 0;
  if (c.tls) {
    std::string key;
    config.caFile = Certificate(key);
    ASSERT_NE(config.caFile, "") << "openssl";
    net.tlsCert = config.caFile;
    net.tlsKey = key;
    config.address.tls = true;
  }
  const bool change = c.event == Event::ChangeTable;
  tagLobbyConfig tables = Tables(change ? 2 : 1);
  if (change) tables.botsAfterMs = 1;  // bots keep the player company at the next table
  auto server = std::make_unique<CServerThread>(net, tables);
  ASSERT_TRUE(server->Started());
  const bool otherGoes = c.event == Event::OtherGoesMidGame;
  tagLoadConfig players = LightPlayers(c.tls ? "tls" : "plain", otherGoes ? 1 : 2);
  players.tls = c.tls;
  players.caFile = config.caFile;
  players.host = c.tls ? "localhost" : "127.0.0.1";
  const size_t load = server->StartLoad(players);
  if (otherGoes) server->StartLoad(LightPlayers("gone", 1));
  const tagRun run = PlayClient(server, config, c.games, c.event);
  const headless::tagSelfPlayTally& t = run.tally;
  EXPECT_EQ(Failures(t), "");
  EXPECT_EQ(t.games, c.games);
  EXPECT_EQ(t.divergences, 0u);
  EXPECT_GT(t.clientMoves, 0u);
  EXPECT_EQ(run.state, NetLinkState::AtTable);
  EXPECT_EQ(run.table, change ? 1 : 0);
  EXPECT_EQ(run.lateReset, c.event == Event::LateReset) << "the client won every game";
  const bool cut = c.event == Event::CutMidGame;
  EXPECT_EQ(run.drops, cut || c.event == Event::CutBetweenGames ? 1u : 0u);
  EXPECT_EQ(run.returns, cut ? 1u : 0u);
  if (cut) {
    EXPECT_EQ(t.returns, 1u) << "the playing scene restored the table";
    EXPECT_GE(t.returnedGames, 1u);
    EXPECT_EQ(run.notices, (std::vector<std::string>{NET_NOTICE_DROPPED, NET_NOTICE_BACK}));
  }
  const tagLoadStats stats = server->LoadStats(load);
  EXPECT_EQ(stats.faults.size(), 0u) << (stats.faults.empty() ? "" : stats.faults[0]);
}

// The server goes away mid-game: the table says the connection is lost, the client tries again
// with growing waits and gives up after its bound, saying so.
TEST(NetClient, GivesUpWhenTheServerIsGone) {
  auto server = std::make_unique<CServerThread>(FastServer(), Tables(1));
  ASSERT_TRUE(server->Started());
  server->StartLoad(LightPlayers("gone", 2));
  tagNetLinkConfig config;
  config.name = "gone";
  config.table = 0;
  config.giveUpMs = 20000;  // virtual: a second of real time
  const tagRun run = PlayClient(server, config, 1, Event::ServerGoneMidGame);
  EXPECT_EQ(run.state, NetLinkState::Ended);
  EXPECT_EQ(run.drops, 1u);
  EXPECT_EQ(run.returns, 0u);
  EXPECT_EQ(run.notices, (std::vector<std::string>{NET_NOTICE_DROPPED, NET_NOTICE_GAVE_UP}));
  EXPECT_EQ(run.tally.divergences, 0u);
  ASSERT_FALSE(run.tally.firstFailures.empty());
  EXPECT_NE(run.tally.firstFailures.back().find("the connection ended"), std::string::npos);
}

// A watcher of chair 1 of a table of three light players sees the hand only when its player
// allows it (the check holds the hand face down otherwise) and never gets the turn's buttons.
TEST(NetClient, WatchesAChair) {
  for (const bool allow : {false, true}) {
    SCOPED_TRACE(allow ? "watchers allowed" : "hand hidden");
    auto server = std::make_unique<CServerThread>(FastServer(), Tables(1));
    ASSERT_TRUE(server->Started());
    const size_t load = server->StartLoad(LightPlayers(allow ? "shown" : "hidden", 3, allow));
    ASSERT_TRUE(server->WaitFor([&] { return server->Lobby().TableAt(0).Seated(1); }));
    tagNetLinkConfig config;
    config.name = "watcher";
    config.watch = true;
    config.watchTable = 0;
    config.watchChair = 1;
    const tagRun run = PlayClient(server, config, 1);
    EXPECT_TRUE(run.watching);
    EXPECT_EQ(Failures(run.tally), "");
    EXPECT_GE(run.tally.games, 1u);  // the light players may end a second game in the last poll
    EXPECT_EQ(run.tally.clientMoves, 0u);
    EXPECT_EQ(run.notices,
              std::vector<std::string>{allow ? NET_NOTICE_WATCHING : NET_NOTICE_WATCHING_HIDDEN});
    EXPECT_EQ(server->LoadStats(load).faults.size(), 0u);
  }
}

// What a link delivers, only as far as its own place goes.
struct tagSelfSink final : ILinkSink {
  bool known = false, lookon = false, allow = false;
  void OnLinkSelf(WORD, bool l, bool a) override { known = true, lookon = l, allow = a; }
  void OnLinkServerAttribute(const tagServerAttribute&) override {}
  void OnLinkUserEnter(const tagUserData&, WORD, bool) override {}
  void OnLinkUserLeave(WORD, bool) override {}
  void OnLinkUserScore(const tagUserData&, WORD, bool) override {}
  void OnLinkUserStatus(const tagUserData&, WORD, bool) override {}
  void OnLinkScene(BYTE, bool, const void*, WORD) override {}
  void OnLinkGameMessage(WORD, const void*, WORD) override {}
  void OnLinkClosed() override {}
};

// The player changes the "allow watchers" option at the table: the watcher of the chair is told
// at once, both ways.
TEST(NetClient, TheAllowWatchersOptionReachesTheWatcher) {
  auto server = std::make_unique<CServerThread>(FastServer(), Tables(1));
  ASSERT_TRUE(server->Started());
  const size_t load = server->StartLoad(LightPlayers("others", 2));
  tagNetLinkConfig config;
  config.address.host = "127.0.0.1";
  config.address.port = server->Port();
  config.name = "player";
  config.table = 0;
  CNetLink player(config);
  tagSelfSink playerSink, watcherSink;
  std::unique_ptr<CNetLink> watcher;
  std::string error;
  ASSERT_TRUE(player.Start(error)) << error;
  const auto pollUntil = [&](auto done) {
    for (int i = 0; i < 1000 && !done(); ++i) {
      player.Poll(playerSink);
      if (watcher) watcher->Poll(watcherSink);
      player.Wait(5);
    }
    return done();
  };
  ASSERT_TRUE(
      pollUntil([&] { return player.State() == NetLinkState::AtTable && playerSink.known; }));
  config.name = "watcher";
  config.watch = true;
  config.watchTable = 0;
  config.watchChair = player.Place().chair;
  watcher = std::make_unique<CNetLink>(config);
  ASSERT_TRUE(watcher->Start(error)) << error;
  ASSERT_TRUE(pollUntil([&] { return watcherSink.known; }));
  EXPECT_TRUE(watcherSink.lookon);
  EXPECT_FALSE(watcherSink.allow);
  for (const bool allow : {true, false}) {
    SCOPED_TRACE(allow ? "allowed" : "taken back");
    EXPECT_TRUE(player.SendAllowWatchers(allow));
    EXPECT_TRUE(pollUntil([&] { return watcherSink.allow == allow; }));
  }
  EXPECT_EQ(server->LoadStats(load).faults.size(), 0u);
}

}  // namespace
