#include "server/PlayCheck.h"

#include <cstring>

bool CheckPlay(const CGameLogic& logic, const uint8_t play[], uint8_t count, const tagTurn& turn,
               uint8_t sorted[], uint8_t resolved[], uint8_t& type) {
  if (count == 0 || count > MAX_CARDS || turn.count > MAX_CARDS) return false;
  uint8_t raw[MAX_CARDS];
  std::memcpy(raw, play, count);
  logic.SortCards(raw, count, SORT_BY_RANK);

  uint8_t display[MAX_CARDS];
  logic.ResolveJokers(raw, count, display, turn.resolved, turn.count);
  logic.SortCards(display, count, SORT_BY_RANK);
  const uint8_t displayType = logic.ClassifyPlay(display, count);
  if (displayType == PT_INVALID) return false;

  if (turn.count > 0) {
    const uint8_t turnType = logic.ClassifyPlay(turn.cards, turn.count);
    const bool beats = (turnType == PT_BOMB3_JOKER || turnType == PT_BOMB4_JOKER)
                           ? logic.CanBeat(turn.cards, raw, turn.count, count)
                           : logic.CanBeat(turn.resolved, display, turn.count, count);
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
