#include "platform/engine/EngineAudio.h"

#include <SDL2/SDL.h>
#include <SDL2/SDL_mixer.h>
#include <dlfcn.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/engine/WaveFile.h"
#include "platform/win/ResourceFolder.h"

namespace {

void IgnoreAlsaError(const char*, int, const char*, int, const char*, ...) {}

// Without a sound card, alsa-lib writes its own lines to stderr while SDL looks for a device;
// the engine says so itself, once. alsa-lib stays loaded with the quiet handler (SDL opens the
// same library); without it there is nothing to quiet.
void QuietAlsa() {
  static bool done = false;
  if (done) return;
  done = true;
  void* alsa = dlopen("libasound.so.2", RTLD_LAZY);
  if (alsa == nullptr) return;
  using Handler = void (*)(const char*, int, const char*, int, const char*, ...);
  auto setHandler = reinterpret_cast<int (*)(Handler)>(dlsym(alsa, "snd_lib_error_set_handler"));
  if (setHandler != nullptr) setHandler(&IgnoreAlsaError);
}

CEngineAudio::PlayObserver g_playObserver = nullptr;
void* g_playObserverContext = nullptr;

}  // namespace

void CEngineAudio::SetPlayObserver(PlayObserver observer, void* context) {
  g_playObserver = observer;
  g_playObserverContext = context;
}

bool CEngineAudio::Open(bool headless) {
  if (m_open) return true;
  if (!headless) QuietAlsa();
  if (headless) SDL_SetHintWithPriority(SDL_HINT_AUDIODRIVER, "dummy", SDL_HINT_OVERRIDE);
  const bool subsystem = SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
  if (headless) SDL_ResetHint(SDL_HINT_AUDIODRIVER);
  if (subsystem && Mix_OpenAudio(44100, MIX_DEFAULT_FORMAT, 2, 1024) == 0) {
    Mix_AllocateChannels(32);
    m_open = true;
    return true;
  }
  static bool noted = false;
  if (!noted) {
    std::fprintf(stderr, "torvaly: no audio device (%s); sound effects are silent\n",
                 SDL_GetError());
    noted = true;
  }
  if (subsystem) SDL_QuitSubSystem(SDL_INIT_AUDIO);
  return false;
}

void CEngineAudio::Close() {
  if (m_open) Mix_HaltChannel(-1);
  for (uint32_t h : m_effects.Handles()) Free(h);
  if (!m_open) return;
  Mix_CloseAudio();
  Mix_Quit();
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
  m_open = false;
}

HEFFECT CEngineAudio::Load(const char* filename, DWORD size) {
  if (filename == nullptr || size > INT_MAX) return 0;
  std::string file;
  const auto* bytes = reinterpret_cast<const uint8_t*>(filename);
  size_t length = size;
  if (size == 0) {
    if (!ReadWholeFile(ResolvePath(filename), file)) return 0;
    bytes = reinterpret_cast<const uint8_t*>(file.data());
    length = file.size();
  }
  // The same check with or without a device: a file that is no wave is refused either way, so a
  // silent run (and every test without a sound card) sees the same effects as a sounding one.
  // The mixer only ever sees a wave whose sizes and rate were checked (WaveFile.h).
  std::vector<uint8_t> wave;
  if (!MakeBoundedWave(bytes, length, wave)) return 0;
  if (!m_open) return m_effects.Add(Effect{nullptr});
  SDL_RWops* rw = SDL_RWFromConstMem(wave.data(), static_cast<int>(wave.size()));
  if (rw == nullptr) return 0;
  Mix_Chunk* chunk = Mix_LoadWAV_RW(rw, 0);
  SDL_RWclose(rw);
  if (chunk == nullptr) return 0;
  const HEFFECT h = m_effects.Add(Effect{chunk});
  if (h == 0) Mix_FreeChunk(chunk);
  return h;
}

void CEngineAudio::Free(HEFFECT effect) {
  Effect* e = m_effects.Get(effect);
  if (e == nullptr) return;
  if (e->chunk) {
    const int channels = Mix_AllocateChannels(-1);
    for (int ch = 0; ch < channels; ++ch) {
      if (Mix_GetChunk(ch) == e->chunk) Mix_HaltChannel(ch);
    }
    Mix_FreeChunk(e->chunk);
  }
  m_effects.Remove(effect);
}

HCHANNEL CEngineAudio::Play(HEFFECT effect, int volume, int pan, bool loop) {
  Effect* e = m_effects.Get(effect);
  if (e != nullptr && g_playObserver != nullptr) g_playObserver(g_playObserverContext, effect);
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

void CEngineAudio::Stop(HCHANNEL channel) {
  if (m_open && channel > 0) Mix_HaltChannel(static_cast<int>(channel) - 1);
}

void CEngineAudio::StopAll() {
  if (m_open) Mix_HaltChannel(-1);
}

bool CEngineAudio::IsPlaying(HCHANNEL channel) const {
  return m_open && channel > 0 && Mix_Playing(static_cast<int>(channel) - 1) != 0;
}
