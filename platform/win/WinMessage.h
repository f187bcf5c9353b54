// Windows and their messages on the one user-interface thread.
//
// CWnd is the base of every window of the program (the dialog, the view). SendMessage calls
// the window's WindowProc at once and returns its result. PostMessage queues the message and
// returns; the application loop delivers queued messages in the order they were posted
// (Pump). A message posted while the loop is delivering waits for the next Pump, so a window
// that posts to itself cannot starve the loop.
//
// Window timers (SetTimer / KillTimer) are kept per window and id: setting an id that runs
// restarts it with the new period. A timer fires WM_TIMER through WindowProc when its period
// has passed on the clock of WinTime.h; when the loop was late by more than a period the
// missed firings are merged into one, as Windows does. Timers fire after the queued messages.
//
// A window that is destroyed (or deleted) loses its queued messages and its timers.
// The queue and timer table are fixed arrays; PostMessage returns FALSE when the queue is full
// and SetTimer returns 0 when no timer slot is left.
#pragma once

#include <string>

#include "platform/win/WinTypes.h"

inline constexpr UINT WM_CREATE = 0x0001;
inline constexpr UINT WM_DESTROY = 0x0002;
inline constexpr UINT WM_SIZE = 0x0005;
inline constexpr UINT WM_CLOSE = 0x0010;
inline constexpr UINT WM_QUIT = 0x0012;
inline constexpr UINT WM_TIMER = 0x0113;
inline constexpr UINT WM_MOUSEMOVE = 0x0200;
inline constexpr UINT WM_LBUTTONDOWN = 0x0201;
inline constexpr UINT WM_LBUTTONUP = 0x0202;
inline constexpr UINT WM_LBUTTONDBLCLK = 0x0203;
inline constexpr UINT WM_RBUTTONDOWN = 0x0204;
inline constexpr UINT WM_RBUTTONUP = 0x0205;
inline constexpr UINT WM_USER = 0x0400;

constexpr LPARAM MAKELPARAM(int low, int high) {
  return static_cast<LPARAM>(static_cast<uint32_t>(static_cast<uint16_t>(low)) |
                             (static_cast<uint32_t>(static_cast<uint16_t>(high)) << 16));
}
constexpr int GET_X_LPARAM(LPARAM l) { return static_cast<int16_t>(l & 0xFFFF); }
constexpr int GET_Y_LPARAM(LPARAM l) { return static_cast<int16_t>((l >> 16) & 0xFFFF); }

class CWnd {
 public:
  CWnd() = default;
  virtual ~CWnd();
  CWnd(const CWnd&) = delete;
  CWnd& operator=(const CWnd&) = delete;

  // Sends WM_CREATE (OnCreate); FALSE when OnCreate answers -1.
  BOOL CreateWnd();
  // Sends WM_DESTROY and drops the window's queued messages and timers.
  BOOL DestroyWindow();
  bool IsWindowCreated() const { return m_created; }

  LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
  BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);

  // Returns the id (nonzero) or 0 when the id is 0 or no slot is free.
  UINT_PTR SetTimer(UINT_PTR id, UINT elapseMs, void* unusedTimerProc = nullptr);
  BOOL KillTimer(UINT_PTR id);

  BOOL SetWindowText(LPCSTR text);
  const std::string& GetWindowText() const { return m_text; }
  HICON SetIcon(HICON icon, BOOL big);
  // Moves and sizes the window; the base keeps the rectangle (flags are not read).
  virtual BOOL SetWindowPos(const CWnd* insertAfter, int x, int y, int cx, int cy, UINT flags);
  void GetClientRect(RECT* rect) const;
  void GetWindowRect(RECT* rect) const;

 protected:
  // The message map: the standard messages go to the handlers below, anything else
  // answers 0. Windows with messages of their own override this and call the base for the rest.
  virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);

  virtual int OnCreate() { return 0; }
  virtual void OnDestroy() {}
  virtual void OnClose() { DestroyWindow(); }
  virtual void OnTimer(UINT_PTR /*id*/) {}
  virtual void OnSize(UINT /*type*/, int /*cx*/, int /*cy*/) {}
  virtual void OnMouseMove(UINT /*flags*/, int /*x*/, int /*y*/) {}
  virtual void OnLButtonDown(UINT /*flags*/, int /*x*/, int /*y*/) {}
  virtual void OnLButtonUp(UINT /*flags*/, int /*x*/, int /*y*/) {}
  virtual void OnLButtonDblClk(UINT /*flags*/, int /*x*/, int /*y*/) {}
  virtual void OnRButtonDown(UINT /*flags*/, int /*x*/, int /*y*/) {}
  virtual void OnRButtonUp(UINT /*flags*/, int /*x*/, int /*y*/) {}

 private:
  bool m_created = false;
  std::string m_text;
  HICON m_icons[2] = {nullptr, nullptr};
  RECT m_rect{};
};

// The user-interface thread's message queue and timer table.
class CMessageQueue {
 public:
  static constexpr int kQueueCapacity = 1024;
  static constexpr int kTimerCapacity = 64;

  static CMessageQueue& Instance();

  BOOL Post(CWnd* wnd, UINT message, WPARAM wParam, LPARAM lParam);
  UINT_PTR SetTimer(CWnd* wnd, UINT_PTR id, UINT elapseMs);
  BOOL KillTimer(CWnd* wnd, UINT_PTR id);
  void Forget(CWnd* wnd);  // drops the window's queued messages and timers

  // Delivers the messages queued before the call, in order, then fires every timer whose time
  // has come (each once). Returns the number of messages and timer firings delivered.
  int Pump();

  int PendingMessages() const { return m_count; }
  int ActiveTimers() const;
  // Milliseconds until the next timer is due (0 when one is due, -1 when none runs).
  int64_t MsUntilNextTimer() const;

  void PostQuit(int exitCode);
  bool QuitPosted() const { return m_quit; }
  int QuitCode() const { return m_quitCode; }
  void ClearQuit() {
    m_quit = false;
    m_quitCode = 0;
  }

 private:
  struct tagQueuedMessage {
    CWnd* wnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
  };
  struct tagTimer {
    CWnd* wnd;  // null: free slot
    UINT_PTR id;
    UINT periodMs;
    uint64_t dueMs;
    uint64_t serial;  // changes whenever the slot is set, so a stale firing is recognised
  };

  tagQueuedMessage m_queue[kQueueCapacity] = {};
  int m_head = 0;
  int m_count = 0;
  tagTimer m_timers[kTimerCapacity] = {};
  uint64_t m_nextSerial = 1;
  bool m_quit = false;
  int m_quitCode = 0;
};

void PostQuitMessage(int exitCode);
