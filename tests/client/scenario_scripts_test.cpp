// Every scenario script of tests/client/scripts passes.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "tools/scenario/ScenarioRunner.h"

namespace {

std::vector<std::string> Scripts() {
  std::vector<std::string> files;
  for (const auto& entry : std::filesystem::directory_iterator(TORVALY_SCRIPT_DIR)) {
    if (entry.path().extension() == ".tvs") files.push_back(entry.path().filename().string());
  }
  std::sort(files.begin(), files.end());
  return files;
}

class ScenarioScript : public testing::TestWithParam<std::string> {};

TEST_P(ScenarioScript, Passes) {
  scenario::CScenarioRunner runner;
  const scenario::tagScenarioResult result =
      runner.RunFile(std::string(TORVALY_SCRIPT_DIR) + "/" + GetParam());
  EXPECT_GT(result.checks, 0u);
  for (const std::string& failure : result.failures) ADD_FAILURE() << failure;
}

INSTANTIATE_TEST_SUITE_P(Client, ScenarioScript, testing::ValuesIn(Scripts()),
                         [](const testing::TestParamInfo<std::string>& info) {
                           std::string name = info.param.substr(0, info.param.find('.'));
                           std::replace(name.begin(), name.end(), '-', '_');
                           return name;
                         });

TEST(ScenarioRunner, ReportsFailedChecksWithTheirLine) {
  scenario::CScenarioRunner runner;
  const scenario::tagScenarioResult result = runner.RunText(
      "start\nself chair=1\nmsg begin banker=0 current=0 hand=3d counts=5,1,5\n"
      "expect multiple 2\nexpect hand 4d\nbogus\nexpect deck 38\n",
      "t.tvs");
  ASSERT_EQ(result.failures.size(), 3u);
  EXPECT_EQ(result.failures[0], "t.tvs:4: the multiple: expected 2, got 1 (view 1)");
  EXPECT_EQ(result.failures[1], "t.tvs:5: the hand: expected 0x04, got 0x03");
  EXPECT_EQ(result.failures[2], "t.tvs:6: unknown command 'bogus'");
}

}  // namespace
