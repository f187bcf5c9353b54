// CBrisvaneView2D: the frame's view base. It is a window of the frame and supplies what the
// table view stands on: the engine interface, the widget tree (a gcn::Gui whose top is the
// widget container, drawn by the SDL2 graphics and fed by the SDL2 input), the users of the
// table by view seat and their countdown clocks, the redraw request and the match notice.
//
// The frame calls the four view virtuals: ResetTable, ArrangeView (width, height of the
// drawing area; after the window is created and whenever the dialog's window is resized),
// DrawTable (from the view's own render callback) and AdvanceFrame (elapsed seconds, once per
// frame, before the render callback). Window creation (WM_CREATE) runs OnCreate: the base
// makes the widget tree; a derived view calls the base first, then loads its resources.
//
// The base also holds the frame's own buttons (FrameButtons.h: options and sound, in the
// table's top right corner); they are made with the widget tree and placed with each layout.
//
// One frame of the application loop, in order: SDL events to the widget input and as mouse
// messages to this window; the link's packets; queued window messages and due window timers;
// the countdown clocks; AdvanceFrame; the widgets' logic; the engine's render callback, which
// draws the table, then (its last steps) DrawGui for the widgets on top. In a window the loop
// draws only when something changed or its next frame is due (NextFrameDueMs, UpdateGameView);
// see BrisvaneApp.h.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/engine/hge.h"
#include "platform/frame/Brisvane.h"
#include "platform/gui/SDL2Graphics.h"
#include "platform/win/WinMessage.h"

class CBrisvaneDlg;
class CFrameButtons;

// The frame base's own moving sprites, drawn inside the table scene. The frame has none of its
// own today, so GetMoveSpriteManager answers null.
class CMoveSpriteManager {
 public:
  virtual ~CMoveSpriteManager() = default;
  virtual void Render() = 0;
};

// How the frame reaches its view.
class IBrisvaneView {
 public:
  virtual CWnd* GetViewWindow() = 0;

 protected:
  ~IBrisvaneView() = default;
};

class IHighResolutionTimeSink {
 public:
  virtual void OnHighResolutionTime(DWORD elapsedMs) = 0;

 protected:
  ~IHighResolutionTimeSink() = default;
};

class CBrisvaneView2D : public CWnd, public IBrisvaneView, public IHighResolutionTimeSink {
 public:
  CBrisvaneView2D();
  ~CBrisvaneView2D() override;

  // Frame-view virtuals, in slot order.
  virtual void ResetTable() = 0;
  virtual void ArrangeView(int width, int height) = 0;
  virtual void DrawTable(int width, int height) = 0;
  virtual void AdvanceFrame(float elapsed) = 0;

  // The user in a view seat (0..2, 1 = the local player), or null.
  const tagUserData* GetUserInfo(WORD viewSeat) const;
  // Seconds left on the countdown of the chair in that view seat; 0 when none runs.
  WORD GetUserTimer(WORD viewSeat) const;
  // Asks for a redraw: the application loop draws a frame soon (the rectangle is not read).
  void UpdateGameView(const RECT* rect);
  unsigned RedrawRequests() const { return m_redrawRequests; }
  // When the table changes by itself next, asked after each frame, in ms from the frame just
  // drawn: FRAME_AT_RATE while something moves (a flying card, a shake, an effect, a counting
  // panel: the loop draws 60 frames a second), a positive time for a slow change (the next
  // frame of a slowly turning mark, a notice that starts to fade), NO_FRAME_DUE while nothing
  // changes by itself (the loop sleeps until an input, a timer, a clock tick, a packet or a
  // redraw request). A view that does not answer is taken to move always.
  static constexpr int64_t FRAME_AT_RATE = 0;
  static constexpr int64_t NO_FRAME_DUE = -1;
  virtual int64_t NextFrameDueMs() const { return FRAME_AT_RATE; }
  // Whether the table changes by itself at all (a frame is due some time).
  bool IsAnimating() const { return NextFrameDueMs() != NO_FRAME_DUE; }
  // Draws the frame's match notice into the current scene (the frame has no notices yet).
  void DrawMatchScrollMessage();
  CMoveSpriteManager* GetMoveSpriteManager() const { return m_pMoveSpriteManager; }

  HGE* GetEngine() const { return m_pHge; }
  gcn::Gui* GetGui() const { return m_pGui.get(); }
  gcn::Container* GetGuiContainer() const { return m_pGuiContainer.get(); }
  gcn::SDL2Input* GetGuiInput() const { return m_pGuiInput.get(); }
  gcn::SDL2Graphics* GetGuiGraphics() const { return m_pGuiGraphics.get(); }
  CBrisvaneDlg* GetFrameDlg() const { return m_pFrameDlg; }

  // Draws the widget tree into the current scene; false if the widget library failed.
  bool DrawGui();
  // Draws, inside `area` of the screen only, the widgets that lie above `layer` (those after it
  // in the container), as DrawGui would draw them; false if the library failed.
  bool DrawGuiAbove(const gcn::Widget* layer, const gcn::Rectangle& area);
  // Set by the application loop before each frame: true when the frame is drawn only because
  // the view said it was due (NextFrameDueMs), with no redraw asked for and no input, message or
  // new window size since the frame before. The view may then draw only what it knows changed.
  void SetOnlyDueFrame(bool onlyDue) { m_bOnlyDueFrame = onlyDue; }
  bool IsOnlyDueFrame() const { return m_bOnlyDueFrame; }
  // The frame's own buttons (null before the window is created, or without a dialog).
  CFrameButtons* GetFrameButtons() const { return m_pFrameButtons.get(); }
  // Places them for a drawing area of width x height (the frame calls it with each layout).
  void PlaceFrameButtons(int width, int height);
  // One frame of widget logic (input to widgets, their logic); false if the library failed.
  bool GuiLogic();

  CWnd* GetViewWindow() override { return this; }
  void OnHighResolutionTime(DWORD /*elapsedMs*/) override {}

 protected:
  int OnCreate() override;
  void OnDestroy() override;

  HGE* m_pHge;
  std::unique_ptr<gcn::SDL2Graphics> m_pGuiGraphics;
  std::unique_ptr<gcn::SDL2Input> m_pGuiInput;
  std::unique_ptr<gcn::Container> m_pGuiContainer;
  std::unique_ptr<gcn::Gui> m_pGui;
  CMoveSpriteManager* m_pMoveSpriteManager = nullptr;

 private:
  std::unique_ptr<CFrameButtons> m_pFrameButtons;
  friend class CBrisvaneDlg;
  CBrisvaneDlg* m_pFrameDlg = nullptr;
  unsigned m_redrawRequests = 0;
  bool m_bOnlyDueFrame = false;
};
