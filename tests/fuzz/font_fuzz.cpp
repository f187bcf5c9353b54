// Font files of any bytes through the font manager, as the view loads "Torvaly\fzzy.TTF" from
// the resource folder, then drawn headless. The loader answers with a boolean and keeps a font
// only when it answered true (a second load of the path answers the same and opens nothing
// more); a refused file draws nothing and caches nothing; a kept font draws, caches every glyph
// once per size (drawn again, it caches no more) with a texture no smaller than its bitmap,
// measures two lines of the text, and has no negative ascent or descent.
//
// Input: [pixel size choice] then the file's bytes. The seeds are small fonts cut from DejaVu
// (fonts-dejavu-core): a few glyphs each, instructions dropped, one with kerning pairs, one
// inside a font collection.
#include <cwchar>
#include <string>

#include "fuzz_util.h"
#include "tests/support/headless_engine.h"
#include "text/FontManager.h"

namespace {

constexpr wchar_t kText[] = L"AV To\tgj\n0123 \x4E2D\U0001F600";

HGE* Engine() {
  static testsupport::HeadlessEngine engine(96, 48);
  FUZZ_CHECK(engine.Ok(), "the headless engine did not start");
  return engine.Get();
}

// Draws the text into a cleared target; true when any pixel changed.
bool DrawsAnything(CTTFont& font) {
  HGE* hge = Engine();
  static const HTARGET target = hge->Target_Create(96, 48, false);
  if (target == 0 || !hge->Gfx_BeginScene(target)) return false;
  hge->Gfx_Clear(0);
  font.DrawString(kText, 4.0f, 24.0f);
  hge->Gfx_EndScene();
  for (uint32_t pixel : testsupport::ReadTarget(hge, target)) {
    if (pixel != 0) return true;
  }
  return false;
}

void CheckKept(CTTFont& font, int pixels) {
  font.SetSize(pixels);
  font.SetColor(0xFFFFFFFF);
  DrawsAnything(font);
  const size_t cached = font.GetCacheSize();
  for (const wchar_t* c = kText; *c != L'\0'; ++c) {
    const tagGlyphInfo* g = font.FindGlyph(*c);
    if (g == nullptr) continue;
    FUZZ_CHECK(g->sizeWidth == pixels && g->sizeHeight == pixels, "a glyph of %d", g->sizeWidth);
    FUZZ_CHECK(g->bitmapWidth >= 0 && g->bitmapRows >= 0 &&
                   (g->texture == 0 ||
                    (g->textureWidth >= g->bitmapWidth && g->textureHeight >= g->bitmapRows)),
               "a texture of %d x %d for a bitmap of %d x %d", g->textureWidth, g->textureHeight,
               g->bitmapWidth, g->bitmapRows);
  }
  DrawsAnything(font);
  FUZZ_CHECK(font.GetCacheSize() == cached, "drawn again: %zu glyphs, then %zu", cached,
             font.GetCacheSize());
  int lines = 0;
  FUZZ_CHECK(font.MeasureString(kText, std::wcslen(kText), &lines) >= 0 && lines == 2, "%d lines",
             lines);
  FUZZ_CHECK(font.GetAscent() >= 0 && font.GetDescent() >= 0, "ascent %d, descent %d",
             font.GetAscent(), font.GetDescent());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const int pixels = 4 + data[0] % 61;
  static const std::string path = fuzz::ScratchFile("font.ttf");
  if (!fuzz::WriteFile(path, data + 1, size - 1)) return 0;
  Engine();

  CFontManager manager;
  FUZZ_CHECK(manager.Init(), "FreeType did not start");
  const bool loaded = manager.LoadFont(path.c_str());
  CTTFont* font = manager.GetFont(path.c_str());
  FUZZ_CHECK((font != nullptr) == loaded && manager.GetFontCount() == (loaded ? 1u : 0u),
             "answered %d, kept %zu fonts", loaded, manager.GetFontCount());
  FUZZ_CHECK(
      manager.LoadFont(path.c_str()) == loaded && manager.GetFontCount() == (loaded ? 1u : 0u),
      "a second load answers otherwise");
  if (loaded) {
    FUZZ_CHECK(font->IsOpen() && font->GetPath() == path, "a kept font is not open");
    CheckKept(*font, pixels);
    return 0;
  }
  // A refused file, opened by a font of its own: no face, no glyph, no pixel.
  static FT_Library library = [] {
    FT_Library made = nullptr;
    FT_Init_FreeType(&made);
    return made;
  }();
  CTTFont refused(library);
  FUZZ_CHECK(!refused.Open(path.c_str()) && !refused.IsOpen(), "a refused file opens");
  refused.SetSize(pixels);
  FUZZ_CHECK(!refused.CacheChar(L'A') && !refused.DrawString(kText, 0.0f, 20.0f),
             "a refused font draws");
  FUZZ_CHECK(!DrawsAnything(refused) && refused.GetCacheSize() == 0, "a refused font drew");
  return 0;
}
