// Drawing: the render callback (the table into the 1280 x 720 target, the target scaled onto
// the screen, the widgets on top), one frame of the table in design coordinates, the per-frame
// step of animations, moving sprites, keys and the end panel, and the short notices.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <iterator>

#include "cardcontrol/CardControl.h"
#include "motion/Animation_Varnel.h"
#include "motion/MoveSpriteManager_Varnel.h"
#include "motion/MoveSprite_Varnel.h"
#include "motion/MoveType_Varnel.h"
#include "platform/engine/hgeSprite.h"
#include "platform/frame/Letterbox.h"
#include "platform/win/WinText.h"
#include "text/TTFont.h"
#include "view/GameClientView.h"
#include "widgets/ScoreView.h"

CGameClientView* CGameClientView::s_pRenderView = nullptr;

namespace {

constexpr DWORD kOpaqueBlack = 0xFF000000;
// Portraits fill their frame a little inside its border.
constexpr float kPortraitScaleX = 0.96f;
constexpr float kPortraitScaleY = 0.97f;
// Auto-play and alarm marks: larger at the local seat.
constexpr float kMarkScaleLocal = 0.7f;
constexpr float kMarkScaleSide = 0.5f;
// The game server type of a match: no ready marks there.
constexpr WORD kMatchServer = 4;
constexpr BYTE kUserReady = 3;
// The whole deck still in the pile: nothing to show on the top panel yet.
constexpr BYTE kFullDeck = 54;
constexpr int kMultipleDigits = 4;
// A one-digit clock sits this far left of its point, in the middle of the dial.
constexpr int kClockOneDigitShift = 9;
constexpr float kWaitTipX = 1280.0f - 534.0f;
constexpr float kWaitTipY = 720.0f - 155.0f;
// Nicknames of this many bytes or more are cut to kNameCut bytes and get "...".
constexpr size_t kNameCutFrom = 12;
constexpr size_t kNameCut = 10;

// Notices: centred under the top panel, newest last, each shown for kNoticeLife seconds and
// fading out over the last kNoticeFade of them.
constexpr float kNoticeLife = 4.0f;
constexpr float kNoticeFade = 1.0f;
constexpr float kNoticeFadeStep = 1.0f / 20.0f;
constexpr float kNoticeFirstBaseline = 88.0f;
constexpr float kNoticeLineHeight = 26.0f;
constexpr float kNoticePadX = 12.0f;
constexpr float kNoticeBandAbove = 19.0f;  // band top above the baseline
constexpr float kNoticeBandBelow = 7.0f;   // band bottom below the baseline
constexpr DWORD kNoticeTextRgb = 0xFFF4D8;
constexpr float kNoticeBandAlpha = 0.62f;

bool Shows(const hgeSprite* sprite) { return sprite != nullptr && sprite->IsShow(); }

float F(int v) { return static_cast<float>(v); }

int DigitCount(unsigned value) {
  int n = 1;
  while (value >= 10) {
    value /= 10;
    ++n;
  }
  return n;
}

// A plain coloured rectangle (no texture) in the current scene.
void FillRect(HGE* hge, float x1, float y1, float x2, float y2, DWORD color) {
  hgeQuad quad{};
  const float xs[4] = {x1, x2, x2, x1}, ys[4] = {y1, y1, y2, y2};
  for (int i = 0; i < 4; ++i) {
    quad.v[i].x = xs[i];
    quad.v[i].y = ys[i];
    quad.v[i].z = 0.5f;
    quad.v[i].col = color;
  }
  quad.tex = 0;
  quad.blend = BLEND_DEFAULT;
  hge->Gfx_RenderQuad(&quad);
}

}  // namespace

// ---- the render callback -------------------------------------------------------------------

bool CGameClientView::RenderFrame() {
  CGameClientView* view = s_pRenderView;
  if (view == nullptr) return false;
  HGE* hge = view->m_pHge;
  const int width = hge->System_GetStateInt(HGE_SCREENWIDTH);
  const int height = hge->System_GetStateInt(HGE_SCREENHEIGHT);
  const tagLetterbox fit = FitTable(width, height);
  const float s = fit.scale;
  if (view->DrawPanelTurn(s, fit.offsetX, fit.offsetY)) return false;

  if (view->m_hTarget != 0 && hge->Gfx_BeginScene(view->m_hTarget)) {
    hge->Gfx_Clear(kOpaqueBlack);
    view->DrawTable(width, height);
    if (CMoveSpriteManager* frameSprites = view->GetMoveSpriteManager()) frameSprites->Render();
    view->DrawMatchScrollMessage();
    hge->Gfx_EndScene();
  }
  if (hge->Gfx_BeginScene(0)) {
    hge->Gfx_Clear(kOpaqueBlack);
    // The canvas, scaled as a whole into the letterbox; the texture filters it, so a larger
    // window gets smooth edges rather than doubled pixels.
    if (view->m_pTargetSprite) {
      view->m_pTargetSprite->SetTexture(hge->Target_GetTexture(view->m_hTarget));
      view->m_pTargetSprite->RenderEx(fit.offsetX, fit.offsetY, 0.0f, s, s);
    }
    // The widgets, the end panel's canvas among them (CPanelLayer).
    view->DrawGui();
    view->DrawCardCounts(s, fit.offsetX, fit.offsetY);
    hge->Gfx_EndScene();
  }
  if (!view->m_pScoreView || !view->m_pScoreView->IsShow()) view->FreePanelUnder();
  view->m_nTableDueMs = view->DueMs(false);
  view->m_fSinceWholeFrame = 0.0f;
  return false;
}

// ---- one frame of the table ----------------------------------------------------------------

void CGameClientView::DrawTable(int /*width*/, int /*height*/) {
  if (m_ImageViewBack) m_ImageViewBack->Render(F(m_ptBg.x), F(m_ptBg.y));

  for (WORD chair = 0; chair < VIEW_SEAT_COUNT; ++chair) DrawSeat(chair);

  if (m_wBankerChair < VIEW_SEAT_COUNT && m_pImageLandFace &&
      GetUserInfo(m_wBankerChair) != nullptr) {
    SelectSeatPosition(m_wBankerChair);
    const tagViewPoint& at = m_ptPlayer[m_nPosition];
    m_pImageLandFace->RenderEx(F(at.x), F(at.y), 0.0f, kPortraitScaleX, kPortraitScaleY);
  }

  for (WORD chair = 0; chair < VIEW_SEAT_COUNT; ++chair) {
    SelectSeatPosition(chair);
    if (m_cbAutoPlayFlag[chair] && m_AniAutoPlay[chair]) {
      const tagViewPoint& at = m_ptAutoAndAlart[m_nPosition];
      const float scale = m_nPosition == 1 ? kMarkScaleLocal : kMarkScaleSide;
      m_AniAutoPlay[chair]->RenderEx(F(at.x), F(at.y), 0.0f, scale, scale);
    }
  }

  for (WORD chair = 0; chair < VIEW_SEAT_COUNT; ++chair) {
    if (GetUserInfo(chair) == nullptr) continue;
    SelectSeatPosition(chair);
    const int p = m_nPosition;
    const WORD seconds = GetUserTimer(chair);
    if (seconds != 0 && m_pImageNumBack) {
      m_pImageNumBack->Render(F(m_ptTimeBg[p].x), F(m_ptTimeBg[p].y));
      DrawClock(seconds, m_ptTimeNum[p].x, m_ptTimeNum[p].y);
    }
    // The box is the pass mark's backing: without a pass mark to show it stays away too.
    if (m_cbPassFlag[chair] == 1 && Shows(m_pImageBuchu.get())) {
      if (m_pImageViewBox[p]) m_pImageViewBox[p]->Render(F(m_ptBoxBg[p].x), F(m_ptBoxBg[p].y));
      m_pImageBuchu->Render(F(m_ptPass[p].x), F(m_ptPass[p].y));
    }
  }

  DrawTopPanel();
  if (m_pMoveSprites) m_pMoveSprites->Render();
  DrawEffects();
  if (m_cbWaitTip && m_pWaitTip) m_pWaitTip->Render(kWaitTipX, kWaitTipY);
  // The end panel is drawn over the cards (DrawPanelLayer); the notices then go with it.
  if (!m_pScoreView || !m_pScoreView->IsShow()) DrawNotices();
}

// ---- the end panel's layer -----------------------------------------------------------------

// The end panel lies over every card: the cards are widgets, drawn over the canvas, so the
// panel is drawn straight onto the screen, scaled like the canvas, by a widget that sits in the
// widget container after the card controls and before the buttons and windows. The widget has
// no area: it never takes the mouse from the cards under it, and it draws the whole letterboxed
// panel past its clipping.
class CGameClientView::CPanelLayer : public gcn::Widget {
 public:
  explicit CPanelLayer(CGameClientView& view) : m_view(view) {
    setDimension(gcn::Rectangle(0, 0, 0, 0));
    setFocusable(false);
  }
  void draw(gcn::Graphics* /*graphics*/) override { m_view.DrawPanelLayer(); }

 private:
  CGameClientView& m_view;
};

void CGameClientView::CreatePanelLayer() {
  m_pPanelLayer = std::make_unique<CPanelLayer>(*this);
  if (gcn::Container* container = GetGuiContainer()) container->add(m_pPanelLayer.get());
}

void CGameClientView::DrawPanelLayer() {
  if (!m_pScoreView || !m_pScoreView->IsShow()) return;
  const tagLetterbox fit = FitTable(m_pHge->System_GetStateInt(HGE_SCREENWIDTH),
                                    m_pHge->System_GetStateInt(HGE_SCREENHEIGHT));
  m_pHge->Gfx_SetClipping();
  // Only a panel whose numbers stand redraws its backdrop alone: no copy while they count.
  if (m_pScoreView->IsCounting()) {
    m_bPanelUnderSaved = false;
  } else {
    SavePanelUnder();
  }
  DrawPanel(fit.scale, fit.offsetX, fit.offsetY);
}

// The panel in design coordinates, scaled into the letterbox; the counting numbers step once,
// and the notices lie over it to stay readable.
void CGameClientView::DrawPanel(float scale, float offsetX, float offsetY) {
  SelectSeatPosition(1);
  m_pHge->Gfx_SetTransform(0.0f, 0.0f, offsetX, offsetY, 0.0f, scale, scale);
  m_pScoreView->Draw(m_nPosition);
  DrawNotices();
  m_pHge->Gfx_SetTransform();
}

// The screen so far (the table and the cards, all that lies under the panel), kept for the
// frames that draw only the turning backdrop again.
void CGameClientView::SavePanelUnder() {
  const int width = m_pHge->System_GetStateInt(HGE_SCREENWIDTH);
  const int height = m_pHge->System_GetStateInt(HGE_SCREENHEIGHT);
  if (m_pPanelUnderSprite && (static_cast<int>(m_pPanelUnderSprite->GetWidth()) != width ||
                              static_cast<int>(m_pPanelUnderSprite->GetHeight()) != height)) {
    FreePanelUnder();
  }
  if (m_hPanelUnder == 0) {
    m_hPanelUnder = m_pHge->Target_Create(width, height, false);
    if (m_hPanelUnder == 0) return;
    m_pPanelUnderSprite = std::make_unique<hgeSprite>(m_pHge->Target_GetTexture(m_hPanelUnder),
                                                      0.0f, 0.0f, F(width), F(height));
  }
  m_bPanelUnderSaved = m_pHge->Gfx_CopyScene(m_hPanelUnder);
}

void CGameClientView::FreePanelUnder() {
  m_bPanelUnderSaved = false;
  m_pPanelUnderSprite.reset();
  if (m_hPanelUnder != 0) m_pHge->Target_Free(m_hPanelUnder);
  m_hPanelUnder = 0;
}

bool CGameClientView::TableStill() const {
  if (m_nTableDueMs == NO_FRAME_DUE) return true;
  // The due time is rounded up to the ms: a ms short of it, the change may have come.
  return m_nTableDueMs > 1 && m_fSinceWholeFrame < static_cast<float>(m_nTableDueMs - 1) / 1000.0f;
}

// A frame due only because the panel's backdrop turned on, with nothing else changed since the
// last frame: the backdrop's square is drawn again, from the screen under the panel kept at
// the last whole frame, the panel, and the buttons and windows above it. False when the frame
// must be drawn whole.
bool CGameClientView::DrawPanelTurn(float scale, float offsetX, float offsetY) {
  if (!IsOnlyDueFrame() || !TableStill() || !m_bPanelUnderSaved || !m_pPanelUnderSprite) {
    return false;
  }
  if (!m_pScoreView || !m_pScoreView->IsShow() || m_pScoreView->IsCounting()) return false;
  if (!m_pPanelLayer) return false;
  const int width = m_pHge->System_GetStateInt(HGE_SCREENWIDTH);
  const int height = m_pHge->System_GetStateInt(HGE_SCREENHEIGHT);
  if (static_cast<int>(m_pPanelUnderSprite->GetWidth()) != width ||
      static_cast<int>(m_pPanelUnderSprite->GetHeight()) != height) {
    return false;
  }
  int x = 0, y = 0, w = 0, h = 0;
  if (!m_pScoreView->TurningRect(&x, &y, &w, &h)) return true;  // nothing turns: nothing new
  // The square on the screen, a pixel wider for the filtering of a scaled table.
  const int left = static_cast<int>(std::floor(offsetX + F(x) * scale)) - 1;
  const int top = static_cast<int>(std::floor(offsetY + F(y) * scale)) - 1;
  const int right = static_cast<int>(std::ceil(offsetX + F(x + w) * scale)) + 1;
  const int bottom = static_cast<int>(std::ceil(offsetY + F(y + h) * scale)) + 1;
  if (!m_pHge->Gfx_BeginScene(0)) return true;
  m_pHge->Gfx_SetClipping(left, top, right - left, bottom - top);
  m_pPanelUnderSprite->SetBlendMode(BLEND_COPY);
  m_pPanelUnderSprite->Render(0.0f, 0.0f);
  DrawPanel(scale, offsetX, offsetY);
  DrawGuiAbove(m_pPanelLayer.get(), gcn::Rectangle(left, top, right - left, bottom - top));
  m_pHge->Gfx_SetClipping(left, top, right - left, bottom - top);
  DrawCardCounts(scale, offsetX, offsetY);
  m_pHge->Gfx_EndScene();
  return true;
}

void CGameClientView::DrawSeat(WORD chair) {
  SelectSeatPosition(chair);
  const int p = m_nPosition;
  const tagUserData* user = GetUserInfo(chair);
  if (user == nullptr || !m_pPortrait[chair]) return;

  if (m_pFaceBg) m_pFaceBg->Render(F(m_ptPlayerBg[p].x), F(m_ptPlayerBg[p].y));
  // Side portraits look towards the table.
  hgeSprite& portrait = *m_pPortrait[chair];
  if (p == 0) portrait.SetFlip(true, false);
  if (p == 2) portrait.SetFlip(false, false);
  portrait.RenderEx(F(m_ptPlayer[p].x), F(m_ptPlayer[p].y), 0.0f, kPortraitScaleX, kPortraitScaleY);
  if (m_AniAlart[chair]) {
    const float scale = p == 1 ? kMarkScaleLocal : kMarkScaleSide;
    m_AniAlart[chair]->RenderEx(F(m_ptAutoAndAlart[p].x), F(m_ptAutoAndAlart[p].y), 0.0f, scale,
                                scale);
  }

  if (chair != 1) {
    DrawSideNameAndGold(chair, p);
  } else {
    if (m_pGoldBg) m_pGoldBg->Render(F(m_ptPlayerGoldBg[p].x), F(m_ptPlayerGoldBg[p].y));
    if (m_lGold[chair] > 0 && m_pFont)
      m_pFont->DrawText(F(m_ptPlayerGold[p].x), F(m_ptPlayerGold[p].y), L"%I64u",
                        static_cast<unsigned long long>(m_lGold[chair]));
    if (m_pFont) {
      wchar_t name[sizeof(m_szName[0]) + 1] = {};
      MultiByteToWideChar(CP_ACP, 0, m_szName[chair], -1, name, static_cast<int>(std::size(name)));
      m_pFont->DrawString(name, F(m_ptPlayerName[p].x), F(m_ptPlayerName[p].y));
    }
  }

  if (m_wServerType != kMatchServer && user->cbUserStatus == kUserReady && m_pReady) {
    if (m_pImageViewBox[p]) m_pImageViewBox[p]->Render(F(m_ptBoxBg[p].x), F(m_ptBoxBg[p].y));
    m_pReady->Render(F(m_ptReady[p].x), F(m_ptReady[p].y));
  }
}

void CGameClientView::CopyDisplayName(WORD chair, const char* nickname) {
  char* name = m_szName[chair];
  const size_t length = strnlen(nickname, sizeof(m_szName[0]) - 1);
  if (length < kNameCutFrom) {
    std::memcpy(name, nickname, length);
    name[length] = '\0';
    return;
  }
  // Cut on a character boundary: a Chinese name must not end in half a character.
  const size_t cut = Utf8CutLength(nickname, length, kNameCut);
  std::memcpy(name, nickname, cut);
  std::memcpy(name + cut, "...", 4);
}

bool CGameClientView::IsSideSeatMasked(WORD chair) const {
  const tagServerAttribute* attribute = m_pKernel ? m_pKernel->GetServerAttribute() : nullptr;
  const bool hidden = attribute != nullptr && attribute->cbHideUserInfo == 1;
  // Once the game runs with the player in it, only the server hides the name; before that a
  // newcomer stays anonymous too.
  if (m_cbGameRunning && m_cbPlayingFlag[chair] == 1) return hidden;
  return m_nMaskedFlag[chair] == 1 || hidden;
}

void CGameClientView::DrawSideNameAndGold(WORD chair, int position) {
  if (m_pFont == nullptr) return;
  const bool masked = IsSideSeatMasked(chair);
  const tagViewPoint& namePoint = m_ptPlayerName[position];
  const tagViewPoint& goldBgPoint = m_ptPlayerGoldBg[position];
  const tagViewPoint& goldPoint = m_ptPlayerGold[position];
  auto drawName = [&] {
    if (masked) {
      m_pFont->DrawString(L"游戏玩家", F(namePoint.x), F(namePoint.y));
      return;
    }
    wchar_t name[sizeof(m_szName[0]) + 1] = {};
    MultiByteToWideChar(CP_ACP, 0, m_szName[chair], -1, name, static_cast<int>(std::size(name)));
    m_pFont->DrawString(name, F(namePoint.x), F(namePoint.y));
  };
  auto drawGold = [&] {
    if (m_lGold[chair] <= 0) return;
    if (m_pGoldBg) m_pGoldBg->Render(F(goldBgPoint.x), F(goldBgPoint.y));
    if (masked) {
      m_pFont->DrawString(L"********", F(goldPoint.x), F(goldPoint.y));
    } else {
      m_pFont->DrawText(F(goldPoint.x), F(goldPoint.y), L"%I64u",
                        static_cast<unsigned long long>(m_lGold[chair]));
    }
  };
  if (position == 2) {
    drawName();
    drawGold();
  } else {
    drawGold();
    drawName();
  }
}

void CGameClientView::DrawTopPanel() {
  if (m_cbLeftCardCount >= kFullDeck || !m_cbGameRunning) return;
  if (m_pTopView) m_pTopView->Render(F(m_ptBeishuBg.x), F(m_ptBeishuBg.y));
  if (m_pBeiShu) m_pBeiShu->Render(F(m_ptBeishuTxt.x), F(m_ptBeishuTxt.y));
  if (m_pNumber) {
    if (m_pBei) m_pBei->Render(F(m_ptBeiTxt.x), F(m_ptBeiTxt.y));
    // The ones digit at the point and each higher one a cell further left, so the caption
    // before it leaves room for the digits.
    const int w = static_cast<int>(m_pNumber->GetWidth()) / 10;
    unsigned value = m_wBeiShu;
    for (int i = 0; i < kMultipleDigits; ++i) {
      DrawDigit(m_pNumber.get(), static_cast<int>(value % 10), F(m_ptBeishuNum.x - i * w),
                F(m_ptBeishuNum.y));
      value /= 10;
      if (value == 0) break;
    }
  }
  if (m_pImgLeftText) {
    m_pImgLeftText->Render(F(m_ptLeftCountTxt.x), F(m_ptLeftCountTxt.y));
    DrawCentredNumber(m_pNumber.get(), m_cbLeftCardCount, m_ptLeftCount.x, m_ptLeftCount.y);
  }
}

void CGameClientView::DrawEffects() {
  for (Animation_Varnel* animation :
       {m_pAniSpring.get(), m_pAniBigSpring.get(), m_pAniHaoSpring.get(), m_pAniFlash.get()}) {
    if (animation == nullptr) continue;
    PlaceEffect(animation);
    animation->Render(F(m_ptEffect.x), F(m_ptEffect.y));
  }
  if (m_pAniShunZi) {
    PlaceEffect(m_pAniShunZi.get());
    m_pAniShunZi->Render(F(m_ptEffect.x), F(m_ptEffect.y - 100));
  }
  if (m_pAniLianDui) {
    PlaceEffect(m_pAniLianDui.get());
    m_pAniLianDui->Render(F(m_ptEffect.x - 100), F(m_ptEffect.y));
  }
  if (m_pAniRocket2) {
    PlaceEffect(m_pAniRocket2.get());
    m_pAniRocket2->Render(F(m_ptEffect.x), F(m_ptEffect.y - 100));
  }
}

// ---- numbers -------------------------------------------------------------------------------

void CGameClientView::DrawDigit(hgeSprite* strip, int digit, float x, float y, float scale) {
  if (strip == nullptr || digit < 0 || digit > 9) return;
  float tx = 0, ty = 0, tw = 0, th = 0;
  strip->GetTextureRect(&tx, &ty, &tw, &th);
  const float w = F(static_cast<int>(tw) / 10);
  strip->SetTextureRect(tx + F(digit) * w, ty, w, th);
  if (scale == 1.0f) {
    strip->Render(x, y);
  } else {
    strip->RenderEx(x, y, 0.0f, scale, scale);
  }
  strip->SetTextureRect(tx, ty, tw, th);
}

void CGameClientView::DrawCentredNumber(hgeSprite* strip, unsigned value, int x, int y, float scale,
                                        float offsetX, float offsetY) {
  if (strip == nullptr) return;
  const int w = static_cast<int>(strip->GetWidth()) / 10;
  const int h = static_cast<int>(strip->GetHeight());
  const int n = DigitCount(value);
  int at = x + n * w / 2 - w;
  for (int i = 0; i < n; ++i, at -= w, value /= 10)
    DrawDigit(strip, static_cast<int>(value % 10), offsetX + F(at) * scale,
              offsetY + F(y - h / 2) * scale, scale);
}

void CGameClientView::DrawCardCounts(float scale, float offsetX, float offsetY) {
  if (!m_cbGameRunning) return;
  for (WORD chair : {WORD{0}, WORD{2}}) {
    if (m_cbCardCount[chair] == 0 || !m_pPortrait[chair] || GetUserInfo(chair) == nullptr) continue;
    SelectSeatPosition(chair);
    const int p = m_nPosition;
    if (m_pPlayerLeftNumBg)
      m_pPlayerLeftNumBg->RenderEx(offsetX + F(m_ptLeftCardBg[p].x) * scale,
                                   offsetY + F(m_ptLeftCardBg[p].y) * scale, 0.0f, scale, scale);
    DrawCentredNumber(m_pPlayerLeftNum.get(), m_cbCardCount[chair], m_ptLeftCard[p].x,
                      m_ptLeftCard[p].y, scale, offsetX, offsetY);
  }
}

void CGameClientView::DrawClock(unsigned seconds, int x, int y) {
  if (!m_pTimeNumber) return;
  if (seconds < 10) {
    DrawDigit(m_pTimeNumber.get(), static_cast<int>(seconds), F(x - kClockOneDigitShift), F(y));
    return;
  }
  const int w = static_cast<int>(m_pTimeNumber->GetWidth()) / 10;
  for (int at = x; seconds != 0; seconds /= 10, at -= w)
    DrawDigit(m_pTimeNumber.get(), static_cast<int>(seconds % 10), F(at), F(y));
}

// ---- the per-frame step --------------------------------------------------------------------

// What a seat shows comes from its user at every frame, drawn or not, so that drawing only
// reads: the gold and the name as displayed, a side hand stacked while the game runs (under
// its count, DrawCardCounts: the count goes over the widgets, else the stack would cover it),
// and an empty chair plays for nobody.
void CGameClientView::RefreshSeats() {
  for (WORD chair = 0; chair < VIEW_SEAT_COUNT; ++chair) {
    const tagUserData* user = GetUserInfo(chair);
    if (user == nullptr) m_cbAutoPlayFlag[chair] = 0;
    if (user == nullptr || !m_pPortrait[chair]) continue;
    m_lGold[chair] = user->lScore;
    CopyDisplayName(chair, user->szName);
    if (chair != 1 && m_cbGameRunning && m_cbCardCount[chair] != 0 && m_pHandCard[chair])
      m_pHandCard[chair]->SetSpacing(0, 0, 0);
  }
}

void CGameClientView::AdvanceFrame(float elapsed) {
  RefreshSeats();
  m_fSinceWholeFrame += elapsed;
  for (Animation_Varnel* animation :
       {m_pAniShunZi.get(), m_pAniLianDui.get(), m_pAniRocket.get(), m_pAniRocket2.get(),
        m_pAniFlash.get(), m_pAniSpring.get(), m_pAniBigSpring.get(), m_pAniHaoSpring.get()}) {
    if (animation) animation->Update(elapsed);
  }
  for (WORD seat = 0; seat < VIEW_SEAT_COUNT; ++seat) {
    if (m_AniAutoPlay[seat]) m_AniAutoPlay[seat]->Update(elapsed);
    if (m_AniAlart[seat]) m_AniAlart[seat]->Update(elapsed);
  }
  if (m_pMoveSprites) m_pMoveSprites->Update(elapsed);
  AgeNotices(elapsed);
  // The end panel's numbers count a step a frame, even while Escape holds the rest still.
  if (m_pScoreView) m_pScoreView->Count();

  hgeInputEvent event;
  while (m_pHge->Input_GetEvent(&event)) {
    if (event.type != INPUT_KEYDOWN) continue;
    // Escape holds the end panel still for this frame.
    if (event.key == HGEK_ESCAPE) return;
    if (event.key == HGEK_K && m_pFont) m_pFont->SetUseKerning(!m_pFont->GetUseKerning());
  }
  if (m_pScoreView) m_pScoreView->Update(elapsed);
}

int64_t CGameClientView::NextFrameDueMs() const { return DueMs(true); }

// When the table (and with withPanel the end panel) changes by itself next.
int64_t CGameClientView::DueMs(bool withPanel) const {
  auto runs = [](const Animation_Varnel* animation) {
    return animation != nullptr && animation->IsShow() && animation->IsPlaying();
  };
  // The flying rocket's own animation is drawn by its moving sprite (below), only while it flies.
  for (const Animation_Varnel* animation :
       {m_pAniShunZi.get(), m_pAniLianDui.get(), m_pAniRocket2.get(), m_pAniFlash.get(),
        m_pAniSpring.get(), m_pAniBigSpring.get(), m_pAniHaoSpring.get()}) {
    if (runs(animation)) return FRAME_AT_RATE;
  }
  // A sprite that arrived may stay on the table, still: only one on its way, or whose own
  // animation runs, moves.
  for (int i = 0; m_pMoveSprites != nullptr; ++i) {
    const MoveSprite_Varnel* sprite = m_pMoveSprites->GetSprite(i);
    if (sprite == nullptr) break;
    if (!sprite->IsAlive()) continue;
    const MoveType_Varnel* law = sprite->GetMotion();
    if ((law != nullptr && !law->IsFinished()) || runs(sprite->GetAnimation())) {
      return FRAME_AT_RATE;
    }
  }
  if (m_bShaking) return FRAME_AT_RATE;
  if (withPanel && m_pScoreView && m_pScoreView->IsCounting()) return FRAME_AT_RATE;
  const CardControl* hand = m_pHandCard[1].get();
  if (hand != nullptr && hand->IsDragging()) return FRAME_AT_RATE;

  // The slow changes: the soonest of them, in whole ms (a frame a little late rather than one
  // a little early that changes nothing and asks again at once).
  float soonest = -1.0f;
  auto dueIn = [&soonest](float seconds) {
    if (seconds >= 0.0f && (soonest < 0.0f || seconds < soonest)) soonest = seconds;
  };
  for (WORD seat = 0; seat < VIEW_SEAT_COUNT; ++seat) {
    // The auto-play mark is drawn only with its flag; the alarm whenever it is shown.
    if (m_cbAutoPlayFlag[seat] && runs(m_AniAutoPlay[seat].get())) {
      dueIn(m_AniAutoPlay[seat]->SecondsToNextFrame());
    }
    if (runs(m_AniAlart[seat].get())) dueIn(m_AniAlart[seat]->SecondsToNextFrame());
  }
  if (withPanel && m_pScoreView && m_pScoreView->IsShow()) dueIn(CScoreView::kTurnStepSeconds);
  // A notice stands still until it starts to fade, and fades in steps too fine to tell apart
  // from frame by frame.
  for (int i = 0; i < m_nNotices; ++i) {
    const float still = kNoticeLife - kNoticeFade - m_Notices[i].fAge;
    dueIn(still > 0.0f ? still : kNoticeFadeStep);
  }
  if (soonest < 0.0f) return NO_FRAME_DUE;
  return static_cast<int64_t>(std::ceil(soonest * 1000.0f));
}

// ---- notices -------------------------------------------------------------------------------

void CGameClientView::ShowNotice(const char* text) {
  if (text == nullptr || text[0] == '\0') return;
  if (m_nNotices == kMaxNotices) {
    std::memmove(&m_Notices[0], &m_Notices[1], sizeof(m_Notices[0]) * (kMaxNotices - 1));
    --m_nNotices;
  }
  tagNotice& notice = m_Notices[m_nNotices++];
  const size_t length = Utf8CutLength(text, std::strlen(text), sizeof(notice.szText) - 1);
  std::memcpy(notice.szText, text, length);
  notice.szText[length] = '\0';
  notice.fAge = 0.0f;
  UpdateGameView(nullptr);
}

void CGameClientView::AgeNotices(float elapsed) {
  if (!(elapsed > 0.0f)) return;
  int kept = 0;
  for (int i = 0; i < m_nNotices; ++i) {
    m_Notices[i].fAge += elapsed;
    if (m_Notices[i].fAge < kNoticeLife) m_Notices[kept++] = m_Notices[i];
  }
  m_nNotices = kept;
}

void CGameClientView::DrawNotices() {
  if (m_pFont == nullptr || m_nNotices == 0) return;
  for (int i = 0; i < m_nNotices; ++i) {
    const tagNotice& notice = m_Notices[i];
    const float left = kNoticeLife - notice.fAge;
    const float fade = left < kNoticeFade ? std::max(left, 0.0f) / kNoticeFade : 1.0f;
    wchar_t text[sizeof(notice.szText)] = {};
    MultiByteToWideChar(CP_ACP, 0, notice.szText, -1, text, static_cast<int>(std::size(text)));
    const size_t length = wcsnlen(text, std::size(text));
    const float width = F(m_pFont->MeasureString(text, length));
    const float baseline = kNoticeFirstBaseline + F(i) * kNoticeLineHeight;
    const float x = 640.0f - width / 2.0f;
    FillRect(m_pHge, x - kNoticePadX, baseline - kNoticeBandAbove, x + width + kNoticePadX,
             baseline + kNoticeBandBelow,
             ARGB(static_cast<DWORD>(255.0f * kNoticeBandAlpha * fade), 0, 0, 0));
    m_pFont->SetColor(SETA(kNoticeTextRgb, static_cast<DWORD>(255.0f * fade)));
    m_pFont->DrawString(text, length, x, baseline);
  }
  m_pFont->SetColor(kTextColor);
}
