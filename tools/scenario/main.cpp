// torvaly-script: runs scenario scripts against the headless client and prints, for each
// script, its result and every failed check. Exit status 0 when every script passed.
//
//   torvaly-script [--data DIR] FILE...
//
// The scripts write the "GameOption" section of the profile: the runner keeps a profile of its
// own in a fresh temporary folder, never the user's.
#include <cstdio>
#include <cstdlib>
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
  char folder[] = "/tmp/torvaly-script-XXXXXX";
  if (mkdtemp(folder) == nullptr) {
    std::perror("torvaly-script: no temporary folder");
    return 1;
  }
  setenv("XDG_CONFIG_HOME", folder, 1);

  scenario::CScenarioRunner runner(data);
  int failed = 0;
  for (const std::string& file : files) {
    const scenario::tagScenarioResult result = runner.RunFile(file);
    std::printf("%s %s: %zu commands, %zu checks\n", result.Passed() ? "PASS" : "FAIL",
                file.c_str(), result.commands, result.checks);
    for (const std::string& failure : result.failures) std::printf("  %s\n", failure.c_str());
    if (!result.Passed()) ++failed;
  }
  const std::string profile = std::string(folder) + "/torvaly/profile.ini";
  std::remove(profile.c_str());
  std::remove((std::string(folder) + "/torvaly").c_str());
  std::remove(folder);
  return failed == 0 ? 0 : 1;
}
