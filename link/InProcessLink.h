// Both ends of a link in one process, for the embedded mode: the frame's ITableLink on one side,
// a table host with its lobby on the other, and between them only encoded packets in two
// queues, so this mode carries exactly what a network link carries.
//
// The table runs on the frame's clock when the frame polls: the player enters at the first
// Poll; each Poll runs the bots and table deadlines due by then, hands the table what the
// client sent since, and delivers what came back. NextEventMs says when the table next acts,
// so the application loop can sleep until then. The player may leave and sit again
// (RejoinTable), or go away and come back with a new client (Leave, Return: a player who quits
// during a game and starts the program again). A malformed packet from the client closes the
// link.
#pragma once

#include <memory>
#include <vector>

#include "link/ClientEnd.h"
#include "link/TableEnd.h"

class CInProcessTransport final : public IClientTransport {
 public:
  CInProcessTransport(CTableEnd& table, CPacketQueue& fromTable)
      : m_table(table), m_fromTable(fromTable) {}

  bool Send(const uint8_t* data, size_t size) override;
  void Service(uint64_t now) override;
  bool Receive(std::vector<uint8_t>& out) override { return m_fromTable.Pop(out); }
  uint64_t NextArrival(uint64_t now) override;
  bool Connected() const override { return m_connected; }
  void Disconnect(uint64_t now) override;

 private:
  CTableEnd& m_table;
  CPacketQueue& m_fromTable;
  CPacketQueue m_toTable;
  std::vector<uint8_t> m_packet;
  bool m_entered = false;
  bool m_connected = true;
};

class CInProcessLink final : public ITableLink {
 public:
  // `host` has its bots seated; the player takes `chair`, which must be free.
  CInProcessLink(std::unique_ptr<CTableHost> host, uint16_t chair,
                 const tagLobbyUser (&users)[SEAT_COUNT]);

  bool SendGameData(WORD id, const void* data, WORD size) override {
    return m_client->SendGameData(id, data, size);
  }
  bool SendUserReady(const void* data, WORD size) override {
    return m_client->SendUserReady(data, size);
  }
  bool SendChangeTable(WORD table) override { return m_client->SendChangeTable(table); }
  bool RejoinTable() override { return m_client->RejoinTable(); }
  void Poll(ILinkSink& sink) override { m_client->Poll(sink); }
  uint64_t NextEventMs() override { return m_client->NextEventMs(); }

  // The player's client is gone: the table plays for the chair (or frees it between games) and
  // what was on its way either way is dropped. RunTable runs the table meanwhile.
  void Leave(uint64_t now) { m_transport->Disconnect(now); }
  void RunTable(uint64_t now) { m_table.Advance(now); }
  // A new client: the player enters again at its first Poll, back in the game if it still runs.
  void Return();

  CTableHost& Host() { return *m_host; }
  const CTableEnd& TableEnd() const { return m_table; }
  const CLinkClient& Client() const { return *m_client; }

 private:
  std::unique_ptr<CTableHost> m_host;
  CPacketQueue m_toClient;
  CTableEnd m_table;
  std::unique_ptr<CInProcessTransport> m_transport;
  std::unique_ptr<CLinkClient> m_client;
};
