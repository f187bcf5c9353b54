#include "cardcontrol/CardControl.h"

#include <climits>
#include <memory>
#include <string>

#include "config/ResourceConfig.h"
#include "platform/gui/SDL2Graphics.h"
#include "rules/Cards.h"

namespace {

constexpr const char* kSheetKey = "m_pPokerMiddle";
constexpr int kBackColumn = 2;
constexpr int kJokerRow = 4;

std::unique_ptr<gcn::Image>& MiddleSheet() {
  static std::unique_ptr<gcn::Image> sheet;
  return sheet;
}

// The shared sheet of a kind, loaded on first use; null for a kind without sheet or a file
// that does not load (asked again by the next control).
gcn::Image* AcquireSheet(int kind) {
  if (kind != CardControl::kSheetMiddle) return nullptr;
  std::unique_ptr<gcn::Image>& sheet = MiddleSheet();
  if (!sheet) {
    const std::string path = ResourceConfig().GetResourcePath(kSheetKey);
    if (!path.empty()) {
      gcn::Image* image = nullptr;
      gcn::GuiGuard(__func__, [&] { image = gcn::Image::load(path, true); });
      sheet.reset(image);
    }
  }
  return sheet.get();
}

// Truncation toward zero into a range where sums and halves of the result cannot overflow;
// a value that is not a number is 0.
int Trunc(float value) {
  constexpr float kLimit = static_cast<float>(1 << 29);
  if (!(value == value)) return 0;
  if (value > kLimit) return 1 << 29;
  if (value < -kLimit) return -(1 << 29);
  return static_cast<int>(value);
}

// (n - 1) x step + size, in a float as the scales are.
float Extent(DWORD n, UINT step, int size) {
  return static_cast<float>(static_cast<double>(n - 1) * step + size);
}

}  // namespace

CardControl::CardControl(CWnd* owner) : m_pOwner(owner) {
  setFrameSize(0);
  setPadding(0);
  setTitleBarHeight(0);
  setMovable(false);
  m_nSheetKind = kSheetMiddle;
  SetCardImage(kSheetMiddle);
}

CardControl::~CardControl() = default;

void CardControl::ReleaseSharedSheets() { MiddleSheet().reset(); }

void CardControl::SetCardImage(int kind) {
  if (m_pCardImage != nullptr && kind == m_nSheetKind) return;
  m_nSheetKind = kind;
  m_pCardImage = AcquireSheet(kind);
  m_nCardWidth = m_pCardImage ? m_pCardImage->getWidth() / kSheetColumns : 0;
  m_nCardHeight = m_pCardImage ? m_pCardImage->getHeight() / kSheetRows : 0;
  Layout();
}

void CardControl::SetCards(const BYTE* cards, DWORD count) {
  m_dwDragging = 0;
  m_wDragStart = kNoItem;
  m_wDragEnd = kNoItem;
  if (cards == nullptr) count = 0;
  if (count > kMaxItems) count = kMaxItems;
  for (DWORD i = 0; i < count; ++i) m_items[i] = tagCardItem{0, 0, cards[i]};
  m_count = count;
  Layout();
}

DWORD CardControl::GetRaisedCards(BYTE* cards, DWORD capacity) const {
  if (cards == nullptr) return 0;
  DWORD n = 0;
  for (DWORD i = 0; i < m_count && n < capacity; ++i) {
    if (m_items[i].bRaised) cards[n++] = m_items[i].bCardData;
  }
  return n;
}

void CardControl::RaiseCards(const BYTE* cards, DWORD count) {
  for (DWORD i = 0; i < m_count; ++i) m_items[i].bRaised = 0;
  if (cards != nullptr) {
    for (DWORD k = 0; k < count; ++k) {
      for (DWORD i = 0; i < m_count; ++i) {
        if (!m_items[i].bRaised && m_items[i].bCardData == cards[k]) {
          m_items[i].bRaised = 1;
          break;
        }
      }
    }
  }
  Layout();
}

void CardControl::RaiseAll(BYTE value) {
  for (DWORD i = 0; i < m_count; ++i) m_items[i].bRaised = value;
  Layout();
}

void CardControl::SetDirection(bool horizontal) {
  const BYTE value = horizontal ? 1 : 0;
  if (value == m_bHorizontal) return;
  m_bHorizontal = value;
  Layout();
}

void CardControl::SetFaceUp(bool faceUp) { m_bDisplayFaces = faceUp ? 1 : 0; }

void CardControl::SetSelectable(bool selectable) { m_bSelectable = selectable ? 1 : 0; }

void CardControl::SetSpacing(UINT horizontalStep, UINT verticalStep, UINT raiseHeight) {
  m_nHorizontalStep = horizontalStep;
  m_nVerticalStep = verticalStep;
  m_nRaiseHeight = raiseHeight;
  Layout();
}

void CardControl::SetAnchor(int x, int y, UINT xMode, UINT yMode, BYTE shown) {
  m_nAnchorX = x;
  m_nAnchorY = y;
  m_nXMode = xMode;
  m_nYMode = yMode;
  m_bShown = shown;
  Layout();
}

void CardControl::SetScale(float sx, float sy) {
  m_fScaleX = sx;
  m_fScaleY = sy;
}

void CardControl::Layout() {
  if (!m_bShown) return;
  const int w = m_nCardWidth;
  const int h = m_nCardHeight;
  int width;
  int height;
  if (m_bHorizontal) {
    width = m_count == 0 ? 0 : Trunc(Extent(m_count, m_nHorizontalStep, w) * m_fScaleX);
    height = Trunc(static_cast<float>(static_cast<double>(h) + m_nRaiseHeight) * m_fScaleY);
  } else {
    width = Trunc(w * m_fScaleX);
    height = m_count == 0 ? 0 : Trunc(Extent(m_count, m_nVerticalStep, h) * m_fScaleY);
  }
  if (width < 0) width = 0;
  if (height < 0) height = 0;
  // In 64 bits: an anchor from a coordinate file may lie at the end of the int range.
  auto place = [](int anchor, UINT mode, int size) {
    int64_t at = anchor;
    if (mode == 1) at -= size / 2;
    if (mode == 2) at -= size;
    return static_cast<int>(at < INT_MIN ? INT_MIN : at);
  };
  setPosition(place(m_nAnchorX, m_nXMode, width), place(m_nAnchorY, m_nYMode, height));
  setSize(width, height);
}

bool CardControl::Covers(DWORD index, int y) const {
  const float fy = static_cast<float>(y);
  if (m_items[index].bRaised) return fy >= 0.0f && fy <= m_nCardHeight * m_fScaleY;
  return fy >= m_nRaiseHeight * m_fScaleY;
}

WORD CardControl::HitTest(int x, int y) const {
  if (!m_bHorizontal || m_count == 0) return kNoItem;
  const int n = static_cast<int>(m_count);
  const float step = m_nHorizontalStep * m_fScaleX;
  int i = 0;
  if (x > 0) {
    const float slot = static_cast<float>(x) / step;  // a step of 0 gives the last card
    i = slot < static_cast<float>(n) ? static_cast<int>(slot) : n - 1;
    if (i < 0) i = 0;
  }
  if (Covers(i, y)) return static_cast<WORD>(i);
  // Above a lowered first card still hits it; below a raised one hits nothing.
  if (i == 0) return m_items[0].bRaised ? kNoItem : 0;
  // The point lies in the strip a raised or lowered card left empty: the nearest card to the
  // left whose height covers it, if that card reaches the point.
  for (int j = i - 1; j >= 0; --j) {
    if (!Covers(j, y)) continue;
    const float right = Trunc(j * step) + m_nCardWidth * m_fScaleX;
    // Past the card's right edge nothing is under the pointer: a click there must not raise a
    // card further left.
    if (static_cast<float>(x) > right) return kNoItem;
    return static_cast<WORD>(j);
  }
  return kNoItem;
}

void CardControl::CellOf(BYTE card, int& column, int& row) const {
  column = kBackColumn;
  row = kJokerRow;
  if (!m_bDisplayFaces || card == 0 || !IsValidCard(card)) return;
  const int face = card & CARD_FACE_MASK;
  if (IsJokerCard(card)) {
    column = face % 14;  // small joker 0, big joker 1
    row = kJokerRow;
  } else {
    column = face - 1;
    row = (card & CARD_COLOUR_MASK) >> 4;
  }
}

void CardControl::draw(gcn::Graphics* graphics) {
  if (m_pCardImage == nullptr || graphics == nullptr) return;
  graphics->setColor(gcn::Color(0, 0, 0, 0));
  graphics->fillRectangle(gcn::Rectangle(0, 0, getWidth(), getHeight()));
  if (!m_bShown) return;
  gcn::GraphicsEx* ex = gcn::AsGraphicsEx(graphics);
  const int w = m_nCardWidth;
  const int h = m_nCardHeight;
  const int drawW = Trunc(w * m_fScaleX);
  const int drawH = Trunc(h * m_fScaleY);
  const int low = m_wDragStart < m_wDragEnd ? m_wDragStart : m_wDragEnd;
  const int high = m_wDragStart < m_wDragEnd ? m_wDragEnd : m_wDragStart;
  for (DWORD i = 0; i < m_count; ++i) {
    int column;
    int row;
    CellOf(m_items[i].bCardData, column, row);
    int x = 0;
    int y = 0;
    if (m_bHorizontal) {
      x = Trunc(m_nHorizontalStep * m_fScaleX * static_cast<float>(i));
      y = m_items[i].bRaised ? 0 : Trunc(m_nRaiseHeight * m_fScaleY);
    } else {
      y = Trunc(m_nVerticalStep * m_fScaleY * static_cast<float>(i));
    }
    if (ex != nullptr) {
      ex->drawImageQuad(m_pCardImage, column * w, row * h, w, h, x, y, x + drawW, y, x + drawW,
                        y + drawH, x, y + drawH);
    } else {
      graphics->drawImage(m_pCardImage, column * w, row * h, x, y, w, h);
    }
    if (m_dwDragging && static_cast<int>(i) >= low && static_cast<int>(i) <= high) {
      graphics->setColor(gcn::Color(0, 0, 0, 100));
      graphics->fillRectangle(gcn::Rectangle(x, y, drawW, drawH));
    }
  }
}

// The control has no frame and no children.
void CardControl::drawFrame(gcn::Graphics* /*graphics*/) {}
void CardControl::logic() {}

void CardControl::mousePressed(gcn::MouseEvent& mouseEvent) {
  if (mouseEvent.getButton() != gcn::MouseEvent::LEFT) return;
  mouseEvent.consume();
  m_bMouseDown = 1;
  if (m_bHorizontal && m_bSelectable) {
    m_dwDragging = 1;
    m_wDragStart = HitTest(mouseEvent.getX(), mouseEvent.getY());
    m_wDragEnd = m_wDragStart;
    if (m_pOwner != nullptr) m_pOwner->SendMessage(MSG_CARD_CLICK, 0, 0);
  }
  if (m_pOwner != nullptr) m_pOwner->SendMessage(MSG_CARD_PRESS, 0, 0);
}

void CardControl::mouseDragged(gcn::MouseEvent& mouseEvent) {
  if (!m_bMouseDown || m_wDragStart == kNoItem) return;
  mouseEvent.consume();
  const WORD hit = HitTest(mouseEvent.getX(), mouseEvent.getY());
  if (hit != kNoItem && hit != m_wDragStart) m_wDragEnd = hit;
}

void CardControl::mouseReleased(gcn::MouseEvent& mouseEvent) {
  if (mouseEvent.getButton() != gcn::MouseEvent::LEFT) return;
  mouseEvent.consume();
  m_bMouseDown = 0;
  m_dwDragging = 0;
  const WORD start = m_wDragStart;
  const WORD end = m_wDragEnd;
  m_wDragStart = kNoItem;
  m_wDragEnd = kNoItem;
  if (start == kNoItem || end == kNoItem || !m_bHorizontal || !m_bSelectable) return;
  const DWORD low = start < end ? start : end;
  const DWORD high = start < end ? end : start;
  for (DWORD i = low; i <= high && i < m_count; ++i)
    m_items[i].bRaised = m_items[i].bRaised ? 0 : 1;
  if (m_pOwner != nullptr) m_pOwner->PostMessage(MSG_SELECTION_CHANGED, 0, 0);
}

void CardControl::mouseMoved(gcn::MouseEvent& /*mouseEvent*/) {}
