#include "tools/load/LoadClient.h"

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstring>

#include "link/LobbyMessages.h"
#include "link/Packet.h"
#include "protocol/Protocol.h"
#include "server/ChairView.h"
#include "server/Table.h"
#include "server/bots/Bot.h"

namespace {

using Clock = std::chrono::steady_clock;

// A person's client reports its deal watched at the end of the deal animation, one step of
// 120 ms per card of its hand, and can start the next game once its start button shows, 2.5 s
// after a result. A light client that did both at once would play games that nobody can hold
// up (no play left unanswered, so no pause) back to back at the machine's speed: some fifty
// packets a game from each chair, a few games within a second, past the server's bound of a
// person's pace (a burst of 120 packets, then 60 a second).
constexpr uint64_t kDealStepMs = 120;
constexpr uint64_t kStartShowsMs = 2500;

uint64_t MicrosSince(Clock::time_point since) {
  return static_cast<uint64_t>(
      std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - since).count());
}

}  // namespace

class CLoadClient final : public std::enable_shared_from_this<CLoadClient> {
 public:
  CLoadClient(CLoadRun& run, uint32_t index, const asio::ip::tcp::resolver::results_type& where)
      : m_run(run),
        m_index(index),
        m_where(where),
        m_timer(run.m_io),
        m_paceTimer(run.m_io),
        m_bot(MakeBot(run.m_config.botLevel)) {
    m_name = run.m_config.namePrefix + "-" + std::to_string(getpid() % 100000) + "-" +
             std::to_string(index);
    if (m_name.size() > LOBBY_NAME_MAX) m_name.resize(LOBBY_NAME_MAX);
  }

  void Start() {
    asio::ip::tcp::socket socket(m_run.m_io);
    m_stream = m_run.m_tls ? std::make_unique<CNetStream>(std::move(socket), *m_run.m_tls)
                           : std::make_unique<CNetStream>(std::move(socket));
    auto self = shared_from_this();
    asio::async_connect(m_stream->Socket(), m_where,
                        [self](const std::error_code& ec, const asio::ip::tcp::endpoint&) {
                          if (ec) return self->Fault("connect: " + ec.message());
                          std::error_code ignored;
                          self->m_stream->Socket().set_option(asio::ip::tcp::no_delay(true),
                                                              ignored);
                          self->m_stream->Handshake(false, self->m_run.m_config.host,
                                                    [self](const std::error_code& hs) {
                                                      if (hs)
                                                        return self->Fault("TLS: " + hs.message());
                                                      self->Login();
                                                      self->Read();
                                                    });
                        });
  }

  void Stop() {
    m_stopped = true;
    m_timer.cancel();
    m_paceTimer.cancel();
    if (m_stream) m_stream->Close();
  }

 private:
  void Fault(const std::string& what) {
    if (m_stopped) return;
    m_run.m_stats.faults.push_back(m_name + ": " + what);
    Stop();
  }

  void Send(const uint8_t* packet, size_t size) {
    if (m_stopped || size == 0) return;
    ++m_sent;
    m_pending.insert(m_pending.end(), packet, packet + size);
    if (!m_writing) Flush();
  }

  void Flush() {
    m_sending.swap(m_pending);
    m_writing = true;
    auto self = shared_from_this();
    m_stream->Write(m_sending.data(), m_sending.size(), [self](const std::error_code& ec, size_t) {
      self->m_writing = false;
      self->m_sending.clear();
      if (self->m_stopped) return;
      if (ec) return self->Fault("write: " + ec.message());
      if (!self->m_pending.empty()) self->Flush();
    });
  }

  void SendPacket(const tagPacket& packet) {
    uint8_t buffer[PACKET_MAX_SIZE];
    const size_t size = EncodePacket(packet, PacketDirection::ToTable, buffer, sizeof(buffer));
    if (size == 0) return Fault("could not encode a packet");
    Send(buffer, size);
  }

  void SendLobby(uint16_t sub, const uint8_t* record, size_t size) {
    uint8_t buffer[PACKET_MAX_SIZE];
    const size_t n =
        EncodeLobbyPacket(sub, record, size, PacketDirection::ToTable, buffer, sizeof(buffer));
    if (n == 0) return Fault("could not encode a lobby packet");
    Send(buffer, n);
  }

  void Login() {
    tagLobbyLogin login{};
    login.version = LOBBY_VERSION;
    login.gender = static_cast<uint8_t>(1 + m_index % 2);
    login.faceId = static_cast<uint16_t>(m_index % (LOBBY_FACE_MAX + 1));
    login.allowWatchers = m_run.m_config.allowWatchers ? 1 : 0;
    SetLobbyName(login.name, m_name.c_str());
    uint8_t record[LOBBY_LOGIN_SIZE];
    SendLobby(LOBBY_LOGIN, record, EncodeLobbyLogin(login, record, sizeof(record)));
  }

  void AskChair() {
    const uint16_t table =
        m_run.m_config.alone ? static_cast<uint16_t>(m_index) : m_run.m_config.table;
    uint8_t record[LOBBY_SEAT_ASK_SIZE];
    SendLobby(LOBBY_SIT, record,
              EncodeLobbySeatAsk(LOBBY_SIT, {table, LOBBY_ANY}, record, sizeof(record)));
  }

  void Read() {
    if (m_stopped) return;
    auto self = shared_from_this();
    m_stream->ReadSome(m_in + m_used, sizeof(m_in) - m_used,
                       [self](const std::error_code& ec, size_t n) {
                         if (self->m_stopped) return;
                         if (ec)
                           return self->Fault("the server closed the connection after " +
                                              std::to_string(self->m_sent) + " packets");
                         self->m_used += n;
                         size_t at = 0;
                         while (self->m_used - at >= PACKET_HEADER_SIZE && !self->m_stopped) {
                           const size_t size = PacketSize(self->m_in + at, self->m_used - at);
                           if (size == 0) return self->Fault("a packet of a size out of bounds");
                           if (self->m_used - at < size) break;
                           self->OnPacket(self->m_in + at, size);
                           at += size;
                         }
                         std::memmove(self->m_in, self->m_in + at, self->m_used - at);
                         self->m_used -= at;
                         self->Read();
                       });
  }

  void OnPacket(const uint8_t* data, size_t size) {
    ++m_run.m_stats.packets;
    tagPacket p;
    if (!DecodePacket(data, size, PacketDirection::ToClient, p))
      return Fault("a packet that does not decode");
    if (p.main == MAIN_LOBBY) return OnLobby(p);
    if (m_chair == LOBBY_ANY) return Fault("a table's packet away from a table");
    if (p.main == MAIN_FRAME) return OnFrame(p);
    OnGame(p);
  }

  void OnLobby(const tagPacket& p) {
    switch (p.sub) {
      case LOBBY_LOGIN_ANSWER: {
        tagLobbyLoginAnswer a;
        DecodeLobbyLoginAnswer(p.record, p.recordSize, a);
        if (a.result != 0) return Fault("login refused, reason " + std::to_string(a.result));
        ++m_run.m_stats.logins;
        return AskChair();
      }
      case LOBBY_ANSWER: {
        tagLobbyAnswer a;
        DecodeLobbyAnswer(p.record, p.recordSize, a);
        if (a.request == LOBBY_SIT && a.result == static_cast<uint8_t>(LobbyResult::NoFreeChair)) {
          // Every chair is taken: try again in a while.
          auto self = shared_from_this();
          m_timer.expires_after(std::chrono::milliseconds(500));
          m_timer.async_wait([self](const std::error_code& ec) {
            if (!ec && !self->m_stopped) self->AskChair();
          });
          return;
        }
        if (a.result != 0) return Fault("request " + std::to_string(a.request) + " refused");
        return;
      }
      case LOBBY_PLACE: {
        tagLobbyPlace place;
        DecodeLobbyPlace(p.record, p.recordSize, place);
        if (place.lookon != 0) return Fault("placed as a watcher");
        m_chair = place.chair;
        m_view = CChairView(m_chair);
        m_selfSeen = false;
        m_tracking = false;
        m_awaiting = false;
        m_paceTimer.cancel();
        ++m_run.m_stats.entries;
        return;
      }
      default:
        return Fault("an unexpected lobby message");
    }
  }

  void OnFrame(const tagPacket& p) {
    switch (p.sub) {
      case SUB_SELF:
        if (p.self.chair != m_chair || p.self.lookon != 0) return Fault("another chair's entry");
        m_selfSeen = true;
        return;
      case SUB_SCENE: {
        if (!m_selfSeen) return Fault("a scene before the entry");
        if (!m_view.ApplyScene(p.sceneStatus, p.record, p.recordSize))
          return Fault("a scene that does not decode for its chair");
        m_tracking = false;  // the cards played before are not known
        if (p.sceneStatus == STATUS_FREE) Ready();
        CheckCards();
        return Act();
      }
      case SUB_CLOSED:
        return Fault("the table closed the link");
      default:
        return;  // users, attribute: shown by a real client
    }
  }

  void OnGame(const tagPacket& p) {
    if (!m_view.ApplyMessage(p.sub, p.record, p.recordSize))
      return Fault("message " + std::to_string(p.sub) + " does not decode for chair " +
                   std::to_string(m_chair));
    tagServerMessage m;
    DecodeServerMessage(p.sub, p.record, p.recordSize, m_chair, m);
    switch (p.sub) {
      case SRV_DEAL: {
        m_tracking = true;
        m_played = 0;
        Later(kDealStepMs * m_view.HandCount(),
              [](CLoadClient& c) { c.SendPacket(GamePacket(CLI_DEAL_DONE, nullptr, 0)); });
        break;
      }
      case SRV_PLAY:
        m_played = static_cast<uint8_t>(m_played + m.play.count);
        if (m.play.outChair == m_chair) Answered();
        break;
      case SRV_PASS:
        if (m.pass.passChair == m_chair) Answered();
        break;
      case SRV_PASS_NOTICE:
        if (m.passNotice.passChair == m_chair) Answered();
        break;
      case SRV_RESULT:
        ++m_run.m_stats.games;
        m_awaiting = false;
        m_tracking = false;
        Later(kStartShowsMs, [](CLoadClient& c) { c.Ready(); });
        break;
      default:
        break;
    }
    CheckCards();
    Act();
  }

  void Answered() {
    if (!m_awaiting) return;  // the table moved for the chair (its clock ran out)
    m_awaiting = false;
    ++m_run.m_stats.moves;
    m_run.m_stats.latencyUs.push_back(
        static_cast<uint32_t>(std::min<uint64_t>(MicrosSince(m_sentAt), UINT32_MAX)));
  }

  void Ready() { SendPacket(FramePacket(SUB_USER_READY)); }

  // What a person's client does after an animation or a wait: `ms` of the table's time later
  // (a newer wait, or a change of tables, cancels it).
  void Later(uint64_t ms, void (*what)(CLoadClient&)) {
    auto self = shared_from_this();
    m_paceTimer.expires_after(std::chrono::milliseconds(ms / m_run.m_config.serverClockSpeed));
    m_paceTimer.async_wait([self, what](const std::error_code& ec) {
      if (!ec && !self->m_stopped) what(*self);
    });
  }

  // What the chair sees must add up: its hand is its count, and while the game is followed
  // from its deal the hands, the pile and the cards played make the deck.
  void CheckCards() {
    const ViewPhase phase = m_view.Phase();
    if (phase != ViewPhase::Playing && phase != ViewPhase::Dealing) return;
    if (m_view.HandCount() != m_view.CardCount(m_chair)) return Fault("hand and count differ");
    bool seen[DECK_SIZE] = {};
    for (uint8_t i = 0; i < m_view.HandCount(); ++i) {
      const int at = CardDeckIndex(m_view.Hand()[i]);
      if (at < 0 || seen[at]) return Fault("a hand with a card twice or no card");
      seen[at] = true;
    }
    if (phase != ViewPhase::Playing || !m_tracking) return;
    unsigned total = m_view.Pile() + m_played;
    for (uint16_t c = 0; c < SEAT_COUNT; ++c) total += m_view.CardCount(c);
    if (total != DECK_SIZE) return Fault("the cards add up to " + std::to_string(total));
  }

  void Act() {
    if (m_stopped || m_awaiting || m_scheduled || !m_view.MyTurn() || !m_bot) return;
    // After a play nobody could answer, the table holds the lead for its pause.
    const uint64_t waitMs =
        m_view.NewTurnPause() ? NEW_TURN_PAUSE_MS / m_run.m_config.serverClockSpeed + 50 : 0;
    if (waitMs == 0) return Move();
    m_scheduled = true;
    auto self = shared_from_this();
    m_timer.expires_after(std::chrono::milliseconds(waitMs));
    m_timer.async_wait([self](const std::error_code& ec) {
      self->m_scheduled = false;
      if (!ec) self->Act2();
    });
  }

  void Act2() {
    if (m_stopped || m_awaiting || !m_view.MyTurn()) return;
    Move();
  }

  void Move() {
    const tagBotAction action = m_bot->Decide(m_view);
    m_awaiting = true;
    m_sentAt = Clock::now();
    if (action.pass) return SendPacket(GamePacket(CLI_PASS, nullptr, 0));
    tagCliPlay play{};
    play.count = action.count;
    std::memcpy(play.cards, action.cards, action.count);
    uint8_t record[sizeof(tagCliPlay)];
    const size_t n = EncodeCliPlay(play, record, sizeof(record));
    SendPacket(GamePacket(CLI_PLAY, record, n));
  }

  CLoadRun& m_run;
  uint32_t m_index;
  asio::ip::tcp::resolver::results_type m_where;
  asio::steady_timer m_timer;
  asio::steady_timer m_paceTimer;  // the deal's report, the next ready
  std::unique_ptr<CBot> m_bot;
  std::unique_ptr<CNetStream> m_stream;
  std::string m_name;
  uint8_t m_in[2 * PACKET_MAX_SIZE];
  size_t m_used = 0;
  std::vector<uint8_t> m_pending;
  std::vector<uint8_t> m_sending;
  uint64_t m_sent = 0;  // packets
  bool m_writing = false;
  bool m_stopped = false;
  uint16_t m_chair = LOBBY_ANY;
  CChairView m_view;
  bool m_selfSeen = false;
  bool m_tracking = false;
  uint8_t m_played = 0;
  bool m_awaiting = false;
  bool m_scheduled = false;
  Clock::time_point m_sentAt;
};

CLoadRun::CLoadRun(asio::io_context& io, const tagLoadConfig& config) : m_io(io), m_config(config) {
  if (m_config.serverClockSpeed == 0) m_config.serverClockSpeed = 1;
}

CLoadRun::~CLoadRun() { Stop(); }

bool CLoadRun::Start(std::string& error) {
  if (m_config.tls) {
    m_tls = std::make_unique<asio::ssl::context>(asio::ssl::context::tls_client);
    if (!MakeClientTlsContext(*m_tls, m_config.caFile, error)) return false;
  }
  asio::ip::tcp::resolver resolver(m_io);
  std::error_code ec;
  const auto where = resolver.resolve(m_config.host, std::to_string(m_config.port), ec);
  if (ec) {
    error = m_config.host + ": " + ec.message();
    return false;
  }
  for (uint32_t i = 0; i < m_config.clients; ++i) {
    m_clients.push_back(std::make_shared<CLoadClient>(*this, i, where));
    m_clients.back()->Start();
  }
  return true;
}

void CLoadRun::Stop() {
  if (m_stopped) return;
  m_stopped = true;
  for (auto& client : m_clients) client->Stop();
}

void LatencyFigures(std::vector<uint32_t> latencyUs, double& medianMs, double& p99Ms) {
  medianMs = p99Ms = 0;
  if (latencyUs.empty()) return;
  std::sort(latencyUs.begin(), latencyUs.end());
  const size_t n = latencyUs.size();
  medianMs = latencyUs[n / 2] / 1000.0;
  p99Ms = latencyUs[std::min(n - 1, (n * 99) / 100)] / 1000.0;
}
