// The client's transport over TCP, plain or TLS (link/NetStream.h): whole packets of the link's
// format in both directions. It has an asio io_context of its own and no thread: resolving,
// connecting, the TLS handshake, reads and writes all move on only inside Service (a
// non-blocking poll of that context, called from the client's frame loop) or Wait (which may
// block, for a headless driver that has nothing else to do).
//
// The bytes that arrive are cut into packets by their size field alone; a size out of the
// link's bounds ends the connection. Packets waiting to be received are bounded: beyond that
// the transport stops reading until the client has taken them. A connection that is not up
// within the connect time, or whose peer stops answering TCP keep-alives, goes down.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "link/NetStream.h"
#include "link/Packet.h"
#include "link/Transport.h"

// Where a network client connects: "[tls://]HOST:PORT" (HOST a name, an IPv4 address or an IPv6
// address in brackets). False with the reason when the text is not one.
struct tagNetAddress {
  std::string host;
  uint16_t port = 0;
  bool tls = false;
};
bool ParseNetAddress(std::string_view text, tagNetAddress& out, std::string& error);

inline constexpr uint64_t NET_CONNECT_TIMEOUT_MS = 10000;
inline constexpr size_t NET_MAX_QUEUED_PACKETS = 4096;

class CNetTransport final : public IClientTransport {
 public:
  // Starts at once: resolve, connect, then the TLS handshake when `tls` is given (the server's
  // certificate must name `host`). `tls` must outlive the transport. `now` starts the connect
  // time.
  CNetTransport(const std::string& host, uint16_t port, asio::ssl::context* tls, uint64_t now);
  ~CNetTransport() override;
  CNetTransport(const CNetTransport&) = delete;
  CNetTransport& operator=(const CNetTransport&) = delete;

  // Queued while connecting; sent once the connection is up.
  bool Send(const uint8_t* data, size_t size) override;
  void Service(uint64_t now) override;
  bool Receive(std::vector<uint8_t>& out) override;
  // Now when a packet waits; else `now` plus the poll interval while the connection lives (a
  // socket cannot wake the frame's loop by itself without a thread); LINK_NEVER once down.
  uint64_t NextArrival(uint64_t now) override;
  // Until the connection fails: connecting counts.
  bool Connected() const override { return !m_down; }
  void Disconnect(uint64_t now) override;

  // The handshake is done and packets flow.
  bool Up() const { return m_up && !m_down; }
  // Why the connection went down ("" while it lives).
  const std::string& Error() const { return m_error; }
  // Runs the socket's work, blocking up to `ms` of real time for something to happen.
  void Wait(uint64_t ms);
  void SetPollInterval(uint64_t ms) { m_pollMs = ms; }
  // Bytes received in all (tests and figures).
  uint64_t BytesIn() const { return m_bytesIn; }

 private:
  void Fail(const std::string& why);
  void OnConnected();
  void Read();
  void Flush();

  asio::io_context m_io;
  asio::ip::tcp::resolver m_resolver;
  std::unique_ptr<CNetStream> m_stream;
  std::string m_host;
  uint64_t m_deadline;
  uint64_t m_pollMs = 10;
  bool m_up = false;
  bool m_down = false;
  bool m_reading = false;
  bool m_writing = false;
  std::string m_error;
  uint8_t m_in[2 * PACKET_MAX_SIZE];
  size_t m_used = 0;
  uint64_t m_bytesIn = 0;
  std::deque<std::vector<uint8_t>> m_packets;
  std::vector<uint8_t> m_pending;  // to send
  std::vector<uint8_t> m_sending;  // being written
};
