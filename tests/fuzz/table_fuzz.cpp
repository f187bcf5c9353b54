// The table server driven by a script of bytes: client messages from every chair (plays of
// cards the chair holds or not, passes, auto-play, deal-done, raw records), time steps,
// leaves, returns, readies and new players. After every step the 54 cards are all there
// exactly once; every message decodes for the chair it is sent to, and each chair's view
// built from its messages (or from its scene after a return) equals the table.
#include <cstring>

#include "fuzz_util.h"
#include "server/Table.h"
#include "server/TableAudit.h"

namespace {

// A play of up to 8 cards: mostly cards of the chair's own hand, sometimes any byte.
void SendPlay(CTable& table, uint16_t chair, fuzz::ByteReader& in, uint64_t now) {
  const uint8_t count = static_cast<uint8_t>(in.Byte() % 9);
  uint8_t record[1 + 8];
  record[0] = count;
  for (uint8_t i = 0; i < count; ++i) {
    const uint8_t b = in.Byte();
    const uint8_t held = chair < SEAT_COUNT ? table.HandCount(chair) : 0;
    record[1 + i] = b < fuzz::kHandPick && held > 0 ? table.Hand(chair)[b % held] : b;
  }
  table.OnClientMessage(chair, CLI_PLAY, record, 1u + count, now);
}

void SendAutoPlay(CTable& table, uint16_t chair, fuzz::ByteReader& in, uint64_t now) {
  const uint8_t flags = in.Byte();
  tagCliAutoPlay a{};
  a.chair = flags & 4 ? static_cast<uint16_t>(in.Byte()) : chair;
  a.autoPlay = flags & 1;
  a.quiet = (flags >> 1) & 1;
  uint8_t record[sizeof(a)];
  std::memcpy(record, &a, sizeof(a));
  table.OnClientMessage(chair, CLI_AUTO_PLAY, record, sizeof(record), now);
}

void SendRaw(CTable& table, uint16_t chair, fuzz::ByteReader& in, uint64_t now) {
  const uint16_t id = in.Byte() % 10;
  size_t got = 0;
  const uint8_t* bytes = in.Take(in.Byte() % 40, got);
  // A buffer of its own and of exactly that size, so any read past the record is caught.
  uint8_t* record = new uint8_t[got > 0 ? got : 1];
  std::memcpy(record, bytes, got);
  table.OnClientMessage(chair, id, record, got, now);
  delete[] record;
}

void Return(CTable& table, CTableAudit& audit, uint16_t chair, uint64_t now) {
  if (!table.Return(chair, now)) return;
  uint8_t status = 0;
  uint8_t scene[sizeof(tagScenePlaying)];
  size_t size = 0;
  FUZZ_CHECK(table.BuildScene(chair, status, scene, sizeof(scene), size),
             "no scene for a returning chair");
  audit.OnScene(chair, status, scene, size);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::ByteReader in(data, size);
  tagTableConfig config;
  config.seed = in.U16();
  config.baseScore = 1 + in.Byte();
  CTableAudit audit;
  CTable table(audit, config);
  audit.Watch(table);
  const uint8_t humans = in.Byte();
  for (uint16_t c = 0; c < SEAT_COUNT; ++c) table.Sit(c, (humans >> c) & 1);

  uint64_t now = 0;
  while (!in.Empty()) {
    const uint8_t op = in.Byte();
    const uint16_t chair = (op >> 4) % 4;  // 3 is no chair
    switch ((op & 0x0F) % fuzz::kTableOps) {
      case fuzz::kOpPlay: SendPlay(table, chair, in, now); break;
      case fuzz::kOpPass: table.OnClientMessage(chair, CLI_PASS, nullptr, 0, now); break;
      case fuzz::kOpAutoPlay: SendAutoPlay(table, chair, in, now); break;
      case fuzz::kOpDealDone: table.OnClientMessage(chair, CLI_DEAL_DONE, nullptr, 0, now); break;
      case fuzz::kOpRaw: SendRaw(table, chair, in, now); break;
      case fuzz::kOpWait:
        now += uint64_t{in.U16()} * 10;
        table.Tick(now);
        break;
      case fuzz::kOpNextEvent: {
        const uint64_t next = table.NextDeadline();
        if (next != NO_DEADLINE && next > now) now = next;
        table.Tick(now);
        break;
      }
      case fuzz::kOpLeave: table.Leave(chair, now); break;
      case fuzz::kOpReturn: Return(table, audit, chair, now); break;
      case fuzz::kOpReady: table.SetReady(chair, now); break;
      case fuzz::kOpSit: table.Sit(chair, in.Byte() & 1); break;
      default: break;
    }
    audit.CheckCards();
    FUZZ_CHECK(audit.Violations() == 0, "%s", audit.FirstViolation().c_str());
  }
  return 0;
}
