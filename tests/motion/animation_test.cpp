// Frame animation: the eight modes frame by frame with their one finish call, long steps, the
// wrap of a strip onto following rows, negative frame numbers, hide-on-end and the listener,
// and the engine's own animation stepping alike.
#include <cmath>
#include <string>
#include <vector>

#include "motion/Animation_Varnel.h"
#include "motion_test_util.h"

using motion_test::CellColor;
using motion_test::Listener;
using motion_test::MakeCellTexture;

namespace {

// Reads back the texture rectangle the current frame shows, in texture pixels.
template <class A>
class Probed : public A {
 public:
  using A::A;
  float ShownX() const {
    return std::fmin(this->quad.v[0].tx, this->quad.v[1].tx) * this->tex_width;
  }
  float ShownY() const {
    return std::fmin(this->quad.v[0].ty, this->quad.v[3].ty) * this->tex_height;
  }
  float ShownW() const {
    return std::fabs(this->quad.v[1].tx - this->quad.v[0].tx) * this->tex_width;
  }
  bool MirroredX() const { return this->quad.v[0].tx > this->quad.v[1].tx; }
  std::vector<float> Coords() const {
    std::vector<float> uv;
    for (const hgeVertex& v : this->quad.v) uv.insert(uv.end(), {v.tx, v.ty});
    return uv;
  }
};

class AnimationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(hge.Ok()) << hge->System_GetErrorMessage();
    strip = MakeCellTexture(hge.Get(), 50, 10, 10, 10);  // five frames of 10 x 10
  }
  // A five-frame animation at four frames a second (a quarter second is exact in float),
  // started in the mode, with the listener.
  void Start(Animation_Varnel& ani, int mode) {
    ani.SetCallBack(&listener);
    ani.SetMode(mode);
    ani.Play();
    ani.Update(10.0f);  // the first update after Play counts no time
  }
  testsupport::HeadlessEngine hge{64, 64};
  HTEXTURE strip = 0;
  Listener listener;
};

constexpr float kFps = 4.0f, kFrame = 0.25f;

TEST_F(AnimationTest, EveryModeStepsAndFinishesOnce) {
  // The frame after Play, then after each further frame time; modes 0-3 run once.
  const std::vector<int> frames[8] = {{0, 1, 2, 3, 4, 4, 4},
                                      {4, 3, 2, 1, 0, 0, 0},
                                      {0, 1, 2, 3, 4, 3, 2, 1, 0, 0, 0},
                                      {4, 3, 2, 1, 0, 1, 2, 3, 4, 4, 4},
                                      {0, 1, 2, 3, 4, 0, 1, 2, 3, 4, 0, 1},
                                      {4, 3, 2, 1, 0, 4, 3, 2, 1, 0, 4, 3},
                                      {0, 1, 2, 3, 4, 3, 2, 1, 0, 1, 2, 3, 4, 3},
                                      {4, 3, 2, 1, 0, 1, 2, 3, 4, 3, 2, 1, 0, 1}};
  for (int mode = 0; mode < 8; ++mode) {
    SCOPED_TRACE("mode " + std::to_string(mode));
    listener.ids.clear();
    Animation_Varnel ani(42, strip, 5, kFps, 0, 0, 10, 10);
    Start(ani, mode);
    for (size_t i = 0; i < frames[mode].size(); ++i) {
      if (i > 0) ani.Update(kFrame);
      EXPECT_EQ(ani.GetFrame(), frames[mode][i]) << "after step " << i;
    }
    ani.Update(3.0f);
    const bool once = mode < 4;
    EXPECT_EQ(listener.ids, std::vector<int>(once ? 1 : 0, 42));
    EXPECT_EQ(ani.IsPlaying(), !once);
    EXPECT_EQ(ani.IsShow(), !once) << "a finished run is hidden";
  }
}

// The table's 15-frame effects at 30 frames per second: the run ends half a second after the
// first update, whatever the frame length, with one call.
TEST_F(AnimationTest, OnceRunEndsAfterItsTimeWithOneCallWhateverTheStep) {
  const HTEXTURE tex = MakeCellTexture(hge.Get(), 150, 30, 10, 10);
  for (const float dt : {1.0f / 60, 1.0f / 30, 0.2f, 0.5f, 5.0f, 1e6f}) {
    SCOPED_TRACE("dt " + std::to_string(dt));
    listener.ids.clear();
    Animation_Varnel ani(9, tex, 15, 30.0f, 0, 0, 10, 10);
    Start(ani, 0);
    float elapsed = 0;
    for (; ani.IsPlaying() && elapsed < 10; elapsed += dt) ani.Update(dt);
    EXPECT_GE(elapsed, 0.5f - 1e-4f);
    EXPECT_LT(elapsed, 0.5f + dt + 1e-4f);
    ani.Update(dt);
    EXPECT_EQ(listener.ids, std::vector<int>{9});
    EXPECT_EQ(ani.GetFrame(), 14);
    EXPECT_FALSE(ani.IsShow());
  }
}

TEST_F(AnimationTest, LongStepsAdvanceWholeFramesAndWrap) {
  const struct {
    int mode;
    float fps, dt;
    int frame;  // after one update of dt from the start of the run
  } cases[] = {
      {4, 12.0f, 1.0f, 2},          // 12 frames of a 5-frame loop: 0 -> 12 mod 5
      {5, 12.0f, 1.0f, 2},          // backwards from 4: 4 - 12 = -8, i.e. 2
      {6, 12.0f, 1.0f, 4},          // 0 1 2 3 4 3 2 1 0 1 2 3 4
      {4, kFps, 1000000.75f, 3},    // 4000003 steps (a stalled clock) without hanging
      {6, kFps, 1000000.75f, 3},    // 4000003 steps in a period of 8
      {7, kFps, 1000000.75f, 1},    // 4 3 2 1 0 1 2 3 | 4000003 mod 8 = 3
      {0, kFps, 1000000.75f, 4},    // stopped on the last frame
      {3, kFps, 1000000.75f, 4},    // back and stopped on the last frame
      {4, kFps, 1073741824.0f, 1},  // 2^32 steps: a float this large no longer drops by 0.25
      {6, kFps, 1073741824.0f, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE("mode " + std::to_string(c.mode) + " dt " + std::to_string(c.dt));
    listener.ids.clear();
    Animation_Varnel ani(1, strip, 5, c.fps, 0, 0, 10, 10);
    Start(ani, c.mode);
    ani.Update(c.dt);
    EXPECT_EQ(ani.GetFrame(), c.frame);
    EXPECT_EQ(listener.ids.size(), c.mode < 4 ? 1u : 0u);
  }
}

// Frames continue on the following rows at x = 0 when the image row is full; the image's own
// width decides, not the padded texture's (a 600-wide image is a 1024-wide texture). What
// reaches the screen is the cell the frame number names.
TEST_F(AnimationTest, StripWrapsOntoFollowingRowsByImageWidth) {
  const struct {
    int imageW;
    float firstX, firstY;
    int frames;
    std::vector<std::vector<float>> expect;  // {frame, shown x, shown y}
  } cases[] = {
      {600, 0, 0, 18, {{0, 0, 0}, {5, 500, 0}, {6, 0, 100}, {11, 500, 100}, {17, 500, 200}}},
      {600, 200, 0, 12, {{0, 200, 0}, {3, 500, 0}, {4, 0, 100}, {9, 500, 100}, {10, 0, 200}}},
      {600, 0, 50, 9, {{5, 500, 50}, {6, 0, 150}, {8, 200, 150}}},  // first frame lower down
      {650, 0, 0, 9, {{5, 500, 0}, {6, 0, 100}}},  // not a whole number of frames wide
  };
  for (const auto& c : cases) {
    const HTEXTURE tex = MakeCellTexture(hge.Get(), c.imageW, 300, 100, 100);
    Probed<Animation_Varnel> ani(1, tex, c.frames, 12.0f, c.firstX, c.firstY, 100, 100);
    EXPECT_EQ(ani.GetImageWidth(), c.imageW);
    for (const auto& e : c.expect) {
      ani.SetFrame(static_cast<int>(e[0]));
      EXPECT_FLOAT_EQ(ani.ShownX(), e[1]) << c.imageW << " " << c.firstX << " frame " << e[0];
      EXPECT_FLOAT_EQ(ani.ShownY(), e[2]) << c.imageW << " " << c.firstX << " frame " << e[0];
      EXPECT_FLOAT_EQ(ani.ShownW(), 100.0f);
    }
    hge->Texture_Free(tex);
  }
  const HTEXTURE cells = MakeCellTexture(hge.Get(), 60, 30, 10, 10);  // 6 x 3 cells
  Animation_Varnel ani(1, cells, 18, 12.0f, 0, 0, 10, 10);
  for (const int frame : {0, 5, 6, 13, 17}) {
    ani.SetFrame(frame);
    const auto pixels = motion_test::RenderToPixels(hge.Get(), 20, 20, [&] { ani.Render(5, 5); });
    ASSERT_EQ(pixels.size(), 400u);
    EXPECT_EQ(pixels[10 * 20 + 10], CellColor(frame % 6, frame / 6)) << "frame " << frame;
  }
}

TEST_F(AnimationTest, FramesModesAlphaAndFlipsStaySane) {
  Probed<Animation_Varnel> ani(1, strip, 5, kFps, 0, 0, 10, 10);
  // Frame numbers wrap both ways.
  const int frames[][2] = {{-1, 4}, {-5, 0}, {-6, 4}, {5, 0}, {7, 2}, {-2147483647 - 1, 2}};
  for (const auto& f : frames) {
    ani.SetFrame(f[0]);
    EXPECT_EQ(ani.GetFrame(), f[1]) << "SetFrame(" << f[0] << ")";
  }
  // A mode jumps to the start of its direction without starting (13 keeps bits 1 and 4).
  ani.m_bShow = false;
  for (const auto& m :
       std::initializer_list<std::pair<int, int>>{{1, 4}, {0, 0}, {7, 4}, {6, 0}, {13, 4}}) {
    ani.SetMode(m.first);
    ani.Update(1.0f);
    EXPECT_EQ(ani.GetFrame(), m.second) << "mode " << m.first;
    EXPECT_FALSE(ani.IsPlaying() || ani.IsShow());
  }
  // Alpha is clamped and reaches the vertices; a flip survives frame changes.
  for (const auto& a : std::initializer_list<std::pair<float, float>>{
           {128.0f, 128.0f}, {-5.0f, 0.0f}, {300.0f, 255.0f}, {NAN, 0.0f}}) {
    ani.SetAlpha(a.first);
    EXPECT_FLOAT_EQ(ani.GetAlpha(), a.second);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(GETA(ani.GetColor(i)), static_cast<DWORD>(a.second));
  }
  ani.SetFlip(true, false);
  ani.SetFrame(3);
  EXPECT_TRUE(ani.MirroredX());
  EXPECT_FLOAT_EQ(ani.ShownX(), 30.0f);
}

TEST_F(AnimationTest, TheListenerSeesTheRunEndAndMayKeepOrRestartIt) {
  // It runs before the show flag is written: clearing hide-on-end keeps the last frame (what
  // the table does with its second rocket).
  Animation_Varnel kept(30, strip, 5, kFps, 0, 0, 10, 10);
  bool shownInListener = false, playingInListener = true;
  listener.then = [&](int) {
    shownInListener = kept.IsShow();
    playingInListener = kept.IsPlaying();
    kept.SetHideOnEnd(false);
  };
  Start(kept, 0);
  kept.Update(2.0f);
  EXPECT_TRUE(shownInListener && !playingInListener);
  EXPECT_TRUE(kept.IsShow());
  EXPECT_EQ(kept.GetFrame(), 4);
  // Starting the run again: it starts on its first frame, whose first update counts no time.
  Animation_Varnel again(3, strip, 5, kFps, 0, 0, 10, 10);
  listener.ids.clear();
  listener.then = [&](int) {
    if (listener.ids.size() == 1) again.Play();
  };
  Start(again, 0);
  again.Update(5 * kFrame + 0.1f);  // past the end, with time to spare
  EXPECT_EQ(listener.ids.size(), 1u);
  EXPECT_TRUE(again.IsPlaying() && again.IsShow());
  EXPECT_EQ(again.GetFrame(), 0);
  again.Update(kFrame);
  EXPECT_EQ(again.GetFrame(), 0);
  again.Update(kFrame);
  EXPECT_EQ(again.GetFrame(), 1);
}

// Values that would divide by zero or never advance are made safe.
TEST_F(AnimationTest, DegenerateStripsStaySafe) {
  Animation_Varnel whole(1, strip, 3);  // without a frame size: the whole image is one frame
  EXPECT_FLOAT_EQ(whole.GetWidth(), 50.0f);
  Animation_Varnel noFrames(1, strip, 0, kFps, 0, 0, 10, 10);
  EXPECT_EQ(noFrames.GetFrames(), 1);
  noFrames.SetFrame(-7);
  EXPECT_EQ(noFrames.GetFrame(), 0);
  for (const float fps : {0.0f, -3.0f, NAN, INFINITY})
    EXPECT_FLOAT_EQ(Animation_Varnel(1, strip, 5, fps, 0, 0, 10, 10).GetFrameTime(), 1.0f) << fps;
  Animation_Varnel tooWide(1, strip, 4, kFps, 0, 0, 80, 10);  // wider than the image
  Animation_Varnel noWidth(1, strip, 4, kFps, 0, 0, 0, 10);
  Animation_Varnel noTexture(1, 0, 4, kFps, 0, 0, 10, 10);
  for (Animation_Varnel* a : {&tooWide, &noWidth, &noTexture}) {
    a->Play();
    a->Update(0);
    a->Update(1.0f);
    a->Update(NAN);
    EXPECT_EQ(a->GetFrame(), 0);
  }
}

// The engine's hgeAnimation and the game's animation share their stepping: the same updates
// show the same frames, cut from the same place, and end at the same time.
TEST_F(AnimationTest, EngineAnimationStepsAlike) {
  const HTEXTURE tex = MakeCellTexture(hge.Get(), 60, 30, 10, 10);  // 14 frames on 3 rows
  const float updates[] = {0.0f, 0.1f, 0.05f, 0.3f, -1.0f, NAN,   0.7f,
                           0.2f, 5.0f, 0.15f, 1e6f, 0.1f,  0.35f, 0.1f};
  for (int mode = 0; mode < 8; ++mode) {
    SCOPED_TRACE("mode " + std::to_string(mode));
    Probed<Animation_Varnel> game(1, tex, 14, 10.0f, 0, 0, 10, 10);
    Probed<hgeAnimation> engine(1, tex, 14, 10.0f, 0, 0, 10, 10);
    game.SetMode(mode);
    engine.SetMode(mode);
    game.Play();
    engine.Play();
    for (float dt : updates) {
      game.Update(dt);
      engine.Update(dt);
      ASSERT_EQ(engine.GetFrame(), game.GetFrame()) << "after " << dt;
      ASSERT_EQ(engine.IsPlaying(), game.IsPlaying()) << "after " << dt;
      ASSERT_EQ(engine.Coords(), game.Coords()) << "after " << dt;
    }
  }
}

}  // namespace
