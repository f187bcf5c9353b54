// The engine's textures and render targets on one SDL renderer, addressed by handles
// (HandleTable.h). Works on any renderer that supports target textures, the software renderer
// on a surface included, so it can be used without a window or the rest of the engine.
//
// Three kinds of texture:
//   loaded - from an image file or file data (PNG, JPEG or BMP of at most 4096 x 4096, see
//            ImageFile.h), exactly the image's size; not lockable;
//   blank  - from Create, rounded up to powers of two (a 100 x 30 request is 128 x 32); a lock
//            reads and writes the renderer's own copy of the pixels (a streaming texture), so
//            they are held once; they start transparent black;
//   target - the texture of a render target, as large as asked; a lock reads its pixels from the
//            renderer and an unlock writes them back unless the lock was read-only.
// Width(tex, true) is the image's own size, Width(tex, false) the texture's real size. Pixels are
// 0xAARRGGBB, rows of the real width. No side may exceed kMaxSide.
//
// Making a target and locking one switch the renderer's target for a moment and put the
// previous one back; SDL forgets the clip rectangle when the target changes, so the caller
// applies its clipping again afterwards.
#pragma once

#include <SDL2/SDL.h>

#include <cstdint>
#include <vector>

#include "platform/engine/EngineGraphics.h"
#include "platform/engine/HandleTable.h"
#include "platform/engine/hge.h"

class CEngineTextures final : public ITexturePixels {
 public:
  static constexpr int kMaxSide = 8192;

  CEngineTextures() = default;
  ~CEngineTextures() { FreeAll(); }
  CEngineTextures(const CEngineTextures&) = delete;
  CEngineTextures& operator=(const CEngineTextures&) = delete;

  // The renderer every texture is made on (null: nothing can be made).
  void Attach(SDL_Renderer* renderer) { m_renderer = renderer; }
  // Linear (true) or nearest scaling for textures made from now on.
  void SetFilter(bool filter) { m_filter = filter; }
  // Frees every texture and target.
  void FreeAll();

  HTEXTURE Create(int width, int height);
  // size 0: `filename` is a file name; otherwise it points to size bytes of file data. 0 for
  // anything the image reader refuses (ImageFile.h), like a missing file.
  HTEXTURE Load(const char* filename, DWORD size);
  void Free(HTEXTURE tex);
  int Width(HTEXTURE tex, bool original);
  int Height(HTEXTURE tex, bool original);
  DWORD* Lock(HTEXTURE tex, bool readOnly, int left, int top, int width, int height);
  void Unlock(HTEXTURE tex);

  HTARGET CreateTarget(int width, int height);
  void FreeTarget(HTARGET target);
  HTEXTURE TargetTexture(HTARGET target);

  // The SDL texture behind a live handle, null otherwise.
  SDL_Texture* Sdl(HTEXTURE tex);

  // Reads w x h pixels (ARGB) of a target texture into `out`; puts the previous target back.
  bool ReadPixels(SDL_Texture* texture, int w, int h, uint32_t* out);

  // The pixels of a loaded texture, read back from the renderer when first asked and kept
  // until it is freed (for drawing it turned); false for blank and target textures, whose
  // pixels change, and for one whose read failed once (the caller draws it another way). Switches
  // the renderer's target for a moment, as a lock does.
  bool Pixels(SDL_Texture* texture, tagTexturePixels& out) override;

 private:
  enum class Kind { Loaded, Blank, Target };
  struct Texture {
    SDL_Texture* sdl = nullptr;
    Kind kind = Kind::Loaded;
    int imageW = 0, imageH = 0;
    int realW = 0, realH = 0;
    // target: the snapshot of a lock; blank: see ownPixels; loaded: kept once drawn turned
    std::vector<uint32_t> pixels;
    bool ownPixels = false;   // blank on a renderer whose rows are not the width: pixels kept here
    bool unreadable = false;  // loaded: its pixels could not be read back; not tried again
    bool locked = false;
    bool lockReadOnly = true;
  };
  struct Target {
    HTEXTURE tex = 0;
  };

  SDL_Texture* MakeSdl(int w, int h, int access);

  SDL_Renderer* m_renderer = nullptr;
  bool m_filter = true;
  CHandleTable<Texture> m_textures;
  CHandleTable<Target> m_targets;
};
