#include "motion/MoveSprite_Varnel.h"

#include <cmath>

namespace {

float FrameWidth(const Animation_Varnel* animation) {
  return animation ? animation->GetWidth() : 0.0f;
}
float FrameHeight(const Animation_Varnel* animation) {
  return animation ? animation->GetHeight() : 0.0f;
}

}  // namespace

MoveSprite_Varnel::MoveSprite_Varnel(Animation_Varnel* animation,
                                     std::unique_ptr<MoveType_Varnel> motion,
                                     VarnelMoveSpriteInterface* listener, float x, float y,
                                     int startFrame)
    : CCollisionSprite_Varnel(x, y, FrameWidth(animation), FrameHeight(animation)),
      m_pAnimation(animation),
      m_pMotion(std::move(motion)),
      m_pListener(listener) {
  m_bAlive = true;
  if (m_pMotion) m_pMotion->SetSprite(this);
  if (m_pAnimation) {
    if (startFrame == -1) {
      m_pAnimation->Play();
    } else if (startFrame < m_pAnimation->GetFrames()) {
      m_pAnimation->SetFrame(startFrame);
    }
  }
  UpdateQuad();
}

MoveSprite_Varnel::~MoveSprite_Varnel() = default;

void MoveSprite_Varnel::Reset() {
  m_fX = m_fStartX;
  m_fY = m_fStartY;
  if (m_pMotion) m_pMotion->Reset();
  m_fAngle = 0.0f;
  m_fRotateSpeed = 0.0f;
  SetAlpha(255.0f);
  m_fAlphaSpeed = 0.0f;
  m_bAlive = true;
  UpdateQuad();
}

void MoveSprite_Varnel::RotateTo(unsigned ms, float angle) {
  if (ms == 0) {
    m_fAngle = angle;
    m_fRotateSpeed = 0.0f;
    return;
  }
  m_fRotateSpeed = (angle - m_fAngle) / static_cast<float>(ms) * 1000.0f;
}

void MoveSprite_Varnel::FadeOut(unsigned ms) {
  if (ms == 0) {
    SetAlpha(0.0f);
    m_fAlphaSpeed = 0.0f;
    return;
  }
  m_fAlphaSpeed = -255.0f / static_cast<float>(ms) * 1000.0f;
}

void MoveSprite_Varnel::UpdateQuad() {
  const float hw = FrameWidth(m_pAnimation) / 2 * m_fScaleX;
  const float hh = FrameHeight(m_pAnimation) / 2 * m_fScaleY;
  m_Quad[0] = {m_fX - hw, m_fY - hh};
  m_Quad[1] = {m_fX + hw, m_fY - hh};
  m_Quad[2] = {m_fX + hw, m_fY + hh};
  m_Quad[3] = {m_fX - hw, m_fY + hh};
}

void MoveSprite_Varnel::Update(float dt) {
  if (!std::isfinite(dt)) dt = 0.0f;  // a broken clock moves nothing
  if (m_pMotion) m_pMotion->Update(dt);
  if (m_pAnimation) m_pAnimation->Update(dt);
  m_fAngle += m_fRotateSpeed * dt;
  // SetAlpha keeps the fade within 0..255.
  if (m_pAnimation) m_pAnimation->SetAlpha(m_pAnimation->GetAlpha() + m_fAlphaSpeed * dt);
}

void MoveSprite_Varnel::RotateQuad(float degrees, float cx, float cy) {
  if (cx == -1.0f) {
    float minX = m_Quad[0].x, maxX = m_Quad[0].x, minY = m_Quad[0].y, maxY = m_Quad[0].y;
    for (const VarnelPoint& p : m_Quad) {
      minX = std::fmin(minX, p.x), maxX = std::fmax(maxX, p.x);
      minY = std::fmin(minY, p.y), maxY = std::fmax(maxY, p.y);
    }
    cx = (minX + maxX) / 2;
    cy = (minY + maxY) / 2;
  }
  const float radians = degrees * DEGREES_TO_RADIANS;
  const float c = std::cos(radians), s = std::sin(radians);
  for (VarnelPoint& p : m_Quad) {
    const float dx = p.x - cx, dy = p.y - cy;
    p = {cx + dx * c - dy * s, cy + dy * c + dx * s};
  }
}

void MoveSprite_Varnel::Render() {
  if (!m_bAlive) return;
  UpdateQuad();
  if (m_fAngle > 0.0f) RotateQuad(m_fAngle);
  if (m_pAnimation) {
    m_pAnimation->Render4V(m_Quad[0].x, m_Quad[0].y, m_Quad[1].x, m_Quad[1].y, m_Quad[2].x,
                           m_Quad[2].y, m_Quad[3].x, m_Quad[3].y);
  }
}

VarnelPoint MoveSprite_Varnel::GetCorner(int i) const {
  return (i >= 0 && i < 4) ? m_Quad[i] : VarnelPoint{};
}
