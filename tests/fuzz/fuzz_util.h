// Shared by the fuzz targets and the seed maker: the check that stops a run, scratch files, a
// reader that turns the fuzzer's bytes into choices, and the layouts of the targets' inputs (so
// that seeds are written as the targets read them).
#pragma once

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iterator>
#include <string>
#include <vector>

#include "protocol/Protocol.h"

// A broken promise: say which and stop, so the fuzzer keeps the input.
#define FUZZ_CHECK(cond, ...)                                                       \
  do {                                                                              \
    if (!(cond)) {                                                                  \
      std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #cond); \
      std::fprintf(stderr, "  " __VA_ARGS__);                                       \
      std::fprintf(stderr, "\n");                                                   \
      std::abort();                                                                 \
    }                                                                               \
  } while (0)

namespace fuzz {

// A file or folder of the run's own, in memory when /dev/shm is there, removed when the run
// ends.
inline std::string ScratchFile(const char* name) {
  static struct Files {
    ~Files() {
      std::error_code ignored;
      for (const std::string& path : paths) std::filesystem::remove_all(path, ignored);
    }
    std::vector<std::string> paths;
  } files;
  const char* dir = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
  files.paths.push_back(std::string(dir) + "/torvaly-" + name + "-" + std::to_string(getpid()));
  return files.paths.back();
}

inline bool WriteFile(const std::string& path, const uint8_t* data, size_t size) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return false;
  const bool ok = std::fwrite(data, 1, size, f) == size;
  return std::fclose(f) == 0 && ok;
}

// Reads the input front to back; past the end every read is 0.
class ByteReader {
 public:
  ByteReader(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}
  bool Empty() const { return m_at >= m_size; }
  size_t Left() const { return m_size - m_at; }
  uint8_t Byte() { return m_at < m_size ? m_data[m_at++] : 0; }
  uint16_t U16() {
    const uint16_t low = Byte();
    return static_cast<uint16_t>(low | Byte() << 8);
  }
  // Up to n bytes; `got` says how many there were.
  const uint8_t* Take(size_t n, size_t& got) {
    got = n < Left() ? n : Left();
    const uint8_t* p = m_data + m_at;
    m_at += got;
    return p;
  }

 private:
  const uint8_t* m_data;
  size_t m_size;
  size_t m_at = 0;
};

// ---- protocol_fuzz: [kind][pick][receiver] then the record bytes.
enum ProtocolKind : uint8_t { kServerMessage = 0, kScene = 1, kClientMessage = 2 };
inline constexpr size_t kProtocolKinds = 3;
inline constexpr uint16_t kServerIds[] = {SRV_DEAL,   SRV_PLAY_BEGIN,  SRV_PLAY,     SRV_PASS,
                                          SRV_RESULT, SRV_PASS_NOTICE, SRV_AUTO_PLAY};
inline constexpr uint8_t kStatuses[] = {STATUS_FREE, STATUS_STARTED, STATUS_PLAYING};
inline constexpr uint16_t kClientIds[] = {CLI_PLAY, CLI_PASS, CLI_AUTO_PLAY, CLI_DEAL_DONE,
                                          CLI_CHANGE_TABLE};
inline constexpr uint16_t kReceivers[] = {0, 1, 2, SEAT_COUNT, NO_CHAIR};
// A pick below kPickKnown chooses from the table above (pick % its size); from kPickKnown on,
// the pick is an id or status of its own, (pick - kPickKnown) + kRawBase, mostly unknown ones.
inline constexpr uint8_t kPickKnown = 224;
inline constexpr uint16_t kServerRawBase = 96;  // 96..127: 101, 106-108, 110-115, 117 ...
inline constexpr uint16_t kSceneRawBase = 90;
inline constexpr uint16_t kClientRawBase = 0;

// ---- table_fuzz: [seed u16][base score][human chairs bits], then operations: one byte
// (low nibble the operation, high nibble % 4 the chair, 3 = no chair) and its operands.
enum TableOp : uint8_t {
  kOpPlay = 0,  // count byte, then per card: below kHandPick an index into the hand
  kOpPass = 1,
  kOpAutoPlay = 2,  // flags byte: bit 0 on, bit 1 quiet, bit 2 another chair's number
  kOpDealDone = 3,
  kOpRaw = 4,        // id byte, size byte, bytes
  kOpWait = 5,       // u16 steps of 10 ms, then the table's time runs
  kOpNextEvent = 6,  // time jumps to the table's next deadline
  kOpLeave = 7,
  kOpReturn = 8,  // the returning client restores from its scene
  kOpReady = 9,
  kOpSit = 10,  // human byte
  kTableOps = 11,
};
inline constexpr uint8_t kHandPick = 0xE0;

// ---- client_fuzz: [opening][seed u16], then operations: one byte (low nibble the operation,
// high nibble its small operand) and the operation's bytes.
// The opening: bits 0-1 the local chair (% 3); bits 2-3 how far the table's game is when the
// client comes in; bit 4 watching the chair, bit 5 watchers allowed, bit 6 a match server.
enum ClientOpening : uint8_t {
  kOpenFree = 0,     // the free scene only
  kOpenDeal = 1,     // the free scene, then the deal
  kOpenBegin = 2,    // the free scene, the deal and the start of play
  kOpenPlaying = 3,  // the playing scene of a game under way (operand: trustee moves before)
};
inline constexpr uint8_t kOpenWatching = 0x10;
inline constexpr uint8_t kOpenAllowWatchers = 0x20;
inline constexpr uint8_t kOpenMatchServer = 0x40;
enum ClientOp : uint8_t {
  kClientTable = 0,   // the table's next event (the deal wait, a clock run out: it plays)
  kClientRecord = 1,  // pick byte (as protocol_fuzz), size byte, the record's bytes
  kClientMutate = 2,  // pick byte, count byte, pairs (offset, value) changed in the last record
                      // of that id the table sent, then it goes to the client
  kClientScene = 3,   // status pick (free, started, playing, or raw from kPickKnown on), count,
                      // pairs (offset, value) changed in the scene the table builds now
  kClientWait = 4,    // u16 milliseconds of the client's time (timers, clocks, auto-play)
  kClientClick = 5,   // operand: a button of kClientButtons
  kClientRaise = 6,   // u32 mask of the local hand control's cards to raise
  kClientUser = 7,    // operand: chair (% 3) and kind (/ 3 % 4: enter, leave, status, score),
                      // then for all but leave: gender, face u16, status, 32 name bytes
  kClientOps = 8,
};
// The scene statuses a status pick below kPickKnown chooses from: kStatuses.
// The buttons a click names (CClientHarness::Click), "right" the right mouse button.
inline constexpr const char* kClientButtons[] = {"start", "changetable", "play",    "pass",
                                                 "hint",  "autoon",      "autooff", "sort",
                                                 "last",  "details",     "right"};

// ---- wav_fuzz: [mode], then with mode bit 0 clear the file's bytes; with it set a byte of the
// format chunk's size (% kWaveFormatSizes), the format chunk and the sound data, which
// FramedWave makes into a RIFF WAVE file with exact sizes.
inline constexpr uint8_t kWaveFramed = 1;
inline constexpr size_t kWaveFormatSizes = 64;
inline std::vector<uint8_t> FramedWave(const uint8_t* format, size_t formatSize,
                                       const uint8_t* data, size_t dataSize) {
  std::vector<uint8_t> out = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E'};
  auto chunk = [&out](const char* id, const uint8_t* bytes, size_t n) {
    out.insert(out.end(), id, id + 4);
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(n >> (8 * i)));
    out.insert(out.end(), bytes, bytes + n);
    if (n & 1) out.push_back(0);
  };
  chunk("fmt ", format, formatSize);
  chunk("data", data, dataSize);
  const size_t riff = out.size() - 8;
  for (int i = 0; i < 4; ++i) out[4 + i] = static_cast<uint8_t>(riff >> (8 * i));
  return out;
}

// ---- link_fuzz: [mode], then operations. Mode bit 0: 0 the client end, 1 the table end; for
// the table end the player's chair is (mode >> 1) % 3 and a u16 seed of the table follows.
// The client end's operations, byte % kLinkClientOps:
enum LinkClientOp : uint8_t {
  kLinkArrive = 0,  // u16 length, then that many bytes arrive as one packet
  kLinkPoll = 1,    // the frame polls; then a byte of milliseconds pass
  kLinkSend = 2,    // kind byte % 3: game data (id pick, size byte, bytes), ready (size byte
                    // % 16, bytes), change table (u16)
  kLinkDrop = 3,    // the transport goes down
  kLinkClientOps = 4,
};
// The table end's operations: byte % kLinkTableOps, its operand byte >> 4.
enum LinkTableOp : uint8_t {
  kLinkPacket = 0,  // u16 length, then that many bytes as one packet
  kLinkGame = 1,    // id pick (as protocol_fuzz), size byte, the record, framed well
  kLinkFrame = 2,   // operand % 3: ready, change table, rejoin
  kLinkTime = 3,    // operand 0: to the table's next event; otherwise u16 milliseconds
  kLinkComeGo = 4,  // the player's client goes, or comes back
  kLinkTableOps = 5,
};

// ---- lobby_fuzz: [seed byte], then operations: one byte (low nibble the operation, high
// nibble % kLobbyPeers the connection) and its operands.
inline constexpr uint8_t kLobbyPeers = 4;
enum LobbyOp : uint8_t {
  kLobbyRaw = 0,    // u16 length, then that many bytes as one packet
  kLobbyLogin = 1,  // name pick byte (% 6; 5: bytes of its own, a length byte and them),
                    // flags byte (bit 0 watchers allowed, bit 1 the token of the name's last
                    // login, bit 2 a wrong token)
  kLobbySit = 2,    // table byte (0xFF any), chair byte (0xFF any)
  kLobbyWatch = 3,  // table byte, chair byte
  kLobbyLeave = 4,
  kLobbyOptions = 5,  // allow byte
  kLobbyList = 6,     // u16 first table
  kLobbyGame = 7,     // id pick (as protocol_fuzz), size byte, the record, framed well
  kLobbyFrame = 8,    // operand byte % 3: ready, change table, rejoin
  kLobbyTime = 9,     // u16 milliseconds; 0: to the lobby's next event
  kLobbyClose = 10,   // the connection goes and a new one comes
  kLobbyRecord = 11,  // sub byte, size byte, the record's bytes in a lobby packet
  kLobbyOps = 12,
};

// ---- rules_fuzz: [flags], then three lists: the hand, the turn (as played, then its display
// form unless kRulesShownAsPlayed) and the play, each a count byte (% (kRulesRoom + 1)) and its
// bytes. A list whose flag is set takes its bytes as cards of the deck (CARD_DECK[byte % 54]).
inline constexpr uint8_t kRulesJokerRule = 0x01;  // the single-joker rule is on
inline constexpr uint8_t kRulesHandCards = 0x02;
inline constexpr uint8_t kRulesTurnCards = 0x04;
inline constexpr uint8_t kRulesPlayCards = 0x08;
inline constexpr uint8_t kRulesShownAsPlayed = 0x10;
inline constexpr size_t kRulesRoom = 40;

}  // namespace fuzz
