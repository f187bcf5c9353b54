// A plain table on the lobby frame, for the frame's tests, the window smoke test and the frame
// loop's benchmark: a view that draws a table the way the game's view does (a cloth and a card
// into a 1280 x 720 render target, the target letterboxed onto the screen, an image button on
// top) and counts what the frame asks of it. It moves (asks for every frame) while `moving` is
// set, and otherwise names `dueMs` as its next frame.
#pragma once

#include <SDL2/SDL.h>

#include <algorithm>
#include <cstdint>
#include <memory>

#include "platform/engine/hgeSprite.h"
#include "platform/frame/BrisvaneView2D.h"
#include "platform/gui/SDL2Graphics.h"
#include "widgets/MyCButtonEx.h"

inline constexpr uint32_t PLAIN_TABLE_COLOR = 0xFF1E5A32;   // the table's cloth
inline constexpr uint32_t PLAIN_CARD_COLOR = 0xFFE03020;    // the sprite on it
inline constexpr uint32_t PLAIN_BUTTON_COLOR = 0xFF2040E0;  // the button's normal picture

class CPlainTableView : public CBrisvaneView2D {
 public:
  static inline CPlainTableView* s_current = nullptr;

  ~CPlainTableView() override {
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
    cloth.SetColor(PLAIN_TABLE_COLOR);
    cloth.Render(0, 0);
    m_card->RenderEx(640, 360, 0.3f, 6.0f);
  }
  // Takes the frame's input as the game's view does, so that no event waits.
  void AdvanceFrame(float elapsed) override {
    elapsedTotal += elapsed;
    hgeInputEvent event;
    while (m_pHge->Input_GetEvent(&event)) {
    }
  }
  int64_t NextFrameDueMs() const override { return moving ? FRAME_AT_RATE : dueMs; }

  // The render callback, in the table view's order.
  static bool RenderFrame() {
    CPlainTableView* v = s_current;
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
      std::fill(p, p + m_pHge->Texture_GetWidth(m_cardTexture) * 30, PLAIN_CARD_COLOR);
      m_pHge->Texture_Unlock(m_cardTexture);
    }
    m_card = std::make_unique<hgeSprite>(m_cardTexture, 0, 0, 20, 30);
    m_card->SetHotSpot(10, 15);
    // The button's four state pictures side by side, the normal one first.
    SDL_Surface* strip = SDL_CreateRGBSurfaceWithFormat(0, 400, 50, 32, SDL_PIXELFORMAT_ARGB8888);
    SDL_FillRect(strip, nullptr, 0xFF707070);
    const SDL_Rect normal{0, 0, 100, 50};
    SDL_FillRect(strip, &normal, PLAIN_BUTTON_COLOR);
    m_button = std::make_unique<gcn::MyCButtonEx>(new gcn::SDL2Image(strip));
    GetGuiContainer()->add(m_button.get());
    s_current = this;
    m_pHge->System_SetStateFunc(HGE_RENDERFUNC, &CPlainTableView::RenderFrame);
    return 0;
  }

 private:
  HTARGET m_target = 0;
  HTEXTURE m_cardTexture = 0;
  std::unique_ptr<hgeSprite> m_card;
  std::unique_ptr<gcn::MyCButtonEx> m_button;
  float m_scale = 1, m_offsetX = 0, m_offsetY = 0;
};
