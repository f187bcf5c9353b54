// Animation_Varnel: a sprite whose texture rectangle steps through a strip of equally sized
// frames at a fixed frame rate. The frames are laid out left to right from the first frame's
// rectangle and continue on the following rows at x = 0 once a row of the image (its own width,
// not the padded texture width) is full.
//
// Modes are a bit set: 1 reverse, 2 ping-pong, 4 loop; 0 is forward once.
//   0 forward once            4 forward loop
//   1 reverse once            5 reverse loop
//   2 forward ping-pong once  6 forward ping-pong loop
//   3 reverse ping-pong once  7 reverse ping-pong loop
// A run that does not loop stops at the end of its direction (for ping-pong after coming back):
// playing is cleared, the listener hears the id, and then the show flag becomes
// !hide-on-end. Looping runs never stop by themselves and never call the listener.
//
// Created stopped on frame 0, mode 4, hide-on-end set. The first Update after Play counts no
// time, so a run shows its first frame for one whole frame time after the first update.
//
// The animation also keeps the alpha that moving sprites fade (0..255, kept as a float so that
// slow fades do not stall on whole steps); SetAlpha writes it into the four vertex colours.
#pragma once

#include "motion/VarnelAnimationCallBack.h"
#include "platform/engine/hgeSprite.h"

class Animation_Varnel : public hgeSprite {
 public:
  enum Mode {
    MODE_FORWARD_ONCE = 0,
    MODE_REVERSE_ONCE = 1,
    MODE_PINGPONG_ONCE = 2,
    MODE_REVERSE_PINGPONG_ONCE = 3,
    MODE_FORWARD_LOOP = 4,
    MODE_REVERSE_LOOP = 5,
    MODE_PINGPONG_LOOP = 6,
    MODE_REVERSE_PINGPONG_LOOP = 7,
  };
  static constexpr int MODE_BIT_REVERSE = 1;
  static constexpr int MODE_BIT_PINGPONG = 2;
  static constexpr int MODE_BIT_LOOP = 4;

  // The first frame is the rectangle (x, y, w, h) of the texture. A frame count below 1 counts
  // as 1; a frame rate that is not a positive finite number gives one frame per second.
  Animation_Varnel(int id, HTEXTURE tex, int nframes, float fps, float x, float y, float w,
                   float h);
  // The first frame covers the whole image; 12 frames per second.
  Animation_Varnel(int id, HTEXTURE tex, int nframes);
  ~Animation_Varnel() override;

  Animation_Varnel(const Animation_Varnel&) = delete;
  Animation_Varnel& operator=(const Animation_Varnel&) = delete;

  // Shows the animation and starts a run from the first frame of its direction.
  void Play();
  // Stores the mode (bits above 7 are dropped) and jumps to the first frame of its direction;
  // does not start or stop a run.
  void SetMode(int mode);
  // Shows frame n; n is taken modulo the frame count, so -1 is the last frame.
  void SetFrame(int n);
  // Advances the run by dt seconds.
  void Update(float dt);

  void SetCallBack(VarnelAnimationCallBack* listener) { m_pCallBack = listener; }
  void SetHideOnEnd(bool hide) { m_bHideOnEnd = hide; }

  // Alpha 0..255 for all four vertices (values outside are clamped).
  void SetAlpha(float alpha);
  float GetAlpha() const { return m_fAlpha; }

  int GetID() const { return m_nID; }
  int GetFrames() const { return m_nFrames; }
  int GetFrame() const { return m_nCurFrame; }
  int GetMode() const { return m_nMode; }
  bool IsPlaying() const { return m_bPlaying; }
  bool GetHideOnEnd() const { return m_bHideOnEnd; }
  float GetFrameTime() const { return m_fSpeed; }
  int GetImageWidth() const { return m_nImageWidth; }

 private:
  void Init(int id, int nframes, float frameTime);
  void JumpToStartOfDirection();
  void StopRun();
  // One frame step of a playing run; false when the listener started the run again.
  bool StepOnce();
  // Trims an accumulated time of very many frame times (a stalled clock) to an equivalent
  // handful, so that the stepping loop stays short and exact.
  void TrimLongStep();

  HGE* m_pHGE = nullptr;  // our own engine reference
  int m_nID = 0;
  VarnelAnimationCallBack* m_pCallBack = nullptr;  // not owned
  int m_nImageWidth = 0;
  bool m_bPlaying = false;
  bool m_bHideOnEnd = true;
  float m_fSpeed = 1.0f;  // seconds per frame
  float m_fSinceLastFrame = -1.0f;
  int m_nMode = MODE_FORWARD_LOOP;
  int m_nDelta = 1;
  int m_nFrames = 1;
  int m_nCurFrame = 0;
  float m_fAlpha = 255.0f;
};
