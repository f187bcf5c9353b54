// The frame's clocks: the turn clock with its warning ticks and auto-play, the ready clock that
// closes the window, the auto-play clock.
#include "client/GameClientDlg.h"
#include "widgets/MyCButtonEx.h"

bool CGameClientDlg::OnClockTick(WORD chair, UINT secondsLeft, UINT timerId) {
  CGameClientView& view = m_GameClientView;
  const bool mine = IsMe(chair) && !IsWatching();
  const bool warn = secondsLeft <= CLOCK_WARNING_SECONDS && mine;
  switch (timerId) {
    case TIMER_PLAY_CLOCK:
      if (secondsLeft == 0 && chair < SEAT_COUNT && m_state.clockExpiries[chair] < 255)
        ++m_state.clockExpiries[chair];
      if (warn) PlaySound(view.m_sndClock);
      // Auto-play acts from 14 seconds left, anybody else only when the clock runs out.
      if (secondsLeft != 0 && (!m_state.autoPlay || secondsLeft > AUTO_PLAY_ACT_SECONDS))
        return true;
      if (!IsMe(chair)) return true;
      if (!IsWatching() && !m_state.autoPlay) {
        // The local clock ran out with auto-play off: auto-play takes over at this first
        // expiry and the client plays at once below; with auto-play already on (a second
        // expiry) the client only tries its move again.
        ShowAutoPlayButtons(true);
        m_state.autoPlay = true;
        SendAutoPlay(true, false);
      }
      if (!view.m_btChildStart) return true;
      if (view.m_btChildStart->isVisible()) {
        OnStart();
      } else {
        if (m_state.hintIndex > 0) --m_state.hintIndex;
        if (GetGameServerType() == SERVER_TYPE_MATCH) {
          MatchAutoPlay();
        } else {
          OnHint();
          OnPlay(0);
        }
      }
      return true;
    case TIMER_READY_CLOCK:
      if (secondsLeft != 0) {
        if (warn) PlaySound(view.m_sndClock);
        return true;
      }
      if (mine) {
        // Not ready in time: the client leaves the table.
        KillGameTimer(TIMER_READY_CLOCK);
        PostMessage(WM_CLOSE);
      }
      return false;
    case TIMER_AUTO_CLOCK:
      if (secondsLeft != 0) {
        if (warn) PlaySound(view.m_sndClock);
        return true;
      }
      if (mine) {
        ShowButton(view.m_btAutoPlayOn.get(), true, false);
        ShowButton(view.m_btAutoPlayOff.get(), true, true);
      }
      return false;
    default:
      return false;
  }
}
