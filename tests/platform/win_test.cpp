// The Windows services: ini reading with Windows semantics, the application profile, window
// messages (sent at once, posted in order after the call) and window timers on a stepped clock.
#include <algorithm>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "platform/win/Profile.h"
#include "platform/win/ResourceFolder.h"
#include "platform/win/WinMessage.h"
#include "platform/win/WinTime.h"
#include "platform_test_util.h"

using platform_test::TempDir;
using platform_test::WriteText;
using namespace std::string_literals;

namespace {

const char* const kIni =
    "; layout of the table\n"
    "[GAME_COORDINATE]\n"
    "BgX=12\n"
    "  MePlayerX = 640  \n"
    "Broken=abc\n"
    "Partly=12abc\n"
    "Negative=-35\n"
    "Hex=0x1F\n"
    "Empty=\n"
    "BgX=99\n"
    "[Resource]\n"
    "m_ImageViewBack=Torvaly\\image\\back.png\n"
    "Quoted=\"  spaced  \"\n"
    "Long=abcdefghij\n"
    "[resource]\n"
    "Later=merged\n";

class IniTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteText(dir.File("Torvaly/qzt.ini"), kIni);
    SetResourceFolder(dir.Path());
  }
  void TearDown() override { SetResourceFolder(""); }
  TempDir dir;
};

TEST_F(IniTest, StringsWithWindowsSemantics) {
  const struct {
    const char* name;
    const char* section;
    const char* key;
    const char* def;
    unsigned size;
    const char* expected;
    unsigned result;
    const char* file = "Torvaly\\qzt.ini";
  } cases[] = {
      {"exact names", "GAME_COORDINATE", "BgX", "", 260, "12", 2},
      {"names in another case", "game_coordinate", "bgx", "", 260, "12", 2},
      {"blanks around key and value", "GAME_COORDINATE", "MePlayerX", "", 260, "640", 3},
      {"missing key gives the default", "GAME_COORDINATE", "NoSuchKey", "7", 260, "7", 1},
      {"missing section gives the default", "Nowhere", "BgX", "dflt", 260, "dflt", 4},
      {"null default is empty", "GAME_COORDINATE", "NoSuchKey", nullptr, 260, "", 0},
      {"trailing blanks of the default go", "Nowhere", "k", "abc  ", 260, "abc", 3},
      {"empty value is empty, not the default", "GAME_COORDINATE", "Empty", "x", 260, "", 0},
      {"backslashes kept in values", "Resource", "m_ImageViewBack", "", 260,
       "Torvaly\\image\\back.png", 22},
      {"quotes stripped, inner blanks kept", "Resource", "Quoted", "", 260, "  spaced  ", 10},
      {"cut to the buffer", "Resource", "Long", "", 5, "abcd", 4},
      {"a buffer of one holds the terminator", "Resource", "Long", "", 1, "", 0},
      {"sections of the same name are one", "RESOURCE", "Later", "", 260, "merged", 6},
      {"a missing file gives the default", "Resource", "Long", "none", 260, "none", 4,
       "Torvaly\\missing.ini"},
      // Windows file names ignore case; so does the lookup when the exact name is not there.
      {"the file name in another case", "Resource", "Long", "", 260, "abcdefghij", 10,
       "TORVALY\\QZT.INI"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    char buffer[260];
    std::memset(buffer, '#', sizeof(buffer));
    EXPECT_EQ(GetPrivateProfileStringA(c.section, c.key, c.def, buffer, c.size, c.file), c.result);
    EXPECT_STREQ(buffer, c.expected);
  }
  char untouched[4] = "abc";
  EXPECT_EQ(GetPrivateProfileStringA("Resource", "Long", "", untouched, 0, "Torvaly\\qzt.ini"), 0u);
  EXPECT_STREQ(untouched, "abc") << "a buffer of size 0 is not written";
  EXPECT_EQ(GetPrivateProfileIntA("GAME_COORDINATE", "BgX", 0, dir.File("Torvaly/qzt.ini").c_str()),
            12u)
      << "a full path is read as it is";
}

TEST_F(IniTest, IntegersAndTextThatIsNotANumber) {
  const struct {
    const char* key;
    int def, expected;
  } cases[] = {
      {"BgX", 5, 12}, {"Broken", 5, 0}, {"Partly", 5, 12}, {"Negative", 5, -35},
      {"Hex", 5, 31}, {"Empty", 5, 5},  {"Missing", 5, 5}, {"BgX", 5, 12},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(static_cast<int>(
                  GetPrivateProfileIntA("GAME_COORDINATE", c.key, c.def, "Torvaly\\qzt.ini")),
              c.expected)
        << c.key;
  }
  EXPECT_EQ(GetPrivateProfileIntA("GAME_COORDINATE", "BgX", 9, "Torvaly\\missing.ini"), 9u);
}

// A line that opens a section and never closes it names no section: the keys after it stay
// where they were, and writing the profile does not rename anything.
TEST(IniListTest, ASectionLeftOpenNamesNoSection) {
  TempDir dir;
  const std::string file = dir.File("open.ini");
  WriteText(file, "[GameOption]\nCardSpace=35\n  [Broken=1\nGameSound=0\n[Other]\nk=v\n");
  char list[64];
  EXPECT_EQ(std::string(list, GetPrivateProfileStringA(nullptr, nullptr, "", list, sizeof(list),
                                                       file.c_str())),
            "GameOption\0Other\0"s);
  EXPECT_EQ(GetPrivateProfileIntA("GameOption", "GameSound", 7, file.c_str()), 0u);

  CProfile profile(file);
  for (int i = 0; i < 2; ++i) ASSERT_TRUE(profile.WriteProfileInt("GameOption", "CardSpace", 29));
  EXPECT_EQ(profile.GetProfileInt("GameOption", "CardSpace", 0), 29u);
  EXPECT_EQ(profile.GetProfileInt("GameOption", "GameSound", 7), 0u);
  EXPECT_EQ(profile.GetProfileString("Other", "k"), "v");
  EXPECT_EQ(std::string(list, GetPrivateProfileStringA(nullptr, nullptr, "", list, sizeof(list),
                                                       file.c_str())),
            "GameOption\0Other\0"s);
  // Lists cut by a small buffer end in two zeros and answer size - 2; keys are listed too.
  EXPECT_EQ(
      std::string(list, GetPrivateProfileStringA(nullptr, nullptr, "", list, 8, file.c_str()) + 2),
      "GameOp\0\0"s);
  EXPECT_EQ(
      std::string(list, GetPrivateProfileStringA("Other", nullptr, "", list, 64, file.c_str())),
      "k\0"s);
}

// A window that writes down every message it gets.
class RecordingWnd : public CWnd {
 public:
  explicit RecordingWnd(std::vector<std::pair<RecordingWnd*, UINT>>& log) : m_log(log) {}
  LRESULT WindowProc(UINT message, WPARAM, LPARAM lParam) override {
    if (message == WM_TIMER) {
      m_timerTimes.push_back(GetTickCount64());
      return 0;
    }
    m_log.emplace_back(this, message);
    if (message == WM_USER + 50 && m_repost) PostMessage(WM_USER + 51);
    return static_cast<LRESULT>(message) + lParam;
  }
  std::vector<uint64_t> m_timerTimes;
  bool m_repost = false;

 private:
  std::vector<std::pair<RecordingWnd*, UINT>>& m_log;
};

TEST(MessageTest, SentAtOncePostedInOrderAfterTheCall) {
  CMessageQueue& queue = CMessageQueue::Instance();
  queue.Pump();
  std::vector<std::pair<RecordingWnd*, UINT>> log;
  RecordingWnd dialog(log), view(log);

  EXPECT_EQ(dialog.SendMessage(1725, 1, 1), 1726);
  ASSERT_EQ(log.size(), 1u) << "a sent message is handled before SendMessage returns";

  log.clear();
  EXPECT_TRUE(dialog.PostMessage(211, 211, 29));
  EXPECT_TRUE(view.PostMessage(1737));
  EXPECT_TRUE(dialog.PostMessage(212, 212, 0));
  EXPECT_TRUE(dialog.PostMessage(219));
  EXPECT_TRUE(log.empty()) << "posting returns before anything is handled";
  EXPECT_EQ(queue.PendingMessages(), 4);

  dialog.m_repost = true;
  dialog.PostMessage(WM_USER + 50);
  EXPECT_EQ(queue.Pump(), 5);
  const std::vector<std::pair<RecordingWnd*, UINT>> expected = {
      {&dialog, 211}, {&view, 1737}, {&dialog, 212}, {&dialog, 219}, {&dialog, WM_USER + 50}};
  EXPECT_EQ(log, expected);
  EXPECT_EQ(queue.PendingMessages(), 1) << "posted while delivering: waits for the next turn";
  queue.Pump();
  EXPECT_EQ(log.back(), std::make_pair(&dialog, WM_USER + 51));

  log.clear();
  {
    RecordingWnd gone(log);
    gone.PostMessage(300);
  }
  view.PostMessage(301);
  queue.Pump();
  ASSERT_EQ(log.size(), 1u) << "a deleted window's messages are dropped";
  EXPECT_EQ(log[0].second, 301u);
}

// Timers fire a period after they were set, each window's apart; a late loop gets one firing
// for the missed ones and the next a period later; setting a running id restarts it.
TEST(MessageTest, TimersFireAtTheirTimesAndStopWhenKilled) {
  CScopedManualClock clock(5000);
  std::vector<std::pair<RecordingWnd*, UINT>> log;
  RecordingWnd a(log), b(log), c(log);
  ASSERT_EQ(a.SetTimer(1, 250), 1u);
  b.SetTimer(1, 0);  // same id, other window: another timer; a period of 0 fires every turn
  c.SetTimer(7, 100);
  const uint64_t steps[] = {50, 200, 1000, 100, 250, 250};  // the loop is late at the third
  for (int i = 0; i < 6; ++i) {
    clock.Advance(steps[i]);
    CMessageQueue::Instance().Pump();
    if (i == 3) a.SetTimer(1, 400);  // restarted at 1350
  }
  auto firings = [](const RecordingWnd& w) {
    std::vector<uint64_t> out;
    for (uint64_t at : w.m_timerTimes) out.push_back(at - 5000);
    return out;
  };
  EXPECT_EQ(firings(a), (std::vector<uint64_t>{250, 1250, 1850}));
  EXPECT_EQ(firings(b), (std::vector<uint64_t>{50, 250, 1250, 1350, 1600, 1850}));
  EXPECT_EQ(firings(c), (std::vector<uint64_t>{250, 1250, 1350, 1600, 1850}));
  EXPECT_TRUE(b.KillTimer(1));
  EXPECT_FALSE(b.KillTimer(1)) << "no such timer any more";
  EXPECT_EQ(CMessageQueue::Instance().ActiveTimers(), 2) << "a's timer 1 is another timer";
  clock.Advance(1000);
  CMessageQueue::Instance().Pump();
  EXPECT_EQ(firings(b).size(), 6u) << "a killed timer fires no more";
  EXPECT_TRUE(a.KillTimer(1));
  EXPECT_TRUE(c.KillTimer(7));
}

}  // namespace
