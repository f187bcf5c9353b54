// The sprite engine: one engine object reached through hgeCreate(HGE_VERSION) and released
// with Release() (reference counted: every holder takes its own reference, the last Release
// shuts the engine down). Textures, render targets, scenes, quads, sound effects, input events
// and the screen, on SDL2.
//
// Back ends (chosen with the HGE_HEADLESS state before System_Initiate):
//   window   - an SDL window and its accelerated renderer, SDL's software renderer if no
//              accelerated one can be made;
//   headless - SDL's software renderer on an offscreen surface; SDL is started without video,
//              so no display is needed. SDL's audio is not started: effects are checked
//              and heard by the play observer, never decoded or mixed.
// In both, the screen is drawn into a screen-sized texture; the window back end copies it to
// the window at the end of each screen scene. System_Snapshot saves it as PNG.
//
// Handles are 32-bit values; 0 means "none": a missing or unreadable file gives 0 (so does an
// image that is not PNG, JPEG or BMP, or is larger than 4096 x 4096: see ImageFile.h), and every
// operation accepts 0 (and stale handles) and does nothing. Handles carry a generation, so a
// freed handle never reaches a texture made later in the same slot.
//
// Textures: Texture_GetWidth(tex, true) is the image's own size, (tex, false) the texture's
// real size. Textures from files are exactly the image size. Blank textures from
// Texture_Create are rounded up to powers of two (a 100 x 30 request is 128 x 32), as the
// glyph code must cope with padded textures anyway; their pixels start transparent black.
// Texture_Lock works on blank textures (read and write) and on render target textures (a
// snapshot of the target; written back on unlock unless locked read-only); it returns null
// for textures loaded from files. Pixels are 0xAARRGGBB, rows of the real width.
//
// Quads are drawn with SDL_RenderGeometry as two triangles, texture coordinates relative to
// the real texture size, each vertex with its own colour (which multiplies the texture) and
// alpha. Blend modes: BLEND_ALPHABLEND (default) and BLEND_ALPHAADD; the colour-add flag is
// not supported and draws as colour-multiply. There is no depth buffer: z is kept in the
// vertices but drawing order alone decides what is on top.
//
// Gfx_SetClipping(): all four values 0 switch clipping off; any other rectangle clips to it,
// and an empty one (width or height 0 or less) hides everything drawn until clipping changes.
// Each Gfx_BeginScene starts without clipping. Gfx_Clear clears the clipping rectangle only
// while one is set. A scene's target keeps what was drawn into it until it is drawn again, the
// screen included, so a frame may draw again only the part that changed.
//
// Sound: Effect_Load returns 0 for a missing file or one that is no wave the engine accepts;
// it reads only the file's header, and the sound is decoded when first played (a wave that then
// does not decode plays nothing); a long wave streams from its file (EngineAudio.h). Without an
// audio device the engine says so once on stderr and runs silent: effects still load and
// playing them does nothing. Effect_PlayEx: volume 0..100, pan -100..100; the pitch is
// accepted and ignored. A channel is 0 when nothing plays.
//
// Input: System_PollEvent takes the next SDL event (the application loop hands it on to the
// widgets) and queues the matching engine input event; Input_GetEvent returns those in order.
// Key codes are the Windows virtual-key codes the program compares with (HGEK_ESCAPE 27,
// HGEK_K 75, ...). Closing the window asks the engine to stop (HGE_QUITREQUESTED).
//
// Window: resizable (not below 640 x 360); HGE_WINDOWED false is full screen at the desktop's
// size, and switching it while running changes the window at once. The screen keeps its own
// size (HGE_SCREENWIDTH/HEIGHT) and is stretched to the window: whoever lets the user resize
// the window makes the screen follow it (the frame does, see BrisvaneApp.h). Setting the
// screen size resizes the window at the next System_PollEvent (in full screen, the size the
// window gets back when it leaves full screen).
#pragma once

#include <cstdint>

#include "platform/win/WinTypes.h"

union SDL_Event;

inline constexpr int HGE_VERSION = 0x180;

using HTEXTURE = uint32_t;
using HTARGET = uint32_t;
using HEFFECT = uint32_t;
using HCHANNEL = uint32_t;

constexpr DWORD ARGB(DWORD a, DWORD r, DWORD g, DWORD b) {
  return (a << 24) | (r << 16) | (g << 8) | b;
}
constexpr DWORD GETA(DWORD col) { return col >> 24; }
constexpr DWORD GETR(DWORD col) { return (col >> 16) & 0xFF; }
constexpr DWORD GETG(DWORD col) { return (col >> 8) & 0xFF; }
constexpr DWORD GETB(DWORD col) { return col & 0xFF; }
constexpr DWORD SETA(DWORD col, DWORD a) { return (col & 0x00FFFFFF) | (a << 24); }

inline constexpr int BLEND_COLORMUL = 0;
inline constexpr int BLEND_COLORADD = 1;
inline constexpr int BLEND_ALPHAADD = 0;
inline constexpr int BLEND_ALPHABLEND = 2;
inline constexpr int BLEND_NOZWRITE = 0;
inline constexpr int BLEND_ZWRITE = 4;
inline constexpr int BLEND_DEFAULT = BLEND_COLORMUL | BLEND_ALPHABLEND | BLEND_NOZWRITE;
// The engine's own: the texture's pixels replace what lies under them (a saved picture put back).
inline constexpr int BLEND_COPY = 8;

// System states. The numbers of the ones the program passes are fixed (render function 9,
// screen width 17, screen height 18); the others are ours.
enum hgeBoolState {
  HGE_WINDOWED = 1,
  HGE_ZBUFFER = 2,
  HGE_TEXTUREFILTER = 3,
  HGE_USESOUND = 4,
  HGE_HIDEMOUSE = 5,
  HGE_HEADLESS = 6,       // software renderer on an offscreen surface, no display
  HGE_QUITREQUESTED = 7,  // the window was closed (read; writing false clears it)
};
enum hgeFuncState {
  HGE_FRAMEFUNC = 8,
  HGE_RENDERFUNC = 9,
};
enum hgeIntState {
  HGE_SCREENWIDTH = 17,
  HGE_SCREENHEIGHT = 18,
  HGE_SCREENBPP = 19,
  HGE_FPS = 20,
  HGE_WINDOWWIDTH = 21,  // read only: the window's size (the screen's when headless)
  HGE_WINDOWHEIGHT = 22,
};
enum hgeStringState {
  HGE_TITLE = 27,
  HGE_RENDERERNAME = 28,  // read only: SDL's name of the renderer in use ("software", ...),
                          // empty while the engine is not running
};

using hgeCallback = bool (*)();

struct hgeVertex {
  float x, y;    // screen position
  float z;       // 0..1, kept but not used for ordering
  DWORD col;     // ARGB
  float tx, ty;  // texture coordinates, 0..1 of the real texture size
};

struct hgeTriple {
  hgeVertex v[3];
  HTEXTURE tex;
  int blend;
};

struct hgeQuad {
  hgeVertex v[4];  // top-left, top-right, bottom-right, bottom-left
  HTEXTURE tex;
  int blend;
};

// Input events.
inline constexpr int INPUT_KEYDOWN = 1;
inline constexpr int INPUT_KEYUP = 2;
inline constexpr int INPUT_MBUTTONDOWN = 3;
inline constexpr int INPUT_MBUTTONUP = 4;
inline constexpr int INPUT_MOUSEMOVE = 5;
inline constexpr int INPUT_MOUSEWHEEL = 6;

inline constexpr int HGEINP_SHIFT = 1;
inline constexpr int HGEINP_CTRL = 2;
inline constexpr int HGEINP_ALT = 4;
inline constexpr int HGEINP_REPEAT = 64;

struct hgeInputEvent {
  int type;   // INPUT_*
  int key;    // HGEK_* key or mouse button
  int flags;  // HGEINP_*
  int chr;    // character of the key, 0 if none
  int wheel;  // wheel steps
  float x;    // mouse position
  float y;
};

// Key codes (Windows virtual-key codes).
inline constexpr int HGEK_LBUTTON = 0x01;
inline constexpr int HGEK_RBUTTON = 0x02;
inline constexpr int HGEK_MBUTTON = 0x04;
inline constexpr int HGEK_BACKSPACE = 0x08;
inline constexpr int HGEK_TAB = 0x09;
inline constexpr int HGEK_ENTER = 0x0D;
inline constexpr int HGEK_SHIFT = 0x10;
inline constexpr int HGEK_CTRL = 0x11;
inline constexpr int HGEK_ALT = 0x12;
inline constexpr int HGEK_PAUSE = 0x13;
inline constexpr int HGEK_ESCAPE = 0x1B;
inline constexpr int HGEK_SPACE = 0x20;
inline constexpr int HGEK_PGUP = 0x21;
inline constexpr int HGEK_PGDN = 0x22;
inline constexpr int HGEK_END = 0x23;
inline constexpr int HGEK_HOME = 0x24;
inline constexpr int HGEK_LEFT = 0x25;
inline constexpr int HGEK_UP = 0x26;
inline constexpr int HGEK_RIGHT = 0x27;
inline constexpr int HGEK_DOWN = 0x28;
inline constexpr int HGEK_INSERT = 0x2D;
inline constexpr int HGEK_DELETE = 0x2E;
inline constexpr int HGEK_0 = 0x30;  // '0'..'9' follow
inline constexpr int HGEK_A = 0x41;  // 'A'..'Z' follow
inline constexpr int HGEK_K = 0x4B;
inline constexpr int HGEK_F1 = 0x70;  // F1..F12 follow

class HGE {
 public:
  virtual void Release() = 0;

  virtual bool System_Initiate() = 0;
  virtual void System_Shutdown() = 0;
  virtual const char* System_GetErrorMessage() = 0;
  // Takes the next SDL event, if any; false when none is waiting.
  virtual bool System_PollEvent(SDL_Event* event) = 0;
  // Saves the screen as PNG; false on failure. Backslashes in the name become '/'; a relative
  // name is relative to the working folder (it is output, not a resource).
  virtual bool System_Snapshot(const char* filename) = 0;
  virtual void System_RaiseWindow() = 0;

  virtual void System_SetStateBool(hgeBoolState state, bool value) = 0;
  virtual void System_SetStateFunc(hgeFuncState state, hgeCallback value) = 0;
  virtual void System_SetStateInt(hgeIntState state, int value) = 0;
  virtual void System_SetStateString(hgeStringState state, const char* value) = 0;
  virtual bool System_GetStateBool(hgeBoolState state) = 0;
  virtual hgeCallback System_GetStateFunc(hgeFuncState state) = 0;
  virtual int System_GetStateInt(hgeIntState state) = 0;
  virtual const char* System_GetStateString(hgeStringState state) = 0;

  void System_SetState(hgeBoolState state, bool value) { System_SetStateBool(state, value); }
  void System_SetState(hgeFuncState state, hgeCallback value) { System_SetStateFunc(state, value); }
  void System_SetState(hgeIntState state, int value) { System_SetStateInt(state, value); }
  void System_SetState(hgeStringState state, const char* value) {
    System_SetStateString(state, value);
  }
  bool System_GetState(hgeBoolState state) { return System_GetStateBool(state); }
  hgeCallback System_GetState(hgeFuncState state) { return System_GetStateFunc(state); }
  int System_GetState(hgeIntState state) { return System_GetStateInt(state); }
  const char* System_GetState(hgeStringState state) { return System_GetStateString(state); }

  // size 0: filename is a file name; otherwise it points to size bytes of file data.
  virtual HEFFECT Effect_Load(const char* filename, DWORD size = 0) = 0;
  virtual void Effect_Free(HEFFECT eff) = 0;
  virtual HCHANNEL Effect_Play(HEFFECT eff) = 0;
  virtual HCHANNEL Effect_PlayEx(HEFFECT eff, int volume = 100, int pan = 0, float pitch = 1.0f,
                                 bool loop = false) = 0;
  virtual void Channel_Stop(HCHANNEL chn) = 0;
  virtual void Channel_StopAll() = 0;
  virtual bool Channel_IsPlaying(HCHANNEL chn) = 0;

  virtual bool Input_GetEvent(hgeInputEvent* event) = 0;
  virtual void Input_GetMousePos(float* x, float* y) = 0;
  virtual bool Input_GetKeyState(int key) = 0;

  virtual bool Gfx_BeginScene(HTARGET target = 0) = 0;
  virtual void Gfx_EndScene() = 0;
  virtual void Gfx_Clear(DWORD color) = 0;
  virtual void Gfx_RenderLine(float x1, float y1, float x2, float y2, DWORD color = 0xFFFFFFFF,
                              float z = 0.5f) = 0;
  virtual void Gfx_RenderTriple(const hgeTriple* triple) = 0;
  virtual void Gfx_RenderQuad(const hgeQuad* quad) = 0;
  virtual void Gfx_SetClipping(int x = 0, int y = 0, int w = 0, int h = 0) = 0;
  // Every vertex drawn after it is scaled by hscale, vscale about (x, y), then moved by (dx, dy);
  // hscale and vscale 0 (the default) draw untransformed. Rotation is not supported (rot is
  // ignored); clipping stays in the target's pixels.
  virtual void Gfx_SetTransform(float x = 0, float y = 0, float dx = 0, float dy = 0, float rot = 0,
                                float hscale = 0, float vscale = 0) = 0;
  // Copies what the open scene holds so far into a target (stretched to its size), without
  // blending; the scene goes on. False outside a scene or for a target that is no other one.
  virtual bool Gfx_CopyScene(HTARGET target) = 0;

  virtual HTARGET Target_Create(int width, int height, bool zbuffer) = 0;
  virtual void Target_Free(HTARGET target) = 0;
  virtual HTEXTURE Target_GetTexture(HTARGET target) = 0;

  virtual HTEXTURE Texture_Create(int width, int height) = 0;
  // size 0: filename is a file name; otherwise it points to size bytes of file data.
  virtual HTEXTURE Texture_Load(const char* filename, DWORD size = 0, bool mipmap = false) = 0;
  virtual void Texture_Free(HTEXTURE tex) = 0;
  virtual int Texture_GetWidth(HTEXTURE tex, bool original = false) = 0;
  virtual int Texture_GetHeight(HTEXTURE tex, bool original = false) = 0;
  // width or height 0: the whole texture. Returns the pixel at (left, top); rows are
  // Texture_GetWidth(tex) pixels apart.
  virtual DWORD* Texture_Lock(HTEXTURE tex, bool readOnly = true, int left = 0, int top = 0,
                              int width = 0, int height = 0) = 0;
  virtual void Texture_Unlock(HTEXTURE tex) = 0;

 protected:
  virtual ~HGE() = default;
};

// Returns the engine with one more reference, or null for any other version.
HGE* hgeCreate(int version);
