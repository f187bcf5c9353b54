// The lobby frame's loop, headless in virtual time: countdown clocks tick at their simulated
// times and stop when killed (frames drawn only on demand); a frame is drawn only when
// something arrived, a redraw was asked for or the view moves; the loop may sleep exactly until the
// next thing due; a close of the dialog's own seats the player again where the link offers it.
#include <memory>

#include "platform_test_util.h"
#include "test_frame.h"

using platform_test::TestApp;
using platform_test::TestDlg;
using platform_test::Tick;

namespace {

// A loopback link with a time of its own (a message arrives then, as a bot's move would) and
// a lobby that seats the player again.
class TimedLink : public CLoopbackLink {
 public:
  uint64_t NextEventMs() override { return Pending() > 0 ? 0 : deadline; }
  void Poll(ILinkSink& sink) override {
    if (GetTickCount64() >= deadline) {
      deadline = UINT64_MAX;
      DeliverGameMessage(103, nullptr, 0);
    }
    CLoopbackLink::Poll(sink);
  }
  bool RejoinTable() override {
    ++rejoins;
    return offersRejoin;
  }
  uint64_t deadline = UINT64_MAX;
  bool offersRejoin = true;
  int rejoins = 0;
};

struct Loop {
  explicit Loop(bool offersRejoin = true) {
    auto owned = std::make_unique<TimedLink>();
    link = owned.get();
    link->offersRejoin = offersRejoin;
    app.SetTableLink(std::move(owned));
    const char* argv[] = {"frame_loop_test", "--headless", "--width", "640", "--height", "360"};
    EXPECT_TRUE(app.InitInstance(6, argv));
    EXPECT_TRUE(app.Turn()) << "the first frame";
    EXPECT_EQ(Renders(), 1);
  }
  ~Loop() { app.ExitInstance(); }
  TestDlg& Dlg() { return *app.Dialog(); }
  int Renders() { return Dlg().View().renders; }
  // Sleeps as the loop would (the clock moves instead), then takes a turn.
  bool SleepAndTurn() {
    clock.Advance(static_cast<uint64_t>(app.MsUntilDue()));
    return app.Turn();
  }

  CScopedManualClock clock{50000};
  TestApp app;
  TimedLink* link = nullptr;
};

TEST(FrameClocks, TickAtSimulatedTimesAndStopWhenKilled) {
  struct Action {
    uint64_t atMs;
    bool start;  // else kill
    WORD chair;
    UINT id;
    UINT seconds = 0;
  };
  const struct {
    const char* name;
    std::vector<Action> actions;
    std::vector<Tick> ticks;  // up to 5 s
  } cases[] = {
      {"three seconds on chair 2",
       {{0, true, 2, 200, 3}},
       {{1000, 2, 2, 200}, {2000, 2, 1, 200}, {3000, 2, 0, 200}}},
      {"killed after the first tick",
       {{0, true, 0, 202, 30}, {1500, false, 0, 202}},
       {{1000, 0, 29, 202}}},
      {"the turn clock moves to the next chair",
       {{0, true, 0, 200, 15}, {1500, true, 1, 200, 15}},
       {{1000, 0, 14, 200}, {2500, 1, 14, 200}, {3500, 1, 13, 200}, {4500, 1, 12, 200}}},
      {"two clocks, then all killed",
       {{0, true, 0, 200, 5}, {500, true, 1, 203, 5}, {2200, false, 0, 0}},
       {{1000, 0, 4, 200}, {1500, 1, 4, 203}, {2000, 0, 3, 200}}},
      {"a clock of no seconds ticks 0 at once", {{300, true, 2, 202, 0}}, {{300, 2, 0, 202}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Loop l;
    l.app.SetDrawOnDemand(true);  // as headless: the frames move the table on, drawing nothing
    l.link->DeliverSelf(1, false, false);  // seats differ from chairs
    ASSERT_TRUE(l.app.RunFrame());
    TestDlg& dlg = l.Dlg();
    dlg.startMs = GetTickCount64();
    size_t next = 0;
    for (uint64_t t = 0; t <= 5000; t += 100) {
      if (t > 0) l.clock.Advance(100);
      for (; next < c.actions.size() && c.actions[next].atMs == t; ++next) {
        const Action& a = c.actions[next];
        EXPECT_TRUE(a.start ? dlg.SetGameTimer(a.chair, a.id, a.seconds) : dlg.KillGameTimer(a.id));
      }
      ASSERT_TRUE(l.app.RunFrame());
    }
    EXPECT_EQ(dlg.ticks, c.ticks);
    EXPECT_NEAR(dlg.View().elapsedTotal, 5.0f, 0.01f);
    EXPECT_TRUE(l.Renders() == 1 && l.app.DrawPicture() && l.Renders() == 2) << "on demand";
    // While a clock runs the view shows what it has left; after its last tick, nothing.
    for (size_t i = 0; i < dlg.ticks.size(); ++i)
      EXPECT_EQ(dlg.shownSeconds[i], dlg.ticks[i].secondsLeft);
  }
}

TEST(FrameLoop, DrawsOnlyWhenSomethingHappened) {
  const struct {
    const char* name;
    void (*cause)(Loop&);
    int64_t sleep;    // what the loop may sleep once the cause is in place
    int renders;      // after it
    int thenRenders;  // after the next sleep: timers and clocks come back
  } cases[] = {
      {"nothing", [](Loop&) {}, CBrisvaneApp::MAX_SLEEP_MS, 1, 1},
      {"a redraw request", [](Loop& l) { l.Dlg().GetView().UpdateGameView(nullptr); }, 0, 2, 2},
      {"a posted window message", [](Loop& l) { l.Dlg().PostMessage(WM_USER + 5); }, 0, 2, 2},
      {"a window timer", [](Loop& l) { l.Dlg().SetTimer(204, 300); }, 300, 2, 3},
      {"a countdown clock", [](Loop& l) { l.Dlg().SetGameTimer(2, 200, 15), l.clock.Advance(250); },
       750, 2, 3},
      {"a link event", [](Loop& l) { l.link->DeliverGameMessage(104, nullptr, 0); }, 0, 2, 2},
      {"the link's time", [](Loop& l) { l.link->deadline = GetTickCount64() + 640; }, 640, 2, 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Loop l;
    l.clock.Advance(100);
    ASSERT_TRUE(l.app.Turn());
    EXPECT_EQ(l.Renders(), 1) << "a still table draws nothing";
    c.cause(l);
    EXPECT_EQ(l.app.MsUntilDue(), c.sleep);
    ASSERT_TRUE(l.SleepAndTurn());
    EXPECT_EQ(l.Renders(), c.renders);
    ASSERT_TRUE(l.SleepAndTurn());
    EXPECT_EQ(l.Renders(), c.thenRenders);
  }
}

TEST(FrameLoop, TheViewSaysWhenItsNextFrameIsDue) {
  const struct {
    const char* name;
    bool moving;
    int64_t viewDue;  // the view's answer after each frame while it does not move
    int64_t sleep;    // what the loop may sleep after a frame
    int frames;       // frames drawn in three seconds
  } cases[] = {
      {"still", false, CBrisvaneView2D::NO_FRAME_DUE, CBrisvaneApp::MAX_SLEEP_MS, 0},
      {"moving", true, CBrisvaneView2D::NO_FRAME_DUE, 17, 180},
      {"a slow mark, five pictures a second", false, 200, 200, 15},
      // Longer than the loop's longest sleep: it wakes once on the way and draws nothing.
      {"a notice that starts to fade in 1.5 s", false, 1500, CBrisvaneApp::MAX_SLEEP_MS, 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Loop l;
    l.Dlg().View().moving = c.moving;
    l.Dlg().View().dueMs = c.viewDue;
    l.Dlg().GetView().UpdateGameView(nullptr);
    ASSERT_TRUE(l.SleepAndTurn());
    const int first = l.Renders();
    const float elapsedBefore = l.Dlg().View().elapsedTotal;
    EXPECT_EQ(l.app.MsUntilDue(), c.sleep);
    const uint64_t start = GetTickCount64();
    while (GetTickCount64() - start < 3000) ASSERT_TRUE(l.SleepAndTurn());
    EXPECT_NEAR(l.Renders() - first, c.frames, 1);
    // Each frame advances the table by the whole time since the last: a mark woken five times
    // a second turns at its own pace, and no time is lost at the frame rate.
    if (c.frames > 0) {
      EXPECT_NEAR(l.Dlg().View().elapsedTotal - elapsedBefore, 3.0f, 0.05f);
    }
    if (!c.moving) continue;
    // Once it stops, one more frame shows the still table, then the loop sleeps.
    l.Dlg().View().moving = false;
    ASSERT_TRUE(l.SleepAndTurn());
    const int still = l.Renders();
    EXPECT_EQ(l.app.MsUntilDue(), CBrisvaneApp::MAX_SLEEP_MS);
    ASSERT_TRUE(l.SleepAndTurn());
    EXPECT_EQ(l.Renders(), still);
  }
}

TEST(FrameLoop, WakingAStillTableStartsMotionFromItsFirstFrame) {
  Loop l;
  l.clock.Advance(7000);
  const float before = l.Dlg().View().elapsedTotal;
  l.Dlg().GetView().UpdateGameView(nullptr);
  ASSERT_TRUE(l.SleepAndTurn());
  EXPECT_LE(l.Dlg().View().elapsedTotal - before, 1.0f / 60 + 1e-4f) << "not 7 seconds at once";
}

// Seated again (the embedded mode's own close, or a change of tables), the player finds the
// table as a new window would show it: nothing of the last game left on it.
TEST(FrameLoop, TheDialogClosingItselfOrChangingTablesStartsAfresh) {
  const struct {
    const char* name;
    bool offersRejoin;
    bool byWindow;
    bool keepsRunning;
    int rejoins;
  } cases[] = {
      {"embedded: the ready clock ran out", true, false, true, 1},
      {"embedded: the window is closed", true, true, false, 0},
      {"no lobby to sit again in", false, false, false, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Loop l(c.offersRejoin);
    if (c.byWindow) {
      l.app.GetEngine()->System_SetStateBool(HGE_QUITREQUESTED, true);
    } else {
      l.Dlg().PostMessage(WM_CLOSE);
    }
    EXPECT_EQ(l.app.Turn(), c.keepsRunning);
    EXPECT_EQ(l.link->rejoins, c.rejoins);
    EXPECT_EQ(l.Dlg().IsWindowCreated(), c.keepsRunning);
    const int resets = c.keepsRunning ? 1 : 0;
    EXPECT_EQ(l.Dlg().gameResets, resets);
    EXPECT_EQ(l.Dlg().View().tableResets, resets);
  }
  Loop l;
  EXPECT_TRUE(l.Dlg().ChangeTable(0));
  EXPECT_EQ(l.Dlg().gameResets + l.Dlg().View().tableResets, 2);
  ASSERT_EQ(l.link->Sent().size(), 1u);
  EXPECT_EQ(l.link->Sent()[0].kind, CLoopbackLink::SentKind::ChangeTable);
}

}  // namespace
