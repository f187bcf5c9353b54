// The card byte, the deck and the fixed-size records every card list uses.
// Header-only and dependency-free: the protocol layer checks card bytes with it too.
#pragma once

#include <cstddef>
#include <cstdint>

// Capacity of every card list (hand, play, candidate, record array).
inline constexpr uint8_t MAX_CARDS = 27;
// Cards in the deck, the two jokers included.
inline constexpr uint8_t DECK_SIZE = 54;

// Hand display orders for CGameLogic::SortCards.
inline constexpr uint8_t SORT_BY_RANK = 0;    // jokers, 2s, As, Ks ... 3s
inline constexpr uint8_t SORT_BY_BLOCKS = 1;  // fours, threes, pairs, singles

// Play-type codes. Codes above PT_LIANDUI are bombs; a higher code is a stronger bomb.
inline constexpr uint8_t PT_INVALID = 0;
inline constexpr uint8_t PT_SINGLE = 1;
inline constexpr uint8_t PT_PAIR = 2;
inline constexpr uint8_t PT_SHUNZI = 3;        // straight of single cards, at least 3
inline constexpr uint8_t PT_LIANDUI = 4;       // consecutive pairs, at least 2 pairs
inline constexpr uint8_t PT_BOMB3_JOKER = 5;   // three of a value made up with jokers
inline constexpr uint8_t PT_BOMB3 = 6;         // three natural cards of a value
inline constexpr uint8_t PT_BOMB4_JOKER = 7;   // four of a value made up with jokers
inline constexpr uint8_t PT_BOMB4 = 8;         // four natural cards of a value
inline constexpr uint8_t PT_ROCKET = 9;        // big joker + small joker

// The factor a play of this type multiplies the game multiple by: three-card bombs 2,
// four-card bombs 4, the rocket 8, anything else 1.
constexpr uint16_t PlayTypeMultiple(uint8_t type) {
  switch (type) {
    case PT_BOMB3_JOKER:
    case PT_BOMB3:
      return 2;
    case PT_BOMB4_JOKER:
    case PT_BOMB4:
      return 4;
    case PT_ROCKET:
      return 8;
    default:
      return 1;
  }
}

// Card byte: colour in the high nibble (0x00..0x30 suits, 0x40 jokers), face value in the
// low nibble (1 = A .. 13 = K, 14 small joker, 15 big joker). 0 is no card.
inline constexpr uint8_t CARD_COLOUR_MASK = 0xF0;
inline constexpr uint8_t CARD_FACE_MASK = 0x0F;
inline constexpr uint8_t CARD_JOKER_COLOUR = 0x40;
inline constexpr uint8_t CARD_SMALL_JOKER = 0x4E;
inline constexpr uint8_t CARD_BIG_JOKER = 0x4F;

// The deck in its canonical order: A..K of each colour, then small and big joker.
inline constexpr uint8_t CARD_DECK[DECK_SIZE] = {
    0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0A, 0x0B, 0x0C, 0x0D,
    0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0x17, 0x18, 0x19, 0x1A, 0x1B, 0x1C, 0x1D,
    0x21, 0x22, 0x23, 0x24, 0x25, 0x26, 0x27, 0x28, 0x29, 0x2A, 0x2B, 0x2C, 0x2D,
    0x31, 0x32, 0x33, 0x34, 0x35, 0x36, 0x37, 0x38, 0x39, 0x3A, 0x3B, 0x3C, 0x3D,
    0x4E, 0x4F,
};

// True when the byte is one of the 54 cards of the deck.
constexpr bool IsValidCard(uint8_t card) {
  if (card == CARD_SMALL_JOKER || card == CARD_BIG_JOKER) return true;
  const uint8_t face = card & CARD_FACE_MASK;
  return (card & CARD_COLOUR_MASK) <= 0x30 && face >= 1 && face <= 13;
}

constexpr bool IsJokerCard(uint8_t card) { return (card & CARD_COLOUR_MASK) == CARD_JOKER_COLOUR; }

// Index of a card in CARD_DECK (colour index * 13 + face value - 1; the jokers 52 and 53), or -1
// for a byte that is no card.
constexpr int CardDeckIndex(uint8_t card) {
  if (!IsValidCard(card)) return -1;
  if (IsJokerCard(card)) return card == CARD_BIG_JOKER ? 53 : 52;
  return (card >> 4) * 13 + (card & CARD_FACE_MASK) - 1;
}

constexpr bool DeckIndexMatchesTheDeck() {
  for (int i = 0; i < DECK_SIZE; ++i) {
    if (CardDeckIndex(CARD_DECK[i]) != i) return false;
  }
  return true;
}
static_assert(DeckIndexMatchesTheDeck());

// Logic values, which order cards for every comparison: 3..K keep their face value, the Ace is
// above the K and the 2 above the Ace; the jokers rank above the 2; no card is 0.
inline constexpr uint8_t RANK_THREE = 3;
inline constexpr uint8_t RANK_KING = 13;
inline constexpr uint8_t RANK_ACE = 14;
inline constexpr uint8_t RANK_TWO = 15;
inline constexpr uint8_t RANK_SMALL_JOKER = 16;
inline constexpr uint8_t RANK_BIG_JOKER = 17;

// The logic value of a card byte (CGameLogic::GetCardRank): jokers face value + 2, A and 2 face
// value + 13, anything else its face value.
constexpr uint8_t CardRank(uint8_t card) {
  const uint8_t face = card & CARD_FACE_MASK;
  if (face == 0) return 0;
  if ((card & CARD_COLOUR_MASK) == CARD_JOKER_COLOUR) return static_cast<uint8_t>(face + 2);
  return face > 2 ? face : static_cast<uint8_t>(face + 13);
}
static_assert(CardRank(0x03) == RANK_THREE && CardRank(0x3D) == RANK_KING &&
              CardRank(0x21) == RANK_ACE && CardRank(0x12) == RANK_TWO &&
              CardRank(CARD_SMALL_JOKER) == RANK_SMALL_JOKER &&
              CardRank(CARD_BIG_JOKER) == RANK_BIG_JOKER);

// Result of SplitIntoBlocks: runs of equal logic value grouped by length.
// Block k of a group of size s occupies elements k*s .. k*s+s-1 of its array.
struct tagCardBlocks {
  uint8_t fourCount;
  uint8_t threeCount;
  uint8_t doubleCount;
  uint8_t singleCount;
  uint8_t fourCards[MAX_CARDS];
  uint8_t threeCards[MAX_CARDS];
  uint8_t doubleCards[MAX_CARDS];
  uint8_t singleCards[MAX_CARDS];
};

// Result of TallyCards. rows[face - 1][colour index] counts cards of that face and colour;
// rows[face - 1][5] counts all cards of that face. Aces are row 0, 2s row 1, the small
// joker row 13 and the big joker row 14 (colour index 4). The searches copy the Aces' row over
// row 13, where it stands for the Ace above the K.
inline constexpr size_t TALLY_ROWS = 15;
inline constexpr size_t TALLY_TOTAL = 5;
inline constexpr uint8_t TALLY_ACE_ROW = 0;
inline constexpr uint8_t TALLY_TWO_ROW = 1;
inline constexpr uint8_t TALLY_ACE_HIGH_ROW = 13;
struct tagCardTally {
  uint8_t cardCount;
  uint8_t rows[TALLY_ROWS][6];
};
static_assert(sizeof(tagCardTally) == 91);

// One play proposed by the search: count, then the cards.
struct tagPlayCandidate {
  uint8_t count;
  uint8_t cards[MAX_CARDS];
};
static_assert(sizeof(tagPlayCandidate) == 28);
