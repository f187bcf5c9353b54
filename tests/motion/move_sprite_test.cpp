// Moving sprites: path arrival and its one callback, speed and acceleration, the start delay on
// the millisecond clock, scaling, rotation direction on screen, fading bounds, collision boxes
// and the manager's ownership and lazy purge.
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "motion/MoveSpriteManager_Varnel.h"
#include "motion/MoveSprite_Varnel.h"
#include "motion/MoveType_Path_Varnel.h"
#include "motion_test_util.h"
#include "platform/win/WinTime.h"

using motion_test::CellColor;
using motion_test::Listener;

namespace {

class MoveSpriteTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(hge.Ok()) << hge->System_GetErrorMessage();
    // 2 x 2 cells of 10 x 10: the frame is 20 x 20 with four differently coloured quarters.
    tex = motion_test::MakeCellTexture(hge.Get(), 20, 20, 10, 10);
    ani = std::make_unique<Animation_Varnel>(7, tex, 1, 12.0f, 0, 0, 20, 20);
  }
  static std::unique_ptr<MoveType_Path_Varnel> Path(int id, std::vector<VarnelPoint> points,
                                                    float speed, float acceleration = 0) {
    auto law = std::make_unique<MoveType_Path_Varnel>(id);
    for (const VarnelPoint& p : points) law->AddPoint(p.x, p.y);
    law->SetSpeed(speed);
    law->SetAcceleration(acceleration);
    return law;
  }
  // Updates by dt until the listener is called (at most 100 times); the number of updates.
  int UntilArrived(MoveSprite_Varnel& sprite, float dt) {
    int updates = 0;
    while (listener.ids.empty() && updates < 100) sprite.Update(dt), ++updates;
    return updates;
  }

  CScopedManualClock clock;  // the start delay reads the millisecond clock
  testsupport::HeadlessEngine hge{64, 64};
  HTEXTURE tex = 0;
  std::unique_ptr<Animation_Varnel> ani;
  Listener listener;
};

// One point at distance 100 and speed 2000 (the rocket's law): reached in the update whose
// travel exceeds 100, ended in the next, exactly on the point, with one callback.
TEST_F(MoveSpriteTest, PathArrivesExactlyWithOneCallback) {
  const std::pair<float, int> cases[] = {
      {0.06f, 2}, {0.05f, 3}, {0.04f, 3}, {0.016f, 5}, {1.0f, 2}};
  for (const auto& [dt, updatesToEnd] : cases) {
    SCOPED_TRACE("dt " + std::to_string(dt));
    listener.ids.clear();
    MoveSprite_Varnel sprite(ani.get(), Path(111, {{160, 280}}, 2000), &listener, 100, 200, 0);
    EXPECT_EQ(UntilArrived(sprite, dt), updatesToEnd);
    EXPECT_EQ(sprite.GetX(), 160.0f);
    EXPECT_EQ(sprite.GetY(), 280.0f);
    EXPECT_FALSE(sprite.IsAlive());
    for (int i = 0; i < 5; ++i) sprite.Update(dt);
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
  // A path holds a fixed number of points.
  MoveType_Path_Varnel full(1);
  for (int i = 0; i < MoveType_Path_Varnel::MAX_POINTS; ++i) EXPECT_TRUE(full.AddPoint(i, i));
  EXPECT_FALSE(full.AddPoint(-1, -1));
  EXPECT_EQ(full.GetPointCount(), MoveType_Path_Varnel::MAX_POINTS);
  EXPECT_EQ(full.GetEndPoint().x, MoveType_Path_Varnel::MAX_POINTS - 1.0f);
}

TEST_F(MoveSpriteTest, AccelerationIsPerMovingUpdateNotPerSecond) {
  const float cases[][4] = {// speed, acceleration, dt, speed after five moving updates
                            {100, 10, 0.001f, 150},
                            {100, 10, 0.02f, 150},
                            {-100, 10, 0.01f, -150},
                            {100, -10, 0.01f, 50}};
  for (const auto& c : cases) {
    SCOPED_TRACE("speed " + std::to_string(c[0]) + " dt " + std::to_string(c[2]));
    auto law = Path(1, {{10000, 0}}, c[0], c[1]);
    MoveType_Varnel* motion = law.get();
    MoveSprite_Varnel sprite(ani.get(), std::move(law), nullptr, 0, 0, 0);
    float expectedX = 0, speed = c[0];
    for (int i = 0; i < 5; ++i) {
      sprite.Update(c[2]);
      speed += c[0] > 0 ? c[1] : -c[1];
      expectedX += speed * c[2];
    }
    EXPECT_FLOAT_EQ(motion->GetSpeed(), c[3]);
    EXPECT_NEAR(sprite.GetX(), expectedX, 1e-3f) << "the new speed moves the sprite at once";
  }
}

// The delay counts from the law's construction, not from the sprite, also across the wrap of
// the 32-bit clock.
TEST_F(MoveSpriteTest, DelayCountsFromTheLawsStartTime) {
  const std::pair<uint64_t, uint32_t> cases[] = {// the clock at the law, ms until the sprite
                                                 {1000, 0},
                                                 {1000, 100},
                                                 {1000, 299},
                                                 {0xFFFFFF00u, 100}};
  for (const auto& [start, after] : cases) {
    SCOPED_TRACE("clock " + std::to_string(start) + " +" + std::to_string(after));
    CScopedManualClock local(start);
    auto law = Path(2, {{1000, 0}}, 100);
    law->SetDelay(300);
    local.Advance(after);
    MoveSprite_Varnel sprite(ani.get(), std::move(law), nullptr, 0, 0, 0);
    sprite.Update(0.1f);
    local.Advance(299 - after);
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
  EXPECT_EQ(sprite.GetX() + sprite.GetY(), 0.0f);
  // Without points a path ends at the origin once its delay is over.
  listener.ids.clear();
  auto empty = std::make_unique<MoveType_Path_Varnel>(9);
  empty->SetDelay(50);
  MoveSprite_Varnel late(ani.get(), std::move(empty), &listener, 300, 300, 0);
  late.Update(0.1f);
  EXPECT_TRUE(listener.ids.empty());
  clock.Advance(50);
  late.Update(0.1f);
  EXPECT_EQ(listener.ids, std::vector<int>{9});
  EXPECT_EQ(late.GetX(), 0.0f);
}

TEST_F(MoveSpriteTest, StartFramesAndASpriteWithoutLaw) {
  Animation_Varnel strip(8, tex, 4, 10.0f, 0, 0, 5, 20);
  for (const auto& [start, frame] :
       std::initializer_list<std::pair<int, int>>{{2, 2}, {3, 3}, {4, 3}, {9, 3}, {-2, 2}}) {
    MoveSprite_Varnel sprite(&strip, nullptr, nullptr, 0, 0, start);
    EXPECT_EQ(strip.GetFrame(), frame) << "start frame " << start;
    EXPECT_FALSE(strip.IsPlaying());
    EXPECT_EQ(sprite.GetBoxWidth() + sprite.GetBoxHeight(), 25.0f);
  }
  // Start frame -1 plays the animation; without a law the sprite animates but never moves.
  MoveSprite_Varnel still(&strip, nullptr, &listener, 5, 6, -1);
  EXPECT_TRUE(strip.IsPlaying());
  still.Update(0);
  still.Update(0.1f);
  EXPECT_EQ(strip.GetFrame(), 1);
  still.Reset();
  EXPECT_EQ(still.GetX(), 5.0f);
  EXPECT_TRUE(still.IsAlive() && listener.ids.empty());
  // The drawn rectangle runs clockwise from the top-left corner around the centre, scaled per
  // axis.
  still.SetScale(2.0f, 0.25f);
  still.UpdateQuad();
  const float corners[4][2] = {{0, 3.5f}, {10, 3.5f}, {10, 8.5f}, {0, 8.5f}};
  for (int i = 0; i < 4; ++i) {
    EXPECT_FLOAT_EQ(still.GetCorner(i).x, corners[i][0]) << "corner " << i;
    EXPECT_FLOAT_EQ(still.GetCorner(i).y, corners[i][1]) << "corner " << i;
  }
  EXPECT_EQ(still.GetCorner(4).x, 0.0f);
}

TEST_F(MoveSpriteTest, ScaleStepsToItsTargetAndStops) {
  const float cases[][5] = {// from, to, rate, after 250 ms, at the end
                            {0.5f, 1.5f, 2.0f, 1.0f, 1.5f},
                            {2.0f, 1.0f, 1.0f, 1.75f, 1.0f},
                            {1.0f, 1.0f, 5.0f, 1.0f, 1.0f}};
  for (const auto& c : cases) {
    SCOPED_TRACE("from " + std::to_string(c[0]) + " to " + std::to_string(c[1]));
    auto law = Path(4, {{100000, 0}}, 10);
    MoveType_Path_Varnel* path = law.get();
    MoveSprite_Varnel sprite(ani.get(), std::move(law), nullptr, 0, 0, 0);
    path->SetScaleX(c[0], c[1], c[2]);
    path->SetScaleY(c[0], c[1], c[2]);
    EXPECT_EQ(sprite.GetScaleX(), c[0]);
    for (int i = 0; i < 5; ++i) sprite.Update(0.05f);
    EXPECT_NEAR(sprite.GetScaleX(), c[3], 1e-5f);
    for (int i = 0; i < 20; ++i) sprite.Update(0.05f);
    EXPECT_EQ(sprite.GetScaleX(), c[4]) << "held exactly on the target";
    EXPECT_EQ(sprite.GetScaleY(), c[4]);
    sprite.UpdateQuad();
    EXPECT_NEAR(sprite.GetCorner(1).x - sprite.GetCorner(0).x, 20 * c[4], 1e-4f);
    EXPECT_EQ(sprite.GetBoxWidth(), 20.0f) << "the collision box keeps its size";
  }
  // A path that reaches its last point before its scale has arrived waits there, scaling, and
  // ends once the scale is in place: reached on the first update, scaled by the eighth, ended
  // on the ninth.
  auto law = Path(6, {{10, 0}}, 1000);
  MoveType_Path_Varnel* path = law.get();
  MoveSprite_Varnel waiting(ani.get(), std::move(law), &listener, 0, 0, 0);
  path->SetScaleX(1.0f, 2.0f, 1.0f);
  EXPECT_EQ(UntilArrived(waiting, 0.125f), 9);
  EXPECT_EQ(waiting.GetScaleX(), 2.0f);
  EXPECT_EQ(waiting.GetX(), 10.0f);
}

// A positive angle turns the drawn sprite clockwise on screen; 0 or below does not turn it.
TEST_F(MoveSpriteTest, PositiveAngleTurnsClockwiseOnScreen) {
  // The angle, and where the frame's top-left quarter lands from the centre (32, 32).
  const float cases[][3] = {{0, -5, -5}, {90, 5, -5}, {180, 5, 5}, {270, -5, 5}, {-90, -5, -5}};
  for (const auto& c : cases) {
    SCOPED_TRACE("angle " + std::to_string(c[0]));
    MoveSprite_Varnel sprite(ani.get(), nullptr, nullptr, 32, 32, 0);
    sprite.SetAngle(c[0]);
    const auto pixels = motion_test::RenderToPixels(hge.Get(), 64, 64, [&] { sprite.Render(); });
    ASSERT_EQ(pixels.size(), 64u * 64u);
    const int dx = static_cast<int>(c[1]), dy = static_cast<int>(c[2]);
    EXPECT_EQ(pixels[(32 + dy) * 64 + 32 + dx], CellColor(0, 0));
    EXPECT_EQ(pixels[(32 - dy) * 64 + 32 - dx], CellColor(1, 1));
  }
  // RotateTo keeps turning past its target.
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

// Alpha never leaves 0..255, a faded sprite stays alive, and a step that is not a number (a
// broken clock) changes nothing.
TEST_F(MoveSpriteTest, FadeStaysWithinBoundsAndNotANumberChangesNothing) {
  const struct {
    unsigned ms;
    float startAlpha;
    std::vector<float> dts;
    float alpha;
  } cases[] = {{500, 255, {0.25f}, 127.5f}, {500, 255, {0.5f}, 0}, {500, 255, {0.4f, 0.4f, 10}, 0},
               {500, 100, {0.1f}, 49},      {0, 255, {0.0f}, 0},   {1000, 255, {-1.0f}, 255}};
  for (const auto& c : cases) {
    MoveSprite_Varnel sprite(ani.get(), nullptr, nullptr, 0, 0, 0);
    sprite.SetAlpha(c.startAlpha);
    sprite.FadeOut(c.ms);
    for (const float dt : c.dts) sprite.Update(dt);
    EXPECT_NEAR(sprite.GetAlpha(), c.alpha, 1e-3f) << c.ms << " ms from " << c.startAlpha;
    EXPECT_TRUE(sprite.IsAlive());
  }
  MoveSprite_Varnel sprite(ani.get(), Path(1, {{100, 0}}, 100), &listener, 0, 0, 0);
  sprite.SetRotateSpeed(90);
  sprite.FadeOut(1000);
  sprite.Update(NAN);
  EXPECT_EQ(sprite.GetX() + sprite.GetAngle(), 0.0f);
  EXPECT_EQ(sprite.GetAlpha(), 255.0f);
  sprite.Update(0.5f);
  EXPECT_FLOAT_EQ(sprite.GetX(), 50.0f);
  EXPECT_FLOAT_EQ(sprite.GetAngle(), 45.0f);
}

TEST_F(MoveSpriteTest, CollisionBoxesCountStrictlyInsideCorners) {
  const CCollisionSprite_Varnel box(100, 100, 40, 20);  // x 80..120, y 90..110
  const struct {
    const char* name;
    float x, y, w, h;
    bool collides;
  } cases[] = {{"overlapping corner", 130, 115, 40, 20, true},
               {"touching edge", 140, 100, 40, 40, false},
               {"inside", 100, 100, 4, 4, true},
               {"around", 100, 100, 100, 100, true},
               {"far away", 300, 300, 40, 20, false},
               {"crossing without a corner inside", 100, 100, 10, 60, false}};
  for (const auto& c : cases) {
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
    auto sprite =
        std::make_unique<MoveSprite_Varnel>(ani.get(), Path(id, points, 1000), &listener, 0, 0, 0);
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
  Add(1, {});            // ends on its first update
  Add(2, {{10000, 0}});  // still flying
  Add(3, {}, 0);         // ends and stays
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
  // Only dead sprites count as none; the list takes new sprites after a purge.
  manager.Clear();
  for (int i = 0; i < 3; ++i) Add(i, {})->SetAlive(false);
  EXPECT_FALSE(manager.IsAnyAlive());
  EXPECT_EQ(manager.GetCount(), 0);
  EXPECT_EQ(manager.GetSprite(0), nullptr);
  Add(9, {{1, 1}});
  EXPECT_EQ(Ids(), std::vector<int>{9});
}

TEST_F(MoveManagerTest, LookupsAndRemovalKeepTheOrder) {
  MoveSprite_Varnel* first7 = Add(7, {{1, 0}});
  for (int id : {8, 7, 9}) Add(id, {{1, 0}});
  EXPECT_EQ(manager.GetSpriteByID(7), first7);
  EXPECT_EQ(manager.GetSpriteByID(6), nullptr);
  EXPECT_EQ(manager.GetSprite(-1), nullptr);
  EXPECT_EQ(manager.GetSprite(4), nullptr);
  manager.RemoveByID(7);
  EXPECT_EQ(Ids(), (std::vector<int>{8, 9}));
  Add(10, {{1, 0}});
  EXPECT_EQ(Ids(), (std::vector<int>{8, 9, 10})) << "the tail survives removals";
  EXPECT_FALSE(manager.AddSprite(nullptr));
}

// A listener inside the manager's update may add sprites and remove or clear them.
TEST_F(MoveManagerTest, ListenerMayChangeTheListDuringAnUpdate) {
  std::vector<int> counts;
  listener.then = [&](int id) {
    counts.push_back(manager.GetCount());  // must not delete under the running pass
    if (id == 1) manager.RemoveByID(2);    // a later sprite, not yet updated in this pass
    if (id == 3) Add(4, {});               // follow-up effect
    if (id == 4) manager.Clear();
  };
  for (int id : {1, 2, 3}) Add(id, {});
  manager.Update(0.01f);
  EXPECT_EQ(listener.ids, (std::vector<int>{1, 3, 4}));
  EXPECT_EQ(counts, (std::vector<int>{2, 0, 0})) << "ended and removed sprites do not count";
  EXPECT_EQ(manager.GetCount(), 0);
  EXPECT_EQ(manager.GetSprite(0), nullptr);
}

}  // namespace
