// Every scenario script of tests/client/scripts passes, and a failed check names its line.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "headless/ScenarioScript.h"

namespace {

std::vector<std::string> Scripts() {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(TORVALY_SCRIPT_DIR)) {
    if (entry.path().extension() == ".tvs") names.push_back(entry.path().stem().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

class ScenarioScript : public testing::TestWithParam<std::string> {};

TEST_P(ScenarioScript, Passes) {
  const headless::tagScenarioResult result = headless::CScenarioRunner().RunFile(
      std::string(TORVALY_SCRIPT_DIR) + "/" + GetParam() + ".tvs");
  EXPECT_GT(result.checks, 0u);
  for (const std::string& failure : result.failures) ADD_FAILURE() << failure;
}

INSTANTIATE_TEST_SUITE_P(Client, ScenarioScript, testing::ValuesIn(Scripts()),
                         [](const auto& info) { return info.param; });

TEST(ScenarioRunner, ReportsFailedChecksWithTheirLine) {
  headless::CScenarioRunner runner;
  const headless::tagScenarioResult result = runner.RunText(
      "start\ntable\nmsg begin banker=0 current=0 hand=3d counts=5,1,5\n"
      "expect multiple 2\nexpect hand 4d\nbogus\nexpect deck 38 x=1\n",
      "t.tvs");
  ASSERT_EQ(result.failures.size(), 4u);
  EXPECT_EQ(result.failures[0], "t.tvs:4: the multiple: expected 2, got 1 (view 1)");
  EXPECT_EQ(result.failures[1], "t.tvs:5: the hand: expected 0x04, got 0x03");
  EXPECT_EQ(result.failures[2], "t.tvs:6: unknown command 'bogus'");
  EXPECT_EQ(result.failures[3], "t.tvs:7: unknown field 'x'");
}

}  // namespace
