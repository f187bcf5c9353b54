// The resource folder Torvaly/ against what the program reads from it: every resource key and
// its file (images through the engine's texture loader, sounds through its effect loader),
// the fixed voice, music, game-end, options and portrait files, the animation grids, the digit
// strips, the card sheet, the button strips, every coordinate key inside the canvas, and the
// sound files' format, length and level. The build places the folder beside this executable.
#include <SDL.h>
#include <SDL_image.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "platform/win/Profile.h"
#include "platform/win/ResourceFolder.h"
#include "tests/support/headless_engine.h"

namespace {

namespace fs = std::filesystem;

constexpr const char* kResourceFile = "Torvaly\\ResourcePath.ini";
constexpr const char* kCoordinateFile = "Torvaly\\qzt.ini";
constexpr int kCanvasW = 1280;
constexpr int kCanvasH = 720;
constexpr int kSampleRate = 32000;

class AssetFolder : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { SetResourceFolder(GetExecutableFolder()); }
  static void TearDownTestSuite() { SetResourceFolder(""); }
};

std::string ResourcePath(const std::string& key) {
  char buf[260] = {};
  GetPrivateProfileStringA("Resource", key.c_str(), "", buf, sizeof buf, kResourceFile);
  return buf;
}

// The coordinate as the program reads it: text, then a whole decimal number.
bool ReadCoordinate(const std::string& key, int* value) {
  char buf[260] = {};
  GetPrivateProfileStringA("GAME_COORDINATE", key.c_str(), "", buf, sizeof buf,
                           kCoordinateFile);
  if (buf[0] == '\0') return false;
  char* end = nullptr;
  const long v = std::strtol(buf, &end, 10);
  if (*end != '\0') return false;
  *value = static_cast<int>(v);
  return true;
}

const std::vector<std::string>& ImageKeys() {
  static const std::vector<std::string> keys = {
      // sprites
      "m_ImageViewBack", "m_pImageViewBox0", "m_pImageViewBox1", "m_pImageViewBox2",
      "m_pGoldBg", "m_pReady", "m_pImageBuchu", "m_pTimeNumber", "m_pPlayerLeftNumBg",
      "m_pPlayerLeftNum", "m_pImageNumBack", "m_pTopView", "m_pBeiShu", "m_pBei", "m_pNumber",
      "m_pFaceBg", "m_pImageLandFace", "m_pWaitTip", "m_pImgLeftText",
      // buttons
      "m_btOutCard", "m_btAutoOutCard", "m_btPassCard", "m_btAutoPlayOn", "m_btSortCard",
      "m_btTurn", "m_pbtDetails", "m_btAutoPlayOff", "m_btChildStart", "m_pbtChangeTable",
      // animations
      "m_pAniRocket", "m_pAniRocket2", "m_pAniFlash", "m_AniAutoPlay", "m_AniAlart",
      "m_pAniShunZi", "m_pAniLianDui", "spring", "bigSpring", "haoSpring",
      // card sheet and options window
      "m_pPokerMiddle", "m_pGameSetting"};
  return keys;
}

const std::vector<std::string>& SoundKeys() {
  static const std::vector<std::string> keys = {
      "sndClock", "m_hSoundHit", "sndBtn", "sndAlarm", "m_sndLiandui", "m_sndBomb", "out35",
      "rocketSound", "gamestartsound", "MOST_CARD", "Pass_Boy", "Pass_Girl", "GoodEnd",
      "Cheer", "BadEnd", "sndDispatch", "sndManStart", "sndWomanStart"};
  return keys;
}

std::vector<std::string> FixedVoices() {
  std::vector<std::string> out;
  for (const char* g : {"MALE", "FEMALE"}) {
    for (int v = 1; v <= 15; ++v) out.push_back("Torvaly\\sound\\" + std::string(g) + "_" +
                                                std::to_string(v) + ".wav");
    for (int v = 1; v <= 13; ++v) out.push_back("Torvaly\\sound\\" + std::string(g) + "_DB_" +
                                                std::to_string(v) + ".wav");
    out.push_back("Torvaly\\sound\\" + std::string(g) + "_LINE.wav");
    out.push_back("Torvaly\\sound\\" + std::string(g) + "_DB_LINE.wav");
  }
  out.push_back("Torvaly\\sound\\shunzi.wav");
  return out;
}

const std::vector<std::string>& MusicFiles() {
  static const std::vector<std::string> files = {"Torvaly\\sound\\Back_1.wav",
                                                 "Torvaly\\sound\\Back_2.wav"};
  return files;
}

const std::vector<std::string>& FixedImages() {
  static const std::vector<std::string> files = {
      "Torvaly\\gameEnd\\end_box.png",         "Torvaly\\gameEnd\\end_win_ani.png",
      "Torvaly\\gameEnd\\end_lost_ani.png",    "Torvaly\\gameEnd\\win_number.png",
      "Torvaly\\gameEnd\\lost_number.png",     "Torvaly\\gameEnd\\win_box_number.png",
      "Torvaly\\gameEnd\\lost_box_number.png", "Torvaly\\gameEnd\\win_title.png",
      "Torvaly\\gameEnd\\lost_title.png",      "Torvaly\\gameOption\\buttonOk.png",
      "Torvaly\\gameOption\\buttonCancle.png", "Torvaly\\frame\\options.png",
      "Torvaly\\frame\\sound_on.png",      "Torvaly\\frame\\sound_off.png"};
  return files;
}

std::vector<std::string> Portraits() {
  std::vector<std::string> out;
  for (int gender = 1; gender <= 2; ++gender)
    for (int face = 1; face <= 6; ++face)
      out.push_back("Torvaly\\people\\" + std::to_string(gender) + std::to_string(face) +
                    "\\10.png");
  return out;
}

// An image's pixels, read with SDL2_image for the checks that look inside cells.
struct Pixels {
  explicit Pixels(const std::string& name) {
    SDL_Surface* raw = IMG_Load(ResolvePath(name.c_str()).c_str());
    if (raw == nullptr) return;
    surface = SDL_ConvertSurfaceFormat(raw, SDL_PIXELFORMAT_ABGR8888, 0);
    SDL_FreeSurface(raw);
  }
  ~Pixels() { SDL_FreeSurface(surface); }
  Pixels(const Pixels&) = delete;
  Pixels& operator=(const Pixels&) = delete;
  int W() const { return surface ? surface->w : 0; }
  int H() const { return surface ? surface->h : 0; }
  uint8_t Alpha(int x, int y) const {
    const auto* row = static_cast<const uint8_t*>(surface->pixels) + y * surface->pitch;
    return row[x * 4 + 3];
  }
  // Pixels of the rectangle more opaque than the threshold.
  int Ink(int x0, int y0, int w, int h, int threshold = 128) const {
    int n = 0;
    for (int y = y0; y < y0 + h; ++y)
      for (int x = x0; x < x0 + w; ++x) n += Alpha(x, y) > threshold;
    return n;
  }
  SDL_Surface* surface = nullptr;
};

// ---------------------------------------------------------------------------------------------

TEST_F(AssetFolder, EveryResourceKeyNamesAFileWrittenAsTheProgramWritesIt) {
  std::vector<std::string> keys = ImageKeys();
  keys.insert(keys.end(), SoundKeys().begin(), SoundKeys().end());
  for (const std::string& key : keys) {
    const std::string value = ResourcePath(key);
    ASSERT_FALSE(value.empty()) << key;
    EXPECT_EQ(value.rfind("Torvaly\\", 0), 0u) << key << " = " << value;
    EXPECT_EQ(value.find('/'), std::string::npos) << key << " = " << value;
    EXPECT_TRUE(fs::is_regular_file(ResolvePath(value.c_str()))) << key << " = " << value;
  }
}

TEST_F(AssetFolder, EveryImageLoadsThroughTheEngine) {
  testsupport::HeadlessEngine hge;
  ASSERT_TRUE(hge.Ok());
  std::vector<std::string> names;
  for (const std::string& key : ImageKeys()) names.push_back(ResourcePath(key));
  names.insert(names.end(), FixedImages().begin(), FixedImages().end());
  for (const std::string& p : Portraits()) names.push_back(p);
  for (const std::string& name : names) {
    const HTEXTURE tex = hge->Texture_Load(name.c_str());
    ASSERT_NE(tex, 0u) << name;
    EXPECT_GT(hge->Texture_GetWidth(tex, true), 0) << name;
    EXPECT_GT(hge->Texture_GetHeight(tex, true), 0) << name;
    hge->Texture_Free(tex);
  }
}

TEST_F(AssetFolder, EverySoundLoadsThroughTheEffectLoader) {
  testsupport::HeadlessEngine hge(320, 240, true);
  ASSERT_TRUE(hge.Ok());
  std::vector<std::string> names;
  for (const std::string& key : SoundKeys()) names.push_back(ResourcePath(key));
  for (const std::string& v : FixedVoices()) names.push_back(v);
  names.insert(names.end(), MusicFiles().begin(), MusicFiles().end());
  for (const std::string& name : names) {
    const HEFFECT eff = hge->Effect_Load(name.c_str());
    EXPECT_NE(eff, 0u) << name;
    hge->Effect_Free(eff);
  }
}

TEST_F(AssetFolder, AnimationsDivideEvenlyIntoTheirGrids) {
  struct Grid {
    const char* key;
    int cols, rows, frames;
  };
  const Grid grids[] = {{"m_pAniRocket", 4, 1, 4},     {"m_pAniRocket2", 3, 3, 9},
                        {"m_pAniFlash", 5, 5, 20},     {"m_AniAutoPlay", 3, 1, 3},
                        {"m_AniAlart", 4, 1, 4},       {"m_pAniShunZi", 3, 6, 15},
                        {"m_pAniLianDui", 3, 6, 18},   {"spring", 5, 3, 15},
                        {"bigSpring", 5, 3, 15},       {"haoSpring", 5, 3, 15}};
  for (const Grid& g : grids) {
    Pixels px(ResourcePath(g.key));
    ASSERT_NE(px.surface, nullptr) << g.key;
    ASSERT_EQ(px.W() % g.cols, 0) << g.key;
    ASSERT_EQ(px.H() % g.rows, 0) << g.key;
    const int fw = px.W() / g.cols, fh = px.H() / g.rows;
    // Every frame that plays shows something (the last ones may be fading out); frames run row
    // by row, and the cells after the last frame stay empty.
    for (int f = 0; f < g.cols * g.rows; ++f) {
      const int ink = px.Ink((f % g.cols) * fw, (f / g.cols) * fh, fw, fh, 8);
      if (f < g.frames)
        EXPECT_GT(ink, 0) << g.key << " frame " << f;
      else
        EXPECT_EQ(ink, 0) << g.key << " cell " << f;
    }
  }
}

TEST_F(AssetFolder, DigitStripsHaveEqualCellsWithAGlyphInEach) {
  struct Strip {
    std::string name;
    int cells;
  };
  const Strip strips[] = {{ResourcePath("m_pTimeNumber"), 10},
                          {ResourcePath("m_pPlayerLeftNum"), 10},
                          {ResourcePath("m_pNumber"), 10},
                          {"Torvaly\\gameEnd\\win_number.png", 11},
                          {"Torvaly\\gameEnd\\lost_number.png", 11},
                          {"Torvaly\\gameEnd\\win_box_number.png", 11},
                          {"Torvaly\\gameEnd\\lost_box_number.png", 11}};
  for (const Strip& s : strips) {
    Pixels px(s.name);
    ASSERT_NE(px.surface, nullptr) << s.name;
    ASSERT_EQ(px.W() % s.cells, 0) << s.name;
    const int w = px.W() / s.cells;
    for (int c = 0; c < s.cells; ++c) {
      EXPECT_GT(px.Ink(c * w, 0, w, px.H()), 0) << s.name << " cell " << c;
      // A glyph stays inside its cell: the outermost columns are (nearly) clear.
      EXPECT_EQ(px.Ink(c * w, 0, 1, px.H()), 0) << s.name << " cell " << c;
    }
  }
}

TEST_F(AssetFolder, CardSheetHoldsThirteenByFiveCardsWithEveryFaceAndTheBack) {
  Pixels px(ResourcePath("m_pPokerMiddle"));
  ASSERT_NE(px.surface, nullptr);
  ASSERT_EQ(px.W() % 13, 0);
  ASSERT_EQ(px.H() % 5, 0);
  const int w = px.W() / 13, h = px.H() / 5;
  EXPECT_GT(h, w);
  for (int row = 0; row < 5; ++row) {
    for (int col = 0; col < 13; ++col) {
      const bool used = row < 4 || col < 3;  // row 4: small joker, big joker, back
      const int ink = px.Ink(col * w, row * h, w, h);
      if (used)
        EXPECT_GT(ink, w * h * 9 / 10) << "row " << row << " col " << col;
      else
        EXPECT_EQ(ink, 0) << "row " << row << " col " << col;
    }
  }
}

TEST_F(AssetFolder, ButtonImagesHoldFourEqualStates) {
  // The frame's round icons are square in each state (the frame scales a state to its icon
  // size).
  const std::vector<std::string> icons = {"Torvaly\\frame\\options.png",
                                          "Torvaly\\frame\\sound_on.png",
                                          "Torvaly\\frame\\sound_off.png"};
  for (const std::string& name : icons) {
    Pixels px(name);
    ASSERT_NE(px.surface, nullptr) << name;
    EXPECT_EQ(px.W(), 4 * px.H()) << name;
  }
  std::vector<std::string> names = {"Torvaly\\gameOption\\buttonOk.png",
                                    "Torvaly\\gameOption\\buttonCancle.png"};
  names.insert(names.end(), icons.begin(), icons.end());
  for (const char* key : {"m_btOutCard", "m_btAutoOutCard", "m_btPassCard", "m_btAutoPlayOn",
                          "m_btSortCard", "m_btTurn", "m_pbtDetails", "m_btAutoPlayOff",
                          "m_btChildStart", "m_pbtChangeTable"})
    names.push_back(ResourcePath(key));
  for (const std::string& name : names) {
    Pixels px(name);
    ASSERT_NE(px.surface, nullptr) << name;
    ASSERT_EQ(px.W() % 4, 0) << name;
    const int w = px.W() / 4;
    for (int s = 0; s < 4; ++s)
      EXPECT_GT(px.Ink(s * w, 0, w, px.H()), w * px.H() / 2) << name << " state " << s;
  }
}

TEST_F(AssetFolder, PortraitsOfBothGendersFitTheFrame) {
  Pixels frame(ResourcePath("m_pFaceBg"));
  ASSERT_NE(frame.surface, nullptr);
  for (const std::string& name : Portraits()) {
    Pixels px(name);
    ASSERT_NE(px.surface, nullptr) << name;
    // Drawn at 0.96 x 0.97 inside the frame.
    EXPECT_LE(px.W() * 0.96, frame.W()) << name;
    EXPECT_LE(px.H() * 0.97, frame.H()) << name;
    EXPECT_GT(px.Ink(0, 0, px.W(), px.H()), px.W() * px.H() * 9 / 10) << name;
  }
}

std::vector<std::string> TableKeyStems() {
  std::vector<std::string> stems = {"Bg"};
  const char* seats[] = {"Right", "Me", "Left"};
  for (const char* thing : {"PlayerBg", "Player", "PlayerName"})
    for (const char* s : seats) stems.push_back(std::string(s) + thing);
  for (const char* one : {"MePlayerGoldBg", "MePlayerGold", "BeishuBg", "BeishuTxt", "BeishuNum",
                          "BeiTxt", "LeftCountTxt", "LeftCount"})
    stems.push_back(one);
  for (const char* thing : {"BoxBg", "Ready", "Pass", "PlayerHandCard", "PlayerOutCard"})
    for (const char* s : seats) stems.push_back(std::string(s) + thing);
  for (const char* thing : {"PlayerLeftCardBg", "PlayerLeftCard"})
    for (const char* s : {"Right", "Left"}) stems.push_back(std::string(s) + thing);
  for (const char* bt : {"BtChangeTable", "BtReady", "BtPass", "BtTip", "BtOutCard", "BtDetails",
                         "BtAuto", "BtSort", "BtLast"})
    stems.push_back(bt);
  for (const char* thing : {"PlayerTimeBg", "PlayerTimeNum", "AutoAndAlart"})
    for (const char* s : seats) stems.push_back(std::string(s) + thing);
  return stems;
}

std::vector<std::string> EndKeyStems() {
  std::vector<std::string> stems = {"EndBgAni", "Title", "EndInfoBg"};
  for (const char* thing : {"EndPlayer%dName", "EndPersonalMultiple%d", "EndLeftCard%d",
                            "EndGold%d"})
    for (int r = 1; r <= 3; ++r) {
      char buf[64];
      std::snprintf(buf, sizeof buf, thing, r);
      stems.push_back(buf);
    }
  for (const char* one : {"EndPublicMultiple", "EndBobmNum", "EndRocketNum", "EndHaoSpring",
                          "EndSpring", "EndFanSpring", "EndBigRightGold", "EndBigMeGold",
                          "EndBigLeftGold"})
    stems.push_back(one);
  return stems;
}

TEST_F(AssetFolder, EveryCoordinateKeyIsANumberInsideTheCanvas) {
  const std::vector<std::string> table = TableKeyStems(), end = EndKeyStems();
  EXPECT_EQ(table.size() * 2, 110u);
  EXPECT_EQ(end.size() * 2, 48u);
  std::vector<std::string> stems = table;
  stems.insert(stems.end(), end.begin(), end.end());
  for (const std::string& stem : stems) {
    int x = -1, y = -1;
    ASSERT_TRUE(ReadCoordinate(stem + "X", &x)) << stem;
    ASSERT_TRUE(ReadCoordinate(stem + "Y", &y)) << stem;
    EXPECT_GE(x, 0) << stem;
    EXPECT_LE(x, kCanvasW) << stem;
    EXPECT_GE(y, 0) << stem;
    EXPECT_LE(y, kCanvasH) << stem;
  }
}

// Images drawn with their top left at a point lie wholly on the canvas.
TEST_F(AssetFolder, ImagesDrawnAtTheirPointsStayOnTheCanvas) {
  struct Placed {
    std::string stem, image;
  };
  std::vector<Placed> placed = {{"Bg", ResourcePath("m_ImageViewBack")},
                                {"MePlayerGoldBg", ResourcePath("m_pGoldBg")},
                                {"BeishuBg", ResourcePath("m_pTopView")},
                                {"BeishuTxt", ResourcePath("m_pBeiShu")},
                                {"BeiTxt", ResourcePath("m_pBei")},
                                {"LeftCountTxt", ResourcePath("m_pImgLeftText")},
                                {"EndInfoBg", "Torvaly\\gameEnd\\end_box.png"},
                                {"Title", "Torvaly\\gameEnd\\win_title.png"}};
  const char* seats[] = {"Right", "Me", "Left"};
  for (int i = 0; i < 3; ++i) {
    const std::string s = seats[i];
    placed.push_back({s + "PlayerBg", ResourcePath("m_pFaceBg")});
    placed.push_back({s + "BoxBg", ResourcePath("m_pImageViewBox" + std::to_string(i))});
    placed.push_back({s + "Ready", ResourcePath("m_pReady")});
    placed.push_back({s + "Pass", ResourcePath("m_pImageBuchu")});
    placed.push_back({s + "PlayerTimeBg", ResourcePath("m_pImageNumBack")});
  }
  for (const char* s : {"Right", "Left"})
    placed.push_back({std::string(s) + "PlayerLeftCardBg", ResourcePath("m_pPlayerLeftNumBg")});
  for (const Placed& p : placed) {
    Pixels px(p.image);
    ASSERT_NE(px.surface, nullptr) << p.image;
    int x = 0, y = 0;
    ASSERT_TRUE(ReadCoordinate(p.stem + "X", &x) && ReadCoordinate(p.stem + "Y", &y)) << p.stem;
    EXPECT_LE(x + px.W(), kCanvasW) << p.stem;
    EXPECT_LE(y + px.H(), kCanvasH) << p.stem;
  }
  // The side seats' gold plates hang 112 pixels under their frames.
  Pixels gold(ResourcePath("m_pGoldBg"));
  for (const char* s : {"Right", "Left"}) {
    int x = 0, y = 0;
    ASSERT_TRUE(ReadCoordinate(std::string(s) + "PlayerBgX", &x) &&
                ReadCoordinate(std::string(s) + "PlayerBgY", &y));
    EXPECT_LE(x + gold.W(), kCanvasW) << s;
    EXPECT_LE(y + 112 + gold.H(), kCanvasH) << s;
  }
  // Buttons: one state is a quarter of the strip.
  const std::pair<const char*, const char*> buttons[] = {
      {"BtChangeTable", "m_pbtChangeTable"}, {"BtReady", "m_btChildStart"},
      {"BtPass", "m_btPassCard"},           {"BtTip", "m_btAutoOutCard"},
      {"BtOutCard", "m_btOutCard"},         {"BtDetails", "m_pbtDetails"},
      {"BtAuto", "m_btAutoPlayOff"},        {"BtSort", "m_btSortCard"},
      {"BtLast", "m_btTurn"}};
  for (const auto& [stem, key] : buttons) {
    Pixels px(ResourcePath(key));
    int x = 0, y = 0;
    ASSERT_TRUE(ReadCoordinate(std::string(stem) + "X", &x) &&
                ReadCoordinate(std::string(stem) + "Y", &y));
    EXPECT_LE(x + px.W() / 4, kCanvasW) << stem;
    EXPECT_LE(y + px.H(), kCanvasH) << stem;
  }
}

// The local hand anchored at its top centre: a long hand still fits on the canvas.
TEST_F(AssetFolder, LocalHandOfTwentySevenCardsFitsTheCanvas) {
  Pixels sheet(ResourcePath("m_pPokerMiddle"));
  const int w = sheet.W() / 13, h = sheet.H() / 5;
  int x = 0, y = 0;
  ASSERT_TRUE(ReadCoordinate("MePlayerHandCardX", &x) && ReadCoordinate("MePlayerHandCardY", &y));
  const int width = 26 * 40 + w;  // horizontal step 40
  EXPECT_GE(x - width / 2, 0);
  EXPECT_LE(x + width / 2, kCanvasW);
  EXPECT_LE(y + h + 20, kCanvasH);  // raise height 20
}

// At the end of a game the table still shows the side seats' last plays, the bots' ready marks,
// the side hands laid open in their columns and, for a moment, the local seat's last play. The
// rows and columns are widgets and the marks are drawn before the end panel, so the panel's
// counting numbers must lie clear of all of them (and of each other and the title), as must the
// marks of the rows. Card rows are the card controls' geometry: 100 x 136 cards at 0.6, the
// widest spacing (35) for plays of up to 11 cards; side columns at 0.55. (A side seat's full
// straight of 12 cards would reach under the end of the local number, or the title's ribbon.)
TEST_F(AssetFolder, EndPanelNumbersClearWhatTheTableStillShows) {
  struct Box {
    std::string what;
    int left, top, right, bottom;  // right and bottom exclusive
  };
  auto point = [](const std::string& stem) {
    int x = 0, y = 0;
    EXPECT_TRUE(ReadCoordinate(stem + "X", &x) && ReadCoordinate(stem + "Y", &y)) << stem;
    return std::pair<int, int>{x, y};
  };
  Pixels digits("Torvaly\\gameEnd\\win_number.png");
  Pixels sheet(ResourcePath("m_pPokerMiddle"));
  ASSERT_TRUE(digits.surface && sheet.surface);
  const int w = digits.W() / 11, h = digits.H();
  const int cardW = sheet.W() / 13, cardH = sheet.H() / 5;
  const int rowW = static_cast<int>(cardW * 0.6f) + 10 * static_cast<int>(35 * 0.6f);
  const int rowH = static_cast<int>(cardH * 0.6f) + 1;
  const int columnW = static_cast<int>(cardW * 0.55f) + 1;

  std::vector<Box> numbers;
  for (const char* s : {"Right", "Me", "Left"}) {
    // Five digits and the sign, as the panel lays them out about its point.
    const auto [x, y] = point(std::string("EndBig") + s + "Gold");
    const int n = 5;
    numbers.push_back({std::string(s) + " number", x - n * w / 2, y, x + n * w / 2 + w, y + h});
  }
  std::vector<Box> table;
  for (const char* s : {"Right", "Me", "Left"}) {
    const auto [x, y] = point(std::string(s) + "PlayerOutCard");
    const int left = s[0] == 'R' ? x - rowW : s[0] == 'L' ? x : x - rowW / 2;
    table.push_back({std::string(s) + " play", left, y, left + rowW, y + rowH});
  }
  for (const char* s : {"Right", "Left"}) {
    const auto [x, y] = point(std::string(s) + "PlayerHandCard");
    const int left = s[0] == 'R' ? x - columnW : x;
    table.push_back({std::string(s) + " open hand", left, 0, left + columnW, kCanvasH});
    const auto [bx, by] = point(std::string(s) + "BoxBg");
    Pixels box(ResourcePath(std::string("m_pImageViewBox") + (s[0] == 'R' ? "0" : "2")));
    table.push_back({std::string(s) + " ready mark", bx, by, bx + box.W(), by + box.H()});
  }
  const auto [tx, ty] = point("Title");
  Pixels title("Torvaly\\gameEnd\\win_title.png");

  auto overlap = [](const Box& a, const Box& b) {
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
  };
  std::vector<Box> all = numbers;
  all.insert(all.end(), table.begin(), table.end());
  all.push_back({"title", tx, ty, tx + title.W(), ty + title.H()});
  for (size_t i = 0; i < numbers.size(); ++i) {
    EXPECT_GE(numbers[i].left, 0) << numbers[i].what;
    EXPECT_LE(numbers[i].right, kCanvasW) << numbers[i].what;
    for (size_t j = 0; j < all.size(); ++j) {
      if (j == i) continue;
      EXPECT_FALSE(overlap(numbers[i], all[j])) << numbers[i].what << " / " << all[j].what;
    }
  }
  // The rows, the marks and the open hands keep clear of each other too.
  for (size_t i = 0; i < table.size(); ++i)
    for (size_t j = i + 1; j < table.size(); ++j)
      EXPECT_FALSE(overlap(table[i], table[j])) << table[i].what << " / " << table[j].what;
}

// ---------------------------------------------------------------------------------------------
// Sound files

struct Wav {
  int format = 0, channels = 0, rate = 0, bits = 0;
  std::vector<int16_t> samples;  // interleaved
  double Seconds() const {
    return channels && rate ? static_cast<double>(samples.size()) / channels / rate : 0.0;
  }
};

bool ReadWav(const std::string& name, Wav* wav) {
  std::ifstream f(ResolvePath(name.c_str()), std::ios::binary);
  std::vector<char> b((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
  if (b.size() < 12 || std::memcmp(b.data(), "RIFF", 4) || std::memcmp(b.data() + 8, "WAVE", 4))
    return false;
  auto u32 = [&](size_t o) {
    uint32_t v;
    std::memcpy(&v, b.data() + o, 4);
    return v;
  };
  auto u16 = [&](size_t o) {
    uint16_t v;
    std::memcpy(&v, b.data() + o, 2);
    return v;
  };
  bool haveFormat = false;
  for (size_t o = 12; o + 8 <= b.size();) {
    const uint32_t size = u32(o + 4);
    if (o + 8 + size > b.size()) return false;
    if (!std::memcmp(b.data() + o, "fmt ", 4) && size >= 16) {
      wav->format = u16(o + 8);
      wav->channels = u16(o + 10);
      wav->rate = static_cast<int>(u32(o + 12));
      wav->bits = u16(o + 22);
      haveFormat = true;
    } else if (!std::memcmp(b.data() + o, "data", 4) && haveFormat && wav->bits == 16) {
      wav->samples.resize(size / 2);
      std::memcpy(wav->samples.data(), b.data() + o + 8, wav->samples.size() * 2);
    }
    o += 8 + size + (size & 1);
  }
  return haveFormat && !wav->samples.empty();
}

double Db(double amplitude) { return 20.0 * std::log10(std::max(amplitude, 1e-9) / 32768.0); }

TEST_F(AssetFolder, SoundsAreSixteenBitPcmAtOneRateTrimmedAndLevelWithoutClipping) {
  struct Check {
    std::string name;
    double minSeconds, maxSeconds;
  };
  std::vector<Check> checks;
  for (const std::string& key : SoundKeys()) checks.push_back({ResourcePath(key), 0.03, 3.5});
  for (const std::string& v : FixedVoices()) checks.push_back({v, 0.15, 2.0});
  for (const std::string& m : MusicFiles()) checks.push_back({m, 33.0, 60.0});
  for (const Check& c : checks) {
    Wav w;
    ASSERT_TRUE(ReadWav(c.name, &w)) << c.name;
    EXPECT_EQ(w.format, 1) << c.name;
    EXPECT_EQ(w.bits, 16) << c.name;
    EXPECT_EQ(w.rate, kSampleRate) << c.name;
    EXPECT_TRUE(w.channels == 1 || w.channels == 2) << c.name;
    EXPECT_GE(w.Seconds(), c.minSeconds) << c.name;
    EXPECT_LE(w.Seconds(), c.maxSeconds) << c.name;
    int peak = 0;
    double power = 0;
    for (int16_t s : w.samples) {
      peak = std::max(peak, std::abs(static_cast<int>(s)));
      power += static_cast<double>(s) * s;
    }
    const double rms = std::sqrt(power / w.samples.size());
    // No clipping (a ceiling under full scale), never near-silent, and all near one loudness
    // (a pure tone at that loudness peaks only 3 dB above it).
    EXPECT_LE(Db(peak), -0.5) << c.name;
    EXPECT_GE(Db(peak), -16.0) << c.name;
    EXPECT_GE(Db(rms), -30.0) << c.name;
    EXPECT_LE(Db(rms), -12.0) << c.name;
    // Trimmed: sound within the first and the last 60 ms (or half of a shorter file).
    const size_t edge =
        std::min(static_cast<size_t>(0.06 * w.rate) * w.channels, w.samples.size() / 2);
    auto loudest = [&](size_t from, size_t to) {
      int m = 0;
      for (size_t i = from; i < to && i < w.samples.size(); ++i)
        m = std::max(m, std::abs(static_cast<int>(w.samples[i])));
      return m;
    };
    if (c.minSeconds < 33.0) {
      EXPECT_GE(Db(loudest(0, edge)), -40.0) << c.name << " starts with silence";
      EXPECT_GE(Db(loudest(w.samples.size() - edge, w.samples.size())), -60.0)
          << c.name << " ends with silence";
    }
  }
}

// Background tracks restart from their beginning: the last sample flows into the first.
TEST_F(AssetFolder, MusicLoopsWithoutAJump) {
  for (const std::string& name : MusicFiles()) {
    Wav w;
    ASSERT_TRUE(ReadWav(name, &w)) << name;
    const int ch = w.channels;
    const size_t frames = w.samples.size() / ch;
    for (int c = 0; c < ch; ++c) {
      int largestStep = 0;
      for (size_t i = 1; i < frames; ++i)
        largestStep = std::max(largestStep, std::abs(w.samples[i * ch + c] -
                                                     w.samples[(i - 1) * ch + c]));
      const int wrap = std::abs(w.samples[c] - w.samples[(frames - 1) * ch + c]);
      EXPECT_LE(wrap, largestStep) << name << " channel " << c;
    }
  }
}

// ---------------------------------------------------------------------------------------------
// The folder as a whole

TEST_F(AssetFolder, EveryFileIsOneTheProgramAsksFor) {
  std::set<std::string> wanted = {"Torvaly/ResourcePath.ini", "Torvaly/qzt.ini",
                                  "Torvaly/fzzy.TTF"};
  auto add = [&](std::string name) {
    for (char& ch : name)
      if (ch == '\\') ch = '/';
    wanted.insert(name);
  };
  for (const std::string& k : ImageKeys()) add(ResourcePath(k));
  for (const std::string& k : SoundKeys()) add(ResourcePath(k));
  for (const std::string& n : FixedVoices()) add(n);
  for (const std::string& n : MusicFiles()) add(n);
  for (const std::string& n : FixedImages()) add(n);
  for (const std::string& n : Portraits()) add(n);
  const fs::path root = fs::path(GetResourceFolder());
  size_t found = 0;
  for (const auto& entry : fs::recursive_directory_iterator(
           root / "Torvaly", fs::directory_options::follow_directory_symlink)) {
    if (!entry.is_regular_file()) continue;
    const std::string rel = entry.path().lexically_relative(root).generic_string();
    EXPECT_TRUE(wanted.count(rel)) << rel << " is in the folder but nothing reads it";
    ++found;
  }
  EXPECT_EQ(found, wanted.size()) << "files the program reads are missing";
}

TEST_F(AssetFolder, IniFilesArePlainAsciiWithOneSection) {
  for (const char* name : {kResourceFile, kCoordinateFile}) {
    std::ifstream f(ResolvePath(name), std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    ASSERT_FALSE(text.empty()) << name;
    for (unsigned char ch : text) EXPECT_TRUE(ch == '\n' || (ch >= 32 && ch < 127)) << name;
    size_t sections = 0;
    for (size_t p = 0; (p = text.find('[', p)) != std::string::npos; ++p) ++sections;
    EXPECT_EQ(sections, 1u) << name;
  }
}

}  // namespace
