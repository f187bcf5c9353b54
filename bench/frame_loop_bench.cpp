// What the application loop costs in a real window: the process's CPU time (every thread, the
// GL driver's included) over wall time, frames drawn and loop wake-ups, for a table that is
// still, one whose clock counts down, one where two bots and a bot-driven player play through
// the embedded link (normal bots; strong bots deciding in the frame or on the think pool, with
// the longest turn of the loop, which a decision in the frame stretches), and one that animates
// (the same picture drawn 60 times a second). Prints figures; asserts nothing about time. The table
// is the plain table of the frame's tests (tools/frame_table); the player is the headless library's
// scripted player.
//
//   xvfb-run -a -s "-screen 0 1600x1000x24" build/release/bench/frame_loop_bench [--seconds S]
//   SDL_RENDER_DRIVER=software ... for SDL's software renderer instead of (software) OpenGL
// Exit status 77 without a display.
#include <SDL2/SDL.h>
#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/EmbeddedLink.h"
#include "headless/ScriptedPlayer.h"
#include "platform/frame/BrisvaneApp.h"
#include "platform/win/WinTime.h"
#include "tools/frame_table/PlainTableView.h"

namespace {

class CBenchDlg : public CBrisvaneDlg {
 public:
  CBenchDlg() : CBrisvaneDlg(m_view) {}
  bool SetupGame() override {
    SetWindowPos(nullptr, 0, 0, 1284, 748, 0);
    return true;
  }
  void ResetGame() override {}
  bool OnClockTick(WORD, UINT, UINT) override { return true; }
  bool OnSceneRestore(BYTE status, bool lookon, const void* data, WORD size) override {
    player.SetChair(GetMeChairID());
    player.OnLinkScene(status, lookon, data, size);
    m_view.UpdateGameView(nullptr);
    return true;
  }
  bool OnServerMessage(WORD id, const void* data, WORD size) override {
    player.OnLinkGameMessage(id, data, size);
    m_view.UpdateGameView(nullptr);
    return true;
  }
  CPlainTableView& View() { return m_view; }

  headless::CScriptedPlayer player{"normal"};

 private:
  CPlainTableView m_view;
};

class CBenchApp : public CBrisvaneApp {
 public:
  CBrisvaneDlg* CreateGameDialog() override { return new CBenchDlg(); }
  CBenchDlg& Dlg() { return *static_cast<CBenchDlg*>(GetMainWnd()); }
};

double CpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
         (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

enum class Case { Still, Clock, Bots, StrongInFrame, StrongOnPool, Animating };

bool Measure(Case what, const char* name, double seconds) {
  CBenchApp app;
  const bool bots = what == Case::Bots || what == Case::StrongInFrame || what == Case::StrongOnPool;
  if (bots) {
    tagAppOptions options;
    options.name = "bench";
    options.seedGiven = true;
    options.seed = 7;
    if (what != Case::Bots) options.bots[0] = options.bots[1] = "strong";
    app.SetTableLink(MakeEmbeddedLink(
        options, what == Case::StrongOnPool ? std::make_shared<CThinkPool>(1) : nullptr));
  }
  const char* argv[] = {"frame_loop_bench"};
  if (!app.InitInstance(1, argv)) return false;
  CBenchDlg& dlg = app.Dlg();
  if (what == Case::Clock) dlg.SetGameTimer(1, 200, static_cast<UINT>(seconds) + 10);
  dlg.View().moving = what == Case::Animating;
  // Settle: the first frames and the window's first events, without waiting the second a
  // still table sleeps between turns.
  for (const uint64_t settle = SDL_GetTicks64(); SDL_GetTicks64() - settle < 100;) {
    app.Turn();
    SDL_Delay(5);
  }

  const unsigned frames0 = app.FrameCount();
  const double cpu0 = CpuSeconds();
  const uint64_t start = SDL_GetTicks64();
  const int64_t endMs = static_cast<int64_t>(start + seconds * 1000);
  unsigned wakeups = 0;
  uint64_t longestTurnUs = 0;
  for (int64_t now = start; now < endMs; now = static_cast<int64_t>(SDL_GetTicks64())) {
    // RunTurn, its sleep cut at the end of the run (a still table sleeps a second at a time).
    SDL_WaitEventTimeout(nullptr, static_cast<int>(std::min(app.MsUntilDue(), endMs - now)));
    const uint64_t turnStart = SDL_GetPerformanceCounter();
    if (!app.Turn()) break;
    longestTurnUs = std::max<uint64_t>(longestTurnUs, (SDL_GetPerformanceCounter() - turnStart) *
                                                          1000000 / SDL_GetPerformanceFrequency());
    ++wakeups;
    if (ITableLink* link = app.GetTableLink()) dlg.player.Act(*link, GetTickCount64());
  }
  const double wall = (SDL_GetTicks64() - start) / 1000.0;
  const double cpu = CpuSeconds() - cpu0;
  std::printf("%-40s %7.1f %10.1f %12.1f %9.1f", name, 100.0 * cpu / wall,
              (app.FrameCount() - frames0) / wall, wakeups / wall, longestTurnUs / 1000.0);
  if (bots) {
    std::printf("   (%zu link events, %u games)", dlg.player.Events().size(), dlg.player.Results());
  }
  std::printf("\n");
  app.ExitInstance();
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  double seconds = 5;
  for (int i = 1; i + 1 < argc; ++i) {
    if (std::strcmp(argv[i], "--seconds") == 0) seconds = std::atof(argv[i + 1]);
  }
  if (std::getenv("DISPLAY") == nullptr && std::getenv("WAYLAND_DISPLAY") == nullptr) {
    std::fprintf(stderr, "frame_loop_bench: no display (run it under xvfb-run)\n");
    return 77;
  }
  {
    CBenchApp probe;
    const char* argv0[] = {"frame_loop_bench"};
    if (!probe.InitInstance(1, argv0)) return 1;
    std::printf("renderer: %s, screen %d x %d, %.1f s per case\n",
                probe.GetEngine()->System_GetStateString(HGE_RENDERERNAME),
                probe.GetEngine()->System_GetStateInt(HGE_SCREENWIDTH),
                probe.GetEngine()->System_GetStateInt(HGE_SCREENHEIGHT), seconds);
    probe.ExitInstance();
  }
  std::printf("%-40s %7s %10s %12s %9s\n", "case", "cpu %", "frames/s", "wake-ups/s", "turn ms");
  const bool ok = Measure(Case::Still, "still table", seconds) &&
                  Measure(Case::Clock, "still table, a clock counting down", seconds) &&
                  Measure(Case::Bots, "embedded table: bots and a player", seconds) &&
                  Measure(Case::StrongInFrame, "strong bots deciding in the frame", seconds) &&
                  Measure(Case::StrongOnPool, "strong bots on the think pool", seconds) &&
                  Measure(Case::Animating, "animating table (60 frames a second)", seconds);
  return ok ? 0 : 1;
}
