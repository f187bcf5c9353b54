// The local player's actions: the check that gates the play button, start and change table,
// auto-play on and off, and the buttons they show.
#include <cstring>

#include "cardcontrol/CardControl.h"
#include "client/GameClientDlg.h"
#include "rules/PlayCheck.h"
#include "widgets/MyCButtonEx.h"

namespace {

// The play to beat in both forms, as the server sent them.
tagTurn HeldTurn(const tagClientState& s) {
  return MakeTurn(s.turnCards, s.turnResolved, s.turnCount);
}

}  // namespace

// May the raised cards be played: exactly the table's own check against the play to beat as
// the server sent it.
bool CGameClientDlg::CanPlayRaised() {
  const CGameClientView& view = m_GameClientView;
  if (view.m_btOutCard && !view.m_btOutCard->isVisible()) return false;
  BYTE raised[MAX_CARDS] = {};
  BYTE count = 0;
  if (const CardControl* hand = HandControl(LOCAL_SEAT))
    count = static_cast<BYTE>(hand->GetRaisedCards(raised, MAX_CARDS));
  return IsLegalPlay(m_GameLogic, raised, count, HeldTurn(m_state));
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

// ---- playing ------------------------------------------------------------------------------------

// The play button (parameter 1), a right click or auto-play (0): the raised cards go out.
void CGameClientDlg::OnPlay(WPARAM param) {
  CGameClientView& view = m_GameClientView;
  if (gcn::MyCButtonEx* out = view.m_btOutCard.get()) {
    if (!out->isEnabled() || !out->isVisible()) return;
  }
  m_state.hintIndex = 0;
  if (param == 1) OnAutoPlay(false);
  KillGameTimer(TIMER_PLAY_CLOCK);
  HideTurnButtons();
  CardControl* hand = HandControl(LOCAL_SEAT);
  if (hand == nullptr || OutControl(LOCAL_SEAT) == nullptr) return;
  BYTE raised[MAX_CARDS] = {};
  const BYTE count = static_cast<BYTE>(hand->GetRaisedCards(raised, MAX_CARDS));
  SendOwnPlay(raised, count);
}

// Sends the play, shows it at once (jokers resolved when they stand for other cards) and takes
// it from the hand until the server announces it.
void CGameClientDlg::SendOwnPlay(const BYTE* cards, BYTE count) {
  tagCliPlay play{};
  play.count = count;
  std::memcpy(play.cards, cards, count <= MAX_CARDS ? count : 0);
  uint8_t buffer[sizeof(tagCliPlay)];
  const size_t n = EncodeCliPlay(play, buffer, sizeof(buffer));
  if (n == 0) return;
  SendData(CLI_PLAY, buffer, static_cast<WORD>(n));

  BYTE shown[MAX_CARDS] = {};
  const bool resolved =
      m_GameLogic.ResolveJokers(cards, count, shown, m_state.turnResolved, m_state.turnCount);
  if (CardControl* out = OutControl(LOCAL_SEAT)) out->SetCards(resolved ? shown : cards, count);
  if (m_GameLogic.RemoveCard(cards, count, m_state.hand, m_state.handCount)) {
    m_state.handCount = static_cast<BYTE>(m_state.handCount - count);
    std::memset(m_state.hand + m_state.handCount, 0, MAX_CARDS - m_state.handCount);
    m_state.pendingCount = count;
    std::memset(m_state.pendingCards, 0, sizeof(m_state.pendingCards));
    std::memcpy(m_state.pendingCards, cards, count);
  }
  ShowLocalHand();
}

// The pass button (parameter 1) or auto-play (0); nothing while the button is disabled, as it is
// when the player leads.
void CGameClientDlg::OnPass(WPARAM param) {
  CGameClientView& view = m_GameClientView;
  if (view.m_btPassCard && !view.m_btPassCard->isEnabled()) return;
  m_state.hintIndex = 0;
  if (param == 1) OnAutoPlay(false);
  KillGameTimer(TIMER_PLAY_CLOCK);
  HideTurnButtons();
  SendData(CLI_PASS);
  view.SetPassFlag(LOCAL_SEAT, true);
  ShowLocalHand();
}

// The hint button: raises the next candidate that answers the table, walking the list and
// wrapping; with no candidate, the single search's answer is raised and the player passes.
void CGameClientDlg::OnHint() {
  const tagTurn turn = HeldTurn(m_state);
  tagPlayCandidate scratch;
  m_GameLogic.ListAnswers(m_state.hand, m_state.handCount, HintReference(m_GameLogic, turn),
                          turn.count, scratch);
  CardControl* hand = HandControl(LOCAL_SEAT);
  const size_t answers = m_GameLogic.GetAnswerCount();
  if (answers == 0) {
    tagPlayCandidate found{};
    m_GameLogic.FindAnswer(m_state.hand, m_state.handCount, m_state.turnCards, m_state.turnCount,
                           found);
    if (hand != nullptr) hand->RaiseCards(found.cards, found.count);
    UpdatePlayButton();
    OnPass(0);
    m_state.hintIndex = 0;
  } else {
    if (m_state.hintIndex < 0) m_state.hintIndex = 0;
    m_state.hintIndex = static_cast<int32_t>(static_cast<size_t>(m_state.hintIndex) % answers);
    const tagPlayCandidate& candidate =
        m_GameLogic.GetAnswer(static_cast<size_t>(m_state.hintIndex));
    if (hand != nullptr) hand->RaiseCards(candidate.cards, candidate.count);
    UpdatePlayButton();
    ++m_state.hintIndex;
  }
  PlaySound(m_GameClientView.m_sndBtn);
}

// Auto-play on a match server: the lowest card when leading, a pass otherwise.
void CGameClientDlg::MatchAutoPlay() {
  if (m_state.turnCount != 0) {
    OnPass(0);
    return;
  }
  KillGameTimer(TIMER_PLAY_CLOCK);
  HideTurnButtons();
  if (m_state.handCount == 0) return;
  BYTE sorted[MAX_CARDS];
  std::memcpy(sorted, m_state.hand, MAX_CARDS);
  m_GameLogic.SortCards(sorted, m_state.handCount, SORT_BY_RANK);
  SendOwnPlay(&sorted[m_state.handCount - 1], 1);
}

// The sort button: by blocks, then by rank, and so on.
void CGameClientDlg::OnSort() {
  if (m_state.handCount == 0 || IsWatching()) return;
  m_GameLogic.SortCards(m_state.hand, m_state.handCount, m_state.sortMode);
  ShowLocalHand();
  m_state.sortMode = m_state.sortMode > 0 ? SORT_BY_RANK : SORT_BY_BLOCKS;
  PlaySound(m_GameClientView.m_sndBtn);
  m_GameClientView.UpdateGameView(nullptr);
}

// The previous-trick button: every seat shows its play of the trick before; pressed again, or
// after a few seconds by itself, the current trick comes back.
void CGameClientDlg::OnLastTurn(bool withSound) {
  CGameClientView& view = m_GameClientView;
  if (!m_state.lastTurnShown) {
    for (WORD chair = 0; chair < SEAT_COUNT; ++chair) {
      tagPlayMemory& m = m_state.memory[chair];
      if (CardControl* out = OutControl(Seat(chair))) {
        const bool none = m.previousCount == PLAY_MEMORY_NONE || m.previousCount == 0;
        out->SetCards(none ? nullptr : m.previousCards, none ? 0 : m.previousCount);
      }
      if (m_state.cardCount[chair] == 0) {
        m.currentCount = 0;
        m.previousCount = 0;
      }
    }
    m_state.lastTurnShown = true;
    StartTimer(TIMER_LAST_TURN, LAST_TURN_SHOW_MS);
  } else {
    m_state.lastTurnShown = false;
    StopTimer(TIMER_LAST_TURN);
    for (WORD chair = 0; chair < SEAT_COUNT; ++chair) {
      const tagPlayMemory& m = m_state.memory[chair];
      const WORD seat = Seat(chair);
      CardControl* out = OutControl(seat);
      if (out == nullptr) continue;
      if (m.currentCount == PLAY_MEMORY_NONE || m.currentCount == 0) {
        out->SetCards(nullptr, 0);
      } else {
        view.SelectSeatPosition(seat);
        out->SetCards(m.currentCards, m.currentCount);
      }
    }
  }
  if (withSound) PlaySound(view.m_sndBtn);
}
