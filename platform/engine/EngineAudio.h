// The engine's sound effects on SDL2_mixer, addressed by handles (HandleTable.h).
//
// Open starts SDL's audio and the mixer; without a device it says so once per process on stderr
// (alsa-lib's own complaints are silenced) and the effects run silent. Headless, SDL's audio is
// never started and nothing is said: effects are silent. OpenDummy starts the mixer on SDL's
// dummy driver, which decodes and mixes without sounding (tests and fuzzing).
//
// Load checks a file's header (WaveFile.h) and remembers the file: nothing of its sound is read
// until it is first played, and a silent engine never reads it. Load returns 0 for a missing
// file and for data that is no wave the engine accepts, with or without a mixer, so a silent run
// sees the same effects as a sounding one; a wave that passes the check but does not decode
// plays nothing. Bytes in memory (size > 0) are decoded at once when a mixer is open.
//
// With a mixer, the first play of a file decodes it into the mixer's format. Decoded effects are
// kept up to kDecodedBudget bytes; past that, the one played longest ago that is not playing is
// let go and decoded again when it is next played. A long wave (kStreamBytes of sound data or
// more: the music) in plain PCM or float is never decoded whole: it plays through the mixer's
// music hook, read from the file and converted as it plays, one at a time (a second one stops
// the first); its pan is not applied. It is converted in blocks that give whole frames at the
// device's rate, so it sounds as the same wave decoded whole.
//
// Volume 0..100, pan -100..100; a channel is 0 when nothing plays, kStreamChannel for a streamed
// wave, else the mixer channel + 1.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/engine/HandleTable.h"
#include "platform/engine/hge.h"

struct Mix_Chunk;
struct tagMusicStream;

class CEngineAudio {
 public:
  static constexpr size_t kDecodedBudget = size_t{4} << 20;
  static constexpr uint32_t kStreamBytes = uint32_t{1} << 20;
  static constexpr HCHANNEL kStreamChannel = 0x10000;

  CEngineAudio();
  ~CEngineAudio();
  CEngineAudio(const CEngineAudio&) = delete;
  CEngineAudio& operator=(const CEngineAudio&) = delete;

  // True when a mixer is open (false: silent). Headless: always false, SDL's audio untouched.
  bool Open(bool headless);
  // A mixer on SDL's dummy driver: decodes and mixes, sounds nothing.
  bool OpenDummy();
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

  // True for an effect that plays streamed from its file.
  bool IsStreamed(HEFFECT effect);
  // Bytes of decoded sound held now (the mixer's chunks).
  size_t DecodedBytes() const { return m_decodedBytes; }
  // Files with at least this much sound data are streamed (tests and fuzzing lower it).
  void SetStreamBytes(uint32_t bytes) { m_streamBytes = bytes; }

  // An observer (tests, the scenario driver) hears every Play of a loaded effect, whether or
  // not a device sounds it; null removes it. One for the process.
  using PlayObserver = void (*)(void* context, HEFFECT effect);
  static void SetPlayObserver(PlayObserver observer, void* context);

 private:
  struct Effect {
    std::string path;  // the resolved file; empty for bytes in memory
    bool stream = false;
    Mix_Chunk* chunk = nullptr;  // decoded: from the first play on, or from memory
    size_t decoded = 0;          // its bytes as counted when decoded (the mixer may cut alen)
    uint64_t lastPlay = 0;
  };

  bool OpenMixer();
  bool Decode(Effect& effect);
  void ReleaseChunk(Effect& effect);
  void KeepWithinBudget(const Effect& playing);
  HCHANNEL PlayStream(HEFFECT handle, const Effect& effect, int volume, bool loop);
  void StopStream();

  bool m_open = false;
  CHandleTable<Effect> m_effects;
  size_t m_decodedBytes = 0;
  uint64_t m_plays = 0;
  uint32_t m_streamBytes = kStreamBytes;
  std::unique_ptr<tagMusicStream> m_music;  // the streamed wave playing or last played
  HEFFECT m_musicEffect = 0;
};
