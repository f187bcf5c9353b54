#include "platform/gui/CWindowEx.h"

#include "platform/gui/SDL2Graphics.h"

namespace gcn {

CWindowEx::CWindowEx() { setOpaque(true); }

CWindowEx::CWindowEx(const std::string& caption) : Window(caption) { setOpaque(true); }

void CWindowEx::draw(Graphics* graphics) {
  if (mBackground == nullptr) {
    Window::draw(graphics);
    return;
  }
  const int w = getWidth();
  const int h = getHeight();
  if (GraphicsEx* ex = AsGraphicsEx(graphics)) {
    ex->drawImageQuad(mBackground, 0, 0, mBackground->getWidth(), mBackground->getHeight(), 0, 0, w,
                      0, w, h, 0, h);
  } else {
    graphics->drawImage(mBackground, 0, 0, 0, 0, mBackground->getWidth(), mBackground->getHeight());
  }
  graphics->pushClipArea(getChildrenArea());
  drawChildren(graphics);
  graphics->popClipArea();
}

}  // namespace gcn
