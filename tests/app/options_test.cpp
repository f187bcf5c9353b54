// torvaly's command line, and the embedded mode's link built from it.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "app/EmbeddedLink.h"
#include "app/Options.h"
#include "platform/win/WinTime.h"
#include "tests/support/scripted_player.h"

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

// A folder that holds Torvaly/, for --data, removed at the end.
struct DataFolder {
  DataFolder() { std::filesystem::create_directories(std::filesystem::path(path) / "Torvaly"); }
  ~DataFolder() { std::filesystem::remove_all(path); }
  const std::string path =
      (std::filesystem::temp_directory_path() / ("torvaly-options-" + std::to_string(getpid())))
          .string();
};

TEST(Options, AcceptedValues) {
  static DataFolder* data = nullptr;
  DataFolder folder;
  data = &folder;
  const struct {
    std::vector<std::string> args;
    void (*check)(const tagAppOptions&);
  } cases[] = {
      {{},
       [](const tagAppOptions& o) {
         EXPECT_EQ(o.name, LoginName());
         EXPECT_EQ(o.gender, 1);
         EXPECT_EQ(o.face, 0);
         EXPECT_EQ(o.bots, "normal");
         EXPECT_FALSE(o.seedGiven);
         EXPECT_EQ(o.width, 0);
         EXPECT_FALSE(o.fullscreen);
         EXPECT_TRUE(o.dataDir.empty());
       }},
      {{"--name", "阿凯", "--gender", "2", "--face", "5"},
       [](const tagAppOptions& o) {
         EXPECT_EQ(o.name, "阿凯");
         EXPECT_EQ(o.gender, 2);
         EXPECT_EQ(o.face, 5);
       }},
      {{"--name=a b", "--name", "last wins"},
       [](const tagAppOptions& o) { EXPECT_EQ(o.name, "last wins"); }},
      {{"--name", std::string(31, 'x')},
       [](const tagAppOptions& o) { EXPECT_EQ(o.name.size(), 31u); }},
      {{"--bots", "easy"}, [](const tagAppOptions& o) { EXPECT_EQ(o.bots, "easy"); }},
      {{"--seed", "0"},
       [](const tagAppOptions& o) {
         EXPECT_TRUE(o.seedGiven);
         EXPECT_EQ(o.seed, 0u);
       }},
      {{"--seed=18446744073709551615"},
       [](const tagAppOptions& o) { EXPECT_EQ(o.seed, UINT64_MAX); }},
      {{"--size", "1920x1080", "--fullscreen"},
       [](const tagAppOptions& o) {
         EXPECT_EQ(o.width, 1920);
         EXPECT_EQ(o.height, 1080);
         EXPECT_TRUE(o.fullscreen);
       }},
      {{"--size=640x360"}, [](const tagAppOptions& o) { EXPECT_EQ(o.height, 360); }},
      {{"--data", folder.path}, [](const tagAppOptions& o) { EXPECT_EQ(o.dataDir, data->path); }},
      {{"--frames", "3", "--snapshot", "x.png"}, [](const tagAppOptions&) {}},
      {{"--headless", "--frames", "1", "--report", "r.txt"},
       [](const tagAppOptions& o) {
         EXPECT_TRUE(o.headless);
         EXPECT_TRUE(o.framesGiven);
         EXPECT_EQ(o.report, "r.txt");
         EXPECT_EQ(o.selfplay, 0u);
       }},
      {{"--headless", "--selfplay", "25", "--seed", "4", "--check"},
       [](const tagAppOptions& o) {
         EXPECT_EQ(o.selfplay, 25u);
         EXPECT_TRUE(o.check);
         EXPECT_TRUE(o.script.empty());
       }},
      {{"--script=a.tvs", "--headless"},
       [](const tagAppOptions& o) { EXPECT_EQ(o.script, "a.tvs"); }},
  };
  for (const auto& c : cases) {
    const Parsed p = Parse(c.args);
    SCOPED_TRACE(testing::PrintToString(c.args));
    ASSERT_EQ(p.status, -1) << p.err;
    EXPECT_EQ(p.out, "");
    EXPECT_EQ(p.err, "");
    c.check(p.options);
  }
}

TEST(Options, ErrorsAreOneLineThenTheUsageAndStatus2) {
  const struct {
    std::vector<std::string> args;
    const char* error;  // the first line
  } cases[] = {
      {{"--colour", "red"}, "torvaly: unknown option '--colour'"},
      {{"-x"}, "torvaly: unknown option '-x'"},
      {{"table"}, "torvaly: unexpected argument 'table'"},
      {{"--name"}, "torvaly: --name needs a value"},
      {{"--name", "--face", "2"}, "torvaly: --name needs a value"},
      {{"--name", ""}, "torvaly: --name: 1 to 31 bytes of UTF-8 text without control characters"},
      {{"--name", std::string(32, 'x')},
       "torvaly: --name: 1 to 31 bytes of UTF-8 text without control characters"},
      {{"--name", "bad\xC0\x80"},
       "torvaly: --name: 1 to 31 bytes of UTF-8 text without control characters"},
      {{"--name", "tab\there"},
       "torvaly: --name: 1 to 31 bytes of UTF-8 text without control characters"},
      {{"--gender", "3"}, "torvaly: --gender: 1 (male) or 2 (female), not '3'"},
      {{"--gender", "0"}, "torvaly: --gender: 1 (male) or 2 (female), not '0'"},
      {{"--face", "6"}, "torvaly: --face: a portrait from 0 to 5, not '6'"},
      {{"--face", "-1"}, "torvaly: --face: a portrait from 0 to 5, not '-1'"},
      {{"--face", "1.5"}, "torvaly: --face: a portrait from 0 to 5, not '1.5'"},
      {{"--bots", "hard"}, "torvaly: --bots: easy or normal, not 'hard'"},
      {{"--seed", "18446744073709551616"},
       "torvaly: --seed: a whole number from 0 to 18446744073709551615, not "
       "'18446744073709551616'"},
      {{"--seed", "+5"},
       "torvaly: --seed: a whole number from 0 to 18446744073709551615, not '+5'"},
      {{"--size", "800"}, "torvaly: --size: WIDTHxHEIGHT from 640x360 to 8192x8192, not '800'"},
      {{"--size", "639x480"},
       "torvaly: --size: WIDTHxHEIGHT from 640x360 to 8192x8192, not '639x480'"},
      {{"--size", "800x600x2"},
       "torvaly: --size: WIDTHxHEIGHT from 640x360 to 8192x8192, not '800x600x2'"},
      {{"--data", "/nonexistent/torvaly"},
       "torvaly: --data: '/nonexistent/torvaly' holds no Torvaly folder"},
      {{"--fullscreen=yes"}, "torvaly: --fullscreen takes no value"},
      {{"--frames", "many"}, "torvaly: --frames: a number of frames, not 'many'"},
      {{"--headless", "--selfplay", "0"},
       "torvaly: --selfplay: a number of games from 1 to 10000000, not '0'"},
      {{"--headless", "--selfplay", "2", "--script", "a.tvs"},
       "torvaly: --selfplay and --script are two modes: choose one"},
      {{"--check"}, "torvaly: --check goes with --selfplay"},
      {{"--selfplay", "2"}, "torvaly: --selfplay runs without a window: add --headless"},
      {{"--headless"},
       "torvaly: --headless needs --selfplay, --script or --frames (there is no window to "
       "close)"},
      {{"--report", ""}, "torvaly: --report: a file name"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.args));
    const Parsed p = Parse(c.args);
    EXPECT_EQ(p.status, 2);
    EXPECT_EQ(p.out, "");
    EXPECT_EQ(p.err, std::string(c.error) + "\n" + UsageText());
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
  for (const char* option : {"--name", "--gender", "--face", "--bots", "--seed", "--data", "--size",
                             "--fullscreen", "--help", "--version"}) {
    EXPECT_NE(std::string(UsageText()).find(option), std::string::npos) << option;
  }
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
      o.name = "me";
      o.gender = gender;
      o.face = face;
      tagLobbyUser users[SEAT_COUNT];
      MakeLobbyUsers(o, users);
      EXPECT_STREQ(users[PLAYER_CHAIR].name, "me");
      for (uint16_t c = 0; c < SEAT_COUNT; ++c) {
        EXPECT_LT(users[c].faceId, PORTRAIT_COUNT);
        EXPECT_TRUE(users[c].gender == 1 || users[c].gender == 2);
        if (c == PLAYER_CHAIR) continue;
        EXPECT_FALSE(users[c].gender == gender && users[c].faceId == face) << int(c);
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
  o.bots = "easy";
  o.seedGiven = true;
  o.seed = 99;
  EXPECT_EQ(TableSeed(o), 99u);
  std::unique_ptr<CInProcessLink> link = MakeEmbeddedLink(o);
  ASSERT_NE(link, nullptr);
  testsupport::CScriptedPlayer player;
  link->Poll(player);
  ASSERT_GE(player.Events().size(), 6u);
  EXPECT_EQ(player.Events()[0].chairOrId, PLAYER_CHAIR);
  const tagUserData& me = player.Events()[2 + PLAYER_CHAIR].user;
  EXPECT_STREQ(me.szName, "Ana");
  EXPECT_EQ(me.cbGender, 2);
  EXPECT_EQ(me.wFaceID, 3);
  // Everybody starts with a purse, so every seat's gold shows from the first game on.
  for (uint16_t c = 0; c < SEAT_COUNT; ++c)
    EXPECT_EQ(player.Events()[2 + c].user.lScore, START_GOLD) << "chair " << c;
  // The bots move after a human-like pause: the gap before a bot's play or pass.
  struct Gaps : ITableObserver {
    void OnDelivered(uint16_t chair, uint16_t id, const uint8_t* data, size_t) override {
      if (chair != PLAYER_CHAIR) return;
      const uint64_t now = GetTickCount64();
      const uint16_t actor = id == SRV_PLAY   ? uint16_t(data[4] | data[5] << 8)
                             : id == SRV_PASS ? uint16_t(data[2] | data[3] << 8)
                                              : NO_CHAIR;
      if (actor != NO_CHAIR && actor != PLAYER_CHAIR) gaps.push_back(now - last);
      last = now;
    }
    uint64_t last = 0;
    std::vector<uint64_t> gaps;
  } gaps;
  link->Host().SetObserver(&gaps);
  for (int i = 0; i < 20000 && player.Results() == 0; ++i) {
    player.Act(*link, GetTickCount64());
    const uint64_t now = GetTickCount64();
    const uint64_t next = link->NextEventMs();
    if (next > now && next != LINK_NEVER) clock.Advance(next - now);
    link->Poll(player);
  }
  EXPECT_EQ(player.Results(), 1u);
  ASSERT_GT(gaps.gaps.size(), 5u);
  for (uint64_t gap : gaps.gaps) {
    EXPECT_GE(gap, BOT_DELAY_MIN_MS);
    EXPECT_LE(gap, BOT_DELAY_MAX_MS + NEW_TURN_PAUSE_MS);
  }

  o.bots = "grandmaster";
  EXPECT_EQ(MakeEmbeddedLink(o), nullptr);
}

}  // namespace
