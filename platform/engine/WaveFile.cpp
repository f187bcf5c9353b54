#include "platform/engine/WaveFile.h"

#include <cstring>

namespace {

uint32_t Le32(const uint8_t* p) {
  return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}
uint16_t Le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }

void Put32(uint8_t* out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out[i] = static_cast<uint8_t>(v >> (8 * i));
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

struct tagMemory {
  const uint8_t* data;
  size_t size;
};

bool ReadMemory(void* context, uint64_t at, uint8_t* out, size_t size) {
  const auto* memory = static_cast<const tagMemory*>(context);
  if (at > memory->size || size > memory->size - at) return false;
  std::memcpy(out, memory->data + at, size);
  return true;
}

// The header the mixer is given: RIFF with the made wave's size, the format chunk, the data
// chunk's header.
void MakeHeader(const uint8_t* format, uint32_t formatSize, tagWaveLayout& layout) {
  uint8_t* out = layout.header;
  size_t at = 0;
  std::memcpy(out, "RIFF\0\0\0\0WAVEfmt ", 16);
  Put32(out + 16, formatSize);
  at = 20;
  std::memcpy(out + at, format, formatSize);
  at += formatSize;
  if (formatSize & 1) out[at++] = 0;  // chunks keep to even offsets
  std::memcpy(out + at, "data", 4);
  Put32(out + at + 4, layout.dataSize);
  at += kChunkHeader;
  layout.headerSize = static_cast<uint32_t>(at);
  Put32(out + 4, static_cast<uint32_t>(layout.MadeSize() - 8));
}

}  // namespace

bool ReadWaveLayout(WaveReader read, void* context, uint64_t size, tagWaveLayout& layout) {
  layout = tagWaveLayout{};
  uint8_t riff[kRiffHeader];
  if (read == nullptr || size < kRiffHeader || size > kMaxFileSize ||
      !read(context, 0, riff, kRiffHeader) || std::memcmp(riff, "RIFF", 4) != 0 ||
      std::memcmp(riff + 8, "WAVE", 4) != 0) {
    return false;
  }
  uint8_t format[MAX_WAVE_FORMAT_SIZE];
  uint32_t formatSize = 0;
  uint64_t at = kRiffHeader;
  while (size - at >= kChunkHeader) {
    uint8_t chunk[kChunkHeader];
    if (!read(context, at, chunk, kChunkHeader)) return false;
    uint32_t length = Le32(chunk + 4);
    const uint64_t left = size - at - kChunkHeader;
    if (length > left) {
      // A data chunk cut short (a copy broken off, a recorder that never wrote the size back)
      // plays what the file holds; any other chunk that runs past the end is no wave to trust.
      if (formatSize == 0 || std::memcmp(chunk, "data", 4) != 0) return false;
      length = static_cast<uint32_t>(left);
    }
    if (formatSize == 0 && std::memcmp(chunk, "fmt ", 4) == 0) {
      if (length < 16 || length > MAX_WAVE_FORMAT_SIZE) return false;
      if (!read(context, at + kChunkHeader, format, length)) return false;
      const uint16_t channels = Le16(format + 2);
      const uint32_t rate = Le32(format + 4);
      if (!KnownEncoding(Le16(format)) || channels < 1 || channels > MAX_WAVE_CHANNELS ||
          rate < MIN_WAVE_RATE || rate > MAX_WAVE_RATE) {
        return false;
      }
      formatSize = length;
    } else if (formatSize != 0 && std::memcmp(chunk, "data", 4) == 0) {
      layout.dataOffset = at + kChunkHeader;
      layout.dataSize = length;
      layout.bytesPerSecond = Le32(format + 8);
      MakeHeader(format, formatSize, layout);
      return true;
    }
    at += kChunkHeader + length;
    if ((length & 1) && at < size) ++at;  // the pad byte of an odd chunk
  }
  return false;
}

bool ReadWaveLayout(const uint8_t* data, size_t size, tagWaveLayout& layout) {
  tagMemory memory{data, data != nullptr ? size : 0};
  return ReadWaveLayout(&ReadMemory, &memory, memory.size, layout);
}

bool MakeBoundedWave(const uint8_t* data, size_t size, std::vector<uint8_t>& out) {
  out.clear();
  tagWaveLayout layout;
  if (!ReadWaveLayout(data, size, layout)) return false;
  out.reserve(layout.MadeSize());
  out.insert(out.end(), layout.header, layout.header + layout.headerSize);
  out.insert(out.end(), data + layout.dataOffset, data + layout.dataOffset + layout.dataSize);
  if (layout.dataSize & 1) out.push_back(0);
  return true;
}
