#include "motion/Animation_Varnel.h"

#include <cmath>

namespace {

// 1/12 s, the frame time of an animation made without a frame rate.
constexpr float kDefaultFrameTime = 1.0f / 12.0f;

// Up to this many frame times in one update are stepped one by one on the float clock; more
// than that (a stalled clock) are counted as whole steps first, because subtracting a small
// frame time from a large float eventually changes nothing and the loop would never end.
constexpr double kExactSteps = 64.0;

float FrameTimeOf(float fps) {
  if (!(fps > 0.0f)) return 1.0f;  // also NaN
  const float frameTime = 1.0f / fps;
  return (frameTime > 0.0f && std::isfinite(frameTime)) ? frameTime : 1.0f;
}

}  // namespace

Animation_Varnel::Animation_Varnel(int id, HTEXTURE tex, int nframes, float fps, float x,
                                   float y, float w, float h)
    : hgeSprite(tex, x, y, w, h) {
  Init(id, nframes, FrameTimeOf(fps));
}

Animation_Varnel::Animation_Varnel(int id, HTEXTURE tex, int nframes) : hgeSprite(tex) {
  Init(id, nframes, kDefaultFrameTime);
}

void Animation_Varnel::Init(int id, int nframes, float frameTime) {
  m_pHGE = hgeCreate(HGE_VERSION);
  m_nID = id;
  m_nImageWidth = m_pHGE ? m_pHGE->Texture_GetWidth(quad.tex, true) : 0;
  m_fSinceLastFrame = -1.0f;
  m_fSpeed = frameTime;
  m_bPlaying = false;
  m_bHideOnEnd = true;
  m_nMode = MODE_FORWARD_LOOP;
  m_nDelta = 1;
  // A strip without frames would leave nothing to take the frame number modulo.
  m_nFrames = nframes < 1 ? 1 : nframes;
  SetFrame(0);
  m_pCallBack = nullptr;
}

Animation_Varnel::~Animation_Varnel() {
  if (m_pHGE) m_pHGE->Release();
}

void Animation_Varnel::JumpToStartOfDirection() {
  if (m_nMode & MODE_BIT_REVERSE) {
    m_nDelta = -1;
    SetFrame(m_nFrames - 1);
  } else {
    m_nDelta = 1;
    SetFrame(0);
  }
}

void Animation_Varnel::Play() {
  m_bShow = true;
  m_bPlaying = true;
  m_fSinceLastFrame = -1.0f;
  JumpToStartOfDirection();
}

void Animation_Varnel::SetMode(int mode) {
  m_nMode = mode & (MODE_BIT_REVERSE | MODE_BIT_PINGPONG | MODE_BIT_LOOP);
  JumpToStartOfDirection();
}

void Animation_Varnel::SetAlpha(float alpha) {
  if (!(alpha > 0.0f)) alpha = 0.0f;  // also NaN
  if (alpha > 255.0f) alpha = 255.0f;
  m_fAlpha = alpha;
  const DWORD a = static_cast<DWORD>(alpha + 0.5f);
  for (hgeVertex& v : quad.v) v.col = SETA(v.col, a > 255 ? 255 : a);
}

void Animation_Varnel::SetFrame(int n) {
  n %= m_nFrames;
  if (n < 0) n += m_nFrames;
  m_nCurFrame = n;

  const int frameW = static_cast<int>(width);
  float tx1 = tx + static_cast<float>(n) * width;
  float ty1 = ty;
  // A frame that would reach past the image's right edge continues on the next rows at x = 0.
  // The wrap needs at least one whole frame per row; a narrower image keeps the strip on one
  // row rather than divide by zero.
  if (frameW >= 1 && m_nImageWidth >= frameW &&
      tx1 > static_cast<float>(m_nImageWidth) - width) {
    const int columns = m_nImageWidth / frameW;
    int rest = n - static_cast<int>(static_cast<float>(m_nImageWidth) - tx) / frameW;
    if (rest < 0) rest = 0;
    tx1 = width * static_cast<float>(rest % columns);
    ty1 = ty + height * (1.0f + static_cast<float>(rest / columns));
  }
  const float tx2 = tx1 + width;
  const float ty2 = ty1 + height;
  quad.v[0].tx = tx1 / tex_width, quad.v[0].ty = ty1 / tex_height;
  quad.v[1].tx = tx2 / tex_width, quad.v[1].ty = ty1 / tex_height;
  quad.v[2].tx = tx2 / tex_width, quad.v[2].ty = ty2 / tex_height;
  quad.v[3].tx = tx1 / tex_width, quad.v[3].ty = ty2 / tex_height;

  // The fresh coordinates are unflipped: apply the remembered flips again.
  const bool flipX = bXFlip, flipY = bYFlip, flipHot = bHSFlip;
  bXFlip = bYFlip = false;
  SetFlip(flipX, flipY, flipHot);
}

void Animation_Varnel::StopRun() {
  m_bPlaying = false;
  if (m_pCallBack) m_pCallBack->OnAnimationFinished(m_nID);
  // A listener that started the run again has shown the animation already.
  if (m_bPlaying) return;
  m_bShow = !m_bHideOnEnd;
}

void Animation_Varnel::TrimLongStep() {
  const double frameTime = m_fSpeed;
  const double since = m_fSinceLastFrame;
  const double total = std::floor(since / frameTime);
  if (!(total > kExactSteps)) return;

  const double frames = m_nFrames;
  double steps = total;
  if (m_nMode & MODE_BIT_LOOP) {
    // After its first step a looping run repeats with this period, so whole periods can go.
    const double period =
        (m_nMode & MODE_BIT_PINGPONG) ? 2.0 * (frames > 1.0 ? frames - 1.0 : 1.0) : frames;
    if (total > 2.0 * period) steps = period + std::fmod(total, period);
  } else {
    // A run that does not loop has stopped after this many steps whatever frame it was on.
    const double bound = 2.0 * frames + 2.0;
    if (total > bound) steps = bound;
  }
  float rest = static_cast<float>(std::fmod(since, frameTime));
  if (!(rest >= 0.0f) || rest >= m_fSpeed) rest = 0.0f;
  m_fSinceLastFrame = rest;

  for (double k = 0; k < steps && m_bPlaying; ++k) {
    if (!StepOnce()) return;
  }
}

bool Animation_Varnel::StepOnce() {
  const int next = m_nCurFrame + m_nDelta;
  const int mode = m_nMode;
  if (next == m_nFrames) {  // stepping past the last frame
    if (mode == 0 || mode == 3) {
      StopRun();
      if (m_bPlaying) return false;  // started again by the listener: its run starts afresh
    } else if (mode == 2 || mode == 6 || mode == 7) {
      m_nDelta = -m_nDelta;
    }
  } else if (next < 0) {  // stepping before the first frame
    if (mode == 1 || mode == 2) {
      StopRun();
      if (m_bPlaying) return false;
    } else if (mode == 3 || mode == 6 || mode == 7) {
      m_nDelta = -m_nDelta;
    }
  }
  if (m_bPlaying) SetFrame(m_nCurFrame + m_nDelta);
  return true;
}

void Animation_Varnel::Update(float dt) {
  if (!m_bPlaying) return;
  if (m_fSinceLastFrame < 0.0f) {
    m_fSinceLastFrame = 0.0f;  // the first update of a run counts no time
  } else if (std::isfinite(dt)) {
    m_fSinceLastFrame += dt;
  }
  TrimLongStep();

  while (m_fSinceLastFrame >= m_fSpeed) {
    m_fSinceLastFrame -= m_fSpeed;
    // Once the run has stopped, the rest of the time is used up without stepping, so the
    // listener hears of the end once however long the step was.
    if (!m_bPlaying) continue;
    if (!StepOnce()) return;
  }
}
