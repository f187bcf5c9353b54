// Input: the table's buttons as window messages to the dialog, the mouse on the table, the card
// controls' messages passed on to the dialog (the selection with its hit sound), the view timer
// that puts the rocket's burst away, and the listeners of moving sprites and animations.
#include "cardcontrol/CardControl.h"
#include "motion/Animation_Varnel.h"
#include "platform/frame/BrisvaneDlg.h"
#include "view/GameClientView.h"
#include "widgets/MyCButtonEx.h"
#include "widgets/ScoreView.h"

namespace {

// The burst stays on its last frame this long before it goes.
constexpr UINT kBurstLingerMs = 1000;

void SetButton(gcn::MyCButtonEx* button, bool visible, bool enabled) {
  if (button == nullptr) return;
  button->setVisible(visible);
  button->setEnabled(enabled);
}

}  // namespace

// The dialog is the one the view was created by (the frame's CreateFrame hands it over).
void CGameClientView::SendToDialog(UINT message, WPARAM wParam, LPARAM lParam) {
  if (CWnd* dialog = GetFrameDlg()) dialog->SendMessage(message, wParam, lParam);
}

void CGameClientView::SwitchAutoPlayOff() {
  SetButton(m_btAutoPlayOn.get(), true, true);
  SetButton(m_btAutoPlayOff.get(), false, false);
  SendToDialog(MSG_AUTO_PLAY, 0, 0);
}

void CGameClientView::action(const gcn::ActionEvent& event) {
  const gcn::Widget* source = event.getSource();
  if (source == nullptr) return;
  if (source == m_btChildStart.get()) {
    if (m_pScoreView) m_pScoreView->Show(false);
    SendToDialog(MSG_START, 0, 0);
  } else if (source == m_btOutCard.get()) {
    SendToDialog(MSG_PLAY, 1, 1);
  } else if (source == m_btPassCard.get()) {
    SendToDialog(MSG_PASS, 1, 1);
  } else if (source == m_btAutoOutCard.get()) {
    SendToDialog(MSG_HINT, 0, 0);
  } else if (source == m_btAutoPlayOn.get()) {
    // The on button stays in place, greyed, under the off button.
    SetButton(m_btAutoPlayOn.get(), true, false);
    SetButton(m_btAutoPlayOff.get(), true, true);
    SendToDialog(MSG_AUTO_PLAY, 1, 1);
  } else if (source == m_btAutoPlayOff.get()) {
    SwitchAutoPlayOff();
  } else if (source == m_btSortCard.get()) {
    SendToDialog(MSG_SORT, 0, 0);
  } else if (source == m_btTurn.get()) {
    SendToDialog(MSG_LAST_TURN, 0, 0);
  } else if (source == m_pbtDetails.get()) {
    if (m_pScoreView) m_pScoreView->SetDetail(!m_pScoreView->IsDetail());
  } else if (source == m_pbtChangeTable.get()) {
    SendToDialog(MSG_CHANGE_TABLE, 1, 1);
  }
}

LRESULT CGameClientView::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case MSG_SELECTION_CHANGED:
      if (m_hSoundHit != 0 && IsSoundOn()) PlayEffect(m_hSoundHit);
      SendToDialog(MSG_SELECTION_CHANGED, 0, 0);
      return 0;
    case MSG_CARD_CLICK:
    case MSG_CARD_PRESS:
      // Sent by a card control while the press is handled: on to the dialog at once.
      SendToDialog(message, wParam, lParam);
      return 0;
    default:
      return CBrisvaneView2D::WindowProc(message, wParam, lParam);
  }
}

void CGameClientView::OnTimer(UINT_PTR id) {
  if (id == TIMER_VIEW_ROCKET) {
    KillTimer(TIMER_VIEW_ROCKET);
    if (m_pAniRocket2) {
      m_pAniRocket2->SetHideOnEnd(true);
      m_pAniRocket2->SetShow(false);
    }
  }
  UpdateGameView(nullptr);
}

void CGameClientView::OnLButtonDblClk(UINT /*flags*/, int /*x*/, int /*y*/) {
  if (m_btAutoPlayOff && m_btAutoPlayOff->isVisible()) SwitchAutoPlayOff();
  if (m_btOutCard) m_btOutCard->setEnabled(false);
  // A double click on the table drops the whole selection of the own hand.
  if (m_pHandCard[1]) m_pHandCard[1]->RaiseAll(0);
}

void CGameClientView::OnRButtonDown(UINT /*flags*/, int /*x*/, int /*y*/) {
  SendToDialog(MSG_PLAY_RAISED, 0, 0);
}

void CGameClientView::OnMoveFinished(int id) {
  // Flying cards have landed: their seat's play shows.
  if (m_wOutCardChair < VIEW_SEAT_COUNT && m_pOutCard[m_wOutCardChair])
    m_pOutCard[m_wOutCardChair]->setVisible(true);
  if (id == MOTION_ID_ROCKET && m_pAniRocket2) m_pAniRocket2->Play();
}

void CGameClientView::OnAnimationFinished(int id) {
  // Only the burst reports here: it stays on its last frame, and timer 166 puts it away.
  if (id != ANI_ID_ROCKET_BURST || !m_pAniRocket2) return;
  m_pAniRocket2->SetHideOnEnd(false);
  SetTimer(TIMER_VIEW_ROCKET, kBurstLingerMs);
}
