#include "platform/engine/hgeSprite.h"

#include <cmath>
#include <utility>

namespace {

float SizeOr1(int v) { return v > 0 ? static_cast<float>(v) : 1.0f; }

}  // namespace

hgeSprite::hgeSprite(HTEXTURE tex, float x, float y, float w, float h)
    : hge(hgeCreate(HGE_VERSION)),
      quad{},
      tx(x),
      ty(y),
      width(w),
      height(h),
      tex_width(1.0f),
      tex_height(1.0f),
      hotX(0),
      hotY(0),
      bXFlip(false),
      bYFlip(false),
      bHSFlip(false) {
  if (tex != 0) {
    tex_width = SizeOr1(hge->Texture_GetWidth(tex));
    tex_height = SizeOr1(hge->Texture_GetHeight(tex));
  }
  quad.tex = tex;
  quad.blend = BLEND_DEFAULT;
  for (hgeVertex& v : quad.v) {
    v.z = 0.5f;
    v.col = 0xFFFFFFFF;
  }
  SetTextureRect(x, y, w, h, true);
}

hgeSprite::hgeSprite(HTEXTURE tex) : hgeSprite(tex, 0, 0, 0, 0) {
  SetTextureRect(0, 0, static_cast<float>(hge->Texture_GetWidth(tex, true)),
                 static_cast<float>(hge->Texture_GetHeight(tex, true)), true);
}

hgeSprite::hgeSprite(const hgeSprite& other)
    : m_bShow(other.m_bShow),
      hge(hgeCreate(HGE_VERSION)),
      quad(other.quad),
      tx(other.tx),
      ty(other.ty),
      width(other.width),
      height(other.height),
      tex_width(other.tex_width),
      tex_height(other.tex_height),
      hotX(other.hotX),
      hotY(other.hotY),
      bXFlip(other.bXFlip),
      bYFlip(other.bYFlip),
      bHSFlip(other.bHSFlip) {}

hgeSprite& hgeSprite::operator=(const hgeSprite& other) {
  if (this == &other) return *this;
  m_bShow = other.m_bShow;
  quad = other.quad;
  tx = other.tx, ty = other.ty, width = other.width, height = other.height;
  tex_width = other.tex_width, tex_height = other.tex_height;
  hotX = other.hotX, hotY = other.hotY;
  bXFlip = other.bXFlip, bYFlip = other.bYFlip, bHSFlip = other.bHSFlip;
  return *this;
}

hgeSprite::~hgeSprite() { hge->Release(); }

void hgeSprite::Draw() { hge->Gfx_RenderQuad(&quad); }

void hgeSprite::Render(float x, float y) {
  if (!m_bShow) return;
  const float x1 = x - EffectiveHotX();
  const float y1 = y - EffectiveHotY();
  const float x2 = x1 + width;
  const float y2 = y1 + height;
  quad.v[0].x = x1, quad.v[0].y = y1;
  quad.v[1].x = x2, quad.v[1].y = y1;
  quad.v[2].x = x2, quad.v[2].y = y2;
  quad.v[3].x = x1, quad.v[3].y = y2;
  Draw();
}

void hgeSprite::RenderEx(float x, float y, float rot, float hscale, float vscale) {
  if (!m_bShow) return;
  if (vscale == 0.0f) vscale = hscale;
  const float hx = EffectiveHotX();
  const float hy = EffectiveHotY();
  const float x1 = -hx * hscale;
  const float y1 = -hy * vscale;
  const float x2 = (width - hx) * hscale;
  const float y2 = (height - hy) * vscale;
  if (rot != 0.0f) {
    const float c = std::cos(rot);
    const float s = std::sin(rot);
    quad.v[0].x = x1 * c - y1 * s + x, quad.v[0].y = x1 * s + y1 * c + y;
    quad.v[1].x = x2 * c - y1 * s + x, quad.v[1].y = x2 * s + y1 * c + y;
    quad.v[2].x = x2 * c - y2 * s + x, quad.v[2].y = x2 * s + y2 * c + y;
    quad.v[3].x = x1 * c - y2 * s + x, quad.v[3].y = x1 * s + y2 * c + y;
  } else {
    quad.v[0].x = x1 + x, quad.v[0].y = y1 + y;
    quad.v[1].x = x2 + x, quad.v[1].y = y1 + y;
    quad.v[2].x = x2 + x, quad.v[2].y = y2 + y;
    quad.v[3].x = x1 + x, quad.v[3].y = y2 + y;
  }
  Draw();
}

void hgeSprite::RenderStretch(float x1, float y1, float x2, float y2) {
  Render4V(x1, y1, x2, y1, x2, y2, x1, y2);
}

void hgeSprite::Render4V(float x0, float y0, float x1, float y1, float x2, float y2, float x3,
                         float y3) {
  if (!m_bShow) return;
  quad.v[0].x = x0, quad.v[0].y = y0;
  quad.v[1].x = x1, quad.v[1].y = y1;
  quad.v[2].x = x2, quad.v[2].y = y2;
  quad.v[3].x = x3, quad.v[3].y = y3;
  Draw();
}

void hgeSprite::SetTexture(HTEXTURE tex) {
  float w = 1.0f, h = 1.0f;
  if (tex != 0) {
    w = SizeOr1(hge->Texture_GetWidth(tex));
    h = SizeOr1(hge->Texture_GetHeight(tex));
  }
  quad.tex = tex;
  if (w != tex_width || h != tex_height) {
    // Keep the same pixels under the quad: rescale the texture coordinates.
    for (hgeVertex& v : quad.v) {
      v.tx *= tex_width / w;
      v.ty *= tex_height / h;
    }
    tex_width = w;
    tex_height = h;
  }
}

void hgeSprite::SetTextureRect(float x, float y, float w, float h, bool adjSize) {
  tx = x;
  ty = y;
  if (adjSize) {
    width = w;
    height = h;
  }
  MapTexture(x, y, w, h);
}

void hgeSprite::MapTexture(float x, float y, float w, float h) {
  const float u1 = x / tex_width, v1 = y / tex_height;
  const float u2 = (x + w) / tex_width, v2 = (y + h) / tex_height;
  quad.v[0].tx = u1, quad.v[0].ty = v1;
  quad.v[1].tx = u2, quad.v[1].ty = v1;
  quad.v[2].tx = u2, quad.v[2].ty = v2;
  quad.v[3].tx = u1, quad.v[3].ty = v2;
  // The fresh coordinates are unflipped: apply the flips again.
  const bool flipX = bXFlip, flipY = bYFlip, flipHot = bHSFlip;
  bXFlip = bYFlip = false;
  SetFlip(flipX, flipY, flipHot);
}

void hgeSprite::ShowStripFrame(int n, int imageWidth) {
  float x = 0, y = 0;
  StripFramePosition(tx, ty, width, height, imageWidth, n, x, y);
  MapTexture(x, y, width, height);
}

void hgeSprite::SetColor(DWORD col, int i) {
  if (i < 0) {
    for (hgeVertex& v : quad.v) v.col = col;
  } else if (i < 4) {
    quad.v[i].col = col;
  }
}

void hgeSprite::SetZ(float z, int i) {
  if (i < 0) {
    for (hgeVertex& v : quad.v) v.z = z;
  } else if (i < 4) {
    quad.v[i].z = z;
  }
}

void hgeSprite::SetFlip(bool bX, bool bY, bool bHotSpot) {
  if (bX != bXFlip) {
    std::swap(quad.v[0].tx, quad.v[1].tx);
    std::swap(quad.v[3].tx, quad.v[2].tx);
    bXFlip = bX;
  }
  if (bY != bYFlip) {
    std::swap(quad.v[0].ty, quad.v[3].ty);
    std::swap(quad.v[1].ty, quad.v[2].ty);
    bYFlip = bY;
  }
  bHSFlip = bHotSpot;
}

void hgeSprite::GetTextureRect(float* x, float* y, float* w, float* h) const {
  if (x) *x = tx;
  if (y) *y = ty;
  if (w) *w = width;
  if (h) *h = height;
}

void hgeSprite::GetHotSpot(float* x, float* y) const {
  if (x) *x = hotX;
  if (y) *y = hotY;
}

void hgeSprite::GetFlip(bool* bX, bool* bY) const {
  if (bX) *bX = bXFlip;
  if (bY) *bY = bYFlip;
}

// ---- hgeAnimation -------------------------------------------------------------------------

hgeAnimation::hgeAnimation(int id, HTEXTURE tex, int nframes, float fps, float x, float y, float w,
                           float h)
    : hgeSprite(tex, x, y, w, h),
      m_nID(id),
      m_nImageWidth(hge->Texture_GetWidth(tex, true)),
      m_strip(nframes, CFrameStrip::FrameTimeOf(fps)) {
  SetFrame(0);
}

void hgeAnimation::Update(float deltaTime) {
  m_strip.Update(
      deltaTime, [this](int n) { SetFrame(n); }, [] {});
}
