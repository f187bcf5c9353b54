// The network lobby fed by four connections at once with packets of any bytes, well framed
// lobby and table requests with any operands, drops and returns, and time.
//
// What it promises: every packet it sends decodes at the client; a table's record reaches a
// connection only when it sits or watches there, and decodes for the chair it was placed at
// (no other chair's hand); a login well formed as a connection's first packet is answered and
// never drops it; the tables stay whole (every card once) while a game runs; and once every
// connection is gone and the games played out, no user and no connection is left.
#include <cstring>
#include <string>
#include <vector>

#include "fuzz_util.h"
#include "server/lobby/Lobby.h"

namespace {

const char* const kNames[] = {"ana", "bob", "\xe7\x8e\xa9\xe5\xae\xb6", "Bot-0.1", "dee"};

class CFuzzPeer final : public ILobbyPeer {
 public:
  void SendPacket(const uint8_t* data, size_t size) override {
    tagPacket p;
    FUZZ_CHECK(DecodePacket(data, size, PacketDirection::ToClient, p),
               "the lobby sent a packet the client refuses (%zu bytes)", size);
    if (p.main == MAIN_LOBBY && p.sub == LOBBY_PLACE) {
      tagLobbyPlace place{};
      DecodeLobbyPlace(p.record, p.recordSize, place);
      chair = place.chair;
      lookon = place.lookon != 0;
    } else if (p.main == MAIN_LOBBY && p.sub == LOBBY_LOGIN_ANSWER) {
      tagLobbyLoginAnswer answer{};
      DecodeLobbyLoginAnswer(p.record, p.recordSize, answer);
      answered = true;
      if (answer.result == 0) std::memcpy(token, answer.token, LOBBY_TOKEN_SIZE);
    } else if (p.main == MAIN_FRAME && p.sub == SUB_SELF) {
      FUZZ_CHECK(chair != LOBBY_ANY && p.self.chair == chair && (p.self.lookon != 0) == lookon,
                 "entry of chair %u for a connection placed at %u", p.self.chair, chair);
    } else if (p.main == MAIN_GAME) {
      FUZZ_CHECK(chair < SEAT_COUNT, "a game record away from a table");
      tagServerMessage m;
      FUZZ_CHECK(DecodeServerMessage(p.sub, p.record, p.recordSize, chair, m),
                 "record %u does not decode for chair %u", p.sub, chair);
    } else if (p.main == MAIN_FRAME && p.sub == SUB_SCENE) {
      tagScene scene;
      FUZZ_CHECK(
          chair < SEAT_COUNT && DecodeScene(p.sceneStatus, p.record, p.recordSize, chair, scene),
          "a scene that does not decode for chair %u", chair);
    }
  }
  void Reset() {
    chair = LOBBY_ANY;
    lookon = false;
    answered = false;
  }
  uint16_t chair = LOBBY_ANY;
  bool lookon = false;
  bool answered = false;
  uint8_t token[LOBBY_TOKEN_SIZE] = {};
};

struct tagPeer {
  CFuzzPeer peer;
  uint64_t id = 0;
  bool fresh = true;  // nothing sent yet
};

size_t Frame(uint16_t sub, const uint8_t* record, size_t size, uint8_t* wire) {
  return EncodeLobbyPacket(sub, record, size, PacketDirection::ToTable, wire, PACKET_MAX_SIZE);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::ByteReader in(data, size);
  tagLobbyConfig config;
  config.tables = 2;
  config.botsAfterMs = 2000;
  config.botLevel = "easy";
  config.botDelayMinMs = 300;
  config.botDelayMaxMs = 900;
  config.maxUsers = 6;
  config.maxRefusals = 8;
  config.seed = 1 + in.Byte();
  CLobby lobby(config, [](std::string_view line) {
    FUZZ_CHECK(line.find('\n') == std::string_view::npos, "a log line of two lines");
  });
  uint64_t now = 1000;
  tagPeer peers[fuzz::kLobbyPeers];
  uint8_t lastTokens[std::size(kNames)][LOBBY_TOKEN_SIZE] = {};
  for (tagPeer& p : peers) p.id = lobby.Open(p.peer, now);

  auto reopen = [&](tagPeer& p) {
    lobby.Close(p.id, now);
    p.peer.Reset();
    p.fresh = true;
    p.id = lobby.Open(p.peer, now);
  };
  auto send = [&](tagPeer& p, const uint8_t* bytes, size_t n, bool mustKeep) {
    const bool wasFresh = p.fresh;
    p.fresh = false;
    const bool kept = lobby.Receive(p.id, bytes, n, now);
    FUZZ_CHECK(kept || !(mustKeep && wasFresh), "a first well-formed login dropped");
    if (!kept) reopen(p);
  };
  auto checkTables = [&] {
    for (uint16_t t = 0; t < lobby.TableCount(); ++t) {
      const CTable& table = lobby.TableAt(t);
      FUZZ_CHECK(table.Phase() == TablePhase::Free || table.HoldsEveryCardOnce(),
                 "table %u lost a card", t);
    }
    FUZZ_CHECK(lobby.UserCount() <= config.maxUsers, "%zu users", lobby.UserCount());
    FUZZ_CHECK(lobby.QueueHoldsEveryTable(), "a table's next event is not in the queue");
  };

  uint8_t wire[PACKET_MAX_SIZE];
  uint8_t record[PACKET_MAX_RECORD];
  while (!in.Empty()) {
    const uint8_t op = in.Byte();
    tagPeer& p = peers[(op >> 4) % fuzz::kLobbyPeers];
    switch (op % fuzz::kLobbyOps) {
      case fuzz::kLobbyRaw: {
        size_t got = 0;
        const uint8_t* bytes = in.Take(in.U16() % (PACKET_MAX_SIZE + 8), got);
        send(p, bytes, got, false);
        break;
      }
      case fuzz::kLobbyLogin: {
        const uint8_t pick = in.Byte() % (std::size(kNames) + 1);
        const uint8_t flags = in.Byte();
        tagLobbyLogin login{};
        login.version = LOBBY_VERSION;
        login.gender = 1 + (flags >> 3) % 2;
        login.faceId = (flags >> 4) % (LOBBY_FACE_MAX + 1);
        login.allowWatchers = flags & 1;
        if (pick < std::size(kNames)) {
          SetLobbyName(login.name, kNames[pick]);
          if (flags & 6) {
            login.hasToken = 1;
            std::memcpy(login.token, lastTokens[pick], LOBBY_TOKEN_SIZE);
            if (flags & 4) login.token[0] ^= 1;
          }
        } else {
          size_t got = 0;
          const uint8_t* bytes = in.Take(in.Byte() % LINK_NAME_SIZE, got);
          std::memcpy(login.name, bytes, got);
        }
        const size_t n = EncodeLobbyLogin(login, record, sizeof(record));
        if (n == 0) break;  // a name no login may carry
        p.peer.answered = false;
        send(p, wire, Frame(LOBBY_LOGIN, record, n, wire), true);
        if (pick < std::size(kNames) && p.peer.answered)
          std::memcpy(lastTokens[pick], p.peer.token, LOBBY_TOKEN_SIZE);
        break;
      }
      case fuzz::kLobbySit:
      case fuzz::kLobbyWatch: {
        const uint16_t sub = op % fuzz::kLobbyOps == fuzz::kLobbySit ? LOBBY_SIT : LOBBY_WATCH;
        const uint8_t table = in.Byte(), chair = in.Byte();
        const tagLobbySeatAsk ask{table == 0xFF ? LOBBY_ANY : uint16_t(table % 4),
                                  chair == 0xFF ? LOBBY_ANY : uint16_t(chair % SEAT_COUNT)};
        const size_t n = EncodeLobbySeatAsk(sub, ask, record, sizeof(record));
        if (n > 0) send(p, wire, Frame(sub, record, n, wire), false);
        break;
      }
      case fuzz::kLobbyLeave:
        send(p, wire, Frame(LOBBY_LEAVE, nullptr, 0, wire), false);
        break;
      case fuzz::kLobbyOptions: {
        const size_t n = EncodeLobbyOptions(in.Byte() & 1, record, sizeof(record));
        send(p, wire, Frame(LOBBY_OPTIONS, record, n, wire), false);
        break;
      }
      case fuzz::kLobbyList: {
        const size_t n = EncodeLobbyList(in.U16() % 8, record, sizeof(record));
        send(p, wire, Frame(LOBBY_LIST, record, n, wire), false);
        break;
      }
      case fuzz::kLobbyGame: {
        const uint8_t pick = in.Byte();
        const uint16_t id =
            pick < fuzz::kPickKnown
                ? fuzz::kClientIds[pick % std::size(fuzz::kClientIds)]
                : static_cast<uint16_t>(pick - fuzz::kPickKnown + fuzz::kClientRawBase);
        size_t got = 0;
        const uint8_t* bytes = in.Take(in.Byte(), got);
        const size_t n =
            EncodePacket(GamePacket(id, bytes, got), PacketDirection::ToTable, wire, sizeof(wire));
        if (n > 0) send(p, wire, n, false);
        break;
      }
      case fuzz::kLobbyFrame: {
        const uint8_t kind = in.Byte() % 3;
        const tagPacket packet = kind == 0   ? FramePacket(SUB_USER_READY)
                                 : kind == 1 ? ChangeTablePacket(kind)
                                             : FramePacket(SUB_REJOIN);
        const size_t n = EncodePacket(packet, PacketDirection::ToTable, wire, sizeof(wire));
        if (n > 0) send(p, wire, n, false);
        break;
      }
      case fuzz::kLobbyTime: {
        const uint16_t ms = in.U16();
        if (ms == 0) {
          const uint64_t next = lobby.NextEvent();
          if (next != NO_DEADLINE && next > now) now = next;
        } else {
          now += ms;
        }
        lobby.Advance(now);
        break;
      }
      case fuzz::kLobbyClose:
        reopen(p);
        break;
      default: {  // a lobby packet of any record
        const uint16_t sub = in.Byte();
        size_t got = 0;
        const uint8_t* bytes = in.Take(in.Byte(), got);
        std::memcpy(record, bytes, got);
        const size_t n = PACKET_HEADER_SIZE + got;
        const uint16_t header[3] = {uint16_t(n), MAIN_LOBBY, sub};
        std::memcpy(wire, header, sizeof(header));
        std::memcpy(wire + PACKET_HEADER_SIZE, record, got);
        send(p, wire, n, false);
        break;
      }
    }
    checkTables();
  }

  // Everybody goes; the games play out; nothing is left.
  for (tagPeer& p : peers) lobby.Close(p.id, now);
  for (int steps = 0; steps < 20000 && lobby.NextEvent() != NO_DEADLINE; ++steps) {
    now = std::max(now, lobby.NextEvent());
    lobby.Advance(now);
    checkTables();
  }
  FUZZ_CHECK(lobby.UserCount() == 0 && lobby.ConnectionCount() == 0,
             "%zu users and %zu connections left", lobby.UserCount(), lobby.ConnectionCount());
  return 0;
}
