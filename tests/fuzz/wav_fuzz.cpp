// Sound bytes to an effect, with a mixer on SDL's dummy audio driver: any bytes give an effect
// that plays, stops and frees, or no effect (0), never a crash, a leak or an allocation beyond
// what the bytes can fill. Without a mixer (no sound card) the same bytes load exactly when they
// are a wave the engine accepts (MakeBoundedWave), so a silent run refuses everything a sounding
// one refuses before decoding. The same bytes in a file load exactly then too; played, the file
// decodes into the same sound as the bytes in memory (the mixer reads the checked wave from the
// file), and streamed from the file through the mixer's music channel it plays and stops.
//
// The input's first byte chooses (fuzz_util.h): the file's bytes as they stand, or a format
// chunk and sound data of any bytes framed as a well-made wave, so that most inputs reach the
// mixer's decoders (whose code the fuzzer does not see) rather than stop at the header check.
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "fuzz_util.h"
#include "platform/engine/EngineAudio.h"
#include "platform/engine/WaveFile.h"

namespace {

CEngineAudio& Mixer() {
  static CEngineAudio audio;
  static const bool open = audio.OpenDummy();
  FUZZ_CHECK(open, "no mixer on the dummy driver");
  return audio;
}

const std::string& FilePath() {
  static const std::string path = "/tmp/torvaly_wav_fuzz_" + std::to_string(getpid()) + ".wav";
  return path;
}

bool WriteFile(const std::vector<uint8_t>& bytes) {
  FILE* f = std::fopen(FilePath().c_str(), "wb");
  if (f == nullptr) return false;
  const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && ok;
}

void PlayAndStop(CEngineAudio& audio, HEFFECT effect) {
  const HCHANNEL channel = audio.Play(effect, 60, -40, false);
  if (channel == 0) return;
  audio.IsPlaying(channel);
  audio.Stop(channel);
  FUZZ_CHECK(!audio.IsPlaying(channel), "a stopped channel plays on");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  std::vector<uint8_t> file;
  if (data[0] & fuzz::kWaveFramed) {
    const size_t formatSize = data[1] % fuzz::kWaveFormatSizes;
    if (size < 2 + formatSize) return 0;
    file = fuzz::FramedWave(data + 2, formatSize, data + 2 + formatSize, size - 2 - formatSize);
  } else {
    file.assign(data + 1, data + size);
  }
  // A size of 0 would make the engine read the bytes as a file name.
  if (file.empty()) return 0;
  CEngineAudio& mixer = Mixer();
  const char* bytes = reinterpret_cast<const char*>(file.data());
  const size_t before = mixer.DecodedBytes();
  const HEFFECT effect = mixer.Load(bytes, static_cast<DWORD>(file.size()));
  const size_t decoded = mixer.DecodedBytes() - before;
  static CEngineAudio silent;
  const HEFFECT quiet = silent.Load(bytes, static_cast<DWORD>(file.size()));
  std::vector<uint8_t> wave;
  FUZZ_CHECK((quiet != 0) == MakeBoundedWave(file.data(), file.size(), wave),
             "without a mixer the wave check answers otherwise");
  FUZZ_CHECK(effect == 0 || quiet != 0, "a sounding run accepts what a silent one refuses");
  silent.Free(quiet);
  PlayAndStop(mixer, effect);
  mixer.Free(effect);
  if (quiet == 0 || !WriteFile(file)) return 0;

  // The file: checked at load, decoded at the first play into what the bytes decoded to.
  mixer.SetStreamBytes(CEngineAudio::kStreamBytes);
  const HEFFECT fromFile = mixer.Load(FilePath().c_str(), 0);
  FUZZ_CHECK(fromFile != 0, "a file refused whose bytes were accepted");
  FUZZ_CHECK(mixer.DecodedBytes() == before, "a file decoded before it was played");
  PlayAndStop(mixer, fromFile);
  FUZZ_CHECK(mixer.DecodedBytes() - before == decoded,
             "the file decoded otherwise than its bytes in memory");
  mixer.Free(fromFile);
  FUZZ_CHECK(mixer.DecodedBytes() == before, "a freed effect kept its sound");

  // Streamed from the file when it is plain PCM or float, else decoded whole as before.
  mixer.SetStreamBytes(0);
  const HEFFECT streamed = mixer.Load(FilePath().c_str(), 0);
  FUZZ_CHECK(streamed != 0, "a file refused whose bytes were accepted");
  PlayAndStop(mixer, streamed);
  FUZZ_CHECK(mixer.DecodedBytes() - before == (mixer.IsStreamed(streamed) ? 0 : decoded),
             "a streamed wave was decoded whole");
  mixer.Free(streamed);
  std::remove(FilePath().c_str());
  return 0;
}
