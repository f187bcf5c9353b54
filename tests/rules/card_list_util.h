// Helpers shared by the card-rule tests: card lists as vectors, readable hex, and random
// plays of a chosen type drawn from the deck.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "rules/Cards.h"

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

// Natural card of a logic value 3..15 (14 = A, 15 = 2) and a colour index 0..3.
inline uint8_t Natural(int logic, int colour) {
  const int face = logic >= 14 ? logic - 13 : logic;
  return static_cast<uint8_t>(colour * 16 + face);
}

// Random plays whose type is known by construction, shuffled (callers sort).
class PlayMaker {
 public:
  explicit PlayMaker(uint32_t seed) : rng_(seed) {}

  std::mt19937& Rng() { return rng_; }
  int Between(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }
  uint8_t AnyJoker() { return Between(0, 1) ? CARD_BIG_JOKER : CARD_SMALL_JOKER; }

  // Random hand of `count` distinct cards of the deck.
  Cards Hand(int count) {
    Cards deck(CARD_DECK, CARD_DECK + DECK_SIZE);
    std::shuffle(deck.begin(), deck.end(), rng_);
    deck.resize(count);
    return deck;
  }

  Cards Make(uint8_t type) {
    Cards play;
    switch (type) {
      case PT_SINGLE:
        play = {Natural(Between(3, 15), Between(0, 3))};
        break;
      case PT_PAIR:
        if (Between(0, 3) == 0) {
          play = {AnyJoker(), Natural(Between(3, 15), Between(0, 3))};
        } else {
          play = SameValue(Between(3, 15), 2);
        }
        break;
      case PT_SHUNZI: {
        const int length = Between(3, 12);
        const int top = Between(2 + length, 14);
        for (int k = 0; k < length; ++k) play.push_back(Natural(top - k, Between(0, 3)));
        break;
      }
      case PT_LIANDUI: {
        const int pairs = Between(2, 12);
        const int top = Between(2 + pairs, 14);
        for (int k = 0; k < pairs; ++k) {
          const Cards pair = SameValue(top - k, 2);
          play.insert(play.end(), pair.begin(), pair.end());
        }
        break;
      }
      case PT_BOMB3_JOKER:
      case PT_BOMB4_JOKER: {
        const int size = type == PT_BOMB3_JOKER ? 3 : 4;
        const int jokers = Between(1, 2);
        play = SameValue(Between(3, 15), size - jokers);
        if (jokers == 2) {
          play.push_back(CARD_BIG_JOKER);
          play.push_back(CARD_SMALL_JOKER);
        } else {
          play.push_back(AnyJoker());
        }
        break;
      }
      case PT_BOMB3:
        play = SameValue(Between(3, 15), 3);
        break;
      case PT_BOMB4:
        play = SameValue(Between(3, 15), 4);
        break;
      case PT_ROCKET:
        play = {CARD_SMALL_JOKER, CARD_BIG_JOKER};
        break;
      default:
        break;
    }
    std::shuffle(play.begin(), play.end(), rng_);
    return play;
  }

 private:
  Cards SameValue(int logic, int count) {
    std::array<int, 4> colours = {0, 1, 2, 3};
    std::shuffle(colours.begin(), colours.end(), rng_);
    Cards cards;
    for (int i = 0; i < count; ++i) cards.push_back(Natural(logic, colours[i]));
    return cards;
  }

  std::mt19937 rng_;
};

}  // namespace cardtest
