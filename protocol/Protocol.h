// Game protocol: constants, message ids, status values, the records of every message and
// scene, and their encoders and decoders.
//
// Every record is a plain struct whose layout is the wire layout (little-endian, natural
// alignment, no hidden padding; every offset and size is checked below). Decoders check the
// exact size first and then refuse records the client must never act on (see
// docs/protocol.md); on refusal they return false and leave the output untouched. Encoders
// return the number of bytes written, or 0 when the buffer is too small or the record is one
// the decoder would refuse.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "rules/Cards.h"

// The records are copied to and from the wire as they lie in memory.
static_assert(std::endian::native == std::endian::little, "protocol records are little-endian");

// ---------------------------------------------------------------------------------------------
// Constants

inline constexpr uint16_t SEAT_COUNT = 3;                 // chairs 0, 1, 2
inline constexpr uint16_t NO_CHAIR = 0xFFFF;              // no chair
inline constexpr uint8_t BANKER_FIRST_HAND = 6;           // the banker's hand after the deal
inline constexpr uint8_t OTHER_FIRST_HAND = 5;            // every other playing chair's hand
inline constexpr uint32_t TURN_CLOCK_SECONDS = 15;        // ordinary play turn
inline constexpr uint32_t FIRST_TURN_CLOCK_SECONDS = 20;  // first turn after SRV_PLAY_BEGIN

// Game status values (the status byte handed over with a scene).
inline constexpr uint8_t STATUS_FREE = 0;
inline constexpr uint8_t STATUS_STARTED = 100;
inline constexpr uint8_t STATUS_PLAYING = 101;

// Server to client.
inline constexpr uint16_t SRV_DEAL = 100;
inline constexpr uint16_t SRV_PLAY_BEGIN = 102;
inline constexpr uint16_t SRV_PLAY = 103;
inline constexpr uint16_t SRV_PASS = 104;
inline constexpr uint16_t SRV_RESULT = 105;
inline constexpr uint16_t SRV_PASS_NOTICE = 109;
inline constexpr uint16_t SRV_AUTO_PLAY = 116;

// Client to server.
inline constexpr uint16_t CLI_PLAY = 2;
inline constexpr uint16_t CLI_PASS = 3;
inline constexpr uint16_t CLI_AUTO_PLAY = 4;
inline constexpr uint16_t CLI_DEAL_DONE = 5;
inline constexpr uint16_t CLI_CHANGE_TABLE = 7;

constexpr bool IsChair(uint16_t chair) { return chair < SEAT_COUNT; }
constexpr bool IsChairOrNone(uint16_t chair) { return chair < SEAT_COUNT || chair == NO_CHAIR; }

// ---------------------------------------------------------------------------------------------
// Server records. Fields named unread* and pad* are carried but mean nothing.

// SRV_DEAL: the receiver's hand at the deal.
struct tagSrvDeal {
  uint16_t bankerChair;
  uint16_t currentChair;  // not used by the client; a chair or NO_CHAIR
  uint8_t cardArea[81];   // the first handCount bytes are the receiver's hand (unsorted)
  uint8_t handCount;
  uint8_t unread86[39];
  uint8_t cardCount[SEAT_COUNT];
  uint8_t playing[SEAT_COUNT];
  uint8_t pad131;
  bool operator==(const tagSrvDeal&) const = default;
};

// SRV_PLAY_BEGIN: play begins; the current chair leads on the first-turn clock.
struct tagSrvPlayBegin {
  uint16_t bankerChair;
  uint16_t currentChair;
  uint8_t hand[MAX_CARDS];
  uint8_t handCount;
  uint8_t pileCount;
  uint8_t cardCount[SEAT_COUNT];
  uint8_t unread36[44];
  int64_t baseScore;  // wire: low u32, then high i32
  uint8_t playing[SEAT_COUNT];
  uint8_t pad91[5];
  bool operator==(const tagSrvPlayBegin&) const = default;
};

// SRV_PLAY: a chair played. The full record is 64 bytes; the wire carries 37 + count bytes
// (resolved trimmed to the count, then one pad byte).
struct tagSrvPlay {
  uint8_t count;
  uint8_t pad1;
  uint16_t currentChair;  // next to act, NO_CHAIR for none; == outChair when unanswerable
  uint16_t outChair;
  uint8_t cards[MAX_CARDS];  // as played, jokers as jokers
  uint8_t cardCount[SEAT_COUNT];
  uint8_t resolved[MAX_CARDS];  // jokers replaced by the cards they stand for
  uint8_t pad63;
  bool operator==(const tagSrvPlay&) const = default;
};
inline constexpr size_t SRV_PLAY_HEAD_SIZE = 37;  // wire size of a play is this + count

// SRV_PASS: a chair passed; at a new turn it carries the receiver's whole hand.
struct tagSrvPass {
  uint8_t newTurn;          // 1 = new turn; any other value is no new turn
  uint8_t singleJokerRule;  // read at a new turn only
  uint16_t passChair;
  uint16_t currentChair;
  uint8_t cardCount[SEAT_COUNT];
  uint8_t hand[MAX_CARDS];  // receiver's hand, cardCount[receiver] cards; new turn only
  uint8_t pileCount;        // new turn only
  uint8_t pad37;
  bool operator==(const tagSrvPass&) const = default;
};

// SRV_RESULT: the end of a game.
struct tagSrvResult {
  uint16_t unread0;
  uint16_t bombCount;
  uint16_t spring;
  uint16_t reverseSpring;
  uint16_t haoSpring;
  uint16_t rocketCount;
  uint16_t multiple;
  uint16_t personalMultiple[SEAT_COUNT];
  uint8_t unread20[12];
  int64_t score[SEAT_COUNT];  // wire: low u32, then high i32
  uint8_t unread56[84];
  uint8_t leftCount[SEAT_COUNT];
  uint8_t leftCards[DECK_SIZE];  // chair 0's run first, each run leftCount[chair] long
  uint8_t playing[SEAT_COUNT];
  bool operator==(const tagSrvResult&) const = default;
};

// SRV_PASS_NOTICE: a pass without a new turn.
struct tagSrvPassNotice {
  uint8_t pileCount;
  uint8_t cardCount[SEAT_COUNT];
  uint16_t passChair;
  uint16_t currentChair;
  bool operator==(const tagSrvPassNotice&) const = default;
};

// SRV_AUTO_PLAY: a chair's auto-play state changed.
struct tagSrvAutoPlay {
  uint16_t chair;
  uint8_t autoPlay;  // 1 on, 0 off
  uint8_t quiet;     // 1 = no notice
  bool operator==(const tagSrvAutoPlay&) const = default;
};

// ---------------------------------------------------------------------------------------------
// Scene records.

struct tagSceneFree {
  int32_t score;
  uint32_t reserved;
  uint16_t turnTime;
  uint8_t unread10[56];
  uint16_t tableKind;  // 2 = two-player table
  uint8_t unread68[4];
  bool operator==(const tagSceneFree&) const = default;
};

struct tagScenePlaying {
  uint16_t bankerChair;
  uint16_t multiple;
  uint8_t unread4[12];
  int32_t score;
  uint32_t reserved;
  uint16_t turnTime;
  uint8_t bankerMark;
  uint8_t pad27;
  uint16_t lastPlayChair;  // a chair or NO_CHAIR
  uint16_t currentChair;   // a chair or NO_CHAIR (nobody's clock runs)
  uint8_t unread32[38];
  uint8_t hand[MAX_CARDS];  // receiver's hand, cardCount[receiver] cards
  uint8_t cardCount[SEAT_COUNT];
  uint8_t turnCount;
  uint8_t turnCards[MAX_CARDS];
  uint8_t autoPlay[SEAT_COUNT];
  uint8_t turnResolved[MAX_CARDS];
  uint8_t pileCount;
  uint8_t clockExpiries[SEAT_COUNT];
  uint8_t unread162[54];
  int64_t baseScore;  // wire: low u32, then high u32
  uint8_t playing[SEAT_COUNT];
  uint8_t changeTable;
  uint8_t unread228[4];
  bool operator==(const tagScenePlaying&) const = default;
};

// ---------------------------------------------------------------------------------------------
// Client records. CLI_PASS and CLI_DEAL_DONE carry no record.

// CLI_PLAY: built in this 28-byte buffer, sent as 1 + count bytes.
struct tagCliPlay {
  uint8_t count;
  uint8_t cards[MAX_CARDS];
  bool operator==(const tagCliPlay&) const = default;
};

struct tagCliAutoPlay {
  uint16_t chair;
  uint8_t autoPlay;
  uint8_t quiet;
  bool operator==(const tagCliAutoPlay&) const = default;
};

struct tagCliChangeTable {
  uint16_t chair;
  bool operator==(const tagCliChangeTable&) const = default;
};

// ---------------------------------------------------------------------------------------------
// Layout checks: no record has a hidden padding byte, and every field sits where the wire has it.

#define TORVALY_RECORD(T, size)                                                   \
  static_assert(sizeof(T) == (size));                                             \
  static_assert(std::is_trivially_copyable_v<T> && std::is_standard_layout_v<T>); \
  static_assert(std::has_unique_object_representations_v<T>, #T " has hidden padding")
#define TORVALY_AT(T, field, offset) static_assert(offsetof(T, field) == (offset))

TORVALY_RECORD(tagSrvDeal, 132);
TORVALY_AT(tagSrvDeal, bankerChair, 0);
TORVALY_AT(tagSrvDeal, currentChair, 2);
TORVALY_AT(tagSrvDeal, cardArea, 4);
TORVALY_AT(tagSrvDeal, handCount, 85);
TORVALY_AT(tagSrvDeal, unread86, 86);
TORVALY_AT(tagSrvDeal, cardCount, 125);
TORVALY_AT(tagSrvDeal, playing, 128);
TORVALY_AT(tagSrvDeal, pad131, 131);

TORVALY_RECORD(tagSrvPlayBegin, 96);
TORVALY_AT(tagSrvPlayBegin, bankerChair, 0);
TORVALY_AT(tagSrvPlayBegin, currentChair, 2);
TORVALY_AT(tagSrvPlayBegin, hand, 4);
TORVALY_AT(tagSrvPlayBegin, handCount, 31);
TORVALY_AT(tagSrvPlayBegin, pileCount, 32);
TORVALY_AT(tagSrvPlayBegin, cardCount, 33);
TORVALY_AT(tagSrvPlayBegin, unread36, 36);
TORVALY_AT(tagSrvPlayBegin, baseScore, 80);
TORVALY_AT(tagSrvPlayBegin, playing, 88);
TORVALY_AT(tagSrvPlayBegin, pad91, 91);

TORVALY_RECORD(tagSrvPlay, 64);
TORVALY_AT(tagSrvPlay, count, 0);
TORVALY_AT(tagSrvPlay, pad1, 1);
TORVALY_AT(tagSrvPlay, currentChair, 2);
TORVALY_AT(tagSrvPlay, outChair, 4);
TORVALY_AT(tagSrvPlay, cards, 6);
TORVALY_AT(tagSrvPlay, cardCount, 33);
TORVALY_AT(tagSrvPlay, resolved, 36);
TORVALY_AT(tagSrvPlay, pad63, 63);
static_assert(SRV_PLAY_HEAD_SIZE == offsetof(tagSrvPlay, resolved) + 1);
static_assert(SRV_PLAY_HEAD_SIZE + MAX_CARDS == sizeof(tagSrvPlay));

TORVALY_RECORD(tagSrvPass, 38);
TORVALY_AT(tagSrvPass, newTurn, 0);
TORVALY_AT(tagSrvPass, singleJokerRule, 1);
TORVALY_AT(tagSrvPass, passChair, 2);
TORVALY_AT(tagSrvPass, currentChair, 4);
TORVALY_AT(tagSrvPass, cardCount, 6);
TORVALY_AT(tagSrvPass, hand, 9);
TORVALY_AT(tagSrvPass, pileCount, 36);
TORVALY_AT(tagSrvPass, pad37, 37);

TORVALY_RECORD(tagSrvResult, 200);
TORVALY_AT(tagSrvResult, unread0, 0);
TORVALY_AT(tagSrvResult, bombCount, 2);
TORVALY_AT(tagSrvResult, spring, 4);
TORVALY_AT(tagSrvResult, reverseSpring, 6);
TORVALY_AT(tagSrvResult, haoSpring, 8);
TORVALY_AT(tagSrvResult, rocketCount, 10);
TORVALY_AT(tagSrvResult, multiple, 12);
TORVALY_AT(tagSrvResult, personalMultiple, 14);
TORVALY_AT(tagSrvResult, unread20, 20);
TORVALY_AT(tagSrvResult, score, 32);
TORVALY_AT(tagSrvResult, unread56, 56);
TORVALY_AT(tagSrvResult, leftCount, 140);
TORVALY_AT(tagSrvResult, leftCards, 143);
TORVALY_AT(tagSrvResult, playing, 197);

TORVALY_RECORD(tagSrvPassNotice, 8);
TORVALY_AT(tagSrvPassNotice, pileCount, 0);
TORVALY_AT(tagSrvPassNotice, cardCount, 1);
TORVALY_AT(tagSrvPassNotice, passChair, 4);
TORVALY_AT(tagSrvPassNotice, currentChair, 6);

TORVALY_RECORD(tagSrvAutoPlay, 4);
TORVALY_AT(tagSrvAutoPlay, chair, 0);
TORVALY_AT(tagSrvAutoPlay, autoPlay, 2);
TORVALY_AT(tagSrvAutoPlay, quiet, 3);

TORVALY_RECORD(tagSceneFree, 72);
TORVALY_AT(tagSceneFree, score, 0);
TORVALY_AT(tagSceneFree, reserved, 4);
TORVALY_AT(tagSceneFree, turnTime, 8);
TORVALY_AT(tagSceneFree, unread10, 10);
TORVALY_AT(tagSceneFree, tableKind, 66);
TORVALY_AT(tagSceneFree, unread68, 68);

TORVALY_RECORD(tagScenePlaying, 232);
TORVALY_AT(tagScenePlaying, bankerChair, 0);
TORVALY_AT(tagScenePlaying, multiple, 2);
TORVALY_AT(tagScenePlaying, unread4, 4);
TORVALY_AT(tagScenePlaying, score, 16);
TORVALY_AT(tagScenePlaying, reserved, 20);
TORVALY_AT(tagScenePlaying, turnTime, 24);
TORVALY_AT(tagScenePlaying, bankerMark, 26);
TORVALY_AT(tagScenePlaying, pad27, 27);
TORVALY_AT(tagScenePlaying, lastPlayChair, 28);
TORVALY_AT(tagScenePlaying, currentChair, 30);
TORVALY_AT(tagScenePlaying, unread32, 32);
TORVALY_AT(tagScenePlaying, hand, 70);
TORVALY_AT(tagScenePlaying, cardCount, 97);
TORVALY_AT(tagScenePlaying, turnCount, 100);
TORVALY_AT(tagScenePlaying, turnCards, 101);
TORVALY_AT(tagScenePlaying, autoPlay, 128);
TORVALY_AT(tagScenePlaying, turnResolved, 131);
TORVALY_AT(tagScenePlaying, pileCount, 158);
TORVALY_AT(tagScenePlaying, clockExpiries, 159);
TORVALY_AT(tagScenePlaying, unread162, 162);
TORVALY_AT(tagScenePlaying, baseScore, 216);
TORVALY_AT(tagScenePlaying, playing, 224);
TORVALY_AT(tagScenePlaying, changeTable, 227);
TORVALY_AT(tagScenePlaying, unread228, 228);

TORVALY_RECORD(tagCliPlay, 28);
TORVALY_AT(tagCliPlay, count, 0);
TORVALY_AT(tagCliPlay, cards, 1);

TORVALY_RECORD(tagCliAutoPlay, 4);
TORVALY_AT(tagCliAutoPlay, chair, 0);
TORVALY_AT(tagCliAutoPlay, autoPlay, 2);
TORVALY_AT(tagCliAutoPlay, quiet, 3);

TORVALY_RECORD(tagCliChangeTable, 2);
TORVALY_AT(tagCliChangeTable, chair, 0);

#undef TORVALY_RECORD
#undef TORVALY_AT

// ---------------------------------------------------------------------------------------------
// Per-record decoders: (bytes, size) -> record, or false with the record untouched.
// receiverChair is the chair whose hand the record carries (the local player's chair).

bool DecodeSrvDeal(const uint8_t* data, size_t size, tagSrvDeal& out);
bool DecodeSrvPlayBegin(const uint8_t* data, size_t size, tagSrvPlayBegin& out);
// Bytes of resolved beyond the count (and the trailing pad byte) come out as 0.
bool DecodeSrvPlay(const uint8_t* data, size_t size, tagSrvPlay& out);
bool DecodeSrvPass(const uint8_t* data, size_t size, uint16_t receiverChair, tagSrvPass& out);
bool DecodeSrvResult(const uint8_t* data, size_t size, tagSrvResult& out);
bool DecodeSrvPassNotice(const uint8_t* data, size_t size, tagSrvPassNotice& out);
bool DecodeSrvAutoPlay(const uint8_t* data, size_t size, tagSrvAutoPlay& out);
bool DecodeSceneFree(const uint8_t* data, size_t size, tagSceneFree& out);
bool DecodeScenePlaying(const uint8_t* data, size_t size, uint16_t receiverChair,
                        tagScenePlaying& out);
// Cards beyond the count come out as 0.
bool DecodeCliPlay(const uint8_t* data, size_t size, tagCliPlay& out);
bool DecodeCliAutoPlay(const uint8_t* data, size_t size, tagCliAutoPlay& out);
bool DecodeCliChangeTable(const uint8_t* data, size_t size, tagCliChangeTable& out);

// Per-record encoders: bytes written into buffer, or 0 (buffer too small, or a record the
// decoder would refuse).

size_t EncodeSrvDeal(const tagSrvDeal& in, uint8_t* buffer, size_t capacity);
size_t EncodeSrvPlayBegin(const tagSrvPlayBegin& in, uint8_t* buffer, size_t capacity);
size_t EncodeSrvPlay(const tagSrvPlay& in, uint8_t* buffer, size_t capacity);  // 37 + count
size_t EncodeSrvPass(const tagSrvPass& in, uint16_t receiverChair, uint8_t* buffer,
                     size_t capacity);
size_t EncodeSrvResult(const tagSrvResult& in, uint8_t* buffer, size_t capacity);
size_t EncodeSrvPassNotice(const tagSrvPassNotice& in, uint8_t* buffer, size_t capacity);
size_t EncodeSrvAutoPlay(const tagSrvAutoPlay& in, uint8_t* buffer, size_t capacity);
size_t EncodeSceneFree(const tagSceneFree& in, uint8_t* buffer, size_t capacity);
size_t EncodeScenePlaying(const tagScenePlaying& in, uint16_t receiverChair, uint8_t* buffer,
                          size_t capacity);
size_t EncodeCliPlay(const tagCliPlay& in, uint8_t* buffer, size_t capacity);  // 1 + count
size_t EncodeCliAutoPlay(const tagCliAutoPlay& in, uint8_t* buffer, size_t capacity);
size_t EncodeCliChangeTable(const tagCliChangeTable& in, uint8_t* buffer, size_t capacity);

// ---------------------------------------------------------------------------------------------
// Single entries by id or status: what the client's message and scene operations and the
// server's packet reader call. An id or status without a record type is refused.

struct tagServerMessage {
  uint16_t id;  // selects the member
  union {
    tagSrvDeal deal;
    tagSrvPlayBegin playBegin;
    tagSrvPlay play;
    tagSrvPass pass;
    tagSrvResult result;
    tagSrvPassNotice passNotice;
    tagSrvAutoPlay autoPlay;
  };
};

struct tagScene {
  uint8_t status;  // STATUS_STARTED carries no record
  union {
    tagSceneFree freeTable;
    tagScenePlaying playing;
  };
};

struct tagClientMessage {
  uint16_t id;  // CLI_PASS and CLI_DEAL_DONE carry no record
  union {
    tagCliPlay play;
    tagCliAutoPlay autoPlay;
    tagCliChangeTable changeTable;
  };
};

bool DecodeServerMessage(uint16_t id, const uint8_t* data, size_t size, uint16_t receiverChair,
                         tagServerMessage& out);
// STATUS_STARTED is accepted at any size.
bool DecodeScene(uint8_t status, const uint8_t* data, size_t size, uint16_t receiverChair,
                 tagScene& out);
bool DecodeClientMessage(uint16_t id, const uint8_t* data, size_t size, tagClientMessage& out);

// Encoders by id or status. Messages and scenes without a record return 0 bytes and true;
// the result is false for an unknown id or status, a small buffer or a refused record.
bool EncodeServerMessage(const tagServerMessage& in, uint16_t receiverChair, uint8_t* buffer,
                         size_t capacity, size_t& written);
bool EncodeScene(const tagScene& in, uint16_t receiverChair, uint8_t* buffer, size_t capacity,
                 size_t& written);
bool EncodeClientMessage(const tagClientMessage& in, uint8_t* buffer, size_t capacity,
                         size_t& written);
