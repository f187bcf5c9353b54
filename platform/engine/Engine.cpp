// The engine object behind hgeCreate: the system and its states (start, stop, window or offscreen
// surface, the screen texture, snapshots), and the engine interface handed on to its parts:
// textures and targets (EngineTextures), drawing (EngineGraphics), sound (EngineAudio) and input
// (EngineInput). See hge.h for what it offers.
#include <SDL2/SDL.h>
#include <SDL2/SDL_image.h>

#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "platform/engine/EngineAudio.h"
#include "platform/engine/EngineGraphics.h"
#include "platform/engine/EngineInput.h"
#include "platform/engine/EngineTextures.h"
#include "platform/engine/ImageFile.h"
#include "platform/engine/hge.h"

namespace {

constexpr Uint32 kAccelerated = SDL_RENDERER_ACCELERATED | SDL_RENDERER_TARGETTEXTURE;
constexpr Uint32 kSoftware = SDL_RENDERER_SOFTWARE | SDL_RENDERER_TARGETTEXTURE;

// Whether OpenGL here can only be a software rasterizer: no graphics device to render on (no
// DRI render node, no NVIDIA device) or Mesa told to rasterize in software. Decided without
// loading any OpenGL library.
bool OnlySoftwareOpenGl() {
  const char* forced = SDL_getenv("LIBGL_ALWAYS_SOFTWARE");
  if (forced != nullptr && forced[0] != '\0' && std::strcmp(forced, "0") != 0) return true;
  for (const char* device : {"/dev/dri/renderD128", "/dev/dri/renderD129", "/dev/dri/card0",
                             "/dev/dri/card1", "/dev/nvidiactl"}) {
    if (access(device, R_OK | W_OK) == 0) return false;
  }
  return true;
}

// The OpenGL renderer's own name for what draws ("llvmpipe (LLVM 15.0.6, 256 bits)", a GPU's
// name), or empty when the renderer is no OpenGL one.
std::string OpenGlRendererName(SDL_Renderer* renderer) {
  SDL_RendererInfo info;
  if (SDL_GetRendererInfo(renderer, &info) != 0 || std::strncmp(info.name, "opengl", 6) != 0)
    return {};
  using GetString = const unsigned char* (*)(unsigned);
  auto getString = reinterpret_cast<GetString>(SDL_GL_GetProcAddress("glGetString"));
  constexpr unsigned kGlRenderer = 0x1F01;
  const unsigned char* name = getString != nullptr ? getString(kGlRenderer) : nullptr;
  return name != nullptr ? reinterpret_cast<const char*>(name) : "";
}

bool IsSoftwareRasterizer(const std::string& glName) {
  for (const char* software : {"llvmpipe", "softpipe", "swrast", "Software Rasterizer"}) {
    if (glName.find(software) != std::string::npos) return true;
  }
  return false;
}

// The window's renderer. A graphics device's renderer where there is one. Where OpenGL would
// only rasterize in software (llvmpipe and its kin, a virtual X server), SDL's own software
// renderer draws a 2D table with far less work, and it shows its frames in the window directly
// (the window's own surface, see System_Initiate). A renderer named in SDL_RENDER_DRIVER is
// taken as it is.
SDL_Renderer* CreateWindowRenderer(SDL_Window* window) {
  const char* asked = SDL_GetHint(SDL_HINT_RENDER_DRIVER);
  const bool choose = asked == nullptr || asked[0] == '\0';
  SDL_Renderer* renderer = nullptr;
  if (!choose || !OnlySoftwareOpenGl()) {
    renderer = SDL_CreateRenderer(window, -1, kAccelerated);
    if (renderer != nullptr && choose && IsSoftwareRasterizer(OpenGlRendererName(renderer))) {
      SDL_DestroyRenderer(renderer);
      renderer = nullptr;
    }
  }
  if (renderer == nullptr) renderer = SDL_CreateRenderer(window, -1, kSoftware);
  return renderer;
}

class CEngine final : public HGE {
 public:
  void AddRef() { ++m_refCount; }

  void Release() override {
    if (--m_refCount > 0) return;
    System_Shutdown();
    s_instance = nullptr;
    delete this;
  }

  static CEngine* s_instance;

  // ---- system ------------------------------------------------------------------------------
  bool System_Initiate() override {
    if (m_initiated) return true;
    m_error.clear();
    // A second click is a double click only inside Windows' double-click rectangle (4 x 4
    // pixels), not SDL's radius of 32: quick clicks on neighbouring cards of a closely spaced
    // hand stay two clicks instead of a double click that lowers every raised card.
    SDL_SetHint(SDL_HINT_MOUSE_DOUBLE_CLICK_RADIUS, "2");
    // SDL's software renderer draws into the window's surface, which SDL would otherwise keep
    // as a texture of an OpenGL renderer of its own: that maps the whole GL driver (with
    // Mesa's software GL, LLVM: about 100 MB resident) for a plain copy to the window.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    Uint32 subsystems = SDL_INIT_EVENTS | (m_headless ? 0u : static_cast<Uint32>(SDL_INIT_VIDEO));
    if (SDL_InitSubSystem(subsystems) != 0) return Fail("SDL could not start");
    m_subsystems = subsystems;
    if (m_headless) {
      m_baseSurface =
          SDL_CreateRGBSurfaceWithFormat(0, m_width, m_height, 32, SDL_PIXELFORMAT_ARGB8888);
      if (m_baseSurface == nullptr) return Fail("no offscreen surface");
      m_renderer = SDL_CreateSoftwareRenderer(m_baseSurface);
    } else {
      const Uint32 flags = SDL_WINDOW_SHOWN | SDL_WINDOW_RESIZABLE |
                           (m_windowed ? 0u : static_cast<Uint32>(SDL_WINDOW_FULLSCREEN_DESKTOP));
      m_window = SDL_CreateWindow(m_title.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                                  m_width, m_height, flags);
      if (m_window == nullptr) return Fail("no window");
      SDL_SetWindowMinimumSize(m_window, kMinWindowWidth, kMinWindowHeight);
      m_renderer = CreateWindowRenderer(m_window);
      if (m_hideMouse) SDL_ShowCursor(SDL_DISABLE);
    }
    if (m_renderer == nullptr) return Fail("no renderer");
    SDL_RendererInfo info;
    m_rendererName = SDL_GetRendererInfo(m_renderer, &info) == 0 ? info.name : "unknown";
    m_keepsShownFrame = m_rendererName == "software";
    SDL_SetRenderDrawBlendMode(m_renderer, SDL_BLENDMODE_BLEND);
    IMG_Init(IMG_INIT_PNG | IMG_INIT_JPG);
    m_textures.Attach(m_renderer);
    m_graphics.Attach(m_renderer, &m_textures);
    if (!CreateScreenTexture()) return Fail("no screen texture");
    if (m_useSound) m_audio.Open(m_headless);
    m_initiated = true;
    return true;
  }

  void System_Shutdown() override {
    if (!m_initiated && m_renderer == nullptr && m_subsystems == 0) return;
    if (m_graphics.InScene()) Gfx_EndScene();
    m_audio.Close();
    m_textures.FreeAll();
    m_textures.Attach(nullptr);
    m_graphics.Attach(nullptr);
    if (m_screen) SDL_DestroyTexture(m_screen);
    m_screen = nullptr;
    if (m_renderer) SDL_DestroyRenderer(m_renderer);
    m_renderer = nullptr;
    if (m_window) SDL_DestroyWindow(m_window);
    m_window = nullptr;
    if (m_baseSurface) SDL_FreeSurface(m_baseSurface);
    m_baseSurface = nullptr;
    IMG_Quit();
    if (m_subsystems) SDL_QuitSubSystem(m_subsystems);
    m_subsystems = 0;
    SDL_Quit();
    m_initiated = false;
    m_rendererName.clear();
    m_input.ClearQueue();
  }

  const char* System_GetErrorMessage() override { return m_error.c_str(); }

  bool System_PollEvent(SDL_Event* event) override {
    if (!m_initiated) return false;
    if (m_windowSizePending) SyncWindowSize();
    SDL_Event e;
    if (SDL_PollEvent(&e) == 0) return false;
    if (m_input.Translate(e)) m_quitRequested = true;
    if (e.type == SDL_WINDOWEVENT) m_showWhole = true;  // shown, exposed, resized: all again
    if (event) *event = e;
    return true;
  }

  bool System_Snapshot(const char* filename) override {
    if (!m_initiated || filename == nullptr || filename[0] == '\0') return false;
    std::vector<uint32_t> pixels(static_cast<size_t>(m_width) * m_height);
    const bool read = m_textures.ReadPixels(m_screen, m_width, m_height, pixels.data());
    m_graphics.ReapplyClip();
    if (!read) return false;
    std::string path(filename);
    std::replace(path.begin(), path.end(), '\\', '/');
    return SavePngFile(path.c_str(), pixels.data(), m_width, m_height);
  }

  void System_RaiseWindow() override {
    if (m_window) SDL_RaiseWindow(m_window);
  }

  void System_SetStateBool(hgeBoolState state, bool value) override {
    switch (state) {
      case HGE_WINDOWED:
        if (m_window != nullptr && value != m_windowed && !SwitchFullScreen(!value)) break;
        m_windowed = value;
        break;
      case HGE_ZBUFFER:
        m_zbuffer = value;
        break;
      case HGE_TEXTUREFILTER:
        m_textureFilter = value;
        m_textures.SetFilter(value);
        break;
      case HGE_USESOUND:
        if (!m_initiated) m_useSound = value;
        break;
      case HGE_HIDEMOUSE:
        m_hideMouse = value;
        if (m_window) SDL_ShowCursor(value ? SDL_DISABLE : SDL_ENABLE);
        break;
      case HGE_HEADLESS:
        if (!m_initiated) m_headless = value;
        break;
      case HGE_QUITREQUESTED:
        m_quitRequested = value;
        break;
    }
  }

  void System_SetStateFunc(hgeFuncState state, hgeCallback value) override {
    if (state == HGE_FRAMEFUNC) m_frameFunc = value;
    if (state == HGE_RENDERFUNC) m_renderFunc = value;
  }

  void System_SetStateInt(hgeIntState state, int value) override {
    switch (state) {
      case HGE_SCREENWIDTH:
      case HGE_SCREENHEIGHT: {
        if (value < 1 || value > CEngineTextures::kMaxSide) return;
        const int w = state == HGE_SCREENWIDTH ? value : m_width;
        const int h = state == HGE_SCREENHEIGHT ? value : m_height;
        Resize(w, h);
        break;
      }
      case HGE_SCREENBPP:
        break;  // always 32
      case HGE_FPS:
        m_fps = value < 0 ? 0 : value;
        break;
      case HGE_WINDOWWIDTH:
      case HGE_WINDOWHEIGHT:
        break;  // read only
    }
  }

  void System_SetStateString(hgeStringState state, const char* value) override {
    if (state != HGE_TITLE) return;
    m_title = value ? value : "";
    if (m_window) SDL_SetWindowTitle(m_window, m_title.c_str());
  }

  bool System_GetStateBool(hgeBoolState state) override {
    switch (state) {
      case HGE_WINDOWED:
        return m_windowed;
      case HGE_ZBUFFER:
        return m_zbuffer;
      case HGE_TEXTUREFILTER:
        return m_textureFilter;
      case HGE_USESOUND:
        return m_initiated ? m_audio.IsOpen() : m_useSound;
      case HGE_HIDEMOUSE:
        return m_hideMouse;
      case HGE_HEADLESS:
        return m_headless;
      case HGE_QUITREQUESTED:
        return m_quitRequested;
    }
    return false;
  }

  hgeCallback System_GetStateFunc(hgeFuncState state) override {
    return state == HGE_FRAMEFUNC ? m_frameFunc : state == HGE_RENDERFUNC ? m_renderFunc : nullptr;
  }

  int System_GetStateInt(hgeIntState state) override {
    switch (state) {
      case HGE_SCREENWIDTH:
        return m_width;
      case HGE_SCREENHEIGHT:
        return m_height;
      case HGE_SCREENBPP:
        return 32;
      case HGE_FPS:
        return m_fps;
      case HGE_WINDOWWIDTH:
      case HGE_WINDOWHEIGHT: {
        int w = m_width, h = m_height;
        if (m_window) SDL_GetWindowSize(m_window, &w, &h);
        return state == HGE_WINDOWWIDTH ? w : h;
      }
    }
    return 0;
  }

  const char* System_GetStateString(hgeStringState state) override {
    if (state == HGE_TITLE) return m_title.c_str();
    if (state == HGE_RENDERERNAME) return m_rendererName.c_str();
    return "";
  }

  // ---- sound ------------------------------------------------------------------------------
  HEFFECT Effect_Load(const char* filename, DWORD size) override {
    return m_initiated ? m_audio.Load(filename, size) : 0;
  }
  void Effect_Free(HEFFECT eff) override { m_audio.Free(eff); }
  HCHANNEL Effect_Play(HEFFECT eff) override { return m_audio.Play(eff, 100, 0, false); }
  HCHANNEL Effect_PlayEx(HEFFECT eff, int volume, int pan, float /*pitch*/, bool loop) override {
    return m_audio.Play(eff, volume, pan, loop);
  }
  void Channel_Stop(HCHANNEL chn) override { m_audio.Stop(chn); }
  void Channel_StopAll() override { m_audio.StopAll(); }
  bool Channel_IsPlaying(HCHANNEL chn) override { return m_audio.IsPlaying(chn); }

  // ---- input ------------------------------------------------------------------------------
  bool Input_GetEvent(hgeInputEvent* event) override { return m_input.Next(event); }
  void Input_GetMousePos(float* x, float* y) override { m_input.GetMousePos(x, y); }
  bool Input_GetKeyState(int key) override { return m_input.KeyState(key); }

  // ---- graphics ---------------------------------------------------------------------------
  bool Gfx_BeginScene(HTARGET target) override {
    if (!m_initiated || m_graphics.InScene()) return false;
    SDL_Texture* dest = m_screen;
    if (target != 0) {
      dest = m_textures.Sdl(m_textures.TargetTexture(target));
      if (dest == nullptr) return false;
    }
    return m_graphics.Begin(dest, target);
  }

  void Gfx_EndScene() override {
    const HTARGET target = m_graphics.SceneTarget();
    // The software renderer's window keeps the last frame shown: a scene that drew within its
    // clipping alone brings only that part up to date.
    SDL_Rect drawn{};
    const bool part = m_keepsShownFrame && !m_showWhole && m_graphics.DrawnWithin(drawn);
    if (!m_graphics.End()) return;
    if (target == 0 && m_window != nullptr) {
      // The screen scene is over: show it in the window.
      SDL_SetRenderTarget(m_renderer, nullptr);
      SDL_RenderSetClipRect(m_renderer, nullptr);
      const SDL_Rect screen{0, 0, m_width, m_height};
      if (!part) {
        SDL_RenderCopy(m_renderer, m_screen, nullptr, nullptr);
      } else if (SDL_IntersectRect(&drawn, &screen, &drawn)) {
        SDL_RenderCopy(m_renderer, m_screen, &drawn, &drawn);
      }
      SDL_RenderPresent(m_renderer);
      m_showWhole = false;
    }
  }

  void Gfx_Clear(DWORD color) override { m_graphics.Clear(color); }

  void Gfx_RenderLine(float x1, float y1, float x2, float y2, DWORD color, float) override {
    m_graphics.Line(x1, y1, x2, y2, color);
  }

  void Gfx_RenderTriple(const hgeTriple* triple) override {
    SDL_Texture* tex = nullptr;
    if (triple != nullptr && TextureOf(triple->tex, tex)) {
      m_graphics.Triple(triple->v, tex, triple->blend);
    }
  }

  void Gfx_RenderQuad(const hgeQuad* quad) override {
    SDL_Texture* tex = nullptr;
    if (quad != nullptr && TextureOf(quad->tex, tex)) m_graphics.Quad(quad->v, tex, quad->blend);
  }

  void Gfx_SetClipping(int x, int y, int w, int h) override { m_graphics.SetClipping(x, y, w, h); }

  void Gfx_SetTransform(float x, float y, float dx, float dy, float /*rot*/, float hscale,
                        float vscale) override {
    m_graphics.SetTransform(x, y, dx, dy, hscale, vscale);
  }

  bool Gfx_CopyScene(HTARGET target) override {
    if (target == 0) return false;
    return m_graphics.CopySceneTo(m_textures.Sdl(m_textures.TargetTexture(target)));
  }

  // ---- targets ----------------------------------------------------------------------------
  HTARGET Target_Create(int width, int height, bool /*zbuffer*/) override {
    if (!m_initiated) return 0;
    const HTARGET target = m_textures.CreateTarget(width, height);
    m_graphics.ReapplyClip();
    return target;
  }

  void Target_Free(HTARGET target) override {
    if (m_graphics.InScene() && m_graphics.SceneTarget() == target) Gfx_EndScene();
    m_textures.FreeTarget(target);
  }

  HTEXTURE Target_GetTexture(HTARGET target) override { return m_textures.TargetTexture(target); }

  // ---- textures ---------------------------------------------------------------------------
  HTEXTURE Texture_Create(int width, int height) override {
    return m_initiated ? m_textures.Create(width, height) : 0;
  }

  HTEXTURE Texture_Load(const char* filename, DWORD size, bool /*mipmap*/) override {
    return m_initiated ? m_textures.Load(filename, size) : 0;
  }

  void Texture_Free(HTEXTURE tex) override {
    SDL_Texture* sdl = m_textures.Sdl(tex);
    if (sdl != nullptr && m_graphics.InScene() && m_graphics.SceneTexture() == sdl) {
      Gfx_EndScene();
    }
    m_textures.Free(tex);
  }

  int Texture_GetWidth(HTEXTURE tex, bool original) override {
    return m_textures.Width(tex, original);
  }

  int Texture_GetHeight(HTEXTURE tex, bool original) override {
    return m_textures.Height(tex, original);
  }

  DWORD* Texture_Lock(HTEXTURE tex, bool readOnly, int left, int top, int width,
                      int height) override {
    DWORD* pixels = m_textures.Lock(tex, readOnly, left, top, width, height);
    m_graphics.ReapplyClip();  // a target's pixels are read through the renderer
    return pixels;
  }

  void Texture_Unlock(HTEXTURE tex) override { m_textures.Unlock(tex); }

 private:
  bool Fail(const char* what) {
    m_error = std::string(what) + ": " + SDL_GetError();
    // Undo what was made so far; the engine can be initiated again.
    m_initiated = true;
    System_Shutdown();
    return false;
  }

  // The SDL texture of a quad's handle: null for handle 0; false for a handle that is no
  // texture (nothing is drawn).
  bool TextureOf(HTEXTURE handle, SDL_Texture*& tex) {
    tex = handle != 0 ? m_textures.Sdl(handle) : nullptr;
    return handle == 0 || tex != nullptr;
  }

  bool CreateScreenTexture() {
    SDL_Texture* screen = SDL_CreateTexture(m_renderer, SDL_PIXELFORMAT_ARGB8888,
                                            SDL_TEXTUREACCESS_TARGET, m_width, m_height);
    if (screen == nullptr) return false;
    SDL_SetTextureBlendMode(screen, SDL_BLENDMODE_NONE);
    SDL_Texture* previous = SDL_GetRenderTarget(m_renderer);
    SDL_SetRenderTarget(m_renderer, screen);
    SDL_SetRenderDrawColor(m_renderer, 0, 0, 0, 255);
    SDL_RenderClear(m_renderer);
    SDL_SetRenderTarget(m_renderer, previous);
    if (m_screen) SDL_DestroyTexture(m_screen);
    m_screen = screen;
    m_showWhole = true;
    return true;
  }

  void Resize(int w, int h) {
    if (w == m_width && h == m_height) return;
    if (!m_initiated) {
      m_width = w;
      m_height = h;
      return;
    }
    if (m_graphics.InScene()) return;  // not while drawing
    const int oldW = m_width, oldH = m_height;
    m_width = w;
    m_height = h;
    if (!CreateScreenTexture()) {
      m_width = oldW;
      m_height = oldH;
      return;
    }
    // The window follows at the next System_PollEvent, once both sides are set.
    m_windowSizePending = m_window != nullptr;
  }

  // Full screen at the desktop's size, or back to the window's size before it (which not every
  // window manager restores, and there may be none).
  bool SwitchFullScreen(bool on) {
    if (m_windowSizePending) SyncWindowSize();  // a size just asked for is the windowed one
    if (on) SDL_GetWindowSize(m_window, &m_windowedW, &m_windowedH);
    if (SDL_SetWindowFullscreen(m_window, on ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0) != 0)
      return false;
    if (!on && m_windowedW > 0 && m_windowedH > 0)
      SDL_SetWindowSize(m_window, m_windowedW, m_windowedH);
    return true;
  }

  // A window of another size than the screen takes the screen's size (in full screen, SDL
  // keeps it for when the window is windowed again). A screen that already follows the window
  // leaves it alone. The window grows or shrinks about its centre and is kept on its display:
  // a window centred at one size and then made as large as the display would otherwise hang
  // past its right and bottom edges.
  void SyncWindowSize() {
    m_windowSizePending = false;
    if (m_window == nullptr) return;
    int windowW = 0, windowH = 0;
    SDL_GetWindowSize(m_window, &windowW, &windowH);
    if (windowW == m_width && windowH == m_height) return;
    int x = 0, y = 0;
    SDL_GetWindowPosition(m_window, &x, &y);
    SDL_SetWindowSize(m_window, m_width, m_height);
    if (SDL_GetWindowFlags(m_window) & (SDL_WINDOW_FULLSCREEN | SDL_WINDOW_FULLSCREEN_DESKTOP))
      return;
    x += (windowW - m_width) / 2;
    y += (windowH - m_height) / 2;
    SDL_Rect usable{};
    const int display = SDL_GetWindowDisplayIndex(m_window);
    if (display >= 0 && SDL_GetDisplayUsableBounds(display, &usable) == 0 && usable.w > 0) {
      x = std::max(usable.x, std::min(x, usable.x + usable.w - m_width));
      y = std::max(usable.y, std::min(y, usable.y + usable.h - m_height));
    }
    SDL_SetWindowPosition(m_window, x, y);
  }

  static constexpr int kMinWindowWidth = 640;
  static constexpr int kMinWindowHeight = 360;

  int m_refCount = 0;
  bool m_initiated = false;
  std::string m_error;

  // states
  bool m_windowed = true;
  bool m_zbuffer = false;
  bool m_textureFilter = true;
  bool m_useSound = true;
  bool m_hideMouse = false;
  bool m_headless = false;
  bool m_quitRequested = false;
  bool m_windowSizePending = false;
  int m_windowedW = 0;  // the window's size before full screen
  int m_windowedH = 0;
  hgeCallback m_frameFunc = nullptr;
  hgeCallback m_renderFunc = nullptr;
  int m_width = 800;
  int m_height = 600;
  int m_fps = 0;
  std::string m_title = "Torvaly";
  std::string m_rendererName;

  // SDL objects
  Uint32 m_subsystems = 0;
  SDL_Window* m_window = nullptr;
  SDL_Surface* m_baseSurface = nullptr;
  SDL_Renderer* m_renderer = nullptr;
  SDL_Texture* m_screen = nullptr;

  // the parts
  CEngineTextures m_textures;
  CEngineGraphics m_graphics;
  bool m_keepsShownFrame = false;  // the window holds what was last shown (software renderer)
  bool m_showWhole = true;         // the next frame shown is shown whole
  CEngineAudio m_audio;
  CEngineInput m_input;
};

CEngine* CEngine::s_instance = nullptr;

}  // namespace

HGE* hgeCreate(int version) {
  if (version != HGE_VERSION) return nullptr;
  if (CEngine::s_instance == nullptr) CEngine::s_instance = new CEngine();
  CEngine::s_instance->AddRef();
  return CEngine::s_instance;
}
