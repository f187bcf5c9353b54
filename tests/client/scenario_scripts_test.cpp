// Every scenario script of tests/client/scripts passes, and a failed check names its line.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "headless/HeadlessClient.h"
#include "headless/ScenarioScript.h"

namespace {

// Every client test process keeps its profile in a folder of its own: ctest runs the tests in
// parallel, each in its own process, and in one shared folder a script could read another's
// options (a background track then played where none was expected).
class ProfileFolder final : public testing::Environment {
  void SetUp() override {
    m_profile = std::make_unique<headless::CTemporaryProfile>();
    ASSERT_TRUE(m_profile->Ok());
  }
  void TearDown() override { m_profile.reset(); }
  std::unique_ptr<headless::CTemporaryProfile> m_profile;
};
[[maybe_unused]] testing::Environment* const kProfileFolder =
    testing::AddGlobalTestEnvironment(new ProfileFolder);

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
  headless::CScenarioRunner runner;
  const headless::tagScenarioResult result =
      runner.RunFile(std::string(TORVALY_SCRIPT_DIR) + "/" + GetParam());
  EXPECT_GT(result.checks, 0u);
  for (const std::string& failure : result.failures) ADD_FAILURE() << failure;
}

INSTANTIATE_TEST_SUITE_P(Client, ScenarioScript, testing::ValuesIn(Scripts()),
                         [](const testing::TestParamInfo<std::string>& info) {
                           return info.param.substr(0, info.param.find('.'));
                         });

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
