// Effects and the per-frame step: the rocket's flight, burst and the timer that puts it away,
// bombs reusing their flash, where effects are placed, animations cut from their pictures,
// textures and portraits loaded once, and the keys read each frame (Escape, K).
#include <SDL2/SDL.h>

#include "motion/Animation_Varnel.h"
#include "motion/MoveSpriteManager_Varnel.h"
#include "tests/view/view_test_util.h"
#include "text/TTFont.h"
#include "widgets/ScoreView.h"

namespace {

using namespace view_test;

using ViewEffectsTest = ViewFixture;

void PushKey(SDL_Keycode key) {
  SDL_Event e{};
  e.type = SDL_KEYDOWN;
  e.key.state = SDL_PRESSED;
  e.key.keysym.sym = key;
  SDL_PushEvent(&e);
}

TEST_F(ViewEffectsTest, TheRocketFliesBurstsAndGoesASecondLater) {
  CGameClientView& v = View();
  v.m_wOutCardChair = 2;
  v.PlayBombEffect(true, 9);
  ASSERT_NE(v.m_pAniRocket, nullptr);
  ASSERT_NE(v.m_pAniRocket2, nullptr);
  Animation_Varnel* rocket = v.m_pAniRocket.get();
  Animation_Varnel* burst = v.m_pAniRocket2.get();
  MoveSpriteManager_Varnel& sprites = *v.m_pMoveSprites;
  ASSERT_EQ(sprites.GetCount(), 1);
  const MoveSprite_Varnel* flying = sprites.GetSpriteByID(MOTION_ID_ROCKET);
  ASSERT_NE(flying, nullptr);
  EXPECT_EQ(flying->GetX(), 640.0f);
  EXPECT_EQ(flying->GetY(), 720.0f);
  EXPECT_EQ(flying->GetAnimation(), rocket);
  EXPECT_EQ(rocket->GetFrame(), 2);
  EXPECT_TRUE(rocket->IsShow());
  EXPECT_FALSE(burst->IsShow());

  // 920 pixels at 2000 a second, 40 a frame: 23 frames of flight, one that finds the point
  // reached, one that ends the path.
  int frames = 0;
  while (sprites.GetCount() > 0 && frames < 100) {
    host->Frame(20);
    ++frames;
  }
  EXPECT_EQ(frames, 25);
  EXPECT_TRUE(burst->IsShow());
  EXPECT_TRUE(burst->IsPlaying());

  // The burst runs once (9 frames at 12 a second) and stays on its last frame.
  frames = 0;
  while (burst->IsPlaying() && frames < 100) {
    host->Frame(20);
    ++frames;
  }
  EXPECT_NEAR(frames * 20, 9 * 1000 / 12, 40);
  EXPECT_TRUE(burst->IsShow());
  EXPECT_EQ(burst->GetFrame(), 8);
  EXPECT_FALSE(burst->GetHideOnEnd());

  // A second after its end it goes, and the next run hides by itself again.
  host->Frame(900);
  EXPECT_TRUE(burst->IsShow());
  host->Frame(200);
  EXPECT_FALSE(burst->IsShow());
  EXPECT_TRUE(burst->GetHideOnEnd());

  // A second rocket reuses both animations and flies on a new sprite; two can fly at once.
  v.PlayBombEffect(true, 9);
  EXPECT_EQ(v.m_pAniRocket.get(), rocket);
  EXPECT_EQ(v.m_pAniRocket2.get(), burst);
  ASSERT_EQ(sprites.GetCount(), 1);
  EXPECT_EQ(sprites.GetSprite(0)->GetY(), 720.0f);
  host->Frames(3, 20);
  v.PlayBombEffect(true, 9);
  EXPECT_EQ(sprites.GetCount(), 2);
  EXPECT_LT(sprites.GetSprite(0)->GetY(), sprites.GetSprite(1)->GetY());
}

TEST_F(ViewEffectsTest, BombsShareOneFlash) {
  CGameClientView& v = View();
  v.PlayBombEffect(false, 5);
  v.PlayBombEffect(true, 4);
  v.PlayBombEffect(true, 10);
  EXPECT_EQ(v.m_pAniFlash, nullptr);
  EXPECT_EQ(v.m_pAniRocket, nullptr);
  Animation_Varnel* first = nullptr;
  for (BYTE type : {5, 6, 7, 8, 5}) {
    SCOPED_TRACE(type);
    v.PlayBombEffect(true, type);
    ASSERT_NE(v.m_pAniFlash, nullptr);
    if (first == nullptr) first = v.m_pAniFlash.get();
    EXPECT_EQ(v.m_pAniFlash.get(), first);
    EXPECT_TRUE(v.m_pAniFlash->IsShow());
    EXPECT_TRUE(v.m_pAniFlash->IsPlaying());
    EXPECT_EQ(v.m_pAniFlash->GetFrame(), 0);
    host->Frames(5, 20);
  }
  EXPECT_EQ(v.m_pAniRocket, nullptr) << "no rocket for a bomb";
  EXPECT_EQ(v.m_pMoveSprites->GetCount(), 0);
}

TEST_F(ViewEffectsTest, EffectsLieBesideTheMiddleTowardsTheSeatThatPlayed) {
  struct PlaceCase {
    BYTE order;
    WORD chair;
    int side;  // -150 left, 0 middle, 150 right
  };
  const PlaceCase cases[] = {{0, 0, -150}, {0, 1, 0}, {0, 2, 150},
                             {1, 0, 150},  {1, 1, 0}, {1, 2, -150}};
  CGameClientView& v = View();
  v.PlayBombEffect(true, 5);
  Animation_Varnel* flash = v.m_pAniFlash.get();
  for (const PlaceCase& c : cases) {
    SCOPED_TRACE(std::to_string(c.order) + "/" + std::to_string(c.chair));
    v.SetSeatOrder(c.order);
    v.m_wOutCardChair = c.chair;
    v.PlaceEffect(flash);
    EXPECT_EQ(v.m_ptEffect.x, 640 - 5 + c.side);
    EXPECT_EQ(v.m_ptEffect.y, 360 - 5);
    flash->Play();
    host->Frame(1);
    EXPECT_EQ(Canvas(640 + c.side, 360), kFlash);
    EXPECT_EQ(Canvas(640 + c.side + 6, 360), kTable);
  }
  // Before anybody played (a spring that ends the game at once) the effect lies in the middle.
  v.m_wOutCardChair = VIEW_NO_CHAIR;
  flash->Play();
  host->Frame(1);
  EXPECT_EQ(v.m_ptEffect.x, 640 - 5);
  EXPECT_EQ(v.m_ptEffect.y, 360 - 5);
  EXPECT_EQ(Canvas(640, 360), kFlash);
  v.PlaceEffect(nullptr);
}

TEST_F(ViewEffectsTest, NewGameTakesAFlyingRocketAlong) {
  CGameClientView& v = View();
  v.PlayBombEffect(true, 9);
  host->Frames(3, 20);
  v.DestroyEffectAnimations();
  EXPECT_EQ(v.m_pAniRocket, nullptr);
  EXPECT_EQ(v.m_pMoveSprites->GetCount(), 0) << "no sprite may keep the deleted animation";
  host->Frames(3, 20);
  v.PlayBombEffect(true, 9);
  EXPECT_NE(v.m_pAniRocket, nullptr);
  EXPECT_EQ(v.m_pMoveSprites->GetCount(), 1);
}

struct CutCase {
  const char* name;
  int id;
  int frames;
  float fps;
  int mode;
  bool effect;
  bool shown;
  int frameW, frameH;
};

TEST_F(ViewEffectsTest, AnimationsAreCutFromTheirPictures) {
  const CutCase cases[] = {
      {"m_pAniRocket", 3, 4, 12, 4, true, false, 10, 20},
      {"m_pAniRocket2", 30, 9, 12, 0, true, false, 10, 10},
      {"m_pAniFlash", 4, 20, 12, 0, true, false, 10, 10},
      {"m_AniAutoPlay", 77, 3, 5, 4, false, false, 10, 10},
      {"m_AniAlart", 77, 4, 4, 4, false, false, 10, 10},
      {"m_pAniShunZi", 6, 15, 6, 0, true, false, 10, 10},
      {"m_pAniLianDui", 7, 18, 12, 0, true, false, 10, 10},
      {"spring", 9, 15, 6, 4, false, true, 10, 10},
      {"bigSpring", 10, 15, 10, 4, false, true, 10, 10},
      {"haoSpring", 11, 15, 10, 4, false, true, 10, 10},
  };
  CGameClientView& v = View();
  for (const CutCase& c : cases) {
    SCOPED_TRACE(c.name);
    std::unique_ptr<hgeSprite> sprite =
        v.CreateSpriteByName(v.LoadTextureByKey(c.name), SPRITE_KIND_ANIMATION, c.name, 0, 77);
    auto* animation = dynamic_cast<Animation_Varnel*>(sprite.get());
    ASSERT_NE(animation, nullptr);
    EXPECT_EQ(animation->GetID(), c.id);
    EXPECT_EQ(animation->GetFrames(), c.frames);
    EXPECT_FLOAT_EQ(animation->GetFrameTime(), 1.0f / c.fps);
    EXPECT_EQ(animation->GetMode(), c.mode);
    EXPECT_FLOAT_EQ(animation->GetZ(), c.effect ? 0.3f : 0.5f);
    EXPECT_EQ(animation->IsShow(), c.shown);
    EXPECT_EQ(animation->GetWidth(), c.frameW);
    EXPECT_EQ(animation->GetHeight(), c.frameH);
    EXPECT_NE(v.CreateAnimationByName(c.name, 77), nullptr);
  }
  // Plain sprites cover their picture; other kinds and names give nothing.
  const HTEXTURE tip = v.LoadTextureByKey("m_pWaitTip");
  std::unique_ptr<hgeSprite> sprite = v.CreateSpriteByName(tip, SPRITE_KIND_IMAGE, "x", 0, 0);
  ASSERT_NE(sprite, nullptr);
  EXPECT_EQ(sprite->GetWidth(), 20.0f);
  EXPECT_EQ(sprite->GetHeight(), 10.0f);
  EXPECT_EQ(v.CreateSpriteByName(tip, 1, "m_pAniFlash", 0, 0), nullptr);
  EXPECT_EQ(v.CreateSpriteByName(tip, SPRITE_KIND_ANIMATION, "m_pWaitTip", 0, 0), nullptr);
  EXPECT_EQ(v.CreateSpriteByName(0, SPRITE_KIND_IMAGE, "m_pWaitTip", 0, 0), nullptr);
  EXPECT_EQ(v.CreateSpriteByName(tip, SPRITE_KIND_IMAGE, nullptr, 0, 0), nullptr);
  EXPECT_EQ(v.CreateAnimationByName("m_pWaitTip", 1), nullptr);
  // A picture too small for its grid has no frame to show.
  const HTEXTURE tiny = host->Engine()->Texture_Create(2, 2);
  EXPECT_EQ(v.CreateSpriteByName(tiny, SPRITE_KIND_ANIMATION, "m_AniAlart", 0, 1), nullptr);
  host->Engine()->Texture_Free(tiny);
}

TEST_F(ViewEffectsTest, TexturesAndPortraitsAreLoadedOnce) {
  CGameClientView& v = View();
  const HTEXTURE flash = v.LoadTextureByKey("m_pAniFlash");
  EXPECT_NE(flash, 0u);
  EXPECT_EQ(v.LoadTextureByKey("m_pAniFlash"), flash);
  EXPECT_EQ(v.LoadTextureByKey("no such key"), 0u);
  EXPECT_EQ(v.LoadTextureByKey("no such key"), 0u);
  EXPECT_EQ(v.LoadTextureByKey(""), 0u);
  EXPECT_EQ(v.LoadTextureByKey(nullptr), 0u);
  const std::string longKey(200, 'k');
  EXPECT_EQ(v.LoadTextureByKey(longKey.c_str()), 0u);

  // Gender 1 with face 0 is folder 11; every later user of the chair shows their own face,
  // and one whose picture is missing shows none (not the face of the user before).
  const Pt face{At("RightPlayer").x + 10, At("RightPlayer").y + 10};
  Seat(2, "first", 1, 0);
  host->Frame();
  EXPECT_EQ(Canvas(face.x, face.y), PortraitColor(1, 0));
  host->LeaveUser(2);
  Seat(2, "second", 2, 1);
  host->Frame();
  EXPECT_EQ(Canvas(face.x, face.y), PortraitColor(2, 1));
  host->LeaveUser(2);
  Seat(2, "faceless", 2, 7);
  host->Frame();
  EXPECT_EQ(v.m_pPortrait[2], nullptr);
  EXPECT_EQ(Canvas(face.x, face.y), kTable);
  v.LoadPeopleImage(0, 3, 1);
  v.LoadPeopleImage(0, VIEW_NO_CHAIR, 1);
  v.LoadPeopleImage(65535, 0, 200);  // no such folder
  EXPECT_EQ(v.m_pPortrait[0], nullptr);
}

TEST_F(ViewEffectsTest, EscapeHoldsTheEndPanelForOneFrameAndKTogglesKerning) {
  CGameClientView& v = View();
  v.m_pScoreView->Show(true);
  host->Frame(20);
  const float start = v.m_pScoreView->GetAngle();
  ASSERT_GT(start, 0.0f);

  PushKey(SDLK_ESCAPE);
  PushKey(SDLK_k);  // after Escape: left for the next frame
  const bool kerning = v.m_pFont->GetUseKerning();
  host->Frame(20);
  EXPECT_FLOAT_EQ(v.m_pScoreView->GetAngle(), start);
  EXPECT_EQ(v.m_pFont->GetUseKerning(), kerning);
  host->Frame(20);
  EXPECT_FLOAT_EQ(v.m_pScoreView->GetAngle(), start + 0.02f);
  EXPECT_EQ(v.m_pFont->GetUseKerning(), !kerning);
  PushKey(SDLK_k);
  host->Frame(20);
  EXPECT_EQ(v.m_pFont->GetUseKerning(), kerning);
}

TEST_F(ViewEffectsTest, NoticesFadeAndKeepTheNewestThree) {
  CGameClientView& v = View();
  auto band = [&](int line) { return Canvas(640, 88 + 26 * line - 10); };
  host->Frame(16);
  ASSERT_EQ(band(0), kTable);
  v.ShowNotice("[ one ] 玩家选择了托管");
  host->Frame(16);
  const uint32_t shown = band(0);
  EXPECT_NE(shown, kTable);
  for (const char* text : {"two", "three", "four"}) v.ShowNotice(text);
  v.ShowNotice(nullptr);
  v.ShowNotice("");
  host->Frame(16);
  EXPECT_NE(band(2), kTable);
  EXPECT_EQ(band(3), kTable) << "three lines at most";
  host->Frame(3400);
  EXPECT_NE(band(0), kTable) << "fading";
  EXPECT_NE(band(0), shown);
  host->Frame(700);
  EXPECT_EQ(band(0), kTable) << "gone after four seconds";
  // A very long line is kept whole up to its buffer, cut on a character.
  std::string longLine;
  for (int i = 0; i < 60; ++i) longLine += "托";
  v.ShowNotice(longLine.c_str());
  host->Frame(16);
}

}  // namespace
