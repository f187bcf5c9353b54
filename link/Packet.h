// Packets between a client and a table server, the one format every transport carries.
//
// A packet is a 6-byte header and a record, little-endian:
//   u16 size  the whole packet, header included: 6 .. PACKET_MAX_SIZE
//   u16 main  MAIN_FRAME (users, seats, scenes, ready), MAIN_GAME (game messages) or
//             MAIN_LOBBY (a network lobby's messages, link/LobbyMessages.h)
//   u16 sub   the frame command, or the game message id
// then size - 6 bytes of record. Each direction has its own commands; a packet sent the wrong
// way, with an unknown command, a size outside the bounds or a record its command does not
// allow is refused, and a transport disconnects a peer that sends one.
//
// Records of the frame commands are laid out field by field here (not as the frame's structs
// lie in memory); game records are the protocol's own bytes. The table end checks a client's
// game record in full (it must decode); a game record for the client is checked for its id and
// size, and its contents by the client's message handlers, which know the receiving chair.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/win/Utf8.h"

inline constexpr size_t PACKET_HEADER_SIZE = 6;
inline constexpr size_t PACKET_MAX_RECORD = 2048;
inline constexpr size_t PACKET_MAX_SIZE = PACKET_HEADER_SIZE + PACKET_MAX_RECORD;

inline constexpr uint16_t MAIN_FRAME = 1;
inline constexpr uint16_t MAIN_GAME =
    2;  // sub: the message id (SRV_* to the client, CLI_* to the table)
inline constexpr uint16_t MAIN_LOBBY = 3;  // sub: a lobby message (link/LobbyMessages.h)

// Frame commands, table to client.
inline constexpr uint16_t SUB_SELF = 1;              // tagLinkSelf
inline constexpr uint16_t SUB_SERVER_ATTRIBUTE = 2;  // tagLinkAttribute
inline constexpr uint16_t SUB_USER_ENTER = 3;        // tagLinkUser
inline constexpr uint16_t SUB_USER_LEAVE = 4;        // chair and lookon of tagLinkUser
inline constexpr uint16_t SUB_USER_SCORE = 5;        // tagLinkUser
inline constexpr uint16_t SUB_USER_STATUS = 6;       // tagLinkUser
inline constexpr uint16_t SUB_SCENE = 7;             // status, lookon, scene record
inline constexpr uint16_t SUB_CLOSED = 8;            // no record: the table closes the link
// Frame commands, client to table.
inline constexpr uint16_t SUB_USER_READY = 101;    // the ready record (opaque, may be empty)
inline constexpr uint16_t SUB_CHANGE_TABLE = 102;  // u16 table
inline constexpr uint16_t SUB_REJOIN = 103;        // no record: leave the table and sit again

enum class PacketDirection : uint8_t { ToClient, ToTable };

inline constexpr size_t LINK_NAME_SIZE = 32;  // UTF-8, terminated within, zeros after

// User status values, as the frame's status byte has them.
inline constexpr uint8_t LINK_STATUS_NULL = 0;
inline constexpr uint8_t LINK_STATUS_SIT = 2;
inline constexpr uint8_t LINK_STATUS_READY = 3;
inline constexpr uint8_t LINK_STATUS_PLAY = 5;
inline constexpr uint8_t LINK_STATUS_OFFLINE = 6;  // the highest value

struct tagLinkSelf {
  uint16_t chair;  // 0..2, or 0xFFFF for none
  uint8_t lookon;  // 0 or 1
  uint8_t allowLookon;
  bool operator==(const tagLinkSelf&) const = default;
};

struct tagLinkAttribute {
  uint16_t kindId;
  uint16_t serverId;
  uint16_t serverType;  // 4 = match server
  uint16_t chairCount;  // always 3
  uint32_t serverRule;
  uint8_t hideUserInfo;  // 0 or 1
  bool operator==(const tagLinkAttribute&) const = default;
};

// A user at a chair: what the frame keeps of a user record.
struct tagLinkUser {
  uint16_t chair;  // 0..2
  uint8_t lookon;  // 0 or 1
  uint8_t gender;  // 0 unknown, 1 male, 2 female
  uint8_t memberOrder;
  uint16_t faceId;
  uint32_t userId;
  char name[LINK_NAME_SIZE];
  int64_t score;  // gold
  uint16_t tableId;
  uint8_t status;  // 0 .. LINK_STATUS_OFFLINE
  bool operator==(const tagLinkUser&) const = default;
};

// A decoded packet. Which members mean something depends on main and sub; `record` points
// into the bytes that were decoded (or encoded from) and lives as long as they do.
struct tagPacket {
  uint16_t main = 0;
  uint16_t sub = 0;
  tagLinkSelf self{};
  tagLinkAttribute attribute{};
  tagLinkUser user{};               // SUB_USER_LEAVE: only chair and lookon
  uint8_t sceneStatus = 0;          // SUB_SCENE
  uint8_t sceneLookon = 0;          // SUB_SCENE
  uint16_t table = 0;               // SUB_CHANGE_TABLE
  const uint8_t* record = nullptr;  // scene record, game record, ready record
  uint16_t recordSize = 0;
};

// The whole packet's size announced by a header of at least PACKET_HEADER_SIZE bytes, or 0
// when the size is outside the bounds (a stream reader disconnects then).
size_t PacketSize(const uint8_t* header, size_t available);

// Decodes one whole packet travelling in `direction`; false (and `out` untouched) when it is
// refused.
bool DecodePacket(const uint8_t* data, size_t size, PacketDirection direction, tagPacket& out);

// Encodes a packet into buffer: the bytes written, or 0 when the buffer is too small or the
// packet is one DecodePacket would refuse.
size_t EncodePacket(const tagPacket& in, PacketDirection direction, uint8_t* buffer,
                    size_t capacity);

// Packets by kind, for the two ends.
tagPacket SelfPacket(const tagLinkSelf& self);
tagPacket AttributePacket(const tagLinkAttribute& attribute);
tagPacket UserPacket(uint16_t sub, const tagLinkUser& user);
tagPacket UserLeavePacket(uint16_t chair, bool lookon);
tagPacket ScenePacket(uint8_t status, bool lookon, const uint8_t* record, size_t size);
tagPacket GamePacket(uint16_t id, const uint8_t* record, size_t size);
tagPacket FramePacket(uint16_t sub, const uint8_t* record = nullptr, size_t size = 0);
tagPacket ChangeTablePacket(uint16_t table);

// Puts a name into a user record, the bytes after it zero; false (and the record untouched)
// when it is not valid UTF-8 or longer than LINK_NAME_SIZE - 1 bytes.
bool SetLinkUserName(tagLinkUser& user, const char* name);
