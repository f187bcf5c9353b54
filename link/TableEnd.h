// The table end of a link: one player's connection to a CTableHost, inside the small lobby of
// the embedded mode. It reads the client's packets (game messages, ready, change table,
// rejoin) into the host, and turns what the host sends the player's chair into packets, with
// what a lobby adds around a table: who sits in each chair (names, gender, portraits, and gold:
// the purse the lobby keeps for the user plus what the user has won or lost at this table), their
// status (sitting, ready, playing, offline), the scene on entry and the playing scene when the
// player returns during a game. A player who leaves the table between games takes the winnings
// along into the purse, so sitting down again (rejoin, change table) keeps the gold.
//
// Order of what the client receives: on entry the own chair, the server attribute, every
// seated user, then the scene; after each input or table event, the users' status and score
// changes it caused, then the game messages.
//
// Several ends may share one host (a network lobby): each end is one connection, a player's
// or a watcher's. Who sits in each chair then comes from the lobby (ITableUsers); the owner
// steps the host itself and flushes every end after each input and event, and the moves the
// end cannot make alone (change table, rejoin) are left for it to take (TakeMove). A watcher
// gets what the watched chair gets, the chair's hand hidden unless its player allows watchers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "link/Packet.h"
#include "link/Transport.h"
#include "server/TableHost.h"

// Who sits in a chair, as the lobby shows them.
struct tagLobbyUser {
  char name[LINK_NAME_SIZE];  // valid UTF-8, terminated
  uint8_t gender;             // 1 male, 2 female
  uint16_t faceId;            // portrait
  int64_t gold;               // the purse; the games at the table add their scores to it
};

// The lobby's users around a table, as the table ends show them.
class ITableUsers {
 public:
  virtual ~ITableUsers() = default;
  // The user in a seated chair (a bot's too); false when the lobby knows nobody there.
  virtual bool UserOf(uint16_t chair, tagLobbyUser& out, uint32_t& userId) const = 0;
  // Whether the chair's player lets watchers see its hand.
  virtual bool AllowsWatchers(uint16_t chair) const = 0;
  // The player gave the chair up between games with this much gold (purse and winnings).
  virtual void ChairLeft(uint16_t chair, int64_t gold) = 0;
};

// The fixed users of the embedded mode: ids chair + 1, watchers never allowed.
class CFixedTableUsers final : public ITableUsers {
 public:
  explicit CFixedTableUsers(const tagLobbyUser (&users)[SEAT_COUNT]);
  bool UserOf(uint16_t chair, tagLobbyUser& out, uint32_t& userId) const override;
  bool AllowsWatchers(uint16_t) const override { return false; }
  void ChairLeft(uint16_t chair, int64_t gold) override;

 private:
  tagLobbyUser m_users[SEAT_COUNT];
};

// What a player asked for that only the lobby around the table can do.
enum class TableMove : uint8_t { None, ChangeTable, Rejoin };

class CTableEnd final : public IChairLink {
 public:
  // The embedded lobby: the host has its bots seated already; `chair` is the player's, free
  // until Connect. The end keeps its own copy of the users.
  CTableEnd(CTableHost& host, uint16_t chair, const tagLobbyUser (&users)[SEAT_COUNT],
            IPacketSink& out);
  // A lobby's end: `users` outlives it. A watcher (lookon) of `chair` takes no chair; moves
  // are left to the owner (TakeMove) instead of made here.
  CTableEnd(CTableHost& host, uint16_t chair, ITableUsers& users, IPacketSink& out, bool lookon);
  ~CTableEnd() override;
  CTableEnd(const CTableEnd&) = delete;
  CTableEnd& operator=(const CTableEnd&) = delete;

  // The player enters: seated if the chair is free, back in the game if it was playing.
  void Connect(uint64_t now);
  // The player's client is gone: the table plays for the chair, or frees it between games.
  void Disconnect(uint64_t now);
  bool Connected() const { return m_connected; }

  // One packet from the client. False when it is malformed or hostile (a record for another
  // chair, a watcher's game record): the peer is to be disconnected.
  bool Receive(const uint8_t* data, size_t size, uint64_t now);
  // A lobby's end: the move the last Receive asked for, once.
  TableMove TakeMove() {
    const TableMove move = m_move;
    m_move = TableMove::None;
    return move;
  }
  // A lobby's end, after every input and table event at its host: the user changes since the
  // client was last told, then the game packets held back meanwhile.
  void Flush();
  // The watched player changed its watcher option: a watcher is told and gets the scene again.
  void WatchersOptionChanged();
  bool Lookon() const { return m_lookon; }
  // Runs the bots and the table's deadlines up to `now`, each at its own time, a bounded number
  // of them: a table with still more due goes on at the next call.
  void Advance(uint64_t now);
  // When the table next has something to do (LINK_NEVER when nothing).
  uint64_t NextEvent() const;

  uint16_t Chair() const { return m_chair; }
  // Packets taken from the client, and the inputs among them the table refused (a move out of
  // turn, a card not in hand: each changed nothing).
  uint64_t Received() const { return m_received; }
  uint32_t Refused() const { return m_refused; }

 private:
  struct tagKnown {  // what the client was last told of a chair
    bool present;
    uint8_t status;
    int64_t score;
  };

  // What the host sends the chair (IChairLink).
  void DeliverMessage(uint16_t id, const uint8_t* data, size_t size) override;
  void DeliverScene(uint8_t status, const uint8_t* data, size_t size) override;

  void Emit(const tagPacket& packet, IPacketSink& to);
  void Rejoin(uint64_t now);
  void EmitScene(IPacketSink& to);
  bool Hidden() const { return m_lookon && !m_users.AllowsWatchers(m_chair); }
  tagLinkUser UserAt(uint16_t chair) const;
  // The purse and the chair's score at the table, held at the ends of the 64-bit range.
  int64_t GoldOf(uint16_t chair) const;
  uint8_t StatusOf(uint16_t chair) const;

  CTableHost& m_host;
  uint16_t m_chair;
  std::unique_ptr<CFixedTableUsers> m_ownUsers;  // the embedded mode's
  ITableUsers& m_users;
  IPacketSink& m_out;
  bool m_lookon = false;
  bool m_lobby = false;  // moves are the owner's
  TableMove m_move = TableMove::None;
  CPacketQueue m_held;  // game packets of the step in progress
  tagKnown m_known[SEAT_COUNT] = {};
  bool m_connected = false;
  uint64_t m_received = 0;
  uint32_t m_refused = 0;
};
