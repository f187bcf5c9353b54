// Helpers shared by the card-rule tests: card lists as vectors and as readable hex.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "rules/PlayMaker.h"

namespace cardtest {

using Cards = std::vector<uint8_t>;

inline uint8_t Count(const Cards& cards) { return static_cast<uint8_t>(cards.size()); }

// "4F 4E 05": failures compare these strings so a diff shows the card bytes.
inline std::string Hex(const uint8_t* cards, size_t count) {
  std::string text;
  char byte[4];
  for (size_t i = 0; i < count; ++i) {
    std::snprintf(byte, sizeof byte, i ? " %02X" : "%02X", cards[i]);
    text += byte;
  }
  return text;
}
inline std::string Hex(const Cards& cards) { return Hex(cards.data(), cards.size()); }

// "4F 4E 05" back to its bytes, so that tables read like the failures.
inline Cards FromHex(const char* text) {
  Cards cards;
  for (char* end = nullptr;; text = end) {
    const unsigned long byte = std::strtoul(text, &end, 16);
    if (end == text) return cards;
    cards.push_back(static_cast<uint8_t>(byte));
  }
}

}  // namespace cardtest
