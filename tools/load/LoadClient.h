// Light clients of a table server, many in one process on one asio loop: each connects (plain
// or TLS), logs in, sits at any free chair, readies, reports its deal watched and plays its
// turns with a server bot deciding from the chair's own view (server/ChairView.h), the way a
// person's client would and at its pace between games: the deal reported when its animation
// would end, the next ready when the start button would show. Its moves go at once. Every packet it receives is checked: it decodes, it is about its own
// chair, the cards of the table add up (hands, pile and played cards make the deck). Anything
// else is a fault, kept with the client's name.
//
// It measures each move's latency: from sending a play or a pass to the table's answer that
// records it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "link/NetStream.h"

struct tagLoadConfig {
  std::string host = "127.0.0.1";
  uint16_t port = 0;
  bool tls = false;
  std::string caFile;  // TLS: the certificate authority to check the server against
  uint32_t clients = 3;
  std::string botLevel = "normal";
  std::string namePrefix = "load";
  uint32_t serverClockSpeed = 1;  // a server whose tables run faster (tests): pauses shrink
  bool allowWatchers = false;
  uint16_t table = 0xFFFF;  // sit at this table, or (0xFFFF) wherever there is a chair
  bool alone = false;       // client i sits at table i (the server's bots take the other chairs)
};

struct tagLoadStats {
  uint64_t logins = 0;
  uint64_t entries = 0;  // tables entered
  uint64_t moves = 0;    // plays and passes the table answered
  uint64_t games = 0;    // results received
  uint64_t packets = 0;
  std::vector<uint32_t> latencyUs;  // one per move
  std::vector<std::string> faults;
};

class CLoadClient;

class CLoadRun {
 public:
  CLoadRun(asio::io_context& io, const tagLoadConfig& config);
  ~CLoadRun();
  CLoadRun(const CLoadRun&) = delete;
  CLoadRun& operator=(const CLoadRun&) = delete;

  // Resolves the server and starts every client; false with the reason when it cannot.
  bool Start(std::string& error);
  // Closes every connection (the loop then runs out of work).
  void Stop();
  const tagLoadStats& Stats() const { return m_stats; }

 private:
  friend class CLoadClient;
  asio::io_context& m_io;
  tagLoadConfig m_config;
  tagLoadStats m_stats;
  std::unique_ptr<asio::ssl::context> m_tls;
  std::vector<std::shared_ptr<CLoadClient>> m_clients;
  bool m_stopped = false;
};

// The median and the 99th percentile of the latencies, in milliseconds (0 without any).
void LatencyFigures(std::vector<uint32_t> latencyUs, double& medianMs, double& p99Ms);
