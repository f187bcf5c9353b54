// The client end of a link: the frame's ITableLink over any transport. What the frame sends
// becomes packets; the packets that arrive become the frame's link events, in order. A packet
// that does not decode closes the link: the transport is dropped and the frame is told once.
#pragma once

#include <cstdint>
#include <vector>

#include "link/Packet.h"
#include "link/Transport.h"
#include "platform/frame/TableLink.h"

// Who hears the lobby's packets (main command MAIN_LOBBY) a network client receives; the frame
// never sees them.
class ILobbyListener {
 public:
  virtual void OnLobbyPacket(const tagPacket& packet) = 0;

 protected:
  ~ILobbyListener() = default;
};

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
  // Lobby packets go to the listener (none: they are dropped), in order with the rest.
  void SetLobbyListener(ILobbyListener* listener) { m_lobby = listener; }
  // A lobby request (LobbyMessages.h) towards the server; false when the link is down.
  bool SendLobby(uint16_t sub, const uint8_t* record, size_t size);
  bool IsOpen() const { return !m_closed && m_transport.Connected(); }
  // Packets refused since the start (each one closed the link).
  uint32_t Refused() const { return m_refused; }

 private:
  bool Send(const tagPacket& packet);
  void Deliver(const tagPacket& packet, ILinkSink& sink);
  void Close(ILinkSink& sink, uint64_t now);

  IClientTransport& m_transport;
  std::vector<uint8_t> m_packet;
  ILobbyListener* m_lobby = nullptr;
  bool m_allowRejoin = false;
  bool m_closed = false;
  uint32_t m_refused = 0;
};

// The frame's user record from a link user.
tagUserData ToUserData(const tagLinkUser& user);
