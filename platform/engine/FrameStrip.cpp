#include "platform/engine/FrameStrip.h"

#include <algorithm>
#include <cmath>

namespace {

// Up to this many frame times in one update are stepped one by one on the float clock; more
// than that (a stalled clock) are counted as whole steps first, because subtracting a small
// frame time from a large float eventually changes nothing and the loop would never end.
constexpr double kExactSteps = 64.0;

}  // namespace

float CFrameStrip::FrameTimeOf(float fps) {
  if (!(fps > 0.0f)) return 1.0f;  // also NaN
  const float frameTime = 1.0f / fps;
  return (frameTime > 0.0f && std::isfinite(frameTime)) ? frameTime : 1.0f;
}

CFrameStrip::CFrameStrip(int frames, float frameTime) {
  SetFrames(frames);
  SetFrameTime(frameTime);
}

int CFrameStrip::Wrap(int n) {
  n %= m_frames;
  if (n < 0) n += m_frames;
  m_current = n;
  return n;
}

int CFrameStrip::SetMode(int mode) {
  m_mode = mode & (FRAME_MODE_REVERSE | FRAME_MODE_PINGPONG | FRAME_MODE_LOOP);
  m_delta = (m_mode & FRAME_MODE_REVERSE) ? -1 : 1;
  return m_delta < 0 ? m_frames - 1 : 0;
}

int CFrameStrip::Start() {
  m_playing = true;
  m_since = -1.0f;
  return SetMode(m_mode);
}

float CFrameStrip::SecondsToNextStep() const {
  if (!m_playing) return -1.0f;
  if (m_since < 0.0f) return 0.0f;
  return std::max(m_frameTime - m_since, 0.0f);
}

void CFrameStrip::AddTime(float dt) {
  if (m_since < 0.0f) {
    m_since = 0.0f;  // the first update of a run counts no time
  } else if (dt > 0.0f && std::isfinite(dt)) {
    m_since += dt;
  }
}

double CFrameStrip::TrimLongStep() {
  const double frameTime = m_frameTime;
  const double since = m_since;
  const double total = std::floor(since / frameTime);
  if (!(total > kExactSteps)) return 0;

  const double frames = m_frames;
  double steps = total;
  if (m_mode & FRAME_MODE_LOOP) {
    // After its first step a looping run repeats with this period, so whole periods can go.
    const double period =
        (m_mode & FRAME_MODE_PINGPONG) ? 2.0 * (frames > 1.0 ? frames - 1.0 : 1.0) : frames;
    if (total > 2.0 * period) steps = period + std::fmod(total, period);
  } else {
    // A run that does not loop has stopped after this many steps whatever frame it was on.
    const double bound = 2.0 * frames + 2.0;
    if (total > bound) steps = bound;
  }
  float rest = static_cast<float>(std::fmod(since, frameTime));
  if (!(rest >= 0.0f) || rest >= m_frameTime) rest = 0.0f;
  m_since = rest;
  return steps;
}

bool CFrameStrip::Step(int& next) {
  next = m_current + m_delta;
  const int mode = m_mode;
  if (next == m_frames) {  // stepping past the last frame
    if (mode == 0 || mode == 3) {
      m_playing = false;
      return false;
    }
    if (mode == 2 || mode == 6 || mode == 7) m_delta = -m_delta;
  } else if (next < 0) {  // stepping before the first frame
    if (mode == 1 || mode == 2) {
      m_playing = false;
      return false;
    }
    if (mode == 3 || mode == 6 || mode == 7) m_delta = -m_delta;
  }
  next = m_current + m_delta;
  return true;
}

void StripFramePosition(float firstX, float firstY, float w, float h, int imageWidth, int n,
                        float& x, float& y) {
  x = firstX + static_cast<float>(n) * w;
  y = firstY;
  const int frameW = static_cast<int>(w);
  // The wrap needs at least one whole frame per row; a narrower image keeps the strip on one
  // row rather than divide by zero.
  if (frameW < 1 || imageWidth < frameW || !(x > static_cast<float>(imageWidth) - w)) return;
  const int columns = imageWidth / frameW;
  int rest = n - static_cast<int>(static_cast<float>(imageWidth) - firstX) / frameW;
  if (rest < 0) rest = 0;
  x = w * static_cast<float>(rest % columns);
  y = firstY + h * (1.0f + static_cast<float>(rest / columns));
}
