// MoveSprite_Varnel: a frame animation carried across the screen by a motion law. The sprite
// owns its law (deleted with the sprite) but not its animation, which its creator keeps and
// deletes after the sprite. (x, y) is the centre of the drawn rectangle; the collision box has
// the animation's frame size.
//
// Update(dt): the law moves the sprite, the animation steps, the angle turns by the rotate
// speed and the alpha fades by the alpha speed (kept within 0..255). Render draws the current
// frame into the scaled rectangle around the centre, turned clockwise on screen by a positive
// angle (degrees; an angle of 0 or below draws it unturned). A sprite without a law is drawn
// and animated but never moves or ends by itself.
#pragma once

#include <memory>

#include "motion/Animation_Varnel.h"
#include "motion/CollisionSprite_Varnel.h"
#include "motion/MoveType_Varnel.h"
#include "motion/VarnelMoveSpriteInterface.h"

class MoveSprite_Varnel : public CCollisionSprite_Varnel {
 public:
  // Degrees to radians as the drawing has always turned sprites (slightly less than pi / 180).
  static constexpr float DEGREES_TO_RADIANS = 0.01745f;

  // startFrame -1 starts the animation (Play); a start frame below the animation's frame count
  // shows that frame without starting it; a larger one leaves the animation as it is.
  MoveSprite_Varnel(Animation_Varnel* animation, std::unique_ptr<MoveType_Varnel> motion,
                    VarnelMoveSpriteInterface* listener, float x, float y, int startFrame);
  ~MoveSprite_Varnel() override;

  MoveSprite_Varnel(const MoveSprite_Varnel&) = delete;
  MoveSprite_Varnel& operator=(const MoveSprite_Varnel&) = delete;

  // Back to the start position, law reset (which for a path clears its points and speed),
  // no rotation, fully opaque, alive.
  virtual void Reset();
  // Turns at the speed that reaches `angle` after ms milliseconds, and keeps turning past it.
  // ms 0 sets the angle at once and stops turning.
  virtual void RotateTo(unsigned ms, float angle);
  // Fades from opaque to transparent in ms milliseconds and stays alive at alpha 0; ms 0 makes
  // it transparent at once.
  virtual void FadeOut(unsigned ms);
  virtual void SetRotateSpeed(float degreesPerSecond) { m_fRotateSpeed = degreesPerSecond; }
  virtual float GetAlpha() const { return m_pAnimation ? m_pAnimation->GetAlpha() : 0.0f; }
  virtual void SetAlpha(float alpha) {
    if (m_pAnimation) m_pAnimation->SetAlpha(alpha);
  }
  virtual void SetAngle(float degrees) { m_fAngle = degrees; }
  // 1 (default): the sprite dies when its law ends; 0: it stays drawn at the end point.
  virtual void SetRemoveOnArrive(int remove) { m_nRemoveOnArrive = remove; }
  // Rebuilds the unturned rectangle from the centre, the frame size and the scale.
  virtual void UpdateQuad();
  virtual void Update(float dt);
  virtual void Render();

  bool IsAlive() const { return m_bAlive; }
  void SetAlive(bool alive) { m_bAlive = alive; }
  int GetRemoveOnArrive() const { return m_nRemoveOnArrive; }
  VarnelMoveSpriteInterface* GetListener() const { return m_pListener; }
  Animation_Varnel* GetAnimation() const { return m_pAnimation; }
  MoveType_Varnel* GetMotion() const { return m_pMotion.get(); }
  float GetAngle() const { return m_fAngle; }
  float GetRotateSpeed() const { return m_fRotateSpeed; }
  float GetAlphaSpeed() const { return m_fAlphaSpeed; }
  float GetScaleX() const { return m_fScaleX; }
  float GetScaleY() const { return m_fScaleY; }
  void SetScale(float sx, float sy) { m_fScaleX = sx, m_fScaleY = sy; }
  // Corner i of the rectangle last built (0 top-left, 1 top-right, 2 bottom-right,
  // 3 bottom-left; turned after a Render with a positive angle); (0, 0) for other i.
  VarnelPoint GetCorner(int i) const;

 protected:
  // Turns the four corners by `degrees` about (cx, cy), or about the centre of their bounding
  // box when cx is -1.
  void RotateQuad(float degrees, float cx = -1.0f, float cy = -1.0f);

  Animation_Varnel* m_pAnimation;  // not owned
  std::unique_ptr<MoveType_Varnel> m_pMotion;
  VarnelPoint m_Quad[4];
  float m_fAngle = 0.0f;
  float m_fRotateSpeed = 0.0f;
  int m_nRemoveOnArrive = 1;
  float m_fAlphaSpeed = 0.0f;
  VarnelMoveSpriteInterface* m_pListener;  // not owned
  float m_fScaleX = 1.0f, m_fScaleY = 1.0f;
  bool m_bAlive = true;
};
