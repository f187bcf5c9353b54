// gcn::StateButton: a Guichan button whose look is a picture of four equally wide states side
// by side: 0 normal, 1 pressed, 2 mouse over, 3 disabled. Its mouse, key and focus behaviour
// are Guichan's (the action event goes to the listeners when the mouse is released over the
// pressed button). It shows the state's picture stretched over its whole area; the picture
// belongs to the derived button. The table's image button (widgets/MyCButtonEx) and the frame's
// icon buttons are built on it.
#pragma once

#include "platform/gui/Guichan.h"

namespace gcn {

class StateButton : public Button {
 public:
  enum StateColumn { COLUMN_NORMAL = 0, COLUMN_PRESSED = 1, COLUMN_HOVER = 2, COLUMN_DISABLED = 3 };
  static constexpr int STATE_COLUMNS = 4;

  // The column the next draw uses: disabled, else pressed, else mouse over, else normal.
  int getStateColumn() const;

 protected:
  // Draws the current state's quarter of `picture` over the whole button (nothing without a
  // picture).
  void drawState(Graphics* graphics, const Image* picture);
};

}  // namespace gcn
