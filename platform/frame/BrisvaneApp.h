// CBrisvaneApp: the application object of the frame. One instance exists (the client's static
// application object); AfxGetApp() returns it. It owns the engine reference, the dialog made by
// CreateGameDialog and the table link, runs the application loop and keeps the profile.
//
// Command line (Run / InitInstance):
//   --headless        no window: the engine's headless back end, message boxes answered OK
//   --data DIR        the resource folder (see ResourceFolder.h)
//   --frames N        stop after N frames (0, the default, runs until the window closes)
//   --snapshot FILE   save the last frame as PNG before stopping
//   --width W --height H   the screen before the dialog sets its own size (1284 x 748)
// Unknown arguments are left to the program.
//
// Without a link set by the program, the frame uses a CLoopbackLink.
//
// The loop. Headless, or with --frames, every turn runs a frame (RunFrame); a window holds
// 60 frames a second. Otherwise, in a window, Run draws only when the table needs it
// (RunTurn): after any input event, window message or timer, countdown tick, link event or
// redraw request (UpdateGameView), and when the view says its next frame is due
// (NextFrameDueMs): at 60 frames a second while something moves, at the time it names for a
// slow change (a mark's next picture). Between frames it sleeps in SDL_WaitEventTimeout until
// the earliest of: the next input event, the next window timer, the next countdown tick, the
// link's next event (ITableLink::NextEventMs: a bot's move, a table deadline), the view's next
// due frame and, while a frame is owed, the next frame's time. A table where nothing moves
// draws once a second at most, when a clock's number changes.
//
// A frame is two things: the table's motion moved on by the time since the last frame
// (AdvanceFrame, the widgets' logic) and the picture drawn (the render callback). Headless,
// a frame nobody sees need not be drawn: with SetDrawOnDemand the motion still moves on at
// every frame exactly as when it is drawn, but the picture is drawn only when it is asked for
// (DrawPicture; --snapshot draws the last frame). The render callback only draws, so the
// picture then is the one that frame would have shown.
//
// The window is resizable; the screen follows its size and the view is laid out again
// (RectifyControl), which letterboxes the table. F11 switches full screen, F2 opens the game's
// options (ShowGameOptions), F3 switches sound on and off (SwitchSound). Closing the window
// ends the program.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/engine/hge.h"
#include "platform/frame/Brisvane.h"
#include "platform/frame/BrisvaneDlg.h"
#include "platform/win/Profile.h"

class CBrisvaneApp {
 public:
  CBrisvaneApp();
  virtual ~CBrisvaneApp();
  CBrisvaneApp(const CBrisvaneApp&) = delete;
  CBrisvaneApp& operator=(const CBrisvaneApp&) = delete;

  // The frame slot: a new dialog (owned by the application from then on), or null.
  virtual CBrisvaneDlg* CreateGameDialog() = 0;

  // Process entry: InitInstance, the loop, ExitInstance. Returns the exit code.
  int Run(int argc, const char* const* argv);

  bool InitInstance(int argc, const char* const* argv);
  // One turn of the loop that always runs a frame (drawn unless drawing is on demand); false
  // once the program is to stop.
  bool RunFrame();
  // One turn of the window's loop: sleeps until something is due (MsUntilDue), then Turn.
  bool RunTurn();
  // Handles what has arrived and draws a frame only when one is needed; never sleeps. False
  // once the program is to stop.
  bool Turn();
  // How long the loop may sleep before something is due, in ms (0: at once), at most
  // MAX_SLEEP_MS.
  int64_t MsUntilDue() const;
  int ExitInstance();

  static constexpr int64_t MAX_SLEEP_MS = 1000;  // a safety net; every wake-up has its time

  // Frames move the table on without drawing it until a picture is asked for; headless only
  // (a window draws every frame it runs). Kept across InitInstance.
  void SetDrawOnDemand(bool onDemand) { m_drawOnDemand = onDemand; }
  bool DrawsOnDemand() const { return m_drawOnDemand && m_headless; }
  // Draws the table as it stands now: the picture the last frame would have drawn, when
  // nothing changed since. False once the render callback asks the program to stop.
  bool DrawPicture();

  void SetTableLink(std::unique_ptr<ITableLink> link);  // before InitInstance
  // The window after the dialog's set-up: this size (0: the dialog's), and full screen.
  void SetStartWindow(int width, int height, bool fullScreen);
  void ToggleFullScreen();
  ITableLink* GetTableLink() const { return m_pLink.get(); }
  CLoopbackLink* GetLoopbackLink() const { return dynamic_cast<CLoopbackLink*>(m_pLink.get()); }
  CBrisvaneDlg* GetMainWnd() const { return m_pDialog.get(); }
  HGE* GetEngine() const { return m_pHge; }
  bool IsHeadless() const { return m_headless; }
  unsigned FrameCount() const { return m_frameCount; }  // frames run (drawn, in a window)

  // The application profile (MFC names).
  UINT GetProfileInt(LPCSTR section, LPCSTR entry, int defaultValue);
  BOOL WriteProfileInt(LPCSTR section, LPCSTR entry, int value);
  const std::string& GetProfilePath() { return Profile().Path(); }
  HICON LoadIcon(UINT resourceId);  // the frame has no icons: null

 private:
  void DispatchMouseToView(const union SDL_Event& event);
  // SDL events to the widgets, the view and the window handling; then the link, the queued
  // messages and timers, the clocks. Returns how many things it delivered; sets `stop`
  // when the program is to end.
  int HandleArrivals(bool& stop);
  void FollowWindowSize();
  // AdvanceFrame by `elapsed`, widget logic, then the picture unless drawing is on demand
  // (the last frame before a --snapshot is drawn all the same); false once to stop.
  bool DrawFrame(float elapsed);
  bool RunTurnNow();
  // Made on first use, so the path follows the environment of the running program.
  CProfile& Profile();

  std::optional<CProfile> m_profile;
  HGE* m_pHge = nullptr;
  std::unique_ptr<ITableLink> m_pLink;
  std::unique_ptr<CBrisvaneDlg> m_pDialog;
  bool m_headless = false;
  bool m_running = false;
  bool m_inTurn = false;  // inside RunTurn
  unsigned m_maxFrames = 0;
  unsigned m_frameCount = 0;
  bool m_drawOnDemand = false;
  std::string m_snapshotPath;
  uint64_t m_lastFrameMs = 0;
  int m_startWidth = 0;
  int m_startHeight = 0;
  bool m_startFullScreen = false;
  // The waiting loop's state.
  bool m_frameOwed = true;            // something changed since the last frame
  int64_t m_viewDueMs = -1;           // the view's NextFrameDueMs after the last frame
  uint64_t m_viewDueAt = UINT64_MAX;  // when that slow change is due (a positive answer)
  unsigned m_redrawsSeen = 0;
  double m_nextFrameMs = 0;  // no frame before this time (60 a second at most)
};

CBrisvaneApp* AfxGetApp();
CWnd* AfxGetMainWnd();
