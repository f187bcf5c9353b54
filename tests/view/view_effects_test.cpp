// Effects and the per-frame step: the rocket's flight, burst and the timer that puts it away,
// bombs reusing their flash, where effects are placed, pictures too small for their grid,
// textures and portraits, the keys read each frame (Escape, K) and the notices.
#include <SDL2/SDL.h>

#include "motion/Animation_Varnel.h"
#include "motion/MoveSpriteManager_Varnel.h"
#include "tests/view/view_test_util.h"
#include "text/TTFont.h"
#include "widgets/ScoreView.h"

namespace {

using namespace view_test;

using ViewEffectsTest = ViewFixture;

TEST_F(ViewEffectsTest, TheRocketFliesBurstsAndGoesASecondLater) {
  CGameClientView& v = View();
  v.m_wOutCardChair = 2;
  v.PlayBombEffect(true, 9);
  Animation_Varnel* rocket = v.m_pAniRocket.get();
  Animation_Varnel* burst = v.m_pAniRocket2.get();
  MoveSpriteManager_Varnel& sprites = *v.m_pMoveSprites;
  const MoveSprite_Varnel* flying = sprites.GetSpriteByID(MOTION_ID_ROCKET);
  ASSERT_TRUE(flying != nullptr && burst != nullptr);
  EXPECT_EQ(flying->GetY(), 720.0f);
  EXPECT_EQ(flying->GetAnimation(), rocket);
  EXPECT_EQ(rocket->GetFrame(), 2);
  EXPECT_FALSE(burst->IsShow());

  // 920 pixels at 2000 a second, 40 a frame: 23 frames of flight, one that finds the point
  // reached, one that ends the path.
  int frames = 0;
  for (; sprites.GetCount() > 0 && frames < 100; ++frames) host->Frame(20);
  EXPECT_EQ(frames, 25);
  EXPECT_TRUE(burst->IsShow() && burst->IsPlaying());

  // The burst runs once (9 frames at 12 a second) and stays on its last frame...
  for (frames = 0; burst->IsPlaying() && frames < 100; ++frames) host->Frame(20);
  EXPECT_NEAR(frames * 20, 9 * 1000 / 12, 40);
  EXPECT_EQ(burst->GetFrame(), 8);
  // ...until a second after its end; the next run hides by itself again.
  host->Frame(900);
  EXPECT_TRUE(burst->IsShow());
  host->Frame(200);
  EXPECT_FALSE(burst->IsShow());
  EXPECT_TRUE(burst->GetHideOnEnd());

  // A second rocket reuses both animations and flies on a new sprite; two can fly at once.
  v.PlayBombEffect(true, 9);
  EXPECT_EQ(v.m_pAniRocket.get(), rocket);
  EXPECT_EQ(v.m_pAniRocket2.get(), burst);
  host->Frames(3, 20);
  v.PlayBombEffect(true, 9);
  ASSERT_EQ(sprites.GetCount(), 2);
  EXPECT_LT(sprites.GetSprite(0)->GetY(), sprites.GetSprite(1)->GetY());

  // A new game takes a rocket in flight along before its animation goes.
  v.DestroyEffectAnimations();
  EXPECT_EQ(sprites.GetCount(), 0) << "no sprite may keep the deleted animation";
  host->Frames(3, 20);
}

TEST_F(ViewEffectsTest, BombsShareOneFlash) {
  CGameClientView& v = View();
  v.PlayBombEffect(false, 5);
  v.PlayBombEffect(true, 4);
  v.PlayBombEffect(true, 10);
  EXPECT_EQ(v.m_pAniFlash, nullptr);
  Animation_Varnel* first = nullptr;
  for (BYTE type : {5, 6, 7, 8}) {
    SCOPED_TRACE(type);
    v.PlayBombEffect(true, type);
    ASSERT_NE(v.m_pAniFlash, nullptr);
    if (first == nullptr) first = v.m_pAniFlash.get();
    EXPECT_EQ(v.m_pAniFlash.get(), first);
    EXPECT_TRUE(v.m_pAniFlash->IsShow() && v.m_pAniFlash->IsPlaying());
    EXPECT_EQ(v.m_pAniFlash->GetFrame(), 0);
    host->Frames(5, 20);
  }
  EXPECT_EQ(v.m_pAniRocket, nullptr) << "no rocket for a bomb";
  EXPECT_EQ(v.m_pMoveSprites->GetCount(), 0);
}

TEST_F(ViewEffectsTest, EffectsLieBesideTheMiddleTowardsTheSeatThatPlayed) {
  const struct {
    BYTE order;
    WORD chair;
    int side;  // -150 left, 0 middle, 150 right
  } cases[] = {{0, 0, -150},
               {0, 1, 0},
               {0, 2, 150},
               {1, 0, 150},
               {1, 2, -150},
               // Before anybody played (a spring that ends the game at once): the middle.
               {0, VIEW_NO_CHAIR, 0}};
  CGameClientView& v = View();
  v.PlayBombEffect(true, 5);
  Animation_Varnel* flash = v.m_pAniFlash.get();
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.order) + "/" + std::to_string(c.chair));
    v.SetSeatOrder(c.order);
    v.m_wOutCardChair = c.chair;
    flash->Play();
    host->Frame(1);
    EXPECT_EQ(Canvas(640 + c.side, 360), kFlash);  // drawn: the effect is placed as it is drawn
    EXPECT_EQ(Canvas(640 + c.side + 6, 360), kTable);
    EXPECT_EQ(v.m_ptEffect.x, 640 - 5 + c.side);
    EXPECT_EQ(v.m_ptEffect.y, 360 - 5);
  }
  v.PlaceEffect(nullptr);
}

TEST_F(ViewEffectsTest, TexturesAndPortraits) {
  CGameClientView& v = View();
  const HTEXTURE flash = v.LoadTextureByKey("m_pAniFlash");
  EXPECT_NE(flash, 0u);
  EXPECT_EQ(v.LoadTextureByKey("m_pAniFlash"), flash) << "loaded once";
  const std::string longKey(200, 'k');
  for (const char* key : {"no such key", "", static_cast<const char*>(nullptr), longKey.c_str()})
    EXPECT_EQ(v.LoadTextureByKey(key), 0u);
  // Other kinds and names give nothing; a picture too small for its grid has no frame to show.
  EXPECT_EQ(v.CreateSpriteByName(flash, 1, "m_pAniFlash", 0, 0), nullptr);
  EXPECT_EQ(v.CreateAnimationByName("m_pWaitTip", 1), nullptr);
  const HTEXTURE tiny = host->Engine()->Texture_Create(2, 2);
  EXPECT_EQ(v.CreateSpriteByName(tiny, SPRITE_KIND_ANIMATION, "m_AniAlart", 0, 1), nullptr);
  host->Engine()->Texture_Free(tiny);

  // Gender 1 with face 0 is folder 11; every later user of the chair shows their own face,
  // and one whose picture is missing shows none (not the face of the user before).
  const Pt face{At("RightPlayer").x + 10, At("RightPlayer").y + 10};
  const struct {
    BYTE gender;
    WORD face;
    uint32_t shown;
  } users[] = {{1, 0, PortraitColor(1, 0)}, {2, 1, PortraitColor(2, 1)}, {2, 7, kTable}};
  for (const auto& u : users) {
    host->LeaveUser(2);
    Seat(2, "someone", u.gender, u.face);
    host->Frame();
    EXPECT_EQ(Canvas(face.x, face.y), u.shown);
  }
  EXPECT_EQ(v.m_pPortrait[2], nullptr);
  v.LoadPeopleImage(0, VIEW_NO_CHAIR, 1);
}

TEST_F(ViewEffectsTest, EscapeHoldsTheEndPanelForOneFrameAndKTogglesKerning) {
  auto push = [](SDL_Keycode key) {
    SDL_Event e{SDL_KEYDOWN};
    e.key.keysym.sym = key;
    SDL_PushEvent(&e);
  };
  CGameClientView& v = View();
  v.m_pScoreView->Show(true);
  host->Frame(20);
  const float start = v.m_pScoreView->GetAngle();
  ASSERT_GT(start, 0.0f);
  push(SDLK_ESCAPE);
  push(SDLK_k);  // after Escape: left for the next frame
  const bool kerning = v.m_pFont->GetUseKerning();
  host->Frame(20);
  EXPECT_FLOAT_EQ(v.m_pScoreView->GetAngle(), start);
  EXPECT_EQ(v.m_pFont->GetUseKerning(), kerning);
  host->Frame(20);
  EXPECT_FLOAT_EQ(v.m_pScoreView->GetAngle(), start + 0.02f);
  EXPECT_EQ(v.m_pFont->GetUseKerning(), !kerning);
}

TEST_F(ViewEffectsTest, NoticesFadeAndKeepTheNewestThree) {
  CGameClientView& v = View();
  auto band = [&](int line) { return Canvas(640, 88 + 26 * line - 10); };
  v.ShowNotice("[ one ] 玩家选择了托管");
  host->Frame(16);
  const uint32_t shown = band(0);
  EXPECT_NE(shown, kTable);
  for (const char* text : {"two", "three", "four", "", static_cast<const char*>(nullptr)})
    v.ShowNotice(text);
  host->Frame(16);
  EXPECT_NE(band(2), kTable);
  EXPECT_EQ(band(3), kTable) << "three lines at most";
  host->Frame(3400);
  EXPECT_NE(band(0), kTable) << "fading";
  EXPECT_NE(band(0), shown);
  host->Frame(700);
  EXPECT_EQ(band(0), kTable) << "gone after four seconds";
}

}  // namespace
