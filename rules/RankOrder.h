// Rank order as bit positions, for the rules' sort and searches (internal to rules/). Each of the
// 54 cards has a slot, lowest first: (logic value - 3) * 4 + colour index for the natural cards
// (0..51), 52 the small joker, 53 the big joker. A set of distinct cards is then a 64-bit mask
// whose bits, read from the top, are the cards in SortCards' rank order (descending value,
// equal values by the larger byte first, which is the larger colour).
#pragma once

#include <bit>
#include <cstdint>

#include "rules/Cards.h"

inline constexpr uint8_t NO_SLOT = 0xFF;
inline constexpr uint8_t SLOT_SMALL_JOKER = 52;
inline constexpr uint8_t SLOT_BIG_JOKER = 53;
inline constexpr uint64_t SLOT_JOKERS =
    (uint64_t{1} << SLOT_SMALL_JOKER) | (uint64_t{1} << SLOT_BIG_JOKER);

struct tagSlotTables {
  uint8_t slotOf[256];  // NO_SLOT for a byte that is no card
  uint8_t cardOf[DECK_SIZE];
};

constexpr tagSlotTables MakeSlotTables() {
  tagSlotTables t{};
  for (int b = 0; b < 256; ++b) t.slotOf[b] = NO_SLOT;
  for (uint8_t card : CARD_DECK) {
    uint8_t slot = SLOT_BIG_JOKER;
    if (card == CARD_SMALL_JOKER) {
      slot = SLOT_SMALL_JOKER;
    } else if (card != CARD_BIG_JOKER) {
      slot = static_cast<uint8_t>((CardRank(card) - RANK_THREE) * 4 + (card >> 4));
    }
    t.slotOf[card] = slot;
    t.cardOf[slot] = card;
  }
  return t;
}

inline constexpr tagSlotTables SLOT_TABLES = MakeSlotTables();

constexpr uint8_t CardSlot(uint8_t card) { return SLOT_TABLES.slotOf[card]; }
constexpr uint8_t SlotCard(uint8_t slot) { return SLOT_TABLES.cardOf[slot]; }
constexpr uint64_t SlotBit(uint8_t slot) { return uint64_t{1} << slot; }
// Bits set in a 32-bit mask. std::popcount becomes a library call on a machine the compiler may
// not assume has the instruction; this is a handful of operations.
constexpr int BitCount(uint32_t x) {
  x = x - ((x >> 1) & 0x55555555u);
  x = (x & 0x33333333u) + ((x >> 2) & 0x33333333u);
  x = (x + (x >> 4)) & 0x0F0F0F0Fu;
  return static_cast<int>((x * 0x01010101u) >> 24);
}
static_assert(BitCount(0) == 0 && BitCount(0xFFFFFFFFu) == 32 && BitCount(0x8001u) == 2);

// The highest slot of a mask that is not empty.
constexpr uint8_t TopSlot(uint64_t slots) {
  return static_cast<uint8_t>(63 - std::countl_zero(slots));
}

// Every slot of the deck, and the order it stands for: each card's slot gives it back, and a
// higher slot is a card SortCards puts first.
constexpr bool SlotsFollowRankOrder() {
  for (uint8_t slot = 0; slot < DECK_SIZE; ++slot) {
    const uint8_t card = SlotCard(slot);
    if (CardSlot(card) != slot) return false;
    if (slot == 0) continue;
    const uint8_t lower = SlotCard(slot - 1);
    const bool first =
        CardRank(card) > CardRank(lower) || (CardRank(card) == CardRank(lower) && card > lower);
    if (!first) return false;
  }
  return true;
}
static_assert(SlotsFollowRankOrder());
