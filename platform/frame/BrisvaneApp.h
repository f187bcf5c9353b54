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
// Without a link set by the program, the frame uses a CLoopbackLink (the real links to a
// table server come with the client dialog).
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
  // One turn of the loop; false once the program is to stop.
  bool RunFrame();
  int ExitInstance();

  void SetTableLink(std::unique_ptr<ITableLink> link);  // before InitInstance
  ITableLink* GetTableLink() const { return m_pLink.get(); }
  CLoopbackLink* GetLoopbackLink() const { return dynamic_cast<CLoopbackLink*>(m_pLink.get()); }
  CBrisvaneDlg* GetMainWnd() const { return m_pDialog.get(); }
  HGE* GetEngine() const { return m_pHge; }
  bool IsHeadless() const { return m_headless; }
  unsigned FrameCount() const { return m_frameCount; }

  // The application profile (MFC names).
  UINT GetProfileInt(LPCSTR section, LPCSTR entry, int defaultValue);
  BOOL WriteProfileInt(LPCSTR section, LPCSTR entry, int value);
  const std::string& GetProfilePath() { return Profile().Path(); }
  HICON LoadIcon(UINT resourceId);  // the frame has no icons: null

 private:
  void DispatchMouseToView(const union SDL_Event& event);
  // Made on first use, so the path follows the environment of the running program.
  CProfile& Profile();

  std::optional<CProfile> m_profile;
  HGE* m_pHge = nullptr;
  std::unique_ptr<ITableLink> m_pLink;
  std::unique_ptr<CBrisvaneDlg> m_pDialog;
  bool m_headless = false;
  bool m_running = false;
  unsigned m_maxFrames = 0;
  unsigned m_frameCount = 0;
  std::string m_snapshotPath;
  uint64_t m_lastFrameMs = 0;
};

CBrisvaneApp* AfxGetApp();
CWnd* AfxGetMainWnd();
