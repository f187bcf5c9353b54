// Helpers of the motion tests: a headless engine, frame strips whose every cell has its own
// colour, pixel reading from a render target, and listeners that count their calls.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <vector>

#include "motion/Animation_Varnel.h"
#include "motion/VarnelAnimationCallBack.h"
#include "motion/VarnelMoveSpriteInterface.h"
#include "platform/engine/hge.h"
#include "tests/support/headless_engine.h"

namespace motion_test {

// The engine, started headless on a 64 x 64 screen, for one test.
class HeadlessEngine : public testsupport::HeadlessEngine {
 public:
  HeadlessEngine() : testsupport::HeadlessEngine(64, 64) {}
};

// The colour of the cell at column c, row r of a strip: every cell differs.
constexpr uint32_t CellColor(int column, int row) {
  return 0xFF000000u | (static_cast<uint32_t>(column * 40 + 20) << 16) |
         (static_cast<uint32_t>(row * 40 + 20) << 8) | 0x80u;
}

// A blank texture of w x h (padded by the engine to powers of two) whose cells of cw x ch
// pixels have CellColor(column, row); the padding stays transparent.
inline HTEXTURE MakeCellTexture(HGE* hge, int w, int h, int cw, int ch) {
  const HTEXTURE tex = hge->Texture_Create(w, h);
  if (tex == 0) return 0;
  const int pitch = hge->Texture_GetWidth(tex);
  DWORD* p = hge->Texture_Lock(tex, false);
  if (p == nullptr) return 0;
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) p[y * pitch + x] = CellColor(x / cw, y / ch);
  }
  hge->Texture_Unlock(tex);
  return tex;
}

// Draws with draw() into a fresh w x h target cleared to black and returns its pixels.
template <typename Draw>
std::vector<uint32_t> RenderToPixels(HGE* hge, int w, int h, Draw draw) {
  std::vector<uint32_t> out;
  const HTARGET target = hge->Target_Create(w, h, false);
  if (target == 0 || !hge->Gfx_BeginScene(target)) return out;
  hge->Gfx_Clear(0xFF000000);
  draw();
  hge->Gfx_EndScene();
  const HTEXTURE tex = hge->Target_GetTexture(target);
  const int pitch = hge->Texture_GetWidth(tex);
  if (DWORD* p = hge->Texture_Lock(tex, true)) {
    out.resize(static_cast<size_t>(w) * h);
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) out[static_cast<size_t>(y) * w + x] = p[y * pitch + x];
    }
    hge->Texture_Unlock(tex);
  }
  hge->Target_Free(target);
  return out;
}

class CountingAnimationListener : public VarnelAnimationCallBack {
 public:
  void OnAnimationFinished(int id) override {
    ids.push_back(id);
    if (onFinished) onFinished(id);
  }
  std::vector<int> ids;
  std::function<void(int)> onFinished;
};

class CountingMoveListener : public VarnelMoveSpriteInterface {
 public:
  void OnMoveFinished(int id) override { ids.push_back(id); }
  std::vector<int> ids;
};

}  // namespace motion_test
