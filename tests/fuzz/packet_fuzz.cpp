// Packets of the link, in either direction, from any bytes: a header announces a size within the
// bounds or none; a refused packet leaves the output untouched; an accepted one encodes again to
// exactly its own bytes (a packet has one encoding), those decode to the same packet, and the
// encoder writes nothing into a buffer one byte too small.
#include <cstring>

#include "fuzz_util.h"
#include "link/Packet.h"

namespace {

bool Same(const tagPacket& a, const tagPacket& b) {
  return a.main == b.main && a.sub == b.sub && a.self == b.self && a.attribute == b.attribute &&
         a.user == b.user && a.sceneStatus == b.sceneStatus && a.sceneLookon == b.sceneLookon &&
         a.table == b.table && a.recordSize == b.recordSize &&
         (a.recordSize == 0 || std::memcmp(a.record, b.record, a.recordSize) == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const PacketDirection direction =
      data[0] & 1 ? PacketDirection::ToTable : PacketDirection::ToClient;
  const uint8_t* bytes = data + 1;
  const size_t n = size - 1;

  const size_t announced = PacketSize(bytes, n);
  FUZZ_CHECK(announced == 0 || (announced >= PACKET_HEADER_SIZE && announced <= PACKET_MAX_SIZE),
             "a header announced %zu bytes", announced);

  tagPacket packet;
  std::memset(&packet, 0xA5, sizeof(packet));
  tagPacket untouched;
  std::memcpy(&untouched, &packet, sizeof(packet));
  if (!DecodePacket(bytes, n, direction, packet)) {
    FUZZ_CHECK(std::memcmp(&packet, &untouched, sizeof(packet)) == 0,
               "a refused packet changed the output");
    return 0;
  }
  FUZZ_CHECK(announced == n, "a packet of %zu bytes announced %zu", n, announced);

  uint8_t wire[PACKET_MAX_SIZE];
  const size_t written = EncodePacket(packet, direction, wire, sizeof(wire));
  FUZZ_CHECK(written == n, "an accepted packet of %zu bytes encodes to %zu", n, written);
  FUZZ_CHECK(std::memcmp(wire, bytes, n) == 0, "an accepted packet has another encoding");
  tagPacket again;
  FUZZ_CHECK(DecodePacket(wire, written, direction, again), "the re-encoded packet is refused");
  FUZZ_CHECK(Same(packet, again), "the re-encoded packet decodes to another packet");

  uint8_t small[PACKET_MAX_SIZE];
  std::memset(small, 0x5A, sizeof(small));
  FUZZ_CHECK(EncodePacket(packet, direction, small, n - 1) == 0, "encoded into too small a buffer");
  for (uint8_t b : small) FUZZ_CHECK(b == 0x5A, "a refused encoding wrote into the buffer");
  return 0;
}
