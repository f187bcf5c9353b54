// The layout pass: the scale and letterbox of a window size, widgets on the screen points of
// their keys, the shake on the seat points, the card controls' anchors by seat order, and the
// player's card spacing kept.
#include "cardcontrol/CardControl.h"
#include "tests/view/view_test_util.h"
#include "widgets/GameSetting.h"
#include "widgets/MyCButtonEx.h"

namespace {

using namespace view_test;

using ViewLayoutTest = ViewFixture;

TEST_F(ViewLayoutTest, OneScaleAndTheLetterboxPlaceEveryWidget) {
  const struct {
    int width, height;
    float scale, offsetX, offsetY;
  } cases[] = {
      {1280, 720, 1.0f, 0.0f, 0.0f},
      {1600, 720, 1.0f, 160.0f, 0.0f},
      {1920, 1200, 1.5f, 0.0f, 60.0f},
      // The window's first size: the table unscaled, on whole pixels, not stretched by 0.3 %.
      {1284, 748, 1.0f, 2.0f, 14.0f},
      {1285, 749, 1.0f, 2.0f, 14.0f},
  };
  CGameClientView& v = View();
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height));
    v.ArrangeView(c.width, c.height);
    auto screen = [&](const char* stem) {
      return Pt{static_cast<int>(At(stem).x * c.scale + c.offsetX),
                static_cast<int>(At(stem).y * c.scale + c.offsetY)};
    };
    // Buttons: a quarter of their picture (four states), scaled, at their key's screen point.
    EXPECT_EQ(v.m_btChildStart->getX(), screen("BtReady").x);
    EXPECT_EQ(v.m_btChildStart->getY(), screen("BtReady").y);
    EXPECT_EQ(v.m_btChildStart->getWidth(), static_cast<int>(kStartW * c.scale / 4));
    EXPECT_EQ(v.m_btChildStart->getHeight(), static_cast<int>(kStartH * c.scale));
    EXPECT_EQ(v.m_btAutoPlayOff->getY(), screen("BtAuto").y);
    // The local hand hangs from its top centre at the full scale, stepped by the card spacing; the
    // side hands at 0.55, the plays at 0.6 of it.
    CardControl& hand = *v.m_pHandCard[1];
    const BYTE cards[3] = {0x01, 0x02, 0x03};
    hand.SetCards(cards, 3);
    EXPECT_EQ(hand.getY(), screen("MePlayerHandCard").y);
    EXPECT_NEAR(hand.getX() + hand.getWidth() / 2, screen("MePlayerHandCard").x, 1);
    EXPECT_EQ(hand.getWidth(), static_cast<int>((2 * v.m_nCardSpacing + kCardW) * c.scale));
    v.m_pHandCard[0]->SetCards(cards, 1);
    EXPECT_EQ(v.m_pHandCard[0]->getWidth(), static_cast<int>(kCardW * 0.55f * c.scale));
    v.m_pOutCard[2]->SetCards(cards, 1);
    EXPECT_EQ(v.m_pOutCard[2]->getWidth(), static_cast<int>(kCardW * 0.6f * c.scale));
  }
}

// The seat's points (portrait, name, gold plate and its text) move together with the shake,
// where a layout pass would put them; the frames and everything else stay; the shake ends by
// itself and stops the dialog's timer.
TEST_F(ViewLayoutTest, TheShakeMovesTheSeatsTogether) {
  CGameClientView& v = View();
  auto seat = [&](int p) {
    return std::vector<tagViewPoint>{v.m_ptPlayer[p],       v.m_ptPlayerName[p],
                                     v.m_ptPlayerGoldBg[p], v.m_ptPlayerGold[p],
                                     v.m_ptPlayerBg[p],     v.m_ptBoxBg[p]};
  };
  const std::vector<tagViewPoint> still[3] = {seat(0), seat(1), seat(2)};
  host->Dialog().SetTimer(TIMER_SHAKE, 1);
  const int timers = CMessageQueue::Instance().ActiveTimers();
  v.StartShake();
  int steps = 0;
  while (v.ShakeStep()) {
    ASSERT_LT(++steps, 100);
    if (steps % 2 == 0) v.ArrangeView(1280, 720);
    for (int p = 0; p < 3; ++p) {
      const std::vector<tagViewPoint> now = seat(p);
      for (size_t i = 0; i < now.size(); ++i) {
        const int moved = i < 4 ? 1 : 0;  // the frame and the box stay
        EXPECT_EQ(now[i].x, still[p][i].x + moved * v.m_nShakeX) << p << "/" << i;
        EXPECT_EQ(now[i].y, still[p][i].y + moved * v.m_nShakeY) << p << "/" << i;
      }
    }
  }
  EXPECT_EQ(steps, 39) << "24 pi in steps of 1.9";
  EXPECT_EQ(v.m_ptPlayerGold[0].x, still[0][3].x);
  EXPECT_EQ(CMessageQueue::Instance().ActiveTimers(), timers - 1);
  v.StartShake();
  v.ShakeStep();
  v.StopShake();
  EXPECT_EQ(v.m_ptPlayer[2].y, still[2][0].y);
  EXPECT_FALSE(v.ShakeStep()) << "a stopped shake is over";
}

// Position p (0 right, 1 local, 2 left) is the seat with the seat order on, else 2 - seat. Every
// control lies on the table side of its key: a right one ends there, a left one starts there,
// the local ones are centred; side hands hang at their middle, everything else from its top.
TEST_F(ViewLayoutTest, CardControlsAreAnchoredBySeatOrder) {
  const char* const kSide[3] = {"Right", "Me", "Left"};
  const BYTE cards[4] = {0x01, 0x11, 0x21, 0x31};
  CGameClientView& v = View();
  for (BYTE order : {0, 1}) {
    v.SetSeatOrder(order);
    v.ArrangeView(1600, 900);  // scale 1.25
    for (WORD seat = 0; seat < 3; ++seat) {
      for (bool hand : {true, false}) {
        const int p = order ? seat : 2 - seat;
        const Pt key = At(std::string(kSide[p]) + (hand ? "PlayerHandCard" : "PlayerOutCard"));
        SCOPED_TRACE(std::to_string(order) + " " + std::to_string(seat) +
                     (hand ? " hand" : " out"));
        CardControl& control = hand ? *v.m_pHandCard[seat] : *v.m_pOutCard[seat];
        control.SetCards(cards, 4);
        const int w = control.getWidth(), h = control.getHeight();
        ASSERT_GT(w, 0);
        EXPECT_EQ(control.getX(), static_cast<int>(key.x * 1.25f) - w * (2 - p) / 2);
        EXPECT_EQ(control.getY(), static_cast<int>(key.y * 1.25f) - (hand && p != 1 ? h / 2 : 0));
        EXPECT_TRUE(control.IsShown());
      }
    }
  }
}

// The card spacing is the player's: no pass stores another in the profile or changes what the
// options window holds, and the own hand keeps its step through every pass.
TEST_F(ViewLayoutTest, ThePlayersCardSpacingOutlivesEveryPass) {
  CBrisvaneApp& app = host->App();
  app.WriteProfileInt("GameOption", "CardSpace", 22);
  CGameClientView& v = View();
  v.SetCardSpacing(22);
  const BYTE cards[3] = {0x01, 0x02, 0x03};
  v.m_pHandCard[1]->SetCards(cards, 3);
  v.m_pOutCard[1]->SetCards(cards, 3);

  v.ArrangeView(1280, 720);
  EXPECT_EQ(app.GetProfileInt("GameOption", "CardSpace", 0), 22u);
  EXPECT_EQ(v.m_pHandCard[1]->getWidth(), 2 * 22 + kCardW) << "the own hand steps by it";
  EXPECT_EQ(v.m_pHandCard[1]->getHeight(), kCardH + 20) << "the own hand's raise";
  EXPECT_EQ(v.m_pOutCard[1]->getWidth(), static_cast<int>((2 * 35 + kCardW) * 0.6f))
      << "plays step 35 without an options window";

  // With an options window: it keeps its value, the plays step by it, and it sits at (475, 170).
  v.m_pGameSetting = std::make_unique<CGameSetting>();
  v.GetGuiContainer()->add(v.m_pGameSetting.get());
  v.m_pGameSetting->SetCardSpacing(18);
  v.ArrangeView(1920, 1080);
  EXPECT_EQ(v.m_pGameSetting->GetCardSpacing(), 18);
  EXPECT_EQ(app.GetProfileInt("GameOption", "CardSpace", 0), 22u);
  EXPECT_EQ(v.m_pHandCard[1]->getWidth(), static_cast<int>((2 * 22 + kCardW) * 1.5f));
  EXPECT_EQ(v.m_pOutCard[1]->getWidth(), static_cast<int>((2 * 18 + kCardW) * 0.6f * 1.5f));
  EXPECT_EQ(v.m_pGameSetting->getX(), static_cast<int>(475 * 1.5f));
  EXPECT_EQ(v.m_pGameSetting->getY(), static_cast<int>(170 * 1.5f));
  v.DestroyGameSetting();
  EXPECT_EQ(v.m_pGameSetting, nullptr);
}

}  // namespace
