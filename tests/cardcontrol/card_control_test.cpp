// The card control, headless: layout by anchor and scale, the hit test, drawing from the shared
// sheet, and selection by click and sweep with mouse input through the frame's loop and widgets.
#include <cctype>
#include <climits>
#include <cstdio>
#include <cstring>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "cardcontrol/CardControl.h"
#include "platform/win/ResourceFolder.h"
#include "tests/platform/platform_test_util.h"
#include "tests/support/widget_frame.h"

namespace {

using platform_test::TempDir;
using widget_test::tagLoggedMessage;
using widget_test::WidgetFrame;

constexpr int kCardW = 80, kCardH = 105;
constexpr WORD kNone = CardControl::kNoItem;

// Every cell of the test sheet has its own colour; the pixel tells which cell was drawn.
uint32_t CellColor(int column, int row) {
  return 0xFF000000u | static_cast<uint32_t>(column * 19 + 10) << 16 |
         static_cast<uint32_t>(row * 50 + 20) << 8 | 0x80u;
}
uint32_t Shaded(uint32_t color) {
  auto channel = [&](int shift) { return ((color >> shift) & 0xFF) * 155 / 255; };
  return 0xFF000000u | channel(16) << 16 | channel(8) << 8 | channel(0);
}

// A resource folder with a 13 x 5 sheet of 80 x 105 cells under "m_pPokerMiddle".
void WriteResources(const TempDir& dir) {
  platform_test::WriteText(dir.File("Torvaly/ResourcePath.ini"),
                           "[Resource]\nm_pPokerMiddle=Torvaly\\cards\\poker.png\n");
  ASSERT_TRUE(
      platform_test::WritePng(dir.File("Torvaly/cards/poker.png"), 13 * kCardW, 5 * kCardH,
                              [](int x, int y) { return CellColor(x / kCardW, y / kCardH); }));
}

const BYTE kFive[5] = {0x03, 0x14, 0x25, 0x36, 0x4F};

class CardControlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteResources(dir);
    frame = std::make_unique<WidgetFrame>(dir.Path());
    ASSERT_TRUE(frame->Ok());
  }
  void TearDown() override {
    controls.clear();  // each leaves its container as it goes
    CardControl::ReleaseSharedSheets();
    frame.reset();
    SetResourceFolder("");
  }
  // A selectable row of the given cards, its top-left at (100, 300), owned by the view.
  CardControl& Hand(const BYTE* cards, DWORD count, bool selectable = true) {
    CardControl& c = Add();
    c.SetFaceUp(true);
    c.SetSelectable(selectable);
    c.SetCards(cards, count);
    c.SetAnchor(100, 300, 0, 0, 1);
    return c;
  }
  CardControl& Add() {
    controls.push_back(std::make_unique<CardControl>(&frame->View()));
    frame->Top().add(controls.back().get());
    return *controls.back();
  }
  // The raised items as digits ("13": items 1 and 3), and raising items so given.
  static std::string Raised(const CardControl& c) {
    std::string out;
    for (DWORD i = 0; i < c.GetCardCount(); ++i)
      if (c.GetItem(i)->bRaised) out += static_cast<char>('0' + i);
    return out;
  }
  static void RaiseItems(CardControl& c, const BYTE* cards, const std::string& items) {
    BYTE raised[10];
    for (size_t i = 0; i < items.size(); ++i) raised[i] = cards[items[i] - '0'];
    c.RaiseCards(raised, static_cast<DWORD>(items.size()));
  }

  TempDir dir;
  std::unique_ptr<WidgetFrame> frame;
  std::vector<std::unique_ptr<CardControl>> controls;
};

TEST_F(CardControlTest, LaysOutByAnchorModesAndScale) {
  const struct {
    const char* name;
    DWORD count;
    bool horizontal;
    UINT hStep, vStep, raise;
    float scale;
    int anchorX, anchorY;
    UINT xMode, yMode;
    int x, y, width, height;
  } cases[] = {
      {"five cards centred", 5, true, 20, 19, 20, 1.0f, 640, 600, 1, 1, 560, 538, 160, 125},
      {"empty row keeps its height", 0, true, 20, 19, 20, 1.0f, 640, 600, 1, 1, 640, 538, 0, 125},
      {"right and bottom edge", 3, true, 40, 0, 20, 1.0f, 900, 400, 2, 2, 740, 275, 160, 125},
      {"side column at 0.55", 17, false, 0, 35, 0, 0.55f, 866, 173, 2, 1, 822, -9, 44, 365},
      {"out row at 0.6", 4, true, 35, 0, 0, 0.6f, 767, 115, 2, 0, 656, 115, 111, 63},
      {"hand at 1.5", 17, true, 40, 0, 20, 1.5f, 768, 650, 1, 0, 228, 650, 1080, 187},
      {"anchored at the end of the range", 2, true, 20, 0, 20, 1.0f, INT_MIN, INT_MIN, 2, 1,
       INT_MIN, INT_MIN, 100, 125},
  };
  BYTE cards[17];
  for (int i = 0; i < 17; ++i) cards[i] = static_cast<BYTE>(0x01 + i % 13);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    CardControl& control = Add();
    control.SetDirection(c.horizontal);
    control.SetScale(c.scale, c.scale);
    control.SetSpacing(c.hStep, c.vStep, c.raise);
    control.SetCards(cards, c.count);
    EXPECT_EQ(control.getWidth(), 0) << "not shown: not laid out";
    control.SetAnchor(c.anchorX, c.anchorY, c.xMode, c.yMode, 1);
    EXPECT_EQ(control.getX(), c.x);
    EXPECT_EQ(control.getY(), c.y);
    EXPECT_EQ(control.getWidth(), c.width);
    EXPECT_EQ(control.getHeight(), c.height);
  }
}

// One sheet for all controls, the cell taken from it; without a sheet nothing is drawn.
TEST_F(CardControlTest, SharesOneSheetAndTakesTheCellFromIt) {
  CardControl& a = Hand(kFive, 5);
  CardControl& b = Add();
  ASSERT_NE(a.GetCardImage(), nullptr);
  EXPECT_EQ(a.GetCardImage(), b.GetCardImage());
  EXPECT_EQ(a.GetCardWidth(), kCardW);
  EXPECT_EQ(a.GetCardHeight(), kCardH);
  a.SetCardImage(7);  // no such sheet: nothing to draw from
  EXPECT_EQ(a.GetCardWidth(), 0);
  for (uint32_t p : frame->DrawWidgets(400, 400, 0xFF102030)) ASSERT_EQ(p, 0xFF102030u);
  a.SetCardImage(CardControl::kSheetMiddle);
  EXPECT_EQ(a.GetCardImage(), b.GetCardImage());
}

TEST_F(CardControlTest, HitTestFollowsRaisedAndLoweredHeights) {
  // Five cards 80 x 105, 20 apart, lowered ones 20 lower: the control is 160 x 125.
  const struct {
    const char* name;
    const char* raised;
    int x, y;
    WORD hit;
    DWORD count = 5;
    UINT step = 20;
    bool row = true;
  } cases[] = {
      {"left of the row", "", -5, 60, 0},
      {"right part of the last card", "", 150, 124, 4},
      {"above a lowered first card", "", 5, 10, 0},
      {"under a raised card: its lowered neighbour", "2", 45, 110, 1},
      {"raised first card, below it", "0", 5, 115, kNone},
      {"raised last card, below it, neighbour reaches", "4", 85, 110, 3},
      {"under raised cards, the next lowered card is far left", "1234", 150, 115, kNone},
      {"under raised cards, the lowered card still reaches", "1234", 70, 115, 0},
      {"cards on one spot: the top one", "", 10, 60, 4, 5, 0},
      {"an empty row", "", 10, 60, kNone, 0},
      {"a column never hits", "", 10, 10, kNone, 5, 20, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    CardControl& control = Hand(kFive, c.count);
    control.SetSpacing(c.step, 19, 20);
    control.SetDirection(c.row);
    RaiseItems(control, kFive, c.raised);
    EXPECT_EQ(control.HitTest(c.x, c.y), c.hit);
  }
}

TEST_F(CardControlTest, RaiseCardsRaisesOneItemPerCard) {
  const BYTE hand[6] = {0x00, 0x05, 0x00, 0x15, 0x4E, 0x4F};
  const struct {
    const char* name;
    std::vector<BYTE> raise;
    const char* raised;
  } cases[] = {
      {"two cards", {0x15, 0x05}, "13"},
      {"a card not held is ignored", {0x2D, 0x4F}, "5"},
      {"a byte held twice, asked twice", {0x00, 0x00}, "02"},
      {"asked more often than held", {0x05, 0x05}, "1"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    CardControl& control = Hand(hand, 6);
    control.RaiseAll(1);  // raised before the call: lowered by it
    control.RaiseCards(c.raise.data(), static_cast<DWORD>(c.raise.size()));
    EXPECT_EQ(Raised(control), c.raised);
  }
  CardControl& control = Hand(hand, 6);
  control.RaiseAll(1);
  BYTE out[2];
  EXPECT_EQ(control.GetRaisedCards(out, 2), 2u) << "cut to the capacity";
  EXPECT_EQ(out[1], 0x05);
  BYTE many[60] = {};
  control.SetCards(many, 60);
  EXPECT_EQ(control.GetCardCount(), CardControl::kMaxItems) << "no row holds more than a deck";
}

// Mouse input as SDL events, a script of steps relative to the hand's top-left corner: "p45,60"
// presses there, "d" drags, "r" releases, "P"/"R" the right button, "s" gives new cards. Card i
// starts 20 i to the right; lowered cards 20 lower. The owner gets c(lick), p(ress), s(elected).
TEST_F(CardControlTest, MouseClicksAndSweepsToggleCardsAndReport) {
  enum Kind { kRow, kPlainRow, kColumn };
  const struct {
    const char* name;
    Kind kind;
    const char* raisedBefore;
    const char* steps;
    const char* raised;
    const char* owner;
  } cases[] = {
      {"click toggles one card", kRow, "", "p45,60 r45,60", "2", "cps"},
      {"click lowers a raised card", kRow, "2", "p45,10 r45,10", "", "cps"},
      {"sweep to the right", kRow, "", "p25,60 d45,60 d65,60 r65,60", "123", "cps"},
      {"sweep to the left", kRow, "", "p150,60 d65,60 d5,60 r5,60", "01234", "cps"},
      {"sweep toggles raised and lowered alike", kRow, "12", "p5,60 d65,60 r65,60", "03", "cps"},
      {"sweep past the row, released outside", kRow, "", "p45,60 d600,60 r600,200", "234", "cps"},
      {"back on the start card: the end stays", kRow, "", "p25,60 d65,60 d25,60 r25,60", "123",
       "cps"},
      {"press on no card", kRow, "", "p45,10 r45,10", "", "cp"},
      {"not selectable: only the press", kPlainRow, "", "p45,60 d85,60 r85,60", "", "p"},
      {"a column: only the press", kColumn, "", "p40,30 r40,30", "", "p"},
      {"the right button is ignored", kRow, "", "P45,60 R45,60", "", ""},
      {"new cards during a sweep end it", kRow, "", "p25,60 d65,60 s0,0 d85,60 r85,60", "", "cp"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    CardControl& control = Hand(kFive, 5, c.kind != kPlainRow);
    control.SetDirection(c.kind != kColumn);
    RaiseItems(control, kFive, c.raisedBefore);
    frame->Log().clear();
    std::istringstream steps(c.steps);
    bool first = true;
    for (std::string step; steps >> step; first = false) {
      int x = 0, y = 0;
      std::sscanf(step.c_str() + 1, "%d,%d", &x, &y);
      x += control.getX(), y += control.getY();
      if (first) frame->Move(x, y);
      const Uint8 button = std::islower(step[0]) ? SDL_BUTTON_LEFT : SDL_BUTTON_RIGHT;
      if (std::tolower(step[0]) == 'p') frame->Press(x, y, button);
      if (std::tolower(step[0]) == 'r') frame->Release(x, y, button);
      if (step[0] == 'd') frame->Move(x, y);
      if (step[0] == 's') control.SetCards(kFive, 5);
    }
    frame->Frame();  // the posted message arrives
    EXPECT_EQ(Raised(control), c.raised);
    std::string owner;
    for (const tagLoggedMessage& m : frame->Log()) {
      EXPECT_FALSE(m.toDialog);
      owner += m.message == MSG_CARD_CLICK ? 'c' : m.message == MSG_CARD_PRESS ? 'p' : 's';
    }
    EXPECT_EQ(owner, c.owner);
    EXPECT_TRUE(!control.IsDragging() && control.GetDragStart() == kNone) << "the sweep is over";
    BYTE out[5];  // what the dialog reads: the raised cards in display order
    ASSERT_EQ(control.GetRaisedCards(out, 5), std::strlen(c.raised));
    for (size_t i = 0; c.raised[i] != 0; ++i) EXPECT_EQ(out[i], kFive[c.raised[i] - '0']);
    frame->Top().remove(&control);
  }
}

// Drawing: faces from their cells, backs, raised and lowered rows, the shading of a sweep.
TEST_F(CardControlTest, DrawsCellsRaisedLoweredAndTheSweepShading) {
  const BYTE hand[6] = {0x01, 0x1D, 0x3A, 0x4E, 0x4F, 0x5E};  // the last is no card
  CardControl& control = Hand(hand, 6);
  control.SetSpacing(40, 0, 20);
  control.RaiseCards(hand + 1, 1);
  // A sweep in progress over cards 3 and 4.
  frame->Move(100 + 125, 300 + 60);
  frame->Press(100 + 125, 300 + 60);
  frame->Move(100 + 165, 300 + 60);
  const std::vector<uint32_t> px = frame->DrawWidgets(640, 480);
  auto at = [&](int x, int y) { return px[static_cast<size_t>(y) * 640 + x]; };
  // Sample each card in the part no later card covers: 40 px wide, the lowered strip.
  const uint32_t expected[6] = {CellColor(0, 0),         CellColor(12, 1),        CellColor(9, 3),
                                Shaded(CellColor(0, 4)), Shaded(CellColor(1, 4)), CellColor(2, 4)};
  for (int i = 0; i < 6; ++i) {
    SCOPED_TRACE(i);
    const bool raised = i == 1;
    const int x = 100 + 40 * i + 20;
    EXPECT_TRUE(platform_test::NearColor(at(x, 300 + (raised ? 5 : 110)), expected[i], 2));
    // Above a lowered card that no raised card reaches, the table shows.
    if (i == 0 || i >= 3) {
      EXPECT_EQ(at(x, 300 + 5), 0xFF000000u) << "nothing above it";
    }
  }
  frame->Release(100 + 165, 300 + 60);

  control.SetAnchor(100, 300, 0, 0, 0);  // not shown: nothing
  for (uint32_t p : frame->DrawWidgets(640, 480)) ASSERT_EQ(p, 0xFF000000u);
}

}  // namespace
