// Sound bytes to an effect through the engine's public interface, headless with a mixer on
// SDL's dummy audio driver: any bytes give an effect that plays, stops and frees, or no effect
// (0), never a crash, a leak or an allocation beyond what the bytes can fill.
#include "fuzz_util.h"
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
  // A size of 0 would make the engine read the bytes as a file name.
  if (size == 0) return 0;
  HGE* hge = Engine();
  const HEFFECT effect =
      hge->Effect_Load(reinterpret_cast<const char*>(data), static_cast<DWORD>(size));
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
