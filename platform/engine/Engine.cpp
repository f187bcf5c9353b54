// The engine object behind hgeCreate (see hge.h for what it offers).
#include <SDL2/SDL.h>
#include <SDL2/SDL_image.h>
#include <SDL2/SDL_mixer.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/engine/hge.h"
#include "platform/win/ResourceFolder.h"

namespace {

constexpr int kMaxTextureSide = 8192;
constexpr int kInputQueueSize = 64;

int RoundUpPow2(int v) {
  int p = 1;
  while (p < v) p <<= 1;
  return p;
}

// Slots addressed by handles (generation << 16) | (index + 1); 0 is never a handle.
template <class T>
class CHandleTable {
 public:
  uint32_t Add(const T& item) {
    size_t index = 0;
    while (index < m_slots.size() && m_slots[index].used) ++index;
    if (index >= 0xFFFF) return 0;
    if (index == m_slots.size()) m_slots.push_back(Slot{});
    Slot& slot = m_slots[index];
    slot.used = true;
    slot.gen = static_cast<uint16_t>(slot.gen == 0xFFFF ? 1 : slot.gen + 1);
    slot.item = item;
    return (static_cast<uint32_t>(slot.gen) << 16) | static_cast<uint32_t>(index + 1);
  }
  T* Get(uint32_t handle) {
    const uint32_t index = (handle & 0xFFFF);
    if (index == 0 || index > m_slots.size()) return nullptr;
    Slot& slot = m_slots[index - 1];
    if (!slot.used || slot.gen != (handle >> 16)) return nullptr;
    return &slot.item;
  }
  void Remove(uint32_t handle) {
    if (Get(handle) == nullptr) return;
    Slot& slot = m_slots[(handle & 0xFFFF) - 1];
    slot.used = false;
    slot.item = T{};
  }
  template <class F>
  void ForEachHandle(F f) {
    for (size_t i = 0; i < m_slots.size(); ++i) {
      if (m_slots[i].used) f((static_cast<uint32_t>(m_slots[i].gen) << 16) | (i + 1));
    }
  }

 private:
  struct Slot {
    bool used = false;
    uint16_t gen = 0;
    T item{};
  };
  std::vector<Slot> m_slots;
};

enum class TextureKind { Loaded, Blank, Target };

struct Texture {
  SDL_Texture* sdl = nullptr;
  TextureKind kind = TextureKind::Loaded;
  int imageW = 0, imageH = 0;
  int realW = 0, realH = 0;
  std::vector<uint32_t> pixels;  // blank: the pixels; target: the snapshot of a lock
  bool locked = false;
  bool lockReadOnly = true;
};

struct Target {
  HTEXTURE tex = 0;
};

struct Effect {
  Mix_Chunk* chunk = nullptr;  // null when running silent
};

SDL_Color ToSdlColor(DWORD col) {
  return SDL_Color{static_cast<Uint8>(GETR(col)), static_cast<Uint8>(GETG(col)),
                   static_cast<Uint8>(GETB(col)), static_cast<Uint8>(GETA(col))};
}

int MapKey(SDL_Keycode sym) {
  if (sym >= SDLK_a && sym <= SDLK_z) return HGEK_A + (sym - SDLK_a);
  if (sym >= SDLK_0 && sym <= SDLK_9) return HGEK_0 + (sym - SDLK_0);
  if (sym >= SDLK_F1 && sym <= SDLK_F12) return HGEK_F1 + (sym - SDLK_F1);
  switch (sym) {
    case SDLK_ESCAPE:
      return HGEK_ESCAPE;
    case SDLK_RETURN:
      return HGEK_ENTER;
    case SDLK_KP_ENTER:
      return HGEK_ENTER;
    case SDLK_SPACE:
      return HGEK_SPACE;
    case SDLK_BACKSPACE:
      return HGEK_BACKSPACE;
    case SDLK_TAB:
      return HGEK_TAB;
    case SDLK_LSHIFT:
    case SDLK_RSHIFT:
      return HGEK_SHIFT;
    case SDLK_LCTRL:
    case SDLK_RCTRL:
      return HGEK_CTRL;
    case SDLK_LALT:
    case SDLK_RALT:
      return HGEK_ALT;
    case SDLK_PAUSE:
      return HGEK_PAUSE;
    case SDLK_PAGEUP:
      return HGEK_PGUP;
    case SDLK_PAGEDOWN:
      return HGEK_PGDN;
    case SDLK_END:
      return HGEK_END;
    case SDLK_HOME:
      return HGEK_HOME;
    case SDLK_LEFT:
      return HGEK_LEFT;
    case SDLK_UP:
      return HGEK_UP;
    case SDLK_RIGHT:
      return HGEK_RIGHT;
    case SDLK_DOWN:
      return HGEK_DOWN;
    case SDLK_INSERT:
      return HGEK_INSERT;
    case SDLK_DELETE:
      return HGEK_DELETE;
    default:
      return 0;
  }
}

int MapModifiers(Uint16 mod) {
  int flags = 0;
  if (mod & KMOD_SHIFT) flags |= HGEINP_SHIFT;
  if (mod & KMOD_CTRL) flags |= HGEINP_CTRL;
  if (mod & KMOD_ALT) flags |= HGEINP_ALT;
  return flags;
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
    Uint32 subsystems = SDL_INIT_EVENTS | (m_headless ? 0u : static_cast<Uint32>(SDL_INIT_VIDEO));
    if (SDL_InitSubSystem(subsystems) != 0) return Fail("SDL could not start");
    m_subsystems = subsystems;
    if (m_headless) {
      m_baseSurface =
          SDL_CreateRGBSurfaceWithFormat(0, m_width, m_height, 32, SDL_PIXELFORMAT_ARGB8888);
      if (m_baseSurface == nullptr) return Fail("no offscreen surface");
      m_renderer = SDL_CreateSoftwareRenderer(m_baseSurface);
    } else {
      m_window = SDL_CreateWindow(m_title.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                                  m_width, m_height, SDL_WINDOW_SHOWN);
      if (m_window == nullptr) return Fail("no window");
      m_renderer =
          SDL_CreateRenderer(m_window, -1, SDL_RENDERER_ACCELERATED | SDL_RENDERER_TARGETTEXTURE);
      if (m_renderer == nullptr)
        m_renderer =
            SDL_CreateRenderer(m_window, -1, SDL_RENDERER_SOFTWARE | SDL_RENDERER_TARGETTEXTURE);
      if (m_hideMouse) SDL_ShowCursor(SDL_DISABLE);
    }
    if (m_renderer == nullptr) return Fail("no renderer");
    SDL_RendererInfo info;
    m_rendererName = SDL_GetRendererInfo(m_renderer, &info) == 0 ? info.name : "unknown";
    SDL_SetRenderDrawBlendMode(m_renderer, SDL_BLENDMODE_BLEND);
    IMG_Init(IMG_INIT_PNG | IMG_INIT_JPG);
    if (!CreateScreenTexture()) return Fail("no screen texture");
    if (m_useSound) OpenAudio();
    m_initiated = true;
    return true;
  }

  void System_Shutdown() override {
    if (!m_initiated && m_renderer == nullptr && m_subsystems == 0) return;
    if (m_inScene) Gfx_EndScene();
    if (m_audioOpen) Mix_HaltChannel(-1);
    std::vector<uint32_t> handles;
    m_effects.ForEachHandle([&](uint32_t h) { handles.push_back(h); });
    for (uint32_t h : handles) Effect_Free(h);
    handles.clear();
    m_targets.ForEachHandle([&](uint32_t h) { handles.push_back(h); });
    for (uint32_t h : handles) Target_Free(h);
    handles.clear();
    m_textures.ForEachHandle([&](uint32_t h) { handles.push_back(h); });
    for (uint32_t h : handles) Texture_Free(h);
    if (m_audioOpen) {
      Mix_CloseAudio();
      Mix_Quit();
      SDL_QuitSubSystem(SDL_INIT_AUDIO);
      m_audioOpen = false;
    }
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
    m_inputCount = 0;
  }

  const char* System_GetErrorMessage() override { return m_error.c_str(); }

  bool System_PollEvent(SDL_Event* event) override {
    if (!m_initiated) return false;
    SDL_Event e;
    if (SDL_PollEvent(&e) == 0) return false;
    Translate(e);
    if (event) *event = e;
    return true;
  }

  bool System_Snapshot(const char* filename) override {
    if (!m_initiated || filename == nullptr || filename[0] == '\0') return false;
    std::vector<uint32_t> pixels(static_cast<size_t>(m_width) * m_height);
    if (!ReadPixels(m_screen, m_width, m_height, pixels.data())) return false;
    SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormatFrom(
        pixels.data(), m_width, m_height, 32, m_width * 4, SDL_PIXELFORMAT_ARGB8888);
    if (surface == nullptr) return false;
    std::string path(filename);
    std::replace(path.begin(), path.end(), '\\', '/');
    const bool ok = IMG_SavePNG(surface, path.c_str()) == 0;
    SDL_FreeSurface(surface);
    return ok;
  }

  void System_RaiseWindow() override {
    if (m_window) SDL_RaiseWindow(m_window);
  }

  void System_SetStateBool(hgeBoolState state, bool value) override {
    switch (state) {
      case HGE_WINDOWED:
        m_windowed = value;
        break;
      case HGE_ZBUFFER:
        m_zbuffer = value;
        break;
      case HGE_TEXTUREFILTER:
        m_textureFilter = value;
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
        if (value < 1 || value > kMaxTextureSide) return;
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
        return m_initiated ? m_audioOpen : m_useSound;
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
    if (!m_initiated || filename == nullptr) return 0;
    if (m_audioOpen) {
      SDL_RWops* rw = size ? SDL_RWFromConstMem(filename, static_cast<int>(size))
                           : SDL_RWFromFile(ResolvePath(filename).c_str(), "rb");
      if (rw == nullptr) return 0;
      Mix_Chunk* chunk = Mix_LoadWAV_RW(rw, 1);
      if (chunk == nullptr) return 0;
      const HEFFECT h = m_effects.Add(Effect{chunk});
      if (h == 0) Mix_FreeChunk(chunk);
      return h;
    }
    // Silent: the effect exists when its file can be read.
    if (size == 0) {
      std::FILE* f = std::fopen(ResolvePath(filename).c_str(), "rb");
      if (f == nullptr) return 0;
      const bool hasData = std::fgetc(f) != EOF;
      std::fclose(f);
      if (!hasData) return 0;
    }
    return m_effects.Add(Effect{nullptr});
  }

  void Effect_Free(HEFFECT eff) override {
    Effect* e = m_effects.Get(eff);
    if (e == nullptr) return;
    if (e->chunk) {
      const int channels = Mix_AllocateChannels(-1);
      for (int ch = 0; ch < channels; ++ch) {
        if (Mix_GetChunk(ch) == e->chunk) Mix_HaltChannel(ch);
      }
      Mix_FreeChunk(e->chunk);
    }
    m_effects.Remove(eff);
  }

  HCHANNEL Effect_Play(HEFFECT eff) override { return Effect_PlayEx(eff, 100, 0, 1.0f, false); }

  HCHANNEL Effect_PlayEx(HEFFECT eff, int volume, int pan, float /*pitch*/, bool loop) override {
    Effect* e = m_effects.Get(eff);
    if (e == nullptr || e->chunk == nullptr) return 0;
    const int ch = Mix_PlayChannel(-1, e->chunk, loop ? -1 : 0);
    if (ch < 0) return 0;
    volume = std::clamp(volume, 0, 100);
    pan = std::clamp(pan, -100, 100);
    Mix_Volume(ch, volume * MIX_MAX_VOLUME / 100);
    const Uint8 left = static_cast<Uint8>(pan > 0 ? 255 * (100 - pan) / 100 : 255);
    const Uint8 right = static_cast<Uint8>(pan < 0 ? 255 * (100 + pan) / 100 : 255);
    Mix_SetPanning(ch, left, right);
    return static_cast<HCHANNEL>(ch + 1);
  }

  void Channel_Stop(HCHANNEL chn) override {
    if (m_audioOpen && chn > 0) Mix_HaltChannel(static_cast<int>(chn) - 1);
  }
  void Channel_StopAll() override {
    if (m_audioOpen) Mix_HaltChannel(-1);
  }
  bool Channel_IsPlaying(HCHANNEL chn) override {
    return m_audioOpen && chn > 0 && Mix_Playing(static_cast<int>(chn) - 1) != 0;
  }

  // ---- input ------------------------------------------------------------------------------
  bool Input_GetEvent(hgeInputEvent* event) override {
    if (m_inputCount == 0) return false;
    if (event) *event = m_input[m_inputHead];
    m_inputHead = (m_inputHead + 1) % kInputQueueSize;
    --m_inputCount;
    return true;
  }

  void Input_GetMousePos(float* x, float* y) override {
    if (x) *x = m_mouseX;
    if (y) *y = m_mouseY;
  }

  bool Input_GetKeyState(int key) override { return key > 0 && key < 256 && m_keyDown[key]; }

  // ---- graphics ---------------------------------------------------------------------------
  bool Gfx_BeginScene(HTARGET target) override {
    if (!m_initiated || m_inScene) return false;
    SDL_Texture* dest = m_screen;
    if (target != 0) {
      Target* t = m_targets.Get(target);
      Texture* tex = t ? m_textures.Get(t->tex) : nullptr;
      if (tex == nullptr) return false;
      dest = tex->sdl;
    }
    if (SDL_SetRenderTarget(m_renderer, dest) != 0) return false;
    m_sceneTexture = dest;
    m_sceneTarget = target;
    m_clipMode = ClipMode::Off;
    SDL_RenderSetClipRect(m_renderer, nullptr);
    m_inScene = true;
    return true;
  }

  void Gfx_EndScene() override {
    if (!m_inScene) return;
    m_inScene = false;
    if (m_sceneTarget == 0 && m_window != nullptr) {
      SDL_SetRenderTarget(m_renderer, nullptr);
      SDL_RenderSetClipRect(m_renderer, nullptr);
      SDL_RenderCopy(m_renderer, m_screen, nullptr, nullptr);
      SDL_RenderPresent(m_renderer);
    }
    m_sceneTexture = nullptr;
    m_sceneTarget = 0;
  }

  void Gfx_Clear(DWORD color) override {
    if (!m_inScene) return;
    SDL_SetRenderDrawColor(m_renderer, GETR(color), GETG(color), GETB(color), GETA(color));
    SDL_RenderClear(m_renderer);
  }

  void Gfx_RenderLine(float x1, float y1, float x2, float y2, DWORD color, float) override {
    if (!m_inScene) return;
    SDL_SetRenderDrawBlendMode(m_renderer, SDL_BLENDMODE_BLEND);
    SDL_SetRenderDrawColor(m_renderer, GETR(color), GETG(color), GETB(color), GETA(color));
    SDL_RenderDrawLineF(m_renderer, x1, y1, x2, y2);
  }

  void Gfx_RenderTriple(const hgeTriple* triple) override {
    if (triple == nullptr) return;
    static const int kIndices[3] = {0, 1, 2};
    RenderGeometry(triple->v, 3, kIndices, 3, triple->tex, triple->blend);
  }

  void Gfx_RenderQuad(const hgeQuad* quad) override {
    if (quad == nullptr) return;
    static const int kIndices[6] = {0, 1, 2, 0, 2, 3};
    RenderGeometry(quad->v, 4, kIndices, 6, quad->tex, quad->blend);
  }

  void Gfx_SetClipping(int x, int y, int w, int h) override {
    if (x == 0 && y == 0 && w == 0 && h == 0) {
      m_clipMode = ClipMode::Off;
    } else if (w <= 0 || h <= 0) {
      m_clipMode = ClipMode::Empty;
    } else {
      m_clipMode = ClipMode::Rect;
      m_clip = SDL_Rect{x, y, w, h};
    }
    if (m_inScene) ApplyClip();
  }

  // ---- targets ----------------------------------------------------------------------------
  HTARGET Target_Create(int width, int height, bool /*zbuffer*/) override {
    if (!m_initiated || width < 1 || height < 1 || width > kMaxTextureSide ||
        height > kMaxTextureSide)
      return 0;
    SDL_Texture* sdl = SDL_CreateTexture(m_renderer, SDL_PIXELFORMAT_ARGB8888,
                                         SDL_TEXTUREACCESS_TARGET, width, height);
    if (sdl == nullptr) return 0;
    SetupTexture(sdl);
    // Start transparent black, like a blank texture.
    SDL_Texture* previous = SDL_GetRenderTarget(m_renderer);
    SDL_SetRenderTarget(m_renderer, sdl);
    SDL_SetRenderDrawColor(m_renderer, 0, 0, 0, 0);
    SDL_RenderClear(m_renderer);
    SDL_SetRenderTarget(m_renderer, previous);
    if (m_inScene) ApplyClip();
    Texture tex;
    tex.sdl = sdl;
    tex.kind = TextureKind::Target;
    tex.imageW = tex.realW = width;
    tex.imageH = tex.realH = height;
    const HTEXTURE th = m_textures.Add(tex);
    if (th == 0) {
      SDL_DestroyTexture(sdl);
      return 0;
    }
    const HTARGET target = m_targets.Add(Target{th});
    if (target == 0) Texture_Free(th);
    return target;
  }

  void Target_Free(HTARGET target) override {
    Target* t = m_targets.Get(target);
    if (t == nullptr) return;
    if (m_inScene && m_sceneTarget == target) Gfx_EndScene();
    Texture_Free(t->tex);
    m_targets.Remove(target);
  }

  HTEXTURE Target_GetTexture(HTARGET target) override {
    Target* t = m_targets.Get(target);
    return t ? t->tex : 0;
  }

  // ---- textures ---------------------------------------------------------------------------
  HTEXTURE Texture_Create(int width, int height) override {
    if (!m_initiated || width < 1 || height < 1 || width > kMaxTextureSide ||
        height > kMaxTextureSide)
      return 0;
    Texture tex;
    tex.kind = TextureKind::Blank;
    tex.imageW = width;
    tex.imageH = height;
    tex.realW = RoundUpPow2(width);
    tex.realH = RoundUpPow2(height);
    tex.sdl = SDL_CreateTexture(m_renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STATIC,
                                tex.realW, tex.realH);
    if (tex.sdl == nullptr) return 0;
    SetupTexture(tex.sdl);
    tex.pixels.assign(static_cast<size_t>(tex.realW) * tex.realH, 0u);
    SDL_UpdateTexture(tex.sdl, nullptr, tex.pixels.data(), tex.realW * 4);
    const HTEXTURE h = m_textures.Add(tex);
    if (h == 0) SDL_DestroyTexture(tex.sdl);
    return h;
  }

  HTEXTURE Texture_Load(const char* filename, DWORD size, bool /*mipmap*/) override {
    if (!m_initiated || filename == nullptr) return 0;
    SDL_Surface* loaded = size
                              ? IMG_Load_RW(SDL_RWFromConstMem(filename, static_cast<int>(size)), 1)
                              : IMG_Load(ResolvePath(filename).c_str());
    if (loaded == nullptr) return 0;
    SDL_Surface* argb = SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_ARGB8888, 0);
    SDL_FreeSurface(loaded);
    if (argb == nullptr) return 0;
    HTEXTURE h = 0;
    if (argb->w <= kMaxTextureSide && argb->h <= kMaxTextureSide) {
      Texture tex;
      tex.kind = TextureKind::Loaded;
      tex.imageW = tex.realW = argb->w;
      tex.imageH = tex.realH = argb->h;
      tex.sdl = SDL_CreateTexture(m_renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STATIC,
                                  argb->w, argb->h);
      if (tex.sdl != nullptr) {
        SetupTexture(tex.sdl);
        SDL_UpdateTexture(tex.sdl, nullptr, argb->pixels, argb->pitch);
        h = m_textures.Add(tex);
        if (h == 0) SDL_DestroyTexture(tex.sdl);
      }
    }
    SDL_FreeSurface(argb);
    return h;
  }

  void Texture_Free(HTEXTURE h) override {
    Texture* tex = m_textures.Get(h);
    if (tex == nullptr) return;
    if (tex->sdl) {
      if (m_inScene && m_sceneTexture == tex->sdl) Gfx_EndScene();
      SDL_DestroyTexture(tex->sdl);
    }
    m_textures.Remove(h);
  }

  int Texture_GetWidth(HTEXTURE h, bool original) override {
    Texture* tex = m_textures.Get(h);
    return tex ? (original ? tex->imageW : tex->realW) : 0;
  }

  int Texture_GetHeight(HTEXTURE h, bool original) override {
    Texture* tex = m_textures.Get(h);
    return tex ? (original ? tex->imageH : tex->realH) : 0;
  }

  DWORD* Texture_Lock(HTEXTURE h, bool readOnly, int left, int top, int width,
                      int height) override {
    Texture* tex = m_textures.Get(h);
    if (tex == nullptr || tex->locked || tex->kind == TextureKind::Loaded) return nullptr;
    if (width == 0 || height == 0) {
      left = top = 0;
      width = tex->realW;
      height = tex->realH;
    }
    if (left < 0 || top < 0 || width < 0 || height < 0 || left + width > tex->realW ||
        top + height > tex->realH)
      return nullptr;
    if (tex->kind == TextureKind::Target) {
      tex->pixels.assign(static_cast<size_t>(tex->realW) * tex->realH, 0u);
      if (!ReadPixels(tex->sdl, tex->realW, tex->realH, tex->pixels.data())) {
        tex->pixels.clear();
        return nullptr;
      }
    }
    tex->locked = true;
    tex->lockReadOnly = readOnly;
    return tex->pixels.data() + static_cast<size_t>(top) * tex->realW + left;
  }

  void Texture_Unlock(HTEXTURE h) override {
    Texture* tex = m_textures.Get(h);
    if (tex == nullptr || !tex->locked) return;
    tex->locked = false;
    if (!tex->lockReadOnly)
      SDL_UpdateTexture(tex->sdl, nullptr, tex->pixels.data(), tex->realW * 4);
    if (tex->kind == TextureKind::Target) {
      tex->pixels.clear();
      tex->pixels.shrink_to_fit();
    }
  }

 private:
  enum class ClipMode { Off, Rect, Empty };

  bool Fail(const char* what) {
    m_error = std::string(what) + ": " + SDL_GetError();
    // Undo what was made so far; the engine can be initiated again.
    m_initiated = true;
    System_Shutdown();
    return false;
  }

  void OpenAudio() {
    if (m_headless) SDL_SetHintWithPriority(SDL_HINT_AUDIODRIVER, "dummy", SDL_HINT_OVERRIDE);
    const bool subsystem = SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
    if (m_headless) SDL_ResetHint(SDL_HINT_AUDIODRIVER);
    if (subsystem && Mix_OpenAudio(44100, MIX_DEFAULT_FORMAT, 2, 1024) == 0) {
      Mix_AllocateChannels(32);
      m_audioOpen = true;
      return;
    }
    static bool noted = false;
    if (!noted) {
      std::fprintf(stderr, "torvaly: no audio device (%s); sound effects are silent\n",
                   SDL_GetError());
      noted = true;
    }
    if (subsystem) SDL_QuitSubSystem(SDL_INIT_AUDIO);
  }

  void SetupTexture(SDL_Texture* sdl) {
    SDL_SetTextureBlendMode(sdl, SDL_BLENDMODE_BLEND);
    SDL_SetTextureScaleMode(sdl, m_textureFilter ? SDL_ScaleModeLinear : SDL_ScaleModeNearest);
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
    return true;
  }

  void Resize(int w, int h) {
    if (w == m_width && h == m_height) return;
    if (!m_initiated) {
      m_width = w;
      m_height = h;
      return;
    }
    if (m_inScene) return;  // not while drawing
    const int oldW = m_width, oldH = m_height;
    m_width = w;
    m_height = h;
    if (!CreateScreenTexture()) {
      m_width = oldW;
      m_height = oldH;
      return;
    }
    if (m_window) SDL_SetWindowSize(m_window, w, h);
  }

  void ApplyClip() {
    if (m_clipMode == ClipMode::Off) {
      SDL_RenderSetClipRect(m_renderer, nullptr);
    } else if (m_clipMode == ClipMode::Empty) {
      // A rectangle wholly off the target: SDL would read an empty one as "no clipping".
      const SDL_Rect offscreen{-4, -4, 1, 1};
      SDL_RenderSetClipRect(m_renderer, &offscreen);
    } else {
      SDL_RenderSetClipRect(m_renderer, &m_clip);
    }
  }

  bool ReadPixels(SDL_Texture* texture, int w, int h, uint32_t* out) {
    SDL_Texture* previous = SDL_GetRenderTarget(m_renderer);
    if (SDL_SetRenderTarget(m_renderer, texture) != 0) return false;
    const SDL_Rect all{0, 0, w, h};
    const bool ok =
        SDL_RenderReadPixels(m_renderer, &all, SDL_PIXELFORMAT_ARGB8888, out, w * 4) == 0;
    SDL_SetRenderTarget(m_renderer, previous);
    if (m_inScene) ApplyClip();
    return ok;
  }

  void RenderGeometry(const hgeVertex* v, int count, const int* indices, int indexCount,
                      HTEXTURE texHandle, int blend) {
    if (!m_inScene) return;
    SDL_Texture* sdl = nullptr;
    if (texHandle != 0) {
      Texture* tex = m_textures.Get(texHandle);
      if (tex == nullptr || tex->sdl == nullptr || tex->sdl == m_sceneTexture) return;
      sdl = tex->sdl;
    }
    const SDL_BlendMode mode = (blend & BLEND_ALPHABLEND) ? SDL_BLENDMODE_BLEND : SDL_BLENDMODE_ADD;
    if (sdl) {
      SDL_SetTextureBlendMode(sdl, mode);
    } else {
      SDL_SetRenderDrawBlendMode(m_renderer, mode);
    }
    SDL_Vertex verts[4];
    for (int i = 0; i < count; ++i) {
      verts[i].position = SDL_FPoint{v[i].x, v[i].y};
      verts[i].color = ToSdlColor(v[i].col);
      verts[i].tex_coord = SDL_FPoint{v[i].tx, v[i].ty};
    }
    SDL_RenderGeometry(m_renderer, sdl, verts, count, indices, indexCount);
    if (!sdl) SDL_SetRenderDrawBlendMode(m_renderer, SDL_BLENDMODE_BLEND);
  }

  void PushInput(const hgeInputEvent& e) {
    if (m_inputCount == kInputQueueSize) {  // full: the oldest event is dropped
      m_inputHead = (m_inputHead + 1) % kInputQueueSize;
      --m_inputCount;
    }
    m_input[(m_inputHead + m_inputCount) % kInputQueueSize] = e;
    ++m_inputCount;
  }

  void Translate(const SDL_Event& e) {
    hgeInputEvent in{};
    in.x = m_mouseX;
    in.y = m_mouseY;
    switch (e.type) {
      case SDL_QUIT:
        m_quitRequested = true;
        return;
      case SDL_WINDOWEVENT:
        if (e.window.event == SDL_WINDOWEVENT_CLOSE) m_quitRequested = true;
        return;
      case SDL_KEYDOWN:
      case SDL_KEYUP: {
        in.key = MapKey(e.key.keysym.sym);
        if (in.key == 0) return;
        in.type = e.type == SDL_KEYDOWN ? INPUT_KEYDOWN : INPUT_KEYUP;
        in.flags = MapModifiers(e.key.keysym.mod) | (e.key.repeat ? HGEINP_REPEAT : 0);
        const SDL_Keycode sym = e.key.keysym.sym;
        if (sym >= 32 && sym < 127) {
          in.chr = static_cast<int>(sym);
          if ((in.flags & HGEINP_SHIFT) && sym >= 'a' && sym <= 'z') in.chr -= 32;
        }
        if (in.key < 256) m_keyDown[in.key] = in.type == INPUT_KEYDOWN;
        PushInput(in);
        return;
      }
      case SDL_MOUSEBUTTONDOWN:
      case SDL_MOUSEBUTTONUP: {
        m_mouseX = in.x = static_cast<float>(e.button.x);
        m_mouseY = in.y = static_cast<float>(e.button.y);
        in.key = e.button.button == SDL_BUTTON_LEFT    ? HGEK_LBUTTON
                 : e.button.button == SDL_BUTTON_RIGHT ? HGEK_RBUTTON
                                                       : HGEK_MBUTTON;
        in.type = e.type == SDL_MOUSEBUTTONDOWN ? INPUT_MBUTTONDOWN : INPUT_MBUTTONUP;
        in.flags = MapModifiers(static_cast<Uint16>(SDL_GetModState()));
        m_keyDown[in.key] = in.type == INPUT_MBUTTONDOWN;
        PushInput(in);
        return;
      }
      case SDL_MOUSEMOTION:
        m_mouseX = in.x = static_cast<float>(e.motion.x);
        m_mouseY = in.y = static_cast<float>(e.motion.y);
        in.type = INPUT_MOUSEMOVE;
        PushInput(in);
        return;
      case SDL_MOUSEWHEEL:
        in.type = INPUT_MOUSEWHEEL;
        in.wheel = e.wheel.y;
        PushInput(in);
        return;
      default:
        return;
    }
  }

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
  bool m_audioOpen = false;

  // scene
  bool m_inScene = false;
  HTARGET m_sceneTarget = 0;
  SDL_Texture* m_sceneTexture = nullptr;
  ClipMode m_clipMode = ClipMode::Off;
  SDL_Rect m_clip{};

  CHandleTable<Texture> m_textures;
  CHandleTable<Target> m_targets;
  CHandleTable<Effect> m_effects;

  // input
  hgeInputEvent m_input[kInputQueueSize] = {};
  int m_inputHead = 0;
  int m_inputCount = 0;
  bool m_keyDown[256] = {};
  float m_mouseX = 0;
  float m_mouseY = 0;
};

CEngine* CEngine::s_instance = nullptr;

}  // namespace

HGE* hgeCreate(int version) {
  if (version != HGE_VERSION) return nullptr;
  if (CEngine::s_instance == nullptr) CEngine::s_instance = new CEngine();
  CEngine::s_instance->AddRef();
  return CEngine::s_instance;
}
