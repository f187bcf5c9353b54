// Scenario scripts: a small line-based text that drives the headless client (CClientHarness)
// with server messages and scenes given by name and field, time steps, clicks on named
// buttons, card raises and option changes, and checks what the client sent and what it shows.
// The format is described in docs/scenario.md.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace scenario {

struct tagScenarioResult {
  size_t commands = 0;
  size_t checks = 0;
  std::vector<std::string> failures;  // "file:line: what went wrong"
  bool Passed() const { return failures.empty(); }
};

class CScenarioRunner {
 public:
  // dataFolder: the folder holding Torvaly/ ("" for the usual lookup).
  explicit CScenarioRunner(std::string dataFolder = {});

  tagScenarioResult RunFile(const std::string& path);
  // name is used in the failure messages.
  tagScenarioResult RunText(const std::string& text, const std::string& name);

 private:
  std::string m_dataFolder;
};

}  // namespace scenario
