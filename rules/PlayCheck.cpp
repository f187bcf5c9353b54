// The legal-play check and the hint's choice of the play to search against.
#include "rules/PlayCheck.h"

namespace {

// A copy of `count` cards sorted by rank, as classification and comparison read them.
void SortedCopy(const CGameLogic& logic, const uint8_t cards[], uint8_t count, uint8_t out[]) {
  std::memcpy(out, cards, count);
  logic.SortCards(out, count, SORT_BY_RANK);
}

}  // namespace

bool CheckPlay(const CGameLogic& logic, const uint8_t play[], uint8_t count, const tagTurn& turn,
               uint8_t sorted[], uint8_t resolved[], uint8_t& type) {
  if (count == 0 || count > MAX_CARDS || turn.count > MAX_CARDS) return false;
  uint8_t raw[MAX_CARDS];
  SortedCopy(logic, play, count, raw);

  // Jokers stand for the cards that continue the table's display form (ResolveJokers sorts
  // the turn it is given).
  uint8_t display[MAX_CARDS];
  logic.ResolveJokers(raw, count, display, turn.resolved, turn.count);
  logic.SortCards(display, count, SORT_BY_RANK);
  const uint8_t displayType = logic.ClassifyPlay(display, count);
  if (displayType == PT_INVALID) return false;

  if (turn.count > 0) {
    uint8_t turnRaw[MAX_CARDS];
    SortedCopy(logic, turn.cards, turn.count, turnRaw);
    const uint8_t turnType = logic.ClassifyPlay(turnRaw, turn.count);
    bool beats = false;
    if (turnType == PT_BOMB3_JOKER || turnType == PT_BOMB4_JOKER) {
      // A joker bomb shows as a natural bomb; it is beaten as the jokers it holds.
      beats = logic.CanBeat(turnRaw, raw, turn.count, count);
    } else {
      uint8_t turnDisplay[MAX_CARDS];
      SortedCopy(logic, turn.resolved, turn.count, turnDisplay);
      beats = logic.CanBeat(turnDisplay, display, turn.count, count);
    }
    if (!beats) return false;
  }
  std::memcpy(sorted, raw, count);
  std::memcpy(resolved, display, count);
  type = displayType;
  return true;
}

bool IsLegalPlay(const CGameLogic& logic, const uint8_t play[], uint8_t count,
                 const tagTurn& turn) {
  uint8_t sorted[MAX_CARDS];
  uint8_t resolved[MAX_CARDS];
  uint8_t type = PT_INVALID;
  return CheckPlay(logic, play, count, turn, sorted, resolved, type);
}

const uint8_t* HintReference(const CGameLogic& logic, const tagTurn& turn) {
  if (turn.count == 0 || turn.count > MAX_CARDS) return turn.cards;
  uint8_t display[MAX_CARDS];
  SortedCopy(logic, turn.resolved, turn.count, display);
  const uint8_t type = logic.ClassifyPlay(display, turn.count);
  if (type != PT_SHUNZI && type != PT_LIANDUI) return turn.cards;
  uint8_t raw[MAX_CARDS];
  SortedCopy(logic, turn.cards, turn.count, raw);
  return IsJokerCard(raw[0]) ? turn.resolved : turn.cards;
}
