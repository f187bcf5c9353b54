// CardControl: a row (or a column) of cards as a widget: each seat's hand and each seat's last
// play. On the local player's hand it is also the input device: the left mouse button raises
// and lowers cards, by clicking one card or by sweeping over several.
//
// Layout. While the control is shown (SetAnchor), every operation that changes what it holds
// or how it is spaced lays it out again: its size follows the item count, the card cell, the
// steps and the scale, and its position follows the anchor point and modes (0 = the anchor is
// the left/top edge, 1 = the centre, 2 = the right/bottom edge). Products are truncated toward
// zero. A row is ((n - 1) x step + w) x sx wide (0 when empty) and (h + raise) x sy high; a
// column is w x sx wide and ((n - 1) x vstep + h) x sy high (0 when empty).
//
// Drawing. Every control draws from one shared card sheet of 13 x 5 cells: rows 0..3 are the
// colours 0x00..0x30 with A..K in columns 0..12; row 4 holds the small joker (column 0), the
// big joker (1) and the back (2). Faces are shown only when SetFaceUp(true); a byte that is
// not a card of the deck is drawn as a back. In a row a lowered card sits raise x sy below a
// raised one. During a sweep the swept cards are shaded.
//
// Mouse (left button only, rows that are selectable): a press starts a sweep on the card under
// the pointer and sends MSG_CARD_CLICK to the owner window; every left press on any control
// then sends MSG_CARD_PRESS to it. Dragging moves the sweep's end to the card under the
// pointer. The release toggles the card that was clicked, or every card from the start to the
// end of the sweep, and posts MSG_SELECTION_CHANGED to the owner. SetCards ends a sweep in
// progress, so the release that follows changes nothing. The owner is the window that creates
// the control (the table view, which passes the messages on to the dialog); without one,
// nothing is sent.
//
// The sheet is loaded from the resource key "m_pPokerMiddle" of the resource-path file when
// the first control asks for it, and shared by every control; no control frees it. Its owner
// (the table view) calls ReleaseSharedSheets once every control is gone.
#pragma once

#include <cstdint>

#include "platform/gui/CWindowEx.h"
#include "platform/win/WinMessage.h"
#include "platform/win/WinTypes.h"

// One card of a control, three bytes.
struct tagCardItem {
  BYTE bRaised;    // 1 = raised (selected), 0 = lowered
  BYTE bReserved;  // always 0
  BYTE bCardData;  // card byte; 0 = no card, drawn as a back
};
static_assert(sizeof(tagCardItem) == 3);

// Window messages of the card controls; both parameters are 0.
inline constexpr UINT MSG_CARD_CLICK = 1732;         // sent to the owner: a left press started
                                                     // a selection
inline constexpr UINT MSG_CARD_PRESS = 1735;         // sent to the owner: any left press
inline constexpr UINT MSG_SELECTION_CHANGED = 1737;  // posted to the owner: the mouse changed
                                                     // the raised set

class CardControl : public gcn::CWindowEx {
 public:
  static constexpr WORD kNoItem = 0xFFFF;
  // The most cards a control holds: the whole deck. Longer lists are cut.
  static constexpr DWORD kMaxItems = 54;
  // Sheet kinds; only kind 1 (the middle-sized sheet) exists.
  static constexpr int kSheetMiddle = 1;
  static constexpr int kSheetColumns = 13;
  static constexpr int kSheetRows = 5;

  // owner: the window the control's messages go to (null: none).
  explicit CardControl(CWnd* owner = nullptr);
  ~CardControl() override;
  CardControl(const CardControl&) = delete;
  CardControl& operator=(const CardControl&) = delete;

  // Ends a sweep in progress, replaces the items by the cards (all lowered) and lays out.
  // A null list or a count of 0 empties the control.
  void SetCards(const BYTE* cards, DWORD count);
  DWORD GetCardCount() const { return m_count; }
  // Copies the card bytes of the raised items, in display order, up to capacity; returns how
  // many were copied.
  DWORD GetRaisedCards(BYTE* cards, DWORD capacity) const;
  // Lowers every item, then raises for each given card the first still-lowered item holding
  // that byte (a card the control does not hold is ignored); lays out.
  void RaiseCards(const BYTE* cards, DWORD count);
  // Sets the raised field of every item to the value; lays out.
  void RaiseAll(BYTE value);
  const tagCardItem* GetItem(DWORD index) const {
    return index < m_count ? &m_items[index] : nullptr;
  }

  void SetDirection(bool horizontal);  // lays out when it changes
  void SetFaceUp(bool faceUp);
  void SetSelectable(bool selectable);
  void SetSpacing(UINT horizontalStep, UINT verticalStep, UINT raiseHeight);
  void SetAnchor(int x, int y, UINT xMode, UINT yMode, BYTE shown);
  // Stores the scales; the next call that lays out uses them.
  void SetScale(float sx, float sy);
  void SetOwnerWindow(CWnd* owner) { m_pOwner = owner; }
  // Takes the shared sheet of the kind (loading it on first use) and the card cell from it;
  // a kind without a sheet leaves the control drawing nothing.
  void SetCardImage(int kind);

  bool IsHorizontal() const { return m_bHorizontal != 0; }
  bool IsFaceUp() const { return m_bDisplayFaces != 0; }
  bool IsSelectable() const { return m_bSelectable != 0; }
  bool IsShown() const { return m_bShown != 0; }
  bool IsDragging() const { return m_dwDragging != 0; }
  WORD GetDragStart() const { return m_wDragStart; }
  WORD GetDragEnd() const { return m_wDragEnd; }
  int GetCardWidth() const { return m_nCardWidth; }
  int GetCardHeight() const { return m_nCardHeight; }
  gcn::Image* GetCardImage() const { return m_pCardImage; }

  // The item under a point given relative to the control, or kNoItem. Only rows hit.
  WORD HitTest(int x, int y) const;

  // Frees the shared sheets. Only for the owner of every control, once none is left.
  static void ReleaseSharedSheets();

  // gcn::Widget
  void draw(gcn::Graphics* graphics) override;
  void drawFrame(gcn::Graphics* graphics) override;
  void logic() override;

  // gcn::MouseListener
  void mousePressed(gcn::MouseEvent& mouseEvent) override;
  void mouseReleased(gcn::MouseEvent& mouseEvent) override;
  void mouseMoved(gcn::MouseEvent& mouseEvent) override;
  void mouseDragged(gcn::MouseEvent& mouseEvent) override;

 private:
  void Layout();
  bool Covers(DWORD index, int y) const;
  void CellOf(BYTE card, int& column, int& row) const;

  gcn::Image* m_pCardImage = nullptr;  // shared, not owned
  int m_nCardWidth = 0;
  int m_nCardHeight = 0;
  int m_nSheetKind = 0;
  BYTE m_bDisplayFaces = 0;
  BYTE m_bHorizontal = 1;
  BYTE m_bSelectable = 0;
  BYTE m_bShown = 0;
  UINT m_nHorizontalStep = 20;
  UINT m_nVerticalStep = 19;
  UINT m_nRaiseHeight = 20;
  int m_nAnchorX = 0;
  int m_nAnchorY = 0;
  UINT m_nXMode = 1;
  UINT m_nYMode = 1;
  BYTE m_bMouseDown = 0;
  UINT m_dwDragging = 0;
  WORD m_wDragStart = kNoItem;
  WORD m_wDragEnd = kNoItem;
  float m_fScaleX = 1.0f;
  float m_fScaleY = 1.0f;
  CWnd* m_pOwner = nullptr;

  tagCardItem m_items[kMaxItems] = {};
  DWORD m_count = 0;
};
