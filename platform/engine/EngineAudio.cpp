#include "platform/engine/EngineAudio.h"

#include <SDL2/SDL.h>
#include <SDL2/SDL_mixer.h>
#include <dlfcn.h>

#include <algorithm>
#include <atomic>
#include <climits>
#include <cstdio>
#include <memory>
#include <vector>

#include "platform/engine/WaveFile.h"
#include "platform/win/DataFault.h"
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

bool ReadFileAt(void* context, uint64_t at, uint8_t* out, size_t size) {
  auto* file = static_cast<SDL_RWops*>(context);
  if (at > static_cast<uint64_t>(INT64_MAX)) return false;
  return SDL_RWseek(file, static_cast<Sint64>(at), RW_SEEK_SET) == static_cast<Sint64>(at) &&
         (size == 0 || SDL_RWread(file, out, 1, size) == size);
}

// The checked wave of a file as a stream the mixer reads: the made header, then the sound data
// read from the file as the mixer asks for it, then the pad byte of an odd count. The file is
// checked again when the stream is opened, so the mixer never sees bytes that were not.
struct tagWaveStream {
  SDL_RWops* file = nullptr;
  tagWaveLayout layout;
  uint64_t size = 0;
  uint64_t at = 0;
};

tagWaveStream* StreamOf(SDL_RWops* rw) {
  return static_cast<tagWaveStream*>(rw->hidden.unknown.data1);
}

Sint64 StreamSize(SDL_RWops* rw) { return static_cast<Sint64>(StreamOf(rw)->size); }

Sint64 StreamSeek(SDL_RWops* rw, Sint64 offset, int whence) {
  tagWaveStream* s = StreamOf(rw);
  const Sint64 base = whence == RW_SEEK_SET   ? 0
                      : whence == RW_SEEK_CUR ? static_cast<Sint64>(s->at)
                                              : StreamSize(rw);
  if (whence != RW_SEEK_SET && whence != RW_SEEK_CUR && whence != RW_SEEK_END) return -1;
  if ((offset < 0 && -offset > base) || (offset > 0 && offset > StreamSize(rw) - base)) return -1;
  s->at = static_cast<uint64_t>(base + offset);
  return static_cast<Sint64>(s->at);
}

size_t StreamRead(SDL_RWops* rw, void* out, size_t size, size_t count) {
  tagWaveStream* s = StreamOf(rw);
  if (size == 0 || count == 0 || s->at >= s->size) return 0;
  const uint64_t left = s->size - s->at;
  const uint64_t want = count > left / size ? left : uint64_t{count} * size;
  auto* bytes = static_cast<uint8_t*>(out);
  uint64_t done = 0;
  const tagWaveLayout& l = s->layout;
  const uint64_t dataEnd = uint64_t{l.headerSize} + l.dataSize;
  while (done < want) {
    const uint64_t at = s->at + done;
    uint64_t n = want - done;
    if (at < l.headerSize) {
      n = std::min<uint64_t>(n, l.headerSize - at);
      std::copy_n(l.header + at, n, bytes + done);
    } else if (at < dataEnd) {
      n = std::min<uint64_t>(n, dataEnd - at);
      const uint64_t fileAt = l.dataOffset + (at - l.headerSize);
      const size_t got = SDL_RWseek(s->file, static_cast<Sint64>(fileAt), RW_SEEK_SET) < 0
                             ? 0
                             : SDL_RWread(s->file, bytes + done, 1, static_cast<size_t>(n));
      if (got < n) {  // the file shrank since it was checked: the stream ends here
        done += got;
        break;
      }
    } else {
      bytes[done] = 0;  // the pad byte
      n = 1;
    }
    done += n;
  }
  s->at += done;
  return static_cast<size_t>(done / size);
}

size_t StreamWrite(SDL_RWops*, const void*, size_t, size_t) { return 0; }

int StreamClose(SDL_RWops* rw) {
  tagWaveStream* s = StreamOf(rw);
  SDL_RWclose(s->file);
  delete s;
  SDL_FreeRW(rw);
  return 0;
}

// The checked wave of a file as a stream, or null (the file noted as a data fault) when the
// file is missing or no wave the engine accepts. The stream owns the open file; SDL_RWclose
// closes both.
SDL_RWops* OpenWaveStream(const std::string& path, tagWaveLayout* layoutOut = nullptr) {
  SDL_RWops* file = SDL_RWFromFile(path.c_str(), "rb");
  if (file == nullptr) {
    NoteDataFault(path, DataFaultOf(path));
    return nullptr;
  }
  auto stream = std::make_unique<tagWaveStream>();
  stream->file = file;
  const Sint64 size = SDL_RWsize(file);
  SDL_RWops* rw = nullptr;
  if (size >= 0 && ReadWaveLayout(&ReadFileAt, file, static_cast<uint64_t>(size), stream->layout))
    rw = SDL_AllocRW();
  if (rw == nullptr) {
    SDL_RWclose(file);
    NoteDataFault(path, DataFault::Unusable);
    return nullptr;
  }
  if (layoutOut != nullptr) *layoutOut = stream->layout;
  stream->size = stream->layout.MadeSize();
  rw->type = SDL_RWOPS_UNKNOWN;
  rw->size = &StreamSize;
  rw->seek = &StreamSeek;
  rw->read = &StreamRead;
  rw->write = &StreamWrite;
  rw->close = &StreamClose;
  rw->hidden.unknown.data1 = stream.release();
  return rw;
}

// The sample format SDL's converter reads for a wave's format chunk, for the plain encodings a
// long wave is streamed in: 8, 16 or 32-bit PCM and 32-bit float, each frame exactly its
// channels' samples. 0 for anything else (decoded whole instead).
SDL_AudioFormat StreamFormat(const tagWaveLayout& layout, int& channels, int& rate) {
  const uint8_t* f = layout.header + 20;  // the format chunk's body
  const uint32_t formatSize = f[-4] | f[-3] << 8;
  uint16_t tag = static_cast<uint16_t>(f[0] | f[1] << 8);
  channels = f[2] | f[3] << 8;
  rate = static_cast<int>(f[4] | f[5] << 8 | f[6] << 16 | static_cast<uint32_t>(f[7]) << 24);
  const int blockAlign = f[12] | f[13] << 8;
  const int bits = f[14] | f[15] << 8;
  if (tag == 0xFFFE && formatSize >= 40) tag = static_cast<uint16_t>(f[24] | f[25] << 8);
  if (blockAlign != channels * bits / 8) return 0;
  if (tag == 1 && bits == 8) return AUDIO_U8;
  if (tag == 1 && bits == 16) return AUDIO_S16LSB;
  if (tag == 1 && bits == 32) return AUDIO_S32LSB;
  if (tag == 3 && bits == 32) return AUDIO_F32LSB;
  return 0;
}

int Gcd(int a, int b) { return b == 0 ? a : Gcd(b, a % b); }

// The mixer converts a sound in a buffer as large as the conversion may need at any step (four
// times the file's data for a mono 32 kHz sound) and keeps that buffer: it is cut to the sound.
Mix_Chunk* Trimmed(Mix_Chunk* chunk) {
  if (chunk != nullptr && chunk->allocated != 0 && chunk->alen > 0) {
    if (auto* cut = static_cast<Uint8*>(SDL_realloc(chunk->abuf, chunk->alen))) chunk->abuf = cut;
  }
  return chunk;
}

}  // namespace

// A long wave playing through the mixer's music hook: its data read from the file block by
// block, converted to the device's format and rate and added to the mix. Blocks hold a whole
// number of the converter's steps (a 32 kHz wave to 44.1 kHz: 320 frames give 441), so no
// fraction of a frame is dropped between blocks; after the data a block of silence pushes out
// what the converter holds back, and the output stops at the length the whole wave converts to.
struct tagMusicStream {
  SDL_RWops* file = nullptr;
  tagWaveLayout layout;
  SDL_AudioStream* convert = nullptr;
  SDL_AudioFormat deviceFormat = AUDIO_S16SYS;
  uint8_t silence = 0;
  uint32_t blockBytes = 0;
  uint32_t put = 0;      // data bytes given to the converter
  bool tailPut = false;  // the block of silence after the data
  uint64_t total = 0;    // bytes of the whole converted wave
  uint64_t given = 0;    // bytes of it added to the mix
  bool loop = false;
  int volume = MIX_MAX_VOLUME;
  std::vector<uint8_t> in;
  std::vector<uint8_t> out;
  std::atomic<bool> finished{false};

  ~tagMusicStream() {
    if (convert != nullptr) SDL_FreeAudioStream(convert);
    if (file != nullptr) SDL_RWclose(file);
  }

  bool Open(const std::string& path, bool looping, int mixVolume) {
    file = SDL_RWFromFile(path.c_str(), "rb");
    if (file == nullptr) return false;
    const Sint64 size = SDL_RWsize(file);
    int channels = 0, rate = 0, deviceRate = 0, deviceChannels = 0;
    Uint16 format = 0;
    if (size < 0 || !ReadWaveLayout(&ReadFileAt, file, static_cast<uint64_t>(size), layout) ||
        Mix_QuerySpec(&deviceRate, &format, &deviceChannels) == 0)
      return false;
    const SDL_AudioFormat source = StreamFormat(layout, channels, rate);
    if (source == 0) return false;
    deviceFormat = format;
    convert = SDL_NewAudioStream(source, static_cast<Uint8>(channels), rate, deviceFormat,
                                 static_cast<Uint8>(deviceChannels), deviceRate);
    if (convert == nullptr) return false;
    const int frameBytes = channels * static_cast<int>(SDL_AUDIO_BITSIZE(source)) / 8;
    const int deviceFrameBytes = deviceChannels * static_cast<int>(SDL_AUDIO_BITSIZE(format)) / 8;
    const int step = rate / Gcd(rate, deviceRate);  // source frames that give whole output frames
    const int blockFrames =
        step > kMaxStep ? kBlockFrames : step * std::max(1, kBlockFrames / step);
    blockBytes = static_cast<uint32_t>(blockFrames * frameBytes);
    silence = source == AUDIO_U8 ? 0x80 : 0;
    const uint64_t frames = layout.dataSize / static_cast<uint32_t>(frameBytes);
    total = frames * static_cast<uint64_t>(deviceRate) / static_cast<uint64_t>(rate) *
            static_cast<uint64_t>(deviceFrameBytes);
    in.resize(blockBytes);
    out.resize(kOutBytes);
    loop = looping;
    volume = mixVolume;
    return true;
  }

  // Gives the converter its next block; false when there is nothing more or the file fails.
  bool Feed() {
    if (put < layout.dataSize) {
      const uint32_t n = std::min(blockBytes, layout.dataSize - put);
      if (!ReadFileAt(file, layout.dataOffset + put, in.data(), n)) return false;  // it shrank
      put += n;
      return SDL_AudioStreamPut(convert, in.data(), static_cast<int>(n)) == 0;
    }
    if (tailPut) return false;
    tailPut = true;
    std::fill(in.begin(), in.end(), silence);
    return SDL_AudioStreamPut(convert, in.data(), static_cast<int>(in.size())) == 0;
  }

  // Runs on the audio thread, under the mixer's lock.
  void Mix(Uint8* stream, int len) {
    while (len > 0 && !finished) {
      if (given >= total) {
        if (!loop) break;
        SDL_AudioStreamClear(convert);
        put = 0;
        tailPut = false;
        given = 0;
        continue;
      }
      const int available = SDL_AudioStreamAvailable(convert);
      if (available <= 0) {
        if (!Feed()) break;
        continue;
      }
      const int want = static_cast<int>(
          std::min<uint64_t>({static_cast<uint64_t>(len), static_cast<uint64_t>(available),
                              total - given, out.size()}));
      const int got = SDL_AudioStreamGet(convert, out.data(), want);
      if (got <= 0) break;
      SDL_MixAudioFormat(stream, out.data(), deviceFormat, static_cast<Uint32>(got), volume);
      stream += got;
      len -= got;
      given += static_cast<uint64_t>(got);
    }
    if (len > 0) finished = true;
  }

  static constexpr int kBlockFrames = 4096;
  static constexpr int kMaxStep = 16384;
  static constexpr size_t kOutBytes = 16384;
};

namespace {

void SDLCALL MixMusic(void* context, Uint8* stream, int len) {
  static_cast<tagMusicStream*>(context)->Mix(stream, len);
}

}  // namespace

CEngineAudio::CEngineAudio() = default;
CEngineAudio::~CEngineAudio() { Close(); }

void CEngineAudio::SetPlayObserver(PlayObserver observer, void* context) {
  g_playObserver = observer;
  g_playObserverContext = context;
}

bool CEngineAudio::Open(bool headless) {
  if (m_open) return true;
  if (headless) return false;  // no device is wanted: nothing is started, nothing said
  QuietAlsa();
  if (OpenMixer()) return true;
  static bool noted = false;
  if (!noted) {
    std::fprintf(stderr, "torvaly: no audio device (%s); sound effects are silent\n",
                 SDL_GetError());
    noted = true;
  }
  return false;
}

bool CEngineAudio::OpenDummy() {
  if (m_open) return true;
  SDL_SetHintWithPriority(SDL_HINT_AUDIODRIVER, "dummy", SDL_HINT_OVERRIDE);
  const bool open = OpenMixer();
  SDL_ResetHint(SDL_HINT_AUDIODRIVER);
  return open;
}

bool CEngineAudio::OpenMixer() {
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
  if (Mix_OpenAudio(44100, MIX_DEFAULT_FORMAT, 2, 1024) != 0) {
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return false;
  }
  Mix_AllocateChannels(32);
  m_open = true;
  return true;
}

void CEngineAudio::Close() {
  if (m_open) {
    Mix_HaltChannel(-1);
    StopStream();
  }
  for (uint32_t h : m_effects.Handles()) Free(h);
  if (!m_open) return;
  Mix_CloseAudio();
  Mix_Quit();
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
  m_open = false;
}

HEFFECT CEngineAudio::Load(const char* filename, DWORD size) {
  if (filename == nullptr || size > INT_MAX) return 0;
  Effect effect;
  if (size == 0) {
    // The same check with or without a device: a file that is no wave is refused either way.
    // Only the header is read now; the sound waits for the first play.
    effect.path = ResolvePath(filename);
    tagWaveLayout layout;
    SDL_RWops* stream = OpenWaveStream(effect.path, &layout);
    if (stream == nullptr) return 0;
    SDL_RWclose(stream);
    int channels = 0, rate = 0;
    effect.stream = layout.dataSize >= m_streamBytes && StreamFormat(layout, channels, rate) != 0;
  } else {
    // Bytes in memory are the caller's only for this call: decoded now, or only checked.
    std::vector<uint8_t> wave;
    if (!MakeBoundedWave(reinterpret_cast<const uint8_t*>(filename), size, wave)) return 0;
    if (m_open) {
      SDL_RWops* rw = SDL_RWFromConstMem(wave.data(), static_cast<int>(wave.size()));
      effect.chunk = rw != nullptr ? Trimmed(Mix_LoadWAV_RW(rw, 1)) : nullptr;
      if (effect.chunk == nullptr) return 0;
      effect.decoded = effect.chunk->alen;
      m_decodedBytes += effect.decoded;
    }
  }
  const HEFFECT h = m_effects.Add(effect);
  if (h == 0) ReleaseChunk(effect);
  return h;
}

bool CEngineAudio::Decode(Effect& effect) {
  if (effect.chunk != nullptr) return true;
  if (effect.path.empty()) return false;
  SDL_RWops* stream = OpenWaveStream(effect.path);
  if (stream == nullptr) return false;
  effect.chunk = Trimmed(Mix_LoadWAV_RW(stream, 1));
  if (effect.chunk == nullptr) return false;
  effect.decoded = effect.chunk->alen;
  m_decodedBytes += effect.decoded;
  return true;
}

void CEngineAudio::ReleaseChunk(Effect& effect) {
  if (effect.chunk == nullptr) return;
  const int channels = Mix_AllocateChannels(-1);
  for (int ch = 0; ch < channels; ++ch) {
    if (Mix_GetChunk(ch) == effect.chunk) Mix_HaltChannel(ch);
  }
  m_decodedBytes -= std::min(m_decodedBytes, effect.decoded);
  Mix_FreeChunk(effect.chunk);
  effect.chunk = nullptr;
  effect.decoded = 0;
}

// Lets go of the decoded effects played longest ago, never one that is playing (nor `playing`,
// about to play) and never one from memory, which could not be decoded again.
void CEngineAudio::KeepWithinBudget(const Effect& playing) {
  if (m_decodedBytes <= kDecodedBudget) return;
  const int channels = Mix_AllocateChannels(-1);
  std::vector<Mix_Chunk*> sounding;
  for (int ch = 0; ch < channels; ++ch) {
    if (Mix_Playing(ch) != 0) sounding.push_back(Mix_GetChunk(ch));
  }
  while (m_decodedBytes > kDecodedBudget) {
    Effect* oldest = nullptr;
    for (uint32_t h : m_effects.Handles()) {
      Effect* e = m_effects.Get(h);
      if (e == &playing || e->chunk == nullptr || e->path.empty() ||
          std::find(sounding.begin(), sounding.end(), e->chunk) != sounding.end())
        continue;
      if (oldest == nullptr || e->lastPlay < oldest->lastPlay) oldest = e;
    }
    if (oldest == nullptr) return;
    ReleaseChunk(*oldest);
  }
}

bool CEngineAudio::IsStreamed(HEFFECT handle) {
  const Effect* e = m_effects.Get(handle);
  return e != nullptr && e->stream;
}

void CEngineAudio::Free(HEFFECT handle) {
  Effect* e = m_effects.Get(handle);
  if (e == nullptr) return;
  if (handle == m_musicEffect) StopStream();
  ReleaseChunk(*e);
  m_effects.Remove(handle);
}

HCHANNEL CEngineAudio::Play(HEFFECT handle, int volume, int pan, bool loop) {
  Effect* e = m_effects.Get(handle);
  if (e != nullptr && g_playObserver != nullptr) g_playObserver(g_playObserverContext, handle);
  if (e == nullptr || !m_open) return 0;
  volume = std::clamp(volume, 0, 100);
  if (e->stream) return PlayStream(handle, *e, volume, loop);
  if (!Decode(*e)) return 0;
  e->lastPlay = ++m_plays;
  const int ch = Mix_PlayChannel(-1, e->chunk, loop ? -1 : 0);
  KeepWithinBudget(*e);
  if (ch < 0) return 0;
  pan = std::clamp(pan, -100, 100);
  Mix_Volume(ch, volume * MIX_MAX_VOLUME / 100);
  const Uint8 left = static_cast<Uint8>(pan > 0 ? 255 * (100 - pan) / 100 : 255);
  const Uint8 right = static_cast<Uint8>(pan < 0 ? 255 * (100 + pan) / 100 : 255);
  Mix_SetPanning(ch, left, right);
  return static_cast<HCHANNEL>(ch + 1);
}

HCHANNEL CEngineAudio::PlayStream(HEFFECT handle, const Effect& effect, int volume, bool loop) {
  StopStream();
  auto music = std::make_unique<tagMusicStream>();
  if (!music->Open(effect.path, loop, volume * MIX_MAX_VOLUME / 100)) return 0;
  m_music = std::move(music);
  m_musicEffect = handle;
  Mix_HookMusic(&MixMusic, m_music.get());
  return kStreamChannel;
}

void CEngineAudio::StopStream() {
  if (!m_music) return;
  Mix_HookMusic(nullptr, nullptr);  // under the mixer's lock: the hook is not running after it
  m_music.reset();
  m_musicEffect = 0;
}

void CEngineAudio::Stop(HCHANNEL channel) {
  if (!m_open || channel == 0) return;
  if (channel == kStreamChannel) {
    StopStream();
    return;
  }
  if (channel <= static_cast<HCHANNEL>(INT_MAX)) Mix_HaltChannel(static_cast<int>(channel) - 1);
}

void CEngineAudio::StopAll() {
  if (!m_open) return;
  Mix_HaltChannel(-1);
  StopStream();
}

bool CEngineAudio::IsPlaying(HCHANNEL channel) const {
  if (!m_open || channel == 0) return false;
  if (channel == kStreamChannel) return m_music != nullptr && !m_music->finished;
  return channel <= static_cast<HCHANNEL>(INT_MAX) &&
         Mix_Playing(static_cast<int>(channel) - 1) != 0;
}
