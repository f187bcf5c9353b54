// torvaly's command line, and the embedded mode's link built from it.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "app/EmbeddedLink.h"
#include "app/Options.h"
#include "headless/ScriptedPlayer.h"
#include "platform/win/WinTime.h"

namespace {

struct Parsed {
  int status;
  tagAppOptions options;
  std::string out, err;
};

Parsed Parse(std::vector<std::string> args) {
  args.insert(args.begin(), "torvaly");
  std::vector<const char*> argv;
  for (const std::string& a : args) argv.push_back(a.c_str());
  Parsed p;
  std::ostringstream out, err;
  p.status = ReadCommandLine(int(argv.size()), argv.data(), p.options, out, err);
  p.out = out.str();
  p.err = err.str();
  return p;
}

// Each accepted command line against what it sets (a check reads only what its line gives).
TEST(Options, AcceptedValues) {
  const std::string data = TORVALY_ASSETS_DIR;  // the repository's assets/ holds Torvaly/
  const struct {
    std::vector<std::string> args;
    bool (*check)(const tagAppOptions&);
  } cases[] = {
      {{"--name", "阿凯", "--gender", "2", "--face", "5"},
       [](const tagAppOptions& o) { return o.name == "阿凯" && o.gender == 2 && o.face == 5; }},
      {{"--name=a b", "--name", "last wins"},
       [](const tagAppOptions& o) { return o.name == "last wins"; }},
      {{"--name", std::string(31, 'x')},
       [](const tagAppOptions& o) { return o.name.size() == 31; }},
      {{"--bots", "easy", "--seed", "0"},
       [](const tagAppOptions& o) {
         return o.bots[0] == "easy" && o.bots[1] == "easy" && o.botsGiven && o.seedGiven &&
                o.seed == 0;
       }},
      {{"--bots", "strong,easy"},
       [](const tagAppOptions& o) { return o.bots[0] == "strong" && o.bots[1] == "easy"; }},
      {{}, [](const tagAppOptions& o) { return o.bots[0] == "normal" && !o.botsGiven; }},
      {{"--seed=18446744073709551615"},
       [](const tagAppOptions& o) { return o.seed == UINT64_MAX; }},
      {{"--size", "1920x1080", "--fullscreen"},
       [](const tagAppOptions& o) { return o.width == 1920 && o.height == 1080 && o.fullscreen; }},
      {{"--size=640x360", "--data", data},
       [](const tagAppOptions& o) { return o.height == 360 && !o.dataDir.empty(); }},
      {{"--headless", "--frames", "1", "--snapshot", "x.png", "--report", "r.txt"},
       [](const tagAppOptions& o) { return o.headless && o.framesGiven && o.report == "r.txt"; }},
      {{"--headless", "--selfplay", "25", "--check"},
       [](const tagAppOptions& o) { return o.selfplay == 25 && o.check; }},
      {{"--script=a.tvs", "--headless"},
       [](const tagAppOptions& o) { return o.script == "a.tvs"; }},
      {{"--connect", "tls://[::1]:7000", "--table", "4095", "--allow-watchers"},
       [](const tagAppOptions& o) {
         return o.address.tls && o.address.host == "::1" && o.address.port == 7000 &&
                o.table == 4095 && o.allowWatchers;
       }},
      {{"--connect=example.org:1", "--watch", "3:2"},
       [](const tagAppOptions& o) {
         return o.address.host == "example.org" && o.address.port == 1 && !o.address.tls &&
                o.watch && o.watchTable == 3 && o.watchChair == 2;
       }},
      {{"--headless", "--connect", "h:65535", "--games", "2", "--check"},
       [](const tagAppOptions& o) { return o.headless && o.games == 2 && o.check; }},
  };
  for (const auto& c : cases) {
    const Parsed p = Parse(c.args);
    SCOPED_TRACE(testing::PrintToString(c.args));
    ASSERT_EQ(p.status, -1) << p.err;
    EXPECT_EQ(p.out + p.err, "");
    EXPECT_TRUE(c.check(p.options));
  }
}

// A bad command line is one line naming what is wrong, then the usage, and exit status 2.
TEST(Options, ErrorsAreOneLineThenTheUsageAndStatus2) {
  const struct {
    std::vector<std::string> args;
    const char* says;  // within the first line
  } cases[] = {
      {{"--colour", "red"}, "unknown option '--colour'"},
      {{"-x"}, "unknown option '-x'"},
      {{"table"}, "unexpected argument 'table'"},
      {{"--name"}, "--name needs a value"},
      {{"--name", "--face", "2"}, "--name needs a value"},
      {{"--name", ""}, "--name: 1 to 31 bytes"},
      {{"--name", std::string(32, 'x')}, "--name: 1 to 31 bytes"},
      {{"--name", "bad\xC0\x80"}, "--name: 1 to 31 bytes"},
      {{"--name", "tab\there"}, "--name: 1 to 31 bytes"},
      {{"--gender", "3"}, "--gender: 1 (male) or 2 (female), not '3'"},
      {{"--face", "6"}, "--face: a portrait from 0 to 5, not '6'"},
      {{"--face", "1.5"}, "not '1.5'"},
      {{"--bots", "hard"},
       "--bots: easy, normal or strong, or two of them as LEVEL,LEVEL, not 'hard'"},
      {{"--bots", "easy,"}, "not 'easy,'"},
      {{"--bots", "easy,normal,strong"}, "not 'easy,normal,strong'"},
      {{"--seed", "18446744073709551616"}, "--seed: a whole number"},
      {{"--seed", "+5"}, "not '+5'"},
      {{"--size", "800"}, "--size: WIDTHxHEIGHT from 640x360 to 8192x8192, not '800'"},
      {{"--size", "800x600x2"}, "not '800x600x2'"},
      {{"--data", "/nonexistent/torvaly"}, "'/nonexistent/torvaly' holds no Torvaly folder"},
      {{"--fullscreen=yes"}, "--fullscreen takes no value"},
      {{"--frames", "many"}, "--frames: a number of frames, not 'many'"},
      {{"--headless", "--selfplay", "0"}, "--selfplay: a number of games from 1 to 10000000"},
      {{"--headless", "--selfplay", "2", "--script", "a.tvs"}, "two modes: choose one"},
      {{"--check"}, "--check goes with --selfplay"},
      {{"--selfplay", "2"}, "--selfplay runs without a window: add --headless"},
      {{"--headless"}, "--headless needs --selfplay, --script or --frames"},
      {{"--report", ""}, "--report: a file name"},
      {{"--connect", "host"}, "--connect: HOST:PORT, or tls://HOST:PORT, not 'host'"},
      {{"--connect", "h:0"}, "--connect: a port from 1 to 65535, not '0'"},
      {{"--connect", "h:65536"}, "not '65536'"},
      {{"--connect", ":7000"}, "a host name or address before the ':'"},
      {{"--connect", "::1:7000"}, "an IPv6 address is written [ADDRESS]:PORT"},
      {{"--connect", "[::1]7000"}, "an IPv6 address is written [ADDRESS]:PORT"},
      {{"--connect", "a b:7000"}, "'a b' is no host name or address"},
      {{"--connect", "h:1", "--table", "4096"}, "--table: a table from 0 to 4095"},
      {{"--connect", "h:1", "--watch", "1"}, "--watch: TABLE:CHAIR"},
      {{"--connect", "h:1", "--watch", "1:3"}, "not '1:3'"},
      {{"--connect", "h:1", "--watch", "1:2", "--table", "1"}, "sit or watch, not both"},
      {{"--connect", "h:1", "--ca", "/nonexistent.pem"}, "--ca: '/nonexistent.pem' is no file"},
      {{"--connect", "h:1", "--ca", TORVALY_ASSETS_DIR "/LICENSES.md"},
       "--ca goes with a tls:// address"},
      {{"--table", "1"}, "--table goes with --connect"},
      {{"--games", "1", "--headless"}, "--games goes with --connect"},
      {{"--connect", "h:1", "--bots", "easy"}, "--bots: the server seats its own bots"},
      {{"--connect", "h:1", "--headless", "--selfplay", "1"}, "not with --selfplay or --script"},
      {{"--connect", "h:1", "--headless"}, "--headless --connect needs --games N or --frames N"},
      {{"--connect", "h:1", "--headless", "--games", "1", "--frames", "9"}, "not both"},
      {{"--connect", "h:1", "--games", "1"}, "--games runs without a window: add --headless"},
      {{"--connect", "h:1", "--check"}, "--check goes with --selfplay or --headless --connect"},
      {{"--connect", "h:1", "--headless", "--games", "0"}, "--games: a number of games from 1"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.args));
    const Parsed p = Parse(c.args);
    EXPECT_EQ(p.status, 2);
    EXPECT_EQ(p.out, "");
    const size_t end = p.err.find('\n');
    EXPECT_EQ(p.err.rfind("torvaly: ", 0), 0u);
    EXPECT_NE(p.err.substr(0, end).find(c.says), std::string::npos) << p.err.substr(0, end);
    EXPECT_EQ(p.err.substr(end + 1), UsageText());
  }
}

TEST(Options, HelpAndVersion) {
  Parsed p = Parse({"--name", "x", "--help", "--bogus"});
  EXPECT_EQ(p.status, 0);
  EXPECT_EQ(p.out, UsageText());
  EXPECT_EQ(p.err, "");
  p = Parse({"--version"});
  EXPECT_EQ(p.status, 0);
  EXPECT_EQ(p.out, std::string(VersionText()) + "\n");
  EXPECT_EQ(std::string(VersionText()).rfind("torvaly ", 0), 0u);
}

TEST(Options, TheLoginNameIsAPlayerName) {
  const std::string name = LoginName();
  EXPECT_FALSE(name.empty());
  EXPECT_LT(name.size(), LINK_NAME_SIZE);
  EXPECT_TRUE(IsValidUtf8(name.data(), name.size()));
}

TEST(EmbeddedLink, BotsNeverWearThePlayersPortrait) {
  for (uint8_t gender : {1, 2}) {
    for (uint16_t face = 0; face < PORTRAIT_COUNT; ++face) {
      tagAppOptions o;
      o.gender = gender;
      o.face = face;
      tagLobbyUser users[SEAT_COUNT];
      MakeLobbyUsers(o, users);
      for (uint16_t c = 0; c < SEAT_COUNT; ++c) {
        EXPECT_TRUE(users[c].faceId < PORTRAIT_COUNT &&
                    (users[c].gender == 1 || users[c].gender == 2));
        EXPECT_TRUE(c == PLAYER_CHAIR || users[c].gender != gender || users[c].faceId != face);
      }
    }
  }
}

TEST(EmbeddedLink, SeatsThePlayerAmongTwoBotsOfTheChosenLevel) {
  CScopedManualClock clock(10'000'000);
  tagAppOptions o;
  o.name = "Ana";
  o.gender = 2;
  o.face = 3;
  o.bots[0] = "easy";
  o.bots[1] = "strong";
  o.seedGiven = true;
  o.seed = 99;
  EXPECT_EQ(TableSeed(o), 99u);
  std::unique_ptr<CInProcessLink> link = MakeEmbeddedLink(o);
  ASSERT_NE(link, nullptr);
  headless::CScriptedPlayer player;
  link->Poll(player);
  ASSERT_GE(player.Events().size(), 6u);
  EXPECT_EQ(player.Events()[0].chairOrId, PLAYER_CHAIR);
  const tagUserData& me = player.Events()[2 + PLAYER_CHAIR].user;
  EXPECT_TRUE(std::string(me.szName) == "Ana" && me.cbGender == 2 && me.wFaceID == 3);
  // Everybody starts with a purse, so every seat's gold shows from the first game on.
  for (uint16_t c = 0; c < SEAT_COUNT; ++c)
    EXPECT_EQ(player.Events()[2 + c].user.lScore, START_GOLD) << "chair " << c;
  o.bots[1] = "grandmaster";
  EXPECT_EQ(MakeEmbeddedLink(o), nullptr);
}

}  // namespace
