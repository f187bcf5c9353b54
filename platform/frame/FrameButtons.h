// The frame's own buttons on the table, in place of a lobby's menu (F2 and F3 do the same): a
// gear that opens the game's options window (ShowGameOptions) and a speaker that switches all
// sound on and off (SwitchSound) and shows which it is. Two round icons in the top right corner
// of the 1280 x 720 table, scaled and letterboxed with it, clear of everything the table shows
// there (the right seat's clock and name lie below them, the top panel to their left).
//
// Their pictures, four states side by side (normal, pressed, mouse over, disabled, as
// gcn::StateButton draws them), are the resource folder's Torvaly\frame\options.png,
// sound_on.png and sound_off.png; they are the frame's files, not keys of the game's resource
// list. A button whose picture is missing is not shown.
#pragma once

#include <memory>

#include "platform/gui/StateButton.h"

class CBrisvaneDlg;

class CFrameButtons : private gcn::ActionListener {
 public:
  // Design points (1280 x 720) of the buttons' top left corners, and their size there.
  static constexpr int OPTIONS_X = 1162;
  static constexpr int SOUND_X = 1206;
  static constexpr int ICONS_Y = 34;
  static constexpr int ICON_SIZE = 36;

  // Adds the buttons to the container; their clicks go to the dialog.
  CFrameButtons(gcn::Container& container, CBrisvaneDlg& dialog);
  ~CFrameButtons() override;  // takes them out of the container again
  CFrameButtons(const CFrameButtons&) = delete;
  CFrameButtons& operator=(const CFrameButtons&) = delete;

  // Sizes and places the buttons for a drawing area of width x height.
  void Place(int width, int height);
  // Whether a screen point lies on a shown button: such a click is the button's, not the table's.
  bool Covers(int x, int y) const;

  gcn::StateButton* OptionsButton() const;
  gcn::StateButton* SoundButton() const;

 private:
  class CIcon;

  void action(const gcn::ActionEvent& event) override;

  gcn::Container& m_container;
  CBrisvaneDlg& m_dialog;
  std::unique_ptr<gcn::Image> m_pOptionsPicture;
  std::unique_ptr<gcn::Image> m_pSoundOnPicture;
  std::unique_ptr<gcn::Image> m_pSoundOffPicture;
  std::unique_ptr<CIcon> m_pOptions;
  std::unique_ptr<CIcon> m_pSound;
};
