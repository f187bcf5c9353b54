// The local player's actions: the check that gates the play button, start and change table,
// auto-play on and off, and the buttons they show.
#include <cstring>

#include "cardcontrol/CardControl.h"
#include "client/GameClientDlg.h"
#include "widgets/MyCButtonEx.h"

// May the raised cards be played: leading, any valid play once jokers are resolved; following,
// a play that beats the table (a joker bomb on the table is compared with the raw cards).
bool CGameClientDlg::CanPlayRaised() {
  const CGameClientView& view = m_GameClientView;
  if (view.m_btOutCard && !view.m_btOutCard->isVisible()) return false;
  BYTE raised[MAX_CARDS] = {};
  BYTE count = 0;
  if (const CardControl* hand = HandControl(LOCAL_SEAT))
    count = static_cast<BYTE>(hand->GetRaisedCards(raised, MAX_CARDS));
  if (count == 0) return false;

  BYTE replaced[MAX_CARDS] = {};
  m_GameLogic.ResolveJokers(raised, count, replaced, m_state.turnResolved, m_state.turnCount);
  m_GameLogic.SortCards(replaced, count, SORT_BY_RANK);
  if (m_GameLogic.ClassifyPlay(replaced, count) == PT_INVALID) return false;
  const BYTE turnCount = m_state.turnCount;
  if (turnCount == 0) return true;

  // Both plays in rank order, as the comparison reads them.
  BYTE turnRaw[MAX_CARDS];
  BYTE turnResolved[MAX_CARDS];
  std::memcpy(turnRaw, m_state.turnCards, MAX_CARDS);
  std::memcpy(turnResolved, m_state.turnResolved, MAX_CARDS);
  m_GameLogic.SortCards(turnRaw, turnCount, SORT_BY_RANK);
  m_GameLogic.SortCards(turnResolved, turnCount, SORT_BY_RANK);
  const BYTE turnType = m_GameLogic.ClassifyPlay(turnRaw, turnCount);
  if (turnType != PT_BOMB3_JOKER && turnType != PT_BOMB4_JOKER)
    return m_GameLogic.CanBeat(turnResolved, replaced, turnCount, count);
  m_GameLogic.SortCards(raised, count, SORT_BY_RANK);
  return m_GameLogic.CanBeat(turnRaw, raised, turnCount, count);
}

void CGameClientDlg::UpdatePlayButton() {
  if (gcn::MyCButtonEx* out = m_GameClientView.m_btOutCard.get()) out->SetEnable(CanPlayRaised());
}

void CGameClientDlg::HideTurnButtons() {
  CGameClientView& view = m_GameClientView;
  ShowButton(view.m_btOutCard.get(), false, false);
  ShowButton(view.m_btPassCard.get(), false, false);
  ShowButton(view.m_btAutoOutCard.get(), false, false);
}

void CGameClientDlg::ShowAutoPlayButtons(bool on) {
  CGameClientView& view = m_GameClientView;
  if (on) {
    ShowButton(view.m_btAutoPlayOn.get(), true, false);
    ShowButton(view.m_btAutoPlayOff.get(), true, true);
  } else {
    ShowButton(view.m_btAutoPlayOn.get(), true, true);
    ShowButton(view.m_btAutoPlayOff.get(), false, false);
  }
}

void CGameClientDlg::OnAutoPlay(bool on) {
  if (on == m_state.autoPlay) return;
  m_state.autoPlay = on;
  SendAutoPlay(on, false);
  ShowAutoPlayButtons(on);
  PlaySound(m_GameClientView.m_sndBtn);
}

// The start button (or the ready clock with auto-play): an empty table and the ready report,
// or the move to another table when the scene asked for one.
void CGameClientDlg::OnStart() {
  const WORD me = GetMeChairID();
  if (me > 65534) return;
  CGameClientView& view = m_GameClientView;

  m_state.multiple = 1;
  m_state.expiryCounter = 0;
  m_state.handCount = 0;
  m_state.turnCount = 0;
  m_state.turnType = PT_INVALID;
  m_state.newTurnChair = NO_CHAIR;
  m_state.pendingCount = 0;
  std::memset(m_state.hand, 0, sizeof(m_state.hand));
  std::memset(m_state.turnCards, 0, sizeof(m_state.turnCards));
  std::memset(m_state.turnResolved, 0, sizeof(m_state.turnResolved));

  KillGameTimer(TIMER_READY_CLOCK);
  view.SetBeiShu(1);
  view.SetCardCount(VIEW_ALL_SEATS, 0);
  view.SetBankerSeat(VIEW_NO_CHAIR, 0);
  view.SetPassFlag(VIEW_ALL_SEATS, false);

  if (view.m_btChildStart) view.m_btChildStart->SetVisible(false);
  if (view.m_pbtChangeTable) view.m_pbtChangeTable->SetVisible(false);
  ShowButton(view.m_pbtDetails.get(), false, false);
  if (CardControl* hand = HandControl(LOCAL_SEAT)) hand->SetSelectable(false);

  for (WORD seat = 0; seat < VIEW_SEAT_COUNT; ++seat) {
    if (CardControl* out = OutControl(seat)) out->SetCards(nullptr, 0);
    if (CardControl* hand = HandControl(seat)) {
      hand->SetCards(nullptr, 0);
      hand->SetFaceUp(seat == LOCAL_SEAT);
    }
  }

  if (m_state.changeTable) {
    view.m_cbChangeTable = 1;
    ChangeTable(me);
    tagCliChangeTable record{me};
    uint8_t buffer[sizeof(tagCliChangeTable)];
    const size_t n = EncodeCliChangeTable(record, buffer, sizeof(buffer));
    if (n != 0) SendData(CLI_CHANGE_TABLE, buffer, static_cast<WORD>(n));
  } else {
    SendUserReady(nullptr, 0);
  }

  if (const tagUserData* user = GetUserData(me)) {
    if (user->cbGender == GENDER_MALE) PlaySound(view.m_sndManStart);
    if (user->cbGender == GENDER_FEMALE) PlaySound(view.m_sndWomanStart);
  }
}

void CGameClientDlg::OnChangeTable() {
  CGameClientView& view = m_GameClientView;
  if (view.m_btChildStart) view.m_btChildStart->SetVisible(false);
  if (view.m_pbtChangeTable) view.m_pbtChangeTable->SetVisible(false);
  if (const tagUserData* user = GetUserData(GetMeChairID())) ChangeTable(user->wTableID);
}
