// The network server under test: it runs on its own io_context in a thread of the test (the
// server itself has one loop and no threads), with light bot clients (tools/load) on the same
// loop where a test wants whole games, and raw blocking sockets for the test's own peers.
// A receive on a raw socket gives up after a long guard time: a hang fails, a slow run passes.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "link/LobbyMessages.h"
#include "link/Packet.h"
#include "protocol/Protocol.h"
#include "server/net/NetServer.h"
#include "tools/load/LoadClient.h"

namespace nettest {

using Bytes = std::vector<uint8_t>;
constexpr int kGuardSeconds = 30;

class CServerThread {
 public:
  CServerThread(const tagNetConfig& net, const tagLobbyConfig& lobby)
      : m_guard(asio::make_work_guard(m_io)),
        m_server(m_io, net, lobby, [this](std::string_view line) {
          std::lock_guard<std::mutex> lock(m_mutex);
          m_log.emplace_back(line);
        }) {
    std::string error;
    m_started = m_server.Start(error);
    m_thread = std::thread([this] { m_io.run(); });
  }
  ~CServerThread() {
    Run([this] {
      for (auto& load : m_loads) load->Stop();
      m_server.Stop();
      return 0;
    });
    m_guard.reset();
    m_thread.join();
  }
  bool Started() const { return m_started; }
  uint16_t Port() const { return m_server.Port(); }

  // Runs f on the server's loop and waits for its result.
  template <class F>
  auto Run(F f) -> decltype(f()) {
    std::packaged_task<decltype(f())()> task(std::move(f));
    auto result = task.get_future();
    asio::post(m_io, [&task] { task(); });
    return result.get();
  }
  const CLobby& Lobby() const { return m_server.Lobby(); }  // on the loop only

  // Light clients on the server's loop; the index of the run.
  size_t StartLoad(tagLoadConfig config) {
    config.port = Port();
    return Run([this, config] {
      m_loads.push_back(std::make_unique<CLoadRun>(m_io, config));
      std::string error;
      m_loads.back()->Start(error);
      return m_loads.size() - 1;
    });
  }
  // Closes one run's connections, as players who go away.
  void StopLoad(size_t run) {
    Run([this, run] {
      m_loads[run]->Stop();
      return 0;
    });
  }
  tagLoadStats LoadStats(size_t run) {
    return Run([this, run] { return m_loads[run]->Stats(); });
  }
  // Waits (polling, up to the guard time) until the condition, run on the loop, holds.
  bool WaitFor(const std::function<bool()>& condition) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(kGuardSeconds * 2);
    while (std::chrono::steady_clock::now() < until) {
      if (Run([&] { return condition(); })) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
  }
  std::vector<std::string> LogLines() {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_log;
  }

 private:
  asio::io_context m_io;
  asio::executor_work_guard<asio::io_context::executor_type> m_guard;
  std::mutex m_mutex;
  std::vector<std::string> m_log;
  CNetServer m_server;
  std::vector<std::unique_ptr<CLoadRun>> m_loads;
  bool m_started = false;
  std::thread m_thread;
};

// A peer on a blocking socket, sending and reading whole packets.
class CRawClient {
 public:
  explicit CRawClient(uint16_t port) {
    m_fd = socket(AF_INET, SOCK_STREAM, 0);
    timeval guard{kGuardSeconds, 0};
    setsockopt(m_fd, SOL_SOCKET, SO_RCVTIMEO, &guard, sizeof(guard));
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(port);
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    m_connected = connect(m_fd, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) == 0;
  }
  ~CRawClient() { Close(); }
  void Close() {
    if (m_fd >= 0) close(m_fd);
    m_fd = -1;
  }
  bool Connected() const { return m_connected; }

  void SendRaw(const Bytes& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
      const ssize_t n = send(m_fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
      if (n <= 0) return;
      done += static_cast<size_t>(n);
    }
  }
  void Send(const tagPacket& packet) {
    uint8_t buffer[PACKET_MAX_SIZE];
    const size_t n = EncodePacket(packet, PacketDirection::ToTable, buffer, sizeof(buffer));
    SendRaw(Bytes(buffer, buffer + n));
  }
  void SendLobby(uint16_t sub, const uint8_t* record, size_t size) {
    uint8_t buffer[PACKET_MAX_SIZE];
    const size_t n =
        EncodeLobbyPacket(sub, record, size, PacketDirection::ToTable, buffer, sizeof(buffer));
    SendRaw(Bytes(buffer, buffer + n));
  }
  void SendLogin(const char* name, const uint8_t* token = nullptr, bool allowWatchers = false) {
    tagLobbyLogin login{};
    login.version = LOBBY_VERSION;
    login.gender = 1;
    login.allowWatchers = allowWatchers ? 1 : 0;
    SetLobbyName(login.name, name);
    if (token) {
      login.hasToken = 1;
      std::memcpy(login.token, token, LOBBY_TOKEN_SIZE);
    }
    uint8_t record[LOBBY_LOGIN_SIZE];
    SendLobby(LOBBY_LOGIN, record, EncodeLobbyLogin(login, record, sizeof(record)));
  }
  void SendSeat(uint16_t sub, uint16_t table, uint16_t chair) {
    uint8_t record[LOBBY_SEAT_ASK_SIZE];
    SendLobby(sub, record, EncodeLobbySeatAsk(sub, {table, chair}, record, sizeof(record)));
  }

  // The next packet's bytes; false when the server closed the connection (or the guard ran out).
  bool Next(Bytes& packet) {
    for (;;) {
      if (m_in.size() >= PACKET_HEADER_SIZE) {
        const size_t size = PacketSize(m_in.data(), m_in.size());
        if (size == 0) return false;
        if (m_in.size() >= size) {
          packet.assign(m_in.begin(), m_in.begin() + static_cast<long>(size));
          m_in.erase(m_in.begin(), m_in.begin() + static_cast<long>(size));
          return true;
        }
      }
      uint8_t chunk[4096];
      const ssize_t n = recv(m_fd, chunk, sizeof(chunk), 0);
      if (n <= 0) {
        // The end, or a reset: the server closed with bytes of ours still unread.
        m_ended = n == 0 || errno == ECONNRESET;
        return false;
      }
      m_in.insert(m_in.end(), chunk, chunk + n);
    }
  }
  // Reads packets until one that `match` takes (decoded for the client); false when the
  // connection ends first.
  bool Until(const std::function<bool(const tagPacket&)>& match, Bytes& storage, tagPacket& out) {
    while (Next(storage)) {
      if (!DecodePacket(storage.data(), storage.size(), PacketDirection::ToClient, out))
        return false;
      if (match(out)) return true;
    }
    return false;
  }
  bool UntilLobby(uint16_t sub, Bytes& storage, tagPacket& out) {
    return Until([sub](const tagPacket& p) { return p.main == MAIN_LOBBY && p.sub == sub; },
                 storage, out);
  }
  // True when the server closes the connection (whatever comes before).
  bool ClosedByServer() {
    Bytes ignored;
    while (Next(ignored)) {
    }
    return m_ended;
  }
  tagLobbyLoginAnswer Login(const char* name, const uint8_t* token = nullptr,
                            bool allowWatchers = false) {
    SendLogin(name, token, allowWatchers);
    Bytes storage;
    tagPacket p;
    tagLobbyLoginAnswer answer{};
    answer.result = 0xFF;
    if (UntilLobby(LOBBY_LOGIN_ANSWER, storage, p))
      DecodeLobbyLoginAnswer(p.record, p.recordSize, answer);
    return answer;
  }
  uint8_t Answer(uint16_t request) {
    Bytes storage;
    tagPacket p;
    tagLobbyAnswer a{0, 0xFF};
    while (UntilLobby(LOBBY_ANSWER, storage, p)) {
      DecodeLobbyAnswer(p.record, p.recordSize, a);
      if (a.request == request) return a.result;
    }
    return 0xFF;
  }

 private:
  int m_fd = -1;
  bool m_connected = false;
  bool m_ended = false;
  Bytes m_in;
};

}  // namespace nettest
