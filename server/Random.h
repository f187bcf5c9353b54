// The server's random numbers: splitmix64, the same on every platform, so that a seed replays a
// game anywhere. The table shuffles and picks the first banker with it; a table host draws its
// bots' thinking times with one of its own.
#pragma once

#include <cstdint>

class CRandom {
 public:
  explicit CRandom(uint64_t seed) : m_state(seed) {}

  uint64_t Next() {
    uint64_t z = (m_state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }

  // A number from 0 to bound - 1 (bound at most 2^32; 0 for a bound of 0 or 1), from the top
  // 32 bits of the next number scaled by the bound.
  uint32_t Below(uint64_t bound) {
    if (bound > (uint64_t{1} << 32)) bound = uint64_t{1} << 32;
    return static_cast<uint32_t>(((Next() >> 32) * bound) >> 32);
  }

 private:
  uint64_t m_state;
};
