// A small client on the lobby frame for the frame tests and the window smoke test: a view that
// draws a table into a 1280 x 720 render target the way the table view does (render callback
// order: table scene, blit scaled to the screen, widgets on top) and a dialog that writes down
// what the frame calls.
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
  static TestView* s_current;

  ~TestView() override {
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

  void ResetTable() override { ++tableResets; }

  void ArrangeView(int width, int height) override {
    ++arrangeCount;
    m_scale = std::min(width / 1280.0f, height / 720.0f);
    m_contentW = static_cast<int>(1280 * m_scale);
    m_contentH = static_cast<int>(720 * m_scale);
    if (m_button) m_button->setPosition(width - 160, height - 90);
  }

  void DrawTable(int, int) override {
    hgeSprite cloth(0, 0, 0, 1280, 720);
    cloth.SetColor(kTableColor);
    cloth.Render(0, 0);
    if (m_card) m_card->RenderEx(640, 360, 0.3f, 6.0f);
  }

  void AdvanceFrame(float elapsed) override {
    elapsedTotal += elapsed;
    hgeInputEvent event;
    while (m_pHge->Input_GetEvent(&event)) {
      if (event.type == INPUT_KEYDOWN && event.key == HGEK_ESCAPE) ++escapes;
    }
  }

  // The render callback, in the table view's order.
  static bool RenderFrame() {
    TestView* view = s_current;
    if (view == nullptr) return false;
    ++view->renders;
    HGE* hge = view->m_pHge;
    const int w = hge->System_GetStateInt(HGE_SCREENWIDTH);
    const int h = hge->System_GetStateInt(HGE_SCREENHEIGHT);
    if (hge->Gfx_BeginScene(view->m_target)) {
      hge->Gfx_Clear(0xFF000000);
      view->DrawTable(w, h);
      if (CMoveSpriteManager* own = view->GetMoveSpriteManager()) own->Render();
      view->DrawMatchScrollMessage();
      hge->Gfx_EndScene();
    }
    if (hge->Gfx_BeginScene(0)) {
      hge->Gfx_Clear(0xFF000000);
      if (view->m_blit) {
        view->m_blit->SetTexture(hge->Target_GetTexture(view->m_target));
        view->m_blit->RenderEx(std::abs(w - view->m_contentW) / 2.0f,
                               std::abs(h - view->m_contentH) / 2.0f, 0, view->m_scale);
      }
      view->DrawGui();
      hge->Gfx_EndScene();
    }
    return false;
  }

  // The loop draws this view every frame while it says something moves, else when it names.
  int64_t NextFrameDueMs() const override { return moving ? FRAME_AT_RATE : dueMs; }

  bool moving = false;
  int64_t dueMs = NO_FRAME_DUE;  // the view's answer while it does not move
  int arrangeCount = 0;
  int tableResets = 0;
  int renders = 0;
  int escapes = 0;
  float elapsedTotal = 0;
  gcn::MyCButtonEx* Button() const { return m_button.get(); }

 protected:
  int OnCreate() override {
    if (CBrisvaneView2D::OnCreate() != 0) return -1;
    m_target = m_pHge->Target_Create(1280, 720, false);
    m_blit = std::make_unique<hgeSprite>(m_pHge->Target_GetTexture(m_target), 0, 0, 1280, 720);
    m_cardTexture = m_pHge->Texture_Create(20, 30);
    if (DWORD* p = m_pHge->Texture_Lock(m_cardTexture, false)) {
      const int pitch = m_pHge->Texture_GetWidth(m_cardTexture);
      for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 20; ++x)
          p[y * pitch + x] = (x == 0 || y == 0 || x == 19 || y == 29) ? 0xFFFFFFFF : kCardColor;
      m_pHge->Texture_Unlock(m_cardTexture);
    }
    m_card = std::make_unique<hgeSprite>(m_cardTexture, 0, 0, 20, 30);
    m_card->SetHotSpot(10, 15);
    SDL_Surface* strip = SDL_CreateRGBSurfaceWithFormat(0, 400, 50, 32, SDL_PIXELFORMAT_ARGB8888);
    const uint32_t columns[4] = {kButtonColor, 0xFF10A010, 0xFF6080FF, 0xFF707070};
    for (int y = 0; y < 50; ++y) {
      auto* row =
          reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(strip->pixels) + y * strip->pitch);
      for (int x = 0; x < 400; ++x) row[x] = columns[x / 100];
    }
    m_button = std::make_unique<gcn::MyCButtonEx>(new gcn::SDL2Image(strip));
    GetGuiContainer()->add(m_button.get());
    s_current = this;
    m_pHge->System_SetStateFunc(HGE_RENDERFUNC, &TestView::RenderFrame);
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

inline TestView* TestView::s_current = nullptr;

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

  bool SetupGame() override {
    ++setups;
    return true;
  }
  void ResetGame() override { ++gameResets; }
  bool OnClockTick(WORD chair, UINT secondsLeft, UINT timerId) override {
    ticks.push_back(Tick{GetTickCount64() - startMs, chair, secondsLeft, timerId});
    shownSeconds.push_back(m_view.GetUserTimer(SwitchViewChairID(chair)));
    return true;
  }
  bool OnSceneRestore(BYTE, bool, const void*, WORD) override { return true; }
  bool OnServerMessage(WORD id, const void*, WORD) override {
    messages.push_back(id);
    return true;
  }
  TestView& View() { return m_view; }

  uint64_t startMs = 0;
  int setups = 0;
  int gameResets = 0;
  std::vector<Tick> ticks;
  std::vector<WORD> shownSeconds;
  std::vector<WORD> messages;
  std::vector<std::pair<uint64_t, UINT_PTR>> windowTimers;

 protected:
  void OnTimer(UINT_PTR id) override { windowTimers.emplace_back(GetTickCount64() - startMs, id); }

 private:
  TestView m_view;
};

class TestApp : public CBrisvaneApp {
 public:
  CBrisvaneDlg* CreateGameDialog() override { return new TestDlg(); }
  TestDlg* Dialog() const { return static_cast<TestDlg*>(GetMainWnd()); }
};

}  // namespace platform_test
