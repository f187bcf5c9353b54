// One frame of the table, read back from the canvas (and from the screen where the widgets
// matter): which chair sits where, names cut and masked, gold, clocks, marks, the top panel, a
// seat without portrait, the side counts over the stacked hands, the smooth scaling, and with
// the real folder the gold in its plate, the end panel over the cards, and freeing it all.
#include <set>

#include "cardcontrol/CardControl.h"
#include "motion/Animation_Varnel.h"
#include "platform/engine/hgeSprite.h"
#include "tests/view/view_test_util.h"
#include "text/TTFont.h"
#include "widgets/GameSetting.h"
#include "widgets/MyCButtonEx.h"
#include "widgets/ScoreView.h"

namespace {

using namespace view_test;

uint32_t Px(const std::vector<uint32_t>& canvas, int x, int y) {
  return canvas[static_cast<size_t>(y) * 1280 + x];
}
// The pixel inside a picture drawn at a design point.
uint32_t In(const std::vector<uint32_t>& canvas, const std::string& stem, int d = 3) {
  return Px(canvas, At(stem).x + d, At(stem).y + d);
}

class ViewDrawTest : public ViewFixture {
 protected:
  // The text drawn at the pen (x, y) by the view's own font over the table colour, compared
  // with the canvas around it.
  ::testing::AssertionResult TextAt(const std::vector<uint32_t>& canvas, const wchar_t* text,
                                    const Pt& pen) {
    HGE* hge = host->Engine();
    const HTARGET target = hge->Target_Create(1280, 720, false);
    if (hge->Gfx_BeginScene(target)) {
      hge->Gfx_Clear(kTable);
      View().m_pFont->DrawString(text, static_cast<float>(pen.x), static_cast<float>(pen.y));
      hge->Gfx_EndScene();
    }
    const std::vector<uint32_t> expected = testsupport::ReadTarget(hge, target);
    hge->Target_Free(target);
    int inked = 0;
    for (int y = pen.y - 22; y < pen.y + 8; ++y) {
      for (int x = pen.x - 2; x < pen.x + 150; ++x) {
        inked += Px(expected, x, y) != kTable;
        if (Px(canvas, x, y) != Px(expected, x, y))
          return ::testing::AssertionFailure() << "differs at (" << x << ", " << y << ")";
      }
    }
    if (inked == 0) return ::testing::AssertionFailure() << "the text drew nothing";
    return ::testing::AssertionSuccess();
  }
};

TEST_F(ViewDrawTest, NamesAreCutFromTwelveBytesOnACharacter) {
  // 11 bytes whole; 12 bytes: 10 and "..."; 9 bytes; 12 bytes whose cut would split the fourth
  // character; 14 bytes cut back to 8.
  const char* const cases[][2] = {{"abcdefghijk", "abcdefghijk"},
                                  {"abcdefghijkl", "abcdefghij..."},
                                  {"云中鹤", "云中鹤"},
                                  {"云中鹤鹤", "云中鹤..."},
                                  {"ab云中鹤鹤", "ab云中..."}};
  for (const auto& c : cases) {
    Seat(2, c[0]);
    host->Frame();
    EXPECT_STREQ(View().m_szName[2], c[1]);
    host->LeaveUser(2);
  }
  Seat(1, "Player_Local");
  host->Frame();
  EXPECT_TRUE(TextAt(host->ReadCanvas(), L"Player_Loc...", At("MePlayerName")));
}

TEST_F(ViewDrawTest, SideSeatsAreMaskedUntilTheyPlay) {
  // masked flag, game running with the seat in it, the server hides players, shown masked
  const int cases[][4] = {{1, 0, 0, 1},   // just sat down
                          {1, 1, 0, 0},   // the start record marked it playing
                          {0, 0, 0, 0},   // known
                          {0, 0, 1, 1},   // the server hides players...
                          {0, 1, 1, 1}};  // ...also in play
  Seat(1, "me");
  Seat(0, "Leftie", 1, 0, 777);
  View().m_pGoldBg->SetShow(false);  // the gold text alone, on the table colour
  for (const auto& c : cases) {
    SCOPED_TRACE(c[0] * 100 + c[1] * 10 + c[2]);
    tagServerAttribute attribute{};
    attribute.cbHideUserInfo = static_cast<BYTE>(c[2]);
    host->SetServerAttribute(attribute);
    View().m_nMaskedFlag[0] = c[0];
    View().m_nMaskedFlag[1] = 1;  // never shown for the local seat
    View().m_cbGameRunning = View().m_cbPlayingFlag[0] = static_cast<BYTE>(c[1]);
    host->Frame();
    const std::vector<uint32_t> canvas = host->ReadCanvas();
    // Seat order 0: chair 0 is the left seat.
    const Pt gold{View().m_ptPlayerGold[2].x, View().m_ptPlayerGold[2].y};
    EXPECT_TRUE(TextAt(canvas, c[3] ? L"游戏玩家" : L"Leftie", At("LeftPlayerName")));
    EXPECT_TRUE(TextAt(canvas, c[3] ? L"********" : L"777", gold));
    EXPECT_TRUE(TextAt(canvas, L"me", At("MePlayerName")));
  }
}

TEST_F(ViewDrawTest, ClocksOfOneAndTwoDigits) {
  Seat(1, "me");
  Seat(2, "right");
  for (UINT seconds : {7u, 15u, 20u}) {
    SCOPED_TRACE(seconds);
    const WORD chair = seconds == 15 ? 2 : 1;
    host->Dialog().KillGameTimer(0);
    host->Dialog().SetGameTimer(chair, 200, seconds);
    host->Frame(1);
    const std::vector<uint32_t> canvas = host->ReadCanvas();
    const Pt at = At(chair == 2 ? "RightPlayerTimeNum" : "MePlayerTimeNum");
    if (seconds < 10) {  // one digit: 9 pixels left of the point
      EXPECT_EQ(Px(canvas, at.x - 9 + 2, at.y + 2), DigitColor(CLOCK_DIGITS, seconds));
      EXPECT_EQ(Px(canvas, at.x + 2, at.y + 2), kClockBack);
    } else {
      EXPECT_EQ(Px(canvas, at.x + 2, at.y + 2), DigitColor(CLOCK_DIGITS, seconds % 10));
      EXPECT_EQ(Px(canvas, at.x - kDigitW + 2, at.y + 2), DigitColor(CLOCK_DIGITS, seconds / 10));
    }
  }
  host->Dialog().KillGameTimer(0);
  host->Frame(1);
  EXPECT_EQ(In(host->ReadCanvas(), "MePlayerTimeBg"), kTable) << "no clock";
}

TEST_F(ViewDrawTest, TheTopPanelShowsOnlyWhileCardsAreDealtOut) {
  CGameClientView& v = View();
  v.m_pNumber->SetShow(true);
  v.SetBeiShu(128);
  const int cases[][3] = {{1, 53, 1}, {1, 54, 0}, {1, 200, 0}, {0, 20, 0}, {1, 0, 1}};
  for (const auto& c : cases) {  // running, deck, shown
    SCOPED_TRACE(c[0] * 1000 + c[1]);
    v.m_cbGameRunning = static_cast<BYTE>(c[0]);
    v.SetLeftCardCount(static_cast<BYTE>(c[1]));
    host->Frame();
    const std::vector<uint32_t> canvas = host->ReadCanvas();
    EXPECT_EQ(In(canvas, "BeishuBg", 20), c[2] ? kTopPanel : kTable);
    if (!c[2]) continue;
    // The multiple: ones at its point, each higher digit a cell further left.
    for (int i = 0; i < 3; ++i)
      EXPECT_EQ(Px(canvas, At("BeishuNum").x + 2 - i * kDigitW, At("BeishuNum").y + 2),
                DigitColor(PANEL_DIGITS, "821"[i] - '0'));
    // The deck count centred on its point.
    const Pt d = At("LeftCount");
    const int ones = d.x + (c[1] >= 10 ? 2 : 1) * kDigitW / 2 - kDigitW;
    EXPECT_EQ(Px(canvas, ones + 2, d.y - kDigitH / 2 + 2), DigitColor(PANEL_DIGITS, c[1] % 10));
  }
}

TEST_F(ViewDrawTest, MarksGoldBankerWaitTipAndSeatOrder) {
  Seat(0, "ready one", 1, 0, 0, US_READY);  // no gold: no plate on a side seat
  Seat(1, "me", 1, 1, 0, US_READY);         // the local seat always has its plate
  Seat(2, "passer", 1, 2, 42);
  CGameClientView& v = View();
  v.SetPassFlag(2, true);
  v.SetBankerSeat(1, 1);
  v.m_cbWaitTip = 1;
  host->Frame();
  std::vector<uint32_t> canvas = host->ReadCanvas();
  const tagViewPoint left = v.m_ptPlayerGoldBg[2], right = v.m_ptPlayerGoldBg[0];
  EXPECT_EQ(Px(canvas, left.x + 2, left.y + 2), kTable);
  EXPECT_EQ(Px(canvas, right.x + 2, right.y + 2), kGoldPlate);
  EXPECT_EQ(In(canvas, "MePlayerGoldBg", 2), kGoldPlate);
  EXPECT_EQ(In(canvas, "LeftReady"), kReady);
  EXPECT_EQ(In(canvas, "LeftBoxBg", 1), kBox);
  EXPECT_EQ(In(canvas, "MeReady"), kReady);
  EXPECT_EQ(In(canvas, "RightPass"), kPass);
  EXPECT_EQ(In(canvas, "MePlayer", 2), kBanker);
  EXPECT_EQ(Px(canvas, 746 + 2, 565 + 2), kWaitTip);
  // No ready marks on a match server; a hidden pass mark takes its box with it.
  v.m_wServerType = 4;
  v.m_pImageBuchu->SetShow(false);
  v.SetBankerSeat(VIEW_NO_CHAIR, 0);
  host->Frame();
  canvas = host->ReadCanvas();
  for (const char* stem : {"LeftReady", "RightPass", "RightBoxBg"})
    EXPECT_EQ(In(canvas, stem), kTable);
  EXPECT_EQ(In(canvas, "MePlayer", 2), PortraitColor(1, 1));
  // Seat order 1 puts chair 0 at the right and chair 2 at the left.
  v.SetSeatOrder(1);
  host->Frame();
  canvas = host->ReadCanvas();
  EXPECT_EQ(In(canvas, "RightPlayer", 10), PortraitColor(1, 0));
  EXPECT_EQ(In(canvas, "LeftPlayer", 10), PortraitColor(1, 2));
}

// The left seat's count shows over its stacked hand (drawn after the widgets); the right seat,
// whose portrait file is missing, shows no frame, name, gold, count or ready mark, but its
// clock, pass mark and auto-play mark.
TEST_F(ViewDrawTest, SideCountsOverTheStacksAndASeatWithoutPortrait) {
  Start({"people22"});  // gender 2, face 1 has no picture
  Seat(0, "left");
  Seat(2, "faceless", 2, 1, 900, US_READY);
  CGameClientView& v = View();
  v.m_cbGameRunning = 1;
  const BYTE backs[12] = {};
  const Pt l = At("LeftPlayerLeftCard");
  for (WORD seat : {0, 2}) {
    v.SetCardCount(seat, 12);
    v.m_pHandCard[seat]->SetCards(backs, 12);
  }
  v.m_pHandCard[0]->SetAnchor(l.x, l.y, 1, 1, 1);  // covering its count, as on the real table
  v.SetPassFlag(2, true);
  v.m_AniAutoPlay[2] = v.CreateAnimationByName("m_AniAutoPlay", 12);
  v.m_AniAutoPlay[2]->Play();
  v.SetAutoPlayFlag(2, true);
  host->Dialog().SetGameTimer(2, 200, 5);
  host->Frame();
  EXPECT_EQ(v.m_pHandCard[0]->getHeight(), static_cast<int>(kCardH * 0.55f)) << "one stack";
  const std::vector<uint32_t> screen = host->ReadScreen(), canvas = host->ReadCanvas();
  EXPECT_EQ(Px(screen, l.x + 2, l.y - kDigitH / 2 + 2), DigitColor(COUNT_DIGITS, 2));
  EXPECT_EQ(Px(screen, l.x - kDigitW + 2, l.y - kDigitH / 2 + 2), DigitColor(COUNT_DIGITS, 1));
  EXPECT_EQ(In(screen, "LeftPlayerLeftCardBg", 1), kCountBack);
  EXPECT_NE(In(screen, "RightPlayerLeftCardBg", 2), kCountBack);
  for (int y = At("RightPlayerName").y - 20; y < At("RightPlayerBg").y + 40; ++y)
    for (int x = At("RightPlayerBg").x; x < At("RightPlayerBg").x + 40; ++x)
      ASSERT_EQ(Px(canvas, x, y), kTable) << x << ", " << y;
  EXPECT_EQ(Px(canvas, v.m_ptPlayerGoldBg[0].x + 2, v.m_ptPlayerGoldBg[0].y + 2), kTable);
  EXPECT_EQ(In(canvas, "RightPlayerTimeBg", 1), kClockBack);
  EXPECT_EQ(In(canvas, "RightPass"), kPass);
  EXPECT_EQ(In(canvas, "RightAutoAndAlart", 1), kAutoPlay);
  // Without a running game nothing is counted and the hands keep their steps; an empty chair
  // loses its auto-play flag.
  v.m_cbGameRunning = 0;
  v.m_pHandCard[0]->SetSpacing(0, 35, 0);
  host->LeaveUser(2);
  host->Frame();
  EXPECT_GT(v.m_pHandCard[0]->getHeight(), static_cast<int>(kCardH * 0.55f));
  EXPECT_EQ(v.m_cbAutoPlayFlag[2], 0);
}

TEST_F(ViewDrawTest, CountsForEverySeatAskNoRedrawAndResetEmptiesTheTable) {
  CGameClientView& v = View();
  const unsigned before = v.RedrawRequests();
  v.SetCardCount(VIEW_ALL_SEATS, 9);
  v.SetPassFlag(VIEW_ALL_SEATS, true);
  v.SetCardCount(3, 4);  // not a seat
  EXPECT_EQ(v.RedrawRequests(), before);
  EXPECT_EQ(v.m_cbCardCount[0] + v.m_cbCardCount[1] + v.m_cbCardCount[2], 27);
  const BYTE cards[2] = {0x01, 0x02};
  v.m_pOutCard[0]->SetCards(cards, 2);
  v.m_btOutCard->setVisible(true);
  v.m_btChildStart->setVisible(true);
  v.m_pScoreView->Show(true);
  v.m_pNumber->SetShow(true);
  v.m_cbGameRunning = 1;
  v.SetBeiShu(8);
  v.SetBankerSeat(1, 1);
  v.ResetTable();
  EXPECT_EQ(v.m_cbGameRunning + v.m_cbPassFlag[0] + v.m_pOutCard[0]->GetCardCount(), 0u);
  EXPECT_EQ(v.m_wBeiShu + v.m_wBankerChair, 1 + VIEW_NO_CHAIR);
  EXPECT_FALSE(v.m_btOutCard->isVisible() || v.m_btChildStart->isVisible());
  EXPECT_FALSE(v.m_pScoreView->IsShow() || v.m_pNumber->IsShow());
}

TEST_F(ViewDrawTest, TheCanvasIsScaledSmoothly) {
  Start({}, 1920, 1080);
  Seat(0, "left");
  host->Frame();
  const std::vector<uint32_t> screen = host->ReadScreen();
  ASSERT_EQ(screen.size(), 1920u * 1080u);
  // Across the left edge of the portrait frame (design x 100, screen x 150) the colours blend.
  const size_t row = static_cast<size_t>((At("LeftPlayerBg").y + 20) * 1.5f) * 1920;
  std::set<uint32_t> colours;
  for (int x = 140; x < 160; ++x) colours.insert(screen[row + x]);
  EXPECT_GT(colours.size(), 2u) << "nearest-neighbour scaling shows two colours only";
  EXPECT_EQ(screen[row + 140], kTable);
  EXPECT_EQ(screen[row + 156], kFrame);
}

// ---- with the real resource folder and font ------------------------------------------------

class ViewRealFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(host.Ok());
    host.SetSelf(1);
    for (WORD chair = 0; chair < 3; ++chair)
      host.SeatUser(chair, "name", GENDER_MALE, chair, 98765, US_PLAY);
    host.Frame();
  }
  CViewHost host{"", 1280, 720};
  CGameClientView& v = host.View();
};

// Every seat's gold stands in the middle of its plate (the rows of yellow digits against the
// rows of the plate's dark inside beside them), also while the seats shake.
TEST_F(ViewRealFolderTest, GoldSitsInTheMiddleOfEveryPlate) {
  v.m_cbGameRunning = 1;
  for (BYTE& playing : v.m_cbPlayingFlag) playing = 1;
  const int plateW = static_cast<int>(v.m_pGoldBg->GetWidth());
  const int plateH = static_cast<int>(v.m_pGoldBg->GetHeight());
  for (int shakeSteps : {0, 3}) {
    v.StartShake();
    for (int i = 0; i < shakeSteps; ++i) v.ShakeStep();
    host.Frame();
    const std::vector<uint32_t> canvas = host.ReadCanvas();
    auto c = [&](int x, int y, int shift) {
      return static_cast<int>(Px(canvas, x, y) >> shift & 0xFF);
    };
    for (int p = 0; p < 3; ++p) {
      SCOPED_TRACE(std::to_string(shakeSteps) + " steps, seat " + std::to_string(p));
      const tagViewPoint plate = v.m_ptPlayerGoldBg[p];
      int ink[2] = {-1, -1}, inside[2] = {-1, -1};  // first and last rows
      for (int y = plate.y; y < plate.y + plateH; ++y) {
        for (int x = plate.x + 6; x < plate.x + 62; ++x) {
          if (c(x, y, 16) > 200 && c(x, y, 8) > 200 && c(x, y, 0) < 60) {
            if (ink[0] < 0) ink[0] = y;
            ink[1] = y;
            break;
          }
        }
        const int x = plate.x + plateW * 2 / 3;
        if (c(x, y, 16) >= c(x, y, 8) && c(x, y, 16) < 130 && c(x, y, 0) < 80) {
          if (inside[0] < 0) inside[0] = y;
          inside[1] = y;
        }
      }
      ASSERT_GE(ink[0], 0) << "no gold drawn";
      ASSERT_GE(inside[0], 0) << "no plate drawn";
      EXPECT_GT(ink[0], inside[0]);
      EXPECT_LT(ink[1], inside[1]);
      EXPECT_LE(std::abs((ink[0] + ink[1]) - (inside[0] + inside[1])), 1)
          << "digits " << ink[0] << ".." << ink[1] << ", plate " << inside[0] << ".." << inside[1];
    }
  }
}

// The end panel lies over every card: the local seat's last play, still on the table for the
// first seconds after a result, takes no pixel of the detail form's box. The counting numbers
// of the simple form step once a frame.
TEST_F(ViewRealFolderTest, TheEndPanelLiesOverEveryCard) {
  CScoreView& panel = *v.m_pScoreView;
  const int64_t scores[3] = {-6000, 12345, -6345};
  for (WORD seat = 0; seat < 3; ++seat)
    panel.SetScoreInfo(seat, 1, "name", 0, 1, 0, 0, 0, 8, scores[seat], 1, 3);
  panel.Show(true);
  host.Frames(3);
  EXPECT_EQ(panel.GetEntry(1)->lShownGold, 3000) << "one step of 1000 a frame";

  panel.SetDetail(true);
  const BYTE straight[9] = {0x03, 0x14, 0x25, 0x36, 0x07, 0x18, 0x29, 0x3A, 0x0B};
  CardControl& play = *v.m_pOutCard[1];
  host.Frame();
  const std::vector<uint32_t> panelOnly = host.ReadScreen();
  play.SetCards(straight, 9);
  host.Frame();
  const std::vector<uint32_t> panelAndCards = host.ReadScreen();
  // Over the box (94% opaque) a card changes no pixel by more than a sixteenth.
  int shown = 0;
  ASSERT_GT(play.getWidth() * play.getHeight(), 5000) << "the play lies inside the box";
  for (int y = play.getY(); y < play.getY() + play.getHeight(); ++y) {
    for (int x = play.getX(); x < play.getX() + play.getWidth(); ++x) {
      for (int shift : {0, 8, 16}) {
        const int a = Px(panelAndCards, x, y) >> shift & 0xFF,
                  b = Px(panelOnly, x, y) >> shift & 0xFF;
        if (std::abs(a - b) > 16) ++shown;
      }
    }
  }
  EXPECT_EQ(shown, 0) << "the play shows through the panel";
}

// A frame due only for the panel's turning backdrop draws its square again and nothing else,
// and what it draws is what a whole frame at that angle shows: the hand dealt meanwhile (outside
// the square) stays unseen until a whole frame, and the square equals the whole frame's.
TEST_F(ViewRealFolderTest, AFrameForThePanelsTurnAloneDrawsItsSquareAsAWholeFrameWould) {
  host.DrawEveryFrame();
  CScoreView& panel = *v.m_pScoreView;
  panel.SetScoreInfo(1, 1, "name", 0, 0, 0, 0, 0, 1, -40, 1, 3);
  panel.Show(true);
  host.Frames(60);
  ASSERT_FALSE(panel.IsCounting());
  const float angle = panel.GetAngle();
  ASSERT_GT(angle, 0.5f);
  const std::vector<uint32_t> whole = host.ReadScreen();
  panel.Update(-angle);  // back to 0, exactly, drawn whole: the screen under the panel is kept
  host.Frame(0);
  const std::vector<uint32_t> atZero = host.ReadScreen();
  panel.Update(angle);
  const BYTE hand[] = {0x03, 0x14, 0x25, 0x36, 0x4E};
  v.m_pHandCard[1]->SetCards(hand, 5);
  v.SetOnlyDueFrame(true);
  host.Frame(0);
  v.SetOnlyDueFrame(false);
  const std::vector<uint32_t> turned = host.ReadScreen();
  EXPECT_NE(atZero, whole) << "the backdrop turned";
  EXPECT_EQ(turned, whole) << "the square as a whole frame draws it, the new hand not yet";
  host.Frame(0);
  EXPECT_NE(host.ReadScreen(), whole) << "a whole frame shows the hand";
}

// Everything the view can hold at once, then the view goes (LeakSanitizer watches). The folder
// itself is held against every key in tests/assets.
TEST_F(ViewRealFolderTest, EverythingHeldAtOnceIsFreedWithTheView) {
  v.m_AniAutoPlay[0] = v.CreateAnimationByName("m_AniAutoPlay", 10);
  v.m_AniAlart[2] = v.CreateAnimationByName("m_AniAlart", 13);
  v.m_pAniShunZi = v.CreateAnimationByName("m_pAniShunZi", ANI_ID_SHUNZI);
  v.m_pAniSpring = v.CreateAnimationByName("spring", ANI_ID_SPRING);
  v.PlayBombEffect(true, 6);
  v.PlayBombEffect(true, 9);
  v.ShowNotice("[ someone ] 玩家选择了托管");
  v.m_pScoreView->Show(true);
  v.m_pGameSetting = std::make_unique<CGameSetting>();
  v.GetGuiContainer()->add(v.m_pGameSetting.get());
  host.Frames(5);
  EXPECT_NE(v.m_pPortrait[2], nullptr);
  EXPECT_NE(v.m_AniAutoPlay[0], nullptr);
}

}  // namespace
