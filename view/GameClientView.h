// CGameClientView: the table view. It holds what the table shows (per-seat marks, counts, gold,
// names, the multiple, the deck count), draws one frame of it into a 1280 x 720 render target
// that is scaled onto the window, places its widgets from the coordinate file, loads every
// image, animation, button, card control and sound named by the resource-path file, routes its
// buttons to the dialog as window messages and shakes the seat area after a bomb.
//
// The dialog (client/) owns the view and drives it through the setters below, through the card
// controls, buttons, animations and sounds it holds, and by writing the fields marked "written by
// the dialog" directly. Seats: a "chair" passed to the view is a view seat 0..2 (1 = the local
// player); 65535 means every seat where an operation allows it. Per-seat coordinate tables are
// indexed by a drawing position (0 right, 1 local, 2 left) chosen by the seat order.
//
// Everything the view creates it owns and frees in its destructor; a resource that did not load
// is a null pointer or a zero handle, and every user tests it, so a missing file leaves a gap or
// a silence, never an error. Only a font that cannot be opened makes window creation fail.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "motion/VarnelAnimationCallBack.h"
#include "motion/VarnelMoveSpriteInterface.h"
#include "platform/engine/hge.h"
#include "platform/frame/BrisvaneView2D.h"
#include "platform/gui/Guichan.h"
#include "platform/win/WinTypes.h"
#include "widgets/GameSetting.h"

class Animation_Varnel;
class CardControl;
class CFontManager;
class CGameSetting;
class CScoreView;
class CTTFont;
class hgeSprite;
class IClientKernel;
class MoveSpriteManager_Varnel;
class ResourceConfig;
namespace gcn {
class MyCButtonEx;
}

// Window messages the view sends to the dialog (the card controls' 1732, 1735 and 1737 are in
// cardcontrol/CardControl.h, the options window's 211..220 in widgets/GameSetting.h).
inline constexpr UINT MSG_START = 1724;
inline constexpr UINT MSG_PLAY = 1725;
inline constexpr UINT MSG_PASS = 1726;
inline constexpr UINT MSG_HINT = 1728;
inline constexpr UINT MSG_AUTO_PLAY = 1729;
inline constexpr UINT MSG_SORT = 1730;
inline constexpr UINT MSG_LAST_TURN = 1734;
inline constexpr UINT MSG_CHANGE_TABLE = 1736;
inline constexpr UINT MSG_PLAY_RAISED = 1738;
inline constexpr UINT MSG_HIDE_END_PANEL = 221;

inline constexpr WORD VIEW_SEAT_COUNT = 3;
inline constexpr WORD VIEW_ALL_SEATS = 65535;
inline constexpr WORD VIEW_NO_CHAIR = 0xFFFF;

// The view's own window timer: hides the rocket's burst a second after it ends.
inline constexpr UINT_PTR TIMER_VIEW_ROCKET = 166;
// The dialog's shake timer, which ShakeStep kills when the shake is over.
inline constexpr UINT_PTR TIMER_SHAKE = 501;

// Animation and motion ids.
inline constexpr int ANI_ID_ROCKET = 3;
inline constexpr int ANI_ID_ROCKET_BURST = 30;
inline constexpr int ANI_ID_FLASH = 4;
inline constexpr int ANI_ID_SHUNZI = 6;
inline constexpr int ANI_ID_LIANDUI = 7;
inline constexpr int ANI_ID_SPRING = 9;
inline constexpr int ANI_ID_BIG_SPRING = 10;
inline constexpr int ANI_ID_HAO_SPRING = 11;
inline constexpr int MOTION_ID_ROCKET = 111;

// CreateSpriteByName kinds.
inline constexpr int SPRITE_KIND_IMAGE = 0;
inline constexpr int SPRITE_KIND_ANIMATION = 2;

// Voices: index 0 = gender 1 (male), 1 = gender 2 (female).
inline constexpr int VOICE_GENDERS = 2;
inline constexpr int VOICE_SINGLES = 15;  // A..K, small joker, big joker: numbers 1..15
inline constexpr int VOICE_PAIRS = 13;    // A..K: numbers 1..13

// The files the view names itself rather than reading them from the resource-path file, in the
// resource folder's own form: the voice of a single or a pair of number n for a gender index
// (0 male, 1 female), the voice of a straight or a run of pairs, the straight's sound, and a
// portrait (gender 1 or 2, face from 1).
std::string SingleVoiceFile(int genderIndex, int n);
std::string PairVoiceFile(int genderIndex, int n);
std::string LineVoiceFile(int genderIndex, bool pairs);
inline constexpr char SHUNZI_SOUND_FILE[] = "Torvaly\\sound\\shunzi.wav";
std::string PortraitFile(int gender, int face);

struct tagViewPoint {
  int x = 0;
  int y = 0;
};

class CGameClientView : public CBrisvaneView2D,
                        public VarnelMoveSpriteInterface,
                        public VarnelAnimationCallBack,
                        public gcn::ActionListener {
 public:
  CGameClientView();
  ~CGameClientView() override;
  CGameClientView(const CGameClientView&) = delete;
  CGameClientView& operator=(const CGameClientView&) = delete;

  // ---- frame-view virtuals -----------------------------------------------------------------
  // Empty table: game not running, multiple 1, no banker, marks and counts cleared, card
  // controls emptied, buttons hidden, end panel hidden, golds and scores 0.
  void ResetTable() override;
  // Layout pass: one uniform scale, letterboxing, every coordinate key (with the shake offset
  // where it applies), buttons, card-control scales and anchors, the options window.
  void ArrangeView(int width, int height) override;
  // One frame of the table in design coordinates (into the 1280 x 720 target).
  void DrawTable(int width, int height) override;
  // What the seats show (gold, names, stacked side hands), effects, per-seat animations,
  // moving sprites, keys (Escape, K), the end panel. Drawing reads only what this leaves.
  void AdvanceFrame(float elapsed) override;
  // When the table changes by itself next, so that the application loop draws no more frames
  // than the table needs. At the frame rate (FRAME_AT_RATE) while something moves: a shown
  // effect whose run plays, flying cards or the rocket, the shake, the end panel while its
  // numbers count, a fading notice, a sweep over the local hand. Otherwise the ms until the
  // next slow change: the next picture of a seat's auto-play mark or alarm (a few a second),
  // the end panel's backdrop's next step of its turn, the moment a notice starts to fade. A
  // still table answers
  // NO_FRAME_DUE and is drawn only when something happens (a click, a message, a timer such
  // as a deal step, a clock tick).
  int64_t NextFrameDueMs() const override;

  // The render callback registered with the engine: table into the target, target scaled onto
  // the screen, widgets on top. Finds the view through a global pointer.
  static bool RenderFrame();

  // ---- operations the dialog calls -----------------------------------------------------------
  void SetBeiShu(WORD multiple);              // store, redraw
  void SetCardCount(WORD chair, BYTE count);  // one seat: redraw; 65535: all, no redraw
  void SetPassFlag(WORD chair, bool pass);    // as SetCardCount
  void SetAutoPlayFlag(WORD chair, bool on);  // chair >= 65535: all; always redraw
  void SetBankerSeat(WORD chair, BYTE flag);  // 0xFFFF: none; redraw
  void SetLeftCardCount(BYTE deckCount);      // store, redraw
  void SetSeatOrder(BYTE order);              // store when it changes
  void SelectSeatPosition(WORD chair);        // sets the current position index
  int GetSeatPosition() const { return m_nPosition; }
  void SetDealFlag(BYTE flag);                 // stored, shown nowhere; redraw
  void SetScore64(int64_t score);              // stored, shown nowhere; redraw
  void SetBaseScore64(DWORD low, DWORD high);  // stored, shown nowhere

  // Shake after a bomb: StartShake sets the phase to 0, the dialog then runs TIMER_SHAKE every
  // millisecond calling ShakeStep, which answers false (and kills that timer on the dialog)
  // once the shake is over. StopShake ends it at once. The seat points (portraits, names,
  // gold) follow the offset at once, as a layout pass would place them.
  void StartShake();
  void StopShake();
  bool ShakeStep();

  // The local hand's horizontal step: the player's card spacing (the profile's "CardSpace"),
  // stored and given to the hand at once (lowered cards 20 below raised ones). Layout passes
  // keep it.
  void SetCardSpacing(int spacing);
  // Every seat's hand and play at the points of its drawing position by the seat order (the
  // local hand at the bottom, stepped by the card spacing), on the last layout pass's scale and
  // letterbox. The layout pass runs it; the dialog again when the seat order changes. False,
  // and nothing placed, while a hand control is missing.
  bool PlaceSeats();
  // The options window at its point of the table (the layout pass; the dialog when it makes it).
  void PlaceGameSetting();

  // value / base * actual; 0 when base is 0 or neither 1280 nor 720.
  static float ScaleCoordinate(float value, float base, float actual);

  // The resource-path value of the key loaded as a texture (0 when missing). Textures are
  // loaded once per key and freed by the view's destructor (the effect animations' textures
  // with the animations, DestroyEffectAnimations), so asking again is cheap.
  HTEXTURE LoadTextureByKey(const char* key);
  // Kind 0: a sprite over the whole texture (null without texture or name). Kind 2 with one of
  // the animation keys ("m_pAniRocket", "m_pAniRocket2", "m_pAniFlash", "m_AniAutoPlay",
  // "m_AniAlart", "m_pAniShunZi", "m_pAniLianDui", "spring", "bigSpring", "haoSpring"): that
  // animation, cut as its key says (id from the caller for "m_AniAutoPlay" and "m_AniAlart",
  // fixed otherwise). Anything else: null. The caller owns the result.
  std::unique_ptr<hgeSprite> CreateSpriteByName(HTEXTURE texture, int kind, const char* name,
                                                int ignored, int id);
  // Kind 2 of the key's own texture, typed: what the dialog uses for the per-seat and effect
  // animations. Null when the texture or the name is missing.
  std::unique_ptr<Animation_Varnel> CreateAnimationByName(const char* key, int id);
  // Portrait of a chair from "Torvaly\people\<gender><face + 1>\10.png", replacing the one the
  // chair had (a missing picture leaves the chair without portrait).
  void LoadPeopleImage(WORD faceId, WORD chair, BYTE gender);
  // After a play of type 5..9: the flash for bombs, the flying rocket and its burst for the
  // rocket. Does nothing unless show is true.
  void PlayBombEffect(bool show, BYTE cardType);
  // Puts an effect animation at the effect point: centred on the table, 150 pixels towards the
  // out-card chair's seat when there is one.
  void PlaceEffect(Animation_Varnel* animation);

  // Plays a loaded effect (nothing for a zero handle). The caller decides whether sound is on.
  void PlayEffect(HEFFECT effect);
  // Sound is on: the lobby's sound switch and the game-sound value are both set.
  bool IsSoundOn() const;

  // A short-lived line of text on the table (UTF-8): auto-play notices and result lines. It is
  // drawn in the game font and fades out after a few seconds; a few lines are kept at most,
  // the oldest dropped first.
  void ShowNotice(const char* text);

  // Removes the options window from the widget container and deletes it (the dialog does this
  // at every game start; the view at its destruction).
  void DestroyGameSetting();
  // Deletes the effect animations, their textures (in a window; headless they are kept) and the
  // screen kept under the end panel (the dialog does this at every game start; what a game shows
  // again is made again on first use), so what one game showed does not stay for the rest of
  // the program.
  void DestroyEffectAnimations();

  // ---- listeners -----------------------------------------------------------------------------
  void OnMoveFinished(int id) override;
  void OnAnimationFinished(int id) override;
  void action(const gcn::ActionEvent& event) override;  // the buttons

  // ---- state -----------------------------------------------------------------------------------
  // Per seat (indexed by view chair).
  BYTE m_cbPassFlag[VIEW_SEAT_COUNT] = {};
  BYTE m_cbAutoPlayFlag[VIEW_SEAT_COUNT] = {};
  BYTE m_cbAlarmFlag[VIEW_SEAT_COUNT] = {};     // written by the dialog
  BYTE m_cbPlayingFlag[VIEW_SEAT_COUNT] = {};   // written by the dialog
  int32_t m_nMaskedFlag[VIEW_SEAT_COUNT] = {};  // name mark; written by the dialog
  BYTE m_cbCardCount[VIEW_SEAT_COUNT] = {};     // drawn counts; also written by the dialog
  int64_t m_lGold[VIEW_SEAT_COUNT] = {};        // refreshed from the user record every frame
  int64_t m_lLastScore[VIEW_SEAT_COUNT] = {};   // written by the dialog; shown nowhere
  int64_t m_lTotalScore[VIEW_SEAT_COUNT] = {};  // written by the dialog; shown nowhere
  char m_szName[VIEW_SEAT_COUNT][32] = {};
  std::unique_ptr<hgeSprite> m_pPortrait[VIEW_SEAT_COUNT];
  std::unique_ptr<Animation_Varnel> m_AniAutoPlay[VIEW_SEAT_COUNT];  // made by the dialog
  std::unique_ptr<Animation_Varnel> m_AniAlart[VIEW_SEAT_COUNT];     // made by the dialog
  std::unique_ptr<CardControl> m_pHandCard[VIEW_SEAT_COUNT];
  std::unique_ptr<CardControl> m_pOutCard[VIEW_SEAT_COUNT];

  // Table-wide.
  BYTE m_cbGameRunning = 0;  // the in-play flag; written by the dialog
  BYTE m_cbGameOver = 0;     // written by the dialog
  BYTE m_cbChangeTable = 0;  // change-table mark; written by the dialog
  WORD m_wBankerChair = VIEW_NO_CHAIR;
  BYTE m_cbBankerFlag = 0;
  WORD m_wBeiShu = 1;
  BYTE m_cbLeftCardCount = 0;
  WORD m_wServerType = 0;                // written by the dialog
  WORD m_wOutCardChair = VIEW_NO_CHAIR;  // last-play seat; written by the dialog
  WORD m_wMeSeat = 1;                    // the local seat; written by the dialog
  BYTE m_cbWaitTip = 0;                  // written by the dialog
  BYTE m_cbSeatOrder = 0;
  int m_nPosition = 0;  // current position index
  tagViewPoint m_ptEffect;
  float m_fShakePhase = 0.0f;
  int m_nShakeX = 0;
  int m_nShakeY = 0;
  BYTE m_cbDealFlag = 0;
  int64_t m_lScore = 0;
  DWORD m_dwBaseScore[2] = {};

  // Handed over by the dialog at set-up.
  const BYTE* m_pSoundSwitch = nullptr;       // the lobby's sound switch byte
  BYTE m_cbGameSound = 1;                     // the game-sound option
  int m_nCardSpacing = CARD_SPACING_DEFAULT;  // the local hand's step; SetCardSpacing sets it
  IClientKernel* m_pKernel = nullptr;

  // Layout: the scale and letterbox of the last pass, and the points it read.
  float m_fScale = 1.0f;
  int m_nContentWidth = 1280;
  int m_nContentHeight = 720;
  float m_fOffsetX = 0.0f;
  float m_fOffsetY = 0.0f;
  tagViewPoint m_ptBg;
  tagViewPoint m_ptPlayerBg[VIEW_SEAT_COUNT];
  tagViewPoint m_ptPlayer[VIEW_SEAT_COUNT];
  tagViewPoint m_ptPlayerName[VIEW_SEAT_COUNT];
  tagViewPoint m_ptPlayerGoldBg[VIEW_SEAT_COUNT];
  tagViewPoint m_ptPlayerGold[VIEW_SEAT_COUNT];
  tagViewPoint m_ptBeishuBg;
  tagViewPoint m_ptBeishuTxt;
  tagViewPoint m_ptBeishuNum;
  tagViewPoint m_ptBeiTxt;
  tagViewPoint m_ptLeftCountTxt;
  tagViewPoint m_ptLeftCount;
  tagViewPoint m_ptBoxBg[VIEW_SEAT_COUNT];
  tagViewPoint m_ptReady[VIEW_SEAT_COUNT];
  tagViewPoint m_ptPass[VIEW_SEAT_COUNT];
  tagViewPoint m_ptHandCard[VIEW_SEAT_COUNT];
  tagViewPoint m_ptOutCard[VIEW_SEAT_COUNT];
  tagViewPoint m_ptLeftCardBg[VIEW_SEAT_COUNT];  // index 1 unused
  tagViewPoint m_ptLeftCard[VIEW_SEAT_COUNT];    // index 1 unused
  tagViewPoint m_ptBtChangeTable;
  tagViewPoint m_ptBtReady;
  tagViewPoint m_ptBtPass;
  tagViewPoint m_ptBtTip;
  tagViewPoint m_ptBtOutCard;
  tagViewPoint m_ptBtDetails;
  tagViewPoint m_ptBtAuto;
  tagViewPoint m_ptBtSort;
  tagViewPoint m_ptBtLast;
  tagViewPoint m_ptTimeBg[VIEW_SEAT_COUNT];
  tagViewPoint m_ptTimeNum[VIEW_SEAT_COUNT];
  tagViewPoint m_ptAutoAndAlart[VIEW_SEAT_COUNT];
  tagViewPoint m_ptRocketStart;
  tagViewPoint m_ptRocketEnd;

  // Sprites (one per resource key).
  std::unique_ptr<hgeSprite> m_ImageViewBack;
  std::unique_ptr<hgeSprite> m_pImageViewBox[VIEW_SEAT_COUNT];
  std::unique_ptr<hgeSprite> m_pGoldBg;
  std::unique_ptr<hgeSprite> m_pReady;
  std::unique_ptr<hgeSprite> m_pImageBuchu;
  std::unique_ptr<hgeSprite> m_pTimeNumber;
  std::unique_ptr<hgeSprite> m_pPlayerLeftNumBg;
  std::unique_ptr<hgeSprite> m_pPlayerLeftNum;
  std::unique_ptr<hgeSprite> m_pImageNumBack;
  std::unique_ptr<hgeSprite> m_pTopView;
  std::unique_ptr<hgeSprite> m_pBeiShu;
  std::unique_ptr<hgeSprite> m_pBei;
  std::unique_ptr<hgeSprite> m_pNumber;
  std::unique_ptr<hgeSprite> m_pFaceBg;
  std::unique_ptr<hgeSprite> m_pImageLandFace;
  std::unique_ptr<hgeSprite> m_pWaitTip;
  std::unique_ptr<hgeSprite> m_pImgLeftText;

  // Effect animations (made on first use).
  std::unique_ptr<Animation_Varnel> m_pAniRocket;
  std::unique_ptr<Animation_Varnel> m_pAniRocket2;
  std::unique_ptr<Animation_Varnel> m_pAniFlash;
  std::unique_ptr<Animation_Varnel> m_pAniShunZi;
  std::unique_ptr<Animation_Varnel> m_pAniLianDui;
  std::unique_ptr<Animation_Varnel> m_pAniSpring;     // "spring"
  std::unique_ptr<Animation_Varnel> m_pAniBigSpring;  // "bigSpring"
  std::unique_ptr<Animation_Varnel> m_pAniHaoSpring;  // "haoSpring"

  // Buttons.
  std::unique_ptr<gcn::MyCButtonEx> m_btOutCard;
  std::unique_ptr<gcn::MyCButtonEx> m_btAutoOutCard;  // hint
  std::unique_ptr<gcn::MyCButtonEx> m_btPassCard;
  std::unique_ptr<gcn::MyCButtonEx> m_btAutoPlayOn;
  std::unique_ptr<gcn::MyCButtonEx> m_btSortCard;
  std::unique_ptr<gcn::MyCButtonEx> m_btTurn;  // previous trick
  std::unique_ptr<gcn::MyCButtonEx> m_pbtDetails;
  std::unique_ptr<gcn::MyCButtonEx> m_btAutoPlayOff;
  std::unique_ptr<gcn::MyCButtonEx> m_btChildStart;  // start
  std::unique_ptr<gcn::MyCButtonEx> m_pbtChangeTable;

  // Sounds (0 when missing).
  HEFFECT m_sndClock = 0;
  HEFFECT m_hSoundHit = 0;
  HEFFECT m_sndBtn = 0;
  HEFFECT m_sndAlarm = 0;
  HEFFECT m_sndLiandui = 0;
  HEFFECT m_sndBomb = 0;
  HEFFECT m_sndOut35 = 0;                                  // "out35"
  HEFFECT m_sndRocket = 0;                                 // "rocketSound"
  HEFFECT m_sndGameStart = 0;                              // "gamestartsound"
  HEFFECT m_sndMostCard = 0;                               // "MOST_CARD"
  HEFFECT m_sndPassBoy = 0;                                // "Pass_Boy"
  HEFFECT m_sndPassGirl = 0;                               // "Pass_Girl"
  HEFFECT m_sndGoodEnd = 0;                                // "GoodEnd"
  HEFFECT m_sndCheer = 0;                                  // "Cheer"
  HEFFECT m_sndBadEnd = 0;                                 // "BadEnd"
  HEFFECT m_sndDispatch = 0;                               // "sndDispatch"
  HEFFECT m_sndManStart = 0;                               // "sndManStart"
  HEFFECT m_sndWomanStart = 0;                             // "sndWomanStart"
  HEFFECT m_sndSingle[VOICE_GENDERS][VOICE_SINGLES] = {};  // number n at index n - 1
  HEFFECT m_sndPair[VOICE_GENDERS][VOICE_PAIRS] = {};      // number n at index n - 1
  HEFFECT m_sndLine[VOICE_GENDERS] = {};
  HEFFECT m_sndDoubleLine[VOICE_GENDERS] = {};
  HEFFECT m_sndShunzi = 0;  // "Torvaly\sound\shunzi.wav"

  // Owned panels and helpers.
  std::unique_ptr<CScoreView> m_pScoreView;
  std::unique_ptr<CGameSetting> m_pGameSetting;  // created on demand by the dialog
  std::unique_ptr<ResourceConfig> m_pConfig;
  std::unique_ptr<CFontManager> m_pFontManager;
  CTTFont* m_pFont = nullptr;  // owned by the font manager
  std::unique_ptr<MoveSpriteManager_Varnel> m_pMoveSprites;
  HTARGET m_hTarget = 0;
  std::unique_ptr<hgeSprite> m_pTargetSprite;
  // The widget that draws the end panel over the card controls, under the buttons and windows.
  std::unique_ptr<gcn::Widget> m_pPanelLayer;
  // The screen as it lay under the end panel at the last whole frame (while the panel is up),
  // its sprite and whether it holds that frame; when the table was to change by itself next,
  // as seen at that frame (DueMs), and the time gone since. While the table has not reached
  // that change, a frame due only for the panel's turning backdrop draws again the backdrop's
  // square alone.
  HTARGET m_hPanelUnder = 0;
  std::unique_ptr<hgeSprite> m_pPanelUnderSprite;
  bool m_bPanelUnderSaved = false;
  int64_t m_nTableDueMs = FRAME_AT_RATE;
  float m_fSinceWholeFrame = 0.0f;
  bool TableStill() const;

 protected:
  int OnCreate() override;  // frame base first, then the resource step
  void OnDestroy() override;
  // The card controls' 1732, 1735 and 1737.
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
  void OnTimer(UINT_PTR id) override;  // 166
  void OnLButtonDblClk(UINT flags, int x, int y) override;
  void OnRButtonDown(UINT flags, int x, int y) override;

 private:
  // A texture loaded for a resource key; each key is loaded once (a failed load too).
  struct tagKeyTexture {
    char szKey[48];
    HTEXTURE hTexture;
  };
  static constexpr int kMaxKeyTextures = 96;
  // The textures of the effect animations the view holds (not the per-seat ones).
  void FreeEffectTextures();
  // A line of ShowNotice and how long it has been shown.
  struct tagNotice {
    char szText[128];
    float fAge;
  };
  static constexpr int kMaxNotices = 3;
  // The table's text colour (opaque yellow); notices tint the font for a moment and put it back.
  static constexpr DWORD kTextColor = 0xFFFFFF00;

  // ---- resources (ViewResources.cpp) ----
  ResourceConfig& Config();
  int LoadResources();
  std::unique_ptr<hgeSprite> CreateImageSprite(const char* key);
  void CreateSprites();
  void CreateCardControls();
  void CreateButtons();
  std::unique_ptr<gcn::MyCButtonEx> CreateButton(const char* key, bool enabled);
  void LoadSounds();
  HEFFECT LoadSoundByKey(const char* key);
  HEFFECT LoadSoundFile(const char* path);
  std::unique_ptr<Animation_Varnel> MakeAnimation(HTEXTURE texture, const char* name, int id);
  void RemoveWidgets();
  void FreeEverything();

  // ---- layout (ViewLayout.cpp) ----
  tagViewPoint ReadPoint(const char* stem, bool shake);
  tagViewPoint ToScreen(tagViewPoint design) const;
  void PlaceButtons();
  void PlaceCardControls();

  // ---- drawing (ViewDraw.cpp) ----
  class CPanelLayer;
  void CreatePanelLayer();
  void DrawPanelLayer();
  void DrawPanel(float scale, float offsetX, float offsetY);
  void SavePanelUnder();
  bool DrawPanelTurn(float scale, float offsetX, float offsetY);
  void FreePanelUnder();
  int64_t DueMs(bool withPanel) const;
  void RefreshSeats();
  void DrawSeat(WORD chair);
  void DrawSideNameAndGold(WORD chair, int position);
  bool IsSideSeatMasked(WORD chair) const;
  void CopyDisplayName(WORD chair, const char* nickname);
  void DrawTopPanel();
  void DrawEffects();
  void DrawNotices();
  void AgeNotices(float elapsed);
  void DrawCardCounts(float scale, float offsetX, float offsetY);
  // Digit strips. Positions are design pixels; scale and offset take them to the target drawn
  // into (the canvas: 1 and 0; the screen: the layout's scale and letterbox).
  void DrawDigit(hgeSprite* strip, int digit, float x, float y, float scale = 1.0f);
  void DrawCentredNumber(hgeSprite* strip, unsigned value, int x, int y, float scale = 1.0f,
                         float offsetX = 0.0f, float offsetY = 0.0f);
  void DrawClock(unsigned seconds, int x, int y);

  // ---- state (GameClientView.cpp) ----
  void SetShakeOffset(int x, int y);

  // ---- input (ViewInput.cpp) ----
  void SendToDialog(UINT message, WPARAM wParam, LPARAM lParam);
  void SwitchAutoPlayOff();

  // The view the engine's render callback draws: the last one created, until it goes.
  static CGameClientView* s_pRenderView;

  tagKeyTexture m_KeyTextures[kMaxKeyTextures] = {};
  int m_nKeyTextures = 0;
  bool m_bShaking = false;  // from StartShake until the shake is over or stopped
  HTEXTURE m_hPortraitTexture[VIEW_SEAT_COUNT] = {};
  tagNotice m_Notices[kMaxNotices] = {};
  int m_nNotices = 0;
};
