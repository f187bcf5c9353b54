// CScoreView: the game-end panel, drawn over the table when a game ends. A slowly turning win or
// loss backdrop and title (for the local player's entry 1), and either big gold numbers that
// count up next to the three seats (the simple form) or an information box with one row per
// player (name, personal multiple, cards left, gold) and the six figures of the game (the
// detail form).
//
// The panel is a plain class, not a widget: its owner (the table view) steps it with Update
// every frame, draws it last with Draw, and shows, hides and flips it. The counting numbers
// advance once per drawn frame of the simple form and reach any score within 100 frames; they
// start again from 0 only after ClearScoreInfo.
//
// Images come from "Torvaly\gameEnd\" of the resource folder and positions from the coordinate
// file (section "GAME_COORDINATE", keys "EndBgAniX" ... "EndBigLeftGoldY"), read once when the
// panel is made, each moved by the panel's origin. A missing image leaves its part undrawn; a
// missing key reads as 0. Digit strips hold eleven equal cells: the digits 0 to 9, then the
// sign (the win strips' plus, the loss strips' minus).
#pragma once

#include <cstdint>
#include <memory>

#include "platform/engine/hge.h"
#include "platform/win/WinTypes.h"

class CTTFont;
class hgeSprite;
class hgeAnimation;
class ResourceConfig;

// One player's line of the result.
struct tagScoreEntry {
  char szName[40];  // empty: the entry takes no row and no big number
  int64_t lScore;   // gold won (>= 0) or lost (< 0)
  WORD wPersonalMultiple;
  BYTE cbCardsLeft;
  int64_t lShownGold;  // the counting value of the simple form
};

struct tagScorePoint {
  int x;
  int y;
};

class CScoreView {
 public:
  static constexpr WORD kEntryCount = 3;
  // Names of this many bytes or more are cut to it and get "..." appended.
  static constexpr size_t kNameCut = 10;
  static constexpr WORD kNoChair = 0xFFFF;

  // hge: the engine the images load into (not owned; it must outlive the panel). font: the
  // table's text font for the names of the detail form (not owned; may be null).
  CScoreView(HGE* hge, CTTFont* font, int originX, int originY);
  virtual ~CScoreView();
  CScoreView(const CScoreView&) = delete;
  CScoreView& operator=(const CScoreView&) = delete;

  // Ignored unless index < 3. The game's figures are kept from the last call; the entry gets
  // the name (cut as above, never inside a UTF-8 character), score, personal multiple and cards
  // left. Its counting value is left as it was.
  void SetScoreInfo(WORD index, WORD chair, const char* name, int spring, int bombCount,
                    int rocketCount, int reverseSpring, int haoSpring, int publicMultiple,
                    int64_t score, WORD personalMultiple, BYTE cardsLeft);
  // Clears the entries and their counting values; the game's figures stay.
  void ClearScoreInfo();

  // Its pictures are loaded when it is first shown: a table that never ends a game never
  // needs them.
  void Show(bool show);
  bool IsShow() const { return m_bShow; }
  void SetDetail(bool detail) { m_bDetail = detail; }
  bool IsDetail() const { return m_bDetail; }

  // While shown: steps the backdrops and turns them by dt radians (back to 0 at 360).
  void Update(float dt);
  // True while the simple form's numbers still count (a step with every frame).
  bool IsCounting() const;
  // Once the numbers stand, the panel changes only as its backdrop turns (a radian a second),
  // which looks smooth drawn this often.
  static constexpr float kTurnStepSeconds = 1.0f / 25.0f;
  // The square, in the panel's coordinates, that the shown backdrop covers at any angle (a
  // pixel more for filtering); false while the panel is hidden or has no backdrop.
  bool TurningRect(int* x, int* y, int* w, int* h) const;
  // One frame of the simple form's counting numbers (while shown, not in the detail form).
  void Count();
  // Draws the panel (nothing while hidden) as it stands: drawing changes nothing. The backdrop
  // and title are drawn only for position 1, the local player's; the view passes 1.
  void Draw(int position);

  // Draws value with the digit strip, its units cell at x + n x w / 2 and each higher digit one
  // cell further left (n digits, w the cell width); the strip's sign cell just left of the
  // highest digit when withSign is set.
  void DrawNumber(hgeSprite* strip, int x, int y, int64_t value, bool withSign);

  const tagScoreEntry* GetEntry(WORD index) const {
    return index < kEntryCount ? &m_entries[index] : nullptr;
  }
  float GetAngle() const { return m_fAngle; }
  WORD GetChair() const { return m_wChair; }
  int GetPublicMultiple() const { return m_nPublicMultiple; }

 private:
  void LoadImages();
  void ReadPositions();
  HTEXTURE Load(const char* path);
  void Step(tagScoreEntry& entry);

  HGE* m_pHge;
  CTTFont* m_pFont;
  int m_nOriginX;
  int m_nOriginY;
  std::unique_ptr<ResourceConfig> m_pConfig;

  tagScoreEntry m_entries[kEntryCount] = {};
  int m_nSpring = 0;
  int m_nBombCount = 0;
  int m_nRocketCount = 0;
  int m_nReverseSpring = 0;
  int m_nHaoSpring = 0;
  int m_nPublicMultiple = 0;
  WORD m_wChair = kNoChair;

  bool m_bShow = false;
  bool m_bImagesLoaded = false;
  bool m_bDetail = false;
  float m_fAngle = 0.0f;

  HTEXTURE m_textures[9] = {};
  int m_nTextureCount = 0;
  std::unique_ptr<hgeSprite> m_pInfoBox;
  std::unique_ptr<hgeAnimation> m_pWinBackdrop;
  std::unique_ptr<hgeAnimation> m_pLostBackdrop;
  std::unique_ptr<hgeAnimation> m_pWinNumber;
  std::unique_ptr<hgeAnimation> m_pLostNumber;
  std::unique_ptr<hgeSprite> m_pWinBoxNumber;
  std::unique_ptr<hgeSprite> m_pLostBoxNumber;
  std::unique_ptr<hgeSprite> m_pWinTitle;
  std::unique_ptr<hgeSprite> m_pLostTitle;

  tagScorePoint m_ptBackdrop{};
  tagScorePoint m_ptTitle{};
  tagScorePoint m_ptInfoBox{};
  tagScorePoint m_ptName[kEntryCount]{};
  tagScorePoint m_ptPersonalMultiple[kEntryCount]{};
  tagScorePoint m_ptCardsLeft[kEntryCount]{};
  tagScorePoint m_ptGold[kEntryCount]{};
  tagScorePoint m_ptPublicMultiple{};
  tagScorePoint m_ptBombCount{};
  tagScorePoint m_ptRocketCount{};
  tagScorePoint m_ptHaoSpring{};
  tagScorePoint m_ptSpring{};
  tagScorePoint m_ptReverseSpring{};
  tagScorePoint m_ptBigGold[kEntryCount]{};  // right, local, left
};
