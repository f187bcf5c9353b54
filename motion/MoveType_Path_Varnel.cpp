#include "motion/MoveType_Path_Varnel.h"

#include <cmath>

#include "motion/MoveSprite_Varnel.h"
#include "motion/VarnelMoveSpriteInterface.h"

namespace {

// One scale step towards `to`, never past it.
float StepScale(float scale, float from, float to, float rate, float dt) {
  scale += (to - from) * rate * dt;
  if (from < to && scale > to) scale = to;
  if (from > to && scale < to) scale = to;
  return scale;
}

}  // namespace

MoveType_Path_Varnel::MoveType_Path_Varnel(int id) : MoveType_Varnel(id) {
  MoveType_Path_Varnel::Reset();
}

void MoveType_Path_Varnel::Reset() {
  MoveType_Varnel::Reset();
  m_fSpeed = 500.0f;
  m_nCurrent = 0;
  m_End = VarnelPoint{};
  m_nPointCount = 0;
  m_fScaleXRate = m_fScaleYRate = 1.0f;
  m_fScaleXFrom = m_fScaleXTo = 1.0f;
  m_fScaleYFrom = m_fScaleYTo = 1.0f;
}

bool MoveType_Path_Varnel::AddPoint(float x, float y) {
  if (m_nPointCount >= MAX_POINTS) return false;
  m_Points[m_nPointCount++] = VarnelPoint{x, y};
  m_End = VarnelPoint{x, y};
  return true;
}

void MoveType_Path_Varnel::SetScaleX(float from, float to, float rate) {
  m_fScaleXFrom = from, m_fScaleXTo = to, m_fScaleXRate = rate;
  if (m_pSprite) m_pSprite->SetScale(from, m_pSprite->GetScaleY());
}

void MoveType_Path_Varnel::SetScaleY(float from, float to, float rate) {
  m_fScaleYFrom = from, m_fScaleYTo = to, m_fScaleYRate = rate;
  if (m_pSprite) m_pSprite->SetScale(m_pSprite->GetScaleX(), from);
}

void MoveType_Path_Varnel::Update(float dt) {
  if (m_pSprite == nullptr || IsDelayed() || m_nFinished) return;
  if (!std::isfinite(dt)) dt = 0.0f;
  MoveSprite_Varnel& sprite = *m_pSprite;

  if (m_nPointCount == 0 || (m_nCurrent >= m_nPointCount &&
                             sprite.GetScaleX() == m_fScaleXTo &&
                             sprite.GetScaleY() == m_fScaleYTo)) {
    m_nFinished = 1;
    sprite.SetAlive(sprite.GetRemoveOnArrive() == 0);
    sprite.SetPosition(m_End.x, m_End.y);
    if (VarnelMoveSpriteInterface* listener = sprite.GetListener())
      listener->OnMoveFinished(GetID());
    return;
  }

  sprite.SetScale(StepScale(sprite.GetScaleX(), m_fScaleXFrom, m_fScaleXTo, m_fScaleXRate, dt),
                  StepScale(sprite.GetScaleY(), m_fScaleYFrom, m_fScaleYTo, m_fScaleYRate, dt));
  // Past the last point there is nothing to approach: wait for the scales.
  if (m_nCurrent >= m_nPointCount) return;

  const VarnelPoint target = m_Points[m_nCurrent];
  const float dx = target.x - sprite.GetX();
  const float dy = target.y - sprite.GetY();
  const float d2 = dx * dx + dy * dy;
  const float travel = m_fSpeed * dt;
  // A sprite standing on the point has reached it too (there is no direction to move in).
  if (d2 < travel * travel || d2 == 0.0f) {
    ++m_nCurrent;
    return;
  }
  if (m_fSpeed > 0.0f) {
    m_fSpeed += m_fAcceleration;
  } else {
    m_fSpeed -= m_fAcceleration;
  }
  const float d = std::sqrt(d2);
  sprite.SetPosition(sprite.GetX() + dx / d * m_fSpeed * dt, sprite.GetY() + dy / d * m_fSpeed * dt);
}
