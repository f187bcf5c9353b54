// The card control, headless: layout by anchor and scale, the hit test, drawing from the shared
// sheet, and selection by click and sweep with mouse input injected as SDL events through the
// application loop and the widget input.
#include <climits>
#include <memory>
#include <vector>

#include "cardcontrol/CardControl.h"
#include "platform/win/ResourceFolder.h"
#include "tests/platform/platform_test_util.h"
#include "tests/support/widget_frame.h"

namespace {

using platform_test::TempDir;
using widget_test::tagLoggedMessage;
using widget_test::WidgetFrame;

constexpr int kCardW = 80;
constexpr int kCardH = 105;
constexpr WORD kNone = CardControl::kNoItem;

// Every cell of the test sheet has its own colour; the pixel tells which cell was drawn.
uint32_t CellColor(int column, int row) {
  return 0xFF000000u | static_cast<uint32_t>(column * 19 + 10) << 16 |
         static_cast<uint32_t>(row * 50 + 20) << 8 | 0x80u;
}
uint32_t BackColor() { return CellColor(2, 4); }
uint32_t Shaded(uint32_t color) {
  auto channel = [&](int shift) { return ((color >> shift) & 0xFF) * 155 / 255; };
  return 0xFF000000u | channel(16) << 16 | channel(8) << 8 | channel(0);
}

// A resource folder with a 13 x 5 sheet of 80 x 105 cells under "m_pPokerMiddle".
void WriteResources(const TempDir& dir, bool withSheet = true) {
  platform_test::WriteText(dir.File("Torvaly/ResourcePath.ini"),
                           withSheet ? "[Resource]\nm_pPokerMiddle=Torvaly\\cards\\poker.png\n"
                                     : "[Resource]\nm_pOther=x.png\n");
  ASSERT_TRUE(
      platform_test::WritePng(dir.File("Torvaly/cards/poker.png"), 13 * kCardW, 5 * kCardH,
                              [](int x, int y) { return CellColor(x / kCardW, y / kCardH); }));
}

const BYTE kFive[5] = {0x03, 0x14, 0x25, 0x36, 0x4F};

class CardControlTest : public ::testing::Test {
 protected:
  void SetUp() override { Start(true); }
  void Start(bool withSheet) {
    WriteResources(dir, withSheet);
    frame = std::make_unique<WidgetFrame>(dir.Path());
    ASSERT_TRUE(frame->Ok());
  }
  void TearDown() override {
    for (auto& c : controls) {
      if (c->getParent() == &frame->Top()) frame->Top().remove(c.get());
    }
    controls.clear();
    CardControl::ReleaseSharedSheets();
    frame.reset();
    SetResourceFolder("");
  }
  // A selectable row of the given cards, its top-left at (100, 300), owned by the view.
  CardControl& Hand(const BYTE* cards, DWORD count, bool selectable = true) {
    CardControl& c = Add();
    c.SetOwnerWindow(&frame->View());
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
  std::vector<int> Raised(const CardControl& c) {
    std::vector<int> out;
    for (DWORD i = 0; i < c.GetCardCount(); ++i)
      if (c.GetItem(i)->bRaised) out.push_back(static_cast<int>(i));
    return out;
  }

  TempDir dir;
  std::unique_ptr<WidgetFrame> frame;
  std::vector<std::unique_ptr<CardControl>> controls;
};

struct LayoutCase {
  const char* name;
  DWORD count;
  bool horizontal;
  UINT hStep, vStep, raise;
  float scale;
  int anchorX, anchorY;
  UINT xMode, yMode;
  int x, y, width, height;
};

TEST_F(CardControlTest, LaysOutByAnchorModesAndScale) {
  const LayoutCase cases[] = {
      {"five cards centred", 5, true, 20, 19, 20, 1.0f, 640, 600, 1, 1, 560, 538, 160, 125},
      {"empty row keeps its height", 0, true, 20, 19, 20, 1.0f, 640, 600, 1, 1, 640, 538, 0, 125},
      {"left and top edge", 3, true, 40, 0, 20, 1.0f, 100, 50, 0, 0, 100, 50, 160, 125},
      {"right and bottom edge", 3, true, 40, 0, 20, 1.0f, 900, 400, 2, 2, 740, 275, 160, 125},
      {"side column at 0.55", 17, false, 0, 35, 0, 0.55f, 866, 173, 2, 1, 822, -9, 44, 365},
      {"empty column", 0, false, 0, 35, 0, 0.55f, 160, 173, 0, 1, 160, 173, 44, 0},
      {"out row at 0.6", 4, true, 35, 0, 0, 0.6f, 767, 115, 2, 0, 656, 115, 111, 63},
      {"hand at 1.5", 17, true, 40, 0, 20, 1.5f, 768, 650, 1, 0, 228, 650, 1080, 187},
      {"anchored at the end of the range", 2, true, 20, 0, 20, 1.0f, INT_MIN, INT_MIN, 2, 1,
       INT_MIN, INT_MIN, 100, 125},
  };
  BYTE cards[17];
  for (int i = 0; i < 17; ++i) cards[i] = static_cast<BYTE>(0x01 + i % 13);
  for (const LayoutCase& c : cases) {
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

TEST_F(CardControlTest, SharesOneSheetAndTakesTheCellFromIt) {
  CardControl& a = Add();
  CardControl& b = Add();
  ASSERT_NE(a.GetCardImage(), nullptr);
  EXPECT_EQ(a.GetCardImage(), b.GetCardImage());
  EXPECT_EQ(a.GetCardWidth(), kCardW);
  EXPECT_EQ(a.GetCardHeight(), kCardH);
  a.SetCardImage(CardControl::kSheetMiddle);  // the same kind again changes nothing
  EXPECT_EQ(a.GetCardImage(), b.GetCardImage());
  a.SetCardImage(7);  // no such sheet: nothing to draw from
  EXPECT_EQ(a.GetCardImage(), nullptr);
  EXPECT_EQ(a.GetCardWidth(), 0);
  a.SetCardImage(CardControl::kSheetMiddle);
  EXPECT_EQ(a.GetCardImage(), b.GetCardImage());
}

TEST(CardControlSheet, MissingSheetDrawsNothing) {
  TempDir dir;
  WriteResources(dir, false);
  WidgetFrame frame(dir.Path());
  ASSERT_TRUE(frame.Ok());
  {
    CardControl control;
    frame.Top().add(&control);
    EXPECT_EQ(control.GetCardImage(), nullptr);
    control.SetCards(kFive, 5);
    control.SetAnchor(100, 100, 0, 0, 1);
    const std::vector<uint32_t> px = frame.DrawWidgets(400, 300, 0xFF102030);
    for (uint32_t p : px) ASSERT_EQ(p, 0xFF102030u);
    frame.Top().remove(&control);
  }
  CardControl::ReleaseSharedSheets();
  SetResourceFolder("");
}

struct HitCase {
  const char* name;
  std::vector<int> raised;
  int x, y;
  WORD hit;
};

TEST_F(CardControlTest, HitTestFollowsRaisedAndLoweredHeights) {
  // Five cards 80 x 105, 20 apart, lowered ones 20 lower: the control is 160 x 125.
  const HitCase cases[] = {
      {"lowered card under the point", {}, 45, 60, 2},
      {"left of the row", {}, -5, 60, 0},
      {"right part of the last card", {}, 150, 124, 4},
      {"past the row", {}, 400, 60, 4},
      {"above the lowered cards", {}, 45, 10, kNone},
      {"above a lowered first card", {}, 5, 10, 0},
      {"raised card under the point", {2}, 45, 10, 2},
      {"under a raised card: its lowered neighbour", {2}, 45, 110, 1},
      {"raised first card, below it", {0}, 5, 115, kNone},
      {"raised last card, below it, neighbour reaches", {4}, 85, 110, 3},
      {"under raised cards, the next lowered card is far left", {1, 2, 3, 4}, 150, 115, kNone},
      {"under raised cards, the lowered card still reaches", {1, 2, 3, 4}, 70, 115, 0},
  };
  for (const HitCase& c : cases) {
    SCOPED_TRACE(c.name);
    CardControl& control = Hand(kFive, 5);
    BYTE raised[5];
    for (size_t i = 0; i < c.raised.size(); ++i) raised[i] = kFive[c.raised[i]];
    control.RaiseCards(raised, static_cast<DWORD>(c.raised.size()));
    ASSERT_EQ(control.getHeight(), 125);
    EXPECT_EQ(control.HitTest(c.x, c.y), c.hit);
    frame->Top().remove(&control);
  }
  CardControl& column = Hand(kFive, 5);
  column.SetDirection(false);
  EXPECT_EQ(column.HitTest(10, 10), kNone) << "a column never hits";
  CardControl& empty = Hand(kFive, 0);
  EXPECT_EQ(empty.HitTest(10, 60), kNone);
  CardControl& stacked = Hand(kFive, 5);
  stacked.SetSpacing(0, 0, 20);
  EXPECT_EQ(stacked.HitTest(10, 60), 4) << "cards on one spot: the top one";
}

TEST_F(CardControlTest, RaiseCardsRaisesOneItemPerCard) {
  const BYTE hand[6] = {0x00, 0x05, 0x00, 0x15, 0x4E, 0x4F};
  struct Case {
    const char* name;
    std::vector<BYTE> raise;
    std::vector<int> raised;
  } cases[] = {
      {"two cards", {0x15, 0x05}, {1, 3}},
      {"a card not held is ignored", {0x2D, 0x4F}, {5}},
      {"a byte held twice, asked twice", {0x00, 0x00}, {0, 2}},
      {"asked more often than held", {0x05, 0x05}, {1}},
      {"nothing", {}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CardControl& control = Hand(hand, 6);
    control.RaiseAll(1);  // raised before the call: lowered by it
    control.RaiseCards(c.raise.data(), static_cast<DWORD>(c.raise.size()));
    EXPECT_EQ(Raised(control), c.raised);
    BYTE out[6];
    const DWORD n = control.GetRaisedCards(out, 6);
    ASSERT_EQ(n, c.raised.size());
    for (DWORD i = 0; i < n; ++i) EXPECT_EQ(out[i], hand[c.raised[i]]);
  }
  CardControl& control = Hand(hand, 6);
  control.RaiseAll(1);
  BYTE out[2];
  EXPECT_EQ(control.GetRaisedCards(out, 2), 2u) << "cut to the capacity";
  EXPECT_EQ(out[1], 0x05);
  BYTE many[60] = {};
  control.SetCards(many, 60);
  EXPECT_EQ(control.GetCardCount(), CardControl::kMaxItems) << "no row holds more than a deck";
  control.SetCards(nullptr, 5);
  EXPECT_EQ(control.GetCardCount(), 0u);
}

// Mouse input, injected as SDL events. The hand's top-left is at (100, 300); card i's left
// edge is 20 i to the right; lowered cards start 20 lower.
enum class Step { Press, Drag, Release, RightPress, RightRelease, SetCards };
struct MouseStep {
  Step step;
  int x, y;  // relative to the hand
};
enum class Kind { SelectableRow, PlainRow, SelectableColumn };
struct MouseCase {
  const char* name;
  Kind kind;
  std::vector<int> raisedBefore;
  std::vector<MouseStep> steps;
  std::vector<int> raised;
  std::vector<tagLoggedMessage> log;
};

constexpr tagLoggedMessage kClick{false, MSG_CARD_CLICK, 0, 0};
constexpr tagLoggedMessage kPress{false, MSG_CARD_PRESS, 0, 0};
constexpr tagLoggedMessage kChanged{false, MSG_SELECTION_CHANGED, 0, 0};

TEST_F(CardControlTest, MouseClicksAndSweepsToggleCardsAndReport) {
  using S = Step;
  constexpr Kind kRow = Kind::SelectableRow;
  const std::vector<tagLoggedMessage> changed = {kClick, kPress, kChanged};
  const std::vector<tagLoggedMessage> unchanged = {kClick, kPress};
  const std::vector<tagLoggedMessage> pressOnly = {kPress};
  const MouseCase cases[] = {
      {"click toggles one card",
       kRow,
       {},
       {{S::Press, 45, 60}, {S::Release, 45, 60}},
       {2},
       changed},
      {"click lowers a raised card",
       kRow,
       {2},
       {{S::Press, 45, 10}, {S::Release, 45, 10}},
       {},
       changed},
      {"sweep to the right",
       kRow,
       {},
       {{S::Press, 25, 60}, {S::Drag, 45, 60}, {S::Drag, 65, 60}, {S::Release, 65, 60}},
       {1, 2, 3},
       changed},
      {"sweep to the left",
       kRow,
       {},
       {{S::Press, 150, 60}, {S::Drag, 65, 60}, {S::Drag, 5, 60}, {S::Release, 5, 60}},
       {0, 1, 2, 3, 4},
       changed},
      {"sweep toggles raised and lowered alike",
       kRow,
       {1, 2},
       {{S::Press, 5, 60}, {S::Drag, 65, 60}, {S::Release, 65, 60}},
       {0, 3},
       changed},
      {"sweep ends past the row and is released outside",
       kRow,
       {},
       {{S::Press, 45, 60}, {S::Drag, 600, 60}, {S::Release, 600, 200}},
       {2, 3, 4},
       changed},
      {"back on the start card keeps the last end",
       kRow,
       {},
       {{S::Press, 25, 60}, {S::Drag, 65, 60}, {S::Drag, 25, 60}, {S::Release, 25, 60}},
       {1, 2, 3},
       changed},
      {"press on no card", kRow, {}, {{S::Press, 45, 10}, {S::Release, 45, 10}}, {}, unchanged},
      {"not selectable: only the press",
       Kind::PlainRow,
       {},
       {{S::Press, 45, 60}, {S::Drag, 85, 60}, {S::Release, 85, 60}},
       {},
       pressOnly},
      {"a column: only the press",
       Kind::SelectableColumn,
       {},
       {{S::Press, 40, 30}, {S::Release, 40, 30}},
       {},
       pressOnly},
      {"the right button is ignored",
       kRow,
       {},
       {{S::RightPress, 45, 60}, {S::RightRelease, 45, 60}},
       {},
       {}},
      {"new cards during a sweep end it",
       kRow,
       {},
       {{S::Press, 25, 60},
        {S::Drag, 65, 60},
        {S::SetCards, 0, 0},
        {S::Drag, 85, 60},
        {S::Release, 85, 60}},
       {},
       unchanged},
  };
  for (const MouseCase& c : cases) {
    SCOPED_TRACE(c.name);
    CardControl& control = Hand(kFive, 5, c.kind != Kind::PlainRow);
    control.SetDirection(c.kind != Kind::SelectableColumn);
    BYTE raised[5];
    for (size_t i = 0; i < c.raisedBefore.size(); ++i) raised[i] = kFive[c.raisedBefore[i]];
    control.RaiseCards(raised, static_cast<DWORD>(c.raisedBefore.size()));
    frame->Log().clear();
    const int left = control.getX(), top = control.getY();
    frame->Move(left + c.steps[0].x, top + c.steps[0].y);
    for (const MouseStep& s : c.steps) {
      const int x = left + s.x, y = top + s.y;
      switch (s.step) {
        case S::Press:
          frame->Press(x, y);
          break;
        case S::Drag:
          frame->Move(x, y);
          break;
        case S::Release:
          frame->Release(x, y);
          break;
        case S::RightPress:
          frame->Press(x, y, SDL_BUTTON_RIGHT);
          break;
        case S::RightRelease:
          frame->Release(x, y, SDL_BUTTON_RIGHT);
          break;
        case S::SetCards:
          control.SetCards(kFive, 5);
          break;
      }
    }
    frame->Frame();  // the posted message arrives
    EXPECT_EQ(Raised(control), c.raised);
    EXPECT_EQ(frame->Log(), c.log);
    EXPECT_FALSE(control.IsDragging());
    EXPECT_EQ(control.GetDragStart(), kNone);
    frame->Top().remove(&control);
  }
}

TEST_F(CardControlTest, SweepOfAWholeHandReportsTheRaisedCardsInOrder) {
  const BYTE hand[8] = {0x4F, 0x02, 0x21, 0x1D, 0x0C, 0x3B, 0x0A, 0x33};
  CardControl& control = Hand(hand, 8);
  const int left = control.getX(), top = control.getY();
  frame->Move(left + 45, top + 60);
  frame->Press(left + 45, top + 60);
  frame->Move(left + 85, top + 60);
  frame->Move(left + 105, top + 60);
  EXPECT_EQ(control.GetDragStart(), 2);
  EXPECT_EQ(control.GetDragEnd(), 5);
  frame->Release(left + 105, top + 60);
  BYTE out[8];
  ASSERT_EQ(control.GetRaisedCards(out, 8), 4u);
  EXPECT_EQ(std::vector<BYTE>(out, out + 4), std::vector<BYTE>(hand + 2, hand + 6));
}

// Drawing: faces from their cells, backs, raised and lowered rows, the shading of a sweep.
TEST_F(CardControlTest, DrawsCellsRaisedLoweredAndTheSweepShading) {
  const BYTE hand[6] = {0x01, 0x1D, 0x3A, 0x4E, 0x4F, 0x5E};  // the last is no card
  CardControl& control = Hand(hand, 6);
  control.SetSpacing(40, 0, 20);
  control.SetAnchor(100, 300, 0, 0, 1);
  control.RaiseCards(hand + 1, 1);
  // A sweep in progress over cards 3 and 4.
  frame->Move(100 + 125, 300 + 60);
  frame->Press(100 + 125, 300 + 60);
  frame->Move(100 + 165, 300 + 60);
  const std::vector<uint32_t> px = frame->DrawWidgets(640, 480);
  auto at = [&](int x, int y) { return px[static_cast<size_t>(y) * 640 + x]; };
  // Sample each card in the part no later card covers: 40 px wide, the lowered strip.
  const uint32_t expected[6] = {CellColor(0, 0),         CellColor(12, 1),        CellColor(9, 3),
                                Shaded(CellColor(0, 4)), Shaded(CellColor(1, 4)), BackColor()};
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

  // Face down: backs only. A column at 0.5 draws its cells scaled, 35 x 0.5 apart.
  control.SetFaceUp(false);
  control.SetDirection(false);
  control.SetScale(0.5f, 0.5f);
  control.SetSpacing(0, 35, 0);
  control.SetAnchor(100, 50, 0, 0, 1);
  ASSERT_EQ(control.getWidth(), 40);
  ASSERT_EQ(control.getHeight(), 140);
  const std::vector<uint32_t> column = frame->DrawWidgets(640, 480);
  for (int i = 0; i < 6; ++i)
    EXPECT_TRUE(platform_test::NearColor(column[static_cast<size_t>(50 + 17 * i + 8) * 640 + 120],
                                         BackColor(), 2))
        << i;
  EXPECT_EQ(column[static_cast<size_t>(50 + 145) * 640 + 120], 0xFF000000u) << "below the column";

  // Not shown: nothing.
  control.SetAnchor(100, 50, 0, 0, 0);
  for (uint32_t p : frame->DrawWidgets(640, 480)) ASSERT_EQ(p, 0xFF000000u);
}

}  // namespace
