#include "link/TableEnd.h"

#include <cstring>

namespace {

// The server the embedded lobby announces: an ordinary table of three chairs.
constexpr tagLinkAttribute kAttribute = {1, 1, 0, SEAT_COUNT, 0, 0};
constexpr uint16_t kTableId = 0;
// A bound on the table events run in one Advance, so that a table that always has something
// due (a clock that jumped hours ahead, a table of bots alone) cannot hold the frame's loop: what
// is left runs at the next Advance.
constexpr int kMaxStepsPerAdvance = 10000;

}  // namespace

CTableEnd::CTableEnd(CTableHost& host, uint16_t chair, const tagLobbyUser (&users)[SEAT_COUNT],
                     IPacketSink& out)
    : m_host(host), m_chair(chair), m_out(out) {
  std::memcpy(m_users, users, sizeof(m_users));
  for (tagLobbyUser& user : m_users) user.name[LINK_NAME_SIZE - 1] = '\0';
}

void CTableEnd::Emit(const tagPacket& packet, IPacketSink& to) {
  uint8_t buffer[PACKET_MAX_SIZE];
  const size_t size = EncodePacket(packet, PacketDirection::ToClient, buffer, sizeof(buffer));
  if (size > 0) to.SendPacket(buffer, size);
}

uint8_t CTableEnd::StatusOf(uint16_t chair) const {
  const CTable& table = m_host.Table();
  if (!table.Seated(chair)) return LINK_STATUS_NULL;
  if (table.Phase() != TablePhase::Free) {
    return table.Connected(chair) ? LINK_STATUS_PLAY : LINK_STATUS_OFFLINE;
  }
  return table.Ready(chair) ? LINK_STATUS_READY : LINK_STATUS_SIT;
}

int64_t CTableEnd::GoldOf(uint16_t chair) const {
  int64_t gold = 0;
  if (__builtin_add_overflow(m_users[chair].gold, m_host.Table().Gold(chair), &gold))
    gold = m_users[chair].gold < 0 ? INT64_MIN : INT64_MAX;
  return gold;
}

tagLinkUser CTableEnd::UserAt(uint16_t chair) const {
  tagLinkUser user{};
  user.chair = chair;
  user.gender = m_users[chair].gender;
  user.faceId = m_users[chair].faceId;
  user.userId = chair + 1u;
  // A name the record cannot hold stays empty rather than stopping the user's entry.
  SetLinkUserName(user, m_users[chair].name);
  user.score = GoldOf(chair);
  user.tableId = kTableId;
  user.status = StatusOf(chair);
  return user;
}

void CTableEnd::Connect(uint64_t now) {
  m_connected = true;
  const CTable& table = m_host.Table();
  if (!table.Seated(m_chair) && !m_host.SeatHuman(m_chair, this)) {
    m_connected = false;  // the chair is taken: nowhere to sit
    return;
  }
  // Back during a game, the host hands over the playing scene (held until the users are
  // told); otherwise the scene is the table as it is.
  const bool returned = m_host.Return(m_chair, now);
  Emit(SelfPacket({m_chair, 0, 0}), m_out);
  Emit(AttributePacket(kAttribute), m_out);
  for (uint16_t c = 0; c < SEAT_COUNT; ++c) {
    m_known[c] = tagKnown{false, LINK_STATUS_NULL, 0};
    if (!table.Seated(c)) continue;
    const tagLinkUser user = UserAt(c);
    m_known[c] = tagKnown{true, user.status, user.score};
    Emit(UserPacket(SUB_USER_ENTER, user), m_out);
  }
  if (!returned) {
    uint8_t status = 0;
    uint8_t scene[sizeof(tagScenePlaying)];
    size_t size = 0;
    if (table.BuildScene(m_chair, status, scene, sizeof(scene), size)) {
      Emit(ScenePacket(status, false, scene, size), m_out);
    }
  }
  Flush();
}

void CTableEnd::Disconnect(uint64_t now) {
  if (!m_connected) return;
  m_connected = false;
  // Between games the chair is given up: what the player won here goes into the purse, since
  // the table counts afresh for whoever sits down next.
  if (m_host.Table().Phase() == TablePhase::Free) m_users[m_chair].gold = GoldOf(m_chair);
  m_host.Leave(m_chair, now);
  m_held.Clear();
}

void CTableEnd::Rejoin(uint64_t now) {
  Disconnect(now);
  Connect(now);
}

bool CTableEnd::Receive(const uint8_t* data, size_t size, uint64_t now) {
  tagPacket packet;
  if (!DecodePacket(data, size, PacketDirection::ToTable, packet)) return false;
  if (!m_connected) return true;
  ++m_received;
  TableCode code = TableCode::Ok;
  if (packet.main == MAIN_GAME) {
    // A refused move changes nothing; a record for another chair is a faulty peer.
    code = m_host.ClientMessage(m_chair, packet.sub, packet.record, packet.recordSize, now);
    if (code == TableCode::Malformed) return false;
  } else {
    switch (packet.sub) {
      case SUB_USER_READY:
        code = m_host.Ready(m_chair, now);
        break;
      case SUB_CHANGE_TABLE:
        // The embedded lobby has one table: changing tables between games is sitting down
        // afresh. (The game's own change-table message only tells the table.)
        if (m_host.Table().Phase() == TablePhase::Free) Rejoin(now);
        break;
      case SUB_REJOIN:
        Rejoin(now);
        break;
      default:
        break;
    }
  }
  if (code != TableCode::Ok && code != TableCode::ChangeTable) ++m_refused;
  Flush();
  return true;
}

void CTableEnd::Advance(uint64_t now) {
  // Each event alone (never CTableHost::Advance, which runs whatever is due without a bound).
  for (int steps = 0; steps < kMaxStepsPerAdvance && m_host.NextEvent() <= now; ++steps) {
    if (!m_host.Step()) break;
    Flush();
  }
}

uint64_t CTableEnd::NextEvent() const {
  const uint64_t next = m_host.NextEvent();
  return next == NO_DEADLINE ? LINK_NEVER : next;
}

void CTableEnd::DeliverMessage(uint16_t id, const uint8_t* data, size_t size) {
  if (m_connected) Emit(GamePacket(id, data, size), m_held);
}

void CTableEnd::DeliverScene(uint8_t status, const uint8_t* data, size_t size) {
  if (m_connected) Emit(ScenePacket(status, false, data, size), m_held);
}

void CTableEnd::Flush() {
  if (!m_connected) {
    m_held.Clear();
    return;
  }
  const CTable& table = m_host.Table();
  for (uint16_t c = 0; c < SEAT_COUNT; ++c) {
    tagKnown& known = m_known[c];
    const bool seated = table.Seated(c);
    if (!seated) {
      if (known.present) Emit(UserLeavePacket(c, false), m_out);
      known = tagKnown{false, LINK_STATUS_NULL, 0};
      continue;
    }
    const tagLinkUser user = UserAt(c);
    if (!known.present) {
      Emit(UserPacket(SUB_USER_ENTER, user), m_out);
    } else {
      if (user.score != known.score) Emit(UserPacket(SUB_USER_SCORE, user), m_out);
      if (user.status != known.status) Emit(UserPacket(SUB_USER_STATUS, user), m_out);
    }
    known = tagKnown{true, user.status, user.score};
  }
  std::vector<uint8_t> packet;
  while (m_held.Pop(packet)) m_out.SendPacket(packet.data(), packet.size());
}
