// CGameClientDlg: the client dialog. It keeps the client's copy of the table (the local hand,
// every chair's card count, the play to beat, the banker, the multiple, auto-play, the memory
// of the last two plays of every chair), turns every server message and scene into what the
// view shows and plays, answers the view's buttons and the card controls, plays for the player
// when the clock runs out, and keeps the options of the profile's "GameOption" section.
//
// The frame calls the virtual slots below; the view, the card controls and the options window
// reach the dialog by window messages (1724..1738, 211..221, see view/GameClientView.h,
// cardcontrol/CardControl.h and widgets/GameSetting.h); the dialog's own window timers are
// TIMER_* below. Every server record and scene is decoded by protocol/ first: a wrong size, a
// record the decoder refuses, an id without a handler or a status without a scene returns false
// and changes nothing at all.
//
// Chairs are the server's 0..2; the view is always addressed by view seat (1 = the local
// player). "Me" is the frame's own chair; a watcher is shown the hand of the chair it watches.
//
// The source is split by concern: GameClientDlg.cpp (construction, set-up, options, music, user
// events, window messages and timers), GameFlow.cpp (the server messages), PlayerActions.cpp
// (the buttons and the play check), Clocks.cpp (the frame clocks and auto-play), SceneRestore.cpp.
#pragma once

#include <cstdint>
#include <string>

#include "platform/frame/BrisvaneDlg.h"
#include "protocol/Protocol.h"
#include "rules/GameLogic.h"
#include "view/GameClientView.h"
#include "widgets/GameSetting.h"
#include "widgets/HistoryScore.h"

namespace gcn {
class MyCButtonEx;
}
class Animation_Varnel;
class CardControl;

// Frame clocks (countdowns per chair, SetGameTimer).
inline constexpr UINT TIMER_PLAY_CLOCK = 200;   // the turn clock of the current chair
inline constexpr UINT TIMER_READY_CLOCK = 202;  // the local player's ready clock
inline constexpr UINT TIMER_AUTO_CLOCK = 203;   // only ever killed by the client
// The dialog's window timers.
inline constexpr UINT_PTR TIMER_NEW_TURN = 201;    // 3 s after a play nobody can answer
inline constexpr UINT_PTR TIMER_DEAL = 204;        // one deal step every 120 ms
inline constexpr UINT_PTR TIMER_MUSIC = 206;       // background music
inline constexpr UINT_PTR TIMER_LAST_TURN = 208;   // the previous trick goes back by itself
inline constexpr UINT_PTR TIMER_SHOW_START = 212;  // 2.5 s after the end: start button, ready clock
// TIMER_SHAKE (501) is declared by the view.

inline constexpr UINT NEW_TURN_TIMER_MS = 3000;
inline constexpr UINT DEAL_STEP_MS = 120;
inline constexpr UINT LAST_TURN_SHOW_MS = 3000;
inline constexpr UINT SHOW_START_MS = 2500;
inline constexpr UINT MUSIC_FIRST_MS = 1000;
inline constexpr UINT MUSIC_TRACK_MS = 33000;
inline constexpr UINT READY_CLOCK_SECONDS = 30;  // at a free scene
inline constexpr UINT READY_CLOCK_AFTER_END_SECONDS = 27;
inline constexpr UINT AUTO_PLAY_ACT_SECONDS = 14;  // auto-play acts at this many seconds left
inline constexpr UINT CLOCK_WARNING_SECONDS = 6;   // the warning tick from here down

inline constexpr BYTE PLAY_MEMORY_NONE = 255;  // a chair with no play remembered
inline constexpr RECT CLOCK_AREA_NONE{};       // a frame clock's area: the view draws the clocks
inline constexpr WORD LOCAL_SEAT = 1;          // the view seat of the local player
inline constexpr int MUSIC_TRACKS = 2;
// The file of a music track, 1 .. MUSIC_TRACKS, in the resource folder's own form.
std::string MusicFile(int track);
// The profile's section of the options window, and its key of the bots' level (the options
// window's item: BOT_LEVEL_EASY .. BOT_LEVEL_STRONG), which the embedded table follows.
inline constexpr LPCSTR PROFILE_OPTION_SECTION = "GameOption";
inline constexpr LPCSTR PROFILE_BOT_LEVEL = "BotLevel";

// What the dialog remembers of a chair's plays in the current and the previous trick (for the
// previous-trick button). A count of PLAY_MEMORY_NONE means nothing; 0 means a pass.
struct tagPlayMemory {
  BYTE currentCount = PLAY_MEMORY_NONE;
  BYTE previousCount = PLAY_MEMORY_NONE;
  BYTE currentCards[MAX_CARDS] = {};
  BYTE previousCards[MAX_CARDS] = {};
  bool operator==(const tagPlayMemory&) const = default;
};

// The dialog's game state (initial values as constructed).
struct tagClientState {
  int32_t hintIndex = 0;  // position in the hint candidate list
  BYTE handCount = 0;     // the local (or watched) hand
  BYTE hand[MAX_CARDS] = {};
  BYTE cardCount[SEAT_COUNT] = {};  // cards in hand per chair
  WORD multiple = 1;                // the game multiple
  WORD turnTime = 15;               // seconds of a turn, from the scene
  bool autoPlay = false;            // the local player's auto-play
  WORD banker = NO_CHAIR;
  BYTE turnCount = 0;                 // the play to beat (0: the current player leads)
  BYTE turnType = PT_INVALID;         // its type, from the resolved form
  BYTE turnCards[MAX_CARDS] = {};     // as played
  BYTE turnResolved[MAX_CARDS] = {};  // with jokers replaced
  bool changeTable = false;           // the next start changes tables
  WORD newTurnChair = NO_CHAIR;       // leads once the pause after an unbeatable play is over
  BYTE dealt = 0;                     // deal animation: cards shown so far
  BYTE leftToDeal = 0;
  BYTE dealBuffer[MAX_CARDS] = {};  // the hand as dealt
  BYTE playing[SEAT_COUNT] = {};    // chairs taking part in the game
  BYTE clockExpiries[SEAT_COUNT] = {};
  bool lastTurnShown = false;  // the previous trick is on the table
  tagPlayMemory memory[SEAT_COUNT];
  BYTE sortMode = SORT_BY_BLOCKS;  // the next mode of the sort button
  DWORD spring = 0;                // end values, for the end panel
  DWORD bombCount = 0;
  DWORD rocketCount = 0;
  DWORD reverseSpring = 0;
  DWORD haoSpring = 0;
  BYTE musicTrack = 0;  // the current background track, 0 or 1
  // The local player's play sent but not yet announced by the server.
  BYTE pendingCount = 0;
  BYTE pendingCards[MAX_CARDS] = {};
  bool operator==(const tagClientState&) const = default;
};

// The options of the profile's "GameOption" section ("EnableSound" is the base's sound switch).
struct tagGameOptions {
  // "CardSpace": horizontal step of the local hand, the player's choice.
  int cardSpace = CARD_SPACING_DEFAULT;
  BYTE gameSound = 1;      // "GameSound"
  BYTE allowLookon = 0;    // "AllowLookon"
  BYTE deasilOrder = 0;    // "DeasilOrder": the seat order
  BYTE gameMusic = 1;      // "GameMusic"
  BYTE gameAnimation = 1;  // "GameAnimation"
  // "BotLevel": the embedded table's bots, BOT_LEVEL_EASY .. BOT_LEVEL_STRONG; the table reads
  // it from the profile before each game.
  int botLevel = BOT_LEVEL_NORMAL;
  bool operator==(const tagGameOptions&) const = default;
};

class CGameClientDlg : public CBrisvaneDlg {
 public:
  CGameClientDlg();
  ~CGameClientDlg() override;

  // ---- frame slots ---------------------------------------------------------------------------
  bool SetupGame() override;
  void ResetGame() override;
  void ShowGameOptions() override;
  void OnSoundSwitched() override;
  bool OnClockTick(WORD chair, UINT secondsLeft, UINT timerId) override;
  void OnLookonChanged(bool lookon, const void* data, WORD size) override;
  bool OnSceneRestore(BYTE status, bool lookon, const void* data, WORD size) override;
  bool OnServerMessage(WORD id, const void* data, WORD size) override;
  void OnEventUserEnter(const tagUserData* user, WORD chair, bool lookon) override;
  void OnEventUserLeave(const tagUserData* user, WORD chair, bool lookon) override;
  void OnEventUserScore(const tagUserData* user, WORD chair, bool lookon) override;
  void OnEventUserStatus(const tagUserData* user, WORD chair, bool lookon) override;

  // ---- what the table shows, for the scenario driver and the tests ---------------------------
  const tagClientState& GetState() const { return m_state; }
  const tagGameOptions& GetOptions() const { return m_options; }
  BYTE GetSoundSwitch() const { return m_cbEnableSound; }
  CGameClientView& GetClientView() { return m_GameClientView; }
  const CGameClientView& GetClientView() const { return m_GameClientView; }
  const CGameLogic& GetGameLogic() const { return m_GameLogic; }
  const CHistoryScore& GetHistoryScore() const { return m_HistoryScore; }
  // True while the dialog's window timer of that id runs.
  bool IsTimerRunning(UINT_PTR id) const;
  // The last notice line given to the view (auto-play changes, result lines); "" before any.
  const std::string& GetLastNotice() const { return m_lastNotice; }
  HEFFECT GetMusicEffect(int track) const {
    return track >= 0 && track < MUSIC_TRACKS ? m_hMusic[track] : 0;
  }
  // May the raised cards of the local hand be played (the play button's enabled state).
  bool CanPlayRaised();
  // A line on the table (UTF-8) among the notices: the game's own, and the network link's
  // (a dropped connection, a return).
  void Notice(const std::string& text);

 protected:
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
  void OnTimer(UINT_PTR id) override;

 private:
  // ---- set-up, options, music (GameClientDlg.cpp) --------------------------------------------
  void ReadOptions();
  void WriteOption(LPCSTR key, int value);
  void CopyOptionsToSetting();
  LRESULT OnOptionMessage(UINT message, LPARAM value);
  void OnMusicTimer();
  void StartMusicTrack(bool extended);
  void FreeMusicTrack(int track);
  void StartTimer(UINT_PTR id, UINT elapseMs);
  void StopTimer(UINT_PTR id);

  // ---- shared helpers (GameClientDlg.cpp)
  // ---------------------------------------------------------
  WORD Seat(WORD chair) const { return SwitchViewChairID(chair); }
  bool IsMe(WORD chair) const { return chair < SEAT_COUNT && chair == GetMeChairID(); }
  bool IsWatching() const { return IsLookonMode(); }
  bool IsSoundOn() const { return m_cbEnableSound != 0 && m_options.gameSound != 0; }
  void PlaySound(HEFFECT effect);
  CardControl* HandControl(WORD seat) const;
  CardControl* OutControl(WORD seat) const;
  void ShowBacks(WORD seat, BYTE count);
  void ShowLocalHand();
  void ClearSeat(WORD chair, bool pass);
  static void ShowButton(gcn::MyCButtonEx* button, bool visible, bool enabled);
  static void ShowAnimation(Animation_Varnel* animation, bool show);
  Animation_Varnel* SeatAnimation(std::unique_ptr<Animation_Varnel> (&list)[VIEW_SEAT_COUNT],
                                  const char* key, WORD seat, int idBase);
  Animation_Varnel* EffectAnimation(std::unique_ptr<Animation_Varnel>& slot, const char* key,
                                    int id);
  // Play memory of a chair.
  void ArchivePlay(WORD chair);
  void StorePlay(WORD chair, const BYTE* cards, BYTE count);
  void StorePass(WORD chair);
  void ForgetPlay(WORD chair);
  void ClearPlayMemory();
  void SendAutoPlay(bool on, bool quiet);

  // ---- server messages (GameFlow.cpp)
  // -------------------------------------------------------------
  void OnSubDeal(const tagSrvDeal& deal);
  void OnSubPlayBegin(const tagSrvPlayBegin& begin);
  void OnSubPlay(const tagSrvPlay& play);
  void OnSubPass(const tagSrvPass& pass);
  void OnSubPassNotice(const tagSrvPassNotice& notice);
  void OnSubAutoPlay(const tagSrvAutoPlay& autoPlay);
  void OnSubResult(const tagSrvResult& result);
  void PlayOutCardEffect(const tagSrvPlay& play, size_t size, BYTE cardType);
  void UpdateAlarm(WORD chair, bool withSound);
  void GiveTurnButtons(WORD current);
  void TakeOwnPlay(const tagSrvPlay& play);
  void RestorePending();
  void OnDealStep();
  void OnNewTurnTimer();
  void OnShowStartTimer();
  void StopDeal();

  // ---- actions (PlayerActions.cpp)
  // ------------------------------------------------------------------
  void OnStart();
  void OnPlay(WPARAM param);
  void OnPass(WPARAM param);
  void OnHint();
  void OnAutoPlay(bool on);
  void OnSort();
  void OnLastTurn(bool withSound);
  void OnChangeTable();
  void MatchAutoPlay();
  void UpdatePlayButton();
  void SendOwnPlay(const BYTE* cards, BYTE count);
  void ShowAutoPlayButtons(bool on);
  void HideTurnButtons();

  // ---- scene restore (SceneRestore.cpp)
  // -----------------------------------------------------------
  bool RestoreFree(const tagSceneFree& scene);
  bool RestorePlaying(const tagScenePlaying& scene);

  // The rules, the score history and the view, built in this order and destroyed in reverse.
  CGameLogic m_GameLogic;
  CHistoryScore m_HistoryScore;
  CGameClientView m_GameClientView;

  tagClientState m_state;
  tagGameOptions m_options;
  IClientKernel* m_pKernel = nullptr;
  HEFFECT m_hMusic[MUSIC_TRACKS] = {};
  uint64_t m_randomState = 0;  // the music's track choice; seeded on first use
  UINT_PTR m_timers[8] = {};   // ids of the running window timers
  std::string m_lastNotice;
};
