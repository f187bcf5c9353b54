// Sound bytes to an effect through the engine's public interface, headless with a mixer on
// SDL's dummy audio driver: any bytes give an effect that plays, stops and frees, or no effect
// (0), never a crash, a leak or an allocation beyond what the bytes can fill. Without a mixer
// (no sound card) the same bytes load exactly when they are a wave the engine accepts
// (MakeBoundedWave), so a silent run refuses everything a sounding one refuses before decoding.
//
// The input's first byte chooses (fuzz_util.h): the file's bytes as they stand, or a format
// chunk and sound data of any bytes framed as a well-made wave, so that most inputs reach the
// mixer's decoders (whose code the fuzzer does not see) rather than stop at the header check.
#include <vector>

#include "fuzz_util.h"
#include "platform/engine/EngineAudio.h"
#include "platform/engine/WaveFile.h"
#include "platform/engine/hge.h"
#include "tests/support/headless_engine.h"

namespace {

HGE* Engine() {
  static testsupport::HeadlessEngine engine(16, 16, true);
  FUZZ_CHECK(engine.Ok(), "the headless engine did not start");
  return engine.Get();
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
  HGE* hge = Engine();
  const char* bytes = reinterpret_cast<const char*>(file.data());
  const HEFFECT effect = hge->Effect_Load(bytes, static_cast<DWORD>(file.size()));
  static CEngineAudio silent;
  const HEFFECT quiet = silent.Load(bytes, static_cast<DWORD>(file.size()));
  std::vector<uint8_t> wave;
  FUZZ_CHECK((quiet != 0) == MakeBoundedWave(file.data(), file.size(), wave),
             "without a mixer the wave check answers otherwise");
  FUZZ_CHECK(effect == 0 || quiet != 0, "a sounding run accepts what a silent one refuses");
  silent.Free(quiet);
  if (effect == 0) return 0;
  const HCHANNEL channel = hge->Effect_PlayEx(effect, 60, -40, 1.0f, false);
  if (channel != 0) {
    hge->Channel_IsPlaying(channel);
    hge->Channel_Stop(channel);
    FUZZ_CHECK(!hge->Channel_IsPlaying(channel), "a stopped channel plays on");
  }
  hge->Effect_Free(effect);
  return 0;
}
