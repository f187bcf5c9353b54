// The client end of a link: the frame's ITableLink over any transport. What the frame sends
// becomes packets; the packets that arrive become the frame's link events, in order. A packet
// that does not decode closes the link: the transport is dropped and the frame is told once.
#pragma once

#include <cstdint>
#include <vector>

#include "link/Packet.h"
#include "link/Transport.h"
#include "platform/frame/TableLink.h"

class CLinkClient final : public ITableLink {
 public:
  explicit CLinkClient(IClientTransport& transport) : m_transport(transport) {}

  bool SendGameData(WORD id, const void* data, WORD size) override;
  bool SendUserReady(const void* data, WORD size) override;
  bool SendChangeTable(WORD table) override;
  // Only where the lobby seats the player again (the embedded mode); see AllowRejoin.
  bool RejoinTable() override;
  void Poll(ILinkSink& sink) override;
  uint64_t NextEventMs() override;

  void AllowRejoin(bool allow) { m_allowRejoin = allow; }
  bool IsOpen() const { return !m_closed && m_transport.Connected(); }
  // Packets refused since the start (each one closed the link).
  uint32_t Refused() const { return m_refused; }

 private:
  bool Send(const tagPacket& packet);
  void Deliver(const tagPacket& packet, ILinkSink& sink);
  void Close(ILinkSink& sink, uint64_t now);

  IClientTransport& m_transport;
  std::vector<uint8_t> m_packet;
  bool m_allowRejoin = false;
  bool m_closed = false;
  uint32_t m_refused = 0;
};

// The frame's user record from a link user.
tagUserData ToUserData(const tagLinkUser& user);
