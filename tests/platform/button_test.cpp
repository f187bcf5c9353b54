// The image button on the frame's widget layer, headless: the state column follows enabled,
// pressed and mouse over (input injected as SDL events), the column's picture is stretched over
// the button, and nothing is drawn where the button's container leaves it no room.
#include <vector>

#include "platform/gui/SDL2Graphics.h"
#include "platform_test_util.h"
#include "tests/support/widget_frame.h"
#include "widgets/MyCButtonEx.h"

namespace {

constexpr uint32_t kColumnColors[4] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFF808080};
constexpr uint32_t kBlack = 0xFF000000;

// A state strip: four columns of one colour each.
gcn::Image* MakeStrip(int width, int height) {
  SDL_Surface* s = SDL_CreateRGBSurfaceWithFormat(0, width, height, 32, SDL_PIXELFORMAT_ARGB8888);
  for (int c = 0; c < 4; ++c) {
    const SDL_Rect column{c * (width / 4), 0, c < 3 ? width / 4 : width - 3 * (width / 4), height};
    SDL_FillRect(s, &column, kColumnColors[c]);
  }
  return new gcn::SDL2Image(s);
}

TEST(ImageButton, DrawsItsStateColumnStretchedAndNothingWhenClippedAway) {
  const struct {
    const char* name;
    bool enabled, hover, pressed;
    int width, height;  // the owner's size; 0: the strip's
    int containerW;
    int column;  // -1: nothing drawn
  } cases[] = {
      {"normal, sized from the strip", true, false, false, 0, 0, 320, 0},
      {"mouse over", true, true, false, 0, 0, 320, 2},
      {"pressed", true, true, true, 0, 0, 320, 1},
      {"disabled under the mouse while pressed", false, true, true, 0, 0, 320, 3},
      {"stretched to 200 x 100 by its owner", true, false, false, 200, 100, 320, 0},
      {"a container of no size", true, false, false, 200, 100, 0, -1},
  };
  platform_test::TempDir dir;
  widget_test::WidgetFrame frame(dir.Path(), 320, 240);
  ASSERT_TRUE(frame.Ok());
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    gcn::Container inner;
    inner.setOpaque(false);
    inner.setDimension(gcn::Rectangle(0, 0, c.containerW, c.containerW ? 240 : 0));
    gcn::MyCButtonEx button(MakeStrip(400, 50));
    EXPECT_EQ(button.getWidth(), 100) << "a quarter of the strip";
    EXPECT_EQ(button.getHeight(), 50);
    if (c.width) button.setSize(c.width, c.height);
    frame.Top().add(&inner);
    inner.add(&button, 20, 30);
    if (c.hover) frame.Move(40, 50);
    if (c.pressed) frame.Press(40, 50);
    button.SetEnable(c.enabled);
    if (c.column >= 0) {
      EXPECT_EQ(button.getStateColumn(), c.column);
    }
    const std::vector<uint32_t> px = frame.DrawWidgets(320, 240);
    if (c.pressed) frame.Release(40, 50);
    const int w = button.getWidth(), h = button.getHeight();
    const uint32_t inside = c.column >= 0 ? kColumnColors[c.column] : kBlack;
    EXPECT_EQ(px[(30 + 2) * 320 + 20 + 2], inside) << "its top-left corner";
    EXPECT_EQ(px[(30 + h - 3) * 320 + 20 + w - 3], inside) << "its bottom-right corner";
    EXPECT_EQ(px[(30 + h + 2) * 320 + 20 + w + 2], kBlack) << "outside the button";
    frame.Move(300, 230);  // away, so that the next button sees the mouse come
    inner.remove(&button);
    frame.Top().remove(&inner);
  }
}

TEST(ImageButton, SizeComesFromTheStrip) {
  gcn::MyCButtonEx odd(MakeStrip(402, 50));
  EXPECT_EQ(odd.getWidth(), 100) << "402 / 4 rounds down";
  gcn::MyCButtonEx empty;
  EXPECT_EQ(empty.getWidth(), 0);
  gcn::MyCButtonEx same(MakeStrip(400, 50));
  same.setImage(same.getImage());  // taking its own image again must not free it
  ASSERT_NE(same.getImage(), nullptr);
  EXPECT_EQ(same.getImage()->getWidth(), 400);
  same.setImage(nullptr);
  EXPECT_EQ(same.getWidth(), 0) << "without an image, 0 x 0";
}

}  // namespace
