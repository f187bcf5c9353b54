#include "platform/engine/EngineTextures.h"

#include <cstring>

#include "platform/engine/ImageFile.h"

namespace {

int RoundUpPow2(int v) {
  int p = 1;
  while (p < v) p <<= 1;
  return p;
}

bool SideOk(int v) { return v >= 1 && v <= CEngineTextures::kMaxSide; }

}  // namespace

SDL_Texture* CEngineTextures::MakeSdl(int w, int h, int access) {
  if (m_renderer == nullptr) return nullptr;
  SDL_Texture* sdl = SDL_CreateTexture(m_renderer, SDL_PIXELFORMAT_ARGB8888, access, w, h);
  if (sdl == nullptr) return nullptr;
  SDL_SetTextureBlendMode(sdl, SDL_BLENDMODE_BLEND);
  SDL_SetTextureScaleMode(sdl, m_filter ? SDL_ScaleModeLinear : SDL_ScaleModeNearest);
  return sdl;
}

void CEngineTextures::FreeAll() {
  for (uint32_t h : m_targets.Handles()) FreeTarget(h);
  for (uint32_t h : m_textures.Handles()) Free(h);
}

HTEXTURE CEngineTextures::Create(int width, int height) {
  if (!SideOk(width) || !SideOk(height)) return 0;
  Texture tex;
  tex.kind = Kind::Blank;
  tex.imageW = width;
  tex.imageH = height;
  tex.realW = RoundUpPow2(width);
  tex.realH = RoundUpPow2(height);
  // A streaming texture: a lock reaches the renderer's own copy of the pixels (the software
  // renderer's surface, the OpenGL renderer's upload buffer), so they are not kept twice.
  tex.sdl = MakeSdl(tex.realW, tex.realH, SDL_TEXTUREACCESS_STREAMING);
  if (tex.sdl == nullptr) return 0;
  void* pixels = nullptr;
  int pitch = 0;
  if (SDL_LockTexture(tex.sdl, nullptr, &pixels, &pitch) != 0) {
    SDL_DestroyTexture(tex.sdl);
    return 0;
  }
  for (int y = 0; y < tex.realH; ++y)
    std::memset(static_cast<uint8_t*>(pixels) + static_cast<size_t>(y) * pitch, 0,
                static_cast<size_t>(tex.realW) * 4);
  SDL_UnlockTexture(tex.sdl);
  // A renderer whose rows are not the texture's width keeps the pixels here, as they are
  // handed out.
  tex.ownPixels = pitch != tex.realW * 4;
  if (tex.ownPixels) tex.pixels.assign(static_cast<size_t>(tex.realW) * tex.realH, 0u);
  const HTEXTURE h = m_textures.Add(tex);
  if (h == 0) SDL_DestroyTexture(tex.sdl);
  return h;
}

HTEXTURE CEngineTextures::Load(const char* filename, DWORD size) {
  if (m_renderer == nullptr || filename == nullptr) return 0;
  SDL_Surface* argb = size ? LoadImageSurface(filename, size) : LoadImageSurface(filename);
  if (argb == nullptr) return 0;
  HTEXTURE h = 0;
  if (SideOk(argb->w) && SideOk(argb->h)) {
    Texture tex;
    tex.kind = Kind::Loaded;
    tex.imageW = tex.realW = argb->w;
    tex.imageH = tex.realH = argb->h;
    tex.sdl = MakeSdl(argb->w, argb->h, SDL_TEXTUREACCESS_STATIC);
    if (tex.sdl != nullptr) {
      SDL_UpdateTexture(tex.sdl, nullptr, argb->pixels, argb->pitch);
      h = m_textures.Add(tex);
      if (h == 0) {
        SDL_DestroyTexture(tex.sdl);
      } else {
        // The way back from the SDL texture to its handle (Pixels).
        SDL_SetTextureUserData(tex.sdl, reinterpret_cast<void*>(static_cast<uintptr_t>(h)));
      }
    }
  }
  SDL_FreeSurface(argb);
  return h;
}

void CEngineTextures::Free(HTEXTURE h) {
  Texture* tex = m_textures.Get(h);
  if (tex == nullptr) return;
  if (tex->sdl) SDL_DestroyTexture(tex->sdl);
  m_textures.Remove(h);
}

int CEngineTextures::Width(HTEXTURE h, bool original) {
  Texture* tex = m_textures.Get(h);
  return tex ? (original ? tex->imageW : tex->realW) : 0;
}

int CEngineTextures::Height(HTEXTURE h, bool original) {
  Texture* tex = m_textures.Get(h);
  return tex ? (original ? tex->imageH : tex->realH) : 0;
}

SDL_Texture* CEngineTextures::Sdl(HTEXTURE h) {
  Texture* tex = m_textures.Get(h);
  return tex ? tex->sdl : nullptr;
}

DWORD* CEngineTextures::Lock(HTEXTURE h, bool readOnly, int left, int top, int width, int height) {
  Texture* tex = m_textures.Get(h);
  if (tex == nullptr || tex->locked || tex->kind == Kind::Loaded) return nullptr;
  if (width == 0 || height == 0) {
    left = top = 0;
    width = tex->realW;
    height = tex->realH;
  }
  if (left < 0 || top < 0 || width < 0 || height < 0 || left > tex->realW - width ||
      top > tex->realH - height)
    return nullptr;
  if (tex->kind == Kind::Target) {
    tex->pixels.assign(static_cast<size_t>(tex->realW) * tex->realH, 0u);
    if (!ReadPixels(tex->sdl, tex->realW, tex->realH, tex->pixels.data())) {
      tex->pixels.clear();
      return nullptr;
    }
  }
  uint32_t* pixels = tex->pixels.data();
  if (tex->kind == Kind::Blank && !tex->ownPixels) {
    void* locked = nullptr;
    int pitch = 0;
    if (SDL_LockTexture(tex->sdl, nullptr, &locked, &pitch) != 0) return nullptr;
    if (pitch != tex->realW * 4) {
      SDL_UnlockTexture(tex->sdl);
      return nullptr;
    }
    pixels = static_cast<uint32_t*>(locked);
  }
  tex->locked = true;
  tex->lockReadOnly = readOnly;
  return pixels + static_cast<size_t>(top) * tex->realW + left;
}

void CEngineTextures::Unlock(HTEXTURE h) {
  Texture* tex = m_textures.Get(h);
  if (tex == nullptr || !tex->locked) return;
  tex->locked = false;
  if (tex->kind == Kind::Blank && !tex->ownPixels) {
    SDL_UnlockTexture(tex->sdl);
    return;
  }
  if (!tex->lockReadOnly) SDL_UpdateTexture(tex->sdl, nullptr, tex->pixels.data(), tex->realW * 4);
  if (tex->kind == Kind::Target) {
    tex->pixels.clear();
    tex->pixels.shrink_to_fit();
  }
}

HTARGET CEngineTextures::CreateTarget(int width, int height) {
  if (!SideOk(width) || !SideOk(height)) return 0;
  SDL_Texture* sdl = MakeSdl(width, height, SDL_TEXTUREACCESS_TARGET);
  if (sdl == nullptr) return 0;
  // Start transparent black, like a blank texture.
  SDL_Texture* previous = SDL_GetRenderTarget(m_renderer);
  SDL_SetRenderTarget(m_renderer, sdl);
  SDL_SetRenderDrawColor(m_renderer, 0, 0, 0, 0);
  SDL_RenderClear(m_renderer);
  SDL_SetRenderTarget(m_renderer, previous);
  Texture tex;
  tex.sdl = sdl;
  tex.kind = Kind::Target;
  tex.imageW = tex.realW = width;
  tex.imageH = tex.realH = height;
  const HTEXTURE th = m_textures.Add(tex);
  if (th == 0) {
    SDL_DestroyTexture(sdl);
    return 0;
  }
  const HTARGET target = m_targets.Add(Target{th});
  if (target == 0) Free(th);
  return target;
}

void CEngineTextures::FreeTarget(HTARGET target) {
  Target* t = m_targets.Get(target);
  if (t == nullptr) return;
  Free(t->tex);
  m_targets.Remove(target);
}

HTEXTURE CEngineTextures::TargetTexture(HTARGET target) {
  Target* t = m_targets.Get(target);
  return t ? t->tex : 0;
}

bool CEngineTextures::ReadPixels(SDL_Texture* texture, int w, int h, uint32_t* out) {
  if (m_renderer == nullptr) return false;
  SDL_Texture* previous = SDL_GetRenderTarget(m_renderer);
  if (SDL_SetRenderTarget(m_renderer, texture) != 0) return false;
  const SDL_Rect all{0, 0, w, h};
  const bool ok = SDL_RenderReadPixels(m_renderer, &all, SDL_PIXELFORMAT_ARGB8888, out, w * 4) == 0;
  SDL_SetRenderTarget(m_renderer, previous);
  return ok;
}

bool CEngineTextures::Pixels(SDL_Texture* texture, tagTexturePixels& out) {
  if (m_renderer == nullptr || texture == nullptr) return false;
  const auto handle =
      static_cast<uint32_t>(reinterpret_cast<uintptr_t>(SDL_GetTextureUserData(texture)));
  Texture* tex = m_textures.Get(handle);
  if (tex == nullptr || tex->sdl != texture || tex->kind != Kind::Loaded || tex->unreadable)
    return false;
  if (tex->pixels.empty()) {
    // Copied as it is onto a target of its size, then read from there.
    SDL_Texture* copy = MakeSdl(tex->realW, tex->realH, SDL_TEXTUREACCESS_TARGET);
    if (copy == nullptr) {
      tex->unreadable = true;
      return false;
    }
    SDL_BlendMode mode = SDL_BLENDMODE_BLEND;
    Uint8 r = 255, g = 255, b = 255, a = 255;
    SDL_GetTextureBlendMode(texture, &mode);
    SDL_GetTextureColorMod(texture, &r, &g, &b);
    SDL_GetTextureAlphaMod(texture, &a);
    SDL_SetTextureBlendMode(texture, SDL_BLENDMODE_NONE);
    SDL_SetTextureColorMod(texture, 255, 255, 255);
    SDL_SetTextureAlphaMod(texture, 255);
    SDL_Texture* previous = SDL_GetRenderTarget(m_renderer);
    bool ok = SDL_SetRenderTarget(m_renderer, copy) == 0 &&
              SDL_RenderCopy(m_renderer, texture, nullptr, nullptr) == 0;
    SDL_SetRenderTarget(m_renderer, previous);
    SDL_SetTextureBlendMode(texture, mode);
    SDL_SetTextureColorMod(texture, r, g, b);
    SDL_SetTextureAlphaMod(texture, a);
    if (ok) {
      tex->pixels.assign(static_cast<size_t>(tex->realW) * tex->realH, 0u);
      ok = ReadPixels(copy, tex->realW, tex->realH, tex->pixels.data());
      if (!ok) std::vector<uint32_t>().swap(tex->pixels);
    }
    SDL_DestroyTexture(copy);
    if (!ok) {
      tex->unreadable = true;
      return false;
    }
  }
  out.argb = tex->pixels.data();
  out.width = tex->realW;
  out.height = tex->realH;
  return true;
}
