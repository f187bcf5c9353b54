// The resource folder Torvaly/ against what the program reads from it, as tables: every file
// and the shape it is cut into, every coordinate key with what is drawn there, the end panel's
// numbers clear of the table, every sound's format, length, level and loop, and no other file.
// The build places the folder beside this executable.
#include <SDL.h>
#include <SDL_image.h>
#include <gtest/gtest.h>

#include <algorithm>
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

constexpr const char* kResourceFile = "Torvaly\\ResourcePath.ini";
constexpr const char* kCoordinateFile = "Torvaly\\qzt.ini";
constexpr int kCanvasW = 1280, kCanvasH = 720, kSampleRate = 32000;

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
  GetPrivateProfileStringA("GAME_COORDINATE", key.c_str(), "", buf, sizeof buf, kCoordinateFile);
  char* end = nullptr;
  const long v = std::strtol(buf, &end, 10);
  if (buf[0] == '\0' || *end != '\0') return false;
  *value = static_cast<int>(v);
  return true;
}
std::pair<int, int> Point(const std::string& stem) {
  int x = -1, y = -1;
  EXPECT_TRUE(ReadCoordinate(stem + "X", &x) && ReadCoordinate(stem + "Y", &y)) << stem;
  return {x, y};
}

// How the program cuts a picture: kPlain a whole sprite; kGrid frames of (w / cols) x
// (h / rows), the first `used` cells drawn and the rest empty; kDigits equal cells each with a
// glyph clear of its edge columns; kButtons four equal states; kIcon four square states;
// kCards 13 x 5 cards, row 4 holding the jokers and the back; kPortrait drawn at 0.96 x 0.97
// inside the portrait frame.
enum Kind { kPlain, kGrid, kDigits, kButtons, kIcon, kCards, kPortrait };
struct tagPicture {
  std::string file;  // a resource key, or a file name with a backslash
  Kind kind;
  int cols, rows, used;
};

std::string FileOf(const std::string& name) {
  return name.find('\\') == std::string::npos ? ResourcePath(name) : name;
}

const std::vector<tagPicture>& Pictures() {
  static const std::vector<tagPicture> pictures = [] {
    std::vector<tagPicture> p;
    for (const char* key :
         {"m_ImageViewBack", "m_pImageViewBox0", "m_pImageViewBox1", "m_pImageViewBox2",
          "m_pGoldBg", "m_pReady", "m_pImageBuchu", "m_pPlayerLeftNumBg", "m_pImageNumBack",
          "m_pTopView", "m_pBeiShu", "m_pBei", "m_pFaceBg", "m_pImageLandFace", "m_pWaitTip",
          "m_pImgLeftText", "m_pGameSetting"})
      p.push_back({key, kPlain, 1, 1, 1});
    for (const char* name : {"end_box", "end_win_ani", "end_lost_ani", "win_title", "lost_title"})
      p.push_back({std::string("Torvaly\\gameEnd\\") + name + ".png", kPlain, 1, 1, 1});
    const tagPicture grids[] = {
        {"m_pAniRocket", kGrid, 4, 1, 4},     {"m_pAniRocket2", kGrid, 3, 3, 9},
        {"m_pAniFlash", kGrid, 5, 5, 20},     {"m_AniAutoPlay", kGrid, 3, 1, 3},
        {"m_AniAlart", kGrid, 4, 1, 4},       {"m_pAniShunZi", kGrid, 3, 6, 15},
        {"m_pAniLianDui", kGrid, 3, 6, 18},   {"spring", kGrid, 5, 3, 15},
        {"bigSpring", kGrid, 5, 3, 15},       {"haoSpring", kGrid, 5, 3, 15},
        {"m_pPokerMiddle", kCards, 13, 5, 55}};
    p.insert(p.end(), std::begin(grids), std::end(grids));
    for (const char* key : {"m_pTimeNumber", "m_pPlayerLeftNum", "m_pNumber"})
      p.push_back({key, kDigits, 10, 1, 10});
    for (const char* name : {"win_number", "lost_number", "win_box_number", "lost_box_number"})
      p.push_back({std::string("Torvaly\\gameEnd\\") + name + ".png", kDigits, 11, 1, 11});
    for (const char* key :
         {"m_btOutCard", "m_btAutoOutCard", "m_btPassCard", "m_btAutoPlayOn", "m_btSortCard",
          "m_btTurn", "m_pbtDetails", "m_btAutoPlayOff", "m_btChildStart", "m_pbtChangeTable",
          "Torvaly\\gameOption\\buttonOk.png", "Torvaly\\gameOption\\buttonCancle.png"})
      p.push_back({key, kButtons, 4, 1, 4});
    for (const char* name : {"options", "sound_on", "sound_off"})
      p.push_back({std::string("Torvaly\\frame\\") + name + ".png", kIcon, 4, 1, 4});
    for (int gender = 1; gender <= 2; ++gender)
      for (int face = 1; face <= 6; ++face)
        p.push_back({"Torvaly\\people\\" + std::to_string(gender * 10 + face) + "\\10.png",
                     kPortrait, 1, 1, 1});
    return p;
  }();
  return pictures;
}

// Sounds: the keys, the fixed voices and the music; the shortest and longest they may be.
struct tagSound {
  std::string file;
  double minSeconds, maxSeconds;
};
const std::vector<tagSound>& Sounds() {
  static const std::vector<tagSound> sounds = [] {
    std::vector<tagSound> s;
    for (const char* key :
         {"sndClock", "m_hSoundHit", "sndBtn", "sndAlarm", "m_sndLiandui", "m_sndBomb", "out35",
          "rocketSound", "gamestartsound", "MOST_CARD", "Pass_Boy", "Pass_Girl", "GoodEnd", "Cheer",
          "BadEnd", "sndDispatch", "sndManStart", "sndWomanStart"})
      s.push_back({key, 0.03, 3.5});
    for (const std::string g : {"MALE", "FEMALE"}) {
      for (int v = 1; v <= 15; ++v) s.push_back({g + "_" + std::to_string(v), 0.15, 2.0});
      for (int v = 1; v <= 13; ++v) s.push_back({g + "_DB_" + std::to_string(v), 0.15, 2.0});
      s.push_back({g + "_LINE", 0.15, 2.0});
      s.push_back({g + "_DB_LINE", 0.15, 2.0});
    }
    s.push_back({"shunzi", 0.15, 2.0});
    for (const char* music : {"Back_1", "Back_2"}) s.push_back({music, 33.0, 60.0});
    for (tagSound& sound : s)
      sound.file = ResourcePath(sound.file).empty() ? "Torvaly\\sound\\" + sound.file + ".wav"
                                                    : ResourcePath(sound.file);
    return s;
  }();
  return sounds;
}

// A picture's alpha, read with SDL2_image.
struct Pixels {
  explicit Pixels(const std::string& name) {
    if (SDL_Surface* raw = IMG_Load(ResolvePath(name.c_str()).c_str())) {
      surface = SDL_ConvertSurfaceFormat(raw, SDL_PIXELFORMAT_ABGR8888, 0);
      SDL_FreeSurface(raw);
    }
  }
  ~Pixels() { SDL_FreeSurface(surface); }
  Pixels(const Pixels&) = delete;
  Pixels& operator=(const Pixels&) = delete;
  int W() const { return surface ? surface->w : 0; }
  int H() const { return surface ? surface->h : 0; }
  // Pixels of the rectangle more opaque than the threshold.
  int Ink(int x0, int y0, int w, int h, int threshold = 128) const {
    int n = 0;
    for (int y = y0; y < y0 + h; ++y)
      for (int x = x0; x < x0 + w; ++x)
        n += static_cast<const uint8_t*>(surface->pixels)[y * surface->pitch + x * 4 + 3] >
             threshold;
    return n;
  }
  SDL_Surface* surface = nullptr;
};

TEST_F(AssetFolder, EveryPictureLoadsAndHasTheShapeItIsCutInto) {
  testsupport::HeadlessEngine hge;
  ASSERT_TRUE(hge.Ok());
  Pixels frame(ResourcePath("m_pFaceBg"));
  for (const tagPicture& p : Pictures()) {
    const std::string file = FileOf(p.file);
    SCOPED_TRACE(p.file + " = " + file);
    ASSERT_EQ(file.rfind("Torvaly\\", 0), 0u);
    EXPECT_EQ(file.find('/'), std::string::npos);
    const HTEXTURE tex = hge->Texture_Load(file.c_str());
    ASSERT_NE(tex, 0u);
    hge->Texture_Free(tex);
    Pixels px(file);
    ASSERT_NE(px.surface, nullptr);
    ASSERT_EQ(px.W() % p.cols, 0);
    ASSERT_EQ(px.H() % p.rows, 0);
    const int w = px.W() / p.cols, h = px.H() / p.rows;
    for (int cell = 0; cell < p.cols * p.rows; ++cell) {
      const int x = cell % p.cols * w, y = cell / p.cols * h;
      switch (p.kind) {
        case kGrid:  // the last frames may be fading out
          EXPECT_EQ(px.Ink(x, y, w, h, 8) > 0, cell < p.used) << "cell " << cell;
          break;
        case kCards:  // upright; row 4: small joker, big joker, back
          EXPECT_GT(h, w);
          if (cell / 13 < 4 || cell % 13 < 3)
            EXPECT_GT(px.Ink(x, y, w, h), w * h * 9 / 10) << "card " << cell;
          else
            EXPECT_EQ(px.Ink(x, y, w, h), 0) << "cell " << cell;
          break;
        case kDigits:
          EXPECT_GT(px.Ink(x, 0, w, h), 0) << "cell " << cell;
          EXPECT_EQ(px.Ink(x, 0, 1, h), 0) << "cell " << cell << " leaves its cell";
          break;
        case kIcon:
          EXPECT_EQ(w, h);
          [[fallthrough]];
        case kButtons:
          EXPECT_GT(px.Ink(x, 0, w, h), w * h / 2) << "state " << cell;
          break;
        case kPortrait:
          EXPECT_LE(px.W() * 0.96, frame.W());
          EXPECT_LE(px.H() * 0.97, frame.H());
          EXPECT_GT(px.Ink(0, 0, w, h), w * h * 9 / 10);
          break;
        case kPlain:
          break;
      }
    }
  }
}

TEST_F(AssetFolder, EverySoundIsSixteenBitPcmAtOneRateTrimmedLevelAndLoadsAsAnEffect) {
  testsupport::HeadlessEngine hge(320, 240, true);
  ASSERT_TRUE(hge.Ok());
  for (const tagSound& s : Sounds()) {
    SCOPED_TRACE(s.file);
    EXPECT_EQ(s.file.rfind("Torvaly\\sound\\", 0), 0u);
    const HEFFECT effect = hge->Effect_Load(s.file.c_str());
    EXPECT_NE(effect, 0u);
    hge->Effect_Free(effect);
    std::ifstream f(ResolvePath(s.file.c_str()), std::ios::binary);
    const std::string b((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    ASSERT_TRUE(b.size() >= 12 && b.compare(0, 4, "RIFF") == 0 && b.compare(8, 4, "WAVE") == 0);
    auto u = [&](size_t at, int bytes) {
      uint32_t v = 0;
      std::memcpy(&v, b.data() + at, bytes);
      return v;
    };
    uint32_t format = 0, channels = 0, rate = 0, bits = 0;
    std::vector<int16_t> samples;  // interleaved
    for (size_t at = 12; at + 8 <= b.size(); at += 8 + u(at + 4, 4) + (u(at + 4, 4) & 1)) {
      const uint32_t size = u(at + 4, 4);
      ASSERT_LE(at + 8 + size, b.size());
      if (b.compare(at, 4, "fmt ") == 0) {
        format = u(at + 8, 2), channels = u(at + 10, 2), rate = u(at + 12, 4), bits = u(at + 22, 2);
      } else if (b.compare(at, 4, "data") == 0) {
        samples.resize(size / 2);
        std::memcpy(samples.data(), b.data() + at + 8, samples.size() * 2);
      }
    }
    ASSERT_EQ(format, 1u);
    ASSERT_EQ(bits, 16u);
    EXPECT_EQ(rate, static_cast<uint32_t>(kSampleRate));
    ASSERT_TRUE(channels == 1 || channels == 2);
    ASSERT_FALSE(samples.empty());
    const double seconds = static_cast<double>(samples.size()) / channels / rate;
    EXPECT_GE(seconds, s.minSeconds);
    EXPECT_LE(seconds, s.maxSeconds);
    // No clipping (a ceiling under full scale), never near-silent, and all near one loudness
    // (a pure tone at that loudness peaks only 3 dB above it).
    auto db = [](double amplitude) {
      return 20.0 * std::log10(std::max(amplitude, 1e-9) / 32768.0);
    };
    auto loudest = [&](size_t from, size_t to) {
      int m = 0;
      for (size_t i = from; i < to && i < samples.size(); ++i)
        m = std::max(m, std::abs(samples[i] + 0));
      return m;
    };
    double power = 0;
    for (int16_t v : samples) power += static_cast<double>(v) * v;
    const double peak = db(loudest(0, samples.size())), rms = db(std::sqrt(power / samples.size()));
    EXPECT_TRUE(peak <= -0.5 && peak >= -16.0) << "peak " << peak << " dB";
    EXPECT_TRUE(rms >= -30.0 && rms <= -12.0) << "loudness " << rms << " dB";
    if (s.minSeconds < 33.0) {
      // Trimmed: sound within the first and the last 60 ms (or half of a shorter file).
      const size_t edge = std::min(static_cast<size_t>(0.06 * rate) * channels, samples.size() / 2);
      EXPECT_GE(db(loudest(0, edge)), -40.0) << "starts with silence";
      EXPECT_GE(db(loudest(samples.size() - edge, samples.size())), -60.0) << "ends with silence";
    } else {
      // Background tracks restart from their beginning: the last sample flows into the first.
      const size_t frames = samples.size() / channels;
      for (size_t c = 0; c < channels; ++c) {
        int largestStep = 0;
        for (size_t i = 1; i < frames; ++i)
          largestStep = std::max(
              largestStep, std::abs(samples[i * channels + c] - samples[(i - 1) * channels + c]));
        EXPECT_LE(std::abs(samples[c] - samples[(frames - 1) * channels + c]), largestStep);
      }
    }
  }
}

// Every coordinate key (the table's 110 and the end panel's 48) is a number inside the canvas,
// and each picture drawn at its point lies wholly on the canvas.
TEST_F(AssetFolder, EveryCoordinateKeyIsInsideTheCanvasWithWhatIsDrawnThere) {
  std::vector<std::pair<std::string, std::string>> keys = {
      // stem, picture drawn there
      {"Bg", "m_ImageViewBack"},
      {"MePlayerGoldBg", "m_pGoldBg"},
      {"MePlayerGold", ""},
      {"BeishuBg", "m_pTopView"},
      {"BeishuTxt", "m_pBeiShu"},
      {"BeishuNum", ""},
      {"BeiTxt", "m_pBei"},
      {"LeftCountTxt", "m_pImgLeftText"},
      {"LeftCount", ""},
      {"EndBgAni", ""},
      {"Title", "Torvaly\\gameEnd\\win_title.png"},
      {"EndInfoBg", "Torvaly\\gameEnd\\end_box.png"}};
  const char* const seats[] = {"Right", "Me", "Left"};
  for (int i = 0; i < 3; ++i) {
    const std::string s = seats[i];
    for (const auto& [thing, picture] : std::vector<std::pair<const char*, std::string>>{
             {"PlayerBg", "m_pFaceBg"},
             {"Player", ""},
             {"PlayerName", ""},
             {"BoxBg", "m_pImageViewBox" + std::to_string(i)},
             {"Ready", "m_pReady"},
             {"Pass", "m_pImageBuchu"},
             {"PlayerHandCard", ""},
             {"PlayerOutCard", ""},
             {"PlayerTimeBg", "m_pImageNumBack"},
             {"PlayerTimeNum", ""},
             {"AutoAndAlart", ""}})
      keys.push_back({s + thing, picture});
  }
  for (const char* s : {"Right", "Left"}) {
    keys.push_back({std::string(s) + "PlayerLeftCardBg", "m_pPlayerLeftNumBg"});
    keys.push_back({std::string(s) + "PlayerLeftCard", ""});
  }
  // Buttons: one state is a quarter of the strip (the 4 marks it).
  for (const auto& [stem, key] : {std::pair{"BtChangeTable", "m_pbtChangeTable"},
                                  {"BtReady", "m_btChildStart"},
                                  {"BtPass", "m_btPassCard"},
                                  {"BtTip", "m_btAutoOutCard"},
                                  {"BtOutCard", "m_btOutCard"},
                                  {"BtDetails", "m_pbtDetails"},
                                  {"BtAuto", "m_btAutoPlayOff"},
                                  {"BtSort", "m_btSortCard"},
                                  {"BtLast", "m_btTurn"}})
    keys.push_back({stem, std::string("4") + key});
  for (const char* thing :
       {"EndPlayer%dName", "EndPersonalMultiple%d", "EndLeftCard%d", "EndGold%d"})
    for (int r = 1; r <= 3; ++r) {
      char buf[64];
      std::snprintf(buf, sizeof buf, thing, r);
      keys.push_back({buf, ""});
    }
  for (const char* one :
       {"EndPublicMultiple", "EndBobmNum", "EndRocketNum", "EndHaoSpring", "EndSpring",
        "EndFanSpring", "EndBigRightGold", "EndBigMeGold", "EndBigLeftGold"})
    keys.push_back({one, ""});
  EXPECT_EQ(keys.size() * 2, 110u + 48u);
  for (const auto& [stem, picture] : keys) {
    const auto [x, y] = Point(stem);
    EXPECT_TRUE(x >= 0 && x <= kCanvasW && y >= 0 && y <= kCanvasH) << stem;
    if (picture.empty()) continue;
    const bool button = picture[0] == '4';
    Pixels px(FileOf(button ? picture.substr(1) : picture));
    EXPECT_LE(x + px.W() / (button ? 4 : 1), kCanvasW) << stem;
    EXPECT_LE(y + px.H(), kCanvasH) << stem;
  }
  // The side seats' gold plates hang 112 pixels under their frames; the local hand of 27 cards
  // (step 40, raised 20) hangs from its top centre: both stay on the canvas.
  Pixels gold(ResourcePath("m_pGoldBg")), sheet(ResourcePath("m_pPokerMiddle"));
  for (const char* s : {"Right", "Left"}) {
    const auto [x, y] = Point(std::string(s) + "PlayerBg");
    EXPECT_TRUE(x + gold.W() <= kCanvasW && y + 112 + gold.H() <= kCanvasH) << s;
  }
  const auto [hx, hy] = Point("MePlayerHandCard");
  const int handW = 26 * 40 + sheet.W() / 13;
  EXPECT_TRUE(hx - handW / 2 >= 0 && hx + handW / 2 <= kCanvasW &&
              hy + sheet.H() / 5 + 20 <= kCanvasH);
}

// After a game the table still shows the side seats' last plays, the bots' ready marks, the
// side hands open in their columns and, for a moment, the local play (cards 100 x 136 at 0.6,
// spacing 35 for plays of up to 11; columns at 0.55): the panel's numbers clear all of them,
// each other and the title, and the rows and marks clear each other.
TEST_F(AssetFolder, EndPanelNumbersClearWhatTheTableStillShows) {
  struct Box {
    std::string what;
    int left, top, right, bottom;  // right and bottom exclusive
  };
  Pixels digits("Torvaly\\gameEnd\\win_number.png"), sheet(ResourcePath("m_pPokerMiddle"));
  Pixels title("Torvaly\\gameEnd\\win_title.png");
  const int w = digits.W() / 11, h = digits.H();
  const int rowW = static_cast<int>(sheet.W() / 13 * 0.6f) + 10 * static_cast<int>(35 * 0.6f);
  const int rowH = static_cast<int>(sheet.H() / 5 * 0.6f) + 1;
  const int columnW = static_cast<int>(sheet.W() / 13 * 0.55f) + 1;
  std::vector<Box> numbers, table;
  for (const std::string s : {"Right", "Me", "Left"}) {
    const auto [x, y] = Point("EndBig" + s + "Gold");  // five digits and the sign
    numbers.push_back({s + " number", x - 5 * w / 2, y, x + 5 * w / 2 + w, y + h});
    const auto [px, py] = Point(s + "PlayerOutCard");
    const int left = s == "Right" ? px - rowW : s == "Left" ? px : px - rowW / 2;
    table.push_back({s + " play", left, py, left + rowW, py + rowH});
    if (s == "Me") continue;
    const auto [cx, cy] = Point(s + "PlayerHandCard");
    const int column = s == "Right" ? cx - columnW : cx;
    table.push_back({s + " open hand", column, 0, column + columnW, kCanvasH});
    const auto [bx, by] = Point(s + "BoxBg");
    Pixels box(ResourcePath(s == "Right" ? "m_pImageViewBox0" : "m_pImageViewBox2"));
    table.push_back({s + " ready mark", bx, by, bx + box.W(), by + box.H()});
  }
  auto overlap = [](const Box& a, const Box& b) {
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
  };
  const auto [tx, ty] = Point("Title");
  std::vector<Box> all = numbers;
  all.insert(all.end(), table.begin(), table.end());
  all.push_back({"title", tx, ty, tx + title.W(), ty + title.H()});
  for (size_t i = 0; i < all.size(); ++i) {
    const bool number = i < numbers.size();
    EXPECT_TRUE(!number || (all[i].left >= 0 && all[i].right <= kCanvasW)) << all[i].what;
    for (size_t j = i + 1; j < all.size() - (number ? 0 : 1); ++j)
      EXPECT_FALSE(overlap(all[i], all[j])) << all[i].what << " / " << all[j].what;
  }
}

TEST_F(AssetFolder, EveryFileIsOneTheProgramAsksForAndTheIniFilesArePlainAscii) {
  std::set<std::string> wanted = {"Torvaly/ResourcePath.ini", "Torvaly/qzt.ini",
                                  "Torvaly/fzzy.TTF"};
  auto add = [&](std::string name) {
    for (char& ch : name)
      if (ch == '\\') ch = '/';
    wanted.insert(name);
  };
  for (const tagPicture& p : Pictures()) add(FileOf(p.file));
  for (const tagSound& s : Sounds()) add(s.file);
  const std::filesystem::path root = std::filesystem::path(GetResourceFolder());
  size_t found = 0;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(
           root / "Torvaly", std::filesystem::directory_options::follow_directory_symlink)) {
    if (!entry.is_regular_file()) continue;
    const std::string rel = entry.path().lexically_relative(root).generic_string();
    EXPECT_TRUE(wanted.count(rel)) << rel << " is in the folder but nothing reads it";
    ++found;
  }
  EXPECT_EQ(found, wanted.size()) << "files the program reads are missing";
  for (const char* name : {kResourceFile, kCoordinateFile}) {
    std::ifstream f(ResolvePath(name), std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    ASSERT_FALSE(text.empty()) << name;
    for (unsigned char ch : text) EXPECT_TRUE(ch == '\n' || (ch >= 32 && ch < 127)) << name;
    EXPECT_EQ(std::count(text.begin(), text.end(), '['), 1) << name << ": one section";
  }
}

}  // namespace
