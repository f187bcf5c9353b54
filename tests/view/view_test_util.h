// The view's tests: a resource folder of plain coloured pictures at known points, so that a
// pixel read back from the canvas says which picture (or which digit) lies there, and a host
// that runs the real view on the frame over it.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/win/ResourceFolder.h"
#include "tests/platform/platform_test_util.h"
#include "tools/view_demo/ViewHost.h"

namespace view_test {

using platform_test::TempDir;

struct Pt {
  int x, y;
};

// Colours of the pictures.
constexpr uint32_t kTable = 0xFF204020, kFrame = 0xFF0000C0, kGoldPlate = 0xFF808000;
constexpr uint32_t kBox = 0xFF404040, kReady = 0xFF00FFFF, kPass = 0xFFFF00FF;
constexpr uint32_t kClockBack = 0xFF606080, kCountBack = 0xFF806060, kTopPanel = 0xFF503010;
constexpr uint32_t kCaption = 0xFFA0A0A0, kBanker = 0xFFFF8000, kWaitTip = 0xFF10A0A0;
constexpr uint32_t kFlash = 0xFFFFFF80, kAutoPlay = 0xFF2080FF, kAlarm = 0xFFFF2020;
// Portraits by folder ("11" = gender 1, face 0).
inline uint32_t PortraitColor(int gender, int face) {
  return 0xFF000000u | static_cast<uint32_t>(gender * 90) << 16 |
         static_cast<uint32_t>(face * 40 + 20) << 8 | 0x30u;
}
// Digit strips: cell d of strip s.
enum Strip { CLOCK_DIGITS, COUNT_DIGITS, PANEL_DIGITS };
inline uint32_t DigitColor(int strip, int digit) {
  return 0xFF000000u | static_cast<uint32_t>(digit * 20 + 20) << 16 |
         static_cast<uint32_t>(strip * 60 + 40) << 8 | 0xE0u;
}
constexpr int kDigitW = 10, kDigitH = 12;
// Button pictures hold four states: 20 x 20 each, the start button's 40 x 40.
constexpr int kButtonW = 80, kButtonH = 20, kStartW = 160, kStartH = 40;
constexpr int kCardW = 10, kCardH = 14;  // the card sheet's cells

// The coordinate keys of the test table (design pixels).
// clang-format off
inline const std::map<std::string, Pt>& Layout() {
  static const std::map<std::string, Pt> layout = {
      {"Bg", {0, 0}},
      {"RightPlayerBg", {1100, 100}},     {"MePlayerBg", {100, 480}},
      {"LeftPlayerBg", {100, 100}},       {"RightPlayer", {1105, 105}},
      {"MePlayer", {105, 485}},           {"LeftPlayer", {105, 105}},
      {"RightPlayerName", {1100, 90}},    {"MePlayerName", {100, 470}},
      {"LeftPlayerName", {100, 90}},      {"MePlayerGoldBg", {100, 540}},
      {"MePlayerGold", {110, 555}},       {"BeishuBg", {500, 0}},
      {"BeishuTxt", {505, 5}},            {"BeishuNum", {560, 4}},
      {"BeiTxt", {580, 5}},               {"LeftCountTxt", {620, 5}},
      {"LeftCount", {660, 10}},           {"RightBoxBg", {900, 150}},
      {"MeBoxBg", {600, 400}},            {"LeftBoxBg", {300, 150}},
      {"RightReady", {905, 155}},         {"MeReady", {605, 405}},
      {"LeftReady", {305, 155}},          {"RightPass", {905, 155}},
      {"MePass", {605, 405}},             {"LeftPass", {305, 155}},
      {"RightPlayerHandCard", {1080, 300}}, {"MePlayerHandCard", {640, 600}},
      {"LeftPlayerHandCard", {200, 300}}, {"RightPlayerOutCard", {1000, 250}},
      {"MePlayerOutCard", {640, 420}},    {"LeftPlayerOutCard", {280, 250}},
      {"RightPlayerLeftCardBg", {1040, 140}}, {"LeftPlayerLeftCardBg", {200, 140}},
      {"RightPlayerLeftCard", {1060, 150}}, {"LeftPlayerLeftCard", {220, 150}},
      {"BtChangeTable", {700, 520}},      {"BtReady", {560, 520}},
      {"BtPass", {400, 520}},             {"BtTip", {460, 520}},
      {"BtOutCard", {640, 520}},          {"BtDetails", {1200, 560}},
      {"BtAuto", {1200, 600}},            {"BtSort", {1200, 640}},
      {"BtLast", {1200, 680}},            {"RightPlayerTimeBg", {1000, 40}},
      {"MePlayerTimeBg", {300, 440}},     {"LeftPlayerTimeBg", {200, 40}},
      {"RightPlayerTimeNum", {1015, 50}}, {"MePlayerTimeNum", {315, 450}},
      {"LeftPlayerTimeNum", {215, 50}},   {"RightAutoAndAlart", {1090, 180}},
      {"MeAutoAndAlart", {180, 470}},     {"LeftAutoAndAlart", {150, 180}},
  };
  return layout;
}
// clang-format on
inline Pt At(const std::string& stem) { return Layout().at(stem); }

// Writes the test resource folder into dir: both ini files, the pictures, a few sounds, and
// the game font linked from the one placed beside the test executable. Pictures listed in
// `without` are left out (their keys stay in the resource-path file).
inline void WriteFolder(const std::string& dir, const std::vector<std::string>& without = {}) {
  std::string paths = "[Resource]\n", coordinates = "[GAME_COORDINATE]\n";
  for (const auto& [stem, p] : Layout())
    coordinates +=
        stem + "X=" + std::to_string(p.x) + "\n" + stem + "Y=" + std::to_string(p.y) + "\n";
  auto skip = [&](const std::string& key) {
    for (const std::string& w : without)
      if (w == key) return true;
    return false;
  };
  auto picture = [&](const std::string& key, int w, int h, auto pixel) {
    paths += key + "=Torvaly\\art\\" + key + ".png\n";
    if (!skip(key)) platform_test::WritePng(dir + "/Torvaly/art/" + key + ".png", w, h, pixel);
  };
  auto solid = [&](const std::string& key, int w, int h, uint32_t color) {
    picture(key, w, h, [color](int, int) { return color; });
  };
  auto strip = [&](const std::string& key, int s) {
    picture(key, kDigitW * 10, kDigitH, [s](int x, int) { return DigitColor(s, x / kDigitW); });
  };
  solid("m_ImageViewBack", 1280, 720, kTable);
  for (int p = 0; p < 3; ++p) solid("m_pImageViewBox" + std::to_string(p), 40, 20, kBox);
  solid("m_pGoldBg", 40, 10, kGoldPlate);
  solid("m_pReady", 20, 10, kReady);
  solid("m_pImageBuchu", 20, 10, kPass);
  strip("m_pTimeNumber", CLOCK_DIGITS);
  solid("m_pPlayerLeftNumBg", 40, 20, kCountBack);
  strip("m_pPlayerLeftNum", COUNT_DIGITS);
  solid("m_pImageNumBack", 30, 30, kClockBack);
  solid("m_pTopView", 200, 24, kTopPanel);
  for (const char* key : {"m_pBeiShu", "m_pBei", "m_pImgLeftText"}) solid(key, 10, 10, kCaption);
  strip("m_pNumber", PANEL_DIGITS);
  solid("m_pFaceBg", 40, 40, kFrame);
  solid("m_pImageLandFace", 10, 10, kBanker);
  solid("m_pWaitTip", 20, 10, kWaitTip);
  for (const char* key :
       {"m_btOutCard", "m_btAutoOutCard", "m_btPassCard", "m_btAutoPlayOn", "m_btSortCard",
        "m_btTurn", "m_pbtDetails", "m_btAutoPlayOff", "m_pbtChangeTable"})
    solid(key, kButtonW, kButtonH, 0xFF903050);
  solid("m_btChildStart", kStartW, kStartH, 0xFF309050);
  // Effects: 10 x 10 frames in their grids (the rocket 10 x 20).
  solid("m_pAniRocket", 40, 20, 0xFFE0E0E0);
  solid("m_pAniRocket2", 30, 30, 0xFFFFA000);
  solid("m_pAniFlash", 50, 50, kFlash);
  solid("m_AniAutoPlay", 30, 10, kAutoPlay);
  solid("m_AniAlart", 40, 10, kAlarm);
  solid("m_pAniShunZi", 30, 60, 0xFF80FF80);
  solid("m_pAniLianDui", 30, 60, 0xFF8080FF);
  for (const char* key : {"spring", "bigSpring", "haoSpring"}) solid(key, 50, 30, 0xFFFFFFFF);
  picture("m_pPokerMiddle", kCardW * 13, kCardH * 5, [](int x, int y) {
    return 0xFF000000u | static_cast<uint32_t>(x / kCardW * 16) << 16 |
           static_cast<uint32_t>(y / kCardH * 50) << 8 | 0x99u;
  });
  // Portraits of genders 1 and 2, faces 0..2.
  for (int g = 1; g <= 2; ++g) {
    for (int f = 0; f < 3; ++f) {
      const std::string folder = std::to_string(g) + std::to_string(f + 1);
      const uint32_t color = PortraitColor(g, f);
      if (!skip("people" + folder))
        platform_test::WritePng(dir + "/Torvaly/people/" + folder + "/10.png", 30, 30,
                                [color](int, int) { return color; });
    }
  }
  for (const char* key : {"m_hSoundHit", "sndBtn", "sndClock", "m_sndBomb", "rocketSound"}) {
    paths += std::string(key) + "=Torvaly\\sound\\" + key + ".wav\n";
    platform_test::WriteWav(dir + "/Torvaly/sound/" + key + ".wav");
  }
  platform_test::WriteText(dir + "/Torvaly/ResourcePath.ini", paths);
  platform_test::WriteText(dir + "/Torvaly/qzt.ini", coordinates);
  std::error_code ec;
  if (!skip("font"))
    std::filesystem::create_symlink(GetExecutableFolder() + "/Torvaly/fzzy.TTF",
                                    dir + "/Torvaly/fzzy.TTF", ec);
}

// A started view over the test folder, the local player at chair 1 (so seats equal chairs).
class ViewFixture : public ::testing::Test {
 protected:
  void SetUp() override { Start(); }
  void TearDown() override {
    host.reset();
    SetResourceFolder("");
  }
  void Start(const std::vector<std::string>& without = {}, int width = 1280, int height = 720) {
    host.reset();
    std::error_code ec;
    std::filesystem::remove_all(dir.Path() + "/Torvaly", ec);
    WriteFolder(dir.Path(), without);
    host = std::make_unique<CViewHost>(dir.Path(), width, height);
    ASSERT_TRUE(host->Ok());
    host->SetSelf(1);
    host->Frame();
  }
  CGameClientView& View() { return host->View(); }
  // Seats a user; face f of gender g has the portrait PortraitColor(g, f).
  void Seat(WORD chair, const char* name, BYTE gender = 1, WORD face = 0, int64_t score = 500,
            BYTE status = US_PLAY) {
    host->SeatUser(chair, name, gender, face, score, status);
  }
  uint32_t Canvas(int x, int y) {
    const std::vector<uint32_t> pixels = host->ReadCanvas();
    return pixels.empty() ? 0 : pixels[static_cast<size_t>(y) * 1280 + x];
  }

  TempDir dir;
  std::unique_ptr<CViewHost> host;
};

}  // namespace view_test
