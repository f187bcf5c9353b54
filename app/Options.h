// The command line of `torvaly`: what the player may choose, checked before anything starts.
//
//   --name NAME      the player's name (default: the login name), at most 31 bytes of UTF-8
//   --gender 1|2     1 male, 2 female (default 1)
//   --face N         portrait 0..5 (default 0)
//   --bots LEVEL     the two bots' level: easy, normal or strong; LEVEL,LEVEL names the right
//                    and the left bot apart (default: the options window's, else normal)
//   --seed S         a seed replays the same deals (default: a new one each run)
//   --data DIR       the folder that holds Torvaly/
//   --check-data     try every file of the resource folder, list those it cannot use
//   --size WxH       the window's size (default: the table's own, 1284x748)
//   --fullscreen     start in full screen (F11 switches)
//   --frames N       stop after N frames (tests); --snapshot FILE: save the last frame as PNG
//                    (both read again by the frame, which also reads --data and --headless)
//   --report FILE    write what the table shows, one line per change (for tests and tools)
//   --headless       no window: with --selfplay, --script or --frames only
//   --selfplay N     N games of the client's own play against the bots, in virtual time
//   --check          with --selfplay: the client against the table after every message
//   --script FILE    run a scenario script against the client
//   --connect [tls://]HOST:PORT   play at a network table server instead of the embedded table
//   --ca FILE        with tls://: the authority the server's certificate must come from
//   --table T        with --connect: sit at table T (any chair of it); default any free chair
//   --watch T:C      with --connect: watch chair C of table T instead of sitting
//   --allow-watchers with --connect: watchers of my chair may see my hand
//   --games N        with --headless --connect: play (or watch) N games, then stop
//   --help, --version
// Every option also takes the form --option=value. An unknown option or a bad value is a
// one-line error followed by the usage, exit status 2.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>

#include "link/NetTransport.h"

inline constexpr uint16_t PORTRAIT_COUNT = 6;  // faces 0..5 for either gender
inline constexpr int MIN_WINDOW_WIDTH = 640;
inline constexpr int MIN_WINDOW_HEIGHT = 360;
inline constexpr int MAX_WINDOW_SIDE = 8192;

struct tagAppOptions {
  std::string name;  // valid UTF-8, 1..31 bytes
  uint8_t gender = 1;
  uint16_t face = 0;
  std::string bots[2] = {"normal", "normal"};  // chairs 0 (right) and 2 (left)
  bool botsGiven = false;
  bool seedGiven = false;
  uint64_t seed = 0;
  std::string dataDir;  // empty: the frame looks beside the executable, then the data folder
  int width = 0;        // 0: the size the table asks for
  int height = 0;
  bool fullscreen = false;
  std::string report;  // empty: none
  // The headless modes.
  bool headless = false;
  bool framesGiven = false;
  uint32_t selfplay = 0;  // games; 0: not the self-play mode
  bool check = false;
  bool checkData = false;  // alone (with --data at most): app/DataCheck.h
  std::string script;      // empty: not the script mode
  // Network play.
  std::string connect;  // empty: the embedded table
  tagNetAddress address;
  std::string caFile;
  uint16_t table = 0xFFFF;  // any
  bool watch = false;
  uint16_t watchTable = 0;
  uint16_t watchChair = 0;
  bool allowWatchers = false;
  uint32_t games = 0;       // headless network play
  uint32_t clockSpeed = 1;  // headless network play: virtual ms per real one (tests)
};

inline constexpr uint32_t MAX_SELFPLAY_GAMES = 10000000;
inline constexpr uint32_t MAX_NETWORK_GAMES = 1000000;
inline constexpr uint16_t MAX_NETWORK_TABLE = 4095;
inline constexpr uint32_t MAX_CLOCK_SPEED = 100;

// Reads the command line into `options`. Returns -1 when the program is to run; otherwise
// it has printed what it had to and returns the exit status: 0 after --help (usage on `out`)
// or --version, 2 after an error (one line and the usage on `err`).
int ReadCommandLine(int argc, const char* const* argv, tagAppOptions& options, std::ostream& out,
                    std::ostream& err);

const char* UsageText();
const char* VersionText();  // "torvaly <version>"

// The login name as a player name: cut to 31 bytes at a character boundary; "player" when
// there is none or it is not valid UTF-8.
std::string LoginName();
