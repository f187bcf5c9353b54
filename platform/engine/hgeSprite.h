// hgeSprite: a textured quad cut from a texture, drawn by the engine. hgeAnimation: a sprite
// stepping through a strip of equally sized frames.
//
// A sprite holds its own engine reference. It is built shown; a hidden sprite (m_bShow false,
// which owners set directly or with SetShow) draws nothing. The texture rectangle is in pixels
// of the texture; texture coordinates are kept relative to the texture's real size, so
// padded textures work unchanged. Rotations are radians about the hot spot, clockwise on
// screen; RenderEx with a vertical scale of 0 uses the horizontal scale for both.
// SetFlip(x, y, hotSpot) mirrors the picture; with hotSpot set the hot spot is mirrored too
// (x becomes width - x), so a flipped sprite turns about the mirrored point. Colours are ARGB
// per vertex (index -1 = all four); z is per vertex and kept for the engine (0.5 by default).
#pragma once

#include "platform/engine/hge.h"

class hgeSprite {
 public:
  hgeSprite(HTEXTURE tex, float x, float y, float w, float h);
  explicit hgeSprite(HTEXTURE tex);  // the whole texture at its image size
  hgeSprite(const hgeSprite& other);
  hgeSprite& operator=(const hgeSprite& other);
  virtual ~hgeSprite();

  void Render(float x, float y);
  void RenderEx(float x, float y, float rot, float hscale = 1.0f, float vscale = 0.0f);
  void RenderStretch(float x1, float y1, float x2, float y2);
  // The four corners: top-left, top-right, bottom-right, bottom-left.
  void Render4V(float x0, float y0, float x1, float y1, float x2, float y2, float x3, float y3);

  void SetTexture(HTEXTURE tex);
  void SetTextureRect(float x, float y, float w, float h, bool adjSize = true);
  void SetColor(DWORD col, int i = -1);
  void SetZ(float z, int i = -1);
  void SetBlendMode(int blend) { quad.blend = blend; }
  void SetHotSpot(float x, float y) { hotX = x, hotY = y; }
  void SetFlip(bool bX, bool bY, bool bHotSpot = false);
  void SetShow(bool show) { m_bShow = show; }

  HTEXTURE GetTexture() const { return quad.tex; }
  void GetTextureRect(float* x, float* y, float* w, float* h) const;
  DWORD GetColor(int i = 0) const { return quad.v[ClampIndex(i)].col; }
  float GetZ(int i = 0) const { return quad.v[ClampIndex(i)].z; }
  int GetBlendMode() const { return quad.blend; }
  void GetHotSpot(float* x, float* y) const;
  void GetFlip(bool* bX, bool* bY) const;
  float GetWidth() const { return width; }
  float GetHeight() const { return height; }
  bool IsShow() const { return m_bShow; }

  bool m_bShow = true;  // visibility, honoured by every Render call

 protected:
  static int ClampIndex(int i) { return i < 0 ? 0 : i > 3 ? 3 : i; }
  float EffectiveHotX() const { return (bHSFlip && bXFlip) ? width - hotX : hotX; }
  float EffectiveHotY() const { return (bHSFlip && bYFlip) ? height - hotY : hotY; }
  void Draw();

  HGE* hge;
  hgeQuad quad;
  float tx, ty, width, height;
  float tex_width, tex_height;  // the texture's real size (1 without texture)
  float hotX, hotY;
  bool bXFlip, bYFlip, bHSFlip;
};

inline constexpr int HGEANIM_FWD = 0;
inline constexpr int HGEANIM_REV = 1;
inline constexpr int HGEANIM_PINGPONG = 2;
inline constexpr int HGEANIM_NOPINGPONG = 0;
inline constexpr int HGEANIM_LOOP = 4;
inline constexpr int HGEANIM_NOLOOP = 0;

// Frames are laid out left to right from the first frame's rectangle and continue on the next
// rows at x = 0 of the image. Created stopped on frame 0, mode forward loop. Update(dt)
// advances by whole frame times; a run that is not looping stops at the end of its direction
// (for ping-pong, after coming back).
class hgeAnimation : public hgeSprite {
 public:
  hgeAnimation(int id, HTEXTURE tex, int nframes, float fps, float x, float y, float w, float h);
  hgeAnimation(const hgeAnimation& other) = default;

  void Play();
  void Stop() { m_bPlaying = false; }
  void Resume() { m_bPlaying = true; }
  void Update(float deltaTime);
  bool IsPlaying() const { return m_bPlaying; }

  void SetMode(int mode);
  void SetSpeed(float fps) { m_fSpeed = FrameTime(fps); }
  void SetFrame(int n);
  void SetFrames(int n) { m_nFrames = n < 1 ? 1 : n; }

  int GetID() const { return m_nID; }
  int GetMode() const { return m_nMode; }
  float GetSpeed() const { return 1.0f / m_fSpeed; }
  int GetFrame() const { return m_nCurFrame; }
  int GetFrames() const { return m_nFrames; }

 private:
  static float FrameTime(float fps);
  void StopRun() { m_bPlaying = false; }

  int m_nID;
  int m_nImageWidth;  // unpadded width of the texture's image
  int m_nFrames;
  float m_fSpeed;  // seconds per frame
  float m_fSinceLastFrame = -1.0f;
  int m_nMode = HGEANIM_FWD | HGEANIM_LOOP;
  int m_nDelta = 1;
  int m_nCurFrame = 0;
  bool m_bPlaying = false;
  float m_fFirstX, m_fFirstY;  // the first frame's texture position
};
