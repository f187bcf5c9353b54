#include "link/ClientEnd.h"

#include "link/LobbyMessages.h"
#include "platform/win/WinTime.h"

static_assert(PACKET_MAX_RECORD >= MAX_GAME_DATA_SIZE, "every record the frame sends fits");
static_assert(LINK_NAME_SIZE == USER_NAME_SIZE);
static_assert(LINK_STATUS_NULL == US_NULL && LINK_STATUS_SIT == US_SIT &&
              LINK_STATUS_READY == US_READY && LINK_STATUS_PLAY == US_PLAY &&
              LINK_STATUS_OFFLINE == US_OFFLINE);

tagUserData ToUserData(const tagLinkUser& user) {
  tagUserData data{};
  data.cbGender = user.gender;
  data.cbMemberOrder = user.memberOrder;
  data.wFaceID = user.faceId;
  data.dwUserID = user.userId;
  SetUserName(data, user.name);
  data.lScore = user.score;
  data.wChairID = user.chair;
  data.wTableID = user.tableId;
  data.cbUserStatus = user.status;
  return data;
}

bool CLinkClient::Send(const tagPacket& packet) {
  if (!IsOpen()) return false;
  uint8_t buffer[PACKET_MAX_SIZE];
  const size_t size = EncodePacket(packet, PacketDirection::ToTable, buffer, sizeof(buffer));
  return size > 0 && m_transport.Send(buffer, size);
}

bool CLinkClient::SendLobby(uint16_t sub, const uint8_t* record, size_t size) {
  if (!IsOpen()) return false;
  uint8_t buffer[PACKET_MAX_SIZE];
  const size_t n =
      EncodeLobbyPacket(sub, record, size, PacketDirection::ToTable, buffer, sizeof(buffer));
  return n > 0 && m_transport.Send(buffer, n);
}

bool CLinkClient::SendGameData(WORD id, const void* data, WORD size) {
  return Send(GamePacket(id, static_cast<const uint8_t*>(data), size));
}

bool CLinkClient::SendUserReady(const void* data, WORD size) {
  return Send(FramePacket(SUB_USER_READY, static_cast<const uint8_t*>(data), size));
}

bool CLinkClient::SendChangeTable(WORD table) { return Send(ChangeTablePacket(table)); }

bool CLinkClient::RejoinTable() { return m_allowRejoin && Send(FramePacket(SUB_REJOIN)); }

uint64_t CLinkClient::NextEventMs() {
  return m_closed ? LINK_NEVER : m_transport.NextArrival(GetTickCount64());
}

void CLinkClient::Close(ILinkSink& sink, uint64_t now) {
  if (m_closed) return;
  m_closed = true;
  m_transport.Disconnect(now);
  sink.OnLinkClosed();
}

void CLinkClient::Poll(ILinkSink& sink) {
  if (m_closed) return;
  const uint64_t now = GetTickCount64();
  m_transport.Service(now);
  // What the handlers send meanwhile reaches the table at the next Service.
  while (m_transport.Receive(m_packet)) {
    tagPacket packet;
    if (!DecodePacket(m_packet.data(), m_packet.size(), PacketDirection::ToClient, packet)) {
      ++m_refused;
      Close(sink, now);
      return;
    }
    if (packet.main == MAIN_FRAME && packet.sub == SUB_CLOSED) {
      Close(sink, now);
      return;
    }
    Deliver(packet, sink);
  }
  if (!m_transport.Connected()) Close(sink, now);
}

void CLinkClient::Deliver(const tagPacket& p, ILinkSink& sink) {
  if (p.main == MAIN_GAME) {
    sink.OnLinkGameMessage(p.sub, p.record, p.recordSize);
    return;
  }
  if (p.main == MAIN_LOBBY) {
    if (m_lobby != nullptr) m_lobby->OnLobbyPacket(p);
    return;
  }
  const tagLinkUser& user = p.user;
  switch (p.sub) {
    case SUB_SELF:
      sink.OnLinkSelf(p.self.chair, p.self.lookon != 0, p.self.allowLookon != 0);
      break;
    case SUB_SERVER_ATTRIBUTE: {
      tagServerAttribute attribute{};
      attribute.wKindID = p.attribute.kindId;
      attribute.wServerID = p.attribute.serverId;
      attribute.wServerType = p.attribute.serverType;
      attribute.wChairCount = p.attribute.chairCount;
      attribute.dwServerRule = p.attribute.serverRule;
      attribute.cbHideUserInfo = p.attribute.hideUserInfo;
      sink.OnLinkServerAttribute(attribute);
      break;
    }
    case SUB_USER_ENTER:
      sink.OnLinkUserEnter(ToUserData(user), user.chair, user.lookon != 0);
      break;
    case SUB_USER_LEAVE:
      sink.OnLinkUserLeave(user.chair, user.lookon != 0);
      break;
    case SUB_USER_SCORE:
      sink.OnLinkUserScore(ToUserData(user), user.chair, user.lookon != 0);
      break;
    case SUB_USER_STATUS:
      sink.OnLinkUserStatus(ToUserData(user), user.chair, user.lookon != 0);
      break;
    case SUB_SCENE:
      sink.OnLinkScene(p.sceneStatus, p.sceneLookon != 0, p.record, p.recordSize);
      break;
    default:
      break;
  }
}
