// The game played in a real window by the X server's own events: an Xvfb of its own, the
// program with its embedded table, and xdotool's mouse. The program's report file says where
// its buttons and cards are and what the table shows; the test clicks start, waits for the
// deal, and on its turns raises the cards of a play by clicking each of them (the rules find
// the play) and clicks play, or pass when nothing beats; it checks that the hand shrank and
// that the turn moved on, takes screenshots of the X screen along the way, and closes the
// program as a window manager would stop it (SIGTERM), expecting a clean exit.
//
//   torvaly_window_play TORVALY [SHOT_FOLDER]
//   torvaly_window_play --shot FILE.png     (a screenshot of $DISPLAY, for playing by hand)
//
// Exit status 0 passed, 1 failed, 77 skipped (no Xvfb).
#include <SDL2/SDL.h>
#include <SDL2/SDL_image.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
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
namespace fs = std::filesystem;

constexpr uint16_t kMe = 1;
constexpr int kOwnMoves = 3;  // turns the test plays itself

std::string g_shots = ".";
pid_t g_xserver = -1;
int g_shotCount = 0;

[[noreturn]] void Fail(const std::string& what);

bool OnPath(const std::string& program) {
  const char* path = std::getenv("PATH");
  std::stringstream folders(path ? path : "/usr/bin:/bin");
  std::string folder;
  while (std::getline(folders, folder, ':')) {
    if (access((folder + "/" + program).c_str(), X_OK) == 0) return true;
  }
  return false;
}

pid_t Spawn(const std::vector<std::string>& args, const std::vector<std::string>& extraEnv,
            int stdoutFd = -1) {
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  std::vector<std::string> envStore;
  for (char** e = environ; *e != nullptr; ++e) envStore.emplace_back(*e);
  for (const std::string& e : extraEnv) envStore.push_back(e);
  std::vector<char*> envp;
  for (const std::string& e : envStore) envp.push_back(const_cast<char*>(e.c_str()));
  envp.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (stdoutFd >= 0) posix_spawn_file_actions_adddup2(&actions, stdoutFd, STDOUT_FILENO);
  pid_t pid = -1;
  const int rc = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  return rc == 0 ? pid : -1;
}

// Runs a command to its end; its standard output.
std::string Run(const std::vector<std::string>& args, int* status = nullptr) {
  int fds[2];
  if (pipe(fds) != 0) Fail("no pipe");
  const pid_t pid = Spawn(args, {}, fds[1]);
  close(fds[1]);
  std::string out;
  char buffer[256];
  ssize_t n;
  while ((n = read(fds[0], buffer, sizeof(buffer))) > 0) out.append(buffer, static_cast<size_t>(n));
  close(fds[0]);
  int st = -1;
  if (pid > 0) waitpid(pid, &st, 0);
  if (status != nullptr) *status = st;
  return out;
}

// ---- the X server -------------------------------------------------------------------------

struct tagXServer {
  pid_t pid = -1;
  std::string display;

  bool Start() {
    int fds[2];
    if (pipe(fds) != 0) return false;
    pid = Spawn({"Xvfb", "-displayfd", std::to_string(fds[1]), "-screen", "0", "1400x900x24",
                 "-nolisten", "tcp"},
                {});
    g_xserver = pid;
    close(fds[1]);
    if (pid <= 0) return false;
    std::string number;
    char c;
    while (read(fds[0], &c, 1) == 1 && c != '\n') number += c;
    close(fds[0]);
    if (number.empty()) return false;
    display = ":" + number;
    setenv("DISPLAY", display.c_str(), 1);
    return true;
  }
  ~tagXServer() {
    if (pid > 0) {
      kill(pid, SIGTERM);
      waitpid(pid, nullptr, 0);
    }
  }
};

// The whole X screen saved as a PNG; its pixels (ARGB) for checks.
std::vector<uint32_t> SaveScreen(const std::string& path, int& width, int& height) {
  Display* x = XOpenDisplay(nullptr);
  if (x == nullptr) Fail("no connection to the X server for a screenshot");
  const Window root = DefaultRootWindow(x);
  XWindowAttributes attributes;
  XGetWindowAttributes(x, root, &attributes);
  width = attributes.width;
  height = attributes.height;
  XImage* image = XGetImage(x, root, 0, 0, static_cast<unsigned>(width),
                            static_cast<unsigned>(height), AllPlanes, ZPixmap);
  if (image == nullptr) Fail("XGetImage gave nothing");
  std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
  for (int y = 0; y < height; ++y)
    for (int i = 0; i < width; ++i)
      pixels[static_cast<size_t>(y) * width + i] =
          0xFF000000u | static_cast<uint32_t>(XGetPixel(image, i, y) & 0xFFFFFF);
  XDestroyImage(image);
  XCloseDisplay(x);
  SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormatFrom(pixels.data(), width, height, 32,
                                                            width * 4, SDL_PIXELFORMAT_ARGB8888);
  if (surface == nullptr || IMG_SavePNG(surface, path.c_str()) != 0) Fail("cannot save " + path);
  SDL_FreeSurface(surface);
  std::printf("screenshot %s\n", path.c_str());
  return pixels;
}

// The next numbered screenshot in the shot folder.
std::vector<uint32_t> Screenshot(const std::string& name, int& width, int& height) {
  char number[16];
  std::snprintf(number, sizeof(number), "%02d-", ++g_shotCount);
  return SaveScreen(g_shots + "/" + number + name + ".png", width, height);
}

// ---- the program's report -----------------------------------------------------------------

using Fields = std::map<std::string, std::string>;

std::string g_reportPath;
std::string g_lastLine;

Fields LastReport() {
  std::ifstream in(g_reportPath);
  std::string line, last;
  while (std::getline(in, line)) {
    if (!line.empty()) last = line;
  }
  g_lastLine = last;
  Fields fields;
  std::istringstream words(last);
  std::string word;
  while (words >> word) {
    const size_t eq = word.find('=');
    if (eq != std::string::npos) fields[word.substr(0, eq)] = word.substr(eq + 1);
  }
  return fields;
}

std::vector<std::string> Split(const std::string& text, char by) {
  std::vector<std::string> parts;
  if (text.empty() || text == "none") return parts;
  std::stringstream in(text);
  std::string part;
  while (std::getline(in, part, by)) parts.push_back(part);
  return parts;
}

std::vector<uint8_t> Cards(const std::string& hexList) {
  std::vector<uint8_t> cards;
  for (const std::string& h : Split(hexList, ',')) {
    cards.push_back(static_cast<uint8_t>(std::strtoul(h.c_str(), nullptr, 16)));
  }
  return cards;
}

struct tagPoint {
  int x = -1, y = -1;
};

tagPoint ParsePoint(const std::string& text) {
  tagPoint p;
  std::sscanf(text.c_str(), "%d:%d", &p.x, &p.y);
  return p;
}

// The centre of a shown and enabled button, or x = -1.
tagPoint Button(const Fields& f, const std::string& name) {
  auto it = f.find("buttons");
  if (it == f.end()) return {};
  for (const std::string& b : Split(it->second, ',')) {
    if (b.rfind(name + ":", 0) == 0) return ParsePoint(b.substr(name.size() + 1));
  }
  return {};
}

// Each card of the hand with its point.
std::vector<std::pair<uint8_t, tagPoint>> HandPoints(const Fields& f) {
  std::vector<std::pair<uint8_t, tagPoint>> points;
  auto it = f.find("cards");
  if (it == f.end()) return points;
  for (const std::string& c : Split(it->second, ',')) {
    const size_t at = c.find('@');
    if (at == std::string::npos) continue;
    points.emplace_back(static_cast<uint8_t>(std::strtoul(c.substr(0, at).c_str(), nullptr, 16)),
                        ParsePoint(c.substr(at + 1)));
  }
  return points;
}

int Count(const Fields& f, const std::string& key) {
  auto it = f.find(key);
  return it == f.end() ? -1 : static_cast<int>(Split(it->second, ',').size());
}

// Waits until `ready` holds for the latest report (the program is checked to be alive).
pid_t g_game = -1;
Fields WaitFor(const std::string& what, const std::function<bool(const Fields&)>& ready,
               double seconds) {
  const auto end = Clock::now() + std::chrono::duration<double>(seconds);
  while (Clock::now() < end) {
    const Fields f = LastReport();
    if (!f.empty() && ready(f)) return f;
    int status = 0;
    if (waitpid(g_game, &status, WNOHANG) == g_game) {
      g_game = -1;
      Fail("the program ended while waiting for " + what);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(40));
  }
  Fail("waited " + std::to_string(seconds) + " s for " + what);
}

// ---- the mouse ------------------------------------------------------------------------------

std::string g_window;

void Click(tagPoint p, const std::string& what, int button = 1) {
  if (p.x < 0) Fail("no point for " + what);
  int status = 0;
  Run({"xdotool", "mousemove", "--window", g_window, std::to_string(p.x), std::to_string(p.y),
       "click", std::to_string(button)},
      &status);
  if (status != 0) Fail("xdotool could not click " + what);
  std::printf("click %s at %d,%d\n", what.c_str(), p.x, p.y);
}

void Fail(const std::string& what) {
  std::printf("FAIL: %s\n  last report: %s\n", what.c_str(), g_lastLine.c_str());
  for (const pid_t pid : {g_game, g_xserver}) {
    if (pid <= 0) continue;
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
  }
  std::fflush(stdout);
  std::exit(1);
}

bool MyTurn(const Fields& f) { return Button(f, "hint").x >= 0; }

// The pixels of the local hand's strip differ between two screenshots.
bool HandAreaChanged(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b, int width,
                     int top, int bottom) {
  for (int y = top; y < bottom; ++y)
    for (int x = 0; x < width; ++x)
      if (a[static_cast<size_t>(y) * width + x] != b[static_cast<size_t>(y) * width + x])
        return true;
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: torvaly_window_play TORVALY [SHOT_FOLDER] | --shot FILE.png\n");
    return 2;
  }
  if (std::string(argv[1]) == "--shot" && argc > 2) {
    int width = 0, height = 0;
    SaveScreen(argv[2], width, height);
    return 0;
  }
  if (!OnPath("Xvfb")) {
    std::printf("SKIP: no Xvfb\n");
    return 77;
  }
  if (!OnPath("xdotool")) Fail("xdotool is missing (scripts/deps.sh installs it)");
  const std::string program = fs::absolute(argv[1]).string();
  g_shots = argc > 2 ? argv[2] : "window_play";
  fs::create_directories(g_shots);
  const fs::path work = fs::temp_directory_path() / ("torvaly-window-" + std::to_string(getpid()));
  fs::create_directories(work);
  g_reportPath = (work / "report.txt").string();

  tagXServer xserver;
  if (!xserver.Start()) Fail("Xvfb did not start");
  std::printf("Xvfb on %s\n", xserver.display.c_str());

  const auto started = Clock::now();
  g_game = Spawn(
      {program, "--seed", "20", "--name", "tester", "--size", "1284x748", "--report", g_reportPath},
      {"XDG_CONFIG_HOME=" + work.string()});
  if (g_game <= 0) Fail("the program did not start");

  Fields f = WaitFor(
      "the start button", [](const Fields& r) { return Button(r, "start").x >= 0; }, 20);
  std::printf("table shown after %.2f s\n",
              std::chrono::duration<double>(Clock::now() - started).count());
  g_window = Run({"xdotool", "search", "--sync", "--name", "^Torvaly$"});
  if (g_window.find('\n') != std::string::npos) g_window.resize(g_window.find('\n'));
  if (g_window.empty()) Fail("no window named Torvaly");
  int width = 0, height = 0;
  Screenshot("table", width, height);

  Click(Button(f, "start"), "start");
  f = WaitFor(
      "the deal",
      [](const Fields& r) {
        return r.count("running") && r.at("running") == "1" && r.at("clock") != "none" &&
               Count(r, "cards") == Count(r, "hand") && Count(r, "hand") >= 5;
      },
      20);
  Screenshot("deal", width, height);
  std::printf("dealt: %s\n", g_lastLine.c_str());

  CGameLogic logic;
  int plays = 0, passes = 0;
  for (int move = 0; move < kOwnMoves; ++move) {
    f = WaitFor("the player's turn", MyTurn, 30);
    const std::vector<uint8_t> hand = Cards(f.at("hand"));
    const std::vector<uint8_t> turn = Cards(f.at("turn"));
    const std::string clockBefore = f.at("clock");
    tagPlayCandidate answer{};
    const bool found = logic.FindAnswer(hand.data(), static_cast<uint8_t>(hand.size()), turn.data(),
                                        static_cast<uint8_t>(turn.size()), answer);
    int shotW = 0, shotH = 0;
    const std::vector<uint32_t> before =
        Screenshot("turn-" + std::to_string(move + 1), shotW, shotH);
    bool played = false;
    if (found) {
      // Raise the play card by card, each by a click on its point.
      std::vector<std::pair<uint8_t, tagPoint>> points = HandPoints(f);
      std::vector<bool> used(points.size(), false);
      for (uint8_t i = 0; i < answer.count; ++i) {
        size_t k = 0;
        while (k < points.size() && (used[k] || points[k].first != answer.cards[i])) ++k;
        if (k == points.size()) Fail("a card of the play is not in the hand's points");
        used[k] = true;
        char what[16];
        std::snprintf(what, sizeof(what), "card %02X", answer.cards[i]);
        Click(points[k].second, what);
        const size_t raisedWanted = i + 1u;
        f = WaitFor(
            what, [&](const Fields& r) { return Count(r, "raised") == int(raisedWanted); }, 5);
      }
      // The client's check agrees: the play button lights up.
      f = WaitFor(
          "the play button", [](const Fields& r) { return Button(r, "play").x >= 0; }, 5);
      Screenshot("raised-" + std::to_string(move + 1), shotW, shotH);
      Click(Button(f, "play"), "play");
      played = true;
      ++plays;
    } else {
      Click(Button(f, "pass"), "pass");
      ++passes;
    }
    const int handBefore = static_cast<int>(hand.size());
    const int shrink = played ? answer.count : 0;
    f = WaitFor(
        "the turn to move on",
        [&](const Fields& r) {
          return !MyTurn(r) && Count(r, "hand") == handBefore - shrink &&
                 r.at("clock") != clockBefore;
        },
        10);
    std::printf("%s: hand %d -> %d, clock %s -> %s\n", played ? "played" : "passed", handBefore,
                Count(f, "hand"), clockBefore.c_str(), f.at("clock").c_str());
    const std::vector<uint32_t> after =
        Screenshot((played ? "played-" : "passed-") + std::to_string(move + 1), shotW, shotH);
    if (played && !HandAreaChanged(before, after, shotW, shotH / 2, shotH))
      Fail("the screen's lower half did not change after a play");
    if (Count(f, "hand") == 0) break;  // the game is won
  }
  if (plays == 0) Fail("no play was made in " + std::to_string(kOwnMoves) + " turns");

  // The window manager's close: SDL turns SIGTERM into a quit, the loop ends cleanly.
  kill(g_game, SIGTERM);
  int status = -1;
  const auto end = Clock::now() + std::chrono::seconds(10);
  while (Clock::now() < end && waitpid(g_game, &status, WNOHANG) == 0)
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    Fail("the program did not end cleanly (status " + std::to_string(status) + ")");
  }
  g_game = -1;
  fs::remove_all(work);
  std::printf("PASS: %d plays and %d passes by mouse in %.1f s\n", plays, passes,
              std::chrono::duration<double>(Clock::now() - started).count());
  return 0;
}
