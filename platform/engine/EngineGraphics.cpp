#include "platform/engine/EngineGraphics.h"

#include <algorithm>
#include <cmath>

namespace {

SDL_Color ToSdlColor(DWORD col) {
  return SDL_Color{static_cast<Uint8>(GETR(col)), static_cast<Uint8>(GETG(col)),
                   static_cast<Uint8>(GETB(col)), static_cast<Uint8>(GETA(col))};
}

SDL_BlendMode BlendMode(int blend) {
  if (blend & BLEND_COPY) return SDL_BLENDMODE_NONE;
  return (blend & BLEND_ALPHABLEND) ? SDL_BLENDMODE_BLEND : SDL_BLENDMODE_ADD;
}

}  // namespace

void CEngineGraphics::Attach(SDL_Renderer* renderer, ITexturePixels* pixels) {
  if (m_scratch != nullptr && renderer != m_renderer) {
    SDL_DestroyTexture(m_scratch);
    m_scratch = nullptr;
    m_scratchW = m_scratchH = 0;
  }
  m_renderer = renderer;
  // Only SDL's software renderer walks triangles pixel by pixel; the others turn them on the
  // graphics card faster than we could.
  SDL_RendererInfo info;
  const bool software = renderer != nullptr && SDL_GetRendererInfo(renderer, &info) == 0 &&
                        SDL_strcmp(info.name, "software") == 0;
  m_pixels = software ? pixels : nullptr;
}

bool CEngineGraphics::Begin(SDL_Texture* dest, HTARGET target) {
  if (m_renderer == nullptr || m_inScene || dest == nullptr) return false;
  if (SDL_SetRenderTarget(m_renderer, dest) != 0) return false;
  m_sceneTexture = dest;
  m_sceneTarget = target;
  m_clipMode = ClipMode::Off;
  SDL_RenderSetClipRect(m_renderer, nullptr);
  m_drawnAnywhere = false;
  m_drawn = SDL_Rect{};
  m_sceneRect = SDL_Rect{};
  SDL_QueryTexture(dest, nullptr, nullptr, &m_sceneRect.w, &m_sceneRect.h);
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

void CEngineGraphics::NoteDrawing() {
  if (m_clipMode == ClipMode::Off) {
    m_drawnAnywhere = true;
  } else if (m_clipMode == ClipMode::Rect) {
    // Only what lies on the target: a rectangle off it (nothing to draw) adds nothing.
    SDL_Rect on{};
    if (SDL_IntersectRect(&m_clip, &m_sceneRect, &on)) SDL_UnionRect(&m_drawn, &on, &m_drawn);
  }
}

bool CEngineGraphics::DrawnWithin(SDL_Rect& out) const {
  if (!m_inScene || m_drawnAnywhere) return false;
  out = m_drawn;
  return true;
}

void CEngineGraphics::Clear(DWORD color) {
  if (!m_inScene) return;
  NoteDrawing();
  SDL_SetRenderDrawColor(m_renderer, GETR(color), GETG(color), GETB(color), GETA(color));
  if (m_clipMode == ClipMode::Off) {
    SDL_RenderClear(m_renderer);
    return;
  }
  if (m_clipMode == ClipMode::Empty) return;
  // SDL's clear ignores the clipping: the rectangle is filled, replacing what is there.
  SDL_SetRenderDrawBlendMode(m_renderer, SDL_BLENDMODE_NONE);
  SDL_RenderFillRect(m_renderer, &m_clip);
  SDL_SetRenderDrawBlendMode(m_renderer, SDL_BLENDMODE_BLEND);
}

bool CEngineGraphics::CopySceneTo(SDL_Texture* dest) {
  if (!m_inScene || dest == nullptr || dest == m_sceneTexture) return false;
  if (SDL_SetRenderTarget(m_renderer, dest) != 0) return false;
  SDL_RenderSetClipRect(m_renderer, nullptr);
  SDL_BlendMode mode = SDL_BLENDMODE_NONE;
  SDL_GetTextureBlendMode(m_sceneTexture, &mode);
  Uint8 r = 255, g = 255, b = 255, a = 255;
  SDL_GetTextureColorMod(m_sceneTexture, &r, &g, &b);
  SDL_GetTextureAlphaMod(m_sceneTexture, &a);
  SDL_SetTextureBlendMode(m_sceneTexture, SDL_BLENDMODE_NONE);
  SDL_SetTextureColorMod(m_sceneTexture, 255, 255, 255);
  SDL_SetTextureAlphaMod(m_sceneTexture, 255);
  const bool copied = SDL_RenderCopy(m_renderer, m_sceneTexture, nullptr, nullptr) == 0;
  SDL_SetTextureBlendMode(m_sceneTexture, mode);
  SDL_SetTextureColorMod(m_sceneTexture, r, g, b);
  SDL_SetTextureAlphaMod(m_sceneTexture, a);
  SDL_SetRenderTarget(m_renderer, m_sceneTexture);
  ApplyClip();
  return copied;
}

void CEngineGraphics::SetTransform(float x, float y, float dx, float dy, float sx, float sy) {
  m_transform = sx != 0.0f || sy != 0.0f;
  m_centreX = x;
  m_centreY = y;
  m_moveX = dx;
  m_moveY = dy;
  m_scaleX = sx;
  m_scaleY = sy;
}

const hgeVertex* CEngineGraphics::Place(const hgeVertex* v, int count, hgeVertex* placed) const {
  if (!m_transform) return v;
  for (int i = 0; i < count; ++i) {
    placed[i] = v[i];
    placed[i].x = (v[i].x - m_centreX) * m_scaleX + m_centreX + m_moveX;
    placed[i].y = (v[i].y - m_centreY) * m_scaleY + m_centreY + m_moveY;
  }
  return placed;
}

void CEngineGraphics::Line(float x1, float y1, float x2, float y2, DWORD color) {
  if (!m_inScene) return;
  NoteDrawing();
  hgeVertex ends[2] = {}, placed[2];
  ends[0].x = x1;
  ends[0].y = y1;
  ends[1].x = x2;
  ends[1].y = y2;
  const hgeVertex* at = Place(ends, 2, placed);
  SDL_SetRenderDrawBlendMode(m_renderer, SDL_BLENDMODE_BLEND);
  SDL_SetRenderDrawColor(m_renderer, GETR(color), GETG(color), GETB(color), GETA(color));
  SDL_RenderDrawLineF(m_renderer, at[0].x, at[0].y, at[1].x, at[1].y);
}

void CEngineGraphics::Triple(const hgeVertex v[3], SDL_Texture* tex, int blend) {
  static const int kIndices[3] = {0, 1, 2};
  if (m_inScene) NoteDrawing();
  hgeVertex placed[3];
  Geometry(Place(v, 3, placed), 3, kIndices, 3, tex, blend);
}

void CEngineGraphics::Quad(const hgeVertex quad[4], SDL_Texture* tex, int blend) {
  if (m_inScene) NoteDrawing();
  hgeVertex placed[4];
  const hgeVertex* v = Place(quad, 4, placed);
  if (CopyRect(v, tex, blend) || TurnRect(v, tex, blend)) return;
  static const int kIndices[6] = {0, 1, 2, 0, 2, 3};
  Geometry(v, 4, kIndices, 6, tex, blend);
}

// Most quads are upright rectangles of one colour that cut a whole-pixel rectangle out of their
// texture: sprites, cards, the scaled canvas. They are copied as rectangles, which every
// renderer does far faster than two triangles (SDL's software renderer blits them instead of
// walking each triangle's pixels). Anything else falls through to the triangles.
bool CEngineGraphics::CopyRect(const hgeVertex v[4], SDL_Texture* tex, int blend) {
  if (!m_inScene || (tex != nullptr && tex == m_sceneTexture)) return false;
  if (v[0].col != v[1].col || v[0].col != v[2].col || v[0].col != v[3].col) return false;
  if (v[0].y != v[1].y || v[2].y != v[3].y || v[0].x != v[3].x || v[1].x != v[2].x) return false;
  if (v[0].tx != v[3].tx || v[1].tx != v[2].tx || v[0].ty != v[1].ty || v[2].ty != v[3].ty)
    return false;
  const float left = std::min(v[0].x, v[1].x), right = std::max(v[0].x, v[1].x);
  const float top = std::min(v[0].y, v[3].y), bottom = std::max(v[0].y, v[3].y);
  if (!(right > left) || !(bottom > top)) return true;  // nothing to draw
  const SDL_BlendMode mode = BlendMode(blend);
  const DWORD col = v[0].col;
  const SDL_FRect dst{left, top, right - left, bottom - top};
  if (tex == nullptr) {
    SDL_SetRenderDrawBlendMode(m_renderer, mode);
    SDL_SetRenderDrawColor(m_renderer, GETR(col), GETG(col), GETB(col), GETA(col));
    SDL_RenderFillRectF(m_renderer, &dst);
    SDL_SetRenderDrawBlendMode(m_renderer, SDL_BLENDMODE_BLEND);
    return true;
  }
  int texW = 0, texH = 0;
  if (SDL_QueryTexture(tex, nullptr, nullptr, &texW, &texH) != 0) return false;
  // The texture's pixels the rectangle shows, whole pixels only.
  const float u0 = v[0].tx * static_cast<float>(texW), u1 = v[1].tx * static_cast<float>(texW);
  const float t0 = v[0].ty * static_cast<float>(texH), t1 = v[3].ty * static_cast<float>(texH);
  const float su = std::min(u0, u1), sv = std::min(t0, t1);
  const float sw = std::fabs(u1 - u0), sh = std::fabs(t1 - t0);
  auto whole = [](float f) { return std::fabs(f - std::round(f)) < 1e-3f; };
  if (!whole(su) || !whole(sv) || !whole(sw) || !whole(sh) || sw < 1.0f || sh < 1.0f) return false;
  const SDL_Rect src{static_cast<int>(std::lround(su)), static_cast<int>(std::lround(sv)),
                     static_cast<int>(std::lround(sw)), static_cast<int>(std::lround(sh))};
  if (src.x < 0 || src.y < 0 || src.x + src.w > texW || src.y + src.h > texH) return false;
  // A rectangle drawn right to left or bottom to top shows its cut mirrored.
  const bool flipX = (u1 < u0) != (v[1].x < v[0].x);
  const bool flipY = (t1 < t0) != (v[3].y < v[0].y);
  const int flip = (flipX ? SDL_FLIP_HORIZONTAL : 0) | (flipY ? SDL_FLIP_VERTICAL : 0);
  SDL_SetTextureBlendMode(tex, mode);
  SDL_SetTextureColorMod(tex, GETR(col), GETG(col), GETB(col));
  SDL_SetTextureAlphaMod(tex, GETA(col));
  if (flip == 0) {
    SDL_RenderCopyF(m_renderer, tex, &src, &dst);
  } else {
    SDL_RenderCopyExF(m_renderer, tex, &src, &dst, 0.0, nullptr,
                      static_cast<SDL_RendererFlip>(flip));
  }
  return true;
}

// A quad of one colour that shows a rectangle of its texture, turned or stretched as a
// parallelogram (a sprite drawn with an angle), on the software renderer: each pixel of the
// parallelogram's bounding box takes the texture pixel under its centre, and the box is copied
// as a rectangle with the quad's blend and colour. False for anything else.
bool CEngineGraphics::TurnRect(const hgeVertex v[4], SDL_Texture* tex, int blend) {
  if (m_pixels == nullptr || tex == nullptr || !m_inScene || tex == m_sceneTexture) return false;
  if (v[0].col != v[1].col || v[0].col != v[2].col || v[0].col != v[3].col) return false;
  if (v[0].tx != v[3].tx || v[1].tx != v[2].tx || v[0].ty != v[1].ty || v[2].ty != v[3].ty)
    return false;
  const float ex = v[1].x - v[0].x, ey = v[1].y - v[0].y;  // along the texture's rows
  const float fx = v[3].x - v[0].x, fy = v[3].y - v[0].y;  // down its columns
  if (std::fabs(v[0].x + v[2].x - v[1].x - v[3].x) > 0.01f ||
      std::fabs(v[0].y + v[2].y - v[1].y - v[3].y) > 0.01f)
    return false;
  const float det = ex * fy - ey * fx;
  if (!std::isfinite(det)) return false;
  if (std::fabs(det) < 1e-6f) return true;  // no area: nothing to draw
  int targetW = 0, targetH = 0;
  if (SDL_QueryTexture(m_sceneTexture, nullptr, nullptr, &targetW, &targetH) != 0) return false;
  if (m_clipMode == ClipMode::Empty) return true;

  // The box on the target, within the clipping.
  const float minX = std::min({v[0].x, v[1].x, v[2].x, v[3].x});
  const float maxX = std::max({v[0].x, v[1].x, v[2].x, v[3].x});
  const float minY = std::min({v[0].y, v[1].y, v[2].y, v[3].y});
  const float maxY = std::max({v[0].y, v[1].y, v[2].y, v[3].y});
  SDL_Rect box{0, 0, targetW, targetH};
  if (m_clipMode == ClipMode::Rect && !SDL_IntersectRect(&box, &m_clip, &box)) return true;
  const float left = std::max(std::floor(minX), static_cast<float>(box.x));
  const float top = std::max(std::floor(minY), static_cast<float>(box.y));
  const float right = std::min(std::ceil(maxX), static_cast<float>(box.x + box.w));
  const float bottom = std::min(std::ceil(maxY), static_cast<float>(box.y + box.h));
  if (!(right > left) || !(bottom > top)) return true;
  const int x0 = static_cast<int>(left), y0 = static_cast<int>(top);
  const int w = static_cast<int>(right) - x0, h = static_cast<int>(bottom) - y0;

  tagTexturePixels src;
  const bool got = m_pixels->Pixels(tex, src);
  ApplyClip();  // the first read of a texture's pixels may have switched targets
  if (!got || src.argb == nullptr || src.width <= 0 || src.height <= 0) return false;
  // The rectangle of the texture, in its pixels, and where a point of the quad falls in it:
  // the quad's point v0 + a * e + b * f shows the texture at (u0 + a * du, t0 + b * dt).
  const float u0 = v[0].tx * static_cast<float>(src.width);
  const float du = (v[1].tx - v[0].tx) * static_cast<float>(src.width);
  const float t0 = v[0].ty * static_cast<float>(src.height);
  const float dt = (v[3].ty - v[0].ty) * static_cast<float>(src.height);
  const int uLow =
      std::clamp(static_cast<int>(std::floor(std::min(u0, u0 + du))), 0, src.width - 1);
  const int uHigh =
      std::clamp(static_cast<int>(std::ceil(std::max(u0, u0 + du))) - 1, uLow, src.width - 1);
  const int tLow =
      std::clamp(static_cast<int>(std::floor(std::min(t0, t0 + dt))), 0, src.height - 1);
  const int tHigh =
      std::clamp(static_cast<int>(std::ceil(std::max(t0, t0 + dt))) - 1, tLow, src.height - 1);

  if (w > m_scratchW || h > m_scratchH) {
    if (m_scratch != nullptr) SDL_DestroyTexture(m_scratch);
    m_scratchW = std::max(w, m_scratchW);
    m_scratchH = std::max(h, m_scratchH);
    m_scratch = SDL_CreateTexture(m_renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING,
                                  m_scratchW, m_scratchH);
    if (m_scratch == nullptr) {
      m_scratchW = m_scratchH = 0;
      return false;
    }
  }
  const SDL_Rect part{0, 0, w, h};
  void* locked = nullptr;
  int pitch = 0;
  if (SDL_LockTexture(m_scratch, &part, &locked, &pitch) != 0) return false;

  // a and b at each pixel's centre in 16.16 fixed point, stepping one pixel right; the pixel
  // is the quad's while both are in [0, 1), and shows the texture pixel under (u, t).
  constexpr float kOne = 65536.0f;
  const float da = fy / det, db = -ey / det;
  const auto fixed = [](float f) { return static_cast<int64_t>(std::clamp(f, -1e9f, 1e9f)); };
  const int64_t stepA = fixed(da * kOne), stepB = fixed(db * kOne);
  const int64_t stepU = fixed(da * du * kOne), stepT = fixed(db * dt * kOne);
  for (int row = 0; row < h; ++row) {
    uint32_t* out = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(locked) +
                                                static_cast<size_t>(row) * pitch);
    const float py = static_cast<float>(y0 + row) + 0.5f - v[0].y;
    const float px = static_cast<float>(x0) + 0.5f - v[0].x;
    const float a = (px * fy - py * fx) / det;
    const float b = (ex * py - ey * px) / det;
    int64_t fa = fixed(a * kOne), fb = fixed(b * kOne);
    int64_t fu = fixed((u0 + a * du) * kOne), ft = fixed((t0 + b * dt) * kOne);
    for (int col = 0; col < w; ++col) {
      uint32_t pixel = 0;
      if (static_cast<uint64_t>(fa) < 65536u && static_cast<uint64_t>(fb) < 65536u) {
        const int u = std::clamp(static_cast<int>(fu >> 16), uLow, uHigh);
        const int t = std::clamp(static_cast<int>(ft >> 16), tLow, tHigh);
        pixel = src.argb[static_cast<size_t>(t) * static_cast<size_t>(src.width) + u];
      }
      out[col] = pixel;
      fa += stepA;
      fb += stepB;
      fu += stepU;
      ft += stepT;
    }
  }
  SDL_UnlockTexture(m_scratch);

  const DWORD col = v[0].col;
  SDL_SetTextureBlendMode(m_scratch, BlendMode(blend));
  SDL_SetTextureColorMod(m_scratch, GETR(col), GETG(col), GETB(col));
  SDL_SetTextureAlphaMod(m_scratch, GETA(col));
  const SDL_Rect dst{x0, y0, w, h};
  SDL_RenderCopy(m_renderer, m_scratch, &part, &dst);
  return true;
}

void CEngineGraphics::Geometry(const hgeVertex* v, int count, const int* indices, int indexCount,
                               SDL_Texture* tex, int blend) {
  if (!m_inScene || (tex != nullptr && tex == m_sceneTexture)) return;
  const SDL_BlendMode mode = BlendMode(blend);
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
