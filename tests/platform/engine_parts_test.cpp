// The engine's parts on their own, without the engine object: the handle table, the input
// translation and silent sound effects. (Clipping is drawn through the widgets: button_test.)
#include <SDL2/SDL.h>

#include <vector>

#include "platform/engine/EngineAudio.h"
#include "platform/engine/EngineInput.h"
#include "platform/engine/HandleTable.h"
#include "platform_test_util.h"

using platform_test::TempDir;

namespace {

// Handles are never 0, a freed slot comes back under another generation, and a handle that is
// 0, freed, past the end or of the wrong generation reaches nothing; a full table answers 0.
TEST(EngineHandleTable, HandlesAreNeverZeroAndNeverReachALaterItem) {
  CHandleTable<int> table;
  const uint32_t a = table.Add(10);
  const uint32_t b = table.Add(20);
  table.Remove(a);
  const uint32_t c = table.Add(30);
  EXPECT_EQ(c & 0xFFFF, a & 0xFFFF);
  for (uint32_t dead : {0u, a, 0x00010000u | 99u, (c & 0xFFFF) | ((c >> 16) + 1) << 16}) {
    EXPECT_EQ(table.Get(dead), nullptr) << std::hex << dead;
    table.Remove(dead);  // ignored
  }
  EXPECT_EQ(*table.Get(b), 20);
  EXPECT_EQ(*table.Get(c), 30);
  EXPECT_EQ(table.Handles(), (std::vector<uint32_t>{c, b}));
  for (size_t n = 2; n < CHandleTable<int>::kMaxItems; ++n) ASSERT_NE(table.Add(1), 0u) << n;
  EXPECT_EQ(table.Add(2), 0u);
  table.Remove(b);
  EXPECT_NE(table.Add(3), 0u);
}

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
