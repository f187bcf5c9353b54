// Entering a table, as a player or a watcher: the scenes of a free table and of a game in
// progress.
#include <cstring>

#include "cardcontrol/CardControl.h"
#include "client/GameClientDlg.h"
#include "motion/Animation_Varnel.h"
#include "platform/engine/hgeSprite.h"
#include "platform/win/WinSystem.h"
#include "widgets/MyCButtonEx.h"
#include "widgets/ScoreView.h"

namespace {

constexpr DWORD kMatchValue = 300;
constexpr DWORD kMatchKind = 7;
constexpr int kMatchPanelFirst = 4;
constexpr int kMatchPanelSecond = 5;
constexpr WORD kTwoPlayerTable = 2;
constexpr UINT kExpirySeconds = 5;  // each expiry so far takes this off a restored clock
constexpr BYTE kShortClockExpiries = 3;

}  // namespace

bool CGameClientDlg::OnSceneRestore(BYTE status, bool /*lookon*/, const void* data, WORD size) {
  if (data == nullptr && size != 0) return false;
  // A match server's panel is set up for a playing scene whatever the record holds.
  if (status == STATUS_PLAYING && m_pKernel != nullptr &&
      m_pKernel->GetServerAttribute()->wServerType == SERVER_TYPE_MATCH)
    SetMatchPanel(kMatchPanelFirst, kMatchPanelSecond);
  tagScene scene;
  if (!DecodeScene(status, static_cast<const uint8_t*>(data), size, GetMeChairID(), scene))
    return false;
  switch (status) {
    case STATUS_FREE:
      return RestoreFree(scene.freeTable);
    case STATUS_STARTED:
      return true;
    case STATUS_PLAYING:
      return RestorePlaying(scene.playing);
    default:
      return false;
  }
}

bool CGameClientDlg::RestoreFree(const tagSceneFree& scene) {
  CGameClientView& view = m_GameClientView;
  const WORD me = GetMeChairID();
  const tagUserData* user = GetUserData(me);
  view.m_wServerType = GetGameServerType();

  gcn::MyCButtonEx* start = view.m_btChildStart.get();
  gcn::MyCButtonEx* change = view.m_pbtChangeTable.get();
  if (GetGameServerType() == SERVER_TYPE_MATCH) {
    if (start) start->SetVisible(false);
    if (change) change->SetVisible(false);
  } else if (!IsWatching() && start != nullptr) {
    // A player the lobby does not know yet counts as not ready.
    if (user != nullptr && user->cbUserStatus == US_READY) {
      KillGameTimer(TIMER_READY_CLOCK);
      start->SetVisible(false);
      if (change) change->SetVisible(false);
    } else {
      SetGameTimer(me, TIMER_READY_CLOCK, READY_CLOCK_SECONDS, &CLOCK_AREA_NONE);
      start->SetVisible(true);
      if (change) change->SetVisible(true);
      if (scene.tableKind == kTwoPlayerTable) {
        MessageBoxA(this, "两人场 入座准备", "提示", MB_OK);
        OnStart();
      }
    }
  }

  m_state.turnTime = scene.turnTime;
  view.SetScore64(static_cast<int64_t>(scene.score));
  for (int64_t& score : view.m_lLastScore) score = 0;
  if (view.m_pScoreView) view.m_pScoreView->Show(false);
  if (IsWatching()) {
    ShowButton(view.m_btAutoPlayOff.get(), false, false);
    ShowButton(view.m_btAutoPlayOn.get(), false, false);
    ShowButton(view.m_btSortCard.get(), false, false);
  }
  if (CardControl* hand = HandControl(LOCAL_SEAT))
    hand->SetFaceUp(!IsWatching() || IsAllowLookon());
  if (m_pKernel != nullptr && m_pKernel->GetServerAttribute()->wServerType == SERVER_TYPE_MATCH) {
    m_pKernel->SetMatchValue(kMatchValue, kMatchKind);
    SetMatchPanel(kMatchPanelFirst, kMatchPanelSecond);
  }
  return true;
}

bool CGameClientDlg::RestorePlaying(const tagScenePlaying& scene) {
  CGameClientView& view = m_GameClientView;
  const WORD me = GetMeChairID();  // a chair: the decoder refuses the scene otherwise
  const WORD current = scene.currentChair;
  const WORD last = scene.lastPlayChair;

  // Whatever ran for an earlier table state stops.
  StopDeal();
  StopTimer(TIMER_NEW_TURN);
  StopTimer(TIMER_SHOW_START);
  KillGameTimer(0);
  m_state.newTurnChair = NO_CHAIR;
  m_state.pendingCount = 0;
  std::memset(m_state.pendingCards, 0, sizeof(m_state.pendingCards));

  view.m_cbChangeTable = 0;
  m_state.changeTable = scene.changeTable != 0;
  std::memcpy(m_state.turnResolved, scene.turnResolved, MAX_CARDS);

  m_state.handCount = scene.cardCount[me];
  std::memset(m_state.hand, 0, sizeof(m_state.hand));
  std::memcpy(m_state.hand, scene.hand, m_state.handCount);
  m_state.turnCount = scene.turnCount;
  std::memset(m_state.turnCards, 0, sizeof(m_state.turnCards));
  std::memcpy(m_state.turnCards, scene.turnCards, scene.turnCount);
  std::memset(m_state.turnResolved + scene.turnCount, 0, MAX_CARDS - scene.turnCount);
  // The type of the play to beat, which the hint needs, and the single-joker rule, which the
  // server sets once the pile is empty: neither is in the scene.
  BYTE sorted[MAX_CARDS];
  std::memcpy(sorted, m_state.turnResolved, MAX_CARDS);
  m_GameLogic.SortCards(sorted, m_state.turnCount, SORT_BY_RANK);
  m_state.turnType =
      m_state.turnCount > 0 ? m_GameLogic.ClassifyPlay(sorted, m_state.turnCount) : PT_INVALID;
  m_GameLogic.SetSingleJokerRule(scene.pileCount == 0 ? 1 : 0);

  view.m_cbGameRunning = 1;
  view.m_cbGameOver = 0;
  view.m_wMeSeat = Seat(me);
  m_state.banker = scene.bankerChair;
  view.m_wOutCardChair = IsChair(last) ? Seat(last) : VIEW_NO_CHAIR;
  m_GameLogic.SortCards(m_state.hand, m_state.handCount, SORT_BY_RANK);
  view.SetSeatOrder(m_options.deasilOrder);

  std::memcpy(m_state.playing, scene.playing, SEAT_COUNT);
  for (WORD chair = 0; chair < SEAT_COUNT; ++chair) {
    const WORD seat = Seat(chair);
    view.m_cbPlayingFlag[seat] = scene.playing[chair];
    if (GetUserData(chair) != nullptr && scene.playing[chair] != 0) {
      view.m_nMaskedFlag[seat] = 0;
      view.SetBaseScore64(static_cast<DWORD>(static_cast<uint64_t>(scene.baseScore)),
                          static_cast<DWORD>(static_cast<uint64_t>(scene.baseScore) >> 32));
    }
  }

  for (WORD chair = 0; chair < SEAT_COUNT; ++chair) {
    view.m_cbCardCount[Seat(chair)] = scene.cardCount[chair];
    m_state.clockExpiries[chair] = scene.clockExpiries[chair];
    UpdateAlarm(chair, false);
  }

  if (view.m_pBeiShu) view.m_pBeiShu->SetShow(true);
  if (view.m_pNumber) view.m_pNumber->SetShow(true);
  m_state.turnTime = scene.turnTime;
  m_state.lastTurnShown = false;
  StopTimer(TIMER_LAST_TURN);
  ClearPlayMemory();

  std::memcpy(m_state.cardCount, scene.cardCount, SEAT_COUNT);
  for (WORD chair = 0; chair < SEAT_COUNT; ++chair)
    view.SetCardCount(Seat(chair), m_state.cardCount[chair]);
  // The multiple goes on from the scene's.
  m_state.multiple = scene.multiple;
  view.SetBeiShu(scene.multiple);
  view.SetScore64(static_cast<int64_t>(scene.score));

  ShowLocalHand();
  // A watcher sees the hand's faces only when its player allows it, as after a deal.
  if (CardControl* hand = HandControl(LOCAL_SEAT))
    hand->SetFaceUp(!IsWatching() || IsAllowLookon());
  view.SetBankerSeat(Seat(scene.bankerChair), scene.bankerMark);
  if (view.m_btChildStart) view.m_btChildStart->SetVisible(false);
  if (view.m_pbtChangeTable) view.m_pbtChangeTable->SetVisible(false);
  if (view.m_pScoreView) view.m_pScoreView->Show(false);

  for (WORD seat = 0; seat < VIEW_SEAT_COUNT; ++seat) {
    if (CardControl* out = OutControl(seat)) out->SetCards(nullptr, 0);
  }
  view.SetPassFlag(VIEW_ALL_SEATS, false);
  HideTurnButtons();
  if (!IsWatching() && current == me) {
    ShowButton(view.m_btOutCard.get(), true, false);
    ShowButton(view.m_btPassCard.get(), true, m_state.turnCount != 0);
    ShowButton(view.m_btAutoOutCard.get(), true, true);
    ShowButton(view.m_btAutoPlayOn.get(), true, true);
    ShowButton(view.m_btSortCard.get(), true, true);
    ShowButton(view.m_btTurn.get(), true, true);
  }

  if (m_state.turnCount != 0 && IsChair(last)) {
    if (CardControl* out = OutControl(Seat(last)))
      out->SetCards(m_state.turnCards, m_state.turnCount);
    tagPlayMemory& m = m_state.memory[last];
    m.currentCount = m_state.turnCount;
    std::memcpy(m.currentCards, m_state.turnCards, MAX_CARDS);
  }

  if (!IsWatching()) {
    const bool empty = m_state.handCount == 0;
    ShowButton(view.m_btSortCard.get(), !empty, !empty);
    ShowButton(view.m_btTurn.get(), !empty, !empty);
    ShowButton(view.m_btAutoPlayOn.get(), !empty, !empty);
  } else {
    ShowButton(view.m_btAutoPlayOff.get(), false, false);
    ShowButton(view.m_btAutoPlayOn.get(), false, false);
    ShowButton(view.m_btSortCard.get(), false, false);
    ShowButton(view.m_btTurn.get(), false, false);
  }

  for (WORD chair = 0; chair < SEAT_COUNT; ++chair) {
    const WORD seat = Seat(chair);
    if (seat == LOCAL_SEAT) continue;
    ShowBacks(seat, scene.cardCount[chair]);
    if (CardControl* hand = HandControl(seat)) {
      hand->SetFaceUp(false);
      hand->SetDirection(false);
      hand->SetSpacing(0, 35, 0);
    }
  }

  for (WORD chair = 0; chair < SEAT_COUNT; ++chair) {
    const WORD seat = Seat(chair);
    const bool on = scene.autoPlay[chair] != 0;
    view.SetAutoPlayFlag(seat, on);
    ShowAnimation(SeatAnimation(view.m_AniAutoPlay, "m_AniAutoPlay", seat, 10), on);
    if (!IsWatching() && chair == me) {
      // The player's own auto-play as the server has it.
      if (on) {
        ShowAutoPlayButtons(true);
        if (!m_state.autoPlay) SendAutoPlay(true, false);
      }
      m_state.autoPlay = on;
    }
  }

  // The clock of the current chair, shortened by the expiries it had so far.
  if (IsChair(current)) {
    const UINT expiries = m_state.clockExpiries[current];
    UINT seconds = kExpirySeconds;
    if (expiries < kShortClockExpiries && m_state.turnTime > expiries * kExpirySeconds)
      seconds = m_state.turnTime - expiries * kExpirySeconds;
    SetGameTimer(current, TIMER_PLAY_CLOCK, seconds, &CLOCK_AREA_NONE);
  }

  if (CardControl* hand = HandControl(LOCAL_SEAT)) {
    hand->SetSelectable(!IsWatching());
    if (!IsWatching()) hand->SetFaceUp(true);
  }
  view.SetLeftCardCount(scene.pileCount);
  view.UpdateGameView(nullptr);
  return true;
}
