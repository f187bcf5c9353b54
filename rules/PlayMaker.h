// Random card lists for the benchmarks and the tests of the rules: hands drawn from the deck and
// plays of a chosen type, built from what the type is (so their type is known without asking
// the rules that are being measured or checked). The same seed gives the same lists.
#pragma once

#include <cstdint>
#include <random>
#include <vector>

#include "rules/Cards.h"

// The natural card of a logic value 3..15 (14 = A, 15 = 2) and a colour index 0..3.
uint8_t NaturalCard(int rank, int colour);

class CPlayMaker {
 public:
  explicit CPlayMaker(uint32_t seed) : m_rng(seed) {}

  std::mt19937& Rng() { return m_rng; }
  // A number from lo to hi, both included.
  int Between(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(m_rng); }
  uint8_t AnyJoker() { return Between(0, 1) ? CARD_BIG_JOKER : CARD_SMALL_JOKER; }

  // `count` (at most DECK_SIZE) distinct cards of the deck, in random order.
  std::vector<uint8_t> Hand(int count);
  // A play of `type` (PT_SINGLE .. PT_ROCKET) in random order; empty for any other type.
  std::vector<uint8_t> Make(uint8_t type);

 private:
  std::vector<uint8_t> SameValue(int rank, int count);

  std::mt19937 m_rng;
};
