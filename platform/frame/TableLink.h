// The frame's link interface: what a table link and the frame exchange. The user record and the
// server attribute record (laid out at the offsets the client reads), the sink the link
// delivers to (ILinkSink) and the link the frame sends through (ITableLink). Header-only
// (target torvaly_frame_link), so a link implements it without the window frame.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

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
inline void SetUserName(tagUserData& user, const char* name) {
  std::memset(user.szName, 0, sizeof(user.szName));
  if (name == nullptr) return;
  size_t n = std::strlen(name);
  if (n > USER_NAME_SIZE - 1) {
    n = USER_NAME_SIZE - 1;
    // Do not cut a UTF-8 sequence: back up to the start of the character at the cut.
    while (n > 0 && (static_cast<unsigned char>(name[n]) & 0xC0) == 0x80) --n;
  }
  std::memcpy(user.szName, name, n);
}

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
  // The player's "allow watchers" option: watchers of the player's chair see the hand from now
  // on, or no longer. False when this link has no watchers (the embedded mode).
  virtual bool SendAllowWatchers(bool /*allow*/) { return false; }
};
