// The frame's table link to a network table server: a client end (link/ClientEnd.h) over a
// TCP or TLS transport (link/NetTransport.h), with the lobby's conversation around it (log in,
// sit or watch; docs/network.md) and the return after a drop.
//
// The frame sees only its table: the entry, users, scenes and game records pass on as they
// come; the lobby's packets stop here. When the connection drops, the link says so on the
// table (a notice line) and connects again by itself, waiting 0.5 s, then twice as long each
// time up to 8 s, each wait shaken by a quarter either way so that many clients cut at once do
// not come back in step. It logs in with its name and the token of its first login: while
// the game it left runs, the server puts it back in its chair and the playing scene restores
// the table; once that game is over it sits down again (the same table first). After two
// minutes without a connection it gives up and says so. A login refused at the start (a name
// in use), a server not there at the start or a seat refused before the first ends the link
// at once: the frame is told.
//
// Everything runs inside Poll, on the frame's clock (platform/win/WinTime.h); no thread.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "link/ClientEnd.h"
#include "link/LobbyMessages.h"
#include "link/NetTransport.h"

struct tagNetLinkConfig {
  tagNetAddress address;
  std::string caFile;  // TLS: the authority to check the server against ("": the system's)
  std::string name;    // valid as a lobby name
  uint8_t gender = 1;
  uint16_t face = 0;
  bool allowWatchers = false;  // watchers of my chair may see my hand
  uint16_t table = LOBBY_ANY;  // sit at this table (any chair of it), or anywhere
  bool watch = false;          // watch watchTable:watchChair instead of sitting
  uint16_t watchTable = 0;
  uint16_t watchChair = 0;
  uint64_t retryFirstMs = 500;
  uint64_t retryMaxMs = 8000;
  uint64_t giveUpMs = 120000;
  uint64_t seatRetryMs = 2000;  // asking again for a chair when none is free
  uint64_t seed = 1;            // the waits' jitter
};

enum class NetLinkState : uint8_t {
  Connecting,  // connecting, logging in, asking for a chair
  AtTable,     // the table's packets flow
  Waiting,     // no chair free yet: asks again in a while
  Away,        // the connection dropped: connects again when the wait is over
  Ended,       // refused, or given up: nothing more comes
};

class CNetLink final : public ITableLink, private ILinkSink, private ILobbyListener {
 public:
  using TextHandler = std::function<void(const std::string&)>;
  // Makes each connection's transport (the fuzz target's in-memory one); by default TCP/TLS.
  using TransportMaker = std::function<std::unique_ptr<IClientTransport>(uint64_t now)>;

  explicit CNetLink(const tagNetLinkConfig& config);
  ~CNetLink() override;
  CNetLink(const CNetLink&) = delete;
  CNetLink& operator=(const CNetLink&) = delete;

  // Makes the TLS context (when the address asks for TLS) and starts connecting; false with
  // the reason when the CA file cannot be read.
  bool Start(std::string& error);
  // A line for the player on the table (UTF-8) and a line for the log.
  void SetNotice(TextHandler notice) { m_notice = std::move(notice); }
  void SetLog(TextHandler log) { m_log = std::move(log); }
  void SetTransportMaker(TransportMaker maker) { m_maker = std::move(maker); }

  bool SendGameData(WORD id, const void* data, WORD size) override;
  bool SendUserReady(const void* data, WORD size) override;
  bool SendChangeTable(WORD table) override;
  void Poll(ILinkSink& sink) override;
  uint64_t NextEventMs() override;
  // Sent at once when connected; every later login carries it too.
  bool SendAllowWatchers(bool allow) override;

  NetLinkState State() const { return m_state; }
  // Why the link ended ("" while it lives).
  const std::string& EndReason() const { return m_endReason; }
  const tagLobbyPlace& Place() const { return m_place; }
  uint32_t Drops() const { return m_drops; }
  uint32_t Returns() const { return m_returns; }  // put back into a running game
  uint32_t Connections() const { return m_connections; }
  uint32_t UserId() const { return m_userId; }
  // It has been at a table (sat or watched) at least once.
  bool WasSeated() const { return m_seated; }

  // Cuts the connection as a network fault would (tests, and the fuzz target).
  void Cut();
  // Blocks up to `ms` of real time for the socket (a headless driver with nothing due).
  void Wait(uint64_t ms);
  // How often the frame's loop looks at the socket while connected (default 10 ms).
  void SetPollInterval(uint64_t ms);

 private:
  // ILinkSink: what the client end delivers passes to the frame, except its closing.
  void OnLinkSelf(WORD chair, bool lookon, bool allow) override;
  void OnLinkServerAttribute(const tagServerAttribute& attribute) override;
  void OnLinkUserEnter(const tagUserData& user, WORD chair, bool lookon) override;
  void OnLinkUserLeave(WORD chair, bool lookon) override;
  void OnLinkUserScore(const tagUserData& user, WORD chair, bool lookon) override;
  void OnLinkUserStatus(const tagUserData& user, WORD chair, bool lookon) override;
  void OnLinkScene(BYTE status, bool lookon, const void* data, WORD size) override;
  void OnLinkGameMessage(WORD id, const void* data, WORD size) override;
  void OnLinkClosed() override;
  void OnLobbyPacket(const tagPacket& packet) override;

  void Connect(uint64_t now);
  void Login();
  void AskSeat();
  void Dropped(uint64_t now, const std::string& why);
  void End(const std::string& notice, const std::string& why);
  void Notice(const std::string& text);
  void Log(const std::string& line);
  uint64_t Jitter(uint64_t ms);
  void OnLoginAnswer(const tagLobbyLoginAnswer& answer);
  void OnAnswer(const tagLobbyAnswer& answer);
  void OnPlace(const tagLobbyPlace& place);

  tagNetLinkConfig m_config;
  TextHandler m_notice;
  TextHandler m_log;
  std::unique_ptr<asio::ssl::context> m_tls;
  TransportMaker m_maker;
  std::unique_ptr<IClientTransport> m_transport;
  CNetTransport* m_net = nullptr;  // the transport when it is TCP/TLS
  std::unique_ptr<CLinkClient> m_client;
  ILinkSink* m_sink = nullptr;
  NetLinkState m_state = NetLinkState::Connecting;
  uint64_t m_pollMs = 10;
  uint64_t m_random;
  // The lobby.
  bool m_loggedIn = false;  // ever: a later refusal is a server that still holds the old link
  bool m_haveToken = false;
  uint8_t m_token[LOBBY_TOKEN_SIZE] = {};
  uint32_t m_userId = 0;
  tagLobbyPlace m_place{LOBBY_ANY, LOBBY_ANY, 0};
  uint16_t m_lastTable = LOBBY_ANY;  // the table sat at (or watched) last
  uint16_t m_askTable = LOBBY_ANY;   // the table the pending sit asks for
  bool m_fresh = false;              // the next entry is a new start: the old users go
  bool m_returning = false;
  bool m_seated = false;
  bool m_watchNoticed = false;
  bool m_watchAllowed = false;
  // Closing and coming back.
  bool m_clientClosed = false;
  std::string m_dropReason;
  bool m_closeFrame = false;  // tell the frame the link is closed at the next Poll
  bool m_away = false;        // between a drop and the next login
  uint64_t m_awaySince = 0;
  uint64_t m_retryDelay = 0;
  uint64_t m_retryAt = 0;
  uint64_t m_noticeAt = LINK_NEVER;
  std::string m_repeatNotice;
  std::string m_endReason;
  uint32_t m_drops = 0;
  uint32_t m_returns = 0;
  uint32_t m_connections = 0;
};

// The notices the player sees.
inline constexpr const char* NET_NOTICE_DROPPED = "与服务器的连接已断开，正在重新连接…";
inline constexpr const char* NET_NOTICE_BACK = "已重新连接到服务器";
inline constexpr const char* NET_NOTICE_GAVE_UP = "无法重新连接到服务器，请稍后再试";
inline constexpr const char* NET_NOTICE_NO_SERVER = "无法连接到服务器";
inline constexpr const char* NET_NOTICE_NO_CHAIR = "暂时没有空座位，稍后再试…";
inline constexpr const char* NET_NOTICE_NO_OTHER_TABLE = "没有可换的桌子";
inline constexpr const char* NET_NOTICE_WATCHING = "你正在旁观";
inline constexpr const char* NET_NOTICE_WATCHING_HIDDEN = "你正在旁观，该玩家不让旁观者看牌";
