// Packets: every kind round-trips byte for byte, and every fault is refused both ways (the
// encoder writes nothing the decoder would refuse: tests/link's SendsOnlyWhatTheTableWouldAccept).
// The packet fuzz target holds any bytes to the same: whatever decodes encodes back to them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "link/Packet.h"
#include "protocol/Protocol.h"

namespace {

using Bytes = std::vector<uint8_t>;
constexpr auto TO_CLIENT = PacketDirection::ToClient;
constexpr auto TO_TABLE = PacketDirection::ToTable;

// Raw packet bytes: the header as given, then the record.
Bytes Raw(uint16_t size, uint16_t main, uint16_t sub, const Bytes& record) {
  Bytes b(PACKET_HEADER_SIZE + record.size());
  const uint16_t header[3] = {size, main, sub};
  for (size_t i = 0; i < PACKET_HEADER_SIZE; ++i) b[i] = uint8_t(header[i / 2] >> (i % 2 * 8));
  std::copy(record.begin(), record.end(), b.begin() + PACKET_HEADER_SIZE);
  return b;
}
Bytes Raw(uint16_t main, uint16_t sub, const Bytes& record) {
  return Raw(uint16_t(PACKET_HEADER_SIZE + record.size()), main, sub, record);
}

// `head`, then zeros up to `size` bytes.
Bytes With(Bytes head, size_t size) {
  head.resize(size, 0);
  return head;
}

tagLinkUser SampleUser() {
  tagLinkUser u{2, 0, 2, 3, 4, 0x01020304, {}, -1234567890123, 7, LINK_STATUS_READY};
  EXPECT_TRUE(SetLinkUserName(u, "小兰 bot"));
  return u;
}

Bytes UserRecord(uint16_t chair, uint8_t lookon, uint8_t gender, uint8_t status,
                 const Bytes& name) {
  Bytes r = {uint8_t(chair), uint8_t(chair >> 8), lookon, gender, 0, 4, 0, 1, 0, 0, 0};
  Bytes field = name;
  field.resize(LINK_NAME_SIZE, 0);
  r.insert(r.end(), field.begin(), field.end());
  r.insert(r.end(), {1, 0, 0, 0, 0, 0, 0, 0, 0, 0, status});
  return r;
}

struct RoundTrip {
  const char* name;
  PacketDirection direction;
  tagPacket packet;
  size_t size;  // the packet on the wire
};

std::vector<RoundTrip> RoundTrips(const Bytes& scratch) {
  static const tagSrvPlay play{2, 0, 2, 1, {0x4E, 0x05}, {5, 4, 5}, {0x15, 0x05}, 0};
  static Bytes playWire(SRV_PLAY_HEAD_SIZE + 2);
  EncodeSrvPlay(play, playWire.data(), playWire.size());
  static const uint8_t cliPlay[] = {3, 0x01, 0x11, 0x21};
  static const uint8_t autoPlay[] = {1, 0, 1, 0};
  const uint8_t* s = scratch.data();
  return {
      {"self", TO_CLIENT, SelfPacket({1, 0, 1}), 10},
      {"self without a chair", TO_CLIENT, SelfPacket({0xFFFF, 1, 0}), 10},
      {"server attribute", TO_CLIENT, AttributePacket({9, 8, 4, 3, 0xA0B0C0D0, 1}), 19},
      {"user enters", TO_CLIENT, UserPacket(SUB_USER_ENTER, SampleUser()), 60},
      {"user status", TO_CLIENT, UserPacket(SUB_USER_STATUS, SampleUser()), 60},
      {"user leaves", TO_CLIENT, UserLeavePacket(2, true), 9},
      {"free scene", TO_CLIENT, ScenePacket(STATUS_FREE, false, s, sizeof(tagSceneFree)), 80},
      {"started scene, empty", TO_CLIENT, ScenePacket(STATUS_STARTED, false, nullptr, 0), 8},
      {"started scene, any bytes", TO_CLIENT, ScenePacket(STATUS_STARTED, true, s, 5), 13},
      {"playing scene", TO_CLIENT, ScenePacket(STATUS_PLAYING, false, s, sizeof(tagScenePlaying)),
       240},
      {"closed", TO_CLIENT, FramePacket(SUB_CLOSED), 6},
      {"deal", TO_CLIENT, GamePacket(SRV_DEAL, s, sizeof(tagSrvDeal)), 138},
      {"play begins", TO_CLIENT, GamePacket(SRV_PLAY_BEGIN, s, sizeof(tagSrvPlayBegin)), 102},
      {"a play of two", TO_CLIENT, GamePacket(SRV_PLAY, playWire.data(), playWire.size()), 45},
      {"pass", TO_CLIENT, GamePacket(SRV_PASS, s, sizeof(tagSrvPass)), 44},
      {"result", TO_CLIENT, GamePacket(SRV_RESULT, s, sizeof(tagSrvResult)), 206},
      {"pass notice", TO_CLIENT, GamePacket(SRV_PASS_NOTICE, s, sizeof(tagSrvPassNotice)), 14},
      {"auto play", TO_CLIENT, GamePacket(SRV_AUTO_PLAY, s, sizeof(tagSrvAutoPlay)), 10},
      {"client plays", TO_TABLE, GamePacket(CLI_PLAY, cliPlay, sizeof(cliPlay)), 10},
      {"client passes", TO_TABLE, GamePacket(CLI_PASS, nullptr, 0), 6},
      {"client auto play", TO_TABLE, GamePacket(CLI_AUTO_PLAY, autoPlay, 4), 10},
      {"deal done", TO_TABLE, GamePacket(CLI_DEAL_DONE, nullptr, 0), 6},
      {"change table message", TO_TABLE, GamePacket(CLI_CHANGE_TABLE, autoPlay, 2), 8},
      {"ready", TO_TABLE, FramePacket(SUB_USER_READY), 6},
      {"ready with a record", TO_TABLE, FramePacket(SUB_USER_READY, s, 40), 46},
      {"ready, the largest record", TO_TABLE, FramePacket(SUB_USER_READY, s, PACKET_MAX_RECORD),
       PACKET_MAX_SIZE},
      {"change table", TO_TABLE, ChangeTablePacket(0xBEEF), 8},
      {"rejoin", TO_TABLE, FramePacket(SUB_REJOIN), 6},
  };
}

TEST(Packet, EveryKindRoundTripsByteForByte) {
  Bytes scratch(PACKET_MAX_RECORD);
  for (size_t i = 0; i < scratch.size(); ++i) scratch[i] = uint8_t(i * 7 + 3);
  for (const RoundTrip& c : RoundTrips(scratch)) {
    SCOPED_TRACE(c.name);
    Bytes wire(PACKET_MAX_SIZE + 10);
    const size_t size = EncodePacket(c.packet, c.direction, wire.data(), wire.size());
    ASSERT_EQ(size, c.size);
    wire.resize(size);
    EXPECT_EQ(PacketSize(wire.data(), wire.size()), size);
    EXPECT_EQ(wire[0] | wire[1] << 8, int(size)) << "the size counts the header";

    // What decodes encodes to the same bytes again: nothing of the packet was lost.
    tagPacket back;
    ASSERT_TRUE(DecodePacket(wire.data(), wire.size(), c.direction, back));
    ASSERT_EQ(back.recordSize, c.packet.recordSize);
    if (back.recordSize > 0) {
      EXPECT_EQ(std::memcmp(back.record, c.packet.record, back.recordSize), 0);
      EXPECT_GE(back.record, wire.data());
      EXPECT_LE(back.record + back.recordSize, wire.data() + wire.size()) << "points into it";
    }
    // The other way the same bytes mean nothing.
    const PacketDirection other = c.direction == TO_CLIENT ? TO_TABLE : TO_CLIENT;
    const bool sharedId = c.packet.main == MAIN_GAME && c.packet.sub == CLI_CHANGE_TABLE;
    EXPECT_TRUE(sharedId || !DecodePacket(wire.data(), wire.size(), other, back));

    Bytes again(size);
    EXPECT_EQ(EncodePacket(back, c.direction, again.data(), again.size()), size);
    EXPECT_EQ(again, wire);
    EXPECT_EQ(EncodePacket(c.packet, c.direction, again.data(), size - 1), 0u) << "no room";
  }
}

struct Refusal {
  const char* name;
  PacketDirection direction;
  Bytes wire;
};

std::vector<Refusal> Refusals() {
  const Bytes name = {'a', 'b'};
  const Bytes user = UserRecord(1, 0, 1, 2, name);
  return {
      {"shorter than a header", TO_CLIENT, {6, 0, 1}},
      {"size below the header", TO_CLIENT, Raw(5, MAIN_FRAME, SUB_CLOSED, {})},
      {"size says more than there is", TO_CLIENT, Raw(7, MAIN_FRAME, SUB_CLOSED, {})},
      {"size says less than there is", TO_CLIENT, Raw(6, MAIN_FRAME, SUB_CLOSED, {0})},
      {"size above the bound", TO_TABLE,
       Raw(uint16_t(PACKET_MAX_SIZE + 1), MAIN_FRAME, SUB_USER_READY,
           Bytes(PACKET_MAX_RECORD + 1, 0))},
      {"main command 0", TO_CLIENT, Raw(0, SUB_CLOSED, {})},
      {"main command 3", TO_TABLE, Raw(3, SUB_REJOIN, {})},
      {"unknown frame command", TO_CLIENT, Raw(MAIN_FRAME, 9, {})},
      {"client command to the client", TO_CLIENT, Raw(MAIN_FRAME, SUB_REJOIN, {})},
      {"table command to the table", TO_TABLE, Raw(MAIN_FRAME, SUB_SELF, {1, 0, 0, 0})},
      {"self: chair 3", TO_CLIENT, Raw(MAIN_FRAME, SUB_SELF, {3, 0, 0, 0})},
      {"self: lookon 2", TO_CLIENT, Raw(MAIN_FRAME, SUB_SELF, {1, 0, 2, 0})},
      {"self: one byte short", TO_CLIENT, Raw(MAIN_FRAME, SUB_SELF, {1, 0, 0})},
      {"attribute: four chairs", TO_CLIENT,
       Raw(MAIN_FRAME, SUB_SERVER_ATTRIBUTE, {0, 0, 0, 0, 0, 0, 4, 0, 0, 0, 0, 0, 0})},
      {"attribute: hide 2", TO_CLIENT,
       Raw(MAIN_FRAME, SUB_SERVER_ATTRIBUTE, {0, 0, 0, 0, 0, 0, 3, 0, 0, 0, 0, 0, 2})},
      {"user: chair 3", TO_CLIENT, Raw(MAIN_FRAME, SUB_USER_ENTER, UserRecord(3, 0, 1, 2, name))},
      {"user: no chair", TO_CLIENT,
       Raw(MAIN_FRAME, SUB_USER_SCORE, UserRecord(0xFFFF, 0, 1, 2, name))},
      {"user: lookon 2", TO_CLIENT, Raw(MAIN_FRAME, SUB_USER_ENTER, UserRecord(0, 2, 1, 2, name))},
      {"user: gender 3", TO_CLIENT, Raw(MAIN_FRAME, SUB_USER_STATUS, UserRecord(0, 0, 3, 2, name))},
      {"user: status 7", TO_CLIENT, Raw(MAIN_FRAME, SUB_USER_STATUS, UserRecord(0, 0, 1, 7, name))},
      {"user: name without its end", TO_CLIENT,
       Raw(MAIN_FRAME, SUB_USER_ENTER, UserRecord(0, 0, 1, 2, Bytes(LINK_NAME_SIZE, 'x')))},
      {"user: bytes after the name", TO_CLIENT,
       Raw(MAIN_FRAME, SUB_USER_ENTER, UserRecord(0, 0, 1, 2, {'a', 0, 'b'}))},
      {"user: overlong UTF-8", TO_CLIENT,
       Raw(MAIN_FRAME, SUB_USER_ENTER, UserRecord(0, 0, 1, 2, {0xC0, 0x80}))},
      {"user: a surrogate", TO_CLIENT,
       Raw(MAIN_FRAME, SUB_USER_ENTER, UserRecord(0, 0, 1, 2, {0xED, 0xA0, 0x80}))},
      {"user: a cut character", TO_CLIENT,
       Raw(MAIN_FRAME, SUB_USER_ENTER, UserRecord(0, 0, 1, 2, {'a', 0xE5, 0xB0}))},
      {"user: one byte long", TO_CLIENT,
       Raw(MAIN_FRAME, SUB_USER_ENTER, With(user, user.size() + 1))},
      {"leave: chair 3", TO_CLIENT, Raw(MAIN_FRAME, SUB_USER_LEAVE, {3, 0, 0})},
      {"leave: two bytes", TO_CLIENT, Raw(MAIN_FRAME, SUB_USER_LEAVE, {1, 0})},
      {"scene: no status", TO_CLIENT, Raw(MAIN_FRAME, SUB_SCENE, {0})},
      {"scene: status 1", TO_CLIENT, Raw(MAIN_FRAME, SUB_SCENE, With({1, 0}, 74))},
      {"scene: lookon 2", TO_CLIENT, Raw(MAIN_FRAME, SUB_SCENE, With({STATUS_FREE, 2}, 74))},
      {"scene: free of 71 bytes", TO_CLIENT, Raw(MAIN_FRAME, SUB_SCENE, With({STATUS_FREE}, 73))},
      {"scene: playing of 231 bytes", TO_CLIENT,
       Raw(MAIN_FRAME, SUB_SCENE, With({STATUS_PLAYING}, 233))},
      {"closed with a record", TO_CLIENT, Raw(MAIN_FRAME, SUB_CLOSED, {0})},
      {"game id 101", TO_CLIENT, Raw(MAIN_GAME, 101, Bytes(8, 0))},
      {"game id 117", TO_CLIENT, Raw(MAIN_GAME, 117, Bytes(4, 0))},
      {"client id to the client", TO_CLIENT, Raw(MAIN_GAME, CLI_PASS, {})},
      {"server id to the table", TO_TABLE, Raw(MAIN_GAME, SRV_AUTO_PLAY, {1, 0, 1, 0})},
      {"deal of 131 bytes", TO_CLIENT, Raw(MAIN_GAME, SRV_DEAL, Bytes(131, 0))},
      {"play of 36 bytes", TO_CLIENT, Raw(MAIN_GAME, SRV_PLAY, Bytes(36, 0))},
      {"play whose count is not its size", TO_CLIENT, Raw(MAIN_GAME, SRV_PLAY, With({3}, 39))},
      {"play of 28 cards", TO_CLIENT, Raw(MAIN_GAME, SRV_PLAY, With({28}, 65))},
      {"auto play of 5 bytes", TO_CLIENT, Raw(MAIN_GAME, SRV_AUTO_PLAY, Bytes(5, 0))},
      {"client play of no card", TO_TABLE, Raw(MAIN_GAME, CLI_PLAY, {0})},
      {"client play of a card 0", TO_TABLE, Raw(MAIN_GAME, CLI_PLAY, {1, 0})},
      {"client play longer than its count", TO_TABLE, Raw(MAIN_GAME, CLI_PLAY, {1, 1, 2})},
      {"pass with a record", TO_TABLE, Raw(MAIN_GAME, CLI_PASS, {0})},
      {"auto play for chair 3", TO_TABLE, Raw(MAIN_GAME, CLI_AUTO_PLAY, {3, 0, 1, 0})},
      {"change table of 3 bytes", TO_TABLE, Raw(MAIN_FRAME, SUB_CHANGE_TABLE, {1, 0, 0})},
      {"rejoin with a record", TO_TABLE, Raw(MAIN_FRAME, SUB_REJOIN, {0})},
  };
}

TEST(Packet, RefusesEveryFault) {
  for (const Refusal& c : Refusals()) {
    SCOPED_TRACE(c.name);
    tagPacket out;
    out.sub = 0x5A5A;
    EXPECT_FALSE(DecodePacket(c.wire.data(), c.wire.size(), c.direction, out));
    EXPECT_EQ(out.sub, 0x5A5A) << "untouched";
  }
  tagPacket out;
  EXPECT_FALSE(DecodePacket(nullptr, 0, TO_CLIENT, out));
}

TEST(Packet, Utf8AndNames) {
  for (const char* good : {"", "plain", "阿凯", "\xF0\x9F\x82\xA1"})  // U+1F0A1, a playing card
    EXPECT_TRUE(IsValidUtf8(good, std::strlen(good))) << good;
  // Cut, overlong, a surrogate, above U+10FFFF, five bytes.
  for (const char* bad : {"\x80", "\xC2", "\xC1\xBF", "\xE0\x80\xAF", "\xED\xB0\x80",
                          "\xF4\x90\x80\x80", "\xF8\x88\x80\x80\x80"})
    EXPECT_FALSE(IsValidUtf8(bad, std::strlen(bad))) << bad;

  tagLinkUser user{};
  EXPECT_TRUE(SetLinkUserName(user, std::string(31, 'n').c_str()));
  EXPECT_FALSE(SetLinkUserName(user, std::string(32, 'm').c_str())) << "no room for the end";
  EXPECT_FALSE(SetLinkUserName(user, "\xC0\x80"));
  EXPECT_FALSE(SetLinkUserName(user, nullptr));
  EXPECT_EQ(std::string(user.name), std::string(31, 'n')) << "untouched when refused";
  EXPECT_TRUE(SetLinkUserName(user, "x"));
  for (size_t i = 1; i < LINK_NAME_SIZE; ++i) EXPECT_EQ(user.name[i], 0) << "zeros after";
}

}  // namespace
