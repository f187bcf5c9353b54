// The client's network link (CNetLink) fed by a server of any bytes: packets of any bytes, lobby
// packets with any records, well-formed login answers and places in any order, drops of the
// connection, time passing, and the frame sending meanwhile.
//
// What it promises: every connection starts with a login that decodes, carrying the token of
// the last login the server accepted (none before one); a new connection comes at least the
// first wait (less its jitter) after the one before, and none once the link has ended; while
// it waits to connect again it asks the loop to wake within the longest wait; the frame hears
// nothing of the lobby, is told at most once that the link closed (only when no table was
// ever reached) and hears nothing after; the frame's sends go
// through only while the link is at a table.
//
// Input: a list of operations, each an operation byte and its arguments (see the switch).
#include <cstring>
#include <deque>
#include <memory>
#include <vector>

#include "fuzz_util.h"
#include "link/LobbyMessages.h"
#include "link/NetLink.h"
#include "platform/win/WinTime.h"

namespace {

// What the fuzzer knows of a connection; it outlives the transport, which the link owns.
struct tagWire {
  bool alive = true;
  std::vector<uint8_t> first;  // the first packet the link sent
  uint64_t madeAt = 0;
  bool haveToken = false;  // the token its login must carry: the last one accepted before it
  uint8_t token[LOBBY_TOKEN_SIZE] = {};
};

class CMemoryTransport final : public IClientTransport {
 public:
  explicit CMemoryTransport(std::shared_ptr<tagWire> wire) : m_wire(std::move(wire)) {}
  ~CMemoryTransport() override { m_wire->alive = false; }
  bool Send(const uint8_t* data, size_t size) override {
    if (!m_connected) return false;
    if (m_wire->first.empty()) m_wire->first.assign(data, data + size);
    return true;
  }
  void Service(uint64_t) override {}
  bool Receive(std::vector<uint8_t>& out) override {
    if (arriving.empty()) return false;
    out = std::move(arriving.front());
    arriving.pop_front();
    return true;
  }
  uint64_t NextArrival(uint64_t now) override { return arriving.empty() ? LINK_NEVER : now; }
  bool Connected() const override { return m_connected; }
  void Disconnect(uint64_t) override { m_connected = false; }
  void Drop() { m_connected = false; }

  std::deque<std::vector<uint8_t>> arriving;

 private:
  std::shared_ptr<tagWire> m_wire;
  bool m_connected = true;
};

class CFrame final : public ILinkSink {
 public:
  void OnLinkSelf(WORD, bool, bool) override { Event(); }
  void OnLinkServerAttribute(const tagServerAttribute&) override { Event(); }
  void OnLinkUserEnter(const tagUserData&, WORD chair, bool) override { Chair(chair); }
  void OnLinkUserLeave(WORD chair, bool) override { Chair(chair); }
  void OnLinkUserScore(const tagUserData&, WORD chair, bool) override { Chair(chair); }
  void OnLinkUserStatus(const tagUserData&, WORD chair, bool) override { Chair(chair); }
  void OnLinkScene(BYTE, bool, const void*, WORD size) override {
    FUZZ_CHECK(size <= PACKET_MAX_RECORD, "a scene of %u bytes", size);
    Event();
  }
  void OnLinkGameMessage(WORD, const void*, WORD size) override {
    FUZZ_CHECK(size <= PACKET_MAX_RECORD, "a message of %u bytes", size);
    Event();
  }
  void OnLinkClosed() override {
    FUZZ_CHECK(!closed, "the frame was told twice that the link closed");
    closed = true;
  }
  bool closed = false;

 private:
  void Event() const { FUZZ_CHECK(!closed, "an event after the link closed"); }
  void Chair(WORD chair) const {
    Event();
    FUZZ_CHECK(chair < SEAT_COUNT, "a user at chair %u", chair);
  }
};

std::vector<uint8_t> LobbyPacket(uint16_t sub, const uint8_t* record, size_t size) {
  uint8_t out[PACKET_MAX_SIZE];
  const size_t n =
      EncodeLobbyPacket(sub, record, size, PacketDirection::ToClient, out, sizeof(out));
  return std::vector<uint8_t>(out, out + n);
}

struct tagConnection {
  std::shared_ptr<tagWire> wire;
  CMemoryTransport* transport;  // while wire->alive
  bool checked = false;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::ByteReader in(data, size);
  CScopedManualClock clock(10000);
  tagNetLinkConfig config;
  config.name = "fuzz";
  config.address.host = "127.0.0.1";
  config.address.port = 1;
  config.seed = in.Byte();
  CNetLink link(config);
  std::vector<tagConnection> connections;
  bool haveToken = false;  // the link holds the token of a login it accepted
  uint8_t token[LOBBY_TOKEN_SIZE] = {};
  link.SetTransportMaker([&](uint64_t now) {
    FUZZ_CHECK(link.State() != NetLinkState::Ended, "a connection after the link ended");
    if (!connections.empty()) {
      const uint64_t gap = now - connections.back().wire->madeAt;
      FUZZ_CHECK(gap >= config.retryFirstMs * 3 / 4, "a connection %llu ms after the last",
                 static_cast<unsigned long long>(gap));
    }
    auto wire = std::make_shared<tagWire>();
    wire->madeAt = now;
    wire->haveToken = haveToken;
    std::memcpy(wire->token, token, LOBBY_TOKEN_SIZE);
    auto transport = std::make_unique<CMemoryTransport>(wire);
    connections.push_back({wire, transport.get()});
    return transport;
  });
  std::string error;
  FUZZ_CHECK(link.Start(error), "a plain link did not start: %s", error.c_str());
  CFrame frame;

  // Each connection's first packet is the login, with the token of the last login accepted.
  const auto checkLogins = [&] {
    for (tagConnection& c : connections) {
      if (c.checked || c.wire->first.empty()) continue;
      c.checked = true;
      tagPacket p;
      const std::vector<uint8_t>& first = c.wire->first;
      FUZZ_CHECK(DecodePacket(first.data(), first.size(), PacketDirection::ToTable, p) &&
                     p.main == MAIN_LOBBY && p.sub == LOBBY_LOGIN,
                 "a connection that does not start with a login");
      tagLobbyLogin login;
      FUZZ_CHECK(DecodeLobbyLogin(p.record, p.recordSize, login), "a login that does not decode");
      FUZZ_CHECK(login.hasToken == (c.wire->haveToken ? 1 : 0) &&
                     (!c.wire->haveToken ||
                      std::memcmp(login.token, c.wire->token, LOBBY_TOKEN_SIZE) == 0),
                 "a login without the token of the last one");
    }
  };

  while (!in.Empty()) {
    CMemoryTransport* now = connections.empty() || !connections.back().wire->alive
                                ? nullptr
                                : connections.back().transport;
    const uint8_t op = in.Byte();
    switch (op % 8) {
      case 0: {  // packet bytes of any kind
        size_t got = 0;
        const uint8_t* bytes = in.Take(in.U16() % (PACKET_MAX_SIZE + 8), got);
        if (now) now->arriving.emplace_back(bytes, bytes + got);
        break;
      }
      case 1: {  // a lobby packet of the server's with any record
        static constexpr uint16_t kSubs[] = {LOBBY_LOGIN_ANSWER, LOBBY_TABLES, LOBBY_ANSWER,
                                             LOBBY_PLACE, LOBBY_LOGIN};
        const uint16_t sub = kSubs[in.Byte() % std::size(kSubs)];
        size_t got = 0;
        const uint8_t* bytes = in.Take(in.Byte(), got);
        std::vector<uint8_t> packet(PACKET_HEADER_SIZE + got);
        const size_t total = packet.size();
        packet[0] = static_cast<uint8_t>(total);
        packet[1] = static_cast<uint8_t>(total >> 8);
        packet[2] = MAIN_LOBBY;
        packet[4] = static_cast<uint8_t>(sub);
        packet[5] = static_cast<uint8_t>(sub >> 8);
        if (got > 0) std::memcpy(packet.data() + PACKET_HEADER_SIZE, bytes, got);
        if (now) now->arriving.push_back(packet);
        break;
      }
      case 2: {  // a login answer that decodes: accepted (maybe back in a game) or refused
        tagLobbyLoginAnswer a{};
        a.result = static_cast<uint8_t>(in.Byte() % (LOBBY_RESULT_MAX + 1));
        a.table = LOBBY_ANY;
        if (a.result == 0) {
          a.returned = in.Byte() & 1;
          if (a.returned) a.table = in.Byte() % 4;
          a.userId = 1 + in.Byte();
          size_t got = 0;
          const uint8_t* bytes = in.Take(LOBBY_TOKEN_SIZE, got);
          std::memcpy(a.token, bytes, got);
        }
        uint8_t record[LOBBY_LOGIN_ANSWER_SIZE];
        const size_t n = EncodeLobbyLoginAnswer(a, record, sizeof(record));
        if (now && n > 0) now->arriving.push_back(LobbyPacket(LOBBY_LOGIN_ANSWER, record, n));
        break;
      }
      case 3: {  // a place or an answer that decodes
        uint8_t record[LOBBY_PLACE_SIZE];
        if (in.Byte() & 1) {
          const tagLobbyAnswer a{static_cast<uint16_t>(in.Byte() % 7),
                                 static_cast<uint8_t>(in.Byte() % (LOBBY_RESULT_MAX + 1))};
          const size_t n = EncodeLobbyAnswer(a, record, sizeof(record));
          if (now && n > 0) now->arriving.push_back(LobbyPacket(LOBBY_ANSWER, record, n));
        } else {
          const uint8_t pick = in.Byte();
          const tagLobbyPlace place = pick % 5 == 4
                                          ? tagLobbyPlace{LOBBY_ANY, LOBBY_ANY, 0}
                                          : tagLobbyPlace{static_cast<uint16_t>(pick % 5),
                                                          static_cast<uint16_t>(pick / 5 % 3),
                                                          static_cast<uint8_t>(pick / 15 % 2)};
          const size_t n = EncodeLobbyPlace(place, record, sizeof(record));
          if (now && n > 0) now->arriving.push_back(LobbyPacket(LOBBY_PLACE, record, n));
        }
        break;
      }
      case 4: {  // the frame polls
        // What the link will have taken by the end of this poll: the accepted logins' tokens.
        if (now) {
          for (const std::vector<uint8_t>& bytes : now->arriving) {
            tagPacket p;
            if (!DecodePacket(bytes.data(), bytes.size(), PacketDirection::ToClient, p)) break;
            if (p.main == MAIN_FRAME && p.sub == SUB_CLOSED) break;
            tagLobbyLoginAnswer a;
            if (p.main == MAIN_LOBBY && p.sub == LOBBY_LOGIN_ANSWER &&
                DecodeLobbyLoginAnswer(p.record, p.recordSize, a)) {
              if (a.result == 0) {
                haveToken = true;
                std::memcpy(token, a.token, LOBBY_TOKEN_SIZE);
              } else if (!haveToken || a.result != static_cast<uint8_t>(LobbyResult::NameTaken)) {
                break;  // the link ends: it takes nothing more
              }
            }
          }
        }
        const bool ended = link.State() == NetLinkState::Ended;
        link.Poll(frame);
        if (frame.closed) FUZZ_CHECK(!link.WasSeated(), "the frame closed after a table");
        if (ended) FUZZ_CHECK(link.State() == NetLinkState::Ended, "an ended link came back");
        if (link.State() == NetLinkState::Away) {
          FUZZ_CHECK(link.NextEventMs() <= GetTickCount64() + config.retryMaxMs * 5 / 4 + 1,
                     "a link that waits to connect does not ask to be woken");
        }
        checkLogins();
        break;
      }
      case 5:  // time passes: up to about a minute
        clock.Advance(static_cast<uint64_t>(in.U16()));
        break;
      case 6:  // the connection drops
        if (now) now->Drop();
        break;
      case 7: {  // the frame sends
        const uint8_t kind = in.Byte() % 3;
        bool sent = false;
        if (kind == 0) {
          sent = link.SendGameData(CLI_PASS, nullptr, 0);
        } else if (kind == 1) {
          sent = link.SendUserReady(nullptr, 0);
        } else {
          sent = link.SendChangeTable(in.U16());
        }
        if (sent) FUZZ_CHECK(link.State() == NetLinkState::AtTable, "a send away from a table");
        break;
      }
    }
  }
  return 0;
}
