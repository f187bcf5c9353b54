// Frame animation: the eight modes frame by frame with their one finish call, long steps, the
// wrap of a strip onto following rows, negative frame numbers, hide-on-end and the listener.
#include <cmath>
#include <string>
#include <vector>

#include "motion/Animation_Varnel.h"
#include "motion_test_util.h"

using motion_test::CellColor;
using motion_test::CountingAnimationListener;
using motion_test::HeadlessEngine;
using motion_test::MakeCellTexture;
using motion_test::RenderToPixels;

namespace {

// Reads back the texture rectangle the current frame shows, in texture pixels.
class ProbedAnimation : public Animation_Varnel {
 public:
  using Animation_Varnel::Animation_Varnel;
  float ShownX() const { return std::fmin(quad.v[0].tx, quad.v[1].tx) * tex_width; }
  float ShownY() const { return std::fmin(quad.v[0].ty, quad.v[3].ty) * tex_height; }
  float ShownW() const { return std::fabs(quad.v[1].tx - quad.v[0].tx) * tex_width; }
  bool MirroredX() const { return quad.v[0].tx > quad.v[1].tx; }
};

class AnimationTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(hge.Ok()) << hge->System_GetErrorMessage(); }
  HeadlessEngine hge;
};

// 4 frames per second: a quarter second is an exact frame time in float.
constexpr float kFps = 4.0f;
constexpr float kFrame = 0.25f;

struct ModeCase {
  int mode;
  std::vector<int> frames;  // the frame after Play, then after each further frame time
  int finishes;             // listener calls over the whole run
};

TEST_F(AnimationTest, EveryModeStepsAndFinishesOnce) {
  const HTEXTURE tex = MakeCellTexture(hge.Get(), 50, 10, 10, 10);
  const ModeCase cases[] = {
      {0, {0, 1, 2, 3, 4, 4, 4}, 1},
      {1, {4, 3, 2, 1, 0, 0, 0}, 1},
      {2, {0, 1, 2, 3, 4, 3, 2, 1, 0, 0, 0}, 1},
      {3, {4, 3, 2, 1, 0, 1, 2, 3, 4, 4, 4}, 1},
      {4, {0, 1, 2, 3, 4, 0, 1, 2, 3, 4, 0, 1}, 0},
      {5, {4, 3, 2, 1, 0, 4, 3, 2, 1, 0, 4, 3}, 0},
      {6, {0, 1, 2, 3, 4, 3, 2, 1, 0, 1, 2, 3, 4, 3}, 0},
      {7, {4, 3, 2, 1, 0, 1, 2, 3, 4, 3, 2, 1, 0, 1}, 0},
  };
  for (const ModeCase& c : cases) {
    SCOPED_TRACE("mode " + std::to_string(c.mode));
    Animation_Varnel ani(42, tex, 5, kFps, 0, 0, 10, 10);
    CountingAnimationListener listener;
    ani.SetCallBack(&listener);
    ani.SetMode(c.mode);
    ani.Play();
    ani.Update(10.0f);  // the first update after Play counts no time
    EXPECT_EQ(ani.GetFrame(), c.frames[0]);
    for (size_t i = 1; i < c.frames.size(); ++i) {
      ani.Update(kFrame);
      EXPECT_EQ(ani.GetFrame(), c.frames[i]) << "after step " << i;
    }
    ani.Update(3.0f);
    const bool once = (c.mode & 4) == 0;
    EXPECT_EQ(listener.ids, std::vector<int>(c.finishes, 42));
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
    Animation_Varnel ani(9, tex, 15, 30.0f, 0, 0, 10, 10);
    CountingAnimationListener listener;
    ani.SetCallBack(&listener);
    ani.SetMode(0);
    ani.Play();
    ani.Update(dt);
    float elapsed = 0;
    while (ani.IsPlaying() && elapsed < 10) {
      ani.Update(dt);
      elapsed += dt;
    }
    EXPECT_GE(elapsed, 0.5f - 1e-4f);
    EXPECT_LT(elapsed, 0.5f + dt + 1e-4f);
    ani.Update(dt);
    EXPECT_EQ(listener.ids, std::vector<int>{9});
    EXPECT_EQ(ani.GetFrame(), 14);
    EXPECT_FALSE(ani.IsShow());
  }
}

struct LongStepCase {
  int mode;
  float fps;
  float dt;
  int frame;  // expected frame after one update of dt from the start of the run
};

TEST_F(AnimationTest, LongStepsAdvanceWholeFramesAndWrap) {
  const HTEXTURE tex = MakeCellTexture(hge.Get(), 50, 10, 10, 10);
  const LongStepCase cases[] = {
      {4, 12.0f, 1.0f, 2},         // 12 frames of a 5-frame loop: 0 -> 12 mod 5
      {5, 12.0f, 1.0f, 2},         // backwards from 4: 4 - 12 = -8, i.e. 2
      {6, 12.0f, 1.0f, 4},         // 0 1 2 3 4 3 2 1 0 1 2 3 4
      {4, kFps, 1000000.75f, 3},   // 4000003 steps (a stalled clock) without hanging
      {6, kFps, 1000000.75f, 3},   // 4000003 steps in a period of 8
      {7, kFps, 1000000.75f, 1},   // 4 3 2 1 0 1 2 3 | 4000003 mod 8 = 3
      {0, kFps, 1000000.75f, 4},   // stopped on the last frame
      {3, kFps, 1000000.75f, 4},   // back and stopped on the last frame
      {4, kFps, 1073741824.0f, 1}, // 2^32 steps: a float this large no longer drops by 0.25
      {6, kFps, 1073741824.0f, 0},
  };
  for (const LongStepCase& c : cases) {
    SCOPED_TRACE("mode " + std::to_string(c.mode) + " dt " + std::to_string(c.dt));
    Animation_Varnel ani(1, tex, 5, c.fps, 0, 0, 10, 10);
    CountingAnimationListener listener;
    ani.SetCallBack(&listener);
    ani.SetMode(c.mode);
    ani.Play();
    ani.Update(0);
    ani.Update(c.dt);
    EXPECT_EQ(ani.GetFrame(), c.frame);
    EXPECT_EQ(listener.ids.size(), (c.mode & 4) ? 0u : 1u);
  }
}

struct WrapCase {
  const char* name;
  int imageW, imageH;
  float firstX, firstY;
  int frames;
  std::vector<std::vector<float>> expect;  // {frame, shown x, shown y}
};

// Frames continue on the following rows at x = 0 when the image row is full; the image's own
// width decides, not the padded texture's (a 600-wide image is a 1024-wide texture).
TEST_F(AnimationTest, StripWrapsOntoFollowingRowsByImageWidth) {
  const WrapCase cases[] = {
      {"18 frames from the corner", 600, 300, 0, 0, 18,
       {{0, 0, 0}, {5, 500, 0}, {6, 0, 100}, {11, 500, 100}, {12, 0, 200}, {17, 500, 200}}},
      {"first frame inside the row", 600, 300, 200, 0, 12,
       {{0, 200, 0}, {3, 500, 0}, {4, 0, 100}, {9, 500, 100}, {10, 0, 200}}},
      {"first frame lower down", 600, 300, 0, 50, 9,
       {{5, 500, 50}, {6, 0, 150}, {8, 200, 150}}},
      {"image not a whole number of frames wide", 650, 300, 0, 0, 9,
       {{5, 500, 0}, {6, 0, 100}}},
  };
  for (const WrapCase& c : cases) {
    SCOPED_TRACE(c.name);
    const HTEXTURE tex = MakeCellTexture(hge.Get(), c.imageW, c.imageH, 100, 100);
    ASSERT_NE(tex, 0u);
    ProbedAnimation ani(1, tex, c.frames, 12.0f, c.firstX, c.firstY, 100, 100);
    EXPECT_EQ(ani.GetImageWidth(), c.imageW);
    for (const auto& e : c.expect) {
      ani.SetFrame(static_cast<int>(e[0]));
      EXPECT_FLOAT_EQ(ani.ShownX(), e[1]) << "frame " << e[0];
      EXPECT_FLOAT_EQ(ani.ShownY(), e[2]) << "frame " << e[0];
      EXPECT_FLOAT_EQ(ani.ShownW(), 100.0f);
    }
    hge->Texture_Free(tex);
  }
}

// What reaches the screen is the cell the frame number names.
TEST_F(AnimationTest, DrawnFrameIsTheNamedCell) {
  const HTEXTURE tex = MakeCellTexture(hge.Get(), 60, 30, 10, 10);  // 6 x 3 cells
  Animation_Varnel ani(1, tex, 18, 12.0f, 0, 0, 10, 10);
  for (const int frame : {0, 5, 6, 13, 17}) {
    ani.SetFrame(frame);
    const auto pixels = RenderToPixels(hge.Get(), 20, 20, [&] { ani.Render(5, 5); });
    ASSERT_EQ(pixels.size(), 400u);
    EXPECT_EQ(pixels[10 * 20 + 10], CellColor(frame % 6, frame / 6)) << "frame " << frame;
  }
}

TEST_F(AnimationTest, FrameNumbersWrapAroundBothWays) {
  const HTEXTURE tex = MakeCellTexture(hge.Get(), 50, 10, 10, 10);
  Animation_Varnel ani(1, tex, 5, kFps, 0, 0, 10, 10);
  const int cases[][2] = {{-1, 4}, {-5, 0}, {-6, 4}, {5, 0}, {7, 2}, {-2147483647 - 1, 2}};
  for (const auto& c : cases) {
    ani.SetFrame(c[0]);
    EXPECT_EQ(ani.GetFrame(), c[1]) << "SetFrame(" << c[0] << ")";
  }
}

TEST_F(AnimationTest, ListenerRunsBeforeTheShowFlagIsWritten) {
  const HTEXTURE tex = MakeCellTexture(hge.Get(), 50, 10, 10, 10);
  Animation_Varnel ani(30, tex, 5, kFps, 0, 0, 10, 10);
  CountingAnimationListener listener;
  bool shownInListener = false, playingInListener = true;
  listener.onFinished = [&](int) {
    shownInListener = ani.IsShow();
    playingInListener = ani.IsPlaying();
    ani.SetHideOnEnd(false);  // what the table does with its second rocket
  };
  ani.SetCallBack(&listener);
  ani.SetMode(0);
  ani.Play();
  ani.Update(0);
  ani.Update(2.0f);
  EXPECT_EQ(listener.ids, std::vector<int>{30});
  EXPECT_TRUE(shownInListener);
  EXPECT_FALSE(playingInListener);
  EXPECT_TRUE(ani.IsShow()) << "hide-on-end cleared in the listener keeps the last frame";
  EXPECT_EQ(ani.GetFrame(), 4);
}

TEST_F(AnimationTest, ListenerMayStartTheRunAgain) {
  const HTEXTURE tex = MakeCellTexture(hge.Get(), 50, 10, 10, 10);
  Animation_Varnel ani(3, tex, 5, kFps, 0, 0, 10, 10);
  CountingAnimationListener listener;
  listener.onFinished = [&](int) {
    if (listener.ids.size() == 1) ani.Play();
  };
  ani.SetCallBack(&listener);
  ani.SetMode(0);
  ani.Play();
  ani.Update(0);
  ani.Update(5 * kFrame + 0.1f);  // past the end, with time to spare
  EXPECT_EQ(listener.ids.size(), 1u);
  EXPECT_TRUE(ani.IsPlaying());
  EXPECT_TRUE(ani.IsShow());
  EXPECT_EQ(ani.GetFrame(), 0) << "the new run starts on its first frame";
  ani.Update(kFrame);  // the first update of the new run counts no time
  EXPECT_EQ(ani.GetFrame(), 0);
  ani.Update(kFrame);
  EXPECT_EQ(ani.GetFrame(), 1);
}

TEST_F(AnimationTest, SetModeJumpsToTheStartOfItsDirectionWithoutStarting) {
  const HTEXTURE tex = MakeCellTexture(hge.Get(), 50, 10, 10, 10);
  Animation_Varnel ani(1, tex, 5, kFps, 0, 0, 10, 10);
  ani.m_bShow = false;
  const int cases[][2] = {{1, 4}, {0, 0}, {7, 4}, {6, 0}, {13, 4}};  // 13 keeps bits 1 and 4
  for (const auto& c : cases) {
    ani.SetMode(c[0]);
    EXPECT_EQ(ani.GetFrame(), c[1]) << "mode " << c[0];
    EXPECT_FALSE(ani.IsPlaying());
    EXPECT_FALSE(ani.IsShow());
    ani.Update(1.0f);
    EXPECT_EQ(ani.GetFrame(), c[1]) << "a stopped animation does not step";
  }
}

TEST_F(AnimationTest, ConstructorsStartStoppedOnFrameZero) {
  const HTEXTURE tex = MakeCellTexture(hge.Get(), 60, 20, 20, 20);
  Animation_Varnel cut(5, tex, 3, 6.0f, 0, 0, 20, 20);
  Animation_Varnel whole(6, tex, 3);
  EXPECT_FLOAT_EQ(cut.GetFrameTime(), 1.0f / 6);
  EXPECT_FLOAT_EQ(whole.GetFrameTime(), 0.083333336f);
  EXPECT_FLOAT_EQ(whole.GetWidth(), 60.0f) << "the whole image is the first frame";
  EXPECT_FLOAT_EQ(whole.GetHeight(), 20.0f);
  for (const Animation_Varnel* a : {&cut, &whole}) {
    EXPECT_EQ(a->GetFrame(), 0);
    EXPECT_EQ(a->GetMode(), 4);
    EXPECT_FALSE(a->IsPlaying());
    EXPECT_TRUE(a->GetHideOnEnd());
    EXPECT_EQ(a->GetImageWidth(), 60);
    EXPECT_EQ(a->GetFrames(), 3);
  }
  EXPECT_EQ(cut.GetID(), 5);
  EXPECT_EQ(whole.GetID(), 6);
}

// Values that would divide by zero or never advance are made safe.
TEST_F(AnimationTest, DegenerateStripsStaySafe) {
  const HTEXTURE tex = MakeCellTexture(hge.Get(), 50, 10, 10, 10);
  Animation_Varnel noFrames(1, tex, 0, kFps, 0, 0, 10, 10);
  EXPECT_EQ(noFrames.GetFrames(), 1);
  noFrames.SetFrame(-7);
  EXPECT_EQ(noFrames.GetFrame(), 0);
  for (const float fps : {0.0f, -3.0f, NAN, INFINITY}) {
    Animation_Varnel a(1, tex, 5, fps, 0, 0, 10, 10);
    EXPECT_FLOAT_EQ(a.GetFrameTime(), 1.0f) << "fps " << fps;
  }
  Animation_Varnel tooWide(1, tex, 4, kFps, 0, 0, 80, 10);  // wider than the image
  Animation_Varnel noWidth(1, tex, 4, kFps, 0, 0, 0, 10);
  Animation_Varnel noTexture(1, 0, 4, kFps, 0, 0, 10, 10);
  for (Animation_Varnel* a : {&tooWide, &noWidth, &noTexture}) {
    a->Play();
    a->Update(0);
    a->Update(1.0f);
    a->Update(NAN);
    EXPECT_EQ(a->GetFrame(), 0);
  }
}

TEST_F(AnimationTest, FlipsSurviveFrameChanges) {
  const HTEXTURE tex = MakeCellTexture(hge.Get(), 50, 10, 10, 10);
  ProbedAnimation ani(1, tex, 5, kFps, 0, 0, 10, 10);
  ani.SetFlip(true, false);
  ani.SetFrame(3);
  EXPECT_TRUE(ani.MirroredX());
  EXPECT_FLOAT_EQ(ani.ShownX(), 30.0f);
}

TEST_F(AnimationTest, AlphaIsClampedAndReachesTheVertices) {
  const HTEXTURE tex = MakeCellTexture(hge.Get(), 50, 10, 10, 10);
  Animation_Varnel ani(1, tex, 5, kFps, 0, 0, 10, 10);
  const float cases[][2] = {{128.0f, 128.0f}, {-5.0f, 0.0f}, {300.0f, 255.0f}, {NAN, 0.0f}};
  for (const auto& c : cases) {
    ani.SetAlpha(c[0]);
    EXPECT_FLOAT_EQ(ani.GetAlpha(), c[1]);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(GETA(ani.GetColor(i)), static_cast<DWORD>(c[1]));
  }
}

// The engine's hgeAnimation and the game's animation share their stepping: the same updates
// show the same frames, cut from the same place, and end at the same time.
template <class A>
class QuadProbe : public A {
 public:
  using A::A;
  std::vector<float> Coords() const {
    std::vector<float> uv;
    for (const hgeVertex& v : this->quad.v) uv.insert(uv.end(), {v.tx, v.ty});
    return uv;
  }
};

TEST_F(AnimationTest, EngineAnimationStepsAlike) {
  const HTEXTURE tex = MakeCellTexture(hge.Get(), 60, 30, 10, 10);  // 14 frames on 3 rows
  const std::vector<float> updates = {0.0f, 0.1f, 0.05f, 0.3f, -1.0f, NAN,   0.7f,
                                      0.2f, 5.0f, 0.15f, 1e6f, 0.1f,  0.35f, 0.1f};
  for (int mode = 0; mode < 8; ++mode) {
    SCOPED_TRACE("mode " + std::to_string(mode));
    QuadProbe<Animation_Varnel> game(1, tex, 14, 10.0f, 0, 0, 10, 10);
    QuadProbe<hgeAnimation> engine(1, tex, 14, 10.0f, 0, 0, 10, 10);
    game.SetMode(mode);
    engine.SetMode(mode);
    game.Play();
    engine.Play();
    for (size_t i = 0; i < updates.size(); ++i) {
      game.Update(updates[i]);
      engine.Update(updates[i]);
      ASSERT_EQ(engine.GetFrame(), game.GetFrame()) << "after update " << i;
      ASSERT_EQ(engine.IsPlaying(), game.IsPlaying()) << "after update " << i;
      ASSERT_EQ(engine.Coords(), game.Coords()) << "after update " << i;
    }
  }
  hge->Texture_Free(tex);
}

}  // namespace
