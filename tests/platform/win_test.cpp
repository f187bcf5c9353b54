// The Windows services: ini reading with Windows semantics, the application profile, window
// messages (sent at once, posted in order after the call) and window timers on a stepped clock.
#include <algorithm>
#include <cstdlib>
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

struct StringCase {
  const char* name;
  const char* section;
  const char* key;
  const char* def;
  unsigned size;
  const char* expected;
  unsigned result;
};

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
  const StringCase cases[] = {
      {"exact names", "GAME_COORDINATE", "BgX", "", 260, "12", 2},
      {"names in another case", "game_coordinate", "bgx", "", 260, "12", 2},
      {"blanks around key and value", "GAME_COORDINATE", "MePlayerX", "", 260, "640", 3},
      {"a key written twice answers its first value", "GAME_COORDINATE", "BgX", "", 260, "12", 2},
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
  };
  for (const StringCase& c : cases) {
    SCOPED_TRACE(c.name);
    char buffer[260];
    std::memset(buffer, '#', sizeof(buffer));
    const DWORD n =
        GetPrivateProfileStringA(c.section, c.key, c.def, buffer, c.size, "Torvaly\\qzt.ini");
    EXPECT_EQ(n, c.result);
    EXPECT_STREQ(buffer, c.expected);
  }
  char untouched[4] = "abc";
  EXPECT_EQ(GetPrivateProfileStringA("Resource", "Long", "", untouched, 0, "Torvaly\\qzt.ini"), 0u);
  EXPECT_STREQ(untouched, "abc") << "a buffer of size 0 is not written";
}

struct IntCase {
  const char* name;
  const char* key;
  int def;
  int expected;
};

TEST_F(IniTest, IntegersAndTextThatIsNotANumber) {
  const IntCase cases[] = {
      {"a number", "BgX", 5, 12},
      {"text that is not a number", "Broken", 5, 0},
      {"a number followed by text", "Partly", 5, 12},
      {"negative", "Negative", 5, -35},
      {"hexadecimal", "Hex", 5, 31},
      {"empty value gives the default", "Empty", 5, 5},
      {"missing key gives the default", "Missing", 5, 5},
  };
  for (const IntCase& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(static_cast<int>(
                  GetPrivateProfileIntA("GAME_COORDINATE", c.key, c.def, "Torvaly\\qzt.ini")),
              c.expected);
  }
}

TEST_F(IniTest, MissingFileAndFileNames) {
  char buffer[32];
  EXPECT_EQ(GetPrivateProfileStringA("GAME_COORDINATE", "BgX", "none", buffer, sizeof(buffer),
                                     "Torvaly\\missing.ini"),
            4u);
  EXPECT_STREQ(buffer, "none");
  EXPECT_EQ(GetPrivateProfileIntA("GAME_COORDINATE", "BgX", 9, "Torvaly\\missing.ini"), 9u);
  // Windows file names ignore case; so does the lookup when the exact name is not there.
  EXPECT_EQ(GetPrivateProfileIntA("GAME_COORDINATE", "BgX", 0, "TORVALY\\QZT.INI"), 12u);
  EXPECT_EQ(GetPrivateProfileIntA("GAME_COORDINATE", "BgX", 0, dir.File("Torvaly/qzt.ini").c_str()),
            12u);

  // Lists: every section, every key of a section, each terminated, then one more terminator.
  char list[64];
  const DWORD n =
      GetPrivateProfileStringA(nullptr, nullptr, "", list, sizeof(list), "Torvaly\\qzt.ini");
  EXPECT_EQ(std::string(list, n), std::string("GAME_COORDINATE\0Resource\0", 25));
  char small[8];
  EXPECT_EQ(
      GetPrivateProfileStringA("Resource", nullptr, "", small, sizeof(small), "Torvaly\\qzt.ini"),
      6u);
  EXPECT_EQ(small[6], '\0');
  EXPECT_EQ(small[7], '\0');
}

// Lists into every buffer size, as Windows fills them: names cut where the buffer ends, the
// list always closed by two zeros within the buffer, size - 2 returned when cut (a list that
// would end exactly on the last byte counts as cut), and no byte written past the buffer.
TEST(IniListTest, EveryBufferSizeForSectionAndKeyLists) {
  TempDir dir;
  const std::string sections = dir.File("sections.ini");
  const std::string keys = dir.File("keys.ini");
  WriteText(sections, "[ab]\nx=1\n[c]\n[def]\ny=2\n[AB]\nz=3\n");
  WriteText(keys, "[other]\nq=0\n[s]\nab=1\nc=2\nAB=4\ndef=3\n");

  struct Expected {
    DWORD size;
    std::string bytes;  // the buffer up to its size
    DWORD result;
  };
  using namespace std::string_literals;
  const Expected table[] = {
      {1, "\0"s, 0},
      {2, "\0\0"s, 0},
      {3, "a\0\0"s, 1},
      {4, "ab\0\0"s, 2},
      {5, "ab\0\0\0"s, 3},
      {6, "ab\0c\0\0"s, 4},
      {7, "ab\0c\0\0\0"s, 5},
      {8, "ab\0c\0d\0\0"s, 6},
      {9, "ab\0c\0de\0\0"s, 7},
      {10, "ab\0c\0def\0\0"s, 8},
      {11, "ab\0c\0def\0\0"s, 9},
      {12, "ab\0c\0def\0\0"s, 9},
  };
  const size_t kCanary = 16;
  for (const char* section : {static_cast<const char*>(nullptr), "s"}) {
    for (const Expected& e : table) {
      SCOPED_TRACE(std::string(section ? "keys" : "sections") + ", size " +
                   std::to_string(e.size));
      std::vector<char> buffer(e.size + kCanary, '#');
      const DWORD n = GetPrivateProfileStringA(section, nullptr, "dflt", buffer.data(), e.size,
                                               (section ? keys : sections).c_str());
      EXPECT_EQ(n, e.result);
      // Bytes beyond the list's end are the caller's; only the list up to its second zero counts.
      const size_t end = std::min<size_t>(e.bytes.size(), e.size);
      EXPECT_EQ(std::string(buffer.data(), end), e.bytes.substr(0, end));
      EXPECT_EQ(std::string(buffer.data() + e.size, kCanary), std::string(kCanary, '#'))
          << "written past the buffer";
    }
  }
}

TEST(IniListTest, EmptyListsAndNamelessEntries) {
  TempDir dir;
  const std::string file = dir.File("odd.ini");
  // A key before any section and a key without a name are no names to list.
  WriteText(file, "loose=1\n[empty]\n[s]\n=nameless\nk=v\n");
  using namespace std::string_literals;
  struct Case {
    const char* name;
    const char* section;
    const char* path;
    std::string bytes;
    DWORD result;
  };
  const Case cases[] = {
      {"sections", nullptr, file.c_str(), "empty\0s\0\0"s, 8},
      {"keys of a section with a nameless key", "s", file.c_str(), "k\0\0"s, 2},
      {"keys of an empty section", "empty", file.c_str(), "\0\0"s, 0},
      {"keys of a missing section", "none", file.c_str(), "\0\0"s, 0},
      {"sections of a missing file", nullptr, "/nonexistent/x.ini", "\0\0"s, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    char buffer[32];
    std::memset(buffer, '#', sizeof(buffer));
    EXPECT_EQ(GetPrivateProfileStringA(c.section, nullptr, "", buffer, sizeof(buffer), c.path),
              c.result);
    EXPECT_EQ(std::string(buffer, c.bytes.size()), c.bytes);
  }
}

// A line that opens a section and never closes it names no section: the keys after it stay
// where they were, and writing the profile does not rename anything.
TEST(IniListTest, ASectionLeftOpenNamesNoSection) {
  TempDir dir;
  const std::string file = dir.File("open.ini");
  WriteText(file, "[GameOption]\nCardSpace=35\n  [Broken=1\nGameSound=0\n[Other]\nk=v\n");
  char list[64];
  using namespace std::string_literals;
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
}

TEST(ProfileTest, WriteThenRead) {
  TempDir config;
  const char* previous = std::getenv("XDG_CONFIG_HOME");
  const std::string saved = previous ? previous : "";
  setenv("XDG_CONFIG_HOME", config.Path().c_str(), 1);
  CProfile profile;
  EXPECT_EQ(profile.Path(), config.File("torvaly/profile.ini"));

  struct Write {
    const char* key;
    int value;
  };
  const Write writes[] = {
      {"CardSpace", 35}, {"GameSound", 0}, {"DeasilOrder", -1}, {"CardSpace", 29}};
  for (const Write& w : writes) EXPECT_TRUE(profile.WriteProfileInt("GameOption", w.key, w.value));

  struct Read {
    const char* section;
    const char* key;
    int def;
    int expected;
  };
  const Read reads[] = {
      {"GameOption", "CardSpace", 1, 29},   {"GameOption", "GameSound", 1, 0},
      {"gameoption", "deasilorder", 1, -1}, {"GameOption", "GameMusic", 1, 1},
      {"OtherSection", "CardSpace", 7, 7},
  };
  CProfile again;  // a new reader sees what was written
  for (const Read& r : reads) {
    SCOPED_TRACE(r.key);
    EXPECT_EQ(static_cast<int>(again.GetProfileInt(r.section, r.key, r.def)), r.expected);
  }
  EXPECT_TRUE(std::filesystem::exists(config.File("torvaly/profile.ini")));
  if (previous) {
    setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
  } else {
    unsetenv("XDG_CONFIG_HOME");
  }
}

// A window that writes down every message it gets.
class RecordingWnd : public CWnd {
 public:
  explicit RecordingWnd(std::vector<std::pair<RecordingWnd*, UINT>>& log) : m_log(log) {}
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == WM_TIMER) {
      m_timerIds.push_back(static_cast<UINT>(wParam));
      m_timerTimes.push_back(GetTickCount64());
      return 0;
    }
    m_log.emplace_back(this, message);
    if (message == WM_USER + 50 && m_repost) PostMessage(WM_USER + 51);
    return static_cast<LRESULT>(message) + lParam;
  }
  std::vector<UINT> m_timerIds;
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

struct TimerCase {
  const char* name;
  UINT period;
  uint64_t killAt;                // 0: never
  std::vector<uint64_t> firings;  // ms after the start, stepping 50 ms up to 1000
};

TEST(MessageTest, TimersFireAtTheirTimesAndStopWhenKilled) {
  const TimerCase cases[] = {
      {"100 ms", 100, 0, {100, 200, 300, 400, 500, 600, 700, 800, 900, 1000}},
      {"250 ms", 250, 0, {250, 500, 750, 1000}},
      {"killed at 600", 250, 600, {250, 500}},
      {"a period of 0 fires every turn", 0, 200, {50, 100, 150, 200}},
  };
  for (const TimerCase& c : cases) {
    SCOPED_TRACE(c.name);
    CScopedManualClock clock(5000);
    std::vector<std::pair<RecordingWnd*, UINT>> log;
    RecordingWnd wnd(log);
    ASSERT_EQ(wnd.SetTimer(206, c.period), 206u);
    for (uint64_t t = 50; t <= 1000; t += 50) {
      clock.Advance(50);
      if (c.killAt != 0 && t == c.killAt + 50) {
        EXPECT_TRUE(wnd.KillTimer(206));
      }
      CMessageQueue::Instance().Pump();
    }
    std::vector<uint64_t> firings;
    for (uint64_t at : wnd.m_timerTimes) firings.push_back(at - 5000);
    EXPECT_EQ(firings, c.firings);
    EXPECT_FALSE(wnd.KillTimer(999)) << "no such timer";
  }
}

TEST(MessageTest, TimersAreKeptPerWindowAndMergeMissedFirings) {
  CScopedManualClock clock(5000);
  std::vector<std::pair<RecordingWnd*, UINT>> log;
  RecordingWnd a(log), b(log);
  a.SetTimer(1, 100);
  b.SetTimer(1, 300);   // same id, other window: another timer
  clock.Advance(1000);  // the loop was late by ten periods
  CMessageQueue::Instance().Pump();
  EXPECT_EQ(a.m_timerIds.size(), 1u) << "missed firings are merged into one";
  EXPECT_EQ(b.m_timerIds.size(), 1u);
  clock.Advance(100);
  CMessageQueue::Instance().Pump();
  EXPECT_EQ(a.m_timerIds.size(), 2u) << "and the next comes a period later";
  a.SetTimer(1, 500);  // setting a running id restarts it
  clock.Advance(400);
  CMessageQueue::Instance().Pump();
  EXPECT_EQ(a.m_timerIds.size(), 2u);
  clock.Advance(100);
  CMessageQueue::Instance().Pump();
  EXPECT_EQ(a.m_timerIds.size(), 3u);
  EXPECT_TRUE(b.KillTimer(1));
  EXPECT_EQ(CMessageQueue::Instance().ActiveTimers(), 1) << "a's timer 1 is another timer";
  EXPECT_TRUE(a.KillTimer(1));
  EXPECT_EQ(CMessageQueue::Instance().ActiveTimers(), 0);
}

}  // namespace
