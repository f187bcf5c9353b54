// Scenario scripts: a small line-based text that drives the headless client on its loopback
// link with server messages and scenes given by name and field, time steps, clicks on named
// buttons, card raises and option changes, and checks what the client sent and what it shows.
// Every script runs with a profile of its own in a fresh temporary folder, never the user's. The
// format is described in docs/scenario.md.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

class CGameClientApp;

namespace headless {

struct tagScenarioResult {
  size_t commands = 0;
  size_t checks = 0;
  std::vector<std::string> failures;  // "file:line: what went wrong"
  bool Passed() const { return failures.empty(); }
};

class CScenarioRunner {
 public:
  // dataFolder: the folder holding Torvaly/ ("" for the usual lookup). app: the application
  // the scripts run on (a program's own); null: each script makes its own.
  explicit CScenarioRunner(std::string dataFolder = {}, CGameClientApp* app = nullptr);

  tagScenarioResult RunFile(const std::string& path);
  // name is used in the failure messages.
  tagScenarioResult RunText(const std::string& text, const std::string& name);

 private:
  std::string m_dataFolder;
  CGameClientApp* m_app;
};

// Runs script files and prints, for each, PASS or FAIL with its counts
// and every failed check. Returns the exit status: 0 when every script passed, 1 otherwise.
int RunScriptFiles(const std::vector<std::string>& files, const std::string& dataFolder,
                   CGameClientApp* app = nullptr);

}  // namespace headless
