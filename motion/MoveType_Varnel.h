// MoveType_Varnel: a motion law that moves one MoveSprite_Varnel. The sprite owns its law and
// attaches itself with SetSprite when it is made; the law only points back at it.
//
// A law does nothing until `delay` milliseconds have passed since its start time, which is the
// millisecond clock (timeGetTime) at its construction or last Reset - not the sprite's first
// update. Once finished, a law does nothing more.
#pragma once

#include <cstdint>

class MoveSprite_Varnel;

// A point of a path or a corner of a sprite's drawn rectangle, in screen pixels.
struct VarnelPoint {
  float x = 0.0f;
  float y = 0.0f;
};

class MoveType_Varnel {
 public:
  explicit MoveType_Varnel(int id);
  virtual ~MoveType_Varnel() = default;

  MoveType_Varnel(const MoveType_Varnel&) = delete;
  MoveType_Varnel& operator=(const MoveType_Varnel&) = delete;

  virtual int GetID() const { return m_nID; }
  virtual int SetID(int id) { return m_nID = id; }
  virtual void SetSprite(MoveSprite_Varnel* sprite) { m_pSprite = sprite; }
  // Added to the magnitude of the speed once per moving update (not scaled by time).
  virtual void SetAcceleration(float acceleration) { m_fAcceleration = acceleration; }
  virtual void SetSpeed(float speed) { m_fSpeed = speed; }  // pixels per second
  virtual void SetDelay(uint32_t ms) { m_dwDelay = ms; }
  virtual void Update(float dt) = 0;
  // Not finished, speed, acceleration and delay 0, start time now.
  virtual void Reset();

  bool IsFinished() const { return m_nFinished != 0; }
  float GetSpeed() const { return m_fSpeed; }
  float GetAcceleration() const { return m_fAcceleration; }
  uint32_t GetDelay() const { return m_dwDelay; }
  uint32_t GetStartTime() const { return m_dwStartTime; }
  MoveSprite_Varnel* GetSprite() const { return m_pSprite; }

 protected:
  // True while the start delay has not yet passed (unsigned, so the clock may wrap).
  bool IsDelayed() const;

  MoveSprite_Varnel* m_pSprite = nullptr;  // not owned
  int32_t m_nFinished = 0;
  int32_t m_nID = 0;
  uint32_t m_dwDelay = 0;
  uint32_t m_dwStartTime = 0;
  float m_fSpeed = 0.0f;
  float m_fAcceleration = 0.0f;
};
