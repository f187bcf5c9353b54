// The engine's sound effects on SDL2_mixer, addressed by handles (HandleTable.h).
//
// Open starts SDL's audio and the mixer (SDL's dummy driver when headless); without a device it
// says so once per process on stderr (alsa-lib's own complaints are silenced) and the effects
// run silent: they load as they would with a device, and playing them does nothing. Load
// returns 0 for a missing file, for data that is no wave the engine accepts (WaveFile.h), with
// or without a mixer, and, with a mixer, for a wave that does not decode. Volume 0..100, pan
// -100..100; a channel is 0 when nothing plays, else the mixer channel + 1.
#pragma once

#include "platform/engine/HandleTable.h"
#include "platform/engine/hge.h"

struct Mix_Chunk;

class CEngineAudio {
 public:
  CEngineAudio() = default;
  ~CEngineAudio() { Close(); }
  CEngineAudio(const CEngineAudio&) = delete;
  CEngineAudio& operator=(const CEngineAudio&) = delete;

  // True when a mixer is open (false: silent).
  bool Open(bool headless);
  // Frees every effect and closes the mixer.
  void Close();
  bool IsOpen() const { return m_open; }

  // size 0: `filename` is a file name (resolved like every file name); otherwise it points to
  // size bytes of file data.
  HEFFECT Load(const char* filename, DWORD size);
  void Free(HEFFECT effect);
  HCHANNEL Play(HEFFECT effect, int volume, int pan, bool loop);
  void Stop(HCHANNEL channel);
  void StopAll();
  bool IsPlaying(HCHANNEL channel) const;

  // An observer (tests, the scenario driver) hears every Play of a loaded effect, whether or
  // not a device sounds it; null removes it. One for the process.
  using PlayObserver = void (*)(void* context, HEFFECT effect);
  static void SetPlayObserver(PlayObserver observer, void* context);

 private:
  struct Effect {
    Mix_Chunk* chunk = nullptr;  // null when silent
  };

  bool m_open = false;
  CHandleTable<Effect> m_effects;
};
