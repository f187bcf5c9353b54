// The font manager, the glyph cache and string layout, drawn headless into a render target.
// Layout is checked by drawing a string and the same glyphs one by one at the pen positions
// the rules give: the two pictures must be the same pixel for pixel.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "text/FontManager.h"
#include "text_test_util.h"

namespace {

using text_test::Canvas;
using text_test::CountingApi;
using text_test::InkBox;
using text_test::kDejaVuSans;

std::string WriteTemp(const char* name, const std::vector<unsigned char>& bytes) {
  const std::string path = ::testing::TempDir() + "torvaly-text-" + name;
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (f != nullptr) {
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
  }
  return path;
}

// ---- manager ------------------------------------------------------------------------------

TEST(FontManager, OpensEachPathOnceAndFreeTypeOnce) {
  CountingApi api;
  {
    CFontManager manager(&api);
    EXPECT_FALSE(manager.LoadFont(kDejaVuSans)) << "not started";
    ASSERT_TRUE(manager.Init());
    ASSERT_TRUE(manager.Init());
    ASSERT_TRUE(manager.LoadFont(kDejaVuSans));
    CTTFont* first = manager.GetFont(kDejaVuSans);
    ASSERT_TRUE(manager.LoadFont(kDejaVuSans));
    EXPECT_EQ(manager.GetFont(kDejaVuSans), first);
    EXPECT_EQ(api.init + api.newFace, 2);
    EXPECT_EQ(manager.GetFontCount(), 1u);
  }
  EXPECT_EQ(api.doneFace + api.doneLibrary, 2) << "the face first, then the library";
}

TEST(FontManager, FilesThatAreNoFontAreRefusedAndForgotten) {
  CFontManager manager;
  ASSERT_TRUE(manager.Init());
  const std::vector<unsigned char> header = {0, 1, 0, 0, 0, 0x10};
  for (const std::string& path :
       {::testing::TempDir() + "torvaly-text-missing.ttf", WriteTemp("text.ttf", {'n', 'o', '\n'}),
        WriteTemp("header.ttf", header)}) {
    EXPECT_FALSE(manager.LoadFont(path.c_str())) << path;
    EXPECT_EQ(manager.GetFont(path.c_str()), nullptr);
    std::remove(path.c_str());
  }
  EXPECT_EQ(manager.GetFontCount(), 0u);
}

// ---- a font on the headless engine ---------------------------------------------------------

class FontTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(canvas.Ok());
    ASSERT_TRUE(manager.Init());
  }
  CTTFont* Load(const std::string& path, int size = 18) {
    if (!manager.LoadFont(path.c_str())) return nullptr;
    CTTFont* font = manager.GetFont(path.c_str());
    font->SetSize(size);
    font->SetColor(0xFFFFFFFF);
    return font;
  }
  const tagGlyphInfo& Glyph(CTTFont* font, wchar_t c) {
    EXPECT_TRUE(font->CacheChar(c)) << "character " << static_cast<int>(c);
    static const tagGlyphInfo none{};
    const tagGlyphInfo* g = font->FindGlyph(c);
    return g ? *g : none;
  }
  int Advance(CTTFont* font, wchar_t c) { return Glyph(font, c).advance; }

  Canvas canvas;
  CountingApi api;
  CFontManager manager{&api};
};

TEST_F(FontTest, CacheRangeStopsBeforeItsLastCharacter) {
  CTTFont* font = Load(kDejaVuSans);
  ASSERT_NE(font, nullptr);
  EXPECT_TRUE(font->CacheRange(L'a', L'z'));
  EXPECT_EQ(font->GetCacheSize(), 25u);
  EXPECT_EQ(font->FindGlyph(L'z'), nullptr);
  canvas.Render([&] { font->DrawString(L"z", 10, 30); });
  EXPECT_NE(font->FindGlyph(L'z'), nullptr);  // rendered on first use
  EXPECT_TRUE(font->CacheRange(L'q', L'q'));  // an empty range caches nothing
  EXPECT_EQ(font->GetCacheSize(), 26u);
}

// Each size is rendered once; switching back finds the glyphs cached, without FreeType.
TEST_F(FontTest, CachedSizesAreFoundWithoutFreeType) {
  for (int c = 0; c < 3; ++c) {  // DejaVu kerned, DejaVu not kerned, the game font
    SCOPED_TRACE(c);
    CFontManager own(&api);
    ASSERT_TRUE(own.Init());
    const std::string path = c == 2 ? text_test::GameFontPath() : kDejaVuSans;
    ASSERT_TRUE(own.LoadFont(path.c_str()));
    CTTFont* font = own.GetFont(path.c_str());
    font->SetSize(18);
    font->SetUseKerning(c == 0);
    const wchar_t* text = c == 2 ? L"游戏玩家 Tora" : L"Torvaly AV";
    canvas.Render([&] { font->DrawString(text, 5, 40); });
    const size_t at18 = font->GetCacheSize();
    api.Reset();
    font->SetSize(24);
    canvas.Render([&] { font->DrawString(text, 5, 40); });
    EXPECT_EQ(api.setPixelSizes, 1);  // the face is resized once for the new size
    EXPECT_EQ(static_cast<size_t>(api.loadGlyph), at18);
    EXPECT_EQ(font->GetCacheSize(), 2 * at18);  // the 18-pixel glyphs stay
    EXPECT_EQ(font->FindGlyph(L'T')->sizeHeight, 24);
    api.Reset();
    font->SetSize(18);
    canvas.Render([&] { font->DrawString(text, 5, 40); });
    EXPECT_EQ(api.getCharIndex + api.loadGlyph + api.renderGlyph, 0);
    if (!(c == 0 || (c == 2 && font->HasKerning()))) {
      EXPECT_EQ(api.AllCalls(), 0);
    }
  }
}

TEST_F(FontTest, GlyphTexturesAreWhiteWithCoverageAlpha) {
  CTTFont* font = Load(kDejaVuSans, 18);
  ASSERT_NE(font, nullptr);
  const tagGlyphInfo& g = Glyph(font, L'A');
  ASSERT_NE(g.texture, 0u);
  HGE* hge = canvas.Engine();
  EXPECT_EQ(g.textureWidth, hge->Texture_GetWidth(g.texture, false));
  // The same glyph rendered by FreeType on a face of our own.
  FT_Library lib = nullptr;
  FT_Face face = nullptr;
  ASSERT_EQ(FT_Init_FreeType(&lib), 0);
  ASSERT_EQ(FT_New_Face(lib, kDejaVuSans, 0, &face), 0);
  ASSERT_EQ(FT_Set_Pixel_Sizes(face, 18, 18), 0);
  ASSERT_EQ(FT_Load_Char(face, 'A', FT_LOAD_RENDER), 0);
  const FT_Bitmap& bm = face->glyph->bitmap;
  ASSERT_EQ(static_cast<int>(bm.width), g.bitmapWidth);
  ASSERT_EQ(static_cast<int>(bm.rows), g.bitmapRows);
  EXPECT_EQ(face->glyph->bitmap_left, g.left);
  EXPECT_EQ(face->glyph->bitmap_top, g.top);
  EXPECT_EQ(face->glyph->advance.x / 64, g.advance);
  const DWORD* px = hge->Texture_Lock(g.texture, true);
  ASSERT_NE(px, nullptr);
  int mismatches = 0, opaque = 0;
  for (int y = 0; y < g.textureHeight; ++y) {
    for (int x = 0; x < g.textureWidth; ++x) {
      const DWORD p = px[y * g.textureWidth + x];
      const DWORD expected =
          (x < g.bitmapWidth && y < g.bitmapRows) ? bm.buffer[y * bm.pitch + x] : 0u;
      mismatches += (p & 0x00FFFFFFu) != 0x00FFFFFFu || (p >> 24) != expected;
      opaque += (p >> 24) == 255;
    }
  }
  hge->Texture_Unlock(g.texture);
  EXPECT_EQ(mismatches, 0);
  EXPECT_GT(opaque, 0);
  FT_Done_Face(face);
  FT_Done_FreeType(lib);
}

TEST_F(FontTest, SpacesMissingCharactersAndSizesOutOfRange) {
  CTTFont* font = Load(kDejaVuSans);
  ASSERT_NE(font, nullptr);
  const tagGlyphInfo& space = Glyph(font, L' ');  // cached without texture, still advances
  EXPECT_EQ(space.texture, 0u);
  EXPECT_GT(space.advance, 0);
  EXPECT_FALSE(font->DrawChar(L' ', 0, 20));
  for (wchar_t c : {L'\0', static_cast<wchar_t>(0x10FFFD), static_cast<wchar_t>(-5)})
    EXPECT_FALSE(font->CacheChar(c)) << static_cast<int>(c);
  EXPECT_FALSE(font->CacheString(L"ab\U0010FFFDc"));
  EXPECT_NE(font->FindGlyph(L'c'), nullptr);  // the others are cached all the same
  // A character beyond the basic plane does not share the slot of one inside it.
  EXPECT_EQ(font->FindGlyph(static_cast<wchar_t>(0x10061)), nullptr);
  for (int size : {0, -18, kMaxFontPixels + 1, 1 << 30}) {
    font->SetSize(size);
    api.Reset();
    EXPECT_FALSE(font->CacheChar(L'A')) << size;
    EXPECT_EQ(api.setPixelSizes, 0) << size;
    EXPECT_TRUE(InkBox(canvas.Render([&] { font->DrawString(L"A\nB", 5, 30); })).Empty());
  }
  font->SetSize(kMaxFontPixels);
  EXPECT_TRUE(font->CacheChar(L'A'));
  api.refuseRender = true;  // a glyph FreeType cannot render is not cached
  EXPECT_FALSE(font->CacheChar(L'B'));
  EXPECT_EQ(font->FindGlyph(L'B'), nullptr);
}

// A font file can make a glyph thousands of pixels high at any size (here DejaVu Sans with 16
// units to the em instead of 2048): it is kept without texture and never rendered.
TEST_F(FontTest, AGlyphFarLargerThanItsSizeIsNeverRendered) {
  std::FILE* in = std::fopen(kDejaVuSans, "rb");
  ASSERT_NE(in, nullptr);
  std::vector<unsigned char> bytes(1 << 20);
  bytes.resize(std::fread(bytes.data(), 1, bytes.size(), in));
  std::fclose(in);
  for (size_t i = 12; i + 16 <= bytes.size(); i += 16) {
    if (std::memcmp(&bytes[i], "head", 4) != 0) continue;
    const size_t head =
        size_t{bytes[i + 8]} << 24 | bytes[i + 9] << 16 | bytes[i + 10] << 8 | bytes[i + 11];
    bytes[head + 18] = 0, bytes[head + 19] = 16;  // unitsPerEm
    break;
  }
  const std::string path = WriteTemp("huge.ttf", bytes);
  CTTFont* font = Load(path, 18);
  ASSERT_NE(font, nullptr);
  api.Reset();
  const tagGlyphInfo& a = Glyph(font, L'A');
  EXPECT_EQ(a.texture, 0u);
  EXPECT_EQ(a.bitmapWidth, 0);
  EXPECT_GT(a.advance, 1000) << "the pen still moves by the glyph's own advance";
  EXPECT_EQ(api.renderGlyph, 0);
  EXPECT_TRUE(InkBox(canvas.Render([&] { font->DrawString(L"AV", 5, 30); })).Empty());
  std::remove(path.c_str());
}

// ---- layout -------------------------------------------------------------------------------

struct LayoutCase {
  const char* name;
  const wchar_t* text;
  wchar_t refused;  // a character the face is made to lack (0: none)
  // B (or C) drawn at A's advance times a, plus the space's times s, plus the size times m,
  // and that many sizes lower; A at the pen.
  struct {
    const wchar_t* text = nullptr;
    int a = 0, s = 0, m = 0, down = 0;
  } pieces[3];
};

const LayoutCase kLayouts[] = {
    {"tab_is_four_spaces", L"A\tB", 0, {{L"A"}, {L"B", 1, 4}}},
    {"leading_tab", L"\tB", 0, {{L"B", 0, 4}}},
    {"two_tabs", L"A\t\tB", 0, {{L"A"}, {L"B", 1, 8}}},
    {"line_feed_goes_back_one_size_lower", L"AB\nC", 0, {{L"AB"}, {L"C", 0, 0, 0, 1}}},
    {"two_line_feeds", L"A\n\nB", 0, {{L"A"}, {L"B", 0, 0, 0, 2}}},
    {"vertical_tab_keeps_x", L"A\vB", 0, {{L"A"}, {L"B", 1, 0, 0, 4}}},
    {"missing_character_is_skipped", L"A\U0010FFFDB", 0, {{L"A"}, {L"B", 1}}},
    {"tab_without_a_space_is_one_em", L"A\tB", L' ', {{L"A"}, {L"B", 1, 0, 1}}},
    {"space_advances_without_drawing", L"A B", 0, {{L"A"}, {L"B", 1, 1}}},
};

TEST_F(FontTest, PenMovesByTheRules) {
  for (const LayoutCase& c : kLayouts) {
    SCOPED_TRACE(c.name);
    CFontManager own(&api);
    api.refusedChar = c.refused;
    ASSERT_TRUE(own.Init() && own.LoadFont(kDejaVuSans));
    CTTFont* font = own.GetFont(kDejaVuSans);
    font->SetSize(18);
    font->SetUseKerning(false);
    const int a = Advance(font, 'A'), s = c.refused ? 0 : Advance(font, ' ');
    const float x = 30, y = 40;
    const auto whole = canvas.Render([&] { font->DrawString(c.text, x, y); });
    const auto apart = canvas.Render([&] {
      for (const auto& p : c.pieces) {
        if (p.text != nullptr)
          font->DrawString(p.text, x + float(p.a * a + p.s * s + p.m * 18), y + float(p.down * 18));
      }
    });
    EXPECT_FALSE(InkBox(whole).Empty());
    EXPECT_TRUE(whole == apart);
  }
}

// The kerning of a pair at a size, in whole pixels, from a face of the test's own.
long KerningPixels(int size, wchar_t left, wchar_t right) {
  FT_Library lib = nullptr;
  FT_Face face = nullptr;
  FT_Vector v{0, 0};
  if (FT_Init_FreeType(&lib) == 0 && FT_New_Face(lib, kDejaVuSans, 0, &face) == 0 &&
      FT_Set_Pixel_Sizes(face, size, size) == 0)
    FT_Get_Kerning(face, FT_Get_Char_Index(face, left), FT_Get_Char_Index(face, right),
                   FT_KERNING_DEFAULT, &v);
  if (face) FT_Done_Face(face);
  if (lib) FT_Done_FreeType(lib);
  return v.x >> 6;
}

// The second glyph of a pair moves by the kerning in whole pixels, also when every glyph came
// from the cache while the face was left at another size; without kerning by advances alone.
TEST_F(FontTest, SecondGlyphMovesByTheWholePixelKerning) {
  const struct {
    const wchar_t* pair;
    bool use;
    int size, otherSizeFirst;
  } cases[] = {
      {L"AV", true, 18, 0}, {L"AV", false, 18, 0}, {L"To", true, 40, 0}, {L"AV", true, 40, 18}};
  CTTFont* font = Load(kDejaVuSans);
  ASSERT_NE(font, nullptr);
  ASSERT_TRUE(font->HasKerning());
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.size << c.use << c.otherSizeFirst);
    const long k = KerningPixels(c.size, c.pair[0], c.pair[1]);
    ASSERT_LT(k, 0) << "the pair should kern in DejaVu Sans";
    font->SetSize(c.size);
    font->SetUseKerning(c.use);
    const float step = float(Advance(font, c.pair[0]) + (c.use ? k : 0));
    Advance(font, c.pair[1]);
    if (c.otherSizeFirst != 0) {
      ASSERT_NE(KerningPixels(c.otherSizeFirst, c.pair[0], c.pair[1]), k);
      font->SetSize(c.otherSizeFirst);
      canvas.Render([&] { font->DrawString(c.pair, 0, 40); });
      font->SetSize(c.size);
    }
    const wchar_t first[2] = {c.pair[0], 0}, second[2] = {c.pair[1], 0};
    const auto whole = canvas.Render([&] { font->DrawString(c.pair, 20, 60); });
    const auto apart = canvas.Render([&] {
      font->DrawString(first, 20, 60);
      font->DrawString(second, 20 + step, 60);
    });
    EXPECT_TRUE(whole == apart);
  }
}

// A glyph's bitmap lands at the pen plus its bearings: j starts left of the pen, _ below the
// baseline.
TEST_F(FontTest, BitmapLandsAtPenPlusBearing) {
  CTTFont* font = Load(kDejaVuSans, 40);
  ASSERT_NE(font, nullptr);
  HGE* hge = canvas.Engine();
  for (wchar_t c : {L'j', L'_', L'H'}) {
    SCOPED_TRACE(static_cast<char>(c));
    const tagGlyphInfo& g = Glyph(font, c);
    ASSERT_NE(g.texture, 0u);
    // The first inked column and row of the glyph's own bitmap.
    const DWORD* px = hge->Texture_Lock(g.texture, true);
    ASSERT_NE(px, nullptr);
    int firstCol = g.bitmapWidth, firstRow = g.bitmapRows;
    for (int y = 0; y < g.bitmapRows; ++y) {
      for (int x = 0; x < g.bitmapWidth; ++x) {
        if (px[y * g.textureWidth + x] >> 24) {
          firstCol = std::min(firstCol, x);
          firstRow = std::min(firstRow, y);
        }
      }
    }
    hge->Texture_Unlock(g.texture);
    const wchar_t text[2] = {c, 0};
    const text_test::Box box = InkBox(canvas.Render([&] { font->DrawString(text, 100, 80); }));
    EXPECT_EQ(box.left, 100 + g.left + firstCol);
    EXPECT_EQ(box.top, 80 - g.top + firstRow);
    EXPECT_TRUE(c != L'j' || box.left < 100) << "left of the pen";
    EXPECT_TRUE(c != L'_' || box.top > 80) << "below the baseline";
  }
}

// ---- drawing ------------------------------------------------------------------------------

TEST_F(FontTest, DrawTextFormatsOrDrawsNothing) {
  CTTFont* font = Load(kDejaVuSans);
  ASSERT_NE(font, nullptr);
  const auto formatted = canvas.Render([&] { font->DrawText(20, 40, L"%I64u", 1234567890123ULL); });
  EXPECT_STREQ(font->GetText(), L"1234567890123");
  EXPECT_TRUE(formatted == canvas.Render([&] { font->DrawString(L"1234567890123", 20, 40); }));
  EXPECT_FALSE(InkBox(formatted).Empty());
  bool answer = true;
  const auto refused = canvas.Render([&] { answer = font->DrawText(20, 40, L"AB%n", nullptr); });
  EXPECT_FALSE(answer);
  EXPECT_TRUE(InkBox(refused).Empty());
  EXPECT_FALSE(font->DrawText(0, 20, L"%s", std::wstring(kFontTextCapacity, L'x').c_str()));
}

TEST_F(FontTest, ColourTintsTheGlyphs) {
  CTTFont* font = Load(kDejaVuSans, 30);
  ASSERT_NE(font, nullptr);
  font->SetColor(0xFFFFFF00);  // the table's yellow
  int solid = 0;
  for (uint32_t p : canvas.Render([&] { font->DrawString(L"H", 100, 80); })) {
    if ((p >> 24) != 0xFF) continue;
    ++solid;
    EXPECT_EQ(p, 0xFFFFFF00u);
  }
  EXPECT_GT(solid, 10);
}

TEST_F(FontTest, MeasureFollowsTheLayout) {
  CTTFont* font = Load(kDejaVuSans, 18);
  ASSERT_NE(font, nullptr);
  font->SetUseKerning(false);
  int lines = 0;
  EXPECT_EQ(font->MeasureString(L"AB", 2, &lines), Advance(font, 'A') + Advance(font, 'B'));
  EXPECT_EQ(lines, 1);
  EXPECT_EQ(font->MeasureString(L"A\nBBB\nC", 7, &lines), 3 * Advance(font, 'B'));
  EXPECT_EQ(lines, 3);
  EXPECT_EQ(font->MeasureString(L"\t", 1, &lines), 4 * Advance(font, ' '));
  EXPECT_EQ(font->MeasureString(L"", 0, &lines), 0);
  EXPECT_EQ(lines, 1);
}

TEST_F(FontTest, GameFontDrawsChinese) {
  CTTFont* font = Load(text_test::GameFontPath(), 18);
  ASSERT_NE(font, nullptr) << "the build places " << text_test::GameFontPath();
  for (wchar_t c : std::wstring(L"游戏玩家")) {
    const tagGlyphInfo& g = Glyph(font, c);
    EXPECT_NE(g.texture, 0u);
    EXPECT_GE(g.advance, 16);  // full-width
    EXPECT_LE(g.advance, 19);
  }
  bool answer = false;
  const auto pixels = canvas.Render([&] { answer = font->DrawString(L"游戏玩家", 10, 40); });
  EXPECT_TRUE(answer);
  const text_test::Box box = InkBox(pixels);
  EXPECT_GE(box.left, 10);
  EXPECT_LE(box.bottom, 40 + 4);
  EXPECT_GT(box.right - box.left, 4 * 14);
}

// ---- freeing -------------------------------------------------------------------------------

TEST_F(FontTest, GlyphTexturesAreFreedWithTheCacheAndTheFont) {
  std::vector<HTEXTURE> textures;
  {
    CFontManager own(&api);
    ASSERT_TRUE(own.Init() && own.LoadFont(kDejaVuSans));
    CTTFont* font = own.GetFont(kDejaVuSans);
    font->SetSize(18);
    ASSERT_TRUE(font->CacheString(L"Torvaly"));
    const HTEXTURE q = Glyph(font, L'Q').texture;
    font->ClearCache();
    EXPECT_EQ(font->GetCacheSize(), 0u);
    EXPECT_EQ(canvas.Engine()->Texture_GetWidth(q), 0);
    ASSERT_TRUE(font->CacheString(L"Torvaly"));  // and renders again
    for (wchar_t c : std::wstring(L"Torvaly")) textures.push_back(font->FindGlyph(c)->texture);
    for (HTEXTURE t : textures) ASSERT_GT(canvas.Engine()->Texture_GetWidth(t), 0);
  }
  for (HTEXTURE t : textures) EXPECT_EQ(canvas.Engine()->Texture_GetWidth(t), 0);
}

TEST(FontWithoutEngine, CachesGlyphsWithoutTextures) {
  CFontManager manager;
  ASSERT_TRUE(manager.Init() && manager.LoadFont(kDejaVuSans));
  CTTFont* font = manager.GetFont(kDejaVuSans);
  font->SetSize(18);
  EXPECT_TRUE(font->CacheChar(L'A'));
  EXPECT_EQ(font->FindGlyph(L'A')->texture, 0u);
  EXPECT_GT(font->FindGlyph(L'A')->advance, 0);
  EXPECT_FALSE(font->DrawChar(L'A', 0, 0));
}

}  // namespace
