#include "platform/win/WinMessage.h"

#include <algorithm>

#include "platform/win/WinTime.h"

CWnd::~CWnd() { CMessageQueue::Instance().Forget(this); }

BOOL CWnd::CreateWnd() {
  if (m_created) return TRUE;
  m_created = true;
  if (SendMessage(WM_CREATE) == -1) {
    m_created = false;
    CMessageQueue::Instance().Forget(this);
    return FALSE;
  }
  return TRUE;
}

BOOL CWnd::DestroyWindow() {
  if (!m_created) return FALSE;
  SendMessage(WM_DESTROY);
  m_created = false;
  CMessageQueue::Instance().Forget(this);
  return TRUE;
}

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  return WindowProc(message, wParam, lParam);
}

BOOL CWnd::PostMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  return CMessageQueue::Instance().Post(this, message, wParam, lParam);
}

UINT_PTR CWnd::SetTimer(UINT_PTR id, UINT elapseMs, void* /*unusedTimerProc*/) {
  return CMessageQueue::Instance().SetTimer(this, id, elapseMs);
}

BOOL CWnd::KillTimer(UINT_PTR id) { return CMessageQueue::Instance().KillTimer(this, id); }

BOOL CWnd::SetWindowText(LPCSTR text) {
  m_text = text ? text : "";
  return TRUE;
}

HICON CWnd::SetIcon(HICON icon, BOOL big) {
  HICON& slot = m_icons[big ? 1 : 0];
  HICON previous = slot;
  slot = icon;
  return previous;
}

BOOL CWnd::SetWindowPos(const CWnd* /*insertAfter*/, int x, int y, int cx, int cy, UINT /*flags*/) {
  m_rect = RECT{x, y, x + cx, y + cy};
  return TRUE;
}

void CWnd::GetClientRect(RECT* rect) const {
  if (rect) *rect = RECT{0, 0, m_rect.right - m_rect.left, m_rect.bottom - m_rect.top};
}

void CWnd::GetWindowRect(RECT* rect) const {
  if (rect) *rect = m_rect;
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  const UINT flags = static_cast<UINT>(wParam);
  const int x = GET_X_LPARAM(lParam);
  const int y = GET_Y_LPARAM(lParam);
  switch (message) {
    case WM_CREATE:
      return OnCreate();
    case WM_DESTROY:
      OnDestroy();
      return 0;
    case WM_CLOSE:
      OnClose();
      return 0;
    case WM_TIMER:
      OnTimer(wParam);
      return 0;
    case WM_SIZE:
      OnSize(flags, x & 0xFFFF, (lParam >> 16) & 0xFFFF);
      return 0;
    case WM_MOUSEMOVE:
      OnMouseMove(flags, x, y);
      return 0;
    case WM_LBUTTONDOWN:
      OnLButtonDown(flags, x, y);
      return 0;
    case WM_LBUTTONUP:
      OnLButtonUp(flags, x, y);
      return 0;
    case WM_LBUTTONDBLCLK:
      OnLButtonDblClk(flags, x, y);
      return 0;
    case WM_RBUTTONDOWN:
      OnRButtonDown(flags, x, y);
      return 0;
    case WM_RBUTTONUP:
      OnRButtonUp(flags, x, y);
      return 0;
    default:
      return 0;
  }
}

CMessageQueue& CMessageQueue::Instance() {
  static CMessageQueue queue;
  return queue;
}

BOOL CMessageQueue::Post(CWnd* wnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (wnd == nullptr || m_count >= kQueueCapacity) return FALSE;
  m_queue[(m_head + m_count) % kQueueCapacity] = tagQueuedMessage{wnd, message, wParam, lParam};
  ++m_count;
  return TRUE;
}

UINT_PTR CMessageQueue::SetTimer(CWnd* wnd, UINT_PTR id, UINT elapseMs) {
  if (wnd == nullptr || id == 0) return 0;
  tagTimer* slot = nullptr;
  for (tagTimer& t : m_timers) {
    if (t.wnd == wnd && t.id == id) {
      slot = &t;
      break;
    }
  }
  if (slot == nullptr) {
    for (tagTimer& t : m_timers) {
      if (t.wnd == nullptr) {
        slot = &t;
        break;
      }
    }
  }
  if (slot == nullptr) return 0;
  const UINT period = elapseMs == 0 ? 1 : elapseMs;  // Windows raises tiny periods too
  *slot = tagTimer{wnd, id, period, GetTickCount64() + period, m_nextSerial++};
  return id;
}

BOOL CMessageQueue::KillTimer(CWnd* wnd, UINT_PTR id) {
  for (tagTimer& t : m_timers) {
    if (t.wnd == wnd && t.id == id && wnd != nullptr) {
      t = tagTimer{};
      return TRUE;
    }
  }
  return FALSE;
}

void CMessageQueue::Forget(CWnd* wnd) {
  for (int i = 0; i < m_count; ++i) {
    tagQueuedMessage& m = m_queue[(m_head + i) % kQueueCapacity];
    if (m.wnd == wnd) m.wnd = nullptr;  // skipped when its turn comes
  }
  for (tagTimer& t : m_timers) {
    if (t.wnd == wnd) t = tagTimer{};
  }
}

int CMessageQueue::Pump() {
  int delivered = 0;
  const int queued = m_count;
  for (int i = 0; i < queued && m_count > 0; ++i) {
    const tagQueuedMessage m = m_queue[m_head];
    m_head = (m_head + 1) % kQueueCapacity;
    --m_count;
    if (m.wnd != nullptr) {
      m.wnd->SendMessage(m.message, m.wParam, m.lParam);
      ++delivered;
    }
  }

  // Timers due now, earliest first; a handler may kill or reset any timer meanwhile.
  const uint64_t now = GetTickCount64();
  struct Due {
    int slot;
    uint64_t serial;
    uint64_t dueMs;
  } due[kTimerCapacity];
  int dueCount = 0;
  for (int i = 0; i < kTimerCapacity; ++i) {
    if (m_timers[i].wnd != nullptr && m_timers[i].dueMs <= now)
      due[dueCount++] = Due{i, m_timers[i].serial, m_timers[i].dueMs};
  }
  std::sort(due, due + dueCount, [](const Due& a, const Due& b) {
    return a.dueMs != b.dueMs ? a.dueMs < b.dueMs : a.serial < b.serial;
  });
  for (int k = 0; k < dueCount; ++k) {
    tagTimer& t = m_timers[due[k].slot];
    if (t.wnd == nullptr || t.serial != due[k].serial) continue;  // killed or reset meanwhile
    t.dueMs += t.periodMs;
    if (t.dueMs <= now) t.dueMs = now + t.periodMs;  // merge missed firings
    CWnd* wnd = t.wnd;
    const UINT_PTR id = t.id;
    wnd->SendMessage(WM_TIMER, id, 0);
    ++delivered;
  }
  return delivered;
}

int CMessageQueue::ActiveTimers() const {
  int n = 0;
  for (const tagTimer& t : m_timers) n += t.wnd != nullptr ? 1 : 0;
  return n;
}

int64_t CMessageQueue::MsUntilNextTimer() const {
  const uint64_t now = GetTickCount64();
  int64_t best = -1;
  for (const tagTimer& t : m_timers) {
    if (t.wnd == nullptr) continue;
    const int64_t wait = t.dueMs <= now ? 0 : static_cast<int64_t>(t.dueMs - now);
    if (best < 0 || wait < best) best = wait;
  }
  return best;
}

void CMessageQueue::PostQuit(int exitCode) {
  m_quit = true;
  m_quitCode = exitCode;
}

void PostQuitMessage(int exitCode) { CMessageQueue::Instance().PostQuit(exitCode); }
