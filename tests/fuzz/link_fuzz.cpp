// Both ends of the link fed packets of any bytes, in any order, with time passing between them.
//
// The client end (CLinkClient over a transport that hands it the fuzzer's packets): every
// packet that decodes becomes one link event, in order, with the packet's own record; the first
// packet that does not decode (or the table's "closed") closes the link: the transport is
// dropped, the frame is told exactly once and hears nothing more; a closed link sends nothing.
// What it sends decodes at the table as what was sent.
//
// The table end (CTableEnd over a table host with two bots): a packet it refuses is one that
// does not decode or that the table calls malformed; every packet it sends decodes at the
// client; and the table stays whole (its audit sees every message it sends) whatever the
// player's client sends, whenever it comes and goes.
#include <cstring>
#include <deque>
#include <memory>
#include <vector>

#include "fuzz_util.h"
#include "link/ClientEnd.h"
#include "link/TableEnd.h"
#include "platform/win/WinTime.h"
#include "server/TableAudit.h"

namespace {

// ---- the client end

class CFuzzTransport final : public IClientTransport {
 public:
  bool Send(const uint8_t* data, size_t size) override {
    if (!m_connected) return false;
    sent.emplace_back(data, data + size);
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
  void Disconnect(uint64_t) override {
    m_connected = false;
    ++disconnects;
  }
  void Drop() { m_connected = false; }

  std::deque<std::vector<uint8_t>> arriving;
  std::vector<std::vector<uint8_t>> sent;
  int disconnects = 0;

 private:
  bool m_connected = true;
};

// One link event as the frame heard it.
struct tagEvent {
  uint16_t main, sub;
  std::vector<uint8_t> record;  // the game message's or the scene's
};

class CRecordingSink final : public ILinkSink {
 public:
  void OnLinkSelf(WORD chair, bool, bool) override {
    FUZZ_CHECK(chair < SEAT_COUNT || chair == INVALID_CHAIR, "own chair %u", chair);
    Add(SUB_SELF);
  }
  void OnLinkServerAttribute(const tagServerAttribute& a) override {
    FUZZ_CHECK(a.wChairCount == SEAT_COUNT, "a server of %u chairs", a.wChairCount);
    Add(SUB_SERVER_ATTRIBUTE);
  }
  void OnLinkUserEnter(const tagUserData& u, WORD chair, bool) override {
    User(u, chair);
    Add(SUB_USER_ENTER);
  }
  void OnLinkUserLeave(WORD chair, bool) override {
    FUZZ_CHECK(chair < SEAT_COUNT, "a user left chair %u", chair);
    Add(SUB_USER_LEAVE);
  }
  void OnLinkUserScore(const tagUserData& u, WORD chair, bool) override {
    User(u, chair);
    Add(SUB_USER_SCORE);
  }
  void OnLinkUserStatus(const tagUserData& u, WORD chair, bool) override {
    User(u, chair);
    Add(SUB_USER_STATUS);
  }
  void OnLinkScene(BYTE, bool, const void* data, WORD size) override { Add(SUB_SCENE, data, size); }
  void OnLinkGameMessage(WORD id, const void* data, WORD size) override {
    Add(id, data, size, MAIN_GAME);
  }
  void OnLinkClosed() override {
    FUZZ_CHECK(!closed, "the frame was told twice that the link closed");
    closed = true;
  }

  std::vector<tagEvent> events;
  bool closed = false;

 private:
  void Add(uint16_t sub, const void* data = nullptr, WORD size = 0, uint16_t main = MAIN_FRAME) {
    FUZZ_CHECK(!closed, "an event after the link closed");
    FUZZ_CHECK(size <= PACKET_MAX_RECORD && (size == 0 || data != nullptr),
               "a record of %u bytes at %p", size, data);
    const auto* bytes = static_cast<const uint8_t*>(data);
    events.push_back({main, sub, std::vector<uint8_t>(bytes, bytes + size)});
  }
  static void User(const tagUserData& u, WORD chair) {
    FUZZ_CHECK(chair < SEAT_COUNT && u.wChairID == chair, "a user at chair %u (record %u)", chair,
               u.wChairID);
    const size_t length = strnlen(u.szName, USER_NAME_SIZE);
    FUZZ_CHECK(length < USER_NAME_SIZE, "a user name without its end");
    FUZZ_CHECK(IsValidUtf8(u.szName, length), "a user name that is not UTF-8");
  }
};

void ClientEnd(fuzz::ByteReader& in) {
  CScopedManualClock clock(5000);
  CFuzzTransport transport;
  CLinkClient client(transport);
  CRecordingSink sink;
  // What the frame must hear at the next poll, packet by packet.
  std::vector<tagEvent> expected;
  bool mustClose = false;
  uint32_t refused = 0;
  while (!in.Empty()) {
    const uint8_t op = in.Byte();
    switch (op % fuzz::kLinkClientOps) {
      case fuzz::kLinkArrive: {  // a packet arrives: its length (up to a little past the largest),
                                 // its bytes
        size_t got = 0;
        const uint8_t* bytes = in.Take(in.U16() % (PACKET_MAX_SIZE + 8), got);
        transport.arriving.emplace_back(bytes, bytes + got);
        if (mustClose || sink.closed) break;
        tagPacket p;
        if (!DecodePacket(bytes, got, PacketDirection::ToClient, p)) {
          mustClose = true;
          ++refused;
        } else if (p.main == MAIN_FRAME && p.sub == SUB_CLOSED) {
          mustClose = true;
        } else if (p.main == MAIN_LOBBY) {
          // No link event: the lobby's messages are the network client's own.
        } else {
          expected.push_back(
              {p.main, p.sub, std::vector<uint8_t>(p.record, p.record + p.recordSize)});
        }
        break;
      }
      case fuzz::kLinkPoll: {  // the frame polls
        const bool wasClosed = sink.closed;
        const size_t before = sink.events.size();
        client.Poll(sink);
        if (wasClosed) {
          FUZZ_CHECK(sink.events.size() == before, "a closed link delivered");
          break;
        }
        const std::vector<tagEvent> got(sink.events.begin() + static_cast<long>(before),
                                        sink.events.end());
        FUZZ_CHECK(got.size() == expected.size(), "%zu events for %zu packets", got.size(),
                   expected.size());
        for (size_t i = 0; i < got.size(); ++i) {
          FUZZ_CHECK(got[i].main == expected[i].main && got[i].sub == expected[i].sub &&
                         got[i].record == expected[i].record,
                     "event %zu is not its packet", i);
        }
        expected.clear();
        const bool dropped = !transport.Connected();
        FUZZ_CHECK(sink.closed == (mustClose || dropped), "closed %d, expected %d", sink.closed,
                   mustClose || dropped);
        if (sink.closed) {
          FUZZ_CHECK(!client.IsOpen() && transport.disconnects <= 1, "a closed link still open");
        }
        FUZZ_CHECK(client.Refused() == refused, "%u refused, expected %u", client.Refused(),
                   refused);
        clock.Advance(in.Byte());
        break;
      }
      case fuzz::kLinkSend: {  // the frame sends; a closed link sends nothing
        const size_t before = transport.sent.size();
        const uint8_t kind = in.Byte() % 3;
        bool ok = false;
        tagPacket want;
        uint8_t record[256];
        size_t got = 0;
        if (kind == 0) {
          const WORD id = fuzz::kClientIds[in.Byte() % std::size(fuzz::kClientIds)];
          const uint8_t* bytes = in.Take(in.Byte(), got);
          std::memcpy(record, bytes, got);
          ok = client.SendGameData(id, record, static_cast<WORD>(got));
          want = GamePacket(id, record, got);
        } else if (kind == 1) {
          const uint8_t* bytes = in.Take(in.Byte() % 16, got);
          std::memcpy(record, bytes, got);
          ok = client.SendUserReady(record, static_cast<WORD>(got));
          want = FramePacket(SUB_USER_READY, record, got);
        } else {
          const WORD table = in.U16();
          ok = client.SendChangeTable(table);
          want = ChangeTablePacket(table);
        }
        FUZZ_CHECK(ok == (transport.sent.size() == before + 1), "a send said %d", ok);
        if (!client.IsOpen()) FUZZ_CHECK(!ok, "a closed link sent");
        if (ok) {
          const std::vector<uint8_t>& wire = transport.sent.back();
          tagPacket p;
          FUZZ_CHECK(DecodePacket(wire.data(), wire.size(), PacketDirection::ToTable, p),
                     "the table cannot read what the client sent");
          FUZZ_CHECK(
              p.main == want.main && p.sub == want.sub && p.table == want.table &&
                  p.recordSize == want.recordSize &&
                  (p.recordSize == 0 || std::memcmp(p.record, want.record, p.recordSize) == 0),
              "the table reads another packet than was sent");
        }
        break;
      }
      default:  // the transport goes down: the next poll closes the link
        transport.Drop();
        break;
    }
  }
}

// ---- the table end

class CCollect final : public IPacketSink {
 public:
  void SendPacket(const uint8_t* data, size_t size) override {
    tagPacket p;
    FUZZ_CHECK(DecodePacket(data, size, PacketDirection::ToClient, p),
               "the table end sent a packet the client refuses (%zu bytes)", size);
    FUZZ_CHECK(!(p.main == MAIN_FRAME && p.sub == SUB_CLOSED), "the table end closed the link");
    ++packets;
  }
  uint64_t packets = 0;
};

class CAuditWatch final : public ITableObserver {
 public:
  explicit CAuditWatch(const CTable& table) : m_audit(table) {}
  void OnDelivered(uint16_t chair, uint16_t id, const uint8_t* data, size_t size) override {
    m_audit.OnMessage(chair, id, data, size);
    FUZZ_CHECK(m_audit.Violations() == 0, "the table broke: %s", m_audit.FirstViolation().c_str());
  }
  void Check() {
    m_audit.CheckCards();
    FUZZ_CHECK(m_audit.Violations() == 0, "the table broke: %s", m_audit.FirstViolation().c_str());
  }

 private:
  CTableAudit m_audit;
};

void TableEnd(uint8_t mode, fuzz::ByteReader& in) {
  tagHostConfig config;
  config.table.seed = in.U16();
  config.botDelayMinMs = 300;
  config.botDelayMaxMs = 1500;
  CTableHost host(config);
  const uint16_t me = static_cast<uint16_t>((mode >> 1) % SEAT_COUNT);
  for (uint16_t c = 0; c < SEAT_COUNT; ++c) {
    if (c != me) FUZZ_CHECK(host.SeatBot(c, "easy"), "no bot for chair %u", c);
  }
  CAuditWatch watch(host.Table());
  host.SetObserver(&watch);
  const tagLobbyUser users[SEAT_COUNT] = {
      {"Alice", 2, 1, 10000}, {"\xe7\x8e\xa9\xe5\xae\xb6", 1, 2, 0}, {"Chen", 1, 3, 10000}};
  CCollect out;
  CTableEnd end(host, me, users, out);
  uint64_t now = 1000;
  end.Connect(now);

  auto receive = [&](const uint8_t* bytes, size_t size) {
    tagPacket p;
    const bool decodes = DecodePacket(bytes, size, PacketDirection::ToTable, p);
    const bool accepted = end.Receive(bytes, size, now);
    FUZZ_CHECK(decodes || !accepted, "the table end took a packet that does not decode");
    // A packet that decodes is refused only as a game record the table calls malformed.
    // A lobby message is refused too: the embedded lobby speaks none.
    FUZZ_CHECK(accepted || !decodes || p.main == MAIN_GAME || p.main == MAIN_LOBBY,
               "a frame packet refused");
  };
  uint8_t wire[PACKET_MAX_SIZE];
  while (!in.Empty()) {
    const uint8_t op = in.Byte();
    switch (op % fuzz::kLinkTableOps) {
      case fuzz::kLinkPacket: {  // a packet of any bytes
        size_t got = 0;
        const uint8_t* bytes = in.Take(in.U16() % (PACKET_MAX_SIZE + 8), got);
        receive(bytes, got);
        break;
      }
      case fuzz::kLinkGame: {  // a game record of any bytes, in a packet that frames it well
        const uint8_t pick = in.Byte();
        const uint16_t id =
            pick < fuzz::kPickKnown
                ? fuzz::kClientIds[pick % std::size(fuzz::kClientIds)]
                : static_cast<uint16_t>(pick - fuzz::kPickKnown + fuzz::kClientRawBase);
        size_t got = 0;
        const uint8_t* bytes = in.Take(in.Byte(), got);
        const size_t n =
            EncodePacket(GamePacket(id, bytes, got), PacketDirection::ToTable, wire, sizeof(wire));
        if (n > 0) receive(wire, n);
        break;
      }
      case fuzz::kLinkFrame: {  // a frame command: ready, change table, rejoin
        const uint8_t kind = op >> 4;
        const tagPacket p = kind % 3 == 0   ? FramePacket(SUB_USER_READY)
                            : kind % 3 == 1 ? ChangeTablePacket(kind)
                                            : FramePacket(SUB_REJOIN);
        const size_t n = EncodePacket(p, PacketDirection::ToTable, wire, sizeof(wire));
        if (n > 0) receive(wire, n);
        break;
      }
      case fuzz::kLinkTime: {  // time passes (operand 0: to the table's next event), the bots and
                               // clocks act
        if ((op >> 4) == 0) {
          const uint64_t next = end.NextEvent();
          if (next != LINK_NEVER && next > now) now = next;
        } else {
          now += in.U16();
        }
        end.Advance(now);
        break;
      }
      default:  // the player's client goes, or comes back
        if (end.Connected()) {
          end.Disconnect(now);
        } else {
          end.Connect(now);
        }
        break;
    }
    watch.Check();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::ByteReader in(data, size);
  const uint8_t mode = in.Byte();
  if (mode & 1) {
    TableEnd(mode, in);
  } else {
    ClientEnd(in);
  }
  return 0;
}
