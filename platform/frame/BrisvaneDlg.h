// CBrisvaneDlg: the frame's dialog base, the application's main window. It holds the link to
// the table server, the users and seats of the table, the per-chair countdown clocks, the
// client kernel and the sound switch, and calls the client through the virtual slots below.
//
// Chairs are the server's 0..2; view seats put the local player at seat 1:
// seat = (chair + 4 - own chair) % 3. Without an own chair the seat is the chair.
//
// Countdown clocks (SetGameTimer): one per chair. Starting a clock replaces the clock of the
// same id wherever it runs (a turn clock moves from chair to chair) and any clock of that
// chair. A clock of s seconds calls OnClockTick(chair, s - 1, id) one second after it starts,
// then s - 2, ..., down to 0, and then stops; a clock of 0 seconds ticks 0 at once. Ticks that a
// late frame missed are delivered in order, none is dropped. The answer of OnClockTick is not
// read: a clock only stops at 0 or when killed (KillGameTimer(id), or 0 for all).
#pragma once

#include "platform/engine/hge.h"
#include "platform/frame/Brisvane.h"
#include "platform/frame/BrisvaneView2D.h"
#include "platform/win/WinMessage.h"

class CBrisvaneDlg : public CWnd, private ILinkSink {
 public:
  // The view is the derived dialog's member; it is only stored here.
  explicit CBrisvaneDlg(CBrisvaneView2D& view);
  ~CBrisvaneDlg() override;

  // ---- operations the client calls ---------------------------------------------------------
  WORD GetMeChairID() const { return m_wMeChairID; }
  WORD SwitchViewChairID(WORD chair) const;
  WORD SwitchChairID(WORD viewSeat) const;  // the reverse
  bool IsLookonMode() const { return m_bLookonMode; }
  bool IsAllowLookon() const { return m_bAllowLookon; }
  const tagUserData* GetUserData(WORD chair) const;

  bool SetGameTimer(WORD chair, UINT timerId, UINT seconds, const RECT* rect = nullptr);
  bool KillGameTimer(UINT timerId);
  WORD GetGameTimerSeconds(WORD chair) const;  // 0 when the chair has no clock

  bool SendData(WORD id, const void* data, WORD size);
  bool SendData(WORD id);
  bool SendUserReady(const void* data, WORD size);
  // The user moves to another table; the game and the table view are reset at once when the
  // link takes the request, as for a new game window.
  bool ChangeTable(WORD table);
  // The player's "allow watchers" option goes to the table server (false: no server to tell).
  bool SendAllowLookon(bool allow);
  void ActiveGameFrame();
  WORD GetGameServerType() const { return m_serverAttribute.wServerType; }
  IClientKernel* GetClientKernel(const tagInterfaceID& iid, DWORD version);
  // The frame's match panel (the client passes 4, 5 on a match server); kept, not shown.
  void SetMatchPanel(int first, int second);

  // ---- the frame's own plumbing (application loop, tests) ----------------------------------
  // Creates this window, then the view's (its OnCreate builds the widget tree and resources),
  // then lays the view out for the engine's screen size.
  bool CreateFrame();
  void SetTableLink(ITableLink* link) { m_pLink = link; }  // not owned
  void PollLink();
  // Delivers the ticks that are due on the program's clock; returns how many.
  int StepClocks();
  // When the next clock tick is due (UINT64_MAX when no clock runs).
  uint64_t NextClockTickMs() const;
  // Link events delivered so far (users, scenes, messages): the loop draws after any.
  unsigned LinkDeliveries() const { return m_linkDeliveries; }
  // The user closes the window: the dialog closes and the program ends, whatever the link.
  void CloseByWindow();
  void SwitchSound(bool on);
  bool IsSoundSwitchedOn() const { return m_cbEnableSound != 0; }
  CBrisvaneView2D& GetView() const { return m_view; }
  void GetMatchValues(DWORD* value, DWORD* kind, int* panelFirst, int* panelSecond) const;

  // ---- virtual slots the frame calls, in slot order ----------------------------------------
  virtual bool SetupGame() = 0;
  virtual void ResetGame() = 0;
  virtual void ShowGameOptions() {}
  virtual void OnSoundSwitched() {}
  virtual void OnFrameReserved1() {}
  virtual void OnFrameReserved2() {}
  virtual bool OnClockTick(WORD chair, UINT secondsLeft, UINT timerId) = 0;
  virtual void OnLookonChanged(bool lookon, const void* data, WORD size);
  virtual bool OnSceneRestore(BYTE status, bool lookon, const void* data, WORD size) = 0;
  virtual bool OnServerMessage(WORD id, const void* data, WORD size) = 0;
  // The frame's layout slot: the drawing area changed size; the base lays the view out.
  virtual void RectifyControl(int width, int height);
  // The frame's own messages (none are sent yet); true when handled.
  virtual bool OnFrameMessage(WORD id, const void* data, WORD size);
  // User events; overrides call the base first (it asks for a redraw).
  virtual void OnEventUserEnter(const tagUserData* user, WORD chair, bool lookon);
  virtual void OnEventUserLeave(const tagUserData* user, WORD chair, bool lookon);
  virtual void OnEventUserScore(const tagUserData* user, WORD chair, bool lookon);
  virtual void OnEventUserStatus(const tagUserData* user, WORD chair, bool lookon);

  // Resizes the drawing area (the engine's screen) and lays the view out again.
  BOOL SetWindowPos(const CWnd* insertAfter, int x, int y, int cx, int cy, UINT flags) override;

 protected:
  // The dialog closes itself (its ready clock ran out) or the window is closed. Where the link
  // seats the player again (the embedded mode) a close of the dialog's own is leaving the
  // table and sitting down again: the window stays. Otherwise the application loop ends.
  void OnClose() override;
  // A new table: the game and the view start afresh (ResetGame, ResetTable).
  void ResetFreshTable();

  BYTE m_cbEnableSound = 1;  // the sound switch; its address goes to the view

 private:
  class CKernel : public IClientKernel {
   public:
    explicit CKernel(CBrisvaneDlg& owner) : m_owner(owner) {}
    const tagServerAttribute* GetServerAttribute() override { return &m_owner.m_serverAttribute; }
    void SetMatchValue(DWORD value, DWORD kind) override {
      m_owner.m_matchValue = value;
      m_owner.m_matchKind = kind;
    }

   private:
    CBrisvaneDlg& m_owner;
  };

  struct tagGameClock {
    bool active;
    UINT timerId;
    UINT secondsLeft;
    uint64_t nextTickMs;
  };

  // ILinkSink
  void OnLinkSelf(WORD meChair, bool lookon, bool allowLookon) override;
  void OnLinkServerAttribute(const tagServerAttribute& attribute) override;
  void OnLinkUserEnter(const tagUserData& user, WORD chair, bool lookon) override;
  void OnLinkUserLeave(WORD chair, bool lookon) override;
  void OnLinkUserScore(const tagUserData& user, WORD chair, bool lookon) override;
  void OnLinkUserStatus(const tagUserData& user, WORD chair, bool lookon) override;
  void OnLinkScene(BYTE status, bool lookon, const void* data, WORD size) override;
  void OnLinkGameMessage(WORD id, const void* data, WORD size) override;
  void OnLinkClosed() override;

  CBrisvaneView2D& m_view;
  HGE* m_pHge;
  ITableLink* m_pLink = nullptr;
  CKernel m_kernel{*this};
  tagServerAttribute m_serverAttribute{};
  DWORD m_matchValue = 0;
  DWORD m_matchKind = 0;
  int m_matchPanel[2] = {0, 0};

  WORD m_wMeChairID = INVALID_CHAIR;
  bool m_bLookonMode = false;
  bool m_bAllowLookon = false;
  bool m_bSelfKnown = false;
  bool m_bClosingWindow = false;
  unsigned m_linkDeliveries = 0;
  tagUserData m_users[FRAME_CHAIR_COUNT] = {};
  bool m_userPresent[FRAME_CHAIR_COUNT] = {};
  tagGameClock m_clocks[FRAME_CHAIR_COUNT] = {};
};
