// The game played in a real window by the X server's own events: an Xvfb of its own, the program
// with its embedded table, xdotool's mouse, and the program's report of where its buttons and
// cards are. Start; on its turns the test raises a play the rules find card by card and clicks
// play (or pass): the hand shrinks, the turn moves on, the screen changes; SIGTERM, as a window
// manager stops it, ends the program cleanly.
//
//   torvaly_window_play TORVALY      exit 0 passed, 1 failed, 77 skipped (no Xvfb)
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "rules/GameLogic.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;
using Fields = std::map<std::string, std::string>;
namespace fs = std::filesystem;

constexpr int kOwnMoves = 3;  // turns the test plays itself

std::string g_report, g_lastLine, g_window;
pid_t g_game = -1, g_xserver = -1;

[[noreturn]] void Fail(const std::string& what) {
  std::printf("FAIL: %s\n  last report: %s\n", what.c_str(), g_lastLine.c_str());
  for (const pid_t pid : {g_game, g_xserver}) {
    if (pid <= 0) continue;
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
  }
  std::fflush(stdout);
  std::exit(1);
}

// Starts a program with this process's environment and open files.
pid_t Spawn(const std::vector<std::string>& args) {
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  pid_t pid = -1;
  return posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) == 0 ? pid : -1;
}

// Runs a shell command to its end: the first line of its output, and whether it exited with 0.
std::string Run(const std::string& command, bool* ok = nullptr) {
  FILE* pipe = popen(command.c_str(), "r");
  char line[256] = {};
  if (pipe == nullptr || std::fgets(line, sizeof(line), pipe) == nullptr) line[0] = 0;
  const int status = pipe != nullptr ? pclose(pipe) : -1;
  if (ok != nullptr) *ok = status == 0;
  return std::string(line).substr(0, std::string(line).find('\n'));
}

// An Xvfb of its own: it writes its display number when it is ready.
bool StartXServer() {
  int fds[2];
  if (pipe(fds) != 0) return false;
  g_xserver = Spawn({"Xvfb", "-displayfd", std::to_string(fds[1]), "-screen", "0", "1400x900x24",
                     "-nolisten", "tcp"});
  close(fds[1]);
  std::string number;
  char c;
  while (g_xserver > 0 && read(fds[0], &c, 1) == 1 && c != '\n') number += c;
  close(fds[0]);
  if (number.empty()) return false;
  setenv("DISPLAY", (":" + number).c_str(), 1);
  return true;
}

// The pixels of the whole X screen.
std::vector<unsigned long> ScreenPixels() {
  Display* x = XOpenDisplay(nullptr);
  if (x == nullptr) Fail("no connection to the X server");
  XWindowAttributes a;
  XGetWindowAttributes(x, DefaultRootWindow(x), &a);
  XImage* image = XGetImage(x, DefaultRootWindow(x), 0, 0, unsigned(a.width), unsigned(a.height),
                            AllPlanes, ZPixmap);
  if (image == nullptr) Fail("XGetImage gave nothing");
  std::vector<unsigned long> pixels;
  for (int y = 0; y < a.height; ++y)
    for (int i = 0; i < a.width; ++i) pixels.push_back(XGetPixel(image, i, y));
  XDestroyImage(image);
  XCloseDisplay(x);
  return pixels;
}

// ---- the program's report -----------------------------------------------------------------

std::vector<std::string> Split(const std::string& text, char by) {
  std::vector<std::string> parts;
  if (text == "none") return parts;
  std::stringstream in(text);
  std::string part;
  while (std::getline(in, part, by)) parts.push_back(part);
  return parts;
}

// The fields of the report's last line.
Fields LastReport() {
  std::ifstream in(g_report);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty()) g_lastLine = line;
  }
  Fields fields;
  for (const std::string& word : Split(g_lastLine, ' ')) {
    const size_t eq = word.find('=');
    if (eq != std::string::npos) fields[word.substr(0, eq)] = word.substr(eq + 1);
  }
  return fields;
}

int Count(const Fields& f, const std::string& key) {
  return f.count(key) ? int(Split(f.at(key), ',').size()) : -1;
}

std::vector<uint8_t> Cards(const std::string& hexList) {
  std::vector<uint8_t> cards;
  for (const std::string& h : Split(hexList, ',')) cards.push_back(uint8_t(std::stoul(h, 0, 16)));
  return cards;
}

struct tagPoint {
  int x = -1, y = -1;
};

// `NAME:X:Y` (a button) or `HEX@X:Y` (a card) of the list under `key` whose name is `name`.
tagPoint Point(const Fields& f, const std::string& key, const std::string& name, char at) {
  tagPoint p;
  if (!f.count(key)) return p;
  for (const std::string& item : Split(f.at(key), ',')) {
    if (item.rfind(name + at, 0) == 0)
      std::sscanf(item.c_str() + name.size() + 1, "%d:%d", &p.x, &p.y);
  }
  return p;
}
tagPoint Button(const Fields& f, const std::string& name) { return Point(f, "buttons", name, ':'); }
bool MyTurn(const Fields& f) { return Button(f, "hint").x >= 0; }

// Waits until `ready` holds for the latest report (the program is checked to be alive).
Fields WaitFor(double seconds, const std::string& what,
               const std::function<bool(const Fields&)>& ready) {
  const auto end = Clock::now() + std::chrono::duration<double>(seconds);
  while (Clock::now() < end) {
    const Fields f = LastReport();
    if (!f.empty() && ready(f)) return f;
    if (waitpid(g_game, nullptr, WNOHANG) == g_game) {
      g_game = -1;
      Fail("the program ended while waiting for " + what);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(40));
  }
  Fail("waited " + std::to_string(seconds) + " s for " + what);
}

void Click(tagPoint p, const std::string& what) {
  if (p.x < 0) Fail("no point for " + what);
  bool ok = false;
  Run("xdotool mousemove --window " + g_window + " " + std::to_string(p.x) + " " +
          std::to_string(p.y) + " click 1",
      &ok);
  if (!ok) Fail("xdotool could not click " + what);
  std::printf("click %s at %d,%d\n", what.c_str(), p.x, p.y);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: torvaly_window_play TORVALY\n");
    return 2;
  }
  if (Run("command -v Xvfb").empty()) {
    std::printf("SKIP: no Xvfb\n");
    return 77;
  }
  if (Run("command -v xdotool").empty()) Fail("xdotool is missing (scripts/deps.sh installs it)");
  const fs::path work = fs::temp_directory_path() / ("torvaly-window-" + std::to_string(getpid()));
  fs::create_directories(work);
  g_report = (work / "report.txt").string();
  setenv("XDG_CONFIG_HOME", work.c_str(), 1);
  if (!StartXServer()) Fail("Xvfb did not start");

  g_game = Spawn({fs::absolute(argv[1]).string(), "--seed", "20", "--name", "tester", "--size",
                  "1284x748", "--report", g_report});
  if (g_game <= 0) Fail("the program did not start");
  Fields f =
      WaitFor(20, "the start button", [](const Fields& r) { return Button(r, "start").x >= 0; });
  g_window = Run("xdotool search --sync --name '^Torvaly$'");
  if (g_window.empty()) Fail("no window named Torvaly");

  Click(Button(f, "start"), "start");
  WaitFor(20, "the deal", [](const Fields& r) {
    return r.at("running") == "1" && r.at("clock") != "none" && Count(r, "hand") >= 5 &&
           Count(r, "cards") == Count(r, "hand");
  });

  CGameLogic logic;
  int plays = 0, passes = 0;
  for (int move = 0; move < kOwnMoves; ++move) {
    f = WaitFor(30, "the player's turn", MyTurn);
    const std::vector<uint8_t> hand = Cards(f.at("hand")), turn = Cards(f.at("turn"));
    const std::string clockBefore = f.at("clock");
    tagPlayCandidate answer{};
    const bool found = logic.FindAnswer(hand.data(), uint8_t(hand.size()), turn.data(),
                                        uint8_t(turn.size()), answer);
    const std::vector<unsigned long> before = ScreenPixels();
    if (found) {
      // Raise the play card by card, each by a click on its point in the hand as it lay before
      // the first (a raised card is hit where it lay); the play button lights up.
      const Fields lying = f;
      for (uint8_t i = 0; i < answer.count; ++i) {
        char card[3];
        std::snprintf(card, sizeof(card), "%02X", answer.cards[i]);
        Click(Point(lying, "cards", card, '@'), std::string("card ") + card);
        WaitFor(5, card, [&](const Fields& r) { return Count(r, "raised") == i + 1; });
      }
      f = WaitFor(5, "the play button", [](const Fields& r) { return Button(r, "play").x >= 0; });
      Click(Button(f, "play"), "play");
      ++plays;
    } else {
      Click(Button(f, "pass"), "pass");
      ++passes;
    }
    const int left = int(hand.size()) - (found ? answer.count : 0);
    f = WaitFor(10, "the turn to move on", [&](const Fields& r) {
      return !MyTurn(r) && Count(r, "hand") == left && r.at("clock") != clockBefore;
    });
    std::printf("%s: hand %zu -> %d, clock %s -> %s\n", found ? "played" : "passed", hand.size(),
                left, clockBefore.c_str(), f.at("clock").c_str());
    const std::vector<unsigned long> after = ScreenPixels();
    // The lower half of the screen, where the hand lies, changed with the play.
    if (found && std::equal(before.begin() + before.size() / 2, before.end(),
                            after.begin() + after.size() / 2))
      Fail("the screen's lower half did not change after a play");
    if (left == 0) break;  // the game is won
  }
  if (plays == 0) Fail("no play was made in " + std::to_string(kOwnMoves) + " turns");

  // The window manager's close: SDL turns SIGTERM into a quit, the loop ends cleanly (ctest's
  // time limit catches a program that does not end).
  kill(g_game, SIGTERM);
  int status = -1;
  waitpid(g_game, &status, 0);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
    Fail("the program did not end cleanly (status " + std::to_string(status) + ")");
  g_game = -1;
  kill(g_xserver, SIGTERM);
  waitpid(g_xserver, nullptr, 0);
  fs::remove_all(work);
  std::printf("PASS: %d plays and %d passes by mouse\n", plays, passes);
  return 0;
}
