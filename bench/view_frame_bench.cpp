// view_bench: the cost of one table frame on the software renderer. Each named scene of the view
// demo (tools/view_demo/ViewScenes.h) is drawn by the real view, one whole turn of the frame's
// loop each (AdvanceFrame, the table into the canvas, the end panel's canvases when it is up,
// the canvas scaled onto the screen, the widgets and counts on top), at each screen size: the
// window's first size (1284 x 748), a 1920 x 1080 screen and the canvas's own size. A bare frame
// (clear the canvas, clear the screen, scale the canvas onto it) is the yardstick; the end
// panel's turn alone (what a still panel asks for 25 times a second) is timed too. Prints the
// median and 90th percentile of each.
//
//   view_bench [--frames N] [--scene NAME]...     (default scenes: dealt, end)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/engine/hgeSprite.h"
#include "tools/view_demo/ViewScenes.h"

namespace {

struct tagTimes {
  double median, p90;
};

template <class Fn>
tagTimes FrameMs(int frames, Fn frame) {
  std::vector<double> times;
  times.reserve(static_cast<size_t>(frames));
  for (int i = 0; i < frames; ++i) {
    const auto start = std::chrono::steady_clock::now();
    frame();
    const auto end = std::chrono::steady_clock::now();
    times.push_back(std::chrono::duration<double, std::milli>(end - start).count());
  }
  std::sort(times.begin(), times.end());
  return {times[times.size() / 2], times[times.size() * 9 / 10]};
}

}  // namespace

int main(int argc, char** argv) {
  int frames = 200;
  std::vector<std::string> scenes;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--frames") == 0 && i + 1 < argc) {
      frames = std::max(1, std::atoi(argv[++i]));
    } else if (std::strcmp(argv[i], "--scene") == 0 && i + 1 < argc) {
      scenes.emplace_back(argv[++i]);
    } else {
      std::fprintf(stderr, "usage: %s [--frames N] [--scene NAME]...\n", argv[0]);
      return 2;
    }
  }
  if (scenes.empty()) scenes = {"dealt", "end"};
  UseScratchProfile("torvaly-view-bench");
  const struct { int width, height; } sizes[] = {{1284, 748}, {1920, 1080}, {1280, 720}};
  std::printf("%d frames each, software renderer\n", frames);
  for (const auto& size : sizes) {
    for (const std::string& scene : scenes) {
      CViewHost host("", size.width, size.height);
      host.DrawEveryFrame();
      if (!host.Ok() || !BuildViewScene(host, scene.c_str())) {
        std::fprintf(stderr, "view_bench: no scene %s\n", scene.c_str());
        return 1;
      }
      host.Frames(10);  // glyphs and textures warm
      const tagTimes t = FrameMs(frames, [&] { host.Frame(16); });
      std::printf("%4dx%-4d %-8s frame: median %6.2f ms, 90th percentile %6.2f ms\n", size.width,
                  size.height, scene.c_str(), t.median, t.p90);
      if (scene == "end") {
        // The frames a still end panel asks for: its backdrop's square alone.
        const tagTimes turn = FrameMs(frames, [&] {
          host.View().SetOnlyDueFrame(true);
          host.Frame(33);
        });
        host.View().SetOnlyDueFrame(false);
        std::printf("%4dx%-4d end turn frame: median %6.2f ms, 90th percentile %6.2f ms\n",
                    size.width, size.height, turn.median, turn.p90);
      }
      if (scene != scenes.back()) continue;
      HGE* hge = host.Engine();
      CGameClientView& view = host.View();
      const float scale = std::min(static_cast<float>(size.width) / 1280.0f,
                                   static_cast<float>(size.height) / 720.0f);
      hgeSprite blit(hge->Target_GetTexture(view.m_hTarget), 0, 0, 1280, 720);
      const tagTimes bare = FrameMs(frames, [&] {
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
      std::printf("%4dx%-4d bare     frame: median %6.2f ms, 90th percentile %6.2f ms\n",
                  size.width, size.height, bare.median, bare.p90);
    }
  }
  return 0;
}
