#include "platform/gui/StateButton.h"

#include "platform/gui/SDL2Graphics.h"

namespace gcn {

int StateButton::getStateColumn() const {
  if (!isEnabled()) return COLUMN_DISABLED;
  if (isPressed()) return COLUMN_PRESSED;
  if (mHasMouse) return COLUMN_HOVER;
  return COLUMN_NORMAL;
}

void StateButton::drawState(Graphics* graphics, const Image* picture) {
  if (picture == nullptr || graphics == nullptr) return;
  const int cellWidth = picture->getWidth() / STATE_COLUMNS;
  const int cellHeight = picture->getHeight();
  const int srcX = getStateColumn() * cellWidth;
  const int w = getWidth();
  const int h = getHeight();
  if (GraphicsEx* ex = AsGraphicsEx(graphics)) {
    ex->drawImageQuad(picture, srcX, 0, cellWidth, cellHeight, 0, 0, w, 0, w, h, 0, h);
  } else {
    graphics->drawImage(picture, srcX, 0, 0, 0, cellWidth, cellHeight);
  }
}

}  // namespace gcn
