// What every frame animation shares: stepping through a strip of frames in time (CFrameStrip)
// and where frame n of the strip lies in its image (StripFramePosition). The engine's
// hgeAnimation and the game's Animation_Varnel are both built on them.
//
// Modes are a bit set: 1 reverse, 2 ping-pong, 4 loop; 0 is forward once.
//   0 forward once            4 forward loop
//   1 reverse once            5 reverse loop
//   2 forward ping-pong once  6 forward ping-pong loop
//   3 reverse ping-pong once  7 reverse ping-pong loop
// A run that does not loop stops at the end of its direction (for ping-pong after coming back);
// looping runs never stop by themselves.
//
// Time: the first update of a run counts no time, so a run shows its first frame for one whole
// frame time after it. Every whole frame time then steps one frame. An update that is not a
// positive finite number of seconds adds no time. A long update (a stalled clock) steps at most
// a few periods of the run, the same frames as many short updates would show, and a run that
// stops uses up the rest of the time without stepping, so its end is told once.
#pragma once

#include <cstdint>

inline constexpr int FRAME_MODE_REVERSE = 1;
inline constexpr int FRAME_MODE_PINGPONG = 2;
inline constexpr int FRAME_MODE_LOOP = 4;

class CFrameStrip {
 public:
  // Seconds per frame at `fps` frames per second; a rate that is not a positive finite number,
  // or one so large that its frame time vanishes, gives one frame a second.
  static float FrameTimeOf(float fps);

  // Stopped on frame 0, forward loop. A frame count below 1 counts as 1.
  explicit CFrameStrip(int frames = 1, float frameTime = 1.0f);

  int Frames() const { return m_frames; }
  int Current() const { return m_current; }
  int Mode() const { return m_mode; }
  bool Playing() const { return m_playing; }
  float FrameTime() const { return m_frameTime; }

  void SetFrames(int frames) { m_frames = frames < 1 ? 1 : frames; }
  void SetFrameTime(float seconds) { m_frameTime = seconds > 0.0f ? seconds : 1.0f; }
  // Takes n modulo the frame count (so -1 is the last frame), makes it current and returns it.
  int Wrap(int n);
  // Stores the mode (bits above 7 are dropped) and turns to its direction; returns the first
  // frame of that direction for the owner to show. Does not start or stop a run.
  int SetMode(int mode);
  // Starts a run from the beginning of its direction; returns the first frame to show.
  int Start();
  void Pause() { m_playing = false; }
  void Resume() { m_playing = true; }
  // Seconds until the next frame step of a playing run: 0 while it waits for its first update
  // (which starts its clock), -1 when it is not playing.
  float SecondsToNextStep() const;

  // Advances a playing run by dt seconds. show(n) is called for every frame step with the frame
  // to show, which the owner makes current with Wrap. stopped() is called when a run that does
  // not loop ends (Playing() is already false); if it starts a new run, this update ends there.
  template <class Show, class Stopped>
  void Update(float dt, Show&& show, Stopped&& stopped) {
    if (!m_playing) return;
    AddTime(dt);
    for (double k = TrimLongStep(); k > 0 && m_playing; --k) {
      if (!StepAndTell(show, stopped)) return;
    }
    while (m_since >= m_frameTime) {
      m_since -= m_frameTime;
      if (m_playing && !StepAndTell(show, stopped)) return;
    }
  }

 private:
  void AddTime(float dt);
  // Turns an accumulated time of very many frame times into the equivalent handful of steps,
  // returned, and keeps only the part of a frame time that is left.
  double TrimLongStep();
  // One frame step: true with the frame to show (not yet wrapped: -1 or the frame count are
  // the wrap of a looping run), false when the run ends here.
  bool Step(int& next);

  // One step, told to the owner; false when the owner started a new run.
  template <class Show, class Stopped>
  bool StepAndTell(Show& show, Stopped& stopped) {
    int next = 0;
    if (Step(next)) {
      show(next);
      return true;
    }
    stopped();
    return !m_playing;  // started again: the new run begins afresh
  }

  int m_frames;
  float m_frameTime;
  float m_since = -1.0f;  // time since the last frame; -1: waiting for the run's first update
  int m_mode = FRAME_MODE_LOOP;
  int m_delta = 1;
  int m_current = 0;
  bool m_playing = false;
};

// The texture position (x, y) of frame n of a strip whose first frame is the rectangle
// (firstX, firstY, w, h): frames run left to right and, where a frame would reach past the
// image's right edge (`imageWidth`, the image's own width rather than a padded texture's),
// continue on the following rows at x = 0. An image narrower than one frame keeps the strip on
// one row.
void StripFramePosition(float firstX, float firstY, float w, float h, int imageWidth, int n,
                        float& x, float& y);
