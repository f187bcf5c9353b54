#include "text/TTFont.h"

#include <cstdarg>
#include <cstdlib>

#include "platform/engine/hgeSprite.h"
#include "text/WideFormat.h"

namespace {

constexpr DWORD kTransparentWhite = 0x00FFFFFF;

bool IsControl(wchar_t c) { return c == L'\t' || c == L'\n' || c == L'\v'; }

// Rounds a face measure in font units up to whole pixels at the given size.
int UnitsToPixelsUp(long units, long pixels, long unitsPerEm) {
  if (units <= 0 || unitsPerEm <= 0) return 0;
  const long long scaled = static_cast<long long>(units) * pixels;
  return static_cast<int>((scaled + unitsPerEm - 1) / unitsPerEm);
}

}  // namespace

CTTFont::CTTFont(FT_Library library, CFreeTypeApi* api)
    : m_hge(hgeCreate(HGE_VERSION)),
      m_api(api != nullptr ? api : &CFreeTypeApi::Default()),
      m_library(library),
      m_sprite(new hgeSprite(0, 0, 0, 0, 0)) {}

CTTFont::~CTTFont() {
  m_path.clear();
  ClearCache();  // the glyph textures go while the engine reference is still held
  delete m_sprite;
  m_hge->Release();
  if (m_face != nullptr) m_api->DoneFace(m_face);
}

bool CTTFont::Open(const char* path) {
  if (m_face != nullptr || path == nullptr || path[0] == '\0') return false;
  FT_Face face = nullptr;
  if (m_api->NewFace(m_library, path, 0, &face) != 0 || face == nullptr) return false;
  if (face->charmap == nullptr || !FT_IS_SCALABLE(face)) {
    m_api->DoneFace(face);
    return false;
  }
  m_face = face;
  m_path = path;
  m_hasKerning = FT_HAS_KERNING(face);
  m_faceWidth = m_faceHeight = 0;
  return true;
}

void CTTFont::SetSize(int pixels) { m_pixelWidth = m_pixelHeight = pixels; }

void CTTFont::SetColor(DWORD argb) {
  m_color = argb;
  m_sprite->SetColor(argb, -1);
}

const tagGlyphInfo* CTTFont::FindGlyph(wchar_t ch) const {
  const auto it =
      m_cache.find(GlyphKey{static_cast<uint32_t>(ch), m_pixelWidth, m_pixelHeight});
  return it == m_cache.end() ? nullptr : &it->second;
}

bool CTTFont::EnsureFaceSize() {
  if (m_face == nullptr) return false;
  if (m_pixelWidth < kMinFontPixels || m_pixelWidth > kMaxFontPixels ||
      m_pixelHeight < kMinFontPixels || m_pixelHeight > kMaxFontPixels)
    return false;
  if (m_faceWidth == m_pixelWidth && m_faceHeight == m_pixelHeight) return true;
  if (m_api->SetPixelSizes(m_face, static_cast<FT_UInt>(m_pixelWidth),
                           static_cast<FT_UInt>(m_pixelHeight)) != 0)
    return false;
  m_faceWidth = m_pixelWidth;
  m_faceHeight = m_pixelHeight;
  return true;
}

bool CTTFont::CacheChar(wchar_t ch) {
  if (FindGlyph(ch) != nullptr) return true;
  const uint32_t code = static_cast<uint32_t>(ch);
  if (code == 0 || m_face == nullptr) return false;
  if (!EnsureFaceSize()) return false;
  const FT_UInt index = m_api->GetCharIndex(m_face, code);
  if (index == 0) return false;
  // Loaded, measured, and only then rendered: FreeType would make the bitmap of any size the
  // outline asks for.
  if (m_api->LoadGlyph(m_face, index, FT_LOAD_DEFAULT) != 0) return false;
  const FT_GlyphSlot slot = m_face->glyph;
  if (slot == nullptr) return false;

  tagGlyphInfo glyph;
  glyph.character = code;
  glyph.glyphIndex = index;
  glyph.advance = static_cast<int32_t>(slot->advance.x / 64);
  glyph.sizeWidth = m_pixelWidth;
  glyph.sizeHeight = m_pixelHeight;
  const bool fits =
      WithinGlyphBounds((slot->metrics.width + 63) / 64 + 2, (slot->metrics.height + 63) / 64 + 2);
  if (fits && slot->format != FT_GLYPH_FORMAT_BITMAP &&
      m_api->RenderGlyph(slot, FT_RENDER_MODE_NORMAL) != 0)
    return false;
  if (fits && slot->format == FT_GLYPH_FORMAT_BITMAP &&
      WithinGlyphBounds(slot->bitmap.width, slot->bitmap.rows)) {
    glyph.bitmapWidth = static_cast<int32_t>(slot->bitmap.width);
    glyph.bitmapRows = static_cast<int32_t>(slot->bitmap.rows);
    glyph.left = slot->bitmap_left;
    glyph.top = slot->bitmap_top;
    MakeTexture(glyph, slot->bitmap);
  }
  m_cache.emplace(GlyphKey{code, m_pixelWidth, m_pixelHeight}, glyph);
  return true;
}

bool CTTFont::WithinGlyphBounds(long width, long rows) const {
  const long most = static_cast<long>(kMaxGlyphEms) *
                    (m_pixelWidth > m_pixelHeight ? m_pixelWidth : m_pixelHeight);
  return width >= 0 && rows >= 0 && width <= most && rows <= most;
}

void CTTFont::MakeTexture(tagGlyphInfo& glyph, const FT_Bitmap& bitmap) {
  const int width = glyph.bitmapWidth, rows = glyph.bitmapRows;
  if (width <= 0 || rows <= 0 || bitmap.buffer == nullptr) return;
  const bool gray = bitmap.pixel_mode == FT_PIXEL_MODE_GRAY;
  const bool mono = bitmap.pixel_mode == FT_PIXEL_MODE_MONO;
  if (!gray && !mono) return;
  const int pitch = bitmap.pitch < 0 ? -bitmap.pitch : bitmap.pitch;
  if (pitch < (gray ? width : (width + 7) / 8)) return;  // rows shorter than the bitmap

  const HTEXTURE tex = m_hge->Texture_Create(width, rows);
  if (tex == 0) return;
  const int texWidth = m_hge->Texture_GetWidth(tex, false);
  const int texHeight = m_hge->Texture_GetHeight(tex, false);
  DWORD* pixels = nullptr;
  if (texWidth >= width && texHeight >= rows) pixels = m_hge->Texture_Lock(tex, false, 0, 0, 0, 0);
  if (pixels == nullptr) {
    m_hge->Texture_Free(tex);
    return;
  }
  const size_t total = static_cast<size_t>(texWidth) * static_cast<size_t>(texHeight);
  for (size_t i = 0; i < total; ++i) pixels[i] = kTransparentWhite;
  for (int y = 0; y < rows; ++y) {
    // A negative pitch stores the rows bottom up.
    const unsigned char* row =
        bitmap.buffer + static_cast<size_t>(bitmap.pitch < 0 ? rows - 1 - y : y) * pitch;
    DWORD* out = pixels + static_cast<size_t>(y) * texWidth;
    for (int x = 0; x < width; ++x) {
      DWORD coverage = gray ? row[x] : ((row[x >> 3] >> (7 - (x & 7))) & 1u) * 255u;
      if (m_monochrome) coverage = coverage >= 128 ? 255 : 0;
      out[x] = (coverage << 24) | kTransparentWhite;
    }
  }
  m_hge->Texture_Unlock(tex);
  glyph.texture = tex;
  glyph.textureWidth = texWidth;
  glyph.textureHeight = texHeight;
}

bool CTTFont::CacheString(const wchar_t* text) {
  if (text == nullptr) return false;
  bool all = true;
  for (const wchar_t* p = text; *p != L'\0'; ++p) {
    if (!CacheChar(*p)) all = false;
  }
  return all;
}

bool CTTFont::CacheRange(wchar_t first, wchar_t last) {
  bool all = true;
  // Counted in a wider type, so a range ending at the largest character still ends.
  for (long long c = first; c < static_cast<long long>(last); ++c) {
    if (!CacheChar(static_cast<wchar_t>(c))) all = false;
  }
  return all;
}

bool CTTFont::DrawChar(wchar_t ch, float x, float y) {
  if (m_autoCache) CacheChar(ch);
  const tagGlyphInfo* glyph = FindGlyph(ch);
  if (glyph == nullptr || glyph->texture == 0) return false;
  const float gx = x + static_cast<float>(glyph->left);
  const float gy = y - static_cast<float>(glyph->top);
  m_sprite->SetTexture(glyph->texture);
  m_sprite->SetTextureRect(0, 0, static_cast<float>(glyph->textureWidth),
                           static_cast<float>(glyph->textureHeight), true);
  const float hotX = static_cast<float>(glyph->bitmapWidth) * m_hotFractionX;
  const float hotY = static_cast<float>(glyph->bitmapRows) * m_hotFractionY;
  m_sprite->SetHotSpot(hotX, hotY);
  m_sprite->RenderEx(gx + hotX, gy + hotY, m_rotation, m_scaleX, m_scaleY);
  m_sprite->SetHotSpot(0, 0);
  return true;
}

int CTTFont::TabAdvance() {
  CacheChar(L' ');
  const tagGlyphInfo* space = FindGlyph(L' ');
  // A face without a space: a tab is one em wide.
  return space != nullptr ? 4 * space->advance : m_pixelWidth;
}

template <class Visit>
bool CTTFont::Layout(const wchar_t* text, size_t length, float x, float y, Visit&& visit) {
  float penX = x, penY = y;
  uint32_t previous = 0;
  bool all = true;
  for (size_t i = 0; i < length && text[i] != L'\0'; ++i) {
    const wchar_t c = text[i];
    if (m_autoCache && !IsControl(c)) CacheChar(c);
    if (c == L'\t') {
      penX += static_cast<float>(TabAdvance());
      previous = 0;
      visit.Pen(penX, penY, false);
      continue;
    }
    if (c == L'\n') {
      visit.Pen(penX, penY, true);
      penY += static_cast<float>(m_pixelHeight);
      penX = x;
      previous = 0;
      continue;
    }
    if (c == L'\v') {
      penY += 4.0f * static_cast<float>(m_pixelHeight);
      previous = 0;
      continue;
    }
    const tagGlyphInfo* glyph = FindGlyph(c);
    if (glyph == nullptr) {
      all = false;
      previous = 0;
      continue;
    }
    if (previous != 0 && m_hasKerning && m_useKerning && EnsureFaceSize()) {
      // Kerning is scaled to the face's size, which is put back to ours first: the glyphs
      // may all have come from the cache while the face was left at another size.
      FT_Vector kerning{0, 0};
      if (m_api->GetKerning(m_face, previous, glyph->glyphIndex, FT_KERNING_DEFAULT, &kerning) ==
          0) {
        penX += static_cast<float>(kerning.x >> 6);
        penY += static_cast<float>(kerning.y >> 6);
      }
    }
    if (!visit.Glyph(*glyph, penX, penY)) all = false;
    penX += static_cast<float>(glyph->advance);
    previous = glyph->glyphIndex;
    visit.Pen(penX, penY, false);
  }
  visit.Pen(penX, penY, true);
  return all;
}

bool CTTFont::DrawString(const wchar_t* text, float x, float y) {
  if (text == nullptr) return false;
  return DrawString(text, static_cast<size_t>(-1), x, y);
}

bool CTTFont::DrawString(const wchar_t* text, size_t length, float x, float y) {
  if (text == nullptr) return false;
  struct Drawer {
    CTTFont* font;
    bool Glyph(const tagGlyphInfo& g, float px, float py) {
      return font->DrawChar(static_cast<wchar_t>(g.character), px, py);
    }
    void Pen(float, float, bool) {}
  } drawer{this};
  return Layout(text, length, x, y, drawer);
}

int CTTFont::MeasureString(const wchar_t* text, size_t length, int* lines) {
  struct Measurer {
    float startX;
    float widest = 0;
    int lines = 0;
    bool Glyph(const tagGlyphInfo&, float, float) { return true; }
    void Pen(float px, float, bool lineEnd) {
      if (px - startX > widest) widest = px - startX;
      if (lineEnd) ++lines;
    }
  } measurer{0.0f};
  if (text != nullptr) Layout(text, length, 0.0f, 0.0f, measurer);
  // Every line feed ends a line, and the end of the text ends the last one.
  if (lines != nullptr) *lines = measurer.lines;
  return static_cast<int>(measurer.widest + 0.5f);
}

bool CTTFont::DrawText(float x, float y, const wchar_t* format, ...) {
  va_list args;
  va_start(args, format);
  const int n = FormatWideV(m_text, kFontTextCapacity, format, args);
  va_end(args);
  if (n < 0) return false;
  return DrawString(m_text, static_cast<size_t>(n), x, y);
}

void CTTFont::ClearCache() {
  for (auto& entry : m_cache) {
    if (entry.second.texture != 0) m_hge->Texture_Free(entry.second.texture);
  }
  m_cache.clear();
}

int CTTFont::GetAscent() const {
  if (m_face == nullptr) return m_pixelHeight;
  return UnitsToPixelsUp(m_face->ascender, m_pixelHeight, m_face->units_per_EM);
}

int CTTFont::GetDescent() const {
  if (m_face == nullptr) return 0;
  return UnitsToPixelsUp(-static_cast<long>(m_face->descender), m_pixelHeight,
                         m_face->units_per_EM);
}
