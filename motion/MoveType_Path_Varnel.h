// MoveType_Path_Varnel: moves its sprite's centre through a list of points at a speed (pixels
// per second) that changes by the acceleration once per moving update, optionally scaling the
// sprite from one size to another on the way.
//
// Each update (after the start delay, until finished): the scales step towards their targets,
// then the sprite moves towards the current point. A point counts as reached when it is closer
// than one update's travel; the sprite is not snapped to it. When the last point is reached and
// both scales sit on their targets, the next update ends the path: the sprite is placed exactly
// on the end point, dies if it is to be removed on arrival, and the listener hears the law's id
// once. A path without points ends on its first update, at the end point (0, 0).
//
// A path that reaches its last point while a scale is still on its way waits there, scaling,
// and ends on the first update after both scales have arrived.
//
// The points live in a fixed array of MAX_POINTS; AddPoint refuses more.
#pragma once

#include "motion/MoveType_Varnel.h"

class MoveType_Path_Varnel : public MoveType_Varnel {
 public:
  static constexpr int MAX_POINTS = 64;

  explicit MoveType_Path_Varnel(int id);

  void Update(float dt) override;
  // Not finished, speed 500, acceleration and delay 0, no points, end point (0, 0), all scale
  // values 1, start time now.
  void Reset() override;

  // Appends the point and makes it the end point; false (and nothing changes) when the path is
  // full.
  virtual bool AddPoint(float x, float y);
  // Scale range and the fraction of it covered per second; the sprite's scale jumps to `from`
  // at once when the law is attached to a sprite.
  virtual void SetScaleX(float from, float to, float rate);
  virtual void SetScaleY(float from, float to, float rate);

  int GetPointCount() const { return m_nPointCount; }
  int GetCurrent() const { return m_nCurrent; }
  VarnelPoint GetEndPoint() const { return m_End; }

 private:
  VarnelPoint m_Points[MAX_POINTS];
  int m_nPointCount = 0;
  int m_nCurrent = 0;
  VarnelPoint m_End;
  float m_fScaleXRate = 1.0f, m_fScaleYRate = 1.0f;
  float m_fScaleXFrom = 1.0f, m_fScaleXTo = 1.0f;
  float m_fScaleYFrom = 1.0f, m_fScaleYTo = 1.0f;
};
