// The engine's parts on their own, without the engine object: the handle table, the input
// translation, silent sound effects and effects on a mixer without a sound card. (Clipping is drawn
// through the widgets: button_test.)
#include <SDL2/SDL.h>

#include <cstdio>
#include <string>
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

// `seconds` of mono 16-bit silence at 8 kHz: decoded for the mixer (44.1 kHz stereo) about 11
// times as large.
void WriteLongWav(const std::string& path, double seconds) {
  const uint32_t data = static_cast<uint32_t>(seconds * 8000) * 2;
  std::string file = "RIFF....WAVEfmt ";
  auto put = [&file](uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) file.push_back(static_cast<char>(v >> (8 * i)));
  };
  put(16, 4), put(1, 2), put(1, 2), put(8000, 4), put(16000, 4), put(2, 2), put(16, 2);
  file += "data";
  put(data, 4);
  file.append(data, '\0');
  const uint32_t riff = static_cast<uint32_t>(file.size() - 8);
  for (int i = 0; i < 4; ++i) file[4 + i] = static_cast<char>(riff >> (8 * i));
  platform_test::WriteText(path, file);
}

// With a mixer, a file is only checked when it loads and decoded when first played; decoded
// sound beyond the budget is let go (the one played longest ago) and decoded again when played
// again; a long wave is streamed through the music channel and never decoded whole. The play
// observer hears every play.
TEST(EngineAudioPart, FilesDecodeWhenFirstPlayedWithinABudgetAndLongOnesStream) {
  CEngineAudio audio;
  ASSERT_TRUE(audio.OpenDummy());
  TempDir dir;
  static int plays = 0;
  plays = 0;
  CEngineAudio::SetPlayObserver([](void*, HEFFECT) { ++plays; }, nullptr);
  for (const char* name : {"a.wav", "b.wav"}) WriteLongWav(dir.File(name), 12.0);  // 2.1 MB
  platform_test::WriteWav(dir.File("click.wav"));
  const HEFFECT a = audio.Load(dir.File("a.wav").c_str(), 0);
  const HEFFECT b = audio.Load(dir.File("b.wav").c_str(), 0);
  const HEFFECT click = audio.Load(dir.File("click.wav").c_str(), 0);
  ASSERT_TRUE(a != 0 && b != 0 && click != 0);
  EXPECT_EQ(audio.DecodedBytes(), 0u) << "nothing is decoded before it plays";

  const HCHANNEL clickChannel = audio.Play(click, 100, 0, false);
  EXPECT_NE(clickChannel, 0u);
  const size_t clickBytes = audio.DecodedBytes();
  EXPECT_NEAR(double(clickBytes), 0.1 * 44100 * 4, 64.0) << "44.1 kHz stereo, 16 bits";
  audio.Play(click, 100, 0, false);
  EXPECT_EQ(audio.DecodedBytes(), clickBytes) << "decoded once";

  audio.Play(a, 100, 0, false);
  audio.Play(b, 100, 0, false);
  EXPECT_GT(audio.DecodedBytes(), CEngineAudio::kDecodedBudget) << "playing sounds are kept";
  audio.StopAll();
  audio.Play(click, 100, 0, false);
  EXPECT_LE(audio.DecodedBytes(), CEngineAudio::kDecodedBudget) << "the oldest one went";
  EXPECT_GE(audio.DecodedBytes(), clickBytes) << "the click, played last, stays";
  EXPECT_NE(audio.Play(a, 100, 0, false), 0u) << "decoded again";
  EXPECT_LE(audio.DecodedBytes(), CEngineAudio::kDecodedBudget);
  audio.StopAll();

  audio.SetStreamBytes(CEngineAudio::kStreamBytes);
  const size_t before = audio.DecodedBytes();
  WriteLongWav(dir.File("music.wav"), 70.0);  // 1.1 MB of sound data
  const HEFFECT music = audio.Load(dir.File("music.wav").c_str(), 0);
  const HCHANNEL musicChannel = audio.Play(music, 100, 0, false);
  EXPECT_EQ(musicChannel, CEngineAudio::kStreamChannel);
  EXPECT_TRUE(audio.IsPlaying(musicChannel));
  EXPECT_EQ(audio.DecodedBytes(), before) << "streamed, not decoded";
  audio.Stop(musicChannel);
  EXPECT_FALSE(audio.IsPlaying(musicChannel));
  EXPECT_EQ(audio.Play(music, 100, 0, true), CEngineAudio::kStreamChannel);
  audio.Free(music);
  EXPECT_FALSE(audio.IsPlaying(musicChannel)) << "freeing a streamed wave stops it";
  EXPECT_EQ(plays, 8);
  CEngineAudio::SetPlayObserver(nullptr, nullptr);

  // Three channels of 32 bits in blocks of 4 bytes: the mixer shortens the decoded sound when
  // it plays it, and the budget still gets back what it counted.
  const uint8_t partial[] = {'R',  'I',  'F',  'F',  50,   0,    0,    0,    'W',  'A',  'V',  'E',
                             'f',  'm',  't',  ' ',  16,   0,    0,    0,    1,    0,    3,    0,
                             0x44, 0xAC, 0,    0,    0,    0xB1, 2,    0,    4,    0,    32,   0,
                             'd',  'a',  't',  'a',  14,   0,    0,    0,    0x6D, 0xC5, 0xCC, 0x1B,
                             0x1B, 0x1B, 0x1B, 0x1B, 0x1B, 0x1B, 0x1B, 0x1B, 0x1B, 0x1B};
  const size_t held = audio.DecodedBytes();
  const HEFFECT odd = audio.Load(reinterpret_cast<const char*>(partial), sizeof(partial));
  audio.Play(odd, 100, 0, false);
  audio.Free(odd);
  EXPECT_EQ(audio.DecodedBytes(), held);
}

}  // namespace
