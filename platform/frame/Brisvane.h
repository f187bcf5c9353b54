// The records and interfaces of the lobby frame that the client reads: the user record, the
// server attribute record behind the client kernel, and the link to a table server.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <deque>
#include <vector>

#include "platform/win/WinTypes.h"

inline constexpr WORD FRAME_CHAIR_COUNT = 3;  // chairs 0, 1, 2 at a table
inline constexpr WORD INVALID_CHAIR = 0xFFFF;
inline constexpr WORD INVALID_TABLE = 0xFFFF;
inline constexpr WORD MAX_GAME_DATA_SIZE = 2048;  // largest record a game message may carry
inline constexpr size_t USER_NAME_SIZE = 32;      // UTF-8, terminated within these bytes

// User status byte (offset 268).
inline constexpr BYTE US_NULL = 0;
inline constexpr BYTE US_FREE = 1;
inline constexpr BYTE US_SIT = 2;
inline constexpr BYTE US_READY = 3;
inline constexpr BYTE US_LOOKON = 4;
inline constexpr BYTE US_PLAY = 5;
inline constexpr BYTE US_OFFLINE = 6;

inline constexpr BYTE GENDER_MALE = 1;
inline constexpr BYTE GENDER_FEMALE = 2;

// A user at the table, laid out at the offsets the client reads.
struct tagUserData {
  BYTE cbGender;                // 0: 1 male, 2 female
  BYTE cbMemberOrder;           // 1
  WORD wFaceID;                 // 2: portrait number
  DWORD dwUserID;               // 4
  BYTE cbReserved8[56];         // 8
  char szName[USER_NAME_SIZE];  // 64: nickname, UTF-8, always terminated
  BYTE cbReserved96[112];       // 96
  LONGLONG lScore;              // 208: gold
  BYTE cbReserved216[48];       // 216
  WORD wChairID;                // 264
  WORD wTableID;                // 266: the table, as ChangeTable takes it
  BYTE cbUserStatus;            // 268: US_*
  BYTE cbReserved269[3];        // 269
};
static_assert(offsetof(tagUserData, cbGender) == 0);
static_assert(offsetof(tagUserData, wFaceID) == 2);
static_assert(offsetof(tagUserData, szName) == 64);
static_assert(offsetof(tagUserData, lScore) == 208);
static_assert(offsetof(tagUserData, wTableID) == 266);
static_assert(offsetof(tagUserData, cbUserStatus) == 268);
static_assert(sizeof(tagUserData) == 272);

// Copies a nickname into the record, cut at a character boundary so the text stays valid UTF-8
// and terminated.
void SetUserName(tagUserData& user, const char* name);

inline constexpr WORD SERVER_TYPE_MATCH = 4;

// What the lobby says about the server the table belongs to.
struct tagServerAttribute {
  WORD wKindID;           // 0
  WORD wServerID;         // 2
  WORD wServerType;       // 4: 4 = match server
  WORD wChairCount;       // 6
  DWORD dwServerRule;     // 8
  DWORD dwReserved12;     // 12
  BYTE cbHideUserInfo;    // 16: 1 = other players' names and gold are hidden
  BYTE cbReserved17[15];  // 17
};
static_assert(offsetof(tagServerAttribute, wServerType) == 4);
static_assert(offsetof(tagServerAttribute, cbHideUserInfo) == 16);
static_assert(sizeof(tagServerAttribute) == 32);

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

// What a table link delivers to the frame, in arrival order, on the user-interface thread.
class ILinkSink {
 public:
  virtual void OnLinkSelf(WORD meChair, bool lookon, bool allowLookon) = 0;
  virtual void OnLinkServerAttribute(const tagServerAttribute& attribute) = 0;
  virtual void OnLinkUserEnter(const tagUserData& user, WORD chair, bool lookon) = 0;
  virtual void OnLinkUserLeave(WORD chair, bool lookon) = 0;
  virtual void OnLinkUserScore(const tagUserData& user, WORD chair, bool lookon) = 0;
  virtual void OnLinkUserStatus(const tagUserData& user, WORD chair, bool lookon) = 0;
  virtual void OnLinkScene(BYTE status, bool lookon, const void* data, WORD size) = 0;
  virtual void OnLinkGameMessage(WORD id, const void* data, WORD size) = 0;
  virtual void OnLinkClosed() = 0;

 protected:
  ~ILinkSink() = default;
};

// The link between the frame and a table server. Sends return false when the link is down or
// the record too big; Poll delivers everything that has arrived since the last Poll.
class ITableLink {
 public:
  virtual ~ITableLink() = default;
  virtual bool SendGameData(WORD id, const void* data, WORD size) = 0;
  virtual bool SendUserReady(const void* data, WORD size) = 0;
  virtual bool SendChangeTable(WORD table) = 0;
  virtual void Poll(ILinkSink& sink) = 0;
  // When (on the clock of WinTime.h) Poll will have something to deliver without any input
  // from this side: now or earlier when something waits, UINT64_MAX when nothing is expected.
  // The application loop sleeps until then. A link fed by another thread wakes the loop by
  // pushing an SDL event (SDL_PushEvent may be called from any thread).
  virtual uint64_t NextEventMs() { return UINT64_MAX; }
  // Leaves the table and takes the seat again, where the lobby offers it (the embedded mode):
  // the frame then receives the entry again (users, a fresh scene). False when this link does
  // not offer it; the frame then ends the program as a lobby would.
  virtual bool RejoinTable() { return false; }
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
