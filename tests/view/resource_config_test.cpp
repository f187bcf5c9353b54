// The resource-folder reader: coordinates read as integers with their failures as 0, file
// names cut to a Windows path, section and key names without regard to case, and the font
// path resolved against the folder.
#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "config/ResourceConfig.h"
#include "platform/win/ResourceFolder.h"
#include "tests/platform/platform_test_util.h"

namespace {

using platform_test::TempDir;
using platform_test::WriteText;

class ResourceConfigTest : public ::testing::Test {
 protected:
  void SetUp() override { SetResourceFolder(dir.Path()); }
  void TearDown() override { SetResourceFolder(""); }
  TempDir dir;
  ResourceConfig config;
};

struct CoordinateCase {
  const char* name;
  const char* line;  // written under [GAME_COORDINATE]
  const char* key;
  int value;
};

TEST_F(ResourceConfigTest, CoordinatesReadAsIntegersAndFailuresAsZero) {
  const CoordinateCase cases[] = {
      {"plain", "BgX=640", "BgX", 640},
      {"negative", "BgY=-200", "BgY", -200},
      {"blanks around", "MeReadyX =  42  ", "MeReadyX", 42},
      {"key in another case", "mereadyy=17", "MeReadyY", 17},
      {"text after the number", "TitleX=12px", "TitleX", 12},
      {"not a number", "TitleY=abc", "TitleY", 0},
      {"empty", "EndGold1X=", "EndGold1X", 0},
      {"missing key", "Other=5", "EndGold1Y", 0},
      {"largest int", "A=2147483647", "A", INT_MAX},
      {"smallest int", "A=-2147483648", "A", INT_MIN},
      {"just past int", "A=2147483648", "A", 0},
      {"far past long", "A=999999999999999999999999", "A", 0},
      {"quoted", "A=\"15\"", "A", 15},
  };
  for (const CoordinateCase& c : cases) {
    SCOPED_TRACE(c.name);
    WriteText(dir.File("Torvaly/qzt.ini"), std::string("[game_coordinate]\n") + c.line + "\n");
    EXPECT_EQ(config.GetCoordinate(c.key), c.value);
  }
  EXPECT_EQ(config.GetCoordinate(nullptr), 0);
  WriteText(dir.File("Torvaly/qzt.ini"), "[Other]\nBgX=640\n");
  EXPECT_EQ(config.GetCoordinate("BgX"), 0) << "another section";
}

TEST(ResourceConfigFiles, MissingFilesGiveZeroAndEmptyNames) {
  TempDir dir;
  SetResourceFolder(dir.Path());
  ResourceConfig config;
  EXPECT_EQ(config.GetCoordinate("BgX"), 0);
  EXPECT_EQ(config.GetResourcePath("m_pPokerMiddle"), "");
  SetResourceFolder("");
}

TEST_F(ResourceConfigTest, ResourcePathsAreReadUnchangedAndCutToAWindowsPath) {
  const std::string longName(300, 'a');
  WriteText(dir.File("Torvaly/ResourcePath.ini"),
            "[RESOURCE]\nm_pPokerMiddle=Torvaly\\cards\\poker.png\nm_pLong=" + longName +
                "\nm_pEmpty=\n");
  EXPECT_EQ(config.GetResourcePath("m_pPokerMiddle"), "Torvaly\\cards\\poker.png");
  EXPECT_EQ(config.GetResourcePath("M_PPOKERMIDDLE"), "Torvaly\\cards\\poker.png");
  EXPECT_EQ(config.GetResourcePath("m_pLong"), longName.substr(0, ResourceConfig::kMaxValueLength));
  EXPECT_EQ(config.GetResourcePath("m_pEmpty"), "");
  EXPECT_EQ(config.GetResourcePath("m_pMissing"), "");
}

TEST_F(ResourceConfigTest, FilesLieBesideTheFrameLibraryAndTheFontIsFound) {
  EXPECT_EQ(ResourceConfig::GetBaseFolder(), dir.Path() + "/");
  EXPECT_EQ(config.GetFontPath(), dir.Path() + "/Torvaly/fzzy.TTF") << "as written when missing";
  WriteText(dir.File("Torvaly/FZZY.ttf"), "font");
  EXPECT_EQ(config.GetFontPath(), dir.Path() + "/Torvaly/FZZY.ttf") << "found in any case";
}

}  // namespace
