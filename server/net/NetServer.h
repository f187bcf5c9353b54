// The table server's network side: one asio event loop, no thread per connection. It accepts
// TCP connections (TLS when given a certificate and key), cuts each byte stream into packets
// of the link's format and hands them to the lobby (server/lobby), writes what the lobby sends
// back, and runs the lobby's tables when they next have something to do.
//
// Every peer is held to bounds, and one that breaks them is dropped alone: a malformed or
// oversized packet, anything the lobby refuses, more packets than its rate allows, a packet
// left half sent (or a login not made, a TLS handshake not finished) for longer than the stall
// time, a send queue above its bound or not drained within the stall time. Connections are
// bounded in total and per address. One log line per connection, and the lobby's own lines.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>

#include "link/NetStream.h"
#include "server/lobby/Lobby.h"

struct tagNetConfig {
  std::string bind = "0.0.0.0";
  uint16_t port = 0;  // 0: any free port (Port() says which)
  uint32_t maxConnections = 2048;
  uint32_t maxPerAddress = 64;
  uint64_t stallMs = 15000;          // see above
  size_t maxSendBytes = 256 * 1024;  // bytes queued for one peer
  uint32_t packetsPerSecond = 60;    // a peer's sustained rate (of the tables' seconds)
  uint32_t packetBurst = 120;        // and the packets it may send at once
  std::string tlsCert;               // both set: TLS only
  std::string tlsKey;
  uint32_t clockSpeed = 1;  // the tables' milliseconds per real one (tests run games faster)
};

class CNetServer final {
 public:
  CNetServer(asio::io_context& io, const tagNetConfig& config, const tagLobbyConfig& lobby,
             LobbyLog log);
  ~CNetServer();
  CNetServer(const CNetServer&) = delete;
  CNetServer& operator=(const CNetServer&) = delete;

  // Binds and listens; false with the reason when it cannot (address, port, TLS files).
  bool Start(std::string& error);
  // Closes the listener and every connection; the loop then runs out of work.
  void Stop();
  uint16_t Port() const { return m_port; }

  // On the loop's thread only.
  const CLobby& Lobby() const { return m_lobby; }
  size_t Connections() const { return m_connections.size(); }
  uint64_t Dropped() const { return m_dropped; }

 private:
  class CConnection;
  friend class CConnection;

  uint64_t RealMs() const;  // since the server was made
  uint64_t Now() const;     // the tables' clock
  void Accept();
  void Admit(asio::ip::tcp::socket socket);
  // After anything that may bring the lobby's next event forward.
  void ScheduleLobby();
  void Housekeeping();
  void Closed(CConnection& connection);
  void Log(const std::string& line) const;

  asio::io_context& m_io;
  tagNetConfig m_config;
  LobbyLog m_log;
  CLobby m_lobby;
  asio::ip::tcp::acceptor m_acceptor;
  std::unique_ptr<asio::ssl::context> m_tls;
  asio::steady_timer m_lobbyTimer;
  uint64_t m_lobbyTimerAt = UINT64_MAX;
  asio::steady_timer m_houseTimer;
  std::chrono::steady_clock::time_point m_start;
  std::unordered_map<CConnection*, std::shared_ptr<CConnection>> m_connections;
  std::map<std::string, uint32_t> m_perAddress;
  uint16_t m_port = 0;
  uint64_t m_nextConnection = 1;
  uint64_t m_dropped = 0;
  bool m_stopped = false;
};
