// The widgets' fonts on the text renderer.
//
// gcn::TrueTypeFont draws a widget's UTF-8 text with a CTTFont through the engine, so it
// lands in whatever scene the widget graphics draw into, clipped by their clip area. Guichan
// hands drawString the top-left of the text; the glyphs sit on a baseline one ascent lower.
// The text takes the graphics' current colour. The font's own size, colour and kerning are
// put back after every call, so a CTTFont can be shared with the table's text.
//
// gcn::HGEImageFont is a TrueTypeFont with its own font manager, made the way the program
// makes its widget fonts: a face name and four numbers, (face, size in pixels, bold, italic,
// anti-aliased). Every face name maps to the one font of the resource folder,
// "Torvaly\fzzy.TTF". Bold is drawn as a second pass one pixel to the right (and makes text
// one pixel wider); italic is accepted and drawn upright; not anti-aliased makes glyphs
// all-or-nothing. Without the font file it draws nothing and measures 0 wide.
#pragma once

#include <string>

#include "platform/gui/Guichan.h"
#include "text/FontManager.h"

namespace gcn {

class TrueTypeFont : public Font {
 public:
  // font is not owned and must outlive this object; pixels is the size widgets draw at.
  TrueTypeFont(CTTFont* font, int pixels);
  ~TrueTypeFont() override = default;
  TrueTypeFont(const TrueTypeFont&) = delete;
  TrueTypeFont& operator=(const TrueTypeFont&) = delete;

  int getWidth(const std::string& text) const override;
  int getHeight() const override;
  int getStringIndexAt(const std::string& text, int x) const override;
  void drawString(Graphics* graphics, const std::string& text, int x, int y) override;

  CTTFont* getTTFont() const { return mFont; }
  int getPixelSize() const { return mPixels; }
  void setBold(bool bold) { mBold = bold; }
  bool isBold() const { return mBold; }

 protected:
  void setTTFont(CTTFont* font) { mFont = font; }

 private:
  CTTFont* mFont;
  int mPixels;
  bool mBold = false;
};

class HGEImageFont : public TrueTypeFont {
 public:
  HGEImageFont(const std::string& faceName, int size, int bold, int italic, int antialias);
  ~HGEImageFont() override = default;

  bool isLoaded() const { return getTTFont() != nullptr; }
  const std::string& getFaceName() const { return mFaceName; }
  bool isItalic() const { return mItalic; }

  // The file a face name stands for, as the program writes it.
  static const char* FontFileFor(const std::string& faceName);

 private:
  CFontManager mManager;
  std::string mFaceName;
  bool mItalic;
};

}  // namespace gcn
