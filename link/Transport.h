// The seam between the two ends of a link and whatever carries their packets. A transport only
// moves whole packets (link/Packet.h) in order; it never looks inside them. The in-process
// transport (link/InProcessLink.h) is one; a TCP transport is another.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <vector>

inline constexpr uint64_t LINK_NEVER = UINT64_MAX;

// Where an end puts the packets it sends.
class IPacketSink {
 public:
  virtual void SendPacket(const uint8_t* data, size_t size) = 0;

 protected:
  ~IPacketSink() = default;
};

// What the client end needs of a transport. Times are milliseconds on the frame's clock.
class IClientTransport {
 public:
  virtual ~IClientTransport() = default;
  // Queues one whole packet for the table; false when the transport is down.
  virtual bool Send(const uint8_t* data, size_t size) = 0;
  // Moves whatever is due up to `now` (reads a socket, runs the table of an in-process link).
  virtual void Service(uint64_t now) = 0;
  // The next packet from the table that has arrived, moved into `out`; false when none.
  virtual bool Receive(std::vector<uint8_t>& out) = 0;
  // When a packet may arrive without anything new from the client: `now` or earlier when one
  // is waiting, LINK_NEVER when nothing is expected (a socket wakes the loop on its own).
  virtual uint64_t NextArrival(uint64_t now) = 0;
  virtual bool Connected() const = 0;
  // The client end drops the link (it met a malformed packet, or it is closing).
  virtual void Disconnect(uint64_t now) = 0;
};

// Packets waiting in one direction, in order.
class CPacketQueue final : public IPacketSink {
 public:
  void SendPacket(const uint8_t* data, size_t size) override {
    m_packets.emplace_back(data, data + size);
  }
  bool Pop(std::vector<uint8_t>& out) {
    if (m_packets.empty()) return false;
    out = std::move(m_packets.front());
    m_packets.pop_front();
    return true;
  }
  bool Empty() const { return m_packets.empty(); }
  size_t Size() const { return m_packets.size(); }
  void Clear() { m_packets.clear(); }

 private:
  std::deque<std::vector<uint8_t>> m_packets;
};
