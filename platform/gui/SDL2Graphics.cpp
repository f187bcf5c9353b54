#include "platform/gui/SDL2Graphics.h"

#include <algorithm>
#include <cstring>

#include "platform/engine/ImageFile.h"
#include "platform/win/WinTime.h"

namespace gcn {

namespace {

DWORD ToArgb(const Color& c) {
  auto clamp = [](int v) { return static_cast<DWORD>(v < 0 ? 0 : v > 255 ? 255 : v); };
  return ARGB(clamp(c.a), clamp(c.r), clamp(c.g), clamp(c.b));
}

}  // namespace

// ---- SDL2Graphics ---------------------------------------------------------------------------

SDL2Graphics::SDL2Graphics() : mHge(hgeCreate(HGE_VERSION)) {}

SDL2Graphics::~SDL2Graphics() {
  mHge->Gfx_SetClipping();
  mHge->Release();
}

void SDL2Graphics::setTargetSize(int width, int height) {
  mTargetWidth = width;
  mTargetHeight = height;
}

void SDL2Graphics::setDamage(const Rectangle* area) {
  mHasDamage = area != nullptr;
  if (area != nullptr) mDamage = *area;
}

void SDL2Graphics::_beginDraw() {
  const int w = mTargetWidth > 0 ? mTargetWidth : mHge->System_GetStateInt(HGE_SCREENWIDTH);
  const int h = mTargetHeight > 0 ? mTargetHeight : mHge->System_GetStateInt(HGE_SCREENHEIGHT);
  pushClipArea(Rectangle(0, 0, w, h));
}

void SDL2Graphics::_endDraw() {
  while (!mClipStack.empty()) mClipStack.pop();
  mHge->Gfx_SetClipping();
}

bool SDL2Graphics::pushClipArea(Rectangle area) {
  const bool result = Graphics::pushClipArea(area);
  applyClip();
  return result;
}

void SDL2Graphics::popClipArea() {
  if (mClipStack.empty()) return;
  Graphics::popClipArea();
  applyClip();
}

void SDL2Graphics::applyClip() {
  if (mClipStack.empty()) {
    mHge->Gfx_SetClipping();
    return;
  }
  Rectangle top = mClipStack.top();
  if (mHasDamage) {
    const int left = std::max(top.x, mDamage.x), up = std::max(top.y, mDamage.y);
    const int right = std::min(top.x + top.width, mDamage.x + mDamage.width);
    const int down = std::min(top.y + top.height, mDamage.y + mDamage.height);
    top = Rectangle(left, up, right - left, down - up);
  }
  if (top.width <= 0 || top.height <= 0) {
    // Nothing may be drawn: a rectangle off the target (0, 0, 0, 0 would mean "no clip").
    mHge->Gfx_SetClipping(-4, -4, 1, 1);
  } else {
    mHge->Gfx_SetClipping(top.x, top.y, top.width, top.height);
  }
}

void SDL2Graphics::offset(int& x, int& y) const {
  if (mClipStack.empty()) return;
  x += mClipStack.top().xOffset;
  y += mClipStack.top().yOffset;
}

void SDL2Graphics::fill(int x, int y, int w, int h) {
  if (w <= 0 || h <= 0) return;
  hgeQuad quad{};
  const DWORD col = ToArgb(mColor);
  const float x1 = static_cast<float>(x), y1 = static_cast<float>(y);
  const float x2 = static_cast<float>(x + w), y2 = static_cast<float>(y + h);
  const float xs[4] = {x1, x2, x2, x1};
  const float ys[4] = {y1, y1, y2, y2};
  for (int i = 0; i < 4; ++i) quad.v[i] = hgeVertex{xs[i], ys[i], 0.5f, col, 0.0f, 0.0f};
  quad.tex = 0;
  quad.blend = BLEND_DEFAULT;
  mHge->Gfx_RenderQuad(&quad);
}

void SDL2Graphics::drawImage(const Image* image, int srcX, int srcY, int dstX, int dstY, int width,
                             int height) {
  drawImageQuad(image, srcX, srcY, width, height, dstX, dstY, dstX + width, dstY, dstX + width,
                dstY + height, dstX, dstY + height);
}

void SDL2Graphics::drawImageQuad(const Image* image, int srcX, int srcY, int srcWidth,
                                 int srcHeight, int x0, int y0, int x1, int y1, int x2, int y2,
                                 int x3, int y3) {
  const auto* sdlImage = dynamic_cast<const SDL2Image*>(image);
  if (sdlImage == nullptr || srcWidth <= 0 || srcHeight <= 0) return;
  const HTEXTURE tex = sdlImage->getTexture();
  if (tex == 0) return;
  const float tw = static_cast<float>(mHge->Texture_GetWidth(tex));
  const float th = static_cast<float>(mHge->Texture_GetHeight(tex));
  if (tw <= 0 || th <= 0) return;
  offset(x0, y0);
  offset(x1, y1);
  offset(x2, y2);
  offset(x3, y3);
  const float u1 = srcX / tw, v1 = srcY / th;
  const float u2 = (srcX + srcWidth) / tw, v2 = (srcY + srcHeight) / th;
  hgeQuad quad{};
  quad.v[0] = hgeVertex{float(x0), float(y0), 0.5f, 0xFFFFFFFF, u1, v1};
  quad.v[1] = hgeVertex{float(x1), float(y1), 0.5f, 0xFFFFFFFF, u2, v1};
  quad.v[2] = hgeVertex{float(x2), float(y2), 0.5f, 0xFFFFFFFF, u2, v2};
  quad.v[3] = hgeVertex{float(x3), float(y3), 0.5f, 0xFFFFFFFF, u1, v2};
  quad.tex = tex;
  quad.blend = BLEND_DEFAULT;
  mHge->Gfx_RenderQuad(&quad);
}

void SDL2Graphics::drawPoint(int x, int y) {
  offset(x, y);
  fill(x, y, 1, 1);
}

void SDL2Graphics::drawLine(int x1, int y1, int x2, int y2) {
  offset(x1, y1);
  offset(x2, y2);
  if (x1 == x2 || y1 == y2) {  // exact pixels for the straight lines widgets draw
    const int left = x1 < x2 ? x1 : x2, top = y1 < y2 ? y1 : y2;
    fill(left, top, (x1 > x2 ? x1 - x2 : x2 - x1) + 1, (y1 > y2 ? y1 - y2 : y2 - y1) + 1);
    return;
  }
  mHge->Gfx_RenderLine(x1 + 0.5f, y1 + 0.5f, x2 + 0.5f, y2 + 0.5f, ToArgb(mColor));
}

void SDL2Graphics::drawRectangle(const Rectangle& r) {
  if (r.width <= 0 || r.height <= 0) return;
  int x = r.x, y = r.y;
  offset(x, y);
  fill(x, y, r.width, 1);
  if (r.height > 1) fill(x, y + r.height - 1, r.width, 1);
  if (r.height > 2) {
    fill(x, y + 1, 1, r.height - 2);
    if (r.width > 1) fill(x + r.width - 1, y + 1, 1, r.height - 2);
  }
}

void SDL2Graphics::fillRectangle(const Rectangle& r) {
  int x = r.x, y = r.y;
  offset(x, y);
  fill(x, y, r.width, r.height);
}

// ---- SDL2Image ------------------------------------------------------------------------------

SDL2Image::SDL2Image(SDL_Surface* surface) : mSurface(ToArgbSurface(surface)) {
  if (mSurface != nullptr) {
    mWidth = mSurface->w;
    mHeight = mSurface->h;
  }
}

SDL2Image::~SDL2Image() { free(); }

void SDL2Image::free() {
  releaseTexture();
  if (mSurface) SDL_FreeSurface(mSurface);
  mSurface = nullptr;
  mWidth = mHeight = 0;
}

void SDL2Image::releaseTexture() const {
  if (mHge == nullptr) return;
  if (mTexture) mHge->Texture_Free(mTexture);
  mTexture = 0;
  mHge->Release();
  mHge = nullptr;
  mDirty = true;
}

int SDL2Image::getWidth() const { return mWidth; }
int SDL2Image::getHeight() const { return mHeight; }

Color SDL2Image::getPixel(int x, int y) {
  if (x < 0 || y < 0 || x >= mWidth || y >= mHeight) return Color(0, 0, 0, 0);
  uint32_t p = 0;
  if (mSurface != nullptr) {
    p = static_cast<const uint32_t*>(mSurface->pixels)[y * (mSurface->pitch / 4) + x];
  } else if (DWORD* pixels =
                 mTexture != 0 ? mHge->Texture_Lock(mTexture, true, x, y, 1, 1) : nullptr) {
    p = *pixels;
    mHge->Texture_Unlock(mTexture);
  }
  return Color(static_cast<int>(GETR(p)), static_cast<int>(GETG(p)), static_cast<int>(GETB(p)),
               static_cast<int>(GETA(p)));
}

void SDL2Image::putPixel(int x, int y, const Color& color) {
  if (x < 0 || y < 0 || x >= mWidth || y >= mHeight) return;
  if (mSurface != nullptr) {
    static_cast<uint32_t*>(mSurface->pixels)[y * (mSurface->pitch / 4) + x] = ToArgb(color);
    mDirty = true;
  } else if (DWORD* pixels =
                 mTexture != 0 ? mHge->Texture_Lock(mTexture, false, x, y, 1, 1) : nullptr) {
    *pixels = ToArgb(color);
    mHge->Texture_Unlock(mTexture);
  }
}

void SDL2Image::convertToDisplayFormat() { getTexture(); }

HTEXTURE SDL2Image::getTexture() const {
  if (mFailed) return 0;
  if (mSurface == nullptr || (!mDirty && mTexture != 0)) return mTexture;
  if (mHge == nullptr) mHge = hgeCreate(HGE_VERSION);
  if (mTexture == 0) mTexture = mHge->Texture_Create(mSurface->w, mSurface->h);
  if (mTexture == 0) {
    // Before the engine runs nothing can be made yet: the next draw tries again. A running
    // engine that refuses the texture will refuse it every frame, so the image stops asking.
    mFailed = mHge->System_GetStateString(HGE_RENDERERNAME)[0] != '\0';
    return 0;
  }
  const int pitch = mHge->Texture_GetWidth(mTexture);
  DWORD* pixels = mHge->Texture_Lock(mTexture, false);
  if (pixels == nullptr) {
    releaseTexture();
    mFailed = true;
    return 0;
  }
  for (int y = 0; y < mSurface->h; ++y) {
    std::memcpy(pixels + static_cast<size_t>(y) * pitch,
                static_cast<const uint8_t*>(mSurface->pixels) + y * mSurface->pitch,
                static_cast<size_t>(mSurface->w) * 4);
  }
  mHge->Texture_Unlock(mTexture);
  mDirty = false;
  // The texture holds the pixels now.
  SDL_FreeSurface(mSurface);
  mSurface = nullptr;
  return mTexture;
}

// ---- SDL2ImageLoader ------------------------------------------------------------------------

Image* SDL2ImageLoader::load(const std::string& filename, bool convertToDisplayFormat) {
  SDL_Surface* surface = LoadImageSurface(filename.c_str());
  if (surface == nullptr) return nullptr;
  auto* image = new SDL2Image(surface);
  if (convertToDisplayFormat) image->convertToDisplayFormat();
  return image;
}

SDL2ImageLoader& SDL2ImageLoader::Install() {
  static SDL2ImageLoader loader;
  Image::setImageLoader(&loader);
  return loader;
}

// ---- SDL2Input ------------------------------------------------------------------------------

namespace {

int GuiKeyValue(const SDL_Keysym& keysym) {
  const SDL_Keycode sym = keysym.sym;
  switch (sym) {
    case SDLK_SPACE:
      return Key::SPACE;
    case SDLK_TAB:
      return Key::TAB;
    case SDLK_RETURN:
    case SDLK_KP_ENTER:
      return Key::ENTER;
    case SDLK_ESCAPE:
      return Key::ESCAPE;
    case SDLK_BACKSPACE:
      return Key::BACKSPACE;
    case SDLK_DELETE:
      return Key::DELETE;
    case SDLK_INSERT:
      return Key::INSERT;
    case SDLK_HOME:
      return Key::HOME;
    case SDLK_END:
      return Key::END;
    case SDLK_PAGEUP:
      return Key::PAGE_UP;
    case SDLK_PAGEDOWN:
      return Key::PAGE_DOWN;
    case SDLK_LEFT:
      return Key::LEFT;
    case SDLK_RIGHT:
      return Key::RIGHT;
    case SDLK_UP:
      return Key::UP;
    case SDLK_DOWN:
      return Key::DOWN;
    case SDLK_LSHIFT:
      return Key::LEFT_SHIFT;
    case SDLK_RSHIFT:
      return Key::RIGHT_SHIFT;
    case SDLK_LCTRL:
      return Key::LEFT_CONTROL;
    case SDLK_RCTRL:
      return Key::RIGHT_CONTROL;
    case SDLK_LALT:
      return Key::LEFT_ALT;
    case SDLK_RALT:
      return Key::RIGHT_ALT;
    default:
      break;
  }
  if (sym >= SDLK_F1 && sym <= SDLK_F12) return Key::F1 + (sym - SDLK_F1);
  if (sym >= 32 && sym < 127) {
    int value = static_cast<int>(sym);
    if ((keysym.mod & KMOD_SHIFT) && value >= 'a' && value <= 'z') value -= 32;
    return value;
  }
  return 0;
}

unsigned GuiButton(Uint8 button) {
  switch (button) {
    case SDL_BUTTON_LEFT:
      return MouseInput::LEFT;
    case SDL_BUTTON_RIGHT:
      return MouseInput::RIGHT;
    case SDL_BUTTON_MIDDLE:
      return MouseInput::MIDDLE;
    default:
      return MouseInput::EMPTY;
  }
}

}  // namespace

void SDL2Input::pushInput(const SDL_Event& event) {
  const int stamp = static_cast<int>(timeGetTime() & 0x7FFFFFFF);
  switch (event.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
      const int value = GuiKeyValue(event.key.keysym);
      if (value == 0) return;
      KeyInput in(Key(value), event.type == SDL_KEYDOWN ? KeyInput::PRESSED : KeyInput::RELEASED);
      in.setShiftPressed((event.key.keysym.mod & KMOD_SHIFT) != 0);
      in.setControlPressed((event.key.keysym.mod & KMOD_CTRL) != 0);
      in.setAltPressed((event.key.keysym.mod & KMOD_ALT) != 0);
      in.setMetaPressed((event.key.keysym.mod & KMOD_GUI) != 0);
      in.setNumericPad(event.key.keysym.sym >= SDLK_KP_DIVIDE &&
                       event.key.keysym.sym <= SDLK_KP_PERIOD);
      mKeys.push_back(in);
      return;
    }
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
      const unsigned button = GuiButton(event.button.button);
      if (button == MouseInput::EMPTY) return;
      mLastX = event.button.x;
      mLastY = event.button.y;
      mButtonDown[button] = event.type == SDL_MOUSEBUTTONDOWN;
      mMouse.push_back(MouseInput(
          button, event.type == SDL_MOUSEBUTTONDOWN ? MouseInput::PRESSED : MouseInput::RELEASED,
          mLastX, mLastY, stamp));
      return;
    }
    case SDL_MOUSEMOTION: {
      mLastX = event.motion.x;
      mLastY = event.motion.y;
      unsigned button = MouseInput::EMPTY;
      for (unsigned b = MouseInput::LEFT; b <= MouseInput::MIDDLE; ++b) {
        if (mButtonDown[b]) button = b;
      }
      mMouse.push_back(MouseInput(button, MouseInput::MOVED, mLastX, mLastY, stamp));
      return;
    }
    case SDL_MOUSEWHEEL:
      if (event.wheel.y == 0) return;
      mMouse.push_back(
          MouseInput(MouseInput::EMPTY,
                     event.wheel.y > 0 ? MouseInput::WHEEL_MOVED_UP : MouseInput::WHEEL_MOVED_DOWN,
                     mLastX, mLastY, stamp));
      return;
    case SDL_WINDOWEVENT:
      if (event.window.event == SDL_WINDOWEVENT_LEAVE) {
        // The pointer left the window: no widget keeps the hover.
        mMouse.push_back(MouseInput(MouseInput::EMPTY, MouseInput::MOVED, -1, -1, stamp));
      }
      return;
    default:
      return;
  }
}

KeyInput SDL2Input::dequeueKeyInput() {
  if (mKeys.empty()) return KeyInput(Key(0), KeyInput::RELEASED);
  KeyInput in = mKeys.front();
  mKeys.pop_front();
  return in;
}

MouseInput SDL2Input::dequeueMouseInput() {
  if (mMouse.empty()) return MouseInput(MouseInput::EMPTY, MouseInput::MOVED, mLastX, mLastY, 0);
  MouseInput in = mMouse.front();
  mMouse.pop_front();
  return in;
}

}  // namespace gcn
