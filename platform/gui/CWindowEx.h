// gcn::CWindowEx: the window base of the program's own windows (the card control, the options
// window). A gcn::Window with the capitalised calls the program uses and an optional
// background image: when one is set (not owned; its owner keeps it alive while set), the
// window draws it stretched over its whole area instead of Guichan's frame and title bar,
// then its children.
#pragma once

#include "platform/gui/Guichan.h"

namespace gcn {

class CWindowEx : public Window {
 public:
  CWindowEx();
  explicit CWindowEx(const std::string& caption);

  void SetVisible(bool visible) { setVisible(visible); }
  void SetEnable(bool enable) { setEnabled(enable); }

  void SetBackground(Image* image) { mBackground = image; }
  Image* GetBackground() const { return mBackground; }

  void draw(Graphics* graphics) override;

 private:
  Image* mBackground = nullptr;
};

}  // namespace gcn
