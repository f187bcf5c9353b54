#include "motion/MoveType_Varnel.h"

#include "platform/win/WinTime.h"

MoveType_Varnel::MoveType_Varnel(int id) : m_pSprite(nullptr), m_nID(id) {
  MoveType_Varnel::Reset();
}

void MoveType_Varnel::Reset() {
  m_nFinished = 0;
  m_fSpeed = 0.0f;
  m_fAcceleration = 0.0f;
  m_dwDelay = 0;
  m_dwStartTime = timeGetTime();
}

bool MoveType_Varnel::IsDelayed() const {
  return static_cast<uint32_t>(timeGetTime() - m_dwStartTime) < m_dwDelay;
}
