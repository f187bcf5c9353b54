// torvaly-script: runs scenario scripts against the headless client and prints, for each
// script, its result and every failed check. Exit status 0 when every script passed.
//
//   torvaly-script [--data DIR] FILE...
//
// The scripts write the "GameOption" section of the profile: the runner keeps a profile of its
// own in a fresh temporary folder, never the user's.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "tools/scenario/ScenarioRunner.h"

int main(int argc, char** argv) {
  std::string data;
  std::vector<std::string> files;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--data") == 0 && i + 1 < argc) {
      data = argv[++i];
    } else if (std::strcmp(argv[i], "--help") == 0) {
      std::printf("usage: torvaly-script [--data DIR] FILE...\n");
      return 0;
    } else {
      files.emplace_back(argv[i]);
    }
  }
  if (files.empty()) {
    std::fprintf(stderr, "usage: torvaly-script [--data DIR] FILE...\n");
    return 2;
  }
  return scenario::RunScriptFiles(files, data);
}
