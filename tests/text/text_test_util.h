// Helpers of the text tests: a headless engine, a render target to draw text into, the two
// fonts, and a FreeType seam that counts (and can refuse) calls.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/engine/hge.h"
#include "platform/win/ResourceFolder.h"
#include "tests/support/headless_engine.h"
#include "text/FontManager.h"

namespace text_test {

inline const char* const kDejaVuSans = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

// The game font as the program finds it: in Torvaly/ of the resource folder.
inline std::string GameFontPath() { return ResolvePath("Torvaly\\fzzy.TTF"); }

class CountingApi : public CFreeTypeApi {
 public:
  using Api = CFreeTypeApi;
  FT_Error InitFreeType(FT_Library* l) override { return ++init, Api::InitFreeType(l); }
  FT_Error DoneFreeType(FT_Library l) override { return ++doneLibrary, Api::DoneFreeType(l); }
  FT_Error NewFace(FT_Library l, const char* path, FT_Long i, FT_Face* f) override {
    return ++newFace, Api::NewFace(l, path, i, f);
  }
  FT_Error DoneFace(FT_Face f) override { return ++doneFace, Api::DoneFace(f); }
  FT_Error SetPixelSizes(FT_Face f, FT_UInt w, FT_UInt h) override {
    return ++setPixelSizes, Api::SetPixelSizes(f, w, h);
  }
  FT_UInt GetCharIndex(FT_Face f, FT_ULong code) override {
    ++getCharIndex;
    return code == refusedChar ? 0 : Api::GetCharIndex(f, code);  // as if the face lacked it
  }
  FT_Error LoadGlyph(FT_Face f, FT_UInt i, FT_Int32 flags) override {
    return ++loadGlyph, Api::LoadGlyph(f, i, flags);
  }
  FT_Error RenderGlyph(FT_GlyphSlot s, FT_Render_Mode m) override {
    return ++renderGlyph, refuseRender ? FT_Err_Out_Of_Memory : Api::RenderGlyph(s, m);
  }
  FT_Error GetKerning(FT_Face f, FT_UInt l, FT_UInt r, FT_UInt mode, FT_Vector* k) override {
    return ++getKerning, Api::GetKerning(f, l, r, mode, k);
  }
  int AllCalls() const {
    return init + doneLibrary + newFace + doneFace + setPixelSizes + getCharIndex + loadGlyph +
           renderGlyph + getKerning;
  }
  void Reset() { *this = CountingApi(); }

  int init = 0, doneLibrary = 0, newFace = 0, doneFace = 0, setPixelSizes = 0, getCharIndex = 0,
      loadGlyph = 0, renderGlyph = 0, getKerning = 0;
  FT_ULong refusedChar = 0xFFFFFFFF;
  bool refuseRender = false;  // as if FreeType ran out of memory rendering
};

// The engine, started headless, with a render target that text is drawn into.
class Canvas {
 public:
  static constexpr int kWidth = 320;
  static constexpr int kHeight = 160;

  Canvas() : m_engine(kWidth, kHeight), m_hge(m_engine.Get()) {
    if (m_engine.Ok()) m_target = m_hge->Target_Create(kWidth, kHeight, false);
  }
  ~Canvas() {
    if (m_target) m_hge->Target_Free(m_target);
  }
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;

  bool Ok() const { return m_engine.Ok() && m_target != 0; }
  HGE* Engine() const { return m_hge; }

  // The target's pixels (0xAARRGGBB, kWidth per row) after draw ran on a transparent clear.
  std::vector<uint32_t> Render(const std::function<void()>& draw) {
    std::vector<uint32_t> out;
    if (!m_hge->Gfx_BeginScene(m_target)) return out;
    m_hge->Gfx_Clear(0);
    draw();
    m_hge->Gfx_EndScene();
    return testsupport::ReadTarget(m_hge, m_target);
  }

 private:
  testsupport::HeadlessEngine m_engine;
  HGE* m_hge;
  HTARGET m_target = 0;
};

struct Box {
  int left = 0, top = 0, right = -1, bottom = -1;  // inclusive; empty when right < left
  bool Empty() const { return right < left; }
};

// The box around every pixel that is not fully transparent.
inline Box InkBox(const std::vector<uint32_t>& pixels, int width = Canvas::kWidth) {
  Box box{width, 1 << 30, -1, -1};
  for (size_t i = 0; i < pixels.size(); ++i) {
    if ((pixels[i] >> 24) == 0) continue;
    const int x = static_cast<int>(i % width), y = static_cast<int>(i / width);
    box.left = std::min(box.left, x), box.right = std::max(box.right, x);
    box.top = std::min(box.top, y), box.bottom = std::max(box.bottom, y);
  }
  return box;
}

}  // namespace text_test
