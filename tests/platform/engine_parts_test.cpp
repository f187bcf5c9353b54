// The engine's parts on their own, without the engine object: the handle table, the input
// translation, and textures and drawing on a software renderer over a surface, and silent
// sound effects.
#include <SDL2/SDL.h>

#include <memory>
#include <vector>

#include "platform/engine/EngineAudio.h"
#include "platform/engine/EngineGraphics.h"
#include "platform/engine/EngineInput.h"
#include "platform/engine/EngineTextures.h"
#include "platform/engine/HandleTable.h"
#include "platform_test_util.h"

using platform_test::NearColor;
using platform_test::TempDir;

namespace {

constexpr uint32_t RED = 0xFFFF0000, GREEN = 0xFF00FF00, BLACK = 0xFF000000;

// ---- handle table -----------------------------------------------------------------------------

TEST(EngineHandleTable, HandlesAreNeverZeroAndNeverReachALaterItem) {
  CHandleTable<int> table;
  const uint32_t a = table.Add(10);
  const uint32_t b = table.Add(20);
  ASSERT_NE(a, 0u);
  ASSERT_NE(b, 0u);
  EXPECT_NE(a, b);
  EXPECT_EQ(*table.Get(a), 10);
  EXPECT_EQ(*table.Get(b), 20);

  table.Remove(a);
  const uint32_t c = table.Add(30);  // the same slot, another generation
  EXPECT_EQ(c & 0xFFFF, a & 0xFFFF);
  EXPECT_NE(c, a);
  EXPECT_EQ(*table.Get(c), 30);

  const struct {
    const char* name;
    uint32_t handle;
  } dead[] = {
      {"zero", 0},
      {"freed", a},
      {"slot past the end", 0x00010000u | 99u},
      {"live slot, wrong generation", (c & 0xFFFF) | ((c >> 16) + 1) << 16},
  };
  for (const auto& d : dead) {
    SCOPED_TRACE(d.name);
    EXPECT_EQ(table.Get(d.handle), nullptr);
    table.Remove(d.handle);  // ignored
  }
  EXPECT_EQ(*table.Get(b), 20);
  EXPECT_EQ(table.Handles(), (std::vector<uint32_t>{c, b}));
}

TEST(EngineHandleTable, AFullTableAnswersZero) {
  CHandleTable<char> table;
  for (size_t i = 0; i < CHandleTable<char>::kMaxItems; ++i) ASSERT_NE(table.Add('x'), 0u) << i;
  EXPECT_EQ(table.Add('y'), 0u);
  const uint32_t first = table.Handles().front();
  table.Remove(first);
  EXPECT_NE(table.Add('z'), 0u) << "a freed slot is used again";
}

// ---- input ------------------------------------------------------------------------------------

SDL_Event Key(Uint32 type, SDL_Keycode sym, Uint16 mod = KMOD_NONE, Uint8 repeat = 0) {
  SDL_Event e{};
  e.type = type;
  e.key.keysym.sym = sym;
  e.key.keysym.mod = mod;
  e.key.repeat = repeat;
  return e;
}

SDL_Event Button(Uint32 type, Uint8 button, int x, int y) {
  SDL_Event e{};
  e.type = type;
  e.button.button = button;
  e.button.x = x;
  e.button.y = y;
  return e;
}

TEST(EngineInputPart, EventsBecomeEngineEvents) {
  struct Case {
    const char* name;
    SDL_Event event;
    int type, key, flags, chr;
  };
  const Case cases[] = {
      {"escape", Key(SDL_KEYDOWN, SDLK_ESCAPE), INPUT_KEYDOWN, HGEK_ESCAPE, 0, 0},
      {"k", Key(SDL_KEYDOWN, SDLK_k), INPUT_KEYDOWN, HGEK_K, 0, 'k'},
      {"shift k", Key(SDL_KEYDOWN, SDLK_k, KMOD_LSHIFT), INPUT_KEYDOWN, HGEK_K, HGEINP_SHIFT, 'K'},
      {"ctrl 7 held", Key(SDL_KEYDOWN, SDLK_7, KMOD_RCTRL, 1), INPUT_KEYDOWN, HGEK_0 + 7,
       HGEINP_CTRL | HGEINP_REPEAT, '7'},
      {"F3 up", Key(SDL_KEYUP, SDLK_F3), INPUT_KEYUP, HGEK_F1 + 2, 0, 0},
      {"keypad enter", Key(SDL_KEYDOWN, SDLK_KP_ENTER), INPUT_KEYDOWN, HGEK_ENTER, 0, 0},
      {"left button", Button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 5, 6), INPUT_MBUTTONDOWN,
       HGEK_LBUTTON, 0, 0},
      {"right button up", Button(SDL_MOUSEBUTTONUP, SDL_BUTTON_RIGHT, 5, 6), INPUT_MBUTTONUP,
       HGEK_RBUTTON, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CEngineInput input;
    EXPECT_FALSE(input.Translate(c.event));
    hgeInputEvent e{};
    ASSERT_TRUE(input.Next(&e));
    EXPECT_EQ(e.type, c.type);
    EXPECT_EQ(e.key, c.key);
    EXPECT_EQ(e.flags, c.flags);
    EXPECT_EQ(e.chr, c.chr);
    EXPECT_EQ(input.KeyState(c.key), c.type == INPUT_KEYDOWN || c.type == INPUT_MBUTTONDOWN);
    EXPECT_FALSE(input.Next(&e));
  }
}

TEST(EngineInputPart, MouseQuitAndAFullQueue) {
  CEngineInput input;
  SDL_Event motion{};
  motion.type = SDL_MOUSEMOTION;
  motion.motion.x = 40;
  motion.motion.y = 30;
  input.Translate(motion);
  SDL_Event wheel{};
  wheel.type = SDL_MOUSEWHEEL;
  wheel.wheel.y = -2;
  input.Translate(wheel);
  float x = 0, y = 0;
  input.GetMousePos(&x, &y);
  EXPECT_EQ(x, 40.0f);
  EXPECT_EQ(y, 30.0f);
  hgeInputEvent e{};
  ASSERT_TRUE(input.Next(&e));
  EXPECT_EQ(e.type, INPUT_MOUSEMOVE);
  ASSERT_TRUE(input.Next(&e));
  EXPECT_EQ(e.type, INPUT_MOUSEWHEEL);
  EXPECT_EQ(e.wheel, -2);
  EXPECT_EQ(e.x, 40.0f) << "a wheel event carries the last mouse position";

  EXPECT_FALSE(input.Translate(Key(SDL_KEYDOWN, SDLK_CAPSLOCK))) << "a key without a code";
  EXPECT_FALSE(input.Next(&e));
  SDL_Event quit{};
  quit.type = SDL_QUIT;
  EXPECT_TRUE(input.Translate(quit));
  SDL_Event close{};
  close.type = SDL_WINDOWEVENT;
  close.window.event = SDL_WINDOWEVENT_CLOSE;
  EXPECT_TRUE(input.Translate(close));

  // Past the queue's size the oldest events go.
  for (int i = 0; i < CEngineInput::kQueueSize + 5; ++i) {
    input.Translate(Key(SDL_KEYDOWN, SDLK_a + i % 26));
  }
  int left = 0;
  ASSERT_TRUE(input.Next(&e));
  EXPECT_EQ(e.key, HGEK_A + 5);
  for (left = 1; input.Next(&e); ++left) {
  }
  EXPECT_EQ(left, CEngineInput::kQueueSize);
}

// ---- textures and drawing on a software renderer ---------------------------------------------

// A software renderer on a surface of its own: no SDL subsystem, no engine.
class SoftwareRenderer {
 public:
  SoftwareRenderer()
      : m_surface(SDL_CreateRGBSurfaceWithFormat(0, 32, 32, 32, SDL_PIXELFORMAT_ARGB8888)),
        m_renderer(m_surface ? SDL_CreateSoftwareRenderer(m_surface) : nullptr) {}
  ~SoftwareRenderer() {
    if (m_renderer) SDL_DestroyRenderer(m_renderer);
    if (m_surface) SDL_FreeSurface(m_surface);
  }
  SDL_Renderer* Get() const { return m_renderer; }

 private:
  SDL_Surface* m_surface;
  SDL_Renderer* m_renderer;
};

hgeQuad FilledQuad(float x1, float y1, float x2, float y2, DWORD col) {
  hgeQuad q{};
  const float xs[4] = {x1, x2, x2, x1}, ys[4] = {y1, y1, y2, y2};
  for (int i = 0; i < 4; ++i) q.v[i] = hgeVertex{xs[i], ys[i], 0.5f, col, 0.0f, 0.0f};
  q.blend = BLEND_DEFAULT;
  return q;
}

TEST(EngineDrawingPart, ClippingOffRectangleAndEmpty) {
  SoftwareRenderer r;
  ASSERT_NE(r.Get(), nullptr) << SDL_GetError();
  CEngineTextures textures;
  textures.Attach(r.Get());
  CEngineGraphics gfx;
  gfx.Attach(r.Get());
  const HTARGET target = textures.CreateTarget(16, 16);
  ASSERT_NE(target, 0u);
  SDL_Texture* dest = textures.Sdl(textures.TargetTexture(target));

  struct Case {
    const char* name;
    int x, y, w, h;
    uint32_t inside, outside;  // pixels (2, 2) and (12, 12)
  };
  const Case cases[] = {
      {"off", 0, 0, 0, 0, RED, RED},
      {"rectangle", 0, 0, 8, 8, RED, BLACK},
      {"empty", 4, 4, 0, 5, BLACK, BLACK},
      {"negative", 1, 1, 5, -1, BLACK, BLACK},
  };
  const hgeQuad quad = FilledQuad(0, 0, 16, 16, RED);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(gfx.Begin(dest, target));
    EXPECT_FALSE(gfx.Begin(dest, target)) << "one scene at a time";
    gfx.Clear(BLACK);
    gfx.SetClipping(c.x, c.y, c.w, c.h);
    gfx.Quad(quad.v, nullptr, quad.blend);
    EXPECT_TRUE(gfx.End());
    std::vector<uint32_t> px(16 * 16);
    ASSERT_TRUE(textures.ReadPixels(dest, 16, 16, px.data()));
    EXPECT_TRUE(NearColor(px[2 * 16 + 2], c.inside, 0));
    EXPECT_TRUE(NearColor(px[12 * 16 + 12], c.outside, 0));
  }
  EXPECT_FALSE(gfx.End());
  gfx.Quad(quad.v, nullptr, quad.blend);  // outside a scene: nothing, no crash
}

TEST(EngineTexturePart, KindsSizesAndLocks) {
  SoftwareRenderer r;
  ASSERT_NE(r.Get(), nullptr) << SDL_GetError();
  CEngineTextures textures;
  EXPECT_EQ(textures.Create(4, 4), 0u) << "no renderer, no texture";
  textures.Attach(r.Get());

  const HTEXTURE blank = textures.Create(5, 3);
  EXPECT_EQ(textures.Width(blank, true), 5);
  EXPECT_EQ(textures.Width(blank, false), 8);
  EXPECT_EQ(textures.Height(blank, false), 4);
  DWORD* p = textures.Lock(blank, false, 1, 1, 2, 2);
  ASSERT_NE(p, nullptr);
  p[0] = GREEN;
  textures.Unlock(blank);
  const DWORD* all = textures.Lock(blank, true, 0, 0, 0, 0);
  ASSERT_NE(all, nullptr);
  EXPECT_EQ(all[1 * 8 + 1], GREEN);
  EXPECT_EQ(all[0], 0u);
  textures.Unlock(blank);

  const struct {
    const char* name;
    int w, h;
  } refused[] = {
      {"zero", 0, 4}, {"negative", 4, -1}, {"too wide", CEngineTextures::kMaxSide + 1, 1}};
  for (const auto& c : refused) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(textures.Create(c.w, c.h), 0u);
    EXPECT_EQ(textures.CreateTarget(c.w, c.h), 0u);
  }
  const std::vector<uint8_t> noImage = {'n', 'o', 't', ' ', 'a', 'n', ' ', 'i', 'm', 'a', 'g', 'e'};
  EXPECT_EQ(textures.Load(reinterpret_cast<const char*>(noImage.data()),
                          static_cast<DWORD>(noImage.size())),
            0u);

  const HTARGET target = textures.CreateTarget(3, 3);
  const HTEXTURE targetTex = textures.TargetTexture(target);
  EXPECT_EQ(textures.Width(targetTex, false), 3) << "targets are not padded";
  textures.FreeTarget(target);
  EXPECT_EQ(textures.Sdl(targetTex), nullptr) << "a target's texture goes with it";
  textures.FreeAll();
  EXPECT_EQ(textures.Sdl(blank), nullptr);
}

// ---- silent sound -----------------------------------------------------------------------------

TEST(EngineAudioPart, SilentEffectsLoadWhenTheirFileCanBeRead) {
  CEngineAudio audio;  // never opened: silent
  TempDir dir;
  platform_test::WriteWav(dir.File("click.wav"));
  platform_test::WriteText(dir.File("empty.wav"), "");
  const HEFFECT click = audio.Load(dir.File("click.wav").c_str(), 0);
  EXPECT_NE(click, 0u);
  EXPECT_EQ(audio.Load(dir.File("missing.wav").c_str(), 0), 0u);
  EXPECT_EQ(audio.Load(dir.File("empty.wav").c_str(), 0), 0u);
  EXPECT_EQ(audio.Load(nullptr, 0), 0u);
  EXPECT_EQ(audio.Play(click, 100, 0, false), 0u) << "silent: nothing plays";
  EXPECT_FALSE(audio.IsPlaying(1));
  audio.Free(click);
  audio.Free(click);  // twice: ignored
}

}  // namespace
