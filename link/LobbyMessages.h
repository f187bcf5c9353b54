// The lobby's messages: what a client says to a table server before, between and around its
// tables (log in, list the tables, sit, watch, leave, its watcher option) and what the server
// answers. They travel as packets of the link's format (link/Packet.h) with main command
// MAIN_LOBBY; the record layouts, their bounds and the order of the conversation are in
// docs/network.md.
//
// Every decoder checks the exact size and every field's bound and returns false (the output
// untouched) for anything else; every encoder writes only what its decoder accepts (0 bytes
// otherwise), so a record that decodes has exactly one encoding. These codecs depend on nothing
// of the server: a client uses them as they are.
#pragma once

#include <cstddef>
#include <cstdint>

#include "link/Packet.h"
#include "protocol/Protocol.h"

// Client to server.
inline constexpr uint16_t LOBBY_LOGIN = 1;    // tagLobbyLogin
inline constexpr uint16_t LOBBY_LIST = 2;     // u16 first table of the page asked for
inline constexpr uint16_t LOBBY_SIT = 3;      // tagLobbySeatAsk
inline constexpr uint16_t LOBBY_WATCH = 4;    // tagLobbySeatAsk (a chair, never "any")
inline constexpr uint16_t LOBBY_LEAVE = 5;    // no record: back from the table into the lobby
inline constexpr uint16_t LOBBY_OPTIONS = 6;  // u8 watchers may see my hand (0/1)
// Server to client.
inline constexpr uint16_t LOBBY_LOGIN_ANSWER = 51;  // tagLobbyLoginAnswer
inline constexpr uint16_t LOBBY_TABLES = 52;        // tagLobbyTables
inline constexpr uint16_t LOBBY_ANSWER = 53;        // tagLobbyAnswer
inline constexpr uint16_t LOBBY_PLACE = 54;         // tagLobbyPlace

inline constexpr uint8_t LOBBY_VERSION = 1;
inline constexpr size_t LOBBY_TOKEN_SIZE = 16;                // 128 random bits
inline constexpr size_t LOBBY_NAME_MAX = LINK_NAME_SIZE - 1;  // bytes of UTF-8
inline constexpr uint16_t LOBBY_FACE_MAX = 5;                 // portraits 0..5
inline constexpr uint16_t LOBBY_ANY = 0xFFFF;                 // any table / any chair / none
inline constexpr uint16_t LOBBY_PAGE_TABLES = 16;             // tables in one LOBBY_TABLES
inline constexpr uint16_t LOBBY_MAX_TABLES = 4096;

// Why a request was refused (LOBBY_ANSWER, LOBBY_LOGIN_ANSWER); 0 is success.
enum class LobbyResult : uint8_t {
  Ok = 0,
  Version = 1,         // the login's version is not this server's
  BadName = 2,         // empty, too long, not UTF-8, a control character
  NameTaken = 3,       // a user of that name is here (connected, or away without this token)
  Full = 4,            // no room for another user
  NoSuchTable = 5,     // no such table or chair
  ChairTaken = 6,      // somebody sits there, or watches too many there
  NotNow = 7,          // only between games (leaving, changing tables, a bot's chair)
  NotAtTable = 8,      // leave or options where there is nothing to do
  AlreadyAtTable = 9,  // sit or watch while at a table: leave first
  NoFreeChair = 10,    // "any free chair" found none
  Refused = 11,        // a watcher's game or ready message: watchers do not act
};
inline constexpr uint8_t LOBBY_RESULT_MAX = 11;

struct tagLobbyLogin {
  uint8_t version;                  // LOBBY_VERSION
  uint8_t gender;                   // 1 male, 2 female
  uint16_t faceId;                  // 0..LOBBY_FACE_MAX
  uint8_t allowWatchers;            // 0/1: watchers of my chair see my hand
  uint8_t hasToken;                 // 0/1: token is the one of an earlier login, to come back
  uint8_t token[LOBBY_TOKEN_SIZE];  // all zero without a token
  char name[LINK_NAME_SIZE];        // UTF-8, 1..31 bytes, no control characters, zeros after
  bool operator==(const tagLobbyLogin&) const = default;
};

struct tagLobbyLoginAnswer {
  uint8_t result;    // LobbyResult
  uint8_t returned;  // 1: put back into a game that runs (a LOBBY_PLACE and the scene follow)
  uint16_t table;    // that table, or LOBBY_ANY
  uint32_t userId;   // 0 when refused
  uint8_t token[LOBBY_TOKEN_SIZE];  // the token to come back with; zero when refused
  int64_t gold;
  bool operator==(const tagLobbyLoginAnswer&) const = default;
};

// LOBBY_SIT: table or LOBBY_ANY (then chair must be LOBBY_ANY too), chair or LOBBY_ANY.
// LOBBY_WATCH: a table and a chair.
struct tagLobbySeatAsk {
  uint16_t table;
  uint16_t chair;
  bool operator==(const tagLobbySeatAsk&) const = default;
};

enum class LobbyChair : uint8_t { Empty = 0, Person = 1, Bot = 2, Away = 3 };

struct tagLobbyChairInfo {
  uint8_t kind;    // LobbyChair
  uint8_t gender;  // 0 when empty
  uint16_t faceId;
  char name[LINK_NAME_SIZE];  // empty when the chair is
  bool operator==(const tagLobbyChairInfo&) const = default;
};

struct tagLobbyTableInfo {
  uint16_t table;
  uint8_t playing;   // 0 between games, 1 a game runs
  uint8_t watchers;  // how many watch at this table, at most 255 shown
  tagLobbyChairInfo chairs[SEAT_COUNT];
  bool operator==(const tagLobbyTableInfo&) const = default;
};

struct tagLobbyTables {
  uint16_t total;  // tables of the server
  uint16_t first;  // the first table of this page
  uint16_t count;  // tables on this page, at most LOBBY_PAGE_TABLES
  tagLobbyTableInfo tables[LOBBY_PAGE_TABLES];
  bool operator==(const tagLobbyTables&) const = default;
};

struct tagLobbyAnswer {
  uint16_t request;  // the sub command answered
  uint8_t result;    // LobbyResult
  bool operator==(const tagLobbyAnswer&) const = default;
};

// Where the connection is now: at a table (what follows are that table's frame and game
// packets) or, with table LOBBY_ANY, in the lobby.
struct tagLobbyPlace {
  uint16_t table;
  uint16_t chair;  // the chair sat at or watched; LOBBY_ANY in the lobby
  uint8_t lookon;  // 1 when watching
  bool operator==(const tagLobbyPlace&) const = default;
};

// Record sizes on the wire.
inline constexpr size_t LOBBY_LOGIN_SIZE = 54;
inline constexpr size_t LOBBY_LOGIN_ANSWER_SIZE = 32;
inline constexpr size_t LOBBY_LIST_SIZE = 2;
inline constexpr size_t LOBBY_SEAT_ASK_SIZE = 4;
inline constexpr size_t LOBBY_OPTIONS_SIZE = 1;
inline constexpr size_t LOBBY_CHAIR_INFO_SIZE = 36;
inline constexpr size_t LOBBY_TABLE_INFO_SIZE = 4 + SEAT_COUNT * LOBBY_CHAIR_INFO_SIZE;
inline constexpr size_t LOBBY_TABLES_HEAD_SIZE = 6;
inline constexpr size_t LOBBY_ANSWER_SIZE = 4;
inline constexpr size_t LOBBY_PLACE_SIZE = 6;
static_assert(LOBBY_TABLES_HEAD_SIZE + LOBBY_PAGE_TABLES * LOBBY_TABLE_INFO_SIZE <=
              PACKET_MAX_RECORD);

// A name a user may have: 1..LOBBY_NAME_MAX bytes of valid UTF-8 without control characters
// (C0, DEL, C1).
bool LobbyNameValid(const char* name, size_t size);
// Puts a valid name into a name field, zeros after it; false (field untouched) otherwise.
bool SetLobbyName(char (&field)[LINK_NAME_SIZE], const char* name);

// The records. Decoders take the record of a MAIN_LOBBY packet (without the header).
bool DecodeLobbyLogin(const uint8_t* data, size_t size, tagLobbyLogin& out);
bool DecodeLobbyLoginAnswer(const uint8_t* data, size_t size, tagLobbyLoginAnswer& out);
bool DecodeLobbyList(const uint8_t* data, size_t size, uint16_t& first);
bool DecodeLobbySeatAsk(uint16_t sub, const uint8_t* data, size_t size, tagLobbySeatAsk& out);
bool DecodeLobbyOptions(const uint8_t* data, size_t size, uint8_t& allowWatchers);
bool DecodeLobbyTables(const uint8_t* data, size_t size, tagLobbyTables& out);
bool DecodeLobbyAnswer(const uint8_t* data, size_t size, tagLobbyAnswer& out);
bool DecodeLobbyPlace(const uint8_t* data, size_t size, tagLobbyPlace& out);

size_t EncodeLobbyLogin(const tagLobbyLogin& in, uint8_t* buffer, size_t capacity);
size_t EncodeLobbyLoginAnswer(const tagLobbyLoginAnswer& in, uint8_t* buffer, size_t capacity);
size_t EncodeLobbyList(uint16_t first, uint8_t* buffer, size_t capacity);
size_t EncodeLobbySeatAsk(uint16_t sub, const tagLobbySeatAsk& in, uint8_t* buffer,
                          size_t capacity);
size_t EncodeLobbyOptions(uint8_t allowWatchers, uint8_t* buffer, size_t capacity);
size_t EncodeLobbyTables(const tagLobbyTables& in, uint8_t* buffer, size_t capacity);
size_t EncodeLobbyAnswer(const tagLobbyAnswer& in, uint8_t* buffer, size_t capacity);
size_t EncodeLobbyPlace(const tagLobbyPlace& in, uint8_t* buffer, size_t capacity);

// Whether a MAIN_LOBBY record with this sub command travelling in `direction` decodes: the
// packet decoder's check (a sub command of the other direction is refused).
bool LobbyRecordValid(uint16_t sub, const uint8_t* data, size_t size, PacketDirection direction);

// A whole MAIN_LOBBY packet around a record: the bytes written (0 when it would not decode).
size_t EncodeLobbyPacket(uint16_t sub, const uint8_t* record, size_t size,
                         PacketDirection direction, uint8_t* buffer, size_t capacity);
