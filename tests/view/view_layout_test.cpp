// The layout pass: the scale and letterbox of a window size, widgets on the screen points of
// their keys, keys that do not read as numbers, the shake on the seat points, the derived gold
// points, the card controls' anchors by seat order, and the stored card spacing.
#include <cmath>

#include "cardcontrol/CardControl.h"
#include "tests/view/view_test_util.h"
#include "widgets/GameSetting.h"
#include "widgets/MyCButtonEx.h"

namespace {

using namespace view_test;

class ViewLayoutTest : public ViewFixture {
 protected:
  // The screen point of a design point under the last layout pass.
  Pt Screen(Pt design) {
    const CGameClientView& v = View();
    return Pt{static_cast<int>(design.x * 1.0f / 1280.0f * v.m_nContentWidth + v.m_fOffsetX),
              static_cast<int>(design.y * 1.0f / 720.0f * v.m_nContentHeight + v.m_fOffsetY)};
  }
};

struct SizeCase {
  int width, height;
  float scale;
  int contentW, contentH;
  float offsetX, offsetY;
};

TEST_F(ViewLayoutTest, OneScaleAndTheLetterboxPlaceEveryWidget) {
  const SizeCase cases[] = {
      {1280, 720, 1.0f, 1280, 720, 0.0f, 0.0f},
      {1600, 720, 1.0f, 1280, 720, 160.0f, 0.0f},
      {1920, 1200, 1.5f, 1920, 1080, 0.0f, 60.0f},
      {1284, 748, 1284.0f / 1280.0f, 1284, 722, 0.0f, 13.0f},  // the dialog's own size
      {640, 720, 0.5f, 640, 360, 0.0f, 180.0f},
  };
  CGameClientView& v = View();
  for (const SizeCase& c : cases) {
    SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height));
    v.ArrangeView(c.width, c.height);
    EXPECT_FLOAT_EQ(v.m_fScale, c.scale);
    EXPECT_EQ(v.m_nContentWidth, c.contentW);
    EXPECT_EQ(v.m_nContentHeight, c.contentH);
    EXPECT_FLOAT_EQ(v.m_fOffsetX, c.offsetX);
    EXPECT_FLOAT_EQ(v.m_fOffsetY, c.offsetY);

    // Buttons: a quarter of their picture (four states), scaled, at their key's screen point.
    const Pt start = Screen(At("BtReady"));
    EXPECT_EQ(v.m_btChildStart->getX(), start.x);
    EXPECT_EQ(v.m_btChildStart->getY(), start.y);
    EXPECT_EQ(v.m_btChildStart->getWidth(), static_cast<int>(kStartW * c.scale / 4));
    EXPECT_EQ(v.m_btChildStart->getHeight(), static_cast<int>(kStartH * c.scale));
    const Pt off = Screen(At("BtAuto"));
    EXPECT_EQ(v.m_btAutoPlayOff->getX(), off.x);
    EXPECT_EQ(v.m_btAutoPlayOn->getY(), off.y);

    // The local hand hangs from its top centre, at the full scale.
    CardControl& hand = *v.m_pHandCard[1];
    const BYTE cards[3] = {0x01, 0x02, 0x03};
    hand.SetCards(cards, 3);
    const Pt anchor = Screen(At("MePlayerHandCard"));
    EXPECT_EQ(hand.getY(), anchor.y);
    EXPECT_NEAR(hand.getX() + hand.getWidth() / 2, anchor.x, 1);
    EXPECT_EQ(hand.getWidth(), static_cast<int>((2 * 40 + kCardW) * c.scale));
    // The side hands at 0.55, the plays at 0.6 of it.
    const BYTE back[1] = {0};
    v.m_pHandCard[0]->SetCards(back, 1);
    EXPECT_EQ(v.m_pHandCard[0]->getWidth(), static_cast<int>(kCardW * 0.55f * c.scale));
    v.m_pOutCard[2]->SetCards(back, 1);
    EXPECT_EQ(v.m_pOutCard[2]->getWidth(), static_cast<int>(kCardW * 0.6f * c.scale));
  }
}

TEST_F(ViewLayoutTest, KeysThatAreNotNumbersReadAsZero) {
  platform_test::WriteText(dir.File("Torvaly/qzt.ini"),
                           "[GAME_COORDINATE]\nBgX=abc\nBtReadyX=12px\nBtReadyY=\n");
  View().ArrangeView(1280, 720);
  EXPECT_EQ(View().m_ptBg.x, 0);
  EXPECT_EQ(View().m_ptBg.y, 0);
  EXPECT_EQ(View().m_ptPlayer[0].x, 0) << "a missing key";
  EXPECT_EQ(View().m_btChildStart->getX(), 12);
  EXPECT_EQ(View().m_btChildStart->getY(), 0);
}

TEST_F(ViewLayoutTest, SideGoldPointsHangBelowTheFrame) {
  platform_test::WriteText(dir.File("Torvaly/qzt.ini"),
                           "[GAME_COORDINATE]\nRightPlayerBgX=100\nRightPlayerBgY=200\n"
                           "LeftPlayerBgX=30\nLeftPlayerBgY=40\nMePlayerGoldBgX=7\n"
                           "MePlayerGoldBgY=8\n");
  CGameClientView& v = View();
  v.ArrangeView(1280, 720);
  EXPECT_EQ(v.m_ptPlayerGoldBg[0].x, 100);
  EXPECT_EQ(v.m_ptPlayerGoldBg[0].y, 312);
  EXPECT_EQ(v.m_ptPlayerGold[0].x, 110);
  EXPECT_EQ(v.m_ptPlayerGold[0].y, 332);
  EXPECT_EQ(v.m_ptPlayerGoldBg[2].x, 30);
  EXPECT_EQ(v.m_ptPlayerGoldBg[2].y, 152);
  EXPECT_EQ(v.m_ptPlayerGoldBg[1].x, 7) << "the local seat's plate is a key of its own";
  EXPECT_EQ(v.m_ptPlayerGoldBg[1].y, 8);
}

TEST_F(ViewLayoutTest, TheShakeMovesTheSeatsAsALayoutPassWould) {
  CGameClientView& v = View();
  v.StartShake();
  int expectX = 0, expectY = 0;
  float phase = 0.0f;
  for (int step = 1; step <= 5; ++step) {
    SCOPED_TRACE(step);
    ASSERT_TRUE(v.ShakeStep());
    phase += 1.9f;
    expectX = static_cast<int>(6.0f * std::cos(phase));
    expectY = static_cast<int>(6.0f * std::sin(phase));
    EXPECT_EQ(v.m_nShakeX, expectX);
    EXPECT_EQ(v.m_nShakeY, expectY);
    // The points move at once; a layout pass puts them where they are.
    const tagViewPoint moved = v.m_ptPlayerGold[0];
    if (step % 2 == 0) v.ArrangeView(1280, 720);
    EXPECT_EQ(v.m_ptPlayerGold[0].x, moved.x);
    EXPECT_EQ(v.m_ptPlayerGold[0].y, moved.y);
    for (int p = 0; p < 3; ++p) {
      EXPECT_EQ(v.m_ptPlayerBg[p].x, At(p == 0 ? "RightPlayerBg" : p == 1 ? "MePlayerBg"
                                                                          : "LeftPlayerBg").x)
          << "the frames stay";
    }
    EXPECT_EQ(v.m_ptPlayer[0].x, At("RightPlayer").x + expectX);
    EXPECT_EQ(v.m_ptPlayer[2].y, At("LeftPlayer").y + expectY);
    EXPECT_EQ(v.m_ptPlayerName[1].x, At("MePlayerName").x + expectX);
    EXPECT_EQ(v.m_ptPlayerGold[1].y, At("MePlayerGold").y + expectY);
    // The side seats' plate and its text move with the seat, by the offset once.
    EXPECT_EQ(v.m_ptPlayerGoldBg[0].x, At("RightPlayerBg").x + expectX);
    EXPECT_EQ(v.m_ptPlayerGold[0].x, At("RightPlayerBg").x + expectX + 10);
    EXPECT_EQ(v.m_ptPlayerGold[0].y, At("RightPlayerBg").y + expectY + 132);
    EXPECT_EQ(v.m_ptBoxBg[0].x, At("RightBoxBg").x) << "no shake";
  }
  v.StopShake();
  EXPECT_EQ(v.m_ptPlayer[0].x, At("RightPlayer").x);
  EXPECT_EQ(v.m_ptPlayerGold[2].y, At("LeftPlayerBg").y + 132);
  EXPECT_FALSE(v.ShakeStep()) << "a stopped shake is over";
}

TEST_F(ViewLayoutTest, TheShakeEndsByItselfAndStopsTheDialogsTimer) {
  CGameClientView& v = View();
  host->Dialog().SetTimer(TIMER_SHAKE, 1);
  const int timers = CMessageQueue::Instance().ActiveTimers();
  v.StartShake();
  int steps = 0;
  while (v.ShakeStep()) ASSERT_LT(++steps, 100);
  EXPECT_EQ(steps, 39) << "24 pi in steps of 1.9";
  EXPECT_EQ(v.m_nShakeX, 0);
  EXPECT_EQ(v.m_nShakeY, 0);
  EXPECT_EQ(CMessageQueue::Instance().ActiveTimers(), timers - 1);
}

struct AnchorCase {
  BYTE order;
  WORD seat;
  bool hand;
  const char* stem;
  int xMode, yMode;
};

TEST_F(ViewLayoutTest, CardControlsAreAnchoredBySeatOrder) {
  const AnchorCase cases[] = {
      {1, 0, true, "RightPlayerHandCard", 2, 1}, {1, 2, true, "LeftPlayerHandCard", 0, 1},
      {1, 1, true, "MePlayerHandCard", 1, 0},    {1, 0, false, "RightPlayerOutCard", 2, 0},
      {1, 2, false, "LeftPlayerOutCard", 0, 0},  {1, 1, false, "MePlayerOutCard", 1, 0},
      {0, 0, true, "LeftPlayerHandCard", 0, 1},  {0, 2, true, "RightPlayerHandCard", 2, 1},
      {0, 1, true, "MePlayerHandCard", 1, 0},    {0, 0, false, "LeftPlayerOutCard", 0, 0},
      {0, 2, false, "RightPlayerOutCard", 2, 0}, {0, 1, false, "MePlayerOutCard", 1, 0},
  };
  const BYTE cards[4] = {0x01, 0x11, 0x21, 0x31};
  for (const AnchorCase& c : cases) {
    SCOPED_TRACE(std::string(c.stem) + " order " + std::to_string(c.order) + " seat " +
                 std::to_string(c.seat));
    CGameClientView& v = View();
    v.SetSeatOrder(c.order);
    v.ArrangeView(1600, 900);  // scale 1.25
    CardControl& control = c.hand ? *v.m_pHandCard[c.seat] : *v.m_pOutCard[c.seat];
    control.SetCards(cards, 4);
    const float s = 1.25f;
    const Pt a{static_cast<int>(At(c.stem).x * s), static_cast<int>(At(c.stem).y * s)};
    const int w = control.getWidth(), h = control.getHeight();
    ASSERT_GT(w, 0);
    const int x = c.xMode == 0 ? a.x : c.xMode == 1 ? a.x - w / 2 : a.x - w;
    const int y = c.yMode == 0 ? a.y : c.yMode == 1 ? a.y - h / 2 : a.y - h;
    EXPECT_EQ(control.getX(), x);
    EXPECT_EQ(control.getY(), y);
    EXPECT_TRUE(control.IsShown());
  }
}

TEST_F(ViewLayoutTest, EveryPassStoresCardSpacing29) {
  CBrisvaneApp& app = host->App();
  app.WriteProfileInt("GameOption", "CardSpace", 22);
  CGameClientView& v = View();
  const BYTE cards[3] = {0x01, 0x02, 0x03};
  v.m_pOutCard[1]->SetCards(cards, 3);

  v.ArrangeView(1280, 720);
  EXPECT_EQ(app.GetProfileInt("GameOption", "CardSpace", 0), 29u);
  EXPECT_EQ(v.m_pOutCard[1]->getWidth(), static_cast<int>((2 * 35 + kCardW) * 0.6f))
      << "plays step 35 without an options window";
  EXPECT_EQ(v.m_pHandCard[1]->getHeight(), kCardH + 20) << "the own hand's raise";

  // With an options window: it shows 29, the plays step by it, and it sits at (475, 170).
  v.m_pGameSetting = std::make_unique<CGameSetting>();
  v.GetGuiContainer()->add(v.m_pGameSetting.get());
  v.m_pGameSetting->SetCardSpacing(18);
  v.ArrangeView(1920, 1080);
  EXPECT_EQ(v.m_pGameSetting->GetCardSpacing(), 29);
  EXPECT_EQ(v.m_pOutCard[1]->getWidth(), static_cast<int>((2 * 29 + kCardW) * 0.6f * 1.5f));
  EXPECT_EQ(v.m_pGameSetting->getX(), static_cast<int>(475 * 1.5f));
  EXPECT_EQ(v.m_pGameSetting->getY(), static_cast<int>(170 * 1.5f));
  v.DestroyGameSetting();
  EXPECT_EQ(v.m_pGameSetting, nullptr);
}

}  // namespace
