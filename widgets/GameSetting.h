// CGameSetting: the options window. Five check boxes (music, game sound, seat order, allow
// watchers, animation), a drop-down of the bots' level (简单, 普通, 高手) with its own label, a
// drop-down of eleven card spacings for the own hand (18 .. 28), and OK and Cancel image
// buttons, over a background picture that carries the other labels.
//
// The window keeps a working copy of the options; it stores nothing itself. Its opener writes
// the values in, calls RefreshControls and shows it; every change of a control updates the
// copy at once. OK posts each value to the owner window (the dialog that creates the window),
// in this order: 211 card spacing, 212 music, 213 game sound, 214 animation, 215 seat order,
// 216 allow watchers, 217 bots' level, then 219 (confirm); each message carries its own number as
// the first parameter and the value (0 for 219) as the second. Cancel posts only 220 (220, 0).
// Posted, so the owner handles them after the click, in that order; without an owner nothing is
// posted.
//
// Child positions are relative to the window's top-left corner (no frame, no title bar). The
// window is created hidden and is movable: it is dragged by any point of its background and
// stays inside its parent.
#pragma once

#include <memory>
#include <string>

#include "platform/gui/CWindowEx.h"
#include "platform/win/WinMessage.h"
#include "platform/win/WinTypes.h"

namespace gcn {
class MyCButtonEx;
class HGEImageFont;
}  // namespace gcn

inline constexpr UINT MSG_OPTION_CARD_SPACING = 211;
inline constexpr UINT MSG_OPTION_MUSIC = 212;
inline constexpr UINT MSG_OPTION_GAME_SOUND = 213;
inline constexpr UINT MSG_OPTION_ANIMATION = 214;
inline constexpr UINT MSG_OPTION_SEAT_ORDER = 215;
inline constexpr UINT MSG_OPTION_ALLOW_LOOKON = 216;
inline constexpr UINT MSG_OPTION_BOT_LEVEL = 217;
inline constexpr UINT MSG_OPTION_CONFIRM = 219;
inline constexpr UINT MSG_OPTION_CLOSE = 220;

// The card spacing a player has before choosing one.
inline constexpr int CARD_SPACING_DEFAULT = 35;

// The bots' levels, as the drop-down lists them (the embedded table's bots).
inline constexpr int BOT_LEVEL_EASY = 0;
inline constexpr int BOT_LEVEL_NORMAL = 1;
inline constexpr int BOT_LEVEL_STRONG = 2;
inline constexpr int BOT_LEVEL_COUNT = 3;

// The bots' levels by name: 简单, 普通, 高手.
class BotLevelListModel : public gcn::ListModel {
 public:
  ~BotLevelListModel() override = default;
  int getNumberOfElements() override { return BOT_LEVEL_COUNT; }
  std::string getElementAt(int i) override;
};

// The card spacings of the drop-down: "18" .. "28" and the default "35", then the spacing the
// window holds when it is none of those (a profile edited by hand), so that the drop-down always
// shows the value the window holds; any other index reads "选择牌间距".
class DemoListModel : public gcn::ListModel {
 public:
  static constexpr int kCount = 12;  // the spacings always listed
  ~DemoListModel() override = default;
  // Lists `spacing` after the others when it is none of them, and nothing more otherwise.
  void SetHeld(int spacing);
  int getNumberOfElements() override { return kCount + (m_hasHeld ? 1 : 0); }
  std::string getElementAt(int i) override;

 private:
  bool m_hasHeld = false;
  int m_held = 0;
};

class CGameSetting : public gcn::CWindowEx, public gcn::ActionListener {
 public:
  enum CheckBoxIndex {
    BOX_MUSIC = 0,
    BOX_GAME_SOUND = 1,
    BOX_SEAT_ORDER = 2,
    BOX_ALLOW_LOOKON = 3,
    BOX_ANIMATION = 4,
    BOX_COUNT = 5
  };

  // owner: the window the options are posted to (null: none).
  explicit CGameSetting(CWnd* owner = nullptr);
  ~CGameSetting() override;
  CGameSetting(const CGameSetting&) = delete;
  CGameSetting& operator=(const CGameSetting&) = delete;

  // The working copy; RefreshControls shows it.
  void SetMusic(BYTE on) { m_cbMusic = on; }
  void SetGameSound(BYTE on) { m_cbGameSound = on; }
  void SetSeatOrder(BYTE on) { m_cbSeatOrder = on; }
  void SetAllowLookon(BYTE on) { m_cbAllowLookon = on; }
  void SetAnimation(BYTE on) { m_cbAnimation = on; }
  void SetCardSpacing(int spacing) { m_nCardSpacing = spacing; }
  // Any value outside BOT_LEVEL_EASY .. BOT_LEVEL_STRONG reads as normal.
  void SetBotLevel(int level) {
    m_nBotLevel = level >= 0 && level < BOT_LEVEL_COUNT ? level : BOT_LEVEL_NORMAL;
  }
  BYTE GetMusic() const { return m_cbMusic; }
  BYTE GetGameSound() const { return m_cbGameSound; }
  BYTE GetSeatOrder() const { return m_cbSeatOrder; }
  BYTE GetAllowLookon() const { return m_cbAllowLookon; }
  BYTE GetAnimation() const { return m_cbAnimation; }
  int GetCardSpacing() const { return m_nCardSpacing; }
  int GetBotLevel() const { return m_nBotLevel; }

  // Each box is ticked exactly when its value is non-zero; the spacing drop-down shows the
  // first spacing equal to the card spacing, or the first item when none is (the value stays);
  // the level drop-down shows the bots' level.
  void RefreshControls();
  // Posts the seven values and the confirm to the owner.
  void ApplyOptions();

  // Loads the background picture (owned) and sizes the window to it; false when it does not
  // load (the window keeps its size and draws Guichan's plain window).
  bool LoadBackground(const std::string& path);

  gcn::CheckBox* GetCheckBox(int index) const;
  gcn::DropDown* GetSpacingDropDown() const { return m_pDropDown.get(); }
  gcn::DropDown* GetBotLevelDropDown() const { return m_pLevelDropDown.get(); }
  gcn::MyCButtonEx* GetOkButton() const { return m_pOk.get(); }
  gcn::MyCButtonEx* GetCancelButton() const { return m_pCancel.get(); }

  // gcn::ActionListener: a control changed or a button was pressed.
  void action(const gcn::ActionEvent& event) override;

  // gcn::MouseListener: moving by the background.
  void mousePressed(gcn::MouseEvent& mouseEvent) override;
  void mouseDragged(gcn::MouseEvent& mouseEvent) override;

 private:
  BYTE* ValueOf(int box);
  void Post(UINT message, WPARAM wParam, LPARAM lParam);

  CWnd* m_pOwner = nullptr;  // the dialog; not owned
  BYTE m_cbMusic = 1;
  BYTE m_cbGameSound = 1;
  BYTE m_cbSeatOrder = 0;
  BYTE m_cbAllowLookon = 0;
  BYTE m_cbAnimation = 1;
  int m_nCardSpacing = 10;
  int m_nBotLevel = BOT_LEVEL_NORMAL;

  // Declared so that the drop-down goes before the parts it uses.
  std::unique_ptr<gcn::Image> m_pBackground;
  std::unique_ptr<gcn::HGEImageFont> m_pFont;
  std::unique_ptr<DemoListModel> m_pListModel;
  std::unique_ptr<gcn::ListBox> m_pListBox;
  std::unique_ptr<gcn::ScrollArea> m_pScrollArea;
  std::unique_ptr<gcn::DropDown> m_pDropDown;
  std::unique_ptr<BotLevelListModel> m_pLevelModel;
  std::unique_ptr<gcn::ListBox> m_pLevelListBox;
  std::unique_ptr<gcn::ScrollArea> m_pLevelScrollArea;
  std::unique_ptr<gcn::DropDown> m_pLevelDropDown;
  std::unique_ptr<gcn::Label> m_pLevelLabel;
  std::unique_ptr<gcn::CheckBox> m_pBoxes[BOX_COUNT];
  std::unique_ptr<gcn::MyCButtonEx> m_pCancel;
  std::unique_ptr<gcn::MyCButtonEx> m_pOk;
};
