// The server messages: the deal and its animation, the start of play, plays, passes, pass
// notices, auto-play changes and the result, with the sounds and effects of each play.
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "cardcontrol/CardControl.h"
#include "client/GameClientDlg.h"
#include "motion/Animation_Varnel.h"
#include "platform/engine/hgeSprite.h"
#include "widgets/GameSetting.h"
#include "widgets/MyCButtonEx.h"
#include "widgets/ScoreView.h"

namespace {

bool SameCards(const BYTE* a, const BYTE* b, BYTE count, const CGameLogic& logic) {
  BYTE x[MAX_CARDS];
  BYTE y[MAX_CARDS];
  std::memcpy(x, a, count);
  std::memcpy(y, b, count);
  logic.SortCards(x, count, SORT_BY_RANK);
  logic.SortCards(y, count, SORT_BY_RANK);
  return std::memcmp(x, y, count) == 0;
}

// The type of a play, classified in rank order whatever order the record gave.
BYTE PlayType(const CGameLogic& logic, const BYTE* cards, BYTE count) {
  BYTE sorted[MAX_CARDS];
  std::memcpy(sorted, cards, count);
  logic.SortCards(sorted, count, SORT_BY_RANK);
  return logic.ClassifyPlay(sorted, count);
}

}  // namespace

bool CGameClientDlg::OnServerMessage(WORD id, const void* data, WORD size) {
  if (data == nullptr && size != 0) return false;
  tagServerMessage message;
  if (!DecodeServerMessage(id, static_cast<const uint8_t*>(data), size, GetMeChairID(), message))
    return false;
  switch (id) {
    case SRV_DEAL:
      OnSubDeal(message.deal);
      break;
    case SRV_PLAY_BEGIN:
      OnSubPlayBegin(message.playBegin);
      break;
    case SRV_PLAY:
      OnSubPlay(message.play);
      break;
    case SRV_PASS:
      OnSubPass(message.pass);
      break;
    case SRV_RESULT:
      OnSubResult(message.result);
      break;
    case SRV_PASS_NOTICE:
      OnSubPassNotice(message.passNotice);
      break;
    case SRV_AUTO_PLAY:
      OnSubAutoPlay(message.autoPlay);
      break;
    default:
      return false;
  }
  return true;
}

// ---- the deal
// ------------------------------------------------------------------------------------

void CGameClientDlg::OnSubDeal(const tagSrvDeal& deal) {
  m_state.banker = deal.bankerChair;
  std::memcpy(m_state.playing, deal.playing, SEAT_COUNT);
  std::memcpy(m_state.cardCount, deal.cardCount, SEAT_COUNT);
  m_state.handCount = deal.handCount;
  std::memset(m_state.hand, 0, sizeof(m_state.hand));
  std::memcpy(m_state.hand, deal.cardArea, deal.handCount);
  m_state.pendingCount = 0;

  SendAutoPlay(false, true);

  CGameClientView& view = m_GameClientView;
  view.SetBeiShu(m_state.multiple);
  view.SetBankerSeat(VIEW_NO_CHAIR, 0);
  if (CardControl* hand = HandControl(LOCAL_SEAT))
    hand->SetFaceUp(!IsWatching() || IsAllowLookon());

  m_state.dealt = 0;
  m_state.leftToDeal = m_state.handCount;
  std::memset(m_state.dealBuffer, 0, sizeof(m_state.dealBuffer));
  std::memcpy(m_state.dealBuffer, m_state.hand, m_state.handCount);
  StartTimer(TIMER_DEAL, DEAL_STEP_MS);

  m_GameLogic.SortCards(m_state.hand, m_state.handCount, SORT_BY_RANK);
}

// Timer 204: one more card shown in every playing seat; at the end the whole hands and the
// report that the deal was watched.
void CGameClientDlg::OnDealStep() {
  CGameClientView& view = m_GameClientView;
  const UINT spacing =
      view.m_pGameSetting ? static_cast<UINT>(view.m_pGameSetting->GetCardSpacing()) : 35;
  for (WORD seat = 0; seat < VIEW_SEAT_COUNT; ++seat) {
    if (seat == LOCAL_SEAT) continue;
    if (CardControl* hand = HandControl(seat)) hand->SetSpacing(0, spacing, 0);
  }

  if (m_state.leftToDeal > 0) {
    --m_state.leftToDeal;
    ++m_state.dealt;
    // A full hand of 27 has no byte after its last card: it is out. The player reports the
    // deal watched once; a watcher has no deal of its own to report.
    const bool allOut = m_state.dealt >= MAX_CARDS || m_state.hand[m_state.dealt] == 0;
    if (allOut && !IsWatching()) SendData(CLI_DEAL_DONE);
    for (WORD chair = 0; chair < SEAT_COUNT; ++chair) {
      if (m_state.playing[chair] == 0) continue;
      const WORD seat = Seat(chair);
      if (seat == LOCAL_SEAT) {
        if (CardControl* hand = HandControl(seat)) hand->SetCards(m_state.hand, m_state.dealt);
      } else {
        ShowBacks(seat, m_state.dealt);
      }
    }
    PlaySound(view.m_sndDispatch);
  }

  if (m_state.leftToDeal == 0) {
    StopTimer(TIMER_DEAL);
    for (WORD chair = 0; chair < SEAT_COUNT; ++chair)
      view.SetCardCount(Seat(chair), m_state.cardCount[chair]);
    for (WORD chair = 0; chair < SEAT_COUNT; ++chair) {
      if (m_state.playing[chair] == 0) continue;
      const WORD seat = Seat(chair);
      if (seat == LOCAL_SEAT) {
        ShowLocalHand();
        if (!IsWatching()) {
          if (CardControl* hand = HandControl(seat)) {
            hand->SetFaceUp(true);
            hand->SetSelectable(true);
          }
        }
      } else {
        ShowBacks(seat, m_state.cardCount[chair]);
        if (CardControl* hand = HandControl(seat)) hand->SetFaceUp(false);
      }
    }
    if (!IsWatching()) {
      if (view.m_btSortCard) view.m_btSortCard->SetEnable(true);
      PlaySound(view.m_sndGameStart);
    }
  }
}

void CGameClientDlg::StopDeal() {
  StopTimer(TIMER_DEAL);
  m_state.dealt = 0;
  m_state.leftToDeal = 0;
  std::memset(m_state.dealBuffer, 0, sizeof(m_state.dealBuffer));
}

// ---- start of play
// -------------------------------------------------------------------------------

void CGameClientDlg::OnSubPlayBegin(const tagSrvPlayBegin& begin) {
  CGameClientView& view = m_GameClientView;
  view.DestroyEffectAnimations();
  for (WORD seat = 0; seat < VIEW_SEAT_COUNT; ++seat) {
    view.m_AniAlart[seat].reset();
    view.m_AniAutoPlay[seat].reset();
  }
  view.DestroyGameSetting();

  view.m_cbGameRunning = 1;
  view.m_cbChangeTable = 0;
  m_state.multiple = 1;
  m_state.turnCount = 0;
  m_state.turnType = PT_INVALID;
  m_state.spring = 0;
  m_state.bombCount = 0;
  m_state.rocketCount = 0;
  m_state.reverseSpring = 0;
  m_state.banker = begin.bankerChair;
  std::memset(m_state.turnCards, 0, sizeof(m_state.turnCards));
  std::memset(m_state.turnResolved, 0, sizeof(m_state.turnResolved));
  m_state.newTurnChair = NO_CHAIR;
  m_state.pendingCount = 0;
  StopTimer(TIMER_NEW_TURN);
  // A new game starts before the pile runs out: no lone joker is a single yet.
  m_GameLogic.SetSingleJokerRule(begin.pileCount == 0 ? 1 : 0);
  view.SetBankerSeat(Seat(begin.bankerChair), 1);
  view.m_wMeSeat = Seat(GetMeChairID()) < VIEW_SEAT_COUNT ? Seat(GetMeChairID()) : LOCAL_SEAT;

  view.SetBeiShu(1);
  view.SetBaseScore64(static_cast<DWORD>(static_cast<uint64_t>(begin.baseScore)),
                      static_cast<DWORD>(static_cast<uint64_t>(begin.baseScore) >> 32));
  for (WORD chair = 0; chair < SEAT_COUNT; ++chair)
    view.m_cbPlayingFlag[Seat(chair)] = begin.playing[chair];

  if (view.m_pImageBuchu) view.m_pImageBuchu->SetShow(true);
  if (CardControl* out = OutControl(LOCAL_SEAT)) out->setVisible(true);

  std::memcpy(m_state.cardCount, begin.cardCount, SEAT_COUNT);
  for (WORD chair = 0; chair < SEAT_COUNT; ++chair) {
    const WORD seat = Seat(chair);
    view.SetCardCount(seat, m_state.cardCount[chair]);
    if (seat == LOCAL_SEAT) continue;
    if (CardControl* hand = HandControl(seat)) hand->SetDirection(false);
    ShowBacks(seat, m_state.cardCount[chair]);
  }

  m_state.lastTurnShown = false;
  StopTimer(TIMER_LAST_TURN);
  ClearPlayMemory();
  if (view.m_pBeiShu) view.m_pBeiShu->SetShow(true);
  if (view.m_pNumber) view.m_pNumber->SetShow(true);

  view.SetLeftCardCount(begin.pileCount);
  m_state.handCount = begin.handCount;
  std::memset(m_state.hand, 0, sizeof(m_state.hand));
  std::memcpy(m_state.hand, begin.hand, begin.handCount);
  m_GameLogic.SortCards(m_state.hand, m_state.handCount, SORT_BY_RANK);
  ShowLocalHand();

  for (WORD seat = 0; seat < VIEW_SEAT_COUNT; ++seat) {
    if (seat == Seat(begin.bankerChair)) {
      view.m_cbCardCount[seat] = BANKER_FIRST_HAND;
    } else if (CardControl* hand = HandControl(seat)) {
      view.m_cbCardCount[seat] = static_cast<BYTE>(hand->GetCardCount());
    }
  }

  for (WORD seat = 0; seat < VIEW_SEAT_COUNT; ++seat) {
    CardControl* hand = HandControl(seat);
    if (hand == nullptr) continue;
    if (seat == LOCAL_SEAT) {
      hand->SetSelectable(!IsWatching() || IsAllowLookon());
    } else {
      hand->SetSpacing(0, 35, 0);
    }
  }

  if (!IsWatching()) {
    ActiveGameFrame();
    ShowButton(view.m_btAutoPlayOn.get(), true, true);
    ShowButton(view.m_btTurn.get(), true, true);
    ShowButton(view.m_btSortCard.get(), true, true);
    if (IsMe(begin.currentChair)) {
      ShowButton(view.m_btOutCard.get(), true, false);
      ShowButton(view.m_btPassCard.get(), true, false);
      ShowButton(view.m_btAutoOutCard.get(), true, true);
    } else {
      HideTurnButtons();
    }
  }

  PlaySound(view.m_sndGameStart);
  SetGameTimer(begin.currentChair, TIMER_PLAY_CLOCK, FIRST_TURN_CLOCK_SECONDS, &CLOCK_AREA_NONE);

  if (view.m_btChildStart) view.m_btChildStart->SetVisible(false);
  if (view.m_pbtChangeTable) view.m_pbtChangeTable->SetVisible(false);
  if (IsWatching()) {
    ShowButton(view.m_btAutoPlayOn.get(), false, false);
    ShowButton(view.m_btAutoPlayOff.get(), false, false);
    ShowButton(view.m_btOutCard.get(), false, false);
    ShowButton(view.m_btPassCard.get(), false, false);
    ShowButton(view.m_btAutoOutCard.get(), false, false);
    ShowButton(view.m_btSortCard.get(), false, false);
    ShowButton(view.m_btTurn.get(), false, false);
  }
}

// ---- plays
// ---------------------------------------------------------------------------------------

void CGameClientDlg::OnSubPlay(const tagSrvPlay& play) {
  CGameClientView& view = m_GameClientView;
  const WORD out = play.outChair;
  const WORD current = play.currentChair;
  const WORD me = GetMeChairID();
  const BYTE n = play.count;

  view.m_cbGameRunning = 1;
  StopTimer(TIMER_NEW_TURN);
  KillGameTimer(TIMER_PLAY_CLOCK);
  view.m_wOutCardChair = Seat(out);

  if (IsWatching() || out != me) {
    if (CardControl* control = OutControl(Seat(out))) control->SetCards(play.cards, n);
  } else {
    TakeOwnPlay(play);
  }

  if (m_state.turnCount == 0) {
    // This play leads a new trick: the last trick's plays become the previous ones.
    for (WORD chair = 0; chair < SEAT_COUNT; ++chair) {
      if (chair == out) continue;
      ArchivePlay(chair);
      ForgetPlay(chair);
      if (CardControl* control = OutControl(Seat(chair))) control->SetCards(nullptr, 0);
    }
    view.SetPassFlag(VIEW_ALL_SEATS, false);
  }

  for (WORD chair = 0; chair < SEAT_COUNT; ++chair) {
    if (chair != me) ShowBacks(Seat(chair), play.cardCount[chair]);
  }

  m_state.turnCount = n;
  std::memset(m_state.turnCards, 0, sizeof(m_state.turnCards));
  std::memcpy(m_state.turnCards, play.cards, n);
  StorePlay(out, play.cards, n);
  std::memset(m_state.turnResolved, 0, sizeof(m_state.turnResolved));
  std::memcpy(m_state.turnResolved, play.resolved, n);
  m_state.turnType = PlayType(m_GameLogic, m_state.turnResolved, n);

  m_state.multiple = static_cast<WORD>(m_state.multiple * PlayTypeMultiple(m_state.turnType));
  view.SetBeiShu(m_state.multiple);

  if (m_state.turnType >= PT_BOMB3_JOKER) {
    view.PlayBombEffect(true, m_state.turnType);
    view.StartShake();
    StartTimer(TIMER_SHAKE, 1);
  }

  PlayOutCardEffect(play, sizeof(tagSrvPlay), m_state.turnType);

  if (IsWatching() && out == me) {
    if (m_GameLogic.RemoveCard(play.cards, n, m_state.hand, m_state.handCount)) {
      m_state.handCount = static_cast<BYTE>(m_state.handCount - n);
    } else if (play.cardCount[me] < m_state.handCount) {
      // A hand hidden from watchers holds stand-ins, not the cards played: it follows the
      // count, so that the backs shown are the cards the player holds.
      m_state.handCount = play.cardCount[me];
    }
    std::memset(m_state.hand + m_state.handCount, 0, MAX_CARDS - m_state.handCount);
    ShowLocalHand();
  }

  for (WORD chair = 0; chair < SEAT_COUNT; ++chair) {
    const WORD seat = Seat(chair);
    const CardControl* hand = HandControl(seat);
    BYTE count = chair == me ? m_state.handCount : play.cardCount[chair];
    if (hand != nullptr) count = static_cast<BYTE>(std::min<DWORD>(hand->GetCardCount(), 255));
    m_state.cardCount[chair] = count;
    if (seat < VIEW_SEAT_COUNT) view.m_cbCardCount[seat] = count;
  }

  UpdateAlarm(out, true);

  if (current == out) {
    // Nobody can answer: after a pause the same player leads a new trick.
    m_state.turnCount = 0;
    m_state.turnType = PT_INVALID;
    m_state.newTurnChair = current;
    std::memset(m_state.turnCards, 0, sizeof(m_state.turnCards));
    std::memset(m_state.turnResolved, 0, sizeof(m_state.turnResolved));
    for (WORD chair = 0; chair < SEAT_COUNT; ++chair) {
      if (chair != out) ClearSeat(chair, true);
    }
    PlaySound(view.m_sndMostCard);
    StartTimer(TIMER_NEW_TURN, NEW_TURN_TIMER_MS);
    return;
  }

  if (IsChair(current)) ClearSeat(current, false);
  GiveTurnButtons(current);
  if (IsChair(current))
    SetGameTimer(current, TIMER_PLAY_CLOCK, TURN_CLOCK_SECONDS, &CLOCK_AREA_NONE);
  view.UpdateGameView(nullptr);
}

// The server announces the local player's play. The client showed it and took it from the
// hand when it sent it; a play the server made for the player (the clock ran out, or the client
// was away), or one other than the one sent, is applied here so that the hand stays the
// server's.
void CGameClientDlg::TakeOwnPlay(const tagSrvPlay& play) {
  const BYTE n = play.count;
  HideTurnButtons();
  if (m_state.pendingCount == n && SameCards(m_state.pendingCards, play.cards, n, m_GameLogic)) {
    m_state.pendingCount = 0;
    std::memset(m_state.pendingCards, 0, sizeof(m_state.pendingCards));
    return;
  }
  RestorePending();
  if (m_GameLogic.RemoveCard(play.cards, n, m_state.hand, m_state.handCount)) {
    m_state.handCount = static_cast<BYTE>(m_state.handCount - n);
    std::memset(m_state.hand + m_state.handCount, 0, MAX_CARDS - m_state.handCount);
  }
  ShowLocalHand();
  if (CardControl* control = OutControl(LOCAL_SEAT)) control->SetCards(play.cards, n);
}

// A play the local player sent that the server did not announce goes back into the hand: the
// server made another move for the player.
void CGameClientDlg::RestorePending() {
  if (m_state.pendingCount > 0 && m_state.handCount + m_state.pendingCount <= MAX_CARDS) {
    std::memcpy(m_state.hand + m_state.handCount, m_state.pendingCards, m_state.pendingCount);
    m_state.handCount = static_cast<BYTE>(m_state.handCount + m_state.pendingCount);
    m_GameLogic.SortCards(m_state.hand, m_state.handCount, SORT_BY_RANK);
    ShowLocalHand();
  }
  m_state.pendingCount = 0;
  std::memset(m_state.pendingCards, 0, sizeof(m_state.pendingCards));
}

// The one-card alarm of a chair, from the count its seat shows.
void CGameClientDlg::UpdateAlarm(WORD chair, bool withSound) {
  CGameClientView& view = m_GameClientView;
  const WORD seat = Seat(chair);
  if (seat >= VIEW_SEAT_COUNT) return;
  if (view.m_cbCardCount[seat] == 1) {
    view.m_cbAlarmFlag[seat] = 1;
    ShowAnimation(SeatAnimation(view.m_AniAlart, "m_AniAlart", seat, 11), true);
    if (withSound && !IsMe(chair)) PlaySound(view.m_sndAlarm);
  } else {
    view.m_cbAlarmFlag[seat] = 0;
    ShowAnimation(view.m_AniAlart[seat].get(), false);
  }
}

// The turn comes to `current`: the local player gets the play, pass and hint buttons on their
// own turn; on anybody else's turn they are hidden, so a play out of turn cannot be sent.
void CGameClientDlg::GiveTurnButtons(WORD current) {
  if (IsWatching()) return;
  if (!IsMe(current)) {
    HideTurnButtons();
    return;
  }
  CGameClientView& view = m_GameClientView;
  ActiveGameFrame();
  ShowButton(view.m_btPassCard.get(), true, m_state.turnCount > 0);
  ShowButton(view.m_btOutCard.get(), true, false);
  UpdatePlayButton();
  ShowButton(view.m_btAutoOutCard.get(), true, true);
}

// Timer 201: the pause after an unbeatable play is over.
void CGameClientDlg::OnNewTurnTimer() {
  StopTimer(TIMER_NEW_TURN);
  if (!IsChair(m_state.newTurnChair)) return;
  const WORD chair = m_state.newTurnChair;
  m_state.newTurnChair = NO_CHAIR;
  m_GameClientView.SetPassFlag(VIEW_ALL_SEATS, false);
  for (WORD seat = 0; seat < VIEW_SEAT_COUNT; ++seat) {
    if (CardControl* out = OutControl(seat)) out->SetCards(nullptr, 0);
  }
  if (!IsWatching() && IsMe(chair)) GiveTurnButtons(chair);
  // The leader's clock runs from here, as the table's does: without it nobody sees whose lead
  // it is, and a player on auto-play would wait for the table to play for them.
  SetGameTimer(chair, TIMER_PLAY_CLOCK, TURN_CLOCK_SECONDS, &CLOCK_AREA_NONE);
  m_GameClientView.UpdateGameView(nullptr);
}

void CGameClientDlg::PlayOutCardEffect(const tagSrvPlay& play, size_t size, BYTE cardType) {
  if (size != sizeof(tagSrvPlay) || !IsSoundOn()) return;
  CGameClientView& view = m_GameClientView;
  PlaySound(view.m_sndOut35);
  const tagUserData* user = GetUserData(play.outChair);
  if (user == nullptr) return;
  const int voice = user->cbGender == GENDER_MALE ? 0 : user->cbGender == GENDER_FEMALE ? 1 : -1;
  const bool animate = m_options.gameAnimation != 0;
  switch (cardType) {
    case PT_SINGLE: {
      const int v = CGameLogic::GetCardFace(play.cards[0]);
      if (voice >= 0 && v >= 1 && v <= VOICE_SINGLES) PlaySound(view.m_sndSingle[voice][v - 1]);
      break;
    }
    case PT_PAIR: {
      const int v = CGameLogic::GetCardFace(play.cards[1]);
      if (voice >= 0 && v >= 1 && v <= VOICE_PAIRS) PlaySound(view.m_sndPair[voice][v - 1]);
      break;
    }
    case PT_SHUNZI:
      if (voice >= 0) PlaySound(view.m_sndLine[voice]);
      if (play.count > 2) {
        Animation_Varnel* ani = EffectAnimation(view.m_pAniShunZi, "m_pAniShunZi", ANI_ID_SHUNZI);
        PlaySound(view.m_sndShunzi);
        if (ani != nullptr && animate) ani->Play();
      }
      break;
    case PT_LIANDUI: {
      if (voice >= 0) PlaySound(view.m_sndDoubleLine[voice]);
      Animation_Varnel* ani = EffectAnimation(view.m_pAniLianDui, "m_pAniLianDui", ANI_ID_LIANDUI);
      PlaySound(view.m_sndLiandui);
      if (ani != nullptr && animate) ani->Play();
      break;
    }
    case PT_BOMB3_JOKER:
    case PT_BOMB3:
    case PT_BOMB4_JOKER:
    case PT_BOMB4:
      PlaySound(view.m_sndBomb);
      break;
    case PT_ROCKET:
      PlaySound(view.m_sndRocket);
      break;
    default:
      break;
  }
}

// ---- passes
// --------------------------------------------------------------------------------------

void CGameClientDlg::OnSubPass(const tagSrvPass& pass) {
  CGameClientView& view = m_GameClientView;
  const WORD passer = pass.passChair;
  const WORD current = pass.currentChair;
  const WORD me = GetMeChairID();

  KillGameTimer(TIMER_PLAY_CLOCK);
  if (IsWatching() || passer != me) {
    ClearSeat(passer, true);
  } else {
    // The local player passed, or the server passed for them to end the trick.
    view.SetPassFlag(LOCAL_SEAT, true);
    RestorePending();
    ShowLocalHand();
  }
  StorePass(passer);

  const bool newTurn = pass.newTurn == 1;
  if (newTurn) {
    m_state.turnCount = 0;
    m_state.turnType = PT_INVALID;
    std::memset(m_state.turnCards, 0, sizeof(m_state.turnCards));
    std::memset(m_state.turnResolved, 0, sizeof(m_state.turnResolved));
    m_GameLogic.SetSingleJokerRule(pass.singleJokerRule);
    std::memcpy(m_state.cardCount, pass.cardCount, SEAT_COUNT);
    // The decoder admits a new turn only for a receiver that is a chair.
    m_state.handCount = pass.cardCount[me];
    std::memset(m_state.hand, 0, sizeof(m_state.hand));
    std::memcpy(m_state.hand, pass.hand, m_state.handCount);
    m_GameLogic.SortCards(m_state.hand, m_state.handCount, SORT_BY_RANK);
    m_state.pendingCount = 0;
    ShowLocalHand();
    view.SetLeftCardCount(pass.pileCount);
    for (WORD chair = 0; chair < SEAT_COUNT; ++chair)
      view.SetCardCount(Seat(chair), m_state.cardCount[chair]);
  }

  ClearSeat(current, false);
  ArchivePlay(current);
  ForgetPlay(current);

  for (WORD chair = 0; chair < SEAT_COUNT; ++chair) {
    if (chair != me) ShowBacks(Seat(chair), pass.cardCount[chair]);
  }

  if (newTurn) {
    // Everybody drew: a seat that showed one card may hold more now.
    for (WORD chair = 0; chair < SEAT_COUNT; ++chair) UpdateAlarm(chair, chair == passer);
  } else {
    UpdateAlarm(passer, true);
  }

  GiveTurnButtons(current);

  if (IsSoundOn()) {
    if (const tagUserData* user = GetUserData(passer)) {
      if (user->cbGender == GENDER_FEMALE) PlaySound(view.m_sndPassGirl);
      if (user->cbGender == GENDER_MALE) PlaySound(view.m_sndPassBoy);
    }
  }

  SetGameTimer(current, TIMER_PLAY_CLOCK, TURN_CLOCK_SECONDS, &CLOCK_AREA_NONE);
  view.UpdateGameView(nullptr);
}

// A pass the server made for a chair (its clock ran out, or its client is away).
void CGameClientDlg::OnSubPassNotice(const tagSrvPassNotice& notice) {
  CGameClientView& view = m_GameClientView;
  const WORD passer = notice.passChair;
  const WORD current = notice.currentChair;
  KillGameTimer(TIMER_PLAY_CLOCK);
  view.SetLeftCardCount(notice.pileCount);
  std::memcpy(m_state.cardCount, notice.cardCount, SEAT_COUNT);
  for (WORD chair = 0; chair < SEAT_COUNT; ++chair)
    view.SetCardCount(Seat(chair), m_state.cardCount[chair]);
  if (IsWatching() || !IsMe(passer)) {
    ClearSeat(passer, true);
  } else {
    // The local player did not pass: the server did it for them.
    view.SetPassFlag(LOCAL_SEAT, true);
    RestorePending();
    ShowLocalHand();
  }
  StorePass(passer);
  SetGameTimer(current, TIMER_PLAY_CLOCK, TURN_CLOCK_SECONDS, &CLOCK_AREA_NONE);
  ClearSeat(current, false);
  ArchivePlay(current);
  ForgetPlay(current);
  GiveTurnButtons(current);
  view.UpdateGameView(nullptr);
}

// ---- auto-play
// ------------------------------------------------------------------------------------

void CGameClientDlg::OnSubAutoPlay(const tagSrvAutoPlay& autoPlay) {
  CGameClientView& view = m_GameClientView;
  const WORD seat = Seat(autoPlay.chair);
  const bool on = autoPlay.autoPlay != 0;
  view.SetAutoPlayFlag(seat, on);
  if (on) ShowAnimation(SeatAnimation(view.m_AniAutoPlay, "m_AniAutoPlay", seat, 10), true);
  if (autoPlay.quiet == 0 && !IsMe(autoPlay.chair)) {
    if (const tagUserData* user = GetUserData(autoPlay.chair)) {
      char text[128];
      std::snprintf(text, sizeof(text), on ? "[ %s ] 玩家选择了托管" : "[ %s ] 玩家取消了托管",
                    user->szName);
      Notice(text);
    }
  }
}

// ---- the result
// ------------------------------------------------------------------------------------

void CGameClientDlg::OnSubResult(const tagSrvResult& result) {
  CGameClientView& view = m_GameClientView;
  const WORD me = GetMeChairID();

  view.m_cbGameRunning = 0;
  StopTimer(TIMER_NEW_TURN);
  KillGameTimer(TIMER_PLAY_CLOCK);
  KillGameTimer(TIMER_AUTO_CLOCK);
  SendAutoPlay(false, true);
  StopDeal();
  m_state.newTurnChair = NO_CHAIR;
  m_state.pendingCount = 0;
  if (view.m_pImageBuchu) view.m_pImageBuchu->SetShow(false);

  for (WORD seat = 0; seat < VIEW_SEAT_COUNT; ++seat) {
    ShowAnimation(view.m_AniAlart[seat].get(), false);
    ShowAnimation(view.m_AniAutoPlay[seat].get(), false);
  }
  // Auto-play ends with the game.
  view.SetAutoPlayFlag(VIEW_ALL_SEATS, false);

  Animation_Varnel* spring = nullptr;
  if (result.spring == 1) {
    spring = EffectAnimation(view.m_pAniSpring, "spring", ANI_ID_SPRING);
  } else if (result.reverseSpring == 1) {
    spring = EffectAnimation(view.m_pAniBigSpring, "bigSpring", ANI_ID_BIG_SPRING);
  } else if (result.haoSpring == 1) {
    spring = EffectAnimation(view.m_pAniHaoSpring, "haoSpring", ANI_ID_HAO_SPRING);
  }
  if (spring != nullptr && m_options.gameAnimation != 0) spring->Play();

  if (view.m_pScoreView) {
    view.m_pScoreView->Show(true);
    view.m_pScoreView->ClearScoreInfo();
  }

  view.SetBeiShu(result.multiple);
  m_state.multiple = result.multiple;
  std::memcpy(m_state.playing, result.playing, SEAT_COUNT);
  for (WORD chair = 0; chair < SEAT_COUNT; ++chair)
    view.m_cbPlayingFlag[Seat(chair)] = result.playing[chair];

  // The history first, so the running total includes this game.
  for (WORD chair = 0; chair < SEAT_COUNT; ++chair) {
    if (GetUserData(chair) != nullptr)
      m_HistoryScore.OnEventScoreChange(chair, result.score[chair]);
  }

  const WORD bankerSeat = IsChair(m_state.banker) ? Seat(m_state.banker) : VIEW_NO_CHAIR;
  for (WORD chair = 0; chair < SEAT_COUNT; ++chair) {
    const tagUserData* user = GetUserData(chair);
    if (user == nullptr || result.playing[chair] == 0) continue;
    const WORD seat = Seat(chair);
    view.m_nMaskedFlag[seat] = 0;
    view.m_lLastScore[seat] = result.score[chair];
    if (const tagHistoryScore* history = m_HistoryScore.GetHistoryScore(chair))
      view.m_lTotalScore[seat] = history->lTotalScore;
    m_state.spring = result.spring;
    m_state.bombCount = result.bombCount;
    m_state.rocketCount = result.rocketCount;
    m_state.reverseSpring = result.reverseSpring;
    m_state.haoSpring = result.haoSpring;
    if (view.m_pScoreView) {
      view.m_pScoreView->SetScoreInfo(seat, bankerSeat, user->szName, result.spring,
                                      result.bombCount, result.rocketCount, result.reverseSpring,
                                      result.haoSpring, result.multiple, result.score[chair],
                                      result.personalMultiple[chair], result.leftCount[chair]);
    }
    char line[128];
    std::snprintf(line, sizeof(line), "[ %s ] 本局得分 %+lld", user->szName,
                  static_cast<long long>(result.score[chair]));
    Notice(line);
  }

  // The cards left in every hand, face up.
  for (WORD seat = 0; seat < VIEW_SEAT_COUNT; ++seat) {
    CardControl* hand = HandControl(seat);
    if (seat == LOCAL_SEAT || hand == nullptr || hand->GetCardCount() == 0) continue;
    hand->SetDirection(false);
    hand->SetSpacing(0, 35, 0);
  }
  size_t offset = 0;
  for (WORD chair = 0; chair < SEAT_COUNT; ++chair) {
    const BYTE count = result.leftCount[chair];
    if (CardControl* hand = HandControl(Seat(chair))) {
      hand->SetCards(result.leftCards + offset, count);
      hand->SetFaceUp(true);
    }
    offset += count;  // the decoder holds the sum within the 54 cards of the record
  }

  if (IsChair(me) && result.score[me] < 0) {
    PlaySound(view.m_sndBadEnd);
  } else {
    PlaySound(view.m_sndGoodEnd);
    PlaySound(view.m_sndCheer);
  }

  if (!IsWatching()) {
    if (CardControl* hand = HandControl(LOCAL_SEAT)) hand->SetSelectable(false);
    StartTimer(TIMER_SHOW_START, SHOW_START_MS);
    OnAutoPlay(false);
  }

  view.SetCardCount(VIEW_ALL_SEATS, 0);
  std::memset(m_state.clockExpiries, 0, sizeof(m_state.clockExpiries));
  std::memset(view.m_cbAlarmFlag, 0, sizeof(view.m_cbAlarmFlag));
  view.m_cbGameOver = 1;
  HideTurnButtons();
  ShowButton(view.m_btAutoPlayOn.get(), false, false);
  ShowButton(view.m_btAutoPlayOff.get(), false, false);
  ShowButton(view.m_btTurn.get(), false, false);
  ShowButton(view.m_btSortCard.get(), false, false);
  ShowButton(view.m_pbtDetails.get(), true, true);
  m_state.autoPlay = false;
  view.SetBaseScore64(0, 0);
  StopTimer(TIMER_SHAKE);
  view.StopShake();
}

// Timer 212: the end panel has been seen; the start button and the ready clock.
void CGameClientDlg::OnShowStartTimer() {
  StopTimer(TIMER_SHOW_START);
  CGameClientView& view = m_GameClientView;
  if (CardControl* out = OutControl(LOCAL_SEAT)) out->setVisible(false);
  if (view.m_btChildStart) view.m_btChildStart->SetVisible(true);
  if (view.m_pbtChangeTable) view.m_pbtChangeTable->SetVisible(true);
  SetGameTimer(GetMeChairID(), TIMER_READY_CLOCK, READY_CLOCK_AFTER_END_SECONDS, &CLOCK_AREA_NONE);
}
