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

// A hand a watcher may not see: as many cards, none of them the player's own but the first
// cards of the deck in its order, so the record keeps its counts and still decodes.
void HideCards(uint8_t* cards, size_t count) {
  for (size_t i = 0; i < count && i < DECK_SIZE; ++i) cards[i] = CARD_DECK[i];
}

// The hand in a record for the receiving chair, hidden; false when the record carries none
// (it is passed on as it is).
bool HideHand(uint16_t id, const uint8_t* data, size_t size, uint16_t chair, uint8_t* out) {
  if (chair >= SEAT_COUNT) return false;
  switch (id) {
    case SRV_DEAL: {
      tagSrvDeal deal;
      if (!DecodeSrvDeal(data, size, deal)) return false;
      HideCards(deal.cardArea, deal.handCount);
      return EncodeSrvDeal(deal, out, sizeof(tagSrvDeal)) == size;
    }
    case SRV_PLAY_BEGIN: {
      tagSrvPlayBegin begin;
      if (!DecodeSrvPlayBegin(data, size, begin)) return false;
      HideCards(begin.hand, begin.handCount);
      return EncodeSrvPlayBegin(begin, out, sizeof(tagSrvPlayBegin)) == size;
    }
    case SRV_PASS: {
      tagSrvPass pass;
      if (!DecodeSrvPass(data, size, chair, pass) || pass.newTurn != 1) return false;
      HideCards(pass.hand, pass.cardCount[chair]);
      return EncodeSrvPass(pass, chair, out, sizeof(tagSrvPass)) == size;
    }
    default:
      return false;
  }
}

}  // namespace

CFixedTableUsers::CFixedTableUsers(const tagLobbyUser (&users)[SEAT_COUNT]) {
  std::memcpy(m_users, users, sizeof(m_users));
  for (tagLobbyUser& user : m_users) user.name[LINK_NAME_SIZE - 1] = '\0';
}

bool CFixedTableUsers::UserOf(uint16_t chair, tagLobbyUser& out, uint32_t& userId) const {
  if (chair >= SEAT_COUNT) return false;
  out = m_users[chair];
  userId = chair + 1u;
  return true;
}

void CFixedTableUsers::ChairLeft(uint16_t chair, int64_t gold) {
  if (chair < SEAT_COUNT) m_users[chair].gold = gold;
}

CTableEnd::CTableEnd(CTableHost& host, uint16_t chair, const tagLobbyUser (&users)[SEAT_COUNT],
                     IPacketSink& out)
    : m_host(host),
      m_chair(chair),
      m_ownUsers(std::make_unique<CFixedTableUsers>(users)),
      m_users(*m_ownUsers),
      m_out(out) {}

CTableEnd::CTableEnd(CTableHost& host, uint16_t chair, ITableUsers& users, IPacketSink& out,
                     bool lookon)
    : m_host(host), m_chair(chair), m_users(users), m_out(out), m_lookon(lookon), m_lobby(true) {}

CTableEnd::~CTableEnd() {
  // The host must never deliver to an end that is gone.
  if (m_lookon) m_host.RemoveWatcher(this);
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
  tagLobbyUser who{};
  uint32_t id = 0;
  if (!m_users.UserOf(chair, who, id)) who.gold = 0;
  int64_t gold = 0;
  if (__builtin_add_overflow(who.gold, m_host.Table().Gold(chair), &gold))
    gold = who.gold < 0 ? INT64_MIN : INT64_MAX;
  return gold;
}

tagLinkUser CTableEnd::UserAt(uint16_t chair) const {
  tagLobbyUser who{};
  uint32_t id = 0;
  if (!m_users.UserOf(chair, who, id)) id = 0;
  who.name[LINK_NAME_SIZE - 1] = '\0';
  tagLinkUser user{};
  user.chair = chair;
  user.gender = who.gender <= 2 ? who.gender : 0;
  user.faceId = who.faceId;
  user.userId = id;
  // A name the record cannot hold stays empty rather than stopping the user's entry.
  SetLinkUserName(user, who.name);
  user.score = GoldOf(chair);
  user.tableId = kTableId;
  user.status = StatusOf(chair);
  return user;
}

void CTableEnd::Connect(uint64_t now) {
  m_connected = true;
  const CTable& table = m_host.Table();
  bool returned = false;
  if (m_lookon) {
    if (!m_host.AddWatcher(m_chair, this)) {
      m_connected = false;  // no room to watch
      return;
    }
  } else {
    const bool sat =
        table.Seated(m_chair) ? m_host.Relink(m_chair, this) : m_host.SeatHuman(m_chair, this);
    if (!sat) {
      m_connected = false;  // the chair is taken: nowhere to sit
      return;
    }
    // Back during a game, the host hands over the playing scene (held until the users are
    // told); otherwise the scene is the table as it is.
    returned = m_host.Return(m_chair, now);
  }
  Emit(SelfPacket({m_chair, static_cast<uint8_t>(m_lookon ? 1 : 0),
                   static_cast<uint8_t>(m_lookon && !Hidden() ? 1 : 0)}),
       m_out);
  Emit(AttributePacket(kAttribute), m_out);
  for (uint16_t c = 0; c < SEAT_COUNT; ++c) {
    m_known[c] = tagKnown{false, LINK_STATUS_NULL, 0};
    if (!table.Seated(c)) continue;
    const tagLinkUser user = UserAt(c);
    m_known[c] = tagKnown{true, user.status, user.score};
    Emit(UserPacket(SUB_USER_ENTER, user), m_out);
  }
  if (!returned) EmitScene(m_out);
  Flush();
}

void CTableEnd::EmitScene(IPacketSink& to) {
  uint8_t status = 0;
  uint8_t scene[sizeof(tagScenePlaying)];
  size_t size = 0;
  if (!m_host.Table().BuildScene(m_chair, status, scene, sizeof(scene), size)) return;
  if (status == STATUS_PLAYING && Hidden()) {
    tagScenePlaying playing;
    if (!DecodeScenePlaying(scene, size, m_chair, playing)) return;
    HideCards(playing.hand, playing.cardCount[m_chair]);
    if (EncodeScenePlaying(playing, m_chair, scene, sizeof(scene)) != size) return;
  }
  Emit(ScenePacket(status, m_lookon, scene, size), to);
}

void CTableEnd::WatchersOptionChanged() {
  if (!m_connected || !m_lookon) return;
  Emit(SelfPacket({m_chair, 1, static_cast<uint8_t>(Hidden() ? 0 : 1)}), m_out);
  EmitScene(m_out);
}

void CTableEnd::Disconnect(uint64_t now) {
  if (!m_connected) return;
  m_connected = false;
  m_held.Clear();
  if (m_lookon) {
    m_host.RemoveWatcher(this);
    return;
  }
  // Between games the chair is given up: what the player won here goes into the purse, since
  // the table counts afresh for whoever sits down next.
  if (m_host.Table().Phase() == TablePhase::Free) m_users.ChairLeft(m_chair, GoldOf(m_chair));
  m_host.Leave(m_chair, now);
}

void CTableEnd::Rejoin(uint64_t now) {
  Disconnect(now);
  Connect(now);
}

bool CTableEnd::Receive(const uint8_t* data, size_t size, uint64_t now) {
  tagPacket packet;
  if (!DecodePacket(data, size, PacketDirection::ToTable, packet)) return false;
  if (packet.main == MAIN_LOBBY) return false;  // the lobby's own, never the table's
  if (!m_connected) return true;
  ++m_received;
  TableCode code = TableCode::Ok;
  if (m_lookon) {
    // A watcher never acts. Its client may send the silent auto-play reset of every deal and
    // game end for the watched chair; anything for another chair is hostile.
    if (packet.main == MAIN_GAME && packet.sub == CLI_AUTO_PLAY) {
      tagCliAutoPlay autoPlay;
      if (!DecodeCliAutoPlay(packet.record, packet.recordSize, autoPlay) ||
          autoPlay.chair != m_chair)
        return false;
      if (autoPlay.autoPlay == 0 && autoPlay.quiet == 1) return true;  // ignored, no fault
    }
    ++m_refused;
    return true;
  }
  if (packet.main == MAIN_GAME) {
    // A refused move changes nothing; a record for another chair is a faulty peer.
    code = m_host.ClientMessage(m_chair, packet.sub, packet.record, packet.recordSize, now);
    if (code == TableCode::Malformed) return false;
    if (code == TableCode::ChangeTable) {
      tagCliChangeTable change;
      if (!DecodeCliChangeTable(packet.record, packet.recordSize, change) ||
          change.chair != m_chair)
        return false;
      if (m_lobby) m_move = TableMove::ChangeTable;
    }
  } else {
    switch (packet.sub) {
      case SUB_USER_READY:
        code = m_host.Ready(m_chair, now);
        break;
      case SUB_CHANGE_TABLE:
        // The embedded lobby has one table: changing tables between games is sitting down
        // afresh. (The game's own change-table message only tells the table.)
        if (m_lobby) {
          m_move = TableMove::ChangeTable;
        } else if (m_host.Table().Phase() == TablePhase::Free) {
          Rejoin(now);
        }
        break;
      case SUB_REJOIN:
        if (m_lobby) {
          m_move = TableMove::Rejoin;
        } else {
          Rejoin(now);
        }
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
  if (!m_connected) return;
  uint8_t hidden[sizeof(tagSrvDeal)];
  if (Hidden() && size <= sizeof(hidden) && HideHand(id, data, size, m_chair, hidden))
    data = hidden;
  Emit(GamePacket(id, data, size), m_held);
}

void CTableEnd::DeliverScene(uint8_t status, const uint8_t* data, size_t size) {
  // Only a returning player's scene comes this way; a watcher builds its own (EmitScene).
  if (m_connected && !m_lookon) Emit(ScenePacket(status, false, data, size), m_held);
}

void CTableEnd::Flush() {
  if (!m_connected) {
    m_held.Clear();
    return;
  }
  const CTable& table = m_host.Table();
  // A chair freed at the end of a game goes after the game's last records (its result): the
  // client shows the result of every user it still knows.
  bool left[SEAT_COUNT] = {};
  for (uint16_t c = 0; c < SEAT_COUNT; ++c) {
    tagKnown& known = m_known[c];
    const bool seated = table.Seated(c);
    if (!seated) {
      left[c] = known.present;
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
  for (uint16_t c = 0; c < SEAT_COUNT; ++c) {
    if (left[c]) Emit(UserLeavePacket(c, false), m_out);
  }
}
