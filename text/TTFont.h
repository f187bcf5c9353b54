// TrueType text on the sprite engine. A CTTFont opens one face with FreeType, renders glyphs on
// demand at its pixel size, keeps one small engine texture per (character, pixel size) in its
// cache and draws strings glyph by glyph through one sprite whose colour tints every glyph.
//
// Glyph textures are white; their alpha is FreeType's anti-aliased coverage (or full / none
// for a monochrome font). Pens are on the baseline: x grows right, y grows down.
//
// String layout: tab (9) moves the pen by four space advances; line feed (10) goes back to
// the starting x one pixel height lower; vertical tab (11) goes four pixel heights lower
// without moving x. A character the face does not have is skipped without moving the pen. A
// pair with kerning moves the second glyph by the face's kerning at the current size, cut to
// whole pixels, while both the face has kerning and the font uses it.
//
// Characters are full code points (wchar_t is 32 bits here), so a character outside the
// basic plane never shares a cache slot with one inside it.
//
// A glyph far larger than the pixel size (kMaxGlyphEms) is kept without texture: it draws
// nothing and still moves the pen.
//
// All calls come from the user-interface thread. No exceptions; every failure is a false
// answer, a skipped character or a glyph kept without texture.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>

#include "platform/engine/hge.h"
#include "text/FreeTypeApi.h"

class hgeSprite;

// One cached glyph.
struct tagGlyphInfo {
  uint32_t character = 0;   // the code point
  uint32_t glyphIndex = 0;  // the face's index for it
  int32_t advance = 0;      // pixels to the next pen position (26.6 / 64, toward zero)
  int32_t sizeWidth = 0;    // the pixel size it was rendered at
  int32_t sizeHeight = 0;
  int32_t bitmapWidth = 0;  // the coverage bitmap
  int32_t bitmapRows = 0;
  int32_t left = 0;  // bitmap offset from the pen: right
  int32_t top = 0;   // and up from the baseline
  HTEXTURE texture = 0;  // 0: empty bitmap (a space) or no texture could be made
  int32_t textureWidth = 0;  // the texture's real size (may be padded past the bitmap)
  int32_t textureHeight = 0;
};

inline constexpr int kMinFontPixels = 1;
inline constexpr int kMaxFontPixels = 512;   // larger sizes render nothing
// A glyph wider or taller than this many times the pixel size is kept without picture: it is
// never rendered (a font file can make one glyph thousands of pixels high at any size).
inline constexpr int kMaxGlyphEms = 8;
inline constexpr size_t kFontTextCapacity = 1024;  // DrawText's formatted text, with its zero

class CTTFont {
 public:
  // library: the manager's FreeType library. api: the FreeType seam (null: the real one).
  explicit CTTFont(FT_Library library, CFreeTypeApi* api = nullptr);
  ~CTTFont();
  CTTFont(const CTTFont&) = delete;
  CTTFont& operator=(const CTTFont&) = delete;

  // Opens face 0 of the file; it must have a character map and be scalable. A font is opened
  // once: a second Open answers false and keeps the first face.
  bool Open(const char* path);
  bool IsOpen() const { return m_face != nullptr; }
  const std::string& GetPath() const { return m_path; }

  void SetSize(int pixels);
  int GetSize() const { return m_pixelHeight; }
  void SetColor(DWORD argb);
  DWORD GetColor() const { return m_color; }

  bool HasKerning() const { return m_hasKerning; }
  void SetUseKerning(bool use) { m_useKerning = use; }
  bool GetUseKerning() const { return m_useKerning; }
  void SetAutoCache(bool on) { m_autoCache = on; }
  bool GetAutoCache() const { return m_autoCache; }

  // Where the glyph's hot spot lies, as a fraction of its bitmap (rotation and scaling act
  // about it); and the scales and rotation (radians) every glyph is drawn with.
  void SetHotSpotFraction(float fx, float fy) { m_hotFractionX = fx, m_hotFractionY = fy; }
  void SetScale(float sx, float sy) { m_scaleX = sx, m_scaleY = sy; }
  void SetRotation(float radians) { m_rotation = radians; }

  // Glyphs cached from now on are all-or-nothing: coverage from half up is opaque.
  void SetMonochrome(bool on) { m_monochrome = on; }

  bool CacheChar(wchar_t ch);
  bool CacheString(const wchar_t* text);  // true only if every character was cached
  bool CacheRange(wchar_t first, wchar_t last);  // first .. last - 1

  bool DrawChar(wchar_t ch, float x, float y);
  // true only if every drawn character had a glyph with a texture.
  bool DrawString(const wchar_t* text, float x, float y);
  bool DrawString(const wchar_t* text, size_t length, float x, float y);
  // Formats with the program's wide printf rules (text/WideFormat.h: %s is wide, %I64u is a
  // 64-bit unsigned, ...) and draws the result. A format that is refused, or text longer than
  // kFontTextCapacity - 1 characters, draws nothing and answers false.
  bool DrawText(float x, float y, const wchar_t* format, ...);
  const wchar_t* GetText() const { return m_text; }  // the last formatted text

  // Frees every glyph with its texture.
  void ClearCache();
  size_t GetCacheSize() const { return m_cache.size(); }
  // The glyph of ch at the current size, or null.
  const tagGlyphInfo* FindGlyph(wchar_t ch) const;

  // Layout without drawing, by the same rules as DrawString (caching glyphs when auto cache
  // is on): the width of the widest line in pixels, and the number of lines.
  int MeasureString(const wchar_t* text, size_t length, int* lines = nullptr);
  // The face's ascent above and descent below the baseline at the current size, in whole
  // pixels (rounded outward); the pixel size and 0 when no face is open.
  int GetAscent() const;
  int GetDescent() const;

 private:
  struct GlyphKey {
    uint32_t character;
    int32_t width;
    int32_t height;
    bool operator<(const GlyphKey& o) const {
      if (character != o.character) return character < o.character;
      if (width != o.width) return width < o.width;
      return height < o.height;
    }
  };

  bool EnsureFaceSize();
  bool WithinGlyphBounds(long width, long rows) const;
  void MakeTexture(tagGlyphInfo& glyph, const FT_Bitmap& bitmap);
  // Pen step of one character; false when it has no glyph. Shared by drawing and measuring.
  template <class Visit>
  bool Layout(const wchar_t* text, size_t length, float x, float y, Visit&& visit);
  int TabAdvance();

  HGE* m_hge;
  CFreeTypeApi* m_api;
  std::string m_path;
  FT_Library m_library;
  FT_Face m_face = nullptr;
  int32_t m_pixelWidth = 32;
  int32_t m_pixelHeight = 32;
  bool m_autoCache = true;
  bool m_hasKerning = false;
  bool m_useKerning = true;
  bool m_monochrome = false;
  hgeSprite* m_sprite;
  DWORD m_color = 0xFFFFFFFF;
  float m_hotFractionX = 0.5f;
  float m_hotFractionY = 0.5f;
  float m_scaleX = 1.0f;
  float m_scaleY = 1.0f;
  float m_rotation = 0.0f;
  int32_t m_faceWidth = 0;
  int32_t m_faceHeight = 0;
  wchar_t m_text[kFontTextCapacity] = {};
  std::map<GlyphKey, tagGlyphInfo> m_cache;
};
