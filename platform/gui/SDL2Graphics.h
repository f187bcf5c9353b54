// The widgets' drawing on the engine, and their images and input from SDL.
//
// gcn::GraphicsEx adds to gcn::Graphics the one drawing call the program's widgets need that
// Guichan lacks: a cell (srcX, srcY, srcWidth, srcHeight) of an image drawn into a destination
// given as its four corners (top-left, top-right, bottom-right, bottom-left), in the widget's
// coordinates like every other drawing call. Widgets reach it with AsGraphicsEx(graphics).
//
// gcn::SDL2Graphics draws through the engine (hgeCreate), so widgets land in whatever scene is
// open: the screen or a render target. It keeps Guichan's clip stack and hands the top of it
// to the engine; an empty clip area becomes a clip rectangle off the target, never "no clip".
// Drawing calls made outside _beginDraw / _endDraw draw unclipped at the given position.
//
// gcn::SDL2Image keeps its pixels in an SDL surface until it makes its engine texture, on first
// use or at convertToDisplayFormat; from then on the texture alone holds them (getPixel and
// putPixel lock it). Each image holds an engine reference while it has a texture, so the engine
// cannot go away under it. A texture the running engine refuses is not asked for again: the
// image then draws nothing.
//
// gcn::SDL2ImageLoader reads images as the engine does (ImageFile.h: PNG, JPEG or BMP of at most
// 4096 x 4096); anything else, like a missing file, gives null (not an exception), so
// gcn::Image::load(path) answers null. Paths go through ResolvePath.
//
// gcn::SDL2Input turns SDL events into Guichan's key and mouse input; time stamps come from the
// program's millisecond clock (WinTime.h), so injected events click and double-click the same
// way in tests as for a person.
#pragma once

#include <SDL2/SDL.h>

#include <deque>

#include "platform/engine/hge.h"
#include "platform/gui/Guichan.h"

namespace gcn {

class GraphicsEx : public Graphics {
 public:
  virtual void drawImageQuad(const Image* image, int srcX, int srcY, int srcWidth, int srcHeight,
                             int x0, int y0, int x1, int y1, int x2, int y2, int x3, int y3) = 0;
};

inline GraphicsEx* AsGraphicsEx(Graphics* graphics) { return dynamic_cast<GraphicsEx*>(graphics); }

class SDL2Graphics : public GraphicsEx {
 public:
  SDL2Graphics();
  ~SDL2Graphics() override;
  SDL2Graphics(const SDL2Graphics&) = delete;
  SDL2Graphics& operator=(const SDL2Graphics&) = delete;

  // The size of what _beginDraw clips to; 0 x 0 (the default) means the engine's screen.
  void setTargetSize(int width, int height);
  // While set, nothing is drawn outside this rectangle of the target (every clip area is cut
  // to it); null removes it.
  void setDamage(const Rectangle* area);

  void _beginDraw() override;
  void _endDraw() override;
  bool pushClipArea(Rectangle area) override;
  void popClipArea() override;

  using Graphics::drawImage;
  void drawImage(const Image* image, int srcX, int srcY, int dstX, int dstY, int width,
                 int height) override;
  void drawImageQuad(const Image* image, int srcX, int srcY, int srcWidth, int srcHeight, int x0,
                     int y0, int x1, int y1, int x2, int y2, int x3, int y3) override;
  void drawPoint(int x, int y) override;
  void drawLine(int x1, int y1, int x2, int y2) override;
  void drawRectangle(const Rectangle& rectangle) override;
  void fillRectangle(const Rectangle& rectangle) override;
  void setColor(const Color& color) override { mColor = color; }
  const Color& getColor() const override { return mColor; }

 private:
  void applyClip();
  void offset(int& x, int& y) const;
  void fill(int x, int y, int w, int h);  // absolute coordinates

  HGE* mHge;
  Color mColor;
  int mTargetWidth = 0;
  int mTargetHeight = 0;
  bool mHasDamage = false;
  Rectangle mDamage;
};

class SDL2Image : public Image {
 public:
  // Takes the surface (converted to 32-bit ARGB) and frees it when done.
  explicit SDL2Image(SDL_Surface* surface);
  ~SDL2Image() override;
  SDL2Image(const SDL2Image&) = delete;
  SDL2Image& operator=(const SDL2Image&) = delete;

  void free() override;
  int getWidth() const override;
  int getHeight() const override;
  Color getPixel(int x, int y) override;
  void putPixel(int x, int y, const Color& color) override;
  void convertToDisplayFormat() override;

  // The engine texture with the image at its top-left (0 without engine or pixels, or once the
  // running engine has refused to make it).
  HTEXTURE getTexture() const;
  // True once the running engine has refused the texture.
  bool textureFailed() const { return mFailed; }

 private:
  void releaseTexture() const;

  mutable SDL_Surface* mSurface;  // until the texture holds the pixels
  int mWidth = 0;
  int mHeight = 0;
  mutable HGE* mHge = nullptr;
  mutable HTEXTURE mTexture = 0;
  mutable bool mDirty = true;
  mutable bool mFailed = false;
};

class SDL2ImageLoader : public ImageLoader {
 public:
  Image* load(const std::string& filename, bool convertToDisplayFormat = true) override;

  // Makes the process-wide loader the global one (idempotent) and returns it.
  static SDL2ImageLoader& Install();
};

class SDL2Input : public Input {
 public:
  // Queues what the event means for the widgets; other events are ignored.
  void pushInput(const SDL_Event& event);

  bool isKeyQueueEmpty() override { return mKeys.empty(); }
  KeyInput dequeueKeyInput() override;
  bool isMouseQueueEmpty() override { return mMouse.empty(); }
  MouseInput dequeueMouseInput() override;
  void _pollInput() override {}

 private:
  std::deque<KeyInput> mKeys;
  std::deque<MouseInput> mMouse;
  int mLastX = 0;
  int mLastY = 0;
  bool mButtonDown[4] = {};
};

}  // namespace gcn
