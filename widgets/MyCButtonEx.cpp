#include "widgets/MyCButtonEx.h"

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
    setSize(mImage->getWidth() / STATE_COLUMNS, mImage->getHeight());
  } else {
    setSize(0, 0);
  }
}

void MyCButtonEx::setImage(const std::string& imagePath) { adoptImage(LoadImage(imagePath)); }

void MyCButtonEx::setImage(Image* image) { adoptImage(image); }

void MyCButtonEx::draw(Graphics* graphics) {
  if (!mImage || graphics == nullptr) return;
  drawState(graphics, mImage.get());
  if (getCaption().empty()) return;
  const int w = getWidth();
  const int h = getHeight();
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
