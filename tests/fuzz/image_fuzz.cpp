// Image bytes to a texture through the engine's public interface, headless: any bytes give a
// texture of a sane size that can be drawn, or no texture (0), never a crash or a leak.
#include "fuzz_util.h"
#include "platform/engine/hge.h"
#include "tests/support/headless_engine.h"

namespace {

constexpr int kMaxSide = 8192;

HGE* Engine() {
  static testsupport::HeadlessEngine engine(64, 64);
  FUZZ_CHECK(engine.Ok(), "the headless engine did not start");
  return engine.Get();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // A size of 0 would make the engine read the bytes as a file name.
  if (size == 0) return 0;
  HGE* hge = Engine();
  const HTEXTURE tex =
      hge->Texture_Load(reinterpret_cast<const char*>(data), static_cast<DWORD>(size));
  if (tex == 0) return 0;
  const int w = hge->Texture_GetWidth(tex, true);
  const int h = hge->Texture_GetHeight(tex, true);
  FUZZ_CHECK(w >= 1 && h >= 1 && w <= kMaxSide && h <= kMaxSide, "a texture of %d x %d", w, h);
  FUZZ_CHECK(hge->Texture_GetWidth(tex) == w && hge->Texture_GetHeight(tex) == h,
             "a loaded texture is not the image's size");

  // Drawn once, scaled onto the small screen.
  hgeQuad quad{};
  const float corners[4][4] = {{0, 0, 0, 0}, {64, 0, 1, 0}, {64, 64, 1, 1}, {0, 64, 0, 1}};
  for (int i = 0; i < 4; ++i) {
    quad.v[i] = hgeVertex{corners[i][0], corners[i][1], 0.5f, 0xFFFFFFFF, corners[i][2],
                          corners[i][3]};
  }
  quad.tex = tex;
  quad.blend = BLEND_DEFAULT;
  if (hge->Gfx_BeginScene()) {
    hge->Gfx_Clear(0);
    hge->Gfx_RenderQuad(&quad);
    hge->Gfx_EndScene();
  }
  hge->Texture_Free(tex);
  return 0;
}
