// Moving sprites: path arrival and its one callback, speed and acceleration, the start delay on
// the millisecond clock, scaling, rotation direction on screen, fading bounds, collision boxes
// and the manager's ownership and lazy purge.
#include <cmath>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "motion/MoveSpriteManager_Varnel.h"
#include "motion/MoveSprite_Varnel.h"
#include "motion/MoveType_Path_Varnel.h"
#include "motion_test_util.h"
#include "platform/win/WinTime.h"

using motion_test::CellColor;
using motion_test::CountingMoveListener;
using motion_test::HeadlessEngine;
using motion_test::MakeCellTexture;
using motion_test::RenderToPixels;

namespace {

class MoveSpriteTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(hge.Ok()) << hge->System_GetErrorMessage();
    // 2 x 2 cells of 10 x 10: the frame is 20 x 20 with four differently coloured quarters.
    tex = MakeCellTexture(hge.Get(), 20, 20, 10, 10);
    ASSERT_NE(tex, 0u);
    ani = std::make_unique<Animation_Varnel>(7, tex, 1, 12.0f, 0, 0, 20, 20);
  }

  // A path law with the given points, speed and acceleration.
  static std::unique_ptr<MoveType_Path_Varnel> Path(int id, std::vector<VarnelPoint> points,
                                                    float speed, float acceleration = 0) {
    auto law = std::make_unique<MoveType_Path_Varnel>(id);
    for (const VarnelPoint& p : points) law->AddPoint(p.x, p.y);
    law->SetSpeed(speed);
    law->SetAcceleration(acceleration);
    return law;
  }

  CScopedManualClock clock;  // the start delay reads the millisecond clock
  HeadlessEngine hge;
  HTEXTURE tex = 0;
  std::unique_ptr<Animation_Varnel> ani;
  CountingMoveListener listener;
};

struct ArrivalCase {
  float dt;
  int updatesToEnd;  // the update on which the path ends
};

// One point at distance 100 and speed 2000 (the rocket's law): reached in the update whose
// travel exceeds 100, ended in the next, exactly on the point, with one callback.
TEST_F(MoveSpriteTest, PathArrivesExactlyWithOneCallback) {
  const ArrivalCase cases[] = {{0.06f, 2}, {0.05f, 3}, {0.04f, 3}, {0.016f, 5}, {1.0f, 2}};
  for (const ArrivalCase& c : cases) {
    SCOPED_TRACE("dt " + std::to_string(c.dt));
    listener.ids.clear();
    MoveSprite_Varnel sprite(ani.get(), Path(111, {{160, 280}}, 2000), &listener, 100, 200, 0);
    int updates = 0;
    while (listener.ids.empty() && updates < 100) {
      sprite.Update(c.dt);
      ++updates;
    }
    EXPECT_EQ(updates, c.updatesToEnd);
    EXPECT_EQ(sprite.GetX(), 160.0f);
    EXPECT_EQ(sprite.GetY(), 280.0f);
    EXPECT_FALSE(sprite.IsAlive());
    for (int i = 0; i < 5; ++i) sprite.Update(c.dt);
    EXPECT_EQ(listener.ids, std::vector<int>{111});
  }
}

TEST_F(MoveSpriteTest, PathVisitsItsPointsInOrder) {
  auto law = Path(5, {{100, 0}, {100, 100}, {0, 100}}, 100);
  MoveType_Path_Varnel* path = law.get();
  MoveSprite_Varnel sprite(ani.get(), std::move(law), &listener, 0, 0, 0);
  int lastCurrent = 0;
  float maxX = 0, maxY = 0;
  for (int i = 0; i < 1000 && listener.ids.empty(); ++i) {
    sprite.Update(0.1f);
    EXPECT_GE(path->GetCurrent(), lastCurrent);
    lastCurrent = path->GetCurrent();
    maxX = std::fmax(maxX, sprite.GetX()), maxY = std::fmax(maxY, sprite.GetY());
  }
  EXPECT_EQ(listener.ids, std::vector<int>{5});
  EXPECT_NEAR(maxX, 100, 10.1f);
  EXPECT_NEAR(maxY, 100, 10.1f);
  EXPECT_EQ(sprite.GetX(), 0.0f);
  EXPECT_EQ(sprite.GetY(), 100.0f);
}

struct AccelerationCase {
  float speed, acceleration, dt;
  float speedAfter5;  // after five moving updates
};

TEST_F(MoveSpriteTest, AccelerationIsPerMovingUpdateNotPerSecond) {
  const AccelerationCase cases[] = {
      {100, 10, 0.001f, 150}, {100, 10, 0.02f, 150}, {-100, 10, 0.01f, -150}, {100, -10, 0.01f, 50},
  };
  for (const AccelerationCase& c : cases) {
    SCOPED_TRACE("speed " + std::to_string(c.speed) + " dt " + std::to_string(c.dt));
    auto law = Path(1, {{10000, 0}}, c.speed, c.acceleration);
    MoveType_Varnel* motion = law.get();
    MoveSprite_Varnel sprite(ani.get(), std::move(law), nullptr, 0, 0, 0);
    float expectedX = 0, speed = c.speed;
    for (int i = 0; i < 5; ++i) {
      sprite.Update(c.dt);
      speed += c.speed > 0 ? c.acceleration : -c.acceleration;
      expectedX += speed * c.dt;
    }
    EXPECT_FLOAT_EQ(motion->GetSpeed(), c.speedAfter5);
    EXPECT_NEAR(sprite.GetX(), expectedX, 1e-3f) << "the new speed moves the sprite at once";
  }
}

struct DelayCase {
  uint64_t clockStart;  // the millisecond clock when the law is made
  uint32_t addedAfter;  // ms between the law and the sprite
};

// The delay counts from the law's construction, not from the sprite, also across the wrap of
// the 32-bit clock.
TEST_F(MoveSpriteTest, DelayCountsFromTheLawsStartTime) {
  const DelayCase cases[] = {{1000, 0}, {1000, 100}, {1000, 299}, {0xFFFFFF00u, 100}};
  for (const DelayCase& c : cases) {
    SCOPED_TRACE("clock " + std::to_string(c.clockStart) + " +" + std::to_string(c.addedAfter));
    CScopedManualClock local(c.clockStart);
    auto law = Path(2, {{1000, 0}}, 100);
    law->SetDelay(300);
    local.Advance(c.addedAfter);
    MoveSprite_Varnel sprite(ani.get(), std::move(law), nullptr, 0, 0, 0);
    sprite.Update(0.1f);
    EXPECT_EQ(sprite.GetX(), 0.0f) << "when the sprite is made";
    local.Advance(299 - c.addedAfter);
    sprite.Update(0.1f);
    EXPECT_EQ(sprite.GetX(), 0.0f) << "299 ms after the law was made";
    local.Advance(1);
    sprite.Update(0.1f);
    EXPECT_FLOAT_EQ(sprite.GetX(), 10.0f) << "300 ms after the law was made";
  }
}

TEST_F(MoveSpriteTest, ResetRestartsTheDelayAndEmptiesThePath) {
  auto law = Path(3, {{50, 0}}, 100);
  law->SetDelay(300);
  MoveSprite_Varnel sprite(ani.get(), std::move(law), &listener, 10, 20, 0);
  sprite.SetAngle(30);
  sprite.FadeOut(100);
  clock.Advance(400);
  sprite.Update(0.5f);
  sprite.Reset();
  EXPECT_EQ(sprite.GetX(), 10.0f);
  EXPECT_EQ(sprite.GetY(), 20.0f);
  EXPECT_EQ(sprite.GetAngle(), 0.0f);
  EXPECT_EQ(sprite.GetAlpha(), 255.0f);
  EXPECT_EQ(sprite.GetAlphaSpeed(), 0.0f);
  EXPECT_TRUE(sprite.IsAlive());
  EXPECT_EQ(sprite.GetMotion()->GetDelay(), 0u);
  EXPECT_EQ(sprite.GetMotion()->GetSpeed(), 500.0f);
  // A reset path has no points left: its next update ends it at (0, 0).
  sprite.Update(0.01f);
  EXPECT_EQ(listener.ids, std::vector<int>{3});
  EXPECT_EQ(sprite.GetX(), 0.0f);
  EXPECT_EQ(sprite.GetY(), 0.0f);
}

TEST_F(MoveSpriteTest, SpriteWithoutLawAnimatesButNeverMoves) {
  Animation_Varnel strip(8, tex, 2, 10.0f, 0, 0, 10, 20);
  MoveSprite_Varnel sprite(&strip, nullptr, &listener, 5, 6, -1);
  EXPECT_TRUE(strip.IsPlaying()) << "start frame -1 plays the animation";
  sprite.Update(0);
  sprite.Update(0.1f);
  EXPECT_EQ(strip.GetFrame(), 1);
  sprite.Reset();
  EXPECT_EQ(sprite.GetX(), 5.0f);
  EXPECT_TRUE(sprite.IsAlive());
  EXPECT_TRUE(listener.ids.empty());
}

TEST_F(MoveSpriteTest, StartFrameSetsTheFrameWithoutPlaying) {
  Animation_Varnel strip(8, tex, 4, 10.0f, 0, 0, 5, 20);
  const int cases[][2] = {{2, 2}, {3, 3}, {4, 3}, {9, 3}, {-2, 2}};
  for (const auto& c : cases) {
    MoveSprite_Varnel sprite(&strip, nullptr, nullptr, 0, 0, c[0]);
    EXPECT_EQ(strip.GetFrame(), c[1]) << "start frame " << c[0];
    EXPECT_FALSE(strip.IsPlaying());
    EXPECT_EQ(sprite.GetBoxWidth(), 5.0f);
    EXPECT_EQ(sprite.GetBoxHeight(), 20.0f);
  }
}

// The drawn rectangle runs clockwise from the top-left corner around the centre, scaled per
// axis.
TEST_F(MoveSpriteTest, QuadRunsClockwiseFromTopLeft) {
  Animation_Varnel strip(8, tex, 4, 10.0f, 0, 0, 5, 20);
  MoveSprite_Varnel sprite(&strip, nullptr, nullptr, 100, 50, 0);
  sprite.SetScale(2.0f, 0.25f);
  sprite.UpdateQuad();
  const float expected[4][2] = {{95, 47.5f}, {105, 47.5f}, {105, 52.5f}, {95, 52.5f}};
  for (int i = 0; i < 4; ++i) {
    EXPECT_FLOAT_EQ(sprite.GetCorner(i).x, expected[i][0]) << "corner " << i;
    EXPECT_FLOAT_EQ(sprite.GetCorner(i).y, expected[i][1]) << "corner " << i;
  }
  EXPECT_EQ(sprite.GetCorner(4).x, 0.0f);
}

struct ScaleCase {
  float from, to, rate;
  float after250ms, afterLong;
};

TEST_F(MoveSpriteTest, ScaleStepsToItsTargetAndStops) {
  const ScaleCase cases[] = {
      {0.5f, 1.5f, 2.0f, 1.0f, 1.5f}, {2.0f, 1.0f, 1.0f, 1.75f, 1.0f}, {1.0f, 1.0f, 5.0f, 1.0f, 1.0f}};
  for (const ScaleCase& c : cases) {
    SCOPED_TRACE("from " + std::to_string(c.from) + " to " + std::to_string(c.to));
    auto law = Path(4, {{100000, 0}}, 10);
    MoveType_Path_Varnel* path = law.get();
    MoveSprite_Varnel sprite(ani.get(), std::move(law), nullptr, 0, 0, 0);
    path->SetScaleX(c.from, c.to, c.rate);
    path->SetScaleY(c.from, c.to, c.rate);
    EXPECT_EQ(sprite.GetScaleX(), c.from);
    for (int i = 0; i < 5; ++i) sprite.Update(0.05f);
    EXPECT_NEAR(sprite.GetScaleX(), c.after250ms, 1e-5f);
    for (int i = 0; i < 20; ++i) sprite.Update(0.05f);
    EXPECT_EQ(sprite.GetScaleX(), c.afterLong) << "held exactly on the target";
    EXPECT_EQ(sprite.GetScaleY(), c.afterLong);
    sprite.UpdateQuad();
    EXPECT_NEAR(sprite.GetCorner(1).x - sprite.GetCorner(0).x, 20 * c.afterLong, 1e-4f);
    EXPECT_EQ(sprite.GetBoxWidth(), 20.0f) << "the collision box keeps its size";
  }
}

// A path that reaches its last point before its scale has arrived waits there, scaling, and
// ends once the scale is in place.
TEST_F(MoveSpriteTest, PathWaitsAtItsEndForTheScale) {
  auto law = Path(6, {{10, 0}}, 1000);
  MoveType_Path_Varnel* path = law.get();
  MoveSprite_Varnel sprite(ani.get(), std::move(law), &listener, 0, 0, 0);
  path->SetScaleX(1.0f, 2.0f, 1.0f);
  int updates = 0;
  while (listener.ids.empty() && updates < 100) {
    sprite.Update(0.125f);
    ++updates;
  }
  EXPECT_EQ(updates, 9);  // reached on the first, scaled by the eighth, ended on the ninth
  EXPECT_EQ(sprite.GetScaleX(), 2.0f);
  EXPECT_EQ(sprite.GetX(), 10.0f);
  EXPECT_EQ(path->GetCurrent(), 1);
}

TEST_F(MoveSpriteTest, PathWithoutPointsEndsAtTheOriginAfterItsDelay) {
  auto law = std::make_unique<MoveType_Path_Varnel>(9);
  law->SetDelay(50);
  MoveSprite_Varnel sprite(ani.get(), std::move(law), &listener, 300, 300, 0);
  sprite.Update(0.1f);
  EXPECT_TRUE(listener.ids.empty());
  clock.Advance(50);
  sprite.Update(0.1f);
  EXPECT_EQ(listener.ids, std::vector<int>{9});
  EXPECT_EQ(sprite.GetX(), 0.0f);
}

TEST_F(MoveSpriteTest, PathHoldsAFixedNumberOfPoints) {
  MoveType_Path_Varnel path(1);
  for (int i = 0; i < MoveType_Path_Varnel::MAX_POINTS; ++i) EXPECT_TRUE(path.AddPoint(i, i));
  EXPECT_FALSE(path.AddPoint(-1, -1));
  EXPECT_EQ(path.GetPointCount(), MoveType_Path_Varnel::MAX_POINTS);
  EXPECT_EQ(path.GetEndPoint().x, MoveType_Path_Varnel::MAX_POINTS - 1.0f);
}

struct RotationCase {
  float angle;
  // Where the frame's top-left quarter (cell 0, 0) lands around the centre (32, 32) of the
  // 64 x 64 target: probe offsets from the centre.
  int dx, dy;
};

// A positive angle turns the drawn sprite clockwise on screen; 0 or below does not turn it.
TEST_F(MoveSpriteTest, PositiveAngleTurnsClockwiseOnScreen) {
  const RotationCase cases[] = {{0, -5, -5}, {90, 5, -5}, {180, 5, 5}, {270, -5, 5}, {-90, -5, -5}};
  for (const RotationCase& c : cases) {
    SCOPED_TRACE("angle " + std::to_string(c.angle));
    MoveSprite_Varnel sprite(ani.get(), nullptr, nullptr, 32, 32, 0);
    sprite.SetAngle(c.angle);
    const auto pixels = RenderToPixels(hge.Get(), 64, 64, [&] { sprite.Render(); });
    ASSERT_EQ(pixels.size(), 64u * 64u);
    EXPECT_EQ(pixels[(32 + c.dy) * 64 + 32 + c.dx], CellColor(0, 0));
    EXPECT_EQ(pixels[(32 - c.dy) * 64 + 32 - c.dx], CellColor(1, 1));
  }
}

TEST_F(MoveSpriteTest, RotateToKeepsTurningPastItsTarget) {
  MoveSprite_Varnel sprite(ani.get(), nullptr, nullptr, 0, 0, 0);
  sprite.SetAngle(10);
  sprite.RotateTo(500, 100);
  sprite.Update(0.5f);
  EXPECT_NEAR(sprite.GetAngle(), 100, 1e-3f);
  sprite.Update(0.5f);
  EXPECT_NEAR(sprite.GetAngle(), 190, 1e-3f);
  sprite.RotateTo(0, 45);
  sprite.Update(1.0f);
  EXPECT_EQ(sprite.GetAngle(), 45.0f);
}

struct FadeCase {
  unsigned ms;
  float startAlpha;
  std::vector<float> dts;
  float alpha;
};

// Alpha never leaves 0..255, and a faded sprite stays alive.
TEST_F(MoveSpriteTest, FadeStaysWithinBounds) {
  const FadeCase cases[] = {
      {500, 255, {0.25f}, 127.5f},          {500, 255, {0.5f}, 0},
      {500, 255, {0.4f, 0.4f, 10.0f}, 0},   {500, 100, {0.1f}, 49},
      {0, 255, {0.0f}, 0},                  {1000, 255, {-1.0f}, 255},
  };
  for (const FadeCase& c : cases) {
    SCOPED_TRACE("fade " + std::to_string(c.ms) + " ms");
    MoveSprite_Varnel sprite(ani.get(), nullptr, nullptr, 0, 0, 0);
    sprite.SetAlpha(c.startAlpha);
    sprite.FadeOut(c.ms);
    for (const float dt : c.dts) sprite.Update(dt);
    EXPECT_NEAR(sprite.GetAlpha(), c.alpha, 1e-3f);
    EXPECT_TRUE(sprite.IsAlive());
  }
}

// A step that is not a number (a broken clock) changes nothing.
TEST_F(MoveSpriteTest, StepThatIsNotANumberChangesNothing) {
  MoveSprite_Varnel sprite(ani.get(), Path(1, {{100, 0}}, 100), &listener, 0, 0, 0);
  sprite.SetRotateSpeed(90);
  sprite.FadeOut(1000);
  sprite.Update(NAN);
  EXPECT_EQ(sprite.GetX(), 0.0f);
  EXPECT_EQ(sprite.GetAngle(), 0.0f);
  EXPECT_EQ(sprite.GetAlpha(), 255.0f);
  sprite.Update(0.5f);
  EXPECT_FLOAT_EQ(sprite.GetX(), 50.0f);
  EXPECT_FLOAT_EQ(sprite.GetAngle(), 45.0f);
}

struct CollisionCase {
  const char* name;
  float x, y, w, h;
  bool collides;
};

TEST_F(MoveSpriteTest, CollisionBoxesCountStrictlyInsideCorners) {
  const CCollisionSprite_Varnel box(100, 100, 40, 20);  // x 80..120, y 90..110
  const CollisionCase cases[] = {
      {"overlapping corner", 130, 115, 40, 20, true},
      {"touching edge", 140, 100, 40, 40, false},
      {"inside", 100, 100, 4, 4, true},
      {"around", 100, 100, 100, 100, true},
      {"far away", 300, 300, 40, 20, false},
      {"crossing without a corner inside", 100, 100, 10, 60, false},
  };
  for (const CollisionCase& c : cases) {
    const CCollisionSprite_Varnel other(c.x, c.y, c.w, c.h);
    EXPECT_EQ(box.IsCollide(&other), c.collides) << c.name;
    EXPECT_EQ(other.IsCollide(&box), c.collides) << c.name << " (the other way)";
  }
  EXPECT_FALSE(box.IsCollide(nullptr));
}

// ---- manager --------------------------------------------------------------------------------

class MoveManagerTest : public MoveSpriteTest {
 protected:
  MoveSprite_Varnel* Add(int id, std::vector<VarnelPoint> points, int removeOnArrive = 1) {
    auto sprite = std::make_unique<MoveSprite_Varnel>(ani.get(), Path(id, points, 1000),
                                                      &listener, 0, 0, 0);
    sprite->SetRemoveOnArrive(removeOnArrive);
    MoveSprite_Varnel* raw = sprite.get();
    EXPECT_TRUE(manager.AddSprite(std::move(sprite)));
    return raw;
  }
  std::vector<int> Ids() {
    std::vector<int> ids;
    for (int i = 0; MoveSprite_Varnel* s = manager.GetSprite(i); ++i)
      ids.push_back(s->GetMotion()->GetID());
    return ids;
  }
  MoveSpriteManager_Varnel manager;
};

TEST_F(MoveManagerTest, ArrivedSpritesArePurgedLazilyUnlessTheyStay) {
  Add(1, {});                    // ends on its first update
  Add(2, {{10000, 0}});          // still flying
  Add(3, {}, 0);                 // ends and stays
  manager.Update(0.01f);
  EXPECT_EQ(listener.ids, (std::vector<int>{1, 3}));
  EXPECT_EQ(Ids(), (std::vector<int>{1, 2, 3})) << "the dead one waits for the next purge";
  EXPECT_EQ(manager.GetCount(), 2);
  EXPECT_EQ(Ids(), (std::vector<int>{2, 3}));
  manager.RemoveByID(2);
  EXPECT_TRUE(manager.IsAnyAlive()) << "a sprite that stays keeps answering alive";
  for (int i = 0; i < 5; ++i) manager.Update(0.01f);
  EXPECT_EQ(listener.ids, (std::vector<int>{1, 3})) << "a finished law calls once";
  EXPECT_EQ(manager.GetCount(), 1);
}

TEST_F(MoveManagerTest, CountOfOnlyDeadSpritesIsZero) {
  for (int i = 0; i < 3; ++i) Add(i, {})->SetAlive(false);
  EXPECT_FALSE(manager.IsAnyAlive());
  EXPECT_EQ(manager.GetCount(), 0);
  EXPECT_EQ(manager.GetSprite(0), nullptr);
  Add(9, {{1, 1}});
  EXPECT_EQ(Ids(), std::vector<int>{9}) << "the list takes new sprites after a purge";
}

TEST_F(MoveManagerTest, LookupsAndRemovalKeepTheOrder) {
  MoveSprite_Varnel* first7 = Add(7, {{1, 0}});
  Add(8, {{1, 0}});
  Add(7, {{1, 0}});
  Add(9, {{1, 0}});
  EXPECT_EQ(manager.GetSpriteByID(7), first7);
  EXPECT_EQ(manager.GetSpriteByID(6), nullptr);
  EXPECT_EQ(manager.GetSprite(-1), nullptr);
  EXPECT_EQ(manager.GetSprite(4), nullptr);
  manager.RemoveByID(7);
  EXPECT_EQ(Ids(), (std::vector<int>{8, 9}));
  Add(10, {{1, 0}});
  EXPECT_EQ(Ids(), (std::vector<int>{8, 9, 10})) << "the tail survives removals";
  manager.Clear();
  EXPECT_EQ(manager.GetCount(), 0);
  EXPECT_FALSE(manager.AddSprite(nullptr));
}

// A listener inside the manager's update may add sprites and remove or clear them.
class ReentrantListener : public VarnelMoveSpriteInterface {
 public:
  void OnMoveFinished(int id) override {
    calls.push_back(id);
    if (action) action(id);
  }
  std::vector<int> calls;
  std::function<void(int)> action;
};

TEST_F(MoveManagerTest, ListenerMayChangeTheListDuringAnUpdate) {
  ReentrantListener reentrant;
  std::vector<int> counts;
  auto add = [&](int id, std::vector<VarnelPoint> points) {
    manager.AddSprite(std::make_unique<MoveSprite_Varnel>(ani.get(), Path(id, points, 1000),
                                                          &reentrant, 0, 0, 0));
  };
  reentrant.action = [&](int id) {
    counts.push_back(manager.GetCount());  // must not delete under the running pass
    if (id == 1) manager.RemoveByID(2);  // a later sprite, not yet updated in this pass
    if (id == 3) add(4, {});             // follow-up effect
    if (id == 4) manager.Clear();
  };
  add(1, {});
  add(2, {});
  add(3, {});
  manager.Update(0.01f);
  EXPECT_EQ(reentrant.calls, (std::vector<int>{1, 3, 4}));
  EXPECT_EQ(counts, (std::vector<int>{2, 0, 0})) << "ended and removed sprites do not count";
  EXPECT_EQ(manager.GetCount(), 0);
  EXPECT_EQ(manager.GetSprite(0), nullptr);
}

}  // namespace
