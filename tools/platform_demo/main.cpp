// torvaly-platform-demo: the platform layer at work without a display. Draws a few sprites
// (rotated, scaled, mirrored, tinted, half transparent), an image button in each of its four
// states and a clipped image into a 1280 x 720 render target, scales it onto a 1920 x 1080
// headless screen, saves the result as PNG and prints the median frame time of 200 frames on
// SDL's software renderer.
//
//   torvaly-platform-demo [--out FILE] [--frames N]
#include <SDL2/SDL.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/engine/hgeSprite.h"
#include "platform/gui/SDL2Graphics.h"
#include "widgets/MyCButtonEx.h"

namespace {

constexpr int kDesignW = 1280, kDesignH = 720;
constexpr int kScreenW = 1920, kScreenH = 1080;

// Fills a blank engine texture from a pixel function (0xAARRGGBB).
template <class Fn>
HTEXTURE MakeTexture(HGE* hge, int w, int h, Fn pixel) {
  const HTEXTURE tex = hge->Texture_Create(w, h);
  const int pitch = hge->Texture_GetWidth(tex);
  if (DWORD* p = hge->Texture_Lock(tex, false)) {
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) p[y * pitch + x] = pixel(x, y);
    hge->Texture_Unlock(tex);
  }
  return tex;
}

template <class Fn>
gcn::Image* MakeImage(int w, int h, Fn pixel) {
  SDL_Surface* s = SDL_CreateRGBSurfaceWithFormat(0, w, h, 32, SDL_PIXELFORMAT_ARGB8888);
  for (int y = 0; y < h; ++y) {
    auto* row = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(s->pixels) + y * s->pitch);
    for (int x = 0; x < w; ++x) row[x] = pixel(x, y);
  }
  return new gcn::SDL2Image(s);
}

// A card face: white with a rounded border and a red diamond in the middle.
DWORD CardPixel(int x, int y) {
  const int w = 72, h = 100;
  const bool border = x < 3 || y < 3 || x >= w - 3 || y >= h - 3;
  const bool corner = (x < 6 && y < 6) || (x >= w - 6 && y < 6) || (x < 6 && y >= h - 6) ||
                      (x >= w - 6 && y >= h - 6);
  if (corner && (x - (x < 6 ? 6 : w - 7)) * (x - (x < 6 ? 6 : w - 7)) +
                        (y - (y < 6 ? 6 : h - 7)) * (y - (y < 6 ? 6 : h - 7)) >
                    36)
    return 0x00000000;
  if (border) return 0xFF303840;
  const int dx = std::abs(x - w / 2), dy = std::abs(y - h / 2);
  if (dx * 3 + dy * 2 < 60) return 0xFFD02828;
  if (x > 8 && x < 20 && y > 8 && y < 26) return 0xFFD02828;  // the corner mark
  return 0xFFF8F4EC;
}

// A gold chip: a disc with a soft edge and a ring.
DWORD ChipPixel(int x, int y) {
  const float dx = x - 31.5f, dy = y - 31.5f;
  const float r = std::sqrt(dx * dx + dy * dy);
  if (r > 31.5f) return 0;
  const DWORD a = r > 30.0f ? static_cast<DWORD>((31.5f - r) / 1.5f * 255) : 255;
  const bool ring = r > 20 && r < 25;
  return (a << 24) | (ring ? 0xFFFFFF : 0xE0B030);
}

// The state strip of a button: four 120 x 44 pictures, a bar that moves with the state.
DWORD ButtonPixel(int x, int y) {
  static const DWORD fill[4] = {0xFF2E6FD0, 0xFF1C4A90, 0xFF4A90FF, 0xFF7A7A7A};
  const int column = x / 120, cx = x % 120;
  if (cx < 2 || cx >= 118 || y < 2 || y >= 42) return 0xFF101820;
  const int offset = column == 1 ? 2 : 0;
  if (y >= 18 + offset && y < 26 + offset && cx >= 30 + offset && cx < 90 + offset)
    return column == 3 ? 0xFFB0B0B0 : 0xFFFFFFFF;
  return fill[column];
}

// The picture that is clipped: a checkerboard with a disc, larger than its frame.
DWORD ClippedPixel(int x, int y) {
  const int dx = x - 150, dy = y - 150;
  if (dx * dx + dy * dy < 90 * 90) return 0xFFE07020;
  return ((x / 25 + y / 25) % 2) ? 0xFF3A3A6A : 0xFFC8C8E8;
}

void Push(const SDL_Event& e) {
  SDL_Event copy = e;
  SDL_PushEvent(&copy);
}

}  // namespace

int main(int argc, char** argv) {
  std::string out = "platform_demo.png";
  int frames = 200;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--out") == 0 && i + 1 < argc)
      out = argv[++i];
    else if (std::strcmp(argv[i], "--frames") == 0 && i + 1 < argc)
      frames = std::max(1, std::atoi(argv[++i]));
    else {
      std::fprintf(stderr, "usage: %s [--out FILE] [--frames N]\n", argv[0]);
      return 2;
    }
  }

  HGE* hge = hgeCreate(HGE_VERSION);
  hge->System_SetStateBool(HGE_HEADLESS, true);
  hge->System_SetStateBool(HGE_USESOUND, false);
  hge->System_SetStateInt(HGE_SCREENWIDTH, kScreenW);
  hge->System_SetStateInt(HGE_SCREENHEIGHT, kScreenH);
  if (!hge->System_Initiate()) {
    std::fprintf(stderr, "torvaly-platform-demo: %s\n", hge->System_GetErrorMessage());
    hge->Release();
    return 1;
  }
  int result = 0;
  {
    const HTARGET target = hge->Target_Create(kDesignW, kDesignH, false);
    const HTEXTURE cardTex = MakeTexture(hge, 72, 100, CardPixel);
    const HTEXTURE chipTex = MakeTexture(hge, 64, 64, ChipPixel);
    hgeSprite blit(hge->Target_GetTexture(target), 0, 0, kDesignW, kDesignH);
    hgeSprite cloth(0, 0, 0, kDesignW, kDesignH);
    cloth.SetColor(0xFF2A7A4A, 0);
    cloth.SetColor(0xFF2A7A4A, 1);
    cloth.SetColor(0xFF0E3A22, 2);
    cloth.SetColor(0xFF0E3A22, 3);
    hgeSprite card(cardTex);
    card.SetHotSpot(36, 100);
    hgeSprite chip(chipTex);
    chip.SetHotSpot(32, 32);

    // The widgets: four buttons, one per state, and an image seen through a smaller frame.
    gcn::SDL2Graphics graphics;
    graphics.setTargetSize(kDesignW, kDesignH);
    gcn::SDL2Input input;
    gcn::Container top;
    top.setOpaque(false);
    top.setDimension(gcn::Rectangle(0, 0, kDesignW, kDesignH));
    gcn::Gui gui;
    gui.setGraphics(&graphics);
    gui.setInput(&input);
    gui.setTop(&top);
    std::unique_ptr<gcn::MyCButtonEx> buttons[4];
    for (int i = 0; i < 4; ++i) {
      buttons[i] = std::make_unique<gcn::MyCButtonEx>(MakeImage(480, 44, ButtonPixel));
      buttons[i]->setPosition(600 + i * 150, 620);
      top.add(buttons[i].get());
    }
    buttons[3]->SetEnable(false);
    std::unique_ptr<gcn::Image> clippedImage(MakeImage(300, 300, ClippedPixel));
    gcn::Container frame;
    frame.setOpaque(true);
    frame.setBaseColor(gcn::Color(20, 20, 30));
    frame.setDimension(gcn::Rectangle(60, 540, 220, 150));
    gcn::Icon icon(clippedImage.get());
    icon.setPosition(-40, -70);
    frame.add(&icon);
    top.add(&frame);

    // Button 1 pressed from the keyboard (it has the focus), the mouse over button 2.
    buttons[1]->requestFocus();
    SDL_Event e{};
    e.type = SDL_KEYDOWN;
    e.key.keysym.sym = SDLK_SPACE;
    Push(e);
    e = SDL_Event{};
    e.type = SDL_MOUSEMOTION;
    e.motion.x = 600 + 2 * 150 + 50;
    e.motion.y = 640;
    Push(e);
    while (hge->System_PollEvent(&e)) input.pushInput(e);
    gcn::GuiGuard("demo", [&] { gui.logic(); });
    std::printf("button states:");
    for (auto& b : buttons) std::printf(" %d", b->getStateColumn());
    std::printf(" (0 normal, 1 pressed, 2 mouse over, 3 disabled)\n");

    std::vector<double> times;
    times.reserve(frames);
    for (int f = 0; f < frames; ++f) {
      const auto start = std::chrono::steady_clock::now();
      const float t = f / 60.0f;
      if (hge->Gfx_BeginScene(target)) {
        hge->Gfx_Clear(0xFF000000);
        cloth.Render(0, 0);
        for (int i = 0; i < 5; ++i) {  // a fan of cards about their bottom centre
          card.SetFlip(false, false);
          card.SetColor(0xFFFFFFFF);
          card.RenderEx(640, 420, (i - 2) * 0.18f + 0.02f * std::sin(t), 1.4f);
        }
        card.SetFlip(true, true, true);  // upside down and mirrored, at the left seat
        card.RenderEx(220, 260, 0.5f, 1.2f);
        card.SetFlip(false, false);
        card.SetColor(0x80FFFFFF);  // half transparent, at the right seat
        card.RenderEx(1060, 260, -0.5f, 1.2f);
        card.SetColor(0xFF80C0FF);  // tinted blue
        card.RenderEx(1160, 300, -0.3f, 1.0f);
        card.SetColor(0xFFFFFFFF);
        for (int i = 0; i < 6; ++i) {  // chips, scaled and rotated
          chip.SetColor(i % 2 ? 0xFFFFFFFF : 0xFFFF9090);
          chip.RenderEx(500 + i * 56.0f, 120, i * 0.4f + t, 0.6f + 0.12f * i);
        }
        gcn::GuiGuard("demo", [&] { gui.draw(); });
        hge->Gfx_EndScene();
      }
      if (hge->Gfx_BeginScene(0)) {
        hge->Gfx_Clear(0xFF000000);
        blit.SetTexture(hge->Target_GetTexture(target));
        blit.RenderEx(0, 0, 0, 1.5f);
        hge->Gfx_EndScene();
      }
      times.push_back(
          std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
              .count());
    }
    std::sort(times.begin(), times.end());
    const double median = times.size() % 2
                              ? times[times.size() / 2]
                              : (times[times.size() / 2 - 1] + times[times.size() / 2]) / 2;
    if (!hge->System_Snapshot(out.c_str())) {
      std::fprintf(stderr, "torvaly-platform-demo: could not save %s\n", out.c_str());
      result = 1;
    }
    std::printf(
        "%d x %d frame scaled to %d x %d, renderer %s: median frame time of %d frames "
        "%.2f ms; saved %s\n",
        kDesignW, kDesignH, kScreenW, kScreenH, hge->System_GetStateString(HGE_RENDERERNAME),
        frames, median, out.c_str());

    frame.remove(&icon);
    top.remove(&frame);
    for (auto& b : buttons) top.remove(b.get());
    gui.setTop(nullptr);
    hge->Texture_Free(cardTex);
    hge->Texture_Free(chipTex);
    hge->Target_Free(target);
  }
  hge->Release();
  return result;
}
