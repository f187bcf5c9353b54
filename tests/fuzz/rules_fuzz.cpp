// The card rules on any bytes a hand, the play on the table and a play can hold (a client's
// play reaches the table's check, the server's cards reach the client's searches): every
// operation answers exactly as the plain reference of the rules tests does, byte for byte, and
// nothing reads or writes past a list (counts up to 40 against lists of 27).
#include <string>

#include "fuzz_util.h"
#include "tests/rules/reference_logic.h"

namespace {

static_assert(fuzz::kRulesRoom == reference::POSITION_ROOM);

// One list: a count byte and its bytes, taken as deck cards when `cards`.
uint8_t ReadList(fuzz::ByteReader& in, bool cards, uint8_t* to) {
  const uint8_t count = static_cast<uint8_t>(in.Byte() % (fuzz::kRulesRoom + 1));
  for (uint8_t i = 0; i < count; ++i) {
    const uint8_t byte = in.Byte();
    to[i] = cards ? CARD_DECK[byte % DECK_SIZE] : byte;
  }
  return count;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::ByteReader in(data, size);
  const uint8_t flags = in.Byte();
  reference::Position p{};
  p.rule = flags & fuzz::kRulesJokerRule ? 1 : 0;
  p.handCount = ReadList(in, flags & fuzz::kRulesHandCards, p.hand);
  p.turnCount = ReadList(in, flags & fuzz::kRulesTurnCards, p.turn);
  for (uint8_t i = 0; i < p.turnCount; ++i) {
    const bool asPlayed = flags & fuzz::kRulesShownAsPlayed;
    const uint8_t byte = asPlayed ? p.turn[i] : in.Byte();
    p.turnResolved[i] =
        asPlayed || !(flags & fuzz::kRulesTurnCards) ? byte : CARD_DECK[byte % DECK_SIZE];
  }
  p.playCount = ReadList(in, flags & fuzz::kRulesPlayCards, p.play);

  static CGameLogic logic;  // one object, as a table or a client keeps it across calls
  const std::string differences = reference::Differences(logic, p);
  FUZZ_CHECK(differences.empty(), "the rules and the reference differ:\n%s", differences.c_str());
  return 0;
}
