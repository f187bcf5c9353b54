#include "motion/CollisionSprite_Varnel.h"

CCollisionSprite_Varnel::CCollisionSprite_Varnel(float x, float y, float width, float height)
    : m_fStartX(x), m_fStartY(y), m_fX(x), m_fY(y), m_fWidth(width), m_fHeight(height) {}

bool CCollisionSprite_Varnel::IsPointIn(float px, float py) const {
  const float hw = m_fWidth / 2, hh = m_fHeight / 2;
  return m_fX - hw < px && px < m_fX + hw && m_fY - hh < py && py < m_fY + hh;
}

bool CCollisionSprite_Varnel::IsCollide(const CCollisionSprite_Varnel* other) const {
  if (other == nullptr) return false;
  // The other box's corners in this box: left-top, right-top, right-bottom, left-bottom.
  const auto cornerIn = [](const CCollisionSprite_Varnel& box, const CCollisionSprite_Varnel& c) {
    const float hw = c.m_fWidth / 2, hh = c.m_fHeight / 2;
    return box.IsPointIn(c.m_fX - hw, c.m_fY - hh) || box.IsPointIn(c.m_fX + hw, c.m_fY - hh) ||
           box.IsPointIn(c.m_fX + hw, c.m_fY + hh) || box.IsPointIn(c.m_fX - hw, c.m_fY + hh);
  };
  return cornerIn(*this, *other) || cornerIn(*other, *this);
}
