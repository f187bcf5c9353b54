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

#include "platform/engine/FrameStrip.h"
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
  // Shows the area (x, y, w, h) of the texture on the quad and applies the flips again; the
  // texture rectangle stays as it is.
  void MapTexture(float x, float y, float w, float h);
  // Shows frame n of a strip whose first frame is the texture rectangle, in an image
  // `imageWidth` pixels wide (StripFramePosition).
  void ShowStripFrame(int n, int imageWidth);

  HGE* hge;
  hgeQuad quad;
  float tx, ty, width, height;
  float tex_width, tex_height;  // the texture's real size (1 without texture)
  float hotX, hotY;
  bool bXFlip, bYFlip, bHSFlip;
};

inline constexpr int HGEANIM_FWD = 0;
inline constexpr int HGEANIM_REV = FRAME_MODE_REVERSE;
inline constexpr int HGEANIM_PINGPONG = FRAME_MODE_PINGPONG;
inline constexpr int HGEANIM_NOPINGPONG = 0;
inline constexpr int HGEANIM_LOOP = FRAME_MODE_LOOP;
inline constexpr int HGEANIM_NOLOOP = 0;

// A sprite stepping through a strip of frames (FrameStrip.h: the modes, the timing, how frames
// continue on the following rows of the image). The texture rectangle given at construction is
// the first frame. Created stopped on frame 0, mode forward loop; the end of a run only stops it.
class hgeAnimation : public hgeSprite {
 public:
  hgeAnimation(int id, HTEXTURE tex, int nframes, float fps, float x, float y, float w, float h);
  hgeAnimation(const hgeAnimation& other) = default;

  void Play() { SetFrame(m_strip.Start()); }
  void Stop() { m_strip.Pause(); }
  void Resume() { m_strip.Resume(); }
  void Update(float deltaTime);
  bool IsPlaying() const { return m_strip.Playing(); }

  // Bits above 7 are dropped; jumps to the first frame of the mode's direction.
  void SetMode(int mode) { SetFrame(m_strip.SetMode(mode)); }
  void SetSpeed(float fps) { m_strip.SetFrameTime(CFrameStrip::FrameTimeOf(fps)); }
  void SetFrame(int n) { ShowStripFrame(m_strip.Wrap(n), m_nImageWidth); }
  void SetFrames(int n) { m_strip.SetFrames(n); }

  int GetID() const { return m_nID; }
  int GetMode() const { return m_strip.Mode(); }
  float GetSpeed() const { return 1.0f / m_strip.FrameTime(); }
  int GetFrame() const { return m_strip.Current(); }
  int GetFrames() const { return m_strip.Frames(); }

 private:
  int m_nID;
  int m_nImageWidth;  // unpadded width of the texture's image
  CFrameStrip m_strip;
};
