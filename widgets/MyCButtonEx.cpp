#include "widgets/MyCButtonEx.h"

#include "platform/gui/SDL2Graphics.h"

namespace gcn {

MyCButtonEx::MyCButtonEx() { adoptImage(nullptr); }

MyCButtonEx::MyCButtonEx(const std::string& imagePath) { adoptImage(LoadImage(imagePath)); }

MyCButtonEx::MyCButtonEx(Image* image) { adoptImage(image); }

MyCButtonEx::~MyCButtonEx() = default;

Image* MyCButtonEx::LoadImage(const std::string& path) {
  Image* image = nullptr;
  // Without a global image loader the library throws; that is just a missing picture here.
  GuiGuard(__func__, [&] { image = Image::load(path, true); });
  return image;
}

void MyCButtonEx::adoptImage(Image* image) {
  setFrameSize(0);
  if (image != mImage.get()) mImage.reset(image);  // the same image again is kept, not freed
  if (mImage) {
    setSize(mImage->getWidth() / 4, mImage->getHeight());
  } else {
    setSize(0, 0);
  }
}

void MyCButtonEx::setImage(const std::string& imagePath) { adoptImage(LoadImage(imagePath)); }

void MyCButtonEx::setImage(Image* image) { adoptImage(image); }

int MyCButtonEx::getStateColumn() const {
  if (!isEnabled()) return COLUMN_DISABLED;
  if (isPressed()) return COLUMN_PRESSED;
  if (mHasMouse) return COLUMN_HOVER;
  return COLUMN_NORMAL;
}

void MyCButtonEx::draw(Graphics* graphics) {
  if (!mImage || graphics == nullptr) return;
  const int cellWidth = mImage->getWidth() / 4;
  const int cellHeight = mImage->getHeight();
  const int srcX = getStateColumn() * cellWidth;
  const int w = getWidth();
  const int h = getHeight();
  if (GraphicsEx* ex = AsGraphicsEx(graphics)) {
    ex->drawImageQuad(mImage.get(), srcX, 0, cellWidth, cellHeight, 0, 0, w, 0, w, h, 0, h);
  } else {
    graphics->drawImage(mImage.get(), srcX, 0, 0, 0, cellWidth, cellHeight);
  }

  if (getCaption().empty()) return;
  Font* font = getFont();
  const int y = h / 2 - font->getHeight() / 2;
  int x;
  switch (getAlignment()) {
    case Graphics::LEFT:
      x = static_cast<int>(getSpacing());
      break;
    case Graphics::RIGHT:
      x = w - static_cast<int>(getSpacing());
      break;
    default:
      x = w / 2;
      break;
  }
  graphics->setColor(mTextColor);
  graphics->setFont(font);
  if (isPressed()) {
    graphics->drawText(getCaption(), x + 1, y + 1, getAlignment());
  } else {
    graphics->drawText(getCaption(), x, y, getAlignment());
  }
}

}  // namespace gcn
