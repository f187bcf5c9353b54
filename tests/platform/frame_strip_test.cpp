// The frame strip on its own, where the game's animations (tests/motion) do not reach: times
// that are no time or without end, frame times and counts at their edges, and where frame n
// lies in odd images. The modes frame by frame and long steps are the animations' tests.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "platform/engine/FrameStrip.h"

namespace {

// A strip with its owner: the frame shown and the stops heard.
struct Owner {
  explicit Owner(int frames, float frameTime = 0.25f) : strip(frames, frameTime) {}
  void Update(float dt) {
    strip.Update(
        dt, [this](int n) { shown = strip.Wrap(n); }, [this] { ++stops; });
  }
  CFrameStrip strip;
  int shown = 0;
  int stops = 0;
};

TEST(FrameStrip, TimesThatAreNoTimeAddNothing) {
  for (const float dt : {0.0f, -0.25f, -1e30f, NAN, INFINITY, -INFINITY}) {
    SCOPED_TRACE(dt);
    Owner o(4);
    o.strip.Start();
    o.Update(0.0f);
    o.Update(0.2f);
    o.Update(dt);
    EXPECT_EQ(o.shown, 0);
    o.Update(0.05f);  // the 0.2 s before still count
    EXPECT_EQ(o.shown, 1);
  }
}

// A step far longer than any run returns at once, on some frame.
TEST(FrameStrip, AStepOfAnyLengthReturns) {
  for (int mode : {4, 6, 7}) {
    Owner forever(10);
    forever.strip.SetMode(mode);
    forever.strip.Start();
    forever.Update(0.0f);
    forever.Update(3e38f);
    forever.Update(3e38f);
    EXPECT_GE(forever.shown, 0) << mode;
    EXPECT_LT(forever.shown, 10) << mode;
  }
}

TEST(FrameStrip, FrameTimesAndFrameCounts) {
  const struct {
    float fps, frameTime;
  } rates[] = {{4.0f, 0.25f},    {0.0f, 1.0f},  {-3.0f, 1.0f}, {NAN, 1.0f},
               {INFINITY, 1.0f}, {1e-40f, 1.0f}};  // 1 / 1e-40 is no finite frame time
  for (const auto& r : rates)
    EXPECT_FLOAT_EQ(CFrameStrip::FrameTimeOf(r.fps), r.frameTime) << r.fps;
  CFrameStrip strip(0, 0.25f);
  EXPECT_EQ(strip.Frames(), 1);
  EXPECT_EQ(strip.Wrap(-7), 0);
  strip.SetFrames(5);
  const int wraps[][2] = {{-1, 4}, {-5, 0}, {-6, 4}, {5, 0}, {7, 2}, {-2147483647 - 1, 2}};
  for (const auto& w : wraps) EXPECT_EQ(strip.Wrap(w[0]), w[1]) << w[0];
  EXPECT_EQ(strip.SetMode(13), 4) << "13 keeps the reverse and loop bits";
  EXPECT_EQ(strip.Mode(), 5);
  EXPECT_FALSE(strip.Playing());
}

TEST(FrameStrip, FramePositionsWrapOntoFollowingRows) {
  const struct {
    const char* name;
    float firstX, firstY, w, h;
    int imageWidth, n;
    float x, y;
  } cases[] = {
      {"first frame inside the row", 200, 0, 100, 100, 600, 4, 0, 100},
      {"image not a whole number of frames wide", 0, 0, 100, 100, 650, 6, 0, 100},
      // A frame width with a fraction reaches the edge a frame early: the frame starts the next
      // row rather than at a negative x.
      {"fractional frame width", 0, 0, 10.5f, 10, 100, 9, 0, 10},
      {"image narrower than a frame", 0, 0, 80, 10, 50, 3, 240, 0},
      {"no frame width", 0, 0, 0, 10, 50, 3, 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    float x = -1, y = -1;
    StripFramePosition(c.firstX, c.firstY, c.w, c.h, c.imageWidth, c.n, x, y);
    EXPECT_FLOAT_EQ(x, c.x);
    EXPECT_FLOAT_EQ(y, c.y);
  }
}

}  // namespace
