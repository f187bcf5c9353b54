// view_bench: the cost of one table frame. The `dealt` table (tools/view_demo/ViewScenes.h)
// drawn by the real view at 1920 x 1080 on the software renderer, one whole turn of the frame's
// loop each (AdvanceFrame, widgets, the table into the canvas, the canvas scaled onto the
// screen, the widgets and counts on top), against a bare frame in the same run: clear the
// canvas, clear the screen, scale the canvas onto it. Prints both medians and their ratio.
//
//   view_bench [--frames N]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/engine/hgeSprite.h"
#include "tools/view_demo/ViewScenes.h"

namespace {

constexpr int kWidth = 1920, kHeight = 1080;

template <class Fn>
double MedianMs(int frames, Fn frame) {
  std::vector<double> times;
  times.reserve(static_cast<size_t>(frames));
  for (int i = 0; i < frames; ++i) {
    const auto start = std::chrono::steady_clock::now();
    frame();
    const auto end = std::chrono::steady_clock::now();
    times.push_back(std::chrono::duration<double, std::milli>(end - start).count());
  }
  std::nth_element(times.begin(), times.begin() + frames / 2, times.end());
  return times[static_cast<size_t>(frames / 2)];
}

}  // namespace

int main(int argc, char** argv) {
  int frames = 200;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--frames") == 0 && i + 1 < argc) {
      frames = std::max(1, std::atoi(argv[++i]));
    } else {
      std::fprintf(stderr, "usage: %s [--frames N]\n", argv[0]);
      return 2;
    }
  }
  UseScratchProfile("torvaly-view-bench");
  CViewHost host("", kWidth, kHeight);
  if (!host.Ok() || !BuildViewScene(host, "dealt")) {
    std::fprintf(stderr, "view_bench: the view could not start\n");
    return 1;
  }
  host.DrawEveryFrame();
  HGE* hge = host.Engine();
  CGameClientView& view = host.View();
  const float scale = static_cast<float>(kWidth) / 1280.0f;
  hgeSprite blit(hge->Target_GetTexture(view.m_hTarget), 0, 0, 1280, 720);

  host.Frames(10);  // glyphs and textures warm
  const double full = MedianMs(frames, [&] { host.Frame(16); });
  const double bare = MedianMs(frames, [&] {
    if (hge->Gfx_BeginScene(view.m_hTarget)) {
      hge->Gfx_Clear(0xFF000000);
      hge->Gfx_EndScene();
    }
    if (hge->Gfx_BeginScene(0)) {
      hge->Gfx_Clear(0xFF000000);
      blit.RenderEx(0.0f, 0.0f, 0.0f, scale, scale);
      hge->Gfx_EndScene();
    }
  });
  std::printf("renderer: %s, %dx%d, %d frames each\n", hge->System_GetStateString(HGE_RENDERERNAME),
              kWidth, kHeight, frames);
  std::printf("table frame (dealt): median %.3f ms\n", full);
  std::printf("bare frame (clear, blit, scale): median %.3f ms\n", bare);
  std::printf("ratio: %.2f\n", bare > 0.0 ? full / bare : 0.0);
  return 0;
}
