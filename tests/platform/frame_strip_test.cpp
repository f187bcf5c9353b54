// The frame strip on its own: the eight modes frame by frame with one stop, times that add
// nothing, long steps against the same time in single frames, a stop that starts a new run, and
// where frame n lies in its image.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

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

TEST(FrameStrip, EveryModeStepsAndStopsOnce) {
  const struct {
    int mode;
    std::vector<int> frames;  // after Start, then after each frame time
  } cases[] = {
      {0, {0, 1, 2, 3, 3, 3}},          {1, {3, 2, 1, 0, 0, 0}},
      {2, {0, 1, 2, 3, 2, 1, 0, 0, 0}}, {3, {3, 2, 1, 0, 1, 2, 3, 3}},
      {4, {0, 1, 2, 3, 0, 1}},          {5, {3, 2, 1, 0, 3, 2}},
      {6, {0, 1, 2, 3, 2, 1, 0, 1, 2}}, {7, {3, 2, 1, 0, 1, 2, 3, 2}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE("mode " + std::to_string(c.mode));
    Owner o(4);
    o.shown = o.strip.Wrap(o.strip.SetMode(c.mode));
    o.shown = o.strip.Wrap(o.strip.Start());
    o.Update(100.0f);  // the first update counts no time
    EXPECT_EQ(o.shown, c.frames[0]);
    for (size_t i = 1; i < c.frames.size(); ++i) {
      o.Update(0.25f);
      EXPECT_EQ(o.shown, c.frames[i]) << "after step " << i;
      EXPECT_EQ(o.strip.Current(), o.shown);
    }
    o.Update(10.0f);
    const bool loops = (c.mode & FRAME_MODE_LOOP) != 0;
    EXPECT_EQ(o.stops, loops ? 0 : 1);
    EXPECT_EQ(o.strip.Playing(), loops);
  }
}

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

// One long update lands where the same time in single frames does, and ends at once.
TEST(FrameStrip, LongStepsMatchSingleFrames) {
  const struct {
    int mode, frames;
    long long steps;
  } cases[] = {
      {4, 10, 1234}, {5, 7, 65},   {6, 10, 1237}, {7, 10, 999}, {6, 1, 500},
      {0, 10, 40},   {2, 10, 100}, {3, 5, 1000},  {1, 3, 70},   {4, 1, 100},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE("mode " + std::to_string(c.mode) + ", " + std::to_string(c.steps) + " steps");
    Owner stepped(c.frames, 0.125f), jumped(c.frames, 0.125f);
    for (Owner* o : {&stepped, &jumped}) {
      o->strip.SetMode(c.mode);
      o->shown = o->strip.Wrap(o->strip.Start());
      o->Update(0.0f);
    }
    for (long long i = 0; i < c.steps; ++i) stepped.Update(0.125f);
    jumped.Update(0.125f * static_cast<float>(c.steps) + 0.0625f);
    EXPECT_EQ(jumped.shown, stepped.shown);
    EXPECT_EQ(jumped.strip.Playing(), stepped.strip.Playing());
    EXPECT_EQ(jumped.stops, stepped.stops);
  }
  Owner forever(10);
  forever.strip.Start();
  forever.Update(0.0f);
  forever.Update(3e38f);  // returns, on some frame
  forever.Update(3e38f);
  EXPECT_GE(forever.shown, 0);
  EXPECT_LT(forever.shown, 10);
}

TEST(FrameStrip, AStopThatStartsANewRunEndsTheUpdate) {
  CFrameStrip strip(3, 0.25f);
  strip.SetMode(0);
  strip.Start();
  int shown = 0, stops = 0;
  auto update = [&](float dt) {
    strip.Update(
        dt, [&](int n) { shown = strip.Wrap(n); },
        [&] {
          if (++stops == 1) shown = strip.Wrap(strip.Start());
        });
  };
  update(0.0f);
  update(10.0f);  // through the end and far beyond
  EXPECT_EQ(stops, 1);
  EXPECT_TRUE(strip.Playing());
  EXPECT_EQ(shown, 0);
  update(0.25f);  // the new run's first update counts no time
  EXPECT_EQ(shown, 0);
  update(0.25f);
  EXPECT_EQ(shown, 1);
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
      {"first row", 0, 0, 100, 100, 600, 5, 500, 0},
      {"second row", 0, 0, 100, 100, 600, 6, 0, 100},
      {"third row", 0, 0, 100, 100, 600, 17, 500, 200},
      {"first frame inside the row", 200, 0, 100, 100, 600, 4, 0, 100},
      {"first frame lower down", 0, 50, 100, 100, 600, 8, 200, 150},
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
