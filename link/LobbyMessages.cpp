#include "link/LobbyMessages.h"

#include <cstring>

namespace {

// Little-endian fields at fixed offsets; callers check every size first.
uint16_t Get16(const uint8_t* at) { return static_cast<uint16_t>(at[0] | (at[1] << 8)); }
uint32_t Get32(const uint8_t* at) { return Get16(at) | (uint32_t{Get16(at + 2)} << 16); }
uint64_t Get64(const uint8_t* at) { return Get32(at) | (uint64_t{Get32(at + 4)} << 32); }
void Put16(uint8_t* at, uint16_t v) {
  at[0] = static_cast<uint8_t>(v);
  at[1] = static_cast<uint8_t>(v >> 8);
}
void Put32(uint8_t* at, uint32_t v) {
  Put16(at, static_cast<uint16_t>(v));
  Put16(at + 2, static_cast<uint16_t>(v >> 16));
}
void Put64(uint8_t* at, uint64_t v) {
  Put32(at, static_cast<uint32_t>(v));
  Put32(at + 4, static_cast<uint32_t>(v >> 32));
}

bool AllZero(const uint8_t* at, size_t size) {
  for (size_t i = 0; i < size; ++i) {
    if (at[i] != 0) return false;
  }
  return true;
}

// A name field: a valid name (or, where allowed, nothing) and zeros after it.
bool NameFieldValid(const char (&name)[LINK_NAME_SIZE], bool mayBeEmpty) {
  const void* end = std::memchr(name, '\0', LINK_NAME_SIZE);
  if (end == nullptr) return false;
  const size_t length = static_cast<size_t>(static_cast<const char*>(end) - name);
  if (!AllZero(reinterpret_cast<const uint8_t*>(name) + length, LINK_NAME_SIZE - length))
    return false;
  return length == 0 ? mayBeEmpty : LobbyNameValid(name, length);
}

bool ValidLogin(const tagLobbyLogin& l) {
  return l.version == LOBBY_VERSION && (l.gender == 1 || l.gender == 2) &&
         l.faceId <= LOBBY_FACE_MAX && l.allowWatchers <= 1 && l.hasToken <= 1 &&
         (l.hasToken == 1 || AllZero(l.token, LOBBY_TOKEN_SIZE)) && NameFieldValid(l.name, false);
}

bool ValidLoginAnswer(const tagLobbyLoginAnswer& a) {
  if (a.result > LOBBY_RESULT_MAX || a.returned > 1) return false;
  if (a.result != 0) {
    // A refusal carries nothing but its reason.
    return a.returned == 0 && a.table == LOBBY_ANY && a.userId == 0 &&
           AllZero(a.token, LOBBY_TOKEN_SIZE) && a.gold == 0;
  }
  return a.userId != 0 && (a.returned == 1) == (a.table != LOBBY_ANY) &&
         (a.table == LOBBY_ANY || a.table < LOBBY_MAX_TABLES);
}

bool ValidSeatAsk(uint16_t sub, const tagLobbySeatAsk& s) {
  const bool tableOk = s.table < LOBBY_MAX_TABLES;
  const bool chairOk = s.chair < SEAT_COUNT;
  if (sub == LOBBY_WATCH) return tableOk && chairOk;
  if (s.table == LOBBY_ANY) return s.chair == LOBBY_ANY;
  return tableOk && (chairOk || s.chair == LOBBY_ANY);
}

bool ValidChairInfo(const tagLobbyChairInfo& c) {
  if (c.kind > static_cast<uint8_t>(LobbyChair::Away)) return false;
  if (c.kind == static_cast<uint8_t>(LobbyChair::Empty)) {
    return c.gender == 0 && c.faceId == 0 && NameFieldValid(c.name, true) && c.name[0] == '\0';
  }
  return c.gender <= 2 && c.faceId <= LOBBY_FACE_MAX && NameFieldValid(c.name, false);
}

bool ValidTables(const tagLobbyTables& t) {
  if (t.total > LOBBY_MAX_TABLES || t.count > LOBBY_PAGE_TABLES) return false;
  if (uint32_t{t.first} + t.count > t.total) return false;
  for (uint16_t i = 0; i < t.count; ++i) {
    const tagLobbyTableInfo& info = t.tables[i];
    if (info.table != t.first + i || info.playing > 1) return false;
    for (const tagLobbyChairInfo& chair : info.chairs) {
      if (!ValidChairInfo(chair)) return false;
    }
  }
  // Entries past the count are not on the wire: they must be empty for one encoding.
  for (uint16_t i = t.count; i < LOBBY_PAGE_TABLES; ++i) {
    if (!(t.tables[i] == tagLobbyTableInfo{})) return false;
  }
  return true;
}

bool ValidPlace(const tagLobbyPlace& p) {
  if (p.table == LOBBY_ANY) return p.chair == LOBBY_ANY && p.lookon == 0;
  return p.table < LOBBY_MAX_TABLES && p.chair < SEAT_COUNT && p.lookon <= 1;
}

// Each record is written by one function and read by one, field by field.
void WriteLogin(const tagLobbyLogin& l, uint8_t* b) {
  b[0] = l.version;
  b[1] = l.gender;
  Put16(b + 2, l.faceId);
  b[4] = static_cast<uint8_t>(l.allowWatchers | (l.hasToken << 1));
  b[5] = static_cast<uint8_t>(std::strlen(l.name));
  std::memcpy(b + 6, l.token, LOBBY_TOKEN_SIZE);
  std::memcpy(b + 22, l.name, LINK_NAME_SIZE);
}

void WriteChair(const tagLobbyChairInfo& c, uint8_t* b) {
  b[0] = c.kind;
  b[1] = c.gender;
  Put16(b + 2, c.faceId);
  std::memcpy(b + 4, c.name, LINK_NAME_SIZE);
}

void ReadChair(const uint8_t* b, tagLobbyChairInfo& c) {
  c.kind = b[0];
  c.gender = b[1];
  c.faceId = Get16(b + 2);
  std::memcpy(c.name, b + 4, LINK_NAME_SIZE);
}

}  // namespace

bool LobbyNameValid(const char* name, size_t size) {
  if (name == nullptr || size == 0 || size > LOBBY_NAME_MAX || !IsValidUtf8(name, size))
    return false;
  const auto* s = reinterpret_cast<const uint8_t*>(name);
  for (size_t i = 0; i < size; ++i) {
    if (s[i] < 0x20 || s[i] == 0x7F) return false;
    // C1 controls U+0080..U+009F are encoded C2 80..C2 9F.
    if (s[i] == 0xC2 && i + 1 < size && s[i + 1] < 0xA0) return false;
  }
  return true;
}

bool SetLobbyName(char (&field)[LINK_NAME_SIZE], const char* name) {
  if (name == nullptr) return false;
  const size_t length = std::strlen(name);
  if (!LobbyNameValid(name, length)) return false;
  std::memset(field, 0, LINK_NAME_SIZE);
  std::memcpy(field, name, length);
  return true;
}

bool DecodeLobbyLogin(const uint8_t* data, size_t size, tagLobbyLogin& out) {
  if (data == nullptr || size != LOBBY_LOGIN_SIZE) return false;
  tagLobbyLogin l{};
  l.version = data[0];
  l.gender = data[1];
  l.faceId = Get16(data + 2);
  const uint8_t flags = data[4];
  if (flags > 3) return false;
  l.allowWatchers = flags & 1;
  l.hasToken = static_cast<uint8_t>(flags >> 1);
  std::memcpy(l.token, data + 6, LOBBY_TOKEN_SIZE);
  std::memcpy(l.name, data + 22, LINK_NAME_SIZE);
  if (!ValidLogin(l) || std::strlen(l.name) != data[5]) return false;
  out = l;
  return true;
}

size_t EncodeLobbyLogin(const tagLobbyLogin& in, uint8_t* buffer, size_t capacity) {
  if (buffer == nullptr || capacity < LOBBY_LOGIN_SIZE || !ValidLogin(in)) return 0;
  WriteLogin(in, buffer);
  return LOBBY_LOGIN_SIZE;
}

bool DecodeLobbyLoginAnswer(const uint8_t* data, size_t size, tagLobbyLoginAnswer& out) {
  if (data == nullptr || size != LOBBY_LOGIN_ANSWER_SIZE) return false;
  tagLobbyLoginAnswer a{};
  a.result = data[0];
  a.returned = data[1];
  a.table = Get16(data + 2);
  a.userId = Get32(data + 4);
  std::memcpy(a.token, data + 8, LOBBY_TOKEN_SIZE);
  a.gold = static_cast<int64_t>(Get64(data + 24));
  if (!ValidLoginAnswer(a)) return false;
  out = a;
  return true;
}

size_t EncodeLobbyLoginAnswer(const tagLobbyLoginAnswer& in, uint8_t* buffer, size_t capacity) {
  if (buffer == nullptr || capacity < LOBBY_LOGIN_ANSWER_SIZE || !ValidLoginAnswer(in)) return 0;
  buffer[0] = in.result;
  buffer[1] = in.returned;
  Put16(buffer + 2, in.table);
  Put32(buffer + 4, in.userId);
  std::memcpy(buffer + 8, in.token, LOBBY_TOKEN_SIZE);
  Put64(buffer + 24, static_cast<uint64_t>(in.gold));
  return LOBBY_LOGIN_ANSWER_SIZE;
}

bool DecodeLobbyList(const uint8_t* data, size_t size, uint16_t& first) {
  if (data == nullptr || size != LOBBY_LIST_SIZE) return false;
  const uint16_t f = Get16(data);
  if (f >= LOBBY_MAX_TABLES) return false;
  first = f;
  return true;
}

size_t EncodeLobbyList(uint16_t first, uint8_t* buffer, size_t capacity) {
  if (buffer == nullptr || capacity < LOBBY_LIST_SIZE || first >= LOBBY_MAX_TABLES) return 0;
  Put16(buffer, first);
  return LOBBY_LIST_SIZE;
}

bool DecodeLobbySeatAsk(uint16_t sub, const uint8_t* data, size_t size, tagLobbySeatAsk& out) {
  if (data == nullptr || size != LOBBY_SEAT_ASK_SIZE) return false;
  if (sub != LOBBY_SIT && sub != LOBBY_WATCH) return false;
  const tagLobbySeatAsk s{Get16(data), Get16(data + 2)};
  if (!ValidSeatAsk(sub, s)) return false;
  out = s;
  return true;
}

size_t EncodeLobbySeatAsk(uint16_t sub, const tagLobbySeatAsk& in, uint8_t* buffer,
                          size_t capacity) {
  if (buffer == nullptr || capacity < LOBBY_SEAT_ASK_SIZE) return 0;
  if ((sub != LOBBY_SIT && sub != LOBBY_WATCH) || !ValidSeatAsk(sub, in)) return 0;
  Put16(buffer, in.table);
  Put16(buffer + 2, in.chair);
  return LOBBY_SEAT_ASK_SIZE;
}

bool DecodeLobbyOptions(const uint8_t* data, size_t size, uint8_t& allowWatchers) {
  if (data == nullptr || size != LOBBY_OPTIONS_SIZE || data[0] > 1) return false;
  allowWatchers = data[0];
  return true;
}

size_t EncodeLobbyOptions(uint8_t allowWatchers, uint8_t* buffer, size_t capacity) {
  if (buffer == nullptr || capacity < LOBBY_OPTIONS_SIZE || allowWatchers > 1) return 0;
  buffer[0] = allowWatchers;
  return LOBBY_OPTIONS_SIZE;
}

bool DecodeLobbyTables(const uint8_t* data, size_t size, tagLobbyTables& out) {
  if (data == nullptr || size < LOBBY_TABLES_HEAD_SIZE) return false;
  tagLobbyTables t{};
  t.total = Get16(data);
  t.first = Get16(data + 2);
  t.count = Get16(data + 4);
  if (t.count > LOBBY_PAGE_TABLES ||
      size != LOBBY_TABLES_HEAD_SIZE + size_t{t.count} * LOBBY_TABLE_INFO_SIZE)
    return false;
  for (uint16_t i = 0; i < t.count; ++i) {
    const uint8_t* at = data + LOBBY_TABLES_HEAD_SIZE + i * LOBBY_TABLE_INFO_SIZE;
    tagLobbyTableInfo& info = t.tables[i];
    info.table = Get16(at);
    info.playing = at[2];
    info.watchers = at[3];
    for (uint16_t c = 0; c < SEAT_COUNT; ++c)
      ReadChair(at + 4 + c * LOBBY_CHAIR_INFO_SIZE, info.chairs[c]);
  }
  if (!ValidTables(t)) return false;
  out = t;
  return true;
}

size_t EncodeLobbyTables(const tagLobbyTables& in, uint8_t* buffer, size_t capacity) {
  if (buffer == nullptr || !ValidTables(in)) return 0;
  const size_t size = LOBBY_TABLES_HEAD_SIZE + size_t{in.count} * LOBBY_TABLE_INFO_SIZE;
  if (capacity < size) return 0;
  Put16(buffer, in.total);
  Put16(buffer + 2, in.first);
  Put16(buffer + 4, in.count);
  for (uint16_t i = 0; i < in.count; ++i) {
    uint8_t* at = buffer + LOBBY_TABLES_HEAD_SIZE + i * LOBBY_TABLE_INFO_SIZE;
    const tagLobbyTableInfo& info = in.tables[i];
    Put16(at, info.table);
    at[2] = info.playing;
    at[3] = info.watchers;
    for (uint16_t c = 0; c < SEAT_COUNT; ++c)
      WriteChair(info.chairs[c], at + 4 + c * LOBBY_CHAIR_INFO_SIZE);
  }
  return size;
}

bool DecodeLobbyAnswer(const uint8_t* data, size_t size, tagLobbyAnswer& out) {
  if (data == nullptr || size != LOBBY_ANSWER_SIZE || data[3] != 0) return false;
  const tagLobbyAnswer a{Get16(data), data[2]};
  if (a.result > LOBBY_RESULT_MAX) return false;
  out = a;
  return true;
}

size_t EncodeLobbyAnswer(const tagLobbyAnswer& in, uint8_t* buffer, size_t capacity) {
  if (buffer == nullptr || capacity < LOBBY_ANSWER_SIZE || in.result > LOBBY_RESULT_MAX) return 0;
  Put16(buffer, in.request);
  buffer[2] = in.result;
  buffer[3] = 0;
  return LOBBY_ANSWER_SIZE;
}

bool DecodeLobbyPlace(const uint8_t* data, size_t size, tagLobbyPlace& out) {
  if (data == nullptr || size != LOBBY_PLACE_SIZE || data[5] != 0) return false;
  const tagLobbyPlace p{Get16(data), Get16(data + 2), data[4]};
  if (!ValidPlace(p)) return false;
  out = p;
  return true;
}

size_t EncodeLobbyPlace(const tagLobbyPlace& in, uint8_t* buffer, size_t capacity) {
  if (buffer == nullptr || capacity < LOBBY_PLACE_SIZE || !ValidPlace(in)) return 0;
  Put16(buffer, in.table);
  Put16(buffer + 2, in.chair);
  buffer[4] = in.lookon;
  buffer[5] = 0;
  return LOBBY_PLACE_SIZE;
}

bool LobbyRecordValid(uint16_t sub, const uint8_t* data, size_t size, PacketDirection direction) {
  if (direction == PacketDirection::ToTable) {
    switch (sub) {
      case LOBBY_LOGIN: {
        tagLobbyLogin l;
        return DecodeLobbyLogin(data, size, l);
      }
      case LOBBY_LIST: {
        uint16_t first;
        return DecodeLobbyList(data, size, first);
      }
      case LOBBY_SIT:
      case LOBBY_WATCH: {
        tagLobbySeatAsk s;
        return DecodeLobbySeatAsk(sub, data, size, s);
      }
      case LOBBY_LEAVE:
        return size == 0;
      case LOBBY_OPTIONS: {
        uint8_t allow;
        return DecodeLobbyOptions(data, size, allow);
      }
      default:
        return false;
    }
  }
  switch (sub) {
    case LOBBY_LOGIN_ANSWER: {
      tagLobbyLoginAnswer a;
      return DecodeLobbyLoginAnswer(data, size, a);
    }
    case LOBBY_TABLES: {
      tagLobbyTables t;
      return DecodeLobbyTables(data, size, t);
    }
    case LOBBY_ANSWER: {
      tagLobbyAnswer a;
      return DecodeLobbyAnswer(data, size, a);
    }
    case LOBBY_PLACE: {
      tagLobbyPlace p;
      return DecodeLobbyPlace(data, size, p);
    }
    default:
      return false;
  }
}

size_t EncodeLobbyPacket(uint16_t sub, const uint8_t* record, size_t size,
                         PacketDirection direction, uint8_t* buffer, size_t capacity) {
  tagPacket p;
  p.main = MAIN_LOBBY;
  p.sub = sub;
  p.record = record;
  p.recordSize = static_cast<uint16_t>(size > PACKET_MAX_RECORD ? PACKET_MAX_RECORD + 1 : size);
  return EncodePacket(p, direction, buffer, capacity);
}
