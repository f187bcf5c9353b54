// The sprite engine, headless: sprites land where and as they should, lockable textures keep
// their pixels, image and real sizes, and missing files give handle 0.
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

// A w x h blank texture whose pixels come from pixel(x, y).
template <class Pixel>
HTEXTURE MakeTexture(HGE* hge, int w, int h, Pixel pixel) {
  const HTEXTURE tex = hge->Texture_Create(w, h);
  const int pitch = hge->Texture_GetWidth(tex);
  DWORD* p = hge->Texture_Lock(tex, false);
  if (p == nullptr) return 0;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) p[y * pitch + x] = pixel(x, y);
  hge->Texture_Unlock(tex);
  return tex;
}

// The target's pixels after draw() on a black scene.
template <class Draw>
std::vector<uint32_t> DrawInto(HGE* hge, HTARGET target, Draw draw) {
  if (!hge->Gfx_BeginScene(target)) return {};
  hge->Gfx_Clear(BLACK);
  draw();
  hge->Gfx_EndScene();
  return ReadTarget(hge, target);
}

struct Probe {
  int x, y;
  uint32_t color;
};

TEST(EngineSprite, LandsWhereAndAsItShould) {
  HeadlessEngine hge;
  ASSERT_TRUE(hge.Ok()) << hge->System_GetErrorMessage();
  // 20 x 20: red, green / blue, white quadrants of 10 x 10.
  const HTEXTURE tex = MakeTexture(hge.Get(), 20, 20, [](int x, int y) {
    return y < 10 ? (x < 10 ? RED : GREEN) : (x < 10 ? BLUE : WHITE);
  });
  ASSERT_NE(tex, 0u);
  const HTARGET target = hge->Target_Create(kTargetSize, kTargetSize, false);
  using S = hgeSprite&;
  const struct {
    const char* name;
    void (*draw)(hgeSprite&);
    std::vector<Probe> probes;
    int tolerance = 0;
  } cases[] = {
      {"plain render",
       [](S s) { s.Render(10, 10); },
       {{12, 12, RED}, {27, 12, GREEN}, {12, 27, BLUE}, {27, 27, WHITE}, {5, 5, BLACK}}},
      {"hot spot in the middle",
       [](S s) { s.SetHotSpot(10, 10), s.Render(32, 32); },
       {{25, 25, RED}, {38, 25, GREEN}, {25, 38, BLUE}, {38, 38, WHITE}, {20, 20, BLACK}}},
      {"scaled twice",
       [](S s) { s.RenderEx(0, 0, 0, 2.0f); },
       {{15, 15, RED}, {25, 5, GREEN}, {5, 25, BLUE}, {35, 35, WHITE}, {45, 10, BLACK}}},
      {"scaled unevenly",
       [](S s) { s.RenderEx(0, 0, 0, 2.0f, 1.0f); },
       {{15, 5, RED}, {25, 5, GREEN}, {35, 15, WHITE}, {35, 25, BLACK}}},
      {"a quarter turn clockwise about the hot spot",
       [](S s) { s.SetHotSpot(10, 10), s.RenderEx(32, 32, 3.14159265f / 2); },
       {{37, 27, RED}, {37, 37, GREEN}, {27, 27, BLUE}, {27, 37, WHITE}}},
      {"mirrored left to right",
       [](S s) { s.SetFlip(true, false), s.Render(10, 10); },
       {{12, 12, GREEN}, {27, 12, RED}, {12, 27, WHITE}, {27, 27, BLUE}}},
      {"mirrored top to bottom, with its hot spot",
       [](S s) { s.SetHotSpot(0, 5), s.SetFlip(false, true, true), s.Render(10, 25); },
       {{12, 12, BLUE}, {27, 12, WHITE}, {12, 27, RED}, {27, 27, GREEN}}},
      {"tinted green",
       [](S s) { s.SetColor(GREEN), s.Render(10, 10); },
       {{12, 12, BLACK}, {27, 12, GREEN}, {12, 27, BLACK}, {27, 27, GREEN}}},
      {"half transparent",
       [](S s) { s.SetColor(0x80FFFFFF), s.Render(10, 10); },
       {{12, 12, 0xFF800000}, {27, 27, 0xFF808080}},
       2},
      {"hidden",
       [](S s) { s.m_bShow = false, s.Render(10, 10), s.RenderEx(10, 10, 0, 2); },
       {{12, 12, BLACK}, {27, 27, BLACK}}},
      {"stretched",
       [](S s) { s.RenderStretch(10, 10, 50, 30); },
       {{15, 12, RED}, {45, 12, GREEN}, {15, 27, BLUE}, {45, 27, WHITE}}},
      {"four corners",
       [](S s) { s.Render4V(40, 10, 60, 10, 60, 30, 40, 30); },
       {{42, 12, RED}, {57, 27, WHITE}, {30, 20, BLACK}}},
      {"a texture rectangle",
       [](S s) { s.SetTextureRect(10, 10, 10, 10), s.Render(0, 0); },
       {{5, 5, WHITE}, {15, 5, BLACK}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    hgeSprite original(tex, 0, 0, 20, 20), s(original);  // a copy draws as the original would
    const std::vector<uint32_t> pixels = DrawInto(hge.Get(), target, [&] { c.draw(s); });
    ASSERT_EQ(pixels.size(), size_t(kTargetSize * kTargetSize));
    for (const Probe& p : c.probes)
      EXPECT_TRUE(NearColor(pixels[p.y * kTargetSize + p.x], p.color, c.tolerance))
          << "at (" << p.x << ", " << p.y << ")";
  }

  // A colour per vertex blends across the quad.
  hgeSprite white(tex, 10, 10, 8, 8);
  white.SetColor(RED, 0);  // the top-left corner red, the others white
  const std::vector<uint32_t> px =
      DrawInto(hge.Get(), target, [&] { white.RenderStretch(0, 0, 40, 40); });
  const uint32_t nearRed = px[1 * kTargetSize + 1];
  EXPECT_GE((nearRed >> 16) & 0xFF, 240u);
  EXPECT_LE((nearRed >> 8) & 0xFF, 40u) << std::hex << nearRed;
  EXPECT_TRUE(NearColor(px[38 * kTargetSize + 38], WHITE, 12));
  EXPECT_EQ(white.GetColor(0), RED);
  EXPECT_EQ(white.GetColor(2), WHITE);
}

// A loaded picture drawn turned is turned by the engine itself on the software renderer; it
// lands as SDL's own triangles put a blank texture with the same pixels, give or take a pixel
// where texel edges fall.
TEST(EngineSprite, ALoadedPictureTurnsAsTrianglesWould) {
  TempDir dir;
  // 20 x 20 quadrants again, with a half-transparent white one.
  const auto quadrants = [](int x, int y) {
    return y < 10 ? (x < 10 ? RED : GREEN) : (x < 10 ? BLUE : 0x80FFFFFFu);
  };
  ASSERT_TRUE(platform_test::WritePng(dir.Path() + "/q.png", 20, 20, quadrants));
  HeadlessEngine hge;
  ASSERT_TRUE(hge.Ok()) << hge->System_GetErrorMessage();
  const HTEXTURE loaded = hge->Texture_Load((dir.Path() + "/q.png").c_str());
  const HTEXTURE blank = MakeTexture(hge.Get(), 20, 20, quadrants);
  ASSERT_NE(loaded, 0u);
  ASSERT_NE(blank, 0u);
  const HTARGET target = hge->Target_Create(kTargetSize, kTargetSize, false);
  using S = hgeSprite&;
  const struct {
    const char* name;
    void (*draw)(hgeSprite&);
  } cases[] = {
      {"a quarter turn", [](S s) { s.SetHotSpot(10, 10), s.RenderEx(32, 32, 1.5707963f); }},
      {"a twelfth of a turn", [](S s) { s.SetHotSpot(10, 10), s.RenderEx(32, 32, 0.5235988f); }},
      {"turned back and enlarged",
       [](S s) { s.SetHotSpot(10, 10), s.RenderEx(32, 32, -2.0f, 1.5f); }},
      {"a part of the picture, tinted",
       [](S s) {
         s.SetTextureRect(5, 5, 12, 12), s.SetColor(0xC0FF80FF), s.RenderEx(30, 30, 1.0f);
       }},
      {"added", [](S s) { s.SetBlendMode(BLEND_COLORADD), s.RenderEx(20, 10, 0.7f); }},
      {"off the edge", [](S s) { s.RenderEx(60, 50, 0.4f, 2.0f); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    hgeSprite own(loaded, 0, 0, 20, 20), triangles(blank, 0, 0, 20, 20);
    const std::vector<uint32_t> got = DrawInto(hge.Get(), target, [&] { c.draw(own); });
    const std::vector<uint32_t> want = DrawInto(hge.Get(), target, [&] { c.draw(triangles); });
    ASSERT_EQ(got.size(), want.size());
    // Each pixel is SDL's at the same place or a neighbour's (but for a few where an enlarged
    // texel's corner falls): texel edges may fall a pixel apart, nothing more (no mirror, no
    // shift, no other tint or blend).
    int drawn = 0, astray = 0;
    for (int y = 0; y < kTargetSize; ++y) {
      for (int x = 0; x < kTargetSize; ++x) {
        const uint32_t mine = got[y * kTargetSize + x];
        if (want[y * kTargetSize + x] != BLACK) ++drawn;
        bool near = false;
        for (int dy = -1; dy <= 1 && !near; ++dy) {
          for (int dx = -1; dx <= 1 && !near; ++dx) {
            const int nx = x + dx, ny = y + dy;
            near = nx >= 0 && ny >= 0 && nx < kTargetSize && ny < kTargetSize &&
                   NearColor(mine, want[ny * kTargetSize + nx], 2);
          }
        }
        if (!near) ++astray;
      }
    }
    EXPECT_GT(drawn, 60);
    EXPECT_LE(astray, drawn / 100) << "of " << drawn << " pixels";
  }
}

TEST(EngineTexture, LockableTextureKeepsItsPixels) {
  HeadlessEngine hge;
  ASSERT_TRUE(hge.Ok());
  const struct {
    const char* name;
    int left, top, width, height;
  } cases[] = {{"whole texture", 0, 0, 0, 0}, {"a corner", 1, 2, 2, 3}};
  auto value = [](int x, int y) { return 0xFF000000u | (x << 16) | (y << 8) | 0x5A; };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const HTEXTURE tex = hge->Texture_Create(3, 5);
    const int pitch = hge->Texture_GetWidth(tex);  // 4
    const int w = c.width ? c.width : pitch, h = c.height ? c.height : hge->Texture_GetHeight(tex);
    DWORD* p = hge->Texture_Lock(tex, false, c.left, c.top, c.width, c.height);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(hge->Texture_Lock(tex, true), nullptr) << "locked twice";
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) p[y * pitch + x] = value(x, y);
    hge->Texture_Unlock(tex);

    const DWORD* all = hge->Texture_Lock(tex, true);
    ASSERT_NE(all, nullptr);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) EXPECT_EQ(all[(c.top + y) * pitch + c.left + x], value(x, y));
    if (c.left > 0) {
      EXPECT_EQ(all[0], 0u) << "outside the lock stays transparent black";
    }
    hge->Texture_Unlock(tex);
    hge->Texture_Free(tex);
  }
  const HTEXTURE tex = hge->Texture_Create(3, 5);
  EXPECT_EQ(hge->Texture_Lock(tex, false, 2, 0, 4, 1), nullptr) << "beyond the real width";
  EXPECT_EQ(hge->Texture_Lock(tex, false, -1, 0, 1, 1), nullptr);
}

TEST(EngineTexture, ImageSizeAndRealSize) {
  HeadlessEngine hge;
  ASSERT_TRUE(hge.Ok());
  const HTARGET target = hge->Target_Create(1280, 720, false);
  const struct {
    const char* name;
    HTEXTURE tex;
    int imageW, imageH, realW, realH;
  } cases[] = {
      {"blank 100 x 30 is padded", hge->Texture_Create(100, 30), 100, 30, 128, 32},
      {"render target", hge->Target_GetTexture(target), 1280, 720, 1280, 720},
      {"no texture", 0, 0, 0, 0, 0},
      {"no width", hge->Texture_Create(0, 4), 0, 0, 0, 0},
      {"wider than any texture", hge->Texture_Create(9000, 1), 0, 0, 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(hge->Texture_GetWidth(c.tex, true), c.imageW);
    EXPECT_EQ(hge->Texture_GetHeight(c.tex, true), c.imageH);
    EXPECT_EQ(hge->Texture_GetWidth(c.tex, false), c.realW);
    EXPECT_EQ(hge->Texture_GetHeight(c.tex), c.realH);
  }
  // A freed handle is no texture, even when its slot is used again; a freed target's texture
  // goes with it.
  const HTEXTURE freed = hge->Texture_Create(10, 10);
  hge->Texture_Free(freed);
  const HTEXTURE reused = hge->Texture_Create(20, 20);
  EXPECT_NE(freed, reused);
  EXPECT_EQ(hge->Texture_GetWidth(freed, true), 0);
  EXPECT_EQ(hge->Texture_GetWidth(reused, true), 20);
  const HTEXTURE targetTexture = hge->Target_GetTexture(target);
  hge->Target_Free(target);
  EXPECT_EQ(hge->Texture_GetWidth(targetTexture, true), 0);
}

// Missing files give handle 0 (or no image), and handle 0 and stale handles are accepted
// everywhere and do nothing.
TEST(EngineResources, MissingFilesAndStaleHandles) {
  HeadlessEngine hge(320, 240, true);
  ASSERT_TRUE(hge.Ok());
  gcn::SDL2ImageLoader::Install();
  TempDir dir;
  platform_test::WriteText(dir.File("notes.txt"), "not a picture, not a sound");
  platform_test::WriteWav(dir.File("click.wav"));
  const std::string missing = dir.File("no/such/file.png");
  EXPECT_EQ(hge->Texture_Load(nullptr), 0u);
  EXPECT_EQ(hge->Effect_Load(missing.c_str()), 0u);
  if (hge->System_GetStateBool(HGE_USESOUND)) {  // with a mixer the data must decode too
    EXPECT_EQ(hge->Effect_Load(dir.File("notes.txt").c_str()), 0u);
  }
  const HEFFECT click = hge->Effect_Load(dir.File("click.wav").c_str());
  EXPECT_NE(click, 0u) << "a real sound still loads";
  hge->Effect_PlayEx(click, 100, 0, 1.0f, false);
  hge->Effect_Free(click);
  EXPECT_EQ(gcn::MyCButtonEx(missing).getImage(), nullptr);

  EXPECT_EQ(hge->Effect_Play(0), 0u);
  hge->Effect_Free(0);
  hge->Texture_Free(0);
  hge->Texture_Unlock(0);
  EXPECT_EQ(hge->Texture_Lock(0), nullptr);
  EXPECT_EQ(hge->Target_GetTexture(0), 0u);
  const HTARGET target = hge->Target_Create(16, 16, false);
  hgeSprite staleSprite(0xDEAD0001u, 0, 0, 8, 8);  // a handle that never was: nothing drawn
  EXPECT_EQ(DrawInto(hge.Get(), target, [&] { staleSprite.Render(0, 0); })[4 * 16 + 4], BLACK);
}

}  // namespace
