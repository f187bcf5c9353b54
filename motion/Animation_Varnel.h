// Animation_Varnel: a sprite whose texture rectangle steps through a strip of equally sized
// frames at a fixed frame rate, and which tells a listener by its id when a run that does not
// loop stops. The stepping and the layout of the strip are the engine's frame strip
// (platform/engine/FrameStrip.h: the eight modes, the timing, long steps, frames continuing on
// the following rows of the image by its own width, not the padded texture width).
//
// Modes: 0 forward once, 1 reverse once, 2 forward ping-pong once, 3 reverse ping-pong once,
// 4..7 the same looping. When a run stops: playing is cleared, the listener hears the id, and
// then the show flag becomes !hide-on-end (a listener that clears hide-on-end keeps the last
// frame shown; one that starts the run again ends the update there). Looping runs never stop by
// themselves and never call the listener.
//
// Created stopped on frame 0, mode 4, hide-on-end set. The first Update after Play counts no
// time, so a run shows its first frame for one whole frame time after the first update.
//
// The animation also keeps the alpha that moving sprites fade (0..255, kept as a float so that
// slow fades do not stall on whole steps); SetAlpha writes it into the four vertex colours.
#pragma once

#include "motion/VarnelAnimationCallBack.h"
#include "platform/engine/FrameStrip.h"
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
  static constexpr int MODE_BIT_REVERSE = FRAME_MODE_REVERSE;
  static constexpr int MODE_BIT_PINGPONG = FRAME_MODE_PINGPONG;
  static constexpr int MODE_BIT_LOOP = FRAME_MODE_LOOP;

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
  int GetFrames() const { return m_strip.Frames(); }
  int GetFrame() const { return m_strip.Current(); }
  int GetMode() const { return m_strip.Mode(); }
  bool IsPlaying() const { return m_strip.Playing(); }
  bool GetHideOnEnd() const { return m_bHideOnEnd; }
  float GetFrameTime() const { return m_strip.FrameTime(); }
  // Seconds until the run shows its next frame: 0 before its first update, -1 when stopped.
  float SecondsToNextFrame() const { return m_strip.SecondsToNextStep(); }
  int GetImageWidth() const { return m_nImageWidth; }

 private:
  void Init(int id, int nframes, float frameTime);
  void StopRun();

  HGE* m_pHGE = nullptr;  // our own engine reference
  int m_nID = 0;
  VarnelAnimationCallBack* m_pCallBack = nullptr;  // not owned
  int m_nImageWidth = 0;
  bool m_bHideOnEnd = true;
  CFrameStrip m_strip;  // frame count, frame time, mode, direction, current frame, the clock
  float m_fAlpha = 255.0f;
};
