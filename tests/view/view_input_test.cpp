// The view's buttons and mouse as messages to the dialog, the listeners; and the resource
// step: the font it cannot do without, gaps for every other missing file.
#include <set>
#include <utility>

#include "cardcontrol/CardControl.h"
#include "motion/Animation_Varnel.h"
#include "tests/view/view_test_util.h"
#include "widgets/MyCButtonEx.h"
#include "widgets/ScoreView.h"

namespace {

using namespace view_test;

class ViewInputTest : public ViewFixture {
 protected:
  std::vector<tagHostMessage>& Log() { return host->Dialog().log; }
  void Click(gcn::MyCButtonEx* button) { View().action(gcn::ActionEvent(button, "")); }
};

TEST_F(ViewInputTest, ButtonsAndTheMouse) {
  CGameClientView& v = View();
  // Details flip the end panel's form and send nothing; start hides the panel.
  Click(v.m_pbtDetails.get());
  EXPECT_TRUE(v.m_pScoreView->IsDetail());
  Click(v.m_pbtDetails.get());
  EXPECT_FALSE(v.m_pScoreView->IsDetail());
  v.m_pScoreView->Show(true);
  Click(v.m_btChildStart.get());
  EXPECT_FALSE(v.m_pScoreView->IsShow());
  // The auto-play buttons take turns.
  Click(v.m_btAutoPlayOn.get());
  EXPECT_TRUE(v.m_btAutoPlayOn->isVisible() && !v.m_btAutoPlayOn->isEnabled());
  EXPECT_TRUE(v.m_btAutoPlayOff->isVisible() && v.m_btAutoPlayOff->isEnabled());
  // A double click on the table: auto-play off, play button off, the own hand all lowered;
  // then, with auto-play off, it sends nothing. The right button plays the raised cards; the
  // card controls post their selection, which arrives with the next frame.
  const BYTE cards[3] = {0x01, 0x02, 0x03};
  v.m_pHandCard[1]->SetCards(cards, 3);
  v.m_pHandCard[1]->RaiseAll(1);
  v.m_btOutCard->setEnabled(true);
  v.SendMessage(WM_LBUTTONDBLCLK, 0, MAKELPARAM(10, 10));
  EXPECT_TRUE(v.m_btAutoPlayOn->isEnabled());
  EXPECT_FALSE(v.m_btAutoPlayOff->isVisible() || v.m_btAutoPlayOff->isEnabled());
  EXPECT_FALSE(v.m_btOutCard->isEnabled());
  BYTE raised[3];
  EXPECT_EQ(v.m_pHandCard[1]->GetRaisedCards(raised, 3), 0u);
  v.SendMessage(WM_LBUTTONDBLCLK, 0, 0);
  v.SendMessage(WM_RBUTTONDOWN, 0, MAKELPARAM(300, 300));
  v.PostMessage(MSG_SELECTION_CHANGED, 5, 6);
  host->Frame();
  const std::vector<tagHostMessage> expected = {{MSG_START, 0, 0},
                                                {MSG_AUTO_PLAY, 1, 1},
                                                {MSG_AUTO_PLAY, 0, 0},
                                                {MSG_PLAY_RAISED, 0, 0},
                                                {MSG_SELECTION_CHANGED, 0, 0}};
  EXPECT_EQ(Log(), expected);
  // Every other button sends one message of its own to the dialog.
  std::set<std::pair<UINT, WPARAM>> sent;
  for (gcn::MyCButtonEx* button :
       {v.m_btOutCard.get(), v.m_btPassCard.get(), v.m_btAutoOutCard.get(), v.m_btSortCard.get(),
        v.m_btTurn.get(), v.m_pbtChangeTable.get()}) {
    Log().clear();
    Click(button);
    ASSERT_EQ(Log().size(), 1u);
    EXPECT_TRUE(sent.insert({Log()[0].message, Log()[0].wParam}).second);
  }
  host->Dialog().SwitchSound(true);
  v.m_cbGameSound = 1;
  EXPECT_TRUE(v.IsSoundOn());
  v.m_cbGameSound = 0;
  EXPECT_FALSE(v.IsSoundOn());

  // A click on the own hand: its control's messages reach the dialog through the view.
  CardControl& hand = *v.m_pHandCard[1];
  hand.SetCards(cards, 2);
  Log().clear();
  for (Uint32 type : {SDL_MOUSEBUTTONDOWN, SDL_MOUSEBUTTONUP}) {
    SDL_Event e{};
    e.type = type;
    e.button.button = SDL_BUTTON_LEFT;
    e.button.x = hand.getX() + 5;
    e.button.y = hand.getY() + hand.getHeight() - 5;
    SDL_PushEvent(&e);
    host->Frame();
  }
  host->Frame();
  const std::vector<tagHostMessage> clicked = {
      {MSG_CARD_CLICK, 0, 0}, {MSG_CARD_PRESS, 0, 0}, {MSG_SELECTION_CHANGED, 0, 0}};
  EXPECT_EQ(Log(), clicked);
}

TEST_F(ViewInputTest, LandingCardsShowThePlayAndOnlyTheBurstReports) {
  CGameClientView& v = View();
  v.m_pOutCard[2]->setVisible(false);
  v.m_wOutCardChair = 2;
  v.OnMoveFinished(7);
  EXPECT_TRUE(v.m_pOutCard[2]->isVisible());
  v.m_wOutCardChair = VIEW_NO_CHAIR;
  v.OnMoveFinished(7);  // nobody's cards: nothing

  v.PlayBombEffect(true, 9);
  const int timers = CMessageQueue::Instance().ActiveTimers();
  v.OnAnimationFinished(ANI_ID_FLASH);
  EXPECT_TRUE(v.m_pAniRocket2->GetHideOnEnd()) << "another animation's end is not the burst's";
  EXPECT_EQ(CMessageQueue::Instance().ActiveTimers(), timers);
  v.OnAnimationFinished(ANI_ID_ROCKET_BURST);
  EXPECT_FALSE(v.m_pAniRocket2->GetHideOnEnd());
  EXPECT_EQ(CMessageQueue::Instance().ActiveTimers(), timers + 1);
  // Any other view timer only redraws.
  const unsigned redraws = v.RedrawRequests();
  v.SendMessage(WM_TIMER, 99, 0);
  EXPECT_EQ(v.RedrawRequests(), redraws + 1);
  EXPECT_FALSE(v.m_pAniRocket2->GetHideOnEnd());
  v.SendMessage(WM_TIMER, TIMER_VIEW_ROCKET, 0);
  EXPECT_TRUE(v.m_pAniRocket2->GetHideOnEnd());
  EXPECT_FALSE(v.m_pAniRocket2->IsShow());
  EXPECT_EQ(CMessageQueue::Instance().ActiveTimers(), timers);
}

// ---- the resource step ---------------------------------------------------------------------

TEST(ViewResourcesTest, WithoutItsFontTheWindowIsNotCreated) {
  TempDir dir;
  WriteFolder(dir.Path(), {"font"});
  EXPECT_FALSE(CViewHost(dir.Path(), 1280, 720).Ok());
  SetResourceFolder("");
}

TEST(ViewResourcesTest, EveryOtherMissingFileLeavesAGap) {
  TempDir dir;
  platform_test::WriteText(dir.File("Torvaly/ResourcePath.ini"), "[Resource]\n");
  std::error_code ec;
  std::filesystem::create_symlink(GetExecutableFolder() + "/Torvaly/fzzy.TTF",
                                  dir.File("Torvaly/fzzy.TTF"), ec);
  {
    CViewHost host(dir.Path(), 1280, 720);
    ASSERT_TRUE(host.Ok());
    CGameClientView& v = host.View();
    EXPECT_EQ(v.m_ImageViewBack, nullptr);
    EXPECT_EQ(v.m_hSoundHit, 0u);
    EXPECT_EQ(v.m_sndSingle[0][0], 0u);
    ASSERT_NE(v.m_btOutCard, nullptr);
    EXPECT_EQ(v.m_btOutCard->getWidth(), 0);
    host.SetSelf(1);
    host.SeatUser(0, "nobody", 1, 0, 10, US_READY);
    v.m_cbGameRunning = 1;
    v.SetCardCount(0, 5);
    v.SetPassFlag(0, true);
    v.PlayBombEffect(true, 5);
    v.PlayBombEffect(true, 9);
    v.ShowNotice("still drawn");
    v.m_pScoreView->Show(true);
    host.Frames(3);
    EXPECT_EQ(v.m_pAniFlash, nullptr);
    EXPECT_EQ(v.m_pAniRocket, nullptr);
    EXPECT_EQ(v.m_pPortrait[0], nullptr);
  }
  SetResourceFolder("");
}

}  // namespace
