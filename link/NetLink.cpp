#include "link/NetLink.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <iterator>
#include <thread>

#include "platform/win/WinTime.h"

namespace {

// A notice on the table fades after about four seconds: one that must stay is shown again.
constexpr uint64_t kNoticeRepeatMs = 4000;

const char* ResultText(uint8_t result) {
  switch (static_cast<LobbyResult>(result)) {
    case LobbyResult::Version:
      return "登录失败：服务器的版本不同";
    case LobbyResult::BadName:
      return "登录失败：这个名字不能用";
    case LobbyResult::NameTaken:
      return "登录失败：这个名字已有人在用";
    case LobbyResult::Full:
      return "登录失败：服务器已满";
    case LobbyResult::NoSuchTable:
      return "没有这张桌子";
    case LobbyResult::ChairTaken:
      return "这个座位已有人";
    default:
      return "服务器拒绝了请求";
  }
}

// The result's name for the log (docs/network.md, "Results").
std::string ResultName(uint8_t result) {
  static constexpr const char* kNames[] = {
      "Ok",         "Version", "BadName",    "NameTaken",      "Full",        "NoSuchTable",
      "ChairTaken", "NotNow",  "NotAtTable", "AlreadyAtTable", "NoFreeChair", "Refused"};
  return result < std::size(kNames) ? kNames[result] : "result " + std::to_string(result);
}

}  // namespace

CNetLink::CNetLink(const tagNetLinkConfig& config)
    : m_config(config), m_random(config.seed * 0x9E3779B97F4A7C15ull + 1) {}

CNetLink::~CNetLink() {
  m_client.reset();  // it holds the transport
  m_transport.reset();
  m_net = nullptr;
}

bool CNetLink::Start(std::string& error) {
  if (m_config.address.tls) {
    m_tls = std::make_unique<asio::ssl::context>(asio::ssl::context::tls_client);
    if (!MakeClientTlsContext(*m_tls, m_config.caFile, error)) return false;
  }
  Connect(GetTickCount64());
  return true;
}

void CNetLink::Connect(uint64_t now) {
  m_client.reset();
  if (m_maker) {
    m_transport = m_maker(now);
    m_net = nullptr;
  } else {
    auto net = std::make_unique<CNetTransport>(m_config.address.host, m_config.address.port,
                                               m_tls.get(), now);
    net->SetPollInterval(m_pollMs);
    m_net = net.get();
    m_transport = std::move(net);
  }
  m_client = std::make_unique<CLinkClient>(*m_transport);
  m_client->SetLobbyListener(this);
  m_client->AllowRejoin(true);  // only for the entry again after a change of tables refused
  m_clientClosed = false;
  m_state = NetLinkState::Connecting;
  ++m_connections;
  Login();  // queued until the connection is up
}

void CNetLink::Login() {
  tagLobbyLogin login{};
  login.version = LOBBY_VERSION;
  login.gender = m_config.gender;
  login.faceId = m_config.face;
  login.allowWatchers = m_config.allowWatchers ? 1 : 0;
  if (m_haveToken) {
    login.hasToken = 1;
    std::memcpy(login.token, m_token, LOBBY_TOKEN_SIZE);
  }
  SetLobbyName(login.name, m_config.name.c_str());
  uint8_t record[LOBBY_LOGIN_SIZE];
  const size_t n = EncodeLobbyLogin(login, record, sizeof(record));
  if (n == 0 || !m_client->SendLobby(LOBBY_LOGIN, record, n)) {
    End(NET_NOTICE_NO_SERVER, "the login could not be written (name '" + m_config.name + "')");
  }
}

// Sits (or watches): after a drop, at the table it had; else where the command line said.
void CNetLink::AskSeat() {
  uint8_t record[LOBBY_SEAT_ASK_SIZE];
  tagLobbySeatAsk ask{LOBBY_ANY, LOBBY_ANY};
  uint16_t sub = LOBBY_SIT;
  if (m_config.watch) {
    sub = LOBBY_WATCH;
    ask = {m_config.watchTable, m_config.watchChair};
  } else if (m_askTable != LOBBY_ANY) {
    ask.table = m_askTable;
  }
  const size_t n = EncodeLobbySeatAsk(sub, ask, record, sizeof(record));
  if (n > 0 && m_client) m_client->SendLobby(sub, record, n);
}

void CNetLink::Poll(ILinkSink& sink) {
  m_sink = &sink;
  const uint64_t now = GetTickCount64();
  if ((m_state == NetLinkState::Away || m_state == NetLinkState::Waiting) && now >= m_retryAt) {
    if (m_state == NetLinkState::Away) {
      Connect(now);
    } else {
      m_state = NetLinkState::Connecting;
      AskSeat();
    }
  }
  if (m_client) {
    m_client->Poll(*this);
    if (m_state == NetLinkState::Ended) {
      m_client.reset();
      m_transport.reset();
      m_net = nullptr;
    } else if (m_clientClosed) {
      // A copy: the transport that holds the reason goes in Dropped.
      const std::string why =
          m_net != nullptr && !m_net->Error().empty() ? m_net->Error() : m_dropReason;
      Dropped(now, why);
    }
  }
  if (!m_repeatNotice.empty() && now >= m_noticeAt) {
    Notice(m_repeatNotice);
    m_noticeAt = now + kNoticeRepeatMs;
  }
  if (m_closeFrame) {
    m_closeFrame = false;
    sink.OnLinkClosed();
  }
}

uint64_t CNetLink::NextEventMs() {
  const uint64_t now = GetTickCount64();
  if (m_closeFrame) return now;
  uint64_t next = m_client ? m_client->NextEventMs() : LINK_NEVER;
  if (m_state == NetLinkState::Away || m_state == NetLinkState::Waiting)
    next = std::min(next, m_retryAt);
  if (!m_repeatNotice.empty()) next = std::min(next, m_noticeAt);
  return next;
}

void CNetLink::Dropped(uint64_t now, const std::string& why) {
  m_client.reset();
  m_transport.reset();
  m_net = nullptr;
  if (!m_loggedIn) {
    End(NET_NOTICE_NO_SERVER, "no connection to " + m_config.address.host + ":" +
                                  std::to_string(m_config.address.port) + ": " + why);
    return;
  }
  m_dropReason.clear();
  if (!m_away) {
    // The drop itself: from now on the waits grow.
    m_away = true;
    ++m_drops;
    m_awaySince = now;
    m_retryDelay = m_config.retryFirstMs;
    Log("connection lost (" + why + "); connecting again");
    m_repeatNotice = NET_NOTICE_DROPPED;
    m_noticeAt = now;
  }
  if (now - m_awaySince >= m_config.giveUpMs) {
    End(NET_NOTICE_GAVE_UP, "no connection for " + std::to_string(m_config.giveUpMs / 1000) +
                                " s (" + why + "): given up");
    return;
  }
  m_state = NetLinkState::Away;
  m_retryAt = now + Jitter(m_retryDelay);
  m_retryDelay = std::min(m_retryDelay * 2, m_config.retryMaxMs);
  if (m_place.table != LOBBY_ANY) m_lastTable = m_place.table;
  m_place = {LOBBY_ANY, LOBBY_ANY, 0};
}

void CNetLink::End(const std::string& notice, const std::string& why) {
  if (m_state == NetLinkState::Ended) return;
  m_state = NetLinkState::Ended;
  m_endReason = why;
  Log(why);
  // The connection goes after this Poll (this may run inside the client end's Poll).
  if (m_client) m_client->SetLobbyListener(nullptr);
  if (!m_seated) {
    // No table was ever shown: the frame ends as it would without a lobby.
    m_closeFrame = true;
    Notice(notice);
    m_repeatNotice.clear();
  } else {
    m_repeatNotice = notice;
    m_noticeAt = GetTickCount64();
  }
}

void CNetLink::Notice(const std::string& text) {
  if (m_notice) m_notice(text);
}

void CNetLink::Log(const std::string& line) {
  if (m_log) m_log(line);
}

uint64_t CNetLink::Jitter(uint64_t ms) {
  // xorshift64*: only the waits' spread depends on it.
  m_random ^= m_random >> 12;
  m_random ^= m_random << 25;
  m_random ^= m_random >> 27;
  const uint64_t r = (m_random * 0x2545F4914F6CDD1Dull) >> 11;
  const uint64_t spread = ms / 2;  // a quarter either way
  return ms - ms / 4 + (spread == 0 ? 0 : r % (spread + 1));
}

void CNetLink::Cut() {
  if (m_client && m_sink != nullptr) {
    m_dropReason = "cut";
    m_client->Poll(*this);  // whatever arrived before the cut is delivered first
  }
  if (m_transport) m_transport->Disconnect(GetTickCount64());
}

void CNetLink::Wait(uint64_t ms) {
  if (m_net != nullptr && m_net->Connected()) {
    m_net->Wait(ms);
  } else {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
  }
}

void CNetLink::SetPollInterval(uint64_t ms) {
  m_pollMs = ms;
  if (m_net != nullptr) m_net->SetPollInterval(ms);
}

// ---- what the frame sends --------------------------------------------------------------------

bool CNetLink::SendGameData(WORD id, const void* data, WORD size) {
  return m_state == NetLinkState::AtTable && m_client && m_client->SendGameData(id, data, size);
}

bool CNetLink::SendUserReady(const void* data, WORD size) {
  return m_state == NetLinkState::AtTable && m_client && m_client->SendUserReady(data, size);
}

bool CNetLink::SendAllowWatchers(bool allow) {
  m_config.allowWatchers = allow;
  if (!m_client || m_clientClosed || m_state == NetLinkState::Ended) return false;
  // On this connection it follows the login, which the server handles first.
  uint8_t record[LOBBY_OPTIONS_SIZE];
  const size_t n = EncodeLobbyOptions(allow ? 1 : 0, record, sizeof(record));
  return n > 0 && m_client->SendLobby(LOBBY_OPTIONS, record, n);
}

bool CNetLink::SendChangeTable(WORD table) {
  return m_state == NetLinkState::AtTable && m_client && m_client->SendChangeTable(table);
}

// ---- what the client end delivers ------------------------------------------------------------

void CNetLink::OnLinkSelf(WORD chair, bool lookon, bool allow) {
  m_sink->OnLinkSelf(chair, lookon, allow);
  // A watcher is told what it sees (again when the player changes the option).
  if (lookon && (!m_watchNoticed || allow != m_watchAllowed)) {
    Notice(allow ? NET_NOTICE_WATCHING : NET_NOTICE_WATCHING_HIDDEN);
    m_watchNoticed = true;
    m_watchAllowed = allow;
  }
}
void CNetLink::OnLinkServerAttribute(const tagServerAttribute& attribute) {
  m_sink->OnLinkServerAttribute(attribute);
}
void CNetLink::OnLinkUserEnter(const tagUserData& user, WORD chair, bool lookon) {
  m_sink->OnLinkUserEnter(user, chair, lookon);
}
void CNetLink::OnLinkUserLeave(WORD chair, bool lookon) { m_sink->OnLinkUserLeave(chair, lookon); }
void CNetLink::OnLinkUserScore(const tagUserData& user, WORD chair, bool lookon) {
  m_sink->OnLinkUserScore(user, chair, lookon);
}
void CNetLink::OnLinkUserStatus(const tagUserData& user, WORD chair, bool lookon) {
  m_sink->OnLinkUserStatus(user, chair, lookon);
}
void CNetLink::OnLinkScene(BYTE status, bool lookon, const void* data, WORD size) {
  m_sink->OnLinkScene(status, lookon, data, size);
}
void CNetLink::OnLinkGameMessage(WORD id, const void* data, WORD size) {
  m_sink->OnLinkGameMessage(id, data, size);
}
void CNetLink::OnLinkClosed() {
  m_clientClosed = true;
  if (m_dropReason.empty()) m_dropReason = "the connection closed";
}

// ---- the lobby -------------------------------------------------------------------------------

void CNetLink::OnLobbyPacket(const tagPacket& p) {
  switch (p.sub) {
    case LOBBY_LOGIN_ANSWER: {
      tagLobbyLoginAnswer answer;
      if (DecodeLobbyLoginAnswer(p.record, p.recordSize, answer)) OnLoginAnswer(answer);
      break;
    }
    case LOBBY_ANSWER: {
      tagLobbyAnswer answer;
      if (DecodeLobbyAnswer(p.record, p.recordSize, answer)) OnAnswer(answer);
      break;
    }
    case LOBBY_PLACE: {
      tagLobbyPlace place;
      if (DecodeLobbyPlace(p.record, p.recordSize, place)) OnPlace(place);
      break;
    }
    default:
      break;  // the table list: this client does not browse
  }
}

void CNetLink::OnLoginAnswer(const tagLobbyLoginAnswer& a) {
  if (a.result != 0) {
    // After a drop the server may not have seen the old connection go yet: try again later.
    if (m_loggedIn && a.result == static_cast<uint8_t>(LobbyResult::NameTaken)) {
      m_dropReason = "the server still holds the old connection";
      m_clientClosed = true;
      return;
    }
    End(ResultText(a.result), "login of '" + m_config.name + "' refused: " + ResultName(a.result));
    return;
  }
  const bool again = m_loggedIn;
  m_loggedIn = true;
  m_haveToken = true;
  std::memcpy(m_token, a.token, LOBBY_TOKEN_SIZE);
  m_userId = a.userId;
  m_away = false;
  if (again) {
    Log(a.returned != 0 ? "connected again: back in the game" : "connected again");
    m_repeatNotice.clear();
    Notice(NET_NOTICE_BACK);
  } else {
    Log("logged in as '" + m_config.name + "', user " + std::to_string(a.userId));
  }
  if (a.returned != 0) {
    ++m_returns;
    m_returning = true;  // the place and the playing scene follow
    return;
  }
  // A new start: the old table's users go before the new entry.
  m_fresh = again;
  m_askTable = again ? m_lastTable : m_config.table;
  AskSeat();
}

void CNetLink::OnAnswer(const tagLobbyAnswer& a) {
  if (a.result == 0) return;
  const LobbyResult result = static_cast<LobbyResult>(a.result);
  if (a.request == LOBBY_WATCH) {
    End(ResultText(a.result), "watching table " + std::to_string(m_config.watchTable) + " chair " +
                                  std::to_string(m_config.watchChair) +
                                  " refused: " + ResultName(a.result));
    return;
  }
  if (a.request == LOBBY_SIT) {
    if (result == LobbyResult::NoSuchTable && m_askTable == m_config.table) {
      End(ResultText(a.result), "no table " + std::to_string(m_askTable) + " at the server");
      return;
    }
    // The table of before is full: any chair will do. Otherwise ask again in a while.
    if (m_askTable != m_config.table) {
      m_askTable = m_config.table;
      AskSeat();
      return;
    }
    m_state = NetLinkState::Waiting;
    m_retryAt = GetTickCount64() + m_config.seatRetryMs;
    Notice(NET_NOTICE_NO_CHAIR);
    return;
  }
  if (a.request == 0 && (result == LobbyResult::NoFreeChair || result == LobbyResult::NotNow)) {
    // The frame cleared its table for the change that did not happen: the entry again.
    Notice(NET_NOTICE_NO_OTHER_TABLE);
    if (m_client) m_client->RejoinTable();
  }
}

void CNetLink::OnPlace(const tagLobbyPlace& place) {
  if (place.table == LOBBY_ANY) {
    m_place = place;
    return;
  }
  const bool newTable = place.table != m_place.table && m_place.table != LOBBY_ANY;
  if ((m_fresh || newTable) && !m_returning) {
    for (WORD chair = 0; chair < SEAT_COUNT; ++chair) m_sink->OnLinkUserLeave(chair, false);
  }
  m_fresh = false;
  m_returning = false;
  m_place = place;
  m_lastTable = place.table;
  m_state = NetLinkState::AtTable;
  m_seated = true;
}
