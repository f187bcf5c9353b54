// One frame of the table, read back from the canvas (and from the screen where the widgets
// matter): which chair sits where, names cut and masked, gold, clocks, marks, the top panel, a
// seat without portrait, the side counts over the stacked hands, and the smooth scaling.
#include <set>

#include "cardcontrol/CardControl.h"
#include "motion/Animation_Varnel.h"
#include "platform/engine/hgeSprite.h"
#include "tests/view/view_test_util.h"
#include "text/TTFont.h"
#include "widgets/MyCButtonEx.h"
#include "widgets/ScoreView.h"

namespace {

using namespace view_test;

class ViewDrawTest : public ViewFixture {
 protected:
  // The region a line of text drawn at the pen (x, y) covers, rendered by the view's own font
  // over the table colour, compared with the canvas.
  ::testing::AssertionResult TextAt(const std::vector<uint32_t>& canvas, const wchar_t* text,
                                    int x, int y) {
    HGE* hge = host->Engine();
    const HTARGET target = hge->Target_Create(1280, 720, false);
    if (hge->Gfx_BeginScene(target)) {
      hge->Gfx_Clear(kTable);
      View().m_pFont->DrawString(text, static_cast<float>(x), static_cast<float>(y));
      hge->Gfx_EndScene();
    }
    const std::vector<uint32_t> expected = testsupport::ReadTarget(hge, target);
    hge->Target_Free(target);
    int inked = 0;
    for (int j = y - 22; j < y + 8; ++j) {
      for (int i = x - 2; i < x + 150; ++i) {
        const size_t at = static_cast<size_t>(j) * 1280 + i;
        if (expected[at] != kTable) ++inked;
        if (canvas[at] != expected[at])
          return ::testing::AssertionFailure() << "differs at (" << i << ", " << j << ")";
      }
    }
    if (inked == 0) return ::testing::AssertionFailure() << "the text drew nothing";
    return ::testing::AssertionSuccess();
  }
  // The point inside a picture drawn at a design point.
  static Pt In(const std::string& stem, int dx = 3, int dy = 3) {
    return Pt{At(stem).x + dx, At(stem).y + dy};
  }
  uint32_t CanvasAt(const std::vector<uint32_t>& canvas, Pt p) {
    return canvas[static_cast<size_t>(p.y) * 1280 + p.x];
  }
  void Running() {
    View().m_cbGameRunning = 1;
    for (BYTE& playing : View().m_cbPlayingFlag) playing = 1;
  }
};

TEST_F(ViewDrawTest, SeatOrderPutsChairZeroLeftOrRight) {
  Seat(0, "zero", 1, 0);
  Seat(2, "two", 2, 1);
  for (BYTE order : {0, 1}) {
    SCOPED_TRACE(order);
    View().SetSeatOrder(order);
    View().ArrangeView(1280, 720);
    host->Frame();
    const std::vector<uint32_t> canvas = host->ReadCanvas();
    const uint32_t chair0 = PortraitColor(1, 0), chair2 = PortraitColor(2, 1);
    EXPECT_EQ(CanvasAt(canvas, In("LeftPlayer", 10, 10)), order == 0 ? chair0 : chair2);
    EXPECT_EQ(CanvasAt(canvas, In("RightPlayer", 10, 10)), order == 0 ? chair2 : chair0);
    EXPECT_EQ(CanvasAt(canvas, In("LeftPlayerBg", 1, 1)), kFrame);
  }
}

TEST_F(ViewDrawTest, NamesAreCutFromTwelveBytesOnACharacter) {
  struct NameCase {
    const char* nickname;
    const char* shown;
  };
  const NameCase cases[] = {
      {"abcdefghijk", "abcdefghijk"},       // 11 bytes: whole
      {"abcdefghijkl", "abcdefghij..."},    // 12 bytes: 10 and "..."
      {"云中鹤", "云中鹤"},                 // 9 bytes
      {"云中鹤鹤", "云中鹤..."},            // 12 bytes: the cut would split the fourth
      {"ab云中鹤鹤", "ab云中..."},          // 14 bytes: cut back to 8
  };
  for (const NameCase& c : cases) {
    SCOPED_TRACE(c.nickname);
    Seat(2, c.nickname);
    host->Frame();
    EXPECT_STREQ(View().m_szName[2], c.shown);
    host->LeaveUser(2);
    host->Frame();
  }
  Seat(1, "Player_Local");
  host->Frame();
  EXPECT_STREQ(View().m_szName[1], "Player_Loc...");
  EXPECT_TRUE(TextAt(host->ReadCanvas(), L"Player_Loc...", At("MePlayerName").x,
                     At("MePlayerName").y));
}

TEST_F(ViewDrawTest, SideSeatsAreMaskedUntilTheyPlay) {
  struct MaskCase {
    const char* name;
    int masked;
    bool running;
    BYTE hidden;
    bool shownMasked;
  };
  const MaskCase cases[] = {
      {"just sat down", 1, false, 0, true},
      {"sat down, game of others", 1, true, 0, false},  // playing: the start record unmasked it
      {"known", 0, false, 0, false},
      {"server hides, waiting", 0, false, 1, true},
      {"server hides, playing", 0, true, 1, true},
  };
  Seat(1, "me");
  Seat(0, "Leftie", 1, 0, 777);
  View().m_pGoldBg->SetShow(false);  // the gold text alone, on the table colour
  for (const MaskCase& c : cases) {
    SCOPED_TRACE(c.name);
    tagServerAttribute attribute{};
    attribute.cbHideUserInfo = c.hidden;
    host->SetServerAttribute(attribute);
    View().m_nMaskedFlag[0] = c.masked;
    View().m_nMaskedFlag[1] = 1;  // never shown for the local seat
    View().m_cbGameRunning = c.running ? 1 : 0;
    View().m_cbPlayingFlag[0] = c.running ? 1 : 0;
    host->Frame();
    const std::vector<uint32_t> canvas = host->ReadCanvas();
    // Seat order 0: chair 0 is the left seat.
    const Pt name = At("LeftPlayerName");
    const tagViewPoint gold = View().m_ptPlayerGold[2];
    EXPECT_TRUE(TextAt(canvas, c.shownMasked ? L"游戏玩家" : L"Leftie", name.x, name.y));
    EXPECT_TRUE(TextAt(canvas, c.shownMasked ? L"********" : L"777", gold.x, gold.y));
    EXPECT_TRUE(TextAt(canvas, L"me", At("MePlayerName").x, At("MePlayerName").y));
  }
}

TEST_F(ViewDrawTest, GoldZeroHidesASideSeatsPlateButNeverTheLocalOne) {
  Seat(0, "a", 1, 0, 0);
  Seat(1, "b", 1, 1, 0);
  Seat(2, "c", 1, 2, 42);
  host->Frame();
  const std::vector<uint32_t> canvas = host->ReadCanvas();
  const tagViewPoint leftPlate = View().m_ptPlayerGoldBg[2], rightPlate = View().m_ptPlayerGoldBg[0];
  EXPECT_EQ(CanvasAt(canvas, {leftPlate.x + 2, leftPlate.y + 2}), kTable);
  EXPECT_EQ(CanvasAt(canvas, {rightPlate.x + 2, rightPlate.y + 2}), kGoldPlate);
  EXPECT_EQ(CanvasAt(canvas, In("MePlayerGoldBg", 2, 2)), kGoldPlate);
  EXPECT_EQ(View().m_lGold[0], 0);
  EXPECT_EQ(View().m_lGold[2], 42);
}

TEST_F(ViewDrawTest, ClocksOfOneAndTwoDigits) {
  Seat(1, "me");
  Seat(2, "right");
  struct ClockCase {
    WORD chair;
    const char* stem;
    UINT seconds;
  };
  const ClockCase cases[] = {{1, "MePlayerTimeNum", 7}, {2, "RightPlayerTimeNum", 15},
                             {1, "MePlayerTimeNum", 20}};
  for (const ClockCase& c : cases) {
    SCOPED_TRACE(c.seconds);
    host->Dialog().KillGameTimer(0);
    host->Dialog().SetGameTimer(c.chair, 200, c.seconds);
    host->Frame(1);
    const std::vector<uint32_t> canvas = host->ReadCanvas();
    const Pt at = At(c.stem);
    if (c.seconds < 10) {
      EXPECT_EQ(CanvasAt(canvas, {at.x - 9 + 2, at.y + 2}), DigitColor(CLOCK_DIGITS, c.seconds));
      EXPECT_EQ(CanvasAt(canvas, {at.x + 2, at.y + 2}), kClockBack);
    } else {
      EXPECT_EQ(CanvasAt(canvas, {at.x + 2, at.y + 2}), DigitColor(CLOCK_DIGITS, c.seconds % 10));
      EXPECT_EQ(CanvasAt(canvas, {at.x - kDigitW + 2, at.y + 2}),
                DigitColor(CLOCK_DIGITS, c.seconds / 10));
    }
  }
  host->Dialog().KillGameTimer(0);
  host->Frame(1);
  EXPECT_EQ(Canvas(In("MePlayerTimeBg").x, In("MePlayerTimeBg").y), kTable) << "no clock";
}

TEST_F(ViewDrawTest, TheTopPanelShowsOnlyWhileCardsAreDealtOut) {
  CGameClientView& v = View();
  v.m_pNumber->SetShow(true);
  v.SetBeiShu(128);
  struct PanelCase {
    bool running;
    BYTE deck;
    bool shown;
  };
  for (const PanelCase& c : {PanelCase{true, 53, true}, PanelCase{true, 54, false},
                             PanelCase{true, 200, false}, PanelCase{false, 20, false},
                             PanelCase{true, 0, true}}) {
    SCOPED_TRACE(std::to_string(c.deck) + (c.running ? " running" : " not running"));
    v.m_cbGameRunning = c.running;
    v.SetLeftCardCount(c.deck);
    host->Frame();
    const std::vector<uint32_t> canvas = host->ReadCanvas();
    EXPECT_EQ(CanvasAt(canvas, In("BeishuBg", 150, 20)), c.shown ? kTopPanel : kTable);
    if (!c.shown) continue;
    // The multiple: ones at its point, each higher digit a cell further left.
    const Pt m = In("BeishuNum", 2, 2);
    EXPECT_EQ(CanvasAt(canvas, m), DigitColor(PANEL_DIGITS, 8));
    EXPECT_EQ(CanvasAt(canvas, {m.x - kDigitW, m.y}), DigitColor(PANEL_DIGITS, 2));
    EXPECT_EQ(CanvasAt(canvas, {m.x - 2 * kDigitW, m.y}), DigitColor(PANEL_DIGITS, 1));
    // The deck count centred on its point.
    const Pt d = At("LeftCount");
    const int n = c.deck >= 10 ? 2 : 1;
    const int ones = d.x + n * kDigitW / 2 - kDigitW;
    EXPECT_EQ(CanvasAt(canvas, {ones + 2, d.y - kDigitH / 2 + 2}),
              DigitColor(PANEL_DIGITS, c.deck % 10));
  }
}

TEST_F(ViewDrawTest, MarksBoxesBankerAndWaitTip) {
  Seat(0, "ready one", 1, 0, 5, US_READY);
  Seat(1, "me", 1, 1, 5, US_READY);
  Seat(2, "passer", 1, 2);
  CGameClientView& v = View();
  v.SetPassFlag(2, true);
  v.SetBankerSeat(1, 1);
  v.m_cbWaitTip = 1;
  host->Frame();
  std::vector<uint32_t> canvas = host->ReadCanvas();
  EXPECT_EQ(CanvasAt(canvas, In("LeftReady")), kReady);
  EXPECT_EQ(CanvasAt(canvas, In("LeftBoxBg", 1, 1)), kBox);
  EXPECT_EQ(CanvasAt(canvas, In("MeReady")), kReady);
  EXPECT_EQ(CanvasAt(canvas, In("RightPass")), kPass);
  EXPECT_EQ(CanvasAt(canvas, In("MePlayer", 2, 2)), kBanker);
  EXPECT_EQ(CanvasAt(canvas, {746 + 2, 565 + 2}), kWaitTip);

  // No ready marks on a match server; a hidden pass mark takes its box with it.
  v.m_wServerType = 4;
  v.m_pImageBuchu->SetShow(false);
  v.SetBankerSeat(VIEW_NO_CHAIR, 0);
  host->Frame();
  canvas = host->ReadCanvas();
  EXPECT_EQ(CanvasAt(canvas, In("LeftReady")), kTable);
  EXPECT_EQ(CanvasAt(canvas, In("RightPass")), kTable);
  EXPECT_EQ(CanvasAt(canvas, In("RightBoxBg", 1, 1)), kTable);
  EXPECT_EQ(CanvasAt(canvas, In("MePlayer", 2, 2)), PortraitColor(1, 1));
}

TEST_F(ViewDrawTest, ASeatWithoutPortraitKeepsOnlyClockPassAndAutoPlay) {
  Start({"people22"});  // gender 2, face 1 has no picture
  Seat(2, "faceless", 2, 1, 900, US_READY);
  CGameClientView& v = View();
  Running();
  v.SetCardCount(2, 9);
  v.SetPassFlag(2, true);
  v.m_AniAutoPlay[2] = v.CreateAnimationByName("m_AniAutoPlay", 12);
  ASSERT_NE(v.m_AniAutoPlay[2], nullptr);
  v.m_AniAutoPlay[2]->Play();
  v.SetAutoPlayFlag(2, true);
  host->Dialog().SetGameTimer(2, 200, 5);
  host->Frame();
  const std::vector<uint32_t> canvas = host->ReadCanvas();
  // Right seat (order 0: chair 2): no frame, name, gold, count or ready mark.
  EXPECT_TRUE(AllOf(canvas, At("RightPlayerBg").x, At("RightPlayerName").y - 20, 40, 60, kTable));
  EXPECT_EQ(CanvasAt(canvas, {v.m_ptPlayerGoldBg[0].x + 2, v.m_ptPlayerGoldBg[0].y + 2}), kTable);
  // Clock, pass mark and the auto-play mark still show.
  EXPECT_EQ(CanvasAt(canvas, In("RightPlayerTimeBg", 1, 1)), kClockBack);
  EXPECT_EQ(CanvasAt(canvas, In("RightPass")), kPass);
  EXPECT_EQ(CanvasAt(canvas, In("RightAutoAndAlart", 1, 1)), kAutoPlay);
  EXPECT_EQ(v.m_cbAutoPlayFlag[2], 1);
  const std::vector<uint32_t> screen = host->ReadScreen();
  EXPECT_NE(screen[static_cast<size_t>(At("RightPlayerLeftCardBg").y + 2) * 1280 +
                   At("RightPlayerLeftCardBg").x + 2],
            kCountBack);

  // An empty chair loses its auto-play flag.
  host->LeaveUser(2);
  host->Frame();
  EXPECT_EQ(v.m_cbAutoPlayFlag[2], 0);
}

TEST_F(ViewDrawTest, SideCountsShowOverTheirStackedHands) {
  Seat(0, "left");
  Seat(2, "right");
  CGameClientView& v = View();
  Running();
  v.SetCardCount(0, 7);
  v.SetCardCount(2, 12);
  const BYTE backs[12] = {};
  for (WORD seat : {0, 2}) v.m_pHandCard[seat]->SetCards(backs, v.m_cbCardCount[seat]);
  // Each stack covers its count point, as the real table's hands do.
  v.m_pHandCard[0]->SetAnchor(At("LeftPlayerLeftCard").x, At("LeftPlayerLeftCard").y, 1, 1, 1);
  v.m_pHandCard[2]->SetAnchor(At("RightPlayerLeftCard").x, At("RightPlayerLeftCard").y, 1, 1, 1);
  host->Frame();
  EXPECT_EQ(v.m_pHandCard[2]->getHeight(), static_cast<int>(kCardH * 0.55f)) << "one stack";
  const std::vector<uint32_t> screen = host->ReadScreen();
  auto px = [&](int x, int y) { return screen[static_cast<size_t>(y) * 1280 + x]; };
  const Pt l = At("LeftPlayerLeftCard"), r = At("RightPlayerLeftCard");
  EXPECT_EQ(px(l.x - kDigitW / 2 + 2, l.y - kDigitH / 2 + 2), DigitColor(COUNT_DIGITS, 7));
  EXPECT_EQ(px(r.x + 2, r.y - kDigitH / 2 + 2), DigitColor(COUNT_DIGITS, 2));
  EXPECT_EQ(px(r.x - kDigitW + 2, r.y - kDigitH / 2 + 2), DigitColor(COUNT_DIGITS, 1));
  EXPECT_EQ(px(At("LeftPlayerLeftCardBg").x + 1, At("LeftPlayerLeftCardBg").y + 1), kCountBack);

  // Without a running game nothing is counted and the hands keep their steps.
  v.m_cbGameRunning = 0;
  v.m_pHandCard[2]->SetSpacing(0, 35, 0);
  host->Frame();
  EXPECT_GT(v.m_pHandCard[2]->getHeight(), static_cast<int>(kCardH * 0.55f));
}

TEST_F(ViewDrawTest, SetCardCountForEverySeatAsksNoRedraw) {
  CGameClientView& v = View();
  struct CountCase {
    WORD chair;
    BYTE count;
    unsigned redraws;
    BYTE expect[3];
  };
  v.SetCardCount(VIEW_ALL_SEATS, 9);
  const CountCase cases[] = {
      {1, 5, 1, {9, 5, 9}},
      {VIEW_ALL_SEATS, 0, 0, {0, 0, 0}},
      {3, 4, 0, {0, 0, 0}},  // not a seat
      {2, 17, 1, {0, 0, 17}},
  };
  for (const CountCase& c : cases) {
    SCOPED_TRACE(c.chair);
    const unsigned before = v.RedrawRequests();
    v.SetCardCount(c.chair, c.count);
    EXPECT_EQ(v.RedrawRequests() - before, c.redraws);
    for (int s = 0; s < 3; ++s) EXPECT_EQ(v.m_cbCardCount[s], c.expect[s]);
  }
  const unsigned before = v.RedrawRequests();
  v.SetPassFlag(VIEW_ALL_SEATS, true);
  EXPECT_EQ(v.RedrawRequests(), before);
  EXPECT_EQ(v.m_cbPassFlag[0] + v.m_cbPassFlag[1] + v.m_cbPassFlag[2], 3);
  v.SetAutoPlayFlag(VIEW_ALL_SEATS, true);
  EXPECT_EQ(v.RedrawRequests(), before + 1);
}

TEST_F(ViewDrawTest, ResetTableEmptiesTheTable) {
  CGameClientView& v = View();
  const BYTE cards[2] = {0x01, 0x02};
  v.m_pHandCard[1]->SetCards(cards, 2);
  v.m_pOutCard[0]->SetCards(cards, 2);
  gcn::Widget* buttons[] = {v.m_btOutCard.get(),    v.m_btPassCard.get(),   v.m_btAutoOutCard.get(),
                            v.m_btAutoPlayOn.get(), v.m_btAutoPlayOff.get(), v.m_btChildStart.get(),
                            v.m_pbtDetails.get(),   v.m_pbtChangeTable.get()};
  for (gcn::Widget* button : buttons) button->setVisible(true);
  v.m_pScoreView->Show(true);
  v.m_pBeiShu->SetShow(true);
  v.m_pNumber->SetShow(true);
  v.m_cbGameRunning = 1;
  v.SetBeiShu(8);
  v.SetBankerSeat(1, 1);
  v.SetPassFlag(0, true);
  v.SetAutoPlayFlag(2, true);
  v.m_cbAlarmFlag[1] = 1;
  v.SetLeftCardCount(20);
  v.SetScore64(5);
  v.SetBaseScore64(1, 2);
  v.m_lGold[0] = 9;

  v.ResetTable();
  EXPECT_EQ(v.m_cbGameRunning, 0);
  EXPECT_EQ(v.m_wBeiShu, 1);
  EXPECT_EQ(v.m_wBankerChair, VIEW_NO_CHAIR);
  EXPECT_EQ(v.m_cbBankerFlag, 0);
  EXPECT_EQ(v.m_cbPassFlag[0], 0);
  EXPECT_EQ(v.m_cbAutoPlayFlag[2], 0);
  EXPECT_EQ(v.m_cbAlarmFlag[1], 0);
  EXPECT_EQ(v.m_cbLeftCardCount, 0);
  EXPECT_EQ(v.m_lGold[0], 0);
  EXPECT_EQ(v.m_lScore, 0);
  EXPECT_EQ(v.m_dwBaseScore[0] + v.m_dwBaseScore[1], 0u);
  EXPECT_EQ(v.m_pHandCard[1]->GetCardCount(), 0u);
  EXPECT_EQ(v.m_pOutCard[0]->GetCardCount(), 0u);
  for (gcn::Widget* button : buttons) EXPECT_FALSE(button->isVisible());
  EXPECT_FALSE(v.m_pScoreView->IsShow());
  EXPECT_FALSE(v.m_pBeiShu->IsShow());
  EXPECT_FALSE(v.m_pNumber->IsShow());
}

TEST_F(ViewDrawTest, TheCanvasIsScaledSmoothly) {
  Start({}, 1920, 1080);
  Seat(0, "left");
  host->Frame();
  const std::vector<uint32_t> screen = host->ReadScreen();
  ASSERT_EQ(screen.size(), 1920u * 1080u);
  // Across the left edge of the portrait frame (design x 100, screen x 150) the colours blend.
  const int y = static_cast<int>((At("LeftPlayerBg").y + 20) * 1.5f);
  std::set<uint32_t> colours;
  for (int x = 140; x < 160; ++x) colours.insert(screen[static_cast<size_t>(y) * 1920 + x]);
  EXPECT_GT(colours.size(), 2u) << "nearest-neighbour scaling shows two colours only";
  EXPECT_EQ(screen[static_cast<size_t>(y) * 1920 + 140], kTable);
  EXPECT_EQ(screen[static_cast<size_t>(y) * 1920 + 156], kFrame);
}

// With the real resource folder and font: every seat's gold stands in the middle of its plate,
// the side seats' at the point derived from the plate (+10, +20) as the local one's, also while
// the seats shake.
TEST(ViewRealFolderTest, GoldSitsInTheMiddleOfEveryPlate) {
  CViewHost host("", 1280, 720);
  ASSERT_TRUE(host.Ok());
  host.SetSelf(1);
  for (WORD chair = 0; chair < 3; ++chair)
    host.SeatUser(chair, "name", GENDER_MALE, chair, 98765, US_PLAY);
  host.Frame();
  CGameClientView& v = host.View();
  v.m_cbGameRunning = 1;
  for (BYTE& playing : v.m_cbPlayingFlag) playing = 1;
  for (int shakeSteps : {0, 3}) {
    SCOPED_TRACE(shakeSteps);
    v.StartShake();
    for (int i = 0; i < shakeSteps; ++i) v.ShakeStep();
    ASSERT_TRUE(shakeSteps == 0 || (v.m_nShakeX != 0 && v.m_nShakeY != 0));
    host.Frame();
    const std::vector<uint32_t> canvas = host.ReadCanvas();
    ASSERT_NE(v.m_pGoldBg, nullptr);
    const int plateW = static_cast<int>(v.m_pGoldBg->GetWidth());
    const int plateH = static_cast<int>(v.m_pGoldBg->GetHeight());
    auto rgb = [&](int x, int y, int shift) {
      return static_cast<int>(canvas[static_cast<size_t>(y) * 1280 + x] >> shift & 0xFF);
    };
    for (int p = 0; p < 3; ++p) {
      SCOPED_TRACE(p);
      const tagViewPoint plate = v.m_ptPlayerGoldBg[p];
      // The yellow digits' rows, and the rows of the plate's dark inside beside them (between
      // the digits and the coin).
      int inkTop = -1, inkBottom = -1, insideTop = -1, insideBottom = -1;
      for (int y = plate.y; y < plate.y + plateH; ++y) {
        for (int x = plate.x + 6; x < plate.x + 62; ++x) {
          if (rgb(x, y, 16) > 200 && rgb(x, y, 8) > 200 && rgb(x, y, 0) < 60) {
            if (inkTop < 0) inkTop = y;
            inkBottom = y;
            break;
          }
        }
        const int x = plate.x + plateW * 2 / 3;
        const int r = rgb(x, y, 16), g = rgb(x, y, 8), b = rgb(x, y, 0);
        if (r >= g && r < 130 && b < 80) {
          if (insideTop < 0) insideTop = y;
          insideBottom = y;
        }
      }
      ASSERT_GE(inkTop, 0) << "no gold drawn";
      ASSERT_GE(insideTop, 0) << "no plate drawn";
      EXPECT_GT(inkTop, insideTop);
      EXPECT_LT(inkBottom, insideBottom);
      // Centred to half a pixel: as much room above the digits as below them.
      EXPECT_LE(std::abs((inkTop + inkBottom) - (insideTop + insideBottom)), 1)
          << "digits " << inkTop << ".." << inkBottom << ", plate " << insideTop << ".."
          << insideBottom;
    }
  }
}

// The end panel lies over every card: the local seat's last play, still on the table for the
// first seconds after a result, takes no pixel of the detail form's box. The counting numbers
// of the simple form step once a frame.
TEST(ViewRealFolderTest, TheEndPanelLiesOverEveryCard) {
  CViewHost host("", 1280, 720);
  ASSERT_TRUE(host.Ok());
  host.SetSelf(1);
  for (WORD chair = 0; chair < 3; ++chair)
    host.SeatUser(chair, "name", GENDER_MALE, chair, 98765, US_PLAY);
  CGameClientView& v = host.View();
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
  auto screenWith = [&](bool cards, bool shown) {
    play.SetCards(cards ? straight : nullptr, cards ? 9 : 0);
    panel.Show(shown);
    host.Frame();
    return host.ReadScreen();
  };
  const std::vector<uint32_t> panelOnly = screenWith(false, true);
  const std::vector<uint32_t> panelAndCards = screenWith(true, true);
  const std::vector<uint32_t> tableAndCards = screenWith(true, false);
  const std::vector<uint32_t> tableOnly = screenWith(false, false);
  auto far = [](uint32_t a, uint32_t b) {
    for (int shift : {0, 8, 16})
      if (std::abs(static_cast<int>(a >> shift & 0xFF) - static_cast<int>(b >> shift & 0xFF)) > 40)
        return true;
    return false;
  };
  int cardPixels = 0, shownOverPanel = 0;
  for (size_t i = 0; i < tableOnly.size(); ++i) {
    if (!far(tableAndCards[i], tableOnly[i])) continue;  // no card here
    ++cardPixels;
    if (far(panelAndCards[i], panelOnly[i])) ++shownOverPanel;
  }
  ASSERT_GT(cardPixels, 5000) << "the play lies on the table";
  EXPECT_LT(shownOverPanel, cardPixels / 20) << "the play shows through the panel";
}

}  // namespace
