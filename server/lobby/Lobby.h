// The lobby of a table server: users who log in by name (and come back with the token they
// were given), a row of tables, each a CTableHost with a table end (link/TableEnd.h) per
// connection that sits or watches there, bots that fill a waiting table's empty chairs after a
// while and leave when a person takes their chair between games, and moves between tables.
//
// It knows connections only as peers that take whole packets; it never reads a socket or a
// clock: the network (server/net) hands it each packet that arrived and the time, and runs
// Advance when NextEvent comes. Everything a peer sends is checked here: a packet that does
// not decode, comes out of order (anything before the login, a second login, a table's packet
// away from a table), is a record for another chair, or one refused request too many, makes
// Receive return false, and that peer alone is to be dropped.
//
// One line per login, table event and refusal goes to the log; never a hand, never a token.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "link/LobbyMessages.h"
#include "link/TableEnd.h"
#include "link/Transport.h"
#include "server/TableHost.h"

// A connection as the lobby sees it: where its packets go.
class ILobbyPeer : public IPacketSink {
 protected:
  ~ILobbyPeer() = default;
};

using LobbyLog = std::function<void(std::string_view)>;

struct tagLobbyConfig {
  uint16_t tables = 8;
  uint64_t botsAfterMs = 10000;  // a waiting table's empty chairs get bots after this; 0 never
  std::string botLevel = "normal";
  uint32_t botDelayMinMs = 800;  // the bots' thinking time
  uint32_t botDelayMaxMs = 1400;
  // Threads on which the bots that think long decide, shared by the tables; 0: each decides on
  // the lobby's thread when its move is due.
  uint32_t thinkThreads = 0;
  uint32_t turnSeconds = TURN_CLOCK_SECONDS;  // a turn's clock at every table
  uint32_t maxUsers = 4096;                   // logged in and away together
  int64_t startGold = 10000;  // a new user's purse (the table shows gold above 0 only)
  uint32_t maxRefusals = 64;  // refused requests a connection may make before it is dropped
  uint64_t seed = 0;          // the tables' shuffles; 0: a random one
};

class CLobby final {
 public:
  CLobby(const tagLobbyConfig& config, LobbyLog log);
  ~CLobby();
  CLobby(const CLobby&) = delete;
  CLobby& operator=(const CLobby&) = delete;

  // A new connection: its id (never 0). `peer` outlives the connection's Close.
  uint64_t Open(ILobbyPeer& peer, uint64_t now);
  // One whole packet from a connection. False: the peer is to be dropped (call Close then).
  bool Receive(uint64_t connection, const uint8_t* data, size_t size, uint64_t now);
  // The connection is gone: a player's chair is played by the table until the game ends, then
  // freed; between games it is freed at once.
  void Close(uint64_t connection, uint64_t now);
  // Runs the tables' bots and clocks and the bots' arrival up to `now`.
  void Advance(uint64_t now);
  // When Advance next has something to do, or NO_DEADLINE. Kept in a queue of the tables' next
  // events, so that neither this nor Advance looks over every table.
  uint64_t NextEvent() const { return m_due.empty() ? NO_DEADLINE : m_due.begin()->first; }
  // The queue holds every table's next event (tests and fuzzing).
  bool QueueHoldsEveryTable() const;

  bool LoggedIn(uint64_t connection) const {
    auto it = m_connections.find(connection);
    return it != m_connections.end() && it->second.user != 0;
  }

  // For tests and the server's summary.
  uint16_t TableCount() const { return static_cast<uint16_t>(m_tables.size()); }
  const CTable& TableAt(uint16_t table) const;
  size_t UserCount() const { return m_users.size(); }
  size_t ConnectionCount() const { return m_connections.size(); }
  uint32_t GamesPlayed() const;

 private:
  struct tagUser {
    uint32_t id = 0;
    std::string name;
    uint8_t token[LOBBY_TOKEN_SIZE] = {};
    uint8_t gender = 1;
    uint16_t faceId = 0;
    bool allowWatchers = false;
    int64_t gold = 0;         // the purse, without the games at the current table
    uint64_t connection = 0;  // 0: away (its chair is played for it)
    uint16_t table = LOBBY_ANY;
    uint16_t chair = LOBBY_ANY;
    bool lookon = false;
  };
  struct tagConnection {
    ILobbyPeer* peer = nullptr;
    uint32_t user = 0;  // 0 until the login
    std::unique_ptr<CTableEnd> end;
    uint32_t refusals = 0;
  };
  class CNetTable;

  bool OnLobbyPacket(uint64_t id, tagConnection& c, const tagPacket& packet, uint64_t now);
  bool Login(uint64_t id, tagConnection& c, const tagLobbyLogin& login, uint64_t now);
  LobbyResult Sit(tagConnection& c, tagUser& u, tagLobbySeatAsk ask, uint64_t now);
  LobbyResult Watch(tagConnection& c, tagUser& u, tagLobbySeatAsk ask, uint64_t now);
  LobbyResult Leave(tagConnection& c, tagUser& u, uint64_t now);
  // Puts the connection at a chair (to sit, to watch, or back into a running game).
  void Enter(tagConnection& c, tagUser& u, uint16_t table, uint16_t chair, bool lookon,
             uint64_t now);
  // Takes the connection away from its table; a player's chair is freed or played for it.
  void Depart(tagConnection& c, tagUser& u, uint64_t now);
  void ChangeTable(tagConnection& c, tagUser& u, uint64_t now);
  // A chair to sit at: the asked one, any at the asked table, or any at all.
  LobbyResult FindChair(tagLobbySeatAsk& ask) const;
  void SendTables(tagConnection& c, uint16_t first);
  // Puts the table's next event (its host's, or its bots' arrival) in the queue.
  void Reschedule(CNetTable& t);
  void Answer(tagConnection& c, uint16_t request, LobbyResult result);
  void SendPlace(tagConnection& c, uint16_t table, uint16_t chair, bool lookon);
  bool Refuse(tagConnection& c, uint16_t request, LobbyResult result);
  // After every input and event at a table: ends told, chairs freed by the table settled,
  // bots coming or going, the game's start and end logged, the table's next event queued.
  void AfterTableEvent(uint16_t table, uint64_t now);
  void SettleTable(CNetTable& t, uint64_t now);
  void ForgetUser(uint32_t user);
  void Log(const std::string& line) const;
  tagUser* UserOf(const tagConnection& c);

  tagLobbyConfig m_config;
  LobbyLog m_log;
  std::vector<std::unique_ptr<CNetTable>> m_tables;
  std::set<std::pair<uint64_t, uint16_t>> m_due;  // each table's next event, and the table
  std::unordered_map<uint64_t, tagConnection> m_connections;
  std::unordered_map<uint32_t, tagUser> m_users;
  std::unordered_map<std::string, uint32_t> m_names;
  uint64_t m_nextConnection = 1;
  uint32_t m_nextUser = 1;
};

// Fills buffer with random bytes from the system's CSPRNG; false when it cannot.
bool LobbyRandomBytes(uint8_t* buffer, size_t size);
