// The millisecond clock of the user-interface thread. timeGetTime() and GetTickCount64() read
// the current time source: the process's monotonic clock unless a test has installed a
// CManualClock, which only moves when the test advances it. The message loop, window timers
// and the frame's countdown clocks all read this one source, so a test can step them together.
#pragma once

#include <cstdint>

#include "platform/win/WinTypes.h"

class IClockSource {
 public:
  virtual ~IClockSource() = default;
  virtual uint64_t NowMs() = 0;  // monotonic milliseconds
};

// A clock that stands still until Advance is called. Starts at a nonzero time so that code
// subtracting a start time never sees zero by accident.
class CManualClock : public IClockSource {
 public:
  explicit CManualClock(uint64_t startMs = 1000) : m_nowMs(startMs) {}
  uint64_t NowMs() override { return m_nowMs; }
  void Advance(uint64_t ms) { m_nowMs += ms; }

 private:
  uint64_t m_nowMs;
};

// Installs a time source (not owned); null goes back to the process clock. Returns the
// previous one (null for the process clock).
IClockSource* SetClockSource(IClockSource* source);

uint64_t GetTickCount64();
DWORD timeGetTime();  // the low 32 bits of GetTickCount64()

// Puts a manual clock in place for the lifetime of the object (tests).
class CScopedManualClock {
 public:
  explicit CScopedManualClock(uint64_t startMs = 1000)
      : m_clock(startMs), m_previous(SetClockSource(&m_clock)) {}
  ~CScopedManualClock() { SetClockSource(m_previous); }
  CScopedManualClock(const CScopedManualClock&) = delete;
  CScopedManualClock& operator=(const CScopedManualClock&) = delete;
  CManualClock& Clock() { return m_clock; }
  void Advance(uint64_t ms) { m_clock.Advance(ms); }

 private:
  CManualClock m_clock;
  IClockSource* m_previous;
};
