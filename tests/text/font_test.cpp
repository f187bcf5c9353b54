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
using text_test::kDejaVuSans;

// ---- manager ------------------------------------------------------------------------------

TEST(FontManager, NeedsInitBeforeLoading) {
  CountingApi api;
  CFontManager manager(&api);
  EXPECT_FALSE(manager.LoadFont(kDejaVuSans));
  EXPECT_EQ(manager.GetFont(kDejaVuSans), nullptr);
  EXPECT_EQ(api.newFace, 0);
}

TEST(FontManager, StartsFreeTypeOnceAndStopsItLast) {
  CountingApi api;
  {
    CFontManager manager(&api);
    ASSERT_TRUE(manager.Init());
    ASSERT_TRUE(manager.Init());
    ASSERT_TRUE(manager.LoadFont(kDejaVuSans));
    EXPECT_EQ(api.init, 1);
  }
  EXPECT_EQ(api.doneFace, 1);
  EXPECT_EQ(api.doneLibrary, 1);
}

TEST(FontManager, LoadingTheSamePathTwiceOpensTheFileOnce) {
  CountingApi api;
  CFontManager manager(&api);
  ASSERT_TRUE(manager.Init());
  ASSERT_TRUE(manager.LoadFont(kDejaVuSans));
  CTTFont* first = manager.GetFont(kDejaVuSans);
  ASSERT_TRUE(manager.LoadFont(kDejaVuSans));
  EXPECT_EQ(api.newFace, 1);
  EXPECT_EQ(manager.GetFont(kDejaVuSans), first);
  EXPECT_EQ(manager.GetFontCount(), 1u);
}

struct BadFontCase {
  const char* name;
  std::string contents;  // written to a file; empty name: the file is not there
};

class FontManagerBadFile : public ::testing::TestWithParam<BadFontCase> {};

TEST_P(FontManagerBadFile, IsRefusedAndForgotten) {
  const BadFontCase& c = GetParam();
  std::string path = ::testing::TempDir() + "torvaly-text-" + c.name + ".ttf";
  std::remove(path.c_str());
  if (!c.contents.empty()) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fwrite(c.contents.data(), 1, c.contents.size(), f);
    std::fclose(f);
  }
  CountingApi api;
  {
    CFontManager manager(&api);
    ASSERT_TRUE(manager.Init());
    EXPECT_FALSE(manager.LoadFont(path.c_str()));
    EXPECT_EQ(manager.GetFont(path.c_str()), nullptr);
    EXPECT_EQ(manager.GetFontCount(), 0u);
  }
  std::remove(path.c_str());
}

INSTANTIATE_TEST_SUITE_P(
    Files, FontManagerBadFile,
    ::testing::Values(BadFontCase{"missing", ""}, BadFontCase{"text", "not a font at all\n"},
                      BadFontCase{"truncated_header", std::string("\0\1\0\0\0\x10", 6)}),
    [](const auto& info) { return std::string(info.param.name); });

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

  Canvas canvas;
  CountingApi api;
  CFontManager manager{&api};
};

TEST_F(FontTest, CacheRangeStopsBeforeItsLastCharacter) {
  CTTFont* font = Load(kDejaVuSans);
  ASSERT_NE(font, nullptr);
  EXPECT_TRUE(font->CacheRange(L'a', L'z'));
  EXPECT_EQ(font->GetCacheSize(), 25u);
  EXPECT_NE(font->FindGlyph(L'y'), nullptr);
  EXPECT_EQ(font->FindGlyph(L'z'), nullptr);
  canvas.Render([&] { font->DrawString(L"z", 10, 30); });
  EXPECT_NE(font->FindGlyph(L'z'), nullptr);  // rendered on first use
  EXPECT_TRUE(font->CacheRange(L'q', L'q'));    // an empty range caches nothing
  EXPECT_EQ(font->GetCacheSize(), 26u);
}

struct SizeSwitchCase {
  const char* name;
  bool gameFont;
  bool useKerning;
};

class FontSizeSwitch : public FontTest, public ::testing::WithParamInterface<SizeSwitchCase> {};

TEST_P(FontSizeSwitch, CachedSizesAreFoundWithoutFreeType) {
  const SizeSwitchCase& c = GetParam();
  CTTFont* font = Load(c.gameFont ? text_test::GameFontPath() : kDejaVuSans);
  ASSERT_NE(font, nullptr);
  font->SetUseKerning(c.useKerning);
  const wchar_t* text = c.gameFont ? L"游戏玩家 Tora" : L"Torvaly AV";
  canvas.Render([&] { font->DrawString(text, 5, 40); });
  const size_t at18 = font->GetCacheSize();

  api.Reset();
  font->SetSize(24);
  canvas.Render([&] { font->DrawString(text, 5, 40); });
  EXPECT_EQ(api.setPixelSizes, 1);  // the face is resized once for the new size
  EXPECT_EQ(static_cast<size_t>(api.loadGlyph), at18);
  EXPECT_EQ(font->GetCacheSize(), 2 * at18);  // the 18-pixel glyphs stay
  ASSERT_NE(font->FindGlyph(L'T'), nullptr);
  EXPECT_EQ(font->FindGlyph(L'T')->sizeHeight, 24);

  api.Reset();
  font->SetSize(18);
  canvas.Render([&] { font->DrawString(text, 5, 40); });
  EXPECT_EQ(api.getCharIndex, 0);
  EXPECT_EQ(api.loadGlyph, 0);
  if (!(c.useKerning && font->HasKerning())) {
    EXPECT_EQ(api.AllCalls(), 0);
  }
  EXPECT_EQ(font->GetCacheSize(), 2 * at18);
}

INSTANTIATE_TEST_SUITE_P(Fonts, FontSizeSwitch,
                         ::testing::Values(SizeSwitchCase{"dejavu_kerning", false, true},
                                           SizeSwitchCase{"dejavu_no_kerning", false, false},
                                           SizeSwitchCase{"game_font", true, true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(FontTest, GlyphTexturesAreWhiteWithCoverageAlpha) {
  CTTFont* font = Load(kDejaVuSans, 18);
  ASSERT_NE(font, nullptr);
  const tagGlyphInfo& g = Glyph(font, L'A');
  ASSERT_NE(g.texture, 0u);
  HGE* hge = canvas.Engine();
  EXPECT_EQ(g.textureWidth, hge->Texture_GetWidth(g.texture, false));
  EXPECT_GE(g.textureWidth, g.bitmapWidth);
  EXPECT_GE(g.textureHeight, g.bitmapRows);

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
      if ((p & 0x00FFFFFFu) != 0x00FFFFFFu || (p >> 24) != expected) ++mismatches;
      if ((p >> 24) == 255) ++opaque;
    }
  }
  hge->Texture_Unlock(g.texture);
  EXPECT_EQ(mismatches, 0);
  EXPECT_GT(opaque, 0);
  FT_Done_Face(face);
  FT_Done_FreeType(lib);
}

TEST_F(FontTest, SpaceIsCachedWithoutTextureAndStillAdvances) {
  CTTFont* font = Load(kDejaVuSans);
  ASSERT_NE(font, nullptr);
  const tagGlyphInfo& space = Glyph(font, L' ');
  EXPECT_EQ(space.texture, 0u);
  EXPECT_GT(space.advance, 0);
  EXPECT_FALSE(font->DrawChar(L' ', 0, 20));
}

TEST_F(FontTest, CharactersThatAreNeverCached) {
  CTTFont* font = Load(kDejaVuSans);
  ASSERT_NE(font, nullptr);
  EXPECT_FALSE(font->CacheChar(L'\0'));
  EXPECT_FALSE(font->CacheChar(static_cast<wchar_t>(0x10FFFD)));  // not in the face
  EXPECT_FALSE(font->CacheChar(static_cast<wchar_t>(-5)));
  EXPECT_FALSE(font->CacheString(L"ab\U0010FFFDc"));
  EXPECT_NE(font->FindGlyph(L'c'), nullptr);  // the others are cached all the same
  // A character beyond the basic plane does not share the slot of one inside it.
  EXPECT_EQ(font->FindGlyph(static_cast<wchar_t>(0x10061)), nullptr);
}

TEST_F(FontTest, SizesOutsideTheRangeRenderNothing) {
  CTTFont* font = Load(kDejaVuSans);
  ASSERT_NE(font, nullptr);
  for (int size : {0, -18, kMaxFontPixels + 1, 1 << 30}) {
    font->SetSize(size);
    api.Reset();
    EXPECT_FALSE(font->CacheChar(L'A')) << size;
    EXPECT_EQ(api.setPixelSizes, 0) << size;
    EXPECT_TRUE(text_test::InkBox(canvas.Render([&] { font->DrawString(L"A\nB", 5, 30); })).Empty());
  }
  font->SetSize(kMaxFontPixels);
  EXPECT_TRUE(font->CacheChar(L'A'));
}

// A font file can make a glyph thousands of pixels high at any size (here DejaVu Sans with 16
// units to the em instead of 2048): it is kept without texture and never rendered.
TEST_F(FontTest, AGlyphFarLargerThanItsSizeIsNeverRendered) {
  std::FILE* in = std::fopen(kDejaVuSans, "rb");
  ASSERT_NE(in, nullptr);
  std::vector<unsigned char> bytes(1 << 20);
  bytes.resize(std::fread(bytes.data(), 1, bytes.size(), in));
  std::fclose(in);
  bool patched = false;
  for (size_t i = 12; i + 16 <= bytes.size() && !patched; i += 16) {
    if (std::memcmp(&bytes[i], "head", 4) != 0) continue;
    const size_t head =
        size_t{bytes[i + 8]} << 24 | bytes[i + 9] << 16 | bytes[i + 10] << 8 | bytes[i + 11];
    bytes[head + 18] = 0, bytes[head + 19] = 16;  // unitsPerEm
    patched = true;
  }
  ASSERT_TRUE(patched);
  const std::string path = ::testing::TempDir() + "torvaly-text-huge.ttf";
  std::FILE* out = std::fopen(path.c_str(), "wb");
  ASSERT_NE(out, nullptr);
  std::fwrite(bytes.data(), 1, bytes.size(), out);
  std::fclose(out);

  CTTFont* font = Load(path, 18);
  ASSERT_NE(font, nullptr);
  api.Reset();
  const tagGlyphInfo& a = Glyph(font, L'A');
  EXPECT_EQ(a.texture, 0u);
  EXPECT_EQ(a.bitmapWidth, 0);
  EXPECT_GT(a.advance, 1000) << "the pen still moves by the glyph's own advance";
  EXPECT_EQ(api.renderGlyph, 0);
  EXPECT_TRUE(text_test::InkBox(canvas.Render([&] { font->DrawString(L"AV", 5, 30); })).Empty());
  std::remove(path.c_str());
}

// ---- layout -------------------------------------------------------------------------------

struct Piece {
  const wchar_t* text;
  float dx, dy;
};

struct LayoutCase {
  const char* name;
  const wchar_t* text;
  bool useKerning;
  wchar_t refused;  // a character the face is made to lack (0: none)
  // The glyphs of text, drawn one by one relative to the pen.
  std::function<std::vector<Piece>(CTTFont*)> pieces;
};

class FontLayout : public FontTest, public ::testing::WithParamInterface<LayoutCase> {};

TEST_P(FontLayout, PenMovesByTheRules) {
  const LayoutCase& c = GetParam();
  api.refusedChar = c.refused;
  CTTFont* font = Load(kDejaVuSans, 18);
  ASSERT_NE(font, nullptr);
  font->SetUseKerning(c.useKerning);
  const float x = 30, y = 40;
  const std::vector<Piece> pieces = c.pieces(font);
  const auto whole = canvas.Render([&] { font->DrawString(c.text, x, y); });
  const auto apart = canvas.Render([&] {
    for (const Piece& p : pieces) font->DrawString(p.text, x + p.dx, y + p.dy);
  });
  ASSERT_FALSE(whole.empty());
  EXPECT_FALSE(text_test::InkBox(whole).Empty());
  EXPECT_EQ(text_test::CountDifferent(whole, apart), 0);
}

int Adv(CTTFont* font, wchar_t c) {
  font->CacheChar(c);
  const tagGlyphInfo* g = font->FindGlyph(c);
  return g ? g->advance : -1000;
}

const LayoutCase kLayouts[] = {
    {"tab_is_four_spaces", L"A\tB", false, 0,
     [](CTTFont* f) {
       return std::vector<Piece>{{L"A", 0, 0}, {L"B", float(Adv(f, 'A') + 4 * Adv(f, ' ')), 0}};
     }},
    {"leading_tab", L"\tB", false, 0,
     [](CTTFont* f) {
       return std::vector<Piece>{{L"B", float(4 * Adv(f, ' ')), 0}};
     }},
    {"two_tabs", L"A\t\tB", false, 0,
     [](CTTFont* f) {
       return std::vector<Piece>{{L"A", 0, 0}, {L"B", float(Adv(f, 'A') + 8 * Adv(f, ' ')), 0}};
     }},
    {"line_feed_goes_back_one_size_lower", L"AB\nC", false, 0,
     [](CTTFont* f) {
       return std::vector<Piece>{{L"A", 0, 0}, {L"B", float(Adv(f, 'A')), 0}, {L"C", 0, 18}};
     }},
    {"two_line_feeds", L"A\n\nB", false, 0,
     [](CTTFont*) { return std::vector<Piece>{{L"A", 0, 0}, {L"B", 0, 36}}; }},
    {"vertical_tab_keeps_x", L"A\vB", false, 0,
     [](CTTFont* f) {
       return std::vector<Piece>{{L"A", 0, 0}, {L"B", float(Adv(f, 'A')), 72}};
     }},
    {"missing_character_is_skipped", L"A\U0010FFFDB", false, 0,
     [](CTTFont* f) {
       return std::vector<Piece>{{L"A", 0, 0}, {L"B", float(Adv(f, 'A')), 0}};
     }},
    {"tab_without_a_space_is_one_em", L"A\tB", false, L' ',
     [](CTTFont* f) {
       return std::vector<Piece>{{L"A", 0, 0}, {L"B", float(Adv(f, 'A') + 18), 0}};
     }},
    {"space_advances_without_drawing", L"A B", false, 0,
     [](CTTFont* f) {
       return std::vector<Piece>{{L"A", 0, 0}, {L"B", float(Adv(f, 'A') + Adv(f, ' ')), 0}};
     }},
};

INSTANTIATE_TEST_SUITE_P(Strings, FontLayout, ::testing::ValuesIn(kLayouts),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- kerning ------------------------------------------------------------------------------

// The kerning of a pair at a size, in whole pixels, from a face of the test's own.
long KerningPixels(const char* path, int size, wchar_t left, wchar_t right) {
  FT_Library lib = nullptr;
  FT_Face face = nullptr;
  long k = 0;
  if (FT_Init_FreeType(&lib) == 0 && FT_New_Face(lib, path, 0, &face) == 0 &&
      FT_Set_Pixel_Sizes(face, size, size) == 0) {
    FT_Vector v{0, 0};
    if (FT_Get_Kerning(face, FT_Get_Char_Index(face, left), FT_Get_Char_Index(face, right),
                       FT_KERNING_DEFAULT, &v) == 0)
      k = v.x >> 6;
  }
  if (face) FT_Done_Face(face);
  if (lib) FT_Done_FreeType(lib);
  return k;
}

struct KerningCase {
  const char* name;
  const wchar_t* pair;
  bool useKerning;
  int size;
  int otherSizeFirst;  // drawn at this size before (0: none), so the face was left there
};

class FontKerning : public FontTest, public ::testing::WithParamInterface<KerningCase> {};

TEST_P(FontKerning, SecondGlyphMovesByTheWholePixelKerning) {
  const KerningCase& c = GetParam();
  CTTFont* font = Load(kDejaVuSans, c.size);
  ASSERT_NE(font, nullptr);
  ASSERT_TRUE(font->HasKerning());
  const long k = KerningPixels(kDejaVuSans, c.size, c.pair[0], c.pair[1]);
  ASSERT_LT(k, 0) << "the pair should kern in DejaVu Sans";
  font->SetUseKerning(c.useKerning);
  ASSERT_TRUE(font->CacheString(c.pair));
  const float step = float(Adv(font, c.pair[0]) + (c.useKerning ? k : 0));
  if (c.otherSizeFirst != 0) {
    // The face is left at the other size; the pair's glyphs all come from the cache.
    ASSERT_NE(KerningPixels(kDejaVuSans, c.otherSizeFirst, c.pair[0], c.pair[1]), k);
    font->SetSize(c.otherSizeFirst);
    canvas.Render([&] { font->DrawString(c.pair, 0, 40); });
    font->SetSize(c.size);
  }
  const wchar_t first[2] = {c.pair[0], 0}, second[2] = {c.pair[1], 0};
  const float x = 20, y = 60;
  const auto whole = canvas.Render([&] { font->DrawString(c.pair, x, y); });
  const auto apart = canvas.Render([&] {
    font->DrawString(first, x, y);
    font->DrawString(second, x + step, y);
  });
  EXPECT_EQ(text_test::CountDifferent(whole, apart), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Pairs, FontKerning,
    ::testing::Values(KerningCase{"AV_on", L"AV", true, 18, 0},
                      KerningCase{"AV_off", L"AV", false, 18, 0},
                      KerningCase{"To_on_large", L"To", true, 40, 0},
                      KerningCase{"To_off_large", L"To", false, 40, 0},
                      KerningCase{"AV_on_after_another_size", L"AV", true, 40, 18}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- bearings ----------------------------------------------------------------------------

struct BearingCase {
  const char* name;
  wchar_t character;
  bool leftOfPen;   // expects a negative left bearing
  bool belowBase;   // expects the bitmap to start below the baseline
};

class FontBearing : public FontTest, public ::testing::WithParamInterface<BearingCase> {};

TEST_P(FontBearing, BitmapLandsAtPenPlusBearing) {
  const BearingCase& c = GetParam();
  CTTFont* font = Load(kDejaVuSans, 40);
  ASSERT_NE(font, nullptr);
  const tagGlyphInfo& g = Glyph(font, c.character);
  if (c.leftOfPen) {
    ASSERT_LT(g.left, 0);
  }
  if (c.belowBase) {
    ASSERT_LT(g.top, 0);
  }
  ASSERT_NE(g.texture, 0u);

  // The first inked column and row of the glyph's own bitmap.
  HGE* hge = canvas.Engine();
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

  const int penX = 100, penY = 80;
  const wchar_t text[2] = {c.character, 0};
  const text_test::Box box =
      text_test::InkBox(canvas.Render([&] { font->DrawString(text, penX, penY); }));
  EXPECT_EQ(box.left, penX + g.left + firstCol);
  EXPECT_EQ(box.top, penY - g.top + firstRow);
  if (c.leftOfPen) {
    EXPECT_LT(box.left, penX);
  }
  if (c.belowBase) {
    EXPECT_GT(box.top, penY);
  }
}

INSTANTIATE_TEST_SUITE_P(Glyphs, FontBearing,
                         ::testing::Values(BearingCase{"j_left_of_pen", L'j', true, false},
                                           BearingCase{"underscore_below_baseline", L'_', false, true},
                                           BearingCase{"H_upright", L'H', false, false}),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- drawing ------------------------------------------------------------------------------

TEST_F(FontTest, DrawTextI64uDrawsThirteenDigits) {
  CTTFont* font = Load(kDejaVuSans);
  ASSERT_NE(font, nullptr);
  const unsigned long long score = 1234567890123ULL;
  const auto formatted = canvas.Render([&] { font->DrawText(20, 40, L"%I64u", score); });
  EXPECT_STREQ(font->GetText(), L"1234567890123");
  const auto literal = canvas.Render([&] { font->DrawString(L"1234567890123", 20, 40); });
  EXPECT_EQ(text_test::CountDifferent(formatted, literal), 0);
  EXPECT_FALSE(text_test::InkBox(formatted).Empty());
}

TEST_F(FontTest, DrawTextWithARefusedFormatDrawsNothing) {
  CTTFont* font = Load(kDejaVuSans);
  ASSERT_NE(font, nullptr);
  bool answer = true;
  const auto pixels = canvas.Render([&] { answer = font->DrawText(20, 40, L"AB%n", nullptr); });
  EXPECT_FALSE(answer);
  EXPECT_TRUE(text_test::InkBox(pixels).Empty());
  std::wstring longName(kFontTextCapacity, L'x');
  EXPECT_FALSE(font->DrawText(0, 20, L"%s", longName.c_str()));
}

TEST_F(FontTest, ColourTintsTheGlyphs) {
  CTTFont* font = Load(kDejaVuSans, 30);
  ASSERT_NE(font, nullptr);
  font->SetColor(0xFFFFFF00);  // the table's yellow
  const auto pixels = canvas.Render([&] { font->DrawString(L"H", 20, 50); });
  int solid = 0;
  for (uint32_t p : pixels) {
    if ((p >> 24) != 0xFF) continue;
    ++solid;
    EXPECT_EQ(p, 0xFFFFFF00u);
  }
  EXPECT_GT(solid, 10);
}

TEST_F(FontTest, ScaleActsAboutTheGlyphCentre) {
  CTTFont* font = Load(kDejaVuSans, 30);
  ASSERT_NE(font, nullptr);
  const auto normal = text_test::InkBox(canvas.Render([&] { font->DrawString(L"H", 100, 80); }));
  font->SetScale(2, 2);
  const auto big = text_test::InkBox(canvas.Render([&] { font->DrawString(L"H", 100, 80); }));
  const int w = normal.right - normal.left + 1, bw = big.right - big.left + 1;
  EXPECT_NEAR(bw, 2 * w, 2);
  EXPECT_NEAR(big.left + big.right, normal.left + normal.right, 2);
  EXPECT_NEAR(big.top + big.bottom, normal.top + normal.bottom, 2);
}

TEST_F(FontTest, MeasureFollowsTheLayout) {
  CTTFont* font = Load(kDejaVuSans, 18);
  ASSERT_NE(font, nullptr);
  font->SetUseKerning(false);
  int lines = 0;
  EXPECT_EQ(font->MeasureString(L"AB", 2, &lines), Adv(font, 'A') + Adv(font, 'B'));
  EXPECT_EQ(lines, 1);
  EXPECT_EQ(font->MeasureString(L"A\nBBB\nC", 7, &lines), 3 * Adv(font, 'B'));
  EXPECT_EQ(lines, 3);
  EXPECT_EQ(font->MeasureString(L"\t", 1, &lines), 4 * Adv(font, ' '));
  EXPECT_EQ(font->MeasureString(L"", 0, &lines), 0);
  EXPECT_EQ(lines, 1);
}

// ---- the game font ------------------------------------------------------------------------

TEST_F(FontTest, GameFontDrawsChinese) {
  CTTFont* font = Load(text_test::GameFontPath(), 18);
  ASSERT_NE(font, nullptr) << "the build places " << text_test::GameFontPath();
  EXPECT_TRUE(font->CacheString(L"游戏玩家"));
  for (wchar_t c : std::wstring(L"游戏玩家")) {
    const tagGlyphInfo* g = font->FindGlyph(c);
    ASSERT_NE(g, nullptr);
    EXPECT_NE(g->texture, 0u);
    EXPECT_GE(g->advance, 16);  // full-width
    EXPECT_LE(g->advance, 19);
  }
  bool answer = false;
  const auto pixels = canvas.Render([&] { answer = font->DrawString(L"游戏玩家", 10, 40); });
  EXPECT_TRUE(answer);
  const text_test::Box box = text_test::InkBox(pixels);
  EXPECT_GE(box.left, 10);
  EXPECT_LE(box.bottom, 40 + 4);
  EXPECT_GT(box.right - box.left, 4 * 14);
}

// ---- freeing -------------------------------------------------------------------------------

TEST_F(FontTest, GlyphTexturesAreFreedWithTheFont) {
  std::vector<HTEXTURE> textures;
  {
    CFontManager own(&api);
    ASSERT_TRUE(own.Init());
    ASSERT_TRUE(own.LoadFont(kDejaVuSans));
    CTTFont* font = own.GetFont(kDejaVuSans);
    font->SetSize(18);
    ASSERT_TRUE(font->CacheString(L"Torvaly"));
    for (wchar_t c : std::wstring(L"Torvaly")) textures.push_back(font->FindGlyph(c)->texture);
    for (HTEXTURE t : textures) ASSERT_GT(canvas.Engine()->Texture_GetWidth(t), 0);
  }
  for (HTEXTURE t : textures) EXPECT_EQ(canvas.Engine()->Texture_GetWidth(t), 0);
}

TEST_F(FontTest, ClearCacheFreesTheTextures) {
  CTTFont* font = Load(kDejaVuSans);
  ASSERT_NE(font, nullptr);
  ASSERT_TRUE(font->CacheChar(L'Q'));
  const HTEXTURE t = font->FindGlyph(L'Q')->texture;
  font->ClearCache();
  EXPECT_EQ(font->GetCacheSize(), 0u);
  EXPECT_EQ(canvas.Engine()->Texture_GetWidth(t), 0);
  EXPECT_TRUE(font->CacheChar(L'Q'));  // and renders again
}

TEST(FontWithoutEngine, CachesGlyphsWithoutTextures) {
  CFontManager manager;
  ASSERT_TRUE(manager.Init());
  ASSERT_TRUE(manager.LoadFont(kDejaVuSans));
  CTTFont* font = manager.GetFont(kDejaVuSans);
  font->SetSize(18);
  EXPECT_TRUE(font->CacheChar(L'A'));
  EXPECT_EQ(font->FindGlyph(L'A')->texture, 0u);
  EXPECT_GT(font->FindGlyph(L'A')->advance, 0);
  EXPECT_FALSE(font->DrawChar(L'A', 0, 0));
}

}  // namespace
