// The engine started headless for one test, and pixels read back from a render target:
// shared by the tests of every module that draws.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/engine/hge.h"

namespace testsupport {

class HeadlessEngine {
 public:
  explicit HeadlessEngine(int width = 320, int height = 240, bool sound = false) {
    m_hge = hgeCreate(HGE_VERSION);
    m_hge->System_SetStateBool(HGE_HEADLESS, true);
    m_hge->System_SetStateBool(HGE_USESOUND, sound);
    m_hge->System_SetStateInt(HGE_SCREENWIDTH, width);
    m_hge->System_SetStateInt(HGE_SCREENHEIGHT, height);
    m_ok = m_hge->System_Initiate();
  }
  ~HeadlessEngine() { m_hge->Release(); }
  HeadlessEngine(const HeadlessEngine&) = delete;
  HeadlessEngine& operator=(const HeadlessEngine&) = delete;
  HGE* operator->() const { return m_hge; }
  HGE* Get() const { return m_hge; }
  bool Ok() const { return m_ok; }

 private:
  HGE* m_hge;
  bool m_ok;
};

// The pixels of a render target (0xAARRGGBB, rows of the texture's real width), read through a
// read-only lock; empty when the lock fails.
inline std::vector<uint32_t> ReadTarget(HGE* hge, HTARGET target) {
  const HTEXTURE tex = hge->Target_GetTexture(target);
  const int w = hge->Texture_GetWidth(tex), h = hge->Texture_GetHeight(tex);
  std::vector<uint32_t> out;
  if (DWORD* p = hge->Texture_Lock(tex, true)) {
    out.assign(p, p + static_cast<size_t>(w) * h);
    hge->Texture_Unlock(tex);
  }
  return out;
}

}  // namespace testsupport
