// Every client test process keeps its profile in a folder of its own. ctest runs the tests in
// parallel, each in its own process, and the scripts write and read the profile's
// "GameOption" section: in one shared folder a script could read another's "GameMusic" (a
// background track then played where none was expected).
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

class ProfileFolder final : public ::testing::Environment {
 public:
  void SetUp() override {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "torvaly-client-test-XXXXXX").string();
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    ASSERT_NE(mkdtemp(buffer.data()), nullptr);
    m_folder = buffer.data();
    setenv("XDG_CONFIG_HOME", m_folder.c_str(), 1);
  }
  void TearDown() override {
    std::error_code ignored;
    if (!m_folder.empty()) std::filesystem::remove_all(m_folder, ignored);
  }

 private:
  std::string m_folder;
};

[[maybe_unused]] ::testing::Environment* const kProfileFolder =
    ::testing::AddGlobalTestEnvironment(new ProfileFolder);

}  // namespace
