#include "platform/engine/EngineGraphics.h"

namespace {

SDL_Color ToSdlColor(DWORD col) {
  return SDL_Color{static_cast<Uint8>(GETR(col)), static_cast<Uint8>(GETG(col)),
                   static_cast<Uint8>(GETB(col)), static_cast<Uint8>(GETA(col))};
}

}  // namespace

bool CEngineGraphics::Begin(SDL_Texture* dest, HTARGET target) {
  if (m_renderer == nullptr || m_inScene || dest == nullptr) return false;
  if (SDL_SetRenderTarget(m_renderer, dest) != 0) return false;
  m_sceneTexture = dest;
  m_sceneTarget = target;
  m_clipMode = ClipMode::Off;
  SDL_RenderSetClipRect(m_renderer, nullptr);
  m_inScene = true;
  return true;
}

bool CEngineGraphics::End() {
  if (!m_inScene) return false;
  m_inScene = false;
  m_sceneTexture = nullptr;
  m_sceneTarget = 0;
  return true;
}

void CEngineGraphics::Clear(DWORD color) {
  if (!m_inScene) return;
  SDL_SetRenderDrawColor(m_renderer, GETR(color), GETG(color), GETB(color), GETA(color));
  SDL_RenderClear(m_renderer);
}

void CEngineGraphics::Line(float x1, float y1, float x2, float y2, DWORD color) {
  if (!m_inScene) return;
  SDL_SetRenderDrawBlendMode(m_renderer, SDL_BLENDMODE_BLEND);
  SDL_SetRenderDrawColor(m_renderer, GETR(color), GETG(color), GETB(color), GETA(color));
  SDL_RenderDrawLineF(m_renderer, x1, y1, x2, y2);
}

void CEngineGraphics::Triple(const hgeVertex v[3], SDL_Texture* tex, int blend) {
  static const int kIndices[3] = {0, 1, 2};
  Geometry(v, 3, kIndices, 3, tex, blend);
}

void CEngineGraphics::Quad(const hgeVertex v[4], SDL_Texture* tex, int blend) {
  static const int kIndices[6] = {0, 1, 2, 0, 2, 3};
  Geometry(v, 4, kIndices, 6, tex, blend);
}

void CEngineGraphics::Geometry(const hgeVertex* v, int count, const int* indices, int indexCount,
                               SDL_Texture* tex, int blend) {
  if (!m_inScene || (tex != nullptr && tex == m_sceneTexture)) return;
  const SDL_BlendMode mode = (blend & BLEND_ALPHABLEND) ? SDL_BLENDMODE_BLEND : SDL_BLENDMODE_ADD;
  if (tex) {
    SDL_SetTextureBlendMode(tex, mode);
  } else {
    SDL_SetRenderDrawBlendMode(m_renderer, mode);
  }
  SDL_Vertex verts[4];
  for (int i = 0; i < count; ++i) {
    verts[i].position = SDL_FPoint{v[i].x, v[i].y};
    verts[i].color = ToSdlColor(v[i].col);
    verts[i].tex_coord = SDL_FPoint{v[i].tx, v[i].ty};
  }
  SDL_RenderGeometry(m_renderer, tex, verts, count, indices, indexCount);
  if (!tex) SDL_SetRenderDrawBlendMode(m_renderer, SDL_BLENDMODE_BLEND);
}

void CEngineGraphics::SetClipping(int x, int y, int w, int h) {
  if (x == 0 && y == 0 && w == 0 && h == 0) {
    m_clipMode = ClipMode::Off;
  } else if (w <= 0 || h <= 0) {
    m_clipMode = ClipMode::Empty;
  } else {
    m_clipMode = ClipMode::Rect;
    m_clip = SDL_Rect{x, y, w, h};
  }
  if (m_inScene) ApplyClip();
}

void CEngineGraphics::ReapplyClip() {
  if (m_inScene) ApplyClip();
}

void CEngineGraphics::ApplyClip() {
  if (m_clipMode == ClipMode::Off) {
    SDL_RenderSetClipRect(m_renderer, nullptr);
  } else if (m_clipMode == ClipMode::Empty) {
    // A rectangle wholly off the target: SDL would read an empty one as "no clipping".
    const SDL_Rect offscreen{-4, -4, 1, 1};
    SDL_RenderSetClipRect(m_renderer, &offscreen);
  } else {
    SDL_RenderSetClipRect(m_renderer, &m_clip);
  }
}
