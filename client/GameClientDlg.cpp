// The dialog's construction, set-up and reset, the options and the options window, the
// background music, the user events, the window messages and timers, and the small helpers the
// handlers share.
#include "client/GameClientDlg.h"

#include <chrono>
#include <cstdio>
#include <cstring>

#include "cardcontrol/CardControl.h"
#include "config/ResourceConfig.h"
#include "motion/Animation_Varnel.h"
#include "platform/frame/BrisvaneApp.h"
#include "platform/win/WinSystem.h"
#include "widgets/GameSetting.h"
#include "widgets/MyCButtonEx.h"
#include "widgets/ScoreView.h"

namespace {

constexpr LPCSTR kOptionSection = PROFILE_OPTION_SECTION;
constexpr UINT kIconResource = 128;
constexpr int kWindowWidth = 1284;
constexpr int kWindowHeight = 748;
constexpr float kEffectDepth = 0.3f;

}  // namespace

CGameClientDlg::CGameClientDlg() : CBrisvaneDlg(m_GameClientView) {}

CGameClientDlg::~CGameClientDlg() {
  for (int track = 0; track < MUSIC_TRACKS; ++track) FreeMusicTrack(track);
}

// ---- set-up and reset -------------------------------------------------------------------------

bool CGameClientDlg::SetupGame() {
  SetWindowText("Torvaly");
  HICON icon = AfxGetApp() ? AfxGetApp()->LoadIcon(kIconResource) : nullptr;
  SetIcon(icon, TRUE);
  SetIcon(icon, FALSE);

  ReadOptions();
  // A player who lets watchers see the hand says so to a table server at once.
  if (m_options.allowLookon != 0) SendAllowLookon(true);
  CGameClientView& view = m_GameClientView;
  view.m_pSoundSwitch = &m_cbEnableSound;
  view.m_cbGameSound = m_options.gameSound;
  if (view.m_pGameSetting) CopyOptionsToSetting();
  view.SetSeatOrder(m_options.deasilOrder);
  view.SetCardSpacing(m_options.cardSpace);
  view.PlaceSeats();
  StartTimer(TIMER_MUSIC, MUSIC_FIRST_MS);

  m_pKernel = GetClientKernel(IID_IClientKernel, VER_IClientKernel);
  view.m_pKernel = m_pKernel;

  // The window, centred on the screen.
  int x = (GetSystemMetrics(SM_CXSCREEN) - kWindowWidth) / 2;
  int y = (GetSystemMetrics(SM_CYSCREEN) - kWindowHeight) / 2;
  SetWindowPos(nullptr, x < 0 ? 0 : x, y < 0 ? 0 : y, kWindowWidth, kWindowHeight, 0);
  return true;
}

void CGameClientDlg::ResetGame() {
  // The frame resets the game when the player sits down again: the table starts as in a new
  // window. The whole game state goes back to its first values, and whatever runs for the last
  // game stops. The options (the game sound among them) are the player's and stay, and so does
  // the background music with its track.
  StopDeal();
  KillGameTimer(0);
  StopTimer(TIMER_NEW_TURN);
  StopTimer(TIMER_LAST_TURN);
  StopTimer(TIMER_SHOW_START);
  StopTimer(TIMER_SHAKE);
  m_GameClientView.StopShake();
  const BYTE musicTrack = m_state.musicTrack;
  m_state = tagClientState{};
  m_state.musicTrack = musicTrack;
  m_GameLogic.SetSingleJokerRule(0);
  m_HistoryScore.ResetData();
  m_lastNotice.clear();
}

void CGameClientDlg::ReadOptions() {
  CBrisvaneApp* app = AfxGetApp();
  if (app == nullptr) return;
  auto flag = [&](LPCSTR key, int fallback) {
    return static_cast<BYTE>(app->GetProfileInt(kOptionSection, key, fallback) != 0 ? 1 : 0);
  };
  m_options.cardSpace =
      static_cast<int>(app->GetProfileInt(kOptionSection, "CardSpace", CARD_SPACING_DEFAULT));
  m_options.gameSound = flag("GameSound", 1);
  m_options.allowLookon = flag("AllowLookon", 0);
  m_options.deasilOrder = flag("DeasilOrder", 0);
  m_options.gameMusic = flag("GameMusic", 1);
  m_cbEnableSound = flag("EnableSound", 1);
  m_options.gameAnimation = flag("GameAnimation", 1);
  const int level =
      static_cast<int>(app->GetProfileInt(kOptionSection, PROFILE_BOT_LEVEL, BOT_LEVEL_NORMAL));
  m_options.botLevel = level >= 0 && level < BOT_LEVEL_COUNT ? level : BOT_LEVEL_NORMAL;
}

void CGameClientDlg::WriteOption(LPCSTR key, int value) {
  if (CBrisvaneApp* app = AfxGetApp()) app->WriteProfileInt(kOptionSection, key, value);
}

void CGameClientDlg::CopyOptionsToSetting() {
  CGameSetting* setting = m_GameClientView.m_pGameSetting.get();
  if (setting == nullptr) return;
  setting->SetMusic(m_options.gameMusic);
  setting->SetGameSound(m_options.gameSound);
  setting->SetAllowLookon(m_options.allowLookon);
  setting->SetAnimation(m_options.gameAnimation);
  setting->SetSeatOrder(m_options.deasilOrder);
  setting->SetCardSpacing(m_options.cardSpace);
  setting->SetBotLevel(m_options.botLevel);
  setting->RefreshControls();
}

void CGameClientDlg::ShowGameOptions() {
  CGameClientView& view = m_GameClientView;
  if (!view.m_pGameSetting) {
    // Its options come back to this dialog.
    view.m_pGameSetting = std::make_unique<CGameSetting>(this);
    if (gcn::Container* container = view.GetGuiContainer())
      container->add(view.m_pGameSetting.get());
    view.m_pGameSetting->LoadBackground(ResourceConfig().GetResourcePath("m_pGameSetting"));
    view.PlaceGameSetting();
  }
  view.m_pGameSetting->setVisible(true);
  ReadOptions();
  CopyOptionsToSetting();
}

// ---- options window messages ------------------------------------------------------------------

// The options window posts each value in the second parameter (the first carries the message's
// own number).
LRESULT CGameClientDlg::OnOptionMessage(UINT message, LPARAM value) {
  CGameClientView& view = m_GameClientView;
  const BYTE on = value != 0 ? 1 : 0;
  switch (message) {
    case MSG_OPTION_CARD_SPACING:
      m_options.cardSpace = static_cast<int>(value);
      view.SetCardSpacing(m_options.cardSpace);
      break;
    case MSG_OPTION_MUSIC:
      m_options.gameMusic = on;
      if (m_cbEnableSound != 0) {
        FreeMusicTrack(m_state.musicTrack);
        if (on) StartMusicTrack(false);
      }
      break;
    case MSG_OPTION_GAME_SOUND:
      m_options.gameSound = on;
      view.m_cbGameSound = on;
      break;
    case MSG_OPTION_ANIMATION:
      m_options.gameAnimation = on;
      break;
    case MSG_OPTION_SEAT_ORDER:
      m_options.deasilOrder = on;
      view.SetSeatOrder(on);
      view.PlaceSeats();
      break;
    case MSG_OPTION_ALLOW_LOOKON:
      m_options.allowLookon = on;
      break;
    case MSG_OPTION_BOT_LEVEL:
      if (value >= 0 && value < BOT_LEVEL_COUNT) m_options.botLevel = static_cast<int>(value);
      break;
    case MSG_OPTION_CONFIRM:
      if (view.m_pGameSetting) view.m_pGameSetting->setVisible(false);
      WriteOption("CardSpace", m_options.cardSpace);
      WriteOption("DeasilOrder", m_options.deasilOrder);
      WriteOption("AllowLookon", m_options.allowLookon);
      SendAllowLookon(m_options.allowLookon != 0);
      WriteOption("GameSound", m_options.gameSound);
      WriteOption("GameAnimation", m_options.gameAnimation);
      WriteOption("GameMusic", m_options.gameMusic);
      WriteOption(PROFILE_BOT_LEVEL, m_options.botLevel);
      break;
    case MSG_OPTION_CLOSE:
      if (view.m_pGameSetting) view.m_pGameSetting->setVisible(false);
      break;
    default:
      return 0;
  }
  return 0;
}

// ---- sound and music ---------------------------------------------------------------------------

void CGameClientDlg::OnSoundSwitched() {
  m_GameClientView.m_pSoundSwitch = &m_cbEnableSound;
  FreeMusicTrack(m_state.musicTrack);
  if (m_cbEnableSound != 0 && m_options.gameMusic != 0) StartMusicTrack(false);
  WriteOption("EnableSound", m_cbEnableSound);
}

void CGameClientDlg::FreeMusicTrack(int track) {
  if (track < 0 || track >= MUSIC_TRACKS || m_hMusic[track] == 0) return;
  if (HGE* hge = m_GameClientView.GetEngine()) hge->Effect_Free(m_hMusic[track]);
  m_hMusic[track] = 0;
}

std::string MusicFile(int track) {
  return "Torvaly\\sound\\Back_" + std::to_string(track) + ".wav";
}

// Loads the current track and plays it once.
void CGameClientDlg::StartMusicTrack(bool extended) {
  HGE* hge = m_GameClientView.GetEngine();
  const int track = m_state.musicTrack % MUSIC_TRACKS;
  if (hge == nullptr) return;
  m_hMusic[track] = hge->Effect_Load(MusicFile(track + 1).c_str());
  if (m_hMusic[track] == 0) return;
  if (extended) {
    hge->Effect_PlayEx(m_hMusic[track], 100, 0, 1.0f, false);
  } else {
    hge->Effect_Play(m_hMusic[track]);
  }
}

// Timer 206: with music on, a new random track every 33 seconds; with it off, the timer keeps
// firing every second until music is switched on.
void CGameClientDlg::OnMusicTimer() {
  if (m_options.gameMusic == 0) return;
  StopTimer(TIMER_MUSIC);
  for (int track = 0; track < MUSIC_TRACKS; ++track) FreeMusicTrack(track);
  if (m_randomState == 0) {
    m_randomState = static_cast<uint64_t>(
                        std::chrono::high_resolution_clock::now().time_since_epoch().count()) |
                    1u;
  }
  // xorshift64*
  m_randomState ^= m_randomState >> 12;
  m_randomState ^= m_randomState << 25;
  m_randomState ^= m_randomState >> 27;
  m_state.musicTrack = static_cast<BYTE>(((m_randomState * 0x2545F4914F6CDD1Dull) >> 33) % 2);
  if (m_cbEnableSound != 0) StartMusicTrack(true);
  StartTimer(TIMER_MUSIC, MUSIC_TRACK_MS);
}

void CGameClientDlg::PlaySound(HEFFECT effect) {
  if (IsSoundOn()) m_GameClientView.PlayEffect(effect);
}

// ---- watchers and users ------------------------------------------------------------------------

void CGameClientDlg::OnLookonChanged(bool /*lookon*/, const void* /*data*/, WORD /*size*/) {
  // A watcher sees the faces only when the player allows watchers; a player always does.
  if (CardControl* hand = HandControl(LOCAL_SEAT))
    hand->SetFaceUp(!IsWatching() || IsAllowLookon());
}

void CGameClientDlg::OnEventUserEnter(const tagUserData* user, WORD chair, bool lookon) {
  CBrisvaneDlg::OnEventUserEnter(user, chair, lookon);
  const WORD seat = Seat(chair);
  if (seat >= VIEW_SEAT_COUNT) return;
  m_GameClientView.m_nMaskedFlag[seat] = 1;
  m_GameClientView.m_wServerType = GetGameServerType();
  if (!lookon && user != nullptr) {
    m_HistoryScore.OnEventUserEnter(chair);
    m_GameClientView.LoadPeopleImage(user->wFaceID, seat, user->cbGender);
    m_GameClientView.UpdateGameView(nullptr);
  }
}

void CGameClientDlg::OnEventUserLeave(const tagUserData* user, WORD chair, bool lookon) {
  CBrisvaneDlg::OnEventUserLeave(user, chair, lookon);
  const WORD seat = Seat(chair);
  if (seat >= VIEW_SEAT_COUNT) return;
  m_GameClientView.m_nMaskedFlag[seat] = 0;
  if (!lookon) {
    m_HistoryScore.OnEventUserLeave(chair);
    m_GameClientView.UpdateGameView(nullptr);
  }
}

void CGameClientDlg::OnEventUserScore(const tagUserData* user, WORD chair, bool lookon) {
  CBrisvaneDlg::OnEventUserScore(user, chair, lookon);
}

void CGameClientDlg::OnEventUserStatus(const tagUserData* user, WORD chair, bool lookon) {
  CBrisvaneDlg::OnEventUserStatus(user, chair, lookon);
}

// ---- window messages and timers ----------------------------------------------------------------

LRESULT CGameClientDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case MSG_START:
      OnStart();
      return 0;
    case MSG_PLAY:
      OnPlay(wParam);
      return 0;
    case MSG_PASS:
      OnPass(wParam);
      return 0;
    case MSG_HINT:
      OnHint();
      return 0;
    case MSG_AUTO_PLAY:
      OnAutoPlay(wParam == 1);
      return 0;
    case MSG_SORT:
      OnSort();
      return 0;
    case MSG_CARD_CLICK:
      PlaySound(m_GameClientView.m_sndBtn);
      return 0;
    case MSG_LAST_TURN:
      OnLastTurn(true);
      return 0;
    case MSG_CARD_PRESS:
      return 0;
    case MSG_CHANGE_TABLE:
      OnChangeTable();
      return 0;
    case MSG_SELECTION_CHANGED:
      UpdatePlayButton();
      return 0;
    case MSG_PLAY_RAISED:
      OnPlay(0);
      return 0;
    case MSG_HIDE_END_PANEL:
      if (m_GameClientView.m_pScoreView) m_GameClientView.m_pScoreView->Show(false);
      return 0;
    case MSG_OPTION_CARD_SPACING:
    case MSG_OPTION_MUSIC:
    case MSG_OPTION_GAME_SOUND:
    case MSG_OPTION_ANIMATION:
    case MSG_OPTION_SEAT_ORDER:
    case MSG_OPTION_ALLOW_LOOKON:
    case MSG_OPTION_BOT_LEVEL:
    case MSG_OPTION_CONFIRM:
    case MSG_OPTION_CLOSE:
      return OnOptionMessage(message, lParam);
    default:
      return CBrisvaneDlg::WindowProc(message, wParam, lParam);
  }
}

void CGameClientDlg::OnTimer(UINT_PTR id) {
  switch (id) {
    case TIMER_NEW_TURN:
      OnNewTurnTimer();
      break;
    case TIMER_DEAL:
      OnDealStep();
      break;
    case TIMER_MUSIC:
      OnMusicTimer();
      break;
    case TIMER_LAST_TURN:
      // The previous trick goes back to the current one by itself.
      StopTimer(TIMER_LAST_TURN);
      if (m_state.lastTurnShown) OnLastTurn(false);
      break;
    case TIMER_SHOW_START:
      OnShowStartTimer();
      break;
    case TIMER_SHAKE:
      if (!m_GameClientView.ShakeStep()) StopTimer(TIMER_SHAKE);
      break;
    default:
      break;
  }
}

void CGameClientDlg::StartTimer(UINT_PTR id, UINT elapseMs) {
  if (SetTimer(id, elapseMs) == 0) return;
  for (UINT_PTR& slot : m_timers) {
    if (slot == id) return;
  }
  for (UINT_PTR& slot : m_timers) {
    if (slot == 0) {
      slot = id;
      return;
    }
  }
}

void CGameClientDlg::StopTimer(UINT_PTR id) {
  KillTimer(id);
  for (UINT_PTR& slot : m_timers) {
    if (slot == id) slot = 0;
  }
}

bool CGameClientDlg::IsTimerRunning(UINT_PTR id) const {
  for (UINT_PTR slot : m_timers) {
    if (slot == id && id != 0) return true;
  }
  return false;
}

// ---- shared helpers
// ------------------------------------------------------------------------------

CardControl* CGameClientDlg::HandControl(WORD seat) const {
  return seat < VIEW_SEAT_COUNT ? m_GameClientView.m_pHandCard[seat].get() : nullptr;
}

CardControl* CGameClientDlg::OutControl(WORD seat) const {
  return seat < VIEW_SEAT_COUNT ? m_GameClientView.m_pOutCard[seat].get() : nullptr;
}

// Face-down cards of another seat: card bytes never leave the local hand.
void CGameClientDlg::ShowBacks(WORD seat, BYTE count) {
  static constexpr BYTE kBacks[MAX_CARDS] = {};
  if (CardControl* hand = HandControl(seat))
    hand->SetCards(kBacks, count <= MAX_CARDS ? count : MAX_CARDS);
}

void CGameClientDlg::ShowLocalHand() {
  if (CardControl* hand = HandControl(LOCAL_SEAT)) hand->SetCards(m_state.hand, m_state.handCount);
}

void CGameClientDlg::ClearSeat(WORD chair, bool pass) {
  const WORD seat = Seat(chair);
  if (seat >= VIEW_SEAT_COUNT) return;
  m_GameClientView.SetPassFlag(seat, pass);
  if (CardControl* out = OutControl(seat)) out->SetCards(nullptr, 0);
}

void CGameClientDlg::Notice(const std::string& text) {
  m_lastNotice = text;
  m_GameClientView.ShowNotice(text.c_str());
}

void CGameClientDlg::ShowButton(gcn::MyCButtonEx* button, bool visible, bool enabled) {
  if (button == nullptr) return;
  button->SetVisible(visible);
  button->SetEnable(enabled);
}

// Per-seat looping animations have no stop of their own: hidden, they are simply not drawn.
void CGameClientDlg::ShowAnimation(Animation_Varnel* animation, bool show) {
  if (animation == nullptr) return;
  if (show) {
    animation->Play();
    animation->SetShow(true);
  } else {
    animation->SetShow(false);
    animation->SetFrame(0);
  }
}

Animation_Varnel* CGameClientDlg::SeatAnimation(
    std::unique_ptr<Animation_Varnel> (&list)[VIEW_SEAT_COUNT], const char* key, WORD seat,
    int idBase) {
  if (seat >= VIEW_SEAT_COUNT) return nullptr;
  if (!list[seat]) list[seat] = m_GameClientView.CreateAnimationByName(key, seat + idBase);
  return list[seat].get();
}

// An effect animation made on first use: forward once, hidden, drawn above the table.
Animation_Varnel* CGameClientDlg::EffectAnimation(std::unique_ptr<Animation_Varnel>& slot,
                                                  const char* key, int id) {
  if (!slot) {
    slot = m_GameClientView.CreateAnimationByName(key, id);
    if (slot) {
      slot->SetMode(Animation_Varnel::MODE_FORWARD_ONCE);
      slot->SetShow(false);
      slot->SetZ(kEffectDepth);
    }
  }
  return slot.get();
}

void CGameClientDlg::ArchivePlay(WORD chair) {
  if (chair >= SEAT_COUNT) return;
  tagPlayMemory& m = m_state.memory[chair];
  if (m.currentCount == PLAY_MEMORY_NONE) return;
  m.previousCount = m.currentCount;
  std::memcpy(m.previousCards, m.currentCards, sizeof(m.previousCards));
  if (m.currentCount == 0) std::memset(m.previousCards, 0, sizeof(m.previousCards));
}

void CGameClientDlg::StorePlay(WORD chair, const BYTE* cards, BYTE count) {
  if (chair >= SEAT_COUNT || count > MAX_CARDS) return;
  ArchivePlay(chair);
  tagPlayMemory& m = m_state.memory[chair];
  m.currentCount = count;
  std::memset(m.currentCards, 0, sizeof(m.currentCards));
  std::memcpy(m.currentCards, cards, count);
}

void CGameClientDlg::StorePass(WORD chair) {
  if (chair >= SEAT_COUNT) return;
  ArchivePlay(chair);
  m_state.memory[chair].currentCount = 0;
  std::memset(m_state.memory[chair].currentCards, 0, MAX_CARDS);
}

void CGameClientDlg::ForgetPlay(WORD chair) {
  if (chair >= SEAT_COUNT) return;
  m_state.memory[chair].currentCount = PLAY_MEMORY_NONE;
  std::memset(m_state.memory[chair].currentCards, 0, MAX_CARDS);
}

void CGameClientDlg::ClearPlayMemory() {
  for (tagPlayMemory& m : m_state.memory) m = tagPlayMemory{};
}

void CGameClientDlg::SendAutoPlay(bool on, bool quiet) {
  tagCliAutoPlay record{GetMeChairID(), static_cast<uint8_t>(on ? 1 : 0),
                        static_cast<uint8_t>(quiet ? 1 : 0)};
  uint8_t buffer[sizeof(tagCliAutoPlay)];
  const size_t n = EncodeCliAutoPlay(record, buffer, sizeof(buffer));
  if (n != 0) SendData(CLI_AUTO_PLAY, buffer, static_cast<WORD>(n));
}
