// torvaly-view-demo: the real table view, headless, with the resource folder's art, drawing
// one scene built through its own setters (tools/view_demo/ViewScenes.h), saved as PNG.
//
//   torvaly-view-demo --scene NAME [--size WxH] [--out FILE] [--data DIR]
//
// The window size defaults to 1280x720; any other size shows the canvas scaled into it.
#include <cstdio>
#include <cstring>
#include <string>

#include "tools/view_demo/ViewScenes.h"

namespace {

int Usage(const char* program) {
  std::fprintf(stderr,
               "usage: %s --scene NAME [--size WxH] [--out FILE] [--data DIR]\n"
               "scenes: %s\n",
               program, ViewSceneNames());
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::string scene, out, data;
  int width = 1280, height = 720;
  for (int i = 1; i < argc; ++i) {
    const bool hasValue = i + 1 < argc;
    if (std::strcmp(argv[i], "--scene") == 0 && hasValue) {
      scene = argv[++i];
    } else if (std::strcmp(argv[i], "--out") == 0 && hasValue) {
      out = argv[++i];
    } else if (std::strcmp(argv[i], "--data") == 0 && hasValue) {
      data = argv[++i];
    } else if (std::strcmp(argv[i], "--size") == 0 && hasValue) {
      if (std::sscanf(argv[++i], "%dx%d", &width, &height) != 2 || width < 1 || height < 1 ||
          width > 4096 || height > 4096)
        return Usage(argv[0]);
    } else {
      return Usage(argv[0]);
    }
  }
  if (scene.empty()) return Usage(argv[0]);
  if (out.empty()) out = "view_" + scene + ".png";

  UseScratchProfile("torvaly-view-demo");
  CViewHost host(data, width, height);
  if (!host.Ok()) {
    std::fprintf(stderr, "torvaly-view-demo: the view could not start (is the font there?)\n");
    return 1;
  }
  if (!BuildViewScene(host, scene)) return Usage(argv[0]);
  if (!host.Snapshot(out)) {
    std::fprintf(stderr, "torvaly-view-demo: cannot write %s\n", out.c_str());
    return 1;
  }
  std::printf("%s: %s at %dx%d\n", out.c_str(), scene.c_str(), width, height);
  return 0;
}
