// The sprite engine, headless: sprites land where and as they should, lockable textures keep
// their pixels, image and real sizes, and missing files give handle 0.
#include <cmath>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>

#include "platform/engine/hgeSprite.h"
#include "platform/gui/SDL2Graphics.h"
#include "platform_test_util.h"
#include "widgets/MyCButtonEx.h"

using platform_test::HeadlessEngine;
using platform_test::NearColor;
using platform_test::ReadTarget;
using platform_test::TempDir;

namespace {

constexpr uint32_t RED = 0xFFFF0000, GREEN = 0xFF00FF00, BLUE = 0xFF0000FF, WHITE = 0xFFFFFFFF;
constexpr uint32_t BLACK = 0xFF000000;
constexpr int kTargetSize = 64;

// A 20 x 20 blank texture: red, green / blue, white quadrants of 10 x 10.
HTEXTURE MakeQuadrantTexture(HGE* hge) {
  const HTEXTURE tex = hge->Texture_Create(20, 20);
  const int pitch = hge->Texture_GetWidth(tex);
  DWORD* p = hge->Texture_Lock(tex, false);
  if (p == nullptr) return 0;
  for (int y = 0; y < 20; ++y) {
    for (int x = 0; x < 20; ++x)
      p[y * pitch + x] = y < 10 ? (x < 10 ? RED : GREEN) : (x < 10 ? BLUE : WHITE);
  }
  hge->Texture_Unlock(tex);
  return tex;
}

struct Probe {
  int x, y;
  uint32_t color;
};

struct SpriteCase {
  const char* name;
  std::function<void(hgeSprite&)> draw;
  std::vector<Probe> probes;
  int tolerance = 0;
};

TEST(EngineSprite, LandsWhereAndAsItShould) {
  HeadlessEngine hge;
  ASSERT_TRUE(hge.Ok()) << hge->System_GetErrorMessage();
  const HTEXTURE tex = MakeQuadrantTexture(hge.Get());
  ASSERT_NE(tex, 0u);
  const HTARGET target = hge->Target_Create(kTargetSize, kTargetSize, false);
  ASSERT_NE(target, 0u);
  const float kQuarter = 3.14159265f / 2;

  const SpriteCase cases[] = {
      {"plain render",
       [](hgeSprite& s) { s.Render(10, 10); },
       {{12, 12, RED},
        {27, 12, GREEN},
        {12, 27, BLUE},
        {27, 27, WHITE},
        {5, 5, BLACK},
        {32, 32, BLACK}}},
      {"hot spot in the middle",
       [](hgeSprite& s) {
         s.SetHotSpot(10, 10);
         s.Render(32, 32);
       },
       {{25, 25, RED}, {38, 25, GREEN}, {25, 38, BLUE}, {38, 38, WHITE}, {20, 20, BLACK}}},
      {"scaled twice",
       [](hgeSprite& s) { s.RenderEx(0, 0, 0, 2.0f); },
       {{15, 15, RED}, {25, 5, GREEN}, {5, 25, BLUE}, {35, 35, WHITE}, {45, 10, BLACK}}},
      {"scaled unevenly",
       [](hgeSprite& s) { s.RenderEx(0, 0, 0, 2.0f, 1.0f); },
       {{15, 5, RED}, {25, 5, GREEN}, {35, 15, WHITE}, {35, 25, BLACK}}},
      {"a quarter turn clockwise about the hot spot",
       [=](hgeSprite& s) {
         s.SetHotSpot(10, 10);
         s.RenderEx(32, 32, kQuarter);
       },
       {{37, 27, RED}, {37, 37, GREEN}, {27, 27, BLUE}, {27, 37, WHITE}}},
      {"mirrored left to right",
       [](hgeSprite& s) {
         s.SetFlip(true, false);
         s.Render(10, 10);
       },
       {{12, 12, GREEN}, {27, 12, RED}, {12, 27, WHITE}, {27, 27, BLUE}}},
      {"mirrored top to bottom",
       [](hgeSprite& s) {
         s.SetFlip(false, true);
         s.Render(10, 10);
       },
       {{12, 12, BLUE}, {27, 12, WHITE}, {12, 27, RED}, {27, 27, GREEN}}},
      {"mirrored with its hot spot",
       [](hgeSprite& s) {
         s.SetFlip(true, false, true);
         s.Render(30, 10);
       },
       {{12, 12, GREEN}, {27, 12, RED}, {32, 12, BLACK}}},
      {"mirror undone",
       [](hgeSprite& s) {
         s.SetFlip(true, true);
         s.SetFlip(false, false);
         s.Render(10, 10);
       },
       {{12, 12, RED}, {27, 27, WHITE}}},
      {"tinted green",
       [](hgeSprite& s) {
         s.SetColor(0xFF00FF00);
         s.Render(10, 10);
       },
       {{12, 12, BLACK}, {27, 12, GREEN}, {12, 27, BLACK}, {27, 27, GREEN}}},
      {"half transparent",
       [](hgeSprite& s) {
         s.SetColor(0x80FFFFFF);
         s.Render(10, 10);
       },
       {{12, 12, 0xFF800000}, {27, 27, 0xFF808080}},
       2},
      {"hidden",
       [](hgeSprite& s) {
         s.m_bShow = false;
         s.Render(10, 10);
         s.RenderEx(10, 10, 0, 2);
       },
       {{12, 12, BLACK}, {27, 27, BLACK}}},
      {"stretched",
       [](hgeSprite& s) { s.RenderStretch(10, 10, 50, 30); },
       {{15, 12, RED}, {45, 12, GREEN}, {15, 27, BLUE}, {45, 27, WHITE}}},
      {"four corners",
       [](hgeSprite& s) { s.Render4V(40, 10, 60, 10, 60, 30, 40, 30); },
       {{42, 12, RED}, {57, 27, WHITE}, {30, 20, BLACK}}},
      {"a texture rectangle",
       [](hgeSprite& s) {
         s.SetTextureRect(10, 10, 10, 10);
         s.Render(0, 0);
       },
       {{5, 5, WHITE}, {15, 5, BLACK}}},
  };
  for (const SpriteCase& c : cases) {
    SCOPED_TRACE(c.name);
    hgeSprite sprite(tex, 0, 0, 20, 20);
    ASSERT_TRUE(hge->Gfx_BeginScene(target));
    hge->Gfx_Clear(BLACK);
    c.draw(sprite);
    hge->Gfx_EndScene();
    const std::vector<uint32_t> pixels = ReadTarget(hge.Get(), target);
    ASSERT_EQ(pixels.size(), size_t(kTargetSize * kTargetSize));
    for (const Probe& p : c.probes) {
      EXPECT_TRUE(NearColor(pixels[p.y * kTargetSize + p.x], p.color, c.tolerance))
          << "at (" << p.x << ", " << p.y << ")";
    }
  }
}

TEST(EngineSprite, ColourPerVertexBlendsAcrossTheQuad) {
  HeadlessEngine hge;
  ASSERT_TRUE(hge.Ok());
  const HTEXTURE tex = hge->Texture_Create(8, 8);
  DWORD* p = hge->Texture_Lock(tex, false);
  ASSERT_NE(p, nullptr);
  for (int i = 0; i < 64; ++i) p[i] = WHITE;
  hge->Texture_Unlock(tex);
  const HTARGET target = hge->Target_Create(kTargetSize, kTargetSize, false);
  hgeSprite sprite(tex, 0, 0, 8, 8);
  sprite.SetColor(0xFFFF0000, 0);  // top-left corner red, the others white
  ASSERT_TRUE(hge->Gfx_BeginScene(target));
  hge->Gfx_Clear(BLACK);
  sprite.RenderStretch(0, 0, 40, 40);
  hge->Gfx_EndScene();
  const std::vector<uint32_t> px = ReadTarget(hge.Get(), target);
  const uint32_t nearRed = px[1 * kTargetSize + 1], farCorner = px[38 * kTargetSize + 38];
  EXPECT_GE((nearRed >> 16) & 0xFF, 240u);
  EXPECT_LE((nearRed >> 8) & 0xFF, 40u) << std::hex << nearRed;
  EXPECT_TRUE(NearColor(farCorner, WHITE, 12));
  EXPECT_EQ(sprite.GetColor(0), 0xFFFF0000u);
  EXPECT_EQ(sprite.GetColor(2), WHITE);
}

struct LockCase {
  const char* name;
  int left, top, width, height;
};

TEST(EngineTexture, LockableTextureKeepsItsPixels) {
  HeadlessEngine hge;
  ASSERT_TRUE(hge.Ok());
  const LockCase cases[] = {{"whole texture", 0, 0, 0, 0}, {"a corner", 1, 2, 2, 3}};
  for (const LockCase& c : cases) {
    SCOPED_TRACE(c.name);
    const HTEXTURE tex = hge->Texture_Create(3, 5);
    ASSERT_NE(tex, 0u);
    const int pitch = hge->Texture_GetWidth(tex);  // 4
    const int w = c.width ? c.width : pitch, h = c.height ? c.height : hge->Texture_GetHeight(tex);
    DWORD* p = hge->Texture_Lock(tex, false, c.left, c.top, c.width, c.height);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(hge->Texture_Lock(tex, true), nullptr) << "locked twice";
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) p[y * pitch + x] = 0xFF000000u | (x << 16) | (y << 8) | 0x5A;
    hge->Texture_Unlock(tex);

    const DWORD* all = hge->Texture_Lock(tex, true);
    ASSERT_NE(all, nullptr);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x)
        EXPECT_EQ(all[(c.top + y) * pitch + c.left + x], 0xFF000000u | (x << 16) | (y << 8) | 0x5A);
    if (c.left > 0) {
      EXPECT_EQ(all[0], 0u) << "outside the lock stays transparent black";
    }
    hge->Texture_Unlock(tex);

    // And what the engine draws from it is the same.
    const HTARGET target = hge->Target_Create(8, 8, false);
    hgeSprite sprite(tex, 0, 0, 4, 8);
    ASSERT_TRUE(hge->Gfx_BeginScene(target));
    hge->Gfx_Clear(BLACK);
    sprite.Render(0, 0);
    hge->Gfx_EndScene();
    EXPECT_EQ(ReadTarget(hge.Get(), target)[(c.top + 1) * 8 + c.left + 1],
              0xFF000000u | (1 << 16) | (1 << 8) | 0x5A);
    hge->Target_Free(target);
    hge->Texture_Free(tex);
  }
  const HTEXTURE tex = hge->Texture_Create(3, 5);
  EXPECT_EQ(hge->Texture_Lock(tex, false, 2, 0, 4, 1), nullptr) << "beyond the real width";
  EXPECT_EQ(hge->Texture_Lock(tex, false, -1, 0, 1, 1), nullptr);
}

TEST(EngineTexture, ImageSizeAndRealSize) {
  HeadlessEngine hge;
  ASSERT_TRUE(hge.Ok());
  TempDir dir;
  ASSERT_TRUE(
      platform_test::WritePng(dir.File("strip.png"), 100, 30, [](int, int) { return RED; }));

  struct SizeCase {
    const char* name;
    HTEXTURE tex;
    int imageW, imageH, realW, realH;
  };
  const HTARGET target = hge->Target_Create(1280, 720, false);
  const SizeCase cases[] = {
      {"blank 100 x 30 is padded", hge->Texture_Create(100, 30), 100, 30, 128, 32},
      {"blank 64 x 64 is exact", hge->Texture_Create(64, 64), 64, 64, 64, 64},
      {"blank 1 x 1", hge->Texture_Create(1, 1), 1, 1, 1, 1},
      {"loaded 100 x 30 is exact", hge->Texture_Load(dir.File("strip.png").c_str()), 100, 30, 100,
       30},
      {"render target", hge->Target_GetTexture(target), 1280, 720, 1280, 720},
      {"no texture", 0, 0, 0, 0, 0},
  };
  for (const SizeCase& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(hge->Texture_GetWidth(c.tex, true), c.imageW);
    EXPECT_EQ(hge->Texture_GetHeight(c.tex, true), c.imageH);
    EXPECT_EQ(hge->Texture_GetWidth(c.tex, false), c.realW);
    EXPECT_EQ(hge->Texture_GetHeight(c.tex), c.realH);
  }
  // A freed handle is no texture, even when its slot is used again.
  const HTEXTURE freed = hge->Texture_Create(10, 10);
  hge->Texture_Free(freed);
  const HTEXTURE reused = hge->Texture_Create(20, 20);
  EXPECT_NE(freed, reused);
  EXPECT_EQ(hge->Texture_GetWidth(freed, true), 0);
  EXPECT_EQ(hge->Texture_GetWidth(reused, true), 20);
}

// Images decode only in the game's formats (PNG, JPEG, BMP), each by its own decoder; bytes of
// any other format give no texture, even when SDL_image could read them (its SVG reader leaks
// on a broken file).
TEST(EngineTexture, OnlyTheGameFormatsDecode) {
  HeadlessEngine hge;
  ASSERT_TRUE(hge.Ok());
  TempDir dir;
  ASSERT_TRUE(platform_test::WritePng(dir.File("a.png"), 3, 2, [](int, int) { return RED; }));
  SDL_Surface* bmp = SDL_CreateRGBSurfaceWithFormat(0, 5, 4, 32, SDL_PIXELFORMAT_ARGB8888);
  ASSERT_NE(bmp, nullptr);
  ASSERT_EQ(SDL_SaveBMP(bmp, dir.File("a.bmp").c_str()), 0);
  SDL_FreeSurface(bmp);
  auto bytes = [&](const std::string& name) {
    std::ifstream in(dir.File(name), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  };
  struct FormatCase {
    const char* name;
    std::string data;
    int width;  // 0: no texture
  };
  const FormatCase cases[] = {
      {"PNG", bytes("a.png"), 3},
      {"BMP", bytes("a.bmp"), 5},
      {"SVG", "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"4\" height=\"4\">"
              "<rect width=\"4\" height=\"4\" fill=\"red\"/></svg>", 0},
      {"broken SVG", "\x89PN<svg\n\x00\x00", 0},
      {"XPM", "/* XPM */\nstatic char *x[] = {\"1 1 1 1\", \"a c #FF0000\", \"a\"};\n", 0},
      {"text", "not a picture", 0},
  };
  for (const FormatCase& c : cases) {
    SCOPED_TRACE(c.name);
    const HTEXTURE tex = hge->Texture_Load(c.data.data(), static_cast<DWORD>(c.data.size()));
    EXPECT_EQ(hge->Texture_GetWidth(tex, true), c.width);
    hge->Texture_Free(tex);
  }
  EXPECT_EQ(hge->Texture_GetWidth(hge->Texture_Load(dir.File("a.png").c_str()), true), 3)
      << "from a file too";
}

TEST(EngineResources, MissingFilesGiveZeroOrNull) {
  HeadlessEngine hge(320, 240, true);
  ASSERT_TRUE(hge.Ok());
  gcn::SDL2ImageLoader::Install();
  TempDir dir;
  platform_test::WriteText(dir.File("notes.txt"), "not a picture, not a sound");
  platform_test::WriteWav(dir.File("click.wav"));
  const std::string missing = dir.File("no/such/file.png");
  const std::string text = dir.File("notes.txt");

  EXPECT_EQ(hge->Texture_Load(missing.c_str()), 0u);
  EXPECT_EQ(hge->Texture_Load(text.c_str()), 0u);
  EXPECT_EQ(hge->Texture_Load(nullptr), 0u);
  EXPECT_EQ(hge->Effect_Load(missing.c_str()), 0u);
  if (hge->System_GetStateBool(HGE_USESOUND)) {  // with a mixer the data must decode too
    EXPECT_EQ(hge->Effect_Load(text.c_str()), 0u);
  }
  const HEFFECT click = hge->Effect_Load(dir.File("click.wav").c_str());
  EXPECT_NE(click, 0u) << "a real sound still loads";
  hge->Effect_PlayEx(click, 100, 0, 1.0f, false);
  hge->Effect_Free(click);

  EXPECT_EQ(gcn::Image::load(missing, true), nullptr);
  EXPECT_EQ(gcn::Image::load(text, true), nullptr);
  gcn::MyCButtonEx button(missing);
  EXPECT_EQ(button.getImage(), nullptr);
  EXPECT_EQ(button.getWidth(), 0);
  EXPECT_EQ(button.getHeight(), 0);

  // Handle 0 and stale handles are accepted everywhere and do nothing.
  EXPECT_EQ(hge->Effect_Play(0), 0u);
  hge->Effect_Free(0);
  hge->Texture_Free(0);
  hge->Texture_Unlock(0);
  EXPECT_EQ(hge->Texture_Lock(0), nullptr);
  EXPECT_EQ(hge->Target_GetTexture(0), 0u);
  const HTARGET target = hge->Target_Create(16, 16, false);
  hgeSprite missingSprite(0, 0, 0, 8, 8);
  hgeSprite staleSprite(0xDEAD0001u, 0, 0, 8, 8);
  ASSERT_TRUE(hge->Gfx_BeginScene(target));
  hge->Gfx_Clear(BLACK);
  staleSprite.Render(0, 0);  // a handle that never was: nothing drawn
  hge->Gfx_EndScene();
  EXPECT_EQ(ReadTarget(hge.Get(), target)[4 * 16 + 4], BLACK);
}

}  // namespace

// One long step of a frame animation lands where the same time in single frames does, and a
// step far longer than any run ends at once.
TEST(EngineAnimation, LongStepsMatchSingleFramesAndEnd) {
  platform_test::HeadlessEngine engine(64, 64);
  ASSERT_TRUE(engine.Ok());
  const HTEXTURE tex = engine->Texture_Create(160, 16);
  struct Case {
    int mode;
    int steps;
  };
  const Case cases[] = {
      {HGEANIM_FWD | HGEANIM_LOOP, 1234},
      {HGEANIM_FWD | HGEANIM_LOOP | HGEANIM_PINGPONG, 1237},
      {HGEANIM_REV | HGEANIM_LOOP | HGEANIM_PINGPONG, 999},
      {HGEANIM_FWD | HGEANIM_NOLOOP, 40},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.mode);
    hgeAnimation stepped(1, tex, 10, 10.0f, 0, 0, 16, 16);
    hgeAnimation jumped(stepped);
    for (hgeAnimation* a : {&stepped, &jumped}) {
      a->SetMode(c.mode);
      a->Play();
      a->Update(0.0f);  // the first update only starts the clock
    }
    for (int i = 0; i < c.steps; ++i) stepped.Update(0.1f);
    jumped.Update(0.1f * c.steps + 0.05f);
    EXPECT_EQ(jumped.GetFrame(), stepped.GetFrame());
    EXPECT_EQ(jumped.IsPlaying(), stepped.IsPlaying());
  }
  hgeAnimation forever(1, tex, 10, 10.0f, 0, 0, 16, 16);
  forever.SetMode(HGEANIM_FWD | HGEANIM_LOOP);
  forever.Play();
  forever.Update(0.0f);
  forever.Update(1e30f);  // must return, on some frame
  EXPECT_GE(forever.GetFrame(), 0);
  EXPECT_LT(forever.GetFrame(), 10);
  engine->Texture_Free(tex);
}
