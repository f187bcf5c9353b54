// Scenario scripts: a small line-based text that drives the headless client (CClientHarness)
// with server messages and scenes given by name and field, time steps, clicks on named
// buttons, card raises and option changes, and checks what the client sent and what it shows.
// The format is described in docs/scenario.md.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

class CGameClientApp;

namespace scenario {

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

// The application profile in a fresh temporary folder for as long as it lives
// (XDG_CONFIG_HOME points there), so that scripts and self-play never touch the user's own
// options. Ok() is false when no folder could be made.
class CTemporaryProfile {
 public:
  CTemporaryProfile();
  ~CTemporaryProfile();
  CTemporaryProfile(const CTemporaryProfile&) = delete;
  CTemporaryProfile& operator=(const CTemporaryProfile&) = delete;
  bool Ok() const { return !m_folder.empty(); }

 private:
  std::string m_folder;
  std::string m_previous;
  bool m_hadPrevious = false;
};

// Runs script files with a temporary profile and prints, for each, PASS or FAIL with its counts
// and every failed check. Returns the exit status: 0 when every script passed, 1 otherwise.
int RunScriptFiles(const std::vector<std::string>& files, const std::string& dataFolder,
                   CGameClientApp* app = nullptr);

}  // namespace scenario
