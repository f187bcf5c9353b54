// The image button on the widget back ends, headless: clicks injected as SDL events reach its
// action listeners, and its state columns follow enabled, pressed and mouse over.
#include <memory>
#include <vector>

#include "platform/engine/hgeSprite.h"
#include "platform/gui/SDL2Graphics.h"
#include "platform_test_util.h"
#include "widgets/MyCButtonEx.h"

using platform_test::HeadlessEngine;
using platform_test::ReadTarget;

namespace {

constexpr uint32_t kColumnColors[4] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFF808080};

// A state strip: four columns of one colour each.
gcn::Image* MakeStrip(int width, int height) {
  SDL_Surface* s = SDL_CreateRGBSurfaceWithFormat(0, width, height, 32, SDL_PIXELFORMAT_ARGB8888);
  for (int y = 0; y < height; ++y) {
    auto* row = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(s->pixels) + y * s->pitch);
    for (int x = 0; x < width; ++x) row[x] = kColumnColors[std::min(3, x / (width / 4))];
  }
  return new gcn::SDL2Image(s);
}

// Records the four-corner draws a widget makes.
class RecordingGraphics : public gcn::GraphicsEx {
 public:
  struct Draw {
    int srcX, srcY, srcW, srcH;
    int corners[8];
  };
  std::vector<Draw> draws;

  void drawImageQuad(const gcn::Image*, int sx, int sy, int sw, int sh, int x0, int y0, int x1,
                     int y1, int x2, int y2, int x3, int y3) override {
    draws.push_back(Draw{sx, sy, sw, sh, {x0, y0, x1, y1, x2, y2, x3, y3}});
  }
  void drawImage(const gcn::Image*, int, int, int, int, int, int) override {}
  void drawPoint(int, int) override {}
  void drawLine(int, int, int, int) override {}
  void drawRectangle(const gcn::Rectangle&) override {}
  void fillRectangle(const gcn::Rectangle&) override {}
  void setColor(const gcn::Color& c) override { mColor = c; }
  const gcn::Color& getColor() const override { return mColor; }

 private:
  gcn::Color mColor;
};

class CountingListener : public gcn::ActionListener {
 public:
  void action(const gcn::ActionEvent& event) override {
    ++count;
    source = event.getSource();
  }
  int count = 0;
  gcn::Widget* source = nullptr;
};

// A widget tree with one button, fed with SDL events through the engine's event queue.
class ButtonScene {
 public:
  ButtonScene() {
    container.setDimension(gcn::Rectangle(0, 0, 320, 240));
    container.setOpaque(false);
    gui.setGraphics(&graphics);
    gui.setInput(&input);
    gui.setTop(&container);
    button = std::make_unique<gcn::MyCButtonEx>(MakeStrip(400, 50));
    button->setPosition(20, 30);
    button->addActionListener(&listener);
    container.add(button.get());
  }
  ~ButtonScene() {
    container.remove(button.get());
    gui.setTop(nullptr);
  }

  void Send(const SDL_Event& e) {
    SDL_Event copy = e;
    SDL_PushEvent(&copy);
  }
  void Move(int x, int y) {
    SDL_Event e{};
    e.type = SDL_MOUSEMOTION;
    e.motion.x = x, e.motion.y = y;
    Send(e);
  }
  void Button(bool down, int x, int y) {
    SDL_Event e{};
    e.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
    e.button.button = SDL_BUTTON_LEFT;
    e.button.state = down ? SDL_PRESSED : SDL_RELEASED;
    e.button.clicks = 1;
    e.button.x = x, e.button.y = y;
    Send(e);
  }
  // What the application loop does each frame with the widgets.
  void Frame() {
    SDL_Event e;
    while (hge->System_PollEvent(&e)) input.pushInput(e);
    ASSERT_TRUE(gcn::GuiGuard("test", [&] { gui.logic(); }));
  }

  HeadlessEngine hge;
  gcn::SDL2Graphics graphics;
  gcn::SDL2Input input;
  gcn::Container container;
  gcn::Gui gui;
  CountingListener listener;
  std::unique_ptr<gcn::MyCButtonEx> button;
};

enum Step { MoveIn, MoveOut, PressIn, ReleaseIn, PressOut, ReleaseOut };

struct ClickCase {
  const char* name;
  std::vector<Step> steps;
  int actions;
};

TEST(ImageButton, ClickInjectedAsSdlEventsFiresTheAction) {
  const ClickCase cases[] = {
      {"press and release over the button", {MoveIn, PressIn, ReleaseIn}, 1},
      {"two clicks", {MoveIn, PressIn, ReleaseIn, PressIn, ReleaseIn}, 2},
      {"released elsewhere", {MoveIn, PressIn, MoveOut, ReleaseOut}, 0},
      {"pressed elsewhere, released over it", {MoveOut, PressOut, MoveIn, ReleaseIn}, 0},
      {"only moving over it", {MoveIn, MoveOut, MoveIn}, 0},
  };
  for (const ClickCase& c : cases) {
    SCOPED_TRACE(c.name);
    ButtonScene scene;
    ASSERT_TRUE(scene.hge.Ok());
    for (Step s : c.steps) {
      switch (s) {
        case MoveIn:
          scene.Move(60, 50);
          break;
        case MoveOut:
          scene.Move(250, 200);
          break;
        case PressIn:
          scene.Button(true, 60, 50);
          break;
        case ReleaseIn:
          scene.Button(false, 60, 50);
          break;
        case PressOut:
          scene.Button(true, 250, 200);
          break;
        case ReleaseOut:
          scene.Button(false, 250, 200);
          break;
      }
      scene.Frame();
    }
    EXPECT_EQ(scene.listener.count, c.actions);
    if (c.actions > 0) {
      EXPECT_EQ(scene.listener.source, scene.button.get());
    }
  }
}

struct StateCase {
  const char* name;
  bool enabled, hover, pressed;
  int column;
};

TEST(ImageButton, StateColumnFollowsEnabledPressedAndHover) {
  const StateCase cases[] = {
      {"normal", true, false, false, 0},
      {"mouse over", true, true, false, 2},
      {"pressed", true, true, true, 1},
      {"disabled", false, false, false, 3},
      {"disabled under the mouse", false, true, false, 3},
      {"disabled while pressed", false, true, true, 3},
  };
  for (const StateCase& c : cases) {
    SCOPED_TRACE(c.name);
    ButtonScene scene;
    ASSERT_TRUE(scene.hge.Ok());
    if (c.hover) scene.Move(60, 50);
    if (c.pressed) scene.Button(true, 60, 50);
    scene.Frame();
    scene.button->SetEnable(c.enabled);
    EXPECT_EQ(scene.button->getStateColumn(), c.column);

    RecordingGraphics graphics;
    scene.button->draw(&graphics);
    ASSERT_EQ(graphics.draws.size(), 1u);
    const RecordingGraphics::Draw& d = graphics.draws[0];
    EXPECT_EQ(d.srcX, c.column * 100);
    EXPECT_EQ(d.srcY, 0);
    EXPECT_EQ(d.srcW, 100);
    EXPECT_EQ(d.srcH, 50);
  }
}

struct SizeCase {
  const char* name;
  int imageW, imageH;
  int resizeW, resizeH;  // 0: keep the size from the image
  int width, height;
};

TEST(ImageButton, SizeComesFromTheStripAndResizingStretches) {
  const SizeCase cases[] = {
      {"400 x 50 strip", 400, 50, 0, 0, 100, 50},
      {"402 wide rounds down", 402, 50, 0, 0, 100, 50},
      {"resized by its owner", 400, 50, 200, 100, 200, 100},
  };
  for (const SizeCase& c : cases) {
    SCOPED_TRACE(c.name);
    gcn::MyCButtonEx button(MakeStrip(c.imageW, c.imageH));
    if (c.resizeW) button.setSize(c.resizeW, c.resizeH);
    EXPECT_EQ(button.getWidth(), c.width);
    EXPECT_EQ(button.getHeight(), c.height);
    RecordingGraphics graphics;
    button.draw(&graphics);
    ASSERT_EQ(graphics.draws.size(), 1u);
    const int expected[8] = {0, 0, c.width, 0, c.width, c.height, 0, c.height};
    for (int i = 0; i < 8; ++i) EXPECT_EQ(graphics.draws[0].corners[i], expected[i]) << i;
    EXPECT_EQ(graphics.draws[0].srcW, c.imageW / 4);
  }
  gcn::MyCButtonEx empty;
  EXPECT_EQ(empty.getWidth(), 0);
  RecordingGraphics graphics;
  empty.draw(&graphics);
  EXPECT_TRUE(graphics.draws.empty()) << "no image, nothing drawn";
  gcn::MyCButtonEx same(MakeStrip(400, 50));
  same.setImage(same.getImage());  // taking its own image again must not free it
  EXPECT_EQ(same.getWidth(), 100);
  ASSERT_NE(same.getImage(), nullptr);
  EXPECT_EQ(same.getImage()->getWidth(), 400);
}

// The real drawing: the stretched state picture in the pixels, and nothing at all when the
// button's container leaves it no room (an empty clip area).
TEST(ImageButton, DrawsItsColumnStretchedAndNothingWhenClippedAway) {
  struct PixelCase {
    const char* name;
    int containerW, containerH;
    bool enabled;
    uint32_t inside;
  };
  const PixelCase cases[] = {
      {"normal, stretched to 200 x 100", 320, 240, true, kColumnColors[0]},
      {"disabled", 320, 240, false, kColumnColors[3]},
      {"container of no size", 0, 0, true, 0xFF000000},
  };
  for (const PixelCase& c : cases) {
    SCOPED_TRACE(c.name);
    ButtonScene scene;
    ASSERT_TRUE(scene.hge.Ok());
    gcn::Container inner;
    inner.setOpaque(false);
    inner.setDimension(gcn::Rectangle(0, 0, c.containerW, c.containerH));
    scene.container.remove(scene.button.get());
    inner.add(scene.button.get());
    scene.container.add(&inner);
    scene.button->setPosition(0, 0);
    scene.button->setSize(200, 100);
    scene.button->SetEnable(c.enabled);

    const HTARGET target = scene.hge->Target_Create(320, 240, false);
    scene.graphics.setTargetSize(320, 240);
    ASSERT_TRUE(scene.hge->Gfx_BeginScene(target));
    scene.hge->Gfx_Clear(0xFF000000);
    ASSERT_TRUE(gcn::GuiGuard("test", [&] { scene.gui.draw(); }));
    scene.hge->Gfx_EndScene();
    const std::vector<uint32_t> px = ReadTarget(scene.hge.Get(), target);
    EXPECT_EQ(px[80 * 320 + 150], c.inside);
    EXPECT_EQ(px[5 * 320 + 5], c.inside);
    EXPECT_EQ(px[150 * 320 + 250], 0xFF000000u) << "outside the button";
    inner.remove(scene.button.get());
    scene.container.remove(&inner);
    scene.container.add(scene.button.get());
  }
}

}  // namespace
