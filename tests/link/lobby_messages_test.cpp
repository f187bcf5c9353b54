// The lobby's messages: every record round-trips byte for byte (inside a whole packet, both
// directions), and each fault in a byte is refused by its decoder and by the packet decoder.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "link/LobbyMessages.h"

namespace {

using LobbyBytes = std::vector<uint8_t>;

tagLobbyLogin SampleLogin() {
  tagLobbyLogin l{};
  l.version = LOBBY_VERSION;
  l.gender = 2;
  l.faceId = LOBBY_FACE_MAX;
  l.allowWatchers = 1;
  l.hasToken = 1;
  for (size_t i = 0; i < LOBBY_TOKEN_SIZE; ++i) l.token[i] = uint8_t(0xA0 + i);
  EXPECT_TRUE(SetLobbyName(l.name, "小兰 Lan"));
  return l;
}

tagLobbyTables SampleTables() {
  tagLobbyTables t{};
  t.total = 40;
  t.first = 16;
  t.count = 2;
  for (uint16_t i = 0; i < t.count; ++i) {
    tagLobbyTableInfo& info = t.tables[i];
    info.table = uint16_t(16 + i);
    info.playing = uint8_t(i);
    info.watchers = 3;
    info.chairs[0] = {uint8_t(LobbyChair::Person), 1, 2, {}};
    SetLobbyName(info.chairs[0].name, "ana");
    info.chairs[2] = {uint8_t(LobbyChair::Bot), 2, 5, {}};
    SetLobbyName(info.chairs[2].name, "Bot-16.2");
  }
  return t;
}

// A record's encoding, then the packet around it: it must decode in its direction only.
struct LobbyCase {
  const char* name;
  uint16_t sub;
  PacketDirection direction;
  std::function<size_t(uint8_t*, size_t)> encode;
  std::function<bool(const uint8_t*, size_t)> decodesBack;  // to the same record
};

std::vector<LobbyCase> Cases() {
  const auto login = SampleLogin();
  const auto tables = SampleTables();
  tagLobbyLoginAnswer answer{0, 1, 7, 42, {}, -5000};
  answer.token[0] = 9;
  return {
      {"login", LOBBY_LOGIN, PacketDirection::ToTable,
       [=](uint8_t* b, size_t n) { return EncodeLobbyLogin(login, b, n); },
       [=](const uint8_t* d, size_t n) {
         tagLobbyLogin out{};
         return DecodeLobbyLogin(d, n, out) && out == login;
       }},
      {"list", LOBBY_LIST, PacketDirection::ToTable,
       [](uint8_t* b, size_t n) { return EncodeLobbyList(32, b, n); },
       [](const uint8_t* d, size_t n) {
         uint16_t first = 0;
         return DecodeLobbyList(d, n, first) && first == 32;
       }},
      {"sit anywhere", LOBBY_SIT, PacketDirection::ToTable,
       [](uint8_t* b, size_t n) {
         return EncodeLobbySeatAsk(LOBBY_SIT, {LOBBY_ANY, LOBBY_ANY}, b, n);
       },
       [](const uint8_t* d, size_t n) {
         tagLobbySeatAsk s{};
         return DecodeLobbySeatAsk(LOBBY_SIT, d, n, s) &&
                s == tagLobbySeatAsk{LOBBY_ANY, LOBBY_ANY};
       }},
      {"watch", LOBBY_WATCH, PacketDirection::ToTable,
       [](uint8_t* b, size_t n) {
         return EncodeLobbySeatAsk(LOBBY_WATCH, {3, 2}, b, n);
       },
       [](const uint8_t* d, size_t n) {
         tagLobbySeatAsk s{};
         return DecodeLobbySeatAsk(LOBBY_WATCH, d, n, s) && s == tagLobbySeatAsk{3, 2};
       }},
      {"options", LOBBY_OPTIONS, PacketDirection::ToTable,
       [](uint8_t* b, size_t n) { return EncodeLobbyOptions(1, b, n); },
       [](const uint8_t* d, size_t n) {
         uint8_t allow = 0;
         return DecodeLobbyOptions(d, n, allow) && allow == 1;
       }},
      {"login answer", LOBBY_LOGIN_ANSWER, PacketDirection::ToClient,
       [=](uint8_t* b, size_t n) { return EncodeLobbyLoginAnswer(answer, b, n); },
       [=](const uint8_t* d, size_t n) {
         tagLobbyLoginAnswer out{};
         return DecodeLobbyLoginAnswer(d, n, out) && out == answer;
       }},
      {"tables", LOBBY_TABLES, PacketDirection::ToClient,
       [=](uint8_t* b, size_t n) { return EncodeLobbyTables(tables, b, n); },
       [=](const uint8_t* d, size_t n) {
         tagLobbyTables out{};
         return DecodeLobbyTables(d, n, out) && out == tables;
       }},
      {"answer", LOBBY_ANSWER, PacketDirection::ToClient,
       [](uint8_t* b, size_t n) {
         return EncodeLobbyAnswer({LOBBY_SIT, 6}, b, n);
       },
       [](const uint8_t* d, size_t n) {
         tagLobbyAnswer a{};
         return DecodeLobbyAnswer(d, n, a) && a == tagLobbyAnswer{LOBBY_SIT, 6};
       }},
      {"place", LOBBY_PLACE, PacketDirection::ToClient,
       [](uint8_t* b, size_t n) {
         return EncodeLobbyPlace({5, 1, 1}, b, n);
       },
       [](const uint8_t* d, size_t n) {
         tagLobbyPlace p{};
         return DecodeLobbyPlace(d, n, p) && p == tagLobbyPlace{5, 1, 1};
       }},
  };
}

TEST(LobbyMessages, EveryRecordRoundTripsInItsDirectionOnly) {
  for (const LobbyCase& c : Cases()) {
    SCOPED_TRACE(c.name);
    uint8_t record[PACKET_MAX_RECORD];
    const size_t n = c.encode(record, sizeof(record));
    ASSERT_GT(n, 0u);
    EXPECT_EQ(c.encode(record, n - 1), 0u) << "a buffer one byte short takes nothing";
    EXPECT_TRUE(c.decodesBack(record, n));
    EXPECT_FALSE(c.decodesBack(record, n - 1));

    uint8_t packet[PACKET_MAX_SIZE];
    const size_t size = EncodeLobbyPacket(c.sub, record, n, c.direction, packet, sizeof(packet));
    ASSERT_EQ(size, PACKET_HEADER_SIZE + n);
    tagPacket p;
    ASSERT_TRUE(DecodePacket(packet, size, c.direction, p));
    EXPECT_EQ(p.main, MAIN_LOBBY);
    EXPECT_TRUE(c.decodesBack(p.record, p.recordSize));
    const auto other = c.direction == PacketDirection::ToTable ? PacketDirection::ToClient
                                                               : PacketDirection::ToTable;
    EXPECT_FALSE(DecodePacket(packet, size, other, p)) << "sent the wrong way";
  }
}

// One byte of a valid record changed: refused by the record's decoder and inside a packet.
struct LobbyFault {
  const char* name;
  uint16_t sub;
  PacketDirection direction;
  LobbyBytes (*make)();
};

LobbyBytes LoginBytes() {
  LobbyBytes b(LOBBY_LOGIN_SIZE);
  EncodeLobbyLogin(SampleLogin(), b.data(), b.size());
  return b;
}

LobbyBytes Changed(LobbyBytes b, size_t at, uint8_t v) {
  b[at] = v;
  return b;
}

LobbyBytes LoginNamed(const char* raw, uint8_t length) {
  LobbyBytes b = LoginBytes();
  std::memset(b.data() + 22, 0, LINK_NAME_SIZE);
  std::memcpy(b.data() + 22, raw, std::strlen(raw));
  b[5] = length;
  return b;
}

const LobbyFault kFaults[] = {
    {"login version", LOBBY_LOGIN, PacketDirection::ToTable,
     [] { return Changed(LoginBytes(), 0, 2); }},
    {"login gender 0", LOBBY_LOGIN, PacketDirection::ToTable,
     [] { return Changed(LoginBytes(), 1, 0); }},
    {"login gender 3", LOBBY_LOGIN, PacketDirection::ToTable,
     [] { return Changed(LoginBytes(), 1, 3); }},
    {"login face past the last", LOBBY_LOGIN, PacketDirection::ToTable,
     [] { return Changed(LoginBytes(), 2, LOBBY_FACE_MAX + 1); }},
    {"login unknown flag", LOBBY_LOGIN, PacketDirection::ToTable,
     [] { return Changed(LoginBytes(), 4, 7); }},
    {"login token without its flag", LOBBY_LOGIN, PacketDirection::ToTable,
     [] { return Changed(LoginBytes(), 4, 1); }},
    {"login name length unequal", LOBBY_LOGIN, PacketDirection::ToTable,
     [] { return Changed(LoginBytes(), 5, 3); }},
    {"login empty name", LOBBY_LOGIN, PacketDirection::ToTable, [] { return LoginNamed("", 0); }},
    {"login control character", LOBBY_LOGIN, PacketDirection::ToTable,
     [] { return LoginNamed("a\tb", 3); }},
    {"login DEL", LOBBY_LOGIN, PacketDirection::ToTable, [] { return LoginNamed("a\x7f", 2); }},
    {"login C1 control", LOBBY_LOGIN, PacketDirection::ToTable,
     [] { return LoginNamed("a\xc2\x85", 3); }},
    {"login invalid UTF-8", LOBBY_LOGIN, PacketDirection::ToTable,
     [] { return LoginNamed("a\xc0\xaf", 3); }},
    {"login name unterminated", LOBBY_LOGIN, PacketDirection::ToTable,
     [] { return LoginNamed("0123456789012345678901234567890x", 32); }},
    {"login bytes after the name", LOBBY_LOGIN, PacketDirection::ToTable,
     [] { return Changed(LoginBytes(), 22 + 31, 'x'); }},
    {"list past the tables", LOBBY_LIST, PacketDirection::ToTable,
     [] {
       return LobbyBytes{uint8_t(LOBBY_MAX_TABLES), uint8_t(LOBBY_MAX_TABLES >> 8)};
     }},
    {"sit any table, a chair", LOBBY_SIT, PacketDirection::ToTable,
     [] {
       return LobbyBytes{0xFF, 0xFF, 1, 0};
     }},
    {"sit chair 3", LOBBY_SIT, PacketDirection::ToTable,
     [] {
       return LobbyBytes{0, 0, 3, 0};
     }},
    {"watch any chair", LOBBY_WATCH, PacketDirection::ToTable,
     [] {
       return LobbyBytes{0, 0, 0xFF, 0xFF};
     }},
    {"leave with a record", LOBBY_LEAVE, PacketDirection::ToTable, [] { return LobbyBytes{0}; }},
    {"options 2", LOBBY_OPTIONS, PacketDirection::ToTable, [] { return LobbyBytes{2}; }},
    {"unknown request", 7, PacketDirection::ToTable, [] { return LobbyBytes{}; }},
    {"answer result past the last", LOBBY_ANSWER, PacketDirection::ToClient,
     [] {
       return LobbyBytes{3, 0, LOBBY_RESULT_MAX + 1, 0};
     }},
    {"answer pad", LOBBY_ANSWER, PacketDirection::ToClient,
     [] {
       return LobbyBytes{3, 0, 0, 1};
     }},
    {"place lobby with a chair", LOBBY_PLACE, PacketDirection::ToClient,
     [] { return LobbyBytes{0xFF, 0xFF, 0, 0, 0, 0}; }},
    {"place lookon 2", LOBBY_PLACE, PacketDirection::ToClient,
     [] { return LobbyBytes{0, 0, 0, 0, 2, 0}; }},
    {"refused login with a user", LOBBY_LOGIN_ANSWER, PacketDirection::ToClient,
     [] {
       LobbyBytes b(LOBBY_LOGIN_ANSWER_SIZE, 0);
       b[0] = 3, b[2] = b[3] = 0xFF, b[4] = 1;
       return b;
     }},
    {"tables count past the total", LOBBY_TABLES, PacketDirection::ToClient,
     [] {
       LobbyBytes b(LOBBY_TABLES_HEAD_SIZE + LOBBY_TABLE_INFO_SIZE, 0);
       b[0] = 1, b[2] = 1, b[4] = 1;
       b[6] = 1;
       return b;
     }},
    {"tables entry out of order", LOBBY_TABLES, PacketDirection::ToClient,
     [] {
       LobbyBytes b(LOBBY_TABLES_HEAD_SIZE + LOBBY_TABLE_INFO_SIZE, 0);
       b[0] = 2, b[4] = 1, b[6] = 1;
       return b;
     }},
    {"tables empty chair with a name", LOBBY_TABLES, PacketDirection::ToClient,
     [] {
       LobbyBytes b(LOBBY_TABLES_HEAD_SIZE + LOBBY_TABLE_INFO_SIZE, 0);
       b[0] = 1, b[4] = 1, b[6 + 4 + 4] = 'a';
       return b;
     }},
};

bool DecodesAlone(uint16_t sub, PacketDirection direction, const LobbyBytes& b) {
  return LobbyRecordValid(sub, b.data(), b.size(), direction);
}

TEST(LobbyMessages, EachFaultIsRefused) {
  for (const LobbyFault& f : kFaults) {
    SCOPED_TRACE(f.name);
    const LobbyBytes record = f.make();
    EXPECT_FALSE(DecodesAlone(f.sub, f.direction, record));
    uint8_t packet[PACKET_MAX_SIZE];
    const size_t size = PACKET_HEADER_SIZE + record.size();
    const uint16_t header[3] = {uint16_t(size), MAIN_LOBBY, f.sub};
    std::memcpy(packet, header, sizeof(header));
    if (!record.empty()) std::memcpy(packet + PACKET_HEADER_SIZE, record.data(), record.size());
    tagPacket p;
    EXPECT_FALSE(DecodePacket(packet, size, f.direction, p));
  }
  // The last good name: 31 bytes; four-byte characters count as four.
  EXPECT_TRUE(LobbyNameValid("0123456789012345678901234567890", 31));
  EXPECT_TRUE(LobbyNameValid("\xf0\x9f\x82\xa1 ok", 7));
  EXPECT_FALSE(LobbyNameValid("01234567890123456789012345678901", 32));
}

}  // namespace
