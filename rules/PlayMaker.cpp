// Random hands and plays of a chosen type.
#include "rules/PlayMaker.h"

#include <algorithm>
#include <array>

uint8_t NaturalCard(int rank, int colour) {
  const int face = rank >= RANK_ACE ? rank - 13 : rank;
  return static_cast<uint8_t>(colour * 16 + face);
}

std::vector<uint8_t> CPlayMaker::Hand(int count) {
  std::vector<uint8_t> deck(CARD_DECK, CARD_DECK + DECK_SIZE);
  std::shuffle(deck.begin(), deck.end(), m_rng);
  deck.resize(static_cast<size_t>(std::clamp(count, 0, int{DECK_SIZE})));
  return deck;
}

std::vector<uint8_t> CPlayMaker::Make(uint8_t type) {
  std::vector<uint8_t> play;
  switch (type) {
    case PT_SINGLE:
      play = {NaturalCard(Between(RANK_THREE, RANK_TWO), Between(0, 3))};
      break;
    case PT_PAIR:
      if (Between(0, 3) == 0) {
        play = {AnyJoker(), NaturalCard(Between(RANK_THREE, RANK_TWO), Between(0, 3))};
      } else {
        play = SameValue(Between(RANK_THREE, RANK_TWO), 2);
      }
      break;
    case PT_SHUNZI: {
      const int length = Between(3, 12);
      const int top = Between(2 + length, RANK_ACE);
      for (int k = 0; k < length; ++k) play.push_back(NaturalCard(top - k, Between(0, 3)));
      break;
    }
    case PT_LIANDUI: {
      const int pairs = Between(2, 12);
      const int top = Between(2 + pairs, RANK_ACE);
      for (int k = 0; k < pairs; ++k) {
        const std::vector<uint8_t> pair = SameValue(top - k, 2);
        play.insert(play.end(), pair.begin(), pair.end());
      }
      break;
    }
    case PT_BOMB3_JOKER:
    case PT_BOMB4_JOKER: {
      const int size = type == PT_BOMB3_JOKER ? 3 : 4;
      const int jokers = Between(1, 2);
      play = SameValue(Between(RANK_THREE, RANK_TWO), size - jokers);
      if (jokers == 2) {
        play.push_back(CARD_BIG_JOKER);
        play.push_back(CARD_SMALL_JOKER);
      } else {
        play.push_back(AnyJoker());
      }
      break;
    }
    case PT_BOMB3:
      play = SameValue(Between(RANK_THREE, RANK_TWO), 3);
      break;
    case PT_BOMB4:
      play = SameValue(Between(RANK_THREE, RANK_TWO), 4);
      break;
    case PT_ROCKET:
      play = {CARD_SMALL_JOKER, CARD_BIG_JOKER};
      break;
    default:
      break;
  }
  std::shuffle(play.begin(), play.end(), m_rng);
  return play;
}

// `count` cards of one value in distinct colours.
std::vector<uint8_t> CPlayMaker::SameValue(int rank, int count) {
  std::array<int, 4> colours = {0, 1, 2, 3};
  std::shuffle(colours.begin(), colours.end(), m_rng);
  std::vector<uint8_t> cards;
  for (int i = 0; i < count; ++i) cards.push_back(NaturalCard(rank, colours[i]));
  return cards;
}
