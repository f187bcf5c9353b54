#include "app/Options.h"

#include <pwd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <ostream>
#include <string_view>

#include "link/Packet.h"
#include "platform/frame/Brisvane.h"
#include "server/bots/Bot.h"

#ifndef TORVALY_VERSION
#define TORVALY_VERSION "0"
#endif

namespace {

// A number of decimal digits only, within [low, high].
bool ReadNumber(std::string_view text, uint64_t low, uint64_t high, uint64_t& out) {
  if (text.empty() || text.size() > 20) return false;
  uint64_t v = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    const uint64_t digit = static_cast<uint64_t>(c - '0');
    if (v > (UINT64_MAX - digit) / 10) return false;
    v = v * 10 + digit;
  }
  if (v < low || v > high) return false;
  out = v;
  return true;
}

bool IsPrintableName(std::string_view name) {
  for (unsigned char c : name) {
    if (c < 0x20 || c == 0x7F) return false;
  }
  return IsValidUtf8(name.data(), name.size());
}

// Each option checks its value and stores it; false with `error` set when the value is bad.
using Apply = bool (*)(std::string_view value, tagAppOptions& o, std::string& error);

struct tagOption {
  const char* name;
  bool takesValue;
  Apply apply;
};

bool ApplyName(std::string_view v, tagAppOptions& o, std::string& error) {
  if (v.empty() || v.size() >= LINK_NAME_SIZE || !IsPrintableName(v)) {
    error = "--name: 1 to " + std::to_string(LINK_NAME_SIZE - 1) +
            " bytes of UTF-8 text without control characters";
    return false;
  }
  o.name = std::string(v);
  return true;
}

bool ApplyGender(std::string_view v, tagAppOptions& o, std::string& error) {
  uint64_t n = 0;
  if (!ReadNumber(v, GENDER_MALE, GENDER_FEMALE, n)) {
    error = "--gender: 1 (male) or 2 (female), not '" + std::string(v) + "'";
    return false;
  }
  o.gender = static_cast<uint8_t>(n);
  return true;
}

bool ApplyFace(std::string_view v, tagAppOptions& o, std::string& error) {
  uint64_t n = 0;
  if (!ReadNumber(v, 0, PORTRAIT_COUNT - 1, n)) {
    error = "--face: a portrait from 0 to " + std::to_string(PORTRAIT_COUNT - 1) + ", not '" +
            std::string(v) + "'";
    return false;
  }
  o.face = static_cast<uint16_t>(n);
  return true;
}

// One level for both bots, or two apart: "strong" or "easy,normal".
bool ApplyBots(std::string_view v, tagAppOptions& o, std::string& error) {
  const size_t comma = v.find(',');
  const std::string_view first = v.substr(0, comma);
  const std::string_view second = comma == std::string_view::npos ? v : v.substr(comma + 1);
  if (!MakeBot(first) || !MakeBot(second)) {
    error = "--bots: easy, normal or strong, or two of them as LEVEL,LEVEL, not '" +
            std::string(v) + "'";
    return false;
  }
  o.bots[0] = std::string(first);
  o.bots[1] = std::string(second);
  o.botsGiven = true;
  return true;
}

bool ApplySeed(std::string_view v, tagAppOptions& o, std::string& error) {
  if (!ReadNumber(v, 0, UINT64_MAX, o.seed)) {
    error = "--seed: a whole number from 0 to " + std::to_string(UINT64_MAX) + ", not '" +
            std::string(v) + "'";
    return false;
  }
  o.seedGiven = true;
  return true;
}

bool ApplyData(std::string_view v, tagAppOptions& o, std::string& error) {
  std::error_code ec;
  const std::filesystem::path dir{std::string(v)};
  if (v.empty() || !std::filesystem::is_directory(dir / "Torvaly", ec)) {
    error = "--data: '" + std::string(v) + "' holds no Torvaly folder";
    return false;
  }
  o.dataDir = std::string(v);
  return true;
}

bool ApplySize(std::string_view v, tagAppOptions& o, std::string& error) {
  const size_t x = v.find('x');
  uint64_t w = 0, h = 0;
  if (x == std::string_view::npos ||
      !ReadNumber(v.substr(0, x), MIN_WINDOW_WIDTH, MAX_WINDOW_SIDE, w) ||
      !ReadNumber(v.substr(x + 1), MIN_WINDOW_HEIGHT, MAX_WINDOW_SIDE, h)) {
    error = "--size: WIDTHxHEIGHT from " + std::to_string(MIN_WINDOW_WIDTH) + "x" +
            std::to_string(MIN_WINDOW_HEIGHT) + " to " + std::to_string(MAX_WINDOW_SIDE) + "x" +
            std::to_string(MAX_WINDOW_SIDE) + ", not '" + std::string(v) + "'";
    return false;
  }
  o.width = static_cast<int>(w);
  o.height = static_cast<int>(h);
  return true;
}

bool ApplyFullscreen(std::string_view, tagAppOptions& o, std::string&) {
  o.fullscreen = true;
  return true;
}

// Read again by the frame; checked here so that a typo is not silently ignored.
bool ApplyFrames(std::string_view v, tagAppOptions& o, std::string& error) {
  uint64_t n = 0;
  if (!ReadNumber(v, 0, 1000000000, n)) {
    error = "--frames: a number of frames, not '" + std::string(v) + "'";
    return false;
  }
  o.framesGiven = n != 0;
  return true;
}

bool ApplyReport(std::string_view v, tagAppOptions& o, std::string& error) {
  if (v.empty()) {
    error = "--report: a file name";
    return false;
  }
  o.report = std::string(v);
  return true;
}

bool ApplyHeadless(std::string_view, tagAppOptions& o, std::string&) {
  o.headless = true;
  return true;
}

bool ApplySelfplay(std::string_view v, tagAppOptions& o, std::string& error) {
  uint64_t n = 0;
  if (!ReadNumber(v, 1, MAX_SELFPLAY_GAMES, n)) {
    error = "--selfplay: a number of games from 1 to " + std::to_string(MAX_SELFPLAY_GAMES) +
            ", not '" + std::string(v) + "'";
    return false;
  }
  o.selfplay = static_cast<uint32_t>(n);
  return true;
}

bool ApplyCheck(std::string_view, tagAppOptions& o, std::string&) {
  o.check = true;
  return true;
}

bool ApplyCheckData(std::string_view, tagAppOptions& o, std::string&) {
  o.checkData = true;
  return true;
}

bool ApplyScript(std::string_view v, tagAppOptions& o, std::string& error) {
  if (v.empty()) {
    error = "--script: a file name";
    return false;
  }
  o.script = std::string(v);
  return true;
}

bool ApplyConnect(std::string_view v, tagAppOptions& o, std::string& error) {
  std::string why;
  if (!ParseNetAddress(v, o.address, why)) {
    error = "--connect: " + why + ", not '" + std::string(v) + "'";
    return false;
  }
  o.connect = std::string(v);
  return true;
}

bool ApplyCa(std::string_view v, tagAppOptions& o, std::string& error) {
  std::error_code ec;
  if (v.empty() || !std::filesystem::is_regular_file(std::string(v), ec)) {
    error = "--ca: '" + std::string(v) + "' is no file";
    return false;
  }
  o.caFile = std::string(v);
  return true;
}

bool ApplyTable(std::string_view v, tagAppOptions& o, std::string& error) {
  uint64_t n = 0;
  if (!ReadNumber(v, 0, MAX_NETWORK_TABLE, n)) {
    error = "--table: a table from 0 to " + std::to_string(MAX_NETWORK_TABLE) + ", not '" +
            std::string(v) + "'";
    return false;
  }
  o.table = static_cast<uint16_t>(n);
  return true;
}

bool ApplyWatch(std::string_view v, tagAppOptions& o, std::string& error) {
  const size_t colon = v.find(':');
  uint64_t table = 0, chair = 0;
  if (colon == std::string_view::npos ||
      !ReadNumber(v.substr(0, colon), 0, MAX_NETWORK_TABLE, table) ||
      !ReadNumber(v.substr(colon + 1), 0, SEAT_COUNT - 1, chair)) {
    error = "--watch: TABLE:CHAIR, a table from 0 to " + std::to_string(MAX_NETWORK_TABLE) +
            " and a chair from 0 to " + std::to_string(SEAT_COUNT - 1) + ", not '" +
            std::string(v) + "'";
    return false;
  }
  o.watch = true;
  o.watchTable = static_cast<uint16_t>(table);
  o.watchChair = static_cast<uint16_t>(chair);
  return true;
}

bool ApplyAllowWatchers(std::string_view, tagAppOptions& o, std::string&) {
  o.allowWatchers = true;
  return true;
}

bool ApplyGames(std::string_view v, tagAppOptions& o, std::string& error) {
  uint64_t n = 0;
  if (!ReadNumber(v, 1, MAX_NETWORK_GAMES, n)) {
    error = "--games: a number of games from 1 to " + std::to_string(MAX_NETWORK_GAMES) +
            ", not '" + std::string(v) + "'";
    return false;
  }
  o.games = static_cast<uint32_t>(n);
  return true;
}

bool ApplyClockSpeed(std::string_view v, tagAppOptions& o, std::string& error) {
  uint64_t n = 0;
  if (!ReadNumber(v, 1, MAX_CLOCK_SPEED, n)) {
    error = "--clock-speed: from 1 to " + std::to_string(MAX_CLOCK_SPEED) + ", not '" +
            std::string(v) + "'";
    return false;
  }
  o.clockSpeed = static_cast<uint32_t>(n);
  return true;
}

// The network options together; false with `error` set when they do not fit.
bool CheckNetwork(const tagAppOptions& o, bool botsGiven, std::string& error) {
  const bool net = !o.connect.empty();
  if (!net) {
    const char* stray = !o.caFile.empty()   ? "--ca"
                        : o.table != 0xFFFF ? "--table"
                        : o.watch           ? "--watch"
                        : o.allowWatchers   ? "--allow-watchers"
                        : o.games != 0      ? "--games"
                        : o.clockSpeed != 1 ? "--clock-speed"
                                            : nullptr;
    if (stray == nullptr) return true;
    error = std::string(stray) + " goes with --connect";
  } else if (o.selfplay != 0 || !o.script.empty()) {
    error = "--connect plays at a server: not with --selfplay or --script";
  } else if (botsGiven) {
    error = "--bots: the server seats its own bots";
  } else if (!o.caFile.empty() && !o.address.tls) {
    error = "--ca goes with a tls:// address";
  } else if (o.watch && o.table != 0xFFFF) {
    error = "--table and --watch: sit or watch, not both";
  } else if (o.headless && o.games == 0 && !o.framesGiven) {
    error = "--headless --connect needs --games N or --frames N (there is no window to close)";
  } else if (o.games != 0 && !o.headless) {
    error = "--games runs without a window: add --headless";
  } else if (o.clockSpeed != 1 && o.games == 0) {
    error = "--clock-speed goes with --headless --connect ADDRESS --games N";
  } else if (o.games != 0 && o.framesGiven) {
    error = "--games and --frames: play games or draw frames, not both";
  } else {
    return true;
  }
  return false;
}

// What the options say together; false with `error` set when they do not fit.
bool CheckModes(const tagAppOptions& o, std::string& error) {
  if (o.checkData && (o.headless || o.framesGiven || o.selfplay != 0 || !o.script.empty() ||
                      !o.connect.empty() || o.check)) {
    error = "--check-data runs on its own (with --data DIR at most)";
    return false;
  }
  if (!o.connect.empty()) {
    if (o.check && !o.headless) {
      error = "--check goes with --selfplay or --headless --connect";
      return false;
    }
    return true;
  }
  if (o.selfplay != 0 && !o.script.empty()) {
    error = "--selfplay and --script are two modes: choose one";
  } else if (o.check && o.selfplay == 0) {
    error = "--check goes with --selfplay";
  } else if ((o.selfplay != 0 || !o.script.empty()) && !o.headless) {
    error = std::string(o.selfplay != 0 ? "--selfplay" : "--script") +
            " runs without a window: add --headless";
  } else if (o.headless && o.selfplay == 0 && o.script.empty() && !o.framesGiven) {
    error = "--headless needs --selfplay, --script or --frames (there is no window to close)";
  } else {
    return true;
  }
  return false;
}

bool ApplySnapshot(std::string_view v, tagAppOptions&, std::string& error) {
  if (v.empty()) {
    error = "--snapshot: a file name";
    return false;
  }
  return true;
}

constexpr tagOption kOptions[] = {
    {"--name", true, ApplyName},
    {"--gender", true, ApplyGender},
    {"--face", true, ApplyFace},
    {"--bots", true, ApplyBots},
    {"--seed", true, ApplySeed},
    {"--data", true, ApplyData},
    {"--size", true, ApplySize},
    {"--fullscreen", false, ApplyFullscreen},
    {"--frames", true, ApplyFrames},
    {"--snapshot", true, ApplySnapshot},
    {"--report", true, ApplyReport},
    {"--headless", false, ApplyHeadless},
    {"--selfplay", true, ApplySelfplay},
    {"--check", false, ApplyCheck},
    {"--check-data", false, ApplyCheckData},
    {"--script", true, ApplyScript},
    {"--connect", true, ApplyConnect},
    {"--ca", true, ApplyCa},
    {"--table", true, ApplyTable},
    {"--watch", true, ApplyWatch},
    {"--allow-watchers", false, ApplyAllowWatchers},
    {"--games", true, ApplyGames},
    {"--clock-speed", true, ApplyClockSpeed},
};

int Fail(std::ostream& err, const std::string& error) {
  err << "torvaly: " << error << "\n" << UsageText();
  return 2;
}

}  // namespace

const char* UsageText() {
  return "Usage: torvaly [options]\n"
         "The three-seat climbing card game: a window with the table, you against two bots\n"
         "of a table in this program, or at a network table server (--connect). F2 opens\n"
         "the options, F3 switches the sound, F11 full screen. The profile is kept in\n"
         "$XDG_CONFIG_HOME/torvaly/ (default ~/.config/torvaly/).\n"
         "\n"
         "  --name NAME      your name at the table (default: your login name)\n"
         "  --gender 1|2     1 male, 2 female (default 1)\n"
         "  --face N         your portrait, 0 to 5 (default 0)\n"
         "  --bots LEVEL     the two bots: easy, normal or strong; LEVEL,LEVEL for the right\n"
         "                   and the left one (default: the options window's, else normal)\n"
         "  --seed S         replay the same deals (default: new deals each run)\n"
         "  --data DIR       the folder that holds Torvaly/ (default: beside the program,\n"
         "                   else ../share/torvaly/ from its folder)\n"
         "  --check-data     try every file of the resource folder; list those that\n"
         "                   cannot be used (exit status 1 when there are any)\n"
         "  --size WxH       the window's size (default 1284x748)\n"
         "  --fullscreen     start in full screen; F11 switches\n"
         "  --frames N       stop after N frames; --snapshot FILE saves the last one\n"
         "  --report FILE    write what the table shows, a line per change (for tests)\n"
         "  --headless --selfplay N [--seed S] [--check]\n"
         "                   play N games against the bots without a window, in virtual\n"
         "                   time; --check holds the client against the table throughout\n"
         "  --headless --script FILE\n"
         "                   run a scenario script against the client (docs/scenario.md)\n"
         "  --connect [tls://]HOST:PORT\n"
         "                   play at a network table server (torvaly-server --port)\n"
         "                   instead of the table in this program; tls:// checks the\n"
         "                   server's certificate and name (--ca FILE: its authority,\n"
         "                   else the system's)\n"
         "  --table T        with --connect: sit at table T (default: any free chair)\n"
         "  --watch T:C      with --connect: watch chair C (0 to 2) of table T\n"
         "  --allow-watchers with --connect: watchers of your chair see your hand\n"
         "  --headless --connect ADDRESS --games N [--check]\n"
         "                   play (or watch) N games at the server without a window;\n"
         "                   --check holds the client against what its chair was told;\n"
         "                   --clock-speed N: its clock N times real time, to match a\n"
         "                   server started with the same (tests)\n"
         "  --help           this text\n"
         "  --version        the program's version\n";
}

const char* VersionText() { return "torvaly " TORVALY_VERSION; }

int ReadCommandLine(int argc, const char* const* argv, tagAppOptions& options, std::ostream& out,
                    std::ostream& err) {
  tagAppOptions o;
  bool nameGiven = false;
  bool botsGiven = false;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i] ? argv[i] : "";
    if (arg == "--help" || arg == "-h") {
      out << UsageText();
      return 0;
    }
    if (arg == "--version") {
      out << VersionText() << "\n";
      return 0;
    }
    const size_t equals = arg.find('=');
    const std::string_view key = arg.substr(0, equals);
    const tagOption* option = nullptr;
    for (const tagOption& candidate : kOptions) {
      if (key == candidate.name) option = &candidate;
    }
    if (option == nullptr || !arg.starts_with("--")) {
      return Fail(err, arg.starts_with("-") ? "unknown option '" + std::string(key) + "'"
                                            : "unexpected argument '" + std::string(arg) + "'");
    }
    std::string_view value;
    if (equals != std::string_view::npos) {
      if (!option->takesValue) return Fail(err, std::string(key) + " takes no value");
      value = arg.substr(equals + 1);
    } else if (option->takesValue) {
      // A value that looks like the next option means the value was left out.
      if (i + 1 >= argc || argv[i + 1] == nullptr ||
          std::string_view(argv[i + 1]).starts_with("--"))
        return Fail(err, std::string(key) + " needs a value");
      value = argv[++i];
    }
    std::string error;
    if (!option->apply(value, o, error)) return Fail(err, error);
    if (option->apply == ApplyName) nameGiven = true;
    if (option->apply == ApplyBots) botsGiven = true;
  }
  std::string error;
  if (!CheckNetwork(o, botsGiven, error) || !CheckModes(o, error)) return Fail(err, error);
  if (!nameGiven) o.name = LoginName();
  options = o;
  return -1;
}

std::string LoginName() {
  const char* login = getlogin();
  if (login == nullptr || login[0] == '\0') {
    const passwd* pw = getpwuid(geteuid());
    login = pw != nullptr ? pw->pw_name : nullptr;
  }
  if (login == nullptr || login[0] == '\0') login = std::getenv("USER");
  if (login == nullptr || !IsPrintableName(login) || login[0] == '\0') return "player";
  tagUserData user{};
  SetUserName(user, login);  // cut at a character boundary
  return user.szName;
}
