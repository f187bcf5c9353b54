// Sound files reach the mixer only as waves whose sizes and rate were checked: a format chunk
// that announces more than the file holds, a rate that would multiply the data on resampling, or
// a file of another format is refused like a missing file, before the mixer allocates anything;
// a data chunk cut short plays the samples the file holds.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/engine/WaveFile.h"
#include "tests/platform/platform_test_util.h"

namespace {

using Bytes = std::vector<uint8_t>;

void Put16(Bytes& b, uint16_t v) { b.insert(b.end(), {uint8_t(v), uint8_t(v >> 8)}); }
void Put32(Bytes& b, uint32_t v) {
  for (int i = 0; i < 4; ++i) b.push_back(uint8_t(v >> (8 * i)));
}
void Chunk(Bytes& b, const char* id, const Bytes& body, uint32_t announced) {
  b.insert(b.end(), id, id + 4);
  Put32(b, announced);
  b.insert(b.end(), body.begin(), body.end());
}
Bytes Format(uint16_t channels, uint32_t rate) {
  Bytes f;
  Put16(f, 1), Put16(f, channels), Put32(f, rate), Put32(f, rate * channels * 2);
  Put16(f, static_cast<uint16_t>(channels * 2)), Put16(f, 16);
  return f;
}

struct tagWave {
  uint16_t channels = 1;
  uint32_t rate = 22050;
  Bytes samples = Bytes(400, 0);
  uint32_t dataAnnounced = 0;    // 0: the samples' size
  uint32_t formatAnnounced = 0;  // 0: the format's size
  bool listFirst = false;        // an odd-sized LIST chunk before the format
  bool dataBeforeFormat = false;
};
Bytes Wave(const tagWave& w) {
  Bytes body = {'W', 'A', 'V', 'E'};
  if (w.listFirst) Chunk(body, "LIST", {'a', 'b', 'c', 0}, 3);  // 3 bytes and a pad byte
  const Bytes format = Format(w.channels, w.rate);
  const uint32_t dataSize = w.dataAnnounced ? w.dataAnnounced : uint32_t(w.samples.size());
  const uint32_t formatSize = w.formatAnnounced ? w.formatAnnounced : uint32_t(format.size());
  if (w.dataBeforeFormat) Chunk(body, "data", w.samples, dataSize);
  Chunk(body, "fmt ", format, formatSize);
  if (!w.dataBeforeFormat) Chunk(body, "data", w.samples, dataSize);
  Bytes file = {'R', 'I', 'F', 'F'};
  Put32(file, uint32_t(body.size()));
  file.insert(file.end(), body.begin(), body.end());
  return file;
}

TEST(WaveFile, OnlyWavesTheMixerCanBeTrustedWith) {
  const Bytes midi = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0, 96};
  struct Case {
    const char* name;
    Bytes file;
    bool accepted;
  } cases[] = {
      {"a plain wave", Wave({}), true},
      {"stereo at 48 kHz", Wave({.channels = 2, .rate = 48000}), true},
      {"a padded chunk before the format", Wave({.listFirst = true}), true},
      {"data announcing 2 GB (cut to what is there)", Wave({.dataAnnounced = 0x7FFFFFF0}), true},
      {"a format chunk announcing 2 GB", Wave({.formatAnnounced = 0x7FFFFFF0}), false},
      {"a rate below 8 kHz", Wave({.rate = 7999}), false},
      {"a rate above 192 kHz", Wave({.rate = 192001}), false},
      {"no channels", Wave({.channels = 0}), false},
      {"nine channels", Wave({.channels = 9, .samples = Bytes(18 * 20, 0)}), false},
      {"data before the format", Wave({.dataBeforeFormat = true}), false},
      {"a MIDI file", midi, false},
      {"a RIFF of another kind", Bytes{'R', 'I', 'F', 'F', 4, 0, 0, 0, 'A', 'V', 'I', ' '}, false},
      {"nothing", Bytes{}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Bytes made = {1, 2, 3};
    EXPECT_EQ(MakeBoundedWave(c.file.data(), c.file.size(), made), c.accepted);
    if (!c.accepted) {
      EXPECT_TRUE(made.empty());
      continue;
    }
    // The made wave: the format and the data alone, sizes exact.
    ASSERT_GE(made.size(), 44u);
    EXPECT_EQ(std::memcmp(made.data(), "RIFF", 4), 0);
    EXPECT_EQ(made[4] | made[5] << 8 | made[6] << 16 | made[7] << 24, int(made.size() - 8));
    EXPECT_EQ(std::memcmp(made.data() + 8, "WAVEfmt ", 8), 0);
    EXPECT_EQ(std::memcmp(made.data() + 36, "data", 4), 0);
    EXPECT_EQ(made.size(), 44u + 400u);
  }
}

// Without a mixer (no sound card) effects are silent, but the files are checked all the same: a
// run without sound refuses what a run with sound refuses.
TEST(WaveFile, ASilentEngineRefusesTheSameFiles) {
  platform_test::HeadlessEngine hge(16, 16, false);
  ASSERT_TRUE(hge.Ok());
  ASSERT_FALSE(hge->System_GetStateBool(HGE_USESOUND));
  Bytes mp3 = Wave({});
  mp3[20] = 0x55;  // the format chunk's encoding: MPEG layer 3, which the mixer does not decode
  const std::string junk = "no sound at all, just text";
  const Bytes ok = Wave({});
  EXPECT_NE(hge->Effect_Load(reinterpret_cast<const char*>(ok.data()), DWORD(ok.size())), 0u);
  EXPECT_EQ(hge->Effect_Load(junk.data(), DWORD(junk.size())), 0u);
  EXPECT_EQ(hge->Effect_Load(reinterpret_cast<const char*>(mp3.data()), DWORD(mp3.size())), 0u);
  platform_test::TempDir dir;
  platform_test::WriteText(dir.File("junk.wav"), junk);
  EXPECT_EQ(hge->Effect_Load(dir.File("junk.wav").c_str()), 0u);
}

}  // namespace
