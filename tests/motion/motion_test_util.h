// Helpers of the motion tests: frame strips whose every cell has its own colour, pixel reading
// from a render target, and listeners that note their calls.
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

// The colour of the cell at column c, row r of a strip: every cell differs.
constexpr uint32_t CellColor(int column, int row) {
  return 0xFF000000u | (static_cast<uint32_t>(column * 40 + 20) << 16) |
         (static_cast<uint32_t>(row * 40 + 20) << 8) | 0x80u;
}

// A texture of w x h (padded by the engine to powers of two) whose cells of cw x ch pixels
// have CellColor(column, row); the padding stays transparent.
inline HTEXTURE MakeCellTexture(HGE* hge, int w, int h, int cw, int ch) {
  const HTEXTURE tex = hge->Texture_Create(w, h);
  DWORD* p = tex != 0 ? hge->Texture_Lock(tex, false) : nullptr;
  if (p == nullptr) return 0;
  const int pitch = hge->Texture_GetWidth(tex);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) p[y * pitch + x] = CellColor(x / cw, y / ch);
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
  const std::vector<uint32_t> all = testsupport::ReadTarget(hge, target);
  const size_t pitch = static_cast<size_t>(hge->Texture_GetWidth(hge->Target_GetTexture(target)));
  for (size_t y = 0; y < static_cast<size_t>(h) && (y + 1) * pitch <= all.size(); ++y)
    out.insert(out.end(), all.begin() + y * pitch, all.begin() + y * pitch + w);
  hge->Target_Free(target);
  return out;
}

// Notes the ids it is called with, then runs `then` (when set).
class Listener : public VarnelAnimationCallBack, public VarnelMoveSpriteInterface {
 public:
  void OnAnimationFinished(int id) override { Note(id); }
  void OnMoveFinished(int id) override { Note(id); }
  std::vector<int> ids;
  std::function<void(int)> then;

 private:
  void Note(int id) {
    ids.push_back(id);
    if (then) then(id);
  }
};

}  // namespace motion_test
