// The records and interfaces of the lobby frame that the client reads: the user record, the
// server attribute record behind the client kernel, and the link to a table server (the records
// and the link interface are in TableLink.h), with a loopback link for tests.
#pragma once

#include <cstdint>
#include <deque>
#include <vector>

#include "platform/frame/TableLink.h"
#include "platform/win/WinTypes.h"

// Interface ids as the lobby names them.
struct tagInterfaceID {
  DWORD data1;
  WORD data2;
  WORD data3;
  BYTE data4[8];
  bool operator==(const tagInterfaceID&) const = default;
};
inline constexpr tagInterfaceID IID_IClientKernel = {
    0x5AE1C4B7, 0x3F0A, 0x4C2D, {0x9B, 0x61, 0x2E, 0x7D, 0x40, 0x18, 0xC3, 0x55}};
inline constexpr DWORD VER_IClientKernel = 0x8050100;

// The client kernel: the frame's view of the server. GetClientKernel hands it out for
// IID_IClientKernel with a version whose major byte (0x08) matches.
class IClientKernel {
 public:
  virtual const tagServerAttribute* GetServerAttribute() = 0;
  // Match servers: the client passes (300, 7); the frame keeps the values.
  virtual void SetMatchValue(DWORD value, DWORD kind) = 0;

 protected:
  ~IClientKernel() = default;
};

// A link with no server behind it: what the client sends is recorded, what a test (or the
// default mode, until a real link exists) queues with the Deliver calls reaches the frame at the
// next Poll, in order.
class CLoopbackLink : public ITableLink {
 public:
  enum class SentKind { GameData, UserReady, ChangeTable };
  struct tagSent {
    SentKind kind;
    WORD id;  // game message id, or the table for ChangeTable
    std::vector<BYTE> data;
  };

  bool SendGameData(WORD id, const void* data, WORD size) override;
  bool SendUserReady(const void* data, WORD size) override;
  bool SendChangeTable(WORD table) override;
  void Poll(ILinkSink& sink) override;
  uint64_t NextEventMs() override { return m_inbox.empty() ? UINT64_MAX : 0; }

  void DeliverSelf(WORD meChair, bool lookon, bool allowLookon);
  void DeliverServerAttribute(const tagServerAttribute& attribute);
  void DeliverUserEnter(const tagUserData& user, WORD chair, bool lookon = false);
  void DeliverUserLeave(WORD chair, bool lookon = false);
  void DeliverUserScore(const tagUserData& user, WORD chair, bool lookon = false);
  void DeliverUserStatus(const tagUserData& user, WORD chair, bool lookon = false);
  bool DeliverScene(BYTE status, bool lookon, const void* data, WORD size);
  bool DeliverGameMessage(WORD id, const void* data, WORD size);
  void DeliverClosed();

  void SetDown(bool down) { m_down = down; }
  const std::vector<tagSent>& Sent() const { return m_sent; }
  void ClearSent() { m_sent.clear(); }
  size_t Pending() const { return m_inbox.size(); }

 private:
  enum class Kind { Self, Attribute, Enter, Leave, Score, Status, Scene, Message, Closed };
  struct tagInbound {
    Kind kind;
    WORD chair;  // chair, message id or me chair
    BYTE status;
    bool lookon;
    bool allowLookon;
    tagUserData user;
    tagServerAttribute attribute;
    std::vector<BYTE> data;
  };
  tagInbound& Push(Kind kind);

  bool m_down = false;
  std::vector<tagSent> m_sent;
  std::deque<tagInbound> m_inbox;
};
