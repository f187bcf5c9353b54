// The options window on the frame's headless application loop: clicks injected as SDL events
// on its check boxes, drop-down and buttons, and the messages it posts to its owner.
#include <cstdlib>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "config/ResourceConfig.h"
#include "platform/win/ResourceFolder.h"
#include "tests/support/widget_frame.h"
#include "widgets/GameSetting.h"
#include "widgets/MyCButtonEx.h"

namespace {

using widget_test::tagLoggedMessage;
using widget_test::WidgetFrame;

constexpr int kLeft = 475, kTop = 170;  // where the table puts the window on a 1280 x 720 screen

tagLoggedMessage Posted(UINT message, LPARAM value) {
  return tagLoggedMessage{true, message, message, value};
}

class GameSettingTest : public ::testing::Test {
 protected:
  // On the resource folder beside the test (its art and the game font).
  void SetUp() override {
    frame = std::make_unique<WidgetFrame>(GetExecutableFolder());
    ASSERT_TRUE(frame->Ok());
    window = std::make_unique<CGameSetting>(&frame->Dialog());
    ASSERT_TRUE(window->LoadBackground(ResourceConfig().GetResourcePath("m_pGameSetting")));
    frame->Top().add(window.get());
    window->setPosition(kLeft, kTop);
  }
  void TearDown() override { SetResourceFolder(""); }  // the window goes first, then the frame
  // Opens the window as the dialog does; boxes: the five values as digits, in box order (music,
  // game sound, seat order, watchers, animation).
  void Open(const char* boxes, int spacing, int level = BOT_LEVEL_NORMAL) {
    window->SetMusic(boxes[0] - '0'), window->SetGameSound(boxes[1] - '0');
    window->SetSeatOrder(boxes[2] - '0'), window->SetAllowLookon(boxes[3] - '0');
    window->SetAnimation(boxes[4] - '0'), window->SetCardSpacing(spacing);
    window->SetBotLevel(level);
    window->RefreshControls();
    window->setVisible(true);
  }
  void ClickChild(gcn::Widget* child) {
    int x, y;
    child->getAbsolutePosition(x, y);
    frame->Click(x + child->getWidth() / 2, y + child->getHeight() / 2);
  }
  // Opens the drop-down and clicks the item, which must be in view.
  void Pick(gcn::DropDown* drop, int item) {
    const int closed = drop->getHeight();
    ClickChild(drop);
    int dx, dy;
    drop->getAbsolutePosition(dx, dy);
    ASSERT_GT(drop->getHeight(), closed) << "dropped down";
    auto* area = dynamic_cast<gcn::ScrollArea*>(drop->getWidgetAt(5, drop->getHeight() - 5));
    ASSERT_NE(area, nullptr);
    auto* list = dynamic_cast<gcn::ListBox*>(area->getContent());
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->getFont(), drop->getFont()) << "the open list in the drop-down's font";
    int lx, ly;
    list->getAbsolutePosition(lx, ly);
    const int rowY = ly + item * static_cast<int>(list->getRowHeight()) + 2;
    ASSERT_LT(rowY, dy + drop->getHeight()) << "the item is in view";
    frame->Click(lx + 10, rowY);
  }

  std::unique_ptr<WidgetFrame> frame;
  std::unique_ptr<CGameSetting> window;
};

// The window shows the values it is given: each box ticked exactly when its value is set, the
// drop-down on the item of the spacing: one of the listed ones (18..28, the default 35), or an
// item of its own after them for any other value.
TEST_F(GameSettingTest, RefreshShowsTheValues) {
  const struct {
    int spacing, item;
  } cases[] = {{24, 6}, {18, 0}, {28, 10}, {35, 11}, {29, 12}, {-1, 12}};
  for (const auto& c : cases) {
    Open("01101", c.spacing, c.item % BOT_LEVEL_COUNT);
    EXPECT_EQ(window->GetSpacingDropDown()->getSelected(), c.item) << c.spacing;
    EXPECT_EQ(window->GetBotLevelDropDown()->getSelected(), c.item % BOT_LEVEL_COUNT);
    EXPECT_EQ(window->GetCardSpacing(), c.spacing) << "the value stays";
    EXPECT_EQ(window->GetSpacingDropDown()->getListModel()->getElementAt(c.item),
              std::to_string(c.spacing));
    for (int i = 0; i < CGameSetting::BOX_COUNT; ++i)
      EXPECT_EQ(window->GetCheckBox(i)->isSelected(), i != 0 && i != 3) << i;
  }
  DemoListModel model;
  EXPECT_EQ(model.getElementAt(12), "选择牌间距") << "past the listed spacings";
  // The spacing field grows about its centre (95, 212 + 17 / 2) for the taller game font.
  const gcn::DropDown* drop = window->GetSpacingDropDown();
  EXPECT_GT(drop->getHeight(), 17);
  EXPECT_NEAR(drop->getY() + drop->getHeight() / 2.0, 212 + 17 / 2.0, 0.5);
}

// OK posts every value to the owner in order (211..217), then the confirm; Cancel only the
// close; a change alone posts nothing. b<box> flips a box, s<item> picks a spacing, l<item> a
// bots' level, o OK, c Cancel.
TEST_F(GameSettingTest, OkPostsEveryValueThenTheConfirmAndCancelOnlyTheClose) {
  const struct {
    const char* name;
    const char* boxes;
    int spacing;
    const char* actions;
    std::vector<LPARAM> posted;  // 211..217 in order; empty: only the close
    int level = BOT_LEVEL_NORMAL;
  } cases[] = {
      {"OK untouched keeps a spacing of its own", "11001", 40, "o", {40, 1, 1, 1, 0, 0, 1}},
      {"music unticked", "11001", 24, "b0 o", {24, 0, 1, 1, 0, 0, 1}},
      {"every box flipped", "11001", 20, "b0 b1 b2 b3 b4 o", {20, 0, 0, 0, 1, 1, 1}},
      {"a box flipped twice", "00110", 22, "b2 b2 o", {22, 0, 0, 0, 1, 1, 1}},
      {"a spacing picked from the list", "11001", 24, "s7 o", {25, 1, 1, 1, 0, 0, 1}},
      {"the strong bots picked", "11001", 24, "l2 o", {24, 1, 1, 1, 0, 0, 2}},
      {"the easy bots, then the spacing", "11001", 24, "l0 s7 o", {25, 1, 1, 1, 0, 0, 0}},
      {"a level of its own reads as normal", "11001", 24, "o", {24, 1, 1, 1, 0, 0, 1}, 7},
      {"cancel after changes posts only the close", "11001", 24, "b0 b3 s8 l0 c", {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Open(c.boxes, c.spacing, c.level);
    frame->Log().clear();
    std::istringstream actions(c.actions);
    for (std::string a; actions >> a;) {
      const int index = a.size() > 1 ? std::atoi(a.c_str() + 1) : 0;
      if (a[0] == 'b') ClickChild(window->GetCheckBox(index));
      if (a[0] == 's') Pick(window->GetSpacingDropDown(), index);
      if (a[0] == 'l') Pick(window->GetBotLevelDropDown(), index);
      if (a[0] == 'o') ClickChild(window->GetOkButton());
      if (a[0] == 'c') ClickChild(window->GetCancelButton());
      if (a[0] == 'b' || a[0] == 's' || a[0] == 'l') {
        frame->Frame();
        EXPECT_TRUE(frame->Log().empty()) << "changes are only kept";
      }
    }
    frame->Frame();  // the posted messages arrive
    std::vector<tagLoggedMessage> expected;
    for (size_t i = 0; i < c.posted.size(); ++i)
      expected.push_back(Posted(MSG_OPTION_CARD_SPACING + static_cast<UINT>(i), c.posted[i]));
    expected.push_back(Posted(c.posted.empty() ? MSG_OPTION_CLOSE : MSG_OPTION_CONFIRM, 0));
    EXPECT_EQ(frame->Log(), expected);
  }
}

// Dragged by any point of its background (not by its controls), and kept on the screen.
TEST_F(GameSettingTest, DraggedByItsBackgroundAndKeptOnTheScreen) {
  Open("11001", 24);
  int bx, by;
  window->GetCheckBox(0)->getAbsolutePosition(bx, by);
  frame->Move(bx + 8, by + 8), frame->Press(bx + 8, by + 8);
  frame->Move(bx - 100, by + 8), frame->Release(bx - 100, by + 8);
  EXPECT_EQ(window->getX(), kLeft) << "a box holds no window";
  frame->Move(kLeft + 250, kTop + 30), frame->Press(kLeft + 250, kTop + 30);
  frame->Move(kLeft + 290, kTop + 60);
  EXPECT_EQ(window->getX(), kLeft + 40);
  EXPECT_EQ(window->getY(), kTop + 30);
  frame->Move(1270, 700);
  EXPECT_EQ(window->getX(), 1280 - window->getWidth()) << "kept inside the screen";
  EXPECT_EQ(window->getY(), 720 - window->getHeight());
  frame->Release(1270, 700);
}

}  // namespace
