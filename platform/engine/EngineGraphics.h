// The engine's drawing on one SDL renderer: scenes, clearing, lines, and triangles and quads as
// SDL_RenderGeometry with a colour and alpha per vertex (an upright quad of one colour that
// shows whole texture pixels is copied as a rectangle: the same picture, drawn much faster).
// Works on any renderer, the software renderer on a surface included, so it can be used without
// a window or the rest of the engine.
//
// Drawing happens only inside a scene (Begin ... End) and goes into the scene's texture. A quad
// is two triangles (0, 1, 2) and (0, 2, 3); texture coordinates are relative to the texture's
// real size. Blend: BLEND_ALPHABLEND blends, anything else adds; vertex colours multiply the
// texture. A scene never draws its own texture into itself.
//
// Clipping: all four values 0 switch it off; a rectangle with a width or height of 0 or less
// hides everything until clipping changes (SDL would read an empty rectangle as "no clipping",
// so a rectangle off the target stands for it); any other rectangle clips to it. Each Begin
// starts without clipping.
#pragma once

#include <SDL2/SDL.h>

#include "platform/engine/hge.h"

class CEngineGraphics {
 public:
  void Attach(SDL_Renderer* renderer) { m_renderer = renderer; }

  // Opens a scene drawing into `dest`; `target` is the handle it is known by (0 = the screen).
  // False when a scene is open already or the renderer refuses the texture.
  bool Begin(SDL_Texture* dest, HTARGET target);
  // Closes the scene; false if none was open. The renderer stays on the scene's texture until
  // something else chooses a target.
  bool End();
  bool InScene() const { return m_inScene; }
  HTARGET SceneTarget() const { return m_sceneTarget; }
  SDL_Texture* SceneTexture() const { return m_sceneTexture; }

  // Clears the scene's texture, or only the clipping rectangle while one is set.
  void Clear(DWORD color);
  // Copies the scene's texture as it is now into dest (stretched), without blending.
  bool CopySceneTo(SDL_Texture* dest);
  void Line(float x1, float y1, float x2, float y2, DWORD color);
  // `tex` null draws the vertex colours alone.
  void Triple(const hgeVertex v[3], SDL_Texture* tex, int blend);
  void Quad(const hgeVertex v[4], SDL_Texture* tex, int blend);

  void SetClipping(int x, int y, int w, int h);
  // Scales every vertex by (sx, sy) about (x, y), then moves it by (dx, dy); sx and sy 0 switch
  // the transform off. Kept across scenes.
  void SetTransform(float x, float y, float dx, float dy, float sx, float sy);
  // Hands the clipping to the renderer again (after its target changed) while in a scene.
  void ReapplyClip();

 private:
  enum class ClipMode { Off, Rect, Empty };

  // The vertices as the transform places them (v itself when there is none).
  const hgeVertex* Place(const hgeVertex* v, int count, hgeVertex* placed) const;
  bool CopyRect(const hgeVertex v[4], SDL_Texture* tex, int blend);
  void Geometry(const hgeVertex* v, int count, const int* indices, int indexCount, SDL_Texture* tex,
                int blend);
  void ApplyClip();

  SDL_Renderer* m_renderer = nullptr;
  bool m_inScene = false;
  HTARGET m_sceneTarget = 0;
  SDL_Texture* m_sceneTexture = nullptr;
  ClipMode m_clipMode = ClipMode::Off;
  bool m_transform = false;
  float m_centreX = 0, m_centreY = 0, m_moveX = 0, m_moveY = 0, m_scaleX = 1, m_scaleY = 1;
  SDL_Rect m_clip{};
};
