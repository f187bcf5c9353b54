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
//
// SDL's software renderer walks a turned quad's triangles pixel by pixel, slowly; there the
// graphics turns the texture's pixels itself (nearest pixel, as SDL samples) into a scratch
// texture and copies that. It asks the texture pixels for them; without, or for a texture they
// do not give, it draws the triangles.
#pragma once

#include <SDL2/SDL.h>

#include <cstdint>

#include "platform/engine/hge.h"

// The pixels of a texture that does not change (0xAARRGGBB, rows of `width`).
struct tagTexturePixels {
  const uint32_t* argb = nullptr;
  int width = 0, height = 0;
};

class ITexturePixels {
 public:
  // False when the texture's pixels are not to be had.
  virtual bool Pixels(SDL_Texture* tex, tagTexturePixels& out) = 0;

 protected:
  ~ITexturePixels() = default;
};

class CEngineGraphics {
 public:
  CEngineGraphics() = default;
  CEngineGraphics(const CEngineGraphics&) = delete;
  CEngineGraphics& operator=(const CEngineGraphics&) = delete;

  // `pixels` may be null: turned quads are then always triangles. Attach(nullptr) before the
  // renderer is destroyed lets go of the graphics' own texture.
  void Attach(SDL_Renderer* renderer, ITexturePixels* pixels = nullptr);

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

  // Where the open scene has drawn since Begin, as far as its clipping tells: false when it
  // may have drawn anywhere, else `out` holds a rectangle around all of it (empty: nothing).
  bool DrawnWithin(SDL_Rect& out) const;

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
  bool TurnRect(const hgeVertex v[4], SDL_Texture* tex, int blend);
  void Geometry(const hgeVertex* v, int count, const int* indices, int indexCount, SDL_Texture* tex,
                int blend);
  void ApplyClip();
  void NoteDrawing();

  SDL_Renderer* m_renderer = nullptr;
  ITexturePixels* m_pixels = nullptr;  // set only where turning ourselves pays
  SDL_Texture* m_scratch = nullptr;    // streaming, for the turned pixels
  int m_scratchW = 0, m_scratchH = 0;
  bool m_inScene = false;
  HTARGET m_sceneTarget = 0;
  SDL_Texture* m_sceneTexture = nullptr;
  ClipMode m_clipMode = ClipMode::Off;
  bool m_transform = false;
  float m_centreX = 0, m_centreY = 0, m_moveX = 0, m_moveY = 0, m_scaleX = 1, m_scaleY = 1;
  SDL_Rect m_clip{};
  bool m_drawnAnywhere = false;  // since Begin, drawn without clipping
  SDL_Rect m_drawn{};            // since Begin, the clipping rectangles drawn within
  SDL_Rect m_sceneRect{};        // the scene's texture
};
