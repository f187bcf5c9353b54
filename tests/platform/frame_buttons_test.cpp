// The frame's own buttons on the table (options and sound), headless: clicks injected as SDL
// events reach the dialog's slots and not the table, the speaker shows the sound switch, the
// buttons follow the table's letterbox, and without their pictures they are not there.
#include <memory>
#include <string>

#include "platform/frame/FrameButtons.h"
#include "platform_test_util.h"
#include "tests/support/widget_frame.h"

using platform_test::TempDir;
using widget_test::WidgetFrame;

namespace {

constexpr uint32_t kOptionsColor = 0xFFC02020;
constexpr uint32_t kSoundOnColor = 0xFF20C020;
constexpr uint32_t kSoundOffColor = 0xFF2020C0;

// Pictures of one colour in all four states (the states are the image button's concern).
void WriteIcons(const std::string& dir) {
  auto icon = [&](const char* name, uint32_t color) {
    platform_test::WritePng(dir + "/Torvaly/frame/" + name, 4 * CFrameButtons::ICON_SIZE,
                            CFrameButtons::ICON_SIZE, [color](int, int) { return color; });
  };
  icon("options.png", kOptionsColor);
  icon("sound_on.png", kSoundOnColor);
  icon("sound_off.png", kSoundOffColor);
}

struct tagPoint {
  int x, y;
};

// The centre of a button on the screen.
tagPoint Centre(const gcn::Widget* button) {
  return {button->getX() + button->getWidth() / 2, button->getY() + button->getHeight() / 2};
}

class FrameButtonsTest : public ::testing::Test {
 protected:
  void Start(bool withIcons, int width = 1280, int height = 720) {
    if (withIcons) WriteIcons(dir.Path());
    frame = std::make_unique<WidgetFrame>(dir.Path(), width, height);
    ASSERT_TRUE(frame->Ok());
    buttons = frame->View().GetFrameButtons();
    ASSERT_NE(buttons, nullptr);
  }
  uint32_t ShownAt(tagPoint p) {
    const std::vector<uint32_t> pixels = frame->DrawWidgets(1280, 720);
    return pixels[static_cast<size_t>(p.y) * 1280 + p.x];
  }

  TempDir dir;
  std::unique_ptr<WidgetFrame> frame;
  CFrameButtons* buttons = nullptr;
};

// Clicks (and the keys F2 and F3) reach the dialog's slots, never the table; the speaker shows
// the sound switch.
TEST_F(FrameButtonsTest, EachClickOrKeyReachesItsSlotAndNotTheTable) {
  Start(true);
  widget_test::LogDlg& dialog = frame->Dialog();
  const tagPoint options = Centre(buttons->OptionsButton());
  const tagPoint sound = Centre(buttons->SoundButton());
  EXPECT_EQ(ShownAt(sound), kSoundOnColor);
  EXPECT_EQ(ShownAt(options), kOptionsColor);
  const struct {
    const char* name;
    tagPoint at;  // {0, key}: the key instead
    int optionsShown, soundSwitches;
    uint32_t speaker;
  } steps[] = {
      {"options", options, 1, 0, kSoundOnColor},      {"sound off", sound, 1, 1, kSoundOffColor},
      {"sound on again", sound, 1, 2, kSoundOnColor}, {"F2", {0, SDLK_F2}, 2, 2, kSoundOnColor},
      {"F3", {0, SDLK_F3}, 2, 3, kSoundOffColor},
  };
  for (const auto& step : steps) {
    SCOPED_TRACE(step.name);
    if (step.at.x != 0) {
      frame->Click(step.at.x, step.at.y);
    } else {
      SDL_Event e{};
      e.type = SDL_KEYDOWN;
      e.key.keysym.sym = step.at.y;
      SDL_PushEvent(&e);
      frame->Frame();
    }
    EXPECT_EQ(dialog.optionsShown, step.optionsShown);
    EXPECT_EQ(dialog.soundSwitches, step.soundSwitches);
    EXPECT_EQ(dialog.IsSoundSwitchedOn(), step.speaker == kSoundOnColor);
    EXPECT_EQ(ShownAt(sound), step.speaker) << "the speaker shows the switch";
    EXPECT_EQ(frame->View().mouseButtonMessages, 0) << "the table never saw the click";
  }
  // Beside the buttons the table gets its clicks as before.
  frame->Click(640, 360);
  EXPECT_EQ(frame->View().mouseButtonMessages, 2);
}

// The buttons follow the table into its letterbox; without their pictures there are none, and
// a click where they would be is the table's.
TEST_F(FrameButtonsTest, TheyFollowTheTableIntoItsLetterboxOrAreNotThere) {
  const struct {
    int width, height;
    int optionsX, y, size;  // size 0: no pictures
  } cases[] = {
      {1280, 720, 0, 0, 0},  // first: the pictures are not written yet
      {1280, 720, CFrameButtons::OPTIONS_X, CFrameButtons::ICONS_Y, CFrameButtons::ICON_SIZE},
      // Wider than the table: centred, bars left and right.
      {1600, 720, 160 + CFrameButtons::OPTIONS_X, CFrameButtons::ICONS_Y, CFrameButtons::ICON_SIZE},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.width) + " x " + std::to_string(c.height));
    frame.reset();
    Start(c.size > 0, c.width, c.height);
    const gcn::Widget* options = buttons->OptionsButton();
    const gcn::Widget* sound = buttons->SoundButton();
    EXPECT_EQ(options->isVisible() && sound->isVisible(), c.size > 0);
    if (c.size == 0) {
      const tagPoint at = Centre(sound);
      EXPECT_FALSE(buttons->Covers(at.x, at.y));
      frame->Click(at.x, at.y);
      EXPECT_EQ(frame->Dialog().soundSwitches, 0);
      EXPECT_EQ(frame->View().mouseButtonMessages, 2) << "the click is the table's";
      continue;
    }
    EXPECT_EQ(options->getX(), c.optionsX);
    EXPECT_EQ(options->getY(), c.y);
    EXPECT_EQ(options->getWidth(), c.size);
    EXPECT_EQ(options->getHeight(), c.size);
    EXPECT_GT(sound->getX(), options->getX() + options->getWidth());
    EXPECT_LE(sound->getX() + c.size, c.width - (c.width - c.height * 16 / 9) / 2);
  }
}

}  // namespace
