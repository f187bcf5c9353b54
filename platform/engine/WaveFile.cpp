#include "platform/engine/WaveFile.h"

#include <cstring>

namespace {

uint32_t Le32(const uint8_t* p) {
  return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}
uint16_t Le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }

void Put32(std::vector<uint8_t>& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}
void PutChunk(std::vector<uint8_t>& out, const char* id, const uint8_t* bytes, uint32_t size) {
  out.insert(out.end(), id, id + 4);
  Put32(out, size);
  out.insert(out.end(), bytes, bytes + size);
  if (size & 1) out.push_back(0);  // chunks keep to even offsets
}

constexpr size_t kRiffHeader = 12;                  // "RIFF", the size, "WAVE"
constexpr size_t kChunkHeader = 8;                  // the id, the size
constexpr size_t kMaxFileSize = 0x7FFFFFFF - 1024;  // the made wave's sizes fit its fields

// The encodings the mixer decodes: PCM, Microsoft ADPCM, IEEE float, A-law, mu-law, IMA ADPCM
// and the extensible format (which names one of them inside).
bool KnownEncoding(uint16_t tag) {
  for (uint16_t known : {0x0001, 0x0002, 0x0003, 0x0006, 0x0007, 0x0011, 0xFFFE}) {
    if (tag == known) return true;
  }
  return false;
}

}  // namespace

bool MakeBoundedWave(const uint8_t* data, size_t size, std::vector<uint8_t>& out) {
  out.clear();
  if (data == nullptr || size < kRiffHeader || size > kMaxFileSize ||
      std::memcmp(data, "RIFF", 4) != 0 || std::memcmp(data + 8, "WAVE", 4) != 0) {
    return false;
  }
  const uint8_t* format = nullptr;
  uint32_t formatSize = 0;
  size_t at = kRiffHeader;
  while (size - at >= kChunkHeader) {
    const uint8_t* id = data + at;
    uint32_t length = Le32(data + at + 4);
    const uint8_t* body = data + at + kChunkHeader;
    const size_t left = size - at - kChunkHeader;
    if (length > left) {
      // A data chunk cut short (a copy broken off, a recorder that never wrote the size back)
      // plays what the file holds; any other chunk that runs past the end is no wave to trust.
      if (format == nullptr || std::memcmp(id, "data", 4) != 0) return false;
      length = static_cast<uint32_t>(left);
    }
    if (format == nullptr && std::memcmp(id, "fmt ", 4) == 0) {
      if (length < 16 || length > MAX_WAVE_FORMAT_SIZE) return false;
      const uint16_t channels = Le16(body + 2);
      const uint32_t rate = Le32(body + 4);
      if (!KnownEncoding(Le16(body)) || channels < 1 || channels > MAX_WAVE_CHANNELS ||
          rate < MIN_WAVE_RATE || rate > MAX_WAVE_RATE) {
        return false;
      }
      format = body;
      formatSize = length;
    } else if (format != nullptr && std::memcmp(id, "data", 4) == 0) {
      out.reserve(kRiffHeader + 2 * kChunkHeader + formatSize + length + 2);
      out.insert(out.end(), {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E'});
      PutChunk(out, "fmt ", format, formatSize);
      PutChunk(out, "data", body, length);
      const uint32_t riffSize = static_cast<uint32_t>(out.size() - 8);
      for (int i = 0; i < 4; ++i) out[4 + i] = static_cast<uint8_t>(riffSize >> (8 * i));
      return true;
    }
    at += kChunkHeader + length;
    if ((length & 1) && at < size) ++at;  // the pad byte of an odd chunk
  }
  return false;
}
