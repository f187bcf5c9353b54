// A small client on the lobby frame for the frame tests and the window smoke test: a view that
// draws a table into a 1280 x 720 render target the way the table view does (render callback
// order: table scene, blit scaled to the screen, widgets on top) and a dialog that writes down
// the clock ticks the frame delivers.
#pragma once

#include <SDL2/SDL.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/engine/hgeSprite.h"
#include "platform/frame/BrisvaneApp.h"
#include "platform/win/WinTime.h"
#include "widgets/MyCButtonEx.h"

namespace platform_test {

inline constexpr uint32_t kTableColor = 0xFF1E5A32;   // the table's cloth
inline constexpr uint32_t kCardColor = 0xFFE03020;    // the sprite on it
inline constexpr uint32_t kButtonColor = 0xFF2040E0;  // the button's normal picture

class TestView : public CBrisvaneView2D {
 public:
  static inline TestView* s_current = nullptr;

  ~TestView() override {
    if (s_current == this) s_current = nullptr;
    if (m_button && GetGuiContainer()) GetGuiContainer()->remove(m_button.get());
    if (m_pHge) {
      m_pHge->Texture_Free(m_cardTexture);
      m_pHge->Target_Free(m_target);
    }
  }
  void ResetTable() override { ++tableResets; }
  void ArrangeView(int width, int height) override {
    m_scale = std::min(width / 1280.0f, height / 720.0f);
    m_offsetX = (width - 1280 * m_scale) / 2;
    m_offsetY = (height - 720 * m_scale) / 2;
    if (m_button) m_button->setPosition(width - 160, height - 90);
  }
  void DrawTable(int, int) override {
    hgeSprite cloth(0, 0, 0, 1280, 720);
    cloth.SetColor(kTableColor);
    cloth.Render(0, 0);
    m_card->RenderEx(640, 360, 0.3f, 6.0f);
  }
  void AdvanceFrame(float elapsed) override { elapsedTotal += elapsed; }
  // The loop draws this view every frame while it says something moves, else when it names.
  int64_t NextFrameDueMs() const override { return moving ? FRAME_AT_RATE : dueMs; }

  // The render callback, in the table view's order.
  static bool RenderFrame() {
    TestView* v = s_current;
    if (v == nullptr || !v->m_pHge->Gfx_BeginScene(v->m_target)) return false;
    ++v->renders;
    v->DrawTable(0, 0);
    v->m_pHge->Gfx_EndScene();
    if (!v->m_pHge->Gfx_BeginScene(0)) return false;
    v->m_pHge->Gfx_Clear(0xFF000000);
    hgeSprite(v->m_pHge->Target_GetTexture(v->m_target), 0, 0, 1280, 720)
        .RenderEx(v->m_offsetX, v->m_offsetY, 0, v->m_scale);
    v->DrawGui();
    v->m_pHge->Gfx_EndScene();
    return false;
  }

  bool moving = false;
  int64_t dueMs = NO_FRAME_DUE;  // the view's answer while it does not move
  int tableResets = 0;
  int renders = 0;
  float elapsedTotal = 0;

 protected:
  int OnCreate() override {
    if (CBrisvaneView2D::OnCreate() != 0) return -1;
    m_target = m_pHge->Target_Create(1280, 720, false);
    m_cardTexture = m_pHge->Texture_Create(20, 30);
    if (DWORD* p = m_pHge->Texture_Lock(m_cardTexture, false)) {
      std::fill(p, p + m_pHge->Texture_GetWidth(m_cardTexture) * 30, kCardColor);
      m_pHge->Texture_Unlock(m_cardTexture);
    }
    m_card = std::make_unique<hgeSprite>(m_cardTexture, 0, 0, 20, 30);
    m_card->SetHotSpot(10, 15);
    // The button's four state pictures side by side, the normal one first.
    SDL_Surface* strip = SDL_CreateRGBSurfaceWithFormat(0, 400, 50, 32, SDL_PIXELFORMAT_ARGB8888);
    SDL_FillRect(strip, nullptr, 0xFF707070);
    const SDL_Rect normal{0, 0, 100, 50};
    SDL_FillRect(strip, &normal, kButtonColor);
    m_button = std::make_unique<gcn::MyCButtonEx>(new gcn::SDL2Image(strip));
    GetGuiContainer()->add(m_button.get());
    s_current = this;
    m_pHge->System_SetStateFunc(HGE_RENDERFUNC, &TestView::RenderFrame);
    return 0;
  }

 private:
  HTARGET m_target = 0;
  HTEXTURE m_cardTexture = 0;
  std::unique_ptr<hgeSprite> m_card;
  std::unique_ptr<gcn::MyCButtonEx> m_button;
  float m_scale = 1, m_offsetX = 0, m_offsetY = 0;
};

struct Tick {
  uint64_t atMs;
  WORD chair;
  UINT secondsLeft;
  UINT timerId;
  bool operator==(const Tick&) const = default;
};

class TestDlg : public CBrisvaneDlg {
 public:
  TestDlg() : CBrisvaneDlg(m_view) {}
  bool SetupGame() override { return true; }
  void ResetGame() override { ++gameResets; }
  bool OnClockTick(WORD chair, UINT secondsLeft, UINT timerId) override {
    ticks.push_back(Tick{GetTickCount64() - startMs, chair, secondsLeft, timerId});
    shownSeconds.push_back(m_view.GetUserTimer(SwitchViewChairID(chair)));
    return true;
  }
  bool OnSceneRestore(BYTE, bool, const void*, WORD) override { return true; }
  bool OnServerMessage(WORD, const void*, WORD) override { return true; }
  TestView& View() { return m_view; }

  uint64_t startMs = 0;
  int gameResets = 0;
  std::vector<Tick> ticks;
  std::vector<WORD> shownSeconds;  // what the view showed of the ticking chair's clock

 private:
  TestView m_view;
};

class TestApp : public CBrisvaneApp {
 public:
  CBrisvaneDlg* CreateGameDialog() override { return new TestDlg(); }
  TestDlg* Dialog() const { return static_cast<TestDlg*>(GetMainWnd()); }
};

}  // namespace platform_test
