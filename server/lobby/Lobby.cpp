#include "server/lobby/Lobby.h"

#include <sys/random.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace {

// Bounds on the table events run in one Advance per table, as in the embedded table end: a
// table that always has something due cannot hold the loop.
constexpr int kMaxStepsPerTable = 10000;
// Table moves asked at the table (the game's change-table message) are answered as this.
constexpr uint16_t kMoveRequest = 0;
// Bots are named with this prefix, which no person's name may take.
constexpr char kBotPrefix[] = "Bot-";

bool SameToken(const uint8_t* a, const uint8_t* b) {
  uint8_t diff = 0;  // the whole token, whatever the first difference
  for (size_t i = 0; i < LOBBY_TOKEN_SIZE; ++i) diff |= static_cast<uint8_t>(a[i] ^ b[i]);
  return diff == 0;
}

std::string ResultName(LobbyResult r) {
  switch (r) {
    case LobbyResult::Ok:
      return "ok";
    case LobbyResult::Version:
      return "version";
    case LobbyResult::BadName:
      return "bad name";
    case LobbyResult::NameTaken:
      return "name taken";
    case LobbyResult::Full:
      return "full";
    case LobbyResult::NoSuchTable:
      return "no such table";
    case LobbyResult::ChairTaken:
      return "chair taken";
    case LobbyResult::NotNow:
      return "not now";
    case LobbyResult::NotAtTable:
      return "not at a table";
    case LobbyResult::AlreadyAtTable:
      return "already at a table";
    case LobbyResult::NoFreeChair:
      return "no free chair";
    case LobbyResult::Refused:
      return "refused";
  }
  return "?";
}

}  // namespace

bool LobbyRandomBytes(uint8_t* buffer, size_t size) {
  size_t done = 0;
  while (done < size) {
    const ssize_t n = getrandom(buffer + done, size - done, 0);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    done += static_cast<size_t>(n);
  }
  return true;
}

// One table of the lobby: the host, who sits where, who is at the table.
class CLobby::CNetTable final : public ITableUsers {
 public:
  CNetTable(CLobby& lobby, uint16_t index, const tagHostConfig& config)
      : host(config), index(index), m_lobby(lobby) {
    for (uint16_t c = 0; c < SEAT_COUNT; ++c) {
      tagLobbyUser& bot = bots[c];
      bot = tagLobbyUser{};
      const std::string name = kBotPrefix + std::to_string(index) + "." + std::to_string(c);
      std::memcpy(bot.name, name.data(), std::min(name.size(), LOBBY_NAME_MAX));
      bot.gender = static_cast<uint8_t>(1 + (index + c) % 2);
      bot.faceId = static_cast<uint16_t>((index * 3 + c) % (LOBBY_FACE_MAX + 1));
    }
  }

  bool UserOf(uint16_t chair, tagLobbyUser& out, uint32_t& userId) const override {
    if (chair >= SEAT_COUNT) return false;
    if (host.IsBot(chair)) {
      out = bots[chair];
      userId = 0;
      return true;
    }
    const tagUser* user = Person(chair);
    if (user == nullptr) return false;
    out = tagLobbyUser{};
    std::memcpy(out.name, user->name.data(), std::min(user->name.size(), LOBBY_NAME_MAX));
    out.gender = user->gender;
    out.faceId = user->faceId;
    out.gold = user->gold;
    userId = user->id;
    return true;
  }

  bool AllowsWatchers(uint16_t chair) const override {
    const tagUser* user = chair < SEAT_COUNT ? Person(chair) : nullptr;
    return user != nullptr && user->allowWatchers;
  }

  void ChairLeft(uint16_t chair, int64_t gold) override {
    if (chair >= SEAT_COUNT) return;
    auto it = m_lobby.m_users.find(userAt[chair]);
    userAt[chair] = 0;
    if (it == m_lobby.m_users.end()) return;
    it->second.gold = gold;
    it->second.table = LOBBY_ANY;
    it->second.chair = LOBBY_ANY;
  }

  const tagUser* Person(uint16_t chair) const {
    auto it = m_lobby.m_users.find(userAt[chair]);
    return it == m_lobby.m_users.end() ? nullptr : &it->second;
  }
  bool Empty(uint16_t chair) const { return !host.Table().Seated(chair); }
  uint16_t Persons() const {
    uint16_t n = 0;
    for (uint16_t c = 0; c < SEAT_COUNT; ++c) n += userAt[c] != 0 ? 1 : 0;
    return n;
  }

  CTableHost host;
  uint16_t index;
  uint32_t userAt[SEAT_COUNT] = {};  // a person's user id; 0 for nobody or a bot
  tagLobbyUser bots[SEAT_COUNT];
  std::vector<uint64_t> connections;  // players and watchers at this table
  uint64_t botsAt = NO_DEADLINE;
  uint64_t dueAt = NO_DEADLINE;  // its place in the lobby's queue
  TablePhase lastPhase = TablePhase::Free;

 private:
  CLobby& m_lobby;
};

CLobby::CLobby(const tagLobbyConfig& config, LobbyLog log)
    : m_config(config), m_log(std::move(log)) {
  uint64_t seed = config.seed;
  if (seed == 0 && !LobbyRandomBytes(reinterpret_cast<uint8_t*>(&seed), sizeof(seed))) seed = 1;
  const uint16_t count = std::min<uint16_t>(std::max<uint16_t>(config.tables, 1), LOBBY_MAX_TABLES);
  m_tables.reserve(count);
  std::shared_ptr<CThinkPool> thinkPool;
  if (config.thinkThreads > 0) thinkPool = std::make_shared<CThinkPool>(config.thinkThreads);
  for (uint16_t t = 0; t < count; ++t) {
    tagHostConfig host;
    host.table.seed = seed + t * 0x9E3779B97F4A7C15ull;
    host.table.turnSeconds = config.turnSeconds;
    host.botDelayMinMs = config.botDelayMinMs;
    host.botDelayMaxMs = config.botDelayMaxMs;
    host.thinkPool = thinkPool;
    m_tables.push_back(std::make_unique<CNetTable>(*this, t, host));
    Reschedule(*m_tables.back());
  }
}

CLobby::~CLobby() {
  // The ends go before the tables whose hosts they are linked to.
  for (auto& [id, c] : m_connections) c.end.reset();
}

void CLobby::Log(const std::string& line) const {
  if (m_log) m_log(line);
}

const CTable& CLobby::TableAt(uint16_t table) const { return m_tables.at(table)->host.Table(); }

uint32_t CLobby::GamesPlayed() const {
  uint32_t games = 0;
  for (const auto& t : m_tables) games += t->host.Table().GamesPlayed();
  return games;
}

CLobby::tagUser* CLobby::UserOf(const tagConnection& c) {
  auto it = m_users.find(c.user);
  return it == m_users.end() ? nullptr : &it->second;
}

uint64_t CLobby::Open(ILobbyPeer& peer, uint64_t now) {
  (void)now;
  const uint64_t id = m_nextConnection++;
  m_connections[id].peer = &peer;
  return id;
}

void CLobby::Answer(tagConnection& c, uint16_t request, LobbyResult result) {
  uint8_t record[LOBBY_ANSWER_SIZE];
  const size_t n =
      EncodeLobbyAnswer({request, static_cast<uint8_t>(result)}, record, sizeof(record));
  uint8_t packet[PACKET_HEADER_SIZE + LOBBY_ANSWER_SIZE];
  const size_t size =
      EncodeLobbyPacket(LOBBY_ANSWER, record, n, PacketDirection::ToClient, packet, sizeof(packet));
  if (size > 0) c.peer->SendPacket(packet, size);
}

void CLobby::SendPlace(tagConnection& c, uint16_t table, uint16_t chair, bool lookon) {
  uint8_t record[LOBBY_PLACE_SIZE];
  const size_t n = EncodeLobbyPlace({table, chair, static_cast<uint8_t>(lookon ? 1 : 0)}, record,
                                    sizeof(record));
  uint8_t packet[PACKET_HEADER_SIZE + LOBBY_PLACE_SIZE];
  const size_t size =
      EncodeLobbyPacket(LOBBY_PLACE, record, n, PacketDirection::ToClient, packet, sizeof(packet));
  if (size > 0) c.peer->SendPacket(packet, size);
}

bool CLobby::Refuse(tagConnection& c, uint16_t request, LobbyResult result) {
  Answer(c, request, result);
  const tagUser* u = UserOf(c);
  Log("refused: " + (u ? "user " + std::to_string(u->id) : std::string("a connection")) +
      ", request " + std::to_string(request) + ": " + ResultName(result));
  return ++c.refusals <= m_config.maxRefusals;
}

bool CLobby::Receive(uint64_t id, const uint8_t* data, size_t size, uint64_t now) {
  auto it = m_connections.find(id);
  if (it == m_connections.end()) return false;
  tagConnection& c = it->second;
  tagPacket packet;
  if (!DecodePacket(data, size, PacketDirection::ToTable, packet)) {
    // A login of another version is answered before the connection goes.
    if (c.user == 0 && size > PACKET_HEADER_SIZE && data[2] == MAIN_LOBBY && data[3] == 0 &&
        data[4] == LOBBY_LOGIN && data[5] == 0 && data[PACKET_HEADER_SIZE] != LOBBY_VERSION) {
      tagLobbyLoginAnswer refused{};
      refused.result = static_cast<uint8_t>(LobbyResult::Version);
      refused.table = LOBBY_ANY;
      uint8_t record[LOBBY_LOGIN_ANSWER_SIZE];
      uint8_t out[PACKET_HEADER_SIZE + LOBBY_LOGIN_ANSWER_SIZE];
      const size_t n = EncodeLobbyLoginAnswer(refused, record, sizeof(record));
      const size_t m = EncodeLobbyPacket(LOBBY_LOGIN_ANSWER, record, n, PacketDirection::ToClient,
                                         out, sizeof(out));
      if (m > 0) c.peer->SendPacket(out, m);
      Log("refused: connection " + std::to_string(id) + ", login of another version");
      return false;
    }
    Log("refused: connection " + std::to_string(id) + ", malformed packet");
    return false;
  }
  if (packet.main == MAIN_LOBBY) return OnLobbyPacket(id, c, packet, now);

  // The table's own packets, at a table only.
  if (!c.end) {
    Log("refused: connection " + std::to_string(id) + ", a table's packet away from a table");
    return false;
  }
  tagUser* u = UserOf(c);
  const uint16_t table = u->table;
  const uint32_t refusedBefore = c.end->Refused();
  if (!c.end->Receive(data, size, now)) {
    Log("refused: user " + std::to_string(u->id) + ", hostile record at table " +
        std::to_string(table));
    return false;
  }
  if (c.end->Refused() != refusedBefore) {
    // A watcher does not act; a player's refused move changes nothing and is no fault.
    if (c.end->Lookon()) {
      if (!Refuse(c, kMoveRequest, LobbyResult::Refused)) return false;
    } else {
      Log("table " + std::to_string(table) + ": user " + std::to_string(u->id) +
          ": input refused by the table");
    }
  }
  switch (c.end->TakeMove()) {
    case TableMove::ChangeTable:
      ChangeTable(c, *u, now);
      break;
    case TableMove::Rejoin:
      // Leaving and sitting down again at the same chair, between games.
      if (m_tables[table]->host.Table().Phase() == TablePhase::Free) {
        const uint16_t chair = u->chair;
        c.end->Disconnect(now);
        m_tables[table]->userAt[chair] = u->id;
        u->table = table;
        u->chair = chair;
        c.end->Connect(now);
      }
      break;
    case TableMove::None:
      break;
  }
  AfterTableEvent(table, now);
  return true;
}

bool CLobby::OnLobbyPacket(uint64_t id, tagConnection& c, const tagPacket& packet, uint64_t now) {
  if (c.user == 0) {
    tagLobbyLogin login;
    if (packet.sub != LOBBY_LOGIN || !DecodeLobbyLogin(packet.record, packet.recordSize, login)) {
      Log("refused: connection " + std::to_string(id) + ", a request before the login");
      return false;
    }
    return Login(id, c, login, now);
  }
  tagUser& u = *UserOf(c);
  switch (packet.sub) {
    case LOBBY_LIST: {
      uint16_t first = 0;
      DecodeLobbyList(packet.record, packet.recordSize, first);
      SendTables(c, first);
      return true;
    }
    case LOBBY_SIT:
    case LOBBY_WATCH: {
      tagLobbySeatAsk ask{};
      DecodeLobbySeatAsk(packet.sub, packet.record, packet.recordSize, ask);
      const LobbyResult r = packet.sub == LOBBY_SIT ? Sit(c, u, ask, now) : Watch(c, u, ask, now);
      return r == LobbyResult::Ok || Refuse(c, packet.sub, r);
    }
    case LOBBY_LEAVE: {
      const LobbyResult r = Leave(c, u, now);
      return r == LobbyResult::Ok || Refuse(c, packet.sub, r);
    }
    case LOBBY_OPTIONS: {
      uint8_t allow = 0;
      DecodeLobbyOptions(packet.record, packet.recordSize, allow);
      u.allowWatchers = allow != 0;
      Answer(c, packet.sub, LobbyResult::Ok);
      // The watchers of the user's chair see the hand now, or no longer.
      if (u.table != LOBBY_ANY && !u.lookon) {
        for (uint64_t other : m_tables[u.table]->connections) {
          tagConnection& w = m_connections[other];
          if (w.end && w.end->Lookon() && w.end->Chair() == u.chair) w.end->WatchersOptionChanged();
        }
      }
      return true;
    }
    default:
      Log("refused: user " + std::to_string(u.id) + ", a second login");
      return false;
  }
}

bool CLobby::Login(uint64_t id, tagConnection& c, const tagLobbyLogin& login, uint64_t now) {
  tagLobbyLoginAnswer answer{};
  answer.table = LOBBY_ANY;
  const std::string name = login.name;
  auto refuse = [&](LobbyResult r) {
    tagLobbyLoginAnswer refused{};
    refused.result = static_cast<uint8_t>(r);
    refused.table = LOBBY_ANY;
    uint8_t record[LOBBY_LOGIN_ANSWER_SIZE];
    uint8_t out[PACKET_HEADER_SIZE + LOBBY_LOGIN_ANSWER_SIZE];
    const size_t n = EncodeLobbyLoginAnswer(refused, record, sizeof(record));
    const size_t m = EncodeLobbyPacket(LOBBY_LOGIN_ANSWER, record, n, PacketDirection::ToClient,
                                       out, sizeof(out));
    if (m > 0) c.peer->SendPacket(out, m);
    Log("refused: login of '" + name + "' on connection " + std::to_string(id) + ": " +
        ResultName(r));
    return ++c.refusals <= m_config.maxRefusals;
  };
  if (name.rfind(kBotPrefix, 0) == 0) return refuse(LobbyResult::BadName);

  tagUser* user = nullptr;
  bool returned = false;
  auto named = m_names.find(name);
  if (named != m_names.end()) {
    tagUser& held = m_users[named->second];
    // A user of this name is connected, or away and this is not its token.
    if (held.connection != 0 || login.hasToken == 0 || !SameToken(held.token, login.token))
      return refuse(LobbyResult::NameTaken);
    user = &held;
    returned = true;
  } else {
    if (m_users.size() >= m_config.maxUsers) return refuse(LobbyResult::Full);
    tagUser fresh;
    fresh.id = m_nextUser++;
    if (m_nextUser == 0) m_nextUser = 1;
    fresh.name = name;
    fresh.gold = m_config.startGold;
    if (!LobbyRandomBytes(fresh.token, sizeof(fresh.token))) return refuse(LobbyResult::Full);
    user = &m_users.emplace(fresh.id, fresh).first->second;
    m_names.emplace(name, fresh.id);
  }
  user->gender = login.gender;
  user->faceId = login.faceId;
  user->allowWatchers = login.allowWatchers != 0;
  user->connection = id;
  c.user = user->id;

  // Back during a game: the chair it holds is played for it until then.
  const bool back = returned && user->table != LOBBY_ANY;
  answer.result = static_cast<uint8_t>(LobbyResult::Ok);
  answer.returned = back ? 1 : 0;
  answer.table = back ? user->table : LOBBY_ANY;
  answer.userId = user->id;
  std::memcpy(answer.token, user->token, LOBBY_TOKEN_SIZE);
  answer.gold = user->gold;
  uint8_t record[LOBBY_LOGIN_ANSWER_SIZE];
  uint8_t out[PACKET_HEADER_SIZE + LOBBY_LOGIN_ANSWER_SIZE];
  const size_t n = EncodeLobbyLoginAnswer(answer, record, sizeof(record));
  const size_t m =
      EncodeLobbyPacket(LOBBY_LOGIN_ANSWER, record, n, PacketDirection::ToClient, out, sizeof(out));
  if (m > 0) c.peer->SendPacket(out, m);
  Log("login: user " + std::to_string(user->id) + " '" + name + "' on connection " +
      std::to_string(id) + (returned ? " (back)" : ""));
  if (back) Enter(c, *user, user->table, user->chair, false, now);
  return true;
}

LobbyResult CLobby::FindChair(tagLobbySeatAsk& ask) const {
  auto botChair = [](const CNetTable& t, uint16_t chair) {
    return t.host.IsBot(chair) && t.host.Table().Phase() == TablePhase::Free;
  };
  if (ask.table == LOBBY_ANY) {
    // People waiting for company first, then any empty chair, then a bot's between games.
    for (int pass = 0; pass < 3; ++pass) {
      for (const auto& t : m_tables) {
        if (pass == 0 && t->Persons() == 0) continue;
        for (uint16_t chair = 0; chair < SEAT_COUNT; ++chair) {
          if (pass < 2 ? t->Empty(chair) : botChair(*t, chair)) {
            ask = {t->index, chair};
            return LobbyResult::Ok;
          }
        }
      }
    }
    return LobbyResult::NoFreeChair;
  }
  if (ask.table >= m_tables.size()) return LobbyResult::NoSuchTable;
  const CNetTable& t = *m_tables[ask.table];
  if (ask.chair == LOBBY_ANY) {
    for (int pass = 0; pass < 2; ++pass) {
      for (uint16_t chair = 0; chair < SEAT_COUNT; ++chair) {
        if (pass == 0 ? t.Empty(chair) : botChair(t, chair)) {
          ask.chair = chair;
          return LobbyResult::Ok;
        }
      }
    }
    return LobbyResult::NoFreeChair;
  }
  if (t.Empty(ask.chair)) return LobbyResult::Ok;
  if (t.host.IsBot(ask.chair))
    return botChair(t, ask.chair) ? LobbyResult::Ok : LobbyResult::NotNow;
  return LobbyResult::ChairTaken;
}

LobbyResult CLobby::Sit(tagConnection& c, tagUser& u, tagLobbySeatAsk ask, uint64_t now) {
  if (u.table != LOBBY_ANY) return LobbyResult::AlreadyAtTable;
  const LobbyResult r = FindChair(ask);
  if (r != LobbyResult::Ok) return r;
  Answer(c, LOBBY_SIT, LobbyResult::Ok);
  CNetTable& t = *m_tables[ask.table];
  if (t.host.IsBot(ask.chair)) {
    t.host.UnseatBot(ask.chair);
    Log("table " + std::to_string(ask.table) + ": the bot leaves chair " +
        std::to_string(ask.chair));
  }
  Enter(c, u, ask.table, ask.chair, false, now);
  return LobbyResult::Ok;
}

LobbyResult CLobby::Watch(tagConnection& c, tagUser& u, tagLobbySeatAsk ask, uint64_t now) {
  if (u.table != LOBBY_ANY) return LobbyResult::AlreadyAtTable;
  if (ask.table >= m_tables.size()) return LobbyResult::NoSuchTable;
  if (m_tables[ask.table]->host.WatcherCount(ask.chair) >= MAX_WATCHERS_PER_CHAIR)
    return LobbyResult::ChairTaken;
  Answer(c, LOBBY_WATCH, LobbyResult::Ok);
  Enter(c, u, ask.table, ask.chair, true, now);
  return LobbyResult::Ok;
}

LobbyResult CLobby::Leave(tagConnection& c, tagUser& u, uint64_t now) {
  if (!c.end) return LobbyResult::NotAtTable;
  // A player leaves between games only; during one its connection may go, and the table
  // plays for it.
  if (!u.lookon && m_tables[u.table]->host.Table().Phase() != TablePhase::Free)
    return LobbyResult::NotNow;
  Answer(c, LOBBY_LEAVE, LobbyResult::Ok);
  Depart(c, u, now);
  SendPlace(c, LOBBY_ANY, LOBBY_ANY, false);
  return LobbyResult::Ok;
}

void CLobby::Enter(tagConnection& c, tagUser& u, uint16_t table, uint16_t chair, bool lookon,
                   uint64_t now) {
  CNetTable& t = *m_tables[table];
  t.connections.push_back(u.connection);
  u.table = table;
  u.chair = chair;
  u.lookon = lookon;
  if (!lookon) t.userAt[chair] = u.id;
  SendPlace(c, table, chair, lookon);
  c.end = std::make_unique<CTableEnd>(t.host, chair, t, *c.peer, lookon);
  c.end->Connect(now);
  Log("table " + std::to_string(table) + ": user " + std::to_string(u.id) +
      (lookon ? " watches chair " : " sits at chair ") + std::to_string(chair));
  AfterTableEvent(table, now);
}

void CLobby::Depart(tagConnection& c, tagUser& u, uint64_t now) {
  if (!c.end || u.table == LOBBY_ANY) return;
  const uint16_t table = u.table;
  CNetTable& t = *m_tables[table];
  std::erase(t.connections, u.connection);
  const bool lookon = u.lookon;
  const uint16_t chair = u.chair;
  // Between games the end gives the chair up (ChairLeft: the winnings go into the purse);
  // during a game the table plays for it and the user keeps it until the game ends.
  c.end->Disconnect(now);
  c.end.reset();
  if (lookon || t.userAt[chair] != u.id) {
    u.table = LOBBY_ANY;
    u.chair = LOBBY_ANY;
    u.lookon = false;
  }
  Log("table " + std::to_string(table) + ": user " + std::to_string(u.id) +
      (lookon ? " stops watching" : " leaves"));
  AfterTableEvent(table, now);
}

void CLobby::ChangeTable(tagConnection& c, tagUser& u, uint64_t now) {
  if (u.lookon || u.table == LOBBY_ANY) return;
  const uint16_t from = u.table;
  if (m_tables[from]->host.Table().Phase() != TablePhase::Free) {
    Answer(c, kMoveRequest, LobbyResult::NotNow);
    return;
  }
  // Another table with a chair for the user: the first table with a free chair after this one.
  tagLobbySeatAsk ask{LOBBY_ANY, LOBBY_ANY};
  for (size_t k = 1; k < m_tables.size(); ++k) {
    tagLobbySeatAsk at{static_cast<uint16_t>((from + k) % m_tables.size()), LOBBY_ANY};
    if (FindChair(at) == LobbyResult::Ok) {
      ask = at;
      break;
    }
  }
  if (ask.table == LOBBY_ANY) {
    Answer(c, kMoveRequest, LobbyResult::NoFreeChair);
    return;
  }
  Answer(c, kMoveRequest, LobbyResult::Ok);
  Depart(c, u, now);
  CNetTable& t = *m_tables[ask.table];
  if (t.host.IsBot(ask.chair)) t.host.UnseatBot(ask.chair);
  Enter(c, u, ask.table, ask.chair, false, now);
}

void CLobby::SendTables(tagConnection& c, uint16_t first) {
  tagLobbyTables page{};
  page.total = static_cast<uint16_t>(m_tables.size());
  page.first = std::min<uint16_t>(first, page.total);
  page.count = std::min<uint16_t>(LOBBY_PAGE_TABLES, page.total - page.first);
  for (uint16_t i = 0; i < page.count; ++i) {
    const CNetTable& t = *m_tables[page.first + i];
    tagLobbyTableInfo& info = page.tables[i];
    info.table = t.index;
    info.playing = t.host.Table().Phase() != TablePhase::Free ? 1 : 0;
    uint16_t watchers = 0;
    for (uint16_t chair = 0; chair < SEAT_COUNT; ++chair) {
      watchers += t.host.WatcherCount(chair);
      tagLobbyChairInfo& seat = info.chairs[chair];
      tagLobbyUser who{};
      uint32_t userId = 0;
      if (t.Empty(chair) || !t.UserOf(chair, who, userId)) continue;
      seat.kind = static_cast<uint8_t>(t.host.IsBot(chair)               ? LobbyChair::Bot
                                       : t.host.Table().Connected(chair) ? LobbyChair::Person
                                                                         : LobbyChair::Away);
      seat.gender = who.gender;
      seat.faceId = who.faceId;
      std::memcpy(seat.name, who.name, LINK_NAME_SIZE);
      seat.name[LINK_NAME_SIZE - 1] = '\0';
    }
    info.watchers = static_cast<uint8_t>(std::min<uint16_t>(watchers, 255));
  }
  uint8_t record[LOBBY_TABLES_HEAD_SIZE + LOBBY_PAGE_TABLES * LOBBY_TABLE_INFO_SIZE];
  const size_t n = EncodeLobbyTables(page, record, sizeof(record));
  uint8_t packet[PACKET_MAX_SIZE];
  const size_t size =
      EncodeLobbyPacket(LOBBY_TABLES, record, n, PacketDirection::ToClient, packet, sizeof(packet));
  if (size > 0) c.peer->SendPacket(packet, size);
}

void CLobby::Close(uint64_t id, uint64_t now) {
  auto it = m_connections.find(id);
  if (it == m_connections.end()) return;
  tagConnection& c = it->second;
  tagUser* u = UserOf(c);
  if (u != nullptr) {
    Depart(c, *u, now);
    u->connection = 0;
    // A user who holds no chair in a running game is forgotten; one who does is away until it
    // comes back with its token or the game ends.
    if (u->table == LOBBY_ANY) {
      ForgetUser(u->id);
    } else {
      Log("table " + std::to_string(u->table) + ": user " + std::to_string(u->id) +
          " is away, the table plays for chair " + std::to_string(u->chair));
    }
  }
  m_connections.erase(id);
}

void CLobby::ForgetUser(uint32_t id) {
  auto it = m_users.find(id);
  if (it == m_users.end()) return;
  m_names.erase(it->second.name);
  m_users.erase(it);
}

void CLobby::AfterTableEvent(uint16_t table, uint64_t now) {
  CNetTable& t = *m_tables[table];
  SettleTable(t, now);
  Reschedule(t);
}

void CLobby::SettleTable(CNetTable& t, uint64_t now) {
  const uint16_t table = t.index;
  for (uint64_t id : t.connections) {
    auto it = m_connections.find(id);
    if (it != m_connections.end() && it->second.end) it->second.end->Flush();
  }
  const CTable& game = t.host.Table();
  // Chairs the table freed at the end of a game (their players were away).
  for (uint16_t chair = 0; chair < SEAT_COUNT; ++chair) {
    if (t.userAt[chair] == 0 || game.Seated(chair)) continue;
    auto it = m_users.find(t.userAt[chair]);
    t.userAt[chair] = 0;
    if (it == m_users.end()) continue;
    tagUser& u = it->second;
    if (__builtin_add_overflow(u.gold, game.Gold(chair), &u.gold))
      u.gold = game.Gold(chair) < 0 ? INT64_MIN : INT64_MAX;
    u.table = LOBBY_ANY;
    u.chair = LOBBY_ANY;
    Log("table " + std::to_string(table) + ": chair " + std::to_string(chair) + " of user " +
        std::to_string(u.id) + " is freed");
    if (u.connection == 0) ForgetUser(u.id);
  }
  if (game.Phase() != t.lastPhase) {
    if (t.lastPhase == TablePhase::Free) {
      Log("table " + std::to_string(table) + ": game " + std::to_string(game.GamesPlayed()) +
          " starts");
    } else if (game.Phase() == TablePhase::Free) {
      Log("table " + std::to_string(table) + ": game " + std::to_string(game.GamesPlayed()) +
          " ends, chair " + std::to_string(game.Stats().winner) + " wins");
    }
    t.lastPhase = game.Phase();
  }
  // Bots keep waiting people company; a table with nobody but bots closes.
  if (game.Phase() != TablePhase::Free) return;
  if (t.Persons() == 0) {
    for (uint16_t chair = 0; chair < SEAT_COUNT; ++chair) {
      if (t.host.UnseatBot(chair)) {
        Log("table " + std::to_string(table) + ": the bot leaves chair " + std::to_string(chair));
      }
    }
    t.botsAt = NO_DEADLINE;
    return;
  }
  bool empty = false;
  for (uint16_t chair = 0; chair < SEAT_COUNT; ++chair) empty = empty || t.Empty(chair);
  if (!empty || m_config.botsAfterMs == 0) {
    t.botsAt = NO_DEADLINE;
  } else if (t.botsAt == NO_DEADLINE) {
    t.botsAt = now + m_config.botsAfterMs;
  }
}

void CLobby::Advance(uint64_t now) {
  // The tables due now, each run once: one that is still due after its bound of events waits
  // for the next Advance.
  std::vector<uint16_t> due;
  for (auto it = m_due.begin(); it != m_due.end() && it->first <= now; ++it) {
    due.push_back(it->second);
  }
  for (uint16_t index : due) {
    CNetTable& t = *m_tables[index];
    for (int steps = 0; steps < kMaxStepsPerTable && t.host.NextEvent() <= now; ++steps) {
      if (!t.host.Step()) break;
      AfterTableEvent(t.index, now);
    }
    if (t.botsAt <= now) {
      t.botsAt = NO_DEADLINE;
      for (uint16_t chair = 0; chair < SEAT_COUNT; ++chair) {
        if (t.Empty(chair) && t.host.SeatBot(chair, m_config.botLevel)) {
          Log("table " + std::to_string(t.index) + ": a bot sits at chair " +
              std::to_string(chair));
        }
      }
      AfterTableEvent(t.index, now);
    }
    Reschedule(t);
  }
}

void CLobby::Reschedule(CNetTable& t) {
  const uint64_t next = std::min(t.host.NextEvent(), t.botsAt);
  if (next == t.dueAt) return;
  if (t.dueAt != NO_DEADLINE) m_due.erase({t.dueAt, t.index});
  if (next != NO_DEADLINE) m_due.insert({next, t.index});
  t.dueAt = next;
}

bool CLobby::QueueHoldsEveryTable() const {
  size_t queued = 0;
  for (const auto& t : m_tables) {
    const uint64_t next = std::min(t->host.NextEvent(), t->botsAt);
    if (t->dueAt != next) return false;
    if (next == NO_DEADLINE) continue;
    if (m_due.count({next, t->index}) == 0) return false;
    ++queued;
  }
  return queued == m_due.size();
}
