#include "platform/frame/Brisvane.h"

bool CLoopbackLink::SendGameData(WORD id, const void* data, WORD size) {
  if (m_down || size > MAX_GAME_DATA_SIZE || (size > 0 && data == nullptr)) return false;
  const auto* bytes = static_cast<const BYTE*>(data);
  m_sent.push_back(tagSent{SentKind::GameData, id, std::vector<BYTE>(bytes, bytes + size)});
  return true;
}

bool CLoopbackLink::SendUserReady(const void* data, WORD size) {
  if (m_down || size > MAX_GAME_DATA_SIZE || (size > 0 && data == nullptr)) return false;
  const auto* bytes = static_cast<const BYTE*>(data);
  m_sent.push_back(tagSent{SentKind::UserReady, 0, std::vector<BYTE>(bytes, bytes + size)});
  return true;
}

bool CLoopbackLink::SendChangeTable(WORD table) {
  if (m_down) return false;
  m_sent.push_back(tagSent{SentKind::ChangeTable, table, {}});
  return true;
}

CLoopbackLink::tagInbound& CLoopbackLink::Push(Kind kind) {
  m_inbox.push_back(tagInbound{});
  m_inbox.back().kind = kind;
  return m_inbox.back();
}

void CLoopbackLink::DeliverSelf(WORD meChair, bool lookon, bool allowLookon) {
  tagInbound& in = Push(Kind::Self);
  in.chair = meChair;
  in.lookon = lookon;
  in.allowLookon = allowLookon;
}

void CLoopbackLink::DeliverServerAttribute(const tagServerAttribute& attribute) {
  Push(Kind::Attribute).attribute = attribute;
}

void CLoopbackLink::DeliverUserEnter(const tagUserData& user, WORD chair, bool lookon) {
  tagInbound& in = Push(Kind::Enter);
  in.user = user;
  in.chair = chair;
  in.lookon = lookon;
}

void CLoopbackLink::DeliverUserLeave(WORD chair, bool lookon) {
  tagInbound& in = Push(Kind::Leave);
  in.chair = chair;
  in.lookon = lookon;
}

void CLoopbackLink::DeliverUserScore(const tagUserData& user, WORD chair, bool lookon) {
  tagInbound& in = Push(Kind::Score);
  in.user = user;
  in.chair = chair;
  in.lookon = lookon;
}

void CLoopbackLink::DeliverUserStatus(const tagUserData& user, WORD chair, bool lookon) {
  tagInbound& in = Push(Kind::Status);
  in.user = user;
  in.chair = chair;
  in.lookon = lookon;
}

bool CLoopbackLink::DeliverScene(BYTE status, bool lookon, const void* data, WORD size) {
  if (size > MAX_GAME_DATA_SIZE || (size > 0 && data == nullptr)) return false;
  tagInbound& in = Push(Kind::Scene);
  in.status = status;
  in.lookon = lookon;
  const auto* bytes = static_cast<const BYTE*>(data);
  in.data.assign(bytes, bytes + size);
  return true;
}

bool CLoopbackLink::DeliverGameMessage(WORD id, const void* data, WORD size) {
  if (size > MAX_GAME_DATA_SIZE || (size > 0 && data == nullptr)) return false;
  tagInbound& in = Push(Kind::Message);
  in.chair = id;
  const auto* bytes = static_cast<const BYTE*>(data);
  in.data.assign(bytes, bytes + size);
  return true;
}

void CLoopbackLink::DeliverClosed() { Push(Kind::Closed); }

void CLoopbackLink::Poll(ILinkSink& sink) {
  // Only what was queued before this call; what the handlers queue waits for the next Poll.
  size_t count = m_inbox.size();
  while (count-- > 0 && !m_inbox.empty()) {
    const tagInbound in = std::move(m_inbox.front());
    m_inbox.pop_front();
    const void* data = in.data.empty() ? nullptr : in.data.data();
    const WORD size = static_cast<WORD>(in.data.size());
    switch (in.kind) {
      case Kind::Self:
        sink.OnLinkSelf(in.chair, in.lookon, in.allowLookon);
        break;
      case Kind::Attribute:
        sink.OnLinkServerAttribute(in.attribute);
        break;
      case Kind::Enter:
        sink.OnLinkUserEnter(in.user, in.chair, in.lookon);
        break;
      case Kind::Leave:
        sink.OnLinkUserLeave(in.chair, in.lookon);
        break;
      case Kind::Score:
        sink.OnLinkUserScore(in.user, in.chair, in.lookon);
        break;
      case Kind::Status:
        sink.OnLinkUserStatus(in.user, in.chair, in.lookon);
        break;
      case Kind::Scene:
        sink.OnLinkScene(in.status, in.lookon, data, size);
        break;
      case Kind::Message:
        sink.OnLinkGameMessage(in.chair, data, size);
        break;
      case Kind::Closed:
        sink.OnLinkClosed();
        break;
    }
  }
}
