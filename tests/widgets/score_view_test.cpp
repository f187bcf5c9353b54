// The game-end panel, headless: numbers from the digit strips at their cells, the counting of
// the simple form, rows of the detail form that skip empty entries, the win and loss images,
// names cut at 10 bytes, the turning backdrop.
#include <climits>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/engine/hgeSprite.h"
#include "platform/win/ResourceFolder.h"
#include "tests/platform/platform_test_util.h"
#include "text/FontManager.h"
#include "widgets/ScoreView.h"

namespace {

using platform_test::HeadlessEngine;
using platform_test::TempDir;

constexpr int kW = 1280, kH = 720;
constexpr uint32_t kTable = 0xFF000000;

// The strips: 0 win number, 1 lost number, 2 win box number, 3 lost box number.
enum Strip { WIN_NUMBER, LOST_NUMBER, WIN_BOX, LOST_BOX };
constexpr int kStripCellW[4] = {20, 20, 10, 10};
constexpr int kStripH[4] = {30, 30, 14, 14};
const char* const kStripFile[4] = {"win_number.png", "lost_number.png", "win_box_number.png",
                                   "lost_box_number.png"};
uint32_t StripColor(int strip, int cell) {
  return 0xFF000000u | static_cast<uint32_t>(strip * 40 + 30) << 16 |
         static_cast<uint32_t>(cell * 20 + 10) << 8 | 0x40u;
}
constexpr uint32_t kInfoBox = 0xFF203040, kWinBackdrop = 0xFF00A000, kLostBackdrop = 0xFFA00000;
constexpr uint32_t kWinTitle = 0xFF00FF00, kLostTitle = 0xFFFF0000;

struct Point {
  int x, y;
};
// Positions of the coordinate file (before the origin is added).
constexpr Point kBackdrop{200, 150}, kTitle{500, 20}, kInfo{40, 400};
constexpr Point kRowMultiple[3] = {{100, 450}, {100, 500}, {100, 550}};
constexpr Point kRowCards[3] = {{200, 450}, {200, 500}, {200, 550}};
constexpr Point kRowGold[3] = {{300, 450}, {300, 500}, {300, 550}};
constexpr Point kRowName[3] = {{400, 470}, {400, 520}, {400, 570}};
constexpr Point kFigures[6] = {{600, 450}, {700, 450}, {800, 450},
                               {600, 500}, {700, 500}, {800, 500}};
constexpr Point kBigGold[3] = {{1000, 100}, {640, 600}, {100, 100}};  // right, me, left

std::string Coordinates() {
  std::string s = "[GAME_COORDINATE]\n";
  auto put = [&](const std::string& stem, Point p) {
    s += stem + "X=" + std::to_string(p.x) + "\n" + stem + "Y=" + std::to_string(p.y) + "\n";
  };
  put("EndBgAni", kBackdrop);
  put("Title", kTitle);
  put("EndInfoBg", kInfo);
  for (int r = 0; r < 3; ++r) {
    const std::string n = std::to_string(r + 1);
    put("EndPlayer" + n + "Name", kRowName[r]);
    put("EndPersonalMultiple" + n, kRowMultiple[r]);
    put("EndLeftCard" + n, kRowCards[r]);
    put("EndGold" + n, kRowGold[r]);
  }
  const char* figures[6] = {"EndPublicMultiple", "EndBobmNum", "EndRocketNum",
                            "EndHaoSpring",      "EndSpring",  "EndFanSpring"};
  for (int i = 0; i < 6; ++i) put(figures[i], kFigures[i]);
  put("EndBigRightGold", kBigGold[0]);
  put("EndBigMeGold", kBigGold[1]);
  put("EndBigLeftGold", kBigGold[2]);
  return s;
}

class ScoreViewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(hge.Ok());
    SetResourceFolder(dir.Path());
    platform_test::WriteText(dir.File("Torvaly/qzt.ini"), Coordinates());
    auto solid = [&](const char* name, int w, int h, uint32_t color) {
      ASSERT_TRUE(platform_test::WritePng(dir.File(std::string("Torvaly/gameEnd/") + name), w, h,
                                          [=](int, int) { return color; }));
    };
    for (int s = 0; s < 4; ++s) {
      ASSERT_TRUE(platform_test::WritePng(
          dir.File(std::string("Torvaly/gameEnd/") + kStripFile[s]), 11 * kStripCellW[s],
          kStripH[s], [=](int x, int) { return StripColor(s, x / kStripCellW[s]); }));
    }
    solid("end_box.png", 500, 220, kInfoBox);
    solid("end_win_ani.png", 100, 60, kWinBackdrop);
    solid("end_lost_ani.png", 100, 60, kLostBackdrop);
    solid("win_title.png", 120, 40, kWinTitle);
    solid("lost_title.png", 120, 40, kLostTitle);
    target = hge->Target_Create(kW, kH, false);
  }
  void TearDown() override {
    hge->Target_Free(target);
    SetResourceFolder("");
  }

  // One frame of the panel; the pixels afterwards.
  std::vector<uint32_t> Frame(CScoreView& view, int position = 1) {
    if (hge->Gfx_BeginScene(target)) {
      hge->Gfx_Clear(kTable);
      view.Draw(position);
      hge->Gfx_EndScene();
    }
    const std::vector<uint32_t> raw = platform_test::ReadTarget(hge.Get(), target);
    const int pitch = hge->Texture_GetWidth(hge->Target_GetTexture(target));
    std::vector<uint32_t> px(static_cast<size_t>(kW) * kH);
    for (int y = 0; y < kH; ++y)
      for (int x = 0; x < kW; ++x) px[y * kW + x] = raw[static_cast<size_t>(y) * pitch + x];
    return px;
  }
  static uint32_t At(const std::vector<uint32_t>& px, int x, int y) { return px[y * kW + x]; }

  // The cells a number drawn at x should occupy, left to right, with their strip cells.
  static std::vector<std::pair<int, int>> Cells(int strip, int x, int64_t value, bool sign) {
    const std::string digits =
        value == INT64_MIN ? "9223372036854775808" : std::to_string(value < 0 ? -value : value);
    const int w = kStripCellW[strip], n = static_cast<int>(digits.size());
    std::vector<std::pair<int, int>> cells;
    if (sign) cells.emplace_back(x - w * n + n * w / 2, 10);
    for (int k = 0; k < n; ++k)
      cells.emplace_back(x - w * (n - 1 - k) + n * w / 2, digits[k] - '0');
    return cells;
  }
  // True when the number is drawn there: every cell's centre shows its strip cell, and the
  // pixel left of the first cell shows something else.
  ::testing::AssertionResult Shows(const std::vector<uint32_t>& px, int strip, Point p,
                                   int64_t value, bool sign) {
    const auto cells = Cells(strip, p.x, value, sign);
    const int w = kStripCellW[strip], h = kStripH[strip];
    for (const auto& [x, cell] : cells) {
      const uint32_t got = At(px, x + w / 2, p.y + h / 2);
      if (got != StripColor(strip, cell))
        return ::testing::AssertionFailure()
               << "cell " << cell << " at x " << x << ": 0x" << std::hex << got;
    }
    if (At(px, cells.front().first - 1, p.y + h / 2) == StripColor(strip, cells.front().second))
      return ::testing::AssertionFailure() << "more cells than expected";
    return ::testing::AssertionSuccess();
  }

  HeadlessEngine hge{kW, kH};
  TempDir dir;
  HTARGET target = 0;
};

struct NumberCase {
  const char* name;
  int x;
  int64_t value;
  bool sign;
  std::vector<std::pair<int, int>> cells;  // left edge, strip cell
};

TEST_F(ScoreViewTest, DrawNumberPutsEachDigitInItsCell) {
  const NumberCase cases[] = {
      {"7 with sign", 100, 7, true, {{90, 10}, {110, 7}}},
      {"0 has one digit", 100, 0, false, {{110, 0}}},
      {"three digits", 200, 123, false, {{190, 1}, {210, 2}, {230, 3}}},
      {"negative with sign", 300, -45, true, {{280, 10}, {300, 4}, {320, 5}}},
  };
  for (const NumberCase& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Cells(WIN_NUMBER, c.x, c.value, c.sign), c.cells) << "the helper agrees";
    CScoreView view(hge.Get(), nullptr, 0, 0);
    const HTEXTURE tex = hge->Texture_Load("Torvaly\\gameEnd\\win_number.png");
    hgeSprite strip(tex, 0, 0, 220, 30);
    if (hge->Gfx_BeginScene(target)) {
      hge->Gfx_Clear(kTable);
      view.DrawNumber(&strip, c.x, 200, c.value, c.sign);
      hge->Gfx_EndScene();
    }
    float x, y, w, h;
    strip.GetTextureRect(&x, &y, &w, &h);
    EXPECT_EQ(w, 220.0f) << "the strip's rectangle is put back";
    const std::vector<uint32_t> raw = platform_test::ReadTarget(hge.Get(), target);
    const int pitch = hge->Texture_GetWidth(hge->Target_GetTexture(target));
    for (const auto& [left, cell] : c.cells)
      EXPECT_EQ(raw[215 * pitch + left + 10], StripColor(WIN_NUMBER, cell)) << left;
    hge->Texture_Free(tex);
  }
}

struct CountCase {
  const char* name;
  int64_t score;
  std::vector<int64_t> first;  // the values of the first frames
  int frames;                  // frames until the score is shown
};

TEST_F(ScoreViewTest, SimpleFormCountsOncePerFrameToTheScore) {
  const CountCase cases[] = {
      {"a loss of 2500", -2500, {-100, -200, -300}, 25},
      {"a win of 12345", 12345, {1000, 2000, 3000}, 13},
      {"nothing won", 0, {0}, 1},
      {"one digit", 7, {1, 2, 3}, 7},
      {"two digits", -99, {-1, -2}, 99},
      {"three digits", 100, {10, 20}, 10},
      {"the largest score", INT64_MAX, {100000000000000000, 200000000000000000}, 93},
      {"the smallest score", INT64_MIN, {-100000000000000000}, 93},
  };
  for (const CountCase& c : cases) {
    SCOPED_TRACE(c.name);
    CScoreView view(hge.Get(), nullptr, 0, 0);
    view.SetScoreInfo(1, 1, "me", 0, 0, 0, 0, 0, 1, c.score, 1, 0);
    view.Show(true);
    std::vector<int64_t> seen;
    int frames = 0;
    while (frames < 200 && (frames == 0 || view.GetEntry(1)->lShownGold != c.score)) {
      view.Draw(1);
      seen.push_back(view.GetEntry(1)->lShownGold);
      ++frames;
    }
    EXPECT_EQ(frames, c.frames);
    EXPECT_LE(frames, 100);
    seen.resize(c.first.size());
    EXPECT_EQ(seen, c.first);
    view.Draw(1);
    EXPECT_EQ(view.GetEntry(1)->lShownGold, c.score) << "stays";
  }
}

TEST_F(ScoreViewTest, SimpleFormDrawsBigNumbersBesideTheSeats) {
  CScoreView view(hge.Get(), nullptr, 0, 0);
  view.SetScoreInfo(0, 0, "left", 0, 1, 0, 0, 0, 2, 5, 1, 0);
  view.SetScoreInfo(1, 1, "me", 0, 1, 0, 0, 0, 2, -2500, 1, 0);
  view.SetScoreInfo(2, 2, "right", 0, 1, 0, 0, 0, 2, 3, 1, 0);
  view.Show(true);
  std::vector<uint32_t> px = Frame(view);
  EXPECT_TRUE(Shows(px, WIN_NUMBER, kBigGold[2], 1, true)) << "entry 0 at the left point";
  EXPECT_TRUE(Shows(px, LOST_NUMBER, kBigGold[1], -100, true)) << "entry 1 at the local point";
  EXPECT_TRUE(Shows(px, WIN_NUMBER, kBigGold[0], 1, true)) << "entry 2 at the right point";
  EXPECT_EQ(At(px, kBackdrop.x, kBackdrop.y), kLostBackdrop) << "centred on its point";
  EXPECT_EQ(At(px, kTitle.x + 5, kTitle.y + 5), kLostTitle);
  for (int f = 2; f <= 25; ++f) px = Frame(view);
  EXPECT_TRUE(Shows(px, LOST_NUMBER, kBigGold[1], -2500, true));
  EXPECT_TRUE(Shows(px, WIN_NUMBER, kBigGold[2], 5, true));

  // The detail form neither draws nor advances the counters; back in the simple form they go
  // on from where they were, and only new data starts them again.
  view.ClearScoreInfo();
  view.SetScoreInfo(1, 1, "me", 0, 1, 0, 0, 0, 2, 12345, 1, 0);
  px = Frame(view);
  EXPECT_TRUE(Shows(px, WIN_NUMBER, kBigGold[1], 1000, true));
  EXPECT_EQ(At(px, kBigGold[2].x + 10, kBigGold[2].y + 15), kTable) << "entry 0 is empty now";
  EXPECT_EQ(At(px, kTitle.x + 5, kTitle.y + 5), kWinTitle);
  view.SetDetail(true);
  for (int f = 0; f < 5; ++f) Frame(view);
  view.SetDetail(false);
  view.Show(false);
  px = Frame(view);
  EXPECT_EQ(At(px, kBigGold[1].x + 10, kBigGold[1].y + 15), kTable) << "hidden";
  EXPECT_EQ(view.GetEntry(1)->lShownGold, 1000);
  view.Show(true);
  Frame(view);
  EXPECT_EQ(view.GetEntry(1)->lShownGold, 2000);
}

TEST_F(ScoreViewTest, DetailFormGivesFilledEntriesTheNextRows) {
  CScoreView view(hge.Get(), nullptr, 0, 0);
  view.SetScoreInfo(1, 1, "bob", 1, 2, 1, 0, 0, 8, -40, 2, 3);
  view.SetScoreInfo(2, 2, "amy", 1, 2, 1, 0, 0, 8, 40, 4, 5);
  view.SetScoreInfo(3, 0, "nobody", 9, 9, 9, 9, 9, 9, 9, 9, 9);  // no entry 3: ignored
  view.Show(true);
  view.SetDetail(true);
  const std::vector<uint32_t> px = Frame(view);
  EXPECT_EQ(At(px, kInfo.x + 480, kInfo.y + 5), kInfoBox);
  EXPECT_TRUE(Shows(px, WIN_BOX, kRowMultiple[0], 2, false));
  EXPECT_TRUE(Shows(px, LOST_BOX, kRowCards[0], 3, false));
  EXPECT_TRUE(Shows(px, LOST_BOX, kRowGold[0], -40, true));
  EXPECT_TRUE(Shows(px, WIN_BOX, kRowMultiple[1], 4, false));
  EXPECT_TRUE(Shows(px, LOST_BOX, kRowCards[1], 5, false));
  EXPECT_TRUE(Shows(px, WIN_BOX, kRowGold[1], 40, true));
  EXPECT_EQ(At(px, kRowMultiple[2].x + 15, kRowMultiple[2].y + 7), kInfoBox) << "no third row";
  const int figures[6] = {8, 2, 1, 0, 1, 0};  // multiple, bombs, rockets, hao, spring, reverse
  for (int i = 0; i < 6; ++i) EXPECT_TRUE(Shows(px, WIN_BOX, kFigures[i], figures[i], false)) << i;
  EXPECT_EQ(At(px, kBackdrop.x, kBackdrop.y), kLostBackdrop) << "entry 1 lost";
  EXPECT_EQ(At(px, kTitle.x + 5, kTitle.y + 5), kLostTitle);
  EXPECT_EQ(At(px, kBigGold[1].x + 10, kBigGold[1].y + 15), kTable) << "no big numbers";
  EXPECT_EQ(view.GetChair(), 2) << "the last call's chair";
  EXPECT_EQ(view.GetPublicMultiple(), 8);

  // Another position than the local player's: neither backdrop nor title.
  const std::vector<uint32_t> other = Frame(view, 0);
  EXPECT_EQ(At(other, kBackdrop.x, kBackdrop.y), kTable);
  EXPECT_EQ(At(other, kTitle.x + 5, kTitle.y + 5), kTable);
}

TEST_F(ScoreViewTest, PositionsMoveWithTheOriginAndMissingImagesDrawNothing) {
  CScoreView view(hge.Get(), nullptr, 30, -20);
  view.SetScoreInfo(1, 1, "me", 0, 0, 0, 0, 0, 1, 7, 1, 0);
  view.Show(true);
  for (int f = 0; f < 7; ++f) Frame(view);
  const std::vector<uint32_t> px = Frame(view);
  EXPECT_TRUE(Shows(px, WIN_NUMBER, Point{kBigGold[1].x + 30, kBigGold[1].y - 20}, 7, true));
  EXPECT_EQ(At(px, kTitle.x + 30 + 5, kTitle.y - 20 + 25), kWinTitle);

  SetResourceFolder(dir.File("nowhere"));
  CScoreView bare(hge.Get(), nullptr, 0, 0);
  bare.SetScoreInfo(1, 1, "me", 0, 0, 0, 0, 0, 1, -7, 1, 0);
  bare.Show(true);
  for (uint32_t p : Frame(bare)) ASSERT_EQ(p, kTable);
  bare.SetDetail(true);
  for (uint32_t p : Frame(bare)) ASSERT_EQ(p, kTable);
  EXPECT_EQ(bare.GetEntry(1)->lShownGold, -1) << "counted though nothing is drawn";
}

struct NameCase {
  const char* name;
  const char* given;
  const char* kept;
};

TEST_F(ScoreViewTest, NamesOfTenBytesOrMoreAreCut) {
  const NameCase cases[] = {
      {"nine bytes", "abcdefghi", "abcdefghi"},
      {"exactly ten", "abcdefghij", "abcdefghij..."},
      {"longer", "abcdefghijklmnopqrstuvwxyzabcdefghijklmnopqrstuvwxyz", "abcdefghij..."},
      {"four Chinese characters: never half a character", "张三李四", "张三李..."},
      {"ten bytes ending in a whole character", "a张三李", "a张三李..."},
      {"empty", "", ""},
      {"none", nullptr, ""},
  };
  for (const NameCase& c : cases) {
    SCOPED_TRACE(c.name);
    CScoreView view(nullptr, nullptr, 0, 0);
    view.SetScoreInfo(0, 0, "previous", 0, 0, 0, 0, 0, 0, 0, 0, 0);
    view.SetScoreInfo(0, 0, c.given, 0, 0, 0, 0, 0, 0, 0, 0, 0);
    EXPECT_STREQ(view.GetEntry(0)->szName, c.kept);
  }
}

TEST_F(ScoreViewTest, NamesAreDrawnAsTextNotAsFormats) {
  CFontManager fonts;
  const std::string path = GetExecutableFolder() + "/Torvaly/fzzy.TTF";
  ASSERT_TRUE(fonts.Init());
  ASSERT_TRUE(fonts.LoadFont(path.c_str())) << path;
  CTTFont* font = fonts.GetFont(path.c_str());
  font->SetSize(18);
  font->SetColor(0xFFFFFF00);
  CScoreView view(hge.Get(), font, 0, 0);
  view.SetScoreInfo(0, 0, "%s%n%d", 0, 0, 0, 0, 0, 1, 10, 1, 1);
  view.Show(true);
  view.SetDetail(true);
  const std::vector<uint32_t> px = Frame(view);
  int ink = 0;
  for (int y = kRowName[0].y - 18; y < kRowName[0].y + 4; ++y)
    for (int x = kRowName[0].x; x < kRowName[0].x + 80; ++x) ink += At(px, x, y) != kInfoBox;
  EXPECT_GT(ink, 20) << "the name's glyphs";
}

TEST_F(ScoreViewTest, BackdropTurnsWhileShownAndWrapsAt360) {
  CScoreView view(hge.Get(), nullptr, 0, 0);
  view.Update(1.0f);
  EXPECT_EQ(view.GetAngle(), 0.0f) << "hidden: still";
  view.Show(true);
  view.Update(0.25f);
  view.Update(0.5f);
  EXPECT_FLOAT_EQ(view.GetAngle(), 0.75f);
  for (int i = 0; i < 359; ++i) view.Update(1.0f);
  EXPECT_FLOAT_EQ(view.GetAngle(), 359.75f);
  view.Update(0.25f);
  EXPECT_EQ(view.GetAngle(), 0.0f);
}

}  // namespace
