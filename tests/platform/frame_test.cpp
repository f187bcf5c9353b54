// The lobby frame, headless: countdown clocks and window timers fire at the right simulated
// times through the application loop and stop when killed.
#include <string>
#include <vector>

#include "platform_test_util.h"
#include "test_frame.h"

using platform_test::TestApp;
using platform_test::Tick;

namespace {

struct Action {
  uint64_t atMs;
  enum Kind { StartClock, KillClock, StartWindowTimer, KillWindowTimer } kind;
  WORD chair;
  UINT id;
  UINT amount;  // seconds of a clock, period of a window timer
};

struct ClockCase {
  const char* name;
  std::vector<Action> actions;
  std::vector<Tick> ticks;                                  // up to 5 s
  std::vector<std::pair<uint64_t, UINT_PTR>> windowTimers;  // up to 5 s
};

TEST(FrameClocks, FireAtSimulatedTimesAndStopWhenKilled) {
  const ClockCase cases[] = {
      {"three seconds on chair 2",
       {{0, Action::StartClock, 2, 200, 3}},
       {{1000, 2, 2, 200}, {2000, 2, 1, 200}, {3000, 2, 0, 200}},
       {}},
      {"killed after the first tick",
       {{0, Action::StartClock, 0, 202, 30}, {1500, Action::KillClock, 0, 202, 0}},
       {{1000, 0, 29, 202}},
       {}},
      {"the turn clock moves to the next chair",
       {{0, Action::StartClock, 0, 200, 15}, {1500, Action::StartClock, 1, 200, 15}},
       {{1000, 0, 14, 200}, {2500, 1, 14, 200}, {3500, 1, 13, 200}, {4500, 1, 12, 200}},
       {}},
      {"two clocks, then all killed",
       {{0, Action::StartClock, 0, 200, 5},
        {500, Action::StartClock, 1, 203, 5},
        {2200, Action::KillClock, 0, 0, 0}},
       {{1000, 0, 4, 200}, {1500, 1, 4, 203}, {2000, 0, 3, 200}},
       {}},
      {"a clock of no seconds ticks 0 at once",
       {{300, Action::StartClock, 2, 202, 0}},
       {{300, 2, 0, 202}},
       {}},
      {"window timers of the dialog",
       {{0, Action::StartWindowTimer, 0, 206, 1000},
        {200, Action::StartWindowTimer, 0, 204, 120},
        {700, Action::KillWindowTimer, 0, 204, 0},
        {2500, Action::KillWindowTimer, 0, 206, 0}},
       {},
       {{400, 204}, {500, 204}, {600, 204}, {1000, 206}, {2000, 206}}},
  };
  for (const ClockCase& c : cases) {
    SCOPED_TRACE(c.name);
    CScopedManualClock clock(20000);
    TestApp app;
    const char* argv[] = {"frame_test", "--headless", "--width", "640", "--height", "360"};
    ASSERT_TRUE(app.InitInstance(6, argv));
    platform_test::TestDlg& dlg = *app.Dialog();
    CLoopbackLink* link = app.GetLoopbackLink();
    ASSERT_NE(link, nullptr);
    link->DeliverSelf(1, false, false);
    for (WORD chair = 0; chair < 3; ++chair) {
      tagUserData user{};
      SetUserName(user, "player");
      link->DeliverUserEnter(user, chair);
    }
    ASSERT_TRUE(app.RunFrame());
    dlg.startMs = GetTickCount64();

    size_t next = 0;
    for (uint64_t t = 0; t <= 5000; t += 100) {
      if (t > 0) clock.Advance(100);
      for (; next < c.actions.size() && c.actions[next].atMs == t; ++next) {
        const Action& a = c.actions[next];
        switch (a.kind) {
          case Action::StartClock:
            EXPECT_TRUE(dlg.SetGameTimer(a.chair, a.id, a.amount));
            break;
          case Action::KillClock:
            EXPECT_TRUE(dlg.KillGameTimer(a.id));
            break;
          case Action::StartWindowTimer:
            EXPECT_EQ(dlg.SetTimer(a.id, a.amount), a.id);
            break;
          case Action::KillWindowTimer:
            EXPECT_TRUE(dlg.KillTimer(a.id));
            break;
        }
      }
      ASSERT_TRUE(app.RunFrame());
    }
    EXPECT_EQ(dlg.ticks, c.ticks);
    EXPECT_EQ(dlg.windowTimers, c.windowTimers);
    // While a clock runs the view shows what it has left; after its last tick, nothing.
    for (size_t i = 0; i < dlg.ticks.size(); ++i)
      EXPECT_EQ(dlg.shownSeconds[i], dlg.ticks[i].secondsLeft);
    for (WORD seat = 0; seat < 3; ++seat) {
      const WORD chair = dlg.SwitchChairID(seat);
      EXPECT_EQ(dlg.GetView().GetUserTimer(seat), dlg.GetGameTimerSeconds(chair));
    }
    EXPECT_EQ(dlg.View().renders, 52) << "one render per frame";
    app.ExitInstance();
  }
}

}  // namespace
