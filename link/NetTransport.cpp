#include "link/NetTransport.h"

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

#include <chrono>
#include <cstring>

namespace {

// A peer that stops answering is noticed after about 10 + 3 x 5 seconds of silence.
constexpr int kKeepIdleSeconds = 10;
constexpr int kKeepIntervalSeconds = 5;
constexpr int kKeepCount = 3;

bool ReadPort(std::string_view text, uint16_t& port) {
  if (text.empty() || text.size() > 5) return false;
  uint32_t v = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    v = v * 10 + static_cast<uint32_t>(c - '0');
  }
  if (v == 0 || v > 65535) return false;
  port = static_cast<uint16_t>(v);
  return true;
}

}  // namespace

bool ParseNetAddress(std::string_view text, tagNetAddress& out, std::string& error) {
  tagNetAddress a;
  constexpr std::string_view kTls = "tls://";
  if (text.starts_with(kTls)) {
    a.tls = true;
    text.remove_prefix(kTls.size());
  }
  std::string_view host;
  std::string_view port;
  if (text.starts_with('[')) {
    const size_t close = text.find(']');
    if (close == std::string_view::npos || close + 1 >= text.size() || text[close + 1] != ':') {
      error = "an IPv6 address is written [ADDRESS]:PORT";
      return false;
    }
    host = text.substr(1, close - 1);
    port = text.substr(close + 2);
  } else {
    const size_t colon = text.rfind(':');
    if (colon == std::string_view::npos) {
      error = "HOST:PORT, or tls://HOST:PORT";
      return false;
    }
    host = text.substr(0, colon);
    port = text.substr(colon + 1);
    if (host.find(':') != std::string_view::npos) {
      error = "an IPv6 address is written [ADDRESS]:PORT";
      return false;
    }
  }
  if (host.empty() || host.size() > 253) {
    error = "a host name or address before the ':'";
    return false;
  }
  for (unsigned char c : host) {
    if (c <= 0x20 || c == 0x7F || c == '/' || c == '[' || c == ']') {
      error = "'" + std::string(host) + "' is no host name or address";
      return false;
    }
  }
  if (!ReadPort(port, a.port)) {
    error = "a port from 1 to 65535, not '" + std::string(port) + "'";
    return false;
  }
  a.host = std::string(host);
  out = a;
  return true;
}

CNetTransport::CNetTransport(const std::string& host, uint16_t port, asio::ssl::context* tls,
                             uint64_t now)
    : m_resolver(m_io), m_host(host), m_deadline(now + NET_CONNECT_TIMEOUT_MS) {
  asio::ip::tcp::socket socket(m_io);
  m_stream = tls ? std::make_unique<CNetStream>(std::move(socket), *tls)
                 : std::make_unique<CNetStream>(std::move(socket));
  const auto connect = [this](const asio::ip::tcp::resolver::results_type& where) {
    asio::async_connect(m_stream->Socket(), where,
                        [this](const std::error_code& error, const asio::ip::tcp::endpoint&) {
                          if (m_down) return;
                          if (error) return Fail("connect: " + error.message());
                          OnConnected();
                        });
  };
  // An address needs no lookup; a name is looked up on asio's own resolver thread (the one
  // thread besides the frame's, so that a slow name server never holds the table).
  std::error_code ec;
  const asio::ip::address address = asio::ip::make_address(host, ec);
  if (!ec) {
    connect(asio::ip::tcp::resolver::results_type::create(asio::ip::tcp::endpoint(address, port),
                                                          host, std::to_string(port)));
    return;
  }
  m_resolver.async_resolve(host, std::to_string(port),
                           [this, connect](const std::error_code& error,
                                           const asio::ip::tcp::resolver::results_type& where) {
                             if (m_down) return;
                             if (error) return Fail(m_host + ": " + error.message());
                             connect(where);
                           });
}

// The aborted operations end (each sees the transport down) before the stream goes.
CNetTransport::~CNetTransport() {
  m_down = true;
  if (m_stream) m_stream->Close();
  m_resolver.cancel();
  m_io.restart();
  m_io.poll();
  m_stream.reset();
}

void CNetTransport::OnConnected() {
  asio::ip::tcp::socket& socket = m_stream->Socket();
  std::error_code ignored;
  socket.set_option(asio::ip::tcp::no_delay(true), ignored);
  socket.set_option(asio::socket_base::keep_alive(true), ignored);
  const int fd = socket.native_handle();
  setsockopt(fd, IPPROTO_TCP, TCP_KEEPIDLE, &kKeepIdleSeconds, sizeof(kKeepIdleSeconds));
  setsockopt(fd, IPPROTO_TCP, TCP_KEEPINTVL, &kKeepIntervalSeconds, sizeof(kKeepIntervalSeconds));
  setsockopt(fd, IPPROTO_TCP, TCP_KEEPCNT, &kKeepCount, sizeof(kKeepCount));
  m_stream->Handshake(false, m_host, [this](const std::error_code& ec) {
    if (m_down) return;
    if (ec) return Fail("TLS: " + ec.message());
    m_up = true;
    Read();
    if (!m_pending.empty() && !m_writing) Flush();
  });
}

void CNetTransport::Fail(const std::string& why) {
  if (m_down) return;
  m_down = true;
  m_error = why;
  m_stream->Close();
  m_resolver.cancel();
}

bool CNetTransport::Send(const uint8_t* data, size_t size) {
  if (m_down || data == nullptr || size == 0) return false;
  m_pending.insert(m_pending.end(), data, data + size);
  if (m_up && !m_writing) Flush();
  return true;
}

void CNetTransport::Flush() {
  m_sending.swap(m_pending);
  m_pending.clear();
  m_writing = true;
  m_stream->Write(m_sending.data(), m_sending.size(), [this](const std::error_code& ec, size_t) {
    m_writing = false;
    m_sending.clear();
    if (m_down) return;
    if (ec) return Fail("write: " + ec.message());
    if (!m_pending.empty()) Flush();
  });
}

void CNetTransport::Read() {
  if (m_down || m_reading || m_packets.size() >= NET_MAX_QUEUED_PACKETS) return;
  m_reading = true;
  m_stream->ReadSome(m_in + m_used, sizeof(m_in) - m_used,
                     [this](const std::error_code& ec, size_t n) {
                       m_reading = false;
                       if (m_down) return;
                       if (ec)
                         return Fail(ec == asio::error::eof ? "the server closed the connection"
                                                            : "read: " + ec.message());
                       m_used += n;
                       m_bytesIn += n;
                       size_t at = 0;
                       while (m_used - at >= PACKET_HEADER_SIZE) {
                         const size_t size = PacketSize(m_in + at, m_used - at);
                         if (size == 0) return Fail("a packet whose size is out of bounds");
                         if (m_used - at < size) break;
                         m_packets.emplace_back(m_in + at, m_in + at + size);
                         at += size;
                       }
                       std::memmove(m_in, m_in + at, m_used - at);
                       m_used -= at;
                       Read();
                     });
}

void CNetTransport::Service(uint64_t now) {
  if (m_down) return;
  m_io.restart();
  m_io.poll();
  if (!m_up && !m_down && now >= m_deadline) Fail("no connection within the connect time");
}

void CNetTransport::Wait(uint64_t ms) {
  if (m_down || !m_packets.empty()) return;
  m_io.restart();
  m_io.run_one_for(std::chrono::milliseconds(ms));
  m_io.poll();
}

bool CNetTransport::Receive(std::vector<uint8_t>& out) {
  if (m_packets.empty()) return false;
  out = std::move(m_packets.front());
  m_packets.pop_front();
  // Reading stopped while the queue was full; it goes on at the next Service.
  if (m_up && !m_reading && m_packets.size() < NET_MAX_QUEUED_PACKETS) Read();
  return true;
}

uint64_t CNetTransport::NextArrival(uint64_t now) {
  if (!m_packets.empty()) return now;
  return m_down ? LINK_NEVER : now + m_pollMs;
}

void CNetTransport::Disconnect(uint64_t) { Fail("closed by the client"); }
