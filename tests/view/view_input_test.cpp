// The view's buttons and mouse as messages to the dialog, the card controls' messages,
// the listeners; and the resource step: the font it cannot do without, gaps for every other
// missing file, the real resource folder loaded whole and freed without a leak.
#include "cardcontrol/CardControl.h"
#include "motion/Animation_Varnel.h"
#include "platform/engine/hgeSprite.h"
#include "tests/view/view_test_util.h"
#include "widgets/GameSetting.h"
#include "widgets/MyCButtonEx.h"
#include "widgets/ScoreView.h"

namespace {

using namespace view_test;

class ViewInputTest : public ViewFixture {
 protected:
  std::vector<tagHostMessage>& Log() { return host->Dialog().log; }
  void Click(gcn::MyCButtonEx* button) { View().action(gcn::ActionEvent(button, "")); }
};

TEST_F(ViewInputTest, ButtonsSendTheirMessages) {
  CGameClientView& v = View();
  struct ButtonCase {
    gcn::MyCButtonEx* button;
    tagHostMessage sent;
  };
  const ButtonCase cases[] = {
      {v.m_btChildStart.get(), {MSG_START, 0, 0}},
      {v.m_btOutCard.get(), {MSG_PLAY, 1, 1}},
      {v.m_btPassCard.get(), {MSG_PASS, 1, 1}},
      {v.m_btAutoOutCard.get(), {MSG_HINT, 0, 0}},
      {v.m_btAutoPlayOn.get(), {MSG_AUTO_PLAY, 1, 1}},
      {v.m_btAutoPlayOff.get(), {MSG_AUTO_PLAY, 0, 0}},
      {v.m_btSortCard.get(), {MSG_SORT, 0, 0}},
      {v.m_btTurn.get(), {MSG_LAST_TURN, 0, 0}},
      {v.m_pbtChangeTable.get(), {MSG_CHANGE_TABLE, 1, 1}},
  };
  for (const ButtonCase& c : cases) {
    SCOPED_TRACE(c.sent.message);
    Log().clear();
    Click(c.button);
    ASSERT_EQ(Log().size(), 1u);
    EXPECT_EQ(Log()[0], c.sent);
  }
  // The details button flips the end panel's form and sends nothing.
  Log().clear();
  Click(v.m_pbtDetails.get());
  EXPECT_TRUE(v.m_pScoreView->IsDetail());
  Click(v.m_pbtDetails.get());
  EXPECT_FALSE(v.m_pScoreView->IsDetail());
  EXPECT_TRUE(Log().empty());
  // Start hides the end panel.
  v.m_pScoreView->Show(true);
  Click(v.m_btChildStart.get());
  EXPECT_FALSE(v.m_pScoreView->IsShow());
}

TEST_F(ViewInputTest, AutoPlayButtonsTakeTurnsAndADoubleClickSwitchesBack) {
  CGameClientView& v = View();
  Click(v.m_btAutoPlayOn.get());
  EXPECT_TRUE(v.m_btAutoPlayOn->isVisible());
  EXPECT_FALSE(v.m_btAutoPlayOn->isEnabled());
  EXPECT_TRUE(v.m_btAutoPlayOff->isVisible());
  EXPECT_TRUE(v.m_btAutoPlayOff->isEnabled());

  // A double click on the table: auto-play off, play button off, the own hand all lowered.
  const BYTE cards[3] = {0x01, 0x02, 0x03};
  v.m_pHandCard[1]->SetCards(cards, 3);
  v.m_pHandCard[1]->RaiseAll(1);
  v.m_btOutCard->setEnabled(true);
  Log().clear();
  v.SendMessage(WM_LBUTTONDBLCLK, 0, MAKELPARAM(10, 10));
  ASSERT_EQ(Log().size(), 1u);
  EXPECT_EQ(Log()[0], (tagHostMessage{MSG_AUTO_PLAY, 0, 0}));
  EXPECT_TRUE(v.m_btAutoPlayOn->isEnabled());
  EXPECT_FALSE(v.m_btAutoPlayOff->isVisible());
  EXPECT_FALSE(v.m_btAutoPlayOff->isEnabled());
  EXPECT_FALSE(v.m_btOutCard->isEnabled());
  BYTE raised[3];
  EXPECT_EQ(v.m_pHandCard[1]->GetRaisedCards(raised, 3), 0u);

  // With auto-play off a double click sends nothing.
  Log().clear();
  v.SendMessage(WM_LBUTTONDBLCLK, 0, 0);
  EXPECT_TRUE(Log().empty());
}

TEST_F(ViewInputTest, MouseAndSelectionMessagesReachTheDialog) {
  CGameClientView& v = View();
  v.SendMessage(WM_RBUTTONDOWN, 0, MAKELPARAM(300, 300));
  v.SendMessage(MSG_SELECTION_CHANGED, 5, 6);
  // The card controls post theirs: it arrives with the next frame.
  host->Dialog().SwitchSound(true);
  v.m_cbGameSound = 1;
  v.PostMessage(MSG_SELECTION_CHANGED, 0, 0);
  host->Frame();
  const std::vector<tagHostMessage> expected = {{MSG_PLAY_RAISED, 0, 0},
                                                {MSG_SELECTION_CHANGED, 0, 0},
                                                {MSG_SELECTION_CHANGED, 0, 0}};
  EXPECT_EQ(Log(), expected);
  EXPECT_TRUE(v.IsSoundOn());
  v.m_cbGameSound = 0;
  EXPECT_FALSE(v.IsSoundOn());

  // A click on the own hand: its control's messages reach the dialog through the view.
  const BYTE cards[2] = {0x03, 0x04};
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
  {
    CViewHost host(dir.Path(), 1280, 720);
    EXPECT_FALSE(host.Ok());
  }
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
    EXPECT_EQ(v.m_pNumber, nullptr);
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

TEST(ViewResourcesTest, TheRealFolderLoadsWholeAndIsFreedWithTheView) {
  CViewHost host("", 1920, 1080);
  ASSERT_TRUE(host.Ok());
  CGameClientView& v = host.View();
  for (const hgeSprite* sprite :
       {v.m_ImageViewBack.get(), v.m_pImageViewBox[0].get(), v.m_pImageViewBox[1].get(),
        v.m_pImageViewBox[2].get(), v.m_pGoldBg.get(), v.m_pReady.get(), v.m_pImageBuchu.get(),
        v.m_pTimeNumber.get(), v.m_pPlayerLeftNumBg.get(), v.m_pPlayerLeftNum.get(),
        v.m_pImageNumBack.get(), v.m_pTopView.get(), v.m_pBeiShu.get(), v.m_pBei.get(),
        v.m_pNumber.get(), v.m_pFaceBg.get(), v.m_pImageLandFace.get(), v.m_pWaitTip.get(),
        v.m_pImgLeftText.get(), v.m_pTargetSprite.get()})
    EXPECT_NE(sprite, nullptr);
  EXPECT_FALSE(v.m_pBeiShu->IsShow());
  EXPECT_FALSE(v.m_pNumber->IsShow());
  for (const gcn::MyCButtonEx* button :
       {v.m_btOutCard.get(), v.m_btAutoOutCard.get(), v.m_btPassCard.get(),
        v.m_btAutoPlayOn.get(), v.m_btSortCard.get(), v.m_btTurn.get(), v.m_pbtDetails.get(),
        v.m_btAutoPlayOff.get(), v.m_btChildStart.get(), v.m_pbtChangeTable.get()}) {
    ASSERT_NE(button, nullptr);
    EXPECT_NE(button->getImage(), nullptr);
    EXPECT_FALSE(button->isVisible());
  }
  // (A hidden widget never answers enabled: show them to ask.)
  for (gcn::MyCButtonEx* button : {v.m_btAutoPlayOn.get(), v.m_pbtDetails.get(),
                                   v.m_btOutCard.get(), v.m_btAutoPlayOff.get()})
    button->setVisible(true);
  EXPECT_FALSE(v.m_btAutoPlayOn->isEnabled());
  EXPECT_FALSE(v.m_pbtDetails->isEnabled());
  EXPECT_TRUE(v.m_btOutCard->isEnabled());
  EXPECT_TRUE(v.m_btAutoPlayOff->isEnabled());
  EXPECT_EQ(v.m_btAutoPlayOff->getX(), static_cast<int>(1154 * 1.5f)) << "placed by the layout";
  for (HEFFECT sound : {v.m_sndClock, v.m_hSoundHit, v.m_sndBtn, v.m_sndAlarm, v.m_sndLiandui,
                        v.m_sndBomb, v.m_sndOut35, v.m_sndRocket, v.m_sndGameStart,
                        v.m_sndMostCard, v.m_sndPassBoy, v.m_sndPassGirl, v.m_sndGoodEnd,
                        v.m_sndCheer, v.m_sndBadEnd, v.m_sndDispatch, v.m_sndManStart,
                        v.m_sndWomanStart, v.m_sndShunzi})
    EXPECT_NE(sound, 0u);
  for (int g = 0; g < VOICE_GENDERS; ++g) {
    for (HEFFECT voice : v.m_sndSingle[g]) EXPECT_NE(voice, 0u);
    for (HEFFECT voice : v.m_sndPair[g]) EXPECT_NE(voice, 0u);
    EXPECT_NE(v.m_sndLine[g], 0u);
    EXPECT_NE(v.m_sndDoubleLine[g], 0u);
  }
  for (const char* key : {"m_pAniRocket", "m_pAniRocket2", "m_pAniFlash", "m_AniAutoPlay",
                          "m_AniAlart", "m_pAniShunZi", "m_pAniLianDui", "spring", "bigSpring",
                          "haoSpring"})
    EXPECT_NE(v.CreateAnimationByName(key, 1), nullptr) << key;
  for (WORD seat = 0; seat < 3; ++seat) {
    ASSERT_NE(v.m_pHandCard[seat], nullptr);
    EXPECT_NE(v.m_pHandCard[seat]->GetCardImage(), nullptr);
  }
  EXPECT_TRUE(v.m_pHandCard[1]->IsSelectable());
  EXPECT_FALSE(v.m_pHandCard[0]->IsHorizontal());

  // Everything the view can hold at once, then the view goes (LeakSanitizer watches).
  host.SetSelf(1);
  for (WORD chair = 0; chair < 3; ++chair) host.SeatUser(chair, "someone", 1, chair, 100, US_PLAY);
  v.m_AniAutoPlay[0] = v.CreateAnimationByName("m_AniAutoPlay", 10);
  v.m_AniAlart[2] = v.CreateAnimationByName("m_AniAlart", 13);
  v.m_pAniShunZi = v.CreateAnimationByName("m_pAniShunZi", ANI_ID_SHUNZI);
  v.m_pAniSpring = v.CreateAnimationByName("spring", ANI_ID_SPRING);
  v.PlayBombEffect(true, 6);
  v.PlayBombEffect(true, 9);
  v.ShowNotice("[ someone ] 玩家选择了托管");
  v.m_pGameSetting = std::make_unique<CGameSetting>();
  v.GetGuiContainer()->add(v.m_pGameSetting.get());
  host.Frames(5);
  EXPECT_NE(v.m_pPortrait[2], nullptr);
}

}  // namespace
