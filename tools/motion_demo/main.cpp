// torvaly-motion-demo: renders one headless frame of a moving sprite half way along its path -
// a looping 8-frame animation (two rows of four frames, so the strip wraps onto its second
// row), turning clockwise and growing as it flies - and saves it as PNG.
//
//   torvaly-motion-demo [OUTPUT.png]      (default motion_demo.png)
//
// The time is simulated: a manual millisecond clock and fixed frame steps, so every run draws
// the same picture. What it shows is printed on stdout.
#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "motion/Animation_Varnel.h"
#include "motion/MoveSpriteManager_Varnel.h"
#include "motion/MoveSprite_Varnel.h"
#include "motion/MoveType_Path_Varnel.h"
#include "platform/engine/hge.h"
#include "platform/win/WinTime.h"
#include "platform/win/ResourceFolder.h"
#include "text/FontManager.h"

namespace {

constexpr int kScreenW = 640;
constexpr int kScreenH = 360;
constexpr int kCell = 64;         // frame size
constexpr int kColumns = 4;       // frames per row of the strip image
constexpr int kFrames = 8;
constexpr float kStep = 1.0f / 60;  // simulated frame time
constexpr int kSteps = 108;         // 1.8 s: two thirds along the second leg, frame 5
constexpr int kMotionId = 111;

const VarnelPoint kStart{90, 290};
const VarnelPoint kPath[] = {{320, 90}, {550, 290}};

const DWORD kFrameColors[kFrames] = {0xFFE04040, 0xFFE08A30, 0xFFE0D030, 0xFF60C040,
                                     0xFF30B0B0, 0xFF3070E0, 0xFF8050D0, 0xFFD050A0};

DWORD Darker(DWORD c) {
  return ARGB(GETA(c), GETR(c) / 2, GETG(c) / 2, GETB(c) / 2);
}

// One frame of the strip: a coloured disc with a white arrow pointing up (shows the turn), a
// dark hand at frame x 45 degrees (shows the frame steps) and frame + 1 dots along the bottom.
DWORD FramePixel(int frame, int x, int y) {
  const float cx = kCell / 2.0f - 0.5f, cy = kCell / 2.0f - 0.5f;
  const float dx = x - cx, dy = y - cy;
  const float r = std::sqrt(dx * dx + dy * dy);
  if (r > 30.5f) return 0;
  const DWORD color = kFrameColors[frame];
  if (r > 27.5f) return Darker(color);
  // Arrow: a triangle with its tip at the top.
  if (y >= 6 && y <= 24 && std::fabs(dx) <= (y - 6) * 0.6f) return 0xFFFFFFFF;
  // Hand from the centre at frame x 45 degrees, clockwise from "up".
  const float a = frame * 0.7853982f;
  const float ux = std::sin(a), uy = -std::cos(a);
  const float along = dx * ux + dy * uy;
  const float across = std::fabs(dx * uy - dy * ux);
  if (along >= 0 && along <= 20 && across <= 2.0f) return 0xFF202020;
  // Dots: frame + 1 of them.
  if (y >= 44 && y <= 48) {
    const int slot = (x - 12) / 5;
    if (x >= 12 && slot <= frame && (x - 12) % 5 < 3) return 0xFF202020;
  }
  return color;
}

HTEXTURE MakeStrip(HGE* hge) {
  const int w = kCell * kColumns, h = kCell * ((kFrames + kColumns - 1) / kColumns);
  const HTEXTURE tex = hge->Texture_Create(w, h);
  if (tex == 0) return 0;
  const int pitch = hge->Texture_GetWidth(tex);
  DWORD* p = hge->Texture_Lock(tex, false);
  if (p == nullptr) return 0;
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const int frame = (y / kCell) * kColumns + x / kCell;
      p[y * pitch + x] = frame < kFrames ? FramePixel(frame, x % kCell, y % kCell) : 0;
    }
  }
  hge->Texture_Unlock(tex);
  return tex;
}

void FillRect(HGE* hge, float x1, float y1, float x2, float y2, DWORD top, DWORD bottom) {
  hgeQuad q{};
  q.v[0] = {x1, y1, 0.5f, top, 0, 0};
  q.v[1] = {x2, y1, 0.5f, top, 0, 0};
  q.v[2] = {x2, y2, 0.5f, bottom, 0, 0};
  q.v[3] = {x1, y2, 0.5f, bottom, 0, 0};
  q.tex = 0;
  q.blend = BLEND_DEFAULT;
  hge->Gfx_RenderQuad(&q);
}

void Marker(HGE* hge, VarnelPoint p, DWORD color) {
  FillRect(hge, p.x - 3, p.y - 3, p.x + 3, p.y + 3, color, color);
}

// Text of the demo goes here: the game font at 18 px with "游戏玩家", "********" and
// "12345678901234" along the top of the picture, drawn after the sprite. The font is set up
// as the table does it (yellow, 18 px, a..y and A..Z pre-rendered); the gold is formatted with
// "%I64u" like a seat's gold.
void DrawDemoText(HGE* /*hge*/) {
  CFontManager fonts;
  const std::string path = ResolvePath("Torvaly\\fzzy.TTF");
  if (!fonts.Init() || !fonts.LoadFont(path.c_str())) {
    std::fprintf(stderr, "torvaly-motion-demo: no game font at %s\n", path.c_str());
    return;
  }
  CTTFont* font = fonts.GetFont(path.c_str());
  font->SetColor(0xFFFFFF00);
  font->SetSize(18);
  font->CacheRange(L'a', L'z');
  font->CacheString(L"ABCDEFGHIJKLMNOPQRSTUVWXYZ");
  font->DrawString(L"游戏玩家", 20, 32);
  font->DrawString(L"********", 130, 32);
  font->DrawText(250, 32, L"%I64u", 12345678901234ULL);
}

}  // namespace

int main(int argc, char** argv) {
  const char* output = argc > 1 ? argv[1] : "motion_demo.png";
  CScopedManualClock clock;  // the path's start delay reads this clock

  HGE* hge = hgeCreate(HGE_VERSION);
  hge->System_SetStateBool(HGE_HEADLESS, true);
  hge->System_SetStateBool(HGE_USESOUND, false);
  hge->System_SetStateInt(HGE_SCREENWIDTH, kScreenW);
  hge->System_SetStateInt(HGE_SCREENHEIGHT, kScreenH);
  if (!hge->System_Initiate()) {
    std::fprintf(stderr, "torvaly-motion-demo: %s\n", hge->System_GetErrorMessage());
    hge->Release();
    return 1;
  }

  int status = 0;
  {
    const HTEXTURE strip = MakeStrip(hge);
    Animation_Varnel animation(1, strip, kFrames, 12.0f, 0, 0, kCell, kCell);
    animation.SetMode(Animation_Varnel::MODE_FORWARD_LOOP);

    auto path = std::make_unique<MoveType_Path_Varnel>(kMotionId);
    path->SetSpeed(300);
    path->SetDelay(100);
    for (const VarnelPoint& p : kPath) path->AddPoint(p.x, p.y);
    MoveType_Path_Varnel* law = path.get();
    auto sprite = std::make_unique<MoveSprite_Varnel>(&animation, std::move(path), nullptr,
                                                      kStart.x, kStart.y, -1);
    law->SetScaleX(0.6f, 1.8f, 0.5f);
    law->SetScaleY(0.6f, 1.8f, 0.5f);
    sprite->SetRotateSpeed(45.0f);
    MoveSprite_Varnel* flying = sprite.get();
    MoveSpriteManager_Varnel manager;
    manager.AddSprite(std::move(sprite));

    std::vector<VarnelPoint> trail;
    for (int i = 0; i < kSteps; ++i) {
      clock.Advance(static_cast<uint64_t>(std::lround(kStep * 1000)));
      manager.Update(kStep);
      if (i % 8 == 7) trail.push_back({flying->GetX(), flying->GetY()});
    }

    if (hge->Gfx_BeginScene()) {
      hge->Gfx_Clear(0xFF000000);
      FillRect(hge, 0, 0, kScreenW, kScreenH, 0xFF16324A, 0xFF0B5A3C);
      VarnelPoint from = kStart;
      for (const VarnelPoint& to : kPath) {
        hge->Gfx_RenderLine(from.x, from.y, to.x, to.y, 0xC0FFFFFF);
        from = to;
      }
      Marker(hge, kStart, 0xFFFFFFFF);
      for (const VarnelPoint& p : kPath) Marker(hge, p, 0xFFFFD040);
      for (const VarnelPoint& p : trail) Marker(hge, p, 0x90FFFFFF);
      manager.Render();
      // The collision box (which does not scale) and the turned rectangle as drawn.
      const float hw = flying->GetBoxWidth() / 2, hh = flying->GetBoxHeight() / 2;
      const float x = flying->GetX(), y = flying->GetY();
      const DWORD box = 0xFF40FF40;
      hge->Gfx_RenderLine(x - hw, y - hh, x + hw, y - hh, box);
      hge->Gfx_RenderLine(x + hw, y - hh, x + hw, y + hh, box);
      hge->Gfx_RenderLine(x + hw, y + hh, x - hw, y + hh, box);
      hge->Gfx_RenderLine(x - hw, y + hh, x - hw, y - hh, box);
      for (int i = 0; i < 4; ++i) {
        const VarnelPoint a = flying->GetCorner(i), b = flying->GetCorner((i + 1) % 4);
        hge->Gfx_RenderLine(a.x, a.y, b.x, b.y, 0xFFFF4040);
      }
      DrawDemoText(hge);
      hge->Gfx_EndScene();
    }
    if (!hge->System_Snapshot(output)) {
      std::fprintf(stderr, "torvaly-motion-demo: could not save %s\n", output);
      status = 1;
    } else {
      std::printf(
          "%s: sprite at (%.1f, %.1f) heading for point %d of %d, angle %.1f degrees, "
          "scale %.3f, frame %d of %d, alive %d\n",
          output, flying->GetX(), flying->GetY(), law->GetCurrent() + 1, law->GetPointCount(),
          flying->GetAngle(), flying->GetScaleX(), animation.GetFrame(), kFrames,
          flying->IsAlive() ? 1 : 0);
    }
    manager.Clear();  // the sprites go before the animation they carry
    hge->Texture_Free(strip);
  }
  hge->Release();
  return status;
}
