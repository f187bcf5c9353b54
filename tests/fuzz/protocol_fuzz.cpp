// Server messages, scenes and client messages from any bytes. A refused record leaves the
// output untouched and an unknown id or status is always refused. An accepted record encodes
// again to the very bytes it came from (the pad byte after a play excepted), those bytes
// decode to the same record, and no encoder writes into a buffer one byte too small.
#include <algorithm>
#include <cstring>

#include "fuzz_util.h"

namespace {

template <class T>
bool Untouched(const T& record, uint8_t fill) {
  const auto* p = reinterpret_cast<const uint8_t*>(&record);
  return std::all_of(p, p + sizeof(T), [fill](uint8_t b) { return b == fill; });
}

template <size_t N>
bool Known(uint16_t id, const uint16_t (&ids)[N]) {
  return std::find(ids, ids + N, id) != ids + N;
}

// The round trip of one accepted record. `encode(record, buffer, capacity, written)` and
// `decode(bytes, size, record)` are the entry points by id or status; `padded` says that the
// last byte on the wire is a pad byte the decoder drops.
template <class Record, class Encode, class Decode>
void RoundTrip(const Record& record, const uint8_t* data, size_t size, bool padded,
               Encode encode, Decode decode) {
  uint8_t wire[512];
  size_t written = SIZE_MAX;
  FUZZ_CHECK(encode(record, wire, sizeof(wire), written), "an accepted record does not encode");
  FUZZ_CHECK(written == size, "encoded %zu bytes from %zu", written, size);
  const size_t kept = padded ? size - 1 : size;
  FUZZ_CHECK(std::memcmp(wire, data, kept) == 0, "the encoded bytes differ from the input");
  if (padded) FUZZ_CHECK(wire[size - 1] == 0, "the pad byte is not written as 0");

  // Decoded into a buffer filled as the first one was, the same bytes give the same record,
  // field for field (the pad byte the decoder drops included).
  Record again;
  std::memset(&again, 0xA5, sizeof(again));
  FUZZ_CHECK(decode(wire, written, again), "the re-encoded bytes do not decode");
  FUZZ_CHECK(std::memcmp(&record, &again, sizeof(Record)) == 0,
             "the re-encoded bytes decode to another record");

  if (written > 0) {
    uint8_t small[512];
    std::memset(small, 0x5A, sizeof(small));
    size_t none = 12345;
    FUZZ_CHECK(!encode(record, small, written - 1, none), "encoded into a buffer too small");
    FUZZ_CHECK(none == 12345, "a refused encoding reported a size");
    for (uint8_t b : small) FUZZ_CHECK(b == 0x5A, "a refused encoding wrote into the buffer");
  }
}

void ServerMessage(uint16_t id, uint16_t receiver, const uint8_t* data, size_t size) {
  tagServerMessage m;
  std::memset(&m, 0xA5, sizeof(m));
  if (!DecodeServerMessage(id, data, size, receiver, m)) {
    FUZZ_CHECK(Untouched(m, 0xA5), "a refused message changed the output");
    return;
  }
  FUZZ_CHECK(Known(id, fuzz::kServerIds), "id %u accepted", id);
  RoundTrip(
      m, data, size, id == SRV_PLAY,
      [&](const tagServerMessage& r, uint8_t* b, size_t c, size_t& w) {
        return EncodeServerMessage(r, receiver, b, c, w);
      },
      [&](const uint8_t* b, size_t n, tagServerMessage& r) {
        return DecodeServerMessage(id, b, n, receiver, r);
      });
}

void Scene(uint8_t status, uint16_t receiver, const uint8_t* data, size_t size) {
  tagScene s;
  std::memset(&s, 0xA5, sizeof(s));
  if (!DecodeScene(status, data, size, receiver, s)) {
    FUZZ_CHECK(Untouched(s, 0xA5), "a refused scene changed the output");
    return;
  }
  FUZZ_CHECK(status == STATUS_FREE || status == STATUS_STARTED || status == STATUS_PLAYING,
             "status %u accepted", status);
  // The started scene is accepted at any size and carries nothing.
  const size_t expected = status == STATUS_STARTED ? 0 : size;
  RoundTrip(
      s, data, expected, false,
      [&](const tagScene& r, uint8_t* b, size_t c, size_t& w) {
        return EncodeScene(r, receiver, b, c, w);
      },
      [&](const uint8_t* b, size_t n, tagScene& r) {
        return DecodeScene(status, b, n, receiver, r);
      });
}

void ClientMessage(uint16_t id, const uint8_t* data, size_t size) {
  tagClientMessage m;
  std::memset(&m, 0xA5, sizeof(m));
  if (!DecodeClientMessage(id, data, size, m)) {
    FUZZ_CHECK(Untouched(m, 0xA5), "a refused client message changed the output");
    return;
  }
  FUZZ_CHECK(Known(id, fuzz::kClientIds), "id %u accepted", id);
  RoundTrip(m, data, size, false, EncodeClientMessage,
            [&](const uint8_t* b, size_t n, tagClientMessage& r) {
              return DecodeClientMessage(id, b, n, r);
            });
}

uint16_t Pick(uint8_t pick, const uint16_t* known, size_t count, uint16_t rawBase) {
  if (pick < fuzz::kPickKnown) return known[pick % count];
  return static_cast<uint16_t>(pick - fuzz::kPickKnown + rawBase);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 3) return 0;
  const uint8_t kind = data[0] % fuzz::kProtocolKinds;
  const uint8_t pick = data[1];
  const uint16_t receiver = fuzz::kReceivers[data[2] % std::size(fuzz::kReceivers)];
  // libFuzzer hands over a buffer of exactly `size` bytes, so a read past the record is caught.
  const uint8_t* record = data + 3;
  const size_t n = size - 3;
  switch (kind) {
    case fuzz::kServerMessage:
      ServerMessage(Pick(pick, fuzz::kServerIds, std::size(fuzz::kServerIds), fuzz::kServerRawBase),
                    receiver, record, n);
      break;
    case fuzz::kScene: {
      const uint8_t status =
          pick < fuzz::kPickKnown
              ? fuzz::kStatuses[pick % std::size(fuzz::kStatuses)]
              : static_cast<uint8_t>(pick - fuzz::kPickKnown + fuzz::kSceneRawBase);
      Scene(status, receiver, record, n);
      break;
    }
    default:
      ClientMessage(Pick(pick, fuzz::kClientIds, std::size(fuzz::kClientIds), fuzz::kClientRawBase),
                    record, n);
      break;
  }
  return 0;
}
