// Whether the table changes by itself (IsAnimating) and when its next frame is due
// (NextFrameDueMs): the application loop draws only then, so every motion must say so until it
// ends, a slow one must name its time, and a still table must name none or it would cost a
// core.
#include <functional>

#include "cardcontrol/CardControl.h"
#include "motion/Animation_Varnel.h"
#include "tests/view/view_test_util.h"
#include "widgets/ScoreView.h"

namespace {

using namespace view_test;

class ViewAnimatingTest : public ViewFixture {
 protected:
  // A fresh table, two others seated, one frame drawn.
  CGameClientView& FreshTable() {
    Start();
    Seat(0, "Ana", 2);
    Seat(2, "Bo");
    host->Frame(16);
    return View();
  }
};

struct tagMotionCase {
  const char* what;
  std::function<void(CGameClientView&)> start;
  // Ends the motion: by itself over time (stop null, frames of 20 ms until still), or by
  // what the dialog does to end it.
  std::function<void(CGameClientView&)> stop;
};

TEST_F(ViewAnimatingTest, EveryMotionSaysSoUntilItEnds) {
  const tagMotionCase cases[] = {
      {"the rocket: flight, then the burst",
       [](CGameClientView& v) {
         v.m_wOutCardChair = 0;
         v.PlayBombEffect(true, 9);
       },
       nullptr},
      {"a bomb's flash", [](CGameClientView& v) { v.PlayBombEffect(true, 6); }, nullptr},
      {"the shake", [](CGameClientView& v) { v.StartShake(); },
       [](CGameClientView& v) {
         while (v.ShakeStep()) {
         }
       }},
      {"the shake stopped early", [](CGameClientView& v) { v.StartShake(); },
       [](CGameClientView& v) { v.StopShake(); }},
      {"a notice fading", [](CGameClientView& v) { v.ShowNotice("[ Bo ] 玩家选择了托管"); },
       nullptr},
      {"the end panel", [](CGameClientView& v) { v.m_pScoreView->Show(true); },
       [](CGameClientView& v) { v.m_pScoreView->Show(false); }},
      {"an auto-play mark",
       [](CGameClientView& v) {
         v.m_AniAutoPlay[2] = v.CreateAnimationByName("m_AniAutoPlay", 12);
         v.m_AniAutoPlay[2]->Play();
         v.SetAutoPlayFlag(2, true);
       },
       [](CGameClientView& v) { v.SetAutoPlayFlag(2, false); }},
      {"an alarm",
       [](CGameClientView& v) {
         v.m_AniAlart[0] = v.CreateAnimationByName("m_AniAlart", 10);
         v.m_AniAlart[0]->Play();
       },
       [](CGameClientView& v) { v.m_AniAlart[0]->SetShow(false); }},
  };
  for (const tagMotionCase& c : cases) {
    SCOPED_TRACE(c.what);
    CGameClientView& v = FreshTable();
    ASSERT_FALSE(v.IsAnimating()) << "a still table";
    c.start(v);
    EXPECT_TRUE(v.IsAnimating());
    host->Frame(20);
    EXPECT_TRUE(v.IsAnimating()) << "still moving a frame later";
    if (c.stop) {
      c.stop(v);
    } else {
      for (int frames = 0; v.IsAnimating() && frames < 1000; ++frames) host->Frame(20);
    }
    EXPECT_FALSE(v.IsAnimating()) << "still once it is over";
    // What stays on the table afterwards (the burst's last frame, a hidden mark) is still.
    host->Frames(3, 20);
    EXPECT_FALSE(v.IsAnimating());
  }
}

TEST_F(ViewAnimatingTest, ATableWithCardsClocksAndMarksIsStill) {
  CGameClientView& v = View();
  const BYTE hand[] = {0x03, 0x14, 0x25, 0x36, 0x4E};
  v.m_pHandCard[1]->SetCards(hand, 5);
  v.m_pOutCard[0]->SetCards(hand, 2);
  v.m_cbGameRunning = 1;
  v.SetCardCount(0, 17);
  v.SetBeiShu(4);
  v.SetPassFlag(2, true);
  v.SetBankerSeat(1, 1);
  // A mark whose animation was never started (or was made and hidden) does not move.
  v.m_AniAutoPlay[0] = v.CreateAnimationByName("m_AniAutoPlay", 10);
  v.SetAutoPlayFlag(0, true);
  host->Frames(3, 20);
  EXPECT_FALSE(v.IsAnimating());
}

// When the table's next frame is due: at the frame rate while something moves, in a few
// hundred ms for a slowly turning mark, when a notice starts to fade, never for a still table.
struct tagDueCase {
  const char* what;
  std::function<void(CGameClientView&)> start;
  int64_t atLeast, atMost;  // the answer a frame later; FRAME_AT_RATE and NO_FRAME_DUE exact
};

constexpr int64_t kAtRate = CBrisvaneView2D::FRAME_AT_RATE;
constexpr int64_t kNever = CBrisvaneView2D::NO_FRAME_DUE;

void AutoPlayMark(CGameClientView& v) {
  v.m_AniAutoPlay[2] = v.CreateAnimationByName("m_AniAutoPlay", 12);
  v.m_AniAutoPlay[2]->Play();
  v.SetAutoPlayFlag(2, true);
}

using ViewFrameDueTest = ViewAnimatingTest;

TEST_F(ViewFrameDueTest, EachChangeNamesItsTime) {
  const tagDueCase cases[] = {
      {"a still table", [](CGameClientView&) {}, kNever, kNever},
      // Five pictures a second: the next within a fifth of a second, never at once again.
      {"an auto-play mark", AutoPlayMark, 1, 200},
      {"an alarm (four pictures a second)",
       [](CGameClientView& v) {
         v.m_AniAlart[0] = v.CreateAnimationByName("m_AniAlart", 10);
         v.m_AniAlart[0]->Play();
       },
       1, 250},
      {"a mark without its flag",
       [](CGameClientView& v) {
         AutoPlayMark(v);
         v.SetAutoPlayFlag(2, false);
       },
       kNever, kNever},
      // Shown for three seconds before it fades.
      {"a notice", [](CGameClientView& v) { v.ShowNotice("[ Bo ] 玩家选择了托管"); }, 2900, 3000},
      {"a notice and a mark: the sooner",
       [](CGameClientView& v) {
         v.ShowNotice("[ Bo ] 玩家选择了托管");
         AutoPlayMark(v);
       },
       1, 200},
      {"a mark while a bomb flashes",
       [](CGameClientView& v) {
         AutoPlayMark(v);
         v.PlayBombEffect(true, 6);
       },
       kAtRate, kAtRate},
      {"the shake", [](CGameClientView& v) { v.StartShake(); }, kAtRate, kAtRate},
      {"the end panel", [](CGameClientView& v) { v.m_pScoreView->Show(true); }, kAtRate, kAtRate},
  };
  for (const tagDueCase& c : cases) {
    SCOPED_TRACE(c.what);
    CGameClientView& v = FreshTable();
    c.start(v);
    host->Frames(2, 20);
    const int64_t due = v.NextFrameDueMs();
    EXPECT_GE(due, c.atLeast);
    EXPECT_LE(due, c.atMost);
    EXPECT_EQ(v.IsAnimating(), due != kNever);
  }
}

TEST_F(ViewFrameDueTest, ANoticeFadesAtTheFrameRateAndThenTheTableIsStill) {
  Seat(0, "Ana", 2);
  CGameClientView& v = View();
  v.ShowNotice("[ Ana ] 玩家选择了托管");
  host->Frame(16);
  int64_t due = v.NextFrameDueMs();
  ASSERT_GT(due, 0);
  // The loop wakes when it said, once: the fade has begun.
  host->Frame(static_cast<unsigned>(due));
  EXPECT_EQ(v.NextFrameDueMs(), kAtRate);
  for (int frames = 0; v.NextFrameDueMs() == kAtRate && frames < 100; ++frames) host->Frame(16);
  EXPECT_EQ(v.NextFrameDueMs(), kNever) << "gone after four seconds";
}

TEST_F(ViewFrameDueTest, AMarkWokenWhenDueShowsItsNextPicture) {
  Seat(2, "Bo");
  CGameClientView& v = View();
  AutoPlayMark(v);
  host->Frame(16);
  for (int step = 0; step < 6; ++step) {
    SCOPED_TRACE(step);
    const int before = v.m_AniAutoPlay[2]->GetFrame();
    const int64_t due = v.NextFrameDueMs();
    ASSERT_GT(due, 0);
    host->Frame(static_cast<unsigned>(due));
    EXPECT_NE(v.m_AniAutoPlay[2]->GetFrame(), before) << "the wake-up was not wasted";
  }
}

}  // namespace
