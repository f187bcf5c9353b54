#include "motion/Animation_Varnel.h"

namespace {

// 1/12 s, the frame time of an animation made without a frame rate.
constexpr float kDefaultFrameTime = 1.0f / 12.0f;

}  // namespace

Animation_Varnel::Animation_Varnel(int id, HTEXTURE tex, int nframes, float fps, float x, float y,
                                   float w, float h)
    : hgeSprite(tex, x, y, w, h) {
  Init(id, nframes, CFrameStrip::FrameTimeOf(fps));
}

Animation_Varnel::Animation_Varnel(int id, HTEXTURE tex, int nframes) : hgeSprite(tex) {
  Init(id, nframes, kDefaultFrameTime);
}

void Animation_Varnel::Init(int id, int nframes, float frameTime) {
  m_pHGE = hgeCreate(HGE_VERSION);
  m_nID = id;
  m_nImageWidth = m_pHGE ? m_pHGE->Texture_GetWidth(quad.tex, true) : 0;
  m_bHideOnEnd = true;
  // A strip without frames would leave nothing to take the frame number modulo.
  m_strip = CFrameStrip(nframes, frameTime);
  SetFrame(0);
  m_pCallBack = nullptr;
}

Animation_Varnel::~Animation_Varnel() {
  if (m_pHGE) m_pHGE->Release();
}

void Animation_Varnel::Play() {
  m_bShow = true;
  SetFrame(m_strip.Start());
}

void Animation_Varnel::SetMode(int mode) { SetFrame(m_strip.SetMode(mode)); }

void Animation_Varnel::SetAlpha(float alpha) {
  if (!(alpha > 0.0f)) alpha = 0.0f;  // also NaN
  if (alpha > 255.0f) alpha = 255.0f;
  m_fAlpha = alpha;
  const DWORD a = static_cast<DWORD>(alpha + 0.5f);
  for (hgeVertex& v : quad.v) v.col = SETA(v.col, a > 255 ? 255 : a);
}

void Animation_Varnel::SetFrame(int n) { ShowStripFrame(m_strip.Wrap(n), m_nImageWidth); }

void Animation_Varnel::StopRun() {
  if (m_pCallBack) m_pCallBack->OnAnimationFinished(m_nID);
  // A listener that started the run again has shown the animation already.
  if (m_strip.Playing()) return;
  m_bShow = !m_bHideOnEnd;
}

void Animation_Varnel::Update(float dt) {
  m_strip.Update(
      dt, [this](int n) { SetFrame(n); }, [this] { StopRun(); });
}
