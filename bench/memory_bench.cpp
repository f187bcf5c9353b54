// Resident memory of the real client over whole games: the client (its dialog, its table view
// with every resource, its sounds) plays against the two bots of the embedded table, headless in
// virtual time, a few frames drawn at the end of each game (the end panel), and the process's
// resident memory (VmRSS) and its peak (VmHWM) are printed after the first game and after the
// last, with the difference. A client that keeps something per game grows between the two.
// Prints figures; asserts nothing about them (a failed start or a stuck game exits 1).
//
//   build/release/bench/memory_bench [--games N] [--seed S]
//
// Headless the engine never starts SDL's audio, so no sound is decoded; the window's figures
// (with a device) are measured by hand as docs/memory.md says.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "app/EmbeddedLink.h"
#include "headless/HeadlessClient.h"
#include "headless/SelfPlay.h"

namespace {

struct tagResident {
  long rssKb = -1;
  long peakKb = -1;
};

tagResident Resident() {
  tagResident r;
  FILE* f = std::fopen("/proc/self/status", "r");
  if (f == nullptr) return r;
  char line[256];
  while (std::fgets(line, sizeof(line), f) != nullptr) {
    if (std::strncmp(line, "VmRSS:", 6) == 0) r.rssKb = std::atol(line + 6);
    if (std::strncmp(line, "VmHWM:", 6) == 0) r.peakKb = std::atol(line + 6);
  }
  std::fclose(f);
  return r;
}

void Print(const char* when, const tagResident& r) {
  std::printf("%-22s VmRSS %7.1f MiB   VmHWM %7.1f MiB\n", when, r.rssKb / 1024.0,
              r.peakKb / 1024.0);
}

constexpr uint64_t kVirtualMsPerGame = 3'600'000;
constexpr int kEndFrames = 3;

}  // namespace

int main(int argc, char** argv) {
  uint32_t games = 20;
  uint64_t seed = 5;
  for (int i = 1; i + 1 < argc; i += 2) {
    if (std::strcmp(argv[i], "--games") == 0) games = static_cast<uint32_t>(std::atoi(argv[i + 1]));
    if (std::strcmp(argv[i], "--seed") == 0) seed = std::strtoull(argv[i + 1], nullptr, 10);
  }
  if (games < 1) games = 1;
  headless::CTemporaryProfile profile;
  tagAppOptions options;
  options.name = "bench";
  options.seed = seed;
  options.seedGiven = true;
  std::unique_ptr<CInProcessLink> link = MakeEmbeddedLink(options);
  headless::CHeadlessClient client;
  if (!profile.Ok() || !link || !client.Start()) {
    std::fprintf(stderr, "memory_bench: the client did not start\n");
    return 1;
  }
  Print("started", Resident());
  tagResident first;
  {
    headless::CSelfPlay play(client, std::move(link), seed);
    play.SetCheck(false);
    for (uint32_t game = 1; game <= games; ++game) {
      play.Play(game, kVirtualMsPerGame);
      if (play.Tally().games < game || play.Tally().failed) {
        std::fprintf(stderr, "memory_bench: game %u did not end\n", game);
        return 1;
      }
      for (int frame = 0; frame < kEndFrames; ++frame) client.Frame();
      if (game == 1) {
        first = Resident();
        Print("after game 1", first);
      }
    }
  }
  const tagResident last = Resident();
  char label[32];
  std::snprintf(label, sizeof(label), "after game %u", games);
  Print(label, last);
  std::printf("difference             VmRSS %+7.1f MiB   VmHWM %+7.1f MiB\n",
              (last.rssKb - first.rssKb) / 1024.0, (last.peakKb - first.peakKb) / 1024.0);
  client.Stop();
  return 0;
}
