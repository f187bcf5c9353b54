// The options window on the frame's headless application loop: clicks injected as SDL events
// on its check boxes, drop-down and buttons, and the messages it posts to the main window.
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/win/ResourceFolder.h"
#include "tests/platform/platform_test_util.h"
#include "tests/support/widget_frame.h"
#include "widgets/GameSetting.h"
#include "widgets/MyCButtonEx.h"

namespace {

using platform_test::TempDir;
using widget_test::tagLoggedMessage;
using widget_test::WidgetFrame;

constexpr int kLeft = 475, kTop = 170;  // where the table puts the window on a 1280 x 720 screen

tagLoggedMessage Posted(UINT message, LPARAM value) {
  return tagLoggedMessage{true, message, message, value};
}

class GameSettingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    auto strip = [&](const char* name, uint32_t color) {
      ASSERT_TRUE(platform_test::WritePng(dir.File(std::string("Torvaly/gameOption/") + name), 320,
                                          36, [=](int x, int) { return color + (x / 80) * 0x10; }));
    };
    strip("buttonOk.png", 0xFF20A040);
    strip("buttonCancle.png", 0xFFA04020);
    ASSERT_TRUE(platform_test::WritePng(dir.File("Torvaly/gameOption/back.png"), 330, 300,
                                        [](int, int) { return 0xFF304050u; }));
    // The game font, linked beside the test executable, for the drop-down's text.
    std::filesystem::create_symlink(GetExecutableFolder() + "/Torvaly/fzzy.TTF",
                                    dir.File("Torvaly/fzzy.TTF"));
    frame = std::make_unique<WidgetFrame>(dir.Path());
    ASSERT_TRUE(frame->Ok());
    window = std::make_unique<CGameSetting>(&frame->Dialog());
    ASSERT_TRUE(window->LoadBackground("Torvaly\\gameOption\\back.png"));
    frame->Top().add(window.get());
    window->setPosition(kLeft, kTop);
  }
  void TearDown() override {
    if (window && window->getParent() != nullptr) frame->Top().remove(window.get());
    window.reset();
    frame.reset();
    SetResourceFolder("");
  }
  void Open(BYTE music, BYTE sound, BYTE seat, BYTE lookon, BYTE animation, int spacing) {
    window->SetMusic(music);
    window->SetGameSound(sound);
    window->SetSeatOrder(seat);
    window->SetAllowLookon(lookon);
    window->SetAnimation(animation);
    window->SetCardSpacing(spacing);
    window->RefreshControls();
    window->setVisible(true);
  }
  // Clicks the centre of a child of the window.
  void ClickChild(gcn::Widget* child) {
    int x, y;
    child->getAbsolutePosition(x, y);
    frame->Click(x + child->getWidth() / 2, y + child->getHeight() / 2);
  }
  // Opens the drop-down and clicks the item, which must be in view.
  void PickSpacing(int item) {
    gcn::DropDown* drop = window->GetSpacingDropDown();
    const int closed = drop->getHeight();
    ClickChild(drop);
    int dx, dy;
    drop->getAbsolutePosition(dx, dy);
    ASSERT_GT(drop->getHeight(), closed) << "dropped down";
    // The list box is the content of the drop-down's scroll area.
    auto* area = dynamic_cast<gcn::ScrollArea*>(drop->getWidgetAt(5, drop->getHeight() - 5));
    ASSERT_NE(area, nullptr);
    auto* list = dynamic_cast<gcn::ListBox*>(area->getContent());
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->getFont(), drop->getFont()) << "the open list in the drop-down's font";
    int lx, ly;
    list->getAbsolutePosition(lx, ly);
    const int rowY = ly + item * static_cast<int>(list->getRowHeight()) + 2;
    ASSERT_GT(rowY, dy + closed) << "the item is below the closed drop-down";
    ASSERT_LT(rowY, dy + drop->getHeight()) << "the item is in view";
    frame->Click(lx + 10, rowY);
  }

  TempDir dir;
  std::unique_ptr<WidgetFrame> frame;
  std::unique_ptr<CGameSetting> window;
};

TEST(DemoListModel, ElevenSpacingsAndAPromptElsewhere) {
  DemoListModel model;
  EXPECT_EQ(model.getNumberOfElements(), 11);
  EXPECT_EQ(model.getElementAt(0), "18");
  EXPECT_EQ(model.getElementAt(6), "24");
  EXPECT_EQ(model.getElementAt(10), "28");
  EXPECT_EQ(model.getElementAt(11), "选择牌间距");
  EXPECT_EQ(model.getElementAt(-1), "选择牌间距");
}

TEST_F(GameSettingTest, StartsHiddenWithItsInitialValuesAndControls) {
  CGameSetting fresh;
  EXPECT_FALSE(fresh.isVisible());
  EXPECT_TRUE(fresh.isMovable());
  EXPECT_EQ(fresh.GetMusic(), 1);
  EXPECT_EQ(fresh.GetGameSound(), 1);
  EXPECT_EQ(fresh.GetSeatOrder(), 0);
  EXPECT_EQ(fresh.GetAllowLookon(), 0);
  EXPECT_EQ(fresh.GetAnimation(), 1);
  EXPECT_EQ(fresh.GetCardSpacing(), 10);
  const bool ticked[5] = {true, true, false, false, true};
  for (int i = 0; i < CGameSetting::BOX_COUNT; ++i)
    EXPECT_EQ(fresh.GetCheckBox(i)->isSelected(), ticked[i]) << i;
  EXPECT_EQ(fresh.GetSpacingDropDown()->getSelected(), 2);
  // 60 x 17 at (95, 212), grown about the same centre for the game font.
  const gcn::DropDown* drop = fresh.GetSpacingDropDown();
  EXPECT_EQ(drop->getWidth(), 60);
  EXPECT_GT(drop->getHeight(), 17) << "the game font is taller than the field";
  EXPECT_NEAR(drop->getY() + drop->getHeight() / 2.0, 212 + 17 / 2.0, 0.5);
  EXPECT_EQ(fresh.GetOkButton()->getWidth(), 80) << "a quarter of the strip";
  EXPECT_EQ(window->getWidth(), 330) << "sized by its background";
}

TEST_F(GameSettingTest, RefreshShowsTheValues) {
  struct Case {
    int spacing;
    int item;
  } cases[] = {{24, 6}, {18, 0}, {28, 10}, {10, 0}, {29, 0}, {-1, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.spacing);
    Open(0, 1, 1, 0, 1, c.spacing);
    EXPECT_EQ(window->GetSpacingDropDown()->getSelected(), c.item);
    EXPECT_EQ(window->GetCardSpacing(), c.spacing) << "the value stays";
    const bool ticked[5] = {false, true, true, false, true};
    for (int i = 0; i < CGameSetting::BOX_COUNT; ++i)
      EXPECT_EQ(window->GetCheckBox(i)->isSelected(), ticked[i]) << i;
  }
}

enum class Act { Box, Spacing, Ok, Cancel };
struct Action {
  Act act;
  int index;  // the check box or the drop-down item
};
struct OptionCase {
  const char* name;
  BYTE music, sound, seat, lookon, animation;
  int spacing;
  std::vector<Action> actions;
  std::vector<tagLoggedMessage> posted;
};

TEST_F(GameSettingTest, OkPostsEveryValueThenTheConfirmAndCancelOnlyTheClose) {
  auto all = [](LPARAM spacing, LPARAM music, LPARAM sound, LPARAM animation, LPARAM seat,
                LPARAM lookon) {
    return std::vector<tagLoggedMessage>{Posted(MSG_OPTION_CARD_SPACING, spacing),
                                         Posted(MSG_OPTION_MUSIC, music),
                                         Posted(MSG_OPTION_GAME_SOUND, sound),
                                         Posted(MSG_OPTION_ANIMATION, animation),
                                         Posted(MSG_OPTION_SEAT_ORDER, seat),
                                         Posted(MSG_OPTION_ALLOW_LOOKON, lookon),
                                         Posted(MSG_OPTION_CONFIRM, 0)};
  };
  const OptionCase cases[] = {
      {"OK untouched keeps a spacing no item shows",
       1,
       1,
       0,
       0,
       1,
       10,
       {{Act::Ok, 0}},
       all(10, 1, 1, 1, 0, 0)},
      {"music unticked",
       1,
       1,
       0,
       0,
       1,
       24,
       {{Act::Box, CGameSetting::BOX_MUSIC}, {Act::Ok, 0}},
       all(24, 0, 1, 1, 0, 0)},
      {"every box flipped",
       1,
       1,
       0,
       0,
       1,
       20,
       {{Act::Box, 0}, {Act::Box, 1}, {Act::Box, 2}, {Act::Box, 3}, {Act::Box, 4}, {Act::Ok, 0}},
       all(20, 0, 0, 0, 1, 1)},
      {"a box flipped twice",
       0,
       0,
       1,
       1,
       0,
       22,
       {{Act::Box, 2}, {Act::Box, 2}, {Act::Ok, 0}},
       all(22, 0, 0, 0, 1, 1)},
      {"a spacing picked from the list",
       1,
       1,
       0,
       0,
       1,
       24,
       {{Act::Spacing, 7}, {Act::Ok, 0}},
       all(25, 1, 1, 1, 0, 0)},
      {"cancel after changes posts only the close",
       1,
       1,
       0,
       0,
       1,
       24,
       {{Act::Box, 0}, {Act::Box, 3}, {Act::Spacing, 8}, {Act::Cancel, 0}},
       {Posted(MSG_OPTION_CLOSE, 0)}},
  };
  for (const OptionCase& c : cases) {
    SCOPED_TRACE(c.name);
    Open(c.music, c.sound, c.seat, c.lookon, c.animation, c.spacing);
    frame->Log().clear();
    for (const Action& a : c.actions) {
      switch (a.act) {
        case Act::Box:
          ClickChild(window->GetCheckBox(a.index));
          break;
        case Act::Spacing:
          PickSpacing(a.index);
          EXPECT_EQ(window->GetSpacingDropDown()->getSelected(), a.index);
          break;
        case Act::Ok:
          ClickChild(window->GetOkButton());
          break;
        case Act::Cancel:
          ClickChild(window->GetCancelButton());
          break;
      }
      if (a.act != Act::Ok && a.act != Act::Cancel) {
        frame->Frame();
        EXPECT_TRUE(frame->Log().empty()) << "changes are only kept";
      }
    }
    frame->Frame();  // the posted messages arrive
    EXPECT_EQ(frame->Log(), c.posted);
  }
}

TEST_F(GameSettingTest, DraggedByItsBackgroundAndKeptOnTheScreen) {
  Open(1, 1, 0, 0, 1, 24);
  frame->Move(kLeft + 250, kTop + 30);
  frame->Press(kLeft + 250, kTop + 30);
  frame->Move(kLeft + 290, kTop + 60);
  EXPECT_EQ(window->getX(), kLeft + 40);
  EXPECT_EQ(window->getY(), kTop + 30);
  frame->Move(1270, 700);
  EXPECT_EQ(window->getX(), 1280 - 330) << "kept inside the screen";
  EXPECT_EQ(window->getY(), 720 - 300);
  frame->Release(1270, 700);
  // A press on a control does not move the window.
  int bx, by;
  window->GetCheckBox(0)->getAbsolutePosition(bx, by);
  const int x0 = window->getX();
  frame->Move(bx + 8, by + 8);
  frame->Press(bx + 8, by + 8);
  frame->Move(bx - 100, by + 8);
  frame->Release(bx - 100, by + 8);
  EXPECT_EQ(window->getX(), x0);
}

}  // namespace
