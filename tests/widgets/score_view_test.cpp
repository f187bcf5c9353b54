// The game-end panel, headless: numbers from the digit strips at their cells, the counting of
// the simple form, rows of the detail form that skip empty entries, the win and loss images,
// names cut at 10 bytes and drawn as text, the turning backdrop.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/win/ResourceFolder.h"
#include "tests/platform/platform_test_util.h"
#include "text/FontManager.h"
#include "widgets/ScoreView.h"

namespace {

constexpr int kW = 1280, kH = 720;
constexpr uint32_t kTable = 0xFF000000, kInfoBox = 0xFF203040;
constexpr uint32_t kWinBackdrop = 0xFF00A000, kLostBackdrop = 0xFFA00000;
constexpr uint32_t kWinTitle = 0xFF00FF00, kLostTitle = 0xFFFF0000;

// The strips: win number, lost number, win box number, lost box number; eleven cells each.
enum Strip { WIN_NUMBER, LOST_NUMBER, WIN_BOX, LOST_BOX };
constexpr int kCellW[4] = {20, 20, 10, 10}, kCellH[4] = {30, 30, 14, 14};
uint32_t CellColor(int strip, int cell) {
  return 0xFF000040u | (strip * 40 + 30) << 16 | (cell * 20 + 10) << 8;
}

struct Point {
  int x, y;
};
constexpr Point kBackdrop{200, 150}, kTitle{500, 20}, kInfo{40, 400};
// Rows r = 0..2 at y 450 + 50 r: multiple at x 100, cards left 200, gold 300, name 400 (y + 20).
constexpr Point Row(int column, int r) { return {100 + 100 * column, 450 + 50 * r}; }
// The game's figures: multiple, bombs, rockets, hao spring, spring, reverse spring.
constexpr Point kFigures[6] = {{600, 450}, {700, 450}, {800, 450},
                               {600, 500}, {700, 500}, {800, 500}};
constexpr Point kBigGold[3] = {{1000, 100}, {640, 600}, {100, 100}};  // right, me, left

class ScoreViewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(hge.Ok());
    SetResourceFolder(dir.Path());
    std::string ini = "[GAME_COORDINATE]\n";
    auto put = [&](const std::string& stem, Point p) {
      ini += stem + "X=" + std::to_string(p.x) + "\n" + stem + "Y=" + std::to_string(p.y) + "\n";
    };
    put("EndBgAni", kBackdrop), put("Title", kTitle), put("EndInfoBg", kInfo);
    for (int r = 0; r < 3; ++r) {
      const std::string n = std::to_string(r + 1);
      put("EndPersonalMultiple" + n, Row(0, r)), put("EndLeftCard" + n, Row(1, r));
      put("EndGold" + n, Row(2, r)), put("EndPlayer" + n + "Name", {400, Row(0, r).y + 20});
    }
    const char* figures[6] = {"EndPublicMultiple", "EndBobmNum", "EndRocketNum",
                              "EndHaoSpring",      "EndSpring",  "EndFanSpring"};
    for (int i = 0; i < 6; ++i) put(figures[i], kFigures[i]);
    put("EndBigRightGold", kBigGold[0]), put("EndBigMeGold", kBigGold[1]);
    put("EndBigLeftGold", kBigGold[2]);
    platform_test::WriteText(dir.File("Torvaly/qzt.ini"), ini);
    const char* strips[4] = {"win_number", "lost_number", "win_box_number", "lost_box_number"};
    for (int s = 0; s < 4; ++s)
      Png(std::string(strips[s]) + ".png", 11 * kCellW[s], kCellH[s],
          [=](int x, int) { return CellColor(s, x / kCellW[s]); });
    // One colour each: the information box 500 x 220, the backdrops 100 x 60, the titles 120 x 40.
    const char* solids[5] = {"end_box", "end_win_ani", "end_lost_ani", "win_title", "lost_title"};
    const uint32_t colors[5] = {kInfoBox, kWinBackdrop, kLostBackdrop, kWinTitle, kLostTitle};
    const int sizes[5][2] = {{500, 220}, {100, 60}, {100, 60}, {120, 40}, {120, 40}};
    for (int i = 0; i < 5; ++i)
      Png(std::string(solids[i]) + ".png", sizes[i][0], sizes[i][1],
          [c = colors[i]](int, int) { return c; });
    target = hge->Target_Create(kW, kH, false);
  }
  void TearDown() override {
    hge->Target_Free(target);
    SetResourceFolder("");
  }
  void Png(const std::string& name, int w, int h, const std::function<uint32_t(int, int)>& pixel) {
    ASSERT_TRUE(platform_test::WritePng(dir.File("Torvaly/gameEnd/" + name), w, h, pixel));
  }

  std::vector<uint32_t> Frame(CScoreView& view) {
    view.Count();
    if (hge->Gfx_BeginScene(target)) {
      hge->Gfx_Clear(kTable);
      view.Draw(1);
      hge->Gfx_EndScene();
    }
    return platform_test::ReadTarget(hge.Get(), target);  // kW pixels per row
  }
  static uint32_t At(const std::vector<uint32_t>& px, Point p) { return px[p.y * kW + p.x]; }

  // True when the number is drawn at p: n digits of cell width w, the units cell at
  // x + n w / 2 and each higher digit a cell further left, the sign cell before them; each
  // cell's centre shows its strip cell and the pixel left of the first shows something else.
  ::testing::AssertionResult Shows(const std::vector<uint32_t>& px, Strip strip, Point p,
                                   int64_t value, bool sign) {
    const std::string digits =
        value == INT64_MIN ? "9223372036854775808" : std::to_string(value < 0 ? -value : value);
    const int w = kCellW[strip], n = static_cast<int>(digits.size());
    std::string cells = (sign ? std::string(1, char('0' + 10)) : "") + digits;
    int left = p.x + n * w / 2 - w * (n - 1) - (sign ? w : 0);
    for (size_t k = 0; k < cells.size(); ++k) {
      const uint32_t got =
          At(px, {left + static_cast<int>(k) * w + w / 2, p.y + kCellH[strip] / 2});
      if (got != CellColor(strip, cells[k] - '0'))
        return ::testing::AssertionFailure()
               << "cell " << k << " of " << value << ": " << std::hex << got;
    }
    if (At(px, {left - 1, p.y + kCellH[strip] / 2}) == CellColor(strip, cells[0] - '0'))
      return ::testing::AssertionFailure() << "more cells than expected";
    return ::testing::AssertionSuccess();
  }

  testsupport::HeadlessEngine hge{kW, kH};
  platform_test::TempDir dir;
  HTARGET target = 0;
};

// The simple form: big numbers beside the seats (entry 0 left, 1 the local player's, 2 right)
// that count once a frame, by 1 or by 10^(digits - 2), to any score within 100 frames;
// the backdrop and title of the local entry's win or loss.
TEST_F(ScoreViewTest, SimpleFormCountsBigNumbersBesideTheSeats) {
  CScoreView view(hge.Get(), nullptr, 0, 0);
  view.SetScoreInfo(0, 0, "left", 0, 1, 0, 0, 0, 2, 5, 1, 0);
  view.SetScoreInfo(1, 1, "me", 0, 1, 0, 0, 0, 2, -2500, 1, 0);
  view.SetScoreInfo(2, 2, "right", 0, 1, 0, 0, 0, 2, INT64_MIN, 1, 0);
  view.Show(true);
  std::vector<uint32_t> px = Frame(view);
  EXPECT_TRUE(Shows(px, WIN_NUMBER, kBigGold[2], 1, true)) << "entry 0 at the left point";
  EXPECT_TRUE(Shows(px, LOST_NUMBER, kBigGold[1], -100, true)) << "entry 1 at the local point";
  EXPECT_TRUE(Shows(px, LOST_NUMBER, kBigGold[0], -100000000000000000, true));
  EXPECT_EQ(At(px, kBackdrop), kLostBackdrop) << "centred on its point; entry 1 lost";
  EXPECT_EQ(At(px, {kTitle.x + 5, kTitle.y + 5}), kLostTitle);
  const int reachedAt[3] = {5, 25, 93};  // frames
  for (int f = 2; f <= 100; ++f) {
    px = Frame(view);
    for (WORD e = 0; e < 3; ++e)
      EXPECT_EQ(view.GetEntry(e)->lShownGold == view.GetEntry(e)->lScore, f >= reachedAt[e]) << f;
  }
  EXPECT_TRUE(Shows(px, LOST_NUMBER, kBigGold[1], -2500, true));
  EXPECT_TRUE(Shows(px, LOST_NUMBER, kBigGold[0], INT64_MIN, true));

  // New data starts the counters again; the detail form neither draws them nor advances them,
  // nor does a hidden panel.
  view.ClearScoreInfo();
  view.SetScoreInfo(1, 1, "me", 0, 1, 0, 0, 0, 2, 12345, 1, 0);
  px = Frame(view);
  EXPECT_TRUE(Shows(px, WIN_NUMBER, kBigGold[1], 1000, true));
  EXPECT_EQ(At(px, {kTitle.x + 5, kTitle.y + 5}), kWinTitle);
  view.Show(false);
  EXPECT_EQ(At(Frame(view), {kBigGold[1].x + 10, kBigGold[1].y + 15}), kTable) << "hidden";
  view.Show(true);
  view.SetDetail(true);
  Frame(view);
  EXPECT_EQ(view.GetEntry(1)->lShownGold, 1000);
}

// The detail form: the information box, a row per filled entry in entry order (name, personal
// multiple, cards left, gold), the game's six figures; no big numbers. Names are drawn as text,
// never as a format.
TEST_F(ScoreViewTest, DetailFormGivesFilledEntriesTheNextRows) {
  CFontManager fonts;
  const std::string path = GetExecutableFolder() + "/Torvaly/fzzy.TTF";
  ASSERT_TRUE(fonts.Init() && fonts.LoadFont(path.c_str())) << path;
  CTTFont* font = fonts.GetFont(path.c_str());
  font->SetSize(18);
  CScoreView view(hge.Get(), font, 0, 0);
  view.SetScoreInfo(1, 1, "%s%n%d", 1, 2, 1, 0, 0, 8, -40, 2, 3);
  view.SetScoreInfo(2, 2, "amy", 1, 2, 1, 0, 0, 8, 40, 4, 5);
  view.SetScoreInfo(3, 0, "nobody", 9, 9, 9, 9, 9, 9, 9, 9, 9);  // no entry 3: ignored
  view.Show(true);
  view.SetDetail(true);
  const std::vector<uint32_t> px = Frame(view);
  EXPECT_EQ(At(px, {kInfo.x + 480, kInfo.y + 5}), kInfoBox);
  EXPECT_TRUE(Shows(px, WIN_BOX, Row(0, 0), 2, false));
  EXPECT_TRUE(Shows(px, LOST_BOX, Row(1, 0), 3, false));
  EXPECT_TRUE(Shows(px, LOST_BOX, Row(2, 0), -40, true));
  EXPECT_TRUE(Shows(px, WIN_BOX, Row(2, 1), 40, true));
  EXPECT_EQ(At(px, {Row(0, 2).x + 15, Row(0, 2).y + 7}), kInfoBox) << "no third row";
  const int figures[6] = {8, 2, 1, 0, 1, 0};  // multiple, bombs, rockets, hao, spring, reverse
  for (int i = 0; i < 6; ++i) EXPECT_TRUE(Shows(px, WIN_BOX, kFigures[i], figures[i], false)) << i;
  EXPECT_EQ(At(px, {kBigGold[1].x + 10, kBigGold[1].y + 15}), kTable) << "no big numbers";
  int ink = 0;
  for (int y = Row(0, 0).y + 2; y < Row(0, 0).y + 24; ++y)
    for (int x = 400; x < 480; ++x) ink += At(px, {x, y}) != kInfoBox;
  EXPECT_GT(ink, 20) << "the first name's glyphs";
}

// Names of 10 bytes or more are cut to 10 and get "...", never inside a UTF-8 character. Without
// its images the panel draws nothing, and still counts and turns.
TEST_F(ScoreViewTest, NamesAreCutAndMissingImagesDrawNothing) {
  // The last is the name the counting entry keeps (an entry without a name does not count).
  const char* const names[][2] = {{nullptr, ""},
                                  {"abcdefghi", "abcdefghi"},
                                  {"张三李四", "张三李..."},
                                  {"abcdefghij", "abcdefghij..."}};
  SetResourceFolder(dir.File("nowhere"));
  CScoreView bare(hge.Get(), nullptr, 0, 0);
  for (const auto& name : names) {
    bare.SetScoreInfo(1, 1, name[0], 0, 0, 0, 0, 0, 1, -7, 1, 0);
    EXPECT_STREQ(bare.GetEntry(1)->szName, name[1]);
  }
  bare.Show(true);
  for (uint32_t p : Frame(bare)) ASSERT_EQ(p, kTable);
  bare.SetDetail(true);
  for (uint32_t p : Frame(bare)) ASSERT_EQ(p, kTable);
  EXPECT_EQ(bare.GetEntry(1)->lShownGold, -1) << "counted though nothing is drawn";
  // The backdrop turns at a radian a second while shown, back to 0 at 360.
  for (int i = 0; i < 359; ++i) bare.Update(1.0f);
  bare.Update(0.25f);
  EXPECT_FLOAT_EQ(bare.GetAngle(), 359.25f);
  bare.Update(0.75f);
  EXPECT_EQ(bare.GetAngle(), 0.0f);
  bare.Show(false);
  bare.Update(1.0f);
  EXPECT_EQ(bare.GetAngle(), 0.0f) << "hidden: still";
}

}  // namespace
