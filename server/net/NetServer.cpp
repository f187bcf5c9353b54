#include "server/net/NetServer.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

constexpr uint64_t kTokenScale = 1000;  // a packet's worth of the rate bucket

}  // namespace

// One peer: its stream, the bytes of a packet still arriving, the bytes on their way out.
class CNetServer::CConnection final : public ILobbyPeer,
                                      public std::enable_shared_from_this<CConnection> {
 public:
  CConnection(CNetServer& server, std::unique_ptr<CNetStream> stream, std::string address,
              uint64_t number, uint64_t realNow)
      : m_server(server),
        m_stream(std::move(stream)),
        m_address(std::move(address)),
        m_number(number),
        m_openedAt(realNow),
        m_tokens(uint64_t{server.m_config.packetBurst} * kTokenScale),
        m_refilledAt(realNow) {}

  const std::string& Address() const { return m_address; }
  uint64_t Number() const { return m_number; }
  const std::string& Reason() const { return m_reason; }

  void Begin() {
    auto self = shared_from_this();
    m_stream->Handshake(true, std::string(), [self](const std::error_code& ec) {
      if (self->m_dropping) return;
      if (ec) {
        self->Drop("TLS handshake: " + ec.message());
        return;
      }
      self->m_lobbyId = self->m_server.m_lobby.Open(*self, self->m_server.Now());
      self->ReadMore();
    });
  }

  void SendPacket(const uint8_t* data, size_t size) override {
    if (m_dropping || m_overflow) return;
    if (m_pending.size() + m_sending.size() + size > m_server.m_config.maxSendBytes) {
      // Called from inside the lobby: the drop comes after it is done.
      m_overflow = true;
      auto self = shared_from_this();
      asio::post(m_server.m_io, [self] {
        self->Drop("send queue full");
        self->m_server.ScheduleLobby();
      });
      return;
    }
    m_pending.insert(m_pending.end(), data, data + size);
    if (!m_writing) StartWrite();
  }

  // The lobby lets the peer go; the socket closes once what was queued for it is written (or
  // the stall time runs out).
  void Drop(const std::string& reason) {
    if (m_dropping) return;
    m_dropping = true;
    m_droppedAt = m_server.RealMs();
    m_reason = reason;
    if (m_lobbyId != 0) {
      const uint64_t id = m_lobbyId;
      m_lobbyId = 0;
      m_server.m_lobby.Close(id, m_server.Now());
    }
    if (!m_writing) Finish();
  }

  // The stall bounds, once in a while.
  void Check(uint64_t realNow) {
    const uint64_t stall = m_server.m_config.stallMs;
    if (m_dropping) {
      if (realNow - m_droppedAt > stall) Finish();
      return;
    }
    if (m_partialSince != 0 && realNow - m_partialSince > stall) {
      Drop("stalled in the middle of a packet");
    } else if (m_writeSince != 0 && realNow - m_writeSince > stall) {
      Drop("not reading");
      Finish();
    } else if ((m_lobbyId == 0 || !m_server.m_lobby.LoggedIn(m_lobbyId)) &&
               realNow - m_openedAt > stall) {
      Drop(m_lobbyId == 0 ? "no TLS handshake" : "no login");
    }
  }

  // Closes the socket and leaves the server's books.
  void Finish() {
    if (m_closed) return;
    m_closed = true;
    m_dropping = true;
    if (m_lobbyId != 0) {
      const uint64_t id = m_lobbyId;
      m_lobbyId = 0;
      m_server.m_lobby.Close(id, m_server.Now());
    }
    m_stream->Close();
    m_server.Closed(*this);
  }

 private:
  void ReadMore() {
    auto self = shared_from_this();
    m_stream->ReadSome(m_in + m_used, sizeof(m_in) - m_used,
                       [self](const std::error_code& ec, size_t n) { self->OnRead(ec, n); });
  }

  void OnRead(const std::error_code& ec, size_t n) {
    if (m_dropping) return;
    if (ec) {
      Drop(ec == asio::error::eof ? "closed by the peer" : "read: " + ec.message());
      m_server.ScheduleLobby();
      return;
    }
    m_used += n;
    Parse();
    if (!m_dropping) ReadMore();
    m_server.ScheduleLobby();
  }

  bool TakeToken(uint64_t realNow) {
    const uint64_t cap = uint64_t{m_server.m_config.packetBurst} * kTokenScale;
    // The rate is one of the tables' time: where their clocks run faster (tests), the games and
    // their players go faster too.
    const uint64_t earned = (realNow - m_refilledAt) * m_server.m_config.packetsPerSecond *
                            m_server.m_config.clockSpeed;
    m_refilledAt = realNow;
    m_tokens = std::min(cap, m_tokens + earned);
    if (m_tokens < kTokenScale) return false;
    m_tokens -= kTokenScale;
    return true;
  }

  void Parse() {
    const uint64_t realNow = m_server.RealMs();
    size_t at = 0;
    bool completed = false;
    while (m_used - at >= PACKET_HEADER_SIZE) {
      const size_t size = PacketSize(m_in + at, m_used - at);
      if (size == 0) {
        Drop("malformed or oversized packet");
        return;
      }
      if (m_used - at < size) break;
      if (!TakeToken(realNow)) {
        Drop("too many packets");
        return;
      }
      if (!m_server.m_lobby.Receive(m_lobbyId, m_in + at, size, m_server.Now())) {
        Drop("refused packet");
        return;
      }
      at += size;
      completed = true;
    }
    std::memmove(m_in, m_in + at, m_used - at);
    m_used -= at;
    if (m_used == 0) {
      m_partialSince = 0;
    } else if (completed || m_partialSince == 0) {
      m_partialSince = realNow;
    }
  }

  void StartWrite() {
    m_sending.swap(m_pending);
    m_writing = true;
    m_writeSince = m_server.RealMs();
    auto self = shared_from_this();
    m_stream->Write(m_sending.data(), m_sending.size(),
                    [self](const std::error_code& ec, size_t) { self->OnWritten(ec); });
  }

  void OnWritten(const std::error_code& ec) {
    m_writing = false;
    m_sending.clear();
    if (m_closed) return;
    if (ec) {
      Drop("write: " + ec.message());
      Finish();
      m_server.ScheduleLobby();
      return;
    }
    if (!m_pending.empty() && !m_dropping) {
      StartWrite();
    } else if (!m_pending.empty()) {
      StartWrite();  // the last words before the close
    } else {
      m_writeSince = 0;
      if (m_dropping) Finish();
    }
  }

  CNetServer& m_server;
  std::unique_ptr<CNetStream> m_stream;
  std::string m_address;
  uint64_t m_number;
  uint64_t m_lobbyId = 0;  // 0 before the handshake and after the drop
  uint8_t m_in[2 * PACKET_MAX_SIZE];
  size_t m_used = 0;
  std::vector<uint8_t> m_pending;
  std::vector<uint8_t> m_sending;
  bool m_writing = false;
  bool m_overflow = false;
  bool m_dropping = false;
  bool m_closed = false;
  uint64_t m_openedAt;
  uint64_t m_partialSince = 0;
  uint64_t m_writeSince = 0;
  uint64_t m_droppedAt = 0;
  uint64_t m_tokens;
  uint64_t m_refilledAt;
  std::string m_reason;
};

CNetServer::CNetServer(asio::io_context& io, const tagNetConfig& config,
                       const tagLobbyConfig& lobby, LobbyLog log)
    : m_io(io),
      m_config(config),
      m_log(log),
      m_lobby(lobby, log),
      m_acceptor(io),
      m_lobbyTimer(io),
      m_houseTimer(io),
      m_start(std::chrono::steady_clock::now()) {
  if (m_config.clockSpeed == 0) m_config.clockSpeed = 1;
}

CNetServer::~CNetServer() { Stop(); }

uint64_t CNetServer::RealMs() const {
  // From 1: a connection's times use 0 for "not now".
  return 1 + static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                       std::chrono::steady_clock::now() - m_start)
                                       .count());
}

uint64_t CNetServer::Now() const { return RealMs() * m_config.clockSpeed; }

void CNetServer::Log(const std::string& line) const {
  if (m_log) m_log(line);
}

bool CNetServer::Start(std::string& error) {
  if (!m_config.tlsCert.empty() || !m_config.tlsKey.empty()) {
    m_tls = std::make_unique<asio::ssl::context>(asio::ssl::context::tls_server);
    if (!MakeServerTlsContext(*m_tls, m_config.tlsCert, m_config.tlsKey, error)) return false;
  }
  std::error_code ec;
  const asio::ip::address address = asio::ip::make_address(m_config.bind, ec);
  if (ec) {
    error = "address " + m_config.bind + ": " + ec.message();
    return false;
  }
  const asio::ip::tcp::endpoint endpoint(address, m_config.port);
  m_acceptor.open(endpoint.protocol(), ec);
  if (!ec) m_acceptor.set_option(asio::socket_base::reuse_address(true), ec);
  if (!ec) m_acceptor.bind(endpoint, ec);
  if (!ec) m_acceptor.listen(asio::socket_base::max_listen_connections, ec);
  if (ec) {
    error =
        "listen on " + m_config.bind + ":" + std::to_string(m_config.port) + ": " + ec.message();
    return false;
  }
  m_port = m_acceptor.local_endpoint(ec).port();
  Log("listening on " + m_config.bind + ":" + std::to_string(m_port) + (m_tls ? " (TLS)" : ""));
  Accept();
  Housekeeping();
  ScheduleLobby();
  return true;
}

void CNetServer::Stop() {
  if (m_stopped) return;
  m_stopped = true;
  std::error_code ignored;
  m_acceptor.close(ignored);
  m_lobbyTimer.cancel();
  m_houseTimer.cancel();
  std::vector<std::shared_ptr<CConnection>> all;
  for (auto& [raw, connection] : m_connections) all.push_back(connection);
  for (auto& connection : all) connection->Drop("server stops"), connection->Finish();
  m_connections.clear();
}

void CNetServer::Accept() {
  m_acceptor.async_accept([this](const std::error_code& ec, asio::ip::tcp::socket socket) {
    if (m_stopped) return;
    if (ec) {
      Log("accept: " + ec.message());
    } else {
      Admit(std::move(socket));
    }
    Accept();
  });
}

void CNetServer::Admit(asio::ip::tcp::socket socket) {
  std::error_code ec;
  const asio::ip::tcp::endpoint remote = socket.remote_endpoint(ec);
  if (ec) return;
  const std::string address = remote.address().to_string();
  const uint64_t number = m_nextConnection++;
  uint32_t& fromAddress = m_perAddress[address];
  if (m_connections.size() >= m_config.maxConnections || fromAddress >= m_config.maxPerAddress) {
    Log("connection " + std::to_string(number) + " from " + address + " refused: too many " +
        (fromAddress >= m_config.maxPerAddress ? "from this address" : "connections"));
    if (fromAddress == 0) m_perAddress.erase(address);
    ++m_dropped;
    socket.close(ec);
    return;
  }
  ++fromAddress;
  socket.set_option(asio::ip::tcp::no_delay(true), ec);
  auto stream = m_tls ? std::make_unique<CNetStream>(std::move(socket), *m_tls)
                      : std::make_unique<CNetStream>(std::move(socket));
  auto connection =
      std::make_shared<CConnection>(*this, std::move(stream), address, number, RealMs());
  m_connections[connection.get()] = connection;
  Log("connection " + std::to_string(number) + " from " + address + (m_tls ? " (TLS)" : ""));
  connection->Begin();
}

void CNetServer::Closed(CConnection& connection) {
  auto it = m_perAddress.find(connection.Address());
  if (it != m_perAddress.end() && --it->second == 0) m_perAddress.erase(it);
  const std::string& reason = connection.Reason();
  if (reason != "closed by the peer" && reason != "server stops") ++m_dropped;
  Log("connection " + std::to_string(connection.Number()) + " from " + connection.Address() +
      " closed: " + reason);
  // The handlers still under way hold their own reference.
  m_connections.erase(&connection);
}

void CNetServer::ScheduleLobby() {
  if (m_stopped) return;
  const uint64_t next = m_lobby.NextEvent();
  if (next == m_lobbyTimerAt) return;
  m_lobbyTimerAt = next;
  if (next == NO_DEADLINE) {
    m_lobbyTimer.cancel();
    return;
  }
  const uint64_t speed = m_config.clockSpeed;
  const uint64_t realMs = (next + speed - 1) / speed;  // RealMs() reaches it then
  m_lobbyTimer.expires_at(m_start + std::chrono::milliseconds(realMs > 0 ? realMs - 1 : 0));
  m_lobbyTimer.async_wait([this](const std::error_code& ec) {
    if (ec || m_stopped) return;
    m_lobbyTimerAt = NO_DEADLINE;
    m_lobby.Advance(Now());
    ScheduleLobby();
  });
}

void CNetServer::Housekeeping() {
  const uint64_t period = std::clamp<uint64_t>(m_config.stallMs / 4, 10, 250);
  m_houseTimer.expires_after(std::chrono::milliseconds(period));
  m_houseTimer.async_wait([this](const std::error_code& ec) {
    if (ec || m_stopped) return;
    const uint64_t now = RealMs();
    std::vector<std::shared_ptr<CConnection>> all;
    all.reserve(m_connections.size());
    for (auto& [raw, connection] : m_connections) all.push_back(connection);
    for (auto& connection : all) connection->Check(now);
    ScheduleLobby();
    Housekeeping();
  });
}
