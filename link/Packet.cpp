#include "link/Packet.h"

#include <cstring>

#include "link/LobbyMessages.h"
#include "protocol/Protocol.h"

namespace {

constexpr size_t SELF_SIZE = 4;
constexpr size_t ATTRIBUTE_SIZE = 13;
constexpr size_t USER_SIZE = 54;
constexpr size_t LEAVE_SIZE = 3;
constexpr size_t SCENE_HEAD_SIZE = 2;
constexpr size_t CHANGE_TABLE_SIZE = 2;
constexpr uint16_t NONE_CHAIR = 0xFFFF;

// Little-endian field by field; the reader never runs past its end (the callers check sizes).
class CWriter {
 public:
  explicit CWriter(uint8_t* at) : m_at(at) {}
  void U8(uint8_t v) { *m_at++ = v; }
  void U16(uint16_t v) {
    U8(static_cast<uint8_t>(v));
    U8(static_cast<uint8_t>(v >> 8));
  }
  void U32(uint32_t v) {
    U16(static_cast<uint16_t>(v));
    U16(static_cast<uint16_t>(v >> 16));
  }
  void U64(uint64_t v) {
    U32(static_cast<uint32_t>(v));
    U32(static_cast<uint32_t>(v >> 32));
  }
  void Bytes(const void* data, size_t size) {
    if (size > 0) std::memcpy(m_at, data, size);
    m_at += size;
  }

 private:
  uint8_t* m_at;
};

class CReader {
 public:
  explicit CReader(const uint8_t* at) : m_at(at) {}
  uint8_t U8() { return *m_at++; }
  uint16_t U16() {
    const uint16_t low = U8();
    return static_cast<uint16_t>(low | (U8() << 8));
  }
  uint32_t U32() {
    const uint32_t low = U16();
    return low | (uint32_t{U16()} << 16);
  }
  uint64_t U64() {
    const uint64_t low = U32();
    return low | (uint64_t{U32()} << 32);
  }
  void Bytes(void* out, size_t size) {
    std::memcpy(out, m_at, size);
    m_at += size;
  }

 private:
  const uint8_t* m_at;
};

bool IsFlag(uint8_t v) { return v <= 1; }

// A name field: valid UTF-8 up to a terminator within the field, zeros after it.
bool NameValid(const char (&name)[LINK_NAME_SIZE]) {
  const void* end = std::memchr(name, '\0', LINK_NAME_SIZE);
  if (end == nullptr) return false;
  const size_t length = static_cast<size_t>(static_cast<const char*>(end) - name);
  for (size_t i = length; i < LINK_NAME_SIZE; ++i) {
    if (name[i] != '\0') return false;
  }
  return IsValidUtf8(name, length);
}

bool Valid(const tagLinkSelf& s) {
  return (s.chair < SEAT_COUNT || s.chair == NONE_CHAIR) && IsFlag(s.lookon) &&
         IsFlag(s.allowLookon);
}

bool Valid(const tagLinkAttribute& a) {
  return a.chairCount == SEAT_COUNT && IsFlag(a.hideUserInfo);
}

bool Valid(const tagLinkUser& u) {
  return u.chair < SEAT_COUNT && IsFlag(u.lookon) && u.gender <= 2 &&
         u.status <= LINK_STATUS_OFFLINE && NameValid(u.name);
}

// What a server game record of this id must measure; its contents are the client's to check.
bool ServerRecordSizeValid(uint16_t id, const uint8_t* record, size_t size) {
  switch (id) {
    case SRV_DEAL:
      return size == sizeof(tagSrvDeal);
    case SRV_PLAY_BEGIN:
      return size == sizeof(tagSrvPlayBegin);
    case SRV_PLAY:
      return size >= SRV_PLAY_HEAD_SIZE && size <= sizeof(tagSrvPlay) &&
             size == SRV_PLAY_HEAD_SIZE + record[0];
    case SRV_PASS:
      return size == sizeof(tagSrvPass);
    case SRV_RESULT:
      return size == sizeof(tagSrvResult);
    case SRV_PASS_NOTICE:
      return size == sizeof(tagSrvPassNotice);
    case SRV_AUTO_PLAY:
      return size == sizeof(tagSrvAutoPlay);
    default:
      return false;
  }
}

bool SceneSizeValid(uint8_t status, size_t size) {
  switch (status) {
    case STATUS_FREE:
      return size == sizeof(tagSceneFree);
    case STATUS_STARTED:
      return true;  // carries nothing the client reads
    case STATUS_PLAYING:
      return size == sizeof(tagScenePlaying);
    default:
      return false;
  }
}

void WriteUser(CWriter& w, const tagLinkUser& u) {
  w.U16(u.chair);
  w.U8(u.lookon);
  w.U8(u.gender);
  w.U8(u.memberOrder);
  w.U16(u.faceId);
  w.U32(u.userId);
  w.Bytes(u.name, LINK_NAME_SIZE);
  w.U64(static_cast<uint64_t>(u.score));
  w.U16(u.tableId);
  w.U8(u.status);
}

tagLinkUser ReadUser(CReader& r) {
  tagLinkUser u{};
  u.chair = r.U16();
  u.lookon = r.U8();
  u.gender = r.U8();
  u.memberOrder = r.U8();
  u.faceId = r.U16();
  u.userId = r.U32();
  r.Bytes(u.name, LINK_NAME_SIZE);
  u.score = static_cast<int64_t>(r.U64());
  u.tableId = r.U16();
  u.status = r.U8();
  return u;
}

// The record of a frame packet into `p`; false when it is refused.
bool DecodeFrameRecord(uint16_t sub, const uint8_t* record, size_t size, PacketDirection direction,
                       tagPacket& p) {
  CReader r(record);
  if (direction == PacketDirection::ToTable) {
    switch (sub) {
      case SUB_USER_READY:  // opaque; the size is already bounded
        p.record = size > 0 ? record : nullptr;
        p.recordSize = static_cast<uint16_t>(size);
        return true;
      case SUB_CHANGE_TABLE:
        if (size != CHANGE_TABLE_SIZE) return false;
        p.table = r.U16();
        return true;
      case SUB_REJOIN:
        return size == 0;
      default:
        return false;
    }
  }
  switch (sub) {
    case SUB_SELF:
      if (size != SELF_SIZE) return false;
      p.self.chair = r.U16();
      p.self.lookon = r.U8();
      p.self.allowLookon = r.U8();
      return Valid(p.self);
    case SUB_SERVER_ATTRIBUTE:
      if (size != ATTRIBUTE_SIZE) return false;
      p.attribute.kindId = r.U16();
      p.attribute.serverId = r.U16();
      p.attribute.serverType = r.U16();
      p.attribute.chairCount = r.U16();
      p.attribute.serverRule = r.U32();
      p.attribute.hideUserInfo = r.U8();
      return Valid(p.attribute);
    case SUB_USER_ENTER:
    case SUB_USER_SCORE:
    case SUB_USER_STATUS:
      if (size != USER_SIZE) return false;
      p.user = ReadUser(r);
      return Valid(p.user);
    case SUB_USER_LEAVE:
      if (size != LEAVE_SIZE) return false;
      p.user.chair = r.U16();
      p.user.lookon = r.U8();
      return p.user.chair < SEAT_COUNT && IsFlag(p.user.lookon);
    case SUB_SCENE:
      if (size < SCENE_HEAD_SIZE) return false;
      p.sceneStatus = r.U8();
      p.sceneLookon = r.U8();
      p.recordSize = static_cast<uint16_t>(size - SCENE_HEAD_SIZE);
      p.record = p.recordSize > 0 ? record + SCENE_HEAD_SIZE : nullptr;
      return IsFlag(p.sceneLookon) && SceneSizeValid(p.sceneStatus, p.recordSize);
    case SUB_CLOSED:
      return size == 0;
    default:
      return false;
  }
}

}  // namespace

bool SetLinkUserName(tagLinkUser& user, const char* name) {
  if (name == nullptr) return false;
  const size_t length = std::strlen(name);
  if (length >= LINK_NAME_SIZE || !IsValidUtf8(name, length)) return false;
  std::memset(user.name, 0, LINK_NAME_SIZE);
  std::memcpy(user.name, name, length);
  return true;
}

size_t PacketSize(const uint8_t* header, size_t available) {
  if (header == nullptr || available < PACKET_HEADER_SIZE) return 0;
  const size_t size = header[0] | (header[1] << 8);
  return size >= PACKET_HEADER_SIZE && size <= PACKET_MAX_SIZE ? size : 0;
}

bool DecodePacket(const uint8_t* data, size_t size, PacketDirection direction, tagPacket& out) {
  const size_t announced = PacketSize(data, size);
  if (announced == 0 || announced != size) return false;
  CReader header(data + 2);
  tagPacket p;
  p.main = header.U16();
  p.sub = header.U16();
  const uint8_t* record = data + PACKET_HEADER_SIZE;
  const size_t recordSize = size - PACKET_HEADER_SIZE;
  p.record = recordSize > 0 ? record : nullptr;
  p.recordSize = static_cast<uint16_t>(recordSize);
  bool ok = false;
  if (p.main == MAIN_GAME) {
    if (direction == PacketDirection::ToTable) {
      tagClientMessage message;
      ok = DecodeClientMessage(p.sub, record, recordSize, message);
    } else {
      ok = ServerRecordSizeValid(p.sub, record, recordSize);
    }
  } else if (p.main == MAIN_FRAME) {
    // Typed records carry no raw bytes; the scene and the ready record do.
    p.record = nullptr;
    p.recordSize = 0;
    ok = DecodeFrameRecord(p.sub, record, recordSize, direction, p);
  } else if (p.main == MAIN_LOBBY) {
    ok = LobbyRecordValid(p.sub, record, recordSize, direction);
  }
  if (ok) out = p;
  return ok;
}

size_t EncodePacket(const tagPacket& in, PacketDirection direction, uint8_t* buffer,
                    size_t capacity) {
  if (buffer == nullptr || (in.recordSize > 0 && in.record == nullptr)) return 0;
  size_t recordSize = in.recordSize;
  if (in.main == MAIN_FRAME) {
    switch (in.sub) {
      case SUB_SELF:
        recordSize = SELF_SIZE;
        break;
      case SUB_SERVER_ATTRIBUTE:
        recordSize = ATTRIBUTE_SIZE;
        break;
      case SUB_USER_ENTER:
      case SUB_USER_SCORE:
      case SUB_USER_STATUS:
        recordSize = USER_SIZE;
        break;
      case SUB_USER_LEAVE:
        recordSize = LEAVE_SIZE;
        break;
      case SUB_SCENE:
        recordSize = SCENE_HEAD_SIZE + size_t{in.recordSize};
        break;
      case SUB_CHANGE_TABLE:
        recordSize = CHANGE_TABLE_SIZE;
        break;
      default:
        break;  // the record as it is
    }
  }
  const size_t size = PACKET_HEADER_SIZE + recordSize;
  if (size > PACKET_MAX_SIZE || capacity < size) return 0;

  CWriter w(buffer);
  w.U16(static_cast<uint16_t>(size));
  w.U16(in.main);
  w.U16(in.sub);
  if (in.main != MAIN_FRAME) {
    w.Bytes(in.record, in.recordSize);
  } else {
    switch (in.sub) {
      case SUB_SELF:
        w.U16(in.self.chair);
        w.U8(in.self.lookon);
        w.U8(in.self.allowLookon);
        break;
      case SUB_SERVER_ATTRIBUTE:
        w.U16(in.attribute.kindId);
        w.U16(in.attribute.serverId);
        w.U16(in.attribute.serverType);
        w.U16(in.attribute.chairCount);
        w.U32(in.attribute.serverRule);
        w.U8(in.attribute.hideUserInfo);
        break;
      case SUB_USER_ENTER:
      case SUB_USER_SCORE:
      case SUB_USER_STATUS:
        WriteUser(w, in.user);
        break;
      case SUB_USER_LEAVE:
        w.U16(in.user.chair);
        w.U8(in.user.lookon);
        break;
      case SUB_SCENE:
        w.U8(in.sceneStatus);
        w.U8(in.sceneLookon);
        w.Bytes(in.record, in.recordSize);
        break;
      case SUB_CHANGE_TABLE:
        w.U16(in.table);
        break;
      default:
        w.Bytes(in.record, in.recordSize);
        break;
    }
  }
  // One set of checks: what the decoder refuses is never sent.
  tagPacket check;
  return DecodePacket(buffer, size, direction, check) ? size : 0;
}

tagPacket SelfPacket(const tagLinkSelf& self) {
  tagPacket p = FramePacket(SUB_SELF);
  p.self = self;
  return p;
}

tagPacket AttributePacket(const tagLinkAttribute& attribute) {
  tagPacket p = FramePacket(SUB_SERVER_ATTRIBUTE);
  p.attribute = attribute;
  return p;
}

tagPacket UserPacket(uint16_t sub, const tagLinkUser& user) {
  tagPacket p = FramePacket(sub);
  p.user = user;
  return p;
}

tagPacket UserLeavePacket(uint16_t chair, bool lookon) {
  tagPacket p = FramePacket(SUB_USER_LEAVE);
  p.user.chair = chair;
  p.user.lookon = lookon ? 1 : 0;
  return p;
}

tagPacket ScenePacket(uint8_t status, bool lookon, const uint8_t* record, size_t size) {
  tagPacket p = FramePacket(SUB_SCENE, record, size);
  p.sceneStatus = status;
  p.sceneLookon = lookon ? 1 : 0;
  return p;
}

tagPacket GamePacket(uint16_t id, const uint8_t* record, size_t size) {
  tagPacket p = FramePacket(id, record, size);
  p.main = MAIN_GAME;
  return p;
}

tagPacket FramePacket(uint16_t sub, const uint8_t* record, size_t size) {
  tagPacket p;
  p.main = MAIN_FRAME;
  p.sub = sub;
  // A record too long for a packet keeps a size the encoder refuses.
  p.record = record;
  p.recordSize = static_cast<uint16_t>(size > PACKET_MAX_RECORD ? PACKET_MAX_RECORD + 1 : size);
  return p;
}

tagPacket ChangeTablePacket(uint16_t table) {
  tagPacket p = FramePacket(SUB_CHANGE_TABLE);
  p.table = table;
  return p;
}
