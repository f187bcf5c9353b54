#include "platform/frame/BrisvaneDlg.h"

#include "platform/win/WinTime.h"

CBrisvaneDlg::CBrisvaneDlg(CBrisvaneView2D& view) : m_view(view), m_pHge(hgeCreate(HGE_VERSION)) {}

CBrisvaneDlg::~CBrisvaneDlg() { m_pHge->Release(); }

WORD CBrisvaneDlg::SwitchViewChairID(WORD chair) const {
  if (chair >= FRAME_CHAIR_COUNT) return INVALID_CHAIR;
  if (m_wMeChairID >= FRAME_CHAIR_COUNT) return chair;
  return static_cast<WORD>((chair + FRAME_CHAIR_COUNT + 1 - m_wMeChairID) % FRAME_CHAIR_COUNT);
}

WORD CBrisvaneDlg::SwitchChairID(WORD viewSeat) const {
  if (viewSeat >= FRAME_CHAIR_COUNT) return INVALID_CHAIR;
  if (m_wMeChairID >= FRAME_CHAIR_COUNT) return viewSeat;
  return static_cast<WORD>((viewSeat + m_wMeChairID + FRAME_CHAIR_COUNT - 1) % FRAME_CHAIR_COUNT);
}

const tagUserData* CBrisvaneDlg::GetUserData(WORD chair) const {
  if (chair >= FRAME_CHAIR_COUNT || !m_userPresent[chair]) return nullptr;
  return &m_users[chair];
}

bool CBrisvaneDlg::SetGameTimer(WORD chair, UINT timerId, UINT seconds, const RECT* /*rect*/) {
  if (chair >= FRAME_CHAIR_COUNT || timerId == 0) return false;
  for (tagGameClock& clock : m_clocks) {
    if (clock.active && clock.timerId == timerId) clock = tagGameClock{};
  }
  const uint64_t now = GetTickCount64();
  m_clocks[chair] = tagGameClock{true, timerId, seconds, seconds == 0 ? now : now + 1000};
  return true;
}

bool CBrisvaneDlg::KillGameTimer(UINT timerId) {
  bool killed = false;
  for (tagGameClock& clock : m_clocks) {
    if (clock.active && (timerId == 0 || clock.timerId == timerId)) {
      clock = tagGameClock{};
      killed = true;
    }
  }
  return killed;
}

WORD CBrisvaneDlg::GetGameTimerSeconds(WORD chair) const {
  if (chair >= FRAME_CHAIR_COUNT || !m_clocks[chair].active) return 0;
  return static_cast<WORD>(m_clocks[chair].secondsLeft);
}

uint64_t CBrisvaneDlg::NextClockTickMs() const {
  uint64_t next = UINT64_MAX;
  for (const tagGameClock& clock : m_clocks) {
    if (clock.active && clock.nextTickMs < next) next = clock.nextTickMs;
  }
  return next;
}

int CBrisvaneDlg::StepClocks() {
  const uint64_t now = GetTickCount64();
  int delivered = 0;
  // Earliest tick first; a handler may start or kill clocks. Each pass delivers one tick, and
  // a clock has at most its seconds + 1 ticks, so the loop ends.
  for (int guard = 0; guard < 100000; ++guard) {
    int due = -1;
    for (int c = 0; c < FRAME_CHAIR_COUNT; ++c) {
      const tagGameClock& clock = m_clocks[c];
      if (clock.active && clock.nextTickMs <= now &&
          (due < 0 || clock.nextTickMs < m_clocks[due].nextTickMs))
        due = c;
    }
    if (due < 0) return delivered;
    tagGameClock& clock = m_clocks[due];
    if (clock.secondsLeft > 0) --clock.secondsLeft;
    clock.nextTickMs += 1000;
    const UINT id = clock.timerId;
    const UINT left = clock.secondsLeft;
    if (left == 0) clock = tagGameClock{};  // the last tick: the clock is done
    ++delivered;
    OnClockTick(static_cast<WORD>(due), left, id);
  }
  return delivered;
}

bool CBrisvaneDlg::SendData(WORD id, const void* data, WORD size) {
  if (m_pLink == nullptr || size > MAX_GAME_DATA_SIZE || (size > 0 && data == nullptr))
    return false;
  return m_pLink->SendGameData(id, data, size);
}

bool CBrisvaneDlg::SendData(WORD id) { return SendData(id, nullptr, 0); }

bool CBrisvaneDlg::SendUserReady(const void* data, WORD size) {
  if (m_pLink == nullptr || size > MAX_GAME_DATA_SIZE || (size > 0 && data == nullptr))
    return false;
  return m_pLink->SendUserReady(data, size);
}

bool CBrisvaneDlg::SendAllowLookon(bool allow) {
  return m_pLink != nullptr && m_pLink->SendAllowWatchers(allow);
}

bool CBrisvaneDlg::ChangeTable(WORD table) {
  if (m_pLink == nullptr || !m_pLink->SendChangeTable(table)) return false;
  // At another table the game starts as a new game window would: without the last game's
  // cards, banker or end panel, before the lobby's fresh scene arrives.
  ResetFreshTable();
  return true;
}

void CBrisvaneDlg::ResetFreshTable() {
  ResetGame();
  m_view.ResetTable();
}

void CBrisvaneDlg::ActiveGameFrame() { m_pHge->System_RaiseWindow(); }

IClientKernel* CBrisvaneDlg::GetClientKernel(const tagInterfaceID& iid, DWORD version) {
  if (!(iid == IID_IClientKernel) || (version >> 24) != (VER_IClientKernel >> 24)) return nullptr;
  return &m_kernel;
}

void CBrisvaneDlg::SetMatchPanel(int first, int second) {
  m_matchPanel[0] = first;
  m_matchPanel[1] = second;
}

void CBrisvaneDlg::GetMatchValues(DWORD* value, DWORD* kind, int* panelFirst,
                                  int* panelSecond) const {
  if (value) *value = m_matchValue;
  if (kind) *kind = m_matchKind;
  if (panelFirst) *panelFirst = m_matchPanel[0];
  if (panelSecond) *panelSecond = m_matchPanel[1];
}

bool CBrisvaneDlg::CreateFrame() {
  m_view.m_pFrameDlg = this;
  if (!CreateWnd()) return false;
  if (!m_view.CreateWnd()) return false;
  const int w = m_pHge->System_GetStateInt(HGE_SCREENWIDTH);
  const int h = m_pHge->System_GetStateInt(HGE_SCREENHEIGHT);
  CWnd::SetWindowPos(nullptr, 0, 0, w, h, 0);
  RectifyControl(w, h);
  m_view.PlaceFrameButtons(w, h);
  return true;
}

void CBrisvaneDlg::PollLink() {
  if (m_pLink) m_pLink->Poll(*this);
}

void CBrisvaneDlg::SwitchSound(bool on) {
  m_cbEnableSound = on ? 1 : 0;
  OnSoundSwitched();
}

void CBrisvaneDlg::OnLookonChanged(bool /*lookon*/, const void* /*data*/, WORD /*size*/) {}

void CBrisvaneDlg::RectifyControl(int width, int height) { m_view.ArrangeView(width, height); }

bool CBrisvaneDlg::OnFrameMessage(WORD /*id*/, const void* /*data*/, WORD /*size*/) {
  return false;
}

void CBrisvaneDlg::OnEventUserEnter(const tagUserData*, WORD, bool) {
  m_view.UpdateGameView(nullptr);
}
void CBrisvaneDlg::OnEventUserLeave(const tagUserData*, WORD, bool) {
  m_view.UpdateGameView(nullptr);
}
void CBrisvaneDlg::OnEventUserScore(const tagUserData*, WORD, bool) {
  m_view.UpdateGameView(nullptr);
}
void CBrisvaneDlg::OnEventUserStatus(const tagUserData*, WORD, bool) {
  m_view.UpdateGameView(nullptr);
}

BOOL CBrisvaneDlg::SetWindowPos(const CWnd* insertAfter, int x, int y, int cx, int cy, UINT flags) {
  if (cx > 0 && cy > 0) {
    m_pHge->System_SetStateInt(HGE_SCREENWIDTH, cx);
    m_pHge->System_SetStateInt(HGE_SCREENHEIGHT, cy);
    // What the engine could do is what counts.
    cx = m_pHge->System_GetStateInt(HGE_SCREENWIDTH);
    cy = m_pHge->System_GetStateInt(HGE_SCREENHEIGHT);
  }
  CWnd::SetWindowPos(insertAfter, x, y, cx, cy, flags);
  if (IsWindowCreated() && m_view.IsWindowCreated()) {
    RectifyControl(cx, cy);
    m_view.PlaceFrameButtons(cx, cy);
  }
  return TRUE;
}

void CBrisvaneDlg::CloseByWindow() {
  m_bClosingWindow = true;
  PostMessage(WM_CLOSE);
}

void CBrisvaneDlg::OnClose() {
  if (!m_bClosingWindow && m_pLink != nullptr && m_pLink->RejoinTable()) {
    ResetFreshTable();  // seated again
    return;
  }
  DestroyWindow();
  PostQuitMessage(0);
}

// ---- link events --------------------------------------------------------------------------

void CBrisvaneDlg::OnLinkSelf(WORD meChair, bool lookon, bool allowLookon) {
  ++m_linkDeliveries;
  const bool changed = m_bSelfKnown && (lookon != m_bLookonMode || allowLookon != m_bAllowLookon);
  m_wMeChairID = meChair < FRAME_CHAIR_COUNT ? meChair : INVALID_CHAIR;
  m_bLookonMode = lookon;
  m_bAllowLookon = allowLookon;
  m_bSelfKnown = true;
  if (changed) OnLookonChanged(lookon, nullptr, 0);
}

void CBrisvaneDlg::OnLinkServerAttribute(const tagServerAttribute& attribute) {
  ++m_linkDeliveries;
  m_serverAttribute = attribute;
}

void CBrisvaneDlg::OnLinkUserEnter(const tagUserData& user, WORD chair, bool lookon) {
  ++m_linkDeliveries;
  if (chair >= FRAME_CHAIR_COUNT) return;
  tagUserData copy = user;
  copy.szName[USER_NAME_SIZE - 1] = '\0';  // never trust the terminator of a record from outside
  if (!lookon) {
    m_users[chair] = copy;
    m_userPresent[chair] = true;
  }
  OnEventUserEnter(lookon ? &copy : &m_users[chair], chair, lookon);
}

void CBrisvaneDlg::OnLinkUserLeave(WORD chair, bool lookon) {
  ++m_linkDeliveries;
  if (chair >= FRAME_CHAIR_COUNT) return;
  tagUserData copy = m_users[chair];
  if (!lookon) {
    m_users[chair] = tagUserData{};
    m_userPresent[chair] = false;
  }
  OnEventUserLeave(&copy, chair, lookon);
}

void CBrisvaneDlg::OnLinkUserScore(const tagUserData& user, WORD chair, bool lookon) {
  ++m_linkDeliveries;
  if (chair >= FRAME_CHAIR_COUNT) return;
  tagUserData copy = user;
  copy.szName[USER_NAME_SIZE - 1] = '\0';
  if (!lookon && m_userPresent[chair]) m_users[chair] = copy;
  OnEventUserScore(lookon || !m_userPresent[chair] ? &copy : &m_users[chair], chair, lookon);
}

void CBrisvaneDlg::OnLinkUserStatus(const tagUserData& user, WORD chair, bool lookon) {
  ++m_linkDeliveries;
  if (chair >= FRAME_CHAIR_COUNT) return;
  tagUserData copy = user;
  copy.szName[USER_NAME_SIZE - 1] = '\0';
  if (!lookon && m_userPresent[chair]) m_users[chair] = copy;
  OnEventUserStatus(lookon || !m_userPresent[chair] ? &copy : &m_users[chair], chair, lookon);
}

void CBrisvaneDlg::OnLinkScene(BYTE status, bool lookon, const void* data, WORD size) {
  ++m_linkDeliveries;
  OnSceneRestore(status, lookon, data, size);
}

void CBrisvaneDlg::OnLinkGameMessage(WORD id, const void* data, WORD size) {
  ++m_linkDeliveries;
  OnServerMessage(id, data, size);
}

void CBrisvaneDlg::OnLinkClosed() {
  ++m_linkDeliveries;
  PostMessage(WM_CLOSE);
}
