// Whether the table moves (IsAnimating): the application loop draws 60 frames a second only
// while it answers true, so every motion must say so until it ends, and a still table must
// answer false or it would cost a core.
#include <functional>

#include "cardcontrol/CardControl.h"
#include "motion/Animation_Varnel.h"
#include "tests/view/view_test_util.h"
#include "widgets/ScoreView.h"

namespace {

using namespace view_test;

using ViewAnimatingTest = ViewFixture;

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
    Start();
    Seat(0, "Ana", 2);
    Seat(2, "Bo");
    CGameClientView& v = View();
    host->Frame(16);
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

}  // namespace
