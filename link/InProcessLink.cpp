#include "link/InProcessLink.h"

bool CInProcessTransport::Send(const uint8_t* data, size_t size) {
  if (!m_connected) return false;
  m_toTable.SendPacket(data, size);
  return true;
}

void CInProcessTransport::Service(uint64_t now) {
  if (!m_connected) return;
  if (!m_entered) {
    m_entered = true;
    m_table.Connect(now);
  }
  m_table.Advance(now);
  while (m_toTable.Pop(m_packet)) {
    if (m_table.Receive(m_packet.data(), m_packet.size(), now)) continue;
    // A faulty client is disconnected, and told so after what it was sent before.
    Disconnect(now);
    uint8_t closed[PACKET_HEADER_SIZE];
    const size_t size =
        EncodePacket(FramePacket(SUB_CLOSED), PacketDirection::ToClient, closed, sizeof(closed));
    m_fromTable.SendPacket(closed, size);
    return;
  }
}

uint64_t CInProcessTransport::NextArrival(uint64_t now) {
  if (!m_connected) return m_fromTable.Empty() ? LINK_NEVER : now;
  if (!m_entered || !m_toTable.Empty() || !m_fromTable.Empty()) return now;
  return m_table.NextEvent();
}

void CInProcessTransport::Disconnect(uint64_t now) {
  if (!m_connected) return;
  m_connected = false;
  m_toTable.Clear();
  m_table.Disconnect(now);
}

CInProcessLink::CInProcessLink(std::unique_ptr<CTableHost> host, uint16_t chair,
                               const tagLobbyUser (&users)[SEAT_COUNT])
    : m_host(std::move(host)), m_table(*m_host, chair, users, m_toClient) {
  Return();
}

void CInProcessLink::Return() {
  m_toClient.Clear();
  m_client.reset();
  m_transport = std::make_unique<CInProcessTransport>(m_table, m_toClient);
  m_client = std::make_unique<CLinkClient>(*m_transport);
  m_client->AllowRejoin(true);
}
