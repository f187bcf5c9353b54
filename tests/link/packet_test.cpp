// Packets: every kind round-trips byte for byte, every fault is refused both ways, and whatever
// the decoder accepts encodes back to the very same bytes.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
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
  Bytes b = {uint8_t(size),      uint8_t(size >> 8), uint8_t(main),
             uint8_t(main >> 8), uint8_t(sub),       uint8_t(sub >> 8)};
  b.insert(b.end(), record.begin(), record.end());
  return b;
}
Bytes Raw(uint16_t main, uint16_t sub, const Bytes& record) {
  return Raw(uint16_t(PACKET_HEADER_SIZE + record.size()), main, sub, record);
}

template <class T>
Bytes RecordOf(const T& record) {
  const auto* p = reinterpret_cast<const uint8_t*>(&record);
  return Bytes(p, p + sizeof record);
}

tagLinkUser SampleUser() {
  tagLinkUser u{};
  u.chair = 2;
  u.gender = 2;
  u.memberOrder = 3;
  u.faceId = 4;
  u.userId = 0x01020304;
  EXPECT_TRUE(SetLinkUserName(u, "小兰 bot"));
  u.score = -1234567890123;
  u.tableId = 7;
  u.status = LINK_STATUS_READY;
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
      {"user score", TO_CLIENT, UserPacket(SUB_USER_SCORE, SampleUser()), 60},
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

    tagPacket back;
    ASSERT_TRUE(DecodePacket(wire.data(), wire.size(), c.direction, back));
    EXPECT_EQ(back.main, c.packet.main);
    EXPECT_EQ(back.sub, c.packet.sub);
    EXPECT_EQ(back.self, c.packet.self);
    EXPECT_EQ(back.attribute, c.packet.attribute);
    EXPECT_EQ(back.user, c.packet.user);
    EXPECT_EQ(back.sceneStatus, c.packet.sceneStatus);
    EXPECT_EQ(back.sceneLookon, c.packet.sceneLookon);
    EXPECT_EQ(back.table, c.packet.table);
    ASSERT_EQ(back.recordSize, c.packet.recordSize);
    if (back.recordSize > 0) {
      EXPECT_EQ(std::memcmp(back.record, c.packet.record, back.recordSize), 0);
      EXPECT_GE(back.record, wire.data());
      EXPECT_LE(back.record + back.recordSize, wire.data() + wire.size()) << "points into it";
    }
    // The other way the same bytes mean nothing.
    const PacketDirection other = c.direction == TO_CLIENT ? TO_TABLE : TO_CLIENT;
    const bool sharedId = c.packet.main == MAIN_GAME && c.packet.sub == CLI_CHANGE_TABLE;
    if (!sharedId) {
      EXPECT_FALSE(DecodePacket(wire.data(), wire.size(), other, back));
    }

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
  const Bytes free72(sizeof(tagSceneFree), 0);
  Bytes free71 = {STATUS_FREE, 0};
  free71.resize(2 + 71, 0);
  Bytes playing231 = {STATUS_PLAYING, 0};
  playing231.resize(2 + 231, 0);
  Bytes badScene = {1, 0};
  badScene.insert(badScene.end(), free72.begin(), free72.end());
  Bytes lookon2 = {STATUS_FREE, 2};
  lookon2.insert(lookon2.end(), free72.begin(), free72.end());
  Bytes play36(36, 0);
  Bytes playBadCount(SRV_PLAY_HEAD_SIZE + 2, 0);
  playBadCount[0] = 3;
  Bytes play28(SRV_PLAY_HEAD_SIZE + 28, 0);
  play28[0] = 28;
  Bytes unterminated(LINK_NAME_SIZE, 'x');
  Bytes afterTerminator = {'a', 0, 'b'};
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
       Raw(MAIN_FRAME, SUB_USER_ENTER, UserRecord(0, 0, 1, 2, unterminated))},
      {"user: bytes after the name", TO_CLIENT,
       Raw(MAIN_FRAME, SUB_USER_ENTER, UserRecord(0, 0, 1, 2, afterTerminator))},
      {"user: overlong UTF-8", TO_CLIENT,
       Raw(MAIN_FRAME, SUB_USER_ENTER, UserRecord(0, 0, 1, 2, {0xC0, 0x80}))},
      {"user: a surrogate", TO_CLIENT,
       Raw(MAIN_FRAME, SUB_USER_ENTER, UserRecord(0, 0, 1, 2, {0xED, 0xA0, 0x80}))},
      {"user: a cut character", TO_CLIENT,
       Raw(MAIN_FRAME, SUB_USER_ENTER, UserRecord(0, 0, 1, 2, {'a', 0xE5, 0xB0}))},
      {"user: one byte long", TO_CLIENT,
       Raw(MAIN_FRAME, SUB_USER_ENTER,
           [&] {
             Bytes r = user;
             r.push_back(0);
             return r;
           }())},
      {"leave: chair 3", TO_CLIENT, Raw(MAIN_FRAME, SUB_USER_LEAVE, {3, 0, 0})},
      {"leave: two bytes", TO_CLIENT, Raw(MAIN_FRAME, SUB_USER_LEAVE, {1, 0})},
      {"scene: no status", TO_CLIENT, Raw(MAIN_FRAME, SUB_SCENE, {0})},
      {"scene: status 1", TO_CLIENT, Raw(MAIN_FRAME, SUB_SCENE, badScene)},
      {"scene: lookon 2", TO_CLIENT, Raw(MAIN_FRAME, SUB_SCENE, lookon2)},
      {"scene: free of 71 bytes", TO_CLIENT, Raw(MAIN_FRAME, SUB_SCENE, free71)},
      {"scene: playing of 231 bytes", TO_CLIENT, Raw(MAIN_FRAME, SUB_SCENE, playing231)},
      {"closed with a record", TO_CLIENT, Raw(MAIN_FRAME, SUB_CLOSED, {0})},
      {"game id 101", TO_CLIENT, Raw(MAIN_GAME, 101, Bytes(8, 0))},
      {"game id 117", TO_CLIENT, Raw(MAIN_GAME, 117, Bytes(4, 0))},
      {"client id to the client", TO_CLIENT, Raw(MAIN_GAME, CLI_PASS, {})},
      {"server id to the table", TO_TABLE, Raw(MAIN_GAME, SRV_AUTO_PLAY, {1, 0, 1, 0})},
      {"deal of 131 bytes", TO_CLIENT, Raw(MAIN_GAME, SRV_DEAL, Bytes(131, 0))},
      {"play of 36 bytes", TO_CLIENT, Raw(MAIN_GAME, SRV_PLAY, play36)},
      {"play whose count is not its size", TO_CLIENT, Raw(MAIN_GAME, SRV_PLAY, playBadCount)},
      {"play of 28 cards", TO_CLIENT, Raw(MAIN_GAME, SRV_PLAY, play28)},
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

TEST(Packet, EncoderRefusesWhatTheDecoderWould) {
  const uint8_t big[PACKET_MAX_RECORD + 1] = {};
  tagLinkUser badUser = SampleUser();
  badUser.chair = 3;
  tagPacket badScene = ScenePacket(STATUS_FREE, false, big, 10);
  const struct {
    const char* name;
    PacketDirection direction;
    tagPacket packet;
  } cases[] = {
      {"ready record too long", TO_TABLE, FramePacket(SUB_USER_READY, big, sizeof(big))},
      {"started scene too big for a packet", TO_CLIENT,
       ScenePacket(STATUS_STARTED, false, big, PACKET_MAX_RECORD - 1)},
      {"user at chair 3", TO_CLIENT, UserPacket(SUB_USER_ENTER, badUser)},
      {"free scene of 10 bytes", TO_CLIENT, badScene},
      {"a server message to the table", TO_TABLE, GamePacket(SRV_AUTO_PLAY, big, 4)},
      {"unknown game id", TO_TABLE, GamePacket(999, nullptr, 0)},
      {"a record without bytes", TO_TABLE, FramePacket(SUB_USER_READY, nullptr, 3)},
  };
  Bytes buffer(PACKET_MAX_SIZE * 2);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(EncodePacket(c.packet, c.direction, buffer.data(), buffer.size()), 0u);
  }
}

TEST(Packet, SizeFromHeaderBoundsAStream) {
  const struct {
    Bytes header;
    size_t size;
  } cases[] = {
      {{6, 0, 1, 0, 8, 0}, 6},         {{0x06, 0x08, 1, 0, 101, 0}, PACKET_MAX_SIZE},
      {{0x07, 0x08, 1, 0, 101, 0}, 0}, {{5, 0, 1, 0, 8, 0}, 0},
      {{0, 0, 0, 0, 0, 0}, 0},         {{10, 0, 1, 0, 8}, 0},  // not a whole header yet
  };
  for (const auto& c : cases) EXPECT_EQ(PacketSize(c.header.data(), c.header.size()), c.size);
}

TEST(Packet, WhateverDecodesEncodesToTheSameBytes) {
  // Seeded mutations of valid packets: an accepted packet has one encoding only.
  Bytes scratch(PACKET_MAX_RECORD, 0x11);
  std::mt19937 random(17);
  int accepted = 0;
  for (const RoundTrip& c : RoundTrips(scratch)) {
    Bytes wire(PACKET_MAX_SIZE);
    wire.resize(EncodePacket(c.packet, c.direction, wire.data(), wire.size()));
    for (int round = 0; round < 300; ++round) {
      Bytes mutated = wire;
      const int flips = 1 + int(random() % 3);
      for (int f = 0; f < flips; ++f) {
        mutated[random() % mutated.size()] = uint8_t(random() % 4 == 0 ? 0 : random());
      }
      tagPacket decoded;
      if (!DecodePacket(mutated.data(), mutated.size(), c.direction, decoded)) continue;
      ++accepted;
      Bytes again(mutated.size());
      ASSERT_EQ(EncodePacket(decoded, c.direction, again.data(), again.size()), mutated.size())
          << c.name;
      ASSERT_EQ(again, mutated) << c.name;
    }
  }
  EXPECT_GT(accepted, 100) << "the mutations reach accepted packets too";
}

TEST(Packet, Utf8AndNames) {
  const struct {
    std::string text;
    bool valid;
  } cases[] = {
      {"", true},
      {"plain", true},
      {"阿凯", true},
      {"\xF0\x9F\x82\xA1", true},  // U+1F0A1, a playing card
      {"\x80", false},
      {"\xC2", false},
      {"\xC1\xBF", false},          // overlong
      {"\xE0\x80\xAF", false},      // overlong
      {"\xED\xB0\x80", false},      // surrogate
      {"\xF4\x90\x80\x80", false},  // above U+10FFFF
      {"\xF8\x88\x80\x80\x80", false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(IsValidUtf8(c.text.data(), c.text.size()), c.valid) << c.text;

  tagLinkUser user{};
  EXPECT_TRUE(SetLinkUserName(user, std::string(31, 'n').c_str()));
  EXPECT_EQ(std::string(user.name), std::string(31, 'n'));
  EXPECT_FALSE(SetLinkUserName(user, std::string(32, 'm').c_str())) << "no room for the end";
  EXPECT_FALSE(SetLinkUserName(user, "\xC0\x80"));
  EXPECT_FALSE(SetLinkUserName(user, nullptr));
  EXPECT_EQ(std::string(user.name), std::string(31, 'n')) << "untouched when refused";
  EXPECT_TRUE(SetLinkUserName(user, "x"));
  for (size_t i = 1; i < LINK_NAME_SIZE; ++i) EXPECT_EQ(user.name[i], 0) << "zeros after";
}

}  // namespace
