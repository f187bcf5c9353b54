#include "server/TableAudit.h"

#include <cstring>

namespace {

bool SameCards(const uint8_t* a, const uint8_t* b, uint8_t count) {
  return std::memcmp(a, b, count) == 0;
}

}  // namespace

void CTableAudit::OnMessage(uint16_t chair, uint16_t id, const uint8_t* data, size_t size) {
  if (m_table == nullptr) return;
  ++m_messages;
  if (chair >= SEAT_COUNT) {
    Violation("a message for a chair that does not exist");
    return;
  }
  tagServerMessage decoded;
  if (!DecodeServerMessage(id, data, size, chair, decoded)) {
    Violation("a record of id " + std::to_string(id) + " does not decode");
    return;
  }
  CChairView& view = m_views[chair];
  if (!view.ApplyMessage(id, data, size)) Violation("the view refused a record");
  CheckCards();
  CheckView(view, "view of chair " + std::to_string(chair));
  if (id == SRV_DEAL) m_restored[chair] = false;
  // A view that came back through a scene never saw the plays before it.
  if (!m_restored[chair]) {
    uint64_t played = 0;
    for (uint8_t i = 0; i < m_table->PlayedCount(); ++i) {
      played |= uint64_t{1} << CardDeckIndex(m_table->Played()[i]);
    }
    if (view.PlayedMask() != played)
      Violation("view of chair " + std::to_string(chair) + ": played cards differ");
  }
  CheckScene(chair, view);
}

void CTableAudit::OnScene(uint16_t chair, uint8_t status, const uint8_t* data, size_t size) {
  if (m_table == nullptr || chair >= SEAT_COUNT) return;
  CChairView restored(chair);
  if (!restored.ApplyScene(status, data, size)) {
    Violation("a scene does not decode");
    return;
  }
  m_views[chair] = restored;
  m_restored[chair] = true;
  if (restored.Phase() == ViewPhase::Playing) {
    CheckView(restored, "returning chair " + std::to_string(chair));
  }
}

void CTableAudit::Violation(const std::string& what) {
  if (m_violations++ == 0) {
    m_firstViolation = what + " (game " + std::to_string(m_table->GamesPlayed()) + ", message " +
                       std::to_string(m_messages) + ")";
  }
}

// Every card of the deck is in exactly one hand, the pile or the played cards.
void CTableAudit::CheckCards() {
  if (m_table == nullptr) return;
  if (m_table->Phase() == TablePhase::Free && m_table->GamesPlayed() == 0) return;
  if (!m_table->HoldsEveryCardOnce()) Violation("the 54 cards are not all there exactly once");
}

void CTableAudit::CheckView(const CChairView& view, const std::string& who) {
  const CTable& table = *m_table;
  const uint16_t me = view.Me();
  if (view.HandCount() != table.HandCount(me) ||
      !SameCards(view.Hand(), table.Hand(me), view.HandCount())) {
    Violation(who + ": hand differs");
  }
  for (uint16_t c = 0; c < SEAT_COUNT; ++c) {
    if (view.CardCount(c) != table.HandCount(c)) Violation(who + ": card count differs");
    if (view.Trustee(c) != table.Trustee(c)) Violation(who + ": trustee flag differs");
  }
  if (view.Current() != table.Current()) Violation(who + ": current chair differs");
  if (view.Phase() == ViewPhase::Playing) {
    if (view.Pile() != table.PileCount()) Violation(who + ": pile differs");
    if (view.SingleJokerRule() != table.SingleJokerRule()) {
      Violation(who + ": single-joker rule differs");
    }
    if (view.Banker() != table.Banker()) Violation(who + ": banker differs");
  }
  const tagTurn& a = view.Turn();
  const tagTurn& b = table.Turn();
  if (a.count != b.count || !SameCards(a.cards, b.cards, a.count) ||
      !SameCards(a.resolved, b.resolved, a.count) ||
      (a.count > 0 && view.TurnChair() != table.TurnChair())) {
    Violation(who + ": play to beat differs");
  }
}

void CTableAudit::CheckScene(uint16_t chair, const CChairView& live) {
  if (m_table->Phase() == TablePhase::Free) return;
  uint8_t status = 0;
  uint8_t buffer[sizeof(tagScenePlaying)];
  size_t size = 0;
  if (!m_table->BuildScene(chair, status, buffer, sizeof(buffer), size)) {
    Violation("no scene could be built");
    return;
  }
  CChairView restored(chair);
  if (!restored.ApplyScene(status, buffer, size)) {
    Violation("the scene does not decode");
    return;
  }
  if (live.Phase() != ViewPhase::Playing) return;  // a deal carries no pile yet
  CheckView(restored, "scene of chair " + std::to_string(chair));
  if (restored.Multiple() != live.Multiple()) Violation("scene: multiple differs");
}
