// What the application loop costs in a real window: the process's CPU time (every thread, the
// GL driver's included) over wall time, frames drawn and loop wake-ups, for a table that is
// still, one whose clock counts down, one where two bots and a bot-driven player play through
// the embedded link, and one that animates (the same picture drawn 60 times a second). Prints
// figures; asserts nothing about time. The table is the bench's own; the player is the headless
// library's scripted player.
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
#include <memory>

#include "app/EmbeddedLink.h"
#include "platform/engine/hgeSprite.h"
#include "platform/frame/BrisvaneApp.h"
#include "platform/win/WinTime.h"
#include "headless/ScriptedPlayer.h"
#include "widgets/MyCButtonEx.h"

namespace {

// A table of the view's shape: a cloth and a card drawn into a 1280 x 720 target, the target
// letterboxed onto the screen, an image button on top. It moves (asks for every frame) while
// `moving` is set, and is otherwise drawn only when something happens.
class CBenchView : public CBrisvaneView2D {
 public:
  static CBenchView* s_current;

  ~CBenchView() override {
    if (s_current == this) s_current = nullptr;
    if (m_button && GetGuiContainer()) GetGuiContainer()->remove(m_button.get());
    m_button.reset();
    m_card.reset();
    m_blit.reset();
    if (m_pHge) {
      m_pHge->Texture_Free(m_cardTexture);
      m_pHge->Target_Free(m_target);
    }
  }
  void ResetTable() override {}
  void ArrangeView(int width, int height) override {
    m_scale = std::min(width / 1280.0f, height / 720.0f);
    m_contentW = static_cast<int>(1280 * m_scale);
    m_contentH = static_cast<int>(720 * m_scale);
    if (m_button) m_button->setPosition(width - 160, height - 90);
  }
  void DrawTable(int, int) override {
    hgeSprite cloth(0, 0, 0, 1280, 720);
    cloth.SetColor(0xFF1E5A32);
    cloth.Render(0, 0);
    if (m_card) m_card->RenderEx(640, 360, 0.3f, 6.0f);
  }
  void AdvanceFrame(float) override {
    hgeInputEvent event;
    while (m_pHge->Input_GetEvent(&event)) {
    }
  }
  int64_t NextFrameDueMs() const override { return moving ? FRAME_AT_RATE : NO_FRAME_DUE; }

  static bool RenderFrame() {
    CBenchView* view = s_current;
    if (view == nullptr) return false;
    HGE* hge = view->m_pHge;
    const int w = hge->System_GetStateInt(HGE_SCREENWIDTH);
    const int h = hge->System_GetStateInt(HGE_SCREENHEIGHT);
    if (hge->Gfx_BeginScene(view->m_target)) {
      hge->Gfx_Clear(0xFF000000);
      view->DrawTable(w, h);
      hge->Gfx_EndScene();
    }
    if (hge->Gfx_BeginScene(0)) {
      hge->Gfx_Clear(0xFF000000);
      view->m_blit->SetTexture(hge->Target_GetTexture(view->m_target));
      view->m_blit->RenderEx(std::abs(w - view->m_contentW) / 2.0f,
                             std::abs(h - view->m_contentH) / 2.0f, 0, view->m_scale);
      view->DrawGui();
      hge->Gfx_EndScene();
    }
    return false;
  }

  bool moving = false;

 protected:
  int OnCreate() override {
    if (CBrisvaneView2D::OnCreate() != 0) return -1;
    m_target = m_pHge->Target_Create(1280, 720, false);
    m_blit = std::make_unique<hgeSprite>(m_pHge->Target_GetTexture(m_target), 0, 0, 1280, 720);
    m_cardTexture = m_pHge->Texture_Create(20, 30);
    if (DWORD* p = m_pHge->Texture_Lock(m_cardTexture, false)) {
      const int pitch = m_pHge->Texture_GetWidth(m_cardTexture);
      for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 20; ++x) p[y * pitch + x] = 0xFFE03020;
      m_pHge->Texture_Unlock(m_cardTexture);
    }
    m_card = std::make_unique<hgeSprite>(m_cardTexture, 0, 0, 20, 30);
    m_card->SetHotSpot(10, 15);
    // The button's four states side by side.
    SDL_Surface* strip = SDL_CreateRGBSurfaceWithFormat(0, 400, 50, 32, SDL_PIXELFORMAT_ARGB8888);
    const uint32_t columns[4] = {0xFF2040E0, 0xFF10A010, 0xFF6080FF, 0xFF707070};
    for (int y = 0; y < 50; ++y) {
      auto* row =
          reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(strip->pixels) + y * strip->pitch);
      for (int x = 0; x < 400; ++x) row[x] = columns[x / 100];
    }
    m_button = std::make_unique<gcn::MyCButtonEx>(new gcn::SDL2Image(strip));
    GetGuiContainer()->add(m_button.get());
    s_current = this;
    m_pHge->System_SetStateFunc(HGE_RENDERFUNC, &CBenchView::RenderFrame);
    return 0;
  }

 private:
  HTARGET m_target = 0;
  HTEXTURE m_cardTexture = 0;
  std::unique_ptr<hgeSprite> m_blit;
  std::unique_ptr<hgeSprite> m_card;
  std::unique_ptr<gcn::MyCButtonEx> m_button;
  float m_scale = 1;
  int m_contentW = 1280;
  int m_contentH = 720;
};

CBenchView* CBenchView::s_current = nullptr;

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
  CBenchView& View() { return m_view; }

  headless::CScriptedPlayer player{"normal"};

 private:
  CBenchView m_view;
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

enum class Case { Still, Clock, Bots, Animating };

bool Measure(Case what, const char* name, double seconds) {
  CBenchApp app;
  if (what == Case::Bots) {
    tagAppOptions options;
    options.name = "bench";
    options.seedGiven = true;
    options.seed = 7;
    app.SetTableLink(MakeEmbeddedLink(options));
  }
  const char* argv[] = {"frame_loop_bench"};
  if (!app.InitInstance(1, argv)) return false;
  CBenchDlg& dlg = app.Dlg();
  if (what == Case::Clock) dlg.SetGameTimer(1, 200, static_cast<UINT>(seconds) + 10);
  dlg.View().moving = what == Case::Animating;
  for (int i = 0; i < 10; ++i) app.RunTurn();  // settle: the first frames, the window's events

  const unsigned frames0 = app.FrameCount();
  const double cpu0 = CpuSeconds();
  const uint64_t start = SDL_GetTicks64();
  unsigned wakeups = 0;
  while (SDL_GetTicks64() - start < seconds * 1000) {
    if (!app.RunTurn()) break;
    ++wakeups;
    if (ITableLink* link = app.GetTableLink()) dlg.player.Act(*link, GetTickCount64());
  }
  const double wall = (SDL_GetTicks64() - start) / 1000.0;
  const double cpu = CpuSeconds() - cpu0;
  std::printf("%-40s %7.1f %10.1f %12.1f", name, 100.0 * cpu / wall,
              (app.FrameCount() - frames0) / wall, wakeups / wall);
  if (what == Case::Bots) {
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
  std::printf("%-40s %7s %10s %12s\n", "case", "cpu %", "frames/s", "wake-ups/s");
  const bool ok = Measure(Case::Still, "still table", seconds) &&
                  Measure(Case::Clock, "still table, a clock counting down", seconds) &&
                  Measure(Case::Bots, "embedded table: bots and a player", seconds) &&
                  Measure(Case::Animating, "animating table (60 frames a second)", seconds);
  return ok ? 0 : 1;
}
