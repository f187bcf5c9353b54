// CCollisionSprite_Varnel: the position of a moving sprite and its axis-aligned collision box.
// (x, y) is the box's centre; the box keeps the size it was made with (scaling a moving sprite
// does not change it). Reset returns a sprite to its start position.
#pragma once

class CCollisionSprite_Varnel {
 public:
  CCollisionSprite_Varnel(float x, float y, float width, float height);
  virtual ~CCollisionSprite_Varnel() = default;

  // True when a corner of either box lies strictly inside the other box; boxes that only touch
  // do not collide. Null collides with nothing.
  bool IsCollide(const CCollisionSprite_Varnel* other) const;
  // True when (px, py) lies strictly inside this box.
  bool IsPointIn(float px, float py) const;

  float GetX() const { return m_fX; }
  float GetY() const { return m_fY; }
  void SetPosition(float x, float y) { m_fX = x, m_fY = y; }
  float GetStartX() const { return m_fStartX; }
  float GetStartY() const { return m_fStartY; }
  float GetBoxWidth() const { return m_fWidth; }
  float GetBoxHeight() const { return m_fHeight; }

 protected:
  float m_fStartX, m_fStartY;
  float m_fX, m_fY;
  float m_fWidth, m_fHeight;
};
