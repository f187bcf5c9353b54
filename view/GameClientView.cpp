// The view's state: construction, reset, the setters the dialog calls and the shake; the
// layout, drawing, resources and input live in the View*.cpp files beside it.
#include "view/GameClientView.h"

#include <cmath>

#include "cardcontrol/CardControl.h"
#include "config/ResourceConfig.h"
#include "motion/Animation_Varnel.h"
#include "motion/MoveSpriteManager_Varnel.h"
#include "platform/engine/hgeSprite.h"
#include "platform/frame/BrisvaneDlg.h"
#include "text/FontManager.h"
#include "text/TTFont.h"
#include "widgets/GameSetting.h"
#include "widgets/MyCButtonEx.h"
#include "widgets/ScoreView.h"

namespace {

constexpr float kShakeStep = 1.9f;
constexpr float kShakeEnd = 24.0f * 3.14159265f;  // the last phase of a shake
constexpr float kShakeStopped = 30.0f * 3.14159265f;
constexpr float kShakeRadius = 6.0f;

}  // namespace

CGameClientView::CGameClientView() = default;

void CGameClientView::ResetTable() {
  m_cbGameRunning = 0;
  m_wBeiShu = 1;
  m_wBankerChair = VIEW_NO_CHAIR;
  m_cbBankerFlag = 0;
  for (WORD seat = 0; seat < VIEW_SEAT_COUNT; ++seat) {
    m_cbPassFlag[seat] = 0;
    m_cbAutoPlayFlag[seat] = 0;
    m_cbAlarmFlag[seat] = 0;
    m_lGold[seat] = 0;
    m_lLastScore[seat] = 0;
    m_lTotalScore[seat] = 0;
    if (m_pHandCard[seat]) m_pHandCard[seat]->SetCards(nullptr, 0);
    if (m_pOutCard[seat]) m_pOutCard[seat]->SetCards(nullptr, 0);
  }
  m_cbLeftCardCount = 0;
  for (auto* button :
       {&m_btOutCard, &m_btPassCard, &m_btAutoOutCard, &m_btAutoPlayOn, &m_btAutoPlayOff}) {
    if (*button) (*button)->setVisible(false);
  }
  for (auto* button : {&m_btChildStart, &m_pbtDetails, &m_pbtChangeTable}) {
    if (*button) (*button)->SetVisible(false);
  }
  if (m_pScoreView) m_pScoreView->Show(false);
  m_lScore = 0;
  m_dwBaseScore[0] = 0;
  m_dwBaseScore[1] = 0;
  if (m_pBeiShu) m_pBeiShu->SetShow(false);
  if (m_pNumber) m_pNumber->SetShow(false);
}

void CGameClientView::SetBeiShu(WORD multiple) {
  m_wBeiShu = multiple;
  UpdateGameView(nullptr);
}

void CGameClientView::SetCardCount(WORD chair, BYTE count) {
  if (chair < VIEW_SEAT_COUNT) {
    m_cbCardCount[chair] = count;
    UpdateGameView(nullptr);
  } else if (chair == VIEW_ALL_SEATS) {
    for (BYTE& c : m_cbCardCount) c = count;
  }
}

void CGameClientView::SetPassFlag(WORD chair, bool pass) {
  if (chair < VIEW_SEAT_COUNT) {
    m_cbPassFlag[chair] = pass ? 1 : 0;
    UpdateGameView(nullptr);
  } else if (chair == VIEW_ALL_SEATS) {
    for (BYTE& flag : m_cbPassFlag) flag = pass ? 1 : 0;
  }
}

void CGameClientView::SetAutoPlayFlag(WORD chair, bool on) {
  if (chair < VIEW_SEAT_COUNT) {
    m_cbAutoPlayFlag[chair] = on ? 1 : 0;
  } else if (chair >= VIEW_ALL_SEATS) {
    for (BYTE& flag : m_cbAutoPlayFlag) flag = on ? 1 : 0;
  }
  UpdateGameView(nullptr);
}

void CGameClientView::SetBankerSeat(WORD chair, BYTE flag) {
  m_wBankerChair = chair;
  m_cbBankerFlag = flag;
  UpdateGameView(nullptr);
}

void CGameClientView::SetLeftCardCount(BYTE deckCount) {
  m_cbLeftCardCount = deckCount;
  UpdateGameView(nullptr);
}

void CGameClientView::SetSeatOrder(BYTE order) {
  if (m_cbSeatOrder != order) m_cbSeatOrder = order;
}

void CGameClientView::SelectSeatPosition(WORD chair) {
  if (m_cbSeatOrder != 0) {
    m_nPosition = chair < VIEW_SEAT_COUNT ? chair : 0;
  } else {
    m_nPosition = chair < VIEW_SEAT_COUNT ? 2 - chair : 0;
  }
}

void CGameClientView::SetDealFlag(BYTE flag) {
  m_cbDealFlag = flag;
  UpdateGameView(nullptr);
}

void CGameClientView::SetScore64(int64_t score) {
  m_lScore = score;
  UpdateGameView(nullptr);
}

void CGameClientView::SetBaseScore64(DWORD low, DWORD high) {
  m_dwBaseScore[0] = low;
  m_dwBaseScore[1] = high;
}

void CGameClientView::StartShake() {
  m_fShakePhase = 0.0f;
  m_bShaking = true;
}

void CGameClientView::StopShake() {
  SetShakeOffset(0, 0);
  m_fShakePhase = kShakeStopped;
  m_bShaking = false;
}

bool CGameClientView::ShakeStep() {
  m_fShakePhase += kShakeStep;
  if (m_fShakePhase < kShakeEnd) {
    SetShakeOffset(static_cast<int>(kShakeRadius * std::cos(m_fShakePhase)),
                   static_cast<int>(kShakeRadius * std::sin(m_fShakePhase)));
    return true;
  }
  if (CBrisvaneDlg* dlg = GetFrameDlg()) dlg->KillTimer(TIMER_SHAKE);
  SetShakeOffset(0, 0);
  m_bShaking = false;
  return false;
}

void CGameClientView::SetShakeOffset(int x, int y) {
  // The frame lays the view out only when the window changes size, so the seat points move
  // here by the change of the offset, exactly as the next layout pass would read them.
  const int dx = x - m_nShakeX, dy = y - m_nShakeY;
  m_nShakeX = x;
  m_nShakeY = y;
  for (int p = 0; p < VIEW_SEAT_COUNT; ++p) {
    for (tagViewPoint* point :
         {&m_ptPlayer[p], &m_ptPlayerName[p], &m_ptPlayerGoldBg[p], &m_ptPlayerGold[p]}) {
      point->x += dx;
      point->y += dy;
    }
  }
}

float CGameClientView::ScaleCoordinate(float value, float base, float actual) {
  if (base == 0.0f || (base != 1280.0f && base != 720.0f)) return 0.0f;
  return value * 1.0f / base * actual;
}

void CGameClientView::PlayEffect(HEFFECT effect) {
  if (effect != 0 && m_pHge != nullptr) m_pHge->Effect_Play(effect);
}

bool CGameClientView::IsSoundOn() const {
  return m_pSoundSwitch != nullptr && *m_pSoundSwitch != 0 && m_cbGameSound != 0;
}

void CGameClientView::DestroyGameSetting() {
  if (!m_pGameSetting) return;
  // Only a window that is in the container can be taken out of it (the library throws else).
  gcn::Container* container = GetGuiContainer();
  if (container != nullptr && m_pGameSetting->getParent() == container)
    container->remove(m_pGameSetting.get());
  m_pGameSetting.reset();
}

void CGameClientView::DestroyEffectAnimations() {
  // A rocket still in flight carries the rocket animation: it goes first.
  if (m_pMoveSprites) m_pMoveSprites->RemoveByID(MOTION_ID_ROCKET);
  m_pAniRocket.reset();
  m_pAniRocket2.reset();
  m_pAniFlash.reset();
  m_pAniShunZi.reset();
  m_pAniLianDui.reset();
  m_pAniSpring.reset();
  m_pAniBigSpring.reset();
  m_pAniHaoSpring.reset();
  if (m_pHge == nullptr) return;
  // A window lets the pictures go (they are decoded again when a game shows them); headless the
  // games follow each other by the thousand and the pictures are kept.
  if (!m_pHge->System_GetStateBool(HGE_HEADLESS)) FreeEffectTextures();
  FreePanelUnder();
}
