// The frame's clocks and the dialog's own timers that act for the player.
#include "client/GameClientDlg.h"

// The clocks run on every chair; what the client does when they tick comes with auto-play.
bool CGameClientDlg::OnClockTick(WORD /*chair*/, UINT /*secondsLeft*/, UINT /*timerId*/) {
  return false;
}
