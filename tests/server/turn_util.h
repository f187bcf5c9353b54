// The play to beat of the server tests, made from card lists.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

#include "server/PlayCheck.h"

namespace servertest {

// raw: the cards as played; display: the form with jokers replaced (both sorted by rank).
inline tagTurn MakeTurn(const std::vector<uint8_t>& raw, const std::vector<uint8_t>& display) {
  tagTurn turn{};
  turn.count = static_cast<uint8_t>(raw.size());
  std::copy(raw.begin(), raw.end(), turn.cards);
  std::copy(display.begin(), display.end(), turn.resolved);
  return turn;
}

}  // namespace servertest
