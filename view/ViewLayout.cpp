// The layout pass: one uniform scale for the window, the letterbox around the 1280 x 720
// canvas, every coordinate key (seat points moved by the current shake), the derived gold
// points, and the widgets placed on screen: buttons sized from their images, card controls
// scaled and anchored by the seat order, the options window.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "cardcontrol/CardControl.h"
#include "config/ResourceConfig.h"
#include "platform/frame/Letterbox.h"
#include "view/GameClientView.h"
#include "widgets/GameSetting.h"
#include "widgets/MyCButtonEx.h"

namespace {

// The seat words of the coordinate keys, by position index.
const char* const kSeatWord[VIEW_SEAT_COUNT] = {"Right", "Me", "Left"};
// The gold plate of a side seat lies this far below the top of its portrait frame, and its
// text this far into the plate.
constexpr int kGoldBgBelowFrame = 112;
constexpr int kGoldTextX = 10;
constexpr int kGoldTextY = 20;
// How far a lowered card of the local hand sits below a raised one; the plays' step without an
// options window.
constexpr UINT kHandRaise = 20;
constexpr int kDefaultOutStep = 35;
// Where the options window sits, in design pixels.
constexpr tagViewPoint kOptionsWindowPoint{475, 170};

// Anchor modes of the card controls by position index (0 right, 1 local, 2 left): hands hug
// the seat's inner edge at their vertical centre (the local one hangs from its top centre),
// plays lie on the table side of their point.
constexpr UINT kHandAnchorX[VIEW_SEAT_COUNT] = {2, 1, 0};
constexpr UINT kHandAnchorY[VIEW_SEAT_COUNT] = {1, 0, 1};
constexpr UINT kOutAnchorX[VIEW_SEAT_COUNT] = {2, 1, 0};
constexpr UINT kOutAnchorY = 0;

int Trunc(float value) { return static_cast<int>(value); }

}  // namespace

tagViewPoint CGameClientView::ReadPoint(const char* stem, bool shake) {
  char key[64];
  std::snprintf(key, sizeof(key), "%sX", stem);
  tagViewPoint p;
  p.x = Config().GetCoordinate(key);
  std::snprintf(key, sizeof(key), "%sY", stem);
  p.y = Config().GetCoordinate(key);
  if (shake) {
    p.x += m_nShakeX;
    p.y += m_nShakeY;
  }
  return p;
}

tagViewPoint CGameClientView::ToScreen(tagViewPoint design) const {
  return tagViewPoint{Trunc(ScaleCoordinate(static_cast<float>(design.x), TABLE_DESIGN_WIDTH,
                                            static_cast<float>(m_nContentWidth)) +
                            m_fOffsetX),
                      Trunc(ScaleCoordinate(static_cast<float>(design.y), TABLE_DESIGN_HEIGHT,
                                            static_cast<float>(m_nContentHeight)) +
                            m_fOffsetY)};
}

void CGameClientView::ArrangeView(int width, int height) {
  // One scale for both axes, the smaller ratio, so the whole canvas fits.
  const tagLetterbox fit = FitTable(width, height);
  const float s = fit.scale;
  m_fScale = s;
  m_nContentWidth = fit.contentWidth;
  m_nContentHeight = fit.contentHeight;
  m_fOffsetX = fit.offsetX;
  m_fOffsetY = fit.offsetY;

  // Every key, in the order of the file's list; the seat's own points move with the shake.
  auto perSeat = [&](const char* thing, bool shake, tagViewPoint(&points)[VIEW_SEAT_COUNT]) {
    for (int p = 0; p < VIEW_SEAT_COUNT; ++p) {
      char stem[48];
      std::snprintf(stem, sizeof(stem), "%s%s", kSeatWord[p], thing);
      points[p] = ReadPoint(stem, shake);
    }
  };
  m_ptBg = ReadPoint("Bg", false);
  perSeat("PlayerBg", false, m_ptPlayerBg);
  perSeat("Player", true, m_ptPlayer);
  perSeat("PlayerName", true, m_ptPlayerName);
  m_ptPlayerGoldBg[1] = ReadPoint("MePlayerGoldBg", true);
  m_ptPlayerGold[1] = ReadPoint("MePlayerGold", true);
  // The side seats' gold plate hangs below the portrait frame and shakes with the seat; the
  // text sits in the plate, so it takes the shake with it, once.
  for (int p : {0, 2}) {
    m_ptPlayerGoldBg[p] = tagViewPoint{m_ptPlayerBg[p].x + m_nShakeX,
                                       m_ptPlayerBg[p].y + m_nShakeY + kGoldBgBelowFrame};
    m_ptPlayerGold[p] =
        tagViewPoint{m_ptPlayerGoldBg[p].x + kGoldTextX, m_ptPlayerGoldBg[p].y + kGoldTextY};
  }
  m_ptBeishuBg = ReadPoint("BeishuBg", false);
  m_ptBeishuTxt = ReadPoint("BeishuTxt", false);
  m_ptBeishuNum = ReadPoint("BeishuNum", false);
  m_ptBeiTxt = ReadPoint("BeiTxt", false);
  m_ptLeftCountTxt = ReadPoint("LeftCountTxt", false);
  m_ptLeftCount = ReadPoint("LeftCount", false);
  perSeat("BoxBg", false, m_ptBoxBg);
  perSeat("Ready", false, m_ptReady);
  perSeat("Pass", false, m_ptPass);
  perSeat("PlayerHandCard", false, m_ptHandCard);
  perSeat("PlayerOutCard", false, m_ptOutCard);
  // The local seat has no card count of its own on the table.
  m_ptLeftCardBg[0] = ReadPoint("RightPlayerLeftCardBg", false);
  m_ptLeftCardBg[2] = ReadPoint("LeftPlayerLeftCardBg", false);
  m_ptLeftCard[0] = ReadPoint("RightPlayerLeftCard", false);
  m_ptLeftCard[2] = ReadPoint("LeftPlayerLeftCard", false);
  m_ptBtChangeTable = ReadPoint("BtChangeTable", false);
  m_ptBtReady = ReadPoint("BtReady", false);
  m_ptBtPass = ReadPoint("BtPass", false);
  m_ptBtTip = ReadPoint("BtTip", false);
  m_ptBtOutCard = ReadPoint("BtOutCard", false);
  m_ptBtDetails = ReadPoint("BtDetails", false);
  m_ptBtAuto = ReadPoint("BtAuto", false);
  m_ptBtSort = ReadPoint("BtSort", false);
  m_ptBtLast = ReadPoint("BtLast", false);
  perSeat("PlayerTimeBg", false, m_ptTimeBg);
  perSeat("PlayerTimeNum", false, m_ptTimeNum);
  perSeat("AutoAndAlart", false, m_ptAutoAndAlart);

  // The rocket rises from below the middle of the table to above it.
  m_ptRocketStart = tagViewPoint{640, 720};
  m_ptRocketEnd = tagViewPoint{640, -200};

  PlaceButtons();
  // The card spacing is the player's (the profile's "CardSpace", handed over by the dialog): a
  // pass neither stores another nor changes what the options window holds.
  PlaceCardControls();
  PlaceGameSetting();
}

void CGameClientView::PlaceGameSetting() {
  if (!m_pGameSetting) return;
  const tagViewPoint at = ToScreen(kOptionsWindowPoint);
  m_pGameSetting->setPosition(at.x, at.y);
}

void CGameClientView::SetCardSpacing(int spacing) {
  m_nCardSpacing = spacing;
  if (m_pHandCard[1])
    m_pHandCard[1]->SetSpacing(static_cast<UINT>(std::max(spacing, 0)), 0, kHandRaise);
}

void CGameClientView::PlaceButtons() {
  struct tagPlacement {
    gcn::MyCButtonEx* button;
    tagViewPoint point;
  };
  const tagPlacement placements[] = {
      {m_pbtChangeTable.get(), m_ptBtChangeTable},
      {m_btChildStart.get(), m_ptBtReady},
      {m_btOutCard.get(), m_ptBtOutCard},
      {m_btPassCard.get(), m_ptBtPass},
      {m_btAutoOutCard.get(), m_ptBtTip},
      {m_pbtDetails.get(), m_ptBtDetails},
      {m_btAutoPlayOn.get(), m_ptBtAuto},
      {m_btAutoPlayOff.get(), m_ptBtAuto},
      {m_btSortCard.get(), m_ptBtSort},
      {m_btTurn.get(), m_ptBtLast},
  };
  for (const tagPlacement& placement : placements) {
    if (placement.button == nullptr) continue;
    // A button image holds its four states side by side.
    const gcn::Image* image = placement.button->getImage();
    const float w = image ? static_cast<float>(image->getWidth()) : 0.0f;
    const float h = image ? static_cast<float>(image->getHeight()) : 0.0f;
    placement.button->setSize(Trunc(w * m_fScale / 4.0f), Trunc(h * m_fScale));
    const tagViewPoint at = ToScreen(placement.point);
    placement.button->setPosition(at.x, at.y);
  }
}

void CGameClientView::PlaceCardControls() {
  const float s = m_fScale;
  for (WORD seat = 0; seat < VIEW_SEAT_COUNT; ++seat) {
    const float scale = seat == 1 ? s : 0.55f * s;
    if (m_pHandCard[seat]) m_pHandCard[seat]->SetScale(scale, scale);
    if (m_pOutCard[seat]) m_pOutCard[seat]->SetScale(0.6f * s, 0.6f * s);
  }
  if (!PlaceSeats()) return;
  // The plays take the options window's spacing when there is one.
  const int outStep = m_pGameSetting ? m_pGameSetting->GetCardSpacing() : kDefaultOutStep;
  for (auto& out : m_pOutCard) {
    if (out) out->SetSpacing(static_cast<UINT>(std::max(outStep, 0)), 0, 0);
  }
}

bool CGameClientView::PlaceSeats() {
  if (!m_pHandCard[0] || !m_pHandCard[1] || !m_pHandCard[2]) return false;
  // Control i sits at position i with the seat order on; with it off the side seats trade
  // places (the local seat stays at the bottom).
  for (WORD seat = 0; seat < VIEW_SEAT_COUNT; ++seat) {
    const int p = m_cbSeatOrder != 0 ? seat : 2 - seat;
    const tagViewPoint hand = ToScreen(m_ptHandCard[p]);
    m_pHandCard[seat]->SetAnchor(hand.x, hand.y, kHandAnchorX[p], kHandAnchorY[p], 1);
    if (m_pOutCard[seat]) {
      const tagViewPoint out = ToScreen(m_ptOutCard[p]);
      m_pOutCard[seat]->SetAnchor(out.x, out.y, kOutAnchorX[p], kOutAnchorY, 1);
    }
  }
  SetCardSpacing(m_nCardSpacing);
  return true;
}
