// CViewHost: the real table view on the lobby frame, headless, without the client dialog: a
// small dialog that holds a CGameClientView, seats users through the frame's loopback link,
// loads their portraits as the client does, and writes down the game's window messages it
// gets. Time is a manual clock that moves only when a frame is run, so every picture and
// every test is the same from run to run. Frames are drawn only when their picture is asked
// for (a snapshot, the canvas or the screen read back), unless DrawEveryFrame.
//
// Used by torvaly-view-demo, the view benchmark and the view's tests.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/frame/BrisvaneApp.h"
#include "platform/win/WinTime.h"
#include "view/GameClientView.h"

struct tagHostMessage {
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  bool operator==(const tagHostMessage&) const = default;
};

class CViewHostDlg : public CBrisvaneDlg {
 public:
  CViewHostDlg() : CBrisvaneDlg(m_view) {}

  // The sound switch and the client kernel go to the view, as the client's set-up does.
  bool SetupGame() override;
  void ResetGame() override {}
  bool OnClockTick(WORD, UINT, UINT) override { return true; }
  bool OnSceneRestore(BYTE, bool, const void*, WORD) override { return true; }
  bool OnServerMessage(WORD, const void*, WORD) override { return true; }
  // A seated user's portrait, by the seat the view draws it at.
  void OnEventUserEnter(const tagUserData* user, WORD chair, bool lookon) override;

  CGameClientView& View() { return m_view; }
  void SetSound(bool on) { m_cbEnableSound = on ? 1 : 0; }

  // The table's and the options window's messages, in the order they came.
  std::vector<tagHostMessage> log;

 protected:
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  CGameClientView m_view;
};

class CViewHostApp : public CBrisvaneApp {
 public:
  CBrisvaneDlg* CreateGameDialog() override { return new CViewHostDlg(); }
};

// Points the application profile (which every layout pass writes) at a folder of its own
// under the temporary folder, so a tool run by hand leaves the user's profile alone.
void UseScratchProfile(const char* tool);

class CViewHost {
 public:
  // dataFolder: the folder holding Torvaly/ ("" = the usual lookup beside the executable).
  CViewHost(const std::string& dataFolder, int width, int height);
  ~CViewHost();
  CViewHost(const CViewHost&) = delete;
  CViewHost& operator=(const CViewHost&) = delete;

  bool Ok() const { return m_ok; }
  CViewHostDlg& Dialog() { return *static_cast<CViewHostDlg*>(m_app.GetMainWnd()); }
  CGameClientView& View() { return Dialog().View(); }
  HGE* Engine() const { return m_app.GetEngine(); }
  CViewHostApp& App() { return m_app; }

  // The local player takes chair me (his view seat is 1).
  void SetSelf(WORD me);
  // A user in a chair; delivered with the next frame.
  void SeatUser(WORD chair, const char* name, BYTE gender, WORD faceId, int64_t score, BYTE status);
  void LeaveUser(WORD chair);
  void SetServerAttribute(const tagServerAttribute& attribute);

  // One turn of the application loop after the clock moved ms milliseconds: link, window
  // messages and timers, clocks, AdvanceFrame, widgets (the render callback when every frame
  // is drawn, else when its picture is first asked for).
  bool Frame(unsigned ms = 16);
  void Frames(int count, unsigned ms = 16);
  // Every frame drawn as it runs, as in a window (the benchmark measures drawing).
  void DrawEveryFrame() { m_app.SetDrawOnDemand(false); }
  // The last frame as PNG.
  bool Snapshot(const std::string& path);
  // The table's target as pixels, 0xAARRGGBB in rows of 1280.
  std::vector<uint32_t> ReadCanvas();
  // The screen as pixels, 0xAARRGGBB in rows of the screen width.
  std::vector<uint32_t> ReadScreen();

 private:
  CScopedManualClock m_clock{50000};
  std::string m_data;
  // The picture of the last frame, drawn when first asked for.
  bool Picture();

  CViewHostApp m_app;
  bool m_ok = false;
  bool m_drawn = false;  // the picture shows the last frame
};
