// When the table's next frame is due (NextFrameDueMs): the application loop draws only then,
// so every motion must say so until it ends, a slow one must name its time, and a still table
// must name none or it would cost a core.
#include <functional>

#include "cardcontrol/CardControl.h"
#include "motion/Animation_Varnel.h"
#include "tests/view/view_test_util.h"
#include "widgets/ScoreView.h"

namespace {

using namespace view_test;

constexpr int64_t kAtRate = CBrisvaneView2D::FRAME_AT_RATE;
constexpr int64_t kNever = CBrisvaneView2D::NO_FRAME_DUE;

void AutoPlayMark(CGameClientView& v) {
  v.m_AniAutoPlay[2] = v.CreateAnimationByName("m_AniAutoPlay", 12);
  v.m_AniAutoPlay[2]->Play();
  v.SetAutoPlayFlag(2, true);
}
void Alarm(CGameClientView& v) {
  v.m_AniAlart[0] = v.CreateAnimationByName("m_AniAlart", 10);
  v.m_AniAlart[0]->Play();
}

struct tagDueCase {
  const char* what;
  std::function<void(CGameClientView&)> start;
  int64_t atLeast, atMost;  // the answer two frames later; FRAME_AT_RATE and NO_FRAME_DUE exact
  // What the dialog does to end it (null: nothing); then it ends by itself within frames of 20 ms.
  std::function<void(CGameClientView&)> stop;
};

TEST(ViewFrameDue, EachChangeNamesItsTimeUntilItEnds) {
  const tagDueCase cases[] = {
      {"a still table", [](CGameClientView&) {}, kNever, kNever, nullptr},
      {"cards, counts, marks and a mark whose animation never started",
       [](CGameClientView& v) {
         const BYTE hand[] = {0x03, 0x14, 0x25, 0x36, 0x4E};
         v.m_pHandCard[1]->SetCards(hand, 5);
         v.m_pOutCard[0]->SetCards(hand, 2);
         v.m_cbGameRunning = 1;
         v.SetCardCount(0, 17);
         v.SetPassFlag(2, true);
         v.SetBankerSeat(1, 1);
         v.m_AniAutoPlay[0] = v.CreateAnimationByName("m_AniAutoPlay", 10);
         v.SetAutoPlayFlag(0, true);
       },
       kNever, kNever, nullptr},
      {"the rocket: flight, then the burst",
       [](CGameClientView& v) {
         v.m_wOutCardChair = 0;
         v.PlayBombEffect(true, 9);
       },
       kAtRate, kAtRate, nullptr},
      {"a bomb's flash", [](CGameClientView& v) { v.PlayBombEffect(true, 6); }, kAtRate, kAtRate,
       nullptr},
      {"the shake, stopped", [](CGameClientView& v) { v.StartShake(); }, kAtRate, kAtRate,
       [](CGameClientView& v) { v.StopShake(); }},
      // Its numbers count a step a frame; standing, its backdrop turns 25 steps a second.
      {"the end panel, counting",
       [](CGameClientView& v) {
         v.m_pScoreView->SetScoreInfo(1, 1, "Cy", 0, 0, 0, 0, 0, 1, 80000, 1, 0);
         v.m_pScoreView->Show(true);
       },
       kAtRate, kAtRate, [](CGameClientView& v) { v.m_pScoreView->Show(false); }},
      {"the end panel, its numbers standing",
       [](CGameClientView& v) { v.m_pScoreView->Show(true); }, 1, 40,
       [](CGameClientView& v) { v.m_pScoreView->Show(false); }},
      // Shown for three seconds before it fades.
      {"a notice", [](CGameClientView& v) { v.ShowNotice("[ Bo ] 玩家选择了托管"); }, 2900, 3000,
       nullptr},
      // Fading, it steps 20 times a second, not frame by frame.
      {"a notice fading",
       [](CGameClientView& v) {
         v.ShowNotice("[ Bo ] 玩家选择了托管");
         for (int i = 0; i < 160; ++i) v.AdvanceFrame(0.02f);
       },
       1, 50, nullptr},
      // Five pictures a second: the next within a fifth of a second, never at once again.
      {"an auto-play mark", AutoPlayMark, 1, 200,
       [](CGameClientView& v) { v.SetAutoPlayFlag(2, false); }},
      {"an alarm (four pictures a second)", Alarm, 1, 250,
       [](CGameClientView& v) { v.m_AniAlart[0]->SetShow(false); }},
      {"a notice and a mark: the sooner",
       [](CGameClientView& v) {
         v.ShowNotice("[ Bo ] 玩家选择了托管");
         AutoPlayMark(v);
       },
       1, 200, [](CGameClientView& v) { v.SetAutoPlayFlag(2, false); }},
      {"a mark while a bomb flashes",
       [](CGameClientView& v) {
         AutoPlayMark(v);
         v.PlayBombEffect(true, 6);
       },
       kAtRate, kAtRate, [](CGameClientView& v) { v.SetAutoPlayFlag(2, false); }},
  };
  for (const tagDueCase& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir dir;
    WriteFolder(dir.Path());
    CViewHost host(dir.Path(), 1280, 720);
    ASSERT_TRUE(host.Ok());
    host.SetSelf(1);
    host.SeatUser(0, "Ana", 2, 0, 500, US_PLAY);
    host.SeatUser(2, "Bo", 1, 0, 500, US_PLAY);
    host.Frame(16);
    CGameClientView& v = host.View();
    ASSERT_EQ(v.NextFrameDueMs(), kNever) << "a still table";
    c.start(v);
    host.Frames(2, 20);
    const int64_t due = v.NextFrameDueMs();
    EXPECT_GE(due, c.atLeast);
    EXPECT_LE(due, c.atMost);
    if (c.stop) c.stop(v);
    for (int frames = 0; v.IsAnimating() && frames < 1000; ++frames) host.Frame(20);
    // What stays on the table afterwards (the burst's last frame, a hidden mark) is still;
    // a mark whose animation does not run moves nothing either.
    host.Frames(3, 20);
    EXPECT_EQ(v.NextFrameDueMs(), kNever) << "still once it is over";
    SetResourceFolder("");
  }
}

using ViewFrameDueTest = ViewFixture;

// A mark's wake-up time is never early: woken when it said, the mark shows its next picture.
TEST_F(ViewFrameDueTest, AMarkWokenWhenDueShowsItsNextPicture) {
  Seat(2, "Bo");
  AutoPlayMark(View());
  host->Frame(16);
  for (int step = 0; step < 6; ++step) {
    const int before = View().m_AniAutoPlay[2]->GetFrame();
    const int64_t next = View().NextFrameDueMs();
    ASSERT_GT(next, 0);
    host->Frame(static_cast<unsigned>(next));
    EXPECT_NE(View().m_AniAutoPlay[2]->GetFrame(), before) << "step " << step;
  }
}

}  // namespace
